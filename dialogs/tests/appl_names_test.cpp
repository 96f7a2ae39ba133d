// Application names that become file names, at the two doors of the settings dialog: typed into
// the application grid and added with Add; and the name "AC/DC" as a user meets it.
#include "config_dialog_fixture.h"
#include "dlgpages_fixture.h"

#include "cmd_func_files.h"
#include "file_name_cases.h"
#include "win32sim/processes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using toolkitsim::EditCell;
using toolkitsim::QueueInput;
using toolkitsim::QueueOpenFile;

class ApplNamesTest : public PagesTest {
protected:
    void SetUp() override {
        PagesTest::SetUp();
        std::string language = GetFile(Prog("LANG\\Rus.ini"));
        language.insert(language.find("[Msg]\r\n") + 7, "err_applname=Bad name \"\" here\r\n");
        PutFile(Prog("LANG\\Rus.ini"), language);
        // What a name climbing out of Bin would reach.
        PutFile(Prog("Bin\\usercode.bin"), "user codes");
    }
    TFConfig& Open() {
        return OpenDialogWith({Appl("System", ""), Appl("Player", "PlayerMain", "C:\\p.exe")});
    }
    static std::string Refusal(const std::string& name) { return "Bad name \"" + name + "\" here"; }
    std::vector<std::string> Files() const { return FilesUnder(hostRoot); }
};

TEST_F(ApplNamesTest, ANameTypedIntoTheApplicationGridThatCannotNameFilesIsRefused) {
    TFConfig& f = Open();
    for (const TFileNameCase& c : FileNameCases()) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(EditCell(*f.stgAppl, 0, 2, c.name), c.fits);
        EXPECT_EQ(f.stgAppl->Cells(0, 2), c.fits ? c.name : "Player");
        EXPECT_EQ(BoxTexts(),
                  c.fits ? std::vector<std::string>{} : std::vector<std::string>{Refusal(c.name)});
        f.stgAppl->Cells(0, 2) = "Player";
    }
    // The table keeps the name cut to its field: that must name files too.
    EXPECT_FALSE(EditCell(*f.stgAppl, 0, 2, std::string(24, ' ') + "x"));
    EXPECT_EQ(f.stgAppl->Cells(0, 2), "Player");
    BoxTexts();
    // Class and path are no names of files.
    EXPECT_TRUE(EditCell(*f.stgAppl, 1, 2, "Afx:400000:8"));
    EXPECT_TRUE(EditCell(*f.stgAppl, 2, 2, "C:\\Apps\\<new>\\p.exe"));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
}

TEST_F(ApplNamesTest, AddRefusesANameThatCannotNameFilesBeforeAskingForTheProgram) {
    TFConfig& f = Open();
    const std::string path = "C:\\Apps\\Tuner.exe";
    win32sim::SimulatedProgram tuner;
    tuner.idleAfter = 100;
    win32sim::WindowSpec window;
    window.className = "TunerMain";
    window.visible = true;
    tuner.windows = {window};
    win32sim::RegisterProgram(path, tuner);
    PutFile(Prog("appllist.ini"), "[OldTuner]\r\nName=tuner.exe\r\nCLSName=TunerMain\r\n");
    PutFile(Prog("Bin\\defcmdOldTuner.bin"), "tuner commands");
    PutFile(Prog("Bin\\deffuncOldTuner.bin"), "tuner bindings");
    for (const TFileNameCase& c : FileNameCases()) {
        SCOPED_TRACE(c.label);
        const std::vector<std::string> before = Files();
        const std::size_t dialogs = toolkitsim::Dialogs().size();
        const int rows = f.stgAppl->RowCount;
        QueueInput(c.name);
        if (c.fits)
            QueueOpenFile(path);
        page::AddAppl(f);
        if (c.fits) {
            EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Hold the cursor"});
            ASSERT_EQ(f.stgAppl->RowCount, rows + 1);
            EXPECT_EQ(f.stgAppl->Cells(0, rows), c.name);
            EXPECT_EQ(GetFile(Prog("Bin\\usercmd" + c.name + ".bin")), "tuner commands");
            EXPECT_EQ(GetFile(Prog("Bin\\userfunc" + c.name + ".bin")), "tuner bindings");
            continue;
        }
        // An empty answer does nothing; every other name is refused with the message. Neither
        // asks for the program nor touches a file.
        EXPECT_EQ(BoxTexts(), c.name.empty() ? std::vector<std::string>{}
                                             : std::vector<std::string>{Refusal(c.name)});
        EXPECT_EQ(toolkitsim::Dialogs().size(), dialogs + 1) << "the input box alone";
        EXPECT_EQ(f.stgAppl->RowCount, rows);
        EXPECT_EQ(NewFiles(before, Files()), std::vector<std::string>{});
        EXPECT_EQ(GetFile(Prog("Bin\\usercode.bin")), "user codes");
    }
}

// The tray program running and its settings dialog opened from the tray menu.
class ApplNamesDialog : public ConfigDialogTest {
protected:
    void SetUp() override {
        ConfigDialogTest::SetUp();
        DefaultCodes({Code("Play", 0x101)});
        PutFile(Prog("Bin\\defappl.bin"),
                RecordBytes(std::vector{Appl("Player", "PlayerMain", "C:\\p.exe")}));
    }
};

TEST_F(ApplNamesDialog, ACDCIsRefusedWhereItIsTypedAndTheApplicationKeepsASavableName) {
    Start();
    WithDialog([&](TFConfig& f) {
        toolkitsim::ClickTab(*f.pcConfig, 2);
        ASSERT_EQ(f.stgAppl->Cells(0, 2), "Player");
        EXPECT_FALSE(EditCell(*f.stgAppl, 0, 2, "AC/DC"));
        ASSERT_EQ(toolkitsim::Boxes().size(), 1u);
        EXPECT_EQ(toolkitsim::Boxes()[0].text, "AC/DC" + Msg("err_applname"));
        toolkitsim::ClearBoxes();
        EXPECT_EQ(f.stgAppl->Cells(0, 2), "Player");
        // Its bindings are saved under the name it kept.
        toolkitsim::ClickTab(*f.pcConfig, 4);
        toolkitsim::ChooseItem(*f.cmbFunction, "Player");
        toolkitsim::ClearBoxes();
        ASSERT_TRUE(EditCell(*f.stgFunc, 0, 1, "Play"));
        ASSERT_TRUE(EditCell(*f.stgFunc, 1, 1, "hold"));
        ASSERT_TRUE(EditCell(*f.stgFunc, 2, 1, "\"Play\""));
        toolkitsim::Click(*f.btnOk);
    });
    EXPECT_TRUE(toolkitsim::Boxes().empty());
    EXPECT_TRUE(Exists(Prog("Bin\\userfuncPlayer.bin")));
    TStringList list;
    EXPECT_EQ(LoadFuncGrid("Player", false, nullptr, &list), 0);
    EXPECT_EQ(list.Count(), 1);
}

} // namespace
