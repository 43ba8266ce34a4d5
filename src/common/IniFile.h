#pragma once
// An INI file as the settings of the system use it: sections and keys without regard to letter
// case, every key that is not written kept as it was, text read as UTF-8 when it is valid UTF-8
// and as Windows-1251 otherwise, written in Windows-1251 through a crash-safe replace.

// Text is converted by the program itself (UTF-8 inside, Windows-1251 on disk).
#ifndef SI_NO_CONVERSION
#define SI_NO_CONVERSION
#endif
#include <SimpleIni.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/DateTime.h"

namespace kalvero {

class TIniFile {
public:
    // Reads the file; a missing file is an empty one (it is created by UpdateFile).
    explicit TIniFile(const std::filesystem::path& aFileName);
    // Replaces what was read by the sections of an INI text (UTF-8 or Windows-1251).
    void LoadText(const std::string& aText);
    // Where the file does not exist (a program-data folder made by an older version), reads the
    // copy of the same name the program ships instead.
    void LoadShippedIfMissing();

    bool SectionExists(const std::string& aSection) const;
    bool ValueExists(const std::string& aSection, const std::string& aKey) const;
    std::vector<std::string> Sections() const;
    std::vector<std::string> Keys(const std::string& aSection) const;

    std::string ReadString(const std::string& aSection, const std::string& aKey,
                           const std::string& aDefault) const;
    // Decimal, or hexadecimal after "$" or "0x"; a text that does not convert gives the default.
    int32_t ReadInteger(const std::string& aSection, const std::string& aKey, int32_t aDefault) const;
    // "0" is false, any other integer true; anything else gives the default.
    bool ReadBool(const std::string& aSection, const std::string& aKey, bool aDefault) const;
    // Either decimal separator; a text that does not convert gives the default.
    double ReadFloat(const std::string& aSection, const std::string& aKey, double aDefault) const;
    // The fixed date form "dd.mm.yyyy"; a text that does not convert gives the default.
    TDateTime ReadDate(const std::string& aSection, const std::string& aKey, TDateTime aDefault) const;

    void WriteString(const std::string& aSection, const std::string& aKey, const std::string& aValue);
    void WriteInteger(const std::string& aSection, const std::string& aKey, int64_t aValue);
    void WriteBool(const std::string& aSection, const std::string& aKey, bool aValue);
    void WriteFloat(const std::string& aSection, const std::string& aKey, double aValue);
    // A 32-bit real is written with the digits it holds (2.1f as "2.1", not its double expansion).
    void WriteFloat(const std::string& aSection, const std::string& aKey, float aValue);
    void WriteDate(const std::string& aSection, const std::string& aKey, TDateTime aValue);

    // An empty section (a key path without values in a settings store).
    void CreateSection(const std::string& aSection);
    bool DeleteKey(const std::string& aSection, const std::string& aKey);
    bool EraseSection(const std::string& aSection);

    // Writes the file back (Windows-1251). Throws EFileError on failure; the old file stays.
    void UpdateFile() const;
    // The whole text as it would be written, UTF-8.
    std::string ToText() const;

    const std::filesystem::path& FileName() const { return fFileName; }

private:
    std::filesystem::path fFileName;
    CSimpleIniA fIni;
};

// Integer text to a value: optional blanks and sign, decimal digits or "$"/"0x" hexadecimal
// (hexadecimal wraps like a 32-bit register). False when the text does not convert.
bool TryStrToInt(const std::string& aText, int32_t& aValue);
// A real with "." or "," as the decimal separator, blanks around allowed. False when the text
// does not convert.
bool TryStrToFloat(const std::string& aText, double& aValue);
// Shortest text that reads back as the same float, with "." as the decimal separator.
std::string FloatToStr(double aValue);
std::string FloatToStr(float aValue);

}  // namespace kalvero
