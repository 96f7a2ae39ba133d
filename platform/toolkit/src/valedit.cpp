// The value-list editor: its rows follow the lines of Strings.
#include "toolkit/valedit.h"

#include "toolkit/exceptions.h"

#include <cp1251.h>

#include <algorithm>

// ---- TValueListCell ----

TValueListCell::TValueListCell(TValueListEditor& editor, int col, int row)
    : editor_(editor), col_(col), row_(row), text_(editor.GetCellText(col, row)) {}

TValueListCell& TValueListCell::operator=(const std::string& text) {
    editor_.SetCell(col_, row_, text);
    text_ = editor_.GetCellText(col_, row_);
    return *this;
}

// ---- TValueListEditor ----

TValueListEditor::TValueListEditor(TComponent* owner) : TCustomGrid(owner) {
    Options = TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine,         goHorzLine,
                           goColSizing,     goEditing,       goAlwaysShowEditor, goThumbTracking};
    KeyOptions.Clear();
    Strings.OnChanging = [this](TObject*) {
        if (OnStringsChanging)
            OnStringsChanging(this);
    };
    Strings.OnChange = [this](TObject*) {
        FollowStrings();
        if (OnStringsChange)
            OnStringsChange(this);
    };
    FollowStrings();
}

TValueListEditor::~TValueListEditor() {
    Strings.OnChanging = nullptr;
    Strings.OnChange = nullptr;
}

void TValueListEditor::FollowStrings() {
    const int titles = displayOptions_.Contains(doColumnTitles) ? 1 : 0;
    // The counts first, so that the fixed part fits; then the fixed row itself.
    ChangeSize(2, titles + std::max(1, Strings.Count()));
    SetFixedRows(titles);
}

void TValueListEditor::SetDisplayOptions(TDisplayOptions v) {
    const bool hadTitles = displayOptions_.Contains(doColumnTitles);
    displayOptions_ = v;
    const int row = GetRow();
    FollowStrings();
    // The current row stays on its line.
    if (hadTitles != v.Contains(doColumnTitles))
        SetRow(hadTitles ? row - 1 : row + 1);
}

void TValueListEditor::SetRowCount(int) {}

void TValueListEditor::SetColCount(int) {}

int TValueListEditor::LineOf(int row) const {
    const int line = row - GetFixedRows();
    return line >= 0 && line < Strings.Count() ? line : -1;
}

std::string TValueListEditor::GetCellText(int col, int row) const {
    CheckCell(col, row);
    if (row < GetFixedRows())
        return col == 0 ? KeyCaption : ValueCaption;
    const int line = LineOf(row);
    if (line < 0)
        return "";
    return col == 0 ? Strings.Names(line) : Strings.ValueFromIndex(line);
}

void TValueListEditor::SetCell(int col, int row, const std::string& text) {
    CheckCell(col, row);
    if (row < GetFixedRows()) {
        (col == 0 ? KeyCaption : ValueCaption) = text;
        CellsChanged();
        return;
    }
    const int line = LineOf(row);
    if (line < 0) {
        Strings.Add(col == 0 ? text + "=" : "=" + text);
        return;
    }
    const std::string key = col == 0 ? text : Strings.Names(line);
    const std::string value = col == 1 ? text : Strings.ValueFromIndex(line);
    Strings.Put(line, key + "=" + value);
}

bool TValueListEditor::FindRow(const std::string& key, int& row) const {
    const int line = Strings.IndexOfName(key);
    if (line < 0)
        return false;
    row = line + GetFixedRows();
    return true;
}

void TValueListEditor::CheckUnique(const std::string& key, int exceptLine) const {
    if (!KeyOptions.Contains(keyUnique))
        return;
    for (int i = 0; i < Strings.Count(); ++i)
        if (i != exceptLine && cp1251::EqualNoCase(Strings.Names(i), key))
            throw EStringListError("A key with the name of \"" + key + "\" already exists");
}

int TValueListEditor::InsertRow(const std::string& key, const std::string& value, bool append) {
    CheckUnique(key, -1);
    const int current = LineOf(GetRow());
    int line;
    if (append || current < 0) {
        line = Strings.Add(key + "=" + value);
    } else {
        line = current;
        Strings.Insert(line, key + "=" + value);
    }
    SetRow(line + GetFixedRows());
    return line + GetFixedRows();
}

void TValueListEditor::DeleteRow(int row) {
    const int line = LineOf(row);
    if (line >= 0)
        Strings.Delete(line);
}

bool TValueListEditor::CanEditCell(int col, int row) const {
    return TCustomGrid::CanEditCell(col, row) && (col != 0 || KeyOptions.Contains(keyEdit));
}

void TValueListEditor::StoreEditText(int col, int row, const std::string& text) {
    if (col == 0)
        CheckUnique(text, LineOf(row));
    SetCell(col, row, text);
}

void TValueListEditor::DoKeyDown(WORD& key, TShiftState shift) {
    if (key == VK_DELETE && shift.Contains(ssCtrl) && KeyOptions.Contains(keyDelete)) {
        DeleteRow(GetRow());
        key = 0;
        return;
    }
    TCustomGrid::DoKeyDown(key, shift);
}

const char* TValueListEditor::ClassName() const {
    return "TValueListEditor";
}
