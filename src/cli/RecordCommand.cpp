// "record": records an experiment through the configured interface without a window, the way the
// scan control window does, and saves it. The run ends at the end of the heating program (on
// the USB module, which runs it), after --seconds of experiment time, at the configured
// experiment length (EndTime) when neither applies, or on Ctrl-C (exit status 130, heater off,
// what was recorded saved).

#include <unistd.h>
#include <CLI/CLI.hpp>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>

#include "acquisition/RunControl.h"
#include "cli/CliContext.h"
#include "common/Procs.h"
#include "data/DataClass.h"

namespace kalvero::cli {
namespace {

std::atomic<bool> gInterrupted{false};

extern "C" void OnInterrupt(int) {
    gInterrupted = true;
}

// Ctrl-C asks the run to end instead of killing the process, for the time of the recording.
class TInterruptScope {
public:
    TInterruptScope() {
        gInterrupted = false;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &fOld);
    }
    ~TInterruptScope() { ::sigaction(SIGINT, &fOld, nullptr); }

private:
    struct sigaction fOld {};
};

std::string StepText(TScanProgram& aProgram) {
    if (!aProgram.IsRunning()) return "";
    try {
        const RScanProgramStep s = aProgram.GetCurrentStep();
        std::string what;
        switch (s.stepType) {
            case spstHeating:
                what = "нагрев до " + std::to_string(s.stepParam) + " °С";
                break;
            case spstSustain:
                what = "удержание " + std::to_string(s.stepParam) + " мин.";
                break;
            case spstFree:
                what = "свободный ход " + std::to_string(s.stepParam) + " мин.";
                break;
            default:
                what = "пустой шаг";
                break;
        }
        return "шаг " + std::to_string(s.stepNo) + "/" + std::to_string(aProgram.GetItemCount()) + " " + what;
    } catch (const std::exception&) {
        return "";
    }
}

std::string Clock(double aSeconds) {
    const long total = static_cast<long>(aSeconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    return text;
}

// "00:03:12  шаг 1/3 нагрев до 200 °С  T = 57.3 °С" on one terminal line.
void ShowProgress(TScanRunControl& aControl, const TAppConfig& aConfig) {
    const TDataClass& d = *aControl.DataClass();
    std::string temperature;
    {
        auto lock = aControl.Thread()->LockItemsForReading();
        const uint32_t index = aControl.Thread()->PublishedTimeCounter();
        if (index < static_cast<uint32_t>(d.GetItemCount()) && d.fFirstScanChannelNo < d.GetChannelCount()) {
            const TItem& item = d.items[index][d.fFirstScanChannelNo];
            temperature = d.tempScale == tsDegrees ? FormatFixed(item.tc, aConfig.tempScaleAccuracy) + " " +
                                                         aConfig.tempChannelUnitsName
                                                   : std::to_string(item.t) + " отсч.";
        }
    }
    std::cerr << "\r" << Clock(aControl.RecordedSeconds()) << "  " << StepText(aControl.Program())
              << "  T = " << temperature << "\033[K" << std::flush;
}

struct TRecordArgs {
    std::string out, program, sample;
    double seconds = 0;
    double mass = 0;  // mg; 0: not given
};

int Record(TCliContext& aContext, const TRecordArgs& aArgs) {
    TAppConfig& config = aContext.Process().Config();
    TDataClass experiment(aArgs.out);
    int exitCode = 0;
    std::string failure;
    {
        TScanRunControl control(config);
        if (!control.Thread()) throw ECliError(control.ThreadError());
        // The command stops at the program's end itself, whatever the configured action says.
        control.SetPostScanAction(psaNone, false);
        if (!aArgs.program.empty()) {
            control.LoadProgram(aArgs.program);
            control.SetDeviceControlType(dctProgram);
        }
        const bool programRuns = control.DeviceControlType() == dctProgram && control.Thread()->RunsProgram();
        if (control.DeviceControlType() == dctProgram && !programRuns) {
            std::cerr << "Интерфейс " << InterfaceTypeDisplayName(config.interfaceType)
                      << " не выполняет программу нагрева; запись закончится по времени." << std::endl;
        }
        double limit = aArgs.seconds;
        if (limit <= 0 && !programRuns) limit = config.endTime;

        control.Init(&experiment);
        TInterruptScope interrupt;
        control.StartPauseContinue();
        const bool terminal = ::isatty(STDERR_FILENO) == 1;
        auto nextProgress = std::chrono::steady_clock::now();
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (control.OnInterfaceTimer() == TRunEvent::reFailed) {
                failure = control.StateLine();
                break;
            }
            control.OnDrawTimer();
            if (gInterrupted) {
                exitCode = 130;
                break;
            }
            if (programRuns && control.Program().IsFinished()) break;
            if (limit > 0 && control.RecordedSeconds() >= limit) break;
            if (terminal && std::chrono::steady_clock::now() >= nextProgress) {
                ShowProgress(control, config);
                nextProgress += std::chrono::milliseconds(500);
            }
        }
        if (terminal) std::cerr << std::endl;
        control.Stop();
        const uint32_t recorded = control.RecordedItems();
        if (failure.empty() && control.StateIsError()) failure = control.StateLine();
        // The file holds what was recorded, not the empty rest of the work area.
        if (recorded > 0) experiment.SetItemsLength(static_cast<int>(recorded), false);
        // What the operator weighed and put into the pan travels with the record.
        if (aArgs.mass > 0) experiment.fSampleWeight = aArgs.mass;
        if (!aArgs.sample.empty()) experiment.fSampleName = aArgs.sample;
        if (recorded > 0 || failure.empty()) experiment.SaveToFile(aArgs.out, false);

        nlohmann::ordered_json result;
        result["itemCount"] = recorded;
        result["channelCount"] = experiment.GetChannelCount();
        result["state"] = failure.empty() ? control.StateLine() : failure;
        result["file"] = recorded > 0 || failure.empty() ? aArgs.out : "";
        if (failure.empty()) aContext.Print(result);
    }
    if (!failure.empty()) throw ECliError(failure);
    return exitCode;
}

}  // namespace

void RegisterRecordCommand(CLI::App& aApp, TCliContext& aContext) {
    auto args = std::make_shared<TRecordArgs>();
    auto* cmd = aApp.add_subcommand("record", "Record an experiment through the configured interface");
    cmd->add_option("--out", args->out, "Experiment file to write (*.dsc)")->required();
    cmd->add_option("--program", args->program, "Heating program file (*.prg); the run follows it");
    cmd->add_option("--mass", args->mass, "Sample mass, mg (for heats in J/g)")
        ->check(CLI::NonNegativeNumber);
    cmd->add_option("--sample", args->sample, "Sample name");
    cmd->add_option("--seconds", args->seconds, "Stop after this many seconds of experiment time")
        ->check(CLI::PositiveNumber);
    cmd->callback([&aContext, args] {
        if (Record(aContext, *args) == 130) {
            std::cout.flush();
            std::exit(130);
        }
    });
}

}  // namespace kalvero::cli
