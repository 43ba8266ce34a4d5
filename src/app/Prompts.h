#pragma once
// Every modal question the desktop program asks: message boxes, file choices and colour
// choices. They go through one door so that a scripted run (a GUI test) answers them instead of
// an operator: with an answerer installed nothing modal is shown and nothing can block.

#include <functional>
#include <optional>
#include <string>

#include "common/Config.h"

class QPrinter;
class QWidget;

namespace kalvero::app {

struct TPrompt {
    enum TKind { pkInfo, pkError, pkYesNo, pkOkCancel, pkOpenFile, pkSaveFile, pkColor, pkFolder, pkPrinter };
    TKind kind = pkInfo;
    std::string caption;  // the box's title ("Сообщение", "Произошла ошибка") or the dialog's
    std::string text;     // the message; for file choices the file name the dialog starts with
    std::string folder;   // file and folder choices: the folder the dialog starts in
    std::string filter;   // file choices: "Описание (*.dsc)|*.dsc|..." as the settings hold it
    int filterIndex = 1;  // file choices: the filter chosen first, from 1
    TColor color = 0;     // colour choices: the colour to start from
};

struct TPromptAnswer {
    bool accepted = false;  // Yes, OK, a file, folder, colour or printer chosen
    // The file or folder chosen; for a printer, a file name prints into that PDF file instead.
    std::string fileName;
    int filterIndex = 1;
    TColor color = 0;
};

using TPromptAnswerer = std::function<TPromptAnswer(const TPrompt&)>;

// Installs an answerer for every prompt of the process; an empty one restores the real dialogs.
void SetPromptAnswerer(TPromptAnswerer aAnswerer);
bool HasPromptAnswerer();

// Asks: through the answerer when one is installed, else with the real modal dialog over
// aParent (the active window when null). The dialog's loop keeps aParent's windows whole, and a
// close of one of them cancels the dialog (NestedLoop.h).
TPromptAnswer Ask(const TPrompt& aPrompt, QWidget* aParent = nullptr);

// File choices. aFilter in the settings' form; the answer's filterIndex counts from 1.
std::optional<TPromptAnswer> AskOpenFile(QWidget* aParent, const std::string& aFolder,
                                         const std::string& aFilter, int aFilterIndex = 1);
std::optional<TPromptAnswer> AskSaveFile(QWidget* aParent, const std::string& aFolder,
                                         const std::string& aFileName, const std::string& aFilter,
                                         int aFilterIndex = 1,
                                         const std::string& aCaption = "Сохранить файл");
std::optional<TColor> AskColor(QWidget* aParent, TColor aColor);
// The folder chooser titled aCaption, starting in aFolder.
std::optional<std::string> AskFolder(QWidget* aParent, const std::string& aCaption,
                                     const std::string& aFolder);
// The printer dialog over aPrinter (the printer, its page and copies); false when cancelled.
bool AskPrinter(QWidget* aParent, QPrinter& aPrinter);

// "Описание (*.dsc)|*.dsc|Рисунок|*.bmp;*.tif" to the dialogs' "Описание (*.dsc);;Рисунок (*.bmp
// *.tif)": the brackets always hold the filter's own patterns.
std::string QtFileFilter(const std::string& aFilter);

}  // namespace kalvero::app
