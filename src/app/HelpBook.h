#pragma once
// THelpBook: the pages of one help book, the HTML files of its folder, with their titles and
// texts, and the search over them. The contents page index.html comes first, then the pages in
// the order it links them, then the others by title.

#include <QString>
#include <QStringList>

#include <filesystem>
#include <vector>

namespace kalvero::app {

// The words of a search query, as the search takes them (no punctuation, not folded).
QStringList SearchWords(const QString& aQuery);

struct RHelpPage {
    std::filesystem::path file;
    QString title;  // the page's <title>, else its file name
    QString text;   // the page's words without tags, folded for the search
};

class THelpBook {
public:
    THelpBook() = default;
    explicit THelpBook(const std::filesystem::path& aFolder);

    const std::filesystem::path& Folder() const { return fFolder; }
    const std::vector<RHelpPage>& Pages() const { return fPages; }
    // The position of aFile among the pages, -1 when it is not one of them.
    int IndexOf(const std::filesystem::path& aFile) const;
    // The pages that hold every word of aQuery (letter case and "ё" aside), in the contents'
    // order; none for a query without words.
    std::vector<const RHelpPage*> Find(const QString& aQuery) const;

private:
    std::filesystem::path fFolder;
    std::vector<RHelpPage> fPages;
};

}  // namespace kalvero::app
