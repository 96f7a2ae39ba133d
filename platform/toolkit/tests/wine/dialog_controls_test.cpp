// The settings dialog's controls as real windows: BUTTON, COMBOBOX, msctls_trackbar32,
// msctls_statusbar32, SysTabControl32 and painted grids show their models, and what the user does
// on them (a click, a pick, a drag, a tab) reaches the models' events once.
#include <presentation_support.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using wine_test::Pump;

namespace {

struct Fixture {
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    std::vector<std::string> events;

    Fixture() {
        form->BorderStyle = bsNone;
        form->SetBounds(50, 50, 640, 480);
    }
    template <typename T>
    T* Add(const char* name, TWinControl* parent, int l, int t, int w, int h) {
        auto* c = new T(form.get());
        c->Name = name;
        c->Parent = parent;
        c->SetBounds(l, t, w, h);
        return c;
    }
    TNotifyEvent Log(const std::string& what) {
        return [this, what](TObject*) { events.push_back(what); };
    }
    HWND Child(const char* windowClass) { return wine_test::ChildOf(form->Handle(), windowClass); }
};

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The BUTTON window with that text among the children of the parent.
HWND ButtonOf(HWND parent, const char* text) {
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (wine_test::ClassOf(w) == "Button" || wine_test::ClassOf(w) == "BUTTON")
            if (TextOf(w) == text)
                return w;
    return nullptr;
}

TEST(ButtonWindows, ClicksReachTheModelsOnceAndShowTheirChecks) {
    Fixture f;
    auto* ok = f.Add<TButton>("btnOk", f.form.get(), 10, 10, 75, 25);
    ok->Caption = "OK";
    ok->Default = true;
    ok->ModalResult = mrOk;
    ok->OnClick = f.Log("ok");
    auto* box = f.Add<TCheckBox>("chbAlpha", f.form.get(), 10, 50, 120, 20);
    box->Caption = "Alpha";
    box->OnClick = f.Log("alpha");
    auto* r1 = f.Add<TRadioButton>("rb1", f.form.get(), 10, 80, 120, 20);
    r1->Caption = "One";
    auto* r2 = f.Add<TRadioButton>("rb2", f.form.get(), 10, 100, 120, 20);
    r2->Caption = "Two";
    r2->OnClick = f.Log("two");
    f.form->Show();

    HWND okWindow = ButtonOf(f.form->Handle(), "OK");
    HWND boxWindow = ButtonOf(f.form->Handle(), "Alpha");
    HWND r1Window = ButtonOf(f.form->Handle(), "One");
    HWND r2Window = ButtonOf(f.form->Handle(), "Two");
    ASSERT_NE(okWindow, nullptr);
    ASSERT_NE(boxWindow, nullptr);
    ASSERT_NE(r2Window, nullptr);
    EXPECT_EQ(GetWindowLongA(okWindow, GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);

    SendMessageA(okWindow, BM_CLICK, 0, 0);
    EXPECT_EQ(f.form->ModalResult, mrOk);
    box->Checked = true;
    EXPECT_EQ(SendMessageA(boxWindow, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(boxWindow, BM_CLICK, 0, 0);
    EXPECT_FALSE(box->Checked);
    EXPECT_EQ(SendMessageA(boxWindow, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    r1->Checked = true;
    SendMessageA(r2Window, BM_CLICK, 0, 0);
    EXPECT_TRUE(r2->Checked);
    EXPECT_EQ(SendMessageA(r1Window, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(r2Window, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(f.events, (std::vector<std::string>{"ok", "alpha", "alpha", "two"}));
}

TEST(ComboBoxWindow, ShowsItemsAndSelectionAndHandsAPickToTheModel) {
    Fixture f;
    auto* combo = f.Add<TComboBox>("cmbCommand", f.form.get(), 10, 10, 200, 21);
    combo->Style = csDropDownList;
    combo->Items.SetText("System\r\nWinamp\r\nWinDVD\r\n");
    combo->OnClick = f.Log("click");
    combo->OnChange = f.Log("change");
    f.form->Show();
    HWND window = f.Child("ComboBox");
    if (!window)
        window = f.Child("COMBOBOX");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageA(window, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    combo->ItemIndex = 1;
    EXPECT_EQ(SendMessageA(window, CB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(f.events.empty()) << "code fires nothing";

    // The user's pick in the list: the selection moves and the combo tells its parent.
    SendMessageA(window, CB_SETCURSEL, 2, 0);
    SendMessageA(f.form->Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(window));
    EXPECT_EQ(combo->ItemIndex, 2);
    EXPECT_EQ(combo->Text(), "WinDVD");
    EXPECT_EQ(f.events, (std::vector<std::string>{"click", "change"}));

    combo->Items.Delete(0);
    EXPECT_EQ(SendMessageA(window, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(window, CB_GETCURSEL, 0, 0), CB_ERR) << "the selected item moved";
    combo->ItemIndex = 1;
    combo->Style = csDropDown;
    HWND again = f.Child("ComboBox");
    if (!again)
        again = f.Child("COMBOBOX");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GetWindowLongA(again, GWL_STYLE) & 3, CBS_DROPDOWN);
    EXPECT_EQ(SendMessageA(again, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(TextOf(again), "WinDVD");
}

TEST(TrackBarWindow, FollowsThePositionAndHandsADragToTheModel) {
    Fixture f;
    auto* bar = f.Add<TTrackBar>("trbAlpha", f.form.get(), 10, 10, 200, 40);
    bar->Min = 50;
    bar->Max = 255;
    bar->Position = 220;
    std::vector<int> seen;
    bar->OnChange = [&](TObject*) { seen.push_back(bar->Position); };
    f.form->Show();
    HWND window = f.Child("msctls_trackbar32");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageA(window, TBM_GETRANGEMIN, 0, 0), 50);
    EXPECT_EQ(SendMessageA(window, TBM_GETRANGEMAX, 0, 0), 255);
    EXPECT_EQ(SendMessageA(window, TBM_GETPOS, 0, 0), 220);
    bar->Position = 100;
    EXPECT_EQ(SendMessageA(window, TBM_GETPOS, 0, 0), 100);
    // A drag: the thumb moves and the bar tells its parent.
    SendMessageA(window, TBM_SETPOS, TRUE, 180);
    SendMessageA(f.form->Handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 180),
                 reinterpret_cast<LPARAM>(window));
    EXPECT_EQ(bar->Position, 180);
    SendMessageA(window, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(bar->Position, 255);
    EXPECT_EQ(SendMessageA(window, TBM_GETPOS, 0, 0), 255);
    EXPECT_EQ(seen, (std::vector<int>{100, 180, 255}));
}

TEST(StatusBarWindow, ShowsTheSimpleTextOrThePanels) {
    Fixture f;
    auto* bar = new TStatusBar(f.form.get());
    bar->Parent = f.form.get();
    bar->Panels.Add()->Text = "one";
    bar->Panels.Add()->Text = "two";
    f.form->Show();
    HWND window = f.Child("msctls_statusbar32");
    ASSERT_NE(window, nullptr);
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.bottom - r.top, bar->Height());
    EXPECT_EQ(SendMessageA(window, SB_GETPARTS, 0, 0), 2);
    char text[64] = {};
    SendMessageA(window, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "two");
    bar->SimplePanel = true;
    bar->SimpleText = "Save and close";
    EXPECT_TRUE(SendMessageA(window, SB_ISSIMPLE, 0, 0));
    SendMessageA(window, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Save and close");
}

TEST(PageControlWindow, TabsAreTheVisibleSheetsAndATabClickReachesTheModel) {
    Fixture f;
    auto* pages = f.Add<TPageControl>("pcConfig", f.form.get(), 0, 0, 600, 400);
    pages->OnChange = f.Log("change");
    std::vector<TTabSheet*> sheets;
    for (const char* caption : {"Output", "Codes", "Applications"}) {
        auto* sheet = new TTabSheet(f.form.get());
        sheet->Caption = caption;
        sheet->PageControl = pages;
        sheets.push_back(sheet);
    }
    f.form->Show();
    HWND tabs = f.Child("SysTabControl32");
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
    sheets[1]->TabVisible = false;
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
    char text[64] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tabs, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, "Applications");

    HWND first = wine_test::ChildOf(tabs, "TTabSheet");
    ASSERT_NE(first, nullptr);
    // A click on the second tab: the control selects it and tells its parent.
    SendMessageA(tabs, TCM_SETCURSEL, 1, 0);
    NMHDR header{tabs, 0, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(f.form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
    EXPECT_EQ(f.events, std::vector<std::string>{"change"});
    int visible = 0;
    for (HWND w = GetWindow(tabs, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (wine_test::ClassOf(w) == "TTabSheet" && IsWindowVisible(w))
            ++visible;
    EXPECT_EQ(visible, 1) << "the active sheet alone shows";
    pages->ActivePageIndex = 0;
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);
}

TEST(GridWindow, PaintsTheCellsAndAClickMakesACellCurrent) {
    Fixture f;
    auto* grid = f.Add<TStringGrid>("stgAppl", f.form.get(), 0, 0, 400, 200);
    grid->SetColCount(3);
    grid->SetRowCount(4);
    grid->Options << goRowSelect;
    grid->Cells(0, 1) = "System";
    f.form->Show();
    HWND window = f.Child("TStringGrid");
    ASSERT_NE(window, nullptr);
    const RECT cell = grid->CellRect(1, 2);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cell.left + 5, cell.top + 5));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(cell.left + 5, cell.top + 5));
    EXPECT_EQ(grid->Row, 2);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();
    wine_test::Pixels pixels(window);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const RECT row2{0, cell.top + 1, 3 * 65 - 2, cell.bottom - 1};
    EXPECT_GT(pixels.Count(highlight, row2),
              (row2.right - row2.left) * (row2.bottom - row2.top) / 2)
        << "the selected row is painted in the highlight colour";
    const RECT row1 = grid->CellRect(1, 1);
    EXPECT_EQ(pixels.Count(highlight, row1), 0);
}

TEST(GridWindow, TheInPlaceEditorHandsItsTextToTheModelOnEnterAndDropsItOnEscape) {
    Fixture f;
    auto* grid = f.Add<TStringGrid>("stgCommand", f.form.get(), 0, 0, 400, 200);
    grid->SetColCount(3);
    grid->SetRowCount(3);
    grid->Options << goEditing;
    grid->Cells(1, 1) = "KEY";
    std::vector<std::string> edits;
    grid->OnSetEditText = [&](TObject*, int col, int row, const std::string& text) {
        edits.push_back(std::to_string(col) + "," + std::to_string(row) + "=" + text);
    };
    f.form->Show();
    HWND window = f.Child("TStringGrid");
    ASSERT_NE(window, nullptr);
    const RECT cell = grid->CellRect(1, 1);
    const LPARAM at = MAKELPARAM(cell.left + 5, cell.top + 5);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(window, WM_LBUTTONUP, 0, at);
    SendMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageA(window, WM_LBUTTONUP, 0, at);
    HWND editor = wine_test::ChildOf(window, "Edit");
    if (!editor)
        editor = wine_test::ChildOf(window, "EDIT");
    ASSERT_NE(editor, nullptr) << "a double click opens the editor";
    EXPECT_EQ(TextOf(editor), "KEY");
    SendMessageA(editor, EM_SETSEL, 3, 3);
    for (char c : std::string("_DOWN"))
        SendMessageA(editor, WM_CHAR, static_cast<unsigned char>(c), 0);
    EXPECT_EQ(grid->Cells(1, 1), "KEY") << "nothing reaches the cell while the editor is open";
    SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    EXPECT_EQ(grid->Cells(1, 1), "KEY_DOWN");
    EXPECT_EQ(edits, std::vector<std::string>{"1,1=KEY_DOWN"});
    EXPECT_FALSE(IsWindow(editor)) << "the editor is gone";

    // A character typed on the grid opens the editor with it; Esc drops the edit.
    SendMessageA(window, WM_CHAR, 'x', 0);
    editor = wine_test::ChildOf(window, "Edit");
    if (!editor)
        editor = wine_test::ChildOf(window, "EDIT");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(TextOf(editor), "x");
    SendMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_EQ(grid->Cells(1, 1), "KEY_DOWN");
    EXPECT_EQ(edits.size(), 1u);

    // The title row is fixed: no editor opens there.
    const RECT title = grid->CellRect(1, 0);
    SendMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(title.left + 5, title.top + 5));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(title.left + 5, title.top + 5));
    EXPECT_EQ(grid->Row, 1);
    EXPECT_EQ(wine_test::ChildOf(window, "Edit"), nullptr);
    EXPECT_EQ(wine_test::ChildOf(window, "EDIT"), nullptr);
}

TEST(ComboBoxWindow, TypingIntoTheEditPartGoesThroughTheModel) {
    Fixture f;
    auto* combo = f.Add<TComboBox>("cmbParam", f.form.get(), 10, 10, 200, 21);
    combo->Items.SetText("Winamp\r\nWinDVD\r\n");
    combo->MaxLength = 6;
    std::string pressed;
    combo->OnKeyPress = [&](TObject*, char& key) { pressed += key; };
    combo->OnChange = f.Log("change");
    f.form->Show();
    HWND window = f.Child("ComboBox");
    if (!window)
        window = f.Child("COMBOBOX");
    ASSERT_NE(window, nullptr);
    HWND edit = GetWindow(window, GW_CHILD);
    ASSERT_NE(edit, nullptr);
    for (char c : std::string("Winamp!"))
        SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
    EXPECT_EQ(pressed, "Winamp!");
    EXPECT_EQ(combo->Text(), "Winamp") << "MaxLength holds";
    EXPECT_EQ(combo->ItemIndex, 0);
    EXPECT_EQ(TextOf(window), "Winamp");
    EXPECT_EQ(f.events.size(), 6u);
}

// Acts on the window the program opened, from a timer inside its modal loop.
std::function<void()>& TimerAction() {
    static std::function<void()> action;
    return action;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (TimerAction())
        TimerAction()();
}

TEST(InputBoxWindow, IsAFormOfRealControlsThatTheUserTypesIntoAndConfirms) {
    TimerAction() = [] {
        HWND box = GetActiveWindow();
        HWND edit = wine_test::ChildOf(box, "EDIT");
        if (!edit)
            return;
        SendMessageA(edit, WM_KEYDOWN, VK_END, 0);
        for (char c : std::string("Up"))
            SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
        SendMessageA(ButtonOf(box, "OK"), BM_CLICK, 0, 0);
    };
    SetTimer(nullptr, 0, 200, OnTimer);
    EXPECT_EQ(InputBox("New button", "Name:", "Vol"), "VolUp");
    TimerAction() = [] { SendMessageA(ButtonOf(GetActiveWindow(), "Cancel"), BM_CLICK, 0, 0); };
    SetTimer(nullptr, 0, 200, OnTimer);
    EXPECT_EQ(InputBox("New button", "Name:", "Vol"), "Vol");
    TimerAction() = nullptr;
}

// Typed for real: the edit takes neither Enter nor Esc, so they are the box's OK and Cancel.
TEST(InputBoxWindow, EnterConfirmsAndEscCancelsWithRealKeys) {
    struct Case {
        WORD key;
        const char* result;
    };
    for (const Case& c : {Case{VK_RETURN, "Vola"}, Case{VK_ESCAPE, "Vol"}}) {
        SCOPED_TRACE(c.key);
        TimerAction() = [key = c.key] {
            HWND box = GetActiveWindow();
            HWND edit = wine_test::ChildOf(box, "EDIT");
            if (!edit)
                return;
            SetForegroundWindow(box);
            SetFocus(edit);
            wine_test::SendKey(VK_END);
            wine_test::SendKey('A');
            wine_test::SendKey(key);
        };
        SetTimer(nullptr, 0, 300, OnTimer);
        // A box the key did not close is cancelled, so that the test goes on.
        static bool stuck;
        stuck = false;
        const UINT_PTR rescue = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) {
            if (HWND cancel = ButtonOf(GetActiveWindow(), "Cancel")) {
                stuck = true;
                SendMessageA(cancel, BM_CLICK, 0, 0);
            }
        });
        EXPECT_EQ(InputBox("New button", "Name:", "Vol"), c.result);
        KillTimer(nullptr, rescue);
        EXPECT_FALSE(stuck) << "the key did not close the box";
    }
    TimerAction() = nullptr;
}

TEST(CommonDialogs, TheSystemsColourAndOpenDialogsAnswer) {
    // The system's dialog is the active window of the thread while it is open.
    auto answer = [](WORD id) {
        TimerAction() = [id] {
            HWND dialog = GetActiveWindow();
            if (wine_test::ClassOf(dialog) == "#32770")
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        };
        SetTimer(nullptr, 0, 500, OnTimer);
    };
    TColorDialog colour(nullptr);
    colour.Color = static_cast<TColor>(0x00A0B0C0);
    answer(IDOK);
    ASSERT_TRUE(colour.Execute());
    EXPECT_EQ(colour.Color, static_cast<TColor>(0x00A0B0C0)) << "OK keeps the colour it opened on";
    answer(IDCANCEL);
    EXPECT_FALSE(colour.Execute());

    TOpenDialog open(nullptr);
    open.Title = "Add application";
    open.Filter = "Programs|*.exe|All files|*.*";
    answer(IDCANCEL);
    EXPECT_FALSE(open.Execute());
    EXPECT_EQ(open.FileName, "");
    TimerAction() = nullptr;
}

} // namespace
