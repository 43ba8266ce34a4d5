#pragma once
// What the tests of the desktop program share: a fresh program-data folder of the simulated USB
// cell, the main window on the offscreen platform, scripted answers to every box and file dialog,
// a run of the simulated cell recorded once per test program, the mouse on a plot, and pictures
// of the windows kept as test artefacts.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <cmath>
#include <deque>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "app/DataWindow.h"
#include "app/MainWindow.h"
#include "app/PlotView.h"
#include "app/Prompts.h"
#include "app/QtText.h"
#include "common/Config.h"
#include "common/Globals.h"
#include "graphics/DataCanvas.h"
#include "graphics/PlotInteraction.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

namespace kalvero::test {

inline const std::string kSourceDir = KALVERO_SOURCE_DIR;

// A program-data folder as a first start makes it, with the devices file of the simulated USB
// cell (its time factor replaced by aSpeed).
inline void MakeSimulatedDataDir(const std::string& aDataDir, int aSpeed = 60) {
    PrepareProgramDataFolder(aDataDir);
    std::string devices = ReadFileBytes(kSourceDir + "/data/samples/SimulatedUsbCell.ini");
    devices = std::regex_replace(devices, std::regex("Speed=60"), "Speed=" + std::to_string(aSpeed));
    WriteFileBytes(std::filesystem::path(aDataDir) / "Devices.ini", devices);
}

// The indium program recorded on the simulated cell (ten times faster than the main job): once
// for all test programs of a build (KALVERO_TEST_DATA, else test-data in the tests' folder), under
// a lock, so that programs run side by side record it only once.
inline const std::string& RecordedRun() {
    static std::string file;
    if (!file.empty()) return file;
    const char* env = std::getenv("KALVERO_TEST_DATA");
    const std::filesystem::path folder = env && *env ? env : "test-data";
    std::filesystem::create_directories(folder);
    // Named after the recorder it came from: a rebuilt recorder (or simulated cell) records anew.
    std::error_code ec;
    const char* cli = std::getenv("KALVERO_CLI");
    const auto stamp = cli ? std::filesystem::last_write_time(cli, ec).time_since_epoch().count() : 0;
    file = (folder / ("indium-" + std::to_string(stamp) + ".dsc")).string();
    const int lock = ::open((folder / "indium.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock >= 0) ::flock(lock, LOCK_EX);
    if (!std::filesystem::exists(file)) {
        TTempDir dir;
        MakeSimulatedDataDir(dir.Str() + "data", 600);
        const std::string out = dir.Str() + "indium.dsc";
        const RCliResult r =
            RunCli("--data-dir " + ShellQuote(dir.Str() + "data") + " record --program " +
                   ShellQuote(kSourceDir + "/data/samples/Indium.prg") + " --out " + ShellQuote(out));
        if (r.exitCode != 0) ADD_FAILURE() << "recording failed: " << r.err;
        std::filesystem::copy_file(out, file + ".part", std::filesystem::copy_options::overwrite_existing,
                                   ec);
        std::filesystem::rename(file + ".part", file, ec);
    }
    if (lock >= 0) ::close(lock);
    return file;
}

// The folder test pictures are written to (KALVERO_TEST_ARTIFACTS, else test-artifacts in the
// tests' folder, build/tests).
inline std::filesystem::path ArtifactDir() {
    const char* env = std::getenv("KALVERO_TEST_ARTIFACTS");
    std::filesystem::path dir = env && *env ? env : "test-artifacts";
    std::filesystem::create_directories(dir);
    return dir;
}

inline void SaveArtifact(QWidget& aWidget, const std::string& aName) {
    aWidget.grab().save(QString::fromStdString((ArtifactDir() / (aName + ".png")).string()));
}

// The action under aRoot whose caption, without "&" marks, is aCaption; null when none.
inline QAction* FindAction(const QObject& aRoot, const std::string& aCaption) {
    for (QAction* action : aRoot.findChildren<QAction*>())
        if (app::StripAccel(action->text()) == QString::fromStdString(aCaption)) return action;
    return nullptr;
}

// A child of a class of ours (ours carry no meta-object of their own, so findChild cannot tell).
template <typename T>
T* FindChildOf(const QObject& aRoot) {
    for (QObject* child : aRoot.findChildren<QObject*>())
        if (auto* found = dynamic_cast<T*>(child)) return found;
    return nullptr;
}

// A widget under aRoot of type T whose accessible name is aName; null when none.
template <typename T>
T* FindNamed(const QObject& aRoot, const std::string& aName) {
    for (T* widget : aRoot.findChildren<T*>())
        if (widget->accessibleName() == QString::fromStdString(aName)) return widget;
    return nullptr;
}

// Clicks the push button captioned aCaption under aRoot; a dialog it closes is freed at once.
inline void ClickButton(QWidget& aRoot, const std::string& aCaption) {
    auto* button = FindNamed<QAbstractButton>(aRoot, aCaption);
    ASSERT_NE(button, nullptr) << aCaption;
    button->click();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline void SendMouse(QWidget& aWidget, QEvent::Type aType, QPoint aPos, Qt::MouseButton aButton,
                      Qt::MouseButtons aButtons) {
    QMouseEvent event(aType, QPointF(aPos), aWidget.mapToGlobal(QPointF(aPos)), aButton, aButtons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&aWidget, &event);
}

// A left-button drag from aFrom to aTo through a few points on the way.
inline void Drag(QWidget& aWidget, QPoint aFrom, QPoint aTo) {
    SendMouse(aWidget, QEvent::MouseMove, aFrom, Qt::NoButton, Qt::NoButton);
    SendMouse(aWidget, QEvent::MouseButtonPress, aFrom, Qt::LeftButton, Qt::LeftButton);
    for (int k = 1; k <= 4; ++k)
        SendMouse(aWidget, QEvent::MouseMove, aFrom + (aTo - aFrom) * k / 4, Qt::NoButton, Qt::LeftButton);
    SendMouse(aWidget, QEvent::MouseButtonRelease, aTo, Qt::LeftButton, Qt::NoButton);
}

inline void Click(QWidget& aWidget, QPoint aAt, Qt::MouseButton aButton = Qt::LeftButton) {
    SendMouse(aWidget, QEvent::MouseMove, aAt, Qt::NoButton, Qt::NoButton);
    SendMouse(aWidget, QEvent::MouseButtonPress, aAt, aButton, aButton);
    SendMouse(aWidget, QEvent::MouseButtonRelease, aAt, aButton, Qt::NoButton);
}

// Surface pixels of a data window's plot for items and readings of its first windows.
inline int PlotX(const app::TfrmDataWindow& w, double aItem) {
    const TDataClass& d = w.DataClass();
    const TDataCanvas& c = w.Canvas();
    return c.GetMarginLeft() + c.GetPaddingLeft() +
           static_cast<int>(std::lround((aItem - d.begXSel) * c.GetGraphicWidth() / (d.endXSel - d.begXSel)));
}

inline int PlotY(const app::TfrmDataWindow& w, double aCounts) {
    const TDataClass& d = w.DataClass();
    const TDataCanvas& c = w.Canvas();
    return c.GetMarginTop() + c.GetPaddingTop() + c.GetGraphicHeight() -
           static_cast<int>(
               std::lround((aCounts - d.begYSel) * c.GetGraphicHeight() / (d.endYSel - d.begYSel)));
}

// The first plot pixel whose item is aItem, or the nearest one where the window shows more items
// than it has pixels.
inline int PixelOfItem(const app::TfrmDataWindow& w, int aItem) {
    for (int x = 0; x < w.Plot().width(); ++x)
        if (PixelToItem(w.DataClass(), w.Canvas(), x) == aItem) return x;
    return PlotX(w, aItem);
}

// The middle of the plot's height, where a drag over the plot begins and ends.
inline int PlotMidY(const app::TfrmDataWindow& w) {
    const TDataCanvas& c = w.Canvas();
    return c.GetMarginTop() + c.GetPaddingTop() + c.GetGraphicHeight() / 2;
}

class TAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        dataDir = dir.Str() + "data";
        appDir = dir.Str() + "bin";
        std::filesystem::create_directories(appDir);
        MakeSimulatedDataDir(dataDir);
        app::SetPromptAnswerer([this](const app::TPrompt& p) { return Answer(p); });
    }
    void TearDown() override {
        form.reset();
        app::SetPromptAnswerer({});
    }

    // Starts the program as `kalvero aFileArgument` would, shown and laid out.
    app::TKalveroForm& Start(const std::string& aFileArgument = "") {
        app::TStartOptions options{appDir, dataDir, aFileArgument};
        form = std::make_unique<app::TKalveroForm>(options);
        if (!form->StartUpFailed()) {
            form->resize(1400, 900);
            form->show();
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
        }
        return *form;
    }

    // The answer to a prompt: the next scripted one, else Yes/OK for boxes and Cancel for dialogs.
    app::TPromptAnswer Answer(const app::TPrompt& aPrompt) {
        prompts.push_back(aPrompt);
        if (!answers.empty()) {
            app::TPromptAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        app::TPromptAnswer a;
        a.accepted = aPrompt.kind != app::TPrompt::pkOpenFile && aPrompt.kind != app::TPrompt::pkSaveFile &&
                     aPrompt.kind != app::TPrompt::pkColor;
        return a;
    }
    void AnswerFile(const std::string& aFileName, int aFilterIndex = 1) {
        app::TPromptAnswer a;
        a.accepted = true, a.fileName = aFileName, a.filterIndex = aFilterIndex;
        answers.push_back(a);
    }
    void AnswerNo() { answers.push_back(app::TPromptAnswer{}); }
    // The prompts of one kind, in order.
    std::vector<app::TPrompt> Asked(app::TPrompt::TKind aKind) const {
        std::vector<app::TPrompt> result;
        for (const app::TPrompt& p : prompts)
            if (p.kind == aKind) result.push_back(p);
        return result;
    }
    void Trigger(const QObject& aRoot, const std::string& aCaption) {
        QAction* action = FindAction(aRoot, aCaption);
        ASSERT_NE(action, nullptr) << aCaption;
        ASSERT_TRUE(action->isEnabled()) << aCaption;
        action->trigger();
        QCoreApplication::processEvents();
    }
    // A data window with the recorded run, the only one.
    app::TfrmDataWindow& OpenRun() {
        if (!form) Start();
        app::TfrmDataWindow* w = form->OpenFile(RecordedRun());
        EXPECT_NE(w, nullptr);
        QCoreApplication::processEvents();
        return *w;
    }

    TTempDir dir;
    std::string dataDir, appDir;
    std::unique_ptr<app::TKalveroForm> form;
    std::vector<app::TPrompt> prompts;
    std::deque<app::TPromptAnswer> answers;
};

}  // namespace kalvero::test
