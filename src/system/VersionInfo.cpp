#include "system/VersionInfo.h"

#include <charconv>
#include <string_view>

namespace kalvero {

std::optional<TVersionNumbers> ParseVersion(const std::string& aText) {
    std::string_view text(aText);
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    TVersionNumbers numbers{};
    for (size_t k = 0;; ++k) {
        if (k == numbers.size()) return std::nullopt;
        const size_t dot = text.find('.');
        const std::string_view part = text.substr(0, dot);
        const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), numbers[k]);
        if (part.empty() || ec != std::errc() || end != part.data() + part.size()) return std::nullopt;
        if (dot == std::string_view::npos) return numbers;
        text.remove_prefix(dot + 1);
    }
}

bool IsNewerVersion(const std::string& aRemote, const std::string& aInstalled) {
    const auto remote = ParseVersion(aRemote);
    const auto installed = ParseVersion(aInstalled);
    return remote && installed && *remote > *installed;
}

}  // namespace kalvero
