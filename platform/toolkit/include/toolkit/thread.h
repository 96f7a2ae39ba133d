// The thread class: a worker whose Synchronize calls and end handler run on the GUI thread.
#pragma once

#include "toolkit/classes.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// Created on the GUI thread. On the host, the worker and the GUI thread take turns: Resume and
// every Synchronize served hand control to the worker until it waits in Synchronize again or
// ends, so that a run is the same every time on the virtual clock.
class TThread : public TObject {
public:
    explicit TThread(bool CreateSuspended);
    // A worker still running is asked to terminate and waited for (serving its Synchronize
    // calls); a derived class whose Execute uses its own members ends the worker first.
    ~TThread() override;

    // Starts a thread created suspended; a second call does nothing.
    void Resume();
    void Start() { Resume(); }
    // Sets Terminated, which Execute polls.
    void Terminate();
    // On the GUI thread: serves the worker's Synchronize calls until Execute and the end handler
    // have run. Not for a thread that frees itself.
    int WaitFor();

    // Deleted by the worker itself after the end handler.
    bool FreeOnTerminate = false;
    TThreadPriority Priority = tpNormal;
    // Runs on the GUI thread after Execute returned, while the worker waits for it.
    TNotifyEvent OnTerminate;

    bool Terminated() const { return terminated_.load(); }
    bool Suspended() const { return !started_; }
    bool Finished() const { return finished_.load(); }
    // What escaped Execute, if anything.
    std::exception_ptr FatalException() const { return fatal_; }

    const char* ClassName() const override;

protected:
    virtual void Execute() = 0;
    // Runs the method on the GUI thread and waits for it; what it throws is thrown here. Called
    // on the GUI thread it runs the method at once.
    void Synchronize(const std::function<void()>& method);
    int ReturnValue = 0;

private:
    struct Worker;
    void Run();
    std::unique_ptr<Worker> worker_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    bool started_ = false;
    std::exception_ptr fatal_;
};

// Serves the Synchronize calls waiting on the GUI thread; waits up to the timeout (real
// milliseconds) for one when none is waiting. True when one ran. The message loop calls it.
bool CheckSynchronize(int timeoutMilliseconds = 0);
