// Readable record source turned into the record files of a program folder.
#include "example_data.h"

#include "keyword_lists.h"
#include "records.h"
#include "runtime_state.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace simulator {

namespace {

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = line.find('|', start);
        fields.push_back(line.substr(start, bar == std::string::npos ? bar : bar - start));
        if (bar == std::string::npos)
            return fields;
        start = bar + 1;
    }
}

template <class T>
void Append(std::string& file, const T& record) {
    file.append(reinterpret_cast<const char*>(&record), sizeof record);
}

bool Integer(const std::string& text, long long& value) {
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 0);
    return !text.empty() && *end == '\0';
}

} // namespace

bool BuildExampleRecords(const std::string& source, std::map<std::string, std::string>& files,
                         std::string* error) {
    ResetRuntimeState(); // the built-in keyword lists
    files.clear();
    std::istringstream in(source);
    std::string line;
    int number = 0;
    // The open command: its file and the index of its first step there.
    std::string cmdFile, cmdName;
    std::size_t cmdStart = 0;
    std::int16_t steps = 0;
    auto fail = [&](const std::string& why) {
        if (error != nullptr)
            *error = "line " + std::to_string(number) + ": " + why;
        return false;
    };
    auto closeCommand = [&] {
        if (cmdFile.empty())
            return;
        // Every step carries the command's step count.
        std::string& file = files[cmdFile];
        for (std::int16_t i = 0; i < steps; ++i) {
            TCmdStep step;
            const std::size_t at = cmdStart + static_cast<std::size_t>(i) * sizeof step;
            file.copy(reinterpret_cast<char*>(&step), sizeof step, at);
            step.StepCount = steps;
            file.replace(at, sizeof step, reinterpret_cast<const char*>(&step), sizeof step);
        }
        cmdFile.clear();
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> f = Split(line);
        const std::string& kind = f[0];
        if (kind != "step")
            closeCommand();
        if (kind == "code" && f.size() == 3) {
            TCodeEntry e{};
            long long code = 0;
            if (!Integer(f[2], code))
                return fail("no code");
            SetField(e.Name, f[1]);
            e.Code = code;
            Append(files["defcode.bin"], e);
        } else if (kind == "appl" && f.size() == 4) {
            TApplEntry e{};
            SetField(e.Name, f[1]);
            SetField(e.ClassName, f[2]);
            SetField(e.Path, f[3]);
            Append(files["defappl.bin"], e);
        } else if (kind == "fav" && f.size() == 3) {
            files["favorit" + f[1] + ".bin"] += f[2] + "\r\n";
        } else if (kind == "cmd" && f.size() == 3) {
            cmdFile = "defcmd" + f[1] + ".bin";
            cmdName = f[2];
            cmdStart = files[cmdFile].size();
            steps = 0;
        } else if (kind == "step" && f.size() >= 2 && f.size() <= 6 && !cmdFile.empty()) {
            TCmdStep s{};
            if (steps == 0)
                SetField(s.Name, cmdName);
            s.Step = ++steps;
            s.CmdType = KeywordToValue(Runtime.CMDTYPE, CmdTypeCount, f[1]);
            if (s.CmdType < 0)
                return fail("unknown step type " + f[1]);
            char(*params[])[25] = {&s.Param1, &s.Param2, &s.Param3, &s.Param4};
            for (std::size_t i = 2; i < f.size(); ++i)
                SetField(*params[i - 2], f[i]);
            Append(files[cmdFile], s);
        } else if (kind == "func" && f.size() == 5) {
            TFuncEntry e{};
            SetField(e.CmdName, f[2]);
            long long mode = 0;
            if (!Integer(f[3], mode))
                mode = KeywordToValue(Runtime.RCMODE, RcModeCount, f[3]);
            if (mode < 0)
                return fail("unknown RC mode " + f[3]);
            e.RcMode = static_cast<std::int16_t>(mode);
            SetField(e.Keys, f[4]);
            Append(files["deffunc" + f[1] + ".bin"], e);
        } else {
            return fail("cannot read \"" + line + "\"");
        }
    }
    closeCommand();
    return true;
}

} // namespace simulator
