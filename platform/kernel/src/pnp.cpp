// The Plug and Play and power managers: loading drivers, adding devices and sending them
// Plug and Play and power requests.
#include "kernelsim/pnp.h"

#include "kernel_state.h"

using namespace kernelsim::detail;

namespace {

NTSTATUS NTAPI InvalidDeviceRequest(PDEVICE_OBJECT, PIRP Irp) {
    Irp->IoStatus.Status = STATUS_INVALID_DEVICE_REQUEST;
    Irp->IoStatus.Information = 0;
    IoCompleteRequest(Irp, IO_NO_INCREMENT);
    return STATUS_INVALID_DEVICE_REQUEST;
}

struct DriverBlock {
    DRIVER_OBJECT object;
    DRIVER_EXTENSION extension;
    WCHAR name[64];
};

// Sends a request set up by prepare to the top of the stack and waits for its end.
template <typename Prepare>
NTSTATUS SendAndWait(PDEVICE_OBJECT physicalDeviceObject, NTSTATUS initialStatus, Prepare prepare) {
    PDEVICE_OBJECT top = IoGetAttachedDevice(physicalDeviceObject);
    PIRP irp = IoAllocateIrp(top->StackSize, FALSE);
    if (irp == nullptr) {
        // The manager's own requests do not fail for want of pool: it tries again.
        irp = IoAllocateIrp(top->StackSize, FALSE);
    }
    if (irp == nullptr) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    KEVENT done;
    IO_STATUS_BLOCK iosb{};
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    irp->UserEvent = &done;
    irp->UserIosb = &iosb;
    irp->IoStatus.Status = initialStatus;
    prepare(IoGetNextIrpStackLocation(irp));
    NTSTATUS status = IoCallDriver(top, irp);
    if (status == STATUS_PENDING) {
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
    }
    // The waited-for result is the one the packet ended with.
    status = iosb.Status;
    IoFreeIrp(irp);
    return status;
}

} // namespace

namespace kernelsim {

PDRIVER_OBJECT LoadDriver(PDRIVER_INITIALIZE entry, const std::string& name) {
    auto* block = static_cast<DriverBlock*>(
        ExAllocatePoolWithTag(NonPagedPool, sizeof(DriverBlock), kTagDriver));
    if (block == nullptr) {
        return nullptr;
    }
    RtlZeroMemory(block, sizeof(DriverBlock));
    const std::u16string fullName = Widen("\\Driver\\" + name);
    for (std::size_t i = 0; i < fullName.size() && i < 63; ++i) {
        block->name[i] = fullName[i];
    }
    PDRIVER_OBJECT driver = &block->object;
    driver->Type = IO_TYPE_DRIVER;
    driver->Size = sizeof(DRIVER_OBJECT);
    driver->DriverExtension = &block->extension;
    block->extension.DriverObject = driver;
    RtlInitUnicodeString(&driver->DriverName, block->name);
    driver->DriverInit = entry;
    for (auto& dispatch : driver->MajorFunction) {
        dispatch = InvalidDeviceRequest;
    }
    if (!NT_SUCCESS(entry(driver, &driver->DriverName))) {
        ExFreePool(block);
        return nullptr;
    }
    return driver;
}

void UnloadDriver(PDRIVER_OBJECT driver) {
    if (driver->DeviceObject != nullptr) {
        KeBugCheckEx(DRIVER_VERIFIER_DETECTED_VIOLATION, 0x1003,
                     reinterpret_cast<ULONG_PTR>(driver), 0, 0);
    }
    if (driver->DriverUnload != nullptr) {
        driver->DriverUnload(driver);
    }
    ExFreePool(CONTAINING_RECORD(driver, DriverBlock, object));
}

NTSTATUS AddDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT physicalDeviceObject) {
    return driver->DriverExtension->AddDevice(driver, physicalDeviceObject);
}

NTSTATUS SendPnp(PDEVICE_OBJECT physicalDeviceObject, UCHAR minorFunction) {
    return SendAndWait(physicalDeviceObject, STATUS_NOT_SUPPORTED,
                       [minorFunction](PIO_STACK_LOCATION stack) {
                           stack->MajorFunction = IRP_MJ_PNP;
                           stack->MinorFunction = minorFunction;
                       });
}

NTSTATUS StartDevice(PDEVICE_OBJECT physicalDeviceObject) {
    return SendPnp(physicalDeviceObject, IRP_MN_START_DEVICE);
}

NTSTATUS StopDevice(PDEVICE_OBJECT physicalDeviceObject) {
    return SendPnp(physicalDeviceObject, IRP_MN_STOP_DEVICE);
}

NTSTATUS RemoveDevice(PDEVICE_OBJECT physicalDeviceObject) {
    return SendPnp(physicalDeviceObject, IRP_MN_REMOVE_DEVICE);
}

NTSTATUS QueryCapabilities(PDEVICE_OBJECT physicalDeviceObject, DEVICE_CAPABILITIES* caps) {
    return SendAndWait(physicalDeviceObject, STATUS_NOT_SUPPORTED,
                       [caps](PIO_STACK_LOCATION stack) {
                           stack->MajorFunction = IRP_MJ_PNP;
                           stack->MinorFunction = IRP_MN_QUERY_CAPABILITIES;
                           stack->Parameters.DeviceCapabilities.Capabilities = caps;
                       });
}

NTSTATUS SendPower(PDEVICE_OBJECT physicalDeviceObject, UCHAR minorFunction, POWER_STATE_TYPE type,
                   POWER_STATE state) {
    return SendAndWait(physicalDeviceObject, STATUS_NOT_SUPPORTED, [&](PIO_STACK_LOCATION stack) {
        stack->MajorFunction = IRP_MJ_POWER;
        stack->MinorFunction = minorFunction;
        stack->Parameters.Power.Type = type;
        stack->Parameters.Power.State = state;
    });
}

} // namespace kernelsim
