// Methods and reports in the data window: the library makes, applies and reports; the window asks
// for the files, shows the results with their limits and opens the report's preview.

#include <QFileInfo>

#include "app/DataWindow.h"
#include "app/DialogSupport.h"
#include "app/MethodDialog.h"
#include "app/Prompts.h"
#include "app/QtText.h"
#include "app/ReportPreview.h"
#include "app/ResultsList.h"
#include "common/DateTime.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "evaluation/EvaluationTypes.h"
#include "methods/MethodFile.h"
#include "methods/MethodFromExperiment.h"
#include "methods/ReportContent.h"

namespace kalvero::app {
namespace {

constexpr const char* kMethodFilter = "Методика (*.json)|*.json";

}  // namespace

void TfrmDataWindow::SaveMethod() {
    if (!fDataClass) return;
    try {
        methods::TMethod method =
            methods::MethodOf(*fDataClass, fMethod ? fMethod->name : "", fMethod ? &*fMethod : nullptr);
        OpenModal(new TMethodDialog(*this, std::move(method), methods::ResultsOf(*fDataClass, *gConfig)));
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TfrmDataWindow", e.what());
    }
}

bool TfrmDataWindow::SaveMethodAs(methods::TMethod aMethod) {
    const std::string name = aMethod.name.empty() ? fDataClass->fSampleName : aMethod.name;
    const auto chosen =
        AskSaveFile(this, gConfig->appUserDataPath, (name.empty() ? "method" : name) + ".json", kMethodFilter,
                    1, "Сохранить методику");
    if (!chosen) return false;
    try {
        // A method without a name takes the file's.
        if (aMethod.name.empty())
            aMethod.name =
                QFileInfo(QString::fromStdString(chosen->fileName)).completeBaseName().toStdString();
        methods::SaveMethodFile(aMethod, chosen->fileName);
        fMethod = std::move(aMethod);
        return true;
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TfrmDataWindow", e.what());
        return false;
    }
}

void TfrmDataWindow::ApplyMethodFile() {
    if (!fDataClass || RefuseWhileAcquiring()) return;
    const auto chosen = AskOpenFile(this, gConfig->appUserDataPath, kMethodFilter);
    if (!chosen) return;
    try {
        methods::TMethod method = methods::LoadMethodFile(chosen->fileName);
        // A step of the history: the method replaces the evaluations, and undoing gives them back.
        Edit("Применение методики", [&] {
            fMethodRun = methods::ApplyMethod(*fDataClass, method, *gConfig, gLogger);
            fDataClass->fHighlightedPeak = -1;
        });
        fMethodRunState = fDataClass->fHistory.State();
        fMethod = std::move(method);
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TfrmDataWindow", e.what());
        return;
    }
    ShowMethodRun();
    EvaluationsChanged();
    ShowResults(true);
}

const methods::TMethodRun* TfrmDataWindow::MethodRun() const {
    if (!fMethodRun || !fDataClass || fDataClass->fHistory.State() != fMethodRunState) return nullptr;
    return &*fMethodRun;
}

void TfrmDataWindow::ShowMethodRun() {
    fResultsList->SetMethodRun(MethodRun());
}

TReportPreview* TfrmDataWindow::ReportWindow() const {
    return fReportPreview.data();
}

void TfrmDataWindow::ShowReport() {
    if (!fDataClass) return;
    TReportItem item;
    const methods::TMethodRun run = MethodRun() ? *MethodRun() : methods::ResultsOf(*fDataClass, *gConfig);
    const std::string file = fDataClass->fFileName.empty() ? S(windowTitle()) : fDataClass->fFileName;
    item.page =
        methods::ReportPageOf(fDataClass.get(), file, run, "", FormatDateTime("yyyy-mm-dd hh:nn:ss", Now()));
    item.plot = ReportPlot(*fDataClass);
    Redraw();  // the experiment keeps the layout it drew last: the window's again
    if (fReportPreview) fReportPreview->close();
    fReportPreview = new TReportPreview(this, {std::move(item)});
    fReportPreview->setAttribute(Qt::WA_DeleteOnClose);
    fReportPreview->show();
}

}  // namespace kalvero::app
