// The modal dialogs' part in the window manager's life cycle.
#include "dialog_forms.h"

#include "osd.h"
#include "runtime_state.h"

#include <windows.h>

#include <array>

namespace {

constexpr std::array<std::int16_t, 3> DialogKinds{KindConfig, KindCmdwizard, KindFuncwizard};

int DialogIndex(std::int16_t kind) {
    for (std::size_t i = 0; i < DialogKinds.size(); ++i) {
        if (DialogKinds[i] == kind)
            return static_cast<int>(i);
    }
    return -1;
}

std::array<TDialogFactory, DialogKinds.size()> Factories{};
std::array<TDialogForm*, DialogKinds.size()> Open{};

int CheckedIndex(std::int16_t kind) {
    const int index = DialogIndex(kind);
    if (index < 0)
        throw Exception("Not a dialog kind: " + IntToStr(kind));
    return index;
}

} // namespace

void RegisterDialogKind(std::int16_t kind, TDialogFactory create) {
    Factories[CheckedIndex(kind)] = create;
}

TDialogForm* CreateDialogOfKind(std::int16_t kind, TComponent* owner) {
    const int index = DialogIndex(kind);
    if (index < 0 || !Factories[index])
        return nullptr;
    return Factories[index](owner);
}

TDialogForm* DialogOfKind(std::int16_t kind) {
    const int index = DialogIndex(kind);
    return index < 0 ? nullptr : Open[index];
}

TConfigDialog* OpenConfigDialog() {
    return static_cast<TConfigDialog*>(DialogOfKind(KindConfig));
}

TDialogForm::TDialogForm(TComponent* owner, std::int16_t kind, const char* name)
    : TForm(owner), kind_(kind) {
    TDialogForm*& open = Open[CheckedIndex(kind)];
    if (open)
        throw Exception(std::string("A second dialog of its kind: ") + name);
    open = this;
    Name = name;
    Caption = name;
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
}

TDialogForm::~TDialogForm() {
    TDialogForm*& open = Open[DialogIndex(kind_)];
    if (open == this)
        open = nullptr;
}

void TDialogForm::RememberBounds() {
    SavedBounds = {Top, Left, Height, Width};
}

void TDialogForm::MarkMoved() {
    if (Top != SavedBounds.Top || Left != SavedBounds.Left || Height != SavedBounds.Height ||
        Width != SavedBounds.Width)
        Tag = 1;
}

void TDialogForm::ScaleToScreen() {
    if (Screen->PixelsPerInch > 0)
        ScaleBy(96, Screen->PixelsPerInch);
}

void TDialogForm::CloseAtOnce() {
    Finish();
    PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

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

TConfigDialog::TConfigDialog(TComponent* owner) : TDialogForm(owner, KindConfig, "FConfig") {}
