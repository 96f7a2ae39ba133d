// The serial rate: divisor n gives 12000000 / (16 * (n + 1)) bit/s; a rate is accepted when a
// divisor comes within 4 % of it. Extended precision throughout, as the receiver's tools do.
#include "library_state.h"
#include "varnusb.h"

#include <cmath>

namespace varnusb {
namespace {

constexpr long double kClock = 12000000.0L;
constexpr long double kLowestRate = 2812.5L; // exclusive
constexpr int kHighestRate = 780000;         // exclusive

} // namespace

// Rounds half to even (the processor's default rounding).
long double NearestEven(long double x) {
    return std::nearbyint(x);
}

bool BaudDivisorFor(int baud, BYTE* divisor) {
    if (!(static_cast<long double>(baud) > kLowestRate && baud < kHighestRate))
        return false;
    long double n = NearestEven(kClock / static_cast<long double>(16 * baud) - 1.0L);
    if (n < 0.0L)
        n = 0.0L;
    if (n > 255.0L)
        n = 255.0L;
    const long double achieved = kClock / ((n + 1.0L) * 16.0L);
    const long double ratio = achieved / static_cast<long double>(baud);
    if (!(ratio >= 0.96L && ratio <= 1.04L))
        return false;
    *divisor = static_cast<BYTE>(n);
    return true;
}

int BaudOfDivisor(BYTE divisor) {
    return static_cast<int>(NearestEven(kClock / static_cast<long double>((divisor + 1) * 16)));
}

} // namespace varnusb

using namespace varnusb;

extern "C" {

int WINAPI DoGetRS232Baud(int* Baud) {
    if (Baud == nullptr)
        return 1;
    return Serialised([&] {
        if (!DeviceRequest(rcGetBaudDivisor, 0, 0, &Library.ReplyBuffer, &Library.BytesReturned))
            return 1;
        *Baud = BaudOfDivisor(Library.ReplyBuffer.Data[0]);
        return 0;
    });
}

// The rate is checked before any wait: an impossible rate never touches the event.
int WINAPI DoSetRS232Baud(int Baud) {
    BYTE divisor = 0;
    if (!BaudDivisorFor(Baud, &divisor))
        return kBaudNotPossible;
    return Serialised([&] {
        return DeviceRequest(rcSetBaudDivisor, divisor, 0, &Library.ReplyBuffer,
                             &Library.BytesReturned)
                   ? 0
                   : 1;
    });
}

} // extern "C"
