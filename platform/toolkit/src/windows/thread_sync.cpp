// Threads and the lock on Windows from Win32 itself: a critical section, and an event per wait
// in place of the condition variables that Windows XP lacks.
#include "../thread_sync.h"

#include <windows.h>

#include <process.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

namespace toolkit_detail {

struct Monitor::State {
    CRITICAL_SECTION lock;
    // The events of the waits in progress; NotifyAll sets and forgets them.
    std::vector<HANDLE> waits;
};

Monitor::Monitor() : state_(std::make_unique<State>()) {
    InitializeCriticalSection(&state_->lock);
}

Monitor::~Monitor() {
    DeleteCriticalSection(&state_->lock);
}

void Monitor::lock() {
    EnterCriticalSection(&state_->lock);
}

void Monitor::unlock() {
    LeaveCriticalSection(&state_->lock);
}

void Monitor::NotifyAll() {
    for (HANDLE wait : state_->waits)
        SetEvent(wait);
    state_->waits.clear();
}

void Monitor::WaitOnce(std::uint32_t milliseconds) {
    // Registered before the lock is left, so that no notification in between is lost.
    HANDLE wait = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (wait == nullptr) {
        // Without an event the caller's loop polls.
        unlock();
        Sleep(1);
        lock();
        return;
    }
    state_->waits.push_back(wait);
    unlock();
    WaitForSingleObject(wait, milliseconds == kForever ? INFINITE : milliseconds);
    lock();
    std::erase(state_->waits, wait);
    CloseHandle(wait);
}

std::uint32_t Monitor::Milliseconds() {
    return GetTickCount();
}

struct WorkerThread::State {
    HANDLE thread = nullptr;
};

namespace {

unsigned __stdcall RunBody(void* body) {
    const std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(body));
    (*owned)();
    return 0;
}

} // namespace

WorkerThread::WorkerThread() : state_(std::make_unique<State>()) {}

WorkerThread::~WorkerThread() {
    if (Joinable())
        Detach();
}

void WorkerThread::Start(std::function<void()> body) {
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    // _beginthreadex, not CreateThread: the worker uses the C runtime.
    const auto handle = _beginthreadex(nullptr, 0, RunBody, owned.get(), 0, nullptr);
    if (handle == 0)
        throw std::system_error(errno, std::generic_category(), "cannot start a thread");
    owned.release();
    state_->thread = reinterpret_cast<HANDLE>(handle);
}

bool WorkerThread::Joinable() const {
    return state_->thread != nullptr;
}

void WorkerThread::Join() {
    WaitForSingleObject(state_->thread, INFINITE);
    Detach();
}

void WorkerThread::Detach() {
    CloseHandle(state_->thread);
    state_->thread = nullptr;
}

std::uint64_t CurrentThreadKey() {
    return GetCurrentThreadId();
}

} // namespace toolkit_detail
