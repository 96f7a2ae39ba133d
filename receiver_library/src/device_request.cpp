// Receiver commands: the device opened, up to three device-control tries, the device closed.
#include "library_state.h"

namespace varnusb {
namespace {

constexpr int kTries = 3;

bool OpenDevice() {
    Library.DeviceHandle =
        CreateFileA(Library.DeviceName, GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    return Library.DeviceHandle != INVALID_HANDLE_VALUE;
}

void CloseDevice() {
    CloseHandle(Library.DeviceHandle);
    Library.DeviceHandle = INVALID_HANDLE_VALUE;
}

} // namespace

bool DeviceRequest(BYTE Command, BYTE Value, BYTE Index, void* reply, DWORD* bytesReturned) {
    *bytesReturned = 0;
    auto* bytes = static_cast<BYTE*>(reply);
    for (DWORD i = 0; i < sizeof(TReceiverReply); ++i)
        bytes[i] = 0;
    if (!OpenDevice())
        return false;
    TReceiverRequest request{Command, Value, Index};
    BOOL succeeded = FALSE;
    // The driver completes a request with success also when the receiver stayed silent: only
    // the byte count tells.
    for (int attempt = 0; attempt < kTries; ++attempt) {
        succeeded =
            DeviceIoControl(Library.DeviceHandle, IOCTL_RECEIVER_COMMAND, &request, sizeof request,
                            reply, sizeof(TReceiverReply), bytesReturned, nullptr);
        if (*bytesReturned > 0)
            break;
    }
    CloseDevice();
    return succeeded && *bytesReturned > 0;
}

int AcknowledgeCode() {
    return DeviceRequest(rcAckCode, 0, 0, &Library.ReplyBuffer, &Library.BytesReturned) ? 0 : 1;
}

} // namespace varnusb
