// "table": calibration table files without the calibration dialog. "show" prints a file, "convert"
// converts one value through it, "build" calculates a table from points given on the command
// line the way the dialog's "Расчёт" does and saves it, "references" lists the reference
// substances.

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <map>
#include <memory>
#include <optional>

#include "calibration/CalibrationMath.h"
#include "calibration/DiffTempCalibration.h"
#include "calibration/GlobalTables.h"
#include "calibration/HeatCalibration.h"
#include "calibration/ReferenceSubstances.h"
#include "calibration/TableBuild.h"
#include "calibration/TableFile.h"
#include "calibration/TempCalibration.h"
#include "cli/CliContext.h"
#include "common/FileUtil.h"
#include "common/Globals.h"

namespace kalvero::cli {
namespace {

using calibration_math::ClampToInt32;
using calibration_math::RoundToInt32;

// ---- numbers and options ----

// The shortest decimal form of a float, so that 0.005f prints as 0.005.
double JsonFloat(float aValue) {
    if (!std::isfinite(aValue)) return aValue;
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, aValue).ptr;
    double v = 0;
    std::from_chars(buf, end, v);
    return v;
}

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

std::optional<double> ToNumber(const std::string& aText) {
    const std::string t = Trim(aText);
    double v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
    return v;
}

double NumberOption(const std::string& aOption, const std::string& aText) {
    const auto v = ToNumber(aText);
    if (!v) throw CLI::ValidationError(aOption, "ожидается число, получено " + aText);
    return *v;
}

int32_t IntegerOption(const std::string& aOption, const std::string& aText) {
    const std::string t = Trim(aText);
    int32_t v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size())
        throw CLI::ValidationError(aOption, "ожидается целое число, получено " + aText);
    return v;
}

struct RRange {
    double beg = 0;
    double end = 0;
};

// "A:B"; A may be negative ("-50:600").
RRange ParseRange(const std::string& aText) {
    const size_t colon = aText.find(':', 1);
    if (colon == std::string::npos) throw CLI::ValidationError("--range", "ожидается A:B, получено " + aText);
    return {NumberOption("--range", aText.substr(0, colon)),
            NumberOption("--range", aText.substr(colon + 1))};
}

// "name=value,name=value"; a piece without "=" continues the previous value (a comma in a
// description).
std::map<std::string, std::string> ParsePairs(const std::string& aOption, const std::string& aText) {
    std::map<std::string, std::string> pairs;
    std::string lastName;
    size_t start = 0;
    while (start <= aText.size()) {
        size_t comma = aText.find(',', start);
        if (comma == std::string::npos) comma = aText.size();
        const std::string piece = aText.substr(start, comma - start);
        const size_t eq = piece.find('=');
        if (eq == std::string::npos) {
            if (lastName.empty())
                throw CLI::ValidationError(aOption, "ожидается имя=значение, получено " + piece);
            pairs[lastName] += "," + piece;
        } else {
            lastName = Trim(piece.substr(0, eq));
            if (pairs.count(lastName))
                throw CLI::ValidationError(aOption, "поле " + lastName + " указано дважды");
            pairs[lastName] = piece.substr(eq + 1);
        }
        start = comma + 1;
    }
    return pairs;
}

// The fields of one --point, checked against the names that the table kind takes.
class TPointFields {
public:
    TPointFields(const std::string& aText, const std::vector<std::string>& aAllowed, const std::string& aKind)
        : fPairs(ParsePairs("--point", aText)) {
        for (const auto& [name, value] : fPairs) {
            if (std::find(aAllowed.begin(), aAllowed.end(), name) != aAllowed.end()) continue;
            std::string list;
            for (const std::string& a : aAllowed)
                list += (list.empty() ? "" : ", ") + a;
            throw CLI::ValidationError("--point",
                                       "поле " + name + " не подходит таблице " + aKind + " (" + list + ")");
        }
    }
    const std::string& Required(const std::string& aName) const {
        const auto it = fPairs.find(aName);
        if (it == fPairs.end()) throw CLI::ValidationError("--point", "не указано поле " + aName);
        return it->second;
    }
    double Number(const std::string& aName) const {
        return NumberOption("--point " + aName, Required(aName));
    }
    int32_t Integer(const std::string& aName) const {
        return IntegerOption("--point " + aName, Required(aName));
    }
    std::string Text(const std::string& aName) const {
        const auto it = fPairs.find(aName);
        return it == fPairs.end() ? std::string() : it->second;
    }
    bool Has(const std::string& aName) const { return fPairs.count(aName) > 0; }

private:
    std::map<std::string, std::string> fPairs;
};

// ---- tables ----

const char* KindName(TCalibrationTableType aKind) {
    return CalibrationTableTypeName(aKind);
}

nlohmann::ordered_json PointToJson(const TRefPoint& p, TCalibrationTableType aKind) {
    nlohmann::ordered_json j;
    j["description"] = p.description;
    j["unitValue"] = p.unitValue;
    j["realValue"] = JsonFloat(p.realValue);
    if (aKind == cttDiffTemperature) {
        j["peakHeight"] = p.peakHeight;
        j["diffTemperature"] = JsonFloat(p.diffTemperature);
    } else if (aKind == cttHeat) {
        j["weight"] = JsonFloat(p.weight);
        j["specificHeat"] = JsonFloat(p.specificHeat);
        j["area"] = p.area;
        j["virtualPoint"] = p.virtualPoint;
    }
    return j;
}

nlohmann::ordered_json TableToJson(const TCalibrationTable& t) {
    nlohmann::ordered_json j;
    j["kind"] = KindName(t.GetTableType());
    j["name"] = t.GetName();
    j["version"] = t.GetVersion();
    const char* interp = InterpolationTypeName(t.GetInterpolationType());
    if (interp)
        j["interpType"] = interp;
    else
        j["interpType"] = static_cast<int>(t.GetInterpolationType());
    j["begRealValue"] = JsonFloat(t.begRealValue);
    j["endRealValue"] = JsonFloat(t.endRealValue);
    j["points"] = nlohmann::ordered_json::array();
    for (const TCustomCollectionItem& item : t.GetRefPoints().items)
        j["points"].push_back(PointToJson(item.value, t.GetTableType()));
    if (const auto* heat = dynamic_cast<const THeatCalibrationTable*>(&t)) {
        j["useHeatTunePoint"] = heat->IsUseHeatTunePoint();
        j["useMarginPoints"] = heat->IsUseMarginPoints();
        j["tunePoint"] = {{"area", heat->GetTunePointArea()},
                          {"dH", JsonFloat(heat->GetTunePointDh())},
                          {"mass", JsonFloat(heat->GetTunePointMass())},
                          {"transTemp", JsonFloat(heat->GetTunePointTransTemp())},
                          {"factor", JsonFloat(heat->GetTunePointFactor())}};
    }
    j["itemCount"] = t.GetItemCount();
    j["items"] = nlohmann::ordered_json::array();
    for (float v : t.GetItems())
        j["items"].push_back(JsonFloat(v));
    return j;
}

std::string LoadError(const std::string& aFile, const std::string& aWhat) {
    return "Невозможно загрузить калибровочную таблицу \"" + aFile + "\". Ошибка: " + aWhat;
}

struct RTableFile {
    std::string data;
    RTableFileHeader header;
    TCalibrationTableType kind = cttTemperature;
};

// The header of a table file, with its kind; failures in the loader's words.
RTableFile ReadHeader(const std::string& aFile) {
    RTableFile f;
    try {
        f.data = ReadWholeFile(aFile);
        TBinaryReader reader(f.data);
        f.header = ReadTableHeader(reader);
    } catch (const std::exception& e) {
        throw ECalibrationException(LoadError(aFile, e.what()));
    }
    const uint32_t type = f.header.tableType & 0xFF;
    if (TableRecordSize(type) == 0)
        throw ECalibrationException(LoadError(aFile, "Unknown table type " + std::to_string(type)));
    f.kind = static_cast<TCalibrationTableType>(type);
    return f;
}

// The temperature range of dT and heat tables at start-up: the real range of the configured
// temperature table.
RRange RealRange() {
    float beg, end;
    TemperatureTableRange(beg, end);
    return {beg, end};
}

// A table of the kind over the range given, or the one the start-up would use: the configured
// count range for a temperature table, the configured temperature table's real range otherwise.
std::unique_ptr<TCalibrationTable> CreateTable(TCalibrationTableType aKind,
                                               const std::optional<RRange>& aRange) {
    const TAppConfig& c = *gConfig;
    if (aKind == cttTemperature) {
        if (aRange)
            return std::make_unique<TTempCalibrationTable>(RoundToInt32(aRange->beg),
                                                           RoundToInt32(aRange->end));
        return std::make_unique<TTempCalibrationTable>(
            ClampToInt32(static_cast<int64_t>(c.tMinADCValue) * c.tADCMultiplier),
            ClampToInt32(static_cast<int64_t>(c.tMaxADCValue) * c.tADCMultiplier));
    }
    const RRange range = aRange ? *aRange : RealRange();
    const float beg = static_cast<float>(range.beg), end = static_cast<float>(range.end);
    if (aKind == cttDiffTemperature) return std::make_unique<TDiffTempCalibrationTable>(beg, end);
    return std::make_unique<THeatCalibrationTable>(beg, end);
}

std::optional<RRange> RangeOption(const std::string& aText) {
    if (aText.empty()) return std::nullopt;
    return ParseRange(aText);
}

// ---- show ----

nlohmann::ordered_json Show(const std::string& aFile) {
    const RTableFile f = ReadHeader(aFile);
    auto table = CreateTable(f.kind, std::nullopt);
    table->LoadFromPath(aFile);
    nlohmann::ordered_json j = TableToJson(*table);
    // What the file holds, not what a calculation would make of it.
    std::vector<float> stored;
    try {
        CheckTableCounts(f.header, f.kind, f.data.size());
        stored = ReadTableItems(f.data, f.header);
    } catch (const std::exception& e) {
        throw ECalibrationException(LoadError(aFile, e.what()));
    }
    j["begRealValue"] = f.header.begTemp;
    j["endRealValue"] = f.header.endTemp;
    j["itemCount"] = stored.size();
    j["items"] = nlohmann::ordered_json::array();
    for (float v : stored)
        j["items"].push_back(JsonFloat(v));
    return j;
}

// ---- convert ----

struct RConvertOptions {
    std::string file, range;
    std::string units, real, temp;
};

nlohmann::ordered_json Convert(const RConvertOptions& o) {
    const bool hasUnits = !o.units.empty(), hasReal = !o.real.empty(), hasTemp = !o.temp.empty();
    if (hasUnits && hasReal) throw CLI::ValidationError("--units", "укажите либо --units, либо --real");
    if (!hasUnits && !hasReal && !hasTemp)
        throw CLI::ValidationError("--units", "укажите --units, --real или --temp");
    const int32_t units = hasUnits ? IntegerOption("--units", o.units) : 0;
    const double real = hasReal ? NumberOption("--real", o.real) : 0;
    const float temp = hasTemp ? static_cast<float>(NumberOption("--temp", o.temp)) : 0;

    const RTableFile f = ReadHeader(o.file);
    auto table = CreateTable(f.kind, RangeOption(o.range));
    table->LoadFromPath(o.file);
    table->Calc();

    nlohmann::ordered_json j;
    if (f.kind == cttHeat) {
        if (hasUnits || hasReal)
            throw ECalibrationException("Таблица теплоты даёт только коэффициент при температуре (--temp)");
        j["value"] = JsonFloat(static_cast<THeatCalibrationTable&>(*table).GetHeatFactor(temp));
    } else if (f.kind == cttDiffTemperature && (hasUnits || hasReal) && !hasTemp) {
        throw ECalibrationException(
            "Для таблицы дифференциальной температуры нужна температура образца (--temp)");
    } else if (hasUnits) {
        j["value"] = JsonFloat(hasTemp ? table->GetRealValue(units, temp) : table->GetRealValue(units));
    } else if (hasReal) {
        const float r = static_cast<float>(real);
        j["value"] = f.kind == cttDiffTemperature ? table->GetUnitsValue(r, RoundToInt32(temp))
                                                  : table->GetUnitsValue(r);
    } else {
        j["value"] = JsonFloat(table->GetFactor(temp));
    }
    return j;
}

// ---- build ----

struct RBuildOptions {
    std::string kind, range, method = "line", out, name, tune;
    std::vector<std::string> points;
    bool marginPoints = false, recalcBase = false;
};

TInterpolationType MethodOption(const std::string& aMethod) {
    if (aMethod == "lagrange") return itPolynomial;
    if (aMethod == "lsq") return itMinSquare;
    if (aMethod == "bezier") return itBezie;
    return itLine;
}

void BuildHeat(THeatCalibrationTable& t, const RBuildOptions& o, const RRange& aRange) {
    const std::vector<RReferenceSubstance> substances = LoadReferenceSubstances(gConfig->fProgramDataPath);
    std::vector<RHeatRow> rows;
    for (const std::string& text : o.points) {
        const TPointFields f(
            text, {"substance", "unitValue", "weight", "specificHeat", "area", "description"}, "heat");
        // A reference substance gives the transition temperature, the heat and the name.
        const RReferenceSubstance* ref = nullptr;
        if (f.Has("substance")) {
            ref = FindReferenceSubstance(substances, f.Text("substance"));
            if (!ref) throw CLI::ValidationError("--point", "нет эталонного вещества " + f.Text("substance"));
        }
        auto number = [&](const char* aName, double aReference) {
            return ref && !f.Has(aName) ? aReference : f.Number(aName);
        };
        rows.push_back({RoundToInt32(number("unitValue", ref ? ref->meltingTemp : 0)), f.Integer("area"),
                        static_cast<float>(f.Number("weight")),
                        static_cast<float>(number("specificHeat", ref ? ref->meltingHeat : 0)),
                        ref && !f.Has("description") ? ref->name : f.Text("description")});
    }
    RHeatOptions options;
    options.method = MethodOption(o.method);
    options.useMarginPoints = o.marginPoints;
    options.recalcBase = o.recalcBase;
    if (!o.tune.empty()) {
        const auto pairs = ParsePairs("--tune", o.tune);
        for (const char* name : {"mass", "dH", "area", "transTemp"})
            if (!pairs.count(name))
                throw CLI::ValidationError("--tune", std::string("не указано поле ") + name);
        if (pairs.size() != 4)
            throw CLI::ValidationError("--tune", "ожидаются поля mass, dH, area, transTemp");
        options.useTunePoint = true;
        options.tuneMass = static_cast<float>(NumberOption("--tune mass", pairs.at("mass")));
        options.tuneDh = static_cast<float>(NumberOption("--tune dH", pairs.at("dH")));
        options.tuneTransTemp = static_cast<float>(NumberOption("--tune transTemp", pairs.at("transTemp")));
        options.tuneArea = RoundToInt32(NumberOption("--tune area", pairs.at("area")));
    }
    BuildHeatTable(t, rows, static_cast<float>(aRange.beg), static_cast<float>(aRange.end), options);
}

nlohmann::ordered_json Build(const RBuildOptions& o) {
    const TCalibrationTableType kind =
        o.kind == "temp" ? cttTemperature : (o.kind == "dt" ? cttDiffTemperature : cttHeat);
    const std::optional<RRange> givenRange = RangeOption(o.range);
    auto table = CreateTable(kind, givenRange);
    if (kind == cttTemperature) {
        std::vector<RTempRow> rows;
        for (const std::string& text : o.points) {
            const TPointFields f(text, {"unitValue", "realValue", "description"}, "temp");
            rows.push_back(
                {f.Integer("unitValue"), static_cast<float>(f.Number("realValue")), f.Text("description")});
        }
        BuildTempTable(static_cast<TTempCalibrationTable&>(*table), rows);
    } else if (kind == cttDiffTemperature) {
        auto& t = static_cast<TDiffTempCalibrationTable&>(*table);
        if (o.method != "line" && o.method != "lagrange")
            throw CLI::ValidationError(
                "--method", "таблица дифференциальной температуры строится методами line и lagrange");
        std::vector<RDiffTempRow> rows;
        for (const std::string& text : o.points) {
            const TPointFields f(text, {"unitValue", "diffTemperature", "peakHeight", "description"}, "dt");
            rows.push_back({f.Integer("unitValue"), static_cast<float>(f.Number("diffTemperature")),
                            f.Integer("peakHeight"), f.Text("description")});
        }
        BuildDiffTempTable(t, rows, MethodOption(o.method), static_cast<float>(t.GetBegTemp()),
                           static_cast<float>(t.GetEndTemp()));
    } else {
        auto& t = static_cast<THeatCalibrationTable&>(*table);
        BuildHeat(t, o, givenRange ? *givenRange : RealRange());
    }
    table->SetName(o.name);
    table->SaveToFile(o.out);
    nlohmann::ordered_json j = TableToJson(*table);
    j["version"] = TABLE_FILE_VERSION;  // as saved
    return j;
}

}  // namespace

void RegisterTableCommand(CLI::App& aApp, TCliContext& aContext) {
    auto* table = aApp.add_subcommand("table", "Calibration table files: show, convert, build");
    table->require_subcommand(1);

    auto* show = table->add_subcommand("show", "Print a calibration table file");
    auto showFile = std::make_shared<std::string>();
    show->add_option("FILE", *showFile, "Table file (*.tbl)")->required();
    show->callback([&aContext, showFile] {
        aContext.Process();
        aContext.Print(Show(*showFile));
    });

    auto* convert = table->add_subcommand("convert", "Convert a value through a calibration table file");
    auto co = std::make_shared<RConvertOptions>();
    convert->add_option("FILE", co->file, "Table file (*.tbl)")->required();
    convert->add_option("--units", co->units, "Counts to convert into the real value");
    convert->add_option("--real", co->real, "Real value to convert into counts");
    convert->add_option("--temp", co->temp, "Sample temperature (dT and heat tables)");
    convert->add_option("--range", co->range, "A:B range of the table (default: as at start-up)");
    convert->callback([&aContext, co] {
        aContext.Process();
        aContext.Print(Convert(*co));
    });

    auto* references = table->add_subcommand("references", "The reference substances for calibration");
    references->callback([&aContext] {
        aContext.Process();
        nlohmann::ordered_json j;
        j["substances"] = nlohmann::ordered_json::array();
        for (const RReferenceSubstance& r : LoadReferenceSubstances(gConfig->fProgramDataPath))
            j["substances"].push_back({{"id", r.id},
                                       {"name", r.name},
                                       {"meltingTemp", r.meltingTemp},
                                       {"meltingHeat", r.meltingHeat}});
        aContext.Print(j);
    });

    auto* build = table->add_subcommand("build", "Calculate a calibration table from points and save it");
    auto bo = std::make_shared<RBuildOptions>();
    build->add_option("--kind", bo->kind, "temp, dt or heat")
        ->required()
        ->check(CLI::IsMember({"temp", "dt", "heat"}));
    build->add_option("--range", bo->range,
                      "A:B: count range of a temp table, temperature range of a dt or heat table");
    build->add_option("--point", bo->points,
                      "A reference point as name=value pairs separated by commas (heat: substance=ID gives "
                      "unitValue, specificHeat and description)");
    build->add_option("--method", bo->method, "line, lagrange, lsq or bezier")
        ->check(CLI::IsMember({"line", "lagrange", "lsq", "bezier"}));
    build->add_option("--out", bo->out, "Table file to write")->required();
    build->add_option("--name", bo->name, "Description of the table");
    build->add_flag("--margin-points", bo->marginPoints,
                    "Heat: the polynomial goes through the margin points");
    build->add_option("--tune", bo->tune, "Heat tune point: mass=MG,dH=J/G,area=COUNTS,transTemp=T");
    build->add_flag("--recalc-base", bo->recalcBase, "Heat: the tune point rewrites the reference areas");
    build->callback([&aContext, bo] {
        aContext.Process();
        aContext.Print(Build(*bo));
    });
}

}  // namespace kalvero::cli
