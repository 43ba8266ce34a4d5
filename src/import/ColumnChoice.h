#pragma once
// Which columns of a table are the time, the temperature, the signal and the segment, and what
// their units are. A choice among several candidates, a column known by its unit only, and a
// unit taken for granted are each told in a warning.

#include <optional>
#include <vector>

#include "import/ColumnNames.h"
#include "import/RunBuilder.h"

namespace kalvero::foreign {

struct TChosenColumns {
    int time = -1, temperature = -1, signal = -1, segment = -1;
    std::optional<double> secondsPerTimeUnit;  // nullopt: the file gives no unit of time
    TLinearScale celsius;
    TSignalUnit signalUnit;
};

// Throws EImportError when there is no temperature or no signal column, or no column the options
// name. Warnings go to aRun.
TChosenColumns ChooseColumns(const TImportInput& aInput, const std::vector<TImportedColumn>& aColumns,
                             TImportedRun& aRun);

}  // namespace kalvero::foreign
