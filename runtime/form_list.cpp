// The list chooser.
#include "form_list.h"

#include "language.h"
#include "osd.h"
#include "runtime_state.h"

TFList* FList = nullptr;

namespace {

// Closes the chooser at the next tick.
void EndChoice(TFList* list) {
    TFormSlot& slot = Runtime.FormSlots[KindList];
    slot.Countdown = 0;
    slot.Hold = 0;
    list->AlphaBlendValue = 0;
}

} // namespace

TFList::TFList(TComponent* owner) : TForm(owner) {
    Name = "FList";
    BorderStyle = bsNone;
    FormStyle = fsStayOnTop;
    AlphaBlend = true;
    Color = clBlack;
    TransparentColor = true;
    Font.Name = "Courier New";
    Font.Style = TFontStyles{fsBold};
    Font.Height = -47;
    Font.Color = 11466791;
    KeyPreview = true;

    lBox = new TListBox(this);
    lBox->Name = "lBox";
    lBox->Parent = this;
    lBox->Align = alClient;
    lBox->BorderStyle = bsNone;
    lBox->Ctl3D = false;
    lBox->BevelKind = bkNone;
    lBox->AutoComplete = false;
    lBox->ItemHeight = 53;
    lBox->ParentColor = true;
    lBox->OnClick = [this](TObject* s) { lBoxClick(s); };
    lBox->OnKeyPress = [this](TObject* s, char& k) { lBoxKeyPress(s, k); };
    lBox->OnDblClick = [this](TObject* s) { lBoxDblClick(s); };

    ApplicationEvents = new TApplicationEvents(this);
    ApplicationEvents->Name = "ApplicationEvents";
    ApplicationEvents->OnDeactivate = [this](TObject* s) { ApplicationEventsDeactivate(s); };

    OnKeyDown = [this](TObject* s, WORD& k, TShiftState& sh) { FormKeyDown(s, k, sh); };
    OnCanResize = [this](TObject* s, int& w, int& h, bool& r) { FormCanResize(s, w, h, r); };
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnDestroy = [this](TObject* s) { FormDestroy(s); };
}

TFList::~TFList() {
    if (FList == this)
        FList = nullptr;
}

void TFList::FormCreate(TObject*) {
    NeedRegion = true;
    Region = nullptr;
}

void TFList::FormDestroy(TObject*) {
    HRGN none1 = nullptr, none2 = nullptr, none3 = nullptr;
    FreeWindowRegion(HandleAllocated() ? Handle() : nullptr, Region, none1, none2, none3);
    if (FList == this)
        FList = nullptr;
}

void TFList::ShowList(const TStringList& list) {
    if (list.Text().empty()) {
        OsdShowText(GetLangText("Msg", "msg_noitems"), "");
        Hide();
        return;
    }
    if (lBox->Items.Text() != list.Text()) {
        NeedRegion = true;
        ClearRegion();
    }
    ClientWidth = static_cast<int>(Screen->Width() * 0.95);
    ClientHeight = static_cast<int>(Screen->Height() * 0.95);
    Left = (Screen->Width() - Width) / 2;
    Font.Size = ClientHeight / 15;
    Font.Color = Runtime.FormSlots[KindList].Color;

    int widest = 0;
    for (const std::string& item : list) {
        const int w = Canvas.TextWidth(item);
        if (w > widest)
            widest = w;
    }
    if (ClientWidth < widest)
        Font.Size = static_cast<int>(static_cast<double>(ClientWidth) / widest * Font.Size);
    // Each row as high as its text, so that no item is cut.
    const int textHeight = Canvas.TextHeight("1");
    lBox->ItemHeight = textHeight;
    if (textHeight * list.Count() < ClientHeight)
        ClientHeight = textHeight * list.Count();
    Top = (Screen->Height() - Height) / 2;

    lBox->Items.Assign(list);
    lBox->ItemIndex = 0;

    if (Runtime.Infobackground) {
        Color = clBlack;
        TransparentColor = true;
    } else {
        Color = Font.Color ^ 0xFFFFFF;
        TransparentColor = false;
    }
    if (NeedRegion)
        MakeRegion(false);
    if (!Visible)
        Show();
}

void TFList::MakeRegion(bool force) {
    if (Runtime.Regions && (!Runtime.Infobackground || force)) {
        TransparentColor = false;
        const int e = lBox->ItemHeight / 2;
        const int W = Width, H = Height;
        HRGN none1 = nullptr, none2 = nullptr, none3 = nullptr;
        FreeWindowRegion(Handle(), Region, none1, none2, none3);
        Region = CreateRoundRectRgn(0, 0, lBox->Items.Count() > 10 ? W - 15 : W, H, e, e);
        InstallRegion(Handle(), Region);
        TransparentColor = Runtime.Alpha != 0;
    }
    NeedRegion = false;
}

void TFList::ClearRegion() {
    SetWindowRgn(Handle(), nullptr, TRUE);
}

void TFList::FormKeyDown(TObject*, WORD& key, TShiftState& shift) {
    if (key == VK_F4 && shift.Contains(ssAlt)) {
        key = 0;
        shift = TShiftState();
    }
}

void TFList::FormCanResize(TObject*, int& newWidth, int& newHeight, bool&) {
    if (newWidth != Width && newHeight != Height)
        NeedRegion = true;
}

void TFList::lBoxClick(TObject*) {
    Runtime.FormSlots[KindList].Countdown = DisplayTime * 10;
    if (!Runtime.NoLayeredWindows && Runtime.Alpha &&
        AlphaBlendValue != (Runtime.Alphavalue & 0xFF))
        AlphaBlendValue = Runtime.Alphavalue & 0xFF;
}

void TFList::lBoxKeyPress(TObject*, char& key) {
    if (key == VK_RETURN) {
        const int index = lBox->ItemIndex;
        if (index >= 0 && index < lBox->Items.Count()) {
            SetField(Runtime.TextBuffer, lBox->Items[index]);
            Runtime.NumberBuffer = static_cast<float>(index);
        }
    }
    if (key == VK_RETURN || key == VK_ESCAPE)
        EndChoice(this);
}

void TFList::lBoxDblClick(TObject*) {
    EndChoice(this);
}

void TFList::ApplicationEventsDeactivate(TObject*) {
    if (FList != this || !Visible)
        return;
    SetForegroundWindow(Handle());
    if (lBox->ItemIndex < 0)
        lBox->ItemIndex = 0;
}
