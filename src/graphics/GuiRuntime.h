#pragma once
// What drawing needs from the toolkit's runtime: an application object (fonts cannot be used
// without one) and font families that exist on this machine.

#include <string>

class QGuiApplication;
class QString;

namespace kalvero {

// Creates a process-wide graphical application object when there is none, on the "offscreen"
// platform unless QT_QPA_PLATFORM names another; the desktop program's own object is used as it
// is. std::runtime_error when a non-graphical application object already exists.
void EnsureGuiApplication();

// A graphical application object for a scope (a command, a test run): created when there is
// none and destroyed at the end of the scope, before the process ends, so that everything the
// toolkit holds (fonts) is released. An existing object is used as it is.
class TGuiApplicationScope {
public:
    TGuiApplicationScope();
    ~TGuiApplicationScope();
    TGuiApplicationScope(const TGuiApplicationScope&) = delete;
    TGuiApplicationScope& operator=(const TGuiApplicationScope&) = delete;

private:
    QGuiApplication* fApplication = nullptr;
};

// The family to draw a configured font name with: the name itself when installed, else its
// metric-compatible Liberation face ("Times New Roman" → "Liberation Serif", "Arial" →
// "Liberation Sans", "Courier New" → "Liberation Mono"), else "Liberation Sans".
QString ResolveFontFamily(const std::string& aName);

}  // namespace kalvero
