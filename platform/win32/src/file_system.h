// Private to the host simulation: Windows paths on simulated drives.
#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

namespace win32sim::detail {

// The current directory, an absolute Windows path such as "C:\" or "C:\Bin".
std::string CurrentDirectory();
void SetCurrentDirectoryPath(const std::string& fullPath);

// The host directory a drive letter maps onto; empty when unmapped.
std::string DriveRoot(char letter);

// Whether two names of one directory entry match as Windows matches them (without regard to case).
bool SameFileName(std::string_view a, std::string_view b);

// The host path of a Windows path in normal form with each component spelled as given, whether
// or not the host has it so; empty when the drive is not mapped.
std::string ExactHostPath(const std::string& full);

// The host path of a Windows path already in normal form (see win32sim::HostPath). When every
// component exists, `last` holds the host's look at the last one and `found` is true, so that a
// caller needs no second look at it.
std::string HostPathOfFull(const std::string& full, struct stat& last, bool& found);

} // namespace win32sim::detail
