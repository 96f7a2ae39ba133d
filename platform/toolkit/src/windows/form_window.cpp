// Windows presentation of forms: the window with the form's border style, border icons and
// stay-on-top, its frame, its bounds both ways, and the focus of its controls.
#include "widgets.h"

namespace toolkit_detail {
namespace win {
namespace {

Styles StylesOf(const TCustomForm& form) {
    Styles s;
    s.style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    const TFormBorderStyle border = form.GetBorderStyle();
    switch (border) {
    case bsNone:
        s.style |= WS_POPUP;
        break;
    case bsSingle:
    case bsToolWindow:
        s.style |= WS_CAPTION | WS_BORDER;
        break;
    case bsSizeable:
    case bsSizeToolWin:
        s.style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case bsDialog:
        s.style |= WS_POPUP | WS_CAPTION;
        s.exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    }
    if (border == bsToolWindow || border == bsSizeToolWin)
        s.exStyle |= WS_EX_TOOLWINDOW;
    const TBorderIcons& icons = form.BorderIcons;
    if (border != bsNone && icons.Contains(biSystemMenu)) {
        s.style |= WS_SYSMENU;
        if (border == bsSingle || border == bsSizeable) {
            if (icons.Contains(biMinimize))
                s.style |= WS_MINIMIZEBOX;
            if (icons.Contains(biMaximize))
                s.style |= WS_MAXIMIZEBOX;
        }
        // The help button shows only where no minimise or maximise button stands.
        if (icons.Contains(biHelp) &&
            (border == bsDialog || (s.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0))
            s.exStyle |= WS_EX_CONTEXTHELP;
    }
    if (form.GetFormStyle() == fsStayOnTop)
        s.exStyle |= WS_EX_TOPMOST;
    if (form.GetNoActivate())
        s.exStyle |= WS_EX_NOACTIVATE;
    return s;
}

} // namespace

FormWidget::FormWidget(TCustomForm& form, WindowProcedure procedure)
    : Widget(form, nullptr), procedure_(std::move(procedure)) {}

FormWidget::~FormWidget() = default;

TCustomForm& FormWidget::FormControl() const {
    return static_cast<TCustomForm&>(control_);
}

HWND FormWidget::CreateWindowFor(const WindowSpec& spec) {
    RegisterWidgetClass(spec.className.c_str());
    const Styles s = StylesOf(FormControl());
    // Owned by the application's window, as the classic library does: that window alone stands
    // for the program on the task bar, so hiding it leaves no button of any form there.
    HWND owner = Application ? Application->Handle() : nullptr;
    HWND hwnd = CreateWindowExA(
        s.exStyle, spec.className.c_str(), spec.caption.c_str(), s.style, spec.bounds.left,
        spec.bounds.top, spec.bounds.right - spec.bounds.left, spec.bounds.bottom - spec.bounds.top,
        owner, nullptr, GetModuleHandleA(nullptr), this);
    if (!hwnd)
        return nullptr;
    Attach(hwnd);
    PresentChildren(*this);
    if (spec.visible)
        ShowWindow(hwnd, SW_SHOWNA);
    return hwnd;
}

void FormWidget::ApplyStyle() {
    const Styles s = StylesOf(FormControl());
    const LONG_PTR kept = GetWindowLongPtrA(window_, GWL_STYLE) &
                          (WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE);
    SetWindowLongPtrA(window_, GWL_STYLE, static_cast<LONG_PTR>(s.style) | kept);
    // Layering and the z-order band have their own setters.
    const LONG_PTR keptEx =
        GetWindowLongPtrA(window_, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TOPMOST);
    SetWindowLongPtrA(window_, GWL_EXSTYLE,
                      static_cast<LONG_PTR>(s.exStyle & ~static_cast<DWORD>(WS_EX_TOPMOST)) |
                          keptEx);
    SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWidget::Changed(Aspect what) {
    switch (what) {
    case Aspect::Style:
        ApplyStyle();
        break;
    case Aspect::Focus:
        FocusActiveControl();
        break;
    case Aspect::Enabled:
        EnableWindow(window_, control_.GetEnabled());
        break;
    case Aspect::Color:
    case Aspect::Font:
    case Aspect::Look:
        InvalidateRect(window_, nullptr, FALSE);
        break;
    default:
        // Bounds, visibility and caption reach the window through the form's own setters.
        break;
    }
}

void FormWidget::FocusActiveControl() {
    const Widget* active = WidgetOf(FormControl().GetActiveControl());
    HWND target = active ? active->Window() : window_;
    const HWND focus = GetFocus();
    if (focus == target)
        return;
    // Only within the form that has the keyboard: never take it from another window.
    if (focus == window_ || IsChild(window_, focus) || GetActiveWindow() == window_)
        SetFocus(target);
}

void FormWidget::FollowWindowBounds() {
    if (followingWindow_ || IsIconic(window_))
        return;
    RECT r;
    if (!GetWindowRect(window_, &r))
        return;
    TCustomForm& form = FormControl();
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (r.left == form.GetLeft() && r.top == form.GetTop() && width == form.GetWidth() &&
        height == form.GetHeight())
        return;
    followingWindow_ = true;
    Guard(&form, [&] { form.SetBounds(r.left, r.top, width, height); });
    followingWindow_ = false;
    // The model may refuse a size (constraints, OnCanResize): the window takes its answer.
    if (r.left != form.GetLeft() || r.top != form.GetTop() || width != form.GetWidth() ||
        height != form.GetHeight())
        MoveWindow(window_, form.GetLeft(), form.GetTop(), form.GetWidth(), form.GetHeight(), TRUE);
}

LRESULT FormWidget::ToModel(UINT message, WPARAM wParam, LPARAM lParam) {
    return procedure_ ? procedure_(window_, message, wParam, lParam) : 0;
}

bool FormWidget::Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        // Clicked or dragged, a window that only shows things leaves the keys where they are.
        if (!FormControl().GetNoActivate())
            return false;
        result = MA_NOACTIVATE;
        return true;
    case WM_CLOSE:
        ToModel(message, wParam, lParam);
        result = 0;
        return true;
    case WM_SETFOCUS:
        FocusActiveControl();
        result = 0;
        return true;
    case WM_WINDOWPOSCHANGED:
        FollowWindowBounds();
        return false;
    default:
        return Widget::Message(message, wParam, lParam, result);
    }
}

} // namespace win

HWND CreateFormWindow(TCustomForm& form, const WindowSpec& spec, WindowProcedure procedure) {
    auto widget = std::make_unique<win::FormWidget>(form, std::move(procedure));
    win::FormWidget* made = widget.get();
    win::RegisterWidget(std::move(widget));
    HWND hwnd = made->CreateWindowFor(spec);
    if (!hwnd)
        win::RemoveWidget(made);
    return hwnd;
}

void DestroyFormWindow(TCustomForm& form, HWND window) {
    if (win::Widget* widget = win::WidgetOf(&form))
        win::RemoveWidget(widget);
    else
        DestroyWindow(window);
}

Extent FormFrame(const TCustomForm& form) {
    const win::Styles s = win::StylesOf(form);
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, s.style, FALSE, s.exStyle);
    return Extent{r.right - r.left, r.bottom - r.top};
}

} // namespace toolkit_detail
