// Tests of component ownership, class names and the menu item tree.
#include <toolkit.h>

#include <cp1251.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the names of the components being deleted, in order.
std::vector<std::string> deleted;

class Tracked : public TComponent {
public:
    Tracked(TComponent* owner, std::string name) : TComponent(owner) { Name = std::move(name); }
    ~Tracked() override { deleted.push_back(Name); }
    const char* ClassName() const override { return "Tracked"; }
};

class TrackedItem : public TMenuItem {
public:
    TrackedItem(TComponent* owner, std::string name) : TMenuItem(owner) { Name = std::move(name); }
    ~TrackedItem() override { deleted.push_back(Name); }
};

class ComponentTest : public ::testing::Test {
protected:
    void SetUp() override { deleted.clear(); }
};

TEST_F(ComponentTest, OwnerKeepsCreationOrderAndDeletesLastFirst) {
    auto* form = new Tracked(nullptr, "form");
    auto* a = new Tracked(form, "a");
    auto* b = new Tracked(form, "b");
    auto* c = new Tracked(form, "c");
    EXPECT_EQ(form->Owner(), nullptr);
    EXPECT_EQ(a->Owner(), form);
    ASSERT_EQ(form->ComponentCount(), 3);
    EXPECT_EQ(form->Components(0), a);
    EXPECT_EQ(form->Components(1), b);
    EXPECT_EQ(form->Components(2), c);
    delete form;
    EXPECT_EQ(deleted, (std::vector<std::string>{"form", "c", "b", "a"}));
}

TEST_F(ComponentTest, ComponentDeletedEarlierLeavesItsOwner) {
    Tracked form(nullptr, "form");
    new Tracked(&form, "a");
    auto* b = new Tracked(&form, "b");
    new Tracked(&form, "c");
    delete b;
    ASSERT_EQ(form.ComponentCount(), 2);
    EXPECT_EQ(form.Components(0)->Name, "a");
    EXPECT_EQ(form.Components(1)->Name, "c");
    EXPECT_EQ(form.FindComponent("b"), nullptr);
}

TEST_F(ComponentTest, OwnedComponentsOwnTheirOwn) {
    {
        Tracked form(nullptr, "form");
        auto* panel = new Tracked(&form, "panel");
        new Tracked(panel, "label");
        new Tracked(&form, "button");
    }
    EXPECT_EQ(deleted, (std::vector<std::string>{"form", "button", "panel", "label"}));
}

TEST_F(ComponentTest, ComponentsOutOfRangeThrows) {
    TComponent form(nullptr);
    new TComponent(&form);
    EXPECT_THROW(form.Components(1), EStringListError);
    EXPECT_THROW(form.Components(-1), EStringListError);
}

TEST_F(ComponentTest, FindComponentIgnoresCase) {
    constexpr auto name = cp1251::Literal("Кнопка");
    constexpr auto lower = cp1251::Literal("кнопка");
    TComponent form(nullptr);
    auto* ok = new TComponent(&form);
    ok->Name = "btnOk";
    auto* ru = new TComponent(&form);
    ru->Name = std::string(name.view());
    new TComponent(&form); // unnamed
    EXPECT_EQ(form.FindComponent("BTNOK"), ok);
    EXPECT_EQ(form.FindComponent(std::string(lower.view())), ru);
    EXPECT_EQ(form.FindComponent("btnCancel"), nullptr);
    EXPECT_EQ(form.FindComponent(""), nullptr);
}

TEST_F(ComponentTest, ClassNames) {
    TComponent form(nullptr);
    const TComponent* items[] = {&form, new TMenuItem(&form), new TStringGrid(&form)};
    const char* names[] = {"TComponent", "TMenuItem", "TStringGrid"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_STREQ(items[i]->ClassName(), names[i]);
    }
}

TEST_F(ComponentTest, MenuItemsAddInsertRemove) {
    TComponent form(nullptr);
    auto* menu = new TMenuItem(&form);
    auto* a = new TMenuItem(&form);
    auto* b = new TMenuItem(&form);
    auto* c = new TMenuItem(&form);
    menu->Add(a);
    menu->Add(c);
    menu->Insert(1, b);
    ASSERT_EQ(menu->Count(), 3);
    EXPECT_EQ(menu->Items(0), a);
    EXPECT_EQ(menu->Items(1), b);
    EXPECT_EQ(menu->Items(2), c);
    EXPECT_EQ(b->Parent(), menu);
    EXPECT_EQ(menu->Parent(), nullptr);

    menu->Remove(b);
    EXPECT_EQ(menu->Count(), 2);
    EXPECT_EQ(b->Parent(), nullptr);
    menu->Remove(b); // not a sub-item any more: nothing happens
    EXPECT_EQ(menu->Count(), 2);

    // Moving within the same parent.
    menu->Insert(0, c);
    EXPECT_EQ(menu->Items(0), c);
    EXPECT_EQ(menu->Items(1), a);
    EXPECT_EQ(menu->Count(), 2);
}

TEST_F(ComponentTest, MenuItemMovesToItsNewParent) {
    TComponent form(nullptr);
    auto* first = new TMenuItem(&form);
    auto* second = new TMenuItem(&form);
    auto* item = new TMenuItem(&form);
    first->Add(item);
    second->Add(item);
    EXPECT_EQ(first->Count(), 0);
    EXPECT_EQ(second->Count(), 1);
    EXPECT_EQ(item->Parent(), second);
}

TEST_F(ComponentTest, MenuErrorsLeaveTheTreeUnchanged) {
    TComponent form(nullptr);
    auto* root = new TMenuItem(&form);
    auto* child = new TMenuItem(&form);
    auto* other = new TMenuItem(&form);
    root->Add(child);
    EXPECT_THROW(root->Items(1), EMenuError);
    EXPECT_THROW(root->Items(-1), EMenuError);
    EXPECT_THROW(root->Insert(2, other), EMenuError);
    EXPECT_THROW(root->Insert(1, child), EMenuError) << "one place only while it is inside";
    EXPECT_THROW(child->Add(root), EMenuError);
    EXPECT_THROW(child->Add(child), EMenuError);
    EXPECT_THROW(root->Add(nullptr), EMenuError);
    ASSERT_EQ(root->Count(), 1);
    EXPECT_EQ(root->Items(0), child);
    EXPECT_EQ(child->Parent(), root);
    EXPECT_EQ(other->Parent(), nullptr);
}

TEST_F(ComponentTest, DeletedParentDeletesOnlyUnownedSubItems) {
    TComponent form(nullptr);
    auto* popup = new TrackedItem(&form, "popup");
    auto* owned = new TrackedItem(&form, "owned");
    auto* loose = new TrackedItem(nullptr, "loose");
    auto* grandChild = new TrackedItem(nullptr, "grandChild");
    popup->Add(owned);
    popup->Add(loose);
    loose->Add(grandChild);
    delete popup;
    EXPECT_EQ(deleted, (std::vector<std::string>{"popup", "loose", "grandChild"}));
    EXPECT_EQ(owned->Parent(), nullptr);
    ASSERT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(form.Components(0), owned);
}

TEST_F(ComponentTest, DeletedSubItemLeavesItsParent) {
    TComponent form(nullptr);
    auto* popup = new TMenuItem(&form);
    auto* a = new TMenuItem(&form);
    auto* b = new TMenuItem(&form);
    popup->Add(a);
    popup->Add(b);
    delete a;
    ASSERT_EQ(popup->Count(), 1);
    EXPECT_EQ(popup->Items(0), b);
}

TEST_F(ComponentTest, FormDeletesAMenuTreeOnce) {
    {
        Tracked form(nullptr, "form");
        auto* popup = new TrackedItem(&form, "popup");
        auto* open = new TrackedItem(&form, "NOpen");
        auto* exitItem = new TrackedItem(&form, "NExit");
        popup->Add(open);
        popup->Add(exitItem);
    }
    // Each deleted exactly once, last created first.
    EXPECT_EQ(deleted, (std::vector<std::string>{"form", "NExit", "NOpen", "popup"}));
}

} // namespace
