// A fresh simulated machine for every fuzz input: drive C: on a folder of this process's own
// (made on first use, removed at exit), the program folder on it, message boxes answered OK.
#pragma once

#include <string>

namespace fuzz_support {

inline constexpr const char* kProgramPath = "C:\\Tavrin RC\\Tavrin RC.exe";
inline constexpr const char* kProgramFolder = "C:\\Tavrin RC\\";

// The machine reset with the drive emptied; the program folder exists, nothing else.
void FreshMachine();
// FreshMachine, then a fresh toolkit (screen 1024 x 768) and a fresh run-time state.
void FreshRuntime();
// Frees what the toolkit and the run-time state hold while the machine still stands.
void EndRuntime();

// A path in the program folder.
inline std::string Prog(const std::string& relative) {
    return kProgramFolder + relative;
}
// Writes the file at a Windows path, creating its folders; false when the path is not on the
// drive or the write fails.
bool PutFile(const std::string& windowsPath, const std::string& bytes);
// The bytes of the file at a Windows path; empty when it does not exist.
std::string GetFile(const std::string& windowsPath);

} // namespace fuzz_support
