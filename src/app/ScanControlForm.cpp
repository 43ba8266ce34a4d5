#include "app/ScanControlForm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <ctime>

#include "acquisition/RunControl.h"
#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/DialogSupport.h"
#include "app/Dialogs.h"
#include "app/DigitalPortForm.h"
#include "app/PlotView.h"
#include "app/QtText.h"
#include "app/RunBinding.h"
#include "app/ScanProgramPanel.h"
#include "common/Globals.h"
#include "common/Logger.h"
#include "common/MsgBoxes.h"
#include "common/Procs.h"
#include "common/UiHooks.h"
#include "graphics/DataCanvas.h"

namespace kalvero::app {
namespace {

constexpr const char* kClassName = "TfrmScanControlForm";
TfrmScanControlForm* gInstance = nullptr;

QString RateText(double aRate) {
    return Q(aRate == std::floor(aRate) ? std::to_string(static_cast<int64_t>(aRate))
                                        : FormatFixed(aRate, 1));
}

QLabel* Label(const char* aText, QWidget* aField, QWidget* aParent) {
    auto* label = new QLabel(aText, aParent);
    label->setBuddy(aField);
    aField->setAccessibleName(StripAccel(aText));
    return label;
}

}  // namespace

TfrmScanControlForm* TfrmScanControlForm::Instance() {
    return gInstance;
}

TfrmScanControlForm::TfrmScanControlForm(QWidget* aMain)
    : QWidget(aMain, Qt::Tool | Qt::WindowStaysOnTopHint) {
    gInstance = this;
    setWindowTitle("Сканирование");
    fControl = std::make_unique<TScanRunControl>(*gConfig);
    // Without a thread (no driver, a wrong setting) the window stays, and only closes.
    if (!fControl->ThreadError().empty()) UiHooks().ErrBox(fControl->ThreadError());
    SetBoundRunControl(fControl.get());
    Build();
    fDrawTimer = new QTimer(this);
    fDrawTimer->setInterval(100);
    connect(fDrawTimer, &QTimer::timeout, this, [this] { DrawTick(); });
    fInterfaceTimer = new QTimer(this);
    fInterfaceTimer->setInterval(1000);
    connect(fInterfaceTimer, &QTimer::timeout, this, [this] { InterfaceTick(); });
    fInterfaceTimer->start();
    UpdateUI();
    NameForAccessibility(this);
}

TfrmScanControlForm::~TfrmScanControlForm() {
    fDrawTimer->stop();
    fInterfaceTimer->stop();
    if (fControl->Thread() && fControl->Thread()->IsStarted()) fControl->Stop();  // the heater goes off
    SetBoundRunControl(nullptr);
    if (gInstance == this) gInstance = nullptr;
}

void TfrmScanControlForm::Build() {
    const TAppConfig& c = *gConfig;
    auto* layout = new QVBoxLayout(this);
    auto* upper = new QGridLayout;
    auto button = [this](const char* aCaption) { return new QPushButton(aCaption, this); };
    fStart = button("Старт");
    fStop = button("Стоп");
    fReset = button("Сброс");
    fProgramToggle = button("Программа");
    fProgramToggle->setCheckable(true);
    fDebug = button("Dbg");
    fDebug->setCheckable(true);
    fDebug->setVisible(c.debugMode);
    fHelp = new QPushButton(ToolIcon(TToolIcon::Help), "", this);
    fHelp->setToolTip("Справка");
    fClose = button("Закрыть");
    int column = 0;
    for (QPushButton* b : {fStart, fStop, fReset, fProgramToggle, fDebug, fHelp, fClose})
        upper->addWidget(b, 0, column++);

    fHeatSpeed = new QComboBox(this);
    fControlMode = new QComboBox(this);
    fControlMode->addItems({"Нет", "Старт/Стоп", "Программа"});
    fPostAction = new QComboBox(this);
    fPostAction->addItems({"Нет действия", "Стоп сканирование", "Стоп и сохранить файл"});
    auto* rates = Label("Скорость нагрева", fHeatSpeed, this);
    auto* modes = Label("Управление прибором", fControlMode, this);
    auto* post = Label("По оконч. программы", fPostAction, this);
    upper->addWidget(rates, 1, 0, 1, 2);
    upper->addWidget(fHeatSpeed, 1, 2);
    upper->addWidget(modes, 1, 3, 1, 2);
    upper->addWidget(fControlMode, 1, 5, 1, 2);
    upper->addWidget(post, 2, 3, 1, 2);
    upper->addWidget(fPostAction, 2, 5, 1, 2);

    fNewChannel = new QCheckBox("Сканировать в новый канал ", this);
    fZeroOffset = new QSpinBox(this);
    fZeroOffset->setRange(std::min(c.dTMinADCValue, c.dTMaxADCValue),
                          std::max(c.dTMinADCValue, c.dTMaxADCValue));
    fZeroReset = button("0");
    fZeroReset->setToolTip("Сбросить коррекцию нулевой линии");
    fZeroReset->setAccessibleName("Сбросить коррекцию нулевой линии");
    auto* zero = Label("Коррекция нуля", fZeroOffset, this);
    fHeater = new QLabel("Нагреватель", this);
    // A label whose text changes is read by its text: the role goes into the description.
    fHeater->setAccessibleDescription("Нагреватель");
    fHeater->setAlignment(Qt::AlignCenter);
    fHeater->setMinimumWidth(110);
    upper->addWidget(fNewChannel, 2, 0, 1, 3);
    upper->addWidget(zero, 3, 0, 1, 2);
    upper->addWidget(fZeroOffset, 3, 2);
    upper->addWidget(fZeroReset, 3, 3);
    upper->addWidget(fHeater, 3, 5, 1, 2);
    fState = new QLabel(this);
    fState->setAccessibleDescription("Состояние");
    QFont bold = fState->font();
    bold.setBold(true);
    fState->setFont(bold);
    upper->addWidget(fState, 4, 0, 1, 7);
    layout->addLayout(upper);
    fUpperPart = {fStart,      fStop,       fReset,      fProgramToggle, fDebug, fHeatSpeed,
                  fPostAction, fNewChannel, fZeroOffset, fZeroReset,     fHelp};

    // The instrument's control: only for an instrument whose heater the program drives.
    fProgramToggle->setVisible(c.useDeviceControl);
    fControlMode->setVisible(c.useDeviceControl);
    modes->setVisible(c.useDeviceControl);
    fHeater->setVisible(c.useDeviceControl);
    const bool zeroEdit = c.allowDtZeroLineEdit || c.allowTZeroLineEdit;
    for (QWidget* w : std::initializer_list<QWidget*>{zero, fZeroOffset, fZeroReset})
        w->setVisible(zeroEdit);

    fProgramPanel = new TScanProgramPanel(*fControl, this);
    fProgramPanel->hide();
    layout->addWidget(fProgramPanel, 1);
    fPortWindow = new Tfrm_DigitalPortDebug(this);

    connect(fStart, &QPushButton::clicked, this, [this] { StartPauseContinue(); });
    connect(fStop, &QPushButton::clicked, this, [this] { Stop(); });
    connect(fReset, &QPushButton::clicked, this, [this] { Reset(); });
    connect(fClose, &QPushButton::clicked, this, [this] { close(); });
    connect(fHelp, &QPushButton::clicked, this, [this] { ShowHelp(this, "performing_experiment_scanning"); });
    connect(fProgramToggle, &QPushButton::toggled, this, [this](bool on) { ToggleProgramPanel(on); });
    connect(fDebug, &QPushButton::toggled, this, [this](bool on) {
        if (on) fPortWindow->move(frameGeometry().topRight());
        fPortWindow->setVisible(on);
    });
    connect(fHeatSpeed, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        if (fFilling || text.isEmpty()) return;
        try {
            fControl->SetHeatSpeed(static_cast<float>(StrToRealEx(S(text))));
        } catch (const std::exception&) {
            // a text that is not a rate keeps the rate as it was
        }
    });
    connect(fControlMode, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (fFilling || index < 0) return;
        fControl->SetDeviceControlType(static_cast<TDeviceControlType>(index));
        UpdateUI();
    });
    connect(fPostAction, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!fFilling && index >= 0) fControl->SetPostScanAction(static_cast<TPostScanAction>(index));
    });
    connect(fNewChannel, &QCheckBox::toggled, this, [this](bool on) {
        if (!fFilling) fControl->SetScanToNewChannel(on);
    });
    connect(fZeroOffset, &QSpinBox::valueChanged, this, [this](int v) {
        if (!fFilling) SetZeroOffset(v);
    });
    connect(fZeroReset, &QPushButton::clicked, this, [this] { fZeroOffset->setValue(0); });
}

void TfrmScanControlForm::Init(TDataClass* aDataClass, TfrmDataWindow* aDataWindow) {
    fDataClass = aDataClass;
    fDataWindow = aDataWindow;
    fControl->Init(aDataClass);
    fPortWindow->SetThread(fControl->Thread());
    UpdateUI();
}

bool TfrmScanControlForm::SameDataClass(const TDataClass* aDataClass) const {
    return fControl->SameDataClass(aDataClass);
}

bool TfrmScanControlForm::IsRunActive() const {
    return fControl->Thread() && fControl->Thread()->IsStarted();
}

void TfrmScanControlForm::DisableView() {
    fDisabledView = true;
    UpdateUI();
}

void TfrmScanControlForm::EnableView() {
    fDisabledView = false;
    UpdateUI();
}

void TfrmScanControlForm::FillChoices() {
    const TAppConfig& c = *gConfig;
    fHeatSpeed->clear();
    for (double rate : c.heatSpeedList)
        fHeatSpeed->addItem(RateText(rate));
    fHeatSpeed->setCurrentIndex(
        std::max(0, static_cast<int>(fHeatSpeed->findText(RateText(fControl->HeatSpeed())))));
    fControlMode->setCurrentIndex(fControl->DeviceControlType());
    fPostAction->setCurrentIndex(fControl->PostScanAction());
    fZeroOffset->setValue(c.dTSignalOffset);
    fZeroOffset->setSingleStep(std::max((c.dTMaxValue - c.dTMinValue) / 200, 1));
}

void TfrmScanControlForm::UpdateUI() {
    fFilling = true;
    const TAppConfig& c = *gConfig;
    TCommonScanThread* thread = fControl->Thread();
    const bool locked = fDisabledView || !fDataClass || !thread;
    for (QWidget* w : fUpperPart)
        w->setEnabled(!locked);
    fControlMode->setEnabled(!locked && c.useDeviceControl);
    fClose->setEnabled(true);
    QPalette palette = fState->palette();
    fState->setText(Q(fControl->StateLine()));
    palette.setColor(QPalette::WindowText, fControl->StateIsError() ? QColor(139, 0, 0) : QColor(Qt::blue));
    fState->setPalette(palette);
    if (locked) {
        fProgramPanel->SetEditable(false);
        fFilling = false;
        return;
    }
    FillChoices();
    fPostAction->setEnabled(fControl->DeviceControlType() == dctProgram);
    if (!fControl->StateIsError()) {
        const TRunState state = thread->GetRunState();
        const bool stopped = state == rsStopped;
        fStart->setText(stopped ? "Старт" : state == rsPaused ? "Продолжить" : "Пауза");
        fStart->setAccessibleName(fStart->text());
        for (QWidget* w : std::initializer_list<QWidget*>{fHeatSpeed, fReset})
            w->setEnabled(stopped);
        fControlMode->setEnabled(stopped && c.useDeviceControl);
        fProgramPanel->SetEditable(stopped);
        fStop->setEnabled(!stopped);
    }
    fFilling = false;
}

void TfrmScanControlForm::StartPauseContinue() {
    TCommonScanThread* thread = fControl->Thread();
    if (!fDataClass || !thread) return;
    const bool wasStopped = thread->IsStopped();
    try {
        if (wasStopped && !fHeatSpeed->currentText().isEmpty())
            fControl->SetHeatSpeed(static_cast<float>(StrToRealEx(S(fHeatSpeed->currentText()))));
        fControl->StartPauseContinue();
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
    }
    if (wasStopped && thread->IsStarted()) {
        RefreshDataWindow();
        if (fControl->Program().IsRunning() && !fProgramPanel->isVisible()) fProgramToggle->setChecked(true);
    }
    fLiveWidth = 0;
    if (thread->IsRunning()) {
        fDrawTimer->start();
    } else {
        fDrawTimer->stop();
    }
    UpdateUI();
    RunStateChanged();
}

void TfrmScanControlForm::Stop() {
    try {
        fControl->Stop();
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
    }
    AfterRunStopped();
}

void TfrmScanControlForm::AfterRunStopped() {
    fDrawTimer->stop();
    fProgramPanel->MarkStep(-1, false, false);
    RefreshDataWindow();
    UpdateUI();
    RunStateChanged();
}

void TfrmScanControlForm::Reset() {
    try {
        fControl->Reset();
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
    }
    fFilling = true;
    fNewChannel->setChecked(false);
    fFilling = false;
    AfterRunStopped();
}

void TfrmScanControlForm::RefreshDataWindow() {
    if (fDataWindow && fDataWindow->Experiment()) fDataWindow->RefreshAfterRun();
}

void TfrmScanControlForm::RunStateChanged() {
    if (onRunStateChanged) onRunStateChanged(IsRunActive());
}

void TfrmScanControlForm::ToggleProgramPanel(bool aShow) {
    if (fProgramToggle->isChecked() != aShow) fProgramToggle->setChecked(aShow);
    if (fProgramPanel->isVisible() == aShow) return;
    // The window grows or shrinks by the panel's height.
    fProgramPanel->setVisible(aShow);
    resize(width(), height() + (aShow ? 300 : -300));
}

void TfrmScanControlForm::SetZeroOffset(int aValue) {
    fControl->SetDtSignalOffset(aValue);
    if (fDataClass)
        fZeroOffset->setSingleStep(
            std::max((fDataClass->fDiffTempMaxValue - fDataClass->fDiffTempMinValue) / 200, 1));
}

void TfrmScanControlForm::DrawTick() {
    TCommonScanThread* thread = fControl->Thread();
    if (!fDataWindow || !fDataWindow->Experiment() || !fDataClass || !thread) return;
    TDataCanvas& canvas = fDataWindow->Canvas();
    // A paint in progress keeps its picture: this tick is skipped, the next one draws more.
    if (!canvas.TryLock()) return;
    const TDrawUpdate update = fControl->OnDrawTimer();
    const std::vector<std::string> lines = fControl->LiveValueLines();
    try {
        auto lock = thread->LockItemsForReading();
        TDataClass& d = *fDataClass;
        if (update.fullRedraw) {
            d.ResetMargins(false);
            d.Redraw();
        } else if (update.drawn) {
            const uint32_t drawnTo = d.fOldTimeCounter;
            d.fOldTimeCounter = update.from;
            d.DrawGraph();
            d.fOldTimeCounter = drawnTo;
        }
        if (!lines.empty()) {
            TDataCanvas& c = *d.GetCanvas();
            c.SetFont("Arial", 16, RGB(255, 0, 0), fsBold);
            c.SetBrush(bsSolid, gConfig->display.backGroundColor);
            const int step = c.GetTextHeight("0") + 5;
            const int width = c.GetTextWidth(lines.front());
            // Values narrower than the last ones leave nothing of those behind.
            fLiveWidth = std::max(fLiveWidth, width);
            c.FillRectangle(c.GetClientWidth() - fLiveWidth, 3, c.GetClientWidth(),
                            3 + static_cast<int>(lines.size()) * step, false);
            for (size_t k = 0; k < lines.size(); ++k)
                c.TextOut(c.GetClientWidth() - width, 3 + static_cast<int>(k) * step, lines[k], false);
        }
    } catch (const std::exception& e) {
        if (gLogger)
            gLogger->Debug(kClassName, std::to_string(thread->GetCurrTime()) + " " +
                                           std::to_string(fDataClass->GetItemCount() - 1) + " " + e.what());
    }
    canvas.Flush();
    canvas.UnLock();
    fDataWindow->Plot().update();
}

void TfrmScanControlForm::InterfaceTick() {
    if (!fControl->Thread() || !fDataClass) return;
    const TAppConfig& c = *gConfig;
    TScanProgram& program = fControl->Program();
    fProgramPanel->SetSaveEnabled(!program.IsProgramSaved());
    fZeroOffset->setEnabled(!fDisabledView && fDataClass->IsInDtRelatedMode());
    fZeroReset->setEnabled(fZeroOffset->isEnabled());
    // The timer rests while the program's end is handled (an automatic save may ask a question).
    fInterfaceTimer->stop();
    const TRunEvent event = fControl->OnInterfaceTimer();
    fInterfaceTimer->start();
    switch (event) {
        case TRunEvent::reFailed:
            AfterRunStopped();
            UiHooks().ErrBox(fControl->ThreadErrorText());
            break;
        case TRunEvent::reProgramSaved:
            AfterRunStopped();
            if (fDataWindow && !fDataClass->fHasUnsavedChanges)
                fDataWindow->setWindowTitle(Q(fDataClass->fFileName));
            break;
        case TRunEvent::reProgramStopped:
            AfterRunStopped();
            break;
        case TRunEvent::reNone:
            break;
    }
    if (c.useDeviceControl) {
        const bool executing = program.IsRunning() || program.IsPaused();
        int current = -1;
        if (executing) {
            try {
                current = program.GetCurrentStep().stepNo;
            } catch (const std::exception&) {
                current = -1;  // paused between steps
            }
        }
        fProgramPanel->MarkStep(current, program.IsPaused(), std::time(nullptr) % 2 == 1);
        fProgramPanel->setTitle(executing ? "Программа управления (выполняется)" : "Программа управления");
        const bool heating = program.IsHeatingOn();
        fHeater->setText(heating ? "Нагрев включён" : "Нагрев выключен");
        fHeater->setStyleSheet(heating ? "background:#e03030;color:white;"
                                       : "background:#c0c0c0;color:black;");
    }
    UpdateUI();
}

void TfrmScanControlForm::closeEvent(QCloseEvent* aEvent) {
    fDebug->setChecked(false);
    fPortWindow->hide();
    QWidget::closeEvent(aEvent);  // the window only hides: it serves the whole program run
}

QString TfrmScanControlForm::StateLine() const {
    return fState->text();
}

QString TfrmScanControlForm::StartCaption() const {
    return fStart->text();
}

void ShowScanControl(TfrmDataWindow& aWindow) {
    TfrmScanControlForm* form = TfrmScanControlForm::Instance();
    if (!form || !aWindow.Experiment()) return;
    // A run in progress keeps the window: it is not taken from the experiment it writes into.
    if (!form->SameDataClass(aWindow.Experiment())) {
        if (form->IsRunActive()) {
            MsgBox("Идёт сканирование в эксперимент окна \"" +
                   S(form->DataWindow() ? form->DataWindow()->windowTitle() : QString()) +
                   "\". Остановите его, чтобы сканировать в это окно.");
        } else {
            form->Init(aWindow.Experiment(), &aWindow);
        }
    }
    if (!form->isVisible() && !form->property("placed").toBool()) {
        // The first time it stands at the top right of the data window, clear of the curve's start.
        const QPoint corner = aWindow.mapToGlobal(QPoint(aWindow.width(), 0));
        form->adjustSize();
        form->move(corner.x() - form->width() - 20, corner.y() + 40);
        form->setProperty("placed", true);
    }
    BringToFront(*form);
}

}  // namespace kalvero::app
