// Control interface between the user-mode file functions and whatever serves "\\.\Name" devices
// (the simulated kernel, or a test's fake): CreateFileA, DeviceIoControl and CloseHandle on a
// device handle become calls on the provider installed here.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace win32sim {

// One open device file, as the provider sees it.
class DeviceFile {
public:
    virtual ~DeviceFile() = default;
    // A device-control request, synchronous. The provider applies the transfer method of the
    // code (buffered or direct) as Windows does, sets *bytesReturned and returns the Win32
    // result; on failure it also reports the Win32 error code to set as the last error.
    virtual BOOL Control(DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength,
                         DWORD* bytesReturned, DWORD* error) = 0;
    // The close request; runs once, when the handle is closed, before the file is destroyed.
    virtual void Close() = 0;
};

class DeviceProvider {
public:
    virtual ~DeviceProvider() = default;
    // Opens the device that the DOS device name links to ("VarnPlugUSB_0" for "\\.\VarnPlugUSB_0",
    // the name as given). Returns nullptr and sets *error when there is no such device or it
    // refuses the open.
    virtual std::unique_ptr<DeviceFile> Open(const std::string& dosName, DWORD* error) = 0;
};

// Installs the provider that serves device opens (nullptr: no devices; every open fails with
// ERROR_FILE_NOT_FOUND). The provider must outlive every device handle opened through it.
// ResetMachine removes it.
void SetDeviceProvider(DeviceProvider* provider);

} // namespace win32sim
