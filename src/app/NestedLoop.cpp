#include "app/NestedLoop.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMdiSubWindow>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace kalvero::app {
namespace {

bool Holds(const std::vector<QPointer<QWidget>>& aList, const QWidget* aWidget) {
    return std::any_of(aList.begin(), aList.end(),
                       [aWidget](const QPointer<QWidget>& w) { return w == aWidget; });
}

// A window whose close does work that the code of a nested loop may depend on: not a dialog (it
// only hides and keeps its result), nor a part of a window (a dock hides).
bool ClosesWithWork(const QWidget& aWidget) {
    if (qobject_cast<const QDialog*>(&aWidget)) return false;
    const QWidget* parent = aWidget.parentWidget();
    return aWidget.isWindow() || qobject_cast<const QMdiSubWindow*>(&aWidget) ||
           (parent && qobject_cast<const QMdiSubWindow*>(parent));
}

// Watches the closes and the freeing of the application's widgets while a nested loop runs.
class TKeeper : public QObject {
public:
    TKeeper() { qApp->installEventFilter(this); }

    std::vector<TNestedLoop*> loops;
    std::vector<QPointer<QWidget>> heldDeletes, heldCloses;

protected:
    bool eventFilter(QObject* aObject, QEvent* aEvent) override {
        const QEvent::Type type = aEvent->type();
        if ((type != QEvent::Close && type != QEvent::DeferredDelete) || !aObject->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(aObject);
        if (std::none_of(loops.begin(), loops.end(),
                         [widget](const TNestedLoop* l) { return l->Keeps(widget); }))
            return false;
        if (type == QEvent::DeferredDelete) {
            if (!Holds(heldDeletes, widget)) heldDeletes.emplace_back(widget);
            return true;
        }
        if (!ClosesWithWork(*widget)) return false;
        for (TNestedLoop* loop : loops)
            loop->AskerClosing(widget);
        aEvent->ignore();
        if (!Holds(heldCloses, widget)) heldCloses.emplace_back(widget);
        return true;
    }
};

std::unique_ptr<TKeeper>& Keeper() {
    static std::unique_ptr<TKeeper> keeper;
    return keeper;
}

// What the loops held, done now that none runs: the closes once control is back in the event
// loop, the freeing when that loop gets to it.
void Release(TKeeper& aKeeper) {
    for (const QPointer<QWidget>& w : aKeeper.heldCloses)
        if (w) QTimer::singleShot(0, w, [w] { w->close(); });
    for (const QPointer<QWidget>& w : aKeeper.heldDeletes)
        if (w) w->deleteLater();
}

}  // namespace

TNestedLoop::TNestedLoop(QWidget* aAsker, QDialog* aDialog) : fDialog(aDialog) {
    for (QWidget* w = aAsker; w; w = w->parentWidget())
        fAsker.emplace_back(w);
    KeepWithAncestors(aAsker);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != aDialog && w->isVisible() && w->isModal()) KeepWithAncestors(w);
    // A data window's code asks over the main window (the message boxes do).
    const std::vector<QPointer<QWidget>> kept = fKept;
    for (const QPointer<QWidget>& w : kept) {
        if (!w || !w->isWindow()) continue;
        for (QMdiSubWindow* sub : w->findChildren<QMdiSubWindow*>()) {
            Keep(sub);
            Keep(sub->widget());
        }
    }
    if (aDialog) {
        for (const QPointer<QWidget>& w : fAsker)
            if (auto* dialog = qobject_cast<QDialog*>(w.data()))
                fCancels.push_back(QObject::connect(dialog, &QDialog::finished, aDialog, &QDialog::reject));
    }
    std::unique_ptr<TKeeper>& keeper = Keeper();
    if (!keeper) keeper = std::make_unique<TKeeper>();
    keeper->loops.push_back(this);
}

TNestedLoop::~TNestedLoop() {
    for (const QMetaObject::Connection& c : fCancels)
        QObject::disconnect(c);
    std::unique_ptr<TKeeper>& keeper = Keeper();
    std::erase(keeper->loops, this);
    if (!keeper->loops.empty()) return;
    // The filter goes first: what is released must not be held again.
    const std::unique_ptr<TKeeper> done = std::move(keeper);
    qApp->removeEventFilter(done.get());
    Release(*done);
}

bool TNestedLoop::Keeps(const QWidget* aWidget) const {
    return Holds(fKept, aWidget);
}

void TNestedLoop::AskerClosing(const QWidget* aWidget) {
    if (fDialog && Holds(fAsker, aWidget)) fDialog->reject();
}

void TNestedLoop::Keep(QWidget* aWidget) {
    if (aWidget && !Holds(fKept, aWidget)) fKept.emplace_back(aWidget);
}

void TNestedLoop::KeepWithAncestors(QWidget* aWidget) {
    for (QWidget* w = aWidget; w; w = w->parentWidget())
        Keep(w);
}

int ExecNested(QDialog& aDialog, QWidget* aAsker) {
    const TNestedLoop loop(aAsker, &aDialog);
    return aDialog.exec();
}

}  // namespace kalvero::app
