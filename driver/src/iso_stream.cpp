// The isochronous stream: transfer objects resubmitted from their completions, packets collected
// into the data and descriptor rings, read by the caller until the stream stops.
#include "driver.h"

namespace {

PReceiverDeviceExtension ExtensionOf(PDEVICE_OBJECT DeviceObject) {
    return static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
}

VOID FreeStreamContext(IsoStreamContext* Context) {
    Moxel_FreeTransferObjects(Context);
    if (Context->DataRing != NULL) {
        FreeRingBuffer(Context->DataRing);
    }
    if (Context->DescriptorRing != NULL) {
        FreeRingBuffer(Context->DescriptorRing);
    }
    if (Context->TransferBuffer != NULL) {
        ExFreePool(Context->TransferBuffer);
    }
    ExFreePool(Context);
}

// The last object of the stream has ended: the rings leave the extension, then everything goes.
VOID EndStream(IsoStreamContext* Context) {
    PDEVICE_OBJECT device = Context->DeviceObject;
    PReceiverDeviceExtension extension = ExtensionOf(device);
    const KIRQL old = KfAcquireSpinLock(&extension->StreamLock);
    if (extension->StreamDataRing == Context->DataRing) {
        extension->StreamDataRing = NULL;
        extension->StreamDescriptorRing = NULL;
    }
    KfReleaseSpinLock(&extension->StreamLock, old);
    FreeStreamContext(Context);
    // The stream held the device like a request in progress: removal waits for its end.
    UnlockDevice(device);
}

} // namespace

NTSTATUS NTAPI IsoStreamTransferComplete(PDEVICE_OBJECT, PIRP Irp, PVOID Context) {
    auto* object = static_cast<IsoTransferContext*>(Context);
    IsoStreamContext* context = object->Stream;
    PReceiverDeviceExtension extension = ExtensionOf(context->DeviceObject);
    PURB urb = object->Urb;
    const ULONG frames = context->FramesPerBuffer;
    const BOOLEAN failed = !NT_SUCCESS(Irp->IoStatus.Status) || USBD_ERROR(urb->UrbHeader.Status);
    // A cancelled request never ran: its packets carry nothing to deliver.
    if (Irp->IoStatus.Status != STATUS_CANCELLED) {
        const ULONG descriptorBytes = frames * sizeof(USBD_ISO_PACKET_DESCRIPTOR);
        const ULONG dataBytes = frames * context->PacketSize;
        const KIRQL old = KfAcquireSpinLock(&context->WriteLock);
        // Both blocks or neither: a block dropped by one ring only would pair every later
        // packet with another packet's descriptor.
        if (RingBufferRoom(context->DescriptorRing) >= descriptorBytes &&
            RingBufferRoom(context->DataRing) >= dataBytes) {
            WriteRingBuffer(context->DescriptorRing,
                            reinterpret_cast<const UCHAR*>(urb->UrbIsochronousTransfer.IsoPacket),
                            descriptorBytes);
            WriteRingBuffer(context->DataRing,
                            context->TransferBuffer +
                                static_cast<SIZE_T>(object->FirstPacket) * context->PacketSize,
                            dataBytes);
        }
        KfReleaseSpinLock(&context->WriteLock, old);
    }
    if (failed || StreamStopped(extension)) {
        IoFreeIrp(Irp);
        ExFreePool(urb);
        object->Irp = NULL;
        object->Urb = NULL;
        if (InterlockedDecrement(&context->PendingTransfers) == 0) {
            EndStream(context);
        }
    } else {
        Moxel_BuildIsoRequest(object);
        IoCallDriver(extension->LowerDeviceObject, Irp);
    }
    return STATUS_MORE_PROCESSING_REQUIRED;
}

namespace {

// The checks of a stream's request, its allocations and its registration.
NTSTATUS StartStream(PDEVICE_OBJECT DeviceObject, const IsoTransferParams* params) {
    PReceiverDeviceExtension extension = ExtensionOf(DeviceObject);
    USBD_PIPE_INFORMATION pipe;
    NTSTATUS status = Moxel_IsoPipeChecks(DeviceObject, params, &pipe);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    // Empty packets, objects or rings would make a stream that moves nothing or never ends.
    if (params->PacketSize == 0 || params->BufferCount == 0 || params->PacketCount == 0) {
        return STATUS_INVALID_PARAMETER;
    }
    // The checks above bound the counts, so these products cannot wrap 64 bits.
    const ULONGLONG transferBytes =
        static_cast<ULONGLONG>(params->PacketSize) * params->FramesPerBuffer * params->BufferCount;
    const ULONGLONG ringBytes =
        static_cast<ULONGLONG>(params->PacketCount) *
        (static_cast<ULONGLONG>(params->PacketSize) + sizeof(USBD_ISO_PACKET_DESCRIPTOR));
    if (transferBytes + ringBytes > ISO_MAX_STREAM_BYTES) {
        return STATUS_INVALID_PARAMETER;
    }

    auto* context = Moxel_NewIsoContext(DeviceObject, params, &pipe, IsoStreamTransferComplete);
    if (context == NULL) {
        return STATUS_NO_MEMORY;
    }
    context->PendingTransfers = static_cast<LONG>(params->BufferCount);
    KeInitializeSpinLock(&context->WriteLock);
    context->TransferBufferLength =
        params->PacketSize * params->FramesPerBuffer * params->BufferCount;
    context->TransferBuffer =
        static_cast<PUCHAR>(Moxel_AllocatePool(context->TransferBufferLength));
    if (context->TransferBuffer != NULL) {
        context->DataRing = AllocRingBuffer(params->PacketCount * params->PacketSize);
    }
    if (context->DataRing != NULL) {
        context->DescriptorRing =
            AllocRingBuffer(params->PacketCount * sizeof(USBD_ISO_PACKET_DESCRIPTOR));
    }
    if (context->DescriptorRing != NULL) {
        context->TransferObjects = static_cast<IsoTransferContext*>(
            Moxel_AllocatePool(sizeof(IsoTransferContext) * params->BufferCount));
    }
    status = context->TransferObjects != NULL ? STATUS_SUCCESS : STATUS_NO_MEMORY;
    for (ULONG i = 0; NT_SUCCESS(status) && i < context->BufferCount; ++i) {
        status = InitTransferObject(context, i);
    }
    if (!NT_SUCCESS(status)) {
        FreeStreamContext(context);
        return status;
    }

    // One stream at a time; none once removal has begun.
    const KIRQL old = KfAcquireSpinLock(&extension->StreamLock);
    if (DeviceRemoving(extension)) {
        status = STATUS_DELETE_PENDING;
    } else if (extension->StreamDataRing != NULL) {
        status = STATUS_DEVICE_BUSY;
    } else {
        extension->StreamDataRing = context->DataRing;
        extension->StreamDescriptorRing = context->DescriptorRing;
        InterlockedIncrement(&extension->PendingIoCount);
        SetStreamStop(extension, FALSE);
    }
    KfReleaseSpinLock(&extension->StreamLock, old);
    if (!NT_SUCCESS(status)) {
        FreeStreamContext(context);
        return status;
    }
    // Once the last object is on its way the stream may end and free the context at any time:
    // nothing of it is read after that.
    const ULONG count = context->BufferCount;
    IsoTransferContext* objects = context->TransferObjects;
    for (ULONG i = 0; i < count; ++i) {
        IoCallDriver(extension->LowerDeviceObject, objects[i].Irp);
    }
    return STATUS_SUCCESS;
}

} // namespace

NTSTATUS Moxel_StartIsoStream(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(Irp);
    const auto* params = static_cast<const IsoTransferParams*>(Irp->AssociatedIrp.SystemBuffer);
    if (params == NULL ||
        stack->Parameters.DeviceIoControl.InputBufferLength < sizeof(IsoTransferParams)) {
        return STATUS_INVALID_PARAMETER;
    }
    // From the pipe lookup to the registration no selection may free the pipe; the registered
    // stream then holds the interface until its end.
    PReceiverDeviceExtension extension = ExtensionOf(DeviceObject);
    if (!Moxel_BeginIsoUse(extension)) {
        return STATUS_DEVICE_BUSY;
    }
    const NTSTATUS status = StartStream(DeviceObject, params);
    Moxel_EndIsoUse(extension);
    return status;
}

NTSTATUS Moxel_ReadIsoStream(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    PReceiverDeviceExtension extension = ExtensionOf(DeviceObject);
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(Irp);
    const auto* params = static_cast<const IsoTransferParams*>(Irp->AssociatedIrp.SystemBuffer);
    if (params == NULL ||
        stack->Parameters.DeviceIoControl.InputBufferLength != sizeof(IsoTransferParams) ||
        params->PacketSize == 0) {
        return STATUS_INVALID_PARAMETER;
    }
    const ULONGLONG expected =
        (static_cast<ULONGLONG>(params->PacketSize) + sizeof(USBD_ISO_PACKET_DESCRIPTOR)) *
        params->PacketCount;
    if (stack->Parameters.DeviceIoControl.OutputBufferLength != expected) {
        return STATUS_INVALID_PARAMETER;
    }
    PUCHAR output = NULL;
    if (expected != 0) {
        if (Irp->MdlAddress == NULL) {
            return STATUS_INVALID_PARAMETER;
        }
        output = static_cast<PUCHAR>(MmGetSystemAddressForMdl(Irp->MdlAddress));
        if (output == NULL) {
            return STATUS_INSUFFICIENT_RESOURCES;
        }
    }
    // Held while reading: the last completion cannot free the rings under the reader, and two
    // readers cannot move OutPtr at once.
    const KIRQL old = KfAcquireSpinLock(&extension->StreamLock);
    RingBuffer* data = extension->StreamDataRing;
    RingBuffer* descriptors = extension->StreamDescriptorRing;
    ULONG n = 0;
    ULONG m = 0;
    const BOOLEAN running = data != NULL && descriptors != NULL;
    if (running && output != NULL) {
        n = ReadRingBuffer(data, output, params->PacketCount * params->PacketSize);
        m = ReadRingBuffer(descriptors, output + n,
                           (n / params->PacketSize) * sizeof(USBD_ISO_PACKET_DESCRIPTOR));
    }
    KfReleaseSpinLock(&extension->StreamLock, old);
    if (!running) {
        return STATUS_UNSUCCESSFUL;
    }
    Irp->IoStatus.Information = n + m;
    return STATUS_SUCCESS;
}

NTSTATUS Moxel_IsoRequest(PDEVICE_OBJECT DeviceObject, PIRP Irp, BOOLEAN* Handled) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(Irp);
    *Handled = TRUE;
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_USB_ISO_READ:
    case IOCTL_USB_ISO_WRITE:
        return Moxel_StartIsoTransfer(DeviceObject, Irp);
    case IOCTL_USB_START_ISO_STREAM:
        return Moxel_StartIsoStream(DeviceObject, Irp);
    case IOCTL_USB_STOP_ISO_STREAM:
        SetStreamStop(ExtensionOf(DeviceObject), TRUE);
        return STATUS_SUCCESS;
    case IOCTL_USB_READ_ISO_STREAM:
        return Moxel_ReadIsoStream(DeviceObject, Irp);
    default:
        *Handled = FALSE;
        return STATUS_INVALID_PARAMETER;
    }
}
