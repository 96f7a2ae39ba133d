// Extended window styles and layered-window attributes (transparency and colour key).
#include "desktop_state.h"

using namespace win32sim::detail;

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
    std::lock_guard lock(DesktopMutex());
    const auto* w = FindDesktopWindow(hWnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (nIndex != GWL_EXSTYLE) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return w->exStyle | (w->topmost ? WS_EX_TOPMOST : 0);
}

// Returns the previous value; the last error is cleared first, so that a previous 0 is told
// apart from a failure. WS_EX_TOPMOST is not changed this way, as on Windows.
LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    std::lock_guard lock(DesktopMutex());
    auto* w = FindDesktopWindow(hWnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (nIndex != GWL_EXSTYLE) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    const LONG previous = w->exStyle | (w->topmost ? WS_EX_TOPMOST : 0);
    w->exStyle = dwNewLong & ~WS_EX_TOPMOST;
    if ((w->exStyle & WS_EX_LAYERED) == 0)
        w->layered.reset();
    return previous;
}

BOOL WINAPI SetLayeredWindowAttributes(HWND hwnd, COLORREF crKey, BYTE bAlpha, DWORD dwFlags) {
    std::lock_guard lock(DesktopMutex());
    auto* w = FindDesktopWindow(hwnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // A window without WS_EX_LAYERED has no attributes to set, as if it were no window.
    if ((w->exStyle & WS_EX_LAYERED) == 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if ((dwFlags & ~DWORD{LWA_COLORKEY | LWA_ALPHA}) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The alpha changes only with LWA_ALPHA; it starts at 0.
    const BYTE alpha = (dwFlags & LWA_ALPHA) != 0 ? bAlpha : w->layered ? w->layered->alpha : 0;
    w->layered = win32sim::LayeredAttributes{crKey, alpha, dwFlags};
    return TRUE;
}

// Fails until SetLayeredWindowAttributes set the attributes of the layered window.
BOOL WINAPI GetLayeredWindowAttributes(HWND hwnd, COLORREF* pcrKey, BYTE* pbAlpha,
                                       DWORD* pdwFlags) {
    std::lock_guard lock(DesktopMutex());
    const auto* w = FindDesktopWindow(hwnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!w->layered)
        return FALSE;
    if (pcrKey != nullptr)
        *pcrKey = w->layered->colorKey;
    if (pbAlpha != nullptr)
        *pbAlpha = w->layered->alpha;
    if (pdwFlags != nullptr)
        *pdwFlags = w->layered->flags;
    return TRUE;
}

namespace win32sim {

std::optional<LayeredAttributes> WindowLayeredAttributes(HWND window) {
    std::lock_guard lock(DesktopMutex());
    const auto* w = FindDesktopWindow(window);
    if (w == nullptr)
        return std::nullopt;
    return w->layered;
}

} // namespace win32sim
