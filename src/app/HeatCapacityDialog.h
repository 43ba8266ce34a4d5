#pragma once
// "Теплоёмкость (сапфир)": the specific heat capacity of a sample by the sapphire ratio method
// (ASTM E1269, ISO 11357-4) or, without a reference, directly from its heat flow. The operator
// chooses the sample's, the reference's and the blank's runs among the open data windows or from
// files, their masses, the reference's cp table, the range and the temperatures of the table; the
// dialog shows the three runs on one plot against temperature with the range marked. "Рассчитать"
// runs the library's evaluation, fills the table and the warnings and opens the cp curve in a data
// window of its own.

#include <QDialog>
#include <QPointer>

#include <optional>
#include <string>
#include <vector>

#include "app/RunSources.h"
#include "evaluation/HeatCapacity.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTableWidget;

namespace kalvero::app {

class TKalveroForm;
class TfrmDataWindow;

class THeatCapacityDialog : public QDialog {
public:
    explicit THeatCapacityDialog(TKalveroForm& aMain);
    ~THeatCapacityDialog() override;

    TRunSources& Sources() { return fSources; }
    // Adds a run read from a file to the lists; its index among the sources.
    int AddFile(const std::string& aFileName);
    // Chooses the runs by their index among the sources (-1: none; the sample needs one).
    void ChooseRuns(int aSample, int aReference, int aBlank);
    // Computes cp from the choices; false (the error shown and listed) when nothing was computed.
    bool Calculate();
    const std::optional<evaluation::RHeatCapacity>& Result() const { return fResult; }
    TfrmDataWindow* ResultWindow() const { return fResultWindow; }
    // Draws the chosen runs again.
    void RedrawRuns();

private:
    void FillLists();
    void AddToLists(int aSource);
    void RunChosen(QComboBox* aList, QLineEdit* aMass);
    void ChooseTable();
    int Chosen(const QComboBox* aList) const;
    evaluation::TCpOptions Options() const;
    void ShowResult(const evaluation::RHeatCapacity& aResult);

    TKalveroForm& fMain;
    TRunSources fSources;
    std::vector<std::string> fTables;  // "" for the shipped sapphire, else a table file
    QComboBox* fSample;
    QComboBox* fReference;
    QComboBox* fBlank;
    QComboBox* fTable;
    QLineEdit* fSampleMass;
    QLineEdit* fReferenceMass;
    QLineEdit* fFrom;
    QLineEdit* fTo;
    QLineEdit* fAt;
    QLabel* fPlot;
    QLabel* fSummary;
    QTableWidget* fValues;
    QListWidget* fWarnings;
    std::optional<evaluation::RHeatCapacity> fResult;
    QPointer<TfrmDataWindow> fResultWindow;
};

// Opens the dialog over the main window (modal, freed when it closes).
THeatCapacityDialog* ShowHeatCapacityDialog(TKalveroForm& aMain);

}  // namespace kalvero::app
