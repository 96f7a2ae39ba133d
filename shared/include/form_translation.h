// The translation of a window from the language file: each component, by its exact class
// name, takes the texts the language file gives its design-time caption and hint.
#pragma once

#include <toolkit.h>

#include <string>

// What the exact class name selects: the section of the caption (none: not translated) and
// whether the hint is translated.
struct TTranslation {
    const char* className;
    const char* captionSection;
    bool hint;
};

// A language value replaces a text only when it is there and not empty.
inline std::string Translated(const TIniFile& lang, const char* section, const std::string& text) {
    if (text.empty())
        return text;
    const std::string value = lang.ReadString(section, text, "");
    return value.empty() ? text : value;
}

// The form's caption from section Forms, then each component in component order whose class is
// one of the table's; other components are left as designed.
template <std::size_t N>
void TranslateForm(const TIniFile& lang, TForm* form, const TTranslation (&translations)[N]) {
    form->Caption = Translated(lang, "Forms", form->Caption);
    for (int i = 0; i < form->ComponentCount(); ++i) {
        TComponent* component = form->Components(i);
        const std::string className = component->ClassName();
        for (const TTranslation& how : translations) {
            if (className != how.className)
                continue;
            if (auto* control = dynamic_cast<TControl*>(component)) {
                if (how.captionSection)
                    control->Caption = Translated(lang, how.captionSection, control->Caption);
                if (how.hint)
                    control->Hint = Translated(lang, "Hints", control->Hint);
            } else if (auto* grid = dynamic_cast<TStringGrid*>(component)) {
                if (how.hint)
                    grid->Hint = Translated(lang, "Hints", grid->Hint);
            }
            break;
        }
    }
}
