#include "evaluation/HeatCapacity.h"

#include <algorithm>
#include <numeric>

#include "common/Procs.h"
#include "processing/Segments.h"

namespace kalvero::evaluation {
namespace {

constexpr double kKelvin = 273.15;
// Rates within this share of the sample's are the same program.
constexpr double kRateTolerance = 0.01;
// Segments last minutes: a long record is classified on every k-th item.
constexpr size_t kSegmentPoints = 200000;

std::string Num(double aValue, int aDigits) {
    return StrN(aValue, aDigits);
}

// A run's heating segment and the isothermal stretches next to it, as items of the record.
struct RProgram {
    TItemRange heating;
    double rate = NAN;  // K/min
    bool before = false, after = false;
    TItemRange isoBefore, isoAfter;
};

RProgram FindProgram(const TCurve& c, const std::string& aName) {
    const size_t n = c.Size();
    if (c.time.size() != n || c.temperature.size() != n)
        throw EEvaluationError("Массивы времени, температуры и сигнала разной длины");
    if (n < 10) throw EEvaluationError("В опыте «" + aName + "» слишком мало точек");
    const size_t k = std::max<size_t>(1, (n + kSegmentPoints - 1) / kSegmentPoints);
    const size_t m = (n + k - 1) / k;
    std::vector<float> temp(m);
    for (size_t j = 0; j < m; ++j)
        temp[j] = static_cast<float>(c.temperature[j * k]);
    const double span = c.time[(m - 1) * k] - c.time[0];
    if (!(span > 0)) throw EEvaluationError("Время в опыте «" + aName + "» не возрастает");
    std::vector<TSegment> segments =
        FindTemperatureSegments(temp.data(), 1, static_cast<int64_t>(m), static_cast<double>(m - 1) / span);
    for (size_t j = 0; j < segments.size(); ++j) {
        segments[j].begin = static_cast<int32_t>(static_cast<size_t>(segments[j].begin) * k);
        segments[j].end = j + 1 < segments.size()
                              ? static_cast<int32_t>(static_cast<size_t>(segments[j + 1].begin) * k - 1)
                              : static_cast<int32_t>(n - 1);
    }
    // The longest heating is the one the procedure scans.
    int chosen = -1;
    for (size_t j = 0; j < segments.size(); ++j) {
        if (segments[j].kind != skHeating) continue;
        if (chosen < 0 || segments[j].end - segments[j].begin > segments[chosen].end - segments[chosen].begin)
            chosen = static_cast<int>(j);
    }
    if (chosen < 0) throw EEvaluationError("В опыте «" + aName + "» нет участка нагрева");
    RProgram p;
    const TSegment& h = segments[chosen];
    p.heating = {static_cast<size_t>(h.begin), static_cast<size_t>(h.end)};
    p.rate = h.rate;
    auto range = [](const TSegment& s) {
        return TItemRange{static_cast<size_t>(s.begin), static_cast<size_t>(s.end)};
    };
    if (chosen > 0 && segments[chosen - 1].kind == skIsothermal) {
        p.before = true;
        p.isoBefore = range(segments[chosen - 1]);
    }
    if (chosen + 1 < static_cast<int>(segments.size()) && segments[chosen + 1].kind == skIsothermal) {
        p.after = true;
        p.isoAfter = range(segments[chosen + 1]);
    }
    return p;
}

// The level of an isothermal stretch: the mean signal over its second half, where the change of
// segment has settled, at the mean time of that half.
struct RLevel {
    double time = NAN, value = NAN;
};

RLevel IsothermalLevel(const TCurve& c, TItemRange aRange) {
    const size_t from = aRange.from + aRange.Count() / 2;
    double st = 0, sv = 0;
    for (size_t i = from; i <= aRange.to; ++i) {
        st += c.time[i];
        sv += c.signal[i];
    }
    const double n = static_cast<double>(aRange.to - from + 1);
    return {st / n, sv / n};
}

// A run made ready for the comparison at temperatures: over its heating, the temperature (made
// non-decreasing, so that it can be searched) and the displacement per heating rate, in the units
// the masses ask for.
struct RPrepared {
    std::vector<double> temperature, value;
    double rate = NAN;
    double massDivisor = 1;  // what the value is still to be divided by to be per mass
    size_t first = 0;        // the record's item of index 0
    bool corrected = false;
};

RPrepared Prepare(const TCpRun& r, bool aAbsolute, bool aPerMassResult, std::vector<std::string>& aWarnings) {
    const TCurve& c = r.curve;
    const RProgram p = FindProgram(c, r.name);
    RPrepared out;
    out.first = p.heating.from;
    out.rate = std::isfinite(r.rate) && r.rate > 0 ? r.rate : p.rate;
    if (!(out.rate > 0)) throw EEvaluationError("Не определена скорость нагрева опыта «" + r.name + "»");
    const bool hasMass = std::isfinite(r.mass) && r.mass > 0;
    double factor = 1;
    if (r.perMass && aAbsolute) {
        if (!hasMass) throw EEvaluationError("Не задана масса: " + r.name);
        factor = r.mass;
    }
    if (aPerMassResult) {
        if (!r.perMass || aAbsolute) {
            if (!hasMass) throw EEvaluationError("Не задана масса: " + r.name);
            out.massDivisor = r.mass;
        }
    }

    // The isothermal base line: the straight line between the levels before and after the heating
    // (ISO 11357-4); one level alone is taken as constant.
    RLevel a, b;
    if (p.before) a = IsothermalLevel(c, p.isoBefore);
    if (p.after) b = IsothermalLevel(c, p.isoAfter);
    double slope = 0, level = 0, at = 0;
    if (p.before && p.after && b.time > a.time) {
        slope = (b.value - a.value) / (b.time - a.time);
        level = a.value;
        at = a.time;
        out.corrected = true;
    } else if (p.before || p.after) {
        level = p.before ? a.value : b.value;
        aWarnings.push_back("В опыте «" + r.name + "» есть только изотерма " + (p.before ? "до" : "после") +
                            " нагрева: смещение сигнала взято постоянным");
    } else {
        aWarnings.push_back("В опыте «" + r.name +
                            "» нет изотерм до и после нагрева: смещение сигнала не исправлено");
    }

    const size_t n = p.heating.Count();
    out.temperature.reserve(n);
    out.value.reserve(n);
    const double scale = (r.endoUp ? 1.0 : -1.0) * factor / out.rate;
    double highest = -INFINITY;
    bool finite = true;
    for (size_t i = p.heating.from; i <= p.heating.to; ++i) {
        const double T = c.temperature[i], y = c.signal[i], t = c.time[i];
        finite &= std::isfinite(T + y + t);
        highest = std::max(highest, T);
        out.temperature.push_back(highest);
        out.value.push_back((y - level - slope * (t - at)) * scale);
    }
    if (!finite) ThrowInvalidValues();
    return out;
}

// The values of a table at arguments that mostly ascend: a cursor that walks to each, linear
// between the rows; NaN outside the table.
class TAtTemperature {
public:
    explicit TAtTemperature(const RPrepared& aRun) : fT(aRun.temperature), fV(aRun.value) {}
    TAtTemperature(const std::vector<double>& aArguments, const std::vector<double>& aValues)
        : fT(aArguments), fV(aValues) {}
    double operator()(double x) {
        const size_t n = fT.size();
        if (n < 2 || !(x >= fT.front() && x <= fT.back())) return NAN;
        while (fK + 2 < n && fT[fK + 1] < x)
            ++fK;
        while (fK > 0 && fT[fK] > x)
            --fK;
        const double d = fT[fK + 1] - fT[fK];
        return d > 0 ? fV[fK] + (fV[fK + 1] - fV[fK]) * (x - fT[fK]) / d : fV[fK];
    }

private:
    const std::vector<double>& fT;
    const std::vector<double>& fV;
    size_t fK = 0;
};

void WarnOnRates(const std::vector<std::pair<std::string, double>>& aRates,
                 std::vector<std::string>& aWarnings) {
    bool differ = false;
    for (const auto& [name, rate] : aRates)
        differ |= std::fabs(rate / aRates.front().second - 1) > kRateTolerance;
    if (!differ) return;
    std::string list;
    for (const auto& [name, rate] : aRates)
        list += (list.empty() ? "" : ", ") + name + " " + Num(rate, 1);
    aWarnings.push_back("Скорости нагрева опытов различаются (" + list +
                        " К/мин): сигналы поделены на скорость нагрева");
}

// The range of the result inside the heating all runs share.
void ChooseRange(const std::vector<const RPrepared*>& aRuns, const TCpOptions& aOptions, RHeatCapacity& r) {
    double lo = -INFINITY, hi = INFINITY;
    for (const RPrepared* p : aRuns) {
        lo = std::max(lo, p->temperature.front());
        hi = std::min(hi, p->temperature.back());
    }
    if (!(hi > lo)) throw EEvaluationError("У опытов нет общего диапазона температур нагрева");
    double from = aOptions.from, to = aOptions.to;
    if (std::isfinite(from) && std::isfinite(to) && from > to) std::swap(from, to);
    if (!std::isfinite(from)) from = lo + 0.1 * (hi - lo);
    if (!std::isfinite(to)) to = hi - 0.1 * (hi - lo);
    if (from < lo || to > hi) {
        r.warnings.push_back("Диапазон " + Num(from, 1) + "…" + Num(to, 1) +
                             " °С выходит за общий нагрев опытов (" + Num(lo, 1) + "…" + Num(hi, 1) +
                             " °С): расчёт в его пределах");
        from = std::max(from, lo);
        to = std::min(to, hi);
    }
    if (!(to > from)) throw EEvaluationError("В диапазоне нет общих температур нагрева опытов");
    r.from = from;
    r.to = to;
}

// The items of the sample's heating inside the range, each with cp = aCp(sample value, T).
template <typename F>
void Evaluate(const TCpRun& aSample, const RPrepared& aPrepared, RHeatCapacity& r, F aCp) {
    const TCurve& c = aSample.curve;
    const size_t n = aPrepared.value.size();
    r.time.reserve(n), r.temperature.reserve(n), r.cp.reserve(n);
    for (size_t k = 0; k < n; ++k) {
        const size_t i = aPrepared.first + k;
        const double T = c.temperature[i];
        if (T < r.from || T > r.to) continue;
        const double v = aCp(aPrepared.value[k] / aPrepared.massDivisor, T);
        if (!std::isfinite(v)) continue;
        r.time.push_back(c.time[i]);
        r.temperature.push_back(T);
        r.cp.push_back(v);
    }
    if (r.cp.size() < 2) throw EEvaluationError("В диапазоне нет точек для расчёта теплоёмкости");
}

void Finish(RHeatCapacity& r, const TCpOptions& aOptions) {
    if (!aOptions.at.empty()) TabulateHeatCapacity(r, aOptions.at, aOptions.halfWidth);
}

}  // namespace

double TReferenceCp::AtCelsius(double aCelsius) const {
    const double T = aCelsius + kKelvin;
    if (kelvin.size() < 2 || !(T >= kelvin.front() && T <= kelvin.back())) return NAN;
    const size_t k = static_cast<size_t>(std::upper_bound(kelvin.begin(), kelvin.end(), T) - kelvin.begin());
    const size_t i = std::clamp<size_t>(k, 1, kelvin.size() - 1);
    const double t0 = kelvin[i - 1], t1 = kelvin[i];
    return cp[i - 1] + (cp[i] - cp[i - 1]) * (T - t0) / (t1 - t0);
}

double TReferenceCp::FirstCelsius() const {
    return kelvin.empty() ? NAN : kelvin.front() - kKelvin;
}

double TReferenceCp::LastCelsius() const {
    return kelvin.empty() ? NAN : kelvin.back() - kKelvin;
}

RHeatCapacity RatioHeatCapacity(const TCpRun& aSample, const TCpRun& aReference, const TCpRun* aBlank,
                                const TReferenceCp& aReferenceCp, const TCpOptions& aOptions) {
    if (aReferenceCp.kelvin.size() < 2) throw EEvaluationError("Не задана теплоёмкость эталона");
    RHeatCapacity r;
    const bool absolute = aBlank != nullptr;
    const RPrepared sample = Prepare(aSample, absolute, true, r.warnings);
    const RPrepared reference = Prepare(aReference, absolute, true, r.warnings);
    RPrepared blank;
    if (aBlank) blank = Prepare(*aBlank, true, false, r.warnings);
    r.sampleRate = sample.rate;
    r.referenceRate = reference.rate;
    r.isothermalCorrection = sample.corrected && reference.corrected && (!aBlank || blank.corrected);
    std::vector<std::pair<std::string, double>> rates{{aSample.name, sample.rate},
                                                      {aReference.name, reference.rate}};
    if (aBlank) {
        r.blankRate = blank.rate;
        rates.emplace_back(aBlank->name, blank.rate);
    }
    WarnOnRates(rates, r.warnings);
    std::vector<const RPrepared*> runs{&sample, &reference};
    if (aBlank) runs.push_back(&blank);
    ChooseRange(runs, aOptions, r);

    TAtTemperature ref(reference), empty(blank), referenceCp(aReferenceCp.kelvin, aReferenceCp.cp);
    size_t outside = 0;
    double refSum = 0;
    Evaluate(aSample, sample, r, [&](double aValue, double T) -> double {
        const double b = aBlank ? empty(T) : 0.0;
        const double dRef = (ref(T) - b) / reference.massDivisor;
        const double cpRef = referenceCp(T + kKelvin);
        if (!std::isfinite(cpRef)) {
            ++outside;
            return NAN;
        }
        if (std::isfinite(dRef)) refSum += dRef;
        // aValue is the sample's value per mass before the blank: the blank per the sample's mass.
        return cpRef * (aValue - b / sample.massDivisor) / dRef;
    });
    if (outside > 0)
        r.warnings.push_back("Теплоёмкость эталона задана от " + Num(aReferenceCp.FirstCelsius(), 1) +
                             " до " + Num(aReferenceCp.LastCelsius(), 1) +
                             " °С: точки вне этих температур не рассчитаны");
    if (!(refSum > 0))
        throw EEvaluationError(
            "Сигнал эталона за вычетом холостого опыта не положителен: проверьте направление "
            "эндоэффектов, массы и холостой опыт");
    Finish(r, aOptions);
    return r;
}

RHeatCapacity DirectHeatCapacity(const TCpRun& aSample, const TCpRun* aBlank, const TCpOptions& aOptions) {
    RHeatCapacity r;
    const RPrepared sample = Prepare(aSample, aBlank != nullptr, true, r.warnings);
    RPrepared blank;
    if (aBlank) blank = Prepare(*aBlank, true, false, r.warnings);
    r.sampleRate = sample.rate;
    r.isothermalCorrection = sample.corrected && (!aBlank || blank.corrected);
    std::vector<std::pair<std::string, double>> rates{{aSample.name, sample.rate}};
    if (aBlank) {
        r.blankRate = blank.rate;
        rates.emplace_back(aBlank->name, blank.rate);
    } else {
        r.warnings.push_back("Без холостого опыта асимметрия ячейки не учтена");
    }
    WarnOnRates(rates, r.warnings);
    std::vector<const RPrepared*> runs{&sample};
    if (aBlank) runs.push_back(&blank);
    ChooseRange(runs, aOptions, r);
    TAtTemperature empty(blank);
    double sum = 0;
    // mW/mg per K/min is 60 J/(g·K).
    Evaluate(aSample, sample, r, [&](double aValue, double T) -> double {
        const double b = aBlank ? empty(T) / sample.massDivisor : 0.0;
        const double v = 60 * (aValue - b);
        if (std::isfinite(v)) sum += v;
        return v;
    });
    if (!(sum > 0))
        r.warnings.push_back(
            "Теплоёмкость получилась отрицательной: проверьте направление эндоэффектов и холостой опыт");
    Finish(r, aOptions);
    return r;
}

std::vector<RCpPoint> HeatCapacityTable(const RHeatCapacity& aResult, std::span<const double> aAt,
                                        double aHalfWidth) {
    // Each item goes into the sums of every temperature within the half width of it: one pass over
    // the items. Sums are taken about the temperature and about the first value found, which keeps
    // them exact for values far from zero.
    struct RSums {
        double n = 0, x = 0, y = 0, xx = 0, xy = 0, yy = 0, shift = NAN;
    };
    std::vector<size_t> order(aAt.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return aAt[a] < aAt[b]; });
    std::vector<double> sorted(aAt.size());
    for (size_t k = 0; k < order.size(); ++k)
        sorted[k] = aAt[order[k]];
    std::vector<RSums> sums(aAt.size());
    for (size_t i = 0; i < aResult.cp.size(); ++i) {
        const double T = aResult.temperature[i], v = aResult.cp[i];
        for (auto it = std::lower_bound(sorted.begin(), sorted.end(), T - aHalfWidth);
             it != sorted.end() && *it <= T + aHalfWidth; ++it) {
            RSums& s = sums[static_cast<size_t>(it - sorted.begin())];
            if (s.n == 0) s.shift = v;
            const double x = T - *it, y = v - s.shift;
            s.n += 1, s.x += x, s.y += y, s.xx += x * x, s.xy += x * y, s.yy += y * y;
        }
    }
    // The value is that of the straight line through the window at the temperature, the scatter the
    // standard deviation about it: cp's own slope over the window is no scatter.
    std::vector<RCpPoint> table(aAt.size());
    for (size_t k = 0; k < order.size(); ++k) {
        const RSums& s = sums[k];
        RCpPoint& p = table[order[k]];
        p.temperature = sorted[k];
        p.count = static_cast<size_t>(s.n);
        if (s.n == 0) continue;
        const double mx = s.x / s.n, my = s.y / s.n;
        const double sxx = s.xx - s.n * mx * mx, sxy = s.xy - s.n * mx * my, syy = s.yy - s.n * my * my;
        if (s.n < 3 || !(sxx > 0)) {
            p.cp = s.shift + my;
            p.scatter = s.n > 1 ? std::sqrt(std::max(0.0, syy / (s.n - 1))) : 0.0;
            continue;
        }
        const double slope = sxy / sxx;
        p.cp = s.shift + my - slope * mx;
        p.scatter = std::sqrt(std::max(0.0, (syy - slope * sxy) / (s.n - 2)));
    }
    return table;
}

void TabulateHeatCapacity(RHeatCapacity& aResult, std::span<const double> aAt, double aHalfWidth) {
    aResult.table = HeatCapacityTable(aResult, aAt, aHalfWidth);
    for (const RCpPoint& p : aResult.table)
        if (p.count == 0)
            aResult.warnings.push_back("Температура " + Num(p.temperature, 1) +
                                       " °С вне диапазона результата");
}

std::vector<double> RoundTemperatures(double aFrom, double aTo) {
    std::vector<double> at;
    if (!(aTo >= aFrom)) return at;
    for (double step : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0}) {
        at.clear();
        for (double T = std::ceil(aFrom / step) * step; T <= aTo + 1e-9; T += step)
            at.push_back(T);
        if (at.size() <= 20) break;
    }
    return at;
}

}  // namespace kalvero::evaluation
