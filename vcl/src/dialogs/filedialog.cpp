// The open and save dialogs: a folder's subfolders and the files that match the chosen type, a name
// edit resolved against the folder, and the checks the options ask for before the dialog closes.
#include <algorithm>

#include "dialogs/dialogs_internal.h"
#include "vcl/fileutils.h"
#include "vcl/forms.h"
#include "win32/files.h"
#include "win32/virtualkeys.h"

namespace vcl {

using namespace win32;
using namespace dialogs_detail;

namespace dialogs_detail {
struct FileDialogAccess {
    static bool CanCloseWith(TOpenDialog* dialog, const std::vector<std::string>& chosen) {
        return dialog->CanCloseWith(chosen);
    }
};
}  // namespace dialogs_detail

namespace {

struct FileType {
    std::string description;
    std::vector<std::string> patterns;
};

std::vector<std::string> SplitPatterns(std::string_view text) {
    std::vector<std::string> patterns;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string_view::npos) end = text.size();
        std::string pattern = Trim(text.substr(start, end - start));
        if (!pattern.empty()) patterns.push_back(std::move(pattern));
        start = end + 1;
    }
    return patterns;
}

// "Description|Patterns|Description|Patterns": a description without patterns at the end is dropped.
std::vector<FileType> ParseFilter(std::string_view filter) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < filter.size()) {
        size_t end = filter.find('|', start);
        if (end == std::string_view::npos) end = filter.size();
        parts.emplace_back(filter.substr(start, end - start));
        start = end + 1;
    }
    std::vector<FileType> types;
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
        types.push_back(FileType{parts[i], SplitPatterns(parts[i + 1])});
    return types;
}

bool HasWildcard(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

bool IsRoot(std::string_view folder) {
    return folder.size() == 3 && folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/');
}

// Names typed in quotes, as a multiple selection shows them: "a.txt" "b.txt". Text outside quotes is
// one more name.
std::vector<std::string> SplitNames(const std::string& text) {
    std::vector<std::string> names;
    if (text.find('"') == std::string::npos) {
        names.push_back(text);
        return names;
    }
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        if (i >= text.size()) break;
        if (text[i] == '"') {
            const size_t close = text.find('"', i + 1);
            const size_t end = close == std::string::npos ? text.size() : close;
            std::string name = text.substr(i + 1, end - i - 1);
            if (!name.empty()) names.push_back(std::move(name));
            i = end + 1;
        } else {
            size_t end = text.find('"', i);
            if (end == std::string::npos) end = text.size();
            std::string name = Trim(std::string_view(text).substr(i, end - i));
            if (!name.empty()) names.push_back(std::move(name));
            i = end;
        }
    }
    return names;
}

class FileSession {
public:
    FileSession(TOpenDialog* dialog, TForm* form, bool save)
        : dialog_(dialog), form_(form), save_(save), types_(ParseFilter(dialog->Filter())) {
        Build();
    }

    // What OK chose (valid once the form closed with mrOk).
    const std::vector<std::string>& Chosen() const { return chosen_; }
    bool ReadOnlyChecked() const { return readOnly_->Checked(); }
    Integer TypeIndex() const { return typeCombo_->ItemIndex(); }

private:
    struct Entry {
        std::string name;
        bool folder;
    };

    void Build() {
        const TOpenOptions options = dialog_->Options();
        folderCombo_ = AddPart<TComboBox>(form_, "FolderCombo", 70, 6, 270, 22);
        folderCombo_->SetStyle(csDropDownList);
        folderCombo_->SetDropDownCount(12);
        AddLabel(form_, "FolderLabel", "Look &in:", 6, 10, folderCombo_);
        TButton* up = AddButton(form_, "Up", "&Up", 346, 5, mrNone);
        up->SetWidth(72);
        up->OnClick = [this](TObject*) { GoUp(); };

        fileList_ = AddPart<TDialogListBox>(form_, "FileList", 6, 36, 412, 170);
        fileList_->SetStyle(lbOwnerDrawFixed);
        fileList_->SetItemHeight(16);
        if (options.Contains(ofAllowMultiSelect)) {
            fileList_->SetMultiSelect(true);
            fileList_->SetExtendedSelect(true);
        }
        fileList_->OnDrawItem = [this](TWinControl*, Integer index, TRect rect, TOwnerDrawState state) {
            DrawEntry(index, rect, state);
        };
        fileList_->OnClick = [this](TObject*) { SelectionChanged(); };
        fileList_->OnDblClick = [this](TObject*) { EntryOpened(); };
        fileList_->OnKeyDown = [this](TObject*, Word& key, TShiftState shift) {
            if (key == VK_BACK && shift.Empty()) {
                key = 0;
                GoUp();
            }
        };

        nameEdit_ = AddPart<TEdit>(form_, "FileNameEdit", 90, 214, 246, 21);
        AddLabel(form_, "FileNameLabel", "File &name:", 6, 218, nameEdit_);
        ok_ = AddButton(form_, "OK", save_ ? "&Save" : "&Open", 343, 213, mrNone);
        ok_->SetDefault(true);
        ok_->OnClick = [this](TObject*) { Accept(); };

        typeCombo_ = AddPart<TComboBox>(form_, "FilterCombo", 90, 242, 246, 22);
        typeCombo_->SetStyle(csDropDownList);
        AddLabel(form_, "FilterLabel", "Files of &type:", 6, 246, typeCombo_);
        AddButton(form_, "Cancel", "Cancel", 343, 241, mrCancel)->SetCancel(true);
        for (const FileType& type : types_)
            typeCombo_->Items()->Add(type.description);
        if (!types_.empty()) {
            const Integer index = dialog_->FilterIndex();
            typeCombo_->SetItemIndex(index >= 1 && index <= static_cast<Integer>(types_.size()) ? index - 1
                                                                                                : 0);
        }
        typeCombo_->OnSelect = [this](TObject*) {
            typedMask_.clear();
            FillList();
            if (dialog_->OnTypeChange) dialog_->OnTypeChange(dialog_);
        };

        readOnly_ = AddPart<TCheckBox>(form_, "ReadOnlyCheck", 90, 270, 200, 17);
        readOnly_->SetCaption("Open as &read-only");
        readOnly_->SetChecked(options.Contains(ofReadOnly));
        readOnly_->SetVisible(!options.Contains(ofHideReadOnly));
        if (options.Contains(ofShowHelp)) AddHelpButton(form_, dialog_, 343, 269);

        folderCombo_->OnSelect = [this](TObject*) {
            const Integer index = folderCombo_->ItemIndex();
            if (index >= 0 && index < static_cast<Integer>(folderPaths_.size()))
                ChangeFolder(folderPaths_[static_cast<size_t>(index)], true);
        };

        const std::string fileName = dialog_->FileName();
        folder_ = InitialFolder(fileName);
        if (!fileName.empty()) nameEdit_->SetText(ExtractFileName(fileName));
        FillFolders();
        FillList();
        form_->SetActiveControl(nameEdit_);
        nameEdit_->SelectAll();
    }

    // InitialDir when it exists, else the folder of FileName when it exists, else the current one.
    static std::string FolderOf(std::string_view path) {
        std::string full = ExpandFileName(path);
        if (!IsRoot(full)) full = ExcludeTrailingPathDelimiter(full);
        return full;
    }
    std::string InitialFolder(const std::string& fileName) const {
        if (!dialog_->InitialDir().empty() && DirectoryExists(dialog_->InitialDir()))
            return FolderOf(dialog_->InitialDir());
        const std::string path = ExtractFilePath(fileName);
        if (!path.empty() && DirectoryExists(path)) return FolderOf(path);
        return FolderOf(GetCurrentDir());
    }

    // The drives, with the current folder's chain of parents under its drive.
    void FillFolders() {
        folderPaths_.clear();
        std::vector<std::string> roots;
        std::string buffer(512, '\0');
        const DWORD length = GetLogicalDriveStrings(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length > 0 && length < buffer.size()) {
            for (size_t start = 0; start < length;) {
                const size_t end = buffer.find('\0', start);
                if (end == start || end == std::string::npos) break;
                roots.push_back(buffer.substr(start, end - start));
                start = end + 1;
            }
        }
        const std::string drive = ExtractFileDrive(folder_);
        bool placed = false;
        auto addChain = [&] {
            std::vector<std::string> chain;
            for (std::string path = folder_;;) {
                chain.push_back(path);
                if (IsRoot(path) || path.size() <= drive.size()) break;
                std::string parent = ExtractFileDir(path);
                if (parent == path || parent.empty()) break;
                path = parent;
            }
            std::reverse(chain.begin(), chain.end());
            folderPaths_.insert(folderPaths_.end(), chain.begin(), chain.end());
            placed = true;
        };
        for (const std::string& root : roots) {
            if (!placed && SameText(ExtractFileDrive(root), drive))
                addChain();
            else
                folderPaths_.push_back(root);
        }
        if (!placed) addChain();
        folderCombo_->Items()->BeginUpdate();
        folderCombo_->Items()->Clear();
        for (const std::string& path : folderPaths_)
            folderCombo_->Items()->Add(path);
        folderCombo_->Items()->EndUpdate();
        for (size_t i = 0; i < folderPaths_.size(); ++i)
            if (SameText(folderPaths_[i], folder_)) folderCombo_->SetItemIndex(static_cast<Integer>(i));
    }

    bool Matches(const std::string& name) const {
        if (!typedMask_.empty()) return WildcardMatch(typedMask_, name);
        const Integer type = typeCombo_->ItemIndex();
        if (type < 0 || type >= static_cast<Integer>(types_.size())) return true;
        for (const std::string& pattern : types_[static_cast<size_t>(type)].patterns)
            if (WildcardMatch(pattern, name)) return true;
        return false;
    }

    // Folders first, then the files the type or typed mask matches; hidden and system files are left out.
    void FillList() {
        entries_.clear();
        TSearchRec rec;
        if (FindFirst(IncludeTrailingPathDelimiter(folder_) + "*", faDirectory | faReadOnly | faArchive,
                      rec) == 0) {
            do {
                if (rec.Name == "." || rec.Name == "..") continue;
                const bool folder = (rec.Attr & faDirectory) != 0;
                if (folder || Matches(rec.Name)) entries_.push_back(Entry{rec.Name, folder});
            } while (FindNext(rec) == 0);
            FindClose(rec);
        }
        std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
            if (a.folder != b.folder) return a.folder;
            return CompareText(a.name, b.name) < 0;
        });
        fileList_->Items()->BeginUpdate();
        fileList_->Items()->Clear();
        for (const Entry& entry : entries_)
            fileList_->Items()->Add(entry.name);
        fileList_->Items()->EndUpdate();
    }

    void DrawEntry(Integer index, TRect rect, TOwnerDrawState state) {
        TCanvas* canvas = fileList_->Canvas();
        const bool selected = state.Contains(odSelected);
        canvas->Brush()->SetColor(selected ? clHighlight : clWindow);
        canvas->FillRect(rect);
        if (index < 0 || index >= static_cast<Integer>(entries_.size())) return;
        const Entry& entry = entries_[static_cast<size_t>(index)];
        const Integer top = rect.top + (rect.bottom - rect.top - 12) / 2;
        canvas->Pen()->SetColor(clBlack);
        if (entry.folder) {
            canvas->Brush()->SetColor(clYellow);
            canvas->Rectangle(rect.left + 2, top + 2, rect.left + 16, top + 12);
            canvas->Rectangle(rect.left + 2, top, rect.left + 8, top + 3);
        } else {
            canvas->Brush()->SetColor(clWhite);
            canvas->Rectangle(rect.left + 4, top, rect.left + 14, top + 12);
        }
        canvas->Brush()->SetStyle(bsClear);
        canvas->Font()->SetColor(selected ? clHighlightText : clWindowText);
        canvas->TextOut(rect.left + 20,
                        rect.top + std::max(0, (rect.bottom - rect.top - canvas->TextHeight(entry.name)) / 2),
                        entry.name);
        canvas->Brush()->SetStyle(bsSolid);
    }

    const Entry* SelectedFolder() const {
        const Integer index = fileList_->ItemIndex();
        if (index < 0 || index >= static_cast<Integer>(entries_.size())) return nullptr;
        if (fileList_->MultiSelect() && !fileList_->Selected(index)) return nullptr;
        const Entry& entry = entries_[static_cast<size_t>(index)];
        return entry.folder ? &entry : nullptr;
    }

    // The chosen files go to the name edit, several quoted.
    void SelectionChanged() {
        std::vector<std::string> names;
        for (Integer i = 0; i < static_cast<Integer>(entries_.size()); ++i) {
            const bool selected =
                fileList_->MultiSelect() ? fileList_->Selected(i) : i == fileList_->ItemIndex();
            if (selected && !entries_[static_cast<size_t>(i)].folder)
                names.push_back(entries_[static_cast<size_t>(i)].name);
        }
        if (names.empty()) return;
        std::string text;
        if (names.size() == 1) {
            text = names.front();
        } else {
            for (const std::string& name : names)
                text += (text.empty() ? "\"" : " \"") + name + "\"";
        }
        nameEdit_->SetText(text);
        if (dialog_->OnSelectionChange) dialog_->OnSelectionChange(dialog_);
    }

    void EntryOpened() {
        const Integer index = fileList_->ItemIndex();
        if (index < 0 || index >= static_cast<Integer>(entries_.size())) return;
        const Entry& entry = entries_[static_cast<size_t>(index)];
        if (entry.folder) {
            ChangeFolder(IncludeTrailingPathDelimiter(folder_) + entry.name, true);
            return;
        }
        nameEdit_->SetText(entry.name);
        Accept();
    }

    void GoUp() {
        if (IsRoot(folder_)) return;
        const std::string parent = ExtractFileDir(folder_);
        if (!parent.empty() && parent != folder_) ChangeFolder(parent, true);
    }

    bool ChangeFolder(const std::string& path, bool notify) {
        const std::string full = FolderOf(path);
        if (!DirectoryExists(full)) {
            Complain(Format("%s is not accessible.\n\nThe device is not ready.", {full}));
            FillFolders();
            return false;
        }
        folder_ = full;
        typedMask_.clear();
        FillFolders();
        FillList();
        if (notify && dialog_->OnFolderChange) dialog_->OnFolderChange(dialog_);
        return true;
    }

    // A typed name against the folder shown: "\x" is on the folder's drive, "C:x" and "C:\x" stand alone.
    std::string Resolve(const std::string& name) const {
        if (name.size() >= 2 && name[1] == ':') return ExpandFileName(name);
        if (!name.empty() && (name[0] == '\\' || name[0] == '/')) {
            if (name.size() >= 2 && (name[1] == '\\' || name[1] == '/')) return ExpandFileName(name);
            return ExpandFileName(ExtractFileDrive(folder_) + name);
        }
        return ExpandFileName(IncludeTrailingPathDelimiter(folder_) + name);
    }

    void Complain(const std::string& message) { MessageDlg(message, mtWarning, TMsgDlgButtons{mbOK}, 0); }

    bool Ask(const std::string& message, TMsgDlgType type) {
        return MessageDlg(message, type, TMsgDlgButtons{mbYes, mbNo}, 0) == mrYes;
    }

    // The typed name with the default extension when it has none; a name ending in a dot keeps none.
    std::string WithDefaultExt(const std::string& full) const {
        const std::string& defaultExt = dialog_->DefaultExt();
        if (!full.empty() && full.back() == '.') return full.substr(0, full.size() - 1);
        if (defaultExt.empty() || !ExtractFileExt(full).empty()) return full;
        std::string candidate = full + "." + (defaultExt.front() == '.' ? defaultExt.substr(1) : defaultExt);
        // Opening keeps an existing file's name as typed when no file has the extended name.
        if (!save_ && FileExists(full) && !FileExists(candidate)) return full;
        return candidate;
    }

    // Checks one chosen file against the options; false keeps the dialog open.
    bool Validate(const std::string& typed, const std::string& full) {
        const TOpenOptions options = dialog_->Options();
        const bool fileMustExist = options.Contains(ofFileMustExist);
        const bool pathMustExist = options.Contains(ofPathMustExist) || fileMustExist;
        const std::string folder = ExtractFileDir(full);
        if (!DirectoryExists(folder)) {
            if (pathMustExist || options.Contains(ofCreatePrompt)) {
                Complain(Format("%s\nPath does not exist.\nCheck the path and try again.", {typed}));
                return false;
            }
            return true;
        }
        const bool exists = FileExists(full);
        if (!exists) {
            if (options.Contains(ofCreatePrompt))
                return Ask(Format("%s\nThis file does not exist.\nDo you want to create the file?", {typed}),
                           mtConfirmation);
            if (fileMustExist) {
                Complain(Format("%s\nFile not found.\nCheck the file name and try again.", {typed}));
                return false;
            }
            return true;
        }
        if (options.Contains(ofNoReadOnlyReturn) && (FileGetAttr(full) & faReadOnly)) {
            Complain(
                Format("%s\nThis file is set to read-only.\nTry again with a different file name.", {typed}));
            return false;
        }
        if (save_ && options.Contains(ofOverwritePrompt))
            return Ask(Format("%s already exists.\nDo you want to replace it?", {typed}), mtWarning);
        return true;
    }

    void Accept() {
        if (fileList_->Focused()) {
            if (const Entry* folder = SelectedFolder()) {
                ChangeFolder(IncludeTrailingPathDelimiter(folder_) + folder->name, true);
                return;
            }
        }
        const std::string text = Trim(nameEdit_->Text());
        if (text.empty()) return;
        std::vector<std::string> names = SplitNames(text);
        if (names.empty()) return;
        if (names.size() > 1 && !dialog_->Options().Contains(ofAllowMultiSelect)) {
            Complain(Format("%s\nThe file name is not valid.", {text}));
            return;
        }
        if (names.size() == 1) {
            const std::string& name = names.front();
            // A typed wildcard filters the list, in the folder it names.
            if (HasWildcard(name)) {
                const Integer slash = LastDelimiter("\\/:", name);
                const std::string mask = name.substr(static_cast<size_t>(slash + 1));
                if (slash >= 0) {
                    const std::string folder = Resolve(name.substr(0, static_cast<size_t>(slash + 1)));
                    if (!DirectoryExists(folder)) {
                        Complain(Format("%s\nPath does not exist.\nCheck the path and try again.", {name}));
                        return;
                    }
                    if (!ChangeFolder(folder, true)) return;
                }
                typedMask_ = mask;
                FillList();
                nameEdit_->SetText(mask);
                nameEdit_->SelectAll();
                return;
            }
            const std::string full = Resolve(name);
            if (DirectoryExists(full)) {
                if (ChangeFolder(full, true)) nameEdit_->SetText("");
                return;
            }
        }
        std::vector<std::string> chosen;
        for (const std::string& name : names) {
            if (HasWildcard(name)) {
                Complain(Format("%s\nThe file name is not valid.", {name}));
                return;
            }
            const std::string full = WithDefaultExt(Resolve(name));
            if (!Validate(name, full)) return;
            chosen.push_back(full);
        }
        chosen_ = std::move(chosen);
        if (!FileDialogAccess::CanCloseWith(dialog_, chosen_)) return;
        form_->SetModalResult(mrOk);
    }

    TOpenDialog* dialog_;
    TForm* form_;
    bool save_;
    std::vector<FileType> types_;
    std::string folder_;
    std::string typedMask_;
    std::vector<Entry> entries_;
    std::vector<std::string> folderPaths_;
    std::vector<std::string> chosen_;
    TComboBox* folderCombo_ = nullptr;
    TDialogListBox* fileList_ = nullptr;
    TEdit* nameEdit_ = nullptr;
    TComboBox* typeCombo_ = nullptr;
    TCheckBox* readOnly_ = nullptr;
    TButton* ok_ = nullptr;
};

}  // namespace

VCL_DEFINE_CLASS(TOpenDialog, TCommonDialog)

TOpenDialog::TOpenDialog(TComponent* owner) : TCommonDialog(owner), files_(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

VCL_DEFINE_CLASS(TSaveDialog, TOpenDialog)

TSaveDialog::TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}

bool TOpenDialog::CanClose() {
    bool canClose = true;
    if (OnCanClose) OnCanClose(this, canClose);
    return canClose;
}

// OnCanClose sees the chosen names in FileName and Files; a refusal puts the previous ones back.
bool TOpenDialog::CanCloseWith(const std::vector<std::string>& chosen) {
    const std::string previousName = fileName_;
    auto previousFiles = std::make_unique<TStringList>();
    previousFiles->Assign(files_.get());
    StoreFiles(chosen);
    ScopeExit putBack([&] {
        fileName_ = previousName;
        files_->Assign(previousFiles.get());
    });
    const bool canClose = CanClose();
    if (canClose) putBack.Dismiss();
    return canClose;
}

void TOpenDialog::StoreFiles(const std::vector<std::string>& chosen) {
    {
        files_->BeginUpdate();
        const ScopeExit endUpdate([this] { files_->EndUpdate(); });
        files_->Clear();
        for (const std::string& name : chosen)
            files_->Add(name);
    }
    fileName_ = chosen.empty() ? std::string() : chosen.front();
}

bool TOpenDialog::Execute() {
    const bool save = IsSaveDialog();
    const std::string caption = !title_.empty() ? title_ : save ? "Save As" : "Open";
    TForm* form = NewDialogForm(save ? "SaveDlg" : "OpenDlg", caption, 424, 296, Ctl3D());
    std::unique_ptr<FileSession> session;
    // What OnCanClose may have seen is put back if the dialog is cancelled after all.
    const std::string previousName = fileName_;
    auto previousFiles = std::make_unique<TStringList>();
    previousFiles->Assign(files_.get());
    try {
        session = std::make_unique<FileSession>(this, form, save);
    } catch (...) {
        form->Free();
        throw;
    }
    const bool accepted = RunDialog(form, [&] {
        StoreFiles(session->Chosen());
        options_.Exclude(ofReadOnly);
        if (session->ReadOnlyChecked()) options_.Include(ofReadOnly);
        options_.Exclude(ofExtensionDifferent);
        if (!defaultExt_.empty() && !fileName_.empty()) {
            const std::string ext = ExtractFileExt(fileName_);
            const std::string wanted = defaultExt_.front() == '.' ? defaultExt_.substr(1) : defaultExt_;
            if (!SameText(ext.empty() ? std::string() : ext.substr(1), wanted))
                options_.Include(ofExtensionDifferent);
        }
        if (session->TypeIndex() >= 0) filterIndex_ = session->TypeIndex() + 1;
        if (!options_.Contains(ofNoChangeDir) && !fileName_.empty()) {
            const std::string folder = ExtractFileDir(fileName_);
            if (DirectoryExists(folder)) SetCurrentDir(folder);
        }
    });
    if (!accepted) {
        fileName_ = previousName;
        files_->Assign(previousFiles.get());
    }
    return accepted;
}

}  // namespace vcl
