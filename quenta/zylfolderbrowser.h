// The folder browser: the shell's folder selection dialog with a chosen root, flags, an initial
// selection, the shortened current path in its status line, and events.
#pragma once

#include <cstdint>
#include <string>

#include "quenta/zyldialogs.h"
#include "vcl/stringlist.h"
#include "win32/shell.h"

namespace quenta {

enum class TZylBrowseRoots : uint8_t {
    csidlDesktop,
    csidlDesktopExpanded,
    csidlPrograms,
    csidlControlPanel,
    csidlPrinters,
    csidlPersonal,
    csidlFavorites,
    csidlStartup,
    csidlRecent,
    csidlRecycleBin,
    csidlStartMenu,
    csidlDesktopDirectory,
    csidlMyComputer,
    csidlNetwork,
    csidlNetworkNeighborhood,
    csidlFonts,
    csidlTemplates,
    csidlSendto
};
VCL_ENUM_NAMES(TZylBrowseRoots, "csidlDesktop", "csidlDesktopExpanded", "csidlPrograms", "csidlControlPanel",
               "csidlPrinters", "csidlPersonal", "csidlFavorites", "csidlStartup", "csidlRecent",
               "csidlRecycleBin", "csidlStartMenu", "csidlDesktopDirectory", "csidlMyComputer",
               "csidlNetwork", "csidlNetworkNeighborhood", "csidlFonts", "csidlTemplates", "csidlSendto")
using enum TZylBrowseRoots;

enum class TZylBrowseInfoFlags : uint8_t {
    bifFileSystemDirsOnly,
    bifDontGoBelowDomain,
    bifStatusText,
    bifFileSystemAncestors,
    bifBrowseForComputer,
    bifBrowseForPrinter
};
VCL_ENUM_NAMES(TZylBrowseInfoFlags, "bifFileSystemDirsOnly", "bifDontGoBelowDomain", "bifStatusText",
               "bifFileSystemAncestors", "bifBrowseForComputer", "bifBrowseForPrinter")
using enum TZylBrowseInfoFlags;
using TZylBrowseInfoFlagSet = vcl::Set<TZylBrowseInfoFlags>;

// The shell folder id of a root; -1 for csidlDesktopExpanded, which has none.
int ZylBrowseRootFolder(TZylBrowseRoots root);
// The shell's browse flags of a set.
win32::UINT ZylBrowseFlags(TZylBrowseInfoFlagSet flags);

class TZylFolderBrowser : public TZylDialogComponent {
    VCL_DECLARE_CLASS(TZylFolderBrowser, TZylDialogComponent)
public:
    explicit TZylFolderBrowser(vcl::TComponent* owner) : TZylDialogComponent(owner) {}

    // The initial selection before Execute, the chosen folder after it.
    const std::string& BrowseReturnPath() const { return browseReturnPath_; }
    void SetBrowseReturnPath(const std::string& value) { browseReturnPath_ = value; }
    const std::string& BrowseCaption() const { return browseCaption_; }
    void SetBrowseCaption(const std::string& value) { browseCaption_ = value; }
    TZylBrowseInfoFlagSet BrowseFlags() const { return browseFlags_; }
    void SetBrowseFlags(TZylBrowseInfoFlagSet value) { browseFlags_ = value; }
    bool BrowsePathLabel() const { return browsePathLabel_; }
    void SetBrowsePathLabel(bool value) { browsePathLabel_ = value; }
    TZylBrowseRoots BrowseRoot() const { return browseRoot_; }
    void SetBrowseRoot(TZylBrowseRoots value) { browseRoot_ = value; }

    // While the dialog is open: its window and the path of the current selection.
    win32::HWND DialogWindow() const { return dialogWindow_; }
    const std::string& CurrentPath() const { return currentPath_; }
    const std::string& DisplayName() const { return displayName_; }
    int ImageIndex() const { return imageIndex_; }

    // True when a folder was chosen. A root the shell cannot name ends it with false.
    bool Execute() override;

    // For use while the dialog is open.
    static void SetStatusText(win32::HWND window, const std::string& text);
    static void EnableOK(win32::HWND window, bool enable);
    static void SetSelectionPath(win32::HWND window, const std::string& path);
    static void SetSelectionPIDL(win32::HWND window, win32::PCIDLIST_ABSOLUTE idList);
    void SetSelectedDirectory(const std::string& path);

    vcl::TNotifyEvent BeforeBrowse;
    vcl::TNotifyEvent AfterBrowse;
    vcl::TNotifyEvent OnPathChanged;

    static void Publish(vcl::Published<TZylFolderBrowser>& p) {
        using C = TZylFolderBrowser;
        p.Property("BrowseReturnPath", &C::BrowseReturnPath, &C::SetBrowseReturnPath, std::string());
        p.Property("BrowseCaption", &C::BrowseCaption, &C::SetBrowseCaption, std::string());
        p.Property("BrowseFlags", &C::BrowseFlags, &C::SetBrowseFlags,
                   TZylBrowseInfoFlagSet{bifFileSystemDirsOnly, bifStatusText});
        p.Property("BrowsePathLabel", &C::BrowsePathLabel, &C::SetBrowsePathLabel, false);
        p.Property("BrowseRoot", &C::BrowseRoot, &C::SetBrowseRoot, csidlDesktopExpanded);
        p.Event("BeforeBrowse", &C::BeforeBrowse);
        p.Event("AfterBrowse", &C::AfterBrowse);
        p.Event("OnPathChanged", &C::OnPathChanged);
    }

private:
    friend int ZylBrowserCallbackProc(win32::HWND window, win32::UINT message, win32::LPARAM param,
                                      win32::LPARAM data);
    void DialogInitialized(win32::HWND window);
    void SelectionChanged(win32::PCIDLIST_ABSOLUTE idList);

    std::string browseReturnPath_;
    std::string browseCaption_;
    TZylBrowseInfoFlagSet browseFlags_{bifFileSystemDirsOnly, bifStatusText};
    bool browsePathLabel_ = false;
    TZylBrowseRoots browseRoot_ = csidlDesktopExpanded;
    win32::HWND dialogWindow_ = nullptr;
    std::string currentPath_;
    std::string displayName_;
    int imageIndex_ = -1;
};

// The callback the folder browser gives the shell; `data` is the component.
int ZylBrowserCallbackProc(win32::HWND window, win32::UINT message, win32::LPARAM param, win32::LPARAM data);

// Clears `list` and adds the pieces of `text` between occurrences of `delimiter`, the last one
// included; returns their count. An empty delimiter gives the text whole.
vcl::Integer ZylBreakApart(const std::string& text, const std::string& delimiter, vcl::TStrings& list);
// `text` shortened below `maximum` characters where it can be: the second part becomes `ellipsis`
// and parts after it go until it fits, keeping at least the first part, the ellipsis and the last.
void ZylCompressString(const std::string& text, const std::string& delimiter, const std::string& ellipsis,
                       std::string& result, vcl::Integer maximum);
// The item list of an existing directory (the caller frees it with ILFree); nullptr otherwise.
win32::PIDLIST_ABSOLUTE ZylGetIDListFromPath(const std::string& path);

}  // namespace quenta
