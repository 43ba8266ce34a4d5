#pragma once
// What the benchmarks share: a configuration on a scratch program-data folder installed as
// gConfig, and experiment files of a given length.

#include <filesystem>
#include <memory>
#include <string>

#include "common/Config.h"
#include "common/Globals.h"

namespace kalvero::bench {

class TBenchEnvironment {
public:
    TBenchEnvironment();
    ~TBenchEnvironment();
    TAppConfig& Config() { return *fConfig; }
    // Folder for scratch files, with a trailing "/".
    const std::string& Folder() const { return fFolder; }

private:
    std::string fFolder;
    bool fKeep = false;
    std::unique_ptr<TAppConfig> fConfig;
};

// The process-wide environment of the benchmark run.
TBenchEnvironment& Environment();

// A comma-separated text export of aRows rows (time in s, temperature in °C, heat flow in mW:
// a 10 K/min heating with a melting peak on a sloped base, 10 rows a second) under a one-line
// header, made once per length as import<N>.csv in the benchmark folder and written piece by
// piece, so that making it leaves no trace in the memory of the process.
std::string ImportCsvFile(size_t aRows);

// An experiment file of aItems items on one channel (a temperature ramp and a dT peak), made once
// per length and reused.
std::string ExperimentFile(size_t aItems);

}  // namespace kalvero::bench
