// Ring buffers of the isochronous stream: whole-block writes that land entirely or not at all,
// reads of what is held, with the byte count kept under the ring's spin lock.
#include "driver.h"

namespace {

ULONG HeldBytes(RingBuffer* Ring) {
    const KIRQL old = KfAcquireSpinLock(&Ring->SpinLock);
    const ULONG count = Ring->Count;
    KfReleaseSpinLock(&Ring->SpinLock, old);
    return count;
}

} // namespace

ULONG RingBufferRoom(RingBuffer* Ring) {
    return Ring->Size - HeldBytes(Ring);
}

RingBuffer* AllocRingBuffer(ULONG Size) {
    auto* ring = static_cast<RingBuffer*>(
        ExAllocatePoolWithTag(NonPagedPool, sizeof(RingBuffer), MOXEL_POOL_TAG));
    if (ring == NULL) {
        return NULL;
    }
    ring->Buffer = static_cast<PUCHAR>(
        ExAllocatePoolWithTag(NonPagedPool, Size != 0 ? Size : 1, MOXEL_POOL_TAG));
    if (ring->Buffer == NULL) {
        ExFreePool(ring);
        return NULL;
    }
    ring->InPtr = ring->Buffer;
    ring->OutPtr = ring->Buffer;
    ring->Size = Size;
    ring->Count = 0;
    KeInitializeSpinLock(&ring->SpinLock);
    return ring;
}

VOID FreeRingBuffer(RingBuffer* Ring) {
    ExFreePool(Ring->Buffer);
    ExFreePool(Ring);
}

ULONG WriteRingBuffer(RingBuffer* Ring, const UCHAR* Source, ULONG Length) {
    // Only writers move InPtr (one at a time, see the stream); the reader frees room only by
    // lowering Count, so the room seen here can only grow meanwhile.
    if (Length > Ring->Size - HeldBytes(Ring)) {
        return 0;
    }
    PUCHAR end = Ring->Buffer + Ring->Size;
    const ULONG first = static_cast<ULONG>(end - Ring->InPtr);
    if (Length > first) {
        RtlCopyMemory(Ring->InPtr, Source, first);
        RtlCopyMemory(Ring->Buffer, Source + first, Length - first);
        Ring->InPtr = Ring->Buffer + (Length - first);
    } else {
        RtlCopyMemory(Ring->InPtr, Source, Length);
        Ring->InPtr += Length;
        if (Ring->InPtr == end) {
            Ring->InPtr = Ring->Buffer;
        }
    }
    const KIRQL old = KfAcquireSpinLock(&Ring->SpinLock);
    Ring->Count += Length;
    KfReleaseSpinLock(&Ring->SpinLock, old);
    return Length;
}

ULONG ReadRingBuffer(RingBuffer* Ring, PUCHAR Destination, ULONG Length) {
    if (Length > Ring->Size) {
        return 0;
    }
    const ULONG held = HeldBytes(Ring);
    if (held == 0) {
        return 0;
    }
    const ULONG n = Length < held ? Length : held;
    PUCHAR end = Ring->Buffer + Ring->Size;
    const ULONG first = static_cast<ULONG>(end - Ring->OutPtr);
    if (n > first) {
        RtlCopyMemory(Destination, Ring->OutPtr, first);
        RtlCopyMemory(Destination + first, Ring->Buffer, n - first);
        Ring->OutPtr = Ring->Buffer + (n - first);
    } else {
        RtlCopyMemory(Destination, Ring->OutPtr, n);
        Ring->OutPtr += n;
        if (Ring->OutPtr == end) {
            Ring->OutPtr = Ring->Buffer;
        }
    }
    const KIRQL old = KfAcquireSpinLock(&Ring->SpinLock);
    Ring->Count -= n;
    KfReleaseSpinLock(&Ring->SpinLock, old);
    return n;
}
