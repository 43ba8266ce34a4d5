#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "KissingerFit.h"
#include "common/Logger.h"
#include "common/Procs.h"
#include "data/DataClass.h"
#include "plugins/PluginUtil.h"
#include "support/FakeUiHooks.h"
#include "support/KineticExperiments.h"
#include "support/TestConfig.h"
#include "system/RegistryUtil.h"

using namespace kalvero;
using namespace kalvero::kinetics;
using kalvero::test::TFakeUiScope;
using kalvero::test::TTestConfig;

namespace {

constexpr double kEa = 120e3;  // J/mol
constexpr double kA = 1e12;    // 1/s

// The peak temperature (K) of a first-order reaction at heating rate aBeta (°C/min): the root of
// Ea β / (R Tp²) = A exp(−Ea / (R Tp)).
double PeakTemperature(double aBeta) {
    const double beta = aBeta / 60.0;
    double lo = 300, hi = 1200;
    for (int i = 0; i < 200; ++i) {
        const double tp = (lo + hi) / 2;
        const double f = kEa * beta / (GAS_CONSTANT * tp * tp) - kA * std::exp(-kEa / (GAS_CONSTANT * tp));
        (f > 0 ? lo : hi) = tp;
    }
    return (lo + hi) / 2;
}

// A run at aBeta °C/min: temperature rising linearly through the peak, a dT peak whose top lies
// at the reaction's peak temperature.
std::unique_ptr<TDataClass> MakeRun(double aBeta) {
    auto d = std::make_unique<TDataClass>();
    const double tpC = PeakTemperature(aBeta) - 273.15;
    const int n = 4000;
    d->SetItemsLength(n, true);
    d->fHeatSpeed = static_cast<float>(aBeta);
    d->fFileName = "run" + std::to_string(static_cast<int>(aBeta)) + ".dsc";
    for (int i = 0; i < n; ++i) {
        TItem& s = d->items[i][0];
        s.tc = static_cast<float>(tpC - 40 + 80.0 * i / n);
        s.t = static_cast<int32_t>(s.tc * 10);
        s.dt = 2048 + static_cast<int32_t>(std::lround(800 * std::exp(-std::pow((i - n / 2) / 120.0, 2))));
        s.dtc = static_cast<float>(s.dt);
    }
    return d;
}

// The Kinetics module installed in a fresh program-data folder and loaded.
class KineticsPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        RegistryUtil::SetMachineStoreFile(config->fProgramDataPath + "registry.ini");
        InstallPlugin(*config, KINETICS_PLUGIN, "TKinetics");
        host = std::make_unique<TPluginUtil>(config->fApplicationTypeName, &logger);
        host->LoadPlugins();
        ASSERT_TRUE(host->GetPluginByName("Kinetics", plugin));
    }
    void TearDown() override {
        host.reset();
        RegistryUtil::SetMachineStoreFile("");
    }

    TTestConfig config;
    TLogger logger{"Kalvero", config->fProgramDataPath, llError};
    std::unique_ptr<TPluginUtil> host;
    TPlugin* plugin = nullptr;
};

}  // namespace

TEST(KissingerFit, RecoversTheActivationEnergyOfExactPoints) {
    std::vector<RKissingerPoint> points;
    for (double beta : {5.0, 10.0, 20.0})
        points.push_back({"x", beta, PeakTemperature(beta) - 273.15});
    const RKissingerResult r = KissingerFit(points);
    EXPECT_NEAR(r.activationEnergy, kEa / 1000, 0.01);
    EXPECT_GT(r.r2, 0.9999);
    // ASTM E698's A from the middle rate: the first-order peak condition solved for A.
    EXPECT_NEAR(r.preExponential / kA, 1, 1e-3);
    EXPECT_LT(r.halfWidth, 0.01);
    points.pop_back();
    EXPECT_THROW(KissingerFit(points), EKissingerException);
    points.push_back({"y", 10.0, 200});
    points[0].heatingRate = points[1].heatingRate = 10.0;
    EXPECT_THROW(KissingerFit(points), EKissingerException);
}

TEST_F(KineticsPlugin, FindsTheMainPeaksAndReportsThroughItsParameters) {
    EXPECT_EQ(plugin->PluginHelpFileName(), config->fApplicationPath + "plugins/Kinetics.chm");
    ASSERT_EQ(plugin->PluginCommands().size(), 2u);
    EXPECT_EQ(plugin->PluginCommands()[0], "Кинетика по Киссинджеру");
    EXPECT_EQ(plugin->PluginCommands()[1], "Изоконверсионный анализ");

    std::vector<std::unique_ptr<TDataClass>> runs;
    for (double beta : {5.0, 10.0, 20.0})
        runs.push_back(MakeRun(beta));
    TFakeUiScope ui;
    plugin->ClearAllData();
    plugin->SetCurrentDataClass(runs[0].get());
    for (const auto& r : runs)
        plugin->AddDataClass(r.get());
    plugin->BeginWork("Кинетика по Киссинджеру");
    const double ea = std::stod(plugin->Params().GetValue("activationEnergy"));
    EXPECT_NEAR(ea, kEa / 1000, kEa / 1000 * 0.1);
    EXPECT_GT(std::stod(plugin->Params().GetValue("r2")), 0.99);
    EXPECT_EQ(plugin->Params().GetValue("count"), "3");
    EXPECT_NE(plugin->Params().GetValue("row.2").find("run10.dsc; 10.000;"), std::string::npos);
    EXPECT_EQ(ui->messages.size(), 1u);
    EXPECT_TRUE(plugin->TakeResults().Empty());  // Kissinger's command describes no results

    plugin->ClearAllData();
    plugin->SetCurrentDataClass(runs[0].get());
    plugin->AddDataClass(runs[0].get());
    EXPECT_THROW(plugin->BeginWork("Кинетика по Киссинджеру"), std::exception);
}

// The isoconversional command of the module: the effects given by range, its results described with
// the prediction the parameters ask for, the window's buttons answered until the results are let go.
TEST_F(KineticsPlugin, DescribesTheIsoconversionalAnalysisAndAnswersItsButtons) {
    TFakeUiScope ui;
    std::vector<std::unique_ptr<TDataClass>> runs;
    for (const RKineticRun& run : kalvero::test::FirstOrderRuns({5, 10, 20}))
        runs.push_back(
            kalvero::test::ExperimentOf(run, "b" + std::to_string(static_cast<int>(run.heatingRate))));
    plugin->ClearAllData();
    for (const auto& r : runs)
        plugin->AddDataClass(r.get());
    for (int k = 1; k <= 3; ++k)
        plugin->PutParam("range." + std::to_string(k), "150C:400C");
    plugin->PutParam("predictTemperature", "150");
    plugin->BeginWork("Изоконверсионный анализ");
    EXPECT_TRUE(ui->messages.empty());
    RPluginResults results = plugin->TakeResults();
    ASSERT_FALSE(results.Empty());
    EXPECT_EQ(results.title, "Изоконверсионный анализ");
    EXPECT_EQ(results.tables.at(0).rows.size(), 19u);
    // ln 2 / k(423.15 K) in days, on the run at 10 K/min (the middle rate), by every method.
    const double exact = kalvero::test::HalfLife(423.15);
    ASSERT_EQ(results.panels.at(0).lines.size(), 7u);
    EXPECT_EQ(results.panels[0].lines[0],
              "Время достижения α = 0,50 при 150,0 °С (по эксперименту β = 10 К/мин — b10):");
    std::string days = FormatFloat("%.1f", exact / 86400);
    std::replace(days.begin(), days.end(), '.', ',');
    EXPECT_EQ(results.panels[0].lines[6].find("Вязовкин (усовершенствованный): " + days + " сут ("), 0u)
        << results.panels[0].lines[6];
    // Every experiment now carries the effect it was given.
    for (const auto& r : runs)
        EXPECT_EQ(r->peaks.GetItemCount(), 1);

    // The window's button "Рассчитать температуру", with the time entered.
    results.FindInput("predictTime")->value = "1 год";
    results.FindInput("predictMethod")->value = "Вязовкин";
    plugin->ResultsAction(results, "predictTemperature");
    ASSERT_EQ(results.panels[0].lines.size(), 2u);
    EXPECT_EQ(results.panels[0].lines[0].find("Температура, при которой α = 0,50 достигается за 365 сут"),
              0u);
    EXPECT_EQ(results.InputValue("predictTime"), "1 год");
    EXPECT_THROW(plugin->ResultsAction(results, "fly"), EPluginException);
    plugin->ReleaseResults(results.id);
    EXPECT_THROW(plugin->ResultsAction(results, "predictTemperature"), EPluginException);
}
