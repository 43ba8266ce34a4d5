#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/RunCli.h"

using namespace kalvero::test;
using nlohmann::json;

namespace {

std::string Q(const std::filesystem::path& aPath) {
    return ShellQuote(aPath.string());
}

}  // namespace

TEST(CliProgram, NewWritesAProgramThatShowReadsBack) {
    TTempDir dir;
    const auto file = dir.Path() / "run.prg";
    RCliResult r = RunCli("program new --step heat:150 --step hold:10 --step free:5:nokeep --out " + Q(file));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(ReadFileBytes(file).find("[STEP_2]\r\nstepType=3\r\nstepParam=5\r\nkeepData=0\r\n"),
              std::string::npos);

    r = RunCli("program show " + Q(file) + " --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out), json::parse(R"({"steps": [
        {"stepNo": 1, "stepType": "spstHeating", "stepParam": 150, "keepData": true},
        {"stepNo": 2, "stepType": "spstSustain", "stepParam": 10, "keepData": true},
        {"stepNo": 3, "stepType": "spstFree", "stepParam": 5, "keepData": false}]})"));

    r = RunCli("program show " + Q(file));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "1. spstHeating 150 keepData=1\n2. spstSustain 10 keepData=1\n3. spstFree 5 keepData=0\n");

    r = RunCli("--json program check " + Q(file));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["stepCount"], 3);
    EXPECT_EQ(json::parse(r.out)["valid"], true);
}

TEST(CliProgram, InvalidOrEmptyProgramsGiveTheMessageAndStatusOne) {
    TTempDir dir;
    const auto file = dir.Path() / "bad.prg";
    RCliResult r = RunCli("program new --step free:5 --step hold:1 --out " + Q(file));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Невозможно использовать шаг удержания температуры после свободного хода"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file));

    r = RunCli("program new --out " + Q(file));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Программа не содержит шагов"), std::string::npos);

    r = RunCli("program show " + Q(dir.Path() / "none.prg"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Невозможно загрузить файл - файл не найден."), std::string::npos);

    WriteFileBytes(file, "[STEP_0]\nstepType=2\nstepParam=-3\n");
    r = RunCli("program check " + Q(file));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("длительность шага не может быть отрицательной"), std::string::npos);

    WriteFileBytes(file, "[Other]\nx=1\n");
    r = RunCli("program check " + Q(file));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Программа не содержит шагов"), std::string::npos);
}

TEST(CliProgram, MalformedStepsAndMissingArgumentsAreUsageErrors) {
    TTempDir dir;
    const std::string out = " --out " + Q(dir.Path() / "x.prg");
    for (const char* step : {"cool:5", "heat", "heat:abc", "hold:1:maybe", "free:1:nokeep:x", "heat:1.5"})
        EXPECT_EQ(RunCli(std::string("program new --step ") + step + out).exitCode, 2) << step;
    EXPECT_EQ(RunCli("program new --step heat:100").exitCode, 2);
    EXPECT_EQ(RunCli("program show").exitCode, 2);
    EXPECT_EQ(RunCli("program").exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "x.prg"));
}

TEST(CliDevice, DescribesTheConfiguredInterfaceOrGivesItsRefusal) {
    TTempDir dir;
    const std::string data = "--data-dir " + ShellQuote(dir.Str());
    WriteFileBytes(dir.Path() / "Settings.ini", "");
    WriteFileBytes(dir.Path() / "Devices.ini",
                   "[DEFAULT_DEVICE]\nInterfaceType=EMU\nNumberOfHardwareChannels=1\n");
    RCliResult r = RunCli(data + " device --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(j["interfaceType"], "itEmul");
    const std::string description = j["description"];
    EXPECT_EQ(description.find(
                  "Тип интерфейса=EMULATION\rСерийный номер=\rДрайвер=not used not used not used not used\r"),
              0u);
    EXPECT_NE(description.find("Рабочих каналов=1\r"), std::string::npos);

    r = RunCli(data + " device");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.find("interfaceType: itEmul\nТип интерфейса=EMULATION\n"), 0u);

    WriteFileBytes(dir.Path() / "Devices.ini",
                   "[DEFAULT_DEVICE]\nInterfaceType=EMU\n[EMUL_CHANNEL0]\nCurveNoiseLevel=0\n");
    r = RunCli(data + " device --json");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("CurveNoiseLevel=0"), std::string::npos);
    EXPECT_TRUE(r.out.empty());

    WriteFileBytes(dir.Path() / "Devices.ini", "[DEFAULT_DEVICE]\nInterfaceType=USB_LA24\nfrequency=300\n");
    r = RunCli(data + " device");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Указана неверная частота опроса для данного типа интерфейса ( USB DMA 24bit)"),
              std::string::npos);

    WriteFileBytes(dir.Path() / "Devices.ini", "[DEFAULT_DEVICE]\nNumberOfHardwareChannels=0\n");
    r = RunCli(data + " device");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(
        r.err.find("Указано неверное количество рабочих каналов для данного типа интерфейса (EMULATION)"),
        std::string::npos);
}
