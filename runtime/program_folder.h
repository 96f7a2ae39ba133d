// The folder of the running program file, which every data file path starts from.
#pragma once

#include <string>

// The running program's path up to and including its last backslash; empty when the path
// cannot be had.
std::string ProgramFolder();
