// Calibration with recorded runs of the simulated cell: the dT points taken from the peaks of a
// run, tables from typed points that convert as the command line's do, and the whole calibration
// from the main window that then reads another substance as the cell was set.

#include <QApplication>
#include <QTabBar>
#include <QTimer>

#include <nlohmann/json.hpp>

#include "app/CalibrationTestSupport.h"
#include "calibration/DiffTempCalibration.h"
#include "calibration/HeatCalibration.h"
#include "calibration/ReferenceSubstances.h"
#include "calibration/TableFile.h"
#include "common/BinaryIO.h"
#include "common/FileUtil.h"
#include "common/Procs.h"
#include "processing/Peak.h"

using namespace kalvero;
using namespace kalvero::test;
using app::TfrmDataWindow;
using app::TPrompt;
using nlohmann::json;

namespace {

using CalibrationRunTest = TCalibrationTest;

// The entries stored in a table file.
std::vector<float> StoredItems(const std::string& aFile) {
    const std::string data = ReadWholeFile(aFile);
    TBinaryReader reader(data);
    return ReadTableItems(data, ReadTableHeader(reader));
}

std::vector<const TPeak*> Peaks(const TDataClass& d) {
    std::vector<const TPeak*> peaks;
    for (int k = 0; k < d.peaks.GetItemCount(); ++k)
        peaks.push_back(dynamic_cast<const TPeak*>(d.peaks.GetItemByIndex(k).value));
    return peaks;
}

void SelectPage(app::TCalibrationFrm& aDialog, TCalibrationTableType aKind) {
    auto* pages = FindChildOf<QTabBar>(aDialog);
    for (int k = 0; k < pages->count(); ++k)
        if (pages->tabData(k).toInt() == aKind) pages->setCurrentIndex(k);
}

}  // namespace

TEST_F(CalibrationRunTest, PointsFromARunWithTwoReferencePeaks) {
    const std::string& run = CalibrationRun("indium:10,zinc:5");
    Start();
    TfrmDataWindow* w = form->OpenFile(run);
    ASSERT_NE(w, nullptr);
    const int channels = w->DataClass().GetChannelCount();
    Open(gDiffTempCalibrationTable, w);
    gNeedRecalcCurveRealValues = false;
    Click("Получить данные");
    ASSERT_EQ(Grid().rowCount(), 2);
    // One row per peak: the sample temperature with three decimals, dT, height, factor; then
    // "&Расчёт" made the table of them (whole degrees).
    EXPECT_NEAR(std::stod(Grid().Cell(0, 0)), 156.6, 0.5);
    EXPECT_NEAR(std::stod(Grid().Cell(1, 0)), 419.5, 0.5);
    ASSERT_EQ(gDiffTempCalibrationTable->GetRefPointsCount(), 2);
    EXPECT_EQ(gDiffTempCalibrationTable->GetRefPoints().GetItem(0).unitValue, 157);
    for (int r = 0; r < 2; ++r) {
        const TRefPoint p = gDiffTempCalibrationTable->GetRefPoints().GetItem(r);
        EXPECT_NEAR(p.realValue, 1.0 / 204800, 0.05 / 204800)
            << r;  // the cell's pair: 204800 counts per kelvin
        EXPECT_EQ(Grid().Cell(r, 2), std::to_string(p.peakHeight));
    }
    EXPECT_TRUE(gNeedRecalcCurveRealValues);
    EXPECT_FALSE(Button("Расчёт").isEnabled());
    EXPECT_EQ(w->DataClass().mode, vm_view_dt_and_temp_by_time);
    EXPECT_EQ(w->DataClass().GetChannelCount(), channels);
    EXPECT_TRUE(Asked(TPrompt::pkError).empty());
    SaveArtifact(*dialog, "calibration-dt-from-run");
}

TEST_F(CalibrationRunTest, ARunWithoutPeaksGivesNoPoints) {
    const std::string& run = CalibrationRun("indium:5", 0, 300);  // stopped long before the melting
    Start();
    TfrmDataWindow* w = form->OpenFile(run);
    ASSERT_NE(w, nullptr);
    Open(gDiffTempCalibrationTable, w);
    Type(0, 0, "100");
    Click("Получить данные");
    const auto infos = Asked(TPrompt::pkInfo);
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].text, "На данной кривой не обнаружено пиков. Автоматическая калибровка невозможна.");
    ASSERT_EQ(Grid().rowCount(), 1);
    EXPECT_EQ(Grid().Cell(0, 0), "100");
    EXPECT_EQ(gDiffTempCalibrationTable->GetRefPointsCount(), 0);
}

TEST_F(CalibrationRunTest, TypedTablesConvertAsTheCommandLineBuildsThem) {
    Start();
    const std::string cli = "--data-dir " + ShellQuote(dataDir) + " --json ";
    Open(gDiffTempCalibrationTable);
    Click("Добавить строку");
    Type(0, 0, "157");
    Type(0, 1, "1,291");
    Type(0, 2, "122");
    Click("Добавить строку");
    Type(1, 0, "420");
    Type(1, 1, "2.78");
    Type(1, 2, "266");
    Click("Расчёт");
    const std::string dt = dir.Str() + "dt.tbl";
    ASSERT_EQ(RunCli(cli + "table build --kind dt --out " + ShellQuote(dt) +
                     " --point unitValue=157,diffTemperature=1.291,peakHeight=122"
                     " --point unitValue=420,diffTemperature=2.78,peakHeight=266")
                  .exitCode,
              0);
    EXPECT_EQ(StoredItems(dt), gDiffTempCalibrationTable->GetItems());
    const json converted =
        json::parse(RunCli(cli + "table convert " + ShellQuote(dt) + " --units 1234 --temp 300.5").out);
    EXPECT_EQ(converted["value"].get<float>(), gDiffTempCalibrationTable->GetRealValue(1234, 300.5f));

    SelectPage(*dialog, cttHeat);
    Rows({{"Индий", "5", "156.6", "28,6", "17531"}, {"Цинк", "5", "419.5", "107.5", "66833"}});
    Click("Расчёт");
    const std::string heat = dir.Str() + "heat.tbl";
    ASSERT_EQ(
        RunCli(cli + "table build --kind heat --out " + ShellQuote(heat) +
               " --point substance=indium,weight=5,area=17531 --point substance=zinc,weight=5,area=66833")
            .exitCode,
        0);
    EXPECT_EQ(StoredItems(heat), gHeatCalibrationTable->GetItems());
    const json factor = json::parse(RunCli(cli + "table convert " + ShellQuote(heat) + " --temp 231.9").out);
    EXPECT_EQ(factor["value"].get<float>(), gHeatCalibrationTable->GetHeatFactor(231.9f));
}

// The README's calibration, from the main window: the references' run gives the dT points and
// the heat areas, the dialog builds both tables, every open window converts through them at once,
// and a run of tin reads its melting point and its heat of fusion as the cell was set.
TEST_F(CalibrationRunTest, CalibratedWithReferenceRunsTinReadsAsTheCellWasSet) {
    const std::string& references = CalibrationRun("indium:10,zinc:5");
    const std::string& tin = CalibrationRun("tin:6", 6);
    Start();
    TfrmDataWindow* w = form->OpenFile(references);
    ASSERT_NE(w, nullptr);
    const auto substances = LoadReferenceSubstances(dataDir);
    const RReferenceSubstance* in = FindReferenceSubstance(substances, "indium");
    const RReferenceSubstance* zn = FindReferenceSubstance(substances, "zinc");
    // The areas of the reference peaks, as the data window shows them.
    Trigger(*w, "Автоматическое определение ВСЕХ пиков");
    const auto referencePeaks = Peaks(w->DataClass());
    std::string found;
    for (const TPeak* p : referencePeaks)
        found +=
            " " + std::to_string(p->begX) + "…" + std::to_string(p->endX) + " top " + std::to_string(p->top);
    ASSERT_EQ(referencePeaks.size(), 2u) << found;
    bool driven = false;
    QTimer::singleShot(0, form.get(), [&] {
        auto* d = dynamic_cast<app::TCalibrationFrm*>(QApplication::activeModalWidget());
        if (!d) {
            if (auto* modal = dynamic_cast<QDialog*>(QApplication::activeModalWidget())) modal->reject();
            return ADD_FAILURE() << "no calibration dialog";
        }
        d->GetData();
        EXPECT_EQ(gDiffTempCalibrationTable->GetRefPointsCount(), 2);
        // Taking the points leaves the operator's peaks as they were.
        const auto peaks = Peaks(w->DataClass());
        EXPECT_EQ(peaks, referencePeaks);
        SelectPage(*d, cttHeat);
        TGridRows rows;
        for (size_t k = 0; k < peaks.size() && k < 2; ++k) {
            const RReferenceSubstance* ref = k == 0 ? in : zn;
            rows.push_back({ref->name, k == 0 ? "10" : "5", StrN(ref->meltingTemp, 1),
                            StrN(ref->meltingHeat, 1),
                            std::to_string(std::llround(static_cast<double>(peaks[k]->GetSummaryArea())))});
        }
        app::TPointGrid& g = d->Grid();
        g.setRowCount(static_cast<int>(rows.size()));
        for (size_t r = 0; r < rows.size(); ++r)
            for (size_t c = 0; c < rows[r].size(); ++c)
                g.SetCell(static_cast<int>(r), static_cast<int>(c), rows[r][c]);
        EXPECT_TRUE(d->Calculate());
        SaveArtifact(*d, "calibration-heat-from-run");
        driven = true;
        d->reject();
    });
    const float before = w->DataClass().items[20000][0].dtc;
    Trigger(*form, "Калибровочная таблица: " + gConfig->diffChannelName);
    ASSERT_TRUE(driven);
    // The open window converts through the new dT table: about 1/204800 K per count now.
    const TItem& s = w->DataClass().items[20000][0];
    EXPECT_NE(s.dtc, before);
    EXPECT_NEAR(s.dtc / s.dt, 1.0 / 204800, 0.05 / 204800);

    TfrmDataWindow* unknown = form->OpenFile(tin);
    ASSERT_NE(unknown, nullptr);
    Trigger(*unknown, "Автоматическое определение ВСЕХ пиков");
    const auto peaks = Peaks(unknown->DataClass());
    ASSERT_EQ(peaks.size(), 1u);
    const TPeak& p = *peaks[0];
    ASSERT_EQ(p.cutLines.back().lineType, CUTLINE_TANGENT);
    const TDataClass& d = unknown->DataClass();
    const double onset = d.items[p.cutLines.back().points.at(0).x][0].tc;
    const double specificHeat = static_cast<double>(p.GetSummaryAreaCalibrated()) / (d.fSampleWeight / 1000);
    EXPECT_NEAR(onset, 231.9, 1.0);
    EXPECT_NEAR(specificHeat, 60.5, 60.5 * 0.05);
    RecordProperty("tinOnset", std::to_string(onset));
    RecordProperty("tinSpecificHeat", std::to_string(specificHeat));
}
