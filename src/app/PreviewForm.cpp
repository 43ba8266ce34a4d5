#include "app/PreviewForm.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/DialogSupport.h"
#include "app/Dialogs.h"
#include "app/Prompts.h"
#include "app/QtText.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "graphics/PreviewFunc.h"

namespace kalvero::app {
namespace {

constexpr const char* kClassName = "TPreviewForm";
enum TSide { sTop = 0, sBottom = 1, sLeft = 2, sRight = 3 };

}  // namespace

TPreviewForm::TPreviewForm(QWidget* aParent)
    : QDialog(aParent), fPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setWindowTitle("Просмотр перед печатью");
    fPrinter->setPageLayout(PrintPageLayout(*gConfig, QPageLayout::Landscape));
    fPreview = new QPrintPreviewWidget(fPrinter.get(), this);
    fPreview->setAccessibleName("Страница");
    fPreview->setZoomMode(QPrintPreviewWidget::CustomZoom);
    fPreview->setZoomFactor(0.25);
    connect(fPreview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* p) { DrawPage(p); });

    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    auto* zoomRow = new QGridLayout;
    fZoom = new QComboBox(panel);
    FillList(fZoom, {"25", "50", "75", "100", "150", "200", "300", "400"}, "25");
    AddLabelled(zoomRow, 0, "Масштаб (%)", fZoom);
    column->addLayout(zoomRow);
    // The engine keeps the page it drew: a zoom lays it out anew without drawing it again.
    connect(fZoom, &QComboBox::currentIndexChanged, this,
            [this] { fPreview->setZoomFactor(fZoom->currentText().toDouble() / 100.0); });

    auto* margins = new QGroupBox("Границы (мм)", panel);
    auto* marginGrid = new QGridLayout(margins);
    const char* names[] = {"Верхняя", "Нижняя", "Левая", "Правая"};
    for (int side = sTop; side <= sRight; ++side) {
        auto* field = new QLineEdit(margins);
        field->setMaximumWidth(60);
        AddLabelled(marginGrid, side, names[side], field);
        fMargins[side] = field;
        connect(field, &QLineEdit::textEdited, this, [this, side] { MarginEdited(side, false); });
        connect(field, &QLineEdit::editingFinished, this, [this, side] { MarginEdited(side, true); });
    }
    column->addWidget(margins);

    auto* orientation = new QGroupBox("Ориентация", panel);
    QButtonGroup* orientations = AddRadioGroup(orientation, {"Книжная", "Альбомная"});
    fLandscape = orientations->button(1);
    fLandscape->setChecked(true);
    column->addWidget(orientation);
    connect(fLandscape, &QAbstractButton::toggled, this, [this](bool aLandscape) {
        fPrinter->setPageOrientation(aLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        RedrawPage();
    });

    auto* print = new QPushButton(" Печать", panel);
    auto* close = new QPushButton("Закрыть", panel);
    connect(print, &QPushButton::clicked, this, [this] { Print(); });
    connect(close, &QPushButton::clicked, this, [this] { accept(); });
    column->addWidget(print);
    column->addWidget(close);
    column->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(fPreview, 1);
    resize(1100, 760);
    NameForAccessibility(this);
}

TPreviewForm::~TPreviewForm() = default;

void TPreviewForm::SetDataClass(TDataClass* aDataClass) {
    dataClass = aDataClass;
}

int TPreviewForm::ConfiguredMargin(int aSide) const {
    const TAppConfig& c = *gConfig;
    switch (aSide) {
        case sTop:
            return c.topPrintMargin;
        case sBottom:
            return c.bottomPrintMargin;
        case sLeft:
            return c.leftPrintMargin;
        default:
            return c.rightPrintMargin;
    }
}

void TPreviewForm::showEvent(QShowEvent* aEvent) {
    QDialog::showEvent(aEvent);
    if (canDrawing) return;
    for (int side = sTop; side <= sRight; ++side)
        fMargins[side]->setText(QString::number(ConfiguredMargin(side)));
    const TAppConfig& c = *gConfig;
    fPrinter->setPageMargins(
        QMarginsF(c.leftPrintMargin, c.topPrintMargin, c.rightPrintMargin, c.bottomPrintMargin),
        QPageLayout::Millimeter);
    canDrawing = true;
    RedrawPage();
}

void TPreviewForm::MarginEdited(int aSide, bool aFinished) {
    const QString text = fMargins[aSide]->text().trimmed();
    if (text.isEmpty() && !aFinished) return;  // the operator is typing a new number
    bool ok = false;
    const int mm = text.toInt(&ok);
    if (ok && mm >= 0) {
        QMarginsF m = fPrinter->pageLayout().margins(QPageLayout::Millimeter);
        if (aSide == sTop) m.setTop(mm);
        if (aSide == sBottom) m.setBottom(mm);
        if (aSide == sLeft) m.setLeft(mm);
        if (aSide == sRight) m.setRight(mm);
        if (m == fPrinter->pageLayout().margins(QPageLayout::Millimeter)) return;
        // A margin that leaves no page is refused like a text that is no number.
        ok = fPrinter->setPageMargins(m, QPageLayout::Millimeter);
        if (ok) {
            RedrawPage();
            return;
        }
    }
    fMargins[aSide]->setText(QString::number(ConfiguredMargin(aSide)));
}

void TPreviewForm::RedrawPage() {
    if (canDrawing) fPreview->updatePreview();
}

void TPreviewForm::DrawPage(QPrinter* aPrinter) {
    // The engine asks for the page when it is first laid out, before the window is shown; the
    // set-up draws nothing, and a print draws whatever the window.
    if (!dataClass || (!canDrawing && !fPrinting)) return;
    try {
        DrawExperimentPage(*dataClass, *aPrinter);
        ++fPageDraws;
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
    }
}

bool TPreviewForm::Print() {
    if (!AskPrinter(this, *fPrinter)) return false;
    const int before = fPageDraws;
    fPrinting = true;
    fPreview->print();
    fPrinting = false;
    return fPageDraws > before;
}

void ShowPrintPreview(TfrmDataWindow& aWindow) {
    if (!gConfig) return;
    auto* form = new TPreviewForm(&aWindow);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->setWindowModality(Qt::ApplicationModal);
    form->SetDataClass(aWindow.Experiment());
    form->show();
}

void PrintExperiment(TfrmDataWindow& aWindow) {
    if (!gConfig || !aWindow.Experiment()) return;
    TPreviewForm form(&aWindow);
    form.SetDataClass(aWindow.Experiment());
    form.Print();
}

}  // namespace kalvero::app
