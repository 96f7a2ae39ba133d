// Loading and unloading the library: the named event that serialises every process's requests.
#include "library_entry.h"
#include "library_state.h"

namespace varnusb {
namespace {
constexpr const char* kRequestEventName = "VarnPlugDLLEvent";
} // namespace

void LibraryEntryProc(DWORD reason) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        // Auto-reset and initially signalled: the first waiter of any process gets it.
        Library.RequestEvent = CreateEventA(nullptr, FALSE, TRUE, kRequestEventName);
        break;
    case DLL_PROCESS_DETACH:
        if (Library.RequestEvent != nullptr)
            CloseHandle(Library.RequestEvent);
        Library.RequestEvent = nullptr;
        break;
    default: // thread attach and detach
        break;
    }
}

BOOL LibraryInit(HINSTANCE instance, DWORD reason) {
    (void)instance;
    if (reason == DLL_PROCESS_ATTACH)
        ResetLibraryState();
    LibraryEntryProc(reason);
    return TRUE;
}

} // namespace varnusb
