// Waitable events. One lock and one condition serve every event and the clock's moves, so that a
// waiter can never miss a SetEvent or an AdvanceClock that happens between its check and its sleep.
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "files/files_internal.h"
#include "kernel/sync_internal.h"
#include "win32/kernel.h"

namespace win32 {

namespace {

constexpr size_t kMaxEventName = 260;

struct EventObject {
    bool manualReset = false;
    bool signalled = false;
};

struct SyncTable {
    std::mutex mutex;
    std::condition_variable changed;
    std::condition_variable waitersChanged;  // only for tests watching ClockWaiters
    std::map<UINT_PTR, std::shared_ptr<EventObject>> handles;
    std::map<std::string, std::weak_ptr<EventObject>, std::less<>> named;
    // Events that threads wait on under the manual clock, one entry per waiting thread.
    std::multiset<const EventObject*> clockWaiters;

    // A waiter whose event is already set is on its way out, not asleep.
    size_t SleepingClockWaiters() const {
        size_t sleeping = 0;
        for (const EventObject* event : clockWaiters)
            if (!event->signalled) ++sleeping;
        return sleeping;
    }
};

SyncTable& Table() {
    static SyncTable* table = [] {
        auto* created = new SyncTable;
        testing::AddResetHook([created] {
            std::lock_guard lock(created->mutex);
            created->handles.clear();
            created->named.clear();
            created->changed.notify_all();
        });
        return created;
    }();
    return *table;
}

// The event behind a handle (caller holds the lock), or null with ERROR_INVALID_HANDLE.
std::shared_ptr<EventObject> FindEvent(SyncTable& table, HANDLE handle) {
    auto found = table.handles.find(HandleValue(handle));
    if (found == table.handles.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return found->second;
}

bool TakeSignal(EventObject& event) {
    if (!event.signalled) return false;
    if (!event.manualReset) event.signalled = false;
    return true;
}

}  // namespace

namespace kernel {

void ClockMoved() {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    table.changed.notify_all();
}

bool CloseWaitable(HANDLE handle) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto found = table.handles.find(HandleValue(handle));
    if (found == table.handles.end()) return false;
    table.handles.erase(found);
    return true;
}

}  // namespace kernel

HANDLE CreateEvent(void* /*lpEventAttributes*/, BOOL bManualReset, BOOL bInitialState, const char* lpName) {
    const std::string name = lpName ? std::string(lpName) : std::string();
    if (name.size() > kMaxEventName) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    std::shared_ptr<EventObject> event;
    DWORD error = ERROR_SUCCESS;
    if (!name.empty()) {
        if (auto known = table.named.find(name); known != table.named.end()) {
            event = known->second.lock();
            if (event)
                error = ERROR_ALREADY_EXISTS;
            else
                table.named.erase(known);
        }
    }
    if (!event) {
        event = std::make_shared<EventObject>();
        event->manualReset = bManualReset != FALSE;
        event->signalled = bInitialState != FALSE;
        if (!name.empty()) table.named[name] = event;
    }
    const UINT_PTR value = files::NextHandleValue();
    table.handles[value] = std::move(event);
    SetLastError(error);
    return MakeHandle<HANDLE>(value);
}

BOOL SetEvent(HANDLE hEvent) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto event = FindEvent(table, hEvent);
    if (!event) return FALSE;
    event->signalled = true;
    table.changed.notify_all();
    return TRUE;
}

BOOL ResetEvent(HANDLE hEvent) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto event = FindEvent(table, hEvent);
    if (!event) return FALSE;
    event->signalled = false;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    auto& table = Table();
    std::unique_lock lock(table.mutex);
    // The wait holds the object itself: closing the handle meanwhile does not end it, as in Win32.
    auto event = FindEvent(table, hHandle);
    if (!event) return WAIT_FAILED;
    if (TakeSignal(*event)) return WAIT_OBJECT_0;
    if (dwMilliseconds == 0) return WAIT_TIMEOUT;
    if (dwMilliseconds == INFINITE) {
        table.changed.wait(lock, [&] { return event->signalled; });
        TakeSignal(*event);
        return WAIT_OBJECT_0;
    }
    bool manual = false;
    const int64_t deadline = kernel::ContinuousTicks(&manual) + dwMilliseconds;
    for (;;) {
        // A signal set while the clock also passed the deadline still counts as the signal.
        if (TakeSignal(*event)) return WAIT_OBJECT_0;
        const int64_t now = kernel::ContinuousTicks(&manual);
        if (now >= deadline) return WAIT_TIMEOUT;
        if (manual) {
            auto entry = table.clockWaiters.insert(event.get());
            table.waitersChanged.notify_all();
            table.changed.wait(lock);
            table.clockWaiters.erase(entry);
        } else {
            table.changed.wait_for(lock, std::chrono::milliseconds(deadline - now));
        }
    }
}

namespace testing {

size_t ClockWaiters() {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    return table.SleepingClockWaiters();
}

bool WaitForClockWaiters(size_t count, DWORD limitMilliseconds) {
    auto& table = Table();
    std::unique_lock lock(table.mutex);
    return table.waitersChanged.wait_for(lock, std::chrono::milliseconds(limitMilliseconds),
                                         [&] { return table.SleepingClockWaiters() >= count; });
}

}  // namespace testing

}  // namespace win32
