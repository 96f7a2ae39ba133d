// Private to the host simulation: opening "\\.\Name" devices through the installed provider.
#pragma once

#include <windows.h>

#include <string_view>

namespace win32sim::detail {

// Opens the device a "\\.\Name" file name names; INVALID_HANDLE_VALUE with the last error set
// when the provider has no such device or refuses it.
HANDLE OpenDevice(std::string_view fileName);

} // namespace win32sim::detail
