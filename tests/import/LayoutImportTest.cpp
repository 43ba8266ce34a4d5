// The key/value, two-line and "#KEY:" layouts, each with a model run of known answer: the
// layout detected from the content, the columns found, the header read and the samples equal to
// what was written (units converted).

#include <gtest/gtest.h>

#include "import/ImportModel.h"
#include "import/ImportedRun.h"
#include "support/TempDir.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

constexpr double kMass = 9.0;  // mg

std::string KeyValueFile(const TModelRun& m) {
    return "Filename\tC:\\runs\\film-07.txt\n"
           "Operator\tA. Petrova\n"
           "Run Date\t2024-03-15T10:22:00\n"
           "Instrument\tCalorimeter cell 2\n"
           "Sample\tPE film\n"
           "Size\t9.0 mg\n"
           "Comment\tsecond heating\n"
           "Exotherm Up\n"
           "OrgMethod1\tEquilibrate at 30.00 °C\n"
           "OrgMethod2\tRamp 10.00 °C/min to 230.00 °C\n"
           "Sig1\tTime (min)\n"
           "Sig2\tTemperature (°C)\n"
           "Sig3\tHeat Flow (W/g)\n"
           "Sig4\tPurge (mL/min)\n"
           "StartOfData\n" +
           Rows(m, [&](size_t i) {
               return Num(m.time[i] / 60, 8) + "\t" + Num(m.temperature[i], 5) + "\t" +
                      Num(m.heatFlow[i] / kMass, 9) + "\t50.0";
           });
}

}  // namespace

TEST(LayoutImport, KeyValueHeaderEndingAtStartOfData) {
    const TModelRun m = MakeModelRun();
    TTempDir dir;
    // The extension says nothing: the content decides.
    WriteFileBytes(dir.Path() / "export.csv", KeyValueFile(m));
    const TImportedRun run = ImportForeignFile((dir.Path() / "export.csv").string());
    EXPECT_EQ(run.layout, "keyvalue");
    EXPECT_EQ(run.sampleName, "PE film");
    EXPECT_EQ(run.operatorName, "A. Petrova");
    EXPECT_EQ(run.instrument, "Calorimeter cell 2");
    EXPECT_EQ(run.dateText, "2024-03-15T10:22:00");
    EXPECT_EQ(run.comment, "second heating");
    ASSERT_TRUE(run.mass && run.heatingRate && run.endoUp);
    EXPECT_DOUBLE_EQ(*run.mass, kMass);
    EXPECT_DOUBLE_EQ(*run.heatingRate, 10);
    EXPECT_FALSE(*run.endoUp);  // "Exotherm Up"
    ASSERT_EQ(run.columns.size(), 4u);
    EXPECT_EQ(run.columns[3].name, "Purge (mL/min)");
    EXPECT_EQ(run.columns[2].unit, "W/g");
    EXPECT_EQ(run.separator, '\t');
    EXPECT_EQ(run.quantity, sqHeatFlowPerMass);
    EXPECT_EQ(run.signalUnit, "W/g");
    ASSERT_EQ(run.rowsRead, m.time.size());
    for (size_t i = 0; i < m.time.size(); i += 13) {
        EXPECT_NEAR(run.time[i], m.time[i], 1e-5);
        EXPECT_NEAR(run.signal[i] * kMass, m.heatFlow[i], 1e-7);
    }
    EXPECT_NEAR(AreaAboveBase(m, run.time, run.temperature, run.signal, kMass), m.peakArea,
                1e-3 * m.peakArea);
    EXPECT_TRUE(run.warnings.empty()) << AllWarnings(run);
}

TEST(LayoutImport, KeyValueWithoutStartOfDataRowsIsRefused) {
    EXPECT_THROW(ImportForeignText("Sample\tx\nSig1\tTime (min)\nStartOfData\n", {}, "a.txt"), EImportError);
}

TEST(LayoutImport, TwoHeaderLinesAndAFooter) {
    const TModelRun m = MakeModelRun(900);
    std::string text =
        "Sample: Indium 99.99\nMass: 6.12 mg\nRate: 10.0 K/min\nExo: down\n\n"
        "Index  t  Ts  Tr  Value\n"
        "[s]  [°C]  [°C]  [mW]\n";
    text += Rows(m, [&](size_t i) {
        return std::to_string(i + 1) + "  " + Num(m.time[i], 1) + "  " + Num(m.temperature[i], 5) + "  " +
               Num(m.temperature[i] + 0.7, 5) + "  " + Num(m.heatFlow[i], 7);
    });
    text += "!& end of data\n1 2 3 4 5\n!& checksum 0x1F\n";
    const TImportedRun run = ImportForeignText(text, {}, "indium.txt");
    EXPECT_EQ(run.layout, "twoline");
    ASSERT_EQ(run.columns.size(), 5u);
    EXPECT_EQ(run.columns[0].name, "Index");
    EXPECT_EQ(run.columns[0].unit, "");
    EXPECT_EQ(run.columns[1].unit, "s");
    EXPECT_EQ(run.columns[4].unit, "mW");
    EXPECT_EQ(run.timeColumn, 1);
    EXPECT_EQ(run.temperatureColumn, 2);  // the sample's, not the reference's
    EXPECT_EQ(run.signalColumn, 4);
    EXPECT_EQ(run.sampleName, "Indium 99.99");
    EXPECT_DOUBLE_EQ(*run.mass, 6.12);
    EXPECT_DOUBLE_EQ(*run.heatingRate, 10);
    EXPECT_TRUE(*run.endoUp);                // "Exo: down"
    ASSERT_EQ(run.rowsRead, m.time.size());  // the footer is not data
    EXPECT_EQ(run.rowsSkipped, 0u);
    EXPECT_NEAR(run.temperature[899], m.temperature[899], 1e-5);
    EXPECT_NEAR(AreaAboveBase(m, run.time, run.temperature, run.signal), m.peakArea, 2e-3 * m.peakArea);
    EXPECT_TRUE(run.warnings.empty()) << AllWarnings(run);
}

TEST(LayoutImport, HashKeyHeaderWithSegmentsAndDecimalComma) {
    const TModelRun m = MakeModelRun(1200);
    // Heating to the peak's end, then cooling at the same rate: the segment column tells them apart.
    std::string text =
        "#FORMAT:TEXT EXPORT 2\n#IDENTITY:Run 42\n#SAMPLE:Polyamide 6\n#SAMPLE MASS /mg:5,12\n#EXO:-1\n"
        "#DECIMAL:COMMA\n#SEPARATOR:;\n#INSTRUMENT:Cell 3\n#DATE/TIME:15.03.2024 10:22\n"
        "#SEG. 1:30°C/10.0(K/min)/130°C\n#SEG. 2:130°C/10.0(K/min)/30°C\n#RANGE:30°C/10.0(K/min)/130°C\n"
        "##Temp./°C;Time/min;DSC/(mW/mg);Segment\n";
    for (size_t i = 0; i < m.time.size(); ++i) {
        const bool heating = m.time[i] < 600;
        const double temp = heating ? m.temperature[i] : 130 - (m.time[i] - 600) / 6;
        text += Num(temp, 4, ',') + ";" + Num(m.time[i] / 60, 8, ',') + ";" +
                Num(m.heatFlow[i] / 5.12, 8, ',') + ";" + (heating ? "1" : "2") + "\n";
    }
    const TImportedRun run = ImportForeignText(text, {}, "pa6.txt");
    EXPECT_EQ(run.layout, "hashkey");
    EXPECT_EQ(run.sampleName, "Polyamide 6");
    EXPECT_EQ(run.instrument, "Cell 3");
    EXPECT_EQ(run.dateText, "15.03.2024 10:22");
    ASSERT_TRUE(run.mass && run.heatingRate && run.endoUp);
    EXPECT_DOUBLE_EQ(*run.mass, 5.12);
    EXPECT_DOUBLE_EQ(*run.heatingRate, 10);
    EXPECT_TRUE(*run.endoUp);  // #EXO:-1: exothermic effects point down
    EXPECT_EQ(run.declaredSegments,
              (std::vector<std::string>{"30°C/10.0(K/min)/130°C", "130°C/10.0(K/min)/30°C"}));
    EXPECT_EQ(run.separator, ';');
    EXPECT_EQ(run.decimalSeparator, ',');
    EXPECT_EQ(run.temperatureColumn, 0);
    EXPECT_EQ(run.timeColumn, 1);
    EXPECT_EQ(run.segmentColumn, 3);
    EXPECT_EQ(run.signalUnit, "mW/mg");
    ASSERT_EQ(run.rowsRead, 1200u);
    ASSERT_EQ(run.segment.size(), 1200u);
    EXPECT_EQ(run.segment[1199], 2);
    EXPECT_EQ(std::count(run.segment.begin(), run.segment.end(), 1), 600);
    EXPECT_NEAR(run.time[1199], 1199, 1e-5);
    EXPECT_NEAR(run.temperature[1199], 130 - 599.0 / 6, 1e-4);
    EXPECT_NEAR(run.temperature[300], m.temperature[300], 1e-4);
    EXPECT_NEAR(run.signal[300] * 5.12, m.heatFlow[300], 1e-6);
    EXPECT_TRUE(run.warnings.empty()) << AllWarnings(run);
}

TEST(LayoutImport, HashKeyRowsWithAnotherSeparatorThanDeclared) {
    const TImportedRun run = ImportForeignText(
        "#SAMPLE:x\n#SEPARATOR:;\n##Temp./°C\tTime/min\tDSC/(mW/mg)\n30\t0\t0.1\n31\t0.1\t0.2\n", {},
        "tabs.txt");
    EXPECT_EQ(run.layout, "hashkey");
    EXPECT_EQ(run.separator, '\t');
    EXPECT_EQ(run.warnings.front(),
              "Разделители в строках не те, что указаны в заголовке: взяты найденные по строкам");
    ASSERT_EQ(run.rowsRead, 2u);
    EXPECT_DOUBLE_EQ(run.time[1], 6);
}

TEST(LayoutImport, TwoLineWithSemicolons) {
    const TImportedRun run =
        ImportForeignText("t;Ts;Value\n[min];[K];[W]\n0;303.15;0.001\n0.5;308.15;0.002\n", {}, "semi.txt");
    EXPECT_EQ(run.layout, "twoline");
    ASSERT_EQ(run.columns.size(), 3u);
    EXPECT_EQ(run.columns[1].name, "Ts");
    EXPECT_EQ(run.columns[1].unit, "K");
    ASSERT_EQ(run.rowsRead, 2u);
    EXPECT_DOUBLE_EQ(run.time[1], 30);
    EXPECT_NEAR(run.temperature[1], 35, 1e-9);
    EXPECT_DOUBLE_EQ(run.signal[1], 2);
}
