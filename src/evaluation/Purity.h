#pragma once
// Purity by the van't Hoff equation, ASTM E928: on the melting peak of a heat-flow curve the
// sample temperature Ts is plotted against 1/F, F the fraction melted (the partial area over the
// total), over the fractions the standard uses (10 … 50 %). The melting point depression gives
// Ts = T0 − (R·T0²·x2 / ΔHf)·(1/F). Premelting the base line cannot show is put back by the
// linearising correction c, added to every partial area and to the total so that the plot becomes
// straight. The limits of the method (E928 1.1 and 5.3): purity of at least 98.5 mol %, and c no
// more than 20 % of the detected heat of fusion.
//
// Thermal lag: the sample lags the measured temperature by its heat flow times the thermal
// resistance, which the leading edge of a pure metal's melting shows as a slope (mW/K). With it,
// Ts = T − q / slope, q the heat flow into the sample above the base line (positive while it
// melts, whichever way the instrument plots endotherms; the slope's sign is not used).

#include <string>
#include <vector>

#include "evaluation/EvaluationTypes.h"

namespace kalvero::evaluation {

inline constexpr double GAS_CONSTANT = 8.314462618;  // J/(mol·K)
inline constexpr double KELVIN_OFFSET = 273.15;

struct TPurityOptions {
    double fractionFrom = 0.10;  // the fractions melted plotted, of the uncorrected area
    double fractionTo = 0.50;
    int points = 20;             // evenly spaced between the two
    double lagSlope = NAN;       // mW/K from a pure metal's leading edge; NaN: no lag correction
    double maxCorrection = 1.0;  // the largest c sought, as a share of the detected area
};

// A point of the van't Hoff plot.
struct RVantHoffPoint {
    double inverseFraction = NAN;  // 1/F
    double temperature = NAN;      // Ts, °C
    double index = NAN;            // the item (fractional) of the signal plot it was read at
};

struct RPurity {
    TItemRange range;
    double impurity = NAN;        // x2, mol %
    double purity = NAN;          // 100 − x2, mol %
    double meltingPoint = NAN;    // T0, °C
    double heatOfFusion = NAN;    // ΔHf with the correction, J/g
    double molarHeat = NAN;       // the same, J/mol
    double area = NAN;            // the detected area, mJ (positive)
    double correction = NAN;      // c, % of the detected area
    double correctionArea = NAN;  // c, mJ
    double depression = NAN;      // R·T0²·x2/ΔHf, K: the fitted line's slope with its sign turned
    double rSquared = NAN;        // of the fit after the correction
    double rSquaredBefore = NAN;  // of the plain points
    std::vector<RVantHoffPoint> measured;   // before the correction
    std::vector<RVantHoffPoint> corrected;  // after it
    RLine fit;                              // Ts (°C) over 1/F, through the corrected points
    RDrawing drawing;                       // on the signal plot: the items of the first and last fraction
    std::vector<std::string> warnings;
};

// aBaseLine holds one value per item of aRange, aMass in mg, aMolarMass in g/mol, the signal a
// heat flow in mW. EEvaluationError without mass or molar mass, for a curve without a melting
// peak, or when too few points fall between the fractions.
RPurity EvaluatePurity(const TCurve& aCurve, TItemRange aRange, std::span<const double> aBaseLine,
                       double aMass, double aMolarMass, const TPurityOptions& aOptions = {});

}  // namespace kalvero::evaluation
