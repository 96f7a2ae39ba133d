// The check-list box.
#include "toolkit/checklst.h"

#include "internal.h"

namespace {

// The box before each item, in pixels.
constexpr int kCheckWidth = 16;

} // namespace

TCheckListBox::TCheckListBox(TComponent* owner) : TListBox(owner) {
    auto listChanged = Items.OnChange;
    Items.OnChange = [this, listChanged](TObject* sender) {
        if (listChanged)
            listChanged(sender);
        checks_.resize(static_cast<std::size_t>(Items.Count()), false);
        if (Items.Count() == 0)
            checks_.clear();
    };
}

bool TCheckListBox::Checked(int index) const {
    if (index < 0 || index >= Items.Count() || static_cast<std::size_t>(index) >= checks_.size())
        return false;
    return checks_[static_cast<std::size_t>(index)];
}

void TCheckListBox::SetChecked(int index, bool checked) {
    if (index < 0 || index >= Items.Count())
        return;
    if (checks_.size() < static_cast<std::size_t>(Items.Count()))
        checks_.resize(static_cast<std::size_t>(Items.Count()), false);
    checks_[static_cast<std::size_t>(index)] = checked;
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Look);
}

int TCheckListBox::ItemAt(int x, int y) const {
    if (ItemHeight <= 0 || x < 0 || y < 0)
        return -1;
    const int row = y / ItemHeight;
    if (Columns <= 0)
        return row < Items.Count() ? row : -1;
    // Items run down each column, then on in the next one.
    const int rows = Height / ItemHeight > 0 ? Height / ItemHeight : 1;
    const int columnWidth = Width / Columns > 0 ? Width / Columns : 1;
    const int column = x / columnWidth;
    if (column >= Columns || row >= rows)
        return -1;
    const int index = column * rows + row;
    return index < Items.Count() ? index : -1;
}

int TCheckListBox::CellX(int x) const {
    if (Columns <= 0)
        return x;
    const int columnWidth = Width / Columns > 0 ? Width / Columns : 1;
    return x % columnWidth;
}

void TCheckListBox::ToggleByUser(int index) {
    if (index < 0 || !Enabled)
        return;
    SetChecked(index, !Checked(index));
    if (OnClickCheck)
        OnClickCheck(this);
}

void TCheckListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    const int index = ItemAt(x, y);
    if (button == mbLeft && index >= 0) {
        ItemIndex = index;
        if (CellX(x) < kCheckWidth)
            ToggleByUser(index);
    }
    TWinControl::MouseDown(button, shift, x, y);
}

void TCheckListBox::DoKeyPress(char& key) {
    if (key == ' ')
        ToggleByUser(ItemIndex);
    TListBox::DoKeyPress(key);
}

const char* TCheckListBox::ClassName() const {
    return "TCheckListBox";
}
