// Events, mutexes and waits: results and last errors, time-outs on the virtual clock, names
// shared within a namespace and with a second host process, and the interlocked operations.
#include "child_process.h"
#include "sim_fixture.h"
#include "win32sim/objects.h"

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace {

using SyncObjectsTest = SimMachineTest;

constexpr DWORD kSentinel = 0xDEADBEEF;

TEST_F(SyncObjectsTest, WaitAndSignalOnHandlesThatAreNoEventOrMutexFail) {
    const HANDLE file = CreateFileA("C:\\f.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const HANDLE event = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    ASSERT_NE(mutex, nullptr);
    const struct {
        const char* what;
        HANDLE handle;
    } bad[] = {{"NULL", nullptr},
               {"never opened", reinterpret_cast<HANDLE>(0x7770)},
               {"INVALID_HANDLE_VALUE", INVALID_HANDLE_VALUE},
               {"file", file}};
    for (const auto& c : bad) {
        SCOPED_TRACE(c.what);
        SetLastError(kSentinel);
        EXPECT_EQ(WaitForSingleObject(c.handle, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        SetLastError(kSentinel);
        EXPECT_FALSE(SetEvent(c.handle));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        SetLastError(kSentinel);
        EXPECT_FALSE(ResetEvent(c.handle));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        SetLastError(kSentinel);
        EXPECT_FALSE(ReleaseMutex(c.handle));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    // An event is no mutex, and a mutex no event.
    SetLastError(kSentinel);
    EXPECT_FALSE(ReleaseMutex(event));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    SetLastError(kSentinel);
    EXPECT_FALSE(SetEvent(mutex));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_TRUE(CloseHandle(event));
    EXPECT_TRUE(CloseHandle(mutex));
}

TEST_F(SyncObjectsTest, AutoResetAndManualResetEvents) {
    const struct {
        BOOL manual;
        BOOL initial;
        DWORD first, second; // two waits in a row
    } cases[] = {
        {FALSE, TRUE, WAIT_OBJECT_0, WAIT_TIMEOUT},
        {FALSE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
        {TRUE, TRUE, WAIT_OBJECT_0, WAIT_OBJECT_0},
        {TRUE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "manual " << c.manual << " initial " << c.initial);
        const HANDLE e = CreateEventA(nullptr, c.manual, c.initial, nullptr);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(WaitForSingleObject(e, 0), c.first);
        EXPECT_EQ(WaitForSingleObject(e, 0), c.second);
        EXPECT_TRUE(SetEvent(e));
        EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(e, 0), c.manual ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
        EXPECT_TRUE(ResetEvent(e));
        EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
        EXPECT_TRUE(CloseHandle(e));
    }
    EXPECT_EQ(win32sim::BlockedWaitCount(), 0u);
}

TEST_F(SyncObjectsTest, NamedEventIsSharedAndLivesWhileAHandleIsOpen) {
    SetLastError(kSentinel);
    const HANDLE a = CreateEventA(nullptr, FALSE, FALSE, "Shared");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    // The second create opens the first; its own reset mode and state are ignored.
    const HANDLE b = CreateEventA(nullptr, TRUE, TRUE, "Shared");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(a, b);
    EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(a));
    EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_TIMEOUT);
    // Names compare exactly.
    const HANDLE other = CreateEventA(nullptr, FALSE, FALSE, "shared");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(CloseHandle(other));

    EXPECT_TRUE(CloseHandle(a));
    EXPECT_TRUE(SetEvent(b));
    EXPECT_TRUE(CloseHandle(b));
    // Gone with its last handle: created afresh with the new state.
    const HANDLE c = CreateEventA(nullptr, FALSE, FALSE, "Shared");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(WaitForSingleObject(c, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(c));
}

TEST_F(SyncObjectsTest, EventsAndMutexesShareOneNamespace) {
    const HANDLE event = CreateEventA(nullptr, FALSE, FALSE, "Name");
    ASSERT_NE(event, nullptr);
    SetLastError(kSentinel);
    EXPECT_EQ(CreateMutexA(nullptr, FALSE, "Name"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    const std::string tooLong(MAX_PATH + 1, 'n');
    SetLastError(kSentinel);
    EXPECT_EQ(CreateEventA(nullptr, FALSE, FALSE, tooLong.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_TRUE(CloseHandle(event));
}

TEST_F(SyncObjectsTest, MutexOwnershipRecursionAndRelease) {
    SetLastError(kSentinel);
    const HANDLE m = CreateMutexA(nullptr, TRUE, "pdu_oxu");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    const HANDLE again = CreateMutexA(nullptr, TRUE, "pdu_oxu");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(CloseHandle(again));

    // The owner may wait again; each wait needs its own release.
    EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0);
    auto otherThread = [m] {
        return std::async(std::launch::async,
                          [m] {
                              const DWORD wait = WaitForSingleObject(m, 0);
                              SetLastError(kSentinel);
                              const BOOL released = ReleaseMutex(m);
                              return std::make_pair(wait, released ? 0 : GetLastError());
                          })
            .get();
    };
    EXPECT_EQ(otherThread(), std::make_pair(DWORD{WAIT_TIMEOUT}, DWORD{ERROR_NOT_OWNER}));
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_EQ(otherThread(), std::make_pair(DWORD{WAIT_TIMEOUT}, DWORD{ERROR_NOT_OWNER}));
    EXPECT_TRUE(ReleaseMutex(m));
    SetLastError(kSentinel);
    EXPECT_FALSE(ReleaseMutex(m));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
    // Free now: another thread takes it (and releases it again).
    EXPECT_EQ(otherThread(), std::make_pair(DWORD{WAIT_OBJECT_0}, DWORD{0}));
    EXPECT_TRUE(CloseHandle(m));
}

TEST_F(SyncObjectsTest, TimeOutFollowsTheVirtualClockOnly) {
    const HANDLE e = CreateEventA(nullptr, FALSE, FALSE, "Clocked");
    ASSERT_NE(e, nullptr);
    win32sim::SetTickCount(1000);
    auto waiter = std::async(std::launch::async, [e] { return WaitForSingleObject(e, 5000); });
    ASSERT_TRUE(win32sim::AwaitBlockedWaits(1));
    win32sim::AdvanceClock(4999);
    EXPECT_EQ(waiter.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    win32sim::AdvanceClock(1);
    EXPECT_EQ(waiter.get(), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(win32sim::BlockedWaitCount(), 0u);
    EXPECT_EQ(GetTickCount(), 6000u);
    EXPECT_TRUE(CloseHandle(e));
}

TEST_F(SyncObjectsTest, BlockedWaitEndsWhenSignalledWithoutTimePassing) {
    const HANDLE e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    const HANDLE m = CreateMutexA(nullptr, TRUE, nullptr);
    auto onEvent = std::async(std::launch::async, [e] { return WaitForSingleObject(e, INFINITE); });
    auto onMutex = std::async(std::launch::async, [m] {
        const DWORD r = WaitForSingleObject(m, 5000);
        ReleaseMutex(m);
        return r;
    });
    ASSERT_TRUE(win32sim::AwaitBlockedWaits(2));
    EXPECT_TRUE(SetEvent(e));
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_EQ(onEvent.get(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(onMutex.get(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(GetTickCount(), 0u);
    EXPECT_TRUE(CloseHandle(e));
    EXPECT_TRUE(CloseHandle(m));
}

TEST_F(SyncObjectsTest, AnAutoResetEventReleasesOneWaiterPerSignal) {
    const HANDLE e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    auto a = std::async(std::launch::async, [e] { return WaitForSingleObject(e, INFINITE); });
    auto b = std::async(std::launch::async, [e] { return WaitForSingleObject(e, INFINITE); });
    ASSERT_TRUE(win32sim::AwaitBlockedWaits(2));
    EXPECT_TRUE(SetEvent(e));
    // Exactly one of the two gets through; the other stays blocked.
    auto ready = [](std::future<DWORD>& f) {
        return f.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready;
    };
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!ready(a) && !ready(b) && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_NE(ready(a), ready(b));
    EXPECT_EQ(win32sim::BlockedWaitCount(), 1u);
    EXPECT_TRUE(SetEvent(e));
    EXPECT_EQ(a.get(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(b.get(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(CloseHandle(e));
}

TEST_F(SyncObjectsTest, NamespacesKeepNamesApart) {
    const std::string first = win32sim::ObjectNamespace();
    const HANDLE inFirst = CreateEventA(nullptr, TRUE, FALSE, "Same");
    ASSERT_NE(inFirst, nullptr);
    const std::string second = win32sim::NewObjectNamespace();
    EXPECT_NE(second, first);
    const HANDLE inSecond = CreateEventA(nullptr, TRUE, FALSE, "Same");
    ASSERT_NE(inSecond, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    // The handle from before the change still reaches its own object.
    EXPECT_TRUE(SetEvent(inFirst));
    EXPECT_EQ(WaitForSingleObject(inFirst, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(inSecond, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(inFirst));
    EXPECT_TRUE(CloseHandle(inSecond));
    // Every reset machine starts in a namespace of its own.
    win32sim::ResetMachine();
    EXPECT_NE(win32sim::ObjectNamespace(), first);
    EXPECT_NE(win32sim::ObjectNamespace(), second);
}

class SharedObjectsTest : public SimMachineTest {
protected:
    void SetUp() override {
        SimMachineTest::SetUp();
        peer = std::make_unique<ChildProcess>(
            std::vector<std::string>{OBJECT_PEER_PATH, win32sim::ObjectNamespace()});
        ASSERT_TRUE(peer->Started());
    }
    void TearDown() override {
        if (peer) {
            EXPECT_EQ(peer->Wait(), expectedExit);
        }
        SimMachineTest::TearDown();
    }
    std::string Ask(const std::string& command) {
        peer->WriteLine(command);
        return peer->ReadLine();
    }

    std::unique_ptr<ChildProcess> peer;
    int expectedExit = 0;
};

TEST_F(SharedObjectsTest, SecondProcessFindsTheMutexAndTheEvent) {
    const HANDLE m = CreateMutexA(nullptr, TRUE, "pdu_oxu");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(Ask("mutex pdu_oxu"), "exists");
    EXPECT_EQ(Ask("wait 0"), std::to_string(WAIT_TIMEOUT));
    EXPECT_EQ(Ask("event pdu_oxu"), "fail " + std::to_string(ERROR_INVALID_HANDLE));

    EXPECT_EQ(Ask("event VarnPlugDLLEvent"), "new");
    const HANDLE e = CreateEventA(nullptr, FALSE, TRUE, "VarnPlugDLLEvent");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    auto waiter = std::async(std::launch::async, [e] { return WaitForSingleObject(e, 5000); });
    ASSERT_TRUE(win32sim::AwaitBlockedWaits(1));
    EXPECT_EQ(Ask("set"), "ok");
    EXPECT_EQ(waiter.get(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(Ask("wait 0"), std::to_string(WAIT_TIMEOUT));

    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_EQ(Ask("close"), "ok");
    EXPECT_TRUE(CloseHandle(m));
    EXPECT_TRUE(CloseHandle(e));
}

TEST_F(SharedObjectsTest, AProcessThatEndsLetsGoOfItsObjects) {
    EXPECT_EQ(Ask("owned-mutex Held"), "new");
    EXPECT_EQ(Ask("event Lonely"), "new");
    const HANDLE m = CreateMutexA(nullptr, FALSE, "Held");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_TIMEOUT);
    peer->WriteLine("crash");
    EXPECT_EQ(peer->Wait(), 3);
    expectedExit = 3;
    // Its mutex is abandoned to the next waiter; its event went with its handles.
    EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_ABANDONED);
    EXPECT_TRUE(ReleaseMutex(m));
    const HANDLE e = CreateEventA(nullptr, FALSE, FALSE, "Lonely");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(CloseHandle(e));
    EXPECT_TRUE(CloseHandle(m));
}

TEST_F(SharedObjectsTest, TheTableOfAProcessThatEndedUncleanIsRemovedByTheNextNamespace) {
    const std::string own = Ask("own");
    ASSERT_EQ(own.rfind("w32sim.", 0), 0u) << own;
    const std::filesystem::path table = std::filesystem::path("/dev/shm") / own;
    ASSERT_TRUE(std::filesystem::exists(table));
    win32sim::NewObjectNamespace();
    const HANDLE e = CreateEventA(nullptr, FALSE, FALSE, "Here");
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(std::filesystem::exists(table)) << "its maker still runs";
    peer->WriteLine("crash");
    EXPECT_EQ(peer->Wait(), 3);
    expectedExit = 3;
    EXPECT_TRUE(std::filesystem::exists(table)) << "an _Exit removes nothing";
    const std::filesystem::path mine =
        std::filesystem::path("/dev/shm") / win32sim::ObjectNamespace();
    win32sim::NewObjectNamespace();
    EXPECT_FALSE(std::filesystem::exists(table));
    EXPECT_FALSE(std::filesystem::exists(mine)) << "left, so removed";
    EXPECT_TRUE(CloseHandle(e));
}

// More processes hold one event than a table of a fixed number of holders per object would
// keep: each of them shares it, and it lives until the last of them lets go.
TEST_F(SyncObjectsTest, ManyProcessesHoldOneEvent) {
    constexpr int kPeers = 24;
    const HANDLE mine = CreateEventA(nullptr, FALSE, FALSE, "VarnPlugDLLEvent");
    ASSERT_NE(mine, nullptr);
    std::vector<std::unique_ptr<ChildProcess>> peers;
    for (int i = 0; i < kPeers; ++i) {
        peers.push_back(std::make_unique<ChildProcess>(
            std::vector<std::string>{OBJECT_PEER_PATH, win32sim::ObjectNamespace()}));
        ASSERT_TRUE(peers.back()->Started());
        peers.back()->WriteLine("event VarnPlugDLLEvent");
        ASSERT_EQ(peers.back()->ReadLine(), "exists") << "peer " << i;
    }
    // One signal of the auto-reset event lets exactly one of them through.
    ASSERT_TRUE(SetEvent(mine));
    int through = 0;
    for (auto& peer : peers) {
        peer->WriteLine("wait 0");
        through += peer->ReadLine() == std::to_string(WAIT_OBJECT_0) ? 1 : 0;
    }
    EXPECT_EQ(through, 1);
    EXPECT_TRUE(CloseHandle(mine));

    for (int i = 0; i + 1 < kPeers; ++i) {
        peers[i]->WriteLine("close");
        EXPECT_EQ(peers[i]->ReadLine(), "ok");
    }
    HANDLE again = CreateEventA(nullptr, FALSE, FALSE, "VarnPlugDLLEvent");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "the last peer holds it";
    EXPECT_TRUE(CloseHandle(again));
    peers.back()->WriteLine("close");
    EXPECT_EQ(peers.back()->ReadLine(), "ok");
    again = CreateEventA(nullptr, FALSE, FALSE, "VarnPlugDLLEvent");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "gone with its last holder";
    EXPECT_TRUE(CloseHandle(again));
    for (auto& peer : peers) {
        EXPECT_EQ(peer->Wait(), 0);
    }
}

TEST(InterlockedTest, ResultsAndStoredValues) {
    volatile LONG value = 5;
    EXPECT_EQ(InterlockedIncrement(&value), 6);
    EXPECT_EQ(InterlockedDecrement(&value), 5);
    EXPECT_EQ(InterlockedExchange(&value, 9), 5);
    EXPECT_EQ(value, 9);
    // Compare-exchange gives the old value and stores only on a match.
    EXPECT_EQ(InterlockedCompareExchange(&value, 1, 7), 9);
    EXPECT_EQ(value, 9);
    EXPECT_EQ(InterlockedCompareExchange(&value, 1, 9), 9);
    EXPECT_EQ(value, 1);
}

TEST(InterlockedTest, IncrementsFromManyThreadsAreNotLost) {
    volatile LONG counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&counter] {
            for (int i = 0; i < 10000; ++i)
                InterlockedIncrement(&counter);
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(counter, 40000);
}

} // namespace
