#pragma once
// Rounding, limits and small arithmetic shared by the whole program.

#include <cstdint>
#include <string>
#include <utility>

namespace kalvero {

// Nearest integer, ties to even (2.5 → 2, 3.5 → 4). std::out_of_range for NaN, infinities and
// values beyond 64 bits.
int64_t Round(double aValue);

// x rounded to Prec decimals, halves away from zero (1.5 → 2, -1.5 → -2, 2.345 → 2.35).
// A negative Prec counts as 0; non-finite x is returned as it is.
double RoundEx(double x, int Prec);

// The nearest multiple of 10: Round(RoundEx(aValue / 10, 1)) × 10. std::out_of_range beyond int.
int Round10(double aValue);

// aValue increased by aPercent per cent of itself.
double IncByPercent(double aValue, double aPercent);

// y at Xvalue on the line through (x1, y1) and (x2, y2); y1 when x1 = x2 or y1 = y2.
double LineInterp(double x1, double y1, double x2, double y2, double Xvalue);

// A round grid step (1, 2 or 5 times a power of ten) that cuts an axis of the given span into
// at most maxCount parts. 10 for a span that is not a positive finite number; the whole span
// when even the coarsest step gives too many parts.
double SelectStep(double range, int maxCount);

inline int Min(int a, int b) {
    return a < b ? a : b;
}
inline int Max(int a, int b) {
    return a > b ? a : b;
}
inline double MinR(double a, double b) {
    return a < b ? a : b;
}
inline double MaxR(double a, double b) {
    return a > b ? a : b;
}

// Lower limit: max(lo, v). Upper limit: min(hi, v).
inline int LLim(int lo, int v) {
    return v < lo ? lo : v;
}
inline double LLimR(double lo, double v) {
    return v < lo ? lo : v;
}
inline int HLim(int hi, int v) {
    return v > hi ? hi : v;
}
inline double HLimR(double hi, double v) {
    return v > hi ? hi : v;
}
// v clamped to lo … hi; when lo > hi the result is always lo.
inline int HLLim(int lo, int hi, int v) {
    return v < lo ? lo : Min(Max(lo, hi), v);
}
inline double HLLimR(double lo, double hi, double v) {
    return v < lo ? lo : MinR(MaxR(lo, hi), v);
}

// Whether aValue lies between the two bounds, given in either order, bounds included.
inline bool Between(int aMin, int aMax, int aValue) {
    return Min(aMin, aMax) <= aValue && aValue <= Max(aMin, aMax);
}
inline bool Between(double aMin, double aMax, double aValue) {
    return MinR(aMin, aMax) <= aValue && aValue <= MaxR(aMin, aMax);
}

// How far aValue lies outside aMin … aMax: negative below, positive above, 0 inside.
inline double OutOfRange(double aMin, double aMax, double aValue) {
    if (aValue < aMin) return aValue - aMin;
    if (aValue <= aMax) return 0;
    return aValue - aMax;
}

inline double Positive(double x) {
    return x > 0 ? x : 0;
}

inline int IIf(bool aCondition, int a, int b) {
    return aCondition ? a : b;
}
inline std::string IIf(bool aCondition, const std::string& a, const std::string& b) {
    return aCondition ? a : b;
}
inline double IIfD(bool aCondition, double a, double b) {
    return aCondition ? a : b;
}
inline int Ternary(bool aCondition, int a, int b) {
    return aCondition ? a : b;
}
inline std::string Ternary(bool aCondition, const std::string& a, const std::string& b) {
    return aCondition ? a : b;
}

// Exchanges a and b when needed so that a <= b.
inline void Order(int& a, int& b) {
    if (b < a) std::swap(a, b);
}
inline void Order(double& a, double& b) {
    if (b < a) std::swap(a, b);
}

inline void SwapValues(int& a, int& b) {
    std::swap(a, b);
}
inline void SwapValues(double& a, double& b) {
    std::swap(a, b);
}
inline void SwapValues(std::string& a, std::string& b) {
    std::swap(a, b);
}

}  // namespace kalvero
