// Any memory file, however broken, must give figures that hold together: nothing available beyond
// the total, a load of at most 100 percent.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "win32/sysinfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        const char* temp = std::getenv("TMPDIR");
        return std::string(temp && *temp ? temp : "/tmp") + "/zyl-fuzz-meminfo-" + std::to_string(::getpid());
    }();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    win32::testing::SetMemInfoPath(path);
    win32::MEMORYSTATUS status{};
    win32::GlobalMemoryStatus(&status);
    win32::testing::SetMemInfoPath({});
    if (status.dwAvailPhys > status.dwTotalPhys || status.dwAvailPageFile > status.dwTotalPageFile ||
        status.dwTotalPageFile < status.dwTotalPhys || status.dwMemoryLoad > 100)
        std::abort();
    return 0;
}
