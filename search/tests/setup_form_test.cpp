// The search window clicked through on a fresh machine: its build, the search with its worker,
// Stop, OK, Cancel, the unattended run and the closing.
#include "search_fixture.h"

#include "setup_form.h"

#include "command_line.h"
#include "search_program.h"

#include "cp1251.h"
#include "records.h"
#include "win32sim/system.h"

#include <toolkit.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace {

constexpr auto kCaption = cp1251::Literal("Поиск приложений");
constexpr auto kTitle = cp1251::Literal("Поиск файлов");

class SetupFormTest : public SearchTest {
protected:
    void SetUp() override {
        SearchTest::SetUp();
        win32sim::SetCommandLine("\"C:\\Tavrin RC\\Orlimax.exe\"");
        MapDrive('D');
        PutApplList("[Player]\r\nName=mp.exe\r\nGroup=audio\r\n"
                    "[Other]\r\nName=other.exe\r\nCLSName=OtherWnd\r\n");
        PutFile("D:\\A\\mp.exe", "x");
        PutFile("D:\\C\\other.exe", "x");
        MakeDir(Prog("Bin"));
        PutFile(Prog("Lang\\Rus.ini"),
                std::string("[Forms]\r\nFSetup=") + kCaption.c_str() +
                    "\r\n[Buttons]\r\nbtn_search=Find\r\n[Labels]\r\nlbl_title=Title\r\n"
                    "[Msg]\r\nmsg_searchtime=Time:\r\nerr_savefile=Cannot save:\r\n");
    }
    void TearDown() override {
        if (FSetup != nullptr)
            delete FSetup;
        SearchTest::TearDown();
    }
    void Create() {
        Application->CreateForm(FSetup);
        ASSERT_NE(FSetup, nullptr);
    }
    // Runs the message loop until the condition holds (or a minute of virtual time passed).
    void RunUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 6000 && !done(); ++i)
            toolkitsim::RunFor(10);
        ASSERT_TRUE(done());
    }
    void RunUntilSearched() {
        RunUntil([] { return !FSetup->WorkerRunning() && FSetup->btnOK->Enabled(); });
    }
    std::string Panel(int i) const { return FSetup->StatusBar->Panels.Items(i)->Text; }
    int BoxesNaming(const std::string& part) const {
        int count = 0;
        for (const auto& box : toolkitsim::Boxes())
            if (box.text.find(part) != std::string::npos)
                ++count;
        return count;
    }
};

TEST_F(SetupFormTest, BuiltAsDesignedAndTranslated) {
    PutFile(Prog("config.ini"), "[Interface]\r\next options=1\r\n");
    Create();
    FSetup->Show();
    EXPECT_STREQ(FSetup->ClassName(), "TFSetup");
    EXPECT_EQ(FSetup->Caption(), kCaption.c_str());
    EXPECT_NE(FindWindowA("TFSetup", kCaption.c_str()), nullptr);
    EXPECT_EQ(FSetup->btnSearch->Caption(), "Find");
    EXPECT_EQ(FSetup->btnStop->Caption(), "btn_stop") << "no text keeps the key";
    EXPECT_EQ(FSetup->stgAppl->Cells(0, 0), "Title");
    EXPECT_TRUE(FSetup->btnSearch->Enabled());
    EXPECT_FALSE(FSetup->btnStop->Enabled());
    EXPECT_FALSE(FSetup->btnOK->Enabled());
    EXPECT_TRUE(FSetup->chbCheckStart->Enabled()) << "ext options";
    EXPECT_FALSE(FSetup->Timer->Enabled());
    EXPECT_FALSE(FSetup->AutoStart);
    ASSERT_EQ(FSetup->clbDrives->Items.Count(), 2);
    EXPECT_EQ(FSetup->clbDrives->Items[1], "D:\\");
    EXPECT_TRUE(FSetup->clbDrives->Checked(0));
    EXPECT_TRUE(FSetup->clbDrives->Checked(1));
    EXPECT_EQ(FSetup->clbDrives->Columns, 2);
    EXPECT_EQ(FSetup->StatusBar->Panels.Count(), 4);
}

TEST_F(SetupFormTest, ScaledBackToItsDesignedSizeOnADenserScreen) {
    toolkitsim::SetScreen(1024, 768, 120);
    Create();
    EXPECT_EQ(FSetup->stgAppl->ColWidths(0), 83 * 96 / 120);
    EXPECT_EQ(FSetup->stgAppl->ColWidths(2), 338 * 96 / 120);
}

TEST_F(SetupFormTest, SearchThenOkWritesTheResultsAndCloses) {
    Create();
    FSetup->Show();
    toolkitsim::Click(*FSetup->btnSearch);
    EXPECT_FALSE(FSetup->btnSearch->Enabled());
    EXPECT_TRUE(FSetup->btnStop->Enabled());
    EXPECT_FALSE(FSetup->chbCheckStart->Visible());
    EXPECT_EQ(Search.StopSearch.load(), 0);
    RunUntilSearched();
    EXPECT_FALSE(FSetup->btnStop->Enabled());
    EXPECT_TRUE(FSetup->chbCheckStart->Visible());
    EXPECT_EQ(Search.StopSearch.load(), 1);
    EXPECT_EQ(FSetup->stgAppl->Cells(2, 2), "D:\\C\\other.exe");
    EXPECT_EQ(Panel(3).rfind("Time:", 0), 0u) << Panel(3);
    toolkitsim::Click(*FSetup->btnOK);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_TRUE(Exists(Prog("Bin\\defappl.bin")));
    EXPECT_EQ(GetFile(Prog("Bin\\favoritaudio.bin")), "Player\r\n");
    EXPECT_TRUE(Search.Table.empty()) << "freed on close";
}

TEST_F(SetupFormTest, OnlyOneWorkerAtATime) {
    Create();
    toolkitsim::Click(*FSetup->btnSearch);
    // A running search ignores a second Search.
    FSetup->btnSearchClick(nullptr);
    EXPECT_TRUE(FSetup->btnStop->Enabled());
    toolkitsim::Click(*FSetup->btnStop);
    EXPECT_TRUE(FSetup->btnSearch->Enabled());
    // The stopped worker may still be finishing: the new search waits for it first.
    toolkitsim::Click(*FSetup->btnSearch);
    EXPECT_TRUE(FSetup->btnStop->Enabled());
    RunUntilSearched();
    EXPECT_EQ(FSetup->stgAppl->Cells(2, 1), "D:\\A\\mp.exe");
    EXPECT_EQ(FSetup->stgAppl->Cells(2, 2), "D:\\C\\other.exe");
}

TEST_F(SetupFormTest, SecondSearchSkipsTheDriveUnticked) {
    Create();
    toolkitsim::Click(*FSetup->btnSearch);
    RunUntilSearched();
    EXPECT_STREQ(Appl(0).Path, "D:\\A\\mp.exe");
    FSetup->clbDrives->SetChecked(1, false);
    toolkitsim::Click(*FSetup->btnSearch);
    RunUntilSearched();
    EXPECT_STREQ(Appl(0).Path, "") << "D: not searched";
    FSetup->clbDrives->SetChecked(1, true);
    toolkitsim::Click(*FSetup->btnSearch);
    RunUntilSearched();
    EXPECT_STREQ(Appl(0).Path, "D:\\A\\mp.exe") << "ticked again, searched again";
}

TEST_F(SetupFormTest, CancelWaitsForTheWorkerServingItsCalls) {
    PutFile(Prog("config.ini"), "[Interface]\r\nlanguage=Rus\r\n");
    Create();
    // The worker waits in its first call on the window when Cancel comes.
    toolkitsim::Click(*FSetup->btnSearch);
    toolkitsim::Click(*FSetup->btnCancel);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(FSetup->WorkerRunning());
    EXPECT_TRUE(FSetup->btnSearch->Enabled()) << "its end handler was served while closing";
    EXPECT_TRUE(Search.Table.empty());
    EXPECT_FALSE(Exists(Prog("Bin\\defappl.bin"))) << "Cancel writes nothing";
    const std::string config = GetFile(Prog("config.ini"));
    EXPECT_NE(config.find("Width="), std::string::npos) << "only the layout";
    EXPECT_EQ(config.find("passed"), std::string::npos);
}

TEST_F(SetupFormTest, CloseDuringTheWorkersQuestionWaitsUntilItEnded) {
    PutFile("D:\\B\\mp.exe", "x"); // two finds: the worker asks which one
    Create();
    // The question's box stays up from its start until 5 s later; the close comes within.
    toolkitsim::QueueAnswer(IDYES, 5000);
    bool workerWaited = false;
    bool closedAtOnce = true;
    toolkitsim::At(2000, [&] {
        workerWaited = FSetup->WorkerRunning();
        FSetup->Close();
        closedAtOnce = Application->Terminated();
    });
    toolkitsim::Click(*FSetup->btnSearch);
    RunUntil([] { return Application->Terminated(); });
    EXPECT_TRUE(workerWaited);
    EXPECT_FALSE(closedAtOnce) << "put off until the worker ended";
    EXPECT_EQ(toolkitsim::PendingAnswers(), 0);
    EXPECT_EQ(toolkitsim::Boxes().size(), 1u);
    EXPECT_FALSE(FSetup->WorkerRunning());
    EXPECT_TRUE(Search.Table.empty());
    EXPECT_FALSE(Exists(Prog("Bin\\defappl.bin")));
}

TEST_F(SetupFormTest, ClosesWhenConfigCannotBeWritten) {
    PutFile(Prog("config.ini"), "[Interface]\r\n");
    ASSERT_TRUE(SetFileAttributesA(Prog("config.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    Create();
    FSetup->Show();
    FSetup->Close();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(GetFile(Prog("config.ini")), "[Interface]\r\n");
    SetFileAttributesA(Prog("config.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SetupFormTest, UnattendedRunSearchesSavesAndEnds) {
    struct Case {
        const char* label;
        const char* line;
    } cases[] = {{"whole line in capitals", "  AUTO  "},
                 {"first argument with a capital", "Orlimax.exe Auto"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        win32sim::SetCommandLine(c.line);
        Create();
        EXPECT_TRUE(FSetup->AutoStart);
        EXPECT_TRUE(FSetup->Timer->Enabled());
        RunUntil([] { return Application->Terminated(); });
        EXPECT_TRUE(Exists(Prog("Bin\\defappl.bin")));
        EXPECT_NE(GetFile(Prog("config.ini")).find("passed=1"), std::string::npos);
        delete FSetup;
        Remove(Prog("Bin\\defappl.bin"));
        Remove(Prog("config.ini"));
        toolkitsim::Reset();
    }
}

TEST_F(SetupFormTest, UnattendedFailedSaveShowsOneBoxAtATimeAndEnds) {
    PutFile(Prog("Bin\\defappl.bin"), "old");
    ASSERT_TRUE(SetFileAttributesA(Prog("Bin\\defappl.bin").c_str(), FILE_ATTRIBUTE_READONLY));
    win32sim::SetCommandLine("Orlimax.exe auto");
    Create();
    RunUntil([] { return Application->Terminated(); });
    EXPECT_EQ(BoxesNaming("Cannot save:"), 1);
    EXPECT_EQ(BoxesNaming("Bin\\defappl.bin"), 1);
    EXPECT_EQ(GetFile(Prog("Bin\\defappl.bin")), "old");
    SetFileAttributesA(Prog("Bin\\defappl.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SetupFormTest, InteractiveFailedSaveKeepsTheWindowOpen) {
    PutFile(Prog("Bin\\defappl.bin"), "old");
    ASSERT_TRUE(SetFileAttributesA(Prog("Bin\\defappl.bin").c_str(), FILE_ATTRIBUTE_READONLY));
    Create();
    toolkitsim::Click(*FSetup->btnSearch);
    RunUntilSearched();
    toolkitsim::Click(*FSetup->btnOK);
    EXPECT_FALSE(Application->Terminated());
    EXPECT_EQ(BoxesNaming("Cannot save:C:\\Tavrin RC\\Bin\\defappl.bin"), 1);
    SetFileAttributesA(Prog("Bin\\defappl.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
    toolkitsim::Click(*FSetup->btnOK);
    EXPECT_TRUE(Application->Terminated());
}

// A second search saved on a full disk: the earlier results stay whole, the window names what
// could not be written and stays open, and the first-run flag stays unset until a save succeeds.
TEST_F(SetupFormTest, ASaveOnAFullDiskKeepsTheEarlierResultsAndLeavesPassedUnset) {
    const std::string earlierTable(11 * sizeof(TApplEntry), 'e');
    struct Case {
        const char* label;
        std::uint64_t budget;
        const char* named;
        std::size_t boxes;
    } cases[] = {
        {"full before the table", 0, "Bin\\defappl.bin", 1},
        // Room for the table's one record, not for the favourites of audio and of no group.
        {"full before the favourites", sizeof(TApplEntry) + 3, "Bin\\favoritaudio.bin", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        PutFile(Prog("Bin\\defappl.bin"), earlierTable);
        PutFile(Prog("Bin\\favoritaudio.bin"), "Winamp\r\n");
        PutFile(Prog("config.ini"), "[Interface]\r\n");
        Create();
        toolkitsim::Click(*FSetup->btnSearch);
        RunUntilSearched();
        win32sim::SetWriteBudget(c.budget);
        toolkitsim::Click(*FSetup->btnOK);
        win32sim::SetWriteBudget(std::nullopt);
        EXPECT_FALSE(Application->Terminated());
        EXPECT_EQ(BoxesNaming(std::string("Cannot save:") + Prog(c.named)), 1);
        EXPECT_EQ(toolkitsim::Boxes().size(), c.boxes);
        EXPECT_EQ(GetFile(Prog("Bin\\favoritaudio.bin")), "Winamp\r\n");
        EXPECT_EQ(GetPrivateProfileIntA("Tuning", "passed", 0, Prog("config.ini").c_str()), 0u);
        if (c.budget == 0) {
            EXPECT_EQ(GetFile(Prog("Bin\\defappl.bin")), earlierTable);
        }

        toolkitsim::Click(*FSetup->btnOK);
        EXPECT_TRUE(Application->Terminated());
        EXPECT_EQ(GetFile(Prog("Bin\\defappl.bin")).size(), sizeof(TApplEntry));
        EXPECT_EQ(GetFile(Prog("Bin\\favoritaudio.bin")), "Player\r\n");
        EXPECT_EQ(GetPrivateProfileIntA("Tuning", "passed", 0, Prog("config.ini").c_str()), 1u);
        delete FSetup;
        toolkitsim::Reset();
    }
}

TEST_F(SetupFormTest, OkWithoutATableClosesWithoutWriting) {
    Remove(Prog("appllist.ini"));
    Create();
    toolkitsim::Click(*FSetup->btnSearch);
    RunUntilSearched();
    toolkitsim::Click(*FSetup->btnOK);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(Exists(Prog("Bin\\defappl.bin")));
}

TEST_F(SetupFormTest, HintAndTestStartBox) {
    PutFile(Prog("config.ini"), "[Interface]\r\next options=1\r\n");
    Create();
    Application->Hint = "under the mouse";
    EXPECT_EQ(Panel(3), "under the mouse");
    toolkitsim::Click(*FSetup->chbCheckStart);
    EXPECT_EQ(Search.TestStart.load(), 1);
    toolkitsim::Click(*FSetup->chbCheckStart);
    EXPECT_EQ(Search.TestStart.load(), 0);
}

TEST_F(SetupFormTest, ProgramAnswersHelpAndUsageWithoutItsWindow) {
    struct Case {
        const char* label;
        const char* line;
        std::string text;
    } cases[] = {{"help", "Orlimax.exe help", HelpText()},
                 {"slash question mark", "Orlimax.exe /?", HelpText()},
                 {"another word", "Orlimax.exe run", UsageNote()}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        toolkitsim::ClearBoxes();
        win32sim::SetCommandLine(c.line);
        EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
        EXPECT_EQ(FSetup, nullptr);
        const auto boxes = toolkitsim::Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].caption, kTitle.c_str());
    }
}

TEST_F(SetupFormTest, ProgramRunsUnattendedToItsEnd) {
    win32sim::SetCommandLine("Orlimax.exe auto");
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_TRUE(Exists(Prog("Bin\\defappl.bin")));
    EXPECT_EQ(GetFile(Prog("Bin\\favoritaudio.bin")), "Player\r\n");
}

} // namespace
