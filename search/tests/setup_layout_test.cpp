// The search window's layout in config.ini and its translation from the language file.
#include "search_fixture.h"

#include "setup_layout.h"

#include "cp1251.h"

#include <toolkit.h>

#include <string>

namespace {

constexpr auto kSearchCaption = cp1251::Literal("Поиск приложений");

class SetupLayoutTest : public SearchTest {
protected:
    void SetUp() override {
        SearchTest::SetUp();
        Search.Language.clear();
        form = new TForm(Application);
        form->Caption = "FSetup";
        label = new TLabel(form);
        label->Parent = form;
        label->Caption = "lbl_checkeddrvs";
        label->Hint = "hnt_checkeddrvs";
        drives = new TCheckListBox(form);
        drives->Parent = form;
        drives->Hint = "hnt_checkeddrvs";
        grid = new TStringGrid(form);
        grid->Hint = "hnt_searchedappl";
        empty = new TLabel(form);
        empty->Parent = form;
        empty->Caption = "lbl_empty";
    }
    TForm* form = nullptr;
    TLabel* label = nullptr;
    TCheckListBox* drives = nullptr;
    TStringGrid* grid = nullptr;
    TLabel* empty = nullptr;
};

TEST_F(SetupLayoutTest, NoSettingsGiveTheDesignedWindow) {
    ReadWriteFormLayout(*form, true);
    EXPECT_EQ(Search.Language, "Rus");
    EXPECT_EQ(form->Top(), 89);
    EXPECT_EQ(form->Left(), 75);
    EXPECT_EQ(form->Height(), 404);
    EXPECT_EQ(form->Width(), 643);
    EXPECT_EQ(form->Caption(), "FSetup") << "no language file: every text as designed";
    EXPECT_EQ(label->Caption(), "lbl_checkeddrvs");
}

TEST_F(SetupLayoutTest, LayoutAndTextsComeFromTheFiles) {
    PutFile(Prog("config.ini"), "[Interface]\r\nlanguage=Eng\r\n[FSetup]\r\nTop=10\r\nLeft=20\r\n"
                                "Height=300\r\nWidth=0\r\n");
    PutFile(Prog("Lang\\Eng.ini"),
            std::string("[Forms]\r\nFSetup=") + kSearchCaption.c_str() +
                "\r\n[Labels]\r\nlbl_checkeddrvs=Drives to search\r\nlbl_empty=\r\n"
                "[Hints]\r\nhnt_checkeddrvs=Tick the drives\r\nhnt_searchedappl=Found\r\n");
    PutFile(Prog("Lang\\Rus.ini"), "[Forms]\r\nFSetup=Wrong file\r\n");
    ReadWriteFormLayout(*form, true);
    EXPECT_EQ(Search.Language, "Eng");
    EXPECT_EQ(form->Top(), 10);
    EXPECT_EQ(form->Left(), 20);
    EXPECT_EQ(form->Height(), 300);
    EXPECT_EQ(form->Width(), 643) << "no width in the file is the designed one";
    EXPECT_EQ(form->Caption(), std::string(kSearchCaption.c_str()));
    EXPECT_EQ(label->Caption(), "Drives to search");
    EXPECT_EQ(label->Hint, "Tick the drives");
    EXPECT_EQ(grid->Hint, "Found");
    EXPECT_EQ(drives->Hint, "hnt_checkeddrvs") << "the check-list box is left as designed";
    EXPECT_EQ(empty->Caption(), "lbl_empty") << "an empty value keeps the designed text";
}

TEST_F(SetupLayoutTest, SaveWritesTheBoundsAndGivesUpQuietly) {
    form->SetBounds(5, 6, 700, 500);
    PutFile(Prog("config.ini"), "[Interface]\r\nlanguage=Rus\r\n");
    ReadWriteFormLayout(*form, false);
    const std::string config = Prog("config.ini");
    EXPECT_EQ(GetPrivateProfileIntA("FSetup", "Left", 0, config.c_str()), 5u);
    EXPECT_EQ(GetPrivateProfileIntA("FSetup", "Top", 0, config.c_str()), 6u);
    EXPECT_EQ(GetPrivateProfileIntA("FSetup", "Width", 0, config.c_str()), 700u);
    EXPECT_EQ(GetPrivateProfileIntA("FSetup", "Height", 0, config.c_str()), 500u);

    ASSERT_TRUE(SetFileAttributesA(config.c_str(), FILE_ATTRIBUTE_READONLY));
    form->SetBounds(1, 1, 650, 450);
    EXPECT_NO_THROW(ReadWriteFormLayout(*form, false)) << "the window must still close";
    EXPECT_EQ(GetPrivateProfileIntA("FSetup", "Width", 0, config.c_str()), 700u);
}

} // namespace
