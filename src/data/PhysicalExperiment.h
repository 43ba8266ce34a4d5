#pragma once
// An experiment made of physical samples: an imported run of another instrument or a computed
// curve becomes a TDataClass with its own scale (PhysicalUnits.h), ready for everything that
// works on a recorded experiment.

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/DateTime.h"
#include "data/PhysicalUnits.h"

namespace kalvero {

class TDataClass;

struct TPhysicalRun {
    std::vector<double> time;         // s, increasing
    std::vector<double> temperature;  // °C
    std::vector<double> signal;       // in unit
    TSignalQuantity quantity = sqHeatFlow;
    std::string unit = "mW";
    double mass = 0;         // mg; 0 when not known
    double heatingRate = 0;  // K/min; 0 when not known
    std::optional<bool> endoUp;
    std::string sampleName, operatorName, laboratoryName, instrument, description, sourceFile;
    TDateTime date = 0;  // 0: now
};

class EPhysicalRunException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Replaces aData's content by the run: one channel, samples at one time step (the run's own when
// its steps agree within 0.1 %, else the run interpolated onto the median step), readings on
// power-of-two steps, the undo copy taken, the view fitted to the samples; the experiment is new
// and unsaved. What had to be assumed or changed is appended to aWarnings. A run of fewer than
// two samples, of arrays of different lengths or with times that do not increase is
// EPhysicalRunException, aData then untouched.
void FillFromPhysicalRun(TDataClass& aData, const TPhysicalRun& aRun, std::vector<std::string>& aWarnings);

// The samples of channel aChannel as a run (time from 0 at the experiment's step), with the
// experiment's description: what export writes and what an import of it gives back.
TPhysicalRun PhysicalRunOf(const TDataClass& aData, int aChannel = 0);

}  // namespace kalvero
