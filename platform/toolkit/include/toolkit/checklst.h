// The check-list box: a list box with a check box before each item.
#pragma once

#include "toolkit/stdctrls.h"

#include <vector>

class TCheckListBox : public TListBox {
public:
    explicit TCheckListBox(TComponent* owner);

    // The item's check; an index outside the items reads false and is not set. Checks belong to
    // item positions: an item added is unchecked, and clearing the items clears the checks.
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);
    // Items side by side in this many columns; 0: one column.
    int Columns = 0;
    // After the user changed an item's check (a click on its box or the space bar).
    TNotifyEvent OnClickCheck;

    // A left press on an item's box toggles its check.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    const char* ClassName() const override;

protected:
    void DoKeyPress(char& key) override;

private:
    void ToggleByUser(int index);
    int ItemAt(int x, int y) const;
    // The x of a point within its item's column.
    int CellX(int x) const;
    std::vector<bool> checks_;
};
