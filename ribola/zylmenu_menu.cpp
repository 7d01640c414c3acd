// The menu component base that holds a root item, its bar and popup descendants, item lookup,
// and the class information of the classes whose published lists leave out framework properties.
#include <array>

#include "ribola/zylmenu.h"
#include "vcl/classregistration.h"
#include "vcl/forms.h"
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

constexpr std::array<std::string_view, 6> kMenuProperties = {"Name",      "Tag",    "AutoPopup",
                                                             "NewStyles", "Images", "OnPopup"};

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
    TZylMenuItem::StaticClass(),   TZylMainMenu::StaticClass(), TZylPopupMenu::StaticClass(),
    TZylBitmapItem::StaticClass(), TZylSubMenu::StaticClass(),  TZylMenuGradient::StaticClass()};

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

// ---------------------------------------------------------------------------------------------
// TZylMenu

TZylMenu::TZylMenu(vcl::TComponent* owner)
    : TPopupMenu(owner),
      items_(new TZylMenuItem(this)),
      imageChangeLink_(std::make_unique<vcl::TChangeLink>()) {
    items_->menu_ = this;
    items_->OnClick = [this](vcl::TObject* sender) { DoPopup(sender); };
    items_->OnChange = [this](vcl::TObject* sender, bool rebuild) {
        MenuChanged(dynamic_cast<vcl::TMenuItem*>(sender), rebuild);
    };
    imageChangeLink_->OnChange = [this](vcl::TObject* sender) { ImageListChange(sender); };
}

TZylMenu::~TZylMenu() {
    if (images_) {
        images_->UnRegisterChanges(imageChangeLink_.get());
        images_->RemoveFreeNotification(this);
        images_ = nullptr;
    }
    // Free() has taken the root down with the owned components; a plain delete has not.
    if (TZylMenuItem* root = items_) {
        items_ = nullptr;
        root->menu_ = nullptr;
        root->OnChange = nullptr;
        root->Free();
    }
}

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
    MenuChanged(nullptr, false);
}

void TZylMenu::SetNewStyles(bool value) {
    newStyles_ = value;
    if (!items_) return;
    // Every native menu made so far takes the new entry kinds.
    std::function<void(TZylMenuItem*)> refill = [&refill](TZylMenuItem* item) {
        item->RefillHandle();
        for (TZylMenuItem* child : item->items_)
            refill(child);
    };
    refill(items_);
    MenuChanged(nullptr, false);
}

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

HWND TZylMenu::GetWindowHandle() {
    auto* control = dynamic_cast<vcl::TWinControl*>(Owner());
    windowHandle_ = control ? control->Handle() : nullptr;
    return windowHandle_;
}

void TZylMenu::MenuChanged(vcl::TMenuItem*, bool) {}

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
}

// ---------------------------------------------------------------------------------------------
// TZylMainMenu and TZylPopupMenu

VCL_DEFINE_CLASS(TZylMainMenu, TZylMenu)

void TZylMainMenu::ItemChanged() {
    MenuChanged(nullptr, false);
    if (const HWND window = WindowHandle()) SendMessage(window, vcl::CM_MENUCHANGED, 0, 0);
}

VCL_DEFINE_CLASS(TZylPopupMenu, TZylMenu)

HWND TZylPopupMenu::GetWindowHandle() {
    windowHandle_ = vcl::Application ? vcl::Application->Handle() : nullptr;
    return windowHandle_;
}

}  // namespace ribola
