// The settings dialog as a whole: opening, page changes, OK, Cancel, closing and moving.
#include "config_form.h"

#include "cmd_func_files.h"
#include "code_appl_tables.h"
#include "config_code_page.h"
#include "dialog_texts.h"
#include "favourites.h"
#include "form_bar.h"
#include "form_info.h"
#include "form_time.h"
#include "keyword_lists.h"
#include "language.h"
#include "osd.h"
#include "runtime_state.h"
#include "settings_file.h"

#include <toolkit.h>

#include <cstring>
#include <exception>
#include <functional>
#include <new>
#include <string>
#include <vector>

TFConfig* FConfig = nullptr;

namespace {

// The five favourites groups: the file name part of each, in the order OK saves them.
constexpr const char* FavouriteGroups[] = {"audio", "video", "dvd", "tv_fm", "other"};

// One step of a sequence that must go on whatever it raises: the error is shown (only when
// the user pressed the button) and the next step runs.
void RunStep(bool report, const std::function<void()>& step) {
    try {
        step();
    } catch (const Exception& e) {
        if (report)
            Application->ShowException(&e);
    } catch (const std::bad_alloc&) {
        if (report)
            ShowLangMessage("err_nomemory");
    }
}

struct TButtonsOfPage {
    bool add;
    bool del;
    bool def;
    bool reconfig;
    const char* hints[3];
    int help[3];
};

} // namespace

TFConfig::~TFConfig() {
    if (FConfig == this)
        FConfig = nullptr;
}

void TFConfig::FormCreate(TObject*) {
    ScaleToScreen();

    Dragging = false;
    Loading = true;
    FavouritesBox = nullptr;
    FillingCodeGrid = false;

    CodeTableToGrid();
    ApplTableToGrid();
    SetCmdGridTitles(stgCommand);
    SetApplGridTitles(stgAppl);
    SetFuncGridTitles(stgFunc);

    TListBox* const boxes[] = {lboxAudio, lboxVideo, lboxDVD, lboxTVFM, lboxOther};
    TGroupBox* const groups[] = {grbAudio, grbVideo, grbDVD, grbTVFM, grbOther};
    for (int g = 0; g < 5; ++g) {
        // An unreadable list leaves its box empty; the dialog still opens whole.
        RunStep(true, [&] { LoadFavorites(FavouriteGroups[g], boxes[g]->Items); });
        // Each group is named as the favourites list shows it, by its value in the language file.
        const std::string shown = GetLangText("FAVORITE", IntToStr(g));
        if (!shown.empty())
            groups[g]->Caption = shown;
    }

    pcConfigChange(pcConfig);
    CurrentAppl = cmbCommand->Text;
    FillInterfacePage();
    Loading = false;

    if (Runtime.NoLayeredWindows) {
        for (TCheckBox* box : {chbAnimation, chbInfoBackGround, chbAlpha}) {
            box->Checked = false;
            box->Enabled = false;
        }
    }
    stgCommand->Tag = 0;
    stgFunc->Tag = 0;
    if (!Runtime.ExtOptions) {
        pCode->TabVisible = false;
        pCommand->TabVisible = false;
    }

    CloseDone = false;
    RememberBounds();
    Tag = 0;
}

void TFConfig::FormClose(TObject*, TCloseAction& Action) {
    if (!CloseDone) {
        // The title bar's close: what OK did not commit goes; only the clock setting is put
        // back, the other previewed settings stay for this run without reaching config.ini.
        RunStep(true, [] { CommitTempFiles(false); });
        Runtime.Consttime = SavedSettings.Consttime;
        CloseDone = true;
        Runtime.FormSlots[KindConfig].Hold = 0;
        Action = caNone;
        return;
    }
    FinalClose();
    Action = caFree;
}

void TFConfig::FinalClose() {
    ReleasePreviews();
    Dragging = false;
    Loading = true;
    Runtime.ConfigMode = 0;
    // A learning left running must not reach into the next opening's grid.
    Runtime.CaptureState = 0;
}

void TFConfig::FormMouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
    if (Button != mbLeft)
        return;
    Dragging = true;
    DragOrigin.X = X;
    DragOrigin.Y = Y;
}

void TFConfig::FormMouseMove(TObject*, TShiftState, int X, int Y) {
    if (!Dragging)
        return;
    SetBounds(Left + X - DragOrigin.X, Top + Y - DragOrigin.Y, Width, Height);
}

void TFConfig::FormMouseUp(TObject*, TMouseButton Button, TShiftState, int, int) {
    if (Button == mbLeft)
        Dragging = false;
}

void TFConfig::FormResize(TObject*) {
    Tag = 1;
}

int TFConfig::CurrentPage() const {
    const int tab = pcConfig->TabIndex;
    if (Runtime.ExtOptions)
        return tab;
    // Pages 1 and 3 have no tabs then.
    constexpr int pageOfTab[] = {0, 2, 4};
    return tab >= 0 && tab < 3 ? pageOfTab[tab] : tab;
}

void TFConfig::ReleasePreviews() {
    if (FTime)
        Runtime.FormSlots[KindTime].Hold = Runtime.Consttime;
    if (FInfo)
        Runtime.FormSlots[KindInfo].Hold = 0;
    if (FBar)
        Runtime.FormSlots[KindBar].Hold = 0;
}

void TFConfig::pcConfigChange(TObject*) {
    const int page = CurrentPage();
    if ((Runtime.CaptureState == 1 || Runtime.CaptureState == 2) && page != 1)
        EndCodeLearning();
    ReleasePreviews();
    for (TButton* b : {btnAdd, btnDel, btnDefault, btnReconfig})
        b->Enabled = false;

    TButtonsOfPage buttons{false, false, false, false, {"", "", ""}, {33, 33, 33}};
    switch (page) {
    case 1: {
        const bool del = vleCode->Strings.Count() > 0 && !vleCode->Strings.Names(0).empty();
        buttons = {true,        del, true, del, {"hnt_addbutton", "hnt_delbutton", "hnt_defbutton"},
                   {34, 34, 34}};
        break;
    }
    case 2:
        buttons = {true,
                   stgAppl->RowCount > 1,
                   true,
                   false,
                   {"hnt_addappl", "hnt_delappl", "hnt_defappl"},
                   {35, 35, 35}};
        break;
    case 3: {
        const bool chosen = cmbCommand->ItemIndex >= 0 && !cmbCommand->Text().empty();
        buttons = {chosen, chosen && !stgCommand->Cells(0, 1).empty(), chosen,
                   false,  {"hnt_addcmd", "hnt_delcmd", "hnt_defcmd"}, {28, 36, 36}};
        break;
    }
    case 4: {
        const bool chosen = cmbFunction->ItemIndex >= 0 && !cmbFunction->Text().empty();
        buttons = {chosen, chosen && !stgFunc->Cells(0, 1).empty(),       chosen,
                   false,  {"hnt_addfunc", "hnt_delfunc", "hnt_deffunc"}, {29, 37, 37}};
        break;
    }
    default:
        break;
    }
    btnAdd->Enabled = buttons.add;
    btnDel->Enabled = buttons.del;
    btnDefault->Enabled = buttons.def;
    btnReconfig->Enabled = buttons.reconfig;
    TButton* const shared[] = {btnAdd, btnDel, btnDefault};
    for (int i = 0; i < 3; ++i) {
        shared[i]->Hint = *buttons.hints[i] ? GetLangText("Hints", buttons.hints[i]) : "";
        shared[i]->HelpContext = buttons.help[i];
    }
}

void TFConfig::btnOkClick(TObject* Sender) {
    const bool report = Sender != nullptr;
    auto show = [report](const std::string& key) {
        if (report)
            ShowLangMessage(key);
    };

    MarkMoved();

    Runtime.Infobackground = chbInfoBackGround->Checked ? 1 : 0;
    Runtime.Alpha = chbAlpha->Checked ? 1 : 0;
    Runtime.Alphavalue = static_cast<std::int16_t>(trbAlpha->Position);
    Runtime.MouseSpeedStep = static_cast<float>(trbMSpeedUp->Position * 0.1);
    Runtime.Animation = chbAnimation->Checked ? 1 : 0;
    Runtime.Regions = chbRegions->Checked ? 1 : 0;

    // A write that raises has not written config.ini either.
    try {
        if (ReadWriteConfig(false, Runtime.Regions, Runtime.Animation, Runtime.Infobackground,
                            Runtime.Alpha, Runtime.Alphavalue, Runtime.Consttime, Runtime.passed,
                            Runtime.MouseSpeedStep, Runtime.ExtOptions, Runtime.language,
                            Runtime.showcmdtext, Runtime.timersound) != 0)
            show("err_noini");
    } catch (const std::exception&) {
        show("err_noini");
    }

    // A table that could not be rebuilt is not saved: an empty table would mark every default
    // entry deleted and wipe the user's file.
    const std::int32_t codes = GridToCodeTable();
    if (codes != 0)
        show("err_nomemory");
    if (codes == 0)
        show(ResultMessageKey(TResultCaller::SaveCodes, SaveCodeTable()));

    std::int32_t appls = ResultNoMemory;
    RunStep(report, [&] { appls = GridToApplTable(); });
    if (appls != 0)
        show("err_nomemory");
    if (appls == 0)
        show(ResultMessageKey(TResultCaller::SaveAppls, SaveApplTable()));

    // A grid of no application is saved nowhere: a file without an application name would be
    // nobody's. A failed pending save has removed its file, so the commit below cannot bring
    // older edits back in its place.
    auto unsaved = [report](const char* key, const std::string& name) {
        if (report)
            ShowMessage(SpliceString(GetLangText("Msg", key), name));
    };
    if (stgCommand->Tag == 1) {
        const std::string appl = CurrentAppl.empty() ? cmbCommand->Text() : CurrentAppl;
        int saved = ResultOk;
        if (!appl.empty())
            RunStep(report, [&] { saved = SaveCmdGrid(appl, true, *stgCommand); });
        if (saved != ResultOk)
            unsaved("err_cmdwrite", appl);
    }
    if (stgFunc->Tag == 1) {
        const std::string appl = CurrentAppl.empty() ? cmbFunction->Text() : CurrentAppl;
        int saved = ResultOk;
        if (!appl.empty())
            RunStep(report, [&] { saved = SaveFuncGrid(appl, true, *stgFunc); });
        if (saved != ResultOk)
            unsaved("err_funcwrite", appl);
    }

    TListBox* const boxes[] = {lboxAudio, lboxVideo, lboxDVD, lboxTVFM, lboxOther};
    TGroupBox* const groups[] = {grbAudio, grbVideo, grbDVD, grbTVFM, grbOther};
    for (int g = 0; g < 5; ++g) {
        int saved = ResultOk;
        RunStep(report, [&] { saved = SaveFavorites(FavouriteGroups[g], boxes[g]->Items); });
        if (saved != ResultOk)
            unsaved("err_favwrite", groups[g]->Caption);
    }

    std::memset(Runtime.FuncCache.data(), 0, sizeof Runtime.FuncCache);
    std::memset(Runtime.CmdCache.data(), 0, sizeof Runtime.CmdCache);

    std::vector<std::string> uncommitted;
    RunStep(report, [&] { CommitTempFiles(true, &uncommitted); });
    for (const std::string& file : uncommitted)
        unsaved("err_commitfile", file);

    CloseDone = true;
    Runtime.FormSlots[KindTime].Color = static_cast<std::int32_t>(panTimeColor->Color);
    Runtime.FormSlots[KindInfo].Color = static_cast<std::int32_t>(panInfoColor->Color);
    Runtime.FormSlots[KindBar].Color = static_cast<std::int32_t>(panBarColor->Color);
    Runtime.FormSlots[KindConfig].Hold = 0;
}

void TFConfig::btnCancelClick(TObject*) {
    MarkMoved();
    RunStep(true, [] { CommitTempFiles(false); });
    CloseDone = true;
    Runtime.Consttime = SavedSettings.Consttime;
    Runtime.Infobackground = SavedSettings.Infobackground;
    Runtime.Regions = SavedSettings.Regions;
    Runtime.Alpha = SavedSettings.Alpha;
    Runtime.Alphavalue = SavedSettings.Alphavalue;
    Runtime.Animation = SavedSettings.Animation;
    Runtime.FormSlots[KindConfig].Hold = 0;
}

void TFConfig::btnAddClick(TObject*) {
    switch (CurrentPage()) {
    case 1:
        AddCode();
        break;
    case 2:
        AddAppl();
        break;
    case 3:
        AddCommand();
        break;
    case 4:
        AddFunction();
        break;
    default:
        break;
    }
}

void TFConfig::btnDelClick(TObject*) {
    switch (CurrentPage()) {
    case 1:
        DeleteCode();
        break;
    case 2:
        DeleteAppl();
        break;
    case 3:
        DeleteCommand();
        break;
    case 4:
        DeleteFunction();
        break;
    default:
        break;
    }
}

void TFConfig::btnDefaultClick(TObject*) {
    switch (CurrentPage()) {
    case 1:
        DefaultCodes();
        break;
    case 2:
        DefaultAppls();
        break;
    case 3:
        DefaultCommands();
        break;
    case 4:
        DefaultFunctions();
        break;
    default:
        break;
    }
}

void TFConfig::ApplicationEventsHint(TObject*) {
    StatusBar->SimpleText = Application->Hint();
}
