#include "crew/transfers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "app/error.h"
#include "app/language.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/prompter.h"
#include "app/random.h"
#include "app/text.h"
#include "career/career.h"
#include "crew/random_name.h"
#include "crew/roster.h"
#include "crew/service_history.h"
#include "platform/files.h"

namespace seewolf::crew {

namespace {

constexpr std::string_view kOptionsFile = "Cfg\\SH3 options.cfg";
constexpr std::string_view kBasicCfg = "data\\Cfg\\Basic.cfg";
constexpr std::string_view kTransferRules = "REALISTICCREWXFR";
constexpr std::string_view kCrewSetup = "CREW SETUP";
constexpr std::string_view kTransferred = " - Transferred to another U-boat";

// The whole numbers of a comma-separated list ("0,1,2"); blanks around an item and empty items
// are allowed, anything else is refused rather than never matching.
std::vector<int> NumberList(const ProfileFile& file, std::string_view section, std::string_view key) {
    std::vector<int> numbers;
    const std::string text = file.ReadString(section, key, "");
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t end = text.find(',', begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string_view item = TrimBlanks(std::string_view(text).substr(begin, end - begin));
        if (!item.empty()) {
            const std::optional<int> value = ParseInteger(item);
            if (!value) {
                throw Error("Invalid number in " + KeyPlace(file, section, key) + ": \"" + std::string(item) +
                            "\" is not a whole number (the list is whole numbers separated by commas).");
            }
            numbers.push_back(*value);
        }
        begin = end + 1;
    }
    return numbers;
}

struct TransferRules {
    int range = 0;
    // Officers, petty officers, seamen: the draws that make one of them leave.
    std::array<std::vector<int>, 3> draws;
};

TransferRules ReadTransferRules(const Paths& paths) {
    const ProfileFile options(paths.Prog(kOptionsFile));
    TransferRules rules;
    rules.range = ReadCheckedInteger(options, kTransferRules, "RANGE", 0);
    rules.draws[0] = NumberList(options, kTransferRules, "Officer");
    rules.draws[1] = NumberList(options, kTransferRules, "PettyOfficer");
    rules.draws[2] = NumberList(options, kTransferRules, "Seaman");
    return rules;
}

// The departure of a leaver for the draw r of 0 to 24: five mishaps ashore, else a transfer.
std::string_view Departure(int r) {
    switch (r) {
        case 3:
            return " - Arrested by local police for being drunk";
        case 7:
            return " - Killed by local partisans";
        case 11:
            return " - Hospitalised after a traffic accident";
        case 15:
            return " - Killed in a bar fight";
        case 19:
            return " - Failed to return from leave";
        default:
            return kTransferred;
    }
}

// " (" + name of the qualification + ")" for a crewman's first qualification that counts.
std::string QualificationNote(const TextTable& menu, int nrQual, int qualification) {
    if (nrQual < 1) {
        return {};
    }
    const std::optional<std::string> name = QualificationText(menu, qualification);
    return name ? " (" + *name + ")" : std::string();
}

std::string Summary(const std::string& outs, const std::string& ins) {
    return "TRANSFERS OUT\r\n\r\n" + (outs.empty() ? std::string("NIL") : outs) + "\rTRANSFERS IN\r\n\r\n" +
           (ins.empty() ? std::string("NIL") : ins);
}

}  // namespace

std::string GenerateCrewMan(const Paths& paths, const Language& language, ProfileEdit& roster,
                            std::string_view section, int oldGrade, std::string_view careerDate,
                            Random& random) {
    if (!roster.FileFound()) {
        RequireRoster(roster.Path());  // a missing roster is never created
        throw Error("The crew roster " + PathText(roster.Path()) + " cannot be read.");
    }
    // The lower two grades of the leaver's class.
    const GradeClass gradeClass = ClassOfGrade(oldGrade);
    const int grade = (gradeClass == GradeClass::None ? 0 : LowestGrade(gradeClass)) + random.Next(2);

    const ProfileFile basic(paths.Game(kBasicCfg));
    const std::string crewGrade = "CREW_" + std::to_string(grade);
    const int baseExperience = ReadCheckedInteger(basic, crewGrade, "Experience", 0);
    const double morale = ReadCheckedFloat(basic, crewGrade, "MoraleMax", 0.0);
    const double fatigue = ReadCheckedFloat(basic, crewGrade, "FatigueMin", 0.0);
    const int hitPoints = ReadCheckedInteger(basic, crewGrade, "Hp", 0);
    const double medalFactor = ReadCheckedFloat(basic, "MEDALS_CREW", "Experience", 1.0);
    const ProfileFile options(paths.Prog(kOptionsFile));
    const int veteranChance = ReadCheckedInteger(options, kCrewSetup, careerDate.substr(0, 4), 0);
    const int medalChance = ReadCheckedInteger(options, kCrewSetup, "EKIIChance", 0);
    const int maxPatrols = ReadCheckedInteger(options, kCrewSetup, "MaxPatrols", 0);

    // Where he comes from: another boat, with patrols and perhaps medals, or training.
    ServiceHistory history;
    history.experience = static_cast<float>(baseExperience);
    std::string_view origin = " - First post-training deployment";
    if (random.Next(100) < veteranChance) {
        history = DrawServiceHistory({maxPatrols, medalChance, static_cast<float>(medalFactor)}, careerDate,
                                     static_cast<float>(baseExperience), random);
        origin = " - Transferred from another U-boat";
    }
    if (!std::isfinite(history.experience)) {
        throw Error(
            "The experience of a new crewman comes to more than a number can hold; check [MEDALS_CREW] "
            "Experience and [" +
            crewGrade + "] Experience of " + PathText(basic.Path()) + ".");
    }

    const std::string name = RandomName(paths, random, false);
    FaceKeys face;
    if (grade > 5) {
        const int head = random.Next(3);
        const int variant = random.Next(4);
        face = FaceKeysOf(10 * (head + 1) + variant + 1);
    }
    const int nrQual = grade > 2 ? random.Next(2) : 0;
    const int qualification = nrQual == 1 ? random.Next(9) : -1;

    roster.WriteString(section, "Name", name);
    roster.WriteInteger(section, "Index", face.index);
    roster.WriteInteger(section, "Grad", grade);
    roster.WriteString(section, "Renown", "0.000000");
    roster.WriteInteger(section, "Patrols", history.patrols);
    roster.WriteString(section, "Morale", FormatFloat6(morale));
    roster.WriteString(section, "Fatigue", FormatFloat6(fatigue));
    roster.WriteInteger(section, "HealthStatus", 0);
    roster.WriteString(section, "WasWounded", "No");
    roster.WriteString(section, "HitPoints", FormatFloat6(hitPoints));
    roster.WriteString(section, "Experience", FormatFloat6(history.experience));
    roster.WriteInteger(section, "NrQual", nrQual);
    if (nrQual == 1) {
        roster.WriteInteger(section, "Qualification0", qualification);
    } else {
        roster.DeleteKey(section, "Qualification0");
    }
    roster.DeleteKey(section, "Qualification1");
    roster.DeleteKey(section, "Qualification2");
    roster.DeleteKey(section, "SpecialAbility");
    roster.WriteInteger(section, "MedalsInx0", history.medal0);
    for (int i = 1; i <= 5; ++i) {
        roster.WriteInteger(section, "MedalsInx" + std::to_string(i), -1);
    }
    roster.WriteInteger(section, "MedalsInx6", history.medal6);
    roster.WriteInteger(section, "MedalsInx7", history.medal7);
    roster.WriteInteger(section, "MedalsInx8", -1);
    roster.WriteInteger(section, "HeadIdx", face.headIdx);
    roster.WriteString(section, "HasHelmet", face.hasHelmet ? "Yes" : "No");
    roster.WriteInteger(section, "VoiceIdx", random.Next(6) + 1);
    roster.WriteString(section, "Prom", "No");

    const TextTable menu = MenuTable(paths, language);
    return ShortRankText(menu, grade) + " " + name + QualificationNote(menu, nrQual, qualification) +
           std::string(origin);
}

std::string TransferCrewmen(const Paths& paths, const Language& language, const SelectedCareer& career,
                            Prompter& prompter, Random& random) {
    const TransferRules rules = ReadTransferRules(paths);
    const TextTable menu = MenuTable(paths, language);
    const std::filesystem::path file = CrewFile(career);
    const int passes = random.Next(2) + 1;
    std::string outs;
    std::string ins;
    // What the roster file holds: the lines of the passes written.
    std::string outsWritten;
    std::string insWritten;
    try {
        ProfileEdit roster{ProfileFile(file)};
        if (!roster.FileFound() && platform::FileExists(file)) {
            throw Error("The crew roster " + PathText(file) + " cannot be read.");
        }
        for (int pass = 0; pass < passes; ++pass) {
            // Built afresh from the roster as the pass before left it.
            std::array<std::vector<Crewman>, 3> classes;
            for (Crewman& crewman : ListCrewmen(roster, career.SubTypeNb)) {
                const GradeClass gradeClass = ClassOfGrade(crewman.grade);
                if (gradeClass != GradeClass::None) {
                    classes[static_cast<std::size_t>(2 - static_cast<int>(gradeClass))].push_back(
                        std::move(crewman));
                }
            }
            const int n = random.Next(rules.range);
            const std::vector<Crewman>* chosen = nullptr;
            for (std::size_t c = 0; c < classes.size() && chosen == nullptr; ++c) {
                const std::vector<int>& draws = rules.draws[c];
                if (!classes[c].empty() && std::find(draws.begin(), draws.end(), n) != draws.end()) {
                    chosen = &classes[c];
                }
            }
            if (chosen == nullptr) {
                continue;  // nobody leaves in this pass
            }
            const Crewman& leaver =
                (*chosen)[static_cast<std::size_t>(random.Next(static_cast<int>(chosen->size())))];
            const std::string_view departure = Departure(random.Next(25));
            outs += ShortRankText(menu, leaver.grade) + " " + leaver.name +
                    QualificationNote(menu, leaver.nrQual, leaver.qualification[0]) + std::string(departure) +
                    "\r\n";
            const std::string section = SlotSection(leaver.slot);
            if (departure == kTransferred) {
                ins += GenerateCrewMan(paths, language, roster, section, leaver.grade, career.StartDateText,
                                       random) +
                       "\r\n";
            } else {
                roster.WriteInteger(section, "NrComp", -1);
            }
            RequireRoster(file);  // gone meanwhile: the edit must not create it
            roster.Commit();
            outsWritten = outs;
            insWritten = ins;
        }
    } catch (const std::exception&) {
        if (!outsWritten.empty() || !insWritten.empty()) {
            prompter.ShowPlainMessage(kTransferSummaryTitle, Summary(outsWritten, insWritten));
        }
        throw;
    }
    if (outs.empty() && ins.empty()) {
        return {};
    }
    std::string summary = Summary(outs, ins);
    prompter.ShowPlainMessage(kTransferSummaryTitle, summary);
    return summary;
}

}  // namespace seewolf::crew
