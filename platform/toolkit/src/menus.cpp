// Menu items with their tree of sub-items, and the popup menu.
#include "toolkit/menus.h"

#include "toolkit/exceptions.h"

#include "internal.h"

#include <algorithm>

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
    if (parent_)
        parent_->Remove(this);
    std::vector<TMenuItem*> items;
    items.swap(items_);
    for (TMenuItem* item : items) {
        item->parent_ = nullptr;
        if (!item->Owner())
            delete item;
    }
}

int TMenuItem::Count() const {
    return static_cast<int>(items_.size());
}

TMenuItem* TMenuItem::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EMenuError("Menu index out of range");
    return items_[static_cast<std::size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item) {
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item)
        throw EMenuError("Menu item is missing");
    for (const TMenuItem* p = this; p; p = p->parent_)
        if (p == item)
            throw EMenuError("Menu inserted into itself");
    // An item moved within this item: the index counts the list without it.
    const int limit = item->parent_ == this ? Count() - 1 : Count();
    if (index < 0 || index > limit)
        throw EMenuError("Menu index out of range");
    if (item->parent_)
        item->parent_->Remove(item);
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
    const auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end())
        return;
    items_.erase(it);
    item->parent_ = nullptr;
}

TMenuItem* TMenuItem::Parent() const {
    return parent_;
}

const char* TMenuItem::ClassName() const {
    return "TMenuItem";
}

void TMenuItem::Click() {
    if (Enabled && OnClick)
        OnClick(this);
}

// ---- TPopupMenu ----

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) {}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup)
        OnPopup(this);
    toolkit_detail::PresentPopup(*this, x, y);
}

const char* TPopupMenu::ClassName() const {
    return "TPopupMenu";
}
