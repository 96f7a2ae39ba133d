// Labels, edits and list boxes.
#pragma once

#include "toolkit/classes.h"
#include "toolkit/controls.h"

#include <string>

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
