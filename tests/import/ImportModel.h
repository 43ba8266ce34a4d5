#pragma once
// A DSC run with a known answer for the importer tests: a linear heating at a known rate and a
// Gaussian melting peak of known area on a sloped base line, written out in whatever layout a
// test needs.

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "import/ImportedRun.h"

namespace kalvero::test {

struct TModelRun {
    double rate = 10;                                 // K/min
    double startTemp = 30;                            // °C
    double peakArea = 2500;                           // mJ (mW·s)
    double peakTime = 600;                            // s
    double peakWidth = 30;                            // s, standard deviation
    double baseAt0 = -0.5;                            // mW at 0 °C
    double baseSlope = 0.004;                         // mW per K
    std::vector<double> time, temperature, heatFlow;  // s, °C, mW

    double Base(double aTemperature) const { return baseAt0 + baseSlope * aTemperature; }
};

// aRows samples every aStep seconds from time 0.
inline TModelRun MakeModelRun(size_t aRows = 1200, double aStep = 1.0) {
    TModelRun m;
    const double pi = std::acos(-1.0);
    for (size_t i = 0; i < aRows; ++i) {
        const double t = static_cast<double>(i) * aStep;
        const double temp = m.startTemp + m.rate * t / 60;
        const double z = (t - m.peakTime) / m.peakWidth;
        const double peak = m.peakArea / (m.peakWidth * std::sqrt(2 * pi)) * std::exp(-0.5 * z * z);
        m.time.push_back(t);
        m.temperature.push_back(temp);
        m.heatFlow.push_back(m.Base(temp) + peak);
    }
    return m;
}

// The area between a signal and the model's base line over time, by trapezoids.
inline double AreaAboveBase(const TModelRun& aModel, const std::vector<double>& aTime,
                            const std::vector<double>& aTemperature, const std::vector<double>& aSignal,
                            double aScale = 1) {
    double area = 0;
    for (size_t i = 1; i < aTime.size(); ++i) {
        const double a = aSignal[i - 1] * aScale - aModel.Base(aTemperature[i - 1]);
        const double b = aSignal[i] * aScale - aModel.Base(aTemperature[i]);
        area += (a + b) / 2 * (aTime[i] - aTime[i - 1]);
    }
    return area;
}

// Whether a warning of the run holds aPart.
inline bool HasWarning(const TImportedRun& aRun, const std::string& aPart) {
    for (const std::string& w : aRun.warnings)
        if (w.find(aPart) != std::string::npos) return true;
    return false;
}

// The warnings one a line, for a failure's message.
inline std::string AllWarnings(const TImportedRun& aRun) {
    std::string all;
    for (const std::string& w : aRun.warnings)
        all += w + "\n";
    return all;
}

// A number with aDecimals decimals and the given decimal separator.
inline std::string Num(double aValue, int aDecimals = 6, char aDecimal = '.') {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", aDecimals, aValue);
    std::string text = buffer;
    if (aDecimal != '.')
        for (char& c : text)
            if (c == '.') c = aDecimal;
    return text;
}

// The model's rows, one line each, the cells made by aCells(i).
template <typename F>
std::string Rows(const TModelRun& aModel, F aCells, const char* aLineEnd = "\n") {
    std::string text;
    for (size_t i = 0; i < aModel.time.size(); ++i)
        text += aCells(i) + aLineEnd;
    return text;
}

// UTF-8 text as UTF-16 (little- or big-endian) with a byte-order mark.
inline std::string ToUtf16(const std::string& aUtf8, bool aBigEndian) {
    std::string out = aBigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (size_t i = 0; i < aUtf8.size();) {
        const auto b = static_cast<unsigned char>(aUtf8[i]);
        char32_t cp = b;
        int len = 1;
        if (b >= 0xF0)
            cp = b & 0x07, len = 4;
        else if (b >= 0xE0)
            cp = b & 0x0F, len = 3;
        else if (b >= 0xC0)
            cp = b & 0x1F, len = 2;
        for (int k = 1; k < len; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(aUtf8[i + k]) & 0x3F);
        i += len;
        std::u16string units;
        if (cp >= 0x10000)
            units = {static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)),
                     static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF))};
        else
            units = {static_cast<char16_t>(cp)};
        for (const char16_t u : units) {
            const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
            out += aBigEndian ? hi : lo;
            out += aBigEndian ? lo : hi;
        }
    }
    return out;
}

}  // namespace kalvero::test
