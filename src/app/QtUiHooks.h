#pragma once
// The desktop program's side of the core's door to the operator: modal boxes with the system's
// captions ("Сообщение", "Произошла ошибка"), one progress window for long loads, detections
// and exports (the operation's caption and a percentage) and the busy cursor. Boxes go through
// the prompts, so a scripted run answers them.

#include <memory>
#include <string>

#include "common/UiHooks.h"

class QWidget;

namespace kalvero::app {

class TProgressForm;

class TQtUiHooks : public TUiHooks {
public:
    // aParent: the main window, over which the boxes and the progress window stand.
    explicit TQtUiHooks(QWidget* aParent);
    ~TQtUiHooks() override;

    void MsgBox(const std::string& aText) override;
    void ErrBox(const std::string& aText) override;
    bool MsgBoxYN(const std::string& aText) override;
    bool MsgBoxOC(const std::string& aText) override;
    void ProgressStart(const std::string& aCaption, int aMax) override;
    void ProgressStep(int aPosition) override;
    void ProgressFinish() override;
    void BeginBusy() override;
    void EndBusy() override;

    TProgressForm& Progress() { return *fProgress; }

private:
    QWidget* fParent;
    std::unique_ptr<TProgressForm> fProgress;
    int fBusyDepth = 0;
};

inline constexpr const char* MSG_CAPTION = "Сообщение";
inline constexpr const char* ERROR_CAPTION = "Произошла ошибка";

}  // namespace kalvero::app
