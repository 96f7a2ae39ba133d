// The main program's language file: lookups by key and the translation of the tray menu.
#include "language.h"

#include "program_folder.h"
#include "runtime_state.h"

#include <exception>
#include <memory>

TIniFile* EnsureLangIni() {
    if (!Runtime.LangIni) {
        try {
            Runtime.LangIni =
                std::make_unique<TIniFile>(ProgramFolder() + "LANG\\" + Runtime.language + ".ini");
        } catch (const std::exception&) {
            return nullptr;
        }
    }
    return Runtime.LangIni.get();
}

std::string GetLangText(const std::string& section, const std::string& key) {
    try {
        TIniFile* ini = EnsureLangIni();
        if (ini && ini->ValueExists(section, key))
            return ini->ReadString(section, key, "");
    } catch (const std::exception&) {
    }
    return std::string();
}

void TranslateMenu(TMenuItem* menu) {
    if (!menu)
        return;
    try {
        TIniFile* ini = EnsureLangIni();
        if (!ini)
            return;
        for (int i = 0; i < menu->Count(); ++i) {
            TMenuItem* item = menu->Items(i);
            if (ini->ValueExists("Menu", item->Caption))
                item->Caption = ini->ReadString("Menu", item->Caption, "");
        }
    } catch (const std::exception&) {
    }
}
