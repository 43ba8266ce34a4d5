#pragma once
// Word lists of the settings: entries joined with a delimiter; an entry that holds the delimiter
// or a quote is enclosed in double quotes with inner quotes doubled.

#include <string>
#include <vector>

namespace kalvero {

// Splits at aDelimiter only (blanks do not split), honouring quoted entries; empty entries are
// dropped. The result is sorted without regard to letter case (Latin and Cyrillic) and holds
// each entry once.
std::vector<std::string> SplitSortedList(const std::string& aText, const std::string& aDelimiter);
std::string JoinList(const std::vector<std::string>& aList, const std::string& aDelimiter);

// Comparison without regard to letter case of Latin and Cyrillic letters, by Windows-1251 order.
int CompareTextNoCase(const std::string& aLeft, const std::string& aRight);

}  // namespace kalvero
