// Colours, fonts and the canvas's deterministic text metrics.
#include "toolkit/graphics.h"

#include "toolkit/forms.h"

#include "internal.h"

namespace {

int RoundedMulDiv(int number, int numerator, int denominator) {
    if (denominator == 0)
        return -1;
    const long long product = static_cast<long long>(number) * numerator;
    const long long half = (denominator < 0 ? -denominator : denominator) / 2;
    const long long adjusted = (product < 0) != (denominator < 0) ? product - half : product + half;
    return static_cast<int>(adjusted / denominator);
}

int PixelsPerInch() {
    return Screen ? Screen->PixelsPerInch() : toolkit_detail::SystemPixelsPerInch();
}

} // namespace

std::int32_t ColorToRGB(TColor color) {
    if ((color & clSystemColor) == clSystemColor)
        return toolkit_detail::SystemColor(color & 0xFF);
    return color & 0xFFFFFF;
}

// ---- TFont ----

TFont::TFont() = default;

void TFont::Changed() {
    if (OnChange)
        OnChange(this);
}

void TFont::SetName(std::string name) {
    if (name == name_)
        return;
    name_ = std::move(name);
    Changed();
}

void TFont::SetHeight(int height) {
    if (height == height_)
        return;
    height_ = height;
    Changed();
}

int TFont::GetSize() const {
    return -RoundedMulDiv(height_, 72, PixelsPerInch());
}

void TFont::SetSize(int size) {
    SetHeight(-RoundedMulDiv(size, PixelsPerInch(), 72));
}

void TFont::SetStyle(TFontStyles style) {
    if (style == style_)
        return;
    style_ = style;
    Changed();
}

void TFont::SetColor(TColor color) {
    if (color == color_)
        return;
    color_ = color;
    Changed();
}

void TFont::Assign(const TFont& source) {
    if (&source == this)
        return;
    if (name_ == source.name_ && height_ == source.height_ && style_ == source.style_ &&
        color_ == source.color_)
        return;
    name_ = source.name_;
    height_ = source.height_;
    style_ = source.style_;
    color_ = source.color_;
    Changed();
}

const char* TFont::ClassName() const {
    return "TFont";
}

// ---- TCanvas ----

TCanvas::TCanvas() = default;

int TCanvas::TextWidth(const std::string& text) const {
    return toolkit_detail::TextExtent(Font, text).width;
}

int TCanvas::TextHeight(const std::string& text) const {
    return toolkit_detail::TextExtent(Font, text).height;
}

const char* TCanvas::ClassName() const {
    return "TCanvas";
}
