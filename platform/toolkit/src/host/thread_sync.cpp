// Threads and the lock on the host: the C++ library's.
#include "../thread_sync.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace toolkit_detail {

struct Monitor::State {
    std::mutex lock;
    std::condition_variable changed;
};

Monitor::Monitor() : state_(std::make_unique<State>()) {}
Monitor::~Monitor() = default;

void Monitor::lock() {
    state_->lock.lock();
}

void Monitor::unlock() {
    state_->lock.unlock();
}

void Monitor::NotifyAll() {
    state_->changed.notify_all();
}

void Monitor::WaitOnce(std::uint32_t milliseconds) {
    std::unique_lock held(state_->lock, std::adopt_lock);
    if (milliseconds == kForever)
        state_->changed.wait(held);
    else
        state_->changed.wait_for(held, std::chrono::milliseconds(milliseconds));
    held.release();
}

std::uint32_t Monitor::Milliseconds() {
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

struct WorkerThread::State {
    std::thread thread;
};

WorkerThread::WorkerThread() : state_(std::make_unique<State>()) {}

WorkerThread::~WorkerThread() {
    if (state_->thread.joinable())
        state_->thread.detach();
}

void WorkerThread::Start(std::function<void()> body) {
    state_->thread = std::thread(std::move(body));
}

bool WorkerThread::Joinable() const {
    return state_->thread.joinable();
}

void WorkerThread::Join() {
    state_->thread.join();
}

void WorkerThread::Detach() {
    state_->thread.detach();
}

std::uint64_t CurrentThreadKey() {
    return std::hash<std::thread::id>{}(std::this_thread::get_id());
}

} // namespace toolkit_detail
