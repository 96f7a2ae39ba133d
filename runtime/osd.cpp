// The on-screen window manager: creating, showing, counting down, fading and closing windows.
#include "osd.h"

#include "command_executor.h"
#include "dialog_forms.h"
#include "form_bar.h"
#include "form_info.h"
#include "form_input.h"
#include "form_layout.h"
#include "form_list.h"
#include "form_time.h"
#include "runtime_state.h"

#include <toolkit.h>
#include <windows.h>

#include <array>

namespace {

// Bumped by every ShowForm, so that a close can tell whether the command it resumed has shown
// the same kind of window again.
std::array<unsigned, FormSlotCount> ShowCount{};

bool IsOnScreen(int kind) {
    return kind == KindInfo || kind == KindBar || kind == KindTime || kind == KindList ||
           kind == KindInput;
}

TForm* CreateKindForm(int kind) {
    switch (kind) {
    case KindConfig:
    case KindCmdwizard:
    case KindFuncwizard:
        return CreateDialogOfKind(static_cast<std::int16_t>(kind), Application);
    case KindInfo:
        return FInfo = new TFInfo(Application);
    case KindBar:
        return FBar = new TFBar(Application);
    case KindTime:
        return FTime = new TFTime(Application);
    case KindList:
        return FList = new TFList(Application);
    case KindInput:
        return FInput = new TFInput(Application);
    default:
        return nullptr;
    }
}

bool IsVisible(const TForm* form) {
    return form && form->Visible;
}

void SaveMovedLayout(TFormSlot& slot, TForm* form) {
    if (form->Tag != 1)
        return;
    std::int32_t top = form->Top, left = form->Left, height = form->Height, width = form->Width;
    try {
        ReadWriteFormLayout(false, form->Name, top, left, height, width, slot.Color, nullptr);
    } catch (const Exception&) {
        // An unwritable config.ini loses the position, not the close.
    }
}

// What the list chooser's or the input window's close does with a waiting command. False when
// the resumed command has shown the same kind of window again, which then stays.
bool HandBackResult(int kind) {
    const bool list = kind == KindList;
    // Whatever the outcome, the remote must not stay in the window's mode with no window to
    // drive.
    if (Runtime.RcMode == (list ? 2 : 3))
        Runtime.RcMode = Runtime.SavedRcMode;
    const bool chosen = Runtime.NumberBuffer != -1.0f;
    // A functions list left without a choice must not make the next list replay its line.
    if (list && !chosen && Runtime.ReplayRequest == 1)
        Runtime.ReplayRequest = 0;
    std::uint8_t& pending = list ? Runtime.PendingList : Runtime.PendingInput;
    if (!pending)
        return true;
    // Cleared before a resume, so that a wait the resumed command starts again is kept.
    pending = 0;
    if (!chosen || (list && Runtime.ReplayRequest == 1)) {
        if (list)
            Runtime.ListKind = -1;
        if (chosen) {
            Runtime.RcMode = Runtime.SavedRcMode;
            Runtime.ReplayRequest = 2;
        }
        return true;
    }
    Runtime.RcMode = Runtime.SavedRcMode;
    // The answered window goes first: the resumed command must neither bring it back in front of
    // the application it activates nor send it its keys.
    KindForm(kind)->Hide();
    const unsigned shown = ShowCount[kind];
    std::int16_t resume = -1;
    // ListKind is kept for the resumed command: after a playlist its runappl step drops the files.
    ExecuteFunction(resume);
    if (ShowCount[kind] != shown)
        return false;
    if (list)
        Runtime.ListKind = -1;
    Runtime.NumberBuffer = -1.0f;
    Runtime.TextBuffer[0] = '\0';
    return true;
}

void CloseSlot(int kind) {
    TFormSlot& slot = Runtime.FormSlots[kind];
    TForm* form = slot.Form;
    SaveMovedLayout(slot, form);
    if ((kind == KindList || kind == KindInput) && !HandBackResult(kind))
        return;
    // The resumed command may have freed a dialog or closed the window itself.
    if (KindForm(kind) != form)
        return;
    form->Close();
    if (!IsOnScreen(kind))
        slot.Form = nullptr;
}

void BringToFront(TForm* form) {
    if (IsVisible(form))
        SetForegroundWindow(form->Handle());
}

std::string TwoDigits(int value) {
    const char text[3] = {static_cast<char>('0' + value / 10 % 10),
                          static_cast<char>('0' + value % 10), '\0'};
    return text;
}

// A time in the long time format of the program's locale, H:mm:ss.
std::string LongTimeText(int hours, int minutes, int seconds) {
    return IntToStr(hours) + ":" + TwoDigits(minutes) + ":" + TwoDigits(seconds);
}

} // namespace

TForm* KindForm(int kind) {
    switch (kind) {
    case KindConfig:
    case KindCmdwizard:
    case KindFuncwizard:
        return DialogOfKind(static_cast<std::int16_t>(kind));
    case KindInfo:
        return FInfo;
    case KindBar:
        return FBar;
    case KindTime:
        return FTime;
    case KindList:
        return FList;
    case KindInput:
        return FInput;
    default:
        return nullptr;
    }
}

unsigned OsdShowCount(std::int16_t kind) {
    return kind >= 0 && kind < FormSlotCount ? ShowCount[kind] : 0;
}

bool ShowForm(std::int16_t kind) {
    if (kind < 0 || kind >= FormSlotCount)
        return false;
    TFormSlot& slot = Runtime.FormSlots[kind];
    ++ShowCount[kind];
    TForm* form = KindForm(kind);
    const bool created = form == nullptr;
    if (!created) {
        if (kind == KindList)
            FList->lBox->Items.Clear();
    } else {
        form = CreateKindForm(kind);
    }
    slot.Form = form;
    // A dialog kind the program did not register.
    if (!form)
        return false;

    slot.Hold = 1;
    slot.Countdown = DisplayTime;
    if (kind == KindList || kind == KindInput)
        slot.Countdown = static_cast<std::int16_t>(slot.Countdown * 10);

    if (Runtime.NoLayeredWindows) {
        form->AlphaBlendValue = 0;
    } else {
        if (IsOnScreen(kind)) {
            form->TransparentColor = Runtime.Infobackground != 0;
            form->AlphaBlendValue = Runtime.Alpha ? (Runtime.Alphavalue & 0xFF) : 255;
        } else {
            form->AlphaBlendValue = 255;
        }
        form->AlphaBlend = true;
    }

    if (!created)
        return true;

    // Unchanged when config.ini cannot be read.
    std::int32_t top = form->Top, left = form->Left, height = form->Height, width = form->Width;
    if (form->Name != "FInput" && form->Name != "FList")
        ReadWriteFormLayout(true, form->Name, top, left, height, width, slot.Color, form);
    else
        ReadWriteFormLayout(true, "FInfo", top, left, height, width, slot.Color, nullptr);
    form->SetBounds(left, top, width, height);

    if (!IsOnScreen(kind)) {
        form->ShowModal();
    } else {
        form->Font.Color = slot.Color;
        form->Show();
    }
    return KindForm(kind) != nullptr;
}

void OsdTick(TForm* form) {
    for (int kind = 0; kind < FormSlotCount; ++kind) {
        TFormSlot& slot = Runtime.FormSlots[kind];
        // A dialog frees itself; its slot must not outlive it.
        if (slot.Form && slot.Form != KindForm(kind))
            slot.Form = nullptr;
        TForm* window = slot.Form;
        if (!IsVisible(window))
            continue;
        if (!form || form != window) {
            if (IsOnScreen(kind) && slot.Countdown > 0 && slot.Hold == 0) {
                --slot.Countdown;
                continue;
            }
            if (slot.Hold != 0)
                continue;
            if (!Runtime.NoLayeredWindows && Runtime.Animation &&
                window->AlphaBlendValue > FadeStep) {
                window->AlphaBlendValue -= FadeStep;
                continue;
            }
        }
        CloseSlot(kind);
    }
}

void OsdShowText(const std::string& text, const std::string& picture) {
    ShowForm(KindInfo);
    FInfo->ShowInfo(picture, text);
    BringToFront(FList);
    BringToFront(FInput);
    Runtime.FormSlots[KindInfo].Hold = 0;
}

void OsdShowClock(bool toggle) {
    if (IsVisible(FTime) && toggle) {
        OsdTick(FTime);
        return;
    }
    // A clock closed before comes back with a fresh display time and its alpha value, which
    // its fade-out left near 0; only the refresh of a visible clock must keep its countdown.
    if (!IsVisible(FTime))
        ShowForm(KindTime);
    SYSTEMTIME now;
    GetLocalTime(&now);
    FTime->ShowTime("clock", LongTimeText(now.wHour, now.wMinute, now.wSecond));
    Runtime.FormSlots[KindTime].Hold = Runtime.Consttime;
}

void OsdShowBar(const std::string& text, std::int32_t value, const std::string& picture) {
    ShowForm(KindBar);
    FBar->ShowBar(picture, text, value);
    if (!FBar->Visible)
        FBar->Show();
    Runtime.FormSlots[KindBar].Hold = 0;
}

void OsdShowList(const TStringList& list) {
    if (IsVisible(FInfo)) {
        if (!Runtime.NoLayeredWindows)
            FInfo->AlphaBlendValue = 0;
        Runtime.FormSlots[KindInfo].Countdown = 0;
    }
    // A list replacing one still on screen keeps the mode from before the first.
    const bool replacing = IsVisible(FList) && Runtime.RcMode == 2;
    ShowForm(KindList);
    FList->ShowList(list);
    BringToFront(FList);
    if (!replacing)
        Runtime.SavedRcMode = Runtime.RcMode;
    Runtime.RcMode = 2;
    Runtime.NumberBuffer = -1.0f;
    Runtime.TextBuffer[0] = '\0';
    Runtime.FormSlots[KindList].Hold = 0;
    // An empty list shows a notice instead and the chooser hides at once: nothing will close it,
    // so the remote gets its mode back now.
    if (!FList->Visible)
        Runtime.RcMode = Runtime.SavedRcMode;
}

void OsdShowInput(std::int16_t mode) {
    const bool replacing = IsVisible(FInput) && Runtime.RcMode == 3;
    ShowForm(KindInput);
    FInput->InputMode = mode;
    FInput->ShowInput();
    BringToFront(FInput);
    if (!replacing)
        Runtime.SavedRcMode = Runtime.RcMode;
    Runtime.RcMode = 3;
    Runtime.NumberBuffer = -1.0f;
    Runtime.FormSlots[KindInput].Hold = 0;
}

std::string SecondsToTimeText(std::int32_t seconds) {
    // A sleep timer of a day or more counts on in hours rather than failing every second.
    if (seconds < 0)
        seconds = 0;
    const int h = seconds / 3600;
    const int m = (seconds - 3600 * h) / 60;
    const int s = seconds - 3600 * h - 60 * m;
    return LongTimeText(h, m, s);
}

void FreeWindowRegion(HWND window, HRGN& region, HRGN& object1, HRGN& object2, HRGN& object3) {
    if (region) {
        SetWindowRgn(window, nullptr, TRUE);
        DeleteObject(region);
        region = nullptr;
    }
    for (HRGN* object : {&object1, &object2, &object3}) {
        if (*object) {
            DeleteObject(*object);
            *object = nullptr;
        }
    }
}
