#include "app/QtUiHooks.h"

#include <QApplication>
#include <QCursor>

#include "app/ProgressForm.h"
#include "app/Prompts.h"

namespace kalvero::app {
namespace {

bool AskBox(TPrompt::TKind aKind, const char* aCaption, const std::string& aText, QWidget* aParent) {
    TPrompt prompt;
    prompt.kind = aKind;
    prompt.caption = aCaption;
    prompt.text = aText;
    return Ask(prompt, aParent).accepted;
}

}  // namespace

TQtUiHooks::TQtUiHooks(QWidget* aParent)
    : fParent(aParent), fProgress(std::make_unique<TProgressForm>(aParent)) {}

TQtUiHooks::~TQtUiHooks() {
    while (fBusyDepth > 0)
        EndBusy();
}

void TQtUiHooks::MsgBox(const std::string& aText) {
    AskBox(TPrompt::pkInfo, MSG_CAPTION, aText, fParent);
}

void TQtUiHooks::ErrBox(const std::string& aText) {
    AskBox(TPrompt::pkError, ERROR_CAPTION, aText, fParent);
}

bool TQtUiHooks::MsgBoxYN(const std::string& aText) {
    return AskBox(TPrompt::pkYesNo, MSG_CAPTION, aText, fParent);
}

bool TQtUiHooks::MsgBoxOC(const std::string& aText) {
    return AskBox(TPrompt::pkOkCancel, MSG_CAPTION, aText, fParent);
}

void TQtUiHooks::ProgressStart(const std::string& aCaption, int aMax) {
    fProgress->Start(aCaption, aMax);
}

void TQtUiHooks::ProgressStep(int aPosition) {
    fProgress->Step(aPosition);
}

void TQtUiHooks::ProgressFinish() {
    fProgress->Finish();
}

void TQtUiHooks::BeginBusy() {
    if (fBusyDepth++ == 0) QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void TQtUiHooks::EndBusy() {
    if (fBusyDepth == 0) return;
    if (--fBusyDepth == 0) QApplication::restoreOverrideCursor();
}

}  // namespace kalvero::app
