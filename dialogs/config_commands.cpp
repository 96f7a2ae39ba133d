// The command and function pages: one application's grids, their save questions and wizards.
#include "config_form.h"

#include "cmd_func_files.h"
#include "code_appl_tables.h"
#include "keyword_lists.h"
#include "language.h"
#include "osd.h"
#include "record_file.h"

#include <cp1251.h>
#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

bool Ask(const char* key) {
    return MessageDlg(GetLangText("Msg", key), mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) ==
           mrYes;
}

std::string SenderName(TObject* sender) {
    const auto* c = dynamic_cast<const TComponent*>(sender);
    return c ? c->Name : std::string();
}

struct TNoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return cp1251::CompareNoCase(a, b) < 0;
    }
};

using TGridRows = std::vector<std::vector<std::string>>;

// What a No left pending per application, as the grid showed it: coming back to that
// application shows it again, so that a later save holds these edits too instead of
// overwriting the pending file with edits made on the older state. Edits whose pending file
// could not be written come back marked changed, so that the next question or OK saves them
// again. Owned by the dialog, so it lives exactly as long as the dialog's pending files can.
struct TPendingEdits {
    std::map<std::string, TGridRows, TNoCaseLess> rows;
    std::set<std::string, TNoCaseLess> unsaved;
};

class TPendingGrids : public TComponent {
public:
    using TComponent::TComponent;
    TPendingEdits commands;
    TPendingEdits functions;
};

constexpr const char* kPendingName = "PendingGrids";

TPendingGrids& Pending(TFConfig& f) {
    if (auto* p = dynamic_cast<TPendingGrids*>(f.FindComponent(kPendingName)))
        return *p;
    auto* p = new TPendingGrids(&f);
    p->Name = kPendingName;
    return *p;
}

TGridRows DataRows(const TStringGrid& grid) {
    TGridRows rows;
    for (int r = 1; r < grid.RowCount; ++r) {
        std::vector<std::string>& row = rows.emplace_back();
        for (int c = 0; c < grid.ColCount; ++c)
            row.push_back(grid.Cells(c, r));
    }
    return rows;
}

void PutRows(TStringGrid& grid, const TGridRows& rows) {
    grid.RowCount = rows.empty() ? 2 : static_cast<int>(rows.size()) + 1;
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < grid.ColCount && c < static_cast<int>(rows[r].size()); ++c)
            grid.Cells(c, static_cast<int>(r) + 1) = rows[r][static_cast<std::size_t>(c)];
}

void EmptyGrid(TStringGrid& grid) {
    for (int r = 1; r < grid.RowCount; ++r)
        grid.ClearRow(r);
    grid.RowCount = 2;
}

void ReportUnsaved(const char* key, const std::string& appl) {
    ShowMessage(SpliceString(GetLangText("Msg", key), appl));
}

// The question before a changed grid is reloaded. Yes writes the user file; its contents hold
// whatever was pending, so the older pending file goes (a commit would bring it back over the
// newer file). No, or a Yes whose user file cannot be written, writes the pending file. Every
// save that fails is reported by the application's name; the edits then stay with the dialog.
// A grid that belongs to no application is saved nowhere and asks nothing: its edits were typed
// into the placeholder rows, and saving them under the application chosen next would overwrite
// its bindings.
using TSaver = int (*)(const std::string&, bool, const TStringGrid&);
void AskAndSave(TStringGrid& grid, const std::string& target, const char* question,
                const char* failedKey, const char* userKind, TSaver save, TPendingEdits& pending) {
    if (grid.Tag != 1)
        return;
    grid.Tag = 0;
    if (target.empty())
        return;
    const bool yes = Ask(question);
    if (yes && save(target, false, grid) == ResultOk) {
        pending.rows.erase(target);
        pending.unsaved.erase(target);
        DeleteFileA(BinPath(userKind + target + ".tmp").c_str());
        return;
    }
    if (yes)
        ReportUnsaved(failedKey, target);
    // No, or a user file that could not be written: the edits stay pending. A pending save
    // that fails has removed its file, so OK cannot commit older edits in their place.
    pending.rows[target] = DataRows(grid);
    if (save(target, true, grid) == ResultOk) {
        pending.unsaved.erase(target);
        return;
    }
    pending.unsaved.insert(target);
    if (!yes)
        ReportUnsaved(failedKey, target);
}

bool ShowsAppl(const TComboBox& combo) {
    return combo.ItemIndex >= 0 && !combo.Text().empty();
}

} // namespace

void TFConfig::cmbCommandChange(TObject* Sender) {
    const std::string sender = SenderName(Sender);
    TPendingGrids& pending = Pending(*this);
    AskAndSave(*stgCommand, CurrentAppl, "msg_savecmd", "err_cmdwrite", "usercmd", SaveCmdGrid,
               pending.commands);
    EmptyGrid(*stgCommand);
    if (ShowsAppl(*cmbCommand)) {
        const std::string appl = cmbCommand->Text;
        const bool defaults = sender == "btnDefault";
        int result = ResultOk;
        const auto left = pending.commands.rows.find(appl);
        if (!defaults && left != pending.commands.rows.end()) {
            PutRows(*stgCommand, left->second);
            if (pending.commands.unsaved.count(appl))
                stgCommand->Tag = 1;
        } else {
            result = LoadCmdGrid(appl, defaults, *stgCommand);
        }
        if (sender == "cmbCommand") {
            if (result == ResultNoData)
                ShowMessage(GetLangText("Msg", "err_nocmdfile"));
            cmbFunction->ItemIndex = cmbCommand->ItemIndex;
            cmbFunctionChange(Sender);
            CurrentAppl = cmbCommand->Text;
        }
    }
    pcConfigChange(Sender);
    stgCommand->Invalidate();
}

void TFConfig::cmbFunctionChange(TObject* Sender) {
    const std::string sender = SenderName(Sender);
    TPendingGrids& pending = Pending(*this);
    AskAndSave(*stgFunc, CurrentAppl, "msg_savefunc", "err_funcwrite", "userfunc", SaveFuncGrid,
               pending.functions);
    EmptyGrid(*stgFunc);
    if (ShowsAppl(*cmbFunction)) {
        const std::string appl = cmbFunction->Text;
        const bool defaults = sender == "btnDefault";
        int result = ResultOk;
        const auto left = pending.functions.rows.find(appl);
        if (!defaults && left != pending.functions.rows.end()) {
            PutRows(*stgFunc, left->second);
            if (pending.functions.unsaved.count(appl))
                stgFunc->Tag = 1;
        } else {
            result = LoadFuncGrid(appl, defaults, stgFunc, nullptr);
        }
        if (sender == "cmbFunction") {
            if (result == ResultNoData)
                ShowMessage(GetLangText("Msg", "err_nofuncfile"));
            cmbCommand->ItemIndex = cmbFunction->ItemIndex;
            cmbCommandChange(Sender);
            CurrentAppl = cmbFunction->Text;
        }
    }
    pcConfigChange(Sender);
    stgFunc->Invalidate();
}

void TFConfig::stgCommandSetEditText(TObject*, int, int, const std::string&) {
    stgCommand->Tag = 1;
}

void TFConfig::stgFuncSetEditText(TObject*, int, int, const std::string&) {
    stgFunc->Tag = 1;
}

void TFConfig::AddCommand() {
    ShowForm(KindCmdwizard);
}

void TFConfig::AddFunction() {
    ShowForm(KindFuncwizard);
}

void TFConfig::DeleteCommand() {
    if (!Ask("msg_delcmd"))
        return;
    int head = stgCommand->Row;
    if (head < 1 || head >= stgCommand->RowCount)
        return;
    while (head > 1 && stgCommand->Cells(0, head).empty())
        --head;
    const std::string name = stgCommand->Cells(0, head);
    // A command without a name binds no function; every pass deletes one row, so it ends.
    if (!name.empty()) {
        for (;;) {
            int found = -1;
            for (int r = 1; r < stgFunc->RowCount && found < 0; ++r)
                if (cp1251::EqualNoCase(stgFunc->Cells(0, r), name))
                    found = r;
            if (found < 0)
                break;
            stgFunc->Row = found;
            DeleteGridRow(stgFunc);
        }
    }
    DeleteGridBlock(stgCommand);
    stgCommand->Tag = 1;
    stgFunc->Tag = 1;
}

void TFConfig::DeleteFunction() {
    if (!Ask("msg_delrow"))
        return;
    DeleteGridRow(stgFunc);
    stgFunc->Tag = 1;
}

void TFConfig::DefaultCommands() {
    if (Ask("msg_defcmd"))
        cmbCommandChange(btnDefault);
}

void TFConfig::DefaultFunctions() {
    if (Ask("msg_deffunc"))
        cmbFunctionChange(btnDefault);
}
