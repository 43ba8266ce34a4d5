#pragma once
// The part of an experiment that the recorded file layouts have no place for (the block of
// DataFileExtension.h): the physical scale, the direction of endothermic effects, the source of an
// imported run, the peaks and the evaluations. A recorded experiment with none of it is saved
// exactly in its layout.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/EvaluationRecords.h"
#include "data/PhysicalUnits.h"
#include "processing/PeakRecord.h"

namespace kalvero {

class TDataClass;

struct TExperimentExtras {
    int32_t itemCount = -1;  // the true item count of a physical experiment's file
    std::optional<TPhysicalScale> physical;
    std::optional<bool> endoUp;
    std::string instrument, sourceFile;
    std::vector<int32_t> segmentStarts;
    std::vector<TPeakRecord> peaks;
    TEvaluationRecords evaluations;
};

// Whether saving aData needs the block.
bool HasExtras(const TDataClass& aData);
// The block's JSON text for aData written with aItemCount items.
std::string ExtrasToJson(const TDataClass& aData, int32_t aItemCount);
// The block's text read back; EDataClassException "… повреждён …" for a text that is not one.
TExperimentExtras ExtrasFromJson(const std::string& aJson, const std::string& aFileName);
// What a replacing load takes over from the block before it reads the samples.
void ApplyExtras(TDataClass& aData, const TExperimentExtras& aExtras);
// What it takes over once the samples are in: the peaks and the evaluations. A peak that does not
// fit the record is left out (with it, the evaluations of that peak), and said in aWarnings.
void ApplyExtrasObjects(TDataClass& aData, const TExperimentExtras& aExtras,
                        std::vector<std::string>& aWarnings);

}  // namespace kalvero
