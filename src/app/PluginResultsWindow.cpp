#include "app/PluginResultsWindow.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>

#include "app/Commands.h"
#include "app/QtText.h"
#include "app/ResultPlotView.h"
#include "app/ResultTableView.h"
#include "common/Globals.h"
#include "common/MsgBoxes.h"
#include "plugins/Plugin.h"

namespace kalvero::app {
namespace {

constexpr int kPagesWidth = 220, kPanelsWidth = 400;

QString Lines(const std::vector<std::string>& aLines) {
    QStringList lines;
    for (const std::string& line : aLines)
        lines << Q(line);
    return lines.join("\n");
}

}  // namespace

TPluginResultsWindow::TPluginResultsWindow(QWidget* aParent)
    : QWidget(aParent),
      fWarnings(new QLabel(this)),
      fPages(new QListWidget(this)),
      fStack(new QStackedWidget(this)),
      fPanelsLayout(nullptr),
      fPanels(new QWidget) {
    fWarnings->setWordWrap(true);
    fWarnings->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fWarnings->setStyleSheet("QLabel { color: #8a2a00; background: #fff4e0; padding: 4px; }");
    fWarnings->setObjectName("warnings");
    fPages->setFixedWidth(kPagesWidth);
    fPages->setWordWrap(true);
    fPages->setAccessibleName("Разделы");
    fPanelsLayout = new QVBoxLayout(fPanels);
    fPanelsLayout->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(fPanels);
    scroll->setWidgetResizable(true);
    scroll->setFixedWidth(kPanelsWidth);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* body = new QHBoxLayout;
    body->addWidget(fPages);
    body->addWidget(fStack, 1);
    body->addWidget(scroll);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fWarnings);
    layout->addLayout(body, 1);
    connect(fPages, &QListWidget::currentRowChanged, fStack, &QStackedWidget::setCurrentIndex);
}

TPluginResultsWindow::~TPluginResultsWindow() {
    if (onClosed) onClosed(fResults.id);
}

void TPluginResultsWindow::SetResults(RPluginResults aResults) {
    const int page = fPages->currentRow();
    fResults = std::move(aResults);
    setWindowTitle(Q(fResults.title));
    fWarnings->setText(Lines(fResults.warnings));
    fWarnings->setVisible(!fResults.warnings.empty());

    fPages->clear();
    while (fStack->count() > 0) {
        QWidget* old = fStack->widget(0);
        fStack->removeWidget(old);
        delete old;
    }
    for (const RResultPlot& plot : fResults.plots) {
        auto* view = new TResultPlotView(fStack);
        view->SetPlot(plot);
        fStack->addWidget(view);
        fPages->addItem(Q(plot.title));
    }
    for (const RResultTable& table : fResults.tables) {
        auto* view = new TResultTableView(fStack);
        view->SetTable(table);
        fStack->addWidget(view);
        fPages->addItem(Q(table.title));
    }
    ShowPage(page >= 0 && page < fPages->count() ? page : 0);
    BuildPanels();
    NameForAccessibility(this);
}

void TPluginResultsWindow::BuildPanels() {
    while (QLayoutItem* item = fPanelsLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    fFields.clear();
    fPanelLines.clear();
    for (const RResultPanel& panel : fResults.panels) {
        auto* box = new QGroupBox(Q(panel.title), fPanels);
        auto* form = new QFormLayout(box);
        for (const RResultInput& input : panel.inputs) {
            QWidget* field = nullptr;
            if (!input.choices.empty()) {
                auto* list = new QComboBox(box);
                // A long choice is cut rather than widening the panel.
                list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
                list->setMinimumContentsLength(12);
                for (const std::string& choice : input.choices)
                    list->addItem(Q(choice));
                list->setCurrentText(Q(input.value));
                field = list;
            } else {
                auto* edit = new QLineEdit(Q(input.value), box);
                edit->setPlaceholderText(Q(input.hint));
                field = edit;
            }
            field->setAccessibleName(Q(input.caption));
            field->setToolTip(Q(input.hint));
            form->addRow(Q(input.caption), field);
            fFields.push_back(field);
        }
        for (const RResultAction& action : panel.actions) {
            auto* button = new QPushButton(Q(action.caption), box);
            button->setAccessibleName(Q(action.caption));
            connect(button, &QPushButton::clicked, this, [this, id = action.id] { RunAction(id); });
            form->addRow(button);
        }
        auto* lines = new QLabel(Lines(panel.lines), box);
        lines->setWordWrap(true);
        lines->setTextInteractionFlags(Qt::TextSelectableByMouse);
        lines->setVisible(!panel.lines.empty());
        form->addRow(lines);
        fPanelLines.push_back(lines);
        fPanelsLayout->addWidget(box);
    }
    fPanelsLayout->addStretch();
}

RPluginResults TPluginResultsWindow::Entered() const {
    RPluginResults entered = fResults;
    size_t k = 0;
    for (RResultPanel& panel : entered.panels) {
        for (RResultInput& input : panel.inputs) {
            QWidget* field = fFields.at(k++);
            if (auto* list = dynamic_cast<QComboBox*>(field))
                input.value = S(list->currentText());
            else if (auto* edit = dynamic_cast<QLineEdit*>(field))
                input.value = S(edit->text());
        }
    }
    return entered;
}

void TPluginResultsWindow::RunAction(const std::string& aAction) {
    if (!onAction) return;
    RPluginResults answer = Entered();
    try {
        onAction(answer, aAction);
    } catch (const std::exception& e) {
        ErrBox(gLogger, "TPluginResultsWindow", e.what());
        return;
    }
    SetResults(std::move(answer));
}

void TPluginResultsWindow::ShowPage(int aPage) {
    fPages->setCurrentRow(aPage);
    fStack->setCurrentIndex(aPage);
}

QWidget* TPluginResultsWindow::CurrentPage() const {
    return fStack->currentWidget();
}

QString TPluginResultsWindow::PanelText(const std::string& aTitle) const {
    for (size_t k = 0; k < fResults.panels.size(); ++k)
        if (fResults.panels[k].title == aTitle) return fPanelLines.at(k)->text();
    return {};
}

void ShowPluginResults(QWidget& aFrom, TPlugin& aPlugin) {
    RPluginResults results = aPlugin.TakeResults();
    if (results.Empty()) return;
    auto* window = new TPluginResultsWindow;
    // The windows close before the plug-ins are unloaded (the main window frees its children first).
    window->onAction = [&aPlugin](RPluginResults& aResults, const std::string& aAction) {
        aPlugin.ResultsAction(aResults, aAction);
    };
    window->onClosed = [&aPlugin](const std::string& aId) { aPlugin.ReleaseResults(aId); };
    window->SetResults(std::move(results));
    QMdiArea* area = nullptr;
    for (QWidget* w = &aFrom; w && !area; w = w->parentWidget())
        area = dynamic_cast<QMdiArea*>(w);
    if (area) {
        QMdiSubWindow* sub = area->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->showMaximized();
        area->setActiveSubWindow(sub);
        // The area follows the focus: left in the data window, it would bring that one back up.
        window->Pages().setFocus();
    } else {
        window->setParent(aFrom.window(), Qt::Window);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->resize(1200, 800);
        window->show();
    }
}

}  // namespace kalvero::app
