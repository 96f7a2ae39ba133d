// The simulated desktop: top-level windows in z-order, the foreground window and the screen.
#include "desktop_state.h"
#include "sim_state.h"
#include "win32sim/regions.h"

#include "cp1251.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace win32sim::detail {
namespace {

constexpr std::uintptr_t kFirstHandle = 0x00010010;
constexpr int kDefaultScreenWidth = 1024;
constexpr int kDefaultScreenHeight = 768;

Desktop desktop;

void ResetDesktopLocked() {
    desktop = Desktop{};
    desktop.nextHandle = kFirstHandle;
    desktop.screenWidth = kDefaultScreenWidth;
    desktop.screenHeight = kDefaultScreenHeight;
    desktop.cursor = {kDefaultScreenWidth / 2, kDefaultScreenHeight / 2};
}

// Initialised before any test resets the machine.
const bool initialised = (ResetDesktopLocked(), true);

std::vector<std::shared_ptr<DesktopWindow>>::iterator Position(HWND window) {
    return std::find_if(desktop.windows.begin(), desktop.windows.end(),
                        [&](const auto& w) { return w->handle == window; });
}

// Puts the window in front of its band: topmost windows before all others.
void BringToFront(HWND window) {
    const auto it = Position(window);
    if (it == desktop.windows.end())
        return;
    auto moved = *it;
    desktop.windows.erase(it);
    auto at = desktop.windows.begin();
    if (!moved->topmost)
        at = std::find_if(desktop.windows.begin(), desktop.windows.end(),
                          [](const auto& w) { return !w->topmost; });
    desktop.windows.insert(at, std::move(moved));
}

// The window that takes the foreground when the foreground window goes away or hides: the
// frontmost visible one that may be activated.
HWND NextForeground(HWND leaving) {
    for (const auto& w : desktop.windows)
        if (w->handle != leaving && w->visible && (w->exStyle & WS_EX_NOACTIVATE) == 0)
            return w->handle;
    return nullptr;
}

WindowInfo Describe(const DesktopWindow& w) {
    WindowInfo info;
    info.handle = w.handle;
    info.className = w.className;
    info.caption = w.caption;
    info.visible = w.visible;
    info.processId = w.processId;
    info.threadId = w.threadId;
    info.bounds = w.bounds;
    info.topmost = w.topmost;
    info.own = w.own;
    return info;
}

void RecordWindowEvent(const DesktopWindow& w, bool opened) {
    WindowEvent e;
    e.opened = opened;
    e.handle = w.handle;
    e.className = w.className;
    e.caption = w.caption;
    e.processId = w.processId;
    e.own = w.own;
    e.time = GetTickCount();
    desktop.windowEvents.push_back(std::move(e));
}

bool Contains(const DesktopWindow& w, POINT p) {
    if (p.x < w.bounds.left || p.x >= w.bounds.right || p.y < w.bounds.top ||
        p.y >= w.bounds.bottom)
        return false;
    // A window region is in window coordinates and cuts the window's shape.
    return w.region == nullptr || RegionContains(w.region, p.x - w.bounds.left, p.y - w.bounds.top);
}

} // namespace

std::recursive_mutex& DesktopMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

Desktop& TheDesktop() {
    (void)initialised;
    return desktop;
}

DesktopWindow* FindDesktopWindow(HWND window) {
    if (window == nullptr)
        return nullptr;
    const auto it = Position(window);
    return it == desktop.windows.end() ? nullptr : it->get();
}

ActivationChange SetForegroundLocked(HWND window) {
    ActivationChange change;
    change.from = desktop.foreground;
    change.to = window;
    if (window != nullptr)
        BringToFront(window);
    if (change.from == change.to)
        return ActivationChange{};
    desktop.foreground = window;
    if (const auto* w = FindDesktopWindow(change.from); w != nullptr && w->own)
        change.fromProc = w->proc;
    if (const auto* w = FindDesktopWindow(change.to); w != nullptr && w->own)
        change.toProc = w->proc;
    return change;
}

void Announce(const ActivationChange& change) {
    // The program hears when one of its windows loses or gains the foreground, and when the
    // foreground passes between it and other programs.
    if (change.fromProc) {
        change.fromProc(change.from, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(change.to));
        if (!change.toProc)
            change.fromProc(change.from, WM_ACTIVATEAPP, FALSE, 0);
    }
    if (change.toProc) {
        if (!change.fromProc)
            change.toProc(change.to, WM_ACTIVATEAPP, TRUE, 0);
        change.toProc(change.to, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(change.from));
    }
}

std::pair<HWND, ActivationChange> AddWindowLocked(const WindowSpec& spec, DWORD processId,
                                                  DWORD threadId, bool own, WindowProc proc) {
    auto w = std::make_shared<DesktopWindow>();
    w->handle = reinterpret_cast<HWND>(desktop.nextHandle);
    desktop.nextHandle += 0x10;
    w->className = spec.className;
    w->caption = spec.caption;
    w->visible = spec.visible;
    w->bounds = spec.bounds;
    w->topmost = spec.topmost;
    w->processId = processId;
    w->threadId = threadId;
    w->own = own;
    w->proc = std::move(proc);
    const HWND handle = w->handle;
    RecordWindowEvent(*w, true);
    desktop.windows.insert(desktop.windows.begin(), std::move(w));
    BringToFront(handle);
    ActivationChange change;
    if (spec.activate)
        change = SetForegroundLocked(handle);
    return {handle, change};
}

ActivationChange RemoveWindowLocked(HWND window) {
    const auto it = Position(window);
    if (it == desktop.windows.end())
        return {};
    ActivationChange change;
    if (desktop.foreground == window) {
        // The window is gone before it hears of it; the next window is told it gained.
        change = SetForegroundLocked(NextForeground(window));
        change.fromProc = nullptr;
    }
    const auto gone = *it;
    RecordWindowEvent(*gone, false);
    desktop.windows.erase(Position(window));
    if (gone->region != nullptr)
        DeleteRegionLocked(gone->region);
    for (auto& [thread, queue] : desktop.queues)
        std::erase_if(queue, [&](const MSG& m) { return m.hwnd == window; });
    return change;
}

std::size_t WindowEventCountLocked() {
    return desktop.windowEvents.size();
}

void RestampWindowEventsLocked(std::size_t from, DWORD time) {
    for (std::size_t i = from; i < desktop.windowEvents.size(); ++i)
        desktop.windowEvents[i].time = time;
}

void ResetDesktop() {
    std::lock_guard lock(DesktopMutex());
    ResetDesktopLocked();
}

} // namespace win32sim::detail

using namespace win32sim::detail;

namespace win32sim {

HWND CreateOwnWindow(const WindowSpec& spec, WindowProc proc) {
    std::pair<HWND, ActivationChange> added;
    {
        std::lock_guard lock(DesktopMutex());
        added = AddWindowLocked(spec, kOwnProcessId, GetCurrentThreadId(), true, std::move(proc));
    }
    Announce(added.second);
    return added.first;
}

HWND CreateForeignWindow(const WindowSpec& spec, DWORD processId, DWORD threadId) {
    std::pair<HWND, ActivationChange> added;
    {
        std::lock_guard lock(DesktopMutex());
        added = AddWindowLocked(spec, processId, threadId, false, nullptr);
    }
    Announce(added.second);
    return added.first;
}

bool RemoveWindow(HWND window) {
    ActivationChange change;
    {
        std::lock_guard lock(DesktopMutex());
        if (FindDesktopWindow(window) == nullptr)
            return false;
        change = RemoveWindowLocked(window);
    }
    Announce(change);
    return true;
}

bool SetWindowCaption(HWND window, const std::string& caption) {
    std::lock_guard lock(DesktopMutex());
    auto* w = FindDesktopWindow(window);
    if (w == nullptr)
        return false;
    w->caption = caption;
    return true;
}

bool SetWindowBounds(HWND window, const RECT& bounds) {
    std::lock_guard lock(DesktopMutex());
    auto* w = FindDesktopWindow(window);
    if (w == nullptr)
        return false;
    w->bounds = bounds;
    return true;
}

bool SetWindowTopmost(HWND window, bool topmost) {
    std::lock_guard lock(DesktopMutex());
    auto* w = FindDesktopWindow(window);
    if (w == nullptr)
        return false;
    w->topmost = topmost;
    auto& list = TheDesktop().windows;
    const auto it =
        std::find_if(list.begin(), list.end(), [&](const auto& x) { return x->handle == window; });
    auto moved = *it;
    list.erase(it);
    // Joining the topmost band puts it at that band's front; leaving it, at the front of the rest.
    const auto at =
        std::find_if(list.begin(), list.end(), [](const auto& x) { return !x->topmost; });
    list.insert(topmost ? list.begin() : at, std::move(moved));
    return true;
}

void ClearForeground() {
    ActivationChange change;
    {
        std::lock_guard lock(DesktopMutex());
        change = SetForegroundLocked(nullptr);
    }
    Announce(change);
}

std::vector<WindowInfo> Windows() {
    std::lock_guard lock(DesktopMutex());
    std::vector<WindowInfo> result;
    for (const auto& w : TheDesktop().windows)
        result.push_back(Describe(*w));
    return result;
}

std::vector<WindowEvent> WindowEvents() {
    std::lock_guard lock(DesktopMutex());
    return TheDesktop().windowEvents;
}

std::optional<WindowInfo> Window(HWND window) {
    std::lock_guard lock(DesktopMutex());
    const auto* w = FindDesktopWindow(window);
    if (w == nullptr)
        return std::nullopt;
    return Describe(*w);
}

void SetScreenSize(int width, int height) {
    std::lock_guard lock(DesktopMutex());
    auto& d = TheDesktop();
    d.screenWidth = std::max(width, 1);
    d.screenHeight = std::max(height, 1);
    d.cursor.x = std::min<LONG>(d.cursor.x, d.screenWidth - 1);
    d.cursor.y = std::min<LONG>(d.cursor.y, d.screenHeight - 1);
}

int ScreenWidth() {
    std::lock_guard lock(DesktopMutex());
    return TheDesktop().screenWidth;
}

int ScreenHeight() {
    std::lock_guard lock(DesktopMutex());
    return TheDesktop().screenHeight;
}

} // namespace win32sim

// ---- user32: windows

HWND WINAPI GetForegroundWindow(void) {
    std::lock_guard lock(DesktopMutex());
    return TheDesktop().foreground;
}

// No foreground lock: any program may take the foreground.
BOOL WINAPI SetForegroundWindow(HWND hWnd) {
    ActivationChange change;
    {
        std::lock_guard lock(DesktopMutex());
        if (FindDesktopWindow(hWnd) == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        change = SetForegroundLocked(hWnd);
    }
    Announce(change);
    return TRUE;
}

// Only the calling thread's own window, when it is the one in front.
HWND WINAPI GetActiveWindow(void) {
    std::lock_guard lock(DesktopMutex());
    const auto* w = FindDesktopWindow(TheDesktop().foreground);
    if (w == nullptr || !w->own || w->threadId != GetCurrentThreadId())
        return nullptr;
    return w->handle;
}

int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
    // No room at all: nothing is written and the last error stays.
    if (nMaxCount <= 0)
        return 0;
    std::lock_guard lock(DesktopMutex());
    const auto* w = FindDesktopWindow(hWnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (lpClassName == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return 0;
    }
    const std::size_t n = std::min(w->className.size(), static_cast<std::size_t>(nMaxCount) - 1);
    std::memcpy(lpClassName, w->className.data(), n);
    lpClassName[n] = '\0';
    return static_cast<int>(n);
}

namespace {

// Calls the callback on each window of the snapshot still open; FALSE when the callback stopped.
BOOL Enumerate(const std::vector<HWND>& windows, WNDENUMPROC proc, LPARAM lParam) {
    for (const HWND w : windows) {
        if (!IsWindow(w))
            continue;
        if (!proc(w, lParam))
            return FALSE;
    }
    return TRUE;
}

std::vector<HWND> Snapshot(bool oneThread, DWORD threadId) {
    std::lock_guard lock(DesktopMutex());
    std::vector<HWND> result;
    for (const auto& w : TheDesktop().windows)
        if (!oneThread || w->threadId == threadId)
            result.push_back(w->handle);
    return result;
}

} // namespace

BOOL WINAPI EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam) {
    if (lpEnumFunc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Enumerate(Snapshot(false, 0), lpEnumFunc, lParam);
}

// FALSE also when the thread has no window.
BOOL WINAPI EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC lpfn, LPARAM lParam) {
    if (lpfn == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto windows = Snapshot(true, dwThreadId);
    if (windows.empty())
        return FALSE;
    return Enumerate(windows, lpfn, lParam);
}

// Class names and captions both compare whole and without regard to case, as Windows does.
HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
    std::lock_guard lock(DesktopMutex());
    for (const auto& w : TheDesktop().windows) {
        if (lpClassName != nullptr && !cp1251::EqualNoCase(w->className, lpClassName))
            continue;
        if (lpWindowName != nullptr && !cp1251::EqualNoCase(w->caption, lpWindowName))
            continue;
        return w->handle;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

BOOL WINAPI IsWindow(HWND hWnd) {
    std::lock_guard lock(DesktopMutex());
    return FindDesktopWindow(hWnd) != nullptr;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
    std::lock_guard lock(DesktopMutex());
    const auto* w = FindDesktopWindow(hWnd);
    return w != nullptr && w->visible;
}

// Returns whether the window was visible before.
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    ActivationChange change;
    BOOL wasVisible;
    {
        std::lock_guard lock(DesktopMutex());
        auto* w = FindDesktopWindow(hWnd);
        if (w == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (nCmdShow < SW_HIDE || nCmdShow > SW_FORCEMINIMIZE) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        wasVisible = w->visible;
        auto& d = TheDesktop();
        if (nCmdShow == SW_HIDE) {
            w->visible = false;
            if (d.foreground == hWnd)
                change = SetForegroundLocked(NextForeground(hWnd));
        } else {
            w->visible = true;
            const bool activates = nCmdShow != SW_SHOWNA && nCmdShow != SW_SHOWNOACTIVATE &&
                                   nCmdShow != SW_SHOWMINNOACTIVE && nCmdShow != SW_MINIMIZE &&
                                   nCmdShow != SW_FORCEMINIMIZE;
            if (activates)
                change = SetForegroundLocked(hWnd);
        }
    }
    Announce(change);
    return wasVisible;
}

HWND WINAPI WindowFromPoint(POINT Point) {
    std::lock_guard lock(DesktopMutex());
    for (const auto& w : TheDesktop().windows)
        if (w->visible && Contains(*w, Point))
            return w->handle;
    return nullptr;
}

BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
    if (lpPoint == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    std::lock_guard lock(DesktopMutex());
    *lpPoint = TheDesktop().cursor;
    return TRUE;
}

DWORD WINAPI GetCurrentProcessId(void) {
    return kOwnProcessId;
}

namespace {
std::atomic<DWORD> nextThreadId{0x1000};
}

// Host threads are numbered apart from the simulated programs' threads.
DWORD WINAPI GetCurrentThreadId(void) {
    thread_local const DWORD id = nextThreadId.fetch_add(4);
    return id;
}
