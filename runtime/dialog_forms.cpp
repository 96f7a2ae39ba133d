// The modal dialogs' part in the window manager's life cycle.
#include "dialog_forms.h"

#include "osd.h"
#include "runtime_state.h"

TFConfig* FConfig = nullptr;
TFCmdwizard* FCmdwizard = nullptr;
TFFuncwizard* FFuncwizard = nullptr;

TDialogForm::TDialogForm(TComponent* owner, std::int16_t kind, const char* name)
    : TForm(owner), kind_(kind) {
    Name = name;
    Caption = name;
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
}

TDialogForm::~TDialogForm() = default;

void TDialogForm::Finish() {
    CloseDone = true;
    Runtime.FormSlots[kind_].Hold = 0;
}

void TDialogForm::FormClose(TObject*, TCloseAction& action) {
    if (!CloseDone) {
        Finish();
        action = caNone;
        return;
    }
    action = caFree;
}

TFConfig::TFConfig(TComponent* owner) : TDialogForm(owner, KindConfig, "FConfig") {
    vleCode = new TStringGrid(this);
    vleCode->Name = "vleCode";
    vleCode->SetColCount(2);
    vleCode->FixedRows = 0;
    vleCode->Row = 0;
}

void TFConfig::btnReconfigClick(TObject*) {
    if (Runtime.CaptureState != 2) {
        for (int row = 0; row < vleCode->RowCount(); ++row)
            vleCode->Cells(1, row).clear();
        vleCode->Row = 0;
        // The first code is taken even when it repeats the last one.
        Runtime.LastCode = 0;
        Runtime.CaptureState = 2;
    } else {
        Runtime.CaptureState = 0;
    }
}

TFConfig::~TFConfig() {
    // Code learning ends with the dialog.
    Runtime.ConfigMode = 0;
    if (FConfig == this)
        FConfig = nullptr;
}

TFCmdwizard::TFCmdwizard(TComponent* owner) : TDialogForm(owner, KindCmdwizard, "FCmdwizard") {}

TFCmdwizard::~TFCmdwizard() {
    if (FCmdwizard == this)
        FCmdwizard = nullptr;
}

TFFuncwizard::TFFuncwizard(TComponent* owner) : TDialogForm(owner, KindFuncwizard, "FFuncwizard") {}

TFFuncwizard::~TFFuncwizard() {
    if (FFuncwizard == this)
        FFuncwizard = nullptr;
}
