// The toolkit's control interface for tests: run the loop, script boxes and menus, send input.
#include "script.h"

#include <toolkitsim/control.h>

#include <win32sim/desktop.h>

#include <deque>
#include <limits>

namespace {

struct Answer {
    int result = 0;
    DWORD after = 0;
};

struct ScriptState {
    std::vector<toolkitsim::BoxRecord> boxes;
    std::deque<Answer> answers;
    std::deque<std::string> picks;
    std::vector<std::string> popups;
    std::function<void(TCustomForm&)> modalHandler;
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

} // namespace

namespace toolkit_detail::script {

int AnswerBox(const BoxRequest& box) {
    auto& s = Script();
    toolkitsim::BoxRecord r;
    r.kind = static_cast<toolkitsim::BoxKind>(box.kind);
    r.caption = box.caption;
    r.text = box.text;
    r.dialogType = box.dialogType;
    r.buttons = box.buttons;
    if (!box.choice) {
        r.answer = box.defaultAnswer;
        s.boxes.push_back(r);
        return r.answer;
    }
    if (s.answers.empty()) {
        s.boxes.push_back(r);
        throw Failure("a box asks \"" + box.text + "\" and the test gave no answer");
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

} // namespace toolkit_detail::script

void toolkit_detail::ModalStarted(TCustomForm& form) {
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
    KeyDown(form, key, shift);
    if (const char c = KeyCharacter(key, shift); c != 0 && !shift.Contains(ssAlt))
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

} // namespace toolkitsim
