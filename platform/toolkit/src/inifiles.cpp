// The ini-file class over the system's profile-file functions.
#include "toolkit/inifiles.h"

#include "toolkit/exceptions.h"
#include "toolkit/sysutils.h"

#include <windows.h>

#include <new>
#include <utility>
#include <vector>

namespace {

// A value is read into a buffer of this size, so it holds at most one character less.
constexpr DWORD kValueBuffer = 2048;

// Fills a list from a buffer of NUL-terminated names ending with an empty one.
void SplitNames(const std::vector<char>& buffer, DWORD length, TStringList& list) {
    list.Clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (buffer[i] == '\0') {
            if (i > start)
                list.Add(std::string(buffer.data() + start, i - start));
            start = i + 1;
        }
    }
    if (start < length)
        list.Add(std::string(buffer.data() + start, length - start));
}

// Calls a profile function that answers size - 2 when its list does not fit, with a buffer
// that grows until the list fits; returns the length of the list.
template <typename Call>
DWORD ReadList(std::vector<char>& buffer, Call call) {
    DWORD size = 4096;
    for (;;) {
        try {
            buffer.assign(size, '\0');
        } catch (const std::bad_alloc&) {
            throw EOutOfMemory("Out of memory");
        }
        const DWORD n = call(buffer.data(), size);
        if (n < size - 2)
            return n;
        if (size > 0x40000000UL)
            throw EOutOfMemory("Out of memory");
        size *= 2;
    }
}

} // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

const std::string& TIniFile::FileName() const {
    return fileName_;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident,
                                 const std::string& def) const {
    char buffer[kValueBuffer];
    const DWORD n = GetPrivateProfileStringA(section.c_str(), ident.c_str(), def.c_str(), buffer,
                                             kValueBuffer, fileName_.c_str());
    return std::string(buffer, n < kValueBuffer ? n : kValueBuffer - 1);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& ident, int def) const {
    std::string s = ReadString(section, ident, "");
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        s.replace(0, 2, "$");
    return StrToIntDef(s, def);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& ident, bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const std::string& section, const std::string& ident, double def) const {
    const std::string s = ReadString(section, ident, "");
    double v = def;
    if (s.empty() || !TryStrToFloat(s, v))
        return def;
    return v;
}

void TIniFile::WriteString(const std::string& section, const std::string& ident,
                           const std::string& value) {
    if (!WritePrivateProfileStringA(section.c_str(), ident.c_str(), value.c_str(),
                                    fileName_.c_str()))
        throw EIniFileException("Unable to write to " + fileName_);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident, int value) {
    WriteString(section, ident, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::WriteFloat(const std::string& section, const std::string& ident, double value) {
    WriteString(section, ident, FloatToStr(value));
}

bool TIniFile::SectionExists(const std::string& section) const {
    TStringList keys;
    ReadSection(section, keys);
    return keys.Count() > 0;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& ident) const {
    TStringList keys;
    ReadSection(section, keys);
    return keys.IndexOf(ident) > -1;
}

void TIniFile::ReadSection(const std::string& section, TStringList& keys) const {
    std::vector<char> buffer;
    const DWORD n = ReadList(buffer, [&](char* data, DWORD size) {
        return GetPrivateProfileStringA(section.c_str(), nullptr, "", data, size,
                                        fileName_.c_str());
    });
    SplitNames(buffer, n, keys);
}

void TIniFile::ReadSections(TStringList& sections) const {
    std::vector<char> buffer;
    const DWORD n = ReadList(buffer, [&](char* data, DWORD size) {
        return GetPrivateProfileSectionNamesA(data, size, fileName_.c_str());
    });
    SplitNames(buffer, n, sections);
}
