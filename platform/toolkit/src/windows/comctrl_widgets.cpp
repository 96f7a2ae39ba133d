// Track bars, status bars and page controls as the system's common controls (msctls_trackbar32,
// msctls_statusbar32, SysTabControl32 with a window of the toolkit per tab sheet), and grids as
// windows of the toolkit that paint their cells. The models keep positions, pages and the current
// cell; the windows show them and hand the user's drags, tab clicks and presses to the models.
#include "widgets.h"

#include "toolkit/comctrls.h"
#include "toolkit/grids.h"
#include "toolkit/stdctrls.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace toolkit_detail::win {
namespace {

void InitCommonControlsOnce() {
    static bool done = false;
    if (done)
        return;
    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    done = true;
}

class TrackBarWidget : public Widget {
public:
    TrackBarWidget(TTrackBar& bar, Widget& parent) : Widget(bar, &parent), bar_(bar) {}

    void Create() override {
        InitCommonControlsOnce();
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP |
                      (bar_.Orientation == trVertical ? TBS_VERT : TBS_HORZ);
        if (bar_.TickStyle == tsAuto)
            style |= TBS_AUTOTICKS;
        if (bar_.TickStyle == tsNone)
            style |= TBS_NOTICKS;
        if (bar_.TickMarks == tmBoth)
            style |= TBS_BOTH;
        else if (bar_.TickMarks == tmTopLeft)
            style |= TBS_TOP;
        HWND hwnd = MakeChild(TRACKBAR_CLASSA, Styles{style, 0}, bar_, parent_->Window(), nullptr);
        if (!hwnd)
            return;
        Attach(hwnd);
        Subclass();
        ShowRange();
        PlaceWindow();
    }

    void Changed(Aspect what) override {
        switch (what) {
        case Aspect::Look:
            ShowRange();
            break;
        case Aspect::Selection:
            SendMessageA(window_, TBM_SETPOS, TRUE, bar_.GetPosition());
            break;
        default:
            Widget::Changed(what);
            break;
        }
    }

    // The thumb moved under the mouse: the model's position, as the user's.
    void Notified(WORD) override {
        const int position = static_cast<int>(SendMessageA(window_, TBM_GETPOS, 0, 0));
        if (position != bar_.GetPosition())
            Guard(&bar_, [&] { bar_.SetPosition(position); });
    }

private:
    void ShowRange() {
        SendMessageA(window_, TBM_SETRANGEMIN, FALSE, bar_.GetMin());
        SendMessageA(window_, TBM_SETRANGEMAX, FALSE, bar_.GetMax());
        SendMessageA(window_, TBM_SETTICFREQ, static_cast<WPARAM>(std::max(1, bar_.Frequency)), 0);
        SendMessageA(window_, TBM_SETLINESIZE, 0, bar_.LineSize);
        SendMessageA(window_, TBM_SETPAGESIZE, 0, bar_.PageSize);
        SendMessageA(window_, TBM_SETPOS, TRUE, bar_.GetPosition());
    }

    TTrackBar& bar_;
};

class StatusBarWidget : public Widget {
public:
    StatusBarWidget(TStatusBar& bar, Widget& parent) : Widget(bar, &parent), bar_(bar) {}

    void Create() override {
        InitCommonControlsOnce();
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | CCS_NOPARENTALIGN | CCS_NORESIZE;
        if (bar_.SizeGrip)
            style |= SBARS_SIZEGRIP;
        HWND hwnd = MakeChild(STATUSCLASSNAMEA, Styles{style, 0}, bar_, parent_->Window(), nullptr);
        if (!hwnd)
            return;
        Attach(hwnd);
        Subclass();
        ApplyFont();
        ShowTexts();
        PlaceWindow();
    }

    void Changed(Aspect what) override {
        switch (what) {
        case Aspect::Text:
        case Aspect::Items:
            ShowTexts();
            break;
        default:
            Widget::Changed(what);
            break;
        }
    }

private:
    void ShowTexts() {
        SendMessageA(window_, SB_SIMPLE, bar_.GetSimplePanel() ? TRUE : FALSE, 0);
        if (bar_.GetSimplePanel()) {
            SendMessageA(window_, SB_SETTEXTA, SB_SIMPLEID,
                         reinterpret_cast<LPARAM>(bar_.GetSimpleText().c_str()));
            return;
        }
        std::vector<int> edges;
        int right = 0;
        for (int i = 0; i < bar_.Panels.Count(); ++i) {
            right += bar_.Panels.Items(i)->Width;
            // The last panel reaches to the end of the bar.
            edges.push_back(i + 1 == bar_.Panels.Count() ? -1 : right);
        }
        if (edges.empty())
            edges.push_back(-1);
        SendMessageA(window_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
        for (int i = 0; i < bar_.Panels.Count(); ++i) {
            const TStatusPanel& panel = *bar_.Panels.Items(i);
            // A tab before the text centres it, two put it right.
            const std::string text = (panel.Alignment == taCenter         ? "\t"
                                      : panel.Alignment == taRightJustify ? "\t\t"
                                                                          : "") +
                                     panel.Text;
            WPARAM part = static_cast<WPARAM>(i);
            if (panel.Bevel == pbNone)
                part |= SBT_NOBORDERS;
            else if (panel.Bevel == pbRaised)
                part |= SBT_POPOUT;
            SendMessageA(window_, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text.c_str()));
        }
    }

    TStatusBar& bar_;
};

class PageControlWidget : public Widget {
public:
    PageControlWidget(TPageControl& pages, Widget& parent)
        : Widget(pages, &parent), pages_(pages) {}

    void Create() override {
        InitCommonControlsOnce();
        HWND hwnd = MakeChild(WC_TABCONTROLA,
                              Styles{WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP, 0},
                              pages_, parent_->Window(), nullptr);
        if (!hwnd)
            return;
        Attach(hwnd);
        Subclass();
        ApplyFont();
        FillTabs();
        PlaceWindow();
    }

    void Changed(Aspect what) override {
        switch (what) {
        case Aspect::Items:
            FillTabs();
            break;
        case Aspect::Selection:
            SendMessageA(window_, TCM_SETCURSEL, static_cast<WPARAM>(pages_.GetTabIndex()), 0);
            break;
        default:
            Widget::Changed(what);
            break;
        }
    }

    bool Notify(const NMHDR& header, LRESULT& result) override {
        if (header.code != static_cast<UINT>(TCN_SELCHANGE))
            return false;
        const int tab = static_cast<int>(SendMessageA(window_, TCM_GETCURSEL, 0, 0));
        Guard(&pages_, [&] { pages_.ClickTab(tab); });
        result = 0;
        return true;
    }

    void FillTabs() {
        SendMessageA(window_, TCM_DELETEALLITEMS, 0, 0);
        for (int i = 0; i < pages_.TabCount(); ++i) {
            std::string caption = pages_.TabPage(i)->GetCaption();
            TCITEMA item = {};
            item.mask = TCIF_TEXT;
            item.pszText = caption.data();
            SendMessageA(window_, TCM_INSERTITEMA, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&item));
        }
        SendMessageA(window_, TCM_SETCURSEL, static_cast<WPARAM>(pages_.GetTabIndex()), 0);
    }

private:
    TPageControl& pages_;
};

// A tab sheet, a grid: windows of the toolkit's own classes that paint themselves.
class PaintedWidget : public Widget {
public:
    PaintedWidget(TWinControl& control, Widget& parent, DWORD exStyle)
        : Widget(control, &parent), exStyle_(exStyle) {}

    void Create() override {
        RegisterWidgetClass(control_.ClassName());
        HWND hwnd = MakeChild(control_.ClassName(),
                              Styles{WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, exStyle_},
                              control_, parent_->Window(), this);
        if (!hwnd)
            return;
        Attach(hwnd);
        PlaceWindow();
    }
    bool Container() const override { return true; }

    void Changed(Aspect what) override {
        // A sheet's caption is its tab's.
        if (what == Aspect::Text)
            if (auto* tabs = dynamic_cast<PageControlWidget*>(parent_))
                tabs->FillTabs();
        Widget::Changed(what);
    }

private:
    DWORD exStyle_;
};

constexpr UINT kCloseEditor = WM_APP + 1;

// A grid with the in-place editor: a double click, F2 or a typed character opens an EDIT over
// the current cell when the model lets it be edited; Enter or leaving it hands the text to the
// model (OnSetEditText), Esc drops it.
class GridWidget : public PaintedWidget {
public:
    GridWidget(TCustomGrid& grid, Widget& parent)
        : PaintedWidget(grid, parent,
                        static_cast<DWORD>(grid.BorderStyle == bsSingle ? WS_EX_CLIENTEDGE : 0)),
          grid_(grid) {}
    ~GridWidget() override { DropEditor(); }

    void Create() override {
        PaintedWidget::Create();
        ShowBars();
    }

    void Changed(Aspect what) override {
        PaintedWidget::Changed(what);
        if (what == Aspect::Look || what == Aspect::Bounds || what == Aspect::Font)
            ShowBars();
    }

    bool Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        switch (message) {
        case WM_VSCROLL:
        case WM_HSCROLL:
            if (lParam != 0)
                break;
            CloseEditor(true);
            Scroll(message == WM_VSCROLL, LOWORD(wParam));
            result = 0;
            return true;
        case WM_MOUSEWHEEL: {
            CloseEditor(true);
            TShiftState shift;
            if (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL)
                shift << ssCtrl;
            if (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT)
                shift << ssShift;
            Guard(&grid_, [&] { grid_.MouseWheel(shift, GET_WHEEL_DELTA_WPARAM(wParam)); });
            result = 0;
            return true;
        }
        case WM_LBUTTONDBLCLK: {
            const bool handled = PaintedWidget::Message(message, wParam, lParam, result);
            // Only on the cell the click made current (not on a fixed one beside it).
            int col = -1;
            int row = -1;
            if (grid_.MouseToCell(static_cast<short>(LOWORD(lParam)),
                                  static_cast<short>(HIWORD(lParam)), col, row) &&
                col == grid_.GetCol() && row == grid_.GetRow())
                OpenEditor(nullptr);
            return handled;
        }
        case WM_KEYDOWN:
            if (wParam == VK_F2 && OpenEditor(nullptr)) {
                result = 0;
                return true;
            }
            break;
        case WM_CHAR:
            if (static_cast<unsigned char>(wParam) >= 32) {
                const char typed[2] = {static_cast<char>(wParam), '\0'};
                if (OpenEditor(typed)) {
                    result = 0;
                    return true;
                }
            }
            break;
        case kCloseEditor:
            DropEditor();
            result = 0;
            return true;
        default:
            break;
        }
        return PaintedWidget::Message(message, wParam, lParam, result);
    }

private:
    // The model's bars, ranges and positions on the window: the thumb ranges from the first
    // row (column) that is not fixed to the last top row (left column).
    void ShowBars() {
        if (!window_ || showingBars_)
            return;
        showingBars_ = true;
        const auto show = [&](int bar, bool shown, int first, int count, int last, int pos) {
            ShowScrollBar(window_, bar, shown ? TRUE : FALSE);
            if (!shown)
                return;
            SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
            info.nMin = first;
            info.nMax = count - 1;
            info.nPage = static_cast<UINT>(count - last);
            info.nPos = pos;
            SetScrollInfo(window_, bar, &info, TRUE);
        };
        show(SB_VERT, grid_.ShowsVertScrollBar(), grid_.GetFixedRows(), grid_.GetRowCount(),
             grid_.MaxTopRow(), grid_.GetTopRow());
        show(SB_HORZ, grid_.ShowsHorzScrollBar(), grid_.GetFixedCols(), grid_.GetColCount(),
             grid_.MaxLeftCol(), grid_.GetLeftCol());
        showingBars_ = false;
    }

    // A scroll bar's request: by a line, a page, to the ends, or where the thumb is.
    void Scroll(bool vertical, WORD code) {
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(window_, vertical ? SB_VERT : SB_HORZ, &info);
        const int current = vertical ? grid_.GetTopRow() : grid_.GetLeftCol();
        const int page = std::max(1, vertical ? grid_.VisibleRowCount() : grid_.VisibleColCount());
        int target = current;
        switch (code) {
        case SB_LINEUP:
            target = current - 1;
            break;
        case SB_LINEDOWN:
            target = current + 1;
            break;
        case SB_PAGEUP:
            target = current - page;
            break;
        case SB_PAGEDOWN:
            target = current + page;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            target = info.nTrackPos;
            break;
        case SB_TOP:
            target = info.nMin;
            break;
        case SB_BOTTOM:
            target = info.nMax;
            break;
        default:
            return;
        }
        Guard(&grid_, [&] {
            if (vertical)
                grid_.SetTopRow(target);
            else
                grid_.SetLeftCol(target);
        });
    }

    // Over the current cell with its text, or with the character typed in its place.
    bool OpenEditor(const char* typed) {
        if (editor_ || !grid_.GetEnabled() || !grid_.CanEditCell(grid_.GetCol(), grid_.GetRow()))
            return false;
        col_ = grid_.GetCol();
        row_ = grid_.GetRow();
        const RECT r = grid_.CellRect(col_, row_);
        editor_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, r.left,
                                  r.top, r.right - r.left, r.bottom - r.top, window_, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        if (!editor_)
            return false;
        ApplyFont();
        SendMessageA(editor_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);
        const std::string text = typed ? std::string(typed) : grid_.GetCellText(col_, row_);
        SetWindowTextA(editor_, text.c_str());
        const int end = static_cast<int>(text.size());
        SendMessageA(editor_, EM_SETSEL, typed ? end : 0, end);
        SetWindowLongPtrA(editor_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        editorOriginal_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(editor_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditorProc)));
        ShowWindow(editor_, SW_SHOW);
        SetFocus(editor_);
        return true;
    }

    static LRESULT CALLBACK EditorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<GridWidget*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!self)
            return DefWindowProcA(hwnd, message, wParam, lParam);
        switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
                self->CloseEditor(wParam == VK_RETURN);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == '\r' || wParam == 27)
                return 0;
            break;
        case WM_KILLFOCUS:
            self->CloseEditor(true);
            break;
        default:
            break;
        }
        return CallWindowProcA(self->editorOriginal_, hwnd, message, wParam, lParam);
    }

    // The editor goes once its messages are done; its text reaches the model first.
    void CloseEditor(bool keep) {
        if (!editor_ || closing_)
            return;
        closing_ = true;
        const int n = GetWindowTextLengthA(editor_);
        std::string text(static_cast<std::size_t>(n) + 1, '\0');
        text.resize(static_cast<std::size_t>(GetWindowTextA(editor_, text.data(), n + 1)));
        ShowWindow(editor_, SW_HIDE);
        if (GetFocus() == editor_ || GetFocus() == nullptr)
            SetFocus(window_);
        if (keep && text != grid_.GetCellText(col_, row_)) {
            // The current cell may have moved meanwhile: the edit is the editor's cell's.
            grid_.SetCol(col_);
            grid_.SetRow(row_);
            Guard(&grid_, [&] { grid_.EditCurrentCell(text); });
        }
        PostMessageA(window_, kCloseEditor, 0, 0);
    }

    void DropEditor() {
        if (editor_ && IsWindow(editor_)) {
            SetWindowLongPtrA(editor_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editorOriginal_));
            SetWindowLongPtrA(editor_, GWLP_USERDATA, 0);
            DestroyWindow(editor_);
        }
        editor_ = nullptr;
        closing_ = false;
    }

    TCustomGrid& grid_;
    HWND editor_ = nullptr;
    WNDPROC editorOriginal_ = nullptr;
    bool closing_ = false;
    bool showingBars_ = false;
    int col_ = 0;
    int row_ = 0;
};

} // namespace

void PaintGroupBox(HDC dc, TWinControl& group, const RECT& client) {
    Fill(dc, client, group.GetColor());
    RECT frame = client;
    frame.top += 7;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    const std::string caption = group.GetCaption();
    if (caption.empty())
        return;
    HFONT font = MakeFont(group.Font);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, caption.data(), static_cast<int>(caption.size()), &size);
    RECT text{8, 0, 8 + size.cx + 4, size.cy};
    Fill(dc, text, group.GetColor());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(group.Font.GetColor()));
    TextOutA(dc, 10, 0, caption.data(), static_cast<int>(caption.size()));
    SelectObject(dc, old);
    DeleteObject(font);
}

void PaintGrid(HDC dc, TWinControl& control, const RECT& client) {
    auto& grid = static_cast<TCustomGrid&>(control);
    Fill(dc, client, grid.GetColor());
    HFONT font = MakeFont(grid.Font);
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    const TGridRect selection = grid.Selection();
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        for (int col = 0; col < grid.GetColCount(); ++col) {
            const RECT cell = grid.CellRect(col, row);
            // Scrolled out of view, or beyond the client area.
            if (cell.right <= cell.left || cell.top >= client.bottom || cell.left >= client.right)
                continue;
            const bool fixed = row < grid.GetFixedRows() || col < grid.GetFixedCols();
            const bool selected = !fixed && row >= selection.Top && row <= selection.Bottom &&
                                  col >= selection.Left && col <= selection.Right;
            TColor back = fixed ? clBtnFace : selected ? clHighlight : grid.GetColor();
            Fill(dc, cell, back);
            // The grid lines right of and below the cell.
            Fill(dc, RECT{cell.right, cell.top, cell.right + 1, cell.bottom + 1},
                 (clSystemColor | COLOR_BTNSHADOW));
            Fill(dc, RECT{cell.left, cell.bottom, cell.right + 1, cell.bottom + 1},
                 (clSystemColor | COLOR_BTNSHADOW));
            const std::string text = grid.GetCellText(col, row);
            SetTextColor(dc, ToColorRef(selected ? clHighlightText : grid.Font.GetColor()));
            RECT inner{cell.left + 2, cell.top, cell.right - 2, cell.bottom};
            DrawTextA(dc, text.data(), static_cast<int>(text.size()), &inner,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
    }
    SelectObject(dc, old);
    DeleteObject(font);
}

std::unique_ptr<Widget> MakeComCtrlWidget(TWinControl& control, Widget& parent) {
    if (auto* bar = dynamic_cast<TTrackBar*>(&control))
        return std::make_unique<TrackBarWidget>(*bar, parent);
    if (auto* bar = dynamic_cast<TStatusBar*>(&control))
        return std::make_unique<StatusBarWidget>(*bar, parent);
    if (auto* pages = dynamic_cast<TPageControl*>(&control))
        return std::make_unique<PageControlWidget>(*pages, parent);
    if (dynamic_cast<TTabSheet*>(&control))
        return std::make_unique<PaintedWidget>(control, parent, 0);
    if (auto* grid = dynamic_cast<TCustomGrid*>(&control))
        return std::make_unique<GridWidget>(*grid, parent);
    return nullptr;
}

} // namespace toolkit_detail::win
