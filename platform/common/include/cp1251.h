// Code page 1251 texts: case folding, comparison without regard to case, and literals.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace cp1251 {

// Unicode code points of the bytes 0x80..0xFF (0 where the code page has no character).
inline constexpr std::array<char16_t, 128> kHighToUnicode = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};

constexpr char16_t ToUnicode(unsigned char c) {
    return c < 0x80 ? char16_t(c) : kHighToUnicode[c - 0x80];
}

namespace detail {
constexpr std::array<unsigned char, 256> MakeLowerTable() {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<unsigned char>(i);
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] = static_cast<unsigned char>(c + 32);
    for (int c = 0xC0; c <= 0xDF; ++c)
        t[c] = static_cast<unsigned char>(c + 32);
    // Upper-case letters outside the two runs, paired with their lower-case forms.
    constexpr unsigned char pairs[][2] = {{0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C},
                                          {0x8D, 0x9D}, {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2},
                                          {0xA3, 0xBC}, {0xA5, 0xB4}, {0xA8, 0xB8}, {0xAA, 0xBA},
                                          {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
    for (const auto& p : pairs)
        t[p[0]] = p[1];
    return t;
}
} // namespace detail

inline constexpr std::array<unsigned char, 256> kLower = detail::MakeLowerTable();

constexpr char ToLower(char c) {
    return static_cast<char>(kLower[static_cast<unsigned char>(c)]);
}

// Sign of the comparison of the lower-case forms, byte by byte.
constexpr int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const int x = kLower[static_cast<unsigned char>(a[i])];
        const int y = kLower[static_cast<unsigned char>(b[i])];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

constexpr bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

// A text literal converted at compile time from the UTF-8 of the source to code page 1251.
template <std::size_t N>
struct Text {
    char data[N]{};
    std::size_t size = 0;
    constexpr const char* c_str() const { return data; }
    constexpr std::string_view view() const { return {data, size}; }
    constexpr operator std::string_view() const { return view(); }
};

namespace detail {
constexpr unsigned char FromUnicode(char32_t u) {
    if (u < 0x80)
        return static_cast<unsigned char>(u);
    for (std::size_t i = 0; i < kHighToUnicode.size(); ++i)
        if (kHighToUnicode[i] != 0 && kHighToUnicode[i] == u)
            return static_cast<unsigned char>(0x80 + i);
    throw "character has no code page 1251 form";
}
} // namespace detail

template <std::size_t N>
consteval Text<N> Literal(const char (&utf8)[N]) {
    Text<N> out{};
    std::size_t i = 0;
    while (i + 1 < N) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        char32_t u;
        std::size_t len;
        if (b < 0x80) {
            u = b;
            len = 1;
        } else if ((b & 0xE0) == 0xC0) {
            u = b & 0x1F;
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            u = b & 0x0F;
            len = 3;
        } else {
            throw "unsupported UTF-8 sequence";
        }
        for (std::size_t k = 1; k < len; ++k)
            u = (u << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out.data[out.size++] = static_cast<char>(detail::FromUnicode(u));
        i += len;
    }
    return out;
}

} // namespace cp1251
