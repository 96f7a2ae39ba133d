// Control interface of the headless toolkit for tests and the simulator (host only).
#pragma once

#include <toolkit.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace toolkitsim {

// A test that cannot go on: a question box without a scripted answer, a modal form still open
// when the run ended. The toolkit never shows or swallows it; it reaches the test.
class Failure : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// A fresh toolkit: every form and component of the application freed, a new application
// object and screen (pixels per inch 96), no timers, scripts or records. Call it after the
// machine was reset, and again at the end of the test.
void Reset();

// The message loop on the virtual clock: dispatches posted messages, fires timers and scheduled
// actions in due order (by due time, then by when they were set), advancing the clock to each.
// Returns when the time has passed or the application terminated or Stop was called.
void RunFor(DWORD milliseconds);
// How much virtual time Application->Run() may spend before it returns (10 minutes at first).
void SetRunBudget(DWORD milliseconds);
// Makes the running RunFor or Run return once the current handler has returned (a modal loop
// in progress keeps running until its form closes).
void Stop();
// Runs the action from the message loop after the delay (also inside modal loops).
void At(DWORD delayMilliseconds, std::function<void()> action);
// Called with every form that starts a modal loop, right after it was shown.
void OnModal(std::function<void(TCustomForm&)> handler);

// Boxes: every message, question and exception box shown, in order.
enum class BoxKind { Message, Dialog, MessageBox, Exception };
struct BoxRecord {
    BoxKind kind = BoxKind::Message;
    std::string caption;
    std::string text;
    int dialogType = -1; // MessageDlg: the TMsgDlgType
    int buttons = 0;     // MessageDlg: the buttons as a bit set by TMsgDlgBtn; MessageBox: flags
    int answer = 0;      // the modal result returned
};
std::vector<BoxRecord> Boxes();
void ClearBoxes();
// The answer of the next box that offers a choice (more than an OK button), given after the
// message loop ran for the delay. Boxes with only OK answer at once and take no answer; a box
// with a choice and no answer left throws Failure.
void QueueAnswer(int modalResult, DWORD afterMilliseconds = 0);
int PendingAnswers();
// Every box, with a choice or without, goes to the answerer instead of the queued answers; what
// it returns is the answer (recorded in Boxes()). The box it gets holds the answer a box without
// a choice gives by itself (0 for a box with a choice).
void AnswerBoxesWith(std::function<int(const BoxRecord& box, bool choice)> answerer);

// Called after a control's text changed or it was shown or hidden (a form too), for a watcher
// that must see each state a window showed, also those replaced before the loop ran again. The
// watch must not change controls; one that does is not called again from within.
void WatchControls(std::function<void(TControl& control)> watch);

// Popup menus: the next popup clicks the item of that name (searched through the menu's tree);
// an empty name or no queued pick closes the menu without a choice.
void QueueMenuPick(const std::string& itemName);
// The names of the menus that popped up, in order.
std::vector<std::string> Popups();

// The screen of the desktop and the toolkit.
void SetScreen(int width, int height, int pixelsPerInch = 96);

// Input sent to a form as the window would deliver it (errors reach the exception box).
void KeyDown(TCustomForm& form, WORD key, TShiftState shift = {});
void KeyUp(TCustomForm& form, WORD key, TShiftState shift = {});
void KeyPress(TCustomForm& form, char key);
// Down, the character the key types (Enter, Esc, Backspace, digits, letters, space), up.
void PressKey(TCustomForm& form, WORD key, TShiftState shift = {});
// Mouse events sent to a control, in its client coordinates.
void MouseDown(TControl& control, TMouseButton button, int x, int y, TShiftState shift = {});
void MouseMove(TControl& control, int x, int y, TShiftState shift = {});
void MouseUp(TControl& control, TMouseButton button, int x, int y, TShiftState shift = {});
// A left click: down, up, then OnClick.
void Click(TControl& control, int x = 0, int y = 0);
// A double click: the click, then OnDblClick.
void DblClick(TControl& control, int x = 0, int y = 0);
void ClickItem(TMenuItem& item);
void TrayMouse(TTrayIcon& icon, TMouseButton button, TTrayMouse action);

// Controls worked as the user works them (errors reach the exception box). Buttons, check boxes,
// radio buttons and speed buttons take Click; keys go to the focused control through PressKey.
// Focuses the control and types the characters into it, one key press each.
void TypeText(TWinControl& control, const std::string& text);
// Drops the list down and picks the item: by index, or by its exact text (absent: Failure).
void ChooseItem(TComboBox& combo, int index);
void ChooseItem(TComboBox& combo, const std::string& text);
// Drags the thumb to the position.
void MoveTrackBar(TTrackBar& bar, int position);
// A click on the tab, counted among the tabs shown.
void ClickTab(TPageControl& pages, int tabIndex);
// A click, or a double click, in the middle of the cell.
void ClickCell(TCustomGrid& grid, int col, int row);
void DblClickCell(TCustomGrid& grid, int col, int row);
// Presses the row (in its first column that is not fixed), moves the mouse to the other row and
// releases the button there: a drag of the row where the grid lets rows be moved.
void DragRow(TCustomGrid& grid, int fromRow, int toRow);
// Clicks the cell, then replaces its text in the editor; false when the cell cannot be edited
// or the grid refused the text (its error reaches the exception box).
bool EditCell(TCustomGrid& grid, int col, int row, const std::string& text);

// Input boxes and the file-open and colour dialogs: each takes the next queued answer, acted out
// after the message loop ran for the delay (an input box's OK or Cancel is clicked on its form).
// A dialog with no answer left throws Failure, as does an answer queued for another kind of
// dialog; an input box without an answer goes to the OnModal handler when there is one.
enum class DialogKind { Input, Open, Color };
struct DialogRecord {
    DialogKind kind = DialogKind::Input;
    std::string caption; // the input box's caption, the open dialog's Title
    std::string prompt;  // the input box's prompt
    std::string text;    // the input box's value, the open dialog's FileName, as shown
    std::string filter;
    std::string initialDir;
    TColor color = 0; // the colour dialog's Color, as shown
    bool accepted = false;
};
std::vector<DialogRecord> Dialogs();
// OK with the text typed over the input box's value.
void QueueInput(const std::string& text, DWORD afterMilliseconds = 0);
// The file chosen in the open dialog (a Windows path).
void QueueOpenFile(const std::string& path, DWORD afterMilliseconds = 0);
void QueueColor(TColor color, DWORD afterMilliseconds = 0);
// The next dialog, of that kind, cancelled.
void QueueDialogCancel(DialogKind kind, DWORD afterMilliseconds = 0);

} // namespace toolkitsim
