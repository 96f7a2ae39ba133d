// The command wizard: composes one command step by step into the settings dialog's command grid.
#pragma once

#include "dialog_forms.h"

#include <toolkit.h>

#include <cstdint>
#include <string>

class TFCmdwizard : public TDialogForm {
public:
    explicit TFCmdwizard(TComponent* owner);
    ~TFCmdwizard() override;

    const char* ClassName() const override { return "TFCmdwizard"; }

    TLabel* lblCmdname;
    TEdit* eCmdName;
    TGroupBox* grbType;
    TComboBox* cmbType;
    TLabel* lblType;
    TButton* btnAdd;
    TButton* btnDel;
    TGroupBox* grbParam;
    TLabel* lblParam1;
    TLabel* lblParam2;
    TLabel* lblParam3;
    TLabel* lblParam4;
    TComboBox* cmbParam1;
    TComboBox* cmbParam2;
    TComboBox* cmbParam3;
    TComboBox* cmbParam4;
    TLabel* lblBuftype;
    TPanel* panBuffertype;
    TRadioButton* rbtnText;
    TRadioButton* rbtnInteger;
    TStringGrid* stgCommand;
    TButton* btnOk;
    TButton* btnCancel;
    TButton* btnApply;
    TStatusBar* StatusBar;
    TApplicationEvents* ApplicationEvents;

    // What a numeric field lets through.
    std::string NumericChars;

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action) override;
    void eCmdNameChange(TObject* Sender);
    void cmbTypeChange(TObject* Sender);
    void cmbParam1Change(TObject* Sender);
    void cmbParam1KeyPress(TObject* Sender, char& Key);
    void rbtnTextClick(TObject* Sender);
    void btnAddClick(TObject* Sender);
    void btnDelClick(TObject* Sender);
    void btnApplyClick(TObject* Sender);
    void btnOkClick(TObject* Sender);
    void btnCancelClick(TObject* Sender);
    void stgCommandRowMoved(TObject* Sender, int FromIndex, int ToIndex);
    void ApplicationEventsHint(TObject* Sender);

    void ShowTypeParams();
    bool IsStepComplete();
    // Appends the rows of the step the fields describe (step_encoding.cpp).
    void AppendStepRows();
    bool StoreCommand();

    void FillVKeyList(TStringList& list);
    void FillMouseEventList(TStringList& list);
    void FillIntOperationList(TStringList& list);
    void FillTxtOperationList(TStringList& list);
    void FillRcModeList(TStringList& list);
    void FillConditionList(TStringList& list);
    void FillFavoriteList(TStringList& list);
    void FillVolSettingList(TStringList& list);
    void FillInputFormatList(TStringList& list);
    void FillPlTypeList(TStringList& list);

    // The field Fn (1 to 4) and its caption.
    TComboBox* Param(int n) const;
    TLabel* ParamLabel(int n) const;
    // The CMDTYPE value of the chosen type, -1 for none.
    int ChosenType() const;
    // The buffer marker of the step: "Txt" or "Int".
    std::string BufferMarker() const;

private:
    // Every numeric field the step uses holds a number of its kind; otherwise the user is told
    // which and false is returned.
    bool NumbersAreValid();
    // Every field the step uses fits the step record's parameter; otherwise the user is told.
    bool ParamsFit();
    // The step's name on the first data row only.
    void RenameFirstRow();
};

extern TFCmdwizard* FCmdwizard;
