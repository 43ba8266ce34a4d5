#include "app/PropdlgForm.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>

#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/DialogSupport.h"
#include "app/Dialogs.h"
#include "app/QtText.h"
#include "common/Cp1251.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "common/ScaleLists.h"
#include "data/DataClass.h"

namespace kalvero::app {
namespace {

constexpr const char* kClassName = "TPropdlgForm";
constexpr int kDescriptionLength = 255;

QComboBox* WordList(QWidget* aParent, const std::vector<std::string>& aWords) {
    auto* list = new QComboBox(aParent);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setMinimumWidth(260);
    FillList(list, aWords);
    return list;
}

QComboBox* ScaleList(QWidget* aParent, const std::vector<std::string>& aEntries) {
    auto* list = new QComboBox(aParent);
    FillList(list, aEntries);
    return list;
}

}  // namespace

TPropdlgForm::TPropdlgForm(TfrmDataWindow& aWindow) : QDialog(&aWindow), fWindow(aWindow) {
    const TAppConfig& c = *gConfig;
    setWindowTitle("Свойства эксперимента");
    auto* layout = new QGridLayout(this);

    auto* person = new QGroupBox("Данные оператора", this);
    auto* personGrid = new QGridLayout(person);
    fOperator = WordList(person, c.operatorsList);
    fLaboratory = WordList(person, c.labsList);
    AddLabelled(personGrid, 0, "ФИО", fOperator);
    AddLabelled(personGrid, 1, "Лаборатория", fLaboratory);
    layout->addWidget(person, 0, 0);

    auto* run = new QGroupBox("Параметры эксперимента", this);
    auto* runGrid = new QGridLayout(run);
    fDate = new QDateEdit(run);
    fDate->setCalendarPopup(true);
    fDate->setDisplayFormat("dd.MM.yyyy");
    fTime = new QTimeEdit(run);
    fTime->setDisplayFormat("HH:mm:ss");
    AddLabelled(runGrid, 0, "Дата эксперимента", fDate);
    AddLabelled(runGrid, 0, "Время", fTime, 2);
    fSample = WordList(run, c.samplesList);
    AddLabelled(runGrid, 1, "Вещество", fSample);
    fMass = new QLineEdit(run);
    AddLabelled(runGrid, 2, "Масса навески (мг)", fMass);
    fFrequency = new QLineEdit(run);
    fFrequency->setReadOnly(true);
    AddLabelled(runGrid, 2, "Частота опроса (Гц)", fFrequency, 2);
    fHeatSpeed = new QComboBox(run);
    fHeatSpeed->setEditable(true);
    fHeatSpeed->setInsertPolicy(QComboBox::NoInsert);
    FillList(fHeatSpeed, HeatSpeedTexts(c));
    AddLabelled(runGrid, 3, "Скорость нагрева", fHeatSpeed);
    runGrid->addWidget(new QLabel("град/мин", run), 3, 2);
    fDescription = new QPlainTextEdit(run);
    fDescription->setMaximumHeight(70);
    runGrid->addWidget(new QLabel("Дополнительная\nинформация", run), 4, 0);
    runGrid->addWidget(fDescription, 4, 1, 1, 3);
    NameAfter(fDescription, "Дополнительная информация");
    // At most 255 characters, as the experiment file keeps them.
    connect(fDescription, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = fDescription->toPlainText();
        if (text.size() <= kDescriptionLength) return;
        fDescription->setPlainText(text.left(kDescriptionLength));
        fDescription->moveCursor(QTextCursor::End);
    });
    layout->addWidget(run, 1, 0);

    auto* scales = new QGroupBox("Параметры шкал (перекрывают глобальные настройки)", this);
    auto* scaleGrid = new QGridLayout(scales);
    fTimeScale = ScaleList(scales, TimeScaleList());
    fDiffScale = ScaleList(scales, DiffTempScaleList(c));
    fTempScale = ScaleList(scales, TempScaleList(c));
    fAreaScale = ScaleList(scales, AreaScaleList(c));
    AddLabelled(scaleGrid, 0, "Шкала времени", fTimeScale);
    AddLabelled(scaleGrid, 1, c.diffChannelName, fDiffScale);
    QLabel* temp = AddLabelled(scaleGrid, 2, c.tempChannelName, fTempScale);
    QLabel* area = AddLabelled(scaleGrid, 3, c.integralCaption, fAreaScale);
    temp->setVisible(c.showTempChannel), fTempScale->setVisible(c.showTempChannel);
    area->setVisible(c.usePeakCalculation), fAreaScale->setVisible(c.usePeakCalculation);
    static const char* const kRangeNames[] = {"dT от", "dT до", "T от", "T до"};
    for (int k = 0; k < 4; ++k) {
        fRanges[k] = new QLabel(scales);
        fRanges[k]->setAccessibleName(kRangeNames[k]);
        fRanges[k]->setVisible(c.debugMode);
        scaleGrid->addWidget(fRanges[k], k, 2);
    }
    layout->addWidget(scales, 2, 0);

    auto* buttons = new QDialogButtonBox(this);
    AddButton(buttons, "OK", [this] { Apply(); })->setDefault(true);
    AddButton(buttons, "Отмена", [this] { reject(); });
    layout->addWidget(buttons, 3, 0);
    Fill();
    NameForAccessibility(this);
}

void TPropdlgForm::Fill() {
    try {
        const RPropertiesForm f = PropertiesForm(fWindow.DataClass(), *gConfig);
        fOperator->setEditText(Q(f.operatorName));
        fLaboratory->setEditText(Q(f.laboratory));
        fSample->setEditText(Q(f.sample));
        fDate->setDate(QDate(f.date.year, f.date.month, f.date.day));
        fTime->setTime(QTime(f.date.hour, f.date.minute, f.date.second, f.date.millisecond));
        fDescription->setPlainText(Q(f.description));
        fMass->setText(Q(f.mass));
        fFrequency->setText(Q(f.frequency));
        fTimeScale->setCurrentIndex(f.timeScale);
        fDiffScale->setCurrentIndex(f.diffTempScale);
        fTempScale->setCurrentIndex(f.tempScale);
        fAreaScale->setCurrentIndex(f.areaScale);
        fHeatSpeed->setCurrentIndex(fHeatSpeed->findText(Q(f.heatSpeed)));
        fHeatSpeed->setEditText(Q(f.heatSpeed));
        for (int k = 0; k < 4; ++k)
            fRanges[k]->setText(Q(f.rangeLabels[static_cast<size_t>(k)]));
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
    }
}

RPropertiesForm TPropdlgForm::Read() const {
    RPropertiesForm f;
    f.operatorName = TextOf(fOperator);
    f.laboratory = TextOf(fLaboratory);
    f.sample = TextOf(fSample);
    f.description = S(fDescription->toPlainText());
    f.mass = TextOf(fMass);
    f.heatSpeed = TextOf(fHeatSpeed);
    const QDate day = fDate->date();
    const QTime time = fTime->time();
    f.date = {day.year(), day.month(), day.day(), time.hour(), time.minute(), time.second(), time.msec()};
    f.timeScale = fTimeScale->currentIndex();
    f.tempScale = fTempScale->currentIndex();
    f.diffTempScale = fDiffScale->currentIndex();
    f.areaScale = fAreaScale->currentIndex();
    return f;
}

void TPropdlgForm::Apply() {
    try {
        ApplyProperties(Read(), fWindow.DataClass(), *gConfig);
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
    }
    try {
        fWindow.DataClass().ResetMargins(true);
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
    }
    fWindow.Redraw();
    fWindow.UpdateScrollBars();
    accept();
}

void ShowExperimentProperties(TfrmDataWindow& aWindow) {
    if (!gConfig || !aWindow.Experiment()) return;
    OpenModal(new TPropdlgForm(aWindow));
}

}  // namespace kalvero::app
