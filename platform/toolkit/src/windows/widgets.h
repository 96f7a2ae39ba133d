// What the Windows presentation's units share: a widget per windowed control, the painting of
// graphic controls, fonts, and the way real mouse and key messages reach the models.
// A new windowed control is a Widget subclass (child_controls.cpp) and one line in MakeWidget; a
// new graphic control is one painter in paint.cpp. The models stay as they are.
#pragma once

#include "../internal.h"

#include <map>
#include <memory>

namespace toolkit_detail::win {

class FormWidget;

// The styles a window is created with.
struct Styles {
    DWORD style = 0;
    DWORD exStyle = 0;
};

// The real window of one windowed control: it follows the model's changes and turns the
// window's messages into the model's events.
class Widget {
public:
    Widget(TWinControl& control, Widget* parent);
    virtual ~Widget();
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    TWinControl& Control() const { return control_; }
    HWND Window() const { return window_; }
    Widget* ParentWidget() const { return parent_; }
    FormWidget& Form();

    // Creates the child window in the parent's window (forms are made by CreateFormWindow).
    virtual void Create() = 0;
    virtual void Changed(Aspect what);
    // Messages of the window; true when handled, with the result.
    virtual bool Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Paints the background and the graphic controls on it (forms and panels).
    virtual bool Container() const { return false; }
    // WM_CTLCOLOR* for its window: the brush of the background, nullptr for the default.
    virtual HBRUSH Colors(HDC dc);
    // A WM_COMMAND notification (or, for scroll bars and track bars, the WM_HSCROLL or
    // WM_VSCROLL request) its window sent to the parent.
    virtual void Notified(WORD /*code*/) {}
    // A WM_NOTIFY its window sent to the parent; true when handled, with the result.
    virtual bool Notify(const NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
    // A WM_DRAWITEM its owner-drawn window sent to the parent; true when drawn.
    virtual bool DrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }

    // The next handler of the window's messages (the class's own for native controls).
    virtual LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The model's bounds, visibility and enabled state on the window.
    void PlaceWindow();
    // Makes the window this widget's: messages go to Message from now on.
    void Attach(HWND window);
    // The class's own window procedure is kept and called for what the model leaves alone.
    void Subclass();
    // The font of the model on the window (WM_SETFONT), kept while the window uses it.
    void ApplyFont();
    HBRUSH Brush();

    TWinControl& control_;
    Widget* parent_;
    HWND window_ = nullptr;
    WNDPROC original_ = nullptr;
    HFONT font_ = nullptr;
    HBRUSH brush_ = nullptr;
    COLORREF brushColor_ = 0;
};

class FormWidget : public Widget {
public:
    FormWidget(TCustomForm& form, WindowProcedure procedure);
    ~FormWidget() override;

    TCustomForm& FormControl() const;
    void Create() override {}
    HWND CreateWindowFor(const WindowSpec& spec);
    void Changed(Aspect what) override;
    bool Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool Container() const override { return true; }
    // The messages the model handles itself (close, keys).
    LRESULT ToModel(UINT message, WPARAM wParam, LPARAM lParam);
    // The real focus follows the form's active control.
    void FocusActiveControl();

private:
    void ApplyStyle();
    void FollowWindowBounds();
    WindowProcedure procedure_;
    bool followingWindow_ = false;
};

// ---- the widgets (control_presentation.cpp) ----
Widget* WidgetOf(const TControl* control);
// Creates the widgets of the windowed controls on the parent (and on them), as far as a widget
// exists for their class.
void PresentChildren(Widget& parent);
void RegisterWidget(std::unique_ptr<Widget> widget);
// The widget and every widget on it go.
void RemoveWidget(Widget* widget);
// The widget of a windowed control of that class, or nullptr when it has no presentation.
std::unique_ptr<Widget> MakeWidget(TWinControl& control, Widget& parent);
// Those of buttons, check boxes, radio buttons, group boxes and combo boxes (std_widgets.cpp),
// and of track bars, status bars, page controls and grids (comctrl_widgets.cpp).
std::unique_ptr<Widget> MakeStdWidget(TWinControl& control, Widget& parent);
std::unique_ptr<Widget> MakeComCtrlWidget(TWinControl& control, Widget& parent);
// A child window of the class with the control's bounds.
HWND MakeChild(const char* windowClass, const Styles& s, const TControl& control, HWND parent,
               void* param);
// The styles of a child window, with its border.
Styles ChildStyles(DWORD style, TBorderStyle border, bool ctl3d);
// The window procedure of the toolkit's own window classes and of subclassed native controls.
LRESULT CALLBACK WidgetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Registers a window class of the toolkit (double clicks, no background brush).
void RegisterWidgetClass(const char* name);

// ---- fonts and colours (canvas_metrics.cpp) ----
HFONT MakeFont(const TFont& font);
COLORREF ToColorRef(TColor color);

// ---- painting (paint.cpp) ----
// Paints the container's background and its graphic controls into the device context.
void PaintContainer(Widget& container, HDC dc);
// The frame and caption of a group box, the cells of a grid (comctrl_widgets.cpp).
void PaintGroupBox(HDC dc, TWinControl& group, const RECT& client);
void PaintGrid(HDC dc, TWinControl& grid, const RECT& client);
// Fills the rectangle with the colour.
void Fill(HDC dc, const RECT& r, TColor color);
// WM_PAINT of a container, drawn off screen first.
void PaintWindow(Widget& container);

// ---- mouse and keys (mouse_input.cpp) ----
// A mouse message on a container: to the graphic control under the mouse (or the one pressed),
// else to the container's own control. Native controls: to their control.
bool IsMouseMessage(UINT message);
void RouteMouse(Widget& widget, UINT message, WPARAM wParam, LPARAM lParam);
bool IsKeyMessage(UINT message);
// The control goes: a press on it is forgotten.
void ForgetPress(const TControl* control);

} // namespace toolkit_detail::win
