#include "app/MethodDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include <algorithm>
#include <cmath>

#include "app/Commands.h"
#include "app/DataWindow.h"
#include "app/DialogSupport.h"
#include "app/QtText.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "methods/ReportContent.h"

namespace kalvero::app {
namespace {

QTableWidgetItem* FixedCell(const std::string& aText) {
    auto* item = new QTableWidgetItem(Q(aText));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

std::string BoundText(double aBound) {
    return std::isfinite(aBound) ? methods::ValueText(aBound) : "";
}

}  // namespace

TMethodDialog::TMethodDialog(TfrmDataWindow& aWindow, methods::TMethod aMethod,
                             const methods::TMethodRun& aCurrent)
    : QDialog(&aWindow),
      fWindow(aWindow),
      fMethod(std::move(aMethod)),
      fRows(methods::LimitRows(fMethod, aCurrent)) {
    setWindowTitle("Методика");
    auto* layout = new QGridLayout(this);
    fName = new QLineEdit(Q(fMethod.name), this);
    fName->setPlaceholderText("по имени файла");
    AddLabelled(layout, 0, "Название методики:", fName);

    auto* hint = new QLabel("Границы результатов: пустая клетка — без границы с этой стороны.", this);
    layout->addWidget(hint, 1, 0, 1, 2);
    fTable = new QTableWidget(static_cast<int>(fRows.size()), 5, this);
    fTable->setAccessibleName("Границы результатов");
    fTable->setHorizontalHeaderLabels({"Оценка", "Результат", "Значение", "Не ниже", "Не выше"});
    fTable->verticalHeader()->hide();
    for (int k = 0; k < static_cast<int>(fRows.size()); ++k) {
        const methods::TLimitRow& row = fRows[static_cast<size_t>(k)];
        const methods::TMethodEvaluation& e = fMethod.evaluations[row.evaluation];
        fTable->setItem(k, 0,
                        FixedCell(std::to_string(row.evaluation + 1) + ". " + methods::KindCaption(e.kind) +
                                  " " + e.range));
        fTable->setItem(k, 1, FixedCell(row.title));
        fTable->setItem(k, 2,
                        FixedCell(methods::ValueText(row.value) + (row.unit.empty() ? "" : " " + row.unit)));
        fTable->setItem(k, kLowColumn, new QTableWidgetItem(Q(BoundText(row.limit.low))));
        fTable->setItem(k, kHighColumn, new QTableWidgetItem(Q(BoundText(row.limit.high))));
    }
    fTable->resizeColumnsToContents();
    fTable->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(fTable, 2, 0, 1, 2);
    layout->setRowStretch(2, 1);

    auto* buttons = new QDialogButtonBox(this);
    AddButton(buttons, "Сохранить...", [this] { Save(); });
    AddButton(buttons, "Отмена", [this] { close(); });
    layout->addWidget(buttons, 3, 0, 1, 2);
    resize(std::min(1100, fTable->horizontalHeader()->length() + 60), 520);
    NameForAccessibility(this);
}

methods::TMethod TMethodDialog::Method() const {
    methods::TMethod method = fMethod;
    method.name = TextOf(fName);
    for (int k = 0; k < static_cast<int>(fRows.size()); ++k) {
        const methods::TLimitRow& row = fRows[static_cast<size_t>(k)];
        const auto bound = [&](int aColumn) {
            return methods::BoundOf(S(fTable->item(k, aColumn)->text()), row.title);
        };
        methods::SetLimit(method.evaluations[row.evaluation], row.name,
                          {bound(kLowColumn), bound(kHighColumn)});
    }
    return method;
}

void TMethodDialog::Save() {
    methods::TMethod method;
    try {
        method = Method();
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TMethodDialog", e.what());
        return;
    }
    if (fWindow.SaveMethodAs(std::move(method))) close();
}

}  // namespace kalvero::app
