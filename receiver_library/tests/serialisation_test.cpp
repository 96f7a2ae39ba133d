// Serialisation by the named event: one request at a time across threads and host processes,
// the 5000 ms time-out with its busy box shown once per process at a time, and the event set
// again after every request.
#include "child_process.h"
#include "library_fixture.h"
#include "win32sim/message_boxes.h"
#include "win32sim/objects.h"

#include <unistd.h>

#include <cstdio>
#include <future>
#include <thread>

namespace {

constexpr const char* kBusyText = "Another thread is using long time VarnPlugUSB.dll";

using SerialisationTest = ReceiverLibraryTest;

TEST_F(SerialisationTest, ThreadsOfOneProcessNeverOverlap) {
    receiver.SetDwell(std::chrono::microseconds(200));
    receiver.SetReply(rcGetInPort, {0x33});
    receiver.HoldCode({1, 2, 3, 4, 5, 6, 7, 8, 9}, 1, 4);
    constexpr int kThreads = 4;
    constexpr int kCalls = 25;
    std::vector<std::future<int>> failures;
    for (int t = 0; t < kThreads; ++t)
        failures.push_back(std::async(std::launch::async, [t] {
            int failed = 0;
            for (int i = 0; i < kCalls; ++i) {
                if (t % 2 == 0) {
                    BYTE value = 0;
                    failed += DoGetInDataPort(&value) != 0 || value != 0x33;
                } else {
                    BYTE buffer[256];
                    int len = 0;
                    failed += DoGetInfraCode(buffer, 255, &len) != 0;
                }
            }
            return failed;
        }));
    for (auto& f : failures)
        EXPECT_EQ(f.get(), 0);
    EXPECT_EQ(receiver.Overlaps(), 0);
    EXPECT_EQ(receiver.Opens(), receiver.Closes());
    // The code was delivered once to all the threads of the process together.
    EXPECT_EQ(RequestsOf(rcAckCode).size(), 1u);
    EXPECT_TRUE(win32sim::MessageBoxLog().empty());
}

// Another holder of the event: a handle of this test's own, as another process's would be.
class EventHolder {
public:
    EventHolder() : handle_(CreateEventA(nullptr, FALSE, TRUE, "VarnPlugDLLEvent")) {
        EXPECT_EQ(WaitForSingleObject(handle_, 0), WAIT_OBJECT_0);
    }
    ~EventHolder() {
        SetEvent(handle_);
        CloseHandle(handle_);
    }
    EventHolder(const EventHolder&) = delete;
    EventHolder& operator=(const EventHolder&) = delete;

private:
    HANDLE handle_;
};

// Runs a call on another thread and times it out after 5000 ms of virtual time.
int CallTimedOut(const std::function<int()>& call) {
    const std::size_t blockedBefore = win32sim::BlockedWaitCount();
    auto result = std::async(std::launch::async, call);
    EXPECT_TRUE(win32sim::AwaitBlockedWaits(blockedBefore + 1));
    win32sim::AdvanceClock(4999);
    EXPECT_EQ(result.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
    win32sim::AdvanceClock(1);
    return result.get();
}

TEST_F(SerialisationTest, TimeOutShowsTheBusyBoxAndWritesNothing) {
    EventHolder holder;
    win32sim::QueueMessageBoxAnswer(IDOK);
    BYTE buffer[4] = {9, 9, 9, 9};
    int len = -3;
    EXPECT_EQ(CallTimedOut([&] { return DoGetInfraCode(buffer, 255, &len); }), 1);
    EXPECT_EQ(len, -3); // untouched, not even set to 0
    EXPECT_EQ(buffer[0], 9);
    EXPECT_TRUE(receiver.Requests().empty());
    const auto log = win32sim::MessageBoxLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].owner, nullptr);
    EXPECT_EQ(log[0].text, kBusyText);
    EXPECT_EQ(log[0].caption, "Error");
    EXPECT_EQ(log[0].type, static_cast<UINT>(MB_ICONERROR | MB_TASKMODAL | MB_TOPMOST));
    // The box was closed: the next time-out shows one again.
    win32sim::QueueMessageBoxAnswer(IDOK);
    BYTE value = 0xEE;
    EXPECT_EQ(CallTimedOut([&] { return DoGetOutDataPort(&value); }), 1);
    EXPECT_EQ(value, 0xEE);
    EXPECT_EQ(win32sim::MessageBoxLog().size(), 2u);
}

TEST_F(SerialisationTest, FurtherTimeOutsWhileTheBoxIsOpenReturnAtOnce) {
    EventHolder holder;
    std::vector<int> whileOpen;
    win32sim::QueueMessageBoxAnswer([&](const win32sim::MessageBoxShown&) {
        // Two more time-outs of this process while the box stays open: no second box.
        whileOpen.push_back(CallTimedOut([] { return DoSetOutDataPort(1); }));
        whileOpen.push_back(CallTimedOut([] { return DoSetDataPortDirection(1); }));
        whileOpen.push_back(static_cast<int>(win32sim::MessageBoxLog().size()));
        return IDOK;
    });
    EXPECT_EQ(CallTimedOut([] { return DoSetOutDataPort(0); }), 1);
    EXPECT_EQ(whileOpen, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(win32sim::MessageBoxLog().size(), 1u);
    EXPECT_TRUE(receiver.Requests().empty());
}

TEST_F(SerialisationTest, AWaitThatEndsBeforeTheTimeOutGoesThrough) {
    auto holder = std::make_unique<EventHolder>();
    auto result = std::async(std::launch::async, [] { return DoSetOutDataPort(7); });
    ASSERT_TRUE(win32sim::AwaitBlockedWaits(1));
    win32sim::AdvanceClock(4999);
    holder.reset();
    EXPECT_EQ(result.get(), 0);
    EXPECT_TRUE(win32sim::MessageBoxLog().empty());
    EXPECT_EQ(receiver.Requests().size(), 1u);
}

TEST_F(SerialisationTest, WithoutItsEventTheLibraryWorksUnserialised) {
    // Another kind of object already has the event's name, so the library gets no event.
    EXPECT_TRUE(FreeLibrary(module));
    const HANDLE squatter = CreateMutexA(nullptr, FALSE, "VarnPlugDLLEvent");
    ASSERT_NE(squatter, nullptr);
    module = LoadLibraryA("VarnUSB.dll");
    ASSERT_NE(module, nullptr);
    BYTE value = 0;
    receiver.SetReply(rcGetOutPort, {0x12});
    EXPECT_EQ(DoGetOutDataPort(&value), 0);
    EXPECT_EQ(value, 0x12);
    EXPECT_TRUE(CloseHandle(squatter));
}

class CrossProcessTest : public ReceiverLibraryTest {
protected:
    std::vector<std::string> PeerArguments(std::vector<std::string> more) {
        std::vector<std::string> arguments{LIBRARY_PEER_PATH, win32sim::ObjectNamespace()};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return arguments;
    }
};

TEST_F(CrossProcessTest, AnotherProcessHoldingTheEventMakesOneBusyBox) {
    ChildProcess peer(PeerArguments({"hold"}));
    ASSERT_TRUE(peer.Started());
    ASSERT_EQ(peer.ReadLine(), "held");
    std::vector<int> whileOpen;
    win32sim::QueueMessageBoxAnswer([&](const win32sim::MessageBoxShown&) {
        BYTE value = 0xEE;
        whileOpen.push_back(CallTimedOut([&] { return DoEEPROMRead(3, &value); }));
        whileOpen.push_back(value);
        return IDOK;
    });
    EXPECT_EQ(CallTimedOut([] { return DoRS232Send(0x55); }), 1);
    EXPECT_EQ(whileOpen, (std::vector<int>{1, 0xEE}));
    EXPECT_EQ(win32sim::MessageBoxLog().size(), 1u);
    // Once the other process lets go, requests go through again.
    peer.WriteLine("release");
    EXPECT_EQ(peer.ReadLine(), "released");
    EXPECT_EQ(DoRS232Send(0x55), 0);
    EXPECT_EQ(peer.Wait(), 0);
}

TEST_F(CrossProcessTest, TwoProcessesNeverOverlap) {
    char counterPath[] = "/tmp/receiver-overlap-XXXXXX";
    const int fd = ::mkstemp(counterPath);
    ASSERT_GE(fd, 0);
    ::close(fd);
    receiver.ShareOverlapCounter(counterPath);
    receiver.SetDwell(std::chrono::microseconds(300));
    receiver.SetReply(rcGetInPort, {0x21});
    constexpr int kCalls = 150;
    ChildProcess peer(PeerArguments({"poll", counterPath, std::to_string(kCalls)}));
    ASSERT_TRUE(peer.Started());
    ASSERT_EQ(peer.ReadLine(), "ready");
    peer.WriteLine("go");
    int failed = 0;
    for (int i = 0; i < kCalls; ++i) {
        BYTE value = 0;
        failed += DoGetInDataPort(&value) != 0 || value != 0x21;
    }
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(peer.ReadLine(), "done 0");
    EXPECT_EQ(peer.Wait(), 0);
    EXPECT_EQ(receiver.Overlaps(), 0);
    EXPECT_EQ(receiver.Requests().size(), static_cast<std::size_t>(kCalls));
    std::remove(counterPath);
}

} // namespace
