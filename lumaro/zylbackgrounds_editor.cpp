// The designer's editor of a gradient's extra colours: a modal list of colour texts that grows
// through the colour dialog and can be reordered, written back to the gradient when it closes.
#include <algorithm>

#include "lumaro/zyleditors.h"
#include "vcl/dialogs.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"

namespace lumaro {

using namespace vcl;

namespace {

// The dialog's form is named so that a modal script can answer it: "ExtraColorsDlg", with the list
// box "ColorList" and the buttons "AddColor", "DeleteColor", "MoveUp", "MoveDown" and "Close".
class ColorListDialog {
public:
    explicit ColorListDialog(const TStrings* colors) : form_(new TForm(nullptr, 0)) {
        try {
            Build(colors);
        } catch (...) {
            form_->Free();
            throw;
        }
    }
    ~ColorListDialog() { form_->Free(); }
    ColorListDialog(const ColorListDialog&) = delete;
    ColorListDialog& operator=(const ColorListDialog&) = delete;

    // Runs the dialog; the lines the list box holds when it closes, however it was closed.
    void Run(TStrings& result) {
        form_->ShowModal();
        result.Assign(list_->Items());
    }

private:
    void Build(const TStrings* colors) {
        form_->SetName("ExtraColorsDlg");
        form_->SetBorderStyle(bsDialog);
        form_->SetPosition(poScreenCenter);
        form_->SetBorderIcons(TBorderIcons{biSystemMenu});
        form_->SetCaption("Add more Colors....");
        form_->SetClientWidth(290);
        form_->SetClientHeight(196);

        list_ = new TListBox(form_);
        list_->SetName("ColorList");
        list_->SetBounds(8, 8, 170, 180);
        list_->SetParent(form_);
        if (colors) list_->Items()->Assign(colors);
        if (list_->Count() > 0) list_->SetItemIndex(0);

        Integer top = 8;
        auto addButton = [&](const char* name, const char* caption, TNotifyEvent onClick) {
            auto* button = new TButton(form_);
            button->SetName(name);
            button->SetCaption(caption);
            button->SetBounds(186, top, 96, 25);
            button->SetParent(form_);
            button->OnClick = std::move(onClick);
            top += 31;
            return button;
        };
        addButton("AddColor", "&Add Color", [this](TObject*) { AddColor(); });
        addButton("DeleteColor", "&Delete Color", [this](TObject*) { DeleteColor(); });
        addButton("MoveUp", "Move Color Up", [this](TObject*) { MoveColor(-1); });
        addButton("MoveDown", "Move Color Down", [this](TObject*) { MoveColor(1); });
        TButton* close = addButton("Close", "&Close", nullptr);
        close->SetTop(163);
        close->SetModalResult(mrOk);
        close->SetCancel(true);
        form_->SetActiveControl(list_);
    }

    void AddColor() {
        TComponentPtr<TColorDialog> dialog(new TColorDialog(nullptr));
        if (!dialog->Execute()) return;
        list_->Items()->Add(ColorToString(dialog->Color()));
        list_->SetItemIndex(list_->Count() - 1);
    }

    void DeleteColor() {
        const Integer index = list_->ItemIndex();
        if (index < 0) return;
        list_->Items()->Delete(index);
        if (list_->Count() > 0) list_->SetItemIndex(std::min(index, list_->Count() - 1));
    }

    void MoveColor(Integer step) {
        const Integer index = list_->ItemIndex(), target = index + step;
        if (index < 0 || target < 0 || target >= list_->Count()) return;
        list_->Items()->Move(index, target);
        list_->SetItemIndex(target);
    }

    TForm* form_;
    TListBox* list_ = nullptr;
};

}  // namespace

VCL_DEFINE_CLASS(TZylColorInBetweenProperty, vcl::TClassProperty)

TPropertyAttributes TZylColorInBetweenProperty::GetAttributes() const {
    return {paDialog, paReadOnly};
}

std::string TZylColorInBetweenProperty::GetValue() const {
    return "(Extra Colors)";
}

void TZylColorInBetweenProperty::Edit() {
    TStringList lines;
    {
        ColorListDialog dialog(dynamic_cast<TStrings*>(GetObjectValue(0)));
        dialog.Run(lines);
    }
    // Through the property's setter, so each gradient copies the lines and the designer hears of it.
    SetObjectValue(&lines);
}

}  // namespace lumaro
