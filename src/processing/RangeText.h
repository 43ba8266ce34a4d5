#pragma once
// Ranges of an experiment written as an operator or a script thinks of them: items ("2500:3500"),
// times ("300s:360s", "5min:6min", "0.5h:1h") or temperatures ("150C:170C", "150°C:170°C",
// "423.15K:443.15K"). A temperature range lies on the first segment of the temperature program
// that reaches both ends; where none does, from the first item at the first temperature to the
// first item after it at the second.

#include <functional>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

namespace kalvero {

class TDataClass;
struct TSegment;

class ERangeText : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// A text that is no range at all.
class ERangeSyntax : public ERangeText {
public:
    using ERangeText::ERangeText;
};

// Items [first, last] (ordered, clipped to the record); ERangeText with the operator's message for
// a text that is not a range or a temperature the run never reaches.
std::pair<int, int> ItemRangeOf(const TDataClass& aData, std::string_view aText);
// The same with aData's segments (SegmentsOf) from aSegments, asked only for a range in degrees:
// a caller that reads many ranges of one record finds its segments once.
std::pair<int, int> ItemRangeOf(const TDataClass& aData, std::string_view aText,
                                const std::function<const std::vector<TSegment>&()>& aSegments);
// ERangeSyntax when aText is no range at all; nothing is read of any experiment.
void CheckRangeSyntax(std::string_view aText);
// One end alone ("300s", "150C", "2500"): the item it names.
int ItemOf(const TDataClass& aData, std::string_view aText);

}  // namespace kalvero
