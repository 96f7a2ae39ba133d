// The input window.
#include "form_input.h"

#include "osd.h"
#include "runtime_state.h"

TFInput* FInput = nullptr;

namespace {

constexpr std::int16_t InputTime = DisplayTime * 10;

// "№: 9999;0;_" in code page 1251.
constexpr char NumberMask[] = "\xB9: 9999;0;_";
constexpr char NumberSample[] = "\xB9: 0000";

} // namespace

TFInput::TFInput(TComponent* owner) : TOsdWindow(owner, KindInput) {
    Name = "FInput";
    SetUpWindow(56, "Courier New");
    Constraints.MinHeight = 12;
    Constraints.MaxHeight = 150;

    mEdit = new TMaskEdit(this);
    mEdit->Name = "mEdit";
    mEdit->Parent = this;
    mEdit->BorderStyle = bsNone;
    mEdit->Ctl3D = false;
    mEdit->BevelKind = bkNone;
    mEdit->AutoSize = false;
    mEdit->AutoSelect = false;
    mEdit->ParentColor = true;
    mEdit->EditMask = "!90:00;1;_";
    mEdit->MaxLength = 5;
    mEdit->Text = "00:00";
    mEdit->OnClick = [this](TObject* s) { mEditClick(s); };
    mEdit->OnDblClick = [this](TObject* s) { mEditDblClick(s); };
    mEdit->OnKeyPress = [this](TObject* s, char& k) { mEditKeyPress(s, k); };
    WireMouse(mEdit);

    ApplicationEvents = new TApplicationEvents(this);
    ApplicationEvents->Name = "ApplicationEvents";
    ApplicationEvents->OnDeactivate = [this](TObject* s) { ApplicationEventsDeactivate(s); };

    OnShow = [this](TObject* s) { FormShow(s); };
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnDestroy = [this](TObject* s) { FormDestroy(s); };
}

TFInput::~TFInput() {
    if (FInput == this)
        FInput = nullptr;
}

void TFInput::FormCreate(TObject*) {
    for (char c = '0'; c <= '9'; ++c)
        TimeChars.insert(c);
    Region = nullptr;
}

void TFInput::FormDestroy(TObject*) {
    HRGN none1 = nullptr, none2 = nullptr, none3 = nullptr;
    FreeWindowRegion(HandleAllocated() ? Handle() : nullptr, Region, none1, none2, none3);
    if (FInput == this)
        FInput = nullptr;
}

void TFInput::FormShow(TObject*) {
    Runtime.FormSlots[KindInput].Countdown = InputTime;
}

void TFInput::ShowInput() {
    ClearRegion();
    const int size = static_cast<int>(ClientHeight * 5 / 7.0);
    Font.Color = Runtime.FormSlots[KindInput].Color;
    // The edit is as high as the size's characters; the text gets the largest font that fits it.
    mEdit->Height = static_cast<int>(Screen->PixelsPerInch() * size / 72.0);
    FitFontSize(*this, size, mEdit->Height);
    // With the edit's own margins on either side of the text.
    mEdit->Width = Canvas.TextWidth(InputMode == 0 ? "00:00" : NumberSample) + 4;
    mEdit->Left = 0;
    mEdit->Top = 0;
    ClientWidth = mEdit->Width;
    ClientHeight = mEdit->Height;
    Left = (Screen->Width() - Width) / 2;
    Top = (Screen->Height() - Height) / 2;
    if (InputMode == 0) {
        mEdit->MaxLength = 5;
        mEdit->EditMask = "!90:00;1;_";
        mEdit->Text = "00:00";
    } else {
        mEdit->MaxLength = 7;
        mEdit->EditMask = NumberMask;
        mEdit->Text = "";
    }
    mEdit->Visible = true;
    if (Runtime.Infobackground) {
        Color = clBlack;
        TransparentColor = true;
    } else {
        Color = Font.Color ^ 0xFFFFFF;
        TransparentColor = false;
    }
    MakeRegion(false);
    if (!Visible)
        Show();
}

void TFInput::MakeRegion(bool force) {
    if (Runtime.Regions && (!Runtime.Infobackground || force)) {
        TransparentColor = false;
        const int W = Width, H = Height;
        HRGN none1 = nullptr, none2 = nullptr, none3 = nullptr;
        FreeWindowRegion(Handle(), Region, none1, none2, none3);
        Region = CreateRoundRectRgn(0, 0, W, H, H / 4, H / 4);
        InstallRegion(Handle(), Region);
        TransparentColor = Runtime.Alpha != 0;
    }
}

void TFInput::ClearRegion() {
    SetWindowRgn(Handle(), nullptr, TRUE);
}

void TFInput::FilterKey(char& key) {
    int caret = mEdit->SelStart;
    if (InputMode == 0) {
        const std::string text = mEdit->Text;
        if (!TimeChars.count(key) || (caret == 0 && key > '2') ||
            (caret == 1 && !text.empty() && text[0] == '2' && key > '3') ||
            (caret == 3 && key > '5'))
            key = 0;
        // Past the last digit the caret starts over, whether or not this key was kept.
        if (caret == 5)
            mEdit->SelStart = 0;
    } else {
        if (caret == 7)
            mEdit->SelStart = 3;
    }
}

void TFInput::mEditKeyPress(TObject*, char& key) {
    TFormSlot& slot = Runtime.FormSlots[KindInput];
    if (key == VK_RETURN) {
        const std::string text = mEdit->Text;
        // The edit shows untouched positions as blanks: an untouched field is no entry.
        std::string entered;
        for (char c : text)
            if (c != ' ')
                entered += c;
        if (!entered.empty() && entered != ":") {
            try {
                if (InputMode == 0) {
                    const int hours = StrToInt(Trim(text.substr(0, 2)));
                    const int minutes = StrToInt(Trim(text.size() > 3 ? text.substr(3, 2) : ""));
                    SYSTEMTIME now;
                    GetLocalTime(&now);
                    Runtime.NumberBuffer =
                        static_cast<float>(hours * 3600 + minutes * 60 -
                                           (now.wHour * 3600 + now.wMinute * 60 + now.wSecond));
                } else {
                    Runtime.NumberBuffer = static_cast<float>(StrToInt(Trim(text)));
                }
            } catch (const EConvertError&) {
                // Not a value: the window stays and keeps counting down.
                Application->HandleException(this);
                return;
            }
        }
    }
    if (key == VK_RETURN || key == VK_ESCAPE) {
        slot.Countdown = 0;
        slot.Hold = 0;
        AlphaBlendValue = 0;
        return;
    }
    FilterKey(key);
    slot.Countdown = InputTime;
}

void TFInput::mEditDblClick(TObject*) {
    TFormSlot& slot = Runtime.FormSlots[KindInput];
    slot.Hold = 0;
    slot.Countdown = 0;
    AlphaBlendValue = 0;
}

void TFInput::mEditClick(TObject*) {
    Runtime.FormSlots[KindInput].Countdown = InputTime;
    // Back to the alpha value the window was shown with.
    if (!Runtime.NoLayeredWindows)
        AlphaBlendValue = Runtime.Alpha ? (Runtime.Alphavalue & 0xFF) : 255;
}

void TFInput::DragMoved() {
    Runtime.FormSlots[KindInput].Countdown = InputTime;
}

void TFInput::ApplicationEventsDeactivate(TObject*) {
    if (FInput == this && Visible)
        SetForegroundWindow(Handle());
}
