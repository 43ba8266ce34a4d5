#include "app/DialogSupport.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/DataWindow.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/QtText.h"
#include "common/FormFields.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"

namespace kalvero::app {

void NameAfter(QWidget* aField, const std::string& aLabel) {
    std::string name = TrimText(aLabel);
    while (!name.empty() && name.back() == ':')
        name.pop_back();
    aField->setAccessibleName(Q(TrimText(name)));
}

QLabel* AddLabelled(QGridLayout* aGrid, int aRow, const std::string& aLabel, QWidget* aField, int aColumn) {
    auto* label = new QLabel(Q(aLabel), aGrid->parentWidget());
    label->setBuddy(aField);
    aGrid->addWidget(label, aRow, aColumn);
    aGrid->addWidget(aField, aRow, aColumn + 1);
    NameAfter(aField, aLabel);
    return label;
}

void FillList(QComboBox* aList, const std::vector<std::string>& aEntries, const std::string& aCurrent) {
    aList->clear();
    for (const std::string& entry : aEntries)
        aList->addItem(Q(entry));
    aList->setCurrentIndex(aList->findText(Q(aCurrent)));
    if (aList->isEditable()) aList->setEditText(Q(aCurrent));
}

QButtonGroup* AddRadioGroup(QGroupBox* aBox, const std::vector<std::string>& aCaptions, bool aHorizontal) {
    auto* group = new QButtonGroup(aBox);
    QBoxLayout* layout =
        aHorizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(aBox)) : new QVBoxLayout(aBox);
    int id = 0;
    for (const std::string& caption : aCaptions) {
        auto* button = new QRadioButton(Q(caption), aBox);
        group->addButton(button, id++);
        layout->addWidget(button);
    }
    return group;
}

void OpenModal(QDialog* aDialog) {
    aDialog->setAttribute(Qt::WA_DeleteOnClose);
    aDialog->open();
}

void BringToFront(QWidget& aWindow) {
    aWindow.setWindowState(aWindow.windowState() & ~Qt::WindowMinimized);
    aWindow.show();
    aWindow.raise();
    aWindow.activateWindow();
}

QPushButton* AddButton(QDialogButtonBox* aBox, const std::string& aCaption, std::function<void()> aOnClick) {
    QPushButton* button = aBox->addButton(Q(aCaption), QDialogButtonBox::ActionRole);
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, aBox, [fn = std::move(aOnClick)] { fn(); });
    return button;
}

QDialogButtonBox* SettingsButtons(QDialog* aDialog, const std::string& aOk, const std::string& aHelpTopic,
                                  std::function<void(bool)> aApply) {
    auto* buttons = new QDialogButtonBox(aDialog);
    AddButton(buttons, aOk, [aApply] { aApply(false); })->setDefault(true);
    AddButton(buttons, "ОК и сохранить", [aApply] { aApply(true); });
    AddButton(buttons, "Помощь", [aDialog, aHelpTopic] { ShowHelp(aDialog, aHelpTopic); });
    AddButton(buttons, "Отмена", [aDialog] { aDialog->reject(); });
    return buttons;
}

std::string TextOf(const QLineEdit* aField) {
    return S(aField->text());
}

std::string TextOf(const QComboBox* aList) {
    return S(aList->currentText());
}

void UpdateDataWindows(TKalveroForm& aMain, const std::function<void(TfrmDataWindow&)>& aUpdate,
                       const char* aClassName) {
    for (TfrmDataWindow* w : aMain.DataWindows()) {
        if (w->IsAcquiring()) continue;
        try {
            // New settings or tables are a step of each experiment's history: it can go back.
            w->Edit("Пересчёт по новым настройкам", [&] { aUpdate(*w); });
        } catch (const std::exception& e) {
            ErrBox(gLogger, aClassName, e.what());
        }
        w->Redraw();
        w->UpdateScrollBars();
        w->Changed();
    }
}

bool AnyDataWindowAcquiring(TKalveroForm& aMain) {
    for (TfrmDataWindow* w : aMain.DataWindows())
        if (w->IsAcquiring()) return true;
    return false;
}

}  // namespace kalvero::app
