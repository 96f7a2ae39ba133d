// The keyword lists of the command language, their lookups, and SpliceString.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#pragma pack(push, 1)

// One row of a keyword list: the stored number, the built-in word and the display text.
struct TKeyword {
    std::int16_t Value;
    char Keyword[25];
    char Text[101]; // from the language file; longer values are cut to 100 characters
};

#pragma pack(pop)

static_assert(sizeof(TKeyword) == 128);
static_assert(offsetof(TKeyword, Value) == 0);
static_assert(offsetof(TKeyword, Keyword) == 2);
static_assert(offsetof(TKeyword, Text) == 27);

// Row counts of the twelve lists.
constexpr int FavoriteCount = 5;
constexpr int RcModeCount = 5;
constexpr int CmdTypeCount = 24;
constexpr int MousEventCount = 16;
constexpr int IntOperationCount = 7;
constexpr int TxtOperationCount = 7;
constexpr int VKeyCount = 127;
constexpr int ConditionsCount = 6;
constexpr int TimerModeCount = 6;
constexpr int VolSettingsCount = 3;
constexpr int InputFormatCount = 2;
constexpr int PlTypeCount = 2;

// The built-in rows, with empty texts; the runtime state starts from copies of them.
extern const TKeyword BuiltinFAVORITE[FavoriteCount];
extern const TKeyword BuiltinRCMODE[RcModeCount];
extern const TKeyword BuiltinCMDTYPE[CmdTypeCount];
extern const TKeyword BuiltinMOUSEVENT[MousEventCount];
extern const TKeyword BuiltinINTOPERATION[IntOperationCount];
extern const TKeyword BuiltinTXTOPERATION[TxtOperationCount];
extern const TKeyword BuiltinVKEY[VKeyCount];
extern const TKeyword BuiltinCONDITIONS[ConditionsCount];
extern const TKeyword BuiltinTIMERMODE[TimerModeCount];
extern const TKeyword BuiltinVOLSETTINGS[VolSettingsCount];
extern const TKeyword BuiltinINPUTFORMAT[InputFormatCount];
extern const TKeyword BuiltinPLTYPE[PlTypeCount];

// Fills the display texts of every list from the language file section of the list's name.
// 0 on success, also when no language file object could be made (texts stay as they are and
// KeywordsLoaded stays 0); 3 when an error was raised while reading.
std::int32_t LoadKeywordLists();

// Each scans rows 0 upwards and takes the first match; keywords and texts compare without
// regard to case.
std::int16_t KeywordToValue(const TKeyword* list, int count, const std::string& keyword);
std::int16_t TextToValue(const TKeyword* list, int count, const std::string& text);
std::string ValueToKeyword(const TKeyword* list, int count, std::int16_t value);
std::string KeywordToText(const TKeyword* list, int count, const std::string& keyword);

// The text up to and including its first double quote, the name, then the rest; the name in
// front of the whole text when it has no double quote.
std::string SpliceString(const std::string& text, const std::string& name);
