// End-to-end runs of the real 64-bit tray program under Wine: the single instance, a missing
// receiver library or export, the start into the tray with the test receiver library, and the
// info window that a fed button shows, checked through Win32 and on a screenshot.
#include "screenshot.h"
#include "tray_program_run.h"

#include <gtest/gtest.h>
#include <toolkit.h>

#include <algorithm>
#include <memory>

namespace {

constexpr DWORD kStartTimeout = 20000;
constexpr int kPixelTolerance = 8;

std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& t : texts)
        all += "[" + t + "]";
    return all;
}

// In the tray: the main form exists and the first tick hid it and the application's window.
// (The main form's window exists, hidden, for a moment before it is first shown, so its being
// hidden alone does not tell that the first tick ran.)
bool WaitInTray(const TTrayProgram& program) {
    return WaitFor(
        [&] {
            HWND main = program.FindWindowOfClass("TFMain");
            return main != nullptr && !IsWindowVisible(main) && program.VisibleWindows().empty();
        },
        kStartTimeout);
}

TEST(TrayStart, StartsIntoTheTrayAndSetsUpTheReceiver) {
    TProgramFolder folder(TReceiver::Test);
    ASSERT_TRUE(folder.Made());
    TReceiverFeed feed;
    TTrayProgram program(folder);
    ASSERT_TRUE(program.Started());

    ASSERT_TRUE(WaitInTray(program)) << "no hidden main form of class TFMain";
    EXPECT_TRUE(program.Running());
    // A few ticks later nothing has come back.
    Sleep(500);
    std::vector<std::string> visible;
    for (HWND window : program.VisibleWindows())
        visible.push_back(WindowClass(window));
    EXPECT_TRUE(visible.empty()) << "visible windows: " << Joined(visible);
    // The data port is set to output and the indicator pulsed once, ending off.
    EXPECT_EQ(1, feed.State().DirectionCalls);
    EXPECT_EQ(1, feed.State().LastDirection);
    EXPECT_EQ(1, feed.State().OutPortOnWrites);
    EXPECT_EQ(0, feed.State().LastOutPort);

    // Closing the main form, as the tray menu's exit does, ends the program with 0.
    PostMessageA(program.FindWindowOfClass("TFMain"), WM_CLOSE, 0, 0);
    const std::optional<DWORD> exitCode = program.WaitExit(10000);
    ASSERT_TRUE(exitCode.has_value()) << "the program goes on after its main form closed";
    EXPECT_EQ(0u, *exitCode);
}

TEST(TrayStart, SecondInstanceExitsWithOneAndShowsNothing) {
    TProgramFolder folder(TReceiver::Test);
    ASSERT_TRUE(folder.Made());
    TReceiverFeed feed;
    TTrayProgram first(folder);
    ASSERT_TRUE(first.Started());
    ASSERT_TRUE(WaitInTray(first));

    TTrayProgram second(folder);
    ASSERT_TRUE(second.Started());
    std::vector<std::string> shown;
    std::optional<DWORD> exitCode;
    WaitFor(
        [&] {
            for (HWND window : second.VisibleWindows())
                shown.push_back(WindowClass(window));
            exitCode = second.WaitExit(0);
            return exitCode.has_value();
        },
        kStartTimeout);
    ASSERT_TRUE(exitCode.has_value()) << "the second instance is still running";
    EXPECT_EQ(1u, *exitCode);
    EXPECT_TRUE(shown.empty()) << "the second instance showed: " << Joined(shown);
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(1, feed.State().DirectionCalls) << "the second instance bound the receiver";
}

struct TBindingCase {
    const char* label;
    TReceiver receiver;
    const char* messageKey;
};

class BindingFailure : public ::testing::TestWithParam<TBindingCase> {};

TEST_P(BindingFailure, ShowsItsMessageAndExitsWithOne) {
    const TBindingCase& c = GetParam();
    TProgramFolder folder(c.receiver);
    ASSERT_TRUE(folder.Made());
    const std::string expected = folder.LanguageText("Msg", c.messageKey);
    ASSERT_FALSE(expected.empty()) << c.messageKey << " missing in LANG\\Rus.ini";
    TTrayProgram program(folder);
    ASSERT_TRUE(program.Started());

    HWND box = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            box = program.FindWindowOfClass("#32770");
            return box != nullptr && IsWindowVisible(box);
        },
        kStartTimeout))
        << "no message box";
    const std::vector<std::string> texts = ChildTexts(box, "Static");
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), expected))
        << "box texts: " << Joined(texts);
    EXPECT_TRUE(program.Running()) << "the program did not wait for the box";

    HWND ok = GetDlgItem(box, IDOK);
    ASSERT_NE(nullptr, ok) << "no OK button";
    PostMessageA(ok, BM_CLICK, 0, 0);
    const std::optional<DWORD> exitCode = program.WaitExit(10000);
    ASSERT_TRUE(exitCode.has_value()) << "the program goes on after the box";
    EXPECT_EQ(1u, *exitCode);
}

INSTANTIATE_TEST_SUITE_P(Receiver, BindingFailure,
                         ::testing::Values(TBindingCase{"no_library", TReceiver::None, "err_nodll"},
                                           TBindingCase{"missing_export", TReceiver::MissingExport,
                                                        "err_nofunc"}),
                         [](const auto& info) { return std::string(info.param.label); });

// ---- the info window ----

struct TInfoCase {
    const char* label;
    const char* button;
    const char* shownText; // the bound command's name, or the unmatched button expression
    bool regions;
    bool alpha;
    int alphaValue;
    bool infobackground;
    bool layoutInConfig; // else the FInfo section is missing and the values below are its defaults
    int top;
    int height;
    COLORREF color; // red in the low byte, as config.ini holds it
};

// Bounds as the info window computes them: its text's width on its canvas in the font of its
// height plus the square picture area, centred on the screen; top and height from config.ini.
RECT ExpectedBounds(const TInfoCase& c) {
    TCanvas canvas;
    canvas.Font.Name = "Arial";
    canvas.Font.Style = TFontStyles{fsBold};
    // The size of the window's height, or the largest smaller one whose text fits that height.
    int size = static_cast<int>(c.height * 5 / 7.0);
    canvas.Font.Size = size;
    while (size > 1 && canvas.TextHeight("1") > c.height)
        canvas.Font.Size = --size;
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    // The picture is as wide as the window is high; room for the rounded corner follows the text.
    int width = canvas.TextWidth(c.shownText) + c.height + c.height / 8;
    if (width >= screen)
        width = static_cast<int>(screen * 0.95);
    int left = (screen - width) / 2;
    if (left + width > screen)
        left = screen - width;
    return RECT{left, c.top, left + width, c.top + c.height};
}

// The rounded shape: the picture part and the text part, with a gap between them.
HRGN ExpectedRegion(int w, int h) {
    HRGN combined = CreateRoundRectRgn(0, 0, w, h, h / 4, h / 4);
    HRGN picture = CreateRoundRectRgn(0, 0, h - 1, h, h / 4, h / 4);
    HRGN text = CreateRoundRectRgn(h + 1, 0, w, h, h / 4, h / 4);
    CombineRgn(combined, picture, text, RGN_OR);
    DeleteObject(picture);
    DeleteObject(text);
    return combined;
}

class InfoWindow : public ::testing::TestWithParam<TInfoCase> {
protected:
    // Starts the program with the case's settings into the tray.
    bool StartInTray() {
        const TInfoCase& c = GetParam();
        folder_ = std::make_unique<TProgramFolder>(TReceiver::Test);
        if (!folder_->Made())
            return false;
        folder_->SetConfig("Interface", "Regions", c.regions ? "1" : "0");
        folder_->SetConfig("Interface", "Alpha", c.alpha ? "1" : "0");
        folder_->SetConfig("Interface", "Alphavalue", std::to_string(c.alphaValue));
        folder_->SetConfig("Interface", "Infobackground", c.infobackground ? "1" : "0");
        folder_->SetConfig("Interface", "Animation", "0");
        if (c.layoutInConfig) {
            folder_->SetConfig("FInfo", "Top", std::to_string(c.top));
            folder_->SetConfig("FInfo", "Height", std::to_string(c.height));
            // Left and Width are the window's own: it centres itself on its text.
            folder_->SetConfig("FInfo", "Left", "3");
            folder_->SetConfig("FInfo", "Width", "700");
            folder_->SetConfig("FInfo", "Color", std::to_string(c.color));
        }
        feed_ = std::make_unique<TReceiverFeed>();
        program_ = std::make_unique<TTrayProgram>(*folder_);
        return program_->Started() && WaitInTray(*program_);
    }

    // Presses the case's button and waits for the info window.
    HWND PressAndWaitForInfo() {
        const std::int64_t code = folder_->ButtonCode(GetParam().button);
        if (code == -1) {
            ADD_FAILURE() << "no button " << GetParam().button << " in Bin\\defcode.bin";
            return nullptr;
        }
        feed_->Press(code);
        HWND info = nullptr;
        WaitFor(
            [&] {
                info = program_->FindWindowOfClass("TFInfo");
                return info != nullptr && IsWindowVisible(info);
            },
            kStartTimeout);
        if (info == nullptr || !IsWindowVisible(info))
            return nullptr;
        // The window shows before the info window sizes it to its text: the program's tick has
        // ended when it answers a message.
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(info, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer))
            return nullptr;
        return info;
    }

    std::unique_ptr<TProgramFolder> folder_;
    std::unique_ptr<TReceiverFeed> feed_;
    std::unique_ptr<TTrayProgram> program_;
};

TEST_P(InfoWindow, FedButtonShowsItWithTheConfiguredBoundsAndLayering) {
    const TInfoCase& c = GetParam();
    ASSERT_TRUE(StartInTray());
    const LONG pulsesBefore = feed_->State().OutPortOnWrites;
    HWND info = PressAndWaitForInfo();
    ASSERT_NE(nullptr, info) << "no visible window of class TFInfo";

    // The code was read and the indicator pulsed around its decoding.
    EXPECT_TRUE(feed_->WaitHandedOut(0));
    EXPECT_EQ(pulsesBefore + 1, feed_->State().OutPortOnWrites);
    EXPECT_EQ(0, feed_->State().LastOutPort);

    RECT bounds{};
    ASSERT_TRUE(GetWindowRect(info, &bounds));
    const RECT expected = ExpectedBounds(c);
    EXPECT_EQ(expected.left, bounds.left);
    EXPECT_EQ(expected.top, bounds.top);
    EXPECT_EQ(expected.right - expected.left, bounds.right - bounds.left);
    EXPECT_EQ(expected.bottom - expected.top, bounds.bottom - bounds.top);

    const LONG exStyle = GetWindowLongA(info, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    ASSERT_TRUE(exStyle & WS_EX_LAYERED);
    COLORREF key = 0xDEAD;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(info, &key, &alpha, &flags));
    EXPECT_EQ(c.alpha ? c.alphaValue : 255, alpha);
    // The shape's construction hands the colour key to Alpha; without it Infobackground has it.
    const bool keyed = c.regions ? c.alpha : c.infobackground;
    EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA | (keyed ? LWA_COLORKEY : 0)), flags);
    if (keyed) {
        EXPECT_EQ(0u, key) << "the colour key is black";
    }

    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetWindowRgn(info, region);
    if (c.regions) {
        EXPECT_EQ(COMPLEXREGION, kind);
        HRGN shape = ExpectedRegion(bounds.right - bounds.left, bounds.bottom - bounds.top);
        EXPECT_TRUE(EqualRgn(region, shape)) << "the window region is not the rounded shape";
        DeleteObject(shape);
    } else {
        EXPECT_EQ(ERROR, kind) << "a window region without Regions";
    }
    DeleteObject(region);
}

TEST_P(InfoWindow, ScreenshotCarriesTheShapeAndColours) {
    const TInfoCase& c = GetParam();
    if (!TScreenshot::Available())
        GTEST_SKIP() << "screenshots are taken by run_with_screenshots.sh";
    ASSERT_TRUE(StartInTray());
    const std::optional<TScreenshot> before = TScreenshot::Take(std::string(c.label) + "-before");
    ASSERT_TRUE(before.has_value()) << "no screenshot";
    HWND info = PressAndWaitForInfo();
    ASSERT_NE(nullptr, info) << "no visible window of class TFInfo";
    RECT r{};
    ASSERT_TRUE(GetWindowRect(info, &r));
    // The X server shows what Wine drew a moment later.
    Sleep(300);
    const std::optional<TScreenshot> shot = TScreenshot::Take(c.label);
    ASSERT_TRUE(shot.has_value()) << "no screenshot";
    ASSERT_TRUE(IsWindowVisible(info)) << "the info window closed before the screenshot";

    const int h = r.bottom - r.top;
    auto unchanged = [&](int x, int y) {
        return Near(shot->At(x, y), before->At(x, y), kPixelTolerance);
    };
    // Inside the picture area, clear of the rounded corners; no picture file is there, so it
    // shows the window's background.
    const int pictureX = r.left + h / 2, pictureY = r.top + h / 2;
    const TRgb inside = shot->At(pictureX, pictureY);
    auto showsWindow = [&](int x, int y) { return Near(shot->At(x, y), inside, kPixelTolerance); };
    // What a window region cuts away is compared with the window's own colour, not with the
    // display before: Wine does not repaint another process's window that the region uncovers.
    // Wine 8 also drops the shape from the display when a colour key is set after the region,
    // as the shape's construction does with Alpha; the region itself is checked through Win32.
    if (c.regions && !c.alpha) {
        EXPECT_FALSE(unchanged(pictureX, pictureY)) << "the window does not show";
        EXPECT_FALSE(showsWindow(r.left, r.top)) << "the rounded corner is not cut away";
        EXPECT_FALSE(showsWindow(r.left + h - 1, r.top + h / 2))
            << "no gap between picture and text";
    } else if (!c.regions && !c.infobackground) {
        EXPECT_FALSE(unchanged(pictureX, pictureY)) << "the window does not show";
        EXPECT_TRUE(showsWindow(r.left, r.top)) << "the window does not fill its corner";
        EXPECT_TRUE(showsWindow(r.left + h - 1, r.top + h / 2)) << "a gap without a region";
    }

    const TRgb text = FromColorRef(c.color);
    const RECT textArea{r.left + h + 1, r.top, r.right, r.bottom};
    EXPECT_GT(shot->CountNear(textArea, text, kPixelTolerance), 100) << "no text in its colour";
    if (c.infobackground) {
        // Keyed out, the background shows the display behind, black on the virtual display;
        // either way it is not painted in a colour.
        EXPECT_TRUE(unchanged(pictureX, pictureY)) << "the background is painted";
    } else {
        const TRgb background = FromColorRef(c.color ^ 0xFFFFFF);
        EXPECT_TRUE(Near(shot->At(pictureX, pictureY), background, kPixelTolerance))
            << "the background is not the complement of the text colour";
        EXPECT_GT(shot->CountNear(textArea, background, kPixelTolerance), 100)
            << "no background between the letters";
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, InfoWindow,
                         ::testing::Values(
                             // A bound button shows its command's name (showcmdtext).
                             TInfoCase{"plain", "Play", "Enter", false, false, 255, false, true,
                                       120, 100, 0x00C000},
                             // A button bound for no application in front shows its expression.
                             TInfoCase{"rounded", "Pause", "\"Pause\"", true, false, 255, false,
                                       true, 300, 80, 0x0000FF},
                             TInfoCase{"rounded_translucent", "Play", "Enter", true, true, 170,
                                       false, true, 20, 140, 0xFF8000},
                             TInfoCase{"transparent_background", "Play", "Enter", false, true, 220,
                                       true, true, 500, 60, 0x00FFFF},
                             // Top 0, half the screen's height cut to the window's greatest height,
                             // the default colour.
                             TInfoCase{"default_layout", "Pause", "\"Pause\"", false, false, 255,
                                       false, false, 0, 150, 11466791}),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
