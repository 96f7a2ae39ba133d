// Private to the host simulation: the table of kernel object handles.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <typeinfo>

namespace win32sim::detail {

// A kernel object behind a handle; Close runs when its handle is closed.
class KernelObject {
public:
    virtual ~KernelObject() = default;
    // Whether CloseHandle may close it (search handles only close through FindClose).
    virtual bool ClosableByCloseHandle() const { return true; }
};

HANDLE InsertHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);
// Removes the handle; false when it is not open.
bool RemoveHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
    std::shared_ptr<KernelObject> object = LookupHandle(handle);
    // A final class is known by its type alone, without a walk of the class hierarchy; the
    // directory search asks for its object once per entry.
    if constexpr (std::is_final_v<T>) {
        const KernelObject* raw = object.get();
        if (raw && typeid(*raw) == typeid(T))
            return std::static_pointer_cast<T>(std::move(object));
        return nullptr;
    } else {
        return std::dynamic_pointer_cast<T>(std::move(object));
    }
}

} // namespace win32sim::detail
