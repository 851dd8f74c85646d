#pragma once

// Dates are whole day numbers counted from 30 December 1899 (day 0), the epoch of the date
// values of the Windows tools the game comes from; later dates are larger numbers.

#include <array>
#include <string>
#include <string_view>

namespace seewolf {

using Date = int;

struct YearMonthDay {
    int year = 0;
    int month = 0;
    int day = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);

// Day number of a calendar date. Throws Error for a date that does not exist (such as the
// default -1 of a missing key) or lies outside the years 1 to 9999.
Date EncodeDate(int year, int month, int day);
// Any day number decodes, those outside the years 1 to 9999 too (by the same calendar, with a
// year 0 and years below it).
YearMonthDay DecodeDate(Date date);

// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(Date date);

// The names that date formats use, loaded from the language tables at start.
struct DateTexts {
    std::array<std::string, 7> dayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
    std::array<std::string, 12> monthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string shortDateFormat = "ddd, MMM d, yyyy";
};

// Formats a date. Elements (letter case ignored): "d" day, "dd" day with two digits, "ddd" and
// "dddd" week-day name, "ddddd" the short date format, "m" month, "mm" month with two digits,
// "mmm" and "mmmm" month name, "yy" (or "y") two-digit year, "yyyy" (or "yyy") four-digit year.
// Text in single or double quotes is copied without the quotes; every other character as is.
std::string FormatDate(std::string_view format, Date date, const DateTexts& texts);

// The short date format, as every date shown in the main window is written.
std::string FormatShortDate(Date date, const DateTexts& texts);

}  // namespace seewolf
