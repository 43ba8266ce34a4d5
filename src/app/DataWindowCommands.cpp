// What the data window's commands do: the strip commands of the tools and the plot menu, the
// immediate commands, plug-in commands, the curve shifts and loading extra channels. The work
// itself is the library's (experiment, detector, range edits); here it is chosen and shown.

#include <QLabel>
#include <QPointer>

#include "app/ChannelPanel.h"
#include "app/DataWindow.h"
#include "app/MarkerList.h"
#include "app/PlotView.h"
#include "app/PluginResultsWindow.h"
#include "app/Prompts.h"
#include "app/QtText.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "common/UiHooks.h"
#include "evaluation/ExperimentEvaluations.h"
#include "graphics/DataCanvas.h"
#include "plugins/PluginUtil.h"
#include "processing/PeakUtils.h"
#include "processing/RangeEdits.h"

namespace kalvero::app {

void TfrmDataWindow::RunStripCommand() {
    TDataClass& d = *fDataClass;
    const int x1 = currentX1, x2 = currentX2;
    const bool forT = d.mode == vm_view_T_by_time;
    auto smooth = [&](TSmoothKind aKind) {
        SmoothRange(d, aKind, x1, x2, forT, fPeakUtils.get(), &CurrentUiHooks());
        ResetTools();
    };
    auto derivative = [&](bool aSecond) {
        if (RefuseWhileAcquiring()) return;
        aSecond ? AddSecondDerivativeChannel(d, x1, x2) : AddFirstDerivativeChannel(d, x1, x2);
        UpdateChannels();
        ResetTools();
        d.ResetMargins(false);
    };
    switch (fWorkMode) {
        case WM_DELETE_INFOPOINT:
            d.DelBubbles(x1, x2);
            if (fMarkerList) fMarkerList->Refresh(d);
            break;
        case WM_DELETE_TANGENT:
            d.DelTangents(x1, x2);
            break;
        case WM_DETECT_PEAKS:
            // Less than a second of data holds no peak worth the search.
            if (x2 - x1 > d.frequency) {
                fPeakUtils->DetectPeaks(x1, x2, &CurrentUiHooks());
                UpdateChannels();
                ResetTools();
            }
            break;
        case WM_DEFINE_PEAK:
            fPeakUtils->AddPeakManually(x1, x2, &CurrentUiHooks());
            ResetTools();
            break;
        case WM_DEFINE_TANGENT2:
            d.AddTangent(x1, x2);
            ResetTools();
            break;
        case WM_CALC_INFO:
            d.fBegCalcInfo = static_cast<uint32_t>(x1), d.fEndCalcInfo = static_cast<uint32_t>(x2);
            d.fShowStatistics = true;
            break;
        case WM_SELECT_FOR_MOVE:
            d.fBegCalcInfo = static_cast<uint32_t>(x1), d.fEndCalcInfo = static_cast<uint32_t>(x2);
            d.fShowCurveSelection = true;
            break;
        case WM_CUT_DATA:
            if (RefuseWhileAcquiring()) break;
            if (x1 < x2) {
                if (d.CutData(x1, x2)) {
                    d.fHasUnsavedChanges = true;
                    UpdateScrollBars();
                    UpdateChannels();
                } else {
                    MsgBox("Участок не удалён: после удаления в эксперименте осталось бы меньше 10 точек.");
                }
            }
            ResetTools();
            break;
        case WM_LINE_INTERPOLATION:
            LineInterpolation(d, x1, x2, forT, fPeakUtils.get());
            ResetTools();
            break;
        case WM_SMOOTH_AVERAGE:
            smooth(TSmoothKind::skAverage);
            break;
        case WM_SMOOTH_MEDIAN:
            smooth(TSmoothKind::skMedian);
            break;
        case WM_SMOOTH_BEZIE:
            smooth(TSmoothKind::skBezier);
            break;
        case WM_FIRST_DERIVATIVE:
            derivative(false);
            break;
        case WM_SECOND_DERIVATIVE:
            derivative(true);
            break;
        case WM_DEBUG:
            ResetTools();
            break;
        case WM_GLASS_TRANSITION:
            // The construction's stretches are a share of the strip each; dragging their ends
            // sets them as the operator wants.
            d.fEvaluations.glassTransitions.push_back(
                evaluation::GlassTransitionRecordOver(d, x1, x2, evaluation::GLASS_TRANSITION_STRETCH));
            d.fHasUnsavedChanges = true;
            ResetTools();
            break;
        default:
            break;
    }
}

void TfrmDataWindow::DetectAllPeaks() {
    if (!fDataClass) return;
    try {
        Edit("Определение пиков",
             [this] { fPeakUtils->DetectPeaks(0, fDataClass->GetItemCount() - 1, &CurrentUiHooks()); });
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TfrmDataWindow", e.what());
    }
    UpdateChannels();
    Redraw();
    Changed();
}

void TfrmDataWindow::DeletePeak() {
    if (!fDataClass) return;
    if (fEditPeakNumber > 0 && fEditPeakNumber <= fDataClass->peaks.GetItemCount())
        Edit("Удаление пика", [this] { fDataClass->DelPeak(fEditPeakNumber - 1); });
    fEditPeakNumber = 0;
    fWorkMode = WM_NONE;
    Redraw();
    Changed();
}

void TfrmDataWindow::UndoLastAction() {
    if (!fDataClass) return;
    bool undone = false;
    Edit("Отмена последнего действия", [&] { undone = fDataClass->Undo(fDataClass->fCurrentChannelNo); });
    if (!undone) fStatusState->setText("Нечего отменять");
    Redraw();
    Changed();
}

void TfrmDataWindow::RedrawCommand() {
    ShowWholeView(true);
}

void TfrmDataWindow::RunPluginCommand(int aPluginIndex, const std::string& aCommand) {
    if (!fDataClass || !fPluginUtil || !fPluginUtil->IsPluginLoaded(aPluginIndex)) return;
    try {
        TPlugin* plugin = fPluginUtil->GetPluginByIdx(aPluginIndex);
        plugin->ClearAllData();
        plugin->SetCurrentDataClass(fDataClass.get());
        if (allExperiments) {
            for (TDataClass* experiment : allExperiments())
                plugin->AddDataClass(experiment);
        }
        plugin->PutParam("editPeakNumber", std::to_string(fEditPeakNumber));
        plugin->SetOnRefreshGraphic([window = QPointer<TfrmDataWindow>(this)] {
            if (window) window->Redraw();
        });
        const std::string command = S(StripAccel(Q(aCommand)));
        Edit(command, [&] { plugin->BeginWork(command); });
        ShowPluginResults(*this, *plugin);
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TfrmDataWindow", e.what());
    }
    Redraw();
    Changed();
}

void TfrmDataWindow::SetOption(bool& aOption, bool aValue) {
    aOption = aValue;
    Redraw();
}

void TfrmDataWindow::SetBubbleStyle(bool aList) {
    gConfig->bubbleStyle = aList ? 1 : 0;
    Redraw();
}

void TfrmDataWindow::ShiftCurve(int aVertSteps, int aHorSteps) {
    if (!fDataClass || fDataClass->GetItemCount() == 0) return;
    TDataClass& d = *fDataClass;
    int from = 0, to = d.GetItemCount() - 1;
    if (!fShiftWhole) from = static_cast<int>(d.fBegCalcInfo), to = static_cast<int>(d.fEndCalcInfo);
    Edit("Сдвиг кривой", [&] {
        if (aVertSteps != 0)
            ShiftCurveVertically(d, currentChannelTab, from, to, aVertSteps * fVertShiftIncrement,
                                 d.IsInTRelatedMode());
        if (aHorSteps != 0)
            ShiftCurveHorizontally(d, currentChannelTab, from, to, aHorSteps * fHorShiftIncrement);
    });
    Redraw();
    Changed();
}

void TfrmDataWindow::SetShiftWholeCurve(bool aWhole) {
    if (!fDataClass) return;
    fShiftWhole = aWhole;
    if (aWhole) {
        fDataClass->fShowCurveSelection = false;
        ResetTools();
        Redraw();
        return;
    }
    // "Выделить часть": the next strip selects the part the shift buttons move.
    for (QAction* tool : fTools) {
        const QSignalBlocker block(tool);
        tool->setChecked(false);
    }
    fWorkMode = fOldWorkMode = WM_SELECT_FOR_MOVE;
    fModifyMode = fOldModifyMode = MM_VERTAREA_SELECT;
    fPlot->setCursor(Qt::CrossCursor);
    fStatusState->setText("Выделить часть: выделите участок кривой");
}

void TfrmDataWindow::LoadExtraChannels() {
    if (!fDataClass || RefuseWhileAcquiring()) return;
    const auto chosen = AskOpenFile(this, gConfig->appUserDataPath, gConfig->workFileOpenFilter);
    if (!chosen) return;
    try {
        fDataClass->mode = vm_view_dT_by_time;
        Edit("Загрузка файла в канал", [&] {
            fDataClass->LoadFromFile(chosen->fileName, ftDSC, fDataClass->GetChannelCount());
            fDataClass->ResetMargins(true);
        });
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TfrmDataWindow", e.what());
    }
    SetCurrentChannel(fDataClass->GetChannelCount() - 1);
    fCommands.at(cmd::kChannelPanel)->setChecked(true);
    ToggleChannelPanel(true);
    Redraw();
    UpdateButtons();
    UpdateScrollBars();
    UpdateViewModeMenu();
    UpdateChannels();
    Changed();
}

}  // namespace kalvero::app
