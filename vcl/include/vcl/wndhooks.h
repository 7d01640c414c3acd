// Watching the messages of another control: a hook sees each message the control's WindowProc
// receives before the control does, and passes it on or answers it. The hooks on one control form
// a chain, newest first; each comes off on its own, in any order, and a hook on a control that is
// gone is simply no longer hooked.
//
//   TWindowProcHook resized(form, [this](TMessage& message, const TWndMethod& pass) {
//       pass(message);
//       if (message.Msg == WM_SIZE) Invalidate();
//   });
#pragma once

#include <functional>
#include <memory>

#include "vcl/messages.h"

namespace vcl {

class TControl;

class TWindowProcHook {
public:
    using THook = std::function<void(TMessage& message, const TWndMethod& pass)>;

    TWindowProcHook() = default;
    TWindowProcHook(TControl* control, THook hook);
    ~TWindowProcHook() { Remove(); }
    TWindowProcHook(TWindowProcHook&& other) noexcept = default;
    TWindowProcHook& operator=(TWindowProcHook&& other) noexcept;
    TWindowProcHook(const TWindowProcHook&) = delete;
    TWindowProcHook& operator=(const TWindowProcHook&) = delete;

    // Takes the hook out of its control's chain; nothing when it is not hooked.
    void Remove();
    // Whether the hook is in the chain of a control that still exists.
    bool Hooked() const;

    struct Chain;
    struct Entry;

private:
    std::weak_ptr<Chain> chain_;
    std::shared_ptr<Entry> entry_;
};

}  // namespace vcl
