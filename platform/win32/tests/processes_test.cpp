// Simulated processes: starting registered programs, input idle on the virtual clock, windows
// opening and closing with them, ending them, and their handles.
#include "sim_fixture.h"
#include "win32sim/processes.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

using win32sim::SimulatedProgram;
using win32sim::WindowSpec;

constexpr const char* kPlayer = "C:\\Program Files\\Player\\player.exe";

WindowSpec Spec(const char* cls, bool visible = true) {
    WindowSpec s;
    s.className = cls;
    s.visible = visible;
    return s;
}

class ProcessesTest : public SimMachineTest {
protected:
    // The way the system starts a program: the whole command line, nothing else.
    BOOL Start(const std::string& commandLine, PROCESS_INFORMATION& pi) {
        std::string line = commandLine;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        pi.hProcess = pi.hThread = INVALID_HANDLE_VALUE;
        pi.dwProcessId = pi.dwThreadId = 0xDEAD;
        return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi);
    }
    void Close(const PROCESS_INFORMATION& pi) {
        EXPECT_TRUE(CloseHandle(pi.hProcess));
        EXPECT_TRUE(CloseHandle(pi.hThread));
    }
};

TEST_F(ProcessesTest, CommandLinesFindTheirProgram) {
    win32sim::RegisterProgram(kPlayer, {});
    win32sim::RegisterProgram("C:\\Tools\\run.exe", {});
    const struct {
        const char* line;
        bool started;
    } cases[] = {
        {"\"C:\\Program Files\\Player\\player.exe\" song.mp3", true},
        {"C:\\Program Files\\Player\\player.exe", true}, // unquoted, with a blank in its folder
        {"c:\\program files\\player\\PLAYER.EXE /play", true},
        {"\"C:\\Program Files\\Player\\player\"", true}, // .exe is added
        {"C:\\Tools\\run.exe -x", true},
        {"\\Tools\\run.exe", true}, // on the current drive
        {"\"C:\\Tools\\other.exe\"", false},
        {"C:\\Program", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        PROCESS_INFORMATION pi;
        SetLastError(0);
        EXPECT_EQ(Start(c.line, pi), c.started ? TRUE : FALSE);
        if (c.started) {
            EXPECT_NE(pi.dwProcessId, 0xDEADu);
            Close(pi);
        } else {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
            EXPECT_EQ(pi.hProcess, INVALID_HANDLE_VALUE); // untouched
            EXPECT_EQ(pi.dwThreadId, 0xDEADu);
        }
    }
}

TEST_F(ProcessesTest, TheStartIsRecordedAsMade) {
    win32sim::RegisterProgram(kPlayer, {});
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(Start("\"C:\\Program Files\\Player\\player.exe\" auto", pi));
    Close(pi);
    std::string app = kPlayer;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = 1;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    ASSERT_TRUE(
        CreateProcessA(app.c_str(), nullptr, &sa, nullptr, TRUE, 0x10, &si, "C:\\", &si, &pi));
    Close(pi);

    const auto log = win32sim::LaunchLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].function, "CreateProcessA");
    EXPECT_FALSE(log[0].hasApplicationName);
    EXPECT_EQ(log[0].commandLine, "\"C:\\Program Files\\Player\\player.exe\" auto");
    EXPECT_FALSE(log[0].hasSecurity);
    EXPECT_EQ(log[0].inheritHandles, FALSE);
    EXPECT_EQ(log[0].creationFlags, 0u);
    EXPECT_FALSE(log[0].hasEnvironment);
    EXPECT_TRUE(log[0].directory.empty());
    EXPECT_TRUE(log[0].startupInfoZero);
    EXPECT_EQ(log[0].startupInfoSize, sizeof(STARTUPINFOA));
    EXPECT_TRUE(log[0].started);

    EXPECT_EQ(log[1].applicationName, kPlayer);
    EXPECT_FALSE(log[1].hasCommandLine);
    EXPECT_TRUE(log[1].hasSecurity);
    EXPECT_EQ(log[1].inheritHandles, TRUE);
    EXPECT_EQ(log[1].creationFlags, 0x10u);
    EXPECT_TRUE(log[1].hasEnvironment);
    EXPECT_EQ(log[1].directory, "C:\\");
    EXPECT_FALSE(log[1].startupInfoZero);

    const auto processes = win32sim::Processes();
    ASSERT_EQ(processes.size(), 2u);
    EXPECT_EQ(processes[0].path, kPlayer);
    EXPECT_EQ(processes[0].commandLine, "\"C:\\Program Files\\Player\\player.exe\" auto");
    EXPECT_EQ(processes[1].commandLine, kPlayer); // no command line: the application name
}

TEST_F(ProcessesTest, AProgramThatFailsToStart) {
    SimulatedProgram broken;
    broken.startError = 193; // not a valid program
    win32sim::RegisterProgram(kPlayer, broken);
    PROCESS_INFORMATION pi;
    SetLastError(0);
    EXPECT_FALSE(Start(kPlayer, pi));
    EXPECT_EQ(GetLastError(), 193u);
    EXPECT_TRUE(win32sim::Processes().empty());
    const auto log = win32sim::LaunchLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_FALSE(log[0].started);
    EXPECT_EQ(log[0].error, 193u);

    STARTUPINFOA si{};
    si.cb = sizeof si;
    SetLastError(0);
    EXPECT_FALSE(
        CreateProcessA(nullptr, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ProcessesTest, WaitForInputIdleFollowsTheVirtualClock) {
    SimulatedProgram slow;
    slow.idleAfter = 3000;
    SimulatedProgram never;
    never.idleAfter = std::nullopt;
    SimulatedProgram quitter;
    quitter.idleAfter = 9000;
    quitter.exitAfter = 4000;
    win32sim::RegisterProgram("C:\\slow.exe", slow);
    win32sim::RegisterProgram("C:\\never.exe", never);
    win32sim::RegisterProgram("C:\\quitter.exe", quitter);
    win32sim::RegisterProgram("C:\\quick.exe", {});
    const struct {
        const char* program;
        DWORD timeout;
        DWORD result;
        DWORD elapsed;
    } cases[] = {
        {"C:\\quick.exe", 20000, 0, 0},
        {"C:\\slow.exe", 20000, 0, 3000},
        {"C:\\slow.exe", 3000, 0, 3000},
        {"C:\\slow.exe", 2999, WAIT_TIMEOUT, 2999},
        {"C:\\never.exe", 20000, WAIT_TIMEOUT, 20000},
        {"C:\\quitter.exe", 20000, WAIT_FAILED, 4000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.program << " " << c.timeout);
        PROCESS_INFORMATION pi;
        ASSERT_TRUE(Start(c.program, pi));
        const DWORD before = GetTickCount();
        EXPECT_EQ(WaitForInputIdle(pi.hProcess, c.timeout), c.result);
        EXPECT_EQ(GetTickCount() - before, c.elapsed);
        TerminateProcess(pi.hProcess, 0);
        Close(pi);
    }
    // Once idle, a wait returns at once.
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(Start("C:\\slow.exe", pi));
    win32sim::AdvanceClock(5000);
    const DWORD before = GetTickCount();
    EXPECT_EQ(WaitForInputIdle(pi.hProcess, 20000), 0u);
    EXPECT_EQ(GetTickCount(), before);
    // A thread handle or a closed one is no process.
    SetLastError(0);
    EXPECT_EQ(WaitForInputIdle(pi.hThread, 100), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    const HANDLE process = pi.hProcess;
    Close(pi);
    SetLastError(0);
    EXPECT_EQ(WaitForInputIdle(process, 100), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ProcessesTest, WindowsOpenAndCloseWithTheProgram) {
    SimulatedProgram p;
    p.idleAfter = 1000;
    p.windowsAfter = 2500;
    p.windows = {Spec("PlayerMain"), Spec("#32770", false)};
    p.windows[0].activate = true;
    p.exitAfter = 60000;
    p.exitCode = 7;
    win32sim::RegisterProgram(kPlayer, p);
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(Start(kPlayer, pi));
    EXPECT_EQ(FindWindowA("PlayerMain", nullptr), nullptr);
    EXPECT_EQ(WaitForInputIdle(pi.hProcess, 20000), 0u);
    EXPECT_EQ(FindWindowA("PlayerMain", nullptr), nullptr); // idle, but no window yet
    Sleep(1500);
    const HWND main = FindWindowA("PlayerMain", nullptr);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(GetForegroundWindow(), main);
    const auto windows = win32sim::Windows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0].handle, main); // the first one in front
    EXPECT_EQ(windows[1].className, "#32770");
    for (const auto& w : windows) {
        EXPECT_EQ(w.processId, pi.dwProcessId);
        EXPECT_EQ(w.threadId, pi.dwThreadId);
    }
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));

    // It ends by itself at its time: its windows close, its exit code shows.
    win32sim::AdvanceClock(60000);
    EXPECT_TRUE(win32sim::Windows().empty());
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    ASSERT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_FALSE(win32sim::Processes()[0].running);
    SetLastError(0);
    EXPECT_FALSE(TerminateProcess(pi.hProcess, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    Close(pi);
}

TEST_F(ProcessesTest, TerminateAndEndProcess) {
    SimulatedProgram p;
    p.windows = {Spec("A")};
    win32sim::RegisterProgram(kPlayer, p);
    PROCESS_INFORMATION first, second;
    ASSERT_TRUE(Start(kPlayer, first));
    ASSERT_TRUE(Start(kPlayer, second));
    EXPECT_EQ(win32sim::Windows().size(), 2u);
    EXPECT_TRUE(TerminateProcess(first.hProcess, 3));
    EXPECT_EQ(win32sim::Windows().size(), 1u);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(first.hProcess, &code));
    EXPECT_EQ(code, 3u);

    EXPECT_TRUE(win32sim::EndProcess(second.dwProcessId, 4));
    EXPECT_FALSE(win32sim::EndProcess(second.dwProcessId, 4));
    EXPECT_TRUE(win32sim::Windows().empty());

    const struct {
        HANDLE handle;
        const char* label;
    } bad[] = {
        {first.hThread, "thread"}, {nullptr, "null"}, {reinterpret_cast<HANDLE>(0x4444), "bogus"}};
    for (const auto& b : bad) {
        SCOPED_TRACE(b.label);
        SetLastError(0);
        EXPECT_FALSE(TerminateProcess(b.handle, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        SetLastError(0);
        code = 12345;
        EXPECT_FALSE(GetExitCodeProcess(b.handle, &code));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(code, 12345u);
    }
    Close(first);
    Close(second);
    // Closing twice fails.
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(first.hProcess));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ProcessesTest, HandlesLeftOpenAreCounted) {
    win32sim::RegisterProgram(kPlayer, {});
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(Start(kPlayer, pi));
    EXPECT_EQ(win32sim::OpenHandleCount(), 2u);
    EXPECT_TRUE(CloseHandle(pi.hThread));
    EXPECT_EQ(win32sim::OpenHandleCount(), 1u);
    EXPECT_TRUE(CloseHandle(pi.hProcess));
    EXPECT_EQ(win32sim::OpenHandleCount(), 0u);
    EXPECT_TRUE(win32sim::Processes()[0].running); // closing handles does not end it
}

TEST_F(ProcessesTest, WinExecAndShellExecute) {
    SimulatedProgram editor;
    editor.windows = {Spec("TQuendel")};
    win32sim::RegisterProgram(Prog("Quendel.exe"), editor);
    PutFile(Prog("Help\\Tavrin RC.HLP"), "help");
    const struct {
        const char* label;
        UINT result;
        std::string line;
    } winExecCases[] = {
        {"registered", 33, Prog("Quendel.exe")},
        {"missing", ERROR_FILE_NOT_FOUND, "C:\\Nowhere\\Quendel.exe"},
    };
    for (const auto& c : winExecCases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(WinExec(c.line.c_str(), SW_SHOWNORMAL), c.result);
    }
    EXPECT_NE(FindWindowA("TQuendel", nullptr), nullptr);

    const struct {
        const char* label;
        std::string file;
        const char* parameters;
        std::uintptr_t result;
        bool started;
    } shellCases[] = {
        {"document", Prog("Help\\Tavrin RC.HLP"), nullptr, 42, false},
        {"document any case", Prog("help\\tavrin rc.hlp"), nullptr, 42, false},
        {"missing document", Prog("Help\\None.HLP"), nullptr, SE_ERR_FNF, false},
        {"program", Prog("Quendel.exe"), "list.m3u", 42, true},
    };
    for (const auto& c : shellCases) {
        SCOPED_TRACE(c.label);
        const HINSTANCE r =
            ShellExecuteA(nullptr, "open", c.file.c_str(), c.parameters, nullptr, SW_SHOW);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(r), c.result);
        const auto last = win32sim::LaunchLog().back();
        EXPECT_EQ(last.function, "ShellExecuteA");
        EXPECT_EQ(last.verb, "open");
        EXPECT_EQ(last.applicationName, c.file);
        EXPECT_EQ(last.showCommand, SW_SHOW);
        EXPECT_EQ(last.started, c.started);
    }
    const auto processes = win32sim::Processes();
    ASSERT_EQ(processes.size(), 2u);
    EXPECT_EQ(processes[1].commandLine, "\"" + Prog("Quendel.exe") + "\" list.m3u");
    const auto log = win32sim::LaunchLog();
    EXPECT_EQ(log[0].function, "WinExec");
    EXPECT_EQ(log[0].showCommand, SW_SHOWNORMAL);
    EXPECT_FALSE(log[1].started);
    EXPECT_EQ(win32sim::OpenHandleCount(), 0u); // neither leaves handles behind
}

TEST_F(ProcessesTest, ResetEndsEverything) {
    SimulatedProgram p;
    p.windows = {Spec("A")};
    win32sim::RegisterProgram(kPlayer, p);
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(Start(kPlayer, pi));
    win32sim::ResetMachine();
    EXPECT_TRUE(win32sim::Processes().empty());
    EXPECT_TRUE(win32sim::LaunchLog().empty());
    EXPECT_TRUE(win32sim::Windows().empty());
    EXPECT_EQ(win32sim::OpenHandleCount(), 0u);
    EXPECT_FALSE(Start(kPlayer, pi)); // no longer registered
}

} // namespace
