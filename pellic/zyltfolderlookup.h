// The folder lookup: a lookup edit whose button opens the shell's folder browser, centred on the
// screen and starting at the folder in the edit when it exists. A chosen folder's path goes into
// the edit; OnPathChanged tells when it differs from the text before.
#pragma once

#include <functional>
#include <string>

#include "pellic/zyltlookupedit.h"

namespace pellic {

enum class TZylInfoFlags : uint8_t {
    FileSystemDirsOnly,
    DontGoBelowDomain,
    StatusText,
    FileSystemAncestors,
    LookupForComputer,
    LookupForPrinter,
    DisplayPath
};
VCL_ENUM_NAMES(TZylInfoFlags, "FileSystemDirsOnly", "DontGoBelowDomain", "StatusText", "FileSystemAncestors",
               "LookupForComputer", "LookupForPrinter", "DisplayPath")
using TZylInfoFlagSet = vcl::Set<TZylInfoFlags>;

enum class TZylRoots : uint8_t {
    csidlDesktop,
    csidlDesktopExpanded,
    csidlPrograms,
    csidlControlPanel,
    csidlPrinters,
    csidlPersonal,
    csidlFavorites,
    csidlStartup,
    csidlRecent,
    csidlSendto,
    csidlRecycleBin,
    csidlStartMenu,
    csidlDesktopDirectory,
    csidlMyComputer,
    csidlNetwork,
    csidlNetworkNeighborhood,
    csidlFonts,
    csidlTemplates
};
VCL_ENUM_NAMES(TZylRoots, "csidlDesktop", "csidlDesktopExpanded", "csidlPrograms", "csidlControlPanel",
               "csidlPrinters", "csidlPersonal", "csidlFavorites", "csidlStartup", "csidlRecent",
               "csidlSendto", "csidlRecycleBin", "csidlStartMenu", "csidlDesktopDirectory", "csidlMyComputer",
               "csidlNetwork", "csidlNetworkNeighborhood", "csidlFonts", "csidlTemplates")

using TZylPathChange =
    std::function<void(vcl::TObject* Sender, const std::string& OldPath, const std::string& NewPath)>;

class TZylFolderLookup : public TZylCustomLookupEdit {
    VCL_DECLARE_CLASS(TZylFolderLookup, TZylCustomLookupEdit)
public:
    explicit TZylFolderLookup(vcl::TComponent* owner);

    const std::string& LookupCaption() const { return lookupCaption_; }
    void SetLookupCaption(const std::string& value) { lookupCaption_ = value; }
    TZylInfoFlagSet LookupFlags() const { return lookupFlags_; }
    void SetLookupFlags(TZylInfoFlagSet value) { lookupFlags_ = value; }
    TZylRoots LookupRoot() const { return lookupRoot_; }
    void SetLookupRoot(TZylRoots value) { lookupRoot_ = value; }
    // The window that owns the browser; the Owner's window or the main form's when not valid.
    win32::HWND BrowserOwner() const { return browserOwner_; }
    void SetBrowserOwner(win32::HWND value) { browserOwner_ = value; }

    // True when a folder was chosen.
    bool Execute();

    // Messages to the open browser.
    static void SetStatusText(win32::HWND Wnd, const std::string& Text);
    static void SetSelectionPath(win32::HWND Wnd, const std::string& Path);
    static void EnableOK(win32::HWND Wnd, bool Enable);

    vcl::TNotifyEvent BeforeLookup;
    vcl::TNotifyEvent AfterLookup;
    TZylPathChange OnPathChanged;

    static void Publish(vcl::Published<TZylFolderLookup>& p) {
        PublishLookupEditProperties(p);
        p.Property("EditButton1", &TZylCustomLookupEdit::EditButton1);
        p.Property("LookupCaption", &TZylFolderLookup::LookupCaption, &TZylFolderLookup::SetLookupCaption);
        p.Property("LookupFlags", &TZylFolderLookup::LookupFlags, &TZylFolderLookup::SetLookupFlags,
                   TZylInfoFlagSet{TZylInfoFlags::FileSystemDirsOnly, TZylInfoFlags::StatusText});
        p.Property("LookupRoot", &TZylFolderLookup::LookupRoot, &TZylFolderLookup::SetLookupRoot,
                   TZylRoots::csidlDesktopExpanded);
        PublishText(p);
        p.Event<vcl::TNotifyEvent>("BeforeLookup", &TZylFolderLookup::BeforeLookup);
        p.Event<vcl::TNotifyEvent>("AfterLookup", &TZylFolderLookup::AfterLookup);
        p.Event<TZylPathChange>("OnPathChanged", &TZylFolderLookup::OnPathChanged);
        PublishLookupEditEvents(p);
    }

protected:
    void EditButton1Click(vcl::TObject* Sender) override;

private:
    friend struct FolderLookupCallback;
    win32::HWND OwnerWindow() const;

    std::string lookupCaption_;
    TZylInfoFlagSet lookupFlags_{TZylInfoFlags::FileSystemDirsOnly, TZylInfoFlags::StatusText};
    TZylRoots lookupRoot_ = TZylRoots::csidlDesktopExpanded;
    win32::HWND browserOwner_ = nullptr;
};

}  // namespace pellic
