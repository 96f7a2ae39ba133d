// Conformance tables of layered windows: WS_EX_LAYERED and the alpha and colour key attributes.
#include "conformance_fixture.h"

#include <string>

namespace conformance {
namespace {

constexpr COLORREF kSentinelKey = 0x00ABCDEF;
constexpr BYTE kSentinelAlpha = 0x5A;
constexpr DWORD kSentinelFlags = 0xF00D;

class LayeredConformance : public ConformanceTest {
protected:
    HWND w = nullptr;

    void SetUp() override {
        ConformanceTest::SetUp();
        w = MakeWindow();
        ASSERT_NE(w, nullptr);
    }

    void SetLayered(bool layered) {
        const LONG style = GetWindowLongA(w, GWL_EXSTYLE);
        SetLastError(kStaleError);
        const LONG previous = SetWindowLongA(
            w, GWL_EXSTYLE, layered ? style | WS_EX_LAYERED : style & ~LONG{WS_EX_LAYERED});
        EXPECT_EQ(previous, style);
        EXPECT_EQ((GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_LAYERED) != 0, layered);
    }

    // Whether the window has attributes, and which (sentinels where the call left them).
    bool Get(COLORREF& key, BYTE& alpha, DWORD& flags) {
        key = kSentinelKey;
        alpha = kSentinelAlpha;
        flags = kSentinelFlags;
        return GetLayeredWindowAttributes(w, &key, &alpha, &flags) != 0;
    }
};

TEST_F(LayeredConformance, AttributesNeedWsExLayered) {
    EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    SetLastError(kStaleError);
    EXPECT_FALSE(SetLayeredWindowAttributes(w, 0, 128, LWA_ALPHA));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    COLORREF key;
    BYTE alpha;
    DWORD flags;
    EXPECT_FALSE(Get(key, alpha, flags));

    SetLayered(true);
    // Layered, but nothing set yet.
    EXPECT_FALSE(Get(key, alpha, flags));
}

TEST_F(LayeredConformance, AttributesReadBackAsSet) {
    SetLayered(true);
    // The alpha changes only with LWA_ALPHA; the key and the flags always.
    const struct {
        const char* label;
        COLORREF key;
        BYTE alpha;
        DWORD flags;
        BYTE alphaAfter;
    } cases[] = {
        {"colour key first", RGB(7, 7, 7), 99, LWA_COLORKEY, 0},
        {"alpha", 0, 128, LWA_ALPHA, 128},
        {"opaque", 0, 255, LWA_ALPHA, 255},
        {"transparent", RGB(1, 2, 3), 0, LWA_ALPHA, 0},
        {"colour key", RGB(255, 0, 255), 200, LWA_COLORKEY, 0},
        {"both", RGB(0, 128, 255), 40, LWA_ALPHA | LWA_COLORKEY, 40},
        {"neither", RGB(9, 9, 9), 9, 0, 40},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.label);
        SetLastError(kStaleError);
        EXPECT_TRUE(SetLayeredWindowAttributes(w, k.key, k.alpha, k.flags));
        COLORREF key;
        BYTE alpha;
        DWORD flags;
        ASSERT_TRUE(Get(key, alpha, flags));
        EXPECT_EQ(key, k.key);
        EXPECT_EQ(alpha, k.alphaAfter);
        EXPECT_EQ(flags, k.flags);
    }
}

// Taking WS_EX_LAYERED away drops the attributes; setting it again does not bring them back.
TEST_F(LayeredConformance, RemovingWsExLayeredDropsTheAttributes) {
    SetLayered(true);
    ASSERT_TRUE(SetLayeredWindowAttributes(w, RGB(1, 1, 1), 100, LWA_ALPHA));
    SetLayered(false);
    COLORREF key;
    BYTE alpha;
    DWORD flags;
    EXPECT_FALSE(Get(key, alpha, flags));
    SetLayered(true);
    EXPECT_FALSE(Get(key, alpha, flags));
    EXPECT_TRUE(SetLayeredWindowAttributes(w, RGB(2, 2, 2), 50, LWA_COLORKEY));
    ASSERT_TRUE(Get(key, alpha, flags));
    EXPECT_EQ(key, RGB(2, 2, 2));
    EXPECT_EQ(alpha, 0); // the alpha set before is gone with the style
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY));
}

TEST_F(LayeredConformance, WindowThatIsGone) {
    DestroyMadeWindow(w);
    SetLastError(kStaleError);
    EXPECT_FALSE(SetLayeredWindowAttributes(w, 0, 128, LWA_ALPHA));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    COLORREF key;
    BYTE alpha;
    DWORD flags;
    SetLastError(kStaleError);
    EXPECT_FALSE(Get(key, alpha, flags));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(kStaleError);
    EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

} // namespace
} // namespace conformance
