// Private to the host simulation: the reset hooks of its pieces, and the clock's.
#pragma once

#include <cstdint>

namespace win32sim::detail {
void ResetFiles();
void ResetProgramPath(); // called by ResetFiles
void ResetEntryMarks();  // called by ResetFiles: attributes and the disk's free space
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
void ResetDevices();
void ResetNamedObjects();
void ResetMessageBoxes();
void ResetExceptions();
void ResetCommandLine();

// The virtual clock in milliseconds, without the 32-bit wrap of the tick count.
std::uint64_t VirtualTicks();
// A program on the machine of the process that started it hands each move of its clock to
// this: it returns once the clock has reached the target (MoveClockTo). `waitingForInput`: the
// program's message loop waits.
using ClockFollower = void (*)(std::uint64_t target, bool waitingForInput);
void FollowClock(ClockFollower follow);
void MoveClockTo(std::uint64_t target);
// Hands the machine's state as of the time to the clock's watch (a host program's step).
void WatchMachine(std::uint32_t at);
// What runs after each move of the clock: the simulated programs' steps that have come due (the
// caller holds no lock of the desktop).
void RunProcessTimeline();
} // namespace win32sim::detail
