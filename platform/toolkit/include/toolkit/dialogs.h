// The message and question boxes.
#pragma once

#include "toolkit/classes.h"

#include <string>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp
};
using TMsgDlgButtons = Set<TMsgDlgBtn>;

// A box with the text and an OK button under the application's title; the message loop runs
// while it is open.
void ShowMessage(const std::string& Msg);
// A box of the type with the buttons; returns the modal result of the button chosen (mrYes ...).
int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
