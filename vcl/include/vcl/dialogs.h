// Message dialogs and input boxes, built as modal forms of the framework's own controls.
//
// Every dialog runs through TCustomForm::ShowModal, so a modal script answers it under test: the
// message dialog's form is named "MessageDlg" (buttons "Yes", "No", "OK", "Cancel", "Abort", "Retry",
// "Ignore", "All", "NoToAll", "YesToAll", "Help"; the text "Message"; the icon "Image"), the input
// box's form "InputQuery" (label "Prompt", edit "Edit", buttons "OK" and "Cancel").
#pragma once

#include <string>
#include <string_view>

#include "vcl/forms.h"

namespace vcl {

class TForm;

enum class TMsgDlgType : uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
VCL_ENUM_NAMES(TMsgDlgType, "mtWarning", "mtError", "mtInformation", "mtConfirmation", "mtCustom")
using enum TMsgDlgType;

enum class TMsgDlgBtn : uint8_t {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp
};
VCL_ENUM_NAMES(TMsgDlgBtn, "mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry", "mbIgnore", "mbAll",
               "mbNoToAll", "mbYesToAll", "mbHelp")
using enum TMsgDlgBtn;
using TMsgDlgButtons = Set<TMsgDlgBtn>;

inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline const TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// A message dialog not yet shown (the caller frees it with Free()). Buttons appear in the order of
// TMsgDlgBtn; the first is the default button; Escape answers Cancel, else No, else OK when present.
// No buttons at all gives an OK button. The caption is the type's ("Warning", "Error", "Information",
// "Confirm"), the application's title for mtCustom.
TForm* CreateMessageDialog(const std::string& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons);
// The modal result of the button chosen (mrYes, mrNo, mrOk, mrCancel, ...).
Integer MessageDlg(const std::string& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, Integer helpCtx);
// As MessageDlg with the dialog's top-left at (x, y); a negative coordinate keeps the screen centre.
Integer MessageDlgPos(const std::string& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, Integer helpCtx,
                      Integer x, Integer y);
// An OK box with the application's title as caption.
void ShowMessage(const std::string& msg);
void ShowMessageFmt(std::string_view format, std::initializer_list<TVarRec> args);
void ShowMessagePos(const std::string& msg, Integer x, Integer y);

// Asks for a line of text: true and `value` changed on OK, false and `value` untouched on Cancel.
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);
// The typed text on OK, `defaultValue` on Cancel.
std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue);

}  // namespace vcl
