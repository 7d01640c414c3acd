// Message dialogs and input boxes, built as modal forms of the framework's own controls.
//
// Every dialog runs through TCustomForm::ShowModal, so a modal script answers it under test: the
// message dialog's form is named "MessageDlg" (buttons "Yes", "No", "OK", "Cancel", "Abort", "Retry",
// "Ignore", "All", "NoToAll", "YesToAll", "Help"; the text "Message"; the icon "Image"), the input
// box's form "InputQuery" (label "Prompt", edit "Edit", buttons "OK" and "Cancel").
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/controls.h"

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

// ---------------------------------------------------------------------------------------------
// Common dialogs: colour, font, open and save, built as modal framework forms in the classic look.
// Each Execute shows a form owned by nobody and named for the dialog ("ColorDlg", "FontDlg",
// "OpenDlg"/"SaveDlg"), so a modal script answers it; Execute returns true on OK and copies the
// chosen values out, false on Cancel or Escape with every property left as it was.

class TCommonDialog : public TComponent {
    VCL_DECLARE_CLASS(TCommonDialog, TComponent)
public:
    explicit TCommonDialog(TComponent* owner);

    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool value) { ctl3D_ = value; }
    Integer HelpContext() const { return helpContext_; }
    void SetHelpContext(Integer value) { helpContext_ = value; }

    virtual bool Execute() = 0;
    // The dialog's form while Execute runs, nullptr otherwise.
    TForm* DialogForm() const { return form_; }

    TNotifyEvent OnClose;
    TNotifyEvent OnShow;

    static void Publish(Published<TCommonDialog>& p) {
        p.Property("Ctl3D", &TCommonDialog::Ctl3D, &TCommonDialog::SetCtl3D, true);
        p.Property("HelpContext", &TCommonDialog::HelpContext, &TCommonDialog::SetHelpContext, 0);
        p.Event("OnClose", &TCommonDialog::OnClose);
        p.Event("OnShow", &TCommonDialog::OnShow);
    }

protected:
    virtual void DoShow();
    virtual void DoClose();
    // Shows the form modally with OnShow/OnClose around it and frees it; true when it ended with
    // mrOk. `accept` runs while the form is still whole and copies the values out.
    bool RunDialog(TForm* form, const std::function<void()>& accept);
    // Runs a dialog of the platform (PrintDlg, PageSetupDlg) with OnShow/OnClose around it and the
    // application's other windows disabled meanwhile; the dialog function's result.
    bool TaskModalDialog(const std::function<bool()>& dialog);

private:
    bool ctl3D_ = true;
    Integer helpContext_ = 0;
    TForm* form_ = nullptr;
};

enum class TColorDialogOption : uint8_t {
    cdFullOpen,
    cdPreventFullOpen,
    cdShowHelp,
    cdSolidColor,
    cdAnyColor
};
VCL_ENUM_NAMES(TColorDialogOption, "cdFullOpen", "cdPreventFullOpen", "cdShowHelp", "cdSolidColor",
               "cdAnyColor")
using enum TColorDialogOption;
using TColorDialogOptions = Set<TColorDialogOption>;

// The form "ColorDlg" (caption "Color"): the grid "BasicColors" of 48 colours, "CustomColors" with
// 16 boxes, buttons "OK", "Cancel", "Help", "DefineCustom" and, opened fully, the edits "Hue", "Sat",
// "Lum", "Red", "Green", "Blue", the preview "Preview" and the button "AddToCustom".
class TColorDialog : public TCommonDialog {
    VCL_DECLARE_CLASS(TColorDialog, TCommonDialog)
public:
    explicit TColorDialog(TComponent* owner);
    ~TColorDialog() override;

    TColor Color() const { return color_; }
    void SetColor(TColor value) { color_ = value; }
    // "ColorA=808022" .. "ColorP=...": the 16 custom colours as hexadecimal BGR; missing, empty or
    // malformed entries are white.
    TStrings* CustomColors() const { return customColors_.get(); }
    void SetCustomColors(const TStrings* value);
    TColorDialogOptions Options() const { return options_; }
    void SetOptions(TColorDialogOptions value) { options_ = value; }

    bool Execute() override;

    static void Publish(Published<TColorDialog>& p) {
        p.Property("Color", &TColorDialog::Color, &TColorDialog::SetColor, clBlack).Idents(ColorIdents());
        p.Property("CustomColors", &TColorDialog::CustomColors);
        p.Property("Options", &TColorDialog::Options, &TColorDialog::SetOptions, TColorDialogOptions{});
    }

private:
    TColor color_ = clBlack;
    std::unique_ptr<TStrings> customColors_;
    TColorDialogOptions options_;
};

enum class TFontDialogDevice : uint8_t { fdScreen, fdPrinter, fdBoth };
VCL_ENUM_NAMES(TFontDialogDevice, "fdScreen", "fdPrinter", "fdBoth")
using enum TFontDialogDevice;

enum class TFontDialogOption : uint8_t {
    fdAnsiOnly,
    fdTrueTypeOnly,
    fdEffects,
    fdFixedPitchOnly,
    fdForceFontExist,
    fdNoFaceSel,
    fdNoOEMFonts,
    fdNoSimulations,
    fdNoSizeSel,
    fdNoStyleSel,
    fdNoVectorFonts,
    fdShowHelp,
    fdWysiwyg,
    fdLimitSize,
    fdScalableOnly,
    fdApplyButton
};
VCL_ENUM_NAMES(TFontDialogOption, "fdAnsiOnly", "fdTrueTypeOnly", "fdEffects", "fdFixedPitchOnly",
               "fdForceFontExist", "fdNoFaceSel", "fdNoOEMFonts", "fdNoSimulations", "fdNoSizeSel",
               "fdNoStyleSel", "fdNoVectorFonts", "fdShowHelp", "fdWysiwyg", "fdLimitSize", "fdScalableOnly",
               "fdApplyButton")
using enum TFontDialogOption;
using TFontDialogOptions = Set<TFontDialogOption>;

using TFDApplyEvent = std::function<void(TObject* Sender, win32::HWND Wnd)>;

// The form "FontDlg" (caption "Font"): edits and lists "FaceEdit"/"FaceList", "StyleEdit"/"StyleList",
// "SizeEdit"/"SizeList", with fdEffects the check boxes "Strikeout" and "Underline" and the combo
// "ColorCombo", the sample "Sample", buttons "OK", "Cancel", "Apply", "Help".
class TFontDialog : public TCommonDialog {
    VCL_DECLARE_CLASS(TFontDialog, TCommonDialog)
public:
    explicit TFontDialog(TComponent* owner);
    ~TFontDialog() override;

    TFont* Font() const { return font_.get(); }
    void SetFont(const TFont* value);
    TFontDialogDevice Device() const { return device_; }
    void SetDevice(TFontDialogDevice value) { device_ = value; }
    // Points; with fdLimitSize a size outside [MinFontSize, MaxFontSize] is refused (0 = no bound).
    Integer MinFontSize() const { return minFontSize_; }
    void SetMinFontSize(Integer value) { minFontSize_ = value; }
    Integer MaxFontSize() const { return maxFontSize_; }
    void SetMaxFontSize(Integer value) { maxFontSize_ = value; }
    TFontDialogOptions Options() const { return options_; }
    void SetOptions(TFontDialogOptions value) { options_ = value; }

    bool Execute() override;

    // Called by the Apply button (fdApplyButton) with the dialog's window.
    TFDApplyEvent OnApply;

    static void Publish(Published<TFontDialog>& p) {
        p.Property("Font", &TFontDialog::Font);
        p.Property("Device", &TFontDialog::Device, &TFontDialog::SetDevice, fdScreen);
        p.Property("MinFontSize", &TFontDialog::MinFontSize, &TFontDialog::SetMinFontSize, 0);
        p.Property("MaxFontSize", &TFontDialog::MaxFontSize, &TFontDialog::SetMaxFontSize, 0);
        p.Property("Options", &TFontDialog::Options, &TFontDialog::SetOptions, TFontDialogOptions{fdEffects});
        p.Event("OnApply", &TFontDialog::OnApply);
    }

protected:
    virtual void Apply(win32::HWND wnd);

private:
    std::unique_ptr<TFont> font_;
    TFontDialogDevice device_ = fdScreen;
    Integer minFontSize_ = 0;
    Integer maxFontSize_ = 0;
    TFontDialogOptions options_{fdEffects};
};

enum class TOpenOption : uint8_t {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing
};
VCL_ENUM_NAMES(TOpenOption, "ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir",
               "ofShowHelp", "ofNoValidate", "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist",
               "ofFileMustExist", "ofCreatePrompt", "ofShareAware", "ofNoReadOnlyReturn",
               "ofNoTestFileCreate", "ofNoNetworkButton", "ofNoLongNames", "ofOldStyleDialog",
               "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing")
using enum TOpenOption;
using TOpenOptions = Set<TOpenOption>;

using TFileCanCloseEvent = std::function<void(TObject* Sender, bool& CanClose)>;

namespace dialogs_detail {
struct FileDialogAccess;
}

// The form "OpenDlg" ("SaveDlg" for TSaveDialog): the folder combo "FolderCombo", the file list
// "FileList", the edit "FileNameEdit", the type combo "FilterCombo", the check box "ReadOnlyCheck",
// buttons "OK", "Cancel", "Up", "Help".
class TOpenDialog : public TCommonDialog {
    VCL_DECLARE_CLASS(TOpenDialog, TCommonDialog)
public:
    explicit TOpenDialog(TComponent* owner);
    ~TOpenDialog() override;

    // Without a leading dot ("txt"); added to a typed name that has no extension.
    const std::string& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const std::string& value) { defaultExt_ = value; }
    // The chosen file as a full Windows-style path ("C:\tmp\a.txt").
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& value) { fileName_ = value; }
    // Every chosen file (several with ofAllowMultiSelect), full paths.
    TStrings* Files() const { return files_.get(); }
    // "Description|Pattern[;Pattern]|Description|Pattern..."
    const std::string& Filter() const { return filter_; }
    void SetFilter(const std::string& value) { filter_ = value; }
    // 1-based; out-of-range values select the first filter.
    Integer FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(Integer value) { filterIndex_ = value; }
    // Empty: the current folder.
    const std::string& InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::string& value) { initialDir_ = value; }
    TOpenOptions Options() const { return options_; }
    void SetOptions(TOpenOptions value) { options_ = value; }
    // Empty: "Open" or "Save As".
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& value) { title_ = value; }

    bool Execute() override;

    TFileCanCloseEvent OnCanClose;
    TNotifyEvent OnFolderChange;
    TNotifyEvent OnSelectionChange;
    TNotifyEvent OnTypeChange;

    static void Publish(Published<TOpenDialog>& p) {
        p.Property("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt, std::string());
        p.Property("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName, std::string());
        p.Property("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter, std::string());
        p.Property("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex, 1);
        p.Property("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir, std::string());
        p.Property("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions, TOpenOptions{ofHideReadOnly});
        p.Property("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle, std::string());
        p.Event("OnCanClose", &TOpenDialog::OnCanClose);
        p.Event("OnFolderChange", &TOpenDialog::OnFolderChange);
        p.Event("OnSelectionChange", &TOpenDialog::OnSelectionChange);
        p.Event("OnTypeChange", &TOpenDialog::OnTypeChange);
    }

protected:
    virtual bool IsSaveDialog() const { return false; }
    // OnCanClose, asked with the chosen names already in FileName and Files.
    virtual bool CanClose();

private:
    friend struct dialogs_detail::FileDialogAccess;
    bool CanCloseWith(const std::vector<std::string>& chosen);
    void StoreFiles(const std::vector<std::string>& chosen);

    std::string defaultExt_;
    std::string fileName_;
    std::unique_ptr<TStrings> files_;
    std::string filter_;
    Integer filterIndex_ = 1;
    std::string initialDir_;
    TOpenOptions options_{ofHideReadOnly};
    std::string title_;
};

class TSaveDialog : public TOpenDialog {
    VCL_DECLARE_CLASS(TSaveDialog, TOpenDialog)
public:
    explicit TSaveDialog(TComponent* owner);

protected:
    bool IsSaveDialog() const override { return true; }
};

// ---------------------------------------------------------------------------------------------
// Print dialogs, on the platform's PrintDlg. On OK the chosen printer and its settings become
// Printer()'s; with no printer at all Execute returns false.

enum class TPrintRange : uint8_t { prAllPages, prSelection, prPageNums };
VCL_ENUM_NAMES(TPrintRange, "prAllPages", "prSelection", "prPageNums")
using enum TPrintRange;

enum class TPrintDialogOption : uint8_t {
    poPrintToFile,
    poPageNums,
    poSelection,
    poWarning,
    poHelp,
    poDisablePrintToFile
};
VCL_ENUM_NAMES(TPrintDialogOption, "poPrintToFile", "poPageNums", "poSelection", "poWarning", "poHelp",
               "poDisablePrintToFile")
using enum TPrintDialogOption;
using TPrintDialogOptions = Set<TPrintDialogOption>;

class TPrintDialog : public TCommonDialog {
    VCL_DECLARE_CLASS(TPrintDialog, TCommonDialog)
public:
    explicit TPrintDialog(TComponent* owner);

    bool Collate() const { return collate_; }
    void SetCollate(bool value) { collate_ = value; }
    Integer Copies() const { return copies_; }
    void SetCopies(Integer value) { copies_ = value; }
    Integer FromPage() const { return fromPage_; }
    void SetFromPage(Integer value) { fromPage_ = value; }
    Integer ToPage() const { return toPage_; }
    void SetToPage(Integer value) { toPage_ = value; }
    Integer MinPage() const { return minPage_; }
    void SetMinPage(Integer value) { minPage_ = value; }
    Integer MaxPage() const { return maxPage_; }
    void SetMaxPage(Integer value) { maxPage_ = value; }
    TPrintDialogOptions Options() const { return options_; }
    void SetOptions(TPrintDialogOptions value) { options_ = value; }
    bool PrintToFile() const { return printToFile_; }
    void SetPrintToFile(bool value) { printToFile_ = value; }
    TPrintRange PrintRange() const { return printRange_; }
    void SetPrintRange(TPrintRange value) { printRange_ = value; }

    bool Execute() override;

    static void Publish(Published<TPrintDialog>& p) {
        p.Property("Collate", &TPrintDialog::Collate, &TPrintDialog::SetCollate, false);
        p.Property("Copies", &TPrintDialog::Copies, &TPrintDialog::SetCopies, 0);
        p.Property("FromPage", &TPrintDialog::FromPage, &TPrintDialog::SetFromPage, 0);
        p.Property("MinPage", &TPrintDialog::MinPage, &TPrintDialog::SetMinPage, 0);
        p.Property("MaxPage", &TPrintDialog::MaxPage, &TPrintDialog::SetMaxPage, 0);
        p.Property("Options", &TPrintDialog::Options, &TPrintDialog::SetOptions, TPrintDialogOptions{});
        p.Property("PrintToFile", &TPrintDialog::PrintToFile, &TPrintDialog::SetPrintToFile, false);
        p.Property("PrintRange", &TPrintDialog::PrintRange, &TPrintDialog::SetPrintRange, prAllPages);
        p.Property("ToPage", &TPrintDialog::ToPage, &TPrintDialog::SetToPage, 0);
    }

private:
    bool collate_ = false;
    Integer copies_ = 0;
    Integer fromPage_ = 0;
    Integer toPage_ = 0;
    Integer minPage_ = 0;
    Integer maxPage_ = 0;
    TPrintDialogOptions options_;
    bool printToFile_ = false;
    TPrintRange printRange_ = prAllPages;
};

class TPrinterSetupDialog : public TCommonDialog {
    VCL_DECLARE_CLASS(TPrinterSetupDialog, TCommonDialog)
public:
    explicit TPrinterSetupDialog(TComponent* owner);
    bool Execute() override;
};

}  // namespace vcl
