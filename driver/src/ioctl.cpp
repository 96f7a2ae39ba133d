// Device control: the common frame of every control code and the two receiver requests.
#include "driver.h"

namespace {

// The receiver requests share one system buffer: 3 bytes of input, 8 bytes for the answer.
const ULONG ReceiverInputLength = sizeof(TReceiverRequest);
const ULONG ReceiverBufferLength = sizeof(TReceiverReply);

BOOLEAN ReceiverBuffersFit(PVOID buffer, ULONG inputLength, ULONG outputLength) {
    const ULONG systemLength = inputLength > outputLength ? inputLength : outputLength;
    return buffer != NULL && inputLength >= ReceiverInputLength &&
           systemLength >= ReceiverBufferLength;
}

ULONG_PTR ClipToOutput(ULONG count, ULONG outputLength) {
    return count < outputLength ? count : outputLength;
}

VOID ReceiverCommand(PDEVICE_OBJECT DeviceObject, PIRP Irp, PUCHAR buffer, ULONG outputLength) {
    const ULONG received = VendorCommand(DeviceObject, buffer[0], buffer[1], buffer[2], buffer);
    Irp->IoStatus.Information = ClipToOutput(received, outputLength);
}

VOID ReceiverLegacy(PDEVICE_OBJECT DeviceObject, PIRP Irp, PUCHAR buffer, ULONG outputLength) {
    const UCHAR v = buffer[1];
    const UCHAR w = buffer[2];
    ULONG count = 0;
    switch (buffer[0]) {
    case 11: {
        VendorCommand(DeviceObject, 2, 0x33, 0, buffer);
        const UCHAR a = buffer[1];
        VendorCommand(DeviceObject, 2, 0x34, 0, buffer);
        const UCHAR b = buffer[1];
        VendorCommand(DeviceObject, 2, 0x7A, 0, buffer);
        const UCHAR c = buffer[1];
        buffer[0] = 0;
        buffer[1] = a;
        buffer[2] = b;
        buffer[3] = c;
        count = 4;
        break;
    }
    case 14:
        VendorCommand(DeviceObject, 3, 0x2C, v, buffer);
        VendorCommand(DeviceObject, 3, 0x2B, 1, buffer);
        buffer[0] = 0;
        buffer[1] = v;
        count = 2;
        break;
    case 20:
        VendorCommand(DeviceObject, 4, v, 0, buffer);
        buffer[0] = 0;
        count = 2;
        break;
    case 21:
        VendorCommand(DeviceObject, 5, v, w, buffer);
        count = 1;
        break;
    case 22:
        VendorCommand(DeviceObject, 2, v, 0, buffer);
        buffer[0] = 0;
        count = 2;
        break;
    case 23:
        VendorCommand(DeviceObject, 3, v, w, buffer);
        count = 1;
        break;
    case 24:
        VendorCommand(DeviceObject, 1, v, 0, buffer);
        buffer[0] = 0;
        count = 2;
        break;
    default:
        break;
    }
    Irp->IoStatus.Information = ClipToOutput(count, outputLength);
}

} // namespace

ULONG VendorCommand(PDEVICE_OBJECT DeviceObject, UCHAR Request, USHORT Value, USHORT Index,
                    PVOID Buffer) {
    const ULONG size = sizeof(struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST);
    auto* urb = static_cast<PURB>(ExAllocatePoolWithTag(NonPagedPool, size, MOXEL_POOL_TAG));
    if (urb == NULL) {
        return 0;
    }
    RtlZeroMemory(urb, size);
    UsbBuildVendorRequest(urb, URB_FUNCTION_VENDOR_ENDPOINT, static_cast<USHORT>(size),
                          USBD_TRANSFER_DIRECTION_IN | USBD_SHORT_TRANSFER_OK, 0, Request, Value,
                          Index, Buffer, NULL, RECEIVER_REPLY_LENGTH, NULL);
    const NTSTATUS status = Moxel_CallUSBD(DeviceObject, urb);
    // A request that never reached the receiver leaves the requested length in the URB.
    const ULONG received =
        NT_SUCCESS(status) ? urb->UrbControlVendorClassRequest.TransferBufferLength : 0;
    ExFreePool(urb);
    return received;
}

NTSTATUS NTAPI Moxel_ProcessIOCTL(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    if (!LockDevice(DeviceObject)) {
        return CompleteRequest(Irp, STATUS_DELETE_PENDING, 0);
    }
    Irp->IoStatus.Status = STATUS_SUCCESS;
    Irp->IoStatus.Information = 0;

    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(Irp);
    auto* buffer = static_cast<PUCHAR>(Irp->AssociatedIrp.SystemBuffer);
    const ULONG inputLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    const ULONG outputLength = stack->Parameters.DeviceIoControl.OutputBufferLength;

    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_RECEIVER_COMMAND:
        if (!ReceiverBuffersFit(buffer, inputLength, outputLength)) {
            Irp->IoStatus.Status = STATUS_BUFFER_TOO_SMALL;
            break;
        }
        ReceiverCommand(DeviceObject, Irp, buffer, outputLength);
        break;
    case IOCTL_RECEIVER_LEGACY:
        if (!ReceiverBuffersFit(buffer, inputLength, outputLength)) {
            Irp->IoStatus.Status = STATUS_BUFFER_TOO_SMALL;
            break;
        }
        ReceiverLegacy(DeviceObject, Irp, buffer, outputLength);
        break;
    default: {
        // The general codes; the handlers store their information themselves.
        static NTSTATUS (*const handlers[])(PDEVICE_OBJECT, PIRP, BOOLEAN*) = {
            Moxel_GeneralRequest, Moxel_PipeRequest, Moxel_DownloadRequest, Moxel_IsoRequest};
        NTSTATUS status = STATUS_INVALID_PARAMETER;
        for (auto* handler : handlers) {
            BOOLEAN handled = FALSE;
            status = handler(DeviceObject, Irp, &handled);
            if (handled) {
                break;
            }
        }
        Irp->IoStatus.Status = status;
        break;
    }
    }

    UnlockDevice(DeviceObject);
    const NTSTATUS status = Irp->IoStatus.Status;
    IoCompleteRequest(Irp, IO_NO_INCREMENT);
    return status;
}
