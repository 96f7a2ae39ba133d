// The receiver's infrared side: a button code turned into the bi-phase durations it measures.
#pragma once

#include <cstdint>
#include <vector>

namespace receiversim {

// Durations of half a bit period (short) and of a whole one (long), in the receiver's units.
constexpr signed char kShortDuration = 10;
constexpr signed char kLongDuration = 20;

// The durations of a code: its highest set bit is the leading 1, each bit below it follows as a
// pair of short durations when it repeats the bit before (the leading 1 for the first) and as one
// long duration when it changes. Codes 0 and 1 carry no data bits and give no durations.
std::vector<signed char> EncodeBiphase(std::int64_t code,
                                       signed char shortDuration = kShortDuration,
                                       signed char longDuration = kLongDuration);

} // namespace receiversim
