// Threads on the host: the GUI thread and the workers take turns, so nothing needs waking.
#include "../thread_turns.h"

namespace toolkit_detail {

bool WorkersTakeTurns() {
    return true;
}

void WakeGuiThread() {}

} // namespace toolkit_detail
