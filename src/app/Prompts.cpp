#include "app/Prompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>

#include "app/NestedLoop.h"
#include "app/QtText.h"

namespace kalvero::app {
namespace {

TPromptAnswerer& Answerer() {
    static TPromptAnswerer answerer;
    return answerer;
}

QWidget* ParentOr(QWidget* aParent) {
    return aParent ? aParent : QApplication::activeWindow();
}

// The filter pieces of a settings' filter: "description (pattern)" each.
QStringList FilterList(const std::string& aFilter) {
    return Q(QtFileFilter(aFilter)).split(";;", Qt::SkipEmptyParts);
}

// The standard button the box was answered with (none when it was cancelled).
QMessageBox::StandardButton RunBox(QMessageBox::Icon aIcon, const TPrompt& aPrompt,
                                   QMessageBox::StandardButtons aButtons, QWidget* aParent) {
    QMessageBox box(aIcon, Q(aPrompt.caption), Q(aPrompt.text), aButtons, aParent);
    ExecNested(box, aParent);
    return box.standardButton(box.clickedButton());
}

TPromptAnswer ShowBox(const TPrompt& aPrompt, QWidget* aParent) {
    TPromptAnswer answer;
    switch (aPrompt.kind) {
        case TPrompt::pkInfo:
            RunBox(QMessageBox::Information, aPrompt, QMessageBox::Ok, aParent);
            answer.accepted = true;
            break;
        case TPrompt::pkError:
            RunBox(QMessageBox::Critical, aPrompt, QMessageBox::Ok, aParent);
            answer.accepted = true;
            break;
        case TPrompt::pkYesNo:
            answer.accepted = RunBox(QMessageBox::Question, aPrompt, QMessageBox::Yes | QMessageBox::No,
                                     aParent) == QMessageBox::Yes;
            break;
        case TPrompt::pkOkCancel:
            answer.accepted = RunBox(QMessageBox::Question, aPrompt, QMessageBox::Ok | QMessageBox::Cancel,
                                     aParent) == QMessageBox::Ok;
            break;
        default:
            break;
    }
    return answer;
}

TPromptAnswer ShowFileDialog(const TPrompt& aPrompt, QWidget* aParent) {
    QFileDialog dialog(aParent, Q(aPrompt.caption), Q(aPrompt.folder));
    const QStringList filters = FilterList(aPrompt.filter);
    dialog.setNameFilters(filters);
    if (aPrompt.filterIndex >= 1 && aPrompt.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[aPrompt.filterIndex - 1]);
    if (aPrompt.kind == TPrompt::pkSaveFile) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!aPrompt.text.empty()) dialog.selectFile(Q(aPrompt.text));
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    TPromptAnswer answer;
    if (ExecNested(dialog, aParent) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return answer;
    answer.accepted = true;
    answer.fileName = S(dialog.selectedFiles().first());
    answer.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (answer.filterIndex < 1) answer.filterIndex = 1;
    return answer;
}

}  // namespace

void SetPromptAnswerer(TPromptAnswerer aAnswerer) {
    Answerer() = std::move(aAnswerer);
}

bool HasPromptAnswerer() {
    return static_cast<bool>(Answerer());
}

TPromptAnswer Ask(const TPrompt& aPrompt, QWidget* aParent) {
    if (Answerer()) return Answerer()(aPrompt);
    QWidget* parent = ParentOr(aParent);
    switch (aPrompt.kind) {
        case TPrompt::pkOpenFile:
        case TPrompt::pkSaveFile:
            return ShowFileDialog(aPrompt, parent);
        case TPrompt::pkColor: {
            QColorDialog dialog(ToQColor(aPrompt.color), parent);
            TPromptAnswer answer;
            answer.accepted =
                ExecNested(dialog, parent) == QDialog::Accepted && dialog.selectedColor().isValid();
            if (answer.accepted) answer.color = FromQColor(dialog.selectedColor());
            return answer;
        }
        default:
            return ShowBox(aPrompt, parent);
    }
}

std::optional<TPromptAnswer> AskOpenFile(QWidget* aParent, const std::string& aFolder,
                                         const std::string& aFilter, int aFilterIndex) {
    TPrompt prompt{TPrompt::pkOpenFile, "Открыть файл", "", aFolder, aFilter, aFilterIndex};
    TPromptAnswer answer = Ask(prompt, aParent);
    if (!answer.accepted || answer.fileName.empty()) return std::nullopt;
    return answer;
}

std::optional<TPromptAnswer> AskSaveFile(QWidget* aParent, const std::string& aFolder,
                                         const std::string& aFileName, const std::string& aFilter,
                                         int aFilterIndex, const std::string& aCaption) {
    TPrompt prompt{TPrompt::pkSaveFile, aCaption, aFileName, aFolder, aFilter, aFilterIndex};
    TPromptAnswer answer = Ask(prompt, aParent);
    if (!answer.accepted || answer.fileName.empty()) return std::nullopt;
    return answer;
}

std::optional<TColor> AskColor(QWidget* aParent, TColor aColor) {
    TPrompt prompt;
    prompt.kind = TPrompt::pkColor;
    prompt.caption = "Цвет";
    prompt.color = aColor;
    const TPromptAnswer answer = Ask(prompt, aParent);
    if (!answer.accepted) return std::nullopt;
    return answer.color;
}

std::optional<std::string> AskFolder(QWidget* aParent, const std::string& aCaption,
                                     const std::string& aFolder) {
    if (HasPromptAnswerer()) {
        TPrompt prompt;
        prompt.kind = TPrompt::pkFolder, prompt.caption = aCaption, prompt.folder = aFolder;
        const TPromptAnswer answer = Ask(prompt, aParent);
        if (!answer.accepted || answer.fileName.empty()) return std::nullopt;
        return answer.fileName;
    }
    QWidget* parent = ParentOr(aParent);
    QFileDialog dialog(parent, Q(aCaption), Q(aFolder));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (ExecNested(dialog, parent) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return S(dialog.selectedFiles().first());
}

bool AskPrinter(QWidget* aParent, QPrinter& aPrinter) {
    if (HasPromptAnswerer()) {
        TPrompt prompt;
        prompt.kind = TPrompt::pkPrinter, prompt.caption = "Печать";
        const TPromptAnswer answer = Ask(prompt, aParent);
        if (answer.accepted && !answer.fileName.empty()) {
            aPrinter.setOutputFormat(QPrinter::PdfFormat);
            aPrinter.setOutputFileName(Q(answer.fileName));
        }
        return answer.accepted;
    }
    QWidget* parent = ParentOr(aParent);
    QPrintDialog dialog(&aPrinter, parent);
    return ExecNested(dialog, parent) == QDialog::Accepted;
}

std::string QtFileFilter(const std::string& aFilter) {
    const QStringList parts = Q(aFilter).split('|');
    QStringList result;
    for (qsizetype k = 0; k + 1 < parts.size(); k += 2) {
        // The dialog reads the patterns from the brackets: they must be the filter's own.
        QString description = parts[k].trimmed();
        if (const qsizetype open = description.lastIndexOf('('); open > 0 && description.endsWith(')'))
            description = description.left(open).trimmed();
        const QString pattern = parts[k + 1].trimmed().replace(';', ' ');
        result << description + " (" + pattern + ")";
    }
    if (result.isEmpty()) result << "*";
    return S(result.join(";;"));
}

}  // namespace kalvero::app
