// The dialogs' texts from the language file and their message and question boxes.
#pragma once

#include <string>

// A plain message box with the text of the key of section Msg; an empty key shows nothing.
void ShowLangMessage(const std::string& key);
// A Yes/No confirmation box with the text of the key of section Msg; true only on Yes.
bool AskLangQuestion(const std::string& key);
// A caption the dialog sets itself: the language's text, or the key (the built-in text) when
// the language has none, so that a control never loses its caption.
std::string LangCaption(const std::string& section, const std::string& key);
