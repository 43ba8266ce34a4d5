#include "common/StringList.h"

#include <algorithm>

#include "common/Cp1251.h"

namespace kalvero {
namespace {

// Windows-1251 byte folded to lower case.
unsigned char FoldCase(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDF) return static_cast<unsigned char>(c + 32);
    if (c == 0xA8) return 0xB8;  // Ё
    return c;
}

}  // namespace

int CompareTextNoCase(const std::string& aLeft, const std::string& aRight) {
    const std::string l = Utf8ToCp1251(aLeft), r = Utf8ToCp1251(aRight);
    const size_t n = std::min(l.size(), r.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char a = FoldCase(static_cast<unsigned char>(l[i]));
        const unsigned char b = FoldCase(static_cast<unsigned char>(r[i]));
        if (a != b) return a < b ? -1 : 1;
    }
    return l.size() == r.size() ? 0 : (l.size() < r.size() ? -1 : 1);
}

std::vector<std::string> SplitSortedList(const std::string& aText, const std::string& aDelimiter) {
    std::vector<std::string> items;
    size_t pos = 0;
    while (pos <= aText.size()) {
        std::string item;
        if (pos < aText.size() && aText[pos] == '"') {
            ++pos;
            while (pos < aText.size()) {
                if (aText[pos] == '"') {
                    if (pos + 1 < aText.size() && aText[pos + 1] == '"') {
                        item += '"', pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                item += aText[pos++];
            }
            const size_t next = aText.find(aDelimiter, pos);
            pos = next == std::string::npos ? aText.size() + 1 : next + aDelimiter.size();
        } else {
            const size_t next = aText.find(aDelimiter, pos);
            item = aText.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
            pos = next == std::string::npos ? aText.size() + 1 : next + aDelimiter.size();
        }
        if (!item.empty()) items.push_back(std::move(item));
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const std::string& a, const std::string& b) { return CompareTextNoCase(a, b) < 0; });
    items.erase(
        std::unique(items.begin(), items.end(),
                    [](const std::string& a, const std::string& b) { return CompareTextNoCase(a, b) == 0; }),
        items.end());
    return items;
}

std::string JoinList(const std::vector<std::string>& aList, const std::string& aDelimiter) {
    std::string out;
    for (size_t i = 0; i < aList.size(); ++i) {
        if (i) out += aDelimiter;
        const std::string& item = aList[i];
        if (item.find(aDelimiter) == std::string::npos && item.find('"') == std::string::npos) {
            out += item;
            continue;
        }
        out += '"';
        for (char c : item)
            out += c == '"' ? std::string("\"\"") : std::string(1, c);
        out += '"';
    }
    return out;
}

}  // namespace kalvero
