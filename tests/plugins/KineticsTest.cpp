#include <gtest/gtest.h>

#include <cmath>

#include "KissingerFit.h"
#include "common/Logger.h"
#include "data/DataClass.h"
#include "plugins/PluginUtil.h"
#include "support/FakeUiHooks.h"
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

TEST(KineticsPlugin, FindsTheMainPeaksAndReportsThroughItsParameters) {
    TTestConfig config;
    RegistryUtil::SetMachineStoreFile(config->fProgramDataPath + "registry.ini");
    TLogger logger("Kalvero", config->fProgramDataPath, llError);
    InstallPlugin(*config, KINETICS_PLUGIN, "TKinetics");
    TPluginUtil host(config->fApplicationTypeName, &logger);
    host.LoadPlugins();
    TPlugin* plugin = nullptr;
    ASSERT_TRUE(host.GetPluginByName("Kinetics", plugin));
    EXPECT_EQ(plugin->PluginHelpFileName(), config->fApplicationPath + "plugins/Kinetics.chm");
    ASSERT_EQ(plugin->PluginCommands().size(), 1u);
    EXPECT_EQ(plugin->PluginCommands()[0], "Кинетика по Киссинджеру");

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

    plugin->ClearAllData();
    plugin->SetCurrentDataClass(runs[0].get());
    plugin->AddDataClass(runs[0].get());
    EXPECT_THROW(plugin->BeginWork("Кинетика по Киссинджеру"), std::exception);
    RegistryUtil::SetMachineStoreFile("");
}
