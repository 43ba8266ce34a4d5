#include "methods/ReportContent.h"

#include <cmath>

#include "common/DateTime.h"
#include "data/DataClass.h"
#include "evaluation/PeakResults.h"

namespace kalvero::methods {
namespace {

std::string OrDash(const std::string& aText) {
    return aText.empty() ? "—" : aText;
}

std::vector<std::pair<std::string, std::string>> DescriptionOf(const TDataClass& d) {
    return {{"Образец", OrDash(d.fSampleName)},
            {"Масса", d.fSampleWeight > 0 ? DecimalComma(d.fSampleWeight, 3) + " мг" : "—"},
            {"Скорость нагрева", d.fHeatSpeed != 0 ? DecimalComma(d.fHeatSpeed, 1) + " К/мин" : "—"},
            {"Оператор", OrDash(d.fOperatorName)},
            {"Лаборатория", OrDash(d.fLaboratoryName)},
            {"Прибор", OrDash(d.fInstrument)},
            {"Дата опыта", d.fDateCreate != 0 ? FormatDateTime("yyyy-mm-dd hh:nn", d.fDateCreate) : "—"}};
}

EVerdict RunVerdict(const TMethodRun& aRun, const std::string& aError) {
    if (!aError.empty() || aRun.Failed()) return EVerdict::Error;
    if (aRun.LimitFailed()) return EVerdict::Fail;
    for (const TMethodResult& r : aRun.results)
        if (r.limited) return EVerdict::Pass;
    return EVerdict::None;
}

}  // namespace

std::string ValueText(double aValue) {
    if (!std::isfinite(aValue)) return "—";
    const double magnitude = std::abs(aValue);
    return DecimalComma(aValue, magnitude >= 100 ? 2 : magnitude >= 1 ? 3 : 4);
}

std::string LimitText(const TMethodResult& r) {
    if (!r.limited) return "";
    const bool low = std::isfinite(r.limit.low), high = std::isfinite(r.limit.high);
    if (low && high) return ValueText(r.limit.low) + " … " + ValueText(r.limit.high);
    if (low) return "≥ " + ValueText(r.limit.low);
    return high ? "≤ " + ValueText(r.limit.high) : "";
}

TReportPage ReportPageOf(const TDataClass* d, const std::string& aFile, const TMethodRun& aRun,
                         const std::string& aError, const std::string& aReportTime) {
    TReportPage page;
    page.file = aFile;
    page.title = "Отчёт: " + (d && !d->fSampleName.empty() ? d->fSampleName : aFile);
    if (d) page.description = DescriptionOf(*d);
    page.results.push_back({"№", "Оценка", "Диапазон", "Результат", "Значение", "Границы", "Вывод"});
    for (const TMethodResult& r : aRun.results) {
        if (!r.error.empty()) {
            page.results.push_back({std::to_string(r.evaluation), KindCaption(r.kind), r.range, r.error, "",
                                    "", VerdictCaption(r.verdict)});
            continue;
        }
        page.results.push_back({std::to_string(r.evaluation), KindCaption(r.kind), r.range,
                                ResultTitle(r.kind, r.name),
                                ValueText(r.value) + (r.unit.empty() ? "" : " " + r.unit), LimitText(r),
                                r.limited ? VerdictCaption(r.verdict) : ""});
    }
    page.calibration = d && d->IsPhysical() ? "не применяются: сигнал в физических единицах"
                                            : TablesText(aRun.provenance.tables);
    page.program = aRun.provenance.program;
    page.method = OrDash(aRun.provenance.method);
    page.reportTime = aReportTime;
    page.error = aError;
    page.verdict = RunVerdict(aRun, aError);
    return page;
}

TTextRows SummaryRows(const std::vector<TReportPage>& aPages) {
    TTextRows rows{{"Файл", "Образец", "Результатов", "Вне границ", "Вывод"}};
    for (const TReportPage& p : aPages) {
        int results = 0, failed = 0;
        for (size_t k = 1; k < p.results.size(); ++k) {
            results += p.results[k][4].empty() ? 0 : 1;
            failed += p.results[k][6] == VerdictCaption(EVerdict::Fail) ? 1 : 0;
        }
        const std::string sample = p.description.empty() ? "—" : p.description.front().second;
        rows.push_back({p.file, sample, std::to_string(results), std::to_string(failed),
                        p.verdict == EVerdict::None ? "без границ" : VerdictCaption(p.verdict)});
    }
    return rows;
}

}  // namespace kalvero::methods
