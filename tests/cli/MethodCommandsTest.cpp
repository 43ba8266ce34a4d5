// "evaluate" and "report" on model runs of known answer: a method's limits passing and failing
// with the exit status, a damaged file in a batch, the results table in CSV and JSON, the same
// results on one thread and on two, and the report's text (pdftotext) holding the sample, the
// results, the limits and the verdicts.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/FakeUiHooks.h"
#include "support/MethodRuns.h"
#include "support/RunCli.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::test;
using nlohmann::json;

namespace {

class CliMethods : public ::testing::Test {
protected:
    TTestConfig config;
    TFakeUiScope ui;
    TTempDir dir;
    std::string data = MakeCliDataDir(dir);

    std::string File(const std::string& aName) const { return dir.Str() + aName; }
    RCliResult Run(const std::string& aArgs) { return RunCli("--data-dir " + data + " " + aArgs); }

    // Runs in the melting's limits (160 °C), one shifted out of them (162 °C), one damaged.
    void SetUp() override {
        TMethodRunModel{.step = 0.5}.Save(File("a.dsc"));
        TMethodRunModel{.step = 0.4}.Save(File("b.dsc"));
        TMethodRunModel{.step = 0.5, .peakShift = 2}.Save(File("shifted.dsc"));
        WriteFileBytes(File("damaged.dsc"), "not an experiment");
        WriteFileBytes(File("m.json"), R"({"name": "Контроль ПЭТ", "evaluations": [
            {"kind": "peak", "range": "148C:176C", "limits": {"topTemp": [159, 161], "specificHeat": [28, 32]}},
            {"kind": "tg", "range": "85C:115C", "limits": {"midpoint": [99.5, 100.5]}}]})");
    }

    std::string Evaluate(const std::string& aFiles, const std::string& aMore = "") {
        return "evaluate --method " + ShellQuote(File("m.json")) + " " + aFiles + aMore;
    }
};

TEST_F(CliMethods, ExitStatusSaysWhetherEveryFileWasEvaluatedAndEveryLimitHeld) {
    const std::string a = ShellQuote(File("a.dsc")), b = ShellQuote(File("b.dsc")),
                      shifted = ShellQuote(File("shifted.dsc")), damaged = ShellQuote(File("damaged.dsc"));
    RCliResult r = Run(Evaluate(a + " " + b));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // Progress per file on stderr.
    EXPECT_NE(r.err.find("[2/2]"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("topTemp = 160"), std::string::npos) << r.out;

    r = Run(Evaluate(a + " " + shifted));
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_NE(r.err.find("shifted.dsc: вне границ"), std::string::npos) << r.err;

    // A damaged file is reported and the others are still evaluated.
    r = Run("--json " + Evaluate(damaged + " " + shifted + " " + a));
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("damaged.dsc: ошибка: "), std::string::npos) << r.err;
    const json j = json::parse(r.out);
    int evaluated = 0;
    for (const json& row : j["rows"]) {
        if (row["file"].get<std::string>().ends_with("damaged.dsc")) {
            EXPECT_EQ(row["verdict"], "error");
            EXPECT_FALSE(row["error"].get<std::string>().empty());
        } else if (row["result"] == "topTemp") {
            ++evaluated;
        }
    }
    EXPECT_EQ(evaluated, 2);

    // A method that cannot be read stops the command with its reason.
    WriteFileBytes(File("bad.json"), R"({"name": "m", "evaluations": [{"kind": "peak", "range": "x"}]})");
    r = Run("evaluate --method " + ShellQuote(File("bad.json")) + " " + a);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Оценка 1: Неверный диапазон"), std::string::npos) << r.err;
    // No file to evaluate is a usage error.
    EXPECT_EQ(Run("evaluate --method " + ShellQuote(File("m.json"))).exitCode, 2);
}

TEST_F(CliMethods, ResultsTableOneRowPerFileAndResultTheSameOnOneThreadAndTwo) {
    std::string files;
    for (int k = 0; k < 6; ++k)
        files += " " + ShellQuote(File(k % 2 ? "a.dsc" : "b.dsc"));
    RCliResult r = Run(Evaluate(files, " --jobs 1 --out " + ShellQuote(File("one.json"))));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = Run(Evaluate(files, " --jobs 2 --out " + ShellQuote(File("two.json"))));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    json one = json::parse(ReadFileBytes(File("one.json"))),
         two = json::parse(ReadFileBytes(File("two.json")));
    ASSERT_EQ(one["rows"].size(), two["rows"].size());
    for (size_t k = 0; k < one["rows"].size(); ++k) {
        one["rows"][k].erase("evaluatedAt"), two["rows"][k].erase("evaluatedAt");
        EXPECT_EQ(one["rows"][k], two["rows"][k]) << k;
    }
    // Eight peak results and six glass transition results of each file, each with its provenance.
    EXPECT_EQ(one["rows"].size(), 6u * 14);
    EXPECT_EQ(one["method"], "Контроль ПЭТ");
    const json& midpoint = one["rows"][9];
    EXPECT_EQ(midpoint["result"], "midpoint");
    EXPECT_NEAR(midpoint["value"].get<double>(), 100, 0.1);
    EXPECT_EQ(midpoint["low"], 99.5);
    EXPECT_EQ(midpoint["verdict"], "pass");
    EXPECT_EQ(midpoint["method"], "Контроль ПЭТ");
    EXPECT_EQ(midpoint["program"].get<std::string>().rfind("Kalvero ", 0), 0u);

    // CSV: the header, then the same rows.
    r = Run(Evaluate(ShellQuote(File("a.dsc")), " --out " + ShellQuote(File("r.csv"))));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string csv = ReadFileBytes(File("r.csv"));
    EXPECT_EQ(csv.rfind("file,evaluation,kind,range,result,value,unit,low,high,verdict,error,method,", 0),
              0u);
    EXPECT_NE(csv.find(",1,peak,148C:176C,topTemp,160"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",°C,159,161,pass,,Контроль ПЭТ,Kalvero "), std::string::npos) << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 15);
}

std::string PdfText(const std::string& aPdf) {
    const std::string text = aPdf + ".txt";
    const int status =
        std::system(("pdftotext -layout " + ShellQuote(aPdf) + " " + ShellQuote(text)).c_str());
    EXPECT_EQ(status, 0) << "pdftotext (poppler-utils, scripts/install-deps) must be installed";
    return ReadFileBytes(text);
}

TEST_F(CliMethods, ReportHoldsTheSampleTheResultsTheLimitsAndTheVerdicts) {
    const std::string pdf = File("r.pdf");
    RCliResult r = Run("report " + ShellQuote(File("a.dsc")) + " " + ShellQuote(File("shifted.dsc")) + " " +
                       ShellQuote(File("damaged.dsc")) + " --method " + ShellQuote(File("m.json")) +
                       " --out " + ShellQuote(pdf));
    EXPECT_EQ(r.exitCode, 1) << r.err;  // the damaged file
    const std::string text = PdfText(pdf);
    // The summary first, one line per file with its verdict.
    const size_t summary = text.find("Сводка: файлов 3");
    ASSERT_NE(summary, std::string::npos) << text;
    EXPECT_NE(text.find("годен", summary), std::string::npos);
    EXPECT_NE(text.find("не годен", summary), std::string::npos);
    EXPECT_NE(text.find("ошибка", summary), std::string::npos);
    // A page per file: the sample, the results with limits and verdicts, the calibration, the
    // method and the program.
    EXPECT_NE(text.find("Отчёт: Модель"), std::string::npos) << text;
    EXPECT_NE(text.find("Образец"), std::string::npos);
    EXPECT_NE(text.find("5 мг"), std::string::npos);
    EXPECT_NE(text.find("(topTemp)"), std::string::npos);  // the caption names the limit's key
    EXPECT_NE(text.find("Удельная"), std::string::npos) << text;
    EXPECT_NE(text.find("160,00 °C"), std::string::npos) << text;
    EXPECT_NE(text.find("162,00 °C"), std::string::npos) << text;
    EXPECT_NE(text.find("159 … 161"), std::string::npos) << text;
    EXPECT_NE(text.find("specificHeat"), std::string::npos);
    EXPECT_NE(text.find("30,000 J/g"), std::string::npos) << text;
    EXPECT_NE(text.find("Заключение: не годен"), std::string::npos);
    EXPECT_NE(text.find("Заключение: годен"), std::string::npos);
    EXPECT_NE(text.find("Калибровочные таблицы: не применяются"), std::string::npos);
    EXPECT_NE(text.find("Методика: Контроль ПЭТ"), std::string::npos);
    EXPECT_NE(text.find("Отчёт составлен: "), std::string::npos);
    EXPECT_NE(text.find("Файл не оценён: "), std::string::npos);

    // Without a method a file's own evaluations are reported: a one-page report of a run whose
    // peak was kept.
    ASSERT_EQ(
        Run("peaks " + ShellQuote(File("a.dsc")) + " --manual 148C:172C --out " + ShellQuote(File("a.dsc")))
            .exitCode,
        0);
    r = Run("report " + ShellQuote(File("a.dsc")) + " --out " + ShellQuote(pdf));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string own = PdfText(pdf);
    EXPECT_EQ(own.find("Сводка"), std::string::npos);
    EXPECT_NE(own.find("160,00 °C"), std::string::npos) << own;
    EXPECT_NE(own.find("30,000 J/g"), std::string::npos) << own;
}

}  // namespace
