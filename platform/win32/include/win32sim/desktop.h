// Control interface of the simulated desktop: windows, messages, input and the screen (not Win32).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace win32sim {

// The window procedure of a window the running program created (the toolkit's forms).
using WindowProc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

struct WindowSpec {
    std::string className; // CP1251, as every text here
    std::string caption;
    bool visible = true;
    RECT bounds{0, 0, 100, 100}; // screen coordinates, right and bottom exclusive
    bool topmost = false;        // stays in front of every window that is not topmost
    bool activate = false;       // becomes the foreground window when it appears
};

// A top-level window of the running program on the calling thread; it appears in front.
HWND CreateOwnWindow(const WindowSpec& spec, WindowProc proc);
// A top-level window of another (simulated) process; messages to it are logged.
HWND CreateForeignWindow(const WindowSpec& spec, DWORD processId, DWORD threadId);
// Destroys a window (its region with it); false when there is no such window.
bool RemoveWindow(HWND window);
bool SetWindowCaption(HWND window, const std::string& caption);
bool SetWindowBounds(HWND window, const RECT& bounds);
bool SetWindowTopmost(HWND window, bool topmost);
// No window in the foreground, as when the user clicked the bare desktop.
void ClearForeground();

struct WindowInfo {
    HWND handle = nullptr;
    std::string className;
    std::string caption;
    bool visible = false;
    DWORD processId = 0;
    DWORD threadId = 0;
    RECT bounds{};
    bool topmost = false;
    bool own = false; // created by the running program
};
// Every top-level window, front to back.
std::vector<WindowInfo> Windows();
std::optional<WindowInfo> Window(HWND window);

// Every top-level window that appeared or went since the machine was reset, in order: also the
// windows of a program that came and went while the running program waited.
struct WindowEvent {
    bool opened = false; // false: it went
    HWND handle = nullptr;
    std::string className;
    std::string caption; // when it appeared or went
    DWORD processId = 0;
    bool own = false;
    DWORD time = 0; // the tick count
};
std::vector<WindowEvent> WindowEvents();

struct LayeredAttributes {
    COLORREF colorKey = 0;
    BYTE alpha = 0;
    DWORD flags = 0; // LWA_COLORKEY, LWA_ALPHA
};
// What SetLayeredWindowAttributes last set; none when never set or WS_EX_LAYERED was removed.
std::optional<LayeredAttributes> WindowLayeredAttributes(HWND window);

// The screen, which bounds the cursor. 1024 x 768 at first, the cursor in its middle.
void SetScreenSize(int width, int height);
int ScreenWidth();
int ScreenHeight();

// Messages: what foreign windows received. A broadcast has the window HWND_BROADCAST.
struct MessageRecord {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool posted = false; // PostMessageA rather than SendMessageA
};
std::vector<MessageRecord> MessageLog();
// What SendMessageA returns for this message to this foreign window (0 until set).
void SetMessageResult(HWND window, UINT message, LRESULT result);

// A WM_DROPFILES block a foreign window received; the window released the memory.
struct DropRecord {
    HWND window = nullptr;
    bool wellFormed = false; // header complete and the list ended inside the block
    std::size_t blockSize = 0;
    DWORD pFiles = 0;
    POINT pt{};
    BOOL fNC = FALSE;
    BOOL fWide = FALSE;
    std::vector<std::string> files; // CP1251, converted back from UTF-16 when fWide
};
std::vector<DropRecord> Drops();

// The messages posted to the running program's windows, for its message loop: takes the oldest
// one of the calling thread's queue.
bool PeekPostedMessage(MSG& msg);
// Hands a posted message to its window's procedure; 0 when the window is gone.
LRESULT DispatchPostedMessage(const MSG& msg);

// Synthesised input in the order it was made: keybd_event, mouse_event and SetCursorPos.
struct InputEvent {
    enum class Kind { Key, Mouse, CursorPos };
    Kind kind = Kind::Key;
    BYTE vk = 0;               // Key
    BYTE scan = 0;             // Key
    DWORD flags = 0;           // Key: KEYEVENTF_..., Mouse: MOUSEEVENTF_...
    LONG dx = 0;               // Mouse
    LONG dy = 0;               // Mouse
    DWORD data = 0;            // Mouse: wheel movement
    POINT cursor{};            // the cursor after the event (SetCursorPos: where it was set)
    HWND foreground = nullptr; // the foreground window at that moment
};
std::vector<InputEvent> InputLog();

} // namespace win32sim
