// Windows presentation of the toolkit: the application's own window and the window operations
// that forms share (caption, bounds, z-order, visibility, layering), the screen's metrics.
#include "../internal.h"

#include <map>
#include <memory>

namespace toolkit_detail {
namespace {

std::map<HWND, std::unique_ptr<WindowProcedure>>& Procedures() {
    static std::map<HWND, std::unique_ptr<WindowProcedure>> procedures;
    return procedures;
}

LRESULT CALLBACK FormWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* proc = reinterpret_cast<WindowProcedure*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (proc && (message == WM_CLOSE || message == WM_KEYDOWN || message == WM_KEYUP ||
                 message == WM_SYSKEYDOWN || message == WM_SYSKEYUP || message == WM_CHAR ||
                 (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST))) {
        (*proc)(hwnd, message, wParam, lParam);
        if (message != WM_SYSKEYDOWN && message != WM_SYSKEYUP)
            return 0;
        if (wParam == VK_F4)
            return 0; // the toolkit decided about Alt+F4 already
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// One window class per form class, so that the class name is the form's.
void RegisterFormClass(const std::string& name) {
    WNDCLASSA existing;
    if (GetClassInfoA(GetModuleHandleA(nullptr), name.c_str(), &existing))
        return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FormWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name.c_str();
    RegisterClassA(&wc);
}

} // namespace

HWND CreatePresentedWindow(const WindowSpec& spec, WindowProcedure procedure) {
    RegisterFormClass(spec.className);
    auto proc = std::make_unique<WindowProcedure>(std::move(procedure));
    HWND hwnd =
        CreateWindowExA(spec.topmost ? WS_EX_TOPMOST : 0, spec.className.c_str(),
                        spec.caption.c_str(), WS_POPUP, spec.bounds.left, spec.bounds.top,
                        spec.bounds.right - spec.bounds.left, spec.bounds.bottom - spec.bounds.top,
                        nullptr, nullptr, GetModuleHandleA(nullptr), proc.get());
    if (hwnd) {
        Procedures()[hwnd] = std::move(proc);
        if (spec.visible)
            ShowWindow(hwnd, SW_SHOWNA);
    }
    return hwnd;
}

void DestroyPresentedWindow(HWND window) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
    Procedures().erase(window);
}

void SetPresentedCaption(HWND window, const std::string& caption) {
    SetWindowTextA(window, caption.c_str());
}

void SetPresentedBounds(HWND window, const RECT& bounds) {
    MoveWindow(window, bounds.left, bounds.top, bounds.right - bounds.left,
               bounds.bottom - bounds.top, TRUE);
}

void SetPresentedTopmost(HWND window, bool topmost) {
    SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void SetPresentedVisible(HWND window, bool visible) {
    ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
}

void ActivatePresented(HWND window) {
    SetForegroundWindow(window);
}

int ScreenWidth() {
    return GetSystemMetrics(SM_CXSCREEN);
}

int ScreenHeight() {
    return GetSystemMetrics(SM_CYSCREEN);
}

int SystemPixelsPerInch() {
    HDC dc = GetDC(nullptr);
    const int ppi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc)
        ReleaseDC(nullptr, dc);
    return ppi > 0 ? ppi : 96;
}

int ScrollBarSize() {
    return GetSystemMetrics(SM_CXVSCROLL);
}

std::int32_t SystemColor(int index) {
    return static_cast<std::int32_t>(GetSysColor(index));
}

} // namespace toolkit_detail
