#include "vcl/menus.h"

#include <algorithm>

#include "classes/links.h"
#include "vcl/forms.h"
#include "win32/menu.h"
#include "win32/user.h"

namespace vcl {

using namespace win32;

namespace {

[[noreturn]] void MenuIndexError() {
    throw EMenuError("Menu index out of range");
}

// Command identifiers travel in WM_COMMAND's low word, so there are 0xFFFF of them; 0 means none.
class CommandPool {
public:
    UINT Take() {
        for (size_t tries = 0; tries < kLimit; ++tries) {
            const UINT candidate = next_;
            next_ = next_ == kLimit ? 1 : next_ + 1;
            if (!used_[candidate]) {
                used_[candidate] = true;
                return candidate;
            }
        }
        throw EMenuError("Too many menu items");
    }
    void Give(UINT command) {
        if (command > 0 && command <= kLimit) used_[command] = false;
    }

private:
    static constexpr UINT kLimit = 0xFFFF;
    std::vector<bool> used_ = std::vector<bool>(kLimit + 1, false);
    UINT next_ = 1;
};

CommandPool& Commands() {
    static CommandPool pool;
    return pool;
}

std::vector<TPopupMenu*>& PopupMenus() {
    static std::vector<TPopupMenu*> list;
    return list;
}

bool SameCaption(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

// The item a WM_MENUSELECT names: a command, or for a submenu entry its position in `menu`.
TMenuItem* SelectedItem(TMenu* menu, WPARAM wParam, LPARAM lParam) {
    const UINT flags = HIWORD(wParam);
    if (flags == 0xFFFF) return nullptr;
    if (flags & MF_POPUP) {
        const HMENU sub = GetSubMenu(reinterpret_cast<HMENU>(lParam), LOWORD(wParam));
        return sub ? menu->FindItem(HandleValue(sub) & 0xFFFFFFFFu, fkHandle) : nullptr;
    }
    return menu->FindItem(LOWORD(wParam), fkCommand);
}

LRESULT PopupListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        switch (msg) {
            case WM_COMMAND:
                for (TPopupMenu* menu : std::vector<TPopupMenu*>(PopupMenus()))
                    if (menu->DispatchCommand(LOWORD(wParam))) return 0;
                break;
            case WM_INITMENUPOPUP:
                for (TPopupMenu* menu : std::vector<TPopupMenu*>(PopupMenus()))
                    if (menu->DispatchPopup(reinterpret_cast<HMENU>(wParam))) return 0;
                break;
            case WM_MENUSELECT: {
                std::string hint;
                for (TPopupMenu* menu : PopupMenus())
                    if (TMenuItem* item = SelectedItem(menu, wParam, lParam)) {
                        hint = GetLongHint(item->Hint());
                        break;
                    }
                if (Application) Application->SetHint(hint);
                return 0;
            }
            default:
                break;
        }
    } catch (const std::exception& error) {
        if (Application) Application->HandleException(nullptr, error);
        return 0;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

constexpr const char* kPopupListClass = "TPopupListWindow";

}  // namespace

HWND PopupListWindow() {
    static HWND window = nullptr;
    if (window && IsWindow(window)) return window;
    WNDCLASS cls{};
    if (!GetClassInfo(nullptr, kPopupListClass, &cls)) {
        cls.lpfnWndProc = PopupListProc;
        cls.lpszClassName = kPopupListClass;
        if (!RegisterClass(&cls)) throw EOutOfResources("Cannot create the popup menu window");
    }
    window = CreateWindowEx(0, kPopupListClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (!window) throw EOutOfResources("Cannot create the popup menu window");
    return window;
}

// ---------------------------------------------------------------------------------------------
// TMenuItem

VCL_DEFINE_CLASS(TMenuItem, TComponent)

TMenuItem::TMenuItem(TComponent* owner)
    : TComponent(owner), command_(Commands().Take()), bitmap_(std::make_unique<TBitmap>()) {
    bitmap_->OnChange = [this](TObject* sender) { BitmapChanged(sender); };
}

TMenuItem::~TMenuItem() {
    if (menu_ && menu_->items_ == this) menu_->items_ = nullptr;
    if (parent_) {
        const auto found = std::find(parent_->items_.begin(), parent_->items_.end(), this);
        if (found != parent_->items_.end()) parent_->items_.erase(found);
        TMenuItem* oldParent = parent_;
        parent_ = nullptr;
        oldParent->MenuChanged(true);
    }
    if (merged_) merged_->mergedWith_ = nullptr;
    if (mergedWith_) {
        mergedWith_->merged_ = nullptr;
        mergedWith_->MenuChanged(true);
    }
    while (!items_.empty()) {
        TMenuItem* child = items_.back();
        items_.pop_back();
        child->parent_ = nullptr;
        child->Free();
    }
    if (handle_ && IsMenu(handle_)) {
        // Entries are detached first so that no submenu someone else holds goes with this menu.
        while (GetMenuItemCount(handle_) > 0)
            RemoveMenu(handle_, 0, MF_BYPOSITION);
        DestroyMenu(handle_);
    }
    Commands().Give(command_);
}

TMenuItem* TMenuItem::Items(Integer index) const {
    if (index < 0 || index >= Count()) MenuIndexError();
    return items_[static_cast<size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item) {
    Insert(Count(), item);
}

void TMenuItem::Add(const std::vector<TMenuItem*>& items) {
    for (TMenuItem* item : items)
        Add(item);
}

void TMenuItem::Insert(Integer index, TMenuItem* item) {
    if (!item) throw EMenuError("Cannot insert a nil menu item");
    if (item->parent_) throw EMenuError("Menu inserted twice");
    if (index < 0 || index > Count()) MenuIndexError();
    for (const TMenuItem* up = this; up; up = up->parent_)
        if (up == item) throw EMenuError("Menu inserted twice");
    DoInsert(index, item);
}

void TMenuItem::DoInsert(Integer index, TMenuItem* item) {
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    if (item->checked_ && item->radioItem_) item->TurnSiblingsOff();
    MenuChanged(true);
}

void TMenuItem::Delete(Integer index) {
    if (index < 0 || index >= Count()) MenuIndexError();
    TMenuItem* item = items_[static_cast<size_t>(index)];
    items_.erase(items_.begin() + index);
    item->parent_ = nullptr;
    MenuChanged(true);
}

void TMenuItem::Remove(TMenuItem* item) {
    const Integer index = IndexOf(item);
    if (index < 0) throw EMenuError("Sub-menu is not in menu");
    Delete(index);
}

void TMenuItem::Clear() {
    while (!items_.empty())
        items_.back()->Free();
}

Integer TMenuItem::IndexOf(const TMenuItem* item) const {
    const auto found = std::find(items_.begin(), items_.end(), item);
    return found == items_.end() ? -1 : static_cast<Integer>(found - items_.begin());
}

TMenuItem* TMenuItem::Find(std::string_view caption) const {
    const std::string wanted = StripHotkey(caption);
    for (TMenuItem* item : items_)
        if (SameCaption(StripHotkey(item->caption_), wanted)) return item;
    return nullptr;
}

Integer TMenuItem::MenuIndex() const {
    return parent_ ? parent_->IndexOf(this) : -1;
}

void TMenuItem::SetMenuIndex(Integer value) {
    if (!parent_) return;
    TMenuItem* parent = parent_;
    const Integer current = MenuIndex();
    value = std::clamp(value, 0, parent->Count() - 1);
    if (value == current) return;
    parent->items_.erase(parent->items_.begin() + current);
    parent->items_.insert(parent->items_.begin() + value, this);
    parent->MenuChanged(true);
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* root = this;
    while (root->parent_)
        root = root->parent_;
    return root->menu_;
}

bool TMenuItem::HandleAllocated() const {
    return handle_ && IsMenu(handle_);
}

HMENU TMenuItem::Handle() {
    if (HandleAllocated()) return handle_;
    // A window takes its menu bar down with it, so a stale handle is made again.
    const bool bar = !parent_ && menu_ && menu_->IsMenuBar();
    handle_ = bar ? CreateMenu() : CreatePopupMenu();
    if (!handle_) throw EOutOfResources("Cannot create a menu");
    RebuildHandle();
    return handle_;
}

std::vector<TMenuItem*> TMenuItem::ShownItems() const {
    std::vector<TMenuItem*> shown;
    for (TMenuItem* item : items_)
        if (item->visible_) shown.push_back(item);
    if (!merged_) return shown;
    std::vector<TMenuItem*> incoming;
    for (TMenuItem* item : merged_->items_)
        if (item->visible_) incoming.push_back(item);
    std::erase_if(shown, [&](const TMenuItem* own) {
        return std::any_of(incoming.begin(), incoming.end(),
                           [&](const TMenuItem* other) { return other->groupIndex_ == own->groupIndex_; });
    });
    for (TMenuItem* item : incoming) {
        const auto at = std::find_if(shown.begin(), shown.end(), [&](const TMenuItem* own) {
            return own->groupIndex_ > item->groupIndex_;
        });
        shown.insert(at, item);
    }
    return shown;
}

void TMenuItem::RebuildHandle() {
    if (!HandleAllocated()) return;
    while (GetMenuItemCount(handle_) > 0)
        RemoveMenu(handle_, 0, MF_BYPOSITION);
    const bool bar = !parent_ && menu_ && menu_->IsMenuBar();
    for (TMenuItem* item : ShownItems())
        item->AppendTo(handle_, bar);
}

void TMenuItem::AppendTo(HMENU menu, bool onMenuBar) {
    MENUITEMINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    std::string text;
    if (IsLine()) {
        info.fType = MFT_SEPARATOR;
    } else {
        info.fMask |= MIIM_STRING;
        info.fType = MFT_STRING;
        if (radioItem_) info.fType |= MFT_RADIOCHECK;
        text = caption_;
        if (shortCut_ != scNone && !onMenuBar) text += '\t' + ShortCutToText(shortCut_);
        info.dwTypeData = text.data();
        info.cch = static_cast<UINT>(text.size());
        if (HasBitmap()) {
            info.fMask |= MIIM_BITMAP;
            info.hbmpItem = bitmap_->Handle();
        }
    }
    if (break_ == mbBreak) info.fType |= MFT_MENUBREAK;
    if (break_ == mbBarBreak) info.fType |= MFT_MENUBARBREAK;
    if (checked_) info.fState |= MFS_CHECKED;
    if (!enabled_) info.fState |= MFS_GRAYED;
    if (default_) info.fState |= MFS_DEFAULT;
    info.wID = command_;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(this);
    if (!items_.empty() || merged_) info.hSubMenu = Handle();
    InsertMenuItem(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
}

void TMenuItem::MenuChanged(bool rebuild) {
    if (IsDestroying()) return;
    TMenuItem* target = rebuild ? this : parent_;
    if (!target) target = this;
    // A leaf that gains children (or loses them) changes its entry in the parent too.
    if (rebuild && parent_) parent_->RebuildHandle();
    target->RebuildHandle();
    TMenuItem* root = target;
    while (root->parent_)
        root = root->parent_;
    if (root->mergedWith_) {
        root->mergedWith_->RebuildHandle();
        if (TMenu* host = root->mergedWith_->menu_; host && !host->IsDestroying())
            host->MenuChanged(this, true);
    }
    if (TMenu* menu = root->menu_; menu && !menu->IsDestroying()) menu->MenuChanged(this, rebuild);
}

void TMenuItem::SetCaption(const std::string& value) {
    if (caption_ == value) return;
    caption_ = value;
    MenuChanged(false);
}

void TMenuItem::SetShortCut(TShortCut value) {
    if (shortCut_ == value) return;
    shortCut_ = value;
    MenuChanged(false);
}

void TMenuItem::SetChecked(bool value) {
    if (checked_ == value) return;
    checked_ = value;
    if (value && radioItem_) TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::TurnSiblingsOff() {
    if (!parent_) return;
    for (TMenuItem* sibling : parent_->items_) {
        if (sibling == this || !sibling->radioItem_ || sibling->groupIndex_ != groupIndex_ ||
            !sibling->checked_)
            continue;
        sibling->checked_ = false;
        sibling->MenuChanged(false);
    }
}

void TMenuItem::SetRadioItem(bool value) {
    if (radioItem_ == value) return;
    radioItem_ = value;
    if (checked_ && value) TurnSiblingsOff();
    MenuChanged(false);
}

void TMenuItem::SetGroupIndex(Byte value) {
    if (groupIndex_ == value) return;
    groupIndex_ = value;
    if (checked_ && radioItem_) TurnSiblingsOff();
    MenuChanged(true);
}

void TMenuItem::SetDefault(bool value) {
    if (default_ == value) return;
    if (value && parent_)
        for (TMenuItem* sibling : parent_->items_)
            if (sibling != this && sibling->default_) {
                sibling->default_ = false;
                sibling->MenuChanged(false);
            }
    default_ = value;
    MenuChanged(false);
}

void TMenuItem::SetEnabled(bool value) {
    if (enabled_ == value) return;
    enabled_ = value;
    MenuChanged(false);
}

void TMenuItem::SetVisible(bool value) {
    if (visible_ == value) return;
    visible_ = value;
    MenuChanged(false);
}

void TMenuItem::SetBreak(TMenuBreak value) {
    if (break_ == value) return;
    break_ = value;
    MenuChanged(false);
}

void TMenuItem::SetBitmap(const TBitmap* value) {
    bitmap_->Assign(value);
}

void TMenuItem::BitmapChanged(TObject*) {
    MenuChanged(false);
}

void TMenuItem::SetImageIndex(Integer value) {
    if (value < -1) value = -1;
    if (imageIndex_ == value) return;
    imageIndex_ = value;
    MenuChanged(false);
}

void TMenuItem::Click() {
    if (!enabled_) return;
    if (autoCheck_) SetChecked(radioItem_ ? true : !checked_);
    if (OnClick) OnClick(this);
}

TComponent* TMenuItem::GetParentComponent() const {
    if (parent_ && parent_->menu_) return parent_->menu_;
    return parent_;
}

void TMenuItem::SetParentComponent(TComponent* value) {
    if (parent_) parent_->Remove(this);
    if (!value) return;
    if (auto* menu = dynamic_cast<TMenu*>(value))
        menu->Items()->Add(this);
    else if (auto* item = dynamic_cast<TMenuItem*>(value))
        item->Add(this);
    else
        throw EMenuError(Format("%s cannot hold menu items", {std::string(value->ClassName())}));
}

void TMenuItem::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    for (TMenuItem* item : std::vector<TMenuItem*>(items_))
        if (item->Owner() == root) proc(item);
}

void TMenuItem::SetChildOrder(TComponent* child, int order) {
    if (auto* item = dynamic_cast<TMenuItem*>(child); item && item->parent_ == this)
        item->SetMenuIndex(order);
}

TMenuItem* TMenuItem::FindIn(UINT value, TFindItemKind kind) {
    for (TMenuItem* item : items_) {
        switch (kind) {
            case fkCommand:
                if (item->command_ == value) return item;
                break;
            case fkHandle:
                if (item->handle_ && (HandleValue(item->handle_) & 0xFFFFFFFFu) == value) return item;
                break;
            case fkShortCut:
                if (item->shortCut_ != scNone && item->shortCut_ == value) return item;
                break;
        }
        if (TMenuItem* found = item->FindIn(value, kind)) return found;
    }
    return nullptr;
}

void TMenuItem::Publish(Published<TMenuItem>& p) {
    p.Property("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck, false);
    p.Property("Bitmap", &TMenuItem::Bitmap).Stored(&TMenuItem::IsBitmapStored);
    p.Property("Break", &TMenuItem::Break, &TMenuItem::SetBreak, mbNone);
    p.Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
    p.Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, false);
    p.Property("Default", &TMenuItem::Default, &TMenuItem::SetDefault, false);
    p.Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true);
    p.Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex, Byte{0});
    p.Property("HelpContext", &TMenuItem::HelpContext, &TMenuItem::SetHelpContext, 0);
    p.Property("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
    p.Property("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex, -1);
    p.Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem, false);
    p.Property("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut, TShortCut{scNone});
    p.Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, true);
    p.Event("OnClick", &TMenuItem::OnClick);
}

// ---------------------------------------------------------------------------------------------
// TMenu

VCL_DEFINE_CLASS(TMenu, TComponent)

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) {
    items_->menu_ = this;
}

TMenu::~TMenu() {
    // Free() has taken the root item down already; a direct delete has not.
    if (TMenuItem* root = items_) {
        items_ = nullptr;
        root->menu_ = nullptr;
        root->Free();
    }
}

void TMenu::SetImages(TImageList* value) {
    if (ReplaceLink(this, images_, value)) items_->MenuChanged(true);
}

void TMenu::SetOwnerDraw(bool value) {
    if (ownerDraw_ == value) return;
    ownerDraw_ = value;
    items_->MenuChanged(true);
}

void TMenu::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove) {
        if (component == images_) images_ = nullptr;
        if (component == items_) items_ = nullptr;
    }
    TComponent::Notification(component, operation);
}

TMenuItem* TMenu::FindItem(UINT value, TFindItemKind kind) {
    if (!items_) return nullptr;
    if (kind == fkHandle && items_->handle_ && (HandleValue(items_->handle_) & 0xFFFFFFFFu) == value)
        return items_;
    if (TMenuItem* found = items_->FindIn(value, kind)) return found;
    if (items_->merged_) return items_->merged_->FindIn(value, kind);
    return nullptr;
}

bool TMenu::DispatchCommand(UINT command) {
    TMenuItem* item = command ? FindItem(command, fkCommand) : nullptr;
    if (!item) return false;
    item->Click();
    return true;
}

bool TMenu::DispatchPopup(HMENU submenu) {
    if (!submenu) return false;
    TMenuItem* item = FindItem(static_cast<UINT>(HandleValue(submenu) & 0xFFFFFFFFu), fkHandle);
    if (!item) return false;
    if (item != items_) item->Click();
    return true;
}

bool TMenu::IsShortCut(TShortCut shortCut) {
    TMenuItem* item = shortCut != scNone ? FindItem(shortCut, fkShortCut) : nullptr;
    if (!item) return false;
    for (TMenuItem* up = item; up && up != items_; up = up->parent_)
        if (!up->enabled_) return false;
    item->Click();
    return true;
}

void TMenu::MenuChanged(TMenuItem*, bool) {}

void TMenu::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    if (items_) items_->GetChildren(proc, root);
}

void TMenu::SetChildOrder(TComponent* child, int order) {
    if (items_) items_->SetChildOrder(child, order);
}

void TMenu::Publish(Published<TMenu>& p) {
    p.Property("Images", &TMenu::Images, &TMenu::SetImages);
    p.Property("OwnerDraw", &TMenu::OwnerDraw, &TMenu::SetOwnerDraw, false);
}

// ---------------------------------------------------------------------------------------------
// TMainMenu

VCL_DEFINE_CLASS(TMainMenu, TMenu)

// A form's components hear of a main menu once it is one: some refuse to share the form with it.
TMainMenu::TMainMenu(TComponent* owner) : TMenu(DeferInsertionNotice(owner)) {
    AnnounceInsertion();
}

TMainMenu::~TMainMenu() {
    // Freed through Free(), the root item and its links are gone already.
    if (!Items()) return;
    if (TMainMenu* host = MergedInto()) host->Unmerge(this);
    if (TMainMenu* merged = MergedMenu()) Unmerge(merged);
}

TCustomForm* TMainMenu::OwnerForm() const {
    return dynamic_cast<TCustomForm*>(Owner());
}

TMainMenu* TMainMenu::MergedInto() const {
    TMenuItem* host = Items() ? Items()->mergedWith_ : nullptr;
    return host ? static_cast<TMainMenu*>(host->menu_) : nullptr;
}

TMainMenu* TMainMenu::MergedMenu() const {
    TMenuItem* merged = Items() ? Items()->merged_ : nullptr;
    return merged ? static_cast<TMainMenu*>(merged->menu_) : nullptr;
}

void TMainMenu::Merge(TMainMenu* menu) {
    if (!menu || menu == this || !Items() || !menu->Items()) return;
    if (MergedMenu() == menu) return;
    if (TMainMenu* previous = MergedMenu()) Unmerge(previous);
    if (TMainMenu* host = menu->MergedInto()) host->Unmerge(menu);
    Items()->merged_ = menu->Items();
    menu->Items()->mergedWith_ = Items();
    Items()->MenuChanged(true);
}

void TMainMenu::Unmerge(TMainMenu* menu) {
    if (!menu || MergedMenu() != menu) return;
    Items()->merged_ = nullptr;
    menu->Items()->mergedWith_ = nullptr;
    Items()->MenuChanged(true);
}

void TMainMenu::SetAutoMerge(bool value) {
    if (autoMerge_ == value) return;
    autoMerge_ = value;
    if (!IsLoading()) ApplyAutoMerge();
}

void TMainMenu::ApplyAutoMerge() {
    TCustomForm* form = OwnerForm();
    TCustomForm* mainForm = Application ? Application->MainForm() : nullptr;
    auto* host = mainForm ? dynamic_cast<TMainMenu*>(mainForm->MenuComponent()) : nullptr;
    if (autoMerge_) {
        if (form && form != mainForm && host && host != this) host->Merge(this);
    } else if (TMainMenu* current = MergedInto()) {
        current->Unmerge(this);
    }
}

void TMainMenu::Loaded() {
    TMenu::Loaded();
    if (autoMerge_) ApplyAutoMerge();
}

void TMainMenu::MenuChanged(TMenuItem* source, bool rebuild) {
    TMenu::MenuChanged(source, rebuild);
    TCustomForm* form = OwnerForm();
    if (!form || form->IsDestroying() || form->MenuComponent() != this || !form->HandleAllocated()) return;
    windowHandle_ = form->Handle();
    form->MenuChanged();
}

// ---------------------------------------------------------------------------------------------
// TPopupMenu

VCL_DEFINE_CLASS(TPopupMenu, TMenu)

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {
    PopupMenus().push_back(this);
}

TPopupMenu::~TPopupMenu() {
    std::erase(PopupMenus(), this);
    if (popupComponent_) popupComponent_->RemoveFreeNotification(this);
}

void TPopupMenu::SetPopupComponent(TComponent* value) {
    ReplaceLink(this, popupComponent_, value);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && component == popupComponent_) popupComponent_ = nullptr;
    TMenu::Notification(component, operation);
}

void TPopupMenu::DoPopup(TObject* sender) {
    if (OnPopup) OnPopup(sender);
}

void TPopupMenu::Popup(Integer x, Integer y) {
    DoPopup(this);
    static constexpr UINT kAlignments[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
    const UINT flags = kAlignments[static_cast<size_t>(alignment_)] |
                       (trackButton_ == tbRightButton ? TPM_RIGHTBUTTON : TPM_LEFTBUTTON);
    windowHandle_ = PopupListWindow();
    const HMENU menu = Handle();
    TrackPopupMenu(menu, flags, x, y, 0, windowHandle_, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Building menus in code

TMenuItem* NewItem(const std::string& caption, TShortCut shortCut, bool checked, bool enabled,
                   TNotifyEvent onClick, Integer helpContext, const std::string& name) {
    auto* item = new TMenuItem(nullptr);
    try {
        item->SetName(name);
    } catch (...) {
        item->Free();
        throw;
    }
    item->SetCaption(caption);
    item->SetShortCut(shortCut);
    item->SetChecked(checked);
    item->SetEnabled(enabled);
    item->OnClick = std::move(onClick);
    item->SetHelpContext(helpContext);
    return item;
}

TMenuItem* NewLine() {
    auto* item = new TMenuItem(nullptr);
    item->SetCaption(std::string(cLineCaption));
    return item;
}

TMenuItem* NewSubMenu(const std::string& caption, Integer helpContext, const std::string& name,
                      const std::vector<TMenuItem*>& items, bool enabled) {
    TMenuItem* item = NewItem(caption, scNone, false, enabled, nullptr, helpContext, name);
    item->Add(items);
    return item;
}

namespace {

template <typename M>
M* NewMenuOf(TComponent* owner, const std::string& name, const std::vector<TMenuItem*>& items) {
    auto* menu = new M(owner);
    try {
        menu->SetName(name);
        menu->Items()->Add(items);
    } catch (...) {
        menu->Free();
        throw;
    }
    return menu;
}

}  // namespace

TMainMenu* NewMenu(TComponent* owner, const std::string& name, const std::vector<TMenuItem*>& items) {
    return NewMenuOf<TMainMenu>(owner, name, items);
}

TPopupMenu* NewPopupMenu(TComponent* owner, const std::string& name, TPopupAlignment alignment,
                         bool autoPopup, const std::vector<TMenuItem*>& items) {
    TPopupMenu* menu = NewMenuOf<TPopupMenu>(owner, name, items);
    menu->SetAlignment(alignment);
    menu->SetAutoPopup(autoPopup);
    return menu;
}

std::string GetHotkey(std::string_view caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        // The whole UTF-8 sequence of the marked character.
        const auto lead = static_cast<unsigned char>(caption[i + 1]);
        size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        return std::string(caption.substr(i + 1, std::min(length, caption.size() - i - 1)));
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// How the controls and forms reach the menus

namespace {

const bool menuClassesRegistered = [] {
    RegisterClasses({TMenuItem::StaticClass(), TMainMenu::StaticClass(), TPopupMenu::StaticClass()});
    TMenuHooks& hooks = MenuHooks();
    hooks.popup = [](TComponent* component, TControl* control, Integer x, Integer y) {
        auto* menu = dynamic_cast<TPopupMenu*>(component);
        if (!menu || !menu->AutoPopup()) return;
        menu->SetPopupComponent(control);
        menu->Popup(x, y);
    };
    hooks.isShortCut = [](TComponent* component, TShortCut shortCut) {
        auto* menu = dynamic_cast<TMenu*>(component);
        return menu && menu->IsShortCut(shortCut);
    };
    hooks.menuHandle = [](TComponent* component) -> HMENU {
        auto* menu = dynamic_cast<TMainMenu*>(component);
        return menu ? menu->Handle() : nullptr;
    };
    hooks.dispatchCommand = [](TComponent* component, UINT command) {
        auto* menu = dynamic_cast<TMenu*>(component);
        return menu && menu->DispatchCommand(command);
    };
    hooks.initPopup = [](TComponent* component, HMENU popup) {
        if (auto* menu = dynamic_cast<TMenu*>(component)) menu->DispatchPopup(popup);
    };
    return true;
}();

}  // namespace

}  // namespace vcl
