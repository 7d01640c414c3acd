// A temporary directory for one test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zyltest {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of a file inside the directory (not created).
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Writes `text` as the whole file, creating the folders above it.
void WriteTextFile(const std::filesystem::path& path, std::string_view text = "x");
// The whole file, byte for byte; empty when it cannot be read.
std::string ReadTextFile(const std::filesystem::path& path);

}  // namespace zyltest
