#pragma once
// Date-times as the files of the system store them: a 64-bit real counting days since
// 1899-12-30, the fraction being the time of day. Values are local time.

#include <cstdint>
#include <string>

namespace kalvero {

using TDateTime = double;

struct RDateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Throws std::invalid_argument for a date or time that does not exist.
TDateTime EncodeDateTime(int aYear, int aMonth, int aDay, int aHour = 0, int aMinute = 0, int aSecond = 0,
                         int aMillisecond = 0);
RDateTimeParts DecodeDateTime(TDateTime aValue);

// The calendar day (whole days since 1899-12-30) of a value.
int64_t DatePart(TDateTime aValue);

TDateTime Now();
TDateTime Today();
// Seconds since the Unix epoch (local time is applied) to a date-time, and back.
TDateTime UnixToDateTime(int64_t aSeconds);

// Formats with the tokens yyyy, mm, dd, hh, h, nn, ss (the "mm" after an hour means minutes,
// as in "hh:mm:ss"); other characters are copied.
std::string FormatDateTime(const std::string& aFormat, TDateTime aValue);

// The fixed date form of the system, "dd.mm.yyyy h:mm:ss". Parsing accepts a date without a time.
std::string DateTimeToStr(TDateTime aValue);
std::string DateToStr(TDateTime aValue);
// Returns false on text that is not a valid date.
bool TryStrToDateTime(const std::string& aText, TDateTime& aValue);

}  // namespace kalvero
