#pragma once
// "Степень кристалличности": the degree of crystallinity of ISO 11357-3 from the melting peak the
// operator right-clicked, a cold crystallisation peak of the same heating chosen from the others,
// and the heat of fusion of the fully crystalline polymer, from the shipped list
// (ReferencePolymers.ini) or typed in. The result follows every change; the evaluation is kept
// with the experiment on request. The library computes (ExperimentEvaluations.h).

#include <QDialog>

#include <string>
#include <vector>

#include "evaluation/Crystallinity.h"
#include "evaluation/ExperimentEvaluations.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace kalvero::app {

class TfrmDataWindow;

class TCrystallinityDialog : public QDialog {
public:
    TCrystallinityDialog(TfrmDataWindow& aWindow, int aPeak);

    // The result for the fields as they stand, in the results line.
    void Calculate();
    // "Сохранить в эксперименте": the evaluation replaces the one kept for the melting peak.
    void Keep();
    const evaluation::TCrystallinityResult& Result() const { return fResult; }
    QString ResultsText() const;

private:
    // The record the fields describe; std::invalid_argument for a field that is no number.
    TCrystallinityRecord Record() const;
    void PolymerChosen();

    TfrmDataWindow& fWindow;
    std::string fMeltingKey;
    std::vector<std::string> fColdKeys;  // of the list's entries; "" for none
    std::vector<evaluation::RReferencePolymer> fPolymers;
    QComboBox* fCold = nullptr;
    QComboBox* fPolymer = nullptr;
    QLineEdit* fReferenceHeat = nullptr;
    QLineEdit* fShare = nullptr;
    QLabel* fResults = nullptr;
    evaluation::TCrystallinityResult fResult;
};

}  // namespace kalvero::app
