// The fixture's host side: a fresh simulated machine, drive C: on a host temporary folder, and
// windows made through the desktop's controls, as the toolkit makes them.
#include "conformance_fixture.h"

#include "win32sim/desktop.h"
#include "win32sim/machine.h"
#include "win32sim/regions.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace conformance::side {
namespace {
std::string hostRoot; // behind C:\ .
} // namespace

void BeginTest() {
    win32sim::ResetMachine();
}

void EndTest() {
    EXPECT_EQ(win32sim::OpenHandleCount(), 0u) << "handles left open";
    EXPECT_EQ(win32sim::HeldGdiObjectCount(), 0u) << "regions left undeleted";
    win32sim::ResetMachine();
}

std::string MakeScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "conformance-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return {};
    hostRoot = pattern;
    win32sim::MapDrive('C', hostRoot);
    const std::string folder = "C:\\Conformance\\";
    return MakeFolder(folder) ? folder : std::string();
}

void RemoveScratchFolder(const std::string&) {
    std::error_code ignored;
    fs::remove_all(hostRoot, ignored);
}

bool MakeFolder(const std::string& windowsPath) {
    const std::string host = win32sim::HostPath(windowsPath);
    std::error_code error;
    return !host.empty() && fs::create_directory(host, error);
}

HWND MakeWindow(const WindowOptions& options) {
    win32sim::WindowSpec spec;
    spec.className = options.className;
    spec.caption = options.caption;
    spec.visible = options.visible;
    spec.bounds = options.bounds;
    const MessageProc proc = options.proc;
    return win32sim::CreateOwnWindow(spec, [proc](HWND w, UINT m, WPARAM wp, LPARAM lp) {
        return proc != nullptr && m >= WM_USER ? proc(w, m, wp, lp) : LRESULT{0};
    });
}

void DestroyWindowMade(HWND window) {
    win32sim::RemoveWindow(window);
}

} // namespace conformance::side
