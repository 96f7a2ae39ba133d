// Windows presentation of controls: the widgets of windowed controls, how model changes reach
// them, and the window procedure that hands the windows' messages to them.
#include "widgets.h"

#include "toolkit/stdctrls.h"

#include <algorithm>
#include <vector>

namespace toolkit_detail {
namespace win {
namespace {

std::map<const TControl*, std::unique_ptr<Widget>>& Widgets() {
    static std::map<const TControl*, std::unique_ptr<Widget>> widgets;
    return widgets;
}

bool IsOn(const Widget* widget, const Widget* ancestor) {
    for (const Widget* w = widget; w; w = w->ParentWidget())
        if (w == ancestor)
            return true;
    return false;
}

// The window of the control's parent, where a graphic control is painted.
HWND PaintedIn(const TControl& control) {
    const Widget* parent = WidgetOf(control.GetParent());
    return parent ? parent->Window() : nullptr;
}

} // namespace

Widget* WidgetOf(const TControl* control) {
    if (!control)
        return nullptr;
    const auto it = Widgets().find(control);
    return it == Widgets().end() ? nullptr : it->second.get();
}

void RegisterWidget(std::unique_ptr<Widget> widget) {
    const TControl* control = &widget->Control();
    Widgets()[control] = std::move(widget);
}

void RemoveWidget(Widget* widget) {
    if (!widget)
        return;
    // Those on it first, deepest first, so that no window outlives its parent's widget.
    std::vector<const TControl*> on;
    for (const auto& [control, w] : Widgets())
        if (w.get() != widget && IsOn(w.get(), widget))
            on.push_back(control);
    std::sort(on.begin(), on.end(), [](const TControl* a, const TControl* b) {
        int da = 0, db = 0;
        for (const Widget* w = WidgetOf(a); w; w = w->ParentWidget())
            ++da;
        for (const Widget* w = WidgetOf(b); w; w = w->ParentWidget())
            ++db;
        return da > db;
    });
    for (const TControl* c : on)
        Widgets().erase(c);
    Widgets().erase(&widget->Control());
}

void PresentChildren(Widget& parent) {
    TWinControl& control = parent.Control();
    for (int i = 0; i < control.ControlCount(); ++i) {
        auto* child = dynamic_cast<TWinControl*>(control.Controls(i));
        if (!child || WidgetOf(child))
            continue;
        std::unique_ptr<Widget> widget = MakeWidget(*child, parent);
        if (!widget)
            continue;
        Widget* made = widget.get();
        RegisterWidget(std::move(widget));
        made->Create();
        PresentChildren(*made);
    }
}

LRESULT CALLBACK WidgetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (cs->lpCreateParams)
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* widget = reinterpret_cast<Widget*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!widget || widget->Window() != hwnd) // before the widget took the window
        return DefWindowProcA(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    if (widget->Message(message, wParam, lParam, result))
        return result;
    return widget->Default(message, wParam, lParam);
}

void RegisterWidgetClass(const char* name) {
    WNDCLASSA existing;
    if (GetClassInfoA(GetModuleHandleA(nullptr), name, &existing))
        return;
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WidgetProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

// ---- Widget ----

Widget::Widget(TWinControl& control, Widget* parent) : control_(control), parent_(parent) {}

Widget::~Widget() {
    ForgetPress(&control_);
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        if (original_)
            SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        if (IsWindow(window_))
            DestroyWindow(window_);
    }
    if (font_)
        DeleteObject(font_);
    if (brush_)
        DeleteObject(brush_);
}

FormWidget& Widget::Form() {
    Widget* w = this;
    while (w->parent_)
        w = w->parent_;
    return static_cast<FormWidget&>(*w);
}

void Widget::Attach(HWND window) {
    window_ = window;
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void Widget::Subclass() {
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WidgetProc)));
}

LRESULT Widget::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    if (original_)
        return CallWindowProcA(original_, window_, message, wParam, lParam);
    return DefWindowProcA(window_, message, wParam, lParam);
}

void Widget::PlaceWindow() {
    MoveWindow(window_, control_.GetLeft(), control_.GetTop(), control_.GetWidth(),
               control_.GetHeight(), TRUE);
    ShowWindow(window_, control_.GetVisible() ? SW_SHOWNA : SW_HIDE);
    EnableWindow(window_, control_.GetEnabled());
}

void Widget::ApplyFont() {
    HFONT font = MakeFont(control_.Font);
    SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (font_)
        DeleteObject(font_);
    font_ = font;
}

HBRUSH Widget::Brush() {
    const COLORREF color = ToColorRef(control_.GetColor());
    if (!brush_ || color != brushColor_) {
        if (brush_)
            DeleteObject(brush_);
        brush_ = CreateSolidBrush(color);
        brushColor_ = color;
    }
    return brush_;
}

HBRUSH Widget::Colors(HDC dc) {
    SetTextColor(dc, ToColorRef(control_.Font.GetColor()));
    SetBkColor(dc, ToColorRef(control_.GetColor()));
    return Brush();
}

void Widget::Changed(Aspect what) {
    switch (what) {
    case Aspect::Bounds:
    case Aspect::Visible:
    case Aspect::Enabled:
        PlaceWindow();
        break;
    case Aspect::Font:
        ApplyFont();
        InvalidateRect(window_, nullptr, TRUE);
        break;
    default:
        InvalidateRect(window_, nullptr, TRUE);
        break;
    }
}

bool Widget::Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (IsMouseMessage(message)) {
        RouteMouse(*this, message, wParam, lParam);
        if (Container()) {
            result = 0;
            return true;
        }
        return false; // the native control places its caret or selection too
    }
    if (IsKeyMessage(message)) {
        // Keys on a control's window are that control's: it has the keyboard.
        if (&Form() != this) {
            TCustomForm& form = Form().FormControl();
            if (form.GetActiveControl() != &control_ && control_.CanFocus())
                Guard(&form, [&] { form.SetActiveControl(&control_); });
        }
        result = Form().ToModel(message, wParam, lParam);
        if ((message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) && wParam != VK_F4)
            return false; // menus and the system's own keys
        return true;
    }
    switch (message) {
    case WM_GETFONT:
        // The toolkit's own window classes answer with the font they were given.
        if (!font_)
            return false;
        result = reinterpret_cast<LRESULT>(font_);
        return true;
    case WM_SETFOCUS:
        if (&Form() != this) {
            TCustomForm& form = Form().FormControl();
            if (form.GetActiveControl() != &control_ && control_.CanFocus())
                Guard(&form, [&] { form.SetActiveControl(&control_); });
        }
        return false;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
        for (const auto& [control, w] : Widgets())
            if (w->Window() == reinterpret_cast<HWND>(lParam)) {
                if (HBRUSH brush = w->Colors(reinterpret_cast<HDC>(wParam))) {
                    result = reinterpret_cast<LRESULT>(brush);
                    return true;
                }
            }
        return false;
    case WM_COMMAND:
        if (lParam != 0)
            for (const auto& [control, w] : Widgets())
                if (w->Window() == reinterpret_cast<HWND>(lParam)) {
                    w->Notified(HIWORD(wParam));
                    break;
                }
        return false;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (lParam != 0)
            for (const auto& [control, w] : Widgets())
                if (w->Window() == reinterpret_cast<HWND>(lParam)) {
                    w->Notified(LOWORD(wParam));
                    result = 0;
                    return true;
                }
        return false;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        for (const auto& [control, w] : Widgets())
            if (item && w->Window() == item->hwndItem && w->DrawItem(*item)) {
                result = TRUE;
                return true;
            }
        return false;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        for (const auto& [control, w] : Widgets())
            if (header && w->Window() == header->hwndFrom)
                return w->Notify(*header, result);
        return false;
    }
    default:
        break;
    }
    if (!Container())
        return false;
    switch (message) {
    case WM_ERASEBKGND:
        result = 1; // WM_PAINT covers it all
        return true;
    case WM_PAINT:
        PaintWindow(*this);
        result = 0;
        return true;
    case WM_PRINTCLIENT:
        PaintContainer(*this, reinterpret_cast<HDC>(wParam));
        result = 0;
        return true;
    default:
        return false;
    }
}

} // namespace win

using win::WidgetOf;

void ControlChanged(TControl& control, Aspect what) {
    auto* windowed = dynamic_cast<TWinControl*>(&control);
    if (windowed && what == Aspect::Parent && !dynamic_cast<TCustomForm*>(&control)) {
        win::RemoveWidget(WidgetOf(windowed));
        win::Widget* parent = WidgetOf(control.GetParent());
        if (!parent)
            return;
        std::unique_ptr<win::Widget> widget = win::MakeWidget(*windowed, *parent);
        if (!widget)
            return;
        win::Widget* made = widget.get();
        win::RegisterWidget(std::move(widget));
        made->Create();
        win::PresentChildren(*made);
        return;
    }
    if (win::Widget* widget = WidgetOf(&control)) {
        widget->Changed(what);
        return;
    }
    if (windowed)
        return;
    if (what == Aspect::Parent) {
        // Where it was painted before is not known: every container draws again.
        for (const auto& [c, widget] : win::Widgets())
            if (widget->Container())
                InvalidateRect(widget->Window(), nullptr, FALSE);
        return;
    }
    if (HWND window = win::PaintedIn(control))
        InvalidateRect(window, nullptr, FALSE);
}

void ControlGone(TControl& control) {
    win::ForgetPress(&control);
    if (win::Widget* widget = WidgetOf(&control)) {
        if (!dynamic_cast<win::FormWidget*>(widget))
            win::RemoveWidget(widget);
        return;
    }
    if (!dynamic_cast<TWinControl*>(&control))
        if (HWND window = win::PaintedIn(control))
            InvalidateRect(window, nullptr, FALSE);
}

int ListTopIndex(const TListBox& list) {
    const win::Widget* widget = WidgetOf(&list);
    return widget ? static_cast<int>(SendMessageA(widget->Window(), LB_GETTOPINDEX, 0, 0)) : 0;
}

} // namespace toolkit_detail
