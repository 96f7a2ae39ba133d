// GDI regions: rectangles, rounded rectangles and ellipses, combined, owned by windows or deleted.
#include "desktop_state.h"
#include "sim_state.h"
#include "win32sim/regions.h"

#include <algorithm>
#include <cmath>
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

// The shape of an ellipse inside the box, one row: the pixels whose centres lie inside it.
std::pair<int, int> EllipseRow(double cx, double cy, double rx, double ry, int y) {
    const double dy = (y + 0.5 - cy) / ry;
    if (dy * dy > 1.0)
        return {0, 0};
    const double half = rx * std::sqrt(1.0 - dy * dy);
    const int left = static_cast<int>(std::ceil(cx - half - 0.5));
    const int right = static_cast<int>(std::floor(cx + half - 0.5)) + 1;
    return {left, std::max(left, right)};
}

// A rectangle with corners rounded by an ellipse of the given width and height (0: square).
Region MakeShape(int x1, int y1, int x2, int y2, int w, int h) {
    x1 = Clamp(x1), y1 = Clamp(y1), x2 = Clamp(x2), y2 = Clamp(y2);
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    w = std::clamp(std::abs(w), 0, x2 - x1);
    h = std::clamp(std::abs(h), 0, y2 - y1);
    Region r;
    if (w < 2 || h < 2) {
        AddBand(r.bands, y1, y2, {{x1, x2}});
        return r;
    }
    const double rx = w / 2.0, ry = h / 2.0;
    for (int y = y1; y < y2; ++y) {
        int left = x1, right = x2;
        // Rows within a corner's height follow the corner ellipse.
        const bool upper = y < y1 + ry, lower = y >= y2 - ry;
        if (upper || lower) {
            const double cy = upper ? y1 + ry : y2 - ry;
            const auto l = EllipseRow(x1 + rx, cy, rx, ry, y);
            const auto rr = EllipseRow(x2 - rx, cy, rx, ry, y);
            if (l.first >= l.second)
                continue;
            left = l.first;
            right = rr.second;
        }
        AddBand(r.bands, y, y + 1, {{left, right}});
    }
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
    return Insert(MakeShape(x1, y1, x2, y2, 0, 0));
}

HRGN WINAPI CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h) {
    return Insert(MakeShape(x1, y1, x2, y2, w, h));
}

HRGN WINAPI CreateEllipticRgn(int x1, int y1, int x2, int y2) {
    return Insert(MakeShape(x1, y1, x2, y2, std::abs(x2 - x1), std::abs(y2 - y1)));
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
