// The file controls: a list of the files of a folder, a list of the folders on the way to a
// folder and below it, a combo box of the drives and one of file filters. They work on the
// platform's drives and its find-first/find-next search, and can be linked: the drive combo box
// moves a directory list, which moves a file list; the filter combo box sets the file list's mask.
#pragma once

#include <string>
#include <vector>

#include "vcl/stdctrls.h"

namespace vcl {

enum class TFileAttr : uint8_t {
    ftReadOnly,
    ftHidden,
    ftSystem,
    ftVolumeID,
    ftDirectory,
    ftArchive,
    ftNormal
};
VCL_ENUM_NAMES(TFileAttr, "ftReadOnly", "ftHidden", "ftSystem", "ftVolumeID", "ftDirectory", "ftArchive",
               "ftNormal")
using enum TFileAttr;
using TFileType = Set<TFileAttr>;

enum class TTextCase : uint8_t { tcLowerCase, tcUpperCase };
VCL_ENUM_NAMES(TTextCase, "tcLowerCase", "tcUpperCase")
using enum TTextCase;

class TDirectoryListBox;
class TFilterComboBox;

// The files of Directory that match Mask (several patterns separated by ";") and FileType, in
// order without regard to case. Folders (ftDirectory) are listed in brackets, "[name]", the
// parent as "[..]". FileName is the selected file's full path.
class TFileListBox : public TCustomListBox {
    VCL_DECLARE_CLASS(TFileListBox, TCustomListBox)
public:
    explicit TFileListBox(TComponent* owner);

    // Ends without `\`; an empty or missing folder lists nothing.
    const std::string& Directory() const { return directory_; }
    void SetDirectory(const std::string& value);
    char Drive() const;
    void SetDrive(char value);
    const std::string& Mask() const { return mask_; }
    void SetMask(const std::string& value);
    TFileType FileType() const { return fileType_; }
    void SetFileType(TFileType value);
    // Empty when nothing is selected; setting a path selects the file, moving to its folder.
    std::string FileName() const;
    void SetFileName(const std::string& value);
    TEdit* FileEdit() const { return fileEdit_; }
    void SetFileEdit(TEdit* value);

    // Reads the folder again (the framework's Update, which here still means painting now).
    void ReadDirectory();

    TNotifyEvent OnChange;

    template <typename T>
    static void PublishFileListProperties(Published<T>& p) {
        PublishAlign(p);
        PublishAnchors(p);
        PublishColor(p, clWindow);
        PublishCtl3D(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        p.Property("FileEdit", &TFileListBox::FileEdit, &TFileListBox::SetFileEdit);
        p.Property("FileType", &TFileListBox::FileType, &TFileListBox::SetFileType, TFileType{ftNormal});
        PublishFont(p);
        p.Property("Mask", &TFileListBox::Mask, &TFileListBox::SetMask, std::string("*.*"));
        p.Property("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect, false);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.template Event<TNotifyEvent>("OnChange", &TFileListBox::OnChange);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }
    static void Publish(Published<TFileListBox>& p) {
        p.Property("Directory", &TFileListBox::Directory, &TFileListBox::SetDirectory).Stored(false);
        p.Property("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight, 16);
        PublishFileListProperties(p);
    }

protected:
    // Fills Items from the folder; descendants may rewrite the names afterwards.
    virtual void ReadFileNames();
    virtual void Change();
    void SelectionChangedByUser() override;
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;

private:
    bool Accepts(win32::DWORD attributes) const;

    std::string directory_;
    std::string mask_ = "*.*";
    TFileType fileType_{ftNormal};
    TEdit* fileEdit_ = nullptr;
};

// The folders from the drive's root down to Directory, then the folders inside it, each indented
// one step deeper. A double click (or Enter) on a row opens that folder.
class TDirectoryListBox : public TCustomListBox {
    VCL_DECLARE_CLASS(TDirectoryListBox, TCustomListBox)
public:
    explicit TDirectoryListBox(TComponent* owner);

    const std::string& Directory() const { return directory_; }
    // A folder that does not exist is refused with EInOutError.
    void SetDirectory(const std::string& value);
    char Drive() const;
    void SetDrive(char value);
    TFileListBox* FileList() const { return fileList_; }
    void SetFileList(TFileListBox* value);
    TLabel* DirLabel() const { return dirLabel_; }
    void SetDirLabel(TLabel* value);
    // The folder a row stands for.
    std::string GetItemPath(Integer index) const;
    // Opens the selected row's folder.
    void OpenCurrent();

    TNotifyEvent OnChange;

    static void Publish(Published<TDirectoryListBox>& p) {
        PublishAlign(p);
        PublishAnchors(p);
        PublishColor(p, clWindow);
        PublishCtl3D(p);
        p.Property("DirLabel", &TDirectoryListBox::DirLabel, &TDirectoryListBox::SetDirLabel);
        PublishDragProperties(p);
        PublishEnabled(p);
        p.Property("FileList", &TDirectoryListBox::FileList, &TDirectoryListBox::SetFileList);
        PublishFont(p);
        p.Property("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight, 16);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Event<TNotifyEvent>("OnChange", &TDirectoryListBox::OnChange);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    void DblClick() override;
    void KeyPress(char32_t& key) override;
    void DrawItem(Integer index, TRect rect, TOwnerDrawState state) override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual void Change();

private:
    void ReadFolders();

    std::string directory_;
    Integer openRows_ = 0;  // rows from the root down to Directory
    TFileListBox* fileList_ = nullptr;
    TLabel* dirLabel_ = nullptr;
};

// The drives as "c: [label]" (the letter in TextCase); choosing one moves DirList to it.
class TDriveComboBox : public TCustomComboBox {
    VCL_DECLARE_CLASS(TDriveComboBox, TCustomComboBox)
public:
    explicit TDriveComboBox(TComponent* owner);

    char Drive() const { return drive_; }
    // A letter that is no drive is ignored.
    void SetDrive(char value);
    TTextCase TextCase() const { return textCase_; }
    void SetTextCase(TTextCase value);
    TDirectoryListBox* DirList() const { return dirList_; }
    void SetDirList(TDirectoryListBox* value);
    // Reads the drives again.
    void BuildList();

    static void Publish(Published<TDriveComboBox>& p) {
        PublishAnchors(p);
        PublishColor(p, clWindow);
        PublishCtl3D(p);
        p.Property("DirList", &TDriveComboBox::DirList, &TDriveComboBox::SetDirList);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        p.Property("TextCase", &TDriveComboBox::TextCase, &TDriveComboBox::SetTextCase, tcLowerCase);
        PublishVisible(p);
        p.Event<TNotifyEvent>("OnChange", &TCustomComboBox::OnChange);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    void Change() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    char drive_ = 0;
    TTextCase textCase_ = tcLowerCase;
    TDirectoryListBox* dirList_ = nullptr;
};

// The filters of Filter ("description|patterns|..."); Mask is the chosen one's patterns and goes
// to FileList.
class TFilterComboBox : public TCustomComboBox {
    VCL_DECLARE_CLASS(TFilterComboBox, TCustomComboBox)
public:
    explicit TFilterComboBox(TComponent* owner);

    const std::string& Filter() const { return filter_; }
    void SetFilter(const std::string& value);
    std::string Mask() const;
    TFileListBox* FileList() const { return fileList_; }
    void SetFileList(TFileListBox* value);

    static void Publish(Published<TFilterComboBox>& p) {
        PublishAnchors(p);
        PublishColor(p, clWindow);
        PublishCtl3D(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        p.Property("FileList", &TFilterComboBox::FileList, &TFilterComboBox::SetFileList);
        p.Property("Filter", &TFilterComboBox::Filter, &TFilterComboBox::SetFilter,
                   std::string("All files (*.*)|*.*"));
        PublishFont(p);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Event<TNotifyEvent>("OnChange", &TCustomComboBox::OnChange);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    void Change() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    void BuildList();

    std::string filter_ = "All files (*.*)|*.*";
    std::vector<std::string> masks_;
    TFileListBox* fileList_ = nullptr;
};

}  // namespace vcl
