#include "app/HelpBook.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace kalvero::app {
namespace {

namespace fs = std::filesystem;

// A text as the search compares it: case folded, "ё" read as "е".
QString FoldForSearch(const QString& aText) {
    QString folded = aText.toCaseFolded();
    folded.replace(QChar(0x0451), QChar(0x0435));  // ё → е
    return folded;
}

struct RParsedPage {
    RHelpPage page;
    std::vector<QString> links;  // the targets of its links, in order
};

// The page as the browser reads it: its title, its text and its links.
RParsedPage ParsePage(const fs::path& aFile) {
    RParsedPage parsed;
    parsed.page.file = aFile;
    parsed.page.title = QString::fromStdString(aFile.filename().string());
    QFile file(QString::fromStdString(aFile.string()));
    if (!file.open(QIODevice::ReadOnly)) return parsed;
    QTextDocument document;
    document.setHtml(QString::fromUtf8(file.readAll()));
    const QString title = document.metaInformation(QTextDocument::DocumentTitle).trimmed();
    if (!title.isEmpty()) parsed.page.title = title;
    parsed.page.text = FoldForSearch(parsed.page.title + '\n' + document.toPlainText());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QString href = it.fragment().charFormat().anchorHref();
            if (!href.isEmpty() && (parsed.links.empty() || parsed.links.back() != href))
                parsed.links.push_back(href);
        }
    }
    return parsed;
}

// The page of the book a link of its contents names: a file of the same folder ("page.html" or
// "page.html#part"); empty for links elsewhere.
fs::path LinkedPage(const fs::path& aFolder, const QString& aHref) {
    const QString file = aHref.section('#', 0, 0);
    if (file.isEmpty() || file.contains('/') || file.contains(':')) return {};
    return aFolder / file.toStdString();
}

}  // namespace

QStringList SearchWords(const QString& aQuery) {
    static const QRegularExpression kNotAWord("[^\\w]+", QRegularExpression::UseUnicodePropertiesOption);
    return aQuery.split(kNotAWord, Qt::SkipEmptyParts);
}

THelpBook::THelpBook(const fs::path& aFolder) : fFolder(aFolder) {
    std::vector<RParsedPage> pages;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(aFolder, ec)) {
        if (entry.is_regular_file(ec) && entry.path().extension() == ".html")
            pages.push_back(ParsePage(entry.path()));
    }
    // The others by title; then the contents and the pages it links move to the front.
    std::sort(pages.begin(), pages.end(), [](const RParsedPage& a, const RParsedPage& b) {
        return QString::compare(a.page.title, b.page.title, Qt::CaseInsensitive) < 0;
    });
    std::vector<bool> taken(pages.size(), false);
    auto take = [&](const fs::path& aFile) {
        for (size_t k = 0; k < pages.size(); ++k) {
            if (taken[k] || pages[k].page.file != aFile) continue;
            taken[k] = true;
            fPages.push_back(pages[k].page);
        }
    };
    const fs::path contents = aFolder / "index.html";
    std::vector<QString> order;
    for (const RParsedPage& p : pages)
        if (p.page.file == contents) order = p.links;
    take(contents);
    for (const QString& href : order)
        take(LinkedPage(aFolder, href));
    for (size_t k = 0; k < pages.size(); ++k)
        if (!taken[k]) fPages.push_back(pages[k].page);
}

int THelpBook::IndexOf(const fs::path& aFile) const {
    for (size_t k = 0; k < fPages.size(); ++k)
        if (fPages[k].file == aFile) return static_cast<int>(k);
    return -1;
}

std::vector<const RHelpPage*> THelpBook::Find(const QString& aQuery) const {
    const QStringList words = SearchWords(FoldForSearch(aQuery));
    std::vector<const RHelpPage*> found;
    if (words.isEmpty()) return found;
    for (const RHelpPage& page : fPages) {
        if (std::all_of(words.begin(), words.end(), [&](const QString& w) { return page.text.contains(w); }))
            found.push_back(&page);
    }
    return found;
}

}  // namespace kalvero::app
