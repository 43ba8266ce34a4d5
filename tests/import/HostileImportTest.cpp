// Inputs made to break a reader: a line of two gigabytes, a hundred thousand columns, NUL bytes,
// UTF-16 of odd length, non-finite numbers, mixed separators, random bytes. Each ends in a run with
// warnings or in EImportError, never a crash, a hang or memory out of bounds.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <random>

#include "import/ImportModel.h"
#include "import/ImportedRun.h"
#include "support/TempDir.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

long MaxRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

TEST(HostileImport, ALineOfTwoGigabytesIsOneSkippedRow) {
    // A sparse file: two rows, two gigabytes of zero bytes without a line break, one more row.
    TTempDir dir;
    const std::string path = (dir.Path() / "huge.csv").string();
    const std::string head = "Time/s;T/°C;HF/mW\n0;30;1\n1;31;2\n";
    const std::string tail = "\n2;32;3\n";
    const off_t gap = off_t{2} << 30;
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, head.data(), head.size()), static_cast<ssize_t>(head.size()));
    ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), static_cast<off_t>(head.size()) + gap),
              static_cast<ssize_t>(tail.size()));
    ::close(fd);

    const long before = MaxRssKb();
    const TImportedRun run = ImportForeignFile(path);
    ASSERT_EQ(run.rowsRead, 3u);
    EXPECT_DOUBLE_EQ(run.signal[2], 3);
    EXPECT_EQ(run.rowsSkipped, 1u);
    EXPECT_TRUE(HasWarning(run, "строка 4 пропущена: не число в нужном столбце"));
    // The pages of the file are let go as the scan passes them: far below the two gigabytes. How
    // many are still resident when the scan lets go varies with the system's memory (and with the
    // sanitizers' shadow), hence a quarter of the file as the bound.
    EXPECT_LT(MaxRssKb() - before, 512 * 1024);
}

TEST(HostileImport, AHundredThousandColumnsAreCutToTheFirstThousand) {
    std::string header = "Time/s;T/°C;HF/mW", row0 = "0;30;1", row1 = "1;31;2";
    for (int c = 3; c < 100000; ++c) {
        header += ";c" + std::to_string(c);
        row0 += ";0", row1 += ";0";
    }
    const TImportedRun run = ImportForeignText(header + "\n" + row0 + "\n" + row1 + "\n", {}, "wide.csv");
    EXPECT_EQ(run.columns.size(), 1024u);
    EXPECT_TRUE(HasWarning(run, "Столбцов больше 1024"));
    ASSERT_EQ(run.rowsRead, 2u);
    EXPECT_DOUBLE_EQ(run.signal[1], 2);
    EXPECT_LE(run.firstRows[0].size(), 64u);
}

TEST(HostileImport, NulBytesMakeCellsThatAreNotNumbers) {
    const std::string text = std::string("Time/s;T/\0C;HF/mW\n0;30;1\n1;3\0;2\n2;32;3\n\0\0\0\n3;33;4\n", 50);
    const TImportedRun run = ImportForeignText(text, {}, "nul.csv");
    EXPECT_EQ(run.rowsRead, 3u);
    EXPECT_EQ(run.rowsSkipped, 2u);
    EXPECT_TRUE(HasWarning(run, "строка 3 пропущена: не число в нужном столбце"));
    EXPECT_TRUE(HasWarning(run, "строка 5 пропущена"));
}

TEST(HostileImport, Utf16OfOddLengthLosesItsLastByteWithAWarning) {
    const std::string text = ToUtf16("t [s]\tT [°C]\tDSC [mW]\n0\t30\t1\n1\t31\t2\n", false) + "\x33";
    const TImportedRun run = ImportForeignText(text, {}, "odd.txt");
    EXPECT_TRUE(HasWarning(run, "нечётной длины"));
    EXPECT_EQ(run.rowsRead, 2u);
}

TEST(HostileImport, NonFiniteNumbersAreCellsThatAreNotNumbers) {
    const TImportedRun run = ImportForeignText(
        "t/s,T/°C,HF/mW\n0,30,1\n1,NaN,1\n2,32,inf\n3,1e400,1\n4,-Infinity,1\n5,35,1\n", {}, "inf.csv");
    EXPECT_EQ(run.rowsRead, 2u);
    EXPECT_TRUE(HasWarning(run, "строки 3–6 пропущены: бесконечное или неопределённое значение"));
}

TEST(HostileImport, MixedSeparatorsKeepTheRowsOfTheSeparatorFound) {
    const std::string text = "Time/s;T/°C;HF/mW\n0;30;1\n1;31;2\n2,32,3\n3\t33\t4\n4;34;5\n5;35,5;6\n";
    const TImportedRun run = ImportForeignText(text, {}, "mixed.csv");
    EXPECT_EQ(run.separator, ';');
    EXPECT_EQ(run.decimalSeparator, ',');  // as the last row shows
    EXPECT_EQ(run.rowsRead, 4u);
    EXPECT_EQ(run.rowsSkipped, 2u);
    EXPECT_DOUBLE_EQ(run.temperature[3], 35.5);
}

TEST(HostileImport, RandomBytesAreRefusedNotCrashedOn) {
    std::mt19937 random(12345);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(1 + random() % 20000, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        EXPECT_THROW(ImportForeignText(bytes, {}, "noise.bin"), EImportError);
        EXPECT_FALSE(LooksLikeForeignData(bytes));
    }
}

TEST(HostileImport, AHeaderLineLongerThanTheCapIsCut) {
    const std::string text = "Sample: " + std::string(200000, 'x') + "\nTime/s;T/°C;HF/mW\n0;30;1\n1;31;2\n";
    const TImportedRun run = ImportForeignText(text, {}, "long.csv");
    EXPECT_EQ(run.rowsRead, 2u);
    EXPECT_LE(run.sampleName.size(), 200u);
}
