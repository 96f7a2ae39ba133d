// The application page of the settings dialog and the grid helpers the pages share.
#include "config_form.h"
#include "dialog_fixture.h"

#include <toolkitsim/control.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ConfigApplsTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        Runtime.language = "Rus";
        PutFile(Prog("LANG\\Rus.ini"),
                "[Labels]\r\nlbl_cmdname=Name\r\nlbl_cmd=Type\r\nlbl_param1=P1\r\n"
                "lbl_param2=P2\r\nlbl_param3=P3\r\nlbl_param4=P4\r\nlbl_title=Appl\r\n"
                "lbl_clsname=Class\r\nlbl_applpath=Path\r\nlbl_mode=Mode\r\n"
                "lbl_rcbutton=Button\r\n");
    }

    // A grid as the dialog's pages have it: title row, the given first cells as data rows.
    TStringGrid* Grid(const std::vector<std::string>& firstCells, int cols = 2) {
        auto* g = new TStringGrid(Application);
        g->ColCount = cols;
        g->FixedCols = 0;
        g->RowCount = static_cast<int>(firstCells.size()) + 1;
        g->FixedRows = 1;
        for (std::size_t i = 0; i < firstCells.size(); ++i) {
            g->Cells(0, static_cast<int>(i) + 1) = firstCells[i];
            g->Cells(1, static_cast<int>(i) + 1) = "v" + std::to_string(i + 1);
        }
        return g;
    }

    // Column 1 of every data row: which rows are left, in order.
    static std::vector<std::string> Rows(const TStringGrid& g) {
        std::vector<std::string> out;
        for (int r = 1; r < g.RowCount; ++r)
            out.push_back(g.Cells(1, r));
        return out;
    }
};

TEST_F(ConfigApplsTest, TitlesComeFromTheLabelsSection) {
    auto* cmd = Grid({"a"}, 6);
    auto* appl = Grid({"a"}, 3);
    auto* func = Grid({"a"}, 3);
    SetCmdGridTitles(cmd);
    SetApplGridTitles(appl);
    SetFuncGridTitles(func);
    const std::vector<std::string> cmdTitles{"Name", "Type", "P1", "P2", "P3", "P4"};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(cmd->Cells(c, 0), cmdTitles[c]);
    EXPECT_EQ(appl->Cells(0, 0), "Appl");
    EXPECT_EQ(appl->Cells(1, 0), "Class");
    EXPECT_EQ(appl->Cells(2, 0), "Path");
    EXPECT_EQ(func->Cells(0, 0), "Name");
    EXPECT_EQ(func->Cells(1, 0), "Mode");
    EXPECT_EQ(func->Cells(2, 0), "Button");
    // The data rows are not touched.
    EXPECT_EQ(cmd->Cells(0, 1), "a");
}

TEST_F(ConfigApplsTest, TitlesOfANarrowerGridStopAtItsLastColumn) {
    auto* g = Grid({"a"}, 2);
    SetCmdGridTitles(g);
    EXPECT_EQ(g->Cells(0, 0), "Name");
    EXPECT_EQ(g->Cells(1, 0), "Type");
    SetFuncGridTitles(nullptr);
}

struct BlockCase {
    const char* what;
    std::vector<std::string> names; // column 0 of the data rows
    int current;
    std::vector<std::string> left; // column 1 of the rows left
    int row;                       // the current row afterwards
};

TEST_F(ConfigApplsTest, DeleteGridBlockDeletesTheBlockOfTheCurrentRow) {
    const std::vector<BlockCase> cases{
        {"head row of a block", {"A", "", "", "B", ""}, 1, {"v4", "v5"}, 1},
        {"continuation row climbs to its head", {"A", "", "", "B", ""}, 3, {"v4", "v5"}, 1},
        {"last block", {"A", "", "B", "", ""}, 5, {"v1", "v2"}, 2},
        {"single rows", {"A", "B", "C"}, 2, {"v1", "v3"}, 2},
        {"last single row", {"A", "B", "C"}, 3, {"v1", "v2"}, 2},
        {"empty rows at the top form the first row's block", {"", "", "B"}, 2, {"v3"}, 1},
        {"the only data row", {"A"}, 1, {""}, 1},
        {"the only data row, empty", {""}, 1, {""}, 1},
        {"the only block", {"A", "", ""}, 2, {""}, 1},
    };
    for (const BlockCase& c : cases) {
        SCOPED_TRACE(c.what);
        TStringGrid* g = Grid(c.names);
        g->Cells(0, 0) = "title";
        g->Cells(1, 0) = "title";
        g->Row = c.current;
        DeleteGridBlock(g);
        EXPECT_EQ(Rows(*g), c.left);
        EXPECT_EQ(g->Row, c.row);
        // The title row is never part of a block.
        EXPECT_EQ(g->Cells(0, 0), "title");
        EXPECT_EQ(g->Cells(1, 0), "title");
        if (c.left == std::vector<std::string>{""}) {
            EXPECT_EQ(g->Cells(0, 1), "");
        }
    }
}

TEST_F(ConfigApplsTest, DeleteGridBlockWithoutATitleRowStopsAtRowZero) {
    auto* g = new TStringGrid(Application);
    g->ColCount = 2;
    g->FixedRows = 0;
    g->RowCount = 3;
    g->Cells(1, 0) = "v0";
    g->Cells(1, 1) = "v1";
    g->Cells(0, 2) = "B";
    g->Cells(1, 2) = "v2";
    g->Row = 1;
    DeleteGridBlock(g);
    ASSERT_EQ(g->RowCount, 1);
    EXPECT_EQ(g->Cells(0, 0), "B");
    EXPECT_EQ(g->Cells(1, 0), "v2");
    DeleteGridBlock(g);
    ASSERT_EQ(g->RowCount, 1);
    EXPECT_EQ(g->Cells(0, 0), "");
    EXPECT_EQ(g->Cells(1, 0), "");
    DeleteGridBlock(nullptr);
}

} // namespace
