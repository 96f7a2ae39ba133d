// Forms, the application object with its message loop, and the screen.
#pragma once

#include "toolkit/classes.h"
#include "toolkit/controls.h"
#include "toolkit/exceptions.h"
#include "toolkit/graphics.h"

#include <windows.h>

#include <string>
#include <vector>

enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = Set<TBorderIcon>;
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};

using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// A form is a top-level window of the program: on the host a desktop window whose class is the
// form's class name and whose text is its caption, created when the form is first shown or its
// Handle is first asked for. Forms are built in code: the constructor of a form class creates
// its components with their design-time properties and wires their handlers.
class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    Property<TFormBorderStyle, TCustomForm> BorderStyle{this, &TCustomForm::GetBorderStyle,
                                                        &TCustomForm::SetBorderStyle};
    Property<TFormStyle, TCustomForm> FormStyle{this, &TCustomForm::GetFormStyle,
                                                &TCustomForm::SetFormStyle};
    Property<bool, TCustomForm> AlphaBlend{this, &TCustomForm::GetAlphaBlend,
                                           &TCustomForm::SetAlphaBlend};
    Property<BYTE, TCustomForm> AlphaBlendValue{this, &TCustomForm::GetAlphaBlendValue,
                                                &TCustomForm::SetAlphaBlendValue};
    Property<bool, TCustomForm> TransparentColor{this, &TCustomForm::GetTransparentColor,
                                                 &TCustomForm::SetTransparentColor};
    Property<TColor, TCustomForm> TransparentColorValue{
        this, &TCustomForm::GetTransparentColorValue, &TCustomForm::SetTransparentColorValue};
    Property<TWinControl*, TCustomForm> ActiveControl{this, &TCustomForm::GetActiveControl,
                                                      &TCustomForm::SetActiveControl};
    Property<TModalResult, TCustomForm> ModalResult{this, &TCustomForm::GetModalResult,
                                                    &TCustomForm::SetModalResult};
    // A window that only shows things: neither showing it, clicking it nor closing another
    // window makes it the active one, so the keys stay with the window the user works in.
    Property<bool, TCustomForm> NoActivate{this, &TCustomForm::GetNoActivate,
                                           &TCustomForm::SetNoActivate};
    TBorderIcons BorderIcons{biSystemMenu, biMinimize, biMaximize};
    TPosition Position = poDesigned;
    // The form sees every key before the control that has the focus.
    bool KeyPreview = false;
    std::string HelpFile;
    // Its font is the form's font.
    TCanvas Canvas;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TCanResizeEvent OnCanResize;

    // The desktop window, created on first use.
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }

    // Visible, in front; without taking the foreground.
    void Show();
    void Hide();
    // OnCloseQuery, then OnClose with the action caHide (the main form: the application ends
    // unless the action is caNone). caHide hides, caFree releases, caNone keeps the form. A
    // modal form instead gets ModalResult mrCancel and its loop closes it.
    void Close();
    // Shows the form in front and active, runs a nested message loop (timers keep firing) until
    // ModalResult is set and the close is not refused, hides the form and returns ModalResult.
    // A visible form throws EInvalidOperation "Cannot make a visible window modal".
    TModalResult ShowModal();
    // Deleted from the message loop once the current handlers have returned.
    void Release();
    bool Modal() const { return modal_; }
    void BringToFront() override;
    // The window is the foreground window.
    bool Active() const;

    // OnCreate, once; the application's CreateForm calls it after the constructor, and a form
    // built visible by CreateForm is shown after it. A form created with plain new gets it when
    // it is first made visible (Show, ShowModal, Visible = true).
    void AfterConstruction();
    void BeforeDestruction() override;

    // A key from the window: with KeyPreview the form's handler first, then the active control
    // (or the form itself when none has the focus); an Alt+F4 nobody swallowed closes the form,
    // an Enter or Esc clicks the default or cancel button. True when a button took the key (it
    // then types no character).
    bool DispatchKeyDown(WORD key, TShiftState shift);
    void DispatchKeyUp(WORD key, TShiftState shift);
    void DispatchKeyPress(char key);

    TFormBorderStyle GetBorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle v);
    TFormStyle GetFormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle v);
    bool GetAlphaBlend() const { return alphaBlend_; }
    void SetAlphaBlend(bool v);
    BYTE GetAlphaBlendValue() const { return alphaValue_; }
    void SetAlphaBlendValue(BYTE v);
    bool GetTransparentColor() const { return transparent_; }
    void SetTransparentColor(bool v);
    TColor GetTransparentColorValue() const { return transparentValue_; }
    void SetTransparentColorValue(TColor v);
    TWinControl* GetActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    TModalResult GetModalResult() const { return modalResult_; }
    bool GetNoActivate() const { return noActivate_; }
    void SetNoActivate(bool v);
    void SetModalResult(TModalResult v) { modalResult_ = v; }
    void SetVisible(bool v) override;
    void SetCaption(std::string v) override;

    const char* ClassName() const override;

protected:
    int FrameWidth() const override;
    int FrameHeight() const override;
    void BoundsChanged(bool moved, bool resized) override;
    bool CanResize(int& newWidth, int& newHeight) override;
    void FontChanged() override;

private:
    friend class TWinControl;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateHandle();
    void ApplyLayered();
    void FocusFirst();
    // OnCloseQuery and OnClose; the action decided.
    bool QueryClose();
    TCloseAction DoClose(TCloseAction action);

    HWND handle_ = nullptr;
    bool created_ = false;
    bool inCreate_ = false;
    bool destroying_ = false;
    bool modal_ = false;
    bool shownOnce_ = false;
    bool swallowChar_ = false;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TFormStyle formStyle_ = fsNormal;
    bool alphaBlend_ = false;
    BYTE alphaValue_ = 255;
    bool transparent_ = false;
    TColor transparentValue_ = clBlack;
    bool noActivate_ = false;
    TWinControl* activeControl_ = nullptr;
    TModalResult modalResult_ = mrNone;
};

class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
    const char* ClassName() const override;
};

using TExceptionEvent = std::function<void(TObject* Sender, Exception* E)>;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    // The default title is the program file's name without its extension.
    Property<std::string, TApplication> Title{this, &TApplication::GetTitle,
                                              &TApplication::SetTitle};
    // Setting a different hint fires OnHint here and in every TApplicationEvents.
    Property<std::string, TApplication> Hint{this, &TApplication::GetHint, &TApplication::SetHint};
    std::string HelpFile;
    bool ShowHint = true;

    TNotifyEvent OnHint;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    // When set, replaces the exception box.
    TExceptionEvent OnException;

    // The full path of the program file.
    std::string ExeName() const;
    // The hidden application window (created on first use).
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    TCustomForm* MainForm() const { return mainForm_; }
    bool Terminated() const { return terminated_; }
    // The program's windows are in the foreground.
    bool Active() const { return active_; }

    void Initialize();
    // Creates a form owned by the application: the reference is set before OnCreate runs; the
    // first form created becomes the main form; a form built visible is then shown.
    template <typename T>
    void CreateForm(T*& reference) {
        ++formsBeingBuilt_;
        T* form;
        try {
            form = new T(this);
        } catch (...) {
            --formsBeingBuilt_;
            throw;
        }
        --formsBeingBuilt_;
        reference = form;
        FormCreated(form);
    }
    // A form is being constructed by CreateForm (its Visible = true waits for OnCreate).
    static bool BuildingForm() { return formsBeingBuilt_ > 0; }
    // The message loop: until Terminate (or, on the host, until the run budget is spent).
    void Run();
    void Terminate();
    // Handles the messages waiting and the timers that are due, without waiting.
    void ProcessMessages();

    // Inside a catch block: shows the error being handled (EAbort silently) and goes on.
    void HandleException(TObject* Sender);
    // The exception box: the error's message under the application's title.
    void ShowException(const Exception* E);
    // A box with the flags of the system's message box; returns the button chosen (IDOK ...).
    int MessageBox(const char* Text, const char* Caption, int Flags = 0);

    std::string GetTitle() const;
    void SetTitle(std::string v);
    std::string GetHint() const { return hint_; }
    void SetHint(std::string v);

    const char* ClassName() const override;

private:
    friend class TCustomForm;
    void FormCreated(TCustomForm* form);

    static inline int formsBeingBuilt_ = 0;
    std::string title_;
    bool titleSet_ = false;
    std::string hint_;
    HWND handle_ = nullptr;
    TCustomForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool active_ = false;
    friend void ToolkitCheckActivation();
};

class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* owner);

    ReadProperty<int, TScreen> Width{this, &TScreen::GetWidth};
    ReadProperty<int, TScreen> Height{this, &TScreen::GetHeight};
    Property<int, TScreen> PixelsPerInch{this, &TScreen::GetPixelsPerInch,
                                         &TScreen::SetPixelsPerInch};

    int GetWidth() const;
    int GetHeight() const;
    int GetPixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int v) { pixelsPerInch_ = v; }

    const char* ClassName() const override;

private:
    int pixelsPerInch_;
};

extern TApplication* Application;
extern TScreen* Screen;
