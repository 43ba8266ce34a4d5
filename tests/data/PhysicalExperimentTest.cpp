#include <gtest/gtest.h>

#include <cmath>

#include "data/DataClass.h"
#include "data/DataFileExtension.h"
#include "data/DataFileHeader.h"
#include "evaluation/PeakResults.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"
#include "support/FakeUiHooks.h"
#include "support/ModelRuns.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::ReadFileBytes;
using kalvero::test::TFakeUiScope;
using kalvero::test::TGaussianRun;
using kalvero::test::TTestConfig;
using kalvero::test::WriteFileBytes;

namespace {

class PhysicalExperimentTest : public ::testing::Test {
protected:
    TTestConfig config;
    TFakeUiScope ui;
    TGaussianRun model;

    std::unique_ptr<TDataClass> Imported(const TPhysicalRun& aRun,
                                         std::vector<std::string>* aWarnings = nullptr) {
        auto d = std::make_unique<TDataClass>();
        std::vector<std::string> warnings;
        FillFromPhysicalRun(*d, aRun, warnings);
        if (aWarnings) *aWarnings = warnings;
        return d;
    }
};

TEST_F(PhysicalExperimentTest, ReadingsKeepTheValuesAndTheTablesNeverTouchThem) {
    const TPhysicalRun run = model.Run();
    std::vector<std::string> warnings;
    const auto d = Imported(run, &warnings);
    ASSERT_TRUE(d->IsPhysical());
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    ASSERT_EQ(d->GetItemCount(), static_cast<int>(run.time.size()));
    EXPECT_FLOAT_EQ(d->frequency, 2.0f);
    for (size_t i = 0; i < run.time.size(); i += 97) {
        const TItem& s = d->items[i][0];
        // The readings hold more digits than the single-precision values made of them.
        EXPECT_NEAR(s.t * d->fPhysical->tStep, run.temperature[i], 1e-7 * std::fabs(run.temperature[i]));
        EXPECT_NEAR(s.dt * d->fPhysical->signalStep, run.signal[i], 1e-6);
        EXPECT_FLOAT_EQ(s.tc, static_cast<float>(run.temperature[i]));
    }
    // Units on the axes are the run's own, whatever the settings say of counts.
    config->tempScale = 0;
    config->diffTempScale = 0;
    EXPECT_EQ(d->GetDtName(), "Тепловой поток");
    EXPECT_EQ(d->GetDtUnits(), "мВт");
    d->FillTempValues();
    EXPECT_FLOAT_EQ(d->items[10][0].tc, static_cast<float>(run.temperature[10]));
}

TEST_F(PhysicalExperimentTest, UnevenTimesAreResampledOntoOneStepWithAWarning) {
    TPhysicalRun run = model.Run();
    for (size_t i = 1; i < run.time.size(); i += 2)
        run.time[i] += 0.1;  // 0.6 s and 0.4 s steps
    std::vector<std::string> warnings;
    const auto d = Imported(run, &warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("неравномерен"), std::string::npos);
    // The model's temperature is linear in time: resampling reproduces it at the new times.
    for (int i = 0; i < d->GetItemCount(); i += 50)
        EXPECT_NEAR(d->items[i][0].tc, model.TempAt(i / d->frequency), 0.02) << i;
}

TEST_F(PhysicalExperimentTest, RefusesRunsThatAreNoRecord) {
    TPhysicalRun run = model.Run();
    run.time[5] = run.time[4];
    auto d = std::make_unique<TDataClass>();
    const int before = d->GetItemCount();
    std::vector<std::string> warnings;
    EXPECT_THROW(FillFromPhysicalRun(*d, run, warnings), EPhysicalRunException);
    EXPECT_EQ(d->GetItemCount(), before);  // untouched
    run = model.Run();
    run.signal.pop_back();
    EXPECT_THROW(FillFromPhysicalRun(*d, run, warnings), EPhysicalRunException);
    run = model.Run();
    run.signal[3] = std::nan("");
    EXPECT_THROW(FillFromPhysicalRun(*d, run, warnings), EPhysicalRunException);
}

TEST_F(PhysicalExperimentTest, SavedFileReopensBitExactAndAnOlderReaderStopsAtItsEnd) {
    const auto d = Imported(model.Run());
    d->fSampleName = "Полиэтилен";
    d->fInstrument = "ДСК-1";
    const std::string file = config.File("run.dsc");
    d->SaveToFile(file, false);

    TDataClass back;
    back.LoadFromFile(file, ftDSC, 0);
    ASSERT_TRUE(back.IsPhysical());
    EXPECT_EQ(*back.fPhysical, *d->fPhysical);
    EXPECT_EQ(back.LoadedFileVersion(), "2.0");
    ASSERT_EQ(back.GetItemCount(), d->GetItemCount());
    EXPECT_EQ(back.fSampleName, "Полиэтилен");
    EXPECT_EQ(back.fInstrument, "ДСК-1");
    EXPECT_EQ(back.fEndoUp, std::optional<bool>(true));
    EXPECT_DOUBLE_EQ(back.fSampleWeight, model.mass);
    for (int i = 0; i < d->GetItemCount(); ++i) {
        ASSERT_EQ(back.items[i][0].t, d->items[i][0].t);
        ASSERT_EQ(back.items[i][0].dt, d->items[i][0].dt);
        ASSERT_EQ(back.items[i][0].dtc, d->items[i][0].dtc);
    }
    // A reader of the 1.x layouts takes version "2.0" for the older layout, whose records start
    // at byte 8000: the header promises more of them than the file can hold.
    const std::string bytes = ReadFileBytes(file);
    const TOldDtaFileHeader h = DecodeHeader(bytes);
    EXPECT_EQ(h.FileVersion, "2.0");
    EXPECT_GT(static_cast<int64_t>(h.ItemCount) * 8 + 8000, static_cast<int64_t>(bytes.size()));
    // Without its block the file cannot be read as physical values, and says so.
    std::string json;
    const std::string_view rest = SplitExtensionBlock(bytes, json);
    ASSERT_FALSE(json.empty());
    WriteFileBytes(config.File("cut.dsc"), std::string(rest));
    TDataClass cut;
    try {
        cut.LoadFromFile(config.File("cut.dsc"), ftDSC, 0);
        FAIL() << "a physical file without its scale was read";
    } catch (const EDataClassException& e) {
        EXPECT_NE(std::string(e.what()).find("повреждён"), std::string::npos) << e.what();
    }
}

TEST_F(PhysicalExperimentTest, RecordedExperimentsKeepTheirLayoutByteForByte) {
    config->endTime = 100;
    config->frequency = 10;
    TDataClass d;
    for (int i = 0; i < d.GetItemCount(); ++i)
        d.items[i][0].t = 100 + i, d.items[i][0].dt = i % 77;
    d.SaveToFile(config.File("plain.dsc"), false);
    const std::string plain = ReadFileBytes(config.File("plain.dsc"));
    EXPECT_EQ(plain.size(), DATAFILE_HEADER_SIZE + 8u * d.GetItemCount());
    // With something the layout cannot hold the same bytes come first and the block after them.
    d.fInstrument = "ДСК-2";
    d.fEndoUp = false;
    d.SaveToFile(config.File("extra.dsc"), false);
    const std::string extra = ReadFileBytes(config.File("extra.dsc"));
    ASSERT_GT(extra.size(), plain.size());
    EXPECT_EQ(extra.substr(0, plain.size()), plain);
    TDataClass back;
    back.LoadFromFile(config.File("extra.dsc"), ftDSC, 0);
    EXPECT_FALSE(back.IsPhysical());
    EXPECT_EQ(back.fInstrument, "ДСК-2");
    EXPECT_FALSE(back.EndoUp());
    EXPECT_EQ(back.GetItemCount(), d.GetItemCount());
}

TEST_F(PhysicalExperimentTest, AHeatFlowPeakIsAHeatWithoutATable) {
    const auto d = Imported(model.Run());
    TPeakUtils utils(*d, *config, nullptr, nullptr);
    const int c = static_cast<int>(model.centre * d->frequency),
              w = static_cast<int>(6 * model.width * d->frequency);
    TPeak* p = utils.AddPeakManually(c - w, c + w);
    ASSERT_NE(p, nullptr);
    const TEffectResult r = EffectResultOf(*d, *p, 1);
    // 150 mJ on 5 mg: 0.15 J and 30 J/g, the straight base line under a linear base.
    EXPECT_NEAR(r.heat, model.heat / 1000, 0.005 * model.heat / 1000);
    EXPECT_NEAR(r.specificHeat, model.heat / model.mass, 0.005 * model.heat / model.mass);
    EXPECT_TRUE(r.endothermic);
    EXPECT_NEAR(r.topTemp, model.TempAt(model.centre), 0.05);
    // The inflectional tangents of a Gaussian touch it one width from the centre and meet a flat
    // base two widths from it: the onset and endset lie symmetric about the top.
    EXPECT_NEAR(r.onsetTemp, model.TempAt(model.centre - 2 * model.width), 0.3);
    EXPECT_NEAR(r.endsetTemp, model.TempAt(model.centre + 2 * model.width), 0.3);
    EXPECT_EQ(EffectLabel(r),
              DecimalComma(r.onsetTemp, 1) + " °C · " + DecimalComma(r.specificHeat, 1) + " Дж/г");

    // Exothermic: the same effect pointing down.
    TGaussianRun exo = model;
    exo.heat = -model.heat;
    const auto e = Imported(exo.Run());
    TPeak* q = TPeakUtils(*e, *config, nullptr, nullptr).AddPeakManually(c - w, c + w);
    const TEffectResult re = EffectResultOf(*e, *q, 1);
    EXPECT_FALSE(re.endothermic);
    EXPECT_NEAR(re.heat, model.heat / 1000, 0.005 * model.heat / 1000);
}

TEST_F(PhysicalExperimentTest, DetectionFindsEffectsOnFlatAndSteepBaseLinesAlike) {
    // The same effect on base lines rising by 0, 0.01 and 0.03 mW per kelvin: the slope of a base
    // line is no effect, and the effect's heat does not depend on it.
    for (const double perKelvin : {0.0, 0.01, 0.03}) {
        TGaussianRun run = model;
        run.slope = perKelvin * run.rate / 60;
        run.width = 15;
        const auto d = Imported(run.Run());
        TPeakUtils(*d, *config, nullptr, nullptr).DetectPeaks(0, d->GetItemCount() - 1);
        ASSERT_EQ(d->peaks.GetItemCount(), 1) << perKelvin;
        const TEffectResult r = EffectResults(*d).front();
        EXPECT_NEAR(r.topTime, model.centre, 1) << perKelvin;
        EXPECT_NEAR(r.heat, model.heat / 1000, 0.01 * model.heat / 1000) << perKelvin;
    }
}

TEST_F(PhysicalExperimentTest, ASignalPerMassGivesJoulesPerGramWithoutAMass) {
    TGaussianRun perMass = model;
    perMass.heat = 30;  // mJ/mg under the effect: 30 J/g
    TPhysicalRun run = perMass.Run();
    run.quantity = sqHeatFlowPerMass;
    run.unit = "W/g";
    run.mass = 0;
    const auto d = Imported(run);
    const int c = static_cast<int>(model.centre * d->frequency),
              w = static_cast<int>(6 * model.width * d->frequency);
    TPeak* p = TPeakUtils(*d, *config, nullptr, nullptr).AddPeakManually(c - w, c + w);
    const TEffectResult r = EffectResultOf(*d, *p, 1);
    EXPECT_NEAR(r.specificHeat, 30, 0.15);
    EXPECT_TRUE(std::isnan(r.heat));
    EXPECT_EQ(d->GetDtUnits(), "Вт/г");
}

TEST_F(PhysicalExperimentTest, ChannelsOfDifferentKindsDoNotMix) {
    const auto d = Imported(model.Run());
    d->SaveToFile(config.File("a.dsc"), false);
    TDataClass recorded;
    EXPECT_THROW(recorded.LoadFromFile(config.File("a.dsc"), ftDSC, 1), EDataClassException);
    // A second physical run of the same unit is brought onto the first one's scale.
    TGaussianRun bigger = model;
    bigger.heat = 4 * model.heat;
    const auto b = Imported(bigger.Run());
    ASSERT_NE(b->fPhysical->signalStep, d->fPhysical->signalStep);
    b->SaveToFile(config.File("b.dsc"), false);
    d->LoadFromFile(config.File("b.dsc"), ftDSC, 1);
    ASSERT_EQ(d->GetChannelCount(), 2);
    const int top = static_cast<int>(model.centre * d->frequency);
    EXPECT_NEAR(d->items[top][1].dt * d->fPhysical->signalStep, bigger.SignalAt(model.centre), 1e-5);
    // Subtraction takes values, not readings.
    d->Substract(*b, 0);
    EXPECT_NEAR(d->items[top][0].dtc, model.SignalAt(model.centre) - bigger.SignalAt(model.centre), 1e-4);
}

}  // namespace
