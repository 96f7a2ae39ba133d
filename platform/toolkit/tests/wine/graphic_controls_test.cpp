// Graphic controls painted by their parent window: labels, images from .bmp files, gauges, and
// panels as child windows that paint themselves and the graphic controls on them.
#include <presentation_support.h>

#include <gtest/gtest.h>

#include <memory>

using wine_test::Pixels;
using wine_test::Pump;

namespace {

constexpr COLORREF kText = 11466791; // the on-screen windows' default text colour
constexpr COLORREF kBack = 5310424;  // its complement

std::unique_ptr<TForm> NewForm(TColor color) {
    auto form = std::make_unique<TForm>(nullptr);
    form->BorderStyle = bsNone;
    form->SetBounds(100, 100, 400, 200);
    form->Color = color;
    form->Font.Name = "Arial";
    form->Font.Style = TFontStyles{fsBold};
    form->Font.Height = -40;
    form->Font.Color = static_cast<TColor>(kText);
    return form;
}

TLabel* NewLabel(TForm& form, const std::string& text, int left, int top, int width, int height) {
    auto* label = new TLabel(&form);
    label->Parent = &form;
    label->AutoSize = false;
    label->SetBounds(left, top, width, height);
    label->Caption = text;
    return label;
}

// The columns of the area that hold the colour.
std::pair<int, int> ColumnsWith(const Pixels& p, COLORREF color, RECT r) {
    int first = -1, last = -1;
    for (int x = r.left; x < r.right; ++x)
        if (p.Count(color, RECT{x, r.top, x + 1, r.bottom}) > 0) {
            if (first < 0)
                first = x;
            last = x;
        }
    return {first, last};
}

TEST(GraphicControls, ALabelDrawsItsTextInItsFontColourOnItsParentsColour) {
    auto form = NewForm(static_cast<TColor>(kBack));
    TLabel* label = NewLabel(*form, "\xCF\xF0\xE8\xE2\xE5\xF2", 10, 10, 380, 60); // "Привет"
    form->Show();
    Pump();
    const Pixels p(form->Handle());
    EXPECT_EQ(label->Color, static_cast<TColor>(kBack)) << "a label follows its parent's colour";
    EXPECT_GT(p.Count(kText, RECT{10, 10, 390, 70}), 200) << "the text's pixels";
    EXPECT_EQ(p.Count(kText, RECT{0, 75, 400, 200}), 0) << "nothing below the label";
    EXPECT_EQ(p.At(5, 5), kBack);
    EXPECT_EQ(p.At(380, 65), kBack) << "the label's own background is the parent's colour";
    // The text is as wide as the canvas measures it.
    const auto [first, last] = ColumnsWith(p, kText, RECT{10, 10, 390, 70});
    EXPECT_NEAR(last - first + 1, form->Canvas.TextWidth(label->Caption), 6);
}

TEST(GraphicControls, LabelAlignmentTransparencyAndWordWrap) {
    auto form = NewForm(clBlack);
    NewLabel(*form, "Ab", 0, 0, 400, 50);
    TLabel* right = NewLabel(*form, "Ab", 0, 50, 400, 50);
    right->Alignment = taRightJustify;
    TLabel* opaque = NewLabel(*form, "", 0, 100, 200, 50);
    opaque->Color = clNavy;
    TLabel* wrapped = NewLabel(*form, "Ab Ab", 200, 100, 70, 100);
    wrapped->WordWrap = true;
    wrapped->Transparent = true;
    form->Show();
    Pump();
    const Pixels p(form->Handle());
    const auto [l1, l2] = ColumnsWith(p, kText, RECT{0, 0, 400, 50});
    EXPECT_GE(l1, 0);
    EXPECT_LT(l2, 100) << "left-justified";
    const auto [r1, r2] = ColumnsWith(p, kText, RECT{0, 50, 400, 100});
    EXPECT_GT(r1, 300) << "right-justified";
    EXPECT_GE(r2, 390);
    EXPECT_EQ(p.Count(static_cast<COLORREF>(clNavy), RECT{0, 100, 200, 150}), 200 * 50)
        << "an opaque label fills its bounds with its colour";
    // Two lines: text in the upper and in the lower half of the wrapped label.
    EXPECT_GT(p.Count(kText, RECT{200, 100, 270, 145}), 20);
    EXPECT_GT(p.Count(kText, RECT{200, 147, 270, 200}), 20);
    EXPECT_GT(p.Count(static_cast<COLORREF>(clBlack), RECT{200, 100, 270, 200}), 0)
        << "transparent: the form shows through";
}

TEST(GraphicControls, LabelLayoutPlacesTheTextVertically) {
    struct Case {
        const char* label;
        TTextLayout layout;
        int top; // the text's rows lie within top .. bottom
        int bottom;
    };
    const Case cases[] = {
        {"top", tlTop, 0, 70},
        {"centre", tlCenter, 65, 135},
        {"bottom", tlBottom, 130, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        auto form = NewForm(clBlack);
        TLabel* label = NewLabel(*form, "Ab", 0, 0, 400, 200);
        label->Layout = c.layout;
        form->Show();
        Pump();
        const Pixels p(form->Handle());
        EXPECT_GT(p.Count(kText, RECT{0, c.top, 400, c.bottom}), 100);
        EXPECT_EQ(p.Count(kText), p.Count(kText, RECT{0, c.top, 400, c.bottom}));
    }
}

TEST(GraphicControls, ADisabledLabelIsGrey) {
    auto form = NewForm(clBlack);
    TLabel* label = NewLabel(*form, "Ab", 0, 0, 400, 60);
    label->Enabled = false;
    form->Show();
    Pump();
    const Pixels p(form->Handle());
    EXPECT_EQ(p.Count(kText), 0);
    EXPECT_GT(p.Count(GetSysColor(COLOR_GRAYTEXT)), 50);
}

TEST(GraphicControls, AnAutoSizedLabelTakesTheRealExtentOfItsText) {
    auto form = NewForm(clBlack);
    auto* label = new TLabel(form.get());
    label->Parent = form.get();
    label->Caption = "12:30";
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontA(-40, 0, 0, 0, FW_BOLD, 0, 0, 0, RUSSIAN_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, "12:30", 5, &size);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    EXPECT_EQ(label->Width, size.cx);
    EXPECT_EQ(label->Height, size.cy);
}

TEST(GraphicControls, AnImageDrawsItsBitmapStretchedOrCentredAndTransparent) {
    const std::string folder = wine_test::TestFolder();
    // Four quadrants: red, green / blue, white (white is the bottom-left: the transparent colour).
    const auto quadrants = [](int x, int y) {
        if (y < 5)
            return x < 5 ? RGB(255, 0, 0) : RGB(0, 255, 0);
        return x < 5 ? RGB(255, 255, 255) : RGB(0, 0, 255);
    };
    struct Case {
        const char* label;
        int bitCount;
    };
    for (const Case c : {Case{"24 bits", 24}, Case{"8 bits with a palette", 8}}) {
        SCOPED_TRACE(c.label);
        const std::string path = folder + "quadrants" + std::to_string(c.bitCount) + ".bmp";
        wine_test::WriteBitmap(path, 10, 10, quadrants, c.bitCount);
        auto form = NewForm(clBlack);
        auto* stretched = new TImage(form.get());
        stretched->Parent = form.get();
        stretched->SetBounds(0, 0, 100, 100);
        stretched->Stretch = true;
        stretched->Picture.LoadFromFile(path);
        auto* centred = new TImage(form.get());
        centred->Parent = form.get();
        centred->SetBounds(200, 0, 100, 100);
        centred->Center = true;
        centred->Transparent = true;
        centred->Picture.LoadFromFile(path);
        form->Show();
        Pump();
        const Pixels p(form->Handle());
        EXPECT_EQ(p.At(20, 20), RGB(255, 0, 0));
        EXPECT_EQ(p.At(80, 20), RGB(0, 255, 0));
        EXPECT_EQ(p.At(20, 80), RGB(255, 255, 255));
        EXPECT_EQ(p.At(80, 80), RGB(0, 0, 255));
        // 10 x 10 in the middle of 100 x 100: pixels 245..254, 45..54.
        EXPECT_EQ(p.At(246, 46), RGB(255, 0, 0));
        EXPECT_EQ(p.At(253, 53), RGB(0, 0, 255));
        EXPECT_EQ(p.At(246, 53), RGB(0, 0, 0)) << "the white quadrant is transparent";
        EXPECT_EQ(p.At(240, 40), RGB(0, 0, 0)) << "outside the picture: the form";
    }
}

TEST(GraphicControls, AProportionalImageKeepsTheShapeOfItsPicture) {
    const std::string path = wine_test::TestFolder() + "wide.bmp";
    wine_test::WriteBitmap(path, 40, 10, [](int, int) { return RGB(255, 0, 0); });
    auto form = NewForm(clBlack);
    auto* image = new TImage(form.get());
    image->Parent = form.get();
    image->SetBounds(0, 0, 100, 100);
    image->Stretch = true;
    image->Proportional = true;
    image->Center = true;
    image->Picture.LoadFromFile(path);
    form->Show();
    Pump();
    const Pixels p(form->Handle());
    // 100 x 25, centred: rows 37..61.
    EXPECT_EQ(p.Count(RGB(255, 0, 0)), 100 * 25);
    EXPECT_EQ(p.At(50, 40), RGB(255, 0, 0));
    EXPECT_EQ(p.At(50, 20), RGB(0, 0, 0));
}

TEST(GraphicControls, AGaugeFillsItsShareWithTheForeColourAndRepaintsOnProgress) {
    auto form = NewForm(clBlack);
    auto* bar = new TCGauge(form.get());
    bar->Parent = form.get();
    bar->SetBounds(0, 0, 200, 40);
    bar->BorderStyle = bsNone;
    bar->ForeColor = clBlue;
    bar->BackColor = clSkyBlue;
    bar->ShowText = false;
    bar->Progress = 25;
    auto* vertical = new TCGauge(form.get());
    vertical->Parent = form.get();
    vertical->SetBounds(300, 0, 40, 100);
    vertical->BorderStyle = bsNone;
    vertical->Kind = gkVerticalBar;
    vertical->ForeColor = clRed;
    vertical->BackColor = clWhite;
    vertical->ShowText = false;
    vertical->Progress = 30;
    form->Show();
    Pump();
    {
        const Pixels p(form->Handle());
        EXPECT_EQ(p.Count(static_cast<COLORREF>(clBlue), RECT{0, 0, 200, 40}), 50 * 40);
        EXPECT_EQ(p.Count(static_cast<COLORREF>(clSkyBlue), RECT{50, 0, 200, 40}), 150 * 40);
        EXPECT_EQ(p.Count(static_cast<COLORREF>(clRed), RECT{300, 70, 340, 100}), 40 * 30)
            << "a vertical bar fills from the bottom";
        EXPECT_EQ(p.Count(static_cast<COLORREF>(clRed)), 40 * 30);
    }
    bar->Progress = 80;
    bar->ShowText = true;
    bar->Font.Color = clYellow;
    Pump();
    const Pixels p(form->Handle());
    EXPECT_EQ(p.At(150, 2), static_cast<COLORREF>(clBlue));
    EXPECT_EQ(p.At(170, 2), static_cast<COLORREF>(clSkyBlue));
    EXPECT_GT(p.Count(static_cast<COLORREF>(clYellow), RECT{60, 0, 140, 40}), 10)
        << "the percentage in the middle";
}

TEST(GraphicControls, APanelIsAChildWindowThatPaintsItselfAndTheControlsOnIt) {
    auto form = NewForm(static_cast<TColor>(kBack));
    auto* panel = new TPanel(form.get());
    panel->Parent = form.get();
    panel->SetBounds(20, 30, 200, 100);
    panel->BevelOuter = bvNone;
    panel->Color = clTeal;
    auto* label = new TLabel(form.get());
    label->Parent = panel;
    label->AutoSize = false;
    label->SetBounds(0, 0, 200, 50);
    label->Caption = "Ab";
    auto* bar = new TCGauge(form.get());
    bar->Parent = panel;
    bar->Align = alBottom;
    bar->Height = 20;
    bar->BorderStyle = bsNone;
    bar->ForeColor = clBlue;
    bar->ShowText = false;
    bar->Progress = 50;
    form->Show();
    Pump();
    HWND child = wine_test::ChildOf(form->Handle(), "TPanel");
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(GetWindowLongPtrA(child, GWL_STYLE) & WS_CHILD);
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right, 220);
    EXPECT_EQ(r.bottom, 130);
    {
        const Pixels p(child);
        EXPECT_EQ(p.At(150, 60), static_cast<COLORREF>(clTeal));
        EXPECT_GT(p.Count(kText, RECT{0, 0, 200, 50}), 50) << "the label on the panel";
        EXPECT_EQ(p.Count(static_cast<COLORREF>(clBlue), RECT{0, 80, 200, 100}), 100 * 20)
            << "the gauge aligned to the bottom, half full";
        const Pixels f(form->Handle());
        EXPECT_EQ(f.At(10, 10), kBack);
        EXPECT_EQ(f.At(100, 60), static_cast<COLORREF>(clTeal)) << "the form shows the panel";
    }
    panel->ParentColor = true;
    form->Color = clMaroon;
    panel->SetBounds(40, 30, 200, 100);
    Pump();
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 40);
    const Pixels p(child);
    EXPECT_EQ(p.At(150, 60), static_cast<COLORREF>(clMaroon)) << "the panel follows the form";
    panel->Visible = false;
    EXPECT_FALSE(IsWindowVisible(child));
}

TEST(GraphicControls, ARaisedPanelDrawsItsBevel) {
    auto form = NewForm(clBlack);
    auto* panel = new TPanel(form.get());
    panel->Parent = form.get();
    panel->SetBounds(0, 0, 100, 50);
    panel->Color = clTeal;
    form->Show();
    Pump();
    const Pixels p(wine_test::ChildOf(form->Handle(), "TPanel"));
    EXPECT_EQ(p.At(0, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(p.At(99, 49), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(p.At(50, 25), static_cast<COLORREF>(clTeal));
}

TEST(GraphicControls, AGraphicControlMovedToAnotherParentIsPaintedThereOnly) {
    auto form = NewForm(clBlack);
    auto* panel = new TPanel(form.get());
    panel->Parent = form.get();
    panel->SetBounds(200, 0, 200, 200);
    panel->BevelOuter = bvNone;
    panel->Color = clNavy;
    auto* bar = new TCGauge(form.get());
    bar->Parent = panel;
    bar->SetBounds(0, 0, 100, 20);
    bar->BorderStyle = bsNone;
    bar->ShowText = false;
    bar->ForeColor = clRed;
    bar->Progress = 100;
    form->Show();
    Pump();
    HWND child = wine_test::ChildOf(form->Handle(), "TPanel");
    EXPECT_EQ(Pixels(child).Count(static_cast<COLORREF>(clRed)), 100 * 20);
    bar->Parent = form.get();
    Pump();
    EXPECT_EQ(Pixels(child).Count(static_cast<COLORREF>(clRed)), 0);
    EXPECT_EQ(Pixels(form->Handle()).Count(static_cast<COLORREF>(clRed), RECT{0, 0, 100, 20}),
              100 * 20);
    delete bar;
    Pump();
    EXPECT_EQ(Pixels(form->Handle()).Count(static_cast<COLORREF>(clRed)), 0);
}

} // namespace
