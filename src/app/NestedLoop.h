#pragma once
// Nested event loops and the windows they stand on.
//
// A modal dialog run with exec() from a window's code (every prompt, the calibration dialog) and
// the progress window's pump run an event loop inside that code, and in it anything may happen to
// the windows the code goes on using once the loop returns: an assistive tool presses "Отмена" of
// a dialog that the mouse cannot reach under the modal one, a tool or the program itself closes a
// data window or the main window. A dialog that frees itself on closing (OpenModal) would be freed
// inside the loop, and with it the nested dialog, its child, whose owner is the stack below; a data
// window that closes gives its experiment up under the code working on it.
//
// So every nested loop of the program runs under a TNestedLoop, and while one runs the windows it
// stands on stay whole: the window that asked and the windows it lies in, the modal dialogs open
// when the loop began (message boxes stand over the main window, the code may be a dialog's) and
// the data windows inside any of them. One of those closed meanwhile
//   - hides at once when it is a dialog (its result kept), but is freed only once the outermost
//     nested loop has returned, by the event loop that was running before it;
//   - closes only then when it is another window: a data window's close frees its experiment, the
//     main window's closes the data windows. The close is put off, not refused.
// A window on the way from the asker up that closes also cancels the loop's dialog: an answer for a
// window that is gone is no answer, and no dialog is left standing over a closed window.
// The code after a nested loop may thus go on using its window whatever happened meanwhile; it
// only has to take a cancelled answer as one.

#include <QMetaObject>
#include <QPointer>

#include <vector>

class QDialog;
class QWidget;

namespace kalvero::app {

class TNestedLoop {
public:
    // aAsker: the widget whose code runs the loop (null: none in particular); aDialog: the dialog
    // whose loop it is, cancelled when aAsker or a window it lies in closes (null: a loop without
    // one, as the progress window's pump).
    explicit TNestedLoop(QWidget* aAsker, QDialog* aDialog = nullptr);
    ~TNestedLoop();
    TNestedLoop(const TNestedLoop&) = delete;
    TNestedLoop& operator=(const TNestedLoop&) = delete;

    // Whether the loop keeps aWidget whole.
    bool Keeps(const QWidget* aWidget) const;
    // Cancels the loop's dialog when aWidget is the asker or lies on its way up.
    void AskerClosing(const QWidget* aWidget);

private:
    void Keep(QWidget* aWidget);
    void KeepWithAncestors(QWidget* aWidget);

    std::vector<QPointer<QWidget>> fAsker;  // the asker and the widgets it lies in, inner first
    std::vector<QPointer<QWidget>> fKept;
    QPointer<QDialog> fDialog;
    std::vector<QMetaObject::Connection> fCancels;
};

// aDialog.exec() under a TNestedLoop over aAsker.
int ExecNested(QDialog& aDialog, QWidget* aAsker);

}  // namespace kalvero::app
