// The names every door of a file name is tried with: those that must never reach a file name
// and some that must pass unchanged.
#pragma once

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

struct TFileNameCase {
    const char* label;
    std::string name;
    bool fits; // may become part of a file name
};

inline const std::vector<TFileNameCase>& FileNameCases() {
    static const std::vector<TFileNameCase> cases = {
        {"slash", "AC/DC", false},
        {"up into Bin", "\\..\\usercode", false},
        {"out of the program folder", "\\..\\..\\..\\x", false},
        {"up without a separator", "..\\x", false},
        {"drive", "C:x", false},
        {"star", "a*b", false},
        {"question mark", "a?b", false},
        {"double quote", "a\"b", false},
        {"less than", "a<b", false},
        {"greater than", "a>b", false},
        {"bar", "a|b", false},
        {"tab", "a\tb", false},
        {"line feed", "a\nb", false},
        {"code 1", "a\x01", false},
        {"code 31", "\x1f", false},
        {"empty", "", false},
        {"blanks only", "   ", false},
        {"dot", ".", false},
        {"two dots", "..", false},
        {"two dots in blanks", " .. ", false},
        {"plain", "Winamp", true},
        {"blanks inside", "Media Player Classic", true},
        {"blank at the end", "Player ", true},
        {"dots inside", "Mr. T.V.", true},
        {"three dots", "...", true},
        {"digits and signs", "TV-2 (FM)_x+y", true},
        // "Плеер" in code page 1251: letters above 0x7F are no control characters.
        {"cyrillic", "\xcf\xeb\xe5\xe5\xf0", true},
        {"code 127", "a\x7f", true},
    };
    return cases;
}

// A line break ends a line of an ini file: no such name can come from one.
inline bool FitsOnAnIniLine(const std::string& name) {
    return name.find_first_of("\r\n") == std::string::npos;
}

// Every file below a host folder, as paths relative to it with '/' between folders, sorted: what
// a door wrote shows as the difference of two such lists.
inline std::vector<std::string> FilesUnder(const std::string& hostFolder) {
    std::vector<std::string> files;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(hostFolder, ignored))
        if (entry.is_regular_file(ignored))
            files.push_back(
                std::filesystem::relative(entry.path(), hostFolder, ignored).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

// The files of after that before does not hold.
inline std::vector<std::string> NewFiles(const std::vector<std::string>& before,
                                         const std::vector<std::string>& after) {
    std::vector<std::string> added;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(added));
    return added;
}
