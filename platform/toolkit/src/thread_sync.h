// Private to the thread class: the threads and the lock it needs, from the C++ library on the
// host and from Win32 itself on Windows, whose runtime for Windows XP has no C++ threads.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace toolkit_detail {

// A lock with one condition on it. Lockable, for std::unique_lock; the waits are made with it
// held and hold it again on return.
class Monitor {
public:
    Monitor();
    ~Monitor();
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    void lock();
    void unlock();

    template <class Ready>
    void Wait(Ready ready) {
        while (!ready())
            WaitOnce(kForever);
    }
    // False when the time ran out first.
    template <class Ready>
    bool WaitFor(std::uint32_t milliseconds, Ready ready) {
        const std::uint32_t start = Milliseconds();
        while (!ready()) {
            const std::uint32_t elapsed = Milliseconds() - start;
            if (elapsed >= milliseconds)
                return false;
            WaitOnce(milliseconds - elapsed);
        }
        return true;
    }
    // Wakes every wait; called with the lock held.
    void NotifyAll();

private:
    static constexpr std::uint32_t kForever = 0xFFFFFFFF;
    void WaitOnce(std::uint32_t milliseconds);
    static std::uint32_t Milliseconds();
    struct State;
    std::unique_ptr<State> state_;
};

// One thread of the process.
class WorkerThread {
public:
    WorkerThread();
    // A thread neither joined nor detached is detached.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    void Start(std::function<void()> body);
    bool Joinable() const;
    void Join();
    void Detach();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The calling thread's identity, comparable between threads.
std::uint64_t CurrentThreadKey();

} // namespace toolkit_detail
