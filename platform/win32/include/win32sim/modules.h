// Control interface of the simulated modules: what LoadLibraryA can find (not Win32).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace win32sim {

struct ModuleExport {
    std::string name; // empty: reachable by ordinal only
    WORD ordinal = 0; // 0: reachable by name only
    FARPROC address = nullptr;
};

struct ModuleSpec {
    // The module's file name ("VarnUSB.dll"); LoadLibraryA matches it without regard to case,
    // with or without a folder and with ".dll" added when the name has no extension.
    std::string fileName;
    std::vector<ModuleExport> exports;
    // The entry point, called with DLL_PROCESS_ATTACH on the first load (a false result fails
    // the load) and DLL_PROCESS_DETACH when the last reference is freed.
    std::function<BOOL(HINSTANCE, DWORD)> entry;
};

// Makes the module loadable (replacing one of the same file name).
void RegisterModule(ModuleSpec spec);
// The module can no longer be found; handles already loaded stay valid.
void UnregisterModule(const std::string& fileName);
// Removes one export by name, as a library built without it.
void RemoveModuleExport(const std::string& fileName, const std::string& exportName);
// References LoadLibraryA holds on the module (0 when not loaded).
int ModuleLoadCount(const std::string& fileName);

} // namespace win32sim
