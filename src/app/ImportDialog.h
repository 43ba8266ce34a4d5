#pragma once
// "Импорт данных": a text export of another instrument before it becomes an experiment. The file is
// read by the library's importers on a thread of its own (a long file shows its progress and can
// be stopped); the dialog shows the first rows, the columns found with their units, the row count
// and every warning, and lets the operator choose the signal column, the sample mass and the
// direction of endothermic effects. Nothing is changed until "Импорт"; the main window then makes
// the experiment (ExperimentFromImport).

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "import/ImportedRun.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

namespace kalvero::app {

class TImportDialog : public QDialog {
public:
    TImportDialog(QWidget* aParent, const std::string& aFileName);
    // A read in progress is stopped and waited for.
    ~TImportDialog() override;

    // Reads the file (again, with the signal column chosen); called once the dialog is shown.
    void Read();
    bool Reading() const;
    // The run read, with the mass and direction of the fields applied; empty before a read ends
    // or after it failed.
    std::optional<TImportedRun> Result() const;
    const std::string& FileName() const { return fFileName; }
    // The failure of the last read, in the importers' words; empty when it succeeded.
    const std::string& Error() const { return fError; }

    // "Импорт" pressed with a run read.
    std::function<void(const TImportDialog&)> onImport;

protected:
    void showEvent(QShowEvent* aEvent) override;

private:
    struct TJob;
    void Poll();
    void Finished();
    void ShowRun(const TImportedRun& aRun);
    void Stop();

    std::string fFileName;
    std::unique_ptr<TJob> fJob;
    std::optional<TImportedRun> fRun;
    std::string fError;
    bool fStarted = false;

    QLabel* fFile;
    QTableWidget* fPreview;
    QLabel* fColumns;
    QComboBox* fSignal;
    QLineEdit* fMass;
    QComboBox* fEndo;
    QLabel* fRows;
    QListWidget* fWarnings;
    QProgressBar* fProgress;
    QPushButton* fCancelRead;
    QPushButton* fImport;
    QTimer* fPoll;
};

// Opens the dialog for aFileName over aParent; aOnImport runs when the operator imports. The
// dialog is modal and frees itself when it closes.
TImportDialog* ShowImportDialog(QWidget* aParent, const std::string& aFileName,
                                std::function<void(const TImportDialog&)> aOnImport);

}  // namespace kalvero::app
