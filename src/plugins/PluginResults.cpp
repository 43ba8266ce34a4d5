#include "plugins/PluginResults.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

#include "plugins/Plugin.h"

namespace kalvero {
namespace {

using TJson = nlohmann::ordered_json;

constexpr const char* kStyles[] = {"line", "points", "linePoints", "band"};

TJson Numbers(const std::vector<double>& aValues) {
    TJson list = TJson::array();
    for (double v : aValues)
        list.push_back(std::isfinite(v) ? TJson(v) : TJson());
    return list;
}

std::vector<double> NumbersOf(const TJson& aList) {
    std::vector<double> values;
    for (const TJson& v : aList)
        values.push_back(v.is_number() ? v.get<double>() : std::numeric_limits<double>::quiet_NaN());
    return values;
}

TSeriesStyle StyleOf(const std::string& aKey) {
    for (size_t k = 0; k < std::size(kStyles); ++k)
        if (aKey == kStyles[k]) return static_cast<TSeriesStyle>(k);
    throw EPluginException("Unknown series style " + aKey);
}

TJson SeriesToJson(const RResultSeries& s) {
    TJson j;
    j["legend"] = s.legend;
    j["style"] = kStyles[static_cast<size_t>(s.style)];
    j["x"] = Numbers(s.x);
    j["y"] = Numbers(s.y);
    if (s.style == TSeriesStyle::ssBand) j["yHigh"] = Numbers(s.yHigh);
    j["colour"] = s.colour;
    return j;
}

RResultSeries SeriesOf(const TJson& j) {
    RResultSeries s;
    s.legend = j.value("legend", "");
    s.style = StyleOf(j.value("style", "line"));
    s.x = NumbersOf(j.at("x"));
    s.y = NumbersOf(j.at("y"));
    if (j.contains("yHigh")) s.yHigh = NumbersOf(j["yHigh"]);
    s.colour = j.value("colour", -1);
    return s;
}

TJson PanelToJson(const RResultPanel& p) {
    TJson j;
    j["title"] = p.title;
    j["inputs"] = TJson::array();
    for (const RResultInput& i : p.inputs)
        j["inputs"].push_back({{"id", i.id},
                               {"caption", i.caption},
                               {"value", i.value},
                               {"choices", i.choices},
                               {"hint", i.hint}});
    j["actions"] = TJson::array();
    for (const RResultAction& a : p.actions)
        j["actions"].push_back({{"id", a.id}, {"caption", a.caption}});
    j["lines"] = p.lines;
    return j;
}

RResultPanel PanelOf(const TJson& j) {
    RResultPanel p;
    p.title = j.value("title", "");
    for (const TJson& i : j.value("inputs", TJson::array()))
        p.inputs.push_back({i.at("id").get<std::string>(), i.value("caption", ""), i.value("value", ""),
                            i.value("choices", std::vector<std::string>()), i.value("hint", "")});
    for (const TJson& a : j.value("actions", TJson::array()))
        p.actions.push_back({a.at("id").get<std::string>(), a.value("caption", "")});
    p.lines = j.value("lines", std::vector<std::string>());
    return p;
}

}  // namespace

const RResultInput* RPluginResults::FindInput(const std::string& aId) const {
    for (const RResultPanel& p : panels)
        for (const RResultInput& i : p.inputs)
            if (i.id == aId) return &i;
    return nullptr;
}

RResultInput* RPluginResults::FindInput(const std::string& aId) {
    return const_cast<RResultInput*>(static_cast<const RPluginResults&>(*this).FindInput(aId));
}

std::string RPluginResults::InputValue(const std::string& aId) const {
    const RResultInput* input = FindInput(aId);
    return input ? input->value : std::string();
}

std::string PluginResultsToJson(const RPluginResults& r) {
    TJson j;
    j["id"] = r.id;
    j["title"] = r.title;
    j["warnings"] = r.warnings;
    j["plots"] = TJson::array();
    for (const RResultPlot& p : r.plots) {
        TJson plot{
            {"title", p.title}, {"xTitle", p.xTitle}, {"yTitle", p.yTitle}, {"series", TJson::array()}};
        for (const RResultSeries& s : p.series)
            plot["series"].push_back(SeriesToJson(s));
        j["plots"].push_back(plot);
    }
    j["tables"] = TJson::array();
    for (const RResultTable& t : r.tables)
        j["tables"].push_back({{"title", t.title}, {"columns", t.columns}, {"rows", t.rows}});
    j["panels"] = TJson::array();
    for (const RResultPanel& p : r.panels)
        j["panels"].push_back(PanelToJson(p));
    try {
        j["values"] = r.values.empty() ? TJson() : TJson::parse(r.values);
    } catch (const nlohmann::json::exception& e) {
        throw EPluginException(std::string("Plug-in values are not JSON: ") + e.what());
    }
    return j.dump();
}

RPluginResults PluginResultsFromJson(const std::string& aText) {
    try {
        const TJson j = TJson::parse(aText);
        RPluginResults r;
        r.id = j.value("id", "");
        r.title = j.value("title", "");
        r.warnings = j.value("warnings", std::vector<std::string>());
        for (const TJson& p : j.value("plots", TJson::array())) {
            RResultPlot plot{p.value("title", ""), p.value("xTitle", ""), p.value("yTitle", ""), {}};
            for (const TJson& s : p.value("series", TJson::array()))
                plot.series.push_back(SeriesOf(s));
            r.plots.push_back(std::move(plot));
        }
        for (const TJson& t : j.value("tables", TJson::array()))
            r.tables.push_back({t.value("title", ""), t.value("columns", std::vector<std::string>()),
                                t.value("rows", std::vector<std::vector<std::string>>())});
        for (const TJson& p : j.value("panels", TJson::array()))
            r.panels.push_back(PanelOf(p));
        if (j.contains("values") && !j["values"].is_null()) r.values = j["values"].dump();
        return r;
    } catch (const nlohmann::json::exception& e) {
        throw EPluginException(std::string("Plug-in results are not a description: ") + e.what());
    }
}

std::string TableText(const RResultTable& aTable) {
    auto line = [](const std::vector<std::string>& aCells) {
        std::string text;
        for (size_t k = 0; k < aCells.size(); ++k)
            text += (k ? "\t" : "") + aCells[k];
        return text + "\n";
    };
    std::string text = line(aTable.columns);
    for (const auto& row : aTable.rows)
        text += line(row);
    return text;
}

}  // namespace kalvero
