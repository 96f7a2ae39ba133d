// List boxes and masked edits as real LISTBOX and EDIT windows: the model's state on the window,
// the window's messages through the model's events and typing rules.
#include <presentation_support.h>

#include <gtest/gtest.h>

#include <memory>

using wine_test::Pump;

namespace {

std::unique_ptr<TForm> NewForm() {
    auto form = std::make_unique<TForm>(nullptr);
    form->BorderStyle = bsNone;
    form->SetBounds(100, 100, 400, 300);
    form->Color = clBlack;
    form->Font.Name = "Courier New";
    form->Font.Height = -20;
    form->Font.Color = static_cast<TColor>(11466791);
    return form;
}

std::string ListText(HWND list, int index) {
    char text[256] = {};
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

std::string WindowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

int Caret(HWND edit) {
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

struct ListFixture {
    std::unique_ptr<TForm> form = NewForm();
    TListBox* list = nullptr;
    HWND window = nullptr;
    std::vector<std::string> events;

    ListFixture() {
        list = new TListBox(form.get());
        list->Parent = form.get();
        list->SetBounds(0, 0, 300, 200);
        list->ItemHeight = 30;
        list->Items.Add("one");
        list->Items.Add("\xE4\xE2\xE0"); // "два"
        list->Items.Add("three");
        list->Items.Add("four");
        list->OnClick = [this](TObject*) { events.push_back("click " + Index()); };
        list->OnDblClick = [this](TObject*) { events.push_back("dblclick " + Index()); };
        list->OnMouseDown = [this](TObject*, TMouseButton, TShiftState s, int x, int y) {
            events.push_back("down " + std::to_string(x) + "," + std::to_string(y) +
                             (s.Contains(ssDouble) ? " double" : ""));
        };
        list->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int x, int y) {
            events.push_back("up " + std::to_string(x) + "," + std::to_string(y));
        };
        list->OnKeyPress = [this](TObject*, char& key) {
            events.push_back("press " + std::to_string(static_cast<int>(key)));
        };
        form->Show();
        window = wine_test::ChildOf(form->Handle(), "LISTBOX");
    }
    std::string Index() const { return std::to_string(list->ItemIndex); }
};

TEST(ListBoxWindow, IsARealListBoxWithTheModelsItemsFontAndItemHeight) {
    ListFixture f;
    ASSERT_NE(f.window, nullptr);
    EXPECT_EQ(GetParent(f.window), f.form->Handle());
    EXPECT_EQ(SendMessageA(f.window, LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(ListText(f.window, 1), "\xE4\xE2\xE0");
    EXPECT_EQ(SendMessageA(f.window, LB_GETITEMHEIGHT, 0, 0), 30);
    EXPECT_EQ(SendMessageA(f.window, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_NE(SendMessageA(f.window, WM_GETFONT, 0, 0), 0);

    f.list->Items.Add("five");
    EXPECT_EQ(SendMessageA(f.window, LB_GETCOUNT, 0, 0), 5);
    f.list->Items.Delete(0);
    EXPECT_EQ(ListText(f.window, 0), "\xE4\xE2\xE0");
    f.list->Items.Clear();
    EXPECT_EQ(SendMessageA(f.window, LB_GETCOUNT, 0, 0), 0);
}

TEST(ListBoxWindow, ItemIndexBothWaysWithoutAClick) {
    ListFixture f;
    f.list->ItemIndex = 2;
    EXPECT_EQ(SendMessageA(f.window, LB_GETCURSEL, 0, 0), 2);
    SendMessageA(f.window, LB_SETCURSEL, 1, 0);
    EXPECT_EQ(f.list->ItemIndex, 1);
    f.list->ItemIndex = -1;
    EXPECT_EQ(SendMessageA(f.window, LB_GETCURSEL, 0, 0), LB_ERR);
    f.list->ItemIndex = 3;
    f.list->Items.Delete(3);
    EXPECT_EQ(f.list->ItemIndex, -1);
    EXPECT_EQ(SendMessageA(f.window, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_TRUE(f.events.empty());
}

TEST(ListBoxWindow, ClicksAndDoubleClicksSelectAndFireAsTheControlInterfaceDoes) {
    ListFixture f;
    const LPARAM third = MAKELPARAM(20, 2 * 30 + 5);
    SendMessageA(f.window, WM_LBUTTONDOWN, MK_LBUTTON, third);
    SendMessageA(f.window, WM_LBUTTONUP, 0, third);
    EXPECT_EQ(f.list->ItemIndex, 2);
    EXPECT_EQ(SendMessageA(f.window, LB_GETCURSEL, 0, 0), 2);
    SendMessageA(f.window, WM_LBUTTONDBLCLK, MK_LBUTTON, third);
    SendMessageA(f.window, WM_LBUTTONUP, 0, third);
    const std::vector<std::string> expected = {"down 20,65",        "up 20,65",   "click 2",
                                               "down 20,65 double", "dblclick 2", "up 20,65"};
    EXPECT_EQ(f.events, expected);
}

TEST(ListBoxWindow, KeysGoThroughTheModel) {
    ListFixture f;
    f.list->ItemIndex = 0;
    SendMessageA(f.window, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(f.list->ItemIndex, 1);
    EXPECT_EQ(SendMessageA(f.window, LB_GETCURSEL, 0, 0), 1);
    SendMessageA(f.window, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(SendMessageA(f.window, LB_GETCURSEL, 0, 0), 3);
    SendMessageA(f.window, WM_CHAR, VK_RETURN, 0);
    const std::vector<std::string> expected = {"click 1", "click 3", "press 13"};
    EXPECT_EQ(f.events, expected);

    // A handler that swallows the key keeps the selection where it is.
    f.list->OnKeyDown = [](TObject*, WORD& key, TShiftState&) { key = 0; };
    SendMessageA(f.window, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(f.list->ItemIndex, 3);
    EXPECT_EQ(SendMessageA(f.window, LB_GETCURSEL, 0, 0), 3);
}

TEST(ListBoxWindow, PostedKeysAreTranslatedIntoKeyPresses) {
    ListFixture f;
    PostMessageA(f.window, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(f.window, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0000001u));
    Pump();
    ASSERT_FALSE(f.events.empty());
    EXPECT_EQ(f.events.back(), "press 27");
}

struct EditFixture {
    std::unique_ptr<TForm> form = NewForm();
    TMaskEdit* edit = nullptr;
    HWND window = nullptr;
    int changes = 0;

    EditFixture() {
        edit = new TMaskEdit(form.get());
        edit->Parent = form.get();
        edit->SetBounds(10, 10, 200, 40);
        edit->EditMask = "!90:00;1;_";
        edit->Text = "00:00";
        edit->OnChange = [this](TObject*) { ++changes; };
        form->Show();
        window = wine_test::ChildOf(form->Handle(), "EDIT");
    }
    void Type(const std::string& keys) {
        for (char c : keys)
            SendMessageA(window, WM_CHAR, static_cast<unsigned char>(c), 0);
    }
};

TEST(MaskEditWindow, IsARealEditShowingTheModelsTextAndCaret) {
    EditFixture f;
    ASSERT_NE(f.window, nullptr);
    EXPECT_EQ(GetParent(f.window), f.form->Handle());
    EXPECT_EQ(WindowText(f.window), "00:00");
    EXPECT_EQ(Caret(f.window), 0);
    f.edit->SelStart = 3;
    EXPECT_EQ(Caret(f.window), 3);
    f.edit->Text = "12:34";
    EXPECT_EQ(WindowText(f.window), "12:34");
    f.edit->EditMask = "99:99;0;_";
    f.edit->Text = "";
    EXPECT_EQ(WindowText(f.window), "__:__") << "the blanks and literals of the mask";
}

TEST(MaskEditWindow, TypedCharactersFollowTheMaskInTheModel) {
    EditFixture f;
    f.Type("12x3");
    EXPECT_EQ(f.edit->Text, "12:30") << "the letter is refused, the colon skipped";
    EXPECT_EQ(WindowText(f.window), "12:30");
    EXPECT_EQ(Caret(f.window), 4);
    EXPECT_EQ(f.edit->SelStart, 4);
    SendMessageA(f.window, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(Caret(f.window), 3);
    SendMessageA(f.window, WM_CHAR, VK_BACK, 0);
    EXPECT_EQ(f.edit->Text, "1 :30");
    EXPECT_EQ(WindowText(f.window), "1_:30");
    EXPECT_GE(f.changes, 3);
}

TEST(MaskEditWindow, KeyHandlersFilterAndMoveTheCaretAsTheyDoOnTheHost) {
    EditFixture f;
    // As the input window's filter: digits above 2 refused in the first place, and the caret
    // put back to the start after the last digit.
    f.edit->OnKeyPress = [&](TObject*, char& key) {
        if (f.edit->SelStart == 0 && key > '2')
            key = 0;
        else if (f.edit->SelStart == 5)
            f.edit->SelStart = 0;
    };
    f.Type("3");
    EXPECT_EQ(f.edit->Text, "00:00");
    EXPECT_EQ(Caret(f.window), 0);
    f.Type("2359");
    EXPECT_EQ(f.edit->Text, "23:59");
    EXPECT_EQ(Caret(f.window), 5);
    f.Type("1");
    EXPECT_EQ(f.edit->Text, "13:59");
    EXPECT_EQ(Caret(f.window), 1);

    WORD seen = 0;
    f.edit->OnKeyDown = [&](TObject*, WORD& key, TShiftState&) {
        seen = key;
        key = 0;
    };
    SendMessageA(f.window, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(seen, VK_HOME);
    EXPECT_EQ(Caret(f.window), 1) << "a swallowed key does nothing";
}

TEST(MaskEditWindow, TextAndCaretSetOnTheWindowReachTheModel) {
    EditFixture f;
    const int before = f.changes;
    SetWindowTextA(f.window, "07:30");
    EXPECT_EQ(f.edit->Text, "07:30");
    EXPECT_EQ(f.changes, before + 1);
    SetWindowTextA(f.window, "ab:cd");
    EXPECT_EQ(f.edit->Text, "  :  ") << "the mask refuses letters";
    EXPECT_EQ(WindowText(f.window), "__:__");
    SendMessageA(f.window, EM_SETSEL, 4, 4);
    EXPECT_EQ(f.edit->SelStart, 4);
}

TEST(MaskEditWindow, AClickPlacesTheCaretInTheModel) {
    EditFixture f;
    std::vector<std::string> events;
    f.edit->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int) {
        events.push_back("down " + std::to_string(x));
    };
    f.edit->OnClick = [&](TObject*) { events.push_back("click"); };
    f.edit->SelStart = 3;
    SendMessageA(f.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(190, 10));
    SendMessageA(f.window, WM_LBUTTONUP, 0, MAKELPARAM(190, 10));
    EXPECT_EQ(f.edit->SelStart, 5) << "past the text: at its end";
    SendMessageA(f.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 10));
    SendMessageA(f.window, WM_LBUTTONUP, 0, MAKELPARAM(0, 10));
    EXPECT_EQ(f.edit->SelStart, 0);
    EXPECT_EQ(Caret(f.window), 0);
    const std::vector<std::string> expected = {"down 190", "click", "down 0", "click"};
    EXPECT_EQ(events, expected);
}

TEST(MaskEditWindow, AnEditWithoutAMaskTypesFreely) {
    auto form = NewForm();
    auto* edit = new TMaskEdit(form.get());
    edit->Parent = form.get();
    edit->MaxLength = 4;
    form->Show();
    HWND window = wine_test::ChildOf(form->Handle(), "EDIT");
    for (char c : std::string("ab\xE4\xE2z"))
        SendMessageA(window, WM_CHAR, static_cast<unsigned char>(c), 0);
    EXPECT_EQ(edit->Text, "ab\xE4\xE2") << "up to MaxLength, code page 1251 letters too";
    EXPECT_EQ(WindowText(window), "ab\xE4\xE2");
}

TEST(MaskEditWindow, TheEditShowsItsFontColourOnItsParentsColour) {
    EditFixture f;
    f.edit->ParentColor = true;
    f.edit->Font.Height = -30;
    f.form->Color = static_cast<TColor>(5310424);
    RedrawWindow(f.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Pump();
    const wine_test::Pixels p(f.window);
    EXPECT_GT(p.Count(11466791), 20) << "the text";
    EXPECT_GT(p.Count(5310424), p.Width() * p.Height() / 2) << "the background";
}

} // namespace
