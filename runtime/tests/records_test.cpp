// Tests of the record layouts, the field helpers and the record-file reader and writer.
#include "record_file.h"
#include "records.h"
#include "runtime_state.h"

#include "runtime_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class RecordFileTest : public RuntimeTest {};

template <class T>
std::string Bytes(const T& record) {
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

#pragma pack(push, 1)
// A field between two guards, to see whether a write leaves its field.
struct TGuarded {
    char before[4];
    char field[8];
    char after[4];
};
#pragma pack(pop)

TEST(RecordsTest, SetFieldCutsAtSizeLessOneAndStaysInsideTheField) {
    struct Case {
        std::string text;
        std::string stored;
    };
    const Case cases[] = {
        {"", ""},
        {"abc", "abc"},
        {"1234567", "1234567"},             // size - 1: kept whole
        {"12345678", "1234567"},            // size: cut
        {std::string(300, 'x'), "xxxxxxx"}, // far longer: cut
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.size());
        TGuarded g;
        std::memset(&g, 0x5A, sizeof g);
        SetField(g.field, c.text);
        EXPECT_EQ(FieldText(g.field), c.stored);
        // Terminated, and the bytes after the text are zero.
        for (std::size_t i = c.stored.size(); i < sizeof g.field; ++i)
            EXPECT_EQ(g.field[i], 0) << i;
        EXPECT_EQ(std::string(g.before, 4), "ZZZZ");
        EXPECT_EQ(std::string(g.after, 4), "ZZZZ");
    }
}

TEST(RecordsTest, FieldTextStopsAtTheFirstNulOrAtTheFieldsEnd) {
    TGuarded g;
    std::memset(&g, 'Z', sizeof g);
    std::memcpy(g.field, "abcdefgh", 8); // no NUL anywhere in the field
    EXPECT_EQ(FieldText(g.field), "abcdefgh");

    std::memcpy(g.field, "ab\0defgh", 8); // bytes after the NUL carry no meaning
    EXPECT_EQ(FieldText(g.field), "ab");

    std::memset(g.field, 0, 8);
    EXPECT_EQ(FieldText(g.field), "");
}

TEST(RecordsTest, TerminateFieldsCutsEveryTextOfARecordThatFillsItsFields) {
    TApplEntry a;
    std::memset(&a, 'q', sizeof a);
    TerminateFields(a);
    EXPECT_EQ(FieldText(a.Name), std::string(24, 'q'));
    EXPECT_EQ(FieldText(a.ClassName), std::string(102, 'q'));
    EXPECT_EQ(FieldText(a.Path), std::string(255, 'q'));

    TCmdStep s;
    std::memset(&s, 'q', sizeof s);
    TerminateFields(s);
    EXPECT_EQ(FieldText(s.Name), std::string(25, 'q'));
    for (const auto* p : {&s.Param1, &s.Param2, &s.Param3, &s.Param4})
        EXPECT_EQ(FieldText(*p), std::string(24, 'q'));

    TFuncEntry f;
    std::memset(&f, 'q', sizeof f);
    TerminateFields(f);
    EXPECT_EQ(FieldText(f.CmdName), std::string(25, 'q'));
    EXPECT_EQ(FieldText(f.Keys), std::string(75, 'q'));

    TCodeEntry c;
    std::memset(&c, 'q', sizeof c);
    TerminateFields(c);
    EXPECT_EQ(FieldText(c.Name), std::string(31, 'q'));
}

TEST(RecordsTest, IntegersLieLittleEndianAtTheirOffsets) {
    TCodeEntry c = Code("A", 0x0102030405060708LL);
    EXPECT_EQ(Bytes(c).substr(32), std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8));

    TCmdStep s{};
    s.Step = 0x0102;
    s.StepCount = 0x0304;
    s.CmdType = -2;
    EXPECT_EQ(Bytes(s).substr(26, 6), std::string("\x02\x01\x04\x03\xFE\xFF", 6));

    TFuncEntry f{};
    f.RcMode = 4;
    EXPECT_EQ(Bytes(f).substr(26, 2), std::string("\x04\x00", 2));

    TApplEntry a{};
    a.Wnd = 0x11223344;
    EXPECT_EQ(Bytes(a).substr(128, 4), std::string("\x44\x33\x22\x11", 4));
}

TEST_F(RecordFileTest, ReadsWholeRecordsAndIgnoresATrailingPartialRecord) {
    const std::string file = Bytes(Code("One", 1)) + Bytes(Code("Two", 2)) + std::string(39, 'x');
    PutFile(Prog("Bin\\r.bin"), file);
    TRecordReader<TCodeEntry> reader(Prog("Bin\\r.bin"));
    ASSERT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.Count(), 2u);
    TCodeEntry e;
    ASSERT_TRUE(reader.Read(e));
    EXPECT_EQ(FieldText(e.Name), "One");
    ASSERT_TRUE(reader.Read(e));
    EXPECT_EQ(FieldText(e.Name), "Two");
    EXPECT_EQ(e.Code, 2);
    EXPECT_FALSE(reader.Read(e));
    EXPECT_EQ(reader.Position(), 2u);
}

TEST_F(RecordFileTest, ARecordReadFromAFileHasTerminatedTexts) {
    std::string raw(40, 'n'); // a name of 32 characters and no NUL
    raw.replace(32, 8, std::string(8, '\0'));
    PutFile(Prog("Bin\\r.bin"), raw);
    TRecordReader<TCodeEntry> reader(Prog("Bin\\r.bin"));
    TCodeEntry e;
    ASSERT_TRUE(reader.Read(e));
    EXPECT_EQ(FieldText(e.Name), std::string(31, 'n'));
}

TEST_F(RecordFileTest, MissingEmptyAndShortFiles) {
    {
        TRecordReader<TCodeEntry> reader(Prog("Bin\\none.bin"));
        EXPECT_FALSE(reader.IsOpen());
        EXPECT_EQ(reader.Count(), 0u);
        TCodeEntry e;
        EXPECT_FALSE(reader.Read(e));
    }
    PutFile(Prog("Bin\\empty.bin"), "");
    {
        TRecordReader<TCodeEntry> reader(Prog("Bin\\empty.bin"));
        EXPECT_TRUE(reader.IsOpen());
        EXPECT_EQ(reader.Count(), 0u);
    }
    PutFile(Prog("Bin\\short.bin"), std::string(39, 'a'));
    {
        TRecordReader<TCodeEntry> reader(Prog("Bin\\short.bin"));
        EXPECT_TRUE(reader.IsOpen());
        EXPECT_EQ(reader.Count(), 0u);
        TCodeEntry e;
        EXPECT_FALSE(reader.Read(e));
    }
}

TEST_F(RecordFileTest, SeekGoesToWholeRecordsOnly) {
    PutFile(Prog("Bin\\r.bin"), Bytes(Code("A", 1)) + Bytes(Code("B", 2)) + "xx");
    TRecordReader<TCodeEntry> reader(Prog("Bin\\r.bin"));
    TCodeEntry e;
    ASSERT_TRUE(reader.Seek(1));
    ASSERT_TRUE(reader.Read(e));
    EXPECT_EQ(FieldText(e.Name), "B");
    EXPECT_TRUE(reader.Seek(2)); // the end: nothing more to read
    EXPECT_FALSE(reader.Read(e));
    EXPECT_FALSE(reader.Seek(3));
    EXPECT_FALSE(reader.Seek(1ull << 40));
    EXPECT_EQ(reader.Position(), 2u);
    ASSERT_TRUE(reader.Seek(0));
    ASSERT_TRUE(reader.Read(e));
    EXPECT_EQ(FieldText(e.Name), "A");
}

TEST_F(RecordFileTest, WriterTruncatesAndWritesTheRecordsInOrder) {
    PutFile(Prog("Bin\\w.bin"), std::string(1000, 'o'));
    const std::vector<TCodeEntry> records = {Code("A", 1), Code("B", -1)};
    {
        TRecordFileWriter writer(Prog("Bin\\w.bin"));
        ASSERT_TRUE(writer.IsOpen());
        EXPECT_TRUE(WriteRecords(writer, records));
        EXPECT_TRUE(writer.Close());
    }
    EXPECT_EQ(GetFile(Prog("Bin\\w.bin")), Bytes(records[0]) + Bytes(records[1]));
}

TEST_F(RecordFileTest, WriterThatCannotCreateReportsIt) {
    MakeDir(Prog("Bin\\dir.bin"));
    TRecordFileWriter writer(Prog("Bin\\dir.bin"));
    EXPECT_FALSE(writer.IsOpen());
    const TCodeEntry e = Code("A", 1);
    EXPECT_FALSE(writer.Write(&e, sizeof e));
    EXPECT_FALSE(writer.Close());

    TRecordFileWriter nowhere(Prog("No such folder\\w.bin"));
    EXPECT_FALSE(nowhere.IsOpen());
}

TEST_F(RecordFileTest, BinPathIsInTheProgramFolder) {
    EXPECT_EQ(BinPath("defcode.bin"), "C:\\Tavrin RC\\Bin\\defcode.bin");
}

} // namespace
