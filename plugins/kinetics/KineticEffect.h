#pragma once
// The thermal effect of an experiment that the kinetic evaluations take, and the run of the
// reaction it gives: the peak over a range the operator names, or else the largest peak of
// channel 0 (detected first when the experiment has none). Its conversion is the running integral
// over its base line as a share of the whole area, and its rate the signal above the base line
// over that area, as the ICTAC Kinetics Committee's recommendations for collecting data derive
// them from a DSC signal (Vyazovkin et al., Thermochim. Acta 590 (2014) 1–23).

#include <string>
#include <vector>

#include "KineticRun.h"

namespace kalvero {
class TAppConfig;
class TDataClass;
class TLogger;
class TPeak;
}  // namespace kalvero

namespace kalvero::kinetics {

// The peak of largest area of channel 0. Detection runs first when the experiment has no peak;
// when even that finds none, the stretch that leaves the heating's base line furthest becomes the
// peak. EKineticsException when the experiment has no peak at all.
const TPeak& MainPeak(TDataClass& aData, const TAppConfig& aConfig, TLogger* aLogger);

// The peak over aRange ("500C:560C", "300s:900s", items), added to the experiment as the operator
// adds one by hand. ERangeText for a range the experiment does not hold.
const TPeak& PeakInRange(TDataClass& aData, const std::string& aRange, const TAppConfig& aConfig,
                         TLogger* aLogger);

// The heating rate the experiment was run at, K/min: its own when recorded, else the rate of the
// segment of the temperature program that holds aItem. EKineticsException when that segment does
// not heat.
double HeatingRateAt(const TDataClass& aData, int aItem);

// α and dα/dt over the peak's base line, temperatures in K, named after the experiment's file; its
// peak temperature is the peak's top read from the signal (as the Kissinger command reads it). What
// the conversion has to say of the curve (one crossing its base line) is appended to aWarnings,
// with the experiment's name.
RKineticRun RunOfPeak(const TDataClass& aData, const TPeak& aPeak, std::vector<std::string>& aWarnings);

// The experiment's file name without its folder.
std::string ExperimentName(const TDataClass& aData);

}  // namespace kalvero::kinetics
