// The step that the command wizard's fields describe, as rows of its grid in the form the saver
// stores and the step interpreter reads.
#include "step_encoding.h"

#include "cmd_wizard.h"
#include "command_steps.h"
#include "records.h"
#include "runtime_state.h"

#include <cp1251.h>

#include <initializer_list>
#include <vector>

std::string IntToText(std::int32_t value) {
    return std::to_string(value);
}

std::string ShownName(const TKeyword& row) {
    return row.Text[0] != '\0' ? FieldText(row.Text) : FieldText(row.Keyword);
}

std::int16_t ShownToValue(const TKeyword* list, int count, const std::string& shown) {
    // An empty text names no row, even where rows have no display text.
    if (shown.empty())
        return -1;
    const std::int16_t byText = TextToValue(list, count, shown);
    if (byText >= 0)
        return byText;
    for (int i = 0; i < count; ++i)
        if (list[i].Text[0] == '\0' && cp1251::EqualNoCase(FieldView(list[i].Keyword), shown))
            return list[i].Value;
    return -1;
}

namespace {

bool IsNumberText(const std::string& text, bool decimals) {
    std::size_t i = text.empty() || text[0] != '-' ? 0 : 1;
    bool digit = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && decimals && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

bool IsOneOf(const std::string& text, std::initializer_list<const char*> words) {
    for (const char* w : words)
        if (text == w)
            return true;
    return false;
}

} // namespace

bool IsWholeNumberText(const std::string& text) {
    return IsNumberText(text, false);
}

bool IsDecimalNumberText(const std::string& text) {
    return IsNumberText(text, true);
}

void TFCmdwizard::AppendStepRows() {
    TStringGrid& grid = *stgCommand;
    const TRuntimeState& r = Runtime;
    if (!grid.Cells(0, 1).empty())
        grid.RowCount = grid.RowCount + 1;
    grid.ClearRow(grid.RowCount - 1);
    grid.Cells(0, 1) = eCmdName->Text;

    const auto cell = [&](int col, const std::string& text) {
        grid.Cells(col, grid.RowCount - 1) = text;
    };
    const auto newRow = [&] {
        grid.RowCount = grid.RowCount + 1;
        grid.ClearRow(grid.RowCount - 1);
    };
    const auto text = [&](int n) { return Param(n)->Text(); };
    const auto index = [&](int n) { return IntToText(Param(n)->ItemIndex); };

    const int type = ChosenType();
    cell(1, cmbType->Text);
    switch (type) {
    case 0:  // runappl
    case 21: // intbuf=number
        cell(2, index(1));
        break;
    case 1: // show_txt
        cell(2, BufferMarker());
        break;
    case 3: // setcurpos
        cell(2, text(1));
        cell(3, text(2));
        break;
    case 4: // sendmsg
        cell(2, text(1));
        cell(3, text(2));
        cell(4, text(3));
        break;
    case 5: // buf=sendmsg
    case 6: // sendmsg=buf
        cell(2, BufferMarker());
        cell(3, text(1));
        cell(4, text(2));
        cell(5, text(3));
        break;
    case 7: { // keybevent: every key pressed in order, then released in reverse
        std::vector<std::string> codes;
        for (int n = 1; n <= 4 && !text(n).empty(); ++n)
            codes.push_back(IntToText(ShownToValue(r.VKEY, VKeyCount, text(n))));
        const std::size_t rows = codes.size() * 2;
        for (std::size_t i = 0; i < rows; ++i) {
            const bool down = i < codes.size();
            cell(1, "keybevent");
            cell(2, down ? codes[i] : codes[rows - 1 - i]);
            cell(3, down ? "0" : "2");
            if (i + 1 < rows)
                newRow();
        }
        break;
    }
    case 8: { // mousevent
        const std::int16_t e = ShownToValue(r.MOUSEVENT, MousEventCount, text(1));
        const bool button = e >= 8 && e <= 13;
        const std::int32_t v = button ? 0 : IntValue(text(2));
        std::int32_t flags = 1, dx = 0, dy = 0, wheel = 0;
        switch (e) {
        case 0:
            dy = -v;
            break;
        case 1:
            dy = v;
            break;
        case 2:
            dx = -v;
            break;
        case 3:
            dx = v;
            break;
        case 4:
            dx = -v;
            dy = -v;
            break;
        case 5:
            dx = v;
            dy = -v;
            break;
        case 6:
            dx = -v;
            dy = v;
            break;
        case 7:
            dx = v;
            dy = v;
            break;
        case 8:
            flags = 2;
            break;
        case 9:
            flags = 4;
            break;
        case 10:
            flags = 8;
            break;
        case 11:
            flags = 16;
            break;
        case 12:
            flags = 32;
            break;
        case 13:
            flags = 64;
            break;
        case 14:
            flags = 2048;
            wheel = v * 120;
            break;
        case 15:
            flags = 2048;
            wheel = -v * 120;
            break;
        default:
            break;
        }
        cell(2, IntToText(flags));
        cell(3, IntToText(dx));
        cell(4, IntToText(dy));
        cell(5, IntToText(wheel));
        break;
    }
    case 9: { // changebuf
        const std::string op = text(1);
        cell(2, BufferMarker());
        cell(3, op);
        if (!IsOneOf(op, {"Clear", "Txt = Txt + Int", "Txt = Int + Txt", "iBuf = iBuf + txtBuf"}))
            cell(4, text(2));
        if (op == "Mid")
            cell(5, text(3));
        break;
    }
    case 11: // mode
        cell(2, IntToText(ShownToValue(r.RCMODE, RcModeCount, text(1))));
        break;
    case 15: // continue_if_condition
    case 16: // next_if_condition
        cell(2, BufferMarker());
        cell(3, text(1));
        cell(4, text(2));
        break;
    case 17: // showfavorites, then the runappl that starts the chosen favourite
        cell(2, index(1));
        newRow();
        cell(1, "runappl");
        cell(2, index(1));
        break;
    case 19: // showruning, then the runappl that activates the chosen application
    case 23: // showplaylist, then the runappl that plays the chosen playlist
        if (type == 23)
            cell(2, index(1));
        newRow();
        cell(1, "runappl");
        cell(2, "-1");
        break;
    case 22: // set_volume
        cell(2, text(1));
        if (Param(1)->ItemIndex == 0 || Param(1)->ItemIndex == 1)
            cell(3, text(2));
        break;
    default: // the types without parameters
        break;
    }
}
