// The keyword lists of the command language: built-in rows, display texts and lookups.
#include "keyword_lists.h"

#include "language.h"
#include "records.h"
#include "runtime_state.h"

#include <cp1251.h>
#include <toolkit.h>

#include <cstring>
#include <exception>
#include <string_view>

constexpr TKeyword BuiltinFAVORITE[FavoriteCount] = {
    {0, "Audio", ""}, {1, "Video", ""}, {2, "DVD", ""}, {3, "TV_FM", ""}, {4, "Other", ""},
};

constexpr TKeyword BuiltinRCMODE[RcModeCount] = {
    {0, "hold", ""}, {1, "mouse", ""}, {2, "keybd", ""}, {3, "digit", ""}, {4, "nohold", ""},
};

constexpr TKeyword BuiltinCMDTYPE[CmdTypeCount] = {
    {0, "runappl", ""},
    {1, "show_txt", ""},
    {2, "show_bar", ""},
    {3, "setcurpos", ""},
    {4, "sendmsg", ""},
    {5, "buf=sendmsg", ""},
    {6, "sendmsg=buf", ""},
    {7, "keybevent", ""},
    {8, "mousevent", ""},
    {9, "changebuf", ""},
    {10, "time", ""},
    {11, "mode", ""},
    {12, "systemshutdown", ""},
    {13, "timer", ""},
    {14, "show_timer", ""},
    {15, "continue_if_condition", ""},
    {16, "next_if_condition", ""},
    {17, "showfavorites", ""},
    {18, "showfunction", ""},
    {19, "showruning", ""},
    {20, "showtimermode", ""},
    {21, "intbuf=number", ""},
    {22, "set_volume", ""},
    {23, "showplaylist", ""},
};

constexpr TKeyword BuiltinMOUSEVENT[MousEventCount] = {
    {0, "up", ""},
    {1, "down", ""},
    {2, "left", ""},
    {3, "right", ""},
    {4, "up_left", ""},
    {5, "up_right", ""},
    {6, "down_left", ""},
    {7, "down_right", ""},
    {8, "button_left_press", ""},
    {9, "button_left_unpress", ""},
    {10, "button_right_press", ""},
    {11, "button_right_unpress", ""},
    {12, "button_middle_press", ""},
    {13, "button_middle_unpress", ""},
    {14, "whell_up", ""},
    {15, "whell_down", ""},
};

constexpr TKeyword BuiltinINTOPERATION[IntOperationCount] = {
    {0, "iBuf + X", ""},
    {1, "iBuf - X", ""},
    {2, "iBuf * X", ""},
    {3, "iBuf / X", ""},
    {4, "X / iBuf", ""},
    {5, "Clear", ""},
    {6, "iBuf = iBuf + txtBuf", ""},
};

constexpr TKeyword BuiltinTXTOPERATION[TxtOperationCount] = {
    {0, "Add", ""},
    {1, "Left", ""},
    {2, "Right", ""},
    {3, "Mid", ""},
    {4, "Clear", ""},
    {5, "Txt = Txt + Int", ""},
    {6, "Txt = Int + Txt", ""},
};

// Windows' own virtual-key codes.
constexpr TKeyword BuiltinVKEY[VKeyCount] = {
    {1, "VK_LBUTTON", ""},     {3, "VK_CANCEL", ""},       {4, "VK_MBUTTON", ""},
    {8, "VK_BACK", ""},        {9, "VK_TAB", ""},          {12, "VK_CLEAR", ""},
    {13, "VK_RETURN", ""},     {16, "VK_SHIFT", ""},       {17, "VK_CONTROL", ""},
    {18, "VK_MENU", ""},       {19, "VK_PAUSE", ""},       {20, "VK_CAPITAL", ""},
    {27, "VK_ESCAPE", ""},     {32, "VK_SPACE", ""},       {33, "VK_PRIOR", ""},
    {34, "VK_NEXT", ""},       {35, "VK_END", ""},         {36, "VK_HOME", ""},
    {37, "VK_LEFT", ""},       {38, "VK_UP", ""},          {39, "VK_RIGHT", ""},
    {40, "VK_DOWN", ""},       {41, "VK_SELECT", ""},      {43, "VK_EXECUTE", ""},
    {44, "VK_SNAPSHOT", ""},   {45, "VK_INSERT", ""},      {46, "VK_DELETE", ""},
    {47, "VK_HELP", ""},       {48, "VK_0", ""},           {49, "VK_1", ""},
    {50, "VK_2", ""},          {51, "VK_3", ""},           {52, "VK_4", ""},
    {53, "VK_5", ""},          {54, "VK_6", ""},           {55, "VK_7", ""},
    {56, "VK_8", ""},          {57, "VK_9", ""},           {65, "VK_A", ""},
    {66, "VK_B", ""},          {67, "VK_C", ""},           {68, "VK_D", ""},
    {69, "VK_E", ""},          {70, "VK_F", ""},           {71, "VK_G", ""},
    {72, "VK_H", ""},          {73, "VK_I", ""},           {74, "VK_J", ""},
    {75, "VK_K", ""},          {76, "VK_L", ""},           {77, "VK_M", ""},
    {78, "VK_N", ""},          {79, "VK_O", ""},           {80, "VK_P", ""},
    {81, "VK_Q", ""},          {82, "VK_R", ""},           {83, "VK_S", ""},
    {84, "VK_T", ""},          {85, "VK_U", ""},           {86, "VK_V", ""},
    {87, "VK_W", ""},          {88, "VK_X", ""},           {89, "VK_Y", ""},
    {90, "VK_Z", ""},          {91, "VK_LWIN", ""},        {92, "VK_RWIN", ""},
    {93, "VK_APPS", ""},       {96, "VK_NUMPAD0", ""},     {97, "VK_NUMPAD1", ""},
    {98, "VK_NUMPAD2", ""},    {99, "VK_NUMPAD3", ""},     {100, "VK_NUMPAD4", ""},
    {101, "VK_NUMPAD5", ""},   {102, "VK_NUMPAD6", ""},    {103, "VK_NUMPAD7", ""},
    {104, "VK_NUMPAD8", ""},   {105, "VK_NUMPAD9", ""},    {106, "VK_MULTIPLY", ""},
    {107, "VK_ADD", ""},       {108, "VK_SEPARATOR", ""},  {109, "VK_SUBTRACT", ""},
    {110, "VK_DECIMAL", ""},   {111, "VK_DIVIDE", ""},     {112, "VK_F1", ""},
    {113, "VK_F2", ""},        {114, "VK_F3", ""},         {115, "VK_F4", ""},
    {116, "VK_F5", ""},        {117, "VK_F6", ""},         {118, "VK_F7", ""},
    {119, "VK_F8", ""},        {120, "VK_F9", ""},         {121, "VK_F10", ""},
    {122, "VK_F11", ""},       {123, "VK_F12", ""},        {124, "VK_F13", ""},
    {125, "VK_F14", ""},       {126, "VK_F15", ""},        {127, "VK_F16", ""},
    {128, "VK_F17", ""},       {129, "VK_F18", ""},        {130, "VK_F19", ""},
    {131, "VK_F20", ""},       {132, "VK_F21", ""},        {133, "VK_F22", ""},
    {134, "VK_F23", ""},       {135, "VK_F24", ""},        {144, "VK_NUMLOCK", ""},
    {145, "VK_SCROLL", ""},    {186, "VK_OEM_1", ""},      {188, "VK_OEM_COMMA", ""},
    {189, "VK_OEM_MINUS", ""}, {190, "VK_OEM_PERIOD", ""}, {191, "VK_OEM_2", ""},
    {192, "VK_OEM_3", ""},     {219, "VK_OEM_4", ""},      {220, "VK_OEM_5", ""},
    {221, "VK_OEM_6", ""},     {222, "VK_OEM_7", ""},      {246, "VK_ATTN", ""},
    {247, "VK_CRSEL", ""},     {248, "VK_EXSEL", ""},      {249, "VK_EREOF", ""},
    {250, "VK_PLAY", ""},      {251, "VK_ZOOM", ""},       {253, "VK_PA1", ""},
    {254, "VK_OEM_CLEAR", ""},
};

constexpr TKeyword BuiltinCONDITIONS[ConditionsCount] = {
    {0, "Buf < X", ""},  {1, "Buf > X", ""}, {2, "Buf <= X", ""},
    {3, "Buf >= X", ""}, {4, "Buf = X", ""}, {5, "Buf <> X", ""},
};

constexpr TKeyword BuiltinTIMERMODE[TimerModeCount] = {
    {0, "Timer OFF", ""}, {1, "30", ""},  {2, "60", ""},
    {3, "90", ""},        {4, "120", ""}, {5, "just-in-time", ""},
};

constexpr TKeyword BuiltinVOLSETTINGS[VolSettingsCount] = {
    {0, "Volume +", ""},
    {1, "Volume -", ""},
    {2, "Mute", ""},
};

constexpr TKeyword BuiltinINPUTFORMAT[InputFormatCount] = {{0, "time", ""}, {1, "number", ""}};

constexpr TKeyword BuiltinPLTYPE[PlTypeCount] = {{0, "audio", ""}, {1, "video", ""}};

namespace {

// A list too short for its initialiser leaves zero rows behind; these catch it at build time.
template <std::size_t N>
constexpr bool ValuesAreIndices(const TKeyword (&list)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        if (list[i].Value != static_cast<std::int16_t>(i) || list[i].Keyword[0] == '\0')
            return false;
    return true;
}

constexpr bool VKeyRowsAscend() {
    for (int i = 1; i < VKeyCount; ++i)
        if (BuiltinVKEY[i].Value <= BuiltinVKEY[i - 1].Value || BuiltinVKEY[i].Keyword[0] == '\0')
            return false;
    return BuiltinVKEY[0].Value == 1 && BuiltinVKEY[VKeyCount - 1].Value == 254;
}

static_assert(ValuesAreIndices(BuiltinFAVORITE));
static_assert(ValuesAreIndices(BuiltinRCMODE));
static_assert(ValuesAreIndices(BuiltinCMDTYPE));
static_assert(ValuesAreIndices(BuiltinMOUSEVENT));
static_assert(ValuesAreIndices(BuiltinINTOPERATION));
static_assert(ValuesAreIndices(BuiltinTXTOPERATION));
static_assert(ValuesAreIndices(BuiltinCONDITIONS));
static_assert(ValuesAreIndices(BuiltinTIMERMODE));
static_assert(ValuesAreIndices(BuiltinVOLSETTINGS));
static_assert(ValuesAreIndices(BuiltinINPUTFORMAT));
static_assert(ValuesAreIndices(BuiltinPLTYPE));
static_assert(VKeyRowsAscend());

struct TNamedList {
    const char* Name; // also the language file section of the texts
    TKeyword* Rows;
    int Count;
};

} // namespace

std::int32_t LoadKeywordLists() {
    TIniFile* ini = EnsureLangIni();
    if (!ini)
        return 0;
    TRuntimeState& r = Runtime;
    const TNamedList lists[] = {
        {"FAVORITE", r.FAVORITE, FavoriteCount},
        {"RCMODE", r.RCMODE, RcModeCount},
        {"CMDTYPE", r.CMDTYPE, CmdTypeCount},
        {"MOUSEVENT", r.MOUSEVENT, MousEventCount},
        {"INTOPERATION", r.INTOPERATION, IntOperationCount},
        {"TXTOPERATION", r.TXTOPERATION, TxtOperationCount},
        {"VKEY", r.VKEY, VKeyCount},
        {"CONDITIONS", r.CONDITIONS, ConditionsCount},
        {"TIMERMODE", r.TIMERMODE, TimerModeCount},
        {"VOLSETTINGS", r.VOLSETTINGS, VolSettingsCount},
        {"INPUTFORMAT", r.INPUTFORMAT, InputFormatCount},
        {"PLTYPE", r.PLTYPE, PlTypeCount},
    };
    try {
        for (const TNamedList& list : lists)
            for (int i = 0; i < list.Count; ++i) {
                TKeyword& row = list.Rows[i];
                SetField(row.Text, ini->ReadString(list.Name, IntToStr(row.Value), ""));
            }
    } catch (const std::exception&) {
        return 3;
    }
    r.KeywordsLoaded = 1;
    return 0;
}

std::int16_t KeywordToValue(const TKeyword* list, int count, const std::string& keyword) {
    for (int i = 0; i < count; ++i)
        if (cp1251::EqualNoCase(FieldView(list[i].Keyword), keyword))
            return list[i].Value;
    return -1;
}

std::int16_t TextToValue(const TKeyword* list, int count, const std::string& text) {
    for (int i = 0; i < count; ++i)
        if (cp1251::EqualNoCase(FieldView(list[i].Text), text))
            return list[i].Value;
    return -1;
}

std::string ValueToKeyword(const TKeyword* list, int count, std::int16_t value) {
    for (int i = 0; i < count; ++i)
        if (list[i].Value == value)
            return std::string(FieldView(list[i].Keyword));
    return std::string();
}

std::string KeywordToText(const TKeyword* list, int count, const std::string& keyword) {
    for (int i = 0; i < count; ++i)
        if (cp1251::EqualNoCase(FieldView(list[i].Keyword), keyword))
            return std::string(FieldView(list[i].Text));
    return std::string();
}

std::string SpliceString(const std::string& text, const std::string& name) {
    const std::size_t quote = text.find('"');
    if (quote == std::string::npos)
        return name + text;
    return text.substr(0, quote + 1) + name + text.substr(quote + 1);
}
