// TKinetics: activation energy by the Kissinger method from the main peak of every open
// experiment. The example every plug-in author starts from: one command, results left in the
// parameters ("activationEnergy" kJ/mol, "r2", "count", "row.N") and shown in a message.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "KissingerFit.h"
#include "common/MsgBoxes.h"
#include "common/Procs.h"
#include "data/DataClass.h"
#include "plugins/Plugin.h"
#include "plugins/PluginRegistry.h"
#include "processing/Peak.h"
#include "processing/PeakTemperature.h"
#include "processing/PeakUtils.h"

namespace kalvero {

class TKinetics : public TPlugin {
public:
    using TPlugin::TPlugin;

    static constexpr const char* kCommand = "Кинетика по Киссинджеру";

    void Init() override { fPluginCommands = {kCommand}; }
    std::string pluginName() override { return "Kinetics"; }
    TPluginCaps PluginCaps() override {
        return PluginCap(pcHelpFile) | PluginCap(pcFileMenu) | PluginCap(pcGraphicMenu);
    }
    void EndWork() override {}
    void UpdateWork(const std::string&) override {}

    void BeginWork(const std::string& aPluginCommand) override {
        // The file menu runs a plug-in by its name: that is this one command too.
        if (aPluginCommand != kCommand && aPluginCommand != pluginName())
            throw EPluginException("Неизвестная команда плагина: " + aPluginCommand);
        std::vector<TDataClass*> runs = fAllDataClasses;
        if (runs.empty() && fCurrentDataClass) runs.push_back(fCurrentDataClass);
        std::vector<kinetics::RKissingerPoint> points;
        for (TDataClass* d : runs)
            points.push_back(MainPeak(*d));
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

private:
    // The stretch around the largest departure of dT from the line through the levels of the
    // heating's beginning (after the start settles) and end, out to where the departure falls
    // below 5 % of its height.
    static std::pair<int, int> BroadPeakRange(const TDataClass& d) {
        // Only the heating counts: what follows the hottest item (a hold, the heater switched
        // off) moves the base line without a thermal effect of the sample.
        int n = 0;
        for (int i = 1; i < d.GetItemCount(); ++i) {
            if (d.items[i][0].tc > d.items[n][0].tc) n = i;
        }
        ++n;
        if (n < 100) return {0, n - 1};
        const int skip = n / 20, span = n / 10;
        auto level = [&](int aFrom) {
            double sum = 0;
            for (int i = aFrom; i < aFrom + span; ++i)
                sum += d.items[i][0].dt;
            return sum / span;
        };
        const double x1 = skip + span / 2.0, y1 = level(skip);
        const double x2 = n - span / 2.0, y2 = level(n - span);
        auto departure = [&](int i) { return d.items[i][0].dt - (y1 + (y2 - y1) * (i - x1) / (x2 - x1)); };
        int top = skip;
        for (int i = skip; i < n; ++i) {
            if (std::fabs(departure(i)) > std::fabs(departure(top))) top = i;
        }
        const double limit = 0.05 * std::fabs(departure(top));
        int from = top, to = top;
        while (from > skip && std::fabs(departure(from)) > limit)
            --from;
        while (to < n - 1 && std::fabs(departure(to)) > limit)
            ++to;
        return {from, to};
    }

    // The peak of largest area of channel 0 (detected first when the experiment has none) and
    // the temperature at its top.
    kinetics::RKissingerPoint MainPeak(TDataClass& d) {
        if (d.peaks.GetItemCount() == 0) {
            TPeakUtils detector(d, *fCommonConfig, fLogger.get(), nullptr);
            detector.DetectPeaks(0, d.GetItemCount() - 1);
            // A reaction spread over tens of degrees can stay below detection limits set for sharp
            // melting peaks (a 12-bit record, or limits of 12-bit counts): then the stretch that
            // leaves the record's base line furthest is taken as the peak.
            if (d.peaks.GetItemCount() == 0) {
                const auto [from, to] = BroadPeakRange(d);
                if (to > from) detector.AddPeakManually(from, to);
            }
        }
        const TPeak* best = nullptr;
        long double bestArea = -1;
        for (int k = 0; k < d.peaks.GetItemCount(); ++k) {
            const auto* peak = dynamic_cast<const TPeak*>(d.peaks.GetItemByIndex(k).value);
            if (!peak) continue;
            const long double area = std::fabs(peak->GetSummaryArea());
            if (area > bestArea) bestArea = area, best = peak;
        }
        const std::string file = std::filesystem::path(d.fFileName).filename().string();
        if (!best) throw EPluginException("В эксперименте " + file + " не найден пик");
        kinetics::RKissingerPoint p;
        p.file = file;
        p.heatingRate = d.fHeatSpeed;
        p.peakTemperature = PeakTopTemperature(d, *best);
        return p;
    }
};

}  // namespace kalvero

using kalvero::TKinetics;
KALVERO_REGISTER_PLUGIN(TKinetics);
