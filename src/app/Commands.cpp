#include "app/Commands.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

#include <map>

#include "app/QtText.h"

namespace kalvero::app {

QAction* MakeAction(QObject* aParent, const std::string& aCaption, const std::string& aHint,
                    std::function<void()> aOnTrigger) {
    auto* action = new QAction(Q(aCaption), aParent);
    const QString hint = aHint.empty() ? StripAccel(Q(aCaption)) : Q(aHint);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    if (aOnTrigger)
        QObject::connect(action, &QAction::triggered, aParent, [fn = std::move(aOnTrigger)] { fn(); });
    return action;
}

QAction* MakeAction(QObject* aParent, const std::string& aCaption, const std::string& aHint, TToolIcon aIcon,
                    std::function<void()> aOnTrigger) {
    QAction* action = MakeAction(aParent, aCaption, aHint, std::move(aOnTrigger));
    action->setIcon(ToolIcon(aIcon));
    return action;
}

QString AccessibleCaption(const QAction* aAction) {
    return StripAccel(aAction->text());
}

void NameForAccessibility(QWidget* aRoot) {
    // The toolkit's own buttons: the overflow of a bar and the corner of a table.
    static const std::map<QString, QString> kToolkitButtons = {{"qt_toolbar_ext_button", "Другие команды"},
                                                               {"qt_menubar_ext_button", "Другие меню"},
                                                               {"QTableCornerButton", "Выделить все"}};
    for (QAbstractButton* button : aRoot->findChildren<QAbstractButton*>()) {
        if (!button->accessibleName().isEmpty()) continue;
        auto known = kToolkitButtons.find(button->objectName());
        if (known == kToolkitButtons.end()) known = kToolkitButtons.find(button->metaObject()->className());
        if (known != kToolkitButtons.end()) {
            button->setAccessibleName(known->second);
            continue;
        }
        auto* tool = dynamic_cast<QToolButton*>(button);
        const bool pictureOnly =
            tool && (tool->toolButtonStyle() == Qt::ToolButtonIconOnly || button->text().isEmpty());
        QString name;
        if (tool && tool->defaultAction()) {
            name = pictureOnly ? tool->defaultAction()->toolTip() : AccessibleCaption(tool->defaultAction());
        } else {
            name = pictureOnly || button->text().isEmpty() ? button->toolTip() : StripAccel(button->text());
        }
        button->setAccessibleName(name);
    }
    // Fields are named where they are made (after their labels); a field without a label at
    // least carries its hint.
    for (QWidget* field : aRoot->findChildren<QWidget*>()) {
        // The editor inside a spin box or a list is part of that field.
        const bool inner = dynamic_cast<QAbstractSpinBox*>(field->parentWidget()) ||
                           dynamic_cast<QComboBox*>(field->parentWidget());
        const bool isField =
            !inner && (dynamic_cast<QLineEdit*>(field) || dynamic_cast<QAbstractSpinBox*>(field) ||
                       dynamic_cast<QComboBox*>(field));
        if (isField && field->accessibleName().isEmpty()) field->setAccessibleName(field->toolTip());
    }
}

}  // namespace kalvero::app
