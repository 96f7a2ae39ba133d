// Tests of the favourites lists and the playlist files.
#include "favourites.h"
#include "runtime_state.h"

#include "runtime_fixture.h"

#include <cp1251.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FavouritesTest : public RuntimeTest {};

std::vector<std::string> Lines(const TStringList& list) {
    return std::vector<std::string>(list.begin(), list.end());
}

TStringList Prefilled() {
    TStringList list;
    list.Add("left");
    list.Add("by the caller");
    return list;
}

TEST_F(FavouritesTest, GroupNamesInEitherCaseReadTheSameFile) {
    PutFile(Prog("Bin\\favoritaudio.bin"), "Winamp\r\nAIMP\r\n");
    for (const char* group : {"Audio", "audio", "AUDIO"}) {
        SCOPED_TRACE(group);
        TStringList list = Prefilled();
        LoadFavorites(group, list);
        EXPECT_EQ(Lines(list), (std::vector<std::string>{"Winamp", "AIMP"}));
    }
}

TEST_F(FavouritesTest, LinesAreTakenAsTheyAre) {
    struct Case {
        std::string content;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"One\r\nTwo\r\nThree", {"One", "Two", "Three"}},
        {"One\nTwo\rThree\r\n", {"One", "Two", "Three"}},
        {"One\r\n\r\n  Two  \r\n", {"One", "", "  Two  "}},
        {std::string(cp1251::Literal("Проигрыватель").view()) + "\r\n",
         {std::string(cp1251::Literal("Проигрыватель").view())}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.content));
        PutFile(Prog("Bin\\favoritOther.bin"), c.content);
        TStringList list;
        LoadFavorites("Other", list);
        EXPECT_EQ(Lines(list), c.lines);
    }
}

TEST_F(FavouritesTest, AMissingFileLeavesTheListAsTheCallerLeftIt) {
    TStringList list = Prefilled();
    LoadFavorites("DVD", list);
    EXPECT_EQ(Lines(list), Lines(Prefilled()));
    LoadPlaylistIndex(0, list);
    EXPECT_EQ(Lines(list), Lines(Prefilled()));
}

TEST_F(FavouritesTest, SaveWritesCrLfLinesAndReplacesTheFile) {
    MakeDir(Prog("Bin"));
    PutFile(Prog("Bin\\favoritvideo.bin"), "Old one\r\nOld two\r\nOld three\r\n");
    TStringList list;
    list.Add("VLC");
    list.Add("");
    list.Add("MPC");
    SaveFavorites("Video", list);
    EXPECT_EQ(GetFile(Prog("Bin\\favoritvideo.bin")), "VLC\r\n\r\nMPC\r\n");

    TStringList back;
    LoadFavorites("video", back);
    EXPECT_EQ(Lines(back), Lines(list));
}

TEST_F(FavouritesTest, SavingAnEmptyListWritesAnEmptyFile) {
    MakeDir(Prog("Bin"));
    SaveFavorites("TV_FM", TStringList());
    EXPECT_EQ(GetFile(Prog("Bin\\favoritTV_FM.bin")), "");
    TStringList list = Prefilled();
    LoadFavorites("tv_fm", list);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(FavouritesTest, ASaveThatCannotCreateTheFileReportsIt) {
    TStringList list;
    list.Add("Winamp");
    EXPECT_EQ(SaveFavorites("Audio", list), 5) << "no Bin folder";
    MakeDir(Prog("Bin"));
    EXPECT_EQ(SaveFavorites("Audio", list), 0);
    EXPECT_EQ(GetFile(Prog("Bin\\favoritAudio.bin")), "Winamp\r\n");
}

TEST_F(FavouritesTest, PlaylistIndexByKind) {
    PutFile(Prog("PL\\playlists.aud"), "Rock\r\nJazz\r\n");
    PutFile(Prog("PL\\playlists.vid"), "Films\r\n");
    struct Case {
        std::int16_t kind;
        std::vector<std::string> lines;
    };
    const Case cases[] = {{0, {"Rock", "Jazz"}}, {1, {"Films"}}, {7, {"Films"}}, {-1, {"Films"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        TStringList list = Prefilled();
        LoadPlaylistIndex(c.kind, list);
        EXPECT_EQ(Lines(list), c.lines);
    }
}

TEST_F(FavouritesTest, LoadPlaylistByNameAndKind) {
    PutFile(Prog("PL\\Rock.aud"), "C:\\Music\\a.mp3\r\nC:\\Music\\b.mp3");
    PutFile(Prog("PL\\Rock.vid"), "C:\\Video\\a.avi\r\n");

    TStringList list = Prefilled();
    EXPECT_TRUE(LoadPlaylist(false, "Rock", list));
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"C:\\Music\\a.mp3", "C:\\Music\\b.mp3"}));

    EXPECT_TRUE(LoadPlaylist(true, "rock", list));
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"C:\\Video\\a.avi"}));
}

TEST_F(FavouritesTest, AMissingPlaylistGivesFalseAndAnUntouchedList) {
    PutFile(Prog("PL\\Rock.vid"), "C:\\Video\\a.avi\r\n");
    const std::vector<std::string> names = {"Rock", "Jazz", "", std::string(77, 'n')};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        TStringList list = Prefilled();
        EXPECT_FALSE(LoadPlaylist(false, name, list));
        EXPECT_EQ(Lines(list), Lines(Prefilled()));
    }
}

} // namespace
