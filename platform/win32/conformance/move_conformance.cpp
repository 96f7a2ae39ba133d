// Conformance tables of replacing a file in one step: MoveFileExA and FlushFileBuffers.
#include "conformance_fixture.h"

#include <string>
#include <vector>

namespace conformance {
namespace {

class MoveConformance : public ConformanceTest {
protected:
    void SetUp() override {
        ConformanceTest::SetUp();
        Refill();
    }
    void TearDown() override {
        // A read-only file would outlive the scratch folder's removal on Windows.
        SetFileAttributesA(At("readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
        ConformanceTest::TearDown();
    }

    // The same files before every row: a, b, a read-only file and a folder with a file.
    void Refill() {
        for (const char* name : {"a.txt", "b.txt", "c.txt", "readonly.txt"}) {
            SetFileAttributesA(At(name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(At(name).c_str());
        }
        PutFile("a.txt", "A");
        PutFile("b.txt", "B");
        PutFile("readonly.txt", "R");
        ASSERT_TRUE(SetFileAttributesA(At("readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
        if (GetFileAttributesA(At("Dir").c_str()) == INVALID_FILE_ATTRIBUTES)
            MakeFolder("Dir");
        PutFile("Dir\\inner.txt", "I");
    }

    bool Exists(const std::string& relative) {
        return GetFileAttributesA(At(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
};

TEST_F(MoveConformance, MoveFileExReplacesInOneStep) {
    constexpr DWORD replace = MOVEFILE_REPLACE_EXISTING;
    constexpr DWORD safe = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    const struct {
        const char* label;
        const char* from;
        const char* to;
        DWORD flags;
        BOOL result;
        DWORD error;
        std::vector<std::pair<std::string, const char*>> after; // name, content or null: absent
        Differs differs;
    } cases[] = {
        {"replaces",
         "a.txt",
         "b.txt",
         replace,
         TRUE,
         kStaleError,
         {{"a.txt", nullptr}, {"b.txt", "A"}},
         {}},
        {"replaces written through",
         "a.txt",
         "b.txt",
         safe,
         TRUE,
         kStaleError,
         {{"a.txt", nullptr}, {"b.txt", "A"}},
         {}},
        {"replaces a name in other case",
         "a.txt",
         "B.TXT",
         safe,
         TRUE,
         kStaleError,
         {{"a.txt", nullptr}, {"b.txt", "A"}},
         {}},
        {"new target",
         "a.txt",
         "c.txt",
         safe,
         TRUE,
         kStaleError,
         {{"a.txt", nullptr}, {"c.txt", "A"}},
         {}},
        {"without the flag the target stays",
         "a.txt",
         "b.txt",
         0,
         FALSE,
         ERROR_ALREADY_EXISTS,
         {{"a.txt", "A"}, {"b.txt", "B"}},
         {}},
        {"a read-only target stays",
         "a.txt",
         "readonly.txt",
         safe,
         FALSE,
         ERROR_ACCESS_DENIED,
         {{"a.txt", "A"}, {"readonly.txt", "R"}},
         {"Wine replaces a read-only target, whose attribute is only the host file's mode; "
          "Windows refuses with ERROR_ACCESS_DENIED"}},
        {"a folder target stays",
         "a.txt",
         "Dir",
         safe,
         FALSE,
         ERROR_ACCESS_DENIED,
         {{"a.txt", "A"}, {"Dir\\inner.txt", "I"}},
         {}},
        {"missing source",
         "missing.txt",
         "b.txt",
         safe,
         FALSE,
         ERROR_FILE_NOT_FOUND,
         {{"b.txt", "B"}},
         {}},
        {"source in a missing folder",
         "NoSuch\\a.txt",
         "b.txt",
         safe,
         FALSE,
         ERROR_PATH_NOT_FOUND,
         {{"b.txt", "B"}},
         {}},
        {"target in a missing folder",
         "a.txt",
         "NoSuch\\b.txt",
         safe,
         FALSE,
         ERROR_PATH_NOT_FOUND,
         {{"a.txt", "A"}},
         {}},
        {"a read-only source replaces",
         "readonly.txt",
         "b.txt",
         safe,
         TRUE,
         kStaleError,
         {{"readonly.txt", nullptr}, {"b.txt", "R"}},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        if (Skipped(c.differs))
            continue;
        Refill();
        SetLastError(kStaleError);
        EXPECT_EQ(MoveFileExA(At(c.from).c_str(), At(c.to).c_str(), c.flags), c.result);
        if (!c.result) {
            EXPECT_EQ(GetLastError(), c.error);
        }
        for (const auto& [name, content] : c.after) {
            SCOPED_TRACE(name);
            EXPECT_EQ(Exists(name), content != nullptr);
            if (content != nullptr) {
                EXPECT_EQ(GetFile(name), content);
            }
        }
    }
}

TEST_F(MoveConformance, FlushFileBuffersNeedsWriteAccess) {
    const HANDLE reading = CreateFileA(At("a.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const HANDLE writing = CreateFileA(At("c.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reading, INVALID_HANDLE_VALUE);
    ASSERT_NE(writing, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(writing, "new", 3, &written, nullptr));
    EXPECT_TRUE(FlushFileBuffers(writing));
    SetLastError(kStaleError);
    EXPECT_FALSE(FlushFileBuffers(reading));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(CloseHandle(reading));
    EXPECT_TRUE(CloseHandle(writing));
    EXPECT_EQ(GetFile("c.txt"), "new");
}

} // namespace
} // namespace conformance
