// The search window: the drives to search, the worker's progress, and the saving of the results.
#pragma once

#include "application_search.h"
#include "search_thread.h"

#include <toolkit.h>

#include <memory>
#include <string>

class TFSetup : public TForm, public TSearchView {
public:
    explicit TFSetup(TComponent* owner);
    ~TFSetup() override;

    const char* ClassName() const override { return "TFSetup"; }

    // Set while an unattended run is pending.
    bool AutoStart = false;

    TStatusBar* StatusBar;
    TPanel* pnlBottom;
    TLabel* lblAppl;
    TCheckBox* chbCheckStart;
    TPanel* pnlTop;
    TLabel* lbl_CheckedDrvs;
    TCheckListBox* clbDrives;
    TPanel* pnlButtons;
    TButton* btnSearch;
    TButton* btnStop;
    TButton* btnOK;
    TButton* btnCancel;
    TStringGrid* stgAppl;
    TTimer* Timer;
    TApplicationEvents* ApplicationEvents1;

    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void btnSearchClick(TObject* Sender);
    void btnStopClick(TObject* Sender);
    void btnOKClick(TObject* Sender);
    void btnCancelClick(TObject* Sender);
    void chbCheckStartClick(TObject* Sender);
    void TimerTimer(TObject* Sender);
    void ApplicationEvents1Hint(TObject* Sender);
    void SearchThreadTerminate(TObject* Sender);

    // A worker exists that has not ended yet.
    bool WorkerRunning() const;

    // What the worker shows, on the GUI thread.
    void SetRowCount(int rows) override;
    void SetCell(int column, int row, const std::string& text) override;
    void ShowFolder(const std::string& path) override;
    void SetStatus(int panel, const std::string& text) override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    void Repaint() override;

private:
    // Serves the worker's calls until it ended, then frees it.
    void EndWorker();
    // The results written; error boxes for the files that failed. True when all were written.
    bool SaveResults();

    std::unique_ptr<TSearchThread> worker_;
    std::int64_t startTime_ = 0;
    // Started by "auto": a failed save ends the run instead of being retried.
    bool unattended_ = false;
    // An error box of the save is up: the timer must not save again beneath it.
    bool saving_ = false;
    bool closed_ = false;
    // The worker waits for the answer of a box shown for it: waiting for the worker here would
    // never end, so a close meanwhile is put off until it ended.
    int servingWorker_ = 0;
    bool closePending_ = false;
};

extern TFSetup* FSetup;
