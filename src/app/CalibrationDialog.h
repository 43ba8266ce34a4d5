#pragma once
// TCalibrationFrm ("Калибровочные данные"): the dialog in which the operator builds and stores the
// calibration tables, one page per table. It edits the process-wide table of its page in place:
// "&Расчёт" calculates it from the point grid (through a copy, so a failure leaves the table in
// force as it was) and "Сохранить" writes it as a table file. A table that was calculated is used
// by the whole program at once (gNeedRecalcCurveRealValues tells the main window to refresh
// every open experiment when the dialog closes); saving is never automatic.

#include <QDialog>

#include <functional>
#include <string>

#include "calibration/CommonCalibration.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;

namespace kalvero {
class TCalibrationTable;
}

namespace kalvero::app {

class TCalibrationChart;
class TPointGrid;
class TfrmDataWindow;

class TCalibrationFrm : public QDialog {
public:
    // aTable: the process-wide table to show first. aActive: the data window whose experiment
    // "&Получить данные" measures (null: none). aRunInProgress: whether a run writes into an
    // experiment now, during which the tables it converts through are not recalculated.
    TCalibrationFrm(QWidget* aParent, TCalibrationTable* aTable, TfrmDataWindow* aActive,
                    std::function<bool()> aRunInProgress = {});
    ~TCalibrationFrm() override;

    TCalibrationTable* CurrentTable() const { return fCurrentTable; }
    TPointGrid& Grid() const { return *fGrid; }
    TCalibrationChart& Chart() const { return *fChart; }

    // The commands of the buttons. Calculate returns whether the table was calculated.
    bool Calculate();
    void Save();
    void GetData();
    void AddRow();
    void DeleteRow();

protected:
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;

private:
    void Build();
    QWidget* BuildHeatPanel();
    void BuildPages();
    void SelectPage(int aIndex);
    // Shows the table (caption, description, method, panels, grid, chart) and marks it calculated.
    void Fill();
    void FillMethods();
    void SetPending(bool aPending);
    void MethodChosen();
    void CalculateKind();
    bool RefuseWhileRunning();
    TCalibrationTableType PageKind() const;
    TInterpolationType ChosenMethod() const;

    TCalibrationTable* fCurrentTable;
    TfrmDataWindow* fActive;
    std::function<bool()> fRunInProgress;
    bool fFilling = false;
    const QEvent* fLastKey = nullptr;  // a key event is seen once, however far it propagates

    QTabBar* fPages = nullptr;
    QLineEdit* fDescription = nullptr;
    TPointGrid* fGrid = nullptr;
    QWidget* fAutoPanel = nullptr;
    QWidget* fHeatPanel = nullptr;
    QGroupBox* fAdditional = nullptr;
    QCheckBox* fMarginPoints = nullptr;
    QCheckBox* fUseTunePoint = nullptr;
    QLineEdit* fTuneMass = nullptr;
    QLineEdit* fTuneTransTemp = nullptr;
    QLineEdit* fTuneDh = nullptr;
    QLineEdit* fTuneArea = nullptr;
    QLineEdit* fTuneFactor = nullptr;
    QLabel* fMethodLabel = nullptr;
    QComboBox* fMethod = nullptr;
    TCalibrationChart* fChart = nullptr;
    QPushButton* fCalcButton = nullptr;
    QCheckBox* fRecalcBase = nullptr;
};

}  // namespace kalvero::app
