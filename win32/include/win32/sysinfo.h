// System facts: processors, memory, the reported Windows version, user and computer names, the
// environment and the command line.
#pragma once

#include <cstddef>
#include <string>

#include "win32/kernel.h"
#include "win32/types.h"

namespace win32 {

using SIZE_T = size_t;

inline constexpr WORD PROCESSOR_ARCHITECTURE_INTEL = 0;
inline constexpr WORD PROCESSOR_ARCHITECTURE_ARM = 5;
inline constexpr WORD PROCESSOR_ARCHITECTURE_IA64 = 6;
inline constexpr WORD PROCESSOR_ARCHITECTURE_AMD64 = 9;
inline constexpr WORD PROCESSOR_ARCHITECTURE_ARM64 = 12;
inline constexpr WORD PROCESSOR_ARCHITECTURE_UNKNOWN = 0xFFFF;
inline constexpr DWORD PROCESSOR_INTEL_PENTIUM = 586;
inline constexpr DWORD PROCESSOR_AMD_X8664 = 8664;

struct SYSTEM_INFO {
    WORD wProcessorArchitecture;
    WORD wReserved;
    DWORD dwPageSize;
    void* lpMinimumApplicationAddress;
    void* lpMaximumApplicationAddress;
    DWORD_PTR dwActiveProcessorMask;
    DWORD dwNumberOfProcessors;
    DWORD dwProcessorType;
    DWORD dwAllocationGranularity;
    WORD wProcessorLevel;
    WORD wProcessorRevision;
};

// Processors online and the affinity mask (first 64) from the scheduler, the page size from sysconf,
// the architecture this library was built for.
void GetSystemInfo(SYSTEM_INFO* lpSystemInfo);

inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFO {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};

// Reports Windows NT 5.0 build 2195 unless a test chose otherwise. dwOSVersionInfoSize must be
// sizeof(OSVERSIONINFO) (ERROR_INSUFFICIENT_BUFFER otherwise).
BOOL GetVersionEx(OSVERSIONINFO* lpVersionInformation);
// Major version in the low byte, minor in the next, the build in the high word (bit 31 set for
// the Windows 9x platform).
DWORD GetVersion();

struct MEMORYSTATUS {
    DWORD dwLength;
    DWORD dwMemoryLoad;
    SIZE_T dwTotalPhys;
    SIZE_T dwAvailPhys;
    SIZE_T dwTotalPageFile;
    SIZE_T dwAvailPageFile;
    SIZE_T dwTotalVirtual;
    SIZE_T dwAvailVirtual;
};

// From /proc/meminfo: MemTotal, MemAvailable, and swap added to both for the page file. The virtual
// figures are those of the address space (the user half on 64-bit builds), of which the process's
// mapped size (VmSize of /proc/self/status) is in use. Every figure is in bytes and 64 bits wide.
void GlobalMemoryStatus(MEMORYSTATUS* lpBuffer);

// The running system as Linux describes it: the distribution's name (PRETTY_NAME of /etc/os-release,
// else of /usr/lib/os-release, else NAME, else the kernel's name from uname) and the kernel release,
// whose leading numbers are the version and the build: "6.1.55-amd64" is 6.1 build 55.
struct OPERATING_SYSTEM_INFO {
    std::string name;
    std::string release;
    DWORD majorVersion = 0;
    DWORD minorVersion = 0;
    DWORD buildNumber = 0;
};
BOOL GetOperatingSystemInfo(OPERATING_SYSTEM_INFO* info);
// The processor's model as /proc/cpuinfo names it ("model name", else "Processor", "cpu model" or
// "Hardware", the fields other architectures use); empty when it names none.
std::string GetProcessorName();

inline constexpr DWORD UNLEN = 256;
inline constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;

// *pcbBuffer counts the NUL both ways; ERROR_INSUFFICIENT_BUFFER with the size needed.
BOOL GetUserName(char* lpBuffer, DWORD* pcbBuffer);
// The host name's first label in upper case, cut to 15 characters as NetBIOS names are.
// ERROR_BUFFER_OVERFLOW with the size needed (NUL included); on success the length without it.
BOOL GetComputerName(char* lpBuffer, DWORD* nSize);

// Names are looked up exactly first, then without regard to ASCII case as Windows does.
// ERROR_ENVVAR_NOT_FOUND for a missing variable.
DWORD GetEnvironmentVariable(const char* lpName, char* lpBuffer, DWORD nSize);
// A null value removes the variable. Names that are empty or hold '=' are refused.
BOOL SetEnvironmentVariable(const char* lpName, const char* lpValue);
// %NAME% is replaced by the variable's value; unknown names stay as written. The result counts
// the NUL, whether it fit or not.
DWORD ExpandEnvironmentStrings(const char* lpSrc, char* lpDst, DWORD nSize);
// The process's arguments from /proc/self/cmdline, quoted by the Windows rules where needed.
const char* GetCommandLine();

namespace testing {

void SetReportedVersion(DWORD major, DWORD minor, DWORD build, DWORD platformId = VER_PLATFORM_WIN32_NT,
                        const std::string& servicePack = {});
// GlobalMemoryStatus reads this file instead of /proc/meminfo; empty returns to the real one.
void SetMemInfoPath(const std::string& path);

}  // namespace testing

}  // namespace win32
