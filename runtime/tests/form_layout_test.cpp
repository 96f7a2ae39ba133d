// Tests of the per-window sections of config.ini and the translation of the dialogs.
#include "dialog_forms.h"
#include "form_layout.h"
#include "osd_fixture.h"
#include "test_dialogs.h"

#include <toolkit.h>

#include <string>

namespace {

struct TLayout {
    std::int32_t top = -7, left = -7, height = -7, width = -7, color = -7;

    std::int32_t Read(const std::string& section, TForm* form = nullptr) {
        return ReadWriteFormLayout(true, section, top, left, height, width, color, form);
    }
    std::int32_t Write(const std::string& section) {
        return ReadWriteFormLayout(false, section, top, left, height, width, color, nullptr);
    }
};

// A label class derived from one of the translated classes.
class TFancyLabel : public TLabel {
public:
    using TLabel::TLabel;
    const char* ClassName() const override { return "TFancyLabel"; }
};

class FormLayoutTest : public OsdFixture {};

TEST_F(FormLayoutTest, AMissingSectionGivesTheDefaults) {
    TLayout l;
    EXPECT_EQ(l.Read("FBar"), 0);
    EXPECT_EQ(l.top, 0);
    EXPECT_EQ(l.left, 0);
    EXPECT_EQ(l.height, 384);
    EXPECT_EQ(l.width, 512);
    EXPECT_EQ(l.color, 11466791);
}

TEST_F(FormLayoutTest, WrittenValuesReadBackAsDecimalIntegers) {
    TLayout out;
    out.top = -5;
    out.left = 120;
    out.height = 90;
    out.width = 300;
    out.color = 0x123456;
    EXPECT_EQ(out.Write("FTime"), 0);
    EXPECT_EQ(ConfigValue("FTime", "Top"), "-5");
    EXPECT_EQ(ConfigValue("FTime", "Color"), "1193046");
    TLayout in;
    in.Read("FTime");
    EXPECT_EQ(in.top, -5);
    EXPECT_EQ(in.left, 120);
    EXPECT_EQ(in.height, 90);
    EXPECT_EQ(in.width, 300);
    EXPECT_EQ(in.color, 0x123456);
}

TEST_F(FormLayoutTest, MalformedOrImpossibleValuesReadAsTheirDefaults) {
    struct Case {
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"Top", "abc"},  {"Height", "0"}, {"Height", "-40"},     {"Width", "x1"},
        {"Width", "-1"}, {"Color", "-1"}, {"Color", "16777216"}, {"Color", "blue"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        PutFile(Prog("config.ini"), std::string("[FInfo]\r\n") + c.key + "=" + c.value + "\r\n");
        TLayout l;
        l.Read("FInfo");
        EXPECT_EQ(l.top, 0);
        EXPECT_EQ(l.height, 384);
        EXPECT_EQ(l.width, 512);
        EXPECT_EQ(l.color, 11466791);
    }
}

TEST_F(FormLayoutTest, ADialogIsTranslatedByExactClassName) {
    PutFile(Prog("LANG\\Rus.ini"), "[Forms]\r\nFConfig=Settings\r\n"
                                   "[Labels]\r\nlbl_output=Output\r\nlbl_fancy=Fancy\r\n"
                                   "lbl_panel=Panel\r\nlbl_empty=\r\n"
                                   "[Hints]\r\nhnt_output=Output hint\r\nhnt_grid=Grid hint\r\n");
    Runtime.language = "Rus";
    TForm* dialog = new TTestConfigDialog(Application);
    auto* label = new TLabel(dialog);
    label->Caption = "lbl_output";
    label->Hint = "hnt_output";
    auto* fancy = new TFancyLabel(dialog);
    fancy->Caption = "lbl_fancy";
    auto* panel = new TPanel(dialog);
    panel->Caption = "lbl_panel";
    auto* empty = new TLabel(dialog);
    empty->Caption = "lbl_empty";
    auto* missing = new TLabel(dialog);
    missing->Caption = "lbl_missing";
    auto* grid = new TStringGrid(dialog);
    grid->Hint = "hnt_grid";
    auto* image = new TImage(dialog);
    image->Hint = "hnt_output";
    // The status bar shows their hints too: they take their texts, not their keys.
    auto* combo = new TComboBox(dialog);
    combo->Hint = "hnt_grid";
    auto* track = new TTrackBar(dialog);
    track->Hint = "hnt_output";

    TLayout l;
    EXPECT_EQ(l.Read("FConfig", dialog), 0);
    EXPECT_EQ(dialog->Caption(), "Settings");
    EXPECT_EQ(label->Caption(), "Output");
    EXPECT_EQ(label->Hint, "Output hint");
    EXPECT_EQ(fancy->Caption(), "lbl_fancy") << "a derived class is not translated";
    EXPECT_EQ(panel->Caption(), "Panel");
    EXPECT_EQ(empty->Caption(), "lbl_empty") << "an empty value keeps the built-in text";
    EXPECT_EQ(missing->Caption(), "lbl_missing");
    EXPECT_EQ(grid->Hint, "Grid hint");
    EXPECT_EQ(image->Hint, "hnt_output") << "a class outside the table keeps its texts";
    EXPECT_EQ(combo->Hint, "Grid hint");
    EXPECT_EQ(track->Hint, "Output hint");
}

TEST_F(FormLayoutTest, OnlyTheThreeDialogsAreTranslated) {
    PutFile(Prog("LANG\\Rus.ini"), "[Forms]\r\nFOther=Translated\r\n");
    Runtime.language = "Rus";
    auto* other = new TForm(Application);
    other->Caption = "FOther";
    TLayout l;
    l.Read("FOther", other);
    EXPECT_EQ(other->Caption(), "FOther");
    EXPECT_EQ(Runtime.LangIni, nullptr) << "the language file is not even opened";
}

} // namespace
