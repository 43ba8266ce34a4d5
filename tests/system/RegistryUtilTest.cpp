#include <gtest/gtest.h>

#include "common/Cp1251.h"
#include "support/TempDir.h"
#include "system/RegistryUtil.h"

using namespace kalvero;
namespace reg = kalvero::RegistryUtil;
using kalvero::test::ReadFileBytes;
using kalvero::test::TTempDir;

namespace {

class RegistryUtilTest : public ::testing::Test {
protected:
    TTempDir dir;
    void SetUp() override {
        reg::SetMachineStoreFile(dir.Str() + "registry.ini");
        reg::SetUserStoreFile(dir.Str() + "user/Kalvero/registry.ini");
    }
    void TearDown() override {
        reg::SetMachineStoreFile("");
        reg::SetUserStoreFile("");
    }
};

}  // namespace

TEST_F(RegistryUtilTest, ValuesLiveInSectionsNamedByKeyPath) {
    reg::SetStringParam("installedPlugins", "Software\\Kalvero\\bin", "kinetics");
    reg::SetIntegerParam("Count", "Software\\Kalvero\\bin", 3);
    reg::SetBoolParam("Enabled", "Software\\Kalvero\\bin", true);
    const std::string text = ReadFileBytes(dir.Path() / "registry.ini");
    EXPECT_NE(text.find("[Software\\Kalvero\\bin]"), std::string::npos);
    EXPECT_EQ(reg::GetStringParam("INSTALLEDPLUGINS", "software\\kalvero\\BIN"), "kinetics");
    EXPECT_EQ(reg::GetIntegerParam("Count", "Software\\Kalvero\\bin"), 3);
    EXPECT_TRUE(reg::GetBoolParam("Enabled", "Software\\Kalvero\\bin"));
    EXPECT_TRUE(reg::IsKeyExist("Software\\Kalvero"));  // parents of a key exist too
    EXPECT_FALSE(reg::IsKeyExist("Software\\Kalv"));
    EXPECT_TRUE(reg::IsParamExist("Count", "Software\\Kalvero\\bin"));
    EXPECT_FALSE(reg::IsParamExistL("Count", "Software\\Kalvero\\bin"));
}

TEST_F(RegistryUtilTest, MissingKeysAndBadValuesGiveTheReadErrorOrTheDefault) {
    try {
        reg::GetStringParam("x", "Software\\None");
        FAIL() << "no error";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(std::string(e.what()), "Ошибка при чтении ключа реестра");
    }
    reg::SetStringParam("word", "Software\\K", "abc");
    reg::SetStringParam("empty", "Software\\K", "");
    EXPECT_THROW(reg::GetIntegerParam("word", "Software\\K"), ERegistryException);
    EXPECT_EQ(reg::GetIntegerParam("word", "Software\\K", 7), 7);
    EXPECT_EQ(reg::GetStringParam("empty", "Software\\K", "def"), "def");
    EXPECT_EQ(reg::GetStringParam("none", "Software\\K", "def"), "def");
    EXPECT_FALSE(reg::GetBoolParam("none", "Software\\K", false));
    EXPECT_EQ(reg::GetIntegerParamL("n", "Software\\K", 5), 5);
    reg::SetIntegerParamL("n", "Software\\K", 9);
    EXPECT_EQ(reg::GetIntegerParamL("n", "Software\\K", 5), 9);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "user/Kalvero/registry.ini"));
}

TEST_F(RegistryUtilTest, RemovingCopyingAndRenamingKeys) {
    reg::SetStringParam("a", "Software\\Old", "1");
    reg::SetStringParam("b", "Software\\Old\\Sub", "Значение");
    EXPECT_TRUE(reg::RenameKey("Software\\Old", "Software\\New"));
    EXPECT_EQ(reg::GetStringParam("b", "Software\\New\\Sub"), "Значение");
    EXPECT_TRUE(reg::IsKeyExist("Software\\Old"));  // a rename copies and leaves the old key
    try {
        reg::CopyKey("Software\\Old", "Software\\New");
        FAIL() << "no error";
    } catch (const ERegUtilException& e) {
        EXPECT_EQ(std::string(e.what()), "Раздел Software\\New уже существует");
    }
    try {
        reg::CopyKey("Software\\Nowhere", "Software\\X");
        FAIL() << "no error";
    } catch (const ERegUtilException& e) {
        EXPECT_EQ(std::string(e.what()), "Раздел Software\\Nowhere не существует");
    }
    EXPECT_TRUE(reg::RemoveParam("a", "Software\\Old"));
    EXPECT_FALSE(reg::DeleteParam("a", "Software\\Old"));
    EXPECT_TRUE(reg::RemoveKey("Software\\Old"));
    EXPECT_FALSE(reg::IsKeyExist("Software\\Old\\Sub"));
    EXPECT_FALSE(reg::RemoveKey("Software\\Old"));
    EXPECT_TRUE(reg::IsKeyExist("Software\\New\\Sub"));
}
