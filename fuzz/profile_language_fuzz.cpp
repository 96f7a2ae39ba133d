// The profile files and the files read through them: any bytes as config.ini and the language
// file, read and written through the profile functions with any section, key and buffer size,
// through the ini-file class, the settings, the window layouts, the language texts, the keyword
// lists and the translation of the tray menu.
#include "fuzz_input.h"
#include "fuzz_machine.h"

#include "form_layout.h"
#include "keyword_lists.h"
#include "language.h"
#include "runtime_state.h"
#include "settings_file.h"

#include <toolkit.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

using namespace fuzz_support;

namespace {

// A text from the input, or null (the profile functions give null its own meaning).
const char* TextOrNull(FuzzInput& in, std::string& storage) {
    storage = in.Text();
    return storage == "\x01" ? nullptr : storage.c_str();
}

// What a profile function reports as copied fits the buffer and is terminated there.
void CheckCopied(DWORD copied, const char* buffer, DWORD size) {
    if (size == 0 ? copied != 0 : copied >= size || buffer[copied] != '\0')
        std::abort();
}

// One call of a profile function on the file, with a buffer of exactly the size it is told.
void ProfileCall(FuzzInput& in, const std::string& file) {
    std::string section, key, value;
    const std::uint8_t op = in.Byte();
    const char* s = TextOrNull(in, section);
    const char* k = TextOrNull(in, key);
    const char* v = TextOrNull(in, value);
    const DWORD size = in.Byte() % 64;
    const auto buffer = std::make_unique<char[]>(size);
    switch (op % 5) {
    case 0:
        CheckCopied(GetPrivateProfileStringA(s, k, v, buffer.get(), size, file.c_str()),
                    buffer.get(), size);
        break;
    case 1:
        WritePrivateProfileStringA(s, k, v, file.c_str());
        break;
    case 2:
        GetPrivateProfileIntA(s, k, static_cast<INT>(in.U32()), file.c_str());
        break;
    case 3:
        CheckCopied(GetPrivateProfileSectionNamesA(buffer.get(), size, file.c_str()), buffer.get(),
                    size);
        break;
    default: {
        TIniFile ini(file);
        TStringList list;
        ini.ReadSections(list);
        ini.ReadSection(section, list);
        ini.ReadInteger(section, key, 0);
        ini.ReadBool(section, key, false);
        ini.ReadFloat(section, key, 0.0);
        try {
            ini.WriteString(section, key, value);
        } catch (const EIniFileException&) {
        }
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    FreshRuntime();
    const std::string config = Prog("config.ini");
    const std::string language = Prog("LANG\\Rus.ini");
    PutFile(config, in.Text());
    PutFile(language, in.Text());

    const int calls = in.Byte() % 16;
    for (int i = 0; i < calls; ++i)
        ProfileCall(in, in.Flag() ? language : config);

    Runtime.language = "Rus";
    // Some hundred lookups, each reading the file again: now and then, to keep the pace.
    if ((in.Byte() & 0x0F) == 0x0F)
        LoadKeywordLists();
    GetLangText(in.Text(), in.Text());
    TPopupMenu menu(nullptr);
    for (const char* caption : {"NSetup", "NExit", "", "-"}) {
        auto* item = new TMenuItem(&menu);
        item->Caption = caption;
        menu.Items()->Add(item);
    }
    TranslateMenu(menu.Items());

    auto& r = Runtime;
    try {
        ReadWriteConfig(true, r.Regions, r.Animation, r.Infobackground, r.Alpha, r.Alphavalue,
                        r.Consttime, r.passed, r.MouseSpeedStep, r.ExtOptions, r.language,
                        r.showcmdtext, r.timersound);
        ReadWriteConfig(false, r.Regions, r.Animation, r.Infobackground, r.Alpha, r.Alphavalue,
                        r.Consttime, r.passed, r.MouseSpeedStep, r.ExtOptions, r.language,
                        r.showcmdtext, r.timersound);
    } catch (const EIniFileException&) {
    }
    std::int32_t top = 0, left = 0, height = 0, width = 0, color = 0;
    for (const char* section : {"FInfo", "FTime", "FBar"}) {
        ReadWriteFormLayout(true, section, top, left, height, width, color, nullptr);
        ReadWriteFormLayout(false, section, top, left, height, width, color, nullptr);
    }

    EndRuntime();
    return 0;
}
