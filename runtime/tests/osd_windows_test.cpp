// Tests of the info, bar and clock windows: size, position, colours, pictures and regions.
#include "form_bar.h"
#include "form_info.h"
#include "form_input.h"
#include "form_list.h"
#include "form_time.h"
#include "osd.h"
#include "osd_fixture.h"

#include <win32sim/desktop.h>
#include <win32sim/regions.h>

#include <toolkit.h>

#include <cstdint>
#include <string>

namespace {

class OsdWindowsTest : public OsdFixture {};

// The window's font is the size its layout gives, or the largest smaller one whose text fits the
// room: a font of that many points is higher than the window.
void ExpectFittingFont(TForm& window, int layoutSize, int room) {
    const int size = window.Font.Size;
    EXPECT_LE(size, layoutSize);
    EXPECT_LE(window.Canvas.TextHeight("1"), room) << "size " << size;
    if (size < layoutSize) {
        TCanvas larger;
        larger.Font.Assign(window.Font);
        larger.Font.Size = size + 1;
        EXPECT_GT(larger.TextHeight("1"), room) << "the next size would fit too";
    }
}

TEST_F(OsdWindowsTest, EachWindowIsADesktopWindowOfItsOwnClassStayingOnTop) {
    OsdShowText("i", "");
    OsdShowBar("b", 1, "");
    OsdShowClock(false);
    OsdShowInput(0);
    TStringList list;
    list.Add("l");
    OsdShowList(list);
    struct Case {
        TForm* form;
        const char* className;
    };
    for (const Case& c : {Case{FInfo, "TFInfo"}, Case{FBar, "TFBar"}, Case{FTime, "TFTime"},
                          Case{FInput, "TFInput"}, Case{FList, "TFList"}}) {
        SCOPED_TRACE(c.className);
        const auto window = win32sim::Window(c.form->Handle());
        ASSERT_TRUE(window.has_value());
        EXPECT_EQ(window->className, c.className);
        EXPECT_TRUE(window->visible);
        EXPECT_TRUE(window->topmost);
        EXPECT_EQ(c.form->BorderStyle, bsNone);
    }
}

TEST_F(OsdWindowsTest, TheInfoWindowIsAsWideAsItsTextAndPictureAndCentred) {
    OsdShowText("Hello", "");
    // After the text, room for the rounded corner of the region, which would cut the last letter.
    const int w =
        FInfo->Canvas.TextWidth("Hello") + FInfo->imMsgpict->Width + FInfo->ClientHeight / 8;
    EXPECT_EQ(FInfo->imMsgpict->Width, FInfo->imMsgpict->Height) << "the picture area is square";
    EXPECT_EQ(FInfo->ClientWidth, w);
    EXPECT_EQ(FInfo->Left, (1024 - FInfo->Width) / 2);
    ExpectFittingFont(*FInfo, FInfo->ClientHeight * 5 / 7, FInfo->ClientHeight);
    EXPECT_EQ(FInfo->lblMsgtext->Caption(), "Hello");
}

TEST_F(OsdWindowsTest, ATextWiderThanTheScreenGivesNinetyFivePercentCentred) {
    OsdShowText(std::string(60, 'W'), "");
    EXPECT_EQ(FInfo->ClientWidth, 972);
    EXPECT_EQ(FInfo->Left, 26);
    // The font shrinks until the text fits beside the picture.
    EXPECT_LE(FInfo->Canvas.TextWidth(std::string(60, 'W')) + FInfo->imMsgpict->Width +
                  FInfo->ClientHeight / 8,
              972);
    EXPECT_LT(FInfo->Font.Size, FInfo->ClientHeight * 5 / 7);
}

TEST_F(OsdWindowsTest, AWindowWiderThanTheScreenEndsAtItsRightEdge) {
    EXPECT_EQ(CentredLeft(1100), 1024 - 1100);
    EXPECT_EQ(CentredLeft(24), 500);
}

TEST_F(OsdWindowsTest, TheBarIsAlwaysNinetyFivePercentAndCentred) {
    OsdShowBar("x", 10, "");
    EXPECT_EQ(FBar->ClientWidth, 972);
    EXPECT_EQ(FBar->Left, 26);
    EXPECT_EQ(FBar->cgBar->Height, FBar->ClientHeight / 2);
    ExpectFittingFont(*FBar, FBar->ClientHeight * 5 / 14, FBar->lblMsgtext->Height);
}

TEST_F(OsdWindowsTest, TheClockNeverMovesByItself) {
    PutFile(Prog("config.ini"), "[FTime]\r\nTop=11\r\nLeft=900\r\n");
    OsdShowClock(false);
    EXPECT_EQ(FTime->Left, 900);
    EXPECT_EQ(FTime->Top, 11);
    FTime->ShowTime("timer", std::string(40, '8'));
    EXPECT_EQ(FTime->Left, 900);
    EXPECT_LE(FTime->Canvas.TextHeight("1"), FTime->ClientHeight);
    EXPECT_LE(FTime->Canvas.TextWidth(std::string(40, '8')) + FTime->imMsgpict->Width,
              FTime->ClientWidth)
        << "a text wider than the screen gets a smaller font";
    EXPECT_EQ(LastTextWidth, FTime->Canvas.TextWidth(std::string(40, '8')));
}

TEST_F(OsdWindowsTest, TheBackgroundIsBlackAndTransparentOrTheComplementOfTheText) {
    Runtime.Infobackground = 0;
    OsdShowText("a", "");
    EXPECT_EQ(FInfo->Color, 5310424);
    EXPECT_FALSE(FInfo->TransparentColor);
    Runtime.Infobackground = 1;
    OsdShowText("a", "");
    EXPECT_EQ(FInfo->Color, clBlack);
    EXPECT_TRUE(FInfo->TransparentColor);
    EXPECT_EQ(FInfo->TransparentColorValue, clBlack);
}

TEST_F(OsdWindowsTest, PicturesComeFromTheDataFolderAndAMissingOneKeepsTheLast) {
    PutFile(Prog("Data\\Vol.bmp"), BitmapFile(3));
    PutFile(Prog("Data\\Mute.bmp"), BitmapFile(5));
    OsdShowBar("v", 1, "Vol");
    EXPECT_EQ(FBar->imMsgpict->Picture.Width(), 3);
    EXPECT_EQ(FBar->PictureName, "Vol");
    OsdShowBar("v", 1, "Mute");
    EXPECT_EQ(FBar->imMsgpict->Picture.Width(), 5);
    OsdShowBar("v", 1, "");
    EXPECT_EQ(FBar->imMsgpict->Picture.Width(), 5) << "an empty name loads nothing";
    OsdShowBar("v", 1, "nosuch");
    EXPECT_EQ(FBar->imMsgpict->Picture.Width(), 5) << "a missing file keeps the picture";

    OsdShowText("i", "Vol");
    EXPECT_EQ(FInfo->imMsgpict->Picture.Width(), 3);
    OsdShowText("i", "");
    EXPECT_EQ(FInfo->imMsgpict->Picture.Width(), 3);
}

TEST_F(OsdWindowsTest, RegionsAreBuiltOnlyWhenSwitchedOnOrForced) {
    Runtime.Regions = 0;
    OsdShowText("No region", "");
    const HWND window = FInfo->Handle();
    EXPECT_EQ(win32sim::WindowRegion(window), nullptr);
    EXPECT_FALSE(FInfo->NeedRegion);

    FInfo->MakeRegion(true);
    const HRGN region = win32sim::WindowRegion(window);
    ASSERT_NE(region, nullptr);
    const RECT bounds = win32sim::RegionBounds(region);
    // A rounded shape leaves out the last column and row of its box, as on Windows.
    EXPECT_EQ(bounds.right, FInfo->Width - 1);
    EXPECT_EQ(bounds.bottom, FInfo->Height - 1);
    EXPECT_FALSE(win32sim::RegionContains(region, 0, 0)) << "rounded corner";
    EXPECT_TRUE(win32sim::RegionContains(region, FInfo->Width / 2, FInfo->Height / 2));

    FInfo->ClearRegion();
    EXPECT_EQ(win32sim::WindowRegion(window), nullptr);
}

TEST_F(OsdWindowsTest, EachWindowBuildsItsRegionWhenTheTextChanges) {
    Runtime.Regions = 1;
    Runtime.Alpha = 1;
    Runtime.Alphavalue = 200;
    OsdShowText("First", "");
    OsdShowBar("Bar", 50, "");
    OsdShowClock(false);
    // The clock's disc and text stay one pixel inside; rounded shapes leave out the last column
    // and row of their box (the bar's picture is a plain rectangle down to the bottom).
    struct Case {
        TForm* form;
        int inset;
        int rightCut;
        int bottomCut;
    };
    for (const Case& c : {Case{FInfo, 0, 1, 1}, Case{FBar, 0, 1, 0}, Case{FTime, 1, 2, 2}}) {
        SCOPED_TRACE(c.form->Name);
        const HRGN region = win32sim::WindowRegion(c.form->Handle());
        ASSERT_NE(region, nullptr);
        const RECT bounds = win32sim::RegionBounds(region);
        EXPECT_EQ(bounds.left, c.inset);
        EXPECT_EQ(bounds.top, c.inset);
        EXPECT_EQ(bounds.right, c.form->Width - c.rightCut);
        EXPECT_EQ(bounds.bottom, c.form->Height - c.bottomCut);
    }
    EXPECT_TRUE(FInfo->TransparentColor) << "colour key follows Alpha after the region";
    EXPECT_EQ(FTime->AlphaBlendValue, 200);

    const HRGN before = win32sim::WindowRegion(FInfo->Handle());
    OsdShowText("First", "");
    EXPECT_EQ(win32sim::WindowRegion(FInfo->Handle()), before) << "same text, same region";
    OsdShowText("Second text", "");
    const HRGN after = win32sim::WindowRegion(FInfo->Handle());
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(win32sim::RegionBounds(after).right, FInfo->Width - 1);
}

TEST_F(OsdWindowsTest, NoRegionOutlivesItsWindow) {
    Runtime.Regions = 1;
    OsdShowText("a", "");
    OsdShowText("bb", "");
    OsdShowBar("c", 3, "");
    OsdShowBar("dd", 3, "");
    OsdShowClock(false);
    toolkitsim::Reset();
    EXPECT_EQ(FInfo, nullptr);
    EXPECT_EQ(FBar, nullptr);
    EXPECT_EQ(FTime, nullptr);
    EXPECT_EQ(win32sim::HeldGdiObjectCount(), 0u);
}

} // namespace
