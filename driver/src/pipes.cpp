// Pipes of the selected interface: reset and abort, interface selection, bulk and interrupt
// transfers.
#include "driver.h"

namespace {

PReceiverDeviceExtension ExtensionOf(PDEVICE_OBJECT DeviceObject) {
    return static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
}

NTSTATUS PipeRequest(PDEVICE_OBJECT DeviceObject, USHORT Function, USBD_PIPE_HANDLE PipeHandle) {
    const ULONG size = sizeof(struct _URB_PIPE_REQUEST);
    auto* urb = static_cast<PURB>(Moxel_AllocatePool(size));
    if (urb == NULL) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    USBD_VERSION_INFORMATION version;
    USBD_GetUSBDIVersion(&version);
    // Stacks before interface version 0x101 know the pipe request without its last field.
    urb->UrbHeader.Length = static_cast<USHORT>(version.USBDI_Version < 0x101 ? size - 4 : size);
    urb->UrbHeader.Function = Function;
    urb->UrbPipeRequest.PipeHandle = PipeHandle;
    const NTSTATUS status = Moxel_CallUSBD(DeviceObject, urb);
    ExFreePool(urb);
    return status;
}

// The pipe index at the start of a request's input.
BOOLEAN PipeIndexOf(PIRP Irp, ULONG* PipeIndex) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(Irp);
    if (Irp->AssociatedIrp.SystemBuffer == NULL ||
        stack->Parameters.DeviceIoControl.InputBufferLength < sizeof(ULONG)) {
        return FALSE;
    }
    RtlCopyMemory(PipeIndex, Irp->AssociatedIrp.SystemBuffer, sizeof(ULONG));
    return TRUE;
}

BOOLEAN BeginInterfaceChange(PReceiverDeviceExtension extension) {
    const KIRQL old = KfAcquireSpinLock(&extension->StreamLock);
    const BOOLEAN idle = extension->StreamDataRing == NULL && extension->IsoUsers == 0 &&
                         !extension->SelectingInterface;
    if (idle) {
        extension->SelectingInterface = TRUE;
    }
    KfReleaseSpinLock(&extension->StreamLock, old);
    return idle;
}

VOID EndInterfaceChange(PReceiverDeviceExtension extension) {
    const KIRQL old = KfAcquireSpinLock(&extension->StreamLock);
    extension->SelectingInterface = FALSE;
    KfReleaseSpinLock(&extension->StreamLock, old);
}

} // namespace

NTSTATUS Moxel_FindPipe(PDEVICE_OBJECT DeviceObject, ULONG PipeIndex, PUSBD_PIPE_INFORMATION Pipe) {
    PReceiverDeviceExtension extension = ExtensionOf(DeviceObject);
    NTSTATUS status = STATUS_SUCCESS;
    const KIRQL old = KfAcquireSpinLock(&extension->InterfaceLock);
    PUSBD_INTERFACE_INFORMATION info = extension->InterfaceInfo;
    if (info == NULL) {
        status = STATUS_UNSUCCESSFUL;
    } else if (PipeIndex >= info->NumberOfPipes) {
        status = STATUS_INVALID_PARAMETER;
    } else {
        *Pipe = info->Pipes[PipeIndex];
    }
    KfReleaseSpinLock(&extension->InterfaceLock, old);
    return status;
}

VOID Moxel_ReplaceInterfaceInfo(PDEVICE_OBJECT DeviceObject, PUSBD_INTERFACE_INFORMATION Info) {
    PReceiverDeviceExtension extension = ExtensionOf(DeviceObject);
    const KIRQL old = KfAcquireSpinLock(&extension->InterfaceLock);
    PUSBD_INTERFACE_INFORMATION previous = extension->InterfaceInfo;
    extension->InterfaceInfo = Info;
    KfReleaseSpinLock(&extension->InterfaceLock, old);
    // No reader holds it any longer: readers copy what they need under the lock.
    if (previous != NULL) {
        ExFreePool(previous);
    }
}

NTSTATUS Moxel_CopyInterfaceInfo(PDEVICE_OBJECT DeviceObject, PVOID Buffer, ULONG Length,
                                 ULONG* Copied) {
    PReceiverDeviceExtension extension = ExtensionOf(DeviceObject);
    NTSTATUS status = STATUS_SUCCESS;
    *Copied = 0;
    const KIRQL old = KfAcquireSpinLock(&extension->InterfaceLock);
    PUSBD_INTERFACE_INFORMATION info = extension->InterfaceInfo;
    if (info != NULL) {
        if (Length < info->Length) {
            status = STATUS_BUFFER_TOO_SMALL;
        } else {
            RtlCopyMemory(Buffer, info, info->Length);
            *Copied = info->Length;
        }
    }
    KfReleaseSpinLock(&extension->InterfaceLock, old);
    return status;
}

NTSTATUS Moxel_ResetPipe(PDEVICE_OBJECT DeviceObject, ULONG PipeIndex) {
    USBD_PIPE_INFORMATION pipe;
    const NTSTATUS status = Moxel_FindPipe(DeviceObject, PipeIndex, &pipe);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    return PipeRequest(DeviceObject, URB_FUNCTION_SYNC_RESET_PIPE_AND_CLEAR_STALL, pipe.PipeHandle);
}

NTSTATUS Moxel_AbortPipe(PDEVICE_OBJECT DeviceObject, USBD_PIPE_HANDLE PipeHandle) {
    return PipeRequest(DeviceObject, URB_FUNCTION_ABORT_PIPE, PipeHandle);
}

PUSB_CONFIGURATION_DESCRIPTOR GetConfigDescriptor(PDEVICE_OBJECT DeviceObject) {
    ULONG size = 265;
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto* block = static_cast<PUSB_CONFIGURATION_DESCRIPTOR>(Moxel_AllocatePool(size));
        if (block == NULL) {
            return NULL;
        }
        const ULONG received = Moxel_GetConfigDescriptor(DeviceObject, block, size);
        const ULONG total =
            received >= sizeof(USB_CONFIGURATION_DESCRIPTOR) ? block->wTotalLength : 0;
        if (total < sizeof(USB_CONFIGURATION_DESCRIPTOR)) {
            ExFreePool(block);
            return NULL;
        }
        if (total > size && attempt == 0) {
            ExFreePool(block);
            size = total;
            continue;
        }
        if (total > received) {
            ExFreePool(block);
            return NULL;
        }
        return block;
    }
    return NULL;
}

NTSTATUS SetInterface(PDEVICE_OBJECT DeviceObject, UCHAR InterfaceNumber, UCHAR AlternateSetting) {
    PReceiverDeviceExtension extension = ExtensionOf(DeviceObject);
    PUSB_CONFIGURATION_DESCRIPTOR config = GetConfigDescriptor(DeviceObject);
    if (config == NULL) {
        return STATUS_UNSUCCESSFUL;
    }
    PUSB_INTERFACE_DESCRIPTOR interface = USBD_ParseConfigurationDescriptorEx(
        config, config, InterfaceNumber, AlternateSetting, -1, -1, -1);
    if (interface == NULL) {
        ExFreePool(config);
        return STATUS_UNSUCCESSFUL;
    }
    const ULONG pipes = interface->bNumEndpoints;
    const ULONG size = GET_SELECT_INTERFACE_REQUEST_SIZE(pipes > 0 ? pipes : 1);
    auto* urb = static_cast<PURB>(Moxel_AllocatePool(size));
    if (urb == NULL) {
        ExFreePool(config);
        return STATUS_NO_MEMORY;
    }
    urb->UrbHeader.Length = static_cast<USHORT>(size);
    urb->UrbHeader.Function = URB_FUNCTION_SELECT_INTERFACE;
    urb->UrbSelectInterface.ConfigurationHandle = extension->ConfigurationHandle;
    PUSBD_INTERFACE_INFORMATION info = &urb->UrbSelectInterface.Interface;
    info->Length = static_cast<USHORT>(GET_USBD_INTERFACE_SIZE(pipes > 0 ? pipes : 1));
    info->InterfaceNumber = InterfaceNumber;
    info->AlternateSetting = AlternateSetting;
    info->NumberOfPipes = pipes;
    for (ULONG i = 0; i < pipes; ++i) {
        info->Pipes[i].MaximumTransferSize = 0xFFFF;
    }
    NTSTATUS status = Moxel_CallUSBD(DeviceObject, urb);
    if (NT_SUCCESS(status)) {
        // The old setting's pipes are gone on the device: without a copy no interface is left.
        auto* copy = static_cast<PUSBD_INTERFACE_INFORMATION>(
            ExAllocatePoolWithTag(NonPagedPool, info->Length, MOXEL_POOL_TAG));
        if (copy == NULL) {
            status = STATUS_NO_MEMORY;
        } else {
            RtlCopyMemory(copy, info, info->Length);
        }
        Moxel_ReplaceInterfaceInfo(DeviceObject, copy);
    }
    ExFreePool(urb);
    ExFreePool(config);
    return status;
}

NTSTATUS Moxel_Read_Write(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    ULONG index = 0;
    if (!PipeIndexOf(Irp, &index)) {
        return STATUS_INVALID_PARAMETER;
    }
    USBD_PIPE_INFORMATION pipe;
    NTSTATUS status = Moxel_FindPipe(DeviceObject, index, &pipe);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    if (pipe.PipeType != UsbdPipeTypeBulk && pipe.PipeType != UsbdPipeTypeInterrupt) {
        return STATUS_INVALID_PARAMETER;
    }
    if (pipe.PipeHandle == NULL) {
        return STATUS_UNSUCCESSFUL;
    }
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(Irp);
    const ULONG length = stack->Parameters.DeviceIoControl.OutputBufferLength;
    if (length > pipe.MaximumTransferSize) {
        return STATUS_INVALID_PARAMETER;
    }
    const ULONG size = sizeof(struct _URB_BULK_OR_INTERRUPT_TRANSFER);
    auto* urb = static_cast<PURB>(Moxel_AllocatePool(size));
    if (urb == NULL) {
        return STATUS_NO_MEMORY;
    }
    urb->UrbHeader.Length = static_cast<USHORT>(size);
    urb->UrbHeader.Function = URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER;
    urb->UrbBulkOrInterruptTransfer.PipeHandle = pipe.PipeHandle;
    // The direction follows the endpoint, not the control code.
    urb->UrbBulkOrInterruptTransfer.TransferFlags =
        USBD_SHORT_TRANSFER_OK |
        (USB_ENDPOINT_DIRECTION_IN(pipe.EndpointAddress) ? USBD_TRANSFER_DIRECTION_IN : 0);
    urb->UrbBulkOrInterruptTransfer.TransferBufferLength = Irp->MdlAddress != NULL ? length : 0;
    urb->UrbBulkOrInterruptTransfer.TransferBufferMDL = Irp->MdlAddress;
    status = Moxel_CallUSBD(DeviceObject, urb);
    if (NT_SUCCESS(status)) {
        Irp->IoStatus.Information = urb->UrbBulkOrInterruptTransfer.TransferBufferLength;
    }
    ExFreePool(urb);
    return status;
}

NTSTATUS Moxel_PipeRequest(PDEVICE_OBJECT DeviceObject, PIRP Irp, BOOLEAN* Handled) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(Irp);
    auto* buffer = static_cast<PUCHAR>(Irp->AssociatedIrp.SystemBuffer);
    *Handled = TRUE;
    ULONG index = 0;
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_USB_RESET_PIPE:
        if (!PipeIndexOf(Irp, &index)) {
            return STATUS_INVALID_PARAMETER;
        }
        return Moxel_ResetPipe(DeviceObject, index);
    case IOCTL_USB_ABORT_PIPE: {
        if (!PipeIndexOf(Irp, &index)) {
            return STATUS_INVALID_PARAMETER;
        }
        USBD_PIPE_INFORMATION pipe;
        const NTSTATUS status = Moxel_FindPipe(DeviceObject, index, &pipe);
        if (!NT_SUCCESS(status)) {
            return status;
        }
        Moxel_AbortPipe(DeviceObject, pipe.PipeHandle);
        return STATUS_SUCCESS;
    }
    case IOCTL_USB_SELECT_INTERFACE:
        if (buffer == NULL || stack->Parameters.DeviceIoControl.InputBufferLength < 2) {
            return STATUS_INVALID_PARAMETER;
        }
        // A running stream or transfer would go on with the old setting's pipes: the caller
        // stops it first.
        if (!BeginInterfaceChange(ExtensionOf(DeviceObject))) {
            return STATUS_DEVICE_BUSY;
        }
        SetInterface(DeviceObject, buffer[0], buffer[1]);
        EndInterfaceChange(ExtensionOf(DeviceObject));
        return STATUS_SUCCESS;
    case IOCTL_USB_PIPE_READ:
    case IOCTL_USB_PIPE_WRITE:
        return Moxel_Read_Write(DeviceObject, Irp);
    default:
        *Handled = FALSE;
        return STATUS_INVALID_PARAMETER;
    }
}
