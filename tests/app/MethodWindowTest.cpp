// Methods and reports in the data window, driven as the operator does: a peak added with the tool
// and saved as a method from "Результаты", the method with limits applied to a run whose melting
// lies out of them (the result marked), and the report's preview saved as PDF. The windows are
// kept as pictures among the test artefacts.

#include <QPushButton>

#include "app/AppTestSupport.h"
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
    AnswerFile(method);
    ClickButton(first.Results(), "Сохранить методику...");
    ASSERT_EQ(Asked(app::TPrompt::pkSaveFile).size(), 1u);
    methods::TMethod saved = methods::LoadMethodFile(method);
    EXPECT_EQ(saved.name, "melting");
    ASSERT_EQ(saved.evaluations.size(), 1u);
    EXPECT_EQ(saved.evaluations[0].kind, methods::EEvaluationKind::Peak);

    // The laboratory's limits written into the file, the method applied to a run melting 2 K
    // higher: the top is out of them and marked, the heat within.
    saved.evaluations[0].limits = {{"topTemp", {159, 161}}, {"specificHeat", {28, 32}}};
    methods::SaveMethodFile(saved, method);
    const TMethodRunModel shifted{.step = 0.4, .peakShift = 2};
    TfrmDataWindow& second = Open(shifted, "second.dsc");
    AnswerFile(method);
    ClickButton(second.Results(), "Применить методику...");
    ASSERT_NE(second.MethodRun(), nullptr);
    EXPECT_EQ(second.DataClass().peaks.GetItemCount(), 1);
    const app::TResultsList& results = second.Results();
    EXPECT_EQ(results.RowCount(), 1);  // the method's peak in the effects' table too
    int top = -1, heat = -1;
    for (int k = 0; k < results.MethodRowCount(); ++k) {
        if (results.MethodCell(k, 2) == "Температура пика Tпик (topTemp)") top = k;
        if (results.MethodCell(k, 2) == "Удельная теплота Q (specificHeat)") heat = k;
    }
    ASSERT_GE(top, 0);
    ASSERT_GE(heat, 0);
    EXPECT_TRUE(results.MethodCell(top, 3).startsWith("162,00")) << results.MethodCell(top, 3).toStdString();
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
    EXPECT_EQ(results.MethodCell(top, 5), "не годен");

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
    const auto errors = Asked(app::TPrompt::pkError);
    ASSERT_FALSE(errors.empty());
    EXPECT_NE(errors.back().text.find("нет оценок"), std::string::npos) << errors.back().text;
}

}  // namespace
