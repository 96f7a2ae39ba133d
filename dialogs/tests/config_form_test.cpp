// The settings dialog as the window manager opens and frees it.
#include "config_form.h"
#include "dialog_fixture.h"
#include "osd.h"

#include <toolkitsim/control.h>

#include <gtest/gtest.h>

namespace {

using ConfigFormTest = DialogTest;

TEST_F(ConfigFormTest, TheWindowManagerMakesTheRealDialogAndTheRuntimeSeesItsCodeGrid) {
    bool seen = false;
    toolkitsim::OnModal([&](TCustomForm& form) {
        ASSERT_EQ(&form, FConfig);
        EXPECT_EQ(OpenConfigDialog(), FConfig);
        EXPECT_EQ(OpenConfigDialog()->vleCode, FConfig->vleCode);
        EXPECT_EQ(FConfig->pcConfig->PageCount(), 5);
        EXPECT_EQ(FConfig->pcConfig->Pages(1), FConfig->pCode);
        seen = true;
        FConfig->Finish();
        // The window manager's tick closes a released dialog.
        toolkitsim::At(100, [] { OsdTick(nullptr); });
    });
    ShowForm(KindConfig);
    EXPECT_TRUE(seen);
    toolkitsim::RunFor(10);
    EXPECT_EQ(FConfig, nullptr);
    EXPECT_EQ(OpenConfigDialog(), nullptr);
}

} // namespace
