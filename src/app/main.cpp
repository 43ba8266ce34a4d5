// kalvero: the desktop program of the DSC workstation. Usage: kalvero [FILE.dsc]
// The program-data folder is KALVERO_DATA_DIR when set, else the per-user data folder.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>

#include "app/MainWindow.h"
#include "system/ProcessContext.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Numbers keep the point whatever the desktop's language: files and screens must not change
    // with the machine's regional settings.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
    QApplication::setApplicationName("Kalvero");
    // The toolkit's own texts (file dialogs, standard buttons) in the operator's language.
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QLocale(QLocale::Russian), "qtbase", "_",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&toolkitTexts);

    kalvero::app::TStartOptions options;
    options.applicationPath = kalvero::ExecutableFolder();
    if (argc > 1) options.fileArgument = argv[1];
    kalvero::app::TKalveroForm form(options);
    if (form.StartUpFailed()) return 1;
    form.ShowAsConfigured();
    return QApplication::exec();
}
