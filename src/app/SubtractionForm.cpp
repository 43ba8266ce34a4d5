#include "app/SubtractionForm.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"

namespace kalvero::app {

TSubsctractionForm::TSubsctractionForm(QWidget* aMain, std::function<TfrmDataWindow*()> aActiveWindow)
    : QWidget(aMain, Qt::Tool | Qt::WindowStaysOnTopHint), fActiveWindow(std::move(aActiveWindow)) {
    setWindowTitle("Коррекция базовой линии");
    auto* layout = new QGridLayout(this);
    auto* text = new QLabel(
        "Сделайте активным то окно,  данные которого \nвы хотите вычесть из данных текущего окна\nи нажмите "
        "кнопку \"Вычесть\"",
        this);
    layout->addWidget(text, 0, 0, 1, 3);
    fLevel = new QSlider(Qt::Vertical, this);
    fLevel->setRange(0, 4095);
    fLevel->setValue(2048);
    fLevel->setPageStep(10);
    fLevel->setTickInterval(256);
    fLevel->setTickPosition(QSlider::TicksBothSides);
    fLevel->setAccessibleName("Базовый уровень");
    layout->addWidget(new QLabel("Базовый\nуровень", this), 1, 0);
    layout->addWidget(fLevel, 2, 0, 4, 1);
    fSubtract = new QPushButton("Вычесть", this);
    fUndo = new QPushButton("Отменить", this);
    fUndo->setEnabled(false);
    auto* close = new QPushButton("Закрыть", this);
    auto* help = new QPushButton(ToolIcon(TToolIcon::Help), "", this);
    help->setToolTip("Справка по обработке данных");
    layout->addWidget(fSubtract, 2, 1);
    layout->addWidget(fUndo, 3, 1);
    layout->addWidget(close, 4, 1);
    layout->addWidget(help, 5, 1);
    connect(fSubtract, &QPushButton::clicked, this, [this] { Subtract(); });
    connect(fUndo, &QPushButton::clicked, this, [this] { UndoSubtraction(); });
    connect(close, &QPushButton::clicked, this, [this] { this->close(); });
    connect(help, &QPushButton::clicked, this, [this] { ShowHelp(this, "result_processing_substraction"); });
    NameForAccessibility(this);
}

void TSubsctractionForm::Bind(TfrmDataWindow& aCurrent) {
    fCurrent = &aCurrent;
    fSubtract->setEnabled(true);
    fUndo->setEnabled(false);
}

void TSubsctractionForm::SetLevel(int aPosition) {
    fLevel->setValue(aPosition);
}

int TSubsctractionForm::Level() const {
    return fLevel->value();
}

void TSubsctractionForm::Subtract() {
    TfrmDataWindow* active = fActiveWindow ? fActiveWindow() : nullptr;
    if (!fCurrent || !fCurrent->Experiment() || !active || !active->Experiment()) return;
    if (active == fCurrent) {
        MsgBox("Вы выбрали одно и то же окно. Вычитание невозможно.");
        return;
    }
    if (fCurrent->RefuseWhileAcquiring()) return;
    TDataClass& d = fCurrent->DataClass();
    fCurrent->Edit("Вычитание", [&] {
        d.CopyToBuffer();
        d.Substract(active->DataClass(), gConfig->dTMaxValue - fLevel->value());
    });
    fCurrent->Redraw();
    fCurrent->Changed();
    fUndo->setEnabled(true);
    fSubtract->setEnabled(false);
}

void TSubsctractionForm::UndoSubtraction() {
    if (!fCurrent || !fCurrent->Experiment()) return;
    TDataClass& d = fCurrent->DataClass();
    fCurrent->Edit("Отмена вычитания", [&] { d.Undo(d.fCurrentChannelNo); });
    fCurrent->Redraw();
    fCurrent->Changed();
    fUndo->setEnabled(false);
    fSubtract->setEnabled(true);
}

void TSubsctractionForm::changeEvent(QEvent* aEvent) {
    QWidget::changeEvent(aEvent);
    if (aEvent->type() == QEvent::ActivationChange && isActiveWindow()) fSubtract->setEnabled(true);
}

void ShowSubtraction(TfrmDataWindow& aWindow) {
    auto* main = dynamic_cast<TKalveroForm*>(aWindow.window());
    if (!main) return;
    TSubsctractionForm& form = main->SubtractionForm();
    form.Bind(aWindow);
    // Centred on the main window.
    form.adjustSize();
    form.move(main->geometry().center() - QPoint(form.width() / 2, form.height() / 2));
    form.show();
    form.raise();
}

}  // namespace kalvero::app
