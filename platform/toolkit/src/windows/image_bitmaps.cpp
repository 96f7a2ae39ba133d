// Image-list pictures made into GDI bitmaps and icons for the menus and the tray.
#include "../internal.h"
#include "shell.h"

#include "toolkit/graphics.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace toolkit_detail::shell {
namespace {

// A top-down 32-bit section holding the picture, whatever its own depth; its pixels 0x00RRGGBB.
HBITMAP Section(const TBitmap& picture, std::uint32_t*& pixels) {
    pixels = nullptr;
    if (picture.Empty())
        return nullptr;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = picture.Width();
    bi.bmiHeader.biHeight = -picture.Height();
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section) {
        HGDIOBJ old = SelectObject(dc, section);
        SetDIBitsToDevice(
            dc, 0, 0, static_cast<DWORD>(picture.Width()), static_cast<DWORD>(picture.Height()), 0,
            0, 0, static_cast<UINT>(picture.Height()), picture.PixelBytes().data(),
            reinterpret_cast<const BITMAPINFO*>(picture.InfoBytes().data()), DIB_RGB_COLORS);
        GdiFlush();
        SelectObject(dc, old);
        pixels = static_cast<std::uint32_t*>(bits);
    }
    DeleteDC(dc);
    return section;
}

std::uint32_t Rgb(COLORREF c) {
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

} // namespace

HBITMAP ImageBitmap(const TBitmap& picture, COLORREF background) {
    std::uint32_t* pixels = nullptr;
    HBITMAP section = Section(picture, pixels);
    if (!section)
        return nullptr;
    const std::size_t count = static_cast<std::size_t>(picture.Width()) * picture.Height();
    const std::uint32_t transparent = pixels[count - picture.Width()] & 0xFFFFFF;
    for (std::size_t i = 0; i < count; ++i)
        if ((pixels[i] & 0xFFFFFF) == transparent)
            pixels[i] = Rgb(background);
    return section;
}

HICON ImageIcon(const TBitmap& picture) {
    std::uint32_t* pixels = nullptr;
    HBITMAP colour = Section(picture, pixels);
    if (!colour)
        return nullptr;
    const int w = picture.Width();
    const int h = picture.Height();
    const std::uint32_t transparent = pixels[static_cast<std::size_t>(h - 1) * w] & 0xFFFFFF;
    // One bit a pixel, rows of whole words: set where the screen shows through.
    const int stride = (w + 15) / 16 * 2;
    std::vector<BYTE> mask(static_cast<std::size_t>(stride) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint32_t& p = pixels[static_cast<std::size_t>(y) * w + x];
            if ((p & 0xFFFFFF) == transparent) {
                mask[static_cast<std::size_t>(y) * stride + x / 8] |=
                    static_cast<BYTE>(0x80 >> (x % 8));
                p = 0;
            }
        }
    HBITMAP monochrome = CreateBitmap(w, h, 1, 1, mask.data());
    ICONINFO info = {};
    info.fIcon = TRUE;
    info.hbmMask = monochrome;
    info.hbmColor = colour;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(monochrome);
    DeleteObject(colour);
    return icon;
}

} // namespace toolkit_detail::shell
