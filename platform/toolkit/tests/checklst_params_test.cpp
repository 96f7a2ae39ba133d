// The check-list box, and the command line as parameters.
#include <toolkit.h>

#include <toolkit_fixture.h>

#include "win32sim/system.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CheckListTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        form = new TForm(Application);
        box = new TCheckListBox(form);
        box->Parent = form;
        box->SetBounds(0, 0, 300, 13);
        form->Show();
    }
    TForm* form = nullptr;
    TCheckListBox* box = nullptr;
};

TEST_F(CheckListTest, ChecksBelongToTheItems) {
    EXPECT_STREQ(box->ClassName(), "TCheckListBox");
    box->Items.Add("C:\\");
    box->Items.Add("D:\\");
    EXPECT_FALSE(box->Checked(0));
    box->SetChecked(1, true);
    EXPECT_TRUE(box->Checked(1));
    box->SetChecked(5, true);
    box->SetChecked(-1, true);
    EXPECT_FALSE(box->Checked(5));
    EXPECT_FALSE(box->Checked(-1));
    box->Items.Add("E:\\");
    EXPECT_FALSE(box->Checked(2)) << "an item added is unchecked";
    EXPECT_TRUE(box->Checked(1));
    box->Items.Clear();
    box->Items.Add("C:\\");
    box->Items.Add("D:\\");
    EXPECT_FALSE(box->Checked(1)) << "clearing the items clears the checks";
}

TEST_F(CheckListTest, UserTogglesByTheBoxOrTheSpaceBar) {
    for (const char* d : {"C:\\", "D:\\", "E:\\"})
        box->Items.Add(d);
    box->Columns = 3; // all on one line, 100 px each
    int clicks = 0;
    box->OnClickCheck = [&](TObject* sender) {
        EXPECT_EQ(sender, box);
        ++clicks;
    };
    struct Case {
        const char* label;
        int x;
        int index;
        bool toggles;
    } cases[] = {
        {"box of the first", 3, 0, true},
        {"text of the first", 40, 0, false},
        {"box of the third", 205, 2, true},
        {"box of the second", 110, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const bool before = box->Checked(c.index);
        const int clicksBefore = clicks;
        toolkitsim::MouseDown(*box, mbLeft, c.x, 5);
        EXPECT_EQ(box->ItemIndex(), c.index);
        EXPECT_EQ(box->Checked(c.index), c.toggles ? !before : before);
        EXPECT_EQ(clicks - clicksBefore, c.toggles ? 1 : 0);
    }
    box->SetFocus();
    toolkitsim::KeyPress(*form, ' ');
    EXPECT_FALSE(box->Checked(1)) << "space toggles the selected item";
    EXPECT_EQ(clicks, 4);
}

class ParamsTest : public ToolkitTest {};

TEST_F(ParamsTest, CommandLineSplitsAsTheProgramSeesIt) {
    struct Case {
        const char* label;
        const char* line;
        std::vector<std::string> params;
    } cases[] = {
        {"program only", "\"C:\\Tavrin RC\\Orlimax.exe\"", {}},
        {"one argument", "\"C:\\Tavrin RC\\Orlimax.exe\" auto", {"auto"}},
        {"blanks around", "  Orlimax.exe    AUTO   ", {"AUTO"}},
        {"quoted blanks", "Orlimax.exe \"two words\" x\"y z\"w", {"two words", "xy zw"}},
        {"tabs", "Orlimax.exe\t/?\thelp", {"/?", "help"}},
        {"empty line", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        win32sim::SetCommandLine(c.line);
        ASSERT_EQ(ParamCount(), static_cast<int>(c.params.size()));
        for (std::size_t i = 0; i < c.params.size(); ++i)
            EXPECT_EQ(ParamStr(static_cast<int>(i) + 1), c.params[i]);
        EXPECT_EQ(ParamStr(static_cast<int>(c.params.size()) + 1), "");
        EXPECT_EQ(ParamStr(-1), "");
        EXPECT_EQ(ParamStr(0), kProgramPath) << "the program file, whatever the line says";
    }
}

} // namespace
