// Reading and writing the per-window sections of config.ini; translating the dialogs.
#include "form_layout.h"

#include "dialog_forms.h"
#include "form_translation.h"
#include "language.h"
#include "program_folder.h"

#include <toolkit.h>

#include <memory>
#include <new>

namespace {

// Open only for the duration of one ReadWriteFormLayout call.
std::unique_ptr<TIniFile> ConfigIni;

struct TConfigIniScope {
    ~TConfigIniScope() { ConfigIni.reset(); }
};

constexpr TTranslation Translations[] = {
    {"TLabel", "Labels", true},       {"TCheckBox", "Labels", true},
    {"TGroupBox", "Labels", true},    {"TButton", "Buttons", true},
    {"TRadioButton", "Labels", true}, {"TPanel", "Labels", true},
    {"TTabSheet", "Labels", false},   {"TValueListEditor", nullptr, true},
    {"TStringGrid", nullptr, true},   {"TComboBox", nullptr, true},
    {"TTrackBar", nullptr, true},
};

void TranslateDialog(TForm* form) {
    TIniFile* lang = EnsureLangIni();
    if (!lang)
        return;
    TranslateForm(*lang, form, Translations);
}

bool IsDialog(const TForm* form) {
    return dynamic_cast<const TDialogForm*>(form) != nullptr;
}

} // namespace

std::int32_t ReadWriteFormLayout(bool load, const std::string& section, std::int32_t& top,
                                 std::int32_t& left, std::int32_t& height, std::int32_t& width,
                                 std::int32_t& color, TForm* form) {
    try {
        ConfigIni = std::make_unique<TIniFile>(ProgramFolder() + "config.ini");
    } catch (const std::bad_alloc&) {
        return 3;
    }
    TConfigIniScope scope;

    if (load) {
        top = ConfigIni->ReadInteger(section, "Top", 0);
        left = ConfigIni->ReadInteger(section, "Left", 0);
        height = ConfigIni->ReadInteger(section, "Height", Screen->Height() / 2);
        width = ConfigIni->ReadInteger(section, "Width", Screen->Width() / 2);
        color = ConfigIni->ReadInteger(section, "Color", DefaultWindowColor);
        // A hand-edited file must not give a window no size or a colour that is none.
        if (height <= 0)
            height = Screen->Height() / 2;
        if (width <= 0)
            width = Screen->Width() / 2;
        if (color < 0 || color > 0xFFFFFF)
            color = DefaultWindowColor;
        if (IsDialog(form))
            TranslateDialog(form);
    } else {
        ConfigIni->WriteInteger(section, "Top", top);
        ConfigIni->WriteInteger(section, "Left", left);
        ConfigIni->WriteInteger(section, "Height", height);
        ConfigIni->WriteInteger(section, "Width", width);
        ConfigIni->WriteInteger(section, "Color", color);
    }
    return 0;
}
