// The library's entry: initialisation at load and the attach/detach handler.
#pragma once

#include <windows.h>

namespace varnusb {

// Creates or opens the named event at process attach and closes it at process detach.
void LibraryEntryProc(DWORD reason);
// The entry of the module: process attach starts from fresh state, then every reason goes to
// LibraryEntryProc. The load never fails: without the event the library works unserialised.
BOOL LibraryInit(HINSTANCE instance, DWORD reason);

} // namespace varnusb
