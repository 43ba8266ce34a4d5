#include "app/ImportDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <filesystem>
#include <mutex>

#include "app/Commands.h"
#include "app/DialogSupport.h"
#include "app/QtText.h"
#include "common/Procs.h"

namespace kalvero::app {

// One read on its own thread: the importers are plain library code, and the thread only touches
// what the job holds. The result is handed over under the lock once the read has ended.
struct TImportDialog::TJob {
    std::thread thread;
    std::atomic<bool> cancel{false}, done{false};
    std::atomic<uint64_t> bytes{0}, total{0};
    std::mutex lock;
    std::optional<TImportedRun> run;
    std::string error;

    void Start(const std::string& aFile, TImportOptions aOptions) {
        aOptions.progress = [this](uint64_t aDone, uint64_t aTotal) {
            bytes = aDone, total = aTotal;
            return !cancel.load();
        };
        thread = std::thread([this, aFile, aOptions] {
            std::optional<TImportedRun> result;
            std::string failure;
            try {
                result = ImportForeignFile(aFile, aOptions);
            } catch (const EImportCancelled&) {
                failure = "Чтение файла прервано";
            } catch (const std::exception& e) {
                failure = e.what();
            }
            {
                const std::lock_guard<std::mutex> guard(lock);
                run = std::move(result);
                error = failure;
            }
            done = true;
        });
    }
    ~TJob() {
        cancel = true;
        if (thread.joinable()) thread.join();
    }
};

namespace {

std::string ColumnCaption(const TImportedColumn& aColumn) {
    return aColumn.unit.empty() ? aColumn.name : aColumn.name + " (" + aColumn.unit + ")";
}

std::string ColumnName(const TImportedRun& aRun, int aIndex) {
    if (aIndex < 0 || aIndex >= static_cast<int>(aRun.columns.size())) return "—";
    return ColumnCaption(aRun.columns[aIndex]);
}

}  // namespace

TImportDialog::TImportDialog(QWidget* aParent, const std::string& aFileName)
    : QDialog(aParent),
      fFileName(aFileName),
      fFile(new QLabel(this)),
      fPreview(new QTableWidget(this)),
      fColumns(new QLabel(this)),
      fSignal(new QComboBox(this)),
      fMass(new QLineEdit(this)),
      fEndo(new QComboBox(this)),
      fRows(new QLabel(this)),
      fWarnings(new QListWidget(this)),
      fProgress(new QProgressBar(this)),
      fCancelRead(new QPushButton("Прервать", this)),
      fImport(nullptr),
      fPoll(new QTimer(this)) {
    setWindowTitle("Импорт данных");
    resize(820, 620);
    fFile->setText(Q("Файл: " + std::filesystem::path(aFileName).filename().string()));
    fFile->setToolTip(Q(aFileName));
    fPreview->setAccessibleName("Первые строки");
    fPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fPreview->verticalHeader()->hide();
    fPreview->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    fColumns->setWordWrap(true);
    fWarnings->setAccessibleName("Предупреждения");
    fProgress->setAccessibleName("Чтение файла");
    fCancelRead->setAccessibleName("Прервать");
    fEndo->addItems({"вверх", "вниз"});

    auto* fields = new QGridLayout;
    AddLabelled(fields, 0, "Сигнал:", fSignal);
    AddLabelled(fields, 1, "Масса навески, мг:", fMass);
    AddLabelled(fields, 2, "Эндоэффекты:", fEndo);
    auto* reading = new QHBoxLayout;
    reading->addWidget(fProgress, 1);
    reading->addWidget(fCancelRead);
    auto* buttons = new QDialogButtonBox(this);
    fImport = AddButton(buttons, "Импорт", [this] {
        if (!fRun) return;
        if (onImport) onImport(*this);
        accept();
    });
    AddButton(buttons, "Отмена", [this] { reject(); });
    fImport->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fFile);
    layout->addWidget(fPreview, 3);
    layout->addWidget(fColumns);
    layout->addLayout(fields);
    layout->addWidget(fRows);
    layout->addWidget(new QLabel("Предупреждения:", this));
    layout->addWidget(fWarnings, 2);
    layout->addLayout(reading);
    layout->addWidget(buttons);

    connect(fCancelRead, &QPushButton::clicked, this, [this] {
        if (fJob) fJob->cancel = true;
    });
    connect(fSignal, &QComboBox::activated, this, [this] { Read(); });
    connect(fPoll, &QTimer::timeout, this, [this] { Poll(); });
    // A refused or stopped read leaves nothing behind: closing stops a read in progress.
    connect(this, &QDialog::finished, this, [this] { Stop(); });
    NameForAccessibility(this);
}

TImportDialog::~TImportDialog() {
    Stop();
}

void TImportDialog::showEvent(QShowEvent* aEvent) {
    QDialog::showEvent(aEvent);
    if (!std::exchange(fStarted, true)) QTimer::singleShot(0, this, [this] { Read(); });
}

void TImportDialog::Stop() {
    fPoll->stop();
    fJob.reset();  // stops and waits
}

bool TImportDialog::Reading() const {
    return fJob && !fJob->done;
}

void TImportDialog::Read() {
    Stop();
    TImportOptions options;
    // The column the operator chose; the importers' own choice at first.
    if (fSignal->count() > 0 && fSignal->currentIndex() >= 0)
        options.signalColumn = std::to_string(fSignal->currentIndex() + 1);
    fRun.reset();
    fError.clear();
    fImport->setEnabled(false);
    fCancelRead->setEnabled(true);
    fProgress->setValue(0);
    fJob = std::make_unique<TJob>();
    fJob->Start(fFileName, options);
    fPoll->start(50);
}

void TImportDialog::Poll() {
    if (!fJob) return;
    const uint64_t total = fJob->total, bytes = fJob->bytes;
    fProgress->setValue(
        total > 0 ? static_cast<int>(100.0 * static_cast<double>(bytes) / static_cast<double>(total)) : 0);
    if (fJob->done) Finished();
}

void TImportDialog::Finished() {
    fPoll->stop();
    {
        const std::lock_guard<std::mutex> guard(fJob->lock);
        fRun = std::move(fJob->run);
        fError = fJob->error;
    }
    fJob.reset();
    fCancelRead->setEnabled(false);
    if (!fRun) {
        fProgress->setValue(0);
        fRows->setText(Q(fError));
        fWarnings->clear();
        fWarnings->addItem(Q(fError));
        return;
    }
    fProgress->setValue(100);
    ShowRun(*fRun);
    fImport->setEnabled(true);
}

void TImportDialog::ShowRun(const TImportedRun& aRun) {
    // The preview: the first rows under the file's columns.
    fPreview->clear();
    fPreview->setColumnCount(static_cast<int>(aRun.columns.size()));
    QStringList header;
    for (const TImportedColumn& c : aRun.columns)
        header << Q(ColumnCaption(c));
    fPreview->setHorizontalHeaderLabels(header);
    fPreview->setRowCount(static_cast<int>(aRun.firstRows.size()));
    for (int r = 0; r < static_cast<int>(aRun.firstRows.size()); ++r)
        for (int c = 0; c < static_cast<int>(aRun.firstRows[r].size()) && c < fPreview->columnCount(); ++c)
            fPreview->setItem(r, c, new QTableWidgetItem(Q(aRun.firstRows[r][c])));

    fColumns->setText(
        Q("Время: " + ColumnName(aRun, aRun.timeColumn) +
          ";  температура: " + ColumnName(aRun, aRun.temperatureColumn) +
          ";  сигнал: " + ColumnName(aRun, aRun.signalColumn) + " → " + aRun.signalUnit +
          (aRun.segmentColumn >= 0 ? ";  сегменты: " + ColumnName(aRun, aRun.segmentColumn) : "")));
    {
        const QSignalBlocker block(fSignal);
        fSignal->clear();
        for (const TImportedColumn& c : aRun.columns)
            fSignal->addItem(Q(ColumnCaption(c)));
        fSignal->setCurrentIndex(aRun.signalColumn);
    }
    if (fMass->text().isEmpty() && aRun.mass) fMass->setText(Q(StrN(*aRun.mass, 3)));
    fEndo->setCurrentIndex(aRun.endoUp.value_or(true) ? 0 : 1);
    fRows->setText(Q("Строк данных: " + std::to_string(aRun.rowsRead) +
                     (aRun.rowsSkipped ? ", пропущено: " + std::to_string(aRun.rowsSkipped) : "") +
                     "   (разметка: " + aRun.layout + ", кодировка: " + aRun.encoding + ")"));
    fWarnings->clear();
    for (const std::string& w : aRun.warnings)
        fWarnings->addItem(Q(w));
}

std::optional<TImportedRun> TImportDialog::Result() const {
    if (!fRun) return std::nullopt;
    TImportedRun run = *fRun;
    try {
        const double mass = StrToRealEx(TextOf(fMass));
        if (mass > 0) run.mass = mass;
    } catch (const std::invalid_argument&) {
        // An empty or unreadable mass is none: the file's, if it gave one, stays.
    }
    const bool endoUp = fEndo->currentIndex() == 0;
    // A direction chosen by the operator is no longer an assumption.
    if (!run.endoUp || *run.endoUp != endoUp) {
        run.endoUp = endoUp;
        std::erase_if(run.warnings,
                      [](const std::string& w) { return w.find("Направление") != std::string::npos; });
    }
    return run;
}

TImportDialog* ShowImportDialog(QWidget* aParent, const std::string& aFileName,
                                std::function<void(const TImportDialog&)> aOnImport) {
    auto* dialog = new TImportDialog(aParent, aFileName);
    dialog->onImport = std::move(aOnImport);
    OpenModal(dialog);
    return dialog;
}

}  // namespace kalvero::app
