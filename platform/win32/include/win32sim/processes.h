// Control interface of the simulated processes: programs that CreateProcessA can run (not Win32).
#pragma once

#include "win32sim/desktop.h"

#include <windows.h>

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

} // namespace win32sim
