// The search program's own lookup of language texts: each call opens and frees its own file
// object, so the GUI thread and the worker share nothing but the language name.
#include "search_texts.h"

#include "program_folder.h"
#include "search_state.h"

#include <toolkit.h>

#include <exception>

std::string GetLangText(const std::string& section, const std::string& key) {
    try {
        const TIniFile lang(ProgramFolder() + "Lang\\" + Search.Language + ".ini");
        if (lang.ValueExists(section, key))
            return lang.ReadString(section, key, "");
    } catch (const std::exception&) {
    }
    return std::string();
}
