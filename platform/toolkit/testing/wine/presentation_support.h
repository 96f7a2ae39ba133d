// What the presentation tests under Wine share: pumping the real message queue, reading back a
// window's pixels, and pictures written as .bmp files.
#pragma once

#include <toolkit.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace wine_test {

// Dispatches the thread's messages (with key translation) for a while, so that posted
// messages and paints are done.
void Pump(DWORD milliseconds = 50);

// The pixels of a window's client area as painted (read from its device context).
class Pixels {
public:
    explicit Pixels(HWND window);
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const;
    // How many pixels of the rectangle (clipped to the area) have exactly that colour.
    int Count(COLORREF color, RECT r) const;
    int Count(COLORREF color) const { return Count(color, RECT{0, 0, width_, height_}); }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<COLORREF> data_;
};

// A bottom-up .bmp file: 24 bits per pixel, or 8 bits with a palette of the colours used.
void WriteBitmap(const std::string& path, int width, int height,
                 const std::function<COLORREF(int x, int y)>& pixel, int bitCount = 24);
// Real input as a user gives it; neither pumps. The mouse moves to the screen point with the
// buttons or wheel of the flags; the key is pressed and released, with Ctrl held when asked.
void SendMouse(DWORD flags, POINT screen, DWORD data = 0);
void SendClick(POINT screen);
void SendKey(WORD key, bool ctrl = false);

// A folder of its own for the test's files, with its trailing backslash.
std::string TestFolder();

// The class name of a window.
std::string ClassOf(HWND window);
// The first child window of that class.
HWND ChildOf(HWND parent, const char* windowClass);

} // namespace wine_test
