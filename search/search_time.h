// The time a search took, as the search window shows it.
#pragma once

#include <cstdint>
#include <string>

// The time of day in milliseconds since midnight.
std::int64_t TimeOfDayMilliseconds();

// "h:m:s" in decimal without leading zeros, from start to end (times of day in milliseconds); a
// search that passes midnight counts 24 hours more.
std::string ElapsedText(std::int64_t start, std::int64_t end);
