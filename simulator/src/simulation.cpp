// Running a scenario against the tray program, and watching what it does.
#include "simulation.h"

#include "dialog_forms.h"
#include "file_report.h"
#include "dialogs.h"
#include "form_bar.h"
#include "form_info.h"
#include "form_input.h"
#include "form_list.h"
#include "form_time.h"
#include "main_form.h"
#include "osd.h"
#include "receiver_chain.h"
#include "receiver_library_module.h"
#include "runtime_state.h"

#include "cp1251.h"
#include "win32sim/desktop.h"
#include "win32sim/machine.h"
#include "win32sim/message_boxes.h"
#include "win32sim/multimedia.h"
#include "win32sim/objects.h"
#include "win32sim/processes.h"
#include "win32sim/system.h"

#include <toolkit.h>
#include <toolkitsim/control.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <tuple>
#include <sstream>

namespace fs = std::filesystem;

namespace simulator {

std::string Utf8(const std::string& cp1251) {
    std::string out;
    for (const char c : cp1251) {
        const char32_t u = cp1251::ToUnicode(static_cast<unsigned char>(c));
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

namespace {

constexpr char kProgramPath[] = "C:\\Tavrin RC\\Tavrin RC.exe";
constexpr char kProgramFolder[] = "C:\\Tavrin RC\\";
constexpr std::int64_t kToggleBit = 0x800;
constexpr DWORD kTick = 100;
// How long the program may spend in its own waits beyond the scenario's (the tray program waits
// for a program it starts at most 600 s).
constexpr DWORD kBlockedBudget = 1'200'000;

std::string Hex(unsigned long long value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", value);
    return text;
}

std::string Stamp(DWORD now) {
    char text[32];
    std::snprintf(text, sizeof text, "[%4lu.%03lu] ", static_cast<unsigned long>(now / 1000),
                  static_cast<unsigned long>(now % 1000));
    return text;
}

std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(root, ignored)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[fs::relative(entry.path(), root).string()] =
            std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    return files;
}

std::string WindowPath(const std::string& relative) {
    std::string path = "C:\\" + relative;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string AnswerName(int modalResult) {
    switch (modalResult) {
    case mrOk:
        return "OK";
    case mrCancel:
        return "Cancel";
    case mrYes:
        return "Yes";
    case mrNo:
        return "No";
    default:
        return std::to_string(modalResult);
    }
}

const char* const kKindNames[FormSlotCount] = {
    "settings", "info", "command wizard", "function wizard", "bar", "clock", "list", "input"};

// Watches the simulated machine and reports every change since it last looked.
class Watcher {
public:
    Watcher(RunResult& result, std::ostream& out, fs::path root)
        : result_(result), out_(out), root_(std::move(root)), files_(Snapshot(root_)) {
        volume_ = win32sim::WaveOutVolume(0);
    }

    // A line of what the program did (expectations look at these), at the time it happened:
    // now, or the time another program did it.
    void Print(const std::string& line, std::optional<DWORD> at = std::nullopt) {
        pending_.push_back({at ? *at : (lookingAt_ ? *lookingAt_ : GetTickCount()), line});
    }

    // A line of the simulator's own (an action, an expectation's result): never expected.
    void Note(const std::string& line) {
        Flush();
        Emit(GetTickCount(), line);
    }

    const std::vector<std::string>& ProgramLines() const { return program_; }

    // What changed, as of now or of the time given (a state another program left earlier).
    void Look(std::optional<DWORD> at = std::nullopt) {
        lookingAt_ = at;
        Gather();
        lookingAt_.reset();
        Flush();
    }

private:
    // What one look found, in the order it happened (the order found where times are equal).
    void Flush() {
        std::stable_sort(pending_.begin(), pending_.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        auto lines = std::move(pending_);
        pending_.clear();
        for (const auto& [at, line] : lines) {
            program_.push_back(line);
            Emit(at, line);
        }
    }

    void Emit(DWORD at, const std::string& line) {
        result_.report.push_back(Stamp(at) + line);
        out_ << Utf8(result_.report.back()) << std::endl;
    }

    void Gather() {
        Boxes();
        InputBoxes();
        Screen();
        DialogGrids();
        Learning();
        Input();
        Messages();
        Launches();
        OtherWindows();
        Ends();
        Volume();
        Sounds();
        Shutdowns();
        Files();
    }

    void Boxes() {
        const auto boxes = toolkitsim::Boxes();
        for (; boxes_ < boxes.size(); ++boxes_) {
            const auto& b = boxes[boxes_];
            const bool choice =
                b.kind != toolkitsim::BoxKind::Message && b.kind != toolkitsim::BoxKind::Exception;
            Print(BoxLine(static_cast<int>(b.kind), b.caption, b.text, choice, b.answer));
        }
        const auto shown = win32sim::MessageBoxLog();
        for (; messageBoxes_ < shown.size(); ++messageBoxes_) {
            const auto& b = shown[messageBoxes_];
            Print(BoxLine(static_cast<int>(toolkitsim::BoxKind::MessageBox), b.caption, b.text,
                          (b.type & 0xF) != MB_OK, b.answer));
        }
    }

public:
    // A box of another program on the machine, at its own time.
    void HostedBox(const win32sim::HostedBox& b, int answer) {
        Print(BoxLine(b.kind, b.caption, b.text, b.choice, answer) + " (" + b.program + ")",
              b.time);
    }

private:
    static std::string BoxLine(int kind, const std::string& caption, const std::string& text,
                               bool choice, int answer) {
        static const char* const kinds[] = {"message", "question", "message box", "error"};
        const char* name = kind >= 0 && kind < 4 ? kinds[kind] : "box";
        return std::string(name) + " \"" + text + "\"" +
               (caption.empty() ? "" : " (" + caption + ")") +
               (choice && answer == 0 ? " left without an answer"
                                      : " answered " + AnswerName(answer));
    }

    // The on-screen windows: what each shows while visible, and each new showing.
    void Screen() {
        for (int kind = 0; kind < FormSlotCount; ++kind) {
            const auto k = static_cast<std::size_t>(kind);
            const std::string now = StateOf(kind);
            std::string& before = screen_[k];
            const unsigned shows = OsdShowCount(static_cast<std::int16_t>(kind));
            latest_[k] = {now, shows};
            const bool shownAgain = shows != shows_[k] && !now.empty();
            shows_[k] = shows;
            if (now == before && !shownAgain)
                continue;
            PrintState(kind, now);
            before = now;
        }
    }

    // "shown" and what the window shows, or "" while it is not showing.
    static std::string StateOf(int kind) {
        TForm* form = KindForm(kind);
        if (form == nullptr || !form->Visible)
            return "";
        // The clock's text changes every second; its appearance is what matters.
        if (kind == KindConfig)
            return "shown" + TabShown(*form);
        if (kind == KindTime)
            return "shown";
        return "shown" + Contents(*form);
    }

    void PrintState(int kind, const std::string& state) {
        if (state.empty())
            Print(std::string(kKindNames[kind]) + " window closed");
        else
            Print(std::string(kKindNames[kind]) + " window" + state.substr(5));
    }

public:
    // A text of an on-screen window changed, or the window was shown or hidden: what it showed
    // before is reported now when no look saw it, as when one command shows one text after
    // another before the loop runs again.
    void Changed(TControl& control) {
        auto* form = dynamic_cast<TForm*>(&control);
        if (form == nullptr && dynamic_cast<TLabel*>(&control) != nullptr)
            form = dynamic_cast<TForm*>(control.GetParentForm());
        if (form == nullptr)
            return;
        for (const int kind : {KindInfo, KindBar, KindTime, KindList, KindInput}) {
            if (KindForm(kind) != form)
                continue;
            const auto k = static_cast<std::size_t>(kind);
            const Showing before = latest_[k];
            latest_[k] = {StateOf(kind), OsdShowCount(static_cast<std::int16_t>(kind))};
            // A window still being filled shows no text yet.
            const bool hadText = before.state.find('"') != std::string::npos;
            if (hadText && before.state != latest_[k].state &&
                (before.state != screen_[k] || before.shows != shows_[k])) {
                PrintState(kind, before.state);
                screen_[k] = before.state;
                shows_[k] = before.shows;
            }
            return;
        }
    }

private:
    // The settings dialog shows a page of many controls: its tab says which.
    static std::string TabShown(TForm& form) {
        auto* pages = dynamic_cast<TPageControl*>(form.FindComponent("pcConfig"));
        if (pages == nullptr || pages->ActivePage() == nullptr)
            return "";
        return " on tab " + std::to_string(pages->TabIndex()) + " \"" +
               std::string(pages->ActivePage()->Caption) + "\"";
    }

    // Input, file and colour dialogs as they were answered.
    void InputBoxes() {
        const auto dialogs = toolkitsim::Dialogs();
        static const char* const kinds[] = {"input box", "file dialog", "colour dialog"};
        for (; dialogs_ < dialogs.size(); ++dialogs_) {
            const auto& d = dialogs[dialogs_];
            std::string line =
                std::string(kinds[static_cast<int>(d.kind)]) + " \"" + d.caption + "\"";
            if (!d.prompt.empty())
                line += " \"" + d.prompt + "\"";
            Print(line + (d.accepted ? " answered OK" : " answered Cancel"));
        }
    }

    // The rows of every grid of the open dialogs: all of them when a dialog opens, then each
    // row that changed, was added or went away.
    void DialogGrids() {
        std::map<std::string, std::vector<std::string>> now;
        for (const std::int16_t kind : {KindConfig, KindCmdwizard, KindFuncwizard}) {
            TDialogForm* dialog = DialogOfKind(kind);
            if (dialog == nullptr)
                continue;
            for (int i = 0; i < dialog->ComponentCount(); ++i) {
                auto* grid = dynamic_cast<TCustomGrid*>(dialog->Components(i));
                if (grid == nullptr)
                    continue;
                const bool pairs = dynamic_cast<TValueListEditor*>(grid) != nullptr;
                // Two dialogs may name their grids alike: each is reported under its dialog.
                const std::string owned = dialog->Name + "." + std::string(grid->Name);
                auto& rows = now[owned];
                for (int row = 0; row < grid->RowCount(); ++row) {
                    std::string text;
                    for (int col = 0; col < grid->ColCount(); ++col)
                        text += std::string(col == 0 ? ""
                                            : pairs  ? " = "
                                                     : " ") +
                                "\"" + grid->GetCellText(col, row) + "\"";
                    rows.push_back(text);
                }
                const auto& before = grids_[owned];
                for (std::size_t row = 0; row < rows.size(); ++row)
                    if (row >= before.size() || before[row] != rows[row])
                        Print(owned + " row " + std::to_string(row) + ": " + rows[row]);
                if (rows.size() + 1 == before.size())
                    Print(owned + " row " + std::to_string(rows.size()) + " removed");
                else if (rows.size() < before.size())
                    Print(owned + " rows " + std::to_string(rows.size()) + " to " +
                          std::to_string(before.size() - 1) + " removed");
            }
        }
        grids_ = std::move(now);
    }

    // The settings dialog's learning of codes from the receiver.
    void Learning() {
        const int state = Runtime.CaptureState;
        if (state == capture_)
            return;
        capture_ = state;
        const TConfigDialog* dialog = OpenConfigDialog();
        if (state == 0) {
            Print("learning ended");
        } else if (dialog != nullptr && dialog->vleCode != nullptr) {
            const int row = dialog->vleCode->Row;
            Print(std::string(state == 1 ? "learning the code of" : "learning every code from") +
                  " row " + std::to_string(row) + " \"" + dialog->vleCode->Keys(row) + "\"");
        } else {
            Print("learning state " + std::to_string(state));
        }
    }

    static std::string Contents(TForm& form) {
        std::string text;
        for (int i = 0; i < form.ComponentCount(); ++i) {
            TComponent* c = form.Components(i);
            if (auto* label = dynamic_cast<TLabel*>(c)) {
                const std::string caption = label->Caption;
                if (label->Visible && !caption.empty())
                    text += " \"" + caption + "\"";
            } else if (auto* list = dynamic_cast<TListBox*>(c)) {
                text += " list [";
                for (int k = 0; k < list->Items.Count(); ++k)
                    text += (k ? ", \"" : "\"") + list->Items[k] + "\"";
                text += "]";
                const int selected = list->ItemIndex;
                if (selected >= 0 && selected < list->Items.Count())
                    text += " selected \"" + list->Items[selected] + "\"";
            } else if (auto* edit = dynamic_cast<TCustomEdit*>(c)) {
                if (edit->Visible)
                    text += " text \"" + std::string(edit->Text) + "\"";
            } else if (auto* combo = dynamic_cast<TComboBox*>(c)) {
                // The wizards' fields, by name: what was chosen or typed in each.
                if (combo->Visible)
                    text += " " + combo->Name + " \"" + std::string(combo->Text) + "\"";
            } else if (auto* gauge = dynamic_cast<TCGauge*>(c)) {
                text += " bar " + std::to_string(static_cast<int>(gauge->Progress));
            }
        }
        return text;
    }

    static std::string ClassOf(HWND window) {
        if (window == HWND_BROADCAST)
            return "all windows";
        if (window == nullptr)
            return "no window";
        const auto info = win32sim::Window(window);
        return info ? "\"" + info->className + "\""
                    : "window " + Hex(reinterpret_cast<std::uintptr_t>(window));
    }

    void Input() {
        const auto log = win32sim::InputLog();
        for (; input_ < log.size(); ++input_) {
            const auto& e = log[input_];
            switch (e.kind) {
            case win32sim::InputEvent::Kind::Key:
                Print(std::string("key ") + ((e.flags & KEYEVENTF_KEYUP) ? "up" : "down") + " vk " +
                      std::to_string(e.vk) + " to " + ClassOf(e.foreground));
                break;
            case win32sim::InputEvent::Kind::Mouse:
                Print("mouse flags " + Hex(e.flags) + " dx " + std::to_string(e.dx) + " dy " +
                      std::to_string(e.dy) + " data " + std::to_string(e.data) + ", cursor " +
                      std::to_string(e.cursor.x) + "," + std::to_string(e.cursor.y));
                break;
            case win32sim::InputEvent::Kind::CursorPos:
                Print("cursor set to " + std::to_string(e.cursor.x) + "," +
                      std::to_string(e.cursor.y));
                break;
            }
        }
    }

    void Messages() {
        const auto log = win32sim::MessageLog();
        for (; messages_ < log.size(); ++messages_) {
            const auto& m = log[messages_];
            Print(std::string(m.posted ? "message posted to " : "message sent to ") +
                  ClassOf(m.window) + ": " + Hex(m.message) + " wParam " +
                  std::to_string(m.wParam) + " lParam " + std::to_string(m.lParam));
        }
    }

    void Launches() {
        const auto log = win32sim::LaunchLog();
        for (; launches_ < log.size(); ++launches_) {
            const auto& l = log[launches_];
            const std::string what = l.hasCommandLine ? l.commandLine : l.applicationName;
            if (l.started)
                Print("program started by " + l.function + ": " + what);
            else if (l.error == 0)
                Print("document opened by " + l.function + ": " + what);
            else
                Print("program not started by " + l.function + ": " + what +
                      (l.error == ERROR_FILE_NOT_FOUND || l.error == ERROR_PATH_NOT_FOUND
                           ? " (no such program)"
                           : " (error " + std::to_string(l.error) + ")"));
        }
    }

    static std::string ProgramOf(DWORD processId) {
        for (const auto& p : win32sim::Processes())
            if (p.processId == processId)
                return p.path;
        return std::string();
    }

    // The windows of the programs it started, also those that came and went while it waited.
    void OtherWindows() {
        const auto events = win32sim::WindowEvents();
        for (; windowEvents_ < events.size(); ++windowEvents_) {
            const auto& e = events[windowEvents_];
            const std::string program = e.own ? std::string() : ProgramOf(e.processId);
            if (program.empty())
                continue;
            Print(std::string(e.opened ? "window opened: \"" : "window closed: \"") + e.className +
                      "\" \"" + e.caption + "\" (" + program + ")",
                  e.time);
        }
    }

    void Ends() {
        const auto processes = win32sim::Processes();
        for (const auto& p : processes) {
            if (p.running || ended_.count(p.processId) != 0)
                continue;
            ended_.insert(p.processId);
            Print("program ended: " + p.path + ", exit code " + std::to_string(p.exitCode));
        }
    }

    void Volume() {
        const DWORD volume = win32sim::WaveOutVolume(0);
        if (volume == volume_)
            return;
        volume_ = volume;
        Print("volume set: left " + Hex(volume & 0xFFFF) + " right " + Hex(volume >> 16));
    }

    void Sounds() {
        const auto log = win32sim::SoundLog();
        for (; sounds_ < log.size(); ++sounds_)
            Print(log[sounds_].hasSound ? "sound " + log[sounds_].sound : "sound stopped");
    }

    void Shutdowns() {
        const auto log = win32sim::ExitWindowsLog();
        for (; shutdowns_ < log.size(); ++shutdowns_)
            Print("shut-down asked, flags " + Hex(log[shutdowns_].flags));
    }

public:
    // Files the scenario put on the drive are not the program's doing.
    void TakeFiles() { files_ = Snapshot(root_); }

    // The program has ended and starts again: the toolkit's records and the windows begin anew.
    void Restarted() {
        boxes_ = 0;
        dialogs_ = 0;
        for (int kind = 0; kind < FormSlotCount; ++kind) {
            screen_[kind].clear();
            shows_[kind] = 0;
            latest_[kind] = {};
        }
        grids_.clear();
        capture_ = 0;
    }

private:
    void Files() {
        auto now = Snapshot(root_);
        for (const auto& [name, bytes] : now) {
            const auto before = files_.find(name);
            if (before == files_.end() || before->second != bytes)
                Print("file written: " + WindowPath(name));
        }
        for (const auto& [name, bytes] : files_)
            if (now.count(name) == 0)
                Print("file deleted: " + WindowPath(name));
        files_ = std::move(now);
    }

    RunResult& result_;
    std::ostream& out_;
    fs::path root_;
    std::map<std::string, std::string> files_;
    std::vector<std::string> program_;
    std::vector<std::pair<DWORD, std::string>> pending_;
    std::optional<DWORD> lookingAt_;
    std::string screen_[FormSlotCount];
    struct Showing {
        std::string state;
        unsigned shows = 0;
    };
    Showing latest_[FormSlotCount]; // as the last look or change saw it
    unsigned shows_[FormSlotCount] = {};
    std::map<std::string, std::vector<std::string>> grids_; // dialog.grid -> rows as printed
    int capture_ = 0;
    std::size_t dialogs_ = 0;
    std::size_t boxes_ = 0, messageBoxes_ = 0, input_ = 0, messages_ = 0, launches_ = 0,
                sounds_ = 0, shutdowns_ = 0, windowEvents_ = 0;
    std::set<DWORD> ended_;
    DWORD volume_ = 0;
};

// One run: the machine, the chain and the scenario's actions on the message loop's clock.
class Run {
public:
    Run(const Scenario& scenario, RunResult& result, std::ostream& out, fs::path root)
        : scenario_(scenario), result_(result), watcher_(result, out, root), root_(root) {}

    // Every program's questions take the scenario's answers in order; boxes without a choice
    // take their own.
    void AnswerBoxes() {
        toolkitsim::AnswerBoxesWith([this](const toolkitsim::BoxRecord& box, bool choice) {
            return choice ? TakeAnswer(box.text, Offered(static_cast<int>(box.kind), box.buttons))
                          : box.answer;
        });
        win32sim::SetUnansweredMessageBoxHandler([this](const win32sim::MessageBoxShown& box) {
            return (box.type & 0xF) != MB_OK
                       ? TakeAnswer(box.text,
                                    Offered(static_cast<int>(toolkitsim::BoxKind::MessageBox),
                                            static_cast<int>(box.type)))
                       : IDOK;
        });
        win32sim::AnswerHostedBoxesWith([this](const win32sim::HostedBox& box) {
            const int answer =
                box.choice ? TakeAnswer(box.text, Offered(box.kind, box.buttons)) : box.answer;
            watcher_.HostedBox(box, answer);
            return answer;
        });
    }

    // Answers, files and drives due at a start are there before the start-up asks.
    static bool AtTheStart(const Action& action) {
        return action.verb == "answer" || action.verb == "file" || action.verb == "drive";
    }

    void Schedule() {
        for (const Action& action : scenario_.actions) {
            if (action.at == 0 && AtTheStart(action))
                Perform(action);
            else
                timeline_.push_back(&action);
        }
        // What start-up did; from then on the clock's watch looks.
        toolkitsim::At(0, [this] { watcher_.Look(); });
        ScheduleNext(0);
    }

    Watcher& Watch() { return watcher_; }

    void Fail(const Action& action, const std::string& why) {
        const std::string line = "line " + std::to_string(action.line) + ": " + why;
        watcher_.Note("FAILED " + line);
        result_.failures.push_back(line);
    }

    std::size_t UnusedDialogAnswers() const {
        const std::size_t shown = toolkitsim::Dialogs().size();
        return dialogAnswers_ > shown ? dialogAnswers_ - shown : 0;
    }

    // Actions that did not happen because the program ended first.
    std::size_t Missed() const { return cut_ ? 0 : scenario_.actions.size() - performed_; }

    std::size_t UnusedAnswers() const { return answers_.size(); }

private:
    // Each wait counts from the end of the action before it, as a user waits: the next action
    // is due once the loop runs again after this one began, when it has returned or when the
    // dialog it opened waits for the user.
    void ScheduleNext(unsigned previousAt) {
        if (cut_ || restarting_)
            return;
        if (next_ == timeline_.size()) {
            toolkitsim::At(scenario_.end - previousAt + kTick, [this] {
                watcher_.Look();
                watcher_.Note("> exit from the tray menu");
                if (FMain != nullptr)
                    toolkitsim::ClickItem(*FMain->NExit);
            });
            return;
        }
        const Action& action = *timeline_[next_++];
        toolkitsim::At(action.at - previousAt, [this, &action] {
            toolkitsim::At(0, [this, &action] { ScheduleNext(action.at); });
            Perform(action);
        });
    }

    // The next answer; none (0, the box closed without one) ends the run, which then cannot
    // follow the scenario.
    int TakeAnswer(const std::string& question, const std::vector<int>& offered) {
        if (answers_.empty()) {
            result_.failures.push_back("a question came with no answer in the scenario: \"" +
                                       question + "\"");
            Cut();
            return 0;
        }
        const auto [answer, line] = answers_.front();
        answers_.pop_front();
        if (std::find(offered.begin(), offered.end(), answer) == offered.end()) {
            std::string buttons;
            for (const int o : offered)
                buttons += (buttons.empty() ? "" : ", ") + AnswerName(o);
            result_.failures.push_back("line " + std::to_string(line) + ": the question \"" +
                                       question + "\" offers no " + AnswerName(answer) + ", only " +
                                       buttons);
            Cut();
            return 0;
        }
        return answer;
    }

    // The buttons of a box with a choice, as the answers they give.
    static std::vector<int> Offered(int kind, int buttons) {
        if (kind == static_cast<int>(toolkitsim::BoxKind::Dialog)) {
            std::vector<int> offered;
            const std::pair<TMsgDlgBtn, int> results[] = {
                {mbYes, mrYes}, {mbNo, mrNo}, {mbOK, mrOk}, {mbCancel, mrCancel}};
            for (const auto& [button, result] : results)
                if (buttons & (1 << button))
                    offered.push_back(result);
            return offered;
        }
        switch (buttons & 0xF) {
        case MB_OKCANCEL:
            return {IDOK, IDCANCEL};
        case MB_YESNOCANCEL:
            return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO:
            return {IDYES, IDNO};
        default:
            return {IDOK};
        }
    }

    // The scenario cannot be followed further: the program exits.
    void Cut() {
        if (cut_)
            return;
        cut_ = true;
        toolkitsim::At(0, [this] {
            watcher_.Look();
            watcher_.Note("> the run ends here, without the rest of the scenario: exit from the "
                          "tray menu");
            if (FMain != nullptr)
                toolkitsim::ClickItem(*FMain->NExit);
        });
    }

    void Perform(const Action& a) {
        if (cut_)
            return;
        ++performed_;
        watcher_.Look();
        // An expectation looks at what the program did since the last action that was not one.
        if (!a.verb.starts_with("expect"))
            mark_ = watcher_.ProgramLines().size();
        const auto& w = a.words;
        if (a.verb == "program") {
            win32sim::SimulatedProgram program;
            program.idleAfter = 500;
            win32sim::WindowSpec spec;
            spec.className = w[1];
            spec.caption = w.size() > 2 ? w[2] : "";
            spec.activate = true;
            program.windows.push_back(spec);
            win32sim::RegisterProgram(w[0], program);
            watcher_.Note("> program " + w[0] + " opens a window of class \"" + w[1] + "\"");
        } else if (a.verb == "window") {
            win32sim::WindowSpec spec;
            spec.className = w[0];
            spec.caption = w.size() > 2 ? w[2] : "";
            spec.activate = true;
            const DWORD process = nextProcess_;
            nextProcess_ += 4;
            win32sim::CreateForeignWindow(spec, process, process + 1);
            watcher_.Note("> " + w[1] + " shows a window of class \"" + w[0] + "\" in front");
        } else if (a.verb == "file") {
            PutOnDrive(a);
        } else if (a.verb == "front") {
            Front(a);
        } else if (a.verb == "press") {
            Press(a);
        } else if (a.verb == "answer") {
            const std::map<std::string, int> answers = {
                {"yes", mrYes}, {"no", mrNo}, {"ok", mrOk}, {"cancel", mrCancel}};
            answers_.push_back({answers.at(w[0]), a.line});
            watcher_.Note("> the next question is answered " + w[0]);
        } else if (a.verb == "expect" || a.verb == "expect-not") {
            Expect(a);
        } else if (a.verb == "settings") {
            watcher_.Note("> the settings from the tray menu");
            // The dialog is modal: the actions to come run in its loop, until it closes.
            if (FMain != nullptr)
                toolkitsim::ClickItem(*FMain->NParam);
        } else if (a.verb == "input") {
            toolkitsim::QueueInput(a.text);
            ++dialogAnswers_;
            watcher_.Note("> the next input box is answered \"" + a.text + "\"");
        } else if (a.verb == "input-cancel") {
            toolkitsim::QueueDialogCancel(toolkitsim::DialogKind::Input);
            ++dialogAnswers_;
            watcher_.Note("> the next input box is cancelled");
        } else if (a.verb == "open-file") {
            toolkitsim::QueueOpenFile(a.text);
            ++dialogAnswers_;
            watcher_.Note("> the next file-open dialog is answered " + a.text);
        } else if (a.verb == "open-file-cancel") {
            toolkitsim::QueueDialogCancel(toolkitsim::DialogKind::Open);
            ++dialogAnswers_;
            watcher_.Note("> the next file-open dialog is cancelled");
        } else if (a.verb == "colour") {
            toolkitsim::QueueColor(static_cast<TColor>(a.colour));
            ++dialogAnswers_;
            watcher_.Note("> the next colour dialog is answered " + a.words[0]);
        } else if (a.verb == "colour-cancel") {
            toolkitsim::QueueDialogCancel(toolkitsim::DialogKind::Color);
            ++dialogAnswers_;
            watcher_.Note("> the next colour dialog is cancelled");
        } else if (a.verb == "menu") {
            Menu(a);
        } else if (a.verb == "restart") {
            Restart(a);
        } else if (a.verb == "show") {
            Show(a);
        } else if (a.verb == "drive") {
            Drive(a);
        } else if (a.verb == "look") {
            Look(a);
        } else if (a.verb == "tab" || a.verb == "select" || a.verb == "learn" ||
                   a.verb == "click" || a.verb == "edit" || a.verb == "choose" ||
                   a.verb == "close" || a.verb == "type" || a.verb == "key" || a.verb == "track" ||
                   a.verb == "dblclick" || a.verb == "drag" || a.verb == "move" ||
                   a.verb == "resize") {
            try {
                DialogAction(a);
            } catch (const toolkitsim::Failure& e) {
                Fail(a, e.what());
            }
        } else if (a.verb == "exit") {
            watcher_.Note("> exit from the tray menu");
            if (FMain != nullptr)
                toolkitsim::ClickItem(*FMain->NExit);
        }
    }

    // A file on the simulated drive, such as an installed program that the search finds; one
    // already there keeps its contents and takes the attributes.
    void PutOnDrive(const Action& a) {
        const std::string host = win32sim::HostPath(a.words[0]);
        std::error_code error;
        if (!host.empty())
            fs::create_directories(fs::path(host).parent_path(), error);
        if (host.empty() || error || !fs::is_regular_file(host)) {
            std::ofstream out(host, std::ios::binary | std::ios::trunc);
            if (host.empty() || error || !(out << "MZ")) {
                Fail(a, "cannot put " + a.words[0] + " on the simulated drive");
                return;
            }
        }
        std::string marks;
        if (a.attributes != 0) {
            DWORD attributes = 0;
            for (const auto& [bit, value, name] :
                 {std::tuple{kReadOnly, DWORD{FILE_ATTRIBUTE_READONLY}, "read-only"},
                  std::tuple{kHidden, DWORD{FILE_ATTRIBUTE_HIDDEN}, "hidden"},
                  std::tuple{kSystem, DWORD{FILE_ATTRIBUTE_SYSTEM}, "system"}})
                if ((a.attributes & bit) != 0) {
                    attributes |= value;
                    marks += std::string(marks.empty() ? ", " : " and ") + name;
                }
            if (!SetFileAttributesA(a.words[0].c_str(), attributes)) {
                Fail(a, "cannot mark " + a.words[0] + marks.substr(1));
                return;
            }
        }
        watcher_.TakeFiles();
        watcher_.Note("> the file " + a.words[0] + " is on the drive" + marks);
    }

    // A further drive, an empty folder of the run's own.
    void Drive(const Action& a) {
        const char letter = a.text[0];
        if (!win32sim::HostPath(a.text + "\\").empty()) {
            Fail(a, "the drive " + a.text + " is there already");
            return;
        }
        const fs::path folder = root_.string() + "-" + std::string(1, letter);
        std::error_code error;
        fs::create_directories(folder, error);
        if (error) {
            Fail(a, "cannot make a folder for the drive " + a.text + ": " + error.message());
            return;
        }
        drives_.push_back(folder);
        win32sim::MapDrive(letter, folder.string());
        watcher_.Note("> the drive " + a.text + " is there, empty");
    }

    // A file of the drive in the report, for expectations to check what the program wrote.
    void Show(const Action& a) {
        const std::string host = win32sim::HostPath(a.text);
        std::ifstream in(host, std::ios::binary);
        if (host.empty() || !fs::is_regular_file(host) || !in) {
            Fail(a, "no file " + a.text + " on the simulated drive");
            return;
        }
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        watcher_.Note("> the file " + a.text + " is shown");
        std::vector<std::string> lines = FileLines(a.text, bytes);
        // The attributes a user sees in the file's properties, on its first line.
        const DWORD attributes = GetFileAttributesA(a.text.c_str());
        for (const auto& [value, name] : {std::pair{DWORD{FILE_ATTRIBUTE_READONLY}, "read-only"},
                                          std::pair{DWORD{FILE_ATTRIBUTE_HIDDEN}, "hidden"},
                                          std::pair{DWORD{FILE_ATTRIBUTE_SYSTEM}, "system"}})
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & value) != 0)
                lines.front() += std::string(", ") + name;
        for (const std::string& line : lines)
            watcher_.Print(line);
    }

    // An item of the tray menu, by its name or its caption.
    void Menu(const Action& a) {
        if (FMain == nullptr) {
            Fail(a, "the program has no tray menu now");
            return;
        }
        TMenuItem* item = nullptr;
        for (TMenuItem* m :
             {FMain->NHelp, FMain->NPlayList, FMain->NParam, FMain->NSearchAppl, FMain->NExit}) {
            std::string caption = m->Caption;
            std::erase(caption, '&');
            if (cp1251::EqualNoCase(m->Name, a.target) || cp1251::EqualNoCase(caption, a.target))
                item = m;
        }
        if (item == nullptr) {
            Fail(a, "no item \"" + a.target +
                        "\" in the tray menu (NHelp, NPlayList, NParam, NSearchAppl, NExit)");
            return;
        }
        const std::string name = "\"" + item->Name + "\" \"" + std::string(item->Caption) + "\"";
        if (!item->Enabled) {
            Fail(a, "the tray menu's " + name + " is disabled");
            return;
        }
        // The search window waits for its user in a process of its own, and the tray program
        // waits for it to go: nothing of a scenario reaches it.
        if (item == FMain->NSearchAppl) {
            Fail(a, "the search window cannot be worked in a scenario");
            return;
        }
        watcher_.Note("> the tray menu's " + name);
        toolkitsim::ClickItem(*item);
    }

    // An on-screen window as the user sees it: where, how large, in which colour.
    void Look(const Action& a) {
        for (int kind = 0; kind < FormSlotCount; ++kind) {
            if (!cp1251::EqualNoCase(kKindNames[kind], a.target))
                continue;
            TForm* form = Runtime.FormSlots[static_cast<std::size_t>(kind)].Form;
            if (form == nullptr || !form->Visible) {
                Fail(a, std::string("the ") + kKindNames[kind] + " window is not on the screen");
                return;
            }
            // The text's colour: the first label's, else the form's own.
            TColor colour = form->Font.Color;
            for (int i = 0; i < form->ComponentCount(); ++i)
                if (auto* label = dynamic_cast<TLabel*>(form->Components(i))) {
                    colour = label->Font.Color;
                    break;
                }
            const std::string rgb = ColourName(colour);
            watcher_.Note("> a look at the " + std::string(kKindNames[kind]) + " window");
            watcher_.Print(std::string(kKindNames[kind]) + " window at " +
                           std::to_string(static_cast<int>(form->Left)) + "," +
                           std::to_string(static_cast<int>(form->Top)) + " size " +
                           std::to_string(static_cast<int>(form->Width)) + "x" +
                           std::to_string(static_cast<int>(form->Height)) + ", text colour " + rgb);
            return;
        }
        // A control of the forms in front: what the user sees of it.
        TControl* control = dynamic_cast<TControl*>(Named(a.target));
        if (control == nullptr) {
            Fail(a, "no on-screen window or control \"" + a.target +
                        "\" (info, bar, clock, list, input, settings, or a control's name)");
            return;
        }
        // A control behind another dialog or disabled is seen; one not showing is not.
        if (const std::string why = Unreachable(*control);
            why.find(" is not showing") != std::string::npos) {
            Fail(a, why);
            return;
        }
        std::string seen = control->Name;
        if (auto* box = dynamic_cast<TCheckBox*>(control))
            seen += box->Checked ? " checked" : " not checked";
        else if (auto* radio = dynamic_cast<TRadioButton*>(control))
            seen += radio->Checked ? " chosen" : " not chosen";
        else if (auto* bar = dynamic_cast<TTrackBar*>(control))
            seen += " at " + std::to_string(static_cast<int>(bar->Position)) + " of " +
                    std::to_string(static_cast<int>(bar->Min)) + " to " +
                    std::to_string(static_cast<int>(bar->Max));
        else if (auto* edit = dynamic_cast<TCustomEdit*>(control))
            seen += " text \"" + std::string(edit->Text) + "\"";
        else if (auto* combo = dynamic_cast<TComboBox*>(control))
            seen += " text \"" + std::string(combo->Text) + "\"";
        else if (auto* list = dynamic_cast<TListBox*>(control)) {
            seen += " [";
            for (int i = 0; i < list->Items.Count(); ++i)
                seen += (i ? ", \"" : "\"") + list->Items[i] + "\"";
            seen += "]";
            if (list->ItemIndex >= 0)
                seen += " selected \"" + list->Items[list->ItemIndex] + "\"";
        } else
            seen += " colour " + ColourName(control->Color);
        const std::string caption = control->Caption;
        if (!caption.empty() && dynamic_cast<TCustomEdit*>(control) == nullptr)
            seen += " \"" + caption + "\"";
        if (!control->GetEnabled())
            seen += ", disabled";
        watcher_.Note("> a look at " + control->Name);
        watcher_.Print(seen);
    }

    // As the user would tell a colour: #RRGGBB; a system colour follows the desktop's scheme,
    // its number says which.
    static std::string ColourName(TColor colour) {
        const auto value = static_cast<unsigned>(colour);
        const unsigned bgr = value & 0xFFFFFF;
        char text[32];
        if ((value & 0xFF000000) != 0)
            std::snprintf(text, sizeof text, "system colour %u", bgr);
        else
            std::snprintf(text, sizeof text, "#%02X%02X%02X", bgr & 0xFF, (bgr >> 8) & 0xFF,
                          bgr >> 16);
        return text;
    }

    // The tray menu's exit; the program then starts again on this machine (RunScenario).
    void Restart(const Action& a) {
        if (FMain == nullptr) {
            Fail(a, "the program has no tray menu now");
            return;
        }
        if (const auto open = OpenDialogs(); !open.empty()) {
            Fail(a, "the dialog " + open.front()->Name + " is open: close it first");
            return;
        }
        watcher_.Note("> exit from the tray menu, to start again");
        restarting_ = true;
        restartAt_ = a.at;
        toolkitsim::ClickItem(*FMain->NExit);
    }

public:
    bool Restarting() const { return restarting_; }

    // The program ended for a restart: what it left undone is told, the toolkit and the
    // program's state begin anew on the same machine, and the next actions are scheduled.
    void StartAgain() {
        restarting_ = false;
        watcher_.Look();
        if (!answers_.empty())
            result_.failures.push_back(std::to_string(answers_.size()) +
                                       " answer(s) of the scenario never used before the restart");
        answers_.clear();
        if (UnusedDialogAnswers() > 0)
            result_.failures.push_back(std::to_string(UnusedDialogAnswers()) +
                                       " answer(s) for input, file or colour dialogs never used "
                                       "before the restart");
        toolkitsim::Reset();
        AnswerBoxes();
        toolkitsim::WatchControls([this](TControl& control) { watcher_.Changed(control); });
        ResetRuntimeState();
        dialogAnswers_ = 0;
        watcher_.Restarted();
        watcher_.Note("> Tavrin RC starts again from " + std::string(kProgramFolder));
        while (next_ < timeline_.size() && timeline_[next_]->at == restartAt_ &&
               AtTheStart(*timeline_[next_]))
            Perform(*timeline_[next_++]);
        toolkitsim::At(0, [this] { watcher_.Look(); });
        ScheduleNext(restartAt_);
    }

    // The virtual time this start may take for the scenario's own waits.
    DWORD Budget() const { return scenario_.end - restartAt_ + 10 * kTick; }

    // The folders of the further drives, for the end of the run.
    const std::vector<fs::path>& Drives() const { return drives_; }

private:
    // The open dialogs, the one in front first.
    static std::vector<TDialogForm*> OpenDialogs() {
        std::vector<TDialogForm*> open;
        for (const std::int16_t kind : {KindFuncwizard, KindCmdwizard, KindConfig})
            if (TDialogForm* dialog = DialogOfKind(kind))
                open.push_back(dialog);
        return open;
    }

    // A component of the open dialogs by its name (a dialog by its own), of the kind wanted;
    // none after a failure.
    template <class T>
    T* Find(const Action& a, const std::string& name, const char* kind) {
        const auto open = FormsInFront();
        if (open.empty()) {
            Fail(a, "no dialog is open");
            return nullptr;
        }
        // "FInfo.lblMsgtext": a control of that form, where forms name theirs alike.
        const std::size_t dot = name.find('.');
        for (TCustomForm* dialog : open) {
            if (dot != std::string::npos && !cp1251::EqualNoCase(dialog->Name, name.substr(0, dot)))
                continue;
            TComponent* found =
                dot != std::string::npos ? dialog->FindComponent(name.substr(dot + 1))
                : cp1251::EqualNoCase(dialog->Name, name) ? dialog
                                                          : dialog->FindComponent(name);
            if (found == nullptr)
                continue;
            if (auto* wanted = dynamic_cast<T*>(found))
                return wanted;
            Fail(a, "\"" + name + "\" is not " + kind);
            return nullptr;
        }
        Fail(a, "no \"" + name + "\" in the open dialogs");
        return nullptr;
    }

    // Why the user cannot reach the control now ("" when they can): it is hidden or on a page
    // not shown, it is disabled, or another dialog stands in front of its own.
    static std::string Unreachable(TControl& control) {
        const std::string name = "\"" + control.Name + "\"";
        for (const TControl* c = &control; c != nullptr; c = c->GetParent()) {
            if (dynamic_cast<const TCustomForm*>(c) != nullptr) {
                const auto open = OpenDialogs();
                if (!open.empty() && open.front() != c)
                    return name + " is behind the dialog " + open.front()->Name;
                return "";
            }
            const std::string which = c == &control ? "" : ": \"" + c->Name + "\" is";
            if (!c->GetVisible())
                return name + " is not showing" + which + (which.empty() ? "" : " hidden");
            if (!c->GetEnabled())
                return name + " is disabled" + which + (which.empty() ? "" : " disabled");
        }
        return name + " is on no dialog";
    }

    // A grid's row as the action names it; -1 after a failure.
    int RowOf(const Action& a, const TCustomGrid& grid) {
        const std::string name = "\"" + grid.Name + "\"";
        if (a.row.byNumber) {
            if (a.row.number >= grid.RowCount()) {
                Fail(a, name + " has no row " + std::to_string(a.row.number));
                return -1;
            }
            if (a.row.number < grid.FixedRows()) {
                Fail(a, "row " + std::to_string(a.row.number) + " of " + name + " is a title row");
                return -1;
            }
            return a.row.number;
        }
        for (int row = grid.FixedRows(); row < grid.RowCount(); ++row)
            if (cp1251::EqualNoCase(grid.GetCellText(0, row), a.row.text))
                return row;
        Fail(a, "no row \"" + a.row.text + "\" in " + name);
        return -1;
    }

    template <class T>
    T* Reach(const Action& a, const std::string& name, const char* kind) {
        T* control = Find<T>(a, name, kind);
        if (control == nullptr)
            return nullptr;
        const std::string why = Unreachable(*control);
        if (!why.empty()) {
            Fail(a, why);
            return nullptr;
        }
        return control;
    }

    // What the user does in a dialog, through the toolkit's control interface.
    void DialogAction(const Action& a) {
        if (a.verb == "tab") {
            const auto open = OpenDialogs();
            TPageControl* pages = nullptr;
            for (int i = 0; !open.empty() && pages == nullptr && i < open.front()->ComponentCount();
                 ++i)
                pages = dynamic_cast<TPageControl*>(open.front()->Components(i));
            if (pages == nullptr) {
                Fail(a, open.empty() ? "no dialog is open" : "the dialog in front has no tabs");
                return;
            }
            int tab = a.row.byNumber ? a.row.number : -1;
            for (int i = 0; !a.row.byNumber && i < pages->TabCount(); ++i)
                if (cp1251::EqualNoCase(std::string(pages->TabPage(i)->Caption), a.row.text))
                    tab = i;
            if (tab < 0 || tab >= pages->TabCount()) {
                std::string shown;
                for (int i = 0; i < pages->TabCount(); ++i)
                    shown += (i ? ", \"" : "\"") + std::string(pages->TabPage(i)->Caption) + "\"";
                Fail(a, "no tab \"" + a.row.text + "\" among the " +
                            std::to_string(pages->TabCount()) + " shown: " + shown);
                return;
            }
            if (const std::string why = Unreachable(*pages); !why.empty()) {
                Fail(a, why);
                return;
            }
            watcher_.Note("> tab " + std::to_string(tab) + " \"" +
                          std::string(pages->TabPage(tab)->Caption) + "\"");
            toolkitsim::ClickTab(*pages, tab);
        } else if (a.verb == "select" && dynamic_cast<TListBox*>(Named(a.target)) != nullptr) {
            SelectItem(a);
        } else if (a.verb == "select" || a.verb == "learn") {
            TCustomGrid* grid = nullptr;
            if (a.verb == "learn") {
                TConfigDialog* dialog = OpenConfigDialog();
                if (dialog == nullptr || dialog->vleCode == nullptr) {
                    Fail(a, "the settings dialog is not open");
                    return;
                }
                grid = Reach<TCustomGrid>(a, dialog->vleCode->Name, "a grid");
            } else {
                grid = Reach<TCustomGrid>(a, a.target, "a grid");
            }
            const int row = grid == nullptr ? -1 : RowOf(a, *grid);
            if (row < 0)
                return;
            const std::string where = "row " + std::to_string(row) + " \"" +
                                      grid->GetCellText(0, row) + "\" of " + grid->Name;
            if (a.verb == "learn") {
                // A double click on the row learns its code from the next press.
                watcher_.Note("> double click on " + where);
                Focus(*grid);
                toolkitsim::DblClickCell(*grid, grid->FixedCols(), row);
            } else {
                watcher_.Note("> click on " + where);
                Focus(*grid);
                toolkitsim::ClickCell(*grid, grid->FixedCols(), row);
            }
        } else if (a.verb == "edit") {
            TCustomGrid* grid = Reach<TCustomGrid>(a, a.target, "a grid");
            const int row = grid == nullptr ? -1 : RowOf(a, *grid);
            if (row < 0)
                return;
            const std::string cell = "column " + std::to_string(a.col) + " of row " +
                                     std::to_string(row) + " of " + grid->Name;
            if (a.col >= grid->ColCount()) {
                Fail(a, "\"" + grid->Name + "\" has no column " + std::to_string(a.col));
                return;
            }
            watcher_.Note("> " + cell + " edited to \"" + a.text + "\"");
            Focus(*grid);
            if (!toolkitsim::EditCell(*grid, a.col, row, a.text))
                Fail(a, "the cell, " + cell + ", cannot be edited or refused the text");
        } else if (a.verb == "click") {
            if (TControl* control = Reach<TControl>(a, a.target, "a control")) {
                const std::string caption = control->Caption;
                watcher_.Note("> click on " + control->Name +
                              (caption.empty() ? "" : " \"" + caption + "\""));
                Focus(*control);
                toolkitsim::Click(*control);
            }
        } else if (a.verb == "choose") {
            TComboBox* combo = Reach<TComboBox>(a, a.target, "a combo box");
            if (combo == nullptr)
                return;
            for (int i = 0; i < combo->Items.Count(); ++i) {
                if (cp1251::EqualNoCase(combo->Items[i], a.text)) {
                    watcher_.Note("> \"" + combo->Items[i] + "\" chosen in " + combo->Name);
                    toolkitsim::ChooseItem(*combo, i);
                    return;
                }
            }
            std::string items;
            for (int i = 0; i < combo->Items.Count(); ++i)
                items += (i ? ", \"" : "\"") + combo->Items[i] + "\"";
            Fail(a, "no item \"" + a.text + "\" in " + combo->Name +
                        (items.empty() ? ", which has none" : ", only " + items));
        } else if (a.verb == "close") {
            const auto open = OpenDialogs();
            TDialogForm* dialog = nullptr;
            if (a.target.empty()) {
                if (open.empty())
                    Fail(a, "no dialog is open");
                else
                    dialog = open.front();
            } else {
                dialog = Find<TDialogForm>(a, a.target, "a dialog");
            }
            if (dialog == nullptr)
                return;
            // What the title bar's close button sends.
            watcher_.Note("> the title bar closes " + dialog->Name);
            SendMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
        } else if (a.verb == "dblclick") {
            if (TControl* control = Reach<TControl>(a, a.target, "a control")) {
                watcher_.Note("> double click on " + control->Name);
                Focus(*control);
                toolkitsim::DblClick(*control);
            }
        } else if (a.verb == "drag") {
            TCustomGrid* grid = Reach<TCustomGrid>(a, a.target, "a grid");
            const int from = grid == nullptr ? -1 : RowOf(a, *grid);
            if (from < 0)
                return;
            Action to = a;
            to.row.number = a.position;
            if (RowOf(to, *grid) < 0)
                return;
            watcher_.Note("> row " + std::to_string(from) + " of " + grid->Name +
                          " dragged to row " + std::to_string(a.position));
            toolkitsim::DragRow(*grid, from, a.position);
        } else if (a.verb == "move") {
            // Pressed in the middle, dragged by the distance, let go.
            TCustomForm* form = Reach<TCustomForm>(a, a.target, "a dialog or on-screen window");
            if (form == nullptr)
                return;
            const int x = form->ClientWidth / 2, y = form->ClientHeight / 2;
            watcher_.Note("> " + form->Name + " dragged by " + std::to_string(a.col) + "," +
                          std::to_string(a.position));
            toolkitsim::MouseDown(*form, mbLeft, x, y, {ssLeft});
            toolkitsim::MouseMove(*form, x + a.col, y + a.position, {ssLeft});
            toolkitsim::MouseUp(*form, mbLeft, x + a.col, y + a.position);
        } else if (a.verb == "resize") {
            TCustomForm* form = Reach<TCustomForm>(a, a.target, "a dialog");
            if (form == nullptr)
                return;
            const TFormBorderStyle border = form->BorderStyle;
            if (border != bsSizeable && border != bsSizeToolWin) {
                Fail(a, "\"" + form->Name + "\" has no border to size it by");
                return;
            }
            // The border dragged until the window has the size.
            watcher_.Note("> " + form->Name + " sized to " + std::to_string(a.col) + "x" +
                          std::to_string(a.position));
            form->SetBounds(form->Left, form->Top, a.col, a.position);
        } else if (a.verb == "type") {
            // Key by key through the control's own key handling, so that its filters apply.
            if (auto* control = Reach<TWinControl>(a, a.target, "a control that takes typing")) {
                watcher_.Note("> \"" + a.text + "\" typed into " + control->Name);
                toolkitsim::TypeText(*control, a.text);
            }
        } else if (a.verb == "key") {
            const auto front = FormsInFront();
            if (front.empty()) {
                Fail(a, "no dialog or on-screen window takes keys now");
                return;
            }
            TCustomForm& form = *front.front();
            TShiftState shift;
            if ((a.modifiers & kShift) != 0)
                shift << ssShift;
            if ((a.modifiers & kCtrl) != 0)
                shift << ssCtrl;
            if ((a.modifiers & kAlt) != 0)
                shift << ssAlt;
            const TWinControl* focused = form.ActiveControl;
            watcher_.Note("> key " + a.words[0] + " on " +
                          (focused != nullptr ? focused->Name : form.Name));
            toolkitsim::PressKey(form, static_cast<WORD>(a.vk), shift);
        } else if (a.verb == "track") {
            TTrackBar* bar = Reach<TTrackBar>(a, a.target, "a track bar");
            if (bar == nullptr)
                return;
            if (a.position < bar->Min || a.position > bar->Max) {
                Fail(a, "\"" + bar->Name + "\" goes from " + std::to_string(bar->Min) + " to " +
                            std::to_string(bar->Max) + ", not to " + std::to_string(a.position));
                return;
            }
            watcher_.Note("> " + bar->Name + " moved from " + std::to_string(bar->Position) +
                          " to " + std::to_string(a.position));
            toolkitsim::MoveTrackBar(*bar, a.position);
        }
    }

    // A click gives the focus to the controls that take it, so that keys then go to them.
    static void Focus(TControl& control) {
        auto* c = dynamic_cast<TWinControl*>(&control);
        const bool takesFocus =
            dynamic_cast<TCustomGrid*>(c) != nullptr || dynamic_cast<TListBox*>(c) != nullptr ||
            dynamic_cast<TCustomEdit*>(c) != nullptr || dynamic_cast<TComboBox*>(c) != nullptr ||
            dynamic_cast<TButton*>(c) != nullptr || dynamic_cast<TCheckBox*>(c) != nullptr ||
            dynamic_cast<TRadioButton*>(c) != nullptr || dynamic_cast<TTrackBar*>(c) != nullptr;
        if (takesFocus && c->CanFocus())
            c->SetFocus();
    }

    // A component of the forms in front by its name, without a failure.
    static TComponent* Named(const std::string& name) {
        const std::size_t dot = name.find('.');
        for (TCustomForm* form : FormsInFront()) {
            if (dot == std::string::npos) {
                if (TComponent* found = form->FindComponent(name))
                    return found;
            } else if (cp1251::EqualNoCase(form->Name, name.substr(0, dot))) {
                return form->FindComponent(name.substr(dot + 1));
            }
        }
        return nullptr;
    }

    // A click on an item of a list box: by its text, or "row <n>" counting from 0.
    void SelectItem(const Action& a) {
        TListBox* list = Reach<TListBox>(a, a.target, "a list box");
        if (list == nullptr)
            return;
        int index = a.row.byNumber ? a.row.number : -1;
        for (int i = 0; !a.row.byNumber && index < 0 && i < list->Items.Count(); ++i)
            if (cp1251::EqualNoCase(list->Items[i], a.row.text))
                index = i;
        if (index < 0 || index >= list->Items.Count()) {
            Fail(a, "no item " +
                        (a.row.byNumber ? std::to_string(a.row.number) : "\"" + a.row.text + "\"") +
                        " in " + list->Name);
            return;
        }
        // The host's list boxes show every item from the first on.
        watcher_.Note("> click on item " + std::to_string(index) + " \"" + list->Items[index] +
                      "\" of " + list->Name);
        Focus(*list);
        toolkitsim::Click(*list, 2, index * list->ItemHeight + list->ItemHeight / 2);
    }

    // The forms the user works with mouse and keys: the open dialogs, the one in front first;
    // with none open (a dialog holds the others disabled), the on-screen windows while shown.
    static std::vector<TCustomForm*> FormsInFront() {
        std::vector<TCustomForm*> front;
        for (TDialogForm* dialog : OpenDialogs())
            front.push_back(dialog);
        if (!front.empty())
            return front;
        for (const std::int16_t kind : {KindList, KindInput, KindInfo, KindBar, KindTime}) {
            TForm* form = Runtime.FormSlots[static_cast<std::size_t>(kind)].Form;
            if (form != nullptr && form->Visible)
                front.push_back(form);
        }
        return front;
    }

    void Front(const Action& a) {
        if (a.words[0] == "desktop") {
            win32sim::ClearForeground();
            watcher_.Note("> the desktop is in front");
            return;
        }
        for (const auto& info : win32sim::Windows()) {
            if (!info.own && cp1251::EqualNoCase(info.className, a.words[0])) {
                SetForegroundWindow(info.handle);
                watcher_.Note("> \"" + info.className + "\" comes to the front");
                return;
            }
        }
        Fail(a, "no window of class \"" + a.words[0] + "\"");
    }

    void Press(const Action& a) {
        const std::string& button = a.words[0];
        std::int64_t code = a.code;
        if (!a.byCode) {
            code = -1;
            for (const TCodeEntry& e : Runtime.CodeTable)
                if (cp1251::EqualNoCase(FieldText(e.Name), button)) {
                    code = e.Code;
                    break;
                }
            if (code < 2) {
                Fail(a, "no button \"" + button + "\" in the code table");
                return;
            }
        }
        const unsigned repeats = a.holdTicks;
        // A new press flips the toggle bit, as a remote does; a held button repeats it.
        toggle_ ^= kToggleBit;
        const std::int64_t sent = (code & ~kToggleBit) | toggle_;
        const std::string hex = Hex(static_cast<unsigned long long>(code));
        watcher_.Note((a.byCode ? "> code " + hex : "> button " + button + " (" + hex + ")") +
                      (repeats > 1 ? " held for " + std::to_string(repeats) + " ticks" : ""));
        chain::ReceiverChain* receiver = chain_;
        for (unsigned i = 0; i < repeats; ++i)
            toolkitsim::At(static_cast<DWORD>(i) * kTick,
                           [receiver, sent] { receiver->Receiver().PressButton(sent); });
    }

    // The text, as written, in a line of what the program did since the mark.
    void Expect(const Action& a) {
        const bool wanted = a.verb == "expect";
        const auto& lines = watcher_.ProgramLines();
        bool found = false;
        for (std::size_t i = mark_; i < lines.size() && !found; ++i)
            found = lines[i].find(a.rest) != std::string::npos;
        if (found != wanted)
            Fail(a, std::string(wanted ? "expected" : "did not expect") + " \"" + a.rest + "\"");
        else
            watcher_.Note(std::string("ok: ") + (wanted ? "" : "no ") + "\"" + a.rest + "\"");
    }

public:
    chain::ReceiverChain* chain_ = nullptr;

private:
    const Scenario& scenario_;
    RunResult& result_;
    Watcher watcher_;
    std::size_t mark_ = 0;
    std::size_t performed_ = 0;
    DWORD nextProcess_ = 4000;
    std::size_t dialogAnswers_ = 0;           // input, file and colour answers queued
    std::deque<std::pair<int, int>> answers_; // for every program's questions, with their lines
    std::vector<const Action*> timeline_;     // the actions after the start, one after another
    std::size_t next_ = 0;
    bool cut_ = false; // a question came without an answer
    std::int64_t toggle_ = kToggleBit;
    bool restarting_ = false;
    unsigned restartAt_ = 0; // when the latest start came, on the scenario's timeline
    fs::path root_;
    std::vector<fs::path> drives_;
};

} // namespace

RunResult RunScenario(const Scenario& scenario, const std::string& programFolder,
                      std::ostream& out) {
    RunResult result;
    std::error_code error;
    std::string temp = (fs::temp_directory_path() / "tavrin-simulator-XXXXXX").string();
    if (::mkdtemp(temp.data()) == nullptr) {
        result.failures.push_back("cannot make a folder for the simulated drive");
        result.exitCode = 2;
        return result;
    }
    const fs::path drive = temp;
    fs::copy(programFolder, drive / "Tavrin RC", fs::copy_options::recursive, error);
    if (error) {
        result.failures.push_back("cannot copy the program folder " + programFolder + ": " +
                                  error.message());
        result.exitCode = 2;
        fs::remove_all(drive, error);
        return result;
    }

    win32sim::ResetMachine();
    win32sim::SetObjectNamespace(win32sim::NewObjectNamespace());
    win32sim::MapDrive('C', drive.string());
    win32sim::SetProgramPath(kProgramPath);
    SetCurrentDirectoryA(kProgramFolder);
    // The search program beside the tray program, its own code as a program of its own.
    win32sim::RegisterHostProgram(std::string(kProgramFolder) + "Orlimax.exe", {SEARCH_PROGRAM});
    toolkitsim::Reset();
    ResetRuntimeState();
    win32sim::WaveOutDevice speakers;
    speakers.volume = 0x80008000; // half way, so that both directions show
    win32sim::SetWaveOutDevices({speakers});
    const std::string config = std::string(kProgramFolder) + "config.ini";
    for (const Setting& setting : scenario.settings) {
        if (!WritePrivateProfileStringA(setting.section.c_str(), setting.key.c_str(),
                                        setting.value.c_str(), config.c_str())) {
            result.failures.push_back("cannot write the setting \"" + setting.key + "\" into " +
                                      config);
            result.exitCode = 2;
            win32sim::ResetMachine();
            fs::remove_all(drive, error);
            return result;
        }
    }
    {
        chain::ReceiverChain chain;
        RegisterReceiverLibraryModule();
        Run run(scenario, result, out, drive);
        run.chain_ = &chain;
        run.AnswerBoxes();
        // Also inside the program's waits, each line at the time it happened.
        win32sim::WatchClock([&run](DWORD at) { run.Watch().Look(at); });
        toolkitsim::WatchControls([&run](TControl& control) { run.Watch().Changed(control); });
        run.Watch().Note("> Tavrin RC starts from " + std::string(kProgramFolder) +
                         " with a receiver plugged in");
        run.Schedule();
        for (bool again = true; again;) {
            // Waits count from the end of each action: the program's own waits come on top.
            toolkitsim::SetRunBudget(run.Budget() + kBlockedBudget);
            try {
                RegisterDialogs();
                RunTrayProgram();
            } catch (const std::exception& e) {
                run.Watch().Note(std::string("the run stopped: ") + e.what());
                result.failures.push_back(std::string("the run stopped: ") + e.what());
            }
            again = run.Restarting();
            if (again)
                run.StartAgain();
        }
        win32sim::WatchClock(nullptr);
        toolkitsim::WatchControls(nullptr);
        win32sim::AnswerHostedBoxesWith(nullptr);
        run.Watch().Look();
        run.Watch().Note("> Tavrin RC has ended");
        if (run.UnusedAnswers() > 0)
            result.failures.push_back(std::to_string(run.UnusedAnswers()) +
                                      " answer(s) of the scenario never used: no question came");
        if (run.UnusedDialogAnswers() > 0)
            result.failures.push_back(std::to_string(run.UnusedDialogAnswers()) +
                                      " answer(s) for input, file or colour dialogs never used");
        if (run.Missed() > 0)
            result.failures.push_back("the program ended with " + std::to_string(run.Missed()) +
                                      " action(s) of the scenario still to come");
        toolkitsim::Reset();
        for (const fs::path& folder : run.Drives())
            fs::remove_all(folder, error);
    }
    ResetRuntimeState();
    win32sim::ResetMachine();
    fs::remove_all(drive, error);
    result.exitCode = result.failures.empty() ? 0 : 1;
    return result;
}

} // namespace simulator
