// Tests of the language file lookups and the translation of the tray menu.
#include "language.h"
#include "runtime_state.h"

#include "runtime_fixture.h"

#include <cp1251.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class LanguageTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        Runtime.language = "Rus";
    }
};

// The tray menu as designed: item names as captions, two separators.
class TrayMenu {
public:
    TrayMenu() : form(nullptr), root(new TMenuItem(&form)) {
        for (const char* caption :
             {"NHelp", "NPlayList", "-", "NParam", "NSearchAppl", "-", "NExit"})
            Add(root, caption);
    }
    static TMenuItem* Add(TMenuItem* parent, const std::string& caption);
    std::vector<std::string> Captions() const {
        std::vector<std::string> out;
        for (int i = 0; i < root->Count(); ++i)
            out.push_back(root->Items(i)->Caption);
        return out;
    }

    TComponent form;
    TMenuItem* root;
};

TMenuItem* TrayMenu::Add(TMenuItem* parent, const std::string& caption) {
    auto* item = new TMenuItem(parent->Owner());
    item->Caption = caption;
    parent->Add(item);
    return item;
}

TEST_F(LanguageTest, LooksUpTheValueOfAKey) {
    const auto text = cp1251::Literal("Библиотека не найдена");
    PutFile(Prog("LANG\\Rus.ini"),
            std::string("[Msg]\r\nerr_nodll=") + text.c_str() + "\r\nmsg_mute=Mute\r\n");
    EXPECT_EQ(Runtime.LangIni, nullptr) << "opened on first use only";
    EXPECT_EQ(GetLangText("Msg", "err_nodll"), std::string(text.view()));
    ASSERT_NE(Runtime.LangIni, nullptr);
    EXPECT_EQ(Runtime.LangIni->FileName(), Prog("LANG\\Rus.ini"));
    EXPECT_EQ(GetLangText("Msg", "msg_mute"), "Mute");
}

TEST_F(LanguageTest, SectionsAndKeysInAnotherCaseAreFound) {
    PutFile(Prog("LANG\\Rus.ini"), "[MSG]\r\nERR_NoDll=found\r\n[menu]\r\nnexit=Quit\r\n");
    EXPECT_EQ(GetLangText("Msg", "err_nodll"), "found");
    EXPECT_EQ(GetLangText("msg", "ERR_NODLL"), "found");
    TrayMenu menu;
    TranslateMenu(menu.root);
    EXPECT_EQ(menu.Captions().back(), "Quit");
}

TEST_F(LanguageTest, AbsentKeysGiveTheEmptyText) {
    PutFile(Prog("LANG\\Rus.ini"), "[Msg]\r\nerr_nodll=x\r\nempty=\r\n[Labels]\r\n");
    struct Case {
        const char* section;
        const char* key;
    };
    const Case cases[] = {
        {"Msg", "err_nofunc"}, {"Labels", "err_nodll"}, {"Nosuch", "err_nodll"}, {"Msg", "empty"},
        {"Msg", ""},           {"", "err_nodll"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(GetLangText(c.section, c.key), "");
    }
}

TEST_F(LanguageTest, AValueIsCutTo2047Characters) {
    PutFile(Prog("LANG\\Rus.ini"), "[Msg]\r\nlong=" + std::string(3000, 'v') + "\r\n");
    EXPECT_EQ(GetLangText("Msg", "long"), std::string(2047, 'v'));
}

TEST_F(LanguageTest, TranslatesTheDirectItemsOfTheMenu) {
    const auto exit = cp1251::Literal("Выход");
    PutFile(Prog("LANG\\Rus.ini"), std::string("[Menu]\r\nNHelp=Help\r\nNPlayList=\r\nNExit=") +
                                       exit.c_str() + "\r\nNSub=Sub translated\r\n");
    TrayMenu menu;
    TMenuItem* sub = TrayMenu::Add(menu.root->Items(3), "NSub");
    TranslateMenu(menu.root);
    const std::vector<std::string> expected = {
        "Help", "", "-", "NParam", "NSearchAppl", "-", std::string(exit.view())};
    EXPECT_EQ(menu.Captions(), expected) << "an empty value empties the caption";
    EXPECT_EQ(sub->Caption, "NSub") << "sub-menus are not entered";
}

TEST_F(LanguageTest, SeparatorsChangeOnlyWithAKeyNamedDash) {
    PutFile(Prog("LANG\\Rus.ini"), "[Menu]\r\n-=~\r\n");
    TrayMenu menu;
    TranslateMenu(menu.root);
    const std::vector<std::string> expected = {"NHelp",       "NPlayList", "~",    "NParam",
                                               "NSearchAppl", "~",         "NExit"};
    EXPECT_EQ(menu.Captions(), expected);
}

TEST_F(LanguageTest, NoFileForTheLanguageGivesEmptyTextsAndTheItemNames) {
    PutFile(Prog("LANG\\Rus.ini"), "[Msg]\r\nerr_nodll=x\r\n[Menu]\r\nNExit=Quit\r\n");
    const std::vector<std::string> languages = {"Nosuch", "", std::string(3000, 'L'), "..\\Nosuch"};
    for (const std::string& language : languages) {
        SCOPED_TRACE(language.size() > 20 ? "a very long name" : language);
        ResetRuntimeState();
        Runtime.language = language;
        EXPECT_EQ(GetLangText("Msg", "err_nodll"), "");
        TrayMenu menu;
        TranslateMenu(menu.root);
        const std::vector<std::string> expected = {"NHelp",       "NPlayList", "-",    "NParam",
                                                   "NSearchAppl", "-",         "NExit"};
        EXPECT_EQ(menu.Captions(), expected);
    }
}

TEST_F(LanguageTest, TheFileOpenedFirstStaysForTheWholeRun) {
    PutFile(Prog("LANG\\Rus.ini"), "[Msg]\r\nwho=Rus\r\n");
    PutFile(Prog("LANG\\Eng.ini"), "[Msg]\r\nwho=Eng\r\n");
    EXPECT_EQ(GetLangText("Msg", "who"), "Rus");
    const TIniFile* opened = Runtime.LangIni.get();
    Runtime.language = "Eng";
    EXPECT_EQ(GetLangText("Msg", "who"), "Rus");
    TrayMenu menu;
    TranslateMenu(menu.root);
    EXPECT_EQ(Runtime.LangIni.get(), opened);
}

TEST_F(LanguageTest, TheMenuOpensTheFileWhenItComesFirst) {
    PutFile(Prog("LANG\\Eng.ini"), "[Menu]\r\nNParam=Settings\r\n[Msg]\r\nwho=Eng\r\n");
    Runtime.language = "Eng";
    TrayMenu menu;
    TranslateMenu(menu.root);
    EXPECT_EQ(menu.Captions()[3], "Settings");
    EXPECT_EQ(GetLangText("Msg", "who"), "Eng");
}

TEST_F(LanguageTest, TheLanguageFolderMatchesWithoutRegardToCase) {
    PutFile(Prog("Lang\\rus.INI"), "[Msg]\r\nwho=found\r\n");
    EXPECT_EQ(GetLangText("Msg", "who"), "found");
}

} // namespace
