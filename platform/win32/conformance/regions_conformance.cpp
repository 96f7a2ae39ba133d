// Conformance tables of GDI regions and window regions.
#include "conformance_fixture.h"

#include <cstdio>
#include <string>
#include <vector>

namespace conformance {
namespace {

constexpr RECT kSentinelRect{-7, -7, -7, -7};

constexpr const char* kMergedRows =
    "the stand-in merges the equal rows of a rounded shape, so one whose pixels are a rectangle "
    "is a SIMPLEREGION; Wine keeps the rows apart (nothing in the system reads this type)";
constexpr const char* kEmptyRows =
    "the stand-in's box holds the region's pixels only; Wine's box of an ellipse narrower than "
    "its height also holds the empty first and last rows (no window of the system is so narrow)";

// Formatted in a buffer: GCC 12's -Wrestrict misreads the chain of string additions at -O2.
std::string Text(const RECT& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%ld,%ld,%ld,%ld)", static_cast<long>(r.left),
                  static_cast<long>(r.top), static_cast<long>(r.right),
                  static_cast<long>(r.bottom));
    return text;
}

// The pixels of each row of the box that are inside the region, as '#' and '.'.
std::vector<std::string> Picture(HRGN region, const RECT& box) {
    std::vector<std::string> rows;
    for (LONG y = box.top; y < box.bottom; ++y) {
        std::string row;
        for (LONG x = box.left; x < box.right; ++x)
            row += PtInRegion(region, x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

class RegionsConformance : public ConformanceTest {};

TEST_F(RegionsConformance, ShapesTheirBoxesAndTheirPoints) {
    const struct {
        const char* label;
        HRGN (*make)();
        int type;
        RECT box;
        std::vector<POINT> inside;
        std::vector<POINT> outside;
        Differs differs;
    } cases[] = {
        {"rectangle",
         [] { return CreateRectRgn(10, 20, 110, 70); },
         SIMPLEREGION,
         RECT{10, 20, 110, 70},
         {{10, 20}, {109, 69}, {60, 45}},
         {{110, 69}, {109, 70}, {9, 20}},
         {}},
        {"rectangle given backwards",
         [] { return CreateRectRgn(110, 70, 10, 20); },
         SIMPLEREGION,
         RECT{10, 20, 110, 70},
         {{10, 20}, {109, 69}},
         {{110, 70}},
         {}},
        {"empty rectangle",
         [] { return CreateRectRgn(5, 5, 5, 10); },
         NULLREGION,
         RECT{0, 0, 0, 0},
         {},
         {{5, 5}},
         {}},
        // Rounded shapes leave out the last column and row of their box.
        {"ellipse",
         [] { return CreateEllipticRgn(0, 0, 100, 50); },
         COMPLEXREGION,
         RECT{0, 0, 99, 49},
         {{50, 24}, {0, 24}, {98, 24}, {50, 0}, {50, 48}},
         {{0, 0}, {98, 0}, {0, 48}, {98, 48}, {99, 24}, {50, 49}},
         {}},
        {"ellipse given backwards",
         [] { return CreateEllipticRgn(100, 50, 0, 0); },
         COMPLEXREGION,
         RECT{0, 0, 99, 49},
         {{50, 24}, {0, 24}},
         {{99, 24}, {50, 49}},
         {}},
        {"rounded rectangle",
         [] { return CreateRoundRectRgn(0, 0, 100, 40, 20, 20); },
         COMPLEXREGION,
         RECT{0, 0, 99, 39},
         {{50, 0}, {0, 20}, {10, 10}, {98, 20}, {50, 38}},
         {{0, 0}, {98, 0}, {0, 38}, {98, 38}, {99, 20}, {50, 39}},
         {}},
        {"rounded rectangle, corners too small",
         [] { return CreateRoundRectRgn(0, 0, 10, 8, 1, 9); },
         SIMPLEREGION,
         RECT{0, 0, 9, 7},
         {{0, 0}, {8, 6}},
         {{9, 0}, {0, 7}},
         {}},
        {"ellipse as flat as a rectangle",
         [] { return CreateEllipticRgn(0, 0, 10, 3); },
         COMPLEXREGION,
         RECT{0, 0, 9, 2},
         {{0, 0}, {8, 1}},
         {{9, 0}, {0, 2}},
         {.standIn = kMergedRows}},
        {"ellipse narrower than its rows",
         [] { return CreateEllipticRgn(0, 0, 5, 8); },
         COMPLEXREGION,
         RECT{0, 0, 4, 7},
         {{1, 1}, {2, 5}},
         {{0, 0}, {0, 6}},
         {.standIn = kEmptyRows}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.label);
        if (Skipped(k.differs))
            continue;
        const HRGN region = k.make();
        ASSERT_NE(region, nullptr);
        RECT box = kSentinelRect;
        EXPECT_EQ(GetRgnBox(region, &box), k.type);
        EXPECT_EQ(Text(box), Text(k.box));
        for (const POINT& p : k.inside)
            EXPECT_TRUE(PtInRegion(region, p.x, p.y)) << p.x << "," << p.y;
        for (const POINT& p : k.outside)
            EXPECT_FALSE(PtInRegion(region, p.x, p.y)) << p.x << "," << p.y;
        EXPECT_TRUE(DeleteObject(region));
    }
}

// Pixel for pixel, as the on-screen windows' shapes are made of these.
TEST_F(RegionsConformance, EllipsesAndRoundedCornersPixelForPixel) {
    const struct {
        const char* label;
        HRGN region;
        RECT box;
        std::vector<std::string> picture;
        Differs differs;
    } cases[] = {
        {"ellipse 10 x 6",
         CreateEllipticRgn(0, 0, 10, 6),
         RECT{0, 0, 10, 6},
         {"..#####...", ".#######..", "#########.", ".#######..", "..#####...", ".........."},
         {}},
        {"ellipse 7 x 7",
         CreateEllipticRgn(0, 0, 7, 7),
         RECT{0, 0, 7, 7},
         {"..##...", ".####..", "######.", "######.", ".####..", "..##...", "......."},
         {}},
        {"ellipse 16 x 12",
         CreateEllipticRgn(0, 0, 16, 12),
         RECT{0, 0, 16, 12},
         {".....#####......", "...#########....", ".#############..", ".#############..",
          "###############.", "###############.", "###############.", ".#############..",
          ".#############..", "...#########....", ".....#####......", "................"},
         {}},
        {"rounded 12 x 6, corners 6",
         CreateRoundRectRgn(0, 0, 12, 6, 6, 6),
         RECT{0, 0, 12, 6},
         {".#########..", "###########.", "###########.", "###########.", ".#########..",
          "............"},
         {}},
        {"rounded 16 x 10, corners 8 x 6",
         CreateRoundRectRgn(0, 0, 16, 10, 8, 6),
         RECT{0, 0, 16, 10},
         {"..###########...", ".#############..", "###############.", "###############.",
          "###############.", "###############.", "###############.", ".#############..",
          "..###########...", "................"},
         {}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.label);
        if (Skipped(k.differs)) {
            DeleteObject(k.region);
            continue;
        }
        EXPECT_EQ(Picture(k.region, k.box), k.picture);
        EXPECT_TRUE(DeleteObject(k.region));
    }
}

TEST_F(RegionsConformance, CombineRgnGivesTheTypeOfTheResult) {
    const struct {
        const char* label;
        RECT first;
        RECT second;
        int mode;
        int type;
        RECT box;
    } cases[] = {
        {"or, apart", {0, 0, 10, 10}, {20, 0, 30, 10}, RGN_OR, COMPLEXREGION, {0, 0, 30, 10}},
        {"or, side by side", {0, 0, 10, 10}, {10, 0, 30, 10}, RGN_OR, SIMPLEREGION, {0, 0, 30, 10}},
        {"and, overlapping", {0, 0, 10, 10}, {5, 5, 20, 20}, RGN_AND, SIMPLEREGION, {5, 5, 10, 10}},
        {"and, apart", {0, 0, 10, 10}, {20, 0, 30, 10}, RGN_AND, NULLREGION, {0, 0, 0, 0}},
        {"diff", {0, 0, 10, 10}, {0, 0, 5, 10}, RGN_DIFF, SIMPLEREGION, {5, 0, 10, 10}},
        {"diff, a hole", {0, 0, 10, 10}, {3, 3, 6, 6}, RGN_DIFF, COMPLEXREGION, {0, 0, 10, 10}},
        {"xor", {0, 0, 10, 10}, {5, 0, 15, 10}, RGN_XOR, COMPLEXREGION, {0, 0, 15, 10}},
        {"xor, the same", {0, 0, 10, 10}, {0, 0, 10, 10}, RGN_XOR, NULLREGION, {0, 0, 0, 0}},
        {"copy", {2, 3, 4, 5}, {0, 0, 1, 1}, RGN_COPY, SIMPLEREGION, {2, 3, 4, 5}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.label);
        const HRGN first = CreateRectRgn(k.first.left, k.first.top, k.first.right, k.first.bottom);
        const HRGN second =
            CreateRectRgn(k.second.left, k.second.top, k.second.right, k.second.bottom);
        const HRGN result = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(CombineRgn(result, first, second, k.mode), k.type);
        RECT box = kSentinelRect;
        EXPECT_EQ(GetRgnBox(result, &box), k.type);
        EXPECT_EQ(Text(box), Text(k.box));
        // The destination may be one of the sources.
        EXPECT_EQ(CombineRgn(first, first, second, k.mode), k.type);
        box = kSentinelRect;
        EXPECT_EQ(GetRgnBox(first, &box), k.type);
        EXPECT_EQ(Text(box), Text(k.box));
        for (const HRGN r : {first, second, result})
            EXPECT_TRUE(DeleteObject(r));
    }
}

TEST_F(RegionsConformance, CombineRgnWithAnUnknownMode) {
    const HRGN first = CreateRectRgn(0, 0, 10, 10);
    const HRGN result = CreateRectRgn(1, 1, 2, 2);
    EXPECT_EQ(CombineRgn(result, first, first, 0), ERROR);
    EXPECT_EQ(CombineRgn(result, first, first, RGN_COPY + 1), ERROR);
    RECT box = kSentinelRect;
    EXPECT_EQ(GetRgnBox(result, &box), SIMPLEREGION);
    EXPECT_EQ(Text(box), Text({1, 1, 2, 2}));
    EXPECT_TRUE(DeleteObject(first));
    EXPECT_TRUE(DeleteObject(result));
}

TEST_F(RegionsConformance, ARegionThatIsDeleted) {
    const HRGN gone = CreateRectRgn(0, 0, 10, 10);
    const HRGN other = CreateRectRgn(0, 0, 5, 5);
    ASSERT_TRUE(DeleteObject(gone));
    EXPECT_FALSE(DeleteObject(gone));
    RECT box = kSentinelRect;
    EXPECT_EQ(GetRgnBox(gone, &box), ERROR);
    EXPECT_FALSE(PtInRegion(gone, 1, 1));
    const struct {
        const char* label;
        HRGN dst;
        HRGN first;
        HRGN second;
    } cases[] = {
        {"deleted destination", gone, other, other},
        {"deleted first source", other, gone, other},
        {"deleted second source", other, other, gone},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.label);
        EXPECT_EQ(CombineRgn(k.dst, k.first, k.second, RGN_OR), ERROR);
    }
    box = kSentinelRect;
    EXPECT_EQ(GetRgnBox(other, &box), SIMPLEREGION);
    EXPECT_EQ(Text(box), Text({0, 0, 5, 5}));
    EXPECT_TRUE(DeleteObject(other));
}

// The window keeps (and owns) the region it is given; GetWindowRgn copies it out.
TEST_F(RegionsConformance, WindowRegions) {
    const HWND w = MakeWindow({.bounds = {100, 100, 300, 200}});
    ASSERT_NE(w, nullptr);
    const HRGN copy = CreateRectRgn(0, 0, 0, 0);

    SetLastError(kStaleError);
    EXPECT_EQ(GetWindowRgn(w, copy), ERROR);

    const struct {
        const char* label;
        HRGN (*make)();
        int type;
        RECT box;
    } cases[] = {
        {"rectangle", [] { return CreateRectRgn(10, 10, 50, 40); }, SIMPLEREGION, {10, 10, 50, 40}},
        {"rounded",
         [] { return CreateRoundRectRgn(0, 0, 200, 100, 25, 25); },
         COMPLEXREGION,
         {0, 0, 199, 99}},
        {"no region", [] { return HRGN{}; }, ERROR, {0, 0, 0, 0}},
        {"ellipse after none",
         [] { return CreateEllipticRgn(0, 0, 100, 100); },
         COMPLEXREGION,
         {0, 0, 99, 99}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.label);
        EXPECT_NE(SetWindowRgn(w, k.make(), TRUE), 0);
        EXPECT_EQ(GetWindowRgn(w, copy), k.type);
        if (k.type != ERROR) {
            RECT box = kSentinelRect;
            EXPECT_EQ(GetRgnBox(copy, &box), k.type);
            EXPECT_EQ(Text(box), Text(k.box));
        }
    }
    EXPECT_TRUE(DeleteObject(copy));
}

TEST_F(RegionsConformance, WindowRegionOfAWindowThatIsGone) {
    const HWND w = MakeWindow();
    DestroyMadeWindow(w);
    const HRGN region = CreateRectRgn(0, 0, 10, 10);
    SetLastError(kStaleError);
    EXPECT_EQ(SetWindowRgn(w, region, TRUE), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(kStaleError);
    EXPECT_EQ(GetWindowRgn(w, region), ERROR);
    // The region stays the program's.
    EXPECT_TRUE(DeleteObject(region));
}

} // namespace
} // namespace conformance
