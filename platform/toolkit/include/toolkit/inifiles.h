// The ini-file class over the system's profile-file functions.
#pragma once

#include "toolkit/classes.h"

#include <string>

class TIniFile {
public:
    explicit TIniFile(std::string fileName);
    const std::string& FileName() const;

    // At most 2047 characters.
    std::string ReadString(const std::string& section, const std::string& ident,
                           const std::string& def) const;
    // "0x" or "0X" then hex digits, or decimal; other text gives def.
    int ReadInteger(const std::string& section, const std::string& ident, int def) const;
    // Any non-zero integer is true; text that is no integer gives def.
    bool ReadBool(const std::string& section, const std::string& ident, bool def) const;
    // Decimal text with the user's decimal separator; empty or other text gives def.
    double ReadFloat(const std::string& section, const std::string& ident, double def) const;

    // A failed write throws EIniFileException "Unable to write to <file>".
    void WriteString(const std::string& section, const std::string& ident,
                     const std::string& value);
    void WriteInteger(const std::string& section, const std::string& ident, int value);
    // "1" or "0".
    void WriteBool(const std::string& section, const std::string& ident, bool value);
    // FloatToStr.
    void WriteFloat(const std::string& section, const std::string& ident, double value);

    // The section has at least one key.
    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& ident) const;
    // The key names of the section in file order (the list is cleared first); none are lost
    // however long the section.
    void ReadSection(const std::string& section, TStringList& keys) const;
    // The section names in file order (the list is cleared first).
    void ReadSections(TStringList& sections) const;

private:
    std::string fileName_;
};
