// The entry points: the bytes decoded to UTF-8, the layout told by the content (never by the file
// name's extension), the reader of that layout called.

#include <filesystem>

#include "common/Cp1251.h"
#include "common/FileUtil.h"
#include "import/ColumnNames.h"
#include "import/LayoutReaders.h"
#include "import/RowFormat.h"
#include "import/TextDecoding.h"

namespace kalvero {
namespace {

using namespace foreign;

// The program's own experiment files begin with their title as a short string: a length byte and
// "Файл данных ДСК …" in Windows-1251.
bool IsExperimentFile(std::string_view aBytes) {
    static const std::string title = Utf8ToCp1251("Файл данных ДСК");
    return aBytes.size() > title.size() && static_cast<unsigned char>(aBytes[0]) == 30 &&
           aBytes.substr(1, title.size()) == title;
}

TImportedRun ReadLayout(TLayout aLayout, const TImportInput& aInput) {
    switch (aLayout) {
        case lyKeyValue:
            return ReadKeyValue(aInput);
        case lyTwoLine:
            return ReadTwoLine(aInput);
        case lyHashKey:
            return ReadHashKey(aInput);
        case lyDelimited:
            break;
    }
    return ReadDelimited(aInput);
}

TImportedRun ImportBytes(std::string_view aBytes, const TImportOptions& aOptions,
                         const std::string& aShownName, bool aMapped) {
    if (IsExperimentFile(aBytes))
        throw EImportError("Файл " + aShownName +
                           " — файл эксперимента этой программы: его не импортируют, а открывают");
    const TMappedPages pages(aBytes);
    const TForeignText text(aBytes);
    if (text.Text().find_first_not_of(" \t\r\n\f\v") == std::string_view::npos)
        throw EImportError("Файл " + aShownName + " пуст");
    if (IsExportJson(text.Text())) return ReadExportJson(text.Text(), aOptions, aShownName);
    const TImportInput input{text.Text(),  aOptions,
                             aShownName,   text.EncodingName(),
                             text.Notes(), aMapped && !text.Converted() ? &pages : nullptr};
    return ReadLayout(DetectLayout(text.Text()), input);
}

}  // namespace

namespace foreign {

TLayout DetectLayout(std::string_view aText) {
    const std::vector<TTextLine> lines = HeadLines(aText, 2000);
    size_t first = lines.size();
    bool names = false, footer = false, units = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i].text;
        if (Trim(line).empty()) continue;
        if (first == lines.size()) first = i;
        if (FoldCase(Trim(line)) == "startofdata") return lyKeyValue;
        names = names || line.starts_with("##");
        footer = footer || line.starts_with("!&");
        units = units || (i > 0 && !Trim(lines[i - 1].text).empty() && BracketedUnits(line));
    }
    // "#KEY:value" lines without a "##" line of names are comments above a delimited header.
    if (first < lines.size() && lines[first].text.starts_with("#") && names) return lyHashKey;
    if (units || footer) return lyTwoLine;
    return lyDelimited;
}

}  // namespace foreign

TImportedRun ImportForeignFile(const std::string& aPath, const TImportOptions& aOptions) {
    const std::string shown = std::filesystem::path(aPath).filename().string();
    try {
        const TMappedFile file(aPath);
        return ImportBytes(file.Bytes(), aOptions, shown, true);
    } catch (const EFileError& e) {
        throw EImportError(e.what());
    }
}

TImportedRun ImportForeignText(std::string_view aBytes, const TImportOptions& aOptions,
                               const std::string& aShownName) {
    return ImportBytes(aBytes, aOptions, aShownName, false);
}

bool LooksLikeForeignData(std::string_view aFirstBytes) {
    if (aFirstBytes.empty() || IsExperimentFile(aFirstBytes)) return false;
    const TForeignText text(aFirstBytes.substr(0, 1 << 20));
    const std::string_view t = text.Text();
    size_t control = 0;
    for (const char c : t) {
        const auto b = static_cast<unsigned char>(c);
        control += (b < 0x20 && b != '\t' && b != '\r' && b != '\n' && b != '\f') || b == 0x7F;
    }
    if (control * 100 > t.size()) return false;
    if (IsExportJson(t)) return true;
    if (DetectLayout(t) != lyDelimited) return true;
    return FindRows(HeadLines(t, 2000), 0).has_value();
}

}  // namespace kalvero
