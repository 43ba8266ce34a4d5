#pragma once
// Text exports of other instruments read into one neutral run: time, temperature and one signal
// with what the file says about the sample. The readers guess nothing silently: every assumption
// (a unit taken for granted, a column chosen among several, the decimal separator) and every row
// left out becomes a warning in Russian that the operator sees before the run is used.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "data/PhysicalUnits.h"

namespace kalvero {

// A column as found in the file.
struct TImportedColumn {
    std::string name;
    std::string unit;
};

struct TImportedRun {
    std::string layout;               // "delimited", "keyvalue", "twoline", "hashkey"
    std::vector<double> time;         // s, strictly increasing after the reader's checks
    std::vector<double> temperature;  // °C (K and min converted)
    std::vector<double> signal;       // in signalUnit
    std::vector<int32_t> segment;     // segment of every row; empty when the file has no segment column
    TSignalQuantity quantity = sqHeatFlow;
    std::string signalUnit;             // canonical: "mW", "mW/mg", "W/g", "K", "µV", "µV/mg"
    std::optional<double> mass;         // sample mass, mg
    std::optional<double> heatingRate;  // K/min, from the header when it says
    std::optional<bool> endoUp;         // direction of endothermic effects when the file says
    std::string sampleName, instrument, operatorName, dateText, comment;
    std::vector<std::string> declaredSegments;  // "#SEG. n:" texts and the like, in order
    std::vector<TImportedColumn> columns;       // every column of the file
    int timeColumn = -1, temperatureColumn = -1, signalColumn = -1, segmentColumn = -1;
    std::vector<std::vector<std::string>> firstRows;  // up to 20 data rows as cell texts
    size_t rowsRead = 0;                              // rows in the run
    size_t rowsSkipped = 0;                           // data lines left out (each named in a warning)
    std::vector<std::string> warnings;                // Russian, each naming the lines concerned
    // How the text was read: "UTF-8", "UTF-16LE", "UTF-16BE", "Windows-1251", "Latin-1"; the cell
    // separator ('\t', ';', ',', or ' ' for runs of blanks) and the decimal separator.
    std::string encoding;
    char separator = '\t';
    char decimalSeparator = '.';
};

struct TImportOptions {
    std::optional<double> mass;  // mg: overrides the file
    std::optional<bool> endoUp;  // overrides the file
    std::string signalColumn;    // a column name (or 1-based number) to take as the signal
    // Called now and then with bytes done and total; returning false cancels (EImportCancelled).
    std::function<bool(uint64_t, uint64_t)> progress;
};

// A file that cannot be imported; the message is for the operator.
class EImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The progress callback asked to stop.
class EImportCancelled : public EImportError {
public:
    using EImportError::EImportError;
};

// Reads a file (memory-mapped), choosing the reader by the content, not the extension.
TImportedRun ImportForeignFile(const std::string& aPath, const TImportOptions& aOptions = {});
// The same for bytes in memory; aShownName names the file in messages.
TImportedRun ImportForeignText(std::string_view aBytes, const TImportOptions& aOptions,
                               const std::string& aShownName);
// Whether the bytes look like a text export this module reads (false for the program's own binary
// experiment files and anything else that is not text with numbers).
bool LooksLikeForeignData(std::string_view aFirstBytes);

}  // namespace kalvero
