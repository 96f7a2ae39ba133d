// The handle table shared by every kind of kernel object, and CloseHandle.
#include "handle_table.h"
#include "sim_state.h"
#include "win32sim/machine.h"

#include <map>
#include <mutex>

namespace win32sim::detail {
namespace {

std::mutex tableLock;
std::map<std::uintptr_t, std::shared_ptr<KernelObject>> table;
std::uintptr_t nextHandle = 0x100;

} // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
    std::lock_guard lock(tableLock);
    const std::uintptr_t value = nextHandle;
    nextHandle += 4;
    table.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
    std::lock_guard lock(tableLock);
    const auto it = table.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == table.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE handle) {
    std::shared_ptr<KernelObject> object;
    {
        std::lock_guard lock(tableLock);
        const auto it = table.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == table.end())
            return false;
        object = std::move(it->second);
        table.erase(it);
    }
    // The object is released outside the lock: its destructor may close host resources.
    return true;
}

void ResetHandles() {
    std::map<std::uintptr_t, std::shared_ptr<KernelObject>> old;
    {
        std::lock_guard lock(tableLock);
        old.swap(table);
        nextHandle = 0x100;
    }
}

} // namespace win32sim::detail

namespace win32sim {
std::size_t OpenHandleCount() {
    std::lock_guard lock(detail::tableLock);
    return detail::table.size();
}
} // namespace win32sim

BOOL WINAPI CloseHandle(HANDLE hObject) {
    using namespace win32sim::detail;
    const auto object = LookupHandle(hObject);
    if (!object || !object->ClosableByCloseHandle() || !RemoveHandle(hObject)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
