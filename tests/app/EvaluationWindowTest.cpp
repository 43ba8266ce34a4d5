// The standards' evaluations in the data window, driven as the operator does on model runs of
// known answer: the "Стеклование" tool dragged over a step and the ends of its construction
// dragged, the kind of a peak's base line and its conversion from the plot menu, the purity and
// crystallinity dialogs, each result in "Результаты", on the plot and back from the saved file.
// Every construction is kept as a picture among the test artefacts.

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

#include "app/AppTestSupport.h"
#include "app/CrystallinityDialog.h"
#include "app/PurityDialog.h"
#include "app/ResultsList.h"
#include "evaluation/ExperimentEvaluations.h"
#include "evaluation/PeakResults.h"
#include "processing/Peak.h"
#include "support/RecordFiles.h"

using namespace kalvero;
using namespace kalvero::test;
using app::TfrmDataWindow;

namespace {

// A Gaussian of 150 mJ (σ 12 s at 600 s) on a level stepping by 0.5 mW with the share of its area
// passed, whose sigmoidal base line is the step; 10 K/min from 30 °C, 0.5 s an item, 5 mg.
TRecord PeakOnStep() {
    return Ramp(2801, 0.5, 30, 10, [](double t, double) {
        const double x = (t - 600) / 12;
        return 1 + 0.5 * NormalCdf(x) + 150 * Gaussian(x) / (12 * std::sqrt(2 * M_PI));
    });
}

class EvaluationWindowTest : public TAppTest {
protected:
    // The record as an experiment file opened in the only data window.
    TfrmDataWindow& Open(const TRecord& aRecord, double aMass) {
        if (!form) Start();
        const std::string file = dir.Str() + "model.dsc";
        SaveRecord(aRecord, file, aMass);
        TfrmDataWindow* w = form->OpenFile(file);
        EXPECT_NE(w, nullptr);
        QCoreApplication::processEvents();
        return *w;
    }
    int MidY(const TfrmDataWindow& w) const {
        const TDataCanvas& c = w.Canvas();
        return c.GetMarginTop() + c.GetPaddingTop() + c.GetGraphicHeight() / 2;
    }
    // A strip over items aFrom … aTo with the tool or plot-menu item aCaption.
    void Strip(TfrmDataWindow& w, const std::string& aCaption, int aFrom, int aTo) {
        Trigger(w, aCaption);
        Drag(w.Plot(), QPoint(PixelOfItem(w, aFrom), MidY(w)), QPoint(PixelOfItem(w, aTo), MidY(w)));
    }
    // A peak added by hand over items aFrom … aTo, then the right click inside it.
    TPeak& ManualPeak(TfrmDataWindow& w, int aFrom, int aTo) {
        Strip(w, gConfig->addIntegralCaption, aFrom, aTo);
        const int peaks = w.DataClass().peaks.GetItemCount();
        EXPECT_GT(peaks, 0);
        auto* p = dynamic_cast<TPeak*>(w.DataClass().peaks.GetItemByIndex(peaks - 1).value);
        RightClickIn(w, *p);
        return *p;
    }
    void RightClickIn(TfrmDataWindow& w, const TPeak& p) {
        Click(w.Plot(), QPoint(PixelOfItem(w, (p.begX + p.endX) / 2), MidY(w)), Qt::RightButton);
        QCoreApplication::processEvents();
    }
    // The plot menu as the right click showed it (closed after its picture was taken).
    void SaveMenu(TfrmDataWindow& w, const std::string& aName) {
        for (QMenu* menu : w.findChildren<QMenu*>())
            if (menu->isVisible()) {
                SaveArtifact(*menu, aName);
                menu->hide();
            }
    }
    void SetField(QWidget& aDialog, const std::string& aName, const std::string& aText) {
        auto* field = FindNamed<QLineEdit>(aDialog, aName);
        ASSERT_NE(field, nullptr) << aName;
        field->setText(QString::fromStdString(aText));
        emit field->textEdited(field->text());
    }
    // The x window narrowed to items aFrom … aTo, for the pictures.
    void Show(TfrmDataWindow& w, int aFrom, int aTo) {
        w.DataClass().begXSel = aFrom, w.DataClass().endXSel = aTo;
        w.Redraw();
        w.UpdateScrollBars();
    }
    template <typename T>
    T& Dialog(TfrmDataWindow& w) {
        QCoreApplication::processEvents();
        T* dialog = FindChildOf<T>(w);
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }
    const TScreenCoord* StretchEnd(const TfrmDataWindow& w, int aEnd) {
        for (const TScreenCoord& e : w.DataClass().coords)
            if (e.objType == CUTLINE_GLASSTRANSITION_STRETCH && e.pointID == aEnd) return &e;
        return nullptr;
    }
};

}  // namespace

TEST_F(EvaluationWindowTest, TheGlassTransitionToolAndItsDraggedStretches) {
    const TStepModel model;  // 0.5 mW at 100 °C on 10 mg at 10 K/min: ΔCp 0.3 J/(g·K)
    TfrmDataWindow& w = Open(model.Record(10), 10);
    EXPECT_NE(FindNamed<QToolButton>(w, "Стеклование"), nullptr);
    Strip(w, "Стеклование", 200, 5800);
    TDataClass& d = w.DataClass();
    ASSERT_EQ(d.fEvaluations.glassTransitions.size(), 1u);
    EXPECT_TRUE(d.fHasUnsavedChanges);
    const TGlassTransitionRecord made = d.fEvaluations.glassTransitions[0];
    EXPECT_NEAR(made.beforeFrom, 200, 10);
    EXPECT_NEAR(made.afterTo, 5800, 10);
    auto results = evaluation::GlassTransitionResults(d);
    ASSERT_TRUE(results[0].error.empty()) << results[0].error;
    EXPECT_NEAR(results[0].result.midpoint.temperature, 100, 0.05);
    EXPECT_NEAR(results[0].result.deltaCp, 0.3, 0.02 * 0.3);
    const app::TResultsList& list = w.Results();
    ASSERT_EQ(list.EvaluationCount(), 1);
    EXPECT_EQ(list.EvaluationCell(0, 0).toStdString(), "Стеклование 1");
    EXPECT_NE(list.EvaluationCell(0, 1).toStdString().find("Tg 100,0 °C"), std::string::npos);
    EXPECT_NE(list.EvaluationCell(0, 1).toStdString().find("ΔCp 0,300 Дж/(г·К)"), std::string::npos);
    SaveArtifact(w, "glass-transition");

    // The end of the first stretch dragged towards the step: the stretch grows and the results
    // follow, still those of the model.
    const TScreenCoord* end = StretchEnd(w, 1);
    ASSERT_NE(end, nullptr);
    const QPoint on(end->x, (end->y + end->y1) / 2);
    SendMouse(w.Plot(), QEvent::MouseMove, on, Qt::NoButton, Qt::NoButton);
    ASSERT_EQ(w.ModifyMode(), MM_MODIFY_VERT);
    const int target = PixelToItem(d, w.Canvas(), on.x() + 60);
    Drag(w.Plot(), on, on + QPoint(60, 0));
    EXPECT_EQ(d.fEvaluations.glassTransitions[0].beforeTo, target);
    EXPECT_GT(target, made.beforeTo);
    results = evaluation::GlassTransitionResults(d);
    EXPECT_NEAR(results[0].result.midpoint.temperature, 100, 0.05);
    EXPECT_NE(w.Results().EvaluationCell(0, 1).toStdString().find("Tg 100,0 °C"), std::string::npos);
    SaveArtifact(w, "glass-transition-dragged");

    // Kept in the file and back with it; removed from the results list.
    const std::string file = dir.Str() + "kept.dsc";
    w.SaveFile(file, 1);
    TfrmDataWindow* again = form->OpenFile(file);
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->DataClass().fEvaluations.glassTransitions.size(), 1u);
    EXPECT_EQ(again->DataClass().fEvaluations.glassTransitions[0], d.fEvaluations.glassTransitions[0]);
    EXPECT_EQ(again->Results().EvaluationCell(0, 1), w.Results().EvaluationCell(0, 1));
    again->Results().SelectEvaluation(0);
    ClickButton(*again, "Удалить оценку");
    EXPECT_TRUE(again->DataClass().fEvaluations.glassTransitions.empty());
    EXPECT_EQ(again->Results().EvaluationCount(), 0);
}

TEST_F(EvaluationWindowTest, APeaksBaseLineChosenInItsMenuAndItsConversion) {
    TfrmDataWindow& w = Open(PeakOnStep(), 5);
    TPeak& p = ManualPeak(w, 1056, 1440);
    QAction* sigmoid = FindAction(w, "Сигмоидальная");
    ASSERT_NE(sigmoid, nullptr);
    ASSERT_TRUE(sigmoid->isEnabled());
    EXPECT_TRUE(FindAction(w, "Прямая")->isChecked());
    SaveMenu(w, "peak-menu");
    QMenu* kinds = FindAction(w, "Базовая линия")->menu();
    ASSERT_NE(kinds, nullptr);
    kinds->popup(w.Plot().mapToGlobal(QPoint(100, 100)));
    SaveArtifact(*kinds, "peak-menu-base-lines");
    kinds->hide();
    const double straight = static_cast<double>(p.GetSummaryAreaInRealUnits());
    sigmoid->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(p.baseLineKind, pbkSigmoidal);
    // The Gaussian's 150 mJ, 30 J/g of the 5 mg.
    const double area = static_cast<double>(p.GetSummaryAreaInRealUnits());
    EXPECT_NEAR(area, 150, 1.5);
    EXPECT_GT(std::abs(straight - area), 5);
    const app::TResultsList& list = w.Results();
    ASSERT_EQ(list.RowCount(), 1);
    EXPECT_EQ(list.Cell(0, 10).toStdString(), "сигмоидальная");
    EXPECT_EQ(list.Cell(0, 9).toStdString(), "30,00");
    EXPECT_EQ(list.Cell(0, 11).toStdString(), "4,71");  // 2·√(2 ln 2)·12 s at 10 K/min
    // The computed line's ends are not the operator's to drag; the margins still are.
    int baseLinePoints = 0;
    for (const TScreenCoord& e : w.DataClass().coords) {
        if (e.objType != CUTLINE_PEAKBASELINE) continue;
        ++baseLinePoints;
        EXPECT_TRUE(e.disableForAllModes);
    }
    EXPECT_EQ(baseLinePoints, 2);
    w.Results().SelectEffect(0);
    QCoreApplication::processEvents();
    Show(w, 950, 1550);
    SaveArtifact(w, "peak-sigmoidal-construction");
    RightClickIn(w, p);
    EXPECT_TRUE(FindAction(w, "Сигмоидальная")->isChecked());
    SaveMenu(w, "peak-menu-sigmoidal");

    // α and dα/dt as two channels: 0 before the peak, the peak's height after it.
    const int channels = w.DataClass().GetChannelCount();
    Trigger(w, "Степень превращения");
    TDataClass& d = w.DataClass();
    ASSERT_EQ(d.GetChannelCount(), channels + 2);
    EXPECT_EQ(d.descriptors[channels].name, "Степень превращения, пик 1");
    const double level = d.items[1000][channels].dtc, full = d.items[1500][channels].dtc;
    EXPECT_NEAR(d.items[1200][channels].dtc, (level + full) / 2, 0.01 * std::abs(full - level));
    Show(w, 950, 1550);
    SaveArtifact(w, "peak-conversion");

    // Another kind from the same menu, and back to the straight line.
    RightClickIn(w, p);
    Trigger(w, "Прямая");
    EXPECT_EQ(p.baseLineKind, pbkStraight);
    EXPECT_DOUBLE_EQ(static_cast<double>(p.GetSummaryAreaInRealUnits()), straight);
}

TEST_F(EvaluationWindowTest, ThePurityDialogOnAMeltingPeak) {
    const TMeltingModel model;  // 99.5 mol %, T0 150 °C, 125 J/g, a lag of 50 mW/K
    TfrmDataWindow& w = Open(model.Record(), model.mass);
    // 125 … 154 °C: (T − 110 °C)·240 items.
    ManualPeak(w, 3600, 10560);
    Trigger(w, "Чистота (Вант-Гофф)...");
    auto& dialog = Dialog<app::TPurityDialog>(w);
    SetField(dialog, "Молярная масса основного компонента, г/моль", "200");
    SetField(dialog, "Наклон фронта плавления эталона, мВт/К", "50");
    ClickButton(dialog, "Рассчитать");
    ASSERT_TRUE(dialog.Result().has_value()) << dialog.ResultsText().toStdString();
    EXPECT_NEAR(dialog.Result()->purity, 99.5, 0.1);
    EXPECT_NEAR(dialog.Result()->meltingPoint, 150, 0.05);
    EXPECT_EQ(dialog.Result()->measured.size(), 20u);
    EXPECT_NE(dialog.ResultsText().toStdString().find("Чистота: 99,5"), std::string::npos);
    SaveArtifact(dialog, "purity-dialog");
    ClickButton(dialog, "Сохранить в эксперименте");
    TDataClass& d = w.DataClass();
    ASSERT_EQ(d.fEvaluations.purities.size(), 1u);
    EXPECT_DOUBLE_EQ(d.fEvaluations.purities[0].molarMass, 200);
    EXPECT_EQ(w.Results().EvaluationCell(0, 0).toStdString(), "Чистота, пик 1");
    EXPECT_EQ(w.Results().EvaluationCell(0, 1).toStdString().rfind("99,5", 0), 0u);
    Show(w, 7000, 10800);
    SaveArtifact(w, "purity-window");

    // A field that is no number is said, and nothing is computed.
    SetField(dialog, "Молярная масса основного компонента, г/моль", "двести");
    ClickButton(dialog, "Рассчитать");
    EXPECT_FALSE(dialog.Result().has_value());
    EXPECT_NE(dialog.ResultsText().toStdString().find("Неверное значение"), std::string::npos);
    ClickButton(dialog, "Закрыть");
    // Opened again, the kept purity comes back.
    RightClickIn(w, *dynamic_cast<const TPeak*>(d.peaks.GetItemByIndex(0).value));
    Trigger(w, "Чистота (Вант-Гофф)...");
    auto& again = Dialog<app::TPurityDialog>(w);
    ASSERT_TRUE(again.Result().has_value());
    EXPECT_EQ(FindNamed<QLineEdit>(again, "Молярная масса основного компонента, г/моль")->text(), "200");
}

TEST_F(EvaluationWindowTest, TheCrystallinityDialogOnTwoPeaks) {
    // Cold crystallisation of 20 J/g at 120 °C (released) and melting of 60 J/g at 250 °C on 5 mg.
    const auto gaussian = [](double t, double aCentre, double aHeat) {
        return aHeat * Gaussian((t - aCentre) / 15) / (15 * std::sqrt(2 * M_PI));
    };
    const TRecord r = Ramp(3201, 0.5, 30, 10, [&](double t, double) {
        return 0.2 - gaussian(t, 540, 100) + gaussian(t, 1320, 300);
    });
    TfrmDataWindow& w = Open(r, 5);
    ManualPeak(w, 900, 1260);
    TPeak& melting = ManualPeak(w, 2460, 2820);
    Trigger(w, "Степень кристалличности...");
    auto& dialog = Dialog<app::TCrystallinityDialog>(w);
    auto* cold = FindNamed<QComboBox>(dialog, "Пик холодной кристаллизации");
    auto* polymer = FindNamed<QComboBox>(dialog, "Полимер");
    ASSERT_NE(cold, nullptr);
    ASSERT_NE(polymer, nullptr);
    cold->setCurrentIndex(1);
    polymer->setCurrentIndex(polymer->findText("PET", Qt::MatchStartsWith));
    EXPECT_EQ(FindNamed<QLineEdit>(dialog, "Теплота плавления 100 % кристаллического полимера, Дж/г")->text(),
              "140");
    ASSERT_TRUE(dialog.Result().error.empty()) << dialog.Result().error;
    EXPECT_NEAR(dialog.Result().result.percent, 100.0 * 40 / 140, 0.3);
    EXPECT_NE(dialog.ResultsText().toStdString().find("Степень кристалличности: 28,"), std::string::npos);
    SaveArtifact(dialog, "crystallinity-dialog");
    ClickButton(dialog, "Сохранить в эксперименте");
    const TDataClass& d = w.DataClass();
    ASSERT_EQ(d.fEvaluations.crystallinities.size(), 1u);
    EXPECT_EQ(d.fEvaluations.crystallinities[0].polymer, "PET");
    EXPECT_EQ(w.Results().EvaluationCell(0, 0).toStdString(), "Кристалличность, пик 2 − пик 1");
    SaveArtifact(w, "crystallinity-window");

    // A heat typed in is the operator's own.
    SetField(dialog, "Теплота плавления 100 % кристаллического полимера, Дж/г", "100");
    EXPECT_EQ(polymer->currentText().toStdString().rfind("Другой", 0), 0u);
    EXPECT_NEAR(dialog.Result().result.percent, 40, 0.3);
    // Deleting the melting peak takes its evaluation with it.
    RightClickIn(w, melting);
    Trigger(w, gConfig->deleteIntegralCaption);
    EXPECT_EQ(w.Results().EvaluationCount(), 0);
}
