// The behaviour the on-screen windows share.
#include "osd_window.h"

#include "form_layout.h"
#include "osd.h"
#include "program_folder.h"
#include "runtime_state.h"

int CentredLeft(int width) {
    int left = (Screen->Width() - width) / 2;
    if (left + width > Screen->Width())
        left = Screen->Width() - width;
    return left;
}

void LoadWindowPicture(TImage* picture, const std::string& name) {
    if (name.empty())
        return;
    const std::string path = ProgramFolder() + "Data\\" + name + ".bmp";
    if (!FileExists(path))
        return;
    try {
        picture->Picture.LoadFromFile(path);
    } catch (const Exception&) {
        // A damaged picture file keeps the picture shown before.
    }
}

int FitFontSize(TCustomForm& window, int size, int room) {
    window.Font.Size = size;
    while (size > 1 && window.Canvas.TextHeight("1") > room)
        window.Font.Size = --size;
    return size;
}

void FitTextWidth(TCustomForm& window, const std::string& text, int room) {
    int size = window.Font.Size;
    while (size > 1 && window.Canvas.TextWidth(text) > room)
        window.Font.Size = --size;
}

int CornerRoom(int height) {
    return height / 8;
}

void InstallRegion(HWND window, HRGN& region) {
    if (SetWindowRgn(window, region, TRUE))
        region = nullptr;
}

TOsdWindow::TOsdWindow(TComponent* owner, std::int16_t kind) : TForm(owner), kind_(kind) {}

void TOsdWindow::SetUpWindow(int fontHeight, const char* fontName) {
    BorderStyle = bsNone;
    BorderIcons = TBorderIcons();
    FormStyle = fsStayOnTop;
    AlphaBlend = true;
    Color = clBlack;
    TransparentColor = true;
    Font.Name = fontName;
    Font.Style = TFontStyles{fsBold};
    Font.Color = DefaultWindowColor;
    Font.Height = -fontHeight;
    KeyPreview = true;
    // Only the input window is brought to the front on purpose; the others only show things.
    NoActivate = kind_ != KindInput;
    OnKeyDown = [this](TObject* s, WORD& k, TShiftState& sh) { FormKeyDown(s, k, sh); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
}

void TOsdWindow::WireMouse(TControl* control) {
    auto down = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        FormMouseDown(s, b, sh, x, y);
    };
    auto move = [this](TObject* s, TShiftState sh, int x, int y) { FormMouseMove(s, sh, x, y); };
    auto up = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        FormMouseUp(s, b, sh, x, y);
    };
    OnMouseDown = down;
    OnMouseMove = move;
    OnMouseUp = up;
    control->OnMouseDown = down;
    control->OnMouseMove = move;
    control->OnMouseUp = up;
}

TImage* TOsdWindow::NewPicture(TWinControl* parent, TAlign align) {
    auto* picture = new TImage(this);
    picture->Name = "imMsgpict";
    picture->Parent = parent;
    picture->Align = align;
    picture->Center = true;
    picture->Proportional = true;
    picture->Stretch = true;
    picture->Transparent = true;
    return picture;
}

TLabel* TOsdWindow::NewText(TWinControl* parent) {
    auto* text = new TLabel(this);
    text->Name = "lblMsgtext";
    text->Parent = parent;
    text->Align = alClient;
    text->AutoSize = false;
    return text;
}

void TOsdWindow::WirePictureAndText(TImage* picture, TLabel* text) {
    WireMouse(picture);
    WireMouse(text);
    auto dblClick = [this](TObject* s) { lblMsgtextDblClick(s); };
    text->OnDblClick = dblClick;
    picture->OnDblClick = dblClick;
}

void TOsdWindow::ApplyColours() {
    if (Runtime.Infobackground)
        Color = clBlack;
    else
        Color = Font.Color ^ 0xFFFFFF;
    TransparentColor = Runtime.Infobackground != 0;
}

void TOsdWindow::FormKeyDown(TObject*, WORD& key, TShiftState& shift) {
    if (key == VK_F4 && shift.Contains(ssAlt)) {
        key = 0;
        shift = TShiftState();
    }
}

void TOsdWindow::FormMouseDown(TObject*, TMouseButton button, TShiftState, int x, int y) {
    if (button != mbLeft)
        return;
    Dragging = true;
    DragX = x;
    DragY = y;
}

void TOsdWindow::FormMouseMove(TObject*, TShiftState, int x, int y) {
    if (!Dragging)
        return;
    SetBounds(Left + x - DragX, Top + y - DragY, Width, Height);
    DragMoved();
}

void TOsdWindow::FormMouseUp(TObject*, TMouseButton button, TShiftState, int x, int y) {
    if (button == mbLeft)
        Dragging = false;
    if (x != DragX || y != DragY)
        Tag = 1;
}

void TOsdWindow::lblMsgtextDblClick(TObject*) {
    TFormSlot& slot = Runtime.FormSlots[kind_];
    slot.Hold = 0;
    slot.Countdown = 0;
    AlphaBlendValue = 0;
}

void TOsdWindow::FormClose(TObject*, TCloseAction&) {
    Dragging = false;
    Tag = 0;
}
