// The device-control contract of the receiver driver: control codes and the receiver request
// and reply, shared by the driver, the access library and the tests. The commands of a receiver
// request are the receiver's own vendor requests.
#pragma once

#include "receiver_protocol.h"

// Codes are CTL_CODE(type, function, method, FILE_ANY_ACCESS) written out, so this header needs
// neither the user-mode nor the kernel-mode headers.

// Receiver requests: device type 0, buffered.
#define IOCTL_RECEIVER_LEGACY 0x00000004  // function 1
#define IOCTL_RECEIVER_COMMAND 0x00000008 // function 2

// General USB access: device type 0x22, functions 0x800 to 0x820.
#define IOCTL_USB_QUERY_INTERFACE 0x00222000
#define IOCTL_USB_READ_DEVICE_DESCRIPTOR 0x00222004
#define IOCTL_USB_READ_CONFIG_DESCRIPTOR 0x00222008
#define IOCTL_USB_VENDOR_REQUEST 0x00222014
#define IOCTL_USB_NOP 0x00222018
#define IOCTL_USB_LOAD_RAM_BLOCKS 0x0022201C
#define IOCTL_USB_RESET_PORT 0x00222031
#define IOCTL_USB_RESET_PIPE 0x00222035
#define IOCTL_USB_ABORT_PIPE 0x0022203D
#define IOCTL_USB_SELECT_INTERFACE 0x00222040
#define IOCTL_USB_READ_STRING_DESCRIPTOR 0x00222044
#define IOCTL_USB_PIPE_READ 0x0022204E
#define IOCTL_USB_PIPE_WRITE 0x00222051
#define IOCTL_USB_READ_FRAME_NUMBER 0x00222054
#define IOCTL_USB_CONTROL_REQUEST 0x00222059
#define IOCTL_USB_LAST_STATUS 0x0022205C
#define IOCTL_USB_ISO_READ 0x00222066
#define IOCTL_USB_ISO_WRITE 0x00222069
#define IOCTL_USB_LOAD_RAM 0x0022206D
#define IOCTL_USB_DRIVER_VERSION 0x00222074
#define IOCTL_USB_START_ISO_STREAM 0x00222078
#define IOCTL_USB_STOP_ISO_STREAM 0x0022207C
#define IOCTL_USB_READ_ISO_STREAM 0x00222082

#pragma pack(push, 1)

// Input of IOCTL_RECEIVER_COMMAND.
struct TReceiverRequest {
    unsigned char Command; // a TReceiverCommand
    unsigned char Value;   // the request's wValue
    unsigned char Index;   // the request's wIndex
};

// Output of IOCTL_RECEIVER_COMMAND: the data stage of the vendor request; only the first
// "bytes returned" bytes are meaningful.
struct TReceiverReply {
    unsigned char Data[8];
};

// Input of IOCTL_USB_VENDOR_REQUEST.
struct VendorRequestParams {
    unsigned char Request;
    unsigned char Reserved;
    unsigned short Value;
    unsigned short Index;
    unsigned short Length;   // of the data stage
    unsigned char Direction; // nonzero: device-to-host
    unsigned char DataByte;  // the data of a 1-byte host-to-device request
};

// Input of IOCTL_USB_CONTROL_REQUEST.
struct ControlRequestParams {
    unsigned char Direction;   // nonzero: device-to-host
    unsigned char RequestType; // 1 class, 2 vendor
    unsigned char Recipient;   // 0 device, 1 interface, 2 endpoint, 3 other
    unsigned char Reserved;
    unsigned char Request;
    unsigned char Reserved2;
    unsigned short Value;
    unsigned short Index;
};

// Input of the isochronous codes.
struct IsoTransferParams {
    unsigned int PipeNum;
    unsigned int PacketSize;
    unsigned int PacketCount; // of the transfer; for a stream, packets the rings hold
    unsigned int FramesPerBuffer;
    unsigned int BufferCount;
};

#pragma pack(pop)

// What one isochronous transfer or stream may ask of the kernel; a request beyond any of these
// is refused with STATUS_INVALID_PARAMETER before anything is allocated.
#define ISO_MAX_BUFFER_COUNT 32        // transfer objects in flight
#define ISO_MAX_FRAMES_PER_BUFFER 1024 // packets per USB request
#define ISO_MAX_PACKET_COUNT 65536     // packets of a transfer, or packets a stream's rings hold
#define ISO_MAX_STREAM_BYTES 0x400000  // 4 MiB of pool per stream: its transfer block and rings

static_assert(sizeof(VendorRequestParams) == 10, "VendorRequestParams is 10 bytes");
static_assert(sizeof(ControlRequestParams) == 10, "ControlRequestParams is 10 bytes");
static_assert(sizeof(IsoTransferParams) == 20, "IsoTransferParams is 20 bytes");
static_assert(sizeof(TReceiverRequest) == 3, "TReceiverRequest is 3 bytes");
static_assert(sizeof(TReceiverReply) == 8, "TReceiverReply is 8 bytes");
