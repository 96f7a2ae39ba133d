// The thread class and the queue of Synchronize calls served on the GUI thread.
#include "toolkit/thread.h"

#include "thread_sync.h"
#include "thread_turns.h"

#include <deque>
#include <mutex>

namespace {

struct SyncRequest {
    std::function<void()> method;
    bool done = false;
    std::exception_ptr error;
};

// Workers that run at this moment: started, not waiting in Synchronize, not ended.
struct SyncState {
    toolkit_detail::Monitor lock;
    std::deque<SyncRequest*> queue;
    int running = 0;
    std::uint64_t guiThread = toolkit_detail::CurrentThreadKey();
};

SyncState& Sync() {
    static SyncState state;
    return state;
}

// On the host the GUI thread waits while a worker runs, so that they take turns.
void AwaitTurn() {
    if (toolkit_detail::WorkersTakeTurns())
        Sync().lock.Wait([] { return Sync().running == 0; });
}

} // namespace

struct TThread::Worker {
    toolkit_detail::WorkerThread thread;
};

TThread::TThread(bool CreateSuspended) : worker_(std::make_unique<Worker>()) {
    Sync(); // the thread that makes the first worker is the GUI thread
    if (!CreateSuspended)
        Resume();
}

TThread::~TThread() {
    if (started_ && !finished_.load() && !FreeOnTerminate) {
        Terminate();
        WaitFor();
    }
    if (worker_->thread.Joinable())
        worker_->thread.Join();
}

const char* TThread::ClassName() const {
    return "TThread";
}

void TThread::Resume() {
    if (started_)
        return;
    started_ = true;
    std::unique_lock held(Sync().lock);
    ++Sync().running;
    worker_->thread.Start([this] { Run(); });
    AwaitTurn();
}

void TThread::Terminate() {
    terminated_ = true;
}

int TThread::WaitFor() {
    while (!finished_.load()) {
        if (CheckSynchronize(0))
            continue;
        std::unique_lock held(Sync().lock);
        Sync().lock.Wait([this] { return !Sync().queue.empty() || finished_.load(); });
    }
    if (worker_->thread.Joinable())
        worker_->thread.Join();
    return ReturnValue;
}

void TThread::Synchronize(const std::function<void()>& method) {
    if (toolkit_detail::CurrentThreadKey() == Sync().guiThread) {
        method();
        return;
    }
    SyncRequest request{method, false, nullptr};
    {
        std::unique_lock held(Sync().lock);
        Sync().queue.push_back(&request);
        --Sync().running;
        Sync().lock.NotifyAll();
        toolkit_detail::WakeGuiThread();
        Sync().lock.Wait([&] { return request.done; });
    }
    if (request.error)
        std::rethrow_exception(request.error);
}

void TThread::Run() {
    try {
        Execute();
    } catch (...) {
        fatal_ = std::current_exception();
    }
    try {
        if (OnTerminate)
            Synchronize([this] { OnTerminate(this); });
    } catch (...) {
    }
    const bool freeItself = FreeOnTerminate;
    if (freeItself) {
        worker_->thread.Detach();
        delete this;
    }
    // Nothing of the object is touched after this: a waiting WaitFor may delete it.
    std::unique_lock held(Sync().lock);
    --Sync().running;
    if (!freeItself)
        finished_ = true;
    Sync().lock.NotifyAll();
}

bool toolkit_detail::SynchronizeWaiting() {
    std::lock_guard held(Sync().lock);
    return !Sync().queue.empty();
}

bool CheckSynchronize(int timeoutMilliseconds) {
    std::unique_lock held(Sync().lock);
    if (Sync().queue.empty() && timeoutMilliseconds > 0)
        Sync().lock.WaitFor(static_cast<std::uint32_t>(timeoutMilliseconds),
                            [] { return !Sync().queue.empty(); });
    bool ran = false;
    // Only the calls waiting now: a worker that keeps calling cannot hold the loop.
    for (std::size_t waiting = Sync().queue.size(); waiting > 0 && !Sync().queue.empty();
         --waiting) {
        SyncRequest* request = Sync().queue.front();
        Sync().queue.pop_front();
        held.unlock();
        try {
            request->method();
        } catch (...) {
            request->error = std::current_exception();
        }
        held.lock();
        request->done = true;
        ++Sync().running;
        Sync().lock.NotifyAll();
        ran = true;
        AwaitTurn();
    }
    return ran;
}
