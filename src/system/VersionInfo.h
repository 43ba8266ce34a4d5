#pragma once
// Versions as the update check compares them: up to four dot-separated numbers (major, minor,
// release, build), missing ones counting as 0, compared number by number from the left.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kalvero {

using TVersionNumbers = std::array<uint32_t, 4>;

// "4.0.0.1977" → {4, 0, 0, 1977}; "5" → {5, 0, 0, 0}. Blanks around the text are ignored; an
// empty part, a part that is not a decimal number, a fifth part or anything else gives nothing.
std::optional<TVersionNumbers> ParseVersion(const std::string& aText);

// Whether aRemote is a later version than aInstalled; false when either is not a version.
bool IsNewerVersion(const std::string& aRemote, const std::string& aInstalled);

}  // namespace kalvero
