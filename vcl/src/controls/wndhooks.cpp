// The chains of window-procedure hooks: one dispatcher per hooked control, installed as its
// WindowProc with the procedure it replaced kept at the end of the chain. The dispatcher stays when
// the last hook comes off (it only passes messages on), so that a WindowProc set over it later
// never loses its own next step.
#include "vcl/wndhooks.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "vcl/controls.h"

namespace vcl {

struct TWindowProcHook::Entry {
    THook hook;
    bool removed = false;
};

struct TWindowProcHook::Chain {
    TControl* control = nullptr;
    TWndMethod original;
    std::vector<std::shared_ptr<Entry>> hooks;  // oldest first

    void Run(TMessage& message) {
        // A hook may take itself or others off while a message passes: the run goes over a copy,
        // skipping what came off.
        const std::vector<std::shared_ptr<Entry>> snapshot = hooks;
        Pass(snapshot, snapshot.size(), message);
    }
    void Pass(const std::vector<std::shared_ptr<Entry>>& snapshot, size_t remaining, TMessage& message) {
        while (remaining > 0 && snapshot[remaining - 1]->removed)
            --remaining;
        if (remaining == 0) {
            if (original)
                original(message);
            else
                control->WndProc(message);
            return;
        }
        const TWndMethod next = [this, &snapshot, remaining](TMessage& passed) {
            Pass(snapshot, remaining - 1, passed);
        };
        snapshot[remaining - 1]->hook(message, next);
    }
};

namespace {
// The chain of each hooked control; a chain lives in its control's WindowProc and goes with it.
std::unordered_map<TControl*, std::weak_ptr<TWindowProcHook::Chain>>& Chains() {
    static std::unordered_map<TControl*, std::weak_ptr<TWindowProcHook::Chain>> chains;
    return chains;
}
}  // namespace

TWindowProcHook::TWindowProcHook(TControl* control, THook hook) {
    if (!control || !hook) return;
    auto& chains = Chains();
    std::erase_if(chains, [](const auto& item) { return item.second.expired(); });
    std::shared_ptr<Chain> chain = chains[control].lock();
    if (!chain) {
        chain = std::make_shared<Chain>();
        chain->control = control;
        chain->original = control->WindowProc();
        control->SetWindowProc([chain](TMessage& message) { chain->Run(message); });
        chains[control] = chain;
    }
    entry_ = std::make_shared<Entry>(Entry{std::move(hook)});
    chain->hooks.push_back(entry_);
    chain_ = chain;
}

TWindowProcHook& TWindowProcHook::operator=(TWindowProcHook&& other) noexcept {
    if (this != &other) {
        Remove();
        chain_ = std::move(other.chain_);
        entry_ = std::move(other.entry_);
    }
    return *this;
}

void TWindowProcHook::Remove() {
    if (!entry_) return;
    entry_->removed = true;
    if (std::shared_ptr<Chain> chain = chain_.lock()) std::erase(chain->hooks, entry_);
    entry_.reset();
    chain_.reset();
}

bool TWindowProcHook::Hooked() const {
    return entry_ && !chain_.expired();
}

}  // namespace vcl
