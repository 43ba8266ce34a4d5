#include "app/ChartTicks.h"

#include "app/QtText.h"
#include "common/Procs.h"
#include "graphics/GridScale.h"

namespace kalvero::app {

std::vector<std::pair<double, QString>> ChartTicks(double aFrom, double aTo, int aLines) {
    std::vector<std::pair<double, QString>> ticks;
    const double span = aTo - aFrom;
    if (!(span > 0)) return ticks;
    const double step = SelectStep(span, aLines);
    const std::string format = GridLabelFormat(span, step);
    for (double v : GridValues(aFrom, aTo, step))
        ticks.emplace_back(v, Q(FormatFloat(format, v)).trimmed());
    return ticks;
}

}  // namespace kalvero::app
