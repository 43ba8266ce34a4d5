#include "common/DateTime.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace kalvero {
namespace {

constexpr int64_t kUnixEpochDays = 25569;  // 1970-01-01 counted from 1899-12-30

// Days from 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

std::string Pad(int v, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, v);
    return buf;
}

}  // namespace

TDateTime EncodeDateTime(int aYear, int aMonth, int aDay, int aHour, int aMinute, int aSecond,
                         int aMillisecond) {
    if (aYear < 1 || aYear > 9999 || aMonth < 1 || aMonth > 12 || aDay < 1 ||
        aDay > DaysInMonth(aYear, aMonth) || aHour < 0 || aHour > 23 || aMinute < 0 || aMinute > 59 ||
        aSecond < 0 || aSecond > 59 || aMillisecond < 0 || aMillisecond > 999) {
        throw std::invalid_argument("Invalid argument to date encode");
    }
    const double days = static_cast<double>(DaysFromCivil(aYear, aMonth, aDay) + kUnixEpochDays);
    const double time =
        (aHour * 3600000.0 + aMinute * 60000.0 + aSecond * 1000.0 + aMillisecond) / 86400000.0;
    // Before 1899-12-30 the time of day still counts forwards: -1.25 is 1899-12-29 06:00.
    return days < 0 ? days - time : days + time;
}

int64_t DatePart(TDateTime aValue) {
    return static_cast<int64_t>(std::trunc(aValue));
}

RDateTimeParts DecodeDateTime(TDateTime aValue) {
    RDateTimeParts p;
    if (!std::isfinite(aValue) || std::fabs(aValue) > 3.0e6) return p;
    int64_t days = DatePart(aValue);
    int64_t ms = std::llround(std::fabs(aValue - static_cast<double>(days)) * 86400000.0);
    if (ms >= 86400000) {
        ms -= 86400000;
        days += aValue < 0 ? -1 : 1;
    }
    CivilFromDays(days - kUnixEpochDays, p.year, p.month, p.day);
    p.hour = static_cast<int>(ms / 3600000);
    p.minute = static_cast<int>(ms / 60000 % 60);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.millisecond = static_cast<int>(ms % 1000);
    return p;
}

TDateTime UnixToDateTime(int64_t aSeconds) {
    const std::time_t t = static_cast<std::time_t>(aSeconds);
    std::tm local{};
    localtime_r(&t, &local);
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          std::min(local.tm_sec, 59));
}

TDateTime Now() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto secs = duration_cast<seconds>(now.time_since_epoch()).count();
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return UnixToDateTime(secs) + static_cast<double>(ms) / 86400000.0;
}

TDateTime Today() {
    return static_cast<double>(DatePart(Now()));
}

std::string FormatDateTime(const std::string& aFormat, TDateTime aValue) {
    const RDateTimeParts p = DecodeDateTime(aValue);
    std::string out;
    bool afterHour = false;
    for (size_t i = 0; i < aFormat.size();) {
        auto starts = [&](const char* tok) {
            return aFormat.compare(i, std::char_traits<char>::length(tok), tok) == 0;
        };
        if (starts("yyyy")) {
            out += Pad(p.year, 4), i += 4;
        } else if (starts("mm")) {
            out += Pad(afterHour ? p.minute : p.month, 2), i += 2;
        } else if (starts("dd")) {
            out += Pad(p.day, 2), i += 2;
        } else if (starts("hh")) {
            out += Pad(p.hour, 2), i += 2, afterHour = true;
        } else if (starts("h")) {
            out += std::to_string(p.hour), i += 1, afterHour = true;
        } else if (starts("nn")) {
            out += Pad(p.minute, 2), i += 2;
        } else if (starts("ss")) {
            out += Pad(p.second, 2), i += 2;
        } else {
            out += aFormat[i++];
        }
    }
    return out;
}

std::string DateTimeToStr(TDateTime aValue) {
    return FormatDateTime("dd.mm.yyyy h:mm:ss", aValue);
}

std::string DateToStr(TDateTime aValue) {
    return FormatDateTime("dd.mm.yyyy", aValue);
}

bool TryStrToDateTime(const std::string& aText, TDateTime& aValue) {
    int d = 0, m = 0, y = 0, hh = 0, mi = 0, ss = 0, used = 0;
    const char* s = aText.c_str();
    while (*s == ' ')
        ++s;
    if (std::sscanf(s, "%2d.%2d.%4d%n", &d, &m, &y, &used) != 3) return false;
    s += used;
    while (*s == ' ')
        ++s;
    if (*s != '\0') {
        used = 0;
        const int n = std::sscanf(s, "%2d:%2d%n:%2d%n", &hh, &mi, &used, &ss, &used);
        if (n < 2) return false;
        s += used;
        while (*s == ' ')
            ++s;
        if (*s != '\0') return false;
    }
    try {
        aValue = EncodeDateTime(y, m, d, hh, mi, ss);
    } catch (const std::invalid_argument&) {
        return false;
    }
    return true;
}

}  // namespace kalvero
