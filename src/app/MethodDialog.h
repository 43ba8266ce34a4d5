#pragma once
// "Методика": the method made from the experiment's evaluations before it is saved: its name and
// the limits of every result, a row per result with the value the experiment has now and the
// bounds "Не ниже" / "Не выше" (empty: open). The library builds the rows and checks the bounds
// (MethodLimits.h); the window asks for the file.

#include <QDialog>

#include <vector>

#include "methods/MethodLimits.h"

class QLineEdit;
class QTableWidget;

namespace kalvero::app {

class TfrmDataWindow;

class TMethodDialog : public QDialog {
public:
    TMethodDialog(TfrmDataWindow& aWindow, methods::TMethod aMethod, const methods::TMethodRun& aCurrent);

    // The method with the name and the bounds as they stand; EMethodError for a bound that is no
    // number or a low bound above the high one.
    methods::TMethod Method() const;
    // "Сохранить...": the method to a file the window asks for; the dialog closes once it is saved.
    void Save();

    static constexpr int kLowColumn = 3, kHighColumn = 4;

private:
    TfrmDataWindow& fWindow;
    methods::TMethod fMethod;
    std::vector<methods::TLimitRow> fRows;
    QLineEdit* fName = nullptr;
    QTableWidget* fTable = nullptr;
};

}  // namespace kalvero::app
