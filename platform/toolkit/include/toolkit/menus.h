// Menu items with their tree of sub-items, and the popup menu.
#pragma once

#include "toolkit/classes.h"

class TImageList;

#include <string>
#include <vector>

// Sub-items are kept apart from ownership: an item's owner (usually the form) deletes it. An
// item being deleted leaves its parent, detaches its sub-items and deletes those of them that
// have no owner; owned sub-items stay with their owner.
class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    // "-" makes the item a separator line.
    std::string Caption;
    bool Default = false;
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    int ImageIndex = -1;
    std::string Hint;
    TNotifyEvent OnClick;

    // OnClick when the item is enabled.
    virtual void Click();
    bool IsLine() const { return Caption == "-"; }

    int Count() const;
    // Out of range throws EMenuError.
    TMenuItem* Items(int index) const;
    // An item that has a parent leaves it first; the item itself or one of this item's
    // parents throws EMenuError.
    void Add(TMenuItem* item);
    // index 0..Count.
    void Insert(int index, TMenuItem* item);
    // Detaches the item without deleting it; an item that is not a sub-item is ignored.
    void Remove(TMenuItem* item);
    TMenuItem* Parent() const;

    const char* ClassName() const override;

private:
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
};

// A menu that pops up at a point; its items hang under the root item Items().
class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);

    TMenuItem* Items() const { return items_; }
    TImageList* Images = nullptr;
    bool AutoPopup = true;
    TNotifyEvent OnPopup;
    // The item the user picks at the screen point, if any, is clicked before Popup returns (on
    // the host the pick comes from the toolkit's control interface).
    void Popup(int x, int y);

    const char* ClassName() const override;

private:
    TMenuItem* items_;
};
