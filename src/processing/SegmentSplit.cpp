#include "processing/SegmentSplit.h"

#include <filesystem>

#include "data/DataClass.h"
#include "data/ExperimentCopy.h"

namespace kalvero {

std::vector<TSegment> SegmentsToSplit(const TDataClass& aData, bool aSkipIsothermal) {
    std::vector<TSegment> segments = SegmentsOf(aData);
    if (aSkipIsothermal) std::erase_if(segments, [](const TSegment& s) { return s.kind == skIsothermal; });
    return segments;
}

std::string SegmentPartCaption(const TSegment& aSegment, int aNumber, int aCount) {
    return "Сегмент " + std::to_string(aNumber) + " из " + std::to_string(aCount) + ": " +
           SegmentCaption(aSegment);
}

std::string SegmentPartFileName(const std::string& aFileName, int aNumber) {
    std::filesystem::path p(aFileName);
    const std::string extension = p.extension().string();
    p.replace_filename(p.stem().string() + "-" + std::to_string(aNumber) + extension);
    return p.string();
}

void CopySegment(const TDataClass& aSource, const TSegment& aSegment, int aNumber, int aCount,
                 TDataClass& aTarget) {
    CopyExperimentItems(aSource, aSegment.begin, aSegment.end, aTarget);
    aTarget.fHeatSpeed = static_cast<float>(aSegment.kind == skIsothermal ? 0.0 : aSegment.rate);
    const std::string caption = SegmentPartCaption(aSegment, aNumber, aCount);
    aTarget.fDescription = aSource.fDescription.empty() ? caption : aSource.fDescription + "\n" + caption;
    aTarget.fSegmentStarts = {0};
    aTarget.fFileName = SegmentPartFileName(aSource.fFileName, aNumber);
}

}  // namespace kalvero
