// A receiver library for the end-to-end runs of the tray program: the twelve exports of
// VarnUSB.dll, with DoGetInfraCode handing out the bi-phase durations of the codes a test feeds
// through the named mapping of test_receiver_feed.h. The other exports succeed.
#include "test_receiver_feed.h"
#include "varnusb.h"

#include "receiversim/encoder.h"

#include <cstring>

using test_receiver::TFeed;

namespace {

// The test's mapping, opened on first use: the test creates it before the program starts.
TFeed* Feed() {
    static TFeed* feed = [] {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, test_receiver::kFeedName);
        if (mapping == nullptr)
            return static_cast<TFeed*>(nullptr);
        return static_cast<TFeed*>(
            MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(TFeed)));
    }();
    return feed;
}

} // namespace

extern "C" {

int WINAPI DoGetInfraCode(BYTE* Buffer, int BufSize, int* Len) {
    if (Buffer == nullptr || Len == nullptr)
        return 1;
    *Len = 0;
    TFeed* feed = Feed();
    if (feed == nullptr)
        return 0;
    const LONG next = feed->HandedOut;
    if (next == InterlockedCompareExchange(&feed->Fed, 0, 0))
        return 0; // nothing fed
    const auto durations =
        receiversim::EncodeBiphase(feed->Codes[next % test_receiver::kQueueLength]);
    InterlockedIncrement(&feed->HandedOut);
    if (static_cast<int>(durations.size()) > BufSize)
        return 1; // as the real library refuses a code that does not fit
    std::memcpy(Buffer, durations.data(), durations.size());
    *Len = static_cast<int>(durations.size());
    return 0;
}

int WINAPI DoSetDataPortDirection(BYTE Direction) {
    if (TFeed* feed = Feed()) {
        InterlockedExchange(&feed->LastDirection, Direction);
        InterlockedIncrement(&feed->DirectionCalls);
    }
    return 0;
}

int WINAPI DoSetOutDataPort(BYTE Value) {
    if (TFeed* feed = Feed()) {
        InterlockedExchange(&feed->LastOutPort, Value);
        if (Value != 0)
            InterlockedIncrement(&feed->OutPortOnWrites);
        InterlockedIncrement(&feed->OutPortWrites);
    }
    return 0;
}

int WINAPI DoGetDataPortDirection(BYTE* Direction) {
    if (Direction == nullptr)
        return 1;
    TFeed* feed = Feed();
    *Direction = feed ? static_cast<BYTE>(feed->LastDirection) : 0;
    return 0;
}

int WINAPI DoGetOutDataPort(BYTE* Value) {
    if (Value == nullptr)
        return 1;
    TFeed* feed = Feed();
    *Value = feed ? static_cast<BYTE>(feed->LastOutPort) : 0;
    return 0;
}

int WINAPI DoGetInDataPort(BYTE* Value) {
    if (Value == nullptr)
        return 1;
    *Value = 0;
    return 0;
}

int WINAPI DoEEPROMRead(BYTE, BYTE* Value) {
    if (Value == nullptr)
        return 1;
    *Value = 0xFF; // an erased cell
    return 0;
}

int WINAPI DoEEPROMWrite(BYTE, BYTE) {
    return 0;
}

int WINAPI DoRS232Send(BYTE) {
    return 0;
}

int WINAPI DoRS232Read(BYTE* Value) {
    if (Value == nullptr)
        return 1;
    *Value = 0;
    return 0;
}

int WINAPI DoSetRS232Baud(int) {
    return 0;
}

int WINAPI DoGetRS232Baud(int* Baud) {
    if (Baud == nullptr)
        return 1;
    *Baud = 9600;
    return 0;
}

} // extern "C"
