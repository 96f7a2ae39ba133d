// Power requests: every one is passed down as it came, with success preset.
#include "driver.h"

NTSTATUS NTAPI Moxel_DispatchPower(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    auto* extension = static_cast<PReceiverDeviceExtension>(DeviceObject->DeviceExtension);
    Irp->IoStatus.Status = STATUS_SUCCESS;
    Irp->IoStatus.Information = 0;
    IoCopyCurrentIrpStackLocationToNext(Irp);
    PoStartNextPowerIrp(Irp);
    return PoCallDriver(extension->LowerDeviceObject, Irp);
}
