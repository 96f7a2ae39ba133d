// Helpers of the presentation tests under Wine.
#include "presentation_support.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace wine_test {

void Pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

Pixels::Pixels(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width_;
    bi.bmiHeader.biHeight = -height_;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC source = GetDC(window);
    HDC memory = CreateCompatibleDC(source);
    HBITMAP dib = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits);
    data_.resize(static_cast<std::size_t>(width_) * height_);
    for (std::size_t i = 0; i < data_.size(); ++i) {
        const std::uint32_t v = p[i]; // 0x00RRGGBB
        data_[i] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(window, source);
}

COLORREF Pixels::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return CLR_INVALID;
    return data_[static_cast<std::size_t>(y) * width_ + x];
}

int Pixels::Count(COLORREF color, RECT r) const {
    int n = 0;
    for (int y = std::max<int>(0, r.top); y < std::min<int>(height_, r.bottom); ++y)
        for (int x = std::max<int>(0, r.left); x < std::min<int>(width_, r.right); ++x)
            if (At(x, y) == color)
                ++n;
    return n;
}

namespace {

void Put16(std::string& b, unsigned v) {
    b.push_back(static_cast<char>(v & 0xFF));
    b.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& b, unsigned v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

} // namespace

void WriteBitmap(const std::string& path, int width, int height,
                 const std::function<COLORREF(int x, int y)>& pixel, int bitCount) {
    std::map<COLORREF, int> palette;
    if (bitCount == 8)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                palette.emplace(pixel(x, y), static_cast<int>(palette.size()));
    const int rowBytes = (width * bitCount + 31) / 32 * 4;
    const unsigned paletteBytes = static_cast<unsigned>(palette.size()) * 4;
    const unsigned offBits = 14 + 40 + paletteBytes;
    std::string b = "BM";
    Put32(b, offBits + static_cast<unsigned>(rowBytes * height));
    Put32(b, 0);
    Put32(b, offBits);
    Put32(b, 40);
    Put32(b, static_cast<unsigned>(width));
    Put32(b, static_cast<unsigned>(height));
    Put16(b, 1);
    Put16(b, static_cast<unsigned>(bitCount));
    Put32(b, 0);
    Put32(b, static_cast<unsigned>(rowBytes * height));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, static_cast<unsigned>(palette.size()));
    Put32(b, 0);
    std::vector<COLORREF> colours(palette.size());
    for (const auto& [c, i] : palette)
        colours[static_cast<std::size_t>(i)] = c;
    for (COLORREF c : colours) {
        b.push_back(static_cast<char>(GetBValue(c)));
        b.push_back(static_cast<char>(GetGValue(c)));
        b.push_back(static_cast<char>(GetRValue(c)));
        b.push_back(0);
    }
    for (int y = height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            const COLORREF c = pixel(x, y);
            if (bitCount == 8) {
                row.push_back(static_cast<char>(palette[c]));
            } else {
                row.push_back(static_cast<char>(GetBValue(c)));
                row.push_back(static_cast<char>(GetGValue(c)));
                row.push_back(static_cast<char>(GetRValue(c)));
            }
        }
        row.resize(static_cast<std::size_t>(rowBytes), '\0');
        b += row;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
}

void SendMouse(DWORD flags, POINT screen, DWORD data) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = screen.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = screen.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.mouseData = data;
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof in);
}

void SendClick(POINT screen) {
    SendMouse(0, screen);
    SendMouse(MOUSEEVENTF_LEFTDOWN, screen);
    SendMouse(MOUSEEVENTF_LEFTUP, screen);
}

void SendKey(WORD key, bool ctrl) {
    INPUT in[4] = {};
    int n = 0;
    const auto add = [&](WORD vk, DWORD flags) {
        in[n].type = INPUT_KEYBOARD;
        in[n].ki.wVk = vk;
        in[n].ki.dwFlags = flags;
        ++n;
    };
    if (ctrl)
        add(VK_CONTROL, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    if (ctrl)
        add(VK_CONTROL, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(n), in, sizeof in[0]);
}

std::string TestFolder() {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "toolkit_wine_test\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

HWND ChildOf(HWND parent, const char* windowClass) {
    return FindWindowExA(parent, nullptr, windowClass, nullptr);
}

} // namespace wine_test
