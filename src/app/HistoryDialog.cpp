#include "app/HistoryDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/DialogSupport.h"
#include "app/QtText.h"

namespace kalvero::app {

THistoryDialog::THistoryDialog(TfrmDataWindow& aWindow) : QDialog(&aWindow), fWindow(&aWindow) {
    setWindowTitle("История правки");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel("Шаги правки эксперимента: выберите шаг, к которому вернуться", this);
    fList = new QListWidget(this);
    fList->setAccessibleName("Шаги правки");
    fList->setMinimumSize(360, 280);
    fMemory = new QLabel(this);
    fMemory->setAccessibleDescription("Память истории");
    layout->addWidget(caption);
    layout->addWidget(fList);
    layout->addWidget(fMemory);
    auto* buttons = new QDialogButtonBox(this);
    AddButton(buttons, "Перейти к шагу", [this] { GoToRow(fList->currentRow()); });
    AddButton(buttons, "Закрыть", [this] { close(); });
    layout->addWidget(buttons);
    connect(fList, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* aItem) { GoToRow(fList->row(aItem)); });
    Refresh();
    NameForAccessibility(this);
}

void THistoryDialog::Refresh() {
    fList->clear();
    if (!fWindow || !fWindow->Experiment()) return;
    const TEditHistory& h = fWindow->DataClass().fHistory;
    fList->addItem("Исходное состояние");
    for (size_t k = 0; k < h.StepCount(); ++k)
        fList->addItem(QString::number(k + 1) + ". " + Q(h.StepName(k)));
    for (int row = 0; row < fList->count(); ++row) {
        QListWidgetItem* item = fList->item(row);
        // The undone steps, which Redo brings back, are shown apart from those in force.
        if (static_cast<size_t>(row) > h.Position())
            item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
    }
    fList->setCurrentRow(static_cast<int>(h.Position()));
    const QString memory =
        "Память истории: " + QString::number(static_cast<double>(h.Bytes()) / (1 << 20), 'f', 1) + " МБ из " +
        QString::number(h.Limit() >> 20) + " МБ";
    fMemory->setText(memory);
    fMemory->setAccessibleName(memory);
}

QString THistoryDialog::MemoryText() const {
    return fMemory->text();
}

void THistoryDialog::GoToRow(int aRow) {
    if (!fWindow || aRow < 0) return;
    fWindow->GoToStep(static_cast<size_t>(aRow));
    Refresh();
}

}  // namespace kalvero::app
