#include "pellic/zyltlookupmenu.h"

#include "vcl/classregistration.h"
#include "win32/menu.h"
#include "win32/user.h"

namespace pellic {

using vcl::Integer;

namespace zyltlookupmenu {

const vcl::TClassRegistration classesRegistered{TZylLookupMenu::StaticClass()};

constexpr const char* kColumnBreak = "-";

}  // namespace zyltlookupmenu

VCL_DEFINE_CLASS(TZylCustomLookupMenu, TZylCustomLookupEdit)

TZylCustomLookupMenu::TZylCustomLookupMenu(vcl::TComponent* owner)
    : TZylCustomLookupEdit(owner), items_(std::make_unique<vcl::TStringList>()) {
    EditButton2()->SetVisible(false);
    SetItemIndex(-1);
}

TZylCustomLookupMenu::~TZylCustomLookupMenu() = default;

bool TZylCustomLookupMenu::IsChoosable(Integer index) const {
    return index >= 0 && index < items_->Count() && items_->Strings(index) != zyltlookupmenu::kColumnBreak;
}

void TZylCustomLookupMenu::ApplyItemIndex(Integer value) {
    if (value < -1 || value >= items_->Count()) return;
    itemIndex_ = value;
    SetText(value == -1 ? nonSelected_ : items_->Strings(value));
    if (OnChange) OnChange(this);
}

void TZylCustomLookupMenu::SetItemIndex(Integer value) {
    if (!CanChoose()) return;
    ApplyItemIndex(value);
}

void TZylCustomLookupMenu::SetItems(const vcl::TStrings* value) {
    items_->Assign(value);
    if (CanChoose()) ApplyItemIndex(itemIndex_ < items_->Count() ? itemIndex_ : -1);
}

void TZylCustomLookupMenu::SetNonSelected(const std::string& value) {
    nonSelected_ = value;
    if (CanChoose()) ApplyItemIndex(itemIndex_);
}

void TZylCustomLookupMenu::EditButton1Click(vcl::TObject* Sender) {
    TZylCustomLookupEdit::EditButton1Click(Sender);
    OpenMenu();
}

void TZylCustomLookupMenu::OpenMenu() {
    if (items_->Count() == 0 || !HandleAllocated() || !CanChoose()) return;
    const win32::HMENU menu = win32::CreatePopupMenu();
    if (!menu) return;
    const vcl::ScopeExit destroy([menu] { win32::DestroyMenu(menu); });
    for (Integer i = 0; i < items_->Count(); ++i) {
        const std::string& text = items_->Strings(i);
        if (text == zyltlookupmenu::kColumnBreak) {
            // A column break is an empty entry no one can choose.
            win32::AppendMenu(menu, win32::MF_STRING | win32::MF_MENUBREAK | win32::MF_GRAYED,
                              static_cast<win32::UINT_PTR>(i), "");
        } else {
            const win32::UINT checked =
                itemChecked_ && i == itemIndex_ ? win32::MF_CHECKED : win32::MF_UNCHECKED;
            win32::AppendMenu(menu, win32::MF_STRING | checked, static_cast<win32::UINT_PTR>(i),
                              text.c_str());
        }
    }
    const vcl::TPoint corner = ClientToScreen(vcl::Point(0, Height()));
    win32::TrackPopupMenu(menu, win32::TPM_LEFTALIGN | win32::TPM_LEFTBUTTON, corner.x, corner.y, 0, Handle(),
                          nullptr);
}

void TZylCustomLookupMenu::KeyPress(char32_t& key) {
    TZylCustomLookupEdit::KeyPress(key);
    if (key == U' ') key = 0;
}

void TZylCustomLookupMenu::WndProc(vcl::TMessage& message) {
    if (message.Msg == win32::WM_COMMAND) {
        // Only the entries of this control's own menu: a command from elsewhere, or the column
        // break, is no choice.
        const auto id = static_cast<Integer>(win32::LOWORD(static_cast<win32::DWORD>(message.WParam)));
        if (message.LParam == 0 && win32::HIWORD(static_cast<win32::DWORD>(message.WParam)) == 0 &&
            IsChoosable(id) && CanChoose())
            ApplyItemIndex(id);
        message.Result = 0;
        return;
    }
    TZylCustomLookupEdit::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TZylLookupMenu

VCL_DEFINE_CLASS(TZylLookupMenu, TZylCustomLookupMenu)

TZylLookupMenu::TZylLookupMenu(vcl::TComponent* owner) : TZylCustomLookupMenu(owner) {
    LoadGlyph(*EditButton1(), "TZYLLOOKUPLISTA");
}

}  // namespace pellic
