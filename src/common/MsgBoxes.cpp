#include "common/MsgBoxes.h"

#include "common/Globals.h"
#include "common/Logger.h"
#include "common/UiHooks.h"

namespace kalvero {

void MsgBox(const std::string& aText) {
    UiHooks().MsgBox(aText);
}

void MsgBox(const char* aText) {
    UiHooks().MsgBox(aText ? aText : "");
}

void MsgBox(int aValue) {
    UiHooks().MsgBox(std::to_string(aValue));
}

void MsgBox(bool aValue) {
    UiHooks().MsgBox(aValue ? "true" : "false");
}

void ErrBox(const std::string& aText) {
    ErrBox(gLogger, "ErrBox", aText);
}

void ErrBox(TLogger* aLogger, const std::string& aClassName, const std::string& aText) {
    UiHooks().ErrBox(aText);
    if (!aLogger) return;
    // Error boxes are shown from exception handlers: a log that cannot be written must not turn
    // the report into a second failure.
    try {
        aLogger->Error(aClassName, aText);
    } catch (...) {
    }
}

bool MsgBoxYN(const std::string& aText) {
    return UiHooks().MsgBoxYN(aText);
}

bool MsgBoxOC(const std::string& aText) {
    return UiHooks().MsgBoxOC(aText);
}

}  // namespace kalvero
