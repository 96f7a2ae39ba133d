// The driver's device control: every code with any buffer sizes and contents against a started
// receiver, mixed with allocation failures, failing lower requests, receiver faults, codes and
// isochronous packets arriving, streams started, read and stopped, and the device removed in the
// middle of a request and plugged in again. At the end nothing may be left in the pool.
#include "fuzz_input.h"

#include "kernelsim/kernel.h"
#include "kernelsim/pnp.h"
#include "receiver_ioctl.h"
#include "receiver_machine.h"
#include "receiversim/receiver.h"
#include "win32sim/machine.h"

#include <wdm.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace fuzz_support;

namespace {

constexpr DWORD kCodes[] = {
    IOCTL_RECEIVER_LEGACY,
    IOCTL_RECEIVER_COMMAND,
    IOCTL_USB_QUERY_INTERFACE,
    IOCTL_USB_READ_DEVICE_DESCRIPTOR,
    IOCTL_USB_READ_CONFIG_DESCRIPTOR,
    IOCTL_USB_VENDOR_REQUEST,
    IOCTL_USB_NOP,
    IOCTL_USB_LOAD_RAM_BLOCKS,
    IOCTL_USB_RESET_PORT,
    IOCTL_USB_RESET_PIPE,
    IOCTL_USB_ABORT_PIPE,
    IOCTL_USB_SELECT_INTERFACE,
    IOCTL_USB_READ_STRING_DESCRIPTOR,
    IOCTL_USB_PIPE_READ,
    IOCTL_USB_PIPE_WRITE,
    IOCTL_USB_READ_FRAME_NUMBER,
    IOCTL_USB_CONTROL_REQUEST,
    IOCTL_USB_LAST_STATUS,
    IOCTL_USB_ISO_READ,
    IOCTL_USB_ISO_WRITE,
    IOCTL_USB_LOAD_RAM,
    IOCTL_USB_DRIVER_VERSION,
    IOCTL_USB_START_ISO_STREAM,
    IOCTL_USB_STOP_ISO_STREAM,
    IOCTL_USB_READ_ISO_STREAM,
};

constexpr NTSTATUS kLowerFailures[] = {STATUS_UNSUCCESSFUL, STATUS_INSUFFICIENT_RESOURCES,
                                       STATUS_DEVICE_NOT_CONNECTED, STATUS_CANCELLED,
                                       STATUS_SUCCESS};

struct Session {
    driversim::ReceiverMachine machine;
    PDEVICE_OBJECT pdo = nullptr;
    std::unique_ptr<win32sim::DeviceFile> file;

    void PlugAndOpen() {
        pdo = machine.PlugIn(machine.receiver);
        DWORD error = 0;
        if (pdo != nullptr)
            file = machine.Provider().Open("VarnPlugUSB_0", &error);
    }
    void Close() {
        if (file) {
            file->Close();
            file.reset();
        }
    }
};

BOOL Control(win32sim::DeviceFile& file, DWORD code, std::string in, DWORD outLength) {
    std::vector<UCHAR> out(outLength, 0xEE);
    DWORD bytes = 0, error = 0;
    const BOOL ok =
        file.Control(code, in.empty() ? nullptr : in.data(), static_cast<DWORD>(in.size()),
                     out.empty() ? nullptr : out.data(), outLength, &bytes, &error);
    if (ok && bytes > outLength)
        std::abort(); // more reported than the output holds
    return ok;
}

// A bulk or interrupt transfer may wait on its pipe for the device, as on real hardware (even a
// write to an IN pipe waits for data there): then the pipe is aborted, or the device removed,
// while the request waits.
BOOL PipeTransfer(FuzzInput& in, Session& s, DWORD code, std::string input, DWORD outLength) {
    std::atomic<bool> done{false};
    BOOL ok = FALSE;
    const std::string pipe = input.substr(0, 4);
    std::thread caller([&] {
        ok = Control(*s.file, code, std::move(input), outLength);
        done = true;
    });
    while (!done && s.machine.Host().WaitingOnPipes(s.pdo) == 0)
        std::this_thread::yield();
    if (!done && !in.Flag())
        Control(*s.file, IOCTL_USB_ABORT_PIPE, pipe, 0);
    // Removal aborts every pipe; also when the abort itself failed.
    if (!done && s.machine.Host().WaitingOnPipes(s.pdo) != 0) {
        kernelsim::FailAllocation(0);
        s.machine.Unplug(s.pdo);
        s.pdo = nullptr;
    }
    caller.join();
    return ok;
}

void Request(FuzzInput& in, Session& s) {
    const std::uint8_t pick = in.Byte();
    const DWORD code = pick < std::size(kCodes) ? kCodes[pick] : in.U32();
    std::string input = in.Text();
    DWORD outLength = in.U16();
    if (outLength > 0x11000)
        outLength = 0x11000;
    if (s.pdo != nullptr && (code == IOCTL_USB_PIPE_READ || code == IOCTL_USB_PIPE_WRITE))
        PipeTransfer(in, s, code, std::move(input), outLength);
    else
        Control(*s.file, code, std::move(input), outLength);
}

// A receiver command blocked inside the receiver while the device is removed.
void RemoveDuringRequest(Session& s) {
    receiversim::Receiver& receiver = s.machine.receiver;
    receiver.HoldRequests();
    std::atomic<bool> done{false};
    std::thread caller([&] {
        const unsigned char request[] = {rcGetOutPort, 0, 0};
        Control(*s.file, IOCTL_RECEIVER_COMMAND, std::string(request, request + 3), 8);
        done = true;
    });
    std::thread remover([&] { s.machine.Unplug(s.pdo); });
    // The removal waits for the held request; give it time to begin, then let the request go.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    receiver.ReleaseRequests();
    caller.join();
    remover.join();
    s.pdo = nullptr;
}

void Step(FuzzInput& in, Session& s) {
    receiversim::Receiver& receiver = s.machine.receiver;
    switch (in.Byte() % 10) {
    case 0:
    case 1:
    case 2:
        if (s.file)
            Request(in, s);
        break;
    case 3:
        kernelsim::FailAllocation(in.Byte() % 8);
        break;
    case 4:
        if (s.pdo != nullptr)
            s.machine.Host().FailNext(IRP_MJ_INTERNAL_DEVICE_CONTROL, 0,
                                      kLowerFailures[in.Byte() % std::size(kLowerFailures)]);
        break;
    case 5: {
        const int count = in.Byte() % 4;
        switch (in.Byte() % 3) {
        case 0:
            receiver.SetNoAnswer(count);
            break;
        case 1:
            receiver.SetShortAnswer(in.Byte() % 9, count);
            break;
        default:
            receiver.SetStall(count);
            break;
        }
        break;
    }
    case 6: {
        const UCHAR length = in.Byte();
        const UCHAR ringStart = in.Byte();
        const std::string stored = in.Text();
        receiver.ReceiveRaw(length, ringStart, std::vector<UCHAR>(stored.begin(), stored.end()));
        break;
    }
    case 7: {
        const std::string answer = in.Text();
        if (in.Flag())
            receiver.QueueBulkIn(std::vector<UCHAR>(answer.begin(), answer.end()));
        else
            receiver.QueueInterruptIn(std::vector<UCHAR>(answer.begin(), answer.end()));
        std::vector<receiversim::IsoInPacket> packets;
        const int n = in.Byte() % 8;
        for (int i = 0; i < n; ++i)
            packets.push_back(
                {in.U16() % 2048u, in.Flag() ? USBD_STATUS_SUCCESS : USBD_STATUS_CRC, in.Byte()});
        receiver.QueueIsoIn(packets);
        break;
    }
    case 8:
        if (s.file && s.pdo != nullptr)
            RemoveDuringRequest(s);
        break;
    default:
        if (s.pdo == nullptr) {
            s.Close();
            kernelsim::FailAllocation(0);
            s.PlugAndOpen();
        }
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    win32sim::ResetMachine();
    kernelsim::ResetKernel();
    {
        Session s;
        s.PlugAndOpen();
        const int steps = 48;
        for (int i = 0; i < steps && !in.AtEnd(); ++i)
            Step(in, s);
        kernelsim::FailAllocation(0);
        if (s.file)
            Control(*s.file, IOCTL_USB_STOP_ISO_STREAM, "", 0);
        s.Close();
    }
    if (!kernelsim::OutstandingPool().empty()) {
        for (const auto& block : kernelsim::OutstandingPool())
            std::fprintf(stderr, "pool left: %s %zu\n", kernelsim::PoolTagText(block.tag).c_str(),
                         static_cast<std::size_t>(block.size));
        std::abort();
    }
    kernelsim::ResetKernel();
    return 0;
}
