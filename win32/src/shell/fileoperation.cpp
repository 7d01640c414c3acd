// SHFileOperation: copying, moving, renaming and deleting lists of names, with confirmations and
// the freedesktop Trash.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "shell/shell_internal.h"

namespace win32 {

using namespace files;

namespace shell {

std::vector<std::string> SplitNameList(const char* list) {
    std::vector<std::string> names;
    if (!list) return names;
    while (*list) {
        names.emplace_back(list);
        list += names.back().size() + 1;
    }
    return names;
}

}  // namespace shell

namespace {

struct ShellState {
    std::mutex mutex;
    std::function<int(FileConfirmation, const std::string&)> confirmation;
    std::string trashFolder;
};

thread_local FileOperationCallbacks threadCallbacks;

ShellState& Operations() {
    static ShellState* state = [] {
        auto* created = new ShellState;
        testing::AddResetHook([created] {
            std::lock_guard lock(created->mutex);
            created->confirmation = nullptr;
            created->trashFolder.clear();
        });
        return created;
    }();
    return *state;
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string Parent(const std::string& native) {
    const size_t slash = native.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : native.substr(0, slash);
}

std::string BaseName(const std::string& native) {
    return native.substr(native.rfind('/') + 1);
}

bool SameEntry(const std::string& a, const std::string& b) {
    struct stat x {
    }, y{};
    return lstat(a.c_str(), &x) == 0 && lstat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev &&
           x.st_ino == y.st_ino;
}

bool IsDir(const std::string& native) {
    struct stat info {};
    return lstat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Inside(const std::string& folder, const std::string& path) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

// Copies a tree into a target that does not exist yet; returns the Win32 error.
DWORD CopyTree(const std::string& from, const std::string& to) {
    struct stat info {};
    if (lstat(from.c_str(), &info) != 0) return ErrorFromErrno(errno);
    if (S_ISLNK(info.st_mode)) {
        std::error_code error;
        std::filesystem::copy_symlink(from, to, error);
        return error ? ErrorFromErrno(error.value()) : ERROR_SUCCESS;
    }
    if (!S_ISDIR(info.st_mode)) return CopyFileContents(from, to, true);
    if (mkdir(to.c_str(), (info.st_mode & 07777) | S_IRWXU) != 0) return ErrorFromErrno(errno);
    DIR* dir = opendir(from.c_str());
    if (!dir) return ErrorFromErrno(errno);
    DWORD result = ERROR_SUCCESS;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        result = CopyTree(Join(from, name), Join(to, name));
        if (result != ERROR_SUCCESS) break;
    }
    closedir(dir);
    return result;
}

DWORD RemoveTree(const std::string& native) {
    std::error_code error;
    std::filesystem::remove_all(native, error);
    return error ? ErrorFromErrno(error.value()) : ERROR_SUCCESS;
}

// Moves without replacing; across file systems by copying and then removing the source.
DWORD MoveEntry(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return ERROR_SUCCESS;
    if (errno == EEXIST) return ERROR_ALREADY_EXISTS;
    if (errno == EINVAL || errno == ENOSYS) {
        if (Exists(to)) return ERROR_ALREADY_EXISTS;
        if (rename(from.c_str(), to.c_str()) == 0) return ERROR_SUCCESS;
    }
    if (errno != EXDEV) return ErrorFromErrno(errno);
    if (DWORD error = CopyTree(from, to); error != ERROR_SUCCESS) {
        RemoveTree(to);
        return error;
    }
    return RemoveTree(from);
}

std::string PercentEncode(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
            std::string_view("-_.~/").find(c) != std::string_view::npos) {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

std::string DefaultTrash() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return std::string(data) + "/Trash";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/share/Trash";
}

// Moves an entry into the Trash with its info file; returns the Win32 error.
DWORD MoveToTrash(const std::string& native) {
    const std::string trash = testing::TrashFolder();
    const std::string filesFolder = trash + "/files", infoFolder = trash + "/info";
    std::error_code error;
    std::filesystem::create_directories(filesFolder, error);
    std::filesystem::create_directories(infoFolder, error);
    if (!IsDir(filesFolder) || !IsDir(infoFolder)) return ERROR_PATH_NOT_FOUND;
    chmod(trash.c_str(), 0700);
    const std::filesystem::path original(BaseName(native));
    const std::string stem = original.stem().string(), extension = original.extension().string();
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char date[64];
    std::snprintf(date, sizeof date, "%04u-%02u-%02uT%02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    const std::string info = "[Trash Info]\nPath=" + PercentEncode(native) + "\nDeletionDate=" + date + "\n";
    // The info file is written whole under a private name and then linked to its final name, which
    // fails when the name is taken: a reader never sees half an info file, and two deletions of
    // the same name cannot both take it.
    static std::atomic<unsigned> scratchNumber{0};
    const std::string scratch = infoFolder + "/.zyl-" + std::to_string(getpid()) + "-" +
                                std::to_string(scratchNumber.fetch_add(1)) + ".part";
    const int fd = open(scratch.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return ErrorFromErrno(errno);
    const bool written =
        write(fd, info.data(), info.size()) == static_cast<ssize_t>(info.size()) && fsync(fd) == 0;
    close(fd);
    if (!written) {
        unlink(scratch.c_str());
        return ERROR_DISK_FULL;
    }
    DWORD result = ERROR_FILE_EXISTS;
    for (int number = 1; number < 100000; ++number) {
        const std::string name =
            number == 1 ? original.string() : stem + "." + std::to_string(number) + extension;
        const std::string infoFile = infoFolder + "/" + name + ".trashinfo";
        if (link(scratch.c_str(), infoFile.c_str()) != 0) {
            if (errno == EEXIST) continue;
            result = ErrorFromErrno(errno);
            break;
        }
        const std::string target = filesFolder + "/" + name;
        if (Exists(target)) {
            unlink(infoFile.c_str());
            continue;
        }
        result = MoveEntry(native, target);
        if (result != ERROR_SUCCESS) unlink(infoFile.c_str());
        break;
    }
    unlink(scratch.c_str());
    return result;
}

std::string PercentDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The Path and DeletionDate of an info file; false when it has no absolute Path.
bool ReadTrashInfo(const std::string& infoFile, TrashItem& item) {
    std::ifstream in(infoFile);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inSection = line == "[Trash Info]";
        } else if (inSection && line.rfind("Path=", 0) == 0) {
            item.originalPath = PercentDecode(line.substr(5));
        } else if (inSection && line.rfind("DeletionDate=", 0) == 0) {
            item.deletionDate = line.substr(13);
        }
    }
    return !item.originalPath.empty() && item.originalPath[0] == '/';
}

struct SourceItem {
    std::string native;
    bool wildcard = false;
};

class Operation {
public:
    explicit Operation(SHFILEOPSTRUCT& op) : op_(op) {}

    int Run();

private:
    int Ask(FileConfirmation kind, const std::string& native) {
        std::function<int(FileConfirmation, const std::string&)> answer = threadCallbacks.confirm;
        if (!answer) {
            std::lock_guard lock(Operations().mutex);
            answer = Operations().confirmation;
        }
        const std::string shown = WindowsPath(native);
        const int reply = answer ? answer(kind, shown.empty() ? native : shown) : IDNO;
        if (reply != IDYES) op_.fAnyOperationsAborted = TRUE;
        if (reply == IDCANCEL) cancelled_ = true;
        return reply;
    }

    // False when the caller's progress handler asked to stop.
    bool Progress(const std::string& native, size_t done, size_t total) {
        if (!threadCallbacks.progress) return true;
        const std::string shown = native.empty() ? std::string() : WindowsPath(native);
        if (threadCallbacks.progress(shown.empty() ? native : shown, done, total)) return true;
        op_.fAnyOperationsAborted = TRUE;
        cancelled_ = true;
        return false;
    }

    int ExpandSources(std::vector<SourceItem>& items);
    int Transfer(const std::string& from, std::string to, bool move);
    int Merge(const std::string& from, const std::string& to, bool move);
    int Delete(const std::vector<SourceItem>& items);
    int Rename(const std::vector<SourceItem>& items);
    int CopyOrMove(const std::vector<SourceItem>& items, bool move);
    bool EnsureFolder(const std::string& native, bool ask);

    SHFILEOPSTRUCT& op_;
    bool cancelled_ = false;
};

int Operation::ExpandSources(std::vector<SourceItem>& items) {
    const auto names = shell::SplitNameList(op_.pFrom);
    if (names.empty()) return ERROR_INVALID_PARAMETER;
    for (const auto& name : names) {
        Resolved resolved;
        DWORD error = ERROR_SUCCESS;
        if (!Resolve(name, resolved, error, true)) return static_cast<int>(error);
        if (resolved.name.components.empty()) return DE_ROOTDIR;
        const std::string& last = resolved.name.components.back();
        if (last.find_first_of("*?") == std::string::npos) {
            if (!resolved.exists) return resolved.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
            items.push_back({resolved.native, false});
            continue;
        }
        if (!resolved.parentExists) return ERROR_PATH_NOT_FOUND;
        const std::string folder = Parent(resolved.native);
        std::vector<std::string> matches;
        if (DIR* dir = opendir(folder.c_str())) {
            while (dirent* entry = readdir(dir)) {
                const std::string entryName = entry->d_name;
                if (entryName == "." || entryName == ".." || !WildcardMatch(last, entryName)) continue;
                if ((op_.fFlags & FOF_FILESONLY) && IsDir(Join(folder, entryName))) continue;
                matches.push_back(entryName);
            }
            closedir(dir);
        }
        std::sort(matches.begin(), matches.end());
        for (const auto& match : matches)
            items.push_back({Join(folder, match), true});
    }
    return 0;
}

bool Operation::EnsureFolder(const std::string& native, bool ask) {
    if (IsDir(native)) return true;
    if (ask && !(op_.fFlags & (FOF_NOCONFIRMMKDIR | FOF_NOCONFIRMATION)) &&
        Ask(FileConfirmation::MakeFolder, native) != IDYES)
        return false;
    std::error_code error;
    std::filesystem::create_directories(native, error);
    return IsDir(native);
}

// Copies or moves one entry to `to`, asking before anything there is replaced.
int Operation::Transfer(const std::string& from, std::string to, bool move) {
    if (cancelled_) return ERROR_CANCELLED;
    const bool fromDir = IsDir(from);
    if (fromDir && Inside(from, to)) return DE_DESTSUBTREE;
    if (Exists(to)) {
        const bool same = SameEntry(from, to);
        if (same && move) return DE_SAMEFILE;
        if (same || (op_.fFlags & FOF_RENAMEONCOLLISION)) {
            const std::string folder = Parent(to), name = BaseName(to);
            for (int number = 1;; ++number) {
                const std::string candidate =
                    Join(folder, number == 1 ? "Copy of " + name
                                             : "Copy (" + std::to_string(number) + ") of " + name);
                if (!Exists(candidate)) {
                    to = candidate;
                    break;
                }
            }
        } else {
            const bool toDir = IsDir(to);
            if (fromDir != toDir) return fromDir ? DE_FLDDESTISFILE : DE_FILEDESTISFLD;
            const int reply = Ask(FileConfirmation::Overwrite, to);
            if (reply == IDCANCEL) return ERROR_CANCELLED;
            if (reply != IDYES) return 0;
            if (toDir) return Merge(from, to, move);
            if (move) {
                if (rename(from.c_str(), to.c_str()) == 0) return 0;
                if (errno != EXDEV) return static_cast<int>(ErrorFromErrno(errno));
                if (DWORD error = CopyFileContents(from, to, false); error != ERROR_SUCCESS)
                    return static_cast<int>(error);
                return unlink(from.c_str()) == 0 ? 0 : static_cast<int>(ErrorFromErrno(errno));
            }
            return static_cast<int>(CopyFileContents(from, to, false));
        }
    }
    return static_cast<int>(move ? MoveEntry(from, to) : CopyTree(from, to));
}

// Puts the contents of folder `from` into the existing folder `to`.
int Operation::Merge(const std::string& from, const std::string& to, bool move) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(from.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        if (int result = Transfer(Join(from, name), Join(to, name), move); result != 0) return result;
    }
    if (move) rmdir(from.c_str());  // stays when something in it was declined
    return 0;
}

int Operation::CopyOrMove(const std::vector<SourceItem>& items, bool move) {
    auto targets = shell::SplitNameList(op_.pTo);
    if (op_.fFlags & FOF_MULTIDESTFILES) {
        if (targets.size() != items.size()) return ERROR_INVALID_PARAMETER;
    } else if (targets.size() > 1) {
        return ERROR_INVALID_PARAMETER;
    }
    if (targets.empty()) targets.emplace_back(".");
    std::vector<std::string> destinations;
    for (size_t i = 0; i < items.size(); ++i) {
        Resolved to;
        DWORD error = ERROR_SUCCESS;
        if (!Resolve(targets[(op_.fFlags & FOF_MULTIDESTFILES) ? i : 0], to, error))
            return static_cast<int>(error);
        const bool single = items.size() == 1 && !items[0].wildcard;
        if (op_.fFlags & FOF_MULTIDESTFILES) {
            if (!EnsureFolder(Parent(to.native), true)) return ERROR_CANCELLED;
            destinations.push_back(to.native);
        } else if (to.exists && IsDir(to.native) && !(single && SameEntry(items[0].native, to.native))) {
            destinations.push_back(Join(to.native, BaseName(items[i].native)));
        } else if (single) {
            if (!EnsureFolder(Parent(to.native), true)) return ERROR_CANCELLED;
            destinations.push_back(to.native);
        } else {
            if (to.exists) return DE_FLDDESTISFILE;
            if (!EnsureFolder(to.native, true)) return ERROR_CANCELLED;
            destinations.push_back(Join(to.native, BaseName(items[i].native)));
        }
    }
    for (size_t i = 0; i < items.size(); ++i) {
        if (!Progress(items[i].native, i, items.size())) return ERROR_CANCELLED;
        if (int result = Transfer(items[i].native, destinations[i], move); result != 0) return result;
    }
    return Progress({}, items.size(), items.size()) ? 0 : ERROR_CANCELLED;
}

int Operation::Delete(const std::vector<SourceItem>& items) {
    for (size_t i = 0; i < items.size(); ++i) {
        const SourceItem& item = items[i];
        if (!Progress(item.native, i, items.size())) return ERROR_CANCELLED;
        if (!(op_.fFlags & FOF_NOCONFIRMATION)) {
            const int reply = Ask(FileConfirmation::Delete, item.native);
            if (reply == IDCANCEL) return ERROR_CANCELLED;
            if (reply != IDYES) continue;
        }
        const DWORD error = (op_.fFlags & FOF_ALLOWUNDO) ? MoveToTrash(item.native) : RemoveTree(item.native);
        if (error != ERROR_SUCCESS) return static_cast<int>(error);
    }
    return Progress({}, items.size(), items.size()) ? 0 : ERROR_CANCELLED;
}

int Operation::Rename(const std::vector<SourceItem>& items) {
    const auto targets = shell::SplitNameList(op_.pTo);
    if (items.size() != 1 || items[0].wildcard || targets.size() != 1) return DE_MANYSRC1DEST;
    std::string target = targets[0];
    // A bare name stays in the source's folder.
    if (target.find_first_of("\\/:") == std::string::npos) {
        const std::string folder = WindowsPath(Parent(items[0].native));
        target = folder + (folder.back() == '\\' ? "" : "\\") + target;
    }
    Resolved to;
    DWORD error = ERROR_SUCCESS;
    if (!Resolve(target, to, error)) return static_cast<int>(error);
    if (!to.parentExists) return ERROR_PATH_NOT_FOUND;
    if (!Progress(items[0].native, 0, 1)) return ERROR_CANCELLED;
    if (to.exists) {
        if (!SameEntry(items[0].native, to.native)) return ERROR_ALREADY_EXISTS;
        WindowsName asked;
        ParseWindowsPath(target, asked, error);
        const std::string renamed = Join(Parent(to.native), asked.components.back());
        if (renamed != items[0].native && rename(items[0].native.c_str(), renamed.c_str()) != 0)
            return static_cast<int>(ErrorFromErrno(errno));
        return 0;
    }
    const DWORD moved = MoveEntry(items[0].native, to.native);
    if (moved != ERROR_SUCCESS) return static_cast<int>(moved);
    return Progress({}, 1, 1) ? 0 : ERROR_CANCELLED;
}

int Operation::Run() {
    op_.fAnyOperationsAborted = FALSE;
    if (op_.wFunc < FO_MOVE || op_.wFunc > FO_RENAME) return ERROR_INVALID_PARAMETER;
    std::vector<SourceItem> items;
    if (int result = ExpandSources(items); result != 0) return result;
    switch (op_.wFunc) {
        case FO_COPY:
            return CopyOrMove(items, false);
        case FO_MOVE:
            return CopyOrMove(items, true);
        case FO_DELETE:
            return Delete(items);
        default:
            return Rename(items);
    }
}

}  // namespace

int SHFileOperation(SHFILEOPSTRUCT* lpFileOp) {
    if (!lpFileOp || !lpFileOp->pFrom) return ERROR_INVALID_PARAMETER;
    Operation operation(*lpFileOp);
    return operation.Run();
}

FileOperationCallbacks SetFileOperationCallbacks(FileOperationCallbacks callbacks) {
    std::swap(threadCallbacks, callbacks);
    return callbacks;
}

std::vector<TrashItem> TrashContents() {
    std::vector<TrashItem> items;
    const std::string trash = testing::TrashFolder();
    DIR* dir = opendir((trash + "/info").c_str());
    if (!dir) return items;
    constexpr std::string_view kSuffix = ".trashinfo";
    while (dirent* entry = readdir(dir)) {
        const std::string file = entry->d_name;
        if (file.size() <= kSuffix.size() ||
            file.compare(file.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
            continue;
        TrashItem item;
        item.name = file.substr(0, file.size() - kSuffix.size());
        if (ReadTrashInfo(trash + "/info/" + file, item) && Exists(trash + "/files/" + item.name))
            items.push_back(std::move(item));
    }
    closedir(dir);
    std::sort(items.begin(), items.end(),
              [](const TrashItem& a, const TrashItem& b) { return a.name < b.name; });
    return items;
}

DWORD RestoreFromTrash(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return ERROR_INVALID_NAME;
    const std::string trash = testing::TrashFolder();
    const std::string infoFile = trash + "/info/" + name + ".trashinfo", entry = trash + "/files/" + name;
    TrashItem item;
    if (!Exists(entry) || !ReadTrashInfo(infoFile, item)) return ERROR_FILE_NOT_FOUND;
    std::error_code error;
    std::filesystem::create_directories(Parent(item.originalPath), error);
    if (!IsDir(Parent(item.originalPath))) return ERROR_PATH_NOT_FOUND;
    if (const DWORD moved = MoveEntry(entry, item.originalPath); moved != ERROR_SUCCESS) return moved;
    unlink(infoFile.c_str());
    return ERROR_SUCCESS;
}

namespace testing {

void SetShellConfirmation(std::function<int(FileConfirmation kind, const std::string& path)> answer) {
    auto& state = Operations();
    std::lock_guard lock(state.mutex);
    state.confirmation = std::move(answer);
}

void SetTrashFolder(const std::string& nativeFolder) {
    auto& state = Operations();
    std::lock_guard lock(state.mutex);
    state.trashFolder = nativeFolder;
}

std::string TrashFolder() {
    {
        auto& state = Operations();
        std::lock_guard lock(state.mutex);
        if (!state.trashFolder.empty()) return state.trashFolder;
    }
    return DefaultTrash();
}

}  // namespace testing

}  // namespace win32
