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

    // Where the dialog stood when its bounds were last remembered.
    struct TSavedBounds {
        std::int32_t Top = 0;
        std::int32_t Left = 0;
        std::int32_t Height = 0;
        std::int32_t Width = 0;
    } SavedBounds;
    void RememberBounds();
    // A move or resize since then marks the layout to be saved (Tag 1).
    void MarkMoved();
    // A dialog designed at 96 pixels per inch keeps its pixel size at any density; a screen that
    // reports none leaves it unscaled rather than divided by zero.
    void ScaleToScreen();

    // What OK and Cancel do once their own work is done.
    void Finish();
    // Finishes and closes at once, without waiting for the window manager.
    void CloseAtOnce();
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
