// The layout check itself: a window with a control outside its parent, a button too narrow for
// its caption, a label cut by its parent and a grid title wider than its column gets one fault
// for each, naming the control; a window without them gets none.
#include <layout_check.h>
#include <presentation_support.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

bool Names(const std::vector<std::string>& faults, const std::string& what) {
    for (const std::string& fault : faults)
        if (fault.find(what) != std::string::npos)
            return true;
    return false;
}

std::string Joined(const std::vector<std::string>& faults) {
    std::string all;
    for (const std::string& fault : faults)
        all += "\n  " + fault;
    return all;
}

TEST(LayoutCheck, NamesEachControlOutsideItsParentAndEachCutText) {
    auto form = std::make_unique<TForm>(nullptr);
    form->BorderStyle = bsNone;
    form->SetBounds(100, 100, 300, 200);
    form->Font.Name = "Arial";
    form->Font.Height = -11;
    auto* panel = new TPanel(form.get());
    panel->Name = "panel";
    panel->Parent = form.get();
    panel->SetBounds(0, 0, 150, 100);
    panel->Caption = "";
    auto* outside = new TButton(form.get());
    outside->Name = "outside";
    outside->Parent = panel;
    outside->SetBounds(100, 10, 75, 25);
    outside->Caption = "OK";
    auto* narrow = new TButton(form.get());
    narrow->Name = "narrow";
    narrow->Parent = panel;
    narrow->SetBounds(8, 40, 30, 25);
    narrow->Caption = "A caption far too long";
    auto* label = new TLabel(form.get());
    label->Name = "label";
    label->Parent = panel;
    label->AutoSize = false;
    label->SetBounds(8, 70, 40, 13);
    label->Caption = "A long label text";
    auto* grid = new TStringGrid(form.get());
    grid->Name = "grid";
    grid->Parent = form.get();
    grid->SetBounds(160, 0, 130, 100);
    grid->ColCount = 2;
    grid->FixedCols = 0;
    grid->SetColWidths(0, 30);
    grid->Cells(0, 0) = "A wide title";
    grid->Cells(1, 0) = "Ok";
    form->Show();
    wine_test::Pump();

    const std::vector<std::string> faults = wine_test::LayoutFaults(*form);
    EXPECT_EQ(faults.size(), 4u) << Joined(faults);
    EXPECT_TRUE(Names(faults, "outside [100,10,175,35] \"OK\": lies outside")) << Joined(faults);
    EXPECT_TRUE(Names(faults, "narrow [8,40,38,65] \"A caption far too long\": the text needs"))
        << Joined(faults);
    EXPECT_TRUE(Names(faults, "TLabel label [8,70,48,83] \"A long label text\": the text needs"))
        << Joined(faults);
    EXPECT_TRUE(Names(faults, "title of grid")) << Joined(faults);

    // Each mended, the window is usable.
    outside->Left = 60;
    narrow->Width = 140;
    label->Width = 140;
    grid->SetColWidths(0, 90);
    wine_test::Pump();
    EXPECT_TRUE(wine_test::LayoutFaults(*form).empty()) << Joined(wine_test::LayoutFaults(*form));
}

} // namespace
