// The fixture's common part: the scratch folder's files through Win32 itself.
#include "conformance_fixture.h"

#include <algorithm>
#include <cstdio>

namespace conformance {

bool Skipped(const Differs& differs) {
    const char* reason = kRealWin32 ? differs.wine : differs.standIn;
    if (reason == nullptr)
        return false;
    std::printf("[ SKIPPED ROW ] %s: %s\n", kRealWin32 ? "Wine differs" : "stand-in differs",
                reason);
    return true;
}

void ConformanceTest::SetUp() {
    side::BeginTest();
    scratch_ = side::MakeScratchFolder();
    ASSERT_FALSE(scratch_.empty());
}

void ConformanceTest::TearDown() {
    for (const HWND w : windows_)
        side::DestroyWindowMade(w);
    windows_.clear();
    side::RemoveScratchFolder(scratch_);
    side::EndTest();
}

void ConformanceTest::PutFile(const std::string& relative, const std::string& bytes) {
    const HANDLE file = CreateFileA(At(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << relative << " error " << GetLastError();
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(ok) << relative;
    ASSERT_EQ(written, bytes.size()) << relative;
}

std::string ConformanceTest::GetFile(const std::string& relative) {
    const HANDLE file = CreateFileA(At(relative).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << "no file " << relative;
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes;
    char chunk[4096];
    DWORD n = 0;
    while (ReadFile(file, chunk, sizeof chunk, &n, nullptr) && n > 0)
        bytes.append(chunk, n);
    CloseHandle(file);
    return bytes;
}

void ConformanceTest::MakeFolder(const std::string& relative) {
    ASSERT_TRUE(side::MakeFolder(At(relative))) << relative;
}

HWND ConformanceTest::MakeWindow(const WindowOptions& options) {
    const HWND w = side::MakeWindow(options);
    EXPECT_NE(w, nullptr) << options.className;
    if (w != nullptr)
        windows_.push_back(w);
    return w;
}

void ConformanceTest::DestroyMadeWindow(HWND window) {
    const auto it = std::find(windows_.begin(), windows_.end(), window);
    ASSERT_NE(it, windows_.end());
    windows_.erase(it);
    side::DestroyWindowMade(window);
}

} // namespace conformance
