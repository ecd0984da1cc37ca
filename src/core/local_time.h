// Times as this system shows them: signed 32-bit seconds since 1970-01-01
// 00:00 UTC, in the machine's local time.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace nuntio {

// Local broken-down time; false when the platform cannot convert t.
bool ToLocalTime(int64_t t, std::tm& out);
// "%y-%m-%d %H:%M:%S" in local time, e.g. "24-03-09 14:05:00"; empty when the
// time cannot be converted.
std::string FormatTime(int64_t t);
// A serial number of the local calendar day of t (days since 1970-01-01), so
// that the difference of two is the number of calendar days between them.
int64_t LocalDayNumber(int64_t t);
// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d);
// "YYYYMMDD-HHMMSS" in local time, for names of files kept aside.
std::string FileStamp(int64_t t);
// The current time as seconds since 1970-01-01 00:00 UTC.
int64_t Now();

} // namespace nuntio
