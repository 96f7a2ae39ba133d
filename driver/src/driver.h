// Private declarations of the receiver driver: its device extension and the routines its files
// share.
#pragma once

#include "kernel_api.h"

#include "receiver_ioctl.h"

// Pool tag "Wdm ": the bytes W, d, m, space in memory order.
#define MOXEL_POOL_TAG ((ULONG)'W' | ((ULONG)'d' << 8) | ((ULONG)'m' << 16) | ((ULONG)' ' << 24))

#define MOXEL_MAX_INSTANCES 8
#define MOXEL_LINK_NAME_LENGTH 26

// A ring of bytes: one writer side (InPtr) and one reader side (OutPtr); Count under SpinLock.
// Invariant: 0 <= Count <= Size; InPtr and OutPtr lie in Buffer .. Buffer + Size - 1.
struct RingBuffer {
    PUCHAR InPtr;
    PUCHAR OutPtr;
    ULONG Size;
    ULONG Count;
    KSPIN_LOCK SpinLock;
    PUCHAR Buffer;
};

typedef struct _ReceiverDeviceExtension {
    PDEVICE_OBJECT PhysicalDeviceObject;
    PDEVICE_OBJECT LowerDeviceObject;
    BOOLEAN Started;
    BOOLEAN LinkCreated;
    USBD_CONFIGURATION_HANDLE ConfigurationHandle;
    PUSB_DEVICE_DESCRIPTOR DeviceDescriptor;
    PUSBD_INTERFACE_INFORMATION InterfaceInfo;
    LONG OpenCount;
    WCHAR LinkName[MOXEL_LINK_NAME_LENGTH];
    LONG LastUsbdStatus;
    LONG PendingIoCount;
    KEVENT RemoveEvent;
    BOOLEAN Removing;
    BOOLEAN StreamStop;
    struct RingBuffer* StreamDataRing;
    struct RingBuffer* StreamDescriptorRing;
    // Guards the stream rings' registration against the stream's end, a second start and
    // removal; a stream read holds it while it reads.
    KSPIN_LOCK StreamLock;
    // Under StreamLock: isochronous starts from their pipe lookup to the end of their transfer
    // or the registration of their stream, and an interface selection in progress. Neither
    // kind of request starts while the other runs.
    LONG IsoUsers;
    BOOLEAN SelectingInterface;
    // Guards InterfaceInfo: a selection replaces it while other requests read its pipes.
    KSPIN_LOCK InterfaceLock;
} ReceiverDeviceExtension, *PReceiverDeviceExtension;

struct IsoStreamContext;

// One transfer object: a request and its URB, kept in flight over and over.
struct IsoTransferContext {
    ULONG FirstPacket;
    struct IsoStreamContext* Stream;
    PURB Urb;
    PIRP Irp;
    KEVENT DoneEvent;
};

struct IsoStreamContext {
    PDEVICE_OBJECT DeviceObject;
    ULONG PacketSize;
    ULONG PacketCount;
    PUSBD_PIPE_INFORMATION PipeInfo; // points at Pipe: the interface may change meanwhile
    PUCHAR TransferBuffer;
    ULONG TransferBufferLength;
    PUCHAR DescriptorArea;
    ULONG FramesPerBuffer;
    ULONG BufferCount;
    LONG PendingTransfers;
    struct RingBuffer* DataRing;
    struct RingBuffer* DescriptorRing;
    struct IsoTransferContext* TransferObjects;
    USBD_PIPE_INFORMATION Pipe;
    PIO_COMPLETION_ROUTINE Completion;
    // Writers of the two rings take it for both writes, so that each object's descriptors and
    // data stand at the same place in their rings.
    KSPIN_LOCK WriteLock;
};

// The stream's stop flag is written by requests and read by completions on other processors.
inline VOID SetStreamStop(PReceiverDeviceExtension extension, BOOLEAN stop) {
    __atomic_store_n(&extension->StreamStop, stop, __ATOMIC_RELEASE);
}
inline BOOLEAN StreamStopped(PReceiverDeviceExtension extension) {
    return __atomic_load_n(&extension->StreamStop, __ATOMIC_ACQUIRE);
}

// Removal sets the flag while requests on other threads read it in LockDevice between their
// interlocked count changes; sequentially consistent so that a request either sees it or is
// counted before removal drains.
inline VOID SetRemoving(PReceiverDeviceExtension extension) {
    __atomic_store_n(&extension->Removing, TRUE, __ATOMIC_SEQ_CST);
}
inline BOOLEAN DeviceRemoving(PReceiverDeviceExtension extension) {
    return __atomic_load_n(&extension->Removing, __ATOMIC_SEQ_CST);
}

extern "C" NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT DriverObject, PUNICODE_STRING RegistryPath);

// Entry and dispatch.
VOID NTAPI Moxel_Unload(PDRIVER_OBJECT DriverObject);
NTSTATUS NTAPI Moxel_Create(PDEVICE_OBJECT DeviceObject, PIRP Irp);
NTSTATUS NTAPI Moxel_Close(PDEVICE_OBJECT DeviceObject, PIRP Irp);
NTSTATUS CompleteRequest(PIRP Irp, NTSTATUS Status, ULONG_PTR Information);
BOOLEAN LockDevice(PDEVICE_OBJECT DeviceObject);
VOID UnlockDevice(PDEVICE_OBJECT DeviceObject);

// Plug and Play.
NTSTATUS NTAPI Moxel_PnPAddDevice(PDRIVER_OBJECT DriverObject, PDEVICE_OBJECT PhysicalDeviceObject);
NTSTATUS Moxel_CreateDeviceObject(PDRIVER_OBJECT DriverObject, PDEVICE_OBJECT* DeviceObject,
                                  LONG Instance);
NTSTATUS NTAPI Moxel_DispatchPnp(PDEVICE_OBJECT DeviceObject, PIRP Irp);
NTSTATUS Moxel_DefaultPnpHandler(PDEVICE_OBJECT DeviceObject, PIRP Irp);
NTSTATUS ForwardAndWait(PDEVICE_OBJECT DeviceObject, PIRP Irp);
NTSTATUS NTAPI OnRequestComplete(PDEVICE_OBJECT DeviceObject, PIRP Irp, PVOID Context);
NTSTATUS Moxel_HandleStartDevice(PDEVICE_OBJECT DeviceObject, PIRP Irp);
NTSTATUS Moxel_HandleRemoveDevice(PDEVICE_OBJECT DeviceObject, PIRP Irp);
VOID Moxel_RemoveDevice(PDEVICE_OBJECT DeviceObject);
NTSTATUS Moxel_StopDevice(PDEVICE_OBJECT DeviceObject);

// Power.
NTSTATUS NTAPI Moxel_DispatchPower(PDEVICE_OBJECT DeviceObject, PIRP Irp);

// USB requests.
NTSTATUS Moxel_CallUSBD(PDEVICE_OBJECT DeviceObject, PURB Urb);
NTSTATUS Moxel_StartDevice(PDEVICE_OBJECT DeviceObject);
NTSTATUS Moxel_ConfigureDevice(PDEVICE_OBJECT DeviceObject);
NTSTATUS Moxel_SelectInterfaces(PDEVICE_OBJECT DeviceObject,
                                PUSB_CONFIGURATION_DESCRIPTOR ConfigurationDescriptor);
PVOID Moxel_AllocatePool(SIZE_T size);

// General requests.
ULONG Moxel_GetDeviceDescriptor(PDEVICE_OBJECT DeviceObject, PVOID Buffer);
ULONG Moxel_GetConfigDescriptor(PDEVICE_OBJECT DeviceObject, PVOID Buffer, ULONG Length);
ULONG Moxel_GetStringDescriptor(PDEVICE_OBJECT DeviceObject, UCHAR Index, USHORT LanguageId,
                                PVOID Buffer, ULONG Length);
ULONG Moxel_VendorRequest(PDEVICE_OBJECT DeviceObject, VendorRequestParams* Params);
NTSTATUS Moxel_VendorRequest2(PDEVICE_OBJECT DeviceObject, PIRP Irp);
ULONG Moxel_GetCurrentFrameNumber(PDEVICE_OBJECT DeviceObject);
NTSTATUS Moxel_ResetParentPort(PDEVICE_OBJECT DeviceObject);
NTSTATUS Moxel_GeneralRequest(PDEVICE_OBJECT DeviceObject, PIRP Irp, BOOLEAN* Handled);

// Pipes, interfaces, bulk and interrupt transfers.
NTSTATUS Moxel_ResetPipe(PDEVICE_OBJECT DeviceObject, ULONG PipeIndex);
NTSTATUS Moxel_AbortPipe(PDEVICE_OBJECT DeviceObject, USBD_PIPE_HANDLE PipeHandle);
PUSB_CONFIGURATION_DESCRIPTOR GetConfigDescriptor(PDEVICE_OBJECT DeviceObject);
NTSTATUS SetInterface(PDEVICE_OBJECT DeviceObject, UCHAR InterfaceNumber, UCHAR AlternateSetting);
NTSTATUS Moxel_Read_Write(PDEVICE_OBJECT DeviceObject, PIRP Irp);
NTSTATUS Moxel_PipeRequest(PDEVICE_OBJECT DeviceObject, PIRP Irp, BOOLEAN* Handled);
// A copy of the pipe of that index in the selected interface: STATUS_UNSUCCESSFUL without an
// interface, STATUS_INVALID_PARAMETER for an index beyond its pipes.
NTSTATUS Moxel_FindPipe(PDEVICE_OBJECT DeviceObject, ULONG PipeIndex, PUSBD_PIPE_INFORMATION Pipe);
// InterfaceInfo becomes Info (NULL for none); the old one is freed.
VOID Moxel_ReplaceInterfaceInfo(PDEVICE_OBJECT DeviceObject, PUSBD_INTERFACE_INFORMATION Info);
// Copies InterfaceInfo into Buffer: its length, 0 without an interface, STATUS_BUFFER_TOO_SMALL
// when it does not fit.
NTSTATUS Moxel_CopyInterfaceInfo(PDEVICE_OBJECT DeviceObject, PVOID Buffer, ULONG Length,
                                 ULONG* Copied);

// Device memory downloads.
VOID Moxel_LoadRamBlocks(PDEVICE_OBJECT DeviceObject, PUCHAR Data, ULONG Length);
NTSTATUS Moxel_PeltonDownload(PDEVICE_OBJECT DeviceObject, USHORT StartAddress, PUCHAR Data,
                              ULONG Length);
NTSTATUS Moxel_DownloadRequest(PDEVICE_OBJECT DeviceObject, PIRP Irp, BOOLEAN* Handled);

// Isochronous transfers and streams.
// The pipe checks of both starts and the size caps they share; a copy of the pipe on success.
NTSTATUS Moxel_IsoPipeChecks(PDEVICE_OBJECT DeviceObject, const IsoTransferParams* Params,
                             PUSBD_PIPE_INFORMATION Pipe);
// Holds the selected interface for an isochronous start; FALSE while a selection runs.
BOOLEAN Moxel_BeginIsoUse(PReceiverDeviceExtension Extension);
VOID Moxel_EndIsoUse(PReceiverDeviceExtension Extension);
NTSTATUS InitTransferObject(struct IsoStreamContext* Context, ULONG ObjectIndex);
// A zeroed transfer or stream context for the parameters on a copy of the pipe; NULL when the
// pool has no room.
struct IsoStreamContext* Moxel_NewIsoContext(PDEVICE_OBJECT DeviceObject,
                                             const IsoTransferParams* Params,
                                             const USBD_PIPE_INFORMATION* Pipe,
                                             PIO_COMPLETION_ROUTINE Completion);
VOID Moxel_BuildIsoRequest(struct IsoTransferContext* Object);
VOID Moxel_FreeTransferObjects(struct IsoStreamContext* Context);
NTSTATUS NTAPI IsoTransferComplete(PDEVICE_OBJECT DeviceObject, PIRP Irp, PVOID Context);
NTSTATUS NTAPI IsoStreamTransferComplete(PDEVICE_OBJECT DeviceObject, PIRP Irp, PVOID Context);
NTSTATUS Moxel_StartIsoTransfer(PDEVICE_OBJECT DeviceObject, PIRP Irp);
NTSTATUS Moxel_StartIsoStream(PDEVICE_OBJECT DeviceObject, PIRP Irp);
NTSTATUS Moxel_ReadIsoStream(PDEVICE_OBJECT DeviceObject, PIRP Irp);
NTSTATUS Moxel_IsoRequest(PDEVICE_OBJECT DeviceObject, PIRP Irp, BOOLEAN* Handled);

// Ring buffers.
struct RingBuffer* AllocRingBuffer(ULONG Size);
VOID FreeRingBuffer(struct RingBuffer* Ring);
ULONG ReadRingBuffer(struct RingBuffer* Ring, PUCHAR Destination, ULONG Length);
ULONG WriteRingBuffer(struct RingBuffer* Ring, const UCHAR* Source, ULONG Length);
// Bytes a write could add now; only a reader makes it grow meanwhile.
ULONG RingBufferRoom(struct RingBuffer* Ring);

// Device control.
NTSTATUS NTAPI Moxel_ProcessIOCTL(PDEVICE_OBJECT DeviceObject, PIRP Irp);
ULONG VendorCommand(PDEVICE_OBJECT DeviceObject, UCHAR Request, USHORT Value, USHORT Index,
                    PVOID Buffer);
