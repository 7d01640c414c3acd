#include <cstdlib>
#include <mutex>
#include <vector>

#include "win32/kernel.h"

namespace win32 {

namespace {

struct PlatformState {
    std::mutex mutex;
    std::vector<std::function<void()>> resetHooks;
    std::string windowsDirectory;
};

PlatformState& Platform() {
    static PlatformState state;
    return state;
}

}  // namespace

std::string PlatformWindowsDirectory() {
    {
        std::lock_guard lock(Platform().mutex);
        if (!Platform().windowsDirectory.empty()) return Platform().windowsDirectory;
    }
    if (const char* configured = std::getenv("ZYL_WINDOWS_DIR"); configured && *configured) return configured;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return std::string(config) + "/zyl";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config/zyl";
}

namespace testing {

void AddResetHook(std::function<void()> hook) {
    std::lock_guard lock(Platform().mutex);
    Platform().resetHooks.push_back(std::move(hook));
}

void ResetPlatform() {
    std::vector<std::function<void()>> hooks;
    {
        std::lock_guard lock(Platform().mutex);
        hooks = Platform().resetHooks;
    }
    for (auto hook = hooks.rbegin(); hook != hooks.rend(); ++hook)
        (*hook)();
    SetWindowsDirectory(std::string());
    UseRealClock();
}

void SetWindowsDirectory(const std::string& path) {
    std::lock_guard lock(Platform().mutex);
    Platform().windowsDirectory = path;
}

}  // namespace testing

}  // namespace win32
