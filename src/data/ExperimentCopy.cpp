#include "data/ExperimentCopy.h"

#include <algorithm>

#include "data/DataClass.h"

namespace kalvero {

void CopyExperimentItems(const TDataClass& s, int aFrom, int aTo, TDataClass& d) {
    if (s.GetItemCount() == 0) throw EDataClassException("Нет данных для копирования");
    const int from = s.ClipItemIndex(std::min(aFrom, aTo)), to = s.ClipItemIndex(std::max(aFrom, aTo));
    const int count = to - from + 1, last = count - 1;
    const size_t channels = static_cast<size_t>(s.GetChannelCount());

    d.ClearObjects();
    d.items.Reset(0, channels);
    d.descriptors = s.descriptors;
    d.descriptors.resize(channels);
    d.fPhysical = s.fPhysical;
    d.fEndoUp = s.fEndoUp;
    d.tempScale = s.tempScale;
    d.diffTempScale = s.diffTempScale;
    d.timeScale = s.timeScale;
    d.areaScale = s.areaScale;
    d.frequency = s.frequency;
    d.fPeriod = s.fPeriod;
    d.SetItemsLength(count, true);
    std::copy(s.items[static_cast<size_t>(from)], s.items[static_cast<size_t>(from)] + count * channels,
              d.items.Data());
    d.CopyToBuffer();
    for (TChannelDescriptor& c : d.descriptors)
        c.fScanEndPoint = std::clamp(c.fScanEndPoint - from, 0, last);

    d.fDateCreate = s.fDateCreate;
    d.fSampleName = s.fSampleName;
    d.fOperatorName = s.fOperatorName;
    d.fLaboratoryName = s.fLaboratoryName;
    d.fDescription = s.fDescription;
    d.fSampleWeight = s.fSampleWeight;
    d.fHeatSpeed = s.fHeatSpeed;
    d.fInstrument = s.fInstrument;
    d.fSourceFile = s.fSourceFile;
    d.fSegmentStarts.clear();
    d.fCurrentChannelNo = 0;
    d.fFirstScanChannelNo = s.fFirstScanChannelNo;
    d.fLastScanChannelNo = s.fLastScanChannelNo;
    d.fWasFirstScan = true;
    d.fShowLegend = channels > 1;

    d.mode = s.IsTempBasedMode() ? vm_view_dT_by_temp : vm_view_dT_by_time;
    d.begX = 0, d.endX = last, d.begXSel = 0, d.endXSel = last;
    d.begY = s.begY, d.endY = s.endY, d.begYSel = s.begYSel, d.endYSel = s.endYSel;
    d.fTempMinValue = s.fTempMinValue, d.fTempMaxValue = s.fTempMaxValue;
    d.fDiffTempMinValue = s.fDiffTempMinValue, d.fDiffTempMaxValue = s.fDiffTempMaxValue;
    d.fBegCalcInfo = 0, d.fEndCalcInfo = static_cast<uint32_t>(last);
    if (d.fPhysical) d.FitRangesToData();
    d.fWasSaved = false;
    d.fHasUnsavedChanges = true;
}

}  // namespace kalvero
