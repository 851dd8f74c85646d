#pragma once

// What every part of the demo world is written with: text and number helpers, a calendar of its
// own, profile text and the output that writes files with their exact bytes.
//
// Everything here is invented for Seewolf: names, numbers, grids and texts only have to look
// plausible and hang together (dates, ports and boat types agree between the game's
// configuration and the careers). The demo does its own date arithmetic with std::chrono, so a
// fault in the core's date code cannot hide behind a fixture built with the same code.

#include <array>
#include <charconv>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/encoding.h"
#include "platform/error.h"

namespace seewolf::demo {

namespace fs = std::filesystem;

// Small helpers

inline std::string Utf8Of(const fs::path& path) {
    return platform::Utf8FromPath(path);
}

using platform::PathFromUtf8;

[[noreturn]] inline void Fail(std::string_view what, const fs::path& path, const std::error_code& ec = {}) {
    std::string text = "Cannot write the demo installation: " + std::string(what) + " \"" +
                       Cp1252FromUtf8(Utf8Of(path)) + "\"";
    if (ec) {
        text += " (" + Cp1252FromUtf8(ec.message()) + ")";
    }
    throw Error(text + ".");
}

inline std::string Num(long long value) {
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

// Floats as the game writes them: six decimals, "." as separator.
inline std::string Float(double value) {
    std::array<char, 48> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 6);
    return std::string(buffer.data(), result.ptr);
}

inline std::string TwoDigits(int value) {
    return (value < 10 ? "0" : "") + Num(value);
}

// A deterministic stream of draws, seeded from a text, so every run writes the same world.
class Draws {
  public:
    explicit Draws(std::string_view seed) {
        for (const char c : seed) {
            m_state = (m_state ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        }
    }
    // A whole number from 0 to n - 1.
    int Next(int n) {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return static_cast<int>(m_state % static_cast<std::uint64_t>(n));
    }

  private:
    std::uint64_t m_state = 14695981039346656037ULL;
};

// ---------------------------------------------------------------------------------------------
// Calendar

struct Day {
    int year = 0;
    int month = 0;
    int day = 0;
};

inline std::chrono::sys_days ToDays(const Day& d) {
    return std::chrono::year{d.year} / std::chrono::month{static_cast<unsigned>(d.month)} /
           std::chrono::day{static_cast<unsigned>(d.day)};
}

inline Day FromDays(std::chrono::sys_days days) {
    const std::chrono::year_month_day ymd{days};
    return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

inline Day AddDays(const Day& d, int days) {
    return FromDays(ToDays(d) + std::chrono::days{days});
}

// The first of the nearest month: a day after the 15th rounds up to the next month.
inline Day RoundToMonthStart(const Day& d) {
    if (d.day <= 15) {
        return {d.year, d.month, 1};
    }
    return d.month == 12 ? Day{d.year + 1, 1, 1} : Day{d.year, d.month + 1, 1};
}

// "05SEP39", the form of the dates of the program's career history records.
inline std::string ShortDate(const Day& d) {
    static constexpr std::array<std::string_view, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    return TwoDigits(d.day) + std::string(kMonths[static_cast<std::size_t>(d.month - 1)]) +
           TwoDigits(d.year % 100);
}

// A wall-clock time of the computer (local time), as the game notes when it saves.
struct LocalTime {
    Day day;
    int hour = 0;
    int minute = 0;
};

inline fs::file_time_type FileTimeOf(const LocalTime& t) {
    std::tm tm{};
    tm.tm_year = t.day.year - 1900;
    tm.tm_mon = t.day.month - 1;
    tm.tm_mday = t.day.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&tm);
    const auto system =
        std::chrono::time_point_cast<std::chrono::seconds>(std::chrono::system_clock::from_time_t(seconds));
    return std::chrono::file_clock::from_sys(system);
}

// ---------------------------------------------------------------------------------------------
// Profile text: sections of key=value lines with CR LF line ends. Built from UTF-8 source
// text and written as Windows-1252, like every text file of the game.

class ProfileText {
  public:
    ProfileText& Section(std::string_view name) {
        m_text += "[" + std::string(name) + "]\r\n";
        return *this;
    }
    ProfileText& Key(std::string_view key, std::string_view value) {
        m_text += std::string(key) + "=" + std::string(value) + "\r\n";
        return *this;
    }
    ProfileText& Key(std::string_view key, const char* value) { return Key(key, std::string_view(value)); }
    ProfileText& Key(std::string_view key, const std::string& value) {
        return Key(key, std::string_view(value));
    }
    ProfileText& Key(std::string_view key, int value) { return Key(key, Num(value)); }
    ProfileText& Key(std::string_view key, double value) { return Key(key, Float(value)); }
    ProfileText& Blank() {
        m_text += "\r\n";
        return *this;
    }
    ProfileText& Comment(std::string_view comment) {
        m_text += "; " + std::string(comment) + "\r\n";
        return *this;
    }
    const std::string& Utf8() const { return m_text; }

  private:
    std::string m_text;
};

// Converts invented UTF-8 text to Windows-1252. A character the code page cannot hold would
// silently become "?", so it is refused instead: the demo data must survive the conversion.
inline std::string Cp1252Exact(std::string_view utf8) {
    std::string bytes = Cp1252FromUtf8(utf8);
    if (Utf8FromCp1252(bytes) != utf8) {
        throw Error("The demo installation holds a text that Windows-1252 cannot represent: " + bytes);
    }
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// Output: files are written with their exact bytes. Files that already exist are kept, so a
// user's changes to the world survive a second run (a fresh run has removed them before).

class Output {
  public:
    // Writes the file unless it exists; returns whether it was written.
    bool WriteNew(const fs::path& path, std::string_view bytes) {
        std::error_code ec;
        if (fs::exists(path, ec)) {
            ++m_kept;
            return false;
        }
        CreateFolder(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out) {
            Fail("cannot create", path);
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            Fail("cannot write", path);
        }
        ++m_written;
        return true;
    }

    bool WriteNewText(const fs::path& path, const ProfileText& text) {
        return WriteNew(path, Cp1252Exact(text.Utf8()));
    }

    static void CreateFolder(const fs::path& folder) {
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec) {
            Fail("cannot create the folder", folder, ec);
        }
    }

    static void SetModified(const fs::path& path, const LocalTime& time) {
        std::error_code ec;
        fs::last_write_time(path, FileTimeOf(time), ec);
        if (ec) {
            Fail("cannot set the time of", path, ec);
        }
    }

    std::size_t Written() const { return m_written; }
    std::size_t Kept() const { return m_kept; }

  private:
    std::size_t m_written = 0;
    std::size_t m_kept = 0;
};
// Writes a program file through a temporary name, replacing what is there.
inline void ReplaceFile(const fs::path& to, std::string_view bytes) {
    Output::CreateFolder(to.parent_path());
    const fs::path temporary = to.parent_path() / (to.filename().native() + fs::path(".demo-new").native());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            Fail("cannot write", to);
        }
    }
    std::error_code ec;
    fs::rename(temporary, to, ec);
    if (ec) {
        fs::remove(temporary, ec);
        Fail("cannot write", to, ec);
    }
}

}  // namespace seewolf::demo
