// The search program's command line: the unattended run, the help text and the usage note.
#include "command_line.h"

#include "cp1251.h"

#include <toolkit.h>

#include <windows.h>

namespace {

constexpr auto kHelp1 =
    cp1251::Literal("Поиск на компьютере приложений, перечисленных в файле 'appllist.ini'.");
constexpr auto kHelp2 = cp1251::Literal("Результаты поиска записываются в файлы:");
constexpr auto kDefAppl = cp1251::Literal("- файл установленных приложений");
constexpr auto kFavAudio = cp1251::Literal("- файл избранных аудио проигрывателей");
constexpr auto kFavVideo = cp1251::Literal("- файл избранных видео проигрывателей");
constexpr auto kFavOther = cp1251::Literal("- файл избранных программ.");
constexpr auto kParams = cp1251::Literal("Параметры командной строки:");
constexpr auto kAuto =
    cp1251::Literal("- автоматическое выполнение всех операций и выход после завершения;");
constexpr auto kHelpParam = cp1251::Literal("- справка.");
constexpr auto kUsage =
    cp1251::Literal("Наберите help для вывода справки о параметрах командной строки");

// Blanks and control characters off both ends, then CP1251 lower case.
std::string TrimLower(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    std::string out = text.substr(begin, end - begin);
    for (char& c : out)
        c = cp1251::ToLower(c);
    return out;
}

} // namespace

TStartMode ReadCommandLine() {
    const char* line = GetCommandLineA();
    if (line != nullptr && TrimLower(line) == "auto")
        return TStartMode::Unattended;
    const std::string first = TrimLower(ParamStr(1));
    if (first.empty())
        return TStartMode::Interactive;
    if (first == "auto")
        return TStartMode::Unattended;
    if (first == "help" || first == "?" || first == "/?")
        return TStartMode::Help;
    return TStartMode::Usage;
}

std::string HelpText() {
    const std::string eol = "\r\n";
    const std::string bin = "...\\BIN\\";
    std::string text;
    text += kHelp1.c_str() + eol;
    text += kHelp2.c_str() + eol;
    text += bin + "defappl.bin\t" + kDefAppl.c_str() + eol;
    text += bin + "favoritaudio.bin\t" + kFavAudio.c_str() + eol;
    text += bin + "favoritvideo.bin\t" + kFavVideo.c_str() + eol;
    text += bin + "favoritother.bin\t" + kFavOther.c_str() + eol;
    text += eol + eol;
    text += kParams.c_str() + eol;
    text += eol;
    text += std::string("auto\t") + kAuto.c_str() + eol;
    text += eol;
    text += std::string("help\t") + kHelpParam.c_str();
    return text;
}

std::string UsageNote() {
    return kUsage.c_str();
}

std::optional<int> AnswerCommandLine(TStartMode mode) {
    if (mode != TStartMode::Help && mode != TStartMode::Usage)
        return std::nullopt;
    const std::string text = mode == TStartMode::Help ? HelpText() : UsageNote();
    const std::string title = Application ? Application->Title() : std::string();
    if (Application)
        Application->MessageBox(text.c_str(), title.c_str(), MB_OK);
    return 0;
}
