// The runtime's on-screen windows as real windows under Wine: what they paint, their layered
// attributes and regions, shown through the window manager's own entry points.
#include "form_bar.h"
#include "form_info.h"
#include "form_input.h"
#include "form_layout.h"
#include "form_list.h"
#include "form_time.h"
#include "osd.h"
#include "program_folder.h"
#include "runtime_state.h"

#include <presentation_support.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using wine_test::Pixels;
using wine_test::Pump;

constexpr COLORREF kText = DefaultWindowColor;
constexpr COLORREF kComplement = 5310424;

class OsdWindows : public ::testing::Test {
protected:
    void SetUp() override {
        Runtime = TRuntimeState{};
        Runtime.Alpha = 1;
        Runtime.Alphavalue = 200;
    }
    void TearDown() override {
        for (TForm* form : std::vector<TForm*>{FInfo, FBar, FTime, FList, FInput})
            if (form)
                form->Free();
        Runtime = TRuntimeState{};
    }
};

TEST_F(OsdWindows, TheInfoWindowPaintsItsTextOnTheComplementOfTheTextColour) {
    OsdShowText("\xCF\xF0\xE8\xE2\xE5\xF2 12", ""); // "Привет 12"
    ASSERT_NE(FInfo, nullptr);
    Pump();
    HWND window = FInfo->Handle();
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    EXPECT_STREQ(name, "TFInfo");
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION, 0);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.right - r.left, FInfo->Width);
    EXPECT_EQ(r.bottom - r.top, FInfo->Height);
    EXPECT_EQ(r.left, FInfo->Left);

    COLORREF key = CLR_INVALID;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, &alpha, &flags));
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    EXPECT_EQ(alpha, 200);

    RECT client;
    GetClientRect(window, &client);
    const int all = client.right * client.bottom;
    const int text = Pixels(window).Count(kText);
    const int back = Pixels(window).Count(kComplement);
    EXPECT_GT(text, all / 50) << "the text in the configured colour";
    EXPECT_GT(back, all / 2) << "on the complement";
    RECT picture{0, 0, FInfo->imMsgpict->Width, client.bottom};
    EXPECT_EQ(Pixels(window).Count(kText, picture), 0) << "no text over the picture area";
}

TEST_F(OsdWindows, WithInfobackgroundTheBackgroundIsBlackAndTheColourKey) {
    Runtime.Infobackground = 1;
    OsdShowText("12:30", "");
    ASSERT_NE(FInfo, nullptr);
    Pump();
    HWND window = FInfo->Handle();
    COLORREF key = CLR_INVALID;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, &alpha, &flags));
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA | LWA_COLORKEY));
    EXPECT_EQ(key, RGB(0, 0, 0));
    EXPECT_GT(Pixels(window).Count(kText), 100);
    EXPECT_EQ(Pixels(window).Count(kComplement), 0);
    EXPECT_GT(Pixels(window).Count(RGB(0, 0, 0)), 1000);
}

TEST_F(OsdWindows, TheRegionOfTheInfoWindowIsItsRoundedShape) {
    Runtime.Regions = 1;
    OsdShowText("Region", "");
    ASSERT_NE(FInfo, nullptr);
    HWND window = FInfo->Handle();
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetWindowRgn(window, region);
    EXPECT_TRUE(kind == COMPLEXREGION || kind == SIMPLEREGION);
    const int w = FInfo->Width, h = FInfo->Height;
    EXPECT_FALSE(PtInRegion(region, 0, 0)) << "a rounded corner";
    EXPECT_FALSE(PtInRegion(region, w - 1, h - 1));
    EXPECT_TRUE(PtInRegion(region, w / 2, h / 2));
    EXPECT_FALSE(PtInRegion(region, h, h / 2)) << "the gap between picture and text";
    DeleteObject(region);
}

TEST_F(OsdWindows, TheClockWindowShowsItsPictureInTheDiscAndTheTimeBeside) {
    // The clock picture: a red disc on white, the white (its bottom-left colour) transparent.
    const std::string data = ProgramFolder() + "Data\\";
    CreateDirectoryA(data.c_str(), nullptr);
    wine_test::WriteBitmap(data + "clock.bmp", 32, 32, [](int x, int y) {
        return (x - 16) * (x - 16) + (y - 16) * (y - 16) < 14 * 14 ? RGB(255, 0, 0)
                                                                   : RGB(255, 255, 255);
    });
    Runtime.Regions = 1;
    OsdShowClock(false);
    DeleteFileA((data + "clock.bmp").c_str());
    RemoveDirectoryA(data.c_str());
    ASSERT_NE(FTime, nullptr);
    Pump();
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(FTime->Handle(), region), ERROR);
    const int h = FTime->Height;
    EXPECT_TRUE(PtInRegion(region, h / 2, h / 2)) << "the disc's centre";
    EXPECT_FALSE(PtInRegion(region, 2, 2)) << "outside the disc";
    EXPECT_FALSE(PtInRegion(region, h / 2, 0));
    EXPECT_TRUE(PtInRegion(region, h + 10, h / 2)) << "the text part";
    DeleteObject(region);
    const Pixels p(FTime->Handle());
    const RECT disc{0, 0, FTime->imMsgpict->Width, h};
    EXPECT_GT(p.Count(RGB(255, 0, 0), disc), h * h / 3) << "the picture stretched over the disc";
    EXPECT_EQ(p.Count(RGB(255, 255, 255), disc), 0) << "its white is transparent";
    EXPECT_GT(p.Count(kText), 100) << "the time in the text colour";
}

TEST_F(OsdWindows, TheBarWindowPaintsItsGaugeShare) {
    OsdShowBar("Vol", 40, "");
    ASSERT_NE(FBar, nullptr);
    Pump();
    HWND window = FBar->Handle();
    // The panel of the text and the gauge: the one as wide as panTxt.
    HWND gaugePanel = nullptr;
    for (HWND child = FindWindowExA(window, nullptr, "TPanel", nullptr); child;
         child = FindWindowExA(window, child, "TPanel", nullptr)) {
        RECT r;
        GetClientRect(child, &r);
        if (r.right == FBar->panTxt->Width)
            gaugePanel = child;
    }
    ASSERT_NE(gaugePanel, nullptr);
    RECT gauge{FBar->cgBar->Left, FBar->cgBar->Top, FBar->cgBar->Left + FBar->cgBar->Width,
               FBar->cgBar->Top + FBar->cgBar->Height};
    const int blue = Pixels(gaugePanel).Count(RGB(0, 0, 255), gauge);
    const int area = FBar->cgBar->Width * FBar->cgBar->Height;
    EXPECT_NEAR(static_cast<double>(blue) / area, 0.40, 0.05) << "40 of 100 in the fore colour";
    EXPECT_GT(Pixels(gaugePanel).Count(kText), 20) << "the text above the gauge";
    EXPECT_GT(Pixels(gaugePanel).Count(kComplement), 100) << "the panels take the window's colour";
}

TEST_F(OsdWindows, TheListChooserIsARealListBoxOfTheItems) {
    TStringList items;
    items.Add("first");
    items.Add("second");
    OsdShowList(items);
    ASSERT_NE(FList, nullptr);
    Pump();
    HWND list = FindWindowExA(FList->Handle(), nullptr, "LISTBOX", nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(list, WM_CHAR, VK_RETURN, 0);
    EXPECT_EQ(Runtime.NumberBuffer, 1.0f) << "Enter on the second item";
    EXPECT_STREQ(Runtime.TextBuffer, "second");
}

TEST_F(OsdWindows, TheInputWindowIsARealEditFilteredByTheRuntime) {
    OsdShowInput(0);
    ASSERT_NE(FInput, nullptr);
    Pump();
    HWND edit = FindWindowExA(FInput->Handle(), nullptr, "EDIT", nullptr);
    ASSERT_NE(edit, nullptr);
    char text[16] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "00:00");
    for (char c : std::string("3172"))
        SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "17:20") << "3 refused as the first hour digit";
    Pump();
    EXPECT_GT(Pixels(edit).Count(kText), 20);
}

} // namespace
