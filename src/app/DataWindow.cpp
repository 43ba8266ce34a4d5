#include "app/DataWindow.h"
#include "app/HistoryDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDockWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>
#include <filesystem>
#include <shared_mutex>

#include "acquisition/RunControl.h"
#include "app/ChannelPanel.h"
#include "app/Commands.h"
#include "app/Dialogs.h"
#include "app/MarkerList.h"
#include "app/PlotView.h"
#include "app/QtText.h"
#include "app/ResultsList.h"
#include "app/RunBinding.h"
#include "app/ScanControlForm.h"
#include "common/Globals.h"
#include "common/Logger.h"
#include "common/MsgBoxes.h"
#include "common/UiHooks.h"
#include "data/RunRecovery.h"
#include "graphics/DataCanvas.h"
#include "graphics/PlotSupport.h"
#include "import/ExperimentImport.h"
#include "processing/PeakUtils.h"
#include "processing/RangeEdits.h"

namespace kalvero::app {
namespace {

const char* kAcquiringRefusal =
    "Во время сканирования в это окно команда недоступна: она изменила бы данные, "
    "в которые идёт запись.";

bool HasExtension(const std::string& aFileName, const std::string& aExtension) {
    const std::string ext = std::filesystem::path(aFileName).extension().string();
    return !ext.empty() && Q(ext).compare(Q(aExtension), Qt::CaseInsensitive) == 0;
}

std::string WithExtension(const std::string& aFileName, const std::string& aExtension) {
    std::filesystem::path p(aFileName);
    p.replace_extension(aExtension);
    return p.string();
}

}  // namespace

TfrmDataWindow::TfrmDataWindow(QWidget* aParent)
    : QMainWindow(aParent), fDataCanvas(std::make_unique<TDataCanvas>()) {
    setAttribute(Qt::WA_DeleteOnClose);
    BuildPlotArea();
    BuildActions();
    BuildToolBar();
    BuildPlotMenu();
    BuildDocks();
    fStatusCoords = new QLabel(this);
    fStatusState = new QLabel(this);
    // Both read by their changing texts; the description says what they are.
    fStatusCoords->setAccessibleDescription("Координаты");
    fStatusState->setAccessibleDescription("Состояние");
    fStatusCoords->setMinimumWidth(420);
    statusBar()->addWidget(fStatusCoords, 3);
    statusBar()->addWidget(fStatusState, 2);
    BuildViewOptions();
    // The surface is created on the picture; its size follows the plot.
    fDataCanvas->SetCanvas(&fPlot->Picture(), fPlot->width(), fPlot->height());
    NameForAccessibility(this);
}

TfrmDataWindow::~TfrmDataWindow() {
    if (fDataCanvas) fDataCanvas->Flush();
}

void TfrmDataWindow::Init(const std::string& aFileName, TPluginUtil* aPluginUtil) {
    try {
        fPluginUtil = aPluginUtil;
        AddPluginMenuItems();
        ResizePlot(fPlot->size());
        fDataClass = std::make_unique<TDataClass>(aFileName);
        fDataClass->SetCanvas(fDataCanvas.get());
        fDataClass->OnRefreshCanvas = [this](TDataClass&) { UpdateScrollBars(); };
        fDataClass->mode = gConfig->startScanChannel ? vm_view_dT_by_time : vm_view_T_by_time;
        fDataClass->ResetMargins(false);
        fPeakUtils = std::make_unique<TPeakUtils>(*fDataClass, *gConfig, gLogger, &CurrentUiHooks());
        // The effects and their heats are what the operator looks for: the list is in sight.
        fCommands.at(cmd::kResults)->setChecked(true);
        Redraw();
        UpdateButtons();
        UpdateScrollBars();
        UpdateViewModeMenu();
        UpdateChannels();
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TfrmDataWindow", e.what());
    }
}

void TfrmDataWindow::LoadFile(const std::string& aFileName, int /*aFilterIndex: one file kind is read*/) {
    if (RefuseWhileAcquiring()) return;
    const std::string extension = "." + gConfig->workFileExt;
    // The letter case of the extension does not matter: "RUN.DSC" is an experiment file too.
    if (!HasExtension(aFileName, extension))
        throw EDataClassException("Файл \"" + aFileName + "\" не является файлом эксперимента (*" +
                                  extension + ")");
    fDataClass->mode = vm_view_dT_by_time;
    fDataClass->LoadFromFile(aFileName, ftDSC, 0);
    ShowNewContent(aFileName);
}

void TfrmDataWindow::ShowNewContent(const std::string& aTitle) {
    // What was loaded is where undoing stops.
    fDataClass->fHistory.Clear();
    fDataClass->ResetMargins(true);
    ResetTools();
    Redraw();
    UpdateScrollBars();
    UpdateButtons();
    UpdateViewModeMenu();
    setWindowTitle(Q(aTitle));
    UpdateChannels();
    Changed();
}

void TfrmDataWindow::LoadImported(const TImportedRun& aRun, const std::string& aSourceFile) {
    if (RefuseWhileAcquiring()) return;
    std::vector<std::string> warnings;
    ExperimentFromImport(*fDataClass, aRun, aSourceFile, warnings);
    fDataClass->SetLoadWarnings(warnings);
    // Saved as an experiment file beside its source, under the name it is shown with.
    std::filesystem::path name(aSourceFile);
    name.replace_extension("." + gConfig->workFileExt);
    fDataClass->fFileName = name.string();
    fDataClass->mode = vm_view_dT_by_time;
    ShowNewContent(name.filename().string());
}

void TfrmDataWindow::SaveFile(const std::string& aFileName, int aFilterIndex) {
    switch (aFilterIndex) {
        case 2:
            fDataClass->ExportToBMP(aFileName);
            break;
        case 3:
            fDataClass->ExportToTIFF(WithExtension(aFileName, ".tif"));
            break;
        case 4:
            ShowTextExport(*this, aFileName, false);
            break;
        default:
            fDataClass->SaveToFile(WithExtension(aFileName, "." + gConfig->workFileExt), false);
            break;
    }
    Changed();
}

bool TfrmDataWindow::IsAcquiring() const {
    return fDataClass && AcquisitionRunsInto(fDataClass.get());
}

bool TfrmDataWindow::RefuseWhileAcquiring() {
    if (!IsAcquiring()) return false;
    MsgBox(kAcquiringRefusal);
    return true;
}

void TfrmDataWindow::Redraw() {
    if (!fDataClass) return;
    try {
        // The acquisition may be moving the samples while they are drawn: it waits meanwhile.
        std::shared_lock<std::shared_mutex> samples;
        if (IsAcquiring()) samples = BoundRunControl()->Thread()->LockItemsForReading();
        fDataClass->Redraw();
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TfrmDataWindow", e.what());
    }
    fPlot->update();
}

void TfrmDataWindow::ResetMargins(bool aCheckRanges) {
    // Resetting refills the degrees of every sample: not while the acquisition writes them.
    std::shared_lock<std::shared_mutex> samples;
    if (IsAcquiring()) samples = BoundRunControl()->Thread()->LockItemsForReading();
    fDataClass->ResetMargins(aCheckRanges);
}

void TfrmDataWindow::ShowWholeView(bool aCheckRanges) {
    if (!fDataClass) return;
    ResetMargins(aCheckRanges);
    ResetTools();
    Redraw();
    UpdateButtons();
    UpdateScrollBars();
}

void TfrmDataWindow::RefreshAfterRun() {
    if (!fDataClass) return;
    // A run wrote the record anew: the history starts with the run's end.
    fDataClass->fHistory.Clear();
    ShowWholeView(false);
    UpdateViewModeMenu();
    UpdateChannels();
    Changed();
}

void TfrmDataWindow::ResizePlot(QSize aSize) {
    fDataCanvas->Flush();
    fDataCanvas->SetCanvas(&fPlot->Picture(), aSize.width(), aSize.height());
    fDataCanvas->SetDimensions(aSize.width(), aSize.height());
}

void TfrmDataWindow::SetViewMode(TCurveMode aMode) {
    if (!fDataClass) return;
    fDataClass->mode = aMode;
    ResetMargins(false);
    Redraw();
    UpdateScrollBars();
    UpdateButtons();
    UpdateViewModeMenu();
}

void TfrmDataWindow::UpdateViewModeMenu() {
    if (!fDataClass) return;
    const TAppConfig& c = *gConfig;
    const TCurveMode mode = fDataClass->mode;
    for (const RViewModeItem& item : fViewModeItems)
        item.action->setChecked(item.view == mode || item.scan == mode);
    std::string caption;
    int width = 140;
    if (mode == vm_view_dt_and_temp_by_time) {
        caption = "Оси - X:" + c.timeChannelShortName + " | Y1:" + c.diffChannelShortName +
                  " | Y2:" + c.tempChannelShortName;
        width = 180;
    } else if (fDataClass->IsTempBasedMode()) {
        caption = "Оси - X:" + c.tempChannelShortName + " | Y:" + c.diffChannelShortName;
    } else if (fDataClass->IsInTRelatedMode()) {
        caption = "Оси - X:" + c.timeChannelShortName + " | Y:" + c.tempChannelShortName;
    } else {
        caption = "Оси - X:" + c.timeChannelShortName + " | Y:" + c.diffChannelShortName;
    }
    fAxisButton->setText(Q(caption));
    fAxisButton->setAccessibleName(Q(caption));
    fAxisButton->setMinimumWidth(width);
}

void TfrmDataWindow::UpdateButtons() {
    for (QAction* tool : fTools) {
        const QSignalBlocker block(tool);
        tool->setChecked(false);
    }
    for (auto& [name, action] : fCommands)
        action->setEnabled(true);
    for (QAction* item : fPlotMenuItems)
        item->setEnabled(true);
    for (const RViewModeItem& item : fViewModeItems)
        item.action->setEnabled(true);
    fStatusState->clear();
    if (fChannelPanel) fChannelPanel->SetScanning(false);
    if (!fDataClass) return;

    auto disable = [this](std::initializer_list<const char*> aNames) {
        for (const char* name : aNames)
            if (auto it = fCommands.find(name); it != fCommands.end()) it->second->setEnabled(false);
    };
    fPlotMenuEnabled = true;
    auto disablePlotMenu = [this] {
        fPlotMenuEnabled = false;
        for (QAction* item : fPlotMenuItems)
            item->setEnabled(false);
    };
    switch (fDataClass->mode) {
        case vm_view_T_by_time:
            disable({cmd::kDetectAll, cmd::kDetectRange, cmd::kSubtract, cmd::kManualPeak, cmd::kDeletePeak,
                     cmd::kGlassTransition});
            break;
        case vm_view_dT_by_temp:
        case vm_view_dt_and_temp_by_time:
            disable({cmd::kMarkerSet, cmd::kMarkerDelete, cmd::kDetectAll, cmd::kDetectRange, cmd::kTangent1,
                     cmd::kTangent2, cmd::kTangentDelete, cmd::kSubtract, cmd::kGlassTransition});
            disablePlotMenu();
            break;
        case vm_scan_dT_by_time:
        case vm_scan_T_by_time:
        case vm_scan_dT_by_temp:
            fStatusState->setText("Идёт сканирование...");
            disable({cmd::kTangent1, cmd::kTangent2, cmd::kTangentDelete, cmd::kProperties, cmd::kExcel,
                     cmd::kSubtract, cmd::kStatistics, cmd::kMarkerList, cmd::kDetectAll, cmd::kDetectRange,
                     cmd::kGlassTransition});
            if (fChannelPanel) fChannelPanel->SetScanning(true);
            for (const RViewModeItem& item : fViewModeItems)
                if (item.view == vm_view_dt_and_temp_by_time) item.action->setEnabled(false);
            disablePlotMenu();
            if (fDataClass->mode == vm_scan_dT_by_temp) disable({cmd::kMarkerSet, cmd::kMarkerDelete});
            break;
        default:
            break;
    }
    // Without a peak under the last right click there is nothing to delete or evaluate.
    if (fDeletePeakItem && fEditPeakNumber == 0) fDeletePeakItem->setEnabled(false);
    if (fEditPeakNumber == 0)
        for (QAction* item : fPeakItems)
            item->setEnabled(false);
}

void TfrmDataWindow::UpdateChannels() {
    if (fChannelPanel && fDataClass) fChannelPanel->Refresh();
    if (fMarkerList && fDataClass) fMarkerList->Refresh(*fDataClass);
}

void TfrmDataWindow::SetCurrentChannel(int aChannel) {
    const int count = fDataClass ? fDataClass->GetChannelCount() : 0;
    // A tab beyond the channels falls back to the first one.
    currentChannelTab = aChannel >= 0 && aChannel < count ? aChannel : 0;
}

void TfrmDataWindow::UpdateScrollBars() {
    if (!fDataClass) return;
    auto apply = [](QScrollBar* aBar, const TScrollRange& r) {
        const QSignalBlocker block(aBar);
        aBar->setRange(r.min, r.max);
        aBar->setPageStep(r.page);  // the thumb shows the window; the large step is set apart
        aBar->setSingleStep(r.singleStep);
        aBar->setValue(r.value);
        aBar->setProperty("largeStep", r.pageStep);
    };
    apply(fHorzBar, HorzScrollRange(*fDataClass));
    apply(fVertBar, VertScrollRange(*fDataClass));
    fVertShiftIncrement = VertShiftIncrement(*fDataClass);
    fHorShiftIncrement = HorShiftIncrement(*fDataClass);
}

QString TfrmDataWindow::StatusCoordinates() const {
    return fStatusCoords->text();
}

QString TfrmDataWindow::StatusState() const {
    return fStatusState->text();
}

void TfrmDataWindow::Changed() {
    // The results follow every edit at once.
    if (fDataClass && fResultsList) fResultsList->Refresh(*fDataClass);
    if (fHistoryDialog) fHistoryDialog->Refresh();
    if (onChanged) onChanged();
}

void TfrmDataWindow::closeEvent(QCloseEvent* aEvent) {
    if (!fDataClass) {
        aEvent->accept();
        return;
    }
    if (IsAcquiring()) {
        MsgBox("Невозможно закрыть это окно так как в него осуществляется сканирование!");
        gCanCloseApplication = false;
        fClosingByMain = false;
        aEvent->ignore();
        return;
    }
    if (fDataClass->fHasUnsavedChanges && !fClosingByMain &&
        !MsgBoxYN("В эксперименте есть несохранённые данные. Вы уверены что хотите закрыть окно этого "
                  "эксперимента?")) {
        aEvent->ignore();
        return;
    }
    fDisableAllEvents = true;
    // The run control must not keep a pointer to an experiment that is about to go.
    if (TfrmScanControlForm* scan = TfrmScanControlForm::Instance();
        scan && scan->SameDataClass(fDataClass.get()))
        scan->Init(nullptr, nullptr);
    if (TScanRunControl* control = BoundRunControl(); control && control->SameDataClass(fDataClass.get()))
        control->Init(nullptr);
    // Closing gives the experiment up: what a run kept of it for a crash goes too.
    DiscardRecovery(fDataClass.get());
    fDataCanvas->Flush();
    fPeakUtils.reset();
    fDataClass.reset();
    gCanCloseApplication = true;
    aEvent->accept();
}

void TfrmDataWindow::showEvent(QShowEvent* aEvent) {
    QMainWindow::showEvent(aEvent);
    NameForAccessibility(this);  // the bars make their overflow buttons once laid out
}

void TfrmDataWindow::keyPressEvent(QKeyEvent* aEvent) {
    if (aEvent->key() == Qt::Key_Escape) {
        ResetTools();
        fPlot->SetRubberBand({});
        return;
    }
    QMainWindow::keyPressEvent(aEvent);
}

}  // namespace kalvero::app
