// The user's locale: the decimal and thousands separators.
#include "sim_state.h"
#include "win32sim/machine.h"

#include <atomic>

namespace {
std::atomic<char> decimalSeparator{'.'};

// Copies a text the way the locale functions do: the size needed when cchData is 0.
int CopyLocaleText(const char* text, LPSTR lpLCData, int cchData) {
    int needed = 0;
    while (text[needed] != '\0')
        ++needed;
    ++needed;
    if (cchData == 0)
        return needed;
    if (cchData < needed || lpLCData == nullptr) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (int i = 0; i < needed; ++i)
        lpLCData[i] = text[i];
    return needed;
}
} // namespace

int WINAPI GetLocaleInfoA(LCID Locale, LCTYPE LCType, LPSTR lpLCData, int cchData) {
    (void)Locale;
    if (cchData < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    switch (LCType) {
    case LOCALE_SDECIMAL: {
        const char text[2] = {decimalSeparator.load(), '\0'};
        return CopyLocaleText(text, lpLCData, cchData);
    }
    case LOCALE_STHOUSAND:
        return CopyLocaleText(decimalSeparator.load() == ',' ? "\xA0" : ",", lpLCData, cchData);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
}

namespace win32sim {
void SetDecimalSeparator(char separator) {
    decimalSeparator = separator;
}
namespace detail {
void ResetLocale() {
    decimalSeparator = '.';
}
} // namespace detail
} // namespace win32sim
