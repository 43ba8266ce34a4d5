#pragma once
// Numbers as text and text as numbers, with the program's fixed formats.
//
// The decimal separator is always the point, whatever the C locale says: files, logs and screens
// must not change with the machine's regional settings. Formatting rounds halves away from zero
// (see FormatFixed). Including this header brings in the rest of the helper unit too.

#include <cstdint>
#include <string>
#include <variant>

#include "common/MathProcs.h"
#include "common/MsgBoxes.h"
#include "common/StrProcs.h"

namespace kalvero {

// The loosely typed values that reach ToInteger and NumToStr (grid cells, settings, plug-ins).
using TVariant = std::variant<std::monostate, int16_t, int32_t, double, std::string>;

// aValue with aDecimals digits after the point (none and no point when 0 or less). Halves are
// rounded away from zero on the shortest decimal text that reads back as aValue, so 0.125 gives
// "0.13" and 2.675 (stored as 2.67499999...) gives "2.68", as a person reading the number
// expects. A result that rounds to zero carries no minus sign. "nan", "inf", "-inf" otherwise.
std::string FormatFixed(double aValue, int aDecimals);

// printf-like "%[-][width][.prec]f" (precision 6 when absent) with FormatFixed's rounding and the
// point as separator; the patterns of ChooseFloatToStrFormat(Ex) are of this form.
// std::invalid_argument for any other pattern.
std::string FormatFloat(const std::string& aPattern, double aValue);

// A fractional n: "%8.<p>f" trimmed (negative p counts as 0). An integral n: its decimal digits.
std::string StrN(double n, int p);

// Picture formatting: "0.########" when aDecimalDigits < 0 (up to eight decimals, trailing zeros
// dropped), "0.000…" with aDecimalDigits zeros when > 0, "0" when 0.
std::string StrNEx(double n, int aDecimalDigits, char aDecimalSeparator = '.');
// The same padded on the left with spaces to 12 characters; aOverallWidth is not used.
std::string StrNEx(double n, int aOverallWidth, int aDecimalDigits, char aDecimalSeparator);
// Three numbers would silently take the third as a separator character.
std::string StrNEx(double n, int, int) = delete;

// printf-style pattern for a value of magnitude e (grid labels: e is the grid step).
std::string ChooseFloatToStrFormat(double e);
// A finer table of the same.
std::string ChooseFloatToStrFormatEx(double e);

// Integers as "%d", reals as "%g" (point separator, halves away from zero), anything else "0".
std::string NumToStr(const TVariant& aValue);

// aStr prefixed with aChar up to aWidth characters (UTF-8 characters are counted).
std::string FillStrLeft(const std::string& aStr, char aChar, int aWidth);

// Every "," read as the point, then a strict conversion (blanks around the number allowed).
// std::invalid_argument "'<text>' is not a valid floating point value" on failure.
double StrToReal(const std::string& n);
// Either separator: the first "," (or, if none, the first ".") is the decimal point; leading
// blanks allowed, nothing may follow the number. A lone "-" is 0. std::invalid_argument
// "<text> is a not valid real value" on failure (an empty text included).
double StrToRealEx(const std::string& n);
// Whether the text is a number with the point as separator (blanks around allowed).
bool IsNumber(const std::string& aText);

// Empty → 0; integers as they are; reals and texts (through StrToReal) rounded to nearest, ties
// to even. std::out_of_range when the value does not fit an int; text errors as StrToReal.
int ToInteger(const TVariant& aValue);

// n rounded to p decimals by formatting and reading back (StrToReal(StrN(n, p))).
double TruncN(double n, int p);

}  // namespace kalvero
