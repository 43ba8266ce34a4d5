#pragma once
// What the tests of the calibration dialog share: the dialog opened on a table (shown, not run
// modally, so the test drives it), its buttons by caption, typing into a grid cell key by key,
// and runs of the simulated cell with reference substances, recorded once per test program.

#include <QLineEdit>
#include <QPushButton>

#include <map>

#include "app/AppTestSupport.h"
#include "app/CalibrationDialog.h"
#include "app/PointGrid.h"

namespace kalvero::test {

inline const std::string kCalibrationProgram = kSourceDir + "/data/samples/Calibration.prg";

// The simulated cell before its calibration: no dT and no heat table in its devices file.
inline void UncalibrateCell(const std::string& aDataDir) {
    const auto devices = std::filesystem::path(aDataDir) / "Devices.ini";
    std::string text = ReadFileBytes(devices);
    text = std::regex_replace(text, std::regex("\nDiffTempCalibrationTable=[^\n]*"),
                              "\nDiffTempCalibrationTable=");
    text = std::regex_replace(text, std::regex("\nHeatCalibrationTable=[^\n]*"), "\nHeatCalibrationTable=");
    WriteFileBytes(devices, text);
}

// A run of the calibration program on the simulated cell holding aSubstances ("indium:5,zinc:5"),
// of aSeconds of experiment time (0: the whole program), with the sample mass aMass (mg).
inline const std::string& CalibrationRun(const std::string& aSubstances, double aMass = 0, int aSeconds = 0) {
    static TTempDir dir;
    static std::map<std::string, std::string> files;
    const std::string key = aSubstances + "|" + std::to_string(aMass) + "|" + std::to_string(aSeconds);
    if (files.count(key)) return files[key];
    const std::string data = dir.Str() + "data" + std::to_string(files.size());
    MakeSimulatedDataDir(data, 600);
    UncalibrateCell(data);
    const auto devices = std::filesystem::path(data) / "Devices.ini";
    WriteFileBytes(devices, ReadFileBytes(devices) + "\nSubstances=" + aSubstances + "\n");
    const std::string out = dir.Str() + "run" + std::to_string(files.size()) + ".dsc";
    std::string args = "--data-dir " + ShellQuote(data) + " record --program " +
                       ShellQuote(kCalibrationProgram) + " --out " + ShellQuote(out);
    if (aMass > 0) args += " --mass " + std::to_string(aMass);
    if (aSeconds > 0) args += " --seconds " + std::to_string(aSeconds);
    const RCliResult r = RunCli(args);
    if (r.exitCode != 0) ADD_FAILURE() << "recording failed: " << r.err;
    return files[key] = out;
}

class TCalibrationTest : public TAppTest {
protected:
    void SetUp() override {
        TAppTest::SetUp();
        UncalibrateCell(dataDir);
    }
    void TearDown() override {
        dialog.reset();
        TAppTest::TearDown();
    }
    // The dialog on a process-wide table, shown; aActive gives it the experiment to measure.
    app::TCalibrationFrm& Open(TCalibrationTable* aTable, app::TfrmDataWindow* aActive = nullptr,
                               std::function<bool()> aRunInProgress = {}) {
        if (!form) Start();
        dialog =
            std::make_unique<app::TCalibrationFrm>(form.get(), aTable, aActive, std::move(aRunInProgress));
        dialog->show();
        QCoreApplication::processEvents();
        return *dialog;
    }
    QPushButton& Button(const std::string& aCaption) {
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
            if (app::StripAccel(b->text()) == QString::fromStdString(aCaption)) return *b;
        ADD_FAILURE() << "no button " << aCaption;
        static QPushButton none;
        return none;
    }
    void Click(const std::string& aCaption) {
        QPushButton& b = Button(aCaption);
        EXPECT_TRUE(b.isEnabled()) << aCaption;
        QTest::mouseClick(&b, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    app::TPointGrid& Grid() { return dialog->Grid(); }
    // Types aKeys into a cell as the operator does, key by key, over its whole text, and ends the
    // edit with Enter; the cell's text afterwards.
    std::string Type(int aRow, int aColumn, const std::string& aKeys) {
        app::TPointGrid& g = Grid();
        g.setFocus();
        g.setCurrentCell(aRow, aColumn);
        g.editItem(g.item(aRow, aColumn));
        auto* editor = dynamic_cast<QLineEdit*>(QApplication::focusWidget());
        if (!editor) {
            ADD_FAILURE() << "no editor in " << aRow << ":" << aColumn;
            return "";
        }
        editor->selectAll();
        QTest::keyClicks(editor, QString::fromStdString(aKeys));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        return g.Cell(aRow, aColumn);
    }
    // Fills the grid with rows (the cells as the operator would have typed them).
    void Rows(const TGridRows& aRows) {
        app::TPointGrid& g = Grid();
        g.setRowCount(0);
        g.setRowCount(static_cast<int>(aRows.size()));
        for (size_t r = 0; r < aRows.size(); ++r)
            for (size_t c = 0; c < aRows[r].size(); ++c)
                g.SetCell(static_cast<int>(r), static_cast<int>(c), aRows[r][c]);
    }

    std::unique_ptr<app::TCalibrationFrm> dialog;
};

}  // namespace kalvero::test
