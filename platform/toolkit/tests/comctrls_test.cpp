// Tests of the track bar, the status bar and the page control with its tab sheets.
#include <toolkit.h>

#include <toolkit_fixture.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ComCtrlsTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        form_ = new TForm(Application);
        form_->Show();
    }
    TForm* form_ = nullptr;
};

TEST_F(ComCtrlsTest, TrackBarKeepsPositionInItsRange) {
    auto* bar = new TTrackBar(form_);
    bar->Parent = form_;
    EXPECT_STREQ(bar->ClassName(), "TTrackBar");
    std::vector<int> seen;
    bar->OnChange = [&](TObject*) { seen.push_back(bar->Position); };
    bar->Min = 12; // above the design Max of 10, which follows
    EXPECT_EQ(bar->Max, 12);
    bar->Max = 150;
    bar->Position = 150;
    bar->Position = 300;
    bar->Position = -5;
    EXPECT_EQ(bar->Min, 12);
    EXPECT_EQ(bar->Max, 150);
    bar->Min = 50;
    bar->Max = 20; // below Min, which follows
    EXPECT_EQ(bar->Min, 20);
    EXPECT_EQ(seen, (std::vector<int>{12, 150, 12, 50, 20}))
        << "a range moved under the position takes it along, with the event";
}

TEST_F(ComCtrlsTest, TrackBarFollowsTheUsersKeysAndDrags) {
    auto* bar = new TTrackBar(form_);
    bar->Parent = form_;
    bar->Max = 20;
    bar->PageSize = 5;
    int changes = 0;
    bar->OnChange = [&](TObject*) { ++changes; };
    bar->SetFocus();
    struct Case {
        WORD key;
        int position;
    };
    const Case cases[] = {{VK_RIGHT, 1}, {0x22, 6},  {VK_LEFT, 5}, {0x23, 20},
                          {VK_DOWN, 20}, {0x21, 15}, {0x24, 0},    {VK_UP, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        toolkitsim::PressKey(*form_, c.key);
        EXPECT_EQ(bar->Position, c.position);
    }
    EXPECT_EQ(changes, 6);
    toolkitsim::MoveTrackBar(*bar, 25);
    EXPECT_EQ(bar->Position, 20);
    bar->Enabled = false;
    toolkitsim::MoveTrackBar(*bar, 3);
    EXPECT_EQ(bar->Position, 20) << "a disabled bar cannot be dragged";
}

TEST_F(ComCtrlsTest, StatusBarShowsSimpleTextOrItsPanels) {
    auto* bar = new TStatusBar(form_);
    bar->Parent = form_;
    EXPECT_STREQ(bar->ClassName(), "TStatusBar");
    EXPECT_EQ(bar->Align, alBottom);
    EXPECT_EQ(bar->Top + bar->Height, form_->ClientHeight);
    bar->Panels.Add()->Text = "one";
    TStatusPanel* two = bar->Panels.Add();
    two->Text = "two";
    two->Width = 120;
    bar->SimpleText = "hint";
    EXPECT_EQ(bar->ShownTexts(), (std::vector<std::string>{"one", "two"}));
    bar->SimplePanel = true;
    EXPECT_EQ(bar->ShownTexts(), std::vector<std::string>{"hint"});
    bar->Panels.Delete(0);
    EXPECT_EQ(bar->Panels.Count(), 1);
    EXPECT_EQ(bar->Panels.Items(0)->Width, 120);
    EXPECT_THROW(bar->Panels.Items(1), EStringListError);
}

TEST_F(ComCtrlsTest, ApplicationHintReachesTheStatusBarThroughApplicationEvents) {
    auto* bar = new TStatusBar(form_);
    bar->Parent = form_;
    bar->SimplePanel = true;
    auto* events = new TApplicationEvents(form_);
    events->OnHint = [&](TObject*) { bar->SimpleText = Application->Hint; };
    auto* button = new TButton(form_);
    button->Parent = form_;
    button->Hint = "Save and close";
    toolkitsim::MouseMove(*button, 3, 3);
    EXPECT_EQ(bar->SimpleText(), "Save and close");
}

class PageControlTest : public ComCtrlsTest {
protected:
    void SetUp() override {
        ComCtrlsTest::SetUp();
        pages_ = new TPageControl(form_);
        pages_->Name = "pcConfig";
        pages_->Parent = form_;
        pages_->SetBounds(0, 0, 400, 300);
        for (const char* name : {"pOutput", "pCode", "pAppl", "pCommand", "pFunction"}) {
            auto* sheet = new TTabSheet(form_);
            sheet->Name = name;
            sheet->PageControl = pages_;
            sheets_.push_back(sheet);
        }
        pages_->OnChange = [this](TObject*) { changes_.push_back(pages_->ActivePage()->Name); };
    }
    TPageControl* pages_ = nullptr;
    std::vector<TTabSheet*> sheets_;
    std::vector<std::string> changes_;
};

TEST_F(PageControlTest, TheFirstPageIsActiveAndAloneVisible) {
    EXPECT_STREQ(pages_->ClassName(), "TPageControl");
    EXPECT_STREQ(sheets_[0]->ClassName(), "TTabSheet");
    EXPECT_EQ(pages_->PageCount(), 5);
    EXPECT_EQ(pages_->ActivePage(), sheets_[0]);
    EXPECT_EQ(sheets_[3]->PageIndex, 3);
    EXPECT_EQ(sheets_[3]->GetParent(), pages_);
    pages_->ActivePage = sheets_[2];
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sheets_[i]->Visible, i == 2);
    }
    EXPECT_EQ(sheets_[2]->Left, 4);
    EXPECT_EQ(sheets_[2]->Top, 24);
    EXPECT_EQ(sheets_[2]->Width, 392);
    EXPECT_EQ(sheets_[2]->Height, 272);
    EXPECT_TRUE(changes_.empty()) << "code fires no OnChange";
}

TEST_F(PageControlTest, HiddenTabsAreSkippedByTabIndexAndTheUsersClicks) {
    sheets_[1]->TabVisible = false;
    sheets_[3]->TabVisible = false;
    EXPECT_EQ(pages_->TabCount(), 3);
    EXPECT_EQ(sheets_[1]->TabIndex, -1);
    EXPECT_EQ(sheets_[4]->TabIndex, 2);
    toolkitsim::ClickTab(*pages_, 1);
    EXPECT_EQ(pages_->ActivePage(), sheets_[2]);
    EXPECT_EQ(pages_->ActivePageIndex, 2);
    EXPECT_EQ(pages_->TabIndex, 1);
    toolkitsim::ClickTab(*pages_, 2);
    toolkitsim::ClickTab(*pages_, 2); // the active tab: nothing
    toolkitsim::ClickTab(*pages_, 3); // no such tab: nothing
    EXPECT_EQ(changes_, (std::vector<std::string>{"pAppl", "pFunction"}));
    pages_->TabIndex = 0;
    EXPECT_EQ(pages_->ActivePage(), sheets_[0]);
    pages_->ActivePageIndex = 3;
    EXPECT_EQ(pages_->ActivePage(), sheets_[3]) << "code may show a page whose tab is hidden";
    EXPECT_EQ(pages_->TabIndex, -1);
    EXPECT_EQ(changes_.size(), 2u);
}

TEST_F(PageControlTest, HidingTheActiveTabActivatesTheTabTakingItsPlace) {
    struct Case {
        int active;
        int hidden;
        int now;
    };
    const Case cases[] = {{2, 2, 3}, {4, 4, 3}, {0, 1, 0}, {0, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.active) + " hides " + std::to_string(c.hidden));
        for (TTabSheet* s : sheets_)
            s->TabVisible = true;
        pages_->ActivePageIndex = c.active;
        sheets_[c.hidden]->TabVisible = false;
        EXPECT_EQ(pages_->ActivePageIndex, c.now);
        EXPECT_TRUE(sheets_[c.now]->Visible);
    }
    for (TTabSheet* s : sheets_)
        s->TabVisible = false;
    EXPECT_EQ(pages_->ActivePage(), nullptr);
    sheets_[3]->TabVisible = true;
    EXPECT_EQ(pages_->ActivePage(), sheets_[3]) << "a tab shown again on an empty control";
    EXPECT_TRUE(changes_.empty());
}

TEST_F(PageControlTest, FreeingOrMovingAPageTakesItOut) {
    pages_->ActivePageIndex = 1;
    sheets_[1]->Free();
    EXPECT_EQ(pages_->PageCount(), 4);
    EXPECT_EQ(pages_->ActivePage(), sheets_[2]);
    sheets_[4]->PageControl = nullptr;
    EXPECT_EQ(pages_->PageCount(), 3);
    EXPECT_EQ(sheets_[4]->GetParent(), nullptr);
    EXPECT_EQ(sheets_[4]->PageIndex, -1);
    EXPECT_THROW(pages_->Pages(3), EStringListError);
}

} // namespace
