// Real mouse and key messages on a form reach the models' events as the toolkit's control
// interface delivers them: to the graphic control under the mouse, in its own coordinates.
#include <presentation_support.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

using wine_test::Pump;

namespace {

struct Fixture {
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    TLabel* label = nullptr;
    TImage* image = nullptr;
    HWND window = nullptr;
    std::vector<std::string> events;

    Fixture() {
        form->BorderStyle = bsNone;
        form->SetBounds(100, 100, 400, 200);
        label = new TLabel(form.get());
        label->Name = "label";
        label->Parent = form.get();
        label->AutoSize = false;
        label->SetBounds(100, 50, 200, 40);
        image = new TImage(form.get());
        image->Name = "image";
        image->Parent = form.get();
        image->SetBounds(0, 0, 50, 50);
        form->Name = "form";
        for (TControl* c : {static_cast<TControl*>(form.get()), static_cast<TControl*>(label),
                            static_cast<TControl*>(image)})
            Log(*c);
        form->Show();
        window = form->Handle();
    }

    void Log(TControl& c) {
        const std::string name = c.Name;
        c.OnMouseDown = [this, name](TObject*, TMouseButton b, TShiftState s, int x, int y) {
            events.push_back(name + " down" + (b == mbRight ? " right " : " ") + std::to_string(x) +
                             "," + std::to_string(y) + (s.Contains(ssDouble) ? " double" : ""));
        };
        c.OnMouseMove = [this, name](TObject*, TShiftState, int x, int y) {
            events.push_back(name + " move " + std::to_string(x) + "," + std::to_string(y));
        };
        c.OnMouseUp = [this, name](TObject*, TMouseButton, TShiftState, int x, int y) {
            events.push_back(name + " up " + std::to_string(x) + "," + std::to_string(y));
        };
        c.OnClick = [this, name](TObject*) { events.push_back(name + " click"); };
        c.OnDblClick = [this, name](TObject*) { events.push_back(name + " dblclick"); };
    }

    void Send(UINT message, WPARAM keys, int x, int y) {
        SendMessageA(window, message, keys, MAKELPARAM(x, y));
    }
};

TEST(MouseInput, AClickGoesToTheGraphicControlUnderTheMouseInItsCoordinates) {
    Fixture f;
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 110, 60);
    f.Send(WM_LBUTTONUP, 0, 110, 60);
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 20, 30);
    f.Send(WM_LBUTTONUP, 0, 20, 30);
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 380, 180);
    f.Send(WM_LBUTTONUP, 0, 380, 180);
    const std::vector<std::string> expected = {
        "label down 10,10",  "label up 10,10",  "label click",
        "image down 20,30",  "image up 20,30",  "image click",
        "form down 380,180", "form up 380,180", "form click"};
    EXPECT_EQ(f.events, expected);
}

TEST(MouseInput, ADoubleClickComesInTheControlInterfacesOrder) {
    Fixture f;
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 150, 70);
    f.Send(WM_LBUTTONUP, 0, 150, 70);
    f.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, 150, 70);
    f.Send(WM_LBUTTONUP, 0, 150, 70);
    const std::vector<std::string> expected = {"label down 50,20", "label up 50,20",
                                               "label click",      "label down 50,20 double",
                                               "label dblclick",   "label up 50,20"};
    EXPECT_EQ(f.events, expected);
}

TEST(MouseInput, ThePressedControlKeepsTheMouseUntilTheButtonComesUp) {
    Fixture f;
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 110, 60);
    f.Send(WM_MOUSEMOVE, MK_LBUTTON, 10, 150);
    f.Send(WM_LBUTTONUP, 0, 10, 150);
    f.Send(WM_MOUSEMOVE, 0, 10, 150);
    const std::vector<std::string> expected = {"label down 10,10", "label move -90,100",
                                               "label up -90,100", "form move 10,150"};
    EXPECT_EQ(f.events, expected) << "released outside: no click";
}

TEST(MouseInput, RightButtonsHiddenAndDisabledControls) {
    Fixture f;
    f.Send(WM_RBUTTONDOWN, MK_RBUTTON, 110, 60);
    f.Send(WM_RBUTTONUP, 0, 110, 60);
    f.label->Visible = false;
    f.image->Enabled = false;
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 110, 60);
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 20, 30);
    const std::vector<std::string> expected = {"label down right 10,10", "label up 10,10",
                                               "form down 110,60", "form down 20,30"};
    EXPECT_EQ(f.events, expected) << "a right click is no click";
}

TEST(MouseInput, DraggingAWindowByItsLabelMovesIt) {
    Fixture f;
    int dragX = 0, dragY = 0;
    bool dragging = false;
    f.label->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
        dragging = true;
        dragX = x;
        dragY = y;
    };
    f.label->OnMouseMove = [&](TObject*, TShiftState, int x, int y) {
        if (dragging)
            f.form->SetBounds(f.form->Left + x - dragX, f.form->Top + y - dragY, f.form->Width,
                              f.form->Height);
    };
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 110, 60);
    f.Send(WM_MOUSEMOVE, MK_LBUTTON, 140, 80);
    RECT r;
    GetWindowRect(f.window, &r);
    EXPECT_EQ(r.left, 130);
    EXPECT_EQ(r.top, 120);
}

TEST(KeyInput, KeysOnTheFormReachItsHandlersAndAltF4ClosesUnlessSwallowed) {
    Fixture f;
    f.form->KeyPreview = true;
    std::vector<std::string> keys;
    bool swallow = true;
    f.form->OnKeyDown = [&](TObject*, WORD& key, TShiftState& shift) {
        keys.push_back(std::to_string(key) + (shift.Contains(ssAlt) ? " alt" : ""));
        if (swallow && key == VK_F4 && shift.Contains(ssAlt))
            key = 0;
    };
    f.form->OnKeyPress = [&](TObject*, char& key) {
        keys.push_back("press " + std::to_string(static_cast<int>(key)));
    };
    SendMessageA(f.window, WM_KEYDOWN, 'A', 0);
    SendMessageA(f.window, WM_CHAR, 'a', 0);
    const LPARAM alt = static_cast<LPARAM>(1u << 29);
    SendMessageA(f.window, WM_SYSKEYDOWN, VK_F4, alt);
    EXPECT_TRUE(f.form->Visible);
    EXPECT_TRUE(IsWindowVisible(f.window));
    swallow = false;
    SendMessageA(f.window, WM_SYSKEYDOWN, VK_F4, alt);
    Pump();
    const std::vector<std::string> expected = {"65", "press 97", "115 alt", "115 alt"};
    EXPECT_EQ(keys, expected);
    EXPECT_FALSE(f.form->Visible);
    EXPECT_FALSE(IsWindowVisible(f.window));
    EXPECT_TRUE(IsWindow(f.window)) << "closed by the form (hidden), not destroyed";
}

TEST(KeyInput, TheRealFocusFollowsTheActiveControl) {
    auto form = std::make_unique<TForm>(nullptr);
    form->BorderStyle = bsNone;
    form->SetBounds(100, 100, 300, 200);
    auto* list = new TListBox(form.get());
    list->Parent = form.get();
    list->SetBounds(0, 0, 100, 100);
    auto* edit = new TMaskEdit(form.get());
    edit->Parent = form.get();
    edit->SetBounds(150, 0, 100, 30);
    form->Show();
    HWND window = form->Handle();
    SetForegroundWindow(window);
    SetActiveWindow(window);
    Pump();
    HWND listWindow = wine_test::ChildOf(window, "LISTBOX");
    HWND editWindow = wine_test::ChildOf(window, "EDIT");
    EXPECT_EQ(form->ActiveControl, list) << "the first that takes the focus";
    SetFocus(window);
    EXPECT_EQ(GetFocus(), listWindow);
    edit->SetFocus();
    EXPECT_EQ(GetFocus(), editWindow);
    SetFocus(listWindow);
    EXPECT_EQ(form->ActiveControl, list) << "the window's focus is the model's";
    // A character typed on the edit's window is the edit's, wherever the focus was.
    SendMessageA(editWindow, WM_CHAR, 'x', 0);
    EXPECT_EQ(edit->Text, "x");
    EXPECT_EQ(form->ActiveControl, edit);
}

TEST(Lifetime, ControlsAddedRemovedAndDeletedWhileTheFormIsShown) {
    auto form = std::make_unique<TForm>(nullptr);
    form->BorderStyle = bsNone;
    form->SetBounds(100, 100, 300, 200);
    form->Show();
    HWND window = form->Handle();
    auto* panel = new TPanel(form.get());
    panel->Parent = form.get();
    auto* list = new TListBox(form.get());
    list->Parent = panel;
    HWND panelWindow = wine_test::ChildOf(window, "TPanel");
    ASSERT_NE(panelWindow, nullptr) << "made when it gets a parent with a window";
    HWND listWindow = wine_test::ChildOf(panelWindow, "LISTBOX");
    ASSERT_NE(listWindow, nullptr);
    list->Parent = form.get();
    EXPECT_FALSE(IsWindow(listWindow)) << "the old window goes with the old parent";
    listWindow = wine_test::ChildOf(window, "LISTBOX");
    ASSERT_NE(listWindow, nullptr);
    delete list;
    EXPECT_FALSE(IsWindow(listWindow));
    panel->Free();
    EXPECT_FALSE(IsWindow(panelWindow));
    form.reset();
    EXPECT_FALSE(IsWindow(window));
}

// Input as the user makes it: through the system's input queue to the window under the mouse
// and to the window with the keyboard focus.
TEST(SystemInput, ARealClickAndRealTypingReachTheLabelAndTheEdit) {
    auto form = std::make_unique<TForm>(nullptr);
    form->BorderStyle = bsNone;
    form->FormStyle = fsStayOnTop;
    form->SetBounds(200, 200, 300, 100);
    auto* label = new TLabel(form.get());
    label->Parent = form.get();
    label->AutoSize = false;
    label->SetBounds(50, 20, 100, 40);
    auto* edit = new TMaskEdit(form.get());
    edit->Parent = form.get();
    edit->SetBounds(180, 20, 100, 30);
    std::vector<std::string> events;
    label->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
        events.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    };
    label->OnClick = [&](TObject*) { events.push_back("click"); };
    form->Show();
    HWND window = form->Handle();
    SetForegroundWindow(window);
    Pump();

    wine_test::SendClick({260, 230});
    Pump(200);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1], "click");
    // The point lies 60, 30 into the form: 10, 10 into the label (the scaling may round by one).
    int x = 0, y = 0;
    ASSERT_EQ(std::sscanf(events[0].c_str(), "down %d,%d", &x, &y), 2);
    EXPECT_NEAR(x, 10, 1);
    EXPECT_NEAR(y, 10, 1);

    edit->SetFocus();
    Pump();
    for (WORD key : {WORD{'4'}, WORD{'2'}})
        wine_test::SendKey(key);
    Pump(200);
    EXPECT_EQ(edit->Text, "42");
    char text[16] = {};
    GetWindowTextA(wine_test::ChildOf(window, "EDIT"), text, sizeof text);
    EXPECT_STREQ(text, "42");
}

} // namespace
