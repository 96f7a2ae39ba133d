// The search program's command line, its help and usage boxes, and the search time shown.
#include "search_fixture.h"

#include "command_line.h"
#include "search_time.h"

#include "cp1251.h"
#include "win32sim/system.h"

#include <toolkit.h>

#include <string>

namespace {

class CommandLineTest : public SearchTest {};

TEST_F(CommandLineTest, ModeFromTheWholeLineOrTheFirstArgument) {
    struct Case {
        const char* label;
        const char* line;
        TStartMode mode;
    } cases[] = {
        {"no argument", "\"C:\\Tavrin RC\\Orlimax.exe\"", TStartMode::Interactive},
        {"auto", "\"C:\\Tavrin RC\\Orlimax.exe\" auto", TStartMode::Unattended},
        {"Auto with a capital", "\"C:\\Tavrin RC\\Orlimax.exe\" Auto", TStartMode::Unattended},
        {"whole line AUTO with blanks", "   AUTO  ", TStartMode::Unattended},
        {"help", "Orlimax.exe HELP", TStartMode::Help},
        {"question mark", "Orlimax.exe ?", TStartMode::Help},
        {"slash question mark", "Orlimax.exe /?", TStartMode::Help},
        {"another word", "Orlimax.exe /search", TStartMode::Usage},
        {"auto as the second argument", "Orlimax.exe x auto", TStartMode::Usage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        win32sim::SetCommandLine(c.line);
        EXPECT_EQ(ReadCommandLine(), c.mode);
    }
}

TEST_F(CommandLineTest, HelpAndUsageShowTheirBoxAndEndWithZero) {
    Application->Title = cp1251::Literal("Поиск файлов").c_str();
    struct Case {
        const char* label;
        TStartMode mode;
        std::string text;
    } cases[] = {
        {"help", TStartMode::Help, HelpText()},
        {"usage", TStartMode::Usage,
         cp1251::Literal("Наберите help для вывода справки о параметрах командной строки").c_str()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        toolkitsim::ClearBoxes();
        EXPECT_EQ(AnswerCommandLine(c.mode), std::optional<int>(0));
        const auto boxes = toolkitsim::Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].caption, cp1251::Literal("Поиск файлов").c_str());
    }
    toolkitsim::ClearBoxes();
    EXPECT_EQ(AnswerCommandLine(TStartMode::Interactive), std::nullopt);
    EXPECT_EQ(AnswerCommandLine(TStartMode::Unattended), std::nullopt);
    EXPECT_TRUE(toolkitsim::Boxes().empty());
}

TEST_F(CommandLineTest, HelpTextNamesTheResultFilesAndTheParameters) {
    const std::string text = HelpText();
    TStringList lines;
    lines.SetText(text);
    ASSERT_EQ(lines.Count(), 13);
    EXPECT_EQ(lines[0], cp1251::Literal("Поиск на компьютере приложений, перечисленных в файле "
                                        "'appllist.ini'.")
                            .c_str());
    EXPECT_EQ(lines[1], cp1251::Literal("Результаты поиска записываются в файлы:").c_str());
    EXPECT_EQ(lines[2], std::string("...\\BIN\\defappl.bin\t") +
                            cp1251::Literal("- файл установленных приложений").c_str());
    EXPECT_EQ(lines[3].substr(0, 24), "...\\BIN\\favoritaudio.bin");
    EXPECT_EQ(lines[4].substr(0, 24), "...\\BIN\\favoritvideo.bin");
    EXPECT_EQ(lines[5], std::string("...\\BIN\\favoritother.bin\t") +
                            cp1251::Literal("- файл избранных программ.").c_str());
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines[8], cp1251::Literal("Параметры командной строки:").c_str());
    EXPECT_EQ(lines[9], "");
    EXPECT_EQ(lines[10].substr(0, 5), "auto\t");
    EXPECT_EQ(lines[11], "");
    EXPECT_EQ(lines[12], std::string("help\t") + cp1251::Literal("- справка.").c_str());
}

TEST_F(CommandLineTest, ElapsedTimeOverMidnightAndWithoutLeadingZeros) {
    struct Case {
        const char* label;
        std::int64_t start;
        std::int64_t end;
        const char* text;
    } cases[] = {
        {"23:59:30 to 00:00:30", (23 * 3600 + 59 * 60 + 30) * 1000LL, 30 * 1000LL, "0:1:0"},
        {"same instant", 5000, 5000, "0:0:0"},
        {"hours, minutes, seconds", 1000, 1000 + (2 * 3600 + 3 * 60 + 4) * 1000LL + 999, "2:3:4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(ElapsedText(c.start, c.end), c.text);
    }
    SYSTEMTIME at{};
    at.wYear = 2026;
    at.wMonth = 12;
    at.wDay = 10;
    at.wHour = 23;
    at.wMinute = 59;
    at.wSecond = 30;
    win32sim::SetLocalTime(at);
    const std::int64_t start = TimeOfDayMilliseconds();
    EXPECT_EQ(start, (23 * 3600 + 59 * 60 + 30) * 1000LL);
    win32sim::AdvanceClock(60000);
    EXPECT_EQ(ElapsedText(start, TimeOfDayMilliseconds()), "0:1:0");
}

} // namespace
