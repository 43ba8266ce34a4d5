#pragma once
// Peak detection on the dT curve of an experiment: four work channels are prepared (the smoothed
// curve, its first and second derivatives, a computed base line), peaks are found where the
// curve leaves the base line by more than a threshold, and each is built with its margins, base
// line, top line, onset tangent and marker. Everything works on channel 0 in raw counts.

#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "data/DataClass.h"

namespace kalvero {

class TLogger;
class TPeak;
class TUiHooks;
namespace processing {
class TBufferView;
}

inline constexpr uint8_t PEAK_BASELINE_INTERPOLATED = 0;  // base line from curve point to curve point
inline constexpr uint8_t PEAK_BASELINE_HORIZONTAL = 1;    // base line level with its left point
inline constexpr uint8_t PEAK_AREA_TYPE_RAW = 0;          // area as a plain sum of counts
inline constexpr uint8_t PEAK_AREA_TYPE_BYTIME = 1;       // area as a time integral
inline constexpr uint8_t TANGENT_DETECT_TYPE_INFLECTION = 0;
inline constexpr uint8_t TANGENT_DETECT_TYPE_TOUCH = 1;

enum TThreeStateBoolean : uint8_t { tsTrue = 0, tsFalse = 1, tsUnspecified = 2 };

// The levels of detection in signal readings: the swing of the first derivative that marks an
// effect for the base line (0: taken from the derivative itself), the deviation from the base line
// that starts a peak, and the one within which its margins lie.
struct TDetectLimits {
    double baseLine = 0;
    int high = 0;
    int low = 0;
};
// The settings' levels for a recorded experiment (counts of its converter). A physical
// experiment's readings are of another size: the deviations of the settings stand for a record
// whose signal spans DETECT_NOMINAL_SPAN counts over the range aFrom … aTo, scaled to this
// record's span; its base line is quiet where the derivative stays within DETECT_QUIET_FACTOR
// times the lower quartile of its magnitude, which holds a sloping base line and noise alike,
// and an effect that fills most of the record.
inline constexpr double DETECT_NOMINAL_SPAN = 300000;
inline constexpr double DETECT_QUIET_FACTOR = 6;
TDetectLimits DetectLimitsFor(const TDataClass& aData, const TAppConfig& aConfig, int aFrom, int aTo);

// A segment of the temperature program settles this long before detection looks for effects in
// it (the cell's response to the change of segment), at most a quarter of the segment, s.
inline constexpr double SEGMENT_SETTLE_TIME = 60;

class TPeakUtils {
public:
    // None of the four is owned. aLogger and aProgressForm may be null.
    TPeakUtils(TDataClass& aDataClass, const TAppConfig& aConfig, TLogger* aLogger, TUiHooks* aProgressForm);

    // Automatic detection over items aRangeStart … aRangeEnd (clipped to the record), inside each
    // segment of the temperature program after it has settled; a peak that would reach into
    // another segment is not one. Adds the peaks found to the experiment. aPBar, when given, shows
    // the progress of the smoothing.
    void DetectPeaks(int aRangeStart, int aRangeEnd, TUiHooks* aPBar = nullptr);
    // Builds and registers one peak between two items (clipped, ordered). With aHandMode its
    // derivative is prepared around it (aProgress shows the smoothing); else the work channels
    // hold it already. The peak added, or null when the margins leave it no width. Without
    // aTangent the onset tangent is not drawn (its foot taken as the base line's first point): for
    // results that do not need it, since its derivative costs more than the rest of the peak.
    TPeak* AddPeak(int aPeakStart, int aPeakEnd, bool aHandMode, TUiHooks* aProgress = nullptr,
                   bool aTangent = true);
    TPeak* AddPeakManually(int peakStart, int peakEnd, TUiHooks* PBar = nullptr, bool aTangent = true);
    // The onset tangent of a peak added by hand without it, as AddPeak would have drawn it: aTop
    // and aUp are the top and the direction the peak had when added (a base line of another kind
    // may move the top since); and whether a peak has one.
    void AddOnsetTangent(TPeak& p, int aTop, bool aUp);
    static bool HasTangent(const TPeak& p);

    // Re-integrates every peak of the experiment.
    void CalcPeaks();

    // The steps of detection, public for the tools that show them. PrepareDerivatives writes the
    // whole of the work channels; PrepareAround only the stretch around aFrom … aTo that a peak
    // between them reads, with the same values there.
    void PrepareDerivatives(int aRangeStart, int aRangeEnd, TUiHooks* aProgressBar);
    void PrepareAround(int aFrom, int aTo, TUiHooks* aProgressBar);
    // The steepest item of aFrom … aTop on the first derivative PrepareAround would make for a peak
    // aFrom … aTo (IterateToMaxValueWithPolarity's choice), leaving the work channels as they are.
    bool SteepestAround(int aFrom, int aTo, int aTop, bool aPositive, TUiHooks* aProgressBar, int& aResult);
    bool DetectBaseLine(int aRangeStart, int aRangeEnd, TUiHooks* aPBar);
    bool FillBaseLine(int aRangeStart, int aRangeEnd, int aDetectLimit);
    // The level of the first derivative within which the base line counts as quiet: a fifteenth
    // of the limit that marks an effect, one count at the usual limit of 15. A fixed count would
    // never be quiet on a sloping base line read with a 24-bit converter, however the limit is set.
    static double QuietLevel(double aDetectLimit);

    // Scans of the dt field of one channel of aItems over aRangeStart … aRangeEnd − 1.
    // A run of more than `frequency` × aValueDuration items with |v| < aValue; aResult its end.
    bool FindSegmentByLessThan(int aRangeStart, int aRangeEnd, float aValueDuration, long double aValue,
                               const TItemArray& aItems, int aItemsChannel, int& aResult) const;
    // The next excursion beyond aHighValue of the given sign: aResHigh its first item beyond the
    // level, aResLow the last item at or below aLowValue before it, aResPositive its sign.
    // EPeakUtilsException " aLowValue>aHighValue" for reversed levels.
    bool IterateToBeginOfGreaterThan(int aRangeStart, int aRangeEnd, long double aLowValue,
                                     long double aHighValue, TThreeStateBoolean aPositive,
                                     const TItemArray& aItems, int aItemsChannel, int& aResHigh, int& aResLow,
                                     bool& aResPositive) const;
    // The first item with |v| < aValue.
    bool IterateToBeginOfLessThan(int aRangeStart, int aRangeEnd, long double aValue,
                                  const TItemArray& aItems, int aItemsChannel, int& aResult) const;
    // The item of largest |v| among v < 0 (aPositive) or v >= 0 (not aPositive); the first wins.
    bool IterateToMaxValueWithPolarity(int aRangeStart, int aRangeEnd, bool aPositive,
                                       const TItemArray& aItems, int aItemsChannel, int& aResult) const;

private:
    // The onset tangent of p (its inflection or touching line, as the settings choose, over the
    // rise to aTop) drawn from its foot on the base line; the foot's item, the base line's first
    // point when there is none.
    int ConstructTangent(TPeak& p, int aTop, bool aUp, bool aHandMode, TUiHooks* aProgress);
    // The dt values of the four work channels while detection works on them: contiguous copies,
    // which the passes walk far faster than the interleaved work items.
    struct TWorkCopy {
        // Left uninitialised: every item is written before it is read, and zeroing a record of
        // ten million items four times over would cost as much as a smoothing pass.
        std::array<std::unique_ptr<int32_t[]>, WORKCHANNELS_COUNT> dt;
        int64_t count = 0;
    };
    static processing::TBufferView ViewOf(TWorkCopy& aCopy, int aWorkChannel);
    void Prepare(TWorkCopy& aCopy, int aRangeStart, int aRangeEnd, TUiHooks* aProgressBar);
    // The base line laid over each part (item ranges inside aRangeStart … aRangeEnd) on its own.
    bool DetectBaseLine(TWorkCopy& aCopy, int aRangeStart, int aRangeEnd,
                        const std::vector<std::pair<int, int>>& aParts, double aLimit, TUiHooks* aPBar);
    // The peaks that start in aPartStart … aPartEnd, their margins within aLowest … aHighest.
    void ScanForPeaks(const TWorkCopy& aCopy, int aPartStart, int aPartEnd, int aLowest, int aHighest,
                      const TDetectLimits& aLimits);
    // Writes the copies into the work channels in one pass: work channel 0 becomes channel 0 with
    // the prepared dt, channels 1 and 2 take their dt, and with aBaseLine channel 3 becomes work
    // channel 0 with the base line's dt.
    void Store(const TWorkCopy& aCopy, bool aBaseLine);
    void Log(const std::string& aMessage) const;
    void ShowMessage(const std::string& aText) const;
    void HideProgress() const;
    // Shows aText while it lives.
    class TShownMessage {
    public:
        TShownMessage(const TPeakUtils& aUtils, const std::string& aText) : fUtils(aUtils) {
            fUtils.ShowMessage(aText);
        }
        ~TShownMessage() { fUtils.HideProgress(); }
        TShownMessage(const TShownMessage&) = delete;
        TShownMessage& operator=(const TShownMessage&) = delete;

    private:
        const TPeakUtils& fUtils;
    };

    TDataClass* fDataClass;
    TUiHooks* fProgressForm;
    const TAppConfig* fConfig;
    TLogger* fLogger;
};

class EPeakUtilsException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace kalvero
