// Kernel events, waits, spin locks and the IRQL of each thread.
#include "kernel_state.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// One lock and one condition for every dispatcher object, as the kernel's dispatcher lock: a
// waiter never touches an event after it was signalled and its owner went away.
std::mutex dispatcherLock;
std::condition_variable dispatcherChanged;

thread_local KIRQL currentIrql = PASSIVE_LEVEL;

} // namespace

VOID NTAPI KeInitializeEvent(PRKEVENT Event, EVENT_TYPE Type, BOOLEAN State) {
    Event->Header.Type = static_cast<UCHAR>(Type);
    Event->Header.Size = sizeof(KEVENT) / sizeof(LONG);
    Event->Header.SignalState = State ? 1 : 0;
    Event->Header.WaitListHead.Flink = &Event->Header.WaitListHead;
    Event->Header.WaitListHead.Blink = &Event->Header.WaitListHead;
}

LONG NTAPI KeSetEvent(PRKEVENT Event, KPRIORITY, BOOLEAN) {
    std::lock_guard lock(dispatcherLock);
    const LONG previous = Event->Header.SignalState;
    Event->Header.SignalState = 1;
    dispatcherChanged.notify_all();
    return previous;
}

VOID NTAPI KeClearEvent(PRKEVENT Event) {
    std::lock_guard lock(dispatcherLock);
    Event->Header.SignalState = 0;
}

LONG NTAPI KeResetEvent(PRKEVENT Event) {
    std::lock_guard lock(dispatcherLock);
    const LONG previous = Event->Header.SignalState;
    Event->Header.SignalState = 0;
    return previous;
}

LONG NTAPI KeReadStateEvent(PRKEVENT Event) {
    std::lock_guard lock(dispatcherLock);
    return Event->Header.SignalState;
}

NTSTATUS NTAPI KeWaitForSingleObject(PVOID Object, KWAIT_REASON, KPROCESSOR_MODE, BOOLEAN,
                                     PLARGE_INTEGER Timeout) {
    auto* header = static_cast<DISPATCHER_HEADER*>(Object);
    const bool blocking = Timeout == nullptr || Timeout->QuadPart != 0;
    if (blocking && currentIrql >= DISPATCH_LEVEL) {
        KeBugCheckEx(IRQL_NOT_LESS_OR_EQUAL, 0, currentIrql, 0, 0);
    }
    std::unique_lock lock(dispatcherLock);
    auto signalled = [header] { return header->SignalState > 0; };
    if (Timeout == nullptr) {
        dispatcherChanged.wait(lock, signalled);
    } else {
        // Relative (negative) or absolute, in 100 ns units; both taken as a span from now.
        LONGLONG units = Timeout->QuadPart < 0 ? -Timeout->QuadPart : Timeout->QuadPart;
        if (!dispatcherChanged.wait_for(lock, std::chrono::microseconds(units / 10), signalled)) {
            return STATUS_TIMEOUT;
        }
    }
    if (header->Type == SynchronizationEvent) {
        header->SignalState = 0;
    }
    return STATUS_SUCCESS;
}

VOID NTAPI KeInitializeSpinLock(PKSPIN_LOCK SpinLock) {
    __atomic_store_n(SpinLock, 0, __ATOMIC_RELEASE);
}

VOID NTAPI KeAcquireSpinLockAtDpcLevel(PKSPIN_LOCK SpinLock) {
    while (__atomic_exchange_n(SpinLock, 1, __ATOMIC_ACQUIRE) != 0) {
        std::this_thread::yield();
    }
}

VOID NTAPI KeReleaseSpinLockFromDpcLevel(PKSPIN_LOCK SpinLock) {
    __atomic_store_n(SpinLock, 0, __ATOMIC_RELEASE);
}

KIRQL FASTCALL KfAcquireSpinLock(PKSPIN_LOCK SpinLock) {
    const KIRQL old = KfRaiseIrql(DISPATCH_LEVEL);
    KeAcquireSpinLockAtDpcLevel(SpinLock);
    return old;
}

VOID FASTCALL KfReleaseSpinLock(PKSPIN_LOCK SpinLock, KIRQL NewIrql) {
    KeReleaseSpinLockFromDpcLevel(SpinLock);
    KfLowerIrql(NewIrql);
}

KIRQL NTAPI KeGetCurrentIrql(VOID) {
    return currentIrql;
}

KIRQL FASTCALL KfRaiseIrql(KIRQL NewIrql) {
    const KIRQL old = currentIrql;
    if (NewIrql < old) {
        KeBugCheckEx(IRQL_NOT_LESS_OR_EQUAL, NewIrql, old, 1, 0);
    }
    currentIrql = NewIrql;
    return old;
}

VOID FASTCALL KfLowerIrql(KIRQL NewIrql) {
    if (NewIrql > currentIrql) {
        KeBugCheckEx(IRQL_NOT_LESS_OR_EQUAL, NewIrql, currentIrql, 2, 0);
    }
    currentIrql = NewIrql;
}
