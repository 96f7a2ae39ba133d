// The masked edit: mask parsing, filling positions from a text, and overwrite typing.
#include "toolkit/mask.h"

#include "internal.h"

namespace {

bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// Latin letters and the letters of code page 1251.
bool IsLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0xC0 || c == 0xA8 || c == 0xB8;
}

bool IsInputKind(char c) {
    switch (c) {
    case '0':
    case '9':
    case '#':
    case 'L':
    case 'l':
    case 'A':
    case 'a':
    case 'C':
    case 'c':
        return true;
    default:
        return false;
    }
}

} // namespace

TMaskEdit::TMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

bool TMaskEdit::Accepts(char kind, char ch) const {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (kind) {
    case '0':
    case '9':
        return IsDigit(c);
    case '#':
        return IsDigit(c) || c == '+' || c == '-';
    case 'L':
    case 'l':
        return IsLetter(c);
    case 'A':
    case 'a':
        return IsLetter(c) || IsDigit(c);
    default:
        return c >= 32;
    }
}

void TMaskEdit::SetEditMask(std::string v) {
    const std::vector<Slot> oldSlots = slots_;
    const std::string oldCells = cells_;
    const char oldBlank = blank_;
    const std::string oldText = GetText();

    mask_ = std::move(v);
    slots_.clear();
    keepLiterals_ = false;
    blank_ = '_';
    std::size_t i = 0;
    for (; i < mask_.size(); ++i) {
        const char c = mask_[i];
        if (c == ';')
            break;
        if (c == '\\' && i + 1 < mask_.size()) {
            slots_.push_back(Slot{0, mask_[++i]});
        } else if (c == '!' || c == '>' || c == '<') {
            continue;
        } else if (IsInputKind(c)) {
            slots_.push_back(Slot{c, 0});
        } else {
            slots_.push_back(Slot{0, c});
        }
    }
    if (i < mask_.size()) { // the literal flag
        ++i;
        if (i < mask_.size() && mask_[i] != ';')
            keepLiterals_ = mask_[i] != '0';
        while (i < mask_.size() && mask_[i] != ';')
            ++i;
        if (i + 1 < mask_.size())
            blank_ = mask_[i + 1];
    }

    cells_.clear();
    for (std::size_t k = 0; k < slots_.size(); ++k) {
        const Slot& s = slots_[k];
        char cell = s.kind ? blank_ : s.literal;
        if (s.kind && k < oldSlots.size() && oldSlots[k].kind && oldCells[k] != oldBlank &&
            Accepts(s.kind, oldCells[k]))
            cell = oldCells[k];
        cells_.push_back(cell);
    }
    if (!Masked())
        text_ = oldText;
    Commit();
    selStart_ = std::min(selStart_, CaretLimit());
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Selection);
}

std::string TMaskEdit::GetEditText() const {
    return Masked() ? cells_ : text_;
}

bool TMaskEdit::IsBlank(int position) const {
    if (!Masked() || position < 0 || position >= static_cast<int>(slots_.size()))
        return false;
    const auto k = static_cast<std::size_t>(position);
    return slots_[k].kind != 0 && cells_[k] == blank_;
}

std::string TMaskEdit::GetText() const {
    if (!Masked())
        return text_;
    std::string t;
    for (std::size_t k = 0; k < slots_.size(); ++k) {
        if (!slots_[k].kind) {
            if (keepLiterals_)
                t.push_back(slots_[k].literal);
        } else {
            t.push_back(cells_[k] == blank_ ? ' ' : cells_[k]);
        }
    }
    return t;
}

void TMaskEdit::SetText(std::string v) {
    if (!Masked()) {
        TCustomEdit::SetText(std::move(v));
        return;
    }
    std::size_t i = 0;
    for (std::size_t k = 0; k < slots_.size(); ++k) {
        const Slot& s = slots_[k];
        if (!s.kind) {
            if (i < v.size() && v[i] == s.literal)
                ++i;
            continue;
        }
        char cell = blank_;
        if (i < v.size()) {
            const char c = v[i++];
            if (c != ' ' && c != blank_ && Accepts(s.kind, c))
                cell = c;
        }
        cells_[k] = cell;
    }
    Commit();
    selStart_ = 0;
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Selection);
}

int TMaskEdit::CaretLimit() const {
    return Masked() ? static_cast<int>(slots_.size()) : static_cast<int>(text_.size());
}

int TMaskEdit::NextInput(int from) const {
    for (int k = from; k < static_cast<int>(slots_.size()); ++k)
        if (slots_[static_cast<std::size_t>(k)].kind)
            return k;
    return -1;
}

void TMaskEdit::Commit() {
    StoreText(GetText());
    // What the edit shows may change while Text stays (a literal or a blank).
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Text);
}

void TMaskEdit::DoKeyDown(WORD& key, TShiftState shift) {
    if (!Masked()) {
        TCustomEdit::DoKeyDown(key, shift);
        return;
    }
    const int n = static_cast<int>(slots_.size());
    switch (key) {
    case VK_LEFT:
        selStart_ = std::max(0, selStart_ - 1);
        break;
    case VK_RIGHT:
        selStart_ = std::min(n, selStart_ + 1);
        break;
    case 0x24: // Home
        selStart_ = 0;
        break;
    case 0x23: // End
        selStart_ = n;
        break;
    case VK_DELETE:
        if (!ReadOnly && selStart_ < n && slots_[static_cast<std::size_t>(selStart_)].kind) {
            cells_[static_cast<std::size_t>(selStart_)] = blank_;
            Commit();
        }
        break;
    default:
        break;
    }
}

void TMaskEdit::DoKeyPress(char& key) {
    if (!Masked()) {
        TCustomEdit::DoKeyPress(key);
        return;
    }
    if (ReadOnly)
        return;
    const unsigned char c = static_cast<unsigned char>(key);
    const int n = static_cast<int>(slots_.size());
    if (c == 8) {
        for (int k = std::min(selStart_, n) - 1; k >= 0; --k) {
            if (slots_[static_cast<std::size_t>(k)].kind) {
                cells_[static_cast<std::size_t>(k)] = blank_;
                selStart_ = k;
                Commit();
                return;
            }
        }
        return;
    }
    if (c < 32)
        return;
    const int pos = NextInput(selStart_);
    if (pos < 0 || !Accepts(slots_[static_cast<std::size_t>(pos)].kind, key))
        return;
    cells_[static_cast<std::size_t>(pos)] = key;
    selStart_ = pos + 1;
    while (selStart_ < n && !slots_[static_cast<std::size_t>(selStart_)].kind)
        ++selStart_;
    Commit();
}

const char* TMaskEdit::ClassName() const {
    return "TMaskEdit";
}
