#include "app/HelpWindow.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/Commands.h"
#include "app/DialogSupport.h"
#include "app/Dialogs.h"
#include "common/Config.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"

namespace kalvero::app {
namespace {

namespace fs = std::filesystem;

constexpr const char* kClassName = "THelpWindow";
constexpr int kFileRole = Qt::UserRole;

THelpWindow* gInstance = nullptr;

QString PathText(const fs::path& aPath) {
    return QString::fromStdString(aPath.string());
}

// The file of a page the browser shows; empty for anything else.
fs::path PagePath(const QUrl& aSource) {
    if (!aSource.isLocalFile()) return {};
    return fs::path(aSource.toLocalFile().toStdString()).lexically_normal();
}

// The outermost window of aWidget: the main window for every window of the program.
QWidget* Outermost(QWidget* aWidget) {
    QWidget* w = aWidget;
    while (w && w->parentWidget())
        w = w->parentWidget();
    return w;
}

void FillPageList(QListWidget* aList, const std::vector<const RHelpPage*>& aPages) {
    aList->clear();
    for (const RHelpPage* page : aPages) {
        auto* item = new QListWidgetItem(page->title, aList);
        item->setData(kFileRole, PathText(page->file));
    }
}

}  // namespace

fs::path HelpBookFolder(const std::string& aHelpFileName) {
    const fs::path file(aHelpFileName);
    return (file.parent_path() / file.stem()).lexically_normal();
}

fs::path HelpTopicPage(const std::string& aHelpFileName, const std::string& aTopic) {
    return HelpBookFolder(aHelpFileName) / ((aTopic.empty() ? std::string("index") : aTopic) + ".html");
}

void ShowHelpBook(QWidget* aParent, const std::string& aHelpFileName, const std::string& aTopic) {
    const fs::path page = HelpTopicPage(aHelpFileName, aTopic);
    std::error_code ec;
    if (!fs::is_regular_file(page, ec)) {
        ErrBox(gLogger, kClassName, "Файл справки " + page.string() + " не найден");
        return;
    }
    THelpWindow* window = THelpWindow::Instance();
    if (!window) window = new THelpWindow(Outermost(aParent));
    window->StandOn(QApplication::activeModalWidget());
    window->ShowPage(page);
    BringToFront(*window);
}

void ShowHelp(QWidget* aParent, const std::string& aTopic) {
    if (!gConfig) return;
    ShowHelpBook(aParent, gConfig->fApplicationPath + gConfig->helpFile, aTopic);
}

THelpWindow* THelpWindow::Instance() {
    return gInstance;
}

THelpWindow::THelpWindow(QWidget* aHome) : QWidget(aHome, Qt::Window), fHome(aHome) {
    gInstance = this;
    // Without a window to own it the help window frees itself when it is closed.
    if (!aHome) setAttribute(Qt::WA_DeleteOnClose);
    Build();
}

THelpWindow::~THelpWindow() {
    if (fHost) fHost->removeEventFilter(this);
    if (gInstance == this) gInstance = nullptr;
}

void THelpWindow::Build() {
    setWindowTitle("Справка");
    auto* tools = new QHBoxLayout;
    auto tool = [this, tools](TToolIcon aIcon, const char* aHint, QKeySequence aKey) {
        auto* button = new QToolButton(this);
        button->setIcon(ToolIcon(aIcon));
        button->setToolTip(aHint);
        button->setShortcut(aKey);
        button->setAutoRaise(true);
        tools->addWidget(button);
        return button;
    };
    QToolButton* back = tool(TToolIcon::Back, "Назад", QKeySequence::Back);
    QToolButton* forward = tool(TToolIcon::Forward, "Вперёд", QKeySequence::Forward);
    QToolButton* home = tool(TToolIcon::Home, "Начальная страница", QKeySequence(Qt::ALT | Qt::Key_Home));
    tools->addStretch();
    back->setEnabled(false);
    forward->setEnabled(false);

    fBrowser = new QTextBrowser(this);
    fBrowser->setAccessibleName("Страница справки");
    fBrowser->setOpenExternalLinks(true);
    connect(back, &QToolButton::clicked, fBrowser, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, fBrowser, &QTextBrowser::forward);
    connect(home, &QToolButton::clicked, this, [this] {
        if (!fBook.Folder().empty()) ShowPage(fBook.Folder() / "index.html");
    });
    connect(fBrowser, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(fBrowser, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
    // The browser tells of a new page before it answers for it in source().
    connect(fBrowser, &QTextBrowser::sourceChanged, this,
            [this](const QUrl& aSource) { FollowPage(PagePath(aSource)); });

    fContents = new QListWidget(this);
    fContents->setAccessibleName("Содержание");
    fContents->setWordWrap(true);
    auto openPage = [this](QListWidgetItem* aItem) {
        ShowPage(aItem->data(kFileRole).toString().toStdString());
    };
    connect(fContents, &QListWidget::itemClicked, this, openPage);
    connect(fContents, &QListWidget::itemActivated, this, openPage);

    auto* tabs = new QTabWidget(this);
    tabs->addTab(fContents, "Содержание");
    tabs->addTab(BuildSearchPage(), "Поиск");

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addLayout(tools);
    rightLayout->addWidget(fBrowser, 1);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(tabs);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({250, 850});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    resize(1120, 760);
    NameForAccessibility(this);
}

QWidget* THelpWindow::BuildSearchPage() {
    auto* searchPage = new QWidget(this);
    auto* search = new QVBoxLayout(searchPage);
    auto* fieldRow = new QHBoxLayout;
    auto* label = new QLabel("Искать:", searchPage);
    fSearchField = new QLineEdit(searchPage);
    fSearchField->setPlaceholderText("слова со страницы");
    fSearchField->setClearButtonEnabled(true);
    label->setBuddy(fSearchField);
    NameAfter(fSearchField, "Искать:");
    fieldRow->addWidget(label);
    fieldRow->addWidget(fSearchField);
    search->addLayout(fieldRow);
    fFoundCount = new QLabel(searchPage);
    fFoundCount->setWordWrap(true);
    search->addWidget(fFoundCount);
    fFound = new QListWidget(searchPage);
    fFound->setAccessibleName("Найденные страницы");
    fFound->setWordWrap(true);
    search->addWidget(fFound, 1);
    connect(fSearchField, &QLineEdit::textChanged, this, [this](const QString& aText) { Search(aText); });
    connect(fFound, &QListWidget::itemClicked, this, [this](QListWidgetItem* aItem) { OpenFound(aItem); });
    connect(fFound, &QListWidget::itemActivated, this, [this](QListWidgetItem* aItem) { OpenFound(aItem); });
    return searchPage;
}

void THelpWindow::ShowPage(const fs::path& aPage) {
    const fs::path page = aPage.lexically_normal();
    if (page == CurrentPage()) return;
    fBrowser->setSource(QUrl::fromLocalFile(PathText(page)));
    FollowPage(page);
}

fs::path THelpWindow::CurrentPage() const {
    return PagePath(fBrowser->source());
}

void THelpWindow::FollowPage(const fs::path& aPage) {
    if (aPage.empty()) return;
    if (aPage.parent_path() != fBook.Folder()) LoadBook(aPage.parent_path());
    fContents->setCurrentRow(fBook.IndexOf(aPage));
}

void THelpWindow::LoadBook(const fs::path& aFolder) {
    fBook = THelpBook(aFolder);
    std::vector<const RHelpPage*> pages;
    for (const RHelpPage& page : fBook.Pages())
        pages.push_back(&page);
    FillPageList(fContents, pages);
    // What was found in the other book is not in this one.
    if (!fLastQuery.isEmpty()) Search(fLastQuery);
}

void THelpWindow::Search(const QString& aQuery) {
    if (fSearchField->text() != aQuery) {
        fSearchField->setText(aQuery);  // the field's change runs the search
        return;
    }
    fLastQuery = aQuery;
    const std::vector<const RHelpPage*> found = fBook.Find(aQuery);
    FillPageList(fFound, found);
    if (aQuery.trimmed().isEmpty()) {
        fFoundCount->clear();
    } else if (found.empty()) {
        fFoundCount->setText("Ни на одной странице нет всех этих слов");
    } else {
        fFoundCount->setText(QString("Найдено страниц: %1").arg(found.size()));
    }
}

void THelpWindow::OpenFound(QListWidgetItem* aItem) {
    ShowPage(aItem->data(kFileRole).toString().toStdString());
    // The first of the words marked, so that the operator sees where the page speaks of it.
    const QStringList words = SearchWords(fLastQuery);
    if (words.isEmpty()) return;
    fBrowser->moveCursor(QTextCursor::Start);
    fBrowser->find(words.front());
}

void THelpWindow::StandOn(QWidget* aHost) {
    if (aHost == this) aHost = nullptr;
    if (fHost && fHost != aHost) fHost->removeEventFilter(this);
    fHost = aHost;
    if (aHost) aHost->installEventFilter(this);
    QWidget* owner = aHost ? aHost : fHome.data();
    if (parentWidget() == owner) return;
    // A new parent hides the window; one in sight comes back where it was.
    const bool shown = isVisible();
    const QRect place = geometry();
    setParent(owner, windowFlags());
    if (!shown) return;
    setGeometry(place);
    show();
}

bool THelpWindow::eventFilter(QObject* aWatched, QEvent* aEvent) {
    // A dialog hides when it closes, also on its way to being freed, which would free the
    // window standing on it.
    if (aWatched == fHost && aEvent->type() == QEvent::Hide) StandOn(nullptr);
    return QWidget::eventFilter(aWatched, aEvent);
}

}  // namespace kalvero::app
