// Another instrument's text export in the desktop program: chosen with "Импорт данных...", shown
// in the import dialog with its columns, rows and warnings, imported into a window whose effects
// the results list shows in °C and J/g and follows as the operator edits them.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/AppTestSupport.h"
#include "app/ImportDialog.h"
#include "app/ResultsList.h"
#include "evaluation/PeakResults.h"
#include "processing/Peak.h"

using namespace kalvero;
using namespace kalvero::test;
using app::TfrmDataWindow;
using app::TImportDialog;

namespace {

class ImportWindowTest : public TAppTest {
protected:
    // A key/value export of a heating at 10 K/min: a 150 mJ Gaussian (σ 12 s) at 760 s on a sloped
    // base, the sample named, no mass and no direction given.
    std::string ExportFile() {
        std::string text =
            "Sample\tPE film\nSig1\tTime (s)\nSig2\tTemperature (°C)\nSig3\tHeat Flow (mW)\nStartOfData\n";
        char line[96];
        for (int i = 0; i <= 2400; ++i) {
            const double t = i * 0.5;
            const double g = std::exp(-0.5 * std::pow((t - 760) / 12, 2)) / (12 * std::sqrt(2 * M_PI));
            std::snprintf(line, sizeof line, "%.1f\t%.4f\t%.6f\n", t, 30 + t / 6, 0.2 + 2e-4 * t + 150 * g);
            text += line;
        }
        const std::string file = dir.Str() + "pe-film.txt";
        WriteFileBytes(file, text);
        return file;
    }
    TImportDialog& OpenDialog(const std::string& aFile) {
        AnswerFile(aFile);
        Trigger(*form, "Импорт данных...");
        auto* dialog = FindChildOf<TImportDialog>(*form);
        EXPECT_NE(dialog, nullptr);
        // The file is read on a thread of its own while the dialog stays responsive.
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->Result() || !dialog->Error().empty(); }, 10000));
        return *dialog;
    }
    static const TScreenCoord* CoordOf(const TfrmDataWindow& w, TCutLineType aType) {
        for (const TScreenCoord& c : w.DataClass().coords)
            if (c.objType == aType && c.dragType != DRAGTYPE_NONE) return &c;
        return nullptr;
    }
};

TEST_F(ImportWindowTest, AnExportIsShownImportedAndItsEffectReadInJoulesPerGram) {
    Start();
    const std::string file = ExportFile();
    TImportDialog& dialog = OpenDialog(file);
    ASSERT_TRUE(dialog.Result()) << dialog.Error();
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Импорт данных");
    auto* preview = FindNamed<QTableWidget>(dialog, "Первые строки");
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->columnCount(), 3);
    EXPECT_GT(preview->rowCount(), 5);
    EXPECT_EQ(FindNamed<QComboBox>(dialog, "Сигнал")->currentText().toStdString(), "Heat Flow (mW)");
    // What the file does not say is listed, and the fields set it.
    auto* warnings = FindNamed<QListWidget>(dialog, "Предупреждения");
    ASSERT_NE(warnings, nullptr);
    bool direction = false;
    for (int k = 0; k < warnings->count(); ++k)
        direction |= warnings->item(k)->text().contains("Направление");
    EXPECT_TRUE(direction);
    FindNamed<QLineEdit>(dialog, "Масса навески, мг")->setText("6");
    FindNamed<QComboBox>(dialog, "Эндоэффекты")->setCurrentIndex(0);
    SaveArtifact(dialog, "import-dialog");
    ClickButton(dialog, "Импорт");

    TfrmDataWindow* w = form->ActiveDataWindow();
    ASSERT_NE(w, nullptr);
    const TDataClass& d = w->DataClass();
    ASSERT_TRUE(d.IsPhysical());
    EXPECT_EQ(w->windowTitle().toStdString(), "pe-film.dsc");
    EXPECT_DOUBLE_EQ(d.fSampleWeight, 6);
    EXPECT_EQ(d.fSampleName, "PE film");
    EXPECT_FALSE(d.fWasSaved);
    Trigger(*w, "Автоматическое определение ВСЕХ пиков");
    ASSERT_EQ(d.peaks.GetItemCount(), 1);
    const app::TResultsList& results = w->Results();
    ASSERT_EQ(results.RowCount(), 1);
    const TEffectResult r = EffectResults(d).front();
    // 150 mJ on 6 mg.
    EXPECT_NEAR(r.specificHeat, 25, 25 * 0.005);
    EXPECT_EQ(results.Cell(0, 1).toStdString(), "эндо");
    EXPECT_EQ(results.Cell(0, 3).toStdString(), DecimalComma(r.onsetTemp, 1));
    EXPECT_EQ(results.Cell(0, 9).toStdString(), DecimalComma(r.specificHeat, 2));
    SaveArtifact(*w, "imported-run");
}

TEST_F(ImportWindowTest, TheResultsFollowAnEditAndTheLabelsGoWithOneCommand) {
    Start();
    TImportDialog& dialog = OpenDialog(ExportFile());
    ClickButton(dialog, "Импорт");
    TfrmDataWindow& w = *form->ActiveDataWindow();
    Trigger(w, "Автоматическое определение ВСЕХ пиков");
    ASSERT_EQ(w.Results().RowCount(), 1);
    const QString area = w.Results().Cell(0, 7);
    const QString initial = w.Results().Cell(0, 2);
    // The left margin dragged to the right: the effect starts later and holds less.
    const TScreenCoord* margin = CoordOf(w, CUTLINE_PEAKLEFTMARGIN);
    ASSERT_NE(margin, nullptr);
    const QPoint on(margin->x, std::min(margin->y, margin->y1) + 15);
    SendMouse(w.Plot(), QEvent::MouseMove, on, Qt::NoButton, Qt::NoButton);
    Drag(w.Plot(), on, on + QPoint(40, 0));
    EXPECT_NE(w.Results().Cell(0, 2), initial);
    EXPECT_NE(w.Results().Cell(0, 7), area);
    const TEffectResult r = EffectResults(w.DataClass()).front();
    EXPECT_EQ(w.Results().Cell(0, 2).toStdString(), DecimalComma(r.initialTemp, 1));

    // The labels: on by default, one command hides them, the list's box follows.
    EXPECT_TRUE(w.DataClass().fShowEffectLabels);
    Trigger(w, "Подписи эффектов на графике");
    EXPECT_FALSE(w.DataClass().fShowEffectLabels);
    EXPECT_FALSE(FindNamed<QCheckBox>(w, "Подписи на графике")->isChecked());
    FindNamed<QCheckBox>(w, "Подписи на графике")->click();
    EXPECT_TRUE(w.DataClass().fShowEffectLabels);
    // Copying gives the table with its header.
    const std::string table = w.Results().TableText();
    EXPECT_EQ(table.rfind("№\tЭффект\t", 0), 0u) << table;
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 2);
}

TEST_F(ImportWindowTest, AFileWithoutDataIsRefusedAndNothingIsOpened) {
    Start();
    const std::string notes = dir.Str() + "notes.txt";
    WriteFileBytes(notes, "Журнал\nпрогон отменён\n");
    TImportDialog& dialog = OpenDialog(notes);
    EXPECT_FALSE(dialog.Result());
    EXPECT_FALSE(dialog.Error().empty());
    EXPECT_FALSE(FindNamed<QAbstractButton>(dialog, "Импорт")->isEnabled());
    ClickButton(dialog, "Отмена");
    EXPECT_TRUE(form->DataWindows().empty());
}

}  // namespace
