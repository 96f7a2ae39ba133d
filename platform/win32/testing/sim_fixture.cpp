// The simulated-machine fixture.
#include "sim_fixture.h"
#include "win32sim/message_boxes.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

void SimMachineTest::SetUp() {
    win32sim::ResetMachine();
    std::string pattern = (fs::temp_directory_path() / "simdrive-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    hostRoot = pattern;
    win32sim::MapDrive('C', hostRoot);
    win32sim::SetProgramPath(kProgramPath);
    MakeDir(kProgramFolder);
    // A box the test did not script an answer for is a failure of the test, not a hang.
    win32sim::SetUnansweredMessageBoxHandler([](const win32sim::MessageBoxShown& box) {
        ADD_FAILURE() << "message box with no scripted answer: caption \"" << box.caption
                      << "\", text \"" << box.text << "\"";
        return 0;
    });
}

void SimMachineTest::TearDown() {
    // Every handle the code under test opened must be closed again.
    EXPECT_EQ(win32sim::OpenHandleCount(), 0u) << "handles left open";
    EXPECT_EQ(win32sim::PendingMessageBoxAnswers(), 0u) << "scripted answers no box used";
    win32sim::ResetMachine();
    std::error_code ignored;
    fs::remove_all(hostRoot, ignored);
}

void SimMachineTest::PutFile(const std::string& windowsPath, const std::string& bytes) {
    const fs::path host = win32sim::HostPath(windowsPath);
    ASSERT_FALSE(host.empty()) << windowsPath;
    fs::create_directories(host.parent_path());
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << windowsPath;
}

std::string SimMachineTest::GetFile(const std::string& windowsPath) {
    const std::string host = win32sim::HostPath(windowsPath);
    std::ifstream in(host, std::ios::binary);
    EXPECT_TRUE(in.good()) << "no file " << windowsPath;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool SimMachineTest::Exists(const std::string& windowsPath) {
    const std::string host = win32sim::HostPath(windowsPath);
    return !host.empty() && fs::exists(host);
}

void SimMachineTest::MakeDir(const std::string& windowsPath) {
    const std::string host = win32sim::HostPath(windowsPath);
    ASSERT_FALSE(host.empty()) << windowsPath;
    fs::create_directories(host);
}

void SimMachineTest::Remove(const std::string& windowsPath) {
    const std::string host = win32sim::HostPath(windowsPath);
    std::error_code ignored;
    fs::remove_all(host, ignored);
}
