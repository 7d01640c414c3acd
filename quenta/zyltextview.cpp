#include "quenta/zyltextview.h"

#include <string_view>

#include "vcl/comctrls.h"
#include "vcl/dialogs.h"
#include "vcl/fileutils.h"
#include "vcl/printers.h"
#include "vcl/streams.h"

namespace quenta {

using vcl::Integer;

namespace zyltextview {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The editor window of TZylTextFileView. It remembers how the file it shows ended its lines, so
// that saving writes them back the same way.
class TZylTextViewForm : public vcl::TForm {
public:
    explicit TZylTextViewForm(vcl::TComponent* owner);

    vcl::TRichEdit* Editor() const { return editor_; }
    vcl::TMainMenu* MainMenu() const { return menu_; }
    vcl::TMenuItem* Item(std::string_view name) const {
        return static_cast<vcl::TMenuItem*>(FindComponent(std::string(name)));
    }
    void LoadFile(const std::string& fileName);
    void SaveFile(const std::string& fileName) const;

    vcl::TNotifyEvent OnExitClick;
    vcl::TNotifyEvent OnOpenFile;
    vcl::TNotifyEvent OnSaveFile;

private:
    vcl::TMenuItem* AddItem(vcl::TMenuItem* parent, const char* name, const char* caption,
                            void (TZylTextViewForm::*command)());
    void NewClick();
    void OpenClick();
    void SaveClick();
    void PrintClick();
    void WordWrapClick();
    void FontsClick();
    void BackgroundClick();
    void ExitClick();

    vcl::TRichEdit* editor_;
    vcl::TMainMenu* menu_;
    vcl::TOpenDialog* openDialog_;
    vcl::TSaveDialog* saveDialog_;
    vcl::TFontDialog* fontDialog_;
    vcl::TColorDialog* colorDialog_;
    vcl::TPrintDialog* printDialog_;
    std::string fileName_;  // the file shown, as it was chosen
    std::string lineBreak_ = "\n";
    bool finalBreak_ = true;
    bool byteOrderMark_ = false;
};

TZylTextViewForm::TZylTextViewForm(vcl::TComponent* owner) : TForm(owner, 0) {
    SetName("ZylTextView");
    editor_ = new vcl::TRichEdit(this);
    editor_->SetName("Editor");
    editor_->SetParent(this);
    editor_->SetAlign(vcl::TAlign::alClient);
    editor_->SetPlainText(true);
    editor_->SetScrollBars(vcl::TScrollStyle::ssBoth);
    editor_->SetWantTabs(true);
    editor_->SetHideSelection(false);
    editor_->SetHideScrollBars(false);
    editor_->SetWordWrap(false);

    menu_ = new vcl::TMainMenu(this);
    menu_->SetName("MainMenu");
    using F = TZylTextViewForm;
    vcl::TMenuItem* file = AddItem(menu_->Items(), "FileMenu", "&File", nullptr);
    file->SetGroupIndex(1);
    AddItem(file, "NewItem", "&New", &F::NewClick);
    AddItem(file, "OpenItem", "&Open..", &F::OpenClick);
    AddItem(file, "SaveItem", "&Save...", &F::SaveClick);
    AddItem(file, "Divider1", "-", nullptr);
    AddItem(file, "PrintItem", "&Print...", &F::PrintClick);
    AddItem(file, "Divider2", "-", nullptr);
    AddItem(file, "ExitItem", "E&xit", &F::ExitClick);
    vcl::TMenuItem* options = AddItem(menu_->Items(), "OptionsMenu", "&Options", nullptr);
    options->SetGroupIndex(2);
    AddItem(options, "WordWrapItem", "&Word Wrap", &F::WordWrapClick);
    AddItem(options, "Divider3", "-", nullptr);
    AddItem(options, "FontsItem", "&Fonts...", &F::FontsClick);
    AddItem(options, "BackgroundItem", "Background...", &F::BackgroundClick);
    SetMenu(menu_);

    openDialog_ = new vcl::TOpenDialog(this);
    openDialog_->SetFilter("All Files|*.*");
    openDialog_->SetTitle("Open");
    saveDialog_ = new vcl::TSaveDialog(this);
    saveDialog_->SetFilter("All Files|*.*");
    saveDialog_->SetTitle("Save");
    saveDialog_->SetOptions(saveDialog_->Options() + vcl::TOpenOptions{vcl::ofPathMustExist});
    fontDialog_ = new vcl::TFontDialog(this);
    colorDialog_ = new vcl::TColorDialog(this);
    colorDialog_->SetOptions(vcl::TColorDialogOptions{vcl::cdSolidColor});
    printDialog_ = new vcl::TPrintDialog(this);
    printDialog_->SetOptions(vcl::TPrintDialogOptions{vcl::poPageNums});
}

vcl::TMenuItem* TZylTextViewForm::AddItem(vcl::TMenuItem* parent, const char* name, const char* caption,
                                          void (TZylTextViewForm::*command)()) {
    auto* item = new vcl::TMenuItem(this);
    item->SetName(name);
    item->SetCaption(caption);
    if (command) item->OnClick = [this, command](vcl::TObject*) { (this->*command)(); };
    parent->Add(item);
    return item;
}

void TZylTextViewForm::LoadFile(const std::string& fileName) {
    vcl::TFileStream file(fileName, vcl::fmOpenRead | vcl::fmShareDenyWrite);
    std::string text(static_cast<size_t>(file.Size()), '\0');
    if (!text.empty()) file.ReadBuffer(text.data(), static_cast<vcl::Int64>(text.size()));
    std::string_view view = text;
    byteOrderMark_ = view.starts_with(kByteOrderMark);
    if (byteOrderMark_) view.remove_prefix(kByteOrderMark.size());
    // The first break found says how the file breaks its lines; one without any gets LF.
    const size_t firstBreak = view.find_first_of("\r\n");
    if (firstBreak == std::string_view::npos)
        lineBreak_ = "\n";
    else if (view[firstBreak] == '\r')
        lineBreak_ = view.substr(firstBreak, 2) == "\r\n" ? "\r\n" : "\r";
    else
        lineBreak_ = "\n";
    finalBreak_ = !view.empty() && (view.back() == '\n' || view.back() == '\r');
    editor_->Lines()->SetText(view);
    fileName_ = fileName;
}

void TZylTextViewForm::SaveFile(const std::string& fileName) const {
    const vcl::TStrings* lines = editor_->Lines();
    std::string text = byteOrderMark_ ? std::string(kByteOrderMark) : std::string();
    for (Integer i = 0; i < lines->Count(); ++i) {
        if (i > 0) text += lineBreak_;
        text += lines->Strings(i);
    }
    if (finalBreak_ && lines->Count() > 0) text += lineBreak_;
    vcl::TFileStream file(fileName, vcl::fmCreate);
    file.WriteBuffer(text.data(), static_cast<vcl::Int64>(text.size()));
}

void TZylTextViewForm::NewClick() {
    editor_->Lines()->Clear();
    SetCaption("");
    fileName_.clear();
}

void TZylTextViewForm::OpenClick() {
    if (openDialog_->Execute()) {
        editor_->Lines()->Clear();
        LoadFile(openDialog_->FileName());
        SetCaption(openDialog_->FileName());
        if (OnOpenFile) OnOpenFile(this);
    }
    SetCaption(vcl::AnsiUpperCase(Caption()));
}

void TZylTextViewForm::SaveClick() {
    // The caption shows the name in capitals; the file keeps the name it was chosen with.
    saveDialog_->SetFileName(fileName_.empty() ? Caption() : fileName_);
    if (saveDialog_->Execute()) {
        SaveFile(saveDialog_->FileName());
        fileName_ = saveDialog_->FileName();
        SetCaption(fileName_);
        if (OnSaveFile) OnSaveFile(this);
    }
    SetCaption(vcl::AnsiUpperCase(Caption()));
}

// Each line of the editor becomes one printed line in the editor's font, through the printer's
// text file, which starts a new page when one is full.
void TZylTextViewForm::PrintClick() {
    if (!printDialog_->Execute()) return;
    vcl::TextFile printed;
    vcl::AssignPrn(printed);
    printed.Rewrite();
    vcl::Printer()->Canvas()->Font()->Assign(editor_->Font());
    const vcl::TStrings& lines = *editor_->Lines();
    for (Integer i = 0; i < lines.Count(); ++i)
        printed.Writeln(lines.Strings(i));
    printed.CloseFile();
}

void TZylTextViewForm::WordWrapClick() {
    vcl::TMenuItem* item = Item("WordWrapItem");
    item->SetChecked(!item->Checked());
    editor_->SetWordWrap(item->Checked());
}

void TZylTextViewForm::FontsClick() {
    fontDialog_->SetFont(editor_->Font());
    if (fontDialog_->Execute()) editor_->SetFont(fontDialog_->Font());
}

void TZylTextViewForm::BackgroundClick() {
    colorDialog_->SetColor(editor_->Color());
    if (colorDialog_->Execute()) editor_->SetColor(colorDialog_->Color());
}

void TZylTextViewForm::ExitClick() {
    if (OnExitClick) OnExitClick(this);
    Close();
}

}  // namespace zyltextview

// ---------------------------------------------------------------------------------------------
// TZylTextFileView

VCL_DEFINE_CLASS(TZylTextFileView, TZylDialogComponent)

TZylTextFileView::TZylTextFileView(vcl::TComponent* owner)
    : TZylDialogComponent(owner),
      editFonts_(std::make_unique<vcl::TFont>()),
      icon_(std::make_unique<vcl::TIcon>()) {
    ownMenu_ = new vcl::TMainMenu(this);
    menus_ = ownMenu_;
}

TZylTextFileView::~TZylTextFileView() = default;

void TZylTextFileView::SetMenus(vcl::TMainMenu* value) {
    if (value == menus_) return;
    if (menus_ && menus_ != ownMenu_) menus_->RemoveFreeNotification(this);
    menus_ = value;
    if (menus_ && menus_ != ownMenu_) menus_->FreeNotification(this);
}

void TZylTextFileView::Notification(vcl::TComponent* component, vcl::TOperation operation) {
    TZylDialogComponent::Notification(component, operation);
    if (operation != vcl::TOperation::opRemove) return;
    if (component == ownMenu_) {
        if (menus_ == ownMenu_) menus_ = nullptr;
        ownMenu_ = nullptr;
    } else if (component == menus_) {
        menus_ = nullptr;
    }
}

bool TZylTextFileView::Execute() {
    using zyltextview::TZylTextViewForm;
    auto* form = new TZylTextViewForm(vcl::Application);
    vcl::TMainMenu* merged = nullptr;
    const vcl::ScopeExit release([form, &merged] {
        if (merged) form->MainMenu()->Unmerge(merged);
        form->Free();
    });

    const bool dividers = menuDividers_;
    const std::pair<const char*, bool> shown[] = {
        {"FileMenu", menuFile_},   {"OptionsMenu", menuOptions_},   {"Divider1", dividers},
        {"Divider2", dividers},    {"Divider3", dividers},          {"BackgroundItem", menuBackground_},
        {"FontsItem", menuFont_},  {"WordWrapItem", menuWordWrap_}, {"ExitItem", menuExit_},
        {"PrintItem", menuPrint_}, {"SaveItem", menuSave_},         {"OpenItem", menuOpen_},
        {"NewItem", menuNew_}};
    for (const auto& [name, visible] : shown)
        form->Item(name)->SetVisible(visible);

    form->SetWindowState(vcl::wsNormal);
    form->SetPosition(vcl::poDesigned);
    form->SetFormStyle(vcl::fsStayOnTop);
    form->SetIcon(icon_.get());
    form->Editor()->SetReadOnly(readonly_);
    form->SetCaption(editorCaption_);
    form->Editor()->SetFont(editFonts_.get());
    form->Editor()->SetColor(editColor_);
    if (menus_ && menus_->Items()->Count() > 0) {
        form->MainMenu()->Merge(menus_);
        merged = menus_;
    }
    if (OnExecute) OnExecute(this);

    form->OnExitClick = OnExit;
    form->OnSaveFile = OnSaveFile;
    form->OnOpenFile = OnOpenFile;
    form->SetWidth(windowWidth_);
    form->SetHeight(windowHeight_);
    form->SetBorderIcons(borderIcons_);
    form->SetWindowState(windowstate_);
    form->SetPosition(windowPosition_);

    if (openFileOnExecute_) {
        if (openFilename_.empty())
            vcl::ShowMessage("Please specify a File to open");
        else if (!vcl::FileExists(openFilename_))
            vcl::ShowMessage("File to open does not exist");
        else
            form->LoadFile(openFilename_);
    }
    form->ShowModal();
    return true;
}

}  // namespace quenta
