// Host presentation of forms and controls: forms are windows of the simulated desktop, nothing is
// drawn, and the canvas's text metrics are deterministic functions of the font.
#include "../internal.h"
#include "script.h"

#include "toolkit/stdctrls.h"

namespace toolkit_detail {
namespace {

// Frame sizes of the border styles: borders on each side and the caption bar.
int Border(TFormBorderStyle style) {
    switch (style) {
    case bsNone:
        return 0;
    case bsSizeable:
    case bsSizeToolWin:
        return 4;
    default:
        return 3;
    }
}

int CaptionBar(TFormBorderStyle style) {
    switch (style) {
    case bsNone:
        return 0;
    case bsToolWindow:
    case bsSizeToolWin:
        return 15;
    default:
        return 19;
    }
}

// The character height of the font.
int EmHeight(const TFont& font) {
    const int h = font.GetHeight();
    return h < 0 ? -h : h * 8 / 9;
}

} // namespace

HWND CreateFormWindow(TCustomForm&, const WindowSpec& spec, WindowProcedure procedure) {
    return CreatePresentedWindow(spec, std::move(procedure));
}

void DestroyFormWindow(TCustomForm&, HWND window) {
    DestroyPresentedWindow(window);
}

Extent FormFrame(const TCustomForm& form) {
    const TFormBorderStyle style = form.GetBorderStyle();
    return Extent{2 * Border(style), 2 * Border(style) + CaptionBar(style)};
}

void ControlChanged(TControl& control, Aspect what) {
    if (what == Aspect::Text || what == Aspect::Visible)
        script::Watched(control);
}

void ControlGone(TControl&) {}

Extent TextExtent(const TFont& font, const std::string& text) {
    const int em = EmHeight(font);
    const int perChar = (em * 11 + 10) / 20 + (font.GetStyle().Contains(fsBold) ? 1 : 0);
    const int h = font.GetHeight();
    return Extent{static_cast<int>(text.size()) * perChar, h < 0 ? -h + (-h + 4) / 8 : h};
}

int ListTopIndex(const TListBox&) {
    return 0;
}

} // namespace toolkit_detail
