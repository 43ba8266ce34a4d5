#pragma once
// The progress window of long operations (loading a record, detecting peaks, exporting): the
// operation's caption, a bar and a percentage; an operation that cannot count its steps shows a
// moving bar. The work runs on the user-interface thread, so the window repaints itself while
// the bar moves (at most every 50 ms) without taking the operator's input.

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QElapsedTimer;

namespace kalvero::app {

class TProgressForm : public QDialog {
public:
    explicit TProgressForm(QWidget* aParent);
    ~TProgressForm() override;

    // Operations nest (a detection smooths, a load recalibrates): the innermost one is shown and
    // the window closes with the outermost.
    void Start(const std::string& aCaption, int aMax);
    void Step(int aPosition);
    void Finish();

    bool IsActive() const { return !fStack.empty(); }
    std::string Caption() const;
    int Percent() const;
    // Every caption shown since the last call (for scripted runs that check what was shown).
    std::vector<std::string> TakeShownCaptions();

private:
    struct TLevel {
        std::string caption;
        int max = 0;
        int position = 0;
    };
    void ShowLevel();
    void Pump(bool aForce);

    QLabel* fCaption;
    QProgressBar* fBar;
    std::vector<TLevel> fStack;
    std::vector<std::string> fShown;
    QElapsedTimer* fSincePump;
};

}  // namespace kalvero::app
