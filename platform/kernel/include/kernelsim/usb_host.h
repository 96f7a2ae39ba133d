// The simulated USB host controller: simulated devices on its ports, each with a physical device
// object that serves IOCTL_INTERNAL_USB_SUBMIT_URB.
#pragma once

#include <wdm.h>
#include <usbdi.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kernelsim {

struct UsbSetupPacket {
    UCHAR bmRequestType;
    UCHAR bRequest;
    USHORT wValue;
    USHORT wIndex;
    USHORT wLength;
};

inline bool operator==(const UsbSetupPacket& a, const UsbSetupPacket& b) {
    return a.bmRequestType == b.bmRequestType && a.bRequest == b.bRequest && a.wValue == b.wValue &&
           a.wIndex == b.wIndex && a.wLength == b.wLength;
}

struct UsbTransferResult {
    USBD_STATUS status = USBD_STATUS_SUCCESS;
    ULONG length = 0; // bytes transferred in the data stage
};

// A device on a port. Calls may come from several threads at once and may block (a device that
// is slow to answer).
class UsbDevice {
public:
    virtual ~UsbDevice() = default;
    // A control transfer on endpoint 0. data holds wLength bytes: the device fills at most that
    // many for an IN request and reads them for an OUT request.
    virtual UsbTransferResult ControlTransfer(const UsbSetupPacket& setup, UCHAR* data) = 0;
    // A bulk or interrupt transfer on a data endpoint: for an IN endpoint the device fills at
    // most length bytes, for an OUT endpoint it reads them. USBD_STATUS_PENDING: nothing to
    // answer yet; the request waits on its pipe until the pipe is aborted.
    virtual UsbTransferResult DataTransfer(UCHAR endpointAddress, UCHAR* data, ULONG length);
    // One isochronous packet in the given frame, filled (IN) or read (OUT) like DataTransfer.
    virtual UsbTransferResult IsoPacket(UCHAR endpointAddress, ULONG frame, UCHAR* data,
                                        ULONG length);
};

class UsbHostController {
public:
    explicit UsbHostController(unsigned workerThreads = 2);
    ~UsbHostController();
    UsbHostController(const UsbHostController&) = delete;
    UsbHostController& operator=(const UsbHostController&) = delete;

    // Plugs a device in: its physical device object, to hand to a driver's AddDevice.
    PDEVICE_OBJECT Attach(UsbDevice& device);
    // Unplugs it: deletes the physical device object. The stack above must have been removed.
    void Detach(PDEVICE_OBJECT physicalDeviceObject);

    // Faults: the next request of that major and minor function to any port fails with status
    // (for IRP_MJ_INTERNAL_DEVICE_CONTROL the minor is ignored).
    void FailNext(UCHAR majorFunction, UCHAR minorFunction, NTSTATUS status);
    // While set, every request returns STATUS_PENDING and completes later on a worker thread.
    void SetPendRequests(bool pend);
    // Status of a submission whose URB failed (STATUS_UNSUCCESSFUL as USB stacks report; a test
    // may choose STATUS_SUCCESS to see the URB status alone carry the failure).
    void SetUrbErrorIrpStatus(NTSTATUS status);

    // What the ports saw.
    bool IsConfigured(PDEVICE_OBJECT physicalDeviceObject);
    unsigned AbortCount(PDEVICE_OBJECT physicalDeviceObject, UCHAR endpointAddress);
    unsigned UrbCount(PDEVICE_OBJECT physicalDeviceObject, USHORT function);
    unsigned ResetCount(PDEVICE_OBJECT physicalDeviceObject, UCHAR endpointAddress);
    unsigned PortResets(PDEVICE_OBJECT physicalDeviceObject);
    // Requests waiting on a pipe for the device to answer.
    unsigned WaitingOnPipes(PDEVICE_OBJECT physicalDeviceObject);
    // Waits until n requests wait on the pipes of the port.
    void WaitForWaitingOnPipes(PDEVICE_OBJECT physicalDeviceObject, unsigned n);
    // The frame number is this base plus the virtual clock's milliseconds.
    void SetFrameBase(ULONG base);
    ULONG CurrentFrame();
    // Waits until n requests are waiting for a worker or being served by one.
    void WaitForPending(unsigned n);

private:
    // A pipe of the selected setting. Its handle is never given to another pipe, so a handle
    // kept from an earlier setting stays invalid, as on a real host.
    struct Pipe {
        USBD_PIPE_HANDLE handle;
        UCHAR endpointAddress;
        USBD_PIPE_TYPE type;
        USHORT maximumPacketSize;
        UCHAR interval;
    };
    struct Port {
        UsbDevice* device;
        PDEVICE_OBJECT pdo;
        bool configured = false;
        std::vector<std::unique_ptr<Pipe>> pipes;
        std::map<UCHAR, unsigned> aborts;
        std::map<USHORT, unsigned> urbs;
        std::map<UCHAR, unsigned> resets;
        unsigned portResets = 0;
        std::vector<UCHAR> configuration; // the descriptor of the selected configuration
        std::vector<std::pair<USBD_PIPE_HANDLE, PIRP>> waiting; // requests waiting for the device
    };
    struct Fault {
        UCHAR major;
        UCHAR minor;
        NTSTATUS status;
    };

    static NTSTATUS NTAPI DispatchInternalControl(PDEVICE_OBJECT, PIRP);
    static NTSTATUS NTAPI DispatchPnp(PDEVICE_OBJECT, PIRP);
    static NTSTATUS NTAPI DispatchPower(PDEVICE_OBJECT, PIRP);
    static NTSTATUS NTAPI DispatchOther(PDEVICE_OBJECT, PIRP);
    static UsbHostController* Controller(PDEVICE_OBJECT pdo);
    static Port* PortOf(PDEVICE_OBJECT pdo);

    NTSTATUS Dispatch(PDEVICE_OBJECT pdo, PIRP irp);
    // Serves a request to a port; the caller completes it with the status returned.
    NTSTATUS ServeRequest(PDEVICE_OBJECT pdo, PIRP irp);
    NTSTATUS ServeInternalControl(Port& port, PIRP irp);
    NTSTATUS ServePnp(Port& port, PIRP irp);
    // STATUS_PENDING: the request waits on a pipe and is completed later.
    USBD_STATUS ServeUrb(Port& port, PURB urb, PIRP irp);
    USBD_STATUS DataTransfer(Port& port, PURB urb, PIRP irp);
    USBD_STATUS IsochronousTransfer(Port& port, PURB urb);
    USBD_STATUS SelectInterface(Port& port, _URB_SELECT_INTERFACE& request);
    USBD_STATUS AbortPipe(Port& port, USBD_PIPE_HANDLE handle);
    // With the lock held: takes the requests waiting on the pipe (every pipe for none) and the
    // port's isochronous requests on it not yet served.
    std::vector<PIRP> TakeRequests(Port& port, USBD_PIPE_HANDLE handle);
    void CompleteCancelled(const std::vector<PIRP>& irps);
    // The port's pipes become these; what waits on the old ones ends cancelled.
    void ReplacePipes(Port& port, std::vector<std::unique_ptr<Pipe>> pipes);
    static bool IsIsochronous(PIRP irp);
    USBD_STATUS ControlTransfer(Port& port, const UsbSetupPacket& setup, PVOID buffer, PMDL mdl,
                                ULONG* transferLength, bool shortOk);
    USBD_STATUS SelectConfiguration(Port& port, _URB_SELECT_CONFIGURATION& request);
    bool TakeFault(UCHAR major, UCHAR minor, NTSTATUS* status);
    Pipe* FindPipe(Port& port, USBD_PIPE_HANDLE handle);
    // A copy of the pipe of that handle, taken under the lock: another thread may select a new
    // setting and free the pipe while a transfer on it is served.
    bool CopyPipe(Port& port, USBD_PIPE_HANDLE handle, Pipe* pipe);
    std::unique_ptr<Pipe> NewPipe(const USB_ENDPOINT_DESCRIPTOR& endpoint);
    void Worker();

    PDRIVER_OBJECT driver_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::unique_ptr<Port>> ports_;
    std::vector<Fault> faults_;
    bool pend_ = false;
    NTSTATUS urbErrorIrpStatus_ = STATUS_UNSUCCESSFUL;
    ULONG frameBase_ = 1000;
    std::uintptr_t lastPipeHandle_ = 0;
    std::deque<std::pair<PDEVICE_OBJECT, PIRP>> queue_;
    unsigned busy_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace kernelsim
