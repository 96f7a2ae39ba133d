// Control interface of the simulated kernel for tests and the simulator (not part of the kernel).
#pragma once

#include <wdm.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace kernelsim {

// The four tag bytes in the order they are written ("Wdm " is 'W','d','m',' ').
constexpr ULONG PoolTag(const char (&tag)[5]) {
    return static_cast<ULONG>(static_cast<unsigned char>(tag[0])) |
           static_cast<ULONG>(static_cast<unsigned char>(tag[1])) << 8 |
           static_cast<ULONG>(static_cast<unsigned char>(tag[2])) << 16 |
           static_cast<ULONG>(static_cast<unsigned char>(tag[3])) << 24;
}
std::string PoolTagText(ULONG tag);

struct PoolAllocation {
    ULONG tag;
    SIZE_T size;
};

// Pool blocks allocated and not yet freed; only those of one tag when tag is not 0.
std::vector<PoolAllocation> OutstandingPool(ULONG tag = 0);
// Pool allocations made since the kernel was reset (successful or failed).
unsigned AllocationCount();
// The nth allocation from now (1 = the next one) fails; 0 cancels.
void FailAllocation(unsigned nth);
// The next attachment of a device to a device stack yields no device.
void FailNextAttach();

// The version USBD_GetUSBDIVersion reports.
void SetUsbdiVersion(ULONG usbdiVersion, ULONG supportedUsbVersion);

// Bug checks stop the process by default; a test may install a handler that throws instead.
using BugCheckHandler = std::function<void(ULONG code, ULONG_PTR p1, ULONG_PTR p2)>;
void SetBugCheckHandler(BugCheckHandler handler);

// Number of PoStartNextPowerIrp calls since the reset.
unsigned PowerIrpsStarted();

// Names: the device object a name or a symbolic link (followed) names, or NULL.
PDEVICE_OBJECT LookupDevice(const std::string& objectName);
bool SymbolicLinkExists(const std::string& linkName);
// Device objects that exist (not deleted).
std::size_t DeviceCount();

// A fresh kernel: empties the namespace, frees what the pool still holds, clears faults and
// counters. Drivers and devices of the previous test are forgotten.
void ResetKernel();

} // namespace kernelsim
