#pragma once
// TAppPropsForm, "Настройки программы": the display, scanning, smoothing, tangent and
// peak-detection settings, the default folder of experiment files and the registration of the
// experiment file type with the desktop. OK applies to the configuration and closes; "ОК и
// сохранить" also writes the program's group of settings.

#include <QDialog>

#include <array>

#include "common/AppSettingsForm.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;
class QTabWidget;

namespace kalvero::app {

class TKalveroForm;

class TAppPropsForm : public QDialog {
public:
    explicit TAppPropsForm(TKalveroForm& aMain);

    // "OK" (aSave false) and "ОК и сохранить". An error is shown and logged; OK closes all the
    // same, "ОК и сохранить" stays open and saves nothing. True when applied.
    bool ApplyAndClose(bool aSave);

private:
    QWidget* BuildGeneralPage();
    QWidget* BuildDisplayPage();
    QWidget* BuildProcessingPage();
    QWidget* BuildPeaksPage();
    QSlider* AddSlider(QWidget* aPage, QGridLayout* aGrid, int aRow, const std::string& aLabel, int aMin,
                       int aMax);
    void Fill();
    RAppSettingsForm Read() const;
    void AntiAliasingClicked(bool aChecked);
    void ChooseFolder();
    void RegisterExtension();

    TKalveroForm& fMain;
    QTabWidget* fPages = nullptr;
    QComboBox* fPriority = nullptr;
    QCheckBox *fLinear = nullptr, *fGrid = nullptr, *fOptimization = nullptr, *fAntiAliasing = nullptr,
              *fFillPeaks = nullptr;
    QAbstractButton *fFixedScale = nullptr, *fExpandableScale = nullptr;
    QLineEdit *fDataFolder = nullptr, *fTangentRange = nullptr;
    QLabel* fRegistration = nullptr;
    QSlider *fDotCount = nullptr, *fDotStep = nullptr, *fSmoothStep = nullptr;
    QButtonGroup *fTangentDetect = nullptr, *fAreaBegin = nullptr, *fBaseLine = nullptr;
    QSpinBox *fBaseLineLimit = nullptr, *fPeakLowLimit = nullptr, *fPeakHighLimit = nullptr;
};

}  // namespace kalvero::app
