// Private to the thread class: how the worker and the GUI thread meet on each platform.
#pragma once

namespace toolkit_detail {

// True on the host: the GUI thread waits while a worker runs.
bool WorkersTakeTurns();
// Wakes the GUI thread's wait for messages after a Synchronize request was queued.
void WakeGuiThread();
// A worker waits in Synchronize: the message loop serves it before it waits for anything.
bool SynchronizeWaiting();

} // namespace toolkit_detail
