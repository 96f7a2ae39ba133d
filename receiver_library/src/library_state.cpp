// The library's state and its serialisation by the named event.
#include "library_state.h"

namespace varnusb {

LibraryState Library;

namespace {
// Spelled as the box shows it.
constexpr const char* kBusyText = "Another thread is using long time VarnPlugUSB.dll";
constexpr const char* kBusyCaption = "Error";
} // namespace

void ResetLibraryState() {
    Library.RequestTimeout = 5000;
    Library.DeviceHandle = INVALID_HANDLE_VALUE;
    Library.ReplyBuffer = TReceiverReply{};
    Library.BytesReturned = 0;
    Library.RequestEvent = nullptr;
    InterlockedExchange(&Library.BusyMessageShown, 0);
    Library.LastCodeSequence = -1;
    for (BYTE& b : Library.CodeBuffer)
        b = 0;
}

// A failed wait counts as acquired too: a process whose event could not be created works
// unserialised rather than not at all.
bool AcquireRequestEvent() {
    if (WaitForSingleObject(Library.RequestEvent, Library.RequestTimeout) == WAIT_TIMEOUT) {
        ShowBusyMessage();
        return false;
    }
    return true;
}

void ReleaseRequestEvent() {
    SetEvent(Library.RequestEvent);
}

// One box per process at a time: a time-out while it is open returns at once.
void ShowBusyMessage() {
    if (InterlockedCompareExchange(&Library.BusyMessageShown, 1, 0) != 0)
        return;
    MessageBoxA(nullptr, kBusyText, kBusyCaption, MB_ICONERROR | MB_TASKMODAL | MB_TOPMOST);
    InterlockedExchange(&Library.BusyMessageShown, 0);
}

} // namespace varnusb
