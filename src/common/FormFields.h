#pragma once
// The texts of dialog fields read as numbers. A field that does not read, or reads outside its
// range, is reported in the operator's words and names the field by its label.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kalvero {

class EFormFieldException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An integer (blanks around allowed) within aMin … aMax.
int64_t ReadIntegerField(const std::string& aText, const std::string& aLabel, int64_t aMin, int64_t aMax);
// A finite real with the point or the comma as decimal separator (blanks around allowed).
double ReadRealField(const std::string& aText, const std::string& aLabel);
// The same that must be above zero.
double ReadPositiveRealField(const std::string& aText, const std::string& aLabel);

// Text without blanks (spaces, tabs, line ends) at either end.
std::string TrimText(const std::string& aText);

}  // namespace kalvero
