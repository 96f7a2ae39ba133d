// Private to the host simulation: the reset hooks of its pieces, and the clock's.
#pragma once

#include <cstdint>

namespace win32sim::detail {
void ResetFiles();
void ResetProgramPath(); // called by ResetFiles
void ResetClock();
void ResetLocale();
void ResetHandles();
void ResetModules();
void ResetDesktop();
void ResetRegions();
void ResetGlobalMemory();
void ResetProcesses();
void ResetSystem();
void ResetMultimedia();

// The virtual clock in full, and what runs after each move of it: the simulated programs' steps
// that have come due (the caller holds no lock of the desktop).
std::uint64_t ClockNow();
void RunProcessTimeline();
} // namespace win32sim::detail
