// The window of a plug-in's described results, driven as the operator drives it: the Kinetics
// plug-in's isoconversional analysis of four experiment files opened in the program, its plots and
// tables, the prediction and the options' buttons, copy and export of a table, the errors in the
// system's words, and the plug-in letting go of the results when the window closes. Pictures of
// the window are kept as test artefacts.

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>

#include <cmath>

#include "app/AppTestSupport.h"
#include "app/PluginResultsWindow.h"
#include "app/ResultPlotView.h"
#include "app/ResultTableView.h"
#include "common/FileUtil.h"
#include "plugins/PluginUtil.h"
#include "processing/PeakUtils.h"
#include "processing/RangeText.h"
#include "support/KineticExperiments.h"
#include "system/RegistryUtil.h"

using namespace kalvero;
using namespace kalvero::test;
using app::TPluginResultsWindow;
using app::TPrompt;

namespace {

class PluginResultsWindowTest : public TAppTest {
protected:
    // The Kinetics plug-in installed, the program started, and four runs of a first-order reaction
    // at 5, 10, 20 and 40 K/min opened, each in its data window with its effect marked by hand over
    // the whole reaction (as the manual peak tool marks it).
    app::TfrmDataWindow& OpenRuns() {
        TAppConfig config(appDir, dataDir);
        RegistryUtil::SetMachineStoreFile(config.fProgramDataPath + "registry.ini");
        InstallPlugin(config, KINETICS_PLUGIN, "TKinetics");
        Start();
        form->resize(1600, 1000);
        app::TfrmDataWindow* last = nullptr;
        for (const auto& run : FirstOrderRuns()) {
            const std::string file =
                dir.Str() + "b" + std::to_string(static_cast<int>(run.heatingRate)) + ".dsc";
            SaveExperiment(run, file);
            last = form->OpenFile(file);
            TDataClass& d = *last->Experiment();
            const auto [from, to] = ItemRangeOf(d, "150C:400C");
            TPeakUtils(d, *gConfig, nullptr, nullptr).AddPeakManually(from, to);
        }
        QCoreApplication::processEvents();
        return *last;
    }
    TPluginResultsWindow& Analyse(app::TfrmDataWindow& aWindow) {
        Trigger(aWindow, "Изоконверсионный анализ");
        auto* window = FindChildOf<TPluginResultsWindow>(*form);
        if (!window) throw std::runtime_error("no results window");
        QCoreApplication::processEvents();
        return *window;
    }
    // The field captioned aCaption.
    template <typename T>
    T& Field(QWidget& aWindow, const std::string& aCaption) {
        T* field = FindNamed<T>(aWindow, aCaption);
        if (!field) throw std::runtime_error("no field " + aCaption);
        return *field;
    }
    void Show(TPluginResultsWindow& aWindow, const std::string& aTitle) {
        const auto items = aWindow.Pages().findItems(QString::fromStdString(aTitle), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << aTitle;
        aWindow.ShowPage(aWindow.Pages().row(items[0]));
        QCoreApplication::processEvents();
    }
    std::vector<std::string> Errors() const {
        std::vector<std::string> texts;
        for (const TPrompt& p : Asked(TPrompt::pkError))
            texts.push_back(p.text);
        return texts;
    }
};

// Every button of aRoot is named by its caption, every field of a form by its label.
void ExpectNamedByCaptions(QWidget& aRoot) {
    int buttons = 0, fields = 0;
    for (QPushButton* b : aRoot.findChildren<QPushButton*>()) {
        EXPECT_EQ(b->accessibleName(), b->text());
        ++buttons;
    }
    for (QFormLayout* form : aRoot.findChildren<QFormLayout*>()) {
        for (int row = 0; row < form->rowCount(); ++row) {
            auto* label = form->itemAt(row, QFormLayout::LabelRole);
            auto* field = form->itemAt(row, QFormLayout::FieldRole);
            if (!label || !field || !label->widget() || !field->widget()) continue;
            EXPECT_EQ(field->widget()->accessibleName(), dynamic_cast<QLabel*>(label->widget())->text());
            ++fields;
        }
    }
    EXPECT_EQ(buttons, 2 * 3 + 3);  // copy and export of each table, the panels' three buttons
    EXPECT_EQ(fields, 11);
}

}  // namespace

TEST_F(PluginResultsWindowTest, ShowsTheAnalysisOfTheOpenExperimentsAndPredictsOnDemand) {
    app::TfrmDataWindow& data = OpenRuns();
    TPluginResultsWindow& w = Analyse(data);
    ASSERT_TRUE(Errors().empty()) << Errors().front();
    EXPECT_EQ(w.windowTitle(), "Изоконверсионный анализ");
    // It comes up over the data windows, at their size.
    ASSERT_NE(form->MdiArea().activeSubWindow(), nullptr);
    EXPECT_EQ(form->MdiArea().activeSubWindow()->widget(), &w);
    EXPECT_TRUE(form->MdiArea().activeSubWindow()->isMaximized());
    // Seven plots (E(α), α(T), four methods' lines, Kissinger) and three tables.
    ASSERT_EQ(w.Pages().count(), 10);
    EXPECT_EQ(w.Pages().item(0)->text(), "Энергия активации E(α)");
    EXPECT_EQ(w.Pages().item(2)->text(), "Изоконверсионные прямые: Фридман");
    EXPECT_FALSE(w.findChild<QLabel*>("warnings")->isVisible());
    ExpectNamedByCaptions(w);

    // E(α): each method's line and its band share a colour.
    auto* energy = dynamic_cast<app::TResultPlotView*>(w.CurrentPage());
    ASSERT_NE(energy, nullptr);
    EXPECT_EQ(energy->accessibleName(), "Энергия активации E(α)");
    ASSERT_EQ(energy->Plot().series.size(), 12u);
    EXPECT_EQ(energy->Plot().series[0].style, TSeriesStyle::ssBand);
    EXPECT_EQ(energy->SeriesColour(0), energy->SeriesColour(1));
    EXPECT_NE(energy->SeriesColour(1), energy->SeriesColour(3));
    SaveArtifact(w, "kinetics-energy");
    Show(w, "Степень превращения α(T)");
    SaveArtifact(w, "kinetics-conversion");
    Show(w, "Изоконверсионные прямые: Фридман");
    SaveArtifact(w, "kinetics-friedman-lines");
    Show(w, "Киссинджер (ASTM E698)");
    SaveArtifact(w, "kinetics-kissinger");

    // The tables: 19 levels; Kissinger's E of the reaction in the summary.
    Show(w, "Энергия активации");
    auto* table = dynamic_cast<app::TResultTableView*>(w.CurrentPage());
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->Grid().rowCount(), 19);
    EXPECT_EQ(table->Grid().item(9, 0)->text(), "0,50");
    SaveArtifact(w, "kinetics-table");
    Show(w, "Сводка");
    auto* summary = dynamic_cast<app::TResultTableView*>(w.CurrentPage());
    ASSERT_NE(summary, nullptr);
    const int kissinger = summary->Grid().rowCount() - 1;
    EXPECT_EQ(summary->Grid().item(kissinger, 0)->text(), "Киссинджер (ASTM E698)");
    EXPECT_NEAR(summary->Grid().item(kissinger, 1)->text().replace(',', '.').toDouble(), 150, 0.75);

    // The time to α = 0.5 at 150 °С: ln 2 / k(423.15 K) = 26.3 days.
    Field<QLineEdit>(w, "Температура, °С").setText("150");
    ClickButton(w, "Рассчитать время");
    const QString predicted = w.PanelText("Прогноз");
    EXPECT_TRUE(predicted.startsWith(
        "Время достижения α = 0,50 при 150,0 °С (по эксперименту β = 20 К/мин — b20.dsc):"))
        << predicted.toStdString();
    EXPECT_TRUE(predicted.contains("Вязовкин (усовершенствованный): 26,3 сут (")) << predicted.toStdString();
    EXPECT_EQ(predicted.count('\n'), 6);  // the heading and every method
    EXPECT_NEAR(HalfLife(423.15) / 86400, 26.3, 0.05);
    // The fields keep what was entered.
    EXPECT_EQ(Field<QLineEdit>(w, "Температура, °С").text(), "150");
    SaveArtifact(w, "kinetics-prediction");

    // One method, over a year: the storage temperature.
    Field<QComboBox>(w, "Метод").setCurrentText("Фридман");
    Field<QLineEdit>(w, "Время").setText("1 год");
    ClickButton(w, "Рассчитать температуру");
    EXPECT_TRUE(w.PanelText("Прогноз").startsWith("Температура, при которой α = 0,50 достигается за 365 сут"))
        << w.PanelText("Прогноз").toStdString();
    EXPECT_EQ(w.PanelText("Прогноз").count('\n'), 1);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(PluginResultsWindowTest, AnalysesAgainWithNewOptionsAndSaysWhatItCannotDo) {
    TPluginResultsWindow& w = Analyse(OpenRuns());
    Field<QLineEdit>(w, "Шаг степени превращения").setText("0,1");
    Field<QLineEdit>(w, "Доверительная вероятность").setText("0,5");
    ClickButton(w, "Пересчитать");
    ASSERT_TRUE(Errors().empty()) << Errors().front();
    Show(w, "Энергия активации");
    auto* table = dynamic_cast<app::TResultTableView*>(w.CurrentPage());
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->Grid().rowCount(), 10);  // 0.05, 0.15 … 0.95
    EXPECT_EQ(table->Grid().item(1, 0)->text(), "0,15");
    EXPECT_EQ(Field<QLineEdit>(w, "Шаг степени превращения").text(), "0,1");

    // A value that is none: the box says which field, the results stay.
    Field<QLineEdit>(w, "Температура, °С").setText("жарко");
    ClickButton(w, "Рассчитать время");
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0], "Неверное значение «жарко» поля «Температура, °С»");
    EXPECT_EQ(Field<QLineEdit>(w, "Температура, °С").text(), "жарко");
    EXPECT_TRUE(w.PanelText("Прогноз").isEmpty());
    Field<QLineEdit>(w, "Степень превращения от").setText("0,9");
    Field<QLineEdit>(w, "Степень превращения до").setText("0,1");
    ClickButton(w, "Пересчитать");
    ASSERT_EQ(Errors().size(), 2u);
    EXPECT_EQ(Errors()[1], "Степень превращения «до» меньше степени превращения «от»");
    EXPECT_EQ(table, w.CurrentPage());
    EXPECT_EQ(table->Grid().rowCount(), 10);
}

TEST_F(PluginResultsWindowTest, CopiesAndExportsATableAsItIsShown) {
    TPluginResultsWindow& w = Analyse(OpenRuns());
    Show(w, "Эксперименты");
    auto* table = dynamic_cast<app::TResultTableView*>(w.CurrentPage());
    ASSERT_NE(table, nullptr);
    ClickButton(*table, "Копировать");
    const std::string copied = QApplication::clipboard()->text().toStdString();
    EXPECT_EQ(copied, TableText(table->Table()));
    EXPECT_EQ(copied.substr(0, copied.find('\n')),
              "Эксперимент\tβ, К/мин\tНачало эффекта, °С\tКонец эффекта, °С\tTпик, °С");
    EXPECT_EQ(std::count(copied.begin(), copied.end(), '\n'), 5);

    const std::string text = dir.Str() + "runs";  // the filter's extension is added
    AnswerFile(text, 1);
    ClickButton(*table, "Экспорт...");
    std::string saved = ReadFileBytes(text + ".txt");
    ASSERT_GT(saved.size(), 3u);
    EXPECT_EQ(saved.substr(0, 3), "\xEF\xBB\xBF");
    std::string lines = copied;
    for (size_t at = lines.find('\n'); at != std::string::npos; at = lines.find('\n', at + 2))
        lines.replace(at, 1, "\r\n");
    EXPECT_EQ(saved.substr(3), lines);
    const std::string book = dir.Str() + "runs.xlsx";
    AnswerFile(book, 2);
    ClickButton(*table, "Экспорт...");
    EXPECT_EQ(ReadFileBytes(book).substr(0, 2), "PK");
    EXPECT_TRUE(Errors().empty());
}

TEST_F(PluginResultsWindowTest, ThePluginLetsGoOfTheResultsWhenTheWindowCloses) {
    TPluginResultsWindow& w = Analyse(OpenRuns());
    RPluginResults results = w.Entered();
    TPlugin* plugin = nullptr;
    ASSERT_TRUE(form->PluginUtil()->GetPluginByName("Kinetics", plugin));
    EXPECT_NO_THROW(plugin->ResultsAction(results, "analyse"));
    QMdiSubWindow* sub = nullptr;
    for (QMdiSubWindow* s : form->MdiArea().subWindowList())
        if (s->widget() == &w) sub = s;
    ASSERT_NE(sub, nullptr);
    sub->close();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(FindChildOf<TPluginResultsWindow>(*form), nullptr);
    EXPECT_THROW(plugin->ResultsAction(results, "analyse"), EPluginException);
    // The data windows are as they were: the results window was none of them.
    EXPECT_EQ(form->DataWindows().size(), 4u);
}

// A plot described by hand: a band with a gap, a line with marks sharing its colour, lone marks.
TEST(ResultPlotView, DrawsBandsLinesAndMarksInTheirColours) {
    RResultPlot plot{"Полоса", "x", "y", {}};
    plot.series.push_back({"", TSeriesStyle::ssBand, {0, 1, 2, 3}, {0, 1, NAN, 1}, {2, 3, NAN, 3}, 4});
    plot.series.push_back({"Линия", TSeriesStyle::ssLinePoints, {0, 1, 2, 3}, {1, 2, 2, 2}, {}, 4});
    plot.series.push_back({"Точки", TSeriesStyle::ssPoints, {0, 3}, {5, -1}, {}, -1});
    app::TResultPlotView view(nullptr);
    view.resize(640, 400);
    view.SetPlot(plot);
    EXPECT_EQ(view.SeriesColour(0), view.SeriesColour(1));
    EXPECT_NE(view.SeriesColour(2), view.SeriesColour(1));
    // The view takes in every value, the band's upper edge and the lone marks included.
    EXPECT_LE(view.View().top(), -1);
    EXPECT_GE(view.View().bottom(), 5);
    const QImage image = view.grab().toImage();
    SaveArtifact(view, "result-plot");
    // The band's fill lies between its edges (at x = 0.25 from 0.25 to 2.25, the line at 1.25),
    // tinted with its colour; over the gap (x = 2.1) there is none.
    const app::TChartMap map = view.Map();
    const QColor band = image.pixelColor(map(0.25, 1.9).toPoint());
    EXPECT_NE(band, QColor(Qt::white));
    EXPECT_GT(band.blue(), band.green());
    EXPECT_EQ(image.pixelColor(map(2.1, 2.45).toPoint()), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(map(0.25, 2.45).toPoint()), QColor(Qt::white));
}
