#pragma once
// The window of a plug-in's described results (PluginResults.h): the warnings above, the list of
// its plots and tables beside the one chosen, and its panels of inputs on the right. A panel's
// button hands the results with the inputs as entered back to the plug-in, whose answer the window
// shows in their place: the window draws, the plug-in computes. The same window serves every
// plug-in, so that plug-ins need no GUI toolkit of their own.

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "plugins/PluginResults.h"

class QLabel;
class QListWidget;
class QStackedWidget;
class QVBoxLayout;

namespace kalvero {
class TPlugin;
}

namespace kalvero::app {

class TPluginResultsWindow : public QWidget {
public:
    explicit TPluginResultsWindow(QWidget* aParent = nullptr);
    ~TPluginResultsWindow() override;

    // Shows aResults in place of what was shown; the page chosen stays when there still is one.
    void SetResults(RPluginResults aResults);
    const RPluginResults& Results() const { return fResults; }
    // The results with every input as the operator left it.
    RPluginResults Entered() const;
    // The button aAction: onAction answers the entered results, the answer is shown. An error is shown
    // in a box and leaves everything as it was.
    void RunAction(const std::string& aAction);

    // The pages: every plot, then every table, by title.
    QListWidget& Pages() const { return *fPages; }
    void ShowPage(int aPage);
    QWidget* CurrentPage() const;
    // The lines a panel shows; empty for no such panel.
    QString PanelText(const std::string& aTitle) const;

    // The plug-in's answer to an action (the results changed in place), and the window closing with the
    // results of that id.
    std::function<void(RPluginResults&, const std::string&)> onAction;
    std::function<void(const std::string&)> onClosed;

private:
    void BuildPanels();

    RPluginResults fResults;
    QLabel* fWarnings;
    QListWidget* fPages;
    QStackedWidget* fStack;
    QVBoxLayout* fPanelsLayout;
    QWidget* fPanels;
    std::vector<QWidget*> fFields;     // one per input of every panel, in order
    std::vector<QLabel*> fPanelLines;  // one per panel
};

// Shows the results the plug-in's last command described, if any, in a window of the multi-document
// area that holds aFrom (a window of its own otherwise), wired to the plug-in.
void ShowPluginResults(QWidget& aFrom, TPlugin& aPlugin);

}  // namespace kalvero::app
