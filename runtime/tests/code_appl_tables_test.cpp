// Tests of the code table and the application table: loaders, savers and their files.
#include "code_appl_tables.h"
#include "allocation_hooks.h"
#include "records.h"
#include "runtime_state.h"

#include "runtime_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// While it lives, allocations of at least the given size fail.
class FailLargeAllocations {
public:
    explicit FailLargeAllocations(std::size_t from) { allocation_hooks::FailFrom(from); }
    ~FailLargeAllocations() { allocation_hooks::FailFrom(0); }
    FailLargeAllocations(const FailLargeAllocations&) = delete;
    FailLargeAllocations& operator=(const FailLargeAllocations&) = delete;
};

const std::string kDefCode = "Bin\\defcode.bin";
const std::string kUserCode = "Bin\\usercode.bin";
const std::string kDefAppl = "Bin\\defappl.bin";
const std::string kUserAppl = "Bin\\userappl.bin";

using CodeRow = std::pair<std::string, std::int64_t>;

std::vector<CodeRow> CodeRows() {
    std::vector<CodeRow> rows;
    EXPECT_EQ(Runtime.CodeCount, static_cast<std::int32_t>(Runtime.CodeTable.size()));
    for (const TCodeEntry& e : Runtime.CodeTable)
        rows.emplace_back(FieldText(e.Name), e.Code);
    return rows;
}

struct ApplRow {
    std::string name, cls, path;
    std::int32_t wnd;
    bool operator==(const ApplRow&) const = default;
};

std::ostream& operator<<(std::ostream& os, const ApplRow& r) {
    return os << "{" << r.name << ", " << r.cls << ", " << r.path << ", " << r.wnd << "}";
}

std::vector<ApplRow> ApplRows() {
    std::vector<ApplRow> rows;
    EXPECT_EQ(Runtime.ApplCount, static_cast<std::int32_t>(Runtime.ApplTable.size()));
    for (const TApplEntry& e : Runtime.ApplTable)
        rows.push_back({FieldText(e.Name), FieldText(e.ClassName), FieldText(e.Path), e.Wnd});
    return rows;
}

const ApplRow kSystemRow{"System", "", "", 0};

std::vector<std::string> Lines(const TStringList& list) {
    return std::vector<std::string>(list.begin(), list.end());
}

class TablesTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        MakeDir(Prog("Bin"));
    }
    template <class T>
    void PutRecords(const std::string& relative, const std::vector<T>& records) {
        PutFile(Prog(relative), Bytes(records));
    }
    void SetCodeTable(const std::vector<TCodeEntry>& table) {
        Runtime.CodeTable = table;
        Runtime.CodeCount = static_cast<std::int32_t>(table.size());
    }
    void SetApplTable(const std::vector<TApplEntry>& table) {
        Runtime.ApplTable = table;
        Runtime.ApplCount = static_cast<std::int32_t>(table.size());
    }
};

// --- LoadCodeTable ---

TEST_F(TablesTest, CodeTableWithoutUserFileIsTheDefaultFileInOrder) {
    PutRecords(kDefCode, std::vector{Code("Play", 100), Code("Stop", -5), Code("Next", 1LL << 40)});
    EXPECT_EQ(LoadCodeTable(false), ResultOk);
    EXPECT_EQ(CodeRows(), (std::vector<CodeRow>{{"Play", 100}, {"Stop", -5}, {"Next", 1LL << 40}}));
    // The merge's lines stay in WorkList.
    EXPECT_EQ(Lines(Runtime.WorkList),
              (std::vector<std::string>{"Play=100", "Stop=-5", "Next=1099511627776"}));
}

TEST_F(TablesTest, UserCodesOverrideInPlaceDeleteAndAppend) {
    PutRecords(kDefCode, std::vector{Code("Play", 1), Code("Stop", 2), Code("Next", 3)});
    PutRecords(kUserCode, std::vector{
                              Code("New2", 20),  // only the user has it
                              Code("PLAY", 11),  // override keeps the default's place and name
                              Code("stop", -1),  // deletes the default button
                              Code("Ghost", -1), // -1 for a name the defaults lack: kept
                              Code("New1", 10),
                          });
    EXPECT_EQ(LoadCodeTable(false), ResultOk);
    EXPECT_EQ(CodeRows(),
              (std::vector<CodeRow>{
                  {"Play", 11}, {"Next", 3}, {"New2", 20}, {"Ghost", -1}, {"New1", 10}}));
}

TEST_F(TablesTest, OnlyTheFirstOfRepeatedDefaultNamesTakesTheOverride) {
    PutRecords(kDefCode, std::vector{Code("Ok", 1), Code("Ok", 2)});
    PutRecords(kUserCode, std::vector{Code("ok", 9)});
    EXPECT_EQ(LoadCodeTable(false), ResultOk);
    EXPECT_EQ(CodeRows(), (std::vector<CodeRow>{{"Ok", 9}, {"Ok", 2}}));
}

TEST_F(TablesTest, DefaultOnlyLeavesTheUserCodesOut) {
    PutRecords(kDefCode, std::vector{Code("Play", 1)});
    PutRecords(kUserCode, std::vector{Code("Play", 5), Code("Mine", 6)});
    EXPECT_EQ(LoadCodeTable(true), ResultOk);
    EXPECT_EQ(CodeRows(), (std::vector<CodeRow>{{"Play", 1}}));
}

TEST_F(TablesTest, CodeTableWithNoDataGivesThreeAndAnEmptyTable) {
    struct Case {
        const char* what;
        std::string def, user; // "-" : no file
    };
    const std::string oneCode = Bytes(std::vector{Code("Play", 1)});
    const Case cases[] = {
        {"no files", "-", "-"},
        {"empty files", "", ""},
        {"shorter than one record", std::string(39, 'a'), "-"},
        {"user deletes every button", oneCode, Bytes(std::vector{Code("play", -1)})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Remove(Prog(kDefCode));
        Remove(Prog(kUserCode));
        if (c.def != "-")
            PutFile(Prog(kDefCode), c.def);
        if (c.user != "-")
            PutFile(Prog(kUserCode), c.user);
        SetCodeTable({Code("Old", 1)});
        EXPECT_EQ(LoadCodeTable(false), ResultNoData);
        EXPECT_TRUE(Runtime.CodeTable.empty());
        EXPECT_EQ(Runtime.CodeCount, 0);
    }
}

TEST_F(TablesTest, CodeFilesCutShortLoseOnlyTheirPartialRecord) {
    PutFile(Prog(kDefCode), Bytes(std::vector{Code("Play", 1), Code("Stop", 2)}) + "Nex");
    PutFile(Prog(kUserCode), Bytes(std::vector{Code("Mine", 3)}) + std::string(20, 'z'));
    EXPECT_EQ(LoadCodeTable(false), ResultOk);
    EXPECT_EQ(CodeRows(), (std::vector<CodeRow>{{"Play", 1}, {"Stop", 2}, {"Mine", 3}}));
}

TEST_F(TablesTest, AButtonNameWithEqualsSignSurvivesTheMerge) {
    PutRecords(kDefCode, std::vector{Code("Vol=Up", 1), Code("A", 2)});
    PutRecords(kUserCode, std::vector{Code("vol=up", 7), Code("B=C", 8)});
    EXPECT_EQ(LoadCodeTable(false), ResultOk);
    EXPECT_EQ(CodeRows(), (std::vector<CodeRow>{{"Vol=Up", 7}, {"A", 2}, {"B=C", 8}}));
    EXPECT_EQ(Lines(Runtime.WorkList), (std::vector<std::string>{"Vol=Up=7", "A=2", "B=C=8"}));
}

TEST_F(TablesTest, ANameFillingItsWholeFieldIsCutAndSavesBackUnchanged) {
    std::string raw(40, '\0');
    std::memset(raw.data(), 'N', 32); // 32 name bytes, no NUL
    raw[32] = 5;
    PutFile(Prog(kDefCode), raw);
    EXPECT_EQ(LoadCodeTable(false), ResultOk);
    EXPECT_EQ(CodeRows(), (std::vector<CodeRow>{{std::string(31, 'N'), 5}}));
    // The loaded table compares equal to its defaults, so nothing is saved.
    EXPECT_EQ(SaveCodeTable(), ResultOk);
    EXPECT_EQ(GetFile(Prog(kUserCode)), "");
}

TEST_F(TablesTest, CodeTableOutOfMemoryGivesSixAndAnEmptyTable) {
    std::vector<TCodeEntry> many;
    for (int i = 0; i < 50; ++i)
        many.push_back(Code("Button" + std::to_string(i), i));
    PutRecords(kDefCode, many);
    SetCodeTable({Code("Old", 1)});
    int result;
    {
        FailLargeAllocations fail(256);
        result = LoadCodeTable(false);
    }
    EXPECT_EQ(result, ResultNoMemory);
    EXPECT_TRUE(Runtime.CodeTable.empty());
    EXPECT_EQ(Runtime.CodeCount, 0);
    // Memory back: the same files load.
    EXPECT_EQ(LoadCodeTable(false), ResultOk);
    EXPECT_EQ(Runtime.CodeCount, 50);
}

// --- LoadApplTable ---

TEST_F(TablesTest, ApplTableWithoutFilesHoldsSystemAloneAndGivesThree) {
    SetApplTable({Appl("Old", "C", "P")});
    EXPECT_EQ(LoadApplTable(false), ResultNoData);
    EXPECT_EQ(ApplRows(), std::vector{kSystemRow});
}

TEST_F(TablesTest, ApplFilesShorterThanARecordGiveThree) {
    PutFile(Prog(kDefAppl), std::string(387, 'a'));
    PutFile(Prog(kUserAppl), "");
    EXPECT_EQ(LoadApplTable(false), ResultNoData);
    EXPECT_EQ(ApplRows(), std::vector{kSystemRow});
}

TEST_F(TablesTest, ApplTableIsSystemThenUserThenRemainingDefaults) {
    PutRecords(kDefAppl, std::vector{
                             Appl("Winamp", "WinampClass", "C:\\W\\winamp.exe"),
                             Appl("Media", "MediaClass", "C:\\M\\media.exe"),
                             Appl("NoPath", "NoPathClass", ""),        // absent and not counted
                             Appl("System", "X", "C:\\x.exe"),         // never replaces entry 0
                             Appl("winamp", "Again", "C:\\again.exe"), // repeated: dropped
                             Appl("Gone", "GoneClass", "C:\\G\\gone.exe"),
                             Appl("Tail", "TailClass", "C:\\T\\tail.exe", 777),
                         });
    PutRecords(kUserAppl, std::vector{
                              Appl("MEDIA", "MyMedia", "D:\\media.exe"),
                              Appl("sYsTeM", "Evil", "C:\\evil.exe"), // ignored
                              Appl("Mine", "MineClass", "C:\\mine.exe"),
                              Appl("gone", "", ""), // deletion marker hides the default
                              Appl("Mine", "Twice", "C:\\twice.exe"),
                          });
    EXPECT_EQ(LoadApplTable(false), ResultOk);
    EXPECT_EQ(ApplRows(), (std::vector<ApplRow>{
                              kSystemRow,
                              {"MEDIA", "MyMedia", "D:\\media.exe", 0},
                              {"Mine", "MineClass", "C:\\mine.exe", 0},
                              {"Mine", "Twice", "C:\\twice.exe", 0},
                              {"Winamp", "WinampClass", "C:\\W\\winamp.exe", 0},
                              {"Tail", "TailClass", "C:\\T\\tail.exe", 0}, // stale handle dropped
                          }));
}

TEST_F(TablesTest, ApplTableDefaultOnlyLeavesTheUserFileOut) {
    PutRecords(kDefAppl, std::vector{Appl("Winamp", "W", "C:\\w.exe")});
    PutRecords(kUserAppl, std::vector{Appl("winamp", "", ""), Appl("Mine", "M", "C:\\m.exe")});
    EXPECT_EQ(LoadApplTable(true), ResultOk);
    EXPECT_EQ(ApplRows(), (std::vector<ApplRow>{kSystemRow, {"Winamp", "W", "C:\\w.exe", 0}}));
    EXPECT_EQ(LoadApplTable(false), ResultOk);
    EXPECT_EQ(ApplRows(), (std::vector<ApplRow>{kSystemRow, {"Mine", "M", "C:\\m.exe", 0}}));
}

TEST_F(TablesTest, ApplFilesWithRecordsThatAllVanishStillGiveSuccess) {
    PutRecords(kDefAppl, std::vector{Appl("Winamp", "W", "C:\\w.exe")});
    PutRecords(kUserAppl, std::vector{Appl("winamp", "", "")});
    EXPECT_EQ(LoadApplTable(false), ResultOk);
    EXPECT_EQ(ApplRows(), std::vector{kSystemRow});
}

TEST_F(TablesTest, ApplTextsFillingTheirFieldsAreCut) {
    TApplEntry raw;
    std::memset(&raw, 'x', sizeof raw); // no NUL in any text, Wnd "xxxx"
    PutFile(Prog(kDefAppl), std::string(reinterpret_cast<const char*>(&raw), sizeof raw) + "tail");
    EXPECT_EQ(LoadApplTable(false), ResultOk);
    EXPECT_EQ(ApplRows(), (std::vector<ApplRow>{kSystemRow,
                                                {std::string(24, 'x'), std::string(102, 'x'),
                                                 std::string(255, 'x'), 0}}));
}

TEST_F(TablesTest, ApplTableOutOfMemoryGivesSixAndAnEmptyTable) {
    PutRecords(kDefAppl, std::vector{Appl("A", "AC", "C:\\a.exe"), Appl("B", "BC", "C:\\b.exe")});
    SetApplTable({Appl("System", "", ""), Appl("Old", "O", "C:\\o.exe")});
    int result;
    {
        FailLargeAllocations fail(sizeof(TApplEntry));
        result = LoadApplTable(false);
    }
    EXPECT_EQ(result, ResultNoMemory);
    EXPECT_TRUE(Runtime.ApplTable.empty());
    EXPECT_EQ(Runtime.ApplCount, 0);
}

// --- SaveCodeTable ---

TEST_F(TablesTest, SavingTheDefaultCodesWritesAnEmptyUserFile) {
    PutRecords(kDefCode, std::vector{Code("Play", 1), Code("Stop", 2)});
    PutFile(Prog(kUserCode), "old contents");
    ASSERT_EQ(LoadCodeTable(true), ResultOk);
    EXPECT_EQ(SaveCodeTable(), ResultOk);
    EXPECT_EQ(GetFile(Prog(kUserCode)), "");
}

TEST_F(TablesTest, SavedCodesAreDeletionsAndChangesInDefaultOrderThenNewButtons) {
    const std::vector defaults{Code("Play", 1), Code("Stop", 2), Code("Next", 3), Code("Prev", 4)};
    PutRecords(kDefCode, defaults);
    SetCodeTable(
        {Code("New1", 10), Code("PREV", 40), Code("play", 1), Code("Next", 3), Code("New2", 20)});
    EXPECT_EQ(SaveCodeTable(), ResultOk);
    std::vector<TCodeEntry> expected{
        defaults[1], // Stop: no longer in the table
        defaults[3], // Prev: other code, under the default's name
        Code("New1", 10),
        Code("New2", 20),
    };
    expected[0].Code = -1;
    expected[1].Code = 40;
    EXPECT_EQ(GetFile(Prog(kUserCode)), Bytes(expected));
    EXPECT_EQ(Lines(Runtime.WorkList), (std::vector<std::string>{"Play", "Stop", "Next", "Prev"}));

    // And back: defaults with the changes in place, new buttons after them.
    ASSERT_EQ(LoadCodeTable(false), ResultOk);
    EXPECT_EQ(CodeRows(), (std::vector<CodeRow>{
                              {"Play", 1}, {"Next", 3}, {"Prev", 40}, {"New1", 10}, {"New2", 20}}));
}

TEST_F(TablesTest, SavingCodesWithoutDefaultFileWritesTheWholeTable) {
    SetCodeTable({Code("A", 1), Code("B=C", 2)});
    EXPECT_EQ(SaveCodeTable(), ResultOk);
    EXPECT_EQ(GetFile(Prog(kUserCode)), Bytes(std::vector{Code("A", 1), Code("B=C", 2)}));
}

TEST_F(TablesTest, ATableNameWithoutNulIsSavedCut) {
    TCodeEntry e;
    std::memset(e.Name, 'k', sizeof e.Name);
    e.Code = 9;
    SetCodeTable({e});
    EXPECT_EQ(SaveCodeTable(), ResultOk);
    EXPECT_EQ(GetFile(Prog(kUserCode)), Bytes(std::vector{Code(std::string(31, 'k'), 9)}));
}

TEST_F(TablesTest, TableTextsFillingTheirFieldsMatchTheirDefaultsAsStored) {
    PutRecords(kDefCode, std::vector{Code(std::string(31, 'k'), 9), Code("Next", 2)});
    TCodeEntry code;
    std::memset(code.Name, 'k', sizeof code.Name);
    code.Code = 9;
    SetCodeTable({code, Code("Next", 2)});
    EXPECT_EQ(SaveCodeTable(), ResultOk);
    EXPECT_EQ(GetFile(Prog(kUserCode)), "") << "the button keeps its default place";

    PutRecords(kDefAppl, std::vector{Appl(std::string(24, 'a'), std::string(102, 'c'),
                                          std::string(255, 'p'))});
    TApplEntry appl;
    std::memset(appl.Name, 'a', sizeof appl.Name);
    std::memset(appl.ClassName, 'c', sizeof appl.ClassName);
    std::memset(appl.Path, 'p', sizeof appl.Path);
    appl.Wnd = 0;
    SetApplTable({Appl("System", "", ""), appl});
    EXPECT_EQ(SaveApplTable(), ResultOk);
    EXPECT_EQ(GetFile(Prog(kUserAppl)), "");
}

TEST_F(TablesTest, CodeUserFileThatCannotBeCreatedGivesFive) {
    MakeDir(Prog(kUserCode));
    SetCodeTable({Code("A", 1)});
    Runtime.WorkList.Add("untouched");
    EXPECT_EQ(SaveCodeTable(), ResultNoCreate);
    EXPECT_EQ(Lines(Runtime.WorkList), std::vector<std::string>{"untouched"});
}

// --- SaveApplTable ---

TEST_F(TablesTest, SavingTheDefaultApplicationsWritesAnEmptyUserFile) {
    PutRecords(kDefAppl, std::vector{Appl("Winamp", "W", "C:\\w.exe")});
    ASSERT_EQ(LoadApplTable(true), ResultOk);
    EXPECT_EQ(SaveApplTable(), ResultOk);
    EXPECT_EQ(GetFile(Prog(kUserAppl)), "");
}

TEST_F(TablesTest, SavedApplicationsAreDifferencesThenNewEntries) {
    const std::vector defaults{
        Appl("Winamp", "WinampClass", "C:\\W\\winamp.exe", 5),
        Appl("Media", "MediaClass", "C:\\M\\media.exe"),
        Appl("Case", "CaseClass", "C:\\Case\\case.exe"),
        Appl("Moved", "MovedClass", "C:\\old.exe"),
    };
    PutRecords(kDefAppl, defaults);
    SetApplTable({
        Appl("System", "", ""),
        Appl("Mine", "MineClass", "C:\\mine.exe", 1234),
        Appl("case", "CASECLASS", "c:\\case\\CASE.EXE", 99), // letter case only: not saved
        Appl("MOVED", "NewClass", "D:\\new.exe", 55),
        Appl("media", "MediaClass", "C:\\M\\media.exe"),
    });
    EXPECT_EQ(SaveApplTable(), ResultOk);

    TApplEntry deleted = defaults[0];
    SetField(deleted.ClassName, "");
    SetField(deleted.Path, "");
    deleted.Wnd = 0;
    TApplEntry moved = defaults[3]; // the default's name with the table's texts
    SetField(moved.ClassName, "NewClass");
    SetField(moved.Path, "D:\\new.exe");
    const std::vector expected{deleted, moved, Appl("Mine", "MineClass", "C:\\mine.exe", 0)};
    EXPECT_EQ(GetFile(Prog(kUserAppl)), Bytes(expected));

    // Only the entries written as new applications lose their handle.
    EXPECT_EQ(Runtime.ApplTable[1].Wnd, 0);
    EXPECT_EQ(Runtime.ApplTable[2].Wnd, 99);
    EXPECT_EQ(Runtime.ApplTable[3].Wnd, 55);
}

TEST_F(TablesTest, ADeletedDefaultApplicationStaysAwayAfterSavingAndLoading) {
    PutRecords(kDefAppl,
               std::vector{Appl("Winamp", "W", "C:\\w.exe"), Appl("Media", "M", "C:\\m.exe")});
    ASSERT_EQ(LoadApplTable(false), ResultOk);
    Runtime.ApplTable.erase(Runtime.ApplTable.begin() + 1);
    Runtime.ApplCount = 2;
    EXPECT_EQ(SaveApplTable(), ResultOk);
    ASSERT_EQ(LoadApplTable(false), ResultOk);
    EXPECT_EQ(ApplRows(), (std::vector<ApplRow>{kSystemRow, {"Media", "M", "C:\\m.exe", 0}}));
}

TEST_F(TablesTest, ApplSaveOutOfMemoryKeepsTheEarlierUserFile) {
    PutRecords(kDefAppl, std::vector{Appl("Winamp", "W", "C:\\w.exe")});
    const std::string earlier = Bytes(std::vector{Appl("Earlier", "E", "C:\\e.exe")});
    PutFile(Prog(kUserAppl), earlier);
    SetApplTable({Appl("System", "", ""), Appl("Mine", "M", "C:\\m.exe", 3)});
    int result;
    {
        FailLargeAllocations fail(sizeof(TApplEntry));
        result = SaveApplTable();
    }
    EXPECT_EQ(result, ResultNoMemory);
    EXPECT_EQ(GetFile(Prog(kUserAppl)), earlier);
    EXPECT_EQ(Runtime.ApplTable[1].Wnd, 3);
}

TEST_F(TablesTest, ApplUserFileThatCannotBeCreatedGivesFive) {
    MakeDir(Prog(kUserAppl));
    SetApplTable({Appl("System", "", ""), Appl("Mine", "M", "C:\\m.exe", 3)});
    EXPECT_EQ(SaveApplTable(), ResultNoCreate);
    EXPECT_EQ(Runtime.ApplTable[1].Wnd, 3);
}

// --- Message keys of the results ---

TEST(ResultMessageKeyTest, EachCallerShowsTheKeyOfItsResult) {
    using C = TResultCaller;
    struct Case {
        C caller;
        const char* keys[7]; // for the results 0 to 6
    };
    const Case cases[] = {
        {C::StartupCodeTable,
         {"", "", "", "err_nocodefile", "err_emptycodefile", "", "err_nomemory"}},
        {C::RestoreDefaultCodes, {"", "", "", "err_nocodefile", "", "", "err_nocodefile"}},
        {C::StartupApplTable,
         {"", "", "", "err_noapplfile", "err_emptyapplfile", "", "err_nomemory"}},
        {C::RestoreDefaultAppls, {"", "", "", "err_noapplfile", "", "", "err_noapplfile"}},
        {C::SaveCodes, {"", "", "", "", "", "err_codewrite", ""}},
        {C::SaveAppls, {"", "", "", "", "", "err_applwrite", "err_applwrite"}},
        {C::CommandsPage, {"", "", "", "err_nocmdfile", "err_emptycmdfile", "", ""}},
        {C::FunctionsPage, {"", "", "", "err_nofuncfile", "err_emptyfuncfile", "", ""}},
        {C::FunctionsList, {"", "", "", "", "", "", ""}},
        {C::SaveCommandsOrFuncs, {"", "", "", "", "", "", ""}},
    };
    for (const Case& c : cases)
        for (int result = 0; result <= 6; ++result) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(c.caller) << " result " << result);
            EXPECT_STREQ(ResultMessageKey(c.caller, result), c.keys[result]);
        }
    EXPECT_STREQ(ResultMessageKey(C::StartupCodeTable, -1), "");
}

} // namespace
