#pragma once
// What a report says of an experiment, as texts: the description of the run, its results with
// limits and verdicts, the calibration tables in use with their dates, the program and the time
// of the report; and the summary of a batch. Drawn on pages by graphics/Report.h, shown by the
// desktop's preview; nothing here draws.

#include <string>
#include <utility>
#include <vector>

#include "methods/MethodApply.h"

namespace kalvero {
class TDataClass;
}

namespace kalvero::methods {

using TTextRows = std::vector<std::vector<std::string>>;

struct TReportPage {
    std::string title;  // "Отчёт: <sample>"
    std::string file;
    // "Образец", "Масса", "Скорость нагрева", "Оператор", "Лаборатория", "Прибор", "Дата опыта".
    std::vector<std::pair<std::string, std::string>> description;
    TTextRows results;  // the header row first
    std::string calibration;
    std::string program, method, reportTime;
    std::string error;                  // why the file could not be evaluated; the page says it
    EVerdict verdict = EVerdict::None;  // of the whole run: Error, Fail, Pass, or None without limits
};

// The page of aData evaluated as aRun (the method's results, or those of its own evaluations);
// aData may be null when the file could not be read (aError says why).
TReportPage ReportPageOf(const TDataClass* aData, const std::string& aFile, const TMethodRun& aRun,
                         const std::string& aError, const std::string& aReportTime);

// "Файл", "Образец", "Результатов", "Вне границ", "Вывод": one row per page after the header.
TTextRows SummaryRows(const std::vector<TReportPage>& aPages);

// A result's value as the report writes it: the decimal comma, three significant decimals at most.
std::string ValueText(double aValue);
// "155,5 … 157,5", "≥ 25", "≤ 40", "" for none.
std::string LimitText(const TMethodResult& aResult);

}  // namespace kalvero::methods
