// The folder of the running program file, which every data file path starts from.
#pragma once

#include <windows.h>

#include <string>

// The running program's path up to and including its last backslash; empty when the path
// cannot be had.
inline std::string ProgramFolder() {
    // A path that fills the buffer may have been cut, so try again with a larger one.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return std::string();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 32768)
            return std::string();
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos)
        return std::string();
    return path.substr(0, slash + 1);
}
