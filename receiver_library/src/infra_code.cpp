// Reading one received code: the header, the duration bytes in 8-byte chunks, the ring turned
// so that the code begins at its start, then the acknowledge that drops it in the receiver.
#include "library_state.h"
#include "varnusb.h"

using namespace varnusb;

namespace {

constexpr int kChunk = 8;
constexpr BYTE kHeaderLength = 3; // L, sequence, ring start

// Drops a code that cannot be delivered and forgets its sequence, so that the next call reads
// the receiver's code afresh.
int AbandonCode() {
    AcknowledgeCode();
    Library.LastCodeSequence = -1;
    return 1;
}

int ReadCode(BYTE* Buffer, int BufSize, int* Len) {
    *Len = 0;
    BYTE* const data = Library.CodeBuffer;
    if (!DeviceRequest(rcReadCodeBuffer, 0, 0, data, &Library.BytesReturned))
        return 1;
    const int length = data[0];
    const LONG sequence = data[1];
    if (sequence == Library.LastCodeSequence || Library.BytesReturned < 2 || length == 0)
        return 0; // no new code
    Library.LastCodeSequence = sequence;
    const int ringStart = data[2]; // 0 when a 2-byte header left it out
    // A code longer than the library's buffer, or than the caller's, cannot be delivered
    // whole; it is refused as a failed read would be.
    if (length > kCodeBufferSize || length > BufSize)
        return AbandonCode();
    for (int i = 0; i < length; i += kChunk)
        if (!DeviceRequest(rcReadCodeBuffer, static_cast<BYTE>(i + kHeaderLength), 0, data + i,
                           &Library.BytesReturned))
            return AbandonCode();
    const int k = ringStart % length;
    for (int j = 0; j < length; ++j)
        Buffer[j] = data[(k + j) % length];
    *Len = length;
    AcknowledgeCode(); // a failed acknowledge still delivers the code
    return 0;
}

} // namespace

extern "C" int WINAPI DoGetInfraCode(BYTE* Buffer, int BufSize, int* Len) {
    if (Buffer == nullptr || Len == nullptr)
        return 1;
    return Serialised([&] { return ReadCode(Buffer, BufSize, Len); });
}
