// The simulated I/O manager: stacks, completion routines, pending requests, names and links.
#include "kernel_fixture.h"
#include "kernelsim/pnp.h"

#include <wdm.h>

#include <stdexcept>
#include <thread>

namespace {

struct BugCheck : std::runtime_error {
    explicit BugCheck(ULONG c) : std::runtime_error("bug check"), code(c) {}
    ULONG code;
};

// A two-level stack of test drivers: the lower one completes at once or later on a thread.
struct Behaviour {
    bool lowerPends = false;
    NTSTATUS lowerStatus = STATUS_SUCCESS;
    int completionCalls = 0;
    bool sawPendingReturned = false;
    NTSTATUS routineResult = STATUS_SUCCESS;
    std::thread completer;
};
Behaviour* behaviour = nullptr;

NTSTATUS NTAPI LowerDispatch(PDEVICE_OBJECT, PIRP irp) {
    irp->IoStatus.Information = 7;
    if (behaviour->lowerPends) {
        IoMarkIrpPending(irp);
        behaviour->completer = std::thread([irp] {
            const KIRQL old = KfRaiseIrql(DISPATCH_LEVEL);
            irp->IoStatus.Status = behaviour->lowerStatus;
            IoCompleteRequest(irp, IO_NO_INCREMENT);
            KfLowerIrql(old);
        });
        return STATUS_PENDING;
    }
    irp->IoStatus.Status = behaviour->lowerStatus;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return behaviour->lowerStatus;
}

NTSTATUS NTAPI Routine(PDEVICE_OBJECT, PIRP irp, PVOID context) {
    ++behaviour->completionCalls;
    behaviour->sawPendingReturned = irp->PendingReturned;
    if (context != nullptr) {
        KeSetEvent(static_cast<PKEVENT>(context), IO_NO_INCREMENT, FALSE);
    }
    return behaviour->routineResult;
}

NTSTATUS NTAPI NoEntry(PDRIVER_OBJECT, PUNICODE_STRING) {
    return STATUS_SUCCESS;
}

class IoManagerTest : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        behaviour = &b;
        kernelsim::SetBugCheckHandler(
            [](ULONG code, ULONG_PTR, ULONG_PTR) { throw BugCheck(code); });
        driver = kernelsim::LoadDriver(NoEntry, "Test");
        ASSERT_NE(driver, nullptr);
        driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = LowerDispatch;
        ASSERT_EQ(IoCreateDevice(driver, 0, nullptr, FILE_DEVICE_UNKNOWN, 0, FALSE, &lower),
                  STATUS_SUCCESS);
        ASSERT_EQ(IoCreateDevice(driver, 0, nullptr, FILE_DEVICE_UNKNOWN, 0, FALSE, &upper),
                  STATUS_SUCCESS);
        ASSERT_EQ(IoAttachDeviceToDeviceStack(upper, lower), lower);
    }
    void TearDown() override {
        if (b.completer.joinable()) {
            b.completer.join();
        }
        IoDetachDevice(lower);
        IoDeleteDevice(upper);
        IoDeleteDevice(lower);
        kernelsim::UnloadDriver(driver);
        KernelTest::TearDown();
    }

    // A request as the upper driver would start it, with its own stack location.
    PIRP NewIrp() {
        PIRP irp = IoAllocateIrp(upper->StackSize, FALSE);
        IoSetNextIrpStackLocation(irp);
        IoGetCurrentIrpStackLocation(irp)->DeviceObject = upper;
        IoGetCurrentIrpStackLocation(irp)->MajorFunction = IRP_MJ_INTERNAL_DEVICE_CONTROL;
        IoGetNextIrpStackLocation(irp)->MajorFunction = IRP_MJ_INTERNAL_DEVICE_CONTROL;
        return irp;
    }

    Behaviour b;
    PDRIVER_OBJECT driver = nullptr;
    PDEVICE_OBJECT lower = nullptr;
    PDEVICE_OBJECT upper = nullptr;
};

TEST_F(IoManagerTest, AttachingSetsTheStackSize) {
    EXPECT_EQ(lower->StackSize, 1);
    EXPECT_EQ(upper->StackSize, 2);
    EXPECT_EQ(lower->AttachedDevice, upper);
    EXPECT_EQ(IoGetAttachedDevice(lower), upper);
}

TEST_F(IoManagerTest, CompletionRoutineRunsOnlyForTheOutcomesAskedFor) {
    const struct {
        NTSTATUS status;
        bool onSuccess, onError;
        int calls;
    } cases[] = {
        {STATUS_SUCCESS, true, false, 1},
        {STATUS_SUCCESS, false, true, 0},
        {STATUS_UNSUCCESSFUL, false, true, 1},
        {STATUS_UNSUCCESSFUL, true, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.status << " " << c.onSuccess);
        b.completionCalls = 0;
        b.lowerStatus = c.status;
        PIRP irp = NewIrp();
        IoSetCompletionRoutine(irp, Routine, nullptr, c.onSuccess, c.onError, FALSE);
        b.routineResult = STATUS_MORE_PROCESSING_REQUIRED;
        EXPECT_EQ(IoCallDriver(lower, irp), c.status);
        EXPECT_EQ(b.completionCalls, c.calls);
        EXPECT_EQ(irp->IoStatus.Status, c.status);
        EXPECT_EQ(irp->IoStatus.Information, 7u);
        IoFreeIrp(irp);
    }
}

TEST_F(IoManagerTest, MoreProcessingRequiredStopsCompletionUntilCompletedAgain) {
    PIRP irp = NewIrp();
    IO_STATUS_BLOCK iosb{};
    irp->UserIosb = &iosb;
    iosb.Status = STATUS_PENDING;
    IoSetCompletionRoutine(irp, Routine, nullptr, TRUE, TRUE, TRUE);
    b.routineResult = STATUS_MORE_PROCESSING_REQUIRED;
    IoCallDriver(lower, irp);
    EXPECT_EQ(iosb.Status, STATUS_PENDING) << "completion went past the routine";
    // The upper driver owns the request again and completes it itself.
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    EXPECT_EQ(iosb.Status, STATUS_SUCCESS);
    EXPECT_THROW(IoCompleteRequest(irp, IO_NO_INCREMENT), BugCheck) << "completed twice";
    IoFreeIrp(irp);
}

TEST_F(IoManagerTest, PendingRequestCompletesOnAnotherThreadAtDispatchLevel) {
    b.lowerPends = true;
    PIRP irp = NewIrp();
    KEVENT done;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    IoSetCompletionRoutine(irp, Routine, &done, TRUE, TRUE, TRUE);
    b.routineResult = STATUS_MORE_PROCESSING_REQUIRED;
    EXPECT_EQ(IoCallDriver(lower, irp), STATUS_PENDING);
    EXPECT_EQ(KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr), STATUS_SUCCESS);
    b.completer.join();
    EXPECT_TRUE(b.sawPendingReturned);
    EXPECT_EQ(b.completionCalls, 1);
    IoFreeIrp(irp);
}

TEST_F(IoManagerTest, PendingIsMarkedInTheUpperLocationWithoutARoutine) {
    b.lowerPends = true;
    PIRP irp = NewIrp();
    KEVENT done;
    IO_STATUS_BLOCK iosb{};
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    irp->UserEvent = &done;
    irp->UserIosb = &iosb;
    // The upper location passes the request on as it came.
    IoCopyCurrentIrpStackLocationToNext(irp);
    EXPECT_EQ(IoCallDriver(lower, irp), STATUS_PENDING);
    KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
    b.completer.join();
    EXPECT_TRUE(irp->PendingReturned);
    EXPECT_EQ(iosb.Status, STATUS_SUCCESS);
    IoFreeIrp(irp);
}

TEST_F(IoManagerTest, BuiltRequestCopiesBufferedOutputAndIsFreedByTheIoManager) {
    KEVENT done;
    IO_STATUS_BLOCK iosb{};
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    UCHAR input[3] = {1, 2, 3};
    UCHAR output[10];
    std::memset(output, 0xEE, sizeof(output));
    PIRP irp = IoBuildDeviceIoControlRequest(CTL_CODE(0x22, 0x900, METHOD_BUFFERED, 0), upper,
                                             input, sizeof(input), output, 8, TRUE, &done, &iosb);
    ASSERT_NE(irp, nullptr);
    PIO_STACK_LOCATION next = IoGetNextIrpStackLocation(irp);
    EXPECT_EQ(next->MajorFunction, IRP_MJ_INTERNAL_DEVICE_CONTROL);
    EXPECT_EQ(next->Parameters.DeviceIoControl.InputBufferLength, 3u);
    EXPECT_EQ(next->Parameters.DeviceIoControl.OutputBufferLength, 8u);
    auto* system = static_cast<PUCHAR>(irp->AssociatedIrp.SystemBuffer);
    EXPECT_EQ(system[2], 3);
    std::memset(system, 0x5A, 8);
    EXPECT_EQ(IoCallDriver(lower, irp), STATUS_SUCCESS);
    EXPECT_EQ(KeReadStateEvent(&done), 1);
    EXPECT_EQ(iosb.Information, 7u);
    EXPECT_EQ(output[6], 0x5A);
    EXPECT_EQ(output[7], 0xEE) << "only Information bytes come back";
    // The packet and its buffer are gone; the fixture's leak check proves it.
}

TEST_F(IoManagerTest, TooFewStackLocationsIsABugCheck) {
    PIRP irp = IoAllocateIrp(1, FALSE);
    // The only location is taken already.
    IoSetNextIrpStackLocation(irp);
    try {
        IoCallDriver(upper, irp);
        ADD_FAILURE() << "no bug check";
    } catch (const BugCheck& check) {
        EXPECT_EQ(check.code, static_cast<ULONG>(NO_MORE_IRP_STACK_LOCATIONS));
    }
    IoFreeIrp(irp);
}

WCHAR* Wide(const char* text, WCHAR* out) {
    int i = 0;
    for (; text[i] != 0; ++i) {
        out[i] = static_cast<WCHAR>(text[i]);
    }
    out[i] = 0;
    return out;
}

TEST_F(IoManagerTest, NamesAndSymbolicLinks) {
    WCHAR nameBuffer[64], linkBuffer[64];
    UNICODE_STRING name, link;
    RtlInitUnicodeString(&name, Wide("\\Device\\Echo_0", nameBuffer));
    RtlInitUnicodeString(&link, Wide("\\DosDevices\\Echo_0", linkBuffer));
    PDEVICE_OBJECT named = nullptr;
    ASSERT_EQ(IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &named),
              STATUS_SUCCESS);
    PDEVICE_OBJECT again = nullptr;
    EXPECT_EQ(IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &again),
              STATUS_OBJECT_NAME_COLLISION);
    EXPECT_EQ(again, nullptr);

    EXPECT_EQ(IoCreateSymbolicLink(&link, &name), STATUS_SUCCESS);
    EXPECT_EQ(IoCreateSymbolicLink(&link, &name), STATUS_OBJECT_NAME_COLLISION);
    EXPECT_TRUE(kernelsim::SymbolicLinkExists("\\??\\ECHO_0")) << "aliases, any case";
    EXPECT_EQ(kernelsim::LookupDevice("\\??\\echo_0"), named);
    EXPECT_EQ(kernelsim::LookupDevice("\\device\\ECHO_0"), named);

    EXPECT_EQ(IoDeleteSymbolicLink(&link), STATUS_SUCCESS);
    EXPECT_EQ(IoDeleteSymbolicLink(&link), STATUS_OBJECT_NAME_NOT_FOUND);
    EXPECT_EQ(kernelsim::LookupDevice("\\??\\Echo_0"), nullptr);
    IoDeleteDevice(named);
    EXPECT_EQ(kernelsim::LookupDevice("\\Device\\Echo_0"), nullptr);
    // The name is free again once the object is deleted.
    ASSERT_EQ(IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &again),
              STATUS_SUCCESS);
    IoDeleteDevice(again);
}

TEST_F(IoManagerTest, AttachFailsOnDemand) {
    PDEVICE_OBJECT third = nullptr;
    ASSERT_EQ(IoCreateDevice(driver, 0, nullptr, FILE_DEVICE_UNKNOWN, 0, FALSE, &third),
              STATUS_SUCCESS);
    kernelsim::FailNextAttach();
    EXPECT_EQ(IoAttachDeviceToDeviceStack(third, lower), nullptr);
    EXPECT_EQ(upper->AttachedDevice, nullptr);
    IoDeleteDevice(third);
}

TEST_F(IoManagerTest, RequestToADeletedDeviceIsABugCheck) {
    PDEVICE_OBJECT gone = nullptr;
    ASSERT_EQ(IoCreateDevice(driver, 0, nullptr, FILE_DEVICE_UNKNOWN, 0, FALSE, &gone),
              STATUS_SUCCESS);
    IoDeleteDevice(gone);
    PIRP irp = IoAllocateIrp(1, FALSE);
    EXPECT_THROW(IoCallDriver(gone, irp), BugCheck);
    IoFreeIrp(irp);
}

} // namespace
