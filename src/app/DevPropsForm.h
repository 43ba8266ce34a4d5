#pragma once
// TDevPropsForm, "Настройки прибора": the interface, sampling, run, display-range, scale and
// calibration-table settings. Tables the operator exchanges are loaded again on OK, and every open
// data window is recalculated with the new settings and tables. "ОК и сохранить" also writes the
// device's group of settings.

#include <QDialog>

#include <memory>
#include <string>

#include "calibration/DevSettingsForm.h"

class QButtonGroup;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace kalvero {
class TBaseDeviceDescriptor;
}

namespace kalvero::app {

class TKalveroForm;

class TDevPropsForm : public QDialog {
public:
    explicit TDevPropsForm(TKalveroForm& aMain);
    ~TDevPropsForm() override;

    // "ОК" (aSave false) and "ОК и сохранить": applies; an error is shown and logged and the
    // dialog stays open with what was applied before it. True when applied (and closed).
    bool ApplyAndClose(bool aSave);
    // The tables chosen anew since the dialog opened.
    const RTableReload& ReloadFlags() const { return fReload; }

private:
    QGroupBox* BuildRanges();
    QGroupBox* BuildScales();
    QGroupBox* BuildRun();
    QGroupBox* BuildDevice();
    QGroupBox* BuildTables();
    void BuildDescriptor();
    void Fill();
    void FillTableLists();
    void FillDecimationList(const std::string& aFrequency);
    RDevSettingsForm Read() const;
    void RecalculateWindows(const RTableReload& aReloaded);
    void OpenTablesFolder();
    void ShowDeviceInfo();

    TKalveroForm& fMain;
    std::unique_ptr<TBaseDeviceDescriptor> fDeviceDescriptor;
    std::string fDeviceDescription;
    std::string fTempCalTable;  // the temperature table configured when the dialog was filled
    RTableReload fReload;
    bool fFilling = false;  // the controls are being filled: no change handler reacts

    QLineEdit *fTFrom = nullptr, *fTTo = nullptr, *fDtFrom = nullptr, *fDtTo = nullptr;
    QLineEdit *fTMin = nullptr, *fTMax = nullptr, *fDtMin = nullptr, *fDtMax = nullptr;
    QComboBox *fTimeScale = nullptr, *fTempScale = nullptr, *fDiffScale = nullptr, *fAreaScale = nullptr;
    QLineEdit *fTempAccuracy = nullptr, *fDiffAccuracy = nullptr, *fAreaAccuracy = nullptr;
    QLineEdit *fEndTime = nullptr, *fPageTime = nullptr, *fDeadZone = nullptr;
    QComboBox *fHeatSpeed = nullptr, *fPostAction = nullptr;
    QLabel *fInterfaceName = nullptr, *fPortLabel = nullptr;
    QComboBox *fFrequency = nullptr, *fDecimation = nullptr, *fPort = nullptr, *fStartChannel = nullptr;
    QButtonGroup* fControl = nullptr;
    QComboBox *fTempTable = nullptr, *fDiffTable = nullptr, *fHeatTable = nullptr;
};

}  // namespace kalvero::app
