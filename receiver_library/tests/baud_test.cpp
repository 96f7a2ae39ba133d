// The serial rate: the divisor arithmetic with its range and 4 % window, and the two exports.
#include "library_fixture.h"
#include "library_state.h"

namespace {

using BaudTest = ReceiverLibraryTest;
using Request = FakeReceiver::Request;

TEST_F(BaudTest, SetRateTable) {
    const struct {
        int baud;
        int result;
        int divisor; // sent with command 12; -1: nothing sent
    } cases[] = {
        {9600, 0, 77},  {57600, 0, 12}, {38400, 0, 19}, {115200, 3, -1}, {2813, 3, -1},
        {2818, 0, 255}, {750000, 0, 0}, {2812, 3, -1},  {780000, 3, -1}, {779999, 0, 0},
        {0, 3, -1},     {-9600, 3, -1}, {19200, 0, 38}, {4800, 0, 155},  {300000, 3, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.baud);
        FakeReceiver local;
        win32sim::SetDeviceProvider(&local);
        EXPECT_EQ(DoSetRS232Baud(c.baud), c.result);
        if (c.divisor < 0)
            EXPECT_TRUE(local.Requests().empty());
        else
            EXPECT_EQ(local.Requests(),
                      (std::vector<Request>{{rcSetBaudDivisor, static_cast<BYTE>(c.divisor), 0}}));
    }
    win32sim::SetDeviceProvider(&receiver);
}

TEST_F(BaudTest, HalvesRoundToTheEvenNeighbour) {
    const struct {
        long double x;
        long double rounded;
    } cases[] = {{0.5L, 0.0L},     {1.5L, 2.0L},  {2.5L, 2.0L},    {76.5L, 76.0L},
                 {77.125L, 77.0L}, {-0.5L, 0.0L}, {255.5L, 256.0L}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<double>(c.x));
        EXPECT_EQ(varnusb::NearestEven(c.x), c.rounded);
    }
}

TEST_F(BaudTest, GetRateFromTheReceiversDivisor) {
    const struct {
        BYTE divisor;
        int baud;
    } cases[] = {{77, 9615},  {12, 57692}, {19, 37500}, {0, 750000},
                 {255, 2930}, {1, 375000}, {6, 107143}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int{c.divisor});
        receiver.SetReply(rcGetBaudDivisor, {c.divisor});
        int baud = -1;
        EXPECT_EQ(DoGetRS232Baud(&baud), 0);
        EXPECT_EQ(baud, c.baud);
    }
    EXPECT_EQ(RequestsOf(rcGetBaudDivisor).size(), std::size(cases));
}

TEST_F(BaudTest, AnImpossibleRateNeverWaitsForTheEvent) {
    // Another holder keeps the event; the refused rates return at once and show no box.
    const HANDLE held = CreateEventA(nullptr, FALSE, TRUE, "VarnPlugDLLEvent");
    ASSERT_EQ(WaitForSingleObject(held, 0), WAIT_OBJECT_0);
    EXPECT_EQ(DoSetRS232Baud(2812), 3);
    EXPECT_EQ(DoSetRS232Baud(780000), 3);
    EXPECT_EQ(DoSetRS232Baud(115200), 3);
    EXPECT_EQ(win32sim::BlockedWaitCount(), 0u);
    EXPECT_TRUE(win32sim::MessageBoxLog().empty());
    // The event was left as it was: still held.
    EXPECT_EQ(WaitForSingleObject(held, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(held));
    EXPECT_TRUE(CloseHandle(held));
}

} // namespace
