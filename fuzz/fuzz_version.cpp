// Version blocks from outside (resources of any file) must load or be refused, and every query of a
// loaded block must stay inside it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "win32/version.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace win32;
    static const char* const kPaths[] = {
        "\\",
        "",
        "\\VarFileInfo\\Translation",
        "\\StringFileInfo",
        "\\StringFileInfo\\040904E4\\CompanyName",
        "\\StringFileInfo\\040904b0\\ProductVersion",
        "\\stringfileinfo\\040904e4\\filedescription\\deeper\\still",
        "\\\\\\",
        "\\A\\B\\C\\D\\E\\F\\G\\H\\I\\J",
    };
    std::vector<BYTE> info;
    if (!LoadVersionInfo(data, size, info)) return 0;
    const size_t blockLength = data[0] | (data[1] << 8);
    for (const char* path : kPaths) {
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValue(info.data(), path, &value, &length)) continue;
        const auto* bytes = static_cast<const BYTE*>(value);
        // Binary values lie in the block; strings in the UTF-8 copies after it.
        if (bytes < info.data() || bytes + length > info.data() + info.size()) __builtin_trap();
        if (bytes >= info.data() + blockLength && bytes[length - 1] != 0) __builtin_trap();
        volatile BYTE sink = 0;
        for (UINT i = 0; i < length; ++i)
            sink = static_cast<BYTE>(sink ^ bytes[i]);
    }
    return 0;
}
