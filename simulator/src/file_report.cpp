// Record files decoded for the report.
#include "file_report.h"

#include "keyword_lists.h"
#include "records.h"
#include "runtime_state.h"

#include "cp1251.h"

#include <cstring>
#include <sstream>

namespace simulator {

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Code(const TCodeEntry& e) {
    return "Name " + Quoted(FieldText(e.Name)) + " Code " + std::to_string(e.Code);
}

std::string Appl(const TApplEntry& e) {
    return "Name " + Quoted(FieldText(e.Name)) + " ClassName " + Quoted(FieldText(e.ClassName)) +
           " Path " + Quoted(FieldText(e.Path));
}

// A number the keyword list does not know is shown as the number.
std::string Keyword(const TKeyword* list, int count, std::int16_t value) {
    const std::string keyword = ValueToKeyword(list, count, value);
    return keyword.empty() ? std::to_string(value) : keyword;
}

std::string Step(const TCmdStep& s) {
    return "Name " + Quoted(FieldText(s.Name)) + " Step " + std::to_string(s.Step) + " StepCount " +
           std::to_string(s.StepCount) + " CmdType " +
           Keyword(Runtime.CMDTYPE, CmdTypeCount, s.CmdType) + " Param1 " +
           Quoted(FieldText(s.Param1)) + " Param2 " + Quoted(FieldText(s.Param2)) + " Param3 " +
           Quoted(FieldText(s.Param3)) + " Param4 " + Quoted(FieldText(s.Param4));
}

std::string Func(const TFuncEntry& e) {
    return "CmdName " + Quoted(FieldText(e.CmdName)) + " RcMode " +
           Keyword(Runtime.RCMODE, RcModeCount, e.RcMode) + " Keys " + Quoted(FieldText(e.Keys));
}

template <class T>
std::vector<std::string> Records(const std::string& path, const std::string& bytes,
                                 std::string (*show)(const T&)) {
    std::vector<std::string> lines;
    const std::size_t count = bytes.size() / sizeof(T);
    lines.push_back(path + ": " + std::to_string(count) + " record(s)");
    for (std::size_t i = 0; i < count; ++i) {
        T record;
        std::memcpy(&record, bytes.data() + i * sizeof(T), sizeof(T));
        lines.push_back(path + " record " + std::to_string(i + 1) + ": " + show(record));
    }
    if (const std::size_t left = bytes.size() % sizeof(T); left != 0)
        lines.push_back(path + ": " + std::to_string(left) + " byte(s) after the last record");
    return lines;
}

bool StartsWith(const std::string& name, const char* prefix) {
    return name.rfind(prefix, 0) == 0;
}

} // namespace

std::vector<std::string> FileLines(const std::string& path, const std::string& bytes) {
    // The kind of record file is in its name; pending saves (.tmp) hold the same records.
    const std::size_t slash = path.find_last_of('\\');
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash);
    const std::size_t folderSlash = folder.find_last_of('\\');
    folder = folder.substr(folderSlash == std::string::npos ? 0 : folderSlash + 1);
    for (char& c : name)
        c = cp1251::ToLower(c);
    const bool records =
        cp1251::EqualNoCase(folder, "Bin") && (name.ends_with(".bin") || name.ends_with(".tmp"));
    if (records) {
        if (StartsWith(name, "defcode") || StartsWith(name, "usercode"))
            return Records<TCodeEntry>(path, bytes, Code);
        if (StartsWith(name, "defappl") || StartsWith(name, "userappl"))
            return Records<TApplEntry>(path, bytes, Appl);
        if (StartsWith(name, "defcmd") || StartsWith(name, "usercmd"))
            return Records<TCmdStep>(path, bytes, Step);
        if (StartsWith(name, "deffunc") || StartsWith(name, "userfunc"))
            return Records<TFuncEntry>(path, bytes, Func);
    }
    // Text, such as the favourites lists and config.ini: line by line, line ends aside.
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    std::string line;
    std::vector<std::string> text;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        text.push_back(line);
    }
    lines.push_back(path + ": " + std::to_string(text.size()) + " line(s)");
    for (std::size_t i = 0; i < text.size(); ++i)
        lines.push_back(path + " line " + std::to_string(i + 1) + ": " + text[i]);
    return lines;
}

} // namespace simulator
