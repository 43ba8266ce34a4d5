#pragma once
// What a plug-in command leaves to be shown: plots, tables, warnings and small panels of inputs
// with their buttons, described in plain values. The program draws the description in a window of
// its own and the command line prints it, so a plug-in never touches the GUI toolkit, builds
// against the core library alone and its results look like the program's other windows. A button
// of a panel goes back to the plug-in (TPlugin::ResultsAction) with the inputs as the operator
// left them; the plug-in answers with a new description, so the window presents and never
// computes.

#include <cstdint>
#include <string>
#include <vector>

namespace kalvero {

enum class TSeriesStyle : uint8_t {
    ssLine,        // a line through the points; a NaN breaks it
    ssPoints,      // a mark at each point
    ssLinePoints,  // both
    ssBand,        // the area between y and yHigh, drawn under the lines
};

struct RResultSeries {
    std::string legend;  // empty: left out of the legend
    TSeriesStyle style = TSeriesStyle::ssLine;
    std::vector<double> x, y;
    std::vector<double> yHigh;  // a band's upper edge, one per point
    // The colour's place in the program's palette; series that share it are one thing drawn
    // twice (a line and its band). −1: the next colour of the plot.
    int colour = -1;
};

struct RResultPlot {
    std::string title, xTitle, yTitle;
    std::vector<RResultSeries> series;
};

struct RResultTable {
    std::string title;
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;  // texts as shown, one per column
};

// A field of a panel: a choice among choices, or a text when there are none.
struct RResultInput {
    std::string id, caption, value;
    std::vector<std::string> choices;
    std::string hint;  // what the field takes ("30 мин, 8 ч, 1 год")
};

struct RResultAction {
    std::string id, caption;
};

// A group of inputs, the buttons that act on them, and the plug-in's answer as lines of text.
struct RResultPanel {
    std::string title;
    std::vector<RResultInput> inputs;
    std::vector<RResultAction> actions;
    std::vector<std::string> lines;
};

struct RPluginResults {
    // The plug-in's own name for these results: ResultsAction and ReleaseResults get it back.
    std::string id;
    std::string title;
    std::vector<std::string> warnings;
    std::vector<RResultPlot> plots;
    std::vector<RResultTable> tables;
    std::vector<RResultPanel> panels;
    // The results for scripts: the text of a JSON object, which kalvero-cli prints with --json.
    std::string values;

    bool Empty() const { return plots.empty() && tables.empty() && panels.empty() && values.empty(); }
    // The input aId of any panel; null when there is none.
    const RResultInput* FindInput(const std::string& aId) const;
    RResultInput* FindInput(const std::string& aId);
    // Its value, empty when there is no such input.
    std::string InputValue(const std::string& aId) const;
};

// The description as JSON text (values as a nested object) and back. Not-a-number and infinite
// points are written as null and read back as NaN. A text that is no description raises
// EPluginException.
std::string PluginResultsToJson(const RPluginResults& aResults);
RPluginResults PluginResultsFromJson(const std::string& aText);

// The table as tab-separated lines with the captions first, each line ending in "\n": what a copy
// puts on the clipboard and the command line prints.
std::string TableText(const RResultTable& aTable);

}  // namespace kalvero
