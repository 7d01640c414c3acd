#include "pellic/zyltfilectrls.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "vcl/classregistration.h"
#include "vcl/fileutils.h"
#include "vcl/forms.h"
#include "vcl/sysutils.h"
#include "win32/files.h"
#include "win32/imagelist.h"
#include "win32/resources.h"
#include "win32/scope.h"
#include "win32/shell.h"

namespace pellic {

using vcl::Integer;

namespace zyltfilectrls {

const vcl::TClassRegistration streamingRegistration{
    {TZylFileCombo::StaticClass(), TZylDriveCombo::StaticClass(), TZylFolderListbox::StaticClass()}};

constexpr Integer kFileComboWidth = 145;
constexpr Integer kIconSize = 16;
constexpr Integer kFileTextLeft = 18;
// Listing many names takes a while: the hourglass shows from the 101st on.
constexpr Integer kHourglassFrom = 100;
constexpr win32::DWORD kErrorPathNotFound = 3;

// A full path without a trailing `\`, roots as "C:\".
std::string FolderForm(const std::string& path) {
    std::string full = vcl::ExpandFileName(path);
    if (full.size() > 3) full = vcl::ExcludeTrailingBackslash(full);
    return full;
}

bool IsRelative(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return false;
    return path.empty() || (path[0] != '\\' && path[0] != '/');
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return vcl::IncludeTrailingBackslash(folder) + name;
}

// "[name]" stands for the folder "name".
std::string EntryName(const std::string& item) {
    if (item.size() > 2 && item.front() == '[' && item.back() == ']') return item.substr(1, item.size() - 2);
    return item;
}

std::vector<std::string> SplitMask(const std::string& mask) {
    std::vector<std::string> patterns;
    size_t start = 0;
    while (start <= mask.size()) {
        const size_t end = std::min(mask.find(';', start), mask.size());
        std::string pattern = vcl::Trim(mask.substr(start, end - start));
        if (!pattern.empty()) patterns.push_back(std::move(pattern));
        start = end + 1;
    }
    return patterns;
}

// The colour around the shell's icons in the folder pictures, left out when they are drawn.
constexpr vcl::TColor kPictureKey = vcl::clFuchsia;

// A 16 x 16 picture of one of the shell's small icons on the key colour.
std::unique_ptr<vcl::TBitmap> ShellIconPicture(const std::string& path, win32::UINT extraFlags) {
    constexpr vcl::TColor kKey = kPictureKey;
    auto picture = std::make_unique<vcl::TBitmap>();
    picture->SetSize(kIconSize, kIconSize);
    picture->Canvas()->Brush()->SetColor(kKey);
    picture->Canvas()->FillRect(vcl::Rect(0, 0, kIconSize, kIconSize));
    // Asked by the folder's attributes: the pictures are a folder's even where the folder is missing.
    win32::SHFILEINFO info{};
    const auto list = reinterpret_cast<win32::HIMAGELIST>(win32::SHGetFileInfo(
        path.c_str(), win32::FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
        win32::SHGFI_SYSICONINDEX | win32::SHGFI_SMALLICON | win32::SHGFI_USEFILEATTRIBUTES | extraFlags));
    if (list)
        win32::ImageList_Draw(list, info.iIcon, picture->Canvas()->Handle(), 0, 0, win32::ILD_TRANSPARENT);
    return picture;
}

std::string WindowsFolder() {
    char windows[win32::MAX_PATH] = {};
    win32::GetWindowsDirectory(windows, sizeof windows);
    return windows;
}

// Text of one row, centred vertically.
void RowText(vcl::TCanvas* canvas, const vcl::TRect& rect, Integer left, const std::string& text) {
    const Integer top = rect.top + (rect.bottom - rect.top - canvas->TextHeight(text)) / 2;
    canvas->TextRect(vcl::Rect(left, rect.top, rect.right, rect.bottom), left, top, text);
}

}  // namespace zyltfilectrls

// ---------------------------------------------------------------------------------------------
// TZylFileCombo

VCL_DEFINE_CLASS(TZylFileCombo, vcl::TCustomComboBox)

TZylFileCombo::TZylFileCombo(vcl::TComponent* owner) : vcl::TCustomComboBox(owner) {
    SetStyle(vcl::csOwnerDrawFixed);
    SetSorted(true);
    SetItemHeight(zyltfilectrls::kIconSize);
    SetWidth(zyltfilectrls::kFileComboWidth);
    directory_ = zyltfilectrls::FolderForm(vcl::GetCurrentDir());
}

void TZylFileCombo::CreateWnd() {
    Inherited::CreateWnd();
    ReadFileNames();
}

bool TZylFileCombo::Lists(win32::DWORD attributes) const {
    using namespace vcl;
    if (attributes & win32::FILE_ATTRIBUTE_DIRECTORY) return fileType_.Contains(ftDirectory);
    if ((attributes & win32::FILE_ATTRIBUTE_HIDDEN) && !fileType_.Contains(ftHidden)) return false;
    if ((attributes & win32::FILE_ATTRIBUTE_SYSTEM) && !fileType_.Contains(ftSystem)) return false;
    if (fileType_.Contains(ftNormal)) return true;
    return ((attributes & win32::FILE_ATTRIBUTE_READONLY) && fileType_.Contains(ftReadOnly)) ||
           ((attributes & win32::FILE_ATTRIBUTE_HIDDEN) && fileType_.Contains(ftHidden)) ||
           ((attributes & win32::FILE_ATTRIBUTE_SYSTEM) && fileType_.Contains(ftSystem)) ||
           ((attributes & win32::FILE_ATTRIBUTE_ARCHIVE) && fileType_.Contains(ftArchive));
}

void TZylFileCombo::ReadFileNames() {
    if (!HandleAllocated()) return;
    if (!vcl::DirectoryExists(directory_))
        throw vcl::EInOutError(vcl::Format("Directory '%s' does not exist", {directory_}),
                               zyltfilectrls::kErrorPathNotFound);
    vcl::TStrings* items = Items();
    items->BeginUpdate();
    const vcl::TCursor cursor = vcl::Screen->Cursor();
    const win32::ScopeExit restore([items, cursor] {
        items->EndUpdate();
        vcl::Screen->SetCursor(cursor);
    });
    items->Clear();
    // Patterns may overlap ("*.txt;*.t*"): each entry is listed once.
    std::set<std::string> listed;
    for (const std::string& pattern : zyltfilectrls::SplitMask(mask_)) {
        win32::WIN32_FIND_DATA data{};
        const win32::HANDLE search =
            win32::FindFirstFile(zyltfilectrls::JoinPath(directory_, pattern).c_str(), &data);
        if (search == win32::INVALID_HANDLE_VALUE) continue;
        const win32::ScopeExit close([search] { win32::FindClose(search); });
        do {
            const std::string name = data.cFileName;
            if (name == "." || !Lists(data.dwFileAttributes) || !listed.insert(name).second) continue;
            const bool folder = (data.dwFileAttributes & win32::FILE_ATTRIBUTE_DIRECTORY) != 0;
            items->Add(folder ? "[" + name + "]" : name);
            if (items->Count() == zyltfilectrls::kHourglassFrom + 1) vcl::Screen->SetCursor(vcl::crHourGlass);
        } while (win32::FindNextFile(search, &data));
    }
    // The first name is chosen before the change is reported, so that FileEdit and OnChange see the
    // selection the list shows.
    if (ItemIndex() < 0 && items->Count() > 0) SetItemIndex(0);
    Change();
}

void TZylFileCombo::DrawItem(Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) {
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    vcl::TCanvas* canvas = Canvas();
    canvas->FillRect(rect);
    if (index < 0 || index >= Items()->Count()) return;
    const std::string& text = Items()->Strings(index);
    // A folder's item is "[name]": the shell is asked about the folder itself.
    const std::string path = zyltfilectrls::JoinPath(directory_, zyltfilectrls::EntryName(text));
    win32::SHFILEINFO info{};
    const auto list = reinterpret_cast<win32::HIMAGELIST>(
        win32::SHGetFileInfo(path.c_str(), 0, &info, sizeof info,
                             win32::SHGFI_SYSICONINDEX | win32::SHGFI_SMALLICON | win32::SHGFI_OPENICON));
    if (list)
        win32::ImageList_Draw(list, info.iIcon, canvas->Handle(), rect.left, rect.top,
                              win32::ILD_TRANSPARENT);
    zyltfilectrls::RowText(canvas, rect, rect.left + zyltfilectrls::kFileTextLeft, text);
}

void TZylFileCombo::FillFileEdit() {
    if (!fileEdit_) return;
    const std::string name = FileName();
    fileEdit_->SetText(name.empty() ? mask_ : name);
    fileEdit_->SelectAll();
}

void TZylFileCombo::Change() {
    reportedIndex_ = ItemIndex();
    FillFileEdit();
    Inherited::Change();
}

void TZylFileCombo::Click() {
    Inherited::Click();
    if (ItemIndex() != reportedIndex_) Change();
}

void TZylFileCombo::Select() {
    // Click has reported the new selection already; the framework's Select would report it again.
    if (OnSelect) OnSelect(this);
}

void TZylFileCombo::SetDirectory(const std::string& value) {
    if (vcl::SameText(value, directory_)) return;
    const std::string wanted = zyltfilectrls::IsRelative(value) && !directory_.empty()
                                   ? zyltfilectrls::JoinPath(directory_, value)
                                   : value;
    const std::string folder = zyltfilectrls::FolderForm(wanted);
    if (!vcl::DirectoryExists(folder))
        throw vcl::EInOutError(vcl::Format("Directory '%s' does not exist", {value}),
                               zyltfilectrls::kErrorPathNotFound);
    directory_ = folder;
    ReadFileNames();
}

void TZylFileCombo::SetDrive(char value) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(value)));
    if (letter == static_cast<char>(std::toupper(static_cast<unsigned char>(Drive())))) return;
    SetDirectory(std::string{letter, ':'});
}

void TZylFileCombo::SetMask(const std::string& value) {
    if (mask_ == value) return;
    mask_ = value;
    ReadFileNames();
}

void TZylFileCombo::SetFileType(vcl::TFileType value) {
    if (fileType_ == value) return;
    fileType_ = value;
    ReadFileNames();
}

std::string TZylFileCombo::FileName() const {
    const Integer index = ItemIndex();
    return index < 0 || index >= Items()->Count() ? std::string() : Items()->Strings(index);
}

void TZylFileCombo::SetFileName(const std::string& value) {
    if (vcl::SameText(value, FileName())) return;
    Integer found = -1;
    for (Integer i = 0; i < Items()->Count() && found < 0; ++i)
        if (vcl::SameText(Items()->Strings(i), value)) found = i;
    SetItemIndex(found);
    Change();
}

std::string TZylFileCombo::FilePath() const {
    const std::string name = FileName();
    return name.empty() ? std::string() : zyltfilectrls::JoinPath(directory_, name);
}

void TZylFileCombo::SetFilePath(const std::string& value) {
    if (value.empty() || value == FilePath()) return;
    const std::string folder = vcl::ExtractFilePath(value);
    const std::string name = vcl::ExtractFileName(value);
    const bool pattern = name.find_first_of("*?") != std::string::npos;
    // A missing file is refused before anything moves.
    if (!pattern && !name.empty()) {
        const std::string base = folder.empty() || !zyltfilectrls::IsRelative(folder)
                                     ? folder
                                     : zyltfilectrls::JoinPath(directory_, folder);
        const std::string path = base.empty() ? zyltfilectrls::JoinPath(directory_, name) : base + name;
        if (!vcl::FileExists(path) && !vcl::DirectoryExists(path))
            throw vcl::EInvalidOperation(vcl::Format("File '%s' does not exist", {path}));
    }
    if (!folder.empty()) SetDirectory(folder);
    if (pattern) {
        SetMask(name);
        return;
    }
    if (name.empty()) return;
    SetFileName(name);
    if (ItemIndex() < 0) {
        // The Mask hides the file: it becomes the Mask.
        SetMask(name);
        SetFileName(name);
    }
}

void TZylFileCombo::SetFileEdit(vcl::TCustomEdit* value) {
    if (fileEdit_ == value) return;
    if (fileEdit_) fileEdit_->RemoveFreeNotification(this);
    fileEdit_ = value;
    if (!fileEdit_) return;
    fileEdit_->FreeNotification(this);
    FillFileEdit();
}

void TZylFileCombo::Notification(vcl::TComponent* component, vcl::TOperation operation) {
    Inherited::Notification(component, operation);
    if (operation == vcl::TOperation::opRemove && component == fileEdit_) fileEdit_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// TZylDriveCombo

VCL_DEFINE_CLASS(TZylDriveCombo, vcl::TDriveComboBox)

TZylDriveCombo::TZylDriveCombo(vcl::TComponent* owner) : vcl::TDriveComboBox(owner) {
    SetStyle(vcl::csOwnerDrawFixed);
    constexpr const char* kNames[] = {"ZYLFLOPPY", "ZYLFIXED", "ZYLNETWORK", "ZYLCDROM", "ZYLRAM"};
    const win32::HINSTANCE module = win32::GetModuleHandle("pellic");
    for (size_t i = 0; i < pictures_.size(); ++i) {
        pictures_[i] = std::make_unique<vcl::TBitmap>();
        if (const win32::HBITMAP handle = win32::LoadBitmap(module, kNames[i]))
            pictures_[i]->SetHandle(handle);
    }
    Perform(vcl::CM_FONTCHANGED, 0, 0);
}

TZylDriveCombo::~TZylDriveCombo() = default;

void TZylDriveCombo::WndProc(vcl::TMessage& message) {
    Inherited::WndProc(message);
    // Rows as high as the font's text, and never lower than a picture.
    if (message.Msg == vcl::CM_FONTCHANGED)
        SetItemHeight(std::max(zyltfilectrls::kIconSize, vcl::TextMeasure(Font()).Height()));
}

vcl::TBitmap* TZylDriveCombo::PictureOf(char drive) const {
    const std::string root{drive, ':', '\\'};
    switch (win32::GetDriveType(root.c_str())) {
        case win32::DRIVE_REMOVABLE:
            return pictures_[0].get();
        case win32::DRIVE_FIXED:
            return pictures_[1].get();
        case win32::DRIVE_REMOTE:
            return pictures_[2].get();
        case win32::DRIVE_CDROM:
            return pictures_[3].get();
        case win32::DRIVE_RAMDISK:
            return pictures_[4].get();
        default:
            return nullptr;
    }
}

void TZylDriveCombo::DrawItem(Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) {
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    vcl::TCanvas* canvas = Canvas();
    canvas->FillRect(rect);
    if (index < 0 || index >= Items()->Count()) return;
    constexpr Integer kPictureLeft = 2, kTextLeft = 22;
    const char drive = static_cast<char>(reinterpret_cast<uintptr_t>(Items()->Objects(index)));
    vcl::TBitmap* picture = PictureOf(drive);
    if (picture && !picture->Empty()) {
        const Integer width = picture->Width(), height = picture->Height();
        const Integer left = rect.left + kPictureLeft;
        const Integer top = rect.top + (rect.bottom - rect.top - height) / 2;
        // The picture's bottom-left pixel is its transparent colour.
        canvas->BrushCopy(vcl::Rect(left, top, left + width, top + height), picture,
                          vcl::Rect(0, 0, width, height), picture->Canvas()->Pixels(0, height - 1));
    }
    zyltfilectrls::RowText(canvas, rect, rect.left + kTextLeft, Items()->Strings(index));
}

// ---------------------------------------------------------------------------------------------
// TZylFolderListbox

VCL_DEFINE_CLASS(TZylFolderListbox, vcl::TDirectoryListBox)

TZylFolderListbox::TZylFolderListbox(vcl::TComponent* owner) : vcl::TDirectoryListBox(owner) {}

void TZylFolderListbox::MakePictures() {
    const std::string windows = zyltfilectrls::WindowsFolder();
    opened_ = zyltfilectrls::ShellIconPicture(windows, win32::SHGFI_OPENICON);
    current_ = zyltfilectrls::ShellIconPicture(windows, win32::SHGFI_OPENICON);
    closed_ = zyltfilectrls::ShellIconPicture(windows, 0);
}

TZylFolderListbox::~TZylFolderListbox() = default;

Integer TZylFolderListbox::OpenRows() const {
    const std::string& folder = Directory();
    if (folder.size() < 3) return 0;
    // The root, then one row per folder of the path.
    return 1 + (folder.size() > 3
                    ? static_cast<Integer>(std::count(folder.begin() + 3, folder.end(), '\\')) + 1
                    : 0);
}

void TZylFolderListbox::DrawItem(Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) {
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    vcl::TCanvas* canvas = Canvas();
    canvas->FillRect(rect);
    if (index < 0 || index >= Items()->Count()) return;
    constexpr Integer kStep = 8, kPictureLeft = 2, kTextGap = 4;
    if (!closed_) MakePictures();
    const Integer open = OpenRows();
    const Integer depth = index < open ? index : open;
    vcl::TBitmap* picture = index < open - 1    ? opened_.get()
                            : index == open - 1 ? current_.get()
                                                : closed_.get();
    const Integer left = rect.left + kPictureLeft + depth * kStep;
    const Integer top = rect.top + (rect.bottom - rect.top - picture->Height()) / 2;
    canvas->BrushCopy(vcl::Rect(left, top, left + picture->Width(), top + picture->Height()), picture,
                      vcl::Rect(0, 0, picture->Width(), picture->Height()), zyltfilectrls::kPictureKey);
    zyltfilectrls::RowText(canvas, rect, left + picture->Width() + kTextGap, Items()->Strings(index));
}

}  // namespace pellic
