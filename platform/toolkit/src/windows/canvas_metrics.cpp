// Fonts of the Windows presentation and the canvas's text metrics from a real device context.
#include "widgets.h"

#include <cstring>

namespace toolkit_detail {
namespace win {

HFONT MakeFont(const TFont& font) {
    const TFontStyles style = font.GetStyle();
    // The texts are code page 1251 bytes: a Cyrillic font shows them whatever the system's code
    // page, since the ANSI text functions convert by the font's character set.
    return CreateFontA(font.GetHeight(), 0, 0, 0, style.Contains(fsBold) ? FW_BOLD : FW_NORMAL,
                       style.Contains(fsItalic), style.Contains(fsUnderline),
                       style.Contains(fsStrikeOut), RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       font.GetName().c_str());
}

COLORREF ToColorRef(TColor color) {
    return static_cast<COLORREF>(ColorToRGB(color));
}

} // namespace win

Extent TextExtent(const TFont& font, const std::string& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT hfont = win::MakeFont(font);
    HGDIOBJ old = SelectObject(dc, hfont);
    Extent e;
    SIZE size{0, 0};
    if (!text.empty() &&
        GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size)) {
        e = Extent{size.cx, size.cy};
    } else {
        TEXTMETRICA tm;
        std::memset(&tm, 0, sizeof tm);
        GetTextMetricsA(dc, &tm);
        e = Extent{0, tm.tmHeight};
    }
    SelectObject(dc, old);
    DeleteObject(hfont);
    DeleteDC(dc);
    return e;
}

} // namespace toolkit_detail
