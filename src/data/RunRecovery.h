#pragma once
// Runs that survive a crash. While a run records, its experiment's description and every new
// sample of the scanned channels go to a recovery file in the program-data folder ("recovery/"),
// appended in place and made durable at short intervals; a crash or a kill loses at most what
// came after the last flush. The file goes when the run's experiment is saved after the run, or
// deliberately discarded. The next start finds what is left and offers it back.
//
// The file: "KALVREC1", the length of the description (UInt32) and the description (JSON: file
// name, descriptive data, rate, scales, channels, the scanned channels, the record size), the
// length of the base (UInt64) and the base (the samples the experiment held before the run when
// the run adds channels: item count, channel count, then t and dt of every channel of every
// item), then one record per item of the run: t and dt (Int32 each) of every scanned channel. A
// torn last record is ignored.
//
// Appending is done by whoever drives the run (the run control on its timer), never by the
// acquisition thread: the samples are copied under the items' read lock and written outside it.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/DateTime.h"

namespace kalvero {

class TDataClass;

class ERecoveryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Flushes at least this often in run time (seconds of the experiment).
inline constexpr double RECOVERY_FLUSH_SECONDS = 5;

class TRunRecovery {
public:
    // Starts the recovery file of a run about to record into aExperiment, whose scanned channels
    // are set (fFirstScanChannelNo … fLastScanChannelNo). aWithBase: the run adds channels to
    // samples the experiment already holds, which are written first. ERecoveryException when the
    // file cannot be made.
    TRunRecovery(const std::string& aProgramDataPath, const TDataClass& aExperiment, bool aWithBase);
    ~TRunRecovery();
    TRunRecovery(const TRunRecovery&) = delete;
    TRunRecovery& operator=(const TRunRecovery&) = delete;

    // Takes items Written() … aItems − 1 of the scanned channels into the pending records (the
    // caller holds the items' read lock); cheap: a copy.
    void Take(const TDataClass& aExperiment, uint32_t aItems);
    // Writes the pending records and, when aDurable, makes everything written durable. A write
    // failure is logged once and the recovery goes quiet: the run itself goes on.
    void Write(bool aDurable);
    // The run has ended: everything is written durably and the file waits for the save.
    void Finish();

    uint32_t Written() const { return fTaken; }
    const std::string& FileName() const { return fFileName; }
    bool Failed() const { return fFailed; }

private:
    std::string fFileName;
    int fFd = -1;
    int fFirst = 0, fLast = 0;
    uint32_t fTaken = 0;
    std::vector<char> fPending;
    bool fFailed = false;
};

// A run found in the recovery folder.
struct RRecoveredRun {
    std::string recoveryFile;
    std::string fileName;  // the experiment's own file name
    uint32_t items = 0;    // complete records
    float frequency = 0;
    TDateTime started = 0;
    double Seconds() const { return frequency > 0 ? items / frequency : 0; }
};

// The runs left in the recovery folder of aProgramDataPath, oldest first; files that are not
// recovery files, or are being written by a run of this process, are passed over.
std::vector<RRecoveredRun> FindRecoveredRuns(const std::string& aProgramDataPath);
// Fills aTarget (a new experiment) with the run: its description, its channels, the samples up
// to the last complete record; unsaved, never saved, calibrated. The file stays attached to
// aTarget: saving aTarget removes it, DiscardRecovery does too. ERecoveryException for a damaged
// file.
void LoadRecoveredRun(const RRecoveredRun& aRun, TDataClass& aTarget);

// The recovery file attached to an experiment (its run ended, or it was recovered) is removed:
// the experiment was saved, or the operator gave it up. Nothing happens without one, and
// nothing while the experiment's run still records.
void DiscardRecovery(const TDataClass* aExperiment);
// Called when an experiment was saved: removes the file of a finished run.
void ExperimentSaved(const TDataClass* aExperiment);
// Removes a run found at start-up that the operator does not want back.
void DiscardRecoveredRun(const RRecoveredRun& aRun);

}  // namespace kalvero
