// The user-mode bridge: opening "\\.\Name", buffered and direct device control, closing.
#include "kernel_fixture.h"
#include "kernelsim/device_provider.h"
#include "kernelsim/pnp.h"

#include <wdm.h>

#include <cstring>
#include <vector>

namespace {

struct EchoState {
    bool refuseCreate = false;
    int creates = 0;
    int closes = 0;
    ULONG seenInput = 0;
    ULONG seenOutput = 0;
    bool mdlSeen = false;
};
EchoState* echo = nullptr;

constexpr ULONG kReverse = CTL_CODE(0x22, 0x801, METHOD_BUFFERED, FILE_ANY_ACCESS);
constexpr ULONG kFillDirect = CTL_CODE(0x22, 0x802, METHOD_OUT_DIRECT, FILE_ANY_ACCESS);
constexpr ULONG kClaimTooMuch = CTL_CODE(0x22, 0x803, METHOD_BUFFERED, FILE_ANY_ACCESS);
constexpr ULONG kFail = CTL_CODE(0x22, 0x804, METHOD_BUFFERED, FILE_ANY_ACCESS);

NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

NTSTATUS NTAPI EchoCreate(PDEVICE_OBJECT, PIRP irp) {
    ++echo->creates;
    return Complete(irp, echo->refuseCreate ? STATUS_UNSUCCESSFUL : STATUS_SUCCESS, 0);
}

NTSTATUS NTAPI EchoClose(PDEVICE_OBJECT, PIRP irp) {
    ++echo->closes;
    return Complete(irp, STATUS_SUCCESS, 0);
}

NTSTATUS NTAPI EchoControl(PDEVICE_OBJECT, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    const ULONG in = stack->Parameters.DeviceIoControl.InputBufferLength;
    const ULONG out = stack->Parameters.DeviceIoControl.OutputBufferLength;
    echo->seenInput = in;
    echo->seenOutput = out;
    auto* system = static_cast<PUCHAR>(irp->AssociatedIrp.SystemBuffer);
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case kReverse: {
        std::vector<UCHAR> copy(system, system + in);
        for (ULONG i = 0; i < in && i < out; ++i) {
            system[i] = copy[in - 1 - i];
        }
        return Complete(irp, STATUS_SUCCESS, in < out ? in : out);
    }
    case kFillDirect: {
        echo->mdlSeen = irp->MdlAddress != nullptr;
        auto* target = static_cast<PUCHAR>(MmGetSystemAddressForMdlSafe(irp->MdlAddress, 0));
        std::memset(target, system != nullptr ? system[0] : 0x11, out);
        return Complete(irp, STATUS_SUCCESS, out);
    }
    case kClaimTooMuch:
        return Complete(irp, STATUS_SUCCESS, 1000);
    default:
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    }
}

NTSTATUS NTAPI NoEntry(PDRIVER_OBJECT, PUNICODE_STRING) {
    return STATUS_SUCCESS;
}

void Wide(const char* text, WCHAR* out) {
    int i = 0;
    for (; text[i] != 0; ++i) {
        out[i] = static_cast<WCHAR>(text[i]);
    }
    out[i] = 0;
}

class DeviceProviderTest : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        echo = &state;
        driver = kernelsim::LoadDriver(NoEntry, "Echo");
        driver->MajorFunction[IRP_MJ_CREATE] = EchoCreate;
        driver->MajorFunction[IRP_MJ_CLOSE] = EchoClose;
        driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = EchoControl;
        Wide("\\Device\\Echo_0", nameBuffer);
        Wide("\\DosDevices\\Echo_0", linkBuffer);
        RtlInitUnicodeString(&name, nameBuffer);
        RtlInitUnicodeString(&link, linkBuffer);
        ASSERT_EQ(IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &device),
                  STATUS_SUCCESS);
        ASSERT_EQ(IoCreateSymbolicLink(&link, &name), STATUS_SUCCESS);
    }
    void TearDown() override {
        if (device != nullptr) {
            IoDeleteSymbolicLink(&link);
            IoDeleteDevice(device);
        }
        kernelsim::UnloadDriver(driver);
        KernelTest::TearDown();
    }

    EchoState state;
    PDRIVER_OBJECT driver = nullptr;
    PDEVICE_OBJECT device = nullptr;
    WCHAR nameBuffer[32], linkBuffer[32];
    UNICODE_STRING name, link;
    kernelsim::KernelDeviceProvider provider;
};

TEST_F(DeviceProviderTest, OpenFollowsTheLinkAndCloseSendsClose) {
    DWORD error = 12345;
    auto file = provider.Open("echo_0", &error);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(error, ERROR_SUCCESS);
    EXPECT_EQ(state.creates, 1);
    file->Close();
    EXPECT_EQ(state.closes, 1);
    file.reset();
    EXPECT_EQ(state.closes, 1) << "close runs once";
}

TEST_F(DeviceProviderTest, OpenFailures) {
    DWORD error = 0;
    EXPECT_EQ(provider.Open("Other_0", &error), nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    state.refuseCreate = true;
    EXPECT_EQ(provider.Open("Echo_0", &error), nullptr);
    EXPECT_EQ(error, 31u) << "a general failure";
    EXPECT_EQ(state.closes, 0);
}

TEST_F(DeviceProviderTest, BufferedControlCopiesInputAndReturnsInformationBytes) {
    DWORD error = 0;
    auto file = provider.Open("Echo_0", &error);
    ASSERT_NE(file, nullptr);
    const UCHAR in[3] = {1, 2, 3};
    UCHAR out[8];
    std::memset(out, 0xEE, sizeof(out));
    DWORD bytes = 99;
    EXPECT_TRUE(file->Control(kReverse, in, 3, out, 8, &bytes, &error));
    EXPECT_EQ(bytes, 3u);
    EXPECT_EQ(state.seenInput, 3u);
    EXPECT_EQ(state.seenOutput, 8u);
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(out[2], 1);
    EXPECT_EQ(out[3], 0xEE);

    // A driver claiming more than the output buffer holds gets no more than the buffer.
    std::memset(out, 0xEE, sizeof(out));
    EXPECT_TRUE(file->Control(kClaimTooMuch, in, 3, out, 4, &bytes, &error));
    EXPECT_EQ(bytes, 4u);
    EXPECT_EQ(out[4], 0xEE);

    EXPECT_FALSE(file->Control(kFail, in, 3, out, 8, &bytes, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(bytes, 0u);
}

TEST_F(DeviceProviderTest, DirectControlHandsTheOutputThroughAnMdl) {
    DWORD error = 0;
    auto file = provider.Open("Echo_0", &error);
    const UCHAR in[1] = {0x42};
    UCHAR out[16] = {};
    DWORD bytes = 0;
    EXPECT_TRUE(file->Control(kFillDirect, in, 1, out, 16, &bytes, &error));
    EXPECT_TRUE(state.mdlSeen);
    EXPECT_EQ(bytes, 16u);
    EXPECT_EQ(out[15], 0x42);
}

TEST_F(DeviceProviderTest, DeviceDeletedWhileOpenRefusesControlButStillSeesTheClose) {
    DWORD error = 0;
    auto file = provider.Open("Echo_0", &error);
    ASSERT_NE(file, nullptr);
    IoDeleteSymbolicLink(&link);
    IoDeleteDevice(device);
    device = nullptr;
    DWORD bytes = 0;
    UCHAR out[4];
    EXPECT_FALSE(file->Control(kReverse, out, 1, out, 4, &bytes, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    file->Close();
    // The open file kept the object: its driver is told of the close, as on Windows.
    EXPECT_EQ(state.closes, 1);
}

TEST_F(DeviceProviderTest, StatusesMapToWin32Errors) {
    const struct {
        LONG status;
        DWORD error;
    } cases[] = {
        {STATUS_UNSUCCESSFUL, 31},
        {STATUS_INVALID_PARAMETER, 87},
        {STATUS_DELETE_PENDING, 5},
        {STATUS_BUFFER_TOO_SMALL, 122},
        {STATUS_INSUFFICIENT_RESOURCES, 1450},
        {STATUS_INVALID_DEVICE_REQUEST, 1},
        {STATUS_OBJECT_NAME_NOT_FOUND, 2},
        {STATUS_NO_MEMORY, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        EXPECT_EQ(kernelsim::Win32ErrorFromStatus(c.status), c.error);
    }
}

} // namespace
