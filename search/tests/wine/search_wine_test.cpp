// The search's walk and the naming of its worker thread on the real Win32, under Wine.
#include "application_search.h"
#include "records.h"
#include "search_state.h"
#include "search_thread.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

class FolderView : public TSearchView {
public:
    void SetRowCount(int) override {}
    void SetCell(int, int, const std::string&) override {}
    void ShowFolder(const std::string& path) override { folders.push_back(path); }
    void SetStatus(int, const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    void Repaint() override {}
    std::vector<std::string> folders;
};

std::string TempFolder() {
    char base[MAX_PATH];
    EXPECT_GT(GetTempPathA(MAX_PATH, base), 0u);
    std::string folder = std::string(base) + "search-walk-" + std::to_string(GetTickCount());
    EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    return folder;
}

void Put(const std::string& path) {
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

TEST(SearchWine, WalkFindsHiddenSystemAndReadOnlyPrograms) {
    const std::string root = TempFolder();
    ASSERT_TRUE(CreateDirectoryA((root + "\\Hidden").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((root + "\\Hidden\\Deeper").c_str(), nullptr));
    Put(root + "\\Hidden\\Deeper\\player.exe");
    Put(root + "\\tool.exe");
    Put(root + "\\other.txt");
    ASSERT_TRUE(SetFileAttributesA((root + "\\Hidden").c_str(),
                                   FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(
        SetFileAttributesA((root + "\\Hidden\\Deeper\\player.exe").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA((root + "\\tool.exe").c_str(), FILE_ATTRIBUTE_READONLY));

    Search.Reset();
    Search.StopSearch = 0;
    Search.Table.assign(2, TSearchAppl{});
    SetField(Search.Table[0].Name, "PLAYER.EXE");
    SetField(Search.Table[1].Name, "tool.exe");
    char saved[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, saved), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(root.c_str()));
    FolderView view;
    ScanDirectory(view);
    SetCurrentDirectoryA(saved);

    EXPECT_EQ(std::string(Search.Table[0].Path), root + "\\Hidden\\Deeper\\player.exe");
    EXPECT_EQ(std::string(Search.Table[1].Path), root + "\\tool.exe");
    EXPECT_EQ(Search.DirCount, 2);
    EXPECT_EQ(Search.FileCount, 3);
    EXPECT_EQ(view.folders,
              (std::vector<std::string>{root + "\\Hidden", root + "\\Hidden\\Deeper"}));

    SetFileAttributesA((root + "\\tool.exe").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA((root + "\\tool.exe").c_str());
    DeleteFileA((root + "\\other.txt").c_str());
    DeleteFileA((root + "\\Hidden\\Deeper\\player.exe").c_str());
    RemoveDirectoryA((root + "\\Hidden\\Deeper").c_str());
    SetFileAttributesA((root + "\\Hidden").c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA((root + "\\Hidden").c_str());
    RemoveDirectoryA(root.c_str());
    Search.Reset();
}

TEST(SearchWine, NamingAWorkerThreadIsHarmless) {
    std::atomic<int> named{0};
    std::thread worker([&] {
        NameThreadForDebugger("FileSearchThread");
        NameThreadForDebugger("FileSearchThread");
        named = 2;
    });
    worker.join();
    EXPECT_EQ(named.load(), 2);
}

} // namespace
