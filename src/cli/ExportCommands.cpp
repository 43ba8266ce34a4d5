// "render" and "export": pictures of an experiment's plot, and its curve as delimited text or a
// spreadsheet workbook.

#include <CLI/CLI.hpp>

#include <QBuffer>
#include <QImage>
#include <QPdfWriter>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "cli/CliContext.h"
#include "common/FileUtil.h"
#include "common/Globals.h"
#include "data/DataClass.h"
#include "data/OpenExport.h"
#include "data/PhysicalExperiment.h"
#include "evaluation/PeakEvaluation.h"
#include "graphics/ConversionExport.h"
#include "graphics/DataCanvas.h"
#include "graphics/GuiRuntime.h"
#include "graphics/PngFile.h"
#include "graphics/PreviewFunc.h"
#include "graphics/TxtFileExport.h"
#include "processing/Peak.h"
#include "processing/PeakUtils.h"
#include "processing/RunComparison.h"

namespace kalvero::cli {
namespace {

// One file, or with aOverlay the comparison of several (one channel each, named after its file).
std::unique_ptr<TDataClass> LoadForExport(TCliContext& aContext, const std::string& aFile, int aMode,
                                          const std::vector<std::string>& aOverlay = {},
                                          const TComparisonOptions& aOverlayOptions = {},
                                          std::vector<std::string>* aWarnings = nullptr) {
    aContext.Process();
    if (aMode < vm_view_dT_by_time || aMode > vm_repaint_scan_T_by_time)
        throw ECliError("Неизвестный режим отображения: " + std::to_string(aMode));
    if (aOverlay.empty() == aFile.empty()) throw ECliError("Задайте либо файл, либо --overlay с файлами");
    std::unique_ptr<TDataClass> d;
    if (aOverlay.empty()) {
        d = LoadExperimentFile(aContext, aFile);
    } else {
        std::vector<std::unique_ptr<TDataClass>> runs;
        std::vector<TComparedRun> compared;
        for (const std::string& file : aOverlay) {
            runs.push_back(LoadExperimentFile(aContext, file));
            compared.push_back({runs.back().get(), std::filesystem::path(file).filename().string()});
        }
        d = std::make_unique<TDataClass>();
        std::vector<std::string> warnings;
        try {
            BuildComparison(compared, aOverlayOptions, *d, warnings);
        } catch (const EPhysicalRunException& e) {
            throw ECliError(e.what());
        }
        if (aWarnings) *aWarnings = warnings;
    }
    d->mode = static_cast<TCurveMode>(aMode);
    d->ResetMargins(true);
    return d;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string PictureFormat(const std::string& aOut, const std::string& aFormat) {
    std::string f = Lower(aFormat);
    if (f.empty()) {
        f = Lower(std::filesystem::path(aOut).extension().string());
        if (!f.empty()) f.erase(0, 1);
    }
    if (f == "tif") f = "tiff";
    if (f != "bmp" && f != "tiff" && f != "png" && f != "pdf")
        throw ECliError("Неизвестный формат рисунка: " + f);
    return f;
}

// The y range of the shown curves fitted to their values, with a twentieth of room each side.
void FitValues(TDataClass& d) {
    const bool temperature =
        d.mode == vm_view_T_by_time || d.mode == vm_scan_T_by_time || d.mode == vm_repaint_scan_T_by_time;
    const int from = std::clamp(d.begXSel, 0, std::max(0, d.GetItemCount() - 1));
    const int to = std::clamp(d.endXSel, 0, d.GetItemCount() - 1);
    if (d.mode == vm_view_dT_by_temp || to < from) return;
    int64_t lo = INT64_MAX, hi = INT64_MIN;
    for (int ch = 0; ch < d.GetChannelCount(); ++ch) {
        if (!d.descriptors[ch].visible) continue;
        for (int i = from; i <= to; ++i) {
            const int64_t v = temperature ? d.items[i][ch].t : d.items[i][ch].dt;
            lo = std::min(lo, v), hi = std::max(hi, v);
        }
    }
    if (lo > hi) return;
    const int64_t room = std::max<int64_t>(1, (hi - lo) / 20);
    d.begYSel = static_cast<int32_t>(lo - room), d.endYSel = static_cast<int32_t>(hi + room);
    d.begY = std::min(d.begY, d.begYSel), d.endY = std::max(d.endY, d.endYSel);
}

// Peak aNumber (from 1) of those the file keeps, or of those detection finds when it keeps none.
const TPeak& PeakNumber(TDataClass& d, int aNumber) {
    if (d.peaks.GetItemCount() == 0 && d.GetItemCount() > 0)
        TPeakUtils(d, *gConfig, gLogger, nullptr).DetectPeaks(0, d.GetItemCount() - 1);
    std::vector<const TPeak*> peaks;
    for (int k = 0; k < d.peaks.GetItemCount(); ++k)
        if (const auto* p = dynamic_cast<const TPeak*>(d.peaks.GetItemByIndex(k).value)) peaks.push_back(p);
    if (aNumber < 1 || aNumber > static_cast<int>(peaks.size()))
        throw ECliError("Пика " + std::to_string(aNumber) + " нет: в эксперименте пиков " +
                        std::to_string(peaks.size()));
    return *peaks[static_cast<size_t>(aNumber - 1)];
}

void WritePdf(TDataClass& d, const std::string& aOut) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(600);
        writer.setPageLayout(PrintPageLayout(*gConfig, QPageLayout::Landscape));
        DrawExperimentPage(d, writer);
    }
    WriteFileAtomic(aOut,
                    std::string_view(buffer.data().constData(), static_cast<size_t>(buffer.data().size())));
}

}  // namespace

void RegisterExportCommands(CLI::App& aApp, TCliContext& aContext) {
    struct TArgs {
        std::string file, out, format, selection, columnSeparator = "TAB", decimalSeparator, digits = "all";
        int mode = 0, width = 1200, height = 800, step = 10, conversion = 0;
        bool peaks = false, fit = false, noDecimation = false, noHeader = false;
        std::vector<int> tangents, markers;
        std::vector<std::string> overlay;
        TComparisonOptions overlayOptions;
    };
    auto args = std::make_shared<TArgs>();

    auto* render = aApp.add_subcommand("render", "Draw an experiment's plot into a picture");
    render->add_option("FILE", args->file, "Experiment file");
    render->add_option("--overlay", args->overlay,
                       "Several runs on one plot instead of FILE, one curve each");
    render->add_option("--offset", args->overlayOptions.offset,
                       "With --overlay: each curve shifted up by this step");
    render->add_flag("--per-mass", args->overlayOptions.perMass,
                     "With --overlay: signals divided by their masses");
    render->add_option("--out", args->out, "Picture to write")->required();
    render->add_option("--format", args->format, "bmp, tiff, png or pdf (default: by the extension)");
    render->add_option("--mode", args->mode, "View mode 0 ... 10");
    render->add_option("--width", args->width, "Surface width in pixels")->check(CLI::Range(1, 20000));
    render->add_option("--height", args->height, "Surface height in pixels")->check(CLI::Range(1, 20000));
    render->add_flag("--peaks", args->peaks, "Detect the peaks first");
    render->add_option("--tangent", args->tangents, "Lay a tangent centred on this item (repeatable)");
    render->add_option("--marker", args->markers, "Set a marker on this item (repeatable)");
    render->add_flag("--fit", args->fit, "Fit the value axis to the curves instead of the configured range");
    render->add_option("--selection", args->selection, "Show items A ... B-1 (A:B) instead of the whole run");
    render->callback([&aContext, args] {
        const std::string format = PictureFormat(args->out, args->format);
        TGuiApplicationScope gui;  // released before the process ends, with everything drawn
        std::vector<std::string> warnings;
        const auto d =
            LoadForExport(aContext, args->file, args->mode, args->overlay, args->overlayOptions, &warnings);
        if (args->peaks && d->GetItemCount() > 0) {
            TPeakUtils(*d, *gConfig, gLogger, nullptr).DetectPeaks(0, d->GetItemCount() - 1);
        }
        if (!args->selection.empty()) {
            const auto [a, b] = ParseItemRange(args->selection);
            if (d->IsTempBasedMode()) {
                d->begX1 = a, d->endX1 = b - 1;
            } else {
                d->begXSel = a, d->endXSel = b - 1;
            }
        }
        for (int x : args->tangents)
            d->AddTangent(x);
        for (int x : args->markers)
            d->AddBubble(x);
        if (args->fit) FitValues(*d);

        QImage screen(args->width, args->height, QImage::Format_RGB32);
        screen.fill(Qt::white);
        TDataCanvas canvas;
        canvas.SetCanvas(&screen, args->width, args->height);
        canvas.SetDimensions(args->width, args->height);
        d->SetCanvas(&canvas);
        std::string written = args->out;
        if (format == "pdf") {
            WritePdf(*d, args->out);
        } else {
            d->Redraw();
            if (format == "bmp") {
                d->ExportToBMP(args->out);
                written = std::filesystem::path(args->out).replace_extension(".bmp").string();
            } else if (format == "tiff") {
                d->ExportToTIFF(args->out);
            } else {
                WritePngFile(args->out, screen);
            }
        }
        d->SetCanvas(nullptr);
        nlohmann::ordered_json j{{"file", written},
                                 {"format", format},
                                 {"width", args->width},
                                 {"height", args->height},
                                 {"peaks", d->peaks.GetItemCount()}};
        if (!args->overlay.empty()) {
            j["channels"] = d->GetChannelCount();
            j["warnings"] = warnings;
        }
        aContext.Print(j);
    });

    auto* exp = aApp.add_subcommand("export", "Write an experiment's curve as delimited text or a workbook");
    exp->add_option("FILE", args->file, "Experiment file")->required();
    exp->add_option("--out", args->out, "Text (.txt, .csv) or workbook (.xlsx) to write")->required();
    exp->add_option("--mode", args->mode,
                    "View mode: 0 dT by time, 1 dT by temperature, 7 both by time, 8 T by time");
    exp->add_option("--selection", args->selection, "Export items A ... B-1 (A:B)");
    auto* step = exp->add_option("--step", args->step, "Decimation step")->check(CLI::NonNegativeNumber);
    exp->add_flag("--no-decimation", args->noDecimation, "Export every item")->excludes(step);
    exp->add_option("--column-separator", args->columnSeparator,
                    "TAB, COMMA, SEMICOLON, SPACE or the text itself");
    exp->add_option("--decimal-separator", args->decimalSeparator, "Decimal separator")
        ->check(CLI::IsMember({".", ","}));
    exp->add_option("--digits", args->digits, "Decimals: all or 0 ... 10")
        ->check(CLI::IsMember({"all", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    exp->add_flag("--no-header", args->noHeader, "Leave out the column names");
    exp->add_option(
           "--format", args->format,
           "text: the curve of the view, as the export dialog writes it (default); csv or json: every "
           "sample as time (s), temperature (°C) and signal with the description, for other programs")
        ->check(CLI::IsMember({"text", "csv", "json"}));
    exp->add_option("--conversion", args->conversion,
                    "Write the conversion of peak N instead of the curve: time, temperature, alpha, its rate "
                    "(the peaks the file keeps, else those detection finds)")
        ->check(CLI::PositiveNumber);
    exp->callback([&aContext, args] {
        const auto d = LoadForExport(aContext, args->file, args->mode);
        if (args->format == "csv" || args->format == "json") {
            WriteOpenExport(*d, args->out,
                            args->format == "csv" ? TOpenExportFormat::Csv : TOpenExportFormat::Json);
            aContext.Print(
                {{"file", args->out}, {"format", args->format}, {"rows", d->GetItemCount()}, {"columns", 3}});
            return;
        }
        const bool workbook = Lower(std::filesystem::path(args->out).extension().string()) == ".xlsx";
        TTxtFileExport e(*d, args->out, workbook);
        if (!args->selection.empty()) {
            const auto [a, b] = ParseItemRange(args->selection);
            // On a temperature axis the items come from the second range; the temperature
            // selection stays the whole range then.
            if (d->mode == vm_view_dT_by_temp) {
                d->begX1 = a, d->endX1 = b - 1;
            } else {
                e.options.selectedArea = true;
                d->begXSel = a, d->endXSel = b - 1;
            }
        }
        e.options.decimation = !args->noDecimation;
        e.options.step = std::to_string(args->step);
        const std::string sep = args->columnSeparator;
        e.options.columnSeparator = sep == "COMMA"       ? ","
                                    : sep == "SEMICOLON" ? ";"
                                    : sep == "SPACE"     ? " "
                                                         : sep;
        if (!args->decimalSeparator.empty()) e.options.decimalSeparator = args->decimalSeparator;
        e.options.decimals = args->digits == "all" ? -1 : std::stoi(args->digits);
        e.options.includeHeader = !args->noHeader;
        if (args->conversion > 0) {
            const TPeak& peak = PeakNumber(*d, args->conversion);
            evaluation::RConversion c;
            try {
                c = evaluation::ConversionOf(*d, peak);
            } catch (const evaluation::EEvaluationError& error) {
                throw ECliError(error.what());
            }
            const int rows = SaveConversionTable(c, args->out, e.options);
            aContext.Print({{"file", args->out}, {"rows", rows}, {"columns", 4}, {"peak", args->conversion}});
            return;
        }
        e.BuildTable();
        if (workbook) {
            e.ExportToXlsx(args->out);
        } else {
            e.SaveToFile();
        }
        aContext.Print({{"file", args->out}, {"rows", e.PointCount()}, {"columns", e.Use3Columns() ? 3 : 2}});
    });
}

}  // namespace kalvero::cli
