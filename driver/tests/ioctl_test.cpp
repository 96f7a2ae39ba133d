// The driver's device-control requests for the receiver, seen on the wire by the receiver.
#include "driver_fixture.h"

namespace {

using kernelsim::UsbSetupPacket;

UsbSetupPacket Wire(UCHAR request, USHORT value, USHORT index) {
    return {RECEIVER_REQUEST_TYPE, request, value, index, RECEIVER_REPLY_LENGTH};
}

class DriverIoctlTest : public OpenDriverTest {
protected:
    // The requests name their file and take an 8-byte output unless told otherwise.
    using DriverTest::Control;
};

TEST_F(DriverIoctlTest, EveryReceiverCommandIsOneVendorRequestOnTheWire) {
    const struct {
        UCHAR command, value, index;
    } cases[] = {
        {rcAckCode, 0, 0},          {rcReadCodeBuffer, 11, 0}, {rcSetPortDirection, 1, 0},
        {rcGetPortDirection, 0, 0}, {rcSetOutPort, 1, 0},      {rcGetOutPort, 0, 0},
        {rcGetInPort, 0, 0},        {rcEepromRead, 200, 0},    {rcEepromWrite, 255, 0x7F},
        {rcSerialSend, 0x41, 0},    {rcSerialRead, 0, 0},      {rcSetBaudDivisor, 77, 0},
        {rcGetBaudDivisor, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.command));
        machine->receiver.ClearLog();
        auto reply = Control(*file, IOCTL_RECEIVER_COMMAND, {c.command, c.value, c.index});
        EXPECT_TRUE(reply.ok);
        EXPECT_EQ(machine->receiver.VendorLog(),
                  std::vector<UsbSetupPacket>{Wire(c.command, c.value, c.index)});
        EXPECT_EQ(reply.bytes, c.command == rcSerialRead ? 2u : 8u);
    }
    EXPECT_EQ(machine->receiver.Eeprom(255), 0x7F);
    EXPECT_EQ(Extension(pdo)->PendingIoCount, 1);
}

TEST_F(DriverIoctlTest, CommandReturnsTheEightBytesTheReceiverAnswered) {
    std::vector<signed char> durations(13, 10);
    machine->receiver.ReceiveDurations(durations, 20);
    auto reply = Control(*file, IOCTL_RECEIVER_COMMAND, {rcReadCodeBuffer, 0, 0});
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 8u);
    EXPECT_EQ(reply.data[0], 13);
    EXPECT_EQ(reply.data[1], machine->receiver.Sequence());
    EXPECT_EQ(reply.data[2], 20);
    EXPECT_EQ(reply.data[7], 10);
}

TEST_F(DriverIoctlTest, ReceiverThatDoesNotAnswerGivesSuccessWithNoBytes) {
    machine->receiver.SetNoAnswer(1);
    auto reply = Control(*file, IOCTL_RECEIVER_COMMAND, {rcReadCodeBuffer, 0, 0});
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 0u);
    EXPECT_EQ(reply.data[0], 0xEE);

    machine->receiver.SetShortAnswer(3, 1);
    reply = Control(*file, IOCTL_RECEIVER_COMMAND, {rcGetOutPort, 0, 0});
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 3u);
}

TEST_F(DriverIoctlTest, FailedUsbRequestIsSuccessWithNoBytesAndRecordsTheUsbStatus) {
    machine->receiver.SetStall(1);
    auto reply = Control(*file, IOCTL_RECEIVER_COMMAND, {rcGetOutPort, 0, 0});
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 0u);
    EXPECT_EQ(Extension(pdo)->LastUsbdStatus, USBD_STATUS_STALL_PID);
    // Also when the stack reports the failure in the URB alone.
    machine->Host().SetUrbErrorIrpStatus(STATUS_SUCCESS);
    machine->receiver.SetStall(1);
    Extension(pdo)->LastUsbdStatus = 0;
    reply = Control(*file, IOCTL_RECEIVER_COMMAND, {rcGetOutPort, 0, 0});
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.bytes, 0u);
    EXPECT_EQ(Extension(pdo)->LastUsbdStatus, USBD_STATUS_STALL_PID);
}

TEST_F(DriverIoctlTest, LegacySubCommands) {
    const struct {
        UCHAR sub;
        std::vector<UsbSetupPacket> wire;
        std::vector<UCHAR> output;
    } cases[] = {
        {11,
         {Wire(2, 0x33, 0), Wire(2, 0x34, 0), Wire(2, 0x7A, 0)},
         {0, 0, 0, 0}}, // no code held: the code buffer reads 0 there
        {14, {Wire(3, 0x2C, 5), Wire(3, 0x2B, 1)}, {0, 5}},
        {20, {Wire(4, 5, 0)}, {0, 4}},
        {21, {Wire(5, 5, 6)}, {5}},
        {22, {Wire(2, 5, 0)}, {0, 0}},
        {23, {Wire(3, 5, 6)}, {5}},
        {24, {Wire(1, 5, 0)}, {0, 1}},
        {99, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.sub));
        machine->receiver.ClearLog();
        auto reply = Control(*file, IOCTL_RECEIVER_LEGACY, {c.sub, 5, 6});
        EXPECT_TRUE(reply.ok);
        EXPECT_EQ(machine->receiver.VendorLog(), c.wire);
        ASSERT_EQ(reply.bytes, c.output.size());
        EXPECT_EQ(std::vector<UCHAR>(reply.data.begin(), reply.data.begin() + reply.bytes),
                  c.output);
        EXPECT_EQ(reply.data[reply.bytes], 0xEE) << "nothing past the information bytes";
    }
}

TEST_F(DriverIoctlTest, LegacyFourteenAnswersTheValueWhateverTheReceiverReplied) {
    for (int answered : {0, 8}) {
        SCOPED_TRACE(answered);
        machine->receiver.SetNoAnswer(answered == 0 ? 2 : 0);
        auto reply = Control(*file, IOCTL_RECEIVER_LEGACY, {14, 5, 0});
        EXPECT_TRUE(reply.ok);
        ASSERT_EQ(reply.bytes, 2u);
        EXPECT_EQ(reply.data[0], 0);
        EXPECT_EQ(reply.data[1], 5);
    }
}

TEST_F(DriverIoctlTest, ShortOrMissingBuffersAreRefusedBeforeAnyRequest) {
    const struct {
        DWORD code;
        std::vector<UCHAR> in;
        DWORD outLength;
        bool accepted;
    } cases[] = {
        {IOCTL_RECEIVER_COMMAND, {}, 8, false},
        {IOCTL_RECEIVER_COMMAND, {4, 0}, 8, false},
        {IOCTL_RECEIVER_COMMAND, {4, 0, 0}, 0, false},
        {IOCTL_RECEIVER_COMMAND, {4, 0, 0}, 7, false},
        {IOCTL_RECEIVER_COMMAND, {4, 0, 0, 0, 0, 0, 0, 0}, 0, true},
        {IOCTL_RECEIVER_COMMAND, {4, 0, 0}, 8, true},
        {IOCTL_RECEIVER_LEGACY, {}, 0, false},
        {IOCTL_RECEIVER_LEGACY, {99}, 8, false},
        {IOCTL_RECEIVER_LEGACY, {20, 0, 0}, 4, false},
        {IOCTL_RECEIVER_LEGACY, {20, 0, 0}, 8, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << std::hex << c.code << " in " << c.in.size() << " out " << c.outLength);
        machine->receiver.ClearLog();
        auto reply = Control(*file, c.code, c.in, c.outLength);
        EXPECT_EQ(reply.ok != FALSE, c.accepted);
        if (c.accepted) {
            EXPECT_EQ(machine->receiver.VendorLog().size(), 1u);
            EXPECT_LE(reply.bytes, c.outLength) << "never more than the caller's buffer";
        } else {
            EXPECT_EQ(reply.error, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
            EXPECT_TRUE(machine->receiver.VendorLog().empty());
            EXPECT_EQ(reply.bytes, 0u);
        }
    }
    EXPECT_EQ(Extension(pdo)->PendingIoCount, 1);
}

TEST_F(DriverIoctlTest, UnknownCodesAndShortGeneralInputsAreInvalidParameters) {
    // 0x22200C and 0x222010 are unused functions of the general range.
    for (DWORD code : {DWORD{0}, DWORD{0xC}, DWORD{0x22200C}, DWORD{0x222010},
                       DWORD{IOCTL_USB_VENDOR_REQUEST}, DWORD{IOCTL_USB_READ_ISO_STREAM}}) {
        SCOPED_TRACE(code);
        auto reply = Control(*file, code, {2, 0, 0});
        EXPECT_FALSE(reply.ok);
        EXPECT_EQ(reply.error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    EXPECT_TRUE(machine->receiver.VendorLog().empty());
}

TEST_F(DriverIoctlTest, AllocationFailureInARequestGivesNoBytesAndLeavesNoPool) {
    const unsigned before = kernelsim::AllocationCount();
    Control(*file, IOCTL_RECEIVER_COMMAND, {rcGetOutPort, 0, 0});
    const unsigned count = kernelsim::AllocationCount() - before;
    ASSERT_GT(count, 0u);
    for (unsigned k = 1; k <= count; ++k) {
        SCOPED_TRACE(k);
        kernelsim::FailAllocation(k);
        auto reply = Control(*file, IOCTL_RECEIVER_COMMAND, {rcGetOutPort, 0, 0});
        // Either the request never reached the driver (the I/O manager's own pool) or it
        // completed with success and no bytes.
        if (reply.ok) {
            EXPECT_EQ(reply.bytes, 0u);
        } else {
            EXPECT_EQ(reply.error, 1450u);
        }
        EXPECT_TRUE(kernelsim::OutstandingPool(kernelsim::PoolTag("Wdm ")).size() == 2u)
            << "only the descriptor copies";
    }
    EXPECT_EQ(Extension(pdo)->PendingIoCount, 1);
}

} // namespace
