// The settings dialog opened the way the user opens it: the tray program running with a fake
// receiver, its tick learning codes and closing the dialog, a language file whose every text is
// "<section>.<key>", and the dialog worked through the toolkit's control interface.
#pragma once

#include "config_form.h"
#include "dialog_fixture.h"
#include "main_form.h"
#include "receiver_binding.h"
#include "records.h"
#include "runtime_fixture.h"
#include "runtime_state.h"
#include "tick_rig.h"

#include <toolkitsim/control.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// The keys of the language file the dialog's core uses, by section.
inline const std::vector<std::pair<std::string, std::vector<std::string>>>& CoreLanguageKeys() {
    static const std::vector<std::pair<std::string, std::vector<std::string>>> keys = {
        {"Msg",
         {"err_noini", "err_nomemory", "err_codewrite", "err_applwrite", "err_cmdwrite",
          "err_funcwrite", "err_favwrite", "err_commitfile", "err_duplcodename", "err_nocodefile",
          "msg_delrow", "msg_defcode", "msg_addcodetitle", "msg_addcode", "err_applname"}},
        {"Buttons",
         {"btn_ok", "btn_cancel", "btn_add", "btn_del", "btn_default", "btn_reconfig",
          "btn_endreconfig"}},
        {"Hints",
         {"hnt_btnok", "hnt_btncancel", "hnt_reconfig", "hnt_endreconfig", "hnt_addbutton",
          "hnt_delbutton", "hnt_defbutton", "hnt_addappl", "hnt_delappl", "hnt_defappl",
          "hnt_addcmd", "hnt_delcmd", "hnt_defcmd", "hnt_addfunc", "hnt_delfunc", "hnt_deffunc"}},
        {"Labels",
         {"lbl_output", "lbl_keycode", "lbl_appl", "lbl_cmd", "lbl_applfunc", "lbl_rcbutton"}},
        {"Forms", {"FConfig"}},
        {"FAVORITE", {"0", "1", "2", "3", "4"}},
    };
    return keys;
}

// What the test language file gives for a key.
inline std::string Text(const std::string& section, const std::string& key) {
    return section + "." + key;
}
inline std::string Msg(const std::string& key) {
    return Text("Msg", key);
}

template <class T>
std::string RecordBytes(const std::vector<T>& records) {
    std::string bytes;
    for (const T& r : records)
        bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
    return bytes;
}

// The tray program and its settings dialog on a machine that provides the receiver: Machine
// sets up the simulated machine, the toolkit and the dialogs, and feeds a pressed code with
// FeedCode.
template <class Machine>
class TConfigDialogFixture : public Machine {
protected:
    void SetUp() override {
        Machine::SetUp();
        config = "[Interface]\r\next options=1\r\nshowcmdtext=0\r\n[Tuning]\r\npassed=1\r\n";
        std::string language;
        for (const auto& [section, keys] : CoreLanguageKeys()) {
            language += "[" + section + "]\r\n";
            for (const std::string& key : keys)
                language += key + "=" + Text(section, key) + "\r\n";
        }
        this->PutFile(this->Prog("LANG\\Rus.ini"), language);
    }
    void TearDown() override {
        toolkitsim::Reset();
        UnbindReceiverLibrary();
        Machine::TearDown();
    }

    // The default buttons of the program folder.
    void DefaultCodes(const std::vector<TCodeEntry>& codes) {
        this->PutFile(this->Prog("Bin\\defcode.bin"), RecordBytes(codes));
    }
    // Starts the tray program with the folder as it stands; its start-up boxes are forgotten.
    void Start() {
        this->PutFile(this->Prog("config.ini"), config);
        Application->CreateForm(FMain);
        ASSERT_NE(FMain, nullptr);
        toolkitsim::RunFor(200);
        toolkitsim::ClearBoxes();
    }
    // Ends the tray program and every window, as if the program had never run; the files stay.
    void StopProgram() {
        toolkitsim::Reset();
        UnbindReceiverLibrary();
        ResetRuntimeState();
        RegisterDialogs();
    }

    // Opens the dialog from the tray menu and runs the script while it is shown; returns once
    // the window manager has closed and freed it. A script that leaves the dialog open fails
    // the test, and the dialog is cancelled, unless it has left a close to the message loop.
    void WithDialog(const std::function<void(TFConfig&)>& script, bool closesLater = false) {
        bool ran = false;
        toolkitsim::OnModal([&](TCustomForm& form) {
            if (&form != FConfig || ran)
                return;
            ran = true;
            script(*FConfig);
            if (!closesLater && FConfig && !FConfig->CloseDone) {
                ADD_FAILURE() << "the script left the dialog open";
                FConfig->btnCancelClick(nullptr);
            }
        });
        toolkitsim::ClickItem(*FMain->NParam);
        toolkitsim::OnModal(nullptr);
        // A freed form goes once the message loop runs.
        toolkitsim::RunFor(10);
        EXPECT_TRUE(ran);
        EXPECT_EQ(FConfig, nullptr);
        EXPECT_EQ(Runtime.ConfigMode, 0);
    }

    // A button pressed on the remote, and the ticks that read it.
    void Press(std::int64_t code) {
        this->FeedCode(code);
        toolkitsim::RunFor(300);
    }

    // The lines of the code grid, "key=value" each.
    static std::vector<std::string> GridLines(const TFConfig& f) {
        return {f.vleCode->Strings.begin(), f.vleCode->Strings.end()};
    }

    std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (const auto& b : toolkitsim::Boxes())
            texts.push_back(b.text);
        return texts;
    }

    std::string config;
};

// The real dialogs with a fake receiver library that hands out one code per read.
class FakeReceiverDialogTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        tick_rig::RegisterFakeReceiver();
    }
    static void FeedCode(std::int64_t code) { tick_rig::QueueCode(code); }
};

using ConfigDialogTest = TConfigDialogFixture<FakeReceiverDialogTest>;
