#include "import/SkippedLines.h"

#include <algorithm>

namespace kalvero::foreign {
namespace {

// A hostile file may skip every other line; runs past this many are only counted.
constexpr size_t kKeptRuns = 100000;

const char* ReasonText(TSkipReason aReason) {
    switch (aReason) {
        case srEmptyCell:
            return "пустая ячейка в нужном столбце";
        case srNotNumber:
            return "не число в нужном столбце";
        case srNotFinite:
            return "бесконечное или неопределённое значение";
        case srTooFewCells:
            return "не хватает столбцов";
        case srCutShort:
            return "последняя строка оборвана (файл не дописан)";
        case srTimeOrder:
            return "время не возрастает";
    }
    return "";
}

}  // namespace

void TSkippedLines::AddRange(size_t aFirst, size_t aLast, TSkipReason aReason) {
    fCount += aLast - aFirst + 1;
    if (!fRuns.empty() && fRuns.back().reason == aReason && fRuns.back().last + 1 == aFirst) {
        fRuns.back().last = aLast;
    } else if (fRuns.size() < kKeptRuns) {
        fRuns.push_back({aFirst, aLast, aReason});
    } else {
        fUnlistedLines += aLast - aFirst + 1;
        ++fUnlistedRuns;
    }
}

void TSkippedLines::AppendWarnings(std::vector<std::string>& aWarnings) const {
    std::vector<TRun> runs = fRuns;
    std::sort(runs.begin(), runs.end(), [](const TRun& a, const TRun& b) { return a.first < b.first; });
    size_t shown = 0, restLines = fUnlistedLines, restRuns = fUnlistedRuns;
    for (const TRun& r : runs) {
        if (shown == kShownRuns) {
            restLines += r.last - r.first + 1, ++restRuns;
            continue;
        }
        ++shown;
        const std::string reason = ReasonText(r.reason);
        if (r.first == r.last)
            aWarnings.push_back("строка " + std::to_string(r.first) + " пропущена: " + reason);
        else
            aWarnings.push_back("строки " + std::to_string(r.first) + "–" + std::to_string(r.last) +
                                " пропущены: " + reason);
    }
    if (restRuns > 0)
        aWarnings.push_back("и ещё пропущено строк: " + std::to_string(restLines) + " (в " +
                            std::to_string(restRuns) + " местах)");
}

}  // namespace kalvero::foreign
