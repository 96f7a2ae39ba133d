// Reading scenarios.
#include "scenario.h"

#include "cp1251.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace simulator {

namespace {

// Words separated by blanks; a word in double quotes keeps its blanks. At most limit words are
// read; *rest (when given) is where the text after them starts.
bool Words(const std::string& text, std::vector<std::string>& words,
           std::size_t limit = std::string::npos, std::size_t* rest = nullptr) {
    words.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        if (words.size() == limit)
            break;
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
    if (rest != nullptr)
        *rest = i;
    return true;
}

// The code page 1251 byte of a character; false when the code page lacks it.
bool CodePageByte(char32_t u, char& byte) {
    if (u < 0x80) {
        byte = static_cast<char>(u);
        return true;
    }
    for (std::size_t i = 0; i < cp1251::kHighToUnicode.size(); ++i) {
        if (cp1251::kHighToUnicode[i] != 0 && cp1251::kHighToUnicode[i] == u) {
            byte = static_cast<char>(0x80 + i);
            return true;
        }
    }
    return false;
}

// A line of UTF-8 in code page 1251; false with the reason for text that is not UTF-8 or a
// character the code page lacks.
bool ToCodePage(const std::string& utf8, std::string& out, std::string& why) {
    out.clear();
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 1;
        char32_t u = lead;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            u = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            u = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            u = lead & 0x07;
        } else if (lead >= 0x80) {
            why = "not UTF-8 text (scenarios are written in UTF-8)";
            return false;
        }
        if (i + length > utf8.size()) {
            why = "not UTF-8 text (scenarios are written in UTF-8)";
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) {
                why = "not UTF-8 text (scenarios are written in UTF-8)";
                return false;
            }
            u = (u << 6) | (next & 0x3F);
        }
        // Overlong forms and surrogates are not UTF-8 either.
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (u < least[length] || (u >= 0xD800 && u <= 0xDFFF) || u > 0x10FFFF) {
            why = "not UTF-8 text (scenarios are written in UTF-8)";
            return false;
        }
        char byte = 0;
        if (!CodePageByte(u, byte)) {
            why = "\"" + utf8.substr(i, length) + "\" has no code page 1251 form";
            return false;
        }
        out += byte;
        i += length;
    }
    return true;
}

// A raw code of the remote: a number (decimal, or hexadecimal after 0x) of at least 2.
bool ParseCode(const std::string& text, long long& code) {
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return false;
    char* end = nullptr;
    errno = 0;
    code = std::strtoll(text.c_str(), &end, 0);
    return *end == '\0' && errno == 0 && code >= 2;
}

bool ParseTicks(const std::string& text, unsigned& ticks) {
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    ticks = static_cast<unsigned>(std::stoul(text));
    return ticks >= 1;
}

bool ParseNumber(const std::string& text, int& number) {
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    number = std::stoi(text);
    return true;
}

// A grid's row from words[at]: "row <number>", or the text of its first cell. How many words it
// took.
std::size_t ParseRow(const std::vector<std::string>& words, std::size_t at, RowChoice& row) {
    if (words[at] == "row" && at + 1 < words.size() && ParseNumber(words[at + 1], row.number)) {
        row.byNumber = true;
        return 2;
    }
    row.text = words[at];
    return 1;
}

struct Form {
    const char* verb;
    std::size_t least;
    std::size_t most;
};

// The verbs and how many words each takes.
constexpr Form kForms[] = {
    {"folder", 1, 1},
    {"program", 2, 3},
    {"window", 2, 3},
    {"front", 1, 1},
    {"press", 1, 4},
    {"wait", 1, 1},
    {"answer", 1, 1},
    {"expect", 1, 1000},
    {"expect-not", 1, 1000},
    {"exit", 0, 0},
    {"file", 1, 4},
    // The settings dialog and the other dialogs, as the user works them.
    {"setting", 3, 3},
    {"settings", 0, 0},
    {"tab", 1, 1},
    {"select", 2, 3},
    {"learn", 1, 2},
    {"click", 1, 1},
    {"edit", 3, 1000},
    {"input", 1, 1},
    {"input-cancel", 0, 0},
    {"choose", 2, 2},
    {"type", 1, 1000},
    {"key", 1, 1},
    {"open-file", 1, 1},
    {"open-file-cancel", 0, 0},
    {"colour", 1, 1},
    {"colour-cancel", 0, 0},
    {"track", 2, 2},
    {"menu", 1, 1},
    {"restart", 0, 0},
    {"show", 1, 1},
    {"drive", 1, 1},
    {"dblclick", 1, 1},
    {"drag", 3, 3},
    {"look", 1, 1},
    {"move", 3, 3},
    {"resize", 3, 3},

    {"close", 0, 1},
};

// The keys a scenario names, as the keyboard's virtual-key codes.
struct KeyName {
    const char* name;
    unsigned vk;
};
constexpr KeyName kKeys[] = {
    {"Enter", 0x0D},    {"Esc", 0x1B},  {"Tab", 0x09},  {"Backspace", 0x08}, {"Space", 0x20},
    {"Del", 0x2E},      {"Ins", 0x2D},  {"Home", 0x24}, {"End", 0x23},       {"PageUp", 0x21},
    {"PageDown", 0x22}, {"Left", 0x25}, {"Up", 0x26},   {"Right", 0x27},     {"Down", 0x28},
};

// "Enter", "ctrl+Del", "shift+Tab", "alt+F4", "A", "5", "F2": the key and its modifiers.
bool ParseKey(const std::string& text, Action& action) {
    std::string rest = text;
    action.modifiers = 0;
    const std::pair<const char*, unsigned> modifiers[] = {
        {"shift+", kShift}, {"ctrl+", kCtrl}, {"alt+", kAlt}};
    for (bool found = true; found;) {
        found = false;
        for (const auto& [prefix, bit] : modifiers) {
            const std::size_t n = std::char_traits<char>::length(prefix);
            if (rest.size() > n && cp1251::EqualNoCase(rest.substr(0, n), prefix)) {
                action.modifiers |= bit;
                rest.erase(0, n);
                found = true;
            }
        }
    }
    for (const KeyName& k : kKeys)
        if (cp1251::EqualNoCase(rest, k.name)) {
            action.vk = k.vk;
            return true;
        }
    if (rest.size() == 1 &&
        ((rest[0] >= '0' && rest[0] <= '9') || (rest[0] >= 'A' && rest[0] <= 'Z') ||
         (rest[0] >= 'a' && rest[0] <= 'z'))) {
        action.vk = static_cast<unsigned char>(rest[0] >= 'a' ? rest[0] - 32 : rest[0]);
        return true;
    }
    int f = 0;
    if (rest.size() >= 2 && (rest[0] == 'F' || rest[0] == 'f') && ParseNumber(rest.substr(1), f) &&
        f >= 1 && f <= 12) {
        action.vk = 0x70 + static_cast<unsigned>(f) - 1;
        return true;
    }
    return false;
}

// "#RRGGBB", as colour pickers write it, as the toolkit's colour value (blue in the high byte).
bool ParseColour(const std::string& text, unsigned& colour) {
    if (text.size() != 7 || text[0] != '#' ||
        text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
        return false;
    const unsigned long rgb = std::strtoul(text.c_str() + 1, nullptr, 16);
    colour = static_cast<unsigned>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
    return true;
}

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
    std::string raw;
    while (std::getline(in, raw)) {
        ++number;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        // A byte order mark some editors write.
        if (number == 1 && raw.starts_with("\xEF\xBB\xBF"))
            raw.erase(0, 3);
        std::string why;
        if (!ToCodePage(raw, line, why))
            return fail(why);
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
        } else if (action.verb == "edit") {
            // The cell's text is the rest of the line as written: button expressions hold quotes.
            const std::string usage = "edit <grid> <column> <row> <text>, the row as row <number> "
                                      "or the text of its first cell";
            std::size_t at = 0;
            if (!Words(action.rest, action.words, 2, &at))
                return fail("a quote is not closed");
            if (action.words.size() < 2)
                return fail(usage);
            if (!ParseNumber(action.words[1], action.col))
                return fail("not a column: " + action.words[1]);
            action.target = action.words[0];
            const std::string afterColumn = action.rest.substr(at);
            std::vector<std::string> row;
            std::size_t textAt = 0;
            if (!Words(afterColumn, row, 1, &textAt))
                return fail("a quote is not closed");
            if (row.empty())
                return fail(usage);
            std::vector<std::string> two;
            std::size_t numberAt = 0;
            if (row[0] == "row" && Words(afterColumn, two, 2, &numberAt) && two.size() == 2 &&
                ParseRow(two, 0, action.row) == 2)
                textAt = numberAt;
            else
                action.row.text = row[0];
            action.text = afterColumn.substr(textAt);
        } else if (action.verb == "type") {
            // The text is the rest of the line as written, as the user types it.
            std::size_t at = 0;
            if (!Words(action.rest, action.words, 1, &at) || action.words.empty())
                return fail("type <control> <text>");
            action.target = action.words[0];
            action.text = action.rest.substr(at);
            const std::size_t start = action.text.find_first_not_of(" \t");
            action.text = start == std::string::npos ? "" : action.text.substr(start);
            if (action.text.empty())
                return fail("nothing to type");
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
        if (action.verb == "press") {
            const auto& w = action.words;
            // "press code" alone presses a button named "code".
            action.byCode = w[0] == "code" && (w.size() == 2 || w.size() == 4);
            const std::size_t held = action.byCode ? 2 : 1;
            if (w.size() != held && (w.size() != held + 2 || w[held] != "hold"))
                return fail("press <button> [hold <ticks>], or press code <number> [hold <ticks>]");
            if (action.byCode && !ParseCode(w[1], action.code))
                return fail("not a code: " + w[1]);
            if (w.size() == held + 2 && !ParseTicks(w[held + 1], action.holdTicks))
                return fail("not a number of ticks: " + w[held + 1]);
        }
        if (action.verb == "setting") {
            scenario.settings.push_back({action.words[0], action.words[1], action.words[2]});
            continue;
        }
        if (action.verb == "tab") {
            // A tab by its number among the tabs shown, or by its caption.
            action.row.byNumber = ParseNumber(action.words[0], action.row.number);
            action.row.text = action.words[0];
        }
        if (action.verb == "select" || action.verb == "learn") {
            const std::size_t at = action.verb == "select" ? 1 : 0;
            if (action.verb == "select")
                action.target = action.words[0];
            if (at + ParseRow(action.words, at, action.row) != action.words.size())
                return fail(action.verb == "select"
                                ? "select <grid> <text of the first cell>, or select <grid> row "
                                  "<number>"
                                : "learn <button>, or learn row <number>");
        }
        if (action.verb == "click" || action.verb == "choose" || action.verb == "close") {
            if (!action.words.empty())
                action.target = action.words[0];
            if (action.words.size() == 2)
                action.text = action.words[1];
        }
        if (action.verb == "input" || action.verb == "open-file" || action.verb == "show")
            action.text = action.words[0];
        if (action.verb == "key" && !ParseKey(action.words[0], action))
            return fail(
                "not a key: " + action.words[0] +
                " (Enter, Esc, Tab, Del, an arrow, a letter, F1 ... with shift+, ctrl+, alt+)");
        if (action.verb == "colour" && !ParseColour(action.words[0], action.colour))
            return fail("not a colour: " + action.words[0] + " (#RRGGBB)");
        if (action.verb == "track") {
            action.target = action.words[0];
            int position = 0;
            const std::string& p = action.words[1];
            if (!ParseNumber(p[0] == '-' ? p.substr(1) : p, position))
                return fail("not a position: " + p);
            action.position = p[0] == '-' ? -position : position;
        }
        if (action.verb == "menu" || action.verb == "dblclick" || action.verb == "look")
            action.target = action.words[0];
        if (action.verb == "resize") {
            action.target = action.words[0];
            if (!ParseNumber(action.words[1], action.col) ||
                !ParseNumber(action.words[2], action.position) || action.col == 0 ||
                action.position == 0)
                return fail("resize <dialog> <width> <height>, in pixels");
        }
        if (action.verb == "move") {
            action.target = action.words[0];
            const auto signedNumber = [](const std::string& t, int& n) {
                const bool minus = !t.empty() && t[0] == '-';
                if (!ParseNumber(minus ? t.substr(1) : t, n))
                    return false;
                n = minus ? -n : n;
                return true;
            };
            if (!signedNumber(action.words[1], action.col) ||
                !signedNumber(action.words[2], action.position))
                return fail("move <window> <right> <down>, in pixels");
        }
        if (action.verb == "drag") {
            action.target = action.words[0];
            action.row.byNumber = true;
            if (!ParseNumber(action.words[1], action.row.number) ||
                !ParseNumber(action.words[2], action.position))
                return fail("drag <grid> <row number> <row number>");
        }
        if (action.verb == "drive") {
            std::string d = action.words[0];
            if (d.size() == 2 && d[1] == ':')
                d.pop_back();
            if (d.size() != 1 || !std::isalpha(static_cast<unsigned char>(d[0])) ||
                std::toupper(static_cast<unsigned char>(d[0])) == 'C')
                return fail("drive <letter>, a letter other than C");
            action.text =
                std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(d[0])))) +
                ":";
        }
        if (action.verb == "file") {
            for (std::size_t i = 1; i < action.words.size(); ++i) {
                const std::string& mark = action.words[i];
                if (mark == "hidden")
                    action.attributes |= kHidden;
                else if (mark == "system")
                    action.attributes |= kSystem;
                else if (mark == "readonly")
                    action.attributes |= kReadOnly;
                else
                    return fail("file <path> [hidden] [system] [readonly], not " + mark);
            }
        }
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
