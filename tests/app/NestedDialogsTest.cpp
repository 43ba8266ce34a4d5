// Windows closed from outside (as an assistive tool or a window manager closes them) while a modal
// dialog of their own code runs in a nested loop: the real dialogs run, the close comes inside
// their loop, and afterwards the program is whole. One test per way the program nests a loop: a
// dialog's chooser, a message box over the main window, a data window's panel, the main window's
// choosers, the calibration dialog, printing, the scanning window and the progress window's pump.

#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPushButton>
#include <QTimer>

#include "app/AppPropsForm.h"
#include "app/AppTestSupport.h"
#include "app/CalibrationDialog.h"
#include "app/ChannelPanel.h"
#include "app/ProgressForm.h"
#include "app/QtUiHooks.h"
#include "app/ScanControlForm.h"
#include "app/TxtFileExportForm.h"

using namespace kalvero;
using namespace kalvero::test;
using app::TfrmDataWindow;

namespace {

QMdiSubWindow* SubWindowOf(TfrmDataWindow& aWindow) {
    for (QWidget* w = &aWindow; w; w = w->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) return sub;
    return nullptr;
}

QAbstractButton* ButtonStartingWith(const QWidget& aRoot, const QString& aText) {
    for (QAbstractButton* b : aRoot.findChildren<QAbstractButton*>())
        if (app::StripAccel(b->text()).startsWith(aText)) return b;
    return nullptr;
}

// Clicks, as the accessibility bus does, a button that a modal dialog may hide from the mouse.
void Press(QWidget& aRoot, const std::string& aCaption) {
    auto* button = FindNamed<QAbstractButton>(aRoot, aCaption);
    if (!button) button = ButtonStartingWith(aRoot, QString::fromStdString(aCaption));
    ASSERT_NE(button, nullptr) << aCaption;
    button->click();
}

class NestedDialogsTest : public TAppTest {
protected:
    using TStep = std::function<void(QDialog&)>;

    // Runs aStart, which runs a modal dialog of type T in a loop of its own, and while it runs the
    // steps one after another, each given that dialog, the loop's events between them. The prompts
    // are the real dialogs meanwhile unless aRealPrompts is false. A dialog still modal five
    // seconds after the last step is ended (and the test fails), so that nothing hangs. The steps
    // done.
    template <typename T>
    size_t WhileNested(const std::function<void()>& aStart, const std::vector<TStep>& aSteps,
                       bool aRealPrompts = true) {
        if (aRealPrompts) app::SetPromptAnswerer({});
        size_t next = 0;
        int idle = 0;
        QTimer timer;
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto* top = dynamic_cast<T*>(QApplication::activeModalWidget());
            if (top && top->isVisible() && next < aSteps.size()) {
                aSteps[next++](*top);
                return;
            }
            if (++idle < 500) return;
            idle = 0;
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "left running: " << modal->windowTitle().toStdString();
                modal->reject();
            }
        });
        timer.start();
        aStart();
        timer.stop();
        app::SetPromptAnswerer([this](const app::TPrompt& p) { return Answer(p); });
        return next;
    }
    // Lets the event loop do what was put off (closes, freeing).
    static void Settle() {
        for (int k = 0; k < 3; ++k) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    // aStart runs a dialog of type T for a window that aClose closes from outside while it runs:
    // the dialog ends with the window, at once.
    template <typename T>
    void ExpectEndedWithItsWindow(const std::function<void()>& aStart, const std::function<void()>& aClose) {
        const size_t steps = WhileNested<T>(aStart, {[&](QDialog& aDialog) {
                                                         aClose();
                                                         EXPECT_FALSE(aDialog.isVisible())
                                                             << "not cancelled with its window";
                                                     },
                                                     [](QDialog& aDialog) { aDialog.reject(); }});
        EXPECT_EQ(steps, 1u);
    }
    void ExpectMainWindowWorks() {
        const size_t before = form->DataWindows().size();
        Trigger(*form, "Новое окно");
        EXPECT_EQ(form->DataWindows().size(), before + 1);
        Trigger(*form, "Настройки программы");
        auto* settings = FindChildOf<app::TAppPropsForm>(*form);
        ASSERT_NE(settings, nullptr);
        ClickButton(*settings, "Отмена");
        EXPECT_EQ(FindChildOf<app::TAppPropsForm>(*form), nullptr);
    }
};

// The file name typed into a file chooser's field, as the operator types it.
void TypeFileName(QDialog& aChooser, const std::string& aFileName) {
    auto* field = aChooser.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(field, nullptr);
    field->setText(QString::fromStdString(aFileName));
}

}  // namespace

// The dialog frees itself on closing; its folder chooser is its child, on the stack below.
TEST_F(NestedDialogsTest, SettingsCancelledUnderTheirFolderChooser) {
    Start();
    Trigger(*form, "Настройки программы");
    QPointer<app::TAppPropsForm> settings = FindChildOf<app::TAppPropsForm>(*form);
    ASSERT_NE(settings, nullptr);
    const QString folder = FindNamed<QLineEdit>(*settings, "Папка по умочанию с файлами данных")->text();
    ExpectEndedWithItsWindow<QFileDialog>([&] { Press(*settings, "Обзор..."); },
                                          [&] { Press(*settings, "Отмена"); });
    ASSERT_FALSE(settings.isNull());  // freed only once the chooser's code is done
    EXPECT_FALSE(settings->isVisible());
    EXPECT_EQ(FindNamed<QLineEdit>(*settings, "Папка по умочанию с файлами данных")->text(), folder);
    Settle();
    EXPECT_TRUE(settings.isNull());
    ExpectMainWindowWorks();
}

// A message box stands over the main window, not over the dialog whose code raised it: it stays,
// and the code after it still finds its dialog.
TEST_F(NestedDialogsTest, ExportCancelledUnderItsErrorBox) {
    TfrmDataWindow& w = OpenRun();
    const std::string out = dir.Str() + "run.csv";
    AnswerFile(out, 4);
    Trigger(*form, "Сохранить как...");
    QPointer<app::TTxtFileExportForm> dialog = FindChildOf<app::TTxtFileExportForm>(w);
    ASSERT_NE(dialog, nullptr);
    auto* columns = FindNamed<QComboBox>(*dialog, "Разделитель столбцов");
    columns->setEditText(",");  // the decimal separator too: the export refuses
    const size_t steps = WhileNested<QMessageBox>([&] { Press(*dialog, "Сохранить"); },
                                                  {[&](QDialog& box) {
                                                       EXPECT_EQ(box.windowTitle(), "Произошла ошибка");
                                                       Press(*dialog, "Отмена");
                                                       EXPECT_FALSE(dialog->isVisible());
                                                       EXPECT_TRUE(box.isVisible());
                                                   },
                                                   [](QDialog& box) {
                                                       auto& b = dynamic_cast<QMessageBox&>(box);
                                                       b.button(QMessageBox::Ok)->click();
                                                   }});
    EXPECT_EQ(steps, 2u);
    Settle();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_FALSE(std::filesystem::exists(out));
    ExpectMainWindowWorks();
}

// The colour chooser is a child of the panel inside the data window; closing the window frees
// its experiment and the panel.
TEST_F(NestedDialogsTest, DataWindowClosedUnderItsPanelsColourChooser) {
    TfrmDataWindow& w = OpenRun();
    Trigger(w, "Панель каналов");
    auto* panel = FindChildOf<app::TChannelPanel>(w);
    ASSERT_NE(panel, nullptr);
    QPointer<QMdiSubWindow> sub = SubWindowOf(w);
    ASSERT_NE(sub, nullptr);
    ExpectEndedWithItsWindow<QColorDialog>([&] { Press(*panel, "Цвет"); }, [&] { sub->close(); });
    Settle();
    EXPECT_TRUE(sub.isNull());  // the close was put off, not refused
    EXPECT_TRUE(form->DataWindows().empty());
    ExpectMainWindowWorks();
}

// The main window's file chooser saves a data window that is closed meanwhile: the window's
// close waits, the answer is carried out, then the window closes.
TEST_F(NestedDialogsTest, DataWindowClosedWhileTheMainWindowChoosesWhereToSaveIt) {
    TfrmDataWindow& w = OpenRun();
    QPointer<QMdiSubWindow> sub = SubWindowOf(w);
    ASSERT_NE(sub, nullptr);
    const std::string saved = dir.Str() + "saved.dsc";
    const size_t steps = WhileNested<QFileDialog>([&] { Trigger(*form, "Сохранить как..."); },
                                                  {[&](QDialog& chooser) {
                                                       sub->close();
                                                       EXPECT_TRUE(chooser.isVisible());
                                                   },
                                                   [&](QDialog& chooser) {
                                                       EXPECT_FALSE(sub.isNull());
                                                       TypeFileName(chooser, saved);
                                                       chooser.accept();
                                                   }});
    EXPECT_EQ(steps, 2u);
    EXPECT_TRUE(std::filesystem::exists(saved));
    Settle();
    EXPECT_TRUE(sub.isNull());
    ExpectMainWindowWorks();
}

// "Выход" while the main window's own chooser runs: the chooser is cancelled and the program
// closes afterwards, its data windows first.
TEST_F(NestedDialogsTest, MainWindowClosedUnderItsSaveChooser) {
    TfrmDataWindow& w = OpenRun();
    QPointer<QMdiSubWindow> sub = SubWindowOf(w);
    const std::string saved = dir.Str() + "saved.dsc";
    const size_t steps = WhileNested<QFileDialog>([&] { Trigger(*form, "Сохранить как..."); },
                                                  {[&](QDialog& chooser) {
                                                       FindAction(*form, "Выход")->trigger();
                                                       EXPECT_FALSE(chooser.isVisible());
                                                       EXPECT_TRUE(form->isVisible());
                                                   },
                                                   [&](QDialog& chooser) {
                                                       ADD_FAILURE() << "not cancelled with its window";
                                                       TypeFileName(chooser, saved);
                                                       chooser.accept();
                                                   }});
    EXPECT_EQ(steps, 1u);
    EXPECT_FALSE(std::filesystem::exists(saved));
    Settle();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(sub.isNull());
}

// The calibration dialog runs modally and keeps the data window it measures; that window closed
// meanwhile stays until the dialog ends.
TEST_F(NestedDialogsTest, DataWindowClosedWhileTheCalibrationDialogMeasuresIt) {
    TfrmDataWindow& w = OpenRun();
    QPointer<QMdiSubWindow> sub = SubWindowOf(w);
    const size_t steps = WhileNested<app::TCalibrationFrm>(
        [&] { Trigger(*form, "Калибровочная таблица: " + gConfig->diffChannelName); },
        {[&](QDialog&) { sub->close(); },
         [&](QDialog& dialog) {
             EXPECT_FALSE(sub.isNull());                             // the operator may go on measuring it
             dynamic_cast<app::TCalibrationFrm&>(dialog).GetData();  // "Получить данные"
             dialog.reject();
         }},
        false);
    EXPECT_EQ(steps, 2u);
    Settle();
    EXPECT_TRUE(sub.isNull());
    ExpectMainWindowWorks();
}

// Printing without the preview makes the page's window on the stack, a child of the data window;
// closing the data window under the printer dialog would free it there.
TEST_F(NestedDialogsTest, DataWindowClosedUnderThePrinterDialog) {
    TfrmDataWindow& w = OpenRun();
    QPointer<QMdiSubWindow> sub = SubWindowOf(w);
    ExpectEndedWithItsWindow<QPrintDialog>([&] { Trigger(*form, "Печать"); }, [&] { sub->close(); });
    Settle();
    EXPECT_TRUE(sub.isNull());
    ExpectMainWindowWorks();
}

// The scanning window only hides; its program chooser goes with it.
TEST_F(NestedDialogsTest, ScanningWindowClosedUnderItsProgramChooser) {
    Start();
    TfrmDataWindow* w = form->NewDataWindow();
    ASSERT_NE(w, nullptr);
    Trigger(*w, "Сканирование");
    app::TfrmScanControlForm& scan = form->ScanControl();
    ASSERT_TRUE(scan.isVisible());
    ExpectEndedWithItsWindow<QFileDialog>([&] { Press(scan, "Загрузить"); }, [&] { scan.close(); });
    Settle();
    EXPECT_FALSE(scan.isVisible());
    ExpectMainWindowWorks();
}

// The progress window lets events through while a file loads: the window loading it closed then
// closes once the load is done.
TEST_F(NestedDialogsTest, DataWindowClosedWhileItsFileLoads) {
    Start();
    QPointer<QMdiSubWindow> closed;
    QTimer::singleShot(0, form.get(), [&] {
        const QList<QMdiSubWindow*> subs = form->MdiArea().subWindowList();
        ASSERT_EQ(subs.size(), 1);
        EXPECT_TRUE(form->UiHooks().Progress().IsActive());
        closed = subs.front();
        closed->close();
    });
    TfrmDataWindow* w = form->OpenFile(RecordedRun());
    ASSERT_FALSE(closed.isNull());
    ASSERT_NE(w, nullptr);
    EXPECT_GT(w->DataClass().GetItemCount(), 0);
    Settle();
    EXPECT_TRUE(closed.isNull());
    ExpectMainWindowWorks();
}
