// Conformance tables of the top-level windows: class names, enumeration and the foreground.
#include "conformance_fixture.h"

#include "cp1251.h"

#include <algorithm>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace conformance {
namespace {

constexpr char kSentinel = '@';

constexpr const char* kNoWindowManager =
    "Wine leaves raising an activated window to the X window manager, and the test display has "
    "none; Windows raises the window it activates to the top of the z-order";

class WindowsConformance : public ConformanceTest {};

// What an enumeration met of the test's own windows (other programs' windows are left out).
struct Enumerated {
    std::vector<HWND> own;
    std::vector<HWND> seen; // the windows the callback was called for, in order
    int stopAfter = 0;      // stop at this own window (0: never)
};

BOOL CALLBACK Collect(HWND window, LPARAM param) {
    auto* e = reinterpret_cast<Enumerated*>(param);
    if (std::find(e->own.begin(), e->own.end(), window) == e->own.end())
        return TRUE;
    e->seen.push_back(window);
    return e->stopAfter == 0 || static_cast<int>(e->seen.size()) < e->stopAfter;
}

TEST_F(WindowsConformance, GetClassNameCutsToTheBuffer) {
    const HWND w = MakeWindow({.className = "TFSetup"});
    const std::string cyrillic(cp1251::Literal("TFОкно"));
    const HWND c = MakeWindow({.className = cyrillic});
    ASSERT_NE(w, nullptr);
    ASSERT_NE(c, nullptr);
    const struct {
        HWND window;
        int size;
        std::string written; // including the NUL
        int result;
    } cases[] = {
        {w, 64, std::string("TFSetup", 8), 7},
        {w, 8, std::string("TFSetup", 8), 7},
        {w, 7, std::string("TFSetu", 7), 6},
        {w, 2, std::string("T", 2), 1},
        {w, 1, std::string("", 1), 0},
        {w, 0, "", 0},
        {w, -1, "", 0},
        {c, 64, cyrillic + '\0', 6},
        {c, 4, cyrillic.substr(0, 3) + '\0', 3},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE((k.window == w ? "TFSetup" : "Cyrillic") + std::string(" nMaxCount ") +
                     std::to_string(k.size));
        std::vector<char> buffer(64, kSentinel);
        SetLastError(kStaleError);
        EXPECT_EQ(GetClassNameA(k.window, buffer.data(), k.size), k.result);
        // A call that writes nothing leaves the last error as it was.
        if (k.result == 0) {
            EXPECT_EQ(GetLastError(), kStaleError);
        }
        EXPECT_EQ(std::string(buffer.data(), buffer.size()),
                  k.written + std::string(buffer.size() - k.written.size(), kSentinel));
    }
}

TEST_F(WindowsConformance, GetClassNameOfAWindowThatIsGone) {
    const HWND w = MakeWindow();
    ASSERT_NE(w, nullptr);
    DestroyMadeWindow(w);
    EXPECT_FALSE(IsWindow(w));
    char buffer[16] = "untouched";
    SetLastError(kStaleError);
    EXPECT_EQ(GetClassNameA(w, buffer, sizeof buffer), 0);
    if (!Skipped({"Wine reports ERROR_INVALID_PARAMETER for the handle of a window that is gone; "
                  "Windows, as for every other call here, ERROR_INVALID_WINDOW_HANDLE"})) {
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    }
    EXPECT_STREQ(buffer, "untouched");
}

// Windows are enumerated front to back; a new window appears in front, and so does one that is
// brought to the foreground.
TEST_F(WindowsConformance, EnumerationFollowsTheZOrder) {
    const HWND a = MakeWindow({.caption = "A"});
    const HWND b = MakeWindow({.caption = "B"});
    const HWND c = MakeWindow({.caption = "C"});
    const HWND hidden = MakeWindow({.caption = "D", .visible = false});
    const HWND gone = MakeWindow({.caption = "E"});
    DestroyMadeWindow(gone);
    const std::vector<HWND> own = {a, b, c, hidden, gone};

    const struct {
        const char* label;
        HWND foreground; // brought to the foreground first (null: none)
        bool threadOnly;
        int stopAfter;
        std::vector<HWND> seen;
        BOOL result;
        Differs differs;
    } cases[] = {
        {"EnumWindows", nullptr, false, 0, {hidden, c, b, a}, TRUE, {}},
        {"EnumThreadWindows", nullptr, true, 0, {hidden, c, b, a}, TRUE, {}},
        {"EnumWindows stopped", nullptr, false, 2, {hidden, c}, FALSE, {}},
        {"EnumThreadWindows stopped", nullptr, true, 1, {hidden}, FALSE, {}},
        {"EnumWindows after SetForegroundWindow(A)",
         a,
         false,
         0,
         {a, hidden, c, b},
         TRUE,
         {kNoWindowManager}},
        {"EnumThreadWindows after SetForegroundWindow(B)",
         b,
         true,
         0,
         {b, a, hidden, c},
         TRUE,
         {kNoWindowManager}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.label);
        if (Skipped(k.differs))
            continue;
        if (k.foreground != nullptr) {
            ASSERT_TRUE(SetForegroundWindow(k.foreground));
        }
        Enumerated e{own, {}, k.stopAfter};
        const LPARAM param = reinterpret_cast<LPARAM>(&e);
        const BOOL result = k.threadOnly ? EnumThreadWindows(GetCurrentThreadId(), Collect, param)
                                         : EnumWindows(Collect, param);
        EXPECT_EQ(result, k.result);
        EXPECT_EQ(e.seen, k.seen);
    }
}

TEST_F(WindowsConformance, EnumThreadWindowsOfAThreadWithoutWindows) {
    MakeWindow();
    std::promise<DWORD> id;
    std::promise<void> done;
    std::thread other([&] {
        id.set_value(GetCurrentThreadId());
        done.get_future().wait();
    });
    const DWORD otherId = id.get_future().get();
    int calls = 0;
    const auto count = [](HWND, LPARAM param) -> BOOL {
        ++*reinterpret_cast<int*>(param);
        return TRUE;
    };
    const BOOL result = EnumThreadWindows(otherId, count, reinterpret_cast<LPARAM>(&calls));
    EXPECT_EQ(calls, 0);
    if (!Skipped({"Wine returns TRUE for a thread without windows; Windows, as documented, "
                  "FALSE"})) {
        EXPECT_FALSE(result);
    }
    done.set_value();
    other.join();
}

TEST_F(WindowsConformance, ForegroundAndActiveWindowOfOwnWindows) {
    const HWND a = MakeWindow({.caption = "A"});
    const HWND b = MakeWindow({.caption = "B"});
    const struct {
        HWND window;
        const char* label;
    } cases[] = {{a, "A"}, {b, "B"}, {a, "A again"}, {a, "A twice"}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.label);
        SetLastError(kStaleError);
        EXPECT_TRUE(SetForegroundWindow(k.window));
        EXPECT_EQ(GetForegroundWindow(), k.window);
        EXPECT_EQ(GetActiveWindow(), k.window);
    }
    // The foreground window going away leaves neither it in front nor it active.
    DestroyMadeWindow(a);
    EXPECT_NE(GetForegroundWindow(), a);
    EXPECT_NE(GetActiveWindow(), a);
}

TEST_F(WindowsConformance, SetForegroundWindowOfAWindowThatIsGone) {
    const HWND a = MakeWindow({.caption = "A"});
    const HWND gone = MakeWindow({.caption = "gone"});
    ASSERT_TRUE(SetForegroundWindow(a));
    DestroyMadeWindow(gone);
    SetLastError(kStaleError);
    EXPECT_FALSE(SetForegroundWindow(gone));
    EXPECT_EQ(GetForegroundWindow(), a);
}

} // namespace
} // namespace conformance
