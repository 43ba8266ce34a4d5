// Rows that cannot be taken are left out and named: placeholder rows and repeated blocks that break
// the order of time, cells that are empty, not numbers or not finite, rows too short, and a last
// line cut short. Consecutive lines of one reason make one warning; past twenty, a count.

#include <gtest/gtest.h>

#include <map>

#include "import/ImportModel.h"
#include "import/ImportedRun.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

std::string Row(int i) {
    return std::to_string(i) + ";" + Num(30 + i / 6.0, 4) + ";" + Num(0.01 * i, 3);
}

std::string Join(const std::vector<std::string>& aLines, bool aLastBreak = true) {
    std::string text;
    for (size_t i = 0; i < aLines.size(); ++i)
        text += aLines[i] + (i + 1 < aLines.size() || aLastBreak ? "\n" : "");
    return text;
}

}  // namespace

TEST(SkippedRows, EachKindIsLeftOutAndNamedByItsLines) {
    std::vector<std::string> lines = {"Time/s;Temperature/°C;HF/mW"};  // line 1
    for (int k = 0; k < 3; ++k)
        lines.push_back("0;0;0");  // lines 2–4: placeholders before the data
    for (int i = 0; i < 100; ++i)
        lines.push_back(Row(i));  // lines 5–104
    for (int i = 90; i < 100; ++i)
        lines.push_back(Row(i));  // lines 105–114: a block written twice
    std::vector<int> kept;
    for (int i = 0; i < 100; ++i)
        kept.push_back(i);
    for (int i = 100; i < 150; ++i) {  // lines 115–164
        const std::map<int, std::string> damaged = {{110, "110;abc;1"},    {111, "111;;1"},
                                                    {112, "112;nan;1"},    {113, "113;inf;1"},
                                                    {114, "114;-1e400;1"}, {120, "120;50"}};
        const auto d = damaged.find(i);
        lines.push_back(d == damaged.end() ? Row(i) : d->second);
        if (d == damaged.end()) kept.push_back(i);
    }
    lines.push_back("150;55");  // line 165, no line break: the file stops there
    const TImportedRun run = ImportForeignText(Join(lines, false), {}, "damaged.csv");

    EXPECT_EQ(run.warnings, (std::vector<std::string>{
                                "Направление эндотермических эффектов в файле не указано",
                                "строки 2–4 пропущены: время не возрастает",
                                "строки 105–114 пропущены: время не возрастает",
                                "строка 125 пропущена: не число в нужном столбце",
                                "строка 126 пропущена: пустая ячейка в нужном столбце",
                                "строки 127–129 пропущены: бесконечное или неопределённое значение",
                                "строка 135 пропущена: не хватает столбцов",
                                "строка 165 пропущена: последняя строка оборвана (файл не дописан)",
                            }));
    EXPECT_EQ(run.rowsSkipped, 20u);
    ASSERT_EQ(run.rowsRead, kept.size());
    for (size_t k = 0; k < kept.size(); ++k) {
        ASSERT_DOUBLE_EQ(run.time[k], kept[k]);
        ASSERT_NEAR(run.temperature[k], 30 + kept[k] / 6.0, 1e-4);
        ASSERT_NEAR(run.signal[k], 0.01 * kept[k], 1e-9);
    }
}

TEST(SkippedRows, AnAbortedStartBeforeTheRunIsLeftOut) {
    // Five rows of a start that was abandoned, then the whole run from time 0 again.
    std::vector<std::string> lines = {"Time/s;Temperature/°C;HF/mW"};
    for (int i = 0; i < 5; ++i)
        lines.push_back(Row(i));
    lines.push_back("");
    for (int i = 0; i < 100; ++i)
        lines.push_back(Row(i));
    const TImportedRun run = ImportForeignText(Join(lines), {}, "restart.csv");
    ASSERT_EQ(run.rowsRead, 100u);
    EXPECT_EQ(run.rowsSkipped, 5u);
    EXPECT_EQ(run.warnings.back(), "строки 2–6 пропущены: время не возрастает");
    EXPECT_DOUBLE_EQ(run.time[0], 0);
    EXPECT_DOUBLE_EQ(run.time[99], 99);
}

TEST(SkippedRows, BlankLinesAreSkippedSilentlyAndKeepTheLineNumbers) {
    const std::string text = "Time/s;T/°C;HF/mW\n\n0;30;1\n\n\n1;31;1\n2;x;1\n\n3;33;1\n";
    const TImportedRun run = ImportForeignText(text, {}, "blanks.csv");
    EXPECT_EQ(run.rowsRead, 3u);
    EXPECT_EQ(run.rowsSkipped, 1u);
    EXPECT_EQ(run.warnings.back(), "строка 7 пропущена: не число в нужном столбце");
}

TEST(SkippedRows, TwentyWarningsThenACount) {
    std::vector<std::string> lines = {"Time/s;T/°C;HF/mW"};
    for (int i = 0; i < 120; ++i)
        lines.push_back(i % 4 == 3 ? std::to_string(i) + ";?;1" : Row(i));  // 30 damaged lines apart
    const TImportedRun run = ImportForeignText(Join(lines), {}, "many.csv");
    EXPECT_EQ(run.rowsSkipped, 30u);
    EXPECT_EQ(run.rowsRead, 90u);
    ASSERT_EQ(run.warnings.size(), 1u + 20u + 1u);
    EXPECT_EQ(run.warnings[1], "строка 5 пропущена: не число в нужном столбце");
    EXPECT_EQ(run.warnings[20], "строка 81 пропущена: не число в нужном столбце");
    EXPECT_EQ(run.warnings[21], "и ещё пропущено строк: 10 (в 10 местах)");
}

TEST(SkippedRows, NoRowOfNumbersInTheNeededColumnsIsRefused) {
    try {
        ImportForeignText("Time/s;T/°C;HF/mW\n0;30;\n1;31;\n", {}, "bad.csv");
        FAIL() << "imported";
    } catch (const EImportError& e) {
        EXPECT_STREQ(e.what(),
                     "В файле bad.csv нет ни одной строки с числами в нужных столбцах "
                     "(строки 2–3 пропущены: пустая ячейка в нужном столбце)");
    }
}

TEST(SkippedRows, ProgressIsReportedAndCanCancel) {
    const TModelRun m = MakeModelRun(300000, 0.1);
    const std::string text =
        "t/s,T/°C,HF/mW\n" + Rows(m, [&](size_t i) {
            return Num(m.time[i], 1) + "," + Num(m.temperature[i], 4) + "," + Num(m.heatFlow[i]);
        });
    std::vector<std::pair<uint64_t, uint64_t>> calls;
    TImportOptions options;
    options.progress = [&](uint64_t aDone, uint64_t aTotal) {
        calls.emplace_back(aDone, aTotal);
        return true;
    };
    const TImportedRun run = ImportForeignText(text, options, "big.csv");
    EXPECT_EQ(run.rowsRead, m.time.size());
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.back().first, calls.back().second);
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_LE(calls[i].first, calls[i].second);
        if (i > 0) {
            EXPECT_GT(calls[i].first, calls[i - 1].first);
        }
    }
    options.progress = [](uint64_t, uint64_t) { return false; };
    try {
        ImportForeignText(text, options, "big.csv");
        FAIL() << "not cancelled";
    } catch (const EImportCancelled& e) {
        EXPECT_STREQ(e.what(), "Чтение файла big.csv прервано");
    }
}
