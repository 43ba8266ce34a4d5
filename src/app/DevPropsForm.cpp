#include "app/DevPropsForm.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "acquisition/DeviceFactory.h"
#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/DevInfoForm.h"
#include "app/DialogSupport.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/QtText.h"
#include "calibration/CommonCalibration.h"
#include "calibration/TableFile.h"
#include "calibration/TempCalibration.h"
#include "common/Globals.h"
#include "common/IniFile.h"
#include "common/MsgBoxes.h"
#include "common/Procs.h"
#include "common/ScaleLists.h"
#include "system/SystemUtils.h"

namespace kalvero::app {
namespace {

constexpr const char* kClassName = "TDevPropsForm";

QLineEdit* Field(QWidget* aParent, bool aReadOnly = false) {
    auto* field = new QLineEdit(aParent);
    field->setReadOnly(aReadOnly);
    field->setMaximumWidth(110);
    return field;
}

QComboBox* List(QWidget* aParent, bool aEditable = false) {
    auto* list = new QComboBox(aParent);
    list->setEditable(aEditable);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setMinimumWidth(110);
    return list;
}

// A table range end as the "Мин/Макс" fields show it.
QString RoundedText(const TCalibrationTable* aTable, bool aEnd) {
    if (!aTable) return {};
    return QString::number(std::lround(aEnd ? aTable->endRealValue : aTable->begRealValue));
}

void SetVisible(const std::vector<QWidget*>& aWidgets, bool aVisible) {
    for (QWidget* w : aWidgets)
        w->setVisible(aVisible);
}

}  // namespace

TDevPropsForm::TDevPropsForm(TKalveroForm& aMain) : QDialog(&aMain), fMain(aMain) {
    auto* layout = new QGridLayout(this);
    layout->addWidget(BuildRanges(), 0, 0);
    layout->addWidget(BuildScales(), 1, 0);
    layout->addWidget(BuildRun(), 2, 0);
    layout->addWidget(BuildDevice(), 0, 1, 2, 1);
    layout->addWidget(BuildTables(), 2, 1);
    layout->addWidget(SettingsButtons(this, "ОК", "calibration_and_configuring_configuring_device",
                                      [this](bool aSave) { ApplyAndClose(aSave); }),
                      3, 0, 1, 2);
    BuildDescriptor();
    Fill();
    NameForAccessibility(this);
}

TDevPropsForm::~TDevPropsForm() = default;

QGroupBox* TDevPropsForm::BuildRanges() {
    const TAppConfig& c = *gConfig;
    auto* box = new QGroupBox("Начальные границы отображения", this);
    auto* grid = new QGridLayout(box);
    auto rows = [&](int aRow, const std::string& aName, const std::string& aUnits, QLineEdit*& aFrom,
                    QLineEdit*& aTo, QLineEdit*& aMin, QLineEdit*& aMax, const TCalibrationTable* aTable) {
        aFrom = Field(box), aTo = Field(box), aMin = Field(box, true), aMax = Field(box, true);
        AddLabelled(grid, aRow, aName + " от (" + aUnits + ")", aFrom);
        AddLabelled(grid, aRow + 1, aName + " до (" + aUnits + ")", aTo);
        auto* minMax = new QLabel("Мин/Макс", box);
        grid->addWidget(minMax, aRow, 2);
        grid->addWidget(aMin, aRow, 3);
        grid->addWidget(aMax, aRow + 1, 3);
        NameAfter(aMin, aName + " мин");
        NameAfter(aMax, aName + " макс");
        aMin->setText(RoundedText(aTable, false));
        aMax->setText(RoundedText(aTable, true));
    };
    rows(0, c.tempChannelName, c.tempChannelUnitsName, fTFrom, fTTo, fTMin, fTMax, gTempCalibrationTable);
    rows(2, c.diffChannelName, c.diffChannelUnitsName, fDtFrom, fDtTo, fDtMin, fDtMax,
         gDiffTempCalibrationTable);
    if (!c.showTempChannel) {
        for (int col = 0; col < 4; ++col)
            for (int row = 0; row < 2; ++row)
                if (QLayoutItem* item = grid->itemAtPosition(row, col); item && item->widget())
                    item->widget()->setVisible(false);
    }
    return box;
}

QGroupBox* TDevPropsForm::BuildScales() {
    const TAppConfig& c = *gConfig;
    auto* box = new QGroupBox("Шкалы прибора", this);
    auto* grid = new QGridLayout(box);
    fTimeScale = List(box);
    FillList(fTimeScale, TimeScaleList());
    AddLabelled(grid, 0, "Время", fTimeScale);
    auto scale = [&](int aRow, const std::string& aName, const std::vector<std::string>& aEntries,
                     QComboBox*& aList, QLineEdit*& aAccuracy) {
        aList = List(box);
        FillList(aList, aEntries);
        QLabel* label = AddLabelled(grid, aRow, aName, aList);
        aAccuracy = Field(box);
        aAccuracy->setMaximumWidth(50);
        QLabel* digits = AddLabelled(grid, aRow, "знаков", aAccuracy, 2);
        NameAfter(aAccuracy, aName + ", знаков");
        return std::vector<QWidget*>{label, aList, digits, aAccuracy};
    };
    const auto temp = scale(1, c.tempChannelName, TempScaleList(c), fTempScale, fTempAccuracy);
    scale(2, c.diffChannelName, DiffTempScaleList(c), fDiffScale, fDiffAccuracy);
    const auto area = scale(3, c.integralCaption, AreaScaleList(c), fAreaScale, fAreaAccuracy);
    SetVisible(temp, c.showTempChannel);
    SetVisible(area, c.usePeakCalculation);
    return box;
}

QGroupBox* TDevPropsForm::BuildRun() {
    const TAppConfig& c = *gConfig;
    auto* box = new QGroupBox("Настройки эксперимента", this);
    auto* grid = new QGridLayout(box);
    fEndTime = Field(box), fPageTime = Field(box), fDeadZone = Field(box);
    AddLabelled(grid, 0, "Полная длительность (сек)", fEndTime);
    AddLabelled(grid, 1, "Вермя страницы (сек)", fPageTime);
    AddLabelled(grid, 2, "\"Мертвая\" зона (мсек)", fDeadZone);
    fHeatSpeed = List(box, true);
    AddLabelled(grid, 3, "Скорость нагрева (град/мин)", fHeatSpeed);
    fHeatSpeed->setEnabled(!c.heatSpeedList.empty());
    fPostAction = List(box);
    FillList(fPostAction, {"Нет действия", "Стоп сканирование", "Стоп и сохранить файл"});
    QLabel* post = AddLabelled(grid, 4, "Действие по окончании программы", fPostAction);
    post->setEnabled(c.useDeviceControl);
    fPostAction->setEnabled(c.useDeviceControl);
    return box;
}

QGroupBox* TDevPropsForm::BuildDevice() {
    const TAppConfig& c = *gConfig;
    auto* box = new QGroupBox("Установки прибора", this);
    auto* grid = new QGridLayout(box);
    auto* type = new QLabel("Тип интерфейса", box);
    fInterfaceName = new QLabel(Q(c.GetInterfaceName()), box);
    fInterfaceName->setAccessibleName("Тип интерфейса");
    auto* info = new QPushButton("...", box);
    info->setToolTip("Информация об устройстве");
    info->setAccessibleName("Информация об устройстве");
    info->setMaximumWidth(30);
    connect(info, &QPushButton::clicked, this, [this] { ShowDeviceInfo(); });
    grid->addWidget(type, 0, 0);
    grid->addWidget(fInterfaceName, 0, 1);
    grid->addWidget(info, 0, 2);

    fFrequency = List(box, true);
    AddLabelled(grid, 1, " Частота опроса (Гц)", fFrequency);
    fDecimation = List(box, true);
    AddLabelled(grid, 2, "Прореживание", fDecimation);
    grid->addWidget(new QLabel("0 - Нет", box), 2, 2);
    // The decimation factors follow the frequency the operator types or picks.
    connect(fFrequency, &QComboBox::editTextChanged, this, [this](const QString& aText) {
        if (!fFilling) FillDecimationList(S(aText));
    });

    fPort = List(box, true);
    std::string portLabel = "Адрес порта";
    std::vector<std::string> ports;
    bool portUsed = true;
    switch (c.interfaceType) {
        case itLpt:
            portLabel = " Адрес порта LPT", ports = SystemUtils::GetAvailableLptPorts();
            break;
        case itCom:
            portLabel = " Адрес порта COM", ports = SystemUtils::GetAvailableComPorts();
            break;
        case itLA20USB:
        case itLA24USB:
        case itLA20USB_Uni:
        case itLAi24USB_Uni:
            portLabel = " Адрес порта USB";
            break;
        default:
            portUsed = false;
    }
    FillList(fPort, ports);
    fPortLabel = AddLabelled(grid, 3, portLabel, fPort);
    fPortLabel->setEnabled(portUsed);
    fPort->setEnabled(portUsed);

    fStartChannel = List(box);
    FillList(fStartChannel, {c.tempChannelName, c.diffChannelName});
    AddLabelled(grid, 4, "Начальный режим", fStartChannel);

    auto* control = new QGroupBox("Управление прибором", box);
    fControl = AddRadioGroup(control, {"Нет", "Старт/Стоп", "Программа"}, true);
    control->setEnabled(c.useDeviceControl);
    grid->addWidget(control, 5, 0, 1, 3);
    grid->setRowStretch(6, 1);
    return box;
}

QGroupBox* TDevPropsForm::BuildTables() {
    const TAppConfig& c = *gConfig;
    auto* box = new QGroupBox("Калибровочные таблицы", this);
    auto* grid = new QGridLayout(box);
    fTempTable = List(box), fDiffTable = List(box), fHeatTable = List(box);
    for (QComboBox* list : {fTempTable, fDiffTable, fHeatTable})
        list->setMinimumWidth(200);
    QLabel* temp = AddLabelled(grid, 0, c.tempChannelName, fTempTable);
    AddLabelled(grid, 1, c.diffChannelName, fDiffTable);
    QLabel* heat = AddLabelled(grid, 2, c.areaName, fHeatTable);
    // The labels repeat the scale lists' ones: the lists are told apart by their group.
    NameAfter(fTempTable, "Калибровочная таблица: " + c.tempChannelName);
    NameAfter(fDiffTable, "Калибровочная таблица: " + c.diffChannelName);
    NameAfter(fHeatTable, "Калибровочная таблица: " + c.areaName);
    SetVisible({temp, fTempTable}, c.showTempChannel);
    SetVisible({heat, fHeatTable}, c.showHeatCalibration);
    auto* folder = new QPushButton("Расположение файлов...", box);
    connect(folder, &QPushButton::clicked, this, [this] { OpenTablesFolder(); });
    grid->addWidget(folder, 3, 1);

    // Choosing another file marks its table for loading on OK; a temperature table chosen back to
    // the configured one is loaded again all the same.
    connect(fTempTable, &QComboBox::currentIndexChanged, this, [this] {
        if (!fFilling && TextOf(fTempTable) != fTempCalTable) fReload.temp = true;
    });
    connect(fDiffTable, &QComboBox::currentIndexChanged, this, [this] {
        if (!fFilling) fReload.diff = true;
    });
    connect(fHeatTable, &QComboBox::currentIndexChanged, this, [this] {
        if (!fFilling) fReload.heat = true;
    });
    return box;
}

void TDevPropsForm::BuildDescriptor() {
    try {
        fDeviceDescriptor = TDeviceFactory::GetDeviceDescriptor(*gConfig);
        fDeviceDescription = fDeviceDescriptor->GetDescription();
    } catch (const std::exception& e) {
        // Invalid device settings: the dialog opens all the same, to mend them.
        ErrBox(gLogger, kClassName, e.what());
    }
}

void TDevPropsForm::FillDecimationList(const std::string& aFrequency) {
    double f = 0;
    if (!TryStrToFloat(aFrequency, f)) return;  // a text that is no number leaves the list
    const QString current = fDecimation->currentText();
    fDecimation->clear();
    fDecimation->addItem("0");
    if (fDeviceDescriptor)
        for (int32_t factor : fDeviceDescriptor->GetDecimationList(static_cast<float>(f)))
            fDecimation->addItem(QString::number(factor));
    fDecimation->setEditText(current);
}

void TDevPropsForm::FillTableLists() {
    const TAppConfig& c = *gConfig;
    const TCalibrationTableType diffKind = gDiffTempCalibrationTable
                                               ? gDiffTempCalibrationTable->GetTableType()
                                               : c.diffTempCalibrationTableType;
    auto fill = [&c](QComboBox* aList, TCalibrationTableType aKind, const std::string& aConfigured) {
        std::vector<std::string> names = ListTableFiles(c.fCalibrationTablesPath, aKind);
        // A configured file that is gone or of another kind stays the choice: OK must not lose it.
        if (!aConfigured.empty() && std::find(names.begin(), names.end(), aConfigured) == names.end())
            names.insert(names.begin(), aConfigured);
        FillList(aList, names, aConfigured);
    };
    fill(fTempTable, cttTemperature, c.tempCalibrationTable);
    fill(fDiffTable, diffKind, c.diffTempCalibrationTable);
    fill(fHeatTable, cttHeat, c.heatCalibrationTable);
    fTempCalTable = c.tempCalibrationTable;
}

void TDevPropsForm::Fill() {
    fFilling = true;
    try {
        const TAppConfig& c = *gConfig;
        FillTableLists();
        std::vector<std::string> frequencies;
        if (fDeviceDescriptor)
            for (double f : fDeviceDescriptor->GetAvailableFreqs())
                frequencies.push_back(FloatToStr(f));
        const RDevSettingsForm f = DevSettingsForm(c);
        FillList(fFrequency, frequencies, f.frequency);
        FillDecimationList(f.frequency);
        fDecimation->setEditText(Q(f.decimation));
        fStartChannel->setCurrentIndex(f.startScanChannel);
        fPort->setEditText(Q(f.portAddress));
        if (QAbstractButton* b = fControl->button(f.deviceControlType)) b->setChecked(true);
        fPostAction->setCurrentIndex(f.postScanAction);
        FillList(fHeatSpeed, HeatSpeedTexts(c), f.heatSpeed);
        fPageTime->setText(Q(f.timeWindowWidth));
        fEndTime->setText(Q(f.endTime));
        fDeadZone->setText(Q(f.scanDeadZone));
        fTimeScale->setCurrentIndex(f.timeScale);
        fTempScale->setCurrentIndex(f.tempScale);
        fDiffScale->setCurrentIndex(f.diffTempScale);
        fAreaScale->setCurrentIndex(f.areaScale);
        fTempAccuracy->setText(Q(f.tempAccuracy));
        fDiffAccuracy->setText(Q(f.diffAccuracy));
        fAreaAccuracy->setText(Q(f.areaAccuracy));
        fTFrom->setText(Q(f.tFrom));
        fTTo->setText(Q(f.tTo));
        fDtFrom->setText(Q(f.dtFrom));
        fDtTo->setText(Q(f.dtTo));
        setWindowTitle(Q("Настройки прибора - " + c.GetInterfaceName()));
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
    }
    fFilling = false;
}

RDevSettingsForm TDevPropsForm::Read() const {
    RDevSettingsForm f;
    f.frequency = TextOf(fFrequency);
    f.decimation = TextOf(fDecimation);
    f.portAddress = TextOf(fPort);
    f.startScanChannel = fStartChannel->currentIndex();
    f.deviceControlType = fControl->checkedId();
    f.endTime = TextOf(fEndTime);
    f.timeWindowWidth = TextOf(fPageTime);
    f.scanDeadZone = TextOf(fDeadZone);
    f.heatSpeed = TextOf(fHeatSpeed);
    f.postScanAction = fPostAction->currentIndex();
    f.tempTable = TextOf(fTempTable);
    f.diffTable = TextOf(fDiffTable);
    f.heatTable = TextOf(fHeatTable);
    f.tFrom = TextOf(fTFrom), f.tTo = TextOf(fTTo), f.dtFrom = TextOf(fDtFrom), f.dtTo = TextOf(fDtTo);
    f.timeScale = fTimeScale->currentIndex();
    f.tempScale = fTempScale->currentIndex();
    f.diffTempScale = fDiffScale->currentIndex();
    f.areaScale = fAreaScale->currentIndex();
    f.tempAccuracy = TextOf(fTempAccuracy);
    f.diffAccuracy = TextOf(fDiffAccuracy);
    f.areaAccuracy = TextOf(fAreaAccuracy);
    return f;
}

void TDevPropsForm::RecalculateWindows(const RTableReload& aReloaded) {
    const bool checkRanges = aReloaded.temp || aReloaded.diff;
    // ResetMargins refills the calibrated values first.
    UpdateDataWindows(
        fMain,
        [checkRanges](TfrmDataWindow& w) {
            w.DataClass().frequency = gConfig->frequency;
            w.DataClass().ResetMargins(checkRanges);
        },
        kClassName);
}

bool TDevPropsForm::ApplyAndClose(bool aSave) {
    // A run converts every sample through the tables: they are not exchanged under it.
    if (fReload.Any() && AnyDataWindowAcquiring(fMain)) {
        ErrBox(gLogger, kClassName,
               "Во время сканирования калибровочные таблицы не перезагружаются: остановите сканирование "
               "и повторите.");
        return false;
    }
    RDevSettingsForm f = Read();
    RTableReload reloaded;
    try {
        ApplyDevSettings(f, fReload, *gConfig, reloaded);
        fEndTime->setText(Q(f.endTime));
        if (aSave) gConfig->SaveDevSettings();
    } catch (const std::exception& e) {
        fEndTime->setText(Q(f.endTime));
        // The tables loaded before the failure are in force: the open windows must show them.
        if (reloaded.Any()) RecalculateWindows(reloaded);
        ErrBox(gLogger, kClassName, e.what());
        return false;
    }
    RecalculateWindows(reloaded);
    accept();
    return true;
}

void TDevPropsForm::OpenTablesFolder() {
    const std::string folder = gConfig->fCalibrationTablesPath;
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        ErrBox(gLogger, kClassName, "Папка с калибровочными таблицами  " + folder + " не найдена.");
        return;
    }
    if (!SystemUtils::ShellOpen(folder))
        ErrBox(gLogger, kClassName,
               "Не удалось открыть папку " + folder + ": в системе нет программы открытия папок (xdg-open).");
}

void TDevPropsForm::ShowDeviceInfo() {
    OpenModal(new TDevInfoForm(this, fDeviceDescription));
}

void ShowDeviceSettings(TKalveroForm& aMain) {
    if (!gConfig) return;
    OpenModal(new TDevPropsForm(aMain));
}

}  // namespace kalvero::app
