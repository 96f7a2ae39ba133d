// Text, number and file-name helpers of the runtime library.
#pragma once

#include <string>
#include <string_view>

// Sign of the comparison without regard to case (code page 1251).
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);
std::string AnsiLowerCase(std::string s);
std::string AnsiUpperCase(std::string s);
// Removes the characters up to ' ' (controls and blanks) at both ends.
std::string Trim(const std::string& s);

std::string IntToStr(long long value);
// Leading blanks, an optional sign, then decimal digits or hex digits after '$', "0x" or
// "0X"; nothing may follow. Hex takes the full 32 (64) bits, so "$FFFFFFFF" is -1. Other
// text or a decimal value out of range throws EConvertError.
int StrToInt(const std::string& s);
int StrToIntDef(const std::string& s, int def);
long long StrToInt64(const std::string& s);
long long StrToInt64Def(const std::string& s, long long def);

// The user's decimal separator, asked of the locale on every call; '.' when that fails.
char DecimalSeparator();
// Up to 15 significant digits without trailing zeros and with the user's decimal separator;
// the exponent form ("1E20", "-1.5E-7") when the decimal exponent is 15 or more or below -4.
// "0" for zero, "NAN", "INF" and "-INF" for the special values.
std::string FloatToStr(double value);
// Optional surrounding blanks, optional sign, digits with the user's decimal separator only,
// an optional exponent (E or e, optional sign, digits). A value too large throws, one too
// small gives zero. Throws EConvertError "'x' is not a valid floating point value".
double StrToFloat(const std::string& s);
bool TryStrToFloat(const std::string& s, double& value);

// True when the path names an existing file (not a directory).
bool FileExists(const std::string& path);
// Up to and including the last '\' or ':'.
std::string ExtractFilePath(const std::string& path);
// What follows the last '\' or ':'.
std::string ExtractFileName(const std::string& path);
// From the last '.' of the file name, dot included; "" when the name has none.
std::string ExtractFileExt(const std::string& path);
