// The message loop's messages and its wait on Windows.
#include "../internal.h"

namespace toolkit_detail {

bool NextMessage(MSG& msg) {
    return PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != 0;
}

void DispatchNextMessage(const MSG& msg) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

// Wakes for a message already in the queue too, not only for one that arrives.
void WaitForEvents(std::uint64_t milliseconds) {
    const DWORD wait = milliseconds >= INFINITE ? INFINITE : static_cast<DWORD>(milliseconds);
    MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

} // namespace toolkit_detail
