#pragma once
// Commands as the operator finds them: an action with its caption, its hint and its picture, and
// the accessible names that let screen readers (and scripted runs) find every command, button and
// field by the words on the screen.

#include <QAction>
#include <QString>

#include <functional>
#include <string>

#include "app/ToolIcons.h"

class QWidget;
class QObject;

namespace kalvero::app {

// An action captioned aCaption (with its "&" marks) and hinted aHint (the caption without its
// marks when empty); aOnTrigger runs on every trigger.
QAction* MakeAction(QObject* aParent, const std::string& aCaption, const std::string& aHint = "",
                    std::function<void()> aOnTrigger = {});
QAction* MakeAction(QObject* aParent, const std::string& aCaption, const std::string& aHint, TToolIcon aIcon,
                    std::function<void()> aOnTrigger = {});

// The name a screen reader says for an action: its caption without "&" marks.
QString AccessibleCaption(const QAction* aAction);

// Gives every button, check box and field below aRoot that has no accessible name one: its
// caption, or the hint of a button that shows only a picture. Tool-bar buttons take their
// action's hint. Call after a window's widgets exist (and again when widgets are added).
void NameForAccessibility(QWidget* aRoot);

}  // namespace kalvero::app
