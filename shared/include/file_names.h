// Names that become part of a file name: application names (usercmd<Appl>.bin and its
// relatives), favourites groups (favorit<Group>.bin) and playlist names (PL\<name>.aud).
#pragma once

#include <string_view>

// False for a name that could lead out of its folder or that Windows cannot store in a file
// name: one holding \ / : * ? " < > | or a control character, one that is empty after trimming
// its blanks, and "." or "..".
inline bool IsFileNamePart(std::string_view name) {
    constexpr std::string_view forbidden = "\\/:*?\"<>|";
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || forbidden.find(c) != std::string_view::npos)
            return false;
    const std::size_t first = name.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return false;
    const std::string_view trimmed = name.substr(first, name.find_last_not_of(' ') - first + 1);
    return trimmed != "." && trimmed != "..";
}
