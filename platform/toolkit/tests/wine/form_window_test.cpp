// Forms as real windows: class, styles of the border styles, client size, stay-on-top, layered
// attributes, bounds both ways, background colour.
#include <presentation_support.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

using wine_test::Pixels;
using wine_test::Pump;

namespace {

class TTestForm : public TForm {
public:
    using TForm::TForm;
    const char* ClassName() const override { return "TTestForm"; }
};

std::unique_ptr<TTestForm> NewForm(TFormBorderStyle border = bsNone) {
    auto form = std::make_unique<TTestForm>(nullptr);
    form->BorderStyle = border;
    form->SetBounds(120, 90, 300, 200);
    return form;
}

TEST(FormWindow, IsATopLevelWindowOfTheFormsClassWithItsCaptionAndBounds) {
    auto form = NewForm(bsSingle);
    form->Caption = "\xCF\xF0\xE8\xE2\xE5\xF2"; // "Привет"
    form->Show();
    HWND hwnd = form->Handle();
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(wine_test::ClassOf(hwnd), "TTestForm");
    char text[64] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    EXPECT_STREQ(text, "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetParent(hwnd), nullptr);
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.top, 90);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);
    form->Hide();
    EXPECT_FALSE(IsWindowVisible(hwnd));
}

TEST(FormWindow, BorderStylesGiveTheirWindowStylesAndClientSizeMapsThroughTheFrame) {
    struct Case {
        const char* label;
        TFormBorderStyle border;
        DWORD styleOn;
        DWORD styleOff;
        DWORD exOn;
    };
    const Case cases[] = {
        {"none", bsNone, WS_POPUP, WS_CAPTION | WS_THICKFRAME, 0},
        {"single", bsSingle, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
         WS_THICKFRAME, 0},
        {"sizeable", bsSizeable, WS_CAPTION | WS_THICKFRAME, 0, 0},
        {"dialog", bsDialog, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_MINIMIZEBOX | WS_THICKFRAME,
         WS_EX_DLGMODALFRAME},
        {"tool window", bsToolWindow, WS_CAPTION, WS_THICKFRAME, WS_EX_TOOLWINDOW},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        auto form = NewForm(c.border);
        form->ClientWidth = 250;
        form->ClientHeight = 120;
        form->Show();
        HWND hwnd = form->Handle();
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE));
        const DWORD ex = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE));
        EXPECT_EQ(style & c.styleOn, c.styleOn);
        EXPECT_EQ(style & c.styleOff, 0u);
        EXPECT_EQ(ex & c.exOn, c.exOn);
        RECT client;
        GetClientRect(hwnd, &client);
        EXPECT_EQ(client.right, 250);
        EXPECT_EQ(client.bottom, 120);
        EXPECT_EQ(form->ClientWidth, 250);
        EXPECT_EQ(form->ClientHeight, 120);
        if (c.border == bsNone) {
            EXPECT_EQ(form->Width, 250);
        } else {
            EXPECT_GT(form->Height, 120);
        }
    }
}

TEST(FormWindow, BorderIconsAndAChangedBorderStyleReachTheWindow) {
    auto form = NewForm(bsSingle);
    form->BorderIcons = TBorderIcons{biSystemMenu};
    form->Show();
    HWND hwnd = form->Handle();
    DWORD style = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    form->ClientWidth = 200;
    form->BorderStyle = bsNone;
    style = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE));
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_VISIBLE) << "the window stays shown";
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, form->ClientWidth);
    EXPECT_EQ(form->ClientWidth, form->Width);
}

// Forms are owned by the application's window. Wine 8 keeps an owned window in the topmost band
// when it is asked to leave it (Windows takes it out), so the way back is not checked here; no
// form of the system leaves the band at run time.
TEST(FormWindow, StayOnTopIsTheTopmostBand) {
    auto form = NewForm();
    form->Show();
    HWND hwnd = form->Handle();
    EXPECT_FALSE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    form->FormStyle = fsStayOnTop;
    EXPECT_TRUE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);

    auto created = NewForm();
    created->FormStyle = fsStayOnTop;
    created->Show();
    EXPECT_TRUE(GetWindowLongPtrA(created->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST(FormWindow, FormsAreOwnedByTheApplicationWindow) {
    auto form = NewForm();
    form->Show();
    EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), Application->Handle());
}

TEST(FormWindow, AlphaBlendAndTransparentColorAreTheLayeredAttributes) {
    struct Case {
        const char* label;
        bool alpha;
        BYTE value;
        bool key;
        TColor keyColor;
        DWORD flags;
    };
    const Case cases[] = {
        {"alpha", true, 128, false, clBlack, LWA_ALPHA},
        {"colour key", false, 255, true, clBlack, LWA_COLORKEY},
        {"both", true, 40, true, clFuchsia, LWA_ALPHA | LWA_COLORKEY},
        {"neither", false, 255, false, clBlack, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        auto form = NewForm();
        form->Show();
        HWND hwnd = form->Handle();
        form->AlphaBlendValue = c.value;
        form->TransparentColorValue = c.keyColor;
        form->AlphaBlend = c.alpha;
        form->TransparentColor = c.key;
        const bool layered = (GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
        EXPECT_EQ(layered, c.flags != 0);
        if (!layered)
            continue;
        COLORREF key = CLR_INVALID;
        BYTE alpha = 0;
        DWORD flags = 0xDEAD;
        ASSERT_TRUE(GetLayeredWindowAttributes(hwnd, &key, &alpha, &flags));
        EXPECT_EQ(flags, c.flags);
        if (c.flags & LWA_ALPHA) {
            EXPECT_EQ(alpha, c.value);
        }
        if (c.flags & LWA_COLORKEY) {
            EXPECT_EQ(key, static_cast<COLORREF>(c.keyColor));
        }
    }
}

TEST(FormWindow, BoundsFollowTheModelAndTheModelFollowsTheWindow) {
    auto form = NewForm(bsSizeable);
    form->Show();
    HWND hwnd = form->Handle();
    form->SetBounds(60, 70, 340, 260);
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 60);
    EXPECT_EQ(r.top, 70);
    EXPECT_EQ(r.right, 400);
    EXPECT_EQ(r.bottom, 330);

    int resized = 0;
    form->OnResize = [&](TObject*) { ++resized; };
    SetWindowPos(hwnd, nullptr, 10, 20, 310, 230, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(form->Left, 10);
    EXPECT_EQ(form->Top, 20);
    EXPECT_EQ(form->Width, 310);
    EXPECT_EQ(form->Height, 230);
    EXPECT_EQ(resized, 1);

    form->Constraints.MaxWidth = 320;
    SetWindowPos(hwnd, nullptr, 10, 20, 500, 230, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(form->Width, 320);
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.right - r.left, 320) << "the window takes the model's limit";
}

TEST(FormWindow, TheBackgroundIsTheFormsColourAndFollowsIt) {
    auto form = NewForm();
    form->Color = clMaroon;
    form->Show();
    Pump();
    {
        const Pixels p(form->Handle());
        EXPECT_EQ(p.At(5, 5), static_cast<COLORREF>(clMaroon));
        EXPECT_EQ(p.Count(static_cast<COLORREF>(clMaroon)), p.Width() * p.Height());
    }
    form->Color = 5310424;
    Pump();
    const Pixels p(form->Handle());
    EXPECT_EQ(p.At(150, 100), static_cast<COLORREF>(5310424));
}

TEST(FormWindow, CloseMessageClosesTheFormThroughItsEvents) {
    auto form = NewForm();
    int asked = 0;
    bool allow = false;
    form->OnCloseQuery = [&](TObject*, bool& canClose) {
        ++asked;
        canClose = allow;
    };
    form->Show();
    HWND hwnd = form->Handle();
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(form->Visible);
    EXPECT_TRUE(IsWindow(hwnd)) << "WM_CLOSE never destroys the window";
    allow = true;
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(form->Visible);
    EXPECT_FALSE(IsWindowVisible(hwnd));
}

TEST(FormWindow, TextMetricsComeFromTheFontOnARealDeviceContext) {
    TCanvas canvas;
    canvas.Font.Name = "Arial";
    canvas.Font.Height = -40;
    canvas.Font.Style = TFontStyles{fsBold};
    const std::string text = "\xCF\xF0\xE8\xE2\xE5\xF2 12:30"; // "Привет 12:30"

    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontA(-40, 0, 0, 0, FW_BOLD, 0, 0, 0, RUSSIAN_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(dc, font);
    SIZE expected{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &expected);
    SIZE narrow{};
    GetTextExtentPoint32A(dc, "iiii", 4, &narrow);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);

    EXPECT_EQ(canvas.TextWidth(text), expected.cx);
    EXPECT_EQ(canvas.TextHeight(text), expected.cy);
    EXPECT_EQ(canvas.TextWidth("iiii"), narrow.cx);
    EXPECT_LT(canvas.TextWidth("iiii"), canvas.TextWidth("WWWW")) << "proportional, not fixed";
    EXPECT_EQ(canvas.TextWidth(""), 0);
    EXPECT_GT(canvas.TextHeight(""), 0);
}

} // namespace

namespace {

// The user's application: a window of a thread of its own, in front, counting its keys.
class TUserApplication {
public:
    TUserApplication() {
        thread_ = std::thread([this] { Run(); });
        while (!window_.load())
            Sleep(10);
    }
    ~TUserApplication() {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    HWND Window() const { return window_; }
    int Keys() const { return keys_; }

private:
    static LRESULT CALLBACK Procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<TUserApplication*>(GetWindowLongPtrA(w, GWLP_USERDATA));
        if (m == WM_KEYDOWN && self)
            ++self->keys_;
        if (m == WM_CLOSE) {
            DestroyWindow(w);
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcA(w, m, wp, lp);
    }
    void Run() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Procedure;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TestUserApplication";
        RegisterClassA(&wc);
        HWND w = CreateWindowExA(0, wc.lpszClassName, "User", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500,
                                 400, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetForegroundWindow(w);
        window_ = w;
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    std::thread thread_;
    std::atomic<HWND> window_{nullptr};
    std::atomic<int> keys_{0};
};

bool WaitForForeground(HWND window) {
    for (int i = 0; i < 100 && GetForegroundWindow() != window; ++i)
        Pump(20);
    return GetForegroundWindow() == window;
}

} // namespace

TEST(FormWindow, ANoActivateFormNeverTakesTheActivationFromTheUsersApplication) {
    // In the tray, as the program runs: the application's window hidden.
    ShowWindow(Application->Handle(), SW_HIDE);
    TUserApplication user;
    ASSERT_TRUE(WaitForForeground(user.Window()));
    auto clock = NewForm();
    clock->FormStyle = fsStayOnTop;
    clock->NoActivate = true;
    clock->SetBounds(40, 40, 200, 80);
    clock->Show();
    Pump(200);
    EXPECT_TRUE(GetWindowLongA(clock->Handle(), GWL_EXSTYLE) & WS_EX_NOACTIVATE);
    EXPECT_EQ(GetForegroundWindow(), user.Window()) << "showing it took the activation";

    // A dialog of the program comes and goes, as when the user ticks the constant clock.
    auto dialog = NewForm(bsDialog);
    dialog->SetBounds(100, 100, 300, 200);
    TTimer close(nullptr);
    close.Interval = 600;
    bool wasInFront = false;
    close.OnTimer = [&](TObject*) {
        close.Enabled = false;
        wasInFront = GetForegroundWindow() == dialog->Handle();
        dialog->ModalResult = mrOk;
    };
    close.Enabled = true;
    SetForegroundWindow(Application->Handle()); // as the tray menu does
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_TRUE(wasInFront) << "the dialog itself is in front while it is open";
    const bool userInFront = WaitForForeground(user.Window());

    EXPECT_NE(GetForegroundWindow(), clock->Handle()) << "the clock took the activation";
    EXPECT_NE(GetActiveWindow(), clock->Handle());
    EXPECT_TRUE(userInFront);
    const int before = user.Keys();
    wine_test::SendKey(VK_RETURN);
    for (int i = 0; i < 50 && user.Keys() == before; ++i)
        Pump(20);
    EXPECT_GT(user.Keys(), before) << "the remote's Enter went elsewhere";
    // The user drags the clock aside: the keys stay with the application.
    wine_test::SendClick(POINT{60, 60});
    Pump(300);
    EXPECT_EQ(GetForegroundWindow(), user.Window()) << "a click made the clock active";
    EXPECT_TRUE(IsWindowVisible(clock->Handle()));
    ShowWindow(Application->Handle(), SW_SHOWNA);
}
