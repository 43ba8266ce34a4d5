#include "app/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/DialogSupport.h"
#include "app/Dialogs.h"
#include "app/HelpWindow.h"
#include "app/ImportDialog.h"
#include "app/Prompts.h"
#include "app/QtText.h"
#include "app/QtUiHooks.h"
#include "app/ScanControlForm.h"
#include "app/SubtractionForm.h"
#include "calibration/GlobalTables.h"
#include "common/Config.h"
#include "common/Globals.h"
#include "common/Logger.h"
#include "common/MsgBoxes.h"
#include "common/Procs.h"
#include "data/RunRecovery.h"
#include "data/Version.h"
#include "import/ExperimentImport.h"
#include "plugins/PluginUtil.h"

namespace kalvero::app {
namespace {

constexpr const char* kClassName = "TKalveroForm";

TWindowState StateOf(const QWidget& aWindow) {
    if (aWindow.isMinimized()) return wsMinimized;
    if (aWindow.isMaximized()) return wsMaximized;
    return wsNormal;
}

}  // namespace

TKalveroForm::~TKalveroForm() {
    if (fSaveTimer) fSaveTimer->stop();
    // The run goes first (its thread writes into an experiment), then the windows: their
    // experiments use the configuration and the tables.
    delete fScanControl;
    fScanControl = nullptr;
    for (QMdiSubWindow* sub : fMdiArea->subWindowList())
        delete sub;
    if (!gMustCloseApplication && fConfig) {
        try {
            const QRect place = isMaximized() || isMinimized() ? normalGeometry() : geometry();
            fConfig->SaveMainFormPosition(place.left(), place.top(), place.width(), place.height(),
                                          StateOf(*this));
            fConfig->SaveScanSettings();
        } catch (const std::exception& e) {
            if (fLogger) fLogger->Error(kClassName, e.what());
        }
    }
    fPluginUtil.reset();
    FreeGlobalCalibrationTables();
    gLogger = nullptr;
    fLogger.reset();
    gConfig = nullptr;
    fConfig.reset();
    SetUiHooks(fPreviousHooks);
}

bool TKalveroForm::StartUpFailed() const {
    return gMustCloseApplication;
}

void TKalveroForm::showEvent(QShowEvent* aEvent) {
    QMainWindow::showEvent(aEvent);
    NameForAccessibility(this);
    if (std::exchange(fShownOnce, true)) return;
    if (gMustCloseApplication) {
        QTimer::singleShot(0, this, [this] { close(); });
        return;
    }
    QTimer::singleShot(0, this, [this] {
        OfferRecoveredRuns();
        if (!fFileArgument.empty()) OpenFile(fFileArgument);
    });
}

std::string TKalveroForm::NewExperimentName() const {
    // Numbered from the count of open windows, as before; a number still in use is skipped, so
    // that two windows never carry one name after others were closed.
    std::vector<std::string> used;
    for (const TfrmDataWindow* w : DataWindows()) {
        used.push_back(S(w->windowTitle()));
        if (const TDataClass* d = w->Experiment()) used.push_back(d->fFileName);
    }
    const std::string folder = fConfig->appUserDataPath;
    for (int n = static_cast<int>(DataWindows().size());; ++n) {
        const std::string bare = "Эксперимент" + std::to_string(n) + "." + fConfig->workFileExt;
        if (std::find(used.begin(), used.end(), bare) == used.end() &&
            std::find(used.begin(), used.end(), folder + bare) == used.end())
            return folder + bare;
    }
}

TfrmDataWindow* TKalveroForm::NewDataWindow() {
    if (!fConfig) return nullptr;
    try {
        const std::string path = NewExperimentName();
        auto* window = new TfrmDataWindow;
        window->setWindowTitle(Q(std::filesystem::path(path).filename().string()));
        window->allExperiments = [this] { return AllExperiments(); };
        window->onChanged = [this] { UpdateSaveState(); };
        QMdiSubWindow* sub = fMdiArea->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        connect(sub, &QObject::destroyed, this,
                [this] { QTimer::singleShot(0, this, [this] { UpdateMenuState(); }); });
        window->Init(path, fPluginUtil.get());
        sub->showMaximized();
        UpdateMenuState();
        return window;
    } catch (const std::exception& e) {
        ErrBox(fLogger.get(), kClassName, e.what());
        return nullptr;
    }
}

TfrmDataWindow* TKalveroForm::OpenFile(const std::string& aFileName, int aFilterIndex) {
    TfrmDataWindow* window = NewDataWindow();
    if (!window) return nullptr;
    try {
        window->LoadFile(aFileName, aFilterIndex);
        UpdateSaveState();
        return window;
    } catch (const std::exception& e) {
        ErrBox(fLogger.get(), kClassName, e.what());
    }
    // The window was made for this file only: nothing of the operator's is in it.
    if (QMdiSubWindow* sub = SubWindowOf(window)) {
        window->SetClosingByMain(true);
        sub->close();
    }
    return nullptr;
}

void TKalveroForm::TakeHandOver(const std::string& aFileName) {
    if (gMustCloseApplication) return;
    BringToFront(*this);
    std::error_code ec;
    if (!aFileName.empty() && std::filesystem::is_regular_file(aFileName, ec)) OpenFile(aFileName);
}

void TKalveroForm::ImportCommand() {
    if (!fConfig) return;
    if (const auto chosen = AskOpenFile(
            this, DialogFolder(),
            "Текстовые данные (*.txt;*.csv;*.tsv;*.dat;*.asc;*.exp)|*.txt;*.csv;*.tsv;*.dat;*.asc;*.exp|"
            "Все файлы (*.*)|*"))
        ImportFile(chosen->fileName);
}

TImportDialog* TKalveroForm::ImportFile(const std::string& aFileName) {
    return ShowImportDialog(this, aFileName, [this](const TImportDialog& aDialog) {
        const std::optional<TImportedRun> run = aDialog.Result();
        if (!run) return;
        TfrmDataWindow* window = NewDataWindow();
        if (!window) return;
        try {
            window->LoadImported(*run, aDialog.FileName());
            UpdateSaveState();
        } catch (const std::exception& e) {
            ErrBox(fLogger.get(), kClassName, e.what());
            if (QMdiSubWindow* sub = SubWindowOf(window)) {
                window->SetClosingByMain(true);
                sub->close();
            }
        }
    });
}

void TKalveroForm::dragEnterEvent(QDragEnterEvent* aEvent) {
    if (aEvent->mimeData()->hasUrls()) aEvent->acceptProposedAction();
}

void TKalveroForm::dropEvent(QDropEvent* aEvent) {
    for (const QUrl& url : aEvent->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        const std::string file = S(url.toLocalFile());
        if (IsForeignDataFile(file)) {
            ImportFile(file);
        } else {
            OpenFile(file);
        }
    }
    aEvent->acceptProposedAction();
}

void TKalveroForm::OpenCommand() {
    if (!fConfig) return;
    if (const auto chosen = AskOpenFile(this, DialogFolder(), fConfig->workFileOpenFilter))
        OpenFile(chosen->fileName, chosen->filterIndex);
}

std::string TKalveroForm::SaveFilter() const {
    return fConfig->workFileSaveFilter +
           "|Графический файл BMP (*.bmp)|*.bmp|Графический файл TIFF (*.tiff)|*.tif|Текстовый файл "
           "(*.csv)|*.csv";
}

std::string TKalveroForm::DialogFolder() const {
    std::error_code ec;
    return std::filesystem::is_directory(fConfig->appUserDataPath, ec) ? fConfig->appUserDataPath : "";
}

void TKalveroForm::Save() {
    TfrmDataWindow* window = ActiveDataWindow();
    if (!window || !window->Experiment()) return;
    const TDataClass& d = window->DataClass();
    // An experiment saved before is saved again as an experiment, whatever was exported since.
    if (d.fWasSaved) {
        SaveTo(*window, d.fFileName, 1);
    } else {
        SaveWithDialog(*window);
    }
}

void TKalveroForm::SaveAs() {
    if (TfrmDataWindow* window = ActiveDataWindow(); window && window->Experiment()) SaveWithDialog(*window);
}

void TKalveroForm::SaveWithDialog(TfrmDataWindow& aWindow) {
    const auto chosen =
        AskSaveFile(this, DialogFolder(), S(aWindow.windowTitle()), SaveFilter(), fSaveFilterIndex);
    if (!chosen) return;
    fSaveFilterIndex = chosen->filterIndex;
    SaveTo(aWindow, chosen->fileName, chosen->filterIndex);
}

void TKalveroForm::SaveTo(TfrmDataWindow& aWindow, const std::string& aFileName, int aFilterIndex) {
    try {
        aWindow.SaveFile(aFileName, aFilterIndex);
        const TDataClass& d = aWindow.DataClass();
        if (aFilterIndex == 1 && d.fWasSaved && !d.fHasUnsavedChanges) aWindow.setWindowTitle(Q(d.fFileName));
    } catch (const std::exception& e) {
        ErrBox(fLogger.get(), kClassName, e.what());
    }
    UpdateSaveState();
}

std::vector<TfrmDataWindow*> TKalveroForm::DataWindows() const {
    std::vector<TfrmDataWindow*> windows;
    for (QMdiSubWindow* sub : fMdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* w = dynamic_cast<TfrmDataWindow*>(sub->widget()); w && w->Experiment())
            windows.push_back(w);
    }
    return windows;
}

std::vector<TDataClass*> TKalveroForm::AllExperiments() const {
    std::vector<TDataClass*> experiments;
    for (TfrmDataWindow* w : DataWindows())
        experiments.push_back(w->Experiment());
    return experiments;
}

TfrmDataWindow* TKalveroForm::ActiveDataWindow() const {
    QMdiSubWindow* sub = fMdiArea->activeSubWindow();
    if (!sub) sub = fMdiArea->currentSubWindow();
    auto* window = sub ? dynamic_cast<TfrmDataWindow*>(sub->widget()) : nullptr;
    return window && window->Experiment() ? window : nullptr;
}

QMdiSubWindow* TKalveroForm::SubWindowOf(const TfrmDataWindow* aWindow) const {
    for (QMdiSubWindow* sub : fMdiArea->subWindowList())
        if (sub->widget() == aWindow) return sub;
    return nullptr;
}

QAction* TKalveroForm::Command(const std::string& aCaption) const {
    for (QAction* action : findChildren<QAction*>())
        if (StripAccel(action->text()) == Q(aCaption)) return action;
    return nullptr;
}

void TKalveroForm::UpdateMenuState() {
    const bool any = !DataWindows().empty();
    for (QAction* action : fNeedWindow)
        action->setEnabled(any);
    UpdateSaveState();
}

void TKalveroForm::UpdateSaveState() {
    const TfrmDataWindow* window = ActiveDataWindow();
    fActions.at("save")->setEnabled(window && window->DataClass().fHasUnsavedChanges);
    UpdateEditMenu();
}

void TKalveroForm::UpdateEditMenu() {
    const TfrmDataWindow* window = ActiveDataWindow();
    // A run's experiment has no history until the run stops.
    const TEditHistory* history = window && !window->IsAcquiring() ? &window->DataClass().fHistory : nullptr;
    auto show = [this](const char* aRole, const std::string& aVerb, const std::string& aStep) {
        QAction* a = fActions.at(aRole);
        a->setText(Q(aStep.empty() ? aVerb : aVerb + " «" + aStep + "»"));
        a->setEnabled(!aStep.empty());
    };
    show("undo", "&Отменить", history ? history->UndoName() : "");
    show("redo", "&Повторить", history ? history->RedoName() : "");
    fActions.at("history")->setEnabled(window != nullptr);
}

void TKalveroForm::RunCalibrationDialog(TCalibrationTableType aKind) {
    gNeedRecalcCurveRealValues = false;
    ShowCalibrationDialog(*this, aKind, ActiveDataWindow());
    if (!gNeedRecalcCurveRealValues) return;
    for (TfrmDataWindow* w : DataWindows()) {
        if (w->IsAcquiring()) continue;
        // The new calibration is a step of each experiment's history.
        w->Edit("Пересчёт по градуировке", [w] { w->DataClass().FillTempValues(); });
        w->Redraw();
        w->Changed();
    }
    gNeedRecalcCurveRealValues = false;
}

std::string PluginListText(const TPluginUtil* aPluginUtil) {
    if (!aPluginUtil || aPluginUtil->PluginCount() == 0) return "Плагины не установлены";
    std::string text;
    for (int k = 0; k < aPluginUtil->PluginCount(); ++k) {
        if (k > 0) text += "\n";
        text += std::to_string(k + 1) + ". " + aPluginUtil->GetPluginName(k);
    }
    return text;
}

void TKalveroForm::ShowAbout() {
    auto* box = new QDialog(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle("О программе");
    auto* layout = new QVBoxLayout(box);
    auto* title = new QLabel(Q("<b>Kalvero</b> — система ДСК, версия " + ProductVersion()), box);
    auto* list = new QLabel(Q("Установленные плагины:\n" + PluginListText(fPluginUtil.get())), box);
    list->setObjectName("pluginList");
    list->setAccessibleName("Установленные плагины");
    layout->addWidget(title);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, box);
    connect(buttons, &QDialogButtonBox::accepted, box, &QDialog::accept);
    layout->addWidget(buttons);
    box->setModal(true);
    box->open();  // modal without blocking the caller
}

void TKalveroForm::SetRunActive(bool aActive) {
    // What must not change under a running acquisition: the settings and the tables.
    for (const char* role : {"appSettings", "devSettings", "tempTable", "diffTable", "heatTable", "tables"})
        fActions.at(role)->setEnabled(!aActive);
}

void TKalveroForm::OfferRecoveredRuns() {
    if (!fConfig) return;
    for (const RRecoveredRun& run : FindRecoveredRuns(fConfig->fProgramDataPath)) {
        const std::string name =
            run.fileName.empty() ? "без имени" : std::filesystem::path(run.fileName).filename().string();
        const std::string question = "Эксперимент \"" + name + "\" (запись начата " +
                                     DateTimeToStr(run.started) +
                                     ") не был сохранён: работа программы прервалась. Сохранилось " +
                                     std::to_string(run.items) + " точек (" + FormatFixed(run.Seconds(), 1) +
                                     " сек.). Восстановить его? При ответе \"Нет\" эти данные будут удалены.";
        if (!MsgBoxYN(question)) {
            DiscardRecoveredRun(run);
            continue;
        }
        TfrmDataWindow* window = NewDataWindow();
        if (!window) return;
        try {
            LoadRecoveredRun(run, window->DataClass());
            // The caption the run's window had: its experiment's file.
            window->setWindowTitle(
                Q(window->DataClass().fFileName.empty() ? name : window->DataClass().fFileName));
            window->RefreshAfterRun();
        } catch (const std::exception& e) {
            ErrBox(fLogger.get(), kClassName, e.what());
        }
    }
    UpdateMenuState();
}

void TKalveroForm::ShowPluginHelp(int aPluginIndex) {
    TPlugin* plugin = fPluginUtil ? fPluginUtil->GetPluginByIdx(aPluginIndex) : nullptr;
    if (plugin) ShowHelpBook(this, plugin->PluginHelpFileName());
}

void TKalveroForm::closeEvent(QCloseEvent* aEvent) {
    if (gMustCloseApplication) {
        aEvent->accept();
        return;
    }
    try {
        // A run ends with the program: it is stopped (the heater goes off) and its result is
        // asked about like any unsaved experiment.
        if (fScanControl && fScanControl->IsRunActive()) fScanControl->Stop();
        const std::vector<TfrmDataWindow*> windows = DataWindows();
        const bool unsaved = std::any_of(windows.begin(), windows.end(), [](const TfrmDataWindow* w) {
            return w->DataClass().fHasUnsavedChanges;
        });
        if (unsaved && !MsgBoxYN("В программе есть несохранённые данные. Вы уверены что хотите выйти?")) {
            aEvent->ignore();
            return;
        }
        gCanCloseApplication = true;
        for (TfrmDataWindow* w : windows)
            w->SetClosingByMain(true);
        // From the last window to the first; the first that refuses keeps the program open.
        for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
            if (QMdiSubWindow* sub = SubWindowOf(*it)) sub->close();
            if (!gCanCloseApplication) break;
        }
        if (!gCanCloseApplication) {
            for (TfrmDataWindow* w : DataWindows())
                w->SetClosingByMain(false);
            aEvent->ignore();
            return;
        }
    } catch (const std::exception& e) {
        ErrBox(fLogger.get(), kClassName, e.what());
        aEvent->ignore();
        return;
    }
    aEvent->accept();
}

}  // namespace kalvero::app
