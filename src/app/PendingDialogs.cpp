// The windows still to come: each command says so in a box instead of doing nothing. A window
// that arrives takes its function out of this unit into its own.

#include "app/Commands.h"
#include "app/Dialogs.h"

namespace kalvero::app {

void ShowProgramSettings(TKalveroForm&) {
    ShowNotAvailable("Настройки программы");
}

void ShowDeviceSettings(TKalveroForm&) {
    ShowNotAvailable("Настройки прибора");
}

void ShowExperimentProperties(TfrmDataWindow&) {
    ShowNotAvailable("Свойства графика");
}

void ShowTextExport(TfrmDataWindow&, const std::string&, bool aSpreadsheet) {
    ShowNotAvailable(aSpreadsheet ? "Переслать в Excel" : "Сохранение в текстовый файл");
}

void ShowPrintPreview(TfrmDataWindow&) {
    ShowNotAvailable("Просмотр перед печатью");
}

void PrintExperiment(TfrmDataWindow&) {
    ShowNotAvailable("Печать");
}

void ShowScanControl(TfrmDataWindow&) {
    ShowNotAvailable("Сканирование");
}

void ShowSubtraction(TfrmDataWindow&) {
    ShowNotAvailable("Вычитание данных");
}

void ShowHelp(QWidget*, const std::string&) {
    ShowNotAvailable("Cправка по программе");
}

}  // namespace kalvero::app
