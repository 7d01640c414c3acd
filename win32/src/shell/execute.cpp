// ShellExecute, tray icons and dropped files.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "ascii.h"
#include "shell/shell_internal.h"
#include "win32/user.h"
#include "win32/version.h"

extern char** environ;

namespace win32 {

using namespace files;

namespace {

struct Drop {
    std::vector<std::string> files;
    POINT point{};
    bool inClientArea = true;
};

struct ShellRunState {
    std::mutex mutex;
    bool recording = false;
    std::vector<testing::ShellExecuteRecord> executed;
    std::vector<testing::TrayIcon> tray;
    std::map<UINT_PTR, Drop> drops;
};

ShellRunState& Runs() {
    static ShellRunState* state = [] {
        auto* created = new ShellRunState;
        testing::AddResetHook([created] {
            std::lock_guard lock(created->mutex);
            created->recording = false;
            created->executed.clear();
            created->tray.clear();
            created->drops.clear();
        });
        return created;
    }();
    return *state;
}

// Splits parameters as the Windows command-line parser does: blanks separate, quotes group, and
// backslashes are literal except before a quote (2n of them give n and a quote toggle, 2n+1 give
// n and a literal quote).
std::vector<std::string> SplitParameters(std::string_view text) {
    std::vector<std::string> arguments;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i >= text.size()) break;
        std::string argument;
        bool quoted = false;
        while (i < text.size() && (quoted || (text[i] != ' ' && text[i] != '\t'))) {
            size_t backslashes = 0;
            while (i < text.size() && text[i] == '\\')
                ++backslashes, ++i;
            if (i < text.size() && text[i] == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2) {
                    argument += '"';
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                argument.append(backslashes, '\\');
                if (i < text.size() && (quoted || (text[i] != ' ' && text[i] != '\t'))) argument += text[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

bool IsProgram(const std::string& native) {
    struct stat info {};
    if (stat(native.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || !(info.st_mode & S_IXUSR)) return false;
    std::ifstream in(native, std::ios::binary);
    char head[4] = {};
    in.read(head, 4);
    return (head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F') ||
           (head[0] == '#' && head[1] == '!');
}

// A bare program name found on PATH.
std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path || name.find_first_of("/\\:") != std::string::npos) return {};
    std::string_view folders = path;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string_view::npos) end = folders.size();
        const std::string candidate = std::string(folders.substr(start, end - start)) + "/" + name;
        if (end > start && IsProgram(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

// `ended`, when given, receives an event that the end of the program signals.
UINT Spawn(const std::vector<std::string>& command, const std::string& directory, bool searchPath,
           HANDLE* ended) {
    std::vector<char*> argv;
    for (const auto& argument : command)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    pid_t pid = 0;
    const int error = searchPath ? posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ)
                                 : posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        if (error == ENOENT) return searchPath ? SE_ERR_NOASSOC : SE_ERR_FNF;
        if (error == EACCES || error == EPERM) return SE_ERR_ACCESSDENIED;
        if (error == ENOEXEC) return ERROR_BAD_FORMAT;
        return SE_ERR_OOM;
    }
    // The child is reaped in the background so that no zombie stays behind.
    HANDLE event = ended ? CreateEvent(nullptr, TRUE, FALSE, nullptr) : nullptr;
    if (ended) *ended = event;
    std::thread([pid, event] {
        waitpid(pid, nullptr, 0);
        if (event) SetEvent(event);
    }).detach();
    return 42;
}

UINT Execute(const char* verbText, const char* file, const char* parameters, const char* directory, int show,
             HANDLE* ended = nullptr) {
    const std::string verb = ascii::Lower(verbText && *verbText ? verbText : "open");
    if (!file || !*file) return SE_ERR_FNF;
    if (verb != "open" && verb != "explore" && verb != "print" && verb != "properties") return SE_ERR_NOASSOC;
    const std::string target = file;
    const std::string lowered = ascii::Lower(target);
    const bool isUrl = target.find("://") != std::string::npos || lowered.rfind("mailto:", 0) == 0;
    std::string workingFolder;
    if (directory && *directory) {
        Resolved folder;
        DWORD error = ERROR_SUCCESS;
        if (!Resolve(directory, folder, error) || !folder.exists || !IsDirectory(folder.native))
            return SE_ERR_PNF;
        workingFolder = folder.native;
    }
    std::vector<std::string> command;
    bool searchPath = true;
    if (isUrl) {
        if (verb == "open") command = {"xdg-open", target};
    } else {
        std::string native;
        Resolved resolved;
        DWORD error = ERROR_SUCCESS;
        const bool relative = target.find_first_of("\\/:") == std::string::npos;
        if (relative && !workingFolder.empty() && Exists(workingFolder + "/" + target))
            native = workingFolder + "/" + target;
        else if (Resolve(target, resolved, error) && resolved.exists)
            native = resolved.native;
        else if (verb == "open" && relative)
            native = FindOnPath(target);
        if (native.empty())
            return error == ERROR_INVALID_NAME || (!resolved.parentExists && !relative) ? SE_ERR_PNF
                                                                                        : SE_ERR_FNF;
        const bool folder = IsDirectory(native);
        if (verb == "explore") {
            if (!folder) return SE_ERR_NOASSOC;
            command = {"xdg-open", native};
        } else if (verb == "open") {
            if (!folder && IsProgram(native)) {
                command = {native};
                for (auto& argument : SplitParameters(parameters ? parameters : ""))
                    command.push_back(argument);
                searchPath = false;
            } else {
                command = {"xdg-open", native};
            }
        }
    }
    {
        auto& state = Runs();
        std::lock_guard lock(state.mutex);
        if (state.recording) {
            testing::ShellExecuteRecord record;
            record.verb = verb;
            record.file = target;
            record.parameters = parameters ? parameters : "";
            record.directory = directory ? directory : "";
            record.showCommand = show;
            record.command = command;
            state.executed.push_back(std::move(record));
            return 42;
        }
    }
    if (command.empty()) return SE_ERR_NOASSOC;
    // Only a program started itself is waited for; xdg-open hands documents on and returns.
    return Spawn(command, workingFolder, searchPath, searchPath ? nullptr : ended);
}

testing::TrayIcon* FindIcon(ShellRunState& state, HWND window, UINT id) {
    for (auto& icon : state.tray)
        if (icon.window == window && icon.id == id) return &icon;
    return nullptr;
}

std::string Bounded(const char* text, size_t size) {
    return std::string(text, strnlen(text, size));
}

// At most size - 1 bytes of the text (the field keeps its NUL), not cutting a UTF-8 sequence.
std::string BoundedText(const char* text, size_t size) {
    std::string bounded = Bounded(text, size);
    if (bounded.size() < size) return bounded;
    size_t end = size - 1;
    while (end > 0 && (static_cast<unsigned char>(bounded[end]) & 0xC0) == 0x80)
        --end;
    bounded.resize(end);
    return bounded;
}

void ApplyIcon(testing::TrayIcon& icon, const NOTIFYICONDATA& data) {
    const bool firstForm = data.cbSize == NOTIFYICONDATA_V1_SIZE;
    if (data.uFlags & NIF_MESSAGE) icon.callbackMessage = data.uCallbackMessage;
    if (data.uFlags & NIF_ICON) icon.icon = data.hIcon;
    if (data.uFlags & NIF_TIP) icon.tip = BoundedText(data.szTip, firstForm ? 64 : sizeof data.szTip);
    if (firstForm) return;
    if (data.uFlags & NIF_STATE)
        icon.state = (icon.state & ~data.dwStateMask) | (data.dwState & data.dwStateMask);
    if (data.uFlags & NIF_INFO) {
        icon.info = Bounded(data.szInfo, sizeof data.szInfo);
        icon.infoTitle = Bounded(data.szInfoTitle, sizeof data.szInfoTitle);
        icon.infoFlags = data.dwInfoFlags;
    }
}

}  // namespace

HINSTANCE ShellExecute(HWND /*hwnd*/, const char* lpOperation, const char* lpFile, const char* lpParameters,
                       const char* lpDirectory, INT nShowCmd) {
    return MakeHandle<HINSTANCE>(Execute(lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd));
}

BOOL ShellExecuteEx(SHELLEXECUTEINFO* pExecInfo) {
    if (!pExecInfo || pExecInfo->cbSize != sizeof(SHELLEXECUTEINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string file = pExecInfo->lpFile ? pExecInfo->lpFile : "";
    if ((pExecInfo->fMask & SEE_MASK_IDLIST) && pExecInfo->lpIDList && file.empty() &&
        !shell::IdListPath(static_cast<PCIDLIST_ABSOLUTE>(pExecInfo->lpIDList), file)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HANDLE ended = nullptr;
    const UINT result =
        Execute(pExecInfo->lpVerb, file.c_str(), pExecInfo->lpParameters, pExecInfo->lpDirectory,
                pExecInfo->nShow, (pExecInfo->fMask & SEE_MASK_NOCLOSEPROCESS) ? &ended : nullptr);
    pExecInfo->hInstApp = MakeHandle<HINSTANCE>(result);
    pExecInfo->hProcess = ended;
    if (result <= 32) {
        SetLastError(result);
        return FALSE;
    }
    return TRUE;
}

// The icon's place in the notification area (see Shell_NotifyIcon); false when it is not shown.
bool TrayIconRect(const ShellRunState& state, HWND window, UINT id, RECT* rect) {
    constexpr int kSlot = 24, kIcon = 16, kMargin = 4;
    std::vector<const testing::TrayIcon*> shown;
    for (const auto& icon : state.tray)
        if (!(icon.state & NIS_HIDDEN)) shown.push_back(&icon);
    for (size_t slot = 0; slot < shown.size(); ++slot) {
        if (shown[slot]->window != window || shown[slot]->id != id) continue;
        const int right = GetSystemMetrics(SM_CXSCREEN) - kMargin;
        const int left = right - static_cast<int>(shown.size() - slot) * kSlot + (kSlot - kIcon) / 2;
        const int top = GetSystemMetrics(SM_CYSCREEN) - kMargin - kIcon;
        *rect = RECT{left, top, left + kIcon, top + kIcon};
        return true;
    }
    return false;
}

BOOL Shell_NotifyIcon(DWORD dwMessage, NOTIFYICONDATA* lpData) {
    if (!lpData || (lpData->cbSize != sizeof(NOTIFYICONDATA) && lpData->cbSize != NOTIFYICONDATA_V1_SIZE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto& state = Runs();
    std::lock_guard lock(state.mutex);
    testing::TrayIcon* icon = FindIcon(state, lpData->hWnd, lpData->uID);
    switch (dwMessage) {
        case NIM_ADD: {
            if (icon) return FALSE;
            testing::TrayIcon added;
            added.window = lpData->hWnd;
            added.id = lpData->uID;
            ApplyIcon(added, *lpData);
            state.tray.push_back(std::move(added));
            return TRUE;
        }
        case NIM_MODIFY:
            if (!icon) return FALSE;
            ApplyIcon(*icon, *lpData);
            return TRUE;
        case NIM_DELETE:
            if (!icon) return FALSE;
            state.tray.erase(state.tray.begin() + (icon - state.tray.data()));
            return TRUE;
        default:
            return icon != nullptr;
    }
}

HRESULT Shell_NotifyIconGetRect(const NOTIFYICONIDENTIFIER* identifier, RECT* iconLocation) {
    if (!identifier || !iconLocation || identifier->cbSize != sizeof(NOTIFYICONIDENTIFIER))
        return E_INVALIDARG;
    auto& state = Runs();
    std::lock_guard lock(state.mutex);
    return TrayIconRect(state, identifier->hWnd, identifier->uID, iconLocation) ? S_OK : E_FAIL;
}

void DragAcceptFiles(HWND hWnd, BOOL fAccept) {
    if (!IsWindow(hWnd)) return;
    const auto style = static_cast<DWORD>(GetWindowLong(hWnd, GWL_EXSTYLE));
    const DWORD changed = fAccept ? (style | WS_EX_ACCEPTFILES) : (style & ~WS_EX_ACCEPTFILES);
    if (changed != style) SetWindowLong(hWnd, GWL_EXSTYLE, static_cast<LONG>(changed));
}

UINT DragQueryFile(HDROP hDrop, UINT iFile, char* lpszFile, UINT cch) {
    auto& state = Runs();
    std::lock_guard lock(state.mutex);
    auto found = state.drops.find(HandleValue(hDrop));
    if (found == state.drops.end()) return 0;
    const auto& files = found->second.files;
    if (iFile == 0xFFFFFFFF) return static_cast<UINT>(files.size());
    if (iFile >= files.size()) return 0;
    const std::string& name = files[iFile];
    if (!lpszFile) return static_cast<UINT>(name.size());
    if (cch == 0) return 0;
    const size_t copied = std::min<size_t>(name.size(), cch - 1);
    std::memcpy(lpszFile, name.data(), copied);
    lpszFile[copied] = '\0';
    return static_cast<UINT>(copied);
}

BOOL DragQueryPoint(HDROP hDrop, POINT* ppt) {
    auto& state = Runs();
    std::lock_guard lock(state.mutex);
    auto found = state.drops.find(HandleValue(hDrop));
    if (found == state.drops.end() || !ppt) return FALSE;
    *ppt = found->second.point;
    return found->second.inClientArea;
}

void DragFinish(HDROP hDrop) {
    auto& state = Runs();
    std::lock_guard lock(state.mutex);
    state.drops.erase(HandleValue(hDrop));
}

namespace testing {

void RecordShellExecute(bool record) {
    auto& state = Runs();
    std::lock_guard lock(state.mutex);
    state.recording = record;
}

std::vector<ShellExecuteRecord> ShellExecuteLog() {
    auto& state = Runs();
    std::lock_guard lock(state.mutex);
    return state.executed;
}

std::vector<TrayIcon> TrayIcons() {
    auto& state = Runs();
    std::lock_guard lock(state.mutex);
    return state.tray;
}

bool ClickTrayIcon(HWND window, UINT id, UINT mouseMessage) {
    UINT message = 0;
    {
        auto& state = Runs();
        std::lock_guard lock(state.mutex);
        const TrayIcon* icon = FindIcon(state, window, id);
        if (!icon || !icon->callbackMessage) return false;
        message = icon->callbackMessage;
    }
    return PostMessage(window, message, id, static_cast<LPARAM>(mouseMessage)) != FALSE;
}

bool ClickTrayIcon(HWND window, UINT id, input::Button button, int clicks) {
    UINT message = 0;
    RECT rect{};
    {
        auto& state = Runs();
        std::lock_guard lock(state.mutex);
        const TrayIcon* icon = FindIcon(state, window, id);
        if (!icon || !icon->callbackMessage || !TrayIconRect(state, window, id, &rect)) return false;
        message = icon->callbackMessage;
    }
    struct ButtonMessages {
        UINT down, up, doubleClick;
    };
    ButtonMessages messages{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};
    if (button == input::Button::Right) messages = {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK};
    if (button == input::Button::Middle) messages = {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK};
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    std::vector<UINT> sequence{WM_MOUSEMOVE, messages.down, messages.up};
    if (clicks >= 2) sequence.insert(sequence.end(), {messages.doubleClick, messages.up});
    for (UINT mouseMessage : sequence)
        if (!PostMessage(window, message, id, static_cast<LPARAM>(mouseMessage))) return false;
    return true;
}

HDROP MakeDrop(const std::vector<std::string>& files, POINT point, bool inClientArea, HWND window) {
    const UINT_PTR value = NextHandleValue();
    {
        auto& state = Runs();
        std::lock_guard lock(state.mutex);
        state.drops[value] = Drop{files, point, inClientArea};
    }
    HDROP drop = MakeHandle<HDROP>(value);
    if (window && IsWindow(window) &&
        (static_cast<DWORD>(GetWindowLong(window, GWL_EXSTYLE)) & WS_EX_ACCEPTFILES))
        PostMessage(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    return drop;
}

}  // namespace testing

}  // namespace win32
