// Push buttons, check boxes, radio buttons, speed buttons and the dialog keys of a form.
#include "toolkit/buttons.h"
#include "toolkit/stdctrls.h"

#include "internal.h"

namespace {

// The button of the form that answers the key: the focused button for Enter, else the first
// visible, enabled Default (Enter) or Cancel (Esc) button on the form.
TButton* FindDialogButton(TWinControl* parent, bool enter) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (!c->GetVisible() || !c->GetEnabled())
            continue;
        if (auto* b = dynamic_cast<TButton*>(c); b && (enter ? b->Default : b->Cancel))
            return b;
        if (auto* w = dynamic_cast<TWinControl*>(c))
            if (TButton* inner = FindDialogButton(w, enter))
                return inner;
    }
    return nullptr;
}

} // namespace

bool toolkit_detail::DialogKey(TCustomForm& form, WORD key) {
    if (key != VK_RETURN && key != VK_ESCAPE)
        return false;
    const bool enter = key == VK_RETURN;
    TButton* button = enter ? dynamic_cast<TButton*>(form.GetActiveControl()) : nullptr;
    if (!button || !button->CanFocus())
        button = FindDialogButton(&form, enter);
    if (!button)
        return false;
    button->Click();
    return true;
}

// ---- TButton ----

TButton::TButton(TComponent* owner) : TWinControl(owner) {
    TabStop = true;
    width_ = 75;
    height_ = 25;
}

void TButton::Click() {
    if (!GetEnabled())
        return;
    if (TCustomForm* form = GetParentForm())
        form->ModalResult = ModalResult;
    TWinControl::Click();
}

void TButton::DoKeyPress(char& key) {
    if (key == ' ')
        Click();
}

const char* TButton::ClassName() const {
    return "TButton";
}

// ---- TCheckBox ----

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
    TabStop = true;
    width_ = 97;
    height_ = 17;
}

void TCheckBox::SetState(TCheckBoxState v) {
    if (v == state_)
        return;
    state_ = v;
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Selection);
    // Fired for changes made in code too, whether the box is enabled or not.
    if (OnClick)
        OnClick(this);
}

void TCheckBox::Click() {
    if (!GetEnabled())
        return;
    switch (state_) {
    case cbUnchecked:
        SetState(cbChecked);
        break;
    case cbChecked:
        SetState(AllowGrayed ? cbGrayed : cbUnchecked);
        break;
    case cbGrayed:
        SetState(cbUnchecked);
        break;
    }
}

void TCheckBox::DoKeyPress(char& key) {
    if (key == ' ')
        Click();
}

const char* TCheckBox::ClassName() const {
    return "TCheckBox";
}

// ---- TRadioButton ----

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner) {
    width_ = 113;
    height_ = 17;
}

void TRadioButton::SetChecked(bool v) {
    if (v == checked_)
        return;
    checked_ = v;
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Selection);
    if (!v)
        return;
    if (TWinControl* parent = GetParent()) {
        for (int i = 0; i < parent->ControlCount(); ++i)
            if (auto* other = dynamic_cast<TRadioButton*>(parent->Controls(i));
                other && other != this)
                other->SetChecked(false);
    }
    if (OnClick)
        OnClick(this);
}

void TRadioButton::Click() {
    if (GetEnabled())
        SetChecked(true);
}

void TRadioButton::DoKeyPress(char& key) {
    if (key == ' ')
        Click();
}

const char* TRadioButton::ClassName() const {
    return "TRadioButton";
}

// ---- TSpeedButton ----

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
    width_ = 23;
    height_ = 22;
}

void TSpeedButton::SetDown(bool v) {
    if (GroupIndex == 0)
        v = false;
    if (v == down_ || (down_ && !AllowAllUp))
        return;
    down_ = v;
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Look);
    if (!v)
        return;
    if (TWinControl* parent = GetParent()) {
        for (int i = 0; i < parent->ControlCount(); ++i) {
            auto* other = dynamic_cast<TSpeedButton*>(parent->Controls(i));
            if (other && other != this && other->GroupIndex == GroupIndex && other->down_) {
                other->down_ = false;
                toolkit_detail::ControlChanged(*other, toolkit_detail::Aspect::Look);
            }
        }
    }
}

void TSpeedButton::Click() {
    if (!GetEnabled())
        return;
    if (GroupIndex != 0) {
        if (!down_)
            SetDown(true);
        else if (AllowAllUp)
            SetDown(false);
    }
    TGraphicControl::Click();
}

const char* TSpeedButton::ClassName() const {
    return "TSpeedButton";
}
