// The settings dialog's form resource: its components with their design-time properties and
// the wiring of their handlers.
#include "config_form.h"

#include "keyword_lists.h"
#include "osd.h"
#include "program_pictures.h"

namespace {

template <class T>
T* Make(TComponent* owner, TWinControl* parent, const char* name) {
    auto* c = new T(owner);
    c->Name = name;
    c->Parent = parent;
    return c;
}

TLabel* MakeLabel(TComponent* owner, TWinControl* parent, const char* name, const char* caption,
                  int left, int top) {
    auto* l = Make<TLabel>(owner, parent, name);
    l->Caption = caption;
    l->SetBounds(left, top, 120, 13);
    return l;
}

TTrackBar* MakeTrackBar(TComponent* owner, TWinControl* parent, const char* name, const char* hint,
                        int help, int min, int max, int position, int frequency, int top) {
    auto* t = Make<TTrackBar>(owner, parent, name);
    t->SetBounds(40, top, 220, 25);
    t->Hint = hint;
    t->HelpContext = help;
    t->Max = max;
    t->Min = min;
    t->Position = position;
    t->Frequency = frequency;
    return t;
}

TCheckBox* MakeCheckBox(TComponent* owner, TWinControl* parent, const char* name,
                        const char* caption, const char* hint, int help, int top) {
    auto* c = Make<TCheckBox>(owner, parent, name);
    c->SetBounds(8, top, 280, 17);
    c->Caption = caption;
    c->Hint = hint;
    c->HelpContext = help;
    return c;
}

TPanel* MakeColorPanel(TComponent* owner, TWinControl* parent, const char* name, int top) {
    auto* p = Make<TPanel>(owner, parent, name);
    p->SetBounds(268, top, 40, 25);
    p->Caption = "lbl_color";
    p->Color = 11466791;
    p->BevelOuter = bvLowered;
    return p;
}

TButton* MakeButton(TComponent* owner, TWinControl* parent, const char* name, const char* caption,
                    int top) {
    auto* b = Make<TButton>(owner, parent, name);
    // As wide as the column allows: the longest caption ("btn_default") needs it.
    b->SetBounds(4, top, 83, 25);
    b->Caption = caption;
    return b;
}

TTabSheet* MakeSheet(TComponent* owner, TPageControl* pages, const char* name, const char* caption,
                     int help) {
    auto* sheet = new TTabSheet(owner);
    sheet->Name = name;
    sheet->PageControl = pages;
    sheet->Caption = caption;
    sheet->HelpContext = help;
    return sheet;
}

template <class T = TStringGrid>
T* MakeGrid(TComponent* owner, TWinControl* parent, const char* name, int cols, int help) {
    auto* g = Make<T>(owner, parent, name);
    g->Align = alClient;
    g->ColCount = cols;
    g->FixedCols = 0;
    g->RowCount = 2;
    g->FixedRows = 1;
    g->HelpContext = help;
    g->Options << goEditing << goColSizing;
    return g;
}

} // namespace

TFConfig::TFConfig(TComponent* owner) : TConfigDialog(owner) {
    Name = "FConfig";
    Caption = "FConfig";
    Width = 680;
    Height = 492;
    Constraints.MinWidth = 580;
    Constraints.MinHeight = 492;
    AlphaBlend = true;
    BorderIcons = TBorderIcons{biSystemMenu, biHelp};
    Position = poDesktopCenter;
    ShowHint = true;
    Font.Name = "Arial";
    Font.Height = -11;

    StatusBar = Make<TStatusBar>(this, this, "StatusBar");
    StatusBar->SimplePanel = true;

    panGeneralButtons = Make<TPanel>(this, this, "panGeneralButtons");
    panGeneralButtons->Align = alRight;
    panGeneralButtons->Width = 91;
    panGeneralButtons->Caption = "";
    panGeneralButtons->BevelOuter = bvNone;
    btnOk = MakeButton(this, panGeneralButtons, "btnOk", "btn_ok", 30);
    btnOk->Default = true;
    btnOk->Hint = "hnt_btnok";
    btnCancel = MakeButton(this, panGeneralButtons, "btnCancel", "btn_cancel", 62);
    btnCancel->Cancel = true;
    btnCancel->Hint = "hnt_btncancel";
    btnAdd = MakeButton(this, panGeneralButtons, "btnAdd", "btn_add", 126);
    btnDel = MakeButton(this, panGeneralButtons, "btnDel", "btn_del", 158);
    btnDefault = MakeButton(this, panGeneralButtons, "btnDefault", "btn_default", 190);

    pcConfig = Make<TPageControl>(this, this, "pcConfig");
    pcConfig->Align = alClient;

    // Page 0: the interface.
    pOutput = MakeSheet(this, pcConfig, "pOutput", "lbl_output", 33);
    imgOutput = Make<TImage>(this, pOutput, "imgOutput");
    // Laid out to fit the page at the dialog's least size.
    imgOutput->SetBounds(8, 8, 128, 96);
    imgOutput->Stretch = true;
    TBitmap outputPicture;
    outputPicture.LoadFromBytes(ProgramPicture("output"));
    imgOutput->Picture.Bitmap.Assign(outputPicture);
    lblOutput = Make<TLabel>(this, pOutput, "lblOutput");
    lblOutput->SetBounds(8, 112, 128, 290);
    lblOutput->Caption = "lbl_outputprompt";
    lblOutput->WordWrap = true;

    grbTime = Make<TGroupBox>(this, pOutput, "grbTime");
    grbTime->SetBounds(144, 0, 320, 84);
    grbTime->Caption = "lbl_currenttime";
    chbConstTime =
        MakeCheckBox(this, grbTime, "chbConstTime", "lbl_consttime", "hnt_chbconsttime", 3, 16);
    lblTimeSize = MakeLabel(this, grbTime, "lblTimeSize", "lbl_timewndsize", 8, 36);
    lblMinTimeSize = MakeLabel(this, grbTime, "lblMinTimeSize", "lbl_min", 8, 56);
    lblMaxTimeSize = MakeLabel(this, grbTime, "lblMaxTimeSize", "lbl_max", 262, 36);
    trbTimeSize =
        MakeTrackBar(this, grbTime, "trbTimeSize", "hnt_trbtimesize", 4, 12, 150, 150, 10, 52);
    panTimeColor = MakeColorPanel(this, grbTime, "panTimeColor", 52);

    grbInfo = Make<TGroupBox>(this, pOutput, "grbInfo");
    grbInfo->SetBounds(144, 84, 320, 102);
    grbInfo->Caption = "lbl_infownd";
    lblTxtSize = MakeLabel(this, grbInfo, "lblTxtSize", "lbl_txtwndsize", 8, 16);
    lblMinTxtSize = MakeLabel(this, grbInfo, "lblMinTxtSize", "lbl_min", 8, 36);
    lblMaxTxtSize = MakeLabel(this, grbInfo, "lblMaxTxtSize", "lbl_max", 262, 16);
    trbTxtSize =
        MakeTrackBar(this, grbInfo, "trbTxtSize", "hnt_trbtxtsize", 5, 12, 150, 150, 10, 30);
    panInfoColor = MakeColorPanel(this, grbInfo, "panInfoColor", 30);
    lblBarSize = MakeLabel(this, grbInfo, "lblBarSize", "lbl_barwndsize", 8, 58);
    lblMinBarSize = MakeLabel(this, grbInfo, "lblMinBarSize", "lbl_min", 8, 78);
    lblMaxBarSize = MakeLabel(this, grbInfo, "lblMaxBarSize", "lbl_max", 262, 58);
    trbBarSize =
        MakeTrackBar(this, grbInfo, "trbBarSize", "hnt_trbbarsize", 6, 12, 150, 150, 10, 72);
    panBarColor = MakeColorPanel(this, grbInfo, "panBarColor", 72);

    grbVisualEffects = Make<TGroupBox>(this, pOutput, "grbVisualEffects");
    grbVisualEffects->SetBounds(144, 186, 320, 160);
    grbVisualEffects->Caption = "lbl_visualeffect";
    chbCmdText =
        MakeCheckBox(this, grbVisualEffects, "chbCmdText", "lbl_cmdtext", "hnt_chbcmdtext", 7, 16);
    chbTimerSound = MakeCheckBox(this, grbVisualEffects, "chbTimerSound", "lbl_timersound",
                                 "hnt_timersound", 7, 34);
    chbRegions =
        MakeCheckBox(this, grbVisualEffects, "chbRegions", "lbl_regions", "hnt_chbregions", 7, 52);
    chbAnimation = MakeCheckBox(this, grbVisualEffects, "chbAnimation", "lbl_animation",
                                "hnt_chbanimation", 8, 70);
    chbInfoBackGround = MakeCheckBox(this, grbVisualEffects, "chbInfoBackGround", "lbl_background",
                                     "hnt_chbinfobackground", 9, 88);
    chbAlpha =
        MakeCheckBox(this, grbVisualEffects, "chbAlpha", "lbl_alphablend", "hnt_chbalpha", 10, 106);
    lblMinAlpha = MakeLabel(this, grbVisualEffects, "lblMinAlpha", "lbl_min", 8, 130);
    lblMaxAlpha = MakeLabel(this, grbVisualEffects, "lblMaxAlpha", "lbl_max", 262, 130);
    trbAlpha =
        MakeTrackBar(this, grbVisualEffects, "trbAlpha", "hnt_trbalpha", 10, 50, 255, 220, 10, 126);

    GroupBox1 = Make<TGroupBox>(this, pOutput, "GroupBox1");
    GroupBox1->SetBounds(144, 346, 320, 64);
    GroupBox1->Caption = "lbl_mouse";
    lblMSpeedUp = MakeLabel(this, GroupBox1, "lblMSpeedUp", "lbl_mouspeedup", 8, 16);
    lblMinMSpeedUp = MakeLabel(this, GroupBox1, "lblMinMSpeedUp", "lbl_min", 8, 36);
    lblMinMSpeedUp->Hint = "htn_lblminmspeedup";
    lblMaxMSpeedUp = MakeLabel(this, GroupBox1, "lblMaxMSpeedUp", "lbl_max", 262, 36);
    lblMaxMSpeedUp->Hint = "hnt_lblmaxmspeedup";
    trbMSpeedUp =
        MakeTrackBar(this, GroupBox1, "trbMSpeedUp", "hnt_trbmspeedup", 10, 0, 20, 3, 1, 32);

    // Page 1: the codes.
    pCode = MakeSheet(this, pcConfig, "pCode", "lbl_keycode", 34);
    auto* codeHeader = Make<TPanel>(this, pCode, "panCodeHeader");
    codeHeader->Align = alTop;
    codeHeader->Height = 20;
    codeHeader->Caption = "";
    codeHeader->BevelOuter = bvNone;
    panCodeButton = Make<TPanel>(this, codeHeader, "panCodeButton");
    panCodeButton->SetBounds(0, 0, 200, 20);
    panCodeButton->Caption = "lbl_rcbutton";
    panCodeValue = Make<TPanel>(this, codeHeader, "panCodeValue");
    panCodeValue->SetBounds(200, 0, 200, 20);
    panCodeValue->Caption = "lbl_keycode";
    auto* codeButtons = Make<TPanel>(this, pCode, "panCodeButtons");
    codeButtons->Align = alBottom;
    codeButtons->Height = 41;
    codeButtons->Caption = "";
    codeButtons->BevelOuter = bvNone;
    btnReconfig = MakeButton(this, codeButtons, "btnReconfig", "btn_reconfig", 8);
    btnReconfig->SetBounds(8, 8, 120, 25);
    btnReconfig->Hint = "hnt_reconfig";
    btnReconfig->HelpContext = 12;
    vleCode = Make<TValueListEditor>(this, pCode, "vleCode");
    vleCode->Align = alClient;
    vleCode->HelpContext = 11;
    vleCode->DisplayOptions = TDisplayOptions{doAutoColResize, doKeyColFixed};
    vleCode->KeyOptions = TKeyOptions{keyEdit, keyDelete, keyUnique};
    vleCode->Options >> goEditing;
    vleCode->Options << goRowSelect;
    // The columns stand under their header panels (the grid line between them counts too).
    vleCode->SetColWidths(0, panCodeButton->Width - 1);
    vleCode->SetColWidths(1, panCodeValue->Width);

    // Page 2: the applications and the favourites.
    pAppl = MakeSheet(this, pcConfig, "pAppl", "lbl_appl", 35);
    auto* favourites = Make<TPanel>(this, pAppl, "panFavourites");
    favourites->Align = alBottom;
    favourites->Height = 150;
    favourites->Caption = "";
    favourites->BevelOuter = bvNone;
    struct Group {
        const char* box;
        const char* list;
        const char* add;
        const char* del;
        const char* up;
        const char* down;
        TGroupBox** groupBox;
        TListBox** listBox;
        TSpeedButton** buttons[4];
    };
    const Group groups[] = {
        {"grbAudio",
         "lboxAudio",
         "sbtnAddAudio",
         "sbtnDelAudio",
         "sbtnUpAudio",
         "sbtnDownAudio",
         &grbAudio,
         &lboxAudio,
         {&sbtnAddAudio, &sbtnDelAudio, &sbtnUpAudio, &sbtnDownAudio}},
        {"grbVideo",
         "lboxVideo",
         "sbtnAddVideo",
         "sbtnDelVideo",
         "sbtnUpVideo",
         "sbtnDownVideo",
         &grbVideo,
         &lboxVideo,
         {&sbtnAddVideo, &sbtnDelVideo, &sbtnUpVideo, &sbtnDownVideo}},
        {"grbDVD",
         "lboxDVD",
         "sbtnAddDVD",
         "sbtnDelDVD",
         "sbtnUpDVD",
         "sbtnDownDVD",
         &grbDVD,
         &lboxDVD,
         {&sbtnAddDVD, &sbtnDelDVD, &sbtnUpDVD, &sbtnDownDVD}},
        {"grbTVFM",
         "lboxTVFM",
         "sbtnAddTVFM",
         "sbtnDelTVFM",
         "sbtnUpTVFM",
         "sbtnDownTVFM",
         &grbTVFM,
         &lboxTVFM,
         {&sbtnAddTVFM, &sbtnDelTVFM, &sbtnUpTVFM, &sbtnDownTVFM}},
        {"grbOther",
         "lboxOther",
         "sbtnAddOther",
         "sbtnDelOther",
         "sbtnUpOther",
         "sbtnDownOther",
         &grbOther,
         &lboxOther,
         {&sbtnAddOther, &sbtnDelOther, &sbtnUpOther, &sbtnDownOther}},
    };
    const char* const buttonCaptions[] = {"+", "-", "^", "v"};
    const int buttonHelp[] = {17, 18, 19, 19};
    for (int g = 0; g < 5; ++g) {
        const Group& group = groups[g];
        auto* box = Make<TGroupBox>(this, favourites, group.box);
        box->SetBounds(4 + g * 93, 0, 92, 146);
        box->Caption = BuiltinFAVORITE[g].Keyword;
        *group.groupBox = box;
        auto* list = Make<TListBox>(this, box, group.list);
        list->SetBounds(6, 16, 80, 96);
        *group.listBox = list;
        const char* names[] = {group.add, group.del, group.up, group.down};
        for (int b = 0; b < 4; ++b) {
            auto* button = Make<TSpeedButton>(this, box, names[b]);
            button->SetBounds(6 + b * 20, 116, 20, 23);
            button->Caption = buttonCaptions[b];
            button->HelpContext = buttonHelp[b];
            *group.buttons[b] = button;
        }
    }
    stgAppl = MakeGrid<TApplGrid>(this, pAppl, "stgAppl", 3, 13);
    stgAppl->SetColWidths(0, 110);
    stgAppl->SetColWidths(1, 130);
    stgAppl->SetColWidths(2, 300);

    // Page 3: the commands.
    pCommand = MakeSheet(this, pcConfig, "pCommand", "lbl_cmd", 36);
    cmbCommand = Make<TComboBox>(this, pCommand, "cmbCommand");
    cmbCommand->Align = alTop;
    cmbCommand->Style = csDropDownList;
    cmbCommand->DropDownCount = 15;
    cmbCommand->HelpContext = 20;
    stgCommand = MakeGrid(this, pCommand, "stgCommand", 6, 21);
    stgCommand->Options << goRowMoving;
    // As the command wizard's grid of the same steps: each title whole.
    const int commandWidths[] = {117, 80, 74, 81, 79, 73};
    for (int c = 0; c < 6; ++c)
        stgCommand->SetColWidths(c, commandWidths[c]);

    // Page 4: the functions.
    pFunction = MakeSheet(this, pcConfig, "pFunction", "lbl_applfunc", 37);
    cmbFunction = Make<TComboBox>(this, pFunction, "cmbFunction");
    cmbFunction->Align = alTop;
    cmbFunction->Style = csDropDownList;
    cmbFunction->DropDownCount = 15;
    cmbFunction->HelpContext = 20;
    stgFunc = MakeGrid(this, pFunction, "stgFunc", 3, 22);
    stgFunc->Options << goRowMoving;
    stgFunc->SetColWidths(0, 150);
    stgFunc->SetColWidths(1, 80);
    stgFunc->SetColWidths(2, 300);

    OpenDialog = new TOpenDialog(this);
    OpenDialog->Name = "OpenDialog";
    OpenDialog->Options = TOpenOptions{ofOverwritePrompt, ofHideReadOnly, ofEnableSizing};
    ColorDialog = new TColorDialog(this);
    ColorDialog->Name = "ColorDialog";
    ColorDialog->Options = TColorDialogOptions{cdFullOpen, cdAnyColor};
    ApplicationEvents = new TApplicationEvents(this);
    ApplicationEvents->Name = "ApplicationEvents";

    pcConfig->ActivePage = pOutput;

    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        FormMouseDown(s, b, sh, x, y);
    };
    OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { FormMouseMove(s, sh, x, y); };
    OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        FormMouseUp(s, b, sh, x, y);
    };
    OnResize = [this](TObject* s) { FormResize(s); };
    pcConfig->OnChange = [this](TObject* s) { pcConfigChange(s); };
    btnOk->OnClick = [this](TObject* s) { btnOkClick(s); };
    btnCancel->OnClick = [this](TObject* s) { btnCancelClick(s); };
    btnAdd->OnClick = [this](TObject* s) { btnAddClick(s); };
    btnDel->OnClick = [this](TObject* s) { btnDelClick(s); };
    btnDefault->OnClick = [this](TObject* s) { btnDefaultClick(s); };
    ApplicationEvents->OnHint = [this](TObject* s) { ApplicationEventsHint(s); };

    vleCode->OnDblClick = [this](TObject* s) { vleCodeDblClick(s); };
    vleCode->OnStringsChange = [this](TObject* s) { vleFunctionStringsChange(s); };
    btnReconfig->OnClick = [this](TObject* s) { btnReconfigClick(s); };

    for (TSpeedButton* b : {sbtnAddAudio, sbtnAddVideo, sbtnAddDVD, sbtnAddTVFM, sbtnAddOther})
        b->OnClick = [this](TObject* s) { sbtnAddAudioClick(s); };
    for (TSpeedButton* b : {sbtnDelAudio, sbtnDelVideo, sbtnDelDVD, sbtnDelTVFM, sbtnDelOther})
        b->OnClick = [this](TObject* s) { sbtnDelAudioClick(s); };
    for (TSpeedButton* b : {sbtnUpAudio, sbtnUpVideo, sbtnUpDVD, sbtnUpTVFM, sbtnUpOther})
        b->OnClick = [this](TObject* s) { sbtnUpAudioClick(s); };
    for (TSpeedButton* b : {sbtnDownAudio, sbtnDownVideo, sbtnDownDVD, sbtnDownTVFM, sbtnDownOther})
        b->OnClick = [this](TObject* s) { sbtnDownAudioClick(s); };

    cmbCommand->OnChange = [this](TObject* s) { cmbCommandChange(s); };
    cmbFunction->OnChange = [this](TObject* s) { cmbFunctionChange(s); };
    stgCommand->OnSetEditText = [this](TObject* s, int c, int r, const std::string& v) {
        stgCommandSetEditText(s, c, r, v);
    };
    stgFunc->OnSetEditText = [this](TObject* s, int c, int r, const std::string& v) {
        stgFuncSetEditText(s, c, r, v);
    };

    chbConstTime->OnClick = [this](TObject* s) { chbConstTimeClick(s); };
    trbTimeSize->OnChange = [this](TObject* s) { trbTimeSizeChange(s); };
    trbTxtSize->OnChange = [this](TObject* s) { trbTxtSizeChange(s); };
    trbBarSize->OnChange = [this](TObject* s) { trbBarSizeChange(s); };
    for (TPanel* p : {panTimeColor, panInfoColor, panBarColor})
        p->OnDblClick = [this](TObject* s) { panTimeColorDblClick(s); };
    chbCmdText->OnClick = [this](TObject* s) { chbCmdTextClick(s); };
    chbTimerSound->OnClick = [this](TObject* s) { chbTimerSoundClick(s); };
    chbRegions->OnClick = [this](TObject* s) { chbRegionsClick(s); };
    chbAnimation->OnClick = [this](TObject* s) { chbAnimationClick(s); };
    chbInfoBackGround->OnClick = [this](TObject* s) { chbInfoBackGroundClick(s); };
    chbAlpha->OnClick = [this](TObject* s) { chbAlphaClick(s); };
    trbAlpha->OnChange = [this](TObject* s) { trbAlphaChange(s); };
}
