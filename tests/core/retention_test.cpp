// Retention by count and by local calendar days, including month and year
// ends and daylight-saving changes in a zone that has them; counting what a
// rule would drop, and the limits a trader may type.
#include <gtest/gtest.h>

#include <ctime>

#include "retention.h"
#include "test_util.h"

using namespace nuntio;

namespace {

// Newest first: the list is built from the oldest time to the newest.
nuntio::CMsgList<nuntio::CAlertMsgObj> Arrived(std::initializer_list<int64_t> newestFirst) {
    nuntio::CMsgList<nuntio::CAlertMsgObj> list;
    int serial = 0;
    for (int64_t t : newestFirst)
        list.AddTail(test::MakeAlert(serial++, static_cast<int32_t>(t)));
    return list;
}

std::vector<int32_t> Serials(const nuntio::CMsgList<nuntio::CAlertMsgObj>& list) {
    std::vector<int32_t> s;
    for (const auto& m : list)
        s.push_back(m->m_nSerial);
    return s;
}

} // namespace

class Retention : public ::testing::Test {
protected:
    test::ScopedTimeZone tz{"America/New_York"};
    // Seconds since 1970 of a local wall-clock time.
    static int64_t T(int y, int mon, int d, int h = 12, int mi = 0) {
        std::tm tm{};
        tm.tm_year = y - 1900;
        tm.tm_mon = mon - 1;
        tm.tm_mday = d;
        tm.tm_hour = h;
        tm.tm_min = mi;
        tm.tm_isdst = -1;
        return static_cast<int64_t>(std::mktime(&tm));
    }
};

// What the settings are told before they change the rule: exactly what the
// rule then drops from the bottom, and the list untouched by the counting. A
// count below one is refused; days of zero or below drop everything; another
// mode keeps all.
TEST_F(Retention, CountingAgreesWithTheRuleWhichDropsFromTheBottom) {
    const int64_t now = T(2024, 6, 20, 9);
    struct Case {
        uint8_t mode;
        int32_t limit;
        size_t dropped;
        uint32_t code = kDone;
    };
    const Case cases[] = {
        {kKeepByCount, 4, 0},
        {kKeepByCount, 3, 1},
        {kKeepByCount, 1, 3},
        {kKeepByCount, 0, 0, kBadKeepLimit},
        {kKeepByCount, -1, 0, kBadKeepLimit},
        {kKeepByDays, 1, 2},
        {kKeepByDays, 6, 1}, // stops at the first message young enough
        {kKeepByDays, 20, 0},
        {kKeepByDays, 0, 4},
        {0, 1, 0},
        {255, 1, 0},
    };
    const auto newestFirst = {T(2024, 6, 20, 8), T(2024, 6, 20, 0, 5), T(2024, 6, 15), T(2024, 6, 1)};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.mode) << " " << c.limit);
        nuntio::CMsgList<nuntio::CAlertMsgObj> list = Arrived(newestFirst);
        EXPECT_EQ(CountRetention(list, c.mode, c.limit, now), c.dropped);
        EXPECT_EQ(list.GetCount(), 4u);
        const RetentionResult r = ApplyRetention(list, c.mode, c.limit, now);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.removed, c.dropped);
        std::vector<int32_t> kept = {0, 1, 2, 3};
        kept.resize(4 - c.dropped);
        EXPECT_EQ(Serials(list), kept);
    }
    // An empty list: the limit is checked first.
    nuntio::CMsgList<nuntio::CAlertMsgObj> empty;
    EXPECT_EQ(CountRetention(empty, kKeepByDays, 0, now), 0u);
    EXPECT_EQ(CountRetention(empty, kKeepByCount, 1, now), 0u);
    EXPECT_EQ(ApplyRetention(empty, kKeepByCount, 0, now).code, kBadKeepLimit);
    EXPECT_EQ(ApplyRetention(empty, kKeepByCount, 5, now).code, kListEmpty);
    EXPECT_EQ(ApplyRetention(empty, kKeepByDays, 1, now).code, kListEmpty);
}

// Ages in local calendar days: kept with a limit of age + 1, dropped with a
// limit of age.
TEST_F(Retention, MonthYearAndDaylightSavingChangesCountRealCalendarDays) {
    struct Case {
        int64_t msg, now;
        int age;
    };
    // 2024-03-10 has 23 hours in New York and 2024-11-03 has 25.
    const Case cases[] = {
        {T(2024, 5, 9, 23, 59), T(2024, 5, 10, 0, 1), 1},   // yesterday just before midnight
        {T(2024, 1, 31, 23, 0), T(2024, 2, 1, 1, 0), 1},    // month end
        {T(2024, 2, 28), T(2024, 3, 1), 2},                 // leap February
        {T(2023, 2, 28), T(2023, 3, 1), 1},                 // common February
        {T(2023, 12, 31, 23, 59), T(2024, 1, 1, 0, 0), 1},  // year end
        {T(2024, 3, 9, 23, 30), T(2024, 3, 10, 23, 30), 1}, // 23 h later on the short day
        {T(2024, 3, 10, 0, 30), T(2024, 3, 11, 0, 10), 1},  // 22 h 40 min later
        {T(2024, 11, 3, 0, 30), T(2024, 11, 3, 23, 59), 0}, // 24 h 29 min on the long day
        {T(2024, 11, 2, 23, 30), T(2024, 11, 3, 23, 0), 1},
        {T(2024, 3, 1), T(2024, 4, 1), 31},
    };
    for (const Case& c : cases) {
        nuntio::CMsgList<nuntio::CAlertMsgObj> list = Arrived({c.msg});
        EXPECT_EQ(ApplyRetention(list, kKeepByDays, c.age + 1, c.now).removed, 0u) << c.age;
        EXPECT_EQ(ApplyRetention(list, kKeepByDays, c.age, c.now).removed, 1u) << c.age;
    }
    EXPECT_EQ(T(2024, 11, 3, 23, 59) - T(2024, 11, 3, 0, 30), 24 * 3600 + 29 * 60);
}

TEST(KeepLimits, ATypedLimitIsTakenOnlyWhenItIsAWholeNumberInItsRange) {
    struct Case {
        const char* text;
        std::optional<int32_t> days, count;
    };
    const Case cases[] = {
        {"1", 1, 1},
        {" 3653 ", 3653, 3653},
        {"9999", 9999, 9999},
        {"10000", std::nullopt, 10000},
        {"100000", std::nullopt, 100000},
        {"100001", std::nullopt, std::nullopt},
        {"0", std::nullopt, std::nullopt},
        {"007", 7, 7},
        {"", std::nullopt, std::nullopt},
        {"  ", std::nullopt, std::nullopt},
        {"99999999999", std::nullopt, std::nullopt},
        {"99999999999999999999999", std::nullopt, std::nullopt},
        {"-5", std::nullopt, std::nullopt},
        {"+5", std::nullopt, std::nullopt},
        {"1 2", std::nullopt, std::nullopt},
        {"12a", std::nullopt, std::nullopt},
        {"\xA3\xB1", std::nullopt, std::nullopt}, // a full-width digit one
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeepLimitFromText(c.text, kMinKeepDays, kMaxKeepDays), c.days) << c.text;
        EXPECT_EQ(KeepLimitFromText(c.text, kMinKeepCount, kMaxKeepCount), c.count) << c.text;
    }
}
