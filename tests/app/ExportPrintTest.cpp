// The export dialog, the print preview and printing driven as the operator drives them: the
// export's defaults, decimation, decimals, three columns and refusals, the spreadsheet handed to
// the desktop's spreadsheet program, the preview's margins and zoom, and the drawing surface back
// on the screen after every page.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>

#include <chrono>
#include <thread>

#include "app/AppTestSupport.h"
#include "app/PreviewForm.h"
#include "app/ProgressForm.h"
#include "app/QtUiHooks.h"
#include "app/TxtFileExportForm.h"
#include "common/Cp1251.h"
#include "support/PrintedPages.h"

using namespace kalvero;
using namespace kalvero::test;
using app::TPrompt;

namespace {

class ExportPrintTest : public TAppTest {
protected:
    void TearDown() override {
        if (!fOldPath.empty()) setenv("PATH", fOldPath.c_str(), 1);
        unsetenv("XDG_CACHE_HOME");
        TAppTest::TearDown();
    }
    // Opens the export dialog through the main window's Save with the text filter.
    app::TTxtFileExportForm& ExportDialog(app::TfrmDataWindow& w, const std::string& aFileName) {
        (void)w;
        AnswerFile(aFileName, 4);
        Trigger(*form, "Сохранить как...");
        app::TTxtFileExportForm* dialog = FindChildOf<app::TTxtFileExportForm>(*form);
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }
    std::vector<std::string> Lines(const std::string& aFileName) {
        const std::string text = Cp1251ToUtf8(ReadFileBytes(aFileName));
        std::vector<std::string> lines;
        for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
            lines.push_back(text.substr(at, end - at));
        return lines;
    }
    void Type(QLineEdit* aField, const std::string& aText) {
        ASSERT_NE(aField, nullptr);
        aField->selectAll();
        QTest::keyClicks(aField, QString::fromStdString(aText));
    }
    // A stand-in for the desktop's opener that records what it was given.
    std::string InstallOpener(bool aKnowsSpreadsheets) {
        const auto bin = dir.Path() / "bin-opener";
        std::filesystem::create_directories(bin);
        const std::string log = dir.Str() + "opened.log";
        WriteFileBytes(bin / "xdg-open", "#!/bin/sh\necho \"$1\" >> '" + log + "'\n");
        WriteFileBytes(bin / "xdg-mime",
                       std::string("#!/bin/sh\n") + (aKnowsSpreadsheets ? "echo calc.desktop\n" : ""));
        for (const char* name : {"xdg-open", "xdg-mime"})
            std::filesystem::permissions(bin / name, std::filesystem::perms::owner_all);
        fOldPath = std::getenv("PATH");
        setenv("PATH", (bin.string() + ":/bin:/usr/bin").c_str(), 1);
        setenv("XDG_CACHE_HOME", (dir.Str() + "cache").c_str(), 1);
        return log;
    }
    void ExpectScreenSurface(app::TfrmDataWindow& w) {
        const TDataCanvas& c = w.Canvas();
        EXPECT_FALSE(c.IsPrinting());
        EXPECT_EQ(c.GetPCM(), 1);
        EXPECT_EQ(c.GetMarginLeft(), 10);
        EXPECT_EQ(c.GetMarginTop(), 0);
        EXPECT_EQ(c.GetWidth(), w.Plot().width());
        EXPECT_EQ(w.DataClass().graphicWidth, c.GetGraphicWidth());  // the plot was drawn on screen again
    }
    std::string fOldPath;
};

}  // namespace

TEST_F(ExportPrintTest, TextExportStartsWithTheDefaultsAndWritesTheRows) {
    app::TfrmDataWindow& w = OpenRun();
    const int items = w.DataClass().GetItemCount();
    const std::string out = dir.Str() + "run.csv";
    app::TTxtFileExportForm& dialog = ExportDialog(w, out);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Сохранение в текстовый файл");
    EXPECT_TRUE(FindNamed<QRadioButton>(dialog, "Вся кривая")->isChecked());
    EXPECT_TRUE(FindNamed<QCheckBox>(dialog, "Прореживание")->isChecked());
    EXPECT_EQ(FindNamed<QLineEdit>(dialog, "Шаг")->text(), "10");
    EXPECT_EQ(FindNamed<QComboBox>(dialog, "Разделитель столбцов")->currentText(), "TAB");
    EXPECT_EQ(FindNamed<QComboBox>(dialog, "Десятичный разделитель")->currentText(), ",");
    EXPECT_EQ(FindNamed<QComboBox>(dialog, "Знаков после запятой")->currentText(), "Все");
    EXPECT_TRUE(FindNamed<QCheckBox>(dialog, "Включить названия столбцов в заголовок")->isChecked());
    const int rows = (items - 1) / 10 + 1;
    EXPECT_EQ(FindNamed<QLabel>(dialog, "Всего точек")->text().toInt(), rows);
    auto* preview = FindNamed<QPlainTextEdit>(dialog, "Пример результата");
    ASSERT_NE(preview, nullptr);
    const QStringList previewLines = preview->toPlainText().split('\n');
    EXPECT_EQ(previewLines.size(), 10);  // the header and nine rows
    EXPECT_EQ(previewLines[0].toStdString(), "Время, сек.\tdT, К");
    SaveArtifact(dialog, "text-export");

    ClickButton(dialog, "Сохранить");
    EXPECT_EQ(FindChildOf<app::TTxtFileExportForm>(*form), nullptr);
    const auto lines = Lines(out);
    ASSERT_EQ(static_cast<int>(lines.size()), rows + 1);
    EXPECT_EQ(lines[0], "Время, сек.\tdT, К");
    EXPECT_EQ(lines[2], previewLines[2].toStdString());
    EXPECT_EQ(lines[2].substr(0, lines[2].find('\t')), "0,4");  // item 10 at 25 Hz
}

TEST_F(ExportPrintTest, DecimationStepDecimalsAndThreeColumns) {
    app::TfrmDataWindow& w = OpenRun();
    const int items = w.DataClass().GetItemCount();
    w.DataClass().diffTempScale = dtsDegrees;
    const std::string out = dir.Str() + "all.csv";
    app::TTxtFileExportForm& dialog = ExportDialog(w, out);
    auto* count = FindNamed<QLabel>(dialog, "Всего точек");
    auto* step = FindNamed<QLineEdit>(dialog, "Шаг");
    Type(step, "0");
    EXPECT_EQ(step->text(), "1");  // a step 0 is a step 1, and the field says so
    EXPECT_EQ(count->text().toInt(), items);
    Type(step, "25");
    EXPECT_EQ(count->text().toInt(), (items - 1) / 25 + 1);
    FindNamed<QCheckBox>(dialog, "Прореживание")->click();
    EXPECT_EQ(count->text().toInt(), items);  // without decimation every item, whatever the step
    auto* decimals = FindNamed<QComboBox>(dialog, "Знаков после запятой");
    decimals->setCurrentIndex(decimals->findText("0"));
    ClickButton(dialog, "Сохранить");
    const auto lines = Lines(out);
    ASSERT_EQ(static_cast<int>(lines.size()), items + 1);
    const std::string row = lines[items / 2];
    EXPECT_EQ(row.find(','), std::string::npos) << row;  // no decimals at all
    EXPECT_NE(row.find('\t'), std::string::npos);

    // Both curves over time: three columns.
    w.SetViewMode(vm_view_dt_and_temp_by_time);
    const std::string three = dir.Str() + "three.csv";
    app::TTxtFileExportForm& again = ExportDialog(w, three);
    ClickButton(again, "Сохранить");
    const auto threeLines = Lines(three);
    ASSERT_GT(threeLines.size(), 2u);
    EXPECT_EQ(std::count(threeLines[0].begin(), threeLines[0].end(), '\t'), 2) << threeLines[0];
    EXPECT_EQ(std::count(threeLines[1].begin(), threeLines[1].end(), '\t'), 2) << threeLines[1];
}

TEST_F(ExportPrintTest, ExportsThatWouldBeUnreadableOrFailLeaveTheGoodFile) {
    app::TfrmDataWindow& w = OpenRun();
    const std::string out = dir.Str() + "good.csv";
    WriteFileBytes(out, "good");
    app::TTxtFileExportForm& dialog = ExportDialog(w, out);
    auto* columns = FindNamed<QComboBox>(dialog, "Разделитель столбцов");
    Type(columns->lineEdit(), ",");
    EXPECT_FALSE(FindNamed<QLabel>(dialog, "Замечание")->text().isEmpty());  // said at once
    ClickButton(dialog, "Сохранить");
    ASSERT_EQ(Asked(TPrompt::pkError).size(), 1u);
    EXPECT_EQ(Asked(TPrompt::pkError)[0].text.rfind("Десятичный разделитель не должен совпадать", 0), 0u);
    EXPECT_EQ(ReadFileBytes(out), "good");
    ASSERT_EQ(FindChildOf<app::TTxtFileExportForm>(*form), &dialog);  // still open to mend it

    Type(columns->lineEdit(), ";");
    dialog.SaveToFile();
    EXPECT_EQ(Lines(out).at(0), "Время, сек.;dT, К");

    // A file that cannot be written: the error, the dialog open, nothing left behind.
    const std::string blocked = dir.Str() + "good.csv/inside.csv";
    app::TTxtFileExportForm other(&w, w.DataClass(), blocked, false);
    EXPECT_FALSE(other.SaveToFile());
    ASSERT_EQ(Asked(TPrompt::pkError).size(), 2u);
    EXPECT_EQ(Asked(TPrompt::pkError)[1].text.rfind("Ошибка при сохранении файла: ", 0), 0u);
    EXPECT_EQ(Lines(out).at(0), "Время, сек.;dT, К");
}

TEST_F(ExportPrintTest, TheSpreadsheetGoesToTheDesktopsSpreadsheetProgram) {
    app::TfrmDataWindow& w = OpenRun();
    {
        const std::string log = InstallOpener(false);
        app::TTxtFileExportForm dialog(&w, w.DataClass(), "", true);
        EXPECT_FALSE(dialog.SendToSpreadsheet());
        ASSERT_EQ(Asked(TPrompt::pkInfo).size(), 1u);
        EXPECT_EQ(Asked(TPrompt::pkInfo)[0].text,
                  "На вашем компьютере не установлен Microsoft Excel. Экспорт невозможен.");
        EXPECT_FALSE(std::filesystem::exists(log));
    }
    const std::string log = InstallOpener(true);
    Trigger(w, "Переслать в Excel");
    app::TTxtFileExportForm* dialog = FindChildOf<app::TTxtFileExportForm>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Экспорт в Excel");
    EXPECT_FALSE(FindNamed<QComboBox>(*dialog, "Разделитель столбцов")->isVisibleTo(dialog));
    EXPECT_EQ(FindNamed<QComboBox>(*dialog, "Десятичный разделитель")->currentText(), ".");
    SaveArtifact(*dialog, "spreadsheet-export");
    form->UiHooks().Progress().TakeShownCaptions();
    ClickButton(*dialog, "Переслать в Excel");
    const std::string workbook = app::TTxtFileExportForm::SpreadsheetFolder() +
                                 std::filesystem::path(RecordedRun()).stem().string() + ".xlsx";
    ASSERT_TRUE(std::filesystem::exists(workbook));
    EXPECT_EQ(ReadFileBytes(workbook).substr(0, 2), "PK");
    const auto shown = form->UiHooks().Progress().TakeShownCaptions();
    EXPECT_NE(std::find(shown.begin(), shown.end(), "Производится экспорт в Excel"), shown.end());
    std::string opened;
    for (int k = 0; k < 200 && opened.empty(); ++k) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (std::filesystem::exists(log)) opened = ReadFileBytes(log);
    }
    EXPECT_EQ(opened, workbook + "\n");
    EXPECT_FALSE(form->UiHooks().Progress().IsActive());
}

TEST_F(ExportPrintTest, PreviewMarginsZoomAndTheScreenAfterClosing) {
    app::TfrmDataWindow& w = OpenRun();
    {
        // Before the window is shown nothing draws, whatever changes.
        app::TPreviewForm hidden(&w);
        hidden.SetDataClass(w.Experiment());
        auto* zoom = FindNamed<QComboBox>(hidden, "Масштаб (%)");
        EXPECT_EQ(zoom->currentText(), "25");
        zoom->setCurrentIndex(zoom->findText("200"));
        EXPECT_EQ(hidden.PageDrawCount(), 0);
        EXPECT_DOUBLE_EQ(hidden.Preview().zoomFactor(), 2.0);
    }
    gConfig->topPrintMargin = 12;
    Trigger(*form, "Просмотр перед печатью");
    app::TPreviewForm* preview = FindChildOf<app::TPreviewForm>(*form);
    ASSERT_NE(preview, nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(FindNamed<QRadioButton>(*preview, "Альбомная")->isChecked());
    EXPECT_EQ(preview->Printer().pageLayout().orientation(), QPageLayout::Landscape);
    const int drawn = preview->PageDrawCount();
    EXPECT_GE(drawn, 1);
    auto* top = FindNamed<QLineEdit>(*preview, "Верхняя");
    EXPECT_EQ(top->text(), "12");
    EXPECT_EQ(FindNamed<QLineEdit>(*preview, "Левая")->text().toInt(), gConfig->leftPrintMargin);
    SaveArtifact(*preview, "print-preview");

    Type(top, "x");  // a letter: the configured margin comes back, the page stays
    EXPECT_EQ(top->text(), "12");
    EXPECT_EQ(preview->PageDrawCount(), drawn);
    EXPECT_DOUBLE_EQ(preview->Printer().pageLayout().margins(QPageLayout::Millimeter).top(), 12);
    Type(top, "25");
    EXPECT_DOUBLE_EQ(preview->Printer().pageLayout().margins(QPageLayout::Millimeter).top(), 25);
    EXPECT_GT(preview->PageDrawCount(), drawn);
    FindNamed<QRadioButton>(*preview, "Книжная")->click();
    EXPECT_EQ(preview->Printer().pageLayout().orientation(), QPageLayout::Portrait);
    ExpectScreenSurface(w);  // between pages the surface is the screen's

    ClickButton(*preview, "Закрыть");
    EXPECT_EQ(FindChildOf<app::TPreviewForm>(*form), nullptr);
    ExpectScreenSurface(w);
    EXPECT_EQ(gConfig->topPrintMargin, 12);  // the preview's margins are the page's only
}

TEST_F(ExportPrintTest, PrintingWithoutThePreviewOnePdfPageOrNothingWhenCancelled) {
    app::TfrmDataWindow& w = OpenRun();
    AnswerNo();  // the printer dialog cancelled
    Trigger(*form, "Печать");
    ASSERT_EQ(Asked(TPrompt::pkPrinter).size(), 1u);
    ExpectScreenSurface(w);

    const std::string pdf = dir.Str() + "printed.pdf";
    AnswerFile(pdf);
    Trigger(*form, "Печать");
    ASSERT_TRUE(std::filesystem::exists(pdf));
    const std::string bytes = ReadFileBytes(pdf);
    EXPECT_EQ(PdfPageCount(bytes), 1u);
    EXPECT_TRUE(IsLandscapeA4(bytes));
    ExpectScreenSurface(w);
    EXPECT_EQ(FindChildOf<app::TPreviewForm>(*form), nullptr);  // printed without a window left
}
