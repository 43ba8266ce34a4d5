#include "import/ColumnChoice.h"

#include <algorithm>
#include <string>

#include "import/HeaderFields.h"

namespace kalvero::foreign {
namespace {

struct TRoles {
    std::vector<TColumnRole> role;
    std::vector<bool> byUnit;
};

std::string Quoted(const TImportedColumn& aColumn) {
    return "«" + CleanText(aColumn.name.empty() ? aColumn.unit : aColumn.name) + "»";
}

// Columns of aRole, those known by name first.
std::vector<int> OfRole(const TRoles& aRoles, TColumnRole aRole) {
    std::vector<int> found;
    for (const bool byUnit : {false, true})
        for (size_t i = 0; i < aRoles.role.size(); ++i)
            if (aRoles.role[i] == aRole && aRoles.byUnit[i] == byUnit) found.push_back(static_cast<int>(i));
    return found;
}

// The first of aFound, with a warning naming the others when there are several.
int FirstOf(const std::vector<int>& aFound, const std::vector<TImportedColumn>& aColumns, const char* aWhat,
            TImportedRun& aRun) {
    if (aFound.empty()) return -1;
    if (aFound.size() > 1) {
        std::string others;
        for (size_t i = 1; i < aFound.size(); ++i)
            others += (i > 1 ? ", " : "") + Quoted(aColumns[static_cast<size_t>(aFound[i])]);
        aRun.warnings.push_back(std::string(aWhat) + " взят столбец " +
                                Quoted(aColumns[static_cast<size_t>(aFound[0])]) + "; есть также " + others);
    }
    return aFound[0];
}

// The column the options name, by its name (any case) or its number from 1.
int NamedColumn(const TImportInput& aInput, const std::vector<TImportedColumn>& aColumns) {
    const std::string wanted = FoldCase(Trim(aInput.options.signalColumn));
    if (!wanted.empty() &&
        std::all_of(wanted.begin(), wanted.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const size_t number = wanted.size() < 8 ? std::stoul(wanted) : 0;
        if (number >= 1 && number <= aColumns.size()) return static_cast<int>(number - 1);
    }
    for (size_t i = 0; i < aColumns.size(); ++i)
        if (FoldCase(Trim(aColumns[i].name)) == wanted) return static_cast<int>(i);
    Refuse(aInput, "нет столбца «" + CleanText(aInput.options.signalColumn) + "»");
}

TSignalUnit SignalUnitOf(const TImportedColumn& aColumn, TColumnRole aRole, TImportedRun& aRun) {
    if (const auto unit = SignalUnit(aColumn.unit)) return *unit;
    // Without a unit: a DTA signal is mostly thermocouple microvolts, dT degrees, the rest heat flow.
    TSignalUnit assumed{sqHeatFlow, "mW", 1};
    if (aRole == crDiffTemp) {
        const bool dta = FoldCase(aColumn.name).find("dta") != std::string::npos;
        assumed = dta ? TSignalUnit{sqVoltage, "µV", 1} : TSignalUnit{sqDiffTemp, "K", 1};
    }
    aRun.warnings.push_back((aColumn.unit.empty()
                                 ? "Единица сигнала " + Quoted(aColumn) + " не указана"
                                 : "Единица сигнала «" + CleanText(aColumn.unit) + "» не распознана") +
                            ": принято " + assumed.unit);
    return assumed;
}

}  // namespace

TChosenColumns ChooseColumns(const TImportInput& aInput, const std::vector<TImportedColumn>& aColumns,
                             TImportedRun& aRun) {
    TRoles roles;
    for (const TImportedColumn& c : aColumns) {
        bool byUnit = false;
        roles.role.push_back(RoleOfColumn(c.name, c.unit, byUnit));
        roles.byUnit.push_back(byUnit);
    }
    TChosenColumns chosen;
    chosen.time = FirstOf(OfRole(roles, crTime), aColumns, "Временем", aRun);
    chosen.temperature = FirstOf(OfRole(roles, crTemperature), aColumns, "Температурой", aRun);
    if (chosen.temperature < 0) {
        chosen.temperature = FirstOf(OfRole(roles, crRefTemperature), aColumns, "Температурой", aRun);
        if (chosen.temperature < 0) Refuse(aInput, "не найден столбец температуры");
        aRun.warnings.push_back("Температуры образца в файле нет: взята температура столбца " +
                                Quoted(aColumns[static_cast<size_t>(chosen.temperature)]));
    }
    if (!aInput.options.signalColumn.empty()) {
        chosen.signal = NamedColumn(aInput, aColumns);
    } else {
        std::vector<int> signals = OfRole(roles, crHeatFlow);
        for (const TColumnRole r : {crDiffTemp, crSignal})
            for (const int i : OfRole(roles, r))
                signals.push_back(i);
        chosen.signal = FirstOf(signals, aColumns, "Сигналом", aRun);
        if (chosen.signal < 0) Refuse(aInput, "не найден столбец сигнала (теплового потока, dT или DTA)");
    }
    chosen.segment = FirstOf(OfRole(roles, crSegment), aColumns, "Сегментом", aRun);

    for (const int i : {chosen.time, chosen.temperature, chosen.signal}) {
        if (i >= 0 && roles.byUnit[static_cast<size_t>(i)])
            aRun.warnings.push_back("Столбец " + Quoted(aColumns[static_cast<size_t>(i)]) +
                                    " опознан только по единице «" +
                                    CleanText(aColumns[static_cast<size_t>(i)].unit) + "»");
    }
    if (chosen.time >= 0) {
        const TImportedColumn& c = aColumns[static_cast<size_t>(chosen.time)];
        chosen.secondsPerTimeUnit = SecondsPerUnit(c.unit);
        if (!c.unit.empty() && !chosen.secondsPerTimeUnit)
            aRun.warnings.push_back("Единица времени «" + CleanText(c.unit) + "» не распознана");
    }
    const TImportedColumn& t = aColumns[static_cast<size_t>(chosen.temperature)];
    if (const auto scale = CelsiusScale(t.unit)) {
        chosen.celsius = *scale;
    } else {
        aRun.warnings.push_back((t.unit.empty()
                                     ? std::string("Единица температуры не указана")
                                     : "Единица температуры «" + CleanText(t.unit) + "» не распознана") +
                                ": принято °C");
    }
    const size_t s = static_cast<size_t>(chosen.signal);
    chosen.signalUnit = SignalUnitOf(aColumns[s], roles.role[s], aRun);
    return chosen;
}

}  // namespace kalvero::foreign
