// Record layouts of the data files in Bin, byte for byte as on disk and in the tables.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// The records are read and written as raw bytes; their integers are little-endian on disk.
static_assert(std::endian::native == std::endian::little, "record files are little-endian");

#pragma pack(push, 1)

// One learnt button of the code table and of defcode.bin/usercode.bin.
struct TCodeEntry {
    char Name[32];
    std::int64_t Code; // -1 in usercode.bin: the default button is deleted
};

// One supported application of the application table and of defappl.bin/userappl.bin.
struct TApplEntry {
    char Name[25];
    char ClassName[103];
    std::int32_t Wnd; // run-time only; stored as 0
    char Path[256];   // empty in userappl.bin: the default application is deleted
};

// One step of a command in defcmd<Appl>.bin/usercmd<Appl>.bin.
struct TCmdStep {
    char Name[26]; // first step only
    std::int16_t Step;
    std::int16_t StepCount; // 0 in a user file: the default command is deleted
    std::int16_t CmdType;
    char Param1[25];
    char Param2[25];
    char Param3[25];
    char Param4[25];
};

// One binding in deffunc<Appl>.bin/userfunc<Appl>.bin.
struct TFuncEntry {
    char CmdName[26];
    std::int16_t RcMode;
    char Keys[76]; // empty in a user file: the default binding is deleted
};

#pragma pack(pop)

static_assert(sizeof(TCodeEntry) == 40);
static_assert(offsetof(TCodeEntry, Name) == 0);
static_assert(offsetof(TCodeEntry, Code) == 32);

static_assert(sizeof(TApplEntry) == 388);
static_assert(offsetof(TApplEntry, Name) == 0);
static_assert(offsetof(TApplEntry, ClassName) == 25);
static_assert(offsetof(TApplEntry, Wnd) == 128);
static_assert(offsetof(TApplEntry, Path) == 132);

static_assert(sizeof(TCmdStep) == 132);
static_assert(offsetof(TCmdStep, Name) == 0);
static_assert(offsetof(TCmdStep, Step) == 26);
static_assert(offsetof(TCmdStep, StepCount) == 28);
static_assert(offsetof(TCmdStep, CmdType) == 30);
static_assert(offsetof(TCmdStep, Param1) == 32);
static_assert(offsetof(TCmdStep, Param2) == 57);
static_assert(offsetof(TCmdStep, Param3) == 82);
static_assert(offsetof(TCmdStep, Param4) == 107);

static_assert(sizeof(TFuncEntry) == 104);
static_assert(offsetof(TFuncEntry, CmdName) == 0);
static_assert(offsetof(TFuncEntry, RcMode) == 26);
static_assert(offsetof(TFuncEntry, Keys) == 28);

// Copies the text into the field, cut to N - 1 characters, NUL-terminated; the rest of the field
// is zeroed so that saved files carry no stale bytes.
template <std::size_t N>
void SetField(char (&field)[N], std::string_view text) {
    static_assert(N > 0);
    const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
    if (n > 0)
        std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, N - n);
}

// The field's text up to its first NUL, or the whole field when a file left it without one; a
// view for the lookups of the button road, which must not allocate.
template <std::size_t N>
std::string_view FieldView(const char (&field)[N]) {
    const void* nul = std::memchr(field, 0, N);
    const std::size_t n = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : N;
    return std::string_view(field, n);
}

template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(FieldView(field));
}

// A record read from a file may fill a text field without a NUL; cutting every text to its
// field's size less one makes it the text the savers would store, so names compare and save
// back the same way.
inline void TerminateFields(TCodeEntry& e) {
    e.Name[sizeof e.Name - 1] = 0;
}
inline void TerminateFields(TApplEntry& e) {
    e.Name[sizeof e.Name - 1] = 0;
    e.ClassName[sizeof e.ClassName - 1] = 0;
    e.Path[sizeof e.Path - 1] = 0;
}
inline void TerminateFields(TCmdStep& s) {
    s.Name[sizeof s.Name - 1] = 0;
    s.Param1[sizeof s.Param1 - 1] = 0;
    s.Param2[sizeof s.Param2 - 1] = 0;
    s.Param3[sizeof s.Param3 - 1] = 0;
    s.Param4[sizeof s.Param4 - 1] = 0;
}
inline void TerminateFields(TFuncEntry& f) {
    f.CmdName[sizeof f.CmdName - 1] = 0;
    f.Keys[sizeof f.Keys - 1] = 0;
}
