#include "import/RunBuilder.h"

#include <algorithm>
#include <cmath>

#include "common/Procs.h"
#include "import/ColumnChoice.h"
#include "import/HeaderFields.h"
#include "import/RowFormat.h"
#include "import/RowScanner.h"

namespace kalvero::foreign {
namespace {

constexpr size_t kShownRows = 20;
constexpr size_t kShownCells = 64;
// Lines looked at to find the format of the rows and the decimal separator.
constexpr size_t kSampleLines = 2000;

// The format of the rows and the index (in aHead) of the first row of numbers.
TRowsStart FindFormat(const TImportInput& aInput, const TTable& aTable, const std::vector<TTextLine>& aHead,
                      TImportedRun& aRun) {
    std::optional<TRowsStart> start = FindRows(aHead, 0, aTable.separator, aTable.decimal);
    if (!start && (aTable.separator || aTable.decimal)) {
        start = FindRows(aHead, 0);
        if (start) aRun.warnings.push_back(kOtherSeparators);
    }
    if (!start) Refuse(aInput, "нет строк с числами");
    SettleDecimal(aHead, start->index, start->format);
    if (!start->format.decimalKnown)
        aRun.warnings.push_back("Десятичный разделитель в первых " + std::to_string(aHead.size()) +
                                " строках не встретился: принята точка");
    return *start;
}

// Names for the cells the header does not name; a warning when the counts differ.
void MatchColumns(std::vector<TImportedColumn>& aColumns, size_t aCells, TImportedRun& aRun) {
    if (aColumns.size() > kMaxColumns || aCells > kMaxColumns) {
        aRun.warnings.push_back("Столбцов больше " + std::to_string(kMaxColumns) + ": остальные не читаются");
        aColumns.resize(std::min(aColumns.size(), kMaxColumns));
    } else if (!aColumns.empty() && aColumns.size() != aCells)
        aRun.warnings.push_back("В строках данных столбцов " + std::to_string(aCells) + ", а в заголовке " +
                                std::to_string(aColumns.size()));
    for (size_t i = aColumns.size(); i < std::min(aCells, kMaxColumns); ++i)
        aColumns.push_back({"Столбец " + std::to_string(i + 1), ""});
}

void FirstRows(const std::vector<TTextLine>& aHead, size_t aFrom, char aSeparator, TImportedRun& aRun) {
    for (size_t i = aFrom; i < aHead.size() && aRun.firstRows.size() < kShownRows; ++i) {
        if (aHead[i].text.find_first_not_of(" \t") == std::string_view::npos) continue;
        std::vector<std::string> row;
        for (const std::string_view cell : SplitCells(aHead[i].text, aSeparator, kShownCells))
            row.push_back(CleanText(cell.substr(0, 256)));
        aRun.firstRows.push_back(std::move(row));
    }
}

// Keeps the rows whose time rises: the first long run of rising time is taken whole (a few
// placeholder rows before the data make short runs), rows before it only while time falls going
// back, rows after it only while time rises past everything kept. Works in place, in one pass
// each way; the rows left out are added to aSkipped with their lines.
void KeepRisingTime(TImportedRun& aRun, const TRowLines& aLines, TSkippedLines& aSkipped) {
    std::vector<double>& t = aRun.time;
    const size_t n = t.size();
    if (n < 2) return;
    size_t longest = 1;
    for (size_t i = 1, run = 1; i < n; ++i) {
        run = t[i] > t[i - 1] ? run + 1 : 1;
        longest = std::max(longest, run);
    }
    size_t from = 0, to = n;
    for (size_t i = 1, start = 0; i <= n; ++i) {
        if (i < n && t[i] > t[i - 1]) continue;
        if (2 * (i - start) >= longest) {
            from = start, to = i;
            break;
        }
        start = i;
    }
    if (from == 0 && to == n) return;
    const auto move = [&](size_t aFrom, size_t aTo) {
        t[aTo] = t[aFrom];
        aRun.temperature[aTo] = aRun.temperature[aFrom];
        aRun.signal[aTo] = aRun.signal[aFrom];
        if (!aRun.segment.empty()) aRun.segment[aTo] = aRun.segment[aFrom];
    };
    // Left-out rows come in runs; each run becomes one range of lines.
    size_t runFirst = 0, runLast = 0;
    bool inRun = false;
    const auto leaveOut = [&](size_t aRow) {
        if (inRun && (aRow + 1 == runFirst || aRow == runLast + 1)) {
            runFirst = std::min(runFirst, aRow), runLast = std::max(runLast, aRow);
            return;
        }
        if (inRun) aSkipped.AddRange(aLines.LineOf(runFirst), aLines.LineOf(runLast), srTimeOrder);
        runFirst = runLast = aRow, inRun = true;
    };
    size_t low = from;  // kept rows are [low, high)
    for (size_t i = from; i-- > 0;) {
        if (t[i] < t[low])
            move(i, --low);
        else
            leaveOut(i);
    }
    size_t high = to;
    for (size_t i = to; i < n; ++i) {
        if (t[i] > t[high - 1])
            move(i, high++);
        else
            leaveOut(i);
    }
    if (inRun) aSkipped.AddRange(aLines.LineOf(runFirst), aLines.LineOf(runLast), srTimeOrder);
    for (size_t i = low; i < high; ++i)
        move(i, i - low);
    const size_t kept = high - low;
    t.resize(kept), aRun.temperature.resize(kept), aRun.signal.resize(kept);
    if (!aRun.segment.empty()) aRun.segment.resize(kept);
}

// Time from the temperature and the heating rate, for files without a time column.
void TimeFromTemperature(const TImportInput& aInput, TImportedRun& aRun) {
    if (!aRun.heatingRate || *aRun.heatingRate == 0)
        Refuse(aInput, "не найден столбец времени, а скорость нагрева в заголовке не указана");
    const std::vector<double>& temperature = aRun.temperature;
    const double rate = std::fabs(*aRun.heatingRate);
    const double sign = temperature.back() < temperature.front() ? -1 : 1;
    aRun.time.reserve(temperature.size());
    for (const double value : temperature)
        aRun.time.push_back(sign * (value - temperature.front()) / rate * 60);
    aRun.warnings.push_back("Столбца времени в файле нет: время вычислено по температуре при скорости " +
                            FormatFixed(rate, 2) + " K/мин");
}

// Seconds per unit of a time column without a unit: the one that makes the temperature change at
// the heating rate of the header, or else at a rate a DSC runs at (up to about 50 K/min: a change
// of more than 0.9 K per unit of time means minutes).
double GuessTimeUnit(TImportedRun& aRun) {
    const std::vector<double>& t = aRun.time;
    const double span = t.size() > 1 ? t.back() - t.front() : 0;
    const double change =
        aRun.temperature.empty() ? 0 : std::fabs(aRun.temperature.back() - aRun.temperature.front());
    double seconds = 1;
    if (span > 0 && aRun.heatingRate && *aRun.heatingRate != 0) {
        const double perUnit = change / span, rate = std::fabs(*aRun.heatingRate);
        seconds = std::fabs(perUnit * 60 - rate) < std::fabs(perUnit - rate) ? 1 : 60;
    } else if (span > 0) {
        seconds = change / span > 0.9 ? 60 : 1;
    }
    aRun.warnings.push_back(std::string("Единица времени в файле не указана: принято ") +
                            (seconds == 60 ? "«мин»" : "«с»") + " по ходу температуры");
    return seconds;
}

void Scale(std::vector<double>& aValues, double aFactor, double aOffset = 0) {
    if (aFactor == 1 && aOffset == 0) return;
    for (double& v : aValues)
        v = v * aFactor + aOffset;
}

}  // namespace

void TTable::RowsAfter(std::string_view aText, const TTextLine& aLine) {
    const size_t next = aText.find('\n', aLine.offset + aLine.text.size());
    rows = next == std::string_view::npos ? std::string_view() : aText.substr(next + 1);
    firstRowLine = aLine.number + 1;
}

void Refuse(const TImportInput& aInput, const std::string& aWhat) {
    throw EImportError("В файле " + aInput.shownName + " " + aWhat);
}

void BuildRun(const TImportInput& aInput, const TTable& aTable, TImportedRun& aRun) {
    aRun.encoding = aInput.encoding;
    aRun.warnings.insert(aRun.warnings.begin(), aInput.notes.begin(), aInput.notes.end());
    const std::vector<TTextLine> head = HeadLines(aTable.rows, kSampleLines, aTable.firstRowLine);
    const TRowsStart start = FindFormat(aInput, aTable, head, aRun);
    aRun.separator = start.format.separator;
    aRun.decimalSeparator = start.format.decimal;
    aRun.columns = aTable.columns;
    MatchColumns(aRun.columns, start.format.cells, aRun);
    FirstRows(head, start.index, start.format.separator, aRun);
    const TChosenColumns chosen = ChooseColumns(aInput, aRun.columns, aRun);
    aRun.timeColumn = chosen.time, aRun.temperatureColumn = chosen.temperature;
    aRun.signalColumn = chosen.signal, aRun.segmentColumn = chosen.segment;
    aRun.quantity = chosen.signalUnit.quantity;
    aRun.signalUnit = chosen.signalUnit.unit;

    TReadProgress progress(aTable.rows, aInput.pages, aInput.options.progress, aInput.shownName);
    const size_t lines = CountLines(aTable.rows, progress);
    TRowSink sink{chosen.time >= 0 ? &aRun.time : nullptr, &aRun.temperature, &aRun.signal,
                  chosen.segment >= 0 ? &aRun.segment : nullptr};
    if (sink.time) sink.time->reserve(lines);
    sink.temperature->reserve(lines);
    sink.signal->reserve(lines);
    if (sink.segment) sink.segment->reserve(lines);
    TRowScan scan{aTable.rows,          aTable.firstRowLine, start.format.separator,
                  start.format.decimal, chosen.time,         chosen.temperature,
                  chosen.signal,        chosen.segment,      start.format.cells};
    TRowLines rowLines;
    TSkippedLines skipped;
    ScanRows(scan, sink, rowLines, skipped, progress);
    if (aRun.temperature.empty()) {
        std::vector<std::string> reasons;
        skipped.AppendWarnings(reasons);
        Refuse(aInput, "нет ни одной строки с числами в нужных столбцах" +
                           (reasons.empty() ? std::string() : " (" + reasons.front() + ")"));
    }

    Scale(aRun.temperature, chosen.celsius.factor, chosen.celsius.offset);
    if (chosen.time < 0) TimeFromTemperature(aInput, aRun);
    KeepRisingTime(aRun, rowLines, skipped);
    Scale(aRun.time, chosen.time < 0             ? 1
                     : chosen.secondsPerTimeUnit ? *chosen.secondsPerTimeUnit
                                                 : GuessTimeUnit(aRun));
    Scale(aRun.signal, chosen.signalUnit.factor);

    if (aInput.options.mass) aRun.mass = aInput.options.mass;
    if (aInput.options.endoUp)
        aRun.endoUp = aInput.options.endoUp;
    else if (!aRun.endoUp)
        aRun.warnings.push_back("Направление эндотермических эффектов в файле не указано");
    aRun.rowsRead = aRun.time.size();
    aRun.rowsSkipped = skipped.Count();
    skipped.AppendWarnings(aRun.warnings);
}

}  // namespace kalvero::foreign
