#include "orvane/zyltdroppedfiles.h"

#include "vcl/fileutils.h"
#include "win32/shell.h"

namespace orvane {

VCL_DEFINE_CLASS(TZylDroppedFiles, TZylHookComponent)

TZylDroppedFiles::TZylDroppedFiles(vcl::TComponent* owner)
    : TZylHookComponent(owner), droppedItems_(std::make_unique<vcl::TStringList>()) {}

TZylDroppedFiles::~TZylDroppedFiles() = default;

void TZylDroppedFiles::SetActive(bool value) {
    active_ = value;
    ApplyActive();
}

void TZylDroppedFiles::ApplyActive() {
    if (HookedWindow()) win32::DragAcceptFiles(HookedWindow(), active_);
}

void TZylDroppedFiles::Loaded() {
    TZylHookComponent::Loaded();
    ApplyActive();
}

void TZylDroppedFiles::Hooked(vcl::TMessage& message) {
    if (message.Msg != win32::WM_DROPFILES) {
        TZylHookComponent::Hooked(message);
        return;
    }
    const auto drop = reinterpret_cast<win32::HDROP>(message.WParam);
    const vcl::ScopeExit finish([drop] { win32::DragFinish(drop); });
    message.Result = 0;
    CollectDrop(drop);
}

void TZylDroppedFiles::CollectDrop(win32::HDROP drop) {
    const auto alive = AliveToken();
    if (OnStartDrop) OnStartDrop(this);
    if (!*alive) return;
    droppedItems_->Clear();
    const win32::UINT count = win32::DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0);
    droppedCount_ = static_cast<vcl::Integer>(count);
    std::string buffer(128, '\0');
    for (win32::UINT i = 0; i < count; ++i) {
        const win32::UINT needed = win32::DragQueryFile(drop, i, nullptr, 0);
        if (needed + 1 > buffer.size()) buffer.assign(needed + 1, '\0');
        const win32::UINT length =
            win32::DragQueryFile(drop, i, buffer.data(), static_cast<win32::UINT>(buffer.size()));
        const std::string path = buffer.substr(0, length);
        std::string item = path;
        if (collectBy_ == dFullName) item = vcl::ExtractFileName(path);
        if (collectBy_ == dExtension) item = vcl::ExtractFileExt(path);
        droppedItems_->Add(item);
        if (OnDrop) OnDrop(this, item);
        if (!*alive) return;
    }
    if (OnEndDrop) OnEndDrop(this);
}

}  // namespace orvane
