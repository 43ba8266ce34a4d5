#include "processing/Polynomial.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace kalvero {
namespace {

// x^power by repeated multiplication; a power of 0 or below gives 1.
long double IntPower(long double x, int power) {
    long double r = 1;
    for (int i = 0; i < power; ++i)
        r *= x;
    return r;
}

// The general floating-point form: up to 15 significant digits, exponent as "E20" / "E-5".
std::string FormatGeneral(long double aValue) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15Lg", aValue);
    std::string s = buf;
    const size_t e = s.find('e');
    if (e == std::string::npos) return s;
    std::string mantissa = s.substr(0, e);
    const char sign = s[e + 1];
    std::string digits = s.substr(e + 2);
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    return mantissa + "E" + (sign == '-' ? "-" : "") + digits;
}

void CheckIndex(int index, size_t count) {
    if (index < 0 || static_cast<size_t>(index) >= count)
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

void TPolynom::AddTerm(const TTerm& t) {
    items.push_back({t, TTerm{}});
}

void TPolynom::AddTermToTmp(const TTerm& t) {
    tmpItems.push_back({t, TTerm{}});
}

TTerm TPolynom::GetTerm(int index) const {
    CheckIndex(index, items.size());
    return items[index].term;
}

TTerm TPolynom::RemoveTerm(int index) {
    CheckIndex(index, items.size());
    const TTerm t = items[index].term;
    items.erase(items.begin() + index);
    return t;
}

void TPolynom::Pack() {
    std::erase_if(items, [](const REntry& e) { return e.mark.coeff != 0 || e.term.coeff == 0; });
}

void TPolynom::Simplyfy() {
    Pack();
    std::vector<REntry> result;
    while (!items.empty()) {
        TTerm c = items.front().term;
        items.erase(items.begin());
        // An entry that slides into the place of a merged one is not compared in this pass; it
        // becomes a current term of its own later, so equal powers may survive. The value is
        // the same either way.
        const size_t passCount = items.size();
        for (size_t j = 0; j < passCount; ++j) {
            if (j >= items.size()) continue;
            if (items[j].term.power == c.power) {
                items[j].mark.coeff = 1;
                c.coeff += items[j].term.coeff;
                Pack();
            }
        }
        result.push_back({c, TTerm{}});
    }
    items = std::move(result);
    Pack();
}

void TPolynom::Mul(const TPolynom& pol) {
    if (items.empty()) return;
    if (pol.items.empty()) {
        items.clear();
        return;
    }
    const std::vector<REntry> factors = pol.items;  // pol may be this polynomial
    tmpItems.clear();
    for (const REntry& a : items) {
        for (const REntry& b : factors) {
            const int power = a.term.power + b.term.power;
            if (power < -128 || power > 127) {
                tmpItems.clear();
                throw std::range_error("Range check error");
            }
            AddTermToTmp({a.term.coeff * b.term.coeff, static_cast<int8_t>(power)});
        }
    }
    items = std::move(tmpItems);
    tmpItems.clear();
    Simplyfy();
}

void TPolynom::Mul(const std::vector<TTerm>& expr) {
    TPolynom factor;
    for (const TTerm& t : expr)
        factor.AddTerm(t);
    Mul(factor);
}

void TPolynom::AddPolynom(const TPolynom& pol) {
    const std::vector<REntry> terms = pol.items;
    for (const REntry& e : terms)
        AddTerm(e.term);
    Simplyfy();
}

void TPolynom::AddPolynom(const std::vector<TTerm>& expr) {
    for (const TTerm& t : expr)
        AddTerm(t);
}

long double TPolynom::Calc(long double x) const {
    long double sum = 0;
    for (const REntry& e : items)
        sum += e.term.coeff * IntPower(x, e.term.power);
    return sum;
}

std::string TPolynom::ToString() const {
    std::string text;
    for (size_t k = items.size(); k-- > 0;) {
        const TTerm& t = items[k].term;
        const long double magnitude = std::fabs(t.coeff);
        const std::string coeffText = (magnitude == 1 && t.power != 0) ? "" : FormatGeneral(magnitude);
        const std::string powerText =
            t.power == 0 ? "" : (t.power == 1 ? "x" : "x" + std::to_string(t.power));
        const bool negative = t.coeff < 0;
        if (k + 1 == items.size())
            text += negative ? "-" : "";
        else
            text += negative ? " - " : " + ";
        text += coeffText + powerText;
    }
    return text;
}

std::unique_ptr<TPolynom> Lagrange(const TXYPoints& xyData) {
    if (xyData.empty()) return nullptr;
    for (size_t i = 0; i < xyData.size(); ++i)
        for (size_t j = i + 1; j < xyData.size(); ++j)
            if (xyData[i].x == xyData[j].x)
                throw std::invalid_argument("Lagrange interpolation needs distinct x values");
    auto result = std::make_unique<TPolynom>();
    for (size_t i = 0; i < xyData.size(); ++i) {
        TPolynom numerator;
        numerator.AddTerm({1, 0});
        long double denominator = 1;
        for (size_t j = 0; j < xyData.size(); ++j) {
            if (j == i) continue;
            numerator.Mul(std::vector<TTerm>{{1, 1}, {-xyData[j].x, 0}});
            denominator *= xyData[i].x - xyData[j].x;
        }
        // Distinct x values can still multiply out of range; that is no polynomial either.
        if (denominator == 0 || !std::isfinite(denominator))
            throw std::invalid_argument(
                "Lagrange interpolation: the x values are too close or too far apart");
        numerator.Mul(std::vector<TTerm>{{xyData[i].y / denominator, 0}});
        result->AddPolynom(numerator);
    }
    return result;
}

}  // namespace kalvero
