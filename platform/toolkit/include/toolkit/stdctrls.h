// Labels, edits, list boxes, buttons, check boxes, radio buttons, group boxes and combo boxes.
#pragma once

#include "toolkit/classes.h"
#include "toolkit/controls.h"
#include "toolkit/forms.h"

#include <string>

namespace toolkit_detail {
enum class Aspect;
}

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };

class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);

    // While set, the label is as wide and high as its caption in its font.
    Property<bool, TLabel> AutoSize{this, &TLabel::GetAutoSize, &TLabel::SetAutoSize};
    bool WordWrap = false;
    bool Transparent = false;
    TAlignment Alignment = taLeftJustify;
    TTextLayout Layout = tlTop;

    bool GetAutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);

    const char* ClassName() const override;

protected:
    void TextChanged() override;
    void FontChanged() override;

private:
    void Adjust();
    bool autoSize_ = true;
};

// An edit line: its text, caret and length limit.
class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* owner);

    Property<std::string, TCustomEdit> Text{this, &TCustomEdit::GetText, &TCustomEdit::SetText};
    // 0 is no limit; a longer text is not cut by setting the limit.
    Property<int, TCustomEdit> MaxLength{this, &TCustomEdit::GetMaxLength,
                                         &TCustomEdit::SetMaxLength};
    // The caret, 0 .. length of the text.
    Property<int, TCustomEdit> SelStart{this, &TCustomEdit::GetSelStart, &TCustomEdit::SetSelStart};
    TBorderStyle BorderStyle = bsSingle;
    TBevelKind BevelKind = bkNone;
    bool AutoSize = true;
    bool AutoSelect = true;
    bool ReadOnly = false;

    TNotifyEvent OnChange;

    virtual std::string GetText() const { return text_; }
    virtual void SetText(std::string v);
    int GetMaxLength() const { return maxLength_; }
    virtual void SetMaxLength(int v) { maxLength_ = v < 0 ? 0 : v; }
    int GetSelStart() const { return selStart_; }
    void SetSelStart(int v);

    const char* ClassName() const override;

protected:
    // Plain typing: printable characters replace nothing and are inserted at the caret within
    // MaxLength, Backspace deletes before the caret; Left, Right, Home, End and Delete.
    void DoKeyDown(WORD& key, TShiftState shift) override;
    void DoKeyPress(char& key) override;
    // Stores the text as typed (no change event when equal).
    void StoreText(const std::string& v);
    // The caret's last position.
    virtual int CaretLimit() const { return static_cast<int>(text_.size()); }

    std::string text_;
    int maxLength_ = 0;
    int selStart_ = 0;
};

class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* owner);
    ~TListBox() override;

    // The selection stays on its item while the items change around it, and becomes -1 when
    // that item goes (Clear, Assign, Delete of it ...).
    TStringList Items;
    // -1 (none) or 0 .. Count - 1; another value selects nothing. Setting it fires no event.
    Property<int, TListBox> ItemIndex{this, &TListBox::GetItemIndex, &TListBox::SetItemIndex};
    int ItemHeight = 13;
    TBorderStyle BorderStyle = bsSingle;
    TBevelKind BevelKind = bkNone;
    bool AutoComplete = true;

    int GetItemIndex() const { return itemIndex_; }
    void SetItemIndex(int v);

    // A left press selects the item under it.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

    const char* ClassName() const override;

protected:
    // Up, Down, Home, End, Page Up and Page Down move the selection; a move fires OnClick.
    void DoKeyDown(WORD& key, TShiftState shift) override;

private:
    void ItemsChanging();
    void ItemsChanged();
    int TopIndex() const;
    int itemIndex_ = -1;
    std::string selectedText_;
};

class TEdit : public TCustomEdit {
public:
    using TCustomEdit::TCustomEdit;
    const char* ClassName() const override;
};

// A push button. Clicked, it first sets its form's ModalResult to its own (which closes a modal
// form when not mrNone), then fires OnClick. On its form, Enter clicks the Default button and Esc
// the Cancel button (Enter on a focused button clicks that one); Space clicks a focused button.
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);

    bool Default = false;
    bool Cancel = false;
    TModalResult ModalResult = mrNone;

    void Click() override;

    const char* ClassName() const override;

protected:
    void DoKeyPress(char& key) override;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// Checked changes, by code or by the user's click, fire OnClick; a click cycles the state
// (through cbGrayed with AllowGrayed).
class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);

    Property<bool, TCheckBox> Checked{this, &TCheckBox::GetChecked, &TCheckBox::SetChecked};
    Property<TCheckBoxState, TCheckBox> State{this, &TCheckBox::GetState, &TCheckBox::SetState};
    bool AllowGrayed = false;
    TAlignment Alignment = taRightJustify;

    // The user's click (also Space while focused): the next state.
    void Click() override;

    bool GetChecked() const { return state_ == cbChecked; }
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    TCheckBoxState GetState() const { return state_; }
    void SetState(TCheckBoxState v);

    const char* ClassName() const override;

protected:
    void DoKeyPress(char& key) override;

private:
    TCheckBoxState state_ = cbUnchecked;
};

// Checking one, by code or by the user's click, unchecks the other radio buttons of the same
// parent and fires OnClick on the one checked (never on those unchecked, nor for a click on a
// checked one).
class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent* owner);

    Property<bool, TRadioButton> Checked{this, &TRadioButton::GetChecked,
                                         &TRadioButton::SetChecked};
    TAlignment Alignment = taRightJustify;

    void Click() override;

    bool GetChecked() const { return checked_; }
    void SetChecked(bool v);

    const char* ClassName() const override;

protected:
    void DoKeyPress(char& key) override;

private:
    bool checked_ = false;
};

// A frame with a caption around the controls on it.
class TGroupBox : public TCustomControl {
public:
    explicit TGroupBox(TComponent* owner);
    const char* ClassName() const override;

protected:
    RECT AlignArea() const override;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

// An edit line with a list (csDropDown), or a list alone whose text is the selected item
// (csDropDownList). Code that sets Items, Text or ItemIndex fires nothing; the user's choices
// fire OnClick then OnChange, the user's typing OnKeyPress then (as the text changes) OnChange.
// An item that goes from Items while selected leaves no selection (and, as a list, no text).
class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* owner);
    ~TComboBox() override;

    TStringList Items;
    // -1 (none) or 0 .. Count - 1, another value selects nothing; the text becomes the item's
    // (none: empty).
    Property<int, TComboBox> ItemIndex{this, &TComboBox::GetItemIndex, &TComboBox::SetItemIndex};
    // As a list: selects the item of that text (without regard to case) and keeps the selection
    // when there is none. As an edit: the text, and the item of exactly that text selected, if
    // any.
    Property<std::string, TComboBox> Text{this, &TComboBox::GetText, &TComboBox::SetText};
    // Switching keeps the items and the selection; a list shows the selected item's text.
    Property<TComboBoxStyle, TComboBox> Style{this, &TComboBox::GetStyle, &TComboBox::SetStyle};
    // Limits the user's typing (0: none); a longer text set in code is kept.
    Property<int, TComboBox> MaxLength{this, &TComboBox::GetMaxLength, &TComboBox::SetMaxLength};
    int DropDownCount = 8;
    // The list is open. While it is, Enter closes it with the choice and Esc closes it with the
    // item it was opened on chosen again; neither reaches the form's buttons.
    Property<bool, TComboBox> DroppedDown{this, &TComboBox::GetDroppedDown,
                                          &TComboBox::SetDroppedDown};

    TNotifyEvent OnChange;

    // The user picks an item of the dropped-down list: its text, OnClick, OnChange.
    void PickItem(int index);
    // The text the user typed into the edit part, as a whole: OnChange when it differs.
    void TypeText(const std::string& text);
    // A click on the box fires no OnClick (a pick does).
    void Click() override;

    int GetItemIndex() const { return itemIndex_; }
    void SetItemIndex(int v);
    std::string GetText() const { return text_; }
    void SetText(std::string v);
    TComboBoxStyle GetStyle() const { return style_; }
    void SetStyle(TComboBoxStyle v);
    int GetMaxLength() const { return maxLength_; }
    void SetMaxLength(int v) { maxLength_ = v < 0 ? 0 : v; }
    bool GetDroppedDown() const { return droppedDown_; }
    void SetDroppedDown(bool v);

    const char* ClassName() const override;

protected:
    // Up and Down choose the neighbouring item, as a pick; Enter and Esc close an open list.
    void DoKeyDown(WORD& key, TShiftState shift) override;
    // As an edit: typing at the end (Backspace removes the last character). As a list: the next
    // item beginning with the character, as a pick.
    void DoKeyPress(char& key) override;

private:
    void ItemsChanging();
    void ItemsChanged();
    void Changed(toolkit_detail::Aspect what);
    int itemIndex_ = -1;
    std::string text_;
    std::string selectedText_;
    TComboBoxStyle style_ = csDropDown;
    int maxLength_ = 0;
    bool droppedDown_ = false;
    int droppedIndex_ = -1;
};
