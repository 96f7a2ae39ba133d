// Tests of forms on the desktop: windows, layered attributes, bounds, alignment and key routing.
#include <toolkit.h>

#include <toolkit_fixture.h>
#include <win32sim/desktop.h>
#include <win32sim/modules.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TFInfo : public TForm {
public:
    explicit TFInfo(TComponent* owner) : TForm(owner) {
        Name = "FInfo";
        BorderStyle = bsNone;
        FormStyle = fsStayOnTop;
        Caption = "FInfo";
        imMsgpict = new TImage(this);
        imMsgpict->Parent = this;
        imMsgpict->Align = alLeft;
        imMsgpict->Width = 89;
        lblMsgtext = new TLabel(this);
        lblMsgtext->Parent = this;
        lblMsgtext->AutoSize = false;
        lblMsgtext->Align = alClient;
        ClientWidth = 301;
        ClientHeight = 86;
    }
    const char* ClassName() const override { return "TFInfo"; }
    TImage* imMsgpict;
    TLabel* lblMsgtext;
};

class FormsTest : public ToolkitTest {};

// The user's application keeps the keys: a window that only shows things never takes the
// activation, neither when it shows nor when a dialog in front of it closes.
TEST_F(FormsTest, ANoActivateFormLeavesTheForegroundToTheUsersApplication) {
    win32sim::WindowSpec spec;
    spec.className = "Winamp v1.x";
    const HWND user = win32sim::CreateForeignWindow(spec, 20, 21);
    ASSERT_TRUE(SetForegroundWindow(user));
    auto* shown = new TFInfo(Application);
    shown->NoActivate = true;
    auto* later = new TFInfo(Application);
    later->Handle();
    later->NoActivate = true; // set once its window is there
    for (TFInfo* form : {shown, later}) {
        form->Show();
        EXPECT_TRUE(GetWindowLongA(form->Handle(), GWL_EXSTYLE) & WS_EX_NOACTIVATE);
        EXPECT_EQ(GetForegroundWindow(), user);
    }
    for (bool noActivate : {true, false}) {
        SCOPED_TRACE(noActivate);
        shown->NoActivate = noActivate;
        later->NoActivate = noActivate;
        SetForegroundWindow(user);
        auto* dialog = new TForm(Application);
        TModalResult result = mrNone;
        toolkitsim::At(0, [&] { result = dialog->ShowModal(); });
        toolkitsim::At(50, [&] {
            EXPECT_EQ(GetForegroundWindow(), dialog->Handle());
            dialog->ModalResult = mrOk;
        });
        toolkitsim::RunFor(100);
        EXPECT_EQ(result, mrOk);
        if (noActivate) {
            EXPECT_EQ(GetForegroundWindow(), user);
        } else {
            EXPECT_NE(GetForegroundWindow(), user) << "a window that may be activated took it";
        }
        dialog->Free();
    }
}

TEST_F(FormsTest, FormIsADesktopWindowOfItsClassWithItsCaptionAndBounds) {
    auto* form = new TFInfo(Application);
    form->SetBounds(10, 20, 300, 80);
    EXPECT_FALSE(form->HandleAllocated());
    form->Show();
    auto info = win32sim::Window(form->Handle());
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->className, "TFInfo");
    EXPECT_EQ(info->caption, "FInfo");
    EXPECT_TRUE(info->visible);
    EXPECT_TRUE(info->own);
    EXPECT_TRUE(info->topmost);
    EXPECT_EQ(info->bounds.left, 10);
    EXPECT_EQ(info->bounds.bottom, 100);
    EXPECT_NE(GetForegroundWindow(), form->Handle()); // showing does not take the foreground

    form->Caption = "Other";
    form->Left = 40;
    form->FormStyle = fsNormal;
    form->Hide();
    info = win32sim::Window(form->Handle());
    EXPECT_EQ(info->caption, "Other");
    EXPECT_EQ(info->bounds.left, 40);
    EXPECT_EQ(info->bounds.right, 340);
    EXPECT_FALSE(info->topmost);
    EXPECT_FALSE(info->visible);

    const HWND handle = form->Handle();
    form->Free();
    EXPECT_FALSE(win32sim::Window(handle).has_value());
}

TEST_F(FormsTest, AlphaAndColourKeyReachTheWindow) {
    auto* form = new TFInfo(Application);
    form->Show();
    const HWND h = form->Handle();
    EXPECT_FALSE(win32sim::WindowLayeredAttributes(h).has_value());
    form->AlphaBlend = true;
    form->AlphaBlendValue = 230;
    auto attrs = win32sim::WindowLayeredAttributes(h);
    ASSERT_TRUE(attrs.has_value());
    EXPECT_EQ(attrs->alpha, 230);
    EXPECT_EQ(attrs->flags, DWORD{LWA_ALPHA});
    form->TransparentColor = true;
    attrs = win32sim::WindowLayeredAttributes(h);
    EXPECT_EQ(attrs->flags, DWORD{LWA_ALPHA | LWA_COLORKEY});
    EXPECT_EQ(attrs->colorKey, 0u); // black
    form->AlphaBlendValue = 5;
    EXPECT_EQ(win32sim::WindowLayeredAttributes(h)->alpha, 5);
    form->AlphaBlend = false;
    form->TransparentColor = false;
    EXPECT_FALSE(win32sim::WindowLayeredAttributes(h).has_value());
}

TEST_F(FormsTest, WithoutLayeredWindowsAFormStaysOpaque) {
    // As on a system outside the NT family, whose user32 lacks the function.
    win32sim::RemoveModuleExport("user32.dll", "SetLayeredWindowAttributes");
    auto* form = new TFInfo(Application);
    form->Show();
    const HWND h = form->Handle();
    form->AlphaBlend = true;
    form->AlphaBlendValue = 100;
    form->TransparentColor = true;
    EXPECT_TRUE(form->Visible);
    EXPECT_FALSE(win32sim::WindowLayeredAttributes(h).has_value());
    EXPECT_EQ(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_LAYERED, 0)
        << "a layered window unset is not drawn";
}

TEST_F(FormsTest, AttributesSetBeforeTheWindowExistsAreAppliedWhenItIsMade) {
    auto* form = new TFInfo(Application);
    form->AlphaBlend = true;
    form->AlphaBlendValue = 100;
    form->TransparentColor = true;
    form->TransparentColorValue = clWhite;
    const auto attrs = win32sim::WindowLayeredAttributes(form->Handle());
    ASSERT_TRUE(attrs.has_value());
    EXPECT_EQ(attrs->alpha, 100);
    EXPECT_EQ(attrs->colorKey, 0xFFFFFFu);
}

TEST_F(FormsTest, ClientSizeFrameAndAlignment) {
    auto* form = new TFInfo(Application);
    EXPECT_EQ(form->Width, 301);
    EXPECT_EQ(form->Height, 86);
    EXPECT_EQ(form->imMsgpict->Height, 86);
    EXPECT_EQ(form->imMsgpict->Width, 89);
    EXPECT_EQ(form->lblMsgtext->Left, 89);
    EXPECT_EQ(form->lblMsgtext->Width, 212);
    form->ClientHeight = 40;
    EXPECT_EQ(form->imMsgpict->Height, 40);
    form->imMsgpict->Width = form->imMsgpict->Height;
    EXPECT_EQ(form->lblMsgtext->Left, 40);

    form->BorderStyle = bsDialog;
    form->ClientWidth = 363;
    form->ClientHeight = 391;
    EXPECT_EQ(form->Width, 369);
    EXPECT_EQ(form->Height, 416);
}

TEST_F(FormsTest, ConstraintsAndCanResize) {
    auto* form = new TFInfo(Application);
    form->Constraints.MinHeight = 12;
    form->Constraints.MaxHeight = 150;
    form->Height = 5;
    EXPECT_EQ(form->Height, 12);
    form->Height = 400;
    EXPECT_EQ(form->Height, 150);

    int calls = 0;
    form->OnCanResize = [&](TObject*, int& w, int&, bool& resize) {
        ++calls;
        if (w == 999)
            resize = false;
    };
    form->Left = 3; // a move alone asks nothing
    EXPECT_EQ(calls, 0);
    form->Width = 999;
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(form->Width, 301);
    form->Width = 500;
    EXPECT_EQ(form->Width, 500);
}

TEST_F(FormsTest, ControlsFollowTheFormsFontUntilTheirOwnIsSet) {
    auto* form = new TFInfo(Application);
    form->Font.Name = "Arial";
    form->Font.Color = 11466791;
    form->Font.Height = -80;
    EXPECT_EQ(form->lblMsgtext->Font.Color, 11466791);
    EXPECT_EQ(form->lblMsgtext->Font.Name, "Arial");
    EXPECT_EQ(form->Canvas.Font.Height, -80);
    form->lblMsgtext->Font.Color = clRed;
    EXPECT_FALSE(form->lblMsgtext->ParentFont);
    form->Font.Color = clBlue;
    EXPECT_EQ(form->lblMsgtext->Font.Color, clRed);
}

TEST_F(FormsTest, AWatchSeesEachTextAndEachShowingAsItHappens) {
    auto* form = new TForm(Application);
    form->Name = "form";
    auto* label = new TLabel(form);
    label->Name = "label";
    label->Parent = form;
    auto* other = new TLabel(form);
    other->Parent = form;
    std::vector<std::string> seen;
    toolkitsim::WatchControls([&](TControl& c) {
        seen.push_back(c.Name + (form->Visible ? " on screen: " : " hidden: ") +
                       std::string(label->Caption));
        other->Caption = c.Name; // not watched from within the watch
    });
    label->Caption = "Music";
    form->Show();
    label->Caption = "Player";
    label->Caption = "Player"; // no change
    form->Hide();
    toolkitsim::WatchControls(nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"label hidden: Music", "form on screen: Music",
                                              "label on screen: Player", "form hidden: Player"}));
}

TEST_F(FormsTest, ControlsFollowTheirParentsColourWhileParentColorIsSet) {
    auto* form = new TForm(Application);
    form->Color = clMaroon;
    auto* panel = new TPanel(form);
    panel->Parent = form;
    auto* label = new TLabel(form);
    label->Parent = panel;
    auto* list = new TListBox(form);
    list->Parent = form;
    EXPECT_FALSE(panel->ParentColor) << "a panel has a colour of its own";
    EXPECT_EQ(panel->Color, clBtnFace);
    EXPECT_TRUE(label->ParentColor);
    EXPECT_EQ(label->Color, clBtnFace) << "the label takes its panel's";
    EXPECT_FALSE(list->ParentColor);
    EXPECT_EQ(list->Color, clWindow);

    panel->ParentColor = true;
    EXPECT_EQ(panel->Color, clMaroon);
    EXPECT_EQ(label->Color, clMaroon) << "through the panel";
    form->Color = clNavy;
    EXPECT_EQ(label->Color, clNavy);
    EXPECT_EQ(list->Color, clWindow);

    label->Color = clYellow;
    EXPECT_FALSE(label->ParentColor) << "an own colour ends the following";
    form->Color = clTeal;
    EXPECT_EQ(panel->Color, clTeal);
    EXPECT_EQ(label->Color, clYellow);
    label->ParentColor = true;
    EXPECT_EQ(label->Color, clTeal);
}

TEST_F(FormsTest, FontSizeAndHeightFollowPixelsPerInch) {
    TFont font;
    font.Size = 8;
    EXPECT_EQ(font.Height, -11);
    Screen->PixelsPerInch = 120;
    font.Size = 10;
    EXPECT_EQ(font.Height, -17);
    EXPECT_EQ(font.Size, 10);
}

TEST_F(FormsTest, TextMetricsGrowWithTheFont) {
    TCanvas canvas;
    canvas.Font.Height = -80;
    const int w1 = canvas.TextWidth("1");
    EXPECT_GT(w1, 0);
    EXPECT_EQ(canvas.TextWidth("12:34"), 5 * w1);
    EXPECT_EQ(canvas.TextWidth(""), 0);
    EXPECT_GE(canvas.TextHeight("1"), 80);
    canvas.Font.Style = {fsBold};
    EXPECT_GT(canvas.TextWidth("1"), w1);
    canvas.Font.Height = -40;
    EXPECT_LT(canvas.TextHeight("1"), 80);
}

TEST_F(FormsTest, ScreenSizeIsTheDesktops) {
    toolkitsim::SetScreen(800, 600, 120);
    EXPECT_EQ(Screen->Width(), 800);
    EXPECT_EQ(Screen->Height, 600);
    EXPECT_EQ(Screen->PixelsPerInch, 120);
}

// A list chooser's shape: the list box has the focus, the form previews keys.
class TFList : public TForm {
public:
    explicit TFList(TComponent* owner) : TForm(owner) {
        BorderStyle = bsNone;
        KeyPreview = true;
        lBox = new TListBox(this);
        lBox->Parent = this;
        lBox->Align = alClient;
        lBox->ItemHeight = 53;
        ClientWidth = 400;
        ClientHeight = 300;
    }
    const char* ClassName() const override { return "TFList"; }
    TListBox* lBox;
};

TEST_F(FormsTest, SynthesisedAltF4ClosesTheFormUnlessItsHandlerSwallowsIt) {
    for (bool swallow : {true, false}) {
        SCOPED_TRACE(swallow);
        auto* form = new TFList(Application);
        form->OnKeyDown = [swallow](TObject*, WORD& key, TShiftState& shift) {
            if (swallow && key == VK_F4 && shift.Contains(ssAlt)) {
                key = 0;
                shift = TShiftState();
            }
        };
        bool listSawIt = false;
        form->lBox->OnKeyDown = [&](TObject*, WORD& key, TShiftState&) {
            listSawIt = listSawIt || key == VK_F4;
        };
        form->Show();
        SetForegroundWindow(form->Handle());
        keybd_event(VK_MENU, 0, 0, 0);
        keybd_event(VK_F4, 0, 0, 0);
        keybd_event(VK_F4, 0, KEYEVENTF_KEYUP, 0);
        keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
        toolkitsim::RunFor(10);
        EXPECT_EQ(form->Visible, swallow);
        EXPECT_EQ(listSawIt, !swallow);
        form->Free();
    }
}

TEST_F(FormsTest, ListBoxMovesWithUpAndDownAndGetsEnterAsKeyPress) {
    auto* form = new TFList(Application);
    TListBox* box = form->lBox;
    for (const char* item : {"one", "two", "three"})
        box->Items.Add(item);
    box->ItemIndex = 0;
    int clicks = 0;
    std::string pressed;
    box->OnClick = [&](TObject*) { ++clicks; };
    box->OnKeyPress = [&](TObject*, char& key) { pressed += key; };
    form->Show();
    SetForegroundWindow(form->Handle());
    for (BYTE key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_UP, VK_RETURN, VK_ESCAPE}) {
        keybd_event(key, 0, 0, 0);
        keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    }
    toolkitsim::RunFor(10);
    EXPECT_EQ(box->ItemIndex, 1);
    EXPECT_EQ(clicks, 3); // the third Down went nowhere
    EXPECT_EQ(pressed, "\r\x1b");
}

TEST_F(FormsTest, ListBoxSelectionFollowsItsItem) {
    TListBox box(nullptr);
    box.Items.Add("a");
    box.Items.Add("b");
    box.Items.Add("c");
    box.ItemIndex = 1;
    box.Items.Add("d");
    EXPECT_EQ(box.ItemIndex, 1);
    box.Items.Delete(2);
    EXPECT_EQ(box.ItemIndex, 1);
    box.Items.Delete(1);
    EXPECT_EQ(box.ItemIndex, -1);
    box.ItemIndex = 7;
    EXPECT_EQ(box.ItemIndex, -1);
    box.ItemIndex = 0;
    box.Items.Clear();
    box.Items.Add("a");
    EXPECT_EQ(box.ItemIndex, -1);
}

TEST_F(FormsTest, MouseEventsReachTheControlsHandlersAndErrorsAreShown) {
    auto* form = new TFInfo(Application);
    std::string seen;
    form->lblMsgtext->OnMouseDown = [&](TObject* s, TMouseButton b, TShiftState, int x, int y) {
        seen += (s == form->lblMsgtext ? "down" : "?") + std::to_string(b) + ":" +
                std::to_string(x) + "," + std::to_string(y) + " ";
    };
    form->lblMsgtext->OnMouseMove = [&](TObject*, TShiftState, int x, int) {
        seen += "move" + std::to_string(x) + " ";
    };
    form->lblMsgtext->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) {
        seen += "up ";
    };
    form->lblMsgtext->OnDblClick = [](TObject*) { throw EConvertError("bad"); };
    toolkitsim::MouseDown(*form->lblMsgtext, mbLeft, 5, 6);
    toolkitsim::MouseMove(*form->lblMsgtext, 9, 6);
    toolkitsim::MouseUp(*form->lblMsgtext, mbLeft, 9, 6);
    EXPECT_EQ(seen, "down0:5,6 move9 up ");
    toolkitsim::DblClick(*form->lblMsgtext);
    ASSERT_EQ(toolkitsim::Boxes().size(), 1u);
    EXPECT_EQ(toolkitsim::Boxes()[0].text, "bad");
}

TEST_F(FormsTest, TrayIconPopsItsMenuUpOnRightButtonRelease) {
    auto* form = new TForm(Application);
    auto* menu = new TPopupMenu(form);
    menu->Name = "PopupMenu";
    auto* help = new TMenuItem(form);
    help->Name = "NHelp";
    auto* exit = new TMenuItem(form);
    exit->Name = "NExit";
    exit->Default = true;
    menu->Items()->Add(help);
    menu->Items()->Add(exit);
    int exits = 0;
    exit->OnClick = [&](TObject* s) { exits += s == exit; };
    auto* tray = new TTrayIcon(form);
    tray->Visible = true;
    tray->Hint = "Tavrin RC";
    tray->RestoreOn = imNone;
    tray->PopupMenuOn = imRightClickUp;
    tray->PopupMenu = menu;

    toolkitsim::QueueMenuPick("NExit");
    toolkitsim::TrayMouse(*tray, mbRight, tmDown);
    toolkitsim::TrayMouse(*tray, mbLeft, tmUp);
    EXPECT_TRUE(toolkitsim::Popups().empty());
    toolkitsim::TrayMouse(*tray, mbRight, tmUp);
    EXPECT_EQ(exits, 1);
    toolkitsim::TrayMouse(*tray, mbRight, tmUp); // no pick: closed without a choice
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(toolkitsim::Popups(), (std::vector<std::string>{"PopupMenu", "PopupMenu"}));
    tray->Visible = false;
    toolkitsim::TrayMouse(*tray, mbRight, tmUp);
    EXPECT_EQ(toolkitsim::Popups().size(), 2u);
}

TEST_F(FormsTest, HintChangesReachApplicationEvents) {
    auto* form = new TForm(Application);
    auto* events = new TApplicationEvents(form);
    std::vector<std::string> hints;
    events->OnHint = [&](TObject*) { hints.push_back(Application->Hint); };
    auto* label = new TLabel(form);
    label->Parent = form;
    label->Hint = "hint_output";
    toolkitsim::MouseMove(*label, 1, 1);
    toolkitsim::MouseMove(*label, 2, 1);
    EXPECT_EQ(hints, (std::vector<std::string>{"hint_output"}));
}

} // namespace
