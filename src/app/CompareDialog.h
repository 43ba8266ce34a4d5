#pragma once
// "Сравнить": several runs on one plot. The operator ticks runs among the open data windows or adds
// files, chooses the axis (temperature or time), the normalisation to mass and a vertical offset
// between the curves; "Сравнить" opens the comparison experiment (RunComparison.h) in a data window
// of its own, where each run is a channel with its colour and its legend entry and any of them,
// made the main channel, is evaluated with the usual tools.

#include <QDialog>
#include <QPointer>

#include <string>

#include "app/RunSources.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace kalvero::app {

class TKalveroForm;
class TfrmDataWindow;

class TCompareDialog : public QDialog {
public:
    explicit TCompareDialog(TKalveroForm& aMain);
    ~TCompareDialog() override;

    // Adds a run read from a file, ticked.
    void AddFile(const std::string& aFileName);
    // Makes the comparison window of the ticked runs; false (the error shown) when none was made.
    bool Compare();
    TfrmDataWindow* ResultWindow() const { return fResultWindow; }

private:
    void AddRun(int aSource);

    TKalveroForm& fMain;
    TRunSources fSources;
    QListWidget* fRuns;
    QComboBox* fAxis;
    QCheckBox* fPerMass;
    QLineEdit* fOffset;
    QPointer<TfrmDataWindow> fResultWindow;
};

// Opens the dialog over the main window (modal, freed when it closes).
TCompareDialog* ShowCompareDialog(TKalveroForm& aMain);

}  // namespace kalvero::app
