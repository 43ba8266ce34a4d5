#include "app/AppPropsForm.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/DialogSupport.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/QtText.h"
#include "common/FormFields.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "system/SystemUtils.h"

namespace kalvero::app {
namespace {

constexpr const char* kClassName = "TAppPropsForm";

void Check(QButtonGroup* aGroup, int aId) {
    // A value off the list leaves every choice open.
    aGroup->setExclusive(false);
    for (QAbstractButton* b : aGroup->buttons())
        b->setChecked(aGroup->id(b) == aId);
    aGroup->setExclusive(true);
}

}  // namespace

TAppPropsForm::TAppPropsForm(TKalveroForm& aMain) : QDialog(&aMain), fMain(aMain) {
    setWindowTitle("Настройки программы");
    auto* layout = new QVBoxLayout(this);
    fPages = new QTabWidget(this);
    fPages->addTab(BuildGeneralPage(), "Общие");
    fPages->addTab(BuildDisplayPage(), "Отображение");
    fPages->addTab(BuildProcessingPage(), "Сглаживание и касательные");
    const int peaks = fPages->addTab(BuildPeaksPage(), "Определение пиков");
    fPages->setTabVisible(peaks, gConfig->showHeatCalibration);
    layout->addWidget(fPages);

    layout->addWidget(SettingsButtons(this, "OK", "calibration_and_configuring_configuring_program",
                                      [this](bool aSave) { ApplyAndClose(aSave); }));
    Fill();
    NameForAccessibility(this);
}

QWidget* TAppPropsForm::BuildGeneralPage() {
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    fPriority = new QComboBox(page);
    for (const char* p : {"Оч. низкий", "Низкий", "Средний", "Высокий", "Оч. высокий"})
        fPriority->addItem(p);
    AddLabelled(grid, 0, "Приоритет", fPriority);
    fLinear = new QCheckBox("Линейная интерполяция данных", page);
    grid->addWidget(fLinear, 1, 0, 1, 3);
    auto* scale = new QGroupBox("Масштаб при сканировании", page);
    QButtonGroup* scales = AddRadioGroup(scale, {"Фиксированный масштаб", "Расширяемый масштаб"});
    fFixedScale = scales->button(0), fExpandableScale = scales->button(1);
    grid->addWidget(scale, 2, 0, 1, 3);

    fDataFolder = new QLineEdit(page);
    fDataFolder->setMinimumWidth(320);
    AddLabelled(grid, 3, "Папка по умочанию с файлами данных", fDataFolder);
    auto* browse = new QPushButton("Обзор...", page);
    connect(browse, &QPushButton::clicked, this, [this] { ChooseFolder(); });
    grid->addWidget(browse, 3, 2);

    fRegistration = new QLabel(page);
    grid->addWidget(fRegistration, 4, 0, 1, 2);
    auto* reg = new QPushButton("Зарегистрировать", page);
    connect(reg, &QPushButton::clicked, this, [this] { RegisterExtension(); });
    grid->addWidget(reg, 4, 2);
    grid->setRowStretch(5, 1);
    return page;
}

QWidget* TAppPropsForm::BuildDisplayPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    fGrid = new QCheckBox("Отображать сетку", page);
    fOptimization = new QCheckBox("Оптимизация прорисовки кривой", page);
    fAntiAliasing = new QCheckBox("Антиалиасинг кривой", page);
    fFillPeaks = new QCheckBox("Закраска пиков", page);
    fFillPeaks->setVisible(false);  // kept in the settings, not offered
    for (QCheckBox* box : {fGrid, fOptimization, fAntiAliasing, fFillPeaks})
        layout->addWidget(box);
    connect(fAntiAliasing, &QCheckBox::clicked, this, [this](bool on) { AntiAliasingClicked(on); });
    layout->addStretch(1);
    return page;
}

QSlider* TAppPropsForm::AddSlider(QWidget* aPage, QGridLayout* aGrid, int aRow, const std::string& aLabel,
                                  int aMin, int aMax) {
    auto* slider = new QSlider(Qt::Horizontal, aPage);
    slider->setRange(aMin, aMax);
    slider->setMinimumWidth(240);
    AddLabelled(aGrid, aRow, aLabel, slider);
    auto* value = new QLabel(QString::number(aMin), aPage);  // the slider starts at its least value
    value->setMinimumWidth(30);
    value->setAccessibleName(Q(TrimText(aLabel)) + " значение");
    aGrid->addWidget(value, aRow, 2);
    connect(slider, &QSlider::valueChanged, value, [value](int v) { value->setText(QString::number(v)); });
    return slider;
}

QWidget* TAppPropsForm::BuildProcessingPage() {
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    fTangentRange = new QLineEdit(page);
    AddLabelled(grid, 0, "Диапазон данных кривой для расчёта касательной (мсек) ", fTangentRange);
    fDotCount = AddSlider(page, grid, 1, "Количество точек, по которым ведется сглаживание:", 4, 100);
    fDotStep = AddSlider(page, grid, 2, "Шаг точек:", 1, 50);
    fSmoothStep = AddSlider(page, grid, 3, "Шаг сглаживания:", 1, 100);
    auto* tangent = new QGroupBox("Определение касательной переднего фронта пика", page);
    fTangentDetect = AddRadioGroup(tangent, {"По перегибу фронта пика", "По касанию фронта пика"});
    grid->addWidget(tangent, 4, 0, 1, 3);
    grid->setRowStretch(5, 1);
    return page;
}

QWidget* TAppPropsForm::BuildPeaksPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox("Определение пиков", page);
    auto* grid = new QGridLayout(group);
    auto* begin = new QGroupBox("Определение начала пика", group);
    fAreaBegin = AddRadioGroup(begin, {"Начало базовой", "Начало фронта", "Середина фронта"});
    auto* base = new QGroupBox("Определение базовой линии пика", group);
    fBaseLine = AddRadioGroup(base, {"Линейная интерполяция", "Горизонтальная линия"});
    grid->addWidget(begin, 0, 0, 1, 2);
    grid->addWidget(base, 1, 0, 1, 2);
    auto spin = [group](int aMin, int aMax) {
        auto* s = new QSpinBox(group);
        s->setRange(aMin, aMax);
        return s;
    };
    fBaseLineLimit = spin(1, 100);
    fPeakLowLimit = spin(1, 100);
    fPeakHighLimit = spin(10, 1000);
    AddLabelled(grid, 2, "Предел определения базовой линии (в отсчётах)", fBaseLineLimit);
    AddLabelled(grid, 3, "Нижний предел определения пика (в отсчётах)", fPeakLowLimit);
    AddLabelled(grid, 4, "Верхний предел определения пика (в отсчётах)", fPeakHighLimit);
    group->setVisible(gConfig->showHeatCalibration);
    layout->addWidget(group);
    layout->addStretch(1);
    return page;
}

void TAppPropsForm::Fill() {
    const TAppConfig& c = *gConfig;
    const RAppSettingsForm f = AppSettingsForm(c);
    fPriority->setCurrentIndex(f.priority);
    fLinear->setChecked(f.linearInterpolation);
    (f.expandableScale ? fExpandableScale : fFixedScale)->setChecked(true);
    fGrid->setChecked(f.showGrid);
    fOptimization->setChecked(f.drawOptimization);
    fAntiAliasing->setChecked(f.useAA);
    fFillPeaks->setChecked(f.fillPeaks);
    fDataFolder->setText(Q(f.dataFolder));
    fTangentRange->setText(Q(f.tangentTimeRange));
    fDotCount->setValue(f.smoothDotCount);
    fDotStep->setValue(f.smoothDotStep);
    fSmoothStep->setValue(f.smoothStep);
    Check(fTangentDetect, f.tangentDetectType);
    Check(fAreaBegin, f.areaBeginCalcType);
    Check(fBaseLine, f.peakBaseLineType);
    fBaseLineLimit->setValue(static_cast<int>(f.baseLineLimit));
    fPeakLowLimit->setValue(static_cast<int>(f.peakLowLimit));
    fPeakHighLimit->setValue(static_cast<int>(f.peakHighLimit));
    fRegistration->setText(Q(RegistrationCaption(c)));
    fPages->setCurrentIndex(0);
}

RAppSettingsForm TAppPropsForm::Read() const {
    RAppSettingsForm f;
    f.priority = fPriority->currentIndex();
    f.linearInterpolation = fLinear->isChecked();
    f.expandableScale = fExpandableScale->isChecked();
    f.showGrid = fGrid->isChecked();
    f.drawOptimization = fOptimization->isChecked();
    f.useAA = fAntiAliasing->isChecked();
    f.fillPeaks = fFillPeaks->isChecked();
    f.dataFolder = TextOf(fDataFolder);
    f.tangentTimeRange = TextOf(fTangentRange);
    f.smoothDotCount = fDotCount->value();
    f.smoothDotStep = fDotStep->value();
    f.smoothStep = fSmoothStep->value();
    f.tangentDetectType = fTangentDetect->checkedId();
    f.areaBeginCalcType = fAreaBegin->checkedId();
    f.peakBaseLineType = fBaseLine->checkedId();
    f.baseLineLimit = fBaseLineLimit->value();
    f.peakLowLimit = fPeakLowLimit->value();
    f.peakHighLimit = fPeakHighLimit->value();
    return f;
}

bool TAppPropsForm::ApplyAndClose(bool aSave) {
    bool applied = false;
    try {
        ApplyAppSettings(Read(), *gConfig);
        applied = true;
        if (aSave) gConfig->SaveAppSettings();
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
    }
    // The calibrated values and the plot follow the new settings, whatever got applied.
    UpdateDataWindows(
        fMain, [](TfrmDataWindow& w) { w.DataClass().FillTempValues(); }, kClassName);
    if (applied || !aSave) accept();
    return applied;
}

void TAppPropsForm::AntiAliasingClicked(bool aChecked) {
    if (!aChecked || fOptimization->isChecked()) return;
    fOptimization->setChecked(true);
    MsgBox(
        "Функция антиалиасинга должна использоваться при включенном режиме оптимизиации прорисовки, в "
        "противном случае эффект антиалиасинга малозаметен. Функция оптимизации прорисовки была включена "
        "автоматически.");
}

void TAppPropsForm::ChooseFolder() {
    if (const auto folder =
            AskFolder(this, "Выберите папку с пользовательскими данными", TextOf(fDataFolder)))
        fDataFolder->setText(Q(*folder));
}

void TAppPropsForm::RegisterExtension() {
    try {
        const TAppConfig& c = *gConfig;
        SystemUtils::RegisterExt(c.workFileExt, c.workFileLabel, S(QApplication::applicationFilePath()));
        MsgBox("Расширение успешно зарегистрировано");
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
    }
}

void ShowProgramSettings(TKalveroForm& aMain) {
    if (!gConfig) return;
    OpenModal(new TAppPropsForm(aMain));
}

}  // namespace kalvero::app
