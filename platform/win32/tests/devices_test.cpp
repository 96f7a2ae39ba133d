// Device files: opens routed to the device provider, device-control requests with their byte
// count, result and last error, and the close request when the handle is closed.
#include "sim_fixture.h"
#include "win32sim/devices.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

// A device that echoes its input reversed, or fails with the error it is told.
class EchoDevice : public win32sim::DeviceProvider {
public:
    struct File : win32sim::DeviceFile {
        explicit File(EchoDevice& owner) : owner(owner) {}
        BOOL Control(DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength,
                     DWORD* bytesReturned, DWORD* error) override {
            owner.codes.push_back(code);
            if (owner.controlError != 0) {
                *error = owner.controlError;
                return FALSE;
            }
            const DWORD n = std::min(inLength, outLength);
            for (DWORD i = 0; i < n; ++i)
                static_cast<BYTE*>(out)[i] = static_cast<const BYTE*>(in)[n - 1 - i];
            *bytesReturned = n;
            return TRUE;
        }
        void Close() override { ++owner.closes; }
        EchoDevice& owner;
    };

    std::unique_ptr<win32sim::DeviceFile> Open(const std::string& dosName, DWORD* error) override {
        opened.push_back(dosName);
        if (openError != 0) {
            *error = openError;
            return nullptr;
        }
        return std::make_unique<File>(*this);
    }

    std::vector<std::string> opened;
    std::vector<DWORD> codes;
    int closes = 0;
    DWORD openError = 0;
    DWORD controlError = 0;
};

class DevicesTest : public SimMachineTest {
protected:
    void TearDown() override {
        SimMachineTest::TearDown(); // checks that no handle is left before the device goes
    }
    HANDLE Open(const char* name) {
        return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    }
    EchoDevice device;
};

TEST_F(DevicesTest, WithoutAProviderNoDeviceExists) {
    SetLastError(kSentinel);
    EXPECT_EQ(Open("\\\\.\\VarnPlugUSB_0"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(DevicesTest, OpenPassesTheNameAfterThePrefixAndReportsTheProvidersError) {
    win32sim::SetDeviceProvider(&device);
    device.openError = ERROR_ACCESS_DENIED;
    SetLastError(kSentinel);
    EXPECT_EQ(Open("\\\\.\\VarnPlugUSB_0"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    device.openError = 0;
    const HANDLE h = Open("//./Other");
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(device.opened, (std::vector<std::string>{"VarnPlugUSB_0", "Other"}));
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(DevicesTest, ControlGivesTheBytesReturnedAndClosingClosesOnce) {
    win32sim::SetDeviceProvider(&device);
    const HANDLE h = Open("\\\\.\\Echo");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    BYTE in[3] = {1, 2, 3};
    BYTE out[8];
    std::memset(out, 0xAA, sizeof out);
    DWORD bytes = kSentinel;
    EXPECT_TRUE(DeviceIoControl(h, 0x8, in, sizeof in, out, sizeof out, &bytes, nullptr));
    EXPECT_EQ(bytes, 3u);
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(out[2], 1);
    EXPECT_EQ(out[3], 0xAA);

    device.controlError = ERROR_GEN_FAILURE;
    bytes = kSentinel;
    SetLastError(kSentinel);
    EXPECT_FALSE(DeviceIoControl(h, 0x4, in, sizeof in, out, sizeof out, &bytes, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
    EXPECT_EQ(bytes, 0u);
    EXPECT_EQ(device.codes, (std::vector<DWORD>{0x8, 0x4}));

    EXPECT_EQ(device.closes, 0);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(device.closes, 1);
    SetLastError(kSentinel);
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(device.closes, 1);
}

TEST_F(DevicesTest, ControlRefusesWhatItCannotServe) {
    win32sim::SetDeviceProvider(&device);
    const HANDLE h = Open("\\\\.\\Echo");
    const HANDLE file = CreateFileA("C:\\f", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    OVERLAPPED overlapped{};
    BYTE buffer[4] = {};
    DWORD bytes = 0;
    const struct {
        const char* what;
        HANDLE handle;
        LPDWORD bytes;
        LPOVERLAPPED overlapped;
        DWORD error;
    } cases[] = {
        {"no handle", nullptr, &bytes, nullptr, ERROR_INVALID_HANDLE},
        {"closed handle", reinterpret_cast<HANDLE>(0x7770), &bytes, nullptr, ERROR_INVALID_HANDLE},
        {"a file", file, &bytes, nullptr, ERROR_INVALID_FUNCTION},
        {"overlapped", h, &bytes, &overlapped, ERROR_INVALID_PARAMETER},
        {"no byte count", h, nullptr, nullptr, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(kSentinel);
        EXPECT_FALSE(DeviceIoControl(c.handle, 0x8, buffer, 4, buffer, 4, c.bytes, c.overlapped));
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_TRUE(device.codes.empty());
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(DevicesTest, ResetMachineRemovesTheProvider) {
    win32sim::SetDeviceProvider(&device);
    win32sim::ResetMachine();
    SetLastError(kSentinel);
    EXPECT_EQ(Open("\\\\.\\Echo"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(device.opened.empty());
}

} // namespace
