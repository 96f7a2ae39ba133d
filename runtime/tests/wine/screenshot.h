// Screenshots of the virtual display, taken on the Linux side by the driver script
// (run_with_screenshots.sh) on request: the harness writes <name>.request into the folder that
// TAVRIN_E2E_SHOTS names, the driver keeps <name>.png there and hands the pixels back as
// <name>.ppm.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TRgb {
    int r = 0, g = 0, b = 0;
};

// A colour value of the settings (red in the low byte) as red, green and blue.
TRgb FromColorRef(COLORREF color);
// Each channel within the tolerance.
bool Near(const TRgb& a, const TRgb& b, int tolerance);

class TScreenshot {
public:
    int Width() const { return width_; }
    int Height() const { return height_; }
    TRgb At(int x, int y) const;
    // The pixels of the rectangle (screen coordinates) near the colour.
    int CountNear(const RECT& area, const TRgb& colour, int tolerance) const;

    // True when the driver serves requests.
    static bool Available();
    // The display now, or none when the driver failed or did not answer.
    static std::optional<TScreenshot> Take(const std::string& name);

private:
    int width_ = 0, height_ = 0;
    std::vector<std::uint8_t> pixels_;
};
