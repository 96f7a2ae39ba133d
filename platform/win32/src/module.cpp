// The running program's file path.
#include "win32sim/machine.h"

#include <mutex>

namespace {
std::mutex programLock;
std::string programPath = "C:\\Program.exe";
} // namespace

namespace win32sim {
void SetProgramPath(const std::string& windowsPath) {
    std::lock_guard lock(programLock);
    programPath = windowsPath;
}
} // namespace win32sim

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    (void)hModule;
    std::string path;
    {
        std::lock_guard lock(programLock);
        path = programPath;
    }
    if (nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= nSize) {
        path.copy(lpFilename, nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    path.copy(lpFilename, path.size());
    lpFilename[path.size()] = '\0';
    return static_cast<DWORD>(path.size());
}
