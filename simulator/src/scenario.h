// The scenario of a simulator run: one action per line, in the order they happen, each wait
// counted from the end of the action before it.
//
// The dialogs are worked as the user works them, their controls named as in the program:
//   setting <section> <key> <value>  written into config.ini before the program starts
//   settings                         the tray menu's settings item (the dialog is modal)
//   tab <number> | tab <caption>     a tab of the dialog in front, counted among those shown
//   select <grid> <row>              a click on the row: "row <number>" (a title row is row 0)
//                                    or the text of its first cell
//   learn <row>                      a double click on the row of the code grid: the next press
//                                    on the receiver is its code
//   edit <grid> <column> <row> <text>  the cell's text replaced; the text is the rest of the
//                                    line as written, quotes and all
//   click <control>                  a button, check box or other control
//   choose <combo box> <item>        an item of a drop-down list
//   input <text> | input-cancel      the answer of the next input box
//   answer yes|no|ok|cancel          the answer of the next question or message box
//   close [<dialog>]                 the title bar's close button (the dialog in front)
//   type <control> <text>            the text typed into the control, key by key
//   key <key>                        a key pressed on the focused control ("ctrl+Del")
//   open-file <path> | open-file-cancel  the answer of the next file-open dialog
//   colour #RRGGBB | colour-cancel   the answer of the next colour dialog
//   track <track bar> <position>     the track bar's thumb dragged to the position
//   menu <item>                      an item of the tray menu
//   restart                          the program exits from its tray menu and starts again
//   show <path>                      a file of the drive printed in the report
//   drive <letter>                   a further drive, empty at first
//   dblclick <control>               a double click on the control
//   drag <grid> <row> <row>          a row dragged to another row's place
//   look <window>                    an on-screen window's place, size and colour reported
//   move <window> <right> <down>     a dialog or on-screen window dragged by the mouse
//   resize <dialog> <width> <height> a dialog's border dragged to the size
// A control the user cannot reach (hidden, on a page not shown, disabled, behind another
// dialog) fails the action.
#pragma once

#include <string>
#include <vector>

namespace simulator {

// A row of a grid: by its number as the grid counts it (a title row is row 0), or as the first
// row whose first cell holds the text (without regard to case).
struct RowChoice {
    bool byNumber = false;
    int number = 0;
    std::string text;
};

struct Action {
    int line = 0;     // in the scenario file, for messages
    unsigned at = 0;  // the waits before it, summed; a run counts each from the end of the last
    std::string verb; // "program", "window", "press", "file", "settings", "expect" ...
    std::vector<std::string> words; // the words after the verb, quotes removed
    std::string rest;               // the text after the verb as written (expect)
    // press: a button of the code table by name, or a raw code ("press code <number>").
    bool byCode = false;
    long long code = 0;
    unsigned holdTicks = 1; // ticks of 100 ms the button is held
    // Dialog actions: the component worked on by its name (a grid, combo box, button, edit,
    // page control's tab or dialog), the row of a grid, a grid's column and a text.
    std::string target;
    RowChoice row;
    int col = 0;
    std::string text;
    // key: the virtual key and its modifiers.
    unsigned vk = 0;
    unsigned modifiers = 0;
    unsigned colour = 0;     // colour: as the toolkit holds colours, blue in the high byte
    int position = 0;        // track; drag: the row dropped on; move: down (col: right)
    unsigned attributes = 0; // file
};

// The modifiers of a key.
constexpr unsigned kShift = 1, kCtrl = 2, kAlt = 4;
// The attributes of a file put on the drive.
constexpr unsigned kHidden = 1, kSystem = 2, kReadOnly = 4;

// Settings written into the program folder's config.ini before the program starts.
struct Setting {
    std::string section;
    std::string key;
    std::string value;
};

struct Scenario {
    std::string folder; // "folder" line: the program folder, relative to the scenario's own
    std::vector<Setting> settings; // "setting" lines, wherever they stand
    std::vector<Action> actions;
    unsigned end = 0; // virtual time after the last action
};

// Reads a scenario written in UTF-8; its texts become code page 1251, as the program's are.
// False with the line and the reason in *error when a line cannot be read, is not UTF-8 or
// holds a character that code page 1251 lacks.
bool ParseScenario(const std::string& text, Scenario& scenario, std::string* error);

// "500", "500ms", "2s", "1.5s" as milliseconds; false for anything else.
bool ParseDuration(const std::string& text, unsigned& milliseconds);

} // namespace simulator
