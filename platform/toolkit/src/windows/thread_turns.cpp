// Threads on Windows: the GUI thread runs beside its workers and is woken by a thread message.
#include "../thread_turns.h"

#include <windows.h>

namespace toolkit_detail {
namespace {

// The toolkit is made on the GUI thread, before any worker.
const DWORD guiThreadId = GetCurrentThreadId();

} // namespace

bool WorkersTakeTurns() {
    return false;
}

void WakeGuiThread() {
    PostThreadMessageA(guiThreadId, WM_NULL, 0, 0);
}

} // namespace toolkit_detail
