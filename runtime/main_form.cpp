// The main form: start-up, the 100 ms and one-second ticks, the tray menu and shut-down.
#include "main_form.h"

#include "application_windows.h"
#include "button_dispatch.h"
#include "code_appl_tables.h"
#include "command_executor.h"
#include "dialog_forms.h"
#include "form_layout.h"
#include "form_time.h"
#include "keyword_lists.h"
#include "language.h"
#include "osd.h"
#include "program_folder.h"
#include "program_pictures.h"
#include "receiver_binding.h"
#include "runtime_state.h"
#include "settings_file.h"

#include <cstdlib>
#include <cstring>

TFMain* FMain = nullptr;

namespace {

constexpr char ProgramTitle[] = "Tavrin RC";
// The tray icon's picture in the image list, after the five menu items' pictures.
constexpr int TrayPictureIndex = 5;
constexpr char ProgramHelpFile[] = "\\Help\\Tavrin RC.HLP";

void ShowMsg(const char* key) {
    ShowMessage(GetLangText("Msg", key));
}

// The messages of a table loader's result.
void ReportLoad(int result, const char* noFile, const char* emptyFile) {
    if (result == 3)
        ShowMsg(noFile);
    else if (result == 4)
        ShowMsg(emptyFile);
    else if (result == 6)
        ShowMsg("err_nomemory");
}

void LoadApplTableReporting() {
    ReportLoad(LoadApplTable(false), "err_noapplfile", "err_emptyapplfile");
}

// One received code written into the settings dialog's code grid, after it left every other row
// (a row with an empty key holds it too).
void LearnCode(TValueListEditor* grid, std::int64_t code) {
    const std::string text = IntToStr(code);
    for (int row = 0; row < grid->RowCount(); ++row) {
        if (row != grid->Row && grid->Cells(1, row) == text)
            grid->Cells(1, row) = "";
    }
    grid->Cells(1, grid->Row) = text;
}

void CodeLearning() {
    TConfigDialog* dialog = OpenConfigDialog();
    if (!dialog)
        return;
    TValueListEditor* grid = dialog->vleCode;
    if (Runtime.CaptureState == 1) {
        LearnCode(grid, Runtime.CurrentCode);
        Runtime.CaptureState = 0;
    } else if (Runtime.CaptureState == 2) {
        if (Runtime.CurrentCode == Runtime.LastCode)
            return;
        LearnCode(grid, Runtime.CurrentCode);
        if (grid->Row < grid->RowCount() - 1)
            grid->Row = grid->Row + 1;
        else
            dialog->btnReconfigClick(nullptr);
    }
}

} // namespace

TFMain::TFMain(TComponent* owner) : TForm(owner) {
    Name = "FMain";
    BorderStyle = bsNone;
    BorderIcons = TBorderIcons();
    ClientWidth = 158;
    ClientHeight = 29;
    HelpFile = "\\Help\\Tavrin RC.hlp";

    ImageList = new TImageList(this);
    ImageList->Name = "ImageList";
    // The menu items' pictures by their image index, then the tray icon's.
    for (const char* picture : {"help", "playlist", "params", "search", "exit", "tray"}) {
        TBitmap bitmap;
        bitmap.LoadFromBytes(ProgramPicture(picture));
        ImageList->Add(bitmap);
    }

    PopupMenu = new TPopupMenu(this);
    PopupMenu->Name = "PopupMenu";
    PopupMenu->Images = ImageList;
    auto item = [this](const char* name, int image, TNotifyEvent onClick) {
        TMenuItem* m = new TMenuItem(this);
        m->Name = name;
        m->Caption = name;
        m->ImageIndex = image;
        m->OnClick = onClick;
        PopupMenu->Items()->Add(m);
        return m;
    };
    auto separator = [this]() {
        TMenuItem* m = new TMenuItem(this);
        m->Caption = std::string(1, '-');
        PopupMenu->Items()->Add(m);
    };
    NHelp = item("NHelp", 0, [this](TObject* s) { NHelpClick(s); });
    separator();
    NPlayList = item("NPlayList", 1, [this](TObject* s) { NPlayListClick(s); });
    NParam = item("NParam", 2, [this](TObject* s) { NParamClick(s); });
    NSearchAppl = item("NSearchAppl", 3, [this](TObject* s) { NSearchApplClick(s); });
    separator();
    NExit = item("NExit", 4, [this](TObject* s) { NExitClick(s); });
    NExit->Default = true;
    // The tray icon answers while start-up still asks its first-start question: what these
    // items open needs the tables loaded and the tick running.
    for (TMenuItem* m : {NPlayList, NParam, NSearchAppl})
        m->Enabled = false;
    TControl::PopupMenu = PopupMenu;

    TrayIcon = new TTrayIcon(this);
    TrayIcon->Name = "TrayIcon";
    // The picture first: the icon stands in the notification area as soon as it is visible.
    TrayIcon->Icons = ImageList;
    TrayIcon->IconIndex = TrayPictureIndex;
    TrayIcon->Hint = ProgramTitle;
    TrayIcon->RestoreOn = imNone;
    TrayIcon->PopupMenu = PopupMenu;
    TrayIcon->PopupMenuOn = imRightClickUp;
    TrayIcon->AnimateInterval = 100;
    TrayIcon->Visible = true;

    tmrMain = new TTimer(this);
    tmrMain->Name = "tmrMain";
    tmrMain->Interval = 100;
    tmrMain->Enabled = false;
    tmrMain->OnTimer = [this](TObject* s) { tmrMainTimer(s); };

    tmrSec = new TTimer(this);
    tmrSec->Name = "tmrSec";
    tmrSec->Interval = 1000;
    tmrSec->Enabled = true;
    tmrSec->OnTimer = [this](TObject* s) { tmrSecTimer(s); };

    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
    OnCreate = [this](TObject* s) { FormCreate(s); };
    Visible = true;
}

TFMain::~TFMain() {
    if (FMain == this)
        FMain = nullptr;
}

void TFMain::FormCreate(TObject*) {
    StartRuntime();
}

void StartRuntime() {
    Runtime.WorkList.Clear();
    ReadWriteConfig(true, Runtime.Regions, Runtime.Animation, Runtime.Infobackground, Runtime.Alpha,
                    Runtime.Alphavalue, Runtime.Consttime, Runtime.passed, Runtime.MouseSpeedStep,
                    Runtime.ExtOptions, Runtime.language, Runtime.showcmdtext, Runtime.timersound);

    const std::int32_t bound = BindReceiverLibrary();
    if (bound == 1 || bound == 2) {
        ShowMsg(bound == 1 ? "err_nodll" : "err_nofunc");
        std::exit(1);
    }
    InitReceiverPort();

    if (!Runtime.passed && MessageDlg(GetLangText("Msg", "msg_tuningnotpass"), mtConfirmation,
                                      TMsgDlgButtons{mbYes, mbNo}, 0) == mrYes) {
        if (!RunSearchProgram(true))
            ShowMsg("err_notuning");
    }

    ReportLoad(LoadCodeTable(false), "err_nocodefile", "err_emptycodefile");
    LoadApplTableReporting();

    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (GetVersionExA(&version) && version.dwPlatformId != VER_PLATFORM_WIN32_NT) {
        Runtime.NoLayeredWindows = 1;
        Runtime.Animation = 0;
        Runtime.Infobackground = 0;
        Runtime.Alpha = 0;
        Runtime.Alphavalue = 255;
    }

    WAVEOUTCAPSA caps{};
    if (waveOutGetNumDevs() > 0 && waveOutGetDevCapsA(0, &caps, sizeof(caps)) == MMSYSERR_NOERROR) {
        Runtime.VolumeKind = 1;
        if (caps.dwSupport & WAVECAPS_VOLUME) {
            Runtime.VolumeKind = 2;
            if (caps.dwSupport & WAVECAPS_LRVOLUME)
                Runtime.VolumeKind = 3;
        }
    }

    if (FMain)
        TranslateMenu(FMain->PopupMenu->Items());
    Runtime.TextBuffer[0] = '\0';
    Runtime.NumberBuffer = -1.0f;
    Runtime.ConfigMode = 0;
    if (FMain) {
        FMain->tmrMain->Enabled = true;
        for (TMenuItem* m : {FMain->NPlayList, FMain->NParam, FMain->NSearchAppl})
            m->Enabled = true;
    }
}

void TFMain::tmrMainTimer(TObject*) {
    tmrMain->Enabled = false;
    // However the handler ends, the tick keeps running.
    struct TReenable {
        TTimer* timer;
        ~TReenable() { timer->Enabled = true; }
    } reenable{tmrMain};

    if (Runtime.FirstTick) {
        Runtime.FirstTick = 0;
        ShowWindow(Application->Handle(), SW_HIDE);
        Hide();
        if (Runtime.Consttime)
            OsdShowClock(false);
    }
    OsdTick(nullptr);
    if (Runtime.ReplayRequest == 2) {
        ReplayButtonSequence(Runtime.TextBuffer);
        Runtime.ReplayRequest = 0;
    }
    if (Runtime.RepeatCountdown > 0)
        --Runtime.RepeatCountdown;
    if (Runtime.ComboCountdown > 0) {
        --Runtime.ComboCountdown;
    } else {
        Runtime.ButtonCombination[0] = '\0';
        Runtime.ComboCount = 0;
    }
    Runtime.CurrentCode = ReadInfraCode();
    if (Runtime.CurrentCode == -1) {
        if (Runtime.IdleTicks != 0)
            --Runtime.IdleTicks;
        else if (Runtime.MouseAccel > 1.0f)
            Runtime.MouseAccel = 1.0f;
        return;
    }
    Runtime.IdleTicks = 5;
    Runtime.CurrentCode &= ~static_cast<std::int64_t>(0x800);
    if (Runtime.CurrentCode == Runtime.LastCode && Runtime.RepeatCountdown != 0) {
        Runtime.CurrentCode = -1;
        return;
    }
    Runtime.RepeatCountdown = RepeatTicks;
    if (Runtime.ConfigMode == 0)
        ProcessButtonCode(Runtime.CurrentCode);
    else if (Runtime.ConfigMode == 1)
        CodeLearning();
    Runtime.LastCode = Runtime.CurrentCode;
}

void TFMain::tmrSecTimer(TObject*) {
    if (Runtime.SleepTimer > 0) {
        --Runtime.SleepTimer;
    } else if (Runtime.SleepTimer == 0) {
        Runtime.SleepTimer = -1;
        std::int16_t resume = -1;
        ExecuteFunction(resume);
        Runtime.NumberBuffer = -1.0f;
        Runtime.TextBuffer[0] = '\0';
    }
    if (Runtime.SleepTimer > 0 && Runtime.SleepTimer <= 60 && !Runtime.TimerDisplay)
        Runtime.TimerDisplay = 1;
    if (Runtime.SleepTimer > 0 && Runtime.TimerDisplay) {
        if (Runtime.timersound) {
            const std::string sound = ProgramFolder() + "Data\\alarm.wav";
            PlaySoundA(sound.c_str(), nullptr, SND_ASYNC);
        }
        OsdShowText(SecondsToTimeText(Runtime.SleepTimer), "timer");
    } else if (Runtime.SleepTimer < 0 && Runtime.TimerDisplay) {
        OsdShowText(GetLangText("TIMERMODE", "0"), "timer");
        PlaySoundA(nullptr, nullptr, SND_PURGE);
        Runtime.TimerDisplay = 0;
    }
    if (FTime && FTime->Visible)
        OsdShowClock(false);
}

void ReplayButtonSequence(const std::string& text) {
    if (text.size() <= 28)
        return;
    std::string rest = text.substr(28);
    while (!rest.empty()) {
        const std::size_t plus = rest.find('+');
        std::string token;
        if (plus == std::string::npos) {
            token = rest.size() >= 2 ? rest.substr(1, rest.size() - 2) : std::string();
            rest.clear();
        } else {
            // Characters 2 to p - 2 (1-based) of rest.
            token = plus >= 2 ? rest.substr(1, plus - 2) : std::string();
            rest.erase(0, plus + 1);
        }
        for (int i = 0; i < Runtime.CodeCount; ++i) {
            if (AnsiSameText(FieldText(Runtime.CodeTable[i].Name), token)) {
                ProcessButtonCode(Runtime.CodeTable[i].Code);
                break;
            }
        }
    }
}

std::string LookupLearnedCode(std::int64_t code) {
    const TConfigDialog* dialog = OpenConfigDialog();
    if (!dialog)
        return "";
    const TValueListEditor* grid = dialog->vleCode;
    const std::string text = IntToStr(code);
    for (int row = 0; row < grid->RowCount(); ++row) {
        if (grid->Cells(1, row) == text)
            return grid->Cells(0, row);
    }
    return "";
}

void TFMain::NHelpClick(TObject*) {
    const std::string path = ProgramFolder() + ProgramHelpFile;
    ShellExecuteA(Handle(), "open", path.c_str(), nullptr, nullptr, SW_SHOW);
}

void TFMain::NPlayListClick(TObject*) {
    const std::string path = ProgramFolder() + "Quendel.exe";
    WinExec(path.c_str(), SW_SHOWNORMAL);
}

void TFMain::NParamClick(TObject*) {
    Runtime.ConfigMode = 1;
    ShowForm(KindConfig);
}

void TFMain::NSearchApplClick(TObject*) {
    RunSearchProgram(false);
    LoadApplTableReporting();
}

void TFMain::NExitClick(TObject*) {
    Close();
}

void TFMain::FormClose(TObject*, TCloseAction&) {
    if (FTime) {
        std::int32_t top = FTime->Top, left = FTime->Left, height = FTime->Height,
                     width = FTime->Width, color = FTime->lblMsgtext->Font.Color;
        ReadWriteFormLayout(false, "FTime", top, left, height, width, color, nullptr);
    }
    Runtime.LangIni.reset();
    Runtime.ApplTable.clear();
    Runtime.ApplCount = 0;
    Runtime.CodeTable.clear();
    Runtime.CodeCount = 0;
    Runtime.WorkList.Clear();
    UnbindReceiverLibrary();
}

int RunTrayProgram() {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, "pdu_oxu");
    const DWORD error = GetLastError();
    if (!mutex || error == ERROR_ALREADY_EXISTS || error == ERROR_INVALID_HANDLE)
        std::exit(1);
    Application->Initialize();
    Application->Title = ProgramTitle;
    Application->HelpFile = ProgramHelpFile;
    try {
        Application->CreateForm<TFMain>(FMain);
        Application->Run();
    } catch (const Exception& e) {
        Application->ShowException(&e);
    } catch (...) {
        const Exception wrapped("");
        Application->ShowException(&wrapped);
    }
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return 0;
}
