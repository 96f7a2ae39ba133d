// The settings dialog as a whole: opening, the page-change rules, OK, Cancel, the title bar's
// close, moving, and what the runtime does with the result.
#include "config_dialog_fixture.h"

#include "allocation_hooks.h"
#include "code_appl_tables.h"
#include "form_bar.h"
#include "form_info.h"
#include "form_time.h"
#include "osd.h"

#include <toolkitsim/control.h>
#include <win32sim/desktop.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using ConfigFormTest = DialogTest;

TEST_F(ConfigFormTest, TheWindowManagerMakesTheRealDialogAndTheRuntimeSeesItsCodeGrid) {
    bool seen = false;
    toolkitsim::OnModal([&](TCustomForm& form) {
        ASSERT_EQ(&form, FConfig);
        EXPECT_EQ(OpenConfigDialog(), FConfig);
        EXPECT_EQ(OpenConfigDialog()->vleCode, FConfig->vleCode);
        EXPECT_EQ(FConfig->pcConfig->PageCount(), 5);
        EXPECT_EQ(FConfig->pcConfig->Pages(1), FConfig->pCode);
        seen = true;
        FConfig->Finish();
        // The window manager's tick closes a released dialog.
        toolkitsim::At(100, [] { OsdTick(nullptr); });
    });
    ShowForm(KindConfig);
    EXPECT_TRUE(seen);
    toolkitsim::RunFor(10);
    EXPECT_EQ(FConfig, nullptr);
    EXPECT_EQ(OpenConfigDialog(), nullptr);
}

// The on-screen windows only show things: once the dialog is gone the user's application is in
// front again and gets the remote's keys, whichever of them is on screen.
TEST_F(ConfigFormTest, WhenTheDialogClosesTheUsersApplicationIsInFrontAgain) {
    win32sim::WindowSpec spec;
    spec.className = "Winamp v1.x";
    spec.visible = true;
    const HWND user = win32sim::CreateForeignWindow(spec, 20, 21);
    ASSERT_TRUE(SetForegroundWindow(user));
    Runtime.Consttime = 1;
    OsdShowClock(false);
    OsdShowText("Text", "");
    OsdShowBar("Bar", 50, "");
    for (TForm* form : std::vector<TForm*>{FTime, FInfo, FBar}) {
        ASSERT_NE(form, nullptr);
        EXPECT_TRUE(form->Visible);
    }
    EXPECT_EQ(GetForegroundWindow(), user) << "showing them took the foreground";
    toolkitsim::OnModal([&](TCustomForm& form) {
        EXPECT_EQ(GetForegroundWindow(), form.Handle());
        FConfig->Finish();
        toolkitsim::At(100, [] { OsdTick(nullptr); });
    });
    ShowForm(KindConfig);
    toolkitsim::RunFor(10);
    toolkitsim::OnModal(nullptr);
    EXPECT_EQ(FConfig, nullptr);
    EXPECT_TRUE(FTime->Visible);
    EXPECT_EQ(GetForegroundWindow(), user);
}

TEST_F(ConfigFormTest, TheInterfacePageShowsThePictureTheProgramCarries) {
    ASSERT_NE(CreateDialogOfKind(KindConfig, Application), nullptr);
    const TBitmap& picture = FConfig->imgOutput->Picture.Bitmap;
    EXPECT_FALSE(picture.Empty());
    EXPECT_EQ(picture.BitCount(), 24);
    EXPECT_EQ(FConfig->imgOutput->GetParent(), FConfig->pOutput);
    FConfig->Free();
}

using Lines = std::vector<std::string>;

Lines Items(const TListBox* box) {
    return {box->Items.begin(), box->Items.end()};
}

template <class T>
bool AllZero(const T& table) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(table.data());
    for (std::size_t i = 0; i < sizeof table; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}

class ConfigDialog : public ConfigDialogTest {
protected:
    void SetUp() override {
        ConfigDialogTest::SetUp();
        DefaultCodes({Code("Play", 0x101), Code("Stop", 0x102)});
    }

    // Leaves in both caches what a button run would leave.
    static void FillCaches() {
        std::strcpy(Runtime.FuncCache[0].ApplName, "System");
        Runtime.FuncCache[0].Hits = 4;
        std::strcpy(Runtime.CmdCache[7].ApplName, "System");
        Runtime.CmdCache[7].Step.Step = 1;
    }
    // A pending command file, as a No to the save question leaves it.
    void PendingCommands() { PutFile(Prog("Bin\\usercmdSystem.tmp"), "pending"); }
};

TEST_F(ConfigDialog, OpeningFillsThePagesAndStartsOnTheInterfacePage) {
    PutFile(Prog("Bin\\favoritaudio.bin"), "Winamp\r\nFoobar\r\n");
    PutFile(Prog("Bin\\favoritother.bin"), "Notepad");
    Start();
    WithDialog([&](TFConfig& f) {
        EXPECT_EQ(f.pcConfig->ActivePage, f.pOutput);
        EXPECT_EQ(f.CurrentPage(), 0);
        EXPECT_EQ(f.pcConfig->TabCount(), 5);
        EXPECT_EQ(GridLines(f), (Lines{"Play=257", "Stop=258"}));
        EXPECT_EQ(Items(f.lboxAudio), (Lines{"Winamp", "Foobar"}));
        EXPECT_EQ(Items(f.lboxOther), (Lines{"Notepad"}));
        EXPECT_TRUE(Items(f.lboxVideo).empty());
        EXPECT_EQ(f.grbAudio->Caption(), Text("FAVORITE", "0"));
        EXPECT_EQ(f.grbOther->Caption(), Text("FAVORITE", "4"));
        for (TButton* b : {f.btnAdd, f.btnDel, f.btnDefault, f.btnReconfig})
            EXPECT_FALSE(b->Enabled) << b->Name;
        for (TButton* b : {f.btnAdd, f.btnDel, f.btnDefault}) {
            EXPECT_EQ(b->Hint, "") << b->Name;
            EXPECT_EQ(b->HelpContext, 33) << b->Name;
        }
        EXPECT_FALSE(f.Loading);
        EXPECT_FALSE(f.Dragging);
        EXPECT_FALSE(f.FillingCodeGrid);
        EXPECT_EQ(f.FavouritesBox, nullptr);
        EXPECT_EQ(f.CurrentAppl, "");
        EXPECT_FALSE(f.CloseDone);
        EXPECT_EQ(f.Tag, 0);
        EXPECT_EQ(f.stgCommand->Tag, 0);
        EXPECT_EQ(f.stgFunc->Tag, 0);
        EXPECT_EQ(f.SavedBounds.Height, f.Height);
        EXPECT_EQ(f.SavedBounds.Width, f.Width);
        EXPECT_EQ(Runtime.ConfigMode, 1);
        EXPECT_EQ(Runtime.FormSlots[KindConfig].Hold, 1);
        toolkitsim::Click(*f.btnCancel);
    });
}

TEST_F(ConfigDialog, AFavouritesFileThatCannotBeReadIsReportedAndTheOthersAreLoaded) {
    // Too large for the memory left: reading it raises.
    constexpr std::size_t size = 400000;
    PutFile(Prog("Bin\\favoritvideo.bin"), std::string(size, 'v'));
    PutFile(Prog("Bin\\favoritdvd.bin"), "PowerDVD\r\n");
    Start();
    struct TRestore {
        ~TRestore() { allocation_hooks::FailFrom(0); }
    } restore;
    allocation_hooks::FailFrom(size);
    WithDialog([&](TFConfig& f) {
        allocation_hooks::FailFrom(0);
        EXPECT_EQ(toolkitsim::Boxes().size(), 1u);
        EXPECT_TRUE(Items(f.lboxVideo).empty());
        EXPECT_EQ(Items(f.lboxDVD), (Lines{"PowerDVD"}));
        EXPECT_FALSE(f.Loading) << "the opening ran to its end";
        EXPECT_EQ(f.btnAdd->HelpContext, 33);
        toolkitsim::Click(*f.btnCancel);
    });
}

TEST_F(ConfigDialog, WithoutExtOptionsTheCodeAndCommandTabsAreHidden) {
    config = "[Tuning]\r\npassed=1\r\n";
    Start();
    WithDialog([&](TFConfig& f) {
        EXPECT_EQ(f.pcConfig->TabCount(), 3);
        EXPECT_FALSE(f.pCode->TabVisible);
        EXPECT_FALSE(f.pCommand->TabVisible);
        toolkitsim::ClickTab(*f.pcConfig, 1);
        EXPECT_EQ(f.CurrentPage(), 2);
        EXPECT_EQ(f.btnAdd->Hint, Text("Hints", "hnt_addappl"));
        toolkitsim::ClickTab(*f.pcConfig, 2);
        EXPECT_EQ(f.CurrentPage(), 4);
        EXPECT_EQ(f.btnAdd->Hint, Text("Hints", "hnt_addfunc"));
        toolkitsim::ClickTab(*f.pcConfig, 0);
        EXPECT_EQ(f.CurrentPage(), 0);
        toolkitsim::Click(*f.btnCancel);
    });
}

TEST_F(ConfigDialog, WithoutLayeredWindowsTheirEffectsCannotBeChosen) {
    Start();
    Runtime.NoLayeredWindows = 1;
    WithDialog([&](TFConfig& f) {
        for (TCheckBox* b : {f.chbAnimation, f.chbInfoBackGround, f.chbAlpha}) {
            EXPECT_FALSE(b->Checked) << b->Name;
            EXPECT_FALSE(b->Enabled) << b->Name;
        }
        EXPECT_TRUE(f.chbRegions->Enabled);
        toolkitsim::Click(*f.btnCancel);
    });
}

// The shipped config.ini opens the dialog at its designed size in the middle of a 1024x768
// screen: the defaults for a window without a section would give less than its least size.
TEST_F(ConfigDialog, TheShippedConfigOpensItAtItsDesignedSizeCentred) {
    std::ifstream in(DIALOGS_SHIPPED_CONFIG_FILE, std::ios::binary);
    ASSERT_TRUE(in.good());
    // Its sections beside those the test needs.
    config += std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    Start();
    WithDialog([&](TFConfig& f) {
        EXPECT_EQ(f.Width, 680);
        EXPECT_EQ(f.Height, 492);
        EXPECT_EQ(f.Left, (1024 - 680) / 2);
        EXPECT_EQ(f.Top, (768 - 492) / 2);
        toolkitsim::Click(*f.btnCancel);
    });
}

TEST_F(ConfigDialog, ADenserScreenKeepsTheDesignedPixelSize) {
    toolkitsim::SetScreen(1024, 768, 144);
    Start();
    WithDialog([&](TFConfig& f) {
        EXPECT_EQ(f.btnOk->Width, 83 * 96 / 144);
        EXPECT_EQ(f.Tag, 0) << "scaling is no resize by the user";
        toolkitsim::Click(*f.btnCancel);
    });
}

TEST_F(ConfigDialog, EachPageEnablesItsButtonsWithItsHintsAndHelp) {
    struct Case {
        int tab;
        bool add, del, def, reconfig;
        const char* hints[3];
        int help[3];
    };
    const Case cases[] = {
        {0, false, false, false, false, {"", "", ""}, {33, 33, 33}},
        {1,
         true,
         true,
         true,
         true,
         {"hnt_addbutton", "hnt_delbutton", "hnt_defbutton"},
         {34, 34, 34}},
        {2, true, true, true, false, {"hnt_addappl", "hnt_delappl", "hnt_defappl"}, {35, 35, 35}},
        {3, true, true, true, false, {"hnt_addcmd", "hnt_delcmd", "hnt_defcmd"}, {28, 36, 36}},
        {4,
         false,
         false,
         false,
         false,
         {"hnt_addfunc", "hnt_delfunc", "hnt_deffunc"},
         {29, 37, 37}},
    };
    Start();
    WithDialog([&](TFConfig& f) {
        // An application chosen on the command page, none on the function page.
        f.cmbCommand->Items.Add("System");
        f.cmbCommand->ItemIndex = 0;
        f.stgCommand->Cells(0, 1) = "Enter";
        for (const Case& c : cases) {
            SCOPED_TRACE(c.tab);
            toolkitsim::ClickTab(*f.pcConfig, c.tab);
            EXPECT_EQ(f.CurrentPage(), c.tab);
            EXPECT_EQ(f.btnAdd->Enabled, c.add);
            EXPECT_EQ(f.btnDel->Enabled, c.del);
            EXPECT_EQ(f.btnDefault->Enabled, c.def);
            EXPECT_EQ(f.btnReconfig->Enabled, c.reconfig);
            TButton* shared[] = {f.btnAdd, f.btnDel, f.btnDefault};
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(shared[i]->Hint, *c.hints[i] ? Text("Hints", c.hints[i]) : "");
                EXPECT_EQ(shared[i]->HelpContext, c.help[i]);
            }
        }
        // Del waits for a command or a row to delete.
        f.stgCommand->Cells(0, 1) = "";
        toolkitsim::ClickTab(*f.pcConfig, 3);
        EXPECT_TRUE(f.btnAdd->Enabled);
        EXPECT_FALSE(f.btnDel->Enabled);
        f.stgAppl->RowCount = 1;
        toolkitsim::ClickTab(*f.pcConfig, 2);
        EXPECT_FALSE(f.btnDel->Enabled);
        f.vleCode->Strings.Clear();
        toolkitsim::ClickTab(*f.pcConfig, 1);
        EXPECT_TRUE(f.btnAdd->Enabled);
        EXPECT_FALSE(f.btnDel->Enabled);
        EXPECT_FALSE(f.btnReconfig->Enabled);
        toolkitsim::Click(*f.btnCancel);
    });
}

TEST_F(ConfigDialog, PageChangesAndTheCloseLetThePreviewWindowsGo) {
    Start();
    OsdShowText("info", "");
    OsdShowBar("bar", 5, "");
    OsdShowClock(false);
    WithDialog([&](TFConfig& f) {
        for (std::int16_t kind : {KindInfo, KindBar, KindTime})
            Runtime.FormSlots[kind].Hold = 1;
        Runtime.Consttime = 1;
        toolkitsim::ClickTab(*f.pcConfig, 2);
        EXPECT_EQ(Runtime.FormSlots[KindInfo].Hold, 0);
        EXPECT_EQ(Runtime.FormSlots[KindBar].Hold, 0);
        EXPECT_EQ(Runtime.FormSlots[KindTime].Hold, 1) << "the clock stays while shown constantly";
        Runtime.Consttime = 0;
        for (std::int16_t kind : {KindInfo, KindBar, KindTime})
            Runtime.FormSlots[kind].Hold = 1;
        toolkitsim::Click(*f.btnOk);
        EXPECT_EQ(Runtime.FormSlots[KindTime].Hold, 1) << "OK itself lets go of nothing";
    });
    for (std::int16_t kind : {KindInfo, KindBar, KindTime})
        EXPECT_EQ(Runtime.FormSlots[kind].Hold, 0) << kind;
}

TEST_F(ConfigDialog, OkStoresEverythingClearsTheCachesAndCommitsThePendingFiles) {
    PutFile(Prog("Bin\\favoritaudio.bin"), "Winamp\r\n");
    PendingCommands();
    Start();
    FillCaches();
    WithDialog([&](TFConfig& f) {
        // Alpha stays off: its value is taken all the same.
        toolkitsim::Click(*f.chbRegions);
        toolkitsim::Click(*f.chbInfoBackGround);
        toolkitsim::MoveTrackBar(*f.trbAlpha, 100);
        toolkitsim::MoveTrackBar(*f.trbMSpeedUp, 7);
        f.panTimeColor->Color = 0x123456;
        f.panInfoColor->Color = 0x654321;
        f.panBarColor->Color = 0x0000FF;
        f.lboxVideo->Items.Add("VLC");
        toolkitsim::ClickTab(*f.pcConfig, 1);
        toolkitsim::DblClickCell(*f.vleCode, 1, 1);
        Press(0x2B0);
        // Function grid edits of "System", marked unsaved.
        f.CurrentAppl = "System";
        f.stgFunc->Cells(0, 1) = "Mute";
        f.stgFunc->Cells(2, 1) = "\"Stop\"";
        f.stgFunc->Tag = 1;
        toolkitsim::Click(*f.btnOk);
        EXPECT_TRUE(f.CloseDone);
        EXPECT_EQ(Runtime.FormSlots[KindConfig].Hold, 0);
    });
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(Runtime.Alpha, 0);
    EXPECT_EQ(Runtime.Regions, 1);
    EXPECT_EQ(Runtime.Infobackground, 1);
    EXPECT_EQ(Runtime.Alphavalue, 100);
    EXPECT_FLOAT_EQ(Runtime.MouseSpeedStep, 0.7f);
    EXPECT_EQ(ConfigValue("Interface", "Alphavalue"), "100");
    EXPECT_EQ(ConfigValue("Interface", "Alpha"), "0");
    EXPECT_EQ(ConfigValue("Interface", "Regions"), "1");
    EXPECT_EQ(GetFile(Prog("Bin\\usercode.bin")), RecordBytes(std::vector{Code("Stop", 0x2B0)}));
    EXPECT_EQ(Runtime.CodeTable[1].Code, 0x2B0);
    EXPECT_TRUE(AllZero(Runtime.FuncCache));
    EXPECT_TRUE(AllZero(Runtime.CmdCache));
    EXPECT_EQ(GetFile(Prog("Bin\\usercmdSystem.bin")), "pending");
    EXPECT_FALSE(Exists(Prog("Bin\\usercmdSystem.tmp")));
    EXPECT_EQ(GetFile(Prog("Bin\\userfuncSystem.bin")).size(), sizeof(TFuncEntry));
    EXPECT_FALSE(Exists(Prog("Bin\\userfuncSystem.tmp")));
    EXPECT_EQ(GetFile(Prog("Bin\\favoritaudio.bin")), "Winamp\r\n");
    EXPECT_EQ(GetFile(Prog("Bin\\favoritvideo.bin")), "VLC\r\n");
    EXPECT_EQ(GetFile(Prog("Bin\\favoritother.bin")), "");
    EXPECT_EQ(Runtime.FormSlots[KindTime].Color, 0x123456);
    EXPECT_EQ(Runtime.FormSlots[KindInfo].Color, 0x654321);
    EXPECT_EQ(Runtime.FormSlots[KindBar].Color, 0x0000FF);
}

TEST_F(ConfigDialog, OkSavesNoGridOfNoApplication) {
    Start();
    WithDialog([&](TFConfig& f) {
        ASSERT_TRUE(f.CurrentAppl.empty());
        f.stgCommand->Cells(0, 1) = "Mute";
        f.stgCommand->Tag = 1;
        f.stgFunc->Cells(0, 1) = "Mute";
        f.stgFunc->Tag = 1;
        toolkitsim::Click(*f.btnOk);
        EXPECT_TRUE(f.CloseDone);
    });
    for (const char* file : {"usercmd.tmp", "usercmd.bin", "userfunc.tmp", "userfunc.bin"})
        EXPECT_FALSE(Exists(Prog(std::string("Bin\\") + file))) << file;
}

// A step of OK that fails, by config.ini or a favourites file being a folder, stops none of
// the steps after it; its message comes only when the button was pressed.
TEST_F(ConfigDialog, OkGoesOnPastAFailedStepAndReportsItOnlyForTheButton) {
    struct Case {
        const char* name;
        const char* folder;
        bool button;
        std::vector<toolkitsim::BoxKind> boxes;
        std::string boxText;
    };
    const Case cases[] = {
        {"config.ini", "config.ini", true, {toolkitsim::BoxKind::Message}, Msg("err_noini")},
        {"config.ini, no sender", "config.ini", false, {}, ""},
        {"a favourites file",
         "Bin\\favoritvideo.bin",
         true,
         {toolkitsim::BoxKind::Message},
         Text("FAVORITE", "1") + Msg("err_favwrite")},
        {"a favourites file, no sender", "Bin\\favoritvideo.bin", false, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PendingCommands();
        Remove(Prog("Bin\\usercode.bin"));
        Remove(Prog("Bin\\favoritaudio.bin"));
        Start();
        FillCaches();
        WithDialog([&](TFConfig& f) {
            Remove(Prog(c.folder));
            MakeDir(Prog(c.folder));
            toolkitsim::ClearBoxes();
            f.lboxAudio->Items.Add("Winamp");
            toolkitsim::ClickTab(*f.pcConfig, 1);
            toolkitsim::DblClickCell(*f.vleCode, 1, 0);
            Press(0x2C0);
            if (c.button)
                toolkitsim::Click(*f.btnOk);
            else
                f.btnOkClick(nullptr);
            const auto boxes = toolkitsim::Boxes();
            ASSERT_EQ(boxes.size(), c.boxes.size());
            for (std::size_t i = 0; i < boxes.size(); ++i)
                EXPECT_EQ(boxes[i].kind, c.boxes[i]);
            if (!c.boxText.empty()) {
                EXPECT_EQ(boxes[0].text, c.boxText);
            }
        });
        EXPECT_EQ(GetFile(Prog("Bin\\usercode.bin")),
                  RecordBytes(std::vector{Code("Play", 0x2C0)}));
        EXPECT_EQ(GetFile(Prog("Bin\\favoritaudio.bin")), "Winamp\r\n");
        EXPECT_TRUE(Exists(Prog("Bin\\favoritother.bin"))) << "the groups after it are saved";
        EXPECT_TRUE(AllZero(Runtime.FuncCache));
        EXPECT_TRUE(AllZero(Runtime.CmdCache));
        EXPECT_EQ(GetFile(Prog("Bin\\usercmdSystem.bin")), "pending");
        EXPECT_FALSE(Exists(Prog("Bin\\usercmdSystem.tmp")));
        StopProgram();
        Remove(Prog(c.folder));
        toolkitsim::ClearBoxes();
    }
}

TEST_F(ConfigDialog, OkReportsAUserFileThatCannotBeWrittenAndGoesOn) {
    struct Case {
        const char* file;
        const char* key;
    };
    for (const Case c :
         {Case{"Bin\\usercode.bin", "err_codewrite"}, Case{"Bin\\userappl.bin", "err_applwrite"}}) {
        SCOPED_TRACE(c.file);
        PendingCommands();
        Remove(Prog(c.file));
        MakeDir(Prog(c.file));
        Start();
        FillCaches();
        WithDialog([&](TFConfig& f) {
            toolkitsim::Click(*f.btnOk);
            EXPECT_EQ(BoxTexts(), (std::vector<std::string>{Msg(c.key)}));
        });
        EXPECT_TRUE(AllZero(Runtime.FuncCache));
        EXPECT_EQ(GetFile(Prog("Bin\\usercmdSystem.bin")), "pending");
        EXPECT_TRUE(Exists(Prog("Bin\\favoritother.bin")));
        StopProgram();
        Remove(Prog(c.file));
    }
}

// Running out of memory while the code table is rebuilt must not cost the user's file: an
// empty table saved would mark every default button deleted.
TEST_F(ConfigDialog, ACodeTableThatCannotBeRebuiltKeepsTheUserFile) {
    constexpr int buttons = 5000;
    std::vector<TCodeEntry> defaults;
    for (int i = 0; i < buttons; ++i)
        defaults.push_back(Code("B" + std::to_string(i), 0x1000 + i));
    DefaultCodes(defaults);
    const std::string userFile = RecordBytes(std::vector{Code("B1", 77), Code("Mine", 5)});
    PutFile(Prog("Bin\\usercode.bin"), userFile);
    PendingCommands();
    Start();
    ASSERT_EQ(Runtime.CodeCount, buttons + 1);
    FillCaches();
    WithDialog([&](TFConfig& f) {
        ASSERT_EQ(f.vleCode->Strings.Count(), buttons + 1);
        struct TRestore {
            ~TRestore() { allocation_hooks::FailFrom(0); }
        } restore;
        // Only the new table is this large.
        allocation_hooks::FailFrom((buttons + 1) * sizeof(TCodeEntry));
        toolkitsim::Click(*f.btnOk);
        allocation_hooks::FailFrom(0);
        EXPECT_EQ(BoxTexts(), (std::vector<std::string>{Msg("err_nomemory")}));
    });
    EXPECT_EQ(Runtime.CodeCount, 0);
    EXPECT_TRUE(Runtime.CodeTable.empty());
    EXPECT_EQ(GetFile(Prog("Bin\\usercode.bin")), userFile);
    EXPECT_TRUE(AllZero(Runtime.FuncCache));
    EXPECT_EQ(GetFile(Prog("Bin\\usercmdSystem.bin")), "pending");
    // The next start-up has the user's codes.
    ASSERT_EQ(LoadCodeTable(false), 0);
    EXPECT_EQ(Runtime.CodeCount, buttons + 1);
    EXPECT_EQ(Runtime.CodeTable[1].Code, 77);
}

// The same for the application table: its user file must not be rewritten from an empty table.
TEST_F(ConfigDialog, AnApplicationTableThatCannotBeRebuiltKeepsTheUserFile) {
    constexpr int appls = 2000;
    std::vector<TApplEntry> defaults{Appl("System", "")};
    for (int i = 0; i < appls; ++i)
        defaults.push_back(
            Appl("A" + std::to_string(i), "C" + std::to_string(i), "c:\\a" + std::to_string(i)));
    PutFile(Prog("Bin\\defappl.bin"), RecordBytes(defaults));
    const std::string userFile = RecordBytes(std::vector{Appl("Mine", "MyClass", "c:\\my.exe")});
    PutFile(Prog("Bin\\userappl.bin"), userFile);
    Start();
    ASSERT_EQ(Runtime.ApplCount, appls + 2);
    FillCaches();
    WithDialog([&](TFConfig& f) {
        struct TRestore {
            ~TRestore() { allocation_hooks::FailFrom(0); }
        } restore;
        // Only the new table is this large.
        allocation_hooks::FailFrom((appls + 2) * sizeof(TApplEntry));
        toolkitsim::Click(*f.btnOk);
        allocation_hooks::FailFrom(0);
        EXPECT_EQ(BoxTexts(), (std::vector<std::string>{Msg("err_nomemory")}));
    });
    EXPECT_EQ(Runtime.ApplCount, 0);
    EXPECT_TRUE(Runtime.ApplTable.empty());
    EXPECT_EQ(GetFile(Prog("Bin\\userappl.bin")), userFile);
    EXPECT_TRUE(AllZero(Runtime.FuncCache));
    ASSERT_EQ(LoadApplTable(false), 0);
    EXPECT_EQ(Runtime.ApplCount, appls + 2);
}

TEST_F(ConfigDialog, CancelDiscardsThePendingFilesAndPutsThePreviewedSettingsBack) {
    const std::string userFile = RecordBytes(std::vector{Code("Stop", 9)});
    PutFile(Prog("Bin\\usercode.bin"), userFile);
    PendingCommands();
    Start();
    FillCaches();
    const std::string configBefore = GetFile(Prog("config.ini"));
    TFConfig::TSavedSettings saved{};
    int left = 0;
    WithDialog([&](TFConfig& f) {
        saved = f.SavedSettings;
        toolkitsim::ClickTab(*f.pcConfig, 1);
        toolkitsim::DblClickCell(*f.vleCode, 1, 0);
        Press(0x2D0);
        // What the interface page's previews change at once.
        Runtime.Consttime = !saved.Consttime;
        Runtime.Infobackground = !saved.Infobackground;
        Runtime.Regions = !saved.Regions;
        Runtime.Alpha = !saved.Alpha;
        Runtime.Alphavalue = static_cast<std::int16_t>(saved.Alphavalue + 7);
        Runtime.Animation = !saved.Animation;
        Runtime.showcmdtext = 1;
        f.SetBounds(f.Left + 10, f.Top, f.Width, f.Height);
        left = f.Left;
        toolkitsim::Click(*f.btnCancel);
        EXPECT_TRUE(f.CloseDone);
        EXPECT_EQ(f.Tag, 1);
    });
    EXPECT_EQ(Runtime.Consttime, saved.Consttime);
    EXPECT_EQ(Runtime.Infobackground, saved.Infobackground);
    EXPECT_EQ(Runtime.Regions, saved.Regions);
    EXPECT_EQ(Runtime.Alpha, saved.Alpha);
    EXPECT_EQ(Runtime.Alphavalue, saved.Alphavalue);
    EXPECT_EQ(Runtime.Animation, saved.Animation);
    EXPECT_EQ(Runtime.showcmdtext, 1) << "not undone";
    EXPECT_FALSE(Exists(Prog("Bin\\usercmdSystem.tmp")));
    EXPECT_FALSE(Exists(Prog("Bin\\usercmdSystem.bin")));
    EXPECT_EQ(GetFile(Prog("Bin\\usercode.bin")), userFile);
    EXPECT_EQ(Runtime.CodeTable[0].Code, 0x101) << "the learnt code is dropped";
    EXPECT_FALSE(AllZero(Runtime.FuncCache)) << "the caches stay";
    EXPECT_EQ(ConfigValue("Interface", "Alphavalue"), "<none>");
    EXPECT_EQ(ConfigValue("FConfig", "Left"), std::to_string(left)) << "the moved dialog's place";
    EXPECT_EQ(GetFile(Prog("config.ini")).find(configBefore), 0u) << "only the layout is added";
}

TEST_F(ConfigDialog, TheTitleBarsCloseDiscardsAndPutsOnlyTheClockSettingBack) {
    const std::string userFile = RecordBytes(std::vector{Code("Stop", 9)});
    PutFile(Prog("Bin\\usercode.bin"), userFile);
    PendingCommands();
    Start();
    FillCaches();
    TFConfig::TSavedSettings saved{};
    bool checked = false;
    WithDialog(
        [&](TFConfig& f) {
            saved = f.SavedSettings;
            // The tick must not close the dialog before the close request has been looked at.
            FMain->tmrMain->Enabled = false;
            Runtime.Consttime = !saved.Consttime;
            Runtime.Alphavalue = static_cast<std::int16_t>(saved.Alphavalue - 30);
            toolkitsim::ClickTab(*f.pcConfig, 1);
            toolkitsim::DblClickCell(*f.vleCode, 1, 0);
            Press(0x2E0);
            PostMessageA(f.Handle(), WM_CLOSE, 0, 0);
            toolkitsim::At(50, [&] {
                ASSERT_EQ(FConfig, &f) << "the first close is refused";
                EXPECT_TRUE(f.Visible);
                EXPECT_TRUE(f.CloseDone);
                EXPECT_EQ(Runtime.FormSlots[KindConfig].Hold, 0);
                EXPECT_EQ(Runtime.ConfigMode, 1);
                EXPECT_FALSE(Exists(Prog("Bin\\usercmdSystem.tmp")));
                EXPECT_EQ(Runtime.Consttime, saved.Consttime);
                checked = true;
                FMain->tmrMain->Enabled = true;
            });
        },
        true);
    EXPECT_TRUE(checked);
    EXPECT_EQ(Runtime.Alphavalue, saved.Alphavalue - 30) << "stays in force for this run";
    EXPECT_EQ(ConfigValue("Interface", "Alphavalue"), "<none>") << "and never reaches config.ini";
    EXPECT_FALSE(Exists(Prog("Bin\\usercmdSystem.bin")));
    EXPECT_EQ(GetFile(Prog("Bin\\usercode.bin")), userFile);
    EXPECT_EQ(Runtime.CodeTable[0].Code, 0x101) << "the learnt code is dropped";
    EXPECT_FALSE(AllZero(Runtime.FuncCache)) << "the caches stay";
}

TEST_F(ConfigDialog, TheLeftButtonDragsTheDialogByItsSurface) {
    Start();
    int left = 0, top = 0;
    WithDialog([&](TFConfig& f) {
        const int l = f.Left, t = f.Top, w = f.Width, h = f.Height;
        toolkitsim::MouseDown(f, mbRight, 10, 10);
        toolkitsim::MouseMove(f, 40, 40);
        EXPECT_EQ(f.Left, l) << "the right button drags nothing";
        toolkitsim::MouseUp(f, mbRight, 40, 40);
        toolkitsim::MouseDown(f, mbLeft, 10, 10);
        EXPECT_TRUE(f.Dragging);
        toolkitsim::MouseMove(f, 30, 25);
        EXPECT_EQ(f.Left, l + 20);
        EXPECT_EQ(f.Top, t + 15);
        toolkitsim::MouseMove(f, 15, 5);
        EXPECT_EQ(f.Left, l + 25);
        EXPECT_EQ(f.Top, t + 10);
        EXPECT_EQ(f.Width, w);
        EXPECT_EQ(f.Height, h);
        toolkitsim::MouseUp(f, mbLeft, 15, 5);
        EXPECT_FALSE(f.Dragging);
        toolkitsim::MouseMove(f, 60, 60);
        EXPECT_EQ(f.Left, l + 25);
        left = f.Left;
        top = f.Top;
        toolkitsim::Click(*f.btnOk);
    });
    EXPECT_EQ(ConfigValue("FConfig", "Left"), std::to_string(left));
    EXPECT_EQ(ConfigValue("FConfig", "Top"), std::to_string(top));
}

TEST_F(ConfigDialog, AResizeMarksTheLayoutToBeSaved) {
    Start();
    WithDialog([&](TFConfig& f) {
        EXPECT_EQ(f.Tag, 0);
        f.SetBounds(f.Left, f.Top, 700, 520);
        EXPECT_EQ(f.Tag, 1);
        toolkitsim::Click(*f.btnCancel);
    });
    EXPECT_EQ(ConfigValue("FConfig", "Width"), "700");
    EXPECT_EQ(ConfigValue("FConfig", "Height"), "520");
}

TEST_F(ConfigDialog, TheStatusBarShowsTheApplicationsHint) {
    Start();
    WithDialog([&](TFConfig& f) {
        Application->Hint = "Some hint";
        EXPECT_EQ(f.StatusBar->SimpleText(), "Some hint");
        Application->Hint = "";
        EXPECT_EQ(f.StatusBar->SimpleText(), "");
        toolkitsim::Click(*f.btnCancel);
    });
}

// After OK the engine reads the bindings from the files again: a binding changed in a pending
// file runs its new command at the next press, although the old one was in the cache.
TEST_F(ConfigDialog, AfterOkTheNextPressRunsTheNewBinding) {
    auto step = [](const char* name, const char* vk) {
        TCmdStep s{};
        SetField(s.Name, name);
        s.Step = 1;
        s.StepCount = 1;
        s.CmdType = 7; // keybevent
        SetField(s.Param1, vk);
        SetField(s.Param2, "0");
        return s;
    };
    auto binding = [](const char* command, const char* keys) {
        TFuncEntry b{};
        SetField(b.CmdName, command);
        b.RcMode = 1;
        SetField(b.Keys, keys);
        return b;
    };
    PutFile(Prog("Bin\\defcmdSystem.bin"),
            RecordBytes(std::vector{step("KeyA", "65"), step("KeyB", "66")}));
    PutFile(Prog("Bin\\deffuncSystem.bin"), RecordBytes(std::vector{binding("KeyA", "\"Play\"")}));
    auto keysTyped = [] {
        std::vector<int> keys;
        for (const auto& e : win32sim::InputLog())
            if (e.kind == win32sim::InputEvent::Kind::Key)
                keys.push_back(e.vk);
        return keys;
    };
    Start();
    Press(0x101);
    ASSERT_EQ(keysTyped(), (std::vector<int>{65}));
    ASSERT_NE(Runtime.FuncCache[0].ApplName[0], 0) << "the binding is cached";
    WithDialog([&](TFConfig& f) {
        // As a No to the function page's save question leaves it: Play now runs KeyB.
        PutFile(Prog("Bin\\userfuncSystem.tmp"),
                RecordBytes(std::vector{binding("KeyA", ""), binding("KeyB", "\"Play\"")}));
        Press(0x101);
        toolkitsim::Click(*f.btnOk);
    });
    EXPECT_EQ(keysTyped(), (std::vector<int>{65})) << "nothing runs while the dialog is open";
    Press(0x101);
    EXPECT_EQ(keysTyped(), (std::vector<int>{65, 66}));
}

// Every text the dialog's core looks up has its Russian text in the shipped language file.
TEST(ShippedLanguage, HasEveryKeyTheDialogUses) {
    std::ifstream in(DIALOGS_RUSSIAN_LANGUAGE_FILE, std::ios::binary);
    ASSERT_TRUE(in.good());
    std::map<std::string, std::map<std::string, std::string>> file;
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos && !line.empty() && line[0] != ';')
            file[section][line.substr(0, eq)] = line.substr(eq + 1);
    }
    auto expectText = [&](const std::string& section, const std::string& key) {
        SCOPED_TRACE(section + "." + key);
        const auto it = file[section].find(key);
        ASSERT_NE(it, file[section].end());
        EXPECT_FALSE(it->second.empty());
    };
    for (const auto& [section, keys] : CoreLanguageKeys()) {
        for (const std::string& key : keys)
            expectText(section, key);
    }
    // Every caption and hint key of the form itself.
    TFConfig form(nullptr);
    ASSERT_GT(form.ComponentCount(), 80);
    for (int i = 0; i < form.ComponentCount(); ++i) {
        const auto* control = dynamic_cast<const TControl*>(form.Components(i));
        if (!control)
            continue;
        for (const std::string& key : {control->Caption(), control->Hint}) {
            const std::string prefix = key.substr(0, 4);
            if (prefix == "lbl_")
                expectText("Labels", key);
            else if (prefix == "btn_")
                expectText("Buttons", key);
            else if (prefix == "hnt_" || prefix == "htn_")
                expectText("Hints", key);
        }
    }
}

} // namespace
