// Helpers shared by the colour, font and file dialogs: the dialog form and its parts.
#pragma once

#include <string>

#include "vcl/dialogs.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"

namespace vcl::dialogs_detail {

// A parentless, ownerless dialog form (so that a dialog opened from another's handler does not clash
// by name) in the classic dialog frame, centred on the screen.
TForm* NewDialogForm(const std::string& name, const std::string& caption, Integer clientWidth,
                     Integer clientHeight, bool ctl3D);

// A control owned by the form of `parent` and placed on it.
template <typename T>
T* AddPart(TWinControl* parent, const std::string& name, Integer left, Integer top, Integer width,
           Integer height) {
    TComponent* owner = GetParentForm(parent);
    auto* control = new T(owner ? owner : parent);
    if (!name.empty()) control->SetName(name);
    control->SetBounds(left, top, width, height);
    control->SetParent(parent);
    return control;
}

TLabel* AddLabel(TWinControl* parent, const std::string& name, const std::string& caption, Integer left,
                 Integer top, TWinControl* focusControl = nullptr);
// A push button; modalResult mrNone leaves closing to the click handler.
TButton* AddButton(TWinControl* parent, const std::string& name, const std::string& caption, Integer left,
                   Integer top, TModalResult modalResult);
// The Help button: asks the application for the dialog's help context.
TButton* AddHelpButton(TWinControl* parent, TCommonDialog* dialog, Integer left, Integer top);

// A list box of the dialogs: its owner paints rows through Canvas, and the part below the last row is
// filled with the list's colour even when the window never had its background erased.
class TDialogListBox : public TListBox {
    VCL_CLASS(TDialogListBox, TListBox)
public:
    explicit TDialogListBox(TComponent* owner) : TListBox(owner) {}
    using TCustomListBox::Canvas;

protected:
    void PaintWindow(win32::HDC dc) override;
};

inline constexpr Integer kButtonWidth = 75;
inline constexpr Integer kButtonHeight = 23;

}  // namespace vcl::dialogs_detail
