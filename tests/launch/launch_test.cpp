#include "launch/launch.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>

#include "app/error.h"
#include "app/language.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "app/settings.h"
#include "app/text.h"
#include "career/new_career.h"
#include "crew/crewman.h"
#include "demo/demo.h"
#include "launch/backup.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "support/scripted_prompter.h"
#include "support/stand_in.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::ScriptedPrompter;
using testing::WriteText;

// Every file of a folder by relative path, with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        files[fs::relative(entry.path(), root).generic_string() + (entry.is_directory() ? "/" : "")] =
            entry.is_directory() ? "" : ReadText(entry.path());
    }
    return files;
}

class Launch : public ::testing::Test {
  protected:
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    ScriptedPrompter prompter;
    Random random{11};
    const Language language = ChooseLanguage(paths);

    LaunchRequest Fresh(CareerStatus status, int year, int month) {
        LaunchRequest r;
        r.career.CareerStatus = status;
        r.treeEntry = status == CareerStatus::NewCareer ? "New career" : "Single mission";
        r.year = year;
        r.month = month;
        const auto flotillas = OfferedFlotillas(paths, language, status, year, month);
        if (!flotillas.empty()) {
            r.flotillaId = flotillas[0].id;
            r.flotillaName = flotillas[0].name;
            const auto types = OfferedBoatTypes(paths, status, r.flotillaId, year, month, false);
            if (!types.empty()) {
                r.boatTypeName = types[0].name;
            }
        }
        r.noLaunch = true;
        return r;
    }
    void Settings(std::string_view key, std::string_view value) {
        ProfileFile(paths.SettingsFile()).WriteString(kSettingsSection, key, value);
    }
};

TEST_F(Launch, PatrolStartFollowsTheLastPatrolAndTheDaysInBase) {
    LaunchRequest r;
    r.career.CareerStatus = CareerStatus::InBase;
    r.career.LastPatrolEnd = EncodeDate(1941, 3, 10);
    LaunchSettings s;
    s.SetDaysInBase = true;
    s.DaysInBaseValue = 28;
    PatrolStart start = ComputePatrolStart(paths, r, "19410301", s, random);
    EXPECT_EQ(start.date, "19410407");
    EXPECT_TRUE(start.writeDays);
    EXPECT_EQ(ComputePatrolStart(paths, r, "19410501", s, random).date, "19410501");

    r.career.InOtherBase = true;  // the other base forces one day, written
    start = ComputePatrolStart(paths, r, "19410301", s, random);
    EXPECT_EQ(start.date, "19410311");
    EXPECT_EQ(start.daysInBase, 1);
    EXPECT_TRUE(start.writeDays);

    r.career.InOtherBase = false;  // no adjustment: the game's own days shift the date, unwritten
    start = ComputePatrolStart(paths, r, "19410301", LaunchSettings{}, random);
    EXPECT_FALSE(start.writeDays);
    EXPECT_EQ(start.date, FormatDate("yyyymmdd", EncodeDate(1941, 3, 10) + start.daysInBase, DateTexts{}));

    r.career.LastPatrolEnd = -1;  // no patrol yet
    EXPECT_EQ(ComputePatrolStart(paths, r, "19410301", s, random).date, "19410301");
    r.career.CareerStatus = CareerStatus::AtSea;
    r.career.LastPatrolEnd = EncodeDate(1941, 3, 10);
    EXPECT_EQ(ComputePatrolStart(paths, r, "19410301", s, random).date, "19410301");
}

TEST_F(Launch, SettingsOffBecomeNone) {
    Settings("AdjWaterDensity", "0");
    Settings("WaterDensityValue", "21");
    Settings("AdjWaveHeight", "1");
    Settings("WaveHeight", "3");
    Settings("UseFatigueModel", "0");
    Settings("FatigueModel", "2");
    const LaunchSettings s = ReadLaunchSettings(paths);
    EXPECT_EQ(s.WaterDensityValue, -1.0F);
    EXPECT_EQ(s.WaveHeight, 3);
    EXPECT_EQ(s.FatigueModel, -1);
    EXPECT_EQ(s.ReloadTime88, -1.0F);
    EXPECT_EQ(s.Effects, -1);

    // A value patched into the game must be one the options dialog offers.
    for (const char* value : {"1e39", "-0.5", "121"}) {
        Settings("Adj88ReloadTime", "1");
        Settings("88ReloadTime", value);
        try {
            ReadLaunchSettings(paths);
            ADD_FAILURE() << value;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("[SETTINGS] 88ReloadTime: "), std::string::npos) << e.what();
        }
    }
}

TEST_F(Launch, NoFlotillaRefusesAndLeavesTheGameAsTheRollBackLeftIt) {
    const auto before = Snapshot(paths.GameFolder);
    LaunchRequest r = Fresh(CareerStatus::NewCareer, 1941, 3);
    r.flotillaName.clear();
    EXPECT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Refused);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, kNoFlotillaOrType);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(Snapshot(paths.GameFolder), before);
    EXPECT_FALSE(BackupHoldsFiles(paths));
}

TEST_F(Launch, AFailedLaunchRollsBackWhatItChangedAndSaysSo) {
    const auto before = Snapshot(paths.GameFolder);
    const fs::path mainCfg = paths.SaveFolder / "main.cfg";
    fs::permissions(mainCfg, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);  // the player name cannot be written
    LaunchRequest r = Fresh(CareerStatus::NewCareer, 1941, 3);
    r.commanderName = "Karl Probst";
    try {
        RunLaunch(paths, language, r, prompter, random);
        ADD_FAILURE() << "launched without main.cfg";
    } catch (const Error& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("Unable to write to " + mainCfg.string() + "."), std::string::npos) << text;
        EXPECT_NE(text.find("were rolled back"), std::string::npos) << text;
    }
    EXPECT_TRUE(Snapshot(paths.GameFolder) == before);
    EXPECT_FALSE(BackupHoldsFiles(paths));
    EXPECT_EQ(prompter.statuses.back(), ScriptedPrompter::kHidden);
}

TEST_F(Launch, DateSetsInDateOrderFixedBeforeRandom) {
    const fs::path prog = paths.ProgFolder;
    fs::remove_all(prog / "Date");
    fs::remove_all(prog / "Random");
    WriteText(prog / "Date" / "19390901" / "data" / "order.txt", "fixed 19390901");
    WriteText(prog / "Date" / "19400101" / "data" / "order.txt", "fixed 19400101");
    WriteText(prog / "Date" / "19390801" / "data" / "early.txt", "fixed 19390801");
    WriteText(prog / "Random" / "0" / "Date" / "19390901" / "data" / "order.txt", "random 19390901");
    LaunchRequest r = Fresh(CareerStatus::SingleMission, 1939, 12);
    ASSERT_FALSE(r.flotillaName.empty());
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    EXPECT_EQ(ReadText(paths.GameFolder / "data" / "order.txt"), "random 19390901");
    EXPECT_EQ(ReadText(paths.GameFolder / "data" / "early.txt"), "fixed 19390801");
    EXPECT_EQ(ProfileFile(paths.SettingsFile()).ReadString(kLatestCareerSection, "CAREER", ""),
              "Single mission");
    RollBackGameFiles(paths, prompter);
    EXPECT_FALSE(fs::exists(paths.GameFolder / "data" / "order.txt"));
}

// The totals of the file counts shown with `status`. Each run of counts starts at 0, rises, ends
// at its total, and stays near a hundred counts however many files there are.
std::vector<std::size_t> CountedTotals(const ScriptedPrompter& prompter, std::string_view status) {
    std::vector<std::size_t> totals;
    std::vector<ScriptedPrompter::Count> run;
    const auto close = [&] {
        if (!run.empty()) {
            EXPECT_EQ(run.back().done, run.back().total) << status;
            EXPECT_LE(run.size(), 102u) << status;
            totals.push_back(run.back().total);
        }
        run.clear();
    };
    for (const ScriptedPrompter::Count& count : prompter.progress) {
        if (count.status != status) {
            continue;
        }
        if (count.done == 0) {
            close();
        } else {
            EXPECT_FALSE(run.empty()) << status << ": a run without its start";
            if (!run.empty()) {
                EXPECT_GT(count.done, run.back().done) << status;
                EXPECT_EQ(count.total, run.back().total) << status;
            }
        }
        run.push_back(count);
    }
    close();
    return totals;
}

TEST_F(Launch, TheFilesOfASetAndOfTheRollBackAreCounted) {
    const fs::path prog = paths.ProgFolder;
    fs::remove_all(prog / "Date");
    fs::remove_all(prog / "Random");
    for (int i = 0; i < 300; ++i) {
        WriteText(prog / "Date" / "19390901" / "data" / "Many" / ("f" + std::to_string(i) + ".txt"), "x");
    }
    WriteText(paths.GameFolder / "data" / "Many" / "f7.txt", "the game's own");
    ASSERT_EQ(RunLaunch(paths, language, Fresh(CareerStatus::SingleMission, 1939, 12), prompter, random),
              LaunchOutcome::Launched);
    EXPECT_EQ(CountedTotals(prompter, "Copying date based files into SH3..."), std::vector<std::size_t>{300});
    prompter.progress.clear();
    RollBackGameFiles(paths, prompter);
    const std::vector<std::size_t> rolledBack =
        CountedTotals(prompter, "Rolling back previously copied files...");
    // The 299 added files and the kept copy of f7.txt, with the copies of the files the other
    // steps changed.
    ASSERT_EQ(rolledBack.size(), 1u);
    EXPECT_GT(rolledBack[0], 300u);
    for (const ScriptedPrompter::Count& count : prompter.progress) {
        EXPECT_EQ(count.status, "Rolling back previously copied files...");
    }
    EXPECT_EQ(ReadText(paths.GameFolder / "data" / "Many" / "f7.txt"), "the game's own");
}

TEST_F(Launch, BoatTypeSetWithoutSlashAndPlayerName) {
    LaunchRequest r = Fresh(CareerStatus::NewCareer, 1942, 6);
    ASSERT_FALSE(r.flotillaName.empty());
    r.boatTypeName = "VIIC/41";
    r.commanderName = "  Jörg Brandes ";
    WriteText(paths.ProgFolder / "U-boat" / "VIIC41" / "data" / "type.txt", "VIIC/41 set");
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    EXPECT_EQ(ReadText(paths.GameFolder / "data" / "type.txt"), "VIIC/41 set");
    EXPECT_EQ(ProfileFile(paths.SaveFolder / "main.cfg").ReadString("PLAYER", "Name", ""), "Jörg Brandes");
}

TEST_F(Launch, DaysInBaseWrittenOnlyWhenAdjusted) {
    const fs::path basic = paths.Game("data\\Cfg\\Basic.cfg");
    const std::string before = ReadText(basic);
    const std::string days = ProfileFile(basic).ReadString("TIME", "NbDaysInBase", "?");
    LaunchRequest r = Fresh(CareerStatus::NewCareer, 1941, 3);
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    EXPECT_EQ(ProfileFile(basic).ReadString("TIME", "NbDaysInBase", "!"), days);  // no adjustment: untouched

    Settings("SetDaysInBase", "1");
    Settings("DaysInBaseValue", "17");
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    EXPECT_EQ(ProfileFile(basic).ReadString("TIME", "NbDaysInBase", ""), "17");
    RollBackGameFiles(paths, prompter);
    EXPECT_EQ(ReadText(basic), before);
}

// With every option on, the modifications change the game in their order, draw from the one
// generator in a fixed order (so a seeded launch is repeatable), and the roll-back takes every
// change back.
TEST_F(Launch, ModificationsAreRepeatableWithTheSameSeedAndRollBackExactly) {
    for (const char* option :
         {"ModelEffects", "RndTonnage", "RndCrushDepth", "Adj88ReloadTime", "Adj105ReloadTime",
          "AdjWaterDensity", "AdjWaveHeight", "StartAtSea", "RndGramophone", "SkipIntros",
          "HullIntegrityText", "UseFatigueModel", "UseSubDts", "SetDaysInBase"}) {
        Settings(option, "1");
    }
    Settings("Effects", "1");
    Settings("88ReloadTime", "6.5");
    Settings("WaveHeight", "4");
    const auto before = Snapshot(paths.GameFolder);
    auto launched = [&](std::uint64_t seed) {
        Random seeded{seed};
        LaunchRequest r = Fresh(CareerStatus::NewCareer, 1941, 3);
        r.randomCrewDetails = true;
        EXPECT_EQ(RunLaunch(paths, language, r, prompter, seeded), LaunchOutcome::Launched);
        auto after = Snapshot(paths.GameFolder);
        RollBackGameFiles(paths, prompter);
        EXPECT_EQ(Snapshot(paths.GameFolder), before);
        return after;
    };
    const auto first = launched(5);
    EXPECT_NE(first, before);
    for (const auto& shown : prompter.messages) {
        ADD_FAILURE() << "the demo leaves nothing out, but: " << shown.text;
    }
    // Every option changed its files: a few of them, one per kind of change.
    for (const char* file : {"data/scene.dat", "data/Library/GUNS_SUB.sim",
                             "data/Campaigns/Campaign/Campaign_LND.mis", "data/Cfg/Basic.cfg"}) {
        EXPECT_NE(first.at(file), before.at(file)) << file;
    }
    const std::string menu = "data/Menu/" + language.MenuTextFile;
    EXPECT_NE(first.at(menu).find("(1941)"), std::string::npos) << "the career's year in the menu table";
    EXPECT_EQ(launched(5), first);
    EXPECT_NE(launched(6), first) << "another seed draws other events";
}

// ---- What reaches the disk first ----
// A power cut keeps only what was flushed. The platform reports each change and flush in its order;
// DiskOrder follows what the records (Seewolf.game, Seewolf.log, Gramophone.log) held on the disk at
// each change. What was there when it started counts as on the disk. A roll-back may drop a record
// or a pre-launch copy only once what it undid is on the disk.

#ifdef _WIN32
constexpr bool kFolderEntriesFlushed = false;  // a flushed file keeps its entry there
#else
constexpr bool kFolderEntriesFlushed = true;  // a new file's entry needs its folder flushed
#endif

std::string Key(const fs::path& path) {
    return platform::TextFromPath(platform::WithoutTrailingSeparator(path).lexically_normal());
}

bool Inside(const fs::path& path, const fs::path& folder) {
    const std::string key = Key(path);
    const std::string root = Key(folder) + static_cast<char>(fs::path::preferred_separator);
    return key.size() > root.size() && key.compare(0, root.size(), root) == 0;
}

bool IsChange(platform::FileEventKind kind) {
    return kind != platform::FileEventKind::FlushFile && kind != platform::FileEventKind::FlushFolder &&
           kind != platform::FileEventKind::FlushFileSystem;
}

class DiskOrder {
  public:
    // A record as the disk holds it: its lines, or none when a power cut could lose the file.
    struct Durable {
        std::set<std::string> lines;  // Key(path), or Key(renamed) + "|" + Key(original)
        bool bytes = false;
        bool entry = false;
        bool Holds(const std::string& line) const {
            return bytes && (entry || !kFolderEntriesFlushed) && lines.count(line) != 0;
        }
    };
    struct Step {
        platform::FileEvent event;
        Durable record, newFiles, gramophone;
    };

    explicit DiskOrder(const Paths& paths) : m_paths(paths) {
        for (Record* r : Records()) {
            if (fs::exists(r->file)) {
                r->disk = {Lines(r->file), true, true};
            }
        }
        platform::WatchFileEvents([this](const platform::FileEvent& event) { Note(event); });
    }
    ~DiskOrder() { platform::WatchFileEvents(nullptr); }
    DiskOrder(const DiskOrder&) = delete;
    DiskOrder& operator=(const DiskOrder&) = delete;

    // Stops watching; the events seen, with the records' state at each.
    std::vector<Step> Finish() {
        platform::WatchFileEvents(nullptr);
        return std::move(m_steps);
    }

    // The lines of a log as keys: paths, or the two paths of a gramophone rename.
    static std::set<std::string> Lines(const fs::path& log) {
        std::set<std::string> lines;
        std::istringstream in(ReadText(log));
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            const std::size_t bar = line.find('|');
            if (bar != std::string::npos) {
                lines.insert(Key(platform::PathFromText(line.substr(0, bar))) + "|" +
                             Key(platform::PathFromText(line.substr(bar + 1))));
            } else if (!line.empty()) {
                lines.insert(Key(platform::PathFromText(line)));
            }
        }
        return lines;
    }

  private:
    struct Record {
        fs::path file;
        Durable disk;
        bool flushed = false;
    };
    std::vector<Record*> Records() { return {&m_record, &m_newFiles, &m_gramophone}; }

    // Events come from every thread of the launch (file sets go in on several).
    bool InWorld(const fs::path& path) const {
        for (const fs::path& folder : {m_paths.GameFolder, m_paths.ProgFolder, m_paths.DocsFolder}) {
            if (!path.empty() && (Key(path) == Key(folder) || Inside(path, folder))) {
                return true;
            }
        }
        return false;
    }

    void Note(const platform::FileEvent& event) {
        using Kind = platform::FileEventKind;
        if (!InWorld(event.path) && !InWorld(event.from)) {
            return;  // what another test left running, in another world
        }
        for (Record* r : Records()) {
            const bool same = Key(event.path) == Key(r->file);
            if (event.kind == Kind::FlushFolder && Key(event.path) == Key(r->file.parent_path())) {
                r->disk.entry = r->disk.entry || fs::exists(r->file);
            } else if (event.kind == Kind::FlushFile && same) {
                r->flushed = true;  // the bytes of the append or write that follows
            } else if ((event.kind == Kind::Append || event.kind == Kind::Write) && same) {
                if (r->flushed) {
                    r->disk.lines = Lines(r->file);
                    r->disk.bytes = true;
                } else if (event.kind == Kind::Write) {
                    r->disk.bytes = false;
                }
                r->disk.entry = r->disk.entry && event.kind == Kind::Append;  // a write is a new entry
                r->flushed = false;
            } else if (event.kind == Kind::Delete && same) {
                r->disk = {};
            }
        }
        m_steps.push_back({event, m_record.disk, m_newFiles.disk, m_gramophone.disk});
    }

    const Paths& m_paths;
    Record m_record{GameFolderRecord(m_paths), {}};
    Record m_newFiles{m_paths.Prog("Seewolf.log"), {}};
    Record m_gramophone{m_paths.Prog("Gramophone.log"), {}};
    std::vector<Step> m_steps;
};

TEST_F(Launch, EveryRecordIsOnTheDiskBeforeWhatItRecordsChanges) {
    for (const char* option :
         {"RndTonnage", "RndGramophone", "SkipIntros", "HullIntegrityText", "SetDaysInBase"}) {
        Settings(option, "1");
    }
    LaunchRequest r = Fresh(CareerStatus::NewCareer, 1941, 3);
    // Files the launch adds: two from the boat type's set, in new folders (the flotilla's set, which
    // goes first, only replaces a game file).
    const fs::path set = paths.Prog("U-boat\\" + ReplaceAll(r.boatTypeName, "/", ""));
    WriteText(set / "data/Added/Deep/one.txt", "1");
    WriteText(set / "data/Added/two.txt", "2");
    if (kFolderEntriesFlushed) {
        // The menu texts reached through a link: the roll-back copies their bytes back through it.
        const fs::path menu = paths.Game("data/Menu/" + language.MenuTextFile);
        fs::rename(menu, menu.parent_path() / "linked.txt");
        fs::create_symlink("linked.txt", menu);
    }
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    // The second launch rolls the first one back, then launches again.
    const std::uint64_t flushesBefore = platform::FlushCount();
    DiskOrder order(paths);
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    const std::set<std::string> newFiles = DiskOrder::Lines(paths.Prog("Seewolf.log"));
    const std::set<std::string> renames = DiskOrder::Lines(paths.Prog("Gramophone.log"));
    const std::vector<DiskOrder::Step> steps = order.Finish();
    using Kind = platform::FileEventKind;

    int flushes = 0;
    int listed = 0;
    int renamed = 0;
    int copies = 0;
    int madeFolders = 0;
    int recordsRemoved = 0;
    int copiedBackCount = 0;
    std::set<std::string> unflushed;  // game and backup folders whose entries changed since their flush
    bool copiedBack = false;          // a pre-launch copy was copied back, not yet flushed
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const platform::FileEvent& e = steps[i].event;
        flushes += IsChange(e.kind) ? 0 : 1;
        if (e.kind == Kind::FlushFolder) {
            unflushed.erase(Key(e.path));
        } else if (e.kind == Kind::FlushFileSystem) {
            unflushed.clear();
            copiedBack = false;
        }
        if (e.kind == Kind::Copy && Inside(e.from, paths.BackupFolder) && Inside(e.path, paths.GameFolder)) {
            ++copiedBackCount;
            copiedBack = true;
        }
        EXPECT_FALSE(kFolderEntriesFlushed && copiedBack && e.kind == Kind::Delete &&
                     Inside(e.path, paths.BackupFolder))
            << "a pre-launch copy leaves the backup folder before the bytes copied back are on the disk: "
            << Key(e.path);
        for (const fs::path& changed : {e.path, e.from}) {
            if (IsChange(e.kind) &&
                (Inside(changed, paths.GameFolder) || Inside(changed, paths.BackupFolder))) {
                unflushed.insert(Key(changed.parent_path()));
            }
        }
        // The roll-back removes a record only once what it undid is on the disk.
        if (e.kind == Kind::Delete && kFolderEntriesFlushed &&
            (Key(e.path) == Key(GameFolderRecord(paths)) || Key(e.path) == Key(paths.Prog("Seewolf.log")) ||
             Key(e.path) == Key(paths.Prog("Gramophone.log")))) {
            ++recordsRemoved;
            for (const std::string& folder : unflushed) {
                ADD_FAILURE() << Key(e.path) << " is removed before the changes in " << folder
                              << " are on the disk";
            }
        }
        if (!IsChange(e.kind)) {
            EXPECT_FALSE(e.kind == Kind::FlushFile && Inside(e.path, paths.GameFolder))
                << "a game file is flushed, which only costs: " << Key(e.path);
            continue;
        }
        const std::string what = Key(e.path) + " (event " + std::to_string(i) + ")";
        if (Inside(e.path, paths.GameFolder) || Inside(e.from, paths.GameFolder)) {
            EXPECT_TRUE(steps[i].record.Holds(Key(paths.GameFolder)))
                << "the game folder changes before its record is on the disk: " << what;
        }
        // A file or folder a launch adds is listed on the disk before it exists, with every folder
        // that was made for it.
        if (e.kind == Kind::Copy || e.kind == Kind::Write || e.kind == Kind::Rename ||
            e.kind == Kind::CreateFolder) {
            for (const std::string& line : newFiles) {
                if (line == Key(e.path) || (e.kind == Kind::CreateFolder && Inside(e.path, line))) {
                    ++listed;
                    EXPECT_TRUE(steps[i].newFiles.Holds(line))
                        << line << " is created before Seewolf.log lists it on the disk: " << what;
                }
            }
        }
        if (e.kind == Kind::Rename && renames.count(Key(e.path) + "|" + Key(e.from)) != 0) {
            ++renamed;
            EXPECT_TRUE(steps[i].gramophone.Holds(Key(e.path) + "|" + Key(e.from)))
                << "a gramophone track is renamed before Gramophone.log lists it on the disk: " << what;
        }
        // A pre-launch copy is on the disk, under its name, before the game file it keeps changes.
        if (e.kind == Kind::Copy && Inside(e.path, paths.BackupFolder)) {
            const std::string backup = Key(e.path);
            const std::string game =
                Key(paths.GameFolder /
                    e.path.lexically_normal().lexically_relative(
                        platform::WithoutTrailingSeparator(paths.BackupFolder).lexically_normal()));
            for (std::size_t j = i + 1; j < steps.size(); ++j) {
                const platform::FileEvent& later = steps[j].event;
                if (!IsChange(later.kind) || (Key(later.path) != game && Key(later.from) != game)) {
                    continue;
                }
                ++copies;
                bool bytes = false;
                bool entry = !kFolderEntriesFlushed;
                for (std::size_t k = 0; k < j; ++k) {
                    const platform::FileEvent& flush = steps[k].event;
                    bytes = bytes || (flush.kind == Kind::FlushFile && Key(flush.path) == backup);
                    entry = entry || (k > i && flush.kind == Kind::FlushFolder &&
                                      Key(flush.path) == Key(e.path.parent_path()));
                }
                EXPECT_TRUE(bytes) << "the pre-launch copy " << backup << " is not flushed before " << what;
                EXPECT_TRUE(entry) << "the folder entry of " << backup << " is not flushed before " << what;
                // So is the entry of each folder made for the copy, in its parent.
                for (std::size_t c = 0; c < i && kFolderEntriesFlushed; ++c) {
                    const platform::FileEvent& made = steps[c].event;
                    if (made.kind != Kind::CreateFolder || !Inside(made.path, paths.BackupFolder) ||
                        !Inside(e.path, made.path)) {
                        continue;
                    }
                    ++madeFolders;
                    bool durable = false;
                    for (std::size_t k = c + 1; k < j; ++k) {
                        durable = durable || (steps[k].event.kind == Kind::FlushFolder &&
                                              Key(steps[k].event.path) == Key(made.path.parent_path()));
                    }
                    EXPECT_TRUE(durable) << "the folder " << Key(made.path) << " made for " << backup
                                         << " is not flushed into its parent before " << what;
                }
                break;
            }
        }
    }
    // Each kind of record was put to the test, and every flush was counted.
    EXPECT_GT(listed, 3);
    EXPECT_GT(renamed, 1);
    EXPECT_GT(copies, 3);
    EXPECT_TRUE(madeFolders > 0 || !kFolderEntriesFlushed);
    EXPECT_TRUE((recordsRemoved == 3 && copiedBackCount > 0) || !kFolderEntriesFlushed);
    EXPECT_EQ(platform::FlushCount() - flushesBefore, static_cast<std::uint64_t>(flushes));
}

TEST_F(Launch, WeatherToolRunsForHomeBaseAndNewCareerOnly) {
    testing::StandIns standIns(world.Root(), "0.2");
    testing::StandIns::Place(paths.GameFolder / "Wetterglas.exe");
    int disabled = 0;
    LaunchHooks hooks;
    hooks.setWindowEnabled = [&](bool enabled) { disabled += enabled ? -1 : 1; };
    LaunchRequest r = Fresh(CareerStatus::NewCareer, 1941, 3);
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random, hooks), LaunchOutcome::Launched);
    EXPECT_EQ(disabled, 0);  // disabled while it ran, enabled again after
    const auto starts = standIns.Starts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].end, std::optional<int>(0)) << "waited for";
    EXPECT_EQ(starts[0].folder, platform::Utf8FromPath(platform::WithoutTrailingSeparator(paths.GameFolder)));
    const std::string tool = platform::Utf8FromPath(paths.GameFolder / "Wetterglas.exe");
#ifdef _WIN32
    EXPECT_EQ(starts[0].program, tool);
    EXPECT_TRUE(starts[0].command.ends_with("Wetterglas.exe\" 19410301 " + r.flotillaId))
        << starts[0].command;
#else
    EXPECT_EQ(starts[0].arguments, (std::vector<std::string>{tool, "19410301", r.flotillaId}));
#endif

    ASSERT_EQ(
        RunLaunch(paths, language, Fresh(CareerStatus::SingleMission, 1941, 3), prompter, random, hooks),
        LaunchOutcome::Launched);
    EXPECT_EQ(standIns.Starts().size(), 1u);  // not for a single mission
}

TEST_F(Launch, CompanionGetsBothFoldersQuotedAndTheSwitch) {
    testing::StandIns standIns(world.Root(), "0");
    testing::StandIns::Place(platform::ProgramFile(paths.ProgFolder, "Wachgang.exe"));
    const std::string game = platform::Utf8FromPath(paths.GameFolder);
    const std::string program = platform::Utf8FromPath(paths.ProgFolder);
    for (const bool autoRollback : {true, false}) {
        SCOPED_TRACE(autoRollback);
        Settings("AutoRollback", autoRollback ? "1" : "0");
        LaunchRequest r = Fresh(CareerStatus::NewCareer, 1941, 3);
        r.noLaunch = false;
        ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
        const auto starts = standIns.WaitForEnded(autoRollback ? 1 : 2);
        ASSERT_EQ(starts.size(), autoRollback ? 1u : 2u);
        const testing::StandInStart& start = starts.back();
        EXPECT_EQ(start.folder, platform::Utf8FromPath(platform::WithoutTrailingSeparator(paths.ProgFolder)));
#ifdef _WIN32
        // Each folder ends in its backslash inside the quotes; without the switch a blank ends the text.
        EXPECT_EQ(start.program, program + "Wachgang.exe");
        EXPECT_TRUE(start.command.ends_with("Wachgang.exe\" \"" + game + "\" \"" + program + "\" " +
                                            (autoRollback ? "/autorollbackandclose" : "")))
            << start.command;
#else
        EXPECT_EQ(start.program, program + "wachgang");
        std::vector<std::string> arguments{game, program};
        if (autoRollback) {
            arguments.emplace_back("/autorollbackandclose");
        }
        EXPECT_EQ(start.arguments, arguments);
#endif
        RollBackGameFiles(paths, prompter);
    }
}

// A launch that could not start the game refuses before it changes anything (a game command that
// does not work) or rolls back (a companion that does not start).
TEST_F(Launch, AGameThatCannotStartLeavesTheGameFolderAsItWas) {
    const auto before = Snapshot(paths.GameFolder);
    LaunchRequest r = Fresh(CareerStatus::NewCareer, 1941, 3);
    r.noLaunch = false;
#ifndef _WIN32
    for (const std::string& command : {world.Root().string() + "/no such wine", std::string("'wine")}) {
        const testing::EnvVar wine("SEEWOLF_WINE", command);
        try {
            RunLaunch(paths, language, r, prompter, random);
            ADD_FAILURE() << "launched with " << command;
        } catch (const Error& e) {
            const std::string text = e.what();
            EXPECT_NE(text.find("The command that runs Windows programs, " + command), std::string::npos)
                << text;
            EXPECT_NE(text.find("WineCommand in the [SETTINGS] section of"), std::string::npos) << text;
            EXPECT_TRUE(text.ends_with("Nothing was changed.")) << text;
        }
        EXPECT_EQ(Snapshot(paths.GameFolder), before);
    }
#endif
    fs::remove(platform::ProgramFile(paths.ProgFolder, "Wachgang.exe"));
    try {
        RunLaunch(paths, language, r, prompter, random);
        ADD_FAILURE() << "launched without the companion";
    } catch (const Error& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("that starts the game could not be started"), std::string::npos) << text;
        EXPECT_NE(text.find("were rolled back"), std::string::npos) << text;
    }
    EXPECT_EQ(Snapshot(paths.GameFolder), before);
    EXPECT_FALSE(BackupHoldsFiles(paths));
}

TEST_F(Launch, SkippedIntrosAreRenamedAndRolledBack) {
    WriteText(paths.Game("data\\Movies\\Intro\\Logo.wmv"), "logo");
    WriteText(paths.Game("data\\Movies\\Intro\\Intro.wmv"), "intro");
    Settings("SkipIntros", "1");
    ASSERT_EQ(RunLaunch(paths, language, Fresh(CareerStatus::NewCareer, 1941, 3), prompter, random),
              LaunchOutcome::Launched);
    EXPECT_FALSE(fs::exists(paths.Game("data\\Movies\\Intro\\Logo.wmv")));
    EXPECT_EQ(ReadText(paths.Game("data\\Movies\\Intro\\Intro.wmv.Seewolf")), "intro");
    RollBackGameFiles(paths, prompter);
    EXPECT_EQ(ReadText(paths.Game("data\\Movies\\Intro\\Logo.wmv")), "logo");
    EXPECT_FALSE(fs::exists(paths.Game("data\\Movies\\Intro\\Intro.wmv.Seewolf")));
}

}  // namespace
}  // namespace seewolf

namespace seewolf {
namespace {

class LaunchTransfers : public Launch {
  protected:
    // The demo career with a roster of three officers, whom every draw makes leave.
    LaunchRequest WithRoster(const char* name) {
        LaunchRequest r;
        r.career = LoadCareer(paths, language, name);
        r.treeEntry = name;
        r.noLaunch = true;
        std::string roster;
        for (int slot = 0; slot < 3; ++slot) {
            roster += "[CREW_MEMBER_" + std::to_string(slot) + "]\r\nName=Man " + std::to_string(slot) +
                      "\r\nGrad=8\r\nNrComp=2\r\n";
        }
        WriteText(crew::CrewFile(r.career), roster);
        const ProfileFile options(paths.Prog("Cfg\\SH3 options.cfg"));
        options.WriteString("REALISTICCREWXFR", "RANGE", "1");
        options.WriteString("REALISTICCREWXFR", "Officer", "0");
        return r;
    }
};

TEST_F(LaunchTransfers, RunForAnInBaseCareerWhenSetAndAreTakenBackWhenTheLaunchFails) {
    LaunchRequest r = WithRoster(demo::DemoCareers::InHomeBase);
    const fs::path roster = crew::CrewFile(r.career);
    const std::string before = ReadText(roster);
    // A crew set and new crew details are for a new career only.
    r.crewSet = "Veteran crew";
    r.randomCrewDetails = true;
    const std::string crewCfg = ReadText(paths.Game("data\\Cfg\\Crew.cfg"));
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    EXPECT_EQ(ReadText(roster), before);  // the setting is off
    EXPECT_EQ(ReadText(paths.Game("data\\Cfg\\Crew.cfg")), crewCfg);
    EXPECT_TRUE(prompter.plainMessages.empty());

    Settings("RealisticCrewXfr", "1");
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    const std::string after = ReadText(roster);
    EXPECT_NE(after, before);
    ASSERT_EQ(prompter.plainMessages.size(), 1u);
    EXPECT_EQ(prompter.plainMessages[0].rfind("Crewman transfer summary\nTRANSFERS OUT\r\n\r\n", 0), 0u);

    // A launch that fails after the transfers takes them back with the game files.
    const fs::path mainCfg = paths.SaveFolder / "main.cfg";
    fs::permissions(mainCfg, fs::perms::owner_write, fs::perm_options::remove);
    try {
        RunLaunch(paths, language, r, prompter, random);
        ADD_FAILURE() << "launched without main.cfg";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("The crew transfers of this launch were taken back"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(prompter.plainMessages.size(), 2u);
    EXPECT_EQ(ReadText(roster), after);
    fs::permissions(mainCfg, fs::perms::owner_write, fs::perm_options::add);

    // No rules: nobody leaves and nothing is said.
    ProfileFile(paths.Prog("Cfg\\SH3 options.cfg")).EraseSection("REALISTICCREWXFR");
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    EXPECT_EQ(ReadText(roster), after);
    EXPECT_EQ(prompter.plainMessages.size(), 2u);
}

TEST_F(LaunchTransfers, NeverRunAtSea) {
    LaunchRequest r = WithRoster(demo::DemoCareers::AtSea);
    Settings("RealisticCrewXfr", "1");
    const std::string before = ReadText(crew::CrewFile(r.career));
    ASSERT_EQ(RunLaunch(paths, language, r, prompter, random), LaunchOutcome::Launched);
    EXPECT_EQ(ReadText(crew::CrewFile(r.career)), before);
    EXPECT_TRUE(prompter.plainMessages.empty());
}

}  // namespace
}  // namespace seewolf
