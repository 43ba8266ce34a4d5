#include "methods/Batch.h"

#include <malloc.h>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "data/DataClass.h"
#include "import/ExperimentImport.h"

namespace kalvero::methods {
namespace {

TBatchFile EvaluateFile(const std::string& aFile, const TMethod& aMethod, const TAppConfig& aConfig,
                        TLogger* aLogger, const TBatchOptions& aOptions) {
    TBatchFile out{aFile, {}, {}};
    try {
        TDataClass d;
        LoadAnyExperimentFile(d, aFile);
        // What is evaluated is only reported, unless the caller goes on with the experiment.
        out.run = ApplyMethod(d, aMethod, aConfig, aLogger, static_cast<bool>(aOptions.onEvaluated));
        if (aOptions.onEvaluated) aOptions.onEvaluated(d, out);
    } catch (const std::exception& e) {
        out.error = e.what();
    }
    return out;
}

}  // namespace

int BatchExitStatus(const std::vector<TBatchFile>& aFiles) {
    if (std::any_of(aFiles.begin(), aFiles.end(), [](const TBatchFile& f) { return f.Failed(); })) return 1;
    return std::any_of(aFiles.begin(), aFiles.end(), [](const TBatchFile& f) { return f.run.LimitFailed(); })
               ? 3
               : 0;
}

int BatchThreads(int aJobs, size_t aFiles) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int jobs = aJobs > 0 ? aJobs : cores;
    return static_cast<int>(std::clamp<size_t>(static_cast<size_t>(jobs), 1, std::max<size_t>(1, aFiles)));
}

std::vector<TBatchFile> EvaluateFiles(const std::vector<std::string>& aFiles, const TMethod& aMethod,
                                      const TAppConfig& aConfig, TLogger* aLogger,
                                      const TBatchOptions& aOptions) {
    std::vector<TBatchFile> out(aFiles.size());
    std::atomic<size_t> next{0};
    std::mutex reporting;
    size_t done = 0;
    const auto work = [&] {
        for (size_t k = next++; k < aFiles.size(); k = next++) {
            out[k] = EvaluateFile(aFiles[k], aMethod, aConfig, aLogger, aOptions);
            const std::lock_guard lock(reporting);
            ++done;
            if (aOptions.onDone) aOptions.onDone(done, out[k]);
        }
    };
    const int threads = BatchThreads(aOptions.jobs, aFiles.size());
    // Each file's arrays are megabytes: taken from the heap and kept there, not mapped and unmapped
    // per file, whose page faults and unmapping serialise the threads on the process's memory map.
    // 32 MB is the largest threshold glibc accepts on 64 bits (a larger one is refused).
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    std::vector<std::jthread> pool;
    for (int k = 1; k < threads; ++k)
        pool.emplace_back(work);
    work();
    pool.clear();  // every file written before the results are handed on
    return out;
}

}  // namespace kalvero::methods
