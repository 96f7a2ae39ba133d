// The search window's layout in config.ini and its translation from the language file.
#include "setup_layout.h"

#include "form_translation.h"
#include "program_folder.h"
#include "search_state.h"

#include <exception>
#include <memory>

namespace {

// The search program translates only these.
constexpr TTranslation SetupTranslations[] = {
    {"TButton", "Buttons", true},
    {"TCheckBox", "Labels", true},
    {"TLabel", "Labels", true},
    {"TStringGrid", nullptr, true},
};

struct TSetupBounds {
    int top = 89;
    int left = 75;
    int height = 404;
    int width = 643;
};

} // namespace

void ReadWriteFormLayout(TForm& form, bool load) {
    const std::string folder = ProgramFolder();
    if (!load) {
        try {
            TIniFile config(folder + "config.ini");
            config.WriteInteger("FSetup", "Top", form.Top);
            config.WriteInteger("FSetup", "Left", form.Left);
            config.WriteInteger("FSetup", "Height", form.Height);
            config.WriteInteger("FSetup", "Width", form.Width);
        } catch (const std::exception&) {
        }
        return;
    }
    TSetupBounds bounds;
    {
        const TIniFile config(folder + "config.ini");
        Search.Language = config.ReadString("Interface", "language", "Rus");
        const TSetupBounds designed;
        bounds.top = config.ReadInteger("FSetup", "Top", designed.top);
        bounds.left = config.ReadInteger("FSetup", "Left", designed.left);
        bounds.height = config.ReadInteger("FSetup", "Height", designed.height);
        bounds.width = config.ReadInteger("FSetup", "Width", designed.width);
        // A hand-edited file must not give the window no size.
        if (bounds.height <= 0)
            bounds.height = designed.height;
        if (bounds.width <= 0)
            bounds.width = designed.width;
    }
    form.SetBounds(bounds.left, bounds.top, bounds.width, bounds.height);
    const TIniFile lang(folder + "Lang\\" + Search.Language + ".ini");
    TranslateForm(lang, &form, SetupTranslations);
}
