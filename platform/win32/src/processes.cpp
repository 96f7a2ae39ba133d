// Simulated processes: registered programs started by CreateProcessA, WinExec and ShellExecuteA,
// living on the virtual clock (windows opening, input idle, exit), with process and thread handles;
// a program of a host process of its own is stepped on the same clock and its windows mirrored.
#include "desktop_state.h"
#include "handle_table.h"
#include "host_process.h"
#include "sim_state.h"
#include "win32sim/machine.h"
#include "win32sim/processes.h"

#include "cp1251.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace {

using win32sim::SimulatedProgram;
using namespace win32sim::detail;

constexpr DWORD kFirstId = 0x40000;
constexpr std::uint64_t kNever = ~std::uint64_t{0};

struct Process {
    DWORD processId = 0;
    DWORD threadId = 0;
    std::string path;
    std::string commandLine;
    SimulatedProgram program;
    std::uint64_t start = 0;
    bool running = true;
    DWORD exitCode = STILL_ACTIVE;
    bool windowsOpened = false;
    std::vector<HWND> windows;
    // The program runs as a host process of its own; its windows here mirror its own.
    std::shared_ptr<HostProcess> host;
    std::map<std::uintptr_t, HWND> mirrors;

    std::uint64_t At(const std::optional<DWORD>& after) const {
        return after ? start + *after : kNever;
    }
    std::uint64_t IdleAt() const { return At(program.idleAfter); }
    std::uint64_t ExitAt() const { return At(program.exitAfter); }
    std::uint64_t WindowsAt() const {
        return program.windowsAfter ? At(program.windowsAfter) : IdleAt();
    }
    // Input idle counts only when it comes before the program's end.
    bool IdleBy(std::uint64_t now) const {
        if (host)
            return host->EverIdle();
        return IdleAt() != kNever && IdleAt() <= now && IdleAt() < ExitAt();
    }
};

struct ProcessObject : KernelObject {
    explicit ProcessObject(std::shared_ptr<Process> p) : process(std::move(p)) {}
    std::shared_ptr<Process> process;
};

struct ThreadObject : KernelObject {
    explicit ThreadObject(std::shared_ptr<Process> p) : process(std::move(p)) {}
    std::shared_ptr<Process> process;
};

struct Registered {
    std::string path;
    SimulatedProgram program;
    std::vector<std::string> hostProgram; // not empty: the program runs as a host process
};

// All under the desktop's lock, since programs open and close windows.
std::vector<Registered> registry;
std::vector<std::shared_ptr<Process>> processes;
std::vector<win32sim::LaunchRecord> launches;
DWORD nextId = kFirstId;

// Apart from the desktop's lock, which a host program's step does not hold.
std::mutex answererLock;
std::function<int(const win32sim::HostedBox&)> boxAnswerer;

bool HasExtension(std::string_view path) {
    const auto slash = path.find_last_of('\\');
    const auto dot = path.find_last_of('.');
    return dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
}

const Registered* Lookup(std::string_view candidate) {
    if (candidate.empty())
        return nullptr;
    std::string full = win32sim::FullPathName(candidate);
    // A program named without extension is looked for as an .exe file.
    if (!HasExtension(candidate))
        full += ".exe";
    for (const auto& r : registry)
        if (cp1251::EqualNoCase(win32sim::FullPathName(r.path), full))
            return &r;
    return nullptr;
}

// The program a command line names: a quoted first part, or the shortest unquoted prefix ending
// at a blank that names a registered program, as Windows tries them.
const Registered* ProgramOfCommandLine(std::string_view line) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    if (!line.empty() && line.front() == '"') {
        line.remove_prefix(1);
        return Lookup(line.substr(0, line.find('"')));
    }
    for (std::size_t at = line.find(' '); at != std::string_view::npos; at = line.find(' ', at + 1))
        if (const auto* r = Lookup(line.substr(0, at)))
            return r;
    return Lookup(line);
}

// Opens the program's windows on its primary thread, the first one in front.
void OpenWindowsLocked(Process& p, std::vector<ActivationChange>& changes) {
    p.windowsOpened = true;
    for (auto it = p.program.windows.rbegin(); it != p.program.windows.rend(); ++it) {
        auto [handle, change] = AddWindowLocked(*it, p.processId, p.threadId, false, nullptr);
        p.windows.push_back(handle);
        changes.push_back(std::move(change));
    }
}

void EndLocked(Process& p, DWORD exitCode, std::vector<ActivationChange>& changes) {
    p.running = false;
    p.exitCode = exitCode;
    for (const HWND w : p.windows)
        changes.push_back(RemoveWindowLocked(w));
    p.windows.clear();
    p.mirrors.clear();
    if (p.host)
        p.host->Kill();
}

void StepLocked(Process& p, std::uint64_t now, std::vector<ActivationChange>& changes) {
    if (!p.running || p.host)
        return;
    if (!p.windowsOpened && p.WindowsAt() <= now && p.WindowsAt() < p.ExitAt())
        OpenWindowsLocked(p, changes);
    if (p.ExitAt() <= now)
        EndLocked(p, p.program.exitCode, changes);
}

void AnnounceAll(const std::vector<ActivationChange>& changes) {
    for (const auto& c : changes)
        Announce(c);
}

// The host program's windows as it last reported them, or its end.
void MirrorLocked(Process& p, std::vector<ActivationChange>& changes) {
    if (!p.running)
        return;
    // The windows came and went at the program's moment.
    struct Restamp {
        std::size_t from;
        DWORD at;
        ~Restamp() { RestampWindowEventsLocked(from, at); }
    } restamp{WindowEventCountLocked(), static_cast<DWORD>(p.host->ReportedAt())};
    if (!p.host->Running()) {
        EndLocked(p, p.host->ExitCode(), changes);
        return;
    }
    std::map<std::uintptr_t, HWND> kept;
    for (const HostedWindow& h : p.host->Windows()) {
        const auto known = p.mirrors.find(h.id);
        DesktopWindow* w = known == p.mirrors.end() ? nullptr : FindDesktopWindow(known->second);
        if (w == nullptr) {
            win32sim::WindowSpec spec;
            spec.className = h.className;
            spec.caption = h.caption;
            spec.visible = h.visible;
            spec.bounds = h.bounds;
            auto [handle, change] = AddWindowLocked(spec, p.processId, p.threadId, false, nullptr);
            changes.push_back(std::move(change));
            kept[h.id] = handle;
            continue;
        }
        w->className = h.className;
        w->caption = h.caption;
        w->visible = h.visible;
        w->bounds = h.bounds;
        kept[h.id] = known->second;
    }
    for (const auto& [id, handle] : p.mirrors)
        if (kept.count(id) == 0)
            changes.push_back(RemoveWindowLocked(handle));
    p.mirrors = std::move(kept);
    p.windows.clear();
    for (const auto& [id, handle] : p.mirrors)
        p.windows.push_back(handle);
}

// Steps of host programs, one at a time; a step may run for a while in real time, so the
// desktop is not held meanwhile.
std::recursive_mutex& HostStepMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

// What the host program reported, mirrored here and shown to the clock's watch at its moment.
void Mirror(const std::shared_ptr<Process>& p) {
    std::vector<ActivationChange> changes;
    {
        std::lock_guard lock(DesktopMutex());
        MirrorLocked(*p, changes);
    }
    AnnounceAll(changes);
    WatchMachine(static_cast<DWORD>(p->host->ReportedAt()));
}

// Runs the host program through the waits that end by now, mirroring each report, so that
// windows that came and went between two of this clock's moves are seen at their times.
void RunHosted(const std::shared_ptr<Process>& p) {
    std::lock_guard step(HostStepMutex());
    const std::shared_ptr<HostProcess> host = p->host;
    if (!host)
        return;
    while (host->Running() && host->WaitingUntil() <= VirtualTicks()) {
        host->RunUntil(host->WaitingUntil());
        Mirror(p);
    }
}

// A started host program takes over the machine and runs until it first waits.
void BeginHosted(const std::shared_ptr<Process>& p) {
    std::lock_guard step(HostStepMutex());
    p->host->Begin(p->path, p->commandLine);
    Mirror(p);
}

// WaitForInputIdle on a host program: the clock moves from one of its waits to the next until
// its message loop waited, it ended, or the time-out came.
DWORD WaitForHostedIdle(const std::shared_ptr<Process>& p, DWORD milliseconds) {
    const std::uint64_t start = VirtualTicks();
    const std::uint64_t deadline = milliseconds == INFINITE ? kNever : start + milliseconds;
    for (;;) {
        RunHosted(p);
        std::uint64_t next;
        {
            std::lock_guard lock(DesktopMutex());
            if (p->host->EverIdle())
                return 0;
            if (!p->running || !p->host->Running()) {
                SetLastError(ERROR_INVALID_HANDLE);
                return WAIT_FAILED;
            }
            next = p->host->WaitingUntil();
        }
        const std::uint64_t now = VirtualTicks();
        if (next > deadline) {
            win32sim::AdvanceClock(static_cast<DWORD>(deadline - now));
            return WAIT_TIMEOUT;
        }
        win32sim::AdvanceClock(static_cast<DWORD>(next > now ? next - now : 0));
    }
}

// Starts the program a request names; the error when it cannot.
std::shared_ptr<Process> Start(const Registered* program, std::string commandLine, DWORD& error) {
    if (program == nullptr) {
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    if (program->program.startError != 0) {
        error = program->program.startError;
        return nullptr;
    }
    auto p = std::make_shared<Process>();
    if (!program->hostProgram.empty()) {
        p->host = HostProcess::Spawn(program->hostProgram);
        if (!p->host) {
            error = ERROR_FILE_NOT_FOUND;
            return nullptr;
        }
    }
    p->processId = nextId;
    p->threadId = nextId + 4;
    nextId += 8;
    p->path = program->path;
    p->commandLine = std::move(commandLine);
    p->program = program->program;
    p->start = VirtualTicks();
    processes.push_back(p);
    return p;
}

std::shared_ptr<Process> ProcessOfHandle(HANDLE handle) {
    const auto object = LookupHandleAs<ProcessObject>(handle);
    return object ? object->process : nullptr;
}

std::string Text(LPCSTR s) {
    return s == nullptr ? std::string() : std::string(s);
}

} // namespace

namespace win32sim::detail {

void RunProcessTimeline() {
    std::vector<ActivationChange> changes;
    std::vector<std::shared_ptr<Process>> hosted;
    {
        std::lock_guard lock(DesktopMutex());
        const auto now = VirtualTicks();
        for (const auto& p : processes) {
            StepLocked(*p, now, changes);
            if (p->host && p->running)
                hosted.push_back(p);
        }
    }
    AnnounceAll(changes);
    for (const auto& p : hosted)
        RunHosted(p);
}

void ResetProcesses() {
    std::lock_guard lock(DesktopMutex());
    for (const auto& p : processes)
        if (p->host)
            p->host->Kill();
    registry.clear();
    processes.clear();
    launches.clear();
    nextId = kFirstId;
    std::lock_guard answering(answererLock);
    boxAnswerer = nullptr;
}

std::function<int(const win32sim::HostedBox&)> HostedBoxAnswerer() {
    std::lock_guard lock(answererLock);
    return boxAnswerer;
}

} // namespace win32sim::detail

BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                           LPSECURITY_ATTRIBUTES lpProcessAttributes,
                           LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles,
                           DWORD dwCreationFlags, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                           LPSTARTUPINFOA lpStartupInfo,
                           LPPROCESS_INFORMATION lpProcessInformation) {
    win32sim::LaunchRecord record;
    record.function = "CreateProcessA";
    record.applicationName = Text(lpApplicationName);
    record.hasApplicationName = lpApplicationName != nullptr;
    record.commandLine = Text(lpCommandLine);
    record.hasCommandLine = lpCommandLine != nullptr;
    record.directory = Text(lpCurrentDirectory);
    record.hasSecurity = lpProcessAttributes != nullptr || lpThreadAttributes != nullptr;
    record.inheritHandles = bInheritHandles;
    record.creationFlags = dwCreationFlags;
    record.hasEnvironment = lpEnvironment != nullptr;
    if (lpStartupInfo != nullptr) {
        const STARTUPINFOA& s = *lpStartupInfo;
        record.startupInfoSize = s.cb;
        record.startupInfoZero = !s.lpReserved && !s.lpDesktop && !s.lpTitle && !s.dwX && !s.dwY &&
                                 !s.dwXSize && !s.dwYSize && !s.dwXCountChars && !s.dwYCountChars &&
                                 !s.dwFillAttribute && !s.dwFlags && !s.wShowWindow &&
                                 !s.cbReserved2 && !s.lpReserved2 && !s.hStdInput &&
                                 !s.hStdOutput && !s.hStdError;
    }

    std::vector<ActivationChange> changes;
    std::shared_ptr<Process> process;
    DWORD error = 0;
    {
        std::lock_guard lock(DesktopMutex());
        if ((lpApplicationName == nullptr && lpCommandLine == nullptr) ||
            lpStartupInfo == nullptr || lpProcessInformation == nullptr) {
            error = ERROR_INVALID_PARAMETER;
        } else {
            const Registered* program = lpApplicationName != nullptr
                                            ? Lookup(lpApplicationName)
                                            : ProgramOfCommandLine(lpCommandLine);
            process =
                Start(program, Text(lpCommandLine ? lpCommandLine : lpApplicationName), error);
        }
        if (process) {
            record.started = true;
            record.processId = process->processId;
            StepLocked(*process, VirtualTicks(), changes);
        }
        record.error = error;
        launches.push_back(record);
    }
    AnnounceAll(changes);
    if (!process) {
        SetLastError(error);
        return FALSE;
    }
    if (process->host)
        BeginHosted(process);
    lpProcessInformation->hProcess = InsertHandle(std::make_shared<ProcessObject>(process));
    lpProcessInformation->hThread = InsertHandle(std::make_shared<ThreadObject>(process));
    lpProcessInformation->dwProcessId = process->processId;
    lpProcessInformation->dwThreadId = process->threadId;
    return TRUE;
}

// Waits on the virtual clock, which it advances: to the moment the program first waits for
// input (0), to the time-out (WAIT_TIMEOUT) or to the program's end before it ever was idle
// (WAIT_FAILED). An endless wait on a program that never becomes idle ends at once with
// WAIT_TIMEOUT rather than hanging the test. A host program is followed from one of its waits to
// the next, so an endless wait on it lasts until its loop waits or it ends.
DWORD WINAPI WaitForInputIdle(HANDLE hProcess, DWORD dwMilliseconds) {
    const auto process = ProcessOfHandle(hProcess);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (process->host)
        return WaitForHostedIdle(process, dwMilliseconds);
    std::uint64_t wakeAt;
    DWORD result;
    {
        std::lock_guard lock(DesktopMutex());
        const auto now = VirtualTicks();
        if (process->IdleBy(now))
            return 0;
        const std::uint64_t deadline = dwMilliseconds == INFINITE ? kNever : now + dwMilliseconds;
        const auto idleAt = process->IdleAt() < process->ExitAt() ? process->IdleAt() : kNever;
        if (!process->running) {
            wakeAt = now;
            result = WAIT_FAILED;
        } else if (idleAt <= deadline && idleAt != kNever) {
            wakeAt = idleAt;
            result = 0;
        } else if (process->ExitAt() <= deadline) {
            wakeAt = process->ExitAt();
            result = WAIT_FAILED;
        } else {
            wakeAt = deadline == kNever ? now : deadline;
            result = WAIT_TIMEOUT;
        }
        wakeAt -= now;
    }
    win32sim::AdvanceClock(static_cast<DWORD>(wakeAt));
    if (result == WAIT_FAILED)
        SetLastError(ERROR_INVALID_HANDLE);
    return result;
}

BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode) {
    const auto process = ProcessOfHandle(hProcess);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::vector<ActivationChange> changes;
    {
        std::lock_guard lock(DesktopMutex());
        if (!process->running) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        EndLocked(*process, uExitCode, changes);
    }
    AnnounceAll(changes);
    return TRUE;
}

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
    const auto process = ProcessOfHandle(hProcess);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpExitCode == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    std::lock_guard lock(DesktopMutex());
    *lpExitCode = process->exitCode;
    return TRUE;
}

// Above 31 on success; otherwise the error, as the 16-bit function reported it.
UINT WINAPI WinExec(LPCSTR lpCmdLine, UINT uCmdShow) {
    win32sim::LaunchRecord record;
    record.function = "WinExec";
    record.commandLine = Text(lpCmdLine);
    record.hasCommandLine = lpCmdLine != nullptr;
    record.showCommand = static_cast<INT>(uCmdShow);
    std::vector<ActivationChange> changes;
    DWORD error = 0;
    std::shared_ptr<Process> process;
    {
        std::lock_guard lock(DesktopMutex());
        if (lpCmdLine == nullptr)
            error = ERROR_INVALID_PARAMETER;
        else
            process = Start(ProgramOfCommandLine(lpCmdLine), lpCmdLine, error);
        if (process) {
            record.started = true;
            record.processId = process->processId;
            StepLocked(*process, VirtualTicks(), changes);
        }
        record.error = error;
        launches.push_back(record);
    }
    AnnounceAll(changes);
    if (process && process->host)
        BeginHosted(process);
    if (error == 0)
        return 33;
    SetLastError(error);
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? error : 11;
}

// A registered program is started with the parameters; an existing document counts as opened by
// its associated program, which is not simulated. Above 32 on success.
HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                               LPCSTR lpDirectory, INT nShowCmd) {
    (void)hwnd;
    win32sim::LaunchRecord record;
    record.function = "ShellExecuteA";
    record.applicationName = Text(lpFile);
    record.hasApplicationName = lpFile != nullptr;
    record.verb = Text(lpOperation);
    record.parameters = Text(lpParameters);
    record.directory = Text(lpDirectory);
    record.showCommand = nShowCmd;
    // A relative file is looked for in the given folder.
    std::string file = Text(lpFile);
    const std::string folder = Text(lpDirectory);
    if (!folder.empty() && !file.empty() && file.find(':') == std::string::npos &&
        file.front() != '\\')
        file = folder + (folder.back() == '\\' ? "" : "\\") + file;
    const bool exists =
        !file.empty() && GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
    std::vector<ActivationChange> changes;
    std::uintptr_t result = 42;
    std::shared_ptr<Process> process;
    {
        std::lock_guard lock(DesktopMutex());
        if (const Registered* program = Lookup(file)) {
            std::string line = "\"" + file + "\"";
            if (lpParameters != nullptr && *lpParameters != '\0')
                line += std::string(" ") + lpParameters;
            DWORD error = 0;
            process = Start(program, line, error);
            if (process) {
                record.started = true;
                record.processId = process->processId;
                StepLocked(*process, VirtualTicks(), changes);
            } else {
                record.error = error;
                result = error < 32 ? error : SE_ERR_ACCESSDENIED;
            }
        } else if (!exists) {
            record.error = ERROR_FILE_NOT_FOUND;
            result = SE_ERR_FNF;
        }
        launches.push_back(record);
    }
    AnnounceAll(changes);
    if (process && process->host)
        BeginHosted(process);
    if (record.error != 0)
        SetLastError(record.error);
    return reinterpret_cast<HINSTANCE>(result);
}

namespace win32sim {

namespace {

void Register(Registered registered) {
    std::lock_guard lock(DesktopMutex());
    std::erase_if(registry, [&](const Registered& r) {
        return cp1251::EqualNoCase(FullPathName(r.path), FullPathName(registered.path));
    });
    registry.push_back(std::move(registered));
}

} // namespace

void RegisterProgram(const std::string& path, const SimulatedProgram& program) {
    Register({path, program, {}});
}

void AnswerHostedBoxesWith(std::function<int(const HostedBox&)> answerer) {
    std::lock_guard lock(answererLock);
    boxAnswerer = std::move(answerer);
}

void RegisterHostProgram(const std::string& path, const std::vector<std::string>& hostProgram) {
    Register({path, SimulatedProgram{}, hostProgram});
}

std::vector<ProcessInfo> Processes() {
    std::lock_guard lock(DesktopMutex());
    const auto now = VirtualTicks();
    std::vector<ProcessInfo> result;
    for (const auto& p : processes) {
        ProcessInfo info;
        info.processId = p->processId;
        info.threadId = p->threadId;
        info.path = p->path;
        info.commandLine = p->commandLine;
        info.running = p->running;
        info.idle = p->running && p->IdleBy(now);
        info.exitCode = p->exitCode;
        result.push_back(std::move(info));
    }
    return result;
}

bool EndProcess(DWORD processId, DWORD exitCode) {
    std::vector<ActivationChange> changes;
    {
        std::lock_guard lock(DesktopMutex());
        const auto it = std::find_if(processes.begin(), processes.end(),
                                     [&](const auto& p) { return p->processId == processId; });
        if (it == processes.end() || !(*it)->running)
            return false;
        EndLocked(**it, exitCode, changes);
    }
    AnnounceAll(changes);
    return true;
}

std::vector<LaunchRecord> LaunchLog() {
    std::lock_guard lock(DesktopMutex());
    return launches;
}

} // namespace win32sim
