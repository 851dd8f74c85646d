// The report generators fed with a damaged save file: one of a career's files replaced by the
// input (first byte: which file), then the personnel file (personnel page, real ship names in the
// patrol logs, one captain's log page per patrol, the aces page) and the crew list written as the
// career menu and `seewolf-cli report` and `crew-list` write them. Each generator either writes
// its pages, all inside the career's report folder, or throws an Error; nothing else in the
// world may change but the patrol logs that real ship names rewrite.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/error.h"
#include "app/random.h"
#include "app/settings.h"
#include "career/career.h"
#include "career_world.h"
#include "reports/crew_list.h"
#include "reports/personnel_file.h"
#include "reports/report_page.h"

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const std::string& what, const fs::path& path) {
    std::fprintf(stderr, "reports: %s: %s\n", what.c_str(), path.string().c_str());
    std::abort();
}

void RequirePage(const fs::path& page, const fs::path& folder) {
    if (!seewolf::fuzz::IsInside(page, folder)) {
        Fail("a page outside the report folder", page);
    }
    if (!fs::is_regular_file(page)) {
        Fail("a page reported as written is missing", page);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace seewolf;
    const fuzz::CareerWorld& world = fuzz::World();
    const fuzz::FuzzedCareerFile input(data, size);
    const Paths& paths = world.paths;

    SelectedCareer career;
    try {
        career = LoadCareer(paths, world.language, input.File().career);
    } catch (const Error&) {
        return 0;  // the readers refuse the file: no report is offered
    }
    fs::path folder;
    try {
        folder = reports::PersonnelFolder(paths, career.Name);
    } catch (const Error&) {
        Fail("the report folder cannot be made", paths.DocsFolder);
    }

    Random random(14);
    try {
        const reports::ReportResult result =
            reports::GeneratePersonnelFile(paths, world.language, career, random);
        RequirePage(result.page, folder);
        for (int n = 0; n < career.PatrolCount; ++n) {
            RequirePage(folder / ("Log_" + std::to_string(n) + ".html"), folder);
        }
        RequirePage(folder / "Aces.html", folder);
    } catch (const Error&) {
    }
    try {
        std::vector<std::string> notes;
        const std::vector<reports::CrewListRow> rows = reports::ReadCrewListRows(career, notes);
        const reports::ReportResult result = reports::GenerateCrewList(paths, world.language, career, rows);
        RequirePage(result.page, folder);
    } catch (const Error&) {
    }
    bool realShipNames = false;
    try {
        realShipNames = ReadSettings(paths).RealShipNames;
    } catch (const Error&) {
    }
    fuzz::CheckWorldUnchanged({folder, realShipNames});
    return 0;
}
