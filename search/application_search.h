// The search for the supported applications on the drives: the drive list, the walk, the test
// start of each program found.
#pragma once

#include <windows.h>

#include <string>

class TCheckListBox;
class TStringList;

// What the search shows on the search window. The worker calls it; an implementation makes each
// call take effect on the GUI thread and returns when it has.
class TSearchView {
public:
    virtual ~TSearchView() = default;
    // The grid stgAppl: row 0 is the header, row i + 1 holds record i.
    virtual void SetRowCount(int rows) = 0;
    virtual void SetCell(int column, int row, const std::string& text) = 0;
    // lblAppl, repainted at once.
    virtual void ShowFolder(const std::string& path) = 0;
    // Status bar panels 0 to 2.
    virtual void SetStatus(int panel, const std::string& text) = 0;
    // A question box with Yes and No; true when the answer is Yes.
    virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
    // After a test start, the whole window.
    virtual void Repaint() = 0;
};

// Appends "C:\" ... "Z:\" for the drives present; A and B are never listed.
void FillDriveList(TStringList& list);

// Before a search: the drive table restored from its copy (except before the first search),
// then the entries of the drives that the box does not list or has not ticked emptied.
void PrepareDriveTable(const TCheckListBox& drives);

// Reads appllist.ini into the table and searches every drive left in the drive table.
void SearchApplications(const std::string& applListPath, TSearchView& view);

// Searches the current directory and, recursively, its subdirectories.
void ScanDirectory(TSearchView& view);

// Callback of the test start's window enumeration: the class of the first visible window.
BOOL CALLBACK FindMainWindowProc(HWND window, LPARAM parameter);
