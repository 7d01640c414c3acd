// Menu objects: the handle table, entries and their states, lookups by command and by position.
#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "menu/menu_internal.h"
#include "user/user_internal.h"

namespace win32 {

namespace menu {

namespace {

// Handles are never reused, so a stale handle can never reach a newer menu.
struct Table {
    std::unordered_map<UINT_PTR, std::unique_ptr<Menu>> menus;
    UINT_PTR next = 0x10010;
};

Table& T() {
    static Table table;
    return table;
}

const bool menusReset = (testing::AddResetHook([] {
                             T().menus.clear();
                             T().next = 0x10010;
                         }),
                         true);

constexpr size_t kMaxItems = 0x10000;
constexpr int kMaxDepth = 64;

HMENU NewMenu(bool popup) {
    auto& t = T();
    auto m = std::make_unique<Menu>();
    m->handle = t.next;
    t.next += 4;
    m->popup = popup;
    const HMENU h = m->Handle();
    t.menus.emplace(m->handle, std::move(m));
    return h;
}

// The search by command: a submenu's entries come before the item that opens it, and an item that
// opens a submenu is only the answer when no plain entry of its menu has the command.
Item* FindByCommand(Menu* m, UINT id, Menu** owner, int* index, int depth) {
    if (depth > kMaxDepth) return nullptr;
    int fallback = -1;
    for (size_t i = 0; i < m->items.size(); ++i) {
        Item& item = m->items[i];
        if (item.submenu) {
            if (Menu* sub = Find(item.submenu); sub && sub != m) {
                if (Item* found = FindByCommand(sub, id, owner, index, depth + 1)) return found;
            }
            if (item.id == id && fallback < 0) fallback = static_cast<int>(i);
            continue;
        }
        if (item.id == id) {
            *owner = m;
            *index = static_cast<int>(i);
            return &item;
        }
    }
    if (fallback < 0) return nullptr;
    *owner = m;
    *index = fallback;
    return &m->items[static_cast<size_t>(fallback)];
}

// The commands between `first` and `last` that some entry of the tree has, each once, ascending.
void CollectCommands(const Menu* m, UINT first, UINT last, std::vector<UINT>* out, int depth) {
    if (depth > kMaxDepth) return;
    for (const Item& item : m->items) {
        if (item.id >= first && item.id <= last) out->push_back(item.id);
        if (const Menu* sub = Find(item.submenu); sub && sub != m)
            CollectCommands(sub, first, last, out, depth + 1);
    }
    if (depth > 0) return;
    std::sort(out->begin(), out->end());
    out->erase(std::unique(out->begin(), out->end()), out->end());
}

// True when `inner` is `outer` or reachable through its submenus: inserting would make a cycle.
bool Reaches(Menu* from, Menu* target, int depth) {
    if (from == target) return true;
    if (depth > kMaxDepth) return true;
    for (const Item& item : from->items)
        if (Menu* sub = Find(item.submenu); sub && Reaches(sub, target, depth + 1)) return true;
    return false;
}

void DestroyTree(Menu* m, std::unordered_set<UINT_PTR>& seen) {
    if (!seen.insert(m->handle).second) return;
    for (const Item& item : m->items)
        if (Menu* sub = Find(item.submenu)) DestroyTree(sub, seen);
}

constexpr UINT kEntryKinds = MFT_BITMAP | MFT_OWNERDRAW | MFT_SEPARATOR;
constexpr UINT kFlagTypes = kEntryKinds | MF_MENUBARBREAK | MF_MENUBREAK | MF_RIGHTJUSTIFY;
constexpr UINT kInfoTypes = kFlagTypes | MFT_RADIOCHECK | MFT_RIGHTORDER;
// MF_DEFAULT is not among them: the flag calls leave the default entry to SetMenuDefaultItem.
constexpr UINT kFlagStates = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE;
constexpr UINT kInfoStates = MFS_GRAYED | MFS_CHECKED | MFS_HILITE | MFS_DEFAULT;

bool IsStringKind(UINT type) {
    return (type & kEntryKinds) == 0;
}

INT_PTR BitmapValue(HBITMAP bitmap) {
    return static_cast<INT_PTR>(HandleValue(bitmap));
}

// The buttons an MDI frame puts at the end of its bar for a maximized child stay there.
bool IsFrameButton(HBITMAP bitmap) {
    return BitmapValue(bitmap) >= BitmapValue(HBMMENU_SYSTEM) &&
           BitmapValue(bitmap) <= BitmapValue(HBMMENU_MBAR_CLOSE_D);
}

void SetText(Item* item, LPCSTR text) {
    item->hasText = text != nullptr;
    item->text = text ? text : "";
}

// Separators cannot be chosen, and say so in their state.
void SettleSeparator(Item* item) {
    if (item->IsSeparator()) item->state |= MFS_GRAYED;
    item->measured = false;
}

// Applies the flags of AppendMenu / InsertMenu / ModifyMenu to an entry. What the flags do not
// replace stays: a label survives a change to owner-draw, and the check-mark bitmaps any change.
bool ApplyFlags(Menu* m, Item* item, UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
    const int kinds =
        ((flags & MF_BITMAP) ? 1 : 0) + ((flags & MF_OWNERDRAW) ? 1 : 0) + ((flags & MF_SEPARATOR) ? 1 : 0);
    if (kinds > 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    HMENU submenu = nullptr;
    if (flags & MF_POPUP) {
        Menu* sub = Find(MakeHandle<HMENU>(idNewItem));
        if (!sub) {
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return false;
        }
        if (Reaches(sub, m, 0)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        submenu = sub->Handle();
    }
    if (IsStringKind(flags)) {
        item->bitmap = nullptr;
        SetText(item, newItem);
        if (!newItem) {
            flags |= MF_SEPARATOR;
        } else if (item->text.starts_with('\b')) {
            // A label that starts with a backspace goes to the right end of a bar.
            item->text.erase(0, 1);
            flags |= MF_HELP;
        }
    } else if (flags & MF_BITMAP) {
        item->bitmap = reinterpret_cast<HBITMAP>(const_cast<char*>(newItem));
        SetText(item, nullptr);
    }
    item->data = (flags & MF_OWNERDRAW) ? reinterpret_cast<ULONG_PTR>(newItem) : 0;
    item->id = static_cast<UINT>(idNewItem);
    item->submenu = submenu;
    item->type = flags & kFlagTypes;
    item->state = flags & kFlagStates;
    SettleSeparator(item);
    return true;
}

bool Insert(Menu* m, size_t at, Item item) {
    if (m->items.size() >= kMaxItems) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    at = std::min(at, m->items.size());
    m->items.insert(m->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    if (m->selected >= static_cast<int>(at)) ++m->selected;
    return true;
}

// Where a new entry goes: the menu and position before which it is inserted. A command that no
// entry has appends to the menu itself.
void InsertionPoint(Menu* m, UINT position, bool byPosition, Menu** target, size_t* at) {
    int index = 0;
    if (byPosition) {
        *target = m;
        *at = std::min<size_t>(position, m->items.size());
    } else if (FindByCommand(m, position, target, &index, 0)) {
        *at = static_cast<size_t>(index);
    } else {
        *target = m;
        *at = m->items.size();
    }
    const auto& items = (*target)->items;
    while (*at > 0 && IsFrameButton(items[*at - 1].bitmap))
        --*at;
}

bool ValidInfoSize(UINT size) {
    return size == sizeof(MENUITEMINFO) || size == offsetof(MENUITEMINFO, hbmpItem);
}

// MIIM_TYPE is the older way to say MIIM_FTYPE, MIIM_STRING and MIIM_BITMAP at once; the two ways
// do not mix in one call.
bool MixesTypeMasks(UINT mask) {
    return (mask & MIIM_TYPE) && (mask & (MIIM_STRING | MIIM_FTYPE | MIIM_BITMAP));
}

bool ApplyInfo(Menu* m, Item* item, const MENUITEMINFO* info) {
    const UINT mask = info->fMask;
    if (MixesTypeMasks(mask) || ((mask & MIIM_FTYPE) && (info->fType & MFT_BITMAP))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (mask & MIIM_SUBMENU) {
        if (info->hSubMenu) {
            Menu* sub = Find(info->hSubMenu);
            if (!sub) {
                SetLastError(ERROR_INVALID_MENU_HANDLE);
                return false;
            }
            if (Reaches(sub, m, 0)) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return false;
            }
        }
    }
    if (mask & MIIM_TYPE) {
        // dwTypeData is a label for string entries and the bitmap for MFT_BITMAP; other kinds keep
        // the label they had.
        item->type = info->fType & kInfoTypes;
        if (IsStringKind(item->type))
            SetText(item, info->dwTypeData);
        else if (item->type & MFT_BITMAP)
            item->bitmap = reinterpret_cast<HBITMAP>(info->dwTypeData);
    }
    if (mask & MIIM_FTYPE) item->type = info->fType & kInfoTypes;
    if (mask & MIIM_STRING) SetText(item, info->dwTypeData);
    // A record without hbmpItem (the older, shorter size) cannot set it.
    if ((mask & MIIM_BITMAP) && info->cbSize == sizeof(MENUITEMINFO)) item->bitmap = info->hbmpItem;
    if (mask & MIIM_STATE) item->state = info->fState & kInfoStates;
    if (mask & MIIM_ID) item->id = info->wID;
    if (mask & MIIM_SUBMENU) item->submenu = info->hSubMenu;
    if (mask & MIIM_CHECKMARKS) {
        item->checkedBitmap = info->hbmpChecked;
        item->uncheckedBitmap = info->hbmpUnchecked;
    }
    if (mask & MIIM_DATA) item->data = info->dwItemData;
    // An entry with nothing to show is a separator.
    if (!item->hasText && !item->IsOwnerDraw() && !item->bitmap) item->type |= MFT_SEPARATOR;
    SettleSeparator(item);
    return true;
}

// The string protocol of GetMenuItemInfo: no buffer (or no room) asks for the length.
void CopyItemText(const Item& item, MENUITEMINFO* info) {
    if (!info->dwTypeData || info->cch == 0) {
        info->cch = static_cast<UINT>(item.text.size());
        return;
    }
    info->cch = static_cast<UINT>(user::CopyText(item.text, info->dwTypeData, info->cch));
}

UINT LegacyFlags(const Item& item) {
    return (item.type & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR | MF_MENUBARBREAK | MF_MENUBREAK |
                         MF_RIGHTJUSTIFY | MFT_RADIOCHECK)) |
           (item.state & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT));
}

void Changed(Menu* m) {
    // A shown bar follows its entries on the next frame paint; open popups are laid out on opening.
    if (m->barOwner && GetMenu(m->barOwner) == m->Handle()) DrawMenuBar(m->barOwner);
}

}  // namespace

Menu* Find(HMENU menu) {
    if (!menu) return nullptr;
    auto& t = T();
    auto found = t.menus.find(HandleValue(menu));
    return found == t.menus.end() ? nullptr : found->second.get();
}

Menu* Get(HMENU menu) {
    Menu* m = Find(menu);
    if (!m) SetLastError(ERROR_INVALID_MENU_HANDLE);
    return m;
}

Item* Locate(HMENU menu, UINT item, bool byPosition, Menu** owner, int* index) {
    Menu* m = Get(menu);
    if (!m) return nullptr;
    if (byPosition) {
        if (item >= m->items.size()) {
            SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
            return nullptr;
        }
        *owner = m;
        *index = static_cast<int>(item);
        return &m->items[item];
    }
    Item* found = FindByCommand(m, item, owner, index, 0);
    if (!found) SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return found;
}

Item* FindCommand(HMENU menu, UINT command, Menu** owner, int* index) {
    Menu* m = Find(menu);
    return m ? FindByCommand(m, command, owner, index, 0) : nullptr;
}

}  // namespace menu

using namespace menu;

HMENU CreateMenu() {
    return NewMenu(false);
}

HMENU CreatePopupMenu() {
    return NewMenu(true);
}

BOOL DestroyMenu(HMENU handle) {
    Menu* m = Get(handle);
    if (!m) return FALSE;
    std::unordered_set<UINT_PTR> doomed;
    DestroyTree(m, doomed);
    auto& t = T();
    for (UINT_PTR value : doomed) {
        auto found = t.menus.find(value);
        if (found == t.menus.end()) continue;
        if (found->second->window) DestroyWindow(found->second->window);
        t.menus.erase(value);
    }
    return TRUE;
}

BOOL IsMenu(HMENU menu) {
    return Find(menu) != nullptr;
}

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
    return InsertMenu(menu, static_cast<UINT>(-1), flags | MF_BYPOSITION, idNewItem, newItem);
}

BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
    Menu* m = Get(menu);
    if (!m) return FALSE;
    Menu* target = nullptr;
    size_t at = 0;
    InsertionPoint(m, position, (flags & MF_BYPOSITION) != 0, &target, &at);
    Item item;
    if (!ApplyFlags(target, &item, flags, idNewItem, newItem)) return FALSE;
    if (!Insert(target, at, std::move(item))) return FALSE;
    Changed(target);
    return TRUE;
}

BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
    Menu* owner = nullptr;
    int index = 0;
    Item* old = Locate(menu, position, (flags & MF_BYPOSITION) != 0, &owner, &index);
    if (!old) return FALSE;
    Item item = *old;
    if (!ApplyFlags(owner, &item, flags, idNewItem, newItem)) return FALSE;
    // A replaced drop-down menu is destroyed with the entry that held it.
    const HMENU previous = old->submenu;
    *old = std::move(item);
    if (previous && previous != old->submenu) DestroyMenu(previous);
    Changed(owner);
    return TRUE;
}

BOOL InsertMenuItem(HMENU menu, UINT position, BOOL byPosition, const MENUITEMINFO* info) {
    Menu* m = Get(menu);
    if (!m) return FALSE;
    if (!info || !ValidInfoSize(info->cbSize)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Menu* target = nullptr;
    size_t at = 0;
    InsertionPoint(m, position, byPosition != FALSE, &target, &at);
    Item item;
    if (!ApplyInfo(target, &item, info)) return FALSE;
    if (!Insert(target, at, std::move(item))) return FALSE;
    Changed(target);
    return TRUE;
}

BOOL SetMenuItemInfo(HMENU menu, UINT position, BOOL byPosition, const MENUITEMINFO* info) {
    if (!info || !ValidInfoSize(info->cbSize)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Menu* owner = nullptr;
    int index = 0;
    Item* item = Locate(menu, position, byPosition != FALSE, &owner, &index);
    if (!item) return FALSE;
    Item changed = *item;
    if (!ApplyInfo(owner, &changed, info)) return FALSE;
    *item = std::move(changed);
    Changed(owner);
    return TRUE;
}

BOOL GetMenuItemInfo(HMENU menu, UINT position, BOOL byPosition, MENUITEMINFO* info) {
    if (!info || !ValidInfoSize(info->cbSize)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Menu* owner = nullptr;
    int index = 0;
    const Item* item = Locate(menu, position, byPosition != FALSE, &owner, &index);
    if (!item) return FALSE;
    const UINT mask = info->fMask;
    if (MixesTypeMasks(mask)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Only the full record has room for hbmpItem.
    const bool full = info->cbSize == sizeof(MENUITEMINFO);
    if (mask & MIIM_TYPE) {
        // A picture entry answers with its bitmap in dwTypeData, so no label is written there.
        info->fType = item->type | ((item->bitmap && !IsSystemBitmap(item->bitmap)) ? MFT_BITMAP : 0);
        if (full) info->hbmpItem = item->bitmap;
        if (info->fType & MFT_BITMAP) {
            info->dwTypeData = reinterpret_cast<LPSTR>(item->bitmap);
            info->cch = 0;
        } else if (info->fType & (MFT_OWNERDRAW | MFT_SEPARATOR)) {
            info->dwTypeData = nullptr;
            info->cch = 0;
        }
    }
    if (mask & (MIIM_TYPE | MIIM_STRING)) CopyItemText(*item, info);
    if (mask & MIIM_FTYPE) info->fType = item->type;
    if ((mask & MIIM_BITMAP) && full) info->hbmpItem = item->bitmap;
    if (mask & MIIM_STATE) info->fState = item->state;
    if (mask & MIIM_ID) info->wID = item->id;
    info->hSubMenu = (mask & MIIM_SUBMENU) ? item->submenu : nullptr;
    if (mask & MIIM_CHECKMARKS) {
        info->hbmpChecked = item->checkedBitmap;
        info->hbmpUnchecked = item->uncheckedBitmap;
    }
    if (mask & MIIM_DATA) info->dwItemData = item->data;
    return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
    Menu* owner = nullptr;
    int index = 0;
    if (!Locate(menu, position, (flags & MF_BYPOSITION) != 0, &owner, &index)) return FALSE;
    owner->items.erase(owner->items.begin() + index);
    if (owner->selected == index)
        owner->selected = -1;
    else if (owner->selected > index)
        --owner->selected;
    Changed(owner);
    return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
    Menu* owner = nullptr;
    int index = 0;
    Item* item = Locate(menu, position, (flags & MF_BYPOSITION) != 0, &owner, &index);
    if (!item) return FALSE;
    const HMENU sub = item->submenu;
    const HMENU ownerHandle = owner->Handle();
    if (!RemoveMenu(ownerHandle, static_cast<UINT>(index), MF_BYPOSITION)) return FALSE;
    if (sub && Find(sub)) DestroyMenu(sub);
    return TRUE;
}

int GetMenuItemCount(HMENU menu) {
    Menu* m = Get(menu);
    return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
    Menu* m = Get(menu);
    if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size()) return static_cast<UINT>(-1);
    const Item& item = m->items[static_cast<size_t>(position)];
    return item.submenu ? static_cast<UINT>(-1) : item.id;
}

UINT GetMenuState(HMENU menu, UINT id, UINT flags) {
    Menu* owner = nullptr;
    int index = 0;
    const Item* item = Locate(menu, id, (flags & MF_BYPOSITION) != 0, &owner, &index);
    if (!item) return static_cast<UINT>(-1);
    const UINT state = LegacyFlags(*item);
    if (Menu* sub = Find(item->submenu))
        return (static_cast<UINT>(std::min<size_t>(sub->items.size(), 0xFF)) << 8) | MF_POPUP |
               (state & 0xFF);
    return state;
}

int GetMenuString(HMENU menu, UINT id, LPSTR text, int maxCount, UINT flags) {
    Menu* owner = nullptr;
    int index = 0;
    const Item* item = Locate(menu, id, (flags & MF_BYPOSITION) != 0, &owner, &index);
    if (!item) return 0;
    if (!text) return static_cast<int>(item->text.size());
    if (maxCount <= 0) return 0;
    return user::CopyText(item->text, text, static_cast<size_t>(maxCount));
}

HMENU GetSubMenu(HMENU menu, int position) {
    Menu* m = Get(menu);
    if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size()) return nullptr;
    const HMENU sub = m->items[static_cast<size_t>(position)].submenu;
    return Find(sub) ? sub : nullptr;
}

DWORD CheckMenuItem(HMENU menu, UINT id, UINT check) {
    Menu* owner = nullptr;
    int index = 0;
    Item* item = Locate(menu, id, (check & MF_BYPOSITION) != 0, &owner, &index);
    if (!item) return static_cast<DWORD>(-1);
    const DWORD previous = item->state & MF_CHECKED;
    item->state = (item->state & ~MF_CHECKED) | (check & MF_CHECKED);
    return previous;
}

BOOL EnableMenuItem(HMENU menu, UINT id, UINT enable) {
    Menu* owner = nullptr;
    int index = 0;
    Item* item = Locate(menu, id, (enable & MF_BYPOSITION) != 0, &owner, &index);
    if (!item) return -1;
    const UINT previous = item->state & (MF_GRAYED | MF_DISABLED);
    item->state = (item->state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return static_cast<BOOL>(previous);
}

// Walks the range in order: positions or commands that no entry has are passed over, and so are
// separators and entries outside the menu of the first entry found. TRUE when `check` was checked.
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
    Menu* m = Get(menu);
    if (!m) return FALSE;
    const bool byPosition = (flags & MF_BYPOSITION) != 0;
    std::vector<UINT> range;
    if (byPosition) {
        for (size_t i = first; i <= last && i < m->items.size(); ++i)
            range.push_back(static_cast<UINT>(i));
    } else {
        CollectCommands(m, first, last, &range, 0);
    }
    Menu* group = nullptr;
    bool checked = false;
    for (UINT value : range) {
        Menu* owner = m;
        int index = static_cast<int>(value);
        Item* item = byPosition ? &m->items[value] : FindByCommand(m, value, &owner, &index, 0);
        if (!item) continue;
        if (!group) group = owner;
        if (owner != group || item->IsSeparator()) continue;
        if (value == check) {
            item->type |= MFT_RADIOCHECK;
            item->state |= MFS_CHECKED;
            checked = true;
        } else {
            item->state &= ~MFS_CHECKED;
        }
    }
    return checked ? TRUE : FALSE;
}

BOOL HiliteMenuItem(HWND hwnd, HMENU menu, UINT position, UINT hilite) {
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Menu* owner = nullptr;
    int index = 0;
    Item* item = Locate(menu, position, (hilite & MF_BYPOSITION) != 0, &owner, &index);
    if (!item) return FALSE;
    item->state = (item->state & ~MF_HILITE) | (hilite & MF_HILITE);
    if (GetMenu(hwnd) == owner->Handle()) DrawMenuBar(hwnd);
    return TRUE;
}

UINT GetMenuDefaultItem(HMENU menu, UINT byPosition, UINT flags) {
    Menu* m = Get(menu);
    for (int depth = 0; m && depth < kMaxDepth; ++depth) {
        auto found = std::find_if(m->items.begin(), m->items.end(),
                                  [](const Item& item) { return (item.state & MFS_DEFAULT) != 0; });
        if (found == m->items.end()) break;
        if (found->IsDisabled() && !(flags & GMDI_USEDISABLED)) break;
        const auto index = static_cast<UINT>(found - m->items.begin());
        Menu* sub = Find(found->submenu);
        if (sub && (flags & GMDI_GOINTOPOPUPS)) {
            const bool inside = std::any_of(sub->items.begin(), sub->items.end(), [flags](const Item& item) {
                return (item.state & MFS_DEFAULT) && (!item.IsDisabled() || (flags & GMDI_USEDISABLED));
            });
            if (inside) {
                m = sub;
                continue;
            }
        }
        return byPosition ? index : found->id;
    }
    return static_cast<UINT>(-1);
}

BOOL SetMenuDefaultItem(HMENU menu, UINT position, UINT byPosition) {
    Menu* m = Get(menu);
    if (!m) return FALSE;
    if (position == static_cast<UINT>(-1)) {
        for (Item& item : m->items)
            item.state &= ~MFS_DEFAULT;
        return TRUE;
    }
    int index = -1;
    if (byPosition) {
        if (position < m->items.size()) index = static_cast<int>(position);
    } else {
        for (size_t i = 0; i < m->items.size(); ++i)
            if (m->items[i].id == position) {
                index = static_cast<int>(i);
                break;
            }
    }
    if (index < 0) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
    }
    for (size_t i = 0; i < m->items.size(); ++i) {
        if (static_cast<int>(i) == index)
            m->items[i].state |= MFS_DEFAULT;
        else
            m->items[i].state &= ~MFS_DEFAULT;
    }
    return TRUE;
}

BOOL GetMenuInfo(HMENU menu, MENUINFO* info) {
    if (!info || info->cbSize != sizeof(MENUINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Menu* m = Get(menu);
    if (!m) return FALSE;
    if (info->fMask & MIM_STYLE) info->dwStyle = m->style;
    if (info->fMask & MIM_MAXHEIGHT) info->cyMax = m->maxHeight;
    if (info->fMask & MIM_BACKGROUND) info->hbrBack = m->background;
    if (info->fMask & MIM_HELPID) info->dwContextHelpID = m->helpId;
    if (info->fMask & MIM_MENUDATA) info->dwMenuData = m->data;
    return TRUE;
}

BOOL SetMenuInfo(HMENU menu, const MENUINFO* info) {
    if (!info || info->cbSize != sizeof(MENUINFO) ||
        (info->fMask &
         ~(MIM_STYLE | MIM_MAXHEIGHT | MIM_BACKGROUND | MIM_HELPID | MIM_MENUDATA | MIM_APPLYTOSUBMENUS))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Menu* m = Get(menu);
    if (!m) return FALSE;
    std::vector<Menu*> pending{m};
    std::unordered_set<Menu*> seen;
    while (!pending.empty()) {
        Menu* x = pending.back();
        pending.pop_back();
        if (!seen.insert(x).second) continue;
        if (info->fMask & MIM_STYLE) x->style = info->dwStyle;
        if (info->fMask & MIM_MAXHEIGHT) x->maxHeight = info->cyMax;
        if (info->fMask & MIM_BACKGROUND) x->background = info->hbrBack;
        if (info->fMask & MIM_HELPID) x->helpId = info->dwContextHelpID;
        if (info->fMask & MIM_MENUDATA) x->data = info->dwMenuData;
        if (info->fMask & MIM_APPLYTOSUBMENUS)
            for (const Item& item : x->items)
                if (Menu* sub = Find(item.submenu)) pending.push_back(sub);
    }
    Changed(m);
    return TRUE;
}

BOOL SetMenuItemBitmaps(HMENU menu, UINT position, UINT flags, HBITMAP unchecked, HBITMAP checked) {
    Menu* owner = nullptr;
    int index = 0;
    Item* item = Locate(menu, position, (flags & MF_BYPOSITION) != 0, &owner, &index);
    if (!item) return FALSE;
    item->uncheckedBitmap = unchecked;
    item->checkedBitmap = checked;
    return TRUE;
}

LONG GetMenuCheckMarkDimensions() {
    return static_cast<LONG>(MAKELONG(static_cast<WORD>(GetSystemMetrics(SM_CXMENUCHECK)),
                                      static_cast<WORD>(GetSystemMetrics(SM_CYMENUCHECK))));
}

}  // namespace win32
