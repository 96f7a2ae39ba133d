// What the toolkit's units share privately: the message loop and the presentation of forms.
#pragma once

#include "toolkit/forms.h"

#include <toolkitsim/control.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

class TTimer;
class TPopupMenu;

namespace toolkit_detail {

// Raised where a test cannot go on; never shown, never swallowed.
using Failure = toolkitsim::Failure;

// ---- the message loop (message_loop.cpp) ----

// The loop's clock in milliseconds, widened from the tick count so that it never wraps.
std::uint64_t Now();
void StartTimer(TTimer* timer, unsigned interval);
void StopTimer(TTimer* timer);
void ScheduleAction(std::uint64_t delay, std::function<void()> action);
// Handles the messages waiting, frees released forms, checks the activation, and fires the
// timers and actions that are due; nothing waits.
void Pump();
// Pumps and waits for the next due timer until done() holds (true) or the limit (a time on the
// loop's clock; UINT64_MAX: none) comes (false).
bool RunUntil(const std::function<bool()>& done, std::uint64_t limit);
// The limit of the outermost run in progress (UINT64_MAX when none).
std::uint64_t RunLimit();
// The outermost run's budget and stop request.
std::uint64_t RunBudget();
void SetRunBudget(std::uint64_t ms);
bool StopRequested();
void RequestStop(bool stop);
// Forms to delete at the next pump; a form in its modal loop waits until the loop ended.
void QueueRelease(TCustomForm* form);
void ForgetForm(TCustomForm* form);
// Runs a handler the way the message loop does: an escaping error goes to the exception box.
void Guard(TObject* sender, const std::function<void()>& handler);
// Forms that exist, in creation order.
void RegisterForm(TCustomForm* form);
void UnregisterForm(TCustomForm* form);
const std::vector<TCustomForm*>& Forms();
void RegisterAppEvents(TComponent* events);
void UnregisterAppEvents(TComponent* events);
void FireHint();
void ResetLoop();
// RunUntil with the outermost limit set to now + milliseconds (UINT64_MAX: none) meanwhile.
bool RunWithin(const std::function<bool()>& done, std::uint64_t milliseconds);
// Enter and Esc that no control swallowed click the form's default or cancel button (buttons.cpp);
// true when a button took the key.
bool DialogKey(TCustomForm& form, WORD key);

// ---- the presentation of windows (host: the simulated desktop; Windows: real windows) ----

struct WindowSpec {
    std::string className;
    std::string caption;
    bool visible = false;
    RECT bounds{0, 0, 0, 0};
    bool topmost = false;
};
using WindowProcedure = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

HWND CreatePresentedWindow(const WindowSpec& spec, WindowProcedure procedure);
void DestroyPresentedWindow(HWND window);
void SetPresentedCaption(HWND window, const std::string& caption);
void SetPresentedBounds(HWND window, const RECT& bounds);
void SetPresentedTopmost(HWND window, bool topmost);
void SetPresentedVisible(HWND window, bool visible);
void ActivatePresented(HWND window);
// layered false removes the layered style; otherwise flags are LWA_COLORKEY and/or LWA_ALPHA.
void SetPresentedLayered(HWND window, bool layered, COLORREF key, BYTE alpha, DWORD flags);
void SetPresentedNoActivate(HWND window, bool noActivate);
// The next message for the program's windows, and its handling.
bool NextMessage(MSG& msg);
void DispatchNextMessage(const MSG& msg);
// Waits up to the time (host: the virtual clock moves on by it).
void WaitForEvents(std::uint64_t milliseconds);
int ScreenWidth();
int ScreenHeight();
int SystemPixelsPerInch();
std::int32_t SystemColor(int index);
// The width of a vertical scroll bar, the height of a horizontal one.
int ScrollBarSize();

enum class BoxKind { Message, Dialog, MessageBox, Exception };
struct BoxRequest {
    BoxKind kind = BoxKind::Message;
    std::string caption;
    std::string text;
    int dialogType = -1;
    int buttons = 0; // Dialog: bit set of TMsgDlgBtn; MessageBox: flags
    bool choice = false;
    int defaultAnswer = 1;
};
// Shows the box and returns the answer.
int PresentBox(const BoxRequest& box);
// Pops the menu up at the point; the user's pick is clicked before it returns.
void PresentPopup(TPopupMenu& menu, int x, int y);
// A modal loop is about to start for the form, which is shown.
void ModalStarted(TCustomForm& form);

} // namespace toolkit_detail

// Fires the application's activation events when the foreground moved to or from the program.
void ToolkitCheckActivation();

// ==== the shell: timers, the tray icon and modal loops ====
// Host: src/host/shell.cpp (the loop's virtual clock, nothing to show); Windows:
// src/windows/shell_*.cpp (SetTimer, Shell_NotifyIconA, disabled windows).

class TTrayIcon;

namespace toolkit_detail {

// StartTimer and StopTimer hand the timer to the presentation, which either keeps it on the
// loop's own clock (ScheduleTimer) or has the system fire it; either way FireTimer runs it.
void PresentTimerStart(TTimer* timer, unsigned interval);
void PresentTimerStop(TTimer* timer);
void ScheduleTimer(TTimer* timer, unsigned interval);
void UnscheduleTimer(TTimer* timer);
void FireTimer(TTimer* timer);

// Adds the icon to the notification area, or brings its tip up to date if it stands there.
void PresentTrayIcon(TTrayIcon& icon);
void RemoveTrayIcon(TTrayIcon& icon);

// Before the modal form is shown (the window active now is its owner), and after its loop
// ended, still shown; ModalStarted lies between the two.
void ModalStarting(TCustomForm& form);
void ModalEnded(TCustomForm& form);

} // namespace toolkit_detail

// ==== the presentation of forms and controls ====
// The models tell their presentation what changed; the presentation reads the model and, on
// Windows, turns real input into the models' events. Host: the simulated desktop, nothing drawn;
// Windows: real windows and controls (src/windows/).

class TListBox;

namespace toolkit_detail {

// What changed on a control, for its presentation to follow.
enum class Aspect {
    Parent,    // the control moved to another parent (or to none)
    Bounds,    // position or size
    Visible,   // shown or hidden
    Enabled,   // enabled or disabled
    Text,      // caption, edit text or edit mask
    Font,      // the control's font
    Color,     // the control's colour
    Look,      // anything else that is drawn (a repaint request, a picture, a gauge's value)
    Items,     // a list's items
    Selection, // a list's selected item or an edit's caret
    Style,     // a form's border style or border icons
    Focus,     // a form's active control
};

struct Extent {
    int width = 0;
    int height = 0;
};

// The form's window, created with its border style, border icons and stay-on-top; the procedure
// gets the messages the model handles itself (close and keys; on the host the mouse too, which on
// Windows the presentation hands to the control under it).
HWND CreateFormWindow(TCustomForm& form, const WindowSpec& spec, WindowProcedure procedure);
// The form's window and the windows of its controls go.
void DestroyFormWindow(TCustomForm& form, HWND window);
// How much wider and higher than its client area a form of that border style is.
Extent FormFrame(const TCustomForm& form);
// The model changed: its window follows (the host has nothing to follow).
void ControlChanged(TControl& control, Aspect what);
// The control is about to be deleted.
void ControlGone(TControl& control);
// The extent of the text in the font (the canvas's text metrics).
Extent TextExtent(const TFont& font, const std::string& text);
// The first item the list box shows.
int ListTopIndex(const TListBox& list);

} // namespace toolkit_detail
