#include "common/IniFile.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <list>

#include "common/Cp1251.h"
#include "common/DefaultFiles.h"
#include "common/FileUtil.h"

namespace kalvero {
namespace {

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    const size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

}  // namespace

bool TryStrToFloat(const std::string& aText, double& aValue) {
    std::string t = Trim(aText);
    const size_t comma = t.find(',');
    if (comma != std::string::npos) t[comma] = '.';
    if (t.empty()) return false;
    const char* begin = t.c_str();
    if (*begin == '+') ++begin;
    double v = 0;
    const auto [end, ec] = std::from_chars(begin, t.c_str() + t.size(), v);
    if (ec != std::errc() || end != t.c_str() + t.size() || !std::isfinite(v)) return false;
    aValue = v;
    return true;
}

bool TryStrToInt(const std::string& aText, int32_t& aValue) {
    std::string t = Trim(aText);
    bool negative = false;
    size_t pos = 0;
    if (pos < t.size() && (t[pos] == '-' || t[pos] == '+')) negative = t[pos++] == '-';
    int base = 10;
    if (pos < t.size() && t[pos] == '$') {
        base = 16, ++pos;
    } else if (t.compare(pos, 2, "0x") == 0 || t.compare(pos, 2, "0X") == 0) {
        base = 16, pos += 2;
    }
    if (pos >= t.size()) return false;
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(t.data() + pos, t.data() + t.size(), value, base);
    if (ec != std::errc() || end != t.data() + t.size()) return false;
    if (base == 16) {
        if (value > 0xFFFFFFFFULL) return false;
        const auto bits = static_cast<uint32_t>(value);
        aValue = static_cast<int32_t>(negative ? 0U - bits : bits);
        return true;
    }
    const int64_t signedValue = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
    if (value > 0x80000000ULL || signedValue < INT32_MIN || signedValue > INT32_MAX) return false;
    aValue = static_cast<int32_t>(signedValue);
    return true;
}

std::string FloatToStr(float aValue) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, aValue);
    if (ec != std::errc()) return "0";
    return std::string(buf, end);
}

std::string FloatToStr(double aValue) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, aValue);
    if (ec != std::errc()) return "0";
    return std::string(buf, end);
}

TIniFile::TIniFile(const std::filesystem::path& aFileName) : fFileName(aFileName), fIni(false, false, false) {
    fIni.SetSpaces(false);
    std::error_code ec;
    if (!std::filesystem::exists(aFileName, ec)) return;
    const std::string text = DecodeTextFile(ReadWholeFile(aFileName));
    if (fIni.LoadData(text) < 0) throw EFileError("Не удалось прочитать файл " + aFileName.string());
}

void TIniFile::LoadText(const std::string& aText) {
    fIni.Reset();
    if (fIni.LoadData(DecodeTextFile(aText)) < 0)
        throw EFileError("Не удалось прочитать " + fFileName.string());
}

void TIniFile::LoadShippedIfMissing() {
    std::error_code ec;
    if (!std::filesystem::exists(fFileName, ec))
        LoadText(defaults::EmbeddedFiles().at(fFileName.filename().string()));
}

bool TIniFile::SectionExists(const std::string& aSection) const {
    return fIni.GetSection(aSection.c_str()) != nullptr;
}

bool TIniFile::ValueExists(const std::string& aSection, const std::string& aKey) const {
    return fIni.GetValue(aSection.c_str(), aKey.c_str(), nullptr) != nullptr;
}

std::vector<std::string> TIniFile::Sections() const {
    CSimpleIniA::TNamesDepend names;
    fIni.GetAllSections(names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    std::vector<std::string> out;
    for (const auto& n : names)
        out.emplace_back(n.pItem);
    return out;
}

std::vector<std::string> TIniFile::Keys(const std::string& aSection) const {
    CSimpleIniA::TNamesDepend names;
    fIni.GetAllKeys(aSection.c_str(), names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    std::vector<std::string> out;
    for (const auto& n : names)
        out.emplace_back(n.pItem);
    return out;
}

std::string TIniFile::ReadString(const std::string& aSection, const std::string& aKey,
                                 const std::string& aDefault) const {
    const char* v = fIni.GetValue(aSection.c_str(), aKey.c_str(), nullptr);
    return v ? std::string(v) : aDefault;
}

int32_t TIniFile::ReadInteger(const std::string& aSection, const std::string& aKey, int32_t aDefault) const {
    int32_t v = 0;
    return TryStrToInt(ReadString(aSection, aKey, ""), v) ? v : aDefault;
}

bool TIniFile::ReadBool(const std::string& aSection, const std::string& aKey, bool aDefault) const {
    return ReadInteger(aSection, aKey, aDefault ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const std::string& aSection, const std::string& aKey, double aDefault) const {
    double v = 0;
    return TryStrToFloat(ReadString(aSection, aKey, ""), v) ? v : aDefault;
}

TDateTime TIniFile::ReadDate(const std::string& aSection, const std::string& aKey, TDateTime aDefault) const {
    const std::string text = ReadString(aSection, aKey, "");
    TDateTime v = 0;
    if (text.empty() || !TryStrToDateTime(text, v)) return aDefault;
    return std::floor(v);
}

void TIniFile::WriteString(const std::string& aSection, const std::string& aKey, const std::string& aValue) {
    fIni.SetValue(aSection.c_str(), aKey.c_str(), aValue.c_str());
}

void TIniFile::WriteInteger(const std::string& aSection, const std::string& aKey, int64_t aValue) {
    WriteString(aSection, aKey, std::to_string(aValue));
}

void TIniFile::WriteBool(const std::string& aSection, const std::string& aKey, bool aValue) {
    WriteString(aSection, aKey, aValue ? "1" : "0");
}

void TIniFile::WriteFloat(const std::string& aSection, const std::string& aKey, double aValue) {
    WriteString(aSection, aKey, FloatToStr(aValue));
}

void TIniFile::WriteFloat(const std::string& aSection, const std::string& aKey, float aValue) {
    WriteString(aSection, aKey, FloatToStr(aValue));
}

void TIniFile::WriteDate(const std::string& aSection, const std::string& aKey, TDateTime aValue) {
    WriteString(aSection, aKey, DateToStr(aValue));
}

void TIniFile::CreateSection(const std::string& aSection) {
    fIni.SetValue(aSection.c_str(), nullptr, nullptr);
}

bool TIniFile::DeleteKey(const std::string& aSection, const std::string& aKey) {
    return fIni.Delete(aSection.c_str(), aKey.c_str(), true);
}

bool TIniFile::EraseSection(const std::string& aSection) {
    return fIni.Delete(aSection.c_str(), nullptr);
}

std::string TIniFile::ToText() const {
    std::string out;
    fIni.Save(out, false);
    return out;
}

void TIniFile::UpdateFile() const {
    // Lines end in CR LF, as the settings files of existing installations do.
    std::string text;
    for (char c : ToText()) {
        if (c == '\n') text += '\r';
        text += c;
    }
    WriteFileAtomic(fFileName, Utf8ToCp1251(text));
}

}  // namespace kalvero
