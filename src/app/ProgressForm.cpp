#include "app/ProgressForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

#include "app/NestedLoop.h"
#include "app/QtText.h"

namespace kalvero::app {

TProgressForm::TProgressForm(QWidget* aParent)
    : QDialog(aParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      fCaption(new QLabel(this)),
      fBar(new QProgressBar(this)),
      fSincePump(new QElapsedTimer) {
    setWindowTitle("Подождите...");
    setWindowModality(Qt::ApplicationModal);
    setMinimumWidth(360);
    fBar->setFormat("%p%");
    fBar->setAccessibleName("Ход выполнения");
    fCaption->setAccessibleName("Операция");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fCaption);
    layout->addWidget(fBar);
}

TProgressForm::~TProgressForm() {
    delete fSincePump;
}

void TProgressForm::Start(const std::string& aCaption, int aMax) {
    fStack.push_back({aCaption, std::max(0, aMax), 0});
    fShown.push_back(aCaption);
    ShowLevel();
    if (!isVisible()) show();
    Pump(true);
}

void TProgressForm::Step(int aPosition) {
    if (fStack.empty()) return;
    fStack.back().position = aPosition;
    if (fStack.back().max > 0) fBar->setValue(std::clamp(aPosition, 0, fStack.back().max));
    Pump(false);
}

void TProgressForm::Finish() {
    if (fStack.empty()) return;
    fStack.pop_back();
    if (fStack.empty()) {
        hide();
    } else {
        ShowLevel();
    }
}

std::string TProgressForm::Caption() const {
    return fStack.empty() ? std::string() : fStack.back().caption;
}

int TProgressForm::Percent() const {
    if (fStack.empty() || fStack.back().max <= 0) return 0;
    return static_cast<int>(100LL * std::clamp(fStack.back().position, 0, fStack.back().max) /
                            fStack.back().max);
}

std::vector<std::string> TProgressForm::TakeShownCaptions() {
    return std::exchange(fShown, {});
}

void TProgressForm::ShowLevel() {
    const TLevel& level = fStack.back();
    fCaption->setText(Q(level.caption));
    fBar->setRange(0, level.max);  // a range of 0 … 0 is the moving bar
    fBar->setValue(std::clamp(level.position, 0, level.max));
}

void TProgressForm::Pump(bool aForce) {
    if (!aForce && fSincePump->isValid() && fSincePump->elapsed() < 50) return;
    fSincePump->restart();
    // The operation's code is below: what it works on must outlast whatever the events do.
    const TNestedLoop loop(this);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace kalvero::app
