// Start with the session: the freedesktop autostart entry of a program.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "files/files_internal.h"
#include "win32/errors.h"
#include "win32/kernel.h"
#include "win32/shell.h"

namespace win32 {

namespace autostart {

std::string AutostartFolder() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return std::string(config) + "/autostart";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config/autostart";
}

bool UsableName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return true;
}

// A string value of the entry: backslashes written twice (names hold no control characters).
std::string EscapedValue(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += '\\';
        out += c;
    }
    return out;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace autostart

std::string DesktopEntryExecArgument(const std::string& argument) {
    static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    static constexpr std::string_view kEscapedInQuotes = "\"`$\\";
    std::string quoted;
    const bool needsQuotes = argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
    if (needsQuotes) {
        quoted += '"';
        for (char c : argument) {
            if (kEscapedInQuotes.find(c) != std::string_view::npos) quoted += '\\';
            quoted += c;
        }
        quoted += '"';
    } else {
        quoted = argument;
    }
    std::string out;
    for (char c : autostart::EscapedValue(quoted)) {
        if (c == '%') out += '%';
        out += c;
    }
    return out;
}

std::string AutostartEntryPath(const std::string& name) {
    if (!autostart::UsableName(name)) return {};
    return autostart::AutostartFolder() + "/" + name + ".desktop";
}

BOOL SetAutostartEntry(const char* name, const char* program) {
    using namespace autostart;
    if (!name || !UsableName(name)) return Fail(ERROR_INVALID_NAME);
    if (!program || !*program) return Fail(ERROR_INVALID_PARAMETER);
    const std::string native = NativePath(program);
    if (native.empty()) return FALSE;
    for (char c : native)
        if (static_cast<unsigned char>(c) < 0x20) return Fail(ERROR_INVALID_NAME);
    const std::string path = AutostartEntryPath(name);
    std::error_code error;
    std::filesystem::create_directories(AutostartFolder(), error);
    if (error) return Fail(files::ErrorFromErrno(error.value()));
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << "[Desktop Entry]\n"
            << "Type=Application\n"
            << "Name=" << EscapedValue(name) << "\n"
            << "Exec=" << DesktopEntryExecArgument(native) << "\n"
            << "Terminal=false\n";
        out.flush();
        if (!out) {
            const int cause = errno;
            std::filesystem::remove(temporary, error);
            return Fail(cause ? files::ErrorFromErrno(cause) : ERROR_WRITE_FAULT);
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int cause = errno;
        std::filesystem::remove(temporary, error);
        return Fail(files::ErrorFromErrno(cause));
    }
    return TRUE;
}

BOOL RemoveAutostartEntry(const char* name) {
    using namespace autostart;
    if (!name || !UsableName(name)) return Fail(ERROR_INVALID_NAME);
    const std::string path = AutostartEntryPath(name);
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return Fail(files::ErrorFromErrno(errno));
    return TRUE;
}

}  // namespace win32
