// Tests of the input box and the file-open and colour dialogs, answered from the test script.
#include <toolkit.h>

#include <toolkit_fixture.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using toolkitsim::DialogKind;

class DialogsTest : public ToolkitTest {};

TEST_F(DialogsTest, InputBoxReturnsWhatWasTypedOnOkAndTheDefaultOnCancel) {
    struct Case {
        const char* label;
        std::function<void()> queue;
        std::string result;
        bool accepted;
    };
    const Case cases[] = {
        {"OK", [] { toolkitsim::QueueInput("Mute"); }, "Mute", true},
        {"OK on an emptied line", [] { toolkitsim::QueueInput(""); }, "", true},
        {"Cancel", [] { toolkitsim::QueueDialogCancel(DialogKind::Input); }, "Vol+", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        toolkitsim::Reset();
        c.queue();
        EXPECT_EQ(InputBox("New button", "Name of the button:", "Vol+"), c.result);
        const auto dialogs = toolkitsim::Dialogs();
        ASSERT_EQ(dialogs.size(), 1u);
        EXPECT_EQ(dialogs[0].kind, DialogKind::Input);
        EXPECT_EQ(dialogs[0].caption, "New button");
        EXPECT_EQ(dialogs[0].prompt, "Name of the button:");
        EXPECT_EQ(dialogs[0].text, "Vol+");
        EXPECT_EQ(dialogs[0].accepted, c.accepted);
    }
}

TEST_F(DialogsTest, InputQueryLeavesTheValueAloneOnCancel) {
    std::string value = "keep";
    toolkitsim::QueueDialogCancel(DialogKind::Input);
    EXPECT_FALSE(InputQuery("c", "p", value));
    EXPECT_EQ(value, "keep");
    toolkitsim::QueueInput("new");
    EXPECT_TRUE(InputQuery("c", "p", value));
    EXPECT_EQ(value, "new");
}

TEST_F(DialogsTest, InputBoxIsAFormTheUserWorksWithKeys) {
    // With no queued answer the box goes to the modal handler, which types and presses Enter.
    toolkitsim::OnModal([](TCustomForm& form) {
        EXPECT_STREQ(form.ClassName(), "TForm");
        toolkitsim::PressKey(form, VK_BACK);
        toolkitsim::KeyPress(form, '2');
        toolkitsim::PressKey(form, VK_RETURN);
    });
    EXPECT_EQ(InputBox("c", "p", "Vol1"), "Vol2");
    toolkitsim::OnModal([](TCustomForm& form) { toolkitsim::PressKey(form, VK_ESCAPE); });
    EXPECT_EQ(InputBox("c", "p", "Vol1"), "Vol1");
}

TEST_F(DialogsTest, TimersRunWhileTheInputBoxWaitsForItsAnswer) {
    TTimer timer(nullptr);
    timer.Interval = 100;
    int ticks = 0;
    timer.OnTimer = [&](TObject*) { ++ticks; };
    toolkitsim::QueueInput("late", 350);
    EXPECT_EQ(InputBox("c", "p", ""), "late");
    EXPECT_EQ(ticks, 3);
}

TEST_F(DialogsTest, OpenDialogShowsItsSettingsAndTakesTheChosenFile) {
    TOpenDialog dialog(nullptr);
    EXPECT_STREQ(dialog.ClassName(), "TOpenDialog");
    dialog.Title = "Add application";
    dialog.Filter = "Programs|*.exe|All files|*.*";
    dialog.InitialDir = "c:\\Program files\\";
    dialog.Options << ofOverwritePrompt;
    toolkitsim::QueueOpenFile("C:\\Program Files\\Winamp\\winamp.exe");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "C:\\Program Files\\Winamp\\winamp.exe");
    toolkitsim::QueueDialogCancel(DialogKind::Open);
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "C:\\Program Files\\Winamp\\winamp.exe") << "kept on Cancel";
    const auto dialogs = toolkitsim::Dialogs();
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].caption, "Add application");
    EXPECT_EQ(dialogs[0].filter, "Programs|*.exe|All files|*.*");
    EXPECT_EQ(dialogs[0].initialDir, "c:\\Program files\\");
    EXPECT_EQ(dialogs[0].text, "");
    EXPECT_TRUE(dialogs[0].accepted);
    EXPECT_EQ(dialogs[1].text, "C:\\Program Files\\Winamp\\winamp.exe");
    EXPECT_FALSE(dialogs[1].accepted);
}

TEST_F(DialogsTest, ColorDialogOpensOnItsColourAndTakesTheChosenOne) {
    TColorDialog dialog(nullptr);
    EXPECT_STREQ(dialog.ClassName(), "TColorDialog");
    dialog.Color = 11466791;
    dialog.Options << cdFullOpen << cdAnyColor;
    toolkitsim::QueueColor(clRed);
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Color, clRed);
    toolkitsim::QueueDialogCancel(DialogKind::Color);
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.Color, clRed);
    const auto dialogs = toolkitsim::Dialogs();
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].color, 11466791);
    EXPECT_EQ(dialogs[1].color, clRed);
}

TEST_F(DialogsTest, ADialogWithoutItsAnswerFailsTheTest) {
    TOpenDialog open(nullptr);
    TColorDialog colour(nullptr);
    EXPECT_THROW(open.Execute(), toolkitsim::Failure);
    EXPECT_THROW(InputBox("c", "p", ""), toolkitsim::Failure);
    toolkitsim::QueueColor(clRed);
    EXPECT_THROW(open.Execute(), toolkitsim::Failure) << "an answer of another kind";
    toolkitsim::QueueOpenFile("C:\\x.exe");
    EXPECT_THROW(colour.Execute(), toolkitsim::Failure);
    EXPECT_TRUE(toolkitsim::Boxes().empty()) << "failures are never shown";
}

} // namespace
