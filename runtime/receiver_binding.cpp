// Binding of the receiver access library, reading and decoding received codes, the indicator.
#include "receiver_binding.h"

#include "runtime_state.h"

namespace {

// The library fills at most this many duration bytes; the buffer has one byte more.
constexpr INT kMaxDurations = 255;

enum class Duration { Short, Long, Invalid };

Duration Classify(BYTE raw) {
    const int d = static_cast<signed char>(raw);
    if (d >= 7 && d <= 13)
        return Duration::Short;
    if (d >= 16 && d <= 25)
        return Duration::Long;
    return Duration::Invalid;
}

template <class T>
T Bind(HMODULE library, const char* name) {
    // The exports are looked up by name and called through their own stdcall signatures.
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

} // namespace

std::int32_t BindReceiverLibrary() {
    TRuntimeState& rt = Runtime;
    rt.ReceiverLibrary = LoadLibraryA(ReceiverLibraryName);
    if (rt.ReceiverLibrary == nullptr)
        return 1;
    rt.DoGetInfraCode = Bind<TDoGetInfraCode>(rt.ReceiverLibrary, "DoGetInfraCode");
    rt.DoEEPROMRead = Bind<TDoEEPROMRead>(rt.ReceiverLibrary, "DoEEPROMRead");
    rt.DoEEPROMWrite = Bind<TDoEEPROMWrite>(rt.ReceiverLibrary, "DoEEPROMWrite");
    rt.DoSetDataPortDirection =
        Bind<TDoSetDataPortDirection>(rt.ReceiverLibrary, "DoSetDataPortDirection");
    rt.DoSetOutDataPort = Bind<TDoSetOutDataPort>(rt.ReceiverLibrary, "DoSetOutDataPort");
    const bool all = rt.DoGetInfraCode && rt.DoEEPROMRead && rt.DoEEPROMWrite &&
                     rt.DoSetDataPortDirection && rt.DoSetOutDataPort;
    return all ? 0 : 2;
}

void UnbindReceiverLibrary() {
    TRuntimeState& rt = Runtime;
    if (rt.ReceiverLibrary == nullptr)
        return;
    rt.DoGetInfraCode = nullptr;
    rt.DoEEPROMRead = nullptr;
    rt.DoEEPROMWrite = nullptr;
    rt.DoSetDataPortDirection = nullptr;
    rt.DoSetOutDataPort = nullptr;
    FreeLibrary(rt.ReceiverLibrary);
    rt.ReceiverLibrary = nullptr;
}

bool InitReceiverPort() {
    TRuntimeState& rt = Runtime;
    if (rt.DoSetDataPortDirection && rt.DoSetOutDataPort) {
        if (rt.DoSetDataPortDirection(1) != 0)
            return false;
        IndicatorOn();
    }
    IndicatorOff();
    return true;
}

std::int64_t ReadInfraCode() {
    TRuntimeState& rt = Runtime;
    if (!rt.DoGetInfraCode)
        return -1;
    BYTE buffer[kMaxDurations + 1] = {};
    INT length = 0;
    if (rt.DoGetInfraCode(buffer, kMaxDurations, &length) != 0 || length == 0)
        return -1;
    // A library that claims more bytes than it was allowed to write gives no code.
    if (length < 0 || length > kMaxDurations)
        return -1;
    IndicatorOn();
    const std::int64_t code = DecodeBiphase(buffer, length);
    IndicatorTick();
    return code;
}

std::int64_t DecodeBiphase(const BYTE* d, std::int32_t n) {
    std::uint64_t value = 1;
    std::uint64_t bit = 1;
    std::int32_t i = 0;
    while (i < n) {
        const Duration first = Classify(d[i]);
        if (first == Duration::Short) {
            ++i;
            // A lone short duration at the very end is a whole symbol; the byte behind the
            // data is never looked at.
            if (i >= n || Classify(d[i]) == Duration::Short)
                ++i;
            else
                return -1;
        } else if (first == Duration::Long) {
            ++i;
            bit ^= 1;
        } else {
            return -1;
        }
        value = value * 2 + bit;
    }
    auto code = static_cast<std::int64_t>(value);
    if (i > n)
        code >>= 1; // arithmetic: the top bit is copied
    return code;
}

void IndicatorOn() {
    TRuntimeState& rt = Runtime;
    if (rt.DoSetOutDataPort)
        rt.DoSetOutDataPort(1);
    rt.IndicatorLit = 1;
    rt.IndicatorCountdown = 1;
}

void IndicatorOff() {
    TRuntimeState& rt = Runtime;
    if (rt.DoSetOutDataPort)
        rt.DoSetOutDataPort(0);
    rt.IndicatorLit = 0;
}

void IndicatorTick() {
    TRuntimeState& rt = Runtime;
    if (rt.IndicatorLit && rt.IndicatorCountdown != 0) {
        --rt.IndicatorCountdown;
        if (rt.IndicatorCountdown == 0)
            IndicatorOff();
    }
}
