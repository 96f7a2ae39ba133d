// Timers fired by the system: SetTimer on the hidden window, whose WM_TIMER runs the timer.
#include "../internal.h"
#include "shell.h"

#include "toolkit/exceptions.h"

#include <map>

namespace toolkit_detail {
namespace {

// Each timer keeps its id, so that a restart replaces the system's timer.
struct TimerIds {
    std::map<TTimer*, UINT_PTR> ids;
    std::map<UINT_PTR, TTimer*> timers;
    UINT_PTR next = 1;
};

TimerIds& Timers() {
    static TimerIds timers;
    return timers;
}

} // namespace

void PresentTimerStart(TTimer* timer, unsigned interval) {
    auto& t = Timers();
    auto it = t.ids.find(timer);
    if (it == t.ids.end()) {
        it = t.ids.emplace(timer, t.next++).first;
        t.timers[it->second] = timer;
    }
    KillTimer(shell::NotifyWindow(), it->second);
    if (SetTimer(shell::NotifyWindow(), it->second, interval, nullptr) == 0) {
        PresentTimerStop(timer);
        throw EInvalidOperation("Not enough timers available");
    }
}

void PresentTimerStop(TTimer* timer) {
    auto& t = Timers();
    const auto it = t.ids.find(timer);
    if (it == t.ids.end())
        return;
    KillTimer(shell::NotifyWindow(), it->second);
    t.timers.erase(it->second);
    t.ids.erase(it);
}

LRESULT shell::OnTimerMessage(UINT_PTR id) {
    const auto& timers = Timers().timers;
    const auto it = timers.find(id);
    // A WM_TIMER already taken from the queue may follow the timer's stop.
    if (it != timers.end())
        FireTimer(it->second);
    return 0;
}

} // namespace toolkit_detail
