#include "app/CalibrationDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <filesystem>

#include "app/CalibrationChart.h"
#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/NestedLoop.h"
#include "app/PointGrid.h"
#include "app/Prompts.h"
#include "app/QtText.h"
#include "calibration/CalibrationGrid.h"
#include "calibration/CalibrationMath.h"
#include "calibration/DiffTempAutoPoints.h"
#include "calibration/DiffTempCalibration.h"
#include "calibration/GlobalTables.h"
#include "calibration/HeatCalibration.h"
#include "calibration/TableBuild.h"
#include "calibration/TempCalibration.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "common/Procs.h"

namespace kalvero::app {
namespace {

constexpr const char* kClassName = "TCalibrationFrm";
constexpr const char* kCalcError = "Ошибка при расчёте калибровочной таблиццы! ";
constexpr const char* kTableKept = " Таблица не изменена: действует последняя рассчитанная.";
constexpr const char* kRunRefusal =
    "Идёт сканирование: калибровочные таблицы можно пересчитать только после его окончания.";

struct RMethodName {
    TInterpolationType type;
    const char* name;
};
constexpr RMethodName kMethods[] = {{itLine, "Линейная интерполяция"},
                                    {itPolynomial, "Интерполяция степенным полиномом"},
                                    {itMinSquare, "Аппроксимация по наименьш. квадр."},
                                    {itBezie, "Аппроксимация кривыми Безье"}};

const char* HelpTopic(TCalibrationTableType aKind) {
    switch (aKind) {
        case cttDiffTemperature:
            return "calibration_and_configuring_calibration_diff_temperature";
        case cttHeat:
            return "calibration_and_configuring_calibration_heat";
        default:
            return "calibration_and_configuring_calibration_temperature";
    }
}

TCalibrationTable* GlobalTable(TCalibrationTableType aKind) {
    switch (aKind) {
        case cttDiffTemperature:
            return gDiffTempCalibrationTable;
        case cttHeat:
            return gHeatCalibrationTable;
        default:
            return gTempCalibrationTable;
    }
}

QLineEdit* Field(QWidget* aParent, QFormLayout* aForm, const char* aLabel) {
    auto* field = new QLineEdit(aParent);
    field->setAccessibleName(aLabel);
    aForm->addRow(aLabel, field);
    return field;
}

// A tune field as a number; an error names the field.
double FieldNumber(const QLineEdit* aField) {
    try {
        return StrToRealEx(S(aField->text()));
    } catch (const std::invalid_argument&) {
        throw ECalibrationException("Поле \"" + S(aField->accessibleName()) + "\": \"" + S(aField->text()) +
                                    "\" не является числом");
    }
}

}  // namespace

TCalibrationFrm::TCalibrationFrm(QWidget* aParent, TCalibrationTable* aTable, TfrmDataWindow* aActive,
                                 std::function<bool()> aRunInProgress)
    : QDialog(aParent), fCurrentTable(aTable), fActive(aActive), fRunInProgress(std::move(aRunInProgress)) {
    setWindowTitle("Калибровочные данные");
    setModal(true);
    Build();
    BuildPages();
    NameForAccessibility(this);
    qApp->installEventFilter(this);
    Fill();
}

TCalibrationFrm::~TCalibrationFrm() {
    qApp->removeEventFilter(this);
}

void TCalibrationFrm::Build() {
    auto* layout = new QVBoxLayout(this);
    fPages = new QTabBar(this);
    fPages->setAccessibleName("Калибровочные таблицы");
    fPages->setExpanding(false);
    layout->addWidget(fPages);

    auto* description = new QHBoxLayout;
    description->addWidget(new QLabel("Описание таблицы", this));
    fDescription = new QLineEdit(this);
    fDescription->setAccessibleName("Описание таблицы");
    description->addWidget(fDescription);
    layout->addLayout(description);

    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* rowButtons = new QHBoxLayout;
    auto* addRow = new QPushButton("Добавить строку", this);
    auto* deleteRow = new QPushButton("Удалить строку", this);
    rowButtons->addWidget(addRow);
    rowButtons->addWidget(deleteRow);
    rowButtons->addStretch();
    left->addLayout(rowButtons);
    fGrid = new TPointGrid(this);
    fGrid->setAccessibleName("Калибровочные точки");
    fGrid->setMinimumWidth(520);
    left->addWidget(fGrid, 1);
    fAutoPanel = new QWidget(this);
    auto* autoLayout = new QHBoxLayout(fAutoPanel);
    autoLayout->setContentsMargins(0, 0, 0, 0);
    auto* getData = new QPushButton("&Получить данные", fAutoPanel);
    getData->setToolTip("Калибровочные точки по пикам кривой активного окна");
    autoLayout->addWidget(getData);
    autoLayout->addStretch();
    left->addWidget(fAutoPanel);
    fHeatPanel = BuildHeatPanel();
    left->addWidget(fHeatPanel);
    body->addLayout(left, 3);

    auto* right = new QVBoxLayout;
    fMethodLabel = new QLabel("Способ расчёта", this);
    fMethod = new QComboBox(this);
    fMethod->setAccessibleName("Способ расчёта");
    right->addWidget(fMethodLabel);
    right->addWidget(fMethod);
    fChart = new TCalibrationChart(this);
    right->addWidget(fChart, 1);
    body->addLayout(right, 2);
    layout->addLayout(body, 1);

    auto* bottom = new QHBoxLayout;
    fCalcButton = new QPushButton("&Расчёт", this);
    auto* save = new QPushButton("Сохранить", this);
    auto* help = new QPushButton("Помощь", this);
    auto* close = new QPushButton("Закрыть", this);
    fRecalcBase = new QCheckBox("Cделать перерасчёт базы", this);
    fRecalcBase->setVisible(false);
    for (QWidget* w : std::initializer_list<QWidget*>{fCalcButton, save, help, close})
        bottom->addWidget(w);
    bottom->addWidget(fRecalcBase);
    bottom->addStretch();
    layout->addLayout(bottom);
    for (QPushButton* b : {addRow, deleteRow, getData, fCalcButton, save, help, close})
        b->setAutoDefault(false);

    connect(addRow, &QPushButton::clicked, this, [this] { AddRow(); });
    connect(deleteRow, &QPushButton::clicked, this, [this] { DeleteRow(); });
    connect(getData, &QPushButton::clicked, this, [this] { GetData(); });
    connect(fCalcButton, &QPushButton::clicked, this, [this] { Calculate(); });
    connect(save, &QPushButton::clicked, this, [this] { Save(); });
    connect(help, &QPushButton::clicked, this, [this] { ShowHelp(this, HelpTopic(PageKind())); });
    connect(close, &QPushButton::clicked, this, [this] { reject(); });
    connect(fMethod, &QComboBox::activated, this, [this] { MethodChosen(); });
    connect(fDescription, &QLineEdit::textEdited, this, [this] { SetPending(true); });
    connect(fRecalcBase, &QCheckBox::toggled, this, [this] { SetPending(true); });
    fGrid->onEdited = [this] { SetPending(true); };
    fGrid->SetCellCheck([this](int aColumn, const std::string& aText, const std::string& aPrevious) {
        return CheckGridCell(*fCurrentTable, aColumn, aText, aPrevious);
    });
    resize(1100, 640);
}

QWidget* TCalibrationFrm::BuildHeatPanel() {
    auto* panel = new QWidget(this);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    fAdditional = new QGroupBox("Дополнительно", panel);
    auto* additional = new QVBoxLayout(fAdditional);
    fMarginPoints = new QCheckBox("Использовать крайние (расчётные) точки", fAdditional);
    additional->addWidget(fMarginPoints);
    additional->addStretch();
    layout->addWidget(fAdditional);

    auto* tune = new QGroupBox("Подстройка калибровки", panel);
    auto* tuneLayout = new QVBoxLayout(tune);
    fUseTunePoint = new QCheckBox("Использовать подстройку калибровки", tune);
    tuneLayout->addWidget(fUseTunePoint);
    auto* form = new QFormLayout;
    fTuneMass = Field(tune, form, "Масса (мг)");
    fTuneTransTemp = Field(tune, form, "Т превр.");
    fTuneDh = Field(tune, form, "Уд. теплота (Дж/г)");
    fTuneArea = Field(tune, form, "Площадь");
    fTuneFactor = Field(tune, form, "Калибр. коэфф.*10(-6)");
    fTuneFactor->setReadOnly(true);
    tuneLayout->addLayout(form);
    layout->addWidget(tune);

    for (QCheckBox* box : {fMarginPoints, fUseTunePoint})
        connect(box, &QCheckBox::toggled, this, [this] { SetPending(true); });
    for (QLineEdit* field : {fTuneMass, fTuneTransTemp, fTuneDh, fTuneArea})
        connect(field, &QLineEdit::textEdited, this, [this] { SetPending(true); });
    return panel;
}

void TCalibrationFrm::BuildPages() {
    const TAppConfig& c = *gConfig;
    if (c.showTempChannel) fPages->setTabData(fPages->addTab(Q(c.tempChannelName)), cttTemperature);
    fPages->setTabData(fPages->addTab(Q(c.diffChannelName)), cttDiffTemperature);
    if (c.showHeatCalibration && gHeatCalibrationTable)
        fPages->setTabData(fPages->addTab(Q(c.areaName)), cttHeat);
    // The page of the table the dialog opens on.
    for (int k = 0; k < fPages->count(); ++k)
        if (fPages->tabData(k).toInt() == PageKind()) fPages->setCurrentIndex(k);
    connect(fPages, &QTabBar::currentChanged, this, [this](int aIndex) { SelectPage(aIndex); });
}

void TCalibrationFrm::SelectPage(int aIndex) {
    if (aIndex < 0) return;
    TCalibrationTable* table =
        GlobalTable(static_cast<TCalibrationTableType>(fPages->tabData(aIndex).toInt()));
    if (!table) return;
    fCurrentTable = table;
    Fill();
}

TCalibrationTableType TCalibrationFrm::PageKind() const {
    if (fCurrentTable && fCurrentTable == gHeatCalibrationTable) return cttHeat;
    if (fCurrentTable && fCurrentTable == gDiffTempCalibrationTable) return cttDiffTemperature;
    if (fCurrentTable && fCurrentTable == gTempCalibrationTable) return cttTemperature;
    return fCurrentTable ? fCurrentTable->GetTableType() : cttTemperature;
}

TInterpolationType TCalibrationFrm::ChosenMethod() const {
    const QVariant data = fMethod->currentData();
    return data.isValid() ? static_cast<TInterpolationType>(data.toInt())
                          : fCurrentTable->GetInterpolationType();
}

void TCalibrationFrm::FillMethods() {
    fMethod->clear();
    const bool heat = dynamic_cast<THeatCalibrationTable*>(fCurrentTable) != nullptr;
    const bool diff = dynamic_cast<TDiffTempCalibrationTable*>(fCurrentTable) != nullptr;
    for (const RMethodName& m : kMethods) {
        if (!heat && !(diff && (m.type == itLine || m.type == itPolynomial))) continue;
        fMethod->addItem(m.name, static_cast<int>(m.type));
    }
    const int chosen = fMethod->findData(static_cast<int>(fCurrentTable->GetInterpolationType()));
    fMethod->setCurrentIndex(std::max(0, chosen));
    fMethodLabel->setVisible(heat || diff);
    fMethod->setVisible(heat || diff);
}

void TCalibrationFrm::Fill() {
    if (!fCurrentTable) return;
    fFilling = true;
    TCalibrationTable& t = *fCurrentTable;
    const TCalibrationTableType kind = PageKind();
    setWindowTitle(Q("Калибровочная таблица (файл: " + t.GetFileName() + ")"));
    fDescription->setText(Q(t.GetName()));
    FillMethods();
    // Measured points belong to a dT table of its own kind; a temperature table standing for the
    // dT table has none.
    fAutoPanel->setVisible(kind == cttDiffTemperature && dynamic_cast<TDiffTempCalibrationTable*>(&t));
    auto* heat = dynamic_cast<THeatCalibrationTable*>(&t);
    fHeatPanel->setVisible(heat != nullptr);
    if (heat) {
        fAdditional->setVisible(heat->GetInterpolationType() == itPolynomial);
        fUseTunePoint->setChecked(heat->IsUseHeatTunePoint());
        fMarginPoints->setChecked(heat->IsUseMarginPoints());
        fTuneMass->setText(Q(StrN(heat->GetTunePointMass(), 5)));
        fTuneDh->setText(Q(StrN(heat->GetTunePointDh(), 2)));
        fTuneArea->setText(Q(StrN(heat->GetTunePointArea(), 0)));
        fTuneTransTemp->setText(Q(StrN(heat->GetTunePointTransTemp(), 2)));
        fTuneFactor->setText(Q(StrN(heat->GetTunePointFactor() * 1e9, 16)));
    }
    fGrid->SetContent(GridColumns(t, *gConfig), GridRowsOf(t));
    float beg, end;
    TemperatureTableRange(beg, end);
    fChart->SetData(ChartDataOf(t, *gConfig, beg, end));
    fChart->ResetZoom();
    fFilling = false;
    SetPending(false);
}

void TCalibrationFrm::SetPending(bool aPending) {
    if (fFilling) return;
    fCalcButton->setEnabled(aPending);
}

void TCalibrationFrm::MethodChosen() {
    if (fFilling) return;
    fAdditional->setVisible(dynamic_cast<THeatCalibrationTable*>(fCurrentTable) &&
                            ChosenMethod() == itPolynomial);
    SetPending(true);
    Calculate();
}

bool TCalibrationFrm::RefuseWhileRunning() {
    if (!fRunInProgress || !fRunInProgress()) return false;
    MsgBox(kRunRefusal);
    return true;
}

void TCalibrationFrm::CalculateKind() {
    float beg, end;
    TemperatureTableRange(beg, end);
    const std::vector<RGridColumn> columns = GridColumns(*fCurrentTable, *gConfig);
    const TGridRows rows = fGrid->Rows();
    if (auto* temp = dynamic_cast<TTempCalibrationTable*>(fCurrentTable)) {
        BuildTempTable(*temp, TempRowsOf(rows, columns));
    } else if (auto* diff = dynamic_cast<TDiffTempCalibrationTable*>(fCurrentTable)) {
        BuildDiffTempTable(*diff, DiffTempRowsOf(rows, columns), ChosenMethod(), beg, end);
    } else if (auto* heat = dynamic_cast<THeatCalibrationTable*>(fCurrentTable)) {
        RHeatOptions o;
        o.method = ChosenMethod();
        o.useMarginPoints = fMarginPoints->isChecked();
        o.useTunePoint = fUseTunePoint->isChecked();
        o.recalcBase = fRecalcBase->isChecked();
        o.tuneMass = static_cast<float>(FieldNumber(fTuneMass));
        o.tuneTransTemp = static_cast<float>(FieldNumber(fTuneTransTemp));
        o.tuneDh = static_cast<float>(FieldNumber(fTuneDh));
        o.tuneArea = calibration_math::RoundToInt32(FieldNumber(fTuneArea));
        BuildHeatTable(*heat, HeatRowsOf(rows, columns), beg, end, o);
    }
    fCurrentTable->SetName(S(fDescription->text()));
}

bool TCalibrationFrm::Calculate() {
    if (!fCurrentTable || RefuseWhileRunning()) return false;
    try {
        CalculateKind();
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, std::string(kCalcError) + e.what() + kTableKept);
        return false;
    }
    gNeedRecalcCurveRealValues = true;
    Fill();
    return true;
}

void TCalibrationFrm::Save() {
    if (!fCurrentTable) return;
    // Uncalculated changes are calculated first; a table that cannot be is not saved.
    if (fCalcButton->isEnabled() && !Calculate()) return;
    TPrompt prompt;
    prompt.kind = TPrompt::pkSaveFile;
    prompt.caption = "Сохранение файла";
    prompt.text = std::filesystem::path(fCurrentTable->GetFileName()).filename().string();
    prompt.folder = gConfig->fCalibrationTablesPath;
    prompt.filter = "Градуировочная таблица|*.tbl";
    const TPromptAnswer answer = Ask(prompt, this);
    if (!answer.accepted || answer.fileName.empty()) return;
    std::filesystem::path file = answer.fileName;
    if (!file.has_extension()) file += ".tbl";
    try {
        fCurrentTable->SaveToFile(file.string());
        setWindowTitle(Q("Калибровочная таблица (файл: " + file.string() + ")"));
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
    }
}

void TCalibrationFrm::GetData() {
    if (!fActive || !fActive->Experiment() || !dynamic_cast<TDiffTempCalibrationTable*>(fCurrentTable))
        return;
    if (fActive->RefuseWhileAcquiring()) return;
    TDataClass& d = fActive->DataClass();
    std::vector<RDiffTempAutoPoint> points;
    try {
        points = DiffTempPointsFromCurve(d, *gConfig);
    } catch (const ENoPeaksForCalibration& e) {
        MsgBox(e.what());
        return;
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
        return;
    }
    TPointGrid& g = *fGrid;
    for (const RDiffTempAutoPoint& p : points) {
        // Into the last row, after the rows that already hold points.
        if (g.rowCount() > 0 && !g.Cell(0, 0).empty() && !g.Cell(0, 1).empty()) g.insertRow(g.rowCount());
        const int row = g.rowCount() - 1;
        g.SetCell(row, 0, StrN(p.temp, 3));
        g.SetCell(row, 1, StrN(p.dT, 3));
        g.SetCell(row, 2, std::to_string(p.height));
        g.SetCell(row, 3, StrN(p.factor, 6));
    }
    SetPending(true);
    d.FillTempValues();
    fActive->SetViewMode(vm_view_dt_and_temp_by_time);
    fActive->Redraw();
    Calculate();
}

void TCalibrationFrm::AddRow() {
    const int row = StrGridAddRow(*fGrid);
    const TGridRow cells = NewGridRow(*fCurrentTable);
    for (size_t c = 0; c < 3 && c < cells.size(); ++c)
        fGrid->SetCell(row, static_cast<int>(c), cells[c]);
    fGrid->setCurrentCell(row, 0);
    fGrid->setFocus();
    SetPending(true);
}

void TCalibrationFrm::DeleteRow() {
    const int row = fGrid->currentRow();
    if (row < 0 || row >= fGrid->rowCount()) return;
    StrGridDelRow(*fGrid, row);
    fGrid->setFocus();
    SetPending(true);
}

bool TCalibrationFrm::eventFilter(QObject* aWatched, QEvent* aEvent) {
    // Ctrl+Shift+D anywhere in the dialog shows or hides the recalculation of the base; the key
    // goes on to whatever has the focus.
    // A press goes from widget to parent as one event; its release ends it.
    if (aEvent->type() == QEvent::KeyRelease) fLastKey = nullptr;
    if (aEvent->type() == QEvent::KeyPress && aEvent != fLastKey) {
        auto* widget = dynamic_cast<QWidget*>(aWatched);
        const auto* key = static_cast<QKeyEvent*>(aEvent);
        const Qt::KeyboardModifiers both = Qt::ControlModifier | Qt::ShiftModifier;
        if (widget && (widget == this || isAncestorOf(widget)) && key->key() == Qt::Key_D &&
            (key->modifiers() & both) == both) {
            fLastKey = aEvent;
            fRecalcBase->setVisible(!fRecalcBase->isVisible());
        }
    }
    return QDialog::eventFilter(aWatched, aEvent);
}

void ShowCalibrationDialog(TKalveroForm& aMain, TCalibrationTableType aKind, TfrmDataWindow* aActive) {
    TCalibrationTable* table = GlobalTable(aKind);
    if (!table) {
        ErrBox(gLogger, kClassName, "Калибровочная таблица не создана: проверьте настройки программы.");
        return;
    }
    auto runInProgress = [&aMain] {
        for (const TfrmDataWindow* w : aMain.DataWindows())
            if (w->IsAcquiring()) return true;
        return false;
    };
    TCalibrationFrm dialog(&aMain, table, aActive, runInProgress);
    ExecNested(dialog, &aMain);
}

}  // namespace kalvero::app
