// Painting of the Windows presentation: a container draws its background and, as the classic
// library does, the graphic controls on it (labels, images, gauges) in their z-order.
#include "widgets.h"

#include "toolkit/cgauges.h"
#include "toolkit/extctrls.h"
#include "toolkit/buttons.h"
#include "toolkit/grids.h"
#include "toolkit/stdctrls.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace toolkit_detail::win {
namespace {

constexpr TColor kBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor kBtnShadow = clSystemColor | COLOR_BTNSHADOW;

// A GDI object selected into a device context for one scope.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), old_(SelectObject(dc, object)) {}
    ~Selected() {
        SelectObject(dc_, old_);
        DeleteObject(object_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ object_;
    HGDIOBJ old_;
};

// Lines along the top and left in one colour, bottom and right in the other, width times
// inwards; the rectangle shrinks by the width.
void Frame3D(HDC dc, RECT& r, TColor top, TColor bottom, int width) {
    for (int i = 0; i < width; ++i) {
        Fill(dc, RECT{r.left, r.top, r.right, r.top + 1}, top);
        Fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, top);
        Fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottom);
        Fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottom);
        InflateRect(&r, -1, -1);
    }
}

void Bevel(HDC dc, RECT& r, TBevelCut cut, int width, TColor face) {
    switch (cut) {
    case bvRaised:
        Frame3D(dc, r, kBtnHighlight, kBtnShadow, width);
        break;
    case bvLowered:
        Frame3D(dc, r, kBtnShadow, kBtnHighlight, width);
        break;
    case bvSpace:
        Frame3D(dc, r, face, face, width);
        break;
    case bvNone:
        break;
    }
}

void DrawCaption(HDC dc, const TFont& font, const std::string& text, RECT r, UINT flags) {
    if (text.empty())
        return;
    Selected f(dc, MakeFont(font));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(font.GetColor()));
    DrawTextA(dc, text.data(), static_cast<int>(text.size()), &r, flags);
}

void PaintPanel(HDC dc, TPanel& panel, RECT r) {
    Bevel(dc, r, panel.BevelOuter, panel.BevelWidth, panel.GetColor());
    RECT inner = r;
    InflateRect(&inner, -panel.BorderWidth, -panel.BorderWidth);
    Fill(dc, r, panel.GetColor());
    Bevel(dc, inner, panel.BevelInner, panel.BevelWidth, panel.GetColor());
    DrawCaption(dc, panel.Font, panel.GetCaption(), inner,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void PaintLabel(HDC dc, TLabel& label, RECT r) {
    if (!label.Transparent)
        Fill(dc, r, label.GetColor());
    const std::string text = label.GetCaption();
    if (text.empty())
        return;
    // Drawn as the text stands: the texts shown are the program's data, not menu captions.
    UINT flags = DT_EXPANDTABS | DT_NOPREFIX | (label.WordWrap ? DT_WORDBREAK : DT_SINGLELINE);
    switch (label.Alignment) {
    case taLeftJustify:
        flags |= DT_LEFT;
        break;
    case taRightJustify:
        flags |= DT_RIGHT;
        break;
    case taCenter:
        flags |= DT_CENTER;
        break;
    }
    Selected f(dc, MakeFont(label.Font));
    if (label.Layout != tlTop) {
        RECT measured = r;
        DrawTextA(dc, text.data(), static_cast<int>(text.size()), &measured, flags | DT_CALCRECT);
        const int spare = (r.bottom - r.top) - (measured.bottom - measured.top);
        r.top += label.Layout == tlCenter ? spare / 2 : spare;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc,
                 label.GetEnabled() ? ToColorRef(label.Font.GetColor()) : ToColorRef(clGrayText));
    DrawTextA(dc, text.data(), static_cast<int>(text.size()), &r, flags);
}

// Where the picture goes in the image: stretched, shrunk to fit keeping its proportions,
// centred, as the image's flags say.
RECT PictureRect(const TImage& image, int w, int h) {
    const int cw = image.GetWidth();
    const int ch = image.GetHeight();
    if (image.Stretch || (image.Proportional && (w > cw || h > ch))) {
        if (image.Proportional && w > 0 && h > 0) {
            const double aspect = static_cast<double>(w) / h;
            if (w > h) {
                w = cw;
                h = static_cast<int>(cw / aspect);
                if (h > ch) {
                    h = ch;
                    w = static_cast<int>(ch * aspect);
                }
            } else {
                h = ch;
                w = static_cast<int>(ch * aspect);
                if (w > cw) {
                    w = cw;
                    h = static_cast<int>(cw / aspect);
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    RECT r{0, 0, w, h};
    if (image.Center)
        OffsetRect(&r, (cw - w) / 2, (ch - h) / 2);
    return r;
}

void PaintImage(HDC dc, TImage& image) {
    const TBitmap& bitmap = image.Picture.Bitmap;
    if (bitmap.Empty())
        return;
    const std::string& info = bitmap.InfoBytes();
    const std::string& pixels = bitmap.PixelBytes();
    const auto* bmi = reinterpret_cast<const BITMAPINFO*>(info.data());
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    const RECT r = PictureRect(image, w, h);
    SetStretchBltMode(dc, COLORONCOLOR);
    if (!image.Transparent) {
        StretchDIBits(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, w, h,
                      pixels.data(), bmi, DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    // Transparent: the colour of the bottom-left pixel shows what lies beneath.
    HDC source = CreateCompatibleDC(dc);
    HBITMAP canvas = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ old = SelectObject(source, canvas);
    StretchDIBits(source, 0, 0, w, h, 0, 0, w, h, pixels.data(), bmi, DIB_RGB_COLORS, SRCCOPY);
    const COLORREF key = GetPixel(source, 0, h - 1);
    GdiTransparentBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, w, h,
                      key);
    SelectObject(source, old);
    DeleteObject(canvas);
    DeleteDC(source);
}

void PaintGauge(HDC dc, TCGauge& gauge, RECT r) {
    if (gauge.BorderStyle != bsNone) {
        Fill(dc, r, clBlack);
        InflateRect(&r, -1, -1);
    }
    Fill(dc, r, gauge.BackColor);
    const int percent = gauge.PercentDone();
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    switch (gauge.Kind) {
    case gkHorizontalBar:
        Fill(dc, RECT{r.left, r.top, r.left + w * percent / 100, r.bottom}, gauge.ForeColor);
        break;
    case gkVerticalBar:
        Fill(dc, RECT{r.left, r.bottom - h * percent / 100, r.right, r.bottom}, gauge.ForeColor);
        break;
    case gkPie:
    case gkNeedle: {
        Selected brush(dc, CreateSolidBrush(ToColorRef(gauge.ForeColor)));
        Selected pen(dc, CreatePen(PS_SOLID, 1, ToColorRef(gauge.ForeColor)));
        if (percent > 0) {
            // Clockwise from twelve o'clock (the pie) or from nine (the needle's half disc).
            const double turn = gauge.Kind == gkPie ? 2.0 : 1.0;
            const double start = gauge.Kind == gkPie ? 1.5707963 : 3.1415926;
            const double angle = start - turn * 3.1415926 * percent / 100.0;
            const int cx = r.left + w / 2;
            const int cy = gauge.Kind == gkPie ? r.top + h / 2 : r.bottom;
            const int bottom = gauge.Kind == gkPie ? r.bottom : r.bottom + h;
            const int ex = cx + static_cast<int>(w * std::cos(angle));
            const int ey = cy - static_cast<int>(h * std::sin(angle));
            const int sx = cx + static_cast<int>(w * std::cos(start));
            const int sy = cy - static_cast<int>(h * std::sin(start));
            if (gauge.Kind == gkPie && percent >= 100)
                Ellipse(dc, r.left, r.top, r.right, r.bottom);
            else if (gauge.Kind == gkPie)
                Pie(dc, r.left, r.top, r.right, bottom, ex, ey, sx, sy);
            else {
                MoveToEx(dc, cx, cy, nullptr);
                LineTo(dc, cx + static_cast<int>(w / 2 * std::cos(angle)),
                       cy - static_cast<int>(h * std::sin(angle)));
            }
        }
        break;
    }
    case gkText:
        break;
    }
    if (gauge.ShowText)
        DrawCaption(dc, gauge.Font, std::to_string(percent) + "%", r,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void PaintSpeedButton(HDC dc, TSpeedButton& button, RECT r) {
    const bool down = button.GetDown();
    if (button.Flat) {
        Fill(dc, r, button.GetColor());
        if (down)
            Frame3D(dc, r, kBtnShadow, kBtnHighlight, 1);
    } else {
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0));
        InflateRect(&r, -2, -2);
    }
    if (down)
        OffsetRect(&r, 1, 1);
    DrawCaption(dc, button.Font, button.GetCaption(), r,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void PaintGraphic(HDC dc, TGraphicControl& control) {
    const RECT r{0, 0, control.GetWidth(), control.GetHeight()};
    if (auto* label = dynamic_cast<TLabel*>(&control))
        PaintLabel(dc, *label, r);
    else if (auto* image = dynamic_cast<TImage*>(&control))
        PaintImage(dc, *image);
    else if (auto* gauge = dynamic_cast<TCGauge*>(&control))
        PaintGauge(dc, *gauge, r);
    else if (auto* speed = dynamic_cast<TSpeedButton*>(&control))
        PaintSpeedButton(dc, *speed, r);
}

} // namespace

void Fill(HDC dc, const RECT& r, TColor color) {
    HBRUSH brush = CreateSolidBrush(ToColorRef(color));
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void PaintContainer(Widget& container, HDC dc) {
    TWinControl& control = container.Control();
    RECT client;
    GetClientRect(container.Window(), &client);
    if (auto* panel = dynamic_cast<TPanel*>(&control))
        PaintPanel(dc, *panel, client);
    else if (dynamic_cast<TGroupBox*>(&control))
        PaintGroupBox(dc, control, client);
    else if (dynamic_cast<TCustomGrid*>(&control))
        PaintGrid(dc, control, client);
    else
        Fill(dc, client, control.GetColor());
    for (int i = 0; i < control.ControlCount(); ++i) {
        auto* graphic = dynamic_cast<TGraphicControl*>(control.Controls(i));
        if (!graphic || !graphic->GetVisible() || graphic->GetWidth() <= 0 ||
            graphic->GetHeight() <= 0)
            continue;
        const int saved = SaveDC(dc);
        POINT origin;
        GetViewportOrgEx(dc, &origin);
        SetViewportOrgEx(dc, origin.x + graphic->GetLeft(), origin.y + graphic->GetTop(), nullptr);
        IntersectClipRect(dc, 0, 0, graphic->GetWidth(), graphic->GetHeight());
        PaintGraphic(dc, *graphic);
        RestoreDC(dc, saved);
    }
}

void PaintWindow(Widget& container) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(container.Window(), &ps);
    RECT client;
    GetClientRect(container.Window(), &client);
    const int w = std::max<int>(1, client.right);
    const int h = std::max<int>(1, client.bottom);
    // Off screen first, so that nothing flickers.
    HDC buffer = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ old = SelectObject(buffer, bitmap);
    PaintContainer(container, buffer);
    BitBlt(dc, 0, 0, w, h, buffer, 0, 0, SRCCOPY);
    SelectObject(buffer, old);
    DeleteObject(bitmap);
    DeleteDC(buffer);
    EndPaint(container.Window(), &ps);
}

} // namespace toolkit_detail::win
