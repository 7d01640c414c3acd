// Media arrival and removal. A thread waits on the mount table (the kernel flags /proc/self/mountinfo
// with POLLPRI whenever a mount comes or goes), finds the removable and CD-ROM drives whose folders
// gained or lost a mount, and hands the change to the UI thread, which sends WM_DEVICECHANGE to the
// top-level windows as the system's broadcast does.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "files/files_internal.h"
#include "user/user_internal.h"
#include "win32/devices.h"

namespace win32::user {

namespace devices {

using MountSet = std::set<std::string>;

// Mount points escape blanks, tabs, newlines and backslashes as three octal digits.
std::string UnescapedMountPoint(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto octal = [&](size_t at) { return text[at] >= '0' && text[at] <= '7'; };
        if (text[i] == '\\' && i + 3 < text.size() && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            out += static_cast<char>(((text[i + 1] - '0') << 6) | ((text[i + 2] - '0') << 3) |
                                     (text[i + 3] - '0'));
            i += 3;
            continue;
        }
        out += text[i];
    }
    return out;
}

MountSet ParseMountTable(const std::string& table) {
    MountSet mounts;
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint;
        if (fields >> id >> parent >> device >> root >> mountPoint)
            mounts.insert(UnescapedMountPoint(mountPoint));
    }
    return mounts;
}

// Reads the table through the descriptor that is polled, from its start.
MountSet ReadMountTable(int fd) {
    std::string table;
    if (::lseek(fd, 0, SEEK_SET) < 0) return {};
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        table.append(buffer, static_cast<size_t>(got));
    }
    return ParseMountTable(table);
}

std::string ComparableFolder(const std::string& folder) {
    std::error_code error;
    std::string path = std::filesystem::weakly_canonical(folder, error).string();
    if (error) path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The media drives whose folder holds one of `mountPoints`, as a unit mask.
DWORD DrivesHolding(const std::vector<std::string>& mountPoints) {
    DWORD mask = 0;
    for (const auto& [letter, facts] : files::MediaDrives()) {
        const std::string folder = ComparableFolder(facts.folder);
        for (const std::string& point : mountPoints)
            if (point == folder ||
                (point.size() > folder.size() && point.compare(0, folder.size(), folder) == 0 &&
                 (folder == "/" || point[folder.size()] == '/')))
                mask |= DWORD{1} << (letter - 'A');
    }
    return mask;
}

// Runs on the UI thread: every top-level window hears the change, each with its own record.
void BroadcastVolume(WPARAM event, DWORD unitMask) {
    std::vector<HWND> windows;
    for (Window* w : TopLevelWindows(false))
        if (!w->isDesktop) windows.push_back(w->Handle());
    for (HWND hwnd : windows) {
        DEV_BROADCAST_VOLUME volume{sizeof(DEV_BROADCAST_VOLUME), DBT_DEVTYP_VOLUME, 0, unitMask, DBTF_MEDIA};
        SendMessage(hwnd, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&volume));
    }
}

void Announce(WPARAM event, const std::vector<std::string>& mountPoints) {
    const DWORD mask = DrivesHolding(mountPoints);
    if (mask == 0) return;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        if (mask & (DWORD{1} << (letter - 'A'))) files::SetDriveMedium(letter, event == DBT_DEVICEARRIVAL);
    const DWORD ui = S().uiThread;
    if (ui == 0) return;
    RunOnThread(
        ui,
        [event, mask] {
            BroadcastVolume(event, mask);
            return LRESULT{0};
        },
        false, 0, nullptr);
}

void WatchMounts(int fd, MountSet known) {
    for (;;) {
        pollfd entry{fd, POLLPRI, 0};
        const int ready = ::poll(&entry, 1, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return;
        MountSet now = ReadMountTable(fd);
        std::vector<std::string> arrived, removed;
        for (const std::string& point : now)
            if (!known.count(point)) arrived.push_back(point);
        for (const std::string& point : known)
            if (!now.count(point)) removed.push_back(point);
        known = std::move(now);
        if (!removed.empty()) Announce(DBT_DEVICEREMOVECOMPLETE, removed);
        if (!arrived.empty()) Announce(DBT_DEVICEARRIVAL, arrived);
    }
}

}  // namespace devices

// The table is read here, on the caller's thread, so that a mount made right after the first window
// exists is already a change for the watcher.
void StartMediaWatch() {
    static std::once_flag started;
    std::call_once(started, [] {
        const int fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
        if (fd < 0) return;
        devices::MountSet known = devices::ReadMountTable(fd);
        std::thread(devices::WatchMounts, fd, std::move(known)).detach();
    });
}

}  // namespace win32::user
