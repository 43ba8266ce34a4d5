// The simulated DSC cell behind the simulated drivers: its physics and its settings, and the
// calibration table that ships for its sensor.

#include <gtest/gtest.h>

#include <cmath>

#include "calibration/TempCalibration.h"
#include "simcell/SimConfig.h"
#include "simcell/SimulatedCell.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::sim;

namespace {

// The cell heated from room temperature for aSeconds.
TSimulatedCell HeatFor(const TSimConfig& aConfig, double aSeconds) {
    TSimulatedCell cell(aConfig);
    cell.SetHeater(true);
    cell.AdvanceTo(aSeconds);
    return cell;
}

// Area (K·s) of the pans' temperature difference (without the pair's drift) above its value at
// aFrom, up to aTo.
double PeakArea(const TSimConfig& aConfig, double aFrom, double aTo) {
    TSimulatedCell cell(aConfig);
    cell.SetHeater(true);
    cell.AdvanceTo(aFrom);
    const double base = cell.ReferenceTemp() - cell.SampleTemp();
    double area = 0;
    for (double t = aFrom; t < aTo; t += 0.05) {
        cell.AdvanceTo(t + 0.05);
        area += (cell.ReferenceTemp() - cell.SampleTemp() - base) * 0.05;
    }
    return area;
}

}  // namespace

TEST(SimulatedCell, HeaterRampsCoolingFallsAndHoldKeeps) {
    TSimConfig c;
    TSimulatedCell cell = HeatFor(c, 600);
    EXPECT_NEAR(cell.BlockTemp(), 25 + 100, 0.01);  // 10 °C/min
    // The sensor sits at the sample, which lags the block by R·C of its pan (5 mg of metal on the
    // pan's 0.04 J/K): about 2 s of heating.
    EXPECT_EQ(cell.SensorTempC(), cell.SampleTemp());
    EXPECT_NEAR(cell.BlockTemp() - cell.SensorTempC(), 10.0 / 60 * TSimulatedCell::R * (0.04 + 0.005 * 0.233),
                0.01);
    cell.SetHold(true);
    cell.AdvanceTo(900);
    EXPECT_NEAR(cell.BlockTemp(), 125, 0.01);
    cell.SetHold(false);
    cell.SetHeater(false);
    cell.AdvanceTo(1800);  // one cooling time constant: 63 % of the way to room temperature
    EXPECT_NEAR(cell.BlockTemp(), 25 + 100 * std::exp(-1.0), 0.1);
}

TEST(SimulatedCell, BaseLineOffsetGrowsWithTheHeatingRate) {
    TSimConfig slow, fast;
    slow.heatingRate = 5;
    fast.heatingRate = 20;
    slow.meltingHeat = fast.meltingHeat = 0;
    const auto offset = [](const TSimulatedCell& aCell) {
        return aCell.ReferenceTemp() - aCell.SampleTemp();
    };
    const double a = offset(HeatFor(slow, 300)), b = offset(HeatFor(fast, 300));
    EXPECT_GT(a, 0);
    EXPECT_NEAR(b / a, 4, 0.1);
}

TEST(SimulatedCell, MeltingPeakAreaIsProportionalToItsHeat) {
    TSimConfig c;
    // Indium: 5 mg × 28.6 J/g = 0.143 J; the area is R × heat = 7.15 K·s.
    const double area = PeakArea(c, 700, 1000);
    EXPECT_NEAR(area, TSimulatedCell::R * 0.143, 0.1);
    c.sampleMass = 10;
    EXPECT_NEAR(PeakArea(c, 700, 1000) / area, 2, 0.05);
    // Melting starts when the sample pan reaches the melting point and ends molten.
    TSimulatedCell cell = HeatFor(c, 1000);
    EXPECT_DOUBLE_EQ(cell.Transformed(), 1);
}

TEST(SimulatedCell, SubstancesInOnePanMeltEachAtItsOwnPoint) {
    const TSimConfig c = ParseSimConfig("[SIMULATED_CELL]\nSubstances=indium:5, zinc:4\n");
    ASSERT_EQ(c.substances.size(), 2u);
    // Indium 0.143 J around 800 s, zinc 4 mg × 107.5 J/g = 0.43 J around 2360 s.
    EXPECT_NEAR(PeakArea(c, 700, 1000), TSimulatedCell::R * 0.143, 0.15);
    EXPECT_NEAR(PeakArea(c, 2300, 2600), TSimulatedCell::R * 0.43, 0.3);
    // While a substance melts the sensor, at the sample, stays at its melting point.
    TSimulatedCell cell(c);
    cell.SetHeater(true);
    double plateau = 0;
    for (double t = 2300; t < 2600; t += 0.5) {
        cell.AdvanceTo(t);
        if (std::fabs(cell.SensorTempC() - 419.5) < 1e-9) plateau += 0.5;
    }
    EXPECT_GT(plateau, 10);
    EXPECT_DOUBLE_EQ(cell.Transformed(), 1);
    EXPECT_NEAR(cell.TotalHeat(), 0.143 + 0.43, 1e-12);
    // Cooling freezes them again, from the highest melting point down.
    cell.SetHeater(false);
    cell.AdvanceTo(2600 + 900 * 4);
    EXPECT_LT(cell.Transformed(), 0.3);
}

TEST(SimulatedCell, ReactionFollowsFirstOrderArrheniusKinetics) {
    TSimConfig c;
    c.sample = TSampleKind::Reaction;
    c.reactionHeat = 0;  // no self-heating: the sample stays where the block holds it
    TSimulatedCell cell(c);
    cell.SetHeater(true);
    cell.AdvanceTo(600);  // about 125 °C
    cell.SetHold(true);
    cell.AdvanceTo(700);
    const double t0 = cell.SampleTemp(), a0 = cell.Transformed();
    cell.AdvanceTo(760);
    const double k = c.preExponential * std::exp(-c.activationEnergy * 1000 / (8.314462618 * (t0 + 273.15)));
    EXPECT_NEAR(std::log((1 - a0) / (1 - cell.Transformed())) / 60, k, k * 0.01);
    // With heat the reaction is exothermic: the sample runs ahead, dT falls below its base line;
    // with a negative heat it takes heat up and lags, dT rises as far.
    for (const double heat : {250.0, -250.0}) {
        c.reactionHeat = heat;
        TSimulatedCell cell(c);
        cell.SetHeater(true);
        cell.AdvanceTo(300);
        const double base = cell.ReferenceTemp() - cell.SampleTemp();
        double lowest = 0, highest = 0;
        for (double t = 300; t < 1500; t += 1) {
            cell.AdvanceTo(t);
            lowest = std::min(lowest, cell.ReferenceTemp() - cell.SampleTemp() - base);
            highest = std::max(highest, cell.ReferenceTemp() - cell.SampleTemp() - base);
        }
        EXPECT_LT(heat > 0 ? lowest : -highest, -0.15) << heat;
        EXPECT_NEAR(heat > 0 ? highest : -lowest, 0, 0.01) << heat;
        EXPECT_NEAR(cell.Transformed(), 1, 1e-6) << heat;
    }
}

TEST(SimulatedCellConfig, SectionKeysFaultsAndRefusals) {
    const TSimConfig c = ParseSimConfig(
        "[DEFAULT_DEVICE]\nSpeed=5\n[simulated_cell]\nspeed=60\nSample=reaction\nMeltingTemp=429,75\n"
        "Faults= timeout , port_write\nFaultAfter=12\n");
    EXPECT_EQ(c.speed, 60);
    EXPECT_EQ(c.sample, TSampleKind::Reaction);
    EXPECT_DOUBLE_EQ(c.meltingTemp, 429.75);
    EXPECT_TRUE(c.faults.timeout && c.faults.portWrite);
    EXPECT_FALSE(c.faults.absent || c.faults.shortRead);
    EXPECT_EQ(c.faultAfter, 12);
    EXPECT_EQ(ParseSimConfig("[SIMULATED_CELL]\nReactionHeat=-150\n").reactionHeat, -150);
    EXPECT_EQ(ParseSimConfig("").heatingRate, 10);
    EXPECT_THROW(ParseSimConfig("[SIMULATED_CELL]\nFaults=melted\n"), ESimConfig);
    EXPECT_THROW(ParseSimConfig("[SIMULATED_CELL]\nSpeed=0\n"), ESimConfig);
    EXPECT_THROW(ParseSimConfig("[SIMULATED_CELL]\nSample=solid\n"), ESimConfig);
    // Substances come from the reference list, with the sample mass where none is given.
    const TSimConfig two = ParseSimConfig("[SIMULATED_CELL]\nSampleMass=3\nSubstances=Tin, gallium:2.5\n",
                                          "[tin]\nMeltingTemp=231.9\nMeltingHeat=60.5\n"
                                          "[gallium]\nMeltingTemp=29.8\nMeltingHeat=80\n");
    ASSERT_EQ(two.substances.size(), 2u);
    EXPECT_EQ(two.substances[0], (TSimSubstance{"tin", 231.9, 60.5, 3}));
    EXPECT_EQ(two.substances[1].name, "gallium");
    EXPECT_DOUBLE_EQ(two.substances[1].mass, 2.5);
    EXPECT_EQ(MeltingSubstances(ParseSimConfig("")).size(), 1u);
    EXPECT_EQ(ParseSimConfig("[SIMULATED_CELL]\nSubstances=lead\n").substances[0].meltingTemp, 327.5);
    EXPECT_THROW(ParseSimConfig("[SIMULATED_CELL]\nSubstances=gold\n"), ESimConfig);
    EXPECT_THROW(ParseSimConfig("[SIMULATED_CELL]\nSubstances=indium:x\n"), ESimConfig);
}

// The shipped tables of the simulated sensor: 24-bit counts (2048 per 12-bit count) and the
// 12-bit counts of the parallel-port converter and the 12-bit module.
TEST(SimulatedCellSensor, ShippedTablesMatchTheSensorWithinATenthOfADegree) {
    EXPECT_NEAR(SensorTemp(SensorCounts(156.6)), 156.6, 1e-9);
    test::TTestConfig config;
    for (const auto& [file, scale] :
         {std::pair{"SimulatedCell.tbl", 2048}, std::pair{"SimulatedCell12.tbl", 1}}) {
        TTempCalibrationTable table(0, 4096 * scale - 1);
        table.LoadFromPath(std::string(KALVERO_SOURCE_DIR "/data/defaults/calibration/") + file);
        table.Calc();
        for (double t = -20; t <= 500; t += 0.5) {
            // The 12-bit converter rounds to its count, the 24-bit one reads between them.
            const double exact = SensorCounts(t) * scale;
            const int32_t counts = static_cast<int32_t>(std::lround(exact));
            ASSERT_NEAR(table.GetRealValue(counts), SensorTemp(counts / double(scale)), 0.1)
                << file << " " << t;
            if (scale > 1) {
                ASSERT_NEAR(table.GetRealValue(counts), t, 0.1) << file << " " << t;
            }
        }
    }
}
