// The simulated USB host controller's data transfers: bulk requests that wait on their pipe,
// isochronous packets served on the worker threads, and the frame number.
#include "kernel_fixture.h"
#include "kernelsim/usb_host.h"
#include "win32sim/machine.h"

#include <usbdlib.h>
#include <usbioctl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <thread>
#include <vector>

namespace {

using kernelsim::UsbSetupPacket;
using kernelsim::UsbTransferResult;

// One interface with a bulk IN endpoint that never has data and an isochronous IN endpoint.
class StreamingDevice : public kernelsim::UsbDevice {
public:
    UsbTransferResult ControlTransfer(const UsbSetupPacket& setup, UCHAR*) override {
        return {setup.bRequest == USB_REQUEST_SET_CONFIGURATION ||
                        setup.bRequest == USB_REQUEST_SET_INTERFACE
                    ? USBD_STATUS_SUCCESS
                    : USBD_STATUS_STALL_PID,
                0};
    }
    UsbTransferResult DataTransfer(UCHAR, UCHAR*, ULONG) override {
        RunHookOnce();
        return {USBD_STATUS_PENDING, 0};
    }
    // Packet k of a request (by frame) answers 3k bytes of value k; the second one fails.
    UsbTransferResult IsoPacket(UCHAR endpoint, ULONG frame, UCHAR* data, ULONG length) override {
        const ULONG k = frame - firstFrame;
        if (k == 0) {
            RunHookOnce();
        }
        endpoints.push_back(endpoint);
        threads.push_back(std::this_thread::get_id());
        if (k == 1) {
            return {USBD_STATUS_CRC, 0};
        }
        const ULONG n = std::min(length, 3 * k);
        std::memset(data, static_cast<int>(k), n);
        return {USBD_STATUS_SUCCESS, n};
    }

    std::vector<UCHAR> config{9, 2, 32, 0, 1,    1, 0,  0x80, 50, 9, 4, 0,    0, 2,  0xFF, 0,
                              0, 0, 7,  5, 0x81, 2, 64, 0,    0,  7, 5, 0x83, 1, 16, 0,    1};
    ULONG firstFrame = 0;
    std::vector<std::thread::id> threads;
    std::vector<UCHAR> endpoints;
    // Runs once, inside a bulk request or the first packet of an isochronous one.
    std::function<void()> whileAsked;

private:
    void RunHookOnce() {
        if (whileAsked) {
            const auto hook = std::move(whileAsked);
            whileAsked = nullptr;
            hook();
        }
    }
};

class UsbHostTransferTest : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        host = std::make_unique<kernelsim::UsbHostController>(2);
        pdo = host->Attach(device);
        ASSERT_NE(pdo, nullptr);
        auto* config = reinterpret_cast<PUSB_CONFIGURATION_DESCRIPTOR>(device.config.data());
        PUSB_INTERFACE_DESCRIPTOR interface =
            USBD_ParseConfigurationDescriptorEx(config, config, -1, -1, -1, -1, -1);
        USBD_INTERFACE_LIST_ENTRY list[2] = {{interface, nullptr}, {nullptr, nullptr}};
        select = USBD_CreateConfigurationRequestEx(config, list);
        ASSERT_EQ(Submit(select), STATUS_SUCCESS);
        info = list[0].Interface;
        ASSERT_EQ(info->NumberOfPipes, 2u);
    }
    void TearDown() override {
        ExFreePool(select);
        host->Detach(pdo);
        host.reset();
        KernelTest::TearDown();
    }

    NTSTATUS Submit(PURB urb, bool* pended = nullptr) {
        KEVENT done;
        IO_STATUS_BLOCK iosb{};
        KeInitializeEvent(&done, NotificationEvent, FALSE);
        PIRP irp = IoBuildDeviceIoControlRequest(IOCTL_INTERNAL_USB_SUBMIT_URB, pdo, nullptr, 0,
                                                 nullptr, 0, TRUE, &done, &iosb);
        IoGetNextIrpStackLocation(irp)->Parameters.Others.Argument1 = urb;
        NTSTATUS status = IoCallDriver(pdo, irp);
        if (pended != nullptr) {
            *pended = status == STATUS_PENDING;
        }
        if (status == STATUS_PENDING) {
            KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
            status = iosb.Status;
        }
        return status;
    }

    // An isochronous URB of n packets of 8 bytes over buffer.
    std::vector<UCHAR> IsoUrb(ULONG n, UCHAR* buffer) {
        std::vector<UCHAR> block(GET_ISO_URB_SIZE(n), 0);
        auto* urb = reinterpret_cast<PURB>(block.data());
        auto& iso = urb->UrbIsochronousTransfer;
        urb->UrbHeader.Length = static_cast<USHORT>(block.size());
        urb->UrbHeader.Function = URB_FUNCTION_ISOCH_TRANSFER;
        iso.PipeHandle = info->Pipes[1].PipeHandle;
        iso.TransferFlags = USBD_TRANSFER_DIRECTION_IN | USBD_START_ISO_TRANSFER_ASAP;
        iso.TransferBuffer = buffer;
        iso.TransferBufferLength = 8 * n;
        iso.NumberOfPackets = n;
        for (ULONG k = 0; k < n; ++k) {
            iso.IsoPacket[k].Offset = 8 * k;
            iso.IsoPacket[k].Length = 8;
        }
        return block;
    }

    // Selects alternate setting 0 again: new pipes; returns their information.
    std::vector<USBD_PIPE_INFORMATION> SelectAgain() {
        // Room for a whole URB, though the request is shorter.
        std::vector<UCHAR> block(std::max(sizeof(URB), GET_SELECT_INTERFACE_REQUEST_SIZE(2)), 0);
        auto* urb = reinterpret_cast<PURB>(block.data());
        urb->UrbHeader.Length = static_cast<USHORT>(GET_SELECT_INTERFACE_REQUEST_SIZE(2));
        urb->UrbHeader.Function = URB_FUNCTION_SELECT_INTERFACE;
        urb->UrbSelectInterface.ConfigurationHandle =
            select->UrbSelectConfiguration.ConfigurationHandle;
        PUSBD_INTERFACE_INFORMATION chosen = &urb->UrbSelectInterface.Interface;
        chosen->Length = static_cast<USHORT>(GET_USBD_INTERFACE_SIZE(2));
        EXPECT_EQ(Submit(urb), STATUS_SUCCESS);
        return {chosen->Pipes, chosen->Pipes + chosen->NumberOfPipes};
    }

    static URB BulkRead(USBD_PIPE_HANDLE pipe, std::vector<UCHAR>& buffer) {
        URB read{};
        read.UrbHeader.Function = URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER;
        read.UrbHeader.Length = sizeof(_URB_BULK_OR_INTERRUPT_TRANSFER);
        read.UrbBulkOrInterruptTransfer.PipeHandle = pipe;
        read.UrbBulkOrInterruptTransfer.TransferFlags = USBD_TRANSFER_DIRECTION_IN;
        read.UrbBulkOrInterruptTransfer.TransferBuffer = buffer.data();
        read.UrbBulkOrInterruptTransfer.TransferBufferLength = static_cast<ULONG>(buffer.size());
        return read;
    }

    StreamingDevice device;
    std::unique_ptr<kernelsim::UsbHostController> host;
    PDEVICE_OBJECT pdo = nullptr;
    PURB select = nullptr;
    PUSBD_INTERFACE_INFORMATION info = nullptr;
};

TEST_F(UsbHostTransferTest, IsochronousPacketsCompleteOnAWorkerWithTheirOwnResults) {
    win32sim::AdvanceClock(40);
    device.firstFrame = host->CurrentFrame();
    std::vector<UCHAR> buffer(24, 0xEE);
    auto block = IsoUrb(3, buffer.data());
    auto* urb = reinterpret_cast<PURB>(block.data());
    bool pended = false;
    EXPECT_EQ(Submit(urb, &pended), STATUS_SUCCESS);
    EXPECT_TRUE(pended);
    const auto& iso = urb->UrbIsochronousTransfer;
    EXPECT_EQ(iso.StartFrame, device.firstFrame);
    EXPECT_EQ(iso.ErrorCount, 1u);
    EXPECT_EQ(iso.IsoPacket[0].Length, 0u);
    EXPECT_EQ(iso.IsoPacket[1].Status, USBD_STATUS_CRC);
    EXPECT_EQ(iso.IsoPacket[1].Length, 0u);
    EXPECT_EQ(iso.IsoPacket[2].Status, USBD_STATUS_SUCCESS);
    EXPECT_EQ(iso.IsoPacket[2].Length, 6u);
    EXPECT_EQ(std::vector<UCHAR>(buffer.begin() + 16, buffer.end()),
              (std::vector<UCHAR>{2, 2, 2, 2, 2, 2, 0xEE, 0xEE}));
    EXPECT_EQ(buffer[8], 0xEE);
    ASSERT_EQ(device.threads.size(), 3u);
    EXPECT_NE(device.threads[0], std::this_thread::get_id());
}

TEST_F(UsbHostTransferTest, AnIsochronousUrbTooShortForItsPacketsIsRefused) {
    std::vector<UCHAR> buffer(24);
    auto block = IsoUrb(3, buffer.data());
    auto* urb = reinterpret_cast<PURB>(block.data());
    urb->UrbHeader.Length =
        static_cast<USHORT>(GET_ISO_URB_SIZE(1) - sizeof(USBD_ISO_PACKET_DESCRIPTOR));
    EXPECT_EQ(Submit(urb), STATUS_UNSUCCESSFUL);
    EXPECT_EQ(urb->UrbHeader.Status, USBD_STATUS_INVALID_PARAMETER);
    EXPECT_TRUE(device.threads.empty());
}

TEST_F(UsbHostTransferTest, AWaitingBulkReadEndsCancelledWhenItsPipeIsAborted) {
    std::vector<UCHAR> buffer(64);
    URB read{};
    read.UrbHeader.Function = URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER;
    read.UrbHeader.Length = sizeof(_URB_BULK_OR_INTERRUPT_TRANSFER);
    read.UrbBulkOrInterruptTransfer.PipeHandle = info->Pipes[0].PipeHandle;
    read.UrbBulkOrInterruptTransfer.TransferFlags = USBD_TRANSFER_DIRECTION_IN;
    read.UrbBulkOrInterruptTransfer.TransferBuffer = buffer.data();
    read.UrbBulkOrInterruptTransfer.TransferBufferLength = 64;
    NTSTATUS status = STATUS_SUCCESS;
    std::thread reader([&] { status = Submit(&read); });
    host->WaitForWaitingOnPipes(pdo, 1);
    URB abort{};
    abort.UrbHeader.Function = URB_FUNCTION_ABORT_PIPE;
    abort.UrbHeader.Length = sizeof(_URB_PIPE_REQUEST);
    abort.UrbPipeRequest.PipeHandle = info->Pipes[0].PipeHandle;
    EXPECT_EQ(Submit(&abort), STATUS_SUCCESS);
    reader.join();
    EXPECT_EQ(status, STATUS_CANCELLED);
    EXPECT_EQ(read.UrbHeader.Status, USBD_STATUS_CANCELED);
    EXPECT_EQ(host->WaitingOnPipes(pdo), 0u);
}

TEST_F(UsbHostTransferTest, TheFrameNumberAdvancesOnePerMillisecond) {
    URB frame{};
    frame.UrbHeader.Function = URB_FUNCTION_GET_CURRENT_FRAME_NUMBER;
    frame.UrbHeader.Length = sizeof(_URB_GET_CURRENT_FRAME_NUMBER);
    ASSERT_EQ(Submit(&frame), STATUS_SUCCESS);
    const ULONG first = frame.UrbGetCurrentFrameNumber.FrameNumber;
    win32sim::AdvanceClock(17);
    ASSERT_EQ(Submit(&frame), STATUS_SUCCESS);
    EXPECT_EQ(frame.UrbGetCurrentFrameNumber.FrameNumber - first, 17u);
}

TEST_F(UsbHostTransferTest, PipesOfAnEarlierSettingAreInvalidEvenWhenTheSettingComesBack) {
    const USBD_PIPE_HANDLE firstBulk = info->Pipes[0].PipeHandle;
    const USBD_PIPE_HANDLE firstIso = info->Pipes[1].PipeHandle;
    SelectAgain();
    const auto pipes = SelectAgain();
    ASSERT_EQ(pipes.size(), 2u);
    for (const auto& pipe : pipes) {
        EXPECT_NE(pipe.PipeHandle, firstBulk);
        EXPECT_NE(pipe.PipeHandle, firstIso);
    }

    std::vector<UCHAR> buffer(64);
    URB read = BulkRead(firstBulk, buffer);
    EXPECT_EQ(Submit(&read), STATUS_UNSUCCESSFUL);
    EXPECT_EQ(read.UrbHeader.Status, USBD_STATUS_INVALID_PIPE_HANDLE);
    EXPECT_EQ(host->WaitingOnPipes(pdo), 0u);

    auto block = IsoUrb(3, buffer.data());
    auto* iso = reinterpret_cast<PURB>(block.data());
    iso->UrbIsochronousTransfer.PipeHandle = firstIso;
    EXPECT_EQ(Submit(iso), STATUS_UNSUCCESSFUL);
    EXPECT_EQ(iso->UrbHeader.Status, USBD_STATUS_INVALID_PIPE_HANDLE);
    EXPECT_TRUE(device.threads.empty()) << "no packet of a gone pipe reaches the device";

    for (USHORT function :
         {USHORT{URB_FUNCTION_ABORT_PIPE}, USHORT{URB_FUNCTION_SYNC_RESET_PIPE_AND_CLEAR_STALL}}) {
        SCOPED_TRACE(function);
        URB request{};
        request.UrbHeader.Function = function;
        request.UrbHeader.Length = sizeof(_URB_PIPE_REQUEST);
        request.UrbPipeRequest.PipeHandle = firstIso;
        EXPECT_EQ(Submit(&request), STATUS_UNSUCCESSFUL);
        EXPECT_EQ(request.UrbHeader.Status, USBD_STATUS_INVALID_PIPE_HANDLE);
    }

    // The new setting's pipe serves.
    iso->UrbIsochronousTransfer.PipeHandle = pipes[1].PipeHandle;
    device.firstFrame = host->CurrentFrame();
    EXPECT_EQ(Submit(iso), STATUS_SUCCESS);
    EXPECT_EQ(device.threads.size(), 3u);
}

TEST_F(UsbHostTransferTest, AnIsochronousRequestInFlightFinishesWhenItsPipeGoesMeanwhile) {
    std::promise<void> reached, proceed;
    std::shared_future<void> go = proceed.get_future().share();
    device.whileAsked = [&] {
        reached.set_value();
        go.wait();
    };
    device.firstFrame = host->CurrentFrame();
    std::vector<UCHAR> buffer(24, 0xEE);
    auto block = IsoUrb(3, buffer.data());
    auto* urb = reinterpret_cast<PURB>(block.data());
    NTSTATUS status = STATUS_PENDING;
    std::thread submitter([&] { status = Submit(urb); });
    reached.get_future().wait();
    // The pipe the worker is serving is freed now; its remaining packets must not read it.
    SelectAgain();
    proceed.set_value();
    submitter.join();
    EXPECT_EQ(status, STATUS_SUCCESS);
    EXPECT_EQ(device.endpoints, (std::vector<UCHAR>{0x83, 0x83, 0x83}));
    EXPECT_EQ(urb->UrbIsochronousTransfer.IsoPacket[2].Length, 6u);
}

TEST_F(UsbHostTransferTest, ABulkRequestWhosePipeGoesWhileTheDeviceIsAskedDoesNotWaitForever) {
    std::vector<UCHAR> buffer(64);
    URB read = BulkRead(info->Pipes[0].PipeHandle, buffer);
    std::promise<void> reached, proceed;
    std::shared_future<void> go = proceed.get_future().share();
    device.whileAsked = [&] {
        reached.set_value();
        go.wait();
    };
    std::promise<NTSTATUS> result;
    std::future<NTSTATUS> done = result.get_future();
    std::thread reader([&] { result.set_value(Submit(&read)); });
    reached.get_future().wait();
    const auto pipes = SelectAgain();
    proceed.set_value();
    const bool ended = done.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!ended) {
        // Frees the reader that waits on the gone pipe, so that the test can end.
        SelectAgain();
    }
    reader.join();
    ASSERT_TRUE(ended) << "the request waited on a pipe that no longer exists";
    EXPECT_EQ(done.get(), STATUS_UNSUCCESSFUL);
    EXPECT_EQ(read.UrbHeader.Status, USBD_STATUS_INVALID_PIPE_HANDLE);
    EXPECT_EQ(host->WaitingOnPipes(pdo), 0u);
}

} // namespace
