// The crew roster of a full boat: 121 slots of 40 keys each (Type II, with officers in the wrong
// slots 1, 10 and 11 and the officer slots 3, 7 and 9 free):
//
//   ReadRoster                  every crewman read from one parse of the file
//   OpenWithThreeOfficerMoves   what opening the crew manager does to the file: CleanseOfficerComps
//                               (three officers moved, one edit written once), then the roster read
//   TransfersAtLaunch           TransferCrewmen with rules that make someone leave in every pass
//                               (one or two passes, each written once; newcomers drawn in full)
//   SaveCrewman                 SaveCrewMan of an officer with a new name, face, medal 0 and two
//                               qualifications: every key of the save in one edit, written once
//
// Each iteration starts from the roster as written (rewritten untimed before it).
//
//   build/bench/crew_bench
//
// The folder is made by bench_folder.h ($SEEWOLF_BENCH_DIR or the system's temporary folder).

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>

#include "app/language.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/prompter.h"
#include "app/random.h"
#include "bench_folder.h"
#include "career/career.h"
#include "crew/crewman.h"
#include "crew/editing_rules.h"
#include "crew/roster.h"
#include "crew/transfers.h"
#include "demo/demo.h"
#include "demo/quiet_prompter.h"
#include "platform/files.h"

namespace {

namespace fs = std::filesystem;
using namespace seewolf;

using demo::QuietPrompter;

// 40 keys a slot, as the game writes a crewman, NrComp last.
std::string RosterText() {
    std::string text;
    for (int slot = 0; slot < crew::kSlotCount; ++slot) {
        const bool free = slot == 3 || slot == 7 || slot == 9;
        const int grade = slot < 12 ? 6 + slot % 3 : slot < 40 ? 3 + slot % 3 : slot % 3;
        const int nrComp = free         ? -1
                           : slot == 0  ? 0
                           : slot == 1  ? 3
                           : slot <= 4  ? 2
                           : slot <= 9  ? slot - 2
                           : slot == 10 ? 8
                           : slot == 11 ? 1
                                        : slot % 8;
        text += "[CREW_MEMBER_" + std::to_string(slot) + "]\r\n";
        text +=
            "Name=Crewman Number " + std::to_string(slot) + "\r\nIndex=" + std::to_string(slot % 24) +
            "\r\nGrad=" + std::to_string(grade) +
            "\r\nRenown=0.000000\r\nPatrols=3\r\nMorale=0.800000\r\nFatigue=0.100000\r\nHealthStatus=0\r\n"
            "WasWounded=No\r\nHitPoints=120.000000\r\nExperience=150.000000\r\nNrQual=1\r\n"
            "Qualification0=4\r\nSpecialAbility=0\r\n";
        for (int i = 0; i < 9; ++i) {
            text += "MedalsInx" + std::to_string(i) + "=" + (i == 7 ? "7" : "-1") + "\r\n";
        }
        for (const char* flag : {"Medal0", "Medal1", "Medal2", "Medal3", "Medal6", "Medal7"}) {
            text += std::string(flag) + "=Yes\r\n";
        }
        for (int q = 0; q < 4; ++q) {
            text += "Qual" + std::to_string(q) + "=Yes\r\n";
        }
        text += "Type=1\r\nHeadIdx=0\r\nHasHelmet=No\r\nVoiceIdx=2\r\nProm=No\r\nNrComp=" +
                std::to_string(nrComp) + "\r\n\r\n";
    }
    return text;
}

class CrewWorld {
  public:
    CrewWorld() {
        demo::DemoOptions options;
        options.root = m_folder.Path();
        options.programSource = SEEWOLF_CONTENT_DIR;
        const demo::DemoWorld world = demo::WriteDemoInstallation(options);
        paths.ProgFolder = world.program;
        paths.GameFolder = world.game;
        language = ChooseLanguage(paths);
        career.CareerFolder = platform::WithTrailingSeparator(m_folder.Path() / "career");
        fs::create_directories(career.CareerFolder);
        career.PatrolCount = 5;
        career.SubTypeNb = 0;
        career.StartDateText = "19420601";
        career.CareerStatus = CareerStatus::InBase;
        roster = RosterText();
        Reset();
        const ProfileFile rules(paths.Prog("Cfg\\SH3 options.cfg"));
        rules.WriteString("REALISTICCREWXFR", "RANGE", "1");
        rules.WriteString("REALISTICCREWXFR", "Officer", "0");
        rules.WriteString("REALISTICCREWXFR", "PettyOfficer", "0");
        rules.WriteString("REALISTICCREWXFR", "Seaman", "0");
    }
    void Reset() const { platform::WriteFileAtomic(crew::CrewFile(career), roster); }

    Paths paths;
    Language language;
    SelectedCareer career;
    std::string roster;

  private:
    bench::BenchFolder m_folder{"crew"};
};

CrewWorld& World() {
    static CrewWorld world;
    return world;
}

void ReadRoster(benchmark::State& state) {
    const CrewWorld& world = World();
    world.Reset();
    std::size_t crewmen = 0;
    for (auto _ : state) {
        crewmen = crew::ReadRoster(crew::CrewFile(world.career), world.career.SubTypeNb).size();
        benchmark::DoNotOptimize(crewmen);
    }
    state.counters["crewmen"] = static_cast<double>(crewmen);
}
BENCHMARK(ReadRoster)->Unit(benchmark::kMillisecond);

void OpenWithThreeOfficerMoves(benchmark::State& state) {
    const CrewWorld& world = World();
    std::size_t moved = 0;
    for (auto _ : state) {
        state.PauseTiming();
        world.Reset();
        state.ResumeTiming();
        const fs::path file = crew::CrewFile(world.career);
        moved = crew::CleanseOfficerComps(file, world.career.SubTypeNb).moved.size();
        benchmark::DoNotOptimize(crew::ReadRoster(file, world.career.SubTypeNb));
    }
    state.counters["moved"] = static_cast<double>(moved);
}
BENCHMARK(OpenWithThreeOfficerMoves)->Unit(benchmark::kMillisecond);

void TransfersAtLaunch(benchmark::State& state) {
    const CrewWorld& world = World();
    QuietPrompter prompter;
    Random random(7);
    for (auto _ : state) {
        state.PauseTiming();
        world.Reset();
        state.ResumeTiming();
        benchmark::DoNotOptimize(
            crew::TransferCrewmen(world.paths, world.language, world.career, prompter, random));
    }
}
BENCHMARK(TransfersAtLaunch)->Unit(benchmark::kMillisecond);

void SaveCrewman(benchmark::State& state) {
    const CrewWorld& world = World();
    QuietPrompter prompter;
    const crew::CrewContext context = crew::MakeCrewContext(world.paths, world.language, world.career);
    crew::CrewmanView view;
    view.slot = 2;
    view.storedGrade = 8;
    view.selectedGrade = 7;
    view.name = "Karl Brandt";
    view.faceChange = 23;
    view.patrols = 3;
    view.storedExperience = 150.0;
    view.held[0] = true;
    view.held[7] = true;
    view.qual = {4, -1, 6};
    for (auto _ : state) {
        state.PauseTiming();
        world.Reset();
        state.ResumeTiming();
        benchmark::DoNotOptimize(crew::SaveCrewMan(view, context, prompter));
    }
}
BENCHMARK(SaveCrewman)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
