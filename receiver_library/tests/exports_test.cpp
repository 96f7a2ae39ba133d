// The library's exports: names and ordinals, the command each sends, what it stores, the three
// tries of every request, short replies, and the failures every export reports as 1.
#include "library_fixture.h"

#include <functional>

namespace {

using ExportsTest = ReceiverLibraryTest;
using Request = FakeReceiver::Request;

TEST_F(ExportsTest, TwelveExportsByNameAndOrdinal) {
    const char* names[] = {"DoGetRS232Baud",
                           "DoSetRS232Baud",
                           "DoRS232Read",
                           "DoRS232Send",
                           "DoEEPROMWrite",
                           "DoEEPROMRead",
                           "DoGetInDataPort",
                           "DoGetOutDataPort",
                           "DoSetOutDataPort",
                           "DoGetDataPortDirection",
                           "DoSetDataPortDirection",
                           "DoGetInfraCode"};
    for (WORD ordinal = 1; ordinal <= 12; ++ordinal) {
        SCOPED_TRACE(names[ordinal - 1]);
        const FARPROC byName = GetProcAddress(module, names[ordinal - 1]);
        ASSERT_NE(byName, nullptr);
        EXPECT_EQ(GetProcAddress(module, reinterpret_cast<LPCSTR>(std::uintptr_t{ordinal})),
                  byName);
    }
    // The runtime's way: bound by name and called through the pointer.
    using SetDirection = int(WINAPI*)(BYTE);
    const auto set = reinterpret_cast<SetDirection>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "DoSetDataPortDirection")));
    EXPECT_EQ(set(1), 0);
    EXPECT_EQ(receiver.Requests(), (std::vector<Request>{{rcSetPortDirection, 1, 0}}));
}

// One row per export: the call, the request it must send, and the byte it stores on success.
struct ExportCase {
    const char* name;
    std::function<int(BYTE*)> call; // gets the output byte (unused by set exports)
    Request request;
    bool stores;
};

std::vector<ExportCase> ExportCases() {
    return {
        {"DoRS232Send", [](BYTE*) { return DoRS232Send(0x41); }, {rcSerialSend, 0x41, 0}, false},
        {"DoEEPROMWrite",
         [](BYTE*) { return DoEEPROMWrite(0x10, 0x99); },
         {rcEepromWrite, 0x10, 0x99},
         false},
        {"DoEEPROMRead",
         [](BYTE* v) { return DoEEPROMRead(0xFE, v); },
         {rcEepromRead, 0xFE, 0},
         true},
        {"DoGetInDataPort", [](BYTE* v) { return DoGetInDataPort(v); }, {rcGetInPort, 0, 0}, true},
        {"DoGetOutDataPort",
         [](BYTE* v) { return DoGetOutDataPort(v); },
         {rcGetOutPort, 0, 0},
         true},
        {"DoSetOutDataPort",
         [](BYTE*) { return DoSetOutDataPort(0x5A); },
         {rcSetOutPort, 0x5A, 0},
         false},
        {"DoGetDataPortDirection",
         [](BYTE* v) { return DoGetDataPortDirection(v); },
         {rcGetPortDirection, 0, 0},
         true},
        {"DoSetDataPortDirection",
         [](BYTE*) { return DoSetDataPortDirection(0xFF); },
         {rcSetPortDirection, 0xFF, 0},
         false},
        {"DoRS232Read", [](BYTE* v) { return DoRS232Read(v); }, {rcSerialRead, 0, 0}, true},
    };
}

TEST_F(ExportsTest, EachExportSendsItsCommandAndStoresReplyByteZero) {
    for (const auto& c : ExportCases()) {
        SCOPED_TRACE(c.name);
        FakeReceiver local;
        win32sim::SetDeviceProvider(&local);
        local.SetReply(c.request.Command, {0xC3, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77});
        BYTE value = 0xEE;
        EXPECT_EQ(c.call(&value), 0);
        EXPECT_EQ(value, c.stores ? 0xC3 : 0xEE);
        EXPECT_EQ(local.Requests(), (std::vector<Request>{c.request}));
        // The device is opened for the one command and closed again.
        EXPECT_EQ(local.Opens(), 1);
        EXPECT_EQ(local.Closes(), 1);
        EXPECT_TRUE(local.ContractKept());
    }
    win32sim::SetDeviceProvider(&receiver);
}

TEST_F(ExportsTest, ARequestIsTriedThreeTimesUntilAByteComesBack) {
    const struct {
        int silentTries;
        int result;
        int requests;
    } cases[] = {{0, 0, 1}, {1, 0, 2}, {2, 0, 3}, {3, 1, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.silentTries << " silent tries");
        FakeReceiver local;
        win32sim::SetDeviceProvider(&local);
        local.SetReply(rcGetInPort, {0x42});
        local.SilenceTries(c.silentTries);
        BYTE value = 0xEE;
        EXPECT_EQ(DoGetInDataPort(&value), c.result);
        EXPECT_EQ(value, c.result == 0 ? 0x42 : 0xEE);
        EXPECT_EQ(local.Requests().size(), static_cast<std::size_t>(c.requests));
        // The tries share one open of the device.
        EXPECT_EQ(local.Opens(), 1);
        EXPECT_EQ(local.Closes(), 1);
    }
    win32sim::SetDeviceProvider(&receiver);
}

TEST_F(ExportsTest, EveryExportFailsWithOneWhenTheReceiverNeverAnswers) {
    receiver.SilenceTries(-1);
    receiver.HoldCode({1, 2, 3}, 7, 0);
    std::size_t sent = 0;
    auto expectThreeTries = [&](std::size_t commands) {
        sent += 3 * commands;
        EXPECT_EQ(receiver.Requests().size(), sent);
    };
    for (const auto& c : ExportCases()) {
        SCOPED_TRACE(c.name);
        BYTE value = 0xEE;
        EXPECT_EQ(c.call(&value), 1);
        EXPECT_EQ(value, 0xEE);
        expectThreeTries(1);
    }
    int baud = -5;
    EXPECT_EQ(DoGetRS232Baud(&baud), 1);
    EXPECT_EQ(baud, -5);
    expectThreeTries(1);
    EXPECT_EQ(DoSetRS232Baud(9600), 1);
    expectThreeTries(1);
    BYTE buffer[256];
    int len = -5;
    EXPECT_EQ(DoGetInfraCode(buffer, 255, &len), 1);
    EXPECT_EQ(len, 0);
    expectThreeTries(1); // the header only
}

TEST_F(ExportsTest, AFailedRequestOrAnUnopenableDeviceGivesOne) {
    receiver.FailRequests(true);
    BYTE value = 0xEE;
    EXPECT_EQ(DoGetOutDataPort(&value), 1);
    EXPECT_EQ(value, 0xEE);
    EXPECT_EQ(receiver.Requests().size(), 3u);

    receiver.FailRequests(false);
    receiver.RefuseOpens(true);
    EXPECT_EQ(DoSetOutDataPort(1), 1);
    EXPECT_EQ(receiver.Requests().size(), 3u); // nothing sent without the device
    // No device at all.
    win32sim::SetDeviceProvider(nullptr);
    EXPECT_EQ(DoGetOutDataPort(&value), 1);
    EXPECT_EQ(value, 0xEE);
    // The event was set again every time: the next call goes through at once.
    win32sim::SetDeviceProvider(&receiver);
    receiver.RefuseOpens(false);
    EXPECT_EQ(DoSetOutDataPort(1), 0);
}

TEST_F(ExportsTest, SerialReadResultFollowsTheReplyLength) {
    const struct {
        DWORD length;
        int result;
        BYTE stored;
    } cases[] = {{1, 0, 0x61}, {2, 2, 0xEE}, {3, 4, 0x61}, {4, 0, 0x61}, {8, 0, 0x61}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.length << " bytes");
        FakeReceiver local;
        win32sim::SetDeviceProvider(&local);
        local.SetReply(rcSerialRead, {0x61, 1, 2, 3, 4, 5, 6, 7});
        local.ShortenReplies(rcSerialRead, -1, c.length);
        BYTE value = 0xEE;
        EXPECT_EQ(DoRS232Read(&value), c.result);
        EXPECT_EQ(value, c.stored);
    }
    win32sim::SetDeviceProvider(&receiver);
}

TEST_F(ExportsTest, MissingOutputPointersAreRefusedBeforeAnythingIsSent) {
    int len = 0;
    EXPECT_EQ(DoEEPROMRead(0, nullptr), 1);
    EXPECT_EQ(DoGetInDataPort(nullptr), 1);
    EXPECT_EQ(DoGetOutDataPort(nullptr), 1);
    EXPECT_EQ(DoGetDataPortDirection(nullptr), 1);
    EXPECT_EQ(DoRS232Read(nullptr), 1);
    EXPECT_EQ(DoGetRS232Baud(nullptr), 1);
    EXPECT_EQ(DoGetInfraCode(nullptr, 255, &len), 1);
    BYTE buffer[8];
    EXPECT_EQ(DoGetInfraCode(buffer, 8, nullptr), 1);
    EXPECT_TRUE(receiver.Requests().empty());
    EXPECT_EQ(receiver.Opens(), 0);
}

TEST_F(ExportsTest, LoadAndUnloadOpenAndCloseTheNamedEvent) {
    // Loaded by the fixture: the event exists, signalled, auto-reset.
    const HANDLE probe = CreateEventA(nullptr, TRUE, FALSE, "VarnPlugDLLEvent");
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(WaitForSingleObject(probe, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(probe, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(probe));
    const std::size_t withLibrary = win32sim::OpenHandleCount();
    EXPECT_TRUE(FreeLibrary(module));
    module = nullptr;
    EXPECT_EQ(win32sim::OpenHandleCount(), withLibrary - 1);
    EXPECT_TRUE(CloseHandle(probe));
    // With every handle gone the event is gone too: a fresh load creates it anew.
    const HANDLE fresh = CreateEventA(nullptr, FALSE, FALSE, "VarnPlugDLLEvent");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(CloseHandle(fresh));
}

} // namespace
