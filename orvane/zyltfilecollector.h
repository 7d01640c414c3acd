// Recursive collection of the files that match a mask below a folder.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "orvane/zylsystem.h"
#include "vcl/classes.h"

namespace orvane {

using TZylOnFileFound = std::function<void(vcl::TObject* Sender, const std::string& Filename)>;

// Lists every file matching FileMask in InitialDirectory and below it: in each folder its matching
// files in sorted order, then its subfolders one by one in sorted order. Links to folders are
// followed, but a folder that is already being scanned further up (a link loop) is not entered
// again. Hidden and system files are included.
class TZylFileCollector : public TZylExecuteComponent {
    VCL_DECLARE_CLASS(TZylFileCollector, TZylExecuteComponent)
public:
    explicit TZylFileCollector(vcl::TComponent* owner);
    ~TZylFileCollector() override;

    const std::string& InitialDirectory() const { return initialDirectory_; }
    void SetInitialDirectory(const std::string& value) { initialDirectory_ = value; }
    const std::string& FileMask() const { return fileMask_; }
    void SetFileMask(const std::string& value) { fileMask_ = value; }
    vcl::TStrings* LocatedObjects() const { return locatedObjects_.get(); }
    void SetLocatedObjects(const vcl::TStrings* value) { locatedObjects_->Assign(value); }
    // The bytes of the files located by the last Execute.
    vcl::Int64 TotalSize() const { return totalSize_; }

    // True when the initial folder itself holds a matching file. OnDone fires even when the scan
    // raises.
    bool Execute() override;

    vcl::TNotifyEvent OnStart;
    vcl::TNotifyEvent OnDone;
    vcl::TNotifyEvent OnDirectoryFound;
    TZylOnFileFound OnFileFound;

    static void Publish(vcl::Published<TZylFileCollector>& p) {
        p.Property("InitialDirectory", &TZylFileCollector::InitialDirectory,
                   &TZylFileCollector::SetInitialDirectory, std::string());
        p.Property("FileMask", &TZylFileCollector::FileMask, &TZylFileCollector::SetFileMask, std::string());
        p.Property("LocatedObjects", &TZylFileCollector::LocatedObjects);
        p.Event("OnStart", &TZylFileCollector::OnStart);
        p.Event("OnDone", &TZylFileCollector::OnDone);
        p.Event("OnDirectoryFound", &TZylFileCollector::OnDirectoryFound);
        p.Event<TZylOnFileFound>("OnFileFound", &TZylFileCollector::OnFileFound);
    }

private:
    struct Scan;
    bool ScanDirectory(const std::string& directory, Scan& scan);

    std::string initialDirectory_;
    std::string fileMask_;
    std::unique_ptr<vcl::TStrings> locatedObjects_;
    vcl::Int64 totalSize_ = 0;
};

}  // namespace orvane
