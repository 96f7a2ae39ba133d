// Conformance tables for Windows paths: normal form, case, current directory, drive mask.
#include "sim_fixture.h"

#include "cp1251.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

constexpr DWORD kUntouchedError = 0xDEADBEEF;

std::string Cp(std::string_view text) {
    return std::string(text);
}

class PathsTest : public SimMachineTest {
protected:
    void SetUp() override {
        SimMachineTest::SetUp();
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\Tavrin RC"));
    }
};

TEST_F(PathsTest, FullPathNameNormalisesAgainstTheCurrentDirectory) {
    struct Case {
        const char* given;
        const char* full;
    };
    const Case cases[] = {
        {"C:\\a\\..\\b", "C:\\b"},
        {"c:/x/y", "C:\\x\\y"},
        {"C:\\a\\\\b\\", "C:\\a\\b"},
        {"C:\\", "C:\\"},
        {"\\x", "C:\\x"},
        {"/x/y", "C:\\x\\y"},
        {"Lang\\Rus.ini", "C:\\Tavrin RC\\Lang\\Rus.ini"},
        {".\\Bin\\.\\def.bin", "C:\\Tavrin RC\\Bin\\def.bin"},
        {"..\\x", "C:\\x"},
        {".", "C:\\Tavrin RC"},
        {"", "C:\\Tavrin RC"},
        {"C:", "C:\\Tavrin RC"},
        {"c:Bin", "C:\\Tavrin RC\\Bin"},
        {"D:x", "D:\\x"},
        {"C:\\..\\..\\x", "C:\\x"},
        {"..\\..\\..", "C:\\"},
        // Trailing dots and blanks: all of them go from the last component, a single dot from
        // one before it; three dots are a name.
        {"C:\\a\\b.", "C:\\a\\b"},
        {"C:\\a\\b. . ", "C:\\a\\b"},
        {"C:\\a\\b.\\", "C:\\a\\b"},
        {"C:\\a.\\b", "C:\\a\\b"},
        {"C:\\a..\\b", "C:\\a..\\b"},
        {"C:\\a \\b", "C:\\a \\b"},
        {"C:\\a\\...", "C:\\a"},
        {"C:\\a\\...\\b", "C:\\a\\...\\b"},
        {"Rus.ini.", "C:\\Tavrin RC\\Rus.ini"},
        // Absolute paths in normal form but for the drive's case and one final separator.
        {"d:\\Top 1\\Sub\\", "D:\\Top 1\\Sub"},
        {"C:\\a.b\\ c", "C:\\a.b\\ c"},
        {"C:\\a\\b \\", "C:\\a\\b"},
        {"C:\\a\\b.\\\\", "C:\\a\\b"},
        {"C:\\\\", "C:\\"},
        // Device and network names are not drive paths.
        {"\\\\.\\VarnPlug0", "\\\\.\\VarnPlug0"},
        {"\\\\server\\share", "\\\\server\\share"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        const std::string full = win32sim::FullPathName(c.given);
        EXPECT_EQ(full, c.full);
        // The normal form is its own normal form.
        EXPECT_EQ(win32sim::FullPathName(full), full);
    }
}

TEST_F(PathsTest, HostPathMatchesExistingComponentsWithoutRegardToCase) {
    const std::string russian = Cp(cp1251::Literal("Языки\\Русский.ini"));
    const std::string russianOtherCase = Cp(cp1251::Literal("ЯЗЫКИ\\рУССКИЙ.INI"));
    PutFile(Prog("Lang\\rus.INI"), "x");
    PutFile(Prog(russian), "x");
    struct Case {
        std::string lookedUp;
        std::string hostSuffix; // after the drive's host folder; empty: no host path
    };
    const Case cases[] = {
        {"C:\\Tavrin RC\\LANG\\Rus.ini", "/Tavrin RC/Lang/rus.INI"},
        {"c:\\TAVRIN RC\\lang\\RUS.INI", "/Tavrin RC/Lang/rus.INI"},
        {"Lang\\Rus.ini", "/Tavrin RC/Lang/rus.INI"},
        {Prog(russianOtherCase), "/Tavrin RC/" + Cp(cp1251::Literal("Языки/Русский.ini"))},
        // What does not exist keeps the spelling it was given.
        {"C:\\Tavrin RC\\LANG\\NoSuch\\File.txt", "/Tavrin RC/Lang/NoSuch/File.txt"},
        {"C:\\", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lookedUp);
        EXPECT_EQ(win32sim::HostPath(c.lookedUp), hostRoot + c.hostSuffix);
    }
    EXPECT_EQ(win32sim::HostPath("Q:\\x.txt"), "");
    EXPECT_EQ(win32sim::HostPath("\\\\.\\VarnPlug0"), "");
}

TEST_F(PathsTest, CaseInsensitiveNamesReachTheFileThroughWin32) {
    PutFile(Prog("Lang\\rus.INI"), "[Labels]");
    PutFile(Prog(Cp(cp1251::Literal("Справка.txt"))), "help");
    const std::string names[] = {"C:\\Tavrin RC\\LANG\\Rus.ini", "c:/tavrin rc/lang/RUS.ini",
                                 Prog(Cp(cp1251::Literal("СПРАВКА.TXT"))),
                                 Prog(Cp(cp1251::Literal("справка.txt")))};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        SetLastError(kUntouchedError);
        EXPECT_EQ(GetFileAttributesA(name.c_str()), DWORD{FILE_ATTRIBUTE_ARCHIVE});
        EXPECT_EQ(GetLastError(), kUntouchedError);
        const HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        EXPECT_NE(GetFileSize(file, nullptr), 0u);
        EXPECT_TRUE(CloseHandle(file));
    }
}

TEST_F(PathsTest, GetCurrentDirectoryFollowsTheBufferContract) {
    const std::string current = "C:\\Tavrin RC"; // 12 characters
    struct Case {
        DWORD size;
        bool withBuffer;
        DWORD result;
        bool filled;
    };
    const Case cases[] = {
        {0, false, 13, false}, {0, true, 13, false},  {12, true, 13, false},
        {13, true, 12, true},  {100, true, 12, true}, {100, false, 13, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << (c.withBuffer ? "" : " null"));
        char buffer[128];
        std::memset(buffer, 'x', sizeof buffer);
        SetLastError(kUntouchedError);
        EXPECT_EQ(GetCurrentDirectoryA(c.size, c.withBuffer ? buffer : nullptr), c.result);
        EXPECT_EQ(GetLastError(), kUntouchedError);
        if (c.filled) {
            EXPECT_STREQ(buffer, current.c_str());
        } else {
            EXPECT_EQ(buffer[0], 'x');
        }
    }
}

TEST_F(PathsTest, SetCurrentDirectoryTakesExistingFoldersOnly) {
    MakeDir(Prog("Bin"));
    PutFile(Prog("file.txt"), "x");
    MakeDir("C:\\DriveD");
    win32sim::MapDrive('D', hostRoot + "/DriveD");
    constexpr DWORD kErrorDirectory = 267;
    struct Case {
        const char* path;
        BOOL result;
        DWORD error;
        const char* current; // afterwards
    };
    const Case cases[] = {
        {"C:\\Tavrin RC\\Bin", TRUE, kUntouchedError, "C:\\Tavrin RC\\Bin"},
        {"c:\\tavrin rc\\BIN\\", TRUE, kUntouchedError, "C:\\tavrin rc\\BIN"},
        {"Bin", TRUE, kUntouchedError, "C:\\Tavrin RC\\Bin"},
        {"..", TRUE, kUntouchedError, "C:\\"},
        {"\\", TRUE, kUntouchedError, "C:\\"},
        {"D:\\", TRUE, kUntouchedError, "D:\\"},
        {"C:\\NoSuch", FALSE, ERROR_FILE_NOT_FOUND, "C:\\Tavrin RC"},
        {"C:\\NoSuch\\Sub", FALSE, ERROR_PATH_NOT_FOUND, "C:\\Tavrin RC"},
        {"file.txt", FALSE, kErrorDirectory, "C:\\Tavrin RC"},
        {"Q:\\", FALSE, ERROR_PATH_NOT_FOUND, "C:\\Tavrin RC"},
        {"C:\\a|b", FALSE, ERROR_INVALID_NAME, "C:\\Tavrin RC"},
        {"", FALSE, ERROR_PATH_NOT_FOUND, "C:\\Tavrin RC"},
        {nullptr, FALSE, ERROR_PATH_NOT_FOUND, "C:\\Tavrin RC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path == nullptr ? "(null)" : c.path);
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\Tavrin RC"));
        SetLastError(kUntouchedError);
        EXPECT_EQ(SetCurrentDirectoryA(c.path), c.result);
        EXPECT_EQ(GetLastError(), c.error);
        char buffer[MAX_PATH] = "sentinel";
        EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, buffer), std::strlen(c.current));
        EXPECT_STREQ(buffer, c.current);
    }
}

TEST_F(PathsTest, RelativeNamesResolveAgainstTheCurrentDirectory) {
    PutFile(Prog("Bin\\def1.bin"), "1234");
    ASSERT_TRUE(SetCurrentDirectoryA("Bin"));
    EXPECT_EQ(win32sim::FullPathName("def1.bin"), "C:\\Tavrin RC\\Bin\\def1.bin");
    EXPECT_EQ(GetFileAttributesA("DEF1.BIN"), DWORD{FILE_ATTRIBUTE_ARCHIVE});
    EXPECT_EQ(GetFileAttributesA("..\\Bin\\def1.bin"), DWORD{FILE_ATTRIBUTE_ARCHIVE});
    EXPECT_EQ(GetFileAttributesA("\\Tavrin RC\\Bin\\def1.bin"), DWORD{FILE_ATTRIBUTE_ARCHIVE});
}

TEST_F(PathsTest, GetLogicalDrivesHasABitPerMappedDrive) {
    EXPECT_EQ(GetLogicalDrives(), DWORD{1} << 2);
    MakeDir("C:\\DriveD");
    win32sim::MapDrive('d', hostRoot + "/DriveD");
    win32sim::MapDrive('Z', hostRoot + "/DriveD");
    win32sim::MapDrive('A', hostRoot + "/DriveD");
    EXPECT_EQ(GetLogicalDrives(), DWORD{1} | DWORD{1} << 2 | DWORD{1} << 3 | DWORD{1} << 25);
    win32sim::MapDrive('1', hostRoot); // not a drive letter: ignored
    EXPECT_EQ(GetLogicalDrives(), DWORD{1} | DWORD{1} << 2 | DWORD{1} << 3 | DWORD{1} << 25);
    win32sim::UnmapDrives();
    EXPECT_EQ(GetLogicalDrives(), 0u);
}

TEST_F(PathsTest, ResetMachineRestoresTheRootAsCurrentDirectory) {
    win32sim::ResetMachine();
    char buffer[MAX_PATH] = "sentinel";
    EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, buffer), 3u);
    EXPECT_STREQ(buffer, "C:\\");
}

} // namespace
