// Tests of the masked edit, the gauge, the timer's class and bitmaps loaded from files.
#include <toolkit.h>

#include <cp1251.h>
#include <toolkit_fixture.h>

#include <gtest/gtest.h>

#include <string>

namespace {

class ControlsTest : public ToolkitTest {
protected:
    // A form with a focused masked edit, as the input window has.
    TMaskEdit* Edit(const char* mask, const char* text) {
        auto* form = new TForm(Application);
        form->KeyPreview = true;
        auto* edit = new TMaskEdit(form);
        edit->Parent = form;
        edit->EditMask = mask;
        edit->Text = text;
        form->Show();
        form_ = form;
        return edit;
    }
    void Type(const std::string& keys) {
        for (char c : keys)
            toolkitsim::KeyPress(*form_, c);
    }
    TForm* form_ = nullptr;
};

constexpr char kNumberMask[] = "\xB9: 9999;0;_"; // "№: 9999;0;_"

TEST_F(ControlsTest, TimeMaskKeepsItsLiteralAndSkipsIt) {
    TMaskEdit* e = Edit("!90:00;1;_", "00:00");
    EXPECT_EQ(e->EditText(), "00:00");
    EXPECT_EQ(e->Text(), "00:00");
    EXPECT_EQ(e->SelStart, 0);
    Type("07");
    EXPECT_EQ(e->SelStart, 3); // past the colon
    Type("3");
    EXPECT_EQ(e->Text(), "07:30");
    Type("5");
    EXPECT_EQ(e->SelStart, 5);
    Type("9"); // no position left
    EXPECT_EQ(e->Text(), "07:35");
    e->SelStart = 0;
    Type("x"); // not a digit
    EXPECT_EQ(e->Text(), "07:35");
    EXPECT_EQ(e->SelStart, 0);
    e->SelStart = 3;
    Type("\b");
    EXPECT_EQ(e->EditText(), "0_:35");
    EXPECT_EQ(e->Text(), "0 :35");
    EXPECT_EQ(e->SelStart, 1);
}

TEST_F(ControlsTest, NumberMaskDropsItsLiteralsFromText) {
    TMaskEdit* e = Edit(kNumberMask, "");
    EXPECT_EQ(e->EditText(), "\xB9: ____");
    EXPECT_EQ(e->Text(), "    ");
    Type("12");
    EXPECT_EQ(e->EditText(), "\xB9: 12__");
    EXPECT_EQ(e->Text(), "12  ");
    EXPECT_EQ(e->SelStart, 5);
    Type("345");
    EXPECT_EQ(e->Text(), "1234");
    EXPECT_EQ(e->SelStart, 7);
    e->SelStart = 3;
    Type("9");
    EXPECT_EQ(e->Text(), "9234");
    EXPECT_EQ(Trim(e->Text), "9234");
}

TEST_F(ControlsTest, TheNumberMaskShowsABlankInEachEmptyPosition) {
    TMaskEdit* e = Edit(kNumberMask, "");
    EXPECT_EQ(e->GetEditText(), "\xB9: ____");
    const bool blanks[] = {false, false, false, true, true, true, true, false};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(e->IsBlank(k), blanks[k]) << k;
    e->Text = "7";
    EXPECT_EQ(e->GetEditText(), "\xB9: 7___");
    EXPECT_FALSE(e->IsBlank(3));
    EXPECT_TRUE(e->IsBlank(4));
}

TEST_F(ControlsTest, SettingTextFillsPositionsTheMaskAccepts) {
    struct Case {
        const char* mask;
        const char* text;
        const char* editText;
        const char* result;
    };
    const Case cases[] = {
        {"!90:00;1;_", "12:34", "12:34", "12:34"}, {"!90:00;1;_", "1234", "12:34", "12:34"},
        {"!90:00;1;_", "1a:34", "1_:34", "1 :34"}, {"!90:00;1;_", "", "__:__", "  :  "},
        {kNumberMask, "42", "\xB9: 42__", "42  "}, {kNumberMask, "\xB9: 7", "\xB9: 7___", "7   "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mask) + " <- " + c.text);
        TMaskEdit* e = Edit(c.mask, c.text);
        EXPECT_EQ(e->EditText(), c.editText);
        EXPECT_EQ(e->Text(), c.result);
    }
}

TEST_F(ControlsTest, KeyPressHandlerSeesAndMayDropKeysFirst) {
    TMaskEdit* e = Edit("!90:00;1;_", "00:00");
    std::string seen;
    e->OnKeyPress = [&](TObject*, char& key) {
        seen += key;
        if (key == '9')
            key = 0;
    };
    int changes = 0;
    e->OnChange = [&](TObject*) { ++changes; };
    Type("19\r");
    EXPECT_EQ(seen, "19\r");
    EXPECT_EQ(e->Text(), "10:00");
    EXPECT_EQ(changes, 1);
}

TEST_F(ControlsTest, GaugeKeepsProgressInItsRange) {
    TCGauge gauge(nullptr);
    EXPECT_STREQ(gauge.ClassName(), "TCGauge");
    gauge.Progress = 55;
    EXPECT_EQ(gauge.Progress, 55);
    gauge.Progress = 130;
    EXPECT_EQ(gauge.Progress, 100);
    gauge.Progress = -4;
    EXPECT_EQ(gauge.Progress, 0);
    gauge.MaxValue = 200;
    gauge.Progress = 50;
    EXPECT_EQ(gauge.PercentDone(), 25);
}

// A bitmap file: 14-byte file header, 40-byte information header, 24-bit pixels.
std::string Bmp(int width, int height, int bits = 24) {
    const int row = (width * bits + 31) / 32 * 4;
    const int palette = bits <= 8 ? (1 << bits) * 4 : 0;
    const int off = 14 + 40 + palette;
    const int size = off + row * (height < 0 ? -height : height);
    std::string b(static_cast<std::size_t>(size), '\0');
    auto put16 = [&](int at, int v) {
        b[at] = static_cast<char>(v & 0xFF);
        b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
    };
    auto put32 = [&](int at, int v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, (v >> 16) & 0xFFFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, size);
    put32(10, off);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    put16(26, 1);
    put16(28, bits);
    return b;
}

TEST_F(ControlsTest, BitmapLoadsFromAWindowsPath) {
    PutFile(Prog("Data\\Vol.bmp"), Bmp(3, 2));
    PutFile(Prog("Data\\timer.bmp"), Bmp(16, -16, 8));
    TImage image(nullptr);
    image.Picture.LoadFromFile(Prog("DATA\\vol.BMP"));
    EXPECT_EQ(image.Picture.Width(), 3);
    EXPECT_EQ(image.Picture.Height(), 2);
    image.Picture.LoadFromFile(Prog("Data\\timer.bmp"));
    EXPECT_EQ(image.Picture.Bitmap.Width(), 16);
    EXPECT_EQ(image.Picture.Bitmap.Height(), 16);
    EXPECT_EQ(image.Picture.Bitmap.BitCount(), 8);
}

TEST_F(ControlsTest, BitmapKeepsItsInformationAndPixelsAsTheFileHoldsThem) {
    const std::string colour = Bmp(3, 2);
    const std::string palette = Bmp(16, -16, 8);
    PutFile(Prog("Data\\Vol.bmp"), colour);
    PutFile(Prog("Data\\timer.bmp"), palette);
    TBitmap bitmap;
    bitmap.LoadFromFile(Prog("Data\\Vol.bmp"));
    EXPECT_EQ(bitmap.InfoBytes(), colour.substr(14, 40)) << "the header alone";
    EXPECT_EQ(bitmap.PixelBytes(), colour.substr(54)) << "two rows of 12 bytes";
    EXPECT_EQ(bitmap.PixelBytes().size(), 24u);
    bitmap.LoadFromFile(Prog("Data\\timer.bmp"));
    EXPECT_EQ(bitmap.InfoBytes(), palette.substr(14, 40 + 256 * 4)) << "with its palette";
    EXPECT_EQ(bitmap.PixelBytes().size(), 16u * 16u);
    PutFile(Prog("Data\\bad.bmp"), colour.substr(0, 30));
    EXPECT_THROW(bitmap.LoadFromFile(Prog("Data\\bad.bmp")), EInvalidGraphic);
    EXPECT_EQ(bitmap.InfoBytes().size(), 40u + 1024u) << "a failed load keeps the bitmap";
    TBitmap copy;
    copy.Assign(bitmap);
    EXPECT_EQ(copy.InfoBytes(), bitmap.InfoBytes());
    copy.Clear();
    EXPECT_TRUE(copy.InfoBytes().empty());
    EXPECT_TRUE(copy.PixelBytes().empty());
}

TEST_F(ControlsTest, DamagedOrMissingBitmapsRaiseAndKeepThePicture) {
    const std::string good = Bmp(4, 4);
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string badMagic = good;
    badMagic[0] = 'X';
    std::string badPlanes = good;
    badPlanes[26] = 2;
    std::string badBits = good;
    badBits[28] = 7;
    std::string badHeader = good;
    badHeader[14] = 41;
    std::string offPastEnd = good;
    offPastEnd[11] = 0x7F;
    std::string zeroWidth = good;
    zeroWidth[18] = 0;
    const Case cases[] = {
        {"empty file", ""},
        {"short header", good.substr(0, 20)},
        {"not BM", badMagic},
        {"two planes", badPlanes},
        {"7 bits per pixel", badBits},
        {"unknown header size", badHeader},
        {"pixels past the end", offPastEnd},
        {"cut pixels", good.substr(0, good.size() - 1)},
        {"zero width", zeroWidth},
    };
    TPicture picture;
    PutFile(Prog("Data\\ok.bmp"), good);
    picture.LoadFromFile(Prog("Data\\ok.bmp"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PutFile(Prog("Data\\bad.bmp"), c.bytes);
        EXPECT_THROW(picture.LoadFromFile(Prog("Data\\bad.bmp")), EInvalidGraphic);
        EXPECT_EQ(picture.Width(), 4);
    }
    EXPECT_THROW(picture.LoadFromFile(Prog("Data\\none.bmp")), EFOpenError);
    PutFile(Prog("Data\\pic.gif"), good);
    EXPECT_THROW(picture.LoadFromFile(Prog("Data\\pic.gif")), EInvalidGraphic);
    EXPECT_EQ(picture.Width(), 4);
}

TEST_F(ControlsTest, ExactClassNames) {
    TForm form(nullptr);
    const std::pair<TComponent*, const char*> cases[] = {
        {new TLabel(&form), "TLabel"},
        {new TImage(&form), "TImage"},
        {new TPanel(&form), "TPanel"},
        {new TListBox(&form), "TListBox"},
        {new TMaskEdit(&form), "TMaskEdit"},
        {new TTimer(&form), "TTimer"},
        {new TPopupMenu(&form), "TPopupMenu"},
        {new TImageList(&form), "TImageList"},
        {new TTrayIcon(&form), "TTrayIcon"},
        {new TApplicationEvents(&form), "TApplicationEvents"},
        {&form, "TForm"}};
    for (const auto& [c, name] : cases)
        EXPECT_STREQ(c->ClassName(), name);
}

} // namespace
