// The message and question boxes, the input box and the file-open and colour dialogs.
#pragma once

#include "toolkit/classes.h"
#include "toolkit/graphics.h"

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

// A modal box with the prompt above an edit line holding the value, and OK (Enter) and Cancel
// (Esc) buttons. InputQuery: true and the edited text in Value on OK, Value unchanged on Cancel.
bool InputQuery(const std::string& ACaption, const std::string& APrompt, std::string& Value);
// The edited text on OK, ADefault on Cancel.
std::string InputBox(const std::string& ACaption, const std::string& APrompt,
                     const std::string& ADefault);

class TCommonDialog : public TComponent {
public:
    using TComponent::TComponent;
    // Shows the dialog modally; true when the user accepted it.
    virtual bool Execute() = 0;
    const char* ClassName() const override;
};

enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing
};
using TOpenOptions = Set<TOpenOption>;

// The file-open dialog: on acceptance FileName holds the chosen file's full path.
class TOpenDialog : public TCommonDialog {
public:
    using TCommonDialog::TCommonDialog;

    std::string Title;
    // Pairs of description and pattern, each part ended by '|': "Programs|*.exe|All|*.*".
    std::string Filter;
    int FilterIndex = 1;
    std::string InitialDir;
    std::string FileName;
    std::string DefaultExt;
    TOpenOptions Options{ofHideReadOnly, ofEnableSizing};

    bool Execute() override;
    const char* ClassName() const override;
};

enum TColorDialogOption { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
using TColorDialogOptions = Set<TColorDialogOption>;

// The colour dialog: opens on Color; on acceptance Color holds the chosen colour.
class TColorDialog : public TCommonDialog {
public:
    using TCommonDialog::TCommonDialog;

    TColor Color = clBlack;
    TColorDialogOptions Options;

    bool Execute() override;
    const char* ClassName() const override;
};
