// The career readers: one of a career's save files (its profile files, crew roster, patrol logs,
// saves, or Seewolf.ini with its record of the career) replaced by the input, then read as the
// career browser and `seewolf-cli list` and `show` read it: the listing, the career with its
// record sheet and history, and the crew roster with the names the crew manager shows. A file
// the readers refuse gives an Error; anything else (another exception, a fault, a hang, a file
// written) is a finding.

#include "career/career.h"

#include <string>
#include <vector>

#include "app/error.h"
#include "career_world.h"
#include "crew/crewman.h"
#include "crew/roster.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace seewolf;
    const fuzz::CareerWorld& world = fuzz::World();
    const fuzz::FuzzedCareerFile input(data, size);
    const Paths& paths = world.paths;

    const CareerListing listing = ListCareerFolders(paths);
    try {
        SelectedCareer career = LoadCareer(paths, world.language, input.File().career);
        if (StartsInOtherBase(career)) {
            career.InOtherBase = true;
        }
        const RecordSheet sheet = MakeRecordSheet(career, world.language.dates);
        (void)InBaseStatusText(career);
        (void)ReadCareerHistory(paths, career.Name);
        (void)LatestCareer(paths);

        const TextTable menu = MenuTable(paths, world.language);
        for (const crew::Crewman& man : crew::ReadRoster(crew::CrewFile(career), career.SubTypeNb)) {
            (void)crew::RankText(menu, man.grade);
            (void)crew::CompartmentText(menu, man.nrComp);
            (void)crew::HealthText(menu, man.healthStatus);
            for (int award = 0; award < crew::kAwardCount; ++award) {
                if (man.Holds(award)) {
                    (void)crew::AwardText(menu, award);
                }
            }
            for (int q : man.Qualifications()) {
                (void)crew::QualificationText(menu, q);
            }
        }
    } catch (const Error&) {
        // Refused with a message: what a damaged file should give.
    }
    fuzz::CheckWorldUnchanged({});
    return 0;
}
