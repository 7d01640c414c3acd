#include <sched.h>
#include <cerrno>
#include <ctime>
#include <mutex>
#include <stdexcept>

#include "kernel/calendar.h"
#include "kernel/sync_internal.h"
#include "win32/kernel.h"

namespace win32 {

namespace {

using calendar::kMsPerDay;

using calendar::DaysFromCivil;

SYSTEMTIME FromEpochMs(int64_t ms) {
    int64_t days = ms / kMsPerDay, rest = ms % kMsPerDay;
    if (rest < 0) rest += kMsPerDay, --days;
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    st.wDayOfWeek = static_cast<WORD>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    st.wHour = static_cast<WORD>(rest / 3600000);
    st.wMinute = static_cast<WORD>(rest / 60000 % 60);
    st.wSecond = static_cast<WORD>(rest / 1000 % 60);
    st.wMilliseconds = static_cast<WORD>(rest % 1000);
    return st;
}

bool IsLeap(unsigned y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

struct ManualState {
    std::mutex mutex;
    bool manual = false;
    ULONGLONG ticks = 0;
    int64_t localMs = 0;  // local time in milliseconds since 1970-01-01
    int64_t utcOffsetMs = 0;
    // Added to the tick count so that waits see one steady count across clock switches.
    int64_t continuityMs = 0;
};

ManualState& Clock() {
    static ManualState state;
    return state;
}

thread_local DWORD lastError = ERROR_SUCCESS;

ULONGLONG MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<ULONGLONG>(ts.tv_sec) * 1000 + static_cast<ULONGLONG>(ts.tv_nsec / 1000000);
}

SYSTEMTIME RealTime(bool local) {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm parts{};
    if (local)
        localtime_r(&ts.tv_sec, &parts);
    else
        gmtime_r(&ts.tv_sec, &parts);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(parts.tm_year + 1900);
    st.wMonth = static_cast<WORD>(parts.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(parts.tm_wday);
    st.wDay = static_cast<WORD>(parts.tm_mday);
    st.wHour = static_cast<WORD>(parts.tm_hour);
    st.wMinute = static_cast<WORD>(parts.tm_min);
    // A leap second reads as the last millisecond of the minute before it.
    st.wSecond = static_cast<WORD>(parts.tm_sec > 59 ? 59 : parts.tm_sec);
    st.wMilliseconds = static_cast<WORD>(parts.tm_sec > 59 ? 999 : ts.tv_nsec / 1000000);
    return st;
}

// The manual clock's reading, or nothing when the real clock runs.
bool ManualTime(bool local, SYSTEMTIME* time) {
    auto& state = Clock();
    std::lock_guard lock(state.mutex);
    if (!state.manual) return false;
    *time = FromEpochMs(local ? state.localMs : state.localMs - state.utcOffsetMs);
    return true;
}

}  // namespace

namespace kernel {

int64_t ContinuousTicks(bool* manual) {
    auto& state = Clock();
    std::lock_guard lock(state.mutex);
    *manual = state.manual;
    return static_cast<int64_t>(state.manual ? state.ticks : MonotonicMs()) + state.continuityMs;
}

}  // namespace kernel

DWORD GetTickCount() {
    return static_cast<DWORD>(GetTickCount64());
}

ULONGLONG GetTickCount64() {
    auto& state = Clock();
    {
        std::lock_guard lock(state.mutex);
        if (state.manual) return state.ticks;
    }
    return MonotonicMs();
}

void Sleep(DWORD milliseconds) {
    {
        auto& state = Clock();
        std::unique_lock lock(state.mutex);
        if (state.manual) {
            state.ticks += milliseconds;
            state.localMs += milliseconds;
            lock.unlock();
            kernel::ClockMoved();
            return;
        }
    }
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    timespec remaining{static_cast<time_t>(milliseconds / 1000),
                       static_cast<long>(milliseconds % 1000) * 1000000};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

void GetLocalTime(SYSTEMTIME* time) {
    if (!time) return;
    if (!ManualTime(true, time)) *time = RealTime(true);
}

void GetSystemTime(SYSTEMTIME* time) {
    if (!time) return;
    if (!ManualTime(false, time)) *time = RealTime(false);
}

DWORD GetLastError() {
    return lastError;
}
void SetLastError(DWORD error) {
    lastError = error;
}

namespace testing {

void UseManualClock(const SYSTEMTIME& localNow, int utcOffsetMinutes) {
    const auto& t = localNow;
    if (t.wYear < 1601 || t.wYear > 30827 || t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 || t.wHour > 23 ||
        t.wMinute > 59 || t.wSecond > 59 || t.wMilliseconds > 999)
        throw std::invalid_argument("SYSTEMTIME field out of range");
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.wDay > kDays[t.wMonth - 1] + (t.wMonth == 2 && IsLeap(t.wYear)))
        throw std::invalid_argument("SYSTEMTIME day out of range");
    if (utcOffsetMinutes < -24 * 60 || utcOffsetMinutes > 24 * 60)
        throw std::invalid_argument("UTC offset out of range");
    auto& state = Clock();
    std::unique_lock lock(state.mutex);
    state.continuityMs += static_cast<int64_t>(state.manual ? state.ticks : MonotonicMs());
    state.manual = true;
    state.ticks = 0;
    state.localMs = DaysFromCivil(t.wYear, t.wMonth, t.wDay) * kMsPerDay + t.wHour * 3600000LL +
                    t.wMinute * 60000LL + t.wSecond * 1000LL + t.wMilliseconds;
    state.utcOffsetMs = utcOffsetMinutes * 60000LL;
    lock.unlock();
    kernel::ClockMoved();
}

void AdvanceClock(DWORD milliseconds) {
    {
        auto& state = Clock();
        std::lock_guard lock(state.mutex);
        if (!state.manual) return;
        state.ticks += milliseconds;
        state.localMs += milliseconds;
    }
    kernel::ClockMoved();
}

void UseRealClock() {
    {
        auto& state = Clock();
        std::lock_guard lock(state.mutex);
        if (state.manual)
            state.continuityMs += static_cast<int64_t>(state.ticks) - static_cast<int64_t>(MonotonicMs());
        state.manual = false;
    }
    kernel::ClockMoved();
}

bool ManualClock() {
    auto& state = Clock();
    std::lock_guard lock(state.mutex);
    return state.manual;
}

}  // namespace testing

}  // namespace win32
