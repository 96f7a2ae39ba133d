// Real mouse messages to the models' events, in the order the toolkit's control interface gives
// them: a press, then the release and the click; a double click's second press and the double
// click. A container passes them to the graphic control under the mouse, or to the control that
// was pressed until the button comes up.
#include "widgets.h"

#include <set>

namespace toolkit_detail::win {
namespace {

struct Press {
    TControl* control = nullptr;
    HWND window = nullptr;
    bool clicks = false; // the release over the control is a click
};

Press& Pressed() {
    static Press press;
    return press;
}

// Controls deleted while a message is being delivered.
std::set<const TControl*>& Gone() {
    static std::set<const TControl*> gone;
    return gone;
}

TShiftState ShiftOf(WPARAM wParam) {
    TShiftState s;
    if (wParam & MK_SHIFT)
        s << ssShift;
    if (wParam & MK_CONTROL)
        s << ssCtrl;
    if (GetKeyState(VK_MENU) < 0)
        s << ssAlt;
    if (wParam & MK_LBUTTON)
        s << ssLeft;
    if (wParam & MK_RBUTTON)
        s << ssRight;
    if (wParam & MK_MBUTTON)
        s << ssMiddle;
    return s;
}

// The topmost visible, enabled graphic control at the point, else the container itself.
TControl* ControlAt(TWinControl& container, int x, int y) {
    for (int i = container.ControlCount() - 1; i >= 0; --i) {
        TControl* c = container.Controls(i);
        if (!dynamic_cast<TGraphicControl*>(c) || !c->GetVisible() || !c->GetEnabled())
            continue;
        if (x >= c->GetLeft() && x < c->GetLeft() + c->GetWidth() && y >= c->GetTop() &&
            y < c->GetTop() + c->GetHeight())
            return c;
    }
    return &container;
}

bool ButtonOf(UINT message, TMouseButton& button) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        button = mbLeft;
        return true;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        button = mbRight;
        return true;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        button = mbMiddle;
        return true;
    default:
        return false;
    }
}

} // namespace

bool IsMouseMessage(UINT message) {
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        return true;
    default:
        return false;
    }
}

bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP || message == WM_CHAR;
}

void ForgetPress(const TControl* control) {
    Gone().insert(control);
    if (Pressed().control == control)
        Pressed() = Press{};
}

void RouteMouse(Widget& widget, UINT message, WPARAM wParam, LPARAM lParam) {
    Gone().clear();
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    const HWND window = widget.Window();
    TControl* target = &widget.Control();
    if (widget.Container())
        target = Pressed().control && Pressed().window == window
                     ? Pressed().control
                     : ControlAt(widget.Control(), x, y);
    const bool inner = target != &widget.Control();
    const int lx = inner ? x - target->GetLeft() : x;
    const int ly = inner ? y - target->GetTop() : y;
    const TShiftState shift = ShiftOf(wParam);
    TMouseButton button = mbLeft;
    ButtonOf(message, button);

    switch (message) {
    case WM_MOUSEMOVE:
        Guard(target, [&] { target->MouseMove(shift, lx, ly); });
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        Pressed() = Press{target, window, button == mbLeft};
        if (widget.Container())
            SetCapture(window);
        Guard(target, [&] { target->MouseDown(button, shift, lx, ly); });
        break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        Pressed() = Press{target, window, false};
        if (widget.Container())
            SetCapture(window);
        TShiftState twice = shift;
        twice << ssDouble;
        Guard(target, [&] { target->MouseDown(button, twice, lx, ly); });
        if (button == mbLeft && !Gone().count(target))
            Guard(target, [&] { target->DblClick(); });
        break;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        const bool click = Pressed().control == target && Pressed().clicks && button == mbLeft &&
                           lx >= 0 && ly >= 0 && lx < target->GetWidth() &&
                           ly < target->GetHeight();
        Pressed() = Press{};
        if (widget.Container() && GetCapture() == window)
            ReleaseCapture();
        Guard(target, [&] { target->MouseUp(button, shift, lx, ly); });
        if (click && !Gone().count(target))
            Guard(target, [&] { target->Click(); });
        break;
    }
    default:
        break;
    }
}

} // namespace toolkit_detail::win
