// The settings and experiment-properties dialogs driven as the operator drives them: each writes
// exactly its group of settings and plain OK writes nothing, the device dialog's checks, clamping,
// table reloading and recalculation of the open windows, the word lists and the desktop
// registration.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

#include <map>
#include <set>

#include "app/AppPropsForm.h"
#include "app/AppTestSupport.h"
#include "app/DevPropsForm.h"
#include "app/PropdlgForm.h"
#include "calibration/TempCalibration.h"
#include "common/IniFile.h"
#include "support/TableFiles.h"
#include "system/RegistryUtil.h"
#include "system/SystemUtils.h"

using namespace kalvero;
using namespace kalvero::test;
using app::TPrompt;

namespace {

using TIniMap = std::map<std::pair<std::string, std::string>, std::string>;

TIniMap ReadIni(const std::string& aFileName) {
    TIniFile ini(aFileName);
    TIniMap values;
    for (const std::string& section : ini.Sections())
        for (const std::string& key : ini.Keys(section))
            values[{section, key}] = ini.ReadString(section, key, "");
    return values;
}

// The keys whose values differ (or that appeared or went) between two readings of a file.
std::set<std::string> ChangedKeys(const TIniMap& aBefore, const TIniMap& aAfter) {
    std::set<std::string> keys;
    for (const auto& [key, value] : aAfter)
        if (auto it = aBefore.find(key); it == aBefore.end() || it->second != value)
            keys.insert(key.first + "/" + key.second);
    for (const auto& [key, value] : aBefore)
        if (!aAfter.count(key)) keys.insert(key.first + "/" + key.second);
    return keys;
}

class SettingsDialogsTest : public TAppTest {
protected:
    std::string Settings() const { return dataDir + "/Settings.ini"; }
    std::string Devices() const { return dataDir + "/Devices.ini"; }
    template <typename T>
    T& Dialog() {
        QCoreApplication::processEvents();
        T* dialog = FindChildOf<T>(*form);
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }
    void Type(QWidget& aDialog, const std::string& aField, const std::string& aText) {
        auto* field = FindNamed<QLineEdit>(aDialog, aField);
        if (!field) {
            auto* list = FindNamed<QComboBox>(aDialog, aField);
            ASSERT_NE(list, nullptr) << aField;
            ASSERT_TRUE(list->isEditable()) << aField;
            field = list->lineEdit();
        }
        field->selectAll();
        const QString text = QString::fromStdString(aText);
        // The test keyboard has Latin keys only; other letters arrive as typed text.
        bool latin = true;
        for (QChar ch : text)
            latin = latin && ch.unicode() < 128;
        if (latin) {
            QTest::keyClicks(field, text);
        } else {
            field->insert(text);
        }
    }
    std::vector<std::string> Errors() const {
        std::vector<std::string> texts;
        for (const TPrompt& p : Asked(TPrompt::pkError))
            texts.push_back(p.text);
        return texts;
    }
};

const std::set<std::string> kAppGroup = {"ApplicationParameters/appCheckUpdate",
                                         "ApplicationParameters/useAA",
                                         "ApplicationParameters/appCheckUpdateDate",
                                         "ApplicationParameters/FillPeaks",
                                         "ApplicationParameters/DrawOptimization",
                                         "ApplicationParameters/ShowScreenGrid",
                                         "ApplicationParameters/ShowTempReverse",
                                         "ApplicationParameters/AreaBeginCalcType",
                                         "ApplicationParameters/TangentDetectType",
                                         "ApplicationParameters/TangentTimeRange",
                                         "ApplicationParameters/DefaultDataDirectory",
                                         "ApplicationParameters/ScanThreadPriority",
                                         "ApplicationParameters/detectBaseLineLimit",
                                         "ApplicationParameters/detectPeakHighLimit",
                                         "ApplicationParameters/detectPeakLowLimit",
                                         "ApplicationParameters/smoothDotCount",
                                         "ApplicationParameters/smoothDotStep",
                                         "ApplicationParameters/smoothStep",
                                         "ApplicationParameters/peakBaseLineType",
                                         "ApplicationParameters/zoomKindWhileScan",
                                         "PrintOptions/LeftPrintMargin",
                                         "PrintOptions/RightPrintMargin",
                                         "PrintOptions/TopPrintMargin",
                                         "PrintOptions/BottomPrintMargin"};

const std::set<std::string> kDevGroup = {"DEFAULT_DEVICE/frequency",
                                         "DEFAULT_DEVICE/decimation",
                                         "DEFAULT_DEVICE/EndTime",
                                         "DEFAULT_DEVICE/startScanChannel",
                                         "DEFAULT_DEVICE/TimeWindowWidth",
                                         "DEFAULT_DEVICE/CalibrationTable",
                                         "DEFAULT_DEVICE/dTSignalOffset",
                                         "DEFAULT_DEVICE/DiffTempCalibrationTable",
                                         "DEFAULT_DEVICE/HeatSpeed",
                                         "DEFAULT_DEVICE/HeatCalibrationTable",
                                         "DEFAULT_DEVICE/PortAddress",
                                         "DEFAULT_DEVICE/TimeScale",
                                         "DEFAULT_DEVICE/TempScale",
                                         "DEFAULT_DEVICE/tempScaleAccuracy",
                                         "DEFAULT_DEVICE/DiffTempScale",
                                         "DEFAULT_DEVICE/diffTempScaleAccuracy",
                                         "DEFAULT_DEVICE/AreaScale",
                                         "DEFAULT_DEVICE/areaScaleAccuracy",
                                         "DEFAULT_DEVICE/NumberOfHardwareChannels",
                                         "DEFAULT_DEVICE/postScanAction",
                                         "DEFAULT_DEVICE/deviceControlType",
                                         "DEFAULT_DEVICE/deviceControlProgram",
                                         "DEFAULT_DEVICE/tMinValue",
                                         "DEFAULT_DEVICE/tMaxValue",
                                         "DEFAULT_DEVICE/dTMinValue",
                                         "DEFAULT_DEVICE/dTMaxValue",
                                         "DEFAULT_DEVICE/scanDeadZone"};

bool Within(const std::set<std::string>& aKeys, const std::set<std::string>& aGroup) {
    // Keys match without regard to case, as the settings files are read.
    for (const std::string& key : aKeys) {
        bool found = false;
        for (const std::string& g : aGroup)
            found = found ||
                    QString::fromStdString(key).compare(QString::fromStdString(g), Qt::CaseInsensitive) == 0;
        if (!found) return false;
    }
    return true;
}

}  // namespace

TEST_F(SettingsDialogsTest, ProgramSettingsWriteTheirGroupOnlyWhenAskedTo) {
    app::TKalveroForm& f = Start();
    const std::string settings = ReadFileBytes(Settings()), devices = ReadFileBytes(Devices());
    Trigger(f, "Настройки программы");
    auto& dialog = Dialog<app::TAppPropsForm>();
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Настройки программы");
    EXPECT_EQ(FindChildOf<QTabWidget>(dialog)->currentIndex(), 0);
    SaveArtifact(dialog, "program-settings");
    ClickButton(dialog, "OK");
    EXPECT_EQ(ReadFileBytes(Settings()), settings);  // plain OK changes nothing on disk
    EXPECT_EQ(ReadFileBytes(Devices()), devices);
    EXPECT_EQ(FindChildOf<app::TAppPropsForm>(f), nullptr);

    const TIniMap before = ReadIni(Settings());
    Trigger(f, "Настройки программы");
    auto& again = Dialog<app::TAppPropsForm>();
    FindNamed<QCheckBox>(again, "Отображать сетку")->click();
    FindNamed<QSlider>(again, "Шаг сглаживания")->setValue(40);
    Type(again, "Диапазон данных кривой для расчёта касательной (мсек)", "70000");
    ClickButton(again, "ОК и сохранить");
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(
        Errors()[0],
        "Значение поля \"Диапазон данных кривой для расчёта касательной (мсек)\" должно быть в пределах от "
        "0 до 65535");
    EXPECT_EQ(ReadFileBytes(Settings()), settings);  // the error saves nothing and the dialog stays
    ASSERT_EQ(FindChildOf<app::TAppPropsForm>(f), &again);
    Type(again, "Диапазон данных кривой для расчёта касательной (мсек)", "500");
    ClickButton(again, "ОК и сохранить");
    EXPECT_EQ(FindChildOf<app::TAppPropsForm>(f), nullptr);
    EXPECT_EQ(gConfig->tangentTimeRange, 500);
    EXPECT_EQ(gConfig->smoothStep, 40);
    const std::set<std::string> changed = ChangedKeys(before, ReadIni(Settings()));
    EXPECT_TRUE(Within(changed, kAppGroup)) << ::testing::PrintToString(changed);
    EXPECT_TRUE(changed.count("ApplicationParameters/TangentTimeRange"));
    EXPECT_EQ(ReadFileBytes(Devices()), devices);
}

TEST_F(SettingsDialogsTest, AntiAliasingTurnsDrawOptimisationOnAndSaysSoOnce) {
    Start();
    gConfig->showHeatCalibration = false;
    app::TAppPropsForm dialog(*form);
    EXPECT_FALSE(FindChildOf<QTabWidget>(dialog)->isTabVisible(3));  // no peak-detection page
    auto* optimisation = FindNamed<QCheckBox>(dialog, "Оптимизация прорисовки кривой");
    auto* aa = FindNamed<QCheckBox>(dialog, "Антиалиасинг кривой");
    optimisation->click();
    ASSERT_FALSE(optimisation->isChecked());
    aa->click();
    EXPECT_TRUE(optimisation->isChecked());
    const auto infos = Asked(TPrompt::pkInfo);
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].text.rfind("Функция антиалиасинга должна использоваться при включенном режиме", 0),
              0u);
    aa->click();
    aa->click();  // on again with optimisation on: nothing to say
    EXPECT_EQ(Asked(TPrompt::pkInfo).size(), 1u);
    dialog.ApplyAndClose(false);
    EXPECT_TRUE(gConfig->useAA);
    EXPECT_TRUE(gConfig->drawOptimization);
}

TEST_F(SettingsDialogsTest, TheDataFolderAndTheRegistration) {
    const std::string share = dir.Str() + "share", config = dir.Str() + "config";
    setenv("XDG_DATA_HOME", share.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);  // where the desktop keeps default programs
    Start();
    app::TAppPropsForm dialog(*form);
    app::TPromptAnswer folder;
    folder.accepted = true, folder.fileName = dir.Str() + "runs";
    answers.push_back(folder);
    FindNamed<QPushButton>(dialog, "Обзор...")->click();
    EXPECT_EQ(Asked(TPrompt::pkFolder).at(0).caption, "Выберите папку с пользовательскими данными");
    EXPECT_EQ(Asked(TPrompt::pkFolder).at(0).folder, gConfig->appUserDataPath);
    EXPECT_EQ(FindNamed<QLineEdit>(dialog, "Папка по умочанию с файлами данных")->text().toStdString(),
              dir.Str() + "runs");
    FindNamed<QPushButton>(dialog, "Зарегистрировать")->click();
    ASSERT_EQ(Asked(TPrompt::pkInfo).size(), 1u);
    EXPECT_EQ(Asked(TPrompt::pkInfo)[0].text, "Расширение успешно зарегистрировано");
    EXPECT_EQ(RegistryUtil::GetStringParam("@", "Software\\Classes\\.dsc"), "DscDataFile");
    EXPECT_TRUE(std::filesystem::exists(share + "/applications/kalvero-dsc.desktop"));
    if (!SystemUtils::FindExecutable("xdg-mime").empty()) {
        EXPECT_NE(
            ReadFileBytes(config + "/mimeapps.list").find("application/x-kalvero-dsc=kalvero-dsc.desktop"),
            std::string::npos);
    }
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    dialog.ApplyAndClose(false);
    EXPECT_EQ(gConfig->appUserDataPath, dir.Str() + "runs/");
}

TEST_F(SettingsDialogsTest, DeviceSettingsWriteTheirGroupAndCheckTheRanges) {
    app::TKalveroForm& f = Start();
    const std::string settings = ReadFileBytes(Settings()), devices = ReadFileBytes(Devices());
    Trigger(f, "Настройки прибора");
    auto& dialog = Dialog<app::TDevPropsForm>();
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Настройки прибора - " + gConfig->GetInterfaceName());
    SaveArtifact(dialog, "device-settings");
    ClickButton(dialog, "ОК");
    EXPECT_EQ(ReadFileBytes(Settings()), settings);
    EXPECT_EQ(ReadFileBytes(Devices()), devices);

    const TIniMap before = ReadIni(Devices());
    Trigger(f, "Настройки прибора");
    auto& again = Dialog<app::TDevPropsForm>();
    const std::string t = gConfig->tempChannelName, units = gConfig->tempChannelUnitsName;
    Type(again, t + " от (" + units + ")", "150");
    Type(again, t + " до (" + units + ")", "150");
    ClickButton(again, "ОК и сохранить");
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0], "Значение ОТ не должно быть равно значению ДО");
    Type(again, t + " от (" + units + ")", "200");
    ClickButton(again, "ОК и сохранить");
    ASSERT_EQ(Errors().size(), 2u);
    EXPECT_EQ(Errors()[1], "Значение ОТ должно быть меньше значения ДО");
    EXPECT_EQ(ReadFileBytes(Devices()), devices);
    ASSERT_EQ(FindChildOf<app::TDevPropsForm>(f), &again);  // the dialog stays open

    // A total duration below the page time takes the page time; T below the table is clamped.
    Type(again, t + " от (" + units + ")", "-1000");
    Type(again, "Полная длительность (сек)", "100");
    Type(again, "Вермя страницы (сек)", "300");
    ClickButton(again, "ОК и сохранить");
    EXPECT_EQ(FindChildOf<app::TDevPropsForm>(f), nullptr);
    EXPECT_EQ(gConfig->endTime, 300);
    EXPECT_EQ(gConfig->timeWindowWidth, 300);
    EXPECT_EQ(gConfig->tMinValue, gTempCalibrationTable->GetUnitsValue(gTempCalibrationTable->begRealValue));
    const std::set<std::string> changed = ChangedKeys(before, ReadIni(Devices()));
    EXPECT_TRUE(Within(changed, kDevGroup)) << ::testing::PrintToString(changed);
    EXPECT_TRUE(changed.count("DEFAULT_DEVICE/EndTime"));
    EXPECT_EQ(ReadFileBytes(Settings()), settings);
}

TEST_F(SettingsDialogsTest, DecimationFollowsTheFrequencyAndAFrequencyOfZeroIsRefused) {
    Start();
    app::TDevPropsForm dialog(*form);
    auto* decimation = FindNamed<QComboBox>(dialog, "Прореживание");
    auto items = [decimation] {
        std::vector<std::string> texts;
        for (int k = 0; k < decimation->count(); ++k)
            texts.push_back(decimation->itemText(k).toStdString());
        return texts;
    };
    const auto initial = items();
    ASSERT_FALSE(initial.empty());
    EXPECT_EQ(initial.front(), "0");
    Type(dialog, "Частота опроса (Гц)", "abc");
    EXPECT_EQ(items(), initial);  // not a number: the list stays
    Type(dialog, "Частота опроса (Гц)", "100000");
    EXPECT_EQ(items(), std::vector<std::string>{"0"});  // nothing faster to divide down from
    Type(dialog, "Частота опроса (Гц)", "0");
    EXPECT_FALSE(dialog.ApplyAndClose(false));
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0], "Значение поля \"Частота опроса (Гц)\" должно быть больше нуля");
    EXPECT_FLOAT_EQ(gConfig->frequency, 25.0f);
}

TEST_F(SettingsDialogsTest, AChosenTableIsReloadedAndTheOpenWindowsFollowEvenAfterAnError) {
    Start();
    WriteTempTableFile(gConfig->fCalibrationTablesPath + "Wide.tbl", -100, 700);
    app::TfrmDataWindow& w = OpenRun();
    const TItem before = w.DataClass().items[500][0];
    {
        app::TDevPropsForm dialog(*form);
        auto* list = FindNamed<QComboBox>(dialog, "Калибровочная таблица: " + gConfig->tempChannelName);
        const QString configured = list->currentText();
        EXPECT_EQ(configured.toStdString(), gConfig->tempCalibrationTable);
        EXPECT_FALSE(dialog.ReloadFlags().temp);
        list->setCurrentIndex(list->findText("Wide.tbl"));
        list->setCurrentIndex(list->findText(configured));
        EXPECT_TRUE(dialog.ReloadFlags().temp);  // chosen back: still loaded again on OK
        list->setCurrentIndex(list->findText("Wide.tbl"));
        // The range check fails after the table was loaded (a reloaded table gives its whole T
        // range, the dT range is typed): the window shows the new table all the same.
        const std::string dt = gConfig->diffChannelName, units = gConfig->diffChannelUnitsName;
        Type(dialog, dt + " от (" + units + ")", "10");
        Type(dialog, dt + " до (" + units + ")", "5");
        EXPECT_FALSE(dialog.ApplyAndClose(false));
    }
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0], "Значение ОТ должно быть меньше значения ДО");
    EXPECT_EQ(gConfig->tempCalibrationTable, "Wide.tbl");
    const TItem after = w.DataClass().items[500][0];
    EXPECT_FLOAT_EQ(after.tc, gTempCalibrationTable->GetRealValue(after.t));
    EXPECT_NE(after.tc, before.tc);
}

TEST_F(SettingsDialogsTest, TheTablesFolderMustExist) {
    Start();
    app::TDevPropsForm dialog(*form);
    std::filesystem::remove_all(gConfig->fCalibrationTablesPath);
    FindNamed<QPushButton>(dialog, "Расположение файлов...")->click();
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0],
              "Папка с калибровочными таблицами  " + gConfig->fCalibrationTablesPath + " не найдена.");
}

TEST_F(SettingsDialogsTest, PropertiesStoreNewWordsOnlyAndAcceptEitherSeparator) {
    Start();
    app::TfrmDataWindow& w = OpenRun();
    const std::string devices = ReadFileBytes(Devices());
    const TIniMap before = ReadIni(Settings());
    Trigger(w, "Свойства графика");
    auto& dialog = Dialog<app::TPropdlgForm>();
    SaveArtifact(dialog, "experiment-properties");
    Type(dialog, "ФИО", "    ");
    Type(dialog, "Вещество", " Индий ");
    Type(dialog, "Масса навески (мг)", "12,5");
    ClickButton(dialog, "OK");
    EXPECT_TRUE(Errors().empty());
    const TDataClass& d = w.DataClass();
    EXPECT_EQ(d.fOperatorName, "");
    EXPECT_EQ(d.fSampleName, "Индий");
    EXPECT_DOUBLE_EQ(d.fSampleWeight, 12.5);
    EXPECT_TRUE(gConfig->operatorsList.empty());
    EXPECT_EQ(gConfig->samplesList, std::vector<std::string>{"Индий"});
    const std::set<std::string> changed = ChangedKeys(before, ReadIni(Settings()));
    EXPECT_EQ(changed, std::set<std::string>{"DataLibrary/materialsList"});
    EXPECT_EQ(ReadFileBytes(Devices()), devices);

    // Nothing new: nothing written; a point separates decimals as well.
    const std::string settings = ReadFileBytes(Settings());
    Trigger(w, "Свойства графика");
    auto& again = Dialog<app::TPropdlgForm>();
    EXPECT_EQ(FindNamed<QComboBox>(again, "Вещество")->currentText().toStdString(), "Индий");
    Type(again, "Масса навески (мг)", "7.25");
    ClickButton(again, "OK");
    EXPECT_DOUBLE_EQ(d.fSampleWeight, 7.25);
    EXPECT_EQ(ReadFileBytes(Settings()), settings);
}
