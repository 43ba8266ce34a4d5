#include <gtest/gtest.h>

#include "common/Config.h"
#include "common/Cp1251.h"
#include "common/IniFile.h"
#include "support/FakeUiHooks.h"
#include "support/TempDir.h"

using namespace kalvero;
using kalvero::test::ReadFileBytes;
using kalvero::test::TFakeUiScope;
using kalvero::test::TTempDir;
using kalvero::test::WriteFileBytes;

namespace {

// A program-data folder holding the two settings files with the given texts (UTF-8 here,
// written as Windows-1251 like an installation keeps them).
class ConfigTest : public ::testing::Test {
protected:
    TTempDir dir;
    std::string data = dir.Str() + "data/";

    void Write(const std::string& aSettings, const std::string& aDevices) {
        std::filesystem::create_directories(data);
        WriteFileBytes(data + "Settings.ini", Utf8ToCp1251(aSettings));
        WriteFileBytes(data + "Devices.ini", Utf8ToCp1251(aDevices));
    }
    std::unique_ptr<TAppConfig> Load() {
        auto config = std::make_unique<TAppConfig>(dir.Str() + "app", data);
        config->LoadSettings();
        return config;
    }
};

}  // namespace

TEST_F(ConfigTest, EmptyFilesGiveTheDefaults) {
    Write("", "");
    const auto c = Load();
    EXPECT_EQ(c->interfaceType, itEmul);
    EXPECT_EQ(c->diffTempCalibrationTableType, cttDiffTemperature);
    EXPECT_EQ(c->heatSpeedList, (std::vector<double>{1, 2, 5, 10, 20, 50}));
    EXPECT_EQ(c->fileVersion, "1.0");
    EXPECT_EQ(c->smoothDotCount, 32);
    EXPECT_EQ(c->tempChannelUnitsName, "°С");
    EXPECT_EQ(c->applicationName, " ");
    EXPECT_EQ(c->usbGetDataMode, ADC_DATA_MODE_CONVERT2INT16);
    EXPECT_EQ(c->display.backGroundColor, 0xFF000000u);
    EXPECT_EQ(c->display.tempCurveColor, 0x000080u);
    EXPECT_EQ(c->appCheckUpdateDate, EncodeDateTime(2000, 1, 1));
    EXPECT_EQ(c->tMaxValue, 4095);
    EXPECT_EQ(c->workFileOpenFilter, "файл ДСК (*.dsc)|*.dsc");
    EXPECT_GE(c->systemSpeed, 1000);
    EXPECT_EQ(c->fApplicationTypeName, "app");
    EXPECT_EQ(c->fCalibrationTablesPath, data + "calibration/");
}

TEST_F(ConfigTest, ShippedDefaultFilesGiveTheSameDefaults) {
    TAppConfig fresh(dir.Str() + "app", data);  // a first start creates the folder
    fresh.LoadSettings();
    Write("", "");
    const auto empty = Load();
    EXPECT_EQ(fresh.workFileLabel, empty->workFileLabel);
    EXPECT_EQ(fresh.diffChannelName, empty->diffChannelName);
    EXPECT_EQ(fresh.heatSpeedList, empty->heatSpeedList);
    EXPECT_EQ(fresh.display.captionFontName, empty->display.captionFontName);
    // The shipped device settings name the program (the caption of its main window).
    EXPECT_EQ(fresh.applicationName, "Система ДСК");
    EXPECT_TRUE(std::filesystem::is_directory(data + "calibration"));
}

// A first start's settings are those of the simulated 24-bit instrument: degrees through the
// shipped table of its sensor, its count windows, detection limits in its counts.
TEST_F(ConfigTest, ShippedSettingsFitTheSimulatedTwentyFourBitInstrument) {
    TAppConfig fresh(dir.Str() + "app", data);
    fresh.LoadSettings();
    EXPECT_EQ(fresh.interfaceType, itEmul);
    EXPECT_EQ(fresh.tempScale, 1);
    EXPECT_EQ(fresh.tempCalibrationTable, "SimulatedCell.tbl");
    EXPECT_TRUE(std::filesystem::exists(data + "calibration/SimulatedCell.tbl"));
    EXPECT_TRUE(std::filesystem::exists(data + "calibration/SimulatedCell12.tbl"));
    EXPECT_EQ(fresh.tMinADCValue, 0);
    EXPECT_EQ(fresh.tMaxADCValue, 8388607);
    EXPECT_EQ(fresh.dTMinADCValue, -8388608);
    EXPECT_EQ(fresh.dTMaxADCValue, 8388607);
    EXPECT_LT(fresh.dTMinValue, 0);
    EXPECT_GT(fresh.dTMaxValue, 0);
    EXPECT_EQ(fresh.detectBaseLineLimit, 15);
    EXPECT_EQ(fresh.detectPeakHighLimit, 1000);
    EXPECT_EQ(fresh.detectPeakLowLimit, 100);
}

TEST_F(ConfigTest, MissingFilesInAnExistingFolderStopTheStart) {
    std::filesystem::create_directories(data);
    WriteFileBytes(data + "Settings.ini", "");
    try {
        TAppConfig c(dir.Str() + "app", data);
        FAIL() << "no error";
    } catch (const EConfigException& e) {
        EXPECT_EQ(
            std::string(e.what()),
            "В папке " + data + " не найдены файлы с настройками программы. Работа прогаммы невозможна.");
    }
}

TEST_F(ConfigTest, SectionsKeysAndFileNamesIgnoreCase) {
    std::filesystem::create_directories(data);
    WriteFileBytes(data + "settings.INI", "[applicationparameters]\nSMOOTHDOTCOUNT=7\n");
    WriteFileBytes(data + "DEVICES.ini", "[default_device]\ninterfacetype=usb_la24_uni\nheatspeed=2,5\n");
    const auto c = Load();
    EXPECT_EQ(c->smoothDotCount, 7);
    EXPECT_EQ(c->interfaceType, itLAi24USB_Uni);
    EXPECT_FLOAT_EQ(c->heatSpeed, 2.5f);
}

TEST_F(ConfigTest, ValuesAreClippedOrRefusedAsTheirFieldsNeed) {
    Write("[ApplicationParameters]\nBezieSmoothPower=80\nlogLevel=258\n",
          "[DEFAULT_DEVICE]\ndeviceControlType=2\nheatSpeedList=1,2.5,x,7\nTMinValue=abc\n");
    auto c = Load();
    EXPECT_EQ(c->bezieSmoothPower, 50);
    EXPECT_EQ(c->logLevel, llInfo);  // only the low byte of 258 counts
    EXPECT_EQ(c->deviceControlType, dctNone);
    EXPECT_EQ(c->heatSpeedList, (std::vector<double>{1, 2.5, 0}));
    EXPECT_EQ(c->tMinValue, 0);  // an integer that does not convert reads as its default

    Write("[ApplicationParameters]\nsmoothStep=70000\n", "");
    EXPECT_THROW(Load(), EConfigException);
    Write("", "[DEFAULT_DEVICE]\nscanDeadZone=-1\n");
    EXPECT_THROW(Load(), EConfigException);
    Write("[Display]\ndisplayScheme=Mine\n[Mine]\naxesColor=red\n", "");
    EXPECT_THROW(Load(), EConfigException);
}

TEST_F(ConfigTest, UnknownWordsOfInterfaceAndDataMode) {
    Write("", "[DEFAULT_DEVICE]\nInterfaceType=PCI\n");
    TFakeUiScope ui;
    auto c = Load();
    EXPECT_EQ(c->interfaceType, itEmul);
    ASSERT_EQ(ui->errors.size(), 1u);
    EXPECT_EQ(ui->errors[0], "Неверный тип интерфейса в настройках: PCI");

    Write("", "[DEFAULT_DEVICE]\nUsbGetDataMode=adc_data_mode_convert2int32m\n");
    EXPECT_EQ(Load()->usbGetDataMode, ADC_DATA_MODE_CONVERT2INT32M);
    Write("", "[DEFAULT_DEVICE]\nUsbGetDataMode=fast\nPortAddress=378\n");
    TAppConfig partial(dir.Str() + "app", data);
    try {
        partial.LoadSettings();
        FAIL() << "no error";
    } catch (const EConfigException& e) {
        EXPECT_EQ(std::string(e.what()), "Неверный тип чтения данных: FAST");
    }
    EXPECT_EQ(partial.portAddress, "378");  // the keys read before the check keep their values
}

TEST_F(ConfigTest, SavesKeepForeignKeysAndReadBack) {
    Write("[ApplicationParameters]\nMyOwnKey=Проба\n", "[DEFAULT_DEVICE]\nheatSpeed=10\n[Channel1]\nx=1\n");
    auto c = Load();
    c->heatSpeed = 2.5f;
    c->appCheckUpdateDate = EncodeDateTime(2024, 3, 9);
    c->samplesList = {"b;c", "Индий", "with \"quote\" and $"};
    c->SaveScanSettings();
    c->SaveAppSettings();
    c->SaveLibSettings();
    const std::string settings = ReadFileBytes(data + "Settings.ini");
    EXPECT_NE(settings.find(Utf8ToCp1251("MyOwnKey=Проба")), std::string::npos);
    EXPECT_NE(settings.find("\r\n"), std::string::npos);
    EXPECT_NE(ReadFileBytes(data + "Devices.ini").find("[Channel1]"), std::string::npos);

    auto back = Load();
    EXPECT_FLOAT_EQ(back->heatSpeed, 2.5f);
    EXPECT_EQ(back->appCheckUpdateDate, EncodeDateTime(2024, 3, 9));
    EXPECT_EQ(back->samplesList, (std::vector<std::string>{"b;c", "with \"quote\" and $", "Индий"}));
}

TEST_F(ConfigTest, WordListsAreSplitAtDollarAndSorted) {
    Write("[DataLibrary]\nmaterialsList=b$a$c\nexperimentatorsList=Петров П.$иванов И.$Петров П.\n", "");
    const auto c = Load();
    EXPECT_EQ(c->samplesList, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(c->operatorsList, (std::vector<std::string>{"иванов И.", "Петров П."}));
}

TEST_F(ConfigTest, MaximizedWindowKeepsItsStoredPlacement) {
    Write("", "");
    auto c = Load();
    c->SaveMainFormPosition(10, 20, 300, 400, wsNormal);
    c->SaveMainFormPosition(0, 0, 1920, 1080, wsMaximized);
    const auto back = Load();
    EXPECT_EQ(back->windowLeft, 10);
    EXPECT_EQ(back->windowWidth, 300);
    EXPECT_EQ(back->windowState, wsMaximized);
}

TEST(DisplayParams, CurveColoursCycleThroughThePalette) {
    TDisplayParams d;
    d.diffTempCurveColor = 0x123456;
    EXPECT_EQ(d.GetDiffTempCurveColor(0), 0x123456u);
    EXPECT_EQ(d.GetDiffTempCurveColor(1), 0x008000u);
    EXPECT_EQ(d.GetDiffTempCurveColor(15), 0xFF0000u);
    EXPECT_EQ(d.GetDiffTempCurveColor(16), 0x008000u);
    EXPECT_EQ(d.GetTempCurveColor(14), 0xC0C0C0u);
}

TEST(IniFile, NumbersAndFailuresOfConversion) {
    int32_t v = 0;
    EXPECT_TRUE(TryStrToInt("$FF000000", v));
    EXPECT_EQ(static_cast<uint32_t>(v), 0xFF000000u);
    EXPECT_TRUE(TryStrToInt(" -12 ", v));
    EXPECT_EQ(v, -12);
    EXPECT_FALSE(TryStrToInt("2147483648", v));
    EXPECT_FALSE(TryStrToInt("12a", v));
    EXPECT_FALSE(TryStrToInt("$", v));
    double d = 0;
    EXPECT_TRUE(TryStrToFloat("3,25", d));
    EXPECT_EQ(d, 3.25);
    EXPECT_FALSE(TryStrToFloat("1,2,3", d));
    EXPECT_EQ(FloatToStr(2.1f), "2.1");
}
