// Bi-phase encoding of button codes.
#include "receiversim/encoder.h"

namespace receiversim {

std::vector<signed char> EncodeBiphase(std::int64_t code, signed char shortDuration,
                                       signed char longDuration) {
    std::vector<signed char> durations;
    const auto value = static_cast<std::uint64_t>(code);
    if (value <= 1) {
        return durations;
    }
    int top = 63;
    while (((value >> top) & 1) == 0) {
        --top;
    }
    unsigned previous = 1;
    for (int i = top - 1; i >= 0; --i) {
        const unsigned bit = (value >> i) & 1;
        if (bit == previous) {
            durations.push_back(shortDuration);
            durations.push_back(shortDuration);
        } else {
            durations.push_back(longDuration);
        }
        previous = bit;
    }
    return durations;
}

} // namespace receiversim
