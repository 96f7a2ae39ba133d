// Conformance tables for the file functions, directory search and the program file's path.
#include "sim_fixture.h"

#include "cp1251.h"

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr DWORD kUntouchedError = 0xDEADBEEF;
constexpr DWORD kUntouchedCount = 0xDEADBEEF;
constexpr DWORD kErrorNotSameDevice = 17;
constexpr DWORD kErrorSharingViolation = 32;

std::string Cp(std::string_view text) {
    return std::string(text);
}

// Closes a handle when the case is over, whatever it asserted.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

class FilesTest : public SimMachineTest {
protected:
    HANDLE Open(const std::string& name, DWORD access, DWORD disposition) {
        return CreateFileA(name.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    void MakeReadOnly(const std::string& windowsPath) {
        fs::permissions(win32sim::HostPath(windowsPath),
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }

    // Drive D: on a folder of its own (inside C:'s host folder, so the fixture removes it).
    void MapDriveD() {
        MakeDir("C:\\DriveD");
        win32sim::MapDrive('D', hostRoot + "/DriveD");
    }

    // The position of the file pointer, read without moving it.
    static std::uint64_t Position(HANDLE file) {
        LONG high = 0;
        const DWORD low = SetFilePointer(file, 0, &high, FILE_CURRENT);
        return (std::uint64_t{static_cast<DWORD>(high)} << 32) | low;
    }

    static std::vector<std::string> FindAll(const std::string& pattern, DWORD& error) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        std::memset(&data, 0xAB, sizeof data);
        SetLastError(kUntouchedError);
        const HANDLE search = FindFirstFileA(pattern.c_str(), &data);
        if (search == INVALID_HANDLE_VALUE) {
            error = GetLastError();
            EXPECT_EQ(static_cast<unsigned char>(data.cFileName[0]), 0xAB) << "data touched";
            return names;
        }
        do {
            names.push_back(data.cFileName);
            EXPECT_STREQ(data.cAlternateFileName, "");
        } while (FindNextFileA(search, &data));
        error = GetLastError();
        EXPECT_TRUE(FindClose(search));
        return names;
    }
};

// ---------------------------------------------------------------------------------------------
// CreateFileA

TEST_F(FilesTest, CreateFileDispositionsAndErrors) {
    const std::string folder = Prog("Folder");
    struct Case {
        const char* label;
        std::string name;
        DWORD access;
        DWORD disposition;
        bool opens;
        DWORD error;
        const char* existingAfter; // content of existing.txt afterwards
        bool newExists;            // whether new.txt exists afterwards
    };
    const std::string existing = Prog("existing.txt");
    const std::string fresh = Prog("new.txt");
    const std::string readOnly = Prog("readonly.txt");
    constexpr DWORD RW = GENERIC_READ | GENERIC_WRITE;
    const Case cases[] = {
        {"create new", fresh, RW, CREATE_NEW, true, ERROR_SUCCESS, "old data", true},
        {"create new, exists", existing, RW, CREATE_NEW, false, ERROR_FILE_EXISTS, "old data",
         false},
        {"create new, folder", folder, RW, CREATE_NEW, false, ERROR_FILE_EXISTS, "old data", false},
        {"create always", fresh, RW, CREATE_ALWAYS, true, ERROR_SUCCESS, "old data", true},
        {"create always, exists", existing, RW, CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, "",
         false},
        {"create always, exists, read access", existing, GENERIC_READ, CREATE_ALWAYS, true,
         ERROR_ALREADY_EXISTS, "", false},
        {"open existing", existing, RW, OPEN_EXISTING, true, ERROR_SUCCESS, "old data", false},
        {"open existing, other case", Prog("EXISTING.TXT"), GENERIC_READ, OPEN_EXISTING, true,
         ERROR_SUCCESS, "old data", false},
        {"open existing, trailing dot", existing + ".", GENERIC_READ, OPEN_EXISTING, true,
         ERROR_SUCCESS, "old data", false},
        {"open existing, missing", fresh, RW, OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND,
         "old data", false},
        {"open always, exists", existing, RW, OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, "old data",
         false},
        {"open always, missing", fresh, RW, OPEN_ALWAYS, true, ERROR_SUCCESS, "old data", true},
        {"truncate existing", existing, GENERIC_WRITE, TRUNCATE_EXISTING, true, ERROR_SUCCESS, "",
         false},
        {"truncate existing, missing", fresh, RW, TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND,
         "old data", false},
        {"truncate existing, no write access", existing, GENERIC_READ, TRUNCATE_EXISTING, false,
         ERROR_INVALID_PARAMETER, "old data", false},
        {"disposition 0", existing, RW, 0, false, ERROR_INVALID_PARAMETER, "old data", false},
        {"disposition 6", fresh, RW, 6, false, ERROR_INVALID_PARAMETER, "old data", false},
        {"missing folder", Prog("NoSuch\\new.txt"), RW, CREATE_ALWAYS, false, ERROR_PATH_NOT_FOUND,
         "old data", false},
        {"file as folder", existing + "\\new.txt", RW, CREATE_ALWAYS, false, ERROR_PATH_NOT_FOUND,
         "old data", false},
        {"folder opened", folder, GENERIC_READ, OPEN_EXISTING, false, ERROR_ACCESS_DENIED,
         "old data", false},
        {"folder replaced", folder, RW, CREATE_ALWAYS, false, ERROR_ACCESS_DENIED, "old data",
         false},
        {"file with separator", existing + "\\", GENERIC_READ, OPEN_EXISTING, false,
         ERROR_INVALID_NAME, "old data", false},
        {"new file with separator", fresh + "\\", RW, CREATE_ALWAYS, false, ERROR_INVALID_NAME,
         "old data", false},
        {"unmapped drive", "Q:\\new.txt", RW, CREATE_ALWAYS, false, ERROR_PATH_NOT_FOUND,
         "old data", false},
        {"read-only, write access", readOnly, GENERIC_WRITE, OPEN_EXISTING, false,
         ERROR_ACCESS_DENIED, "old data", false},
        {"read-only, read access", readOnly, GENERIC_READ, OPEN_EXISTING, true, ERROR_SUCCESS,
         "old data", false},
        {"read-only, replaced", readOnly, GENERIC_READ, CREATE_ALWAYS, false, ERROR_ACCESS_DENIED,
         "old data", false},
        {"device", "\\\\.\\VarnPlug0", RW, OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, "old data",
         false},
        {"empty name", "", RW, CREATE_ALWAYS, false, ERROR_PATH_NOT_FOUND, "old data", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Remove(kProgramFolder);
        MakeDir(folder);
        PutFile(existing, "old data");
        PutFile(readOnly, "read only");
        MakeReadOnly(readOnly);
        SetLastError(kUntouchedError);
        ScopedHandle file(Open(c.name, c.access, c.disposition));
        EXPECT_EQ(file.Valid(), c.opens);
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(GetFile(existing), c.existingAfter);
        EXPECT_EQ(Exists(fresh), c.newExists);
        EXPECT_EQ(GetFile(readOnly), "read only");
    }
}

TEST_F(FilesTest, CreateFileRejectsInvalidCharacters) {
    const std::string names[] = {
        Prog("a<b.txt"), Prog("a>b.txt"), Prog("a\"b.txt"), Prog("a|b.txt"),  Prog("a?b.txt"),
        Prog("a*b.txt"), Prog("a:b.txt"), Prog("a\tb.txt"), "C:\\x:y\\a.txt", "CC:\\a.txt"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        SetLastError(kUntouchedError);
        ScopedHandle file(Open(name, GENERIC_WRITE, CREATE_ALWAYS));
        EXPECT_FALSE(file.Valid());
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_NAME});
    }
    // Nothing was created under any spelling.
    DWORD error = 0;
    EXPECT_EQ(FindAll(Prog("a*"), error), std::vector<std::string>{});
    EXPECT_EQ(error, DWORD{ERROR_FILE_NOT_FOUND});
}

TEST_F(FilesTest, CreateFileWithNullNameFails) {
    SetLastError(kUntouchedError);
    EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_PATH_NOT_FOUND});
}

TEST_F(FilesTest, HandlesCloseTheirHostFiles) {
    const auto openDescriptors = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    PutFile(Prog("a.txt"), "a");
    const auto before = openDescriptors();
    HANDLE files[3];
    for (HANDLE& file : files) {
        file = Open(Prog("a.txt"), GENERIC_READ, OPEN_EXISTING);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
    }
    EXPECT_EQ(win32sim::OpenHandleCount(), 3u);
    EXPECT_EQ(openDescriptors(), before + 3);
    for (HANDLE file : files)
        EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(openDescriptors(), before);
    SetLastError(kUntouchedError);
    EXPECT_FALSE(CloseHandle(files[0]));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
}

// ---------------------------------------------------------------------------------------------
// ReadFile, WriteFile, SetFilePointer, GetFileSize

TEST_F(FilesTest, WriteThenReadBack) {
    ScopedHandle file(Open(Prog("data.bin"), GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS));
    ASSERT_TRUE(file.Valid());
    DWORD count = kUntouchedCount;
    EXPECT_TRUE(WriteFile(file.Get(), "hello world", 11, &count, nullptr));
    EXPECT_EQ(count, 11u);
    EXPECT_EQ(Position(file.Get()), 11u);
    SetLastError(kUntouchedError);
    EXPECT_EQ(SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN), 0u);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_SUCCESS});

    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    count = kUntouchedCount;
    SetLastError(kUntouchedError);
    EXPECT_TRUE(ReadFile(file.Get(), buffer, 5, &count, nullptr));
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(std::string(buffer, 6), "hello#");
    EXPECT_EQ(GetLastError(), kUntouchedError);
    // A read past the end is short, and one at the end succeeds with nothing.
    EXPECT_TRUE(ReadFile(file.Get(), buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(std::string(buffer, 6), " world");
    count = kUntouchedCount;
    EXPECT_TRUE(ReadFile(file.Get(), buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(ReadFile(file.Get(), nullptr, 0, &count, nullptr));
    EXPECT_EQ(count, 0u);

    DWORD high = kUntouchedCount;
    SetLastError(kUntouchedError);
    EXPECT_EQ(GetFileSize(file.Get(), &high), 11u);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_SUCCESS});
    EXPECT_EQ(GetFileSize(file.Get(), nullptr), 11u);
    // The bytes are on the drive.
    EXPECT_EQ(GetFile(Prog("data.bin")), "hello world");
}

TEST_F(FilesTest, WritingPastTheEndFillsTheGapWithZeros) {
    ScopedHandle file(Open(Prog("gap.bin"), GENERIC_WRITE, CREATE_NEW));
    ASSERT_TRUE(file.Valid());
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(file.Get(), "ab", 2, &count, nullptr));
    EXPECT_EQ(SetFilePointer(file.Get(), 3, nullptr, FILE_END), 5u);
    ASSERT_TRUE(WriteFile(file.Get(), "z", 1, &count, nullptr));
    EXPECT_EQ(GetFileSize(file.Get(), nullptr), 6u);
    // An empty write changes nothing.
    EXPECT_TRUE(WriteFile(file.Get(), nullptr, 0, &count, nullptr));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(GetFile(Prog("gap.bin")), std::string("ab\0\0\0z", 6));
}

TEST_F(FilesTest, AccessOfTheHandleIsEnforced) {
    PutFile(Prog("a.txt"), "abc");
    struct Case {
        const char* label;
        DWORD access;
        bool reads;
        bool writes;
    };
    const Case cases[] = {
        {"read", GENERIC_READ, true, false},
        {"write", GENERIC_WRITE, false, true},
        {"read and write", GENERIC_READ | GENERIC_WRITE, true, true},
        {"no access", 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ScopedHandle file(Open(Prog("a.txt"), c.access, OPEN_EXISTING));
        ASSERT_TRUE(file.Valid());
        char buffer[8] = {};
        DWORD count = kUntouchedCount;
        SetLastError(kUntouchedError);
        EXPECT_EQ(ReadFile(file.Get(), buffer, 1, &count, nullptr), c.reads ? TRUE : FALSE);
        EXPECT_EQ(count, c.reads ? 1u : 0u);
        EXPECT_EQ(GetLastError(), c.reads ? kUntouchedError : DWORD{ERROR_ACCESS_DENIED});
        count = kUntouchedCount;
        SetLastError(kUntouchedError);
        EXPECT_EQ(WriteFile(file.Get(), "X", 1, &count, nullptr), c.writes ? TRUE : FALSE);
        EXPECT_EQ(count, c.writes ? 1u : 0u);
        EXPECT_EQ(GetLastError(), c.writes ? kUntouchedError : DWORD{ERROR_ACCESS_DENIED});
        EXPECT_EQ(GetFileSize(file.Get(), nullptr), 3u);
    }
    // Only the handles with write access changed the second byte.
    EXPECT_EQ(GetFile(Prog("a.txt")), "XXc");
}

TEST_F(FilesTest, CallsOnHandlesThatAreNotFilesFail) {
    PutFile(Prog("a.txt"), "abc");
    WIN32_FIND_DATAA data;
    const HANDLE closed = Open(Prog("a.txt"), GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(closed, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(CloseHandle(closed)); // its value is no longer open
    const HANDLE search = FindFirstFileA(Prog("*").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    const HANDLE handles[] = {INVALID_HANDLE_VALUE, nullptr, search, closed};
    for (const HANDLE handle : handles) {
        SCOPED_TRACE(testing::Message() << "handle " << handle);
        char buffer[4];
        DWORD count = kUntouchedCount;
        SetLastError(kUntouchedError);
        EXPECT_FALSE(ReadFile(handle, buffer, 1, &count, nullptr));
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
        EXPECT_EQ(count, 0u);
        count = kUntouchedCount;
        SetLastError(kUntouchedError);
        EXPECT_FALSE(WriteFile(handle, "x", 1, &count, nullptr));
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
        EXPECT_EQ(count, 0u);
        SetLastError(kUntouchedError);
        EXPECT_EQ(SetFilePointer(handle, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
        DWORD high = kUntouchedCount;
        SetLastError(kUntouchedError);
        EXPECT_EQ(GetFileSize(handle, &high), INVALID_FILE_SIZE);
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
        EXPECT_EQ(high, kUntouchedCount);
    }
    EXPECT_TRUE(FindClose(search));
}

TEST_F(FilesTest, OverlappedTransfersAreRefused) {
    ScopedHandle file(Open(Prog("a.txt"), GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS));
    ASSERT_TRUE(file.Valid());
    OVERLAPPED overlapped{};
    char buffer[4];
    DWORD count = kUntouchedCount;
    SetLastError(kUntouchedError);
    EXPECT_FALSE(WriteFile(file.Get(), "abc", 3, &count, &overlapped));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
    EXPECT_EQ(count, 0u);
    SetLastError(kUntouchedError);
    EXPECT_FALSE(ReadFile(file.Get(), buffer, 3, &count, &overlapped));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
    EXPECT_EQ(GetFileSize(file.Get(), nullptr), 0u);
}

TEST_F(FilesTest, SetFilePointerMethodsAndErrors) {
    PutFile(Prog("ten.bin"), "0123456789");
    ScopedHandle file(Open(Prog("ten.bin"), GENERIC_READ, OPEN_EXISTING));
    ASSERT_TRUE(file.Valid());
    constexpr LONG kNoHigh = 0x7EADBEEF; // marks "no high part passed"
    struct Case {
        LONG low;
        LONG high; // kNoHigh: lpDistanceToMoveHigh is null
        DWORD method;
        DWORD result;
        DWORD error;
        LONG highAfter;
        std::uint64_t position; // afterwards; the pointer starts at 4
    };
    const Case cases[] = {
        {3, kNoHigh, FILE_BEGIN, 3, ERROR_SUCCESS, kNoHigh, 3},
        {3, kNoHigh, FILE_CURRENT, 7, ERROR_SUCCESS, kNoHigh, 7},
        {-2, kNoHigh, FILE_CURRENT, 2, ERROR_SUCCESS, kNoHigh, 2},
        {-1, kNoHigh, FILE_END, 9, ERROR_SUCCESS, kNoHigh, 9},
        {5, kNoHigh, FILE_END, 15, ERROR_SUCCESS, kNoHigh, 15},
        {0, kNoHigh, FILE_END, 10, ERROR_SUCCESS, kNoHigh, 10},
        {-5, kNoHigh, FILE_CURRENT, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK, kNoHigh, 4},
        {-11, kNoHigh, FILE_END, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK, kNoHigh, 4},
        {-1, kNoHigh, FILE_BEGIN, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK, kNoHigh, 4},
        {0, kNoHigh, 3, INVALID_SET_FILE_POINTER, ERROR_INVALID_PARAMETER, kNoHigh, 4},
        // With the high part the distance is 64 bits wide.
        {0, 1, FILE_BEGIN, 0, ERROR_SUCCESS, 1, 0x100000000},
        {-1, -1, FILE_CURRENT, 3, ERROR_SUCCESS, 0, 3},
        {5, 0, FILE_END, 15, ERROR_SUCCESS, 0, 15},
        // 0xFFFFFFFF is a position too: the last error tells it from a failure.
        {-1, 0, FILE_BEGIN, 0xFFFFFFFF, ERROR_SUCCESS, 0, 0xFFFFFFFF},
        {0, -1, FILE_BEGIN, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK, -1, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "low " << c.low << " high " << c.high << " method " << c.method);
        ASSERT_EQ(SetFilePointer(file.Get(), 4, nullptr, FILE_BEGIN), 4u);
        LONG high = c.high;
        SetLastError(kUntouchedError);
        EXPECT_EQ(SetFilePointer(file.Get(), c.low, c.high == kNoHigh ? nullptr : &high, c.method),
                  c.result);
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(high, c.highAfter);
        EXPECT_EQ(Position(file.Get()), c.position);
    }
    EXPECT_EQ(GetFileSize(file.Get(), nullptr), 10u); // seeking alone does not grow a file
}

TEST_F(FilesTest, GetFileSizeGivesTheHighPart) {
    ScopedHandle file(Open(Prog("big.bin"), GENERIC_READ | GENERIC_WRITE, CREATE_NEW));
    ASSERT_TRUE(file.Valid());
    DWORD count = 0;
    // 4 GiB - 1 bytes (sparse on the host): the low part equals INVALID_FILE_SIZE.
    LONG high = 0;
    ASSERT_EQ(SetFilePointer(file.Get(), -2, &high, FILE_BEGIN), 0xFFFFFFFEu);
    ASSERT_TRUE(WriteFile(file.Get(), "x", 1, &count, nullptr));
    DWORD sizeHigh = kUntouchedCount;
    SetLastError(kUntouchedError);
    EXPECT_EQ(GetFileSize(file.Get(), &sizeHigh), INVALID_FILE_SIZE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_SUCCESS});
    EXPECT_EQ(sizeHigh, 0u);
    // 4 GiB + 1 bytes.
    high = 1;
    ASSERT_EQ(SetFilePointer(file.Get(), 0, &high, FILE_BEGIN), 0u);
    ASSERT_TRUE(WriteFile(file.Get(), "y", 1, &count, nullptr));
    sizeHigh = kUntouchedCount;
    EXPECT_EQ(GetFileSize(file.Get(), &sizeHigh), 1u);
    EXPECT_EQ(sizeHigh, 1u);
    // Back below 4 GiB, a pointer beyond it does not fit 32 bits.
    EXPECT_EQ(SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN), 0u);
    SetLastError(kUntouchedError);
    EXPECT_EQ(SetFilePointer(file.Get(), 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
    EXPECT_EQ(Position(file.Get()), 0u);
}

// ---------------------------------------------------------------------------------------------
// GetFileAttributesA, DeleteFileA, MoveFileA, MoveFileExA, CopyFileA, FlushFileBuffers

TEST_F(FilesTest, GetFileAttributesOfEntriesAndErrors) {
    const std::string russian = Prog(Cp(cp1251::Literal("Справка.txt")));
    PutFile(Prog("Lang\\Rus.ini"), "[Labels]");
    PutFile(Prog("readonly.txt"), "r");
    MakeReadOnly(Prog("readonly.txt"));
    PutFile(russian, "help");
    struct Case {
        std::string name;
        DWORD attributes;
        DWORD error;
    };
    const Case cases[] = {
        {Prog("Lang"), FILE_ATTRIBUTE_DIRECTORY, kUntouchedError},
        {Prog("Lang\\"), FILE_ATTRIBUTE_DIRECTORY, kUntouchedError},
        {"C:\\", FILE_ATTRIBUTE_DIRECTORY, kUntouchedError},
        {"C:", FILE_ATTRIBUTE_DIRECTORY, kUntouchedError},
        {Prog("Lang\\Rus.ini"), FILE_ATTRIBUTE_ARCHIVE, kUntouchedError},
        {Prog("LANG\\RUS.INI"), FILE_ATTRIBUTE_ARCHIVE, kUntouchedError},
        {Prog(Cp(cp1251::Literal("СПРАВКА.TXT"))), FILE_ATTRIBUTE_ARCHIVE, kUntouchedError},
        {Prog("readonly.txt"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY, kUntouchedError},
        {Prog("missing.txt"), INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
        {Prog("missing\\"), INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
        {Prog("NoSuch\\missing.txt"), INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
        {Prog("Lang\\Rus.ini\\x"), INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
        {Prog("Lang\\Rus.ini\\"), INVALID_FILE_ATTRIBUTES, ERROR_INVALID_NAME},
        {"Q:\\x.txt", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
        {"Q:\\", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
        {Prog("a*.txt"), INVALID_FILE_ATTRIBUTES, ERROR_INVALID_NAME},
        {"", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(kUntouchedError);
        EXPECT_EQ(GetFileAttributesA(c.name.c_str()), c.attributes);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST_F(FilesTest, DeleteFileRemovesFilesOnly) {
    struct Case {
        std::string name;
        BOOL result;
        DWORD error;
        std::string gone; // "" when nothing may disappear
    };
    const Case cases[] = {
        {Prog("a.txt"), TRUE, kUntouchedError, Prog("a.txt")},
        {Prog("A.TXT"), TRUE, kUntouchedError, Prog("a.txt")},
        {Prog("missing.txt"), FALSE, ERROR_FILE_NOT_FOUND, ""},
        {Prog("NoSuch\\a.txt"), FALSE, ERROR_PATH_NOT_FOUND, ""},
        {Prog("Folder"), FALSE, ERROR_ACCESS_DENIED, ""},
        {Prog("readonly.txt"), FALSE, ERROR_ACCESS_DENIED, ""},
        {Prog("a?.txt"), FALSE, ERROR_INVALID_NAME, ""},
        {"Q:\\a.txt", FALSE, ERROR_PATH_NOT_FOUND, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Remove(kProgramFolder);
        PutFile(Prog("a.txt"), "a");
        PutFile(Prog("Folder\\inner.txt"), "i");
        PutFile(Prog("readonly.txt"), "r");
        MakeReadOnly(Prog("readonly.txt"));
        SetLastError(kUntouchedError);
        EXPECT_EQ(DeleteFileA(c.name.c_str()), c.result);
        EXPECT_EQ(GetLastError(), c.error);
        for (const std::string& path :
             {Prog("a.txt"), Prog("Folder\\inner.txt"), Prog("readonly.txt")})
            EXPECT_EQ(Exists(path), path != c.gone) << path;
    }
}

TEST_F(FilesTest, MoveFileRenamesFilesAndFolders) {
    MapDriveD();
    struct Case {
        const char* label;
        std::string from;
        std::string to;
        BOOL result;
        DWORD error;
        std::vector<std::pair<std::string, const char*>> after; // path, content or null: absent
    };
    const std::string a = Prog("a.txt");
    const std::string b = Prog("b.txt");
    const std::string inner = Prog("Dir\\inner.txt");
    const Case cases[] = {
        {"rename", a, Prog("c.txt"), TRUE, kUntouchedError, {{a, nullptr}, {Prog("c.txt"), "A"}}},
        {"into a folder",
         a,
         Prog("Dir\\a.txt"),
         TRUE,
         kUntouchedError,
         {{a, nullptr}, {Prog("Dir\\a.txt"), "A"}, {inner, "I"}}},
        {"target exists", a, b, FALSE, ERROR_ALREADY_EXISTS, {{a, "A"}, {b, "B"}}},
        {"target exists in other case",
         a,
         Prog("B.TXT"),
         FALSE,
         ERROR_ALREADY_EXISTS,
         {{a, "A"}, {b, "B"}}},
        {"target is a folder", a, Prog("Dir"), FALSE, ERROR_ALREADY_EXISTS, {{a, "A"}}},
        {"missing source",
         Prog("missing.txt"),
         Prog("c.txt"),
         FALSE,
         ERROR_FILE_NOT_FOUND,
         {{Prog("c.txt"), nullptr}}},
        {"missing source folder",
         Prog("NoSuch\\a.txt"),
         Prog("c.txt"),
         FALSE,
         ERROR_PATH_NOT_FOUND,
         {{Prog("c.txt"), nullptr}}},
        {"missing target folder",
         a,
         Prog("NoSuch\\c.txt"),
         FALSE,
         ERROR_PATH_NOT_FOUND,
         {{a, "A"}}},
        {"invalid target", a, Prog("c|d.txt"), FALSE, ERROR_INVALID_NAME, {{a, "A"}}},
        {"folder",
         Prog("Dir"),
         Prog("Moved"),
         TRUE,
         kUntouchedError,
         {{inner, nullptr}, {Prog("Moved\\inner.txt"), "I"}}},
        {"file to another drive",
         a,
         "D:\\a.txt",
         TRUE,
         kUntouchedError,
         {{a, nullptr}, {"D:\\a.txt", "A"}}},
        {"folder to another drive",
         Prog("Dir"),
         "D:\\Dir",
         FALSE,
         kErrorNotSameDevice,
         {{inner, "I"}, {"D:\\Dir\\inner.txt", nullptr}}},
        {"file to an unmapped drive", a, "Q:\\a.txt", FALSE, ERROR_PATH_NOT_FOUND, {{a, "A"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Remove(kProgramFolder);
        Remove("D:\\a.txt");
        PutFile(a, "A");
        PutFile(b, "B");
        PutFile(inner, "I");
        SetLastError(kUntouchedError);
        EXPECT_EQ(MoveFileA(c.from.c_str(), c.to.c_str()), c.result);
        EXPECT_EQ(GetLastError(), c.error);
        for (const auto& [path, content] : c.after) {
            SCOPED_TRACE(path);
            EXPECT_EQ(Exists(path), content != nullptr);
            if (content != nullptr) {
                EXPECT_EQ(GetFile(path), content);
            }
        }
    }
}

TEST_F(FilesTest, MoveFileExReplacesOnlyWhenAskedAndAllowed) {
    MapDriveD();
    struct Case {
        const char* label;
        std::string from;
        std::string to;
        DWORD flags;
        BOOL result;
        DWORD error;
        std::vector<std::pair<std::string, const char*>> after; // path, content or null: absent
    };
    const std::string a = Prog("a.txt");
    const std::string b = Prog("b.txt");
    const std::string readOnly = Prog("readonly.txt");
    const std::string inner = Prog("Dir\\inner.txt");
    constexpr DWORD replace = MOVEFILE_REPLACE_EXISTING;
    constexpr DWORD safe = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    const Case cases[] = {
        {"replaces", a, b, replace, TRUE, kUntouchedError, {{a, nullptr}, {b, "A"}}},
        {"replaces written through", a, b, safe, TRUE, kUntouchedError, {{a, nullptr}, {b, "A"}}},
        {"replaces in other case", a, Prog("B.TXT"), safe, TRUE, kUntouchedError, {{b, "A"}}},
        {"new target", a, Prog("c.txt"), safe, TRUE, kUntouchedError, {{Prog("c.txt"), "A"}}},
        {"no flags keep the target", a, b, 0, FALSE, ERROR_ALREADY_EXISTS, {{a, "A"}, {b, "B"}}},
        {"read-only target kept",
         a,
         readOnly,
         safe,
         FALSE,
         ERROR_ACCESS_DENIED,
         {{a, "A"}, {readOnly, "R"}}},
        {"folder target kept",
         a,
         Prog("Dir"),
         safe,
         FALSE,
         ERROR_ACCESS_DENIED,
         {{a, "A"}, {inner, "I"}}},
        {"missing source", Prog("missing.txt"), b, safe, FALSE, ERROR_FILE_NOT_FOUND, {{b, "B"}}},
        {"missing source folder",
         Prog("NoSuch\\a.txt"),
         b,
         safe,
         FALSE,
         ERROR_PATH_NOT_FOUND,
         {{b, "B"}}},
        {"missing target folder",
         a,
         Prog("NoSuch\\b.txt"),
         safe,
         FALSE,
         ERROR_PATH_NOT_FOUND,
         {{a, "A"}}},
        {"onto itself", a, a, safe, TRUE, kUntouchedError, {{a, "A"}}},
        {"another drive without copying",
         a,
         "D:\\a.txt",
         safe,
         FALSE,
         kErrorNotSameDevice,
         {{a, "A"}, {"D:\\a.txt", nullptr}}},
        {"another drive by copying",
         a,
         "D:\\a.txt",
         safe | MOVEFILE_COPY_ALLOWED,
         TRUE,
         kUntouchedError,
         {{a, nullptr}, {"D:\\a.txt", "A"}}},
        {"a restart's move is not simulated",
         a,
         b,
         replace | 0x4,
         FALSE,
         ERROR_INVALID_PARAMETER,
         {{a, "A"}, {b, "B"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        if (Exists(readOnly))
            SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
        Remove(kProgramFolder);
        Remove("D:\\a.txt");
        PutFile(a, "A");
        PutFile(b, "B");
        PutFile(readOnly, "R");
        MakeReadOnly(readOnly);
        PutFile(inner, "I");
        SetLastError(kUntouchedError);
        EXPECT_EQ(MoveFileExA(c.from.c_str(), c.to.c_str(), c.flags), c.result);
        EXPECT_EQ(GetLastError(), c.error);
        for (const auto& [path, content] : c.after) {
            SCOPED_TRACE(path);
            EXPECT_EQ(Exists(path), content != nullptr);
            if (content != nullptr) {
                EXPECT_EQ(GetFile(path), content);
            }
        }
    }
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FilesTest, MoveFileExCarriesTheReadOnlyAttribute) {
    PutFile(Prog("a.txt"), "A");
    PutFile(Prog("b.txt"), "B");
    MakeReadOnly(Prog("a.txt"));
    EXPECT_TRUE(MoveFileExA(Prog("a.txt").c_str(), Prog("b.txt").c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(GetFileAttributesA(Prog("b.txt").c_str()),
              DWORD{FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY});
    SetFileAttributesA(Prog("b.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FilesTest, FlushFileBuffersNeedsAWritableFile) {
    PutFile(Prog("a.txt"), "A");
    const ScopedHandle reading(Open(Prog("a.txt"), GENERIC_READ, OPEN_EXISTING));
    const ScopedHandle writing(Open(Prog("b.txt"), GENERIC_WRITE, CREATE_ALWAYS));
    ASSERT_TRUE(reading.Valid());
    ASSERT_TRUE(writing.Valid());
    SetLastError(kUntouchedError);
    EXPECT_TRUE(FlushFileBuffers(writing.Get()));
    EXPECT_EQ(GetLastError(), kUntouchedError);
    EXPECT_FALSE(FlushFileBuffers(reading.Get()));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
    EXPECT_FALSE(FlushFileBuffers(nullptr));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
}

TEST_F(FilesTest, MoveFileChangesTheCaseOfAName) {
    PutFile(Prog("rus.ini"), "r");
    SetLastError(kUntouchedError);
    EXPECT_TRUE(MoveFileA(Prog("rus.ini").c_str(), Prog("Rus.INI").c_str()));
    EXPECT_EQ(GetLastError(), kUntouchedError);
    DWORD error = 0;
    EXPECT_EQ(FindAll(Prog("*.ini"), error), std::vector<std::string>{"Rus.INI"});
    EXPECT_EQ(GetFile(Prog("rus.ini")), "r");
    // The very same name: nothing to do, and nothing lost.
    EXPECT_TRUE(MoveFileA(Prog("Rus.INI").c_str(), Prog("Rus.INI").c_str()));
    EXPECT_EQ(GetFile(Prog("Rus.INI")), "r");
}

TEST_F(FilesTest, MoveFileIntoItselfKeepsTheFolder) {
    PutFile(Prog("Dir\\inner.txt"), "I");
    SetLastError(kUntouchedError);
    EXPECT_FALSE(MoveFileA(Prog("Dir").c_str(), Prog("Dir\\Sub").c_str()));
    EXPECT_NE(GetLastError(), kUntouchedError);
    EXPECT_NE(GetLastError(), DWORD{ERROR_SUCCESS});
    EXPECT_EQ(GetFile(Prog("Dir\\inner.txt")), "I");
}

TEST_F(FilesTest, CopyFileCopiesOrRefuses) {
    MapDriveD();
    struct Case {
        const char* label;
        std::string from;
        std::string to;
        BOOL failIfExists;
        BOOL result;
        DWORD error;
        std::vector<std::pair<std::string, const char*>> after; // path, content or null: absent
    };
    const std::string a = Prog("a.txt");
    const std::string b = Prog("b.txt");
    const std::string c = Prog("c.txt");
    const std::string readOnly = Prog("readonly.txt");
    const Case cases[] = {
        {"new target", a, c, TRUE, TRUE, kUntouchedError, {{a, "A"}, {c, "A"}}},
        {"existing target kept", a, b, TRUE, FALSE, ERROR_FILE_EXISTS, {{a, "A"}, {b, "B"}}},
        {"existing target in other case kept",
         a,
         Prog("B.TXT"),
         TRUE,
         FALSE,
         ERROR_FILE_EXISTS,
         {{b, "B"}}},
        {"existing target replaced", a, b, FALSE, TRUE, kUntouchedError, {{a, "A"}, {b, "A"}}},
        {"onto itself", a, Prog("A.TXT"), FALSE, FALSE, kErrorSharingViolation, {{a, "A"}}},
        {"onto itself, fail if exists", a, a, TRUE, FALSE, ERROR_FILE_EXISTS, {{a, "A"}}},
        {"missing source",
         Prog("missing.txt"),
         c,
         FALSE,
         FALSE,
         ERROR_FILE_NOT_FOUND,
         {{c, nullptr}}},
        {"missing source folder",
         Prog("NoSuch\\a.txt"),
         c,
         FALSE,
         FALSE,
         ERROR_PATH_NOT_FOUND,
         {{c, nullptr}}},
        {"folder as source", Prog("Dir"), c, FALSE, FALSE, ERROR_ACCESS_DENIED, {{c, nullptr}}},
        {"folder as target", a, Prog("Dir"), FALSE, FALSE, ERROR_ACCESS_DENIED, {{a, "A"}}},
        {"folder as target, fail if exists",
         a,
         Prog("Dir"),
         TRUE,
         FALSE,
         ERROR_FILE_EXISTS,
         {{a, "A"}}},
        {"read-only target", a, readOnly, FALSE, FALSE, ERROR_ACCESS_DENIED, {{readOnly, "R"}}},
        {"missing target folder",
         a,
         Prog("NoSuch\\c.txt"),
         FALSE,
         FALSE,
         ERROR_PATH_NOT_FOUND,
         {{a, "A"}}},
        {"target with separator", a, c + "\\", FALSE, FALSE, ERROR_INVALID_NAME, {{c, nullptr}}},
        {"another drive",
         a,
         "D:\\c.txt",
         FALSE,
         TRUE,
         kUntouchedError,
         {{a, "A"}, {"D:\\c.txt", "A"}}},
        {"read-only source", readOnly, c, FALSE, TRUE, kUntouchedError, {{c, "R"}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.label);
        Remove(kProgramFolder);
        Remove("D:\\c.txt");
        PutFile(a, "A");
        PutFile(b, "B");
        PutFile(readOnly, "R");
        MakeReadOnly(readOnly);
        MakeDir(Prog("Dir"));
        SetLastError(kUntouchedError);
        EXPECT_EQ(CopyFileA(k.from.c_str(), k.to.c_str(), k.failIfExists), k.result);
        EXPECT_EQ(GetLastError(), k.error);
        for (const auto& [path, content] : k.after) {
            SCOPED_TRACE(path);
            EXPECT_EQ(Exists(path), content != nullptr);
            if (content != nullptr) {
                EXPECT_EQ(GetFile(path), content);
            }
        }
    }
}

TEST_F(FilesTest, CopyOfAReadOnlyFileIsReadOnly) {
    PutFile(Prog("readonly.txt"), "R");
    MakeReadOnly(Prog("readonly.txt"));
    ASSERT_TRUE(CopyFileA(Prog("readonly.txt").c_str(), Prog("copy.txt").c_str(), TRUE));
    EXPECT_EQ(GetFileAttributesA(Prog("copy.txt").c_str()),
              DWORD{FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY});
}

// ---------------------------------------------------------------------------------------------
// FindFirstFileA, FindNextFileA, FindClose

class FindTest : public FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        PutFile(Prog("Lang\\Rus.ini"), "12345");
        PutFile(Prog("Lang\\Eng.INI"), "123");
        PutFile(Prog("Lang\\readme.txt"), "");
        PutFile(Prog("Lang\\data.bin.bak"), "1");
        PutFile(Prog("Lang\\noext"), "");
        PutFile(Prog("Lang\\" + Cp(cp1251::Literal("Русский.ini"))), "");
        MakeDir(Prog("Lang\\Sub"));
    }
};

TEST_F(FindTest, PatternsMatchAsWindowsMatchesThem) {
    const std::string russian = Cp(cp1251::Literal("Русский.ini"));
    using Names = std::vector<std::string>;
    const Names all = {".",          "..",      "data.bin.bak", "Eng.INI", "noext",
                       "readme.txt", "Rus.ini", "Sub",          russian};
    struct Case {
        std::string pattern;
        Names names;
    };
    const Case cases[] = {
        {"*", all},
        {"*.*", all},
        {"*.ini", {"Eng.INI", "Rus.ini", russian}},
        {"*.INI", {"Eng.INI", "Rus.ini", russian}},
        {"RUS.INI", {"Rus.ini"}},
        {"?us.ini", {"Rus.ini"}},
        {"r*", {"readme.txt", "Rus.ini"}},
        {"*.bak", {"data.bin.bak"}},
        {"data.*", {"data.bin.bak"}},
        {"noext.*", {"noext"}},
        {"*.", {".", "..", "noext", "Sub"}},
        {"sub", {"Sub"}},
        {Cp(cp1251::Literal("РУССКИЙ.*")), {russian}},
        {Cp(cp1251::Literal("р??????.ini")), {russian}},
        {"*.xyz", {}},
        {"Rus.ini.bak", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        DWORD error = 0;
        EXPECT_EQ(FindAll(Prog("Lang\\" + c.pattern), error), c.names);
        EXPECT_EQ(error,
                  static_cast<DWORD>(c.names.empty() ? ERROR_FILE_NOT_FOUND : ERROR_NO_MORE_FILES));
    }
}

TEST_F(FindTest, FolderPartIsResolvedLikeAnyPath) {
    using Names = std::vector<std::string>;
    MapDriveD();
    PutFile("D:\\x.bin", "x");
    struct Case {
        std::string name;
        Names names;
        DWORD error;
    };
    const Case cases[] = {
        {"C:\\TAVRIN RC\\lang\\r*.ini", {"Rus.ini"}, ERROR_NO_MORE_FILES},
        {"c:/tavrin rc/lang/e*", {"Eng.INI"}, ERROR_NO_MORE_FILES},
        {"C:\\*", {"DriveD", "Tavrin RC"}, ERROR_NO_MORE_FILES}, // no "." ".." at a root
        {"D:*", {"x.bin"}, ERROR_NO_MORE_FILES},
        {"C:\\NoSuch\\*", {}, ERROR_PATH_NOT_FOUND},
        {"Q:\\*", {}, ERROR_PATH_NOT_FOUND},
        {Prog("Lang\\Rus.ini\\*"), {}, ERROR_PATH_NOT_FOUND},
        {Prog("Lang\\"), {}, ERROR_FILE_NOT_FOUND},
        {Prog("Lang\\a|*"), {}, ERROR_INVALID_NAME},
        {Prog("La:ng\\*"), {}, ERROR_INVALID_NAME},
        {"", {}, ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DWORD error = 0;
        EXPECT_EQ(FindAll(c.name, error), c.names);
        EXPECT_EQ(error, c.error);
    }
}

TEST_F(FindTest, RelativePatternsSearchTheCurrentDirectory) {
    ASSERT_TRUE(SetCurrentDirectoryA(Prog("Lang").c_str()));
    DWORD error = 0;
    EXPECT_EQ(FindAll("e*.ini", error), std::vector<std::string>{"Eng.INI"});
    EXPECT_EQ(FindAll("..\\Lang\\e*.ini", error), std::vector<std::string>{"Eng.INI"});
    EXPECT_EQ(FindAll("Sub\\*", error), (std::vector<std::string>{".", ".."}));
}

TEST_F(FindTest, FindDataDescribesEachEntry) {
    PutFile(Prog("Lang\\readonly.txt"), "ro");
    MakeReadOnly(Prog("Lang\\readonly.txt"));
    struct Case {
        const char* pattern;
        const char* name;
        DWORD attributes;
        DWORD size;
    };
    const Case cases[] = {
        {".", ".", FILE_ATTRIBUTE_DIRECTORY, 0},
        {"rus.ini", "Rus.ini", FILE_ATTRIBUTE_ARCHIVE, 5},
        {"eng.ini", "Eng.INI", FILE_ATTRIBUTE_ARCHIVE, 3},
        {"Sub", "Sub", FILE_ATTRIBUTE_DIRECTORY, 0},
        {"readonly.txt", "readonly.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        WIN32_FIND_DATAA data;
        std::memset(&data, 0xAB, sizeof data);
        SetLastError(kUntouchedError);
        const HANDLE search =
            FindFirstFileA(Prog(std::string("Lang\\") + c.pattern).c_str(), &data);
        ASSERT_NE(search, INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), kUntouchedError);
        EXPECT_STREQ(data.cFileName, c.name);
        EXPECT_STREQ(data.cAlternateFileName, "");
        EXPECT_EQ(data.dwFileAttributes, c.attributes);
        EXPECT_EQ(data.nFileSizeLow, c.size);
        EXPECT_EQ(data.nFileSizeHigh, 0u);
        EXPECT_TRUE(FindClose(search));
    }
}

TEST_F(FindTest, SearchIsASnapshotTakenAtTheFirstCall) {
    WIN32_FIND_DATAA data;
    const HANDLE search = FindFirstFileA(Prog("Lang\\*.ini").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "Eng.INI");
    ASSERT_TRUE(DeleteFileA(Prog("Lang\\Rus.ini").c_str()));
    PutFile(Prog("Lang\\Added.ini"), "");
    std::vector<std::string> rest;
    while (FindNextFileA(search, &data))
        rest.push_back(data.cFileName);
    EXPECT_EQ(rest, (std::vector<std::string>{"Rus.ini", Cp(cp1251::Literal("Русский.ini"))}));
    // At the end it stays at the end.
    SetLastError(kUntouchedError);
    EXPECT_FALSE(FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_NO_MORE_FILES});
    EXPECT_TRUE(FindClose(search));
}

TEST_F(FindTest, SearchHandlesCloseThroughFindCloseOnly) {
    WIN32_FIND_DATAA data;
    const HANDLE search = FindFirstFileA(Prog("Lang\\*").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    ScopedHandle file(Open(Prog("Lang\\Rus.ini"), GENERIC_READ, OPEN_EXISTING));
    ASSERT_TRUE(file.Valid());

    SetLastError(kUntouchedError);
    EXPECT_FALSE(CloseHandle(search));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    SetLastError(kUntouchedError);
    EXPECT_FALSE(FindClose(file.Get()));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    SetLastError(kUntouchedError);
    EXPECT_FALSE(FindNextFileA(file.Get(), &data));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    SetLastError(kUntouchedError);
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});

    EXPECT_EQ(win32sim::OpenHandleCount(), 2u);
    EXPECT_TRUE(FindClose(search));
    EXPECT_EQ(win32sim::OpenHandleCount(), 1u);
    SetLastError(kUntouchedError);
    EXPECT_FALSE(FindClose(search));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    SetLastError(kUntouchedError);
    EXPECT_FALSE(FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
}

TEST_F(FindTest, NullFindDataIsRefused) {
    SetLastError(kUntouchedError);
    EXPECT_EQ(FindFirstFileA(Prog("Lang\\*").c_str(), nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
}

// ---------------------------------------------------------------------------------------------
// GetModuleFileNameA

TEST_F(FilesTest, GetModuleFileNameTruncatesAsWindowsDoes) {
    const std::string path = kProgramPath; // 26 characters
    ASSERT_EQ(path.size(), 26u);
    struct Case {
        DWORD size;
        DWORD result;
        DWORD error;
        std::string text; // the buffer afterwards
    };
    const Case cases[] = {
        {100, 26, kUntouchedError, path},
        {27, 26, kUntouchedError, path},
        {26, 26, ERROR_INSUFFICIENT_BUFFER, path.substr(0, 25)},
        {4, 4, ERROR_INSUFFICIENT_BUFFER, "C:\\"},
        {1, 1, ERROR_INSUFFICIENT_BUFFER, ""},
        {0, 0, ERROR_INSUFFICIENT_BUFFER, "########"},
    };
    const HMODULE modules[] = {nullptr, reinterpret_cast<HMODULE>(0x400000)};
    for (const HMODULE module : modules) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "module " << module << " size " << c.size);
            char buffer[128];
            std::memset(buffer, '#', sizeof buffer);
            buffer[sizeof buffer - 1] = '\0';
            buffer[8] = '\0';
            SetLastError(kUntouchedError);
            EXPECT_EQ(GetModuleFileNameA(module, buffer, c.size), c.result);
            EXPECT_EQ(GetLastError(), c.error);
            EXPECT_EQ(std::string(buffer), c.text);
            if (c.size > 0 && c.size < 9) {
                EXPECT_EQ(buffer[c.size], '#') << "written past the size given";
            }
        }
    }
}

TEST_F(FilesTest, ProgramPathFollowsTheControlAndTheReset) {
    char buffer[MAX_PATH];
    win32sim::SetProgramPath("D:\\Orlimax\\Orlimax.exe");
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, MAX_PATH), 22u);
    EXPECT_STREQ(buffer, "D:\\Orlimax\\Orlimax.exe");
    win32sim::ResetMachine();
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, MAX_PATH), 14u);
    EXPECT_STREQ(buffer, "C:\\Program.exe");
}

} // namespace
