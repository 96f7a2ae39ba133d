// The clock window.
#include "form_time.h"

#include "osd.h"
#include "runtime_state.h"

TFTime* FTime = nullptr;
std::int32_t LastTextWidth = 0;

TFTime::TFTime(TComponent* owner) : TOsdWindow(owner, KindTime) {
    Name = "FTime";
    SetUpWindow(80, "Arial");
    ClientWidth = 301;
    ClientHeight = 86;
    Constraints.MinHeight = 12;
    Constraints.MaxHeight = 150;

    imMsgpict = NewPicture(this, alLeft);
    imMsgpict->Width = 89;
    lblMsgtext = NewText(this);
    WirePictureAndText(imMsgpict, lblMsgtext);
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnDestroy = [this](TObject* s) { FormDestroy(s); };
}

TFTime::~TFTime() {
    if (FTime == this)
        FTime = nullptr;
}

void TFTime::FormCreate(TObject*) {
    NeedRegion = true;
    RgnCombined = RgnDisc = RgnText = nullptr;
    PictureName.clear();
}

void TFTime::FormDestroy(TObject*) {
    HRGN none = nullptr;
    FreeWindowRegion(HandleAllocated() ? Handle() : nullptr, RgnCombined, RgnDisc, RgnText, none);
    if (FTime == this)
        FTime = nullptr;
}

void TFTime::ShowTime(const std::string& picture, const std::string& text) {
    const bool square = imMsgpict->Width == imMsgpict->Height;
    if (!square || Canvas.TextWidth(text) != LastTextWidth) {
        NeedRegion = true;
        ClearRegion();
    }
    if (!AnsiSameText(picture, PictureName) || !PictureName.empty() || !square) {
        PictureName = picture;
        imMsgpict->Width = imMsgpict->Height;
        LoadWindowPicture(imMsgpict, picture);
    }
    lblMsgtext->Caption = text;
    FitFontSize(*this, static_cast<int>(ClientHeight * 5 / 7.0), ClientHeight);
    const int corner = CornerRoom(ClientHeight);
    const int w = Canvas.TextWidth(text) + imMsgpict->Width + corner;
    ClientWidth = w < Screen->Width() ? w : static_cast<int>(Screen->Width() * 0.95);
    FitTextWidth(*this, text, ClientWidth - imMsgpict->Width - corner);
    const int textWidth = Canvas.TextWidth(text);
    ApplyColours();
    if (NeedRegion)
        MakeRegion(false);
    LastTextWidth = textWidth;
    if (!Visible)
        Show();
}

void TFTime::MakeRegion(bool force) {
    if (force || Runtime.Regions) {
        AlphaBlendValue = 255;
        const int W = Width, H = Height;
        HRGN none = nullptr;
        FreeWindowRegion(Handle(), RgnCombined, RgnDisc, RgnText, none);
        RgnCombined = CreateRectRgn(0, 0, W, H);
        RgnDisc = CreateEllipticRgn(1, 1, H - 1, H - 1);
        RgnText = CreateRoundRectRgn(H - 1, 1, W - 1, H - 1, H / 4, H / 4);
        if (CombineRgn(RgnCombined, RgnDisc, RgnText, RGN_OR) != ERROR)
            InstallRegion(Handle(), RgnCombined);
        AlphaBlendValue = Runtime.Alpha ? (Runtime.Alphavalue & 0xFF) : 255;
    }
    NeedRegion = false;
}

void TFTime::ClearRegion() {
    SetWindowRgn(Handle(), nullptr, TRUE);
}
