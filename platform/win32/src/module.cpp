// The program file's path: GetModuleFileNameA and its control, SetProgramPath.
#include "sim_state.h"
#include "win32sim/machine.h"

#include <cstring>
#include <mutex>

namespace {

// Until a test says otherwise the program is a file in the root of C:.
constexpr const char* kDefaultProgramPath = "C:\\Program.exe";

std::mutex programLock;
std::string programPath = kDefaultProgramPath;

std::string ProgramPath() {
    std::lock_guard lock(programLock);
    return programPath;
}

} // namespace

// Every module is the program until modules of their own exist (LoadLibraryA).
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    (void)hModule;
    if (lpFilename == nullptr && nSize != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string path = ProgramPath();
    if (path.size() < nSize) {
        std::memcpy(lpFilename, path.c_str(), path.size() + 1);
        return static_cast<DWORD>(path.size());
    }
    // Too small, as Windows since Vista: as much as fits, terminated, and the size given.
    if (nSize > 0) {
        std::memcpy(lpFilename, path.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
    }
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
}

namespace win32sim {

void SetProgramPath(const std::string& windowsPath) {
    std::lock_guard lock(programLock);
    programPath = windowsPath;
}

namespace detail {
void ResetProgramPath() {
    SetProgramPath(kDefaultProgramPath);
}
} // namespace detail

} // namespace win32sim
