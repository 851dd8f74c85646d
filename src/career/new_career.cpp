#include "career/new_career.h"

#include <algorithm>

#include "app/dates.h"
#include "app/error.h"
#include "app/language.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/text.h"
#include "career/career.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace seewolf {

namespace {

constexpr std::string_view kFlotillaSection = "FLOTILLA";

ProfileFile FlotillaCfg(const Paths& paths) {
    return ProfileFile(paths.Game("data\\Cfg\\Flotilla.cfg"));
}
ProfileFile BasicCfg(const Paths& paths) {
    return ProfileFile(paths.Game("data\\Cfg\\Basic.cfg"));
}

std::string Num(int n) {
    return std::to_string(n);
}

// A game menu text looked up by the key as written in a file ("702"), so that a missing or
// malformed key simply finds nothing.
std::string MenuText(const Paths& paths, const Language& language, std::string_view key,
                     std::string_view def) {
    return ProfileFile(MenuTable(paths, language).File()).ReadString("STRINGS", key, def);
}

// A count or number kept as text with an optional ";" remark ("4 ; coastal boats").
int WholeNumber(const ProfileFile& file, std::string_view section, std::string_view key,
                std::string_view text) {
    const std::string cut = CutAt(text, ';');
    if (const auto n = ParseInteger(cut)) {
        return *n;
    }
    throw Error("'" + cut + "' is not a valid whole number ([" + std::string(section) + "] " +
                std::string(key) + " in " + PathText(file.Path()) + ").");
}

// A month start read from two integer keys; throws for a missing key and a date that does not
// exist.
Date MonthStart(const ProfileFile& file, const std::string& yearKey, const std::string& monthKey) {
    return EncodeDate(ReadRequiredInteger(file, kFlotillaSection, yearKey),
                      ReadRequiredInteger(file, kFlotillaSection, monthKey), 1);
}

std::string YearMonthText(Date date) {
    return FormatDate("yymm", date, DateTexts{});
}

}  // namespace

int MonthRange::Fit(int month) const {
    return std::clamp(month, first, last);
}

int FirstMonth1939(const Paths& paths) {
    const ProfileFile cfg = FlotillaCfg(paths);
    int first = 9;
    const int count = cfg.ReadInteger(kFlotillaSection, "NbFlotilla", 0);
    for (int f = 0; f < count; ++f) {
        const std::string k0 = Num(f) + "0";
        if (SameText(cfg.ReadString(kFlotillaSection, "Starting" + k0, "no"), "yes") &&
            cfg.ReadInteger(kFlotillaSection, "Date" + k0, 0) == kFirstYear) {
            first = std::min(first, cfg.ReadInteger(kFlotillaSection, "Month" + k0, 0));
        }
    }
    // A missing or nonsensical month must not open the range below January.
    return std::max(first, 1);
}

MonthRange MonthsOf(const Paths& paths, int year) {
    if (year == kFirstYear) {
        return {FirstMonth1939(paths), 12};
    }
    if (year == kLastYear) {
        return {1, 5};
    }
    return {1, 12};
}

std::string YearHint(const Paths& paths, const Language& language, int year) {
    return WrapText(MenuTable(paths, language).Text(year - 1679, ""), 90);
}

std::vector<FlotillaChoice> OfferedFlotillas(const Paths& paths, const Language& language,
                                             CareerStatus careerStatus, int year, int month) {
    const ProfileFile cfg = FlotillaCfg(paths);
    const int count = cfg.ReadInteger(kFlotillaSection, "NbFlotilla", 0);
    std::vector<FlotillaChoice> offered;
    auto add = [&](const std::string& f) {
        FlotillaChoice choice;
        choice.id = cfg.ReadString(kFlotillaSection, "Flotilla" + f, kMissingName);
        choice.name = MenuText(paths, language, choice.id, kMissingName);
        offered.push_back(std::move(choice));
    };

    if (careerStatus == CareerStatus::SingleMission) {
        for (int f = 0; f < count; ++f) {
            add(Num(f));
        }
        return offered;
    }
    if (careerStatus != CareerStatus::NewCareer) {
        return offered;
    }

    // The dates compare as "yymm" text, which orders correctly within the war years.
    const std::string selected = YearMonthText(EncodeDate(year, month, 1));
    for (int index = 0; index < count; ++index) {
        const std::string f = Num(index);
        const std::string firstBase = f + "_0_0";
        const std::string lastBase =
            f + "_" + Num(cfg.ReadInteger(kFlotillaSection, "NbBases" + f, 0) - 1) + "_1";
        if (selected < YearMonthText(MonthStart(cfg, "Date" + firstBase, "Month" + firstBase)) ||
            selected > YearMonthText(MonthStart(cfg, "Date" + lastBase, "Month" + lastBase))) {
            continue;
        }
        const int starts = cfg.ReadInteger(kFlotillaSection, "NbStartingDate" + f, 0);
        if (starts <= 0) {
            continue;
        }
        // The indices run through the count itself: one starting date past the counted ones is
        // examined as well.
        for (int k = 0; k <= starts; ++k) {
            const std::string fk = f + Num(k);
            if (cfg.ReadInteger(kFlotillaSection, "Date" + fk, 0) == year &&
                SameText(cfg.ReadString(kFlotillaSection, "Starting" + fk, "no"), "yes")) {
                add(f);
                break;
            }
        }
    }
    return offered;
}

std::vector<BoatTypeChoice> OfferedBoatTypes(const Paths& paths, CareerStatus careerStatus,
                                             std::string_view flotillaId, int year, int month,
                                             bool useSubDts) {
    const ProfileFile basic = BasicCfg(paths);
    std::vector<BoatTypeChoice> offered;

    if (careerStatus == CareerStatus::SingleMission) {
        for (int type = 0;; ++type) {
            const std::string section = "SUBMARINE" + Num(type);
            if (!basic.SectionExists(section)) {
                break;
            }
            const int versions =
                WholeNumber(basic, section, "NbVersion", basic.ReadString(section, "NbVersion", "0"));
            for (int i = 0; i < versions; ++i) {
                offered.push_back({basic.ReadString(section, "Name" + Num(i), kMissingName), Num(type)});
            }
        }
        return offered;
    }
    if (careerStatus != CareerStatus::NewCareer) {
        return offered;
    }

    const ProfileFile flotillas = FlotillaCfg(paths);
    const int count = flotillas.ReadInteger(kFlotillaSection, "NbFlotilla", 0);
    int found = -1;
    for (int f = 0; f < count && found < 0; ++f) {
        if (flotillas.ReadString(kFlotillaSection, "Flotilla" + Num(f), kMissingName) == flotillaId) {
            found = f;
        }
    }
    if (found < 0) {
        return offered;
    }
    const std::string f = Num(found);
    const int boats = flotillas.ReadInteger(kFlotillaSection, "NbUboats" + f, 0);

    const ProfileFile availability =
        useSubDts ? ProfileFile(paths.Prog("Cfg\\U-boat availability.cfg")) : basic;
    const std::string prefix = std::string(flotillaId) + "_";
    const Date selected = EncodeDate(year, month, 1);
    std::string listed;  // the names so far, joined by line breaks

    for (int j = 0; j < boats; ++j) {
        const std::string type =
            CutAt(flotillas.ReadString(kFlotillaSection, "Uboat" + f + "_" + Num(j), kMissingName), ';');
        const std::string section = "SUBMARINE" + type;
        const std::string versionsText = availability.ReadString(section, prefix + "NbVersion",
                                                                 basic.ReadString(section, "NbVersion", "0"));
        const int versions = WholeNumber(availability, section, prefix + "NbVersion", versionsText);
        for (int v = 0; v < versions; ++v) {
            const std::string i = Num(v);
            const int fromYear = availability.ReadInteger(section, prefix + "Year" + i,
                                                          basic.ReadInteger(section, "Year" + i, 0));
            const int fromMonth = availability.ReadInteger(section, prefix + "Month" + i,
                                                           basic.ReadInteger(section, "Month" + i, 0));
            if (selected < EncodeDate(fromYear, fromMonth, 1)) {
                continue;
            }
            const std::string name = availability.ReadString(
                section, prefix + "Name" + i, basic.ReadString(section, "Name" + i, kMissingName));
            // A name found anywhere in the list, even inside a longer name, is taken as listed.
            // An empty name is never taken as found.
            if (!name.empty() && listed.find(name) != std::string::npos) {
                continue;
            }
            if (!offered.empty()) {
                listed += "\n";
            }
            listed += name;
            offered.push_back({name, type});
        }
    }
    return offered;
}

std::vector<std::string> OfferedBoatNumbers(const Paths& paths, std::string_view boatTypeName,
                                            std::string_view key) {
    if (boatTypeName.empty() || key.empty()) {
        return {};
    }
    return SplitCommaText(
        ProfileFile(paths.Prog("Cfg\\U-boat numbers.cfg")).ReadString(boatTypeName, key, ""));
}

int KeptChoice(const std::vector<std::string>& names, std::string_view remembered) {
    if (names.empty()) {
        return -1;
    }
    const auto at = std::find(names.begin(), names.end(), remembered);
    return at == names.end() ? 0 : static_cast<int>(at - names.begin());
}

FlotillaInfo DescribeFlotilla(const Paths& paths, const Language& language, std::string_view flotillaId,
                              std::string_view flotillaName) {
    FlotillaInfo info;
    info.title = std::string(flotillaName);
    const auto id = ParseInteger(flotillaId);
    info.text = (id ? MenuTable(paths, language).Text(*id - 632, "") : std::string()) + "\n\nBases:";

    const ProfileFile cfg = FlotillaCfg(paths);
    const int count = cfg.ReadInteger(kFlotillaSection, "NbFlotilla", 0);
    for (int index = 0; index < count; ++index) {
        const std::string f = Num(index);
        if (cfg.ReadString(kFlotillaSection, "Flotilla" + f, kMissingName) != flotillaId) {
            continue;
        }
        const int bases = cfg.ReadInteger(kFlotillaSection, "NbBases" + f, 0);
        for (int b = 0; b < bases; ++b) {
            const std::string fb = f + "_" + Num(b);
            const Date from = MonthStart(cfg, "Date" + fb + "_0", "Month" + fb + "_0");
            const Date until = MonthStart(cfg, "Date" + fb + "_1", "Month" + fb + "_1");
            const std::string port = CutAt(cfg.ReadString(kFlotillaSection, "Base" + fb, kMissingName), ';');
            const std::string name = CutAt(MenuText(paths, language, port, kMissingName), ';');
            info.text += "\n" + FormatDate("mm/yy", from, language.dates) + " to " +
                         FormatDate("mm/yy", until, language.dates) + " - " + name;
        }
    }
    return info;
}

std::vector<std::string> CrewSets(const Paths& paths) {
    std::vector<std::string> sets;
    for (const platform::FolderEntry& entry : platform::ListFolder(paths.Prog("Crew"))) {
        if (entry.isFolder) {
            sets.push_back(entry.name);
        }
    }
    return sets;
}

}  // namespace seewolf
