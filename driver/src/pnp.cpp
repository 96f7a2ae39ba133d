// Plug and Play: adding a device with its name and link, start, stop, removal and capabilities.
#include "driver.h"

namespace {

// Names end in the instance digit; wide texts are built from narrow ones so that the same
// source builds where WCHAR is not the compiler's wide character.
void MakeInstanceName(WCHAR* out, const char* pattern, LONG instance) {
    ULONG i = 0;
    for (; pattern[i] != 0; ++i) {
        out[i] = static_cast<WCHAR>(pattern[i]);
    }
    out[i - 1] = static_cast<WCHAR>('0' + instance);
    out[i] = 0;
}

const char DeviceNameTemplate[] = "\\Device\\VarnPlugUSB_0";
const char LinkNameTemplate[] = "\\DosDevices\\VarnPlugUSB_0";

static_assert(sizeof(LinkNameTemplate) == MOXEL_LINK_NAME_LENGTH, "LinkName holds the link name");

} // namespace

NTSTATUS Moxel_CreateDeviceObject(PDRIVER_OBJECT DriverObject, PDEVICE_OBJECT* DeviceObject,
                                  LONG Instance) {
    WCHAR deviceNameBuffer[sizeof(DeviceNameTemplate)];
    UNICODE_STRING deviceName;
    MakeInstanceName(deviceNameBuffer, DeviceNameTemplate, Instance);
    RtlInitUnicodeString(&deviceName, deviceNameBuffer);

    NTSTATUS status = IoCreateDevice(DriverObject, sizeof(ReceiverDeviceExtension), &deviceName,
                                     FILE_DEVICE_UNKNOWN, 0, FALSE, DeviceObject);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    auto* extension = static_cast<PReceiverDeviceExtension>((*DeviceObject)->DeviceExtension);
    MakeInstanceName(extension->LinkName, LinkNameTemplate, Instance);
    extension->Started = FALSE;
    extension->LinkCreated = FALSE;
    extension->ConfigurationHandle = NULL;
    extension->DeviceDescriptor = NULL;
    extension->InterfaceInfo = NULL;
    extension->OpenCount = 0;
    extension->StreamDataRing = NULL;
    extension->StreamDescriptorRing = NULL;
    extension->IsoUsers = 0;
    extension->SelectingInterface = FALSE;
    KeInitializeSpinLock(&extension->StreamLock);
    KeInitializeSpinLock(&extension->InterfaceLock);

    UNICODE_STRING linkName;
    RtlInitUnicodeString(&linkName, extension->LinkName);
    status = IoCreateSymbolicLink(&linkName, &deviceName);
    if (NT_SUCCESS(status)) {
        extension->LinkCreated = TRUE;
    } else {
        IoDeleteDevice(*DeviceObject);
        *DeviceObject = NULL;
    }
    return status;
}

NTSTATUS NTAPI Moxel_PnPAddDevice(PDRIVER_OBJECT DriverObject,
                                  PDEVICE_OBJECT PhysicalDeviceObject) {
    PDEVICE_OBJECT deviceObject = NULL;
    NTSTATUS status = STATUS_UNSUCCESSFUL;
    for (LONG instance = 0; instance < MOXEL_MAX_INSTANCES; ++instance) {
        status = Moxel_CreateDeviceObject(DriverObject, &deviceObject, instance);
        if (NT_SUCCESS(status)) {
            break;
        }
    }
    if (!NT_SUCCESS(status)) {
        return status;
    }
    deviceObject->Flags &= ~DO_DEVICE_INITIALIZING;
    deviceObject->Flags |= DO_DIRECT_IO | DO_POWER_PAGABLE;

    auto* extension = static_cast<PReceiverDeviceExtension>(deviceObject->DeviceExtension);
    extension->PhysicalDeviceObject = PhysicalDeviceObject;
    extension->LowerDeviceObject = IoAttachDeviceToDeviceStack(deviceObject, PhysicalDeviceObject);
    if (extension->LowerDeviceObject == NULL) {
        // Nothing to attach to: the device cannot be served, so it does not stay half made.
        UNICODE_STRING linkName;
        RtlInitUnicodeString(&linkName, extension->LinkName);
        IoDeleteSymbolicLink(&linkName);
        IoDeleteDevice(deviceObject);
        return STATUS_NO_SUCH_DEVICE;
    }
    extension->LastUsbdStatus = 0;
    extension->PendingIoCount = 1;
    KeInitializeEvent(&extension->RemoveEvent, NotificationEvent, FALSE);
    return status;
}

NTSTATUS Moxel_DefaultPnpHandler(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    auto* extension = static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
    IoSkipCurrentIrpStackLocation(Irp);
    return IoCallDriver(extension->LowerDeviceObject, Irp);
}

NTSTATUS NTAPI OnRequestComplete(PDEVICE_OBJECT, PIRP, PVOID Context) {
    KeSetEvent(static_cast<PKEVENT>(Context), IO_NO_INCREMENT, FALSE);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

NTSTATUS ForwardAndWait(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    auto* extension = static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
    KEVENT event;
    KeInitializeEvent(&event, NotificationEvent, FALSE);
    IoCopyCurrentIrpStackLocationToNext(Irp);
    IoSetCompletionRoutine(Irp, OnRequestComplete, &event, TRUE, TRUE, TRUE);
    NTSTATUS status = IoCallDriver(extension->LowerDeviceObject, Irp);
    if (status == STATUS_PENDING) {
        KeWaitForSingleObject(&event, Executive, KernelMode, FALSE, NULL);
        status = Irp->IoStatus.Status;
    }
    return status;
}

NTSTATUS Moxel_HandleStartDevice(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    const NTSTATUS status = ForwardAndWait(DeviceObject, Irp);
    if (!NT_SUCCESS(status)) {
        return CompleteRequest(Irp, status, Irp->IoStatus.Information);
    }
    return CompleteRequest(Irp, Moxel_StartDevice(DeviceObject), 0);
}

NTSTATUS Moxel_StopDevice(PDEVICE_OBJECT DeviceObject) {
    const ULONG size = sizeof(struct _URB_SELECT_CONFIGURATION);
    auto* urb = static_cast<PURB>(ExAllocatePoolWithTag(NonPagedPool, size, MOXEL_POOL_TAG));
    if (urb == NULL) {
        return STATUS_NO_MEMORY;
    }
    RtlZeroMemory(urb, size);
    UsbBuildSelectConfigurationRequest(urb, static_cast<USHORT>(size), NULL);
    const NTSTATUS status = Moxel_CallUSBD(DeviceObject, urb);
    ExFreePool(urb);
    return status;
}

VOID Moxel_RemoveDevice(PDEVICE_OBJECT DeviceObject) {
    auto* extension = static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
    if (extension->DeviceDescriptor != NULL) {
        ExFreePool(extension->DeviceDescriptor);
        extension->DeviceDescriptor = NULL;
    }
    if (extension->InterfaceInfo != NULL) {
        ExFreePool(extension->InterfaceInfo);
        extension->InterfaceInfo = NULL;
    }
    if (extension->LinkCreated) {
        extension->LinkCreated = FALSE;
        UNICODE_STRING linkName;
        RtlInitUnicodeString(&linkName, extension->LinkName);
        IoDeleteSymbolicLink(&linkName);
    }
    IoDetachDevice(extension->LowerDeviceObject);
    IoDeleteDevice(DeviceObject);
}

NTSTATUS Moxel_HandleRemoveDevice(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    auto* extension = static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
    SetRemoving(extension);
    // A running stream ends with its current requests; removal waits for it like a request.
    const KIRQL old = KfAcquireSpinLock(&extension->StreamLock);
    SetStreamStop(extension, TRUE);
    KfReleaseSpinLock(&extension->StreamLock, old);
    USBD_PIPE_INFORMATION pipe;
    for (ULONG i = 0; NT_SUCCESS(Moxel_FindPipe(DeviceObject, i, &pipe)); ++i) {
        Moxel_AbortPipe(DeviceObject, pipe.PipeHandle);
    }
    // Once for this request, once for the device's own count from AddDevice.
    UnlockDevice(DeviceObject);
    UnlockDevice(DeviceObject);
    KeWaitForSingleObject(&extension->RemoveEvent, Executive, KernelMode, FALSE, NULL);

    IoSkipCurrentIrpStackLocation(Irp);
    const NTSTATUS status = IoCallDriver(extension->LowerDeviceObject, Irp);
    Moxel_RemoveDevice(DeviceObject);
    return status;
}

NTSTATUS NTAPI Moxel_DispatchPnp(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    if (!LockDevice(DeviceObject)) {
        return CompleteRequest(Irp, STATUS_DELETE_PENDING, 0);
    }
    auto* extension = static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(Irp);
    NTSTATUS status;
    switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE:
        status = Moxel_HandleStartDevice(DeviceObject, Irp);
        if (status == STATUS_SUCCESS) {
            extension->Started = TRUE;
        }
        break;
    case IRP_MN_REMOVE_DEVICE:
        // The count is released inside; the device object is gone on return.
        return Moxel_HandleRemoveDevice(DeviceObject, Irp);
    case IRP_MN_STOP_DEVICE:
        status = Moxel_DefaultPnpHandler(DeviceObject, Irp);
        Moxel_StopDevice(DeviceObject);
        break;
    case IRP_MN_QUERY_CAPABILITIES: {
        PDEVICE_CAPABILITIES capabilities = stack->Parameters.DeviceCapabilities.Capabilities;
        if (capabilities != NULL && capabilities->Version >= 1) {
            status = ForwardAndWait(DeviceObject, Irp);
            if (NT_SUCCESS(status)) {
                capabilities->SurpriseRemovalOK = TRUE;
            }
            CompleteRequest(Irp, status, Irp->IoStatus.Information);
        } else {
            status = Moxel_DefaultPnpHandler(DeviceObject, Irp);
        }
        break;
    }
    default:
        status = Moxel_DefaultPnpHandler(DeviceObject, Irp);
        break;
    }
    UnlockDevice(DeviceObject);
    return status;
}
