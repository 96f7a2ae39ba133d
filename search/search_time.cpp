// The time a search took.
#include "search_time.h"

#include <windows.h>

namespace {

constexpr std::int64_t kDay = 24 * 3600000LL;

} // namespace

std::int64_t TimeOfDayMilliseconds() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wHour * 3600000LL + now.wMinute * 60000LL + now.wSecond * 1000LL + now.wMilliseconds;
}

std::string ElapsedText(std::int64_t start, std::int64_t end) {
    std::int64_t elapsed = end - start;
    if (elapsed < 0)
        elapsed += kDay;
    const std::int64_t hours = elapsed / 3600000;
    const std::int64_t minutes = elapsed % 3600000 / 60000;
    const std::int64_t seconds = elapsed % 60000 / 1000;
    return std::to_string(hours) + ":" + std::to_string(minutes) + ":" + std::to_string(seconds);
}
