// Synthesised input: keybd_event, mouse_event and the cursor, logged in order; keys for the
// program's own foreground window reach its queue as key and character messages.
#include "desktop_state.h"

#include <algorithm>

using namespace win32sim::detail;

namespace {

bool Down(BYTE vk) {
    return TheDesktop().keyDown[vk];
}

bool AltDown() {
    return Down(VK_MENU) || Down(VK_LMENU) || Down(VK_RMENU);
}

bool ControlDown() {
    return Down(VK_CONTROL) || Down(VK_LCONTROL) || Down(VK_RCONTROL);
}

bool ShiftDown() {
    return Down(VK_SHIFT) || Down(VK_LSHIFT) || Down(VK_RSHIFT);
}

bool IsAltKey(BYTE vk) {
    return vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU;
}

// The character a key gives on the US layout (caps lock off); 0 for keys without one.
char KeyCharacter(BYTE vk, bool shift, bool control) {
    if (vk >= 'A' && vk <= 'Z') {
        if (control)
            return static_cast<char>(vk - 'A' + 1);
        return static_cast<char>(shift ? vk : vk + ('a' - 'A'));
    }
    if (control)
        return 0;
    if (vk >= '0' && vk <= '9')
        return shift ? ")!@#$%^&*("[vk - '0'] : static_cast<char>(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return static_cast<char>('0' + vk - VK_NUMPAD0);
    switch (vk) {
    case VK_BACK:
        return '\b';
    case VK_TAB:
        return '\t';
    case VK_RETURN:
        return '\r';
    case VK_ESCAPE:
        return '\x1b';
    case VK_SPACE:
        return ' ';
    case VK_MULTIPLY:
        return '*';
    case VK_ADD:
        return '+';
    case VK_SUBTRACT:
        return '-';
    case VK_DECIMAL:
        return '.';
    case VK_DIVIDE:
        return '/';
    case VK_OEM_1:
        return shift ? ':' : ';';
    case VK_OEM_PLUS:
        return shift ? '+' : '=';
    case VK_OEM_COMMA:
        return shift ? '<' : ',';
    case VK_OEM_MINUS:
        return shift ? '_' : '-';
    case VK_OEM_PERIOD:
        return shift ? '>' : '.';
    case VK_OEM_2:
        return shift ? '?' : '/';
    case VK_OEM_3:
        return shift ? '~' : '`';
    case VK_OEM_4:
        return shift ? '{' : '[';
    case VK_OEM_5:
        return shift ? '|' : '\\';
    case VK_OEM_6:
        return shift ? '}' : ']';
    case VK_OEM_7:
        return shift ? '"' : '\'';
    default:
        return 0;
    }
}

// Queues what the key makes for the program's own foreground window, as the system's input
// queue would: the key message, then for a press its character.
void DeliverKey(BYTE vk, BYTE scan, DWORD flags, bool wasDown) {
    auto& d = TheDesktop();
    const auto* w = FindDesktopWindow(d.foreground);
    if (w == nullptr || !w->own)
        return;
    const bool up = (flags & KEYEVENTF_KEYUP) != 0;
    const bool alt = AltDown() || (up && IsAltKey(vk));
    const bool sys = (alt && !ControlDown()) || vk == VK_F10;
    LPARAM lParam = 1 | (static_cast<LPARAM>(scan) << 16);
    if (flags & KEYEVENTF_EXTENDEDKEY)
        lParam |= LPARAM{1} << 24;
    if (alt)
        lParam |= LPARAM{1} << 29;
    if (up || wasDown)
        lParam |= LPARAM{1} << 30;
    if (up)
        lParam |= static_cast<LPARAM>(0x80000000u);
    const UINT message = up ? (sys ? WM_SYSKEYUP : WM_KEYUP) : (sys ? WM_SYSKEYDOWN : WM_KEYDOWN);
    auto& queue = d.queues[w->threadId];
    const DWORD now = GetTickCount();
    queue.push_back(MSG{w->handle, message, vk, lParam, now, d.cursor});
    if (up)
        return;
    if (const char c = KeyCharacter(vk, ShiftDown(), ControlDown() && !AltDown()); c != 0)
        queue.push_back(MSG{w->handle, sys ? UINT{WM_SYSCHAR} : UINT{WM_CHAR},
                            static_cast<unsigned char>(c), lParam, now, d.cursor});
}

// Wide enough for a position plus any movement: the sum never overflows before the clamp.
POINT ClampToScreen(long long x, long long y) {
    const auto& d = TheDesktop();
    return POINT{static_cast<LONG>(std::clamp<long long>(x, 0, d.screenWidth - 1)),
                 static_cast<LONG>(std::clamp<long long>(y, 0, d.screenHeight - 1))};
}

} // namespace

void WINAPI keybd_event(BYTE bVk, BYTE bScan, DWORD dwFlags, ULONG_PTR dwExtraInfo) {
    (void)dwExtraInfo;
    std::lock_guard lock(DesktopMutex());
    auto& d = TheDesktop();
    win32sim::InputEvent e;
    e.kind = win32sim::InputEvent::Kind::Key;
    e.vk = bVk;
    e.scan = bScan;
    e.flags = dwFlags;
    e.cursor = d.cursor;
    e.foreground = d.foreground;
    d.input.push_back(e);
    const bool wasDown = d.keyDown[bVk];
    d.keyDown[bVk] = (dwFlags & KEYEVENTF_KEYUP) == 0;
    DeliverKey(bVk, bScan, dwFlags, wasDown);
}

void WINAPI mouse_event(DWORD dwFlags, DWORD dx, DWORD dy, DWORD dwData, ULONG_PTR dwExtraInfo) {
    (void)dwExtraInfo;
    std::lock_guard lock(DesktopMutex());
    auto& d = TheDesktop();
    win32sim::InputEvent e;
    e.kind = win32sim::InputEvent::Kind::Mouse;
    e.flags = dwFlags;
    // The movement is signed, passed in unsigned words.
    e.dx = static_cast<LONG>(dx);
    e.dy = static_cast<LONG>(dy);
    e.data = dwData;
    if (dwFlags & MOUSEEVENTF_MOVE)
        d.cursor = ClampToScreen(static_cast<long long>(d.cursor.x) + e.dx,
                                 static_cast<long long>(d.cursor.y) + e.dy);
    e.cursor = d.cursor;
    e.foreground = d.foreground;
    d.input.push_back(e);
}

BOOL WINAPI SetCursorPos(int X, int Y) {
    std::lock_guard lock(DesktopMutex());
    auto& d = TheDesktop();
    d.cursor = ClampToScreen(X, Y);
    win32sim::InputEvent e;
    e.kind = win32sim::InputEvent::Kind::CursorPos;
    e.cursor = d.cursor;
    e.foreground = d.foreground;
    d.input.push_back(e);
    return TRUE;
}

namespace win32sim {

std::vector<InputEvent> InputLog() {
    std::lock_guard lock(detail::DesktopMutex());
    return detail::TheDesktop().input;
}

} // namespace win32sim
