#pragma once
// "История правки": the steps of a data window's editing history, the state after the load first;
// the steps in force are marked, the undone ones greyed, and choosing any row goes back or forward
// to it. The list follows the window's edits while it is open.

#include <QDialog>
#include <QPointer>

class QLabel;
class QListWidget;

namespace kalvero::app {

class TfrmDataWindow;

class THistoryDialog : public QDialog {
public:
    THistoryDialog(TfrmDataWindow& aWindow);
    // The rows anew from the history.
    void Refresh();
    QListWidget& List() const { return *fList; }
    QString MemoryText() const;
    // Goes to the state of row aRow (0: as loaded).
    void GoToRow(int aRow);

private:
    QPointer<TfrmDataWindow> fWindow;
    QListWidget* fList = nullptr;
    QLabel* fMemory = nullptr;
};

}  // namespace kalvero::app
