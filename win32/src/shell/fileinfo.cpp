// SHGetFileInfo, the built-in icon set and icon extraction.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>

#include "ascii.h"
#include "shell/shell_internal.h"
#include "win32/gdi.h"
#include "win32/imagelist.h"
#include "win32/resources.h"

namespace win32 {

using namespace files;

namespace {

struct TypeName {
    std::string_view extension;
    std::string_view name;
};

constexpr TypeName kTypeNames[] = {
    {"txt", "Text Document"},
    {"log", "Text Document"},
    {"ini", "Configuration Settings"},
    {"inf", "Setup Information"},
    {"exe", "Application"},
    {"com", "MS-DOS Application"},
    {"dll", "Application Extension"},
    {"bat", "MS-DOS Batch File"},
    {"cmd", "Windows NT Command Script"},
    {"bmp", "Bitmap Image"},
    {"ico", "Icon"},
    {"cur", "Cursor"},
    {"png", "PNG Image"},
    {"jpg", "JPEG Image"},
    {"jpeg", "JPEG Image"},
    {"gif", "GIF Image"},
    {"htm", "HTML Document"},
    {"html", "HTML Document"},
    {"zip", "Compressed (zipped) Folder"},
    {"rtf", "Rich Text Format"},
    {"wav", "Wave Sound"},
    {"mid", "MIDI Sequence"},
    {"hlp", "Help File"},
    {"chm", "Compiled HTML Help file"},
    {"ttf", "TrueType Font file"},
    {"fon", "Font file"},
    {"lnk", "Shortcut"},
    {"url", "Internet Shortcut"},
    {"pdf", "PDF Document"},
    {"xml", "XML Document"},
    {"csv", "CSV File"},
    {"sys", "System file"},
    {"tmp", "TMP File"},
};

std::string TypeNameOf(const std::string& name, DWORD attributes, UINT driveType, bool isRoot) {
    if (isRoot) {
        switch (driveType) {
            case DRIVE_REMOVABLE:
                return "Removable Disk";
            case DRIVE_REMOTE:
                return "Network Drive";
            case DRIVE_CDROM:
                return "CD Drive";
            case DRIVE_RAMDISK:
                return "RAM Disk";
            default:
                return "Local Disk";
        }
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "File Folder";
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) return "File";
    const std::string extension = ascii::Lower(name.substr(dot + 1));
    for (const auto& entry : kTypeNames)
        if (entry.extension == extension) return std::string(entry.name);
    std::string upper = name.substr(dot + 1);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return upper + " File";
}

// One filled rectangle of an icon on a 16 by 16 design grid.
struct Shape {
    int x0, y0, x1, y1;
    DWORD rgb;
};

std::vector<Shape> ShapesOf(int index) {
    static const std::vector<Shape> page = {{3, 1, 13, 15, 0x404040}, {4, 2, 12, 14, 0xFFFFFF}};
    static const std::vector<Shape> fixedDrive = {
        {1, 6, 15, 12, 0x909090}, {3, 8, 10, 9, 0x404040}, {12, 9, 14, 10, 0x00C000}};
    std::vector<Shape> shapes;
    switch (index) {
        case SHELL_ICON_DOCUMENT:
            shapes = page;
            shapes.insert(shapes.end(),
                          {{5, 5, 11, 6, 0x808080}, {5, 8, 11, 9, 0x808080}, {5, 11, 11, 12, 0x808080}});
            break;
        case SHELL_ICON_APPLICATION:
            shapes = {{1, 2, 15, 14, 0x404040}, {2, 5, 14, 13, 0xFFFFFF}, {2, 3, 14, 5, 0x000080}};
            break;
        case SHELL_ICON_FOLDER:
            shapes = {{1, 3, 7, 5, 0xC0A030}, {1, 5, 15, 14, 0xF0D060}};
            break;
        case SHELL_ICON_FOLDER_OPEN:
            shapes = {{1, 3, 7, 5, 0xC0A030}, {1, 5, 15, 14, 0xC0A030}, {3, 7, 15, 14, 0xF8E080}};
            break;
        case SHELL_ICON_DRIVE_REMOVABLE:
            shapes = {{2, 5, 14, 13, 0x505050}, {4, 5, 12, 9, 0xE0E0E0}, {6, 10, 10, 13, 0xA0A0A0}};
            break;
        case SHELL_ICON_DRIVE_FIXED:
            shapes = fixedDrive;
            break;
        case SHELL_ICON_DRIVE_REMOTE:
            shapes = fixedDrive;
            shapes.insert(shapes.end(), {{7, 12, 9, 14, 0x404040}, {3, 14, 13, 15, 0x404040}});
            break;
        case SHELL_ICON_DRIVE_CDROM:
            shapes = {{4, 2, 12, 14, 0xC0C0C0}, {2, 4, 14, 12, 0xC0C0C0}, {7, 7, 9, 9, 0xFFFFFF}};
            break;
        case SHELL_ICON_DRIVE_RAMDISK:
            shapes = {{1, 5, 15, 11, 0x008000},
                      {2, 11, 3, 13, 0xC0A000},
                      {5, 11, 6, 13, 0xC0A000},
                      {8, 11, 9, 13, 0xC0A000},
                      {11, 11, 12, 13, 0xC0A000}};
            break;
        default:
            shapes = page;
            break;
    }
    return shapes;
}

// A new icon of the built-in set: colour image plus AND mask, `size` pixels square.
HICON BuiltInIcon(int index, int size) {
    std::vector<DWORD> colour(static_cast<size_t>(size * size), 0);
    const int maskStride = ((size + 15) / 16) * 2;
    std::vector<BYTE> mask(static_cast<size_t>(maskStride * size), 0xFF);
    for (const Shape& shape : ShapesOf(index)) {
        for (int y = shape.y0 * size / 16; y < shape.y1 * size / 16; ++y) {
            for (int x = shape.x0 * size / 16; x < shape.x1 * size / 16; ++x) {
                colour[static_cast<size_t>(y * size + x)] = 0xFF000000u | shape.rgb;
                mask[static_cast<size_t>(y * maskStride + x / 8)] &= static_cast<BYTE>(~(0x80 >> (x % 8)));
            }
        }
    }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = CreateBitmap(size, size, 1, 32, colour.data());
    info.hbmMask = CreateBitmap(size, size, 1, 1, mask.data());
    HICON icon = info.hbmColor && info.hbmMask ? CreateIconIndirect(&info) : nullptr;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return icon;
}

std::vector<char> ReadHead(const std::string& native, size_t limit) {
    std::ifstream in(native, std::ios::binary);
    std::vector<char> bytes(limit);
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

uint32_t Little(const std::vector<char>& bytes, size_t offset, int width) {
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + static_cast<size_t>(i)]);
    return value;
}

DWORD_PTR ExeType(const std::string& native) {
    struct stat info {};
    if (stat(native.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
    const auto head = ReadHead(native, 4096);
    if (head.size() >= 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F')
        return (info.st_mode & S_IXUSR) ? MAKELONG(0x4550, 0) : 0;
    if (head.size() >= 2 && head[0] == '#' && head[1] == '!')
        return (info.st_mode & S_IXUSR) ? MAKELONG(0x4550, 0) : 0;
    if (head.size() < 64 || head[0] != 'M' || head[1] != 'Z') return 0;
    const uint32_t header = Little(head, 0x3C, 4);
    if (header + 24 + 72 > head.size() || Little(head, header, 4) != 0x4550) return 0x5A4D;
    const size_t optional = header + 24;
    const uint32_t subsystem = Little(head, optional + 68, 2);
    if (subsystem == 3) return MAKELONG(0x4550, 0);
    const auto major = static_cast<BYTE>(Little(head, optional + 48, 2));
    const auto minor = static_cast<BYTE>(Little(head, optional + 50, 2));
    return MAKELONG(0x4550, MAKEWORD(minor, major));
}

bool IsIconFile(const std::vector<char>& bytes) {
    return bytes.size() >= 6 && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && bytes[3] == 0;
}

}  // namespace

namespace shell {

int IconIndexFor(const std::string& name, DWORD attributes, UINT driveType, bool isRoot) {
    if (isRoot) {
        switch (driveType) {
            case DRIVE_REMOVABLE:
                return SHELL_ICON_DRIVE_REMOVABLE;
            case DRIVE_REMOTE:
                return SHELL_ICON_DRIVE_REMOTE;
            case DRIVE_CDROM:
                return SHELL_ICON_DRIVE_CDROM;
            case DRIVE_RAMDISK:
                return SHELL_ICON_DRIVE_RAMDISK;
            default:
                return SHELL_ICON_DRIVE_FIXED;
        }
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return SHELL_ICON_FOLDER;
    const std::string type = TypeNameOf(name, attributes, driveType, false);
    if (type == "Application" || type == "MS-DOS Application" || type == "MS-DOS Batch File")
        return SHELL_ICON_APPLICATION;
    if (type == "File" || (type.size() > 5 && type.compare(type.size() - 5, 5, " File") == 0))
        return SHELL_ICON_FILE;
    return SHELL_ICON_DOCUMENT;
}

}  // namespace shell

// The system image lists, large and small: every icon of the built-in set at its index. Made once
// and kept for the life of the process, as the system's own are.
HIMAGELIST shell::SystemImageList(bool small) {
    static std::once_flag made;
    static HIMAGELIST lists[2] = {nullptr, nullptr};
    std::call_once(made, [] {
        for (int kind = 0; kind < 2; ++kind) {
            int size = kind ? 16 : 32;
            lists[kind] = ImageList_Create(size, size, ILC_MASK | ILC_COLOR32, 16, 4);
            for (int index = 0; index <= SHELL_ICON_DRIVE_RAMDISK; ++index) {
                HICON icon = BuiltInIcon(index, size);
                ImageList_AddIcon(lists[kind], icon);
                DestroyIcon(icon);
            }
        }
    });
    return lists[small ? 1 : 0];
}

DWORD_PTR SHGetFileInfo(const char* pszPath, DWORD dwFileAttributes, SHFILEINFO* psfi, UINT cbFileInfo,
                        UINT uFlags) {
    if (!pszPath || (psfi && cbFileInfo < sizeof(SHFILEINFO))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string path;
    if (uFlags & SHGFI_PIDL) {
        if (!shell::IdListPath(reinterpret_cast<PCIDLIST_ABSOLUTE>(pszPath), path)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
    } else {
        path = pszPath;
    }
    Resolved resolved;
    DWORD error = ERROR_SUCCESS;
    if (!Resolve(path, resolved, error)) {
        SetLastError(error);
        return 0;
    }
    const bool useAttributes = uFlags & SHGFI_USEFILEATTRIBUTES;
    if (uFlags & SHGFI_EXETYPE) return useAttributes || !resolved.exists ? 0 : ExeType(resolved.native);
    const bool isRoot = resolved.name.components.empty();
    const std::string root{resolved.name.drive, ':', '\\'};
    const UINT driveType = isRoot ? GetDriveType(root.c_str()) : DRIVE_UNKNOWN;
    std::string name = isRoot ? std::string() : resolved.name.components.back();
    DWORD attributes = dwFileAttributes;
    if (!useAttributes) {
        struct stat info {};
        if (!resolved.exists || stat(resolved.native.c_str(), &info) != 0) {
            SetLastError(resolved.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
            return 0;
        }
        attributes = AttributesOf(info, name);
    } else if (isRoot) {
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    }
    if (!psfi) return 1;
    if (uFlags & SHGFI_DISPLAYNAME) {
        std::string display = name;
        if (isRoot) {
            DriveFacts facts;
            const std::string label =
                DriveFactsAnyMedium(resolved.name.drive, facts) ? facts.label : std::string();
            display = (label.empty() ? TypeNameOf(name, attributes, driveType, true) : label) + " (" +
                      root.substr(0, 2) + ")";
        }
        CopyOut(display.substr(0, MAX_PATH - 1), psfi->szDisplayName, MAX_PATH);
    }
    if (uFlags & SHGFI_TYPENAME) {
        const std::string type = TypeNameOf(name, attributes, driveType, isRoot);
        CopyOut(type.substr(0, sizeof psfi->szTypeName - 1), psfi->szTypeName, sizeof psfi->szTypeName);
    }
    if (uFlags & SHGFI_ATTRIBUTES) {
        DWORD sfgao = SFGAO_CANCOPY | SFGAO_CANLINK | SFGAO_HASPROPSHEET | SFGAO_FILESYSTEM;
        if (!isRoot) sfgao |= SFGAO_CANMOVE | SFGAO_CANRENAME | SFGAO_CANDELETE;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            sfgao |= SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_DROPTARGET;
        if (attributes & FILE_ATTRIBUTE_READONLY) sfgao |= SFGAO_READONLY;
        if (attributes & FILE_ATTRIBUTE_HIDDEN) sfgao |= SFGAO_HIDDEN;
        if (isRoot && (driveType == DRIVE_REMOVABLE || driveType == DRIVE_CDROM)) sfgao |= SFGAO_REMOVABLE;
        psfi->dwAttributes = sfgao;
    }
    if (uFlags & (SHGFI_ICON | SHGFI_SYSICONINDEX)) {
        int index = shell::IconIndexFor(name, attributes, driveType, isRoot);
        if (index == SHELL_ICON_FOLDER && (uFlags & SHGFI_OPENICON)) index = SHELL_ICON_FOLDER_OPEN;
        psfi->iIcon = index;
        if (uFlags & SHGFI_ICON) psfi->hIcon = BuiltInIcon(index, (uFlags & SHGFI_SMALLICON) ? 16 : 32);
        if (uFlags & SHGFI_SYSICONINDEX)
            return reinterpret_cast<DWORD_PTR>(shell::SystemImageList((uFlags & SHGFI_SMALLICON) != 0));
    }
    return 1;
}

namespace {

// The module whose resources a file holds: the program's own file, or lib<name>.so (with any
// version suffix) of a library that registered resources under <name>. Null for other files.
HMODULE ModuleOfFile(const std::string& native) {
    std::error_code error;
    if (std::filesystem::equivalent(native, "/proc/self/exe", error)) return GetModuleHandle(nullptr);
    const std::string name = std::filesystem::path(native).filename().string();
    const size_t so = name.find(".so");
    if (name.rfind("lib", 0) != 0 || so == std::string::npos || so <= 3) return nullptr;
    if (so + 3 != name.size() && name[so + 3] != '.') return nullptr;
    const DWORD saved = GetLastError();
    HMODULE module = GetModuleHandle(name.substr(3, so - 3).c_str());
    SetLastError(saved);
    return module;
}

// The names live only through the call: numeric ones are kept as "#id", which FindResource reads.
BOOL CollectIconName(HMODULE, const char*, char* name, LONG_PTR param) {
    auto* names = reinterpret_cast<std::vector<std::string>*>(param);
    names->push_back(IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<UINT_PTR>(name)) : name);
    return TRUE;
}

// ExtractIcon on a module: its group icons in the order it registered them.
HICON ExtractModuleIcon(HMODULE module, UINT index) {
    std::vector<std::string> found;
    EnumResourceNames(module, RT_GROUP_ICON, CollectIconName, reinterpret_cast<LONG_PTR>(&found));
    if (index == 0xFFFFFFFF) return MakeHandle<HICON>(found.size());
    if (index >= found.size()) return nullptr;
    HRSRC resource = FindResource(module, found[index].c_str(), RT_GROUP_ICON);
    const void* data = resource ? LockResource(LoadResource(module, resource)) : nullptr;
    return data ? ReadIcon(data, SizeofResource(module, resource), 32, 32) : nullptr;
}

}  // namespace

HICON ExtractIcon(HINSTANCE /*hInst*/, const char* pszExeFileName, UINT nIconIndex) {
    Resolved resolved;
    if (!pszExeFileName || !ResolveOrFail(pszExeFileName, resolved) || !resolved.exists) return nullptr;
    constexpr size_t kMaxIconFile = 4 << 20;
    const auto bytes = ReadHead(resolved.native, kMaxIconFile);
    if (!IsIconFile(bytes)) {
        if (HMODULE module = ModuleOfFile(resolved.native)) return ExtractModuleIcon(module, nIconIndex);
        return MakeHandle<HICON>(1);
    }
    bool cursor = false;
    auto images = ReadIconFile(bytes.data(), bytes.size(), &cursor);
    HICON chosen = nullptr;
    if (nIconIndex == 0xFFFFFFFF) chosen = MakeHandle<HICON>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        if (i == nIconIndex)
            chosen = images[i].icon;
        else
            DestroyIcon(images[i].icon);
    }
    return chosen;
}

HICON ExtractAssociatedIcon(HINSTANCE /*hInst*/, char* pszIconPath, WORD* piIcon) {
    Resolved resolved;
    if (!pszIconPath || !ResolveOrFail(pszIconPath, resolved) || !resolved.exists) return nullptr;
    const auto bytes = ReadHead(resolved.native, 4 << 20);
    if (IsIconFile(bytes)) {
        if (HICON icon = ReadIcon(bytes.data(), bytes.size())) {
            if (piIcon) *piIcon = 0;
            return icon;
        }
    }
    struct stat info {};
    stat(resolved.native.c_str(), &info);
    const bool isRoot = resolved.name.components.empty();
    const std::string root{resolved.name.drive, ':', '\\'};
    const int index =
        shell::IconIndexFor(isRoot ? std::string() : resolved.name.components.back(), AttributesOf(info, ""),
                            isRoot ? GetDriveType(root.c_str()) : DRIVE_UNKNOWN, isRoot);
    if (piIcon) *piIcon = static_cast<WORD>(index);
    return BuiltInIcon(index, 32);
}

}  // namespace win32
