#pragma once
// TSubsctractionForm ("Коррекция базовой линии"): subtracts the dT curve of another data window
// from the curve of the window that opened it, at a base level chosen on the track bar, with a
// one-step "Отменить". A small tool window that stays on top.

#include <QPointer>
#include <QWidget>

#include <functional>

class QPushButton;
class QSlider;

namespace kalvero::app {

class TfrmDataWindow;

class TSubsctractionForm : public QWidget {
public:
    // aActiveWindow: the data window the operator made active (the curve to subtract).
    TSubsctractionForm(QWidget* aMain, std::function<TfrmDataWindow*()> aActiveWindow);
    // Binds the dialog to the window whose curve is corrected.
    void Bind(TfrmDataWindow& aCurrent);
    TfrmDataWindow* Current() const { return fCurrent; }

    void Subtract();
    void UndoSubtraction();
    void SetLevel(int aPosition);
    int Level() const;

protected:
    void changeEvent(QEvent* aEvent) override;

private:
    QPointer<TfrmDataWindow> fCurrent;
    std::function<TfrmDataWindow*()> fActiveWindow;
    QSlider* fLevel = nullptr;
    QPushButton* fSubtract = nullptr;
    QPushButton* fUndo = nullptr;
};

}  // namespace kalvero::app
