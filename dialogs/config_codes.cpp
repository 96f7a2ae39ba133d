// The code page: the code grid, learning codes from the receiver, Add, Del and Default.
#include "code_appl_tables.h"
#include "config_code_page.h"
#include "config_form.h"
#include "dialog_texts.h"
#include "language.h"
#include "runtime_state.h"

#include <cp1251.h>
#include <toolkit.h>

#include <new>
#include <stdexcept>
#include <vector>

namespace {

// A grid without any button shows one empty row that has no line; the tick must never learn
// into it, since writing there would make a button without a name.
bool HasButton(const TValueListEditor& grid, int row) {
    return row >= 0 && row < grid.Strings.Count() && !grid.Strings.Names(row).empty();
}

void ShowReconfigState(TFConfig& form) {
    const bool running = Runtime.CaptureState == 2;
    form.btnReconfig->Caption =
        LangCaption("Buttons", running ? "btn_endreconfig" : "btn_reconfig");
    form.btnReconfig->Hint = GetLangText("Hints", running ? "hnt_endreconfig" : "hnt_reconfig");
}

// Learning that has lost the row it writes into ends, so that no code lands in a row the user
// did not choose.
void StopLearning(TFConfig& form) {
    if (Runtime.CaptureState == 2)
        form.btnReconfigClick(nullptr);
    else
        Runtime.CaptureState = 0;
}

struct TFillingCodeGrid {
    explicit TFillingCodeGrid(TFConfig& f) : form(f) { form.FillingCodeGrid = true; }
    ~TFillingCodeGrid() { form.FillingCodeGrid = false; }
    TFConfig& form;
};

void FreeCodeTable() {
    std::vector<TCodeEntry>().swap(Runtime.CodeTable);
    Runtime.CodeCount = 0;
}

} // namespace

std::string ButtonNameFromAnswer(const std::string& answer) {
    std::string name = answer.substr(0, answer.find('='));
    if (name.size() > static_cast<std::size_t>(MaxButtonName))
        name.resize(MaxButtonName);
    return name;
}

void EndCodeLearning() {
    if (!FConfig)
        return;
    if (CodeTableToGrid() != 0) {
        // No table to reload from: nothing learnt may stay.
        TFillingCodeGrid filling(*FConfig);
        FConfig->vleCode->Strings.Clear();
    }
    Runtime.CaptureState = 0;
    ShowReconfigState(*FConfig);
}

void TFConfig::vleCodeDblClick(TObject*) {
    if (Runtime.CaptureState == 2)
        return;
    const int row = vleCode->Row;
    if (!HasButton(*vleCode, row))
        return;
    vleCode->Cells(1, row) = "";
    Runtime.CaptureState = 1;
}

void TFConfig::vleFunctionStringsChange(TObject*) {
    if (FillingCodeGrid)
        return;
    pcConfigChange(nullptr);
    // Rows deleted by the grid's own key leave learning without its row.
    if ((Runtime.CaptureState == 1 || Runtime.CaptureState == 2) &&
        !HasButton(*vleCode, vleCode->Row))
        StopLearning(*this);
}

void TFConfig::btnReconfigClick(TObject*) {
    if (Runtime.CaptureState != 2) {
        if (vleCode->Strings.Count() == 0)
            return;
        for (int line = 0; line < vleCode->Strings.Count(); ++line) {
            if (!vleCode->Strings.ValueFromIndex(line).empty())
                vleCode->Strings.Put(line, vleCode->Strings.Names(line) + "=");
        }
        vleCode->Row = 0;
        Runtime.LastCode = 0;
        Runtime.CaptureState = 2;
    } else {
        Runtime.CaptureState = 0;
    }
    ShowReconfigState(*this);
}

void TFConfig::AddCode() {
    const std::string answer =
        InputBox(GetLangText("Msg", "msg_addcodetitle"), GetLangText("Msg", "msg_addcode"), "");
    const std::string name = ButtonNameFromAnswer(answer);
    if (name.empty())
        return;
    for (int line = 0; line < vleCode->Strings.Count(); ++line) {
        if (cp1251::EqualNoCase(vleCode->Strings.Names(line), name)) {
            ShowLangMessage("err_duplcodename");
            return;
        }
    }
    if (Runtime.CaptureState == 2) {
        // The run keeps its row and reaches the new one, the last, in its turn.
        vleCode->Strings.Add(name + "=");
        return;
    }
    vleCode->InsertRow(name, "", true);
    vleCodeDblClick(vleCode);
}

void TFConfig::DeleteCode() {
    if (!AskLangQuestion("msg_delrow"))
        return;
    const int row = vleCode->Row;
    if (row < 0 || row >= vleCode->Strings.Count())
        return;
    const bool last = row == vleCode->Strings.Count() - 1;
    vleCode->DeleteRow(row);
    // The deleted row was the one learning writes into. A run goes on with the row that took
    // its place; after the last row there is none.
    if (Runtime.CaptureState == 1)
        Runtime.CaptureState = 0;
    else if (Runtime.CaptureState == 2 && last)
        btnReconfigClick(nullptr);
}

void TFConfig::DefaultCodes() {
    if (!AskLangQuestion("msg_defcode"))
        return;
    const int result = LoadCodeTable(true);
    if (result != ResultOk) {
        ShowLangMessage(ResultMessageKey(TResultCaller::RestoreDefaultCodes, result));
        return;
    }
    // The rows being learnt are gone.
    StopLearning(*this);
    CodeTableToGrid();
}

std::int32_t CodeTableToGrid() {
    if (!FConfig || Runtime.CodeTable.empty() || Runtime.CodeCount <= 0)
        return ResultNoMemory;
    const std::size_t used =
        std::min(Runtime.CodeTable.size(), static_cast<std::size_t>(Runtime.CodeCount));
    TFillingCodeGrid filling(*FConfig);
    TStringList& lines = FConfig->vleCode->Strings;
    lines.Clear();
    for (std::size_t i = 0; i < used; ++i) {
        const TCodeEntry& e = Runtime.CodeTable[i];
        lines.Add(FieldText(e.Name) + "=" + IntToStr(e.Code));
    }
    return ResultOk;
}

std::int32_t GridToCodeTable() {
    if (!FConfig)
        return ResultNoMemory;
    FreeCodeTable();
    const TStringList& lines = FConfig->vleCode->Strings;
    const int count = lines.Count();
    if (count == 0)
        return ResultOk;
    try {
        std::vector<TCodeEntry> table;
        table.reserve(static_cast<std::size_t>(count));
        for (int line = 0; line < count; ++line) {
            const std::string name = lines.Names(line);
            // The one empty row of a grid without buttons is no button.
            if (name.empty())
                continue;
            TCodeEntry e{};
            SetField(e.Name, name);
            e.Code = StrToInt64Def(lines.ValueFromIndex(line), 0);
            table.push_back(e);
        }
        Runtime.CodeTable = std::move(table);
        Runtime.CodeCount = static_cast<std::int32_t>(Runtime.CodeTable.size());
        return ResultOk;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    } catch (const EOutOfMemory&) {
    }
    // Never a count that the table does not hold.
    FreeCodeTable();
    return ResultNoMemory;
}
