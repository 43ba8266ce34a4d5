// Delimited text exports: columns found by their names, units read from the header and converted,
// separators and decimal separators found from the rows, the encodings told apart, and the
// "key: value" lines above the header read as the run's description.

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "common/Cp1251.h"
#include "import/ImportModel.h"
#include "import/ImportedRun.h"
#include "support/TempDir.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

TImportedRun Import(const std::string& aText, const TImportOptions& aOptions = {}) {
    return ImportForeignText(aText, aOptions, "run.csv");
}

// Comma-separated, time in minutes, the usual header.
std::string CommaCsv(const TModelRun& m) {
    return "Sample: PE film\nSample mass: 5.20 mg\nHeating rate: 10 K/min\nExotherm Up\n\n"
           "Time (min),Temperature (°C),Heat Flow (mW)\n" +
           Rows(m, [&](size_t i) {
               return Num(m.time[i] / 60, 7) + "," + Num(m.temperature[i], 5) + "," + Num(m.heatFlow[i], 7);
           });
}

}  // namespace

TEST(DelimitedImport, ReadsAModelRunWithItsUnitsAndDescription) {
    const TModelRun m = MakeModelRun();
    TTempDir dir;
    WriteFileBytes(dir.Path() / "run.csv", CommaCsv(m));
    const TImportedRun run = ImportForeignFile((dir.Path() / "run.csv").string());

    EXPECT_EQ(run.layout, "delimited");
    EXPECT_EQ(run.encoding, "UTF-8");
    EXPECT_EQ(run.separator, ',');
    EXPECT_EQ(run.decimalSeparator, '.');
    ASSERT_EQ(run.columns.size(), 3u);
    EXPECT_EQ(run.columns[0].name, "Time");
    EXPECT_EQ(run.columns[0].unit, "min");
    EXPECT_EQ(run.columns[1].unit, "°C");
    EXPECT_EQ(run.columns[2].name, "Heat Flow");
    EXPECT_EQ(run.timeColumn, 0);
    EXPECT_EQ(run.temperatureColumn, 1);
    EXPECT_EQ(run.signalColumn, 2);
    EXPECT_EQ(run.segmentColumn, -1);
    EXPECT_EQ(run.quantity, sqHeatFlow);
    EXPECT_EQ(run.signalUnit, "mW");
    EXPECT_EQ(run.sampleName, "PE film");
    ASSERT_TRUE(run.mass && run.heatingRate && run.endoUp);
    EXPECT_DOUBLE_EQ(*run.mass, 5.2);
    EXPECT_DOUBLE_EQ(*run.heatingRate, 10);
    EXPECT_FALSE(*run.endoUp);

    ASSERT_EQ(run.rowsRead, m.time.size());
    EXPECT_EQ(run.rowsSkipped, 0u);
    ASSERT_EQ(run.time.size(), m.time.size());
    EXPECT_TRUE(run.segment.empty());
    for (size_t i = 0; i < m.time.size(); ++i) {
        ASSERT_NEAR(run.time[i], m.time[i], 1e-4) << i;  // minutes written with 7 decimals
        ASSERT_NEAR(run.temperature[i], m.temperature[i], 1e-5) << i;
        ASSERT_NEAR(run.signal[i], m.heatFlow[i], 1e-7) << i;
    }
    EXPECT_NEAR(AreaAboveBase(m, run.time, run.temperature, run.signal), m.peakArea, 1e-3 * m.peakArea);
    ASSERT_EQ(run.firstRows.size(), 20u);
    EXPECT_EQ(run.firstRows[1], (std::vector<std::string>{Num(m.time[1] / 60, 7), Num(m.temperature[1], 5),
                                                          Num(m.heatFlow[1], 7)}));
    EXPECT_TRUE(run.warnings.empty()) << AllWarnings(run);
}

TEST(DelimitedImport, SemicolonsWithDecimalCommaInWindows1251) {
    const TModelRun m = MakeModelRun(300);
    const std::string utf8 =
        "Образец: Индий\nМасса образца, мг: 4,87\nСкорость нагрева: 10 К/мин\n"
        "Время, мин;Температура, °С;Тепловой поток, мВт\n" +
        Rows(
            m,
            [&](size_t i) {
                return Num(m.time[i] / 60, 7, ',') + ";" + Num(m.temperature[i], 5, ',') + ";" +
                       Num(m.heatFlow[i], 7, ',');
            },
            "\r\n");
    const TImportedRun run = Import(Utf8ToCp1251(utf8));
    EXPECT_EQ(run.encoding, "Windows-1251");
    EXPECT_TRUE(HasWarning(run, "Windows-1251"));
    EXPECT_EQ(run.separator, ';');
    EXPECT_EQ(run.decimalSeparator, ',');
    EXPECT_EQ(run.sampleName, "Индий");
    EXPECT_EQ(run.columns[1].name, "Температура");
    ASSERT_TRUE(run.mass && run.heatingRate);
    EXPECT_DOUBLE_EQ(*run.mass, 4.87);
    EXPECT_DOUBLE_EQ(*run.heatingRate, 10);
    ASSERT_EQ(run.rowsRead, m.time.size());
    EXPECT_NEAR(run.time[299], m.time[299], 1e-4);
    EXPECT_NEAR(run.temperature[150], m.temperature[150], 1e-5);
    EXPECT_NEAR(run.signal[200], m.heatFlow[200], 1e-7);
}

TEST(DelimitedImport, Latin1HeaderIsToldFromWindows1251) {
    const std::string text =
        "Zeit/s;Temperatur/K;W\xE4rmestrom/(mW/mg)\n"  // "Wärmestrom" in Latin-1
        "0;303,15;0,5\n1;303,3166;0,52\n2;303,4833;0,54\n";
    const TImportedRun run = Import(text);
    EXPECT_EQ(run.encoding, "Latin-1");
    EXPECT_EQ(run.columns[2].name, "Wärmestrom");
    EXPECT_EQ(run.quantity, sqHeatFlowPerMass);
    EXPECT_EQ(run.signalUnit, "mW/mg");
    ASSERT_EQ(run.rowsRead, 3u);
    EXPECT_NEAR(run.temperature[0], 30, 1e-9);  // K → °C
    EXPECT_NEAR(run.temperature[2], 30.3333, 1e-9);
    EXPECT_DOUBLE_EQ(run.signal[1], 0.52);
}

TEST(DelimitedImport, Utf16WithEitherByteOrderAndUtf8WithMark) {
    const TModelRun m = MakeModelRun(50);
    const std::string text =
        "t [s]\tTs [°C]\tDSC [µW]\n" + Rows(m, [&](size_t i) {
            return Num(m.time[i], 1) + "\t" + Num(m.temperature[i], 4) + "\t" + Num(m.heatFlow[i] * 1000, 3);
        });
    for (const auto& [bytes, encoding] :
         {std::pair{ToUtf16(text, false), "UTF-16LE"}, std::pair{ToUtf16(text, true), "UTF-16BE"},
          std::pair{"\xEF\xBB\xBF" + text, "UTF-8"}}) {
        const TImportedRun run = Import(bytes);
        EXPECT_EQ(run.encoding, encoding);
        EXPECT_EQ(run.separator, '\t');
        EXPECT_EQ(run.columns[2].unit, "µW");
        EXPECT_EQ(run.signalUnit, "mW");
        ASSERT_EQ(run.rowsRead, m.time.size()) << encoding;
        EXPECT_NEAR(run.signal[25], m.heatFlow[25], 1e-6) << encoding;  // µW → mW
        EXPECT_NEAR(run.temperature[49], m.temperature[49], 1e-4) << encoding;
    }
}

TEST(DelimitedImport, BlankSeparatedWithUnitsOnALineOfTheirOwn) {
    const TModelRun m = MakeModelRun(100, 6);
    const std::string text =
        "Time   Temperature   Heat Flow\n  min      K            W\n" + Rows(m, [&](size_t i) {
            return "  " + Num(m.time[i] / 60, 4) + "   " + Num(m.temperature[i] + 273.15, 4) + "   " +
                   Num(m.heatFlow[i] / 1000, 9);
        });
    const TImportedRun run = Import(text);
    EXPECT_EQ(run.separator, ' ');
    ASSERT_EQ(run.columns.size(), 3u);
    EXPECT_EQ(run.columns[2].name, "Heat Flow");
    EXPECT_EQ(run.columns[2].unit, "W");
    ASSERT_EQ(run.rowsRead, m.time.size());
    for (size_t i = 0; i < m.time.size(); i += 7) {
        EXPECT_NEAR(run.time[i], m.time[i], 1e-9);
        EXPECT_NEAR(run.temperature[i], m.temperature[i], 1e-4);
        EXPECT_NEAR(run.signal[i], m.heatFlow[i], 1e-6);  // W → mW
    }
}

TEST(DelimitedImport, PerMassUnitsAreNamedAsTheFileSaysOrConverted) {
    const auto read = [](const std::string& aUnit) {
        return Import("Time/s,Temperature/°C,Heat Flow " + aUnit + "\n0,30,1.5\n1,30.2,1.25\n");
    };
    const TImportedRun wg = read("[Wg^-1]");
    EXPECT_EQ(wg.quantity, sqHeatFlowPerMass);
    EXPECT_EQ(wg.signalUnit, "W/g");
    EXPECT_DOUBLE_EQ(wg.signal[0], 1.5);
    const TImportedRun wkg = read("(W/kg)");
    EXPECT_EQ(wkg.signalUnit, "W/g");
    EXPECT_DOUBLE_EQ(wkg.signal[1], 0.00125);
    const TImportedRun uv = read("(mV)");
    EXPECT_EQ(uv.quantity, sqVoltage);
    EXPECT_EQ(uv.signalUnit, "µV");
    EXPECT_DOUBLE_EQ(uv.signal[0], 1500);
    const TImportedRun dt = Import("Time/s,T/°C,dT/K\n0,30,0.01\n1,30.2,0.02\n");
    EXPECT_EQ(dt.quantity, sqDiffTemp);
    EXPECT_EQ(dt.signalUnit, "K");
}

TEST(DelimitedImport, CommentedDescriptionAndADecorationAboveTheRows) {
    const TImportedRun run = Import(
        "# Sample: Tin 5N\n# Mass: 10.5 mg\n# Exo: up\nTime [s];Temperature [°C];Heat Flow [mW]\n--------\n"
        "0;30;0.1\n1;30.2;0.1\n2;30.4;0.12\n");
    EXPECT_EQ(run.layout, "delimited");
    EXPECT_EQ(run.sampleName, "Tin 5N");
    EXPECT_DOUBLE_EQ(*run.mass, 10.5);
    EXPECT_FALSE(*run.endoUp);
    ASSERT_EQ(run.columns.size(), 3u);
    EXPECT_EQ(run.columns[1].name, "Temperature");
    EXPECT_EQ(run.rowsRead, 3u);
    EXPECT_DOUBLE_EQ(run.signal[2], 0.12);
}

TEST(DelimitedImport, QuotedNamesAndNumbers) {
    const TImportedRun run = Import(
        "\"Time, s\",\"Temperature, °C\",\"Heat Flow, mW\"\n\"0\",\"30.0\",\"0.5\"\n\"1\",\"30.2\",\"0.52\"\n"
        "2,\"30.4\",+0.54\n");
    ASSERT_EQ(run.columns.size(), 3u);
    EXPECT_EQ(run.columns[1].name, "Temperature");
    EXPECT_EQ(run.columns[1].unit, "°C");
    ASSERT_EQ(run.rowsRead, 3u);
    EXPECT_DOUBLE_EQ(run.temperature[1], 30.2);
    EXPECT_DOUBLE_EQ(run.signal[2], 0.54);
    EXPECT_EQ(run.firstRows[0][1], "30.0");  // shown without its quotes
}

TEST(DelimitedImport, AssumptionsAreWarnings) {
    // No units, whole numbers only, two candidate signals: each is said.
    const TImportedRun run = Import("Time;Temp;DSC;DTA\n0;30;1;5\n1;40;2;6\n2;50;3;7\n");
    EXPECT_TRUE(HasWarning(run, "Десятичный разделитель")) << AllWarnings(run);
    EXPECT_TRUE(HasWarning(run, "Сигналом взят столбец «DSC»; есть также «DTA»"));
    EXPECT_TRUE(HasWarning(run, "Единица сигнала «DSC» не указана: принято mW"));
    EXPECT_TRUE(HasWarning(run, "Единица температуры не указана: принято °C"));
    EXPECT_TRUE(HasWarning(run, "Направление эндотермических эффектов"));
    // 10 K per unit of time: minutes.
    EXPECT_TRUE(HasWarning(run, "Единица времени в файле не указана: принято «мин»"));
    EXPECT_DOUBLE_EQ(run.time[2], 120);
}

TEST(DelimitedImport, TimeUnitFollowsTheHeatingRateOfTheHeader) {
    // 10 K/min in the header and 1/6 K per unit of time: seconds.
    const TImportedRun run = Import("Rate: 10 K/min\nTime;Temp/°C;HF/mW\n0;30;1\n6;31;1\n12;32;1\n");
    EXPECT_TRUE(HasWarning(run, "принято «с»"));
    EXPECT_DOUBLE_EQ(run.time[2], 12);
}

TEST(DelimitedImport, TimeIsMadeFromTemperatureAndRateWhenThereIsNoTimeColumn) {
    const TModelRun m = MakeModelRun(200);
    const std::string text =
        "Heating rate = 10 K/min\nTemperature [°C];Heat flow [mW]\n" +
        Rows(m, [&](size_t i) { return Num(m.temperature[i], 6) + ";" + Num(m.heatFlow[i]); });
    const TImportedRun run = Import(text);
    EXPECT_EQ(run.timeColumn, -1);
    EXPECT_TRUE(HasWarning(run, "время вычислено по температуре при скорости 10.00 K/мин"));
    ASSERT_EQ(run.rowsRead, m.time.size());
    for (size_t i = 0; i < m.time.size(); i += 11)
        EXPECT_NEAR(run.time[i], m.time[i], 1e-3);
    EXPECT_THROW(Import("Temperature [°C];Heat flow [mW]\n30;1\n31;2\n"), EImportError);
}

TEST(DelimitedImport, OptionsOverrideTheFileAndChooseTheSignal) {
    const std::string text = "Mass: 3 mg\nExotherm Down\nTime/s;T/°C;DSC/mW;DTA/uV\n0;30;1;100\n1;31;2;200\n";
    TImportOptions options;
    options.mass = 7.5;
    options.endoUp = false;
    options.signalColumn = "dta";
    const TImportedRun byName = Import(text, options);
    EXPECT_DOUBLE_EQ(*byName.mass, 7.5);
    EXPECT_FALSE(*byName.endoUp);
    EXPECT_EQ(byName.signalColumn, 3);
    EXPECT_EQ(byName.quantity, sqVoltage);
    EXPECT_DOUBLE_EQ(byName.signal[1], 200);
    options.signalColumn = "3";
    EXPECT_EQ(Import(text, options).signalColumn, 2);
    const TImportedRun plain = Import(text);
    EXPECT_DOUBLE_EQ(*plain.mass, 3);
    EXPECT_TRUE(*plain.endoUp);  // exothermic effects point down
    options.signalColumn = "Wärmestrom";
    try {
        Import(text, options);
        FAIL() << "a missing column was taken";
    } catch (const EImportError& e) {
        EXPECT_STREQ(e.what(), "В файле run.csv нет столбца «Wärmestrom»");
    }
}

TEST(DelimitedImport, FilesWithoutWhatIsNeededAreRefusedSayingWhat) {
    const auto message = [](const std::string& aText) -> std::string {
        try {
            Import(aText);
        } catch (const EImportError& e) {
            return e.what();
        }
        return "imported";
    };
    EXPECT_EQ(message("Time/s;HF/mW\n0;1\n1;2\n"), "В файле run.csv не найден столбец температуры");
    EXPECT_EQ(message("Time/s;T/°C;Index\n0;1;1\n1;2;2\n"),
              "В файле run.csv не найден столбец сигнала (теплового потока, dT или DTA)");
    EXPECT_EQ(message("Just words\nand more words\n"), "В файле run.csv нет строк с числами");
    EXPECT_EQ(message(" \r\n\n"), "Файл run.csv пуст");
    // The program's own experiment file: a length byte 30 and the title in Windows-1251.
    EXPECT_EQ(message("\x1E" + Utf8ToCp1251("Файл данных ДСК | DSC datafile") + std::string(100, '\0')),
              "Файл run.csv — файл эксперимента этой программы: его не импортируют, а открывают");
    EXPECT_THROW(ImportForeignFile("/nonexistent/run.csv"), EImportError);
}

TEST(DelimitedImport, EveryNumberIsTheCorrectlyRoundedDoubleOfItsText) {
    // Decimals of 1 to 17 digits with the point anywhere, some with exponents: each must read
    // back as strtod (correctly rounded in the C library) reads it, to the last bit.
    std::mt19937_64 random(7);
    std::string text = "t/s;T/°C;HF/mW\n";
    std::vector<std::string> cells;
    for (int i = 0; i < 20000; ++i) {
        const int digits = 1 + static_cast<int>(random() % 17);
        std::string cell = random() % 2 ? "-" : "";
        std::string number;
        for (int d = 0; d < digits; ++d)
            number += static_cast<char>('0' + random() % 10);
        number.insert(random() % (number.size() + 1), ".");
        if (number == ".") number = "0";
        cell +=
            number + (random() % 8 == 0 ? "e" + std::to_string(static_cast<int>(random() % 40) - 20) : "");
        cells.push_back(cell);
        text += std::to_string(i) + ";" + cell + ";" + cell + "\n";
    }
    const TImportedRun run = Import(text);
    ASSERT_EQ(run.rowsRead, cells.size());
    for (size_t i = 0; i < cells.size(); ++i) {
        const double expected = std::strtod(cells[i].c_str(), nullptr);
        ASSERT_EQ(std::memcmp(&run.signal[i], &expected, sizeof expected), 0) << cells[i];
    }
}

TEST(DelimitedImport, LooksLikeForeignDataOnlyForTextWithNumbers) {
    EXPECT_TRUE(LooksLikeForeignData("Time,Temp,HF\n0,30,1\n1,31,2\n"));
    EXPECT_TRUE(LooksLikeForeignData("#FORMAT:x\n#SAMPLE:y\n##Temp./°C;Time/min;DSC/(mW/mg)\n"));
    EXPECT_TRUE(LooksLikeForeignData(ToUtf16("a;b;c\n1;2;3\n4;5;6\n", false)));
    EXPECT_FALSE(
        LooksLikeForeignData("\x1E" + Utf8ToCp1251("Файл данных ДСК | DSC datafile") + "\x01\x00\x00"));
    EXPECT_FALSE(
        LooksLikeForeignData(std::string("\x7F"
                                         "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0",
                                         20)));
    EXPECT_FALSE(LooksLikeForeignData("just a letter, no numbers\n"));
    EXPECT_FALSE(LooksLikeForeignData(""));
}
