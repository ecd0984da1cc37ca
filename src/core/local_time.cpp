// Local-time conversion without the Windows headers: localtime_r natively,
// the C runtime's localtime_s with mingw.
#include "local_time.h"

#include <cstdio>

namespace nuntio {

bool ToLocalTime(int64_t t, std::tm& out) {
    const std::time_t tt = static_cast<std::time_t>(t);
#if defined(_WIN32)
    return localtime_s(&out, &tt) == 0;
#else
    return localtime_r(&tt, &out) != nullptr;
#endif
}

std::string FormatTime(int64_t t) {
    std::tm tm;
    if (!ToLocalTime(t, tm)) return {};
    char buf[32];
    const size_t n = std::strftime(buf, sizeof buf, "%y-%m-%d %H:%M:%S", &tm);
    return std::string(buf, n);
}

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

int64_t LocalDayNumber(int64_t t) {
    std::tm tm;
    if (!ToLocalTime(t, tm)) {
        // A time the platform cannot convert (before 1970 on Windows): UTC days.
        return t >= 0 ? t / 86400 : -((-t + 86399) / 86400);
    }
    return DaysFromCivil(static_cast<int64_t>(tm.tm_year) + 1900, static_cast<unsigned>(tm.tm_mon + 1),
                         static_cast<unsigned>(tm.tm_mday));
}

std::string FileStamp(int64_t t) {
    std::tm tm;
    if (!ToLocalTime(t, tm)) return "00000000-000000";
    char buf[32];
    const size_t n = std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return std::string(buf, n);
}

int64_t Now() {
    return static_cast<int64_t>(std::time(nullptr));
}

} // namespace nuntio
