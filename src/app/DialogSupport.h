#pragma once
// What the settings, properties and export dialogs share: fields named after their labels, lists
// filled from the library's texts, numbers shown with the point, and bringing every open data
// window up to date after the settings or the tables changed.

#include <QString>

#include <functional>
#include <string>
#include <vector>

class QPushButton;
class QButtonGroup;
class QComboBox;
class QDialog;
class QDialogButtonBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace kalvero::app {

class TKalveroForm;
class TfrmDataWindow;

// A label in column aColumn of aRow and aField to its right; the field's accessible name is the
// label's text without blanks at the ends and without a closing colon.
QLabel* AddLabelled(QGridLayout* aGrid, int aRow, const std::string& aLabel, QWidget* aField,
                    int aColumn = 0);
void NameAfter(QWidget* aField, const std::string& aLabel);

// The entries as the list's items, in order, the text aCurrent chosen (none when absent).
void FillList(QComboBox* aList, const std::vector<std::string>& aEntries, const std::string& aCurrent = "");
// One radio button per caption inside aBox, numbered from 0 in order in the group returned.
QButtonGroup* AddRadioGroup(QGroupBox* aBox, const std::vector<std::string>& aCaptions,
                            bool aHorizontal = false);
// Opens a dialog modally without blocking the caller (scripted runs go on at once); it is freed
// when it closes, though not while a nested loop of its code runs (NestedLoop.h).
void OpenModal(QDialog* aDialog);
// Shows aWindow restored from a minimised state, raised above the others and active.
void BringToFront(QWidget& aWindow);
// A button captioned aCaption in the dialog's button row.
QPushButton* AddButton(QDialogButtonBox* aBox, const std::string& aCaption, std::function<void()> aOnClick);
// The button row of the settings dialogs: aOk (apply), "ОК и сохранить" (apply and save),
// "Помощь" (the help topic aHelpTopic) and "Отмена"; aApply gets whether to save.
QDialogButtonBox* SettingsButtons(QDialog* aDialog, const std::string& aOk, const std::string& aHelpTopic,
                                  std::function<void(bool)> aApply);
std::string TextOf(const QLineEdit* aField);
std::string TextOf(const QComboBox* aList);

// Every open data window except those a run writes into (the run keeps them up to date): aUpdate,
// then a redraw. A failure is shown and logged under aClassName and the next window follows.
void UpdateDataWindows(TKalveroForm& aMain, const std::function<void(TfrmDataWindow&)>& aUpdate,
                       const char* aClassName);
// Whether a run writes into any open data window.
bool AnyDataWindowAcquiring(TKalveroForm& aMain);

}  // namespace kalvero::app
