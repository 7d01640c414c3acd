#include "pellic/zyltfolderlookup.h"

#include "vcl/classregistration.h"
#include "vcl/forms.h"
#include "vcl/sysutils.h"
#include "win32/shell.h"
#include "win32/user.h"

namespace pellic {

namespace zyltfolderlookup {

const vcl::TClassRegistration classesRegistered{TZylFolderLookup::StaticClass()};

constexpr int kNoRoot = -1;
// The special folder of each root, in the order of TZylRoots.
constexpr int kRootFolders[] = {0, kNoRoot, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16, 17, 18, 19, 20, 21};

constexpr std::pair<TZylInfoFlags, win32::UINT> kBrowserFlags[] = {
    {TZylInfoFlags::FileSystemDirsOnly, win32::BIF_RETURNONLYFSDIRS},
    {TZylInfoFlags::DontGoBelowDomain, win32::BIF_DONTGOBELOWDOMAIN},
    {TZylInfoFlags::StatusText, win32::BIF_STATUSTEXT},
    {TZylInfoFlags::FileSystemAncestors, win32::BIF_RETURNFSANCESTORS},
    {TZylInfoFlags::LookupForComputer, win32::BIF_BROWSEFORCOMPUTER},
    {TZylInfoFlags::LookupForPrinter, win32::BIF_BROWSEFORPRINTER},
};

std::string PathOf(win32::PCIDLIST_ABSOLUTE list) {
    char path[win32::MAX_PATH] = {};
    return list && win32::SHGetPathFromIDList(list, path) ? std::string(path) : std::string();
}

}  // namespace zyltfolderlookup

struct FolderLookupCallback {
    static int Call(win32::HWND window, win32::UINT message, win32::LPARAM lParam, win32::LPARAM data) {
        auto* lookup = reinterpret_cast<TZylFolderLookup*>(data);
        switch (message) {
            case win32::BFFM_INITIALIZED: {
                win32::RECT bounds{};
                win32::GetWindowRect(window, &bounds);
                const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
                win32::SetWindowPos(window, nullptr,
                                    win32::GetSystemMetrics(win32::SM_CXSCREEN) / 2 - width / 2,
                                    win32::GetSystemMetrics(win32::SM_CYSCREEN) / 2 - height / 2, 0, 0,
                                    win32::SWP_NOSIZE | win32::SWP_NOZORDER | win32::SWP_NOACTIVATE);
                win32::SetWindowLongPtr(window, win32::GWLP_USERDATA,
                                        reinterpret_cast<win32::LONG_PTR>(lookup));
                if (const std::string text = lookup->Text(); !text.empty() && vcl::DirectoryExists(text))
                    TZylFolderLookup::SetSelectionPath(window, text);
                break;
            }
            case win32::BFFM_SELCHANGED: {
                const std::string path =
                    zyltfolderlookup::PathOf(reinterpret_cast<win32::PCIDLIST_ABSOLUTE>(lParam));
                if (lookup->LookupFlags().Contains(TZylInfoFlags::DisplayPath))
                    TZylFolderLookup::SetStatusText(window, path);
                TZylFolderLookup::EnableOK(window, !path.empty());
                break;
            }
            default:
                break;
        }
        return 0;
    }
};

VCL_DEFINE_CLASS(TZylFolderLookup, TZylCustomLookupEdit)

TZylFolderLookup::TZylFolderLookup(vcl::TComponent* owner) : TZylCustomLookupEdit(owner) {
    LoadGlyph(*EditButton1(), "ZYLFOLDERLOOKUP");
    EditButton2()->SetVisible(false);
}

void TZylFolderLookup::SetStatusText(win32::HWND Wnd, const std::string& Text) {
    win32::SendMessage(Wnd, win32::BFFM_SETSTATUSTEXT, 0, reinterpret_cast<win32::LPARAM>(Text.c_str()));
}

void TZylFolderLookup::SetSelectionPath(win32::HWND Wnd, const std::string& Path) {
    win32::SendMessage(Wnd, win32::BFFM_SETSELECTION, win32::TRUE,
                       reinterpret_cast<win32::LPARAM>(Path.c_str()));
}

void TZylFolderLookup::EnableOK(win32::HWND Wnd, bool Enable) {
    win32::SendMessage(Wnd, win32::BFFM_ENABLEOK, 0, Enable ? 1 : 0);
}

win32::HWND TZylFolderLookup::OwnerWindow() const {
    if (browserOwner_ && win32::IsWindow(browserOwner_)) return browserOwner_;
    if (auto* windowed = dynamic_cast<vcl::TWinControl*>(Owner()); windowed && windowed->HandleAllocated())
        return windowed->Handle();
    if (vcl::Application && vcl::Application->MainForm() && vcl::Application->MainForm()->HandleAllocated())
        return vcl::Application->MainForm()->Handle();
    return nullptr;
}

bool TZylFolderLookup::Execute() {
    if (BeforeLookup) BeforeLookup(this);
    win32::PIDLIST_ABSOLUTE root = nullptr;
    if (const int folder = zyltfolderlookup::kRootFolders[static_cast<size_t>(lookupRoot_)];
        folder != zyltfolderlookup::kNoRoot &&
        win32::SHGetSpecialFolderLocation(nullptr, folder, &root) != win32::S_OK)
        root = nullptr;
    const vcl::ScopeExit freeRoot([root] { win32::ILFree(root); });
    char displayName[win32::MAX_PATH] = {};
    win32::BROWSEINFO info{};
    info.hwndOwner = OwnerWindow();
    info.pidlRoot = root;
    info.pszDisplayName = displayName;
    info.lpszTitle = lookupCaption_.c_str();
    for (const auto& [flag, browserFlag] : zyltfolderlookup::kBrowserFlags)
        if (lookupFlags_.Contains(flag)) info.ulFlags |= browserFlag;
    info.lpfn = &FolderLookupCallback::Call;
    info.lParam = reinterpret_cast<win32::LPARAM>(this);
    const win32::PIDLIST_ABSOLUTE chosen = win32::SHBrowseForFolder(&info);
    const vcl::ScopeExit freeChosen([chosen] { win32::ILFree(chosen); });
    const std::string path = zyltfolderlookup::PathOf(chosen);
    if (!path.empty()) {
        const std::string old = Text();
        SetText(path);
        if (old != path && OnPathChanged) OnPathChanged(this, old, path);
    }
    if (AfterLookup) AfterLookup(this);
    return !path.empty();
}

void TZylFolderLookup::EditButton1Click(vcl::TObject* Sender) {
    TZylCustomLookupEdit::EditButton1Click(Sender);
    Execute();
}

}  // namespace pellic
