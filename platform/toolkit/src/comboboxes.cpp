// Combo boxes: an edit line or a fixed list, with the items the user chooses from.
#include "toolkit/stdctrls.h"

#include "internal.h"

#include <cp1251.h>

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner) {
    TabStop = true;
    width_ = 145;
    height_ = 21;
    color_ = clWindow;
    parentColor_ = false;
    Items.OnChanging = [this](TObject*) { ItemsChanging(); };
    Items.OnChange = [this](TObject*) { ItemsChanged(); };
}

TComboBox::~TComboBox() {
    Items.OnChanging = nullptr;
    Items.OnChange = nullptr;
}

void TComboBox::ItemsChanging() {
    selectedText_ = itemIndex_ >= 0 && itemIndex_ < Items.Count() ? Items[itemIndex_] : "";
}

void TComboBox::ItemsChanged() {
    if (itemIndex_ >= 0 && (itemIndex_ >= Items.Count() || Items[itemIndex_] != selectedText_)) {
        itemIndex_ = -1;
        if (style_ == csDropDownList)
            text_.clear();
    }
    Changed(toolkit_detail::Aspect::Items);
}

void TComboBox::Changed(toolkit_detail::Aspect what) {
    toolkit_detail::ControlChanged(*this, what);
}

void TComboBox::SetItemIndex(int v) {
    itemIndex_ = v >= 0 && v < Items.Count() ? v : -1;
    text_ = itemIndex_ >= 0 ? Items[itemIndex_] : std::string();
    Changed(toolkit_detail::Aspect::Selection);
}

void TComboBox::SetText(std::string v) {
    if (style_ == csDropDownList) {
        for (int i = 0; i < Items.Count(); ++i)
            if (cp1251::EqualNoCase(Items[i], v)) {
                SetItemIndex(i);
                return;
            }
        return;
    }
    text_ = std::move(v);
    itemIndex_ = -1;
    for (int i = 0; i < Items.Count(); ++i)
        if (Items[i] == text_) {
            itemIndex_ = i;
            break;
        }
    Changed(toolkit_detail::Aspect::Selection);
}

void TComboBox::SetStyle(TComboBoxStyle v) {
    if (v == style_)
        return;
    style_ = v;
    if (style_ == csDropDownList)
        text_ = itemIndex_ >= 0 ? Items[itemIndex_] : std::string();
    Changed(toolkit_detail::Aspect::Style);
}

void TComboBox::Click() {
    // A click on the box itself only drops the list down.
}

void TComboBox::PickItem(int index) {
    if (!GetEnabled() || index < 0 || index >= Items.Count())
        return;
    SetItemIndex(index);
    if (OnClick)
        OnClick(this);
    if (OnChange)
        OnChange(this);
}

void TComboBox::TypeText(const std::string& text) {
    if (text == text_)
        return;
    SetText(text);
    if (OnChange)
        OnChange(this);
}

void TComboBox::SetDroppedDown(bool v) {
    if (v == droppedDown_)
        return;
    droppedDown_ = v;
    droppedIndex_ = itemIndex_;
    Changed(toolkit_detail::Aspect::Look);
}

void TComboBox::DoKeyDown(WORD& key, TShiftState) {
    if (droppedDown_ && (key == VK_RETURN || key == VK_ESCAPE)) {
        const int opened = droppedIndex_;
        SetDroppedDown(false);
        if (key == VK_ESCAPE && opened != itemIndex_) {
            if (opened >= 0)
                PickItem(opened);
            else
                SetItemIndex(-1);
        }
        key = 0;
        return;
    }
    if (Items.Count() == 0 || (key != VK_UP && key != VK_DOWN))
        return;
    const int target = key == VK_UP ? (itemIndex_ < 0 ? 0 : itemIndex_ - 1)
                                    : (itemIndex_ < 0 ? 0 : itemIndex_ + 1);
    if (target == itemIndex_ || target < 0 || target >= Items.Count())
        return;
    PickItem(target);
}

void TComboBox::DoKeyPress(char& key) {
    const unsigned char c = static_cast<unsigned char>(key);
    if (style_ == csDropDownList) {
        if (c < 32)
            return;
        const int count = Items.Count();
        for (int step = 1; step <= count; ++step) {
            const int i = ((itemIndex_ < 0 ? -1 : itemIndex_) + step) % count;
            const std::string& item = Items[i];
            if (!item.empty() && cp1251::EqualNoCase(item.substr(0, 1), std::string(1, key))) {
                if (i != itemIndex_)
                    PickItem(i);
                return;
            }
        }
        return;
    }
    if (c == 8) {
        if (!text_.empty())
            TypeText(text_.substr(0, text_.size() - 1));
        return;
    }
    if (c < 32 || (maxLength_ > 0 && static_cast<int>(text_.size()) >= maxLength_))
        return;
    TypeText(text_ + key);
}

const char* TComboBox::ClassName() const {
    return "TComboBox";
}
