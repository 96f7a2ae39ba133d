// The fault table's driver: the stand-in's write budget for a full disk, the read-only
// attribute, and fork with SIGKILL for a process killed while it writes.
#include "writer_faults.h"

#include "win32sim/machine.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;

std::optional<std::string> Contents(const std::string& windowsPath) {
    const std::string host = win32sim::HostPath(windowsPath);
    std::error_code error;
    if (host.empty() || !fs::is_regular_file(host, error))
        return std::nullopt;
    std::ifstream in(host, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Restore(const std::string& windowsPath, const std::string& bytes) {
    SetFileAttributesA(windowsPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ofstream(win32sim::HostPath(windowsPath), std::ios::binary | std::ios::trunc) << bytes;
}

// What a writer leaves beside its target while it writes (the shared safe writer's name).
bool LeftBeside(const std::string& windowsPath) {
    return Contents(windowsPath + ".new").has_value();
}

std::string Describe(const std::optional<std::string>& bytes) {
    return bytes ? std::to_string(bytes->size()) + " bytes" : std::string("no file");
}

} // namespace

void CheckWriterUnderFullDiskAndReadOnlyTarget(const TWriterUnderTest& writer) {
    SCOPED_TRACE(writer.label);
    writer.prepare();
    const std::optional<std::string> old = Contents(writer.file);
    ASSERT_TRUE(old.has_value()) << "prepare puts no earlier file";

    win32sim::SetWriteBudget(std::nullopt);
    writer.choose(false);
    ASSERT_TRUE(writer.write());
    const std::optional<std::string> fresh = Contents(writer.file);
    ASSERT_TRUE(fresh.has_value());
    ASSERT_NE(*fresh, *old) << "the new contents must differ from the earlier ones";
    ASSERT_GT(fresh->size(), 1u);
    const std::uint64_t size = fresh->size();

    const std::optional<std::string> afterFailure = writer.removedOnFailure ? std::nullopt : old;
    const struct {
        const char* label;
        std::optional<std::uint64_t> budget;
        bool readOnly;
    } faults[] = {
        {"disk full at the start", 0, false},
        {"disk full half way", size / 2, false},
        {"disk full just before the end", size - 1, false},
        {"read-only target", std::nullopt, true},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.label);
        Restore(writer.file, *old);
        if (fault.readOnly) {
            ASSERT_TRUE(SetFileAttributesA(writer.file.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        win32sim::SetWriteBudget(fault.budget);
        const bool reported = !writer.write();
        win32sim::SetWriteBudget(std::nullopt);
        EXPECT_TRUE(reported) << "the failure was not reported";
        const std::optional<std::string> now = Contents(writer.file);
        EXPECT_EQ(now, afterFailure)
            << "holds " << Describe(now) << ", the earlier file " << Describe(old);
        EXPECT_FALSE(LeftBeside(writer.file));
        SetFileAttributesA(writer.file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }

    // The fault is gone: the same writer succeeds again.
    Restore(writer.file, *old);
    EXPECT_TRUE(writer.write());
    EXPECT_EQ(Contents(writer.file), fresh);
}

void CheckWriterKilledWhileWriting(const TWriterUnderTest& writer, int kills) {
    SCOPED_TRACE(writer.label);
    writer.prepare();
    const std::optional<std::string> old = Contents(writer.file);
    ASSERT_TRUE(old.has_value()) << "prepare puts no earlier file";

    // The two new contents, and how long one write takes, for the range of the kill's moment.
    const auto started = std::chrono::steady_clock::now();
    writer.choose(false);
    ASSERT_TRUE(writer.write());
    const std::optional<std::string> first = Contents(writer.file);
    writer.choose(true);
    ASSERT_TRUE(writer.write());
    const std::optional<std::string> second = Contents(writer.file);
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - started);
    ASSERT_NE(first, second);
    ASSERT_NE(first, old);

    std::mt19937 random(20261211);
    std::uniform_int_distribution<long> moment(0, took.count() + 200);
    int midWrite = 0;
    for (int k = 0; k < kills; ++k) {
        SCOPED_TRACE("kill " + std::to_string(k + 1));
        Restore(writer.file, *old);
        std::fflush(nullptr);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Bounded, in case the parent is gone before it kills.
            for (int round = 0; round < 100000; ++round) {
                writer.choose(round % 2 != 0);
                writer.write();
            }
            ::_exit(0);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status));
        const std::optional<std::string> now = Contents(writer.file);
        EXPECT_TRUE(now == old || now == first || now == second)
            << "a cut file: " << Describe(now) << "; earlier " << Describe(old) << ", new "
            << Describe(first) << " or " << Describe(second);
        if (LeftBeside(writer.file))
            ++midWrite;
    }
    // How many kills came while the new contents were being written, for the reader of the
    // output; where the kill lands is up to the moment.
    std::printf("%s: %d of %d kills came while the new contents were written\n", writer.label,
                midWrite, kills);
    // The next write after a kill succeeds, whatever the kill left behind.
    writer.choose(false);
    EXPECT_TRUE(writer.write());
    EXPECT_EQ(Contents(writer.file), first);
    EXPECT_FALSE(LeftBeside(writer.file));
}
