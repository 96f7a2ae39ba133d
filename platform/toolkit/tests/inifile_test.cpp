// Tests of the ini-file class over the simulated profile-file functions.
#include <toolkit.h>

#include "sim_fixture.h"

#include <cp1251.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

class IniFileTest : public SimMachineTest {
protected:
    std::string path = Prog("config.ini");
};

std::vector<std::string> Lines(const TStringList& list) {
    return std::vector<std::string>(list.begin(), list.end());
}

TEST_F(IniFileTest, ReadStringAndDefaults) {
    PutFile(path, "[Interface]\r\nlanguage=Rus\r\nempty=\r\n");
    const TIniFile ini(path);
    EXPECT_EQ(ini.FileName(), path);
    EXPECT_EQ(ini.ReadString("Interface", "language", "x"), "Rus");
    EXPECT_EQ(ini.ReadString("interface", "LANGUAGE", "x"), "Rus");
    EXPECT_EQ(ini.ReadString("Interface", "empty", "x"), "");
    EXPECT_EQ(ini.ReadString("Interface", "missing", "def"), "def");
    EXPECT_EQ(ini.ReadString("Nope", "language", "def"), "def");
    EXPECT_EQ(TIniFile(Prog("none.ini")).ReadString("Interface", "language", "def"), "def");
}

TEST_F(IniFileTest, ReadStringCutsAt2047Characters) {
    const std::string longValue(3000, 'v');
    PutFile(path, "[Msg]\r\nlong=" + longValue + "\r\nexact=" + std::string(2047, 'e') + "\r\n");
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Msg", "long", ""), std::string(2047, 'v'));
    EXPECT_EQ(ini.ReadString("Msg", "exact", ""), std::string(2047, 'e'));
}

TEST_F(IniFileTest, ReadInteger) {
    PutFile(path, "[Tuning]\r\nhex=0x1F\r\nHEX2=0X10\r\ndollar=$10\r\ndec=42\r\nneg=-5\r\n"
                  "bad=abc\r\nempty=\r\nfloat=1.5\r\nhuge=99999999999\r\nbare=0x\r\n");
    const TIniFile ini(path);
    struct Case {
        const char* key;
        int value;
    };
    const Case cases[] = {{"hex", 31},  {"hex2", 16}, {"dollar", 16}, {"dec", 42},
                          {"neg", -5},  {"bad", -1},  {"empty", -1},  {"float", -1},
                          {"huge", -1}, {"bare", -1}, {"missing", -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(ini.ReadInteger("Tuning", c.key, -1), c.value);
    }
}

TEST_F(IniFileTest, ReadBool) {
    PutFile(path, "[Interface]\r\none=1\r\nzero=0\r\ntwo=2\r\nabc=abc\r\nempty=\r\n");
    const TIniFile ini(path);
    struct Case {
        const char* key;
        bool whenDefaultFalse;
        bool whenDefaultTrue;
    };
    const Case cases[] = {{"one", true, true},  {"zero", false, false}, {"two", true, true},
                          {"abc", false, true}, {"empty", false, true}, {"missing", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(ini.ReadBool("Interface", c.key, false), c.whenDefaultFalse);
        EXPECT_EQ(ini.ReadBool("Interface", c.key, true), c.whenDefaultTrue);
    }
}

TEST_F(IniFileTest, ReadFloatFollowsTheLocale) {
    PutFile(path, "[Interface]\r\npoint=0.3\r\ncomma=0,3\r\nbad=x\r\nempty=\r\n");
    const TIniFile ini(path);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Interface", "point", 9.0), 0.3);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Interface", "comma", 9.0), 9.0);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Interface", "bad", 9.0), 9.0);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Interface", "empty", 9.0), 9.0);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Interface", "missing", 9.0), 9.0);

    win32sim::SetDecimalSeparator(',');
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Interface", "comma", 9.0), 0.3);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Interface", "point", 9.0), 9.0);
}

TEST_F(IniFileTest, WritesAndReadsBack) {
    PutFile(path, "[Interface]\r\nother=keep\r\n");
    TIniFile ini(path);
    ini.WriteString("Interface", "language", "Rus");
    ini.WriteInteger("Interface", "Alphavalue", -200);
    ini.WriteBool("Interface", "Regions", true);
    ini.WriteBool("Interface", "Animation", false);
    ini.WriteFloat("Interface", "mouspeedstep", double(0.3f));

    const TIniFile again(path);
    EXPECT_EQ(again.ReadString("Interface", "language", ""), "Rus");
    EXPECT_EQ(again.ReadString("Interface", "Alphavalue", ""), "-200");
    EXPECT_EQ(again.ReadInteger("Interface", "Alphavalue", 0), -200);
    EXPECT_EQ(again.ReadString("Interface", "Regions", ""), "1");
    EXPECT_EQ(again.ReadString("Interface", "Animation", ""), "0");
    EXPECT_EQ(again.ReadString("Interface", "mouspeedstep", ""), "0.300000011920929");
    EXPECT_EQ(static_cast<float>(again.ReadFloat("Interface", "mouspeedstep", 0.0)), 0.3f);
    EXPECT_EQ(again.ReadString("Interface", "other", ""), "keep");
}

TEST_F(IniFileTest, WriteFloatUsesTheLocaleSeparator) {
    win32sim::SetDecimalSeparator(',');
    TIniFile ini(path);
    ini.WriteFloat("Interface", "mouspeedstep", double(0.3f));
    EXPECT_EQ(ini.ReadString("Interface", "mouspeedstep", ""), "0,300000011920929");
    EXPECT_NE(GetFile(path).find("mouspeedstep=0,300000011920929"), std::string::npos);
    EXPECT_EQ(static_cast<float>(ini.ReadFloat("Interface", "mouspeedstep", 0.0)), 0.3f);
}

TEST_F(IniFileTest, WriteFailureThrows) {
    for (const char* file : {"Q:\\config.ini", "C:\\nofolder\\config.ini"}) {
        SCOPED_TRACE(file);
        TIniFile ini(file);
        try {
            ini.WriteString("Interface", "language", "Rus");
            FAIL() << "no error";
        } catch (const EIniFileException& e) {
            EXPECT_EQ(e.Message, std::string("Unable to write to ") + file);
        }
        EXPECT_THROW(ini.WriteInteger("Interface", "Alpha", 1), EIniFileException);
        EXPECT_THROW(ini.WriteBool("Interface", "Alpha", true), EIniFileException);
        EXPECT_THROW(ini.WriteFloat("Interface", "Alpha", 1.5), EIniFileException);
    }
}

TEST_F(IniFileTest, SectionAndValueExistWithoutRegardToCase) {
    constexpr auto section = cp1251::Literal("Меню");
    constexpr auto sectionLower = cp1251::Literal("меню");
    PutFile(path, "[Interface]\r\nRegions=1\r\n[Empty]\r\n[" + std::string(section.view()) +
                      "]\r\nNExit=x\r\n");
    const TIniFile ini(path);
    EXPECT_TRUE(ini.SectionExists("interface"));
    EXPECT_TRUE(ini.SectionExists(std::string(sectionLower.view())));
    EXPECT_FALSE(ini.SectionExists("Empty")) << "a section needs a key";
    EXPECT_FALSE(ini.SectionExists("Tuning"));
    EXPECT_TRUE(ini.ValueExists("INTERFACE", "regions"));
    EXPECT_TRUE(ini.ValueExists(std::string(sectionLower.view()), "nexit"));
    EXPECT_FALSE(ini.ValueExists("Interface", "Animation"));
    EXPECT_FALSE(ini.ValueExists("Tuning", "Regions"));
    EXPECT_FALSE(TIniFile(Prog("none.ini")).SectionExists("Interface"));
}

TEST_F(IniFileTest, ReadSectionAndSections) {
    PutFile(path, "[First]\r\nb=1\r\na=2\r\n[Second]\r\nx=3\r\n[Third]\r\n");
    const TIniFile ini(path);
    TStringList keys;
    keys.Add("stale");
    ini.ReadSection("first", keys);
    EXPECT_EQ(Lines(keys), (std::vector<std::string>{"b", "a"}));
    ini.ReadSection("Missing", keys);
    EXPECT_EQ(keys.Count(), 0);

    TStringList sections;
    sections.Add("stale");
    ini.ReadSections(sections);
    EXPECT_EQ(Lines(sections), (std::vector<std::string>{"First", "Second", "Third"}));
}

TEST_F(IniFileTest, LongSectionsLoseNoKey) {
    std::string text = "[Big]\r\n";
    std::vector<std::string> expected;
    for (int i = 0; i < 3000; ++i) {
        expected.push_back("key_with_a_long_name_" + std::to_string(i));
        text += expected.back() + "=v\r\n";
    }
    std::vector<std::string> expectedSections;
    for (int i = 0; i < 1000; ++i) {
        expectedSections.push_back("Section_with_a_long_name_" + std::to_string(i));
        text += "[" + expectedSections.back() + "]\r\nk=v\r\n";
    }
    PutFile(path, text);
    const TIniFile ini(path);
    TStringList keys;
    ini.ReadSection("Big", keys);
    EXPECT_EQ(Lines(keys), expected);
    EXPECT_TRUE(ini.ValueExists("Big", "key_with_a_long_name_2999"));

    TStringList sections;
    ini.ReadSections(sections);
    expectedSections.insert(expectedSections.begin(), "Big");
    EXPECT_EQ(Lines(sections), expectedSections);
}

} // namespace
