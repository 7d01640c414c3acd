// Scope guards: a value set for the length of a scope, or a clean-up step, undone on every way out,
// exceptions included. Both layers use them in place of catch-and-rethrow blocks.
#pragma once

#include <exception>
#include <utility>

namespace win32 {

// Sets `target` to `value` and gives it back its previous value when the scope ends.
//     const ScopedValue quiet(clicksDisabled_, true);
template <typename T>
class ScopedValue {
public:
    template <typename U>
    ScopedValue(T& target, U&& value)
        : target_(target), saved_(std::exchange(target, std::forward<U>(value))) {}
    ~ScopedValue() { target_ = std::move(saved_); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& target_;
    T saved_;
};

template <typename T, typename U>
ScopedValue(T&, U&&) -> ScopedValue<T>;

// Runs `step` when the scope ends, unless dismissed first.
//     const ScopeExit unlock([&] { canvas->Unlock(); });
// A step may run user code (EndUpdate fires OnChange): what it throws on a normal exit reaches the
// caller. While another exception unwinds the scope it is dropped, since two cannot travel at once
// and the first one says what went wrong.
template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F step) : step_(std::move(step)) {}
    ~ScopeExit() noexcept(false) {
        if (!armed_) return;
        if (std::uncaught_exceptions() == exceptionsAtStart_) {
            step_();
            return;
        }
        try {
            step_();
        } catch (...) {
        }
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

    void Dismiss() { armed_ = false; }

private:
    F step_;
    int exceptionsAtStart_ = std::uncaught_exceptions();
    bool armed_ = true;
};

}  // namespace win32
