// Private state of the simulated kernel shared by its files.
#pragma once

#include "kernelsim/kernel.h"

#include <wdm.h>

#include <map>
#include <mutex>
#include <string>

namespace kernelsim::detail {

// Object names compare without regard to case; "\DosDevices\" is another name of "\??\".
std::u16string CanonicalName(const std::u16string& name);
std::u16string NameOf(PCUNICODE_STRING name);
std::u16string Widen(const std::string& text);

struct DeviceInfo {
    std::u16string name; // canonical; empty when unnamed
    PDEVICE_OBJECT lower = nullptr;
    bool deleted = false;
};

struct Objects {
    std::mutex mutex;
    std::map<PDEVICE_OBJECT, DeviceInfo> devices; // also deleted ones still referenced
    std::map<std::u16string, PDEVICE_OBJECT> names;
    std::map<std::u16string, std::u16string> links;
    bool failNextAttach = false;
};
Objects& objects();

// Frees a deleted device object whose last reference went away; the caller holds the mutex.
void ReleaseDeviceLocked(PDEVICE_OBJECT device);
// True while the device object exists and is not deleted.
bool DeviceAlive(PDEVICE_OBJECT device);
// True while the device object's memory exists: not deleted, or deleted but still referenced by
// open files, which Windows keeps and may still send their requests to.
bool DeviceReferenced(PDEVICE_OBJECT device);

// Pool blocks of the kernel's own objects.
constexpr ULONG kTagIrp = PoolTag("Irp ");
constexpr ULONG kTagMdl = PoolTag("Mdl ");
constexpr ULONG kTagDevice = PoolTag("Devi");
constexpr ULONG kTagDriver = PoolTag("Driv");
constexpr ULONG kTagFile = PoolTag("File");
constexpr ULONG kTagSystemBuffer = PoolTag("SysB");
constexpr ULONG kTagUsbd = PoolTag("USBD");

// An IRP the I/O manager built for a driver (IoBuildDeviceIoControlRequest): the I/O manager
// frees it when it completes.
constexpr ULONG IRP_SIM_BUILT = 0x40000000;

void ResetPool();
void ResetIo();
void ResetPower();
void ResetUsbd();

} // namespace kernelsim::detail
