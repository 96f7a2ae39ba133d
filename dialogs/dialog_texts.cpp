// The dialogs' texts from the language file and their message and question boxes.
#include "dialog_texts.h"

#include "language.h"

#include <toolkit.h>

void ShowLangMessage(const std::string& key) {
    if (!key.empty())
        ShowMessage(GetLangText("Msg", key));
}

bool AskLangQuestion(const std::string& key) {
    return MessageDlg(GetLangText("Msg", key), mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) ==
           mrYes;
}

std::string LangCaption(const std::string& section, const std::string& key) {
    const std::string text = GetLangText(section, key);
    return text.empty() ? key : text;
}
