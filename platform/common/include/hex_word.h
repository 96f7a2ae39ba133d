// Bytes as one word of hexadecimal digits, for the line protocols between host processes: any
// bytes pass through a word split at blanks, and "-" stands for no bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hexword {

// The value of a hexadecimal digit of either case; -1 for any other character.
constexpr int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

inline std::string Encode(const void* data, std::size_t length) {
    if (length == 0)
        return "-";
    static const char digits[] = "0123456789abcdef";
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::string word;
    word.reserve(length * 2);
    for (std::size_t i = 0; i < length; ++i) {
        word += digits[bytes[i] >> 4];
        word += digits[bytes[i] & 15];
    }
    return word;
}

inline std::string Encode(std::string_view bytes) {
    return Encode(bytes.data(), bytes.size());
}

// False when the word is not whole bytes of hexadecimal digits (an empty word is none).
inline bool Decode(std::string_view word, std::string& bytes) {
    bytes.clear();
    if (word == "-")
        return true;
    if (word.empty() || word.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < word.size(); i += 2) {
        const int high = DigitValue(word[i]);
        const int low = DigitValue(word[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

} // namespace hexword
