// The simulated desktop: window table, z-order, foreground, enumeration and lookups.
#include "sim_fixture.h"
#include "win32sim/desktop.h"

#include <windows.h>

#include <cstring>
#include <functional>
#include <thread>
#include <vector>

namespace {

using win32sim::WindowSpec;

HWND const kBogus = reinterpret_cast<HWND>(0x7777);

WindowSpec Spec(const char* cls, const char* caption, bool visible = true,
                RECT bounds = {0, 0, 100, 100}) {
    WindowSpec s;
    s.className = cls;
    s.caption = caption;
    s.visible = visible;
    s.bounds = bounds;
    return s;
}

std::vector<HWND> Order() {
    std::vector<HWND> result;
    for (const auto& w : win32sim::Windows())
        result.push_back(w.handle);
    return result;
}

BOOL CALLBACK Collect(HWND w, LPARAM p) {
    reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
    return TRUE;
}

struct StopAfter {
    std::vector<HWND> seen;
    std::size_t limit = 1;
};

BOOL CALLBACK CollectUntil(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<StopAfter*>(p);
    s->seen.push_back(w);
    return s->seen.size() < s->limit;
}

class DesktopTest : public SimMachineTest {};

TEST_F(DesktopTest, NewWindowsAppearInFrontOfTheirBand) {
    const HWND a = win32sim::CreateForeignWindow(Spec("A", "a"), 10, 11);
    WindowSpec top = Spec("Top", "t");
    top.topmost = true;
    const HWND t = win32sim::CreateOwnWindow(top, nullptr);
    const HWND b = win32sim::CreateForeignWindow(Spec("B", "b", false), 10, 11);
    EXPECT_EQ(Order(), (std::vector<HWND>{t, b, a}));

    // Bringing a window forward keeps it behind the topmost band.
    ASSERT_TRUE(SetForegroundWindow(a));
    EXPECT_EQ(Order(), (std::vector<HWND>{t, a, b}));
    ASSERT_TRUE(win32sim::SetWindowTopmost(t, false));
    EXPECT_EQ(Order(), (std::vector<HWND>{t, a, b}));
    ASSERT_TRUE(win32sim::SetWindowTopmost(b, true));
    EXPECT_EQ(Order(), (std::vector<HWND>{b, t, a}));

    const auto info = win32sim::Window(t);
    ASSERT_TRUE(info.has_value());
    EXPECT_TRUE(info->own);
    EXPECT_EQ(info->processId, GetCurrentProcessId());
    EXPECT_EQ(info->threadId, GetCurrentThreadId());
    EXPECT_EQ(win32sim::Window(a)->processId, 10u);
    EXPECT_FALSE(win32sim::Window(a)->own);
}

TEST_F(DesktopTest, ForegroundAndActiveWindow) {
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    const HWND own = win32sim::CreateOwnWindow(Spec("TFInfo", ""), nullptr);
    const HWND foreign = win32sim::CreateForeignWindow(Spec("Winamp v1.x", "Winamp"), 20, 21);
    EXPECT_EQ(GetForegroundWindow(), nullptr); // appearing does not activate unless asked

    ASSERT_TRUE(SetForegroundWindow(foreign));
    EXPECT_EQ(GetForegroundWindow(), foreign);
    EXPECT_EQ(GetActiveWindow(), nullptr); // never another process's window

    ASSERT_TRUE(SetForegroundWindow(own));
    EXPECT_EQ(GetActiveWindow(), own);
    HWND seenFromOtherThread = kBogus;
    std::thread([&] { seenFromOtherThread = GetActiveWindow(); }).join();
    EXPECT_EQ(seenFromOtherThread, nullptr);

    win32sim::ClearForeground();
    EXPECT_EQ(GetForegroundWindow(), nullptr);

    SetLastError(0);
    EXPECT_FALSE(SetForegroundWindow(kBogus));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(SetForegroundWindow(nullptr));

    WindowSpec activating = Spec("Dlg", "d");
    activating.activate = true;
    const HWND d = win32sim::CreateForeignWindow(activating, 20, 21);
    EXPECT_EQ(GetForegroundWindow(), d);
    // When the foreground window goes, the frontmost visible one takes its place.
    ASSERT_TRUE(win32sim::RemoveWindow(d));
    EXPECT_EQ(GetForegroundWindow(), own);
    EXPECT_FALSE(win32sim::RemoveWindow(d));
}

TEST_F(DesktopTest, OwnWindowsHearActivation) {
    std::vector<std::pair<UINT, WPARAM>> heard;
    const HWND own =
        win32sim::CreateOwnWindow(Spec("TFList", ""), [&](HWND, UINT m, WPARAM w, LPARAM) {
            heard.push_back({m, w});
            return LRESULT{0};
        });
    const HWND foreign = win32sim::CreateForeignWindow(Spec("Notepad", "n"), 20, 21);
    ASSERT_TRUE(SetForegroundWindow(own));
    ASSERT_TRUE(SetForegroundWindow(own)); // already in front: nothing new
    ASSERT_TRUE(SetForegroundWindow(foreign));
    const std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_ACTIVATEAPP, TRUE},
        {WM_ACTIVATE, WA_ACTIVE},
        {WM_ACTIVATE, WA_INACTIVE},
        {WM_ACTIVATEAPP, FALSE},
    };
    EXPECT_EQ(heard, expected);
}

TEST_F(DesktopTest, GetClassNameTruncatesToTheBuffer) {
    const HWND w = win32sim::CreateForeignWindow(Spec("MediaPlayerClass", ""), 1, 2);
    const struct {
        int size;
        int result;
        const char* text;
    } cases[] = {{99, 16, "MediaPlayerClass"},
                 {17, 16, "MediaPlayerClass"},
                 {16, 15, "MediaPlayerClas"},
                 {6, 5, "Media"},
                 {1, 0, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        char buffer[100];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(GetClassNameA(w, buffer, c.size), c.result);
        EXPECT_STREQ(buffer, c.text);
        EXPECT_EQ(buffer[c.size], 'x'); // nothing past the buffer
    }
    const struct {
        HWND window;
        int size;
        DWORD error;
    } failures[] = {{kBogus, 10, ERROR_INVALID_WINDOW_HANDLE},
                    {nullptr, 10, ERROR_INVALID_WINDOW_HANDLE},
                    {w, 0, ERROR_SUCCESS}, // no room: the last error stays
                    {w, -1, ERROR_SUCCESS}};
    for (const auto& f : failures) {
        SCOPED_TRACE(f.size);
        char buffer[4] = "abc";
        SetLastError(0);
        EXPECT_EQ(GetClassNameA(f.window, buffer, f.size), 0);
        EXPECT_EQ(GetLastError(), f.error);
        EXPECT_STREQ(buffer, "abc");
    }
}

TEST_F(DesktopTest, EnumWindowsGoesFrontToBackOverEveryWindow) {
    const HWND a = win32sim::CreateForeignWindow(Spec("A", "", false), 1, 2);
    const HWND b = win32sim::CreateOwnWindow(Spec("B", ""), nullptr);
    const HWND c = win32sim::CreateForeignWindow(Spec("C", ""), 3, 4);
    std::vector<HWND> seen;
    EXPECT_TRUE(EnumWindows(&Collect, reinterpret_cast<LPARAM>(&seen)));
    EXPECT_EQ(seen, (std::vector<HWND>{c, b, a}));

    StopAfter stop;
    stop.limit = 2;
    EXPECT_FALSE(EnumWindows(&CollectUntil, reinterpret_cast<LPARAM>(&stop)));
    EXPECT_EQ(stop.seen, (std::vector<HWND>{c, b}));
}

TEST_F(DesktopTest, EnumThreadWindowsVisitsOneThread) {
    const HWND a1 = win32sim::CreateForeignWindow(Spec("#32770", "", true), 5, 6);
    win32sim::CreateForeignWindow(Spec("Other", ""), 5, 7);
    const HWND a2 = win32sim::CreateForeignWindow(Spec("Main", "", false), 5, 6);

    std::vector<HWND> seen;
    EXPECT_TRUE(EnumThreadWindows(6, &Collect, reinterpret_cast<LPARAM>(&seen)));
    EXPECT_EQ(seen, (std::vector<HWND>{a2, a1}));

    StopAfter stop;
    EXPECT_FALSE(EnumThreadWindows(6, &CollectUntil, reinterpret_cast<LPARAM>(&stop)));
    EXPECT_EQ(stop.seen, (std::vector<HWND>{a2}));

    seen.clear();
    EXPECT_FALSE(EnumThreadWindows(99, &Collect, reinterpret_cast<LPARAM>(&seen)));
    EXPECT_TRUE(seen.empty());
}

TEST_F(DesktopTest, FindWindowByClassAndCaption) {
    const HWND hidden = win32sim::CreateForeignWindow(Spec("TFSetup", "Setup", false), 1, 2);
    const HWND front = win32sim::CreateForeignWindow(Spec("TFSetup", "Other"), 1, 2);
    const HWND player = win32sim::CreateForeignWindow(Spec("Player", "Song"), 3, 4);
    const struct {
        const char* cls;
        const char* caption;
        HWND expected;
    } cases[] = {
        {"TFSetup", nullptr, front},  {"tfsetup", nullptr, front},  {"TFSetup", "Setup", hidden},
        {"TFSetup", "setup", hidden}, {"TFSetup", "Set", nullptr},  {nullptr, "Song", player},
        {"Player", "Setup", nullptr}, {"TFSetu", nullptr, nullptr}, {nullptr, nullptr, player},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.cls ? c.cls : "(null)") + "/" +
                     (c.caption ? c.caption : "(null)"));
        EXPECT_EQ(FindWindowA(c.cls, c.caption), c.expected);
    }
}

TEST_F(DesktopTest, AWindowThatGoesPassesTheForegroundOverNoActivateWindows) {
    const HWND user = win32sim::CreateForeignWindow(Spec("Winamp v1.x", "Winamp"), 20, 21);
    WindowSpec onTop = Spec("TFTime", "");
    onTop.topmost = true;
    const HWND clock = win32sim::CreateOwnWindow(onTop, nullptr);
    SetWindowLongA(clock, GWL_EXSTYLE, GetWindowLongA(clock, GWL_EXSTYLE) | WS_EX_NOACTIVATE);
    const std::function<void(HWND)> leaves[] = {[](HWND w) { ShowWindow(w, SW_HIDE); },
                                                [](HWND w) { win32sim::RemoveWindow(w); }};
    for (const auto& leave : leaves) {
        const HWND dialog = win32sim::CreateOwnWindow(Spec("TFConfig", ""), nullptr);
        ASSERT_TRUE(SetForegroundWindow(dialog));
        leave(dialog);
        EXPECT_EQ(GetForegroundWindow(), user) << "the topmost clock in front never takes it";
        EXPECT_TRUE(IsWindowVisible(clock));
    }
    // Without the style the frontmost visible window takes it, as before.
    SetWindowLongA(clock, GWL_EXSTYLE, GetWindowLongA(clock, GWL_EXSTYLE) & ~WS_EX_NOACTIVATE);
    const HWND dialog = win32sim::CreateOwnWindow(Spec("TFConfig", ""), nullptr);
    ASSERT_TRUE(SetForegroundWindow(dialog));
    ShowWindow(dialog, SW_HIDE);
    EXPECT_EQ(GetForegroundWindow(), clock);
}

TEST_F(DesktopTest, VisibilityAndShowWindow) {
    const HWND w = win32sim::CreateOwnWindow(Spec("TApplication", "Tavrin RC"), nullptr);
    const HWND other = win32sim::CreateForeignWindow(Spec("Other", ""), 1, 2);
    ASSERT_TRUE(SetForegroundWindow(w));
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_TRUE(ShowWindow(w, SW_HIDE)); // it was visible
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(GetForegroundWindow(), other); // hiding gives the foreground away
    EXPECT_FALSE(ShowWindow(w, SW_SHOWNA));
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(GetForegroundWindow(), other);
    EXPECT_TRUE(ShowWindow(w, SW_SHOW));
    EXPECT_EQ(GetForegroundWindow(), w);

    SetLastError(0);
    EXPECT_FALSE(ShowWindow(kBogus, SW_SHOW));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(IsWindowVisible(kBogus));
    EXPECT_FALSE(IsWindowVisible(nullptr));
    EXPECT_TRUE(IsWindow(w));
    EXPECT_FALSE(IsWindow(kBogus));
    ASSERT_TRUE(win32sim::RemoveWindow(w));
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(DesktopTest, WindowFromPointFindsTheFrontmostVisibleWindow) {
    const HWND back = win32sim::CreateForeignWindow(Spec("Back", "", true, {0, 0, 500, 500}), 1, 2);
    const HWND hidden =
        win32sim::CreateForeignWindow(Spec("Hidden", "", false, {0, 0, 300, 300}), 1, 2);
    const HWND front =
        win32sim::CreateForeignWindow(Spec("Front", "", true, {100, 100, 200, 200}), 1, 2);
    (void)hidden;
    const struct {
        POINT p;
        HWND expected;
    } cases[] = {{{150, 150}, front}, {{100, 100}, front}, {{200, 200}, back},
                 {{50, 50}, back},    {{499, 0}, back},    {{500, 10}, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y);
        EXPECT_EQ(WindowFromPoint(c.p), c.expected);
    }
}

TEST_F(DesktopTest, CursorStaysOnTheScreen) {
    POINT p{-1, -1};
    ASSERT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.x, 512);
    EXPECT_EQ(p.y, 384);
    win32sim::SetScreenSize(800, 600);
    const struct {
        int x, y;
        LONG ex, ey;
    } cases[] = {{10, 20, 10, 20}, {-5, 700, 0, 599}, {900, -1, 799, 0}, {799, 599, 799, 599}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_TRUE(SetCursorPos(c.x, c.y));
        ASSERT_TRUE(GetCursorPos(&p));
        EXPECT_EQ(p.x, c.ex);
        EXPECT_EQ(p.y, c.ey);
    }
    SetLastError(0);
    EXPECT_FALSE(GetCursorPos(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOACCESS));
}

TEST_F(DesktopTest, ResetGivesAnEmptyDesktop) {
    const HWND w = win32sim::CreateOwnWindow(Spec("A", ""), nullptr);
    ASSERT_TRUE(SetForegroundWindow(w));
    win32sim::SetScreenSize(640, 480);
    win32sim::ResetMachine();
    EXPECT_TRUE(win32sim::Windows().empty());
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_EQ(win32sim::ScreenWidth(), 1024);
    EXPECT_EQ(win32sim::ScreenHeight(), 768);
    EXPECT_FALSE(IsWindow(w));
}

} // namespace
