// The thread class: suspended creation, Synchronize and the end handler on the GUI thread, the
// thread freeing itself, and turns taken with the GUI thread on the virtual clock.
#include <toolkit.h>

#include <toolkit_fixture.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

// A worker whose Execute runs the given steps; each step may Synchronize.
class StepThread : public TThread {
public:
    StepThread(std::vector<std::string>& log, bool* freed = nullptr)
        : TThread(true), log_(log), freed_(freed) {}
    ~StepThread() override {
        if (freed_)
            *freed_ = true;
    }
    std::function<void(StepThread&)> body;
    void Sync(const std::string& entry) {
        Synchronize([this, entry] {
            log_.push_back(entry + (std::this_thread::get_id() == gui ? " on gui" : " on worker"));
        });
    }
    void SyncThrowing() {
        Synchronize([] { throw std::runtime_error("from the GUI thread"); });
    }
    void SetReturn(int v) { ReturnValue = v; }
    std::thread::id gui = std::this_thread::get_id();

protected:
    void Execute() override {
        if (body)
            body(*this);
    }

private:
    std::vector<std::string>& log_;
    bool* freed_;
};

class ThreadTest : public ToolkitTest {};

TEST_F(ThreadTest, SuspendedThreadRunsOnlyAfterResume) {
    std::vector<std::string> log;
    StepThread thread(log);
    thread.body = [](StepThread& t) { t.Sync("ran"); };
    toolkitsim::RunFor(100);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(thread.Suspended());
    thread.Resume();
    EXPECT_FALSE(thread.Suspended());
    EXPECT_TRUE(log.empty()) << "the Synchronize call waits for the message loop";
    toolkitsim::RunFor(0);
    EXPECT_EQ(log, std::vector<std::string>{"ran on gui"});
    thread.WaitFor();
    EXPECT_TRUE(thread.Finished());
}

TEST_F(ThreadTest, EndHandlerRunsOnTheGuiThreadAndTheThreadFreesItself) {
    std::vector<std::string> log;
    bool freed = false;
    auto* thread = new StepThread(log, &freed);
    thread->FreeOnTerminate = true;
    const std::thread::id gui = std::this_thread::get_id();
    thread->body = [](StepThread& t) { t.Sync("first"); };
    thread->OnTerminate = [&](TObject* sender) {
        EXPECT_EQ(sender, thread);
        log.push_back(std::this_thread::get_id() == gui ? "end on gui" : "end on worker");
    };
    thread->Resume();
    // Each pump serves the calls waiting when it began: the first, then the end handler.
    toolkitsim::RunFor(0);
    EXPECT_EQ(log, (std::vector<std::string>{"first on gui"}));
    toolkitsim::RunFor(0);
    EXPECT_EQ(log, (std::vector<std::string>{"first on gui", "end on gui"}));
    EXPECT_TRUE(freed);
}

TEST_F(ThreadTest, WorkerAndLoopTakeTurnsOnTheVirtualClock) {
    // The same run ten times: the order never changes.
    for (int run = 0; run < 10; ++run) {
        SCOPED_TRACE(run);
        std::vector<std::string> log;
        StepThread thread(log);
        thread.body = [](StepThread& t) {
            t.Sync("a");
            Sleep(1000);
            t.Sync("b");
            Sleep(1000);
            t.Sync("c");
        };
        toolkitsim::At(500, [&] { log.push_back("action at 500"); });
        const DWORD start = GetTickCount();
        thread.Resume();
        toolkitsim::RunFor(3000);
        // The worker's sleeps move the clock: the action comes due between a and b.
        EXPECT_EQ(log,
                  (std::vector<std::string>{"a on gui", "action at 500", "b on gui", "c on gui"}));
        EXPECT_EQ(GetTickCount() - start, 3000u);
        thread.WaitFor();
    }
}

TEST_F(ThreadTest, ErrorsOfSynchronizedMethodsAndOfExecuteReachTheirPlaces) {
    std::vector<std::string> log;
    StepThread thread(log);
    thread.body = [&](StepThread& t) {
        try {
            t.SyncThrowing();
        } catch (const std::runtime_error& e) {
            log.push_back(std::string("worker caught: ") + e.what());
        }
        throw std::logic_error("escaped Execute");
    };
    bool ended = false;
    thread.OnTerminate = [&](TObject*) { ended = true; };
    thread.Resume();
    thread.WaitFor();
    EXPECT_EQ(log, std::vector<std::string>{"worker caught: from the GUI thread"});
    EXPECT_TRUE(ended) << "the end handler runs after an error";
    ASSERT_TRUE(thread.FatalException());
    EXPECT_THROW(std::rethrow_exception(thread.FatalException()), std::logic_error);
}

TEST_F(ThreadTest, WaitForServesSynchronizeAndGivesTheReturnValue) {
    std::vector<std::string> log;
    StepThread thread(log);
    thread.body = [](StepThread& t) {
        for (int i = 0; i < 3; ++i)
            t.Sync("step " + std::to_string(i));
        while (!t.Terminated())
            t.Sync("until terminated");
        t.SetReturn(7);
    };
    thread.Resume();
    thread.Terminate();
    EXPECT_EQ(thread.WaitFor(), 7);
    EXPECT_EQ(log, (std::vector<std::string>{"step 0 on gui", "step 1 on gui", "step 2 on gui"}));
}

TEST_F(ThreadTest, LoopServesAWorkerThatKeepsSynchronizingOneCallAPump) {
    std::vector<std::string> log;
    StepThread thread(log);
    thread.body = [](StepThread& t) {
        while (!t.Terminated()) {
            t.Sync("poll");
            Sleep(10); // the worker's own time; its calls take none
        }
    };
    thread.Resume();
    toolkitsim::RunFor(0);
    EXPECT_FALSE(log.empty());
    toolkitsim::At(100, [&] { thread.Terminate(); });
    toolkitsim::RunFor(200);
    EXPECT_TRUE(thread.Terminated());
    thread.WaitFor();
    EXPECT_TRUE(thread.Finished());
}

TEST_F(ThreadTest, SynchronizeOnTheGuiThreadRunsAtOnce) {
    std::vector<std::string> log;
    StepThread thread(log);
    thread.Sync("direct");
    EXPECT_EQ(log, std::vector<std::string>{"direct on gui"});
}

} // namespace
