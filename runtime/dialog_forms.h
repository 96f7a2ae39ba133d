// The three modal dialogs as far as the runtime deals with them: their slot, two-stage close and
// translation. The dialogs' pages and controls are built on these forms.
#pragma once

#include <toolkit.h>

#include <cstdint>

// A modal dialog of one FormSlots kind. OK, Cancel and the first close request only mark it
// done and release its hold; the window manager's next close frees it.
class TDialogForm : public TForm {
public:
    TDialogForm(TComponent* owner, std::int16_t kind, const char* name);
    ~TDialogForm() override;

    bool CloseDone = false;

    // What OK and Cancel do once their own work is done.
    void Finish();
    void FormClose(TObject* sender, TCloseAction& action);

protected:
    std::int16_t kind_;
};

class TFConfig : public TDialogForm {
public:
    explicit TFConfig(TComponent* owner);
    ~TFConfig() override;

    // The code grid: key = button name, value (column 1) = its code as signed decimal text.
    TStringGrid* vleCode;

    // Starts a relearning run over every row, or ends the one in progress.
    void btnReconfigClick(TObject* sender);
};

class TFCmdwizard : public TDialogForm {
public:
    explicit TFCmdwizard(TComponent* owner);
    ~TFCmdwizard() override;
};

class TFFuncwizard : public TDialogForm {
public:
    explicit TFFuncwizard(TComponent* owner);
    ~TFFuncwizard() override;
};

extern TFConfig* FConfig;
extern TFCmdwizard* FCmdwizard;
extern TFFuncwizard* FFuncwizard;
