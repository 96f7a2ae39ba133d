// The interface page: the on-screen windows' settings with their live preview.
#include "config_form.h"

#include "form_bar.h"
#include "form_info.h"
#include "form_layout.h"
#include "form_time.h"
#include "language.h"
#include "osd.h"
#include "runtime_state.h"

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <string>

namespace {

std::string InfoPreviewText() {
    return GetLangText("Labels", "lbl_txtwnd");
}

std::string BarPreviewText() {
    return GetLangText("Labels", "lbl_barwnd");
}

std::string CurrentTimeText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return SecondsToTimeText(now.wHour * 3600 + now.wMinute * 60 + now.wSecond);
}

// The share of the slider's way from its minimum, 0 to 100, rounded down.
std::int32_t BarPercent(const TTrackBar* bar) {
    const int span = bar->Max - bar->Min;
    if (span <= 0)
        return 0;
    return (bar->Position - bar->Min) * 100 / span;
}

bool OnScreen(const TForm* form) {
    return form && form->Visible;
}

// A window the page previews on that was shown and closed again before is brought back as if it
// did not exist: shown again without a fresh display time, the next tick would close it at once.
void ShowInfoPreview() {
    if (OnScreen(FInfo))
        return;
    OsdShowText(InfoPreviewText(), "size");
    Runtime.FormSlots[KindInfo].Hold = 1;
}

// The slider's position for the mouse step; a step beyond the slider's ends (or none at all)
// shows at the nearer end.
int SpeedUpPosition(const TTrackBar* bar, float step) {
    const double tenths = static_cast<double>(step) * 10.0;
    if (std::isnan(tenths) || tenths <= bar->Min)
        return bar->Min;
    if (tenths >= bar->Max)
        return bar->Max;
    return static_cast<int>(std::nearbyint(tenths));
}

// One window's layout section into its slider, its colour panel and its slot's colour.
void FillWindowLayout(const char* section, std::int16_t kind, TTrackBar* size, TPanel* colour) {
    std::int32_t top = 0, left = 0, width = 0;
    std::int32_t height = size->Position;
    std::int32_t& slotColour = Runtime.FormSlots[kind].Color;
    ReadWriteFormLayout(true, section, top, left, height, width, slotColour, nullptr);
    size->Position = height;
    colour->Color = slotColour;
}

} // namespace

void TFConfig::FillInterfacePage() {
    chbCmdText->Checked = Runtime.showcmdtext != 0;
    chbTimerSound->Checked = Runtime.timersound != 0;

    SavedSettings.Regions = Runtime.Regions;
    chbRegions->Checked = Runtime.Regions != 0;
    SavedSettings.Animation = Runtime.Animation;
    chbAnimation->Checked = Runtime.Animation != 0;
    SavedSettings.Infobackground = Runtime.Infobackground;
    chbInfoBackGround->Checked = Runtime.Infobackground != 0;
    SavedSettings.Alpha = Runtime.Alpha;
    chbAlpha->Checked = Runtime.Alpha != 0;

    SavedSettings.Alphavalue = Runtime.Alphavalue;
    trbAlpha->Position = Runtime.Alphavalue;

    trbMSpeedUp->Position = SpeedUpPosition(trbMSpeedUp, Runtime.MouseSpeedStep);

    FillWindowLayout("FTime", KindTime, trbTimeSize, panTimeColor);
    SavedSettings.Consttime = Runtime.Consttime;
    chbConstTime->Checked = Runtime.Consttime != 0;

    FillWindowLayout("FInfo", KindInfo, trbTxtSize, panInfoColor);
    FillWindowLayout("FBar", KindBar, trbBarSize, panBarColor);
}

void TFConfig::chbConstTimeClick(TObject*) {
    Runtime.Consttime = chbConstTime->Checked ? 1 : 0;
    if (Loading)
        return;
    if (!FTime)
        OsdShowClock(false);
}

void TFConfig::trbTimeSizeChange(TObject*) {
    if (Loading)
        return;
    Runtime.Consttime = 1;
    if (!OnScreen(FTime))
        OsdShowClock(false);
    FTime->ClientHeight = trbTimeSize->Position;
    FTime->ShowTime("clock", CurrentTimeText());
    FTime->Tag = 1;
}

void TFConfig::trbTxtSizeChange(TObject*) {
    if (Loading)
        return;
    const std::string text = InfoPreviewText();
    if (!OnScreen(FInfo))
        OsdShowText(text, "size");
    FInfo->Height = trbTxtSize->Position;
    FInfo->ShowInfo("size", text);
    Runtime.FormSlots[KindInfo].Hold = 1;
    FInfo->Tag = 1;
}

void TFConfig::trbBarSizeChange(TObject*) {
    if (Loading)
        return;
    std::int32_t percent = BarPercent(trbBarSize);
    const std::string text = BarPreviewText();
    const bool firstShow = !OnScreen(FBar);
    if (firstShow)
        OsdShowBar(text, percent, "size");
    FBar->Height = trbBarSize->Position;
    FBar->ShowBar("size", text, percent);
    FBar->Tag = 1;
    if (firstShow)
        FBar->Top = static_cast<int>(std::floor((Screen->Height() - FBar->Height) * 0.95));
    Runtime.FormSlots[KindBar].Hold = 1;
}

void TFConfig::panTimeColorDblClick(TObject* Sender) {
    auto* panel = dynamic_cast<TPanel*>(Sender);
    if (!panel || !ColorDialog->Execute())
        return;
    const TColor colour = ColorDialog->Color;
    panel->Color = colour;
    const std::string name = panel->Name;
    if (name == "panTimeColor") {
        if (!OnScreen(FTime)) {
            Runtime.Consttime = 1;
            OsdShowClock(false);
        }
        FTime->Font.Color = colour;
        FTime->ShowTime("clock", CurrentTimeText());
        FTime->Tag = 1;
    } else if (name == "panInfoColor") {
        ShowInfoPreview();
        FInfo->Font.Color = colour;
        FInfo->ShowInfo("size", InfoPreviewText());
        FInfo->Tag = 1;
    } else if (name == "panBarColor") {
        std::int32_t percent = BarPercent(trbBarSize);
        const std::string text = BarPreviewText();
        if (!OnScreen(FBar)) {
            OsdShowBar(text, percent, "size");
            Runtime.FormSlots[KindBar].Hold = 1;
        }
        FBar->Font.Color = colour;
        FBar->ShowBar("size", text, percent);
        FBar->Tag = 1;
    }
}

void TFConfig::chbCmdTextClick(TObject*) {
    Runtime.showcmdtext = chbCmdText->Checked ? 1 : 0;
}

void TFConfig::chbTimerSoundClick(TObject*) {
    Runtime.timersound = chbTimerSound->Checked ? 1 : 0;
}

void TFConfig::chbRegionsClick(TObject*) {
    if (Loading)
        return;
    Runtime.Regions = chbRegions->Checked ? 1 : 0;
    ShowInfoPreview();
    FInfo->ShowInfo("size", InfoPreviewText());
    FInfo->ClearRegion();
    if (Runtime.Regions)
        FInfo->MakeRegion(true);
    if (FTime) {
        FTime->ClearRegion();
        if (Runtime.Regions)
            FTime->MakeRegion(true);
    }
    if (FBar) {
        FBar->ClearRegion();
        if (Runtime.Regions)
            FBar->MakeRegion(true);
    }
}

void TFConfig::chbAnimationClick(TObject*) {
    Runtime.Animation = chbAnimation->Checked ? 1 : 0;
}

void TFConfig::chbInfoBackGroundClick(TObject*) {
    if (Loading)
        return;
    ShowInfoPreview();
    Runtime.Infobackground = chbInfoBackGround->Checked ? 1 : 0;
    FInfo->ShowInfo("size", InfoPreviewText());
}

void TFConfig::chbAlphaClick(TObject* Sender) {
    if (Loading)
        return;
    Runtime.Alpha = chbAlpha->Checked ? 1 : 0;
    // Regions and alpha blending exclude each other.
    if (Runtime.Alpha)
        chbRegions->Checked = false;
    chbRegions->Enabled = !Runtime.Alpha;
    chbRegionsClick(Sender);
    const bool alpha = Runtime.Alpha != 0;
    Runtime.Alphavalue = alpha ? static_cast<std::int16_t>(trbAlpha->Position) : 255;
    trbAlpha->Enabled = alpha;
    lblMinAlpha->Enabled = alpha;
    lblMaxAlpha->Enabled = alpha;
    const int value = Runtime.Alphavalue;
    FInfo->AlphaBlendValue = value;
    if (FTime)
        FTime->AlphaBlendValue = value;
    if (FBar)
        FBar->AlphaBlendValue = value;
}

void TFConfig::trbAlphaChange(TObject* Sender) {
    if (Loading)
        return;
    chbAlphaClick(Sender);
}
