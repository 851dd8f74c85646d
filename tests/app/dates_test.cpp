#include "app/dates.h"

#include <gtest/gtest.h>
#include <limits>

#include "app/error.h"

namespace seewolf {
namespace {

TEST(Dates, EncodeAndDecodeRoundTrip) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(1939, 9, 1), 14489);
    for (Date d = EncodeDate(1935, 1, 1); d < EncodeDate(1947, 1, 1); ++d) {
        const YearMonthDay ymd = DecodeDate(d);
        ASSERT_EQ(EncodeDate(ymd.year, ymd.month, ymd.day), d);
    }
    const YearMonthDay leap = DecodeDate(EncodeDate(1940, 2, 29));
    EXPECT_EQ(leap.month, 2);
    EXPECT_EQ(leap.day, 29);

    // Every day number decodes, one calendar day after the other, also before year 1 (year 0 is a
    // leap year) and at the ends of the range.
    YearMonthDay previous = DecodeDate(EncodeDate(1, 1, 1) - 3000);
    for (Date d = EncodeDate(1, 1, 1) - 2999; d <= EncodeDate(1, 1, 1); ++d) {
        const YearMonthDay ymd = DecodeDate(d);
        const bool nextDay =
            ymd.year == previous.year && ymd.month == previous.month && ymd.day == previous.day + 1;
        const bool nextMonth = ymd.day == 1 && ymd.year == previous.year && ymd.month == previous.month + 1;
        const bool nextYear = ymd.day == 1 && ymd.month == 1 && ymd.year == previous.year + 1;
        ASSERT_TRUE(nextDay || nextMonth || nextYear) << d;
        previous = ymd;
    }
    EXPECT_EQ(DecodeDate(EncodeDate(1, 1, 1) - 1).day, 31);
    EXPECT_EQ(DecodeDate(EncodeDate(1, 3, 1) - 365 - 1).day, 29);  // 29 February of year 0
    const YearMonthDay last = DecodeDate(std::numeric_limits<Date>::max());
    const YearMonthDay first = DecodeDate(std::numeric_limits<Date>::min());
    EXPECT_EQ(last.year, 5881510);
    EXPECT_EQ(first.year, -5877711);
}

TEST(Dates, InvalidDatesThrow) {
    EXPECT_THROW(EncodeDate(-1, -1, -1), Error);
    EXPECT_THROW(EncodeDate(1941, 2, 29), Error);
    EXPECT_THROW(EncodeDate(1941, 13, 1), Error);
    EXPECT_THROW(EncodeDate(1941, 4, 31), Error);
    EXPECT_NO_THROW(EncodeDate(1940, 2, 29));
}

TEST(Dates, WeekDays) {
    EXPECT_EQ(DayOfWeek(EncodeDate(1939, 1, 1)), 1);  // a Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(1939, 9, 1)), 6);  // a Friday
    EXPECT_EQ(DayOfWeek(EncodeDate(1945, 5, 8)), 3);  // a Tuesday
}

TEST(Dates, FormatsOfTheCareerRecords) {
    const DateTexts texts;
    const Date d = EncodeDate(1941, 3, 7);
    EXPECT_EQ(FormatDate("yyyymmdd", d, texts), "19410307");
    EXPECT_EQ(FormatDate("ddMMMyy", d, texts), "07Mar41");
    EXPECT_EQ(FormatDate("yymm", d, texts), "4103");
    EXPECT_EQ(FormatDate("mm/yy", d, texts), "03/41");
    EXPECT_EQ(FormatDate("d.M.yy", d, texts), "7.3.41");
    EXPECT_EQ(FormatShortDate(d, texts), "Friday, Mar 7, 1941");
    EXPECT_EQ(FormatDate("'Day' d", d, texts), "Day 7");
}

TEST(Dates, FormatUsesTheLoadedNames) {
    DateTexts texts;
    texts.dayNames[0] = "Sonntag";
    texts.monthNames[0] = "Jan.";
    texts.shortDateFormat = "dddd, d. MMM yyyy";
    EXPECT_EQ(FormatShortDate(EncodeDate(1939, 1, 1), texts), "Sonntag, 1. Jan. 1939");

    // "ddddd" is the short date format, which may hold "ddddd" itself: expanded once.
    EXPECT_EQ(FormatDate("[ddddd]", EncodeDate(1939, 1, 1), texts), "[Sonntag, 1. Jan. 1939]");
    texts.shortDateFormat = "d.mm. ddddd|";
    EXPECT_EQ(FormatShortDate(EncodeDate(1939, 1, 1), texts), "1.01. 1.01. ||");
    EXPECT_EQ(FormatDate("ddddd", EncodeDate(1939, 1, 1), texts), "1.01. |");
}

}  // namespace
}  // namespace seewolf
