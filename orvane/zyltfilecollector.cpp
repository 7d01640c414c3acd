#include "orvane/zyltfilecollector.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "vcl/fileutils.h"
#include "vcl/forms.h"
#include "win32/files.h"

namespace orvane {

using vcl::Integer;

namespace filecollector {

struct Found {
    std::string name;
    vcl::Int64 size = 0;
};

bool NameBefore(const Found& a, const Found& b) {
    const Integer order = vcl::CompareText(a.name, b.name);
    return order != 0 ? order < 0 : a.name < b.name;
}

// Entries of `pattern` whose directory attribute is `wantFolders`, without "." and "..".
std::vector<Found> List(const std::string& pattern, Integer attributes, bool wantFolders) {
    std::vector<Found> found;
    vcl::TSearchRec search;
    for (Integer result = vcl::FindFirst(pattern, attributes, search); result == 0;
         result = vcl::FindNext(search)) {
        if (search.Name == "." || search.Name == "..") continue;
        if (((search.Attr & vcl::faDirectory) != 0) != wantFolders) continue;
        if (search.Attr & vcl::faVolumeID) continue;
        found.push_back({search.Name, search.Size});
    }
    vcl::FindClose(search);
    std::sort(found.begin(), found.end(), NameBefore);
    return found;
}

}  // namespace filecollector

struct TZylFileCollector::Scan {
    // The folders being scanned, from the initial one down: what a link loop would lead back to.
    std::vector<std::pair<dev_t, ino_t>> path;
};

VCL_DEFINE_CLASS(TZylFileCollector, TZylExecuteComponent)

TZylFileCollector::TZylFileCollector(vcl::TComponent* owner)
    : TZylExecuteComponent(owner), locatedObjects_(std::make_unique<vcl::TStringList>()) {}

TZylFileCollector::~TZylFileCollector() = default;

bool TZylFileCollector::Execute() {
    if (OnStart) OnStart(this);
    locatedObjects_->Clear();
    totalSize_ = 0;
    const vcl::ScopeExit done([this] {
        if (OnDone) OnDone(this);
    });
    std::string folder = initialDirectory_.empty() ? vcl::GetCurrentDir() : initialDirectory_;
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    initialDirectory_ = vcl::IncludeTrailingBackslash(folder);
    Scan scan;
    return ScanDirectory(initialDirectory_, scan);
}

bool TZylFileCollector::ScanDirectory(const std::string& directory, Scan& scan) {
    struct stat identity {};
    const std::string native = win32::NativePath(directory);
    if (native.empty() || stat(native.c_str(), &identity) != 0) return false;
    const std::pair<dev_t, ino_t> key{identity.st_dev, identity.st_ino};
    if (std::find(scan.path.begin(), scan.path.end(), key) != scan.path.end()) return false;
    scan.path.push_back(key);
    const vcl::ScopeExit leave([&scan] { scan.path.pop_back(); });

    vcl::Application->ProcessMessages();
    if (OnDirectoryFound) OnDirectoryFound(this);
    constexpr Integer kAnyButLabel = vcl::faAnyFile & ~vcl::faVolumeID;
    const auto folders = filecollector::List(directory + "*.*", kAnyButLabel, true);
    const auto files = filecollector::List(directory + fileMask_, kAnyButLabel & ~vcl::faDirectory, false);
    for (const auto& file : files) {
        const std::string path = directory + file.name;
        locatedObjects_->Add(path);
        totalSize_ += file.size;
        if (OnFileFound) OnFileFound(this, path);
    }
    for (const auto& folder : folders)
        ScanDirectory(directory + folder.name + '\\', scan);
    return !files.empty();
}

}  // namespace orvane
