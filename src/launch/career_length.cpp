#include "launch/career_length.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/dates.h"
#include "app/error.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/prompter.h"
#include "app/random.h"
#include "app/text.h"
#include "career/career.h"

namespace seewolf {

namespace {

constexpr std::string_view kOptionsFile = "Cfg\\SH3 options.cfg";
constexpr std::string_view kSection = "REALISTICLENGTH";
constexpr std::string_view kRangeKey = "RANGE";
constexpr std::string_view kTitle = "Career over";

struct Threshold {
    long long experience = 0;
    std::vector<int> draws;  // the draws that end a career from this threshold on
};

struct Rules {
    int range = 0;
    std::vector<Threshold> thresholds;  // in file order
};

// The rule section, every value checked, so that a typing error anywhere is found on the first
// launch and not only when a career's experience reaches that line.
Rules ReadRules(const ProfileFile& options) {
    Rules rules;
    rules.range = ReadRequiredInteger(options, kSection, kRangeKey);
    if (rules.range < 1) {
        throw Error("Invalid number in " + KeyPlace(options, kSection, kRangeKey) + ": \"" +
                    std::to_string(rules.range) + "\" is no range to draw from; it must be 1 or more.");
    }
    for (const std::string& entry : options.ReadSectionValues(kSection)) {
        const std::size_t eq = entry.find('=');
        const std::string key = entry.substr(0, eq);
        if (SameText(key, kRangeKey)) {
            continue;
        }
        const std::string value = eq == std::string::npos ? std::string() : entry.substr(eq + 1);
        Threshold threshold;
        const std::optional<int> experience = ParseInteger(TrimBlanks(key));
        if (!experience) {
            throw Error("Invalid key in " + KeyPlace(options, kSection, key) +
                        ": a threshold must be a whole number of patrols times days at sea.");
        }
        threshold.experience = *experience;
        std::size_t start = 0;
        while (start <= value.size()) {
            const std::size_t comma = std::min(value.find(',', start), value.size());
            const std::string_view item = TrimBlanks(std::string_view(value).substr(start, comma - start));
            // An empty item (an empty list, a doubled or trailing comma) lists no draw.
            if (!item.empty()) {
                const std::optional<int> draw = ParseInteger(item);
                if (!draw) {
                    throw Error("Invalid number in " + KeyPlace(options, kSection, key) + ": \"" +
                                std::string(item) + "\" in \"" + value + "\" is not a whole number.");
                }
                threshold.draws.push_back(*draw);
            }
            start = comma + 1;
        }
        rules.thresholds.push_back(std::move(threshold));
    }
    return rules;
}

std::optional<Date> TryDate(const ProfileFile& file, const std::string& section, const std::string& prefix) {
    const int year = file.ReadInteger(section, prefix + "Year", -1);
    const int month = file.ReadInteger(section, prefix + "Month", -1);
    const int day = file.ReadInteger(section, prefix + "Day", -1);
    if (!IsValidDate(year, month, day)) {
        return std::nullopt;
    }
    return EncodeDate(year, month, day);
}

std::string DateKeys(const ProfileFile& file, const std::string& section, const std::string& prefix) {
    return PathText(file.Path()) + " [" + section + "] " + prefix + "Year/" + prefix + "Month/" + prefix +
           "Day";
}

// N x the days at sea of the N finished patrols; a patrol that ends on the day it starts counts 1.
long long Experience(const SelectedCareer& career) {
    const ProfileFile done(career.CareerFolder / "Patrols.cfg");
    const ProfileFile now(career.CareerFolder / "Patrols_0.cfg");
    const std::string first = SectionName("PATROL ", 0);
    long long days = 0;
    for (int i = 0; i < career.PatrolCount; ++i) {
        const std::string section = SectionName("PATROL ", i);
        std::optional<Date> start = TryDate(done, section, "Start");
        if (!start) {
            start = TryDate(now, first, "Start");
            if (!start) {
                throw Error("Invalid date in " + DateKeys(done, section, "Start") +
                            ", and the first patrol's " + DateKeys(now, first, "Start") +
                            " that stands in for it is no date either.");
            }
        }
        const std::optional<Date> end = TryDate(done, section, "End");
        if (!end) {
            throw Error("Invalid date in " + DateKeys(done, section, "End") +
                        ": the patrol's end is no date.");
        }
        days += static_cast<long long>(*end) - *start + 1;
    }
    return static_cast<long long>(career.PatrolCount) * days;
}

// Whether the draw ends the career: the last line (from the end of the section) whose threshold
// the experience has reached decides. Below every threshold the career goes on.
bool DrawEndsCareer(const Rules& rules, long long experience, int draw) {
    for (auto line = rules.thresholds.rbegin(); line != rules.thresholds.rend(); ++line) {
        if (line->experience <= experience) {
            for (const int listed : line->draws) {
                if (listed == draw) {
                    return true;
                }
            }
            return false;
        }
    }
    return false;
}

std::string Communique(int rank, const SelectedCareer& career) {
    const std::string rankText = UpperCase(career.CmdrRank);
    const std::string name = UpperCase(career.CmdrName);
    std::string text = "Herr Kaleun, communique just received...\r\n\r\n\"";
    if (rank <= 11) {
        text += rankText + " " + name + " TO REPORT IMMEDIATELY TO KIEL FOR\r\n" +
                "REASSIGNMENT TO TRAINING DUTIES.\r\n\r\n";
    } else {
        text += "CONGRATULATIONS " + rankText + " " + name + "! YOU ARE TO REPORT\r\n" +
                "IMMEDIATELY TO KIEL TO TAKE COMMAND OF THE 5TH FLOTILLA.\r\n\r\n";
    }
    text += "RELINQUISH COMMAND OF " + UpperCase(career.SubName) + " TO YOUR EXEC.\r\n\r\n";
    text += "R. VODOZOD\r\nKAPIT\xC4N Z. S. UND KOMMANDANT.\"\r\n\r\n";
    text += "Your career is now over.";
    return text;
}

}  // namespace

CareerLengthResult CheckCareerLength(const Paths& paths, SelectedCareer& career, Prompter& prompter,
                                     Random& random) {
    const long long experience = Experience(career);
    const Rules rules = ReadRules(ProfileFile(paths.Prog(kOptionsFile)));
    const int draw = random.Next(rules.range);
    // Before its first patrol a career has no entry in Careers.cfg that could be marked as
    // finished: it goes on, whatever the draw.
    if (career.PatrolCount < 1 || !DrawEndsCareer(rules, experience, draw)) {
        return {};
    }

    const int n = career.PatrolCount;
    const int rank = ProfileFile(career.CareerFolder / "Careers_0.cfg")
                         .ReadInteger(SectionName("CAREER ", n), "PlayerRank", -1);
    CareerLengthResult result{true, Communique(rank, career)};

    // The career files first, so that nothing says "Retired" that the files do not hold; both keys
    // in one write, so the career is never finished without the war being over for it (lost at sea).
    ProfileEdit history{ProfileFile(career.CareerFolder / "Careers.cfg")};
    const std::string last = SectionName("CAREER ", n - 1);
    history.WriteString(last, "Finished", "true");
    history.WriteString(last, "WarOver", "true");
    history.Commit();
    career.CareerStatus = CareerStatus::Retired;

    prompter.ShowPlainMessage(kTitle, result.message);
    return result;
}

}  // namespace seewolf
