// The simulated USB host controller: a bus driver whose physical device objects serve URBs for
// the simulated devices on its ports, at once or later on worker threads.
#include "kernelsim/usb_host.h"

#include "kernelsim/pnp.h"
#include "kernel_state.h"

#include <usbdlib.h>
#include <usbioctl.h>

#include "win32/clock.h"

#include <algorithm>
#include <cstddef>

namespace kernelsim {

namespace {

struct PdoExtension {
    UsbHostController* controller;
    void* port;
};

NTSTATUS NTAPI BusDriverEntry(PDRIVER_OBJECT, PUNICODE_STRING) {
    return STATUS_SUCCESS;
}

// The endpoint descriptors that follow an interface descriptor, up to the next interface.
std::vector<PUSB_ENDPOINT_DESCRIPTOR> EndpointsOf(PUSB_CONFIGURATION_DESCRIPTOR config,
                                                  PUSB_INTERFACE_DESCRIPTOR interface) {
    std::vector<PUSB_ENDPOINT_DESCRIPTOR> endpoints;
    PUCHAR end = reinterpret_cast<PUCHAR>(config) + config->wTotalLength;
    PUCHAR at = reinterpret_cast<PUCHAR>(interface) + interface->bLength;
    while (at + sizeof(USB_COMMON_DESCRIPTOR) <= end) {
        auto* common = reinterpret_cast<PUSB_COMMON_DESCRIPTOR>(at);
        if (common->bLength < sizeof(USB_COMMON_DESCRIPTOR) || at + common->bLength > end ||
            common->bDescriptorType == USB_INTERFACE_DESCRIPTOR_TYPE) {
            break;
        }
        if (common->bDescriptorType == USB_ENDPOINT_DESCRIPTOR_TYPE &&
            common->bLength >= sizeof(USB_ENDPOINT_DESCRIPTOR)) {
            endpoints.push_back(reinterpret_cast<PUSB_ENDPOINT_DESCRIPTOR>(at));
        }
        at += common->bLength;
    }
    return endpoints;
}

USBD_PIPE_TYPE PipeTypeOf(UCHAR attributes) {
    switch (attributes & USB_ENDPOINT_TYPE_MASK) {
    case USB_ENDPOINT_TYPE_ISOCHRONOUS:
        return UsbdPipeTypeIsochronous;
    case USB_ENDPOINT_TYPE_BULK:
        return UsbdPipeTypeBulk;
    case USB_ENDPOINT_TYPE_INTERRUPT:
        return UsbdPipeTypeInterrupt;
    default:
        return UsbdPipeTypeControl;
    }
}

// bmRequestType of a vendor or class URB function: type and recipient.
bool VendorOrClassRequestType(USHORT function, UCHAR* requestType) {
    switch (function) {
    case URB_FUNCTION_VENDOR_DEVICE:
        *requestType = 0x40;
        return true;
    case URB_FUNCTION_VENDOR_INTERFACE:
        *requestType = 0x41;
        return true;
    case URB_FUNCTION_VENDOR_ENDPOINT:
        *requestType = 0x42;
        return true;
    case URB_FUNCTION_VENDOR_OTHER:
        *requestType = 0x43;
        return true;
    case URB_FUNCTION_CLASS_DEVICE:
        *requestType = 0x20;
        return true;
    case URB_FUNCTION_CLASS_INTERFACE:
        *requestType = 0x21;
        return true;
    case URB_FUNCTION_CLASS_ENDPOINT:
        *requestType = 0x22;
        return true;
    case URB_FUNCTION_CLASS_OTHER:
        *requestType = 0x23;
        return true;
    default:
        return false;
    }
}

// The data area of a transfer URB: its buffer, or the system address of its MDL.
PUCHAR TransferData(PVOID buffer, PMDL mdl) {
    if (buffer == nullptr && mdl != nullptr) {
        return static_cast<PUCHAR>(MmGetSystemAddressForMdl(mdl));
    }
    return static_cast<PUCHAR>(buffer);
}

void CompleteAtDispatchLevel(PIRP irp, NTSTATUS status) {
    const KIRQL old = KfRaiseIrql(DISPATCH_LEVEL);
    irp->IoStatus.Status = status;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    KfLowerIrql(old);
}

} // namespace

UsbTransferResult UsbDevice::DataTransfer(UCHAR, UCHAR*, ULONG) {
    return {USBD_STATUS_STALL_PID, 0};
}

UsbTransferResult UsbDevice::IsoPacket(UCHAR, ULONG, UCHAR*, ULONG) {
    return {USBD_STATUS_NOT_ACCESSED, 0};
}

UsbHostController::UsbHostController(unsigned workerThreads) {
    driver_ = LoadDriver(BusDriverEntry, "usbhost");
    driver_->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = DispatchInternalControl;
    driver_->MajorFunction[IRP_MJ_PNP] = DispatchPnp;
    driver_->MajorFunction[IRP_MJ_POWER] = DispatchPower;
    for (UCHAR major :
         {IRP_MJ_CREATE, IRP_MJ_CLOSE, IRP_MJ_CLEANUP, IRP_MJ_DEVICE_CONTROL, IRP_MJ_READ}) {
        driver_->MajorFunction[major] = DispatchOther;
    }
    for (unsigned i = 0; i < workerThreads; ++i) {
        workers_.emplace_back([this] { Worker(); });
    }
}

UsbHostController::~UsbHostController() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (auto& worker : workers_) {
        worker.join();
    }
    for (auto& port : ports_) {
        if (detail::DeviceAlive(port->pdo)) {
            IoDeleteDevice(port->pdo);
        }
    }
    UnloadDriver(driver_);
}

PDEVICE_OBJECT UsbHostController::Attach(UsbDevice& device) {
    PDEVICE_OBJECT pdo = nullptr;
    const NTSTATUS status =
        IoCreateDevice(driver_, sizeof(PdoExtension), nullptr, FILE_DEVICE_UNKNOWN, 0, FALSE, &pdo);
    if (!NT_SUCCESS(status)) {
        return nullptr;
    }
    auto port = std::make_unique<Port>();
    port->device = &device;
    port->pdo = pdo;
    auto* extension = static_cast<PdoExtension*>(pdo->DeviceExtension);
    extension->controller = this;
    extension->port = port.get();
    pdo->Flags &= ~DO_DEVICE_INITIALIZING;
    pdo->Flags |= DO_BUS_ENUMERATED_DEVICE | DO_POWER_PAGABLE;
    std::lock_guard lock(mutex_);
    ports_.push_back(std::move(port));
    return pdo;
}

void UsbHostController::Detach(PDEVICE_OBJECT physicalDeviceObject) {
    if (physicalDeviceObject->AttachedDevice != nullptr) {
        KeBugCheckEx(DRIVER_VERIFIER_DETECTED_VIOLATION, 0x1004,
                     reinterpret_cast<ULONG_PTR>(physicalDeviceObject), 0, 0);
    }
    IoDeleteDevice(physicalDeviceObject);
    std::lock_guard lock(mutex_);
    std::erase_if(ports_, [&](const auto& port) { return port->pdo == physicalDeviceObject; });
}

void UsbHostController::FailNext(UCHAR majorFunction, UCHAR minorFunction, NTSTATUS status) {
    std::lock_guard lock(mutex_);
    faults_.push_back({majorFunction, minorFunction, status});
}

void UsbHostController::SetPendRequests(bool pend) {
    std::lock_guard lock(mutex_);
    pend_ = pend;
}

void UsbHostController::SetUrbErrorIrpStatus(NTSTATUS status) {
    std::lock_guard lock(mutex_);
    urbErrorIrpStatus_ = status;
}

bool UsbHostController::IsConfigured(PDEVICE_OBJECT physicalDeviceObject) {
    std::lock_guard lock(mutex_);
    return PortOf(physicalDeviceObject)->configured;
}

unsigned UsbHostController::AbortCount(PDEVICE_OBJECT physicalDeviceObject, UCHAR endpointAddress) {
    std::lock_guard lock(mutex_);
    return PortOf(physicalDeviceObject)->aborts[endpointAddress];
}

unsigned UsbHostController::UrbCount(PDEVICE_OBJECT physicalDeviceObject, USHORT function) {
    std::lock_guard lock(mutex_);
    return PortOf(physicalDeviceObject)->urbs[function];
}

unsigned UsbHostController::ResetCount(PDEVICE_OBJECT physicalDeviceObject, UCHAR endpointAddress) {
    std::lock_guard lock(mutex_);
    return PortOf(physicalDeviceObject)->resets[endpointAddress];
}

unsigned UsbHostController::PortResets(PDEVICE_OBJECT physicalDeviceObject) {
    std::lock_guard lock(mutex_);
    return PortOf(physicalDeviceObject)->portResets;
}

unsigned UsbHostController::WaitingOnPipes(PDEVICE_OBJECT physicalDeviceObject) {
    std::lock_guard lock(mutex_);
    return static_cast<unsigned>(PortOf(physicalDeviceObject)->waiting.size());
}

void UsbHostController::WaitForWaitingOnPipes(PDEVICE_OBJECT physicalDeviceObject, unsigned n) {
    std::unique_lock lock(mutex_);
    Port* port = PortOf(physicalDeviceObject);
    changed_.wait(lock, [&] { return port->waiting.size() >= n; });
}

void UsbHostController::SetFrameBase(ULONG base) {
    std::lock_guard lock(mutex_);
    frameBase_ = base;
}

ULONG UsbHostController::CurrentFrame() {
    std::lock_guard lock(mutex_);
    return frameBase_ + GetTickCount();
}

bool UsbHostController::IsIsochronous(PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (stack->MajorFunction != IRP_MJ_INTERNAL_DEVICE_CONTROL ||
        stack->Parameters.DeviceIoControl.IoControlCode != IOCTL_INTERNAL_USB_SUBMIT_URB) {
        return false;
    }
    auto* urb = static_cast<PURB>(stack->Parameters.Others.Argument1);
    return urb != nullptr && urb->UrbHeader.Function == URB_FUNCTION_ISOCH_TRANSFER;
}

void UsbHostController::WaitForPending(unsigned n) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queue_.size() + busy_ >= n; });
}

UsbHostController* UsbHostController::Controller(PDEVICE_OBJECT pdo) {
    return static_cast<PdoExtension*>(pdo->DeviceExtension)->controller;
}

UsbHostController::Port* UsbHostController::PortOf(PDEVICE_OBJECT pdo) {
    return static_cast<Port*>(static_cast<PdoExtension*>(pdo->DeviceExtension)->port);
}

NTSTATUS NTAPI UsbHostController::DispatchInternalControl(PDEVICE_OBJECT pdo, PIRP irp) {
    return Controller(pdo)->Dispatch(pdo, irp);
}

NTSTATUS NTAPI UsbHostController::DispatchPnp(PDEVICE_OBJECT pdo, PIRP irp) {
    return Controller(pdo)->Dispatch(pdo, irp);
}

NTSTATUS NTAPI UsbHostController::DispatchPower(PDEVICE_OBJECT pdo, PIRP irp) {
    PoStartNextPowerIrp(irp);
    return Controller(pdo)->Dispatch(pdo, irp);
}

NTSTATUS NTAPI UsbHostController::DispatchOther(PDEVICE_OBJECT, PIRP irp) {
    irp->IoStatus.Status = STATUS_INVALID_DEVICE_REQUEST;
    irp->IoStatus.Information = 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return STATUS_INVALID_DEVICE_REQUEST;
}

bool UsbHostController::TakeFault(UCHAR major, UCHAR minor, NTSTATUS* status) {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(faults_.begin(), faults_.end(), [&](const Fault& fault) {
        return fault.major == major &&
               (major == IRP_MJ_INTERNAL_DEVICE_CONTROL || fault.minor == minor);
    });
    if (it == faults_.end()) {
        return false;
    }
    *status = it->status;
    faults_.erase(it);
    return true;
}

NTSTATUS UsbHostController::Dispatch(PDEVICE_OBJECT pdo, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    NTSTATUS status;
    if (TakeFault(stack->MajorFunction, stack->MinorFunction, &status)) {
        irp->IoStatus.Status = status;
        irp->IoStatus.Information = 0;
        IoCompleteRequest(irp, IO_NO_INCREMENT);
        return status;
    }
    {
        std::lock_guard lock(mutex_);
        // Isochronous packets always complete later, on the controller's side.
        if (pend_ || IsIsochronous(irp)) {
            IoMarkIrpPending(irp);
            queue_.emplace_back(pdo, irp);
            changed_.notify_all();
            return STATUS_PENDING;
        }
    }
    status = ServeRequest(pdo, irp);
    if (status == STATUS_PENDING) {
        return status; // waits on a pipe
    }
    irp->IoStatus.Status = status;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

void UsbHostController::Worker() {
    for (;;) {
        std::pair<PDEVICE_OBJECT, PIRP> work;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) {
                return;
            }
            work = queue_.front();
            queue_.pop_front();
            ++busy_;
        }
        const NTSTATUS status = ServeRequest(work.first, work.second);
        // Completion comes from the controller's interrupt side, at dispatch level.
        if (status != STATUS_PENDING) {
            CompleteAtDispatchLevel(work.second, status);
        }
        {
            std::lock_guard lock(mutex_);
            --busy_;
        }
        changed_.notify_all();
    }
}

NTSTATUS UsbHostController::ServeRequest(PDEVICE_OBJECT pdo, PIRP irp) {
    Port& port = *PortOf(pdo);
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    switch (stack->MajorFunction) {
    case IRP_MJ_INTERNAL_DEVICE_CONTROL:
        return ServeInternalControl(port, irp);
    case IRP_MJ_PNP:
        return ServePnp(port, irp);
    default: // power
        irp->IoStatus.Information = 0;
        return STATUS_SUCCESS;
    }
}

NTSTATUS UsbHostController::ServeInternalControl(Port& port, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    irp->IoStatus.Information = 0;
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_INTERNAL_USB_SUBMIT_URB: {
        auto* urb = static_cast<PURB>(stack->Parameters.Others.Argument1);
        if (urb == nullptr) {
            return STATUS_INVALID_PARAMETER;
        }
        const USBD_STATUS usbd = ServeUrb(port, urb, irp);
        if (usbd == USBD_STATUS_PENDING) {
            return STATUS_PENDING;
        }
        urb->UrbHeader.Status = usbd;
        if (USBD_SUCCESS(usbd)) {
            return STATUS_SUCCESS;
        }
        std::lock_guard lock(mutex_);
        return urbErrorIrpStatus_;
    }
    case IOCTL_INTERNAL_USB_RESET_PORT: {
        std::lock_guard lock(mutex_);
        ++port.portResets;
        return STATUS_SUCCESS;
    }
    default:
        return STATUS_NOT_SUPPORTED;
    }
}

NTSTATUS UsbHostController::ServePnp(Port& port, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE:
    case IRP_MN_STOP_DEVICE:
        return STATUS_SUCCESS;
    case IRP_MN_REMOVE_DEVICE:
        ReplacePipes(port, {});
        {
            std::lock_guard lock(mutex_);
            port.configured = false;
        }
        return STATUS_SUCCESS;
    case IRP_MN_QUERY_CAPABILITIES: {
        DEVICE_CAPABILITIES* caps = stack->Parameters.DeviceCapabilities.Capabilities;
        if (caps == nullptr || caps->Size < sizeof(DEVICE_CAPABILITIES)) {
            return STATUS_INVALID_PARAMETER;
        }
        caps->Removable = 1;
        caps->Address = 1;
        caps->UINumber = 1;
        for (auto& state : caps->DeviceState) {
            state = PowerDeviceD3;
        }
        caps->DeviceState[PowerSystemWorking] = PowerDeviceD0;
        return STATUS_SUCCESS;
    }
    default:
        // A bus driver leaves requests it does not handle as they came.
        return irp->IoStatus.Status;
    }
}

UsbHostController::Pipe* UsbHostController::FindPipe(Port& port, USBD_PIPE_HANDLE handle) {
    for (auto& pipe : port.pipes) {
        if (pipe->handle == handle) {
            return pipe.get();
        }
    }
    return nullptr;
}

bool UsbHostController::CopyPipe(Port& port, USBD_PIPE_HANDLE handle, Pipe* pipe) {
    std::lock_guard lock(mutex_);
    const Pipe* found = FindPipe(port, handle);
    if (found == nullptr) {
        return false;
    }
    *pipe = *found;
    return true;
}

std::unique_ptr<UsbHostController::Pipe>
UsbHostController::NewPipe(const USB_ENDPOINT_DESCRIPTOR& endpoint) {
    std::lock_guard lock(mutex_);
    // Handles are opaque values to the drivers above, never addresses a new pipe could reuse.
    const auto handle = reinterpret_cast<USBD_PIPE_HANDLE>(++lastPipeHandle_);
    return std::make_unique<Pipe>(Pipe{handle, endpoint.bEndpointAddress,
                                       PipeTypeOf(endpoint.bmAttributes), endpoint.wMaxPacketSize,
                                       endpoint.bInterval});
}

USBD_STATUS UsbHostController::ServeUrb(Port& port, PURB urb, PIRP irp) {
    const USHORT function = urb->UrbHeader.Function;
    {
        std::lock_guard lock(mutex_);
        ++port.urbs[function];
    }
    UCHAR requestType = 0;
    switch (function) {
    case URB_FUNCTION_SELECT_CONFIGURATION:
        if (urb->UrbHeader.Length <
                sizeof(_URB_SELECT_CONFIGURATION) - sizeof(USBD_INTERFACE_INFORMATION) &&
            urb->UrbSelectConfiguration.ConfigurationDescriptor != nullptr) {
            return USBD_STATUS_INVALID_PARAMETER;
        }
        return SelectConfiguration(port, urb->UrbSelectConfiguration);
    case URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE: {
        auto& request = urb->UrbControlDescriptorRequest;
        const UsbSetupPacket setup{
            0x80, USB_REQUEST_GET_DESCRIPTOR,
            USB_DESCRIPTOR_MAKE_TYPE_AND_INDEX(request.DescriptorType, request.Index),
            request.LanguageId,
            static_cast<USHORT>(std::min<ULONG>(request.TransferBufferLength, 0xFFFF))};
        return ControlTransfer(port, setup, request.TransferBuffer, request.TransferBufferMDL,
                               &request.TransferBufferLength, true);
    }
    case URB_FUNCTION_ABORT_PIPE:
        if (urb->UrbHeader.Length < sizeof(_URB_PIPE_REQUEST) - sizeof(ULONG)) {
            return USBD_STATUS_INVALID_PARAMETER;
        }
        return AbortPipe(port, urb->UrbPipeRequest.PipeHandle);
    case URB_FUNCTION_SYNC_RESET_PIPE_AND_CLEAR_STALL: {
        if (urb->UrbHeader.Length < sizeof(_URB_PIPE_REQUEST) - sizeof(ULONG)) {
            return USBD_STATUS_INVALID_PARAMETER;
        }
        std::lock_guard lock(mutex_);
        Pipe* pipe = FindPipe(port, urb->UrbPipeRequest.PipeHandle);
        if (pipe == nullptr) {
            return USBD_STATUS_INVALID_PIPE_HANDLE;
        }
        ++port.resets[pipe->endpointAddress];
        return USBD_STATUS_SUCCESS;
    }
    case URB_FUNCTION_GET_CURRENT_FRAME_NUMBER: {
        std::lock_guard lock(mutex_);
        urb->UrbGetCurrentFrameNumber.FrameNumber = frameBase_ + GetTickCount();
        return USBD_STATUS_SUCCESS;
    }
    case URB_FUNCTION_SELECT_INTERFACE:
        return SelectInterface(port, urb->UrbSelectInterface);
    case URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER:
        return DataTransfer(port, urb, irp);
    case URB_FUNCTION_ISOCH_TRANSFER:
        return IsochronousTransfer(port, urb);
    default:
        if (VendorOrClassRequestType(function, &requestType)) {
            auto& request = urb->UrbControlVendorClassRequest;
            const bool in = USBD_TRANSFER_DIRECTION(request.TransferFlags) != 0;
            const UsbSetupPacket setup{
                static_cast<UCHAR>((in ? 0x80 : 0) | requestType | request.RequestTypeReservedBits),
                request.Request, request.Value, request.Index,
                static_cast<USHORT>(std::min<ULONG>(request.TransferBufferLength, 0xFFFF))};
            return ControlTransfer(port, setup, request.TransferBuffer, request.TransferBufferMDL,
                                   &request.TransferBufferLength,
                                   (request.TransferFlags & USBD_SHORT_TRANSFER_OK) != 0);
        }
        return USBD_STATUS_INVALID_URB_FUNCTION;
    }
}

USBD_STATUS UsbHostController::ControlTransfer(Port& port, const UsbSetupPacket& setup,
                                               PVOID buffer, PMDL mdl, ULONG* transferLength,
                                               bool shortOk) {
    auto* target = static_cast<PUCHAR>(buffer);
    if (target == nullptr && mdl != nullptr) {
        target = static_cast<PUCHAR>(MmGetSystemAddressForMdl(mdl));
    }
    if (target == nullptr && setup.wLength != 0) {
        *transferLength = 0;
        return USBD_STATUS_INVALID_PARAMETER;
    }
    const bool in = (setup.bmRequestType & 0x80) != 0;
    // The device sees its own copy of the data stage: it can never reach past wLength.
    // Never an empty vector: a device may copy 0 bytes to or from it.
    std::vector<UCHAR> data(std::max<ULONG>(setup.wLength, 1));
    if (!in && setup.wLength != 0) {
        RtlCopyMemory(data.data(), target, setup.wLength);
    }
    UsbTransferResult result = port.device->ControlTransfer(setup, data.data());
    result.length = std::min<ULONG>(result.length, setup.wLength);
    if (in && result.length != 0) {
        RtlCopyMemory(target, data.data(), result.length);
    }
    *transferLength = result.length;
    if (USBD_SUCCESS(result.status) && in && !shortOk && result.length < setup.wLength) {
        return USBD_STATUS_ERROR_SHORT_TRANSFER;
    }
    return result.status;
}

std::vector<PIRP> UsbHostController::TakeRequests(Port& port, USBD_PIPE_HANDLE handle) {
    std::vector<PIRP> taken;
    std::erase_if(port.waiting, [&](const auto& entry) {
        if (handle != nullptr && entry.first != handle) {
            return false;
        }
        taken.push_back(entry.second);
        return true;
    });
    std::erase_if(queue_, [&](const auto& entry) {
        if (PortOf(entry.first) != &port || !IsIsochronous(entry.second)) {
            return false;
        }
        auto* urb = static_cast<PURB>(
            IoGetCurrentIrpStackLocation(entry.second)->Parameters.Others.Argument1);
        if (handle != nullptr && urb->UrbIsochronousTransfer.PipeHandle != handle) {
            return false;
        }
        taken.push_back(entry.second);
        return true;
    });
    return taken;
}

void UsbHostController::CompleteCancelled(const std::vector<PIRP>& irps) {
    for (PIRP irp : irps) {
        auto* urb =
            static_cast<PURB>(IoGetCurrentIrpStackLocation(irp)->Parameters.Others.Argument1);
        urb->UrbHeader.Status = USBD_STATUS_CANCELED;
        irp->IoStatus.Information = 0;
        CompleteAtDispatchLevel(irp, STATUS_CANCELLED);
    }
    changed_.notify_all();
}

void UsbHostController::ReplacePipes(Port& port, std::vector<std::unique_ptr<Pipe>> pipes) {
    std::vector<PIRP> cancelled;
    {
        // One step, so that no request can start waiting on an old pipe after its requests
        // were taken.
        std::lock_guard lock(mutex_);
        port.pipes = std::move(pipes);
        cancelled = TakeRequests(port, nullptr);
    }
    CompleteCancelled(cancelled);
}

USBD_STATUS UsbHostController::AbortPipe(Port& port, USBD_PIPE_HANDLE handle) {
    // Requests waiting on the pipe and its isochronous requests not yet served end cancelled.
    std::vector<PIRP> cancelled;
    {
        std::lock_guard lock(mutex_);
        Pipe* pipe = FindPipe(port, handle);
        if (pipe == nullptr) {
            return USBD_STATUS_INVALID_PIPE_HANDLE;
        }
        ++port.aborts[pipe->endpointAddress];
        cancelled = TakeRequests(port, handle);
    }
    CompleteCancelled(cancelled);
    return USBD_STATUS_SUCCESS;
}

USBD_STATUS UsbHostController::DataTransfer(Port& port, PURB urb, PIRP irp) {
    auto& request = urb->UrbBulkOrInterruptTransfer;
    Pipe pipe{};
    if (!CopyPipe(port, request.PipeHandle, &pipe)) {
        return USBD_STATUS_INVALID_PIPE_HANDLE;
    }
    if (pipe.type != UsbdPipeTypeBulk && pipe.type != UsbdPipeTypeInterrupt) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    PUCHAR target = TransferData(request.TransferBuffer, request.TransferBufferMDL);
    if (target == nullptr && request.TransferBufferLength != 0) {
        request.TransferBufferLength = 0;
        return USBD_STATUS_INVALID_PARAMETER;
    }
    const bool in = USB_ENDPOINT_DIRECTION_IN(pipe.endpointAddress) != 0;
    // The device sees its own copy: it can never reach past the transfer length.
    std::vector<UCHAR> data(std::max<ULONG>(request.TransferBufferLength, 1));
    if (!in && request.TransferBufferLength != 0) {
        RtlCopyMemory(data.data(), target, request.TransferBufferLength);
    }
    UsbTransferResult result =
        port.device->DataTransfer(pipe.endpointAddress, data.data(), request.TransferBufferLength);
    if (result.status == USBD_STATUS_PENDING) {
        std::unique_lock lock(mutex_);
        // The pipe went with a new setting while the device was asked: nothing to wait on.
        if (FindPipe(port, pipe.handle) == nullptr) {
            request.TransferBufferLength = 0;
            return USBD_STATUS_INVALID_PIPE_HANDLE;
        }
        IoMarkIrpPending(irp);
        port.waiting.emplace_back(pipe.handle, irp);
        lock.unlock();
        changed_.notify_all();
        return USBD_STATUS_PENDING;
    }
    result.length = std::min<ULONG>(result.length, request.TransferBufferLength);
    if (in && result.length != 0) {
        RtlCopyMemory(target, data.data(), result.length);
    }
    request.TransferBufferLength = result.length;
    return result.status;
}

USBD_STATUS UsbHostController::IsochronousTransfer(Port& port, PURB urb) {
    auto& request = urb->UrbIsochronousTransfer;
    Pipe pipe{};
    if (!CopyPipe(port, request.PipeHandle, &pipe)) {
        return USBD_STATUS_INVALID_PIPE_HANDLE;
    }
    const ULONG frame = CurrentFrame();
    const SIZE_T packetsAt = offsetof(_URB_ISOCH_TRANSFER, IsoPacket);
    if (pipe.type != UsbdPipeTypeIsochronous || request.NumberOfPackets == 0 ||
        urb->UrbHeader.Length < packetsAt ||
        (urb->UrbHeader.Length - packetsAt) / sizeof(USBD_ISO_PACKET_DESCRIPTOR) <
            request.NumberOfPackets) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    PUCHAR target = TransferData(request.TransferBuffer, request.TransferBufferMDL);
    if (target == nullptr) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    request.StartFrame = frame;
    request.ErrorCount = 0;
    const bool in = USB_ENDPOINT_DIRECTION_IN(pipe.endpointAddress) != 0;
    std::vector<UCHAR> data;
    for (ULONG k = 0; k < request.NumberOfPackets; ++k) {
        USBD_ISO_PACKET_DESCRIPTOR& packet = request.IsoPacket[k];
        // An OUT packet's length is set by the driver; an IN packet's is the room it has.
        const ULONG end = k + 1 < request.NumberOfPackets ? request.IsoPacket[k + 1].Offset
                                                          : request.TransferBufferLength;
        ULONG room = in ? (end > packet.Offset ? end - packet.Offset : 0) : packet.Length;
        if (packet.Offset > request.TransferBufferLength ||
            room > request.TransferBufferLength - packet.Offset) {
            packet.Length = 0;
            packet.Status = USBD_STATUS_BUFFER_OVERRUN;
            ++request.ErrorCount;
            continue;
        }
        data.assign(std::max<ULONG>(room, 1), 0);
        if (!in && room != 0) {
            RtlCopyMemory(data.data(), target + packet.Offset, room);
        }
        UsbTransferResult result =
            port.device->IsoPacket(pipe.endpointAddress, frame + k, data.data(), room);
        result.length = std::min(result.length, room);
        if (in && result.length != 0) {
            RtlCopyMemory(target + packet.Offset, data.data(), result.length);
        }
        packet.Length = result.length;
        packet.Status = result.status;
        if (USBD_ERROR(result.status)) {
            ++request.ErrorCount;
        }
    }
    // A request none of whose packets went through failed as a whole.
    return request.ErrorCount == request.NumberOfPackets ? USBD_STATUS_ISOCH_REQUEST_FAILED
                                                         : USBD_STATUS_SUCCESS;
}

USBD_STATUS UsbHostController::SelectInterface(Port& port, _URB_SELECT_INTERFACE& request) {
    const SIZE_T head =
        offsetof(_URB_SELECT_INTERFACE, Interface) + offsetof(USBD_INTERFACE_INFORMATION, Pipes);
    USBD_INTERFACE_INFORMATION& info = request.Interface;
    if (request.Hdr.Length < head || info.Length < offsetof(USBD_INTERFACE_INFORMATION, Pipes) ||
        offsetof(_URB_SELECT_INTERFACE, Interface) + info.Length > request.Hdr.Length ||
        request.ConfigurationHandle != &port) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    // The configuration selected tells the setting's endpoints.
    std::vector<UCHAR> config;
    {
        std::lock_guard lock(mutex_);
        config = port.configuration;
    }
    if (config.size() < sizeof(USB_CONFIGURATION_DESCRIPTOR)) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    ULONG length = 0;
    auto* descriptor = reinterpret_cast<PUSB_CONFIGURATION_DESCRIPTOR>(config.data());
    PUSB_INTERFACE_DESCRIPTOR interface = USBD_ParseConfigurationDescriptorEx(
        descriptor, descriptor, info.InterfaceNumber, info.AlternateSetting, -1, -1, -1);
    if (interface == nullptr) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    const auto endpoints = EndpointsOf(descriptor, interface);
    if (endpoints.size() > (info.Length - offsetof(USBD_INTERFACE_INFORMATION, Pipes)) /
                               sizeof(USBD_PIPE_INFORMATION)) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    const USBD_STATUS status = ControlTransfer(
        port, {0x01, USB_REQUEST_SET_INTERFACE, info.AlternateSetting, info.InterfaceNumber, 0},
        nullptr, nullptr, &length, true);
    if (!USBD_SUCCESS(status)) {
        return status;
    }
    std::vector<std::unique_ptr<Pipe>> pipes;
    info.Class = interface->bInterfaceClass;
    info.SubClass = interface->bInterfaceSubClass;
    info.Protocol = interface->bInterfaceProtocol;
    info.InterfaceHandle = &info;
    info.NumberOfPipes = static_cast<ULONG>(endpoints.size());
    for (std::size_t i = 0; i < endpoints.size(); ++i) {
        auto pipe = NewPipe(*endpoints[i]);
        USBD_PIPE_INFORMATION& out = info.Pipes[i];
        out.MaximumPacketSize = pipe->maximumPacketSize;
        out.EndpointAddress = pipe->endpointAddress;
        out.Interval = pipe->interval;
        out.PipeType = pipe->type;
        out.PipeHandle = pipe->handle;
        pipes.push_back(std::move(pipe));
    }
    // The old setting's pipes go: what waits on them ends cancelled.
    ReplacePipes(port, std::move(pipes));
    return USBD_STATUS_SUCCESS;
}

USBD_STATUS UsbHostController::SelectConfiguration(Port& port, _URB_SELECT_CONFIGURATION& request) {
    PUSB_CONFIGURATION_DESCRIPTOR config = request.ConfigurationDescriptor;
    UCHAR none = 0;
    if (config == nullptr) {
        ULONG length = 0;
        ControlTransfer(port, {0x00, USB_REQUEST_SET_CONFIGURATION, 0, 0, 0}, &none, nullptr,
                        &length, true);
        ReplacePipes(port, {});
        std::lock_guard lock(mutex_);
        port.configured = false;
        port.configuration.clear();
        return USBD_STATUS_SUCCESS;
    }
    if (config->bLength < sizeof(USB_CONFIGURATION_DESCRIPTOR) ||
        config->wTotalLength < sizeof(USB_CONFIGURATION_DESCRIPTOR)) {
        return USBD_STATUS_INVALID_PARAMETER;
    }
    std::vector<std::unique_ptr<Pipe>> pipes;
    auto* at = reinterpret_cast<PUCHAR>(&request.Interface);
    PUCHAR end = reinterpret_cast<PUCHAR>(&request) + request.Hdr.Length;
    const SIZE_T head = offsetof(USBD_INTERFACE_INFORMATION, Pipes);
    while (at + head <= end) {
        auto* info = reinterpret_cast<PUSBD_INTERFACE_INFORMATION>(at);
        if (info->Length < head || at + info->Length > end) {
            return USBD_STATUS_INVALID_PARAMETER;
        }
        PUSB_INTERFACE_DESCRIPTOR interface = USBD_ParseConfigurationDescriptorEx(
            config, config, info->InterfaceNumber, info->AlternateSetting, -1, -1, -1);
        if (interface == nullptr) {
            return USBD_STATUS_INVALID_PARAMETER;
        }
        const auto endpoints = EndpointsOf(config, interface);
        if (endpoints.size() > (info->Length - head) / sizeof(USBD_PIPE_INFORMATION)) {
            return USBD_STATUS_INVALID_PARAMETER;
        }
        info->Class = interface->bInterfaceClass;
        info->SubClass = interface->bInterfaceSubClass;
        info->Protocol = interface->bInterfaceProtocol;
        info->InterfaceHandle = info;
        info->NumberOfPipes = static_cast<ULONG>(endpoints.size());
        for (std::size_t i = 0; i < endpoints.size(); ++i) {
            auto pipe = NewPipe(*endpoints[i]);
            USBD_PIPE_INFORMATION& out = info->Pipes[i];
            out.MaximumPacketSize = pipe->maximumPacketSize;
            out.EndpointAddress = pipe->endpointAddress;
            out.Interval = pipe->interval;
            out.PipeType = pipe->type;
            out.PipeHandle = pipe->handle;
            pipes.push_back(std::move(pipe));
        }
        at += info->Length;
    }
    ULONG length = 0;
    const USBD_STATUS status = ControlTransfer(
        port, {0x00, USB_REQUEST_SET_CONFIGURATION, config->bConfigurationValue, 0, 0}, &none,
        nullptr, &length, true);
    if (!USBD_SUCCESS(status)) {
        return status;
    }
    request.ConfigurationHandle = &port;
    ReplacePipes(port, std::move(pipes));
    std::lock_guard lock(mutex_);
    port.configuration.assign(reinterpret_cast<PUCHAR>(config),
                              reinterpret_cast<PUCHAR>(config) + config->wTotalLength);
    port.configured = true;
    return USBD_STATUS_SUCCESS;
}

} // namespace kernelsim
