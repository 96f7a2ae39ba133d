// The search engine over a simulated machine: the list, the walk, the questions, the test start.
#include "search_fixture.h"

#include "records.h"

#include "win32sim/processes.h"

#include <toolkit.h>

#include <cstring>
#include <string>

namespace {

TEST_F(SearchTest, FillDriveListListsDrivesFromCOnly) {
    MapDrive('A');
    MapDrive('B');
    MapDrive('E');
    MapDrive('Z');
    TStringList drives;
    drives.Add("kept");
    FillDriveList(drives);
    ASSERT_EQ(drives.Count(), 4);
    EXPECT_EQ(drives[0], "kept");
    EXPECT_EQ(drives[1], "C:\\");
    EXPECT_EQ(drives[2], "E:\\");
    EXPECT_EQ(drives[3], "Z:\\");
}

TEST_F(SearchTest, SecondSearchTakesTheTicksOfItsOwnTime) {
    MapDrive('D');
    MapDrive('E');
    PutApplList("[P]\r\nName=p.exe\r\n[Q]\r\nName=q.exe\r\n");
    PutFile("D:\\p.exe", "x");
    PutFile("E:\\q.exe", "x");
    TForm* form = new TForm(Application);
    auto* drives = new TCheckListBox(form);
    FillDriveList(drives->Items);
    ASSERT_EQ(drives->Items.Count(), 3);
    struct Case {
        const char* label;
        bool c, d, e;
        const char* pPath;
        const char* qPath;
    } cases[] = {
        {"first search: D only", false, true, false, "D:\\p.exe", ""},
        {"E ticked, D unticked", false, false, true, "", "E:\\q.exe"},
        {"both again", false, true, true, "D:\\p.exe", "E:\\q.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        drives->SetChecked(0, c.c);
        drives->SetChecked(1, c.d);
        drives->SetChecked(2, c.e);
        PrepareDriveTable(*drives);
        EXPECT_FALSE(Search.FirstSearch);
        EXPECT_TRUE(Search.Drives[2].empty()) << "C is not ticked";
        EXPECT_TRUE(Search.Drives[25].empty()) << "Z is not listed";
        EXPECT_EQ(Search.Drives[3].empty(), !c.d);
        RunSearch();
        EXPECT_STREQ(Appl(0).Path, c.pPath);
        EXPECT_STREQ(Appl(1).Path, c.qPath);
    }
    EXPECT_EQ(Search.PristineDrives[3], "D");
}

TEST_F(SearchTest, ListIsReadIntoTheTableWithItsBadEntries) {
    PutApplList("[Winamp]\r\nName=winamp.exe\r\nCLSName=Winamp v1.x\r\nGroup=audio\r\n"
                "[Numbered]\r\nName=num.exe\r\nGroup=3\r\n"
                "[Hex]\r\nGroup=0x10\r\n"
                "[No keys at all]\r\n"
                "[A section name far longer than its field]\r\nName=long.exe\r\n"
                "[Long program]\r\nName=a-program-name-over-24.exe\r\n"
                "[Long class]\r\nCLSName=" +
                std::string(120, 'c') + "\r\nGroup=" + std::string(40, 'g') + "\r\n" +
                "[Huge]\r\nGroup=99999999999\r\n[Negative]\r\nGroup=-2\r\n");
    Search.Drives.fill("");
    RunSearch();
    ASSERT_EQ(Search.ApplCount, 9);
    ASSERT_EQ(Search.Table.size(), 9u);
    EXPECT_STREQ(Appl(0).Section, "Winamp");
    EXPECT_STREQ(Appl(0).Name, "winamp.exe");
    EXPECT_STREQ(Appl(0).CLSName, "Winamp v1.x");
    EXPECT_STREQ(Appl(0).Group, "audio");
    EXPECT_EQ(Appl(0).GroupIndex, 0) << "a group given as a word";
    EXPECT_EQ(Appl(1).GroupIndex, 3);
    EXPECT_EQ(Appl(2).GroupIndex, 16);
    EXPECT_STREQ(Appl(3).Name, "");
    EXPECT_STREQ(Appl(3).Group, "");
    EXPECT_EQ(std::string(Appl(4).Section), std::string("A section name far longe"));
    EXPECT_STREQ(Appl(5).Name, "") << "a name that does not fit can never be found";
    EXPECT_EQ(std::string(Appl(6).CLSName), std::string(99, 'c'));
    EXPECT_EQ(std::string(Appl(6).Group), std::string(26, 'g'));
    EXPECT_EQ(Appl(7).GroupIndex, 0) << "no 32-bit number";
    EXPECT_EQ(Appl(8).GroupIndex, -2) << "kept for the favourites writer, which appends it";
    for (const TSearchAppl& a : Search.Table)
        EXPECT_STREQ(a.Path, "");

    EXPECT_EQ(view.rowCount, 10);
    EXPECT_EQ(view.Cell(0, 1), "Winamp");
    EXPECT_EQ(view.Cell(1, 1), "Winamp v1.x");
    EXPECT_EQ(view.Cell(2, 1), "");
    EXPECT_EQ(view.Cell(0, 7), "Long class");
}

TEST_F(SearchTest, ClassColumnStaysEmptyWhileTestStartIsOn) {
    PutApplList("[Winamp]\r\nName=winamp.exe\r\nCLSName=Winamp v1.x\r\n");
    Search.Drives.fill("");
    Search.TestStart = 1;
    RunSearch();
    EXPECT_EQ(view.Cell(1, 1), "");
    EXPECT_STREQ(Appl(0).CLSName, "Winamp v1.x");
}

TEST_F(SearchTest, WalkFindsProgramsWhateverTheirAttributes) {
    MapDrive('D');
    MapDrive('E');
    PutApplList("[Winamp]\r\nName=WINAMP.EXE\r\n[Player]\r\nName=player.exe\r\n"
                "[Hidden]\r\nName=hidden.exe\r\n[System]\r\nName=sys.exe\r\n"
                "[ReadOnly]\r\nName=ro.exe\r\n[Absent]\r\nName=absent.exe\r\n");
    PutLabels("lbl_disks=Drives:\r\nlbl_dirs=Folders:\r\nlbl_files=Files:\r\n");
    PutFile("D:\\winamp.exe", "x");
    PutFile("D:\\Program Files\\Media\\Player.exe", "x");
    PutFile("D:\\Secret\\hidden.exe", "x");
    PutFile("D:\\Program Files\\sys.exe", "x");
    PutFile("E:\\Tools\\ro.exe", "x");
    PutFile("E:\\Tools\\readme.txt", "x");
    ASSERT_TRUE(SetFileAttributesA("D:\\Secret", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(SetFileAttributesA("D:\\Secret\\hidden.exe", FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA("D:\\Program Files\\sys.exe",
                                   FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA("E:\\Tools\\ro.exe", FILE_ATTRIBUTE_READONLY));
    Search.Drives[2].clear(); // drive C holds the program folder only
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\Tavrin RC"));

    RunSearch();

    EXPECT_STREQ(Appl(0).Path, "D:\\winamp.exe") << "found at the root, no doubled backslash";
    EXPECT_STREQ(Appl(1).Path, "D:\\Program Files\\Media\\Player.exe");
    EXPECT_STREQ(Appl(2).Path, "D:\\Secret\\hidden.exe");
    EXPECT_STREQ(Appl(3).Path, "D:\\Program Files\\sys.exe");
    EXPECT_STREQ(Appl(4).Path, "E:\\Tools\\ro.exe");
    EXPECT_STREQ(Appl(5).Path, "");
    EXPECT_EQ(view.Cell(2, 1), "D:\\winamp.exe");
    EXPECT_EQ(view.Cell(2, 5), "E:\\Tools\\ro.exe");
    EXPECT_EQ(view.Cell(2, 6), "");

    EXPECT_EQ(Search.DirCount, 4);
    EXPECT_EQ(Search.FileCount, 6);
    EXPECT_EQ(Search.DriveCount, 2);
    EXPECT_EQ(view.status[0], "Drives:2");
    EXPECT_EQ(view.status[1], "Folders:4");
    EXPECT_EQ(view.status[2], "Files:6");
    const std::vector<std::string> folders = {"D:\\Program Files", "D:\\Program Files\\Media",
                                              "D:\\Secret", "E:\\Tools"};
    EXPECT_EQ(view.folders.size(), 4u);
    for (const std::string& f : folders)
        EXPECT_NE(std::find(view.folders.begin(), view.folders.end(), f), view.folders.end()) << f;
    char current[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, current), 0u);
    EXPECT_STREQ(current, "C:\\Tavrin RC") << "the current directory is restored";
}

TEST_F(SearchTest, DrivesAAndBAndEmptyEntriesAreNeverSearched) {
    MapDrive('A');
    MapDrive('B');
    MapDrive('D');
    MapDrive('E');
    PutApplList("[P]\r\nName=p.exe\r\n[Q]\r\nName=q.exe\r\n");
    PutFile("A:\\p.exe", "x");
    PutFile("B:\\p.exe", "x");
    PutFile("D:\\p.exe", "x");
    PutFile("E:\\q.exe", "x");
    Search.Drives[2].clear();
    Search.Drives[3].clear(); // D not ticked
    RunSearch();
    EXPECT_STREQ(Appl(0).Path, "");
    EXPECT_STREQ(Appl(1).Path, "E:\\q.exe");
    EXPECT_EQ(Search.DriveCount, 1);
}

TEST_F(SearchTest, OneFileFillsEverySectionOfThatName) {
    MapDrive('D');
    PutApplList("[Audio player]\r\nName=mp.exe\r\n[Video player]\r\nName=MP.exe\r\n");
    PutFile("D:\\Apps\\mp.exe", "x");
    Search.Drives[2].clear();
    RunSearch();
    EXPECT_STREQ(Appl(0).Path, "D:\\Apps\\mp.exe");
    EXPECT_STREQ(Appl(1).Path, "D:\\Apps\\mp.exe");
    EXPECT_TRUE(view.questions.empty());
}

TEST_F(SearchTest, SecondFindAsksBeforeReplacing) {
    struct Case {
        const char* label;
        bool answer;
        const char* path;
    } cases[] = {{"No keeps the first", false, "D:\\A\\mp.exe"},
                 {"Yes takes the second", true, "D:\\B\\mp.exe"}};
    MapDrive('D');
    PutApplList("[Player]\r\nName=mp.exe\r\n");
    PutLabels("lbl_searchprompt=#1: #2 or #3? #1\r\n");
    PutFile("D:\\A\\mp.exe", "x");
    PutFile("D:\\B\\mp.exe", "x");
    Search.Drives[2].clear();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        view = RecordingView();
        view.answers = {c.answer};
        RunSearch();
        EXPECT_STREQ(Appl(0).Path, c.path);
        ASSERT_EQ(view.questions.size(), 1u);
        EXPECT_EQ(view.questions[0].first, "Player");
        EXPECT_EQ(view.questions[0].second, "Player: D:\\A\\mp.exe or D:\\B\\mp.exe? #1");
        EXPECT_EQ(view.Cell(2, 1), c.path);
    }
}

TEST_F(SearchTest, QuestionWithoutItsTextIsStillAsked) {
    MapDrive('D');
    PutApplList("[Player]\r\nName=mp.exe\r\n");
    PutFile("D:\\A\\mp.exe", "x");
    PutFile("D:\\B\\mp.exe", "x");
    Search.Drives[2].clear();
    view.answers = {true};
    RunSearch();
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0].second, "");
    EXPECT_STREQ(Appl(0).Path, "D:\\B\\mp.exe");
}

TEST_F(SearchTest, PathLongerThanItsFieldIsNotRecorded) {
    MapDrive('D');
    // "D:\" + folder + "\" + name: 254 characters fit the field, 255 do not.
    const std::string name = std::string(16, 'n') + ".exe";
    const std::string fitsDir(254 - 3 - 1 - name.size(), 'f');
    const std::string longDir(fitsDir.size() + 1, 'L');
    PutApplList("[Fits]\r\nName=" + name + "\r\nGroup=after\r\n");
    PutFile("D:\\" + longDir + "\\" + name, "x");
    Search.Drives[2].clear();
    RunSearch();
    EXPECT_STREQ(Appl(0).Path, "") << "a 255-character path would not fit";
    EXPECT_EQ(Search.FileCount, 1);
    EXPECT_EQ(Search.DirCount, 1);
    EXPECT_STREQ(Appl(0).Group, "after") << "the field after Path is untouched";

    PutFile("D:\\" + fitsDir + "\\" + name, "x");
    RunSearch();
    const std::string expected = "D:\\" + fitsDir + "\\" + name;
    ASSERT_EQ(expected.size(), 254u);
    EXPECT_EQ(std::string(Appl(0).Path), expected);
    EXPECT_EQ(view.Cell(2, 1), expected);
    EXPECT_STREQ(Appl(0).Group, "after");
}

TEST_F(SearchTest, StopEndsTheWalkAfterTheCurrentEntryAndSkipsTheOtherDrives) {
    MapDrive('D');
    MapDrive('E');
    PutApplList("[P]\r\nName=p.exe\r\n[Q]\r\nName=q.exe\r\n");
    PutFile("D:\\A\\Inner\\x.txt", "x");
    PutFile("D:\\B\\p.exe", "x");
    PutFile("E:\\q.exe", "x");
    Search.Drives[2].clear();
    view.onFolder = [](const std::string& path) {
        if (path == "D:\\A")
            Search.StopSearch = 1;
    };
    RunSearch();
    EXPECT_EQ(view.folders, std::vector<std::string>{"D:\\A"}) << "nothing entered after Stop";
    EXPECT_EQ(Search.DirCount, 1);
    EXPECT_STREQ(Appl(0).Path, "");
    EXPECT_STREQ(Appl(1).Path, "") << "drive E is skipped";
    EXPECT_EQ(view.status.size(), 3u) << "the counts so far are shown";
}

TEST_F(SearchTest, MissingOrEmptyListSearchesNothingAndKeepsTheTable) {
    MapDrive('D');
    PutFile("D:\\p.exe", "x");
    PutLabels("lbl_disks=Drives:\r\nlbl_dirs=Folders:\r\nlbl_files=Files:\r\n");
    Search.Drives[2].clear();
    PutApplList("[P]\r\nName=p.exe\r\n");
    RunSearch();
    ASSERT_EQ(Search.Table.size(), 1u);

    struct Case {
        const char* label;
        bool present;
        const char* text;
    } cases[] = {{"missing", false, ""}, {"no sections", true, "; nothing here\r\nkey=1\r\n"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        if (c.present)
            PutApplList(c.text);
        else
            Remove(Prog("appllist.ini"));
        view = RecordingView();
        RunSearch();
        EXPECT_EQ(view.rowCount, -1);
        EXPECT_EQ(view.status[0], "Drives:0");
        EXPECT_EQ(view.status[1], "Folders:0");
        EXPECT_EQ(view.status[2], "Files:0");
        ASSERT_EQ(Search.Table.size(), 1u) << "the earlier table stays";
        EXPECT_STREQ(Appl(0).Path, "D:\\p.exe");
    }
}

TEST_F(SearchTest, NewSearchMakesTheTableAnew) {
    MapDrive('D');
    PutFile("D:\\p.exe", "x");
    Search.Drives[2].clear();
    PutApplList("[P]\r\nName=p.exe\r\n");
    RunSearch();
    PutApplList("[Q]\r\nName=q.exe\r\n[P]\r\nName=p.exe\r\n");
    RunSearch();
    ASSERT_EQ(Search.Table.size(), 2u);
    EXPECT_STREQ(Appl(0).Path, "");
    EXPECT_STREQ(Appl(1).Path, "D:\\p.exe");
}

class TestStartTest : public SearchTest {
protected:
    void SetUp() override {
        SearchTest::SetUp();
        MapDrive('D');
        Search.Drives[2].clear();
        Search.TestStart = 1;
        PutApplList("[Player]\r\nName=player.exe\r\nCLSName=PlayerClass\r\n");
        PutFile("D:\\player.exe", "x");
    }
};

TEST_F(TestStartTest, FirstVisibleWindowDecidesTheClass) {
    struct Case {
        const char* label;
        win32sim::SimulatedProgram program;
        const char* clsName;
    } cases[] = {
        {"visible main window", {0, 500, {}, {{"Main", "", true}}, {}, 0}, "PlayerClass"},
        {"hidden window, then a visible one",
         {0, 500, {}, {{"Hidden", "", false}, {"Main", "", true}}, {}, 0},
         "PlayerClass"},
        {"a dialog first", {0, 500, {}, {{"#32770", "", true}}, {}, 0}, ""},
        {"no visible window", {0, 500, {}, {{"Hidden", "", false}}, {}, 0}, ""},
        {"never idle", {0, std::nullopt, {}, {{"Main", "", true}}, {}, 0}, "PlayerClass"},
        {"cannot start", {ERROR_FILE_NOT_FOUND, 0, {}, {}, {}, 0}, "PlayerClass"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        win32sim::RegisterProgram("D:\\player.exe", c.program);
        view = RecordingView();
        RunSearch();
        EXPECT_STREQ(Appl(0).Path, "D:\\player.exe");
        EXPECT_STREQ(Appl(0).CLSName, c.clsName);
        for (const win32sim::ProcessInfo& p : win32sim::Processes())
            EXPECT_FALSE(p.running) << "every started program is ended";
    }
    const auto launches = win32sim::LaunchLog();
    ASSERT_FALSE(launches.empty());
    EXPECT_EQ(launches[0].applicationName, "D:\\player.exe");
    EXPECT_FALSE(launches[0].hasCommandLine);
    EXPECT_TRUE(launches[0].startupInfoZero);
    EXPECT_FALSE(launches[0].inheritHandles);
}

TEST_F(TestStartTest, FoundClassIsShownAndTheWindowRepainted) {
    win32sim::RegisterProgram("D:\\player.exe", {0, 500, {}, {{"#32770", "", true}}, {}, 0});
    RunSearch();
    EXPECT_EQ(view.Cell(1, 1), "");
    EXPECT_EQ(view.repaints, 1);
    ASSERT_EQ(win32sim::Processes().size(), 1u);
    EXPECT_EQ(win32sim::Processes()[0].exitCode, 0u);
}

TEST_F(TestStartTest, StopDuringTheTestStartEndsTheProgramWithoutWaiting) {
    win32sim::RegisterProgram("D:\\player.exe",
                              {0, std::nullopt, {}, {{"#32770", "", true}}, {}, 0});
    // Stop arrives while the path is shown, just before the program starts.
    view.onCell = [](int column, int, const std::string& text) {
        if (column == 2 && !text.empty())
            Search.StopSearch = 1;
    };
    const DWORD start = GetTickCount();
    RunSearch();
    EXPECT_LT(GetTickCount() - start, 1000u) << "no 20 s wait for input idle";
    EXPECT_STREQ(Appl(0).CLSName, "PlayerClass") << "no window looked at";
    ASSERT_EQ(win32sim::Processes().size(), 1u);
    EXPECT_FALSE(win32sim::Processes()[0].running);
}

TEST_F(TestStartTest, ProgramThatNeverBecomesIdleIsWaitedForTwentySeconds) {
    win32sim::RegisterProgram("D:\\player.exe",
                              {0, std::nullopt, {}, {{"#32770", "", true}}, {}, 0});
    const DWORD start = GetTickCount();
    RunSearch();
    EXPECT_GE(GetTickCount() - start, 20000u);
    EXPECT_LT(GetTickCount() - start, 21000u) << "no sleep after a failed wait";
    EXPECT_STREQ(Appl(0).CLSName, "PlayerClass");
    EXPECT_FALSE(win32sim::Processes().at(0).running);
}

TEST(FindMainWindowProcTest, ClassOfTheFirstVisibleWindow) {
    win32sim::ResetMachine();
    const HWND visible = win32sim::CreateForeignWindow({"Main", "", true}, 100, 200);
    const HWND hidden = win32sim::CreateForeignWindow({"Hidden", "", false}, 100, 200);
    const HWND dialog = win32sim::CreateForeignWindow({"#32770", "", true}, 100, 200);
    struct Case {
        const char* label;
        HWND window;
        LPARAM parameter;
        BOOL result;
        const char* buffer;
    } cases[] = {
        {"visible", visible, 1, FALSE, "Main"},
        {"hidden, go on", hidden, 1, TRUE, ""},
        {"hidden, stop", hidden, 0, FALSE, ""},
        {"dialog", dialog, 1, FALSE, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::strcpy(Search.ClassBuffer, "untouched");
        EXPECT_EQ(FindMainWindowProc(c.window, c.parameter), c.result);
        EXPECT_STREQ(Search.ClassBuffer, c.buffer);
    }
    win32sim::ResetMachine();
    Search.Reset();
}

} // namespace
