// The classic library's event rules as one table: what code and the user do, and which events
// each fires.
#include <toolkit.h>

#include <toolkit_fixture.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class EventRulesTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        Build();
    }
    // A fresh form with one control of each kind, every event logged.
    void Build() {
        form_ = new TForm(Application);
        check_ = Add<TCheckBox>("chb");
        radio_ = Add<TRadioButton>("rb");
        track_ = Add<TTrackBar>("trb");
        combo_ = Add<TComboBox>("cmb");
        pages_ = Add<TPageControl>("pc");
        grid_ = Add<TStringGrid>("stg");
        vle_ = Add<TValueListEditor>("vle");
        edit_ = Add<TEdit>("edt");
        for (const char* name : {"p0", "p1", "p2"}) {
            auto* sheet = new TTabSheet(form_);
            sheet->Name = name;
            sheet->PageControl = pages_;
        }
        combo_->Items.SetText("Winamp\r\nSystem\r\nMedia\r\n");
        combo_->Style = csDropDownList;
        track_->Max = 100;
        grid_->Options << goEditing;
        vle_->Strings.Add("Play=1");
        vle_->KeyOptions << keyEdit;

        check_->OnClick = Log("chb.OnClick");
        radio_->OnClick = Log("rb.OnClick");
        track_->OnChange = Log("trb.OnChange");
        combo_->OnChange = Log("cmb.OnChange");
        combo_->OnClick = Log("cmb.OnClick");
        combo_->OnKeyPress = [this](TObject*, char&) { events_.push_back("cmb.OnKeyPress"); };
        pages_->OnChange = Log("pc.OnChange");
        grid_->OnSetEditText = [this](TObject*, int, int, const std::string&) {
            events_.push_back("stg.OnSetEditText");
        };
        vle_->OnStringsChange = Log("vle.OnStringsChange");
        vle_->OnSetEditText = [this](TObject*, int, int, const std::string&) {
            events_.push_back("vle.OnSetEditText");
        };
        edit_->OnChange = Log("edt.OnChange");
        form_->Show();
    }
    template <typename T>
    T* Add(const char* name) {
        auto* c = new T(form_);
        c->Name = name;
        c->Parent = form_;
        return c;
    }
    TNotifyEvent Log(const char* what) {
        return [this, what](TObject*) { events_.push_back(what); };
    }

    TForm* form_ = nullptr;
    TCheckBox* check_ = nullptr;
    TRadioButton* radio_ = nullptr;
    TTrackBar* track_ = nullptr;
    TComboBox* combo_ = nullptr;
    TPageControl* pages_ = nullptr;
    TStringGrid* grid_ = nullptr;
    TValueListEditor* vle_ = nullptr;
    TEdit* edit_ = nullptr;
    std::vector<std::string> events_;
};

using Events = std::vector<std::string>;

TEST_F(EventRulesTest, WhatEachActionFires) {
    struct Case {
        const char* action;
        std::function<void()> run;
        Events fired;
    };
    const Case cases[] = {
        {"code: Checked := true", [&] { check_->Checked = true; }, {"chb.OnClick"}},
        {"code: Checked := its value", [&] { check_->Checked = false; }, {}},
        {"user: click the check box", [&] { toolkitsim::Click(*check_); }, {"chb.OnClick"}},
        {"code: radio Checked := true", [&] { radio_->Checked = true; }, {"rb.OnClick"}},
        {"code: Position := 40", [&] { track_->Position = 40; }, {"trb.OnChange"}},
        {"code: Position := its value", [&] { track_->Position = 0; }, {}},
        {"code: Position beyond Max", [&] { track_->Position = 500; }, {"trb.OnChange"}},
        {"code: Max below Position",
         [&] {
             track_->Position = 80;
             events_.clear();
             track_->Max = 50;
         },
         {"trb.OnChange"}},
        {"user: drag the thumb", [&] { toolkitsim::MoveTrackBar(*track_, 7); }, {"trb.OnChange"}},
        {"code: Items := ...", [&] { combo_->Items.SetText("A\r\nB\r\n"); }, {}},
        {"code: ItemIndex := 1", [&] { combo_->ItemIndex = 1; }, {}},
        {"code: Text := item", [&] { combo_->Text = "Media"; }, {}},
        {"user: pick an item",
         [&] { toolkitsim::ChooseItem(*combo_, 2); },
         {"cmb.OnClick", "cmb.OnChange"}},
        {"user: type the first letter of an item",
         [&] { toolkitsim::TypeText(*combo_, "m"); },
         {"cmb.OnKeyPress", "cmb.OnClick", "cmb.OnChange"}},
        {"user: Down in the list",
         [&] {
             combo_->SetFocus();
             toolkitsim::PressKey(*form_, VK_DOWN);
         },
         {"cmb.OnClick", "cmb.OnChange"}},
        {"code: ActivePageIndex := 2", [&] { pages_->ActivePageIndex = 2; }, {}},
        {"user: click another tab", [&] { toolkitsim::ClickTab(*pages_, 1); }, {"pc.OnChange"}},
        {"user: click the active tab", [&] { toolkitsim::ClickTab(*pages_, 0); }, {}},
        {"code: Cells := text", [&] { grid_->Cells(1, 1) = "x"; }, {}},
        {"user: edit a cell",
         [&] { toolkitsim::EditCell(*grid_, 1, 1, "y"); },
         {"stg.OnSetEditText"}},
        {"code: Strings.Add", [&] { vle_->Strings.Add("Stop=2"); }, {"vle.OnStringsChange"}},
        {"code: value cell := text", [&] { vle_->Cells(1, 1) = "5"; }, {"vle.OnStringsChange"}},
        {"user: edit a value",
         [&] { toolkitsim::EditCell(*vle_, 1, 1, "9"); },
         {"vle.OnStringsChange", "vle.OnSetEditText"}},
        {"code: edit Text := ...", [&] { edit_->Text = "abc"; }, {"edt.OnChange"}},
        {"user: type into the edit",
         [&] { toolkitsim::TypeText(*edit_, "ab"); },
         {"edt.OnChange", "edt.OnChange"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        Build();
        events_.clear();
        c.run();
        EXPECT_EQ(events_, c.fired);
        EXPECT_TRUE(toolkitsim::Boxes().empty()) << "no error reached the exception box";
    }
}

} // namespace
