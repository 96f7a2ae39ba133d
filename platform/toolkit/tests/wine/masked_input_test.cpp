// The masked edit under Wine shows the blanks of its mask whole, also when the edit is only as
// high as its font's size (the input window's number mode).
#include <presentation_support.h>

#include <gtest/gtest.h>

#include <memory>

using wine_test::Pump;

namespace {

TEST(MaskedInput, TheBlanksOfTheNumberMaskShowInAnEditAsHighAsItsFont) {
    auto form = std::make_unique<TForm>(nullptr);
    form->BorderStyle = bsNone;
    form->FormStyle = fsStayOnTop;
    form->Color = clWhite;
    form->SetBounds(100, 100, 600, 200);
    form->Font.Size = 40;
    form->Font.Color = clBlack;
    auto* edit = new TMaskEdit(form.get());
    edit->Parent = form.get();
    edit->BorderStyle = bsNone;
    edit->Ctl3D = false;
    edit->AutoSize = false;
    edit->ParentColor = true;
    edit->SetBounds(0, 0, form->Canvas.TextWidth("\xB9: 0000"), 96 * 40 / 72);
    edit->MaxLength = 7;
    edit->EditMask = "\xB9: 9999;0;_"; // "№: 9999;0;_"
    edit->Text = "";
    form->Show();
    Pump(200);
    HWND window = wine_test::ChildOf(form->Handle(), "EDIT");
    ASSERT_NE(window, nullptr);
    const wine_test::Pixels pixels(window);
    wine_test::WriteBitmap("masked_input_number.bmp", pixels.Width(), pixels.Height(),
                           [&](int x, int y) { return pixels.At(x, y); });
    // Each blank is a line under its place: dark pixels in the right half, where "№: " is not.
    const int w = pixels.Width();
    int dark = 0;
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = w / 2; x < w; ++x)
            if (GetRValue(pixels.At(x, y)) < 128)
                ++dark;
    EXPECT_GT(dark, 4 * 10) << "the four blanks are drawn";
}

} // namespace
