// The common dialogs' base class and the parts their forms are made of.
#include "dialogs/dialogs_internal.h"
#include "vcl/forms.h"

#include <algorithm>

namespace vcl {

namespace dialogs_detail {

TForm* NewDialogForm(const std::string& name, const std::string& caption, Integer clientWidth,
                     Integer clientHeight, bool ctl3D) {
    auto* form = new TForm(nullptr, 0);
    try {
        form->SetName(name);
        form->SetBorderStyle(bsDialog);
        form->SetPosition(poScreenCenter);
        form->SetBorderIcons(TBorderIcons{biSystemMenu});
        form->SetCaption(caption);
        form->SetCtl3D(ctl3D);
        form->SetClientWidth(clientWidth);
        form->SetClientHeight(clientHeight);
    } catch (...) {
        form->Free();
        throw;
    }
    return form;
}

TLabel* AddLabel(TWinControl* parent, const std::string& name, const std::string& caption, Integer left,
                 Integer top, TWinControl* focusControl) {
    auto* label = AddPart<TLabel>(parent, name, left, top, 0, 0);
    label->SetCaption(caption);
    if (focusControl) label->SetFocusControl(focusControl);
    return label;
}

TButton* AddButton(TWinControl* parent, const std::string& name, const std::string& caption, Integer left,
                   Integer top, TModalResult modalResult) {
    auto* button = AddPart<TButton>(parent, name, left, top, kButtonWidth, kButtonHeight);
    button->SetCaption(caption);
    button->SetModalResult(modalResult);
    return button;
}

TButton* AddHelpButton(TWinControl* parent, TCommonDialog* dialog, Integer left, Integer top) {
    TButton* button = AddButton(parent, "Help", "&Help", left, top, mrNone);
    button->OnClick = [dialog](TObject*) {
        if (Application) Application->HelpContext(dialog->HelpContext());
    };
    return button;
}

void TDialogListBox::PaintWindow(win32::HDC dc) {
    TListBox::PaintWindow(dc);
    const TRect client = ClientRect();
    const Integer bottom = Count() > 0 ? std::max<Integer>(0, ItemRect(Count() - 1).bottom) : 0;
    if (bottom >= client.bottom) return;
    win32::RECT rest = Rect(0, bottom, client.right, client.bottom);
    win32::FillRect(dc, &rest, Brush()->Handle());
}

}  // namespace dialogs_detail

VCL_DEFINE_CLASS(TCommonDialog, TComponent)

TCommonDialog::TCommonDialog(TComponent* owner) : TComponent(owner) {}

void TCommonDialog::DoShow() {
    if (OnShow) OnShow(this);
}

void TCommonDialog::DoClose() {
    if (OnClose) OnClose(this);
}

bool TCommonDialog::RunDialog(TForm* form, const std::function<void()>& accept) {
    form->SetHelpContext(helpContext_);
    form->OnShow = [this](TObject*) { DoShow(); };
    form_ = form;
    const ScopeExit release([this, form] {
        form_ = nullptr;
        form->Free();
    });
    const bool accepted = form->ShowModal() == mrOk;
    if (accepted && accept) accept();
    DoClose();
    return accepted;
}

namespace {
const bool commondialogClassesRegistered = [] {
    RegisterClasses({TColorDialog::StaticClass(), TFontDialog::StaticClass(), TOpenDialog::StaticClass(),
                     TSaveDialog::StaticClass()});
    return true;
}();
}  // namespace

}  // namespace vcl
