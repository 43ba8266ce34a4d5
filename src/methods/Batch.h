#pragma once
// A method applied to many experiment files (own or foreign) on several threads: each thread loads
// and evaluates whole files on its own experiment objects, so that the threads share only what
// is read (the method, the configuration, the calibration tables) and the log, which locks
// itself. A file that cannot be loaded or evaluated is reported and the others go on.

#include <functional>
#include <string>
#include <vector>

#include "methods/MethodApply.h"

namespace kalvero {
class TAppConfig;
class TDataClass;
class TLogger;
}  // namespace kalvero

namespace kalvero::methods {

struct TBatchFile {
    std::string file;
    TMethodRun run;
    std::string error;  // why the file could not be loaded or evaluated; empty when it was

    bool Failed() const { return !error.empty() || run.Failed(); }
};

struct TBatchOptions {
    int jobs = 0;  // threads; 0: one per core
    // Called for each file done, on the thread that did it, one call at a time: the count done
    // so far and the file.
    std::function<void(size_t, const TBatchFile&)> onDone;
    // Called on the experiment after the method, on its thread (a report drawn of it, ...).
    std::function<void(TDataClass&, const TBatchFile&)> onEvaluated;
};

// The results in the order of aFiles.
std::vector<TBatchFile> EvaluateFiles(const std::vector<std::string>& aFiles, const TMethod& aMethod,
                                      const TAppConfig& aConfig, TLogger* aLogger,
                                      const TBatchOptions& aOptions = {});

// The exit status of a batch: 1 when a file could not be evaluated, else 3 when a limit failed,
// else 0.
int BatchExitStatus(const std::vector<TBatchFile>& aFiles);

// The threads for aJobs (0: the machine's cores) and aFiles files: at least one, at most a file each.
int BatchThreads(int aJobs, size_t aFiles);

}  // namespace kalvero::methods
