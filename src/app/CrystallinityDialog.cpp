#include "app/CrystallinityDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/DialogSupport.h"
#include "app/Dialogs.h"
#include "app/QtText.h"
#include "common/Globals.h"
#include "common/Procs.h"
#include "evaluation/PeakEvaluation.h"
#include "evaluation/PeakResults.h"

namespace kalvero::app {
namespace {

const char* kOtherPolymer = "Другой (теплота плавления задана)";

std::string PeakEntry(const TEffectResult& r) {
    return "Пик " + std::to_string(r.number) + " (" + EffectCaption(r.endothermic) + ", " +
           DecimalComma(r.topTemp, 1) + " °С)";
}

double NumberIn(const QLineEdit* aField, const std::string& aName) {
    try {
        return StrToRealEx(TextOf(aField));
    } catch (const std::exception&) {
        throw std::invalid_argument("Неверное значение поля \"" + aName + "\": " + TextOf(aField));
    }
}

}  // namespace

TCrystallinityDialog::TCrystallinityDialog(TfrmDataWindow& aWindow, int aPeak)
    : QDialog(&aWindow), fWindow(aWindow) {
    const TDataClass& d = aWindow.DataClass();
    fMeltingKey = d.peaks.GetItemByIndex(aPeak).key;
    setWindowTitle("Степень кристалличности");
    auto* layout = new QGridLayout(this);
    const std::vector<TEffectResult> effects = EffectResults(d);
    auto* melting =
        new QLabel(aPeak < static_cast<int>(effects.size()) ? Q(PeakEntry(effects[aPeak])) : "", this);
    layout->addWidget(new QLabel("Пик плавления:", this), 0, 0);
    layout->addWidget(melting, 0, 1);

    fCold = new QComboBox(this);
    std::vector<std::string> entries = {"Нет"};
    fColdKeys = {""};
    for (const TEffectResult& r : effects)
        if (r.number != aPeak + 1) {
            entries.push_back(PeakEntry(r));
            fColdKeys.push_back(d.peaks.GetItemByIndex(r.number - 1).key);
        }
    FillList(fCold, entries, entries.front());
    AddLabelled(layout, 1, "Пик холодной кристаллизации:", fCold);

    fPolymers = evaluation::LoadReferencePolymers(gConfig->fProgramDataPath);
    fPolymer = new QComboBox(this);
    std::vector<std::string> polymers;
    for (const evaluation::RReferencePolymer& p : fPolymers)
        polymers.push_back(p.id + " — " + p.name);
    polymers.push_back(kOtherPolymer);
    FillList(fPolymer, polymers, polymers.front());
    AddLabelled(layout, 2, "Полимер:", fPolymer);
    fReferenceHeat = new QLineEdit(this);
    AddLabelled(layout, 3, "Теплота плавления 100 % кристаллического полимера, Дж/г:", fReferenceHeat);
    fShare = new QLineEdit("1", this);
    AddLabelled(layout, 4, "Массовая доля полимера в образце:", fShare);
    fResults = new QLabel(this);
    fResults->setAccessibleName("Результаты расчёта");
    fResults->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(fResults, 5, 0, 1, 2);
    auto* buttons = new QDialogButtonBox(this);
    AddButton(buttons, "Сохранить в эксперименте", [this] { Keep(); });
    AddButton(buttons, "Закрыть", [this] { close(); });
    layout->addWidget(buttons, 6, 0, 1, 2);

    // A crystallinity kept for the peak comes back as it was.
    for (const TCrystallinityRecord& r : d.fEvaluations.crystallinities) {
        if (r.meltingPeak != fMeltingKey) continue;
        for (size_t k = 0; k < fColdKeys.size(); ++k)
            if (fColdKeys[k] == r.coldPeak) fCold->setCurrentIndex(static_cast<int>(k));
        fPolymer->setCurrentIndex(static_cast<int>(fPolymers.size()));
        for (size_t k = 0; k < fPolymers.size(); ++k)
            if (fPolymers[k].id == r.polymer) fPolymer->setCurrentIndex(static_cast<int>(k));
        fReferenceHeat->setText(Q(DecimalComma(r.referenceHeat, 2)));
        fShare->setText(Q(DecimalComma(r.polymerShare, 3)));
    }
    if (fReferenceHeat->text().isEmpty()) PolymerChosen();
    connect(fCold, &QComboBox::currentIndexChanged, this, [this] { Calculate(); });
    connect(fPolymer, &QComboBox::currentIndexChanged, this, [this] { PolymerChosen(); });
    connect(fReferenceHeat, &QLineEdit::textEdited, this, [this] {
        // A heat typed in is no longer the listed polymer's.
        const QSignalBlocker block(fPolymer);
        fPolymer->setCurrentIndex(static_cast<int>(fPolymers.size()));
        Calculate();
    });
    connect(fShare, &QLineEdit::textEdited, this, [this] { Calculate(); });
    Calculate();
    NameForAccessibility(this);
}

void TCrystallinityDialog::PolymerChosen() {
    const int k = fPolymer->currentIndex();
    if (k >= 0 && k < static_cast<int>(fPolymers.size()))
        fReferenceHeat->setText(Q(DecimalComma(fPolymers[static_cast<size_t>(k)].heat, 1)));
    Calculate();
}

TCrystallinityRecord TCrystallinityDialog::Record() const {
    TCrystallinityRecord r;
    r.meltingPeak = fMeltingKey;
    const int cold = fCold->currentIndex();
    if (cold > 0) r.coldPeak = fColdKeys.at(static_cast<size_t>(cold));
    const int polymer = fPolymer->currentIndex();
    if (polymer >= 0 && polymer < static_cast<int>(fPolymers.size())) r.polymer = fPolymers[polymer].id;
    r.referenceHeat = NumberIn(fReferenceHeat, "Теплота плавления 100 % кристаллического полимера");
    r.polymerShare = NumberIn(fShare, "Массовая доля полимера в образце");
    return r;
}

void TCrystallinityDialog::Calculate() {
    std::string text;
    try {
        fResult = evaluation::CrystallinityOf(fWindow.DataClass(), Record());
        text = fResult.error.empty() ? "Степень кристалличности: " + evaluation::CrystallinitySummary(fResult)
                                     : fResult.error;
        for (const std::string& w : fResult.result.warnings)
            text += "\n" + w;
    } catch (const std::exception& e) {
        fResult = {};
        fResult.error = e.what();
        text = e.what();
    }
    fResults->setText(Q(text));
}

void TCrystallinityDialog::Keep() {
    Calculate();
    if (!fResult.error.empty()) return;
    fWindow.Edit("Кристалличность", [this] {
        auto& kept = fWindow.DataClass().fEvaluations.crystallinities;
        std::erase_if(kept, [&](const TCrystallinityRecord& r) { return r.meltingPeak == fMeltingKey; });
        kept.push_back(fResult.record);
    });
    fWindow.EvaluationsChanged();
}

QString TCrystallinityDialog::ResultsText() const {
    return fResults->text();
}

void ShowCrystallinity(TfrmDataWindow& aWindow, int aPeak) {
    if (aWindow.PeakAt(aPeak)) OpenModal(new TCrystallinityDialog(aWindow, aPeak));
}

}  // namespace kalvero::app
