// The explorer tree at scale: a tree of 10,000 folders (10 x 10 x 100) built and fully expanded
// by TZylExplorerTree on a mapped drive, against walking the same folders with
// std::filesystem::recursive_directory_iterator and sorting each folder's names, which is the least
// any tree of them must do.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "pellic/zyltexplorertree.h"
#include "vcl/forms.h"
#include "win32/files.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTop = 10, kMiddle = 10, kLeaves = 100;
constexpr int kFolders = kTop + kTop * kMiddle + kTop * kMiddle * kLeaves;

const fs::path& FolderTree() {
    static const fs::path root = [] {
        fs::path made = fs::temp_directory_path() / ("zyl-explorer-bench-" + std::to_string(getpid()));
        for (int a = 0; a < kTop; ++a)
            for (int b = 0; b < kMiddle; ++b)
                for (int c = 0; c < kLeaves; ++c)
                    fs::create_directories(made / ("Top " + std::to_string(a)) /
                                           ("Middle " + std::to_string(b)) / ("Leaf " + std::to_string(c)));
        std::atexit([] {
            fs::remove_all(fs::temp_directory_path() / ("zyl-explorer-bench-" + std::to_string(getpid())));
        });
        return made;
    }();
    return root;
}

void BM_ExplorerTreeFullExpand(benchmark::State& state) {
    win32::testing::MapDrive('T', FolderTree().string());
    for (auto _ : state) {
        auto* form = new vcl::TForm(vcl::Application, 0);
        form->SetBounds(0, 0, 300, 400);
        auto* tree = new pellic::TZylExplorerTree(form);
        tree->OnAddDirectory = [](vcl::TObject*, const std::string& path, bool& add) {
            add = path.starts_with("T:");
        };
        tree->SetParent(form);
        tree->SetBounds(0, 0, 280, 380);
        tree->HandleNeeded();
        tree->FullExpand();
        const vcl::Integer nodes = tree->Items()->Count();
        if (nodes != kFolders + 1) state.SkipWithError("the tree does not hold every folder");
        benchmark::DoNotOptimize(nodes);
        form->Free();
    }
    state.counters["folders"] = kFolders;
}
BENCHMARK(BM_ExplorerTreeFullExpand)->Unit(benchmark::kMillisecond);

void BM_FilesystemWalkReference(benchmark::State& state) {
    const fs::path& root = FolderTree();
    for (auto _ : state) {
        std::vector<std::string> names;
        size_t folders = 0;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (!entry.is_directory()) continue;
            ++folders;
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        if (folders != static_cast<size_t>(kFolders)) state.SkipWithError("the walk missed folders");
        benchmark::DoNotOptimize(names.data());
    }
    state.counters["folders"] = kFolders;
}
BENCHMARK(BM_FilesystemWalkReference)->Unit(benchmark::kMillisecond);

}  // namespace
