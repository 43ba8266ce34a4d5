// The calibration dialog driven as the operator drives it: its pages, the checks of each grid
// while a cell is typed, adding and deleting rows, the method list, "&Расчёт" and "Сохранить",
// and the hidden recalculation of the base.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QTabBar>

#include "app/CalibrationChart.h"
#include "app/CalibrationTestSupport.h"
#include "calibration/DiffTempCalibration.h"
#include "calibration/HeatCalibration.h"
#include "calibration/TempCalibration.h"

using namespace kalvero;
using namespace kalvero::test;
using app::TPrompt;

namespace {

using CalibrationDialogTest = TCalibrationTest;

QWidget* Labelled(const QWidget& aRoot, const std::string& aName) {
    for (QWidget* w : aRoot.findChildren<QWidget*>())
        if (w->accessibleName() == QString::fromStdString(aName)) return w;
    return nullptr;
}

TEST_F(CalibrationDialogTest, PagesFollowTheSettingsAndShowTheirTables) {
    Start();
    auto& d = Open(gTempCalibrationTable);
    auto* pages = FindChildOf<QTabBar>(d);
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->tabText(0).toStdString(), gConfig->tempChannelName);
    EXPECT_EQ(pages->tabText(2).toStdString(), gConfig->areaName);
    EXPECT_EQ(d.windowTitle().toStdString(),
              "Калибровочная таблица (файл: " + gTempCalibrationTable->GetFileName() + ")");
    // The temperature page: no method, no measured points, no heat panel; the shipped table.
    EXPECT_FALSE(Labelled(d, "Способ расчёта")->isVisible());
    EXPECT_FALSE(Button("Получить данные").isVisible());
    EXPECT_FALSE(Labelled(d, "Масса (мг)")->isVisible());
    EXPECT_EQ(Grid().rowCount(), gTempCalibrationTable->GetRefPointsCount());
    EXPECT_EQ(Grid().horizontalHeaderItem(0)->text().toStdString(), "T, отсч.");
    EXPECT_EQ(d.Chart().Data().xTitle, "Отсчёты АЦП");
    EXPECT_FALSE(Button("Расчёт").isEnabled());
    SaveArtifact(d, "calibration-temperature");

    pages->setCurrentIndex(1);
    EXPECT_EQ(d.CurrentTable(), gDiffTempCalibrationTable);
    EXPECT_TRUE(Labelled(d, "Способ расчёта")->isVisible());
    EXPECT_TRUE(Button("Получить данные").isVisible());
    EXPECT_EQ(dynamic_cast<QComboBox*>(Labelled(d, "Способ расчёта"))->count(), 2);
    EXPECT_EQ(Grid().columnCount(), 4);
    EXPECT_EQ(Grid().rowCount(), 1);  // a table without points still has a row to type into
    pages->setCurrentIndex(2);
    EXPECT_EQ(d.CurrentTable(), gHeatCalibrationTable);
    EXPECT_EQ(dynamic_cast<QComboBox*>(Labelled(d, "Способ расчёта"))->count(), 4);
    EXPECT_TRUE(Labelled(d, "Масса (мг)")->isVisible());
    EXPECT_FALSE(Button("Получить данные").isVisible());
    EXPECT_EQ(d.Chart().Data().yTitle, "Калибровочный коэффициент * 10(-6)");
    dialog.reset();

    // Without the temperature channel the first page is the dT table's.
    gConfig->showTempChannel = false;
    auto& without = Open(gDiffTempCalibrationTable);
    pages = FindChildOf<QTabBar>(without);
    ASSERT_EQ(pages->count(), 2);
    EXPECT_EQ(pages->tabText(0).toStdString(), gConfig->diffChannelName);
    EXPECT_EQ(pages->currentIndex(), 0);
}

TEST_F(CalibrationDialogTest, TemperatureCellsAreCheckedWhileTyped) {
    Start();
    auto& d = Open(gTempCalibrationTable);
    (void)d;
    const int max = gTempCalibrationTable->fMaxADCValue;
    EXPECT_EQ(Type(0, 0, "99999999"), std::to_string(max));  // clipped at the channel's limit
    EXPECT_EQ(Type(0, 0, "12a"), "12");                   // the letter is refused, "12" stays
    EXPECT_EQ(Type(0, 0, "-5"), std::to_string(gTempCalibrationTable->fMinADCValue));
    EXPECT_EQ(Type(0, 1, "-28,5"), "-28,5");
    EXPECT_EQ(Type(0, 1, "1.5x"), "1.5");
    EXPECT_EQ(Type(0, 2, "Indium, 156.6"), "Indium, 156.6");
    EXPECT_TRUE(Button("Расчёт").isEnabled());
    EXPECT_EQ(Grid().PreviousText(), "Indium, 156.6");
}

TEST_F(CalibrationDialogTest, DiffAndHeatCellsAreCheckedWhileTyped) {
    Start();
    Open(gDiffTempCalibrationTable);
    Click("Добавить строку");
    EXPECT_EQ(Type(0, 0, "156,6"), "156,6");
    EXPECT_EQ(Type(0, 2, "0"), "1");
    EXPECT_EQ(Type(0, 2, "-"), "1");  // "-" is no count: the text before it stays
    EXPECT_EQ(Type(0, 2, "122"), "122");
    // The factor is computed: it can be neither selected nor typed into.
    EXPECT_FALSE(Grid().item(0, 3)->flags() & (Qt::ItemIsSelectable | Qt::ItemIsEditable));

    dialog.reset();
    Open(gHeatCalibrationTable);
    Rows({{"Индий", "5", "157", "28.6", "17500"}, {"Цинк", "5", "420", "107.5", "67000"}});
    Click("Расчёт");
    ASSERT_EQ(Grid().rowCount(), 4);
    EXPECT_EQ(Grid().Cell(0, 0), "Нач. расч. точка");
    EXPECT_EQ(Type(0, 0, "Tin"), "Нач. расч. точка");  // a margin label cannot be changed
    EXPECT_EQ(Type(3, 0, "x"), "Кон. расч. точка");
    EXPECT_EQ(Type(1, 4, "0"), "1");
    EXPECT_EQ(Type(1, 1, "4,5"), "4,5");
    EXPECT_EQ(Type(1, 3, "28.6."), "28.6");
    EXPECT_FALSE(Grid().item(1, 5)->flags() & Qt::ItemIsEditable);
}

TEST_F(CalibrationDialogTest, RowsAreAddedAndDeletedAsInEveryGrid) {
    Start();
    Open(gDiffTempCalibrationTable);
    // The only row is empty: "Добавить строку" uses it, then appends.
    Click("Добавить строку");
    ASSERT_EQ(Grid().rowCount(), 1);
    EXPECT_EQ(Grid().Rows()[0], (TGridRow{"0", "0", "0", ""}));
    EXPECT_EQ(Grid().currentRow(), 0);
    Type(0, 0, "157");
    Click("Добавить строку");
    ASSERT_EQ(Grid().rowCount(), 2);
    EXPECT_EQ(Grid().currentRow(), 1);
    Type(1, 0, "420");
    Click("Добавить строку");
    ASSERT_EQ(Grid().rowCount(), 3);
    // Nothing selected (the heading row): nothing happens.
    Grid().setCurrentCell(-1, -1);
    Click("Удалить строку");
    EXPECT_EQ(Grid().rowCount(), 3);
    // A middle row: the rows below move up.
    Grid().setCurrentCell(0, 0);
    Click("Удалить строку");
    ASSERT_EQ(Grid().rowCount(), 2);
    EXPECT_EQ(Grid().Cell(0, 0), "420");
    Grid().setCurrentCell(1, 0);
    Click("Удалить строку");
    ASSERT_EQ(Grid().rowCount(), 1);
    // The only row is emptied, and a following "Добавить строку" uses it again.
    Grid().setCurrentCell(0, 1);
    Click("Удалить строку");
    ASSERT_EQ(Grid().rowCount(), 1);
    EXPECT_TRUE(IsEmptyGridRow(Grid().Rows()[0]));
    Click("Добавить строку");
    EXPECT_EQ(Grid().rowCount(), 1);
    EXPECT_EQ(Grid().Cell(0, 0), "0");

    dialog.reset();
    Open(gHeatCalibrationTable);
    Click("Добавить строку");
    EXPECT_EQ(Grid().Rows()[0], (TGridRow{"Вещество", "0", "0", "", "", ""}));
    dialog.reset();
    Open(gTempCalibrationTable);
    const int rows = Grid().rowCount();
    Click("Добавить строку");
    ASSERT_EQ(Grid().rowCount(), rows + 1);
    EXPECT_EQ(Grid().Cell(rows, 2), "Комментарий");
}

TEST_F(CalibrationDialogTest, ChoosingAMethodRecalculatesAtOnce) {
    Start();
    auto& d = Open(gHeatCalibrationTable);
    Rows({{"Индий", "5", "157", "28.6", "17500"},
          {"Олово", "6", "232", "60.5", "45600"},
          {"Цинк", "5", "420", "107.5", "67000"}});
    Click("Расчёт");
    gNeedRecalcCurveRealValues = false;
    auto* method = dynamic_cast<QComboBox*>(Labelled(d, "Способ расчёта"));
    QGroupBox* additional = nullptr;
    for (QGroupBox* box : d.findChildren<QGroupBox*>())
        if (box->title() == "Дополнительно") additional = box;
    ASSERT_NE(additional, nullptr);
    EXPECT_FALSE(additional->isVisible());
    const float lineAt300 = gHeatCalibrationTable->GetHeatFactor(300);
    method->setCurrentIndex(1);
    emit method->activated(1);
    EXPECT_EQ(gHeatCalibrationTable->GetInterpolationType(), itPolynomial);
    EXPECT_NE(gHeatCalibrationTable->GetHeatFactor(300), lineAt300);
    EXPECT_TRUE(gNeedRecalcCurveRealValues);
    EXPECT_TRUE(additional->isVisible());
    EXPECT_FALSE(Button("Расчёт").isEnabled());
    method->setCurrentIndex(2);
    emit method->activated(2);
    EXPECT_EQ(gHeatCalibrationTable->GetInterpolationType(), itMinSquare);
    EXPECT_FALSE(additional->isVisible());
    SaveArtifact(d, "calibration-heat");
}

TEST_F(CalibrationDialogTest, AFailedCalculationKeepsTheLastGoodTable) {
    Start();
    Open(gDiffTempCalibrationTable);
    Rows({{"157", "1.29", "122", ""}, {"420", "2.78", "266", ""}});
    Click("Расчёт");
    const std::vector<float> good = gDiffTempCalibrationTable->GetItems();
    gNeedRecalcCurveRealValues = false;
    Rows({{"157", "1.29", "122", ""}});
    Click("Расчёт");
    const auto errors = Asked(TPrompt::pkError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text.rfind(
                  "Ошибка при расчёте калибровочной таблиццы! Для расчёта необходимо не менее двух "
                  "калибровочных точек.",
                  0),
              0u);
    EXPECT_EQ(gDiffTempCalibrationTable->GetItems(), good);
    EXPECT_EQ(gDiffTempCalibrationTable->GetRefPointsCount(), 2);
    EXPECT_FALSE(gNeedRecalcCurveRealValues);
    EXPECT_TRUE(Button("Расчёт").isEnabled());  // the operator's rows stay, still to calculate
    EXPECT_EQ(Grid().rowCount(), 1);
    // "Сохранить" calculates first: a table that cannot be is not saved.
    Click("Сохранить");
    EXPECT_TRUE(Asked(TPrompt::pkSaveFile).empty());
    EXPECT_EQ(Asked(TPrompt::pkError).size(), 2u);
}

TEST_F(CalibrationDialogTest, SaveWritesTheTableInTheCalibrationFolder) {
    Start();
    auto& d = Open(gDiffTempCalibrationTable);
    Rows({{"157", "1.29", "122", ""}, {"420", "2.78", "266", ""}});
    Click("Расчёт");
    // "&Расчёт" disabled: the table is written as it stands, without calculating.
    gDiffTempCalibrationTable->SetName("as it stands");
    const std::string file = gConfig->fCalibrationTablesPath + "Dt";
    AnswerFile(file);
    Click("Сохранить");
    const auto saves = Asked(TPrompt::pkSaveFile);
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].caption, "Сохранение файла");
    EXPECT_EQ(saves[0].folder, gConfig->fCalibrationTablesPath);
    EXPECT_EQ(saves[0].filter, "Градуировочная таблица|*.tbl");
    EXPECT_EQ(d.windowTitle().toStdString(), "Калибровочная таблица (файл: " + file + ".tbl)");
    TDiffTempCalibrationTable loaded(0, 1);
    loaded.LoadFromPath(file + ".tbl");
    EXPECT_EQ(loaded.GetName(), "as it stands");
    EXPECT_EQ(loaded.GetRefPointsCount(), 2);

    // A save that fails says so and keeps the caption.
    AnswerFile(dir.Str() + "no/such/folder/x.tbl");
    Click("Сохранить");
    EXPECT_EQ(Asked(TPrompt::pkError).size(), 1u);
    EXPECT_EQ(d.windowTitle().toStdString(), "Калибровочная таблица (файл: " + file + ".tbl)");
    // A cancelled dialog writes nothing.
    Click("Сохранить");
    EXPECT_EQ(Asked(TPrompt::pkSaveFile).size(), 3u);
}

TEST_F(CalibrationDialogTest, CtrlShiftDShowsTheRecalculationOfTheBase) {
    Start();
    auto& d = Open(gHeatCalibrationTable);
    QCheckBox* recalc = nullptr;
    for (QCheckBox* box : d.findChildren<QCheckBox*>())
        if (box->text() == "Cделать перерасчёт базы") recalc = box;
    ASSERT_NE(recalc, nullptr);
    EXPECT_FALSE(recalc->isVisible());
    QTest::keyClick(&Grid(), Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(recalc->isVisible());
    QTest::keyClick(&d, Qt::Key_D, Qt::ControlModifier);  // both modifiers are needed
    EXPECT_TRUE(recalc->isVisible());
    QTest::keyClick(&d, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(recalc->isVisible());
}

TEST_F(CalibrationDialogTest, NoRecalculationWhileARunRecords) {
    Start();
    Open(gDiffTempCalibrationTable, nullptr, [] { return true; });
    Rows({{"157", "1.29", "122", ""}, {"420", "2.78", "266", ""}});
    const std::vector<float> before = gDiffTempCalibrationTable->GetItems();
    Click("Расчёт");
    const auto infos = Asked(TPrompt::pkInfo);
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_NE(infos[0].text.find("Идёт сканирование"), std::string::npos);
    EXPECT_EQ(gDiffTempCalibrationTable->GetItems(), before);
}

TEST_F(CalibrationDialogTest, TheChartZoomsIntoADraggedRectangle) {
    Start();
    auto& d = Open(gTempCalibrationTable);
    app::TCalibrationChart& chart = d.Chart();
    const QRectF all = chart.View();
    Drag(chart, QPoint(chart.width() / 3, chart.height() / 3), QPoint(chart.width() / 2, chart.height() / 2));
    EXPECT_TRUE(chart.IsZoomed());
    EXPECT_LT(chart.View().width(), all.width());
    Drag(chart, QPoint(chart.width() / 2, chart.height() / 2), QPoint(chart.width() / 3, chart.height() / 3));
    EXPECT_FALSE(chart.IsZoomed());
    EXPECT_EQ(chart.View(), all);
}

}  // namespace
