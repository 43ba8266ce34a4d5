#include "graphics/GuiRuntime.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QString>

#include <map>
#include <mutex>
#include <stdexcept>

namespace kalvero {

namespace {

int gArgc = 1;
char gName[] = "kalvero";
char* gArgv[] = {gName, nullptr};

QGuiApplication* NewApplication() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QGuiApplication(gArgc, gArgv);
}

}  // namespace

void EnsureGuiApplication() {
    static std::mutex guard;
    std::lock_guard lock(guard);
    if (auto* app = QCoreApplication::instance()) {
        if (!qobject_cast<QGuiApplication*>(app))
            throw std::runtime_error("Drawing needs a graphical application object");
        return;
    }
    // Kept for the life of the process: destroying it after the toolkit's own globals is not safe.
    NewApplication();
}

TGuiApplicationScope::TGuiApplicationScope() {
    if (QCoreApplication::instance()) {
        EnsureGuiApplication();  // checks that it is a graphical one
        return;
    }
    fApplication = NewApplication();
}

TGuiApplicationScope::~TGuiApplicationScope() {
    delete fApplication;
}

QString ResolveFontFamily(const std::string& aName) {
    static std::mutex guard;
    static std::map<std::string, QString> cache;
    std::lock_guard lock(guard);
    if (auto it = cache.find(aName); it != cache.end()) return it->second;

    const QString wanted = QString::fromStdString(aName);
    const QStringList families = QFontDatabase::families();
    QString result;
    if (!wanted.isEmpty() && families.contains(wanted, Qt::CaseInsensitive)) {
        result = wanted;
    } else {
        static const std::map<std::string, QString> kMetricTwins = {{"times new roman", "Liberation Serif"},
                                                                    {"times", "Liberation Serif"},
                                                                    {"arial", "Liberation Sans"},
                                                                    {"helvetica", "Liberation Sans"},
                                                                    {"ms sans serif", "Liberation Sans"},
                                                                    {"tahoma", "Liberation Sans"},
                                                                    {"courier new", "Liberation Mono"},
                                                                    {"courier", "Liberation Mono"}};
        const auto twin = kMetricTwins.find(wanted.toLower().toStdString());
        result = twin != kMetricTwins.end() ? twin->second : QStringLiteral("Liberation Sans");
    }
    cache.emplace(aName, result);
    return result;
}

}  // namespace kalvero
