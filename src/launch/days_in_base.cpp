#include "launch/days_in_base.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "app/error.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "app/text.h"
#include "launch/backup.h"

namespace seewolf {

namespace {

constexpr std::string_view kBasicCfg = "data\\Cfg\\Basic.cfg";
constexpr std::string_view kOptionsFile = "Cfg\\SH3 options.cfg";
constexpr std::string_view kFatigueModelsFile = "Cfg\\Crew fatigue models.cfg";
constexpr std::string_view kAvailabilityFile = "Cfg\\U-boat availability.cfg";

constexpr std::string_view kDaysSection = "RNDDAYSINBASE";
constexpr std::string_view kDefaultRange = "28|28";
constexpr int kDefaultDaysInBase = 28;

[[noreturn]] void ThrowBadRange(const ProfileFile& options, std::string_view year, std::string_view range) {
    throw Error("The days in base \"" + std::string(range) + "\" for " + std::string(year) + " in section [" +
                std::string(kDaysSection) + "] of " + PathText(options.Path()) +
                " are not two whole numbers separated by \"|\".");
}

int RandomDaysInBase(const Paths& paths, std::string_view careerDate, Random& random) {
    const std::string_view year = careerDate.substr(0, 4);
    const ProfileFile options(paths.Prog(kOptionsFile));
    const std::string range = options.ReadString(kDaysSection, year, kDefaultRange);
    const std::size_t bar = range.find('|');
    if (bar == std::string::npos) {
        ThrowBadRange(options, year, range);
    }
    const std::optional<int> low = ParseInteger(TrimBlanks(std::string_view(range).substr(0, bar)));
    const std::optional<int> high = ParseInteger(TrimBlanks(std::string_view(range).substr(bar + 1)));
    // A span beyond int is no stay in base; it would overflow the draw.
    const long long span = high && low ? static_cast<long long>(*high) - *low + 1 : 0;
    if (!low || !high || span > std::numeric_limits<int>::max()) {
        ThrowBadRange(options, year, range);
    }
    // A range given the wrong way round draws nothing: Next gives 0 for an empty range.
    return *low + random.Next(static_cast<int>(std::max(span, 0LL)));
}

void ApplyFatigueModel(const Paths& paths, ProfileEdit& basic, int model) {
    const ProfileFile models(paths.Prog(kFatigueModelsFile));
    for (const ProfileLine& line : SectionLines(models, std::to_string(model))) {
        // "SECTION|Key" names the target; other keys (Desc, the model's name) are not settings.
        const std::size_t bar = line.key.find('|');
        if (bar == std::string::npos) {
            continue;
        }
        const std::string_view section = TrimBlanks(std::string_view(line.key).substr(0, bar));
        const std::string_view key = TrimBlanks(std::string_view(line.key).substr(bar + 1));
        if (!section.empty() && !key.empty()) {
            basic.WriteString(section, key, line.value);
        }
    }
}

void ApplyAvailabilityDates(const Paths& paths, ProfileEdit& basic, std::string_view flotillaId) {
    const ProfileFile dates(paths.Prog(kAvailabilityFile));
    for (const std::string& section : dates.ReadSections()) {
        for (const ProfileLine& line : SectionLines(dates, section)) {
            // "<flotilla id>_<key>": a value for the careers of that flotilla only.
            const std::string_view key = line.key;
            if (key.size() > 4 && key.substr(0, 3) == flotillaId && key[3] == '_') {
                basic.WriteString(section, key.substr(4), line.value);
            }
        }
    }
}

}  // namespace

int GetDaysInBase(const Paths& paths, bool randomMode, std::string_view careerDate, Random& random) {
    if (randomMode) {
        return RandomDaysInBase(paths, careerDate, random);
    }
    return ProfileFile(paths.Game(kBasicCfg)).ReadInteger("TIME", "NbDaysInBase", kDefaultDaysInBase);
}

void ApplyBasicCfgSettings(const Paths& paths, int days, int model, bool useDates,
                           std::string_view flotillaId) {
    if (days < 0 && model < 0 && !useDates) {
        return;  // the game's file is left alone, not even backed up
    }
    ProfileEdit basic{ProfileFile(paths.Game(kBasicCfg))};  // every key, one write
    if (days >= 0) {
        basic.WriteInteger("TIME", "NbDaysInBase", days);
    }
    if (model >= 0) {
        ApplyFatigueModel(paths, basic, model);
    }
    if (useDates) {
        ApplyAvailabilityDates(paths, basic, flotillaId);
    }
    BackUpGameFile(paths, kBasicCfg);
    basic.Commit();
}

}  // namespace seewolf
