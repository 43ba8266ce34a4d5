#include "processing/PeakRecord.h"

#include <algorithm>
#include <memory>

#include "data/DataClass.h"
#include "processing/Peak.h"

namespace kalvero {

TPeakRecord PeakRecordOf(const TPeak& p, const std::string& aKey) {
    TPeakRecord r;
    r.key = aKey;
    r.begX = p.begX, r.endX = p.endX, r.top = p.top;
    r.kind = p.baseLineKind;
    r.state = p.state;
    r.cutLines = p.cutLines;
    for (TCutLine& line : r.cutLines)
        for (TCoordPoint& point : line.points)
            point.sx = point.sy = 0;
    r.comment = p.comment;
    return r;
}

bool AddPeakFromRecord(TDataClass& d, const TPeakRecord& r) {
    if (r.begX < 0 || r.endX <= r.begX || r.endX >= d.GetItemCount()) return false;
    if (r.kind >= PEAK_BASELINE_KIND_COUNT || r.state > PEAK_STATE_INVALID) return false;
    if (r.cutLines.size() <= PEAK_LINE_TOP) return false;
    const TCutLineType expected[] = {CUTLINE_PEAKLEFTMARGIN, CUTLINE_PEAKRIGHTMARGIN, CUTLINE_PEAKBASELINE,
                                     CUTLINE_PEAKTOP};
    for (int k = 0; k <= PEAK_LINE_TOP; ++k)
        if (r.cutLines[k].lineType != expected[k]) return false;
    for (const TCutLine& line : r.cutLines)
        if (line.points.size() < 2) return false;

    auto peak = std::make_unique<TStandardPeak>(d.items, d.frequency, &d);
    peak->actualMode = vm_view_dT_by_time;
    peak->begX = r.begX, peak->endX = r.endX;
    peak->top = std::clamp(r.top, r.begX, r.endX);
    peak->state = static_cast<TPeakState>(r.state);
    peak->baseLineKind = static_cast<TPeakBaseLineKind>(r.kind);
    peak->cutLines = r.cutLines;
    peak->comment = r.comment;
    peak->cutType = PEAK_CUTTYPE_FULLAREA;
    peak->active = true;
    peak->fullAreaStartPoint = {peak->top, peak->GetBaseLineCrossingYCoord(peak->top)};
    peak->CalcCenterPoint();
    peak->CalcPeakIntegration();
    d.peaks.AddItem(r.key, peak.release());
    return true;
}

}  // namespace kalvero
