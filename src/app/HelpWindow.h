#pragma once
// THelpWindow ("Справка"): the help of the program and of its plug-ins, books of HTML pages shown
// in one window per process, which every later call reuses and raises. The browser with back,
// forward and the book's first page; the contents (the titles of the book's pages); the search
// for the pages that hold every typed word.
//
// Where a book lives. The settings name the program's help by a compiled help file beside the
// program ("Kalvero.chm"), and a plug-in's help is "plugins/<name>.chm" in the program's folder;
// our books are HTML instead. Such a file name stands for the folder beside it named after its
// stem, which holds the book's pages: <app>/Kalvero.chm is the book <app>/Kalvero/, and
// <app>/plugins/Kinetics.chm the book <app>/plugins/Kinetics/. A book opens at its index.html; a
// help topic is the page <topic>.html of the book. The book of a shown page is its folder, so a
// link into another book brings that book's contents.

#include <QPointer>
#include <QWidget>

#include <filesystem>
#include <string>

#include "app/HelpBook.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTextBrowser;

namespace kalvero::app {

// The folder of the book that aHelpFileName stands for.
std::filesystem::path HelpBookFolder(const std::string& aHelpFileName);
// The page of aTopic in that book: <topic>.html, index.html for the empty topic.
std::filesystem::path HelpTopicPage(const std::string& aHelpFileName, const std::string& aTopic);

// Shows aTopic of the book of aHelpFileName in the help window; a page that is not there is
// reported in the error box as "Файл справки " + the page looked for + " не найден".
void ShowHelpBook(QWidget* aParent, const std::string& aHelpFileName, const std::string& aTopic = "");

class THelpWindow : public QWidget {
public:
    // The help window of the process; null before the first help and after it is gone.
    static THelpWindow* Instance();

    explicit THelpWindow(QWidget* aHome);
    ~THelpWindow() override;

    // Shows the page aPage (a file that exists) and, when it belongs to another book, that book's
    // contents.
    void ShowPage(const std::filesystem::path& aPage);
    // Makes the window usable beside aHost, the window the help was asked from: a modal dialog
    // blocks every window but its own, so the help window stands on such a dialog while it is
    // open and goes back to its home window when the dialog closes.
    void StandOn(QWidget* aHost);
    std::filesystem::path CurrentPage() const;
    const THelpBook& Book() const { return fBook; }
    // The search as the field would run it: the found pages listed, the count shown.
    void Search(const QString& aQuery);

    QTextBrowser& Browser() const { return *fBrowser; }
    QListWidget& Contents() const { return *fContents; }
    QListWidget& Found() const { return *fFound; }
    QLineEdit& SearchField() const { return *fSearchField; }

protected:
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;

private:
    void Build();
    QWidget* BuildSearchPage();
    // After every change of the page: the book of aPage and its row in the contents.
    void FollowPage(const std::filesystem::path& aPage);
    void LoadBook(const std::filesystem::path& aFolder);
    void OpenFound(QListWidgetItem* aItem);

    QPointer<QWidget> fHome;  // the main window: the window's owner between dialogs
    QPointer<QWidget> fHost;  // the modal dialog the window stands on, if any
    THelpBook fBook;
    QString fLastQuery;
    QTextBrowser* fBrowser = nullptr;
    QListWidget* fContents = nullptr;
    QLineEdit* fSearchField = nullptr;
    QListWidget* fFound = nullptr;
    QLabel* fFoundCount = nullptr;
};

}  // namespace kalvero::app
