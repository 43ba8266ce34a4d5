#pragma once
// Data lines left out of an import and why, grouped into runs of consecutive lines of one reason
// for the warnings: "строки 12–15 пропущены: не число в нужном столбце".

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kalvero::foreign {

enum TSkipReason : uint8_t {
    srEmptyCell,
    srNotNumber,
    srNotFinite,
    srTooFewCells,
    srCutShort,
    srTimeOrder,
};

class TSkippedLines {
public:
    // Lines are best added in increasing order: a line right after the last run of the same
    // reason extends it.
    void Add(size_t aLine, TSkipReason aReason) { AddRange(aLine, aLine, aReason); }
    void AddRange(size_t aFirst, size_t aLast, TSkipReason aReason);
    // Lines left out in all.
    size_t Count() const { return fCount; }
    // One warning a run, in the order of the lines, at most kShownRuns; then one that counts the rest.
    void AppendWarnings(std::vector<std::string>& aWarnings) const;

    static constexpr size_t kShownRuns = 20;

private:
    struct TRun {
        size_t first, last;
        TSkipReason reason;
    };
    std::vector<TRun> fRuns;
    size_t fCount = 0;
    size_t fUnlistedLines = 0, fUnlistedRuns = 0;  // past the cap on kept runs
};

}  // namespace kalvero::foreign
