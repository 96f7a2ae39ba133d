// SetFileAttributesA with the attributes the directory search reports, and a full disk.
#include "sim_fixture.h"

#include <windows.h>

#include <string>

namespace {

class AttributesTest : public SimMachineTest {
protected:
    // The attributes the directory search reports for one entry of a folder.
    DWORD FoundAttributes(const std::string& folder, const std::string& name) {
        WIN32_FIND_DATAA data;
        const HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &data);
        EXPECT_NE(search, INVALID_HANDLE_VALUE);
        DWORD found = INVALID_FILE_ATTRIBUTES;
        if (search == INVALID_HANDLE_VALUE)
            return found;
        do {
            if (name == data.cFileName)
                found = data.dwFileAttributes;
        } while (FindNextFileA(search, &data));
        FindClose(search);
        return found;
    }
};

TEST_F(AttributesTest, SetAttributesAreReportedBySearchAndGetFileAttributes) {
    PutFile("C:\\Apps\\player.exe", "x");
    MakeDir("C:\\Apps\\Sub");
    struct Case {
        const char* label;
        const char* path;
        DWORD set;
        DWORD reported;
    } cases[] = {
        {"hidden file", "C:\\Apps\\player.exe", FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN},
        {"system read-only archive file", "C:\\Apps\\player.exe",
         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
         FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY},
        {"normal again", "C:\\Apps\\player.exe", FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_NORMAL},
        {"hidden system folder", "C:\\Apps\\Sub", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
         FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
        {"read-only folder", "C:\\apps\\SUB", FILE_ATTRIBUTE_READONLY,
         FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SetLastError(0xDEADBEEF);
        ASSERT_TRUE(SetFileAttributesA(c.path, c.set));
        EXPECT_EQ(GetFileAttributesA(c.path), c.reported);
        const std::string path = c.path;
        const std::size_t cut = path.rfind('\\');
        const std::string name = path.substr(cut + 1);
        EXPECT_EQ(FoundAttributes(path.substr(0, cut), name == "SUB" ? std::string("Sub") : name),
                  c.reported);
    }
}

TEST_F(AttributesTest, ReadOnlyFileRefusesWritingAndDeleting) {
    PutFile("C:\\Apps\\a.txt", "x");
    ASSERT_TRUE(SetFileAttributesA("C:\\Apps\\a.txt", FILE_ATTRIBUTE_READONLY));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(CreateFileA("C:\\Apps\\a.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFileA("C:\\Apps\\a.txt"));
    ASSERT_TRUE(SetFileAttributesA("C:\\Apps\\a.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFileA("C:\\Apps\\a.txt"));
}

TEST_F(AttributesTest, MarksFollowMovesAndGoWithDeletes) {
    PutFile("C:\\a.txt", "x");
    ASSERT_TRUE(SetFileAttributesA("C:\\a.txt", FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(MoveFileA("C:\\a.txt", "C:\\b.txt"));
    EXPECT_EQ(GetFileAttributesA("C:\\b.txt"), DWORD{FILE_ATTRIBUTE_HIDDEN});
    ASSERT_TRUE(DeleteFileA("C:\\b.txt"));
    PutFile("C:\\b.txt", "y");
    EXPECT_EQ(GetFileAttributesA("C:\\b.txt"), DWORD{FILE_ATTRIBUTE_ARCHIVE});
}

TEST_F(AttributesTest, SetAttributesOfMissingOrInvalidNamesFails) {
    struct Case {
        const char* label;
        const char* path;
        DWORD error;
    } cases[] = {
        {"missing file", "C:\\nothing.txt", ERROR_FILE_NOT_FOUND},
        {"missing folder", "C:\\none\\a.txt", ERROR_PATH_NOT_FOUND},
        {"unmapped drive", "Q:\\a.txt", ERROR_PATH_NOT_FOUND},
        {"wildcard", "C:\\a*.txt", ERROR_INVALID_NAME},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SetLastError(0xDEADBEEF);
        EXPECT_FALSE(SetFileAttributesA(c.path, FILE_ATTRIBUTE_HIDDEN));
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST_F(AttributesTest, FullDiskCutsAWriteShortAndFailsIt) {
    win32sim::SetWriteBudget(5);
    const HANDLE file =
        CreateFileA("C:\\out.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0xDEADBEEF;
    EXPECT_TRUE(WriteFile(file, "abc", 3, &written, nullptr));
    EXPECT_EQ(written, 3u);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(WriteFile(file, "defg", 4, &written, nullptr));
    EXPECT_EQ(written, 2u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    CloseHandle(file);
    EXPECT_EQ(GetFile("C:\\out.bin"), "abcde");
    win32sim::SetWriteBudget(std::nullopt);
}

TEST_F(AttributesTest, LogicalDrivesFollowTheMappedDrives) {
    EXPECT_EQ(GetLogicalDrives(), DWORD{1} << 2);
    MakeDir("C:\\E");
    MakeDir("C:\\Z");
    win32sim::MapDrive('E', hostRoot + "/E");
    win32sim::MapDrive('Z', hostRoot + "/Z");
    EXPECT_EQ(GetLogicalDrives(), (DWORD{1} << 2) | (DWORD{1} << 4) | (DWORD{1} << 25));
}

} // namespace
