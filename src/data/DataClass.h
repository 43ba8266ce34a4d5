#pragma once
// One experiment: the samples of every channel (raw readings and calibrated values), the
// descriptive data, the objects found on the curves, the work channels used by processing, a
// one-step undo copy of channel 0 and the view state of the plot that shows it.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Config.h"
#include "common/DateTime.h"
#include "common/ObjectCollection.h"
#include "data/EditHistory.h"
#include "data/EvaluationRecords.h"
#include "data/ItemArray.h"
#include "data/PhysicalUnits.h"
#include "processing/CurveObjects.h"
#include "processing/XYPoint.h"

namespace kalvero {

class TDataCanvas;

enum TCurveMode : uint8_t {
    vm_view_dT_by_time = 0,
    vm_view_dT_by_temp = 1,
    vm_scan_dT_by_time = 2,
    vm_repaint_scan_dT_by_time = 3,
    vm_optstate_draw_extra_temp = 4,
    vm_scan_dT_by_temp = 5,
    vm_repaint_scan_dT_by_temp = 6,
    vm_view_dt_and_temp_by_time = 7,
    vm_view_T_by_time = 8,
    vm_scan_T_by_time = 9,
    vm_repaint_scan_T_by_time = 10
};

enum TTimeScale : uint16_t { tmUnits = 0, tmSeconds = 1, tmMinutes = 60, tmHours = 3600 };
enum TTempScale : uint8_t { tsUnits = 0, tsDegrees = 1 };
enum TDiffTempScale : uint8_t { dtsUnits = 0, dtsDegrees = 1 };
enum TAreaScale : uint8_t { asUnits = 0, asJole = 1, asJolePerGramm = 2 };

// The file types the reader knows.
enum TAppFileType : uint8_t { ftDSC = 0, ftBin = 1, ftBMP = 2, ftCSV = 3 };

inline constexpr int WORKCHANNEL_BASE_CURVE = 0;
inline constexpr int WORKCHANNEL_FIRST_DERIVATIVE = 1;
inline constexpr int WORKCHANNEL_SECOND_DERIVATIVE = 2;
inline constexpr int WORKCHANNEL_BASE_LINE = 3;
inline constexpr int WORKCHANNELS_COUNT = 4;

struct TChannelDescriptor {
    std::string name;
    TDataChannelType channelType = CHANNEL_TYPE_PERMANENT;
    TColor diffTempCurveColor = 0;
    TColor tempCurveColor = 0;
    bool visible = true;
    int32_t fScanEndPoint = 0;
};

// One draggable point of the plot, as drawing last placed it: x, y, x1, y1 are screen
// coordinates including margins and paddings; objID, objSubID, pointID name the peak, its cut
// line and the point. alowedModes holds bit m for every mode m in which it may be dragged.
struct TScreenCoord {
    TDragType dragType = DRAGTYPE_NONE;
    uint16_t alowedModes = 0;
    bool disableForAllModes = false;
    TCutLineType objType = CUTLINE_VIRTUALBASELINE_DT;
    int32_t x = 0, y = 0, x1 = 0, y1 = 0;
    int32_t objID = 0, objSubID = 0, pointID = 0;
};

class EDataClassException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TDataClass {
public:
    // A new experiment sized for a whole run (endTime × frequency items) on the configured
    // number of data channels, everything taken from gConfig.
    explicit TDataClass(const std::string& aFileName = "");
    ~TDataClass();  // the original's Destory
    TDataClass(const TDataClass&) = delete;
    TDataClass& operator=(const TDataClass&) = delete;

    bool SameInstance(const TDataClass* aDataClass) const;
    void SetAutorefresh(bool isRefresh) { fAutoRefresh = isRefresh; }
    void SetCanvas(TDataCanvas* aCanvas) { fDataCanvas = aCanvas; }
    TDataCanvas* GetCanvas() const { return fDataCanvas; }
    void DoOnRefreshCanvas();

    // Access.
    int GetItemCount() const { return static_cast<int>(items.ItemCount()); }
    int GetChannelCount() const { return static_cast<int>(items.ChannelCount()); }
    double GetT(int aItemNo) const;
    double GetDt(int aItemNo) const;
    TItem GetItemCh0(int aItemIndex) const;
    std::string GetTUnits() const;
    std::string GetDtUnits() const;
    // The signal axis: "dT" of the settings, or the quantity of a physical experiment
    // ("Тепловой поток").
    std::string GetDtName() const;

    // Physical units (PhysicalUnits.h): an experiment that holds physical values converts its
    // readings by its own scale; any other converts them through the process-wide tables.
    bool IsPhysical() const { return fPhysical.has_value(); }
    // Readings to values: degrees, and the signal at a temperature in degrees.
    float TValue(int32_t aT) const;
    float SignalValue(int32_t aDt, float aTc) const;
    // Values back to readings (nearest; a table that cannot convert raises its error).
    int32_t TReading(double aDegrees) const;
    int32_t SignalReading(double aValue, float aTc) const;
    // Whether endothermic effects point up (towards larger readings) on the signal axis: the
    // experiment's own convention when it has one, else the instrument's of the settings.
    bool EndoUp() const;
    double GetTimeDivider() const;
    bool IsInDtRelatedMode() const;
    bool IsInTRelatedMode() const;
    bool IsTempBasedMode() const;
    bool IsTimeBasedMode() const;
    int ClipItemIndex(int aX) const;
    int ClipX(int aX) const;
    int ClipX1(int aX) const;
    int ClipY(int aY) const;
    int ClipY1(int aY) const;
    int GetAfterScanBound(int aChannelNo) const;
    void GetMinMaxTempOnRange(int aRangeBegin, int aRangeEnd, double& aMinTemp, double& aMaxTemp) const;

    // Sizing and channels.
    void SetItemsLength(int aLength, bool ClearAll);
    int CreateCannel(const std::string& channelName, TDataChannelType channelType);
    void CreateChannels();
    void RemoveChannel(int numCh);
    void RemoveTemporaryChannels();
    void SetNumChannels(int aNewChCount);
    void FillTempValues();
    void FillTempValues(int aChNo);
    void FillWorkChannelsTempValues(int aX1, int aX2);
    void SetTZeroLine(double x);
    void SetDTZeroLine(double aYoffset);
    int ExpandTRange(int atValue, bool aSmoothRangeChange, bool& aRangeChanged, double aTMaxValue,
                     double aTMinValue);
    int ExpandDtRange(int aDtValue, bool aSmoothRangeChange, bool& aRangeChanged, double aDtMaxValue,
                      double aDtMinValue, double atValue);
    // The value ranges of the axes (fTempMinValue … fDiffTempMaxValue) around the readings of every
    // channel, 5 % wider on each side, and the dT view on them: a physical experiment's ranges, which
    // no converter bounds.
    void FitRangesToData();
    void SaveMargins();
    void RestoreMargins();
    void SwapMargins();
    void ResetMargins(bool aCheckRanges);

    // Clearing and the undo copy (the rest of the channel editing lives with the channel
    // operations).
    void ClearChannel(int ch);
    void ClearWorkChannel(int ch);
    // Whole samples of every item between channels and work channels. The copies into work
    // channels do not mark the experiment changed.
    void CopyToWorkChannel(int fromch, int toWorkCh);
    void CopyWorkChannelToWorkChannel(int fromWorkCh, int toWorkCh);
    void CopyFromWorkChannel(int fromWorkCh, int toch);
    // Whole samples between channels; the part copy clips aX1 … aX2 to the record.
    void CopyToChannel(int fromch, int toch);
    void PartCopyToChannel(int aX1, int aX2, int fromch, int toch);
    // Channels as configured, every one zero, no objects (the run control's reset).
    void ClearChannels();
    // Exchanges two permanent channels through work channel 0 (its content is lost).
    void SwapWorkChannelChannels(int aChNumber1, int aChNumber2);
    void SwapTempAndDiffTemp(int aChNumber);
    // Removes items min … max − 1 of the two bounds clipped into 0 … item count, from every
    // channel and the undo copy; objects inside go, later ones move back. False when nothing was
    // cut: an empty stretch, or fewer than 10 items would remain.
    bool CutData(int x1, int x2);
    // Channel 0 dt ← dt − aCurve's channel 0 dt + aLevel over the items both have; recalibrates.
    void Substract(const TDataClass& aCurve, int32_t aLevel);
    // Channel 0 t, dt back from the undo copy. False (nothing done) without a copy that covers
    // the current record.
    bool Undo(int aDataChannel);
    bool HasUndoCopy() const;
    void ClearAll();
    void CopyToBuffer();

    // Objects on the curves.
    void AddTangent(int x);
    void AddTangent(int aX1, int aX2);
    void AddBubble(int x);
    void DelPeak(int number);
    void DelPeaks(int a, int b);
    void DelBubbles(int a, int b);
    void DelTangents(int a, int b);
    void ClearObjects();
    // Items aX1 … aX2 − 1 (clipped) of channel 0 as points, through work channel 2 (smoothed with
    // the configured window when aUseSmooth): x the item or, with aRealXUnits, seconds; y counts
    // or, with aRealYUnits, degrees. dT and T versions.
    TXYPoints DtItemsToXYPoints(int aX1, int aX2, bool aRealXUnits, bool aRealYUnits, bool aUseSmooth);
    TXYPoints TItemsToXYPoints(int aX1, int aX2, bool aRealXUnits, bool aRealYUnits, bool aUseSmooth);

    // Drawing (implemented with the plot rendering). Everything is drawn on fDataCanvas; without
    // a surface the drawing operations do nothing. Pixels are graph coordinates: origin at the
    // top-left corner of the graph rectangle, y downwards.
    void Redraw();
    void DrawGrid();
    void DrawGraph();
    void DrawPeaks();
    void DrawBaseLine();
    void FillCoords();
    // Real-unit ranges, the layout copy and the scale factors. EDataClassException "Некорректные
    // границы для <temperature channel>." when a temperature axis has no extent.
    void AssignDrawMargins();
    int GetScaledX(long double x) const;
    int GetScaledY(long double y) const;
    int GetScaledYr(long double y) const;
    // The surface's picture (screen only): BMP under the name with ".bmp", TIFF under the name.
    void ExportToBMP(const std::string& aFileName);
    void ExportToTIFF(const std::string& aFileName);

    // Files. aSaveOnlySelected writes items begXSel ... endXSel - 1.
    void SaveToFile(const std::string& aFileName, bool aSaveOnlySelected);
    // aStartChannel 0 replaces the content; a positive one appends the file's channels. The
    // load's warnings are shown in a message box and kept in LastLoadWarnings().
    void LoadFromFile(const std::string& aFileName, TAppFileType aFileType, int aStartChannel);
    const std::vector<std::string>& LastLoadWarnings() const { return fLastLoadWarnings; }
    // What an import had to assume or leave out, kept as the warnings of the load.
    void SetLoadWarnings(std::vector<std::string> aWarnings) { fLastLoadWarnings = std::move(aWarnings); }
    // The FileVersion text of the last loaded header (empty for other layouts).
    const std::string& LoadedFileVersion() const { return fLoadedFileVersion; }

    // Identity and drawing surface.
    uint32_t fInstanceId = 0;
    float gridSize_X = 0, gridSize_Y = 0;
    bool fAutoRefresh = true;
    TDataCanvas* fDataCanvas = nullptr;
    int32_t graphicWidth = 0, graphicHeight = 0, paddingTop = 0, paddingLeft = 0, paddingBottom = 0;
    std::function<void(TDataClass&)> OnRefreshCanvas;

    // Descriptive data.
    std::string fFileName;
    TDateTime fDateCreate = 0;
    std::string fSampleName, fOperatorName, fLaboratoryName, fDescription;
    double fSampleWeight = 0;
    float fHeatSpeed = 0;
    // Physical experiments: the conversion of their readings, and where they came from.
    std::optional<TPhysicalScale> fPhysical;
    std::optional<bool> fEndoUp;  // the experiment's own direction of endothermic effects
    std::string fInstrument, fSourceFile;
    // The first items of the temperature program's segments as the source declared them (a segment
    // column); empty: segments are found from the temperatures (processing/Segments.h).
    std::vector<int32_t> fSegmentStarts;
    bool fWasSaved = false, fHasUnsavedChanges = false;

    // Data.
    TItemArray items;
    uint8_t fCurrentChannelNo = 0, fFirstScanChannelNo = 0, fLastScanChannelNo = 0;
    bool fWasFirstScan = false;
    std::vector<TChannelDescriptor> descriptors;
    TItemArray workItems{WORKCHANNELS_COUNT};  // always WORKCHANNELS_COUNT work samples per item
    TRawReadingArray undoItems{1};             // the undo copy of channel 0's t, dt: undoItems[i][0]
    size_t fUndoLength = 0;                    // items the undo copy was taken of; 0: no copy
    TObjectCollection bubbles{octArray}, tangents{octArray}, peaks{octArray};
    // The glass transitions, purities and crystallinities the operator evaluated; a purity or a
    // crystallinity names its peaks by their keys in `peaks` and lapses with them.
    TEvaluationRecords fEvaluations;
    // Every edit since the last load or run, to be undone and redone (EditHistory.h).
    TEditHistory fHistory{HistoryLimitBytes()};
    std::vector<TScreenCoord> coords;  // [0]: the dT zero line, [1]: the T zero line, then cut-line points

    // View window.
    TCurveMode mode = vm_view_dT_by_time;
    long double koeff_x = 0, koeff_y = 0, koeff_yr = 0;
    int32_t begX = 0, endX = 0;
    long double begXr = 0, endXr = 0;
    int32_t begXSel = 0, endXSel = 0;
    int32_t begX1 = 0, endX1 = 0, begXSel1 = 0, endXSel1 = 0;
    int32_t begY = 0, endY = 0;
    long double begYr = 0, endYr = 0;
    int32_t begYSel = 0, endYSel = 0;
    long double begYSelr = 0, endYSelr = 0;
    int32_t begY1 = 0, endY1 = 0;
    long double begYr1 = 0, endYr1 = 0;
    int32_t begYSel1 = 0, endYSel1 = 0;
    long double begYSelr1 = 0, endYSelr1 = 0;
    uint32_t fTimeCounter = 0, fOldTimeCounter = 0;
    float frequency = 10;
    long double fPeriod = 100;
    uint32_t fBegCalcInfo = 0, fEndCalcInfo = 0;
    bool fShowStatistics = false, fShowCurveSelection = false, fShowLegend = false;
    // The evaluations' annotations: segment bands and the labels of the effects.
    bool fShowSegments = true, fShowEffectLabels = true;
    int fHighlightedPeak = -1;  // the peak whose construction the results list points at
    TTimeScale timeScale = tmSeconds;
    TTempScale tempScale = tsUnits;
    TDiffTempScale diffTempScale = dtsUnits;
    TAreaScale areaScale = asUnits;
    int32_t fTempMinValue = 0, fTempMaxValue = 0, fDiffTempMinValue = 0, fDiffTempMaxValue = 0;

private:
    void UpdateLegend() { fShowLegend = GetChannelCount() > 1; }
    // SetItemsLength for a load that then writes every sample and the undo copy (aWrittenInFull):
    // their blocks are not cleared first.
    void SetItemsLength(int aLength, bool ClearAll, bool aWrittenInFull);
    // Calibrates the samples aFrom … aTo − 1 of a channel; a sample whose conversion fails gets 0.
    void FillChannelRange(int aChNo, size_t aFrom, size_t aTo);
    // True when the load left every sample calibrated and the undo copy taken (a replacing load
    // of the current layout does both while it reads).
    bool LoadHeaderFile(const std::string& aFileName, std::string_view aBytes,
                        const struct TExperimentExtras& aExtras, int aStartChannel, bool& aTempOverflow,
                        bool& aDiffOverflow);
    void LoadBinFile(const std::string& aFileName, std::string_view aBytes);
    // Fills the tangent's three point lists from its item range on its own curve and fits them.
    // False when the range holds fewer than two items.
    bool FillTangent(class TTangent& aTangent);
    // Items aX1 … aX2 − 1 (clipped) of channel 0 copied into work channel 2 and smoothed there;
    // the stretch [first, end) that holds points.
    std::pair<int, int> PrepareStretch(int aX1, int aX2, bool aForT, bool aRealYUnits, bool aUseSmooth);
    TXYPoints StretchPoints(std::pair<int, int> aStretch, bool aForT, bool aRealXUnits,
                            bool aRealYUnits) const;

    std::vector<std::string> fLastLoadWarnings;
    std::string fLoadedFileVersion;
};

// The configuration the experiments use (gConfig); raises EDataClassException when none is loaded.
const TAppConfig& DataConfig();
TAppConfig& MutableDataConfig();

class EDataClassStatException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Statistics over the temperature of an experiment's channels.
class TDataClassStat {
public:
    static double GetMaxTemp(const TDataClass* aDataClass, int aChannel, int aBegin, int aEnd);
    static double GetMinTemp(const TDataClass* aDataClass, int aChannel, int aBegin, int aEnd);
    // Over every channel, items 1 ... last: the extreme of all channels.
    static double GetMaxTemp(const TDataClass* aDataClass);
    static double GetMinTemp(const TDataClass* aDataClass);
};

}  // namespace kalvero
