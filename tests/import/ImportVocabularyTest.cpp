// The words of foreign headers: names and units split and understood, unit factors, header
// fields (mass, rate, direction), and the single-byte encodings told apart.

#include <gtest/gtest.h>

#include "common/Cp1251.h"
#include "import/ColumnNames.h"
#include "import/HeaderFields.h"
#include "import/TextDecoding.h"

using namespace kalvero;
using namespace kalvero::foreign;

TEST(ImportVocabulary, HeaderCellsSplitIntoNameAndUnit) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"Time (min)", "Time", "min"},
        {"t [s]", "t", "s"},
        {"DSC/(mW/mg)", "DSC", "mW/mg"},
        {"Temp./°C", "Temp.", "°C"},
        {"Heat Flow [Wg^-1]", "Heat Flow", "Wg^-1"},
        {"Temperature in K", "Temperature", "K"},
        {"Время, мин", "Время", "мин"},
        {"Тепловой поток, мВт/мг", "Тепловой поток", "мВт/мг"},
        {"\"Heat Flow (Normalized) (W/g)\"", "Heat Flow (Normalized)", "W/g"},
        {"Heat Flow (Normalized)", "Heat Flow (Normalized)", ""},
        {"Purge (mL/min)", "Purge (mL/min)", ""},
        {"Sample [weird]", "Sample", "weird"},
        {"dT/dt", "dT/dt", ""},
        {"Segment", "Segment", ""},
    };
    for (const auto& [header, name, unit] : cases) {
        const TNameAndUnit split = SplitNameAndUnit(header);
        EXPECT_EQ(split.name, name) << header;
        EXPECT_EQ(split.unit, unit) << header;
    }
}

TEST(ImportVocabulary, UnitsConvertToTheCanonicalOnes) {
    EXPECT_DOUBLE_EQ(*SecondsPerUnit("min"), 60);
    EXPECT_DOUBLE_EQ(*SecondsPerUnit("мин."), 60);
    EXPECT_DOUBLE_EQ(*SecondsPerUnit("сек"), 1);
    EXPECT_DOUBLE_EQ(*SecondsPerUnit("h"), 3600);
    EXPECT_FALSE(SecondsPerUnit("°C"));
    EXPECT_DOUBLE_EQ(CelsiusScale("K")->offset, -273.15);
    EXPECT_DOUBLE_EQ(CelsiusScale("°С")->offset, 0);  // Cyrillic С
    EXPECT_DOUBLE_EQ(CelsiusScale("ºC")->factor, 1);  // ordinal sign for a degree
    const TLinearScale f = *CelsiusScale("°F");
    EXPECT_NEAR(212 * f.factor + f.offset, 100, 1e-12);
    struct TCase {
        const char* unit;
        TSignalQuantity quantity;
        const char* canonical;
        double factor;
    };
    for (const TCase& c : {TCase{"mW", sqHeatFlow, "mW", 1},
                           {"W", sqHeatFlow, "mW", 1000},
                           {"µW", sqHeatFlow, "mW", 0.001},
                           {"мкВт", sqHeatFlow, "mW", 0.001},
                           {"mW/mg", sqHeatFlowPerMass, "mW/mg", 1},
                           {"W g-1", sqHeatFlowPerMass, "W/g", 1},
                           {"W·g⁻¹", sqHeatFlowPerMass, "W/g", 1},
                           {"W/kg", sqHeatFlowPerMass, "W/g", 0.001},
                           {"K", sqDiffTemp, "K", 1},
                           {"°C", sqDiffTemp, "K", 1},
                           {"uV", sqVoltage, "µV", 1},
                           {"mV", sqVoltage, "µV", 1000},
                           {"μV/mg", sqVoltagePerMass, "µV/mg", 1}}) {  // the last with a Greek mu
        const auto u = SignalUnit(c.unit);
        ASSERT_TRUE(u) << c.unit;
        EXPECT_EQ(u->quantity, c.quantity) << c.unit;
        EXPECT_EQ(u->unit, c.canonical) << c.unit;
        EXPECT_DOUBLE_EQ(u->factor, c.factor) << c.unit;
    }
    EXPECT_FALSE(SignalUnit("cal/s"));
    EXPECT_DOUBLE_EQ(*MilligramsPerUnit("g"), 1000);
    EXPECT_DOUBLE_EQ(*MilligramsPerUnit("мг"), 1);
    EXPECT_DOUBLE_EQ(*KelvinPerMinutePerUnit("K/s"), 60);
    EXPECT_DOUBLE_EQ(*KelvinPerMinutePerUnit("K min^-1"), 1);
}

TEST(ImportVocabulary, ColumnRolesByNameThenByUnit) {
    bool byUnit = false;
    EXPECT_EQ(RoleOfColumn("t", "", byUnit), crTime);
    EXPECT_EQ(RoleOfColumn("T", "", byUnit), crTemperature);
    EXPECT_EQ(RoleOfColumn("Ts", "", byUnit), crTemperature);
    EXPECT_EQ(RoleOfColumn("Tr", "", byUnit), crRefTemperature);
    EXPECT_EQ(RoleOfColumn("Program Temperature", "", byUnit), crRefTemperature);
    EXPECT_EQ(RoleOfColumn("Температура", "", byUnit), crTemperature);
    EXPECT_EQ(RoleOfColumn("Zeit", "", byUnit), crTime);
    EXPECT_EQ(RoleOfColumn("Heat Flow (Normalized)", "", byUnit), crHeatFlow);
    EXPECT_EQ(RoleOfColumn("ТЕПЛОВОЙ ПОТОК", "", byUnit), crHeatFlow);
    EXPECT_EQ(RoleOfColumn("dT", "", byUnit), crDiffTemp);
    EXPECT_EQ(RoleOfColumn("DTA", "", byUnit), crDiffTemp);
    EXPECT_EQ(RoleOfColumn("Temperature difference", "", byUnit), crDiffTemp);
    EXPECT_EQ(RoleOfColumn("Seg.", "", byUnit), crSegment);
    EXPECT_EQ(RoleOfColumn("Index", "", byUnit), crIndex);
    EXPECT_FALSE(byUnit);
    EXPECT_EQ(RoleOfColumn("Column 7", "mW", byUnit), crSignal);
    EXPECT_TRUE(byUnit);
    EXPECT_EQ(RoleOfColumn("Column 7", "s", byUnit), crTime);
    EXPECT_EQ(RoleOfColumn("Purge", "mL/min", byUnit), crOther);
    EXPECT_FALSE(byUnit);
}

TEST(ImportVocabulary, HeaderFieldsAndTheirUnits) {
    TImportedRun run;
    EXPECT_TRUE(ApplyHeaderField("#SAMPLE MASS /mg", "5,12", run));
    EXPECT_DOUBLE_EQ(*run.mass, 5.12);
    TImportedRun grams;
    ApplyHeaderField("Sample weight", "0.0061 g", grams);
    EXPECT_DOUBLE_EQ(*grams.mass, 6.1);
    TImportedRun bare;
    ApplyHeaderField("Масса", "3", bare);
    EXPECT_DOUBLE_EQ(*bare.mass, 3);
    ASSERT_EQ(bare.warnings.size(), 1u);
    EXPECT_EQ(bare.warnings[0], "Масса образца в файле без единицы: принято 3.000 мг");
    EXPECT_FALSE(ApplyHeaderField("Purge gas", "nitrogen", bare));

    EXPECT_DOUBLE_EQ(*RateInText("Ramp 10.00 °C/min to 300.00 °C"), 10);
    EXPECT_DOUBLE_EQ(*RateInText("30°C/20.0(K/min)/200°C"), 20);
    EXPECT_DOUBLE_EQ(*RateInText("0,5 K/s"), 30);
    EXPECT_FALSE(RateInText("Isothermal 30 min at 200 °C"));

    EXPECT_EQ(EndoUpOfText("Exotherm Up"), false);
    EXPECT_EQ(EndoUpOfText("ENDO UP"), true);
    EXPECT_EQ(EndoUpOfText("Экзо вниз"), true);
    EXPECT_EQ(EndoUpOfText("Endotherm: down"), false);
    EXPECT_EQ(EndoUpOfText("Exposure 10 min"), std::nullopt);
    TImportedRun exo;
    ApplyHeaderField("#EXO", "1", exo);
    EXPECT_EQ(exo.endoUp, false);

    std::string_view rest;
    EXPECT_DOUBLE_EQ(*LeadingNumber("  -1,5e3 mg", &rest), -1500);
    EXPECT_EQ(rest, " mg");
    EXPECT_FALSE(LeadingNumber("mg 5"));
}

TEST(ImportVocabulary, SingleByteTextIsToldByItsWords) {
    EXPECT_TRUE(LooksLikeCp1251(Utf8ToCp1251("Температура образца; Тепловой поток, мВт")));
    EXPECT_FALSE(
        LooksLikeCp1251("Temperatur;W\xE4rmestrom;Gr\xF6\xDF"
                        "e;Zeit"));  // Latin-1 umlauts
    const TForeignText russian(Utf8ToCp1251("Масса: 5 мг\n"));
    EXPECT_EQ(russian.EncodingName(), "Windows-1251");
    EXPECT_EQ(russian.Text(), "Масса: 5 мг\n");
    const TForeignText utf8("Масса: 5 мг\n");
    EXPECT_EQ(utf8.EncodingName(), "UTF-8");
    EXPECT_FALSE(utf8.Converted());
    // UTF-16 without its byte-order mark: zero bytes in every other place.
    std::string unmarked;
    for (const char c : std::string("t;T;HF\n0;30;1\n1;31;2\n2;32;3\n"))
        unmarked += c, unmarked += '\0';
    const TForeignText utf16(unmarked);
    EXPECT_EQ(utf16.EncodingName(), "UTF-16LE");
    EXPECT_EQ(utf16.Text(), "t;T;HF\n0;30;1\n1;31;2\n2;32;3\n");
    EXPECT_EQ(utf16.Notes().size(), 1u);
}
