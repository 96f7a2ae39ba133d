// The search window and its handlers: one worker at a time, waited for before the table goes.
#include "setup_form.h"

#include "command_line.h"
#include "cp1251.h"
#include "program_folder.h"
#include "search_results.h"
#include "search_state.h"
#include "search_texts.h"
#include "search_time.h"
#include "setup_layout.h"

#include <windows.h>

TFSetup* FSetup = nullptr;

namespace {

constexpr auto kHelpKeyword = cp1251::Literal("Поиск поддерживаемых программ");
constexpr auto kCancelKeyword = cp1251::Literal("Выход из программы без сохранения параметров");

TButton* NewButton(TFSetup* form, TWinControl* parent, const char* name, int top, int help,
                   const char* caption, const char* hint) {
    auto* button = new TButton(form);
    button->Name = name;
    button->Parent = parent;
    button->SetBounds(8, top, 75, 25);
    button->HelpContext = help;
    button->Caption = caption;
    button->Hint = hint;
    return button;
}

} // namespace

TFSetup::TFSetup(TComponent* owner) : TForm(owner) {
    Name = "FSetup";
    Caption = "FSetup";
    BorderIcons = TBorderIcons{biSystemMenu, biHelp};
    Constraints.MinWidth = 400;
    // High enough for the button column beside the grid: four buttons do not fit at 210.
    Constraints.MinHeight = 264;
    Font.Name = "Arial";
    Font.Height = -11;
    Position = poDesktopCenter;
    ShowHint = true;
    HelpFile = "\\Help\\OXU_DU.hlp";
    HelpKeyword = kHelpKeyword.c_str();
    ClientWidth = 635;
    ClientHeight = 377;
    // Shown when the application creates it.
    Visible = true;

    StatusBar = new TStatusBar(this);
    StatusBar->Name = "StatusBar";
    StatusBar->Parent = this;
    StatusBar->HelpContext = 45;
    for (int i = 0; i < 4; ++i)
        StatusBar->Panels.Add()->Width = 100;
    StatusBar->PanelsChanged();

    pnlBottom = new TPanel(this);
    pnlBottom->Name = "pnlBottom";
    pnlBottom->Parent = this;
    pnlBottom->Align = alBottom;
    pnlBottom->Height = 41;
    pnlBottom->Caption = "";
    lblAppl = new TLabel(this);
    lblAppl->Name = "lblAppl";
    lblAppl->Parent = pnlBottom;
    lblAppl->Align = alClient;
    lblAppl->Caption = "";
    chbCheckStart = new TCheckBox(this);
    chbCheckStart->Name = "chbCheckStart";
    chbCheckStart->Parent = pnlBottom;
    chbCheckStart->SetBounds(8, 2, 300, 17);
    chbCheckStart->HelpContext = 46;
    chbCheckStart->Caption = "lbl_teststart";
    chbCheckStart->Hint = "hnt_teststart";

    pnlTop = new TPanel(this);
    pnlTop->Name = "pnlTop";
    pnlTop->Parent = this;
    pnlTop->Align = alTop;
    pnlTop->Height = 40;
    pnlTop->Caption = "";
    lbl_CheckedDrvs = new TLabel(this);
    lbl_CheckedDrvs->Name = "lbl_CheckedDrvs";
    lbl_CheckedDrvs->Parent = pnlTop;
    lbl_CheckedDrvs->Align = alTop;
    lbl_CheckedDrvs->Caption = "lbl_checkeddrvs";
    lbl_CheckedDrvs->Hint = "hnt_checkeddrvs";
    clbDrives = new TCheckListBox(this);
    clbDrives->Name = "clbDrives";
    clbDrives->Parent = pnlTop;
    clbDrives->Align = alClient;

    pnlButtons = new TPanel(this);
    pnlButtons->Name = "pnlButtons";
    pnlButtons->Parent = this;
    pnlButtons->Align = alRight;
    pnlButtons->Width = 91;
    pnlButtons->Caption = "";
    btnSearch = NewButton(this, pnlButtons, "btnSearch", 8, 40, "btn_search", "hnt_applsearch");
    btnStop = NewButton(this, pnlButtons, "btnStop", 40, 41, "btn_stop", "hnt_applsearchstop");
    btnStop->Enabled = false;
    btnOK = NewButton(this, pnlButtons, "btnOK", 72, 42, "btn_ok", "hnt_btnok");
    btnOK->Enabled = false;
    btnCancel = NewButton(this, pnlButtons, "btnCancel", 104, 43, "btn_cancel", "hnt_btncancel");
    btnCancel->HelpKeyword = kCancelKeyword.c_str();

    stgAppl = new TStringGrid(this);
    stgAppl->Name = "stgAppl";
    stgAppl->Parent = this;
    stgAppl->Align = alClient;
    stgAppl->HelpContext = 44;
    stgAppl->Hint = "hnt_searchedappl";
    stgAppl->ColCount = 3;
    stgAppl->FixedCols = 0;
    stgAppl->RowCount = 2;
    stgAppl->SetColWidths(0, 83);
    stgAppl->SetColWidths(1, 73);
    stgAppl->SetColWidths(2, 338);
    stgAppl->Options << goRowSelect << goColSizing;

    Timer = new TTimer(this);
    Timer->Name = "Timer";
    Timer->Enabled = false;
    Timer->Interval = 1000;
    ApplicationEvents1 = new TApplicationEvents(this);
    ApplicationEvents1->Name = "ApplicationEvents1";

    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
    btnSearch->OnClick = [this](TObject* s) { btnSearchClick(s); };
    btnStop->OnClick = [this](TObject* s) { btnStopClick(s); };
    btnOK->OnClick = [this](TObject* s) { btnOKClick(s); };
    btnCancel->OnClick = [this](TObject* s) { btnCancelClick(s); };
    chbCheckStart->OnClick = [this](TObject* s) { chbCheckStartClick(s); };
    Timer->OnTimer = [this](TObject* s) { TimerTimer(s); };
    ApplicationEvents1->OnHint = [this](TObject* s) { ApplicationEvents1Hint(s); };
}

TFSetup::~TFSetup() {
    Search.StopSearch = 1;
    EndWorker();
    if (FSetup == this)
        FSetup = nullptr;
}

void TFSetup::FormCreate(TObject*) {
    if (Screen && Screen->PixelsPerInch() != 96)
        ScaleBy(96, Screen->PixelsPerInch());
    ReadWriteFormLayout(*this, true);
    stgAppl->Cells(0, 0) = GetLangText("Labels", "lbl_title");
    stgAppl->Cells(1, 0) = GetLangText("Labels", "lbl_clsname");
    stgAppl->Cells(2, 0) = GetLangText("Labels", "lbl_applpath");
    chbCheckStart->Enabled = ReadExtOptions(ProgramFolder() + "\\config.ini");
    // Help and usage end the program before the window is made.
    if (ReadCommandLine() == TStartMode::Unattended) {
        AutoStart = true;
        unattended_ = true;
        Timer->Enabled = true;
    }
    FillDriveList(clbDrives->Items);
    for (int i = 0; i < clbDrives->Items.Count(); ++i)
        clbDrives->SetChecked(i, true);
    clbDrives->Columns = clbDrives->Items.Count();
}

void TFSetup::FormClose(TObject*, TCloseAction& Action) {
    if (servingWorker_ > 0) {
        Search.StopSearch = 1;
        closePending_ = true;
        Timer->Enabled = true;
        Action = caNone;
        return;
    }
    closed_ = true;
    Timer->Enabled = false;
    Search.StopSearch = 1;
    EndWorker();
    Search.Table.clear();
    Search.Table.shrink_to_fit();
    Search.ApplCount = 0;
    ReadWriteFormLayout(*this, false);
}

bool TFSetup::WorkerRunning() const {
    return worker_ && !worker_->Finished();
}

void TFSetup::EndWorker() {
    if (!worker_)
        return;
    if (!worker_->Finished())
        worker_->WaitFor();
    worker_.reset();
}

void TFSetup::btnSearchClick(TObject*) {
    if (servingWorker_ > 0)
        return;
    if (WorkerRunning()) {
        // A search still running goes on; a stopped one finishing is waited for.
        if (Search.StopSearch == 0)
            return;
        EndWorker();
    }
    worker_.reset();
    stgAppl->RowCount = 2;
    stgAppl->ClearRow(1);
    for (int panel = 0; panel < 4; ++panel)
        StatusBar->Panels.Items(panel)->Text.clear();
    StatusBar->PanelsChanged();
    PrepareDriveTable(*clbDrives);
    Search.FirstSearch = false;
    btnSearch->Enabled = false;
    btnOK->Enabled = false;
    btnStop->Enabled = true;
    chbCheckStart->Visible = false;
    Search.StopSearch = 0;
    TForm::Repaint();
    startTime_ = TimeOfDayMilliseconds();
    worker_ = std::make_unique<TSearchThread>(true, *this);
    worker_->OnTerminate = [this](TObject* s) { SearchThreadTerminate(s); };
    worker_->Resume();
}

void TFSetup::SearchThreadTerminate(TObject*) {
    btnSearch->Enabled = true;
    btnOK->Enabled = true;
    btnStop->Enabled = false;
    chbCheckStart->Visible = true;
    Search.StopSearch = 1;
    StatusBar->Panels.Items(3)->Text =
        GetLangText("Msg", "msg_searchtime") + ElapsedText(startTime_, TimeOfDayMilliseconds());
    StatusBar->PanelsChanged();
}

void TFSetup::btnStopClick(TObject*) {
    Search.StopSearch = 1;
    btnSearch->Enabled = true;
    btnStop->Enabled = false;
}

bool TFSetup::SaveResults() {
    if (servingWorker_ > 0)
        return false;
    // The table is the worker's until it ended.
    EndWorker();
    if (Search.Table.empty()) {
        Close();
        return true;
    }
    saving_ = true;
    const std::vector<std::string> failed = SaveSearchResults(ProgramFolder());
    const std::string title = Application ? Application->Title() : std::string();
    for (const std::string& path : failed) {
        const std::string text = GetLangText("Msg", "err_savefile") + path;
        Application->MessageBox(text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
    }
    saving_ = false;
    if (!failed.empty())
        return false;
    Close();
    return true;
}

void TFSetup::btnOKClick(TObject*) {
    SaveResults();
}

void TFSetup::btnCancelClick(TObject*) {
    Search.StopSearch = 1;
    Close();
}

void TFSetup::chbCheckStartClick(TObject*) {
    Search.TestStart = chbCheckStart->Checked() ? 1 : 0;
}

void TFSetup::ApplicationEvents1Hint(TObject*) {
    StatusBar->Panels.Items(3)->Text = Application ? Application->Hint() : std::string();
    StatusBar->PanelsChanged();
}

void TFSetup::TimerTimer(TObject*) {
    if (saving_ || closed_)
        return;
    if (closePending_) {
        if (!WorkerRunning())
            Close();
        return;
    }
    if (AutoStart) {
        AutoStart = false;
        Timer->Enabled = false;
        btnSearchClick(this);
    }
    if (Search.StopSearch != 0 && !WorkerRunning()) {
        // Unattended, a save that failed ends the run once its boxes are answered.
        if (!SaveResults() && unattended_)
            Close();
    }
    if (!closed_ && !Timer->Enabled())
        Timer->Enabled = true;
}

void TFSetup::SetRowCount(int rows) {
    stgAppl->RowCount = rows;
}

void TFSetup::SetCell(int column, int row, const std::string& text) {
    stgAppl->Cells(column, row) = text;
}

void TFSetup::ShowFolder(const std::string& path) {
    lblAppl->Caption = path;
    lblAppl->Repaint();
}

void TFSetup::SetStatus(int panel, const std::string& text) {
    StatusBar->Panels.Items(panel)->Text = text;
    StatusBar->PanelsChanged();
}

bool TFSetup::AskYesNo(const std::string& caption, const std::string& text) {
    ++servingWorker_;
    const int answer =
        Application->MessageBox(text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION);
    --servingWorker_;
    return answer == IDYES;
}

void TFSetup::Repaint() {
    TForm::Repaint();
}
