// Isochronous transfers: transfer objects that carry FramesPerBuffer packets per request, and the
// blocking transfer of a fixed number of packets into or out of the caller's buffer.
#include "driver.h"

namespace {

PReceiverDeviceExtension ExtensionOf(PDEVICE_OBJECT DeviceObject) {
    return static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
}

ULONG IsoUrbSize(ULONG FramesPerBuffer) {
    return static_cast<ULONG>(GET_ISO_URB_SIZE(FramesPerBuffer));
}

} // namespace

BOOLEAN Moxel_BeginIsoUse(PReceiverDeviceExtension Extension) {
    const KIRQL old = KfAcquireSpinLock(&Extension->StreamLock);
    const BOOLEAN allowed = !Extension->SelectingInterface;
    if (allowed) {
        ++Extension->IsoUsers;
    }
    KfReleaseSpinLock(&Extension->StreamLock, old);
    return allowed;
}

VOID Moxel_EndIsoUse(PReceiverDeviceExtension Extension) {
    const KIRQL old = KfAcquireSpinLock(&Extension->StreamLock);
    --Extension->IsoUsers;
    KfReleaseSpinLock(&Extension->StreamLock, old);
}

IsoStreamContext* Moxel_NewIsoContext(PDEVICE_OBJECT DeviceObject, const IsoTransferParams* Params,
                                      const USBD_PIPE_INFORMATION* Pipe,
                                      PIO_COMPLETION_ROUTINE Completion) {
    auto* context = static_cast<IsoStreamContext*>(Moxel_AllocatePool(sizeof(IsoStreamContext)));
    if (context != NULL) {
        context->DeviceObject = DeviceObject;
        context->PacketSize = Params->PacketSize;
        context->PacketCount = Params->PacketCount;
        // A copy: selecting another interface frees the pipe information the stream came from.
        context->Pipe = *Pipe;
        context->PipeInfo = &context->Pipe;
        context->FramesPerBuffer = Params->FramesPerBuffer;
        context->BufferCount = Params->BufferCount;
        context->Completion = Completion;
    }
    return context;
}

// The URB's length field is 16 bits wide: the packets of the largest request must fit in it.
static_assert(GET_ISO_URB_SIZE(ISO_MAX_FRAMES_PER_BUFFER) <= 0xFFFF,
              "an isochronous URB of the most frames fits its length field");

NTSTATUS Moxel_IsoPipeChecks(PDEVICE_OBJECT DeviceObject, const IsoTransferParams* Params,
                             PUSBD_PIPE_INFORMATION Pipe) {
    const NTSTATUS status = Moxel_FindPipe(DeviceObject, Params->PipeNum, Pipe);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    if (Pipe->PipeType != UsbdPipeTypeIsochronous) {
        return STATUS_INVALID_PARAMETER;
    }
    if (Pipe->PipeHandle == NULL) {
        return STATUS_UNSUCCESSFUL;
    }
    // Any program that opens the device may ask: what it asks must not exhaust the pool.
    if (Params->FramesPerBuffer == 0 || Params->FramesPerBuffer > ISO_MAX_FRAMES_PER_BUFFER ||
        Params->BufferCount > ISO_MAX_BUFFER_COUNT || Params->PacketCount > ISO_MAX_PACKET_COUNT) {
        return STATUS_INVALID_PARAMETER;
    }
    return STATUS_SUCCESS;
}

VOID Moxel_BuildIsoRequest(IsoTransferContext* Object) {
    IsoStreamContext* context = Object->Stream;
    const ULONG frames = context->FramesPerBuffer;
    const ULONG packetSize = context->PacketSize;
    PURB urb = Object->Urb;
    const ULONG urbSize = IsoUrbSize(frames);
    RtlZeroMemory(urb, urbSize);
    urb->UrbHeader.Length = static_cast<USHORT>(urbSize);
    urb->UrbHeader.Function = URB_FUNCTION_ISOCH_TRANSFER;
    urb->UrbIsochronousTransfer.PipeHandle = context->PipeInfo->PipeHandle;
    urb->UrbIsochronousTransfer.TransferFlags =
        USBD_START_ISO_TRANSFER_ASAP | USBD_SHORT_TRANSFER_OK |
        (USB_ENDPOINT_DIRECTION_IN(context->PipeInfo->EndpointAddress) ? USBD_TRANSFER_DIRECTION_IN
                                                                       : 0);
    urb->UrbIsochronousTransfer.TransferBufferLength = frames * packetSize;
    urb->UrbIsochronousTransfer.TransferBuffer =
        context->TransferBuffer + static_cast<SIZE_T>(Object->FirstPacket) * packetSize;
    urb->UrbIsochronousTransfer.NumberOfPackets = frames;
    for (ULONG k = 0; k < frames; ++k) {
        urb->UrbIsochronousTransfer.IsoPacket[k].Offset = k * packetSize;
        urb->UrbIsochronousTransfer.IsoPacket[k].Length = packetSize;
    }

    PDEVICE_OBJECT lower = ExtensionOf(context->DeviceObject)->LowerDeviceObject;
    const CCHAR stackSize = static_cast<CCHAR>(lower->StackSize + 1);
    PIRP irp = Object->Irp;
    IoInitializeIrp(irp, IoSizeOfIrp(stackSize), stackSize);
    // The driver's own location names the device its completion routine is called for.
    IoSetNextIrpStackLocation(irp);
    IoGetCurrentIrpStackLocation(irp)->DeviceObject = context->DeviceObject;
    PIO_STACK_LOCATION next = IoGetNextIrpStackLocation(irp);
    next->MajorFunction = IRP_MJ_INTERNAL_DEVICE_CONTROL;
    next->Parameters.DeviceIoControl.IoControlCode = IOCTL_INTERNAL_USB_SUBMIT_URB;
    next->Parameters.Others.Argument1 = urb;
    IoSetCompletionRoutine(irp, context->Completion, Object, TRUE, TRUE, TRUE);
}

NTSTATUS InitTransferObject(IsoStreamContext* Context, ULONG ObjectIndex) {
    IsoTransferContext* object = &Context->TransferObjects[ObjectIndex];
    object->Stream = Context;
    object->FirstPacket = ObjectIndex * Context->FramesPerBuffer;
    KeInitializeEvent(&object->DoneEvent, NotificationEvent, FALSE);
    object->Urb = static_cast<PURB>(Moxel_AllocatePool(IsoUrbSize(Context->FramesPerBuffer)));
    if (object->Urb == NULL) {
        return STATUS_NO_MEMORY;
    }
    PDEVICE_OBJECT lower = ExtensionOf(Context->DeviceObject)->LowerDeviceObject;
    object->Irp = IoAllocateIrp(static_cast<CCHAR>(lower->StackSize + 1), FALSE);
    if (object->Irp == NULL) {
        ExFreePool(object->Urb);
        object->Urb = NULL;
        return STATUS_NO_MEMORY;
    }
    Moxel_BuildIsoRequest(object);
    return STATUS_SUCCESS;
}

VOID Moxel_FreeTransferObjects(IsoStreamContext* Context) {
    if (Context->TransferObjects == NULL) {
        return;
    }
    for (ULONG i = 0; i < Context->BufferCount; ++i) {
        IsoTransferContext* object = &Context->TransferObjects[i];
        if (object->Irp != NULL) {
            IoFreeIrp(object->Irp);
        }
        if (object->Urb != NULL) {
            ExFreePool(object->Urb);
        }
    }
    ExFreePool(Context->TransferObjects);
    Context->TransferObjects = NULL;
}

NTSTATUS NTAPI IsoTransferComplete(PDEVICE_OBJECT, PIRP Irp, PVOID Context) {
    auto* object = static_cast<IsoTransferContext*>(Context);
    IsoStreamContext* context = object->Stream;
    const ULONG frames = context->FramesPerBuffer;
    // Each packet's status stands in its descriptor; the request's own status is not examined.
    RtlCopyMemory(context->DescriptorArea +
                      static_cast<SIZE_T>(object->FirstPacket) * sizeof(USBD_ISO_PACKET_DESCRIPTOR),
                  object->Urb->UrbIsochronousTransfer.IsoPacket,
                  frames * sizeof(USBD_ISO_PACKET_DESCRIPTOR));
    object->FirstPacket += frames * context->BufferCount;
    if (object->FirstPacket < context->PacketCount) {
        Moxel_BuildIsoRequest(object);
        IoCallDriver(ExtensionOf(context->DeviceObject)->LowerDeviceObject, Irp);
    } else {
        IoFreeIrp(Irp);
        ExFreePool(object->Urb);
        object->Irp = NULL;
        object->Urb = NULL;
        KeSetEvent(&object->DoneEvent, EVENT_INCREMENT, FALSE);
    }
    return STATUS_MORE_PROCESSING_REQUIRED;
}

namespace {

// Moves every packet of the transfer through the lower device and waits for the last.
NTSTATUS TransferPackets(PDEVICE_OBJECT DeviceObject, const IsoTransferParams* params,
                         const USBD_PIPE_INFORMATION* pipe, PUCHAR buffer) {
    auto* context = Moxel_NewIsoContext(DeviceObject, params, pipe, IsoTransferComplete);
    if (context == NULL) {
        return STATUS_NO_MEMORY;
    }
    context->TransferBuffer = buffer;
    context->TransferBufferLength = params->PacketCount * params->PacketSize;
    context->DescriptorArea = buffer + context->TransferBufferLength;
    context->TransferObjects = static_cast<IsoTransferContext*>(
        Moxel_AllocatePool(sizeof(IsoTransferContext) * static_cast<SIZE_T>(params->BufferCount)));
    if (context->TransferObjects == NULL) {
        ExFreePool(context);
        return STATUS_NO_MEMORY;
    }
    for (ULONG i = 0; i < context->BufferCount; ++i) {
        const NTSTATUS status = InitTransferObject(context, i);
        if (!NT_SUCCESS(status)) {
            Moxel_FreeTransferObjects(context);
            ExFreePool(context);
            return status;
        }
    }
    PDEVICE_OBJECT lower = ExtensionOf(DeviceObject)->LowerDeviceObject;
    for (ULONG i = 0; i < context->BufferCount; ++i) {
        IoCallDriver(lower, context->TransferObjects[i].Irp);
    }
    for (ULONG i = 0; i < context->BufferCount; ++i) {
        KeWaitForSingleObject(&context->TransferObjects[i].DoneEvent, Executive, KernelMode, FALSE,
                              NULL);
    }
    Moxel_FreeTransferObjects(context);
    ExFreePool(context);
    return STATUS_SUCCESS;
}

// The checks of a transfer's request, then its packets.
NTSTATUS StartTransfer(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(Irp);
    const auto* params = static_cast<const IsoTransferParams*>(Irp->AssociatedIrp.SystemBuffer);
    USBD_PIPE_INFORMATION pipe;
    NTSTATUS status = Moxel_IsoPipeChecks(DeviceObject, params, &pipe);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    const ULONGLONG perRound =
        static_cast<ULONGLONG>(params->BufferCount) * params->FramesPerBuffer;
    // A transfer of no packets has no buffer to move.
    if (perRound == 0 || params->PacketCount == 0 || params->PacketCount % perRound != 0) {
        return STATUS_INVALID_PARAMETER;
    }
    const ULONGLONG needed =
        (static_cast<ULONGLONG>(params->PacketSize) + sizeof(USBD_ISO_PACKET_DESCRIPTOR)) *
        params->PacketCount;
    if (stack->Parameters.DeviceIoControl.OutputBufferLength < needed || Irp->MdlAddress == NULL) {
        return STATUS_UNSUCCESSFUL;
    }
    auto* buffer = static_cast<PUCHAR>(MmGetSystemAddressForMdl(Irp->MdlAddress));
    if (buffer == NULL) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    return TransferPackets(DeviceObject, params, &pipe, buffer);
}

} // namespace

NTSTATUS Moxel_StartIsoTransfer(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(Irp);
    if (Irp->AssociatedIrp.SystemBuffer == NULL ||
        stack->Parameters.DeviceIoControl.InputBufferLength < sizeof(IsoTransferParams)) {
        return STATUS_INVALID_PARAMETER;
    }
    // From the pipe lookup to the last packet no selection may free the pipe.
    PReceiverDeviceExtension extension = ExtensionOf(DeviceObject);
    if (!Moxel_BeginIsoUse(extension)) {
        return STATUS_DEVICE_BUSY;
    }
    const NTSTATUS status = StartTransfer(DeviceObject, Irp);
    Moxel_EndIsoUse(extension);
    return status;
}
