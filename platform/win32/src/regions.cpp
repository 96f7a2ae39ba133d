// GDI regions: rectangles, rounded rectangles and ellipses, combined, owned by windows or deleted.
#include "desktop_state.h"
#include "sim_state.h"
#include "win32sim/regions.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>

namespace {

using Spans = std::vector<std::pair<int, int>>; // [left, right) runs, sorted, apart

// Rows top..bottom-1 that share one set of spans.
struct Band {
    int top = 0;
    int bottom = 0;
    Spans spans;
};

struct Region {
    std::vector<Band> bands; // top to bottom, none empty
    bool ownedByWindow = false;
};

// Coordinates beyond this are cut, as a 16-bit-era GDI would; it also bounds the work.
constexpr int kLimit = 1 << 15;

std::map<std::uintptr_t, Region> regions;
std::uintptr_t nextRegion = 0x04000010;

int Clamp(int v) {
    return std::clamp(v, -kLimit, kLimit);
}

void AddBand(std::vector<Band>& bands, int top, int bottom, Spans spans) {
    if (top >= bottom || spans.empty())
        return;
    if (!bands.empty() && bands.back().bottom == top && bands.back().spans == spans) {
        bands.back().bottom = bottom;
        return;
    }
    bands.push_back({top, bottom, std::move(spans)});
}

Region MakeRect(int x1, int y1, int x2, int y2) {
    x1 = Clamp(x1), y1 = Clamp(y1), x2 = Clamp(x2), y2 = Clamp(y2);
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    Region r;
    if (x1 < x2)
        AddBand(r.bands, y1, y2, {{x1, x2}});
    return r;
}

// How far each row of a w x h corner ellipse starts inside its box, from the integer walk of
// the ellipse (Zingl's algorithm) that Windows' rounded shapes follow: from the middle row down
// to the last, the upper rows mirroring the lower ones.
std::vector<int> CornerInsets(int w, int h) {
    std::vector<int> inset(static_cast<std::size_t>(h), 0);
    const std::int64_t a = w - 1, b = h - 1;
    std::int64_t dx = 4 * b * b * (1 - a);
    std::int64_t dy = 4 * a * a * (1 + b % 2);
    std::int64_t err = dx + dy + a * a * (b % 2);
    for (int x = 0, y = h / 2; x <= w / 2;) {
        const std::int64_t e2 = 2 * err;
        if (e2 >= dx) {
            ++x;
            dx += 8 * b * b;
            err += dx;
        }
        if (e2 <= dy) {
            ++y;
            dy += 8 * a * a;
            err += dy;
            if (y < h)
                inset[static_cast<std::size_t>(y)] = x;
        }
    }
    for (int i = 0; i < h / 2; ++i)
        inset[static_cast<std::size_t>(i)] = inset[static_cast<std::size_t>(b - i)];
    return inset;
}

// A rectangle with corners rounded by an ellipse of the given width and height, as Windows
// makes it: the shape leaves out the box's last column and row, and a corner ellipse narrower
// or lower than 2 leaves the corners square.
Region MakeRounded(int x1, int y1, int x2, int y2, int w, int h) {
    x1 = Clamp(x1), y1 = Clamp(y1), x2 = Clamp(x2), y2 = Clamp(y2);
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    --x2;
    --y2;
    w = std::min(x2 - x1, std::abs(w));
    h = std::min(y2 - y1, std::abs(h));
    if (w < 2 || h < 2)
        return MakeRect(x1, y1, x2, y2);
    const std::vector<int> inset = CornerInsets(w, h);
    const auto row = [&](int i) -> Spans {
        const int l = x1 + inset[static_cast<std::size_t>(i)];
        const int r = x2 - inset[static_cast<std::size_t>(i)];
        return l < r ? Spans{{l, r}} : Spans{};
    };
    Region r;
    for (int i = 0; i < h / 2; ++i)
        AddBand(r.bands, y1 + i, y1 + i + 1, row(i));
    // The middle row of the corner ellipse stretches over the straight part of the sides.
    AddBand(r.bands, y1 + h / 2, y2 - h + h / 2 + 1, {{x1, x2}});
    for (int i = h / 2 + 1; i < h; ++i)
        AddBand(r.bands, y2 - h + i, y2 - h + i + 1, row(i));
    return r;
}

const Spans* SpansAt(const Region& r, int y) {
    for (const auto& b : r.bands)
        if (y >= b.top && y < b.bottom)
            return &b.spans;
    return nullptr;
}

Spans CombineSpans(const Spans* a, const Spans* b, int mode) {
    std::set<int> edges;
    for (const auto* s : {a, b})
        if (s != nullptr)
            for (const auto& [l, r] : *s)
                edges.insert({l, r});
    const auto inside = [](const Spans* s, int x) {
        if (s == nullptr)
            return false;
        return std::any_of(s->begin(), s->end(),
                           [&](const auto& span) { return x >= span.first && x < span.second; });
    };
    Spans out;
    for (auto it = edges.begin(); it != edges.end() && std::next(it) != edges.end(); ++it) {
        const int l = *it, r = *std::next(it);
        const bool ia = inside(a, l), ib = inside(b, l);
        bool keep = false;
        switch (mode) {
        case RGN_AND:
            keep = ia && ib;
            break;
        case RGN_OR:
            keep = ia || ib;
            break;
        case RGN_XOR:
            keep = ia != ib;
            break;
        case RGN_DIFF:
            keep = ia && !ib;
            break;
        default:
            break;
        }
        if (!keep)
            continue;
        if (!out.empty() && out.back().second == l)
            out.back().second = r;
        else
            out.push_back({l, r});
    }
    return out;
}

Region Combine(const Region& a, const Region& b, int mode) {
    std::set<int> edges;
    for (const auto* r : {&a, &b})
        for (const auto& band : r->bands)
            edges.insert({band.top, band.bottom});
    Region out;
    for (auto it = edges.begin(); it != edges.end() && std::next(it) != edges.end(); ++it)
        AddBand(out.bands, *it, *std::next(it),
                CombineSpans(SpansAt(a, *it), SpansAt(b, *it), mode));
    return out;
}

int Complexity(const Region& r) {
    if (r.bands.empty())
        return NULLREGION;
    return r.bands.size() == 1 && r.bands.front().spans.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

Region* Find(HRGN handle) {
    const auto it = regions.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == regions.end() ? nullptr : &it->second;
}

HRGN Insert(Region region) {
    std::lock_guard lock(win32sim::detail::DesktopMutex());
    const std::uintptr_t handle = nextRegion;
    nextRegion += 4;
    regions.emplace(handle, std::move(region));
    return reinterpret_cast<HRGN>(handle);
}

} // namespace

HRGN WINAPI CreateRectRgn(int x1, int y1, int x2, int y2) {
    return Insert(MakeRect(x1, y1, x2, y2));
}

HRGN WINAPI CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h) {
    return Insert(MakeRounded(x1, y1, x2, y2, w, h));
}

HRGN WINAPI CreateEllipticRgn(int x1, int y1, int x2, int y2) {
    return Insert(MakeRounded(x1, y1, x2, y2, std::abs(x2 - x1), std::abs(y2 - y1)));
}

int WINAPI CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode) {
    std::lock_guard lock(win32sim::detail::DesktopMutex());
    Region* dst = Find(hrgnDst);
    const Region* a = Find(hrgnSrc1);
    const Region* b = iMode == RGN_COPY ? a : Find(hrgnSrc2);
    if (iMode < RGN_AND || iMode > RGN_COPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    if (dst == nullptr || a == nullptr || b == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    dst->bands = iMode == RGN_COPY ? a->bands : Combine(*a, *b, iMode).bands;
    return Complexity(*dst);
}

// A region a window owns is the window's to delete.
BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    std::lock_guard lock(win32sim::detail::DesktopMutex());
    const auto* r = Find(static_cast<HRGN>(ho));
    if (r == nullptr || r->ownedByWindow) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    regions.erase(reinterpret_cast<std::uintptr_t>(ho));
    return TRUE;
}

// The window owns the region from now on and deletes the one it had.
int WINAPI SetWindowRgn(HWND hWnd, HRGN hRgn, BOOL bRedraw) {
    (void)bRedraw; // nothing is drawn
    using namespace win32sim::detail;
    std::lock_guard lock(DesktopMutex());
    auto* w = FindDesktopWindow(hWnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (hRgn == w->region)
        return 1;
    if (hRgn != nullptr) {
        Region* r = Find(hRgn);
        if (r == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        if (r->ownedByWindow) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        r->ownedByWindow = true;
    }
    if (w->region != nullptr)
        DeleteRegionLocked(w->region);
    w->region = hRgn;
    return 1;
}

int WINAPI GetRgnBox(HRGN hrgn, LPRECT lprc) {
    if (lprc == nullptr)
        return ERROR;
    std::lock_guard lock(win32sim::detail::DesktopMutex());
    const Region* r = Find(hrgn);
    if (r == nullptr)
        return ERROR;
    *lprc = win32sim::RegionBounds(hrgn);
    return Complexity(*r);
}

BOOL WINAPI PtInRegion(HRGN hrgn, int x, int y) {
    return win32sim::RegionContains(hrgn, x, y) ? TRUE : FALSE;
}

// A copy of the window's region, in window coordinates, into a region of the caller's.
int WINAPI GetWindowRgn(HWND hWnd, HRGN hRgn) {
    using namespace win32sim::detail;
    std::lock_guard lock(DesktopMutex());
    const auto* w = FindDesktopWindow(hWnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return ERROR;
    }
    Region* dst = Find(hRgn);
    if (w->region == nullptr || dst == nullptr)
        return ERROR;
    dst->bands = Find(w->region)->bands;
    return Complexity(*dst);
}

namespace win32sim {

std::size_t HeldGdiObjectCount() {
    std::lock_guard lock(detail::DesktopMutex());
    return static_cast<std::size_t>(std::count_if(
        regions.begin(), regions.end(), [](const auto& r) { return !r.second.ownedByWindow; }));
}

HRGN WindowRegion(HWND window) {
    std::lock_guard lock(detail::DesktopMutex());
    const auto* w = detail::FindDesktopWindow(window);
    return w == nullptr ? nullptr : w->region;
}

bool RegionContains(HRGN region, int x, int y) {
    std::lock_guard lock(detail::DesktopMutex());
    const auto* r = Find(region);
    if (r == nullptr)
        return false;
    const auto* spans = SpansAt(*r, y);
    return spans != nullptr && std::any_of(spans->begin(), spans->end(), [&](const auto& s) {
               return x >= s.first && x < s.second;
           });
}

RECT RegionBounds(HRGN region) {
    std::lock_guard lock(detail::DesktopMutex());
    const auto* r = Find(region);
    if (r == nullptr || r->bands.empty())
        return RECT{0, 0, 0, 0};
    RECT b{r->bands.front().spans.front().first, r->bands.front().top,
           r->bands.front().spans.back().second, r->bands.back().bottom};
    for (const auto& band : r->bands) {
        b.left = std::min<LONG>(b.left, band.spans.front().first);
        b.right = std::max<LONG>(b.right, band.spans.back().second);
    }
    return b;
}

namespace detail {

void DeleteRegionLocked(HRGN region) {
    regions.erase(reinterpret_cast<std::uintptr_t>(region));
}

void ResetRegions() {
    std::lock_guard lock(DesktopMutex());
    regions.clear();
    nextRegion = 0x04000010;
}

} // namespace detail
} // namespace win32sim
