// Reading scenarios.
#include "scenario.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace simulator {

namespace {

// Words separated by blanks; a word in double quotes keeps its blanks.
bool Words(const std::string& text, std::vector<std::string>& words) {
    words.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        std::string word;
        if (text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            if (close == std::string::npos)
                return false;
            word = text.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            while (i < text.size() && text[i] != ' ' && text[i] != '\t')
                word += text[i++];
        }
        words.push_back(word);
    }
    return true;
}

struct Form {
    const char* verb;
    std::size_t least;
    std::size_t most;
};

// The verbs and how many words each takes.
constexpr Form kForms[] = {
    {"folder", 1, 1},        {"program", 2, 3}, {"window", 2, 3}, {"front", 1, 1},
    {"press", 1, 3},         {"wait", 1, 1},    {"answer", 1, 1}, {"expect", 1, 1000},
    {"expect-not", 1, 1000}, {"exit", 0, 0},
};

} // namespace

bool ParseDuration(const std::string& text, unsigned& milliseconds) {
    if (text.empty())
        return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    const std::string unit = end;
    double factor = 0;
    if (unit.empty() || unit == "ms")
        factor = 1;
    else if (unit == "s")
        factor = 1000;
    if (factor == 0 || end == text.c_str() || value < 0 || value * factor > 86400000.0)
        return false;
    milliseconds = static_cast<unsigned>(std::lround(value * factor));
    return true;
}

bool ParseScenario(const std::string& text, Scenario& scenario, std::string* error) {
    scenario = Scenario{};
    std::istringstream in(text);
    std::string line;
    int number = 0;
    unsigned now = 0;
    auto fail = [&](const std::string& why) {
        if (error != nullptr)
            *error = "line " + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        Action action;
        action.line = number;
        const std::size_t verbEnd = line.find_first_of(" \t", first);
        action.verb = line.substr(first, verbEnd == std::string::npos ? verbEnd : verbEnd - first);
        if (verbEnd != std::string::npos) {
            const std::size_t restStart = line.find_first_not_of(" \t", verbEnd);
            if (restStart != std::string::npos)
                action.rest = line.substr(restStart);
        }
        const Form* form = nullptr;
        for (const Form& f : kForms)
            if (action.verb == f.verb)
                form = &f;
        if (form == nullptr)
            return fail("unknown action \"" + action.verb + "\"");
        if (action.verb.starts_with("expect")) {
            if (action.rest.empty())
                return fail("nothing to expect");
        } else if (!Words(action.rest, action.words)) {
            return fail("a quote is not closed");
        } else if (action.words.size() < form->least || action.words.size() > form->most) {
            return fail("wrong number of words for \"" + action.verb + "\"");
        }
        if (action.verb == "folder") {
            scenario.folder = action.words[0];
            continue;
        }
        if (action.verb == "wait") {
            unsigned ms = 0;
            if (!ParseDuration(action.words[0], ms))
                return fail("not a time: " + action.words[0]);
            now += ms;
            continue;
        }
        if (action.verb == "press" && action.words.size() > 1 &&
            (action.words.size() != 3 || action.words[1] != "hold"))
            return fail("press <button or code> [hold <ticks>]");
        if (action.verb == "answer") {
            const std::string& a = action.words[0];
            if (a != "yes" && a != "no" && a != "ok" && a != "cancel")
                return fail("answer yes, no, ok or cancel");
        }
        action.at = now;
        scenario.actions.push_back(action);
    }
    scenario.end = now;
    return true;
}

} // namespace simulator
