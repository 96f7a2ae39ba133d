// The function wizard's form and handlers: the command, up to three buttons and the RC mode,
// checked against the bindings of the settings dialog's function grid and written into it.
#include "func_wizard.h"

#include "config_form.h"
#include "dialog_texts.h"
#include "keyword_lists.h"
#include "language.h"
#include "osd.h"
#include "records.h"
#include "runtime_state.h"

#include <cp1251.h>

TFFuncwizard* FFuncwizard = nullptr;

namespace {

template <class T>
T* Make(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width,
        int height) {
    auto* c = new T(owner);
    c->Name = name;
    c->Parent = parent;
    c->SetBounds(left, top, width, height);
    return c;
}

TLabel* MakeLabel(TComponent* owner, TWinControl* parent, const char* name, const char* caption,
                  int left, int top, int width, int height) {
    auto* l = Make<TLabel>(owner, parent, name, left, top, width, height);
    l->Caption = caption;
    return l;
}

// What the binding record holds of a button expression.
constexpr std::size_t kExpressionField = sizeof(TFuncEntry::Keys) - 1;

} // namespace

bool FuncModesConflict(const std::string& existing, const std::string& chosen) {
    return existing == chosen || (existing != "hold" && chosen == "nohold");
}

TFFuncwizard::TFFuncwizard(TComponent* owner) : TDialogForm(owner, KindFuncwizard, "FFuncwizard") {
    Caption = "FFuncwizard";
    ClientWidth = 363;
    ClientHeight = 391;
    Position = poDesktopCenter;
    BorderIcons = TBorderIcons{biSystemMenu, biHelp};
    ShowHint = true;
    HelpFile = "\\Help\\Tavrin RC.hlp";
    HelpContext = 29;
    Font.Name = "Arial";
    Font.Height = -11;

    StatusBar = Make<TStatusBar>(this, this, "StatusBar", 0, 372, 363, 19);
    StatusBar->SimplePanel = true;
    StatusBar->Align = alBottom;
    auto* panButtons = Make<TPanel>(this, this, "panButtons", 0, 339, 363, 33);
    panButtons->Align = alBottom;
    panButtons->Caption = "";
    panButtons->BevelOuter = bvNone;

    lblTitle = MakeLabel(this, this, "lblTitle", "lbl_newfunc", 12, 6, 340, 26);
    lblTitle->Font.Style = TFontStyles{fsBold};
    lblTitle->Font.Height = -21;
    lblPrompt1 = MakeLabel(this, this, "lblPrompt1", "lbl_funcprompt1", 12, 36, 340, 16);
    lblPrompt1->AutoSize = false;
    lblPrompt1->SetBounds(lblPrompt1->Left, lblPrompt1->Top, 340, 16);
    lblPrompt1->WordWrap = true;
    Label1 = MakeLabel(this, this, "Label1", "lbl_funcprompt2", 12, 52, 340, 16);
    Label1->AutoSize = false;
    Label1->SetBounds(Label1->Left, Label1->Top, 340, 16);
    Label1->WordWrap = true;

    lblName = MakeLabel(this, this, "lblName", "lbl_macroname", 12, 74, 200, 13);
    lblName->HelpContext = 30;
    cmbCmdname = Make<TComboBox>(this, this, "cmbCmdname", 12, 88, 339, 21);
    cmbCmdname->Style = csDropDownList;
    cmbCmdname->Hint = "hnt_cmbcmdname";
    cmbCmdname->HelpContext = 30;
    cmbCmdname->DropDownCount = 20;

    grbButtons = Make<TGroupBox>(this, this, "grbButtons", 12, 114, 339, 94);
    grbButtons->Caption = "lbl_rcbutton";
    grbButtons->HelpContext = 31;
    TLabel** labels[] = {&lbl1, &lbl2, &lbl3};
    TComboBox** boxes[] = {&cmbButt1, &cmbButt2, &cmbButt3};
    const char* labelNames[] = {"lbl1", "lbl2", "lbl3"};
    const char* labelCaptions[] = {"1.", "2.", "3."};
    const char* boxNames[] = {"cmbButt1", "cmbButt2", "cmbButt3"};
    const char* hints[] = {"hnt_cmbbutt1", "hnt_cmbbutt2", "hnt_cmbbutt3"};
    for (int i = 0; i < 3; ++i) {
        *labels[i] =
            MakeLabel(this, grbButtons, labelNames[i], labelCaptions[i], 10, 20 + 24 * i, 16, 13);
        (*labels[i])->Enabled = false;
        *boxes[i] = Make<TComboBox>(this, grbButtons, boxNames[i], 30, 16 + 24 * i, 299, 21);
        (*boxes[i])->Style = csDropDownList;
        (*boxes[i])->Hint = hints[i];
        (*boxes[i])->DropDownCount = 20;
        (*boxes[i])->Enabled = false;
    }

    lblMode = MakeLabel(this, this, "lblMode", "lbl_rcmode", 12, 212, 200, 13);
    lblMode->HelpContext = 32;
    cmbMode = Make<TComboBox>(this, this, "cmbMode", 12, 226, 339, 21);
    cmbMode->Style = csDropDownList;
    cmbMode->Hint = "hnt_cmbmode";
    cmbMode->HelpContext = 32;
    lblMode_ex = MakeLabel(this, this, "lblMode_ex", "", 12, 252, 339, 30);
    lblMode_ex->AutoSize = false;
    lblMode_ex->SetBounds(lblMode_ex->Left, lblMode_ex->Top, 339, 30);
    lblMode_ex->WordWrap = true;
    lblMode_ex->HelpContext = 32;

    btnOK = Make<TButton>(this, panButtons, "btnOK", 195, 4, 75, 25);
    btnOK->Caption = "btn_ok";
    btnOK->Default = true;
    btnOK->Enabled = false;
    btnCancel = Make<TButton>(this, panButtons, "btnCancel", 276, 4, 75, 25);
    btnCancel->Caption = "btn_cancel";
    btnCancel->Cancel = true;

    ApplicationEvents = new TApplicationEvents(this);
    ApplicationEvents->Name = "ApplicationEvents";

    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnShow = [this](TObject* s) { FormShow(s); };
    cmbCmdname->OnChange = [this](TObject* s) { cmbCmdnameChange(s); };
    cmbButt1->OnChange = [this](TObject* s) { cmbButt1Change(s); };
    cmbButt2->OnChange = [this](TObject* s) { cmbButt1Change(s); };
    cmbMode->OnChange = [this](TObject* s) { cmbModeChange(s); };
    btnOK->OnClick = [this](TObject* s) { btnOKClick(s); };
    btnCancel->OnClick = [this](TObject* s) { btnCancelClick(s); };
    ApplicationEvents->OnHint = [this](TObject* s) { ApplicationEventsHint(s); };
}

TFFuncwizard::~TFFuncwizard() {
    if (FFuncwizard == this)
        FFuncwizard = nullptr;
}

void TFFuncwizard::FormCreate(TObject*) {
    ScaleToScreen();
    bool failed = false;
    if (Runtime.KeywordsLoaded == 0 && LoadKeywordLists() != 0) {
        ShowLangMessage("err_nofuncdescr");
        failed = true;
    }
    cmbCmdname->Items.Clear();
    cmbButt1->Items.Clear();
    if (FConfig) {
        const TStringGrid& commands = *FConfig->stgCommand;
        for (int r = 1; r < commands.RowCount; ++r)
            if (!commands.Cells(0, r).empty())
                cmbCmdname->Items.Add(commands.Cells(0, r));
        const TValueListEditor& codes = *FConfig->vleCode;
        for (int i = 0; i < codes.Strings.Count(); ++i)
            cmbButt1->Items.Add(codes.Strings.Names(i));
    }
    cmbMode->Items.Clear();
    for (const TKeyword& row : Runtime.RCMODE)
        cmbMode->Items.Add(FieldText(row.Keyword));
    cmbMode->ItemIndex = RcModeCount - 1;
    lblMode_ex->Caption = FieldText(Runtime.RCMODE[RcModeCount - 1].Text);
    CloseDone = false;
    RememberBounds();
    Tag = 0;
    if (failed) {
        // Without the lists the wizard goes at once, binding nothing; its close is not refused.
        cmbCmdname->Enabled = false;
        CloseAtOnce();
    }
}

void TFFuncwizard::cmbCmdnameChange(TObject*) {
    if (!cmbCmdname->Text().empty()) {
        lbl1->Enabled = true;
        cmbButt1->Enabled = true;
    }
}

void TFFuncwizard::cmbButt1Change(TObject* Sender) {
    const bool first = Sender == cmbButt1;
    TComboBox* from = first ? cmbButt1 : cmbButt2;
    TComboBox* target = first ? cmbButt2 : cmbButt3;
    TLabel* targetLabel = first ? lbl2 : lbl3;
    const auto clear = [](TComboBox* box, TLabel* label) {
        box->Items.Clear();
        box->Enabled = false;
        label->Enabled = false;
    };
    const std::string chosen = from->Text;
    if (!chosen.empty()) {
        target->Items.Assign(from->Items);
        if (first)
            target->Items.Insert(0, "");
        for (int i = 0; i < target->Items.Count(); ++i)
            if (cp1251::EqualNoCase(target->Items[i], chosen)) {
                target->Items.Delete(i);
                break;
            }
        target->ItemIndex = 0;
        target->Enabled = true;
        targetLabel->Enabled = true;
    } else {
        clear(target, targetLabel);
    }
    // Box 2 now stands at its empty item: box 3 has nothing to offer.
    if (first)
        clear(cmbButt3, lbl3);
    if (!cmbButt1->Text().empty())
        btnOK->Enabled = true;
}

void TFFuncwizard::cmbModeChange(TObject*) {
    const int i = cmbMode->ItemIndex;
    lblMode_ex->Caption = i >= 0 && i < RcModeCount ? FieldText(Runtime.RCMODE[i].Text) : "";
}

std::string TFFuncwizard::ButtonExpression() const {
    std::string expression;
    for (const TComboBox* box : {cmbButt1, cmbButt2, cmbButt3}) {
        const std::string name = box->Text;
        if (box != cmbButt1 && name.empty())
            continue;
        if (!expression.empty())
            expression += '+';
        expression += '"';
        expression += name;
        expression += '"';
    }
    return expression;
}

void TFFuncwizard::btnOKClick(TObject*) {
    MarkMoved();
    if (!FConfig || cmbButt1->Text().empty())
        return;
    TStringGrid& grid = *FConfig->stgFunc;
    const std::string expression = ButtonExpression();
    const std::string mode = cmbMode->Text;
    const std::string command = cmbCmdname->Text;
    // Cut into the record's field it would be another binding, or none.
    if (expression.size() > kExpressionField) {
        ShowLangMessage("err_longfunckeys");
        return;
    }

    int own = -1;
    for (int r = 1; r < grid.RowCount && own < 0; ++r)
        if (cp1251::EqualNoCase(grid.Cells(0, r), command))
            own = r;

    if (own < 0) {
        for (int r = 1; r < grid.RowCount; ++r)
            if (cp1251::EqualNoCase(grid.Cells(2, r), expression) &&
                FuncModesConflict(grid.Cells(1, r), mode)) {
                ShowMessage(SpliceString(GetLangText("Msg", "msg_duplfunckeys"), grid.Cells(0, r)));
                return;
            }
        if (!grid.Cells(0, 1).empty())
            grid.RowCount = grid.RowCount + 1;
        const int last = grid.RowCount - 1;
        grid.Cells(0, last) = command;
        grid.Cells(1, last) = mode;
        grid.Cells(2, last) = expression;
    } else {
        if (FuncModesConflict(grid.Cells(1, own), mode) && grid.Cells(2, own) == expression) {
            ShowLangMessage("err_duplfunc");
            return;
        }
        const std::string question = SpliceString(GetLangText("Msg", "msg_duplfunc"), command);
        if (MessageDlg(question, mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) == mrYes) {
            grid.Cells(1, own) = mode;
            grid.Cells(2, own) = expression;
        }
    }
    grid.Row = grid.RowCount - 1;
    grid.Repaint();
    grid.Tag = 1;
    Finish();
}

void TFFuncwizard::btnCancelClick(TObject*) {
    MarkMoved();
    Finish();
}

// The desktop centring moves the wizard only when it is first shown, after its creation: what
// counts as the user's move is a change from where it then stands.
void TFFuncwizard::FormShow(TObject*) {
    RememberBounds();
}

void TFFuncwizard::FormClose(TObject* sender, TCloseAction& action) {
    TDialogForm::FormClose(sender, action);
}

void TFFuncwizard::ApplicationEventsHint(TObject*) {
    StatusBar->SimpleText = Application->Hint();
}
