// The test programs of the desktop program run with a widget application on the offscreen
// platform unless QT_QPA_PLATFORM names another.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

#include <chrono>
#include <clocale>
#include <filesystem>
#include <iterator>
#include <thread>

namespace {

QtMessageHandler gPreviousHandler = nullptr;

// The offscreen platform warns about every window it cannot size by hints: noise, not news.
void QuietHandler(QtMsgType aType, const QMessageLogContext& aContext, const QString& aText) {
    if (aText.contains("propagateSizeHints")) return;
    if (gPreviousHandler) gPreviousHandler(aType, aContext, aText);
}

// Qt paints large areas on a pool of its own threads and stops them with the application object,
// but each of them lets go of its thread data only on its way out. The leak check at exit must not
// catch one half-way out, so the program ends once it is the last thread (or after two seconds).
void WaitForTheLastThread() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    std::error_code error;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::filesystem::directory_iterator tasks("/proc/self/task", error);
        if (error || std::distance(tasks, std::filesystem::directory_iterator()) <= 1) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    gPreviousHandler = qInstallMessageHandler(QuietHandler);
    int result = 0;
    {
        QApplication application(argc, argv);
        std::setlocale(LC_NUMERIC, "C");
        QLocale::setDefault(QLocale::c());
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    WaitForTheLastThread();
    return result;
}
