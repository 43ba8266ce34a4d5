#include "evaluation/ConversionChannels.h"

#include <algorithm>
#include <cmath>

#include "data/DataClass.h"
#include "evaluation/PeakEvaluation.h"
#include "processing/Peak.h"
#include "processing/SampleView.h"

namespace kalvero::evaluation {

int AddConversionChannels(TDataClass& d, const TPeak& p, int aNumber) {
    const RConversion c = ConversionOf(d, p);  // first: a failure leaves the experiment alone
    double fastest = 0;
    for (double r : c.rate)
        fastest = std::max(fastest, std::abs(r));
    const int from = d.ClipItemIndex(std::min(p.begX, p.endX));
    const double level = p.BaseLineReading(from);
    const int top = d.ClipItemIndex(p.top);
    const double height = d.items[top][0].dt - p.BaseLineReading(top);
    const std::string number = std::to_string(aNumber);
    const int alpha = d.CreateCannel("Степень превращения, пик " + number, CHANNEL_TYPE_PERMANENT) - 1;
    const int rate = d.CreateCannel("Скорость превращения, пик " + number, CHANNEL_TYPE_PERMANENT) - 1;
    const size_t last = c.alpha.size() - 1;
    for (int i = 0; i < d.GetItemCount(); ++i) {
        const int k = i - from;
        const double a = k < 0 ? 0.0 : static_cast<size_t>(k) > last ? 1.0 : c.alpha[static_cast<size_t>(k)];
        const double v = k < 0 || static_cast<size_t>(k) > last || fastest == 0
                             ? 0.0
                             : c.rate[static_cast<size_t>(k)] / fastest;
        d.items[i][alpha] = {d.items[i][0].t, processing::RoundToInt32(level + a * height), 0, 0};
        d.items[i][rate] = {d.items[i][0].t, processing::RoundToInt32(level + v * height), 0, 0};
    }
    d.FillTempValues(alpha);
    d.FillTempValues(rate);
    return alpha;
}

}  // namespace kalvero::evaluation
