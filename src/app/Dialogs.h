#pragma once
// The windows the main window and the data windows open: calibration, settings, experiment
// properties, export, preview and printing, the run control, subtraction and help. Each is its
// own unit; the frame knows them only by these calls.

#include <string>

#include "common/Config.h"

class QWidget;

namespace kalvero::app {

class TKalveroForm;
class TfrmDataWindow;

// The calibration dialog on the process-wide table of aKind; sets gNeedRecalcCurveRealValues when
// a table was recalculated. aActive: the active data window (the source of measured points), or
// null.
void ShowCalibrationDialog(TKalveroForm& aMain, TCalibrationTableType aKind, TfrmDataWindow* aActive);
// "Настройки программы" and "Настройки прибора".
void ShowProgramSettings(TKalveroForm& aMain);
void ShowDeviceSettings(TKalveroForm& aMain);
// "Свойства графика": the experiment's description.
void ShowExperimentProperties(TfrmDataWindow& aWindow);
// The text export into aFileName, or with aSpreadsheet the spreadsheet export ("Переслать в Excel").
void ShowTextExport(TfrmDataWindow& aWindow, const std::string& aFileName, bool aSpreadsheet);
// "Просмотр перед печатью" and "Печать" of the experiment's plot.
void ShowPrintPreview(TfrmDataWindow& aWindow);
void PrintExperiment(TfrmDataWindow& aWindow);
// "Сканирование": the run control window bound to the window's experiment.
void ShowScanControl(TfrmDataWindow& aWindow);
// "Вычитание данных": the subtraction dialog bound to the window.
void ShowSubtraction(TfrmDataWindow& aWindow);
// "Чистота (Вант-Гофф)..." and "Степень кристалличности..." on peak aPeak (from 0) of the window.
void ShowPurity(TfrmDataWindow& aWindow, int aPeak);
void ShowCrystallinity(TfrmDataWindow& aWindow, int aPeak);
// The program's help at a topic (empty: its contents): the book that the settings' help file
// stands for (HelpWindow.h).
void ShowHelp(QWidget* aParent, const std::string& aTopic);

}  // namespace kalvero::app
