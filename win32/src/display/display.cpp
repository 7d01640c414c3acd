// The display seam: which back end shows the desktop.
#include "display/display.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "user/user_internal.h"
#include "win32/display.h"

namespace win32::display {

namespace x11 {
// x11_backend.cpp
Backend* OpenBackend(const char* displayName, std::string* error);
}  // namespace x11

namespace {

std::atomic<Backend*>& Attached() {
    static std::atomic<Backend*> backend{nullptr};
    return backend;
}

}  // namespace

Backend* Live() {
    return Attached().load(std::memory_order_acquire);
}

void Attach(Backend* backend) {
    Attached().store(backend, std::memory_order_release);
}

void WakeLive() {
    if (Backend* backend = Live()) backend->Wake();
}

void AttachFromEnvironment() {
    if (Live()) return;
    const char* requested = std::getenv("ZYL_DISPLAY");
    if (!requested || !*requested || std::string_view(requested) == "headless") return;
    if (std::string_view(requested) != "x11") {
        std::fprintf(stderr,
                     "zyl: ZYL_DISPLAY=%s is not a display this build knows (x11, headless); "
                     "the desktop stays headless\n",
                     requested);
        return;
    }
    std::string error;
    if (Backend* backend = x11::OpenBackend(nullptr, &error))
        Attach(backend);
    else
        std::fprintf(stderr, "zyl: the X11 display cannot be used (%s); the desktop stays headless\n",
                     error.c_str());
}

std::string Name() {
    Backend* backend = Live();
    return backend ? backend->Name() : "headless";
}

bool IsLive() {
    return Live() != nullptr;
}

bool UseSharedMemory(bool enabled) {
    Backend* backend = Live();
    return backend && backend->UseSharedMemory(enabled);
}

bool RefreshWindow(HWND hwnd) {
    Backend* backend = Live();
    return backend && backend->RefreshWindow(hwnd);
}

bool OpenX11(const char* displayName, std::string* error) {
    std::string reason;
    if (Live()) {
        reason = "a live display is open already";
    } else if (user::S().desktop && !user::TopLevelWindows(false).empty()) {
        reason = "windows exist already";
    } else if (Backend* backend = x11::OpenBackend(displayName, &reason)) {
        Attach(backend);
        return true;
    }
    if (error) *error = reason;
    return false;
}

}  // namespace win32::display
