// Synthesised input: the log in order, the cursor, and keys reaching the program's own window.
#include "sim_fixture.h"
#include "win32sim/desktop.h"

#include <windows.h>

#include <limits>
#include <vector>

namespace {

using win32sim::InputEvent;
using win32sim::WindowSpec;

struct Queued {
    UINT message;
    WPARAM wParam;
    bool operator==(const Queued&) const = default;
};

std::vector<Queued> Drain() {
    std::vector<Queued> out;
    MSG m;
    while (win32sim::PeekPostedMessage(m))
        out.push_back({m.message, m.wParam});
    return out;
}

class InputTest : public SimMachineTest {
protected:
    HWND Own() {
        WindowSpec s;
        s.className = "TFList";
        return win32sim::CreateOwnWindow(s, nullptr);
    }
    HWND Foreign() {
        WindowSpec s;
        s.className = "Player";
        return win32sim::CreateForeignWindow(s, 40, 41);
    }
};

TEST_F(InputTest, EventsAreLoggedInOrderWithTheForegroundOfTheMoment) {
    const HWND player = Foreign();
    keybd_event(VK_SPACE, 0, 0, 0);
    ASSERT_TRUE(SetForegroundWindow(player));
    keybd_event(VK_SPACE, 0x39, KEYEVENTF_KEYUP, 0);
    mouse_event(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(-240), 0);
    EXPECT_TRUE(SetCursorPos(10, 20));
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);

    const auto log = win32sim::InputLog();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0].kind, InputEvent::Kind::Key);
    EXPECT_EQ(log[0].vk, VK_SPACE);
    EXPECT_EQ(log[0].foreground, nullptr);
    EXPECT_EQ(log[1].scan, 0x39);
    EXPECT_EQ(log[1].flags, static_cast<DWORD>(KEYEVENTF_KEYUP));
    EXPECT_EQ(log[1].foreground, player);
    EXPECT_EQ(log[2].kind, InputEvent::Kind::Mouse);
    EXPECT_EQ(log[2].flags, static_cast<DWORD>(MOUSEEVENTF_WHEEL));
    EXPECT_EQ(static_cast<int>(log[2].data), -240);
    EXPECT_EQ(log[3].kind, InputEvent::Kind::CursorPos);
    EXPECT_EQ(log[3].cursor.x, 10);
    EXPECT_EQ(log[3].cursor.y, 20);
    EXPECT_EQ(log[4].flags, static_cast<DWORD>(MOUSEEVENTF_LEFTDOWN));
    EXPECT_EQ(log[4].cursor.x, 10);
    EXPECT_TRUE(Drain().empty()); // a foreign window's input is only logged
}

TEST_F(InputTest, MouseMovesAreRelativeAndStayOnTheScreen) {
    constexpr int kMost = std::numeric_limits<int>::max();
    constexpr int kLeast = std::numeric_limits<int>::min();
    ASSERT_TRUE(SetCursorPos(100, 100));
    const struct {
        int dx, dy;
        LONG x, y;
    } cases[] = {{5, -7, 105, 93},
                 {-200, 0, 0, 93},
                 {5000, 5000, 1023, 767},
                 {0, 0, 1023, 767},
                 // The largest movements stop at the edge: no sum wraps past the far side.
                 {kMost, kMost, 1023, 767},
                 {kLeast, kLeast, 0, 0},
                 {kMost, kLeast, 1023, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        mouse_event(MOUSEEVENTF_MOVE, static_cast<DWORD>(c.dx), static_cast<DWORD>(c.dy), 0, 0);
        POINT p{};
        ASSERT_TRUE(GetCursorPos(&p));
        EXPECT_EQ(p.x, c.x);
        EXPECT_EQ(p.y, c.y);
        const auto last = win32sim::InputLog().back();
        EXPECT_EQ(last.dx, c.dx);
        EXPECT_EQ(last.dy, c.dy);
        EXPECT_EQ(last.cursor.x, c.x);
    }
    // Buttons alone do not move the cursor.
    mouse_event(MOUSEEVENTF_RIGHTDOWN, 50, 50, 0, 0);
    POINT p{};
    ASSERT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.x, 1023);
}

TEST_F(InputTest, KeysForTheOwnForegroundWindowBecomeMessages) {
    const HWND own = Own();
    ASSERT_TRUE(SetForegroundWindow(own));
    Drain();
    const struct {
        const char* label;
        std::vector<std::pair<BYTE, DWORD>> keys;
        std::vector<Queued> expected;
    } cases[] = {
        {"arrow", {{VK_UP, 0}, {VK_UP, KEYEVENTF_KEYUP}}, {{WM_KEYDOWN, VK_UP}, {WM_KEYUP, VK_UP}}},
        {"digit", {{'7', 0}}, {{WM_KEYDOWN, '7'}, {WM_CHAR, '7'}}},
        {"letter", {{'A', 0}}, {{WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'}}},
        {"shifted letter",
         {{VK_SHIFT, 0}, {'A', 0}, {VK_SHIFT, KEYEVENTF_KEYUP}},
         {{WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, 'A'}, {WM_CHAR, 'A'}, {WM_KEYUP, VK_SHIFT}}},
        {"return", {{VK_RETURN, 0}}, {{WM_KEYDOWN, VK_RETURN}, {WM_CHAR, '\r'}}},
        {"escape", {{VK_ESCAPE, 0}}, {{WM_KEYDOWN, VK_ESCAPE}, {WM_CHAR, 0x1B}}},
        {"backspace", {{VK_BACK, 0}}, {{WM_KEYDOWN, VK_BACK}, {WM_CHAR, '\b'}}},
        {"numpad", {{VK_NUMPAD0 + 3, 0}}, {{WM_KEYDOWN, VK_NUMPAD0 + 3}, {WM_CHAR, '3'}}},
        {"alt f4",
         {{VK_MENU, 0}, {VK_F4, 0}, {VK_F4, KEYEVENTF_KEYUP}, {VK_MENU, KEYEVENTF_KEYUP}},
         {{WM_SYSKEYDOWN, VK_MENU},
          {WM_SYSKEYDOWN, VK_F4},
          {WM_SYSKEYUP, VK_F4},
          {WM_SYSKEYUP, VK_MENU}}},
        {"alt letter",
         {{VK_MENU, 0}, {'X', 0}, {VK_MENU, KEYEVENTF_KEYUP}},
         {{WM_SYSKEYDOWN, VK_MENU},
          {WM_SYSKEYDOWN, 'X'},
          {WM_SYSCHAR, 'x'},
          {WM_SYSKEYUP, VK_MENU}}},
        {"control letter",
         {{VK_CONTROL, 0}, {'C', 0}, {VK_CONTROL, KEYEVENTF_KEYUP}},
         {{WM_KEYDOWN, VK_CONTROL}, {WM_KEYDOWN, 'C'}, {WM_CHAR, 3}, {WM_KEYUP, VK_CONTROL}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        for (const auto& [vk, flags] : c.keys)
            keybd_event(vk, 0, flags, 0);
        EXPECT_EQ(Drain(), c.expected);
    }
}

TEST_F(InputTest, KeyMessagesCarryTheKeyState) {
    const HWND own = Own();
    ASSERT_TRUE(SetForegroundWindow(own));
    Drain();
    keybd_event(VK_DOWN, 0x50, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(VK_DOWN, 0x50, KEYEVENTF_EXTENDEDKEY, 0); // held: repeats
    keybd_event(VK_DOWN, 0x50, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    std::vector<MSG> got;
    MSG m;
    while (win32sim::PeekPostedMessage(m))
        got.push_back(m);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].hwnd, own);
    const auto bits = [](const MSG& msg) { return static_cast<std::uint32_t>(msg.lParam); };
    EXPECT_EQ(bits(got[0]), 0x01500001u);
    EXPECT_EQ(bits(got[1]), 0x41500001u);
    EXPECT_EQ(bits(got[2]), 0xC1500001u);
}

TEST_F(InputTest, KeysGoNowhereWhenAnotherProgramIsInFront) {
    const HWND own = Own();
    const HWND player = Foreign();
    ASSERT_TRUE(SetForegroundWindow(own));
    ASSERT_TRUE(SetForegroundWindow(player));
    Drain(); // activation messages are sent, not posted; nothing else waits
    keybd_event('A', 0, 0, 0);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(win32sim::InputLog().back().foreground, player);
}

} // namespace
