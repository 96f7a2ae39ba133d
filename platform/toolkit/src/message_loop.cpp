// The message loop: posted messages, timers and scheduled actions on the tick count's clock.
#include "internal.h"
#include "thread_turns.h"

#include "toolkit/appevnts.h"
#include "toolkit/extctrls.h"
#include "toolkit/forms.h"
#include "toolkit/thread.h"

#include <algorithm>
#include <limits>
#include <new>

struct TimerAccess {
    static void Fire(TTimer* timer) { timer->Fire(); }
};

namespace toolkit_detail {
namespace {

constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();

struct Scheduled {
    std::uint64_t due = 0;
    std::uint64_t order = 0;
    TTimer* timer = nullptr; // or an action
    unsigned interval = 0;
    std::function<void()> action;
};

struct LoopState {
    DWORD lastTick = 0;
    bool started = false;
    std::uint64_t clock = 0;
    std::uint64_t order = 0;
    std::vector<Scheduled> timers;
    std::vector<Scheduled> actions;
    std::vector<TCustomForm*> released;
    std::vector<TCustomForm*> forms;
    std::vector<TComponent*> appEvents;
    std::uint64_t runLimit = kNoLimit;
    std::uint64_t budget = kNoLimit;
    bool stop = false;
};

LoopState& State() {
    static LoopState state;
    return state;
}

// The program's windows hold the foreground.
bool OwnForeground() {
    const HWND fg = GetForegroundWindow();
    if (fg == nullptr)
        return false;
    if (Application && Application->HandleAllocated() && fg == Application->Handle())
        return true;
    for (TCustomForm* f : State().forms)
        if (f->HandleAllocated() && f->Handle() == fg)
            return true;
    return false;
}

void FireTimers() {
    auto& s = State();
    const std::uint64_t now = Now();
    std::vector<Scheduled> due;
    for (const Scheduled& t : s.timers)
        if (t.due <= now)
            due.push_back(t);
    std::sort(due.begin(), due.end(), [](const Scheduled& a, const Scheduled& b) {
        return a.due != b.due ? a.due < b.due : a.order < b.order;
    });
    for (const Scheduled& d : due) {
        // A handler before this one may have stopped or restarted it.
        auto it = std::find_if(s.timers.begin(), s.timers.end(),
                               [&](const Scheduled& t) { return t.timer == d.timer; });
        if (it == s.timers.end() || it->due != d.due || it->order != d.order)
            continue;
        it->due = Now() + it->interval;
        it->order = ++s.order;
        TimerAccess::Fire(d.timer);
    }
}

void FireActions() {
    auto& s = State();
    for (;;) {
        const std::uint64_t now = Now();
        auto it = std::min_element(s.actions.begin(), s.actions.end(),
                                   [](const Scheduled& a, const Scheduled& b) {
                                       return a.due != b.due ? a.due < b.due : a.order < b.order;
                                   });
        if (it == s.actions.end() || it->due > now)
            return;
        std::function<void()> action = std::move(it->action);
        s.actions.erase(it);
        action();
    }
}

void FreeReleased() {
    auto& s = State();
    std::vector<TCustomForm*> keep;
    std::vector<TCustomForm*> free;
    for (TCustomForm* f : s.released)
        (f->Modal() ? keep : free).push_back(f);
    s.released = std::move(keep);
    for (TCustomForm* f : free)
        f->Free();
}

std::uint64_t NextDue() {
    std::uint64_t next = kNoLimit;
    for (const Scheduled& t : State().timers)
        next = std::min(next, t.due);
    for (const Scheduled& a : State().actions)
        next = std::min(next, a.due);
    return next;
}

} // namespace

std::uint64_t Now() {
    auto& s = State();
    const DWORD tick = GetTickCount();
    if (!s.started) {
        s.started = true;
        s.lastTick = tick;
    }
    const DWORD delta = tick - s.lastTick;
    s.lastTick = tick;
    // A clock set back (a fresh machine) starts the count again from there.
    if (delta < 0x80000000u)
        s.clock += delta;
    return s.clock;
}

void StartTimer(TTimer* timer, unsigned interval) {
    PresentTimerStart(timer, interval);
}

void StopTimer(TTimer* timer) {
    PresentTimerStop(timer);
}

void ScheduleTimer(TTimer* timer, unsigned interval) {
    UnscheduleTimer(timer);
    auto& s = State();
    Scheduled t;
    t.due = Now() + interval;
    t.order = ++s.order;
    t.timer = timer;
    t.interval = interval;
    s.timers.push_back(std::move(t));
}

void UnscheduleTimer(TTimer* timer) {
    auto& t = State().timers;
    t.erase(
        std::remove_if(t.begin(), t.end(), [&](const Scheduled& x) { return x.timer == timer; }),
        t.end());
}

void FireTimer(TTimer* timer) {
    TimerAccess::Fire(timer);
}

void ScheduleAction(std::uint64_t delay, std::function<void()> action) {
    auto& s = State();
    Scheduled a;
    a.due = Now() + delay;
    a.order = ++s.order;
    a.action = std::move(action);
    s.actions.push_back(std::move(a));
}

void Pump() {
    CheckSynchronize();
    FreeReleased();
    MSG msg;
    // Bounded, so that a window that keeps posting to itself cannot hold the loop.
    for (int i = 0; i < 10'000 && NextMessage(msg); ++i)
        DispatchNextMessage(msg);
    ToolkitCheckActivation();
    FireTimers();
    FireActions();
}

bool RunUntil(const std::function<bool()>& done, std::uint64_t limit) {
    for (;;) {
        Pump();
        if (done())
            return true;
        const std::uint64_t now = Now();
        if (now >= limit)
            return false;
        if (SynchronizeWaiting())
            continue;
        const std::uint64_t next = std::min(NextDue(), limit);
        if (next == kNoLimit)
            WaitForEvents(kNoLimit);
        else
            WaitForEvents(next > now ? next - now : 0);
    }
}

std::uint64_t RunLimit() {
    return State().runLimit;
}

std::uint64_t RunBudget() {
    return State().budget;
}

void SetRunBudget(std::uint64_t ms) {
    State().budget = ms;
}

bool StopRequested() {
    return State().stop;
}

void RequestStop(bool stop) {
    State().stop = stop;
}

// Sets the limit for the outermost run and restores it afterwards.
struct RunScope {
    explicit RunScope(std::uint64_t limit) : saved(State().runLimit) {
        State().runLimit = std::min(saved, limit);
    }
    ~RunScope() { State().runLimit = saved; }
    std::uint64_t saved;
};

void QueueRelease(TCustomForm* form) {
    auto& r = State().released;
    if (std::find(r.begin(), r.end(), form) == r.end())
        r.push_back(form);
}

void ForgetForm(TCustomForm* form) {
    auto& r = State().released;
    r.erase(std::remove(r.begin(), r.end(), form), r.end());
}

void Guard(TObject* sender, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const Failure&) {
        throw;
    } catch (...) {
        if (Application)
            Application->HandleException(sender);
    }
}

void RegisterForm(TCustomForm* form) {
    State().forms.push_back(form);
}

void UnregisterForm(TCustomForm* form) {
    auto& f = State().forms;
    f.erase(std::remove(f.begin(), f.end(), form), f.end());
    ForgetForm(form);
}

const std::vector<TCustomForm*>& Forms() {
    return State().forms;
}

void RegisterAppEvents(TComponent* events) {
    State().appEvents.push_back(events);
}

void UnregisterAppEvents(TComponent* events) {
    auto& e = State().appEvents;
    e.erase(std::remove(e.begin(), e.end(), events), e.end());
}

void FireHint() {
    if (Application && Application->OnHint)
        Application->OnHint(Application);
    const auto events = State().appEvents;
    for (TComponent* c : events) {
        auto* e = static_cast<TApplicationEvents*>(c);
        if (e->OnHint)
            e->OnHint(e);
    }
}

void ResetLoop() {
    auto& s = State();
    s.timers.clear();
    s.actions.clear();
    s.released.clear();
    s.runLimit = kNoLimit;
    s.budget = kNoLimit;
    s.stop = false;
    s.started = false;
    s.clock = 0;
}

// Run-limit scopes for the application's loop and the test interface.
bool RunWithin(const std::function<bool()>& done, std::uint64_t milliseconds) {
    const std::uint64_t limit = milliseconds == kNoLimit ? kNoLimit : Now() + milliseconds;
    RunScope scope(limit);
    return RunUntil(done, State().runLimit);
}

} // namespace toolkit_detail

// Fires OnActivate / OnDeactivate when the foreground moves to or away from the program.
void ToolkitCheckActivation() {
    using namespace toolkit_detail;
    if (!Application)
        return;
    const bool own = OwnForeground();
    if (own == Application->active_)
        return;
    Application->active_ = own;
    auto fire = [&](TNotifyEvent TApplication::*appEvent, TNotifyEvent TApplicationEvents::*event) {
        Guard(Application, [&] {
            if (Application->*appEvent)
                (Application->*appEvent)(Application);
        });
        const auto events = State().appEvents;
        for (TComponent* c : events) {
            auto* e = static_cast<TApplicationEvents*>(c);
            if (e->*event)
                Guard(e, [&] { (e->*event)(e); });
        }
    };
    if (own)
        fire(&TApplication::OnActivate, &TApplicationEvents::OnActivate);
    else
        fire(&TApplication::OnDeactivate, &TApplicationEvents::OnDeactivate);
}
