// Methods and reports in the data window, driven as the operator does: a peak added with the tool
// and saved as a method from "Результаты" with limits typed into "Методика", the method applied to
// a run whose melting lies out of them (the result marked), and the report's preview saved as
// PDF. The windows are kept as pictures among the test artefacts.

#include <QPushButton>
#include <QTableWidget>

#include "app/AppTestSupport.h"
#include "app/MethodDialog.h"
#include "app/ReportPreview.h"
#include "app/ResultsList.h"
#include "methods/MethodFile.h"
#include "support/MethodRuns.h"

using namespace kalvero;
using namespace kalvero::test;
using app::TfrmDataWindow;

namespace {

class MethodWindowTest : public TAppTest {
protected:
    TfrmDataWindow& Open(const TMethodRunModel& aModel, const std::string& aName) {
        if (!form) Start();
        const std::string file = dir.Str() + aName;
        aModel.Save(file);
        TfrmDataWindow* w = form->OpenFile(file);
        EXPECT_NE(w, nullptr);
        QCoreApplication::processEvents();
        return *w;
    }
};

TEST_F(MethodWindowTest, SavedFromOneRunAppliedToAnotherWithItsLimitsAndReported) {
    const TMethodRunModel model;
    TfrmDataWindow& first = Open(model, "first.dsc");
    first.ShowResults(true);
    // The melting with the manual integral tool, then the method saved from the dock.
    Trigger(first, gConfig->addIntegralCaption);
    Drag(first.Plot(), QPoint(PixelOfItem(first, model.ItemAt(148)), PlotMidY(first)),
         QPoint(PixelOfItem(first, model.ItemAt(172)), PlotMidY(first)));
    ASSERT_EQ(first.DataClass().peaks.GetItemCount(), 1);
    const std::string method = dir.Str() + "melting.json";
    ClickButton(first.Results(), "Сохранить методику...");
    auto* dialog = FindChildOf<app::TMethodDialog>(first);
    ASSERT_NE(dialog, nullptr);
    auto* limits = FindNamed<QTableWidget>(*dialog, "Границы результатов");
    ASSERT_NE(limits, nullptr);
    const auto row = [&](const QString& aTitle) {
        for (int k = 0; k < limits->rowCount(); ++k)
            if (limits->item(k, 1)->text() == aTitle) return k;
        return -1;
    };
    const int top = row("Температура пика Tпик (topTemp)"), heat = row("Удельная теплота Q (specificHeat)");
    ASSERT_GE(top, 0);
    ASSERT_GE(heat, 0);
    // The value the run has now beside its bounds.
    EXPECT_TRUE(limits->item(top, 2)->text().startsWith("160,0"))
        << limits->item(top, 2)->text().toStdString();
    const auto bounds = [&](int aRow, const char* aLow, const char* aHigh) {
        limits->item(aRow, app::TMethodDialog::kLowColumn)->setText(aLow);
        limits->item(aRow, app::TMethodDialog::kHighColumn)->setText(aHigh);
    };
    // Bounds that are no number, or the wrong way round, are refused and nothing is saved.
    bounds(top, "159", "сто");
    ClickButton(*dialog, "Сохранить...");
    bounds(top, "161", "159");
    ClickButton(*dialog, "Сохранить...");
    const auto errors = Asked(app::TPrompt::pkError);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].text.find("не число: сто"), std::string::npos) << errors[0].text;
    EXPECT_NE(errors[1].text.find("нижняя граница больше верхней"), std::string::npos) << errors[1].text;
    EXPECT_TRUE(Asked(app::TPrompt::pkSaveFile).empty());
    // The laboratory's limits: the top within 159 … 161 °C, the heat within 28 … 32 J/g (a comma
    // or a point), and a bound on one side only.
    bounds(top, "159", "161");
    bounds(heat, "28,0", " 32.0 ");
    const int joules = row("Теплота Q (heat)");
    ASSERT_GE(joules, 0);
    bounds(joules, "", "1");
    SaveArtifact(*dialog, "method-dialog");
    AnswerFile(method);
    ClickButton(*dialog, "Сохранить...");
    ASSERT_EQ(Asked(app::TPrompt::pkSaveFile).size(), 1u);
    QCoreApplication::processEvents();
    EXPECT_EQ(FindChildOf<app::TMethodDialog>(first), nullptr);  // closed once saved
    const methods::TMethod saved = methods::LoadMethodFile(method);
    EXPECT_EQ(saved.name, "melting");
    ASSERT_EQ(saved.evaluations.size(), 1u);
    EXPECT_EQ(saved.evaluations[0].kind, methods::EEvaluationKind::Peak);
    const auto& kept = saved.evaluations[0].limits;  // in the order the peak's results come in
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0].first, "topTemp");
    EXPECT_EQ(kept[0].second.low, 159);
    EXPECT_EQ(kept[0].second.high, 161);
    EXPECT_EQ(kept[1].first, "heat");
    EXPECT_TRUE(std::isnan(kept[1].second.low));
    EXPECT_EQ(kept[1].second.high, 1);
    EXPECT_EQ(kept[2].first, "specificHeat");
    EXPECT_EQ(kept[2].second.low, 28);
    EXPECT_EQ(kept[2].second.high, 32);

    // The method applied to a run melting 2 K higher: the top is out of its limits and marked, the
    // heat within.
    const TMethodRunModel shifted{.step = 0.4, .peakShift = 2};
    TfrmDataWindow& second = Open(shifted, "second.dsc");
    AnswerFile(method);
    ClickButton(second.Results(), "Применить методику...");
    ASSERT_NE(second.MethodRun(), nullptr);
    EXPECT_EQ(second.DataClass().peaks.GetItemCount(), 1);
    const app::TResultsList& results = second.Results();
    EXPECT_EQ(results.RowCount(), 1);  // the method's peak in the effects' table too
    int topRow = -1, heatRow = -1;
    for (int k = 0; k < results.MethodRowCount(); ++k) {
        if (results.MethodCell(k, 2) == "Температура пика Tпик (topTemp)") topRow = k;
        if (results.MethodCell(k, 2) == "Удельная теплота Q (specificHeat)") heatRow = k;
    }
    ASSERT_GE(topRow, 0);
    ASSERT_GE(heatRow, 0);
    EXPECT_TRUE(results.MethodCell(topRow, 3).startsWith("162,00"))
        << results.MethodCell(top, 3).toStdString();
    EXPECT_EQ(results.MethodCell(top, 5), "не годен");
    EXPECT_TRUE(results.MethodRowMarked(top));
    EXPECT_EQ(results.MethodCell(heat, 5), "годен");
    EXPECT_FALSE(results.MethodRowMarked(heat));
    EXPECT_TRUE(second.DataClass().fHasUnsavedChanges);
    second.showMaximized();
    QCoreApplication::processEvents();
    SaveArtifact(second, "method-applied");

    // The verdicts are the method's state's: undone they leave the dock, redone they come back.
    Trigger(*form, "Отменить «Применение методики»");
    EXPECT_EQ(second.MethodRun(), nullptr);
    EXPECT_EQ(results.MethodRowCount(), 0);
    Trigger(*form, "Повторить «Применение методики»");
    ASSERT_NE(second.MethodRun(), nullptr);
    EXPECT_EQ(results.MethodCell(topRow, 5), "не годен");

    // The report: its preview shows the page, which is saved as PDF with the verdict.
    ClickButton(second.Results(), "Отчёт...");
    app::TReportPreview* preview = second.ReportWindow();
    ASSERT_NE(preview, nullptr);
    QCoreApplication::processEvents();
    EXPECT_GE(preview->PageCount(), 1);
    SaveArtifact(*preview, "report-preview");
    const std::string pdf = dir.Str() + "report.pdf";
    AnswerFile(pdf);
    ClickButton(*preview, "Сохранить PDF...");
    const std::string text = dir.Str() + "report.txt";
    ASSERT_EQ(std::system(("pdftotext -layout " + ShellQuote(pdf) + " " + ShellQuote(text)).c_str()), 0);
    const std::string words = ReadFileBytes(text);
    EXPECT_NE(words.find("Заключение: не годен"), std::string::npos) << words;
    EXPECT_NE(words.find("Методика: melting"), std::string::npos) << words;
    ClickButton(*preview, "Закрыть");
    QCoreApplication::processEvents();
    EXPECT_EQ(second.ReportWindow(), nullptr);

    // A method file that cannot be read is refused with its reason and changes nothing.
    WriteFileBytes(dir.Str() + "bad.json", "{\"name\": \"x\"}");
    AnswerFile(dir.Str() + "bad.json");
    ClickButton(first.Results(), "Применить методику...");
    EXPECT_EQ(first.MethodRun(), nullptr);
    EXPECT_EQ(first.DataClass().peaks.GetItemCount(), 1);
    const auto refused = Asked(app::TPrompt::pkError);
    ASSERT_FALSE(refused.empty());
    EXPECT_NE(refused.back().text.find("нет оценок"), std::string::npos) << refused.back().text;
}

}  // namespace
