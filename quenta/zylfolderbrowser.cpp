#include "quenta/zylfolderbrowser.h"

#include <array>

#include "vcl/fileutils.h"
#include "vcl/forms.h"
#include "win32/user.h"

namespace quenta {

using namespace win32;
using vcl::Integer;

namespace zylfolderbrowser {

constexpr Integer kStatusPathLength = 35;

// In the order of TZylBrowseRoots.
constexpr std::array<int, 18> kRootFolders = {0x00, -1,   0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,
                                              0x0A, 0x0B, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x09};
constexpr int kMyComputerFolder = 0x11;

// In the order of TZylBrowseInfoFlags.
constexpr std::array<UINT, 6> kBrowseFlags = {BIF_RETURNONLYFSDIRS,  BIF_DONTGOBELOWDOMAIN,
                                              BIF_STATUSTEXT,        BIF_RETURNFSANCESTORS,
                                              BIF_BROWSEFORCOMPUTER, BIF_BROWSEFORPRINTER};

std::string Joined(const vcl::TStrings& parts, const std::string& delimiter) {
    std::string text;
    for (Integer i = 0; i < parts.Count(); ++i) {
        if (i > 0) text += delimiter;
        text += parts.Strings(i);
    }
    return text;
}

// The file-system path of an item list, empty for one that has none.
std::string PathOf(PCIDLIST_ABSOLUTE idList) {
    char path[MAX_PATH] = {};
    if (!idList || !SHGetPathFromIDList(idList, path)) return {};
    return path;
}

}  // namespace zylfolderbrowser

int ZylBrowseRootFolder(TZylBrowseRoots root) {
    return zylfolderbrowser::kRootFolders.at(static_cast<size_t>(root));
}

UINT ZylBrowseFlags(TZylBrowseInfoFlagSet flags) {
    UINT result = 0;
    for (size_t i = 0; i < zylfolderbrowser::kBrowseFlags.size(); ++i)
        if (flags.Contains(static_cast<TZylBrowseInfoFlags>(i))) result |= zylfolderbrowser::kBrowseFlags[i];
    return result;
}

Integer ZylBreakApart(const std::string& text, const std::string& delimiter, vcl::TStrings& list) {
    list.Clear();
    if (delimiter.empty()) {
        list.Add(text);
        return 1;
    }
    const char separator = delimiter.front();
    size_t start = 0;
    for (size_t found = text.find(separator); found != std::string::npos;
         found = text.find(separator, start)) {
        list.Add(text.substr(start, found - start));
        start = found + 1;
    }
    list.Add(text.substr(start));
    return list.Count();
}

void ZylCompressString(const std::string& text, const std::string& delimiter, const std::string& ellipsis,
                       std::string& result, Integer maximum) {
    result = text;
    if (static_cast<Integer>(text.size()) <= maximum) return;
    vcl::TStringList parts;
    if (ZylBreakApart(text, delimiter, parts) <= 2) return;
    parts.SetStrings(1, ellipsis);
    result = zylfolderbrowser::Joined(parts, delimiter);
    while (static_cast<Integer>(result.size()) > maximum && parts.Count() > 3) {
        parts.Delete(2);
        result = zylfolderbrowser::Joined(parts, delimiter);
    }
}

PIDLIST_ABSOLUTE ZylGetIDListFromPath(const std::string& path) {
    if (path.empty() || !vcl::DirectoryExists(path)) return nullptr;
    return ILCreateFromPath(path.c_str());
}

int ZylBrowserCallbackProc(HWND window, UINT message, LPARAM param, LPARAM data) {
    auto* browser = reinterpret_cast<TZylFolderBrowser*>(data);
    if (!browser) return 0;
    try {
        if (message == BFFM_INITIALIZED)
            browser->DialogInitialized(window);
        else if (message == BFFM_SELCHANGED)
            browser->SelectionChanged(reinterpret_cast<PCIDLIST_ABSOLUTE>(param));
    } catch (const std::exception& error) {
        vcl::Application->HandleException(browser, error);
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// TZylFolderBrowser

VCL_DEFINE_CLASS(TZylFolderBrowser, TZylDialogComponent)

bool TZylFolderBrowser::Execute() {
    TZylDialogComponent::Execute();
    if (BeforeBrowse) BeforeBrowse(this);
    const HWND owner = ZylDialogOwnerWindow(Owner());
    PIDLIST_ABSOLUTE root = nullptr;
    bool rooted = true;
    if (const int folder = ZylBrowseRootFolder(browseRoot_); folder >= 0) {
        // The computer is the whole namespace here when the shell has no item of its own for it.
        if (SHGetSpecialFolderLocation(owner, folder, &root) != S_OK &&
            folder != zylfolderbrowser::kMyComputerFolder)
            rooted = false;
    }
    bool chosen = false;
    if (rooted) {
        char displayName[MAX_PATH] = {};
        BROWSEINFO info{};
        info.hwndOwner = owner;
        info.pidlRoot = root;
        info.pszDisplayName = displayName;
        info.lpszTitle = browseCaption_.c_str();
        info.ulFlags = ZylBrowseFlags(browseFlags_);
        info.lpfn = ZylBrowserCallbackProc;
        info.lParam = reinterpret_cast<LPARAM>(this);
        PIDLIST_ABSOLUTE result = SHBrowseForFolder(&info);
        dialogWindow_ = nullptr;
        if (result) {
            chosen = true;
            browseReturnPath_ = zylfolderbrowser::PathOf(result);
            currentPath_ = browseReturnPath_;
            displayName_ = displayName;
            imageIndex_ = info.iImage;
            ILFree(result);
        }
    }
    if (root) ILFree(root);
    if (AfterBrowse) AfterBrowse(this);
    return chosen;
}

void TZylFolderBrowser::DialogInitialized(HWND window) {
    dialogWindow_ = window;
    RECT bounds{};
    GetWindowRect(window, &bounds);
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - (bounds.right - bounds.left) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - (bounds.bottom - bounds.top) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
    SetWindowLongPtr(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (!browseReturnPath_.empty() && vcl::DirectoryExists(browseReturnPath_))
        SetSelectionPath(window, browseReturnPath_);
}

void TZylFolderBrowser::SelectionChanged(PCIDLIST_ABSOLUTE idList) {
    currentPath_ = zylfolderbrowser::PathOf(idList);
    if (browsePathLabel_) {
        std::string shortened;
        ZylCompressString(currentPath_, "\\", "...", shortened, zylfolderbrowser::kStatusPathLength);
        SetStatusText(dialogWindow_, shortened);
    }
    // Computers and printers have no file-system path: OK stays with the shell then.
    if (!browseFlags_.Contains(bifBrowseForComputer) && !browseFlags_.Contains(bifBrowseForPrinter))
        EnableOK(dialogWindow_, !currentPath_.empty());
    if (OnPathChanged) OnPathChanged(this);
}

void TZylFolderBrowser::SetStatusText(HWND window, const std::string& text) {
    SendMessage(window, BFFM_SETSTATUSTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TZylFolderBrowser::EnableOK(HWND window, bool enable) {
    SendMessage(window, BFFM_ENABLEOK, 0, enable ? 1 : 0);
}

void TZylFolderBrowser::SetSelectionPath(HWND window, const std::string& path) {
    SendMessage(window, BFFM_SETSELECTION, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
}

void TZylFolderBrowser::SetSelectionPIDL(HWND window, PCIDLIST_ABSOLUTE idList) {
    SendMessage(window, BFFM_SETSELECTION, FALSE, reinterpret_cast<LPARAM>(idList));
}

void TZylFolderBrowser::SetSelectedDirectory(const std::string& path) {
    if (dialogWindow_) SetSelectionPath(dialogWindow_, path);
}

}  // namespace quenta
