// The info window.
#include "form_info.h"

#include "osd.h"
#include "runtime_state.h"

TFInfo* FInfo = nullptr;

TFInfo::TFInfo(TComponent* owner) : TOsdWindow(owner, KindInfo) {
    Name = "FInfo";
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

TFInfo::~TFInfo() {
    if (FInfo == this)
        FInfo = nullptr;
}

void TFInfo::FormCreate(TObject*) {
    NeedRegion = true;
    RgnCombined = RgnPicture = RgnText = nullptr;
}

void TFInfo::FormDestroy(TObject*) {
    HRGN none = nullptr;
    FreeWindowRegion(HandleAllocated() ? Handle() : nullptr, RgnCombined, RgnPicture, RgnText,
                     none);
    if (FInfo == this)
        FInfo = nullptr;
}

void TFInfo::ShowInfo(const std::string& picture, const std::string& text) {
    if (imMsgpict->Width != imMsgpict->Height || text != lblMsgtext->Caption) {
        NeedRegion = true;
        ClearRegion();
    }
    imMsgpict->Width = imMsgpict->Height;
    LoadWindowPicture(imMsgpict, picture);
    lblMsgtext->Caption = text;
    FitFontSize(*this, static_cast<int>(ClientHeight * 5 / 7.0), ClientHeight);
    const int corner = CornerRoom(ClientHeight);
    const int w = Canvas.TextWidth(text) + imMsgpict->Width + corner;
    ClientWidth = w < Screen->Width() ? w : static_cast<int>(Screen->Width() * 0.95);
    FitTextWidth(*this, text, ClientWidth - imMsgpict->Width - corner);
    Left = CentredLeft(Width);
    ApplyColours();
    if (NeedRegion)
        MakeRegion(false);
    if (!Visible)
        Show();
}

void TFInfo::MakeRegion(bool force) {
    if (force || Runtime.Regions) {
        TransparentColor = false;
        const int W = Width, H = Height;
        HRGN none = nullptr;
        FreeWindowRegion(Handle(), RgnCombined, RgnPicture, RgnText, none);
        RgnCombined = CreateRoundRectRgn(0, 0, W, H, H / 4, H / 4);
        RgnPicture = CreateRoundRectRgn(0, 0, H - 1, H, H / 4, H / 4);
        RgnText = CreateRoundRectRgn(H + 1, 0, W, H, H / 4, H / 4);
        if (CombineRgn(RgnCombined, RgnPicture, RgnText, RGN_OR) != ERROR)
            InstallRegion(Handle(), RgnCombined);
        TransparentColor = Runtime.Alpha != 0;
    }
    NeedRegion = false;
}

void TFInfo::ClearRegion() {
    SetWindowRgn(Handle(), nullptr, TRUE);
}
