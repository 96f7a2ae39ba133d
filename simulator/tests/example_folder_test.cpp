// The shipped example program folder: its record files are those of their readable source, its
// language file is code page 1251 with every section and key the programs look up, and its
// pictures and sound are files the programs can use.
#include "example_data.h"
#include "keyword_lists.h"
#include "language.h"
#include "records.h"
#include "runtime_state.h"
#include "sim_fixture.h"

#include "cp1251.h"

#include <toolkit.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(ExampleFolderTest, RecordFilesAreThoseOfTheirSource) {
    std::map<std::string, std::string> built;
    std::string error;
    ASSERT_TRUE(simulator::BuildExampleRecords(Read(EXAMPLE_SOURCE), built, &error)) << error;
    const fs::path bin = fs::path(EXAMPLE_FOLDER) / "Bin";
    std::map<std::string, std::string> shipped;
    for (const auto& entry : fs::directory_iterator(bin))
        shipped[entry.path().filename().string()] = Read(entry.path());
    ASSERT_EQ(built.size(), shipped.size());
    for (const auto& [name, bytes] : built) {
        SCOPED_TRACE(name);
        ASSERT_EQ(shipped.count(name), 1u) << "run make_example_data to refresh data/Bin";
        EXPECT_TRUE(shipped[name] == bytes) << "run make_example_data to refresh data/Bin";
    }
}

TEST(ExampleFolderTest, SourceErrorsNameTheirLine) {
    struct Case {
        const char* source;
        const char* error;
    };
    const Case cases[] = {
        {"code|A|0x10\ncode|B|ten\n", "line 2: no code"},
        {"cmd|System|X\nstep|jump\n", "line 2: unknown step type jump"},
        {"func|System|X|sometimes|\"A\"\n", "line 1: unknown RC mode sometimes"},
        {"step|time\n", "line 1: cannot read \"step|time\""},
        {"code|A\n", "line 1: cannot read \"code|A\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        std::map<std::string, std::string> files;
        std::string error;
        EXPECT_FALSE(simulator::BuildExampleRecords(c.source, files, &error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(ExampleFolderTest, CommandStepsCarryNameNumberAndCount) {
    std::map<std::string, std::string> files;
    ASSERT_TRUE(simulator::BuildExampleRecords(
        "cmd|System|Two\nstep|keybevent|13|0\nstep|keybevent|13|2\ncmd|System|One\nstep|time\n",
        files, nullptr));
    const std::string& bytes = files["defcmdSystem.bin"];
    ASSERT_EQ(bytes.size(), 3 * sizeof(TCmdStep));
    TCmdStep steps[3];
    bytes.copy(reinterpret_cast<char*>(steps), bytes.size());
    EXPECT_EQ(FieldText(steps[0].Name), "Two");
    EXPECT_EQ(FieldText(steps[1].Name), "");
    EXPECT_EQ(steps[1].Step, 2);
    EXPECT_EQ(steps[0].StepCount, 2);
    EXPECT_EQ(steps[1].StepCount, 2);
    EXPECT_EQ(steps[1].CmdType, 7);
    EXPECT_EQ(FieldText(steps[1].Param2), "2");
    EXPECT_EQ(FieldText(steps[2].Name), "One");
    EXPECT_EQ(steps[2].StepCount, 1);
    EXPECT_EQ(steps[2].CmdType, 10);
}

class ShippedLanguageTest : public SimMachineTest {
protected:
    void SetUp() override {
        SimMachineTest::SetUp();
        ResetRuntimeState();
        PutFile(Prog("LANG\\Rus.ini"), Read(fs::path(EXAMPLE_FOLDER) / "LANG" / "Rus.ini"));
        Runtime.language = "Rus";
    }
    void TearDown() override {
        ResetRuntimeState();
        SimMachineTest::TearDown();
    }
};

TEST_F(ShippedLanguageTest, IsCodePage1251) {
    const std::string text = Read(fs::path(EXAMPLE_FOLDER) / "LANG" / "Rus.ini");
    // Cyrillic letters are single bytes 0xC0 to 0xFF there; UTF-8 would lead with 0xD0 or 0xD1
    // followed by continuation bytes 0x80 to 0xBF.
    int cyrillic = 0, utf8Pairs = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        cyrillic += c >= 0xC0;
        if ((c == 0xD0 || c == 0xD1) && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            utf8Pairs += next >= 0x80 && next <= 0xBF;
        }
    }
    EXPECT_GT(cyrillic, 1000);
    EXPECT_LT(utf8Pairs, cyrillic / 20);
    EXPECT_EQ(GetLangText("Menu", "NExit"), std::string(cp1251::Literal("Выход").view()));
    EXPECT_EQ(GetLangText("Forms", "FSetup"),
              std::string(cp1251::Literal("Поиск приложений").view()));
}

TEST_F(ShippedLanguageTest, HoldsEveryMessageKeyAndSection) {
    const char* const msgKeys[] = {
        "err_nodll",         "err_nofunc",       "err_notuning",      "err_nocodefile",
        "err_emptycodefile", "err_noapplfile",   "err_emptyapplfile", "err_nomemory",
        "err_noini",         "err_codewrite",    "err_applwrite",     "err_nocmdfile",
        "err_emptycmdfile",  "err_nofuncfile",   "err_emptyfuncfile", "err_duplcodename",
        "err_replsysappl",   "err_checkclsname", "err_delsysappl",    "err_nofuncdescr",
        "err_duplfunc",      "err_nocmddescr",   "err_savefile",      "msg_tuningnotpass",
        "msg_remotehold",    "msg_mute",         "msg_unmute",        "msg_volume",
        "msg_noitems",       "msg_savecmd",      "msg_savefunc",      "msg_addcode",
        "msg_addcodetitle",  "msg_addappl",      "msg_addappltitle",  "msg_setcursor",
        "msg_duplappl",      "msg_delrow",       "msg_delcmd",        "msg_defcode",
        "msg_defappl",       "msg_defcmd",       "msg_deffunc",       "msg_duplfunc",
        "msg_duplfunckeys",  "msg_duplcmd",      "msg_searchtime"};
    for (const char* key : msgKeys) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(GetLangText("Msg", key).empty());
    }
    for (const char* item : {"NHelp", "NPlayList", "NParam", "NSearchAppl", "NExit"})
        EXPECT_FALSE(GetLangText("Menu", item).empty()) << item;
    EXPECT_FALSE(GetLangText("OpenDialog", "fltr_addappl").empty());
    EXPECT_FALSE(GetLangText("ConfirmOff", "Yes").empty());
    EXPECT_FALSE(GetLangText("ConfirmOff", "No").empty());
    EXPECT_FALSE(GetLangText("Labels", "lbl_title").empty());
    EXPECT_FALSE(GetLangText("Buttons", "btn_ok").empty());
    EXPECT_FALSE(GetLangText("Hints", "hnt_btnok").empty());
    // Texts that take a name have the pair of quotes it goes into.
    for (const char* key : {"err_replsysappl", "msg_duplappl", "msg_duplfunc", "msg_duplfunckeys"})
        EXPECT_NE(GetLangText("Msg", key).find('"'), std::string::npos) << key;
}

TEST_F(ShippedLanguageTest, TextsAValueFollowsEndWithASeparatorAndTitlesNameTheirColumn) {
    // The programs put a count, a time or a path right after these texts.
    const std::pair<const char*, const char*> labelsOfValues[] = {{"Labels", "lbl_disks"},
                                                                  {"Labels", "lbl_dirs"},
                                                                  {"Labels", "lbl_files"},
                                                                  {"Msg", "msg_searchtime"},
                                                                  {"Msg", "err_savefile"}};
    for (const auto& [section, key] : labelsOfValues) {
        SCOPED_TRACE(key);
        const std::string text = GetLangText(section, key);
        ASSERT_GE(text.size(), 3u);
        EXPECT_EQ(text.substr(text.size() - 2), ": ");
    }
    // The first column of the application grids lists applications, not the dialog's caption.
    EXPECT_EQ(GetLangText("Labels", "lbl_title"), GetLangText("Labels", "lbl_appl"));
    EXPECT_NE(GetLangText("Labels", "lbl_title"), GetLangText("Forms", "FConfig"));
}

TEST_F(ShippedLanguageTest, EveryKeywordListEntryHasADisplayText) {
    ASSERT_EQ(LoadKeywordLists(), 0);
    struct List {
        const char* name;
        const TKeyword* entries;
        int count;
    };
    const List lists[] = {{"FAVORITE", Runtime.FAVORITE, FavoriteCount},
                          {"RCMODE", Runtime.RCMODE, RcModeCount},
                          {"CMDTYPE", Runtime.CMDTYPE, CmdTypeCount},
                          {"MOUSEVENT", Runtime.MOUSEVENT, MousEventCount},
                          {"INTOPERATION", Runtime.INTOPERATION, IntOperationCount},
                          {"TXTOPERATION", Runtime.TXTOPERATION, TxtOperationCount},
                          {"VKEY", Runtime.VKEY, VKeyCount},
                          {"CONDITIONS", Runtime.CONDITIONS, ConditionsCount},
                          {"TIMERMODE", Runtime.TIMERMODE, TimerModeCount},
                          {"VOLSETTINGS", Runtime.VOLSETTINGS, VolSettingsCount},
                          {"INPUTFORMAT", Runtime.INPUTFORMAT, InputFormatCount},
                          {"PLTYPE", Runtime.PLTYPE, PlTypeCount}};
    for (const List& list : lists) {
        for (int i = 0; i < list.count; ++i) {
            SCOPED_TRACE(testing::Message() << list.name << " " << list.entries[i].Value);
            EXPECT_NE(FieldText(list.entries[i].Text), "");
        }
    }
}

class ShippedMediaTest : public SimMachineTest {};

TEST_F(ShippedMediaTest, EveryPictureTheWindowsShowIsABitmap) {
    // The picture names the runtime and the settings dialog's preview pass to the windows.
    const char* const names[] = {"keylist", "rchold", "txtbuf", "runappl", "warning", "Vol",
                                 "Mute",    "timer",  "bar",    "clock",   "size"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const std::string file = std::string(name) + ".bmp";
        PutFile(Prog("Data\\" + file), Read(fs::path(EXAMPLE_FOLDER) / "Data" / file));
        TBitmap bitmap;
        ASSERT_NO_THROW(bitmap.LoadFromFile(Prog("Data\\" + file)));
        EXPECT_EQ(bitmap.Width(), bitmap.Height());
        EXPECT_GE(bitmap.Width(), 32);
        EXPECT_EQ(bitmap.BitCount(), 24);
    }
}

TEST(ShippedSoundTest, AlarmIsAPcmWave) {
    const std::string wav = Read(fs::path(EXAMPLE_FOLDER) / "Data" / "alarm.wav");
    auto u16 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(wav[at]) |
                                          static_cast<unsigned char>(wav[at + 1]) << 8);
    };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(u32(4), wav.size() - 8);
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(u16(20), 1u); // PCM
    const std::uint32_t channels = u16(22), rate = u32(24), bits = u16(34);
    EXPECT_EQ(u32(28), rate * channels * bits / 8);
    EXPECT_EQ(wav.substr(36, 4), "data");
    const std::uint32_t bytes = u32(40);
    EXPECT_EQ(bytes, wav.size() - 44);
    // A short sound, not silence.
    EXPECT_LT(bytes / u32(28), 3u);
    EXPECT_NE(wav.find_first_not_of('\0', 44), std::string::npos);
}

} // namespace
