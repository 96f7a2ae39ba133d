// The layout check of a shown window: every control on it in view and every text of it whole,
// read back from the real windows, and a picture of the window kept for people to look at.
#pragma once

#include <toolkit.h>
#include <windows.h>

#include <string>
#include <vector>

namespace wine_test {

// What is wrong with the window's layout, one line per fault, each naming the control, its
// rectangle and its text. The real windows are walked (EnumChildWindows) for the windowed
// controls; the form's model gives what it paints without a window of its own (labels, speed
// buttons, grid titles). An empty list is a usable window.
std::vector<std::string> LayoutFaults(TCustomForm& form);

// The real window of a windowed control of a shown form, found among its parent's windows by
// its place, or nullptr.
HWND WindowOf(TWinControl& control);

// The window's part of the screen as a 24-bit .bmp file in the folder the build names for
// screenshots (kept beside the test otherwise); the file's path.
std::string KeepScreenshot(HWND window, const std::string& name);

} // namespace wine_test
