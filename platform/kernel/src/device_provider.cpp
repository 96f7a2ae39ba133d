// The user-mode side of the device bridge: device files over the simulated I/O manager.
#include "kernelsim/device_provider.h"

#include "device_files.h"

#ifndef ERROR_INVALID_FUNCTION
#define ERROR_INVALID_FUNCTION 1L
#endif
#ifndef ERROR_GEN_FAILURE
#define ERROR_GEN_FAILURE 31L
#endif
#ifndef ERROR_NOT_SUPPORTED
#define ERROR_NOT_SUPPORTED 50L
#endif
#ifndef ERROR_BUSY
#define ERROR_BUSY 170L
#endif
#ifndef ERROR_MORE_DATA
#define ERROR_MORE_DATA 234L
#endif
#ifndef ERROR_MR_MID_NOT_FOUND
#define ERROR_MR_MID_NOT_FOUND 317L
#endif
#ifndef ERROR_OPERATION_ABORTED
#define ERROR_OPERATION_ABORTED 995L
#endif
#ifndef ERROR_IO_DEVICE
#define ERROR_IO_DEVICE 1117L
#endif
#ifndef ERROR_DEVICE_NOT_CONNECTED
#define ERROR_DEVICE_NOT_CONNECTED 1167L
#endif
#ifndef ERROR_NO_SYSTEM_RESOURCES
#define ERROR_NO_SYSTEM_RESOURCES 1450L
#endif

namespace kernelsim {

namespace {

class KernelDeviceFile : public win32sim::DeviceFile {
public:
    explicit KernelDeviceFile(detail::OpenDeviceFile* file) : file_(file) {}
    ~KernelDeviceFile() override {
        if (file_ != nullptr) {
            detail::CloseDevice(file_);
        }
    }

    BOOL Control(DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength,
                 DWORD* bytesReturned, DWORD* error) override {
        std::uint32_t information = 0;
        const LONG status =
            detail::ControlDevice(file_, code, in, inLength, out, outLength, &information);
        *bytesReturned = information;
        if (status < 0 || static_cast<std::uint32_t>(status) >> 30 == 2) {
            *error = Win32ErrorFromStatus(status);
            return FALSE;
        }
        *error = ERROR_SUCCESS;
        return TRUE;
    }

    void Close() override {
        if (file_ != nullptr) {
            detail::CloseDevice(file_);
            file_ = nullptr;
        }
    }

private:
    detail::OpenDeviceFile* file_;
};

} // namespace

std::unique_ptr<win32sim::DeviceFile> KernelDeviceProvider::Open(const std::string& dosName,
                                                                 DWORD* error) {
    detail::OpenDeviceFile* file = nullptr;
    const LONG status = detail::OpenDevice(dosName, &file);
    if (status < 0) {
        *error = Win32ErrorFromStatus(status);
        return nullptr;
    }
    *error = ERROR_SUCCESS;
    return std::make_unique<KernelDeviceFile>(file);
}

DWORD Win32ErrorFromStatus(LONG status) {
    static const struct {
        std::uint32_t status;
        DWORD error;
    } table[] = {
        {0x00000000, ERROR_SUCCESS},
        {0x80000005, ERROR_MORE_DATA},            // buffer overflow
        {0x80000011, ERROR_BUSY},                 // device busy
        {0xC0000001, ERROR_GEN_FAILURE},          // unsuccessful
        {0xC0000002, ERROR_INVALID_FUNCTION},     // not implemented
        {0xC0000008, ERROR_INVALID_HANDLE},       // invalid handle
        {0xC000000D, ERROR_INVALID_PARAMETER},    // invalid parameter
        {0xC0000010, ERROR_INVALID_FUNCTION},     // invalid device request
        {0xC0000017, ERROR_NOT_ENOUGH_MEMORY},    // no memory
        {0xC0000022, ERROR_ACCESS_DENIED},        // access denied
        {0xC0000023, ERROR_INSUFFICIENT_BUFFER},  // buffer too small
        {0xC0000033, ERROR_INVALID_NAME},         // object name invalid
        {0xC0000034, ERROR_FILE_NOT_FOUND},       // object name not found
        {0xC0000056, ERROR_ACCESS_DENIED},        // delete pending
        {0xC000009A, ERROR_NO_SYSTEM_RESOURCES},  // insufficient resources
        {0xC000009D, ERROR_DEVICE_NOT_CONNECTED}, // device not connected
        {0xC00000BB, ERROR_NOT_SUPPORTED},        // not supported
        {0xC0000120, ERROR_OPERATION_ABORTED},    // cancelled
        {0xC0000185, ERROR_IO_DEVICE},            // I/O device error
    };
    for (const auto& entry : table) {
        if (entry.status == static_cast<std::uint32_t>(status)) {
            return entry.error;
        }
    }
    return ERROR_MR_MID_NOT_FOUND;
}

} // namespace kernelsim
