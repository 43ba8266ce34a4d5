// The data window's editing history: every command that changes the experiment runs as a step of
// the experiment's history (the library keeps what it changed), and undoing, redoing or going to
// a step shows the experiment as it then was.

#include "app/DataWindow.h"
#include "app/HistoryDialog.h"

namespace kalvero::app {

const char* StripStepName(TWorkMode aMode) {
    switch (aMode) {
        case WM_DELETE_INFOPOINT:
            return "Удаление маркеров";
        case WM_DELETE_TANGENT:
            return "Удаление касательных";
        case WM_DETECT_PEAKS:
            return "Определение пиков";
        case WM_DEFINE_PEAK:
            return "Ручная отметка пика";
        case WM_DEFINE_TANGENT2:
            return "Касательная по 2 точкам";
        case WM_CUT_DATA:
            return "Вырезание";
        case WM_LINE_INTERPOLATION:
            return "Линейная интерполяция";
        case WM_SMOOTH_AVERAGE:
            return "Сглаживание усреднением";
        case WM_SMOOTH_MEDIAN:
            return "Сглаживание медианой";
        case WM_SMOOTH_BEZIE:
            return "Полиномиальное сглаживание";
        case WM_FIRST_DERIVATIVE:
            return "Первая производная";
        case WM_SECOND_DERIVATIVE:
            return "Вторая производная";
        case WM_GLASS_TRANSITION:
            return "Стеклование";
        default:
            return "";  // the view's commands (zoom, statistics, selection) are no edits
    }
}

const char* DropStepName(TCutLineType aObject) {
    switch (aObject) {
        case CUTLINE_VIRTUALBASELINE_DT:
        case CUTLINE_VIRTUALBASELINE_T:
            return "Перенос нулевой линии";
        case CUTLINE_PEAKLEFTMARGIN:
        case CUTLINE_PEAKRIGHTMARGIN:
            return "Граница пика";
        case CUTLINE_PEAKBASELINE:
            return "Базовая линия пика";
        case CUTLINE_TANGENT:
            return "Касательная пика";
        case CUTLINE_PEAKTOP:
            return "Вершина пика";
        case CUTLINE_GLASSTRANSITION_STRETCH:
            return "Участок стеклования";
        default:
            return "Перемещение";
    }
}

void TfrmDataWindow::Edit(const std::string& aStep, const std::function<void()>& aWork) {
    if (!fDataClass) return;
    TDataClass& d = *fDataClass;
    // While a run records, the experiment is the run's: its history starts when the run stops.
    if (aStep.empty() || IsAcquiring()) {
        aWork();
        if (!aStep.empty()) d.fHasUnsavedChanges = true;
        return;
    }
    RecordEdit(d.fHistory, d, aStep, aWork);
    ShowMethodRun();
}

void TfrmDataWindow::UndoStep() {
    if (fDataClass && !RefuseWhileAcquiring() && fDataClass->fHistory.Undo(*fDataClass)) ShowHistoryStep();
}

void TfrmDataWindow::RedoStep() {
    if (fDataClass && !RefuseWhileAcquiring() && fDataClass->fHistory.Redo(*fDataClass)) ShowHistoryStep();
}

void TfrmDataWindow::GoToStep(size_t aPosition) {
    if (!fDataClass || RefuseWhileAcquiring()) return;
    fDataClass->fHistory.GoTo(*fDataClass, aPosition);
    ShowHistoryStep();
}

void TfrmDataWindow::ShowHistoryStep() {
    // The peak under the last right click may be gone, the channels other ones.
    fEditPeakNumber = 0;
    SetCurrentChannel(currentChannelTab);
    ResetTools();
    Redraw();
    UpdateScrollBars();
    UpdateButtons();
    UpdateChannels();
    ShowMethodRun();
    Changed();
}

THistoryDialog* TfrmDataWindow::HistoryDialog() const {
    return fHistoryDialog;
}

THistoryDialog* TfrmDataWindow::ShowHistory() {
    if (!fDataClass) return nullptr;
    if (!fHistoryDialog) fHistoryDialog = new THistoryDialog(*this);
    fHistoryDialog->Refresh();
    fHistoryDialog->show();
    fHistoryDialog->raise();
    return fHistoryDialog;
}

}  // namespace kalvero::app
