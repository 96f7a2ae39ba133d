// Private to the host simulation: the reset hooks of its pieces.
#pragma once

#include <cstdint>

namespace win32sim::detail {
void ResetFiles();
void ResetProgramPath(); // called by ResetFiles
void ResetClock();
void ResetLocale();
void ResetHandles();
void ResetModules();
void ResetDevices();
void ResetNamedObjects();
void ResetMessageBoxes();

// The virtual clock in milliseconds, without the 32-bit wrap of the tick count.
std::uint64_t VirtualTicks();
} // namespace win32sim::detail
