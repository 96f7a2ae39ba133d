// Message and question boxes through MessageBoxA: the toolkit's types and buttons as its flags,
// the button chosen as the toolkit's modal result.
#include "../internal.h"

#include "toolkit/dialogs.h"

namespace toolkit_detail {
namespace {

constexpr int Bit(TMsgDlgBtn b) {
    return 1 << b;
}

// The system's button sets, the largest first: a request gets the first set it holds whole.
struct ButtonSet {
    int buttons;
    UINT flags;
};
constexpr ButtonSet kButtonSets[] = {
    {Bit(mbYes) | Bit(mbNo) | Bit(mbCancel), MB_YESNOCANCEL},
    {Bit(mbAbort) | Bit(mbRetry) | Bit(mbIgnore), MB_ABORTRETRYIGNORE},
    {Bit(mbYes) | Bit(mbNo), MB_YESNO},
    {Bit(mbOK) | Bit(mbCancel), MB_OKCANCEL},
    {Bit(mbRetry) | Bit(mbCancel), MB_RETRYCANCEL},
};

UINT ButtonFlags(int buttons) {
    for (const ButtonSet& s : kButtonSets)
        if ((buttons & s.buttons) == s.buttons)
            return s.flags;
    return MB_OK;
}

UINT IconFlags(int dialogType) {
    switch (dialogType) {
    case mtWarning:
        return MB_ICONWARNING;
    case mtError:
        return MB_ICONERROR;
    case mtInformation:
        return MB_ICONINFORMATION;
    case mtConfirmation:
        return MB_ICONQUESTION;
    default:
        return 0;
    }
}

int ModalResultOf(int button) {
    switch (button) {
    case IDOK:
        return mrOk;
    case IDCANCEL:
        return mrCancel;
    case IDABORT:
        return mrAbort;
    case IDRETRY:
        return mrRetry;
    case IDIGNORE:
        return mrIgnore;
    case IDYES:
        return mrYes;
    case IDNO:
        return mrNo;
    default:
        return mrNone;
    }
}

// The program's active window, else its application window: a tray program has no window in
// front, and a box without an owner could open behind the user's application.
HWND BoxOwner() {
    HWND active = GetActiveWindow();
    if (active)
        return active;
    return Application ? Application->Handle() : nullptr;
}

} // namespace

int PresentBox(const BoxRequest& box) {
    UINT flags = MB_OK | MB_SETFOREGROUND;
    switch (box.kind) {
    case BoxKind::MessageBox:
        return MessageBoxA(BoxOwner(), box.text.c_str(), box.caption.c_str(),
                           static_cast<UINT>(box.buttons));
    case BoxKind::Exception:
        flags |= MB_ICONSTOP;
        break;
    case BoxKind::Dialog:
        flags = ButtonFlags(box.buttons) | IconFlags(box.dialogType) | MB_SETFOREGROUND;
        break;
    case BoxKind::Message:
        break;
    }
    return ModalResultOf(MessageBoxA(BoxOwner(), box.text.c_str(), box.caption.c_str(), flags));
}

} // namespace toolkit_detail
