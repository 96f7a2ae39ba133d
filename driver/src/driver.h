// Private declarations of the receiver driver: its device extension and the routines its files
// share.
#pragma once

#include <wdm.h>
#include <usbdi.h>
#include <usbdlib.h>
#include <usbioctl.h>

#include "receiver_ioctl.h"

// Pool tag "Wdm ": the bytes W, d, m, space in memory order.
#define MOXEL_POOL_TAG ((ULONG)'W' | ((ULONG)'d' << 8) | ((ULONG)'m' << 16) | ((ULONG)' ' << 24))

#define MOXEL_MAX_INSTANCES 8
#define MOXEL_LINK_NAME_LENGTH 26

// A ring of the isochronous stream (defined with streaming).
struct RingBuffer;

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
} ReceiverDeviceExtension, *PReceiverDeviceExtension;

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
NTSTATUS Moxel_AbortPipe(PDEVICE_OBJECT DeviceObject, USBD_PIPE_HANDLE PipeHandle);

// Device control.
NTSTATUS NTAPI Moxel_ProcessIOCTL(PDEVICE_OBJECT DeviceObject, PIRP Irp);
ULONG VendorCommand(PDEVICE_OBJECT DeviceObject, UCHAR Request, USHORT Value, USHORT Index,
                    PVOID Buffer);
