// Private to the library: its per-process state and the operations the exports share.
#pragma once

#include <windows.h>

#include "receiver_ioctl.h"

namespace varnusb {

// The library's code buffer holds this many duration bytes.
constexpr int kCodeBufferSize = 200;

struct LibraryState {
    DWORD RequestTimeout = 5000;
    const char* DeviceName = "\\\\.\\VarnPlugUSB_0";
    HANDLE DeviceHandle = INVALID_HANDLE_VALUE;
    TReceiverReply ReplyBuffer{};
    DWORD BytesReturned = 0;
    HANDLE RequestEvent = nullptr;
    volatile LONG BusyMessageShown = 0;
    LONG LastCodeSequence = -1;
    BYTE CodeBuffer[kCodeBufferSize] = {};
};

// One instance per process that loads the library.
extern LibraryState Library;

// Back to the start-up values (when the library is loaded).
void ResetLibraryState();

// Waits for RequestEvent; on a time-out shows the busy message and gives false.
bool AcquireRequestEvent();
void ReleaseRequestEvent();
void ShowBusyMessage();

// One receiver command, up to three tries, with the device opened and closed around it. The
// reply's 8 bytes are cleared first, so bytes the receiver did not send read as 0.
bool DeviceRequest(BYTE Command, BYTE Value, BYTE Index, void* reply, DWORD* bytesReturned);
// Command 1 into ReplyBuffer: 0 ok, 1 failed.
int AcknowledgeCode();

// The serial-rate arithmetic, in extended precision.
long double NearestEven(long double x);
// The divisor for a rate, or false when the rate is not possible.
bool BaudDivisorFor(int baud, BYTE* divisor);
int BaudOfDivisor(BYTE divisor);

// Runs an export's requests while RequestEvent is held: 1 at once on a busy time-out.
template <class Requests>
int Serialised(Requests requests) {
    if (!AcquireRequestEvent())
        return 1;
    const int result = requests();
    ReleaseRequestEvent();
    return result;
}

} // namespace varnusb
