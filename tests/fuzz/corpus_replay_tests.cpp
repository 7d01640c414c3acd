// Every file of every fuzz corpus, crashes found earlier included, runs through its target's entry
// point under the sanitizers: a finding that was fixed stays fixed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "fuzz_targets.h"

namespace fs = std::filesystem;

// Tests are named after their target, and so printed.
void PrintTo(const FuzzTarget& target, std::ostream* out) {
    *out << target.name;
}

namespace {

std::vector<fs::path> CorpusFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<uint8_t> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CorpusReplay : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(CorpusReplay, EveryFileRunsCleanly) {
    const FuzzTarget& target = GetParam();
    const fs::path folder = fs::path(kFuzzCorpusRoot) / target.name;
    ASSERT_TRUE(fs::is_directory(folder)) << "fuzz target " << target.name << " has no corpus in " << folder;
    const std::vector<fs::path> files = CorpusFiles(folder);
    ASSERT_FALSE(files.empty()) << folder << " is empty";
    for (const fs::path& file : files) {
        // A sanitizer report ends the process; this line names the input that caused it.
        std::fprintf(stderr, "replaying %s\n", file.c_str());
        const std::vector<uint8_t> bytes = ReadBytes(file);
        EXPECT_EQ(target.entry(bytes.data(), bytes.size()), 0) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(Fuzz, CorpusReplay, ::testing::ValuesIn(kFuzzTargets),
                         [](const ::testing::TestParamInfo<FuzzTarget>& target) { return std::string(target.param.name); });

}  // namespace
