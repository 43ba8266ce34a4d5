// The analysis windows of the desktop program: the specific heat capacity by the sapphire from
// three open runs, several runs compared on one plot with each run still evaluable, and a
// heat–cool–heat run split into a window per segment.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QTableWidget>

#include <cmath>

#include "app/AppTestSupport.h"
#include "app/Commands.h"
#include "app/CompareDialog.h"
#include "app/HeatCapacityDialog.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"
#include "support/ProgramRuns.h"

using namespace kalvero;
using namespace kalvero::test;
using app::TCompareDialog;
using app::TfrmDataWindow;
using app::THeatCapacityDialog;

namespace {

class HeatCapacityWindowTest : public TAppTest {
protected:
    // The model run saved as an experiment file and opened in a window of its own.
    TfrmDataWindow& Open(const TProgramRun& aModel, const std::string& aName) {
        if (!form) Start();
        const std::string file = dir.Str() + aName;
        ExperimentOf(aModel.Run())->SaveToFile(file, false);
        TfrmDataWindow* w = form->OpenFile(file);
        EXPECT_NE(w, nullptr) << aName;
        QCoreApplication::processEvents();
        return *w;
    }
    TfrmDataWindow* WindowTitled(const std::string& aTitle) const {
        for (TfrmDataWindow* w : form->DataWindows())
            if (w->windowTitle().toStdString() == aTitle) return w;
        return nullptr;
    }
    // Every button, field and list of a dialog has an accessible name, a button its caption (the
    // parts the toolkit builds into its lists, such as a table's corner button, aside).
    static void ExpectNamed(const QWidget& aDialog) {
        auto ours = [&](const QWidget* w) {
            for (const QWidget* p = w->parentWidget(); p && p != &aDialog; p = p->parentWidget())
                if (qobject_cast<const QAbstractItemView*>(p) || qobject_cast<const QComboBox*>(p))
                    return false;
            return true;
        };
        for (QAbstractButton* b : aDialog.findChildren<QAbstractButton*>()) {
            if (ours(b)) {
                EXPECT_EQ(b->accessibleName(), b->text().remove('&')) << b->text().toStdString();
            }
        }
        for (QWidget* w : aDialog.findChildren<QWidget*>()) {
            const bool field = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                               qobject_cast<QAbstractItemView*>(w);
            if (field && ours(w)) {
                EXPECT_FALSE(w->accessibleName().isEmpty()) << w->metaObject()->className();
            }
        }
    }
    // A run with a melting of 40 mJ at aMelting °C on a flat cp.
    static TProgramRun Melting(double aMelting, double aMass) {
        TProgramRun p;
        p.mass = aMass;
        p.cp = [](double) { return 1.5; };
        p.effect = [aMelting](double, double T) {
            return 40 * (10.0 / 60) * std::exp(-0.5 * std::pow((T - aMelting) / 3, 2)) /
                   (3 * std::sqrt(2 * M_PI));
        };
        return p;
    }
};

}  // namespace

TEST_F(HeatCapacityWindowTest, SapphireRatioFromThreeOpenRuns) {
    const TCpProcedure p;
    Open(p.blank, "blank.dsc");
    Open(p.sapphire, "sapphire.dsc");
    Open(p.sample, "sample.dsc");
    Trigger(*form, "Теплоёмкость (сапфир)...");
    auto* dialog = FindChildOf<THeatCapacityDialog>(*form);
    ASSERT_NE(dialog, nullptr);
    ExpectNamed(*dialog);
    // The last three runs in the order the procedure records them, the masses from their files.
    EXPECT_EQ(FindNamed<QComboBox>(*dialog, "Образец")->currentText(), "sample.dsc");
    EXPECT_EQ(FindNamed<QComboBox>(*dialog, "Эталон")->currentText(), "sapphire.dsc");
    EXPECT_EQ(FindNamed<QComboBox>(*dialog, "Холостой опыт")->currentText(), "blank.dsc");
    EXPECT_EQ(FindNamed<QLineEdit>(*dialog, "Масса эталона, мг")->text(), "25.000");
    EXPECT_FALSE(FindNamed<QLabel>(*dialog, "График опытов")->pixmap().isNull());
    FindNamed<QLineEdit>(*dialog, "Температуры таблицы, °С")->setText("80; 120; 160,5");
    ClickButton(*dialog, "Рассчитать");

    ASSERT_TRUE(dialog->Result().has_value());
    const auto* values = FindNamed<QTableWidget>(*dialog, "Теплоёмкость при температурах");
    ASSERT_EQ(values->rowCount(), 3);
    EXPECT_EQ(values->item(2, 0)->text(), "160.5");
    for (int row = 0; row < 3; ++row) {
        const double T = values->item(row, 0)->text().toDouble();
        EXPECT_NEAR(values->item(row, 1)->text().toDouble(), ModelSampleCp(T), 0.005 * ModelSampleCp(T)) << T;
    }
    EXPECT_EQ(FindNamed<QListWidget>(*dialog, "Предупреждения")->count(), 0);
    // The cp curve in a window of its own, against temperature.
    TfrmDataWindow* curve = dialog->ResultWindow();
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->windowTitle(), "sample-cp.dsc");
    const TDataClass& d = curve->DataClass();
    ASSERT_TRUE(d.fPhysical.has_value());
    EXPECT_EQ(d.fPhysical->quantity, sqSpecificHeat);
    EXPECT_EQ(d.mode, vm_view_dT_by_temp);
    EXPECT_EQ(d.GetDtName(), "Теплоёмкость");
    SaveArtifact(*dialog, "heat-capacity-dialog");
    dialog->close();
    QCoreApplication::processEvents();
    SaveArtifact(*curve, "heat-capacity-curve");

    // Without a reference: directly from the heat flow, from a run opened in the dialog.
    Trigger(*form, "Теплоёмкость (сапфир)...");
    dialog = FindChildOf<THeatCapacityDialog>(*form);
    ASSERT_NE(dialog, nullptr);
    const int blank = dialog->AddFile(dir.Str() + "blank.dsc");
    dialog->ChooseRuns(2, -1, blank);
    ASSERT_TRUE(dialog->Calculate());
    EXPECT_FALSE(std::isfinite(dialog->Result()->referenceRate));
    EXPECT_NEAR(dialog->Result()->cp[100], ModelSampleCp(dialog->Result()->temperature[100]), 0.01);
    // The same run twice is refused, with the reason in the list.
    dialog->ChooseRuns(2, 2, -1);
    EXPECT_FALSE(dialog->Calculate());
    EXPECT_EQ(FindNamed<QListWidget>(*dialog, "Предупреждения")->count(), 1);
    dialog->close();
}

TEST_F(HeatCapacityWindowTest, SeveralRunsOnOnePlotStayEvaluable) {
    Open(Melting(120, 10), "pe-1.dsc");
    Open(Melting(140, 5), "pe-2.dsc");
    Trigger(*form, "Сравнить...");
    auto* dialog = FindChildOf<TCompareDialog>(*form);
    ASSERT_NE(dialog, nullptr);
    ExpectNamed(*dialog);
    EXPECT_EQ(FindNamed<QListWidget>(*dialog, "Опыты")->count(), 2);
    FindNamed<QCheckBox>(*dialog, "Нормировать на массу")->setChecked(true);
    FindNamed<QLineEdit>(*dialog, "Смещение кривых")->setText("0,05");
    SaveArtifact(*dialog, "compare-dialog");
    ClickButton(*dialog, "Сравнить");
    TfrmDataWindow* w = WindowTitled("Сравнение.dsc");
    ASSERT_NE(w, nullptr);
    TDataClass& d = w->DataClass();
    ASSERT_EQ(d.GetChannelCount(), 2);
    EXPECT_EQ(d.descriptors[0].name, "pe-1.dsc");
    EXPECT_EQ(d.descriptors[1].name, "pe-2.dsc (+0.05)");
    EXPECT_EQ(d.fPhysical->unit, "mW/mg");
    EXPECT_TRUE(d.fShowLegend);
    EXPECT_EQ(d.mode, vm_view_dT_by_temp);
    SaveArtifact(*w, "comparison-by-temperature");
    w->SetViewMode(vm_view_dT_by_time);

    // Each run's effect is found once its channel is the main one.
    auto meltingOf = [&] {
        d.peaks.Clear();
        Trigger(*w, "Автоматическое определение ВСЕХ пиков");
        EXPECT_EQ(d.peaks.GetItemCount(), 1);
        const auto* peak = dynamic_cast<const TPeak*>(d.peaks.GetItemByIndex(0).value);
        return peak ? d.items[static_cast<size_t>((peak->begX + peak->endX) / 2)][0].tc : NAN;
    };
    EXPECT_NEAR(meltingOf(), 120, 6);
    w->SetCurrentChannel(1);
    w->ToggleChannelPanel(true);
    ClickButton(*w, "Сделать основн.");
    EXPECT_EQ(d.descriptors[0].name, "pe-2.dsc (+0.05)");
    EXPECT_NEAR(meltingOf(), 140, 6);
    SaveArtifact(*w, "comparison-by-time");
}

TEST_F(HeatCapacityWindowTest, AHeatCoolHeatRunSplitIntoItsSegments) {
    // Melting at 120 °C on both heatings, crystallisation at 100 °C on the cooling between them.
    TProgramRun p = Melting(120, 10);
    p.segments = {{10, 900}, {-10, 900}, {20, 450}};
    const auto melting = p.effect;
    p.effect = [melting](double t, double T) {
        if (t < 900 || t > 1800) return melting(t, T);
        return -30 * (10.0 / 60) * std::exp(-0.5 * std::pow((T - 100) / 2, 2)) / (2 * std::sqrt(2 * M_PI));
    };
    TfrmDataWindow& w = Open(p, "hch.dsc");
    const size_t before = form->DataWindows().size();
    QAction* split = FindAction(w, "Разделить по сегментам");
    ASSERT_NE(split, nullptr);
    EXPECT_EQ(app::AccessibleCaption(split), "Разделить по сегментам");
    split->trigger();
    QCoreApplication::processEvents();
    ASSERT_EQ(form->DataWindows().size(), before + 3);
    const double rates[] = {10, -10, 20};
    for (int k = 1; k <= 3; ++k) {
        TfrmDataWindow* part = WindowTitled("hch-" + std::to_string(k) + ".dsc");
        ASSERT_NE(part, nullptr) << k;
        EXPECT_NEAR(part->DataClass().fHeatSpeed, rates[k - 1], 0.05);
        EXPECT_TRUE(part->DataClass().fHasUnsavedChanges);
        if (k == 2) SaveArtifact(*part, "segment-cooling");
    }
    form->MdiArea().tileSubWindows();
    QCoreApplication::processEvents();
    SaveArtifact(*form, "segments-split");
    // A run of one segment has nothing to split.
    TfrmDataWindow* part = WindowTitled("hch-1.dsc");
    FindAction(*part, "Разделить по сегментам")->trigger();
    EXPECT_EQ(form->DataWindows().size(), before + 3);
    EXPECT_FALSE(Asked(app::TPrompt::pkInfo).empty());
}
