// Copying a tree of 10,000 small files (100 folders of 100 files of 200 bytes) with the file
// operator, against `cp -r` on the same tree, into a fresh target each time; removing the copy is
// left out of the measured time.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "orvane/zyltfileoperator.h"
#include "win32/files.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kFolders = 100, kFilesPerFolder = 100;

const fs::path& Work() {
    static const fs::path work = [] {
        const fs::path folder = fs::temp_directory_path() / ("zyl-fileops-bench-" + std::to_string(getpid()));
        const std::string text(200, 'x');
        for (int f = 0; f < kFolders; ++f) {
            const fs::path sub = folder / "tree" / ("folder" + std::to_string(f));
            fs::create_directories(sub);
            for (int i = 0; i < kFilesPerFolder; ++i)
                std::ofstream(sub / ("file" + std::to_string(i) + ".txt")) << text;
        }
        std::atexit([] {
            std::error_code error;
            fs::remove_all(fs::temp_directory_path() / ("zyl-fileops-bench-" + std::to_string(getpid())),
                           error);
        });
        return folder;
    }();
    return work;
}

// Every file of the tree arrived: a fast copy that leaves files out is no result.
void CheckCopy(benchmark::State& state) {
    size_t files = 0;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(Work() / "copy", error))
        files += entry.is_regular_file() ? 1 : 0;
    if (files != kFolders * kFilesPerFolder) state.SkipWithError("the copy is incomplete");
}

void RemoveCopy(benchmark::State& state) {
    state.PauseTiming();
    std::error_code error;
    fs::remove_all(Work() / "copy", error);
    state.ResumeTiming();
}

void CopyWithFileOperator(benchmark::State& state) {
    vcl::TComponentPtr<orvane::TZylFileOperator> op(new orvane::TZylFileOperator(nullptr));
    op->SetFlags(orvane::TZylFileFlags{orvane::opSilent, orvane::opNoConfirmation, orvane::opNoConfirmMkDir});
    op->SetDirFrom(win32::WindowsPath(Work().string()));
    op->FilesFrom()->Add("tree");
    op->SetDirTo(win32::WindowsPath((Work() / "copy").string()));
    for (auto _ : state) {
        RemoveCopy(state);
        if (!op->Execute()) state.SkipWithError("the copy failed");
    }
    CheckCopy(state);
    state.SetItemsProcessed(state.iterations() * kFolders * kFilesPerFolder);
}
BENCHMARK(CopyWithFileOperator)->Unit(benchmark::kMillisecond)->UseRealTime();

void CopyWithCp(benchmark::State& state) {
    const std::string from = (Work() / "tree").string(), to = (Work() / "copy").string();
    std::vector<char*> argv = {const_cast<char*>("cp"), const_cast<char*>("-r"),
                               const_cast<char*>(from.c_str()), const_cast<char*>(to.c_str()), nullptr};
    for (auto _ : state) {
        RemoveCopy(state);
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || status != 0)
            state.SkipWithError("cp failed");
    }
    CheckCopy(state);
    state.SetItemsProcessed(state.iterations() * kFolders * kFilesPerFolder);
}
BENCHMARK(CopyWithCp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
