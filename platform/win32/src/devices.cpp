// Device files: opens routed to the installed device provider, DeviceIoControl, and the close
// request when the handle goes.
#include "device_files.h"
#include "handle_table.h"
#include "sim_state.h"
#include "win32sim/devices.h"

#include <mutex>

namespace win32sim::detail {
namespace {

std::mutex providerLock;
DeviceProvider* provider = nullptr;

DeviceProvider* CurrentProvider() {
    std::lock_guard lock(providerLock);
    return provider;
}

// An open device file. The close request goes out when the last reference goes, so a
// request still running on another thread finishes before its device file is closed.
class DeviceObject final : public KernelObject {
public:
    explicit DeviceObject(std::unique_ptr<DeviceFile> file) : file_(std::move(file)) {}
    ~DeviceObject() override { file_->Close(); }
    DeviceObject(const DeviceObject&) = delete;
    DeviceObject& operator=(const DeviceObject&) = delete;

    DeviceFile& File() { return *file_; }

private:
    std::unique_ptr<DeviceFile> file_;
};

} // namespace

HANDLE OpenDevice(std::string_view fileName) {
    DeviceProvider* const current = CurrentProvider();
    if (current == nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    DWORD error = ERROR_FILE_NOT_FOUND;
    auto file = current->Open(std::string(fileName.substr(4)), &error);
    if (!file) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE handle = InsertHandle(std::make_shared<DeviceObject>(std::move(file)));
    SetLastError(ERROR_SUCCESS);
    return handle;
}

void ResetDevices() {
    std::lock_guard lock(providerLock);
    provider = nullptr;
}

} // namespace win32sim::detail

namespace win32sim {
void SetDeviceProvider(DeviceProvider* newProvider) {
    std::lock_guard lock(detail::providerLock);
    detail::provider = newProvider;
}
} // namespace win32sim

// Overlapped requests are not simulated: they fail with ERROR_INVALID_PARAMETER rather than
// quietly run synchronously.
BOOL WINAPI DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer,
                            DWORD nInBufferSize, LPVOID lpOutBuffer, DWORD nOutBufferSize,
                            LPDWORD lpBytesReturned, LPOVERLAPPED lpOverlapped) {
    using namespace win32sim::detail;
    const auto object = LookupHandle(hDevice);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const auto device = std::dynamic_pointer_cast<DeviceObject>(object);
    if (!device) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    if (lpOverlapped != nullptr || lpBytesReturned == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD bytes = 0;
    DWORD error = ERROR_GEN_FAILURE;
    const BOOL result = device->File().Control(dwIoControlCode, lpInBuffer, nInBufferSize,
                                               lpOutBuffer, nOutBufferSize, &bytes, &error);
    *lpBytesReturned = bytes;
    if (!result)
        SetLastError(error);
    return result;
}
