// Forms: their desktop windows, showing, closing, the modal loop and the way keys come in.
#include "toolkit/forms.h"

#include "internal.h"

#include <limits>

namespace {

constexpr UINT kLButtonDown = 0x0201;
constexpr UINT kLButtonUp = 0x0202;
constexpr UINT kRButtonDown = 0x0204;
constexpr UINT kRButtonUp = 0x0205;
constexpr UINT kMouseMove = 0x0200;

// The modifier keys as the program's windows saw them go down and up.
struct Modifiers {
    bool shift = false;
    bool control = false;
};

Modifiers& KeysDown() {
    static Modifiers m;
    return m;
}

void TrackModifier(WPARAM key, bool down) {
    switch (key) {
    case VK_SHIFT:
    case 0xA0: // left shift
    case 0xA1: // right shift
        KeysDown().shift = down;
        break;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
        KeysDown().control = down;
        break;
    default:
        break;
    }
}

TShiftState ShiftFrom(LPARAM lParam) {
    TShiftState s;
    if (KeysDown().shift)
        s << ssShift;
    if (KeysDown().control)
        s << ssCtrl;
    if (lParam & (LPARAM{1} << 29))
        s << ssAlt;
    return s;
}

TWinControl* FirstFocusable(TWinControl* parent) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
        auto* w = dynamic_cast<TWinControl*>(parent->Controls(i));
        if (!w)
            continue;
        if (w->TabStop && w->CanFocus())
            return w;
        if (TWinControl* inner = FirstFocusable(w))
            return inner;
    }
    return nullptr;
}

} // namespace

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    visible_ = false;
    left_ = 0;
    top_ = 0;
    width_ = 320;
    height_ = 240;
    Canvas.Font.Assign(Font);
    toolkit_detail::RegisterForm(this);
}

TCustomForm::~TCustomForm() {
    if (!destroying_) {
        destroying_ = true;
        if (OnDestroy)
            toolkit_detail::Guard(this, [this] { OnDestroy(this); });
    }
    toolkit_detail::UnregisterForm(this);
    if (Application && Application->mainForm_ == this)
        Application->mainForm_ = nullptr;
    if (handle_)
        toolkit_detail::DestroyFormWindow(*this, handle_);
    handle_ = nullptr;
}

void TCustomForm::BeforeDestruction() {
    if (destroying_)
        return;
    destroying_ = true;
    if (OnDestroy)
        toolkit_detail::Guard(this, [this] { OnDestroy(this); });
}

void TCustomForm::AfterConstruction() {
    if (created_)
        return;
    created_ = true;
    inCreate_ = true;
    if (OnCreate)
        toolkit_detail::Guard(this, [this] { OnCreate(this); });
    inCreate_ = false;
    if (visible_) {
        visible_ = false;
        SetVisible(true);
    }
}

HWND TCustomForm::Handle() {
    if (!handle_)
        CreateHandle();
    return handle_;
}

void TCustomForm::CreateHandle() {
    toolkit_detail::WindowSpec spec;
    spec.className = ClassName();
    spec.caption = GetCaption();
    spec.visible = created_ && !inCreate_ && visible_;
    spec.bounds = RECT{left_, top_, left_ + width_, top_ + height_};
    spec.topmost = formStyle_ == fsStayOnTop;
    handle_ = toolkit_detail::CreateFormWindow(
        *this, spec, [this](HWND, UINT m, WPARAM w, LPARAM l) { return WindowProc(m, w, l); });
    if (noActivate_)
        toolkit_detail::SetPresentedNoActivate(handle_, true);
    ApplyLayered();
}

LRESULT TCustomForm::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = static_cast<short>(lParam & 0xFFFF);
    const int y = static_cast<short>((lParam >> 16) & 0xFFFF);
    toolkit_detail::Guard(this, [&] {
        switch (message) {
        case WM_CLOSE:
            Close();
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            TrackModifier(wParam, true);
            // The character of a key a button took is typed nowhere.
            swallowChar_ = DispatchKeyDown(static_cast<WORD>(wParam), ShiftFrom(lParam));
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            TrackModifier(wParam, false);
            DispatchKeyUp(static_cast<WORD>(wParam), ShiftFrom(lParam));
            break;
        case WM_CHAR:
            if (!swallowChar_)
                DispatchKeyPress(static_cast<char>(wParam));
            swallowChar_ = false;
            break;
        case kLButtonDown:
            MouseDown(mbLeft, ShiftFrom(0) << ssLeft, x, y);
            break;
        case kLButtonUp:
            MouseUp(mbLeft, ShiftFrom(0), x, y);
            break;
        case kRButtonDown:
            MouseDown(mbRight, ShiftFrom(0) << ssRight, x, y);
            break;
        case kRButtonUp:
            MouseUp(mbRight, ShiftFrom(0), x, y);
            break;
        case kMouseMove:
            MouseMove(ShiftFrom(0), x, y);
            break;
        default:
            break;
        }
    });
    return 0;
}

void TCustomForm::ApplyLayered() {
    if (!handle_)
        return;
    DWORD flags = 0;
    if (alphaBlend_)
        flags |= LWA_ALPHA;
    if (transparent_)
        flags |= LWA_COLORKEY;
    toolkit_detail::SetPresentedLayered(handle_, flags != 0,
                                        static_cast<COLORREF>(ColorToRGB(transparentValue_)),
                                        alphaValue_, flags);
}

void TCustomForm::SetAlphaBlend(bool v) {
    if (v == alphaBlend_)
        return;
    alphaBlend_ = v;
    ApplyLayered();
}

void TCustomForm::SetAlphaBlendValue(BYTE v) {
    if (v == alphaValue_)
        return;
    alphaValue_ = v;
    ApplyLayered();
}

void TCustomForm::SetTransparentColor(bool v) {
    if (v == transparent_)
        return;
    transparent_ = v;
    ApplyLayered();
}

void TCustomForm::SetTransparentColorValue(TColor v) {
    if (v == transparentValue_)
        return;
    transparentValue_ = v;
    ApplyLayered();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
    if (v == borderStyle_)
        return;
    borderStyle_ = v;
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Style);
}

void TCustomForm::SetFormStyle(TFormStyle v) {
    if (v == formStyle_)
        return;
    formStyle_ = v;
    if (handle_)
        toolkit_detail::SetPresentedTopmost(handle_, v == fsStayOnTop);
}

void TCustomForm::SetNoActivate(bool v) {
    if (v == noActivate_)
        return;
    noActivate_ = v;
    if (handle_)
        toolkit_detail::SetPresentedNoActivate(handle_, v);
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    TWinControl* active = control == this ? nullptr : control;
    if (active == activeControl_)
        return;
    activeControl_ = active;
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Focus);
}

void TCustomForm::SetCaption(std::string v) {
    TWinControl::SetCaption(v);
    if (handle_)
        toolkit_detail::SetPresentedCaption(handle_, v);
}

int TCustomForm::FrameWidth() const {
    return toolkit_detail::FormFrame(*this).width;
}

int TCustomForm::FrameHeight() const {
    return toolkit_detail::FormFrame(*this).height;
}

bool TCustomForm::CanResize(int& newWidth, int& newHeight) {
    bool resize = true;
    if (OnCanResize)
        OnCanResize(this, newWidth, newHeight, resize);
    return resize;
}

void TCustomForm::BoundsChanged(bool moved, bool resized) {
    if (handle_)
        toolkit_detail::SetPresentedBounds(handle_,
                                           RECT{left_, top_, left_ + width_, top_ + height_});
    TWinControl::BoundsChanged(moved, resized);
}

void TCustomForm::FontChanged() {
    Canvas.Font.Assign(Font);
    TWinControl::FontChanged();
}

void TCustomForm::FocusFirst() {
    if (activeControl_ && activeControl_->CanFocus())
        return;
    SetActiveControl(FirstFocusable(this));
}

void TCustomForm::SetVisible(bool v) {
    if (!created_) {
        if (!v || TApplication::BuildingForm()) {
            // Built visible by CreateForm: shown once OnCreate has run.
            visible_ = v;
            return;
        }
        AfterConstruction();
    }
    if (v == visible_)
        return;
    visible_ = v;
    if (v) {
        if (!shownOnce_ && (Position == poScreenCenter || Position == poDesktopCenter)) {
            const int l = (toolkit_detail::ScreenWidth() - width_) / 2;
            const int t = (toolkit_detail::ScreenHeight() - height_) / 2;
            SetBounds(l, t, width_, height_);
        }
        shownOnce_ = true;
        toolkit_detail::SetPresentedVisible(Handle(), true);
        FocusFirst();
        if (OnShow)
            OnShow(this);
    } else {
        if (handle_)
            toolkit_detail::SetPresentedVisible(handle_, false);
        if (OnHide)
            OnHide(this);
    }
}

void TCustomForm::Show() {
    AfterConstruction();
    SetVisible(true);
    BringToFront();
}

void TCustomForm::Hide() {
    SetVisible(false);
}

void TCustomForm::BringToFront() {
    // The desktop puts a window in front only with the foreground; a form shown from the tray
    // must not take it from the user's application, so nothing moves here.
}

bool TCustomForm::Active() const {
    return handle_ != nullptr && GetForegroundWindow() == handle_;
}

bool TCustomForm::QueryClose() {
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

TCloseAction TCustomForm::DoClose(TCloseAction action) {
    if (OnClose)
        OnClose(this, action);
    return action;
}

void TCustomForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!QueryClose())
        return;
    const TCloseAction action = DoClose(caHide);
    if (action == caNone)
        return;
    if (Application && Application->MainForm() == this)
        Application->Terminate();
    else if (action == caHide || action == caMinimize)
        Hide();
    else
        Release();
}

TModalResult TCustomForm::ShowModal() {
    AfterConstruction();
    if (visible_)
        throw EInvalidOperation("Cannot make a visible window modal");
    modalResult_ = mrNone;
    toolkit_detail::ModalStarting(*this);
    modal_ = true;
    SetVisible(true);
    toolkit_detail::ActivatePresented(Handle());
    TCloseAction action = caHide;
    constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t limit = toolkit_detail::RunLimit();
    if (limit == kNone && toolkit_detail::RunBudget() != kNone)
        limit = toolkit_detail::Now() + toolkit_detail::RunBudget();
    bool ended = false;
    try {
        toolkit_detail::ModalStarted(*this);
        ended = toolkit_detail::RunUntil(
            [&] {
                if (Application && Application->Terminated()) {
                    if (modalResult_ == mrNone)
                        modalResult_ = mrCancel;
                    return true;
                }
                if (modalResult_ == mrNone)
                    return false;
                action = QueryClose() ? DoClose(caHide) : caNone;
                if (action == caNone)
                    modalResult_ = mrNone;
                return modalResult_ != mrNone;
            },
            limit);
    } catch (...) {
        modal_ = false;
        toolkit_detail::ModalEnded(*this);
        throw;
    }
    modal_ = false;
    toolkit_detail::ModalEnded(*this);
    if (!ended)
        throw toolkit_detail::Failure("the modal form " + Name + " (" + ClassName() +
                                      ") is still open at the end of the run");
    SetVisible(false);
    if (action == caFree)
        Release();
    return modalResult_;
}

void TCustomForm::Release() {
    toolkit_detail::QueueRelease(this);
}

bool TCustomForm::DispatchKeyDown(WORD key, TShiftState shift) {
    TWinControl* target = activeControl_ && activeControl_->CanFocus() ? activeControl_ : nullptr;
    WORD k = key;
    if (target) {
        if (KeyPreview && OnKeyDown) {
            TShiftState s = shift;
            OnKeyDown(this, k, s);
        }
        if (k != 0)
            target->KeyDown(k, shift);
    } else {
        KeyDown(k, shift);
    }
    // What the system does with an Alt+F4 that reached it.
    if (k == VK_F4 && shift.Contains(ssAlt))
        Close();
    return k != 0 && shift.Empty() && toolkit_detail::DialogKey(*this, k);
}

void TCustomForm::DispatchKeyUp(WORD key, TShiftState shift) {
    TWinControl* target = activeControl_ && activeControl_->CanFocus() ? activeControl_ : nullptr;
    WORD k = key;
    if (target) {
        if (KeyPreview && OnKeyUp) {
            TShiftState s = shift;
            OnKeyUp(this, k, s);
        }
        if (k != 0)
            target->KeyUp(k, shift);
    } else {
        KeyUp(k, shift);
    }
}

void TCustomForm::DispatchKeyPress(char key) {
    TWinControl* target = activeControl_ && activeControl_->CanFocus() ? activeControl_ : nullptr;
    char c = key;
    if (target) {
        if (KeyPreview && OnKeyPress)
            OnKeyPress(this, c);
        if (c != 0)
            target->KeyPress(c);
    } else {
        KeyPress(c);
    }
}

const char* TCustomForm::ClassName() const {
    return "TCustomForm";
}

const char* TForm::ClassName() const {
    return "TForm";
}
