// Position, size and text colour of each window in config.ini, and the dialogs' translation.
#pragma once

#include <cstdint>
#include <string>

class TForm;

// Default text colour of every window.
constexpr std::int32_t DefaultWindowColor = 11466791;

// load true reads Top, Left, Height, Width and Color of the section (defaults for what is missing
// or malformed) and, for one of the three dialogs, translates its texts on its first reading;
// false writes the five values. 0, or 3 when config.ini cannot be opened (nothing touched then).
std::int32_t ReadWriteFormLayout(bool load, const std::string& section, std::int32_t& top,
                                 std::int32_t& left, std::int32_t& height, std::int32_t& width,
                                 std::int32_t& color, TForm* form);
