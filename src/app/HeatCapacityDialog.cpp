#include "app/HeatCapacityDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <filesystem>

#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/DialogSupport.h"
#include "app/ExperimentWindows.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/QtText.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "common/Procs.h"
#include "data/DataClass.h"
#include "data/PhysicalExperiment.h"
#include "evaluation/ExperimentHeatCapacity.h"
#include "evaluation/ReferenceCp.h"
#include "graphics/DataCanvas.h"
#include "processing/RunComparison.h"

namespace kalvero::app {
namespace {

using namespace kalvero::evaluation;

constexpr const char* kClassName = "THeatCapacityDialog";
constexpr int kNone = -1;

// A number of a field, NaN for an empty or unreadable one.
double NumberOf(const QLineEdit* aField) {
    try {
        return StrToRealEx(TextOf(aField));
    } catch (const std::invalid_argument&) {
        return NAN;
    }
}

// Temperatures separated by ";" or blanks (then "," is the decimal mark), or by commas.
std::vector<double> TemperaturesOf(const std::string& aText) {
    std::string text = aText;
    const bool semicolons = text.find(';') != std::string::npos;
    for (char& c : text)
        if (c == ';' || c == '\t' || (!semicolons && c == ',')) c = ' ';
    std::vector<double> at;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t from = text.find_first_not_of(' ', pos);
        if (from == std::string::npos) break;
        const size_t to = std::min(text.find(' ', from), text.size());
        try {
            at.push_back(StrToRealEx(text.substr(from, to - from)));
        } catch (const std::invalid_argument&) {
            // A word among the numbers is not a temperature.
        }
        pos = to;
    }
    return at;
}

std::string Stem(const std::string& aPath) {
    return std::filesystem::path(aPath).stem().string();
}

}  // namespace

THeatCapacityDialog::THeatCapacityDialog(TKalveroForm& aMain)
    : QDialog(&aMain),
      fMain(aMain),
      fSources(aMain),
      fSample(new QComboBox(this)),
      fReference(new QComboBox(this)),
      fBlank(new QComboBox(this)),
      fTable(new QComboBox(this)),
      fSampleMass(new QLineEdit(this)),
      fReferenceMass(new QLineEdit(this)),
      fFrom(new QLineEdit(this)),
      fTo(new QLineEdit(this)),
      fAt(new QLineEdit(this)),
      fPlot(new QLabel(this)),
      fSummary(new QLabel(this)),
      fValues(new QTableWidget(0, 3, this)),
      fWarnings(new QListWidget(this)) {
    setWindowTitle("Теплоёмкость (сапфир)");
    resize(1000, 760);
    auto* grid = new QGridLayout;
    auto fileButton = [this](const char* aCaption, QComboBox* aList, QLineEdit* aMass) {
        auto* button = new QPushButton(aCaption, this);
        connect(button, &QPushButton::clicked, this, [this, aList, aMass] {
            const int source = fSources.AskFile(this);
            if (source < 0) return;
            AddToLists(source);
            aList->setCurrentIndex(aList->findData(source));
            RunChosen(aList, aMass);
        });
        return button;
    };
    AddLabelled(grid, 0, "Образец:", fSample);
    grid->addWidget(fileButton("Файл образца...", fSample, fSampleMass), 0, 2);
    AddLabelled(grid, 0, "Масса образца, мг:", fSampleMass, 3);
    AddLabelled(grid, 1, "Эталон:", fReference);
    grid->addWidget(fileButton("Файл эталона...", fReference, fReferenceMass), 1, 2);
    AddLabelled(grid, 1, "Масса эталона, мг:", fReferenceMass, 3);
    AddLabelled(grid, 2, "Холостой опыт:", fBlank);
    grid->addWidget(fileButton("Файл холостого опыта...", fBlank, nullptr), 2, 2);
    AddLabelled(grid, 3, "Теплоёмкость эталона:", fTable);
    auto* otherTable = new QPushButton("Другая таблица...", this);
    grid->addWidget(otherTable, 3, 2);
    AddLabelled(grid, 4, "Начало диапазона, °С:", fFrom);
    AddLabelled(grid, 4, "Конец диапазона, °С:", fTo, 3);
    AddLabelled(grid, 5, "Температуры таблицы, °С:", fAt);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(4, 1);
    for (QLineEdit* field : {fFrom, fTo, fAt})
        field->setPlaceholderText("авто");

    fPlot->setAccessibleName("График опытов");
    fPlot->setMinimumSize(640, 300);
    fPlot->setAlignment(Qt::AlignCenter);
    fSummary->setWordWrap(true);
    fValues->setAccessibleName("Теплоёмкость при температурах");
    fValues->setHorizontalHeaderLabels({"Температура, °С", "cp, Дж/(г·К)", "Разброс ±1 К, Дж/(г·К)"});
    fValues->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    fValues->verticalHeader()->hide();
    fValues->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fWarnings->setAccessibleName("Предупреждения");

    auto* results = new QHBoxLayout;
    results->addWidget(fValues, 3);
    auto* warnings = new QVBoxLayout;
    warnings->addWidget(new QLabel("Предупреждения:", this));
    warnings->addWidget(fWarnings);
    results->addLayout(warnings, 2);
    auto* buttons = new QDialogButtonBox(this);
    AddButton(buttons, "Рассчитать", [this] { Calculate(); })->setDefault(true);
    AddButton(buttons, "Закрыть", [this] { reject(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(fPlot, 3);
    layout->addWidget(fSummary);
    layout->addLayout(results, 2);
    layout->addWidget(buttons);

    fTables.push_back("");
    fTable->addItem("Сапфир (ISO 11357-4, ASTM E1269)");
    FillLists();
    connect(fSample, &QComboBox::activated, this, [this] { RunChosen(fSample, fSampleMass); });
    connect(fReference, &QComboBox::activated, this, [this] { RunChosen(fReference, fReferenceMass); });
    connect(fBlank, &QComboBox::activated, this, [this] { RunChosen(fBlank, nullptr); });
    connect(otherTable, &QPushButton::clicked, this, [this] { ChooseTable(); });
    for (QLineEdit* field : {fFrom, fTo})
        connect(field, &QLineEdit::editingFinished, this, [this] { RedrawRuns(); });
    NameForAccessibility(this);
}

THeatCapacityDialog::~THeatCapacityDialog() = default;

void THeatCapacityDialog::FillLists() {
    fReference->addItem("нет", kNone);
    fBlank->addItem("нет", kNone);
    for (int k = 0; k < fSources.Count(); ++k)
        AddToLists(k);
    // With three runs or more the last three are taken in the order the procedure records them
    // (blank, sapphire, sample), else the first for the sample alone; the operator corrects what
    // does not fit.
    if (fSources.Count() >= 3)
        ChooseRuns(fSources.Count() - 1, fSources.Count() - 2, fSources.Count() - 3);
    else if (fSources.Count() > 0)
        ChooseRuns(0, kNone, kNone);
}

void THeatCapacityDialog::AddToLists(int aSource) {
    for (QComboBox* list : {fSample, fReference, fBlank})
        list->addItem(Q(fSources.Name(aSource)), aSource);
}

int THeatCapacityDialog::AddFile(const std::string& aFileName) {
    const int source = fSources.AddFile(aFileName);
    AddToLists(source);
    return source;
}

void THeatCapacityDialog::ChooseRuns(int aSample, int aReference, int aBlank) {
    fSample->setCurrentIndex(fSample->findData(aSample));
    fReference->setCurrentIndex(fReference->findData(aReference));
    fBlank->setCurrentIndex(fBlank->findData(aBlank));
    RunChosen(fSample, fSampleMass);
    RunChosen(fReference, fReferenceMass);
}

int THeatCapacityDialog::Chosen(const QComboBox* aList) const {
    return aList->currentIndex() < 0 ? kNone : aList->currentData().toInt();
}

void THeatCapacityDialog::RunChosen(QComboBox* aList, QLineEdit* aMass) {
    const int source = Chosen(aList);
    const TDataClass* d = source == kNone ? nullptr : fSources.Data(source);
    if (aMass) aMass->setText(d && d->fSampleWeight > 0 ? Q(FormatFixed(d->fSampleWeight, 3)) : QString());
    RedrawRuns();
}

void THeatCapacityDialog::ChooseTable() {
    const auto chosen = AskOpenFile(this, gConfig ? gConfig->fProgramDataPath : "",
                                    "Таблицы (*.txt)|*.txt|Все файлы (*.*)|*");
    if (!chosen) return;
    try {
        const TReferenceCp table = ReadReferenceCpFile(chosen->fileName);
        fTables.push_back(chosen->fileName);
        fTable->addItem(Q(table.name));
        fTable->setCurrentIndex(fTable->count() - 1);
    } catch (const std::exception& e) {
        ErrBox(gLogger, kClassName, e.what());
    }
}

TCpOptions THeatCapacityDialog::Options() const {
    TCpOptions o;
    o.from = NumberOf(fFrom);
    o.to = NumberOf(fTo);
    return o;
}

void THeatCapacityDialog::RedrawRuns() {
    const char* roles[] = {"Образец: ", "Эталон: ", "Холостой опыт: "};
    std::vector<TComparedRun> runs;
    int k = 0;
    for (const QComboBox* list : {fSample, fReference, fBlank}) {
        const int source = Chosen(list);
        if (const TDataClass* d = source == kNone ? nullptr : fSources.Data(source))
            runs.push_back({d, roles[k] + fSources.Name(source)});
        ++k;
    }
    fPlot->clear();
    if (runs.empty()) return;
    TDataClass plot;
    std::vector<std::string> warnings;
    try {
        BuildComparison(runs, {}, plot, warnings);
    } catch (const std::exception& e) {
        fPlot->setText(Q(e.what()));
        return;
    }
    const QSize size = fPlot->size().expandedTo(QSize(640, 300));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    TDataCanvas canvas;
    canvas.SetCanvas(&image, size.width(), size.height());
    canvas.SetDimensions(size.width(), size.height());
    plot.SetCanvas(&canvas);
    plot.mode = vm_view_dT_by_temp;
    plot.ResetMargins(true);
    // Room above the curves for the legend's lines.
    const int64_t room = static_cast<int64_t>(0.12 * static_cast<double>(runs.size()) *
                                              (static_cast<double>(plot.endYSel) - plot.begYSel));
    plot.endYSel = static_cast<int32_t>(std::min<int64_t>(INT32_MAX, plot.endYSel + room));
    plot.endY = std::max(plot.endY, plot.endYSel);
    plot.Redraw();
    canvas.Flush();
    // The range, as given or as the evaluation chose it.
    double from = NumberOf(fFrom), to = NumberOf(fTo);
    if (fResult) {
        if (!std::isfinite(from)) from = fResult->from;
        if (!std::isfinite(to)) to = fResult->to;
    }
    if (std::isfinite(from) && std::isfinite(to)) {
        const int left = canvas.GetMarginLeft() + canvas.GetPaddingLeft(),
                  top = canvas.GetMarginTop() + canvas.GetPaddingTop();
        const int x1 = left + plot.GetScaledX(from), x2 = left + plot.GetScaledX(to);
        QPainter painter(&image);
        painter.fillRect(
            QRect(QPoint(std::min(x1, x2), top), QPoint(std::max(x1, x2), top + canvas.GetGraphicHeight())),
            QColor(255, 200, 0, 60));
    }
    plot.SetCanvas(nullptr);
    fPlot->setPixmap(QPixmap::fromImage(image));
}

bool THeatCapacityDialog::Calculate() {
    fWarnings->clear();
    fValues->setRowCount(0);
    fResult.reset();
    const int sample = Chosen(fSample), reference = Chosen(fReference), blank = Chosen(fBlank);
    const TDataClass* ds = sample == kNone ? nullptr : fSources.Data(sample);
    const TDataClass* dr = reference == kNone ? nullptr : fSources.Data(reference);
    const TDataClass* db = blank == kNone ? nullptr : fSources.Data(blank);
    try {
        if (!ds) throw EEvaluationError("Не выбран опыт с образцом");
        if (sample == reference || sample == blank || (reference != kNone && reference == blank))
            throw EEvaluationError("Один и тот же опыт выбран дважды");
        auto mass = [](const QLineEdit* aField) {
            const double m = NumberOf(aField);
            return m > 0 ? std::optional<double>(m) : std::nullopt;
        };
        const TCpRunData s = CpRunOf(*ds, "образец", mass(fSampleMass));
        std::optional<TCpRunData> r, b;
        if (dr) r = CpRunOf(*dr, "эталон", mass(fReferenceMass));
        if (db) b = CpRunOf(*db, "холостой опыт");
        const std::string tableFile = fTables.at(static_cast<size_t>(std::max(0, fTable->currentIndex())));
        TReferenceCp table;
        if (dr)
            table = tableFile.empty() ? LoadReferenceCp(gConfig ? gConfig->fProgramDataPath : "")
                                      : ReadReferenceCpFile(tableFile);
        RHeatCapacity result = HeatCapacityOfRuns(s, r ? &*r : nullptr, b ? &*b : nullptr, &table, Options());
        const std::vector<double> at = TemperaturesOf(TextOf(fAt));
        TabulateHeatCapacity(result, at.empty() ? RoundTemperatures(result.from, result.to) : at, 1);
        fResult = result;
        const std::string description =
            dr ? "Теплоёмкость по эталону (ASTM E1269, ISO 11357-4): эталон " + fSources.Name(reference) +
                     " (" + table.name + ")" + (db ? ", холостой опыт " + fSources.Name(blank) : "")
               : "Теплоёмкость по тепловому потоку" + (db ? ", холостой опыт " + fSources.Name(blank) : "");
        const std::string folder = ds->fFileName.empty()
                                       ? (gConfig ? gConfig->appUserDataPath : "")
                                       : std::filesystem::path(ds->fFileName).parent_path().string() + "/";
        const std::string name = folder +
                                 Stem(ds->fFileName.empty() ? fSources.Name(sample) : ds->fFileName) +
                                 "-cp." + (gConfig ? gConfig->workFileExt : std::string("dsc"));
        std::vector<std::string> fillWarnings;
        fResultWindow = OpenExperimentWindow(fMain, name, vm_view_dT_by_temp, [&](TDataClass& d) {
            FillHeatCapacityExperiment(d, result, *ds, description, fillWarnings);
        });
        fResult->warnings.insert(fResult->warnings.end(), fillWarnings.begin(), fillWarnings.end());
        ShowResult(*fResult);
        return true;
    } catch (const std::exception& e) {
        fWarnings->addItem(Q(e.what()));
        fSummary->setText(Q(e.what()));
        ErrBox(gLogger, kClassName, e.what());
        return false;
    }
}

void THeatCapacityDialog::ShowResult(const RHeatCapacity& r) {
    fValues->setRowCount(static_cast<int>(r.table.size()));
    for (int k = 0; k < static_cast<int>(r.table.size()); ++k) {
        const RCpPoint& p = r.table[static_cast<size_t>(k)];
        const std::string values[] = {FormatFixed(p.temperature, 1), p.count ? FormatFixed(p.cp, 4) : "—",
                                      p.count ? FormatFixed(p.scatter, 4) : "—"};
        for (int c = 0; c < 3; ++c)
            fValues->setItem(k, c, new QTableWidgetItem(Q(values[c])));
    }
    for (const std::string& w : r.warnings)
        fWarnings->addItem(Q(w));
    const bool ratio = std::isfinite(r.referenceRate);
    fSummary->setText(Q((ratio ? "По эталону: " : "По тепловому потоку: ") + std::to_string(r.cp.size()) +
                        " точек от " + FormatFixed(r.from, 1) + " до " + FormatFixed(r.to, 1) +
                        " °С, скорость нагрева образца " + FormatFixed(r.sampleRate, 1) + " К/мин" +
                        (r.isothermalCorrection ? ", изотермы до и после нагрева учтены" : "")));
    RedrawRuns();
}

THeatCapacityDialog* ShowHeatCapacityDialog(TKalveroForm& aMain) {
    auto* dialog = new THeatCapacityDialog(aMain);
    OpenModal(dialog);
    dialog->RedrawRuns();
    return dialog;
}

}  // namespace kalvero::app
