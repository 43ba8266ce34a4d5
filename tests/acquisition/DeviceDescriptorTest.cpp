#include <gtest/gtest.h>

#include <memory>

#include "acquisition/AdcUsbDeviceDescriptor.h"
#include "acquisition/DeviceFactory.h"
#include "acquisition/EmulDeviceDescriptor.h"
#include "acquisition/UniUsbDeviceDescriptor.h"
#include "support/TempDir.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

const std::string kFreqMsg = "Указана неверная частота опроса для данного типа интерфейса (";
const std::string kChannelMsg = "Указан неверный номер аппаратного канала для данного типа интерфейса (";
const std::string kGainMsg = "Указано неверное усиление аппаратного канала для данного типа интерфейса (";

// A configuration over a fresh program-data folder whose "Devices.ini" the test writes.
class DeviceTest : public ::testing::Test {
protected:
    DeviceTest() : config(dir.Str() + "app", dir.Str() + "data") {
        config.tempChannelName = "Температура";
        config.diffChannelName = "Дифф. темп-ра";
    }
    void Devices(const std::string& aText) { WriteFileBytes(config.DevicesFileName(), aText); }
    void Use(TInterfaceType aType, float aFrequency = 100, int32_t aChannels = 1) {
        config.interfaceType = aType;
        config.frequency = aFrequency;
        config.numberOfDataChannels = aChannels;
    }
    // The message of a refused construction, "" when it was accepted.
    std::string Refusal() {
        try {
            TDeviceFactory::GetDeviceDescriptor(config);
        } catch (const EDeviceConfigException& e) {
            return e.what();
        }
        return "";
    }
    std::string Channel0(const std::string& aKeys) { return "[USB_CHANNEL0]\n" + aKeys + "\n"; }
    static std::string Named(const std::string& aMsg, TInterfaceType aType) {
        return aMsg + InterfaceTypeDisplayName(aType) + ")";
    }

    TTempDir dir;
    TAppConfig config;
};

}  // namespace

TEST_F(DeviceTest, FactoryPicksTheClassByInterfaceType) {
    Use(itEmul);
    EXPECT_EQ(typeid(*TDeviceFactory::GetDeviceDescriptor(config)), typeid(TBaseDeviceDescriptor));
    for (TInterfaceType t : {itLA20USB, itLA20USB_DMA, itLA24USB}) {
        Use(t);
        EXPECT_NE(dynamic_cast<TADCUsbDeviceDescriptor*>(TDeviceFactory::GetDeviceDescriptor(config).get()),
                  nullptr);
    }
    for (TInterfaceType t : {itLA20USB_Uni, itLAi24USB_Uni}) {
        Use(t);
        EXPECT_NE(dynamic_cast<TUniUsbDeviceDescriptor*>(TDeviceFactory::GetDeviceDescriptor(config).get()),
                  nullptr);
    }
    // An unknown type is the base with the capabilities of the simple interfaces.
    Use(static_cast<TInterfaceType>(9));
    const auto d = TDeviceFactory::GetDeviceDescriptor(config);
    EXPECT_EQ(d->GetMaxHardwareChannels(), 2);
    EXPECT_EQ(d->GetAvailableGains(), TBytes{1});
}

TEST_F(DeviceTest, TwentyFourBitInterfacesAcceptOnlyTheirRatesGainsAndFourChannels) {
    for (TInterfaceType t : {itLA24USB, itLAi24USB_Uni}) {
        Devices("");
        for (float f : {6.25f, 12.5f, 25.f, 50.f, 100.f, 200.f, 400.f, 800.f}) {
            Use(t, f);
            EXPECT_EQ(Refusal(), "") << f;
        }
        Use(t, 300);
        EXPECT_EQ(Refusal(), Named(kFreqMsg, t));
        Use(t, 100);
        for (int g : {1, 2, 4, 8, 16, 32, 64}) {
            Devices(Channel0("tempChannelGain=" + std::to_string(g) +
                             "\ndiffTempChannelGain=" + std::to_string(g)));
            EXPECT_EQ(Refusal(), "") << g;
        }
        for (int g : {0, 3, 10, 128}) {
            Devices(Channel0("diffTempChannelGain=" + std::to_string(g)));
            EXPECT_EQ(Refusal(), Named(kGainMsg, t)) << g;
        }
        Devices(Channel0("tempChannelNumber=3\ndiffTempChannelNumber=3"));
        EXPECT_EQ(Refusal(), "");
        Devices(Channel0("diffTempChannelNumber=4"));
        EXPECT_EQ(Refusal(), Named(kChannelMsg, t));
    }
    EXPECT_EQ(Named(kFreqMsg, itLA24USB), kFreqMsg + " USB DMA 24bit)");
}

TEST_F(DeviceTest, TwelveBitInterfacesAcceptAnyRateAndTheirChannelsByWiring) {
    for (TInterfaceType t : {itLA20USB, itLA20USB_DMA, itLA20USB_Uni}) {
        Devices("");
        for (float f : {0.5f, 333.3f, 10000.f}) {
            Use(t, f);
            EXPECT_EQ(Refusal(), "") << f;
        }
        for (int g : {1, 2, 4, 10, 20, 40, 100, 200}) {
            Devices(Channel0("tempChannelGain=" + std::to_string(g)));
            EXPECT_EQ(Refusal(), "") << g;
        }
        Devices(Channel0("tempChannelGain=8"));
        EXPECT_EQ(Refusal(), Named(kGainMsg, t));

        Devices("[DEFAULT_DEVICE]\ndifferentialMode=1\n" + Channel0("tempChannelNumber=16"));
        EXPECT_EQ(Refusal(), Named(kChannelMsg, t));
        Devices("[DEFAULT_DEVICE]\ndifferentialMode=1\n" + Channel0("tempChannelNumber=15"));
        EXPECT_EQ(Refusal(), "");
        Devices(Channel0("tempChannelNumber=16\ndiffTempChannelNumber=31"));
        EXPECT_EQ(Refusal(), "");
        Devices(Channel0("tempChannelNumber=32"));
        EXPECT_EQ(Refusal(), Named(kChannelMsg, t));
    }
}

TEST_F(DeviceTest, SimpleInterfacesHaveTwoChannelsAndOnlyTheEmulatorIgnoresGains) {
    Devices(Channel0("tempChannelGain=77\ndiffTempChannelNumber=1"));
    Use(itEmul);
    EXPECT_EQ(Refusal(), "");
    for (TInterfaceType t : {itLpt, itCom}) {
        Use(t);
        EXPECT_EQ(Refusal(), Named(kGainMsg, t));
    }
    Devices(Channel0("tempChannelNumber=2"));
    for (TInterfaceType t : {itEmul, itLpt, itCom}) {
        Use(t, 12345);
        EXPECT_EQ(Refusal(), Named(kChannelMsg, t));
    }
}

TEST_F(DeviceTest, ChecksRunInTheirOrderAndValuesMustFitTheirFields) {
    Use(itLA24USB, 300);
    // Channel number before gain before frequency.
    Devices(Channel0("tempChannelNumber=9\ntempChannelGain=3"));
    EXPECT_EQ(Refusal(), Named(kChannelMsg, itLA24USB));
    Devices(Channel0("tempChannelGain=3"));
    EXPECT_EQ(Refusal(), Named(kGainMsg, itLA24USB));
    Use(itLA24USB, 100);
    Devices(Channel0("tempChannelOffset=40000"));
    EXPECT_NE(Refusal().find("tempChannelOffset=40000"), std::string::npos);
    Devices(Channel0("diffTempChannelGain=300"));
    EXPECT_NE(Refusal().find("вне допустимого диапазона 0..255"), std::string::npos);
    // Sections beyond the data channels are not read.
    Devices(Channel0("tempChannelOffset=-32768\ndiffTempChannelOffset=32767") +
            "[USB_CHANNEL1]\ntempChannelGain=3\n");
    EXPECT_EQ(Refusal(), "");
    const auto d = TDeviceFactory::GetDeviceDescriptor(config);
    EXPECT_EQ(d->GetChannelDescriptors()[0].tempChannelOffset, -32768);
    EXPECT_EQ(d->GetChannelDescriptors()[0].dIffTempChannelOffset, 32767);
}

TEST_F(DeviceTest, TwoChannelsWithoutDevicesFileMapEverythingToChannelZero) {
    std::filesystem::remove(config.DevicesFileName());
    Use(itEmul, 10, 2);
    const auto d = TDeviceFactory::GetDeviceDescriptor(config);
    const TDeviceChannelDescriptors ch = d->GetChannelDescriptors();
    ASSERT_EQ(ch.size(), 2u);
    for (uint8_t i = 0; i < 2; ++i) {
        EXPECT_EQ(ch[i].dataChannelNumber, i);
        EXPECT_EQ(ch[i].tempChannelNumber, 0);
        EXPECT_EQ(ch[i].diffTempChannelNumber, 0);
        EXPECT_EQ(ch[i].tempChannelGain, 1);
        EXPECT_EQ(ch[i].dIffTempChannelGain, 1);
        EXPECT_EQ(ch[i].tempChannelOffset, 0);
        EXPECT_EQ(ch[i].dIffTempChannelOffset, 0);
    }
    EXPECT_EQ(d->GetTempChannelGain(1), 1);
    for (int bad : {-1, 2}) {
        try {
            d->GetDiffTempChannelGain(bad);
            FAIL() << bad;
        } catch (const EDeviceConfigException& e) {
            EXPECT_STREQ(e.what(), "Incorrect channel number");
        }
    }
}

TEST_F(DeviceTest, UnboundedSettingsAreRefusedBeforeAnyoneDividesByThem) {
    Use(itEmul, 10, 0);
    EXPECT_EQ(Refusal(),
              "Указано неверное количество рабочих каналов для данного типа интерфейса (EMULATION)");
    Use(itEmul, 10, 3);
    EXPECT_NE(Refusal(), "");
    Use(itLA24USB, 100, 4);
    EXPECT_EQ(Refusal(), "");
    Use(itLA24USB, 100, 5);
    EXPECT_NE(Refusal(), "");
    for (float f : {0.f, -10.f, std::numeric_limits<float>::quiet_NaN()}) {
        Use(itLA20USB, f);
        EXPECT_EQ(Refusal(), Named(kFreqMsg, itLA20USB)) << f;
    }
    Use(itEmul, 10);
    config.rawDataDivider = 0;
    EXPECT_NE(Refusal().find("rawDataDivider"), std::string::npos);
    config.rawDataDivider = 1;

    Devices("[EMUL_CHANNEL0]\nCurveNoiseLevel=0\n");
    EXPECT_THROW(TEmulDeviceDescriptor{config}, EDeviceConfigException);
    Devices("[EMUL_CHANNEL0]\nCurveNoiseLevel=-3\n");
    EXPECT_THROW(TEmulDeviceDescriptor{config}, EDeviceConfigException);
}

TEST_F(DeviceTest, EmulatorReadsItsCurveSettings) {
    Use(itEmul, 10, 2);
    Devices("[EMUL_DEVICE]\nPeakDirection=0\n[EMUL_CHANNEL1]\nCurveNoiseLevel=25\nCurveDataOffset=-300\n");
    const TEmulDeviceDescriptor d(config);
    EXPECT_FALSE(d.GetPeakDirection());
    EXPECT_EQ(d.GetCurveNoiseLevels(), TIntegers({10, 25}));
    EXPECT_EQ(d.GetCurveDataOffsets(), TIntegers({1000, -300}));
    std::filesystem::remove(config.DevicesFileName());
    EXPECT_TRUE(TEmulDeviceDescriptor(config).GetPeakDirection());
}

TEST_F(DeviceTest, DescriptionListsTheInterfaceAndEveryChannel) {
    Use(itEmul, 10, 1);
    Devices(Channel0("tempChannelOffset=-5\ndiffTempChannelNumber=1\ndiffTempChannelGain=3"));
    const auto d = TDeviceFactory::GetDeviceDescriptor(config);
    EXPECT_EQ(d->GetBoardTitle(), "EMULATION");
    EXPECT_EQ(d->GetDescription(),
              "Тип интерфейса=EMULATION\r"
              "Серийный номер=\r"
              "Драйвер=not used not used not used not used\r"
              "Дифференциальный режим=нет\r"
              "Внутренний делитель=1\r"
              "Всего каналов=2\r"
              "Рабочих каналов=1\r"
              "Цифровой порт=\r"
              "Канал № 1=\r"
              "  Номер аппаратного канала для Температура=0\r"
              "  Коэфф. усиления для Температура=1\r"
              "  Смещение для Температура=-5\r"
              "  Номер аппаратного канала для Дифф. темп-ра=1\r"
              "  Коэфф. усиления для Дифф. темп-ра=3\r"
              "  Смещение для Дифф. темп-ра=0\r"
              "\r");
    Use(itLpt, 10, 1);
    Devices("");
    EXPECT_NE(TDeviceFactory::GetDeviceDescriptor(config)->GetDescription().find(
                  "Драйвер=io.dll  not used not used\r"),
              std::string::npos);
    Use(itLA24USB, 100, 1);
    Devices("[DEFAULT_DEVICE]\ndifferentialMode=1\n");
    const std::string usb = TDeviceFactory::GetDeviceDescriptor(config)->GetDescription();
    EXPECT_NE(usb.find("Тип интерфейса= USB DMA 24bit\r"), std::string::npos);
    EXPECT_NE(usb.find("Дифференциальный режим=да\rВнутренний делитель=256\rВсего каналов=4\r"),
              std::string::npos);
}

TEST_F(DeviceTest, DecimationFactorsLeadDownFromTheAllowedRates) {
    Use(itLA24USB, 100);
    const auto d = TDeviceFactory::GetDeviceDescriptor(config);
    EXPECT_EQ(d->GetDecimationList(100), TIntegers({2, 4, 8}));
    EXPECT_EQ(d->GetDecimationList(200), TIntegers({2, 4}));
    EXPECT_EQ(d->GetDecimationList(800), TIntegers());
    EXPECT_EQ(d->GetDecimationList(100000), TIntegers());  // above every allowed frequency
    EXPECT_EQ(d->GetDecimationList(0), TIntegers());
    EXPECT_EQ(d->GetDecimationList(-5), TIntegers());
    Use(itLA20USB, 100);
    EXPECT_EQ(TDeviceFactory::GetDeviceDescriptor(config)->GetDecimationList(100), TIntegers());
}
