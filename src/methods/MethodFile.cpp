#include "methods/MethodFile.h"

#include <fstream>
#include <sstream>

#include "common/FileUtil.h"
#include "processing/Peak.h"
#include "processing/RangeText.h"

namespace kalvero::methods {
namespace {

using TJson = nlohmann::ordered_json;

// Reads one evaluation, every complaint prefixed with "Оценка N: ".
class TEvaluationReader {
public:
    TEvaluationReader(const TJson& aJson, size_t aNumber) : fJson(aJson), fNumber(aNumber) {}

    [[noreturn]] void Fail(const std::string& aText) const {
        throw EMethodError("Оценка " + std::to_string(fNumber) + ": " + aText);
    }

    std::string Text(const std::string& aKey, bool aRequired) const {
        if (!fJson.contains(aKey)) {
            if (aRequired) Fail("нет ключа \"" + aKey + "\"");
            return "";
        }
        const TJson& v = fJson.at(aKey);
        if (!v.is_string()) Fail("\"" + aKey + "\" должен быть текстом");
        return v.get<std::string>();
    }

    std::string Range(const std::string& aKey, bool aRequired) const {
        std::string text = Text(aKey, aRequired);
        if (text.empty()) {
            if (aRequired) Fail("пустой диапазон \"" + aKey + "\"");
            return text;
        }
        try {
            CheckRangeSyntax(text);
        } catch (const ERangeSyntax& e) {
            Fail(e.what());
        }
        return text;
    }

    // A positive number, or NaN when absent and not required.
    double Positive(const std::string& aKey, bool aRequired, double aDefault = NAN) const {
        if (!fJson.contains(aKey) || fJson.at(aKey).is_null()) {
            if (aRequired) Fail("нет ключа \"" + aKey + "\"");
            return aDefault;
        }
        const TJson& v = fJson.at(aKey);
        if (!v.is_number() || !(v.get<double>() > 0))
            Fail("\"" + aKey + "\" должен быть положительным числом");
        return v.get<double>();
    }

    std::vector<std::pair<std::string, RLimit>> Limits(EEvaluationKind aKind) const {
        std::vector<std::pair<std::string, RLimit>> out;
        if (!fJson.contains("limits")) return out;
        const TJson& limits = fJson.at("limits");
        if (!limits.is_object()) Fail("\"limits\" должен быть объектом {\"результат\": [от, до]}");
        for (const auto& [name, bounds] : limits.items()) {
            if (!IsResultName(aKind, name))
                Fail("у оценки вида " + KindKey(aKind) + " нет результата \"" + name + "\"");
            const auto bound = [&](const TJson& b) {
                if (b.is_null()) return static_cast<double>(NAN);
                if (!b.is_number()) Fail("граница \"" + name + "\" должна быть числом или null");
                return b.get<double>();
            };
            if (!bounds.is_array() || bounds.size() != 2)
                Fail("граница \"" + name + "\" задаётся парой [от, до]");
            const RLimit limit{bound(bounds[0]), bound(bounds[1])};
            if (limit.low > limit.high) Fail("у \"" + name + "\" нижняя граница больше верхней");
            out.emplace_back(name, limit);
        }
        return out;
    }

private:
    const TJson& fJson;
    size_t fNumber;
};

TMethodEvaluation EvaluationFromJson(const TJson& j, size_t aNumber) {
    const TEvaluationReader r(j, aNumber);
    if (!j.is_object()) r.Fail("ожидается объект {\"kind\": ..., \"range\": ...}");
    const auto kind = KindFromKey(r.Text("kind", true));
    if (!kind) r.Fail("неизвестный вид \"" + r.Text("kind", true) + "\" (peak, tg, purity, crystallinity)");
    for (const auto& [key, value] : j.items())
        if (!IsOptionKey(*kind, key)) r.Fail("неизвестный ключ \"" + key + "\" для вида " + KindKey(*kind));

    TMethodEvaluation e;
    e.kind = *kind;
    e.range = r.Range("range", true);
    e.baseLine = r.Text("baseline", false);
    if (!e.baseLine.empty() && !PeakBaseLineFromKey(e.baseLine))
        r.Fail("неизвестная базовая линия \"" + e.baseLine +
               "\" (line, left, right, sigmoid, tangent-sigmoid)");
    switch (e.kind) {
        case EEvaluationKind::GlassTransition:
            e.before = r.Range("before", false);
            e.after = r.Range("after", false);
            if (e.before.empty() != e.after.empty()) r.Fail("участки \"before\" и \"after\" задаются вместе");
            e.stretch = r.Positive("stretch", false);
            if (e.stretch >= 0.5) r.Fail("\"stretch\" должен быть меньше 0.5");
            break;
        case EEvaluationKind::Purity:
            e.molarMass = r.Positive("molarMass", true);
            e.lagSlope = r.Positive("lagSlope", false);
            break;
        case EEvaluationKind::Crystallinity:
            e.coldRange = r.Range("coldCrystallisation", false);
            e.polymer = r.Text("polymer", false);
            e.referenceHeat = r.Positive("referenceHeat", false);
            if (e.polymer.empty() == std::isnan(e.referenceHeat))
                r.Fail("нужен либо \"polymer\", либо \"referenceHeat\"");
            e.polymerShare = r.Positive("polymerShare", false, 1);
            if (e.polymerShare > 1) r.Fail("\"polymerShare\" не больше 1");
            break;
        default:
            break;
    }
    e.limits = r.Limits(e.kind);
    return e;
}

TJson Bound(double aValue) {
    return std::isfinite(aValue) ? TJson(aValue) : TJson(nullptr);
}

TJson EvaluationToJson(const TMethodEvaluation& e) {
    TJson j{{"kind", KindKey(e.kind)}, {"range", e.range}};
    if (!e.baseLine.empty()) j["baseline"] = e.baseLine;
    const auto number = [&j](const char* aKey, double aValue) {
        if (std::isfinite(aValue)) j[aKey] = aValue;
    };
    switch (e.kind) {
        case EEvaluationKind::GlassTransition:
            if (!e.before.empty()) j["before"] = e.before, j["after"] = e.after;
            number("stretch", e.stretch);
            break;
        case EEvaluationKind::Purity:
            number("molarMass", e.molarMass);
            number("lagSlope", e.lagSlope);
            break;
        case EEvaluationKind::Crystallinity:
            if (!e.coldRange.empty()) j["coldCrystallisation"] = e.coldRange;
            if (!e.polymer.empty()) j["polymer"] = e.polymer;
            number("referenceHeat", e.referenceHeat);
            if (e.polymerShare != 1) j["polymerShare"] = e.polymerShare;
            break;
        default:
            break;
    }
    if (!e.limits.empty()) {
        TJson limits = TJson::object();
        for (const auto& [name, limit] : e.limits)
            limits[name] = TJson::array({Bound(limit.low), Bound(limit.high)});
        j["limits"] = limits;
    }
    return j;
}

}  // namespace

TMethod MethodFromJson(const TJson& j) {
    if (!j.is_object())
        throw EMethodError("Методика должна быть объектом JSON {\"name\": ..., \"evaluations\": [...]}");
    TMethod m;
    if (!j.contains("name") || !j.at("name").is_string() || j.at("name").get<std::string>().empty())
        throw EMethodError("У методики нет имени (\"name\")");
    m.name = j.at("name").get<std::string>();
    if (!j.contains("evaluations") || !j.at("evaluations").is_array() || j.at("evaluations").empty())
        throw EMethodError("В методике нет оценок (\"evaluations\")");
    for (const auto& [key, value] : j.items())
        if (key != "name" && key != "evaluations")
            throw EMethodError("Неизвестный ключ методики \"" + key + "\"");
    for (const TJson& e : j.at("evaluations"))
        m.evaluations.push_back(EvaluationFromJson(e, m.evaluations.size() + 1));
    return m;
}

TJson MethodToJson(const TMethod& m) {
    TJson evaluations = TJson::array();
    for (const TMethodEvaluation& e : m.evaluations)
        evaluations.push_back(EvaluationToJson(e));
    return {{"name", m.name}, {"evaluations", evaluations}};
}

TMethod LoadMethodFile(const std::string& aFileName) {
    const std::string prefix = "Методика " + aFileName + " не прочитана: ";
    std::ifstream in(aFileName, std::ios::binary);
    if (!in) throw EMethodError(prefix + "файл не открывается");
    std::stringstream text;
    text << in.rdbuf();
    TJson j;
    try {
        j = TJson::parse(text.str());
    } catch (const nlohmann::json::exception& e) {
        throw EMethodError(prefix + "это не JSON (" + e.what() + ")");
    }
    try {
        return MethodFromJson(j);
    } catch (const EMethodError& e) {
        throw EMethodError(prefix + e.what());
    }
}

void SaveMethodFile(const TMethod& aMethod, const std::string& aFileName) {
    WriteFileAtomic(aFileName, MethodToJson(aMethod).dump(2) + "\n");
}

}  // namespace kalvero::methods
