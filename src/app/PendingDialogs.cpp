// The windows still to come: each command says so in a box instead of doing nothing. A window
// that arrives takes its function out of this unit into its own.

#include "app/Commands.h"
#include "app/Dialogs.h"

namespace kalvero::app {

void ShowHelp(QWidget*, const std::string&) {
    ShowNotAvailable("Cправка по программе");
}

}  // namespace kalvero::app
