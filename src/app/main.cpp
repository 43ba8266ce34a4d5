// kalvero: the desktop program of the DSC workstation. Usage: kalvero [FILE.dsc]
// The program-data folder is KALVERO_DATA_DIR when set, else the per-user data folder. When the
// program already runs on that folder, a start hands the file over to it and ends.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>
#include <filesystem>

#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "common/Config.h"
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

    // The folder the configuration will use, found before it is read: the running program on it
    // takes the file and this start costs nothing more.
    const std::string server = kalvero::app::InstanceServerName(
        kalvero::ResolveProgramDataPath(kalvero::ApplicationTypeName(options.applicationPath)));
    std::error_code ec;
    const std::string handed =
        options.fileArgument.empty() ? "" : std::filesystem::absolute(options.fileArgument, ec).string();
    if (kalvero::app::HandOverToRunningInstance(server, handed)) return 0;

    kalvero::app::TKalveroForm form(options);
    if (form.StartUpFailed()) return 1;
    kalvero::app::TInstanceServer instance;
    instance.Listen(server, [&form](const std::string& aFileName) { form.TakeHandOver(aFileName); });
    form.ShowAsConfigured();
    return QApplication::exec();
}
