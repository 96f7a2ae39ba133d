// Control interface of the simulated processes: programs that CreateProcessA can run (not Win32).
#pragma once

#include "win32sim/desktop.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace win32sim {

// A simulated program: a small behaviour on the virtual clock, timed from its start.
struct SimulatedProgram {
    DWORD startError = 0;               // non-zero: it fails to start, with this error
    std::optional<DWORD> idleAfter = 0; // when it first waits for input; none: never
    std::optional<DWORD> windowsAfter;  // when its windows open; none: when it becomes idle
    std::vector<WindowSpec> windows;    // on its primary thread, the first one in front
    std::optional<DWORD> exitAfter;     // when it ends by itself; none: it runs on
    DWORD exitCode = 0;
};

// Registers a program under its path ("C:\Apps\Player.exe"), matched without regard to case
// against the application name or the program named by the command line.
void RegisterProgram(const std::string& path, const SimulatedProgram& program);
// Registers a program whose own code, built as a host program (its host path, then its
// arguments), runs as a host process of its own on this machine: it sees these drives, this
// clock and these named objects (not the entries' attribute marks, which stay with the process
// that set them), and its top-level windows stand on this desktop while it runs. It becomes
// idle, opens windows and ends as its code does.
void RegisterHostProgram(const std::string& path, const std::vector<std::string>& hostProgram);

struct ProcessInfo {
    DWORD processId = 0;
    DWORD threadId = 0; // the primary thread
    std::string path;
    std::string commandLine;
    bool idle = false;
    bool running = false;
    DWORD exitCode = STILL_ACTIVE;
};
// Every process started since the machine was reset, in order.
std::vector<ProcessInfo> Processes();
// The program ends by itself (its windows close); false when it is not running.
bool EndProcess(DWORD processId, DWORD exitCode);

// Every request to start something: CreateProcessA, WinExec, ShellExecuteA.
struct LaunchRecord {
    std::string function;        // "CreateProcessA", "WinExec", "ShellExecuteA"
    std::string applicationName; // CreateProcessA: lpApplicationName; ShellExecuteA: lpFile
    std::string commandLine;     // CreateProcessA, WinExec: the command line
    std::string verb;            // ShellExecuteA: lpOperation
    std::string parameters;      // ShellExecuteA: lpParameters
    std::string directory;       // lpCurrentDirectory / lpDirectory
    bool hasApplicationName = false;
    bool hasCommandLine = false;
    bool hasSecurity = false; // either security attributes given
    BOOL inheritHandles = FALSE;
    DWORD creationFlags = 0;
    bool hasEnvironment = false;
    bool startupInfoZero = false; // STARTUPINFOA all zero except cb
    DWORD startupInfoSize = 0;
    INT showCommand = 0;  // WinExec, ShellExecuteA
    bool started = false; // a simulated program was started
    DWORD processId = 0;
    DWORD error = 0; // the last error of a failed call
};
std::vector<LaunchRecord> LaunchLog();

// The message loop of the running program waits for input, at most for the time: the moment
// WaitForInputIdle waits for. Otherwise the same as Sleep.
void WaitForInput(DWORD milliseconds);

// In a host program started for RegisterHostProgram: takes over the machine of the
// process that started it (drives, program path, command line, current directory, clock, time
// of day, named objects, screen); from then on this clock moves only when that process's clock
// has come as far. False when this process was not started that way.
bool JoinStartingMachine();
// The program has ended with the exit code: its windows leave the starting process's desktop.
void LeaveStartingMachine(DWORD exitCode);

// A box that a program on the machine of the process that started it shows: that process
// answers it. Its texts are the program's own bytes.
struct HostedBox {
    std::string program; // the program's path on the machine (the starting process fills it)
    DWORD time = 0;      // the tick count when it came
    int kind = 0;        // the toolkit's kind of box; MessageBoxA's are its message boxes
    std::string caption;
    std::string text;
    bool choice = false; // more than an OK button
    int buttons = 0;     // as the toolkit records them; a message box's MB_* flags
    int answer = 0;      // without a choice, the answer it gives by itself
};
// In such a program: shows the box on the starting machine and returns its answer. Every
// MessageBoxA without a scripted answer goes there too, once the machine was joined.
int ShowOnStartingMachine(const HostedBox& box);
// In the starting process: the answerer of the boxes of its host programs. Without one, a box
// takes the answer it gives by itself (a box with a choice, none: 0).
void AnswerHostedBoxesWith(std::function<int(const HostedBox&)> answerer);

} // namespace win32sim
