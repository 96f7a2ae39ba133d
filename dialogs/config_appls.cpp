// The application page: the application grid, the five favourites lists, Add, Del and Default;
// and the grid helpers the other pages and the command wizard share.
#include "config_form.h"

#include "application_windows.h"
#include "cmd_func_files.h"
#include "code_appl_tables.h"
#include "keyword_lists.h"
#include "language.h"
#include "runtime_state.h"

#include <cp1251.h>
#include <file_names.h>
#include <records.h>

#include <algorithm>
#include <initializer_list>
#include <new>
#include <string>
#include <vector>

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

namespace {

std::string Msg(const char* key) {
    return GetLangText("Msg", key);
}

bool Ask(const std::string& text) {
    return MessageDlg(text, mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) == mrYes;
}

// Names compare without regard to case, as in the record files.
int FindApplRow(const TStringGrid& grid, const std::string& name) {
    for (int r = 1; r < grid.RowCount; ++r)
        if (cp1251::EqualNoCase(grid.Cells(0, r), name))
            return r;
    return -1;
}

std::string FitField(const std::string& text, std::size_t fieldSize) {
    return text.substr(0, std::min(text.size(), fieldSize - 1));
}

bool IsSystem(const std::string& name) {
    return cp1251::EqualNoCase(name, SystemApplName);
}

// A name that cannot be part of the application's file names (usercmd<Appl>.bin ...).
void RefuseApplName(const std::string& name) {
    ShowMessage(SpliceString(Msg("err_applname"), name));
}

// Column 0 of the grid without the title row; the combos lose their selection.
void FillApplCombos(TFConfig& f) {
    f.cmbFunction->Items.Clear();
    f.cmbCommand->Items.Clear();
    for (int r = 1; r < f.stgAppl->RowCount; ++r) {
        f.cmbFunction->Items.Add(f.stgAppl->Cells(0, r));
        f.cmbCommand->Items.Add(f.stgAppl->Cells(0, r));
    }
}

// The speed buttons are named after their group: sbtnAddAudio ... sbtnDownOther.
TListBox* GroupList(TFConfig& f, TObject* sender) {
    const auto* c = dynamic_cast<const TComponent*>(sender);
    if (!c)
        return nullptr;
    const std::string& name = c->Name;
    struct TGroup {
        const char* suffix;
        TListBox* list;
    };
    const TGroup groups[] = {{"Audio", f.lboxAudio},
                             {"Video", f.lboxVideo},
                             {"DVD", f.lboxDVD},
                             {"TVFM", f.lboxTVFM},
                             {"Other", f.lboxOther}};
    for (const TGroup& g : groups) {
        const std::string suffix = g.suffix;
        if (name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            return g.list;
    }
    return nullptr;
}

} // namespace

void TApplGrid::StoreEditText(int col, int row, const std::string& text) {
    // The whole text reaches the combos and from there the file names, the table holds it cut
    // to its field: both must be able to name files.
    if (col == 0 &&
        (!IsFileNamePart(text) || !IsFileNamePart(FitField(text, sizeof(TApplEntry::Name))))) {
        RefuseApplName(text);
        throw EAbort("");
    }
    TStringGrid::StoreEditText(col, row, text);
}

void TFConfig::AddAppl() {
    // Cut to the record's field at once: the copied default files and the duplicate lookup
    // must use the name the table will hold.
    const std::string name = FitField(InputBox(Msg("msg_addappltitle"), Msg("msg_addappl"), ""),
                                      sizeof(TApplEntry::Name));
    if (name.empty())
        return;
    if (IsSystem(name)) {
        ShowMessage(SpliceString(Msg("err_replsysappl"), SystemApplName));
        return;
    }
    if (!IsFileNamePart(name)) {
        RefuseApplName(name);
        return;
    }
    OpenDialog->Title = Msg("msg_addappltitle");
    OpenDialog->Filter = GetLangText("OpenDialog", "fltr_addappl");
    OpenDialog->InitialDir = "c:\\Program files\\";
    if (!OpenDialog->Execute())
        return;
    const std::string path = FitField(OpenDialog->FileName, sizeof(TApplEntry::Path));
    ShowMessage(Msg("msg_setcursor"));
    // The path as one argument: a folder like "Program files" holds a blank.
    const std::string cls = FitField(LearnWindowClass("\"" + OpenDialog->FileName + "\""),
                                     sizeof(TApplEntry::ClassName));
    if (cls.empty()) {
        ShowMessage(Msg("err_checkclsname"));
        return;
    }
    const int row = FindApplRow(*stgAppl, name);
    if (row < 0) {
        CopyDefaultsForClass(name, cls);
        const int r = stgAppl->RowCount;
        stgAppl->RowCount = r + 1;
        stgAppl->Cells(0, r) = name;
        stgAppl->Cells(1, r) = cls;
        stgAppl->Cells(2, r) = path;
    } else {
        if (stgAppl->Cells(1, row) == cls && stgAppl->Cells(2, row) == path)
            return;
        if (Ask(SpliceString(Msg("msg_duplappl"), name))) {
            stgAppl->Cells(1, row) = cls;
            stgAppl->Cells(2, row) = path;
        }
    }
    FillApplCombos(*this);
}

void TFConfig::DeleteAppl() {
    const int row = stgAppl->Row;
    if (row < 1 || row >= stgAppl->RowCount)
        return;
    const std::string name = stgAppl->Cells(0, row);
    if (IsSystem(name)) {
        ShowMessage(Msg("err_delsysappl"));
        return;
    }
    if (!Ask(Msg("msg_delrow")))
        return;
    if (!name.empty()) {
        for (TListBox* list : {lboxAudio, lboxVideo, lboxDVD, lboxTVFM, lboxOther}) {
            const int i = list->Items.IndexOf(name);
            if (i >= 0)
                list->Items.Delete(i);
        }
    }
    DeleteGridRow(stgAppl);
    FillApplCombos(*this);
}

void TFConfig::DefaultAppls() {
    if (!Ask(Msg("msg_defappl")))
        return;
    if (LoadApplTable(true) == ResultOk)
        ApplTableToGrid();
    else
        ShowMessage(Msg("err_noapplfile"));
}

void TFConfig::sbtnAddAudioClick(TObject* Sender) {
    FavouritesBox = GroupList(*this, Sender);
    if (!FavouritesBox)
        return;
    const int row = stgAppl->Row;
    if (row < 1 || row >= stgAppl->RowCount)
        return;
    const std::string name = stgAppl->Cells(0, row);
    if (name.empty() || IsSystem(name) || FavouritesBox->Items.IndexOf(name) >= 0)
        return;
    FavouritesBox->Items.Add(name);
}

void TFConfig::sbtnDelAudioClick(TObject* Sender) {
    FavouritesBox = GroupList(*this, Sender);
    if (!FavouritesBox)
        return;
    TStringList& items = FavouritesBox->Items;
    const int i = FavouritesBox->ItemIndex;
    if (i < 0 || i >= items.Count())
        return;
    items.Delete(i);
    FavouritesBox->ItemIndex = i < items.Count() ? i : items.Count() - 1;
}

void TFConfig::sbtnUpAudioClick(TObject* Sender) {
    FavouritesBox = GroupList(*this, Sender);
    if (!FavouritesBox || FavouritesBox->Items.Count() == 0)
        return;
    const int i = FavouritesBox->ItemIndex;
    if (i < 0) {
        FavouritesBox->ItemIndex = 0;
        return;
    }
    if (i == 0)
        return;
    FavouritesBox->Items.Move(i, i - 1);
    FavouritesBox->ItemIndex = i - 1;
}

void TFConfig::sbtnDownAudioClick(TObject* Sender) {
    FavouritesBox = GroupList(*this, Sender);
    if (!FavouritesBox)
        return;
    const int count = FavouritesBox->Items.Count();
    if (count == 0)
        return;
    const int i = FavouritesBox->ItemIndex;
    if (i < 0) {
        FavouritesBox->ItemIndex = count - 1;
        return;
    }
    if (i >= count - 1)
        return;
    FavouritesBox->Items.Move(i, i + 1);
    FavouritesBox->ItemIndex = i + 1;
}

std::int32_t ApplTableToGrid() {
    TFConfig* f = FConfig;
    TRuntimeState& rt = Runtime;
    if (!f || rt.ApplTable.empty())
        return ResultNoMemory;
    const int count = std::min<std::size_t>(static_cast<std::size_t>(std::max(rt.ApplCount, 0)),
                                            rt.ApplTable.size());
    f->cmbFunction->Items.Clear();
    f->cmbCommand->Items.Clear();
    for (int r = 1; r < f->stgAppl->RowCount; ++r)
        f->stgAppl->ClearRow(r);
    f->stgAppl->RowCount = count + 1;
    for (int i = 0; i < count; ++i) {
        const TApplEntry& e = rt.ApplTable[static_cast<std::size_t>(i)];
        f->stgAppl->Cells(0, i + 1) = FieldText(e.Name);
        f->stgAppl->Cells(1, i + 1) = FieldText(e.ClassName);
        f->stgAppl->Cells(2, i + 1) = FieldText(e.Path);
    }
    FillApplCombos(*f);
    return ResultOk;
}

std::int32_t GridToApplTable() {
    TFConfig* f = FConfig;
    TRuntimeState& rt = Runtime;
    rt.ApplCount = 0;
    std::vector<TApplEntry>().swap(rt.ApplTable);
    if (!f)
        return ResultNoMemory;
    const int count = f->stgAppl->RowCount - 1;
    try {
        rt.ApplTable.resize(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        std::vector<TApplEntry>().swap(rt.ApplTable);
        return ResultNoMemory;
    }
    // Longer texts are cut to their fields, the rule of every saver.
    for (int i = 0; i < count; ++i) {
        TApplEntry& e = rt.ApplTable[static_cast<std::size_t>(i)];
        SetField(e.Name, f->stgAppl->Cells(0, i + 1));
        SetField(e.ClassName, f->stgAppl->Cells(1, i + 1));
        e.Wnd = 0;
        SetField(e.Path, f->stgAppl->Cells(2, i + 1));
    }
    rt.ApplCount = count;
    return ResultOk;
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
    RemoveGridRows(grid, head, end - head);
}

void DeleteGridRow(TStringGrid* grid) {
    if (grid && grid->Row >= grid->FixedRows && grid->Row < grid->RowCount)
        RemoveGridRows(grid, grid->Row, 1);
}

void RemoveGridRows(TStringGrid* grid, int head, int length) {
    const int first = grid->FixedRows;
    const int count = grid->RowCount;
    const int end = head + length;
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
