// RaiseException over the vectored handlers; what no handler continues ends the program.
#include <windows.h>

#include "win32sim/system.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <mutex>
#include <vector>

namespace win32sim::detail {
namespace {

struct Registered {
    PVECTORED_EXCEPTION_HANDLER handler;
};

std::mutex sehLock;
std::list<Registered> handlers; // nodes stay put: their addresses are the handles
std::vector<RaisedException> raised;

} // namespace

void ResetExceptions() {
    std::lock_guard lock(sehLock);
    handlers.clear();
    raised.clear();
}

} // namespace win32sim::detail

namespace win32sim {

std::vector<RaisedException> RaisedExceptions() {
    std::lock_guard lock(detail::sehLock);
    return detail::raised;
}

} // namespace win32sim

using namespace win32sim::detail;

void WINAPI RaiseException(DWORD dwExceptionCode, DWORD dwExceptionFlags, DWORD nNumberOfArguments,
                           const ULONG_PTR* lpArguments) {
    EXCEPTION_RECORD record{};
    record.ExceptionCode = dwExceptionCode;
    record.ExceptionFlags = dwExceptionFlags & EXCEPTION_NONCONTINUABLE;
    record.NumberParameters = std::min<DWORD>(nNumberOfArguments, EXCEPTION_MAXIMUM_PARAMETERS);
    for (DWORD i = 0; lpArguments != nullptr && i < record.NumberParameters; ++i)
        record.ExceptionInformation[i] = lpArguments[i];
    std::vector<PVECTORED_EXCEPTION_HANDLER> asked;
    {
        std::lock_guard lock(sehLock);
        raised.push_back(
            {record.ExceptionCode, record.ExceptionFlags,
             std::vector<ULONG_PTR>(record.ExceptionInformation,
                                    record.ExceptionInformation + record.NumberParameters)});
        for (const Registered& r : handlers)
            asked.push_back(r.handler);
    }
    EXCEPTION_POINTERS pointers{&record, nullptr};
    for (PVECTORED_EXCEPTION_HANDLER handler : asked) {
        if (handler(&pointers) == EXCEPTION_CONTINUE_EXECUTION) {
            if ((record.ExceptionFlags & EXCEPTION_NONCONTINUABLE) == 0)
                return;
            break;
        }
    }
    std::fprintf(stderr, "unhandled exception 0x%08lX\n",
                 static_cast<unsigned long>(dwExceptionCode));
    std::abort();
}

PVOID WINAPI AddVectoredExceptionHandler(ULONG First, PVECTORED_EXCEPTION_HANDLER Handler) {
    if (Handler == nullptr)
        return nullptr;
    std::lock_guard lock(sehLock);
    const auto at = First != 0 ? handlers.begin() : handlers.end();
    return &*handlers.insert(at, Registered{Handler});
}

ULONG WINAPI RemoveVectoredExceptionHandler(PVOID Handle) {
    std::lock_guard lock(sehLock);
    for (auto it = handlers.begin(); it != handlers.end(); ++it) {
        if (&*it == Handle) {
            handlers.erase(it);
            return 1;
        }
    }
    return 0;
}
