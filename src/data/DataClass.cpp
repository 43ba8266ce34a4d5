#include "data/DataClass.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>

#include "common/Globals.h"
#include "common/Logger.h"
#include "common/MathProcs.h"
#include "common/UiHooks.h"
#include "data/Calibrate.h"

namespace kalvero {

const TAppConfig& DataConfig() {
    return MutableDataConfig();
}

TAppConfig& MutableDataConfig() {
    if (!gConfig) throw EDataClassException("Настройки программы не загружены");
    return *gConfig;
}

namespace {

uint32_t TickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The tick count of the creation, moved on by one where two experiments are created within the
// same millisecond: the identity tells windows apart, so it must never repeat in a process.
uint32_t NewInstanceId() {
    static std::atomic<uint32_t> last{0};
    uint32_t previous = last.load();
    uint32_t id = 0;
    do {
        id = std::max(TickCount(), previous + 1);
    } while (!last.compare_exchange_weak(previous, id));
    return id;
}

int32_t RoundToInt(double v) {
    return static_cast<int32_t>(Round(v));
}

}  // namespace

TDataClass::TDataClass(const std::string& aFileName) {
    const TAppConfig& c = DataConfig();
    fInstanceId = NewInstanceId();
    fFirstScanChannelNo = 0;
    fLastScanChannelNo = static_cast<uint8_t>(std::max(0, c.numberOfDataChannels - 1));
    fFileName = aFileName;
    fDateCreate = Now();
    coords.assign(2, TScreenCoord{});

    TChannelDescriptor first;
    first.name = "Канал № 1";
    first.diffTempCurveColor = c.display.diffTempCurveColor;
    first.tempCurveColor = c.display.tempCurveColor;
    descriptors.push_back(first);

    frequency = c.frequency > 0 ? c.frequency : 10.0f;
    fHeatSpeed = c.heatSpeed;
    fPeriod = 1000.0L / frequency;
    timeScale = static_cast<TTimeScale>(c.timeScale);
    tempScale = static_cast<TTempScale>(c.tempScale);
    diffTempScale = static_cast<TDiffTempScale>(c.diffTempScale);
    areaScale = static_cast<TAreaScale>(c.areaScale);

    begX = 0;
    // A run of at least one item, whatever the configured length.
    endX = std::max(0, RoundToInt(static_cast<double>(c.endTime) * frequency) - 1);
    fTempMinValue = c.tMinValue;
    fTempMaxValue = c.tMaxValue;
    fDiffTempMinValue = c.dTMinValue;
    fDiffTempMaxValue = c.dTMaxValue;
    begY = fDiffTempMinValue;
    endY = fDiffTempMaxValue;
    begXSel = begX;
    endXSel = RoundToInt(static_cast<double>(c.timeWindowWidth) * frequency);
    begYSel = begY;
    endYSel = endY;
    fBegCalcInfo = static_cast<uint32_t>(begX);
    fEndCalcInfo = static_cast<uint32_t>(endX);

    items.Reset(0, 1);
    workItems.Reset(0, WORKCHANNELS_COUNT);
    for (int k = 2; k <= c.numberOfDataChannels; ++k)
        CreateCannel("Канал № " + std::to_string(k), CHANNEL_TYPE_PERMANENT);
    SetItemsLength(endX + 1, true);
    fCurrentChannelNo = 0;
    fHasUnsavedChanges = false;
}

TDataClass::~TDataClass() {
    bubbles.Clear();
    tangents.Clear();
    peaks.Clear();
}

bool TDataClass::SameInstance(const TDataClass* aDataClass) const {
    return aDataClass != nullptr && aDataClass->fInstanceId == fInstanceId;
}

void TDataClass::DoOnRefreshCanvas() {
    if (OnRefreshCanvas) OnRefreshCanvas(*this);
}

double TDataClass::GetT(int aItemNo) const {
    if (items.Empty()) return 0;
    const TItem& s = items[ClipItemIndex(aItemNo)][0];
    return tempScale == tsDegrees ? s.tc : s.t;
}

double TDataClass::GetDt(int aItemNo) const {
    if (items.Empty()) return 0;
    const TItem& s = items[ClipItemIndex(aItemNo)][0];
    return diffTempScale == dtsDegrees ? s.dtc : s.dt;
}

TItem TDataClass::GetItemCh0(int aItemIndex) const {
    if (items.Empty()) return {};
    return items[ClipItemIndex(aItemIndex)][0];
}

std::string TDataClass::GetTUnits() const {
    return tempScale == tsUnits ? "отсч." : DataConfig().tempChannelUnitsName;
}

std::string TDataClass::GetDtUnits() const {
    if (diffTempScale == dtsUnits) return "отсч.";
    return fPhysical ? SignalUnitCaption(fPhysical->unit) : DataConfig().diffChannelUnitsName;
}

std::string TDataClass::GetDtName() const {
    return fPhysical ? SignalQuantityCaption(fPhysical->quantity) : DataConfig().diffChannelShortName;
}

float TDataClass::TValue(int32_t aT) const {
    if (fPhysical) return static_cast<float>(aT * fPhysical->tStep);
    return TempRealValue(aT);
}

float TDataClass::SignalValue(int32_t aDt, float aTc) const {
    if (fPhysical) return static_cast<float>(aDt * fPhysical->signalStep);
    return DiffTempRealValue(aDt, aTc);
}

int32_t TDataClass::TReading(double aDegrees) const {
    if (fPhysical) return ToReading(aDegrees, fPhysical->tStep);
    TCalibrationTable* table = TempTable();
    return table ? table->GetUnitsValue(static_cast<float>(aDegrees)) : ToReading(aDegrees, 1);
}

int32_t TDataClass::SignalReading(double aValue, float aTc) const {
    if (fPhysical) return ToReading(aValue, fPhysical->signalStep);
    TCalibrationTable* table = gDiffTempCalibrationTable;
    if (!table) return ToReading(aValue, 1);
    // dT may be calibrated by a table of the temperature kind, which has no ranges.
    if (table->GetTableType() == cttTemperature) return table->GetUnitsValue(static_cast<float>(aValue));
    return table->GetUnitsValue(static_cast<float>(aValue), static_cast<int32_t>(std::lround(aTc)));
}

bool TDataClass::EndoUp() const {
    if (fEndoUp) return *fEndoUp;
    return gConfig ? gConfig->endoEffectsUp : true;
}

double TDataClass::GetTimeDivider() const {
    return timeScale != tmUnits ? static_cast<double>(timeScale) * frequency : 1.0;
}

bool TDataClass::IsInDtRelatedMode() const {
    return mode <= vm_repaint_scan_dT_by_time || mode == vm_scan_dT_by_temp ||
           mode == vm_repaint_scan_dT_by_temp;
}

bool TDataClass::IsInTRelatedMode() const {
    return mode >= vm_view_T_by_time && mode <= vm_repaint_scan_T_by_time;
}

bool TDataClass::IsTempBasedMode() const {
    return mode == vm_view_dT_by_temp || mode == vm_scan_dT_by_temp || mode == vm_repaint_scan_dT_by_temp;
}

bool TDataClass::IsTimeBasedMode() const {
    return mode == vm_view_dT_by_time || mode == vm_scan_dT_by_time || mode == vm_repaint_scan_dT_by_time ||
           (mode >= vm_view_dt_and_temp_by_time && mode <= vm_repaint_scan_T_by_time);
}

int TDataClass::ClipItemIndex(int aX) const {
    return std::clamp(aX, 0, std::max(0, GetItemCount() - 1));
}
int TDataClass::ClipX(int aX) const {
    return HLLim(begX, endX, aX);
}
int TDataClass::ClipX1(int aX) const {
    return HLLim(begX1, endX1, aX);
}
int TDataClass::ClipY(int aY) const {
    return HLLim(begY, endY, aY);
}
int TDataClass::ClipY1(int aY) const {
    return HLLim(begY1, endY1, aY);
}

int TDataClass::GetAfterScanBound(int aChannelNo) const {
    if (DataConfig().showDataAfterScan || aChannelNo < 0 ||
        aChannelNo >= static_cast<int>(descriptors.size())) {
        return endXSel;
    }
    return std::min(endXSel, descriptors[aChannelNo].fScanEndPoint);
}

void TDataClass::GetMinMaxTempOnRange(int aRangeBegin, int aRangeEnd, double& aMinTemp,
                                      double& aMaxTemp) const {
    if (IsTempBasedMode()) throw EDataClassException("Incorrect view mode");
    if (items.Empty()) {
        aMinTemp = aMaxTemp = 0;
        return;
    }
    aMinTemp = aMaxTemp = items[0][0].tc;
    const int from = ClipItemIndex(std::min(aRangeBegin, aRangeEnd));
    const int to = ClipItemIndex(std::max(aRangeBegin, aRangeEnd));
    for (int i = from; i <= to; ++i) {
        for (int ch = 0; ch < GetChannelCount(); ++ch) {
            aMinTemp = std::min<double>(aMinTemp, items[i][ch].tc);
            aMaxTemp = std::max<double>(aMaxTemp, items[i][ch].tc);
        }
    }
}

void TDataClass::SetItemsLength(int aLength, bool ClearAll) {
    SetItemsLength(aLength, ClearAll, false);
}

void TDataClass::SetItemsLength(int aLength, bool ClearAll, bool aWrittenInFull) {
    const size_t length = static_cast<size_t>(std::max(0, aLength));
    if (items.ChannelCount() == 0) items.ResizeChannels(1);
    if (ClearAll) {
        if (aWrittenInFull) {
            items.ResetForWriting(length, items.ChannelCount());
            undoItems.ResetForWriting(length, 1);
        } else {
            items.Reset(length, items.ChannelCount());
            undoItems.Reset(length, 1);
        }
        workItems.Reset(length, WORKCHANNELS_COUNT);
        fEvaluations.Clear();
        peaks.Clear();
        bubbles.Clear();
        tangents.Clear();
    } else {
        items.ResizeItems(length);
        workItems.ResizeItems(length);
        undoItems.ResizeItems(length);
    }
    if (!IsTempBasedMode()) {
        endX = static_cast<int32_t>(length) - 1;
        if (endXSel > endX) endXSel = endX;
    }
    fHasUnsavedChanges = true;
}

int TDataClass::CreateCannel(const std::string& channelName, TDataChannelType channelType) {
    items.ResizeChannels(items.ChannelCount() + 1);
    TChannelDescriptor d;
    d.name = channelName;
    d.channelType = channelType;
    d.diffTempCurveColor = DataConfig().display.GetDiffTempCurveColor(GetChannelCount() - 1);
    d.tempCurveColor = 0;
    d.fScanEndPoint = endX;
    d.visible = true;
    descriptors.resize(static_cast<size_t>(GetChannelCount() - 1));
    descriptors.push_back(d);
    fHasUnsavedChanges = true;
    UpdateLegend();
    return GetChannelCount();
}

void TDataClass::CreateChannels() {
    while (GetChannelCount() < DataConfig().numberOfDataChannels) {
        CreateCannel("Канал № " + std::to_string(GetChannelCount() + 1), CHANNEL_TYPE_PERMANENT);
    }
}

void TDataClass::RemoveChannel(int numCh) {
    if (numCh >= 0 && numCh < GetChannelCount()) {
        items.RemoveChannel(static_cast<size_t>(numCh));
        if (static_cast<size_t>(numCh) < descriptors.size()) descriptors.erase(descriptors.begin() + numCh);
        if (fFirstScanChannelNo > 0) --fFirstScanChannelNo;
        if (fLastScanChannelNo > 0) --fLastScanChannelNo;
    }
    fHasUnsavedChanges = true;
    UpdateLegend();
}

void TDataClass::RemoveTemporaryChannels() {
    for (;;) {
        const auto it = std::find_if(descriptors.begin(), descriptors.end(), [](const TChannelDescriptor& d) {
            return d.channelType == CHANNEL_TYPE_TEMPORARY;
        });
        if (it == descriptors.end()) break;
        RemoveChannel(static_cast<int>(it - descriptors.begin()));
    }
}

void TDataClass::SetNumChannels(int aNewChCount) {
    const int count = std::max(1, aNewChCount);  // an experiment always keeps one channel
    if (count != GetChannelCount()) {
        items.ResizeChannels(static_cast<size_t>(count));
        descriptors.resize(static_cast<size_t>(count));
    }
    fHasUnsavedChanges = true;
    UpdateLegend();
}

void TDataClass::FillChannelRange(int aChNo, size_t aFrom, size_t aTo) {
    const size_t channels = items.ChannelCount();
    if (fPhysical) {
        // Double products of a power-of-two step are exact; one rounding to single precision.
        const double tStep = fPhysical->tStep, sStep = fPhysical->signalStep;
        TItem* p = items.Data() + aFrom * channels + static_cast<size_t>(aChNo);
        for (size_t i = aFrom; i < aTo; ++i, p += channels) {
            p->tc = static_cast<float>(p->t * tStep);
            p->dtc = static_cast<float>(p->dt * sStep);
        }
        return;
    }
    TCalibrationTable* temp = TempTable();
    TCalibrationTable* diff = gDiffTempCalibrationTable;
    const size_t stride = items.ChannelCount();
    TItem* s = items.Data() + aFrom * stride + static_cast<size_t>(aChNo);
    // The conversions are pure functions of their arguments, and neighbouring samples of a slow
    // curve repeat their readings: the last result is reused while the arguments stay the same.
    bool haveT = false, haveDt = false;
    int32_t lastT = 0, lastDt = 0;
    float lastTc = 0, lastTcForDt = 0, lastDtc = 0;
    for (size_t i = aFrom; i < aTo; ++i, s += stride) {
        try {
            if (!haveT || s->t != lastT) {
                haveT = false;
                lastTc = temp ? temp->GetRealValue(s->t) : static_cast<float>(s->t);
                lastT = s->t;
                haveT = true;
            }
            s->tc = lastTc;
            if (!haveDt || s->dt != lastDt || s->tc != lastTcForDt) {
                haveDt = false;
                lastDtc = diff ? diff->GetRealValue(s->dt, s->tc) : static_cast<float>(s->dt);
                lastDt = s->dt;
                lastTcForDt = s->tc;
                haveDt = true;
            }
            s->dtc = lastDtc;
        } catch (const std::exception& e) {
            // Neither a value of another reading nor whatever the memory held.
            if (!haveT) s->tc = 0;
            s->dtc = 0;
            if (gLogger) gLogger->Error("TDataClass", e.what());
        }
    }
}

void TDataClass::FillTempValues(int aChNo) {
    if (aChNo < 0 || aChNo >= GetChannelCount()) return;
    TBusyScope busy;
    FillChannelRange(aChNo, 0, items.ItemCount());
}

void TDataClass::FillTempValues() {
    TBusyScope busy;
    for (int ch = 0; ch < GetChannelCount(); ++ch)
        FillChannelRange(ch, 0, items.ItemCount());
}

void TDataClass::FillWorkChannelsTempValues(int aX1, int aX2) {
    const int from = std::max(0, aX1);
    const int to = std::min(aX2, static_cast<int>(workItems.ItemCount()));
    for (int w = 0; w < WORKCHANNELS_COUNT; ++w) {
        for (int i = from; i < to; ++i) {
            TItem& s = workItems[i][w];
            try {
                s.tc = TValue(s.t);
                // The temperature of the item comes from channel 0, which always exists.
                s.dtc = SignalValue(s.dt, items[i][0].tc);
            } catch (const std::exception& e) {
                if (gLogger) {
                    gLogger->Debug("TDataClass", std::to_string(w) + " " + std::to_string(i));
                    gLogger->Debug("TDataClass", e.what());
                }
                throw;
            }
        }
    }
}

}  // namespace kalvero
