#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <random>

#include "calibration/DiffTempCalibration.h"
#include "calibration/HeatCalibration.h"
#include "calibration/TempCalibration.h"
#include "common/BinaryIO.h"
#include "common/Cp1251.h"
#include "common/FileUtil.h"
#include "support/FakeUiHooks.h"
#include "support/TestConfig.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

constexpr const char* LOAD_ERROR = "Невозможно загрузить калибровочную таблицу \"";

int32_t Int(const std::string& b, size_t aOffset) {
    int32_t v;
    std::memcpy(&v, b.data() + aOffset, 4);
    return v;
}
float Float(const std::string& b, size_t aOffset) {
    float v;
    std::memcpy(&v, b.data() + aOffset, 4);
    return v;
}
double Ext(const std::string& b, size_t aOffset) {
    return DecodeExtended(reinterpret_cast<const unsigned char*>(b.data() + aOffset));
}
std::string ShortStr(const std::string& b, size_t aOffset) {
    return Cp1251ToUtf8(b.substr(aOffset + 1, static_cast<unsigned char>(b[aOffset])));
}
void PutInt(std::string& b, size_t aOffset, int32_t v) {
    std::memcpy(b.data() + aOffset, &v, 4);
}

struct TableFile : ::testing::Test {
    TTestConfig config;
    TFakeUiScope ui;

    std::string Path(const std::string& aName) { return config->fCalibrationTablesPath + aName; }

    std::unique_ptr<TTempCalibrationTable> Temp() {
        auto t = std::make_unique<TTempCalibrationTable>(0, 10000);
        t->AddTempRefPoint(2000, 120.0f, "Индий");
        t->AddTempRefPoint(1000, 20.0f, "Галлий, чистый");
        t->SetName("Термопара ХА");
        t->Calc();
        return t;
    }
    std::unique_ptr<TDiffTempCalibrationTable> Diff() {
        auto t = std::make_unique<TDiffTempCalibrationTable>(0.0f, 600.0f);
        t->AddDiffTempRefPoint(100, 2.0f, 400, "Ga");
        t->AddDiffTempRefPoint(300, 2.5f, 200, "In");
        t->AddDiffTempRefPoint(450, 3.0f, 250, "Sn");
        t->SetInterpolationType(itPolynomial);
        t->SetName("dT");
        t->Calc();
        return t;
    }
    std::unique_ptr<THeatCalibrationTable> Heat() {
        auto t = std::make_unique<THeatCalibrationTable>(20.0f, 620.0f);
        t->AddHeatRefPoint(20, 0, 0, 0, 1e-7f, true, HEAT_START_MARGIN_LABEL);
        t->AddHeatRefPoint(157, 2000000, 10.0f, 28.45f, false, "Индий");
        t->AddHeatRefPoint(232, 1500000, 8.0f, 60.5f, false, "Олово");
        t->AddHeatRefPoint(619, 0, 0, 0, 4e-7f, true, HEAT_END_MARGIN_LABEL);
        t->SetInterpolationType(itPolynomial);
        t->SetUseMarginPoints(true);
        t->SetUseHeatTunePoint(true);
        t->SetTunePointArea(1000000);
        t->SetTunePointDh(28.45f);
        t->SetTunePointMass(5);
        t->SetTunePointTransTemp(157);
        t->SetName("Теплота");
        t->Calc();
        return t;
    }
};

}  // namespace

TEST_F(TableFile, EmptyTableIsTheHeaderAreaAndItsEntries) {
    TDiffTempCalibrationTable t(0.0f, 10.0f);
    t.SaveToFile(Path("e.tbl"));
    const std::string b = ReadFileBytes(Path("e.tbl"));
    ASSERT_EQ(b.size(), 1000u + 10 * 4);
    EXPECT_EQ(Int(b, 388), 1000);
    EXPECT_EQ(Int(b, 392), 0);
    EXPECT_EQ(Int(b, 396), 10);
    EXPECT_EQ(Float(b, 1000), 1.0f);
}

TEST_F(TableFile, HeaderAndHeatRecordLayout) {
    const auto t = Heat();
    t->SaveToFile(Path("h.tbl"));
    const std::string b = ReadFileBytes(Path("h.tbl"));
    ASSERT_EQ(b.size(), 1000u + 4 * 344 + 600 * 4);
    EXPECT_EQ(ShortStr(b, 0), "Temperature calibration datafile");
    EXPECT_EQ(ShortStr(b, 129), "Теплота");
    EXPECT_EQ(Int(b, 388), 1000 + 4 * 344);
    EXPECT_EQ(Int(b, 392), 4);
    EXPECT_EQ(Int(b, 396), 600);
    EXPECT_EQ(Int(b, 400), 0);  // rounded factors
    EXPECT_EQ(Int(b, 404), 0);
    EXPECT_EQ(Int(b, 408), 2);
    EXPECT_EQ(ShortStr(b, 412), "");
    EXPECT_EQ(ShortStr(b, 423), "2.0");
    EXPECT_EQ(Int(b, 432), 1);
    EXPECT_EQ(Int(b, 436), -20);
    EXPECT_EQ(Int(b, 440), 7777);
    EXPECT_EQ(Ext(b, 448), 1000000.0);
    EXPECT_FLOAT_EQ(static_cast<float>(Ext(b, 464)), 28.45f);
    EXPECT_EQ(Ext(b, 480), 5.0);
    EXPECT_EQ(Ext(b, 496), 157.0);
    EXPECT_EQ(Int(b, 508), 7777);
    // Second record (sorted): Indium at 157 degrees.
    const size_t r = 1000 + 344;
    EXPECT_EQ(Int(b, r), 2000000);
    EXPECT_FLOAT_EQ(static_cast<float>(Ext(b, r + 8)), 10.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(Ext(b, r + 24)), 28.45f);
    EXPECT_EQ(Ext(b, r + 40), 157.0);
    EXPECT_FLOAT_EQ(static_cast<float>(Ext(b, r + 56)), 1.4225e-7f);
    EXPECT_EQ(ShortStr(b, r + 66), "Индий");
    EXPECT_EQ(Float(b, 1000 + 4 * 344 + 4 * 137), t->GetItems()[137]);
}

TEST_F(TableFile, TemperatureAndDiffRecordLayout) {
    Temp()->SaveToFile(Path("t.tbl"));
    std::string b = ReadFileBytes(Path("t.tbl"));
    ASSERT_EQ(b.size(), 1000u + 2 * 264);
    EXPECT_EQ(Int(b, 408), 0);
    EXPECT_EQ(Int(b, 400), -80);
    EXPECT_EQ(Int(b, 404), 920);
    EXPECT_EQ(Int(b, 1000), 1000);
    EXPECT_EQ(Float(b, 1004), 20.0f);
    EXPECT_EQ(ShortStr(b, 1008), "Галлий, чистый");

    Diff()->SaveToFile(Path("d.tbl"));
    b = ReadFileBytes(Path("d.tbl"));
    ASSERT_EQ(b.size(), 1000u + 3 * 276 + 600 * 4);
    const size_t r = 1000 + 276;
    EXPECT_EQ(Float(b, r), 300.0f);
    EXPECT_EQ(Float(b, r + 8), 2.5f);
    EXPECT_EQ(Int(b, r + 12), 200);
    EXPECT_EQ(Float(b, r + 16), 2.5f / 200);
    EXPECT_EQ(ShortStr(b, r + 20), "In");
}

TEST_F(TableFile, EveryKindRoundTripsByteForByte) {
    Temp()->SaveToFile(Path("t.tbl"));
    Diff()->SaveToFile(Path("d.tbl"));
    Heat()->SaveToFile(Path("h.tbl"));

    TTempCalibrationTable t(0, 10000);
    t.LoadFromFile("t.tbl");
    t.Calc();
    t.SaveToFile(Path("t2.tbl"));
    EXPECT_EQ(ReadFileBytes(Path("t2.tbl")), ReadFileBytes(Path("t.tbl")));
    EXPECT_EQ(t.GetFileName(), Path("t.tbl"));
    EXPECT_EQ(t.GetName(), "Термопара ХА");
    EXPECT_EQ(t.GetVersion(), "2.0");
    EXPECT_EQ(t.GetRefPoints().GetItem(0).description, "Галлий, чистый");

    TDiffTempCalibrationTable d(0.0f, 600.0f);
    d.LoadFromFile("d.tbl");
    d.Calc();
    d.SaveToFile(Path("d2.tbl"));
    EXPECT_EQ(ReadFileBytes(Path("d2.tbl")), ReadFileBytes(Path("d.tbl")));
    EXPECT_EQ(d.GetInterpolationType(), itPolynomial);

    THeatCalibrationTable h(20.0f, 620.0f);
    h.LoadFromPath(Path("h.tbl"));
    EXPECT_TRUE(h.IsUseHeatTunePoint());
    EXPECT_TRUE(h.IsUseMarginPoints());
    EXPECT_EQ(h.GetTunePointArea(), 1000000);
    const TRefPoint margin = h.GetRefPoints().GetItem(0);
    EXPECT_EQ(margin.area, 0u);
    EXPECT_EQ(margin.description, HEAT_START_MARGIN_LABEL);
    EXPECT_FALSE(margin.virtualPoint);  // not stored
    h.Calc();
    h.SaveToFile(Path("h2.tbl"));
    EXPECT_EQ(ReadFileBytes(Path("h2.tbl")), ReadFileBytes(Path("h.tbl")));
}

TEST_F(TableFile, WrongKindIsRefusedButTheNameIsTaken) {
    Temp()->SaveToFile(Path("t.tbl"));
    TDiffTempCalibrationTable d(0.0f, 600.0f);
    try {
        d.LoadFromFile("t.tbl");
        FAIL();
    } catch (const ECalibrationException& e) {
        EXPECT_EQ(std::string(e.what()), std::string(LOAD_ERROR) +
                                             "t.tbl\". Ошибка: Incorrect table type in file t.tbl for table "
                                             "TDiffTempCalibrationTable");
    }
    EXPECT_EQ(d.GetName(), "Термопара ХА");
}

TEST_F(TableFile, FlagsOtherThan7777ReadAsFalse) {
    Heat()->SaveToFile(Path("h.tbl"));
    std::string b = ReadFileBytes(Path("h.tbl"));
    PutInt(b, 440, 1);
    PutInt(b, 508, 1);
    WriteFileBytes(Path("h.tbl"), b);
    THeatCalibrationTable h(20.0f, 620.0f);
    h.LoadFromFile("h.tbl");
    EXPECT_FALSE(h.IsUseHeatTunePoint());
    EXPECT_FALSE(h.IsUseMarginPoints());
}

TEST_F(TableFile, OldDiffTableIsAnnouncedAndLoadsNoPoints) {
    Diff()->SaveToFile(Path("d.tbl"));
    std::string b = ReadFileBytes(Path("d.tbl"));
    b.replace(423, 4,
              std::string("\x03"
                          "1.5",
                          4));
    WriteFileBytes(Path("d.tbl"), b);
    TDiffTempCalibrationTable d(0.0f, 600.0f);
    d.AddDiffTempRefPoint(1, 1, 1, "");
    d.LoadFromFile("d.tbl");
    EXPECT_EQ(d.GetRefPointsCount(), 0);
    EXPECT_EQ(d.GetVersion(), "1.5");
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0],
              "Внимание! Старые калибровочные таблицы для дифференциальной температуры более не "
              "поддерживаются.Необходимо создайть новую калибровочную таблицу для дифференциальной "
              "температуры!");
    // A temperature table does not look at the version.
    Temp()->SaveToFile(Path("t.tbl"));
    b = ReadFileBytes(Path("t.tbl"));
    b.replace(423, 4,
              std::string("\x03"
                          "1.0",
                          4));
    WriteFileBytes(Path("t.tbl"), b);
    TTempCalibrationTable t(0, 10000);
    t.LoadFromFile("t.tbl");
    EXPECT_EQ(t.GetRefPointsCount(), 2);
    EXPECT_EQ(ui->messages.size(), 1u);
}

TEST_F(TableFile, MissingFileAndPathInTheMessage) {
    TTempCalibrationTable t(0, 10000);
    try {
        t.LoadFromFile("nope.tbl");
        FAIL();
    } catch (const ECalibrationException& e) {
        const std::string what = e.what();
        EXPECT_EQ(what.rfind(std::string(LOAD_ERROR) + "nope.tbl\". Ошибка: ", 0), 0u) << what;
    }
}

TEST_F(TableFile, DamagedFilesGiveTheLoadErrorAndKeepThePoints) {
    Diff()->SaveToFile(Path("d.tbl"));
    const std::string good = ReadFileBytes(Path("d.tbl"));
    struct RCase {
        const char* what;
        std::string bytes;
    };
    std::vector<RCase> cases;
    cases.push_back({"header cut", good.substr(0, 300)});
    cases.push_back({"no records area", good.substr(0, 700)});
    cases.push_back({"record cut", good.substr(0, 1000 + 276 + 100)});
    std::string b = good;
    PutInt(b, 392, 1000000000);
    cases.push_back({"count beyond the file", b});
    b = good;
    PutInt(b, 392, -3);
    cases.push_back({"negative count", b});
    b = good;
    PutInt(b, 396, 100000);
    cases.push_back({"items beyond the file", b});
    b = good;
    PutInt(b, 388, -1);
    cases.push_back({"negative data offset", b});
    b = good;
    PutInt(b, 1000 + 276 + 12, -7);
    cases.push_back({"negative peak height", b});
    b = good;
    const float wild = 3e10f;
    std::memcpy(b.data() + 1000, &wild, 4);
    cases.push_back({"temperature beyond Int32", b});

    for (const RCase& c : cases) {
        WriteFileBytes(Path("bad.tbl"), c.bytes);
        TDiffTempCalibrationTable d(0.0f, 600.0f);
        d.AddDiffTempRefPoint(7, 1, 1, "kept");
        try {
            d.LoadFromFile("bad.tbl");
            ADD_FAILURE() << c.what;
        } catch (const ECalibrationException& e) {
            EXPECT_EQ(std::string(e.what()).rfind(std::string(LOAD_ERROR) + "bad.tbl\". Ошибка: ", 0), 0u)
                << c.what << ": " << e.what();
        }
        EXPECT_EQ(d.GetRefPointsCount(), 1) << c.what;
    }
}

TEST_F(TableFile, HeatRecordsThatCannotBeRead) {
    Heat()->SaveToFile(Path("h.tbl"));
    std::string b = ReadFileBytes(Path("h.tbl"));
    PutInt(b, 1000 + 344, -1);  // place
    WriteFileBytes(Path("h.tbl"), b);
    THeatCalibrationTable h(20.0f, 620.0f);
    try {
        h.LoadFromFile("h.tbl");
        FAIL();
    } catch (const ECalibrationException& e) {
        EXPECT_NE(std::string(e.what()).find("Range check error"), std::string::npos);
    }
}

TEST_F(TableFile, RandomDamageNeverCrashesOrHangs) {
    Heat()->SaveToFile(Path("h.tbl"));
    Diff()->SaveToFile(Path("d.tbl"));
    std::mt19937 rng(12345);
    const auto start = std::chrono::steady_clock::now();
    for (const char* name : {"h.tbl", "d.tbl"}) {
        const std::string good = ReadFileBytes(Path(name));
        for (int round = 0; round < 400; ++round) {
            std::string b = good;
            const int flips = 1 + static_cast<int>(rng() % 8);
            for (int k = 0; k < flips; ++k)
                b[rng() % std::min<size_t>(b.size(), 1000 + 4 * 344)] = static_cast<char>(rng());
            if (rng() % 4 == 0) b.resize(rng() % b.size());
            WriteFileBytes(Path("x.tbl"), b);
            std::unique_ptr<TCalibrationTable> t;
            if (name[0] == 'h')
                t = std::make_unique<THeatCalibrationTable>(20.0f, 620.0f);
            else
                t = std::make_unique<TDiffTempCalibrationTable>(0.0f, 600.0f);
            try {
                t->LoadFromFile("x.tbl");
                t->Calc();
            } catch (const std::exception&) {
            }
        }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

TEST_F(TableFile, SaveRefusesWhatCouldNotBeLoadedAndKeepsTheOldFile) {
    const auto d = Diff();
    d->SaveToFile(Path("d.tbl"));
    const std::string before = ReadFileBytes(Path("d.tbl"));
    TCustomCollection points = d->GetRefPoints();
    TRefPoint p = points.GetItem(0);
    p.peakHeight = 3000000000u;
    points.SetItem(0, p);
    d->SetRefPoints(points);
    EXPECT_THROW(d->SaveToFile(Path("d.tbl")), std::range_error);
    EXPECT_EQ(ReadFileBytes(Path("d.tbl")), before);
    EXPECT_THROW(Diff()->SaveToFile(Path("no/such/dir/d.tbl")), EFileError);
}
