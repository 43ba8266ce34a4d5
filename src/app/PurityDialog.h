#pragma once
// "Чистота (Вант-Гофф)": the purity of a melting peak by ASTM E928. The operator gives the molar
// mass of the main component and, when known, the slope of a pure metal's leading edge; the dialog
// shows the van't Hoff plot (sample temperature over 1/F, the points before and after the
// linearising correction and the line fitted through the corrected ones) and the results, and keeps
// the evaluation with the experiment on request. The library computes (PeakEvaluation.h).

#include <QDialog>

#include <optional>
#include <string>

#include "evaluation/Purity.h"

class QLabel;
class QLineEdit;

namespace kalvero::app {

class TfrmDataWindow;
class TCalibrationChart;

class TPurityDialog : public QDialog {
public:
    // aPeak: the peak's index in the experiment's collection. A purity kept for it fills the fields.
    TPurityDialog(TfrmDataWindow& aWindow, int aPeak);

    // "Рассчитать": the evaluation with the fields as they stand; a field that is no number, or an
    // evaluation that cannot be made, is said in the results.
    void Calculate();
    // "Сохранить в эксперименте": the evaluation computed last replaces the one kept for the peak.
    void Keep();
    const std::optional<evaluation::RPurity>& Result() const { return fResult; }
    QString ResultsText() const;

private:
    TfrmDataWindow& fWindow;
    std::string fPeakKey;
    int fPeakNumber = 0;
    double fMolarMass = NAN, fLagSlope = NAN;  // of the result
    QLineEdit* fMolarMassField = nullptr;
    QLineEdit* fLagSlopeField = nullptr;
    TCalibrationChart* fChart = nullptr;
    QLabel* fResults = nullptr;
    std::optional<evaluation::RPurity> fResult;
};

}  // namespace kalvero::app
