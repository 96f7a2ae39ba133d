// The toolkit's shell pieces on real Win32 (under Wine): timers, the tray icon, popup menus,
// message and question boxes, modal loops.
#include "internal.h"
#include "windows/shell.h"

#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"
#include "toolkit/graphics.h"
#include "toolkit/imglist.h"
#include "toolkit/forms.h"
#include "toolkit/menus.h"
#include "toolkit/trayicon.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using toolkit_detail::shell::TrayIconStateOf;

// Runs the toolkit's message loop for the time.
void RunFor(DWORD milliseconds) {
    toolkit_detail::RunWithin([] { return false; }, milliseconds);
}

// A top-level window of the class (and caption) of this program; other programs may run their
// tests on the same display at the same time.
HWND OwnWindow(const char* className, const char* caption, bool visibleOnly) {
    struct Search {
        const char* className;
        const char* caption;
        bool visibleOnly;
        HWND found = nullptr;
    } search{className, caption, visibleOnly};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            char name[256] = {};
            char text[256] = {};
            GetClassNameA(w, name, sizeof(name));
            GetWindowTextA(w, text, sizeof(text));
            if (pid == GetCurrentProcessId() && lstrcmpA(name, s->className) == 0 &&
                (!s->caption || lstrcmpA(text, s->caption) == 0) &&
                (!s->visibleOnly || IsWindowVisible(w))) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// From another thread: the program's visible window of the class (and caption), waited for.
HWND WaitForWindow(const char* className, const char* caption, DWORD milliseconds = 5000) {
    const DWORD start = GetTickCount();
    do {
        if (HWND w = OwnWindow(className, caption, true))
            return w;
        Sleep(20);
    } while (GetTickCount() - start < milliseconds);
    return nullptr;
}

void WaitUntilGone(const char* className, DWORD milliseconds = 5000) {
    const DWORD start = GetTickCount();
    while (OwnWindow(className, nullptr, true) && GetTickCount() - start < milliseconds)
        Sleep(20);
}

HWND NotifyWindowOfProgram() {
    return OwnWindow("TShellNotifyWindow", nullptr, false);
}

// The icon windows in Wine's own tray window (which Explorer owns).
std::vector<HWND> WineTrayIcons(HWND tray) {
    std::vector<HWND> icons;
    for (HWND w = FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr); w;
         w = FindWindowExA(tray, w, "__winex11_tray_icon", nullptr))
        icons.push_back(w);
    return icons;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

// The icon's presence as the shell answers for it: modifying an icon it does not hold fails.
BOOL ShellHolds(const TTrayIcon& icon) {
    const auto state = TrayIconStateOf(icon);
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = state.window;
    data.uID = state.id;
    data.uFlags = NIF_TIP;
    lstrcpynA(data.szTip, "probe", sizeof(data.szTip));
    const BOOL held = Shell_NotifyIconA(NIM_MODIFY, &data);
    if (held) {
        // Puts the model's tip back.
        const std::string tip = icon.Hint;
        lstrcpynA(data.szTip, tip.c_str(), 64);
        Shell_NotifyIconA(NIM_MODIFY, &data);
    }
    return held;
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { Application->Title = "Tavrin RC"; }
    void TearDown() override {
        if (helper.joinable())
            helper.join();
    }
    std::thread helper;
};

// ---- timers ----

TEST_F(ShellTest, TimerFiresAtAboutItsIntervalAndStopsWhenDisabled) {
    TTimer timer(nullptr);
    int ticks = 0;
    timer.OnTimer = [&](TObject* s) { ticks += s == &timer; };
    timer.Interval = 50;
    RunFor(1000);
    // About 20; the bounds only say that the system fires it, repeatedly, near its interval.
    EXPECT_GE(ticks, 5);
    EXPECT_LE(ticks, 30);

    timer.Enabled = false;
    const int stopped = ticks;
    RunFor(400);
    EXPECT_EQ(ticks, stopped);

    timer.Interval = 200;
    timer.Enabled = true;
    RunFor(1000);
    EXPECT_GE(ticks - stopped, 2);
    EXPECT_LE(ticks - stopped, 8);
}

TEST_F(ShellTest, TimerThatDisablesItselfInItsHandlerFiresOnce) {
    TTimer timer(nullptr);
    int ticks = 0;
    timer.Interval = 20;
    timer.OnTimer = [&](TObject*) {
        ++ticks;
        timer.Enabled = false;
    };
    RunFor(500);
    EXPECT_EQ(ticks, 1);
}

TEST_F(ShellTest, TimersFireThroughTheHiddenNotifyWindow) {
    TTimer timer(nullptr);
    int ticks = 0;
    timer.Interval = 30;
    timer.OnTimer = [&](TObject*) { ++ticks; };
    HWND notify = NotifyWindowOfProgram();
    ASSERT_NE(notify, nullptr);
    EXPECT_FALSE(IsWindowVisible(notify));
    EXPECT_EQ(GetParent(notify), nullptr);
    // A WM_TIMER with another id, as a stale one after a stop: nothing fires.
    SendMessageA(notify, WM_TIMER, 0xBAD, 0);
    EXPECT_EQ(ticks, 0);
    RunFor(300);
    EXPECT_GE(ticks, 2);
}

TEST_F(ShellTest, LoopsOwnScheduledActionRunsBesideSystemTimers) {
    TTimer timer(nullptr);
    int ticks = 0;
    timer.Interval = 40;
    timer.OnTimer = [&](TObject*) { ++ticks; };
    bool ran = false;
    const std::uint64_t start = toolkit_detail::Now();
    std::uint64_t ranAt = 0;
    toolkit_detail::ScheduleAction(300, [&] {
        ran = true;
        ranAt = toolkit_detail::Now();
    });
    EXPECT_TRUE(toolkit_detail::RunUntil([&] { return ran; }, start + 5000));
    EXPECT_GE(ranAt - start, 250u);
    EXPECT_GE(ticks, 2);

    // With no timer at all the wait ends at the action's time.
    timer.Enabled = false;
    ran = false;
    toolkit_detail::ScheduleAction(100, [&] { ran = true; });
    EXPECT_TRUE(toolkit_detail::RunUntil([&] { return ran; }, toolkit_detail::Now() + 5000));
}

// ---- the tray icon ----

TEST_F(ShellTest, TrayIconIsAddedWhileVisibleAndRemovedWhenHiddenOrFreed) {
    auto* icon = new TTrayIcon(nullptr);
    EXPECT_EQ(TrayIconStateOf(*icon).window, nullptr);
    icon->Hint = "Tavrin RC";
    icon->Visible = true;
    auto state = TrayIconStateOf(*icon);
    EXPECT_EQ(state.window, NotifyWindowOfProgram());
    EXPECT_NE(state.id, 0u);
    // The program's icon resource 1, small: the very image a shared load of it gives.
    EXPECT_NE(state.picture, nullptr);
    EXPECT_EQ(state.picture,
              LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON,
                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                         LR_DEFAULTCOLOR | LR_SHARED));
    EXPECT_TRUE(state.lastResult) << "Shell_NotifyIconA(NIM_ADD)";
    EXPECT_TRUE(state.shown);
    EXPECT_TRUE(ShellHolds(*icon));

    icon->Hint = "Tavrin RC: a longer tip that goes past the sixty-three characters of the shell";
    EXPECT_TRUE(TrayIconStateOf(*icon).lastResult) << "Shell_NotifyIconA(NIM_MODIFY)";

    icon->Visible = false;
    EXPECT_FALSE(TrayIconStateOf(*icon).shown);
    EXPECT_FALSE(ShellHolds(*icon));
    icon->Hint = "hidden"; // no call for a hidden icon
    icon->Visible = true;
    EXPECT_TRUE(TrayIconStateOf(*icon).shown);
    const auto again = TrayIconStateOf(*icon);
    EXPECT_TRUE(ShellHolds(*icon));

    delete icon;
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = again.window;
    data.uID = again.id;
    data.uFlags = NIF_TIP;
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &data)) << "the freed icon is gone";
}

TEST_F(ShellTest, TrayIconIsAddedAgainWhenTheTaskbarIsCreated) {
    TTrayIcon icon(nullptr);
    icon.Hint = "Tavrin RC";
    icon.Visible = true;
    ASSERT_TRUE(ShellHolds(icon));
    // The shell forgets the icon, as a restarted Explorer has.
    const auto state = TrayIconStateOf(icon);
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = state.window;
    data.uID = state.id;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    ASSERT_FALSE(ShellHolds(icon));

    // Broadcast to the top-level windows, as the new taskbar does.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0,
                        SMTO_ABORTIFHUNG, 2000, &result);
    EXPECT_TRUE(TrayIconStateOf(icon).lastResult);
    EXPECT_TRUE(ShellHolds(icon));
}

struct TrayCase {
    const char* label;
    UINT mouseMessage;
    std::string events;
};

TEST_F(ShellTest, TrayCallbackMessagesReachTheModelAndRightReleasePopsTheMenu) {
    // As the runtime's first tick leaves it: the application window hidden.
    ShowWindow(Application->Handle(), SW_HIDE);
    std::string events;
    auto* menu = new TPopupMenu(nullptr);
    menu->OnPopup = [&](TObject*) { events += "popup "; };
    auto* help = new TMenuItem(menu);
    help->Caption = "Help";
    help->OnClick = [&](TObject*) { events += "help "; };
    auto* exit = new TMenuItem(menu);
    exit->Caption = "Exit";
    exit->Default = true;
    exit->OnClick = [&](TObject*) { events += "exit "; };
    menu->Items()->Add(help);
    menu->Items()->Add(exit);
    auto* icon = new TTrayIcon(nullptr);
    icon->Hint = "Tavrin RC";
    icon->RestoreOn = imNone;
    icon->PopupMenuOn = imRightClickUp;
    icon->PopupMenu = menu;
    icon->OnClick = [&](TObject*) { events += "click "; };
    icon->OnDblClick = [&](TObject*) { events += "dbl "; };
    icon->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int, int) {
        events += "down" + std::to_string(b) + " ";
    };
    icon->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, int, int) {
        events += "up" + std::to_string(b) + " ";
    };
    icon->Visible = true;
    const auto state = TrayIconStateOf(*icon);
    ASSERT_TRUE(state.shown);

    const TrayCase cases[] = {
        {"left press", WM_LBUTTONDOWN, "down0 "},
        {"left release", WM_LBUTTONUP, "up0 click "},
        {"left double click", WM_LBUTTONDBLCLK, "dbl "},
        {"right press", WM_RBUTTONDOWN, "down1 "},
        {"mouse move", WM_MOUSEMOVE, ""},
        {"right release", WM_RBUTTONUP, "up1 popup exit "},
    };
    for (const TrayCase& c : cases) {
        SCOPED_TRACE(c.label);
        events.clear();
        std::atomic<bool> menuSeen{false};
        if (c.mouseMessage == WM_RBUTTONUP) {
            helper = std::thread([&] {
                HWND m = WaitForWindow("#32768", nullptr);
                menuSeen = m != nullptr;
                if (!m)
                    return;
                // The second item: Exit.
                PostMessageA(m, WM_KEYDOWN, VK_DOWN, 0);
                PostMessageA(m, WM_KEYDOWN, VK_DOWN, 0);
                PostMessageA(m, WM_KEYDOWN, VK_RETURN, 0);
            });
        }
        // As the shell delivers it: the icon's id and the mouse message.
        SendMessageA(state.window, toolkit_detail::shell::kTrayCallback, state.id, c.mouseMessage);
        if (helper.joinable()) {
            helper.join();
            EXPECT_TRUE(menuSeen);
        }
        EXPECT_EQ(events, c.events);
    }

    // A hidden icon receives nothing.
    icon->Visible = false;
    events.clear();
    SendMessageA(state.window, toolkit_detail::shell::kTrayCallback, state.id, WM_LBUTTONUP);
    EXPECT_EQ(events, "");
    delete icon;
    delete menu;
    WaitUntilGone("#32768");
}

// Wine has no taskbar here: its Explorer shows the icons in a small window of its own, "Wine
// System Tray", one child window per icon, and hands real mouse input on them to the callback.
TEST_F(ShellTest, RealRightClickOnTheIconInWinesSystemTrayPicksFromTheMenu) {
    std::string events;
    TPopupMenu menu(nullptr);
    menu.OnPopup = [&](TObject*) { events += "popup "; };
    auto* help = new TMenuItem(&menu);
    help->Caption = "Help";
    help->OnClick = [&](TObject*) { events += "help "; };
    auto* exit = new TMenuItem(&menu);
    exit->Caption = "Exit";
    exit->OnClick = [&](TObject*) { events += "exit "; };
    menu.Items()->Add(help);
    menu.Items()->Add(exit);
    TTrayIcon icon(nullptr);
    icon.Hint = "Tavrin RC";
    icon.PopupMenu = &menu;
    icon.PopupMenuOn = imRightClickUp;
    icon.OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, int, int) {
        events += "up" + std::to_string(b) + " ";
    };
    HWND tray = FindWindowA("__winex11_standalone_tray", "Wine System Tray");
    const std::vector<HWND> before = tray ? WineTrayIcons(tray) : std::vector<HWND>{};
    icon.Visible = true;
    ASSERT_TRUE(TrayIconStateOf(icon).shown);

    // Explorer shows the window once it holds an icon.
    for (int i = 0; i < 100 && !(tray && IsWindowVisible(tray)); ++i) {
        Sleep(20);
        tray = FindWindowA("__winex11_standalone_tray", "Wine System Tray");
    }
    ASSERT_NE(tray, nullptr) << "Wine's own tray window";
    ASSERT_TRUE(IsWindowVisible(tray));
    HWND button = nullptr;
    for (HWND w : WineTrayIcons(tray))
        if (std::find(before.begin(), before.end(), w) == before.end())
            button = w;
    ASSERT_NE(button, nullptr) << "a window for our icon";
    RECT r;
    GetWindowRect(button, &r);
    helper = std::thread([&] {
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        mouse_event(MOUSEEVENTF_RIGHTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_RIGHTUP, 0, 0, 0, 0);
        if (HWND m = WaitForWindow("#32768", nullptr)) {
            PostMessageA(m, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageA(m, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageA(m, WM_KEYDOWN, VK_RETURN, 0);
        }
    });
    EXPECT_TRUE(toolkit_detail::RunUntil([&] { return events.find("exit") != std::string::npos; },
                                         toolkit_detail::Now() + 10000));
    helper.join();
    EXPECT_EQ(events, "up1 popup exit ");

    icon.Visible = false;
    const std::vector<HWND> after = WineTrayIcons(tray);
    EXPECT_EQ(std::find(after.begin(), after.end(), button), after.end())
        << "the icon left Wine's tray";
}

// ---- popup menus ----

struct PopupCase {
    const char* label;
    std::vector<WPARAM> keys;
    std::string clicked;
};

TEST_F(ShellTest, PopupMenuPickedByKeysClicksTheModelsItem) {
    std::string clicked;
    TPopupMenu menu(nullptr);
    int popups = 0;
    menu.OnPopup = [&](TObject*) { ++popups; };
    auto add = [&](const char* caption, bool enabled) {
        auto* item = new TMenuItem(&menu);
        item->Caption = caption;
        item->Enabled = enabled;
        item->OnClick = [&clicked, caption](TObject*) { clicked += caption; };
        menu.Items()->Add(item);
        return item;
    };
    add("First", true);
    add("-", true);
    add("Second", true);
    add("Third", true)->Visible = false;
    add("Fourth", true);

    const PopupCase cases[] = {
        {"first item", {VK_DOWN, VK_RETURN}, "First"},
        {"the separator is passed over", {VK_DOWN, VK_DOWN, VK_RETURN}, "Second"},
        {"an invisible item is not in the menu", {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, "Fourth"},
        {"closed without a pick", {VK_ESCAPE}, ""},
    };
    for (const PopupCase& c : cases) {
        SCOPED_TRACE(c.label);
        clicked.clear();
        std::atomic<bool> seen{false};
        std::atomic<int> items{-1};
        std::atomic<HWND> front{nullptr};
        helper = std::thread([&] {
            HWND m = WaitForWindow("#32768", nullptr);
            seen = m != nullptr;
            if (!m)
                return;
            front = GetForegroundWindow();
            HMENU shown = reinterpret_cast<HMENU>(SendMessageA(m, 0x01E1, 0, 0)); // MN_GETHMENU
            items = shown ? GetMenuItemCount(shown) : -2;
            for (WPARAM k : c.keys)
                PostMessageA(m, WM_KEYDOWN, k, 0);
        });
        menu.Popup(120, 120);
        helper.join();
        EXPECT_TRUE(seen);
        EXPECT_EQ(items, 4); // First, the separator, Second, Fourth
        EXPECT_EQ(front, Application->Handle()) << "the application in front while it is open";
        EXPECT_EQ(clicked, c.clicked);
        WaitUntilGone("#32768");
    }
    EXPECT_EQ(popups, 4);
}

// ---- pictures of the image list ----

// A 16 x 16 picture as a .bmp file gives it: fuchsia (the transparent colour of its bottom-left
// pixel) around a square of the colour.
TBitmap SquarePicture(COLORREF square) {
    std::string b = "BM";
    const auto put32 = [&](unsigned v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    const auto put16 = [&](unsigned v) {
        b.push_back(static_cast<char>(v & 0xFF));
        b.push_back(static_cast<char>(v >> 8));
    };
    put32(54 + 16 * 16 * 3);
    put32(0);
    put32(54);
    put32(40);
    put32(16);
    put32(16);
    put16(1);
    put16(24);
    put32(0);
    put32(16 * 16 * 3);
    put32(2835);
    put32(2835);
    put32(0);
    put32(0);
    for (int y = 15; y >= 0; --y)
        for (int x = 0; x < 16; ++x) {
            const bool in = x >= 4 && x < 12 && y >= 4 && y < 12;
            const COLORREF c = in ? square : RGB(255, 0, 255);
            b.push_back(static_cast<char>(GetBValue(c)));
            b.push_back(static_cast<char>(GetGValue(c)));
            b.push_back(static_cast<char>(GetRValue(c)));
        }
    TBitmap bitmap;
    bitmap.LoadFromBytes(b);
    return bitmap;
}

// The pixel of a bitmap, read through a 32-bit copy.
COLORREF BitmapPixel(HBITMAP bitmap, int x, int y) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> bits(16 * 16, 0xDEADBEEF);
    HDC dc = GetDC(nullptr);
    const int rows = GetDIBits(dc, bitmap, 0, 16, bits.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (rows != 16)
        return CLR_INVALID;
    const std::uint32_t v = bits[static_cast<std::size_t>(y) * 16 + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

TEST_F(ShellTest, TheTrayIconShowsTheImageListsPictureWithItsBackgroundTransparent) {
    TImageList images(nullptr);
    images.Add(SquarePicture(RGB(0, 0, 255)));
    images.Add(SquarePicture(RGB(255, 0, 0)));
    TTrayIcon icon(nullptr);
    icon.Icons = &images;
    icon.IconIndex = 1;
    icon.Visible = true;
    const auto state = TrayIconStateOf(icon);
    ASSERT_TRUE(state.shown);
    ASSERT_NE(state.picture, nullptr);
    EXPECT_NE(state.picture, LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON,
                                        GetSystemMetrics(SM_CXSMICON),
                                        GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED))
        << "the program's resource icon instead of the image list's";
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(state.picture, &info));
    EXPECT_TRUE(info.fIcon);
    EXPECT_EQ(BitmapPixel(info.hbmColor, 8, 8), RGB(255, 0, 0)) << "the picture of index 1";
    EXPECT_EQ(BitmapPixel(info.hbmMask, 8, 8), RGB(0, 0, 0)) << "the square is drawn";
    EXPECT_EQ(BitmapPixel(info.hbmMask, 1, 1), RGB(255, 255, 255)) << "the fuchsia shows through";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_TRUE(ShellHolds(icon));
}

TEST_F(ShellTest, PopupMenuItemsShowTheirPicturesFromTheMenusImageList) {
    TImageList images(nullptr);
    images.Add(SquarePicture(RGB(0, 128, 0)));
    TPopupMenu menu(nullptr);
    menu.Images = &images;
    for (int index : {0, -1, 5}) {
        auto* item = new TMenuItem(&menu);
        item->Caption = "Item " + std::to_string(index);
        item->ImageIndex = index;
        menu.Items()->Add(item);
    }
    std::atomic<bool> seen{false};
    std::vector<COLORREF> middles;
    std::vector<bool> pictured;
    helper = std::thread([&] {
        HWND m = WaitForWindow("#32768", nullptr);
        seen = m != nullptr;
        if (!m)
            return;
        HMENU shown = reinterpret_cast<HMENU>(SendMessageA(m, 0x01E1, 0, 0)); // MN_GETHMENU
        for (int i = 0; shown && i < GetMenuItemCount(shown); ++i) {
            MENUITEMINFOA info = {};
            info.cbSize = sizeof info;
            info.fMask = MIIM_BITMAP;
            GetMenuItemInfoA(shown, static_cast<UINT>(i), TRUE, &info);
            pictured.push_back(info.hbmpItem != nullptr);
            middles.push_back(info.hbmpItem ? BitmapPixel(info.hbmpItem, 8, 8) : CLR_INVALID);
        }
        PostMessageA(m, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    menu.Popup(120, 120);
    helper.join();
    WaitUntilGone("#32768");
    EXPECT_TRUE(seen);
    EXPECT_EQ(pictured, (std::vector<bool>{true, false, false})) << "no index or one past the list";
    ASSERT_FALSE(middles.empty());
    EXPECT_EQ(middles[0], RGB(0, 128, 0));
}

// ---- message and question boxes ----

// The captions of the boxes by their type, as the Russian system has them.
constexpr const char* kConfirmation =
    "\xCF\xEE\xE4\xF2\xE2\xE5\xF0\xE6\xE4\xE5\xED\xE8\xE5"; // Подтверждение
constexpr const char* kWarning =
    "\xCF\xF0\xE5\xE4\xF3\xEF\xF0\xE5\xE6\xE4\xE5\xED\xE8\xE5"; // Предупреждение
constexpr const char* kError = "\xCE\xF8\xE8\xE1\xEA\xE0";      // Ошибка
constexpr const char* kInformation = "\xC8\xED\xF4\xEE\xF0\xEC\xE0\xF6\xE8\xFF"; // Информация

struct BoxCase {
    const char* label;
    std::function<int()> show;
    const char* caption;
    const char* text;
    std::set<int> buttons; // the buttons the box shows
    int click;             // the button clicked
    int result;            // what the call returns (-1: nothing to return)
};

// The box's buttons that are shown, among the system's answers.
std::set<int> ShownButtons(HWND box) {
    std::set<int> shown;
    for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
        HWND b = GetDlgItem(box, id);
        if (b && IsWindowVisible(b))
            shown.insert(id);
    }
    return shown;
}

bool HasChildText(HWND box, const std::string& text) {
    struct Search {
        std::string text;
        bool found = false;
    } search{text};
    EnumChildWindows(
        box,
        [](HWND child, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (TextOf(child) == s->text)
                s->found = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(ShellTest, BoxesShowTheirButtonsAndAnswerWithTheButtonClicked) {
    const Exception error("Something went wrong");
    const BoxCase cases[] = {
        {"question answered yes",
         [] {
             return MessageDlg("Run the search?", mtConfirmation, {mbYes, mbNo}, 0);
         },
         kConfirmation,
         "Run the search?",
         {IDYES, IDNO},
         IDYES,
         mrYes},
        {"question answered no",
         [] {
             return MessageDlg("Run the search?", mtConfirmation, {mbYes, mbNo}, 0);
         },
         kConfirmation,
         "Run the search?",
         {IDYES, IDNO},
         IDNO,
         mrNo},
        {"yes, no and cancel",
         [] {
             return MessageDlg("Save?", mtWarning, {mbYes, mbNo, mbCancel}, 0);
         },
         kWarning,
         "Save?",
         {IDYES, IDNO, IDCANCEL},
         IDCANCEL,
         mrCancel},
        {"ok and cancel",
         [] {
             return MessageDlg("Go on?", mtCustom, {mbOK, mbCancel}, 0);
         },
         "Tavrin RC",
         "Go on?",
         {IDOK, IDCANCEL},
         IDOK,
         mrOk},
        {"abort, retry, ignore",
         [] {
             return MessageDlg("No device", mtError, {mbAbort, mbRetry, mbIgnore}, 0);
         },
         kError,
         "No device",
         {IDABORT, IDRETRY, IDIGNORE},
         IDRETRY,
         mrRetry},
        {"information",
         [] { return MessageDlg("Done", mtInformation, {mbOK}, 0); },
         kInformation,
         "Done",
         {IDOK},
         IDOK,
         mrOk},
        {"message",
         [] { return ShowMessage("Hello"), -1; },
         "Tavrin RC",
         "Hello",
         {IDOK},
         IDOK,
         -1},
        {"message box flags passed through",
         [] { return Application->MessageBox("Delete?", "Question", MB_OKCANCEL); },
         "Question",
         "Delete?",
         {IDOK, IDCANCEL},
         IDCANCEL,
         IDCANCEL},
        {"message box yes and no",
         [] { return Application->MessageBox("Again?", "Question", MB_YESNO); },
         "Question",
         "Again?",
         {IDYES, IDNO},
         IDNO,
         IDNO},
        {"exception box",
         [&] { return Application->ShowException(&error), -1; },
         "Tavrin RC",
         "Something went wrong",
         {IDOK},
         IDOK,
         -1},
    };
    TTimer timer(nullptr);
    int ticks = 0;
    timer.Interval = 50;
    timer.OnTimer = [&](TObject*) { ++ticks; };
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.label);
        std::atomic<bool> seen{false};
        std::set<int> shown;
        bool textShown = false;
        helper = std::thread([&] {
            HWND box = WaitForWindow("#32770", c.caption);
            seen = box != nullptr;
            if (!box)
                return;
            shown = ShownButtons(box);
            textShown = HasChildText(box, c.text);
            Sleep(300); // the timers go on meanwhile
            SendMessageA(GetDlgItem(box, c.click), BM_CLICK, 0, 0);
        });
        ticks = 0;
        const int result = c.show();
        helper.join();
        EXPECT_TRUE(seen);
        EXPECT_EQ(shown, c.buttons);
        EXPECT_TRUE(textShown);
        if (c.result != -1) {
            EXPECT_EQ(result, c.result);
        }
        EXPECT_GE(ticks, 2) << "timers fire while the box is open";
        WaitUntilGone("#32770");
    }
}

// ---- modal loops ----

TEST_F(ShellTest, ShowModalDisablesTheOtherFormsWhileItRunsAndReactivatesTheOwnerAfter) {
    ShowWindow(Application->Handle(), SW_SHOWNA);
    auto* owner = new TForm(nullptr);
    owner->Caption = "Owner";
    owner->SetBounds(50, 50, 200, 150);
    owner->Show();
    SetForegroundWindow(owner->Handle());
    SetActiveWindow(owner->Handle());
    RunFor(100);
    ASSERT_EQ(GetActiveWindow(), owner->Handle());
    auto* disabled = new TForm(nullptr);
    disabled->Caption = "Disabled";
    disabled->Show();
    EnableWindow(disabled->Handle(), FALSE);
    auto* hidden = new TForm(nullptr);
    hidden->Caption = "Hidden";
    HWND hiddenWindow = hidden->Handle();
    // Above the owner: what the system would activate when the modal form hides.
    auto* bystander = new TForm(nullptr);
    bystander->Caption = "Bystander";
    bystander->SetBounds(300, 50, 200, 150);
    bystander->Show();
    ASSERT_EQ(GetActiveWindow(), owner->Handle());

    auto* modal = new TForm(nullptr);
    modal->Caption = "Modal";
    modal->SetBounds(100, 100, 200, 150);
    struct Seen {
        BOOL owner = -1, bystander = -1, application = -1, modal = -1, hidden = -1;
        bool active = false;
    } seen;
    TTimer timer(nullptr);
    timer.Interval = 100;
    timer.OnTimer = [&](TObject*) {
        timer.Enabled = false;
        seen.owner = IsWindowEnabled(owner->Handle());
        seen.bystander = IsWindowEnabled(bystander->Handle());
        seen.application = IsWindowEnabled(Application->Handle());
        seen.modal = IsWindowEnabled(modal->Handle());
        seen.hidden = IsWindowEnabled(hiddenWindow);
        seen.active = GetActiveWindow() == modal->Handle();
        modal->ModalResult = mrOk;
    };
    EXPECT_EQ(modal->ShowModal(), mrOk);
    EXPECT_EQ(seen.owner, FALSE);
    EXPECT_EQ(seen.bystander, FALSE);
    EXPECT_EQ(seen.application, FALSE);
    EXPECT_EQ(seen.modal, TRUE);
    EXPECT_EQ(seen.hidden, TRUE) << "a hidden form is left alone";
    EXPECT_TRUE(seen.active);

    EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
    EXPECT_TRUE(IsWindowEnabled(bystander->Handle()));
    EXPECT_TRUE(IsWindowEnabled(Application->Handle()));
    EXPECT_FALSE(IsWindowEnabled(disabled->Handle())) << "disabled before, disabled after";
    EXPECT_FALSE(IsWindowVisible(modal->Handle()));
    EXPECT_EQ(GetActiveWindow(), owner->Handle());

    delete modal;
    delete bystander;
    delete hidden;
    delete disabled;
    delete owner;
}

TEST_F(ShellTest, ApplicationWindowStandsForTheProgramUntilHidden) {
    HWND app = Application->Handle();
    char className[64] = {};
    GetClassNameA(app, className, sizeof(className));
    EXPECT_STREQ(className, "TApplication");
    EXPECT_EQ(TextOf(app), "Tavrin RC");
    ShowWindow(app, SW_SHOWNA);
    EXPECT_TRUE(IsWindowVisible(app));
    ShowWindow(app, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(app));
}

} // namespace
