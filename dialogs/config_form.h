// The settings dialog: codes with learning, applications and favourites, commands, functions,
// and the interface page with its live preview.
#pragma once

#include "dialog_forms.h"

#include <toolkit.h>

#include <cstdint>
#include <string>

// The application grid: a name typed into column 0 that cannot be part of a file name is
// refused with the message "err_applname", and the cell keeps its text.
class TApplGrid : public TStringGrid {
public:
    using TStringGrid::TStringGrid;

protected:
    void StoreEditText(int col, int row, const std::string& text) override;
};

class TFConfig : public TConfigDialog {
public:
    explicit TFConfig(TComponent* owner);
    ~TFConfig() override;

    const char* ClassName() const override { return "TFConfig"; }

    // The form.
    TPageControl* pcConfig;
    TPanel* panGeneralButtons;
    TStatusBar* StatusBar;
    TButton* btnOk;
    TButton* btnCancel;
    TButton* btnAdd;
    TButton* btnDel;
    TButton* btnDefault;
    TOpenDialog* OpenDialog;
    TColorDialog* ColorDialog;
    TApplicationEvents* ApplicationEvents;

    // Page 0: the interface.
    TTabSheet* pOutput;
    TImage* imgOutput;
    TLabel* lblOutput;
    TGroupBox* grbTime;
    TCheckBox* chbConstTime;
    TLabel* lblTimeSize;
    TLabel* lblMinTimeSize;
    TLabel* lblMaxTimeSize;
    TTrackBar* trbTimeSize;
    TPanel* panTimeColor;
    TGroupBox* grbInfo;
    TLabel* lblTxtSize;
    TLabel* lblMinTxtSize;
    TLabel* lblMaxTxtSize;
    TTrackBar* trbTxtSize;
    TPanel* panInfoColor;
    TLabel* lblBarSize;
    TLabel* lblMinBarSize;
    TLabel* lblMaxBarSize;
    TTrackBar* trbBarSize;
    TPanel* panBarColor;
    TGroupBox* grbVisualEffects;
    TCheckBox* chbCmdText;
    TCheckBox* chbTimerSound;
    TCheckBox* chbRegions;
    TCheckBox* chbAnimation;
    TCheckBox* chbInfoBackGround;
    TCheckBox* chbAlpha;
    TLabel* lblMinAlpha;
    TLabel* lblMaxAlpha;
    TTrackBar* trbAlpha;
    TGroupBox* GroupBox1;
    TLabel* lblMSpeedUp;
    TLabel* lblMinMSpeedUp;
    TLabel* lblMaxMSpeedUp;
    TTrackBar* trbMSpeedUp;

    // Page 1: the codes (vleCode is the runtime's).
    TTabSheet* pCode;
    TPanel* panCodeButton;
    TPanel* panCodeValue;
    TButton* btnReconfig;

    // Page 2: the applications and the five favourites lists.
    TTabSheet* pAppl;
    TStringGrid* stgAppl;
    TGroupBox* grbAudio;
    TListBox* lboxAudio;
    TSpeedButton* sbtnAddAudio;
    TSpeedButton* sbtnDelAudio;
    TSpeedButton* sbtnUpAudio;
    TSpeedButton* sbtnDownAudio;
    TGroupBox* grbVideo;
    TListBox* lboxVideo;
    TSpeedButton* sbtnAddVideo;
    TSpeedButton* sbtnDelVideo;
    TSpeedButton* sbtnUpVideo;
    TSpeedButton* sbtnDownVideo;
    TGroupBox* grbDVD;
    TListBox* lboxDVD;
    TSpeedButton* sbtnAddDVD;
    TSpeedButton* sbtnDelDVD;
    TSpeedButton* sbtnUpDVD;
    TSpeedButton* sbtnDownDVD;
    TGroupBox* grbTVFM;
    TListBox* lboxTVFM;
    TSpeedButton* sbtnAddTVFM;
    TSpeedButton* sbtnDelTVFM;
    TSpeedButton* sbtnUpTVFM;
    TSpeedButton* sbtnDownTVFM;
    TGroupBox* grbOther;
    TListBox* lboxOther;
    TSpeedButton* sbtnAddOther;
    TSpeedButton* sbtnDelOther;
    TSpeedButton* sbtnUpOther;
    TSpeedButton* sbtnDownOther;

    // Page 3: the commands of one application.
    TTabSheet* pCommand;
    TComboBox* cmbCommand;
    TStringGrid* stgCommand;

    // Page 4: the button functions of one application.
    TTabSheet* pFunction;
    TComboBox* cmbFunction;
    TStringGrid* stgFunc;

    // The fields the dialog adds to its form.
    bool Dragging = false;
    struct TDragOrigin {
        std::int32_t X = 0;
        std::int32_t Y = 0;
    } DragOrigin;
    std::string CurrentAppl;
    bool Loading = false;
    TListBox* FavouritesBox = nullptr;
    bool FillingCodeGrid = false;
    struct TSavedSettings {
        std::uint8_t Consttime = 0;
        std::uint8_t Infobackground = 0;
        std::uint8_t Regions = 0;
        std::uint8_t Alpha = 0;
        std::uint8_t Animation = 0;
        std::int16_t Alphavalue = 0;
    } SavedSettings;

    // The dialog as a whole.
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action) override;
    void FormMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void FormMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void FormMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void FormResize(TObject* Sender);
    void pcConfigChange(TObject* Sender);
    void btnOkClick(TObject* Sender);
    void btnCancelClick(TObject* Sender);
    void btnAddClick(TObject* Sender);
    void btnDelClick(TObject* Sender);
    void btnDefaultClick(TObject* Sender);
    void ApplicationEventsHint(TObject* Sender);

    // Page 1.
    void vleCodeDblClick(TObject* Sender);
    void vleFunctionStringsChange(TObject* Sender);
    void btnReconfigClick(TObject* Sender) override;

    // Page 2.
    void sbtnAddAudioClick(TObject* Sender);
    void sbtnDelAudioClick(TObject* Sender);
    void sbtnUpAudioClick(TObject* Sender);
    void sbtnDownAudioClick(TObject* Sender);

    // Pages 3 and 4.
    void cmbCommandChange(TObject* Sender);
    void cmbFunctionChange(TObject* Sender);
    void stgCommandSetEditText(TObject* Sender, int ACol, int ARow, const std::string& Value);
    void stgFuncSetEditText(TObject* Sender, int ACol, int ARow, const std::string& Value);

    // Page 0.
    void chbConstTimeClick(TObject* Sender);
    void trbTimeSizeChange(TObject* Sender);
    void trbTxtSizeChange(TObject* Sender);
    void trbBarSizeChange(TObject* Sender);
    void panTimeColorDblClick(TObject* Sender);
    void chbCmdTextClick(TObject* Sender);
    void chbTimerSoundClick(TObject* Sender);
    void chbRegionsClick(TObject* Sender);
    void chbAnimationClick(TObject* Sender);
    void chbInfoBackGroundClick(TObject* Sender);
    void chbAlphaClick(TObject* Sender);
    void trbAlphaChange(TObject* Sender);

    // The page the selected tab stands for (hidden pages have no tabs).
    int CurrentPage() const;

private:
    // What Add, Del and Default do on each page.
    void AddCode();
    void DeleteCode();
    void DefaultCodes();
    void AddAppl();
    void DeleteAppl();
    void DefaultAppls();
    void AddCommand();
    void DeleteCommand();
    void DefaultCommands();
    void AddFunction();
    void DeleteFunction();
    void DefaultFunctions();

    // Step 7 of the opening: the interface page from the settings.
    void FillInterfacePage();
    // The previews let go when the page changes or the dialog closes.
    void ReleasePreviews();
    // The final close, when the window manager frees the dialog.
    void FinalClose();
};

extern TFConfig* FConfig;

// Between the runtime's tables and the dialog's grids; results are the loaders' codes.
std::int32_t CodeTableToGrid();
std::int32_t GridToCodeTable();
std::int32_t ApplTableToGrid();
std::int32_t GridToApplTable();
void SetCmdGridTitles(TStringGrid* grid);
void SetApplGridTitles(TStringGrid* grid);
void SetFuncGridTitles(TStringGrid* grid);
// Deletes the block of the grid's current row: its head row and the continuation rows after it.
void DeleteGridBlock(TStringGrid* grid);
// Deletes exactly the current row: the application and function grids hold one entry a row.
void DeleteGridRow(TStringGrid* grid);
// Removes length rows from head on; a grid left without data rows keeps one empty row.
void RemoveGridRows(TStringGrid* grid, int head, int length);
