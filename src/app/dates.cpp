#include "app/dates.h"

#include "app/error.h"
#include "app/numbers.h"
#include "platform/encoding.h"

namespace seewolf {

namespace {

// Days from 1 January of year 1 to 30 December 1899, the day numbered 0.
constexpr int kEpochOffset = 693593;

// Rounds down, also below zero, so that the years before year 1 keep the leap-year rule.
long long FloorDiv(long long a, long long b) {
    return a / b - (a % b < 0 ? 1 : 0);
}

// In 64 bits and for every year, so that any day number decodes (a date from a file plus a
// number of days can lie far outside the years 1 to 9999).
long long DaysBeforeYear(long long year) {
    const long long y = year - 1;
    return y * 365 + FloorDiv(y, 4) - FloorDiv(y, 100) + FloorDiv(y, 400);
}

int DaysBeforeMonth(int year, int month) {
    int days = 0;
    for (int m = 1; m < month; ++m) {
        days += DaysInMonth(year, m);
    }
    return days;
}

}  // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool IsValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

Date EncodeDate(int year, int month, int day) {
    if (!IsValidDate(year, month, day)) {
        throw Error("Invalid date: year " + std::to_string(year) + ", month " + std::to_string(month) +
                    ", day " + std::to_string(day) + ".");
    }
    return static_cast<Date>(DaysBeforeYear(year) + DaysBeforeMonth(year, month) + day - 1 - kEpochOffset);
}

YearMonthDay DecodeDate(Date date) {
    const long long days = static_cast<long long>(date) + kEpochOffset;  // days since 1 January of year 1
    // Estimate the year, then correct it.
    int year = static_cast<int>(FloorDiv(days * 400, 146097)) + 1;
    while (DaysBeforeYear(year) > days) {
        --year;
    }
    while (DaysBeforeYear(year + 1) <= days) {
        ++year;
    }
    int dayOfYear = static_cast<int>(days - DaysBeforeYear(year));
    int month = 1;
    while (dayOfYear >= DaysInMonth(year, month)) {
        dayOfYear -= DaysInMonth(year, month);
        ++month;
    }
    return {year, month, dayOfYear + 1};
}

int DayOfWeek(Date date) {
    // Day 0, 30 December 1899, was a Saturday (7).
    int r = ((date % 7) + 7) % 7;  // 0 = Saturday
    return r == 0 ? 7 : r;
}

namespace {

// `nested` is true inside an expanded "ddddd". The short date format may itself hold "ddddd"
// (a language table can say anything): it is expanded once, and inside that expansion it gives
// nothing, as with the Windows formatting routines, instead of expanding without end.
std::string Format(std::string_view format, Date date, const DateTexts& texts, bool nested) {
    const YearMonthDay ymd = DecodeDate(date);
    std::string out;
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c == '\'' || c == '"') {
            std::size_t end = format.find(c, i + 1);
            if (end == std::string_view::npos) {
                end = format.size();
            }
            out.append(format.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        const char lower = LowerCp1252(c);
        std::size_t count = 1;
        while (i + count < format.size() && LowerCp1252(format[i + count]) == lower) {
            ++count;
        }
        switch (lower) {
            case 'd':
                if (count >= 5) {
                    if (!nested) {
                        out += Format(texts.shortDateFormat, date, texts, true);
                    }
                    count = 5;
                } else if (count >= 3) {
                    out += texts.dayNames[static_cast<std::size_t>(DayOfWeek(date) - 1)];
                } else {
                    out += ZeroPad(ymd.day, static_cast<int>(count));
                }
                break;
            case 'm':
                if (count >= 3) {
                    out += texts.monthNames[static_cast<std::size_t>(ymd.month - 1)];
                } else {
                    out += ZeroPad(ymd.month, static_cast<int>(count));
                }
                break;
            case 'y':
                out += count <= 2 ? ZeroPad(ymd.year % 100, 2) : ZeroPad(ymd.year, 4);
                break;
            default:
                out.append(format.substr(i, count));
                break;
        }
        i += count;
    }
    return out;
}

}  // namespace

std::string FormatDate(std::string_view format, Date date, const DateTexts& texts) {
    return Format(format, date, texts, false);
}

std::string FormatShortDate(Date date, const DateTexts& texts) {
    return FormatDate(texts.shortDateFormat, date, texts);
}

}  // namespace seewolf
