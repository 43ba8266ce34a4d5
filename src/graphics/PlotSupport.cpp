#include "graphics/PlotSupport.h"

#include <algorithm>

#include "common/Procs.h"
#include "data/Calibrate.h"
#include "data/CurveTexts.h"

namespace kalvero {

bool IsScanMode(TCurveMode m) {
    return m == vm_scan_dT_by_time || m == vm_scan_dT_by_temp || m == vm_scan_T_by_time;
}

bool IsRepaintScanMode(TCurveMode m) {
    return m == vm_repaint_scan_dT_by_time || m == vm_repaint_scan_dT_by_temp ||
           m == vm_repaint_scan_T_by_time;
}

TCurveMode RepaintModeOf(TCurveMode m) {
    switch (m) {
        case vm_scan_dT_by_time:
            return vm_repaint_scan_dT_by_time;
        case vm_scan_dT_by_temp:
            return vm_repaint_scan_dT_by_temp;
        case vm_scan_T_by_time:
            return vm_repaint_scan_T_by_time;
        default:
            return m;
    }
}

bool IsTempXMode(TCurveMode m) {
    return m == vm_view_dT_by_temp || m == vm_scan_dT_by_temp || m == vm_repaint_scan_dT_by_temp;
}

bool IsTCurveMode(TCurveMode m) {
    return m == vm_optstate_draw_extra_temp || m == vm_view_T_by_time || m == vm_scan_T_by_time ||
           m == vm_repaint_scan_T_by_time;
}

TPlotPass& PlotPass() {
    thread_local TPlotPass pass;
    return pass;
}

TDataCanvas& CanvasOf(const TDataClass& aData) {
    if (!aData.fDataCanvas) throw EDataClassException("No drawing surface attached");
    return *aData.fDataCanvas;
}

std::string XAxisTitle(const TDataClass& d) {
    if (IsTempXMode(d.mode)) return TAxisTitle(d);
    return DataConfig().timeChannelName + ", " + GetTimeScaleStr(d.timeScale);
}

std::string DtAxisTitle(const TDataClass& d) {
    return d.GetDtName() + ", " + d.GetDtUnits();
}

std::string TAxisTitle(const TDataClass& d) {
    return DataConfig().tempChannelShortName + ", " + d.GetTUnits();
}

std::string YAxisTitle(const TDataClass& d) {
    return IsTCurveMode(d.mode) ? TAxisTitle(d) : DtAxisTitle(d);
}

double TDegrees(const TDataClass& aData, int32_t aUnits) {
    try {
        return aData.TValue(aUnits);
    } catch (const std::exception&) {
        return aUnits;
    }
}

double DtDegrees(const TDataClass& aData, int32_t aUnits, double aTemperature) {
    try {
        return aData.SignalValue(aUnits, static_cast<float>(aTemperature));
    } catch (const std::exception&) {
        return aUnits;
    }
}

void RealXRange(const TDataClass& d, long double& aBeg, long double& aEnd) {
    if (IsTempXMode(d.mode)) {
        aBeg = d.begXSel, aEnd = d.endXSel;
    } else {
        const long double divider = d.GetTimeDivider();
        aBeg = d.begXSel / divider, aEnd = d.endXSel / divider;
    }
}

void RealYRange(const TDataClass& d, long double& aBeg, long double& aEnd) {
    const bool tAxis = IsTCurveMode(d.mode) || d.mode == vm_view_dt_and_temp_by_time;
    if (tAxis) {
        if (d.tempScale == tsUnits) {
            aBeg = d.begYSel, aEnd = d.endYSel;
        } else {
            aBeg = TDegrees(d, d.begYSel), aEnd = TDegrees(d, d.endYSel);
        }
        return;
    }
    if (d.diffTempScale == dtsUnits) {
        aBeg = d.begYSel, aEnd = d.endYSel;
        return;
    }
    // Degrees: at the temperatures of the ends of the x range on a temperature axis, at the
    // temperature in the middle of the visible samples otherwise.
    double t1 = 0, t2 = 0;
    if (IsTempXMode(d.mode)) {
        t1 = d.tempScale == tsDegrees ? d.begXSel : TDegrees(d, d.begXSel);
        t2 = d.tempScale == tsDegrees ? d.endXSel : TDegrees(d, d.endXSel);
    } else if (d.GetItemCount() > 0) {
        const int middle = d.ClipItemIndex(d.begXSel + (d.endXSel - d.begXSel) / 2);
        t1 = t2 = d.items[middle][0].tc;
    }
    aBeg = DtDegrees(d, d.begYSel, t1), aEnd = DtDegrees(d, d.endYSel, t2);
}

void ShownItems(const TDataClass& d, int aChannel, int& aFirst, int& aLast) {
    const int last = d.GetItemCount() - 1;
    int scanEnd = last;
    if (aChannel >= 0 && static_cast<size_t>(aChannel) < d.descriptors.size())
        scanEnd = d.descriptors[aChannel].fScanEndPoint;
    // While a run is repainted its channels end at the newest sample, not at the end of the
    // previous run.
    if (IsRepaintScanMode(d.mode) && aChannel >= d.fFirstScanChannelNo && aChannel <= d.fLastScanChannelNo)
        scanEnd = std::max(scanEnd, static_cast<int>(d.fTimeCounter));
    const bool afterScan = DataConfig().showDataAfterScan;
    if (IsTempXMode(d.mode)) {
        // x is a temperature there; the samples are those of the second range.
        aFirst = std::max(0, d.begX1);
        aLast = std::min(last, d.endX1);
    } else {
        aFirst = std::max(0, d.begXSel);
        aLast = std::min(last, d.endXSel);
    }
    if (!afterScan) aLast = std::min(aLast, scanEnd);
}

void CurvePoint(const TDataClass& d, int aItem, int aChannel, int& x, int& y) {
    const TItem& s = d.items[aItem][aChannel];
    if (IsTempXMode(d.mode)) {
        x = d.GetScaledX(d.tempScale == tsDegrees ? static_cast<long double>(s.tc) : s.t);
    } else {
        x = d.GetScaledX(aItem);
    }
    if (IsTCurveMode(d.mode)) {
        y = d.tempScale == tsDegrees ? d.GetScaledYr(s.tc) : d.GetScaledY(s.t);
    } else {
        y = d.diffTempScale == dtsDegrees ? d.GetScaledYr(s.dtc) : d.GetScaledY(s.dt);
    }
}

std::string FormatLabel(const std::string& aPattern, double aValue) {
    std::string s = FormatFloat(aPattern, aValue);
    s.erase(0, s.find_first_not_of(' '));
    return s;
}

}  // namespace kalvero
