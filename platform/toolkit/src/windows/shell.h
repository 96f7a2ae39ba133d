// What the Windows shell units share: the hidden window that timers and the tray icon report to.
#pragma once

#include <windows.h>

class TBitmap;
class TTrayIcon;

namespace toolkit_detail::shell {

// The tray icons' callback message: wParam the icon's id, lParam the mouse message.
constexpr UINT kTrayCallback = WM_APP + 0x101;

// Top-level and hidden rather than message-only: the shell's "TaskbarCreated" is broadcast to
// top-level windows only. Created on first use, kept for the life of the process.
HWND NotifyWindow();
UINT TaskbarCreatedMessage();

// An image list's picture as GDI takes it. Its transparent pixels are those of the colour of its
// bottom-left pixel, as an image list has them: the bitmap shows the background colour there,
// the icon shows through. The caller deletes what it gets; null for an empty picture.
HBITMAP ImageBitmap(const TBitmap& picture, COLORREF background);
HICON ImageIcon(const TBitmap& picture);

// The handlers that the hidden window's procedure dispatches to.
LRESULT OnTimerMessage(UINT_PTR id);
LRESULT OnTrayCallback(UINT id, UINT mouseMessage);
LRESULT OnTaskbarCreated();

// An icon as the shell knows it: the window and id it was registered with, the picture it shows,
// whether it stands in the notification area, and what the last Shell_NotifyIconA call returned.
struct TrayIconState {
    HWND window = nullptr;
    UINT id = 0;
    HICON picture = nullptr;
    bool shown = false;
    BOOL lastResult = FALSE;
};
// A never presented icon gives the defaults.
TrayIconState TrayIconStateOf(const TTrayIcon& icon);

} // namespace toolkit_detail::shell
