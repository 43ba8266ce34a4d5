#pragma once
// How the rows of a file are written: the cell separator (tab, semicolon, comma or blanks) and the
// decimal separator (point or comma), found from the rows themselves when the header does not say.
// A comma cannot separate both cells and decimals, so "1,5;2,5" reads as two numbers.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "import/RowScanner.h"

namespace kalvero::foreign {

struct TRowFormat {
    char separator = ',';
    char decimal = '.';
    size_t cells = 0;           // cells of a row
    bool decimalKnown = false;  // a number with a decimal separator was seen, or the file says
};

// Whether the line is a row of numbers: at least two cells, every one that is not empty a finite
// number. aCells gets the cells, aDecimalSeen whether a number had the decimal separator.
bool IsNumberRow(std::string_view aLine, char aSeparator, char aDecimal, size_t& aCells, bool& aDecimalSeen);

// The format in which aLines[aIndex] is a row of numbers and so are most of the (up to four)
// non-blank lines after it, with as many cells. aSeparator and aDecimal, when not 0, are given.
std::optional<TRowFormat> RowFormatAt(const std::vector<TTextLine>& aLines, size_t aIndex,
                                      char aSeparator = 0, char aDecimal = 0);

// The first line from aFrom on where rows of numbers begin, with their format.
struct TRowsStart {
    size_t index = 0;
    TRowFormat format;
};
std::optional<TRowsStart> FindRows(const std::vector<TTextLine>& aLines, size_t aFrom, char aSeparator = 0,
                                   char aDecimal = 0);

// When the first rows held whole numbers only, the lines after them (from aIndex) decide the
// decimal separator: the first row that reads with one and not with the other. The point when
// none does (aFormat.decimalKnown stays false).
void SettleDecimal(const std::vector<TTextLine>& aLines, size_t aIndex, TRowFormat& aFormat);

}  // namespace kalvero::foreign
