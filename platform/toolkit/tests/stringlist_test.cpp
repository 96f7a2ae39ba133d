// Tests of the string list: editing, text form, name=value lines and files.
#include <toolkit.h>

#include "sim_fixture.h"

#include <cp1251.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::string> Lines(const TStringList& list) {
    return std::vector<std::string>(list.begin(), list.end());
}

TStringList ListOf(std::initializer_list<const char*> lines) {
    TStringList list;
    for (const char* line : lines)
        list.Add(line);
    return list;
}

TEST(StringList, EditingKeepsOrder) {
    TStringList list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Add("b"), 0);
    EXPECT_EQ(list.Add("d"), 1);
    list.Insert(0, "a");
    list.Insert(2, "c");
    list.Insert(4, "e");
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    list.Delete(1);
    list.Exchange(0, 3);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"e", "c", "d", "a"}));
    list.Move(0, 3);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"c", "d", "a", "e"}));
    list.Move(3, 0);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"e", "c", "d", "a"}));
    list[1] = "x";
    list.Strings(2) += "y";
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"e", "x", "dy", "a"}));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, IndexOutOfBoundsThrows) {
    TStringList list = ListOf({"a", "b"});
    const TStringList& constList = list;
    try {
        (void)list[2];
        FAIL() << "no error";
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message, "List index out of bounds (2)");
    }
    EXPECT_THROW((void)list[-1], EStringListError);
    EXPECT_THROW((void)constList[2], EStringListError);
    EXPECT_THROW((void)list.Strings(5), EStringListError);
    EXPECT_THROW(list.Insert(3, "x"), EStringListError);
    EXPECT_THROW(list.Insert(-1, "x"), EStringListError);
    EXPECT_THROW(list.Delete(2), EStringListError);
    EXPECT_THROW(list.Exchange(0, 2), EStringListError);
    EXPECT_THROW(list.Move(2, 0), EStringListError);
    EXPECT_THROW(list.Move(0, 2), EStringListError);
    EXPECT_THROW(list.Move(2, 2), EStringListError);
    EXPECT_THROW((void)list.Names(2), EStringListError);
    EXPECT_THROW((void)list.ValueFromIndex(-1), EStringListError);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b"})) << "list unchanged";
}

TEST(StringList, IndexOfIgnoresCase) {
    constexpr auto upper = cp1251::Literal("Избранное");
    constexpr auto lower = cp1251::Literal("избранное");
    TStringList list = ListOf({"Alpha", "beta"});
    list.Add(std::string(upper.view()));
    EXPECT_EQ(list.IndexOf("ALPHA"), 0);
    EXPECT_EQ(list.IndexOf("Beta"), 1);
    EXPECT_EQ(list.IndexOf(std::string(lower.view())), 2);
    EXPECT_EQ(list.IndexOf("alph"), -1);
    EXPECT_EQ(list.IndexOf(""), -1);
}

TEST(StringList, TextEndsEveryLineWithCrLf) {
    EXPECT_EQ(ListOf({"a", "", " b "}).Text(), "a\r\n\r\n b \r\n");
    EXPECT_EQ(TStringList().Text(), "");
}

TEST(StringList, SetTextLineEndings) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"one line without ending", "a", {"a"}},
        {"one line with ending", "a\r\n", {"a"}},
        {"CR LF", "a\r\nb", {"a", "b"}},
        {"LF alone", "a\nb\n", {"a", "b"}},
        {"CR alone", "a\rb\r", {"a", "b"}},
        {"empty line between", "a\r\n\r\nb", {"a", "", "b"}},
        {"only an ending", "\r\n", {""}},
        {"LF then CR", "a\n\rb", {"a", "", "b"}},
        {"CR CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"blanks kept", "  x \t\r\n", {"  x \t"}},
        {"NUL kept", std::string("a\0b", 3), {std::string("a\0b", 3)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TStringList list = ListOf({"old"});
        list.SetText(c.text);
        EXPECT_EQ(Lines(list), c.lines);
    }
}

TEST(StringList, AssignCopies) {
    TStringList source = ListOf({"a", "b"});
    TStringList target = ListOf({"x"});
    target.Assign(source);
    source.Add("c");
    EXPECT_EQ(Lines(target), (std::vector<std::string>{"a", "b"}));
    target.Assign(target);
    EXPECT_EQ(target.Count(), 2);
}

TEST(StringList, NamesAndValues) {
    const TStringList list = ListOf({"a=1", "B=2", "noeq", "c=x=y", "=empty", "b=second"});
    EXPECT_EQ(list.Names(0), "a");
    EXPECT_EQ(list.Names(2), "");
    EXPECT_EQ(list.Names(3), "c");
    EXPECT_EQ(list.Names(4), "");
    EXPECT_EQ(list.ValueFromIndex(0), "1");
    EXPECT_EQ(list.ValueFromIndex(2), "");
    EXPECT_EQ(list.ValueFromIndex(3), "x=y");
    EXPECT_EQ(list.ValueFromIndex(4), "empty");
    EXPECT_EQ(list.Values("b"), "2") << "first match, without regard to case";
    EXPECT_EQ(list.Values("missing"), "");
    EXPECT_EQ(list.Values("noeq"), "");
    EXPECT_EQ(list.IndexOfName("C"), 3);
    EXPECT_EQ(list.IndexOfName("noeq"), -1);
    EXPECT_EQ(list.IndexOfName(""), 4);
}

TEST(StringList, SetValue) {
    TStringList list = ListOf({"a=1", "B=2", "c=3"});
    list.SetValue("b", "20");
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"a=1", "b=20", "c=3"})) << "in place";
    list.SetValue("new", "v");
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list[3], "new=v");
    list.SetValue("A", "");
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"b=20", "c=3", "new=v"})) << "deleted";
    list.SetValue("absent", "");
    EXPECT_EQ(list.Count(), 3);
}

class StringListFileTest : public SimMachineTest {};

TEST_F(StringListFileTest, LoadFromFileSplitsLines) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"CR LF", "one\r\ntwo\r\n", {"one", "two"}},
        {"LF", "one\ntwo\n", {"one", "two"}},
        {"CR", "one\rtwo\r", {"one", "two"}},
        {"last line unterminated", "one\r\ntwo", {"one", "two"}},
        {"empty file", "", {}},
        {"empty line kept", "a\r\n\r\nb", {"a", "", "b"}},
        {"code page 1251 bytes", "\xC8\xE7\xE1\xF0\r\n", {"\xC8\xE7\xE1\xF0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PutFile(Prog("Bin\\favoritAudio.bin"), c.bytes);
        TStringList list = ListOf({"stale"});
        list.LoadFromFile(Prog("Bin\\favoritAudio.bin"));
        EXPECT_EQ(Lines(list), c.lines);
    }
}

TEST_F(StringListFileTest, LoadFromFileFindsThePathWithoutRegardToCase) {
    PutFile(Prog("PL\\playlists.aud"), "x\r\n");
    TStringList list;
    list.LoadFromFile("c:\\TAVRIN RC\\pl\\PLAYLISTS.AUD");
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"x"}));
}

TEST_F(StringListFileTest, LargeFileReadWhole) {
    std::string bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += "line " + std::to_string(i) + "\r\n";
    PutFile(Prog("big.txt"), bytes);
    TStringList list;
    list.LoadFromFile(Prog("big.txt"));
    ASSERT_EQ(list.Count(), 200000);
    EXPECT_EQ(list[199999], "line 199999");
}

TEST_F(StringListFileTest, MissingFileThrowsAndKeepsTheList) {
    TStringList list = ListOf({"kept"});
    for (const char* path : {"C:\\Tavrin RC\\missing.txt", "C:\\nofolder\\x.txt", "Q:\\x.txt"}) {
        SCOPED_TRACE(path);
        try {
            list.LoadFromFile(path);
            FAIL() << "no error";
        } catch (const EFOpenError& e) {
            EXPECT_NE(e.Message.find(path), std::string::npos) << e.Message;
        }
        EXPECT_EQ(Lines(list), (std::vector<std::string>{"kept"}));
    }
}

TEST_F(StringListFileTest, FolderCannotBeLoaded) {
    MakeDir(Prog("Bin"));
    TStringList list;
    EXPECT_THROW(list.LoadFromFile(Prog("Bin")), EFOpenError);
}

TEST_F(StringListFileTest, SaveToFileWritesCrLfAndReplaces) {
    PutFile(Prog("Bin\\favoritVideo.bin"), "old contents that are longer\r\n");
    const TStringList list = ListOf({"a", "", "\xC1\xE2"});
    list.SaveToFile(Prog("Bin\\favoritVideo.bin"));
    EXPECT_EQ(GetFile(Prog("Bin\\favoritVideo.bin")), "a\r\n\r\n\xC1\xE2\r\n");

    TStringList back;
    back.LoadFromFile(Prog("Bin\\favoritVideo.bin"));
    EXPECT_EQ(Lines(back), Lines(list));
}

TEST_F(StringListFileTest, EmptyListSavesEmptyFile) {
    TStringList().SaveToFile(Prog("empty.txt"));
    ASSERT_TRUE(Exists(Prog("empty.txt")));
    EXPECT_EQ(GetFile(Prog("empty.txt")), "");
}

TEST_F(StringListFileTest, SaveToFileThatCannotBeCreatedThrows) {
    const TStringList list = ListOf({"a"});
    for (const char* path : {"C:\\nofolder\\x.txt", "Q:\\x.txt"}) {
        SCOPED_TRACE(path);
        try {
            list.SaveToFile(path);
            FAIL() << "no error";
        } catch (const EFCreateError& e) {
            EXPECT_NE(e.Message.find(path), std::string::npos) << e.Message;
        }
    }
    MakeDir(Prog("Bin"));
    EXPECT_THROW(list.SaveToFile(Prog("Bin")), EFCreateError);
}

} // namespace
