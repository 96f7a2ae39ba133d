// The engine's simulated machine with the real dialogs and the project's Russian language file:
// the settings dialog made as its Add finds it, and the wizards opened, worked and closed by the
// window manager as the user works them.
#pragma once

#include "cmd_wizard.h"
#include "config_form.h"
#include "dialogs.h"
#include "engine_fixture.h"
#include "func_wizard.h"
#include "step_encoding.h"

#include <toolkitsim/control.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace wizard_test {

using Rows = std::vector<std::vector<std::string>>;

// The language file the program ships (CP1251 bytes).
inline std::string ProjectLanguageFile() {
    std::ifstream file(DIALOGS_RUSSIAN_LANGUAGE_FILE, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The name the wizards' lists show for the row of that value.
inline std::string ShownAs(const TKeyword* list, int count, int value) {
    for (int i = 0; i < count; ++i)
        if (list[i].Value == value)
            return ShownName(list[i]);
    ADD_FAILURE() << "no row of value " << value;
    return "";
}

inline Rows GridRows(const TStringGrid& grid, int firstCol = 0) {
    Rows rows;
    for (int r = 1; r < grid.RowCount; ++r) {
        std::vector<std::string> row;
        for (int c = firstCol; c < grid.ColCount; ++c)
            row.push_back(grid.Cells(c, r));
        rows.push_back(row);
    }
    return rows;
}

// One step as the user describes it: the type chosen, then the fields filled.
struct WizardStep {
    std::string type;
    std::function<void(TFCmdwizard&)> fill;
};

using Act = std::function<void(TFCmdwizard&)>;

inline Act Pick(int n, const std::string& text) {
    return [=](TFCmdwizard& w) { toolkitsim::ChooseItem(*w.Param(n), text); };
}
// The row of that value, by the name the list shows once the wizard has loaded the texts.
inline Act PickRow(int n, const TKeyword* list, int count, int value) {
    return
        [=](TFCmdwizard& w) { toolkitsim::ChooseItem(*w.Param(n), ShownAs(list, count, value)); };
}
inline Act Type(int n, const std::string& text) {
    return [=](TFCmdwizard& w) { toolkitsim::TypeText(*w.Param(n), text); };
}
inline Act Buffer(bool text) {
    return [=](TFCmdwizard& w) { toolkitsim::Click(text ? *w.rbtnText : *w.rbtnInteger); };
}
inline WizardStep Step(const std::string& type, const std::vector<Act>& acts = {}) {
    return WizardStep{type, [acts](TFCmdwizard& w) {
                          for (const Act& a : acts)
                              a(w);
                      }};
}
} // namespace wizard_test

class WizardTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        RegisterDialogs();
        PutFile(Prog("LANG\\Rus.ini"), wizard_test::ProjectLanguageFile());
        Runtime.Animation = 0;
        ASSERT_NE(CreateDialogOfKind(KindConfig, Application), nullptr);
        ASSERT_NE(FConfig, nullptr);
        for (const char* line : {"A=10", "B=11", "C=12", "D=13"})
            FConfig->vleCode->Strings.Add(line);
    }

    // Opens the wizard as the settings dialog's Add does, lets act work it while it is open,
    // then lets the window manager's tick close it. True when act left it open (it is then
    // cancelled so that the test can go on).
    bool RunWizard(std::int16_t kind, const std::function<void()>& act) {
        bool seen = false;
        bool stayed = false;
        toolkitsim::OnModal([&](TCustomForm& form) {
            if (&form != DialogOfKind(kind))
                return;
            seen = true;
            if (act)
                act();
            if (TDialogForm* open = DialogOfKind(kind); open && !open->CloseDone) {
                stayed = true;
                open->Finish();
            }
            toolkitsim::At(100, [] { OsdTick(nullptr); });
        });
        ShowForm(kind);
        toolkitsim::RunFor(10);
        toolkitsim::OnModal(nullptr);
        EXPECT_TRUE(seen);
        EXPECT_EQ(DialogOfKind(kind), nullptr) << "the wizard is freed";
        return stayed;
    }

    // Names the command and adds each step with Add.
    static void AddSteps(TFCmdwizard& w, const std::string& name,
                         const std::vector<wizard_test::WizardStep>& steps) {
        if (w.eCmdName->Enabled)
            toolkitsim::TypeText(*w.eCmdName, name);
        for (const wizard_test::WizardStep& s : steps) {
            toolkitsim::ChooseItem(*w.cmbType, s.type);
            if (s.fill)
                s.fill(w);
            EXPECT_TRUE(w.btnAdd->Enabled) << s.type << " is complete";
            toolkitsim::Click(*w.btnAdd);
        }
    }

    // The wizard's own rows after the steps were added; the wizard is then cancelled.
    wizard_test::Rows BuildRows(const std::vector<wizard_test::WizardStep>& steps) {
        wizard_test::Rows rows;
        RunWizard(KindCmdwizard, [&] {
            AddSteps(*FCmdwizard, "Cmd", steps);
            rows = wizard_test::GridRows(*FCmdwizard->stgCommand);
            toolkitsim::Click(*FCmdwizard->btnCancel);
        });
        return rows;
    }

    // The settings dialog's command grid as when no application has commands yet.
    static void EmptyConfigCommands() {
        FConfig->stgCommand->RowCount = 2;
        FConfig->stgCommand->ClearRow(1);
        FConfig->stgCommand->Tag = 0;
    }

    // The binding of button A to the command in every mode but hold, in the default function
    // file of the player.
    void BindCmdToA(const std::string& command = "Cmd") {
        TFuncEntry f{};
        SetField(f.CmdName, command);
        f.RcMode = 4;
        SetField(f.Keys, "\"A\"");
        PutFile(Prog("Bin\\deffuncPlayer.bin"),
                std::string(reinterpret_cast<const char*>(&f), sizeof f));
    }
};
