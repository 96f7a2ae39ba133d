// Private to the host simulation: the desktop's window table, queues and logs, under one lock.
#pragma once

#include "win32sim/desktop.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace win32sim::detail {

// The running program's own process id.
inline constexpr DWORD kOwnProcessId = 0x3E8;

struct DesktopWindow {
    HWND handle = nullptr;
    std::string className;
    std::string caption;
    bool visible = false;
    RECT bounds{};
    bool topmost = false;
    DWORD processId = 0;
    DWORD threadId = 0;
    bool own = false;
    WindowProc proc;
    LONG exStyle = 0;
    std::optional<LayeredAttributes> layered;
    HRGN region = nullptr;
};

struct Desktop {
    std::vector<std::shared_ptr<DesktopWindow>> windows; // front to back
    HWND foreground = nullptr;
    std::uintptr_t nextHandle = 0;
    int screenWidth = 0;
    int screenHeight = 0;
    POINT cursor{};
    std::vector<MessageRecord> messages;
    std::map<std::pair<HWND, UINT>, LRESULT> results;
    std::vector<DropRecord> drops;
    std::map<DWORD, std::deque<MSG>> queues; // posted messages by thread id
    std::vector<InputEvent> input;
    std::array<bool, 256> keyDown{};
    std::vector<WindowEvent> windowEvents;
};

// The one lock of the desktop, its regions and the simulated processes. Window procedures are
// never called while it is held.
std::recursive_mutex& DesktopMutex();
// The desktop; the caller holds DesktopMutex.
Desktop& TheDesktop();
DesktopWindow* FindDesktopWindow(HWND window);

// A change of the foreground window, made under the lock and announced to the running program's
// windows after it is released.
struct ActivationChange {
    HWND from = nullptr;
    HWND to = nullptr;
    WindowProc fromProc; // set when `from` is the program's own window
    WindowProc toProc;   // set when `to` is the program's own window
};
ActivationChange SetForegroundLocked(HWND window);
void Announce(const ActivationChange& change);

// Adds a window in front of its band; the caller announces the returned change (if activated).
std::pair<HWND, ActivationChange> AddWindowLocked(const WindowSpec& spec, DWORD processId,
                                                  DWORD threadId, bool own, WindowProc proc);
// Removes a window and what belongs to it; the caller announces the change.
ActivationChange RemoveWindowLocked(HWND window);
// The window events recorded so far, and a new time for those from the index on: a program
// of another host process opened or closed them at its own moment, before they were mirrored.
std::size_t WindowEventCountLocked();
void RestampWindowEventsLocked(std::size_t from, DWORD time);
// Deletes a region the desktop owns (a window's region); under the lock.
void DeleteRegionLocked(HRGN region);

// Global memory for the drop protocol: the block behind a handle, and freeing it.
struct GlobalBlockView {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};
GlobalBlockView GlobalBlock(HANDLE memory);

} // namespace win32sim::detail
