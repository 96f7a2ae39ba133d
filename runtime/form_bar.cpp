// The bar window.
#include "form_bar.h"

#include "osd.h"
#include "runtime_state.h"

#include <algorithm>

TFBar* FBar = nullptr;

TFBar::TFBar(TComponent* owner) : TOsdWindow(owner, KindBar) {
    Name = "FBar";
    SetUpWindow(47, "Arial");
    ClientWidth = 301;
    ClientHeight = 86;
    Constraints.MinHeight = 12;
    Constraints.MaxHeight = 150;

    panImage = new TPanel(this);
    panImage->Name = "panImage";
    panImage->Parent = this;
    panImage->Align = alLeft;
    panImage->Width = 81;
    panImage->ParentColor = true;

    imMsgpict = NewPicture(panImage, alClient);

    panTxt = new TPanel(this);
    panTxt->Name = "panTxt";
    panTxt->Parent = this;
    panTxt->Align = alClient;
    panTxt->ParentColor = true;

    lblMsgtext = NewText(panTxt);

    cgBar = new TGauge(this);
    cgBar->Name = "cgBar";
    cgBar->Parent = panTxt;
    cgBar->Align = alBottom;
    cgBar->Height = 43;
    cgBar->BorderStyle = bsNone;
    cgBar->ForeColor = clBlue;
    cgBar->BackColor = clSkyBlue;

    WirePictureAndText(imMsgpict, lblMsgtext);
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnDestroy = [this](TObject* s) { FormDestroy(s); };
}

TFBar::~TFBar() {
    if (FBar == this)
        FBar = nullptr;
}

void TFBar::FormCreate(TObject*) {
    NeedRegion = true;
    RgnCombined = RgnPicture = RgnText = RgnGauge = nullptr;
    PictureName.clear();
}

void TFBar::FormDestroy(TObject*) {
    FreeWindowRegion(HandleAllocated() ? Handle() : nullptr, RgnCombined, RgnPicture, RgnText,
                     RgnGauge);
    if (FBar == this)
        FBar = nullptr;
}

void TFBar::ShowBar(const std::string& picture, const std::string& text, std::int32_t& value) {
    const bool square = panImage->Width == panImage->Height;
    if (!square || text != lblMsgtext->Caption) {
        NeedRegion = true;
        ClearRegion();
    }
    if (!AnsiSameText(picture, PictureName) || !PictureName.empty() || square) {
        PictureName = picture;
        panImage->Width = panImage->Height;
        LoadWindowPicture(imMsgpict, picture);
    }
    lblMsgtext->Caption = text;
    cgBar->Height = ClientHeight / 2;
    // The text stands above the gauge.
    FitFontSize(*this, static_cast<int>(ClientHeight * 5 / 14.0), lblMsgtext->Height);
    // The gauge shows 0..100; a value beyond that would draw past its end.
    cgBar->Progress = std::clamp<std::int32_t>(value, 0, 100);
    ClientWidth = static_cast<int>(Screen->Width() * 0.95);
    FitTextWidth(*this, text, lblMsgtext->Width);
    Left = CentredLeft(Width);
    ApplyColours();
    if (NeedRegion)
        MakeRegion(false);
    if (!Visible)
        Show();
}

void TFBar::MakeRegion(bool force) {
    if (force || Runtime.Regions) {
        TransparentColor = false;
        const int W = Width, H = Height;
        FreeWindowRegion(Handle(), RgnCombined, RgnPicture, RgnText, RgnGauge);
        const int T = Canvas.TextWidth(lblMsgtext->Caption) + H + 1;
        RgnCombined = CreateRectRgn(0, 0, W, H);
        RgnPicture = CreateRectRgn(0, 0, H - 1, H);
        RgnText = CreateRoundRectRgn(H + 1, 0, T, H / 2, H / 8, H / 8);
        RgnGauge = CreateRoundRectRgn(H + 1, H / 2 + 2, W, H, 3 * H, 3 * H);
        if (CombineRgn(RgnCombined, RgnPicture, RgnText, RGN_OR) != ERROR &&
            CombineRgn(RgnCombined, RgnCombined, RgnGauge, RGN_OR) != ERROR)
            InstallRegion(Handle(), RgnCombined);
        TransparentColor = Runtime.Infobackground != 0;
    }
    NeedRegion = false;
}

void TFBar::ClearRegion() {
    SetWindowRgn(Handle(), nullptr, TRUE);
}
