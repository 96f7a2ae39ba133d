// The simulated USB host controller: URBs served for a device on a port, faults and pending.
#include "kernel_fixture.h"
#include "kernelsim/pnp.h"
#include "kernelsim/usb_host.h"

#include <usbdlib.h>
#include <usbioctl.h>

#include <cstring>
#include <vector>

namespace {

using kernelsim::UsbSetupPacket;
using kernelsim::UsbTransferResult;

// A device with one interface of two bulk endpoints, answering vendor reads with a pattern.
class FakeDevice : public kernelsim::UsbDevice {
public:
    UsbTransferResult ControlTransfer(const UsbSetupPacket& setup, UCHAR* data) override {
        log.push_back(setup);
        if (setup.bRequest == USB_REQUEST_GET_DESCRIPTOR && (setup.wValue >> 8) == 2) {
            const ULONG n = std::min<ULONG>(setup.wLength, config.size());
            std::memcpy(data, config.data(), n);
            return {USBD_STATUS_SUCCESS, n};
        }
        if (setup.bRequest == USB_REQUEST_SET_CONFIGURATION) {
            return {USBD_STATUS_SUCCESS, 0};
        }
        if ((setup.bmRequestType & 0x60) == 0x40) {
            for (ULONG i = 0; i < setup.wLength; ++i) {
                data[i] = static_cast<UCHAR>(0xA0 + i);
            }
            return {USBD_STATUS_SUCCESS, std::min<ULONG>(answerLength, setup.wLength)};
        }
        return {USBD_STATUS_STALL_PID, 0};
    }

    std::vector<UCHAR> config{9, 2, 32,   0, 1,  1,    0, 0x80, 50, // configuration
                              9, 4, 0,    0, 2,  0xFF, 0, 0,    0,  // interface 0
                              7, 5, 0x81, 2, 64, 0,    0, 7,    5,  0x02, 2, 64, 0, 0};
    std::vector<UsbSetupPacket> log;
    ULONG answerLength = 8;
};

class UsbHostTest : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        host = std::make_unique<kernelsim::UsbHostController>();
        pdo = host->Attach(device);
        ASSERT_NE(pdo, nullptr);
    }
    void TearDown() override {
        host->Detach(pdo);
        host.reset();
        KernelTest::TearDown();
    }

    // Submits a URB the way a function driver does, waiting when it pends.
    NTSTATUS Submit(PURB urb) {
        KEVENT done;
        IO_STATUS_BLOCK iosb{};
        KeInitializeEvent(&done, NotificationEvent, FALSE);
        PIRP irp = IoBuildDeviceIoControlRequest(IOCTL_INTERNAL_USB_SUBMIT_URB, pdo, nullptr, 0,
                                                 nullptr, 0, TRUE, &done, &iosb);
        IoGetNextIrpStackLocation(irp)->Parameters.Others.Argument1 = urb;
        NTSTATUS status = IoCallDriver(pdo, irp);
        if (status == STATUS_PENDING) {
            KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
            status = iosb.Status;
        }
        return status;
    }

    NTSTATUS Vendor(UCHAR request, ULONG flags, UCHAR* buffer, ULONG length, URB* urb) {
        std::memset(urb, 0, sizeof(URB));
        UsbBuildVendorRequest(urb, URB_FUNCTION_VENDOR_ENDPOINT,
                              sizeof(_URB_CONTROL_VENDOR_OR_CLASS_REQUEST), flags, 0, request, 5, 6,
                              buffer, nullptr, length, nullptr);
        return Submit(urb);
    }

    FakeDevice device;
    std::unique_ptr<kernelsim::UsbHostController> host;
    PDEVICE_OBJECT pdo = nullptr;
};

TEST_F(UsbHostTest, VendorRequestBecomesTheSetupPacketOnTheWire) {
    URB urb;
    UCHAR buffer[8] = {};
    EXPECT_EQ(Vendor(2, USBD_TRANSFER_DIRECTION_IN | USBD_SHORT_TRANSFER_OK, buffer, 8, &urb),
              STATUS_SUCCESS);
    ASSERT_EQ(device.log.size(), 1u);
    EXPECT_EQ(device.log[0], (UsbSetupPacket{0xC2, 2, 5, 6, 8}));
    EXPECT_EQ(urb.UrbHeader.Status, USBD_STATUS_SUCCESS);
    EXPECT_EQ(urb.UrbControlVendorClassRequest.TransferBufferLength, 8u);
    EXPECT_EQ(buffer[7], 0xA7);
}

TEST_F(UsbHostTest, ShortAnswerIsAnErrorUnlessShortTransfersAreAllowed) {
    device.answerLength = 3;
    URB urb;
    UCHAR buffer[8];
    std::memset(buffer, 0xEE, sizeof(buffer));
    EXPECT_EQ(Vendor(2, USBD_TRANSFER_DIRECTION_IN | USBD_SHORT_TRANSFER_OK, buffer, 8, &urb),
              STATUS_SUCCESS);
    EXPECT_EQ(urb.UrbControlVendorClassRequest.TransferBufferLength, 3u);
    EXPECT_EQ(buffer[3], 0xEE) << "bytes not delivered are not written";

    EXPECT_EQ(Vendor(2, USBD_TRANSFER_DIRECTION_IN, buffer, 8, &urb), STATUS_UNSUCCESSFUL);
    EXPECT_EQ(urb.UrbHeader.Status, USBD_STATUS_ERROR_SHORT_TRANSFER);
    host->SetUrbErrorIrpStatus(STATUS_SUCCESS);
    EXPECT_EQ(Vendor(2, USBD_TRANSFER_DIRECTION_IN, buffer, 8, &urb), STATUS_SUCCESS);
    EXPECT_EQ(urb.UrbHeader.Status, USBD_STATUS_ERROR_SHORT_TRANSFER);
}

TEST_F(UsbHostTest, SelectConfigurationGivesPipesThatCanBeAborted) {
    auto* config = reinterpret_cast<PUSB_CONFIGURATION_DESCRIPTOR>(device.config.data());
    PUSB_INTERFACE_DESCRIPTOR interface =
        USBD_ParseConfigurationDescriptorEx(config, config, -1, -1, -1, -1, -1);
    ASSERT_NE(interface, nullptr);
    USBD_INTERFACE_LIST_ENTRY list[2] = {{interface, nullptr}, {nullptr, nullptr}};
    PURB select = USBD_CreateConfigurationRequestEx(config, list);
    ASSERT_NE(select, nullptr);
    EXPECT_EQ(Submit(select), STATUS_SUCCESS);
    EXPECT_TRUE(host->IsConfigured(pdo));
    PUSBD_INTERFACE_INFORMATION info = list[0].Interface;
    ASSERT_EQ(info->NumberOfPipes, 2u);
    EXPECT_EQ(info->Pipes[0].EndpointAddress, 0x81);
    EXPECT_EQ(info->Pipes[0].PipeType, UsbdPipeTypeBulk);
    EXPECT_EQ(info->Pipes[1].MaximumPacketSize, 64);
    EXPECT_NE(select->UrbSelectConfiguration.ConfigurationHandle, nullptr);
    EXPECT_EQ(device.log.back(), (UsbSetupPacket{0x00, USB_REQUEST_SET_CONFIGURATION, 1, 0, 0}));

    URB abort{};
    abort.UrbHeader.Function = URB_FUNCTION_ABORT_PIPE;
    abort.UrbHeader.Length = sizeof(_URB_PIPE_REQUEST);
    abort.UrbPipeRequest.PipeHandle = info->Pipes[1].PipeHandle;
    EXPECT_EQ(Submit(&abort), STATUS_SUCCESS);
    EXPECT_EQ(host->AbortCount(pdo, 0x02), 1u);
    abort.UrbPipeRequest.PipeHandle = &abort;
    EXPECT_EQ(Submit(&abort), STATUS_UNSUCCESSFUL);
    EXPECT_EQ(abort.UrbHeader.Status, USBD_STATUS_INVALID_PIPE_HANDLE);

    // Without a descriptor the device goes unconfigured and the pipes are gone.
    UsbBuildSelectConfigurationRequest(select, sizeof(_URB_SELECT_CONFIGURATION), nullptr);
    EXPECT_EQ(Submit(select), STATUS_SUCCESS);
    EXPECT_FALSE(host->IsConfigured(pdo));
    abort.UrbPipeRequest.PipeHandle = info->Pipes[1].PipeHandle;
    EXPECT_EQ(Submit(&abort), STATUS_UNSUCCESSFUL);
    ExFreePool(select);
}

TEST_F(UsbHostTest, PendedRequestsCompleteOnAWorker) {
    host->SetPendRequests(true);
    URB urb;
    UCHAR buffer[8] = {};
    EXPECT_EQ(Vendor(2, USBD_TRANSFER_DIRECTION_IN | USBD_SHORT_TRANSFER_OK, buffer, 8, &urb),
              STATUS_SUCCESS);
    EXPECT_EQ(buffer[0], 0xA0);
    EXPECT_EQ(host->UrbCount(pdo, URB_FUNCTION_VENDOR_ENDPOINT), 1u);
}

TEST_F(UsbHostTest, PlugAndPlayFaultsAndCapabilities) {
    host->FailNext(IRP_MJ_PNP, IRP_MN_START_DEVICE, STATUS_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(kernelsim::StartDevice(pdo), STATUS_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(kernelsim::StartDevice(pdo), STATUS_SUCCESS);
    DEVICE_CAPABILITIES caps{};
    caps.Size = sizeof(caps);
    caps.Version = 1;
    EXPECT_EQ(kernelsim::QueryCapabilities(pdo, &caps), STATUS_SUCCESS);
    EXPECT_EQ(caps.Removable, 1u);
    EXPECT_EQ(caps.DeviceState[PowerSystemWorking], PowerDeviceD0);
    // Requests a bus driver does not handle keep their status.
    EXPECT_EQ(kernelsim::SendPnp(pdo, IRP_MN_QUERY_DEVICE_TEXT), STATUS_NOT_SUPPORTED);
}

TEST_F(UsbHostTest, ParseFindsInterfacesByCriteria) {
    auto* config = reinterpret_cast<PUSB_CONFIGURATION_DESCRIPTOR>(device.config.data());
    EXPECT_NE(USBD_ParseConfigurationDescriptorEx(config, config, 0, 0, 0xFF, -1, -1), nullptr);
    EXPECT_EQ(USBD_ParseConfigurationDescriptorEx(config, config, 0, 1, -1, -1, -1), nullptr);
    EXPECT_EQ(USBD_ParseConfigurationDescriptorEx(config, config, -1, -1, 3, -1, -1), nullptr);
    // A descriptor whose length runs past the total stops the walk.
    device.config[9] = 40;
    EXPECT_EQ(USBD_ParseConfigurationDescriptorEx(config, config, -1, -1, -1, -1, -1), nullptr);
}

} // namespace
