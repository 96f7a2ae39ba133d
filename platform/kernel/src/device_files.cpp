// Create, device-control and close requests the I/O manager builds for open device files.
#include "device_files.h"

#include "kernel_state.h"

namespace kernelsim::detail {

struct OpenDeviceFile {
    PDEVICE_OBJECT device; // the named device; requests go to the top of its stack
    PFILE_OBJECT fileObject;
};

namespace {

// Sends a request to the top of the device's stack and waits for it.
NTSTATUS SendAndWait(OpenDeviceFile* file, PIRP irp, IO_STATUS_BLOCK* iosb) {
    KEVENT done;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    irp->UserEvent = &done;
    irp->UserIosb = iosb;
    irp->RequestorMode = UserMode;
    irp->Tail.Overlay.OriginalFileObject = file->fileObject;
    PDEVICE_OBJECT top = IoGetAttachedDevice(file->device);
    if (IoCallDriver(top, irp) == STATUS_PENDING) {
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
    }
    return iosb->Status;
}

PIRP NewIrp(OpenDeviceFile* file, UCHAR major) {
    PIRP irp = IoAllocateIrp(IoGetAttachedDevice(file->device)->StackSize, FALSE);
    if (irp != nullptr) {
        PIO_STACK_LOCATION stack = IoGetNextIrpStackLocation(irp);
        stack->MajorFunction = major;
        stack->FileObject = file->fileObject;
    }
    return irp;
}

void Dereference(OpenDeviceFile* file) {
    {
        std::lock_guard lock(objects().mutex);
        --file->device->ReferenceCount;
        ReleaseDeviceLocked(file->device);
    }
    ExFreePool(file->fileObject);
    delete file;
}

NTSTATUS SimpleRequest(OpenDeviceFile* file, UCHAR major) {
    PIRP irp = NewIrp(file, major);
    if (irp == nullptr) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    IO_STATUS_BLOCK iosb{};
    const NTSTATUS status = SendAndWait(file, irp, &iosb);
    IoFreeIrp(irp);
    return status;
}

} // namespace

std::int32_t OpenDevice(const std::string& dosName, OpenDeviceFile** file) {
    *file = nullptr;
    PDEVICE_OBJECT device = LookupDevice("\\??\\" + dosName);
    if (device == nullptr) {
        return STATUS_OBJECT_NAME_NOT_FOUND;
    }
    auto* fileObject = static_cast<PFILE_OBJECT>(
        ExAllocatePoolWithTag(NonPagedPool, sizeof(FILE_OBJECT), kTagFile));
    if (fileObject == nullptr) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    RtlZeroMemory(fileObject, sizeof(FILE_OBJECT));
    fileObject->Type = IO_TYPE_FILE;
    fileObject->Size = sizeof(FILE_OBJECT);
    fileObject->DeviceObject = device;
    {
        std::lock_guard lock(objects().mutex);
        auto it = objects().devices.find(device);
        if (it == objects().devices.end() || it->second.deleted) {
            ExFreePool(fileObject);
            return STATUS_OBJECT_NAME_NOT_FOUND;
        }
        ++device->ReferenceCount;
    }
    auto* opened = new OpenDeviceFile{device, fileObject};
    const NTSTATUS status = SimpleRequest(opened, IRP_MJ_CREATE);
    if (!NT_SUCCESS(status)) {
        Dereference(opened);
        return status;
    }
    *file = opened;
    return status;
}

std::int32_t ControlDevice(OpenDeviceFile* file, std::uint32_t code, const void* in,
                           std::uint32_t inLength, void* out, std::uint32_t outLength,
                           std::uint32_t* information) {
    *information = 0;
    if (!DeviceAlive(file->device)) {
        return STATUS_DELETE_PENDING;
    }
    PIRP irp = NewIrp(file, IRP_MJ_DEVICE_CONTROL);
    if (irp == nullptr) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    PIO_STACK_LOCATION stack = IoGetNextIrpStackLocation(irp);
    stack->Parameters.DeviceIoControl.IoControlCode = code;
    stack->Parameters.DeviceIoControl.InputBufferLength = inLength;
    stack->Parameters.DeviceIoControl.OutputBufferLength = outLength;
    const ULONG method = METHOD_FROM_CTL_CODE(code);
    PVOID systemBuffer = nullptr;
    if (method == METHOD_NEITHER) {
        stack->Parameters.DeviceIoControl.Type3InputBuffer = const_cast<void*>(in);
        irp->UserBuffer = out;
    } else {
        const ULONG systemLength =
            method == METHOD_BUFFERED ? (inLength > outLength ? inLength : outLength) : inLength;
        if (systemLength != 0) {
            systemBuffer = ExAllocatePoolWithTag(NonPagedPool, systemLength, kTagSystemBuffer);
            if (systemBuffer == nullptr) {
                IoFreeIrp(irp);
                return STATUS_INSUFFICIENT_RESOURCES;
            }
            if (in != nullptr && inLength != 0) {
                RtlCopyMemory(systemBuffer, in, inLength);
            }
            irp->AssociatedIrp.SystemBuffer = systemBuffer;
        }
        if (method != METHOD_BUFFERED && out != nullptr && outLength != 0) {
            if (IoAllocateMdl(out, outLength, FALSE, FALSE, irp) == nullptr) {
                if (systemBuffer != nullptr) {
                    ExFreePool(systemBuffer);
                }
                IoFreeIrp(irp);
                return STATUS_INSUFFICIENT_RESOURCES;
            }
            // The caller's pages stay locked for the call.
            irp->MdlAddress->MdlFlags |= MDL_PAGES_LOCKED;
        }
    }
    IO_STATUS_BLOCK iosb{};
    const NTSTATUS status = SendAndWait(file, irp, &iosb);
    ULONG_PTR count = iosb.Information;
    if (method == METHOD_BUFFERED) {
        if (count > outLength) {
            count = outLength;
        }
        if (!NT_ERROR(status) && count != 0 && out != nullptr) {
            RtlCopyMemory(out, systemBuffer, count);
        }
    }
    *information = NT_ERROR(status) ? 0 : static_cast<std::uint32_t>(count);
    if (irp->MdlAddress != nullptr) {
        IoFreeMdl(irp->MdlAddress);
    }
    if (systemBuffer != nullptr) {
        ExFreePool(systemBuffer);
    }
    IoFreeIrp(irp);
    return status;
}

void CloseDevice(OpenDeviceFile* file) {
    // The file's reference keeps the device object, deleted or not, so its driver always sees
    // the cleanup and the close, as on Windows.
    SimpleRequest(file, IRP_MJ_CLEANUP);
    SimpleRequest(file, IRP_MJ_CLOSE);
    Dereference(file);
}

} // namespace kernelsim::detail
