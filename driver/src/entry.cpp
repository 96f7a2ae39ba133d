// Driver entry, create and close, request completion and the count of requests in progress.
#include "driver.h"

extern "C" NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT DriverObject, PUNICODE_STRING) {
    DriverObject->MajorFunction[IRP_MJ_CREATE] = Moxel_Create;
    DriverObject->MajorFunction[IRP_MJ_CLOSE] = Moxel_Close;
    DriverObject->MajorFunction[IRP_MJ_DEVICE_CONTROL] = Moxel_ProcessIOCTL;
    DriverObject->MajorFunction[IRP_MJ_POWER] = Moxel_DispatchPower;
    DriverObject->MajorFunction[IRP_MJ_PNP] = Moxel_DispatchPnp;
    DriverObject->DriverUnload = Moxel_Unload;
    DriverObject->DriverExtension->AddDevice = Moxel_PnPAddDevice;
    return STATUS_SUCCESS;
}

VOID NTAPI Moxel_Unload(PDRIVER_OBJECT) {}

NTSTATUS CompleteRequest(PIRP Irp, NTSTATUS Status, ULONG_PTR Information) {
    Irp->IoStatus.Status = Status;
    Irp->IoStatus.Information = Information;
    IoCompleteRequest(Irp, IO_NO_INCREMENT);
    return Status;
}

NTSTATUS NTAPI Moxel_Create(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    auto* extension = static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
    if (!extension->Started) {
        return CompleteRequest(Irp, STATUS_UNSUCCESSFUL, 0);
    }
    // Opens and closes of several handles run at once on their callers' threads.
    InterlockedIncrement(&extension->OpenCount);
    return CompleteRequest(Irp, STATUS_SUCCESS, 0);
}

NTSTATUS NTAPI Moxel_Close(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    auto* extension = static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
    InterlockedDecrement(&extension->OpenCount);
    return CompleteRequest(Irp, STATUS_SUCCESS, 0);
}

BOOLEAN LockDevice(PDEVICE_OBJECT DeviceObject) {
    auto* extension = static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
    InterlockedIncrement(&extension->PendingIoCount);
    if (DeviceRemoving(extension)) {
        if (InterlockedDecrement(&extension->PendingIoCount) == 0) {
            KeSetEvent(&extension->RemoveEvent, IO_NO_INCREMENT, FALSE);
        }
        return FALSE;
    }
    return TRUE;
}

VOID UnlockDevice(PDEVICE_OBJECT DeviceObject) {
    auto* extension = static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
    if (InterlockedDecrement(&extension->PendingIoCount) == 0) {
        KeSetEvent(&extension->RemoveEvent, IO_NO_INCREMENT, FALSE);
    }
}
