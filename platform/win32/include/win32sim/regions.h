// Control interface of the simulated GDI: regions and the objects still held (not Win32).
#pragma once

#include <windows.h>

#include <cstddef>

namespace win32sim {

// GDI objects the program created and has neither deleted nor handed to a window: a leak check.
std::size_t HeldGdiObjectCount();

// The region a window owns (SetWindowRgn), or none.
HRGN WindowRegion(HWND window);
// Whether the pixel (x, y) is inside the region.
bool RegionContains(HRGN region, int x, int y);
// The smallest rectangle around the region; all zero when it is empty or no region.
RECT RegionBounds(HRGN region);

} // namespace win32sim
