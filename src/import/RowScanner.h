#pragma once
// Lines and numbers of text exports. Headers are read as lines of bounded length; the rows are
// parsed in one pass straight into the run's vectors (reserved from a count of the lines), one
// conversion per needed cell (fast_float, or an exact shortcut for plain decimals) and no string
// per cell, so that a file of ten million rows reads in about half a second and takes little
// more memory than its samples.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "import/SkippedLines.h"

namespace kalvero::foreign {

// Header lines longer than this are cut: nothing of interest in a header is longer.
constexpr size_t kMaxHeaderLine = 64 * 1024;
// Columns past this many are not read.
constexpr size_t kMaxColumns = 1024;
// Bytes of a text looked through for its header lines at most.
constexpr size_t kHeadScanBytes = size_t{64} << 20;
// Separator value meaning "runs of blanks or tabs".
constexpr char kBlanks = ' ';

enum TCellStatus : uint8_t { csNumber, csEmpty, csNotNumber, csNotFinite };

// A cell as a number: blanks around it, a pair of quotes and a leading '+' allowed; nothing else
// may follow. Non-finite values (NaN, inf, 1e400) are csNotFinite.
TCellStatus ParseCell(std::string_view aCell, char aDecimal, double& aValue);

// The cells of a line (aSeparator kBlanks: runs of blanks), quotes respected, at most aMaxCells
// (by default one more than are read, so that too many can be told).
std::vector<std::string_view> SplitCells(std::string_view aLine, char aSeparator,
                                         size_t aMaxCells = kMaxColumns + 1);

// The separator of a header line that lists names: the first of ';', tab and ',' it holds, or
// blanks when it holds none.
char SeparatorOfNames(std::string_view aLine);

// A line of a header, cut to kMaxHeaderLine bytes, without its line break.
struct TTextLine {
    std::string_view text;
    size_t number = 0;  // 1-based line number in the file
    size_t offset = 0;  // where the line starts in the text
};

// The first lines of a text, up to aMaxLines, each cut to kMaxHeaderLine; no more lines once
// kHeadScanBytes have been gone through (a line of gigabytes ends the header).
std::vector<TTextLine> HeadLines(std::string_view aText, size_t aMaxLines, size_t aFirstNumber = 1);

// The pages of a file mapped for reading. Those a pass over the text has gone through may be let
// go (they come back from the page cache when read again), so that a large import holds its
// samples, not the file.
class TMappedPages {
public:
    explicit TMappedPages(std::string_view aMapping) : fMapping(aMapping) {}
    // Lets go the whole pages inside [aFrom, aTo); nothing for memory outside the mapping.
    void Drop(const char* aFrom, const char* aTo) const;

private:
    std::string_view fMapping;
};

// Reports progress to the caller's callback every few megabytes and lets the mapped pages behind
// the scan go.
class TReadProgress {
public:
    TReadProgress(std::string_view aText, const TMappedPages* aPages,
                  std::function<bool(uint64_t, uint64_t)> aCallback, std::string aShownName);
    // The scan has reached aAt. Throws EImportCancelled when the callback says stop.
    void Passed(const char* aAt) {
        if (aAt >= fNext) Report(aAt);
    }
    // The mapped pages of [aFrom, aTo) may go: a pass (the count of lines) is through with them.
    void Drop(const char* aFrom, const char* aTo) const {
        if (fPages) fPages->Drop(aFrom, aTo);
    }
    // The scan is through: the callback hears of the whole text done.
    void Finished() { Report(fText.data() + fText.size()); }
    static constexpr size_t kStep = size_t{4} << 20;

private:
    void Report(const char* aAt);

    std::string_view fText;
    const TMappedPages* fPages;
    std::function<bool(uint64_t, uint64_t)> fCallback;
    std::string fShownName;
    const char* fNext;
    const char* fReleased;
};

// Line numbers of the rows kept: one anchor wherever the rows stop following the lines one to one.
class TRowLines {
public:
    void Add(size_t aRow, size_t aLine) { fAnchors.push_back({aRow, aLine}); }
    size_t LineOf(size_t aRow) const;

private:
    struct TAnchor {
        size_t row, line;
    };
    std::vector<TAnchor> fAnchors;
};

// Where the rows are and which cells of a row to read.
struct TRowScan {
    std::string_view text;  // the rows, from the first line of data to the end (or the footer)
    size_t firstLine = 1;
    char separator = ',';
    char decimal = '.';
    int timeCell = -1, temperatureCell = -1, signalCell = -1, segmentCell = -1;  // -1: none
    size_t fullCells = 0;  // the cells of a whole row: a last line with fewer was cut short
};

struct TRowSink {
    std::vector<double>* time = nullptr;  // null when the file has no time column
    std::vector<double>* temperature = nullptr;
    std::vector<double>* signal = nullptr;
    std::vector<int32_t>* segment = nullptr;  // null when the file has no segment column
};

// Lines of the text (a last line without a line break counted).
size_t CountLines(std::string_view aText, TReadProgress& aProgress);

// Parses every row into the sink's vectors (reserved for the count of lines first). Blank lines
// are passed over; lines with a needed cell empty, not a number or not finite, or too short, are
// added to aSkipped.
void ScanRows(const TRowScan& aScan, const TRowSink& aSink, TRowLines& aLines, TSkippedLines& aSkipped,
              TReadProgress& aProgress);

}  // namespace kalvero::foreign
