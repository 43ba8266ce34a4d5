// The test programs of the desktop program run with a widget application on the offscreen
// platform unless QT_QPA_PLATFORM names another.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

#include <clocale>

namespace {

QtMessageHandler gPreviousHandler = nullptr;

// The offscreen platform warns about every window it cannot size by hints: noise, not news.
void QuietHandler(QtMsgType aType, const QMessageLogContext& aContext, const QString& aText) {
    if (aText.contains("propagateSizeHints")) return;
    if (gPreviousHandler) gPreviousHandler(aType, aContext, aText);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    gPreviousHandler = qInstallMessageHandler(QuietHandler);
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
