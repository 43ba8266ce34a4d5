// The frame of the desktop program driven as the operator drives it: start-up, windows, opening
// and saving, closing with unsaved data and with a run, plug-in items and the accessibility tree.

#include <QAbstractButton>
#include <QAccessible>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>

#include <set>

#include "acquisition/RunControl.h"
#include "app/AppTestSupport.h"
#include "app/CalibrationDialog.h"
#include "app/MdiArrange.h"
#include "app/ProgressForm.h"
#include "app/QtUiHooks.h"
#include "app/RunBinding.h"
#include "app/ScanControlForm.h"
#include "calibration/TempCalibration.h"
#include "common/Logger.h"
#include "plugins/PluginUtil.h"
#include "system/RegistryUtil.h"

using namespace kalvero;
using namespace kalvero::test;
using app::TPrompt;

namespace {

using MainWindowTest = TAppTest;

TEST_F(MainWindowTest, StartUpBuildsTheFrameFromTheSettings) {
    app::TKalveroForm& f = Start();
    ASSERT_FALSE(f.StartUpFailed());
    ASSERT_NE(gConfig, nullptr);
    EXPECT_NE(gLogger, nullptr);
    EXPECT_NE(gTempCalibrationTable, nullptr);
    EXPECT_NE(gDiffTempCalibrationTable, nullptr);
    EXPECT_EQ(f.windowTitle().toStdString(),
              gConfig->applicationName + " (" + gConfig->GetInterfaceName() + ")");
    ASSERT_NE(f.Command("Калибровочная таблица: " + gConfig->tempChannelName), nullptr);
    EXPECT_NE(f.Command("Калибровочная таблица: " + gConfig->diffChannelName), nullptr);
    EXPECT_EQ(f.Command("Калибровочная таблица: " + gConfig->areaName)->isVisible(),
              gConfig->showHeatCalibration);
    EXPECT_EQ(app::PluginListText(f.PluginUtil()), "Плагины не установлены");
    // Without a window there is nothing to close, save or arrange.
    for (const char* caption : {"Закрыть", "Сохранить", "Сохранить как...", "Расположить Каскадом", "Печать"})
        EXPECT_FALSE(f.Command(caption)->isEnabled()) << caption;
    EXPECT_TRUE(prompts.empty());
}

TEST_F(MainWindowTest, AnUnknownDtTableTypeStopsTheStart) {
    const auto devices = std::filesystem::path(dataDir) / "Devices.ini";
    WriteFileBytes(devices,
                   std::regex_replace(ReadFileBytes(devices), std::regex("diffTempCalibrationTableType=1"),
                                      "diffTempCalibrationTableType=2"));
    EXPECT_TRUE(Start().StartUpFailed());
    const auto errors = Asked(TPrompt::pkError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].caption, "Произошла ошибка");
    EXPECT_EQ(errors[0].text, "Incorrect type for DiffTempCalibrationTable");
}

TEST_F(MainWindowTest, ThePlaceOfTheWindowIsKeptForTheNextStart) {
    Start().setGeometry(120, 80, 900, 640);
    form.reset();
    TAppConfig config(appDir, dataDir);
    config.LoadSettings();
    EXPECT_EQ(config.windowLeft, 120);
    EXPECT_EQ(config.windowTop, 80);
    EXPECT_EQ(config.windowWidth, 900);
    EXPECT_EQ(config.windowHeight, 640);
    EXPECT_EQ(config.windowState, wsNormal);
}

TEST_F(MainWindowTest, WindowPlacementCentresWithTheTallerDivisor) {
    Start();
    TAppConfig& c = *gConfig;
    c.windowLeft = -1;
    EXPECT_EQ(app::MainWindowPlacement(QRect(0, 0, 1000, 700), c, QSize(600, 400)),
              QRect(200, 130, 600, 400));
    c.windowLeft = 30, c.windowTop = 40, c.windowWidth = 500, c.windowHeight = 300;
    EXPECT_EQ(app::MainWindowPlacement(QRect(0, 0, 1000, 700), c, QSize(600, 400)), QRect(30, 40, 500, 300));
    c.windowLeft = 5000;  // a screen that is gone: centred again
    EXPECT_EQ(app::MainWindowPlacement(QRect(0, 0, 1000, 700), c, QSize(600, 400)),
              QRect(250, 174, 500, 300));
}

TEST_F(MainWindowTest, TilingFillsTheAreaInColumnsOrRows) {
    const auto columns = app::TileRects(QRect(0, 0, 900, 600), 3, app::TTileDirection::tdColumns);
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0], QRect(0, 0, 300, 600));
    EXPECT_EQ(columns[2], QRect(600, 0, 300, 600));
    const auto rows = app::TileRects(QRect(0, 0, 900, 601), 2, app::TTileDirection::tdRows);
    EXPECT_EQ(rows[1], QRect(0, 300, 900, 301));  // the last one takes what rounding leaves
    const auto icons = app::IconRects(QRect(0, 0, 500, 400), 3, QSize(200, 30));
    EXPECT_EQ(icons[0], QRect(0, 370, 200, 30));
    EXPECT_EQ(icons[2], QRect(0, 340, 200, 30));  // the second row rises above the first

    app::TKalveroForm& f = Start();
    f.NewDataWindow();
    f.NewDataWindow();
    Trigger(f, "Расположить по Вертикали");
    const auto subs = f.MdiArea().subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(subs.size(), 2);
    EXPECT_EQ(subs[0]->geometry().top(), subs[1]->geometry().top());
    EXPECT_LT(subs[0]->geometry().right(), subs[1]->geometry().left());
    Trigger(f, "Свернуть все");
    EXPECT_TRUE(subs[0]->isMinimized());
    EXPECT_TRUE(subs[1]->isMinimized());
}

// Three data windows in rows leave each little height: the plot shrinks with its window and keeps
// its axes in sight above the scroll bar, instead of running on under the bar and the results,
// where a click meant for it lands on them.
TEST_F(MainWindowTest, TiledDataWindowsKeepTheirWholePlotInSight) {
    app::TKalveroForm& f = Start();
    f.resize(1280, 900);
    f.show();
    for (int k = 0; k < 3; ++k)
        f.NewDataWindow();
    Trigger(f, "Расположит по Горизонтали");
    QCoreApplication::processEvents();
    const auto subs = f.MdiArea().subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(subs.size(), 3);
    for (QMdiSubWindow* sub : subs) {
        auto* w = dynamic_cast<app::TfrmDataWindow*>(sub->widget());
        ASSERT_NE(w, nullptr);
        auto* bar = FindNamed<QScrollBar>(*w, "Прокрутка по оси X");
        ASSERT_NE(bar, nullptr);
        const QRect plot(w->Plot().mapTo(w, QPoint(0, 0)), w->Plot().size());
        const QRect below(bar->mapTo(w, QPoint(0, 0)), bar->size());
        EXPECT_LE(plot.bottom(), below.top()) << plot.bottom() << " " << below.top();
        EXPECT_GT(plot.height(), 0);
    }
}

TEST_F(MainWindowTest, NewWindowNamesNeverRepeat) {
    app::TKalveroForm& f = Start();
    Trigger(f, "Новое окно");
    ASSERT_EQ(f.DataWindows().size(), 1u);
    EXPECT_EQ(f.DataWindows()[0]->windowTitle().toStdString(), "Эксперимент0.dsc");
    EXPECT_TRUE(f.DataWindows()[0]->isMaximized() || f.MdiArea().subWindowList()[0]->isMaximized());
    Trigger(f, "Новое окно");
    EXPECT_EQ(f.DataWindows()[1]->windowTitle().toStdString(), "Эксперимент1.dsc");
    f.MdiArea().subWindowList(QMdiArea::CreationOrder)[0]->close();
    QCoreApplication::processEvents();
    ASSERT_EQ(f.DataWindows().size(), 1u);
    Trigger(f, "Новое окно");  // one window open: "Эксперимент1" is taken, so the next number
    EXPECT_EQ(f.DataWindows()[1]->windowTitle().toStdString(), "Эксперимент2.dsc");
    EXPECT_EQ(f.DataWindows()[1]->DataClass().fFileName, gConfig->appUserDataPath + "Эксперимент2.dsc");
}

TEST_F(MainWindowTest, TheArgumentIsOpenedWhateverTheCaseOfItsExtension) {
    const std::string upper = dir.Str() + "RUN.DSC";
    std::filesystem::copy_file(RecordedRun(), upper);
    app::TKalveroForm& f = Start(upper);
    QCoreApplication::processEvents();
    ASSERT_EQ(f.DataWindows().size(), 1u);
    app::TfrmDataWindow& w = *f.DataWindows()[0];
    EXPECT_EQ(w.windowTitle().toStdString(), upper);
    EXPECT_GT(w.DataClass().GetItemCount(), 1000);
    EXPECT_EQ(w.DataClass().mode, vm_view_dT_by_time);
    EXPECT_TRUE(Asked(TPrompt::pkError).empty());
    const auto shown = f.UiHooks().Progress().TakeShownCaptions();
    EXPECT_NE(std::find(shown.begin(), shown.end(), "Загрузка файла"), shown.end());
    EXPECT_FALSE(f.UiHooks().Progress().IsActive());
    SaveArtifact(f, "main-window-with-argument");

    // A file of another kind is refused with a message and leaves no window behind.
    const std::string text = dir.Str() + "notes.txt";
    WriteFileBytes(text, "not an experiment");
    EXPECT_EQ(f.OpenFile(text), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.DataWindows().size(), 1u);
    ASSERT_EQ(Asked(TPrompt::pkError).size(), 1u);
    EXPECT_NE(Asked(TPrompt::pkError)[0].text.find("notes.txt"), std::string::npos);
}

TEST_F(MainWindowTest, SaveAfterAPictureExportSavesTheExperiment) {
    app::TKalveroForm& f = Start();
    const std::string run = dir.Str() + "run.dsc";
    std::filesystem::copy_file(RecordedRun(), run);
    app::TfrmDataWindow* w = f.OpenFile(run);
    ASSERT_NE(w, nullptr);
    const std::string picture = dir.Str() + "picture.bmp";
    AnswerFile(picture, 2);
    Trigger(f, "Сохранить как...");
    ASSERT_TRUE(std::filesystem::exists(picture));
    EXPECT_EQ(ReadFileBytes(picture).substr(0, 2), "BM");

    std::filesystem::remove(picture);
    Trigger(*w, "Автоматическое определение ВСЕХ пиков");
    w->DataClass().fHasUnsavedChanges = true;
    f.UpdateMenuState();
    Trigger(f, "Сохранить");
    EXPECT_FALSE(std::filesystem::exists(picture));
    EXPECT_FALSE(w->DataClass().fHasUnsavedChanges);
    EXPECT_EQ(ReadFileBytes(run).substr(0, 2) == "BM", false);
    TDataClass reread;
    reread.LoadFromFile(run, ftDSC, 0);
    EXPECT_EQ(reread.GetItemCount(), w->DataClass().GetItemCount());
    EXPECT_FALSE(f.Command("Сохранить")->isEnabled());  // nothing left to save
}

TEST_F(MainWindowTest, ANewExperimentIsSavedUnderTheNameChosenAndCaptionedWithIt) {
    app::TKalveroForm& f = Start();
    app::TfrmDataWindow* w = f.NewDataWindow();
    const std::string chosen = dir.Str() + "first";  // the extension is added
    AnswerFile(chosen, 1);
    Trigger(f, "Сохранить как...");
    const auto saves = Asked(TPrompt::pkSaveFile);
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].text, "Эксперимент0.dsc");  // the dialog starts with the caption
    EXPECT_NE(saves[0].filter.find("|Графический файл BMP (*.bmp)|*.bmp|"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(chosen + ".dsc"));
    EXPECT_EQ(w->windowTitle().toStdString(), chosen + ".dsc");
}

TEST_F(MainWindowTest, ClosingWithUnsavedExperimentsAsksOnce) {
    app::TKalveroForm& f = Start();
    for (int k = 0; k < 2; ++k)
        f.NewDataWindow()->DataClass().fHasUnsavedChanges = true;
    AnswerNo();
    EXPECT_FALSE(f.close());
    ASSERT_EQ(Asked(TPrompt::pkYesNo).size(), 1u);
    EXPECT_EQ(Asked(TPrompt::pkYesNo)[0].text,
              "В программе есть несохранённые данные. Вы уверены что хотите выйти?");
    EXPECT_EQ(f.DataWindows().size(), 2u);

    EXPECT_TRUE(f.close());  // Yes: both windows close without a question of their own
    QCoreApplication::processEvents();
    EXPECT_EQ(Asked(TPrompt::pkYesNo).size(), 2u);
    EXPECT_TRUE(f.DataWindows().empty());
}

TEST_F(MainWindowTest, AWindowThatARunWritesIntoRefusesToCloseAndToReallocate) {
    app::TKalveroForm& f = Start();
    app::TfrmDataWindow* w = f.NewDataWindow();
    Trigger(*w, "Сканирование");
    app::TfrmScanControlForm& scan = f.ScanControl();
    scan.StartPauseContinue();
    ASSERT_TRUE(w->IsAcquiring()) << scan.StateLine().toStdString();

    EXPECT_FALSE(f.MdiArea().subWindowList()[0]->close());
    const auto messages = Asked(TPrompt::pkInfo);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Невозможно закрыть это окно так как в него осуществляется сканирование!");
    EXPECT_EQ(f.DataWindows().size(), 1u);
    // Loading channels into it would reallocate what the run writes into: refused.
    w->LoadExtraChannels();
    EXPECT_EQ(Asked(TPrompt::pkOpenFile).size(), 0u);
    EXPECT_EQ(Asked(TPrompt::pkInfo).size(), 2u);

    scan.Stop();
    EXPECT_FALSE(w->IsAcquiring());
    EXPECT_TRUE(f.MdiArea().subWindowList()[0]->close());  // the unsaved result: answered Yes
    EXPECT_EQ(scan.Control().DataClass(), nullptr);        // the run control lets go of the experiment
    EXPECT_EQ(scan.DataWindow(), nullptr);
}

TEST_F(MainWindowTest, CalibrationTablesOpenTheDialogOnTheTemperatureTable) {
    app::TKalveroForm& f = Start();
    const TCalibrationTable* shown = nullptr;
    QTimer::singleShot(0, &f, [&] {
        auto* d = dynamic_cast<app::TCalibrationFrm*>(QApplication::activeModalWidget());
        if (d) shown = d->CurrentTable();
        if (auto* modal = dynamic_cast<QDialog*>(QApplication::activeModalWidget())) modal->reject();
    });
    Trigger(f, "Калибровочные таблицы");
    EXPECT_EQ(shown, gTempCalibrationTable);
    EXPECT_TRUE(prompts.empty());
}

TEST_F(MainWindowTest, PluginsGetTheirMenuItemsAndNeverCallAClosedWindow) {
    {
        TAppConfig config(appDir, dataDir);
        RegistryUtil::SetMachineStoreFile(config.fProgramDataPath + "registry.ini");
        InstallPlugin(config, ECHO_PLUGIN, "TEcho");
    }
    app::TKalveroForm& f = Start();
    ASSERT_EQ(f.PluginUtil()->PluginCount(), 1);
    EXPECT_EQ(app::PluginListText(f.PluginUtil()), "1. Echo");
    QAction* fileItem = f.Command("Echo");
    ASSERT_NE(fileItem, nullptr);
    EXPECT_EQ(fileItem->data().toInt(), 1);
    EXPECT_FALSE(fileItem->isEnabled());

    app::TfrmDataWindow* w = f.NewDataWindow();
    ASSERT_NE(FindAction(*w, "Повторить"), nullptr);
    ASSERT_NE(FindAction(*w, "Изменить"), nullptr);
    Trigger(*w, "Изменить");
    TPlugin* plugin = f.PluginUtil()->GetPluginByIdx(0);
    EXPECT_EQ(plugin->Params().GetValue("experiments"), "1");
    EXPECT_EQ(plugin->Params().GetValue("editPeakNumber"), "0");
    Trigger(f, "Echo");  // the file menu runs the plug-in by its name
    EXPECT_EQ(plugin->Params().GetValue("command"), "Echo");

    w->DataClass().fHasUnsavedChanges = false;
    f.MdiArea().subWindowList()[0]->close();
    QCoreApplication::processEvents();
    plugin->FireOnRefreshGraphic();  // the window is gone: nothing is called
    SUCCEED();
}

// Every name a screen reader can reach from an accessible object, menus and their items included.
void CollectNames(QAccessibleInterface* aNode, std::set<std::string>& aNames, int aDepth = 0) {
    if (!aNode || aDepth > 40) return;
    const QString name = aNode->text(QAccessible::Name);
    if (!name.isEmpty()) aNames.insert(name.toStdString());
    for (int k = 0; k < aNode->childCount(); ++k)
        CollectNames(aNode->child(k), aNames, aDepth + 1);
}

TEST_F(MainWindowTest, EveryCommandIsFoundByItsCaptionOrHintInTheAccessibilityTree) {
    app::TKalveroForm& f = Start();
    app::TfrmDataWindow& w = OpenRun();
    for (QMenu* menu : f.findChildren<QMenu*>())
        menu->ensurePolished();
    std::set<std::string> names;
    CollectNames(QAccessible::queryAccessibleInterface(&f), names);
    for (QMenu* menu : f.findChildren<QMenu*>())
        CollectNames(QAccessible::queryAccessibleInterface(menu), names);
    const TAppConfig& c = *gConfig;
    for (const char* expected : {"Новое окно",
                                 "Открыть файл",
                                 "Закрыть",
                                 "Сохранить",
                                 "Сохранить как...",
                                 "Выход",
                                 "Создать новое окно",
                                 "Схранить файл",
                                 "Схранить файл как...",
                                 "Выход из программы",
                                 "Калибровочные таблицы",
                                 "Общая справка",
                                 "Cправка по программе",
                                 "О программе...",
                                 "Расположить Каскадом",
                                 "Расположить по Вертикали",
                                 "Расположит по Горизонтали",
                                 "Выровнять Все",
                                 "Свернуть все",
                                 "Настройки программы",
                                 "Настройки прибора",
                                 "Просмотр перед печатью",
                                 "Печать",
                                 "Приближение",
                                 "Установить маркер",
                                 "Удалить маркер",
                                 "Установить касательную по 1 точке",
                                 "Установить касательную по 2 точкам",
                                 "Удалить касательную",
                                 "Определение пиковв отмеченной области",
                                 "Автоматическое определение ВСЕХ пиков",
                                 "Статистика (Min, Max, Среднее)",
                                 "Отмена последнего действия",
                                 "Перерисовать график",
                                 "Сканирование",
                                 "Вычитание данных",
                                 "Переслать в Excel",
                                 "Свойства графика",
                                 "Загрузить файл в дополнительный канал",
                                 "Отображать сетку",
                                 "Отображать доп. объекты",
                                 "Режим прорисовки подписей",
                                 "Сглаживание усреднением",
                                 "Сглаживание медианой",
                                 "Полиномомиальное сглаживание",
                                 "Линейная интерполяция",
                                 "Удаление участка кривой",
                                 "Первая производная",
                                 "Вторая производная",
                                 "Растянуть по оси X",
                                 "Сжать по оси Y",
                                 "Сделать основн.",
                                 "Копировать",
                                 "Удалить",
                                 "Отображать",
                                 "Порядковый №",
                                 "Вся",
                                 "Выделить часть",
                                 "Сдвинуть вверх",
                                 "Импорт данных...",
                                 "Результаты",
                                 "Подписи на графике",
                                 "Подписи эффектов на графике",
                                 "Сегменты программы на графике"})
        EXPECT_TRUE(names.count(expected)) << expected;
    // A label whose text changes is read by that text, not by a fixed name.
    SendMouse(w.Plot(), QEvent::MouseMove, QPoint(w.Plot().width() / 2, w.Plot().height() / 2), Qt::NoButton,
              Qt::NoButton);
    ASSERT_FALSE(w.StatusCoordinates().isEmpty());
    std::set<std::string> live;
    CollectNames(QAccessible::queryAccessibleInterface(&w), live);
    EXPECT_TRUE(live.count(w.StatusCoordinates().toStdString())) << w.StatusCoordinates().toStdString();
    EXPECT_TRUE(names.count(c.addIntegralCaption));
    EXPECT_TRUE(names.count("Оси - X:" + c.timeChannelShortName + " | Y:" + c.diffChannelShortName));
    EXPECT_TRUE(names.count("X - время, Y - " + c.diffChannelName));
    // No button or field of the windows is nameless.
    for (QWidget* root : std::initializer_list<QWidget*>{&f, &w})
        for (QAbstractButton* button : root->findChildren<QAbstractButton*>())
            EXPECT_FALSE(button->accessibleName().isEmpty())
                << button->metaObject()->className() << " " << button->objectName().toStdString() << " in "
                << (button->parentWidget() ? button->parentWidget()->metaObject()->className() : "");
}

TEST_F(MainWindowTest, RealMessageBoxesAreModalAndAnswered) {
    app::SetPromptAnswerer({});
    app::TKalveroForm& f = Start();
    QString seen;
    QTimer::singleShot(100, [&seen] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->isModal() && w->windowTitle() == "Сообщение") {
                seen = w->windowTitle();
                w->close();
            }
        }
    });
    f.UiHooks().MsgBox("Проверка");
    EXPECT_EQ(seen.toStdString(), "Сообщение");
}

}  // namespace
