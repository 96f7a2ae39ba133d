// The search window as a user on a 1024x768 screen sees it, with the shipped data: at the size it
// opens with and at its least size, every control inside its parent and every text whole; a
// picture of each is kept.
#include "setup_form.h"

#include <layout_check.h>
#include <presentation_support.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SearchWindowLayout, ShowsEveryControlAndTextWholeAsOpenedAndAtItsLeastSize) {
    Application->CreateForm(FSetup);
    ASSERT_NE(FSetup, nullptr);
    FSetup->Show();
    wine_test::Pump(300);
    RECT opened{};
    GetWindowRect(FSetup->Handle(), &opened);
    struct Size {
        const char* name;
        int width, height;
    };
    for (const Size& size :
         {Size{"opened", opened.right - opened.left, opened.bottom - opened.top},
          Size{"least", FSetup->Constraints.MinWidth, FSetup->Constraints.MinHeight}}) {
        SetWindowPos(FSetup->Handle(), nullptr, 0, 0, size.width, size.height,
                     SWP_NOMOVE | SWP_NOZORDER);
        wine_test::Pump(300);
        std::string all;
        for (const std::string& fault : wine_test::LayoutFaults(*FSetup))
            all += "\n  " + fault;
        EXPECT_TRUE(all.empty()) << size.name << ":" << all;
        wine_test::KeepScreenshot(FSetup->Handle(), std::string("search_") + size.name);
    }
    FSetup->Free();
    wine_test::Pump();
}

} // namespace
