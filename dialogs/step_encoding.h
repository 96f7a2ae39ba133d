// How the command wizard's fields become step rows: numbers as text, and the names by which the
// wizard's lists show the keyword lists' rows.
#pragma once

#include "keyword_lists.h"

#include <cstdint>
#include <string>

// Plain decimal text: an optional minus sign, no leading zeros, no separators.
std::string IntToText(std::int32_t value);

// The name a row is shown by in the wizards' lists: its display text, or its keyword while the
// language file gives it none (an empty entry would read as no choice at all).
std::string ShownName(const TKeyword& row);
// The value of the first row shown by that name: a row whose display text matches (without
// regard to case), else a row without display text whose keyword matches; -1 for none. So a
// missing language file never turns every choice into the first row.
std::int16_t ShownToValue(const TKeyword* list, int count, const std::string& shown);

// What a numeric field of the wizard holds: an optional minus sign and digits, with one decimal
// point where decimals are allowed; at least one digit.
bool IsWholeNumberText(const std::string& text);
bool IsDecimalNumberText(const std::string& text);
