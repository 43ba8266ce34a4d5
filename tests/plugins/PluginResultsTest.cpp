// The description of a plug-in's results: its JSON form gives back every part (not-a-number
// points included), a text that is no description is refused, a table reads as tab-separated
// lines, and a plug-in hands its results over once.

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "plugins/Plugin.h"
#include "support/TestConfig.h"

using namespace kalvero;
using kalvero::test::TTestConfig;

namespace {

RPluginResults Sample() {
    RPluginResults r;
    r.id = "разбор 1";
    r.title = "Разбор";
    r.warnings = {"Внимание! Мало данных."};
    RResultPlot plot{"E(α)", "α", "E, кДж/моль", {}};
    plot.series.push_back({"", TSeriesStyle::ssBand, {0.1, 0.2, 0.3}, {99, NAN, 101}, {101, NAN, 103}, 2});
    plot.series.push_back(
        {"Метод: 100 кДж/моль", TSeriesStyle::ssLinePoints, {0.1, 0.2, 0.3}, {100, 101, 102}, {}, 2});
    plot.series.push_back({"Точки", TSeriesStyle::ssPoints, {1e-300, -2.5}, {INFINITY, 3}, {}, -1});
    plot.series.push_back({"Линия", TSeriesStyle::ssLine, {}, {}, {}, 0});
    r.plots.push_back(plot);
    r.tables.push_back({"Таблица", {"α", "E, кДж/моль"}, {{"0,10", "100,0"}, {"0,20", "—"}}});
    r.panels.push_back({"Прогноз",
                        {{"alpha", "Степень превращения", "0,5", {}, "от 0 до 1"},
                         {"method", "Метод", "Второй", {"Первый", "Второй"}, ""}},
                        {{"time", "Рассчитать время"}},
                        {"Время: 1 ч"}});
    r.values = R"({"E":100.5,"levels":[0.1,null],"name":"проба"})";
    return r;
}

void ExpectSameNumbers(const std::vector<double>& a, const std::vector<double>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::isfinite(a[i]))
            EXPECT_DOUBLE_EQ(a[i], b[i]) << i;
        else
            EXPECT_TRUE(std::isnan(b[i])) << i;  // infinities go as null too
    }
}

// A plug-in that describes results for its one command.
class TDescribing : public TPlugin {
public:
    using TPlugin::TPlugin;
    void Init() override { fPluginCommands = {"Описать"}; }
    std::string pluginName() override { return "Describing"; }
    TPluginCaps PluginCaps() override { return 0; }
    void BeginWork(const std::string&) override { ShowResults(Sample()); }
    void EndWork() override {}
    void UpdateWork(const std::string&) override {}
};

}  // namespace

TEST(PluginResults, TheJsonFormGivesBackEveryPart) {
    const RPluginResults a = Sample();
    const RPluginResults b = PluginResultsFromJson(PluginResultsToJson(a));
    EXPECT_EQ(b.id, a.id);
    EXPECT_EQ(b.title, a.title);
    EXPECT_EQ(b.warnings, a.warnings);
    ASSERT_EQ(b.plots.size(), 1u);
    EXPECT_EQ(b.plots[0].title, "E(α)");
    EXPECT_EQ(b.plots[0].xTitle, "α");
    EXPECT_EQ(b.plots[0].yTitle, "E, кДж/моль");
    ASSERT_EQ(b.plots[0].series.size(), a.plots[0].series.size());
    for (size_t k = 0; k < a.plots[0].series.size(); ++k) {
        const RResultSeries &s = a.plots[0].series[k], &t = b.plots[0].series[k];
        EXPECT_EQ(t.legend, s.legend);
        EXPECT_EQ(t.style, s.style);
        EXPECT_EQ(t.colour, s.colour);
        ExpectSameNumbers(s.x, t.x);
        ExpectSameNumbers(s.y, t.y);
        ExpectSameNumbers(s.yHigh, t.yHigh);
    }
    ASSERT_EQ(b.tables.size(), 1u);
    EXPECT_EQ(b.tables[0].columns, a.tables[0].columns);
    EXPECT_EQ(b.tables[0].rows, a.tables[0].rows);
    ASSERT_EQ(b.panels.size(), 1u);
    const RResultPanel &p = a.panels[0], &q = b.panels[0];
    EXPECT_EQ(q.title, p.title);
    ASSERT_EQ(q.inputs.size(), 2u);
    EXPECT_EQ(q.inputs[0].hint, "от 0 до 1");
    EXPECT_EQ(q.inputs[1].choices, p.inputs[1].choices);
    EXPECT_EQ(q.inputs[1].value, "Второй");
    ASSERT_EQ(q.actions.size(), 1u);
    EXPECT_EQ(q.actions[0].id, "time");
    EXPECT_EQ(q.actions[0].caption, "Рассчитать время");
    EXPECT_EQ(q.lines, p.lines);
    EXPECT_EQ(nlohmann::json::parse(b.values), nlohmann::json::parse(a.values));
    // Once more round, the same text.
    EXPECT_EQ(PluginResultsToJson(b), PluginResultsToJson(a));
}

TEST(PluginResults, RefusesWhatIsNoDescription) {
    EXPECT_THROW(PluginResultsFromJson("{"), EPluginException);
    EXPECT_THROW(PluginResultsFromJson(R"({"plots":[{"series":[{"style":"spiral","x":[],"y":[]}]}]})"),
                 EPluginException);
    EXPECT_THROW(PluginResultsFromJson(R"({"plots":[{"series":[{"style":"line"}]}]})"), EPluginException);
    RPluginResults r;
    r.values = "not json";
    EXPECT_THROW(PluginResultsToJson(r), EPluginException);
    // Nothing at all is an empty description.
    EXPECT_TRUE(PluginResultsFromJson("{}").Empty());
    EXPECT_FALSE(Sample().Empty());
}

TEST(PluginResults, TablesReadAsTabSeparatedLinesAndInputsByTheirIds) {
    const RPluginResults r = Sample();
    EXPECT_EQ(TableText(r.tables[0]), "α\tE, кДж/моль\n0,10\t100,0\n0,20\t—\n");
    EXPECT_EQ(r.InputValue("method"), "Второй");
    EXPECT_EQ(r.InputValue("nothing"), "");
    RPluginResults changed = r;
    changed.FindInput("alpha")->value = "0,7";
    EXPECT_EQ(changed.InputValue("alpha"), "0,7");
    EXPECT_EQ(changed.FindInput("nothing"), nullptr);
}

TEST(PluginResults, APluginHandsItsResultsOverOnceAndKnowsNoActionOfItsOwn) {
    TTestConfig config;
    TDescribing plugin("TDescribing", nullptr, nullptr, nullptr, llNone, &*config);
    plugin.Init();
    EXPECT_TRUE(plugin.TakeResults().Empty());
    plugin.BeginWork("Описать");
    RPluginResults r = plugin.TakeResults();
    EXPECT_EQ(r.id, "разбор 1");
    EXPECT_TRUE(plugin.TakeResults().Empty());
    // A new command starts without the last one's results.
    plugin.BeginWork("Описать");
    plugin.ClearAllData();
    EXPECT_TRUE(plugin.TakeResults().Empty());
    try {
        plugin.ResultsAction(r, "time");
        FAIL() << "the base class acted";
    } catch (const EPluginException& e) {
        EXPECT_STREQ(e.what(), "Плагин Describing не выполняет действие time");
    }
    EXPECT_NO_THROW(plugin.ReleaseResults(r.id));
}
