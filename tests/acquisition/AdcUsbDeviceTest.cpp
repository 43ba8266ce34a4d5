#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "acquisition/AdcUsbDeviceDescriptor.h"
#include "acquisition/DllClient.h"
#include "support/TempDir.h"
#include "system/RegistryUtil.h"

using namespace kalvero;
using namespace kalvero::test;

namespace {

// A converter that records its calls and answers with the statuses the test sets.
class FakeDevice : public IADCDevice {
public:
    int32_t AddRef() override { return ++refs; }
    int32_t Release() override {
        calls.push_back("Release");
        return --refs;
    }
    int32_t Setup(int32_t baseAdr, int32_t DRQ, int32_t IRQ, void*) override {
        calls.push_back("Setup " + std::to_string(baseAdr) + " " + std::to_string(DRQ) + " " +
                        std::to_string(IRQ));
        return setupStatus;
    }
    int32_t Test() override { return 1; }
    int32_t Init(int32_t Mode, void* aParams, int32_t*) override {
        const int32_t type = *static_cast<int32_t*>(aParams);
        if (type == ADC_PARAM_ACQUISITION) {
            frequency = static_cast<RADCAcquisitionParams*>(aParams)->frequency;
            calls.push_back("Init " + std::to_string(Mode) + " acquisition");
        } else {
            const auto* list = static_cast<RADCChannelList*>(aParams);
            channels.assign(list->channels, list->channels + list->count);
            gains.assign(list->gains, list->gains + list->count);
            calls.push_back("Init " + std::to_string(Mode) + " channels");
            return channelStatus;
        }
        return 1;
    }
    int32_t Start() override { return 1; }
    int32_t Stop() override {
        calls.push_back("Stop");
        return 1;
    }
    int32_t GetData(int32_t Mode, void*, int32_t Size, int32_t Offs) override {
        calls.push_back("GetData " + std::to_string(Mode) + " " + std::to_string(Size) + " " +
                        std::to_string(Offs));
        return 1;
    }
    int32_t PortIO(int32_t, void*, int32_t) override { return 1; }
    int32_t Get(int32_t Mode, void* P) override {
        calls.push_back("Get " + std::to_string(Mode) + " " + std::to_string(*static_cast<int32_t*>(P)));
        if (Mode == ADC_GET_DMA_COUNTER) *static_cast<int32_t*>(P) = 4321;
        return 1;
    }
    int32_t ClearInterrupt() override { return 1; }

    int32_t refs = 1, setupStatus = 1, channelStatus = 1;
    double frequency = 0;
    std::vector<int32_t> channels, gains;
    std::vector<std::string> calls;
};

class FakeFactory : public IADCFactory {
public:
    void* Create(const wchar_t* InterfaceName, void*) override {
        requested = InterfaceName;
        return giveDevice ? &device : nullptr;
    }
    FakeDevice device;
    bool giveDevice = true;
    std::wstring requested;
};

class TestDescriptor : public TADCUsbDeviceDescriptor {
public:
    TestDescriptor(const TAppConfig& aConfig, FakeFactory* aFactory)
        : TADCUsbDeviceDescriptor(aConfig), fFactory(aFactory) {}

protected:
    IADCFactory* GetFactory(const std::string& aDeviceName) override {
        if (!fFactory) return TADCUsbDeviceDescriptor::GetFactory(aDeviceName);
        deviceName = aDeviceName;
        return fFactory;
    }

public:
    std::string deviceName;

private:
    FakeFactory* fFactory;
};

class AdcUsbTest : public ::testing::Test {
protected:
    AdcUsbTest() : config(dir.Str() + "app", dir.Str() + "data") {
        config.interfaceType = itLA24USB;
        config.frequency = 400;
        config.numberOfDataChannels = 2;
        config.usbGetDataMode = ADC_DATA_MODE_CONVERT2INT32;
        RegistryUtil::SetMachineStoreFile(dir.Str() + "registry.ini");
        WriteFileBytes(
            config.DevicesFileName(),
            "[DEFAULT_DEVICE]\ndifferentialMode=1\n"
            "[USB_CHANNEL0]\ntempChannelNumber=0\ntempChannelGain=2\ndiffTempChannelNumber=1\n"
            "diffTempChannelGain=64\ntempChannelOffset=7\ndiffTempChannelOffset=-9\n"
            "[USB_CHANNEL1]\ntempChannelNumber=2\ndiffTempChannelNumber=3\ndiffTempChannelGain=8\n");
    }
    ~AdcUsbTest() override { RegistryUtil::SetMachineStoreFile(""); }

    TTempDir dir;
    TAppConfig config;
};

std::string Message(const std::function<void()>& aAction) {
    try {
        aAction();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no exception)";
}

}  // namespace

TEST(AdcStatus, EveryStatusHasItsText) {
    EXPECT_EQ(ADCStatusText(0), "Ошибка устройства USB: ADC_ERROR_NOTSUPPORTED");
    EXPECT_EQ(ADCStatusText(-2), "Ошибка устройства USB: Некорректные параметры");
    EXPECT_EQ(ADCStatusText(-7), "Ошибка устройства USB: линия прерывания занята");
    EXPECT_EQ(ADCStatusText(-8), "Ошибка устройства USB: нет сообщения для данного кода ошибки");
    EXPECT_EQ(ADCStatusText(-10).find("Ошибка устройства USB: нет необходимого драйвера нулевого кольца"),
              0u);
}

TEST_F(AdcUsbTest, InitSetsUpTheConverterAndDeInitGivesItBack) {
    FakeFactory factory;
    TestDescriptor d(config, &factory);
    d.Init();
    EXPECT_EQ(d.deviceName, "Lai24USB");
    EXPECT_EQ(factory.requested, L"IADCDevice");
    EXPECT_EQ(factory.device.calls, std::vector<std::string>({"Setup 1 0 0", "Init 1 acquisition",
                                                              "Init 1 channels", "Get 1004 1"}));
    EXPECT_DOUBLE_EQ(factory.device.frequency, 400);
    EXPECT_EQ(factory.device.channels, std::vector<int32_t>({0, 1, 2, 3}));
    EXPECT_EQ(factory.device.gains, std::vector<int32_t>({2, 64, 1, 8}));

    factory.device.calls.clear();
    EXPECT_EQ(d.GetDMACounter(), 4321);
    char buffer[16];
    EXPECT_EQ(d.GetData(buffer, 16, 4), 1);
    EXPECT_EQ(factory.device.calls, std::vector<std::string>({"Get 2 0", "GetData 3 16 4"}));
    // Offsets wrap around the data channels.
    EXPECT_EQ(d.GetTempChannelOffset(2), 7);
    EXPECT_EQ(d.GetDiffTempChannelOffset(4), -9);
    EXPECT_EQ(d.GetDiffTempChannelOffset(3), 0);

    factory.device.calls.clear();
    d.DeInit();
    EXPECT_EQ(factory.device.calls, std::vector<std::string>({"Stop", "Release"}));
    EXPECT_THROW(d.GetDMACounter(), EDeviceException);
}

TEST_F(AdcUsbTest, FailedStatusIsReportedAndTheConverterReleased) {
    FakeFactory factory;
    factory.device.channelStatus = -2;
    TestDescriptor d(config, &factory);
    EXPECT_EQ(Message([&] { d.Init(); }), "Ошибка устройства USB: Некорректные параметры");
    EXPECT_EQ(factory.device.calls.back(), "Release");
    EXPECT_EQ(factory.device.refs, 0);
    EXPECT_THROW(d.GetData(nullptr, 0, 0), EDeviceException);

    factory.giveDevice = false;
    EXPECT_EQ(Message([&] { d.Init(); }), "Не удалось создать объект (интерфейс) IADCDevice");
    EXPECT_EQ(Message([&] { d.CreateUtility("Lai24USB", 4); }),
              "Не удалось создать объект (интерфейс) IADCUtility");
}

TEST_F(AdcUsbTest, MissingDriverModuleCannotGiveAFactory) {
    TestDescriptor d(config, nullptr);
    EXPECT_EQ(Message([&] { d.Init(); }), "Не удалось создать фабрику для IADCDevice");
    RegistryUtil::SetStringParam("path", "SOFTWARE\\Virtual Tools LTD\\Drivers\\1.0\\Lai24USB",
                                 dir.Str() + "no-such-driver.so");
    EXPECT_EQ(Message([&] { d.Init(); }), "Не удалось создать фабрику для IADCDevice");
}

TEST_F(AdcUsbTest, DllClientFindsRegisteredModulesInTheSettingsStore) {
    const std::string key = "SOFTWARE\\Virtual Tools LTD\\Drivers\\1.0\\";
    TDllClient client;
    EXPECT_EQ(client.LoadRegistered("Virtual Tools LTD", "Drivers", "1.0", "MathDrv", "cos"), nullptr);
    RegistryUtil::SetStringParam("path", key + "MathDrv", "libm.so.6");
    RegistryUtil::SetStringParam("UIName", key + "MathDrv", "Математика");
    RegistryUtil::SetStringParam("path", key + "Other\\Sub", "x");

    using TCos = double (*)(double);
    void* cosine = client.LoadRegistered("Virtual Tools LTD", "Drivers", "1.0", "MathDrv", "cos");
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(reinterpret_cast<TCos>(cosine)(0.0), 1.0);
    // The default export is "StaticFactory", which this library does not have.
    EXPECT_EQ(client.LoadRegistered("Virtual Tools LTD", "Drivers", "1.0", "MathDrv"), nullptr);
    EXPECT_EQ(client.LoadByPath("libm.so.6", "no_such_export"), nullptr);
    EXPECT_EQ(client.LoadByPath(dir.Str() + "missing.so", "cos"), nullptr);
    EXPECT_NE(client.LoadByPath("libm.so.6", "sin"), nullptr);
    client.FreeDll();

    EXPECT_EQ(client.GetInterfaceName("Virtual Tools LTD", "Drivers", "1.0", "MathDrv"), "Математика");
    EXPECT_EQ(client.GetInterfaceName("Virtual Tools LTD", "Drivers", "1.0", "Other"), "");
    std::string name;
    ASSERT_TRUE(client.GetRegName(name, 0, "Virtual Tools LTD", "Drivers", "1.0"));
    EXPECT_EQ(name, "MathDrv");
    ASSERT_TRUE(client.GetRegName(name, 1, "Virtual Tools LTD", "Drivers", "1.0"));
    EXPECT_EQ(name, "Other");
    EXPECT_FALSE(client.GetRegName(name, 2, "Virtual Tools LTD", "Drivers", "1.0"));
}
