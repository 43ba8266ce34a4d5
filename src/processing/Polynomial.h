#pragma once
// TPolynom: a polynomial in one variable kept as a list of terms (coefficient, integer power),
// with multiplication, addition, simplification, evaluation and a text form; and Lagrange, the
// interpolating polynomial through calibration points.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/Object.h"
#include "processing/XYPoint.h"

namespace kalvero {

// coeff · x^power.
struct TTerm {
    long double coeff = 0;
    int8_t power = 0;
};

class TPolynom : public TObject {
public:
    int Count() const { return static_cast<int>(items.size()); }
    void AddTerm(const TTerm& t);
    // std::out_of_range for an index outside the list.
    TTerm GetTerm(int index) const;
    // Removes the entry and returns its term; the others keep their order.
    TTerm RemoveTerm(int index);

    // Multiply in place. A power sum outside −128 … 127 is std::range_error ("Range check
    // error"); the polynomial then stays as it was.
    void Mul(const TPolynom& pol);
    void Mul(const std::vector<TTerm>& expr);
    // Appends the terms of pol and simplifies.
    void AddPolynom(const TPolynom& pol);
    // Appends the terms as they are.
    void AddPolynom(const std::vector<TTerm>& expr);

    // The value at x; a power of 0 or below counts as x⁰.
    long double Calc(long double x) const;
    // "3x2 - 2x + 1": the last entry first.
    std::string ToString() const;

private:
    // The term and its working mark: mark.coeff is 1 once the entry was merged into another.
    struct REntry {
        TTerm term;
        TTerm mark;
    };

    void AddTermToTmp(const TTerm& t);
    void Pack();
    void Simplyfy();

    std::vector<REntry> items;
    std::vector<REntry> tmpItems;
};

// The interpolating polynomial Σ yᵢ · Π_{j≠i} (x − xⱼ)/(xᵢ − xⱼ), expanded into powers of x; null
// for no points. Two points with the same x have no such polynomial: std::invalid_argument.
std::unique_ptr<TPolynom> Lagrange(const TXYPoints& xyData);

}  // namespace kalvero
