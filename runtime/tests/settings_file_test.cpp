// Tests of reading and writing the Interface and Tuning settings of config.ini.
#include "runtime_state.h"
#include "settings_file.h"

#include "runtime_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// The twelve variables, preset to values that no read gives by default.
struct TSettings {
    std::uint8_t Regions = 9, Animation = 9, Infobackground = 9, Alpha = 9;
    std::int16_t Alphavalue = -7;
    std::uint8_t Consttime = 9, passed = 9;
    float MouseSpeedStep = -7.0f;
    std::uint8_t ExtOptions = 9;
    std::string language = "sentinel";
    std::uint8_t showcmdtext = 9, timersound = 9;

    std::int32_t Call(bool mode) {
        return ReadWriteConfig(mode, Regions, Animation, Infobackground, Alpha, Alphavalue,
                               Consttime, passed, MouseSpeedStep, ExtOptions, language, showcmdtext,
                               timersound);
    }
};

void ExpectDefaults(const TSettings& s) {
    EXPECT_EQ(s.Regions, 0);
    EXPECT_EQ(s.Animation, 0);
    EXPECT_EQ(s.Infobackground, 0);
    EXPECT_EQ(s.Alpha, 0);
    EXPECT_EQ(s.Alphavalue, 255);
    EXPECT_EQ(s.Consttime, 0);
    EXPECT_EQ(s.passed, 0);
    EXPECT_EQ(s.MouseSpeedStep, 0.3f);
    EXPECT_EQ(s.ExtOptions, 0);
    EXPECT_EQ(s.language, "Rus");
    EXPECT_EQ(s.showcmdtext, 1);
    EXPECT_EQ(s.timersound, 1);
}

class SettingsFileTest : public RuntimeTest {
protected:
    std::string ReadValue(const std::string& section, const std::string& key) {
        char buffer[256];
        const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "<none>", buffer,
                                                 sizeof buffer, Prog("config.ini").c_str());
        return std::string(buffer, n);
    }
};

TEST_F(SettingsFileTest, EmptyProgramFolderGivesEveryDefault) {
    TSettings s;
    EXPECT_EQ(s.Call(true), 0);
    ExpectDefaults(s);
    EXPECT_FALSE(Exists(Prog("config.ini"))) << "reading creates no file";
}

TEST_F(SettingsFileTest, EmptyOrMalformedFileGivesEveryDefault) {
    const std::vector<std::string> files = {
        "",
        "\r\n\r\n",
        "Regions=1\r\nAlpha=1\r\n", // keys outside any section
        "[Interface\r\nRegions=1\r\n",
        "[Other]\r\nRegions=1\r\nlanguage=Eng\r\n",
        std::string("\x00\xff\xfe garbage \x01\x02", 13),
    };
    for (const std::string& content : files) {
        SCOPED_TRACE(testing::PrintToString(content));
        PutFile(Prog("config.ini"), content);
        TSettings s;
        EXPECT_EQ(s.Call(true), 0);
        ExpectDefaults(s);
    }
}

TEST_F(SettingsFileTest, ReadsEveryKeyFromItsSection) {
    PutFile(Prog("config.ini"), "[Interface]\r\n"
                                "Regions=1\r\nAnimation=1\r\nInfobackground=1\r\nAlpha=1\r\n"
                                "Alphavalue=128\r\nConsttime=1\r\nmouspeedstep=0.5\r\n"
                                "ext options=1\r\nlanguage=Eng\r\nshowcmdtext=0\r\n"
                                "timersound=0\r\npassed=0\r\n"
                                "[Tuning]\r\npassed=1\r\n");
    TSettings s;
    ASSERT_EQ(s.Call(true), 0);
    EXPECT_EQ(s.Regions, 1);
    EXPECT_EQ(s.Animation, 1);
    EXPECT_EQ(s.Infobackground, 1);
    EXPECT_EQ(s.Alpha, 1);
    EXPECT_EQ(s.Alphavalue, 128);
    EXPECT_EQ(s.Consttime, 1);
    EXPECT_EQ(s.passed, 1) << "from Tuning, not Interface";
    EXPECT_EQ(s.MouseSpeedStep, 0.5f);
    EXPECT_EQ(s.ExtOptions, 1);
    EXPECT_EQ(s.language, "Eng");
    EXPECT_EQ(s.showcmdtext, 0);
    EXPECT_EQ(s.timersound, 0);
}

TEST_F(SettingsFileTest, SectionAndKeyNamesIgnoreCase) {
    PutFile(
        Prog("config.ini"),
        "[INTERFACE]\r\nREGIONS=1\r\nEXT OPTIONS=1\r\nLanguage=Ukr\r\n[tuning]\r\nPASSED=1\r\n");
    TSettings s;
    ASSERT_EQ(s.Call(true), 0);
    EXPECT_EQ(s.Regions, 1);
    EXPECT_EQ(s.ExtOptions, 1);
    EXPECT_EQ(s.language, "Ukr");
    EXPECT_EQ(s.passed, 1);
}

TEST_F(SettingsFileTest, ValuesOfEachType) {
    struct Case {
        std::string line;
        int regions;        // bool key Regions
        int showcmdtext;    // bool key with default 1
        int alphavalue;     // int16
        float mouspeedstep; // float
    };
    const Case cases[] = {
        {"Regions=7", 1, 1, 255, 0.3f},
        {"Regions=-1", 1, 1, 255, 0.3f},
        {"Regions=0", 0, 1, 255, 0.3f},
        {"Regions=abc", 0, 1, 255, 0.3f},
        {"Regions=", 0, 1, 255, 0.3f},
        {"showcmdtext=yes", 0, 1, 255, 0.3f},
        {"showcmdtext=0", 0, 0, 255, 0.3f},
        {"Alphavalue=12x", 0, 1, 255, 0.3f},
        {"Alphavalue=0", 0, 1, 0, 0.3f},
        // Taken without limiting, kept in 16 bits.
        {"Alphavalue=300", 0, 1, 300, 0.3f},
        {"Alphavalue=-5", 0, 1, -5, 0.3f},
        {"Alphavalue=70000", 0, 1, 4464, 0.3f},
        {"mouspeedstep=abc", 0, 1, 255, 0.3f},
        {"mouspeedstep=", 0, 1, 255, 0.3f},
        {"mouspeedstep=1.25", 0, 1, 255, 1.25f},
        {"mouspeedstep=-2", 0, 1, 255, -2.0f},
        {"mouspeedstep=0,5", 0, 1, 255, 0.3f},
        // Beyond the range of a single: as malformed.
        {"mouspeedstep=1E39", 0, 1, 255, 0.3f},
        {"mouspeedstep=1E300", 0, 1, 255, 0.3f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        PutFile(Prog("config.ini"), "[Interface]\r\n" + c.line + "\r\n");
        TSettings s;
        ASSERT_EQ(s.Call(true), 0);
        EXPECT_EQ(s.Regions, c.regions);
        EXPECT_EQ(s.showcmdtext, c.showcmdtext);
        EXPECT_EQ(s.Alphavalue, c.alphavalue);
        EXPECT_EQ(s.MouseSpeedStep, c.mouspeedstep);
    }
}

TEST_F(SettingsFileTest, FloatsUseTheLocaleDecimalSeparator) {
    win32sim::SetDecimalSeparator(',');
    struct Case {
        std::string value;
        float expected;
    };
    const Case cases[] = {{"0,5", 0.5f}, {"0.5", 0.3f}, {"2", 2.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        PutFile(Prog("config.ini"), "[Interface]\r\nmouspeedstep=" + c.value + "\r\n");
        TSettings s;
        ASSERT_EQ(s.Call(true), 0);
        EXPECT_EQ(s.MouseSpeedStep, c.expected);
    }
}

TEST_F(SettingsFileTest, LanguageIsTheWholeValueHoweverLong) {
    const std::string longName(3000, 'L');
    PutFile(Prog("config.ini"), "[Interface]\r\nlanguage=" + longName + "\r\n");
    TSettings s;
    ASSERT_EQ(s.Call(true), 0);
    EXPECT_EQ(s.language, longName.substr(0, 2047)) << "the ini reader's limit";

    PutFile(Prog("config.ini"), "[Interface]\r\nlanguage=\r\n");
    ASSERT_EQ(s.Call(true), 0);
    EXPECT_EQ(s.language, "") << "a present key with an empty value";
}

TEST_F(SettingsFileTest, WritesTheNineKeysInOrder) {
    TSettings s;
    s.Regions = 1;
    s.Animation = 0;
    s.Infobackground = 1;
    s.Alpha = 1;
    s.Alphavalue = 300;
    s.Consttime = 1;
    s.MouseSpeedStep = 1.5f;
    s.showcmdtext = 0;
    s.timersound = 1;
    s.passed = 1;
    s.ExtOptions = 1;
    s.language = "Eng";
    ASSERT_EQ(s.Call(false), 0);

    const std::string file = GetFile(Prog("config.ini"));
    const char* keys[] = {"Regions=1",        "Animation=0",    "Infobackground=1",
                          "Alpha=1",          "Alphavalue=300", "Consttime=1",
                          "mouspeedstep=1.5", "showcmdtext=0",  "timersound=1"};
    std::size_t at = file.find("[Interface]");
    ASSERT_NE(at, std::string::npos) << file;
    for (const char* key : keys) {
        const std::size_t next = file.find(key, at);
        EXPECT_NE(next, std::string::npos) << key << " in order in:\n" << file;
        if (next != std::string::npos)
            at = next;
    }
    EXPECT_EQ(file.find("passed"), std::string::npos);
    EXPECT_EQ(file.find("ext options"), std::string::npos);
    EXPECT_EQ(file.find("language"), std::string::npos);
    EXPECT_EQ(file.find("Tuning"), std::string::npos);
}

TEST_F(SettingsFileTest, NonZeroFlagsAreWrittenAsOne) {
    TSettings s;
    s.Regions = 5;
    s.timersound = 255;
    ASSERT_EQ(s.Call(false), 0);
    EXPECT_EQ(ReadValue("Interface", "Regions"), "1");
    EXPECT_EQ(ReadValue("Interface", "timersound"), "1");
}

TEST_F(SettingsFileTest, SavingLeavesLanguagePassedAndOtherKeysAlone) {
    PutFile(Prog("config.ini"), "[Interface]\r\nlanguage=Eng\r\next options=1\r\nRegions=0\r\n"
                                "[Tuning]\r\npassed=1\r\n[FTime]\r\nTop=5\r\n");
    TSettings s;
    s.language = "Rus";
    s.passed = 0;
    s.ExtOptions = 0;
    s.Regions = 1;
    ASSERT_EQ(s.Call(false), 0);

    EXPECT_EQ(ReadValue("Interface", "language"), "Eng");
    EXPECT_EQ(ReadValue("Interface", "ext options"), "1");
    EXPECT_EQ(ReadValue("Tuning", "passed"), "1");
    EXPECT_EQ(ReadValue("FTime", "Top"), "5");
    EXPECT_EQ(ReadValue("Interface", "Regions"), "1");

    TSettings back;
    ASSERT_EQ(back.Call(true), 0);
    EXPECT_EQ(back.language, "Eng");
    EXPECT_EQ(back.passed, 1);
}

TEST_F(SettingsFileTest, MouseSpeedStepIsWrittenAsTheWidenedSingle) {
    for (char separator : {'.', ','}) {
        SCOPED_TRACE(separator);
        win32sim::SetDecimalSeparator(separator);
        TSettings s;
        s.MouseSpeedStep = 0.3f;
        ASSERT_EQ(s.Call(false), 0);
        EXPECT_EQ(ReadValue("Interface", "mouspeedstep"),
                  std::string("0") + separator + "300000011920929");

        TSettings back;
        ASSERT_EQ(back.Call(true), 0);
        EXPECT_EQ(back.MouseSpeedStep, 0.3f);
    }
}

TEST_F(SettingsFileTest, WriteThenReadGivesTheSameSettings) {
    TSettings s;
    s.Regions = 1;
    s.Animation = 1;
    s.Infobackground = 0;
    s.Alpha = 1;
    s.Alphavalue = -12;
    s.Consttime = 0;
    s.MouseSpeedStep = 0.1f;
    s.showcmdtext = 1;
    s.timersound = 0;
    ASSERT_EQ(s.Call(false), 0);

    TSettings back;
    ASSERT_EQ(back.Call(true), 0);
    EXPECT_EQ(back.Regions, 1);
    EXPECT_EQ(back.Animation, 1);
    EXPECT_EQ(back.Infobackground, 0);
    EXPECT_EQ(back.Alpha, 1);
    EXPECT_EQ(back.Alphavalue, -12);
    EXPECT_EQ(back.Consttime, 0);
    EXPECT_EQ(back.MouseSpeedStep, 0.1f);
    EXPECT_EQ(back.showcmdtext, 1);
    EXPECT_EQ(back.timersound, 0);
    EXPECT_EQ(back.passed, 0);
    EXPECT_EQ(back.language, "Rus");
}

TEST_F(SettingsFileTest, AFailedWriteRaisesAndTheNextCallWorks) {
    // The program folder is on no drive, so the file cannot be created.
    win32sim::SetProgramPath("Q:\\Gone\\Tavrin RC.exe");
    TSettings s;
    EXPECT_THROW(s.Call(false), EIniFileException);

    win32sim::SetProgramPath(kProgramPath);
    s.Regions = 1;
    EXPECT_EQ(s.Call(false), 0);
    EXPECT_EQ(ReadValue("Interface", "Regions"), "1");
}

} // namespace
