// The windowed controls as real child windows: the panel (a window of the toolkit that paints
// itself and its graphic controls), the list box (a LISTBOX) and the edits (an EDIT). The model
// keeps the state and the typing rules: keys go to the model, which the window then shows.
#include "widgets.h"

#include "toolkit/checklst.h"
#include "toolkit/extctrls.h"
#include "toolkit/mask.h"
#include "toolkit/stdctrls.h"

#include <algorithm>

namespace toolkit_detail::win {

Styles ChildStyles(DWORD style, TBorderStyle border, bool ctl3d) {
    Styles s{WS_CHILD | WS_CLIPSIBLINGS | style, 0};
    if (border == bsSingle) {
        if (ctl3d)
            s.exStyle |= WS_EX_CLIENTEDGE;
        else
            s.style |= WS_BORDER;
    }
    return s;
}

HWND MakeChild(const char* windowClass, const Styles& s, const TControl& control, HWND parent,
               void* param) {
    return CreateWindowExA(s.exStyle, windowClass, "", s.style, control.GetLeft(), control.GetTop(),
                           control.GetWidth(), control.GetHeight(), parent, nullptr,
                           GetModuleHandleA(nullptr), param);
}

namespace {

class PanelWidget : public Widget {
public:
    PanelWidget(TPanel& panel, Widget& parent) : Widget(panel, &parent), panel_(panel) {}

    void Create() override {
        RegisterWidgetClass("TPanel");
        const Styles s = ChildStyles(WS_CLIPCHILDREN, panel_.BorderStyle, panel_.Ctl3D);
        HWND hwnd = MakeChild("TPanel", s, panel_, parent_->Window(), this);
        if (!hwnd)
            return;
        Attach(hwnd);
        PlaceWindow();
    }
    bool Container() const override { return true; }
    void Changed(Aspect what) override {
        if (what == Aspect::Font)
            InvalidateRect(window_, nullptr, FALSE);
        else
            Widget::Changed(what);
    }

private:
    TPanel& panel_;
};

class ListWidget : public Widget {
public:
    ListWidget(TListBox& list, Widget& parent)
        : Widget(list, &parent), list_(list), checks_(dynamic_cast<TCheckListBox*>(&list)) {}

    void Create() override {
        DWORD style = WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
        // A check list box draws its boxes itself, and stands its items side by side in columns.
        if (checks_)
            style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
        style |= checks_ && checks_->Columns > 0 ? WS_HSCROLL | LBS_MULTICOLUMN : WS_VSCROLL;
        const Styles s = ChildStyles(style, list_.BorderStyle, list_.Ctl3D);
        HWND hwnd = MakeChild("LISTBOX", s, list_, parent_->Window(), nullptr);
        if (!hwnd)
            return;
        Attach(hwnd);
        Subclass();
        ApplyFont();
        FillItems();
        PlaceWindow();
    }

    void Changed(Aspect what) override {
        switch (what) {
        case Aspect::Items:
            FillItems();
            break;
        case Aspect::Selection:
            Select();
            break;
        case Aspect::Font:
            ApplyFont();
            // A new font sets the item height anew.
            SendMessageA(window_, LB_SETITEMHEIGHT, 0, MAKELPARAM(list_.ItemHeight, 0));
            break;
        case Aspect::Bounds:
            Widget::Changed(what);
            SetColumnWidth();
            break;
        default:
            Widget::Changed(what);
            break;
        }
    }

    bool Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == LB_SETCURSEL && !syncing_) {
            // A selection made from outside is the model's too (without an event, as setting
            // ItemIndex fires none).
            result = Default(message, wParam, lParam);
            const int index = static_cast<int>(SendMessageA(window_, LB_GETCURSEL, 0, 0));
            Guard(&list_, [&] { list_.SetItemIndex(index); });
            return true;
        }
        return Widget::Message(message, wParam, lParam, result);
    }

    // The item's box, checked as the model has it, then its text.
    bool DrawItem(const DRAWITEMSTRUCT& item) override {
        if (!checks_ || item.itemID == static_cast<UINT>(-1))
            return false;
        const int index = static_cast<int>(item.itemID);
        const bool selected = (item.itemState & ODS_SELECTED) != 0;
        RECT r = item.rcItem;
        Fill(item.hDC, r, list_.GetColor());
        const int box = std::min(13, static_cast<int>(r.bottom - r.top));
        RECT check{r.left + 1, r.top + (r.bottom - r.top - box) / 2, r.left + 1 + box, 0};
        check.bottom = check.top + box;
        DrawFrameControl(item.hDC, &check, DFC_BUTTON,
                         DFCS_BUTTONCHECK | (checks_->Checked(index) ? DFCS_CHECKED : 0) |
                             (list_.GetEnabled() ? 0 : DFCS_INACTIVE));
        RECT text{r.left + kCheckBoxRoom, r.top, r.right, r.bottom};
        if (selected)
            Fill(item.hDC, text, clHighlight);
        const std::string caption = index < list_.Items.Count() ? list_.Items[index] : "";
        HGDIOBJ old = SelectObject(item.hDC, font_);
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, ToColorRef(selected ? clHighlightText : list_.Font.GetColor()));
        RECT inner{text.left + 2, text.top, text.right, text.bottom};
        DrawTextA(item.hDC, caption.data(), static_cast<int>(caption.size()), &inner,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(item.hDC, old);
        if (item.itemState & ODS_FOCUS)
            DrawFocusRect(item.hDC, &text);
        return true;
    }

private:
    // The model's box is 16 pixels wide: a press within them toggles the check.
    static constexpr int kCheckBoxRoom = 16;

    // The columns share the client area: wider ones would need the scroll bar, which then takes
    // the height of the one line of items.
    void SetColumnWidth() {
        if (!checks_ || checks_->Columns <= 0)
            return;
        RECT client{};
        GetClientRect(window_, &client);
        SendMessageA(window_, LB_SETCOLUMNWIDTH,
                     static_cast<WPARAM>(std::max<LONG>(1, client.right / checks_->Columns)), 0);
        InvalidateRect(window_, nullptr, TRUE);
    }

    void FillItems() {
        syncing_ = true;
        SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
        SendMessageA(window_, LB_RESETCONTENT, 0, 0);
        for (const std::string& item : list_.Items)
            SendMessageA(window_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        SendMessageA(window_, LB_SETITEMHEIGHT, 0, MAKELPARAM(list_.ItemHeight, 0));
        SetColumnWidth();
        SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
        syncing_ = false;
        Select();
        InvalidateRect(window_, nullptr, TRUE);
    }

    void Select() {
        syncing_ = true;
        SendMessageA(window_, LB_SETCURSEL, static_cast<WPARAM>(list_.GetItemIndex()), 0);
        syncing_ = false;
    }

    TListBox& list_;
    TCheckListBox* checks_;
    bool syncing_ = false;
};

class EditWidget : public Widget {
public:
    EditWidget(TCustomEdit& edit, Widget& parent) : Widget(edit, &parent), edit_(edit) {}

    void Create() override {
        const Styles s =
            ChildStyles(WS_TABSTOP | ES_AUTOHSCROLL | (edit_.ReadOnly ? ES_READONLY : 0),
                        edit_.BorderStyle, edit_.Ctl3D);
        HWND hwnd = MakeChild("EDIT", s, edit_, parent_->Window(), nullptr);
        if (!hwnd)
            return;
        Attach(hwnd);
        Subclass();
        ApplyFont();
        Show();
        PlaceWindow();
    }

    void ApplyFont() {
        Widget::ApplyFont();
        // Borderless, the edit is as wide as its text: no margins inside.
        if (edit_.BorderStyle == bsNone)
            SendMessageA(window_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    }

    void Changed(Aspect what) override {
        switch (what) {
        case Aspect::Text:
        case Aspect::Selection:
            Show();
            break;
        case Aspect::Font:
            ApplyFont();
            break;
        default:
            Widget::Changed(what);
            break;
        }
    }

    bool Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (IsMouseMessage(message)) {
            RouteMouse(*this, message, wParam, lParam);
            result = Default(message, wParam, lParam);
            if (message != WM_MOUSEMOVE)
                TakeCaret();
            return true;
        }
        if (message == WM_PAINT) {
            result = Default(message, wParam, lParam);
            PaintClippedBlanks();
            return true;
        }
        if (!syncing_ && (message == EM_SETSEL || message == WM_SETTEXT)) {
            result = Default(message, wParam, lParam);
            if (message == WM_SETTEXT)
                TakeText();
            else
                TakeCaret();
            return true;
        }
        return Widget::Message(message, wParam, lParam, result);
    }

    void Notified(WORD code) override {
        if (code == EN_CHANGE && !syncing_)
            TakeText();
    }

private:
    // An edit lower than its font's line cuts off what lies below the baseline, the underscore
    // that marks an empty position among it: such a blank is drawn as a line just inside the
    // edit's bottom, under its place.
    void PaintClippedBlanks() {
        const auto* masked = dynamic_cast<const TMaskEdit*>(&edit_);
        if (!masked)
            return;
        const std::string shown = masked->GetEditText();
        RECT client{};
        GetClientRect(window_, &client);
        HDC dc = GetDC(window_);
        HGDIOBJ old = SelectObject(dc, font_);
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        const int thickness = std::max(1, static_cast<int>(metrics.tmHeight / 16));
        const int y = std::min(static_cast<int>(metrics.tmAscent) + thickness,
                               static_cast<int>(client.bottom) - thickness);
        if (y + thickness <= metrics.tmHeight &&
            static_cast<int>(client.bottom) < metrics.tmHeight) {
            HBRUSH brush = CreateSolidBrush(ToColorRef(edit_.Font.GetColor()));
            for (int k = 0; k < static_cast<int>(shown.size()); ++k) {
                if (shown[static_cast<std::size_t>(k)] != '_' || !masked->IsBlank(k))
                    continue;
                const LRESULT at = SendMessageA(window_, EM_POSFROMCHAR, static_cast<WPARAM>(k), 0);
                SIZE size{};
                GetTextExtentPoint32A(dc, "_", 1, &size);
                const int left = static_cast<short>(LOWORD(at));
                RECT line{left, y, left + size.cx, y + thickness};
                FillRect(dc, &line, brush);
            }
            DeleteObject(brush);
        }
        SelectObject(dc, old);
        ReleaseDC(window_, dc);
    }

    // What the edit shows: a masked edit its literals and blanks.
    std::string Shown() const {
        if (const auto* masked = dynamic_cast<const TMaskEdit*>(&edit_))
            return masked->GetEditText();
        return edit_.GetText();
    }

    std::string WindowText() const {
        const int n = GetWindowTextLengthA(window_);
        std::string text(static_cast<std::size_t>(n) + 1, '\0');
        const int got = GetWindowTextA(window_, text.data(), n + 1);
        text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
        return text;
    }

    void Show() {
        syncing_ = true;
        const std::string shown = Shown();
        if (WindowText() != shown)
            SetWindowTextA(window_, shown.c_str());
        const int caret = edit_.GetSelStart();
        SendMessageA(window_, EM_SETSEL, static_cast<WPARAM>(caret), caret);
        syncing_ = false;
    }

    // A text put into the window from outside (a paste, WM_SETTEXT) goes through the model.
    void TakeText() {
        const std::string text = WindowText();
        if (text != Shown())
            Guard(&edit_, [&] { edit_.SetText(text); });
        Show();
    }

    void TakeCaret() {
        DWORD start = 0;
        SendMessageA(window_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
        if (static_cast<int>(start) != edit_.GetSelStart())
            Guard(&edit_, [&] { edit_.SetSelStart(static_cast<int>(start)); });
    }

    TCustomEdit& edit_;
    bool syncing_ = false;
};

} // namespace

std::unique_ptr<Widget> MakeWidget(TWinControl& control, Widget& parent) {
    if (auto* edit = dynamic_cast<TCustomEdit*>(&control))
        return std::make_unique<EditWidget>(*edit, parent);
    if (auto* list = dynamic_cast<TListBox*>(&control))
        return std::make_unique<ListWidget>(*list, parent);
    if (auto* panel = dynamic_cast<TPanel*>(&control))
        return std::make_unique<PanelWidget>(*panel, parent);
    if (auto widget = MakeStdWidget(control, parent))
        return widget;
    return MakeComCtrlWidget(control, parent);
}

} // namespace toolkit_detail::win
