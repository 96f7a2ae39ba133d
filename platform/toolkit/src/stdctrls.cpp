// Labels, edit lines, list boxes and group boxes.
#include "toolkit/stdctrls.h"

#include "internal.h"

#include <algorithm>

namespace {

void Changed(TControl& control, toolkit_detail::Aspect what) {
    toolkit_detail::ControlChanged(control, what);
}

} // namespace

// ---- TLabel ----

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    width_ = 65;
    height_ = 13;
}

void TLabel::SetAutoSize(bool v) {
    autoSize_ = v;
    Adjust();
}

void TLabel::TextChanged() {
    Adjust();
}

void TLabel::FontChanged() {
    Adjust();
}

void TLabel::Adjust() {
    if (!autoSize_ || WordWrap || GetAlign() != alNone)
        return;
    TCanvas canvas;
    canvas.Font.Assign(Font);
    const std::string text = GetCaption();
    SetBounds(left_, top_, canvas.TextWidth(text), canvas.TextHeight(text));
}

const char* TLabel::ClassName() const {
    return "TLabel";
}

// ---- TCustomEdit ----

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    TabStop = true;
    width_ = 121;
    height_ = 21;
    color_ = clWindow;
    parentColor_ = false;
}

void TCustomEdit::StoreText(const std::string& v) {
    if (v.compare(text_) == 0)
        return;
    text_ = v;
    Changed(*this, toolkit_detail::Aspect::Text);
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::SetText(std::string v) {
    StoreText(v);
    selStart_ = 0;
    Changed(*this, toolkit_detail::Aspect::Selection);
}

void TCustomEdit::SetSelStart(int v) {
    selStart_ = std::clamp(v, 0, CaretLimit());
    Changed(*this, toolkit_detail::Aspect::Selection);
}

void TCustomEdit::DoKeyDown(WORD& key, TShiftState) {
    const int length = static_cast<int>(text_.size());
    switch (key) {
    case VK_LEFT:
        selStart_ = std::max(0, selStart_ - 1);
        break;
    case VK_RIGHT:
        selStart_ = std::min(length, selStart_ + 1);
        break;
    case 0x24: // Home
        selStart_ = 0;
        break;
    case 0x23: // End
        selStart_ = length;
        break;
    case VK_DELETE:
        if (!ReadOnly && selStart_ < length) {
            std::string t = text_;
            t.erase(static_cast<std::size_t>(selStart_), 1);
            StoreText(t);
        }
        break;
    default:
        break;
    }
}

void TCustomEdit::DoKeyPress(char& key) {
    if (ReadOnly)
        return;
    const unsigned char c = static_cast<unsigned char>(key);
    if (c == 8) {
        if (selStart_ > 0) {
            std::string t = text_;
            t.erase(static_cast<std::size_t>(selStart_ - 1), 1);
            --selStart_;
            StoreText(t);
        }
        return;
    }
    if (c < 32)
        return;
    if (maxLength_ > 0 && static_cast<int>(text_.size()) >= maxLength_)
        return;
    std::string t = text_;
    t.insert(static_cast<std::size_t>(selStart_), 1, key);
    ++selStart_;
    StoreText(t);
}

const char* TCustomEdit::ClassName() const {
    return "TCustomEdit";
}

// ---- TListBox ----

TListBox::TListBox(TComponent* owner) : TWinControl(owner) {
    TabStop = true;
    width_ = 121;
    height_ = 97;
    color_ = clWindow;
    parentColor_ = false;
    Items.OnChanging = [this](TObject*) { ItemsChanging(); };
    Items.OnChange = [this](TObject*) { ItemsChanged(); };
}

TListBox::~TListBox() {
    Items.OnChanging = nullptr;
    Items.OnChange = nullptr;
}

void TListBox::ItemsChanging() {
    selectedText_ = itemIndex_ >= 0 && itemIndex_ < Items.Count() ? Items[itemIndex_] : "";
}

void TListBox::ItemsChanged() {
    if (itemIndex_ >= 0 && (itemIndex_ >= Items.Count() || Items[itemIndex_] != selectedText_))
        itemIndex_ = -1;
    Changed(*this, toolkit_detail::Aspect::Items);
}

void TListBox::SetItemIndex(int v) {
    itemIndex_ = v >= 0 && v < Items.Count() ? v : -1;
    Changed(*this, toolkit_detail::Aspect::Selection);
}

int TListBox::TopIndex() const {
    return toolkit_detail::ListTopIndex(*this);
}

void TListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && ItemHeight > 0 && y >= 0) {
        const int index = TopIndex() + y / ItemHeight;
        if (index < Items.Count()) {
            itemIndex_ = index;
            Changed(*this, toolkit_detail::Aspect::Selection);
        }
    }
    TWinControl::MouseDown(button, shift, x, y);
}

void TListBox::DoKeyDown(WORD& key, TShiftState) {
    const int count = Items.Count();
    if (count == 0)
        return;
    const int page = ItemHeight > 0 ? std::max(1, GetClientHeight() / ItemHeight) : 1;
    int target = itemIndex_;
    switch (key) {
    case VK_UP:
        target = itemIndex_ < 0 ? 0 : itemIndex_ - 1;
        break;
    case VK_DOWN:
        target = itemIndex_ < 0 ? 0 : itemIndex_ + 1;
        break;
    case 0x24: // Home
        target = 0;
        break;
    case 0x23: // End
        target = count - 1;
        break;
    case 0x21: // Page Up
        target = itemIndex_ < 0 ? 0 : itemIndex_ - (page - 1);
        break;
    case 0x22: // Page Down
        target = itemIndex_ < 0 ? 0 : itemIndex_ + (page - 1);
        break;
    default:
        return;
    }
    target = std::clamp(target, 0, count - 1);
    if (target == itemIndex_)
        return;
    itemIndex_ = target;
    Changed(*this, toolkit_detail::Aspect::Selection);
    Click();
}

const char* TListBox::ClassName() const {
    return "TListBox";
}

const char* TEdit::ClassName() const {
    return "TEdit";
}

// ---- TGroupBox ----

TGroupBox::TGroupBox(TComponent* owner) : TCustomControl(owner) {
    width_ = 185;
    height_ = 105;
}

RECT TGroupBox::AlignArea() const {
    // The frame and the caption's line.
    RECT r{2, 15, GetClientWidth() - 2, GetClientHeight() - 2};
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

const char* TGroupBox::ClassName() const {
    return "TGroupBox";
}
