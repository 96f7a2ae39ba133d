// The search worker: runs the search of the program folder's appllist.ini beside the GUI thread.
#pragma once

#include "application_search.h"

#include <toolkit.h>

class TSearchThread : public TThread {
public:
    // Every call the search makes on the window reaches it on the GUI thread, the worker
    // waiting for each.
    TSearchThread(bool CreateSuspended, TSearchView& window);

protected:
    void Execute() override;

private:
    class TSynchronizedView;
    TSearchView& window_;
};

// Names the calling thread for a debugger; harmless without one.
void NameThreadForDebugger(const char* name);
