// The simulated Plug and Play and power managers: driver loading and requests to device stacks.
#pragma once

#include <wdm.h>

#include <string>

namespace kernelsim {

// Creates the driver object "\Driver\<name>" and runs its entry; NULL when the entry fails.
PDRIVER_OBJECT LoadDriver(PDRIVER_INITIALIZE entry, const std::string& name);
// Runs the driver's unload routine and frees the driver object; its devices must be gone.
void UnloadDriver(PDRIVER_OBJECT driver);

// Calls the driver's AddDevice for a physical device object.
NTSTATUS AddDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT physicalDeviceObject);

// A Plug and Play request sent to the top of the physical device object's stack, waited for.
NTSTATUS SendPnp(PDEVICE_OBJECT physicalDeviceObject, UCHAR minorFunction);
NTSTATUS StartDevice(PDEVICE_OBJECT physicalDeviceObject);
NTSTATUS StopDevice(PDEVICE_OBJECT physicalDeviceObject);
NTSTATUS RemoveDevice(PDEVICE_OBJECT physicalDeviceObject);
// Capabilities are passed in with the Size and Version the caller chooses.
NTSTATUS QueryCapabilities(PDEVICE_OBJECT physicalDeviceObject, DEVICE_CAPABILITIES* caps);
// A power request (set or query power) to the top of the stack.
NTSTATUS SendPower(PDEVICE_OBJECT physicalDeviceObject, UCHAR minorFunction, POWER_STATE_TYPE type,
                   POWER_STATE state);

} // namespace kernelsim
