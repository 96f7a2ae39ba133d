// Version information, the process token and its privileges, ExitWindowsEx (recorded only),
// and code page conversion from the system's ANSI code page 1251.
#include "desktop_state.h"
#include "handle_table.h"
#include "sim_state.h"
#include "win32sim/system.h"

#include "cp1251.h"

#include <cstring>
#include <mutex>

namespace {

// The pseudo handle of the calling process.
HANDLE const kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

// The one privilege the system adjusts, with its locally unique id on Windows.
constexpr const char* kShutdownName = SE_SHUTDOWN_NAME;
constexpr DWORD kShutdownLuid = 19;

struct TokenObject : win32sim::detail::KernelObject {
    explicit TokenObject(DWORD a) : access(a) {}
    DWORD access;
};

std::mutex systemLock;
DWORD platformId = VER_PLATFORM_WIN32_NT;
bool shutdownEnabled = false; // the process token's privilege, off until adjusted
std::vector<win32sim::ExitWindowsRecord> exitLog;

} // namespace

HANDLE WINAPI GetCurrentProcess(void) {
    return kCurrentProcess;
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
    // The extended form is 8 bytes longer; its extra fields are left zero.
    constexpr DWORD kExtendedSize = sizeof(OSVERSIONINFOA) + 8;
    if (lpVersionInformation == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    const DWORD size = lpVersionInformation->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOA) && size != kExtendedSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memset(lpVersionInformation, 0, size);
    lpVersionInformation->dwOSVersionInfoSize = size;
    std::lock_guard lock(systemLock);
    lpVersionInformation->dwPlatformId = platformId;
    if (platformId == VER_PLATFORM_WIN32_NT) {
        // Windows XP, service pack 3.
        lpVersionInformation->dwMajorVersion = 5;
        lpVersionInformation->dwMinorVersion = 1;
        lpVersionInformation->dwBuildNumber = 2600;
        std::strcpy(lpVersionInformation->szCSDVersion, "Service Pack 3");
    } else {
        // Windows 98 second edition; the high word of the build carries the version.
        lpVersionInformation->dwMajorVersion = 4;
        lpVersionInformation->dwMinorVersion = 10;
        lpVersionInformation->dwBuildNumber = 0x040A08AE;
        std::strcpy(lpVersionInformation->szCSDVersion, " A ");
    }
    return TRUE;
}

BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle) {
    if (ProcessHandle != kCurrentProcess) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (TokenHandle == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    *TokenHandle = win32sim::detail::InsertHandle(std::make_shared<TokenObject>(DesiredAccess));
    return TRUE;
}

BOOL WINAPI LookupPrivilegeValueA(LPCSTR lpSystemName, LPCSTR lpName, PLUID lpLuid) {
    if (lpSystemName != nullptr && *lpSystemName != '\0') {
        SetLastError(RPC_S_SERVER_UNAVAILABLE); // no other machine is reachable
        return FALSE;
    }
    if (lpName == nullptr || lpLuid == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    if (!cp1251::EqualNoCase(lpName, kShutdownName)) {
        SetLastError(ERROR_NO_SUCH_PRIVILEGE);
        return FALSE;
    }
    lpLuid->LowPart = kShutdownLuid;
    lpLuid->HighPart = 0;
    return TRUE;
}

// Sets the last error in every case: ERROR_SUCCESS, or ERROR_NOT_ALL_ASSIGNED when a privilege
// named is not held.
BOOL WINAPI AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges,
                                  PTOKEN_PRIVILEGES NewState, DWORD BufferLength,
                                  PTOKEN_PRIVILEGES PreviousState, PDWORD ReturnLength) {
    const auto token = win32sim::detail::LookupHandleAs<TokenObject>(TokenHandle);
    if (!token) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if ((token->access & TOKEN_ADJUST_PRIVILEGES) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!DisableAllPrivileges && NewState == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(systemLock);
    const bool before = shutdownEnabled;
    bool allAssigned = true;
    if (DisableAllPrivileges) {
        shutdownEnabled = false;
    } else {
        for (DWORD i = 0; i < NewState->PrivilegeCount; ++i) {
            const auto& p = NewState->Privileges[i];
            if (p.Luid.LowPart != kShutdownLuid || p.Luid.HighPart != 0) {
                allAssigned = false;
                continue;
            }
            shutdownEnabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
        }
    }
    if (PreviousState != nullptr) {
        const DWORD needed = sizeof(TOKEN_PRIVILEGES);
        if (ReturnLength != nullptr)
            *ReturnLength = needed;
        if (BufferLength < needed) {
            shutdownEnabled = before;
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        PreviousState->PrivilegeCount = before != shutdownEnabled ? 1 : 0;
        PreviousState->Privileges[0] = {{kShutdownLuid, 0},
                                        before ? DWORD{SE_PRIVILEGE_ENABLED} : 0};
    }
    SetLastError(allAssigned ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
    return TRUE;
}

// Recorded, never done. On the NT family shutting down needs the privilege enabled first.
BOOL WINAPI ExitWindowsEx(UINT uFlags, DWORD dwReason) {
    std::lock_guard lock(systemLock);
    const bool needsPrivilege = platformId == VER_PLATFORM_WIN32_NT &&
                                (uFlags & (EWX_SHUTDOWN | EWX_REBOOT | EWX_POWEROFF)) != 0;
    const BOOL result = needsPrivilege && !shutdownEnabled ? FALSE : TRUE;
    exitLog.push_back({uFlags, dwReason, result});
    if (!result)
        SetLastError(ERROR_PRIVILEGE_NOT_HELD);
    return result;
}

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
    constexpr DWORD kKnownFlags = MB_PRECOMPOSED | MB_ERR_INVALID_CHARS;
    if (CodePage != CP_ACP && CodePage != 1251) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if ((dwFlags & ~kKnownFlags) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
        (cchWideChar > 0 && lpWideCharStr == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::size_t length =
        cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<std::size_t>(cbMultiByte);
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(lpMultiByteStr[i]);
        if (c >= 0x80 && cp1251::ToUnicode(c) == 0 && (dwFlags & MB_ERR_INVALID_CHARS)) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        }
    }
    if (cchWideChar == 0)
        return static_cast<int>(length);
    if (length > static_cast<std::size_t>(cchWideChar)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(lpMultiByteStr[i]);
        const char16_t u = cp1251::ToUnicode(c);
        // The one byte the code page leaves undefined passes through unchanged.
        lpWideCharStr[i] = static_cast<WCHAR>(c >= 0x80 && u == 0 ? c : u);
    }
    return static_cast<int>(length);
}

namespace win32sim {

void SetPlatformId(DWORD id) {
    std::lock_guard lock(systemLock);
    platformId = id;
}

DWORD PlatformId() {
    std::lock_guard lock(systemLock);
    return platformId;
}

bool ShutdownPrivilegeEnabled() {
    std::lock_guard lock(systemLock);
    return shutdownEnabled;
}

std::vector<ExitWindowsRecord> ExitWindowsLog() {
    std::lock_guard lock(systemLock);
    return exitLog;
}

namespace detail {
void ResetSystem() {
    std::lock_guard lock(systemLock);
    platformId = VER_PLATFORM_WIN32_NT;
    shutdownEnabled = false;
    exitLog.clear();
}
} // namespace detail

} // namespace win32sim
