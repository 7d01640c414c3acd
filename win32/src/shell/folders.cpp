// Special folders, item ID lists and the folder browser.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>

#include "shell/shell_internal.h"
#include "win32/user.h"

namespace win32 {

using namespace files;

namespace {

constexpr BYTE kIdMagic[4] = {'Z', 'Y', 'L', 'P'};

struct FolderState {
    std::mutex mutex;
    std::map<int, std::string> overrides;
    std::optional<testing::BrowseForFolderScript> script;
    std::vector<testing::BrowseForFolderRecord> browsed;
};

FolderState& Folders() {
    static FolderState* state = [] {
        auto* created = new FolderState;
        testing::AddResetHook([created] {
            std::lock_guard lock(created->mutex);
            created->overrides.clear();
            created->script.reset();
            created->browsed.clear();
        });
        return created;
    }();
    return *state;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value == '/' ? std::string(value) : std::string();
}

std::string Home() {
    std::string home = Environment("HOME");
    if (!home.empty()) return home;
    passwd entry{}, *found = nullptr;
    char scratch[4096];
    if (getpwuid_r(getuid(), &entry, scratch, sizeof scratch, &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/tmp";
}

// A folder of user-dirs.dirs (XDG_DESKTOP_DIR="$HOME/Desktop"), else the default below $HOME.
std::string UserDirectory(const std::string& key, const std::string& fallback) {
    const std::string home = Home();
    std::string config = Environment("XDG_CONFIG_HOME");
    if (config.empty()) config = home + "/.config";
    std::ifstream in(config + "/user-dirs.dirs");
    std::string line;
    const std::string prefix = "XDG_" + key + "_DIR=";
    while (std::getline(in, line)) {
        if (line.rfind(prefix, 0) != 0) continue;
        std::string value = line.substr(prefix.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
        if (!value.empty() && value[0] == '/') return value;
    }
    return home + "/" + fallback;
}

}  // namespace

namespace shell {

std::string SpecialFolderNative(int csidl) {
    {
        auto& state = Folders();
        std::lock_guard lock(state.mutex);
        auto found = state.overrides.find(csidl & 0xFF);
        if (found != state.overrides.end()) return found->second;
    }
    const std::string home = Home();
    std::string config = Environment("XDG_CONFIG_HOME"), data = Environment("XDG_DATA_HOME"),
                cache = Environment("XDG_CACHE_HOME");
    if (config.empty()) config = home + "/.config";
    if (data.empty()) data = home + "/.local/share";
    if (cache.empty()) cache = home + "/.cache";
    switch (csidl & 0xFF) {
        case CSIDL_DESKTOP:
        case CSIDL_DESKTOPDIRECTORY:
            return UserDirectory("DESKTOP", "Desktop");
        case CSIDL_PERSONAL:
        case CSIDL_COMMON_DOCUMENTS:
            return UserDirectory("DOCUMENTS", "Documents");
        case CSIDL_MYMUSIC:
            return UserDirectory("MUSIC", "Music");
        case CSIDL_MYVIDEO:
            return UserDirectory("VIDEOS", "Videos");
        case CSIDL_MYPICTURES:
            return UserDirectory("PICTURES", "Pictures");
        case CSIDL_TEMPLATES:
            return UserDirectory("TEMPLATES", "Templates");
        case CSIDL_APPDATA:
            return config;
        case CSIDL_LOCAL_APPDATA:
            return data;
        case CSIDL_COMMON_APPDATA: {
            const char* dirs = std::getenv("XDG_DATA_DIRS");
            std::string first =
                dirs ? std::string(dirs).substr(0, std::string(dirs).find(':')) : std::string();
            return !first.empty() && first[0] == '/' ? first : std::string("/usr/local/share");
        }
        case CSIDL_PROGRAMS:
        case CSIDL_STARTMENU:
            return data + "/applications";
        case CSIDL_COMMON_PROGRAMS:
        case CSIDL_COMMON_STARTMENU:
            return "/usr/share/applications";
        case CSIDL_STARTUP:
            return config + "/autostart";
        case CSIDL_COMMON_STARTUP:
            return "/etc/xdg/autostart";
        case CSIDL_FONTS:
            return data + "/fonts";
        case CSIDL_INTERNET_CACHE:
            return cache;
        case CSIDL_WINDOWS:
            return PlatformWindowsDirectory();
        case CSIDL_SYSTEM:
            return PlatformWindowsDirectory() + "/system32";
        case CSIDL_PROFILE:
            return home;
        case CSIDL_RECENT:
            return data + "/zyl/Recent";
        case CSIDL_SENDTO:
            return data + "/zyl/SendTo";
        case CSIDL_FAVORITES:
            return data + "/zyl/Favorites";
        default:
            return {};
    }
}

PIDLIST_ABSOLUTE MakeIdList(const std::string& windowsPath) {
    const size_t itemSize = 2 + sizeof kIdMagic + windowsPath.size() + 1;
    if (itemSize > 0xFFFF) return nullptr;
    auto* block = static_cast<BYTE*>(CoTaskMemAlloc(itemSize + 2));
    if (!block) return nullptr;
    block[0] = static_cast<BYTE>(itemSize);
    block[1] = static_cast<BYTE>(itemSize >> 8);
    std::memcpy(block + 2, kIdMagic, sizeof kIdMagic);
    std::memcpy(block + 2 + sizeof kIdMagic, windowsPath.data(), windowsPath.size());
    block[itemSize - 1] = 0;
    block[itemSize] = block[itemSize + 1] = 0;
    return reinterpret_cast<PIDLIST_ABSOLUTE>(block);
}

bool IdListPath(PCIDLIST_ABSOLUTE pidl, std::string& windowsPath) {
    if (!pidl) return false;
    const auto* block = reinterpret_cast<const BYTE*>(pidl);
    const size_t size = block[0] | (block[1] << 8);
    if (size < 2 + sizeof kIdMagic + 1 || std::memcmp(block + 2, kIdMagic, sizeof kIdMagic) != 0)
        return false;
    const auto* text = reinterpret_cast<const char*>(block + 2 + sizeof kIdMagic);
    const size_t room = size - 2 - sizeof kIdMagic;
    const size_t length = strnlen(text, room);
    if (length == room) return false;
    windowsPath.assign(text, length);
    return true;
}

}  // namespace shell

void* CoTaskMemAlloc(size_t cb) {
    return std::malloc(cb ? cb : 1);
}

void CoTaskMemFree(void* pv) {
    std::free(pv);
}

void ILFree(PIDLIST_ABSOLUTE pidl) {
    CoTaskMemFree(pidl);
}

PIDLIST_ABSOLUTE ILClone(PCIDLIST_ABSOLUTE pidl) {
    if (!pidl) return nullptr;
    const auto* block = reinterpret_cast<const BYTE*>(pidl);
    size_t size = 0;
    // Item lists are short; a list that does not end within its items is refused.
    for (int items = 0; items < 64; ++items) {
        const size_t cb = block[size] | (block[size + 1] << 8);
        if (cb == 0) {
            auto* copy = static_cast<BYTE*>(CoTaskMemAlloc(size + 2));
            if (copy) std::memcpy(copy, block, size + 2);
            return reinterpret_cast<PIDLIST_ABSOLUTE>(copy);
        }
        if (cb < 2) return nullptr;
        size += cb;
    }
    return nullptr;
}

PIDLIST_ABSOLUTE ILCreateFromPath(const char* pszPath) {
    Resolved resolved;
    if (!pszPath || !ResolveOrFail(pszPath, resolved)) return nullptr;
    if (!resolved.exists) {
        SetLastError(MissingError(resolved));
        return nullptr;
    }
    return shell::MakeIdList(resolved.name.Text());
}

BOOL SHGetPathFromIDList(PCIDLIST_ABSOLUTE pidl, char* pszPath) {
    std::string path;
    if (!pszPath) return FALSE;
    pszPath[0] = '\0';
    if (!shell::IdListPath(pidl, path) || path.size() >= MAX_PATH) return FALSE;
    CopyOut(path, pszPath, MAX_PATH);
    return TRUE;
}

namespace {

// The drive path of a special folder, created on request; S_OK, S_FALSE (missing) or E_FAIL.
HRESULT FolderPath(int csidl, bool create, std::string& windowsPath) {
    if ((csidl & 0xFF00) & ~CSIDL_FLAG_CREATE) return E_INVALIDARG;
    const std::string native = shell::SpecialFolderNative(csidl);
    if (native.empty()) return E_FAIL;
    if (create) {
        std::error_code error;
        std::filesystem::create_directories(native, error);
    }
    windowsPath = WindowsPath(native);
    if (windowsPath.empty() || windowsPath.size() >= MAX_PATH) return E_FAIL;
    return IsDirectory(native) ? S_OK : S_FALSE;
}

}  // namespace

BOOL SHGetSpecialFolderPath(HWND /*hwnd*/, char* pszPath, int csidl, BOOL fCreate) {
    std::string path;
    if (!pszPath || FolderPath(csidl, fCreate, path) != S_OK) return FALSE;
    CopyOut(path, pszPath, MAX_PATH);
    return TRUE;
}

HRESULT SHGetFolderPath(HWND /*hwnd*/, int csidl, HANDLE /*hToken*/, DWORD /*dwFlags*/, char* pszPath) {
    if (!pszPath) return E_INVALIDARG;
    std::string path;
    const HRESULT result = FolderPath(csidl, csidl & CSIDL_FLAG_CREATE, path);
    if (result == S_OK || result == S_FALSE) CopyOut(path, pszPath, MAX_PATH);
    return result;
}

HRESULT SHGetSpecialFolderLocation(HWND /*hwnd*/, int csidl, PIDLIST_ABSOLUTE* ppidl) {
    if (!ppidl) return E_INVALIDARG;
    *ppidl = nullptr;
    std::string path;
    const HRESULT result = FolderPath(csidl, false, path);
    if (result != S_OK) return E_FAIL;
    *ppidl = shell::MakeIdList(path);
    return *ppidl ? S_OK : E_OUTOFMEMORY;
}

// ---------------------------------------------------------------------------------------------
// The folder browser

namespace {

constexpr char kBrowseClass[] = "ZylBrowseForFolder";

struct BrowseSession {
    BROWSEINFO* info = nullptr;
    HWND window = nullptr;
    std::string selection;
    std::string root;  // drive path the selection must stay within; empty for everything
    testing::BrowseForFolderRecord record;
    int depth = 0;
};

thread_local BrowseSession* currentBrowse = nullptr;

bool Within(const std::string& root, const std::string& path) {
    if (root.empty()) return true;
    if (path.size() < root.size() || !EqualNoCase(std::string_view(path).substr(0, root.size()), root))
        return false;
    return path.size() == root.size() || root.back() == '\\' || path[root.size()] == '\\';
}

// The real spelling of an existing folder inside the root, or empty.
std::string FolderOf(const BrowseSession& session, const std::string& path) {
    Resolved resolved;
    DWORD error = ERROR_SUCCESS;
    if (!Resolve(path, resolved, error) || !resolved.exists || !IsDirectory(resolved.native)) return {};
    const std::string text = resolved.name.Text();
    return Within(session.root, text) ? text : std::string();
}

void NotifySelection(BrowseSession& session) {
    if (!session.info->lpfn || session.depth > 4) return;
    ++session.depth;
    PIDLIST_ABSOLUTE pidl = shell::MakeIdList(session.selection);
    session.info->lpfn(session.window, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(pidl), session.info->lParam);
    ILFree(pidl);
    --session.depth;
}

LRESULT BrowseProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    BrowseSession* session = currentBrowse;
    if (!session || session->window != hwnd) return DefWindowProc(hwnd, message, wParam, lParam);
    switch (message) {
        case BFFM_SETSELECTION: {
            std::string path;
            if (wParam) {
                if (lParam) path = reinterpret_cast<const char*>(lParam);
            } else {
                shell::IdListPath(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path);
            }
            const std::string folder = path.empty() ? std::string() : FolderOf(*session, path);
            if (folder.empty()) return FALSE;
            session->selection = folder;
            NotifySelection(*session);
            return TRUE;
        }
        case BFFM_SETSTATUSTEXT:
            session->record.statusTexts.emplace_back(lParam ? reinterpret_cast<const char*>(lParam) : "");
            return TRUE;
        case BFFM_ENABLEOK:
            session->record.okEnabled = lParam != 0;
            return TRUE;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

HWND CreateBrowseWindow(const BROWSEINFO& info) {
    // Registered on every use: resetting the platform forgets window classes. A class already
    // there is the same one.
    WNDCLASS windowClass{};
    windowClass.lpfnWndProc = BrowseProcedure;
    windowClass.lpszClassName = kBrowseClass;
    RegisterClass(&windowClass);
    return CreateWindowEx(0, kBrowseClass, info.lpszTitle ? info.lpszTitle : "", WS_POPUP, 0, 0, 320, 400,
                          info.hwndOwner, nullptr, nullptr, nullptr);
}

}  // namespace

PIDLIST_ABSOLUTE SHBrowseForFolder(BROWSEINFO* lpbi) {
    if (!lpbi) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    BrowseSession session;
    session.info = lpbi;
    session.record.title = lpbi->lpszTitle ? lpbi->lpszTitle : "";
    session.record.flags = lpbi->ulFlags;
    std::optional<testing::BrowseForFolderScript> script;
    {
        auto& state = Folders();
        std::lock_guard lock(state.mutex);
        script.swap(state.script);
    }
    auto finish = [&](const char* outcome, PIDLIST_ABSOLUTE result) {
        session.record.selection = session.selection;
        session.record.outcome = outcome;
        auto& state = Folders();
        std::lock_guard lock(state.mutex);
        state.browsed.push_back(session.record);
        return result;
    };
    if (!script) return finish("no script", nullptr);
    if (lpbi->pidlRoot && !shell::IdListPath(lpbi->pidlRoot, session.root))
        return finish("not a folder", nullptr);
    session.selection = session.root;
    session.window = CreateBrowseWindow(*lpbi);
    if (!session.window) return finish("no window", nullptr);
    BrowseSession* previous = currentBrowse;
    currentBrowse = &session;
    PIDLIST_ABSOLUTE result = nullptr;
    const char* outcome = "chosen";
    if (lpbi->lpfn) lpbi->lpfn(session.window, BFFM_INITIALIZED, 0, lpbi->lParam);
    for (const auto& path : script->selections) {
        const std::string folder = FolderOf(session, path);
        if (folder.empty()) {
            outcome = "not a folder";
            break;
        }
        session.selection = folder;
        NotifySelection(session);
    }
    if (std::string_view(outcome) == "chosen") {
        if (script->cancel)
            outcome = "cancelled";
        else if (!session.record.okEnabled)
            outcome = "ok disabled";
        else if (session.selection.empty())
            outcome = "not a folder";
    }
    currentBrowse = previous;
    DestroyWindow(session.window);
    if (std::string_view(outcome) == "chosen") {
        result = shell::MakeIdList(session.selection);
        const size_t delimiter = session.selection.find_last_of('\\');
        std::string display = delimiter + 1 < session.selection.size()
                                  ? session.selection.substr(delimiter + 1)
                                  : session.selection.substr(0, 2);
        if (lpbi->pszDisplayName) CopyOut(display.substr(0, MAX_PATH - 1), lpbi->pszDisplayName, MAX_PATH);
        lpbi->iImage = SHELL_ICON_FOLDER;
    }
    return finish(outcome, result);
}

namespace testing {

void SetSpecialFolder(int csidl, const std::string& nativeFolder) {
    auto& state = Folders();
    std::lock_guard lock(state.mutex);
    if (nativeFolder.empty())
        state.overrides.erase(csidl & 0xFF);
    else
        state.overrides[csidl & 0xFF] = nativeFolder;
}

void SetBrowseForFolderScript(const BrowseForFolderScript& script) {
    auto& state = Folders();
    std::lock_guard lock(state.mutex);
    state.script = script;
}

std::vector<BrowseForFolderRecord> BrowseForFolderLog() {
    auto& state = Folders();
    std::lock_guard lock(state.mutex);
    return state.browsed;
}

}  // namespace testing

}  // namespace win32
