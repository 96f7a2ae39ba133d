// The simulated receiver: descriptors, vendor requests and their state, the code buffer, faults
// and the bi-phase encoder.
#include "kernel_fixture.h"
#include "receiver_protocol.h"
#include "receiversim/encoder.h"
#include "receiversim/receiver.h"

#include <usb100.h>

#include <cstring>
#include <thread>
#include <vector>

namespace {

using kernelsim::UsbSetupPacket;
using receiversim::Receiver;

// The runtime's reading of bi-phase durations, to check the encoder against.
std::int64_t Decode(const std::vector<signed char>& d) {
    auto isShort = [](signed char x) { return x >= 7 && x <= 13; };
    auto isLong = [](signed char x) { return x >= 16 && x <= 25; };
    std::uint64_t value = 1;
    unsigned bit = 1;
    std::size_t i = 0;
    while (i < d.size()) {
        if (isShort(d[i])) {
            ++i;
            if (i >= d.size() || isShort(d[i])) {
                ++i;
            } else {
                return -1;
            }
        } else if (isLong(d[i])) {
            ++i;
            bit ^= 1;
        } else {
            return -1;
        }
        value = value * 2 + bit;
    }
    return static_cast<std::int64_t>(value);
}

class ReceiverTest : public KernelTest {
protected:
    // A vendor request as the driver sends it; returns the answer.
    std::vector<UCHAR> Request(UCHAR request, UCHAR value = 0, UCHAR index = 0) {
        UCHAR data[8];
        std::memset(data, 0xEE, sizeof(data));
        auto result = receiver.ControlTransfer({0xC2, request, value, index, 8}, data);
        EXPECT_EQ(result.status, USBD_STATUS_SUCCESS);
        return std::vector<UCHAR>(data, data + result.length);
    }

    Receiver receiver;
};

TEST_F(ReceiverTest, EncoderMatchesTheRuntimesDecoding) {
    EXPECT_EQ(receiversim::EncodeBiphase(3), (std::vector<signed char>{10, 10}));
    EXPECT_EQ(receiversim::EncodeBiphase(2), (std::vector<signed char>{20}));
    EXPECT_TRUE(receiversim::EncodeBiphase(1).empty());
    for (std::int64_t code : {std::int64_t{5}, std::int64_t{0x1ABC}, std::int64_t{0x12345678},
                              std::int64_t{0x7FFFFFFFFFFFFFFF}, std::int64_t{-2}}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(Decode(receiversim::EncodeBiphase(code)), code);
    }
}

TEST_F(ReceiverTest, DescriptorsHaveOneInterfaceWithBulkInterruptAndIsoPipes) {
    const auto device = Receiver::DeviceDescriptor();
    ASSERT_EQ(device.size(), 18u);
    EXPECT_EQ(device[1], USB_DEVICE_DESCRIPTOR_TYPE);
    EXPECT_EQ(device[17], 1) << "one configuration";
    auto config = Receiver::ConfigurationDescriptor();
    EXPECT_EQ(config[2] | config[3] << 8, static_cast<int>(config.size()));
    auto* header = reinterpret_cast<PUSB_CONFIGURATION_DESCRIPTOR>(config.data());
    auto* first = reinterpret_cast<PUSB_INTERFACE_DESCRIPTOR>(config.data() + 9);
    EXPECT_EQ(header->bNumInterfaces, 1);
    EXPECT_EQ(first->bNumEndpoints, 5);
    std::vector<UCHAR> types;
    for (int i = 0; i < 5; ++i) {
        types.push_back(config[18 + 7 * i + 3]);
    }
    EXPECT_EQ(types, (std::vector<UCHAR>{2, 2, 3, 1, 1}));
}

TEST_F(ReceiverTest, StandardRequestsServeDescriptorsAndConfiguration) {
    UCHAR data[9];
    auto result = receiver.ControlTransfer({0x80, USB_REQUEST_GET_DESCRIPTOR, 0x0200, 0, 9}, data);
    EXPECT_EQ(result.length, 9u);
    EXPECT_EQ(data[1], USB_CONFIGURATION_DESCRIPTOR_TYPE);
    result = receiver.ControlTransfer({0x80, USB_REQUEST_GET_DESCRIPTOR, 0x0700, 0, 9}, data);
    EXPECT_EQ(result.status, USBD_STATUS_STALL_PID);
    result = receiver.ControlTransfer({0x00, USB_REQUEST_SET_CONFIGURATION, 1, 0, 0}, data);
    EXPECT_EQ(result.status, USBD_STATUS_SUCCESS);
    EXPECT_EQ(receiver.SetupLog().size(), 3u);
    EXPECT_TRUE(receiver.VendorLog().empty());
}

TEST_F(ReceiverTest, CodeBufferHoldsTheRotatedRingUntilAcknowledged) {
    std::vector<signed char> durations;
    for (int i = 0; i < 13; ++i) {
        durations.push_back(static_cast<signed char>(i + 7));
    }
    receiver.ReceiveDurations(durations, 20);
    const auto header = Request(rcReadCodeBuffer, 0);
    ASSERT_EQ(header.size(), 8u);
    EXPECT_EQ(header[0], 13);
    const UCHAR sequence = header[1];
    EXPECT_EQ(header[2], 20);
    // Stored as a ring whose first duration stands at 20 mod 13 = 7.
    std::vector<UCHAR> stored;
    for (UCHAR offset : {3, 11}) {
        const auto chunk = Request(rcReadCodeBuffer, offset);
        stored.insert(stored.end(), chunk.begin(), chunk.end());
    }
    stored.resize(13);
    for (int j = 0; j < 13; ++j) {
        EXPECT_EQ(stored[(7 + j) % 13], durations[j]) << j;
    }

    Request(rcAckCode);
    EXPECT_FALSE(receiver.HoldsCode());
    EXPECT_EQ(Request(rcReadCodeBuffer, 0)[0], 0) << "no code: length 0";
    receiver.PressButton(0x15);
    const auto next = Request(rcReadCodeBuffer, 0);
    EXPECT_EQ(next[0], receiversim::EncodeBiphase(0x15).size());
    EXPECT_EQ(next[1], static_cast<UCHAR>(sequence + 1)) << "a new code, a new number";
    Request(rcAckCode);
    EXPECT_EQ(receiver.Acknowledgements(), 2u);
}

TEST_F(ReceiverTest, ANewCodeReplacesTheUnreadOneSoABurstLeavesOnlyItsLast) {
    receiver.PressButton(0x21);
    const UCHAR first = Request(rcReadCodeBuffer, 0)[1];
    // 400 presses before the next read: the sequence moves on with each, the buffer keeps one.
    for (int i = 0; i < 400; ++i) {
        receiver.PressButton(0x100 + i);
    }
    const auto header = Request(rcReadCodeBuffer, 0);
    EXPECT_EQ(header[0], receiversim::EncodeBiphase(0x100 + 399).size());
    EXPECT_EQ(header[1], static_cast<UCHAR>(first + 400));
    EXPECT_EQ(receiver.Sequence(), header[1]);
    Request(rcAckCode);
    EXPECT_FALSE(receiver.HoldsCode()) << "nothing of the burst waits behind it";
    EXPECT_EQ(Request(rcReadCodeBuffer, 0)[0], 0);
}

TEST_F(ReceiverTest, AnEmptyBulkAnswerIsAnsweredWithNoBytes) {
    receiver.QueueBulkIn({});
    UCHAR data[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    const auto result = receiver.DataTransfer(receiversim::kBulkInEndpoint, data, sizeof data);
    EXPECT_EQ(result.status, USBD_STATUS_SUCCESS);
    EXPECT_EQ(result.length, 0u);
    EXPECT_EQ(data[0], 0xEE);
    // The queue is taken in turn: the next read waits.
    EXPECT_EQ(receiver.DataTransfer(receiversim::kBulkInEndpoint, data, sizeof data).status,
              USBD_STATUS_PENDING);
}

TEST_F(ReceiverTest, PortsEepromSerialAndBaud) {
    const struct {
        UCHAR request, value, index;
        UCHAR answer0;
    } steps[] = {
        {rcSetPortDirection, 1, 0, 1},  {rcGetPortDirection, 0, 0, 1},
        {rcSetOutPort, 0x5A, 0, 0x5A},  {rcGetOutPort, 0, 0, 0x5A},
        {rcEepromWrite, 7, 0x33, 0x33}, {rcEepromRead, 7, 0, 0x33},
        {rcEepromRead, 8, 0, 0xFF},     {rcSerialSend, 0x41, 0, 0x41},
        {rcSetBaudDivisor, 12, 0, 12},  {rcGetBaudDivisor, 0, 0, 12},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(static_cast<int>(step.request));
        const auto answer = Request(step.request, step.value, step.index);
        ASSERT_EQ(answer.size(), 8u);
        EXPECT_EQ(answer[0], step.answer0);
        EXPECT_EQ(answer[1], step.request) << "the answer echoes its request";
    }
    receiver.SetInPort(0x81);
    EXPECT_EQ(Request(rcGetInPort)[0], 0x81);
    EXPECT_EQ(receiver.Eeprom(7), 0x33);
    EXPECT_EQ(receiver.SerialSent(), std::vector<UCHAR>{0x41});
    EXPECT_EQ(receiver.OutPortWrites(), std::vector<UCHAR>{0x5A});
    EXPECT_EQ(receiver.PortDirection(), 1);

    EXPECT_EQ(Request(rcSerialRead).size(), 2u) << "nothing received";
    receiver.QueueSerialAnswer({0x99});
    EXPECT_EQ(Request(rcSerialRead), std::vector<UCHAR>{0x99});
}

TEST_F(ReceiverTest, FaultsOnDemand) {
    receiver.SetNoAnswer(2);
    EXPECT_TRUE(Request(rcGetOutPort).empty());
    EXPECT_TRUE(Request(rcGetOutPort).empty());
    EXPECT_EQ(Request(rcGetOutPort).size(), 8u);
    receiver.SetShortAnswer(1, 1);
    EXPECT_EQ(Request(rcReadCodeBuffer).size(), 1u);
    receiver.SetStall(1);
    UCHAR data[8];
    EXPECT_EQ(receiver.ControlTransfer({0xC2, 4, 0, 0, 8}, data).status, USBD_STATUS_STALL_PID);
    EXPECT_EQ(receiver.VendorLog().size(), 5u) << "every request is logged, answered or not";
}

TEST_F(ReceiverTest, HeldRequestsWaitUntilReleased) {
    receiver.HoldRequests();
    std::vector<UCHAR> answer;
    std::thread caller([&] { answer = Request(rcGetBaudDivisor); });
    receiver.WaitUntilHeld(1);
    EXPECT_TRUE(answer.empty());
    receiver.ReleaseRequests();
    caller.join();
    EXPECT_EQ(answer.size(), 8u);
}

} // namespace
