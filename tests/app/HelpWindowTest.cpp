// The help window driven as the operator drives it: topics and contents, back and forward, the
// search, links between the books, the help buttons of every window, the help standing on a modal
// dialog, the plug-in's book, and the missing book in the system's words. The pages of docs/help
// are checked too: every link and picture leads to a file that is there.

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTextBrowser>
#include <QToolButton>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "app/AppPropsForm.h"
#include "app/AppTestSupport.h"
#include "app/CalibrationDialog.h"
#include "app/DevPropsForm.h"
#include "app/Dialogs.h"
#include "app/HelpWindow.h"
#include "app/ScanControlForm.h"
#include "app/SubtractionForm.h"
#include "calibration/TempCalibration.h"
#include "plugins/PluginUtil.h"
#include "system/RegistryUtil.h"

using namespace kalvero;
using namespace kalvero::test;
using app::THelpWindow;
using app::TPrompt;

namespace {

namespace fs = std::filesystem;

const fs::path kHelpSources = fs::path(kSourceDir) / "docs" / "help";

std::string ReadText(const fs::path& aFile) {
    std::ifstream in(aFile, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class HelpWindowTest : public TAppTest {
protected:
    // The books where a build puts them: beside the program, laid out as in docs/help.
    void InstallBooks() { fs::copy(kHelpSources, appDir, fs::copy_options::recursive); }
    void InstallKinetics() {
        TAppConfig config(appDir, dataDir);
        RegistryUtil::SetMachineStoreFile(config.fProgramDataPath + "registry.ini");
        InstallPlugin(config, KINETICS_PLUGIN, "TKinetics");
    }
    std::string ProgramBook() const { return gConfig->fApplicationPath + "Kalvero/"; }
    THelpWindow& Help() {
        QCoreApplication::processEvents();
        THelpWindow* window = THelpWindow::Instance();
        if (!window) throw std::runtime_error("no help window");
        return *window;
    }
    std::string Page() { return Help().CurrentPage().string(); }
    std::string Shown() { return Help().CurrentPage().filename().string(); }
    void ClickItem(QListWidget& aList, const QString& aText) {
        const QList<QListWidgetItem*> items = aList.findItems(aText, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << aText.toStdString();
        QTest::mouseClick(aList.viewport(), Qt::LeftButton, {}, aList.visualItemRect(items[0]).center());
        QCoreApplication::processEvents();
    }
    void ClickTool(const std::string& aHint) {
        auto* button = FindNamed<QToolButton>(Help(), aHint);
        ASSERT_NE(button, nullptr) << aHint;
        ASSERT_TRUE(button->isEnabled()) << aHint;
        button->click();
        QCoreApplication::processEvents();
    }
    // Clicks the link whose text is aText on the shown page.
    void ClickLink(const QString& aText) {
        QTextBrowser& browser = Help().Browser();
        browser.moveCursor(QTextCursor::Start);
        ASSERT_TRUE(browser.find(aText)) << aText.toStdString();
        QTextCursor cursor = browser.textCursor();
        cursor.setPosition(cursor.selectionStart() + 1);
        const QPoint at = browser.cursorRect(cursor).center();
        QTest::mouseClick(browser.viewport(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    }
    void Type(const std::string& aText) {
        QLineEdit& field = Help().SearchField();
        field.clear();
        field.insert(QString::fromStdString(aText));  // the test keyboard has Latin keys only
        QCoreApplication::processEvents();
    }
    std::vector<std::string> Found() {
        std::vector<std::string> titles;
        for (int k = 0; k < Help().Found().count(); ++k)
            titles.push_back(Help().Found().item(k)->text().toStdString());
        return titles;
    }
    // Whether a label of the help window reads aText.
    bool Says(const std::string& aText) {
        for (const QLabel* label : Help().findChildren<QLabel*>())
            if (label->text().toStdString() == aText) return true;
        return false;
    }
    std::vector<std::string> Errors() const {
        std::vector<std::string> texts;
        for (const TPrompt& p : Asked(TPrompt::pkError))
            texts.push_back(p.text);
        return texts;
    }
};

TEST_F(HelpWindowTest, ATopicOpensItsPageAndTheEmptyTopicTheContentsInTheSameWindow) {
    InstallBooks();
    app::TKalveroForm& f = Start();
    EXPECT_EQ(THelpWindow::Instance(), nullptr);
    app::ShowHelp(&f, "performing_experiment_scanning");
    THelpWindow& help = Help();
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.windowTitle().toStdString(), "Справка");
    EXPECT_EQ(Page(), ProgramBook() + "performing_experiment_scanning.html");
    EXPECT_EQ(help.Browser().documentTitle().toStdString(), "Проведение эксперимента (сканирование)");
    EXPECT_TRUE(help.Browser().toPlainText().contains("Стоп и сохранить файл"));

    Trigger(f, "Cправка по программе");
    EXPECT_EQ(THelpWindow::Instance(), &help);  // reused, not a second window
    EXPECT_EQ(Page(), ProgramBook() + "index.html");
    // The contents: every page of the book, the contents page first and where it stands marked.
    const QListWidget& contents = help.Contents();
    int pages = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(ProgramBook()))
        pages += e.path().extension() == ".html";
    EXPECT_EQ(contents.count(), pages);
    EXPECT_EQ(contents.item(0)->text().toStdString(), "Справка по программе");
    EXPECT_EQ(contents.currentRow(), 0);
    // The contents list follows the page's own list of links.
    EXPECT_EQ(contents.item(1)->text().toStdString(), "Окно эксперимента и его инструменты");
    EXPECT_EQ(contents.item(2)->text().toStdString(), "Проведение эксперимента (сканирование)");
    EXPECT_TRUE(prompts.empty());
    SaveArtifact(help, "help-contents");
}

TEST_F(HelpWindowTest, ContentsLinksBackForwardAndHomeMoveThroughTheBook) {
    InstallBooks();
    app::TKalveroForm& f = Start();
    app::ShowHelp(&f, "");
    EXPECT_FALSE(FindNamed<QToolButton>(Help(), "Назад")->isEnabled());
    ClickItem(Help().Contents(), "Настройки прибора");
    EXPECT_EQ(Shown(), "calibration_and_configuring_configuring_device.html");
    EXPECT_EQ(Help().Contents().currentItem()->text().toStdString(), "Настройки прибора");
    ClickLink("Настройки программы");  // the link at the page's top
    EXPECT_EQ(Shown(), "calibration_and_configuring_configuring_program.html");
    ClickTool("Назад");
    EXPECT_EQ(Shown(), "calibration_and_configuring_configuring_device.html");
    ClickTool("Назад");
    EXPECT_EQ(Shown(), "index.html");
    ClickTool("Вперёд");
    EXPECT_EQ(Shown(), "calibration_and_configuring_configuring_device.html");
    ClickTool("Начальная страница");
    EXPECT_EQ(Shown(), "index.html");
    // Every control of the window is named for the screen reader.
    for (const char* name : {"Страница справки", "Содержание", "Искать", "Найденные страницы"})
        EXPECT_NE(FindNamed<QWidget>(Help(), name), nullptr) << name;
}

TEST_F(HelpWindowTest, TheSearchListsThePagesThatHoldEveryWord) {
    InstallBooks();
    app::TKalveroForm& f = Start();
    app::ShowHelp(&f, "");
    FindChildOf<QTabBar>(Help())->setCurrentIndex(1);
    const std::string subtraction = "Вычитание данных (коррекция базовой линии)";

    Type("движком уровень");
    EXPECT_EQ(Found(), std::vector<std::string>{subtraction});
    EXPECT_TRUE(Says("Найдено страниц: 1"));
    Type("ДВИЖКОМ  Уровень,");  // letter case, blanks and punctuation aside
    EXPECT_EQ(Found(), std::vector<std::string>{subtraction});
    Type("движком термопары");  // the second word is on another page only
    EXPECT_TRUE(Found().empty());
    EXPECT_TRUE(Says("Ни на одной странице нет всех этих слов"));
    Type("вперед");  // "ё" is found as "е"
    EXPECT_EQ(Found(), std::vector<std::string>{"Справка по программе"});
    Type("href");  // what stands only in the tags is not the page's text
    EXPECT_TRUE(Found().empty());

    Type("скорость нагрева");
    const std::vector<std::string> found = Found();
    EXPECT_GE(found.size(), 2u);
    EXPECT_NE(std::find(found.begin(), found.end(), "Проведение эксперимента (сканирование)"), found.end());
    EXPECT_EQ(std::find(found.begin(), found.end(), subtraction), found.end());
    ClickItem(Help().Found(), "Проведение эксперимента (сканирование)");
    EXPECT_EQ(Shown(), "performing_experiment_scanning.html");
    EXPECT_EQ(Help().Browser().textCursor().selectedText().toLower().toStdString(), "скорость");

    Type("");
    EXPECT_TRUE(Found().empty());
}

TEST_F(HelpWindowTest, EveryHelpButtonOfTheWindowsOpensThePageOfItsTopic) {
    InstallBooks();
    app::TKalveroForm& f = Start();
    std::vector<std::string> shown;
    auto press = [&](QWidget& aWindow, const std::string& aName) {
        auto* button = FindNamed<QPushButton>(aWindow, aName);
        ASSERT_NE(button, nullptr) << aName;
        ASSERT_TRUE(button->isEnabled()) << aName;
        button->click();
        QCoreApplication::processEvents();
        shown.push_back(Shown());
    };
    Trigger(f, "Cправка по программе");
    shown.push_back(Shown());
    // The run control helps once it is bound to an experiment.
    app::ShowScanControl(*f.NewDataWindow());
    press(f.ScanControl(), "Справка");
    press(f.SubtractionForm(), "Справка по обработке данных");
    {
        // The calibration dialog runs modally: the help stands on it while it is open.
        app::TCalibrationFrm dialog(&f, gTempCalibrationTable, nullptr, {});
        dialog.show();
        QCoreApplication::processEvents();
        auto* pages = FindChildOf<QTabBar>(dialog);
        ASSERT_EQ(pages->count(), 3);
        for (int k = 0; k < pages->count(); ++k) {
            pages->setCurrentIndex(k);
            press(dialog, "Помощь");
        }
        EXPECT_EQ(Help().parentWidget(), &dialog);
    }
    EXPECT_EQ(Help().parentWidget(), &f);  // not freed with the dialog
    EXPECT_TRUE(Help().isVisible());
    app::ShowProgramSettings(f);
    press(*FindChildOf<app::TAppPropsForm>(f), "Помощь");
    ClickButton(*FindChildOf<app::TAppPropsForm>(f), "Отмена");
    app::ShowDeviceSettings(f);
    press(*FindChildOf<app::TDevPropsForm>(f), "Помощь");
    ClickButton(*FindChildOf<app::TDevPropsForm>(f), "Отмена");
    EXPECT_NE(THelpWindow::Instance(), nullptr);

    const std::vector<std::string> topics = {"index.html",
                                             "performing_experiment_scanning.html",
                                             "result_processing_substraction.html",
                                             "calibration_and_configuring_calibration_temperature.html",
                                             "calibration_and_configuring_calibration_diff_temperature.html",
                                             "calibration_and_configuring_calibration_heat.html",
                                             "calibration_and_configuring_configuring_program.html",
                                             "calibration_and_configuring_configuring_device.html"};
    EXPECT_EQ(shown, topics);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(HelpWindowTest, AMissingBookOrTopicIsReportedWithTheFileLookedFor) {
    app::TKalveroForm& f = Start();
    Trigger(f, "Cправка по программе");
    EXPECT_EQ(Errors(), std::vector<std::string>{"Файл справки " + ProgramBook() + "index.html не найден"});
    EXPECT_EQ(THelpWindow::Instance(), nullptr);

    InstallBooks();
    app::ShowHelp(&f, "no_such_topic");
    ASSERT_EQ(Errors().size(), 2u);
    EXPECT_EQ(Errors()[1], "Файл справки " + ProgramBook() + "no_such_topic.html не найден");
    // The settings name the help file; its book is the folder named after it.
    gConfig->helpFile = "Manual.chm";
    app::ShowHelp(&f, "");
    ASSERT_EQ(Errors().size(), 3u);
    EXPECT_EQ(Errors()[2], "Файл справки " + gConfig->fApplicationPath + "Manual/index.html не найден");
    EXPECT_EQ(THelpWindow::Instance(), nullptr);
}

TEST_F(HelpWindowTest, ThePluginsHelpOpensItsBookWhichLinksToTheProgramsBook) {
    InstallKinetics();
    InstallBooks();
    app::TKalveroForm& f = Start();
    ASSERT_NE(f.Command("Справка: Kinetics"), nullptr);
    Trigger(f, "Справка: Kinetics");
    EXPECT_EQ(Page(), gConfig->fApplicationPath + "plugins/Kinetics/index.html");
    ASSERT_EQ(Help().Contents().count(), 2);
    EXPECT_EQ(Help().Contents().item(0)->text().toStdString(), "Кинетика по Киссинджеру");
    EXPECT_EQ(Help().Contents().item(1)->text().toStdString(), "Изоконверсионный анализ");
    EXPECT_TRUE(Help().Browser().toPlainText().contains("Кинетика по Киссинджеру"));
    SaveArtifact(Help(), "help-kinetics");
    // A link into the program's book brings its contents.
    ClickLink("Справка по программе");
    EXPECT_EQ(Page(), ProgramBook() + "index.html");
    EXPECT_GT(Help().Contents().count(), 1);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(HelpWindowTest, ThePluginsHelpWithoutItsBookIsReported) {
    InstallKinetics();
    app::TKalveroForm& f = Start();
    Trigger(f, "Справка: Kinetics");
    EXPECT_EQ(Errors(), std::vector<std::string>{"Файл справки " + gConfig->fApplicationPath +
                                                 "plugins/Kinetics/index.html не найден"});
    EXPECT_EQ(THelpWindow::Instance(), nullptr);
}

// The links, pictures and style sheets of a page, as written in it.
std::vector<std::string> Targets(const std::string& aHtml) {
    static const std::regex kTarget("(?:href|src)\\s*=\\s*\"([^\"]*)\"");
    std::vector<std::string> targets;
    for (auto it = std::sregex_iterator(aHtml.begin(), aHtml.end(), kTarget); it != std::sregex_iterator();
         ++it)
        targets.push_back((*it)[1]);
    return targets;
}

TEST_F(HelpWindowTest, EveryPageLoadsWithItsLinksAndPicturesThere) {
    InstallBooks();
    app::TKalveroForm& f = Start();
    app::ShowHelp(&f, "");
    int pages = 0, pictures = 0;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(appDir)) {
        if (e.path().extension() != ".html") continue;
        ++pages;
        const std::string html = ReadText(e.path());
        EXPECT_NE(html.find("<title>"), std::string::npos) << e.path();
        for (const std::string& target : Targets(html)) {
            if (target.find(':') != std::string::npos) continue;  // a web address
            const std::string file = target.substr(0, target.find('#'));
            const fs::path resolved = file.empty() ? e.path() : e.path().parent_path() / file;
            ASSERT_TRUE(fs::is_regular_file(resolved)) << e.path() << ": " << target;
            if (const size_t hash = target.find('#'); hash != std::string::npos) {
                const std::string id = "id=\"" + target.substr(hash + 1) + "\"";
                EXPECT_NE(ReadText(resolved).find(id), std::string::npos) << e.path() << ": " << target;
            }
            if (resolved.extension() == ".png") {
                ++pictures;
                EXPECT_FALSE(QImage(QString::fromStdString(resolved.string())).isNull()) << target;
                EXPECT_LT(fs::file_size(resolved), 150u * 1024) << target;
            }
        }
        Help().ShowPage(e.path());
        EXPECT_EQ(Help().CurrentPage(), e.path().lexically_normal());
        EXPECT_FALSE(Help().Browser().documentTitle().isEmpty()) << e.path();
        EXPECT_GT(Help().Browser().toPlainText().size(), 200) << e.path();
    }
    EXPECT_GE(pages, 11);
    EXPECT_GE(pictures, 4);
    EXPECT_TRUE(Errors().empty());
}

}  // namespace
