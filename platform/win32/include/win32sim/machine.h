// Control interface of the simulated machine, for tests and the simulator (not part of Win32).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace win32sim {

// Drives: each letter maps onto a host directory.
void MapDrive(char letter, const std::string& hostDirectory);
void UnmapDrives();
// The absolute, normalised Windows form of a path, resolved against the current directory.
std::string FullPathName(std::string_view windowsPath);
// The host path of a Windows path, each existing component matched without regard to case;
// empty when the path is not on a mapped drive.
std::string HostPath(std::string_view windowsPath);

// The bytes that WriteFile may still put on the drives; none: no limit (after a reset). A write
// beyond them puts what fits and fails with ERROR_DISK_FULL, as on a full disk.
void SetWriteBudget(std::optional<std::uint64_t> bytes);

// The path GetModuleFileNameA reports for the running program.
void SetProgramPath(const std::string& windowsPath);

// The virtual clock.
void SetTickCount(DWORD milliseconds);
void AdvanceClock(DWORD milliseconds);
void SetLocalTime(const SYSTEMTIME& time);
// Called on the thread that set it, with the tick count of the state it may look at: just before
// the clock moves on, once it moved and the simulated programs' steps due by then ran, and after
// each step of a program of a host process of its own, at that step's time (earlier than the
// clock's), also inside a wait of the running program. So a watcher sees every state at the time
// it held. The watch itself must not move the clock. None: nothing is called (after a reset).
void WatchClock(std::function<void(DWORD at)> watch);

// The user's locale.
void SetDecimalSeparator(char separator);

// Kernel object handles that are still open (files, searches ...).
std::size_t OpenHandleCount();

// A fresh machine: no drives, current directory C:\, clock at 0, locale defaults, no handles.
void ResetMachine();

} // namespace win32sim
