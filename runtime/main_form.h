// The main form: tray icon and menu, the two timers, start-up and shut-down.
#pragma once

#include <toolkit.h>
#include <windows.h>

#include <cstdint>
#include <string>

class TFMain : public TForm {
public:
    explicit TFMain(TComponent* owner);
    ~TFMain() override;

    const char* ClassName() const override { return "TFMain"; }

    TTrayIcon* TrayIcon;
    TImageList* ImageList;
    TPopupMenu* PopupMenu;
    TMenuItem* NHelp;
    TMenuItem* NPlayList;
    TMenuItem* NParam;
    TMenuItem* NSearchAppl;
    TMenuItem* NExit;
    TTimer* tmrMain;
    TTimer* tmrSec;

    void FormCreate(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void NHelpClick(TObject* sender);
    void NPlayListClick(TObject* sender);
    void NParamClick(TObject* sender);
    void NSearchApplClick(TObject* sender);
    void NExitClick(TObject* sender);
    void tmrMainTimer(TObject* sender);
    void tmrSecTimer(TObject* sender);
};

extern TFMain* FMain;

// The start-up sequence, run when the main form is created.
void StartRuntime();
// Feeds the buttons of a functions-list line (the expression behind its first 28 characters) to
// the button dispatch.
void ReplayButtonSequence(const std::string& text);
// The key of the settings dialog's code-grid row that already holds the code, or "".
std::string LookupLearnedCode(std::int64_t code);

// The tray program's run from its entry on, with the dialog kinds registered: 1 when another
// instance runs or the receiver library cannot be bound.
int RunTrayProgram();
