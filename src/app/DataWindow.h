#pragma once
// TfrmDataWindow: the child window that shows one experiment and where the operator processes
// it. It owns the experiment, the drawing surface the experiment draws itself on and the peak
// detector. Most commands are two-phase: a tool puts the window into a work mode, and the next
// gesture on the plot (a click, a dragged rectangle or a dragged vertical strip) gives the
// position or range the command runs on. The processing itself is the library's; the window
// turns gestures into items and readings and shows the result.

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ToolIcons.h"
#include "data/DataClass.h"
#include "graphics/PlotInteraction.h"
#include "import/ImportedRun.h"
#include "methods/MethodApply.h"
#include "processing/Peak.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QDockWidget;
class QLabel;
class QMenu;
class QScrollBar;
class QToolButton;

namespace kalvero {
class TDataCanvas;
class TPeakUtils;
class TPluginUtil;
}  // namespace kalvero

namespace kalvero::app {

class TPlotView;
class TChannelPanel;
class TMarkerList;
class TResultsList;
class THistoryDialog;
class TReportPreview;

enum TWorkMode : uint8_t {
    WM_NONE = 0,
    WM_ZOOM,
    WM_DEFINE_INFOPOINT,
    WM_DELETE_INFOPOINT,
    WM_DEFINE_TANGENT,
    WM_DEFINE_TANGENT2,
    WM_DELETE_TANGENT,
    WM_DEFINE_PEAK,
    WM_DELETE_PEAK,
    WM_SMOOTH_BEZIE,
    WM_SMOOTH_AVERAGE,
    WM_SMOOTH_MEDIAN,
    WM_LINE_INTERPOLATION,
    WM_FIRST_DERIVATIVE,
    WM_SECOND_DERIVATIVE,
    WM_MODIFY,
    WM_CALC_INFO,
    WM_CUT_DATA,
    WM_DETECT_PEAKS,
    WM_SELECT_FOR_MOVE,
    WM_DEBUG,
    WM_GLASS_TRANSITION
};

class TfrmDataWindow : public QMainWindow {
public:
    explicit TfrmDataWindow(QWidget* aParent = nullptr);
    ~TfrmDataWindow() override;

    // Prepares the window for a new experiment named aFileName; aPluginUtil (not owned, may be
    // null) gives the plot menu its plug-in commands.
    void Init(const std::string& aFileName, TPluginUtil* aPluginUtil);
    // Loads an experiment file into channel 0 (errors propagate to the caller, who shows them).
    void LoadFile(const std::string& aFileName, int aFilterIndex);
    // Makes the experiment of a run imported from aSourceFile (an unsaved experiment named after
    // it, to be saved as an experiment file); errors propagate, the experiment then as it was.
    void LoadImported(const TImportedRun& aRun, const std::string& aSourceFile);
    // aFilterIndex: 1 experiment file, 2 BMP picture, 3 TIFF picture, 4 text export.
    void SaveFile(const std::string& aFileName, int aFilterIndex);

    TPeakUtils* GetPeakUtils() const { return fPeakUtils.get(); }
    TDataClass& DataClass() const { return *fDataClass; }
    // Null once the window has closed (it is deleted a moment later).
    TDataClass* Experiment() const { return fDataClass.get(); }
    TDataCanvas& Canvas() const { return *fDataCanvas; }
    TPlotView& Plot() const { return *fPlot; }

    void UpdateButtons();
    void UpdateChannels();
    void UpdateViewModeMenu();
    void UpdatePluginMenu(bool aMouseInsidePeak);
    void UpdateScrollBars();
    // Draws the experiment into the picture and shows it; a drawing error is shown and logged.
    void Redraw();
    void SetViewMode(TCurveMode aMode);
    void ResetTools();
    // After a run started, stopped or was reset, or after the experiment was filled from outside
    // (a recovered run): margins, picture, commands, channels.
    void RefreshAfterRun();

    // The window is closed by the main window, which has asked about unsaved data already.
    void SetClosingByMain(bool aValue) { fClosingByMain = aValue; }
    // A run writes into this window's experiment.
    bool IsAcquiring() const;
    // Shows the refusal and returns true when a run writes into the experiment: the commands
    // that reallocate it (cutting, channel operations, loading channels) call it first.
    bool RefuseWhileAcquiring();

    int EditPeakNumber() const { return fEditPeakNumber; }
    TWorkMode WorkMode() const { return fWorkMode; }
    TModifyMode ModifyMode() const { return fModifyMode; }
    int CurrentChannel() const { return currentChannelTab; }
    void SetCurrentChannel(int aChannel);
    // The first status panel (the curve under the mouse) and the second (state of the window).
    QString StatusCoordinates() const;
    QString StatusState() const;

    // The experiments of every open data window, for plug-in commands.
    std::function<std::vector<TDataClass*>()> allExperiments;
    // Called after every command that may have changed the experiment (the main window's Save).
    std::function<void()> onChanged;

    // Runs aWork, a command that changes the experiment, as the step aStep of its history (an
    // empty name, or a run recording into the experiment: no step). Errors propagate.
    void Edit(const std::string& aStep, const std::function<void()>& aWork);
    // The history's steps undone, redone, or undone or redone until aPosition steps are in force;
    // refused while a run records.
    void UndoStep();
    void RedoStep();
    void GoToStep(size_t aPosition);
    // "История правки...": the list of the steps, one per window, kept up to date while open.
    THistoryDialog* ShowHistory();
    THistoryDialog* HistoryDialog() const;

    // After a command changed the experiment: the results, the main window's Save and Edit menus.
    void Changed();

    // The curve shifts of the channel panel: over the whole curve or over the selected part.
    void ShiftCurve(int aVertSteps, int aHorSteps);
    void SetShiftWholeCurve(bool aWhole);
    void ToggleChannelPanel(bool aShow);
    void ShowMarkerList(bool aShow);
    void ShowResults(bool aShow);
    TResultsList& Results() const { return *fResultsList; }
    // The effects' labels on the plot, and the bands of the program's segments.
    void ShowEffectLabels(bool aShow);
    void ShowSegments(bool aShow);
    void LoadExtraChannels();
    // Runs command aCommand of plug-in aPluginIndex on this experiment (and hands it every open
    // one), then redraws; an error is shown and logged.
    void RunPluginCommand(int aPluginIndex, const std::string& aCommand);

    // The standards' evaluations (DataWindowEvaluations.cpp). Peak aIndex (from 0) of the
    // experiment, or null; the peak the last right click was in (EditPeakNumber), or null.
    TPeak* PeakAt(int aIndex) const;
    TPeak* EditedPeak() const { return PeakAt(fEditPeakNumber - 1); }
    // The peak's base line of another kind; its area, heat and temperatures follow.
    void SetPeakBaseLine(TPeakBaseLineKind aKind);
    // α and dα/dt of the peak as two new channels.
    void AddConversionChannels();
    // The evaluations changed (kept, removed, their stretches moved; a step of the history): the
    // picture and the results follow.
    void EvaluationsChanged();

    // Methods and reports (DataWindowMethods.cpp): the experiment's evaluations saved as a method
    // file (the limits of the method applied last kept), a method file applied to it, and its
    // report in a preview window. SaveMethod opens "Методика" for the name and the limits, whose
    // "Сохранить..." calls SaveMethodAs: the file asked for and written (false: not saved).
    void SaveMethod();
    bool SaveMethodAs(methods::TMethod aMethod);
    void ApplyMethodFile();
    void ShowReport();
    // The report window last opened, while it is open.
    TReportPreview* ReportWindow() const;
    // The verdicts of the method applied last while the experiment is in the state the method
    // left (undone or edited since: null; redone back to it: the run again).
    const methods::TMethodRun* MethodRun() const;

protected:
    void closeEvent(QCloseEvent* aEvent) override;
    void keyPressEvent(QKeyEvent* aEvent) override;
    void showEvent(QShowEvent* aEvent) override;

private:
    // Building (DataWindowUi.cpp).
    void BuildActions();
    void BuildToolBar();
    void BuildPlotArea();
    void BuildPlotMenu();
    void BuildViewOptions();
    void BuildDocks();
    void AddPluginMenuItems();
    void AddPeakMenuItems();
    QAction* Tool(const std::string& aCaption, TToolIcon aIcon, TWorkMode aWork, TModifyMode aGesture,
                  const std::string& aHint = "");
    QAction* PlotMenuTool(const std::string& aCaption, TWorkMode aWork);

    // Mouse (DataWindowMouse.cpp).
    void MouseDown(Qt::MouseButton aButton, QPoint aPos);
    void MouseMove(Qt::MouseButtons aButtons, QPoint aPos);
    void MouseUp(Qt::MouseButton aButton, QPoint aPos);
    void FindObjectUnderMouse(QPoint aPos);
    void ShowCursorInfo(QPoint aPos);
    void RightClick(QPoint aPos);
    void DropObject(QPoint aPos);
    void BoxSelected(QPoint aPos);
    void StripSelected(QPoint aPos);
    void LineClicked(QPoint aPos);
    void ChooseTool(QAction* aAction, TWorkMode aWork, TModifyMode aGesture, bool aChecked);
    QRect GraphRect() const;
    bool PeakUnderItem(int aItem, int& aPeak) const;

    // Commands (DataWindowCommands.cpp).
    void RunStripCommand();
    void DetectAllPeaks();
    void DeletePeak();
    void UndoLastAction();
    void RedrawCommand();
    void SetOption(bool& aOption, bool aValue);
    void SetBubbleStyle(bool aList);

    // After the history moved: the experiment as that step left it.
    void ShowHistoryStep();
    // Shows the method's verdicts in the results dock while they hold.
    void ShowMethodRun();

    void ResizePlot(QSize aSize);
    // After the experiment was filled anew (a file loaded, a run imported): the whole view, the
    // window's title, commands and channels.
    void ShowNewContent(const std::string& aTitle);
    void ResetMargins(bool aCheckRanges);
    // Margins reset, tools released, the picture drawn anew, commands and scroll bars refreshed.
    void ShowWholeView(bool aCheckRanges);

    // Window state, as the tools use it.
    TWorkMode fWorkMode = WM_NONE, fOldWorkMode = WM_NONE;
    TModifyMode fModifyMode = MM_NONE, fOldModifyMode = MM_NONE;
    int currentX = 0, currentY = 0;    // where the button went down
    int currentX1 = 0, currentX2 = 0;  // first and last item of the last strip
    int oldX = 0, oldY = 0;            // the rubber band's last position
    bool fNotClearPrevSelectLine = false;
    TScreenCoord currentEditCoord;
    int currentChannelTab = 0;
    int32_t fVertShiftIncrement = 1, fHorShiftIncrement = 1;
    // Freed in the reverse order: the detector, the experiment, its surface.
    std::unique_ptr<TDataCanvas> fDataCanvas;
    std::unique_ptr<TDataClass> fDataClass;
    std::unique_ptr<TPeakUtils> fPeakUtils;
    TPluginUtil* fPluginUtil = nullptr;
    int fEditPeakNumber = 0;
    bool fDisableAllEvents = false;
    bool fClosingByMain = false;
    bool fMouseInsidePeak = false;
    bool fLeftDown = false;
    bool fShiftWhole = true;
    bool fPlotMenuEnabled = true;  // the view mode allows the plot-menu commands

    // Widgets and commands.
    TPlotView* fPlot = nullptr;
    QScrollBar* fHorzBar = nullptr;
    QScrollBar* fVertBar = nullptr;
    QLabel* fStatusCoords = nullptr;
    QLabel* fStatusState = nullptr;
    QToolButton* fAxisButton = nullptr;
    QMenu* fViewModeMenu = nullptr;
    QMenu* fPlotMenu = nullptr;
    QDockWidget* fChannelDock = nullptr;
    QDockWidget* fMarkerDock = nullptr;
    QDockWidget* fResultsDock = nullptr;
    TChannelPanel* fChannelPanel = nullptr;
    TMarkerList* fMarkerList = nullptr;
    TResultsList* fResultsList = nullptr;
    std::optional<methods::TMethod> fMethod;
    std::optional<methods::TMethodRun> fMethodRun;
    uint64_t fMethodRunState = 0;  // the history's state the run was made in
    QPointer<TReportPreview> fReportPreview;
    QCheckBox* fGridBox = nullptr;
    QCheckBox* fObjectsBox = nullptr;
    QCheckBox* fBubbleStyleBox = nullptr;

    struct RViewModeItem {
        QAction* action;
        TCurveMode view, scan;
    };
    std::vector<RViewModeItem> fViewModeItems;
    // The tools (checkable), every command by role, the plot-menu items.
    std::vector<QAction*> fTools;
    std::map<std::string, QAction*> fCommands;
    std::vector<QAction*> fPlotMenuItems;
    struct RPluginItem {
        QAction* action;
        int pluginIndex;
        bool insidePeakOnly;
    };
    std::vector<RPluginItem> fPluginItems;
    QAction* fDeletePeakItem = nullptr;
    // The plot-menu items on the peak under the right click, enabled only there; the base-line
    // kinds in their order (TPeakBaseLineKind).
    std::vector<QAction*> fPeakItems;
    std::vector<QAction*> fBaseLineItems;
    QPointer<THistoryDialog> fHistoryDialog;

    friend class TChannelPanel;
};

// The names of the history's steps: a strip command's (empty for the view's commands) and a
// dragged object's.
const char* StripStepName(TWorkMode aMode);
const char* DropStepName(TCutLineType aObject);

// Command names of the window (the keys of its command table), for the places that enable them.
namespace cmd {
inline constexpr const char* kZoom = "zoom";
inline constexpr const char* kMarkerSet = "markerSet";
inline constexpr const char* kMarkerDelete = "markerDelete";
inline constexpr const char* kMarkerList = "markerList";
inline constexpr const char* kResults = "results";
inline constexpr const char* kEffectLabels = "effectLabels";
inline constexpr const char* kSegments = "segments";
inline constexpr const char* kTangent1 = "tangent1";
inline constexpr const char* kTangent2 = "tangent2";
inline constexpr const char* kTangentDelete = "tangentDelete";
inline constexpr const char* kDetectAll = "detectAll";
inline constexpr const char* kDetectRange = "detectRange";
inline constexpr const char* kStatistics = "statistics";
inline constexpr const char* kUndo = "undo";
inline constexpr const char* kRedraw = "redraw";
inline constexpr const char* kScan = "scan";
inline constexpr const char* kSubtract = "subtract";
inline constexpr const char* kExcel = "excel";
inline constexpr const char* kProperties = "properties";
inline constexpr const char* kOpenChannel = "openChannel";
inline constexpr const char* kChannelPanel = "channelPanel";
inline constexpr const char* kManualPeak = "manualPeak";
inline constexpr const char* kDeletePeak = "deletePeak";
inline constexpr const char* kGlassTransition = "glassTransition";
inline constexpr const char* kConversion = "conversion";
inline constexpr const char* kPurity = "purity";
inline constexpr const char* kCrystallinity = "crystallinity";
inline constexpr const char* kWidenX = "widenX";
inline constexpr const char* kNarrowX = "narrowX";
inline constexpr const char* kWidenY = "widenY";
inline constexpr const char* kNarrowY = "narrowY";
}  // namespace cmd

}  // namespace kalvero::app
