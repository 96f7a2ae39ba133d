// The search program's own lookup of language texts.
#pragma once

#include <string>

// The value of the key in the section of <program folder>Lang\<language>.ini, opened for this
// call only; the empty text when the key or the file is missing.
std::string GetLangText(const std::string& section, const std::string& key);
