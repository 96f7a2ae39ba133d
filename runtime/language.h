// Texts of the language file by section and key, and the translation of the tray menu.
#pragma once

#include <toolkit.h>

#include <string>

// The shared language file object, made on first use for
// <program folder>LANG\<language>.ini with the language current then, and kept; a missing file
// reads as one without keys. nullptr when the object cannot be made.
TIniFile* EnsureLangIni();

// The value of the key in the section; the empty text when it is absent or anything fails.
std::string GetLangText(const std::string& section, const std::string& key);

// Each direct item whose caption is a key of section Menu takes the key's value, also an empty
// one; sub-menus are not entered. Errors end the translation silently.
void TranslateMenu(TMenuItem* menu);
