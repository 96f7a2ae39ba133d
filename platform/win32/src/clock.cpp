// The virtual clock: tick count, local time of day and Sleep all follow it.
#include "sim_state.h"
#include "win32sim/machine.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace {

std::atomic<std::uint64_t> ticks{0};
// Set in a program that runs on the machine of the process that started it: the clock then
// moves only as that process grants.
std::atomic<win32sim::detail::ClockFollower> follower{nullptr};

std::mutex watchLock;
std::function<void(DWORD)> watcher;
std::thread::id watchingThread;
thread_local bool watching = false;

void Watch(DWORD at) {
    std::function<void(DWORD)> watch;
    {
        std::lock_guard lock(watchLock);
        if (!watcher || watchingThread != std::this_thread::get_id() || watching)
            return;
        watch = watcher;
    }
    watching = true;
    watch(at);
    watching = false;
}

// Moves the clock forward by the time: at once, or as the starting process grants it.
void MoveClock(DWORD milliseconds, bool waitingForInput) {
    if (const auto follow = follower.load()) {
        follow(ticks.load() + milliseconds, waitingForInput);
        return;
    }
    if (milliseconds == 0) {
        win32sim::detail::RunProcessTimeline();
        return;
    }
    Watch(static_cast<DWORD>(ticks.load()));
    ticks += milliseconds;
    win32sim::detail::RunProcessTimeline();
    Watch(static_cast<DWORD>(ticks.load()));
}

// Local time as milliseconds since 1970-01-01 00:00, taken at the tick count `ticksAtSet`.
std::mutex timeLock;
constexpr std::int64_t kDefaultLocalMs = 946'720'800'000; // 2000-01-01 10:00:00
std::int64_t localMsAtSet = kDefaultLocalMs;
std::uint64_t ticksAtSet = 0;

constexpr std::int64_t kMsPerDay = 86'400'000;

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

} // namespace

DWORD WINAPI GetTickCount(void) {
    return static_cast<DWORD>(ticks.load());
}

void WINAPI Sleep(DWORD dwMilliseconds) {
    MoveClock(dwMilliseconds, false);
}

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
    std::int64_t ms;
    {
        std::lock_guard lock(timeLock);
        ms = localMsAtSet + static_cast<std::int64_t>(ticks.load() - ticksAtSet);
    }
    std::int64_t days = ms / kMsPerDay;
    std::int64_t inDay = ms % kMsPerDay;
    if (inDay < 0) {
        inDay += kMsPerDay;
        --days;
    }
    std::int64_t year;
    unsigned month, day;
    CivilFromDays(days, year, month, day);
    lpSystemTime->wYear = static_cast<WORD>(year);
    lpSystemTime->wMonth = static_cast<WORD>(month);
    lpSystemTime->wDay = static_cast<WORD>(day);
    lpSystemTime->wDayOfWeek =
        static_cast<WORD>(((days % 7) + 11) % 7); // 1970-01-01 was a Thursday
    lpSystemTime->wHour = static_cast<WORD>(inDay / 3'600'000);
    lpSystemTime->wMinute = static_cast<WORD>(inDay / 60'000 % 60);
    lpSystemTime->wSecond = static_cast<WORD>(inDay / 1000 % 60);
    lpSystemTime->wMilliseconds = static_cast<WORD>(inDay % 1000);
}

namespace win32sim {

void SetTickCount(DWORD milliseconds) {
    std::lock_guard lock(timeLock);
    // The time of day runs on from where it was.
    const std::uint64_t old = ticks.exchange(milliseconds);
    localMsAtSet += static_cast<std::int64_t>(old - ticksAtSet);
    ticksAtSet = milliseconds;
    detail::RunProcessTimeline();
}

void AdvanceClock(DWORD milliseconds) {
    MoveClock(milliseconds, false);
}

void WaitForInput(DWORD milliseconds) {
    MoveClock(milliseconds, true);
}

void WatchClock(std::function<void(DWORD)> watch) {
    std::lock_guard lock(watchLock);
    watcher = std::move(watch);
    watchingThread = std::this_thread::get_id();
}

void SetLocalTime(const SYSTEMTIME& time) {
    std::lock_guard lock(timeLock);
    localMsAtSet = DaysFromCivil(time.wYear, time.wMonth, time.wDay) * kMsPerDay +
                   time.wHour * 3'600'000LL + time.wMinute * 60'000LL + time.wSecond * 1000LL +
                   time.wMilliseconds;
    ticksAtSet = ticks.load();
}

namespace detail {
std::uint64_t VirtualTicks() {
    return ticks.load();
}

void WatchMachine(DWORD at) {
    Watch(at);
}

void FollowClock(ClockFollower follow) {
    follower = follow;
}

void MoveClockTo(std::uint64_t target) {
    ticks = target;
    RunProcessTimeline();
}

void ResetClock() {
    {
        std::lock_guard lock(watchLock);
        watcher = nullptr;
    }
    std::lock_guard lock(timeLock);
    ticks = 0;
    ticksAtSet = 0;
    localMsAtSet = kDefaultLocalMs;
}
} // namespace detail

} // namespace win32sim
