// Control interface of the simulated system: version, privileges, shutdown requests, memory (not
// Win32).
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace win32sim {

// The platform GetVersionExA reports: VER_PLATFORM_WIN32_NT (at first) or _WINDOWS.
void SetPlatformId(DWORD platformId);
DWORD PlatformId();

// Whether the program enabled its shut-down privilege (AdjustTokenPrivileges).
bool ShutdownPrivilegeEnabled();

// ExitWindowsEx calls; the host is never shut down.
struct ExitWindowsRecord {
    UINT flags = 0;
    DWORD reason = 0;
    BOOL result = FALSE;
};
std::vector<ExitWindowsRecord> ExitWindowsLog();

// Every RaiseException, in order.
struct RaisedException {
    DWORD code = 0;
    DWORD flags = 0;
    std::vector<ULONG_PTR> arguments;
};
std::vector<RaisedException> RaisedExceptions();

// What GetCommandLineA gives; after a reset the quoted program path alone.
void SetCommandLine(const std::string& commandLine);

// Global memory blocks not yet freed: a leak check.
std::size_t GlobalBlockCount();
// While set, GlobalAlloc fails for want of memory.
void FailGlobalAlloc(bool fail);

} // namespace win32sim
