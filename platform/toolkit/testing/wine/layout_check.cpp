// The layout check under Wine.
#include "layout_check.h"

#include "presentation_support.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <cstdlib>
#include <sstream>

namespace wine_test {

namespace {

// Room a native control takes around its text: a push button's frame and margins, a check
// box's box and the gap after it.
constexpr int kButtonMargin = 8;
constexpr int kCheckRoom = 18;
// A group box's caption stands 10 pixels in; its frame goes on 8 more after it.
constexpr int kGroupCaptionRoom = 18;
// A grid cell's text stands 2 pixels in from each side.
constexpr int kCellMargin = 4;

std::string Text(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string Describe(const std::string& what, const RECT& r, const std::string& text) {
    std::ostringstream s;
    s << what << " [" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "] \""
      << text << "\"";
    return s.str();
}

// The text's extent in the font.
SIZE Extent(HFONT font, const std::string& text) {
    SIZE size{0, 0};
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    if (!text.empty())
        GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    else {
        TEXTMETRICA m{};
        GetTextMetricsA(dc, &m);
        size.cy = m.tmHeight;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return size;
}

// The window's own font, as it answers WM_GETFONT.
HFONT FontOf(HWND window) {
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

// The model's font as the presentation makes it.
HFONT MakeModelFont(const TFont& font) {
    const TFontStyles style = font.GetStyle();
    return CreateFontA(font.GetHeight(), 0, 0, 0, style.Contains(fsBold) ? FW_BOLD : FW_NORMAL,
                       style.Contains(fsItalic), style.Contains(fsUnderline),
                       style.Contains(fsStrikeOut), RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       font.GetName().c_str());
}

RECT ClientOf(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return r;
}

// The window's rectangle in its parent's client coordinates.
RECT InParent(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

struct TWalk {
    std::vector<std::string>* faults;
    // The model's windowed controls by their windows.
    std::map<HWND, TWinControl*> models;
};

// The windows of the model's shown windowed controls.
void MapModels(TWalk& walk, TWinControl& container) {
    for (int i = 0; i < container.ControlCount(); ++i)
        if (auto* child = dynamic_cast<TWinControl*>(container.Controls(i)))
            if (HWND w = WindowOf(*child)) {
                walk.models[w] = child;
                MapModels(walk, *child);
            }
}

// The window's class and, where the model knows it, the control's name.
std::string What(const TWalk& walk, HWND window) {
    const auto it = walk.models.find(window);
    return ClassOf(window) + (it == walk.models.end() ? "" : " " + it->second->Name);
}

// The window's text; the toolkit's own window classes keep their captions in the model.
std::string CaptionOf(const TWalk& walk, HWND window) {
    std::string text = Text(window);
    const auto it = walk.models.find(window);
    if (text.empty() && it != walk.models.end())
        text = it->second->Caption;
    return text;
}

void Fault(TWalk& walk, const std::string& what, const RECT& r, const std::string& text,
           const std::string& why) {
    walk.faults->push_back(Describe(what, r, text) + ": " + why);
}

// A text that must fit the width and height given.
void MustFit(TWalk& walk, HWND window, const std::string& text, HFONT font, int width, int height,
             int room) {
    if (text.empty())
        return;
    const SIZE size = Extent(font, text);
    if (size.cx + room > width || size.cy > height)
        Fault(walk, What(walk, window), InParent(window), text,
              "the text needs " + std::to_string(size.cx + room) + "x" + std::to_string(size.cy) +
                  ", the control has " + std::to_string(width) + "x" + std::to_string(height));
}

void CheckTabs(TWalk& walk, HWND tabs) {
    const RECT client = ClientOf(tabs);
    const HFONT font = FontOf(tabs);
    const int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        RECT r{};
        SendMessageA(tabs, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
        if (!Inside(r, client))
            Fault(walk, "tab", r, text, "the tab lies outside its tab control");
        const SIZE size = Extent(font, text);
        if (size.cx + kButtonMargin > r.right - r.left)
            Fault(walk, "tab", r, text, "the caption is wider than its tab");
    }
}

void CheckCombo(TWalk& walk, HWND combo) {
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(combo, &info))
        return;
    const HFONT font = FontOf(combo);
    const int shown = info.rcItem.right - info.rcItem.left;
    MustFit(walk, combo, Text(combo), font, shown, info.rcItem.bottom - info.rcItem.top, 0);
    // The dropped list shows the items; it may be wider than the box.
    const int listWidth = static_cast<int>(SendMessageA(combo, CB_GETDROPPEDWIDTH, 0, 0));
    const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    const int room = GetSystemMetrics(SM_CXVSCROLL) + 6;
    for (int i = 0; i < count; ++i) {
        const auto length = SendMessageA(combo, CB_GETLBTEXTLEN, i, 0);
        if (length <= 0)
            continue;
        std::string item(static_cast<std::size_t>(length) + 1, '\0');
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<std::size_t>(length));
        const SIZE size = Extent(font, item);
        if (size.cx + room > listWidth)
            Fault(walk, "ComboBox item", InParent(combo), item,
                  "the item needs " + std::to_string(size.cx + room) + ", the list is " +
                      std::to_string(listWidth) + " wide");
    }
}

void CheckList(TWalk& walk, HWND list) {
    const LONG style = GetWindowLongA(list, GWL_STYLE);
    if ((style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) && !(style & LBS_HASSTRINGS))
        return;
    const HFONT font = FontOf(list);
    const RECT client = ClientOf(list);
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    // Multi-column lists show each item in a column of their own.
    int width = client.right;
    if (style & LBS_MULTICOLUMN) {
        RECT item{};
        SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
        width = item.right - item.left;
    }
    if (count > 0) {
        const int rowHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
        if (client.bottom < rowHeight)
            Fault(walk, What(walk, list), InParent(list), "",
                  "shows no whole item: " + std::to_string(client.bottom) +
                      " pixels high, an item needs " + std::to_string(rowHeight));
    }
    // An owner-drawn list with texts is a check list: its boxes stand before the texts.
    const int room = (style & LBS_OWNERDRAWFIXED) ? 2 + 18 : 2;
    for (int i = 0; i < count; ++i) {
        const auto length = SendMessageA(list, LB_GETTEXTLEN, i, 0);
        if (length <= 0)
            continue;
        std::string item(static_cast<std::size_t>(length) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<std::size_t>(length));
        const int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, i, 0));
        const SIZE size = Extent(font, item);
        if (size.cx + room > width || size.cy > height)
            Fault(walk, "ListBox item", InParent(list), item,
                  "the item needs " + std::to_string(size.cx + room) + "x" +
                      std::to_string(size.cy) + ", its row is " + std::to_string(width) + "x" +
                      std::to_string(height));
    }
}

void CheckWindow(TWalk& walk, HWND window) {
    const std::string cls = ClassOf(window);
    const HWND parent = GetParent(window);
    const RECT r = InParent(window);
    const RECT parentClient = ClientOf(parent);
    // A combo box's own parts stand where the box puts them.
    if (_stricmp(ClassOf(parent).c_str(), "ComboBox") != 0 && !Inside(r, parentClient))
        Fault(walk, What(walk, window), r, CaptionOf(walk, window),
              "lies outside the client area [0,0," + std::to_string(parentClient.right) + "," +
                  std::to_string(parentClient.bottom) + "] of its parent " + What(walk, parent));

    const RECT client = ClientOf(window);
    const HFONT font = FontOf(window);
    const std::string text = CaptionOf(walk, window);
    if (_stricmp(cls.c_str(), "Button") == 0) {
        const LONG kind = GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK;
        if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON)
            MustFit(walk, window, text, font, client.right, client.bottom, kButtonMargin);
        else if (kind == BS_GROUPBOX)
            MustFit(walk, window, text, font, client.right, client.bottom, kGroupCaptionRoom);
        else
            MustFit(walk, window, text, font, client.right, client.bottom, kCheckRoom);
    } else if (cls == "TGroupBox") {
        MustFit(walk, window, text, font, client.right, client.bottom, kGroupCaptionRoom);
    } else if (cls == "TPanel") {
        MustFit(walk, window, text, font, client.right, client.bottom, 4);
    } else if (_stricmp(cls.c_str(), WC_TABCONTROLA) == 0) {
        CheckTabs(walk, window);
    } else if (_stricmp(cls.c_str(), "ComboBox") == 0) {
        CheckCombo(walk, window);
    } else if (_stricmp(cls.c_str(), "ListBox") == 0) {
        CheckList(walk, window);
    } else if (_stricmp(cls.c_str(), "Edit") == 0 &&
               _stricmp(ClassOf(parent).c_str(), "ComboBox") != 0) {
        MustFit(walk, window, text, font, client.right, client.bottom, 2);
    }
}

// The model's shown controls without a window of their own, and the titles of its grids.
void CheckPainted(TWalk& walk, TWinControl& container, HWND window) {
    const RECT client = ClientOf(window);
    for (int i = 0; i < container.ControlCount(); ++i) {
        TControl* control = container.Controls(i);
        if (!control->Visible)
            continue;
        if (auto* child = dynamic_cast<TWinControl*>(control)) {
            HWND w = WindowOf(*child);
            if (!w)
                Fault(walk, std::string(child->ClassName()) + " " + child->Name,
                      RECT{child->Left, child->Top, child->Left + child->Width,
                           child->Top + child->Height},
                      child->Caption, "has no window where the model has it");
            else if (IsWindowVisible(w))
                CheckPainted(walk, *child, w);
            continue;
        }
        const RECT r{control->Left, control->Top, control->Left + control->Width,
                     control->Top + control->Height};
        const std::string what = std::string(control->ClassName()) + " " + control->Name;
        const std::string text = control->Caption;
        if (!Inside(r, client))
            Fault(walk, what, r, text,
                  "lies outside the client area [0,0," + std::to_string(client.right) + "," +
                      std::to_string(client.bottom) + "] of " + container.Name);
        if (text.empty() || !dynamic_cast<TLabel*>(control))
            continue;
        auto* label = static_cast<TLabel*>(control);
        HFONT font = MakeModelFont(label->Font);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font);
        RECT measured{0, 0, label->WordWrap ? control->Width : 100000, 0};
        DrawTextA(dc, text.data(), static_cast<int>(text.size()), &measured,
                  DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS |
                      (label->WordWrap ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(font);
        if (measured.right > control->Width || measured.bottom > control->Height)
            Fault(walk, what, r, text,
                  "the text needs " + std::to_string(measured.right) + "x" +
                      std::to_string(measured.bottom) + ", the label has " +
                      std::to_string(control->Width) + "x" + std::to_string(control->Height));
    }
    if (auto* grid = dynamic_cast<TStringGrid*>(&container); grid && grid->FixedRows > 0) {
        // Every column's title as if scrolled into view: a title is whole or "...".
        // The grid paints with the model's font.
        const HFONT font = MakeModelFont(grid->Font);
        for (int col = 0; col < grid->ColCount; ++col) {
            const std::string title = grid->Cells(col, 0);
            const SIZE size = Extent(font, title);
            if (!title.empty() && size.cx + kCellMargin > grid->ColWidths(col))
                Fault(walk, "title of " + grid->Name, grid->CellRect(col, 0), title,
                      "the title needs " + std::to_string(size.cx + kCellMargin) +
                          ", its column is " + std::to_string(grid->ColWidths(col)));
        }
        DeleteObject(font);
    }
}

std::string ShotFolder() {
    const char* folder = std::getenv("LAYOUT_SCREENSHOTS");
    if (!folder || !*folder)
        return TestFolder();
    std::string path = folder;
    if (path[0] == '/')
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    CreateDirectoryA(path.c_str(), nullptr);
    return path + "\\";
}

} // namespace

HWND WindowOf(TWinControl& control) {
    if (auto* form = dynamic_cast<TCustomForm*>(&control))
        return form->HandleAllocated() ? form->Handle() : nullptr;
    if (!control.GetParent())
        return nullptr;
    HWND parent = WindowOf(*control.GetParent());
    if (!parent)
        return nullptr;
    // Pages of a page control stand in one place: the one shown is the model's shown one.
    HWND first = nullptr;
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        const RECT r = InParent(w);
        if (r.left == control.GetLeft() && r.top == control.GetTop() &&
            r.right - r.left == control.GetWidth()) {
            if ((IsWindowVisible(w) != FALSE) == control.GetVisible() || !IsWindowVisible(parent))
                return w;
            if (!first)
                first = w;
        }
    }
    return first;
}

std::vector<std::string> LayoutFaults(TCustomForm& form) {
    std::vector<std::string> faults;
    HWND top = form.Handle();
    TWalk walk{&faults, {}};
    MapModels(walk, form);
    RECT outer{};
    GetWindowRect(top, &outer);
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (!Inside(outer, screen))
        Fault(walk, ClassOf(top), outer, Text(top), "the window lies outside the screen");
    EnumChildWindows(
        top,
        [](HWND w, LPARAM p) -> BOOL {
            if (IsWindowVisible(w))
                CheckWindow(*reinterpret_cast<TWalk*>(p), w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    CheckPainted(walk, form, top);
    return faults;
}

std::string KeepScreenshot(HWND window, const std::string& name) {
    RECT r{};
    GetWindowRect(window, &r);
    const Pixels screen(GetDesktopWindow());
    const std::string path = ShotFolder() + name + ".bmp";
    WriteBitmap(path, r.right - r.left, r.bottom - r.top,
                [&](int x, int y) { return screen.At(r.left + x, r.top + y); });
    return path;
}

} // namespace wine_test
