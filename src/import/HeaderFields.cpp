#include "import/HeaderFields.h"

#include <cmath>

#include <fast_float/fast_float.h>

#include "common/Procs.h"
#include "import/ColumnNames.h"

namespace kalvero::foreign {
namespace {

enum TField {
    hfNone,
    hfSample,
    hfIdentity,
    hfMass,
    hfRate,
    hfInstrument,
    hfOperator,
    hfDate,
    hfComment,
    hfExo,
    hfEndo
};

struct TKey {
    std::string_view key;
    TField field;
};

constexpr TKey kKeys[] = {
    {"sample", hfSample},
    {"sample name", hfSample},
    {"samplename", hfSample},
    {"образец", hfSample},
    {"название образца", hfSample},
    {"имя образца", hfSample},
    {"probe", hfSample},
    {"identity", hfIdentity},
    {"sample id", hfIdentity},
    {"mass", hfMass},
    {"sample mass", hfMass},
    {"weight", hfMass},
    {"sample weight", hfMass},
    {"size", hfMass},
    {"sample size", hfMass},
    {"einwaage", hfMass},
    {"масса", hfMass},
    {"масса образца", hfMass},
    {"навеска", hfMass},
    {"heating rate", hfRate},
    {"rate", hfRate},
    {"ramp", hfRate},
    {"scan rate", hfRate},
    {"heizrate", hfRate},
    {"скорость нагрева", hfRate},
    {"скорость", hfRate},
    {"instrument", hfInstrument},
    {"instrument name", hfInstrument},
    {"instrument type", hfInstrument},
    {"device", hfInstrument},
    {"прибор", hfInstrument},
    {"operator", hfOperator},
    {"user", hfOperator},
    {"оператор", hfOperator},
    {"date", hfDate},
    {"run date", hfDate},
    {"date/time", hfDate},
    {"date time", hfDate},
    {"measurement date", hfDate},
    {"дата", hfDate},
    {"дата опыта", hfDate},
    {"comment", hfComment},
    {"comments", hfComment},
    {"remark", hfComment},
    {"notes", hfComment},
    {"note", hfComment},
    {"комментарий", hfComment},
    {"примечание", hfComment},
    {"exo", hfExo},
    {"exotherm", hfExo},
    {"exothermic", hfExo},
    {"экзо", hfExo},
    {"endo", hfEndo},
    {"endotherm", hfEndo},
    {"endothermic", hfEndo},
    {"эндо", hfEndo},
};

// A key folded to lower case, without a leading '#', a trailing ':' or '.', and with single blanks.
std::string KeyWords(std::string_view aKey) {
    const std::string folded = FoldCase(Trim(aKey));
    std::string out;
    for (const char c : folded) {
        if (c == ' ' || c == '\t' || c == '_') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else if (!(c == '#' && out.empty())) {
            out += c;
        }
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == ':' || out.back() == '.'))
        out.pop_back();
    return out;
}

TField FieldOf(const std::string& aWords) {
    for (const TKey& k : kKeys)
        if (k.key == aWords) return k.field;
    return hfNone;
}

// The first word of a text after blanks and list separators: a unit after a number.
std::string_view FirstWord(std::string_view aText) {
    size_t from = 0;
    while (from < aText.size() && (aText[from] == ' ' || aText[from] == '\t' || aText[from] == ',' ||
                                   aText[from] == ';' || aText[from] == '('))
        ++from;
    size_t to = from;
    while (to < aText.size() && aText[to] != ' ' && aText[to] != '\t' && aText[to] != ';' &&
           aText[to] != ')' && aText[to] != ',')
        ++to;
    return aText.substr(from, to - from);
}

void SetText(std::string& aField, std::string_view aValue) {
    if (aField.empty()) aField = CleanText(aValue);
}

void SetMass(std::string_view aValue, std::string_view aKeyUnit, TImportedRun& aRun) {
    std::string_view rest;
    const std::optional<double> number = LeadingNumber(aValue, &rest);
    if (!number || *number < 0 || aRun.mass) return;
    std::string_view unit = FirstWord(rest);
    if (unit.empty()) unit = aKeyUnit;
    if (unit.empty()) {
        aRun.mass = *number;
        aRun.warnings.push_back("Масса образца в файле без единицы: принято " + FormatFixed(*number, 3) +
                                " мг");
    } else if (const auto mg = MilligramsPerUnit(unit)) {
        aRun.mass = *number * *mg;
    } else {
        aRun.warnings.push_back("Единица массы «" + CleanText(unit) + "» не распознана: масса не прочитана");
    }
}

void SetRate(std::string_view aValue, std::string_view aKeyUnit, TImportedRun& aRun) {
    if (aRun.heatingRate) return;
    if (const auto rate = RateInText(aValue)) {
        aRun.heatingRate = *rate;
        return;
    }
    std::string_view rest;
    const std::optional<double> number = LeadingNumber(aValue, &rest);
    if (!number) return;
    const std::string_view unit = FirstWord(rest).empty() ? aKeyUnit : FirstWord(rest);
    if (const auto factor = KelvinPerMinutePerUnit(unit)) {
        aRun.heatingRate = *number * *factor;
    } else if (unit.empty()) {
        aRun.heatingRate = *number;
        aRun.warnings.push_back("Скорость нагрева в файле без единицы: принято " + FormatFixed(*number, 2) +
                                " K/мин");
    }
}

}  // namespace

std::optional<double> LeadingNumber(std::string_view aText, std::string_view* aRest) {
    size_t from = 0;
    while (from < aText.size() && (aText[from] == ' ' || aText[from] == '\t'))
        ++from;
    // Digits, one decimal point or comma, an exponent: copied with the comma as a point.
    char buffer[64];
    size_t n = 0, to = from;
    bool digits = false, decimal = false;
    if (to < aText.size() && (aText[to] == '-' || aText[to] == '+')) buffer[n++] = aText[to++];
    while (to < aText.size() && n + 1 < sizeof buffer) {
        const char c = aText[to];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if ((c == '.' || c == ',') && !decimal && to + 1 < aText.size() && aText[to + 1] >= '0' &&
                   aText[to + 1] <= '9') {
            decimal = true;
        } else if ((c == 'e' || c == 'E') && digits) {
            size_t k = to + 1;  // an exponent needs a digit after its sign
            if (k < aText.size() && (aText[k] == '-' || aText[k] == '+')) ++k;
            if (k >= aText.size() || aText[k] < '0' || aText[k] > '9') break;
            while (to < k)
                buffer[n++] = aText[to++];
            decimal = true;  // no decimal separator in an exponent
            continue;
        } else {
            break;
        }
        buffer[n++] = c == ',' ? '.' : c;
        ++to;
    }
    if (!digits) return std::nullopt;
    double value = 0;
    const auto r = fast_float::from_chars(buffer + (buffer[0] == '+'), buffer + n, value);
    if (r.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    if (aRest) *aRest = aText.substr(to);
    return value;
}

std::optional<double> RateInText(std::string_view aText) {
    for (size_t i = 0; i < aText.size(); ++i) {
        const char c = aText[i];
        if (c < '0' || c > '9' ||
            (i > 0 && ((aText[i - 1] >= '0' && aText[i - 1] <= '9') || aText[i - 1] == '.')))
            continue;
        std::string_view rest;
        const std::optional<double> number = LeadingNumber(aText.substr(i), &rest);
        if (!number) continue;
        if (const auto factor = KelvinPerMinutePerUnit(FirstWord(rest))) return *number * *factor;
        i = aText.size() - rest.size() - 1;
    }
    return std::nullopt;
}

std::optional<bool> EndoUpOfText(std::string_view aText) {
    const std::string t = FoldCase(aText);
    const auto has = [&](std::string_view a, std::string_view b) {
        const size_t at = t.find(a);
        if (at == std::string::npos) return false;
        // The rest of the word ("exothermic", "endotherms"), then the separators.
        const size_t end = t.find_first_of(" \t:=", at + a.size());
        if (end == std::string::npos) return false;
        const size_t rest = t.find_first_not_of(" \t:=", end);
        return rest != std::string::npos && t.compare(rest, b.size(), b) == 0;
    };
    for (const std::string_view exo : {"exotherm", "exo", "экзо"}) {
        if (has(exo, "up") || has(exo, "вверх")) return false;
        if (has(exo, "down") || has(exo, "вниз")) return true;
    }
    for (const std::string_view endo : {"endotherm", "endo", "эндо"}) {
        if (has(endo, "up") || has(endo, "вверх")) return true;
        if (has(endo, "down") || has(endo, "вниз")) return false;
    }
    return std::nullopt;
}

bool SplitKeyValue(std::string_view aLine, std::string_view& aKey, std::string_view& aValue) {
    size_t at = aLine.find_first_of("\t:=;");
    if (at == std::string_view::npos) at = aLine.find(',');
    if (at == std::string_view::npos) {
        aKey = aLine, aValue = {};
        return false;
    }
    aKey = aLine.substr(0, at);
    aValue = aLine.substr(at + 1);
    while (!aValue.empty() && (aValue.back() == ';' || aValue.back() == ',' || aValue.back() == '\t' ||
                               aValue.back() == ' ' || aValue.back() == '\r'))
        aValue.remove_suffix(1);
    return true;
}

bool ApplyHeaderField(std::string_view aKey, std::string_view aValue, TImportedRun& aRun) {
    TNameAndUnit key = SplitNameAndUnit(aKey);
    TField field = FieldOf(KeyWords(key.name));
    if (field == hfNone) {  // a key with a unit that is not one ("Sample (PE)")
        key = {std::string(aKey), ""};
        field = FieldOf(KeyWords(aKey));
    }
    switch (field) {
        case hfNone:
            return false;
        case hfSample:  // the sample's name, before an identity standing in for it
            if (std::string name = CleanText(aValue); !name.empty()) aRun.sampleName = std::move(name);
            return true;
        case hfIdentity:
            SetText(aRun.sampleName, aValue);
            return true;
        case hfMass:
            SetMass(aValue, key.unit, aRun);
            return true;
        case hfRate:
            SetRate(aValue, key.unit, aRun);
            return true;
        case hfInstrument:
            SetText(aRun.instrument, aValue);
            return true;
        case hfOperator:
            SetText(aRun.operatorName, aValue);
            return true;
        case hfDate:
            SetText(aRun.dateText, aValue);
            return true;
        case hfComment:
            SetText(aRun.comment, aValue);
            return true;
        case hfExo:
        case hfEndo:
            if (!aRun.endoUp) {
                const std::optional<double> sign = LeadingNumber(aValue);
                // −1 for exothermic effects: they point down; the same sign of endothermic ones.
                if (sign && (*sign == -1 || *sign == 1))
                    aRun.endoUp = (field == hfExo) == (*sign < 0);
                else if (const auto words = EndoUpOfText(std::string(key.name) + " " + std::string(aValue)))
                    aRun.endoUp = *words;
            }
            return true;
    }
    return false;
}

void ApplyHeaderLine(std::string_view aLine, TImportedRun& aRun) {
    if (!aRun.endoUp) aRun.endoUp = EndoUpOfText(aLine);
    std::string_view key, value;
    SplitKeyValue(aLine, key, value);
    if (ApplyHeaderField(key, value, aRun) || aRun.heatingRate) return;
    const std::string words = FoldCase(aLine);
    if (words.find("ramp") != std::string::npos || words.find("скорость") != std::string::npos)
        aRun.heatingRate = RateInText(aLine);
}

}  // namespace kalvero::foreign
