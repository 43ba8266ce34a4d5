#include "app/DevInfoForm.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "acquisition/DeviceFactory.h"
#include "app/Commands.h"
#include "app/DialogSupport.h"
#include "app/QtText.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"

namespace kalvero::app {

TDevInfoForm::TDevInfoForm(QWidget* aParent, const std::string& aDescription)
    : QDialog(aParent), fRows(new QTableWidget(0, 2, this)) {
    setWindowTitle("Информация об устройстве");
    fRows->setHorizontalHeaderLabels({"Параметр", "Значение"});
    fRows->horizontalHeader()->setStretchLastSection(true);
    fRows->verticalHeader()->setVisible(false);
    fRows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fRows->setAccessibleName("Информация об устройстве");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fRows);
    auto* buttons = new QDialogButtonBox(this);
    AddButton(buttons, "Проверить соединение...", [this] { CheckConnection(); });
    AddButton(buttons, "Закрыть", [this] { accept(); });
    layout->addWidget(buttons);
    resize(520, 360);
    ShowDescription(aDescription);
    NameForAccessibility(this);
}

void TDevInfoForm::ShowDescription(const std::string& aDescription) {
    const QStringList lines = Q(aDescription).split('\r', Qt::SkipEmptyParts);
    fRows->setRowCount(static_cast<int>(lines.size()));
    for (int row = 0; row < lines.size(); ++row) {
        const qsizetype eq = lines[row].indexOf('=');
        fRows->setItem(row, 0, new QTableWidgetItem(eq < 0 ? lines[row] : lines[row].left(eq)));
        fRows->setItem(row, 1, new QTableWidgetItem(eq < 0 ? QString() : lines[row].mid(eq + 1)));
    }
    fRows->resizeColumnToContents(0);
}

void TDevInfoForm::CheckConnection() {
    try {
        const auto descriptor = TDeviceFactory::GetDeviceDescriptor(*gConfig);
        descriptor->Init();
        descriptor->DeInit();
        ShowDescription(descriptor->GetDescription());
        MsgBox("Устройство доступно");
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TDevInfoForm",
               std::string("Произошла ошибка при обмене информацией с прибором:") + e.what());
    }
}

}  // namespace kalvero::app
