#pragma once
// The device information dialog: the configured interface's description as name/value rows, and
// "Проверить соединение...", which connects to the device and releases it again.

#include <QDialog>

#include <string>

class QTableWidget;

namespace kalvero::app {

class TDevInfoForm : public QDialog {
public:
    TDevInfoForm(QWidget* aParent, const std::string& aDescription);

    // Fills the rows from a description: "name=value" lines ended by carriage returns.
    void ShowDescription(const std::string& aDescription);
    // Builds a descriptor of the configured interface, connects and disconnects; "Устройство
    // доступно" on success, the error shown and logged otherwise.
    void CheckConnection();

private:
    QTableWidget* fRows;
};

}  // namespace kalvero::app
