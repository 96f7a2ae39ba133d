// The function wizard: binds remote buttons to a command in the settings dialog's function grid.
#pragma once

#include "dialog_forms.h"

#include <toolkit.h>

#include <cstdint>
#include <string>

class TFFuncwizard : public TDialogForm {
public:
    explicit TFFuncwizard(TComponent* owner);
    ~TFFuncwizard() override;

    const char* ClassName() const override { return "TFFuncwizard"; }

    TLabel* lblTitle;
    TLabel* lblPrompt1;
    TLabel* Label1;
    TLabel* lblName;
    TComboBox* cmbCmdname;
    TGroupBox* grbButtons;
    TLabel* lbl1;
    TLabel* lbl2;
    TLabel* lbl3;
    TComboBox* cmbButt1;
    TComboBox* cmbButt2;
    TComboBox* cmbButt3;
    TLabel* lblMode;
    TComboBox* cmbMode;
    TLabel* lblMode_ex;
    TButton* btnOK;
    TButton* btnCancel;
    TStatusBar* StatusBar;
    TApplicationEvents* ApplicationEvents;

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void cmbCmdnameChange(TObject* Sender);
    void cmbButt1Change(TObject* Sender);
    void cmbModeChange(TObject* Sender);
    void btnOKClick(TObject* Sender);
    void btnCancelClick(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action) override;
    void ApplicationEventsHint(TObject* Sender);

    // The button expression of the chosen buttons: quoted names joined by "+".
    std::string ButtonExpression() const;

private:
};

// Whether a binding in mode existing stands in the way of a new one in mode chosen.
bool FuncModesConflict(const std::string& existing, const std::string& chosen);

extern TFFuncwizard* FFuncwizard;
