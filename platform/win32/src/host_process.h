// Private to the host simulation: a simulated process whose program runs as a host process of
// its own, and the line link between the two.
//
// A program of its own process, rather than its code run inside the starting one: two programs
// in one process would share the toolkit's one application object and each other's program-wide
// state. The starting process owns the machine. It hands the program the machine's state once, then
// steps it in lockstep: the program runs until its clock would move, reports its top-level
// windows and the time it waits for, and waits for the starting process's clock to get there.
// So both see one clock, the files of the same host folders and the same named objects, and
// the program's windows are mirrored on the starting process's desktop while it waits; a run is
// the same every time.
//
//   starting process                      program
//   drive/path/line/dir/clock/time/objects/screen ..., start
//                                         window ... (each top-level window), wait <t> <input>
//   go <t>  (once its own clock reached t)
//                                         window ..., wait <t'> <input> | exit <code>
//                                         box <time> <kind> <choice> <buttons> <answer> <caption>
//                                         <text>
//   answer <n>  (the box's answer; the program then goes on with its report)
#pragma once

#include "win32sim/processes.h"

#include <windows.h>

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace win32sim::detail {

// The answerer of the boxes of host programs (AnswerHostedBoxesWith).
std::function<int(const HostedBox&)> HostedBoxAnswerer();

// The environment variable that tells a host program it was started on a simulated machine.
inline constexpr char kLinkVariable[] = "WIN32SIM_LINK";

std::vector<std::string> SplitWords(const std::string& line);

// One end of the link, a stream socket: lines out, lines in.
class LineLink {
public:
    explicit LineLink(int fd) : fd_(fd) {}
    ~LineLink();
    LineLink(const LineLink&) = delete;
    LineLink& operator=(const LineLink&) = delete;

    // False when the other end is gone.
    bool Send(const std::string& line);
    // The next line without its newline; none at the end of the stream.
    std::optional<std::string> Receive();

private:
    int fd_;
    std::string pending_;
};

// A top-level window of the program, as it reported it.
struct HostedWindow {
    std::uintptr_t id = 0; // the program's own handle
    bool visible = false;
    RECT bounds{};
    std::string className;
    std::string caption;
};

class HostProcess {
public:
    // Starts the host program (its path first); nullptr when it cannot be started.
    static std::unique_ptr<HostProcess> Spawn(const std::vector<std::string>& program);
    // A program still running is killed.
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    // Hands over the machine (the program's path and command line as the simulated process
    // has them) and runs the program until it first waits or ends.
    void Begin(const std::string& programPath, const std::string& commandLine);
    // Runs the program through every wait that ends by the time; true when it reported.
    bool RunUntil(std::uint64_t now);
    // The program ends at once, as TerminateProcess ends it.
    void Kill();

    bool Running() const { return running_; }
    // Its message loop has waited for input (before its end).
    bool EverIdle() const { return everIdle_; }
    // The time its current wait ends.
    std::uint64_t WaitingUntil() const { return waitingUntil_; }
    // The time of its last report: when its windows were as reported, or when it ended.
    std::uint64_t ReportedAt() const { return reportedAt_; }
    // The exit code it reported; without a report, or when the host process ended otherwise
    // than it reported (a sanitizer's finding at its end), the host's exit status (128 + the
    // signal of a program killed by one).
    DWORD ExitCode() const { return exitCode_; }
    const std::vector<HostedWindow>& Windows() const { return windows_; }

private:
    HostProcess(pid_t pid, int fd) : pid_(pid), link_(fd) {}
    // Reads one report: the windows, then the wait or the end.
    void ReadReport();
    void Ended(std::optional<DWORD> reported);

    // Answers a box the program shows; false when the link is gone.
    bool AnswerBox(const std::vector<std::string>& words);

    pid_t pid_;
    LineLink link_;
    std::string path_; // on the machine
    bool running_ = true;
    bool everIdle_ = false;
    std::uint64_t waitingUntil_ = 0;
    std::uint64_t reportedAt_ = 0;
    DWORD exitCode_ = STILL_ACTIVE;
    std::vector<HostedWindow> windows_;
};

} // namespace win32sim::detail
