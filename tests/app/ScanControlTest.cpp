// Runs from the desktop on the simulated cell at a high time factor: the scan control window's
// buttons, pause with a continuous time axis, the program's end with each action, a failing
// converter, recording into a new channel, program editing, the digital port window, the
// subtraction dialog, and runs that come back after a crash.

#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include <chrono>
#include <thread>

#include "acquisition/RunControl.h"
#include "app/AppTestSupport.h"
#include "app/DigitalPortForm.h"
#include "app/ScanControlForm.h"
#include "app/ScanProgramPanel.h"
#include "app/SubtractionForm.h"
#include "data/RunRecovery.h"

using namespace kalvero;
using namespace kalvero::test;
using app::TfrmDataWindow;
using app::TfrmScanControlForm;
using app::TPrompt;

namespace {

template <typename T = QPushButton>
T* Button(const QWidget& aRoot, const std::string& aCaption) {
    for (T* b : aRoot.findChildren<T*>())
        if (app::StripAccel(b->text()).toStdString() == aCaption ||
            b->accessibleName().toStdString() == aCaption)
            return b;
    ADD_FAILURE() << "no button " << aCaption;
    return nullptr;
}

// Lets the window's timers run until aDone, at most aSeconds.
bool WaitUntil(const std::function<bool()>& aDone, double aSeconds = 20) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(aSeconds);
    while (!aDone()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QTest::qWait(5);
    }
    return true;
}

class ScanControlTest : public TAppTest {
protected:
    void SetUp() override {
        TAppTest::SetUp();
        MakeSimulatedDataDir(dataDir, 1200);
    }
    // The program, a data window and the scan window bound to it; the program heats to aTarget.
    TfrmScanControlForm& Open(int aTarget = 40) {
        Start();
        gConfig->appUserDataPath = dir.Str();  // automatic saves land in the test's folder
        window = form->NewDataWindow();
        Trigger(*window, "Сканирование");
        TfrmScanControlForm& scan = form->ScanControl();
        EXPECT_TRUE(scan.isVisible());
        EXPECT_TRUE(scan.SameDataClass(window->Experiment()));
        TScanProgram& program = scan.Control().Program();
        program.Clear();
        program.AddStep(spstHeating, aTarget, true);
        scan.ProgramPanel().Rebuild();
        return scan;
    }
    uint32_t Recorded(TfrmScanControlForm& aScan) { return aScan.Control().RecordedItems(); }

    TfrmDataWindow* window = nullptr;
};

TEST_F(ScanControlTest, StartPauseContinueStopAndReset) {
    TfrmScanControlForm& scan = Open(150);
    EXPECT_EQ(scan.StateLine().toStdString(), "Ожидание");
    Button(scan, "Старт")->click();
    ASSERT_TRUE(scan.IsRunActive()) << Asked(TPrompt::pkError).size();
    EXPECT_EQ(scan.StartCaption().toStdString(), "Пауза");
    EXPECT_EQ(scan.StateLine().toStdString().rfind("Сканирование, частота 25 Гц", 0), 0u);
    EXPECT_EQ(window->DataClass().mode, vm_scan_dT_by_time);
    EXPECT_EQ(window->StatusState().toStdString(), "Идёт сканирование...");
    EXPECT_FALSE(FindAction(*window, "Автоматическое определение ВСЕХ пиков")->isEnabled());
    EXPECT_FALSE(form->Command("Настройки прибора")->isEnabled());
    ASSERT_TRUE(WaitUntil([&] { return Recorded(scan) > 500; }));
    SaveArtifact(*form, "scan-running");

    Button(scan, "Пауза")->click();
    EXPECT_EQ(scan.StateLine().toStdString(), "Пауза");
    EXPECT_EQ(scan.StartCaption().toStdString(), "Продолжить");
    Button(scan, "Продолжить")->click();
    EXPECT_EQ(scan.StartCaption().toStdString(), "Пауза");

    Button(scan, "Стоп")->click();
    EXPECT_FALSE(scan.IsRunActive());
    EXPECT_EQ(scan.StateLine().toStdString(), "Ожидание");
    EXPECT_EQ(window->DataClass().mode, vm_view_dT_by_time);
    EXPECT_EQ(static_cast<uint32_t>(window->DataClass().GetItemCount()), Recorded(scan));
    EXPECT_TRUE(form->Command("Настройки прибора")->isEnabled());
    EXPECT_TRUE(window->DataClass().fHasUnsavedChanges);
    const std::string recovery = window->DataClass().fFileName;
    EXPECT_FALSE(FindRecoveredRuns(gConfig->fProgramDataPath).size() > 0);  // held by this process

    Button(scan, "Сброс")->click();
    EXPECT_EQ(window->DataClass().items[10][0].dt, 0);
    EXPECT_TRUE(Asked(TPrompt::pkError).empty());
}

TEST_F(ScanControlTest, APauseLeavesNoGapInTheTimeAxis) {
    // The emulator counts its items by the clock: without the shift of the start time a pause
    // would leave its length as a jump of the item count.
    WriteFileBytes(std::filesystem::path(dataDir) / "Devices.ini",
                   "[DEFAULT_DEVICE]\nInterfaceType=EMU\nfrequency=10\n[SIMULATED_CELL]\nSpeed=100\n");
    TfrmScanControlForm& scan = Open();
    Button(scan, "Старт")->click();
    ASSERT_TRUE(WaitUntil([&] { return Recorded(scan) > 50; }));
    EXPECT_EQ(scan.StateLine().toStdString().rfind("РЕЖИМ", 0), std::string::npos);
    const std::vector<std::string> live = scan.Control().LiveValueLines();
    ASSERT_FALSE(live.empty());
    EXPECT_EQ(live[0].rfind("РЕЖИМ ЭМУЛЯЦИИ СИГНАЛА ", 0), 0u);
    Button(scan, "Пауза")->click();
    const uint32_t beforePause = Recorded(scan);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // 50 s of run time: 500 items
    EXPECT_EQ(Recorded(scan), beforePause);
    Button(scan, "Продолжить")->click();
    ASSERT_TRUE(WaitUntil([&] { return Recorded(scan) > beforePause; }));
    EXPECT_LT(Recorded(scan), beforePause + 100);
    Button(scan, "Стоп")->click();
}

TEST_F(ScanControlTest, TheProgramsEndStopsSavesOrGoesOn) {
    TfrmScanControlForm& scan = Open();
    auto finish = [&](TPostScanAction aAction) {
        scan.Control().SetPostScanAction(aAction);
        Button(scan, "Старт")->click();
        // The window's own timer may handle the end first: then the run is over already.
        EXPECT_TRUE(WaitUntil([&] { return scan.Control().Program().IsFinished() || !scan.IsRunActive(); }));
        scan.InterfaceTick();
    };
    finish(psaStop);
    EXPECT_FALSE(scan.IsRunActive());
    EXPECT_EQ(scan.StateLine().toStdString(), "Ожидание");

    finish(psaStopAndSave);
    EXPECT_FALSE(scan.IsRunActive());
    const auto messages = Asked(TPrompt::pkInfo);
    ASSERT_EQ(messages.size(), 1u);
    const std::string saved = window->DataClass().fFileName;
    EXPECT_TRUE(std::regex_match(saved, std::regex(".*/Эксперимент0_\\d\\d_\\d\\d_\\d\\d\\.dsc"))) << saved;
    EXPECT_EQ(messages[0].text, "Результат сканирования сохранён автоматически в файле " +
                                    std::filesystem::path(saved).filename().string());
    EXPECT_TRUE(std::filesystem::exists(saved));
    EXPECT_EQ(window->windowTitle().toStdString(), saved);

    finish(psaNone);
    EXPECT_TRUE(scan.IsRunActive());  // the run goes on after the program
    Button(scan, "Стоп")->click();
}

TEST_F(ScanControlTest, AFailingConverterStopsTheRunWithTheHeaterOff) {
    const auto devices = std::filesystem::path(dataDir) / "Devices.ini";
    WriteFileBytes(devices, std::regex_replace(ReadFileBytes(devices), std::regex("Faults=[^\\r\\n]*"),
                                               "Faults=timeout\nFaultAfter=20"));
    TfrmScanControlForm& scan = Open(150);
    Button(scan, "Старт")->click();
    // The thread ends first; the tick after it reports the failure.
    ASSERT_TRUE(WaitUntil([&] {
        scan.InterfaceTick();
        return !scan.IsRunActive() && !Asked(TPrompt::pkError).empty();
    }));
    const auto errors = Asked(TPrompt::pkError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(scan.StateLine().toStdString().rfind("Ошибка - ", 0), 0u);
    EXPECT_EQ(scan.StateLine().toStdString().substr(std::string("Ошибка - ").size()), errors[0].text);
    EXPECT_FALSE(scan.Control().Program().IsHeatingOn());
    EXPECT_EQ(window->DataClass().mode, vm_view_dT_by_time);
}

TEST_F(ScanControlTest, ANewRunGoesIntoANewChannel) {
    TfrmScanControlForm& scan = Open();
    scan.Control().SetPostScanAction(psaStop);
    Button(scan, "Старт")->click();
    ASSERT_TRUE(WaitUntil([&] {
        scan.InterfaceTick();
        return !scan.IsRunActive();
    }));
    const int first = window->DataClass().items[5][0].dt;
    // The cell is still at the first target: the second run heats further, or its program would
    // be over at its first buffer, however few samples that holds.
    TScanProgram& program = scan.Control().Program();
    program.Clear();
    program.AddStep(spstHeating, 60, true);
    scan.ProgramPanel().Rebuild();
    Button<QCheckBox>(scan, "Сканировать в новый канал ")->click();
    Button(scan, "Старт")->click();
    ASSERT_TRUE(WaitUntil([&] {
        scan.InterfaceTick();
        return !scan.IsRunActive();
    }));
    TDataClass& d = window->DataClass();
    ASSERT_EQ(d.GetChannelCount(), 2);
    EXPECT_EQ(d.descriptors[1].name, "Канал № 2");
    EXPECT_EQ(d.fFirstScanChannelNo, 1);
    EXPECT_GT(d.descriptors[1].fScanEndPoint, 5);
    EXPECT_NE(d.items[5][1].dt, 0);
    EXPECT_EQ(d.items[5][0].dt, first);  // the first run is kept
}

TEST_F(ScanControlTest, TheProgramIsEditedWhileStoppedOnly) {
    TfrmScanControlForm& scan = Open(150);
    app::TScanProgramPanel& panel = scan.ProgramPanel();
    Button(panel, "Добавить шаг")->click();
    ASSERT_EQ(scan.Control().Program().GetItemCount(), 2);
    EXPECT_EQ(scan.Control().Program().GetStep(2).stepType, spstFree);
    EXPECT_EQ(panel.RowCount(), 2);

    Button(scan, "Старт")->click();
    ASSERT_TRUE(scan.IsRunActive());
    EXPECT_FALSE(Button(panel, "Добавить шаг")->isEnabled());
    panel.AddStep();  // reached anyway: the program refuses
    EXPECT_EQ(scan.Control().Program().GetItemCount(), 2);
    EXPECT_EQ(Asked(TPrompt::pkError).size(), 1u);
    ASSERT_TRUE(WaitUntil([&] {
        scan.InterfaceTick();
        return panel.StepLabel(0).startsWith(">") || panel.StepLabel(0).startsWith(">>");
    }));
    Button(scan, "Стоп")->click();
    EXPECT_EQ(panel.StepLabel(0).toStdString(), "1.");
}

TEST_F(ScanControlTest, TheWindowStaysWithTheRunAndTheMainWindowStopsIt) {
    TfrmScanControlForm& scan = Open(150);
    TfrmDataWindow* other = form->NewDataWindow();
    Button(scan, "Старт")->click();
    ASSERT_TRUE(scan.IsRunActive());
    Trigger(*other, "Сканирование");  // another experiment cannot take the running window
    EXPECT_TRUE(scan.SameDataClass(window->Experiment()));
    ASSERT_EQ(Asked(TPrompt::pkInfo).size(), 1u);
    EXPECT_FALSE(
        form->MdiArea().subWindowList(QMdiArea::CreationOrder)[0]->close());  // refused while it records
    EXPECT_EQ(Asked(TPrompt::pkInfo).size(), 2u);

    AnswerNo();  // the unsaved result: stay
    EXPECT_FALSE(form->close());
    EXPECT_FALSE(scan.IsRunActive());  // stopped, the heater off
    EXPECT_FALSE(scan.Control().Program().IsHeatingOn());
    const auto questions = Asked(TPrompt::pkYesNo);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].text, "В программе есть несохранённые данные. Вы уверены что хотите выйти?");
    EXPECT_EQ(form->DataWindows().size(), 2u);
}

TEST_F(ScanControlTest, TheDigitalPortByHand) {
    const auto settings = std::filesystem::path(dataDir) / "Settings.ini";
    WriteFileBytes(settings,
                   std::regex_replace(ReadFileBytes(settings), std::regex("\\[ApplicationParameters\\]"),
                                      "[ApplicationParameters]\r\ndebugMode=1"));
    TfrmScanControlForm& scan = Open();
    ASSERT_TRUE(gConfig->debugMode);
    Button(scan, "Dbg")->click();
    auto* port = FindChildOf<app::Tfrm_DigitalPortDebug>(scan);
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(port->isVisible());
    Button<QCheckBox>(*port, "Бит 3")->click();
    EXPECT_EQ(port->QueueRows(), 1);  // "запись 8" waits for the thread
    Button(*port, "Записать")->click();
    EXPECT_EQ(port->QueueRows(), 2);
    for (QLineEdit* e : port->findChildren<QLineEdit*>())
        if (e->accessibleName() == "Значение порта") e->setText("300");
    Button(*port, "Записать")->click();
    EXPECT_EQ(Asked(TPrompt::pkError).size(), 1u);
}

TEST_F(ScanControlTest, SubtractingAnotherWindowsCurveAndUndoingIt) {
    Start();
    TfrmDataWindow* current = form->OpenFile(RecordedRun());
    TfrmDataWindow* other = form->OpenFile(RecordedRun());
    ASSERT_TRUE(current && other);
    const int before = current->DataClass().items[100][0].dt;
    form->MdiArea().setActiveSubWindow(form->MdiArea().subWindowList(QMdiArea::CreationOrder)[0]);
    Trigger(*current, "Вычитание данных");
    app::TSubsctractionForm& dialog = form->SubtractionForm();
    EXPECT_TRUE(dialog.isVisible());
    Button(dialog, "Вычесть")->click();  // the current window is the active one
    EXPECT_EQ(Asked(TPrompt::pkInfo).back().text, "Вы выбрали одно и то же окно. Вычитание невозможно.");
    form->MdiArea().setActiveSubWindow(form->MdiArea().subWindowList(QMdiArea::CreationOrder)[1]);
    dialog.SetLevel(1000);
    Button(dialog, "Вычесть")->click();
    EXPECT_EQ(current->DataClass().items[100][0].dt, gConfig->dTMaxValue - 1000);  // dT − dT + level
    EXPECT_FALSE(Button(dialog, "Вычесть")->isEnabled());
    Button(dialog, "Отменить")->click();
    EXPECT_EQ(current->DataClass().items[100][0].dt, before);
}

TEST_F(ScanControlTest, ARunCutShortComesBackAtTheNextStart) {
    // A recording of another process (the emulator, until stopped), killed: its recovery file
    // waits in the program-data folder.
    WriteFileBytes(std::filesystem::path(dataDir) / "Devices.ini",
                   "[DEFAULT_DEVICE]\nInterfaceType=EMU\nfrequency=10\n[SIMULATED_CELL]\nSpeed=100\n");
    {
        const std::string out = dir.Str() + "killed.dsc";
        const std::string command =
            "(" + ShellQuote(std::getenv("KALVERO_CLI") ? std::getenv("KALVERO_CLI") : "") + " --data-dir " +
            ShellQuote(dataDir) + " record --seconds 100000 --out " + ShellQuote(out) +
            " >/dev/null 2>&1 & echo $! > " + ShellQuote(dir.Str() + "pid") + ")";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const auto recovery = std::filesystem::path(dataDir) / "recovery";
        ASSERT_TRUE(WaitUntil([&] {
            std::error_code ec;
            for (const auto& e : std::filesystem::directory_iterator(recovery, ec))
                if (e.file_size(ec) > 20000) return true;
            return false;
        }));
        const std::string kill = "kill -9 $(cat " + ShellQuote(dir.Str() + "pid") + ")";
        ASSERT_EQ(std::system(kill.c_str()), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    Start();
    const auto questions = Asked(TPrompt::pkYesNo);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].text.find("\"killed.dsc\""), std::string::npos);
    ASSERT_EQ(form->DataWindows().size(), 1u);
    TfrmDataWindow& w = *form->DataWindows()[0];
    EXPECT_EQ(w.windowTitle().toStdString(), dir.Str() + "killed.dsc");
    EXPECT_GT(w.DataClass().GetItemCount(), 1000);
    EXPECT_TRUE(w.DataClass().fHasUnsavedChanges);
    // Saved, it is no longer kept for a crash.
    AnswerFile(dir.Str() + "rescued.dsc");
    Trigger(*form, "Сохранить как...");
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(dataDir) / "recovery"));
}

}  // namespace
