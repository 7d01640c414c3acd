// The menu component base: the root item, fonts and image list link, the published tables of the
// classes that leave out framework properties, item lookup and dispatch, the native flags of every
// entry, the menu bar's signature, popping up, and giving back what a menu took over when it goes.
#include <array>

#include "ribola/zylmenu.h"
#include "vcl/classregistration.h"
#include "vcl/forms.h"
#include "win32/menu.h"
#include "win32/user.h"

namespace ribola {

using namespace win32;

namespace {

// Keeps exactly the named properties, in the order given: the framework ancestors publish
// properties that mean nothing for these classes. The class's own declarations (from `first` on in
// the table) replace the inherited ones of the same name.
void KeepPublished(vcl::detail::TPropTable& table, size_t first, std::span<const std::string_view> names) {
    auto find = [](auto begin, auto end, std::string_view name) -> const vcl::TPropInfo* {
        for (auto it = begin; it != end; ++it)
            if (vcl::SameText((*it)->name, name)) return &**it;
        return nullptr;
    };
    vcl::TPropList kept;
    kept.reserve(names.size());
    for (std::string_view name : names) {
        const vcl::TPropInfo* info =
            find(table.owned.begin() + static_cast<std::ptrdiff_t>(first), table.owned.end(), name);
        if (!info) info = find(table.all.begin(), table.all.end(), name);
        if (info) kept.push_back(info);
    }
    table.all = std::move(kept);
}

constexpr std::array<std::string_view, 22> kItemProperties = {
    "Name",      "Tag",      "HelpContext", "Hint",     "SystemItem", "AsBitmapItem", "SubMenuDetails",
    "Divider",   "Break",    "Caption",     "Checked",  "Visible",    "Default",      "Enabled",
    "RadioItem", "ShortCut", "OnClick",     "OnSelect", "ImageIndex", "CheckedIndex", "DisabledImageIndex",
    "GroupIndex"};

constexpr std::array<std::string_view, 15> kMenuProperties = {
    "Name",         "Tag",           "AutoPopup", "PopupAlignment", "Cursor",
    "SelectedFont", "SelectedColor", "NewStyles", "SelectType",     "MenuFont",
    "DividerFont",  "Images",        "Items",     "OnPopup",        "OnHint"};

template <typename Self, typename Base, auto& Names>
struct TSelectedClassInfo : vcl::detail::TClassInfoOf<Self, Base> {
    explicit TSelectedClassInfo(std::string_view className)
        : vcl::detail::TClassInfoOf<Self, Base>(className) {
        this->publish = [](vcl::detail::TPropTable& properties) {
            const size_t first = properties.owned.size();
            vcl::detail::PublishThunk<Self>(properties);
            KeepPublished(properties, first, Names);
        };
    }
};

const vcl::TClassRegistration streamingRegistration{
    TZylMenuItem::StaticClass(), TZylMainMenu::StaticClass(),        TZylPopupMenu::StaticClass(),
    TZylFormMenu::StaticClass(), TZylApplicationMenu::StaticClass(), TZylBitmapItem::StaticClass(),
    TZylSubMenu::StaticClass(),  TZylMenuGradient::StaticClass()};

// Visits every item of a tree, each before its children.
void VisitTree(TZylMenuItem* item, const std::function<void(TZylMenuItem*)>& visit) {
    for (Integer i = 0; i < item->Count(); ++i) {
        TZylMenuItem* child = item->Items(i);
        visit(child);
        VisitTree(child, visit);
    }
}

}  // namespace

vcl::TClass TZylMenuItem::StaticClass() {
    static const TSelectedClassInfo<TZylMenuItem, vcl::TMenuItem, kItemProperties> info("TZylMenuItem");
    return &info;
}

vcl::TClass TZylMenu::StaticClass() {
    static const TSelectedClassInfo<TZylMenu, vcl::TPopupMenu, kMenuProperties> info("TZylMenu");
    return &info;
}

void TZylMenuItem::Publish(vcl::Published<TZylMenuItem>& p) {
    p.Property("HelpContext", &TZylMenuItem::HelpContext, &TZylMenuItem::SetHelpContext, 0);
    p.Property("Hint", &TZylMenuItem::Hint, &TZylMenuItem::SetHint);
    p.Property("SystemItem", &TZylMenuItem::SystemItem, &TZylMenuItem::SetSystemItem, sicNone);
    p.Property("AsBitmapItem", &TZylMenuItem::AsBitmapItem);
    p.Property("SubMenuDetails", &TZylMenuItem::SubMenuDetails);
    p.Property("Divider", &TZylMenuItem::Divider, &TZylMenuItem::SetDivider, false);
    p.Property("Break", &TZylMenuItem::Break, &TZylMenuItem::SetBreak, mbNone);
    p.Property("Caption", &TZylMenuItem::Caption, &TZylMenuItem::SetCaption);
    p.Property("Checked", &TZylMenuItem::Checked, &TZylMenuItem::SetChecked, false);
    p.Property("Visible", &TZylMenuItem::Visible, &TZylMenuItem::SetVisible, true);
    p.Property("Default", &TZylMenuItem::Default, &TZylMenuItem::SetDefault, false);
    p.Property("Enabled", &TZylMenuItem::Enabled, &TZylMenuItem::SetEnabled, true);
    p.Property("RadioItem", &TZylMenuItem::RadioItem, &TZylMenuItem::SetRadioItem, false);
    p.Property("ShortCut", &TZylMenuItem::ShortCut, &TZylMenuItem::SetShortCut, vcl::TShortCut{0});
    p.Event("OnClick", static_cast<vcl::TNotifyEvent TZylMenuItem::*>(&TZylMenuItem::OnClick));
    p.Event("OnSelect", &TZylMenuItem::OnSelect);
    p.Property("ImageIndex", &TZylMenuItem::ImageIndex, &TZylMenuItem::SetImageIndex, -1);
    p.Property("CheckedIndex", &TZylMenuItem::CheckedIndex, &TZylMenuItem::SetCheckedIndex, -1);
    p.Property("DisabledImageIndex", &TZylMenuItem::DisabledImageIndex, &TZylMenuItem::SetDisabledImageIndex,
               -1);
    p.Property("GroupIndex", &TZylMenuItem::GroupIndex, &TZylMenuItem::SetGroupIndex, Byte{0});
}

void TZylMenu::Publish(vcl::Published<TZylMenu>& p) {
    p.Property("PopupAlignment", &TZylMenu::PopupAlignment, &TZylMenu::SetPopupAlignment, vcl::paLeft);
    p.Property("Cursor", &TZylMenu::Cursor, &TZylMenu::SetCursor, vcl::crDefault).Idents(vcl::CursorIdents());
    p.Property("SelectedFont", &TZylMenu::SelectedFont);
    p.Property("SelectedColor", &TZylMenu::SelectedColor, &TZylMenu::SetSelectedColor, vcl::clHighlight)
        .Idents(vcl::ColorIdents());
    p.Property("NewStyles", &TZylMenu::NewStyles, &TZylMenu::SetNewStyles, true);
    p.Property("SelectType", &TZylMenu::SelectType, &TZylMenu::SetSelectType, selNormal);
    p.Property("MenuFont", &TZylMenu::MenuFont);
    p.Property("DividerFont", &TZylMenu::DividerFont);
    p.Property("Images", &TZylMenu::Images, &TZylMenu::SetImages);
    // The tree is written as the menu's children, not as a property.
    p.Property("Items", &TZylMenu::Items).Owned().Stored(false);
    p.Event("OnHint", &TZylMenu::OnHint);
}

// ---------------------------------------------------------------------------------------------
// Life

TZylMenu::TZylMenu(vcl::TComponent* owner)
    : TPopupMenu(owner),
      items_(new TZylMenuItem(this)),
      imageChangeLink_(std::make_unique<vcl::TChangeLink>()),
      menuFont_(std::make_unique<vcl::TFont>()),
      selectedFont_(std::make_unique<vcl::TFont>()),
      dividerFont_(std::make_unique<vcl::TFont>()) {
    items_->menu_ = this;
    items_->OnClick = [this](vcl::TObject* sender) { DoPopup(sender); };
    items_->OnChange = [this](vcl::TObject* sender, bool rebuild) {
        MenuChanged(dynamic_cast<vcl::TMenuItem*>(sender), rebuild);
    };
    imageChangeLink_->OnChange = [this](vcl::TObject* sender) { ImageListChange(sender); };
    SetAutoPopup(true);
    if (Designing()) {
        // What a menu dropped in the designer starts with, and so writes to its form.
        selectedFont_->SetColor(vcl::clHighlightText);
        dividerFont_->SetName("Small Fonts");
        dividerFont_->SetSize(7);
    }
    for (vcl::TFont* font : {menuFont_.get(), selectedFont_.get(), dividerFont_.get()})
        font->OnChange = [this](vcl::TObject* sender) { FontChange(sender); };
}

TZylMenu::~TZylMenu() {
    GiveBack();
    for (vcl::TFont* font : {menuFont_.get(), selectedFont_.get(), dividerFont_.get()})
        font->OnChange = nullptr;
    // Free() has taken the root down with the owned components; a plain delete has not.
    if (TZylMenuItem* root = items_) {
        items_ = nullptr;
        root->menu_ = nullptr;
        root->OnChange = nullptr;
        root->Free();
    }
}

void TZylMenu::BeforeDestruction() {
    GiveBack();
    TPopupMenu::BeforeDestruction();
}

void TZylMenu::AdoptSystemMenu(HWND window) {
    const HMENU system = window ? GetSystemMenu(window, FALSE) : nullptr;
    if (!system || !items_) return;
    // An empty root menu made before the window was known is replaced, not leaked.
    if (const HMENU made = items_->Handle();
        made && made != system && IsMenu(made) && GetMenuItemCount(made) == 0)
        DestroyMenu(made);
    items_->SetHandle(system);
    systemMenuWindow_ = window;
    if (items_->Count() > 0) items_->RebuildHandle();
}

// ---------------------------------------------------------------------------------------------
// Properties

HMENU TZylMenu::GetHandle() {
    return items_ ? items_->GetHandle() : nullptr;
}

void TZylMenu::SetImages(vcl::TCustomImageList* value) {
    if (images_ == value) return;
    if (images_) {
        images_->UnRegisterChanges(imageChangeLink_.get());
        images_->RemoveFreeNotification(this);
    }
    images_ = value;
    if (value) {
        value->RegisterChanges(imageChangeLink_.get());
        value->FreeNotification(this);
    }
    MenuChanged(nullptr, false);
}

void TZylMenu::ImageListChange(vcl::TObject*) {
    TellWindow(GetWindowHandle());
}

void TZylMenu::FontChange(vcl::TObject*) {
    TellWindow(WindowHandle());
}

void TZylMenu::TellWindow(HWND window) {
    if (window && IsWindow(window)) SendMessage(window, vcl::CM_MENUCHANGED, 0, 0);
}

void TZylMenu::SetSelectedColor(TColor value) {
    selectedColor_ = value;
    TellWindow(GetWindowHandle());
}

void TZylMenu::SetNewStyles(bool value) {
    newStyles_ = value;
    if (!items_) return;
    // Every native menu made so far takes the new entry kinds.
    items_->RefreshHandles();
    SetOwnerDrawAll();
    if (WindowHandle() && IsWindow(WindowHandle())) DrawMenuBar(WindowHandle());
    if (auto* control = dynamic_cast<vcl::TControl*>(Owner()); control && !control->IsDestroying())
        control->Refresh();
    MenuChanged(nullptr, false);
}

// ---------------------------------------------------------------------------------------------
// The window

HWND TZylMenu::GetWindowHandle() {
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    windowHandle_ = control && !control->IsDestroying() ? control->Handle() : nullptr;
    return windowHandle_;
}

void TZylMenu::SetWindowHandle(HWND value) {
    windowHandle_ = value;
    UpdateImage();
}

void TZylMenu::SetMenu() {
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    if (!control) return;
    if (Designing() && !control->HandleAllocated()) return;
    const HWND window = control->Handle();
    const HMENU root = GetHandle();
    if (GetMenu(window) != root && !win32::SetMenu(window, root)) return;
    barWindow_ = window;
    if (Designing()) SetWindowHandle(window);
}

bool TZylMenu::UpdateImage() {
    if (!windowHandle_) return false;
    // Entry texts with their states, as far as 512 characters take them.
    constexpr size_t kCapacity = 512;
    const HMENU root = GetHandle();
    std::string image;
    for (int position = 0, count = GetMenuItemCount(root); position < count; ++position) {
        if (kCapacity - image.size() < 5) break;
        char text[kCapacity] = {};
        GetMenuString(root, static_cast<UINT>(position), text, static_cast<int>(kCapacity - image.size() - 4),
                      MF_BYPOSITION);
        image += text;
        const UINT state = GetMenuState(root, static_cast<UINT>(position), MF_BYPOSITION);
        if (state & MF_DISABLED) image += '$';
        if (state & MF_MENUBREAK) image += '@';
        if (state & MF_GRAYED) image += '#';
        image += ';';
    }
    if (hasMenuImage_ && image == menuImage_) return false;
    menuImage_ = std::move(image);
    hasMenuImage_ = true;
    return true;
}

void TZylMenu::SetOwnerDrawAll() {
    const HMENU root = items_ ? items_->Handle() : nullptr;
    if (!root || !IsMenu(root)) return;
    const auto apply = [root](TZylMenuItem* item) { item->ApplyEntryState(root); };
    VisitTree(items_, apply);
    if (TZylMenuItem* merged = items_->Merged()) VisitTree(merged, apply);
}

void TZylMenu::Loaded() {
    TPopupMenu::Loaded();
    if (!items_) return;
    items_->RefreshHandles();
    SetOwnerDrawAll();
    MenuChanged(nullptr, false);
}

// ---------------------------------------------------------------------------------------------
// Items

TZylMenuItem* TZylMenu::FindItem(UINT_PTR value, TZylFindItemKind kind) const {
    if (!items_) return nullptr;
    // Handle 0 names no submenu, though every item without one holds it.
    if (kind == fkHandle && value == 0) return nullptr;
    TZylMenuItem* found = nullptr;
    std::function<bool(TZylMenuItem*)> visit = [&](TZylMenuItem* item) {
        bool match = false;
        switch (kind) {
            case fkCommand:
                match = item->Command() == value;
                break;
            case fkHandle:
                match = HandleValue(item->Handle()) == value;
                break;
            case fkShortCut:
                match = item->ShortCut() == value;
                break;
        }
        if (match) {
            found = item;
            return true;
        }
        for (Integer i = 0; i < item->Count(); ++i)
            if (visit(item->Items(i))) return true;
        return false;
    };
    IterateMenus(visit, items_->Merged(), items_);
    return found;
}

bool TZylMenu::DispatchCommand(Word command) {
    TZylMenuItem* item = FindItem(command, fkCommand);
    if (!item) return false;
    item->Click();
    return true;
}

bool TZylMenu::DispatchPopup(HMENU menu) {
    TZylMenuItem* item = FindItem(HandleValue(menu), fkHandle);
    if (!item) return false;
    item->Click();
    return true;
}

Integer TZylMenu::GetHelpContext(UINT_PTR value, bool byCommand) const {
    if (!byCommand && items_ && value != 0 && HandleValue(items_->Handle()) == value)
        if (auto* popup = dynamic_cast<const TZylPopupMenu*>(this)) return popup->HelpContext();
    for (const TZylMenuItem* item = FindItem(value, byCommand ? fkCommand : fkHandle); item;
         item = item->Parent())
        if (item->HelpContext() != 0) return item->HelpContext();
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Popping up

void TZylMenu::DoPopup(vcl::TObject* sender) {
    TPopupMenu::DoPopup(sender);
}

void TZylMenu::Popup(Integer x, Integer y) {
    const std::shared_ptr<bool> alive = alive_;
    DoPopup(this);
    if (!*alive) return;
    static constexpr UINT kAlignments[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
    const UINT flags = kAlignments[static_cast<size_t>(popupAlignment_)] | TPM_RIGHTBUTTON;
    TrackPopupMenu(GetHandle(), flags, x, y, 0, WindowHandle(), nullptr);
}

void TZylMenu::MenuChanged(vcl::TMenuItem*, bool) {}

// ---------------------------------------------------------------------------------------------
// Components

void TZylMenu::GetChildren(const std::function<void(vcl::TComponent*)>& proc, vcl::TComponent* root) {
    if (items_) items_->GetChildren(proc, root);
}

void TZylMenu::SetChildOrder(vcl::TComponent* child, int order) {
    if (items_) items_->SetChildOrder(child, order);
}

void TZylMenu::Notification(vcl::TComponent* component, vcl::TOperation operation) {
    if (operation == vcl::TOperation::opRemove) {
        if (component == images_) {
            images_->UnRegisterChanges(imageChangeLink_.get());
            images_ = nullptr;
        }
        if (component == items_) items_ = nullptr;
    }
    TPopupMenu::Notification(component, operation);
    if (component == this || IsDestroying()) return;
    if (dynamic_cast<TZylMainMenu*>(component)) {
        // A menu bar came or went: the form's client area changed.
        if (auto* control = dynamic_cast<vcl::TControl*>(Owner()); control && !control->IsDestroying())
            control->Refresh();
    }
    if (operation == vcl::TOperation::opInsert && dynamic_cast<TZylMainMenu*>(this) &&
        dynamic_cast<vcl::TMainMenu*>(component))
        throw vcl::Exception("You can not use a TMainMenu in conjunction with TZylMainMenu ");
}

}  // namespace ribola
