// Tests of push buttons with their dialog keys, check boxes, radio buttons, speed buttons and
// group boxes.
#include <toolkit.h>

#include <toolkit_fixture.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ButtonsTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        form_ = new TForm(Application);
        form_->Name = "FDialog";
        edit_ = new TEdit(form_);
        edit_->Parent = form_;
        ok_ = Button("btnOk", mrOk);
        ok_->Default = true;
        cancel_ = Button("btnCancel", mrCancel);
        cancel_->Cancel = true;
        other_ = Button("btnOther", mrNone);
    }
    TButton* Button(const char* name, TModalResult result) {
        auto* b = new TButton(form_);
        b->Name = name;
        b->Parent = form_;
        b->ModalResult = result;
        b->OnClick = [this, name](TObject*) { clicks_.push_back(name); };
        return b;
    }
    TForm* form_ = nullptr;
    TEdit* edit_ = nullptr;
    TButton* ok_ = nullptr;
    TButton* cancel_ = nullptr;
    TButton* other_ = nullptr;
    std::vector<std::string> clicks_;
};

TEST_F(ButtonsTest, ClassNamesAreTheClassLibrarysOwn) {
    TCheckBox check(form_);
    TRadioButton radio(form_);
    TGroupBox group(form_);
    TSpeedButton speed(form_);
    EXPECT_STREQ(ok_->ClassName(), "TButton");
    EXPECT_STREQ(edit_->ClassName(), "TEdit");
    EXPECT_STREQ(check.ClassName(), "TCheckBox");
    EXPECT_STREQ(radio.ClassName(), "TRadioButton");
    EXPECT_STREQ(group.ClassName(), "TGroupBox");
    EXPECT_STREQ(speed.ClassName(), "TSpeedButton");
}

TEST_F(ButtonsTest, EnterAndEscapeClickTheDefaultAndCancelButtonsAndCloseTheModalForm) {
    struct Case {
        const char* label;
        WORD key;
        TShiftState shift;
        TWinControl* focus;
        std::vector<std::string> clicks;
        TModalResult result;
    };
    const Case cases[] = {
        {"Enter in the edit", VK_RETURN, {}, edit_, {"btnOk"}, mrOk},
        {"Esc in the edit", VK_ESCAPE, {}, edit_, {"btnCancel"}, mrCancel},
        {"Enter on a focused button clicks that one", VK_RETURN, {}, other_, {"btnOther"}, mrNone},
        {"Esc on a focused button still cancels", VK_ESCAPE, {}, other_, {"btnCancel"}, mrCancel},
        {"Ctrl+Enter is no dialog key", VK_RETURN, {ssCtrl}, edit_, {}, mrNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        clicks_.clear();
        TModalResult result = -1;
        toolkitsim::OnModal([&](TCustomForm& f) {
            c.focus->SetFocus();
            toolkitsim::PressKey(f, c.key, c.shift);
            if (f.ModalResult == mrNone)
                f.ModalResult = mrIgnore; // nothing closed it: end the loop here
        });
        result = form_->ShowModal();
        EXPECT_EQ(clicks_, c.clicks);
        EXPECT_EQ(result, c.result == mrNone ? mrIgnore : c.result);
        EXPECT_EQ(edit_->Text(), "") << "a dialog key types nothing";
    }
}

TEST_F(ButtonsTest, EnterWithoutADefaultButtonReachesTheEditAsAKeyPress) {
    ok_->Default = false;
    std::string pressed;
    edit_->OnKeyPress = [&](TObject*, char& key) { pressed += key; };
    form_->Show();
    edit_->SetFocus();
    toolkitsim::PressKey(*form_, VK_RETURN);
    EXPECT_EQ(pressed, "\r");
    EXPECT_TRUE(clicks_.empty());
}

TEST_F(ButtonsTest, HiddenOrDisabledDefaultButtonsDoNotAnswer) {
    form_->Show();
    edit_->SetFocus();
    ok_->Enabled = false;
    toolkitsim::PressKey(*form_, VK_RETURN);
    cancel_->Visible = false;
    toolkitsim::PressKey(*form_, VK_ESCAPE);
    EXPECT_TRUE(clicks_.empty());
    ok_->Enabled = true;
    toolkitsim::Click(*ok_);
    EXPECT_EQ(clicks_, std::vector<std::string>{"btnOk"});
    EXPECT_EQ(form_->ModalResult, mrOk);
}

TEST_F(ButtonsTest, DefaultButtonInsideAGroupBoxAnswersEnter) {
    auto* group = new TGroupBox(form_);
    group->Parent = form_;
    ok_->Default = false;
    other_->Parent = group;
    other_->Default = true;
    form_->Show();
    edit_->SetFocus();
    toolkitsim::PressKey(*form_, VK_RETURN);
    EXPECT_EQ(clicks_, std::vector<std::string>{"btnOther"});
}

TEST_F(ButtonsTest, CheckBoxClickCyclesAndCheckedInCodeFiresOnClick) {
    auto* box = new TCheckBox(form_);
    box->Parent = form_;
    std::vector<bool> seen;
    box->OnClick = [&](TObject*) { seen.push_back(box->Checked); };
    toolkitsim::Click(*box);
    toolkitsim::Click(*box);
    box->Checked = true;
    box->Checked = true; // no change: no event
    EXPECT_EQ(seen, (std::vector<bool>{true, false, true}));

    box->AllowGrayed = true;
    seen.clear();
    toolkitsim::Click(*box);
    EXPECT_EQ(box->State, cbGrayed);
    EXPECT_FALSE(box->Checked);
    toolkitsim::Click(*box);
    EXPECT_EQ(box->State, cbUnchecked);
    EXPECT_EQ(seen.size(), 2u);

    box->Enabled = false;
    toolkitsim::Click(*box);
    EXPECT_EQ(box->State, cbUnchecked) << "a disabled box ignores the mouse";
    box->Checked = true;
    EXPECT_EQ(seen.size(), 3u) << "code still changes it, with the event";
}

TEST_F(ButtonsTest, SpaceClicksTheFocusedCheckBoxAndButton) {
    auto* box = new TCheckBox(form_);
    box->Parent = form_;
    form_->Show();
    box->SetFocus();
    toolkitsim::PressKey(*form_, VK_SPACE);
    EXPECT_TRUE(box->Checked);
    other_->SetFocus();
    toolkitsim::PressKey(*form_, VK_SPACE);
    EXPECT_EQ(clicks_, std::vector<std::string>{"btnOther"});
}

TEST_F(ButtonsTest, RadioButtonsAreExclusiveWithinTheirParentOnly) {
    auto* groupA = new TGroupBox(form_);
    groupA->Parent = form_;
    auto* groupB = new TGroupBox(form_);
    groupB->Parent = form_;
    std::vector<std::string> events;
    auto radio = [&](TWinControl* parent, const char* name) {
        auto* r = new TRadioButton(form_);
        r->Name = name;
        r->Parent = parent;
        r->OnClick = [&events, r](TObject*) { events.push_back(r->Name); };
        return r;
    };
    TRadioButton* a1 = radio(groupA, "a1");
    TRadioButton* a2 = radio(groupA, "a2");
    TRadioButton* a3 = radio(groupA, "a3");
    TRadioButton* b1 = radio(groupB, "b1");

    a1->Checked = true;
    b1->Checked = true;
    toolkitsim::Click(*a2);
    toolkitsim::Click(*a2); // already checked: nothing
    a3->Checked = true;
    a3->Checked = false; // unchecking fires nothing, and checks no other
    EXPECT_EQ(events, (std::vector<std::string>{"a1", "b1", "a2", "a3"}));
    EXPECT_FALSE(a1->Checked);
    EXPECT_FALSE(a2->Checked);
    EXPECT_FALSE(a3->Checked);
    EXPECT_TRUE(b1->Checked) << "another parent's group is not touched";
}

TEST_F(ButtonsTest, SpeedButtonsOfAGroupStayDownOneAtATime) {
    auto* panel = new TPanel(form_);
    panel->Parent = form_;
    std::vector<std::string> events;
    auto speed = [&](const char* name, int group) {
        auto* b = new TSpeedButton(form_);
        b->Name = name;
        b->Parent = panel;
        b->GroupIndex = group;
        b->OnClick = [&events, b](TObject*) { events.push_back(b->Name); };
        return b;
    };
    TSpeedButton* plain = speed("plain", 0);
    TSpeedButton* x = speed("x", 1);
    TSpeedButton* y = speed("y", 1);
    TSpeedButton* other = speed("other", 2);

    toolkitsim::Click(*plain);
    EXPECT_FALSE(plain->Down) << "GroupIndex 0 never stays down";
    plain->Down = true;
    EXPECT_FALSE(plain->Down);

    toolkitsim::Click(*x);
    other->Down = true;
    EXPECT_TRUE(x->Down);
    toolkitsim::Click(*y);
    EXPECT_FALSE(x->Down);
    EXPECT_TRUE(y->Down);
    EXPECT_TRUE(other->Down) << "another group is not touched";
    toolkitsim::Click(*y);
    EXPECT_TRUE(y->Down) << "without AllowAllUp the down button stays down";
    y->Down = false;
    EXPECT_TRUE(y->Down);

    y->AllowAllUp = true;
    toolkitsim::Click(*y);
    EXPECT_FALSE(y->Down);
    x->Down = true;
    EXPECT_TRUE(x->Down);
    EXPECT_EQ(events, (std::vector<std::string>{"plain", "x", "y", "y", "y"}))
        << "clicks fire OnClick, Down in code fires nothing";
}

TEST_F(ButtonsTest, GroupBoxKeepsAlignedControlsInsideItsFrame) {
    auto* group = new TGroupBox(form_);
    group->Parent = form_;
    group->SetBounds(0, 0, 200, 100);
    auto* panel = new TPanel(form_);
    panel->Parent = group;
    panel->Align = alClient;
    EXPECT_EQ(panel->Left, 2);
    EXPECT_EQ(panel->Top, 15);
    EXPECT_EQ(panel->Width, 196);
    EXPECT_EQ(panel->Height, 83);
}

} // namespace
