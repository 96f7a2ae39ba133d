// Text, number and file-name helpers of the runtime library.
#include "toolkit/sysutils.h"

#include "toolkit/exceptions.h"

#include <cp1251.h>
#include <hex_word.h>
#include <windows.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr std::array<unsigned char, 256> MakeUpperTable() {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<unsigned char>(i);
    for (int i = 0; i < 256; ++i)
        if (cp1251::kLower[i] != i)
            t[cp1251::kLower[i]] = static_cast<unsigned char>(i);
    return t;
}

constexpr std::array<unsigned char, 256> kUpper = MakeUpperTable();

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Parses an integer of at most `bits` bits; decimal values must lie in the signed range, hex
// values may use every bit and are taken as two's complement.
bool ParseInteger(const std::string& s, int bits, long long& out) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < s.size() && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == s.size())
        return false;
    const std::uint64_t unsignedMax =
        bits == 64 ? std::numeric_limits<std::uint64_t>::max() : (std::uint64_t{1} << bits) - 1;
    std::uint64_t v = 0;
    for (; i < s.size(); ++i) {
        if (hex) {
            const int d = hexword::DigitValue(s[i]);
            if (d < 0 || v > (unsignedMax >> 4))
                return false;
            v = (v << 4) | static_cast<std::uint64_t>(d);
        } else {
            if (!IsDigit(s[i]))
                return false;
            const auto d = static_cast<std::uint64_t>(s[i] - '0');
            if (v > (unsignedMax - d) / 10)
                return false;
            v = v * 10 + d;
        }
    }
    const std::uint64_t signBit = std::uint64_t{1} << (bits - 1);
    if (!hex && (negative ? v > signBit : v >= signBit))
        return false;
    if (negative)
        v = ~v + 1;
    // Sign-extend from the chosen width.
    v &= unsignedMax;
    if (v & signBit)
        v |= ~unsignedMax;
    out = static_cast<long long>(v);
    return true;
}

[[noreturn]] void ThrowNotInteger(const std::string& s) {
    throw EConvertError("'" + s + "' is not a valid integer value");
}

// A float in the user's form turned into the form from_chars reads; false when it is not one.
bool ParseFloat(const std::string& s, char separator, double& out) {
    std::size_t i = 0;
    std::size_t end = s.size();
    while (i < end && IsBlank(s[i]))
        ++i;
    while (end > i && IsBlank(s[end - 1]))
        --end;
    bool negative = false;
    if (i < end && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    std::string digits; // mantissa digits without the separator
    long long pointShift = 0;
    bool seenSeparator = false;
    for (; i < end; ++i) {
        if (IsDigit(s[i])) {
            digits += s[i];
            if (seenSeparator)
                --pointShift;
        } else if (s[i] == separator && !seenSeparator) {
            seenSeparator = true;
        } else {
            break;
        }
    }
    if (digits.empty())
        return false;
    long long exponent = 0;
    if (i < end && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < end && (s[i] == '-' || s[i] == '+')) {
            negativeExponent = s[i] == '-';
            ++i;
        }
        if (i == end || !IsDigit(s[i]))
            return false;
        for (; i < end && IsDigit(s[i]); ++i)
            if (exponent < 100000)
                exponent = exponent * 10 + (s[i] - '0');
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != end)
        return false;

    const std::size_t firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero == std::string::npos) {
        out = negative ? -0.0 : 0.0;
        return true;
    }
    digits.erase(0, firstNonZero);
    exponent += pointShift;
    const std::string text = digits + "e" + std::to_string(exponent);
    double v = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), v);
    if (result.ec == std::errc::result_out_of_range) {
        // Tiny values become zero; huge ones are no valid value.
        const long long decimalExponent = exponent + static_cast<long long>(digits.size());
        if (decimalExponent > 0)
            return false;
        v = 0.0;
    } else if (result.ec != std::errc() || !std::isfinite(v)) {
        return false;
    }
    out = negative ? -v : v;
    return true;
}

} // namespace

int AnsiCompareText(std::string_view a, std::string_view b) {
    return cp1251::CompareNoCase(a, b);
}

bool AnsiSameText(std::string_view a, std::string_view b) {
    return cp1251::EqualNoCase(a, b);
}

std::string AnsiLowerCase(std::string s) {
    for (char& c : s)
        c = cp1251::ToLower(c);
    return s;
}

std::string AnsiUpperCase(std::string s) {
    for (char& c : s)
        c = static_cast<char>(kUpper[static_cast<unsigned char>(c)]);
    return s;
}

std::string Trim(const std::string& s) {
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && IsBlank(s[begin]))
        ++begin;
    while (end > begin && IsBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

std::string IntToStr(long long value) {
    return std::to_string(value);
}

int StrToInt(const std::string& s) {
    long long v = 0;
    if (!ParseInteger(s, 32, v))
        ThrowNotInteger(s);
    return static_cast<int>(v);
}

int StrToIntDef(const std::string& s, int def) {
    long long v = 0;
    return ParseInteger(s, 32, v) ? static_cast<int>(v) : def;
}

long long StrToInt64(const std::string& s) {
    long long v = 0;
    if (!ParseInteger(s, 64, v))
        ThrowNotInteger(s);
    return v;
}

long long StrToInt64Def(const std::string& s, long long def) {
    long long v = 0;
    return ParseInteger(s, 64, v) ? v : def;
}

char DecimalSeparator() {
    char buffer[8] = {};
    const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer,
                                 static_cast<int>(sizeof buffer));
    if (n <= 0 || buffer[0] == '\0')
        return '.';
    return buffer[0];
}

std::string FloatToStr(double value) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0.0)
        return "0";

    // d.dddddddddddddde±x: fifteen significant digits, correctly rounded.
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const std::string text(buffer, result.ptr);
    const std::size_t ePos = text.find('e');
    std::string digits;
    for (std::size_t i = 0; i < ePos; ++i)
        if (IsDigit(text[i]))
            digits += text[i];
    const int exponent = std::stoi(text.substr(ePos + 1));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    const char separator = DecimalSeparator();
    std::string out = value < 0 ? "-" : "";
    if (exponent >= 15 || exponent < -4) {
        out += digits[0];
        if (digits.size() > 1) {
            out += separator;
            out.append(digits, 1);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent < 0) {
        out += '0';
        out += separator;
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        const auto intDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits;
            out.append(intDigits - digits.size(), '0');
        } else {
            out.append(digits, 0, intDigits);
            out += separator;
            out.append(digits, intDigits);
        }
    }
    return out;
}

double StrToFloat(const std::string& s) {
    double v = 0.0;
    if (!ParseFloat(s, DecimalSeparator(), v))
        throw EConvertError("'" + s + "' is not a valid floating point value");
    return v;
}

bool TryStrToFloat(const std::string& s, double& value) {
    double v = 0.0;
    if (!ParseFloat(s, DecimalSeparator(), v))
        return false;
    value = v;
    return true;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

namespace {
std::size_t NameStart(const std::string& path) {
    const std::size_t p = path.find_last_of("\\:");
    return p == std::string::npos ? 0 : p + 1;
}
} // namespace

std::string ExtractFilePath(const std::string& path) {
    return path.substr(0, NameStart(path));
}

std::string ExtractFileName(const std::string& path) {
    return path.substr(NameStart(path));
}

std::string ExtractFileExt(const std::string& path) {
    const std::size_t start = NameStart(path);
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < start)
        return "";
    return path.substr(dot);
}
