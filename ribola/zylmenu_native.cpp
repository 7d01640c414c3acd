// How the item tree becomes native menus: submenu handles made on demand, entries appended from
// the items (through InsertMenuItem, or InsertMenu on systems before version 4), rebuilding after
// changes, and the merge of another menu's root items by GroupIndex.
#include <cstddef>

#include "ribola/zylmenu.h"
#include "vcl/shortcuts.h"
#include "win32/menu.h"
#include "win32/sysinfo.h"

namespace ribola {

using namespace win32;

namespace {

UINT BreakFlag(TZylMenuBreak value) {
    switch (value) {
        case mbBreak:
            return MF_MENUBREAK;
        case mbBarBreak:
            return MF_MENUBARBREAK;
        case mbNone:
            break;
    }
    return 0;
}

bool ModernPlatform() {
    return (GetVersion() & 0xFF) >= 4;
}

}  // namespace

bool IterateMenus(const std::function<bool(TZylMenuItem*)>& func, TZylMenuItem* menu1, TZylMenuItem* menu2) {
    auto count = [](const TZylMenuItem* menu) { return menu ? menu->Count() : 0; };
    Integer first = 0, second = 0;
    while (first < count(menu1) || second < count(menu2)) {
        // A list with nothing left is never chosen, so the other one is always walked to its end.
        bool takeFirst;
        if (first >= count(menu1))
            takeFirst = false;
        else if (second >= count(menu2))
            takeFirst = true;
        else
            takeFirst = menu1->Items(first)->GroupIndex() <= menu2->Items(second)->GroupIndex();
        TZylMenuItem* list = takeFirst ? menu1 : menu2;
        Integer& position = takeFirst ? first : second;
        const Byte group = list->Items(position)->GroupIndex();
        while (position < count(list) && list->Items(position)->GroupIndex() <= group) {
            if (func(list->Items(position))) return true;
            ++position;
        }
        while (first < count(menu1) && menu1->Items(first)->GroupIndex() <= group)
            ++first;
        while (second < count(menu2) && menu2->Items(second)->GroupIndex() <= group)
            ++second;
    }
    return false;
}

HMENU TZylMenuItem::GetHandle() {
    if (handle_) return handle_;
    const HMENU made = dynamic_cast<TZylPopupMenu*>(Owner()) ? CreatePopupMenu() : CreateMenu();
    if (!made) throw EZylMenuError(std::string(SOutOfResources));
    handle_ = made;
    PopulateMenu();
    return handle_;
}

void TZylMenuItem::PopulateMenu() {
    if (!handle_) return;
    const HMENU menu = handle_;
    IterateMenus(
        [menu](TZylMenuItem* item) {
            item->AppendTo(menu);
            return false;
        },
        merged_, this);
}

void TZylMenuItem::AppendTo(HMENU menu) {
    if (!visible_) return;
    std::string text = caption_;
    if (Count() > 0)
        GetHandle();
    else if (shortCut_ != 0 && !ValidateType())
        text += '\t' + vcl::ShortCutToText(shortCut_);
    if (ModernPlatform())
        AppendByInfo(menu, text);
    else
        AppendByFlags(menu, text);
}

void TZylMenuItem::AppendByInfo(HMENU menu, std::string& text) {
    const bool picture = asBitmapItem_->HasBitmap();
    MENUITEMINFO info{};
    // The record as systems without hbmpItem know it.
    info.cbSize = static_cast<UINT>(offsetof(MENUITEMINFO, hbmpItem));
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
    info.fType = (picture ? MFT_BITMAP : 0) | (radioItem_ ? MFT_RADIOCHECK : 0) | BreakFlag(break_) |
                 (divider_ ? MFT_SEPARATOR : 0) | (NewStyles() ? MFT_OWNERDRAW : 0);
    info.fState = (checked_ ? MFS_CHECKED : 0) | (enabled_ ? 0 : MFS_GRAYED) | (default_ ? MFS_DEFAULT : 0);
    info.wID = command_;
    info.hSubMenu = Count() > 0 ? handle_ : nullptr;
    if (picture)
        info.dwTypeData = reinterpret_cast<LPSTR>(asBitmapItem_->Bitmap()->Handle());
    else
        info.dwTypeData = text.data();
    InsertMenuItem(menu, static_cast<UINT>(-1), TRUE, &info);
}

void TZylMenuItem::AppendByFlags(HMENU menu, const std::string& text) {
    const bool ownerDraw = NewStyles();
    UINT flags = BreakFlag(break_) | (checked_ ? MF_CHECKED : 0) | (enabled_ ? 0 : MF_GRAYED | MF_DISABLED) |
                 MF_BYPOSITION | (ownerDraw ? MF_OWNERDRAW : 0);
    // An entry has one kind: an owner-drawn divider is painted by the program anyway.
    if (divider_ && !ownerDraw) flags |= MF_SEPARATOR;
    const LPCSTR content = ownerDraw ? nullptr : text.c_str();
    if (Count() > 0)
        InsertMenu(menu, static_cast<UINT>(-1), flags | MF_POPUP, HandleValue(handle_),
                   ownerDraw ? nullptr : caption_.c_str());
    else
        InsertMenu(menu, static_cast<UINT>(-1), flags, command_, content);
}

void TZylMenuItem::ApplyEntryState(HMENU root) {
    const bool ownerDraw = NewStyles();
    const bool picture = asBitmapItem_->HasBitmap();
    std::string text = caption_;
    if (shortCut_ != 0 && !ValidateType()) text += '\t' + vcl::ShortCutToText(shortCut_);
    MENUITEMINFO info{};
    info.cbSize = sizeof(info);
    // Kind, state, command and content; the submenu an entry opens stays.
    info.fMask = MIIM_TYPE | MIIM_STATE | MIIM_ID;
    // As appended: the old platform path gives an owner-drawn divider one kind.
    const bool separator = divider_ && (ModernPlatform() || !ownerDraw);
    info.fType = BreakFlag(break_) | (separator ? MFT_SEPARATOR : 0) | (radioItem_ ? MFT_RADIOCHECK : 0) |
                 (ownerDraw ? MFT_OWNERDRAW : (picture ? MFT_BITMAP : 0));
    // An entry carrying a standard command of the system menu keeps the grey the window gave it
    // (Restore on a normal window, Maximize without a maximize box): the window knows its state.
    const UINT entryState = systemItem_ != sicNone ? GetMenuState(root, command_, MF_BYCOMMAND) : 0;
    const bool greyedBySystem =
        enabled_ && entryState != static_cast<UINT>(-1) && (entryState & MF_GRAYED) != 0;
    info.fState = (enabled_ && !greyedBySystem ? 0 : MFS_GRAYED) | (checked_ ? MFS_CHECKED : 0) |
                  (default_ ? MFS_DEFAULT : 0);
    info.wID = command_;
    if (ownerDraw)
        info.dwTypeData = nullptr;
    else if (picture)
        info.dwTypeData = reinterpret_cast<LPSTR>(asBitmapItem_->Bitmap()->Handle());
    else
        info.dwTypeData = text.data();
    SetMenuItemInfo(root, command_, FALSE, &info);
}

void TZylMenuItem::RefreshHandles() {
    RefillHandle();
    for (TZylMenuItem* item : items_)
        item->RefreshHandles();
}

void TZylMenuItem::RemoveNativeEntries() {
    for (int count = GetMenuItemCount(handle_); count > 0; --count)
        RemoveMenu(handle_, static_cast<UINT>(count - 1), MF_BYPOSITION);
}

void TZylMenuItem::RefillHandle() {
    if (!handle_) return;
    RemoveNativeEntries();
    PopulateMenu();
}

void TZylMenuItem::RebuildHandle() {
    if (mergedWith_) {
        // The menu shows elsewhere; its own native menu is kept in step for when it is unmerged.
        RefillHandle();
        mergedWith_->RebuildHandle();
        return;
    }
    RefillHandle();
    MenuChanged(false);
}

void TZylMenuItem::MergeWith(TZylMenuItem* menu) {
    if (menu == merged_) return;
    for (const TZylMenuItem* link = menu; link; link = link->merged_)
        if (link == this) throw EZylMenuError("A menu cannot be merged into itself");
    if (merged_) merged_->mergedWith_ = nullptr;
    merged_ = nullptr;
    if (menu) {
        // A menu shows in one place at a time.
        if (TZylMenuItem* previousHost = menu->mergedWith_) previousHost->MergeWith(nullptr);
        merged_ = menu;
        menu->mergedWith_ = this;
    }
    RebuildHandle();
}

void TZylMenuItem::ClearHandles() {
    handle_ = nullptr;
    for (TZylMenuItem* item : items_)
        item->ClearHandles();
}

}  // namespace ribola
