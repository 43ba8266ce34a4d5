#include "common/FormFields.h"

#include <charconv>
#include <cmath>

#include "common/Procs.h"

namespace kalvero {
namespace {

// Labels carry the blanks and colons of their layout; messages name the bare field.
std::string FieldName(const std::string& aLabel) {
    std::string name = TrimText(aLabel);
    while (!name.empty() && name.back() == ':')
        name.pop_back();
    return name;
}

}  // namespace

std::string TrimText(const std::string& aText) {
    const char* blanks = " \t\r\n";
    const size_t first = aText.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return aText.substr(first, aText.find_last_not_of(blanks) - first + 1);
}

int64_t ReadIntegerField(const std::string& aText, const std::string& aLabel, int64_t aMin, int64_t aMax) {
    const std::string s = TrimText(aText);
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec == std::errc::invalid_argument || end != s.data() + s.size())
        throw EFormFieldException("Значение \"" + aText + "\" поля \"" + FieldName(aLabel) +
                                  "\" не является целым числом");
    if (ec == std::errc::result_out_of_range || value < aMin || value > aMax)
        throw EFormFieldException("Значение поля \"" + FieldName(aLabel) + "\" должно быть в пределах от " +
                                  std::to_string(aMin) + " до " + std::to_string(aMax));
    return value;
}

double ReadRealField(const std::string& aText, const std::string& aLabel) {
    double value = 0;
    try {
        value = StrToReal(aText);
    } catch (const std::exception&) {
        value = NAN;
    }
    if (!std::isfinite(value))
        throw EFormFieldException("Значение \"" + aText + "\" поля \"" + FieldName(aLabel) +
                                  "\" не является числом");
    return value;
}

double ReadPositiveRealField(const std::string& aText, const std::string& aLabel) {
    const double value = ReadRealField(aText, aLabel);
    if (!(value > 0))
        throw EFormFieldException("Значение поля \"" + FieldName(aLabel) + "\" должно быть больше нуля");
    return value;
}

}  // namespace kalvero
