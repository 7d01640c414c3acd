// System facts from the kernel's interfaces.
#include "win32/sysinfo.h"
#include "win32/files.h"

#include <pwd.h>
#include <sched.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

extern char** environ;

namespace win32 {

namespace {

DWORD CopyText(const std::string& text, char* buffer, DWORD size) {
    if (!buffer || size <= text.size()) return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return static_cast<DWORD>(text.size());
}

struct ReportedVersion {
    std::mutex mutex;
    OSVERSIONINFO info{};
};

void DefaultVersion(OSVERSIONINFO& info) {
    info = OSVERSIONINFO{};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFO);
    info.dwMajorVersion = 5;
    info.dwMinorVersion = 0;
    info.dwBuildNumber = 2195;
    info.dwPlatformId = VER_PLATFORM_WIN32_NT;
}

struct MemInfoSource {
    std::mutex mutex;
    std::string path;
};

MemInfoSource& MemInfo() {
    static MemInfoSource* source = [] {
        auto* created = new MemInfoSource;
        testing::AddResetHook([created] {
            std::lock_guard lock(created->mutex);
            created->path.clear();
        });
        return created;
    }();
    return *source;
}

std::string MemInfoPath() {
    auto& source = MemInfo();
    std::lock_guard lock(source.mutex);
    return source.path.empty() ? std::string("/proc/meminfo") : source.path;
}

// The kilobytes of a "Name:   1234 kB" line of a /proc file, 0 when the file has no such line.
uint64_t ProcKilobytes(const std::string& path, std::string_view name) {
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string key;
        uint64_t kilobytes = 0;
        if (fields >> key >> kilobytes && key.size() == name.size() + 1 && key.back() == ':' &&
            key.compare(0, name.size(), name) == 0)
            return kilobytes;
    }
    return 0;
}

// The value of a KEY=value line of an os-release file, its quotes and backslash escapes undone.
std::string OsReleaseValue(const std::string& path, std::string_view name) {
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (line.size() <= name.size() || line.compare(0, name.size(), name) != 0 || line[name.size()] != '=')
            continue;
        std::string value = line.substr(name.size() + 1), out;
        const char quote = !value.empty() && (value[0] == '"' || value[0] == '\'') ? value[0] : '\0';
        for (size_t i = quote ? 1 : 0; i < value.size(); ++i) {
            if (value[i] == quote) break;
            if (value[i] == '\\' && quote != '\'' && i + 1 < value.size()) ++i;
            out += value[i];
        }
        return out;
    }
    return {};
}

// The leading decimal number of text from position `at`, which moves past it and one separator.
DWORD ReleaseNumber(const std::string& text, size_t& at) {
    uint64_t number = 0;
    bool any = false;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        number = std::min<uint64_t>(number * 10 + static_cast<uint64_t>(text[at] - '0'), 0xFFFFFFFFu);
        ++at;
        any = true;
    }
    if (any && at < text.size() && text[at] == '.')
        ++at;
    else
        at = text.size();
    return static_cast<DWORD>(number);
}

ReportedVersion& Reported() {
    static ReportedVersion* reported = [] {
        auto* created = new ReportedVersion;
        DefaultVersion(created->info);
        testing::AddResetHook([created] {
            std::lock_guard lock(created->mutex);
            DefaultVersion(created->info);
        });
        return created;
    }();
    return *reported;
}

}  // namespace

void GetSystemInfo(SYSTEM_INFO* lpSystemInfo) {
    if (!lpSystemInfo) return;
    SYSTEM_INFO info{};
#if defined(__x86_64__)
    info.wProcessorArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    info.dwProcessorType = PROCESSOR_AMD_X8664;
#elif defined(__i386__)
    info.wProcessorArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
    info.dwProcessorType = PROCESSOR_INTEL_PENTIUM;
#elif defined(__aarch64__)
    info.wProcessorArchitecture = PROCESSOR_ARCHITECTURE_ARM64;
#elif defined(__arm__)
    info.wProcessorArchitecture = PROCESSOR_ARCHITECTURE_ARM;
#else
    info.wProcessorArchitecture = PROCESSOR_ARCHITECTURE_UNKNOWN;
#endif
    const long page = sysconf(_SC_PAGESIZE);
    info.dwPageSize = page > 0 ? static_cast<DWORD>(page) : 4096;
    info.dwAllocationGranularity = 65536;
    info.lpMinimumApplicationAddress = reinterpret_cast<void*>(UINT_PTR{0x10000});
    info.lpMaximumApplicationAddress =
        reinterpret_cast<void*>(sizeof(void*) == 8 ? UINT_PTR(0x7FFFFFFEFFFFull) : UINT_PTR(0x7FFEFFFF));
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    info.dwNumberOfProcessors = online > 0 ? static_cast<DWORD>(online) : 1;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        for (int cpu = 0; cpu < static_cast<int>(sizeof(DWORD_PTR) * 8); ++cpu)
            if (CPU_ISSET(cpu, &set)) info.dwActiveProcessorMask |= DWORD_PTR{1} << cpu;
    }
    info.wProcessorLevel = 6;
    *lpSystemInfo = info;
}

BOOL GetVersionEx(OSVERSIONINFO* lpVersionInformation) {
    if (!lpVersionInformation || lpVersionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFO)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto& reported = Reported();
    std::lock_guard lock(reported.mutex);
    *lpVersionInformation = reported.info;
    return TRUE;
}

DWORD GetVersion() {
    OSVERSIONINFO info{};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionEx(&info);
    DWORD version = (info.dwMajorVersion & 0xFF) | ((info.dwMinorVersion & 0xFF) << 8) |
                    ((info.dwBuildNumber & 0x7FFF) << 16);
    if (info.dwPlatformId != VER_PLATFORM_WIN32_NT) version |= 0x80000000u;
    return version;
}

void GlobalMemoryStatus(MEMORYSTATUS* lpBuffer) {
    if (!lpBuffer) return;
    std::ifstream meminfo(MemInfoPath());
    std::string line;
    uint64_t total = 0, available = 0, freeMemory = 0, swapTotal = 0, swapFree = 0;
    bool haveAvailable = false;
    while (std::getline(meminfo, line)) {
        std::istringstream fields(line);
        std::string key;
        uint64_t kilobytes = 0;
        if (!(fields >> key >> kilobytes)) continue;
        const uint64_t bytes = kilobytes > UINT64_MAX / 1024 ? UINT64_MAX : kilobytes * 1024;
        if (key == "MemTotal:") total = bytes;
        if (key == "MemAvailable:") available = bytes, haveAvailable = true;
        if (key == "MemFree:") freeMemory = bytes;
        if (key == "SwapTotal:") swapTotal = bytes;
        if (key == "SwapFree:") swapFree = bytes;
    }
    if (!haveAvailable) available = freeMemory;
    // A changing file read line by line may hold figures from different moments.
    available = std::min(available, total);
    swapFree = std::min(swapFree, swapTotal);
    auto clamp = [](uint64_t value) { return static_cast<SIZE_T>(value > SIZE_MAX ? SIZE_MAX : value); };
    auto sum = [](uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; };
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    // In floating point: the percentage of a 64-bit byte count would overflow 64 bits.
    status.dwMemoryLoad =
        total
            ? static_cast<DWORD>(static_cast<double>(total - available) * 100.0 / static_cast<double>(total))
            : 0;
    status.dwTotalPhys = clamp(total);
    status.dwAvailPhys = clamp(available);
    status.dwTotalPageFile = clamp(sum(total, swapTotal));
    status.dwAvailPageFile = clamp(sum(available, swapFree));
    status.dwTotalVirtual = sizeof(void*) == 8 ? SIZE_T(0x7FFFFFFE0000ull) : SIZE_T(0x7FFE0000);
    const uint64_t mapped = ProcKilobytes("/proc/self/status", "VmSize") * 1024;
    status.dwAvailVirtual = mapped < status.dwTotalVirtual ? status.dwTotalVirtual - clamp(mapped) : 0;
    *lpBuffer = status;
}

BOOL GetOperatingSystemInfo(OPERATING_SYSTEM_INFO* info) {
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    utsname names{};
    if (uname(&names) != 0) names = utsname{};
    OPERATING_SYSTEM_INFO result;
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        result.name = OsReleaseValue(path, "PRETTY_NAME");
        if (result.name.empty()) result.name = OsReleaseValue(path, "NAME");
        if (!result.name.empty()) break;
    }
    if (result.name.empty()) result.name = names.sysname;
    result.release = names.release;
    size_t at = 0;
    result.majorVersion = ReleaseNumber(result.release, at);
    result.minorVersion = ReleaseNumber(result.release, at);
    result.buildNumber = ReleaseNumber(result.release, at);
    *info = std::move(result);
    return TRUE;
}

std::string GetProcessorName() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    std::string found[4];
    static constexpr std::string_view kFields[4] = {"model name", "Processor", "cpu model", "Hardware"};
    while (std::getline(cpuinfo, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string key = line.substr(0, colon);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t'))
            key.pop_back();
        for (size_t i = 0; i < 4; ++i) {
            if (key != kFields[i] || !found[i].empty()) continue;
            size_t start = colon + 1;
            while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
                ++start;
            found[i] = line.substr(start);
        }
    }
    for (const std::string& name : found)
        if (!name.empty()) return name;
    return {};
}

BOOL GetUserName(char* lpBuffer, DWORD* pcbBuffer) {
    if (!pcbBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string name;
    passwd entry{}, *found = nullptr;
    char scratch[4096];
    if (getpwuid_r(geteuid(), &entry, scratch, sizeof scratch, &found) == 0 && found && found->pw_name)
        name = found->pw_name;
    else if (const char* user = std::getenv("USER"))
        name = user;
    if (!lpBuffer || *pcbBuffer <= name.size()) {
        *pcbBuffer = static_cast<DWORD>(name.size() + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    CopyText(name, lpBuffer, *pcbBuffer);
    *pcbBuffer = static_cast<DWORD>(name.size() + 1);
    return TRUE;
}

BOOL GetComputerName(char* lpBuffer, DWORD* nSize) {
    if (!nSize) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    std::string name(host, strnlen(host, sizeof host));
    name = name.substr(0, name.find('.')).substr(0, MAX_COMPUTERNAME_LENGTH);
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (!lpBuffer || *nSize <= name.size()) {
        *nSize = static_cast<DWORD>(name.size() + 1);
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    *nSize = CopyText(name, lpBuffer, *nSize);
    return TRUE;
}

namespace {

bool FindVariable(std::string_view name, std::string& value) {
    if (name.empty() || name.find('=') != std::string_view::npos) return false;
    const std::string key(name);
    if (const char* exact = std::getenv(key.c_str())) {
        value = exact;
        return true;
    }
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view text = *entry;
        const size_t equals = text.find('=');
        if (equals != name.size()) continue;
        bool same = true;
        for (size_t i = 0; i < equals && same; ++i) {
            auto a = static_cast<unsigned char>(text[i]), b = static_cast<unsigned char>(name[i]);
            same = (a | (a >= 'A' && a <= 'Z' ? 0x20 : 0)) == (b | (b >= 'A' && b <= 'Z' ? 0x20 : 0));
        }
        if (same) {
            value = std::string(text.substr(equals + 1));
            return true;
        }
    }
    return false;
}

}  // namespace

DWORD GetEnvironmentVariable(const char* lpName, char* lpBuffer, DWORD nSize) {
    std::string value;
    if (!lpName || !FindVariable(lpName, value)) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    return CopyText(value, lpBuffer, nSize);
}

BOOL SetEnvironmentVariable(const char* lpName, const char* lpValue) {
    if (!lpName || !*lpName || std::strchr(lpName, '=')) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int result = lpValue ? setenv(lpName, lpValue, 1) : unsetenv(lpName);
    if (result != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return TRUE;
}

DWORD ExpandEnvironmentStrings(const char* lpSrc, char* lpDst, DWORD nSize) {
    if (!lpSrc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string_view source = lpSrc;
    std::string out;
    size_t i = 0;
    while (i < source.size()) {
        const size_t open = source.find('%', i);
        if (open == std::string_view::npos) break;
        const size_t close = source.find('%', open + 1);
        if (close == std::string_view::npos) break;
        std::string value;
        out.append(source.substr(i, open - i));
        if (close > open + 1 && FindVariable(source.substr(open + 1, close - open - 1), value)) {
            out += value;
            i = close + 1;
        } else {
            // An unknown name stays, and its closing % may open the next name.
            out.append(source.substr(open, close - open));
            i = close;
        }
    }
    out.append(source.substr(std::min(i, source.size())));
    if (lpDst && nSize > out.size()) {
        std::memcpy(lpDst, out.data(), out.size());
        lpDst[out.size()] = '\0';
    }
    return static_cast<DWORD>(out.size() + 1);
}

namespace {

// Quotes an argument so that the Windows command-line parser reads it back unchanged.
std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            quoted.append(backslashes * 2 + 1, '\\');
        else
            quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

}  // namespace

const char* GetCommandLine() {
    static const std::string line = [] {
        std::ifstream in("/proc/self/cmdline", std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string joined;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\0', start);
            if (end == std::string::npos) end = text.size();
            if (!joined.empty()) joined += ' ';
            joined += QuoteArgument(text.substr(start, end - start));
            start = end + 1;
        }
        return joined;
    }();
    return line.c_str();
}

namespace testing {

void SetReportedVersion(DWORD major, DWORD minor, DWORD build, DWORD platformId,
                        const std::string& servicePack) {
    auto& reported = Reported();
    std::lock_guard lock(reported.mutex);
    reported.info.dwMajorVersion = major;
    reported.info.dwMinorVersion = minor;
    reported.info.dwBuildNumber = build;
    reported.info.dwPlatformId = platformId;
    std::memset(reported.info.szCSDVersion, 0, sizeof reported.info.szCSDVersion);
    std::memcpy(reported.info.szCSDVersion, servicePack.data(),
                std::min(servicePack.size(), sizeof reported.info.szCSDVersion - 1));
}

void SetMemInfoPath(const std::string& path) {
    auto& source = MemInfo();
    std::lock_guard lock(source.mutex);
    source.path = path;
}

}  // namespace testing

}  // namespace win32
