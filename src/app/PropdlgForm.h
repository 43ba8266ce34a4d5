#pragma once
// TPropdlgForm, "Свойства эксперимента": the operator, laboratory, sample, date, mass, heating
// rate, description and per-experiment scales of the active data window's experiment. New names
// join the word lists of the configuration, which are stored at once.

#include <QDialog>

#include "data/ExperimentProperties.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimeEdit;

namespace kalvero::app {

class TfrmDataWindow;

class TPropdlgForm : public QDialog {
public:
    explicit TPropdlgForm(TfrmDataWindow& aWindow);

    // "OK": applies (an error is shown and logged and ends the assignments there), recalculates
    // and redraws the window, closes.
    void Apply();

private:
    void Fill();
    RPropertiesForm Read() const;

    TfrmDataWindow& fWindow;
    QComboBox *fOperator = nullptr, *fLaboratory = nullptr, *fSample = nullptr, *fHeatSpeed = nullptr;
    QDateEdit* fDate = nullptr;
    QTimeEdit* fTime = nullptr;
    QLineEdit *fMass = nullptr, *fFrequency = nullptr;
    QPlainTextEdit* fDescription = nullptr;
    QComboBox *fTimeScale = nullptr, *fTempScale = nullptr, *fDiffScale = nullptr, *fAreaScale = nullptr;
    QLabel* fRanges[4] = {};
};

}  // namespace kalvero::app
