// Programs that the simulated machine starts as host processes of their own: they run on this
// machine's clock, drives and named objects, their windows stand on this desktop while they
// run, and they become idle and end as their code does.
#include "sim_fixture.h"
#include "win32sim/desktop.h"
#include "win32sim/processes.h"

#include <windows.h>

#include <csignal>
#include <string>
#include <vector>

namespace {

constexpr const char* kPeer = "C:\\Peer\\peer.exe";

class HostProgramTest : public SimMachineTest {
protected:
    void SetUp() override {
        SimMachineTest::SetUp();
        win32sim::RegisterHostProgram(kPeer, {HOSTED_PEER_PATH});
    }
    // The peer with its steps; false when it did not start.
    bool Start(const std::string& steps, PROCESS_INFORMATION& pi) {
        std::string line = "\"" + std::string(kPeer) + "\" " + steps;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi) != FALSE;
    }
    DWORD ExitCode(const PROCESS_INFORMATION& pi) {
        DWORD code = 0xDEAD;
        EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
        return code;
    }
    void Close(const PROCESS_INFORMATION& pi) {
        EXPECT_TRUE(CloseHandle(pi.hProcess));
        EXPECT_TRUE(CloseHandle(pi.hThread));
    }
};

TEST_F(HostProgramTest, RunsOnThisClockWithItsWindowOnThisDesktop) {
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(Start("busy 300 window PeerMain First idle 1000 caption Second idle 500 "
                      "write C:\\out.txt exit 7",
                      pi));
    EXPECT_EQ(FindWindowA("PeerMain", nullptr), nullptr) << "busy before its window";
    EXPECT_EQ(WaitForInputIdle(pi.hProcess, 20000), 0u);
    EXPECT_EQ(GetTickCount(), 300u) << "the clock followed it to its first wait for input";

    const HWND window = FindWindowA("PeerMain", "First");
    ASSERT_NE(window, nullptr);
    const auto info = win32sim::Window(window);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->processId, pi.dwProcessId);
    EXPECT_EQ(info->threadId, pi.dwThreadId);
    EXPECT_FALSE(info->own);
    EXPECT_EQ(ExitCode(pi), static_cast<DWORD>(STILL_ACTIVE));

    Sleep(999);
    EXPECT_NE(FindWindowA("PeerMain", "First"), nullptr) << "its wait has not ended yet";
    Sleep(1);
    EXPECT_EQ(FindWindowA("PeerMain", "First"), nullptr);
    EXPECT_NE(FindWindowA("PeerMain", "Second"), nullptr);
    EXPECT_FALSE(Exists("C:\\out.txt"));

    Sleep(600);
    EXPECT_EQ(FindWindowA("PeerMain", nullptr), nullptr) << "its window went with it";
    EXPECT_EQ(GetFile("C:\\out.txt"), "done") << "it wrote on this machine's drive";
    EXPECT_EQ(ExitCode(pi), 7u);
    const auto processes = win32sim::Processes();
    ASSERT_EQ(processes.size(), 1u);
    EXPECT_FALSE(processes[0].running);

    std::vector<std::string> events;
    for (const auto& e : win32sim::WindowEvents())
        if (e.processId == pi.dwProcessId)
            events.push_back(std::string(e.opened ? "opened " : "went ") + e.caption + " at " +
                             std::to_string(e.time));
    EXPECT_EQ(events, (std::vector<std::string>{"opened First at 300", "went Second at 1800"}));
    Close(pi);
}

TEST_F(HostProgramTest, ItsBoxesAreAnsweredHereAtTheirTime) {
    std::vector<win32sim::HostedBox> shown;
    win32sim::AnswerHostedBoxesWith([&](const win32sim::HostedBox& box) {
        shown.push_back(box);
        return box.choice ? IDNO : box.answer;
    });
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(Start("busy 200 tell Found busy 300 ask Replace? idle 100", pi));
    EXPECT_EQ(WaitForInputIdle(pi.hProcess, 20000), static_cast<DWORD>(WAIT_FAILED))
        << "it ended with the answer before it was idle";
    EXPECT_EQ(ExitCode(pi), static_cast<DWORD>(IDNO));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].program, kPeer);
    EXPECT_EQ(shown[0].text, "Found");
    EXPECT_EQ(shown[0].caption, "Peer");
    EXPECT_FALSE(shown[0].choice);
    EXPECT_EQ(shown[0].answer, IDOK);
    EXPECT_EQ(shown[0].time, 200u);
    EXPECT_EQ(shown[1].text, "Replace?");
    EXPECT_TRUE(shown[1].choice);
    EXPECT_EQ(shown[1].buttons, MB_YESNO);
    EXPECT_EQ(shown[1].time, 500u);
    Close(pi);

    // Without an answerer a box with a choice gets none.
    win32sim::AnswerHostedBoxesWith(nullptr);
    ASSERT_TRUE(Start("ask Again?", pi));
    WaitForInputIdle(pi.hProcess, 1000);
    EXPECT_EQ(ExitCode(pi), 0u);
    Close(pi);
}

TEST_F(HostProgramTest, WaitingForInputIdle) {
    struct Case {
        const char* label;
        const char* steps;
        DWORD result;
        DWORD waited;
        bool running;
    } cases[] = {
        {"idle at once", "window W x idle 10000", 0, 0, true},
        {"busy first", "busy 5000 idle 10000", 0, 5000, true},
        {"never idle in time", "busy 30000 idle 10", WAIT_TIMEOUT, 20000, true},
        {"ends before it is idle", "busy 100 exit 3", WAIT_FAILED, 100, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(Start(c.steps, pi));
        const DWORD before = GetTickCount();
        EXPECT_EQ(WaitForInputIdle(pi.hProcess, 20000), c.result);
        EXPECT_EQ(GetTickCount() - before, c.waited);
        EXPECT_EQ(ExitCode(pi) == STILL_ACTIVE, c.running);
        if (c.running) {
            EXPECT_TRUE(TerminateProcess(pi.hProcess, 0));
        }
        Close(pi);
    }
}

TEST_F(HostProgramTest, TerminatedItEndsAtOnceWithItsWindows) {
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(Start("window PeerMain x idle 100000 write C:\\late.txt", pi));
    ASSERT_NE(FindWindowA("PeerMain", "x"), nullptr);
    EXPECT_TRUE(TerminateProcess(pi.hProcess, 5));
    EXPECT_EQ(FindWindowA("PeerMain", nullptr), nullptr);
    EXPECT_EQ(ExitCode(pi), 5u);
    EXPECT_FALSE(TerminateProcess(pi.hProcess, 6)) << "already ended";
    Sleep(200000);
    EXPECT_FALSE(Exists("C:\\late.txt")) << "it never ran on";
    Close(pi);
}

TEST_F(HostProgramTest, ItSharesTheNamedObjects) {
    const HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "PeerReady");
    ASSERT_NE(ready, nullptr);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(Start("signal PeerReady", pi));
    EXPECT_EQ(WaitForSingleObject(ready, 0), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCode(pi), 0u);
    Close(pi);
    CloseHandle(ready);
}

TEST_F(HostProgramTest, AProgramThatBreaksOffOrIsMissing) {
    struct Case {
        const char* label;
        const char* steps;
        DWORD exitCode;
    } cases[] = {
        {"killed by a signal", "window PeerMain x abort", 128u + SIGABRT},
        {"ended otherwise than it reported", "window PeerMain x report 0 23", 23},
        {"ended as it reported", "window PeerMain x report 300 44", 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(Start(c.steps, pi));
        EXPECT_EQ(FindWindowA("PeerMain", nullptr), nullptr) << "no window of it is left";
        EXPECT_EQ(ExitCode(pi), c.exitCode);
        Close(pi);
    }

    PROCESS_INFORMATION pi{};
    win32sim::RegisterHostProgram("C:\\Peer\\gone.exe", {std::string(HOSTED_PEER_PATH) + ".gone"});
    std::string line = "C:\\Peer\\gone.exe";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    EXPECT_FALSE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &si, &pi));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(win32sim::LaunchLog().back().started);
}

} // namespace
