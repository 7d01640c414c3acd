// Special folders, item ID lists and the folder browser.
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>

#include "ascii.h"
#include "commdlg/classic_look.h"
#include "shell/shell_internal.h"
#include "win32/imagelist.h"
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
    InvalidateRect(session.window, nullptr, FALSE);
    if (!session.info->lpfn || session.depth > 4) return;
    ++session.depth;
    PIDLIST_ABSOLUTE pidl = shell::MakeIdList(session.selection);
    session.info->lpfn(session.window, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(pidl), session.info->lParam);
    ILFree(pidl);
    --session.depth;
}

// ---- The tree the dialog shows: the root (or the computer with its drives), opened along the
// way to the selection, each open folder's subfolders in name order.

struct TreeRow {
    int depth = 0;
    std::string label;
    int icon = SHELL_ICON_FOLDER;
    bool expandable = false;
    bool expanded = false;
    bool selected = false;
};

constexpr size_t kMaxTreeRows = 2000;

// Visible subfolders by name (hidden ones, as file managers do, left out); at most `limit`.
std::vector<std::string> Subfolders(const std::string& windowsPath, size_t limit) {
    std::vector<std::string> names;
    Resolved resolved;
    DWORD error = ERROR_SUCCESS;
    if (!Resolve(windowsPath, resolved, error) || !resolved.exists) return names;
    std::error_code failure;
    for (std::filesystem::directory_iterator it(resolved.native, failure), end; !failure && it != end;
         it.increment(failure)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.' || !it->is_directory(failure)) continue;
        names.push_back(name);
        if (names.size() >= limit) break;
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return ascii::Lower(a) < ascii::Lower(b); });
    return names;
}

std::string ChildPath(const std::string& parent, const std::string& name) {
    return parent.back() == '\\' ? parent + name : parent + "\\" + name;
}

void AddFolderRow(std::vector<TreeRow>& rows, const std::string& path, int depth,
                  const std::string& selection) {
    if (rows.size() >= kMaxTreeRows) return;
    SHFILEINFO info{};
    SHGetFileInfo(path.c_str(), 0, &info, sizeof info,
                  SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    TreeRow row;
    row.depth = depth;
    row.label = info.szDisplayName[0] ? info.szDisplayName : path;
    row.icon = info.iIcon;
    row.selected = EqualNoCase(path, selection);
    row.expanded = !row.selected && Within(path, selection);
    if (row.selected && row.icon == SHELL_ICON_FOLDER) row.icon = SHELL_ICON_FOLDER_OPEN;
    const std::vector<std::string> children = Subfolders(path, row.expanded ? kMaxTreeRows : 1);
    row.expandable = !children.empty();
    rows.push_back(row);
    if (row.expanded)
        for (const auto& name : children)
            AddFolderRow(rows, ChildPath(path, name), depth + 1, selection);
}

std::vector<TreeRow> BrowseTree(const BrowseSession& session) {
    std::vector<TreeRow> rows;
    if (!session.root.empty()) {
        AddFolderRow(rows, session.root, 0, session.selection);
        return rows;
    }
    TreeRow computer;
    computer.label = "Computer";
    computer.icon = SHELL_ICON_DRIVE_FIXED;
    computer.expandable = computer.expanded = true;
    computer.selected = session.selection.empty();
    rows.push_back(computer);
    const DWORD drives = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter)
        if (drives & (1u << letter))
            AddFolderRow(rows, std::string(1, static_cast<char>('A' + letter)) + ":\\", 1, session.selection);
    return rows;
}

// ---- Painting

constexpr int kBrowseWidth = 300;
constexpr int kBrowseHeight = 330;
constexpr int kRowHeight = 18;
constexpr int kIndent = 19;

struct BrowseLayout {
    RECT title, status, tree, edit, ok, cancel;
};

BrowseLayout LayOut(UINT flags) {
    BrowseLayout layout;
    layout.title = {12, 10, kBrowseWidth - 12, 42};
    const bool status = flags & BIF_STATUSTEXT, edit = flags & BIF_EDITBOX;
    layout.status = status ? RECT{12, 44, kBrowseWidth - 12, 60} : RECT{};
    layout.tree = {12, status ? 64 : 48, kBrowseWidth - 12, edit ? 256 : 284};
    layout.edit = edit ? RECT{60, 262, kBrowseWidth - 12, 283} : RECT{};
    layout.ok = {kBrowseWidth - 168, 296, kBrowseWidth - 93, 319};
    layout.cancel = {kBrowseWidth - 87, 296, kBrowseWidth - 12, 319};
    return layout;
}

void DottedLine(HDC dc, int x0, int y0, int x1, int y1) {
    const COLORREF colour = GetSysColor(COLOR_BTNSHADOW);
    for (int x = x0, y = y0; x <= x1 && y <= y1; (x0 == x1 ? y : x) += 2)
        SetPixel(dc, x, y, colour);
}

void PaintExpander(HDC dc, int cx, int cy, bool expanded) {
    RECT box{cx - 4, cy - 4, cx + 5, cy + 5};
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(dc, &box, GetSysColorBrush(COLOR_BTNSHADOW));
    RECT bar{cx - 2, cy, cx + 3, cy + 1};
    FillRect(dc, &bar, GetSysColorBrush(COLOR_WINDOWTEXT));
    if (!expanded) {
        RECT stem{cx, cy - 2, cx + 1, cy + 3};
        FillRect(dc, &stem, GetSysColorBrush(COLOR_WINDOWTEXT));
    }
}

void PaintTree(HDC dc, const BrowseSession& session, const RECT& box) {
    RECT inside = box;
    DrawEdge(dc, &inside, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    FillRect(dc, &inside, GetSysColorBrush(COLOR_WINDOW));
    const std::vector<TreeRow> rows = BrowseTree(session);
    const int visible = std::max(1, static_cast<int>(inside.bottom - inside.top - 2) / kRowHeight);
    const int count = static_cast<int>(rows.size());
    int selected = 0;
    for (int i = 0; i < count; ++i)
        if (rows[static_cast<size_t>(i)].selected) selected = i;
    const int first = std::clamp(selected - visible / 2, 0, std::max(0, count - visible));
    RECT area = inside;
    if (count > visible) {
        // The scroll bar: arrows, track and a thumb in proportion to what shows.
        area.right -= 16;
        RECT up{area.right, inside.top, inside.right, inside.top + 16};
        RECT down{area.right, inside.bottom - 16, inside.right, inside.bottom};
        RECT track{area.right, up.bottom, inside.right, down.top};
        FillRect(dc, &track, GetSysColorBrush(COLOR_SCROLLBAR));
        DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP);
        DrawFrameControl(dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN);
        const int span = static_cast<int>(track.bottom - track.top);
        const int thumbSize = std::max(8, span * visible / count);
        const int thumbTop = static_cast<int>(track.top) + (span - thumbSize) * first / (count - visible);
        RECT thumb{track.left, thumbTop, track.right, thumbTop + thumbSize};
        FillRect(dc, &thumb, GetSysColorBrush(COLOR_3DFACE));
        DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT);
    }
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    HIMAGELIST icons = shell::SystemImageList(true);
    // Whether a later row continues the branch at each depth: the connector lines run on.
    std::vector<std::vector<bool>> continues(rows.size());
    std::vector<bool> open;
    for (int i = count - 1; i >= 0; --i) {
        const auto depth = static_cast<size_t>(rows[static_cast<size_t>(i)].depth);
        open.resize(std::max(open.size(), depth + 1), false);
        continues[static_cast<size_t>(i)].assign(open.begin(), open.begin() + static_cast<long>(depth + 1));
        open.resize(depth + 1);
        open[depth] = true;
    }
    for (int i = first; i < std::min(count, first + visible); ++i) {
        const TreeRow& row = rows[static_cast<size_t>(i)];
        const int top = static_cast<int>(area.top) + 1 + (i - first) * kRowHeight,
                  middle = top + kRowHeight / 2;
        const int x = static_cast<int>(area.left) + 4 + row.depth * kIndent;
        // Connectors: up to the parent, on to a later sibling, and the ancestors' branches beside.
        const auto& runsOn = continues[static_cast<size_t>(i)];
        for (int level = 1; level <= row.depth; ++level) {
            const int column = static_cast<int>(area.left) + 4 + (level - 1) * kIndent + 4;
            const bool later = runsOn[static_cast<size_t>(level)];
            if (level == row.depth)
                DottedLine(dc, column, top, column, later ? top + kRowHeight - 1 : middle);
            else if (later)
                DottedLine(dc, column, top, column, top + kRowHeight - 1);
        }
        if (row.depth > 0) DottedLine(dc, x - kIndent + 4, middle, x + 2, middle);
        if (row.expandable) PaintExpander(dc, x + 4, middle, row.expanded);
        ImageList_Draw(icons, row.icon, dc, x + 12, top + 1, ILD_TRANSPARENT);
        SIZE extent{};
        GetTextExtentPoint32(dc, row.label.c_str(), static_cast<int>(row.label.size()), &extent);
        RECT text{x + 31, top + 1, x + 35 + extent.cx, top + kRowHeight - 1};
        if (row.selected) FillRect(dc, &text, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(row.selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        RECT label{text.left + 2, text.top, text.right, text.bottom};
        DrawText(dc, row.label.c_str(), static_cast<int>(row.label.size()), &label,
                 DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    RestoreDC(dc, saved);
}

void PaintBrowse(HDC dc, const BrowseSession& session) {
    const commdlg::Painter painter(dc);
    const BrowseLayout layout = LayOut(session.info->ulFlags);
    painter.Background(RECT{0, 0, kBrowseWidth, kBrowseHeight});
    RECT title = layout.title;
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawText(dc, session.record.title.c_str(), static_cast<int>(session.record.title.size()), &title,
             DT_LEFT | DT_TOP | DT_WORDBREAK);
    if ((session.info->ulFlags & BIF_STATUSTEXT) && !session.record.statusTexts.empty()) {
        RECT status = layout.status;
        const std::string& text = session.record.statusTexts.back();
        DrawText(dc, text.c_str(), static_cast<int>(text.size()), &status,
                 DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    PaintTree(dc, session, layout.tree);
    if (session.info->ulFlags & BIF_EDITBOX) {
        painter.Label(12, layout.edit.top + 4, "Folder:");
        const size_t slash = session.selection.find_last_of('\\');
        painter.Field(layout.edit, slash + 1 < session.selection.size() ? session.selection.substr(slash + 1)
                                                                        : session.selection);
    }
    painter.Button(layout.ok, "OK", true, session.record.okEnabled);
    painter.Button(layout.cancel, "Cancel");
}

LRESULT BrowseProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    BrowseSession* session = currentBrowse;
    if (!session || session->window != hwnd) return DefWindowProc(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            PaintBrowse(dc, *session);
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
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
            InvalidateRect(hwnd, nullptr, FALSE);
            return TRUE;
        case BFFM_ENABLEOK:
            session->record.okEnabled = lParam != 0;
            InvalidateRect(hwnd, nullptr, FALSE);
            return TRUE;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
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
    commdlg::RegisterDialogClass(kBrowseClass, BrowseProcedure);
    session.window = commdlg::CreateDialogWindow(kBrowseClass, "Browse for Folder", lpbi->hwndOwner,
                                                 kBrowseWidth, kBrowseHeight);
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
    UpdateWindow(session.window);
    if (script->whileOpen) script->whileOpen(session.window);
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
