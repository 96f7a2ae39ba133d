// Controls: bounds, alignment, visibility, fonts, mouse and keyboard events, windowed parents.
#pragma once

#include "toolkit/classes.h"
#include "toolkit/graphics.h"

#include <windows.h>

#include <string>
#include <vector>

class TWinControl;
class TCustomForm;
class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TMouseButton { mbLeft, mbRight, mbMiddle };
// Border styles of forms; controls use bsNone and bsSingle.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
// Setting Key to 0 swallows the key; the shift state may be written but is not read back.
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState& Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TCanResizeEvent =
    std::function<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;

// Limits applied whenever the control's size is set; 0 is no limit.
struct TSizeConstraints {
    int MinWidth = 0;
    int MinHeight = 0;
    int MaxWidth = 0;
    int MaxHeight = 0;
};

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;
    void BeforeDestruction() override;

    // Bounds in the parent's client coordinates (screen coordinates for forms).
    Property<int, TControl> Left{this, &TControl::GetLeft, &TControl::SetLeft};
    Property<int, TControl> Top{this, &TControl::GetTop, &TControl::SetTop};
    Property<int, TControl> Width{this, &TControl::GetWidth, &TControl::SetWidth};
    Property<int, TControl> Height{this, &TControl::GetHeight, &TControl::SetHeight};
    Property<int, TControl> ClientWidth{this, &TControl::GetClientWidth, &TControl::SetClientWidth};
    Property<int, TControl> ClientHeight{this, &TControl::GetClientHeight,
                                         &TControl::SetClientHeight};
    Property<bool, TControl> Visible{this, &TControl::GetVisible, &TControl::SetVisible};
    Property<bool, TControl> Enabled{this, &TControl::GetEnabled, &TControl::SetEnabled};
    Property<TAlign, TControl> Align{this, &TControl::GetAlign, &TControl::SetAlign};
    Property<TWinControl*, TControl> Parent{this, &TControl::GetParent, &TControl::SetParent};
    Property<std::string, TControl> Caption{this, &TControl::GetCaption, &TControl::SetCaption};
    Property<TColor, TControl> Color{this, &TControl::GetColor, &TControl::SetColor};
    // Follows the parent's font while true; changing Font makes it false.
    Property<bool, TControl> ParentFont{this, &TControl::GetParentFont, &TControl::SetParentFont};
    // Follows the parent's colour while true; setting Color makes it false. Controls that have a
    // colour of their own (edits, list boxes, panels) start with false.
    Property<bool, TControl> ParentColor{this, &TControl::GetParentColor,
                                         &TControl::SetParentColor};
    TFont Font;
    TSizeConstraints Constraints;

    std::string Hint;
    bool ShowHint = false;
    bool ParentShowHint = true;
    int HelpContext = 0;
    std::string HelpKeyword;
    bool Ctl3D = true;
    TPopupMenu* PopupMenu = nullptr;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnResize;

    // Size changes pass through CanResize and the constraints.
    virtual void SetBounds(int left, int top, int width, int height);
    void Show();
    void Hide();
    // First among its siblings (forms: in front of the program's other windows).
    virtual void BringToFront();
    // Draws the control again (nothing is drawn on the host).
    void Repaint();
    void Invalidate();
    void Refresh();
    // The form the control is on (itself for a form), or nullptr.
    TCustomForm* GetParentForm() const;

    // What the user's mouse does on the control (tests send these through the toolkit's
    // control interface, which reports escaping errors as the message loop does).
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

    int GetLeft() const { return left_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    int GetTop() const { return top_; }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    int GetWidth() const { return width_; }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    int GetHeight() const { return height_; }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual int GetClientWidth() const;
    void SetClientWidth(int v);
    virtual int GetClientHeight() const;
    void SetClientHeight(int v);
    bool GetVisible() const { return visible_; }
    virtual void SetVisible(bool v);
    bool GetEnabled() const { return enabled_; }
    void SetEnabled(bool v);
    TAlign GetAlign() const { return align_; }
    void SetAlign(TAlign v);
    TWinControl* GetParent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    std::string GetCaption() const { return caption_; }
    virtual void SetCaption(std::string v);
    TColor GetColor() const { return color_; }
    virtual void SetColor(TColor v);
    bool GetParentFont() const { return parentFont_; }
    void SetParentFont(bool v);
    bool GetParentColor() const { return parentColor_; }
    void SetParentColor(bool v);

    const char* ClassName() const override;

protected:
    // Outer size minus frame: how much wider and higher than its client area the control is.
    virtual int FrameWidth() const { return 0; }
    virtual int FrameHeight() const { return 0; }
    // The control's bounds changed (already stored).
    virtual void BoundsChanged(bool moved, bool resized);
    // May change the proposed size or refuse it.
    virtual bool CanResize(int& newWidth, int& newHeight);
    virtual void FontChanged() {}
    virtual void TextChanged() {}
    virtual void ColorChanged();
    // Copies the parent's font while ParentFont is set.
    void TakeParentFont();
    // Copies the parent's colour while ParentColor is set.
    void TakeParentColor();

    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    TColor color_ = clBtnFace;
    bool parentColor_ = true;
    bool visible_ = true;

private:
    friend class TWinControl;
    void FontChangedByUser();
    TWinControl* parent_ = nullptr;
    bool enabled_ = true;
    bool parentFont_ = true;
    bool fontSync_ = false;
    TAlign align_ = alNone;
    std::string caption_;
};

// A control without a window of its own.
class TGraphicControl : public TControl {
public:
    using TControl::TControl;
    const char* ClassName() const override;
};

// A control that can hold controls, take the keyboard focus and receive keys.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    bool TabStop = false;
    int TabOrder = 0;

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    int ControlCount() const;
    // Out of range throws EStringListError.
    TControl* Controls(int index) const;

    // Visible and enabled, on a visible parent chain.
    virtual bool CanFocus() const;
    // Makes this the active control of its form; a control that cannot take the focus throws
    // EInvalidOperation "Cannot focus a disabled or invisible window".
    virtual void SetFocus();
    bool Focused() const;

    // A key on its way in: the OnKeyDown / OnKeyPress handler first, then, unless the handler
    // swallowed it, the control's own handling of the key.
    void KeyDown(WORD& key, TShiftState shift);
    void KeyUp(WORD& key, TShiftState shift);
    void KeyPress(char& key);

    // Scales bounds and fonts of the control and everything on it by m / d.
    void ScaleBy(int m, int d);

    const char* ClassName() const override;

protected:
    virtual void DoKeyDown(WORD& /*key*/, TShiftState /*shift*/) {}
    virtual void DoKeyPress(char& /*key*/) {}
    // The part of the client area that aligned controls share (bevels and borders excluded).
    virtual RECT AlignArea() const;
    // Sizes of its own that ScaleBy scales with its bounds (a grid's rows and columns).
    virtual void ScaleContents(int /*m*/, int /*d*/) {}
    void AlignControls();
    void BoundsChanged(bool moved, bool resized) override;
    void FontChanged() override;
    void ColorChanged() override;

private:
    friend class TControl;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    std::vector<TControl*> controls_;
    bool aligning_ = false;
};

// A windowed control that draws itself.
class TCustomControl : public TWinControl {
public:
    using TWinControl::TWinControl;
    TCanvas Canvas;
    const char* ClassName() const override;
};
