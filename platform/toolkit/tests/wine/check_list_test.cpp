// The check-list box under Wine: its boxes drawn, ticked by the real mouse, its items on one line
// in its columns.
#include <presentation_support.h>

#include <gtest/gtest.h>

#include <memory>

using wine_test::Pump;

namespace {

void ClickAt(POINT p) {
    wine_test::SendClick(p);
    Pump(300);
}

TEST(CheckListBox, BoxesOnOneLineInColumnsAreDrawnAndTickedByTheMouse) {
    auto form = std::make_unique<TForm>(nullptr);
    form->BorderStyle = bsNone;
    form->FormStyle = fsStayOnTop;
    form->SetBounds(150, 150, 420, 60);
    auto* drives = new TCheckListBox(form.get());
    drives->Parent = form.get();
    drives->SetBounds(10, 10, 400, 21);
    drives->Items.SetText("C:\\\r\nD:\\\r\nE:\\\r\nZ:\\\r\n");
    for (int i = 0; i < drives->Items.Count(); ++i)
        drives->SetChecked(i, true);
    drives->Columns = drives->Items.Count();
    int clicks = 0;
    drives->OnClickCheck = [&](TObject*) { ++clicks; };
    form->Show();
    SetForegroundWindow(form->Handle());
    Pump();
    HWND window = wine_test::ChildOf(form->Handle(), "LISTBOX");
    ASSERT_NE(window, nullptr);

    // One line, a column each, every text inside its column; the columns share the client area,
    // so that no scroll bar takes the line's height.
    RECT client{};
    GetClientRect(window, &client);
    const int columnWidth = client.right / 4;
    EXPECT_GE(client.bottom, SendMessageA(window, LB_GETITEMHEIGHT, 0, 0))
        << "no scroll bar takes the line's height";
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        RECT item{};
        ASSERT_NE(SendMessageA(window, LB_GETITEMRECT, static_cast<WPARAM>(i),
                               reinterpret_cast<LPARAM>(&item)),
                  LB_ERR);
        EXPECT_EQ(item.top, 0);
        EXPECT_EQ(item.left, i * columnWidth);
        EXPECT_EQ(item.right - item.left, columnWidth);
    }

    // A ticked box has its mark: dark pixels inside the box, none in an unticked one.
    const auto markPixels = [&](int index) {
        Pump();
        const wine_test::Pixels pixels(window);
        const RECT box{index * columnWidth + 3, 2, index * columnWidth + 12, 11};
        return pixels.Count(RGB(0, 0, 0), box);
    };
    EXPECT_GT(markPixels(2), 0);

    POINT box{2 * columnWidth + 7, 6};
    ClientToScreen(window, &box);
    ClickAt(box);
    EXPECT_FALSE(drives->Checked(2));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(markPixels(2), 0);
    EXPECT_GT(markPixels(3), 0);
    const wine_test::Pixels pixels(window);
    wine_test::WriteBitmap("check_list_drives.bmp", pixels.Width(), pixels.Height(),
                           [&](int x, int y) { return pixels.At(x, y); });

    // A click on the text selects the item and leaves its box.
    POINT text{3 * columnWidth + 40, 6};
    ClientToScreen(window, &text);
    ClickAt(text);
    EXPECT_EQ(drives->ItemIndex, 3);
    EXPECT_TRUE(drives->Checked(3));
    ClickAt(box);
    EXPECT_TRUE(drives->Checked(2));
    EXPECT_EQ(clicks, 2);
}

} // namespace
