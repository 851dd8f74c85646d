// The rule files of the launch modifications, which players edit: the first byte picks the file
// (and the date, boat and flotilla a launch would pass), the rest is its text. The modifications
// that read it run on a demo installation written once per process, then a roll-back puts the
// game folder back. Every change must stay inside the game folder and be undone by the
// roll-back; a bad value may only end the step with an Error that says why.

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <system_error>

#include "app/error.h"
#include "app/language.h"
#include "app/paths.h"
#include "app/random.h"
#include "demo/demo.h"
#include "demo/demo_paths.h"
#include "demo/quiet_prompter.h"
#include "launch/backup.h"
#include "launch/binary_patches.h"
#include "launch/crew_details.h"
#include "launch/days_in_base.h"
#include "launch/menu_texts.h"
#include "launch/new_career_settings.h"
#include "launch/options.h"
#include "launch/ship_displacements.h"
#include "launch/static_settings.h"
#include "platform/files.h"
#include "support.h"

namespace fs = std::filesystem;
using namespace seewolf;

namespace {

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What a folder holds: every entry below it (links not followed) but `skip` and the lock file,
// files with their size, time and contents.
struct Item {
    std::uintmax_t size = 0;
    fs::file_time_type time;
    std::string content;
};
using Snapshot = std::map<std::string, Item>;

Snapshot Take(const fs::path& folder, const fs::path& skip = {}) {
    Snapshot entries;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->path() == skip || it->path().filename() == "Seewolf.lock") {
            it.disable_recursion_pending();
            continue;
        }
        Item& item = entries[it->path().string()];
        if (it->is_regular_file() && !it->is_symlink()) {
            item.size = it->file_size();
            item.time = it->last_write_time();
        }
    }
    return entries;
}

Snapshot TakeWithContents(const fs::path& folder, const fs::path& skip = {}) {
    Snapshot entries = Take(folder, skip);
    for (auto& [path, item] : entries) {
        if (fs::is_regular_file(fs::symlink_status(path))) {
            item.content = Read(path);
        }
    }
    return entries;
}

// Whether the folder holds what `before` holds: the same entries, files of the same contents
// (read only where size or time differ).
bool Unchanged(const Snapshot& before, const fs::path& folder, const fs::path& skip = {}) {
    const Snapshot now = Take(folder, skip);
    if (now.size() != before.size()) {
        return false;
    }
    for (auto a = now.begin(), b = before.begin(); a != now.end(); ++a, ++b) {
        if (a->first != b->first || a->second.size != b->second.size) {
            return false;
        }
        if (a->second.time != b->second.time && Read(a->first) != b->second.content) {
            return false;
        }
    }
    return true;
}

struct World {
    fs::path root;
    Paths paths;
    Snapshot game;       // the game folder as it was written
    Snapshot documents;  // the documents folder, which no rule file touches
    Snapshot program;    // the program folder but its backup folder
};

World& TheWorld() {
    static World world = [] {
        World w;
        w.root = fuzz::ScratchFolder() / "world";
        demo::DemoOptions options;
        options.root = w.root;
        options.programSource = SEEWOLF_CONTENT_DIR;
        const demo::DemoWorld demo = demo::WriteDemoInstallation(options);
        w.paths = demo::StartUpPaths(demo);
        std::ofstream(w.root / "sentinel.txt") << "outside";
        w.game = TakeWithContents(w.paths.GameFolder);
        w.documents = TakeWithContents(w.paths.DocsFolder);
        w.program =
            TakeWithContents(w.paths.ProgFolder, platform::WithoutTrailingSeparator(w.paths.BackupFolder));
        return w;
    }();
    return world;
}

// Runs one modification; an Error is its way of refusing a bad rule file.
template <typename Step>
void Try(Step step) {
    try {
        step();
    } catch (const Error& error) {
        if (std::string(error.what()).empty()) {
            std::abort();
        }
    }
}

constexpr std::array<const char*, 8> kRuleFiles = {
    "Cfg\\Static settings.cfg",     "Cfg\\Randomised events.cfg", "Cfg\\Ship displacements.cfg",
    "Cfg\\Start at sea.cfg",        "Cfg\\SH3 options.cfg",       "Cfg\\Crew fatigue models.cfg",
    "Cfg\\U-boat availability.cfg", "Cfg\\Menu variable_en.txt"};
constexpr std::array<const char*, 4> kDates = {"19390901", "19411015", "19440601", "19450508"};
constexpr std::array<const char*, 4> kBoats = {"IIA", "VIIC", "IXB", "XXI"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    World& world = TheWorld();
    const Paths& paths = world.paths;
    const std::uint8_t pick = data[0];
    const std::size_t kind = pick % kRuleFiles.size();
    const std::string date = kDates[(pick >> 3) % kDates.size()];
    const int choice = (pick >> 5) % 4;  // boat type, effects, fatigue model
    const bool atSea = (pick & 0x80) != 0;
    const fs::path rules = paths.Prog(kRuleFiles[kind]);
    const std::string original = Read(rules);
    fuzz::WriteScratchFile("rules", data + 1, size - 1);
    fs::copy_file(fuzz::ScratchFolder() / "rules", rules, fs::copy_options::overwrite_existing);

    Random random(pick);
    demo::QuietPrompter prompter;
    Language language;
    switch (kind) {
        case 0:
            Try([&] { ApplyStaticSettings(paths, date); });
            break;
        case 1:
            Try([&] { ApplyRandomisedEvents(paths, date, choice - 1, atSea, random); });
            break;
        case 2:
            Try([&] { (void)RandomiseTonnage(paths, date, random); });
            break;
        case 3:
            Try([&] { ApplyStartAtSea(paths); });
            break;
        case 4:
            Try([&] { GetDaysInBase(paths, true, date, random); });
            Try([&] { GetWaveHeight(paths, 4, date); });
            Try([&] { RandomiseCrushDepth(paths, kBoats[static_cast<std::size_t>(choice)], random); });
            Try([&] { (void)RandomiseCrewDetails(paths, date, choice, random, prompter); });
            Try([&] { ApplyMenuTexts(paths, language, atSea, date, "1", prompter); });
            break;
        case 5:
            Try([&] { FatigueModels(paths); });
            Try([&] { ApplyBasicCfgSettings(paths, -1, choice, false, "1"); });
            break;
        case 6:
            Try([&] { ApplyBasicCfgSettings(paths, -1, -1, true, std::to_string(choice + 1)); });
            break;
        default:
            Try([&] { ApplyMenuTexts(paths, language, atSea, date, "1", prompter); });
            break;
    }

    // Everything the steps changed goes back, and nothing else was touched.
    const RollbackResult result = RollBackGameFiles(paths, prompter);
    platform::WriteFileAtomic(rules, original, false);
    if (!result.Complete() || !Unchanged(world.game, paths.GameFolder) ||
        !Unchanged(world.documents, paths.DocsFolder) ||
        !Unchanged(world.program, paths.ProgFolder, platform::WithoutTrailingSeparator(paths.BackupFolder)) ||
        Read(world.root / "sentinel.txt") != "outside") {
        std::abort();
    }
    return 0;
}
