// A settings dialog made directly on the simulated machine, with a language file whose texts
// name their keys, and the shared buttons pressed on a page.
#pragma once

#include "config_form.h"
#include "dialog_fixture.h"
#include "runtime_fixture.h"

#include <toolkitsim/control.h>

#include <string>

// What the shared buttons do on a page, as the dispatch of the button's handler runs it (the
// dialogs here are made with every tab shown, so a page's tab is its page).
namespace page {
inline void On(TFConfig& f, TTabSheet* sheet) {
    f.pcConfig->ActivePage = sheet;
    EXPECT_EQ(f.CurrentPage(), sheet->PageIndex());
}
inline void AddAppl(TFConfig& f) {
    On(f, f.pAppl);
    f.btnAddClick(f.btnAdd);
}
inline void DeleteAppl(TFConfig& f) {
    On(f, f.pAppl);
    f.btnDelClick(f.btnDel);
}
inline void DefaultAppls(TFConfig& f) {
    On(f, f.pAppl);
    f.btnDefaultClick(f.btnDefault);
}
inline void AddCommand(TFConfig& f) {
    On(f, f.pCommand);
    f.btnAddClick(f.btnAdd);
}
inline void DeleteCommand(TFConfig& f) {
    On(f, f.pCommand);
    f.btnDelClick(f.btnDel);
}
inline void DefaultCommands(TFConfig& f) {
    On(f, f.pCommand);
    f.btnDefaultClick(f.btnDefault);
}
inline void AddFunction(TFConfig& f) {
    On(f, f.pFunction);
    f.btnAddClick(f.btnAdd);
}
inline void DeleteFunction(TFConfig& f) {
    On(f, f.pFunction);
    f.btnDelClick(f.btnDel);
}
inline void DefaultFunctions(TFConfig& f) {
    On(f, f.pFunction);
    f.btnDefaultClick(f.btnDefault);
}
} // namespace page

class PagesTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        Runtime.language = "Rus";
        PutFile(Prog("LANG\\Rus.ini"),
                "[Msg]\r\nmsg_addappltitle=New appl\r\nmsg_addappl=Name:\r\n"
                "err_replsysappl=Appl \"\" is built in\r\nmsg_setcursor=Hold the cursor\r\n"
                "err_checkclsname=No class\r\nmsg_duplappl=Appl \"\" exists. Replace?\r\n"
                "err_delsysappl=System stays\r\nmsg_delrow=Delete row?\r\n"
                "msg_defappl=Default appls?\r\nerr_noapplfile=No appl file\r\n"
                "msg_savecmd=Save commands?\r\nmsg_savefunc=Save functions?\r\n"
                "err_nocmdfile=No command file\r\nerr_nofuncfile=No function file\r\n"
                "msg_delcmd=Delete command?\r\nmsg_defcmd=Default commands?\r\n"
                "msg_deffunc=Default functions?\r\n"
                "err_cmdwrite=Commands of \"\" not saved\r\n"
                "err_funcwrite=Functions of \"\" not saved\r\n"
                "err_commitfile=File \"\" kept\r\n"
                "[Labels]\r\nlbl_cmdname=Name\r\nlbl_cmd=Type\r\nlbl_param1=P1\r\n"
                "lbl_param2=P2\r\nlbl_param3=P3\r\nlbl_param4=P4\r\nlbl_title=Appl\r\n"
                "lbl_clsname=Class\r\nlbl_applpath=Path\r\nlbl_mode=Mode\r\n"
                "lbl_rcbutton=Button\r\n"
                "[OpenDialog]\r\nfltr_addappl=Programs|*.exe|\r\n");
        MakeDir(Prog("Bin"));
    }

    // The dialog with its grids and combos filled from the application table.
    TFConfig& OpenDialogWith(std::vector<TApplEntry> appls) {
        Runtime.ApplCount = static_cast<std::int32_t>(appls.size());
        Runtime.ApplTable = std::move(appls);
        Runtime.ExtOptions = 1;
        FConfig = new TFConfig(Application);
        EXPECT_EQ(ApplTableToGrid(), 0);
        SetCmdGridTitles(FConfig->stgCommand);
        SetApplGridTitles(FConfig->stgAppl);
        SetFuncGridTitles(FConfig->stgFunc);
        return *FConfig;
    }

    // The texts of the boxes shown since the last call.
    static std::vector<std::string> BoxTexts() {
        std::vector<std::string> out;
        for (const toolkitsim::BoxRecord& b : toolkitsim::Boxes())
            out.push_back(b.text);
        toolkitsim::ClearBoxes();
        return out;
    }
};
