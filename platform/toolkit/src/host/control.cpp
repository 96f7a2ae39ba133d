// The toolkit's control interface for tests: run the loop, script boxes and menus, send input.
#include "script.h"

#include "../dialogs_std.h"

#include <toolkitsim/control.h>

#include <win32sim/desktop.h>

#include <deque>
#include <limits>

namespace {

struct Answer {
    int result = 0;
    DWORD after = 0;
};

struct DialogAnswer {
    toolkitsim::DialogKind kind = toolkitsim::DialogKind::Input;
    bool accept = false;
    std::string text;
    TColor color = 0;
    DWORD after = 0;
};

struct ScriptState {
    std::vector<toolkitsim::BoxRecord> boxes;
    std::deque<Answer> answers;
    std::vector<toolkitsim::DialogRecord> dialogs;
    std::deque<DialogAnswer> dialogAnswers;
    std::deque<std::string> picks;
    std::vector<std::string> popups;
    std::function<void(TCustomForm&)> modalHandler;
    std::function<int(const toolkitsim::BoxRecord&, bool)> answerer;
    std::function<void(TControl&)> watch;
    bool watching = false;
};

ScriptState& Script() {
    static ScriptState state;
    return state;
}

TMenuItem* FindItem(TMenuItem* item, const std::string& name) {
    for (int i = 0; i < item->Count(); ++i) {
        TMenuItem* sub = item->Items(i);
        if (AnsiSameText(sub->Name, name))
            return sub;
        if (TMenuItem* found = FindItem(sub, name))
            return found;
    }
    return nullptr;
}

// Input arrives as from the message loop: errors go to the exception box.
void Send(TObject* sender, const std::function<void()>& f) {
    toolkit_detail::Guard(sender, f);
}

char KeyCharacter(WORD key, TShiftState shift) {
    if (key == VK_RETURN)
        return '\r';
    if (key == VK_ESCAPE)
        return 27;
    if (key == VK_BACK)
        return 8;
    if (key == VK_SPACE)
        return ' ';
    if (key >= '0' && key <= '9' && !shift.Contains(ssShift))
        return static_cast<char>(key);
    if (key >= 'A' && key <= 'Z')
        return static_cast<char>(shift.Contains(ssShift) ? key : key + 32);
    return 0;
}

const char* KindName(toolkitsim::DialogKind kind) {
    switch (kind) {
    case toolkitsim::DialogKind::Input:
        return "an input box";
    case toolkitsim::DialogKind::Open:
        return "a file-open dialog";
    case toolkitsim::DialogKind::Color:
        return "a colour dialog";
    }
    return "a dialog";
}

// The next answer, which must be for this kind of dialog; the record is kept either way.
DialogAnswer TakeDialogAnswer(const toolkitsim::DialogRecord& shown) {
    auto& s = Script();
    s.dialogs.push_back(shown);
    if (s.dialogAnswers.empty())
        throw toolkit_detail::Failure(std::string(KindName(shown.kind)) + " \"" + shown.caption +
                                      "\" opened and no answer was given for it");
    DialogAnswer a = s.dialogAnswers.front();
    s.dialogAnswers.pop_front();
    if (a.kind != shown.kind)
        throw toolkit_detail::Failure(std::string(KindName(shown.kind)) + " \"" + shown.caption +
                                      "\" opened, but the answer queued is for " +
                                      KindName(a.kind));
    s.dialogs.back().accepted = a.accept;
    return a;
}

void WaitFor(DWORD after) {
    if (after == 0)
        return;
    const std::uint64_t until = toolkit_detail::Now() + after;
    toolkit_detail::RunUntil([&] { return toolkit_detail::Now() >= until; }, until);
}

// The input box answered as the user would: the text typed over the value, then OK; or Cancel.
bool AnswerInputBox(TCustomForm& form) {
    auto* box = dynamic_cast<toolkit_detail::TInputQueryForm*>(&form);
    if (!box)
        return false;
    if (Script().dialogAnswers.empty() && Script().modalHandler)
        return false;
    toolkitsim::DialogRecord shown;
    shown.kind = toolkitsim::DialogKind::Input;
    shown.caption = box->Caption;
    shown.prompt = box->Prompt->Caption;
    shown.text = box->Edit->Text;
    const DialogAnswer a = TakeDialogAnswer(shown);
    auto act = [box, a] {
        if (a.accept) {
            box->Edit->Text = a.text;
            toolkitsim::Click(*box->OkButton);
        } else {
            toolkitsim::Click(*box->CancelButton);
        }
    };
    if (a.after == 0)
        act();
    else
        toolkit_detail::ScheduleAction(a.after, act);
    return true;
}

} // namespace

bool toolkit_detail::PresentOpenDialog(TOpenDialog& dialog) {
    toolkitsim::DialogRecord shown;
    shown.kind = toolkitsim::DialogKind::Open;
    shown.caption = dialog.Title;
    shown.text = dialog.FileName;
    shown.filter = dialog.Filter;
    shown.initialDir = dialog.InitialDir;
    const DialogAnswer a = TakeDialogAnswer(shown);
    WaitFor(a.after);
    if (a.accept)
        dialog.FileName = a.text;
    return a.accept;
}

bool toolkit_detail::PresentColorDialog(TColorDialog& dialog) {
    toolkitsim::DialogRecord shown;
    shown.kind = toolkitsim::DialogKind::Color;
    shown.color = dialog.Color;
    const DialogAnswer a = TakeDialogAnswer(shown);
    WaitFor(a.after);
    if (a.accept)
        dialog.Color = a.color;
    return a.accept;
}

namespace toolkit_detail::script {

int AnswerBox(const BoxRequest& box) {
    auto& s = Script();
    toolkitsim::BoxRecord r;
    r.kind = static_cast<toolkitsim::BoxKind>(box.kind);
    r.caption = box.caption;
    r.text = box.text;
    r.dialogType = box.dialogType;
    r.buttons = box.buttons;
    if (s.answerer) {
        r.answer = box.choice ? 0 : box.defaultAnswer;
        // Kept, since the answerer may reach the script again.
        const auto answerer = s.answerer;
        r.answer = answerer(r, box.choice);
        Script().boxes.push_back(r);
        return r.answer;
    }
    if (!box.choice) {
        r.answer = box.defaultAnswer;
        s.boxes.push_back(r);
        return r.answer;
    }
    if (s.answers.empty()) {
        s.boxes.push_back(r);
        throw Failure("a box asks \"" + box.text + "\" and no answer was given for it");
    }
    const Answer a = s.answers.front();
    s.answers.pop_front();
    r.answer = a.result;
    s.boxes.push_back(r);
    if (a.after > 0) {
        const std::uint64_t until = Now() + a.after;
        RunUntil([&] { return Now() >= until; }, until);
    }
    return a.result;
}

void PickFromMenu(TPopupMenu& menu, int, int) {
    auto& s = Script();
    s.popups.push_back(menu.Name);
    if (s.picks.empty())
        return;
    const std::string name = s.picks.front();
    s.picks.pop_front();
    if (name.empty())
        return;
    TMenuItem* item = FindItem(menu.Items(), name);
    if (!item)
        throw Failure("the popup menu " + menu.Name + " has no item " + name);
    item->Click();
}

void Watched(TControl& control) {
    auto& s = Script();
    if (!s.watch || s.watching)
        return;
    const auto watch = s.watch;
    s.watching = true;
    watch(control);
    Script().watching = false;
}

} // namespace toolkit_detail::script

void toolkit_detail::ModalStarted(TCustomForm& form) {
    if (AnswerInputBox(form))
        return;
    if (Script().modalHandler)
        Script().modalHandler(form);
}

namespace toolkitsim {

void Reset() {
    delete Application;
    Application = nullptr;
    delete Screen;
    Screen = nullptr;
    toolkit_detail::ResetLoop();
    toolkit_detail::SetRunBudget(600'000);
    Script() = ScriptState{};
    Screen = new TScreen(nullptr);
    Application = new TApplication(nullptr);
}

void RunFor(DWORD milliseconds) {
    toolkit_detail::RequestStop(false);
    toolkit_detail::RunWithin(
        [] {
            return toolkit_detail::StopRequested() || (Application && Application->Terminated());
        },
        milliseconds);
    toolkit_detail::RequestStop(false);
}

void SetRunBudget(DWORD milliseconds) {
    toolkit_detail::SetRunBudget(milliseconds);
}

void Stop() {
    toolkit_detail::RequestStop(true);
}

void At(DWORD delayMilliseconds, std::function<void()> action) {
    toolkit_detail::ScheduleAction(delayMilliseconds, std::move(action));
}

void OnModal(std::function<void(TCustomForm&)> handler) {
    Script().modalHandler = std::move(handler);
}

std::vector<BoxRecord> Boxes() {
    return Script().boxes;
}

void ClearBoxes() {
    Script().boxes.clear();
}

void QueueAnswer(int modalResult, DWORD afterMilliseconds) {
    Script().answers.push_back(Answer{modalResult, afterMilliseconds});
}

int PendingAnswers() {
    return static_cast<int>(Script().answers.size());
}

void AnswerBoxesWith(std::function<int(const BoxRecord&, bool)> answerer) {
    Script().answerer = std::move(answerer);
}

void WatchControls(std::function<void(TControl&)> watch) {
    Script().watch = std::move(watch);
}

void QueueMenuPick(const std::string& itemName) {
    Script().picks.push_back(itemName);
}

std::vector<std::string> Popups() {
    return Script().popups;
}

void SetScreen(int width, int height, int pixelsPerInch) {
    win32sim::SetScreenSize(width, height);
    Screen->PixelsPerInch = pixelsPerInch;
}

void KeyDown(TCustomForm& form, WORD key, TShiftState shift) {
    Send(&form, [&] { form.DispatchKeyDown(key, shift); });
}

void KeyUp(TCustomForm& form, WORD key, TShiftState shift) {
    Send(&form, [&] { form.DispatchKeyUp(key, shift); });
}

void KeyPress(TCustomForm& form, char key) {
    Send(&form, [&] { form.DispatchKeyPress(key); });
}

void PressKey(TCustomForm& form, WORD key, TShiftState shift) {
    bool dialogKey = false;
    Send(&form, [&] { dialogKey = form.DispatchKeyDown(key, shift); });
    if (const char c = KeyCharacter(key, shift); c != 0 && !shift.Contains(ssAlt) && !dialogKey)
        KeyPress(form, c);
    KeyUp(form, key, shift);
}

void MouseDown(TControl& control, TMouseButton button, int x, int y, TShiftState shift) {
    Send(&control, [&] { control.MouseDown(button, shift, x, y); });
}

void MouseMove(TControl& control, int x, int y, TShiftState shift) {
    Send(&control, [&] { control.MouseMove(shift, x, y); });
}

void MouseUp(TControl& control, TMouseButton button, int x, int y, TShiftState shift) {
    Send(&control, [&] { control.MouseUp(button, shift, x, y); });
}

void Click(TControl& control, int x, int y) {
    MouseDown(control, mbLeft, x, y, {ssLeft});
    MouseUp(control, mbLeft, x, y);
    Send(&control, [&] { control.Click(); });
}

void DblClick(TControl& control, int x, int y) {
    Click(control, x, y);
    MouseDown(control, mbLeft, x, y, {ssLeft, ssDouble});
    Send(&control, [&] { control.DblClick(); });
    MouseUp(control, mbLeft, x, y);
}

void ClickItem(TMenuItem& item) {
    Send(&item, [&] { item.Click(); });
}

void TrayMouse(TTrayIcon& icon, TMouseButton button, TTrayMouse action) {
    Send(&icon, [&] { icon.MouseAction(button, action); });
}

void TypeText(TWinControl& control, const std::string& text) {
    TCustomForm* form = control.GetParentForm();
    if (!form)
        throw Failure("the control " + control.Name + " is on no form");
    Send(&control, [&] { control.SetFocus(); });
    for (char c : text)
        KeyPress(*form, c);
}

void ChooseItem(TComboBox& combo, int index) {
    Send(&combo, [&] { combo.PickItem(index); });
}

void ChooseItem(TComboBox& combo, const std::string& text) {
    for (int i = 0; i < combo.Items.Count(); ++i)
        if (combo.Items[i] == text)
            return ChooseItem(combo, i);
    throw Failure("the combo box " + combo.Name + " has no item \"" + text + "\"");
}

void MoveTrackBar(TTrackBar& bar, int position) {
    Send(&bar, [&] {
        if (bar.GetEnabled())
            bar.Position = position;
    });
}

void ClickTab(TPageControl& pages, int tabIndex) {
    Send(&pages, [&] { pages.ClickTab(tabIndex); });
}

namespace {

// The user scrolls a cell out of view into it first.
POINT CellMiddle(TCustomGrid& grid, int col, int row) {
    if (row >= grid.GetFixedRows() && row < grid.GetRowCount() &&
        (row < grid.GetTopRow() || row >= grid.GetTopRow() + std::max(1, grid.VisibleRowCount())))
        grid.TopRow = row;
    if (col >= grid.GetFixedCols() && col < grid.GetColCount() &&
        (col < grid.GetLeftCol() || col >= grid.GetLeftCol() + std::max(1, grid.VisibleColCount())))
        grid.LeftCol = col;
    const RECT r = grid.CellRect(col, row);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

} // namespace

void ClickCell(TCustomGrid& grid, int col, int row) {
    const POINT p = CellMiddle(grid, col, row);
    Click(grid, p.x, p.y);
}

void DblClickCell(TCustomGrid& grid, int col, int row) {
    const POINT p = CellMiddle(grid, col, row);
    DblClick(grid, p.x, p.y);
}

void DragRow(TCustomGrid& grid, int fromRow, int toRow) {
    const int col = grid.GetFixedCols();
    // Both rows in view, as far as they fit.
    if (std::min(fromRow, toRow) < grid.GetTopRow() ||
        std::max(fromRow, toRow) >= grid.GetTopRow() + std::max(1, grid.VisibleRowCount()))
        grid.TopRow = std::min(fromRow, toRow);
    const RECT fromCell = grid.CellRect(col, fromRow);
    const RECT toCell = grid.CellRect(col, toRow);
    const POINT from{(fromCell.left + fromCell.right) / 2, (fromCell.top + fromCell.bottom) / 2};
    const POINT to{(toCell.left + toCell.right) / 2, (toCell.top + toCell.bottom) / 2};
    MouseDown(grid, mbLeft, from.x, from.y, {ssLeft});
    MouseMove(grid, to.x, to.y, {ssLeft});
    MouseUp(grid, mbLeft, to.x, to.y);
}

bool EditCell(TCustomGrid& grid, int col, int row, const std::string& text) {
    ClickCell(grid, col, row);
    bool edited = false;
    Send(&grid, [&] {
        if (grid.GetCol() == col && grid.GetRow() == row)
            edited = grid.EditCurrentCell(text);
    });
    return edited;
}

std::vector<DialogRecord> Dialogs() {
    return Script().dialogs;
}

void QueueInput(const std::string& text, DWORD afterMilliseconds) {
    Script().dialogAnswers.push_back(
        DialogAnswer{DialogKind::Input, true, text, 0, afterMilliseconds});
}

void QueueOpenFile(const std::string& path, DWORD afterMilliseconds) {
    Script().dialogAnswers.push_back(
        DialogAnswer{DialogKind::Open, true, path, 0, afterMilliseconds});
}

void QueueColor(TColor color, DWORD afterMilliseconds) {
    Script().dialogAnswers.push_back(
        DialogAnswer{DialogKind::Color, true, "", color, afterMilliseconds});
}

void QueueDialogCancel(DialogKind kind, DWORD afterMilliseconds) {
    Script().dialogAnswers.push_back(DialogAnswer{kind, false, "", 0, afterMilliseconds});
}

} // namespace toolkitsim
