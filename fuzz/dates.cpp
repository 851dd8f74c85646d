// Date numbers, date formats and "yyyymmdd" texts. The input's first four bytes are a day number;
// the rest is a format, up to a zero byte, then the short date format, and is also read as a
// "yyyymmdd" text. Any day number formats without fault; every day of the years 1 to 9999 decodes
// to a valid date that encodes back to it and formats as the "yyyymmdd" text that reads back.

#include "app/dates.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/error.h"
#include "app/numbers.h"
#include "reports/report_page.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    std::int32_t number = 0;
    std::memcpy(&number, data, sizeof number);
    const seewolf::Date date = number;
    const std::string_view rest = seewolf::fuzz::AsText(data + 4, size - 4);
    const std::size_t zero = rest.find('\0');
    seewolf::DateTexts texts;
    if (zero != std::string_view::npos) {
        texts.shortDateFormat = std::string(rest.substr(zero + 1));
    }
    const std::string_view format = rest.substr(0, zero);

    static_cast<void>(seewolf::FormatDate(format, date, texts));
    if (seewolf::FormatShortDate(date, texts) != seewolf::FormatDate(texts.shortDateFormat, date, texts)) {
        std::abort();
    }

    static const seewolf::Date first = seewolf::EncodeDate(1, 1, 1);
    static const seewolf::Date last = seewolf::EncodeDate(9999, 12, 31);
    if (date >= first && date <= last) {
        const seewolf::YearMonthDay ymd = seewolf::DecodeDate(date);
        if (!seewolf::IsValidDate(ymd.year, ymd.month, ymd.day) ||
            seewolf::EncodeDate(ymd.year, ymd.month, ymd.day) != date) {
            std::abort();
        }
        const std::string text = seewolf::FormatDate("yyyymmdd", date, texts);
        const std::string expected =
            seewolf::ZeroPad(ymd.year, 4) + seewolf::ZeroPad(ymd.month, 2) + seewolf::ZeroPad(ymd.day, 2);
        if (text != expected || seewolf::reports::TitleDate(text, texts) !=
                                    text.substr(6, 2) + texts.monthNames[ymd.month - 1] + text.substr(2, 2)) {
            std::abort();
        }
    }

    // The rest as a "yyyymmdd" text: eight digits with a month from 1 to 12 read, all else is refused.
    bool digits = rest.size() == 8;
    for (char c : rest) {
        digits = digits && c >= '0' && c <= '9';
    }
    const bool valid = digits && (rest.substr(4, 2) >= "01" && rest.substr(4, 2) <= "12");
    try {
        const std::string title = seewolf::reports::TitleDate(rest, texts);
        if (!valid || title.size() < 4) {
            std::abort();
        }
    } catch (const seewolf::Error&) {
        if (valid) {
            std::abort();
        }
    }
    return 0;
}
