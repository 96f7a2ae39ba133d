// Tests of the combo box: both styles, the selection's text, the user's picks and typing.
#include <toolkit.h>

#include <toolkit_fixture.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ComboBoxTest : public ToolkitTest {
protected:
    TComboBox* Combo(TComboBoxStyle style) {
        auto* form = new TForm(Application);
        auto* combo = new TComboBox(form);
        combo->Name = "cmbCommand";
        combo->Parent = form;
        combo->Style = style;
        combo->Items.SetText("System\r\nWinamp\r\nWinDVD\r\n");
        combo->OnChange = [this](TObject*) { ++changes_; };
        combo->OnClick = [this](TObject*) { ++clicks_; };
        form->Show();
        return combo;
    }
    int changes_ = 0;
    int clicks_ = 0;
};

TEST_F(ComboBoxTest, TextFollowsTheSelectionInCode) {
    struct Case {
        TComboBoxStyle style;
        const char* label;
    };
    for (const Case& c : {Case{csDropDownList, "list"}, Case{csDropDown, "edit"}}) {
        SCOPED_TRACE(c.label);
        TComboBox* combo = Combo(c.style);
        EXPECT_STREQ(combo->ClassName(), "TComboBox");
        EXPECT_EQ(combo->Color, clWindow) << "a colour of its own, not the form's";
        EXPECT_EQ(combo->ItemIndex, -1);
        EXPECT_EQ(combo->Text(), "");
        combo->ItemIndex = 1;
        EXPECT_EQ(combo->Text(), "Winamp");
        combo->ItemIndex = 7;
        EXPECT_EQ(combo->ItemIndex, -1) << "out of range selects nothing";
        EXPECT_EQ(combo->Text(), "");
        combo->Text = "WinDVD";
        EXPECT_EQ(combo->ItemIndex, 2);
        EXPECT_EQ(changes_ + clicks_, 0);
    }
}

TEST_F(ComboBoxTest, TextThatIsNoItem) {
    TComboBox* list = Combo(csDropDownList);
    list->ItemIndex = 0;
    list->Text = "winamp";
    EXPECT_EQ(list->ItemIndex, 1) << "a list finds its item without regard to case";
    list->Text = "Nothing";
    EXPECT_EQ(list->ItemIndex, 1) << "a list keeps its selection for a text it does not hold";
    EXPECT_EQ(list->Text(), "Winamp");

    TComboBox* edit = Combo(csDropDown);
    edit->ItemIndex = 0;
    edit->Text = "Something else";
    EXPECT_EQ(edit->ItemIndex, -1);
    EXPECT_EQ(edit->Text(), "Something else");
}

TEST_F(ComboBoxTest, ItemsChangingAroundTheSelectionKeepItAndItsGoingDropsIt) {
    TComboBox* list = Combo(csDropDownList);
    list->ItemIndex = 1;
    list->Items.Add("Other");
    EXPECT_EQ(list->ItemIndex, 1);
    list->Items.Clear();
    list->Items.Add("System");
    EXPECT_EQ(list->ItemIndex, -1);
    EXPECT_EQ(list->Text(), "") << "a list without selection shows nothing";

    TComboBox* edit = Combo(csDropDown);
    edit->ItemIndex = 2;
    edit->Items.Delete(2);
    EXPECT_EQ(edit->ItemIndex, -1);
    EXPECT_EQ(edit->Text(), "WinDVD") << "an edit keeps what it shows";
    EXPECT_EQ(changes_, 0);
}

TEST_F(ComboBoxTest, UserPicksFireClickThenChangeEvenForTheSameItem) {
    TComboBox* combo = Combo(csDropDownList);
    std::string order;
    combo->OnClick = [&](TObject*) { order += "click(" + combo->Text() + ") "; };
    combo->OnChange = [&](TObject*) { order += "change(" + combo->Text() + ") "; };
    toolkitsim::ChooseItem(*combo, "WinDVD");
    toolkitsim::ChooseItem(*combo, 2);
    toolkitsim::ChooseItem(*combo, 5); // no such item: nothing happens
    EXPECT_EQ(order, "click(WinDVD) change(WinDVD) click(WinDVD) change(WinDVD) ");
    EXPECT_THROW(toolkitsim::ChooseItem(*combo, "Absent"), toolkitsim::Failure);
    combo->Enabled = false;
    toolkitsim::ChooseItem(*combo, 0);
    EXPECT_EQ(combo->ItemIndex, 2) << "a disabled combo takes no pick";
}

TEST_F(ComboBoxTest, ListKeysChooseAndFireAsPicks) {
    TComboBox* combo = Combo(csDropDownList);
    TCustomForm* form = combo->GetParentForm();
    combo->SetFocus();
    toolkitsim::PressKey(*form, VK_DOWN);
    EXPECT_EQ(combo->Text(), "System");
    toolkitsim::PressKey(*form, VK_UP);
    EXPECT_EQ(changes_, 1) << "Up on the first item moves nothing";
    toolkitsim::TypeText(*combo, "w");
    EXPECT_EQ(combo->Text(), "Winamp");
    toolkitsim::TypeText(*combo, "w");
    EXPECT_EQ(combo->Text(), "WinDVD") << "the next item with the letter";
    toolkitsim::TypeText(*combo, "w");
    EXPECT_EQ(combo->Text(), "Winamp") << "and round again";
    toolkitsim::TypeText(*combo, "q");
    EXPECT_EQ(combo->Text(), "Winamp");
    EXPECT_EQ(changes_, 4);
    EXPECT_EQ(clicks_, 4);
}

TEST_F(ComboBoxTest, TypingIntoTheEditKeepsToMaxLengthAndFindsTheItem) {
    TComboBox* combo = Combo(csDropDown);
    combo->MaxLength = 6;
    std::string pressed;
    combo->OnKeyPress = [&](TObject*, char& key) {
        pressed += key;
        if (key == '!')
            key = 0;
    };
    toolkitsim::TypeText(*combo, "Wi!namp+");
    EXPECT_EQ(pressed, "Wi!namp+");
    EXPECT_EQ(combo->Text(), "Winamp");
    EXPECT_EQ(combo->ItemIndex, 1);
    EXPECT_EQ(changes_, 6) << "one change per character taken";
    EXPECT_EQ(clicks_, 0);
    toolkitsim::TypeText(*combo, "\b");
    EXPECT_EQ(combo->Text(), "Winam");
    EXPECT_EQ(combo->ItemIndex, -1);
    combo->MaxLength = 2;
    EXPECT_EQ(combo->Text(), "Winam") << "a lower limit does not cut the text";
}

TEST_F(ComboBoxTest, SwitchingStyleKeepsItemsAndSelection) {
    TComboBox* combo = Combo(csDropDown);
    combo->ItemIndex = 1;
    combo->Style = csDropDownList;
    EXPECT_EQ(combo->Items.Count(), 3);
    EXPECT_EQ(combo->ItemIndex, 1);
    EXPECT_EQ(combo->Text(), "Winamp");
    combo->Style = csDropDown;
    EXPECT_EQ(combo->Text(), "Winamp");
    combo->Text = "free text";
    combo->Style = csDropDownList;
    EXPECT_EQ(combo->ItemIndex, -1);
    EXPECT_EQ(combo->Text(), "") << "a list shows only an item";
    EXPECT_EQ(changes_ + clicks_, 0);
}

} // namespace

namespace {

// Enter and Esc in an open list close it; closed, they reach the form's buttons.
TEST_F(ComboBoxTest, EnterAndEscCloseAnOpenListInsteadOfPressingTheButtons) {
    auto* form = new TForm(Application);
    auto* combo = new TComboBox(form);
    combo->Parent = form;
    combo->Style = csDropDownList;
    combo->Items.SetText("System\r\nWinamp\r\nPlayer\r\n");
    combo->ItemIndex = 0;
    std::vector<std::string> seen;
    combo->OnChange = [&](TObject*) { seen.push_back("change " + combo->GetText()); };
    for (bool isDefault : {true, false}) {
        auto* button = new TButton(form);
        button->Parent = form;
        (isDefault ? button->Default : button->Cancel) = true;
        button->OnClick = [&seen, isDefault](TObject*) {
            seen.push_back(isDefault ? "ok" : "cancel");
        };
    }
    form->Show();
    combo->SetFocus();

    combo->DroppedDown = true;
    toolkitsim::PressKey(*form, VK_DOWN);
    toolkitsim::PressKey(*form, VK_RETURN);
    EXPECT_FALSE(combo->DroppedDown);
    EXPECT_EQ(combo->ItemIndex, 1) << "Enter keeps the choice";

    combo->DroppedDown = true;
    toolkitsim::PressKey(*form, VK_DOWN);
    EXPECT_EQ(combo->ItemIndex, 2);
    toolkitsim::PressKey(*form, VK_ESCAPE);
    EXPECT_FALSE(combo->DroppedDown);
    EXPECT_EQ(combo->ItemIndex, 1) << "Esc restores the item the list was opened on";

    toolkitsim::PressKey(*form, VK_RETURN);
    toolkitsim::PressKey(*form, VK_ESCAPE);
    EXPECT_EQ(seen, (std::vector<std::string>{"change Winamp", "change Player", "change Winamp",
                                              "ok", "cancel"}));
}

} // namespace
