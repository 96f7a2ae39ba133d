// The driver's general USB control codes through the device-control path, with the requests the
// receiver saw on the wire.
#include "driver_fixture.h"

#include "win32sim/machine.h"

#include <atomic>
#include <cstring>
#include <thread>

namespace {

using kernelsim::UsbSetupPacket;
using receiversim::WireRequest;

constexpr DWORD kUnsuccessful = 31;      // ERROR_GEN_FAILURE
constexpr DWORD kInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
constexpr DWORD kBufferTooSmall = 122;   // ERROR_INSUFFICIENT_BUFFER
constexpr DWORD kOperationAborted = 995; // ERROR_OPERATION_ABORTED

// Pipes of interface 0, alternate setting 0.
constexpr ULONG kBulkInPipe = 0;
constexpr ULONG kBulkOutPipe = 1;
constexpr ULONG kInterruptPipe = 2;
constexpr ULONG kIsoInPipe = 3;

std::vector<UCHAR> Counting(std::size_t n, UCHAR from = 0) {
    std::vector<UCHAR> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<UCHAR>(from + i);
    }
    return out;
}

bool SameWire(const std::vector<WireRequest>& got, const std::vector<WireRequest>& want) {
    if (got.size() != want.size()) {
        return false;
    }
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (!(got[i].setup == want[i].setup) || got[i].data != want[i].data) {
            return false;
        }
    }
    return true;
}

std::string Describe(const std::vector<WireRequest>& requests) {
    std::string text;
    for (const auto& r : requests) {
        char line[96];
        std::snprintf(line, sizeof(line), "{%02X %02X %04X %04X %u, %zu bytes} ",
                      r.setup.bmRequestType, r.setup.bRequest, r.setup.wValue, r.setup.wIndex,
                      r.setup.wLength, r.data.size());
        text += line;
    }
    return text;
}

VendorRequestParams Vendor(UCHAR request, USHORT value, USHORT index, USHORT length,
                           UCHAR direction, UCHAR dataByte = 0) {
    return {request, 0, value, index, length, direction, dataByte};
}

ControlRequestParams ControlParams(UCHAR direction, UCHAR type, UCHAR recipient, UCHAR request,
                                   USHORT value, USHORT index) {
    return {direction, type, recipient, 0, request, 0, value, index};
}

class GeneralTest : public OpenDriverTest {};

TEST_F(GeneralTest, DriverVersionNeedsSixBytes) {
    auto reply = Control(IOCTL_USB_DRIVER_VERSION, {}, 4);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kUnsuccessful);
    reply = Control(IOCTL_USB_DRIVER_VERSION, {}, 6);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 6u);
    EXPECT_EQ(reply.data, (std::vector<UCHAR>{1, 0, 1, 0, 0, 0}));
}

TEST_F(GeneralTest, NopSucceedsWithNothingOnTheWire) {
    auto reply = Control(IOCTL_USB_NOP, {1, 2, 3}, 4);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 0u);
    EXPECT_TRUE(machine->receiver.SetupLog().empty());
}

TEST_F(GeneralTest, QueryInterfaceCopiesTheSelectedInterface) {
    PUSBD_INTERFACE_INFORMATION info = Extension(pdo)->InterfaceInfo;
    auto reply = Control(IOCTL_USB_QUERY_INTERFACE, {}, 512);
    ASSERT_TRUE(reply.ok);
    ASSERT_EQ(reply.bytes, info->Length);
    EXPECT_EQ(std::memcmp(reply.data.data(), info, info->Length), 0);
    auto* copy = reinterpret_cast<PUSBD_INTERFACE_INFORMATION>(reply.data.data());
    EXPECT_EQ(copy->NumberOfPipes, 5u);
    EXPECT_EQ(copy->Pipes[kIsoInPipe].EndpointAddress, receiversim::kIsoInEndpoint);
}

TEST_F(GeneralTest, DescriptorsComeFromTheDevice) {
    auto reply = Control(IOCTL_USB_READ_DEVICE_DESCRIPTOR, {}, 18);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.data, receiversim::Receiver::DeviceDescriptor());

    const auto config = receiversim::Receiver::ConfigurationDescriptor();
    reply = Control(IOCTL_USB_READ_CONFIG_DESCRIPTOR, {}, 9);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.data, std::vector<UCHAR>(config.begin(), config.begin() + 9));
    reply = Control(IOCTL_USB_READ_CONFIG_DESCRIPTOR, {}, 400);
    EXPECT_TRUE(reply.ok);
    ASSERT_EQ(reply.bytes, config.size());
    EXPECT_EQ(std::vector<UCHAR>(reply.data.begin(), reply.data.begin() + reply.bytes), config);
    // Without an output there is nothing to read into: no bytes, still success.
    reply = Control(IOCTL_USB_READ_CONFIG_DESCRIPTOR, {}, 0);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 0u);

    EXPECT_EQ(machine->receiver.SetupLog().back(),
              (UsbSetupPacket{0x80, USB_REQUEST_GET_DESCRIPTOR, 0x0200, 0, 400}));
}

TEST_F(GeneralTest, StringDescriptors) {
    const auto product = receiversim::Receiver::StringDescriptor(2);
    auto reply = Control(IOCTL_USB_READ_STRING_DESCRIPTOR, {2, 0, 0x09, 0x04}, 255);
    EXPECT_TRUE(reply.ok);
    ASSERT_EQ(reply.bytes, product.size());
    EXPECT_EQ(std::vector<UCHAR>(reply.data.begin(), reply.data.begin() + reply.bytes), product);
    EXPECT_EQ(machine->receiver.SetupLog().back(),
              (UsbSetupPacket{0x80, USB_REQUEST_GET_DESCRIPTOR, 0x0302, 0x0409, 255}));

    // Output length 0: refused before anything is sent.
    machine->receiver.ClearLog();
    reply = Control(IOCTL_USB_READ_STRING_DESCRIPTOR, {2, 0, 0x09, 0x04}, 0);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kInvalidParameter);
    EXPECT_TRUE(machine->receiver.SetupLog().empty());

    // No such string: nothing received.
    reply = Control(IOCTL_USB_READ_STRING_DESCRIPTOR, {9, 0, 0x09, 0x04}, 255);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kUnsuccessful);
    EXPECT_EQ(reply.bytes, 0u);
}

TEST_F(GeneralTest, VendorRequestHostToDeviceSendsTheCountingPatternOrTheDataByte) {
    auto reply = Control(IOCTL_USB_VENDOR_REQUEST, Bytes(Vendor(0x33, 0x1234, 0x5678, 4, 0)), 0);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 0u);
    reply = Control(IOCTL_USB_VENDOR_REQUEST, Bytes(Vendor(0x34, 7, 8, 1, 0, 0xAB)), 0);
    EXPECT_TRUE(reply.ok);
    reply = Control(IOCTL_USB_VENDOR_REQUEST, Bytes(Vendor(0x35, 0, 0, 300, 0)), 0);
    EXPECT_TRUE(reply.ok);
    const std::vector<WireRequest> want{
        {{0x40, 0x33, 0x1234, 0x5678, 4}, {0, 1, 2, 3}},
        {{0x40, 0x34, 7, 8, 1}, {0xAB}},
        {{0x40, 0x35, 0, 0, 300}, Counting(300)},
    };
    const auto got = machine->receiver.VendorRequests();
    EXPECT_TRUE(SameWire(got, want)) << Describe(got);
}

TEST_F(GeneralTest, VendorRequestDeviceToHostAnswersInTheOutput) {
    auto reply = Control(IOCTL_USB_VENDOR_REQUEST, Bytes(Vendor(rcGetBaudDivisor, 0, 0, 8, 1)), 8);
    EXPECT_TRUE(reply.ok);
    ASSERT_EQ(reply.bytes, 8u);
    EXPECT_EQ(reply.data[0], machine->receiver.BaudDivisor());
    EXPECT_EQ(reply.data[1], rcGetBaudDivisor);
    const auto got = machine->receiver.VendorRequests();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].setup, (UsbSetupPacket{0xC0, rcGetBaudDivisor, 0, 0, 8}));
    EXPECT_EQ(got[0].data, std::vector<UCHAR>(reply.data.begin(), reply.data.end()));
}

TEST_F(GeneralTest, VendorRequestRefusesShortBuffers) {
    // Input shorter than the parameters; device-to-host with an output shorter than Length.
    auto reply = Control(IOCTL_USB_VENDOR_REQUEST, {rcGetBaudDivisor, 0, 0, 0, 0, 0, 8, 0, 1}, 8);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kInvalidParameter);
    reply = Control(IOCTL_USB_VENDOR_REQUEST, Bytes(Vendor(rcGetBaudDivisor, 0, 0, 64, 1)), 16);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kBufferTooSmall);
    EXPECT_TRUE(machine->receiver.VendorLog().empty());
}

TEST_F(GeneralTest, ControlRequestChoosesTheFunctionByTypeAndRecipient) {
    const struct {
        UCHAR type, recipient, requestType;
    } cases[] = {
        {2, 0, 0x40}, {2, 1, 0x41}, {2, 2, 0x42}, {2, 3, 0x43},
        {1, 0, 0x20}, {1, 1, 0x21}, {1, 2, 0x22}, {1, 3, 0x23},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int{c.type} << "/" << int{c.recipient});
        machine->receiver.ClearLog();
        auto reply = ControlWith(IOCTL_USB_CONTROL_REQUEST,
                                 Bytes(ControlParams(0, c.type, c.recipient, 0x51, 0x102, 0x304)),
                                 {9, 8, 7});
        // The receiver stalls class requests.
        EXPECT_EQ(reply.ok, c.type == 2);
        const auto log = machine->receiver.SetupLog();
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0], (UsbSetupPacket{c.requestType, 0x51, 0x102, 0x304, 3}));
        if (c.type == 2) {
            EXPECT_EQ(machine->receiver.VendorRequests().at(0).data, (std::vector<UCHAR>{9, 8, 7}));
            EXPECT_EQ(reply.bytes, 3u);
        }
    }
}

TEST_F(GeneralTest, ControlRequestDeviceToHostReadsIntoTheOutput) {
    auto reply =
        Control(IOCTL_USB_CONTROL_REQUEST, Bytes(ControlParams(1, 2, 3, rcGetOutPort, 0, 0)), 16);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 8u); // a short answer is accepted
    EXPECT_EQ(reply.data[1], rcGetOutPort);
    EXPECT_EQ(machine->receiver.SetupLog().back(), (UsbSetupPacket{0xC3, rcGetOutPort, 0, 0, 16}));
}

TEST_F(GeneralTest, ControlRequestRefusesBadKeysAndInputsBeforeAnythingIsSent) {
    const unsigned before = kernelsim::AllocationCount();
    auto reply = Control(IOCTL_USB_CONTROL_REQUEST, Bytes(ControlParams(0, 0, 0, 1, 0, 0)), 4);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kInvalidParameter);
    reply = Control(IOCTL_USB_CONTROL_REQUEST, Bytes(ControlParams(0, 3, 0, 1, 0, 0)), 4);
    EXPECT_EQ(reply.error, kInvalidParameter);
    std::vector<UCHAR> twelve = Bytes(ControlParams(0, 2, 0, 1, 0, 0));
    twelve.resize(12);
    reply = Control(IOCTL_USB_CONTROL_REQUEST, twelve, 4);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kInvalidParameter);
    EXPECT_TRUE(machine->receiver.SetupLog().empty());
    // Only the I/O manager's own blocks were taken: system buffer, request and MDL each time.
    EXPECT_EQ(kernelsim::AllocationCount() - before, 9u);
}

TEST_F(GeneralTest, LastStatusReportsTheLastUsbError) {
    auto reply = Control(IOCTL_USB_LAST_STATUS, {}, 3);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kUnsuccessful);
    reply = Control(IOCTL_USB_LAST_STATUS, {}, 4);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 4u);
    EXPECT_EQ(reply.data, (std::vector<UCHAR>{0, 0, 0, 0}));

    machine->receiver.SetStall(1);
    EXPECT_TRUE(Control(IOCTL_USB_VENDOR_REQUEST, Bytes(Vendor(1, 0, 0, 8, 1)), 8).ok);
    reply = Control(IOCTL_USB_LAST_STATUS, {}, 4);
    LONG last = 0;
    std::memcpy(&last, reply.data.data(), 4);
    EXPECT_EQ(last, USBD_STATUS_STALL_PID);
}

TEST_F(GeneralTest, LoadRamBlocksSendsWholeBlocksOnly) {
    const auto data = Counting(1000, 7);
    auto reply = Control(IOCTL_USB_LOAD_RAM_BLOCKS, data, 0);
    EXPECT_TRUE(reply.ok);
    const std::vector<WireRequest> want{
        {{0x40, 0xA0, 0, 0, 512}, std::vector<UCHAR>(data.begin(), data.begin() + 512)}};
    const auto got = machine->receiver.VendorRequests();
    EXPECT_TRUE(SameWire(got, want)) << Describe(got);
    EXPECT_EQ(machine->receiver.Ram(0, 512), want[0].data);
    EXPECT_EQ(machine->receiver.Ram(512, 4), (std::vector<UCHAR>{0, 0, 0, 0}));

    // Three blocks at 0, 512 and 1024; a failing block does not stop the others nor the success.
    machine->receiver.ClearLog();
    machine->receiver.FailRamWrite(2);
    reply = Control(IOCTL_USB_LOAD_RAM_BLOCKS, Counting(1536), 0);
    EXPECT_TRUE(reply.ok);
    const auto log = machine->receiver.VendorLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1].wValue, 512);
    EXPECT_EQ(log[2].wValue, 1024);
    EXPECT_EQ(machine->receiver.RamWrites().size(), 1u + 2u);
}

TEST_F(GeneralTest, LoadRamSendsSixtyFourByteChunksFromTheStartAddress) {
    const auto data = Counting(130, 1);
    auto reply = ControlWith(IOCTL_USB_LOAD_RAM, {0x00, 0x10}, data);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 0u);
    const std::vector<WireRequest> want{
        {{0x40, 0xA0, 0x1000, 0, 64}, std::vector<UCHAR>(data.begin(), data.begin() + 64)},
        {{0x40, 0xA0, 0x1040, 0, 64}, std::vector<UCHAR>(data.begin() + 64, data.begin() + 128)},
        {{0x40, 0xA0, 0x1080, 0, 2}, std::vector<UCHAR>(data.begin() + 128, data.end())},
    };
    const auto got = machine->receiver.VendorRequests();
    EXPECT_TRUE(SameWire(got, want)) << Describe(got);
    EXPECT_EQ(machine->receiver.Ram(0x1000, 130), data);
}

TEST_F(GeneralTest, LoadRamStopsAtTheFirstFailingChunkAndStillSucceeds) {
    machine->receiver.FailRamWrite(2);
    auto reply = ControlWith(IOCTL_USB_LOAD_RAM, {0xF0, 0xFF}, Counting(200));
    EXPECT_TRUE(reply.ok);
    const auto log = machine->receiver.VendorLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].wValue, 0xFFF0);
    EXPECT_EQ(log[1].wValue, 0x0030); // the address wraps at 16 bits
    EXPECT_EQ(machine->receiver.RamWrites().size(), 1u);
}

TEST_F(GeneralTest, LoadRamNeedsATwoByteInputAndData) {
    for (const auto& input :
         {std::vector<UCHAR>{0, 0x10, 0, 0}, std::vector<UCHAR>{0}, std::vector<UCHAR>{}}) {
        SCOPED_TRACE(input.size());
        auto reply = ControlWith(IOCTL_USB_LOAD_RAM, input, Counting(10));
        EXPECT_TRUE(reply.ok);
    }
    EXPECT_TRUE(ControlWith(IOCTL_USB_LOAD_RAM, {0, 0x10}, {}).ok);
    EXPECT_TRUE(machine->receiver.VendorLog().empty());
}

TEST_F(GeneralTest, ResetPortReachesTheHost) {
    EXPECT_TRUE(Control(IOCTL_USB_RESET_PORT, {}, 0).ok);
    EXPECT_EQ(machine->Host().PortResets(pdo), 1u);
    machine->Host().FailNext(IRP_MJ_INTERNAL_DEVICE_CONTROL, 0, STATUS_UNSUCCESSFUL);
    EXPECT_TRUE(Control(IOCTL_USB_RESET_PORT, {}, 0).ok); // its status is not used
    EXPECT_EQ(machine->Host().PortResets(pdo), 1u);
}

TEST_F(GeneralTest, ResetPipeChecksTheIndexAndResetsThatPipe) {
    EXPECT_TRUE(Control(IOCTL_USB_RESET_PIPE, PipeIndex(kInterruptPipe), 0).ok);
    EXPECT_EQ(machine->Host().ResetCount(pdo, receiversim::kInterruptInEndpoint), 1u);
    auto reply = Control(IOCTL_USB_RESET_PIPE, PipeIndex(5), 0);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kInvalidParameter);
    reply = Control(IOCTL_USB_RESET_PIPE, {0, 0}, 0);
    EXPECT_EQ(reply.error, kInvalidParameter);
    // An interface stack before version 0x101 gets the shorter request.
    kernelsim::SetUsbdiVersion(0x100, 0x110);
    EXPECT_TRUE(Control(IOCTL_USB_RESET_PIPE, PipeIndex(kBulkInPipe), 0).ok);
    EXPECT_EQ(machine->Host().ResetCount(pdo, receiversim::kBulkInEndpoint), 1u);
}

TEST_F(GeneralTest, AbortPipeCompletesAPendingReadCancelled) {
    Reply pending;
    std::thread reader([&] { pending = Control(IOCTL_USB_PIPE_READ, PipeIndex(kBulkInPipe), 64); });
    machine->Host().WaitForWaitingOnPipes(pdo, 1);
    EXPECT_TRUE(Control(IOCTL_USB_ABORT_PIPE, PipeIndex(kBulkInPipe), 0).ok);
    reader.join();
    EXPECT_FALSE(pending.ok);
    EXPECT_EQ(pending.error, kOperationAborted);
    EXPECT_EQ(pending.bytes, 0u);
    EXPECT_EQ(machine->Host().AbortCount(pdo, receiversim::kBulkInEndpoint), 1u);
    EXPECT_EQ(machine->Host().WaitingOnPipes(pdo), 0u);
}

TEST_F(GeneralTest, AbortPipeRefusesABadIndex) {
    auto reply = Control(IOCTL_USB_ABORT_PIPE, PipeIndex(7), 0);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kInvalidParameter);
    reply = Control(IOCTL_USB_ABORT_PIPE, {}, 0);
    EXPECT_EQ(reply.error, kInvalidParameter);
    EXPECT_EQ(machine->Host().UrbCount(pdo, URB_FUNCTION_ABORT_PIPE), 0u);
}

TEST_F(GeneralTest, RemovalCancelsAPendingInterruptRead) {
    Reply pending;
    std::thread reader(
        [&] { pending = Control(IOCTL_USB_PIPE_READ, PipeIndex(kInterruptPipe), 8); });
    machine->Host().WaitForWaitingOnPipes(pdo, 1);
    EXPECT_EQ(machine->Unplug(pdo), STATUS_SUCCESS);
    reader.join();
    EXPECT_EQ(pending.error, kOperationAborted);
}

TEST_F(GeneralTest, BulkAndInterruptTransfersFollowTheEndpoint) {
    auto reply = ControlWith(IOCTL_USB_PIPE_WRITE, PipeIndex(kBulkOutPipe), Counting(100));
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 100u);
    EXPECT_EQ(machine->receiver.BulkOut(), Counting(100));

    machine->receiver.QueueBulkIn({1, 2, 3});
    reply = Control(IOCTL_USB_PIPE_READ, PipeIndex(kBulkInPipe), 64);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 3u);
    EXPECT_EQ(std::vector<UCHAR>(reply.data.begin(), reply.data.begin() + 3),
              (std::vector<UCHAR>{1, 2, 3}));

    // The write code on an IN pipe reads.
    machine->receiver.QueueInterruptIn({9, 9});
    reply = ControlWith(IOCTL_USB_PIPE_WRITE, PipeIndex(kInterruptPipe), std::vector<UCHAR>(8));
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 2u);
    EXPECT_EQ(reply.data[1], 9);
}

TEST_F(GeneralTest, PipeTransfersCheckPipeAndLength) {
    auto reply = Control(IOCTL_USB_PIPE_READ, PipeIndex(kInterruptPipe), 0x10000);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kInvalidParameter);
    reply = Control(IOCTL_USB_PIPE_READ, PipeIndex(kIsoInPipe), 8);
    EXPECT_EQ(reply.error, kInvalidParameter);
    reply = Control(IOCTL_USB_PIPE_READ, PipeIndex(5), 8);
    EXPECT_EQ(reply.error, kInvalidParameter);
    reply = Control(IOCTL_USB_PIPE_READ, {1}, 8);
    EXPECT_EQ(reply.error, kInvalidParameter);
    EXPECT_EQ(machine->Host().UrbCount(pdo, URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER), 0u);
}

TEST_F(GeneralTest, FrameNumberFollowsTheVirtualClock) {
    auto first = Control(IOCTL_USB_READ_FRAME_NUMBER, {}, 4);
    ASSERT_TRUE(first.ok);
    EXPECT_EQ(first.bytes, 4u);
    win32sim::AdvanceClock(25);
    auto second = Control(IOCTL_USB_READ_FRAME_NUMBER, {}, 4);
    ULONG a = 0, b = 0;
    std::memcpy(&a, first.data.data(), 4);
    std::memcpy(&b, second.data.data(), 4);
    EXPECT_EQ(b - a, 25u);
    EXPECT_EQ(b, machine->Host().CurrentFrame());

    auto reply = Control(IOCTL_USB_READ_FRAME_NUMBER, {}, 3);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kInvalidParameter);
    // Frame 0 reads as a failure.
    machine->Host().SetFrameBase(0);
    const ULONG ticks = machine->Host().CurrentFrame();
    machine->Host().SetFrameBase(0u - ticks);
    reply = Control(IOCTL_USB_READ_FRAME_NUMBER, {}, 4);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, kUnsuccessful);
}

TEST_F(GeneralTest, SelectInterfaceReplacesTheInterfaceInformation) {
    EXPECT_TRUE(Control(IOCTL_USB_SELECT_INTERFACE, {0, 1}, 0).ok);
    EXPECT_EQ(machine->receiver.AlternateSetting(), 1);
    EXPECT_EQ(machine->receiver.SetupLog().back(),
              (UsbSetupPacket{0x01, USB_REQUEST_SET_INTERFACE, 1, 0, 0}));
    auto reply = Control(IOCTL_USB_QUERY_INTERFACE, {}, 512);
    auto* info = reinterpret_cast<PUSBD_INTERFACE_INFORMATION>(reply.data.data());
    EXPECT_EQ(info->AlternateSetting, 1);
    EXPECT_EQ(info->NumberOfPipes, 2u);
    EXPECT_EQ(info->Pipes[0].MaximumTransferSize, 0xFFFFu);
    // The isochronous pipe is gone with the setting.
    reply = Control(IOCTL_USB_RESET_PIPE, PipeIndex(kIsoInPipe), 0);
    EXPECT_EQ(reply.error, kInvalidParameter);

    // A setting the device lacks: success all the same, the interface stays.
    EXPECT_TRUE(Control(IOCTL_USB_SELECT_INTERFACE, {0, 5}, 0).ok);
    EXPECT_EQ(Extension(pdo)->InterfaceInfo->AlternateSetting, 1);
    EXPECT_TRUE(Control(IOCTL_USB_SELECT_INTERFACE, {0, 0}, 0).ok);
    EXPECT_EQ(Extension(pdo)->InterfaceInfo->NumberOfPipes, 5u);
    reply = Control(IOCTL_USB_SELECT_INTERFACE, {0}, 0);
    EXPECT_EQ(reply.error, kInvalidParameter);
}

TEST_F(GeneralTest, WithoutAnInterfacePipeRequestsAreUnsuccessful) {
    // The copy of the new interface cannot be made: no interface is left.
    const unsigned before = kernelsim::AllocationCount();
    EXPECT_TRUE(Control(IOCTL_USB_SELECT_INTERFACE, {0, 1}, 0).ok);
    const unsigned count = kernelsim::AllocationCount() - before;
    // The last driver allocation of a selection is the copy; the I/O manager's come first.
    bool lost = false;
    for (unsigned k = 1; k <= count && !lost; ++k) {
        kernelsim::FailAllocation(k);
        Control(IOCTL_USB_SELECT_INTERFACE, {0, 0}, 0);
        kernelsim::FailAllocation(0);
        lost = Extension(pdo)->InterfaceInfo == nullptr;
    }
    ASSERT_TRUE(lost);
    auto reply = Control(IOCTL_USB_QUERY_INTERFACE, {}, 512);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 0u);
    for (DWORD code :
         {DWORD{IOCTL_USB_RESET_PIPE}, DWORD{IOCTL_USB_ABORT_PIPE}, DWORD{IOCTL_USB_PIPE_READ}}) {
        SCOPED_TRACE(code);
        reply = Control(code, PipeIndex(0), 8);
        EXPECT_FALSE(reply.ok);
        EXPECT_EQ(reply.error, kUnsuccessful);
    }
    EXPECT_TRUE(Control(IOCTL_USB_SELECT_INTERFACE, {0, 0}, 0).ok);
    EXPECT_NE(Extension(pdo)->InterfaceInfo, nullptr);
}

TEST_F(GeneralTest, RequestsRacingInterfaceChangesSeeOneWholeSettingOrTheOther) {
    std::atomic<bool> done{false};
    std::atomic<unsigned> bad{0};
    std::atomic<unsigned> answered{0};
    auto user = [&] {
        auto own = Open();
        while (!done) {
            // Each answer comes from one setting: 5 pipes in setting 0, 2 in setting 1.
            Reply query = DriverTest::Control(*own, IOCTL_USB_QUERY_INTERFACE, {}, 512);
            PUSBD_INTERFACE_INFORMATION info = nullptr;
            if (query.ok && query.bytes >= sizeof(USBD_INTERFACE_INFORMATION)) {
                info = reinterpret_cast<PUSBD_INTERFACE_INFORMATION>(query.data.data());
            }
            if (info == nullptr || info->NumberOfPipes != (info->AlternateSetting == 0 ? 5u : 2u) ||
                query.bytes != GET_USBD_INTERFACE_SIZE(info->NumberOfPipes)) {
                ++bad;
            }
            // A pipe of a setting just left fails as the host fails it; nothing else may go
            // wrong.
            for (DWORD code : {DWORD{IOCTL_USB_RESET_PIPE}, DWORD{IOCTL_USB_PIPE_WRITE}}) {
                Reply reply = DriverTest::Control(*own, code, PipeIndex(kBulkOutPipe), 4);
                if (!reply.ok && reply.error != kUnsuccessful && reply.error != kOperationAborted) {
                    ++bad;
                }
            }
            ++answered;
        }
    };
    std::thread a(user), b(user);
    for (int i = 0; i < 100; ++i) {
        EXPECT_TRUE(Control(IOCTL_USB_SELECT_INTERFACE, {0, static_cast<UCHAR>(i % 2 == 0)}, 0).ok);
    }
    while (answered < 20) {
        std::this_thread::yield();
    }
    done = true;
    a.join();
    b.join();
    EXPECT_EQ(bad.load(), 0u);
    EXPECT_EQ(Extension(pdo)->InterfaceInfo->AlternateSetting, 0);
}

TEST_F(GeneralTest, InjectedAllocationFailuresLeaveNoDriverPool) {
    struct Case {
        DWORD code;
        std::vector<UCHAR> in;
        std::vector<UCHAR> out;
    };
    const Case cases[] = {
        {IOCTL_USB_READ_DEVICE_DESCRIPTOR, {}, std::vector<UCHAR>(18)},
        {IOCTL_USB_READ_STRING_DESCRIPTOR, {1, 0, 9, 4}, std::vector<UCHAR>(64)},
        {IOCTL_USB_VENDOR_REQUEST, Bytes(Vendor(1, 0, 0, 8, 1)), std::vector<UCHAR>(8)},
        {IOCTL_USB_VENDOR_REQUEST, Bytes(Vendor(1, 0, 0, 8, 0)), {}},
        {IOCTL_USB_CONTROL_REQUEST, Bytes(ControlParams(1, 2, 0, 6, 0, 0)), std::vector<UCHAR>(8)},
        {IOCTL_USB_LOAD_RAM_BLOCKS, Counting(1024), {}},
        {IOCTL_USB_LOAD_RAM, {0, 0}, Counting(100)},
        {IOCTL_USB_RESET_PIPE, PipeIndex(0), {}},
        {IOCTL_USB_ABORT_PIPE, PipeIndex(0), {}},
        {IOCTL_USB_READ_FRAME_NUMBER, {}, std::vector<UCHAR>(4)},
        {IOCTL_USB_RESET_PORT, {}, {}},
        {IOCTL_USB_SELECT_INTERFACE, {0, 0}, {}},
        {IOCTL_USB_PIPE_WRITE, PipeIndex(1), Counting(10)},
    };
    const std::size_t baseline = DriverPoolBlocks();
    for (const auto& c : cases) {
        const unsigned before = kernelsim::AllocationCount();
        ControlWith(c.code, c.in, c.out);
        const unsigned count = kernelsim::AllocationCount() - before;
        for (unsigned k = 1; k <= count; ++k) {
            SCOPED_TRACE(testing::Message() << std::hex << c.code << std::dec << " failing " << k);
            kernelsim::FailAllocation(k);
            auto reply = ControlWith(c.code, c.in, c.out);
            kernelsim::FailAllocation(0);
            if (!reply.ok) {
                EXPECT_NE(reply.error, 0u);
            }
            // The interface a failed selection dropped comes back first.
            if (Extension(pdo)->InterfaceInfo == nullptr) {
                ASSERT_TRUE(ControlWith(IOCTL_USB_SELECT_INTERFACE, {0, 0}, {}).ok);
            }
            EXPECT_EQ(DriverPoolBlocks(), baseline) << DescribeOutstandingPool();
            EXPECT_EQ(Extension(pdo)->PendingIoCount, 1);
        }
    }
}

} // namespace
