#include "app/PurityDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <iomanip>
#include <sstream>

#include "app/CalibrationChart.h"
#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/DialogSupport.h"
#include "app/Dialogs.h"
#include "app/QtText.h"
#include "common/Procs.h"
#include "evaluation/PeakEvaluation.h"
#include "evaluation/PeakResults.h"

namespace kalvero::app {
namespace {

// A field's number; NaN for an empty field when aOptional, else std::invalid_argument.
double FieldNumber(const QLineEdit* aField, const std::string& aName, bool aOptional) {
    const std::string text = TextOf(aField);
    if (text.empty() && aOptional) return NAN;
    try {
        return StrToRealEx(text);
    } catch (const std::exception&) {
        throw std::invalid_argument("Неверное значение поля \"" + aName + "\": " + text);
    }
}

std::string FieldText(double aValue) {
    if (!std::isfinite(aValue)) return "";
    std::ostringstream text;
    text << std::setprecision(10) << aValue;
    return text.str();
}

}  // namespace

TPurityDialog::TPurityDialog(TfrmDataWindow& aWindow, int aPeak) : QDialog(&aWindow), fWindow(aWindow) {
    const TDataClass& d = aWindow.DataClass();
    fPeakKey = d.peaks.GetItemByIndex(aPeak).key;
    fPeakNumber = aPeak + 1;
    setWindowTitle(Q("Чистота (Вант-Гофф), пик " + std::to_string(fPeakNumber)));
    auto* layout = new QGridLayout(this);
    fMolarMassField = new QLineEdit(this);
    fLagSlopeField = new QLineEdit(this);
    fLagSlopeField->setPlaceholderText("без поправки");
    AddLabelled(layout, 0, "Молярная масса основного компонента, г/моль:", fMolarMassField);
    AddLabelled(layout, 1, "Наклон фронта плавления эталона, мВт/К:", fLagSlopeField);
    auto* calculate = new QPushButton("Рассчитать", this);
    layout->addWidget(calculate, 0, 2, 2, 1);
    fChart = new TCalibrationChart(this);
    fChart->setMinimumSize(460, 320);
    layout->addWidget(fChart, 2, 0, 1, 3);
    fResults = new QLabel(this);
    fResults->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fResults->setAccessibleName("Результаты расчёта");
    layout->addWidget(fResults, 3, 0, 1, 3);
    auto* buttons = new QDialogButtonBox(this);
    AddButton(buttons, "Сохранить в эксперименте", [this] { Keep(); });
    AddButton(buttons, "Закрыть", [this] { close(); });
    layout->addWidget(buttons, 4, 0, 1, 3);
    connect(calculate, &QPushButton::clicked, this, [this] { Calculate(); });

    // A purity kept for the peak comes back as it was computed.
    for (const TPurityRecord& r : d.fEvaluations.purities)
        if (r.peak == fPeakKey) {
            fMolarMassField->setText(Q(FieldText(r.molarMass)));
            fLagSlopeField->setText(Q(FieldText(r.lagSlope)));
            Calculate();
        }
    NameForAccessibility(this);
}

void TPurityDialog::Calculate() {
    fResult.reset();
    RChartData chart;
    chart.title = "Температура образца от 1/F";
    chart.xTitle = "1/F";
    chart.yTitle = "Ts, °С";
    std::string text;
    try {
        const TDataClass& d = fWindow.DataClass();
        const TPeak* peak = evaluation::PeakByKey(d, fPeakKey);
        if (!peak) throw std::invalid_argument("Пик удалён");
        fMolarMass = FieldNumber(fMolarMassField, "Молярная масса", false);
        fLagSlope = FieldNumber(fLagSlopeField, "Наклон фронта плавления", true);
        fResult = evaluation::PurityOf(d, *peak, fMolarMass, fLagSlope);
        const evaluation::RPurity& r = *fResult;
        for (const evaluation::RVantHoffPoint& p : r.measured)
            chart.points.emplace_back(p.inverseFraction, p.temperature);
        for (const evaluation::RVantHoffPoint& p : r.corrected)
            chart.filled.emplace_back(p.inverseFraction, p.temperature);
        double lo = INFINITY, hi = -INFINITY;
        for (const auto& [x, y] : chart.points)
            lo = std::min(lo, x), hi = std::max(hi, x);
        for (const auto& [x, y] : chart.filled)
            lo = std::min(lo, x), hi = std::max(hi, x);
        if (lo < hi) chart.curve = {{lo, r.fit.At(lo)}, {hi, r.fit.At(hi)}};
        text =
            "Чистота: " + DecimalComma(r.purity, 2) + " мол. %    Примесь: " + DecimalComma(r.impurity, 3) +
            " мол. %\nT0: " + DecimalComma(r.meltingPoint, 2) +
            " °С    ΔH: " + DecimalComma(r.heatOfFusion, 1) + " Дж/г (" +
            DecimalComma(r.molarHeat / 1000, 2) + " кДж/моль)\nПоправка: " + DecimalComma(r.correction, 1) +
            " % площади    R²: " + DecimalComma(r.rSquared, 5) + " (до поправки " +
            DecimalComma(r.rSquaredBefore, 5) +
            ")\n○ до поправки, ● после поправки, линия — "
            "по точкам после поправки";
        for (const std::string& w : r.warnings)
            text += "\n" + w;
    } catch (const std::exception& e) {
        text = e.what();
    }
    fChart->SetData(chart);
    fResults->setText(Q(text));
}

void TPurityDialog::Keep() {
    if (!fResult) return;
    fWindow.Edit("Чистота", [this] {
        auto& purities = fWindow.DataClass().fEvaluations.purities;
        std::erase_if(purities, [&](const TPurityRecord& r) { return r.peak == fPeakKey; });
        purities.push_back({fPeakKey, fMolarMass, fLagSlope});
    });
    fWindow.EvaluationsChanged();
}

QString TPurityDialog::ResultsText() const {
    return fResults->text();
}

void ShowPurity(TfrmDataWindow& aWindow, int aPeak) {
    if (aWindow.PeakAt(aPeak)) OpenModal(new TPurityDialog(aWindow, aPeak));
}

}  // namespace kalvero::app
