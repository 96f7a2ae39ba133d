// Dialogs as small as the runtime needs them: the settings dialog's code grid and relearn switch,
// and two wizards that only close; registered the way the program registers the real ones.
#pragma once

#include "dialog_forms.h"
#include "osd.h"
#include "runtime_state.h"

#include <toolkit.h>

class TTestConfigDialog : public TConfigDialog {
public:
    explicit TTestConfigDialog(TComponent* owner) : TConfigDialog(owner) {
        vleCode = new TValueListEditor(this);
        vleCode->Name = "vleCode";
        vleCode->DisplayOptions = TDisplayOptions{doAutoColResize, doKeyColFixed};
    }
    const char* ClassName() const override { return "TFConfig"; }

    void btnReconfigClick(TObject*) override {
        if (Runtime.CaptureState != 2) {
            for (int row = 0; row < vleCode->RowCount(); ++row)
                vleCode->Cells(1, row) = "";
            vleCode->Row = 0;
            Runtime.LastCode = 0;
            Runtime.CaptureState = 2;
        } else {
            Runtime.CaptureState = 0;
        }
    }
    void FormClose(TObject* sender, TCloseAction& action) override {
        TConfigDialog::FormClose(sender, action);
        if (action == caFree)
            Runtime.ConfigMode = 0;
    }
};

class TTestWizard : public TDialogForm {
public:
    TTestWizard(TComponent* owner, std::int16_t kind, const char* name, const char* className)
        : TDialogForm(owner, kind, name), className_(className) {}
    const char* ClassName() const override { return className_; }

private:
    const char* className_;
};

inline void RegisterTestDialogs() {
    RegisterDialogKind(
        KindConfig, [](TComponent* owner) -> TDialogForm* { return new TTestConfigDialog(owner); });
    RegisterDialogKind(KindCmdwizard, [](TComponent* owner) -> TDialogForm* {
        return new TTestWizard(owner, KindCmdwizard, "FCmdwizard", "TFCmdwizard");
    });
    RegisterDialogKind(KindFuncwizard, [](TComponent* owner) -> TDialogForm* {
        return new TTestWizard(owner, KindFuncwizard, "FFuncwizard", "TFFuncwizard");
    });
}

inline TTestConfigDialog* TestConfig() {
    return static_cast<TTestConfigDialog*>(OpenConfigDialog());
}
