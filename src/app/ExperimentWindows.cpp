#include "app/ExperimentWindows.h"

#include <QMdiSubWindow>

#include <filesystem>

#include "app/DataWindow.h"
#include "app/MainWindow.h"
#include "app/QtText.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "processing/SegmentSplit.h"

namespace kalvero::app {

TfrmDataWindow* OpenExperimentWindow(TKalveroForm& aMain, const std::string& aFileName, TCurveMode aMode,
                                     const std::function<void(TDataClass&)>& aFill) {
    TfrmDataWindow* window = aMain.NewDataWindow();
    if (!window) return nullptr;
    try {
        TDataClass& d = window->DataClass();
        aFill(d);
        d.fFileName = aFileName;
        d.mode = aMode;
        window->setWindowTitle(Q(std::filesystem::path(aFileName).filename().string()));
        window->RefreshAfterRun();
        return window;
    } catch (...) {
        // The window was made for this experiment only.
        window->SetClosingByMain(true);
        if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget())) sub->close();
        throw;
    }
}

void SplitIntoSegmentWindows(TfrmDataWindow& aWindow) {
    auto* main = dynamic_cast<TKalveroForm*>(aWindow.window());
    const TDataClass* d = aWindow.Experiment();
    if (!main || !d || aWindow.RefuseWhileAcquiring()) return;
    const std::vector<TSegment> segments = SegmentsToSplit(*d);
    if (segments.size() < 2) {
        MsgBox("В программе опыта один сегмент: разделять нечего");
        return;
    }
    const std::string name = d->fFileName.empty() ? S(aWindow.windowTitle()) : d->fFileName;
    const int count = static_cast<int>(segments.size());
    try {
        for (int k = 0; k < count; ++k)
            OpenExperimentWindow(
                *main, SegmentPartFileName(name, k + 1), vm_view_dT_by_time, [&](TDataClass& part) {
                    CopySegment(*aWindow.Experiment(), segments[static_cast<size_t>(k)], k + 1, count, part);
                });
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TfrmDataWindow", e.what());
    }
}

}  // namespace kalvero::app
