#include "career/career.h"

#include <algorithm>
#include <optional>

#include "app/error.h"
#include "app/language.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "app/settings.h"
#include "app/text.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace seewolf {

namespace {

namespace fs = std::filesystem;

constexpr const char* kPatrolsNow = "Patrols_0.cfg";
constexpr const char* kPatrolsDone = "Patrols.cfg";
constexpr const char* kCareerNow = "Careers_0.cfg";
constexpr const char* kCareerDone = "Careers.cfg";

fs::path CareerFolderOf(const Paths& paths, std::string_view name) {
    return platform::WithTrailingSeparator(paths.Save("Careers\\" + std::string(name)));
}

fs::path FileIn(const fs::path& folder, std::string_view name) {
    return platform::Resolve(folder, name);
}

bool IsSaveName(std::string_view name) {
    return name.size() >= 4 && SameText(name.substr(name.size() - 4), ".sav");
}

std::string Where(const ProfileFile& file, std::string_view section) {
    return PathText(file.Path()) + " [" + std::string(section) + "] ";
}

// A date kept as three keys <prefix>Year, <prefix>Month, <prefix>Day, each required.
Date ReadDate(const ProfileFile& file, const std::string& section, const std::string& prefix) {
    const int year = ReadRequiredInteger(file, section, prefix + "Year");
    const int month = ReadRequiredInteger(file, section, prefix + "Month");
    const int day = ReadRequiredInteger(file, section, prefix + "Day");
    if (!IsValidDate(year, month, day)) {
        throw Error("Invalid date in " + Where(file, section) + prefix + "Year/" + prefix + "Month/" +
                    prefix + "Day: year " + std::to_string(year) + ", month " + std::to_string(month) +
                    ", day " + std::to_string(day) + ".");
    }
    return EncodeDate(year, month, day);
}

// When the game last saved the career: RealYear/RealMonth/RealDay and RealHour/RealMin.
DateTime ReadSavedTime(const ProfileFile& file, const std::string& section) {
    const Date date = ReadDate(file, section, "Real");
    const int hour = ReadRequiredInteger(file, section, "RealHour");
    const int minute = ReadRequiredInteger(file, section, "RealMin");
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59) {
        throw Error("Invalid time in " + Where(file, section) + "RealHour/RealMin: hour " +
                    std::to_string(hour) + ", minute " + std::to_string(minute) + ".");
    }
    return {date, hour * 3600 + minute * 60};
}

// A file time as the local date and time the user's clock showed; nothing for a time outside
// the calendar's years.
std::optional<DateTime> LocalDateTime(std::int64_t nanoseconds) {
    const platform::LocalTime t = platform::ToLocalTime(nanoseconds);
    if (!IsValidDate(t.year, t.month, t.day)) {
        return std::nullopt;
    }
    return DateTime{EncodeDate(t.year, t.month, t.day), t.hour * 3600 + t.minute * 60 + t.second};
}

struct NewestSave {
    bool any = false;  // some save of the current patrol exists: the boat is at sea
    fs::path path;     // the newest one, empty when none is at least as new as the career's saved time
    std::string name;  // its file name
    DateTime saved;    // the running maximum
};

// The saves of the current patrol in the folder's listing order. A save at least as new as the
// newest so far takes over, so among saves of the same time the last one listed wins.
NewestSave FindNewestSave(const fs::path& folder, DateTime careerSaved) {
    NewestSave result;
    result.saved = careerSaved;
    for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
        if (entry.isFolder || !IsSaveName(entry.name)) {
            continue;
        }
        const fs::path path = folder / platform::PathFromText(entry.name);
        const std::optional<platform::FileStamp> stamp = platform::StampOf(path);
        if (!stamp) {
            continue;  // not a regular file (or gone meanwhile)
        }
        result.any = true;
        const std::optional<DateTime> modified = LocalDateTime(stamp->modifiedNs);
        if (modified && *modified >= result.saved) {
            result.saved = *modified;
            result.path = path;
            result.name = entry.name;
        }
    }
    return result;
}

bool HasFirstPatrolSave(const fs::path& careerFolder) {
    const fs::path folder = FileIn(careerFolder, "0");
    for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
        if (!entry.isFolder && IsSaveName(entry.name) &&
            platform::FileExists(folder / platform::PathFromText(entry.name))) {
            return true;
        }
    }
    return false;
}

// The key by which careers are put in order: letters without case and accents ("Ä" with "A",
// "ß" as "ss"), so that a name sorts where a reader looks for it.
std::string SortKey(std::string_view name) {
    std::string key;
    key.reserve(name.size());
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        const char* fold = nullptr;
        if (b >= 0xC0) {
            static constexpr const char* kFolds[64] = {
                "a", "a", "a", "a", "a", "a", "ae", "c",     "e", "e", "e", "e", "i", "i", "i",  "i",   // C0
                "d", "n", "o", "o", "o", "o", "o",  nullptr, "o", "u", "u", "u", "u", "y", "th", "ss",  // D0
                "a", "a", "a", "a", "a", "a", "ae", "c",     "e", "e", "e", "e", "i", "i", "i",  "i",   // E0
                "d", "n", "o", "o", "o", "o", "o",  nullptr, "o", "u", "u", "u", "u", "y", "th", "y"};  // F0
            fold = kFolds[b - 0xC0];
        } else if (b == 0x8A || b == 0x9A) {
            fold = "s";
        } else if (b == 0x8E || b == 0x9E) {
            fold = "z";
        } else if (b == 0x8C || b == 0x9C) {
            fold = "oe";
        } else if (b == 0x9F) {
            fold = "y";
        }
        if (fold != nullptr) {
            key += fold;
        } else {
            key += LowerCp1252(c);
        }
    }
    return key;
}

// The first of the nearest month: a day after the 15th goes on to the next month.
Date RoundToMonthStart(Date date) {
    const YearMonthDay ymd = DecodeDate(date);
    if (ymd.day <= 15) {
        return EncodeDate(ymd.year, ymd.month, 1);
    }
    return ymd.month == 12 ? EncodeDate(ymd.year + 1, 1, 1) : EncodeDate(ymd.year, ymd.month + 1, 1);
}

// History dates are stored as "05SEP39". The personnel file reads them back, so they are written
// with the English month names whatever the language: a record stays readable when the game's
// language changes.
std::string HistoryDate(Date date) {
    return UpperCase(FormatDate("ddMMMyy", date, DateTexts{}));
}

std::vector<std::string> LoadBirthplaces(const fs::path& file) {
    const std::optional<std::string> bytes = platform::ReadFile(file);
    if (!bytes) {
        throw Error("Cannot open file \"" + PathText(file) + "\".");
    }
    std::vector<std::string> lines = SplitLines(*bytes);
    if (lines.empty()) {
        throw Error("The list of birthplaces \"" + PathText(file) + "\" is empty.");
    }
    return lines;
}

std::string Clock(int secondOfDay) {
    return ZeroPad(secondOfDay / 3600, 2) + ":" + ZeroPad(secondOfDay / 60 % 60, 2);
}

}  // namespace

std::string SectionName(std::string_view prefix, int n) {
    return std::string(prefix) + ZeroPad(n, 3);
}

std::vector<std::string> ListCareers(const Paths& paths) {
    return ListCareerFolders(paths).names;
}

CareerListing ListCareerFolders(const Paths& paths) {
    const fs::path careers = platform::WithTrailingSeparator(paths.Save("Careers"));
    CareerListing listing;
    std::vector<std::string>& names = listing.names;
    // The folder's own entries, not their Windows-1252 names: a name the code page cannot hold
    // would come back with "?" in it and lead nowhere.
    std::error_code ec;
    for (auto it = fs::directory_iterator(careers, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError)) {
            continue;
        }
        const fs::path& folder = it->path();
        if (ProfileFile(FileIn(folder, kPatrolsNow)).ReadInteger("INIT", "Patrols", -1) <= 0 &&
            !HasFirstPatrolSave(folder)) {
            continue;
        }
        std::string name = platform::TextFromPath(folder.filename());
        if (platform::PathFromText(name) == folder.filename()) {
            names.push_back(std::move(name));
        } else {
            listing.unlisted.push_back(folder);
        }
    }
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names) {
        keyed.emplace_back(SortKey(name), std::move(name));
    }
    // Names equal apart from accents and case still get a fixed order.
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first) {
            return a.first < b.first;
        }
        const std::string lowerA = LowerCase(a.second);
        const std::string lowerB = LowerCase(b.second);
        return lowerA != lowerB ? lowerA < lowerB : a.second < b.second;
    });
    names.clear();
    for (auto& [key, name] : keyed) {
        names.push_back(std::move(name));
    }
    return listing;
}

SelectedCareer LoadCareer(const Paths& paths, const Language& language, std::string_view name) {
    SelectedCareer career;
    career.Name = std::string(name);
    career.CareerFolder = CareerFolderOf(paths, name);

    // The current (or next) patrol.
    const ProfileFile patrols(FileIn(career.CareerFolder, kPatrolsNow));
    const int n = ReadRequiredInteger(patrols, "INIT", "Patrols");
    if (n > kMaxPatrolCount) {
        // Every report walks the patrols one by one: a damaged count must not set it off on
        // billions of them.
        throw Error("The career file " + KeyPlace(patrols, "INIT", "Patrols") + " holds " +
                    std::to_string(n) + ", more patrols than a career can have (at most " +
                    std::to_string(kMaxPatrolCount) +
                    "). The file is damaged: restore the career's files from a backup.");
    }
    career.PatrolCount = n;
    const std::string patrol = SectionName("PATROL ", n);
    career.StartDate = ReadDate(patrols, patrol, "Start");
    career.PatrolArea = patrols.ReadString(patrol, "PatrolArea", kMissingName);
    career.SubName = patrols.ReadString(patrol, "SubName", kMissingName);
    const std::string subType = patrols.ReadString(patrol, "SubType", kMissingName);
    const std::string subVersion = patrols.ReadString(patrol, "SubVersion", kMissingName);
    career.FlotillaNb = patrols.ReadString(patrol, "Flotilla", kMissingName);
    const std::string startLocation = patrols.ReadString(patrol, "StartLocation", kMissingName);
    const DateTime careerSaved = ReadSavedTime(patrols, patrol);

    // The last completed patrol.
    if (n >= 1) {
        const ProfileFile done(FileIn(career.CareerFolder, kPatrolsDone));
        career.LastPatrolEnd = ReadDate(done, SectionName("PATROL ", n - 1), "End");
    } else {
        career.LastPatrolEnd = -1;
    }

    // The commander now.
    const ProfileFile commander(FileIn(career.CareerFolder, kCareerNow));
    const std::string now = SectionName("CAREER ", n);
    career.CmdrName = commander.ReadString(now, "PlayerName", kMissingName);
    career.CrtPort = commander.ReadInteger(now, "CrtPort", -1);

    // Names from the game's tables.
    const TextTable menu = MenuTable(paths, language);
    career.FlotillaName = ProfileFile(menu.File()).ReadString("STRINGS", career.FlotillaNb, kMissingName);
    career.PortName = ProfileFile(menu.File()).ReadString("STRINGS", startLocation, kMissingName);
    const long long rank = ReadRequiredInteger(commander, now, "PlayerRank");
    career.CmdrRank =
        RankName(ProfileFile(menu.File()).ReadString("STRINGS", std::to_string(rank + 160), kMissingName));
    career.SubTypeNb = ReadRequiredInteger(patrols, patrol, "SubType");
    career.SubTypeName = ProfileFile(paths.Game("data\\Cfg\\Basic.cfg"))
                             .ReadString("SUBMARINE" + subType, "Name" + subVersion, kMissingName);

    // The status.
    career.CareerStatus = CareerStatus::InBase;
    career.Saved = careerSaved;
    career.SaveGrid = "NULL";
    const ProfileFile history(FileIn(career.CareerFolder, kCareerDone));
    const std::string last = SectionName("CAREER ", n - 1);
    if (LowerCase(history.ReadString(last, "Finished", "false")) == "true") {
        career.CareerStatus = LowerCase(history.ReadString(last, "WarOver", "false")) == "false"
                                  ? CareerStatus::LostAtSea
                                  : CareerStatus::Retired;
    }
    if (career.CareerStatus == CareerStatus::InBase) {
        const fs::path saves = FileIn(career.CareerFolder, std::to_string(n));
        const NewestSave newest = FindNewestSave(saves, careerSaved);
        if (newest.any) {
            career.CareerStatus = CareerStatus::AtSea;
            career.NewestSave = newest.path;
            career.Saved = newest.saved;
            if (!newest.path.empty()) {
                const std::string base = newest.name.substr(0, newest.name.size() - 4);
                career.SaveGrid = ProfileFile(FileIn(saves, base + ".psc"))
                                      .ReadString("PLAYER_SUBMARINE", "PatrolArea", "NULL");
            }
        }
    }
    if (career.CareerStatus == CareerStatus::LostAtSea) {
        const std::vector<std::string> items = ReadCareerHistory(paths, name);
        if (items.size() > kHistorySurrendered && items[kHistorySurrendered] == "1") {
            career.CareerStatus = CareerStatus::Surrendered;
        }
    }

    career.InOtherBase = false;
    career.ContinueCareer = false;
    career.StartDateText = FormatDate("yyyymmdd", career.StartDate, DateTexts{});
    return career;
}

std::vector<std::string> ReadCareerHistory(const Paths& paths, std::string_view name) {
    return SplitCommaText(ProfileFile(paths.SettingsFile()).ReadString(kCareerDetailsSection, name, ""));
}

void WriteCareerHistory(const Paths& paths, std::string_view name, const std::vector<std::string>& items) {
    std::string text = JoinCommaText(items);
    // Reading a value removes one pair of matching outer quotes, which here would belong to the
    // first and last items: one more pair keeps them.
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
        text = '"' + text + '"';
    }
    ProfileFile(paths.SettingsFile()).WriteString(kCareerDetailsSection, name, text);
}

std::vector<std::string> EnsureCareerHistory(const Paths& paths, std::string_view name, Random& random) {
    std::vector<std::string> items = ReadCareerHistory(paths, name);
    if (!items.empty()) {
        return items;
    }

    // A past that leads up to the first patrol, drawn in a fixed order so that a seeded
    // generator gives the same commander every time.
    const ProfileFile patrols(FileIn(CareerFolderOf(paths, name), kPatrolsNow));
    const Date start = ReadDate(patrols, SectionName("PATROL ", 0), "Start");
    const Date t1 = start - 182 - random.Next(365);
    const Date t2 = RoundToMonthStart(start - 547 - random.Next(182));
    const Date t3 = RoundToMonthStart(t2 - 91 - random.Next(91));
    const YearMonthDay entry = DecodeDate(t3 - 1095 - random.Next(365));
    const Date t4 = EncodeDate(entry.year + (entry.month > 6 ? 1 : 0), 4, 1);
    const Date t5 = t4 + 242 + random.Next(60);
    const Date t6 = RoundToMonthStart(t4 + 456 + random.Next(273));
    const Date born = t4 - 6205 - random.Next(2190);
    const int portrait = random.Next(78);
    const int closing1 = random.Next(54) + 13;
    const int closing2 = random.Next(51) + 68;
    const std::vector<std::string> places = LoadBirthplaces(paths.Prog("Cfg\\Names_places.lst"));
    const std::string& place = places[static_cast<std::size_t>(random.Next(static_cast<int>(places.size())))];

    items = {HistoryDate(born),        place,
             ZeroPad(portrait, 2),     HistoryDate(t4),
             HistoryDate(t1),          HistoryDate(t5),
             HistoryDate(t6),          HistoryDate(t3),
             HistoryDate(t2),          std::to_string(closing1),
             std::to_string(closing2), "0"};
    WriteCareerHistory(paths, name, items);
    return items;
}

std::string InBaseStatusText(const SelectedCareer& career) {
    return std::string(career.InOtherBase ? "In other base before patrol " : "In home base before patrol ") +
           std::to_string(career.PatrolCount + 1);
}

bool StartsInOtherBase(const SelectedCareer& career) {
    return career.CareerStatus == CareerStatus::InBase && career.CrtPort == -1;
}

RecordSheet MakeRecordSheet(const SelectedCareer& career, const DateTexts& dates) {
    RecordSheet sheet;
    const int n = career.PatrolCount;
    const std::string startDate = FormatShortDate(career.StartDate, dates);
    switch (career.CareerStatus) {
        case CareerStatus::InBase:
            sheet.status = InBaseStatusText(career);
            sheet.date = startDate;
            sheet.grid = career.PatrolArea;
            break;
        case CareerStatus::LostAtSea:
            sheet.status = "Lost at sea during patrol " + std::to_string(n);
            sheet.date = "N/a";
            sheet.grid = "N/a";
            break;
        case CareerStatus::Retired:
            sheet.status = "Retired after " + std::to_string(n) + " patrols";
            sheet.date = startDate;
            sheet.grid = "N/a";
            break;
        case CareerStatus::AtSea:
            sheet.status = "At sea during patrol " + std::to_string(n + 1);
            sheet.date = "After " + startDate;
            sheet.grid = career.SaveGrid;
            break;
        case CareerStatus::Surrendered:
            sheet.status = "Surrendered at sea during patrol " + std::to_string(n);
            sheet.date = "N/a";
            sheet.grid = "N/a";
            break;
        default:
            break;  // the two fixed entries show no record sheet
    }
    sheet.name = career.CmdrName;
    sheet.rank = career.CmdrRank;
    sheet.lastPatrolEnd = career.LastPatrolEnd == -1 ? "N/a" : FormatShortDate(career.LastPatrolEnd, dates);
    sheet.boat = career.SubName + ",";
    sheet.type = "Type " + career.SubTypeName;
    sheet.flotilla = career.FlotillaName + ", " + career.PortName;
    // Times are written in the core's one short time format, 24-hour "hh:mm".
    sheet.saved = FormatShortDate(career.Saved.date, dates) + " at " + Clock(career.Saved.secondOfDay);

    const CareerStatus status = career.CareerStatus;
    sheet.statusLink = status == CareerStatus::InBase || status == CareerStatus::LostAtSea ||
                       status == CareerStatus::Retired;
    sheet.boatLinks = status == CareerStatus::InBase;
    sheet.gridLink = (status == CareerStatus::InBase && sheet.grid != "NULL") ||
                     (status == CareerStatus::AtSea && sheet.grid == "NULL");
    sheet.launchVisible = status == CareerStatus::InBase || status == CareerStatus::AtSea;
    return sheet;
}

std::string LatestCareer(const Paths& paths) {
    return ProfileFile(paths.SettingsFile()).ReadString(kLatestCareerSection, "CAREER", "");
}

}  // namespace seewolf
