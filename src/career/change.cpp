#include "career/change.h"

#include <array>

#include "app/error.h"
#include "app/language.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "career/career.h"
#include "career/new_career.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace seewolf {

namespace {

// Month names as the keys of Flotilla.cfg's patrol grids spell them.
constexpr std::array<std::string_view, 12> kGridMonths = {"Jan",  "Febr", "March", "April", "May", "June",
                                                          "July", "Aug",  "Sept",  "Oct",   "Nov", "Dec"};

bool IsSave(std::string_view name) {
    constexpr std::string_view kExtension = ".sav";
    return name.size() >= kExtension.size() &&
           SameText(name.substr(name.size() - kExtension.size()), kExtension);
}

// The newest save of a folder by modification time; of equal times the one listed last.
std::optional<std::string> NewestSave(const std::filesystem::path& folder) {
    std::optional<std::string> newest;
    std::int64_t newestTime = 0;
    for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
        if (entry.isFolder || !IsSave(entry.name)) {
            continue;
        }
        const auto stamp = platform::StampOf(platform::Resolve(folder, entry.name));
        if (!stamp) {
            continue;
        }
        if (!newest || stamp->modifiedNs >= newestTime) {
            newest = entry.name;
            newestTime = stamp->modifiedNs;
        }
    }
    return newest;
}

}  // namespace

std::string BoatNumberOf(std::string_view subName) {
    const auto dash = subName.find('-');
    return std::string(dash == std::string_view::npos ? subName : subName.substr(dash + 1));
}

std::vector<std::string> BoatNumberList(const Paths& paths, const SelectedCareer& career, bool filter) {
    return OfferedBoatNumbers(paths, career.SubTypeName,
                              filter ? std::string_view(career.FlotillaNb) : "ALL");
}

std::optional<std::string> RandomPatrolGrid(const Paths& paths, const SelectedCareer& career,
                                            Random& random) {
    const std::string& start = career.StartDateText;
    const auto month = start.size() >= 6 ? ParseInteger(std::string_view(start).substr(4, 2)) : std::nullopt;
    if (!month || *month < 1 || *month > 12) {
        return std::nullopt;  // a career without a valid start date has no month to draw for
    }
    const std::string year = start.substr(0, 4);
    const std::string_view monthName = kGridMonths[static_cast<std::size_t>(*month - 1)];

    constexpr std::string_view kSection = "FLOTILLA";
    const ProfileFile cfg(paths.Game("data\\Cfg\\Flotilla.cfg"));
    const int count = cfg.ReadInteger(kSection, "NbFlotilla", 0);
    for (int index = 0; index < count; ++index) {
        const std::string i = std::to_string(index);
        if (cfg.ReadString(kSection, "Flotilla" + i, kMissingName) != career.FlotillaNb) {
            continue;
        }
        std::optional<std::string> grid;
        const int dates = cfg.ReadInteger(kSection, "NbDate" + i, 0);
        // Every matching year draws; the last one decides.
        for (int j = 0; j < dates; ++j) {
            const std::string ij = i + std::to_string(j);
            if (cfg.ReadString(kSection, "Date" + ij, kMissingName) != year) {
                continue;
            }
            const int a = random.Next(3);
            const int b = random.Next(5);
            grid = cfg.ReadString(
                kSection, std::string(monthName) + ij + std::to_string(a) + std::to_string(b), kMissingName);
        }
        return grid;
    }
    return std::nullopt;
}

void ApplyChange(const Paths& /*paths*/, const SelectedCareer& career, std::string_view number,
                 std::string_view grid) {
    if (number.empty() || grid.empty()) {
        throw Error(kInvalidDetails);
    }

    const ProfileFile patrols(platform::Resolve(career.CareerFolder, "Patrols_0.cfg"));
    const std::string section = SectionName("PATROL ", career.PatrolCount);
    const std::string stored = patrols.ReadString(section, "SubName", "U-");
    const auto dash = stored.find('-');
    const std::string prefix = dash == std::string::npos ? std::string() : stored.substr(0, dash + 1);
    patrols.WriteString(section, "SubName", prefix + std::string(number));
    patrols.WriteString(section, "PatrolArea", grid);

    if (career.CareerStatus != CareerStatus::AtSea) {
        return;
    }
    const std::filesystem::path folder =
        platform::Resolve(career.CareerFolder, std::to_string(career.PatrolCount));
    const std::optional<std::string> save = NewestSave(folder);
    if (!save) {
        return;
    }
    const std::string psc = save->substr(0, save->size() - 4) + ".psc";
    ProfileFile(platform::Resolve(folder, psc)).WriteString("PLAYER_SUBMARINE", "PatrolArea", grid);
}

}  // namespace seewolf
