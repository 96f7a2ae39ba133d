// The Windows DLL entry point (the host registers LibraryInit as the module's entry instead).
#include "library_entry.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID lpvReserved) {
    (void)lpvReserved;
    return varnusb::LibraryInit(hinstDLL, fdwReason);
}
