// The fuzz targets' fresh machine.
#include "fuzz_machine.h"

#include "runtime_state.h"
#include "win32sim/machine.h"
#include "win32sim/message_boxes.h"

#include <toolkitsim/control.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace fuzz_support {
namespace {

// Kept to the very end of the process: the exit handler that removes the folder needs it.
const std::string& DriveRoot() {
    static const std::string* const root = [] {
        std::string pattern = (fs::temp_directory_path() / "fuzzdrive-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(DriveRoot(), ignored);
        });
        return new std::string(pattern);
    }();
    return *root;
}

} // namespace

void FreshMachine() {
    win32sim::ResetMachine();
    std::error_code ignored;
    for (const fs::directory_entry& entry : fs::directory_iterator(DriveRoot(), ignored))
        fs::remove_all(entry.path(), ignored);
    win32sim::MapDrive('C', DriveRoot());
    win32sim::SetProgramPath(kProgramPath);
    fs::create_directories(win32sim::HostPath(kProgramFolder), ignored);
    win32sim::SetUnansweredMessageBoxHandler([](const win32sim::MessageBoxShown&) { return IDOK; });
}

void FreshRuntime() {
    FreshMachine();
    toolkitsim::Reset();
    toolkitsim::SetScreen(1024, 768);
    ResetRuntimeState();
}

void EndRuntime() {
    toolkitsim::Reset();
    ResetRuntimeState();
}

bool PutFile(const std::string& windowsPath, const std::string& bytes) {
    const fs::path host = win32sim::HostPath(windowsPath);
    if (host.empty())
        return false;
    std::error_code ignored;
    fs::create_directories(host.parent_path(), ignored);
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

std::string GetFile(const std::string& windowsPath) {
    const std::string host = win32sim::HostPath(windowsPath);
    if (host.empty())
        return {};
    std::ifstream in(host, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace fuzz_support
