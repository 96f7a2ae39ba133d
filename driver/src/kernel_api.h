// The kernel and USB driver interface the driver is written against: mingw-w64's kernel headers
// in the Windows build, the user-mode kernel's headers of the same names on the host.
#pragma once

#ifdef _WIN32
// wdm.h defines these two itself; the compiler's intrinsics header must leave them out.
#define __INTRINSIC_DEFINED_InterlockedBitTestAndSet
#define __INTRINSIC_DEFINED_InterlockedBitTestAndReset
#include <ddk/wdm.h>
#include <usbdi.h>
#include <usbioctl.h>
// The USB driver library's header declares its routines without C linkage.
extern "C" {
#include <ddk/usbdlib.h>
}
#ifdef _WIN64
// The 64-bit kernel exports no Kf spin-lock routines; these are their 64-bit equivalents.
inline KIRQL KfAcquireSpinLock(PKSPIN_LOCK SpinLock) {
    return KeAcquireSpinLockRaiseToDpc(SpinLock);
}
inline VOID KfReleaseSpinLock(PKSPIN_LOCK SpinLock, KIRQL NewIrql) {
    KeReleaseSpinLock(SpinLock, NewIrql);
}
#endif
#else
#include <wdm.h>
#include <usbdi.h>
#include <usbdlib.h>
#include <usbioctl.h>
#endif
