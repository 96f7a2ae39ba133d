// USB requests: synchronous URB submission and the device's configuration.
#include "driver.h"

PVOID Moxel_AllocatePool(SIZE_T size) {
    PVOID block = ExAllocatePoolWithTag(NonPagedPool, size, MOXEL_POOL_TAG);
    if (block != NULL) {
        // Bytes a device leaves undelivered read as 0, never as stale pool.
        RtlZeroMemory(block, size);
    }
    return block;
}

NTSTATUS Moxel_CallUSBD(PDEVICE_OBJECT DeviceObject, PURB Urb) {
    auto* extension = static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
    KEVENT event;
    IO_STATUS_BLOCK ioStatus;
    KeInitializeEvent(&event, NotificationEvent, FALSE);
    PIRP irp =
        IoBuildDeviceIoControlRequest(IOCTL_INTERNAL_USB_SUBMIT_URB, extension->LowerDeviceObject,
                                      NULL, 0, NULL, 0, TRUE, &event, &ioStatus);
    if (irp == NULL) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    IoGetNextIrpStackLocation(irp)->Parameters.Others.Argument1 = Urb;

    NTSTATUS status = IoCallDriver(extension->LowerDeviceObject, irp);
    if (status == STATUS_PENDING) {
        KeWaitForSingleObject(&event, Executive, KernelMode, FALSE, NULL);
        status = ioStatus.Status;
    }
    if (USBD_ERROR(Urb->UrbHeader.Status)) {
        // Requests on other threads may fail at the same time.
        InterlockedExchange(&extension->LastUsbdStatus, static_cast<LONG>(Urb->UrbHeader.Status));
        if (NT_SUCCESS(status)) {
            status = STATUS_UNSUCCESSFUL;
        }
    }
    return status;
}

NTSTATUS Moxel_StartDevice(PDEVICE_OBJECT DeviceObject) {
    auto* extension = static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
    const ULONG urbSize = sizeof(struct _URB_CONTROL_DESCRIPTOR_REQUEST);
    auto* urb = static_cast<PURB>(Moxel_AllocatePool(urbSize));
    if (urb == NULL) {
        return STATUS_NO_MEMORY;
    }
    auto* descriptor =
        static_cast<PUSB_DEVICE_DESCRIPTOR>(Moxel_AllocatePool(sizeof(USB_DEVICE_DESCRIPTOR)));
    if (descriptor == NULL) {
        ExFreePool(urb);
        return STATUS_NO_MEMORY;
    }
    UsbBuildGetDescriptorRequest(urb, static_cast<USHORT>(urbSize), USB_DEVICE_DESCRIPTOR_TYPE, 0,
                                 0, descriptor, NULL, sizeof(USB_DEVICE_DESCRIPTOR), NULL);
    NTSTATUS status = Moxel_CallUSBD(DeviceObject, urb);
    ExFreePool(urb);

    // A start after a stop replaces the copy of the first start.
    if (extension->DeviceDescriptor != NULL) {
        ExFreePool(extension->DeviceDescriptor);
        extension->DeviceDescriptor = NULL;
    }
    if (!NT_SUCCESS(status)) {
        ExFreePool(descriptor);
        return status;
    }
    extension->DeviceDescriptor = descriptor;
    return Moxel_ConfigureDevice(DeviceObject);
}

NTSTATUS Moxel_ConfigureDevice(PDEVICE_OBJECT DeviceObject) {
    const ULONG urbSize = sizeof(struct _URB_CONTROL_DESCRIPTOR_REQUEST);
    auto* urb = static_cast<PURB>(Moxel_AllocatePool(urbSize));
    if (urb == NULL) {
        return STATUS_NO_MEMORY;
    }
    auto* head = static_cast<PUSB_CONFIGURATION_DESCRIPTOR>(
        Moxel_AllocatePool(sizeof(USB_CONFIGURATION_DESCRIPTOR)));
    if (head == NULL) {
        ExFreePool(urb);
        return STATUS_NO_MEMORY;
    }
    UsbBuildGetDescriptorRequest(urb, static_cast<USHORT>(urbSize),
                                 USB_CONFIGURATION_DESCRIPTOR_TYPE, 0, 0, head, NULL,
                                 sizeof(USB_CONFIGURATION_DESCRIPTOR), NULL);
    NTSTATUS status = Moxel_CallUSBD(DeviceObject, urb);
    const ULONG headLength = urb->UrbControlDescriptorRequest.TransferBufferLength;
    const ULONG totalLength = head->wTotalLength;
    ExFreePool(head);
    if (NT_SUCCESS(status) && (headLength < sizeof(USB_CONFIGURATION_DESCRIPTOR) ||
                               totalLength < sizeof(USB_CONFIGURATION_DESCRIPTOR))) {
        status = STATUS_DEVICE_DATA_ERROR;
    }
    if (!NT_SUCCESS(status)) {
        ExFreePool(urb);
        return status;
    }

    const ULONG bufferLength = totalLength + 16;
    auto* config = static_cast<PUSB_CONFIGURATION_DESCRIPTOR>(Moxel_AllocatePool(bufferLength));
    if (config == NULL) {
        ExFreePool(urb);
        return STATUS_NO_MEMORY;
    }
    UsbBuildGetDescriptorRequest(urb, static_cast<USHORT>(urbSize),
                                 USB_CONFIGURATION_DESCRIPTOR_TYPE, 0, 0, config, NULL,
                                 bufferLength, NULL);
    status = Moxel_CallUSBD(DeviceObject, urb);
    if (NT_SUCCESS(status)) {
        // The parse stays within what the device delivered, whatever its header claims.
        const ULONG received = urb->UrbControlDescriptorRequest.TransferBufferLength;
        if (received < sizeof(USB_CONFIGURATION_DESCRIPTOR)) {
            status = STATUS_DEVICE_DATA_ERROR;
        } else {
            if (config->wTotalLength > received) {
                config->wTotalLength = static_cast<USHORT>(received);
            }
            status = Moxel_SelectInterfaces(DeviceObject, config);
        }
    }
    ExFreePool(urb);
    ExFreePool(config);
    return status;
}

NTSTATUS Moxel_SelectInterfaces(PDEVICE_OBJECT DeviceObject,
                                PUSB_CONFIGURATION_DESCRIPTOR ConfigurationDescriptor) {
    auto* extension = static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
    PUSB_INTERFACE_DESCRIPTOR interface = USBD_ParseConfigurationDescriptorEx(
        ConfigurationDescriptor, ConfigurationDescriptor, -1, -1, -1, -1, -1);
    if (interface == NULL) {
        return STATUS_DEVICE_DATA_ERROR;
    }
    USBD_INTERFACE_LIST_ENTRY interfaceList[2] = {{interface, NULL}, {NULL, NULL}};
    PURB urb = USBD_CreateConfigurationRequestEx(ConfigurationDescriptor, interfaceList);
    if (urb == NULL) {
        return STATUS_NO_MEMORY;
    }
    PUSBD_INTERFACE_INFORMATION info = interfaceList[0].Interface;
    for (ULONG i = 0; i < interface->bNumEndpoints; ++i) {
        info->Pipes[i].MaximumTransferSize = 0xFFFF;
    }
    NTSTATUS status = Moxel_CallUSBD(DeviceObject, urb);
    if (NT_SUCCESS(status) && USBD_SUCCESS(urb->UrbHeader.Status)) {
        extension->ConfigurationHandle = urb->UrbSelectConfiguration.ConfigurationHandle;
        auto* copy = static_cast<PUSBD_INTERFACE_INFORMATION>(
            ExAllocatePoolWithTag(NonPagedPool, info->Length, MOXEL_POOL_TAG));
        if (copy == NULL) {
            status = STATUS_NO_MEMORY;
        } else {
            RtlCopyMemory(copy, info, info->Length);
            Moxel_ReplaceInterfaceInfo(DeviceObject, copy);
        }
    }
    ExFreePool(urb);
    return status;
}
