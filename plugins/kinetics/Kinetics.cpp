// TKinetics: the kinetics of a reaction from runs at several heating rates, over the open
// experiments. "Кинетика по Киссинджеру" gives the activation energy by Kissinger's method from the
// main peak of each run, left in the parameters ("activationEnergy" kJ/mol, "r2", "count",
// "row.N") and shown in a message: the example every plug-in author starts from.
// "Изоконверсионный анализ" gives E(α) by every isoconversional method the ICTAC Kinetics
// Committee recommends, Kissinger's E and A, the committee's warnings and a model-free prediction,
// described for the program's window (the workbench, KineticsWorkbench.h). Its parameters: the
// effect of experiment N in "range.N" ("500C:560C"; else its largest peak), the workbench's
// options and prediction by their input ids.

#include <map>
#include <memory>

#include "KineticEffect.h"
#include "KineticsWorkbench.h"
#include "KissingerFit.h"
#include "common/MsgBoxes.h"
#include "common/Procs.h"
#include "data/DataClass.h"
#include "plugins/Plugin.h"
#include "plugins/PluginRegistry.h"
#include "processing/PeakTemperature.h"

namespace kalvero {

class TKinetics : public TPlugin {
public:
    using TPlugin::TPlugin;

    static constexpr const char* kKissinger = "Кинетика по Киссинджеру";
    static constexpr const char* kIsoconversional = "Изоконверсионный анализ";

    void Init() override { fPluginCommands = {kKissinger, kIsoconversional}; }
    std::string pluginName() override { return "Kinetics"; }
    TPluginCaps PluginCaps() override {
        return PluginCap(pcHelpFile) | PluginCap(pcFileMenu) | PluginCap(pcGraphicMenu);
    }
    void EndWork() override {}
    void UpdateWork(const std::string&) override {}

    void BeginWork(const std::string& aPluginCommand) override {
        if (aPluginCommand == kIsoconversional) return Isoconversional();
        // The file menu runs a plug-in by its name: that is Kissinger's command.
        if (aPluginCommand != kKissinger && aPluginCommand != pluginName())
            throw EPluginException("Неизвестная команда плагина: " + aPluginCommand);
        Kissinger();
    }

    void ResultsAction(RPluginResults& aResults, const std::string& aAction) override {
        const auto it = fWorkbenches.find(aResults.id);
        if (it == fWorkbenches.end()) return TPlugin::ResultsAction(aResults, aAction);
        kinetics::TKineticsWorkbench& bench = *it->second;
        const kinetics::TInputTexts inputs = [&](const std::string& aId) { return aResults.InputValue(aId); };
        if (aAction == kinetics::kActionAnalyse)
            bench.Analyse(inputs);
        else if (aAction == kinetics::kActionPredictTime)
            bench.Predict(inputs, kinetics::TPredictionKind::pkTime);
        else if (aAction == kinetics::kActionPredictTemperature)
            bench.Predict(inputs, kinetics::TPredictionKind::pkTemperature);
        else
            return TPlugin::ResultsAction(aResults, aAction);
        aResults = bench.Describe(aResults.id);
    }

    void ReleaseResults(const std::string& aResultsId) override { fWorkbenches.erase(aResultsId); }

private:
    std::vector<TDataClass*> Experiments() const {
        std::vector<TDataClass*> runs = fAllDataClasses;
        if (runs.empty() && fCurrentDataClass) runs.push_back(fCurrentDataClass);
        return runs;
    }

    void Kissinger() {
        std::vector<kinetics::RKissingerPoint> points;
        for (TDataClass* d : Experiments()) {
            const TPeak& peak = kinetics::MainPeak(*d, *fCommonConfig, fLogger.get());
            points.push_back({kinetics::ExperimentName(*d), d->fHeatSpeed, PeakTopTemperature(*d, peak)});
        }
        const kinetics::RKissingerResult r = kinetics::KissingerFit(points);

        PutParam("activationEnergy", FormatFloat("%.3f", r.activationEnergy));
        PutParam("r2", FormatFloat("%.5f", r.r2));
        PutParam("count", std::to_string(points.size()));
        std::string text = "Энергия активации (Киссинджер): " + FormatFloat("%.2f", r.activationEnergy) +
                           " кДж/моль, R² = " + FormatFloat("%.4f", r.r2) + "\n";
        for (size_t i = 0; i < points.size(); ++i) {
            const auto& p = points[i];
            const std::string row = p.file + "; " + FormatFloat("%.3f", p.heatingRate) + "; " +
                                    FormatFloat("%.2f", p.peakTemperature);
            PutParam("row." + std::to_string(i + 1), row);
            text += row + "\n";
        }
        fLogger->Info("TKinetics", text);
        MsgBox(text);
    }

    // Each experiment's effect as a run of the reaction, analysed with the parameters' options;
    // the workbench stays for the window's buttons until the window closes.
    void Isoconversional() {
        const std::vector<TDataClass*> experiments = Experiments();
        std::vector<kinetics::RKineticRun> runs;
        std::vector<std::string> warnings;
        for (size_t k = 0; k < experiments.size(); ++k) {
            TDataClass& d = *experiments[k];
            const std::string range = fParams.GetValue("range." + std::to_string(k + 1));
            const TPeak& peak = range.empty()
                                    ? kinetics::MainPeak(d, *fCommonConfig, fLogger.get())
                                    : kinetics::PeakInRange(d, range, *fCommonConfig, fLogger.get());
            runs.push_back(kinetics::RunOfPeak(d, peak, warnings));
        }
        auto bench = std::make_shared<kinetics::TKineticsWorkbench>(std::move(runs), std::move(warnings));
        const kinetics::TInputTexts params = [this](const std::string& aId) { return fParams.GetValue(aId); };
        bench->Analyse(params);
        bench->PredictAsked(params);
        const std::string id = std::string(kIsoconversional) + " " + std::to_string(++fResultsCount);
        fWorkbenches[id] = bench;
        ShowResults(bench->Describe(id));
        fLogger->Info("TKinetics", "Isoconversional analysis of " + std::to_string(experiments.size()) +
                                       " runs, results " + id);
    }

    std::map<std::string, std::shared_ptr<kinetics::TKineticsWorkbench>> fWorkbenches;
    int fResultsCount = 0;
};

}  // namespace kalvero

using kalvero::TKinetics;
KALVERO_REGISTER_PLUGIN(TKinetics);
