// Simulated modules: LoadLibraryA, GetProcAddress and FreeLibrary over a registry of modules.
#include "sim_state.h"
#include "win32sim/modules.h"

#include "cp1251.h"

#include <map>
#include <memory>
#include <mutex>

namespace {

struct Module {
    win32sim::ModuleSpec spec;
    HMODULE handle = nullptr;
    int loads = 0;
};

// Entry points may load further modules, as DllMain may.
std::recursive_mutex moduleLock;
// Registered and loaded modules; an unregistered module that is still loaded lives on here
// until its last reference is freed.
std::vector<std::shared_ptr<Module>> modules;
std::uintptr_t nextHandle = 0x10000000;

// The file name LoadLibraryA looks for: no folder, ".dll" when there is no extension.
std::string ModuleFileName(std::string_view name) {
    const auto slash = name.find_last_of("\\/");
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    std::string result(name);
    if (result.find('.') == std::string::npos)
        result += ".dll";
    return result;
}

bool Registered(const Module& m) {
    return !m.spec.fileName.empty();
}

std::shared_ptr<Module> FindRegistered(std::string_view fileName) {
    for (const auto& m : modules)
        if (Registered(*m) && cp1251::EqualNoCase(m->spec.fileName, fileName))
            return m;
    return nullptr;
}

std::shared_ptr<Module> FindLoaded(HMODULE handle) {
    for (const auto& m : modules)
        if (handle != nullptr && m->handle == handle && m->loads > 0)
            return m;
    return nullptr;
}

void Forget(const std::shared_ptr<Module>& module) {
    std::erase(modules, module);
}

// The system's own user32.dll is always loaded; the functions that not every Windows version has
// are looked up in it at run time.
constexpr std::uintptr_t kUser32Handle = 0x77D40000;

template <class F>
FARPROC Export(F* function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

void LoadSystemModules() {
    auto user32 = std::make_shared<Module>();
    user32->spec.fileName = "user32.dll";
    user32->spec.exports = {{"SetLayeredWindowAttributes", 0, Export(&SetLayeredWindowAttributes)}};
    user32->handle = reinterpret_cast<HMODULE>(kUser32Handle);
    user32->loads = 1;
    modules.push_back(std::move(user32));
}

const bool systemModulesLoaded = (LoadSystemModules(), true);

// The running program's own module handle.
constexpr std::uintptr_t kProgramHandle = 0x00400000;

} // namespace

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
    if (lpLibFileName == nullptr || *lpLibFileName == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard lock(moduleLock);
    const auto module = FindRegistered(ModuleFileName(lpLibFileName));
    if (module == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    if (module->loads == 0) {
        module->handle = reinterpret_cast<HMODULE>(nextHandle);
        nextHandle += 0x10000;
        if (module->spec.entry && !module->spec.entry(module->handle, DLL_PROCESS_ATTACH)) {
            module->handle = nullptr;
            SetLastError(ERROR_DLL_INIT_FAILED);
            return nullptr;
        }
    }
    ++module->loads;
    return module->handle;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    (void)systemModulesLoaded;
    if (lpModuleName == nullptr)
        return reinterpret_cast<HMODULE>(kProgramHandle);
    std::lock_guard lock(moduleLock);
    const auto module = FindRegistered(ModuleFileName(lpModuleName));
    if (module == nullptr || module->loads == 0) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return module->handle;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    std::lock_guard lock(moduleLock);
    const auto module = FindLoaded(hModule);
    if (module == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // A name whose pointer value fits in 16 bits is an ordinal, as on Windows.
    const auto value = reinterpret_cast<std::uintptr_t>(lpProcName);
    for (const auto& e : module->spec.exports) {
        const bool match = value <= 0xFFFF ? (e.ordinal != 0 && e.ordinal == value)
                                           : (!e.name.empty() && e.name == lpProcName);
        if (match)
            return e.address;
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    std::lock_guard lock(moduleLock);
    const auto module = FindLoaded(hLibModule);
    if (module == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    if (--module->loads == 0) {
        if (module->spec.entry)
            module->spec.entry(module->handle, DLL_PROCESS_DETACH);
        module->handle = nullptr;
        if (!Registered(*module))
            Forget(module);
    }
    return TRUE;
}

namespace win32sim {

void RegisterModule(ModuleSpec spec) {
    std::lock_guard lock(moduleLock);
    UnregisterModule(spec.fileName);
    auto module = std::make_shared<Module>();
    module->spec = std::move(spec);
    modules.push_back(std::move(module));
}

void UnregisterModule(const std::string& fileName) {
    std::lock_guard lock(moduleLock);
    const auto module = FindRegistered(fileName);
    if (module == nullptr)
        return;
    if (module->loads == 0)
        Forget(module);
    else
        module->spec.fileName.clear();
}

void RemoveModuleExport(const std::string& fileName, const std::string& exportName) {
    std::lock_guard lock(moduleLock);
    if (const auto module = FindRegistered(fileName))
        std::erase_if(module->spec.exports,
                      [&](const ModuleExport& e) { return e.name == exportName; });
}

int ModuleLoadCount(const std::string& fileName) {
    std::lock_guard lock(moduleLock);
    const auto module = FindRegistered(fileName);
    return module == nullptr ? 0 : module->loads;
}

namespace detail {
void ResetModules() {
    std::lock_guard lock(moduleLock);
    modules.clear();
    nextHandle = 0x10000000;
    LoadSystemModules();
}
} // namespace detail

} // namespace win32sim
