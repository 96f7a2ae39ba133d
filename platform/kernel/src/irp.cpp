// I/O request packets: allocation, passing down a device stack, completion with completion
// routines, requests built for drivers, memory descriptor lists and the power manager's calls.
#include "kernel_state.h"

#include <atomic>

using namespace kernelsim::detail;

namespace {

std::atomic<unsigned> powerIrpsStarted{0};

bool ShouldInvoke(UCHAR control, PIRP irp) {
    if (irp->Cancel) {
        return (control & SL_INVOKE_ON_CANCEL) != 0;
    }
    return NT_SUCCESS(irp->IoStatus.Status) ? (control & SL_INVOKE_ON_SUCCESS) != 0
                                            : (control & SL_INVOKE_ON_ERROR) != 0;
}

// The end of a request the I/O manager built: results to the caller, then the packet is freed.
void FinishBuiltIrp(PIRP irp) {
    PIO_STATUS_BLOCK iosb = irp->UserIosb;
    PKEVENT event = irp->UserEvent;
    if ((irp->Flags & IRP_BUFFERED_IO) != 0) {
        if ((irp->Flags & IRP_INPUT_OPERATION) != 0 && !NT_ERROR(irp->IoStatus.Status) &&
            irp->UserBuffer != nullptr) {
            const ULONG outLength = static_cast<ULONG>(irp->Overlay.AllocationSize.QuadPart);
            ULONG_PTR count = irp->IoStatus.Information;
            RtlCopyMemory(irp->UserBuffer, irp->AssociatedIrp.SystemBuffer,
                          count < outLength ? count : outLength);
        }
        if ((irp->Flags & IRP_DEALLOCATE_BUFFER) != 0) {
            ExFreePool(irp->AssociatedIrp.SystemBuffer);
        }
    }
    while (irp->MdlAddress != nullptr) {
        PMDL next = irp->MdlAddress->Next;
        IoFreeMdl(irp->MdlAddress);
        irp->MdlAddress = next;
    }
    if (iosb != nullptr) {
        *iosb = irp->IoStatus;
    }
    IoFreeIrp(irp);
    if (event != nullptr) {
        KeSetEvent(event, IO_NO_INCREMENT, FALSE);
    }
}

} // namespace

PIRP NTAPI IoAllocateIrp(CCHAR StackSize, BOOLEAN) {
    const USHORT size = IoSizeOfIrp(StackSize);
    auto* irp = static_cast<PIRP>(ExAllocatePoolWithTag(NonPagedPool, size, kTagIrp));
    if (irp != nullptr) {
        IoInitializeIrp(irp, size, StackSize);
    }
    return irp;
}

VOID NTAPI IoInitializeIrp(PIRP Irp, USHORT PacketSize, CCHAR StackSize) {
    RtlZeroMemory(Irp, PacketSize);
    Irp->Type = IO_TYPE_IRP;
    Irp->Size = PacketSize;
    Irp->StackCount = StackSize;
    Irp->CurrentLocation = static_cast<CHAR>(StackSize + 1);
    Irp->Tail.Overlay.CurrentStackLocation =
        reinterpret_cast<PIO_STACK_LOCATION>(Irp + 1) + StackSize;
}

VOID NTAPI IoFreeIrp(PIRP Irp) {
    ExFreePool(Irp);
}

NTSTATUS FASTCALL IofCallDriver(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    if (!DeviceReferenced(DeviceObject)) {
        // A request sent to a device object that is gone: a use after free on Windows. A deleted
        // device that open files still reference keeps receiving their requests.
        KeBugCheckEx(DRIVER_VERIFIER_DETECTED_VIOLATION, 0x1002,
                     reinterpret_cast<ULONG_PTR>(DeviceObject), reinterpret_cast<ULONG_PTR>(Irp),
                     0);
    }
    IoSetNextIrpStackLocation(Irp);
    if (Irp->CurrentLocation <= 0) {
        KeBugCheckEx(NO_MORE_IRP_STACK_LOCATIONS, reinterpret_cast<ULONG_PTR>(Irp), 0, 0, 0);
    }
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(Irp);
    stack->DeviceObject = DeviceObject;
    PDRIVER_DISPATCH dispatch = DeviceObject->DriverObject->MajorFunction[stack->MajorFunction];
    return dispatch(DeviceObject, Irp);
}

VOID FASTCALL IofCompleteRequest(PIRP Irp, CCHAR) {
    if (Irp->CurrentLocation > Irp->StackCount || Irp->IoStatus.Status == STATUS_PENDING) {
        KeBugCheckEx(MULTIPLE_IRP_COMPLETE_REQUESTS, reinterpret_cast<ULONG_PTR>(Irp),
                     static_cast<ULONG_PTR>(Irp->CurrentLocation), 0, 0);
    }
    while (Irp->CurrentLocation <= Irp->StackCount) {
        PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(Irp);
        Irp->PendingReturned = (stack->Control & SL_PENDING_RETURNED) != 0;
        const UCHAR control = stack->Control;
        PIO_COMPLETION_ROUTINE routine = stack->CompletionRoutine;
        PVOID context = stack->Context;
        stack->Control = 0;
        stack->CompletionRoutine = nullptr;
        stack->Context = nullptr;
        IoSkipCurrentIrpStackLocation(Irp);
        const bool top = Irp->CurrentLocation > Irp->StackCount;
        PDEVICE_OBJECT upper = top ? nullptr : IoGetCurrentIrpStackLocation(Irp)->DeviceObject;
        if (routine != nullptr && ShouldInvoke(control, Irp)) {
            if (routine(upper, Irp, context) == STATUS_MORE_PROCESSING_REQUIRED) {
                return;
            }
        } else if (Irp->PendingReturned && !top) {
            IoMarkIrpPending(Irp);
        }
    }
    if ((Irp->Flags & IRP_SIM_BUILT) != 0) {
        FinishBuiltIrp(Irp);
        return;
    }
    if (Irp->UserIosb != nullptr) {
        *Irp->UserIosb = Irp->IoStatus;
    }
    if (Irp->UserEvent != nullptr) {
        KeSetEvent(Irp->UserEvent, IO_NO_INCREMENT, FALSE);
    }
}

PIRP NTAPI IoBuildDeviceIoControlRequest(ULONG IoControlCode, PDEVICE_OBJECT DeviceObject,
                                         PVOID InputBuffer, ULONG InputBufferLength,
                                         PVOID OutputBuffer, ULONG OutputBufferLength,
                                         BOOLEAN InternalDeviceIoControl, PKEVENT Event,
                                         PIO_STATUS_BLOCK IoStatusBlock) {
    PIRP irp = IoAllocateIrp(DeviceObject->StackSize, FALSE);
    if (irp == nullptr) {
        return nullptr;
    }
    PIO_STACK_LOCATION next = IoGetNextIrpStackLocation(irp);
    next->MajorFunction =
        InternalDeviceIoControl ? IRP_MJ_INTERNAL_DEVICE_CONTROL : IRP_MJ_DEVICE_CONTROL;
    next->Parameters.DeviceIoControl.IoControlCode = IoControlCode;
    next->Parameters.DeviceIoControl.InputBufferLength = InputBufferLength;
    next->Parameters.DeviceIoControl.OutputBufferLength = OutputBufferLength;
    irp->Flags = IRP_SIM_BUILT;
    irp->UserIosb = IoStatusBlock;
    irp->UserEvent = Event;
    irp->UserBuffer = OutputBuffer;
    irp->Overlay.AllocationSize.QuadPart = OutputBufferLength;
    const ULONG method = METHOD_FROM_CTL_CODE(IoControlCode);
    if (method == METHOD_NEITHER) {
        next->Parameters.DeviceIoControl.Type3InputBuffer = InputBuffer;
        return irp;
    }
    const ULONG systemLength =
        method == METHOD_BUFFERED
            ? (InputBufferLength > OutputBufferLength ? InputBufferLength : OutputBufferLength)
            : InputBufferLength;
    if (systemLength != 0) {
        PVOID buffer = ExAllocatePoolWithTag(NonPagedPool, systemLength, kTagSystemBuffer);
        if (buffer == nullptr) {
            IoFreeIrp(irp);
            return nullptr;
        }
        if (InputBuffer != nullptr && InputBufferLength != 0) {
            RtlCopyMemory(buffer, InputBuffer, InputBufferLength);
        }
        irp->AssociatedIrp.SystemBuffer = buffer;
        irp->Flags |= IRP_BUFFERED_IO | IRP_DEALLOCATE_BUFFER;
        if (method == METHOD_BUFFERED && OutputBuffer != nullptr && OutputBufferLength != 0) {
            irp->Flags |= IRP_INPUT_OPERATION;
        }
    }
    if (method != METHOD_BUFFERED && OutputBuffer != nullptr && OutputBufferLength != 0) {
        if (IoAllocateMdl(OutputBuffer, OutputBufferLength, FALSE, FALSE, irp) == nullptr) {
            if (irp->AssociatedIrp.SystemBuffer != nullptr) {
                ExFreePool(irp->AssociatedIrp.SystemBuffer);
            }
            IoFreeIrp(irp);
            return nullptr;
        }
        MmBuildMdlForNonPagedPool(irp->MdlAddress);
    }
    return irp;
}

PMDL NTAPI IoAllocateMdl(PVOID VirtualAddress, ULONG Length, BOOLEAN SecondaryBuffer, BOOLEAN,
                         PIRP Irp) {
    auto* mdl = static_cast<PMDL>(ExAllocatePoolWithTag(NonPagedPool, sizeof(MDL), kTagMdl));
    if (mdl == nullptr) {
        return nullptr;
    }
    RtlZeroMemory(mdl, sizeof(MDL));
    mdl->Size = sizeof(MDL);
    mdl->StartVa = PAGE_ALIGN(VirtualAddress);
    mdl->ByteOffset = BYTE_OFFSET(VirtualAddress);
    mdl->ByteCount = Length;
    if (Irp != nullptr) {
        if (!SecondaryBuffer || Irp->MdlAddress == nullptr) {
            Irp->MdlAddress = mdl;
        } else {
            PMDL last = Irp->MdlAddress;
            while (last->Next != nullptr) {
                last = last->Next;
            }
            last->Next = mdl;
        }
    }
    return mdl;
}

VOID NTAPI IoFreeMdl(PMDL Mdl) {
    ExFreePool(Mdl);
}

// User and kernel share one address space on the host: the pages of a buffer are its bytes.
VOID NTAPI MmBuildMdlForNonPagedPool(PMDL MemoryDescriptorList) {
    MemoryDescriptorList->MdlFlags |= MDL_SOURCE_IS_NONPAGED_POOL;
    MemoryDescriptorList->MappedSystemVa = MmGetMdlVirtualAddress(MemoryDescriptorList);
}

PVOID NTAPI MmMapLockedPages(PMDL MemoryDescriptorList, KPROCESSOR_MODE) {
    MemoryDescriptorList->MdlFlags |= MDL_MAPPED_TO_SYSTEM_VA;
    MemoryDescriptorList->MappedSystemVa = MmGetMdlVirtualAddress(MemoryDescriptorList);
    return MemoryDescriptorList->MappedSystemVa;
}

PVOID NTAPI MmMapLockedPagesSpecifyCache(PMDL MemoryDescriptorList, KPROCESSOR_MODE AccessMode,
                                         MEMORY_CACHING_TYPE, PVOID, ULONG, ULONG) {
    return MmMapLockedPages(MemoryDescriptorList, AccessMode);
}

VOID NTAPI MmUnmapLockedPages(PVOID, PMDL MemoryDescriptorList) {
    MemoryDescriptorList->MdlFlags &= ~MDL_MAPPED_TO_SYSTEM_VA;
}

VOID NTAPI PoStartNextPowerIrp(PIRP) {
    ++powerIrpsStarted;
}

NTSTATUS NTAPI PoCallDriver(PDEVICE_OBJECT DeviceObject, PIRP Irp) {
    return IofCallDriver(DeviceObject, Irp);
}

namespace kernelsim {

unsigned PowerIrpsStarted() {
    return powerIrpsStarted.load();
}

namespace detail {
void ResetPower() {
    powerIrpsStarted = 0;
}
} // namespace detail

} // namespace kernelsim
