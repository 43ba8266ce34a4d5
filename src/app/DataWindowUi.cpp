// The data window's widgets and commands: the plot with its scroll bars and zoom buttons, the tool
// bar, the view-mode menu on the axis button, the plot menu with the plug-in commands, the
// channel panel and the marker list.

#include <QActionGroup>
#include <QBoxLayout>
#include <QCheckBox>
#include <QDockWidget>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "app/ChannelPanel.h"
#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/Dialogs.h"
#include "app/ExperimentWindows.h"
#include "app/MarkerList.h"
#include "app/PlotView.h"
#include "app/QtText.h"
#include "app/ResultsList.h"
#include "common/Globals.h"
#include "evaluation/ExperimentEvaluations.h"
#include "graphics/DataCanvas.h"
#include "plugins/PluginUtil.h"

namespace kalvero::app {
namespace {

QToolButton* SmallButton(QWidget* aParent, QAction* aAction) {
    auto* button = new QToolButton(aParent);
    button->setDefaultAction(aAction);
    button->setAutoRaise(true);
    button->setIconSize(QSize(16, 16));
    return button;
}

// The large step of a bar is a tenth of the window, apart from the thumb, which shows the window.
void UseLargeStep(QScrollBar* aBar) {
    QObject::connect(aBar, &QAbstractSlider::actionTriggered, aBar, [aBar](int aAction) {
        const int step = aBar->property("largeStep").toInt();
        if (step <= 0) return;
        const bool add = aAction == QAbstractSlider::SliderPageStepAdd;
        if (!add && aAction != QAbstractSlider::SliderPageStepSub) return;
        aBar->setSliderPosition(aBar->value() + (add ? step : -step));
    });
}

}  // namespace

void TfrmDataWindow::BuildPlotArea() {
    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    fPlot = new TPlotView(central);
    fHorzBar = new QScrollBar(Qt::Horizontal, central);
    fVertBar = new QScrollBar(Qt::Vertical, central);
    fHorzBar->setAccessibleName("Прокрутка по оси X");
    fVertBar->setAccessibleName("Прокрутка по оси Y");
    UseLargeStep(fHorzBar);
    UseLargeStep(fVertBar);

    auto zoom = [this](const char* aName, const std::string& aHint, TToolIcon aIcon, bool aX, bool aWiden) {
        QAction* action = MakeAction(this, aHint, aHint, aIcon, [this, aX, aWiden] {
            if (!fDataClass) return;
            if (aX ? ZoomXWindow(*fDataClass, aWiden) : ZoomYWindow(*fDataClass, aWiden)) {
                Redraw();
                UpdateScrollBars();
            }
        });
        fCommands[aName] = action;
        return action;
    };
    auto* column = new QWidget(central);
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(0);
    columnLayout->addWidget(
        SmallButton(column, zoom(cmd::kWidenY, "Растянуть по оси Y", TToolIcon::WidenY, false, true)));
    columnLayout->addWidget(
        SmallButton(column, zoom(cmd::kNarrowY, "Сжать по оси Y", TToolIcon::NarrowY, false, false)));
    columnLayout->addWidget(fVertBar, 1);
    auto* row = new QWidget(central);
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(0);
    rowLayout->addWidget(fHorzBar, 1);
    rowLayout->addWidget(
        SmallButton(row, zoom(cmd::kWidenX, "Растянуть по оси X", TToolIcon::WidenX, true, true)));
    rowLayout->addWidget(
        SmallButton(row, zoom(cmd::kNarrowX, "Сжать по оси X", TToolIcon::NarrowX, true, false)));
    grid->addWidget(fPlot, 0, 0);
    grid->addWidget(column, 0, 1);
    grid->addWidget(row, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(0, 1);
    setCentralWidget(central);

    connect(fHorzBar, &QScrollBar::valueChanged, this, [this](int v) {
        if (!fDataClass) return;
        ScrollXTo(*fDataClass, v);
        Redraw();
    });
    connect(fVertBar, &QScrollBar::valueChanged, this, [this](int v) {
        if (!fDataClass) return;
        ScrollYTo(*fDataClass, v);
        Redraw();
    });
    fPlot->onMouseDown = [this](Qt::MouseButton b, QPoint p) { MouseDown(b, p); };
    fPlot->onMouseMove = [this](Qt::MouseButtons b, QPoint p) { MouseMove(b, p); };
    fPlot->onMouseUp = [this](Qt::MouseButton b, QPoint p) { MouseUp(b, p); };
    fPlot->onMouseLeave = [this] { fStatusCoords->clear(); };
    fPlot->onPictureReplacing = [this] { fDataCanvas->Flush(); };
    fPlot->onResize = [this](QSize s) {
        ResizePlot(s);
        Redraw();
    };
}

QAction* TfrmDataWindow::Tool(const std::string& aCaption, TToolIcon aIcon, TWorkMode aWork,
                              TModifyMode aGesture, const std::string& aHint) {
    QAction* action = MakeAction(this, aCaption, aHint.empty() ? aCaption : aHint, aIcon);
    action->setCheckable(true);
    connect(action, &QAction::toggled, this,
            [this, action, aWork, aGesture](bool checked) { ChooseTool(action, aWork, aGesture, checked); });
    fTools.push_back(action);
    return action;
}

QAction* TfrmDataWindow::PlotMenuTool(const std::string& aCaption, TWorkMode aWork) {
    QAction* action = MakeAction(this, aCaption);
    connect(action, &QAction::triggered, this,
            [this, action, aWork] { ChooseTool(action, aWork, MM_VERTAREA_SELECT, true); });
    fPlotMenuItems.push_back(action);
    return action;
}

void TfrmDataWindow::BuildActions() {
    const TAppConfig& c = *gConfig;
    fCommands[cmd::kZoom] = Tool("Приближение", TToolIcon::Zoom, WM_ZOOM, MM_BOX_SELECT);
    fCommands[cmd::kMarkerSet] =
        Tool("Установить маркер", TToolIcon::MarkerSet, WM_DEFINE_INFOPOINT, MM_LINE_SELECT);
    fCommands[cmd::kMarkerDelete] =
        Tool("Удалить маркер", TToolIcon::MarkerDelete, WM_DELETE_INFOPOINT, MM_VERTAREA_SELECT);
    fCommands[cmd::kTangent1] =
        Tool("Установить касательную по 1 точке", TToolIcon::Tangent1, WM_DEFINE_TANGENT, MM_LINE_SELECT);
    fCommands[cmd::kTangent2] = Tool("Установить касательную по 2 точкам", TToolIcon::Tangent2,
                                     WM_DEFINE_TANGENT2, MM_VERTAREA_SELECT);
    fCommands[cmd::kTangentDelete] =
        Tool("Удалить касательную", TToolIcon::TangentDelete, WM_DELETE_TANGENT, MM_VERTAREA_SELECT);
    fCommands[cmd::kDetectRange] = Tool("Определение пиковв отмеченной области", TToolIcon::PeaksRange,
                                        WM_DETECT_PEAKS, MM_VERTAREA_SELECT);
    fCommands[cmd::kStatistics] =
        Tool("Статистика (Min, Max, Среднее)", TToolIcon::Statistics, WM_CALC_INFO, MM_VERTAREA_SELECT);
    fCommands[cmd::kGlassTransition] =
        Tool("Стеклование", TToolIcon::GlassTransition, WM_GLASS_TRANSITION, MM_VERTAREA_SELECT);

    auto command = [this](const char* aName, const std::string& aCaption, TToolIcon aIcon,
                          std::function<void()> aRun) {
        QAction* action = MakeAction(this, aCaption, aCaption, aIcon, std::move(aRun));
        fCommands[aName] = action;
        return action;
    };
    command(cmd::kDetectAll, "Автоматическое определение ВСЕХ пиков", TToolIcon::PeaksAll,
            [this] { DetectAllPeaks(); });
    command(cmd::kUndo, "Отмена последнего действия", TToolIcon::Undo, [this] { UndoLastAction(); });
    command(cmd::kRedraw, "Перерисовать график", TToolIcon::Redraw, [this] { RedrawCommand(); });
    command(cmd::kScan, "Сканирование", TToolIcon::Scan, [this] { ShowScanControl(*this); });
    command(cmd::kSubtract, "Вычитание данных", TToolIcon::Subtract, [this] { ShowSubtraction(*this); });
    command(cmd::kExcel, "Переслать в Excel", TToolIcon::Excel, [this] { ShowTextExport(*this, "", true); });
    command(cmd::kProperties, "Свойства графика", TToolIcon::Properties,
            [this] { ShowExperimentProperties(*this); });
    command(cmd::kOpenChannel, "Загрузить файл в дополнительный канал", TToolIcon::OpenChannel,
            [this] { LoadExtraChannels(); });
    QAction* panel = command(cmd::kChannelPanel, "Панель каналов", TToolIcon::ChannelPanel, {});
    panel->setCheckable(true);
    connect(panel, &QAction::toggled, this, [this](bool on) { ToggleChannelPanel(on); });
    QAction* markers = command(cmd::kMarkerList, "Список маркеров", TToolIcon::MarkerList, {});
    markers->setCheckable(true);
    connect(markers, &QAction::toggled, this, [this](bool on) { ShowMarkerList(on); });
    QAction* results = command(cmd::kResults, "Результаты", TToolIcon::Results, {});
    results->setCheckable(true);
    connect(results, &QAction::toggled, this, [this](bool on) { ShowResults(on); });
    QAction* labels = MakeAction(this, "Подписи эффектов на графике");
    labels->setCheckable(true);
    labels->setChecked(true);
    fCommands[cmd::kEffectLabels] = labels;
    connect(labels, &QAction::toggled, this, [this](bool on) { ShowEffectLabels(on); });
    QAction* segments = MakeAction(this, "Сегменты программы на графике");
    segments->setCheckable(true);
    segments->setChecked(true);
    fCommands[cmd::kSegments] = segments;
    connect(segments, &QAction::toggled, this, [this](bool on) { ShowSegments(on); });

    fCommands[cmd::kTangent1]->setVisible(c.b_tangent);
    fCommands[cmd::kTangent2]->setVisible(c.b_tangent);
    fCommands[cmd::kTangentDelete]->setVisible(c.b_tangent);
    fCommands[cmd::kDetectAll]->setVisible(c.b_detectpeaks);
    fCommands[cmd::kDetectRange]->setVisible(c.b_detectpeaks);
    fCommands[cmd::kOpenChannel]->setVisible(c.b_openchannel);
    panel->setVisible(c.showChannelsControl);

    // The view modes, on the axis button.
    fViewModeMenu = new QMenu(this);
    auto* modes = new QActionGroup(this);
    auto viewMode = [this, modes](const std::string& aCaption, TCurveMode aView, TCurveMode aScan,
                                  bool aVisible) {
        QAction* action = MakeAction(this, aCaption);
        action->setCheckable(true);
        action->setVisible(aVisible);
        modes->addAction(action);
        fViewModeMenu->addAction(action);
        fViewModeItems.push_back({action, aView, aScan});
        connect(action, &QAction::triggered, this,
                [this, aView, aScan] { SetViewMode(IsAcquiring() ? aScan : aView); });
    };
    viewMode("X - время, Y - " + c.diffChannelName, vm_view_dT_by_time, vm_scan_dT_by_time, true);
    viewMode("X - время, Y - " + c.tempChannelName, vm_view_T_by_time, vm_scan_T_by_time, c.showTempChannel);
    viewMode("X - время, Y1 - " + c.diffChannelName + ", Y2 - " + c.tempChannelName,
             vm_view_dt_and_temp_by_time, vm_view_dt_and_temp_by_time, c.showTempChannel);
    viewMode("X - " + c.tempChannelName + ", Y -" + c.diffChannelName, vm_view_dT_by_temp, vm_scan_dT_by_temp,
             c.showTempChannel);
    // What the plot shows besides the curves, beside the views.
    fViewModeMenu->addSeparator();
    fViewModeMenu->addAction(fCommands.at(cmd::kEffectLabels));
    fViewModeMenu->addAction(fCommands.at(cmd::kSegments));
}

void TfrmDataWindow::BuildToolBar() {
    QToolBar* bar = addToolBar("Инструменты");
    bar->setObjectName("dataWindowTools");
    bar->setIconSize(QSize(22, 22));
    bar->setMovable(false);
    fAxisButton = new QToolButton(bar);
    fAxisButton->setMenu(fViewModeMenu);
    fAxisButton->setPopupMode(QToolButton::InstantPopup);
    fAxisButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    fAxisButton->setToolTip("Режим отображения");
    bar->addWidget(fAxisButton);
    bar->addSeparator();
    auto add = [this, bar](std::initializer_list<const char*> aNames) {
        for (const char* name : aNames)
            bar->addAction(fCommands.at(name));
        bar->addSeparator();
    };
    add({cmd::kZoom});
    add({cmd::kMarkerSet, cmd::kMarkerDelete, cmd::kMarkerList});
    add({cmd::kTangent1, cmd::kTangent2, cmd::kTangentDelete});
    add({cmd::kDetectAll, cmd::kDetectRange, cmd::kGlassTransition, cmd::kStatistics, cmd::kResults});
    add({cmd::kUndo, cmd::kRedraw});
    add({cmd::kScan, cmd::kSubtract, cmd::kExcel, cmd::kProperties});
    add({cmd::kOpenChannel, cmd::kChannelPanel});
}

void TfrmDataWindow::BuildViewOptions() {
    // The view options stand at the right of the status bar, always in sight.
    const TAppConfig& c = *gConfig;
    fGridBox = new QCheckBox("Отображать сетку", this);
    fObjectsBox = new QCheckBox("Отображать доп. объекты", this);
    fBubbleStyleBox = new QCheckBox("Режим прорисовки подписей", this);
    fGridBox->setChecked(c.showScreenGrid);
    fObjectsBox->setChecked(c.showObjects);
    fBubbleStyleBox->setChecked(c.bubbleStyle == 1);
    connect(fGridBox, &QCheckBox::toggled, this, [this](bool on) { SetOption(gConfig->showScreenGrid, on); });
    connect(fObjectsBox, &QCheckBox::toggled, this, [this](bool on) { SetOption(gConfig->showObjects, on); });
    connect(fBubbleStyleBox, &QCheckBox::toggled, this, [this](bool on) { SetBubbleStyle(on); });
    for (QCheckBox* box : {fGridBox, fObjectsBox, fBubbleStyleBox})
        statusBar()->addPermanentWidget(box);
}

void TfrmDataWindow::BuildPlotMenu() {
    const TAppConfig& c = *gConfig;
    fPlotMenu = new QMenu(this);
    QAction* manual = PlotMenuTool(c.addIntegralCaption, WM_DEFINE_PEAK);
    fCommands[cmd::kManualPeak] = manual;
    fDeletePeakItem = MakeAction(this, c.deleteIntegralCaption, "", [this] { DeletePeak(); });
    fPlotMenuItems.push_back(fDeletePeakItem);
    fCommands[cmd::kDeletePeak] = fDeletePeakItem;
    manual->setVisible(c.usePeakCalculation);
    fDeletePeakItem->setVisible(c.usePeakCalculation);
    fPlotMenu->addAction(manual);
    fPlotMenu->addAction(fDeletePeakItem);
    AddPeakMenuItems();
    fPlotMenu->addSeparator();
    fPlotMenu->addAction(PlotMenuTool("Сглаживание усреднением", WM_SMOOTH_AVERAGE));
    fPlotMenu->addAction(PlotMenuTool("Сглаживание медианой", WM_SMOOTH_MEDIAN));
    fPlotMenu->addAction(PlotMenuTool("Полиномомиальное сглаживание", WM_SMOOTH_BEZIE));
    fPlotMenu->addAction(PlotMenuTool("Линейная интерполяция", WM_LINE_INTERPOLATION));
    fPlotMenu->addSeparator();
    fPlotMenu->addAction(PlotMenuTool("Удаление участка кривой", WM_CUT_DATA));
    fPlotMenu->addAction(MakeAction(this, "Разделить по сегментам", "Каждый сегмент программы в своём окне",
                                    [this] { SplitIntoSegmentWindows(*this); }));
    fPlotMenu->addSeparator();
    fPlotMenu->addAction(PlotMenuTool("Первая производная", WM_FIRST_DERIVATIVE));
    fPlotMenu->addAction(PlotMenuTool("Вторая производная", WM_SECOND_DERIVATIVE));
    if (c.debugMode) fPlotMenu->addAction(PlotMenuTool("Debug", WM_DEBUG));
}

void TfrmDataWindow::AddPeakMenuItems() {
    QMenu* kinds = fPlotMenu->addMenu("Базовая линия");
    auto* group = new QActionGroup(this);
    for (int k = 0; k < PEAK_BASELINE_KIND_COUNT; ++k) {
        const auto kind = static_cast<TPeakBaseLineKind>(k);
        QAction* item =
            MakeAction(this, PeakBaseLineCaption(kind), "", [this, kind] { SetPeakBaseLine(kind); });
        item->setCheckable(true);
        group->addAction(item);
        kinds->addAction(item);
        fBaseLineItems.push_back(item);
    }
    const auto peakItem = [this](const char* aName, const std::string& aCaption, std::function<void()> aRun) {
        QAction* item = MakeAction(this, aCaption, "", std::move(aRun));
        fCommands[aName] = item;
        fPlotMenu->addAction(item);
        return item;
    };
    fPeakItems = {
        kinds->menuAction(),
        peakItem(cmd::kConversion, "Степень превращения", [this] { AddConversionChannels(); }),
        peakItem(cmd::kPurity, "Чистота (Вант-Гофф)...", [this] { ShowPurity(*this, fEditPeakNumber - 1); }),
        peakItem(cmd::kCrystallinity, "Степень кристалличности...",
                 [this] { ShowCrystallinity(*this, fEditPeakNumber - 1); })};
    for (QAction* item : fPeakItems) {
        item->setVisible(gConfig->usePeakCalculation);
        fPlotMenuItems.push_back(item);
    }
}

void TfrmDataWindow::AddPluginMenuItems() {
    if (!fPluginUtil || fPluginUtil->PluginCount() == 0) return;
    fPlotMenu->addSeparator();
    for (int k = 0; k < fPluginUtil->PluginCount(); ++k) {
        TPlugin* plugin = fPluginUtil->IsPluginLoaded(k) ? fPluginUtil->GetPluginByIdx(k) : nullptr;
        if (!plugin || !(plugin->PluginCaps() & PluginCap(pcGraphicMenu))) continue;
        const bool insidePeak = plugin->PluginCaps() & PluginCap(pcShowInsidePeak);
        for (const std::string& command : plugin->PluginCommands()) {
            QAction* item =
                MakeAction(this, command, "", [this, k, command] { RunPluginCommand(k, command); });
            item->setData(k + 1);  // the tag: plug-in index + 1
            fPlotMenu->addAction(item);
            fPlotMenuItems.push_back(item);
            fPluginItems.push_back({item, k, insidePeak});
        }
        // The redraw is reached through a guard: a closed window is never called back.
        plugin->SetOnRefreshGraphic([window = QPointer<TfrmDataWindow>(this)] {
            if (window) window->Redraw();
        });
    }
    UpdatePluginMenu(false);
}

void TfrmDataWindow::UpdatePluginMenu(bool aMouseInsidePeak) {
    fMouseInsidePeak = aMouseInsidePeak;
    for (const RPluginItem& item : fPluginItems)
        if (item.insidePeakOnly) item.action->setEnabled(aMouseInsidePeak);
}

void TfrmDataWindow::BuildDocks() {
    // A dock on the window's side, hidden at first; its command's button follows whether it shows.
    auto dock = [this](const char* aTitle, const char* aName, QWidget* aContent, Qt::DockWidgetArea aArea,
                       const char* aCommand) {
        auto* d = new QDockWidget(aTitle, this);
        d->setObjectName(aName);
        d->setWidget(aContent);
        d->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
        addDockWidget(aArea, d);
        d->hide();
        connect(d, &QDockWidget::visibilityChanged, this, [this, aCommand](bool visible) {
            QAction* command = fCommands.at(aCommand);
            const QSignalBlocker block(command);
            if (!isMinimized() && isVisible()) command->setChecked(visible);
        });
        return d;
    };
    fChannelPanel = new TChannelPanel(*this);
    fChannelDock = dock("Каналы", "channelDock", fChannelPanel, Qt::RightDockWidgetArea, cmd::kChannelPanel);
    fMarkerList = new TMarkerList(this);
    fMarkerDock =
        dock("Список маркеров", "markerDock", fMarkerList, Qt::BottomDockWidgetArea, cmd::kMarkerList);
    fResultsList = new TResultsList(this);
    fResultsDock = dock("Результаты", "resultsDock", fResultsList, Qt::BottomDockWidgetArea, cmd::kResults);
    fResultsList->onSelected = [this](int aEffect) {
        fDataClass->fHighlightedPeak = aEffect;
        Redraw();
    };
    fResultsList->onLabelsShown = [this](bool aOn) { fCommands.at(cmd::kEffectLabels)->setChecked(aOn); };
    fResultsList->onRemoveEvaluation = [this](int aRow) {
        Edit("Удаление оценки", [&] { evaluation::RemoveEvaluationRow(*fDataClass, aRow); });
        EvaluationsChanged();
    };
    fResultsList->onSaveMethod = [this] { SaveMethod(); };
    fResultsList->onApplyMethod = [this] { ApplyMethodFile(); };
    fResultsList->onReport = [this] { ShowReport(); };
}

void TfrmDataWindow::ToggleChannelPanel(bool aShow) {
    fChannelDock->setVisible(aShow);
    if (aShow) UpdateChannels();
}

void TfrmDataWindow::ShowMarkerList(bool aShow) {
    fMarkerDock->setVisible(aShow);
    if (aShow && fDataClass) fMarkerList->Refresh(*fDataClass);
}

void TfrmDataWindow::ShowResults(bool aShow) {
    fResultsDock->setVisible(aShow);
    if (aShow && fDataClass) fResultsList->Refresh(*fDataClass);
}

void TfrmDataWindow::ShowEffectLabels(bool aShow) {
    if (!fDataClass || fDataClass->fShowEffectLabels == aShow) return;
    fDataClass->fShowEffectLabels = aShow;
    fResultsList->Refresh(*fDataClass);
    Redraw();
}

void TfrmDataWindow::ShowSegments(bool aShow) {
    if (!fDataClass || fDataClass->fShowSegments == aShow) return;
    fDataClass->fShowSegments = aShow;
    Redraw();
}

}  // namespace kalvero::app
