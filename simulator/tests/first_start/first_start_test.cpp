// The tray program's first start end to end: the start-up's question, the real search program
// run unattended as a second program on the same simulated machine, and the tables the tray
// program loads from what the search wrote; the next start asks nothing and searches nothing.
#include "chain_fixture.h"
#include "main_form.h"
#include "receiver_binding.h"
#include "records.h"
#include "runtime_state.h"

#include "cp1251.h"
#include "win32sim/desktop.h"
#include "win32sim/processes.h"

#include <toolkit.h>
#include <toolkitsim/control.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr auto kSearchCaption = cp1251::Literal("Поиск приложений");
constexpr auto kQuestion =
    cp1251::Literal("Поиск приложений ещё не выполнялся. Выполнить его сейчас?");

struct Found {
    std::string name;
    std::string windowClass;
    std::string path;
};

class FirstStartTest : public ReceiverChainTest {
protected:
    void SetUp() override {
        ReceiverChainTest::SetUp();
        ResetRuntimeState();
        toolkitsim::Reset();
        // The shipped folder, its language file with the search window's caption included,
        // without the results of an earlier search.
        std::error_code error;
        fs::copy(EXAMPLE_FOLDER, win32sim::HostPath(kProgramFolder), fs::copy_options::recursive,
                 error);
        ASSERT_FALSE(error) << error.message();
        Remove(Prog("Bin\\defappl.bin"));
        Remove(Prog("Bin\\favoritAudio.bin"));
        PutFile(Prog("appllist.ini"), "[Player]\r\nName=Player.exe\r\nCLSName=PlayerMain\r\n"
                                      "Group=audio\r\n"
                                      "[Winamp]\r\nName=winamp.exe\r\nCLSName=Winamp v1.x\r\n"
                                      "Group=audio\r\n"
                                      "[Video]\r\nName=vlc.exe\r\nCLSName=VLC\r\nGroup=video\r\n"
                                      "[Notepad]\r\nName=notepad.exe\r\nCLSName=Notepad\r\n"
                                      "Group=other\r\n");
        // The drives hold three of them, one on a second drive; the video player is missing.
        std::string d = (fs::temp_directory_path() / "simdrive-XXXXXX").string();
        ASSERT_NE(::mkdtemp(d.data()), nullptr);
        driveD = d;
        win32sim::MapDrive('D', driveD);
        PutFile("C:\\Program Files\\Player\\Player.exe", "MZ");
        PutFile("C:\\Program Files\\Winamp\\winamp.exe", "MZ");
        PutFile("D:\\Tools\\notepad.exe", "MZ");
        win32sim::RegisterHostProgram(Prog("Orlimax.exe"), {ORLIMAX_HOST});
    }
    void TearDown() override {
        toolkitsim::Reset();
        UnbindReceiverLibrary();
        ResetRuntimeState();
        ReceiverChainTest::TearDown();
        std::error_code ignored;
        fs::remove_all(driveD, ignored);
    }

    // A start of the tray program: its start-up runs while the main form is made.
    void Start() {
        Application->CreateForm(FMain);
        ASSERT_NE(FMain, nullptr);
    }
    // The tray menu's exit, and a fresh program state for the next start.
    void Exit() {
        toolkitsim::ClickItem(*FMain->NExit);
        EXPECT_TRUE(Application->Terminated());
        toolkitsim::Reset();
        ResetRuntimeState();
    }

    static std::vector<Found> Expected() {
        return {{"Player", "PlayerMain", "C:\\Program Files\\Player\\Player.exe"},
                {"Winamp", "Winamp v1.x", "C:\\Program Files\\Winamp\\winamp.exe"},
                {"Notepad", "Notepad", "D:\\Tools\\notepad.exe"}};
    }
    std::vector<Found> DefApplRecords() {
        const std::string bytes = GetFile(Prog("Bin\\defappl.bin"));
        EXPECT_EQ(bytes.size() % sizeof(TApplEntry), 0u);
        std::vector<Found> records;
        for (std::size_t at = 0; at + sizeof(TApplEntry) <= bytes.size();
             at += sizeof(TApplEntry)) {
            TApplEntry e;
            std::memcpy(&e, bytes.data() + at, sizeof e);
            EXPECT_EQ(e.Wnd, 0);
            records.push_back({FieldText(e.Name), FieldText(e.ClassName), FieldText(e.Path)});
        }
        return records;
    }
    static std::vector<Found> ApplTable() {
        std::vector<Found> table;
        for (std::int32_t i = 0; i < Runtime.ApplCount; ++i) {
            const TApplEntry& e = Runtime.ApplTable.at(static_cast<std::size_t>(i));
            table.push_back({FieldText(e.Name), FieldText(e.ClassName), FieldText(e.Path)});
        }
        return table;
    }

    std::string driveD;
};

bool operator==(const Found& a, const Found& b) {
    return a.name == b.name && a.windowClass == b.windowClass && a.path == b.path;
}

void PrintTo(const Found& f, std::ostream* out) {
    *out << f.name << "|" << f.windowClass << "|" << f.path;
}

TEST_F(FirstStartTest, TheFirstStartRunsTheSearchAndLoadsWhatItFound) {
    toolkitsim::QueueAnswer(mrYes);
    Start();
    const DWORD startUpEnded = GetTickCount();

    const auto boxes = toolkitsim::Boxes();
    ASSERT_EQ(boxes.size(), 1u) << "the question only: no err_notuning, no missing table";
    EXPECT_EQ(boxes[0].kind, toolkitsim::BoxKind::Dialog);
    EXPECT_EQ(boxes[0].dialogType, mtConfirmation);
    EXPECT_EQ(boxes[0].text, kQuestion.c_str());
    EXPECT_EQ(boxes[0].answer, mrYes);

    const auto launches = win32sim::LaunchLog();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].commandLine, "\"" + Prog("Orlimax.exe") + "\" auto");
    ASSERT_TRUE(launches[0].started);
    const auto processes = win32sim::Processes();
    ASSERT_EQ(processes.size(), 1u);
    EXPECT_FALSE(processes[0].running) << "the search program has ended by itself";
    EXPECT_EQ(processes[0].exitCode, 0u);

    // Its window stood on the desktop by the class and caption the start-up waits for, from
    // the moment it was ready until it went; start-up went on no later than its next look.
    std::vector<win32sim::WindowEvent> search;
    for (const auto& e : win32sim::WindowEvents())
        if (e.processId == processes[0].processId && e.className == "TFSetup")
            search.push_back(e);
    ASSERT_EQ(search.size(), 2u);
    EXPECT_TRUE(search[0].opened);
    EXPECT_EQ(search[0].caption, kSearchCaption.c_str());
    EXPECT_FALSE(search[1].opened);
    EXPECT_EQ(search[1].caption, kSearchCaption.c_str());
    EXPECT_GT(search[1].time, search[0].time);
    EXPECT_GE(startUpEnded, search[0].time + 2000) << "the pause after it became ready";
    EXPECT_GE(startUpEnded, search[1].time);
    EXPECT_LT(startUpEnded, search[1].time + 1000 + 1) << "a look every second";
    EXPECT_EQ(FindWindowA("TFSetup", nullptr), nullptr);

    // What the search wrote: the programs found, in the order of appllist.ini, with paths.
    EXPECT_EQ(DefApplRecords(), Expected());
    EXPECT_EQ(GetFile(Prog("Bin\\favoritaudio.bin")), "Winamp\r\nPlayer\r\n");
    EXPECT_EQ(GetFile(Prog("Bin\\favoritother.bin")), "Notepad\r\n");
    EXPECT_FALSE(Exists(Prog("Bin\\favoritvideo.bin"))) << "a group with nothing found";
    EXPECT_EQ(GetPrivateProfileIntA("Tuning", "passed", 0, Prog("config.ini").c_str()), 1);

    // The tray program loaded the table the search wrote, after the built-in "System".
    std::vector<Found> table = Expected();
    table.insert(table.begin(), Found{"System", "", ""});
    EXPECT_EQ(ApplTable(), table);
    EXPECT_TRUE(FMain->tmrMain->Enabled);
    Exit();

    // The next start knows the search has run: no question, no search, the same table.
    Start();
    EXPECT_TRUE(toolkitsim::Boxes().empty());
    EXPECT_EQ(win32sim::LaunchLog().size(), 1u);
    EXPECT_EQ(Runtime.passed, 1);
    EXPECT_EQ(ApplTable(), table);
    Exit();
}

TEST_F(FirstStartTest, ASearchThatCannotSaveIsOfferedAgainOnTheNextStart) {
    MakeDir(Prog("Bin\\defappl.bin")); // no file can be made in its place
    toolkitsim::QueueAnswer(mrYes);
    Start();
    ASSERT_EQ(win32sim::Processes().size(), 1u);
    EXPECT_FALSE(win32sim::Processes()[0].running) << "the unattended run ended after its box";
    for (const auto& box : toolkitsim::Boxes())
        EXPECT_EQ(box.text.find(cp1251::Literal("программу поиска").c_str()), std::string::npos)
            << "the search program ran: no err_notuning";
    EXPECT_EQ(GetPrivateProfileIntA("Tuning", "passed", 0, Prog("config.ini").c_str()), 0);
    EXPECT_EQ(ApplTable(), (std::vector<Found>{{"System", "", ""}}));
    Exit();

    toolkitsim::QueueAnswer(mrNo);
    Start();
    const auto boxes = toolkitsim::Boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].text, kQuestion.c_str());
    Exit();
}

TEST_F(FirstStartTest, AnsweredNoTheSearchDoesNotRunAndIsOfferedAgain) {
    toolkitsim::QueueAnswer(mrNo);
    Start();
    EXPECT_TRUE(win32sim::LaunchLog().empty());
    EXPECT_FALSE(Exists(Prog("Bin\\defappl.bin")));
    Exit();
    toolkitsim::QueueAnswer(mrNo);
    Start();
    const auto boxes = toolkitsim::Boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].text, kQuestion.c_str()) << "asked again";
    Exit();
}

} // namespace
