// Drive types, volume facts and free space.
#include <sys/statvfs.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "files/files_internal.h"

namespace win32 {

using namespace files;

namespace {

// Mount points in /proc/self/mountinfo escape blanks and backslashes as octal.
std::string UnescapeMountPoint(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            const std::string digits = text.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The type name of the mount holding `folder`, as the kernel reports it.
std::string FileSystemName(const std::string& folder) {
    std::error_code error;
    std::string path = std::filesystem::weakly_canonical(folder, error).string();
    if (error) path = folder;
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line, best = "unknown";
    size_t bestLength = 0;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint;
        if (!(fields >> id >> parent >> device >> root >> mountPoint)) continue;
        const size_t separator = line.find(" - ");
        if (separator == std::string::npos) continue;
        std::istringstream tail(line.substr(separator + 3));
        std::string type;
        if (!(tail >> type)) continue;
        mountPoint = UnescapeMountPoint(mountPoint);
        const bool covers =
            mountPoint == "/" || (path.compare(0, mountPoint.size(), mountPoint) == 0 &&
                                  (path.size() == mountPoint.size() || path[mountPoint.size()] == '/'));
        if (covers && mountPoint.size() >= bestLength) {
            best = type;
            bestLength = mountPoint.size();
        }
    }
    return best;
}

bool ReadyDrive(const char* root, DriveFacts& facts) {
    const char drive = RootDrive(root);
    if (!drive) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    DWORD error = ERROR_SUCCESS;
    if (!DriveOf(drive, facts, error)) {
        SetLastError(error);
        return false;
    }
    return true;
}

bool FolderSpace(const std::string& folder, struct statvfs& info) {
    if (statvfs(folder.c_str(), &info) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return false;
    }
    return true;
}

}  // namespace

UINT GetDriveType(const char* lpRootPathName) {
    const char drive = RootDrive(lpRootPathName);
    if (!drive) return DRIVE_NO_ROOT_DIR;
    DriveFacts facts;
    if (!DriveFactsAnyMedium(drive, facts)) return DRIVE_NO_ROOT_DIR;
    return facts.type;
}

BOOL GetVolumeInformation(const char* lpRootPathName, char* lpVolumeNameBuffer, DWORD nVolumeNameSize,
                          DWORD* lpVolumeSerialNumber, DWORD* lpMaximumComponentLength,
                          DWORD* lpFileSystemFlags, char* lpFileSystemNameBuffer, DWORD nFileSystemNameSize) {
    DriveFacts facts;
    if (!ReadyDrive(lpRootPathName, facts)) return FALSE;
    struct statvfs info {};
    if (!FolderSpace(facts.folder, info)) return FALSE;
    const std::string fileSystem = FileSystemName(facts.folder);
    if ((lpVolumeNameBuffer &&
         CopyOut(facts.label, lpVolumeNameBuffer, nVolumeNameSize) > facts.label.size()) ||
        (lpFileSystemNameBuffer &&
         CopyOut(fileSystem, lpFileSystemNameBuffer, nFileSystemNameSize) > fileSystem.size())) {
        SetLastError(ERROR_BAD_LENGTH);
        return FALSE;
    }
    if (lpVolumeSerialNumber) {
        // Without a configured serial the file system id stands in, as stable as a real serial.
        *lpVolumeSerialNumber =
            facts.serial ? facts.serial
                         : static_cast<DWORD>(info.f_fsid ^ (static_cast<uint64_t>(info.f_fsid) >> 32));
    }
    if (lpMaximumComponentLength) *lpMaximumComponentLength = static_cast<DWORD>(info.f_namemax);
    if (lpFileSystemFlags) {
        DWORD flags = FILE_CASE_SENSITIVE_SEARCH | FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK;
        if ((info.f_flag & ST_RDONLY) || facts.type == DRIVE_CDROM) flags |= FILE_READ_ONLY_VOLUME;
        *lpFileSystemFlags = flags;
    }
    return TRUE;
}

BOOL SetVolumeLabel(const char* lpRootPathName, const char* lpVolumeName) {
    DriveFacts facts;
    if (!ReadyDrive(lpRootPathName, facts)) return FALSE;
    if (facts.type == DRIVE_CDROM) {
        SetLastError(ERROR_WRITE_PROTECT);
        return FALSE;
    }
    const std::string label = lpVolumeName ? lpVolumeName : "";
    if (label.size() > 32) {
        SetLastError(ERROR_LABEL_TOO_LONG);
        return FALSE;
    }
    for (char c : label) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || std::string_view("*?/\\|.,;:+=[]<>\"").find(c) != std::string_view::npos) {
            SetLastError(ERROR_INVALID_NAME);
            return FALSE;
        }
    }
    SetDriveLabel(RootDrive(lpRootPathName), label);
    return TRUE;
}

BOOL GetDiskFreeSpace(const char* lpRootPathName, DWORD* lpSectorsPerCluster, DWORD* lpBytesPerSector,
                      DWORD* lpNumberOfFreeClusters, DWORD* lpTotalNumberOfClusters) {
    DriveFacts facts;
    if (!ReadyDrive(lpRootPathName, facts)) return FALSE;
    struct statvfs info {};
    if (!FolderSpace(facts.folder, info)) return FALSE;
    constexpr uint64_t kSector = 512;
    const uint64_t blockSize = info.f_frsize ? info.f_frsize : info.f_bsize;
    const uint64_t sectorsPerCluster = blockSize >= kSector ? blockSize / kSector : 1;
    const uint64_t clusterBytes = sectorsPerCluster * kSector;
    auto clamp = [](uint64_t value) { return static_cast<DWORD>(value > 0xFFFFFFFFu ? 0xFFFFFFFFu : value); };
    if (lpSectorsPerCluster) *lpSectorsPerCluster = static_cast<DWORD>(sectorsPerCluster);
    if (lpBytesPerSector) *lpBytesPerSector = static_cast<DWORD>(kSector);
    if (lpNumberOfFreeClusters) *lpNumberOfFreeClusters = clamp(info.f_bavail * blockSize / clusterBytes);
    if (lpTotalNumberOfClusters) *lpTotalNumberOfClusters = clamp(info.f_blocks * blockSize / clusterBytes);
    return TRUE;
}

BOOL GetDiskFreeSpaceEx(const char* lpDirectoryName, ULARGE_INTEGER* lpFreeBytesAvailableToCaller,
                        ULARGE_INTEGER* lpTotalNumberOfBytes, ULARGE_INTEGER* lpTotalNumberOfFreeBytes) {
    Resolved resolved;
    if (!ResolveOrFail(lpDirectoryName ? lpDirectoryName : ".", resolved)) return FALSE;
    if (!resolved.exists) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    struct statvfs info {};
    if (!FolderSpace(resolved.native, info)) return FALSE;
    const uint64_t blockSize = info.f_frsize ? info.f_frsize : info.f_bsize;
    if (lpFreeBytesAvailableToCaller) lpFreeBytesAvailableToCaller->QuadPart = info.f_bavail * blockSize;
    if (lpTotalNumberOfBytes) lpTotalNumberOfBytes->QuadPart = info.f_blocks * blockSize;
    if (lpTotalNumberOfFreeBytes) lpTotalNumberOfFreeBytes->QuadPart = info.f_bfree * blockSize;
    return TRUE;
}

}  // namespace win32
