#include "import/RowScanner.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include <fast_float/fast_float.h>

#include "import/ImportedRun.h"

namespace kalvero::foreign {
namespace {

const size_t kPage = static_cast<size_t>(::sysconf(_SC_PAGESIZE));

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Plain decimals of up to 15 digits ("-123.456"), nearly every cell of an export, are read here
// at once: the digits as an integer (below 2^53, so exact) divided by a power of ten that a double
// holds exactly; IEEE division rounds that quotient correctly, so the value is the one fast_float
// gives. Anything else (an exponent, more digits, "nan") returns null and goes to fast_float.
inline const char* ParsePlainDecimal(const char* p, const char* e, char aDecimal, double& aValue) {
    static constexpr double kPowers[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool negative = p < e && *p == '-';
    if (negative) ++p;
    uint64_t mantissa = 0;
    int digits = 0, fraction = 0;
    for (; p < e && static_cast<unsigned>(*p - '0') < 10; ++p, ++digits)
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    if (p < e && *p == aDecimal)
        for (++p; p < e && static_cast<unsigned>(*p - '0') < 10; ++p, ++digits, ++fraction)
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    if (digits == 0 || digits > 15 || (p < e && (*p == 'e' || *p == 'E'))) return nullptr;
    const double value = static_cast<double>(mantissa) / kPowers[fraction];
    aValue = negative ? -value : value;
    return p;
}

// What a row's cells are read into: slots 0 … 3 are time, temperature, signal, segment.
struct TRowValues {
    double v[4] = {0, 0, 0, 0};
};

// Reads cells 0 … slots.size() − 1 of the line [p, e) (blanks trimmed at both ends), the numbers of
// the cells that have slots. Returns false with the reason of the first bad cell.
class TRowParser {
public:
    TRowParser(const TRowScan& aScan, const std::vector<uint8_t>& aSlots)
        : fSlots(aSlots),
          fSeparator(aScan.separator),
          fBlanks(aScan.separator == kBlanks),
          fTabIsBlank(aScan.separator != '\t'),
          fDecimal(aScan.decimal),
          fOptions(fast_float::chars_format::general, aScan.decimal) {}

    bool Parse(const char* p, const char* e, TRowValues& aRow, TSkipReason& aReason) const {
        bool more = true;
        const size_t cells = fSlots.size();
        for (size_t cell = 0; cell < cells; ++cell) {
            if (!more) {
                aReason = srTooFewCells;
                return false;
            }
            const uint8_t slots = fSlots[cell];
            if (slots == 0) {
                p = SkipCell(p, e, more);
                continue;
            }
            while (p < e && IsCellBlank(*p))
                ++p;
            const bool quoted = p < e && *p == '"';
            if (quoted) ++p;
            if (p < e && *p == '+' && p + 1 < e && p[1] != '-') ++p;
            double x;
            const char* end = ParsePlainDecimal(p, e, fDecimal, x);
            if (!end) end = fast_float::from_chars_advanced(p, e, x, fOptions).ptr;
            if (end == p) {
                aReason = AtCellEnd(p, e, quoted) ? srEmptyCell : srNotNumber;
                return false;
            }
            p = end;
            if (quoted) {
                if (p == e || *p != '"') {
                    aReason = srNotNumber;
                    return false;
                }
                ++p;
            }
            const char* after = p;
            while (p < e && IsCellBlank(*p))
                ++p;
            if (fBlanks ? (after < e && p == after) : (p < e && *p != fSeparator)) {
                aReason = srNotNumber;
                return false;
            }
            if (!std::isfinite(x)) {
                aReason = srNotFinite;
                return false;
            }
            for (int s = 0; s < 4; ++s)
                if (slots & (1u << s)) aRow.v[s] = x;
            more = p < e;
            if (more && !fBlanks) ++p;
        }
        return true;
    }

private:
    bool IsCellBlank(char c) const { return c == ' ' || (fTabIsBlank && c == '\t'); }

    bool AtCellEnd(const char* p, const char* e, bool aQuoted) const {
        while (p < e && IsCellBlank(*p))
            ++p;
        if (aQuoted) return p < e && *p == '"';
        return p == e || (!fBlanks && *p == fSeparator);
    }

    const char* SkipCell(const char* p, const char* e, bool& aMore) const {
        if (fBlanks) {
            while (p < e && !IsBlank(*p))
                ++p;
            while (p < e && IsBlank(*p))
                ++p;
            aMore = p < e;
            return p;
        }
        while (p < e && *p == ' ')
            ++p;
        if (p < e && *p == '"') {
            const void* close = std::memchr(p + 1, '"', static_cast<size_t>(e - p - 1));
            p = close ? static_cast<const char*>(close) + 1 : e;
        }
        while (p < e && *p != fSeparator)
            ++p;
        aMore = p < e;
        return aMore ? p + 1 : p;
    }

    const std::vector<uint8_t>& fSlots;
    char fSeparator;
    bool fBlanks, fTabIsBlank;
    char fDecimal;
    fast_float::parse_options fOptions;
};

// Line breaks counted in byte-wide counters, 32 at a time, up to 255 steps before they are added
// up: the compiler makes vector code of it, several times faster than std::count.
size_t CountLineBreaks(std::string_view aText) {
    const auto* p = reinterpret_cast<const unsigned char*>(aText.data());
    const size_t n = aText.size();
    size_t count = 0, i = 0;
    while (n - i >= 32) {
        const size_t steps = std::min<size_t>((n - i) / 32, 255);
        unsigned char counters[32] = {};
        for (size_t s = 0; s < steps; ++s, i += 32)
            for (size_t k = 0; k < 32; ++k)
                counters[k] = static_cast<unsigned char>(counters[k] + (p[i + k] == '\n'));
        for (const unsigned char c : counters)
            count += c;
    }
    for (; i < n; ++i)
        count += p[i] == '\n';
    return count;
}

// The next line break from p, looked for a few megabytes at a time so that crossing a line of
// gigabytes reports progress and lets its pages go.
const char* FindLineEnd(const char* p, const char* end, TReadProgress& aProgress) {
    for (;;) {
        const size_t n = std::min(static_cast<size_t>(end - p), TReadProgress::kStep);
        if (const void* nl = std::memchr(p, '\n', n)) return static_cast<const char*>(nl);
        p += n;
        if (p == end) return nullptr;
        aProgress.Passed(p);
    }
}

}  // namespace

TCellStatus ParseCell(std::string_view aCell, char aDecimal, double& aValue) {
    while (!aCell.empty() && IsBlank(aCell.front()))
        aCell.remove_prefix(1);
    while (!aCell.empty() && (IsBlank(aCell.back()) || aCell.back() == '\r'))
        aCell.remove_suffix(1);
    if (aCell.size() >= 2 && aCell.front() == '"' && aCell.back() == '"')
        aCell = aCell.substr(1, aCell.size() - 2);
    if (aCell.size() > 1 && aCell[0] == '+' && aCell[1] != '-') aCell.remove_prefix(1);
    if (aCell.empty()) return csEmpty;
    const char* end = aCell.data() + aCell.size();
    const auto r = fast_float::from_chars_advanced(
        aCell.data(), end, aValue, fast_float::parse_options(fast_float::chars_format::general, aDecimal));
    if (r.ptr != end || r.ptr == aCell.data()) return csNotNumber;
    return std::isfinite(aValue) ? csNumber : csNotFinite;
}

std::vector<std::string_view> SplitCells(std::string_view aLine, char aSeparator, size_t aMaxCells) {
    std::vector<std::string_view> cells;
    size_t pos = 0;
    const size_t n = aLine.size();
    if (aSeparator == kBlanks) {
        while (pos < n && cells.size() < aMaxCells) {
            while (pos < n && IsBlank(aLine[pos]))
                ++pos;
            if (pos == n) break;
            const size_t start = pos;
            bool quoted = false;
            while (pos < n && (quoted || !IsBlank(aLine[pos])))
                quoted ^= aLine[pos++] == '"';
            cells.push_back(aLine.substr(start, pos - start));
        }
        return cells;
    }
    while (cells.size() < aMaxCells) {
        const size_t start = pos;
        bool quoted = false;
        while (pos < n && (quoted || aLine[pos] != aSeparator))
            quoted ^= aLine[pos++] == '"';
        cells.push_back(aLine.substr(start, pos - start));
        if (pos >= n) break;
        ++pos;
    }
    return cells;
}

char SeparatorOfNames(std::string_view aLine) {
    for (const char c : {';', '\t', ','})
        if (aLine.find(c) != std::string_view::npos) return c;
    return kBlanks;
}

std::vector<TTextLine> HeadLines(std::string_view aText, size_t aMaxLines, size_t aFirstNumber) {
    std::vector<TTextLine> lines;
    size_t pos = 0;
    while (pos < aText.size() && lines.size() < aMaxLines && pos < kHeadScanBytes) {
        const size_t nl = aText.substr(0, kHeadScanBytes).find('\n', pos);
        if (nl == std::string_view::npos && aText.size() > kHeadScanBytes) break;
        const size_t end = nl == std::string_view::npos ? aText.size() : nl;
        std::string_view line = aText.substr(pos, std::min(end - pos, kMaxHeaderLine));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back({line, aFirstNumber + lines.size(), pos});
        pos = end + 1;
    }
    return lines;
}

void TMappedPages::Drop(const char* aFrom, const char* aTo) const {
    const auto lo = reinterpret_cast<uintptr_t>(fMapping.data());
    const uintptr_t hi = lo + fMapping.size();
    const auto from = (std::max(reinterpret_cast<uintptr_t>(aFrom), lo) + kPage - 1) & ~(kPage - 1);
    const auto to = std::min(reinterpret_cast<uintptr_t>(aTo), hi) & ~(kPage - 1);
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
}

TReadProgress::TReadProgress(std::string_view aText, const TMappedPages* aPages,
                             std::function<bool(uint64_t, uint64_t)> aCallback, std::string aShownName)
    : fText(aText),
      fPages(aPages),
      fCallback(std::move(aCallback)),
      fShownName(std::move(aShownName)),
      fNext(aText.data() + kStep),
      fReleased(aText.data()) {}

void TReadProgress::Report(const char* aAt) {
    fNext = aAt + kStep;
    Drop(fReleased, aAt);
    fReleased = aAt;
    if (fCallback && !fCallback(static_cast<uint64_t>(aAt - fText.data()), fText.size()))
        throw EImportCancelled("Чтение файла " + fShownName + " прервано");
}

size_t TRowLines::LineOf(size_t aRow) const {
    const auto after = std::upper_bound(fAnchors.begin(), fAnchors.end(), aRow,
                                        [](size_t aValue, const TAnchor& a) { return aValue < a.row; });
    if (after == fAnchors.begin()) return aRow + 1;
    const TAnchor& a = *(after - 1);
    return a.line + (aRow - a.row);
}

size_t CountLines(std::string_view aText, TReadProgress& aProgress) {
    size_t lines = 0;
    for (size_t pos = 0; pos < aText.size(); pos += TReadProgress::kStep) {
        const std::string_view chunk = aText.substr(pos, TReadProgress::kStep);
        lines += CountLineBreaks(chunk);
        aProgress.Drop(chunk.data(), chunk.data() + chunk.size());
    }
    return lines + (!aText.empty() && aText.back() != '\n');
}

void ScanRows(const TRowScan& aScan, const TRowSink& aSink, TRowLines& aLines, TSkippedLines& aSkipped,
              TReadProgress& aProgress) {
    const int cells[4] = {aScan.timeCell, aScan.temperatureCell, aScan.signalCell, aScan.segmentCell};
    std::vector<uint8_t> slots(static_cast<size_t>(*std::max_element(cells, cells + 4) + 1), 0);
    for (int s = 0; s < 4; ++s)
        if (cells[s] >= 0) slots[static_cast<size_t>(cells[s])] |= static_cast<uint8_t>(1u << s);
    const TRowParser parser(aScan, slots);
    const bool blanks = aScan.separator == kBlanks;

    const char* p = aScan.text.data();
    const char* const end = p + aScan.text.size();
    size_t line = aScan.firstLine, expected = 0, rows = 0;
    for (; p < end; ++line) {
        const char* nl = FindLineEnd(p, end, aProgress);
        const char* next = nl ? nl + 1 : end;
        const char* e = nl ? nl : end;
        while (e > p && (e[-1] == '\r' || e[-1] == ' ' || (blanks && e[-1] == '\t')))
            --e;
        const char* s = p;
        while (s < e && IsBlank(*s))
            ++s;
        if (s == e) {
            p = next;
            continue;
        }
        TRowValues row;
        TSkipReason reason = srNotNumber;
        bool ok = parser.Parse(blanks ? s : p, e, row, reason);
        if (ok && aSink.segment && !(row.v[3] == std::trunc(row.v[3]) && std::fabs(row.v[3]) <= 2147483647.0))
            ok = false, reason = srNotNumber;
        // A file that stops in the middle of its last row: the row lacks cells, or may lack digits.
        const std::string_view whole(p, std::min(static_cast<size_t>(e - p), kMaxHeaderLine));
        if (!nl && (ok ? SplitCells(whole, aScan.separator).size() < aScan.fullCells : reason != srNotFinite))
            ok = false, reason = srCutShort;
        if (ok) {
            if (line != expected) aLines.Add(rows, line);
            expected = line + 1;
            ++rows;
            if (aSink.time) aSink.time->push_back(row.v[0]);
            aSink.temperature->push_back(row.v[1]);
            aSink.signal->push_back(row.v[2]);
            if (aSink.segment) aSink.segment->push_back(static_cast<int32_t>(row.v[3]));
        } else {
            aSkipped.Add(line, reason);
        }
        p = next;
        aProgress.Passed(p);
    }
    aProgress.Finished();
}

}  // namespace kalvero::foreign
