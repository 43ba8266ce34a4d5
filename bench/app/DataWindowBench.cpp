// The data window as the operator feels it: a full redraw of the plot at 1920 × 1080, a sequence
// of zoom steps, opening a long record until its curve is on the screen, the export dialog's
// answer to a change of its controls, a spreadsheet export, a printed page, and a live run. The
// program runs on the offscreen platform with its own program-data folder (24-bit count ranges).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QEventLoop>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPdfWriter>
#include <QTimer>

#include <chrono>
#include <clocale>
#include <ctime>
#include <filesystem>
#include <memory>

#include "../BenchSupport.h"
#include "acquisition/RunControl.h"
#include "app/DataWindow.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/PlotView.h"
#include "app/Prompts.h"
#include "app/ResultsList.h"
#include "app/ScanControlForm.h"
#include "app/TxtFileExportForm.h"
#include "common/FileUtil.h"
#include "evaluation/ExperimentEvaluations.h"
#include "graphics/PlotInteraction.h"
#include "graphics/PreviewFunc.h"
#include "graphics/TxtFileExport.h"

namespace kalvero::bench {
namespace {

constexpr int kWidth = 1920, kHeight = 1080;

// The program, started once for the whole run, after the experiment files exist.
std::unique_ptr<app::TKalveroForm>& FormHolder() {
    static std::unique_ptr<app::TKalveroForm> form;
    return form;
}

app::TKalveroForm& Form() {
    std::unique_ptr<app::TKalveroForm>& form = FormHolder();
    if (!form) {
        ExperimentFile(1'000'000);
        ExperimentFile(10'000'000);
        const std::string data = Environment().Folder() + "appdata";
        PrepareProgramDataFolder(data);
        WriteFileAtomic(data + "/Devices.ini",
                        "[DEFAULT_DEVICE]\nInterfaceType=EMU\nfrequency=10\ntMaxADCValue=16777216\n"
                        "tMaxValue=16777216\ndTMinADCValue=-16777216\ndTMaxADCValue=16777216\n"
                        "dTMinValue=2000\ndTMaxValue=2600\n");
        app::SetPromptAnswerer([](const app::TPrompt&) { return app::TPromptAnswer{}; });
        form =
            std::make_unique<app::TKalveroForm>(app::TStartOptions{Environment().Folder() + "bin", data, ""});
        form->resize(kWidth + 200, kHeight + 300);
        form->show();
        QCoreApplication::processEvents();
    }
    return *form;
}

// A window with the record of aItems items whose plot is kWidth × kHeight.
app::TfrmDataWindow& Window(size_t aItems) {
    app::TKalveroForm& form = Form();
    for (QMdiSubWindow* sub : form.MdiArea().subWindowList())
        delete sub;
    app::TfrmDataWindow* w = form.OpenFile(ExperimentFile(aItems));
    QCoreApplication::processEvents();
    const QSize missing = QSize(kWidth, kHeight) - w->Plot().size();
    form.resize(form.size() + missing);
    QCoreApplication::processEvents();
    return *w;
}

void Frame(app::TfrmDataWindow& w) {
    w.Redraw();
    w.Plot().repaint();  // the paint itself, at once
}

void BM_DataWindowRedraw(benchmark::State& state) {
    app::TfrmDataWindow& w = Window(static_cast<size_t>(state.range(0)));
    state.counters["width"] = w.Plot().width();
    state.counters["height"] = w.Plot().height();
    for (auto _ : state)
        Frame(w);
}
BENCHMARK(BM_DataWindowRedraw)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// A glass transition's stretch end dropped on a long record, as the operator drags it: the
// construction made again over its 500 000 items, the plot drawn and the results listed.
void BM_DataWindowGlassTransitionDrag(benchmark::State& state) {
    app::TfrmDataWindow& w = Window(static_cast<size_t>(state.range(0)));
    TDataClass& d = w.DataClass();
    d.fEvaluations.glassTransitions = {{4'500'000, 4'575'000, 4'925'000, 5'000'000}};
    int step = 0;
    for (auto _ : state) {
        evaluation::MoveGlassTransitionEnd(d.fEvaluations.glassTransitions[0], 1,
                                           4'575'000 + (++step % 2) * 1000, d.GetItemCount());
        Frame(w);
        w.Results().Refresh(d);
    }
    d.fEvaluations.Clear();
}
BENCHMARK(BM_DataWindowGlassTransitionDrag)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// Twenty steps of the "narrow X" button from the whole record, each drawn.
void BM_DataWindowZoomSteps(benchmark::State& state) {
    app::TfrmDataWindow& w = Window(static_cast<size_t>(state.range(0)));
    TDataClass& d = w.DataClass();
    for (auto _ : state) {
        d.begXSel = d.begX, d.endXSel = d.endX;
        for (int k = 0; k < 20; ++k) {
            ZoomXWindow(d, false);
            Frame(w);
        }
    }
}
BENCHMARK(BM_DataWindowZoomSteps)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// From the Open command to the curve on the screen: load, ranges, drawing and the paint.
void BM_OpenInDataWindow(benchmark::State& state) {
    app::TKalveroForm& form = Form();
    const std::string file = ExperimentFile(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        app::TfrmDataWindow* w = form.OpenFile(file);
        w->Plot().repaint();
        state.PauseTiming();
        for (QMdiSubWindow* sub : form.MdiArea().subWindowList())
            delete sub;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenInDataWindow)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// The export dialog opened on a long record, then a change of "Прореживание" (the count of rows
// and the preview are made again each time).
void BM_ExportDialogChange(benchmark::State& state) {
    app::TfrmDataWindow& w = Window(static_cast<size_t>(state.range(0)));
    app::TTxtFileExportForm dialog(&w, w.DataClass(), Environment().Folder() + "export.txt", false);
    QCheckBox* decimation = nullptr;
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        if (box->text() == "Прореживание") decimation = box;
    for (auto _ : state)
        decimation->click();
}
BENCHMARK(BM_ExportDialogChange)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// "Переслать в Excel" on a record with decimation 10: the table and the workbook with its chart.
void BM_SpreadsheetExport(benchmark::State& state) {
    app::TfrmDataWindow& w = Window(static_cast<size_t>(state.range(0)));
    TTxtFileExport e(w.DataClass(), "", true);
    for (auto _ : state) {
        e.BuildTable();
        e.ExportToXlsx(Environment().Folder() + "export.xlsx");
    }
    state.counters["rows"] = e.PointCount();
}
BENCHMARK(BM_SpreadsheetExport)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// One printed page (a PDF) of the plot, the surface back on the screen afterwards.
void BM_PrintedPage(benchmark::State& state) {
    app::TfrmDataWindow& w = Window(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageLayout(PrintPageLayout(*gConfig, QPageLayout::Landscape));
        DrawExperimentPage(w.DataClass(), writer);
    }
}
BENCHMARK(BM_PrintedPage)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// A run of the simulated 24-bit module in real time, 4 hardware channels (T and dT of two data
// channels) at 800 Hz, the live curve shown: the user-interface thread's share of one core, and
// how far the drawn curve lags the recording at each draw tick.
void BM_LiveRun4Channels(benchmark::State& state) {
    // The run has a program-data folder of its own: the shared program goes for the time of it.
    FormHolder().reset();
    const std::string data = Environment().Folder() + "livedata";
    PrepareProgramDataFolder(data);
    WriteFileAtomic(
        data + "/Devices.ini",
        "[DEFAULT_DEVICE]\nInterfaceType=USB_LA24_UNI\nNumberOfHardwareChannels=2\nfrequency=800\n"
        "EndTime=120\nTempScale=1\nCalibrationTable=SimulatedCell.tbl\nuseDeviceControl=0\n"
        "[USB_CHANNEL0]\ntempChannelNumber=0\ndiffTempChannelNumber=1\n"
        "[USB_CHANNEL1]\ntempChannelNumber=2\ndiffTempChannelNumber=3\n"
        "[SIMULATED_CELL]\nSpeed=1\n");
    for (auto _ : state) {
        app::TKalveroForm live(app::TStartOptions{Environment().Folder() + "bin", data, ""});
        live.resize(kWidth + 200, kHeight + 300);
        live.show();
        app::TfrmDataWindow* w = live.NewDataWindow();
        app::ShowScanControl(*w);
        app::TfrmScanControlForm& scan = live.ScanControl();
        scan.StartPauseContinue();
        if (!scan.IsRunActive()) {
            state.SkipWithError(scan.StateLine().toStdString().c_str());
            return;
        }
        uint32_t maxLag = 0, ticks = 0;
        QTimer probe;
        probe.setInterval(100);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const uint32_t published = scan.Control().Thread()->PublishedTimeCounter();
            const uint32_t drawn = w->DataClass().fOldTimeCounter;
            maxLag = std::max(maxLag, published > drawn ? published - drawn : 0u);
            ++ticks;
        });
        timespec cpu0{}, cpu1{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu0);
        const auto wall0 = std::chrono::steady_clock::now();
        probe.start();
        QEventLoop loop;
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        loop.exec();
        probe.stop();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu1);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        const double cpu =
            static_cast<double>(cpu1.tv_sec - cpu0.tv_sec) + (cpu1.tv_nsec - cpu0.tv_nsec) * 1e-9;
        const uint32_t recorded = scan.Control().RecordedItems();
        scan.Stop();
        state.counters["uiCpuPercent"] = 100.0 * cpu / wall;
        state.counters["maxLagItems"] = maxLag;
        state.counters["itemsPerTick"] = recorded / std::max(1.0, wall * 10);
        state.counters["items"] = recorded;
        state.counters["ticks"] = ticks;
        w->DataClass().fHasUnsavedChanges = false;
    }
}
BENCHMARK(BM_LiveRun4Channels)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kalvero::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
