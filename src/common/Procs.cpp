#include "common/Procs.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "common/Cp1251.h"

namespace kalvero {
namespace {

// A finite double as decimal digits: value = 0.d1d2d3… × 10^point. No leading or trailing zero
// digits; no digits at all for zero.
struct RDecimal {
    bool negative = false;
    std::string digits;
    int point = 0;
};

// The shortest digits that read back as the same double (not its exact binary expansion): the
// number as people wrote it, which is what rounding should work on.
RDecimal ShortestDecimal(double aValue) {
    RDecimal d;
    d.negative = std::signbit(aValue);
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(aValue), std::chars_format::scientific);
    const std::string_view s(buf, static_cast<size_t>(res.ptr - buf));  // "d.ddde+XX"
    const size_t e = s.find('e');
    for (char c : s.substr(0, e))
        if (c != '.') d.digits += c;
    int exponent = 0;
    std::from_chars(s.data() + e + 2, s.data() + s.size(), exponent);
    if (s[e + 1] == '-') exponent = -exponent;
    d.point = exponent + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Keeps aKeep leading digits, rounding half away from zero (the sign is kept apart).
void RoundDecimal(RDecimal& d, int64_t aKeep) {
    if (aKeep >= static_cast<int64_t>(d.digits.size())) return;
    if (aKeep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[static_cast<size_t>(aKeep)] >= '5';
    d.digits.resize(static_cast<size_t>(aKeep));
    if (up) {
        auto i = static_cast<int64_t>(d.digits.size()) - 1;
        while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9')
            d.digits[static_cast<size_t>(i--)] = '0';
        if (i >= 0) {
            ++d.digits[static_cast<size_t>(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.point;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

char DigitAt(const RDecimal& d, int64_t aIndex) {
    return aIndex >= 0 && aIndex < static_cast<int64_t>(d.digits.size())
               ? d.digits[static_cast<size_t>(aIndex)]
               : '0';
}

std::string NonFiniteText(double aValue) {
    if (std::isnan(aValue)) return "nan";
    return aValue < 0 ? "-inf" : "inf";
}

std::string ComposeFixed(RDecimal d, int aDecimals) {
    if (aDecimals < 0) aDecimals = 0;
    RoundDecimal(d, static_cast<int64_t>(d.point) + aDecimals);
    std::string out;
    if (d.negative && !d.digits.empty()) out += '-';
    if (d.point <= 0 || d.digits.empty()) {
        out += '0';
    } else {
        for (int i = 0; i < d.point; ++i)
            out += DigitAt(d, i);
    }
    if (aDecimals > 0) {
        out += '.';
        const int64_t start = d.digits.empty() ? 0 : d.point;
        for (int i = 0; i < aDecimals; ++i)
            out += d.digits.empty() ? '0' : DigitAt(d, start + i);
    }
    return out;
}

// "1.2500" → "1.25", "3.000" → "3".
void DropTrailingZeros(std::string& s) {
    if (s.find('.') == std::string::npos) return;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.') s.pop_back();
}

// printf "%g" with precision 6, on the same rounding as FormatFixed.
std::string FormatGeneral(double aValue) {
    constexpr int kPrecision = 6;
    if (!std::isfinite(aValue)) return NonFiniteText(aValue);
    RDecimal d = ShortestDecimal(aValue);
    RoundDecimal(d, kPrecision);
    if (d.digits.empty()) return "0";
    const int exponent = d.point - 1;
    if (exponent >= -4 && exponent < kPrecision) {
        std::string s = ComposeFixed(d, kPrecision - 1 - exponent);
        DropTrailingZeros(s);
        return s;
    }
    std::string s = d.negative ? "-" : "";
    s += d.digits[0];
    if (d.digits.size() > 1) s += "." + d.digits.substr(1);
    const int absExp = std::abs(exponent);
    s += exponent < 0 ? "e-" : "e+";
    if (absExp < 10) s += '0';
    s += std::to_string(absExp);
    return s;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Optional sign, digits with at most one point, optional exponent, and nothing else: no blanks,
// no "inf"/"nan", no hexadecimal. Out-of-range values fail.
bool ParseReal(std::string_view s, double& aValue) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i >= s.size() || !((s[i] >= '0' && s[i] <= '9') || s[i] == '.')) return false;
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data() + i, s.data() + s.size(), v, std::chars_format::general);
    if (ec != std::errc{} || end != s.data() + s.size()) return false;
    aValue = negative ? -v : v;
    return true;
}

int CheckedInt(double aRounded) {
    if (aRounded < std::numeric_limits<int>::min() || aRounded > std::numeric_limits<int>::max())
        throw std::out_of_range(StrN(aRounded, 0) + " does not fit an integer");
    return static_cast<int>(aRounded);
}

}  // namespace

std::string FormatFixed(double aValue, int aDecimals) {
    if (!std::isfinite(aValue)) return NonFiniteText(aValue);
    return ComposeFixed(ShortestDecimal(aValue), aDecimals);
}

std::string FormatFloat(const std::string& aPattern, double aValue) {
    // Width and precision beyond this are typing errors, not formats.
    constexpr int kMaxField = 400;
    const auto bad = [&] {
        return std::invalid_argument("'" + aPattern + "' is not a %[width].[prec]f pattern");
    };
    size_t i = 0;
    if (aPattern.empty() || aPattern[i++] != '%') throw bad();
    const bool left = i < aPattern.size() && aPattern[i] == '-';
    if (left) ++i;
    const auto readNumber = [&](int& aNumber) {
        const auto [end, ec] =
            std::from_chars(aPattern.data() + i, aPattern.data() + aPattern.size(), aNumber);
        if (ec != std::errc{} || aNumber > kMaxField) throw bad();
        i = static_cast<size_t>(end - aPattern.data());
    };
    int width = 0, precision = 6;
    if (i < aPattern.size() && aPattern[i] >= '0' && aPattern[i] <= '9') readNumber(width);
    if (i < aPattern.size() && aPattern[i] == '.') {
        ++i;
        // "%8.f" is precision 0, as in printf.
        precision = 0;
        if (i < aPattern.size() && aPattern[i] >= '0' && aPattern[i] <= '9') readNumber(precision);
    }
    if (i + 1 != aPattern.size() || aPattern[i] != 'f') throw bad();
    std::string s = FormatFixed(aValue, precision);
    if (static_cast<int>(s.size()) < width) {
        const std::string pad(static_cast<size_t>(width) - s.size(), ' ');
        s = left ? s + pad : pad + s;
    }
    return s;
}

std::string StrN(double n, int p) {
    // The width of "%8.<p>f" only adds blanks that trimming takes away again.
    if (!std::isfinite(n) || n != std::trunc(n)) return FormatFixed(n, p);
    // Integral values beyond 64 bits still print as their digits.
    if (n >= 9223372036854775808.0 || n < -9223372036854775808.0) return FormatFixed(n, 0);
    return std::to_string(static_cast<int64_t>(n));
}

std::string StrNEx(double n, int aDecimalDigits, char aDecimalSeparator) {
    std::string s = FormatFixed(n, aDecimalDigits < 0 ? 8 : aDecimalDigits);
    if (aDecimalDigits < 0) DropTrailingZeros(s);
    const size_t point = s.find('.');
    if (point != std::string::npos) s[point] = aDecimalSeparator;
    return s;
}

std::string StrNEx(double n, int /*aOverallWidth*/, int aDecimalDigits, char aDecimalSeparator) {
    return FillStrLeft(StrNEx(n, aDecimalDigits, aDecimalSeparator), ' ', 12);
}

std::string ChooseFloatToStrFormat(double e) {
    if (e >= 0.1 && e < 10) return "%8.2f";
    if (e >= 0.01 && e < 0.1) return "%8.3f";
    if (e >= 0.001 && e < 0.01) return "%8.4f";
    if (e >= 0.00001 && e < 0.001) return "%8.6f";
    return "%8.0f";
}

std::string ChooseFloatToStrFormatEx(double e) {
    if (e >= 100000) return "%8.0f";
    if (e >= 1000) return "%8.1f";
    if (e >= 10) return "%8.2f";
    if (e >= 0.1) return "%8.3f";
    if (e >= 0.01) return "%8.4f";
    if (e >= 0.001) return "%8.5f";
    if (e >= 0.00001) return "%8.7f";
    return "%8.8f";
}

std::string NumToStr(const TVariant& aValue) {
    if (const auto* v = std::get_if<int16_t>(&aValue)) return std::to_string(*v);
    if (const auto* v = std::get_if<int32_t>(&aValue)) return std::to_string(*v);
    if (const auto* v = std::get_if<double>(&aValue)) return FormatGeneral(*v);
    return "0";
}

std::string FillStrLeft(const std::string& aStr, char aChar, int aWidth) {
    const auto length = static_cast<int64_t>(Utf8Length(aStr));
    if (length >= aWidth) return aStr;
    return std::string(static_cast<size_t>(aWidth - length), aChar) + aStr;
}

double StrToReal(const std::string& n) {
    std::string text = n;
    for (char& c : text)
        if (c == ',') c = '.';
    double v = 0;
    if (!ParseReal(TrimBlanks(text), v))
        throw std::invalid_argument("'" + n + "' is not a valid floating point value");
    return v;
}

double StrToRealEx(const std::string& n) {
    if (TrimBlanks(n) == "-") return 0;
    std::string text = n;
    size_t separator = text.find(',');
    if (separator == std::string::npos) separator = text.find('.');
    if (separator != std::string::npos) text[separator] = '.';
    std::string_view s = text;
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    double v = 0;
    if (!ParseReal(s, v)) throw std::invalid_argument(n + " is a not valid real value");
    return v;
}

bool IsNumber(const std::string& aText) {
    double v = 0;
    return ParseReal(TrimBlanks(aText), v);
}

int ToInteger(const TVariant& aValue) {
    if (const auto* v = std::get_if<int16_t>(&aValue)) return *v;
    if (const auto* v = std::get_if<int32_t>(&aValue)) return *v;
    if (const auto* v = std::get_if<double>(&aValue)) return CheckedInt(static_cast<double>(Round(*v)));
    if (const auto* v = std::get_if<std::string>(&aValue))
        return CheckedInt(static_cast<double>(Round(StrToReal(*v))));
    return 0;
}

double TruncN(double n, int p) {
    if (!std::isfinite(n)) return n;
    return StrToReal(StrN(n, p));
}

}  // namespace kalvero
