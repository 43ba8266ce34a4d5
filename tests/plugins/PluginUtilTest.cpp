#include <gtest/gtest.h>

#include <filesystem>

#include "common/Logger.h"
#include "plugins/PluginUtil.h"
#include "support/FakeUiHooks.h"
#include "support/TestConfig.h"
#include "system/RegistryUtil.h"

using namespace kalvero;
using kalvero::test::TFakeUiScope;
using kalvero::test::TTestConfig;

namespace {

class PluginHostTest : public ::testing::Test {
protected:
    TTestConfig config;
    TLogger logger{"Kalvero", config->fProgramDataPath, llDebug};
    std::string key = TPluginUtil::PluginsKey(config->fApplicationTypeName);

    void SetUp() override { RegistryUtil::SetMachineStoreFile(config->fProgramDataPath + "registry.ini"); }
    void TearDown() override { RegistryUtil::SetMachineStoreFile(""); }
    void List(const std::string& aValue) { RegistryUtil::SetStringParam("installedPlugins", key, aValue); }
};

}  // namespace

TEST(PluginList, EmptyAndBlankPiecesAreSkipped) {
    const auto list = TPluginUtil::ParseInstalledPlugins("a.so=TA;; =TB;b.so=TB=extra;noequals;");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].fileName, "a.so");
    EXPECT_EQ(list[0].className, "TA");
    EXPECT_EQ(list[1].fileName, "b.so");
    EXPECT_EQ(list[1].className, "TB");
}

TEST_F(PluginHostTest, NoListMeansNoPluginsAndNoMessage) {
    TFakeUiScope ui;
    TPluginUtil host(config->fApplicationTypeName, &logger);
    host.LoadPlugins();
    EXPECT_EQ(host.PluginCount(), 0);
    TPlugin* plugin = nullptr;
    EXPECT_FALSE(host.GetPluginByIdx(0, plugin));
    EXPECT_FALSE(host.IsPluginLoaded(0));
    EXPECT_TRUE(ui->errors.empty());
}

TEST_F(PluginHostTest, InstalledModuleLoadsAndRunsWithItsOwnNames) {
    InstallPlugin(*config, ECHO_PLUGIN, "TEcho");
    InstallPlugin(*config, ECHO_PLUGIN, "TEcho");  // installing again replaces the entry
    EXPECT_EQ(RegistryUtil::GetStringParam("installedPlugins", key), "echo_plugin.so=TEcho;");
    TPluginUtil host(config->fApplicationTypeName, &logger);
    host.LoadPlugins();
    ASSERT_TRUE(host.IsPluginLoaded(0));
    EXPECT_EQ(host.GetPluginName(0), "Echo");
    TPlugin* plugin = nullptr;
    ASSERT_TRUE(host.GetPluginByName("Echo", plugin));
    EXPECT_EQ(plugin->BaseName(), "Echo");
    EXPECT_EQ(plugin->PluginHelpFileName(), config->fApplicationPath + "plugins/Echo.chm");
    EXPECT_EQ(plugin->PluginCommands().size(), 2u);
    plugin->PutParam("editPeakNumber", "0");
    plugin->BeginWork("Повторить");
    EXPECT_EQ(plugin->Params().GetValue("command"), "Повторить");
    EXPECT_TRUE(std::filesystem::exists(config->fProgramDataPath + "log/Echo.log"));
    EXPECT_TRUE(std::filesystem::exists(config->fProgramDataPath + "plugins"));
}

TEST_F(PluginHostTest, MissingModuleStopsWithTheWrappedError) {
    InstallPlugin(*config, ECHO_PLUGIN, "TEcho");
    List("echo_plugin.so=TEcho;missing.so=TMissing;echo_plugin.so=TEcho;");
    TPluginUtil host(config->fApplicationTypeName, &logger);
    try {
        host.LoadPlugins();
        FAIL() << "no error";
    } catch (const EPluginException& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Произошла ошибка при загрузке плагина " +
                                                  config->fApplicationPath + "plugins/missing.so: ",
                                              0),
                  0u)
            << e.what();
    }
    EXPECT_TRUE(host.IsPluginLoaded(0));  // loaded before the failure: still usable
    EXPECT_FALSE(host.IsPluginLoaded(1));
    EXPECT_FALSE(host.IsPluginLoaded(2));
}

TEST_F(PluginHostTest, ModulesOutsideThePluginFolderAndUnknownClassesAreRefused) {
    InstallPlugin(*config, ECHO_PLUGIN, "TEcho");
    for (const std::string& value :
         {std::string("../echo_plugin.so=TEcho;"), std::string(ECHO_PLUGIN) + "=TEcho;",
          std::string("echo_plugin.so=TNoSuchClass;")}) {
        List(value);
        TPluginUtil host(config->fApplicationTypeName, &logger);
        EXPECT_THROW(host.LoadPlugins(), EPluginException) << value;
        EXPECT_FALSE(host.IsPluginLoaded(0));
    }
}
