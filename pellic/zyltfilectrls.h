// The package's file lists: a drop-down of the files of a folder with their shell icons (which can
// feed an edit with the chosen name), and the framework's drive combo and folder list with the
// package's drive pictures and the shell's folder icons.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "vcl/filectrl.h"
#include "vcl/graphics.h"
#include "vcl/stdctrls.h"

namespace pellic {

// The files of Directory that match Mask (patterns separated by ";") and FileType, sorted; folders
// are listed as "[name]". Directory is always a full path (roots as "C:\"); setting a relative one
// goes from the current Directory.
class TZylFileCombo : public vcl::TCustomComboBox {
    VCL_DECLARE_CLASS(TZylFileCombo, vcl::TCustomComboBox)
public:
    explicit TZylFileCombo(vcl::TComponent* owner);

    const std::string& Directory() const { return directory_; }
    // A folder that cannot be reached raises EInOutError and leaves Directory as it was.
    virtual void SetDirectory(const std::string& value);
    char Drive() const { return directory_.empty() ? '\0' : directory_[0]; }
    void SetDrive(char value);
    const std::string& Mask() const { return mask_; }
    void SetMask(const std::string& value);
    vcl::TFileType FileType() const { return fileType_; }
    void SetFileType(vcl::TFileType value);
    vcl::TCustomEdit* FileEdit() const { return fileEdit_; }
    void SetFileEdit(vcl::TCustomEdit* value);

    // The selected item's text; empty when nothing is selected.
    std::string FileName() const;
    // Selects the item of that name (without regard to case); an unknown name clears the selection.
    void SetFileName(const std::string& value);
    // Directory and FileName joined; empty when nothing is selected.
    std::string FilePath() const;
    // Moves to the path's folder; a wildcard name becomes the Mask, another name is selected (added
    // to the Mask when the Mask hides it). A file that does not exist raises EInvalidOperation.
    void SetFilePath(const std::string& value);

    static void Publish(vcl::Published<TZylFileCombo>& p) {
        PublishAnchors(p);
        PublishColor(p, vcl::clWindow);
        PublishCtl3D(p);
        p.Property("Directory", &TZylFileCombo::Directory, &TZylFileCombo::SetDirectory).Stored(false);
        p.Property("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount, 8);
        PublishDragProperties(p);
        PublishEnabled(p);
        p.Property("FileEdit", &TZylFileCombo::FileEdit, &TZylFileCombo::SetFileEdit);
        p.Property("FileType", &TZylFileCombo::FileType, &TZylFileCombo::SetFileType,
                   vcl::TFileType{vcl::ftNormal});
        PublishFont(p);
        p.Property("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight, 16);
        p.Property("Mask", &TZylFileCombo::Mask, &TZylFileCombo::SetMask, std::string("*.*"));
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Event<vcl::TNotifyEvent>("OnChange", &TCustomComboBox::OnChange);
        p.Event<vcl::TNotifyEvent>("OnClick", &TControl::OnClick);
        PublishDragEvents(p);
        p.Event<vcl::TNotifyEvent>("OnDropDown", &TCustomComboBox::OnDropDown);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    // Lists the folder again (only while the window exists).
    virtual void ReadFileNames();
    void CreateWnd() override;
    void DrawItem(vcl::Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) override;
    // A selection chosen with the mouse or the keyboard reaches Change here, once.
    void Click() override;
    void Select() override;
    // Reports the selection: FileEdit gets the name (or the Mask), then OnChange.
    void Change() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    bool Lists(win32::DWORD attributes) const;
    void FillFileEdit();

    std::string directory_;
    std::string mask_ = "*.*";
    vcl::TFileType fileType_{vcl::ftNormal};
    vcl::TCustomEdit* fileEdit_ = nullptr;
    vcl::Integer reportedIndex_ = -1;  // the selection last reported through Change
};

// The framework's drive combo with a picture of each drive's kind before its name.
class TZylDriveCombo : public vcl::TDriveComboBox {
    VCL_DECLARE_CLASS(TZylDriveCombo, vcl::TDriveComboBox)
public:
    explicit TZylDriveCombo(vcl::TComponent* owner);
    ~TZylDriveCombo() override;

    void WndProc(vcl::TMessage& message) override;

protected:
    void DrawItem(vcl::Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) override;

private:
    vcl::TBitmap* PictureOf(char drive) const;

    // Removable, fixed, network, CD-ROM and RAM disk.
    std::array<std::unique_ptr<vcl::TBitmap>, 5> pictures_;
};

// The framework's folder list with the shell's folder icons: open folders on the way down to
// Directory (and Directory itself), closed ones for the folders inside it.
class TZylFolderListbox : public vcl::TDirectoryListBox {
    VCL_DECLARE_CLASS(TZylFolderListbox, vcl::TDirectoryListBox)
public:
    explicit TZylFolderListbox(vcl::TComponent* owner);
    ~TZylFolderListbox() override;

protected:
    void DrawItem(vcl::Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) override;

private:
    // The rows from the root down to Directory.
    vcl::Integer OpenRows() const;
    // Made on the first paint, when the shell's images are there to copy.
    void MakePictures();

    std::unique_ptr<vcl::TBitmap> opened_;
    std::unique_ptr<vcl::TBitmap> current_;
    std::unique_ptr<vcl::TBitmap> closed_;
};

}  // namespace pellic
