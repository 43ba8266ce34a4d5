#pragma once
// TKalveroForm: the frame of the desktop program, a multi-document window whose children are data
// windows (one experiment each). It owns the start-up sequence and the process-wide objects (the
// progress window, configuration, log, the three calibration tables, the plug-in host), the file
// commands, the calibration and settings commands, help and the window arrangements.

#include <QMainWindow>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/Config.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;

namespace kalvero {
class TAppConfig;
class TLogger;
class TPluginUtil;
class TUiHooks;
class TDataClass;
}  // namespace kalvero

namespace kalvero::app {

class TfrmDataWindow;
class TImportDialog;
class TQtUiHooks;
class TfrmScanControlForm;
class TSubsctractionForm;
class TUpdateCheck;

struct TStartOptions {
    std::string applicationPath;  // the program's folder (with the plug-ins folder beside it)
    std::string programDataPath;  // empty: KALVERO_DATA_DIR, else the per-user data folder
    std::string fileArgument;     // the first command-line argument: an experiment to open
};

class TKalveroForm : public QMainWindow {
public:
    explicit TKalveroForm(const TStartOptions& aOptions);
    ~TKalveroForm() override;

    // The start-up failed (the settings could not be read): the program ends at once, saving
    // nothing.
    bool StartUpFailed() const;
    // Shows the window where the settings placed it, in their window state.
    void ShowAsConfigured();

    // A new, empty data window, maximised.
    TfrmDataWindow* NewDataWindow();
    // A new window with the file loaded; an error is shown and logged and the window closed.
    TfrmDataWindow* OpenFile(const std::string& aFileName, int aFilterIndex = 1);
    // Another start of the program handed over aFileName (empty: none): the window is restored
    // and raised, and an existing file opens in a new data window.
    void TakeHandOver(const std::string& aFileName);
    std::vector<TfrmDataWindow*> DataWindows() const;
    TfrmDataWindow* ActiveDataWindow() const;
    QMdiArea& MdiArea() const { return *fMdiArea; }
    TPluginUtil* PluginUtil() const { return fPluginUtil.get(); }
    TQtUiHooks& UiHooks() const { return *fUiHooks; }
    TfrmScanControlForm& ScanControl() const { return *fScanControl; }
    TSubsctractionForm& SubtractionForm() const { return *fSubtraction; }
    // Runs cut short by a crash, found in the recovery folder: each offered back as an unsaved
    // experiment, or given up.
    void OfferRecoveredRuns();
    // A command of the menus or the tool bar by its caption (without "&" marks); null when absent.
    QAction* Command(const std::string& aCaption) const;

    // The file commands.
    void OpenCommand();
    // "Импорт данных...": a text export chosen, shown in the import dialog, imported into a new
    // window; a file dropped on the window goes the same way (an experiment file opens at once).
    void ImportCommand();
    TImportDialog* ImportFile(const std::string& aFileName);
    void Save();
    void SaveAs();
    // Enables Close, Save, Save as, the arrangements, preview and print as the windows are.
    void UpdateMenuState();

protected:
    void closeEvent(QCloseEvent* aEvent) override;
    void showEvent(QShowEvent* aEvent) override;
    void dragEnterEvent(QDragEnterEvent* aEvent) override;
    void dropEvent(QDropEvent* aEvent) override;

private:
    void StartUp(const TStartOptions& aOptions);
    void BuildMenus();
    void AddAboutItem();
    void PlaceWindow();
    void LoadPlugins();
    void AddPluginItems();
    void UpdateSaveState();
    // "Отменить «step»" and "Повторить «step»" of the active experiment's history.
    void UpdateEditMenu();
    void SaveWithDialog(TfrmDataWindow& aWindow);
    void SaveTo(TfrmDataWindow& aWindow, const std::string& aFileName, int aFilterIndex);
    void RunCalibrationDialog(TCalibrationTableType aKind);
    void ShowAbout();
    void ShowPluginHelp(int aPluginIndex);
    void SetRunActive(bool aActive);
    std::string NewExperimentName() const;
    std::string SaveFilter() const;
    std::string DialogFolder() const;
    std::vector<TDataClass*> AllExperiments() const;
    QMdiSubWindow* SubWindowOf(const TfrmDataWindow* aWindow) const;

    std::shared_ptr<TQtUiHooks> fUiHooks;
    std::shared_ptr<TUiHooks> fPreviousHooks;
    std::unique_ptr<TAppConfig> fConfig;
    std::unique_ptr<TLogger> fLogger;
    std::unique_ptr<TPluginUtil> fPluginUtil;
    std::string fFileArgument;
    std::string fHelpFileName;
    bool fShownOnce = false;
    int fSaveFilterIndex = 1;

    QMdiArea* fMdiArea = nullptr;
    QMenu* fFileMenu = nullptr;
    QMenu* fSettingsMenu = nullptr;
    QMenu* fWindowMenu = nullptr;
    QMenu* fHelpMenu = nullptr;
    QAction* fExitDivider = nullptr;
    QAction* fTempTableItem = nullptr;
    QAction* fDiffTableItem = nullptr;
    QAction* fHeatTableItem = nullptr;
    std::map<std::string, QAction*> fActions;  // by role
    std::vector<QAction*> fNeedWindow;         // enabled only with a child window
    QTimer* fSaveTimer = nullptr;
    TfrmScanControlForm* fScanControl = nullptr;
    TSubsctractionForm* fSubtraction = nullptr;
    TUpdateCheck* fUpdateCheck = nullptr;  // the week's check for a newer version, when due
};

// Where the main window goes: the stored place and size, or, without one (left -1), centred
// horizontally with its top at (screen height − height) / 2.3 in aDefault's size.
QRect MainWindowPlacement(const QRect& aScreen, const TAppConfig& aConfig, const QSize& aDefault);

// The about box's list of plug-ins: "1. Kinetics" per line, or "Плагины не установлены".
std::string PluginListText(const TPluginUtil* aPluginUtil);

}  // namespace kalvero::app
