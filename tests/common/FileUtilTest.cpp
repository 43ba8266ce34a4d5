#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "common/FileUtil.h"
#include "support/TempDir.h"

using namespace kalvero;
using namespace kalvero::test;

TEST(FileUtil, AFileMadeInPiecesReplacesTheOldOneOnlyWhenComplete) {
    TTempDir dir;
    const auto file = dir.Path() / "a.bin";
    WriteFileAtomic(file, "old");
    WriteFileAtomic(file, [](const TByteSink& aSink) {
        aSink("ne");
        aSink("");
        aSink("w");
    });
    EXPECT_EQ(ReadFileBytes(file), "new");

    // A producer that fails half way leaves the old file and no temporary file behind.
    EXPECT_THROW(WriteFileAtomic(file,
                                 [](const TByteSink& aSink) {
                                     aSink("partial");
                                     throw std::runtime_error("stop");
                                 }),
                 std::runtime_error);
    EXPECT_EQ(ReadFileBytes(file), "new");
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        ++files;
    EXPECT_EQ(files, 1);

    // A folder that does not exist: the failure in the system's words.
    try {
        WriteFileAtomic(dir.Path() / "no" / "b.bin", "x");
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_NE(std::string(e.what()).find("Не удалось записать файл"), std::string::npos);
    }
}

// The size a file is expected to have only reserves space: the file holds what was produced.
TEST(FileUtil, AnExpectedSizeNeverAddsOrCutsBytes) {
    TTempDir dir;
    const auto file = dir.Path() / "a.bin";
    const std::string piece(3 << 20, 'x');  // beyond one piece that goes to the disk early
    for (const uint64_t expected : {uint64_t{1} << 24, uint64_t{10}, uint64_t{piece.size() + 4}}) {
        WriteFileAtomic(
            file,
            [&](const TByteSink& aSink) {
                aSink(piece);
                aSink("tail");
            },
            expected);
        EXPECT_EQ(std::filesystem::file_size(file), piece.size() + 4) << expected;
        EXPECT_EQ(ReadFileBytes(file).substr(piece.size()), "tail") << expected;
    }
}
