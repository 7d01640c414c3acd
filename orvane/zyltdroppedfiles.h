// Files dragged onto a form from the shell.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "orvane/zylsystem.h"
#include "vcl/classes.h"

namespace orvane {

enum class TZylFileDisplay : uint8_t { dFullPath, dFullName, dExtension };
VCL_ENUM_NAMES(TZylFileDisplay, "dFullPath", "dFullName", "dExtension")
using enum TZylFileDisplay;

using TZylOnDrop = std::function<void(vcl::TObject* Sender, const std::string& DroppedItem)>;

// Hooks its form (EInvalidCast for another owner). While Active the form accepts dropped files;
// each drop fills DroppedItems with the full path, the name or the extension of every file, firing
// OnDrop for each between OnStartDrop and OnEndDrop. The drop is finished exactly once, also when
// a handler raises or frees the component.
class TZylDroppedFiles : public TZylHookComponent {
    VCL_DECLARE_CLASS(TZylDroppedFiles, TZylHookComponent)
public:
    explicit TZylDroppedFiles(vcl::TComponent* owner);
    ~TZylDroppedFiles() override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    TZylFileDisplay CollectBy() const { return collectBy_; }
    void SetCollectBy(TZylFileDisplay value) { collectBy_ = value; }
    vcl::TStrings* DroppedItems() const { return droppedItems_.get(); }
    void SetDroppedItems(const vcl::TStrings* value) { droppedItems_->Assign(value); }
    // The number of files of the last drop.
    vcl::Integer DroppedCount() const { return droppedCount_; }

    vcl::TNotifyEvent OnStartDrop;
    vcl::TNotifyEvent OnEndDrop;
    TZylOnDrop OnDrop;

    static void Publish(vcl::Published<TZylDroppedFiles>& p) {
        p.Property("Active", &TZylDroppedFiles::Active, &TZylDroppedFiles::SetActive, false);
        p.Property("CollectBy", &TZylDroppedFiles::CollectBy, &TZylDroppedFiles::SetCollectBy, dFullPath);
        p.Property("DroppedItems", &TZylDroppedFiles::DroppedItems).Stored(false);
        p.Event("OnStartDrop", &TZylDroppedFiles::OnStartDrop);
        p.Event("OnEndDrop", &TZylDroppedFiles::OnEndDrop);
        p.Event<TZylOnDrop>("OnDrop", &TZylDroppedFiles::OnDrop);
    }

protected:
    void Loaded() override;
    void Hooked(vcl::TMessage& message) override;

private:
    void ApplyActive();
    void CollectDrop(win32::HDROP drop);

    bool active_ = false;
    TZylFileDisplay collectBy_ = dFullPath;
    std::unique_ptr<vcl::TStrings> droppedItems_;
    vcl::Integer droppedCount_ = 0;
};

}  // namespace orvane
