// GetCommandLineA and its control: the program's path in quotes unless a test set another line.
#include "sim_state.h"
#include "win32sim/system.h"

#include <mutex>
#include <optional>
#include <string>

namespace {

std::mutex commandLineLock;
std::optional<std::string> givenLine;
// The text GetCommandLineA handed out last; it stays valid until the next call or change.
std::string handedOut;

} // namespace

namespace win32sim {

void SetCommandLine(const std::string& commandLine) {
    std::lock_guard lock(commandLineLock);
    givenLine = commandLine;
}

} // namespace win32sim

namespace win32sim::detail {

void ResetCommandLine() {
    std::lock_guard lock(commandLineLock);
    givenLine.reset();
}

} // namespace win32sim::detail

LPSTR WINAPI GetCommandLineA(void) {
    std::string line;
    {
        std::lock_guard lock(commandLineLock);
        if (givenLine)
            line = *givenLine;
    }
    if (line.empty()) {
        char path[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        line = std::string("\"") + path + "\"";
    }
    std::lock_guard lock(commandLineLock);
    handedOut = line;
    return handedOut.data();
}
