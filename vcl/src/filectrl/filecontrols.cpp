// The file list, directory list, drive combo box and filter combo box.
#include <algorithm>
#include <functional>

#include "classes/links.h"
#include "vcl/filectrl.h"
#include "vcl/fileutils.h"
#include "vcl/sysutils.h"
#include "win32/files.h"

namespace vcl {

using namespace win32;

namespace filecontrols {

const bool classesRegistered = [] {
    RegisterClasses({TFileListBox::StaticClass(), TDirectoryListBox::StaticClass(),
                     TDriveComboBox::StaticClass(), TFilterComboBox::StaticClass()});
    return true;
}();

// Calls `entry` for every entry a search pattern finds, with critical errors kept quiet.
void Search(const std::string& pattern, const std::function<void(const WIN32_FIND_DATA&)>& entry) {
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
    const ScopeExit restore([previous] { SetErrorMode(previous); });
    WIN32_FIND_DATA data{};
    const HANDLE search = FindFirstFile(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    const ScopeExit close([search] { win32::FindClose(search); });
    do
        entry(data);
    while (FindNextFile(search, &data));
}

std::vector<std::string> SplitPatterns(const std::string& mask) {
    std::vector<std::string> patterns;
    size_t start = 0;
    while (start <= mask.size()) {
        const size_t end = std::min(mask.find(';', start), mask.size());
        std::string pattern = Trim(mask.substr(start, end - start));
        if (!pattern.empty()) patterns.push_back(pattern);
        start = end + 1;
    }
    if (patterns.empty()) patterns.emplace_back("*.*");
    return patterns;
}

bool TextLess(const std::string& a, const std::string& b) {
    return AnsiCompareText(a, b) < 0;
}

// The folder as the lists keep it: a full path without a trailing `\`, roots as "C:\".
std::string FolderForm(const std::string& path) {
    std::string full = ExpandFileName(path);
    if (full.size() > 3) full = ExcludeTrailingBackslash(full);
    return full;
}

}  // namespace filecontrols

// ---------------------------------------------------------------------------------------------
// TFileListBox

VCL_DEFINE_CLASS(TFileListBox, TCustomListBox)

TFileListBox::TFileListBox(TComponent* owner) : TCustomListBox(owner) {
    SetSorted(false);
    directory_ = filecontrols::FolderForm(GetCurrentDir());
    ReadDirectory();
}

void TFileListBox::SetDirectory(const std::string& value) {
    const std::string folder = value.empty() ? std::string() : filecontrols::FolderForm(value);
    if (folder == directory_) return;
    directory_ = folder;
    ReadDirectory();
    Change();
}

char TFileListBox::Drive() const {
    return directory_.empty() ? '\0'
                              : static_cast<char>(std::toupper(static_cast<unsigned char>(directory_[0])));
}

void TFileListBox::SetDrive(char value) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(value)));
    if (letter < 'A' || letter > 'Z' || letter == Drive()) return;
    SetDirectory(std::string{letter, ':'});
}

void TFileListBox::SetMask(const std::string& value) {
    if (mask_ == value) return;
    mask_ = value;
    ReadDirectory();
}

void TFileListBox::SetFileType(TFileType value) {
    if (fileType_ == value) return;
    fileType_ = value;
    ReadDirectory();
}

bool TFileListBox::Accepts(DWORD attributes) const {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return fileType_.Contains(ftDirectory);
    if ((attributes & FILE_ATTRIBUTE_HIDDEN) && !fileType_.Contains(ftHidden)) return false;
    if ((attributes & FILE_ATTRIBUTE_SYSTEM) && !fileType_.Contains(ftSystem)) return false;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return fileType_.Contains(ftReadOnly) || fileType_.Contains(ftNormal);
    return fileType_.Contains(ftNormal) ||
           ((attributes & FILE_ATTRIBUTE_ARCHIVE) && fileType_.Contains(ftArchive));
}

void TFileListBox::ReadFileNames() {
    std::vector<std::string> files, folders;
    if (!directory_.empty()) {
        const std::string base = IncludeTrailingBackslash(directory_);
        for (const std::string& pattern : filecontrols::SplitPatterns(mask_))
            filecontrols::Search(base + pattern, [&](const WIN32_FIND_DATA& data) {
                const std::string name = data.cFileName;
                if (name == "." || !Accepts(data.dwFileAttributes)) return;
                auto& into = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? folders : files;
                if (std::find(into.begin(), into.end(), name) == into.end()) into.push_back(name);
            });
        if (fileType_.Contains(ftDirectory))
            filecontrols::Search(base + "*.*", [&](const WIN32_FIND_DATA& data) {
                const std::string name = data.cFileName;
                if (name == "." || !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
                if (std::find(folders.begin(), folders.end(), name) == folders.end()) folders.push_back(name);
            });
    }
    std::sort(files.begin(), files.end(), filecontrols::TextLess);
    std::sort(folders.begin(), folders.end(), filecontrols::TextLess);
    TStrings* items = Items();
    items->BeginUpdate();
    const ScopeExit end([items] { items->EndUpdate(); });
    items->Clear();
    for (const std::string& name : files)
        items->Add(name);
    for (const std::string& name : folders)
        items->Add("[" + name + "]");
}

void TFileListBox::ReadDirectory() {
    ReadFileNames();
    if (fileEdit_) fileEdit_->SetText(mask_);
}

std::string TFileListBox::FileName() const {
    const Integer index = ItemIndex();
    if (index < 0 || directory_.empty()) return {};
    std::string name = Items()->Strings(index);
    if (name.size() > 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
    return IncludeTrailingBackslash(directory_) + name;
}

void TFileListBox::SetFileName(const std::string& value) {
    if (value.empty()) {
        SetItemIndex(-1);
        return;
    }
    const std::string folder = ExtractFileDir(value);
    if (!folder.empty()) SetDirectory(folder);
    const std::string name = ExtractFileName(value);
    for (Integer i = 0; i < Items()->Count(); ++i)
        if (SameText(Items()->Strings(i), name)) {
            SetItemIndex(i);
            Change();
            return;
        }
}

void TFileListBox::SetFileEdit(TEdit* value) {
    if (ReplaceLink(this, fileEdit_, value) && fileEdit_) fileEdit_->SetText(mask_);
}

void TFileListBox::Change() {
    if (fileEdit_ && ItemIndex() >= 0) fileEdit_->SetText(ExtractFileName(FileName()));
    if (OnChange) OnChange(this);
}

void TFileListBox::SelectionChangedByUser() {
    TCustomListBox::SelectionChangedByUser();
    Change();
}

void TFileListBox::Notification(TComponent* component, TOperation operation) {
    TCustomListBox::Notification(component, operation);
    if (operation == TOperation::opRemove && component == fileEdit_) fileEdit_ = nullptr;
}

void TFileListBox::Loaded() {
    TCustomListBox::Loaded();
    ReadDirectory();
}

// ---------------------------------------------------------------------------------------------
// TDirectoryListBox

VCL_DEFINE_CLASS(TDirectoryListBox, TCustomListBox)

TDirectoryListBox::TDirectoryListBox(TComponent* owner) : TCustomListBox(owner) {
    SetStyle(lbOwnerDrawFixed);
    SetItemHeight(16);
    directory_ = filecontrols::FolderForm(GetCurrentDir());
    ReadFolders();
}

void TDirectoryListBox::ReadFolders() {
    TStrings* items = Items();
    items->BeginUpdate();
    const ScopeExit endUpdate([items] { items->EndUpdate(); });
    items->Clear();
    openRows_ = 0;
    if (directory_.size() < 3) return;
    // The way down: the root, then each folder of the path.
    const std::string root = directory_.substr(0, 3);
    items->Add(root);
    std::string rest = directory_.size() > 3 ? directory_.substr(3) : std::string();
    size_t start = 0;
    while (start < rest.size()) {
        const size_t end = std::min(rest.find('\\', start), rest.size());
        items->Add(rest.substr(start, end - start));
        start = end + 1;
    }
    openRows_ = items->Count();
    std::vector<std::string> below;
    filecontrols::Search(IncludeTrailingBackslash(directory_) + "*.*", [&](const WIN32_FIND_DATA& data) {
        const std::string name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
            below.push_back(name);
    });
    std::sort(below.begin(), below.end(), filecontrols::TextLess);
    for (const std::string& name : below)
        items->Add(name);
    SetItemIndex(openRows_ - 1);
}

std::string TDirectoryListBox::GetItemPath(Integer index) const {
    if (index < 0 || index >= Items()->Count()) return {};
    std::string path = Items()->Strings(0);
    const Integer last = index < openRows_ ? index : openRows_ - 1;
    for (Integer i = 1; i <= last; ++i)
        path = IncludeTrailingBackslash(path) + Items()->Strings(i);
    if (index >= openRows_) path = IncludeTrailingBackslash(path) + Items()->Strings(index);
    return path;
}

void TDirectoryListBox::SetDirectory(const std::string& value) {
    const std::string folder = filecontrols::FolderForm(value);
    if (!DirectoryExists(folder)) throw EInOutError(Format("Directory '%s' does not exist", {value}), 3);
    if (folder == directory_) return;
    directory_ = folder;
    ReadFolders();
    Change();
}

char TDirectoryListBox::Drive() const {
    return directory_.empty() ? '\0'
                              : static_cast<char>(std::toupper(static_cast<unsigned char>(directory_[0])));
}

void TDirectoryListBox::SetDrive(char value) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(value)));
    if (letter < 'A' || letter > 'Z' || letter == Drive()) return;
    // The drive's own current folder, as the platform keeps one per drive.
    const std::string target = ExpandFileName(std::string{letter, ':'});
    SetDirectory(DirectoryExists(target) ? target : std::string{letter, ':', '\\'});
}

void TDirectoryListBox::SetFileList(TFileListBox* value) {
    if (ReplaceLink(this, fileList_, value) && fileList_) fileList_->SetDirectory(directory_);
}

void TDirectoryListBox::SetDirLabel(TLabel* value) {
    if (ReplaceLink(this, dirLabel_, value) && dirLabel_) dirLabel_->SetCaption(directory_);
}

void TDirectoryListBox::OpenCurrent() {
    const std::string path = GetItemPath(ItemIndex());
    if (!path.empty() && DirectoryExists(path)) SetDirectory(path);
}

void TDirectoryListBox::DblClick() {
    TCustomListBox::DblClick();
    OpenCurrent();
}

void TDirectoryListBox::KeyPress(char32_t& key) {
    TCustomListBox::KeyPress(key);
    if (key == U'\r') {
        OpenCurrent();
        key = 0;
    }
}

void TDirectoryListBox::DrawItem(Integer index, TRect rect, TOwnerDrawState state) {
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    TCanvas* canvas = Canvas();
    canvas->FillRect(rect);
    constexpr Integer kStep = 8;
    const Integer depth = index < openRows_ ? index : openRows_;
    canvas->TextOut(rect.left + 2 + depth * kStep, rect.top + 1, Items()->Strings(index));
}

void TDirectoryListBox::Change() {
    if (fileList_) fileList_->SetDirectory(directory_);
    if (dirLabel_) dirLabel_->SetCaption(directory_);
    if (OnChange) OnChange(this);
}

void TDirectoryListBox::Notification(TComponent* component, TOperation operation) {
    TCustomListBox::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (component == fileList_) fileList_ = nullptr;
    if (component == dirLabel_) dirLabel_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// TDriveComboBox

VCL_DEFINE_CLASS(TDriveComboBox, TCustomComboBox)

TDriveComboBox::TDriveComboBox(TComponent* owner) : TCustomComboBox(owner) {
    SetStyle(csDropDownList);
    const std::string current = GetCurrentDir();
    drive_ = current.empty() ? 'C' : static_cast<char>(std::toupper(static_cast<unsigned char>(current[0])));
    BuildList();
}

void TDriveComboBox::BuildList() {
    TStrings* items = Items();
    items->Clear();
    const DWORD drives = GetLogicalDrives();
    Integer chosen = -1;
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        const char upper = static_cast<char>('A' + i);
        const char letter = textCase_ == tcUpperCase ? upper : static_cast<char>('a' + i);
        const std::string root{upper, ':', '\\'};
        char label[64] = {};
        const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
        const bool named =
            GetVolumeInformation(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0);
        SetErrorMode(previous);
        std::string text{letter, ':'};
        if (named && label[0]) text += std::string(" [") + label + "]";
        items->AddObject(text, reinterpret_cast<TObject*>(static_cast<uintptr_t>(upper)));
        if (upper == drive_) chosen = items->Count() - 1;
    }
    SetItemIndex(chosen);
}

void TDriveComboBox::SetDrive(char value) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(value)));
    if (letter == drive_) return;
    for (Integer i = 0; i < Items()->Count(); ++i)
        if (static_cast<char>(reinterpret_cast<uintptr_t>(Items()->Objects(i))) == letter) {
            drive_ = letter;
            SetItemIndex(i);
            if (dirList_) dirList_->SetDrive(letter);
            if (OnChange) OnChange(this);
            return;
        }
}

void TDriveComboBox::SetTextCase(TTextCase value) {
    if (textCase_ == value) return;
    textCase_ = value;
    BuildList();
}

void TDriveComboBox::SetDirList(TDirectoryListBox* value) {
    ReplaceLink(this, dirList_, value);
}

void TDriveComboBox::Change() {
    const Integer index = ItemIndex();
    if (index >= 0) {
        drive_ = static_cast<char>(reinterpret_cast<uintptr_t>(Items()->Objects(index)));
        if (dirList_) dirList_->SetDrive(drive_);
    }
    TCustomComboBox::Change();
}

void TDriveComboBox::Notification(TComponent* component, TOperation operation) {
    TCustomComboBox::Notification(component, operation);
    if (operation == TOperation::opRemove && component == dirList_) dirList_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// TFilterComboBox

VCL_DEFINE_CLASS(TFilterComboBox, TCustomComboBox)

TFilterComboBox::TFilterComboBox(TComponent* owner) : TCustomComboBox(owner) {
    SetStyle(csDropDownList);
    BuildList();
}

void TFilterComboBox::BuildList() {
    Items()->Clear();
    masks_.clear();
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= filter_.size()) {
        const size_t end = std::min(filter_.find('|', start), filter_.size());
        parts.push_back(filter_.substr(start, end - start));
        start = end + 1;
    }
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        Items()->Add(parts[i]);
        masks_.push_back(parts[i + 1]);
    }
    SetItemIndex(masks_.empty() ? -1 : 0);
}

void TFilterComboBox::SetFilter(const std::string& value) {
    if (filter_ == value) return;
    filter_ = value;
    BuildList();
    if (fileList_) fileList_->SetMask(Mask());
}

std::string TFilterComboBox::Mask() const {
    const Integer index = ItemIndex();
    return index >= 0 && index < static_cast<Integer>(masks_.size()) ? masks_[static_cast<size_t>(index)]
                                                                     : "*.*";
}

void TFilterComboBox::SetFileList(TFileListBox* value) {
    if (ReplaceLink(this, fileList_, value) && fileList_) fileList_->SetMask(Mask());
}

void TFilterComboBox::Change() {
    if (fileList_) fileList_->SetMask(Mask());
    TCustomComboBox::Change();
}

void TFilterComboBox::Notification(TComponent* component, TOperation operation) {
    TCustomComboBox::Notification(component, operation);
    if (operation == TOperation::opRemove && component == fileList_) fileList_ = nullptr;
}

}  // namespace vcl
