// The command wizard's form and handlers: the fields each step type shows, when a step is
// complete, adding and deleting steps, and storing the command into the settings dialog.
#include "cmd_wizard.h"

#include "config_form.h"
#include "dialog_texts.h"
#include "language.h"
#include "osd.h"
#include "records.h"
#include "runtime_state.h"
#include "step_encoding.h"

#include <cp1251.h>

#include <initializer_list>

TFCmdwizard* FCmdwizard = nullptr;

namespace {

// What a step record holds of a parameter.
constexpr std::size_t kParamField = sizeof(TCmdStep::Param1) - 1;

} // namespace

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

TButton* MakeButton(TComponent* owner, TWinControl* parent, const char* name, const char* caption,
                    const char* hint, int left, int top) {
    auto* b = Make<TButton>(owner, parent, name, left, top, 75, 25);
    b->Caption = caption;
    b->Hint = hint;
    return b;
}

bool IsOneOf(const std::string& text, std::initializer_list<const char*> words) {
    for (const char* w : words)
        if (text == w)
            return true;
    return false;
}

// The operations that take no value.
bool TakesNoValue(const std::string& op) {
    return IsOneOf(op, {"Clear", "Txt = Txt + Int", "Txt = Int + Txt", "iBuf = iBuf + txtBuf"});
}

void FillShown(TStringList& list, const TKeyword* rows, int count) {
    list.Clear();
    for (int i = 0; i < count; ++i)
        list.Add(ShownName(rows[i]));
}

void FillKeywords(TStringList& list, const TKeyword* rows, int count) {
    list.Clear();
    for (int i = 0; i < count; ++i)
        list.Add(FieldText(rows[i].Keyword));
}

// The display text of the row the list field has chosen (its rows stand in list order).
std::string ChosenText(const TComboBox& field, const TKeyword* rows, int count) {
    const int i = field.ItemIndex;
    return i >= 0 && i < count ? FieldText(rows[i].Text) : std::string();
}

void SetGroupEnabled(TGroupBox& group, bool enabled) {
    group.Enabled = enabled;
    group.Font.Color = enabled ? clWindowText : clInactiveCaption;
}

} // namespace

TFCmdwizard::TFCmdwizard(TComponent* owner) : TDialogForm(owner, KindCmdwizard, "FCmdwizard") {
    Caption = "FCmdwizard";
    Width = 539;
    Height = 404;
    Constraints.MinWidth = 500;
    Constraints.MinHeight = 340;
    Position = poDesktopCenter;
    BorderIcons = TBorderIcons{biSystemMenu, biHelp};
    ShowHint = true;
    HelpContext = 28;
    HelpKeyword = cp1251::Literal("Создание макрокоманд").c_str();
    Font.Name = "Arial";
    Font.Height = -11;

    StatusBar = Make<TStatusBar>(this, this, "StatusBar", 0, 358, 539, 19);
    StatusBar->SimplePanel = true;
    StatusBar->Align = alBottom;
    // The fields above, the buttons below, the steps' grid between them takes what is left.
    auto* panTop = Make<TPanel>(this, this, "panTop", 0, 0, 539, 206);
    panTop->Align = alTop;
    panTop->Caption = "";
    panTop->BevelOuter = bvNone;
    auto* panButtons = Make<TPanel>(this, this, "panButtons", 0, 325, 539, 33);
    panButtons->Align = alBottom;
    panButtons->Caption = "";
    panButtons->BevelOuter = bvNone;

    lblCmdname = Make<TLabel>(this, panTop, "lblCmdname", 8, 8, 220, 13);
    lblCmdname->Caption = "lbl_macroname";
    lblCmdname->HelpContext = 23;
    eCmdName = Make<TEdit>(this, panTop, "eCmdName", 8, 24, 236, 21);
    eCmdName->MaxLength = 24;
    eCmdName->HelpContext = 23;

    // The two groups fit side by side at the wizard's least width.
    grbType = Make<TGroupBox>(this, panTop, "grbType", 8, 52, 232, 150);
    grbType->Caption = "lbl_cmd";
    cmbType = Make<TComboBox>(this, grbType, "cmbType", 8, 18, 216, 21);
    cmbType->Style = csDropDownList;
    cmbType->DropDownCount = 25;
    cmbType->Hint = "hnt_cmbtype";
    cmbType->HelpContext = 24;
    lblType = Make<TLabel>(this, grbType, "lblType", 8, 44, 216, 70);
    lblType->AutoSize = false;
    lblType->WordWrap = true;
    lblType->Caption = "";
    lblType->Hint = "hnt_lbltype";
    btnAdd = MakeButton(this, grbType, "btnAdd", "btn_addline", "hnt_btnadd", 8, 118);
    btnAdd->Width = 108;
    btnDel = MakeButton(this, grbType, "btnDel", "btn_delline", "hnt_btndel", 118, 118);
    btnDel->Width = 108;

    grbParam = Make<TGroupBox>(this, panTop, "grbParam", 248, 8, 240, 194);
    grbParam->Caption = "lbl_cmdparams";
    grbParam->HelpContext = 25;
    TLabel** labels[] = {&lblParam1, &lblParam2, &lblParam3, &lblParam4};
    TComboBox** fields[] = {&cmbParam1, &cmbParam2, &cmbParam3, &cmbParam4};
    const char* labelNames[] = {"lblParam1", "lblParam2", "lblParam3", "lblParam4"};
    const char* fieldNames[] = {"cmbParam1", "cmbParam2", "cmbParam3", "cmbParam4"};
    for (int i = 0; i < 4; ++i) {
        *labels[i] = Make<TLabel>(this, grbParam, labelNames[i], 8, 16 + 44 * i, 224, 13);
        (*labels[i])->Caption = labelNames[i];
        (*labels[i])->HelpContext = 25;
        *fields[i] = Make<TComboBox>(this, grbParam, fieldNames[i], 8, 30 + 44 * i, 224, 21);
        (*fields[i])->Style = csDropDownList;
        (*fields[i])->HelpContext = 25;
    }
    lblBuftype = Make<TLabel>(this, grbParam, "lblBuftype", 8, 148, 224, 13);
    lblBuftype->Caption = "lbl_buftype";
    lblBuftype->HelpContext = 26;
    panBuffertype = Make<TPanel>(this, grbParam, "panBuffertype", 8, 162, 224, 26);
    panBuffertype->Caption = "";
    panBuffertype->BevelOuter = bvNone;
    panBuffertype->HelpContext = 26;
    rbtnText = Make<TRadioButton>(this, panBuffertype, "rbtnText", 2, 4, 110, 17);
    rbtnText->Caption = "lbl_txtbuf";
    rbtnText->HelpContext = 26;
    rbtnInteger = Make<TRadioButton>(this, panBuffertype, "rbtnInteger", 112, 4, 110, 17);
    rbtnInteger->Caption = "lbl_intbuf";
    rbtnInteger->HelpContext = 26;

    stgCommand = Make<TStringGrid>(this, this, "stgCommand", 0, 206, 539, 119);
    stgCommand->Align = alClient;
    stgCommand->ColCount = 6;
    stgCommand->FixedCols = 0;
    stgCommand->RowCount = 2;
    stgCommand->FixedRows = 1;
    stgCommand->Options << goRowSelect << goRowMoving;
    stgCommand->Hint = "hnt_cmbtype";
    stgCommand->HelpContext = 27;
    const int widths[] = {117, 80, 74, 81, 79, 73};
    for (int c = 0; c < 6; ++c)
        stgCommand->SetColWidths(c, widths[c]);

    btnOk = MakeButton(this, panButtons, "btnOk", "btn_ok", "hnt_btnokcmdwiz", 8, 4);
    btnOk->Default = true;
    btnCancel = MakeButton(this, panButtons, "btnCancel", "btn_cancel", "hnt_btncanccmdwiz", 91, 4);
    btnCancel->Cancel = true;
    btnApply = MakeButton(this, panButtons, "btnApply", "btn_apply", "hnt_btnapply", 174, 4);

    ApplicationEvents = new TApplicationEvents(this);
    ApplicationEvents->Name = "ApplicationEvents";

    // Opened: only Cancel works, the groups wait for a name, no field shows.
    btnAdd->Enabled = false;
    btnDel->Enabled = false;
    btnOk->Enabled = false;
    btnApply->Enabled = false;
    SetGroupEnabled(*grbType, false);
    SetGroupEnabled(*grbParam, false);
    for (int n = 1; n <= 4; ++n) {
        Param(n)->Visible = false;
        ParamLabel(n)->Visible = false;
    }
    lblBuftype->Visible = false;
    panBuffertype->Visible = false;

    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnShow = [this](TObject* s) { FormShow(s); };
    eCmdName->OnChange = [this](TObject* s) { eCmdNameChange(s); };
    cmbType->OnChange = [this](TObject* s) { cmbTypeChange(s); };
    for (TComboBox* f : {cmbParam1, cmbParam2, cmbParam3, cmbParam4}) {
        f->OnChange = [this](TObject* s) { cmbParam1Change(s); };
        f->OnKeyPress = [this](TObject* s, char& k) { cmbParam1KeyPress(s, k); };
    }
    for (TRadioButton* b : {rbtnText, rbtnInteger})
        b->OnClick = [this](TObject* s) { rbtnTextClick(s); };
    btnAdd->OnClick = [this](TObject* s) { btnAddClick(s); };
    btnDel->OnClick = [this](TObject* s) { btnDelClick(s); };
    btnApply->OnClick = [this](TObject* s) { btnApplyClick(s); };
    btnOk->OnClick = [this](TObject* s) { btnOkClick(s); };
    btnCancel->OnClick = [this](TObject* s) { btnCancelClick(s); };
    stgCommand->OnRowMoved = [this](TObject* s, int from, int to) {
        stgCommandRowMoved(s, from, to);
    };
    ApplicationEvents->OnHint = [this](TObject* s) { ApplicationEventsHint(s); };
}

TFCmdwizard::~TFCmdwizard() {
    if (FCmdwizard == this)
        FCmdwizard = nullptr;
}

TComboBox* TFCmdwizard::Param(int n) const {
    TComboBox* const fields[] = {cmbParam1, cmbParam2, cmbParam3, cmbParam4};
    return fields[n - 1];
}

TLabel* TFCmdwizard::ParamLabel(int n) const {
    TLabel* const labels[] = {lblParam1, lblParam2, lblParam3, lblParam4};
    return labels[n - 1];
}

int TFCmdwizard::ChosenType() const {
    return cmbType->ItemIndex;
}

std::string TFCmdwizard::BufferMarker() const {
    return rbtnText->Checked ? "Txt" : "Int";
}

void TFCmdwizard::FormCreate(TObject*) {
    ScaleToScreen();
    bool failed = false;
    if (Runtime.KeywordsLoaded == 0 && LoadKeywordLists() != 0) {
        ShowLangMessage("err_nocmddescr");
        failed = true;
    }
    cmbType->Items.Clear();
    for (const TKeyword& row : Runtime.CMDTYPE)
        cmbType->Items.Add(FieldText(row.Keyword));
    SetCmdGridTitles(stgCommand);
    NumericChars = ",-.0123456789";
    CloseDone = false;
    RememberBounds();
    Tag = 0;
    if (failed) {
        // Without the lists no step can be described: the wizard goes at once, storing nothing,
        // and its close is not refused a second time.
        eCmdName->Enabled = false;
        CloseAtOnce();
    }
}

// The desktop centring moves the wizard only when it is first shown, after its creation: what
// counts as the user's move is a change from where it then stands.
void TFCmdwizard::FormShow(TObject*) {
    RememberBounds();
}

void TFCmdwizard::FormClose(TObject* sender, TCloseAction& action) {
    TDialogForm::FormClose(sender, action);
}

void TFCmdwizard::eCmdNameChange(TObject*) {
    const bool named = !eCmdName->Text().empty();
    SetGroupEnabled(*grbType, named);
    SetGroupEnabled(*grbParam, named);
    btnAdd->Enabled = false;
}

void TFCmdwizard::cmbTypeChange(TObject*) {
    lblType->Caption = KeywordToText(Runtime.CMDTYPE, CmdTypeCount, cmbType->Text);
    grbParam->Enabled = !cmbType->Text().empty();
    ShowTypeParams();
    btnAdd->Enabled = IsStepComplete();
}

void TFCmdwizard::ShowTypeParams() {
    for (int n = 1; n <= 4; ++n) {
        TComboBox* f = Param(n);
        ParamLabel(n)->Visible = false;
        f->Visible = false;
        f->Style = csDropDownList;
        f->MaxLength = 0;
        f->Tag = 0;
        f->Items.Clear();
        f->Text = "";
    }
    lblBuftype->Visible = false;
    panBuffertype->Visible = false;
    rbtnText->Checked = false;
    rbtnInteger->Checked = false;

    const auto caption = [&](int n, const std::string& key) {
        ParamLabel(n)->Caption = LangCaption("Labels", key);
        ParamLabel(n)->Visible = true;
    };
    const auto list = [&](int n, const char* key) {
        caption(n, key);
        Param(n)->Visible = true;
    };
    const auto edit = [&](int n, int maxLength, bool numeric) {
        TComboBox* f = Param(n);
        f->Style = csDropDown;
        f->MaxLength = maxLength;
        f->Tag = numeric ? 1 : 0;
        f->Text = "";
    };
    const auto buffer = [&](const char* key) {
        lblBuftype->Caption = LangCaption("Labels", key);
        lblBuftype->Visible = true;
        panBuffertype->Visible = true;
    };
    const auto show = [&](int n) {
        Param(n)->Visible = true;
        ParamLabel(n)->Visible = true;
    };

    switch (ChosenType()) {
    case 0:  // runappl
    case 17: // showfavorites
        list(1, "lbl_favoritgr");
        FillFavoriteList(cmbParam1->Items);
        break;
    case 1: // show_txt
        buffer("lbl_valtype");
        break;
    case 3: // setcurpos
        caption(1, "lbl_X");
        edit(1, 4, true);
        show(1);
        caption(2, "lbl_Y");
        edit(2, 4, true);
        show(2);
        break;
    case 4: // sendmsg
    case 5: // buf=sendmsg
        if (ChosenType() == 5)
            buffer("lbl_typeresult");
        caption(1, "lbl_mesparam2");
        edit(1, 5, true);
        cmbParam1->Text = "1024";
        show(1);
        caption(2, "lbl_mesparam3");
        edit(2, 24, false);
        show(2);
        caption(3, "lbl_mesparam4");
        edit(3, 24, false);
        show(3);
        break;
    case 6: // sendmsg=buf
        buffer("lbl_typesend");
        list(1, "lbl_numparamsend");
        cmbParam1->Items.Add("3");
        cmbParam1->Items.Add("4");
        caption(2, "lbl_mesparam2");
        edit(2, 5, true);
        cmbParam2->Text = "1024";
        show(2);
        edit(3, 24, false);
        break;
    case 7: // keybevent
        list(1, "lbl_key1");
        FillVKeyList(cmbParam1->Items);
        ParamLabel(2)->Caption = LangCaption("Labels", "lbl_key2");
        ParamLabel(3)->Caption = LangCaption("Labels", "lbl_key3");
        ParamLabel(4)->Caption = LangCaption("Labels", "lbl_key4");
        break;
    case 8: // mousevent
        list(1, "lbl_mousevent");
        FillMouseEventList(cmbParam1->Items);
        break;
    case 9: // changebuf
        buffer("lbl_buftype");
        ParamLabel(1)->Caption = LangCaption("Labels", "lbl_operation");
        break;
    case 11: // mode
        list(1, "lbl_rcmode");
        FillRcModeList(cmbParam1->Items);
        break;
    case 15: // continue_if_condition
    case 16: // next_if_condition
        buffer("lbl_analiztype");
        list(1, "lbl_condition");
        FillConditionList(cmbParam1->Items);
        ParamLabel(2)->Caption = "X";
        ParamLabel(2)->Visible = true;
        edit(2, 0, false);
        cmbParam2->Visible = true;
        break;
    case 21: // intbuf=number
        list(1, "lbl_inputformat");
        FillInputFormatList(cmbParam1->Items);
        break;
    case 22: // set_volume
        list(1, "lbl_action");
        FillVolSettingList(cmbParam1->Items);
        ParamLabel(2)->Caption = LangCaption("Labels", "lbl_volumechange");
        edit(2, 3, true);
        break;
    case 23: // showplaylist
        list(1, "lbl_pltype");
        FillPlTypeList(cmbParam1->Items);
        break;
    default: // no type, or a type without parameters
        break;
    }
}

void TFCmdwizard::cmbParam1Change(TObject* Sender) {
    const TRuntimeState& r = Runtime;
    const std::string typeText = KeywordToText(r.CMDTYPE, CmdTypeCount, cmbType->Text);
    int sender = 0;
    for (int n = 1; n <= 4; ++n)
        if (Sender == Param(n))
            sender = n;
    const auto hide = [&](int n) {
        Param(n)->Visible = false;
        ParamLabel(n)->Visible = false;
    };
    const auto show = [&](int n) {
        Param(n)->Visible = true;
        ParamLabel(n)->Visible = true;
    };
    const auto numeric = [&](int n, int maxLength) {
        TComboBox* f = Param(n);
        f->Items.Clear();
        f->Style = csDropDown;
        f->MaxLength = maxLength;
        f->Tag = 1;
        f->Text = "";
    };

    switch (ChosenType()) {
    case 6: // sendmsg=buf
        if (sender == 1) {
            if (cmbParam1->Text() == "3")
                lblParam3->Caption = LangCaption("Labels", "lbl_mesparam4");
            else if (cmbParam1->Text() == "4")
                lblParam3->Caption = LangCaption("Labels", "lbl_mesparam3");
            if (cmbParam1->Text().empty())
                hide(3);
            else
                show(3);
        }
        break;
    case 7: // keybevent
        if (sender >= 1 && sender <= 3) {
            TComboBox* from = Param(sender);
            if (!from->Text().empty()) {
                TComboBox* next = Param(sender + 1);
                next->Items.Assign(from->Items);
                if (sender == 1)
                    next->Items.Insert(0, "");
                for (int i = 0; i < next->Items.Count(); ++i)
                    if (next->Items[i] == from->Text()) {
                        next->Items.Delete(i);
                        break;
                    }
                next->ItemIndex = 0;
                show(sender + 1);
            } else {
                for (int n = sender + 1; n <= 4; ++n) {
                    Param(n)->Items.Clear();
                    hide(n);
                }
            }
        }
        if (sender >= 1) {
            std::string description = typeText + "\n\n" + cmbParam1->Text();
            for (int n = 2; n <= 4; ++n)
                if (!Param(n)->Text().empty())
                    description += " + " + Param(n)->Text();
            lblType->Caption = description;
        }
        break;
    case 8: // mousevent
        if (sender == 1) {
            const std::int16_t e = ShownToValue(r.MOUSEVENT, MousEventCount, cmbParam1->Text);
            if (e >= 0 && (e < 8 || e > 13)) {
                lblParam2->Caption = LangCaption("Labels", "lbl_valmove");
                numeric(2, 3);
                show(2);
            } else {
                hide(2);
            }
        }
        break;
    case 9: // changebuf
        if (sender == 1) {
            const std::string op = cmbParam1->Text;
            hide(2);
            hide(3);
            if (!op.empty() && !TakesNoValue(op)) {
                lblParam2->Caption = LangCaption("Labels", "lbl_addparam");
                numeric(2, 7);
                if (op == "Add") {
                    cmbParam2->MaxLength = 76;
                    cmbParam2->Tag = 0;
                }
                show(2);
                if (op == "Mid") {
                    lblParam2->Caption = LangCaption("Labels", "lbl_midstart");
                    lblParam3->Caption = LangCaption("Labels", "lbl_midcount");
                    numeric(3, 7);
                    show(3);
                }
            }
            const std::string opText = rbtnText->Checked
                                           ? KeywordToText(r.TXTOPERATION, TxtOperationCount, op)
                                           : KeywordToText(r.INTOPERATION, IntOperationCount, op);
            lblType->Caption = typeText + "\n\n" + opText;
        }
        break;
    case 22: // set_volume
        if (sender == 1) {
            const int i = cmbParam1->ItemIndex;
            if (i == 0 || i == 1) {
                show(2);
            } else {
                hide(2);
                cmbParam2->Text = "";
            }
            lblType->Caption =
                typeText + "\n\n" + ChosenText(*cmbParam1, r.VOLSETTINGS, VolSettingsCount);
        }
        break;
    case 17: // showfavorites
        lblType->Caption = typeText + "\n\n" + ChosenText(*cmbParam1, r.FAVORITE, FavoriteCount);
        break;
    case 21: // intbuf=number
        lblType->Caption =
            typeText + "\n\n" + ChosenText(*cmbParam1, r.INPUTFORMAT, InputFormatCount);
        break;
    case 23: // showplaylist
        lblType->Caption = typeText + "\n\n" + ChosenText(*cmbParam1, r.PLTYPE, PlTypeCount);
        break;
    default:
        break;
    }
    btnAdd->Enabled = IsStepComplete();
}

void TFCmdwizard::cmbParam1KeyPress(TObject* Sender, char& Key) {
    auto* field = dynamic_cast<TComboBox*>(Sender);
    if (!field || field->Tag != 1 || Key == '\b')
        return;
    if (NumericChars.find(Key) == std::string::npos) {
        Key = 0;
        return;
    }
    const std::string text = field->Text;
    if (Key == ',' || Key == '.') {
        Key = text.find('.') == std::string::npos ? '.' : 0;
    } else if (Key == '-') {
        if (ChosenType() == 22 || text.find('-') != std::string::npos || !text.empty())
            Key = 0;
    }
}

void TFCmdwizard::rbtnTextClick(TObject*) {
    const TRuntimeState& r = Runtime;
    switch (ChosenType()) {
    case 9: // changebuf
        lblParam1->Visible = true;
        if (rbtnText->Checked)
            FillTxtOperationList(cmbParam1->Items);
        else
            FillIntOperationList(cmbParam1->Items);
        cmbParam1->Visible = true;
        lblType->Caption = KeywordToText(r.CMDTYPE, CmdTypeCount, cmbType->Text);
        for (int n = 2; n <= 3; ++n) {
            Param(n)->Visible = false;
            ParamLabel(n)->Visible = false;
        }
        break;
    case 15:
    case 16:
        cmbParam2->MaxLength = rbtnText->Checked ? 24 : 5;
        cmbParam2->Tag = rbtnText->Checked ? 0 : 1;
        break;
    default:
        break;
    }
    btnAdd->Enabled = IsStepComplete();
}

bool TFCmdwizard::IsStepComplete() {
    const int type = ChosenType();
    if (eCmdName->Text().empty() || type < 0)
        return false;
    const auto filled = [&](int n) { return !Param(n)->Text().empty(); };
    const bool buffer = rbtnText->Checked || rbtnInteger->Checked;
    switch (type) {
    case 2:
    case 10:
    case 12:
    case 13:
    case 14:
    case 18:
    case 19:
    case 20:
        return true;
    case 0:
    case 7:
    case 11:
    case 17:
    case 21:
    case 23:
        return filled(1);
    case 1:
        return buffer;
    case 3:
        return filled(1) && filled(2);
    case 4:
        return filled(1) && filled(2) && filled(3);
    case 5:
    case 6:
        return buffer && filled(1) && filled(2) && filled(3);
    case 8: {
        if (!filled(1))
            return false;
        const std::int16_t e = ShownToValue(Runtime.MOUSEVENT, MousEventCount, cmbParam1->Text);
        return (e >= 8 && e <= 13) || filled(2);
    }
    case 9: {
        // The operation is chosen first: a value left hidden by a change of buffer counts not.
        const std::string op = cmbParam1->Text;
        if (!buffer || op.empty())
            return false;
        if (TakesNoValue(op))
            return true;
        if (op == "Mid")
            return filled(2) && filled(3);
        return filled(2);
    }
    case 15:
    case 16:
        return buffer && filled(1) && filled(2);
    case 22: {
        const int i = cmbParam1->ItemIndex;
        return i == 2 || ((i == 0 || i == 1) && filled(2));
    }
    default:
        return false;
    }
}

bool TFCmdwizard::NumbersAreValid() {
    for (int n = 1; n <= 4; ++n) {
        TComboBox* f = Param(n);
        if (!f->Visible || f->Tag != 1)
            continue;
        // The number buffer's operations take decimals; every other numeric field is read as a
        // whole number.
        const bool decimals =
            ChosenType() == 9 && n == 2 && !rbtnText->Checked && cmbParam1->Text() != "Mid";
        if (decimals ? IsDecimalNumberText(f->Text) : IsWholeNumberText(f->Text))
            continue;
        const std::string key = decimals ? "err_notnumber" : "err_notinteger";
        ShowMessage(SpliceString(GetLangText("Msg", key), ParamLabel(n)->Caption));
        return false;
    }
    return true;
}

bool TFCmdwizard::ParamsFit() {
    for (int n = 1; n <= 4; ++n) {
        const TComboBox* f = Param(n);
        if (!f->Visible || f->Text().size() <= kParamField)
            continue;
        ShowMessage(SpliceString(GetLangText("Msg", "err_longparam"), ParamLabel(n)->Caption));
        return false;
    }
    return true;
}

void TFCmdwizard::btnAddClick(TObject*) {
    if (!IsStepComplete() || !NumbersAreValid() || !ParamsFit())
        return;
    AppendStepRows();
    eCmdName->Enabled = false;
    cmbType->ItemIndex = -1;
    ShowTypeParams();
    btnAdd->Enabled = false;
    btnDel->Enabled = true;
    btnOk->Enabled = true;
    btnApply->Enabled = true;
    lblType->Caption = "";
    stgCommand->Row = stgCommand->RowCount - 1;
}

void TFCmdwizard::RenameFirstRow() {
    TStringGrid& g = *stgCommand;
    for (int r = 2; r < g.RowCount; ++r)
        g.Cells(0, r) = "";
    g.Cells(0, 1) = eCmdName->Text;
}

void TFCmdwizard::btnDelClick(TObject*) {
    TStringGrid& g = *stgCommand;
    const int row = g.Row;
    if (g.RowCount > 2) {
        for (int r = row; r < g.RowCount - 1; ++r)
            for (int c = 0; c < g.ColCount; ++c)
                g.Cells(c, r) = g.Cells(c, r + 1);
        g.RowCount = g.RowCount - 1;
        g.Cells(0, 1) = eCmdName->Text;
        return;
    }
    g.ClearRow(1);
    eCmdName->Enabled = true;
    btnDel->Enabled = false;
    btnApply->Enabled = false;
    btnOk->Enabled = false;
}

void TFCmdwizard::stgCommandRowMoved(TObject*, int, int) {
    // Whatever row was moved, the command's name stands on the first row only.
    RenameFirstRow();
}

bool TFCmdwizard::StoreCommand() {
    if (!FConfig)
        return false;
    TStringGrid& target = *FConfig->stgCommand;
    const TStringGrid& steps = *stgCommand;
    const std::string name = steps.Cells(0, 1);
    for (int r = 1; r < target.RowCount; ++r) {
        if (!cp1251::EqualNoCase(target.Cells(0, r), name))
            continue;
        const std::string question =
            SpliceString(GetLangText("Msg", "msg_duplcmd"), target.Cells(0, r));
        if (MessageDlg(question, mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) != mrYes)
            return false;
        target.Row = r;
        DeleteGridBlock(&target);
        break;
    }
    bool first = true;
    for (int r = 1; r < steps.RowCount; ++r) {
        if (steps.Cells(1, r).empty())
            continue;
        const bool reuse = first && target.RowCount == 2 && target.Cells(0, 1).empty();
        if (!reuse)
            target.RowCount = target.RowCount + 1;
        first = false;
        for (int c = 0; c < 6; ++c)
            target.Cells(c, target.RowCount - 1) = steps.Cells(c, r);
    }
    target.Row = target.RowCount - 1;
    target.Repaint();
    target.Tag = 1;
    FConfig->btnDel->Enabled = true;
    return true;
}

void TFCmdwizard::btnApplyClick(TObject*) {
    if (!StoreCommand())
        return;
    eCmdName->Enabled = true;
    eCmdName->Text = "";
    // Without a name the groups wait again, however the edit reported the change.
    eCmdNameChange(eCmdName);
    cmbType->ItemIndex = -1;
    ShowTypeParams();
    stgCommand->RowCount = 2;
    stgCommand->ClearRow(1);
    btnOk->Enabled = false;
    btnApply->Enabled = false;
    btnDel->Enabled = false;
    btnAdd->Enabled = false;
    lblType->Caption = "";
}

void TFCmdwizard::btnOkClick(TObject*) {
    MarkMoved();
    if (StoreCommand())
        Finish();
}

void TFCmdwizard::btnCancelClick(TObject*) {
    MarkMoved();
    Finish();
}

void TFCmdwizard::ApplicationEventsHint(TObject*) {
    StatusBar->SimpleText = Application->Hint();
}

void TFCmdwizard::FillVKeyList(TStringList& list) {
    FillShown(list, Runtime.VKEY, VKeyCount);
}
void TFCmdwizard::FillMouseEventList(TStringList& list) {
    FillShown(list, Runtime.MOUSEVENT, MousEventCount);
}
void TFCmdwizard::FillIntOperationList(TStringList& list) {
    FillKeywords(list, Runtime.INTOPERATION, IntOperationCount);
}
void TFCmdwizard::FillTxtOperationList(TStringList& list) {
    FillKeywords(list, Runtime.TXTOPERATION, TxtOperationCount);
}
void TFCmdwizard::FillRcModeList(TStringList& list) {
    FillShown(list, Runtime.RCMODE, RcModeCount);
    list.Delete(list.Count() - 1); // nohold is no mode to switch to
}
void TFCmdwizard::FillConditionList(TStringList& list) {
    FillKeywords(list, Runtime.CONDITIONS, ConditionsCount);
}
void TFCmdwizard::FillFavoriteList(TStringList& list) {
    FillKeywords(list, Runtime.FAVORITE, FavoriteCount);
}
void TFCmdwizard::FillVolSettingList(TStringList& list) {
    FillKeywords(list, Runtime.VOLSETTINGS, VolSettingsCount);
}
void TFCmdwizard::FillInputFormatList(TStringList& list) {
    FillKeywords(list, Runtime.INPUTFORMAT, InputFormatCount);
}
void TFCmdwizard::FillPlTypeList(TStringList& list) {
    FillKeywords(list, Runtime.PLTYPE, PlTypeCount);
}
