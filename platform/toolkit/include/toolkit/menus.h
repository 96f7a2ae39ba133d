// Menu items and their tree of sub-items.
#pragma once

#include "toolkit/classes.h"

#include <string>
#include <vector>

// Sub-items are kept apart from ownership: an item's owner (usually the form) deletes it. An
// item being deleted leaves its parent, detaches its sub-items and deletes those of them that
// have no owner; owned sub-items stay with their owner.
class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    std::string Caption;

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
