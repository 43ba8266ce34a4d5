// The start of the program and the frame's menus: the process-wide objects in their order, the
// window's place, the plug-ins' menu items and the caption.

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QToolBar>

#include <cmath>
#include <functional>
#include <utility>

#include "app/Commands.h"
#include "app/CompareDialog.h"
#include "app/DataWindow.h"
#include "app/Dialogs.h"
#include "app/HeatCapacityDialog.h"
#include "app/MainWindow.h"
#include "app/MdiArrange.h"
#include "app/QtText.h"
#include "app/QtUiHooks.h"
#include "app/ScanControlForm.h"
#include "app/SubtractionForm.h"
#include "app/UpdateCheck.h"
#include "calibration/GlobalTables.h"
#include "common/Config.h"
#include "common/DateTime.h"
#include "common/Globals.h"
#include "common/Logger.h"
#include "common/MsgBoxes.h"
#include "data/Version.h"
#include "plugins/PluginUtil.h"
#include "system/RegistryUtil.h"

namespace kalvero::app {

namespace {

QRect Centred(const QRect& aScreen, const QSize& aSize) {
    const QSize size = aSize.boundedTo(aScreen.size());
    const int left = (aScreen.width() - size.width()) / 2;  // rounded towards zero
    const int top = static_cast<int>(std::lround((aScreen.height() - size.height()) / 2.3));
    return QRect(aScreen.left() + left, aScreen.top() + top, size.width(), size.height());
}

}  // namespace

QRect MainWindowPlacement(const QRect& aScreen, const TAppConfig& aConfig, const QSize& aDefault) {
    if (aConfig.windowLeft == -1) return Centred(aScreen, aDefault);
    const QRect stored(aConfig.windowLeft, aConfig.windowTop,
                       aConfig.windowWidth > 0 ? aConfig.windowWidth : aDefault.width(),
                       aConfig.windowHeight > 0 ? aConfig.windowHeight : aDefault.height());
    // A place on a screen that is no longer there would leave the window out of reach.
    return aScreen.intersects(stored) ? stored : Centred(aScreen, stored.size());
}

TKalveroForm::TKalveroForm(const TStartOptions& aOptions) : fFileArgument(aOptions.fileArgument) {
    // The title stays the window's own: a display name of the application would be added to
    // every window's title again.
    setWindowTitle("Система ДСК");
    setWindowIcon(ToolIcon(TToolIcon::PeaksAll));
    fMdiArea = new QMdiArea(this);
    fMdiArea->setAccessibleName("Окна экспериментов");
    setCentralWidget(fMdiArea);
    // Files dropped anywhere on the window: experiments open, text exports are imported.
    setAcceptDrops(true);
    BuildMenus();
    StartUp(aOptions);
    NameForAccessibility(this);
}

void TKalveroForm::StartUp(const TStartOptions& aOptions) {
    gMustCloseApplication = false;
    // The progress window first: the tables and the plug-ins may show progress and errors.
    fUiHooks = std::make_shared<TQtUiHooks>(this);
    fPreviousHooks = SetUiHooks(fUiHooks);
    try {
        fConfig = std::make_unique<TAppConfig>(aOptions.applicationPath, aOptions.programDataPath);
        RegistryUtil::SetMachineStoreFile(fConfig->fProgramDataPath + "registry.ini");
        gConfig = fConfig.get();
        fConfig->LoadSettings();
    } catch (const std::exception& e) {
        ErrBox(e.what());
        gConfig = nullptr;
        fConfig.reset();
        gMustCloseApplication = true;
        return;
    }
    fLogger = std::make_unique<TLogger>("Kalvero", fConfig->fProgramDataPath, fConfig->logLevel);
    gLogger = fLogger.get();
    AddAboutItem();
    fHelpFileName = fConfig->fApplicationPath + fConfig->helpFile;
    if (UpdateCheckDue(*fConfig, Now())) {
        fUpdateCheck = new TUpdateCheck(*fConfig, ProductVersion(), this);
        fUpdateCheck->Start();
    }
    PlaceWindow();
    try {
        // The temperature table, the dT table of the configured kind and the heat table; a damaged
        // table file is reported and leaves its table as created.
        CreateGlobalCalibrationTables(*fConfig);
    } catch (const std::exception& e) {
        ErrBox(fLogger.get(), "TKalveroForm", e.what());
        gMustCloseApplication = true;
        return;
    }
    LoadPlugins();
    connect(fMdiArea, &QMdiArea::subWindowActivated, this, [this] { UpdateMenuState(); });
    const std::string caption = fConfig->applicationName + " (" + fConfig->GetInterfaceName() + ")";
    setWindowTitle(Q(caption));
    fTempTableItem->setText(Q("Калибровочная таблица: " + fConfig->tempChannelName));
    fDiffTableItem->setText(Q("Калибровочная таблица: " + fConfig->diffChannelName));
    fHeatTableItem->setText(Q("Калибровочная таблица: " + fConfig->areaName));
    fHeatTableItem->setVisible(fConfig->showHeatCalibration);
    fTempTableItem->setVisible(fConfig->showTempChannel);

    // The windows that serve every data window, made once and hidden.
    fSubtraction = new TSubsctractionForm(this, [this] { return ActiveDataWindow(); });
    fScanControl = new TfrmScanControlForm(this);
    fScanControl->onRunStateChanged = [this](bool aActive) { SetRunActive(aActive); };

    fSaveTimer = new QTimer(this);
    fSaveTimer->setInterval(1000);
    connect(fSaveTimer, &QTimer::timeout, this, [this] { UpdateSaveState(); });
    fSaveTimer->start();
    UpdateMenuState();
}

void TKalveroForm::PlaceWindow() {
    const QScreen* screen = QApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    setGeometry(MainWindowPlacement(area, *fConfig, QSize(1280, 860)));
}

void TKalveroForm::ShowAsConfigured() {
    const TWindowState state = fConfig ? fConfig->windowState : wsNormal;
    if (state == wsMaximized) {
        showMaximized();
    } else if (state == wsMinimized) {
        showMinimized();
    } else {
        show();
    }
}

void TKalveroForm::BuildMenus() {
    auto action = [this](const char* aRole, const std::string& aCaption, const std::string& aHint,
                         std::function<void()> aRun) {
        QAction* a = MakeAction(this, aCaption, aHint, std::move(aRun));
        fActions[aRole] = a;
        return a;
    };
    auto icon = [this](const char* aRole, TToolIcon aIcon) { fActions.at(aRole)->setIcon(ToolIcon(aIcon)); };

    fFileMenu = menuBar()->addMenu("&Файл");
    fFileMenu->addAction(action("new", "&Новое окно", "Создать новое окно", [this] { NewDataWindow(); }));
    fFileMenu->addAction(action("open", "Открыть файл", "Открыть файл", [this] { OpenCommand(); }));
    fFileMenu->addAction(action("import", "Импорт данных...",
                                "Импорт данных другого прибора из текстового файла",
                                [this] { ImportCommand(); }));
    fFileMenu->addAction(action("close", "&Закрыть", "", [this] {
        if (QMdiSubWindow* active = fMdiArea->activeSubWindow()) active->close();
    }));
    fFileMenu->addSeparator();
    fFileMenu->addAction(action("save", "С&охранить", "Схранить файл", [this] { Save(); }));
    fFileMenu->addAction(action("saveAs", "Сохранить &как...", "Схранить файл как...", [this] { SaveAs(); }));
    fFileMenu->addSeparator();
    fFileMenu->addAction(action("preview", "Просмотр перед печатью", "Просмотр перед печатью", [this] {
        if (TfrmDataWindow* w = ActiveDataWindow()) ShowPrintPreview(*w);
    }));
    fFileMenu->addAction(action("print", "Печать", "Печать", [this] {
        if (TfrmDataWindow* w = ActiveDataWindow()) PrintExperiment(*w);
    }));
    fExitDivider = fFileMenu->addSeparator();
    fFileMenu->addAction(action("exit", "&Выход", "Выход из программы", [this] { close(); }));
    fActions.at("save")->setShortcut(QKeySequence::Save);
    fActions.at("open")->setShortcut(QKeySequence::Open);
    fActions.at("new")->setShortcut(QKeySequence::New);

    // The active experiment's editing history.
    QMenu* edit = menuBar()->addMenu("&Правка");
    auto onWindow = [this](void (TfrmDataWindow::*aRun)()) {
        return [this, aRun] {
            if (TfrmDataWindow* w = ActiveDataWindow()) (w->*aRun)();
        };
    };
    edit->addAction(
        action("undo", "&Отменить", "Отменить последний шаг правки", onWindow(&TfrmDataWindow::UndoStep)));
    fActions.at("undo")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    edit->addAction(
        action("redo", "&Повторить", "Повторить отменённый шаг правки", onWindow(&TfrmDataWindow::RedoStep)));
    fActions.at("redo")->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    edit->addSeparator();
    edit->addAction(action("history", "&История правки...", "Шаги правки эксперимента", [this] {
        if (TfrmDataWindow* w = ActiveDataWindow()) w->ShowHistory();
    }));

    QMenu* analysis = menuBar()->addMenu("&Анализ");
    analysis->addAction(action("heatCapacity", "Теплоёмкость (сапфир)...",
                               "Удельная теплоёмкость по сапфиру (ASTM E1269, ISO 11357-4)",
                               [this] { ShowHeatCapacityDialog(*this); }));
    analysis->addAction(action("compare", "Сравнить...", "Несколько опытов на одном графике",
                               [this] { ShowCompareDialog(*this); }));

    fSettingsMenu = menuBar()->addMenu("&Настройки");
    fSettingsMenu->addAction(
        action("appSettings", "Настройки программы", "", [this] { ShowProgramSettings(*this); }));
    fSettingsMenu->addAction(
        action("devSettings", "Настройки прибора", "", [this] { ShowDeviceSettings(*this); }));
    fSettingsMenu->addSeparator();
    fTempTableItem = action("tempTable", "Градуировочная таблица температуры", "",
                            [this] { RunCalibrationDialog(cttTemperature); });
    fDiffTableItem = action("diffTable", "Градуировочная таблица дифф. температуры", "",
                            [this] { RunCalibrationDialog(cttDiffTemperature); });
    fHeatTableItem = action("heatTable", "Градуировочная таблица для теплоты", "",
                            [this] { RunCalibrationDialog(cttHeat); });
    fSettingsMenu->addAction(fTempTableItem);
    fSettingsMenu->addAction(fDiffTableItem);
    fSettingsMenu->addAction(fHeatTableItem);
    // The tool-bar button opens the temperature table when there is a temperature channel.
    action("tables", "Калибровочные таблицы", "Калибровочные таблицы", [this] {
        RunCalibrationDialog(fConfig && fConfig->showTempChannel ? cttTemperature : cttDiffTemperature);
    });

    fWindowMenu = menuBar()->addMenu("&Окно");
    fWindowMenu->addAction(
        action("cascade", "Расположить &Каскадом", "", [this] { fMdiArea->cascadeSubWindows(); }));
    fWindowMenu->addAction(action("tileVertical", "Расположить по &Вертикали", "",
                                  [this] { TileSubWindows(*fMdiArea, TTileDirection::tdColumns); }));
    fWindowMenu->addAction(action("tileHorizontal", "Расположит по &Горизонтали", "",
                                  [this] { TileSubWindows(*fMdiArea, TTileDirection::tdRows); }));
    fWindowMenu->addAction(action("arrange", "Выровнять Вс&е", "", [this] { ArrangeMinimized(*fMdiArea); }));
    fWindowMenu->addAction(action("minimizeAll", "&Свернуть все", "", [this] { MinimizeAll(*fMdiArea); }));

    fHelpMenu = menuBar()->addMenu("&Справка");
    fHelpMenu->addAction(
        action("help", "Cправка по программе", "Общая справка", [this] { ShowHelp(this, ""); }));

    icon("new", TToolIcon::New);
    icon("open", TToolIcon::Open);
    icon("save", TToolIcon::Save);
    icon("saveAs", TToolIcon::SaveAs);
    icon("preview", TToolIcon::Preview);
    icon("print", TToolIcon::Print);
    icon("tables", TToolIcon::Calibration);
    icon("help", TToolIcon::Help);
    icon("exit", TToolIcon::Exit);
    QToolBar* bar = addToolBar("Главная");
    bar->setObjectName("mainTools");
    bar->setMovable(false);
    for (const char* role :
         {"new", "open", "save", "saveAs", "", "preview", "print", "", "tables", "", "help", "exit"}) {
        if (*role == '\0') {
            bar->addSeparator();
        } else {
            bar->addAction(fActions.at(role));
        }
    }
    for (const char* role : {"close", "save", "saveAs", "cascade", "tileVertical", "tileHorizontal",
                             "arrange", "minimizeAll", "preview", "print"})
        fNeedWindow.push_back(fActions.at(role));
}

void TKalveroForm::AddAboutItem() {
    fHelpMenu->addSeparator();
    fHelpMenu->addAction(MakeAction(this, "О программе...", "", [this] { ShowAbout(); }));
}

void TKalveroForm::LoadPlugins() {
    fPluginUtil = std::make_unique<TPluginUtil>(fConfig->fApplicationTypeName, fLogger.get());
    try {
        fPluginUtil->LoadPlugins();
    } catch (const std::exception& e) {
        // The plug-ins loaded before the failing one stay usable.
        ErrBox(fLogger.get(), "TKalveroForm", e.what());
    }
    AddPluginItems();
}

void TKalveroForm::AddPluginItems() {
    bool helpGroup = false, fileGroup = false;
    for (int k = 0; k < fPluginUtil->PluginCount(); ++k) {
        TPlugin* plugin = fPluginUtil->IsPluginLoaded(k) ? fPluginUtil->GetPluginByIdx(k) : nullptr;
        if (!plugin) continue;
        const std::string name = fPluginUtil->GetPluginName(k);
        if (plugin->PluginCaps() & PluginCap(pcHelpFile)) {
            if (!std::exchange(helpGroup, true)) fHelpMenu->addSeparator();
            QAction* item = MakeAction(this, "Справка: " + name, "", [this, k] { ShowPluginHelp(k); });
            item->setData(k + 1);
            fHelpMenu->addAction(item);
        }
        if (plugin->PluginCaps() & PluginCap(pcFileMenu)) {
            if (!std::exchange(fileGroup, true)) fFileMenu->insertSeparator(fExitDivider);
            QAction* item = MakeAction(this, name);
            item->setData(k + 1);
            connect(item, &QAction::triggered, this, [this, k, item] {
                if (TfrmDataWindow* w = ActiveDataWindow()) w->RunPluginCommand(k, S(item->text()));
            });
            fFileMenu->insertAction(fExitDivider, item);
            fNeedWindow.push_back(item);
        }
    }
}

}  // namespace kalvero::app
