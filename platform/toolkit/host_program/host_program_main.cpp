// The entry of a system program built as a host program of its own, for a simulated machine
// that starts it (the search program that the tray program runs): it takes over the machine of
// the process that started it, runs the program's WinMain with its boxes shown there, and
// reports the exit code.
#include <toolkitsim/control.h>
#include <win32sim/processes.h>

#include <windows.h>

#include <cstdio>
#include <string>

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

namespace {

// The command line after the program's name, as WinMain receives it.
std::string Arguments(const std::string& line) {
    std::size_t at = 0;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    if (at < line.size() && line[at] == '"') {
        const std::size_t close = line.find('"', at + 1);
        at = close == std::string::npos ? line.size() : close + 1;
    } else {
        while (at < line.size() && line[at] != ' ' && line[at] != '\t')
            ++at;
    }
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    return line.substr(at);
}

} // namespace

int main() {
    if (!win32sim::JoinStartingMachine()) {
        std::fputs("this program runs only when a simulated machine starts it\n", stderr);
        return 2;
    }
    toolkitsim::Reset();
    // The starting machine shows and answers this program's boxes.
    toolkitsim::AnswerBoxesWith([](const toolkitsim::BoxRecord& shown, bool choice) {
        win32sim::HostedBox box;
        box.kind = static_cast<int>(shown.kind);
        box.caption = shown.caption;
        box.text = shown.text;
        box.choice = choice;
        box.buttons = shown.buttons;
        box.answer = shown.answer;
        return win32sim::ShowOnStartingMachine(box);
    });
    std::string arguments = Arguments(GetCommandLineA());
    const int exitCode = WinMain(nullptr, nullptr, arguments.data(), SW_SHOWNORMAL);
    toolkitsim::Reset();
    win32sim::LeaveStartingMachine(static_cast<DWORD>(exitCode));
    return exitCode;
}
