// The bridge from the user-mode device functions to the simulated kernel: opening "\\.\Name",
// device control and closing become create, device-control and close requests.
#pragma once

#include "win32sim/devices.h"

namespace kernelsim {

class KernelDeviceProvider : public win32sim::DeviceProvider {
public:
    // Opens the device that "\DosDevices\<dosName>" links to.
    std::unique_ptr<win32sim::DeviceFile> Open(const std::string& dosName, DWORD* error) override;
};

// The Win32 error code user mode sees for a kernel status.
DWORD Win32ErrorFromStatus(LONG status);

} // namespace kernelsim
