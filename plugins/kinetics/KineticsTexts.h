#pragma once
// The texts the isoconversional workbench reads and writes: numbers with either decimal separator,
// temperatures in °C or K, durations from seconds to years, and the same values for the operator
// with the decimal comma.

#include <string>

namespace kalvero::kinetics {

// A number with either decimal separator. EKineticsException "Неверное значение «…» поля «…»"
// naming aField otherwise.
double NumberOfText(const std::string& aText, const std::string& aField);

// "150", "150C", "150 °С" (°C), "423.15K" (K): the temperature in K.
double TemperatureOfText(const std::string& aText, const std::string& aField);

// "3600", "3600s", "30 мин", "8h", "2 сут", "1y", "1 год": the duration in s. A year is the
// Julian year of 365.25 days.
double DurationOfText(const std::string& aText, const std::string& aField);

// A duration for the operator in the unit that suits it: "45,0 с", "12,5 мин", "3,20 ч",
// "4,15 сут", "1,52 года" (three significant digits).
std::string DurationCaption(double aSeconds);

// A number with aDecimals decimals and the decimal comma, whole numbers too ("150,0"); "—" for NaN.
std::string FixedCaption(double aValue, int aDecimals);

// A number with the decimal comma and three significant digits at least ("0,0123", "12,3",
// "152"); "—" for NaN.
std::string SignificantCaption(double aValue);

}  // namespace kalvero::kinetics
