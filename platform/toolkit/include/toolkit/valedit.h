// The value-list editor: a two-column grid over lines of the form key=value.
#pragma once

#include "toolkit/classes.h"
#include "toolkit/grids.h"

#include <string>
#include <string_view>

enum TKeyOption { keyEdit, keyAdd, keyDelete, keyUnique };
using TKeyOptions = Set<TKeyOption>;
enum TDisplayOption { doColumnTitles, doAutoColResize, doKeyColFixed };
using TDisplayOptions = Set<TDisplayOption>;

class TValueListEditor;

// A cell of a value-list editor, read and written as text. It holds the text it read, so that it
// also passes as a string view for as long as it lives (the expression it stands in).
class TValueListCell {
public:
    TValueListCell(TValueListEditor& editor, int col, int row);
    const std::string& Get() const { return text_; }
    operator std::string() const { return text_; }
    operator std::string_view() const { return text_; }
    bool empty() const { return text_.empty(); }
    TValueListCell& operator=(const std::string& text);
    TValueListCell& operator=(const TValueListCell& other) { return *this = other.Get(); }
    friend bool operator==(const TValueListCell& a, const std::string& b) { return a.Get() == b; }
    friend bool operator==(const TValueListCell& a, const char* b) { return a.Get() == b; }

private:
    TValueListEditor& editor_;
    int col_;
    int row_;
    std::string text_;
};

// Column 0 shows the keys, column 1 the values of Strings, one row per line, after the title row
// while DisplayOptions holds doColumnTitles. With no line it shows one empty row; writing into
// that row adds a line. The rows follow Strings (RowCount cannot be set); Row stays on a row.
class TValueListEditor : public TCustomGrid {
public:
    explicit TValueListEditor(TComponent* owner);
    ~TValueListEditor() override;

    // Every change, by code or by the user, fires OnStringsChanging and OnStringsChange.
    TStringList Strings;
    Property<TDisplayOptions, TValueListEditor> DisplayOptions{
        this, &TValueListEditor::GetDisplayOptions, &TValueListEditor::SetDisplayOptions};
    // keyEdit: the user may edit keys; keyDelete: Ctrl+Delete deletes the current row;
    // keyUnique: a key the user types or InsertRow adds must not be there already (compared
    // without regard to case). keyAdd (the user appending rows) is not modelled.
    TKeyOptions KeyOptions;
    // The title row's texts.
    std::string KeyCaption = "Key";
    std::string ValueCaption = "Value";

    TNotifyEvent OnStringsChanging;
    TNotifyEvent OnStringsChange;

    // Out of range throws EInvalidGridOperation "Grid index out of range".
    TValueListCell Cells(int col, int row) { return TValueListCell(*this, col, row); }
    std::string Cells(int col, int row) const { return GetCellText(col, row); }
    void SetCell(int col, int row, const std::string& text);
    // The key of a row ("" for the title row and the empty row).
    std::string Keys(int row) const { return GetCellText(0, row); }
    // The value of the first line with the key (without regard to case); "" when absent.
    std::string Values(const std::string& key) const { return Strings.Values(key); }
    // The row of the first line with the key (without regard to case).
    bool FindRow(const std::string& key, int& row) const;
    // Appends the line, or inserts it before the current row; makes its row current and returns
    // it. A key already there throws EStringListError under keyUnique.
    int InsertRow(const std::string& key, const std::string& value, bool append);
    // The line of a data row; the title row and the empty row are not deleted.
    void DeleteRow(int row);

    std::string GetCellText(int col, int row) const override;
    bool CanEditCell(int col, int row) const override;
    // The rows follow Strings.
    void SetRowCount(int count) override;
    void SetColCount(int count) override;

    TDisplayOptions GetDisplayOptions() const { return displayOptions_; }
    void SetDisplayOptions(TDisplayOptions v);

    const char* ClassName() const override;

protected:
    void StoreEditText(int col, int row, const std::string& text) override;
    // Ctrl+Delete under keyDelete deletes the current row.
    void DoKeyDown(WORD& key, TShiftState shift) override;

private:
    // The line of a row, -1 for the title row and the empty row.
    int LineOf(int row) const;
    void CheckUnique(const std::string& key, int exceptLine) const;
    void FollowStrings();
    TDisplayOptions displayOptions_{doColumnTitles, doAutoColResize, doKeyColFixed};
};
