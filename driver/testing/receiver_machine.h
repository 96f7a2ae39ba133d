// A simulated machine for the receiver chain: the USB host, the driver loaded, receivers plugged
// in and the device provider that serves "\\.\VarnPlugUSB_<n>" to user mode.
#pragma once

#include "kernelsim/device_provider.h"
#include "kernelsim/usb_host.h"
#include "receiversim/receiver.h"

#include <wdm.h>

namespace driversim {

class ReceiverMachine {
public:
    // Loads the driver. The kernel should be fresh (kernelsim::ResetKernel).
    ReceiverMachine();
    // Unplugs every receiver still plugged in and unloads the driver.
    ~ReceiverMachine();
    ReceiverMachine(const ReceiverMachine&) = delete;
    ReceiverMachine& operator=(const ReceiverMachine&) = delete;

    // Plugs a receiver in: its physical device object is added to the driver and started.
    // Returns the physical device object (NULL when the host has no pool for it); the statuses of
    // adding and starting go to the pointers given.
    PDEVICE_OBJECT PlugIn(receiversim::Receiver& device, NTSTATUS* addStatus = nullptr,
                          NTSTATUS* startStatus = nullptr);
    // Sends the remove request down the receiver's stack and unplugs it from the host.
    NTSTATUS Unplug(PDEVICE_OBJECT physicalDeviceObject);

    kernelsim::UsbHostController& Host() { return host_; }
    PDRIVER_OBJECT Driver() { return driver_; }
    // To install with win32sim::SetDeviceProvider, or to call directly.
    kernelsim::KernelDeviceProvider& Provider() { return provider_; }

    // The receiver every machine comes with (not plugged in until PlugIn).
    receiversim::Receiver receiver;

private:
    kernelsim::UsbHostController host_;
    PDRIVER_OBJECT driver_;
    kernelsim::KernelDeviceProvider provider_;
    std::vector<PDEVICE_OBJECT> plugged_;
};

} // namespace driversim
