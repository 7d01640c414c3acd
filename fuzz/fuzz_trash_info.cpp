// Info files in the Trash come from any program: reading them must never crash, and an entry is
// listed only with an absolute original path.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "win32/shell.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace fs = std::filesystem;
    static const fs::path trash = [] {
        const fs::path folder = fs::temp_directory_path() / ("zyl-fuzz-trash-" + std::to_string(getpid()));
        fs::create_directories(folder / "files");
        fs::create_directories(folder / "info");
        std::ofstream(folder / "files" / "entry") << "x";
        win32::testing::SetTrashFolder(folder.string());
        return folder;
    }();
    {
        std::ofstream info(trash / "info" / "entry.trashinfo", std::ios::binary | std::ios::trunc);
        info.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    for (const auto& item : win32::TrashContents())
        if (item.originalPath.empty() || item.originalPath[0] != '/') __builtin_trap();
    return 0;
}
