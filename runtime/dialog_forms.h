// The three modal dialogs as far as the runtime deals with them: their slot, two-stage close,
// the settings dialog's code grid for learning, and how the program makes them.
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

    std::int16_t Kind() const { return kind_; }

    // What OK and Cancel do once their own work is done.
    void Finish();
    // The form's OnClose: the first request finishes, the next frees.
    virtual void FormClose(TObject* sender, TCloseAction& action);

protected:
    std::int16_t kind_;
};

// What the runtime's tick uses of the settings dialog while it learns codes.
class TConfigDialog : public TDialogForm {
public:
    explicit TConfigDialog(TComponent* owner);

    // Key = button name, value = its code as signed decimal text.
    TValueListEditor* vleCode = nullptr;

    // Starts a relearning run over every row, or ends the one in progress; the tick calls it
    // with no sender after the last row.
    virtual void btnReconfigClick(TObject* sender) = 0;
};

// Makes a fresh dialog of its kind, owned by owner.
using TDialogFactory = TDialogForm* (*)(TComponent* owner);

// The program tells the runtime how to make each dialog kind (settings dialog, command wizard,
// function wizard) at start-up; a kind nobody registered is never shown.
void RegisterDialogKind(std::int16_t kind, TDialogFactory create);
TDialogForm* CreateDialogOfKind(std::int16_t kind, TComponent* owner);

// The dialog of the kind while it exists, or none.
TDialogForm* DialogOfKind(std::int16_t kind);
TConfigDialog* OpenConfigDialog();
