// Device memory downloads: vendor request 0xA0 writes the receiver's RAM, in 512-byte blocks
// from the input or in 64-byte chunks from the caller's buffer.
#include "driver.h"

namespace {

const UCHAR RamWriteRequest = RECEIVER_RAM_WRITE_REQUEST;
const ULONG RamBlockSize = 512;
const ULONG RamChunkSize = 64;

NTSTATUS RamWrite(PDEVICE_OBJECT DeviceObject, PURB Urb, USHORT Address, PUCHAR Data,
                  ULONG Length) {
    const ULONG size = sizeof(struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST);
    RtlZeroMemory(Urb, size);
    UsbBuildVendorRequest(Urb, URB_FUNCTION_VENDOR_DEVICE, static_cast<USHORT>(size), 0, 0,
                          RamWriteRequest, Address, 0, Data, NULL, Length, NULL);
    return Moxel_CallUSBD(DeviceObject, Urb);
}

} // namespace

VOID Moxel_LoadRamBlocks(PDEVICE_OBJECT DeviceObject, PUCHAR Data, ULONG Length) {
    const ULONG blocks = Length / RamBlockSize;
    if (blocks == 0 || Data == NULL) {
        return;
    }
    auto* urb =
        static_cast<PURB>(Moxel_AllocatePool(sizeof(struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST)));
    if (urb == NULL) {
        return;
    }
    for (ULONG i = 0; i < blocks; ++i) {
        RamWrite(DeviceObject, urb, static_cast<USHORT>(i * RamBlockSize), Data + i * RamBlockSize,
                 RamBlockSize);
    }
    ExFreePool(urb);
}

NTSTATUS Moxel_PeltonDownload(PDEVICE_OBJECT DeviceObject, USHORT StartAddress, PUCHAR Data,
                              ULONG Length) {
    if (Length == 0) {
        return STATUS_SUCCESS;
    }
    auto* urb =
        static_cast<PURB>(Moxel_AllocatePool(sizeof(struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST)));
    if (urb == NULL) {
        return STATUS_NO_MEMORY;
    }
    const ULONG chunks = (Length + RamChunkSize - 1) / RamChunkSize;
    NTSTATUS status = STATUS_SUCCESS;
    for (ULONG i = 0; i < chunks; ++i) {
        const ULONG offset = i * RamChunkSize;
        const ULONG chunk = Length - offset < RamChunkSize ? Length - offset : RamChunkSize;
        status = RamWrite(DeviceObject, urb, static_cast<USHORT>(StartAddress + offset),
                          Data + offset, chunk);
        if (!NT_SUCCESS(status)) {
            break;
        }
    }
    ExFreePool(urb);
    return status;
}

NTSTATUS Moxel_DownloadRequest(PDEVICE_OBJECT DeviceObject, PIRP Irp, BOOLEAN* Handled) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(Irp);
    auto* buffer = static_cast<PUCHAR>(Irp->AssociatedIrp.SystemBuffer);
    const ULONG inputLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    const ULONG outputLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    *Handled = TRUE;
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_USB_LOAD_RAM_BLOCKS:
        Moxel_LoadRamBlocks(DeviceObject, buffer, inputLength);
        return STATUS_SUCCESS;
    case IOCTL_USB_LOAD_RAM:
        if (inputLength == sizeof(USHORT) && buffer != NULL && outputLength != 0 &&
            Irp->MdlAddress != NULL) {
            auto* data = static_cast<PUCHAR>(MmGetSystemAddressForMdl(Irp->MdlAddress));
            const USHORT start = static_cast<USHORT>(buffer[0] | buffer[1] << 8);
            if (data != NULL) {
                Moxel_PeltonDownload(DeviceObject, start, data, outputLength);
            }
        }
        return STATUS_SUCCESS;
    default:
        *Handled = FALSE;
        return STATUS_INVALID_PARAMETER;
    }
}
