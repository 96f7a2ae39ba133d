// The fixture of the conformance tables: a fresh scratch folder and the test's own windows, made
// through the stand-in's controls on the host and by Windows itself in the Windows test build.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace conformance {

// Which side the tables run on: the real Win32 (under Wine) or the stand-in.
#ifdef _WIN32
inline constexpr bool kRealWin32 = true;
#else
inline constexpr bool kRealWin32 = false;
#endif

// What a call leaves in the last error when it does not set one.
inline constexpr DWORD kStaleError = 0xDEADBEEF;

// A known difference of one row, with its reason: only the side named skips the row.
struct Differs {
    const char* wine = nullptr;    // Wine is known to differ from Windows here
    const char* standIn = nullptr; // the stand-in differs on purpose
};

// Whether this side skips the row; the reason goes to the test's output.
bool Skipped(const Differs& differs);

// The test's own window procedure; it sees the messages from WM_USER on, the platform's
// defaults answer the rest.
using MessageProc = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct WindowOptions {
    std::string className = "ConformanceWindow"; // CP1251
    std::string caption = "Conformance";
    bool visible = true;
    RECT bounds{100, 100, 300, 200};
    MessageProc proc = nullptr;
};

class ConformanceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The scratch folder, a Windows path with the trailing backslash.
    const std::string& Scratch() const { return scratch_; }
    std::string At(const std::string& relative) const { return scratch_ + relative; }

    // Files in the scratch folder, through CreateFileA, ReadFile and WriteFile.
    void PutFile(const std::string& relative, const std::string& bytes);
    std::string GetFile(const std::string& relative);
    void MakeFolder(const std::string& relative);

    // A visible (or hidden) top-level popup window of the calling thread; destroyed at the end.
    HWND MakeWindow(const WindowOptions& options = {});
    void DestroyMadeWindow(HWND window);

private:
    std::string scratch_;
    std::vector<HWND> windows_;
};

// What each side implements (fixture_host.cpp, fixture_windows.cpp).
namespace side {
void BeginTest();
void EndTest();
std::string MakeScratchFolder();
void RemoveScratchFolder(const std::string& folder);
bool MakeFolder(const std::string& windowsPath);
HWND MakeWindow(const WindowOptions& options);
void DestroyWindowMade(HWND window);
} // namespace side

} // namespace conformance
