// The receiver-chain machine.
#include "receiver_machine.h"

#include "kernelsim/pnp.h"

#include <algorithm>

extern "C" NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT DriverObject, PUNICODE_STRING RegistryPath);

namespace driversim {

// Four workers: isochronous completions run on several threads at once.
ReceiverMachine::ReceiverMachine()
    : host_(4), driver_(kernelsim::LoadDriver(DriverEntry, "VarnPlug")) {}

ReceiverMachine::~ReceiverMachine() {
    while (!plugged_.empty()) {
        Unplug(plugged_.back());
    }
    kernelsim::UnloadDriver(driver_);
}

PDEVICE_OBJECT ReceiverMachine::PlugIn(receiversim::Receiver& device, NTSTATUS* addStatus,
                                       NTSTATUS* startStatus) {
    PDEVICE_OBJECT pdo = host_.Attach(device);
    if (pdo == nullptr) {
        for (NTSTATUS* status : {addStatus, startStatus}) {
            if (status != nullptr) {
                *status = STATUS_INSUFFICIENT_RESOURCES;
            }
        }
        return nullptr;
    }
    plugged_.push_back(pdo);
    const NTSTATUS added = kernelsim::AddDevice(driver_, pdo);
    if (addStatus != nullptr) {
        *addStatus = added;
    }
    const NTSTATUS started = NT_SUCCESS(added) ? kernelsim::StartDevice(pdo) : added;
    if (startStatus != nullptr) {
        *startStatus = started;
    }
    return pdo;
}

NTSTATUS ReceiverMachine::Unplug(PDEVICE_OBJECT physicalDeviceObject) {
    NTSTATUS status = STATUS_SUCCESS;
    if (physicalDeviceObject->AttachedDevice != nullptr) {
        status = kernelsim::RemoveDevice(physicalDeviceObject);
    }
    host_.Detach(physicalDeviceObject);
    plugged_.erase(std::remove(plugged_.begin(), plugged_.end(), physicalDeviceObject),
                   plugged_.end());
    return status;
}

} // namespace driversim
