// Tests of the value-list editor: rows over the lines of Strings, keys, the user's edits.
#include <toolkit.h>

#include <toolkit_fixture.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ValueListTest : public ToolkitTest {
protected:
    // The code grid as the settings dialog has it: no title row, unique keys that the user may
    // edit and delete.
    TValueListEditor* Editor() {
        auto* form = new TForm(Application);
        auto* vle = new TValueListEditor(form);
        vle->Name = "vleCode";
        vle->Parent = form;
        vle->DisplayOptions = TDisplayOptions{doAutoColResize, doKeyColFixed};
        vle->KeyOptions = TKeyOptions{keyEdit, keyDelete, keyUnique};
        vle->OnStringsChange = [this](TObject*) { ++changes_; };
        form->Show();
        return vle;
    }
    static std::vector<std::string> LinesOf(const TValueListEditor& vle) {
        return std::vector<std::string>(vle.Strings.begin(), vle.Strings.end());
    }
    int changes_ = 0;
};

using Lines = std::vector<std::string>;

TEST_F(ValueListTest, TitleRowFollowsDisplayOptions) {
    TValueListEditor vle(nullptr);
    EXPECT_STREQ(vle.ClassName(), "TValueListEditor");
    EXPECT_EQ(vle.ColCount(), 2);
    EXPECT_EQ(vle.FixedRows, 1);
    EXPECT_EQ(vle.RowCount(), 2) << "the title and one empty row";
    EXPECT_EQ(vle.Cells(0, 0), "Key");
    EXPECT_EQ(vle.Cells(1, 0), "Value");
    vle.Strings.Add("Play=100");
    vle.Row = 1;
    vle.DisplayOptions = TDisplayOptions{};
    EXPECT_EQ(vle.FixedRows, 0);
    EXPECT_EQ(vle.RowCount(), 1);
    EXPECT_EQ(vle.Row, 0) << "the current row stays on its line";
    EXPECT_EQ(vle.Cells(0, 0), "Play");
    EXPECT_EQ(vle.Cells(1, 0), "100");
}

TEST_F(ValueListTest, AnEmptyEditorShowsOneEmptyRowThatWritingFills) {
    TValueListEditor* vle = Editor();
    EXPECT_EQ(vle->RowCount(), 1);
    EXPECT_EQ(vle->Row, 0);
    EXPECT_EQ(vle->Cells(0, 0), "");
    EXPECT_EQ(vle->Cells(1, 0), "");
    EXPECT_EQ(vle->Strings.Count(), 0);
    vle->DeleteRow(0); // the empty row is no line
    EXPECT_EQ(vle->RowCount(), 1);
    vle->Cells(1, 0) = "-5";
    EXPECT_EQ(LinesOf(*vle), Lines{"=-5"});
    vle->Cells(0, 0) = "Stop";
    EXPECT_EQ(LinesOf(*vle), Lines{"Stop=-5"});
    EXPECT_EQ(changes_, 2);
}

TEST_F(ValueListTest, CellsReadAndWriteTheLines) {
    TValueListEditor* vle = Editor();
    vle->Strings.SetText("Play=1\r\nStop=\r\nNext=3\r\n");
    EXPECT_EQ(vle->RowCount(), 3);
    EXPECT_EQ(vle->Keys(2), "Next");
    EXPECT_EQ(vle->Values("stop"), "");
    EXPECT_EQ(vle->Values("NEXT"), "3");
    vle->Cells(1, 1) = "77";
    vle->Cells(0, 2) = "Forward";
    EXPECT_EQ(LinesOf(*vle), (Lines{"Play=1", "Stop=77", "Forward=3"}));
    int row = -1;
    EXPECT_TRUE(vle->FindRow("forward", row));
    EXPECT_EQ(row, 2);
    EXPECT_FALSE(vle->FindRow("Next", row));
    EXPECT_TRUE(vle->Cells(1, 1) == "77");
    EXPECT_TRUE(vle->Cells(1, 0) == std::string("1"));
    EXPECT_TRUE(AnsiSameText(vle->Cells(0, 2), "FORWARD")) << "a cell passes as a string view";
    const std::string key = vle->Cells(0, 0);
    EXPECT_EQ(key, "Play");
    EXPECT_THROW(vle->Cells(2, 0) = "x", EInvalidGridOperation);
    EXPECT_THROW((void)vle->Cells(0, 3).Get(), EInvalidGridOperation);
    vle->SetRowCount(10);
    EXPECT_EQ(vle->RowCount(), 3) << "the rows follow the lines";
}

TEST_F(ValueListTest, InsertRowAppendsOrInsertsAndRefusesADuplicateKey) {
    TValueListEditor* vle = Editor();
    EXPECT_EQ(vle->InsertRow("Play", "", true), 0);
    EXPECT_EQ(vle->InsertRow("Stop", "2", true), 1);
    EXPECT_EQ(vle->Row, 1);
    vle->Row = 0;
    EXPECT_EQ(vle->InsertRow("First", "0", false), 0) << "inserted before the current row";
    try {
        vle->InsertRow("STOP", "9", true);
        FAIL() << "a duplicate key was added";
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message, "A key with the name of \"STOP\" already exists");
    }
    EXPECT_EQ(LinesOf(*vle), (Lines{"First=0", "Play=", "Stop=2"}));
    vle->KeyOptions >> keyUnique;
    vle->InsertRow("Stop", "9", true);
    EXPECT_EQ(vle->Strings.Count(), 4) << "without keyUnique keys may repeat";
}

TEST_F(ValueListTest, DeletingRowsKeepsTheCurrentRowOnARow) {
    TValueListEditor* vle = Editor();
    vle->Strings.SetText("A=1\r\nB=2\r\nC=3\r\n");
    vle->Row = 2;
    vle->DeleteRow(2);
    EXPECT_EQ(vle->Row, 1) << "the last row went: the row above is current";
    vle->DeleteRow(0);
    EXPECT_EQ(LinesOf(*vle), Lines{"B=2"});
    EXPECT_EQ(vle->Row, 0);
    vle->DeleteRow(0);
    EXPECT_EQ(vle->Strings.Count(), 0);
    EXPECT_EQ(vle->RowCount(), 1) << "deleting the last line leaves the empty row";
    EXPECT_EQ(vle->Row, 0);
    EXPECT_EQ(vle->Cells(0, vle->Row), "");
}

TEST_F(ValueListTest, TheUserEditsKeysAndValuesAsTheOptionsAllow) {
    TValueListEditor* vle = Editor();
    vle->Strings.SetText("Play=1\r\nStop=2\r\n");
    std::vector<std::string> edits;
    vle->OnSetEditText = [&](TObject*, int col, int row, const std::string& value) {
        edits.push_back(std::to_string(col) + "," + std::to_string(row) + "=" + value);
    };
    EXPECT_TRUE(toolkitsim::EditCell(*vle, 1, 1, "22"));
    EXPECT_TRUE(toolkitsim::EditCell(*vle, 0, 0, "Pause"));
    EXPECT_TRUE(toolkitsim::EditCell(*vle, 0, 0, "pause")) << "its own key in another case";
    EXPECT_EQ(LinesOf(*vle), (Lines{"pause=1", "Stop=22"}));

    // A key that another row holds is refused and shown as an error; the row keeps its key.
    EXPECT_FALSE(toolkitsim::EditCell(*vle, 0, 1, "PAUSE"));
    EXPECT_EQ(LinesOf(*vle), (Lines{"pause=1", "Stop=22"}));
    const auto boxes = toolkitsim::Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, toolkitsim::BoxKind::Exception);
    EXPECT_EQ(boxes[0].text, "A key with the name of \"PAUSE\" already exists");
    EXPECT_EQ(edits, (std::vector<std::string>{"1,1=22", "0,0=Pause", "0,0=pause"}));

    vle->KeyOptions >> keyEdit;
    EXPECT_FALSE(toolkitsim::EditCell(*vle, 0, 1, "Other")) << "keys are fixed without keyEdit";
    vle->Options >> goEditing;
    EXPECT_FALSE(toolkitsim::EditCell(*vle, 1, 1, "5")) << "nothing is edited without goEditing";
    vle->Options << goEditing << goRowSelect;
    EXPECT_FALSE(toolkitsim::EditCell(*vle, 1, 1, "5")) << "nor when whole rows are selected";
    EXPECT_EQ(LinesOf(*vle), (Lines{"pause=1", "Stop=22"}));
}

TEST_F(ValueListTest, CtrlDeleteDeletesTheCurrentRowUnderKeyDelete) {
    TValueListEditor* vle = Editor();
    vle->Strings.SetText("A=1\r\nB=2\r\n");
    TCustomForm* form = vle->GetParentForm();
    toolkitsim::ClickCell(*vle, 1, 1);
    vle->SetFocus();
    toolkitsim::PressKey(*form, VK_DELETE);
    EXPECT_EQ(vle->Strings.Count(), 2) << "Delete alone deletes no row";
    toolkitsim::PressKey(*form, VK_DELETE, {ssCtrl});
    EXPECT_EQ(LinesOf(*vle), Lines{"A=1"});
    vle->KeyOptions >> keyDelete;
    toolkitsim::PressKey(*form, VK_DELETE, {ssCtrl});
    EXPECT_EQ(LinesOf(*vle), Lines{"A=1"});
}

TEST_F(ValueListTest, RowSelectionByClickAndKeysStaysOnTheRows) {
    TValueListEditor* vle = Editor();
    vle->Options = TGridOptions{goRowSelect};
    vle->Strings.SetText("A=1\r\nB=2\r\nC=3\r\n");
    int dbl = 0;
    vle->OnDblClick = [&](TObject*) { ++dbl; };
    toolkitsim::DblClickCell(*vle, 1, 2);
    EXPECT_EQ(vle->Row, 2);
    EXPECT_EQ(dbl, 1);
    EXPECT_EQ(vle->Selection(), (TGridRect{0, 2, 1, 2}));
    TCustomForm* form = vle->GetParentForm();
    vle->SetFocus();
    toolkitsim::PressKey(*form, VK_DOWN);
    EXPECT_EQ(vle->Row, 2);
    toolkitsim::PressKey(*form, 0x24); // Home
    EXPECT_EQ(vle->Row, 0);
    vle->Row = 99;
    EXPECT_EQ(vle->Row, 2);
    vle->Row = -4;
    EXPECT_EQ(vle->Row, 0);
}

} // namespace
