#include "app/Prompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>

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

TPromptAnswer ShowBox(const TPrompt& aPrompt, QWidget* aParent) {
    TPromptAnswer answer;
    switch (aPrompt.kind) {
        case TPrompt::pkInfo:
            QMessageBox::information(aParent, Q(aPrompt.caption), Q(aPrompt.text));
            answer.accepted = true;
            break;
        case TPrompt::pkError:
            QMessageBox::critical(aParent, Q(aPrompt.caption), Q(aPrompt.text));
            answer.accepted = true;
            break;
        case TPrompt::pkYesNo:
            answer.accepted = QMessageBox::question(aParent, Q(aPrompt.caption), Q(aPrompt.text),
                                                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
            break;
        case TPrompt::pkOkCancel:
            answer.accepted = QMessageBox::question(aParent, Q(aPrompt.caption), Q(aPrompt.text),
                                                    QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
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
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return answer;
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
            const QColor chosen = QColorDialog::getColor(ToQColor(aPrompt.color), parent);
            TPromptAnswer answer;
            answer.accepted = chosen.isValid();
            if (answer.accepted) answer.color = FromQColor(chosen);
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
    const QString chosen = QFileDialog::getExistingDirectory(ParentOr(aParent), Q(aCaption), Q(aFolder));
    if (chosen.isEmpty()) return std::nullopt;
    return S(chosen);
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
    QPrintDialog dialog(&aPrinter, ParentOr(aParent));
    return dialog.exec() == QDialog::Accepted;
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
