// The hidden window that receives the timers' and the tray icons' notifications.
#include "shell.h"

namespace toolkit_detail::shell {
namespace {

constexpr char kClassName[] = "TShellNotifyWindow";

LRESULT CALLBACK NotifyWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER)
        return OnTimerMessage(wParam);
    if (message == kTrayCallback)
        return OnTrayCallback(static_cast<UINT>(wParam), static_cast<UINT>(lParam));
    if (message != 0 && message == TaskbarCreatedMessage())
        return OnTaskbarCreated();
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

HWND NotifyWindow() {
    static HWND window = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = NotifyWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClassName;
        RegisterClassA(&wc);
        return CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    }();
    return window;
}

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

} // namespace toolkit_detail::shell
