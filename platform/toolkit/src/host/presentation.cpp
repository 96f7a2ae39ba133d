// Host presentation of the toolkit: forms as windows of the simulated desktop, boxes and popup
// menus answered from the test script, the virtual clock as the loop's wait.
#include "../internal.h"
#include "script.h"

#include <win32sim/desktop.h>
#include <win32sim/processes.h>

#include <limits>

namespace toolkit_detail {

HWND CreatePresentedWindow(const WindowSpec& spec, WindowProcedure procedure) {
    win32sim::WindowSpec s;
    s.className = spec.className;
    s.caption = spec.caption;
    s.visible = spec.visible;
    s.bounds = spec.bounds;
    s.topmost = spec.topmost;
    s.activate = false;
    return win32sim::CreateOwnWindow(s, std::move(procedure));
}

void DestroyPresentedWindow(HWND window) {
    win32sim::RemoveWindow(window);
}

void SetPresentedCaption(HWND window, const std::string& caption) {
    win32sim::SetWindowCaption(window, caption);
}

void SetPresentedBounds(HWND window, const RECT& bounds) {
    win32sim::SetWindowBounds(window, bounds);
}

void SetPresentedTopmost(HWND window, bool topmost) {
    win32sim::SetWindowTopmost(window, topmost);
}

void SetPresentedVisible(HWND window, bool visible) {
    ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
    for (TCustomForm* form : Forms()) {
        if (form->HandleAllocated() && form->Handle() == window) {
            script::Watched(*form);
            break;
        }
    }
}

void ActivatePresented(HWND window) {
    SetForegroundWindow(window);
}

bool NextMessage(MSG& msg) {
    return win32sim::PeekPostedMessage(msg);
}

void DispatchNextMessage(const MSG& msg) {
    win32sim::DispatchPostedMessage(msg);
}

void WaitForEvents(std::uint64_t milliseconds) {
    if (milliseconds == std::numeric_limits<std::uint64_t>::max())
        throw Failure("the message loop waits for something that nothing can bring: no timer "
                      "runs and no run time was given");
    win32sim::WaitForInput(static_cast<DWORD>(milliseconds));
}

int ScreenWidth() {
    return win32sim::ScreenWidth();
}

int ScreenHeight() {
    return win32sim::ScreenHeight();
}

int SystemPixelsPerInch() {
    return 96;
}

int ScrollBarSize() {
    return 16; // the classic scheme's
}

std::int32_t SystemColor(int index) {
    // The classic scheme's colours, as 0x00BBGGRR.
    switch (index) {
    case 1:
        return 0x808000; // desktop
    case 2:
        return 0x6A240A; // active caption
    case 3:
        return 0x808080; // inactive caption
    case 4:
    case 15:
        return 0xC8D0D4; // menu, button face
    case 5:
        return 0xFFFFFF; // window
    case 13:
        return 0x6A240A; // highlight
    case 14:
        return 0xFFFFFF; // highlight text
    case 17:
        return 0x808080; // grey text
    case 19:
        return 0xC8D0D4; // inactive caption text
    case 24:
        return 0xE1FFFF; // info background
    default:
        return 0x000000; // texts and frames
    }
}

int PresentBox(const BoxRequest& box) {
    return script::AnswerBox(box);
}

void PresentPopup(TPopupMenu& menu, int x, int y) {
    script::PickFromMenu(menu, x, y);
}

} // namespace toolkit_detail
