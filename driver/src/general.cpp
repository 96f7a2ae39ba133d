// General device-control requests: descriptors, vendor and class requests, frame number, port
// reset, last status and version, each with the buffer lengths it relies on checked first.
#include "driver.h"

namespace {

PReceiverDeviceExtension ExtensionOf(PDEVICE_OBJECT DeviceObject) {
    return static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
}

ULONG ReadDescriptor(PDEVICE_OBJECT DeviceObject, UCHAR Type, UCHAR Index, USHORT LanguageId,
                     PVOID Buffer, ULONG Length) {
    if (Buffer == NULL || Length == 0) {
        return 0;
    }
    const ULONG size = sizeof(struct _URB_CONTROL_DESCRIPTOR_REQUEST);
    auto* urb = static_cast<PURB>(Moxel_AllocatePool(size));
    if (urb == NULL) {
        return 0;
    }
    UsbBuildGetDescriptorRequest(urb, static_cast<USHORT>(size), Type, Index, LanguageId, Buffer,
                                 NULL, Length, NULL);
    const NTSTATUS status = Moxel_CallUSBD(DeviceObject, urb);
    const ULONG received =
        NT_SUCCESS(status) ? urb->UrbControlDescriptorRequest.TransferBufferLength : 0;
    ExFreePool(urb);
    return received;
}

// The URB function of a class or vendor request by (type << 2) | recipient; 0 for none.
USHORT ControlFunction(UCHAR RequestType, UCHAR Recipient) {
    static const USHORT functions[] = {
        URB_FUNCTION_CLASS_DEVICE,    URB_FUNCTION_CLASS_INTERFACE, URB_FUNCTION_CLASS_ENDPOINT,
        URB_FUNCTION_CLASS_OTHER,     URB_FUNCTION_VENDOR_DEVICE,   URB_FUNCTION_VENDOR_INTERFACE,
        URB_FUNCTION_VENDOR_ENDPOINT, URB_FUNCTION_VENDOR_OTHER,
    };
    const ULONG key = (static_cast<ULONG>(RequestType) << 2) | Recipient;
    return key >= 4 && key <= 11 ? functions[key - 4] : 0;
}

} // namespace

ULONG Moxel_GetDeviceDescriptor(PDEVICE_OBJECT DeviceObject, PVOID Buffer) {
    return ReadDescriptor(DeviceObject, USB_DEVICE_DESCRIPTOR_TYPE, 0, 0, Buffer,
                          sizeof(USB_DEVICE_DESCRIPTOR));
}

ULONG Moxel_GetConfigDescriptor(PDEVICE_OBJECT DeviceObject, PVOID Buffer, ULONG Length) {
    return ReadDescriptor(DeviceObject, USB_CONFIGURATION_DESCRIPTOR_TYPE, 0, 0, Buffer, Length);
}

ULONG Moxel_GetStringDescriptor(PDEVICE_OBJECT DeviceObject, UCHAR Index, USHORT LanguageId,
                                PVOID Buffer, ULONG Length) {
    return ReadDescriptor(DeviceObject, USB_STRING_DESCRIPTOR_TYPE, Index, LanguageId, Buffer,
                          Length);
}

ULONG Moxel_VendorRequest(PDEVICE_OBJECT DeviceObject, VendorRequestParams* Params) {
    const ULONG size = sizeof(struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST);
    auto* urb = static_cast<PURB>(Moxel_AllocatePool(size));
    if (urb == NULL) {
        return 0;
    }
    const ULONG length = Params->Length;
    ULONG result = 0;
    if (Params->Direction != 0) {
        // The answer lands in the system buffer, over the parameters.
        UsbBuildVendorRequest(urb, URB_FUNCTION_VENDOR_DEVICE, static_cast<USHORT>(size),
                              USBD_TRANSFER_DIRECTION_IN, 0, Params->Request, Params->Value,
                              Params->Index, Params, NULL, length, NULL);
        const NTSTATUS status = Moxel_CallUSBD(DeviceObject, urb);
        // A request that never reached the device leaves the asked length in the URB.
        if (NT_SUCCESS(status) || USBD_ERROR(urb->UrbHeader.Status)) {
            result = urb->UrbControlVendorClassRequest.TransferBufferLength;
        }
        ExFreePool(urb);
        return result;
    }
    PUCHAR data = NULL;
    if (length != 0) {
        data = static_cast<PUCHAR>(ExAllocatePoolWithTag(NonPagedPool, length, MOXEL_POOL_TAG));
        if (data == NULL) {
            ExFreePool(urb);
            return 0;
        }
        if (length == 1) {
            data[0] = Params->DataByte;
        } else {
            for (ULONG i = 0; i < length; ++i) {
                data[i] = static_cast<UCHAR>(i);
            }
        }
    }
    UsbBuildVendorRequest(urb, URB_FUNCTION_VENDOR_DEVICE, static_cast<USHORT>(size), 0, 0,
                          Params->Request, Params->Value, Params->Index, data, NULL, length, NULL);
    Moxel_CallUSBD(DeviceObject, urb);
    if (data != NULL) {
        ExFreePool(data);
    }
    ExFreePool(urb);
    return result;
}

NTSTATUS Moxel_VendorRequest2(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(Irp);
    const auto* params = static_cast<ControlRequestParams*>(Irp->AssociatedIrp.SystemBuffer);
    if (stack->Parameters.DeviceIoControl.InputBufferLength != sizeof(ControlRequestParams) ||
        params == NULL) {
        return STATUS_INVALID_PARAMETER;
    }
    const USHORT function = ControlFunction(params->RequestType, params->Recipient);
    if (function == 0) {
        return STATUS_INVALID_PARAMETER;
    }
    const ULONG size = sizeof(struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST);
    auto* urb = static_cast<PURB>(Moxel_AllocatePool(size));
    if (urb == NULL) {
        return STATUS_NO_MEMORY;
    }
    const ULONG flags =
        USBD_SHORT_TRANSFER_OK | (params->Direction != 0 ? USBD_TRANSFER_DIRECTION_IN : 0);
    const ULONG length = stack->Parameters.DeviceIoControl.OutputBufferLength;
    // Without a buffer there is no data stage.
    UsbBuildVendorRequest(urb, function, static_cast<USHORT>(size), flags, 0, params->Request,
                          params->Value, params->Index, NULL, Irp->MdlAddress,
                          Irp->MdlAddress != NULL ? length : 0, NULL);
    const NTSTATUS status = Moxel_CallUSBD(DeviceObject, urb);
    if (NT_SUCCESS(status)) {
        Irp->IoStatus.Information = urb->UrbControlVendorClassRequest.TransferBufferLength;
    }
    ExFreePool(urb);
    return status;
}

ULONG Moxel_GetCurrentFrameNumber(PDEVICE_OBJECT DeviceObject) {
    const ULONG size = sizeof(struct _URB_GET_CURRENT_FRAME_NUMBER);
    auto* urb = static_cast<PURB>(Moxel_AllocatePool(size));
    if (urb == NULL) {
        return 0;
    }
    urb->UrbHeader.Length = static_cast<USHORT>(size);
    urb->UrbHeader.Function = URB_FUNCTION_GET_CURRENT_FRAME_NUMBER;
    const NTSTATUS status = Moxel_CallUSBD(DeviceObject, urb);
    const ULONG frame = NT_SUCCESS(status) ? urb->UrbGetCurrentFrameNumber.FrameNumber : 0;
    ExFreePool(urb);
    return frame;
}

NTSTATUS Moxel_ResetParentPort(PDEVICE_OBJECT DeviceObject) {
    PReceiverDeviceExtension extension = ExtensionOf(DeviceObject);
    KEVENT event;
    IO_STATUS_BLOCK ioStatus;
    KeInitializeEvent(&event, NotificationEvent, FALSE);
    PIRP irp =
        IoBuildDeviceIoControlRequest(IOCTL_INTERNAL_USB_RESET_PORT, extension->LowerDeviceObject,
                                      NULL, 0, NULL, 0, TRUE, &event, &ioStatus);
    if (irp == NULL) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    NTSTATUS status = IoCallDriver(extension->LowerDeviceObject, irp);
    if (status == STATUS_PENDING) {
        KeWaitForSingleObject(&event, Executive, KernelMode, FALSE, NULL);
        status = ioStatus.Status;
    }
    return status;
}

NTSTATUS Moxel_GeneralRequest(PDEVICE_OBJECT DeviceObject, PIRP Irp, BOOLEAN* Handled) {
    PReceiverDeviceExtension extension = ExtensionOf(DeviceObject);
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(Irp);
    auto* buffer = static_cast<PUCHAR>(Irp->AssociatedIrp.SystemBuffer);
    const ULONG inputLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    const ULONG outputLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    *Handled = TRUE;

    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_USB_QUERY_INTERFACE: {
        ULONG copied = 0;
        const NTSTATUS status = Moxel_CopyInterfaceInfo(DeviceObject, buffer,
                                                        buffer != NULL ? outputLength : 0, &copied);
        Irp->IoStatus.Information = copied;
        return status;
    }
    case IOCTL_USB_READ_DEVICE_DESCRIPTOR:
        if (buffer == NULL || outputLength < sizeof(USB_DEVICE_DESCRIPTOR)) {
            return STATUS_BUFFER_TOO_SMALL;
        }
        Irp->IoStatus.Information = Moxel_GetDeviceDescriptor(DeviceObject, buffer);
        return STATUS_SUCCESS;
    case IOCTL_USB_READ_CONFIG_DESCRIPTOR:
        Irp->IoStatus.Information = Moxel_GetConfigDescriptor(DeviceObject, buffer, outputLength);
        return STATUS_SUCCESS;
    case IOCTL_USB_VENDOR_REQUEST: {
        if (buffer == NULL || inputLength < sizeof(VendorRequestParams)) {
            return STATUS_INVALID_PARAMETER;
        }
        auto* params = reinterpret_cast<VendorRequestParams*>(buffer);
        // The answer is written over the system buffer and handed back as output.
        if (params->Direction != 0 && outputLength < params->Length) {
            return STATUS_BUFFER_TOO_SMALL;
        }
        const ULONG result = Moxel_VendorRequest(DeviceObject, params);
        if (result != 0) {
            Irp->IoStatus.Information = result;
        }
        return STATUS_SUCCESS;
    }
    case IOCTL_USB_NOP:
        return STATUS_SUCCESS;
    case IOCTL_USB_RESET_PORT:
        Moxel_ResetParentPort(DeviceObject);
        return STATUS_SUCCESS;
    case IOCTL_USB_READ_STRING_DESCRIPTOR: {
        if (buffer == NULL || inputLength < 4) {
            return STATUS_INVALID_PARAMETER;
        }
        if (outputLength == 0) {
            return STATUS_INVALID_PARAMETER;
        }
        const UCHAR index = buffer[0];
        const USHORT language = static_cast<USHORT>(buffer[2] | buffer[3] << 8);
        const ULONG received =
            Moxel_GetStringDescriptor(DeviceObject, index, language, buffer, outputLength);
        if (received == 0) {
            return STATUS_UNSUCCESSFUL;
        }
        Irp->IoStatus.Information = received;
        return STATUS_SUCCESS;
    }
    case IOCTL_USB_READ_FRAME_NUMBER: {
        if (buffer == NULL || outputLength < sizeof(ULONG)) {
            return STATUS_INVALID_PARAMETER;
        }
        const ULONG frame = Moxel_GetCurrentFrameNumber(DeviceObject);
        if (frame == 0) {
            return STATUS_UNSUCCESSFUL;
        }
        RtlCopyMemory(buffer, &frame, sizeof(frame));
        Irp->IoStatus.Information = sizeof(frame);
        return STATUS_SUCCESS;
    }
    case IOCTL_USB_CONTROL_REQUEST:
        return Moxel_VendorRequest2(DeviceObject, Irp);
    case IOCTL_USB_LAST_STATUS: {
        if (buffer == NULL || outputLength < sizeof(LONG)) {
            return STATUS_UNSUCCESSFUL;
        }
        const LONG last = InterlockedCompareExchange(&extension->LastUsbdStatus, 0, 0);
        RtlCopyMemory(buffer, &last, sizeof(last));
        Irp->IoStatus.Information = sizeof(last);
        return STATUS_SUCCESS;
    }
    case IOCTL_USB_DRIVER_VERSION: {
        if (buffer == NULL || outputLength < 6) {
            return STATUS_UNSUCCESSFUL;
        }
        const USHORT version[3] = {1, 1, 0};
        RtlCopyMemory(buffer, version, sizeof(version));
        Irp->IoStatus.Information = sizeof(version);
        return STATUS_SUCCESS;
    }
    default:
        *Handled = FALSE;
        return STATUS_INVALID_PARAMETER;
    }
}
