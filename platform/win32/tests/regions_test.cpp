// Window regions and layered windows: shapes, combining, ownership, the GDI leak count, and
// SetLayeredWindowAttributes found at run time in user32.dll.
#include "sim_fixture.h"
#include "win32sim/desktop.h"
#include "win32sim/modules.h"
#include "win32sim/regions.h"

#include <windows.h>

namespace {

using win32sim::RegionBounds;
using win32sim::RegionContains;

class RegionsTest : public SimMachineTest {
protected:
    HWND Own() {
        win32sim::WindowSpec s;
        s.className = "TFTime";
        s.bounds = {100, 100, 200, 200};
        return win32sim::CreateOwnWindow(s, nullptr);
    }
    void TearDown() override {
        EXPECT_EQ(win32sim::HeldGdiObjectCount(), 0u) << "GDI objects left";
        SimMachineTest::TearDown();
    }
};

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(RegionsTest, ShapesCoverTheirPixels) {
    const HRGN rect = CreateRectRgn(10, 20, 30, 40);
    const HRGN swapped = CreateRectRgn(30, 40, 10, 20);
    const HRGN disc = CreateEllipticRgn(1, 1, 39, 39);
    const HRGN round = CreateRoundRectRgn(0, 0, 40, 20, 10, 10);
    const struct {
        const char* label;
        HRGN region;
        int x, y;
        bool inside;
    } cases[] = {
        {"rect corner", rect, 10, 20, true},      {"rect right edge", rect, 30, 25, false},
        {"rect last pixel", rect, 29, 39, true},  {"rect above", rect, 15, 19, false},
        {"swapped", swapped, 29, 39, true},       {"disc centre", disc, 20, 20, true},
        {"disc corner", disc, 2, 2, false},       {"disc left", disc, 1, 20, true},
        {"disc right", disc, 37, 20, true},       {"disc beyond", disc, 38, 20, false},
        {"round corner", round, 0, 0, false},     {"round edge middle", round, 0, 10, true},
        {"round top middle", round, 20, 0, true}, {"round last corner", round, 39, 19, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(RegionContains(c.region, c.x, c.y), c.inside);
    }
    EXPECT_TRUE(SameRect(RegionBounds(rect), {10, 20, 30, 40}));
    // Rounded shapes leave out the last column and row of their box, as on Windows.
    EXPECT_TRUE(SameRect(RegionBounds(disc), {1, 1, 38, 38}));
    EXPECT_TRUE(SameRect(RegionBounds(round), {0, 0, 39, 19}));
    EXPECT_EQ(win32sim::HeldGdiObjectCount(), 4u);
    for (const HRGN r : {rect, swapped, disc, round})
        EXPECT_TRUE(DeleteObject(r));
}

TEST_F(RegionsTest, CombineReportsTheKindOfResult) {
    const HRGN a = CreateRectRgn(0, 0, 10, 10);
    const HRGN b = CreateRectRgn(5, 0, 15, 10);
    const HRGN far = CreateRectRgn(50, 50, 60, 60);
    const HRGN dst = CreateRectRgn(0, 0, 0, 0);
    const struct {
        const char* label;
        HRGN a, b;
        int mode;
        int result;
        RECT bounds;
    } cases[] = {
        {"or adjacent", a, b, RGN_OR, SIMPLEREGION, {0, 0, 15, 10}},
        {"or apart", a, far, RGN_OR, COMPLEXREGION, {0, 0, 60, 60}},
        {"and", a, b, RGN_AND, SIMPLEREGION, {5, 0, 10, 10}},
        {"and apart", a, far, RGN_AND, NULLREGION, {0, 0, 0, 0}},
        {"diff", a, b, RGN_DIFF, SIMPLEREGION, {0, 0, 5, 10}},
        {"xor", a, b, RGN_XOR, COMPLEXREGION, {0, 0, 15, 10}},
        {"copy", far, nullptr, RGN_COPY, SIMPLEREGION, {50, 50, 60, 60}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(CombineRgn(dst, c.a, c.b, c.mode), c.result);
        EXPECT_TRUE(SameRect(RegionBounds(dst), c.bounds));
    }
    ASSERT_EQ(CombineRgn(dst, a, far, RGN_OR), COMPLEXREGION);
    EXPECT_TRUE(RegionContains(dst, 55, 55));
    EXPECT_FALSE(RegionContains(dst, 20, 20));

    const HRGN bogus = reinterpret_cast<HRGN>(0x999);
    const struct {
        HRGN dst, a, b;
        int mode;
        DWORD error;
    } failures[] = {{bogus, a, b, RGN_OR, ERROR_INVALID_HANDLE},
                    {dst, bogus, b, RGN_OR, ERROR_INVALID_HANDLE},
                    {dst, a, nullptr, RGN_OR, ERROR_INVALID_HANDLE},
                    {dst, a, b, 0, ERROR_INVALID_PARAMETER},
                    {dst, a, b, 6, ERROR_INVALID_PARAMETER}};
    for (const auto& f : failures) {
        SCOPED_TRACE(f.mode);
        SetLastError(0);
        EXPECT_EQ(CombineRgn(f.dst, f.a, f.b, f.mode), ERROR);
        EXPECT_EQ(GetLastError(), f.error);
    }
    for (const HRGN r : {a, b, far, dst})
        EXPECT_TRUE(DeleteObject(r));
    SetLastError(0);
    EXPECT_FALSE(DeleteObject(a));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(RegionsTest, TheWindowOwnsItsRegion) {
    const HWND w = Own();
    const HRGN first = CreateEllipticRgn(1, 1, 99, 99);
    EXPECT_NE(SetWindowRgn(w, first, TRUE), 0);
    EXPECT_EQ(win32sim::WindowRegion(w), first);
    EXPECT_EQ(win32sim::HeldGdiObjectCount(), 0u); // the window holds it now
    SetLastError(0);
    EXPECT_FALSE(DeleteObject(first));
    EXPECT_TRUE(RegionContains(first, 50, 50));

    // The region cuts the window's shape for WindowFromPoint (window coordinates).
    EXPECT_EQ(WindowFromPoint({150, 150}), w);
    EXPECT_EQ(WindowFromPoint({101, 101}), nullptr);

    // A new region replaces the old one, which the window deletes.
    const HRGN second = CreateRectRgn(0, 0, 10, 10);
    EXPECT_NE(SetWindowRgn(w, second, FALSE), 0);
    EXPECT_FALSE(RegionContains(first, 50, 50));
    EXPECT_FALSE(DeleteObject(first));

    // Removing the region (with redraw) deletes it too.
    EXPECT_NE(SetWindowRgn(w, nullptr, TRUE), 0);
    EXPECT_EQ(win32sim::WindowRegion(w), nullptr);
    EXPECT_FALSE(DeleteObject(second));

    // A window that closes takes its region with it.
    const HRGN third = CreateRectRgn(0, 0, 5, 5);
    EXPECT_NE(SetWindowRgn(w, third, TRUE), 0);
    ASSERT_TRUE(win32sim::RemoveWindow(w));
    EXPECT_FALSE(DeleteObject(third));

    const HRGN spare = CreateRectRgn(0, 0, 5, 5);
    SetLastError(0);
    EXPECT_EQ(SetWindowRgn(reinterpret_cast<HWND>(0x5555), spare, TRUE), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    const HWND other = Own();
    SetLastError(0);
    EXPECT_EQ(SetWindowRgn(other, reinterpret_cast<HRGN>(0x777), TRUE), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(DeleteObject(spare));
}

using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

SetLayeredFn LookUpSetLayered() {
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    if (user32 == nullptr)
        return nullptr;
    return reinterpret_cast<SetLayeredFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
}

TEST_F(RegionsTest, LayeredAttributesThroughTheRunTimeLookup) {
    const auto setLayered = LookUpSetLayered();
    ASSERT_NE(setLayered, nullptr);
    const HWND w = Own();

    SetLastError(0);
    EXPECT_FALSE(setLayered(w, 0, 128, LWA_ALPHA)); // not a layered window yet
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));

    SetLastError(123);
    EXPECT_EQ(SetWindowLongA(w, GWL_EXSTYLE, GetWindowLongA(w, GWL_EXSTYLE) | WS_EX_LAYERED), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE), WS_EX_LAYERED);
    EXPECT_TRUE(setLayered(w, RGB(0, 0, 0), 230, LWA_ALPHA | LWA_COLORKEY));
    const auto attributes = win32sim::WindowLayeredAttributes(w);
    ASSERT_TRUE(attributes.has_value());
    EXPECT_EQ(attributes->alpha, 230);
    EXPECT_EQ(attributes->colorKey, RGB(0, 0, 0));
    EXPECT_EQ(attributes->flags, static_cast<DWORD>(LWA_ALPHA | LWA_COLORKEY));

    // Dropping the style drops the attributes.
    EXPECT_EQ(SetWindowLongA(w, GWL_EXSTYLE, 0), WS_EX_LAYERED);
    EXPECT_FALSE(win32sim::WindowLayeredAttributes(w).has_value());

    const struct {
        HWND window;
        int index;
        DWORD error;
    } failures[] = {{reinterpret_cast<HWND>(0x5555), GWL_EXSTYLE, ERROR_INVALID_WINDOW_HANDLE},
                    {w, -4, ERROR_INVALID_INDEX}};
    for (const auto& f : failures) {
        SCOPED_TRACE(f.index);
        SetLastError(0);
        EXPECT_EQ(GetWindowLongA(f.window, f.index), 0);
        EXPECT_EQ(GetLastError(), f.error);
        SetLastError(0);
        EXPECT_EQ(SetWindowLongA(f.window, f.index, 1), 0);
        EXPECT_EQ(GetLastError(), f.error);
    }

    // A topmost window shows it in its extended style.
    ASSERT_TRUE(win32sim::SetWindowTopmost(w, true));
    EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE), WS_EX_TOPMOST);
}

TEST_F(RegionsTest, WindowsWithoutLayeredWindows) {
    // As on a system whose user32.dll lacks the function.
    win32sim::RemoveModuleExport("user32.dll", "SetLayeredWindowAttributes");
    SetLastError(0);
    EXPECT_EQ(LookUpSetLayered(), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetModuleHandleA("USER32"), GetModuleHandleA("user32.dll"));
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA("VarnUSB.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
    // A fresh machine has it again.
    win32sim::ResetMachine();
    EXPECT_NE(LookUpSetLayered(), nullptr);
}

} // namespace
