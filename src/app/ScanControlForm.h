#pragma once
// TfrmScanControlForm ("Сканирование"): where the operator runs an experiment into the
// experiment of a data window — start, pause and continue with one button, stop, reset, the
// heating rate, the instrument control mode, the action after the program, recording into a new
// channel, the zero-line correction, the heater and the state line, and the heating program.
// One window serves the whole program; it presents the run control of the library and two
// timers: the draw timer (100 ms) paints the new samples through the surface's try-lock and the
// live values, the interface timer (1 s) follows the state and the end of the program.

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

namespace kalvero {
class TScanRunControl;
class TDataClass;
}  // namespace kalvero

namespace kalvero::app {

class TfrmDataWindow;
class TScanProgramPanel;
class Tfrm_DigitalPortDebug;

class TfrmScanControlForm : public QWidget {
public:
    // Made once, hidden, by the main window (aMain: the window it stands over).
    explicit TfrmScanControlForm(QWidget* aMain);
    ~TfrmScanControlForm() override;
    // The window of the program run; null before it is made and after it is gone.
    static TfrmScanControlForm* Instance();

    // Attaches the window to an experiment and its data window (nulls detach it).
    void Init(TDataClass* aDataClass, TfrmDataWindow* aDataWindow);
    bool SameDataClass(const TDataClass* aDataClass) const;
    TfrmDataWindow* DataWindow() const { return fDataWindow; }
    TScanRunControl& Control() { return *fControl; }
    // A run (running or paused) is in progress.
    bool IsRunActive() const;
    void DisableView();
    void EnableView();
    void UpdateUI();

    // The commands of the buttons.
    void StartPauseContinue();
    void Stop();
    void Reset();
    void ToggleProgramPanel(bool aShow);
    // The timers' work (the timers call them; so may a scripted run).
    void DrawTick();
    void InterfaceTick();

    // The main window's buttons that must rest during a run.
    std::function<void(bool aRunActive)> onRunStateChanged;

    QString StateLine() const;
    QString StartCaption() const;
    TScanProgramPanel& ProgramPanel() const { return *fProgramPanel; }

protected:
    void closeEvent(QCloseEvent* aEvent) override;

private:
    void Build();
    void FillChoices();
    void AfterRunStopped();
    void RefreshDataWindow();
    void DrawLiveValues(TDataClass& aData);
    void SetZeroOffset(int aValue);
    void RunStateChanged();

    std::unique_ptr<TScanRunControl> fControl;
    TDataClass* fDataClass = nullptr;
    QPointer<TfrmDataWindow> fDataWindow;
    bool fDisabledView = false;
    bool fFilling = false;  // controls are being filled: their handlers do nothing
    int fLiveWidth = 0;     // widest live-value line drawn in this run

    QPushButton* fStart = nullptr;
    QPushButton* fStop = nullptr;
    QPushButton* fReset = nullptr;
    QPushButton* fClose = nullptr;
    QPushButton* fHelp = nullptr;
    QPushButton* fProgramToggle = nullptr;
    QPushButton* fDebug = nullptr;
    QComboBox* fHeatSpeed = nullptr;
    QComboBox* fControlMode = nullptr;
    QComboBox* fPostAction = nullptr;
    QCheckBox* fNewChannel = nullptr;
    QSpinBox* fZeroOffset = nullptr;
    QPushButton* fZeroReset = nullptr;
    QLabel* fHeater = nullptr;
    QLabel* fState = nullptr;
    std::vector<QWidget*> fUpperPart;
    TScanProgramPanel* fProgramPanel = nullptr;
    Tfrm_DigitalPortDebug* fPortWindow = nullptr;
    QTimer* fDrawTimer = nullptr;
    QTimer* fInterfaceTimer = nullptr;
};

}  // namespace kalvero::app
