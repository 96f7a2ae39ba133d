// The receiver library's exports through the real device-control path: library, I/O manager,
// driver, USB host and the simulated receiver.
#include "chain_fixture.h"
#include "receiver_ioctl.h"
#include "receiversim/encoder.h"
#include "varnusb.h"
#include "win32sim/message_boxes.h"
#include "win32sim/objects.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace {

using SetupPacket = kernelsim::UsbSetupPacket;

std::vector<BYTE> Pattern(int length) {
    std::vector<BYTE> data(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i)
        data[static_cast<std::size_t>(i)] = static_cast<BYTE>(0x40 + i);
    return data;
}

class LibraryChainTest : public ReceiverChainTest {
protected:
    std::vector<SetupPacket> VendorRequests() { return chain->Receiver().VendorLog(); }
};

TEST_F(LibraryChainTest, InfraCodeOpensPerChunkRotatesAndAcknowledges) {
    struct Case {
        int length;
        BYTE ringStart;
    };
    const Case cases[] = {{1, 0}, {8, 3}, {9, 0}, {13, 20}, {16, 15}, {17, 1}, {200, 199}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "L " << c.length << " ring start " << int(c.ringStart));
        const std::vector<BYTE> stored = Pattern(c.length);
        chain->Receiver().ReceiveRaw(static_cast<UCHAR>(c.length), c.ringStart, stored);
        chain->Receiver().ClearLog();
        chain->Provider().Clear();
        const unsigned acksBefore = chain->Receiver().Acknowledgements();

        std::vector<BYTE> buffer(256, 0xEE);
        int len = -5;
        EXPECT_EQ(DoGetInfraCode(buffer.data(), 255, &len), 0);
        ASSERT_EQ(len, c.length);
        const int chunks = (c.length + 7) / 8;
        EXPECT_EQ(chain->Provider().Opens(), 2 + chunks);
        EXPECT_EQ(chain->Provider().Closes(), 2 + chunks);

        const int k = c.ringStart % c.length;
        for (int j = 0; j < c.length; ++j)
            ASSERT_EQ(buffer[static_cast<std::size_t>(j)],
                      stored[static_cast<std::size_t>((k + j) % c.length)])
                << "byte " << j;
        EXPECT_EQ(buffer[static_cast<std::size_t>(c.length)], 0xEE) << "nothing past the code";

        // The wire: header, the chunks at Values 3, 11, ..., the acknowledge; each an 8-byte
        // device-to-host vendor request.
        const auto log = VendorRequests();
        ASSERT_EQ(log.size(), static_cast<std::size_t>(2 + chunks));
        EXPECT_EQ(log[0].bRequest, rcReadCodeBuffer);
        EXPECT_EQ(log[0].wValue, 0);
        for (int i = 0; i < chunks; ++i) {
            EXPECT_EQ(log[static_cast<std::size_t>(1 + i)].bRequest, rcReadCodeBuffer);
            EXPECT_EQ(log[static_cast<std::size_t>(1 + i)].wValue, 3 + 8 * i);
        }
        EXPECT_EQ(log.back().bRequest, rcAckCode);
        for (const SetupPacket& s : log) {
            EXPECT_EQ(s.bmRequestType, RECEIVER_REQUEST_TYPE);
            EXPECT_EQ(s.wLength, RECEIVER_REPLY_LENGTH);
        }
        EXPECT_EQ(chain->Receiver().Acknowledgements(), acksBefore + 1);
        EXPECT_FALSE(chain->Receiver().HoldsCode());
    }
}

TEST_F(LibraryChainTest, NoNewCodeGivesLengthZeroWithoutAcknowledge) {
    chain->Receiver().PressButton(0x1234);
    BYTE buffer[256];
    int len = -1;
    ASSERT_EQ(DoGetInfraCode(buffer, 255, &len), 0);
    EXPECT_GT(len, 0);
    const unsigned acks = chain->Receiver().Acknowledgements();
    chain->Receiver().ClearLog();
    chain->Provider().Clear();

    len = -1;
    EXPECT_EQ(DoGetInfraCode(buffer, 255, &len), 0);
    EXPECT_EQ(len, 0);
    EXPECT_EQ(chain->Receiver().Acknowledgements(), acks);
    EXPECT_EQ(chain->Provider().Opens(), 1) << "only the header";
    ASSERT_EQ(VendorRequests().size(), 1u);
}

TEST_F(LibraryChainTest, FailedChunkAcknowledgesAndForgetsTheSequence) {
    const std::vector<BYTE> stored = Pattern(13);
    chain->Receiver().ReceiveRaw(13, 0, stored);
    const UCHAR sequence = chain->Receiver().Sequence();
    // The header answers; the first chunk and its two retries do not.
    chain->Provider().SetControlHook([this](int index, const BYTE*, DWORD) {
        if (index == 1)
            chain->Receiver().SetNoAnswer(3);
    });
    BYTE buffer[256];
    int len = -1;
    EXPECT_EQ(DoGetInfraCode(buffer, 255, &len), 1);
    EXPECT_EQ(len, 0);
    EXPECT_EQ(chain->Receiver().Acknowledgements(), 1u);
    EXPECT_FALSE(chain->Receiver().HoldsCode());
    EXPECT_EQ(chain->Provider().Controls(), 1 + 3 + 1) << "header, three tries, acknowledge";
    chain->Provider().SetControlHook(nullptr);

    // The sequence was forgotten: the same sequence number comes through as a new code.
    chain->Receiver().ReceiveRaw(13, 0, stored);
    ASSERT_NE(chain->Receiver().Sequence(), sequence);
    len = -1;
    EXPECT_EQ(DoGetInfraCode(buffer, 255, &len), 0);
    EXPECT_EQ(len, 13);
}

TEST_F(LibraryChainTest, HeaderLongerThanTheCodeBufferIsRefusedWithoutOverrun) {
    for (int length : {201, 255}) {
        SCOPED_TRACE(length);
        chain->Receiver().ReceiveRaw(static_cast<UCHAR>(length), 0, Pattern(length));
        chain->Receiver().ClearLog();
        std::vector<BYTE> buffer(300, 0xEE);
        int len = -1;
        EXPECT_EQ(DoGetInfraCode(buffer.data(), static_cast<int>(buffer.size()), &len), 1);
        EXPECT_EQ(len, 0);
        EXPECT_EQ(buffer[0], 0xEE) << "nothing delivered";
        EXPECT_FALSE(chain->Receiver().HoldsCode()) << "the code was dropped";
        const auto log = VendorRequests();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back().bRequest, rcAckCode);
        // A following code reads normally.
        chain->Receiver().PressButton(0x2F);
        EXPECT_EQ(DoGetInfraCode(buffer.data(), 255, &len), 0);
        EXPECT_GT(len, 0);
    }
}

TEST_F(LibraryChainTest, ButtonPressArrivesAsItsBiphaseDurations) {
    const std::int64_t code = 0x1D2B;
    const auto durations = receiversim::EncodeBiphase(code);
    chain->Receiver().PressButton(code, 5);
    BYTE buffer[256];
    int len = 0;
    ASSERT_EQ(DoGetInfraCode(buffer, 255, &len), 0);
    ASSERT_EQ(static_cast<std::size_t>(len), durations.size());
    for (std::size_t i = 0; i < durations.size(); ++i)
        EXPECT_EQ(static_cast<signed char>(buffer[i]), durations[i]) << i;
}

TEST_F(LibraryChainTest, SimpleExportsReachTheReceiver) {
    EXPECT_EQ(DoSetDataPortDirection(0x0F), 0);
    EXPECT_EQ(chain->Receiver().PortDirection(), 0x0F);
    BYTE value = 0;
    EXPECT_EQ(DoGetDataPortDirection(&value), 0);
    EXPECT_EQ(value, 0x0F);
    EXPECT_EQ(DoSetOutDataPort(0x05), 0);
    EXPECT_EQ(chain->Receiver().OutPort(), 0x05);
    EXPECT_EQ(DoGetOutDataPort(&value), 0);
    EXPECT_EQ(value, 0x05);
    chain->Receiver().SetInPort(0x3C);
    EXPECT_EQ(DoGetInDataPort(&value), 0);
    EXPECT_EQ(value, 0x3C);
    EXPECT_EQ(DoEEPROMWrite(0x10, 0xA5), 0);
    EXPECT_EQ(chain->Receiver().Eeprom(0x10), 0xA5);
    EXPECT_EQ(DoEEPROMRead(0x10, &value), 0);
    EXPECT_EQ(value, 0xA5);
    EXPECT_EQ(DoRS232Send(0x55), 0);
    EXPECT_EQ(chain->Receiver().SerialSent(), std::vector<UCHAR>{0x55});
    EXPECT_EQ(DoSetRS232Baud(57600), 0);
    EXPECT_EQ(chain->Receiver().BaudDivisor(), 12);
    int baud = 0;
    EXPECT_EQ(DoGetRS232Baud(&baud), 0);
    EXPECT_EQ(baud, 57692);
}

TEST_F(LibraryChainTest, SilentReceiverGivesThreeTriesAndResultOne) {
    chain->Receiver().SetNoAnswer(-1);
    BYTE value = 0x77;
    int baud = 0x77;
    int len = 0x77;
    BYTE buffer[256];
    // Every export sends its command three times through one open and gives up with 1.
    struct Case {
        const char* name;
        std::function<int()> call;
    };
    const Case cases[] = {
        {"DoGetInDataPort", [&] { return DoGetInDataPort(&value); }},
        {"DoSetOutDataPort", [&] { return DoSetOutDataPort(1); }},
        {"DoEEPROMRead", [&] { return DoEEPROMRead(1, &value); }},
        {"DoRS232Read", [&] { return DoRS232Read(&value); }},
        {"DoGetRS232Baud", [&] { return DoGetRS232Baud(&baud); }},
        {"DoGetInfraCode", [&] { return DoGetInfraCode(buffer, 255, &len); }},
        {"DoGetOutDataPort", [&] { return DoGetOutDataPort(&value); }},
        {"DoGetDataPortDirection", [&] { return DoGetDataPortDirection(&value); }},
        {"DoSetDataPortDirection", [&] { return DoSetDataPortDirection(1); }},
        {"DoEEPROMWrite", [&] { return DoEEPROMWrite(1, 2); }},
        {"DoRS232Send", [&] { return DoRS232Send(0x55); }},
        {"DoSetRS232Baud", [&] { return DoSetRS232Baud(9600); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        chain->Receiver().ClearLog();
        chain->Provider().Clear();
        EXPECT_EQ(c.call(), 1);
        EXPECT_EQ(chain->Provider().Opens(), 1);
        EXPECT_EQ(chain->Provider().Controls(), 3);
        EXPECT_EQ(VendorRequests().size(), 3u);
    }
    EXPECT_EQ(value, 0x77) << "outputs untouched";
    EXPECT_EQ(baud, 0x77);
    EXPECT_EQ(len, 0);
}

TEST_F(LibraryChainTest, SecondTryAnswersAfterOneSilence) {
    chain->Receiver().SetInPort(0x42);
    chain->Receiver().SetNoAnswer(1);
    BYTE value = 0;
    EXPECT_EQ(DoGetInDataPort(&value), 0);
    EXPECT_EQ(value, 0x42);
    EXPECT_EQ(chain->Provider().Controls(), 2);
}

TEST_F(LibraryChainTest, SerialReadResultsFollowTheReplyLength) {
    struct Case {
        std::vector<UCHAR> answer;
        int result;
        BYTE value;
    };
    const Case cases[] = {{{0x31, 0x00}, kSerialReadShort2, 0x99},
                          {{0x32, 0x00, 0x00}, kSerialReadShort3, 0x32},
                          {{0x33, 0, 0, 0, 0, 0, 0, 0}, 0, 0x33}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.size());
        chain->Receiver().QueueSerialAnswer(c.answer);
        BYTE value = 0x99;
        EXPECT_EQ(DoRS232Read(&value), c.result);
        EXPECT_EQ(value, c.value);
    }
}

TEST_F(LibraryChainTest, BaudOutsideTheWindowSendsNothing) {
    for (int baud : {2812, 780000, 115200, 2813}) {
        SCOPED_TRACE(baud);
        chain->Receiver().ClearLog();
        EXPECT_EQ(DoSetRS232Baud(baud), kBaudNotPossible);
        EXPECT_TRUE(VendorRequests().empty());
    }
}

TEST_F(LibraryChainTest, BusyTimeOutShowsOneBoxAndTouchesNoOutput) {
    const HANDLE event = CreateEventA(nullptr, FALSE, TRUE, "VarnPlugDLLEvent");
    ASSERT_NE(event, nullptr);
    ASSERT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0) << "held by the test";
    // A rate out of range is refused before the wait.
    EXPECT_EQ(DoSetRS232Baud(2812), kBaudNotPossible);
    win32sim::QueueMessageBoxAnswer(IDOK);
    BYTE value = 0x77;
    std::atomic<int> result{-1};
    std::thread caller([&] { result = DoGetInDataPort(&value); });
    ASSERT_TRUE(win32sim::AwaitBlockedWaits(1));
    win32sim::AdvanceClock(5000);
    caller.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(value, 0x77);
    ASSERT_EQ(win32sim::MessageBoxLog().size(), 1u);
    EXPECT_EQ(win32sim::MessageBoxLog()[0].text,
              "Another thread is using long time VarnPlugUSB.dll");
    EXPECT_TRUE(chain->Receiver().VendorLog().empty()) << "nothing sent while busy";
    EXPECT_TRUE(SetEvent(event));
    EXPECT_TRUE(CloseHandle(event));
}

TEST_F(LibraryChainTest, RemovalWaitsForARequestBlockedInTheUsbHost) {
    chain->Receiver().SetInPort(0x11);
    chain->Receiver().HoldRequests();
    BYTE value = 0;
    std::atomic<int> result{-1};
    std::thread caller([&] { result = DoGetInDataPort(&value); });
    chain->Receiver().WaitUntilHeld(1);

    std::atomic<bool> removed{false};
    std::thread remover([&] {
        EXPECT_TRUE(chain->Unplug());
        removed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(removed) << "removal waits for the request in the USB host";
    EXPECT_EQ(result, -1);

    chain->Receiver().ReleaseRequests();
    caller.join();
    remover.join();
    EXPECT_TRUE(removed);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(value, 0x11);
    // The device is gone: the library's open fails, and so does the export.
    chain->Provider().Clear();
    EXPECT_EQ(DoGetInDataPort(&value), 1);
    EXPECT_EQ(chain->Provider().Opens(), 1);
    EXPECT_EQ(chain->Provider().Controls(), 0);
}

} // namespace
