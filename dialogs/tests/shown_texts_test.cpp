// The dialogs as the user reads them with the shipped language file: no caption, hint or column
// title of any control shows a key that the language file has a text for.
#include "dialog_fixture.h"
#include "wizard_fixture.h"

#include "cmd_wizard.h"
#include "config_form.h"
#include "func_wizard.h"
#include "osd.h"

#include <cp1251.h>

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = cp1251::ToLower(c);
    return text;
}

// The keys of the sections that translations and dialogs look texts up in, lower case, that
// have a text in the shipped file.
std::set<std::string> KeysWithText() {
    static const std::set<std::string> sections = {"msg", "labels", "buttons", "hints", "forms"};
    std::set<std::string> keys;
    std::istringstream lines(wizard_test::ProjectLanguageFile());
    std::string line, section;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[') {
            section = Lower(line.substr(1, line.find(']') - 1));
            continue;
        }
        const auto eq = line.find('=');
        if (!sections.count(section) || eq == std::string::npos || eq + 1 == line.size())
            continue;
        keys.insert(Lower(line.substr(0, eq)));
    }
    return keys;
}

// Every text of the form's controls that still is such a key, named by its control.
std::vector<std::string> KeysShown(TForm& form, const std::set<std::string>& keys) {
    std::vector<std::string> shown;
    const auto check = [&](const std::string& name, const char* what, const std::string& text) {
        if (!text.empty() && keys.count(Lower(text)))
            shown.push_back(name + " " + what + " " + text);
    };
    check(form.Name, "caption", form.Caption);
    for (int i = 0; i < form.ComponentCount(); ++i) {
        TComponent* component = form.Components(i);
        if (auto* control = dynamic_cast<TControl*>(component)) {
            check(component->Name, "caption", control->Caption);
            check(component->Name, "hint", control->Hint);
        }
        if (auto* grid = dynamic_cast<TStringGrid*>(component)) {
            check(component->Name, "hint", grid->Hint);
            for (int c = 0; c < grid->ColCount; ++c)
                check(component->Name, "title", grid->Cells(c, 0));
        }
    }
    return shown;
}

using ShownTextsTest = DialogTest;

TEST_F(ShownTextsTest, NoControlOfAnyDialogShowsAKeyThatHasAText) {
    PutFile(Prog("LANG\\Rus.ini"), wizard_test::ProjectLanguageFile());
    Runtime.language = "Rus";
    Runtime.ExtOptions = 1;
    const std::set<std::string> keys = KeysWithText();
    ASSERT_GT(keys.size(), 100u);
    std::vector<std::string> seen;
    toolkitsim::OnModal([&](TCustomForm& shown) {
        auto& form = static_cast<TForm&>(shown);
        seen.push_back(form.Name);
        EXPECT_EQ(KeysShown(form, keys), std::vector<std::string>{}) << form.Name;
        if (&form == FConfig) {
            for (int page = 0; page < FConfig->pcConfig->PageCount(); ++page) {
                toolkitsim::ClickTab(*FConfig->pcConfig, page);
                EXPECT_EQ(KeysShown(form, keys), std::vector<std::string>{}) << "page " << page;
            }
            ShowForm(KindCmdwizard);
            ShowForm(KindFuncwizard);
        } else if (&form == FCmdwizard) {
            // Each step type labels the parameter fields anew.
            toolkitsim::TypeText(*FCmdwizard->eCmdName, "Cmd");
            for (int type = 0; type < FCmdwizard->cmbType->Items.Count(); ++type) {
                toolkitsim::ChooseItem(*FCmdwizard->cmbType, type);
                EXPECT_EQ(KeysShown(form, keys), std::vector<std::string>{})
                    << "step type " << FCmdwizard->cmbType->Items[type];
            }
        }
        static_cast<TDialogForm&>(form).Finish();
        toolkitsim::At(100, [] { OsdTick(nullptr); });
    });
    ShowForm(KindConfig);
    toolkitsim::RunFor(10);
    toolkitsim::OnModal(nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"FConfig", "FCmdwizard", "FFuncwizard"}));
}

} // namespace
