#include "cli/cli.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>

#include "app/language.h"
#include "app/profile_file.h"
#include "app/settings.h"
#include "career/career.h"
#include "cli/console.h"
#include "crew/crewman.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "reports/crew_list.h"
#include "reports/personnel_file.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

CliRun Cli(const testing::TempWorld& world, const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = cli::RunCli(arguments, world.World().program, out, err);
    return {code, out.str(), err.str()};
}

TEST(Cli, HelpAndBadUsage) {
    testing::TempWorld world;
    const CliRun help = Cli(world, {"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("paths"), std::string::npos);
    EXPECT_NE(help.out.find("list"), std::string::npos);
    EXPECT_NE(help.out.find("show NAME"), std::string::npos);
    EXPECT_EQ(Cli(world, {}).code, 1);
    const CliRun unknown = Cli(world, {"fly"});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_NE(unknown.err.find("unknown command \"fly\""), std::string::npos);
    EXPECT_EQ(Cli(world, {"paths", "--game"}).code, 1);
}

TEST(Cli, GameAndDocumentsOverrideTheSettings) {
    testing::TempWorld world;
    // Settings pointing nowhere: the options must carry the run.
    const ProfileFile ini(world.GetPaths().SettingsFile());
    const std::filesystem::path nowhere = world.Root() / "nowhere";
    ini.WriteString(kSettingsSection, "SH3Location", platform::TextFromPath(nowhere / "game"));
    ini.WriteString(kSettingsSection, "DocsLocation", platform::TextFromPath(nowhere / "docs"));
    const std::string game = world.World().game.string();
    const std::string docs = world.World().documents.string();
    // Given with "/" (as Windows also takes them), the folders are printed with the system's own
    // separator.
    const std::string gameGeneric = world.World().game.generic_string();
    const std::string docsGeneric = world.World().documents.generic_string();
    const CliRun run = Cli(world, {"--game", gameGeneric, "--documents", docsGeneric, "paths"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("GameFolder: " + game + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("DocsFolder: " + docs + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Language: en\n"), std::string::npos);

    // A terminal has no folder chooser: a look-up that finds no game fails, names the folder it
    // tried and how to give one, and changes no setting (the saved folder stays as it was).
    testing::EnvVar noWine("WINEPREFIX", (world.Root() / "no prefix").string());
    const std::string settings = testing::ReadText(world.GetPaths().SettingsFile());
    const CliRun lost = Cli(world, {"paths"});  // the settings alone lead nowhere
    EXPECT_EQ(lost.code, 1);
    EXPECT_NE(lost.err.find("Seewolf requires Silent Hunter III"), std::string::npos) << lost.err;
    EXPECT_NE(lost.err.find(platform::Utf8FromPath(nowhere / "game")), std::string::npos) << lost.err;
    const CliRun wrong = Cli(world, {"--game", docsGeneric, "list"});
    EXPECT_EQ(wrong.code, 1);
    EXPECT_EQ(wrong.out, "");
    EXPECT_NE(wrong.err.find(docs), std::string::npos) << wrong.err;
    EXPECT_NE(wrong.err.find("--game"), std::string::npos) << wrong.err;
    EXPECT_EQ(testing::ReadText(world.GetPaths().SettingsFile()), settings);

#ifndef _WIN32
    // Two installations (here Lutris'): a terminal cannot ask which, so it names both.
    ini.WriteString(kSettingsSection, "SH3Location", "");
    const std::filesystem::path home = world.Root() / "home";
    const testing::EnvVar homeVar("HOME", home.string());
    const testing::EnvVar noConfig("XDG_CONFIG_HOME", nullptr);
    for (const char* name : {"one", "two"}) {
        testing::WriteText(world.Root() / name / "sh3.exe", "x");
        testing::WriteText(home / ".config" / "lutris" / "games" / (std::string(name) + ".yml"),
                           "game:\n  exe: " + platform::Utf8FromPath(world.Root() / name / "sh3.exe") + "\n");
    }
    const std::string unchanged = testing::ReadText(world.GetPaths().SettingsFile());
    const CliRun twice = Cli(world, {"paths"});
    EXPECT_EQ(twice.code, 1);
    for (const char* name : {"one", "two"}) {
        EXPECT_NE(
            twice.err.find(platform::Utf8FromPath(world.Root() / name) + " (Lutris (" + name + ".yml))"),
            std::string::npos)
            << twice.err;
    }
    EXPECT_EQ(testing::ReadText(world.GetPaths().SettingsFile()), unchanged);
#endif
}

TEST(Cli, ListPrintsTheCareerTreeInUtf8) {
    testing::TempWorld world;
    const CliRun run = Cli(world, {"list"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(
        run.out,
        "Erich Lenz\nFriedrich Roth\nHans Kessler\nHeinz Albrecht\nJ\u00fcrgen Sch\u00e4fer\nKarl Vogel\n"
        "Ludwig Brenner\nOtto Brandt\nPaul Weber\nWilhelm Dorn\n");
    EXPECT_EQ(Cli(world, {"list", "extra"}).code, 1);
}

TEST(Cli, ShowPrintsTheRecordSheetAndWritesNothing) {
    testing::TempWorld world;
    const std::string settingsBefore = testing::ReadText(world.GetPaths().SettingsFile());

    // CrtPort -1: shown in another base, as the window does on selection.
    const CliRun other = Cli(world, {"show", "Otto Brandt"});
    ASSERT_EQ(other.code, 0) << other.err;
    EXPECT_EQ(other.out,
              "Name: Otto Brandt\n"
              "Rank: Kapit\u00e4nleutnant\n"
              "Status: In other base before patrol 4\n"
              "Date: Monday, Jan 12, 1942\n"
              "LastPatrolEnd: Tuesday, Nov 18, 1941\n"
              "Boat: U-406,\n"
              "Type: Type VIIC\n"
              "Flotilla: 7th U-boat Flotilla, Saint-Nazaire\n"
              "Grid: CB48\n"
              "Saved: Sunday, Jun 2, 2024 at 19:05\n");

    // A name with a non-ASCII letter arrives as UTF-8; that career has no history record yet.
    const CliRun first = Cli(world, {"show", "J\u00fcrgen Sch\u00e4fer"});
    ASSERT_EQ(first.code, 0) << first.err;
    EXPECT_NE(first.out.find("Name: J\u00fcrgen Sch\u00e4fer\n"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find(
                  "Status: At sea during patrol 1\nDate: After Monday, Mar 8, 1943\nLastPatrolEnd: N/a\n"),
              std::string::npos)
        << first.out;
    EXPECT_NE(first.out.find("Grid: BF13\n"), std::string::npos);

    const CliRun noGrid = Cli(world, {"show", demo::DemoCareers::AtSeaNoGrid});
    EXPECT_NE(noGrid.out.find("Type: Type VIIC/41\nFlotilla: 9th U-boat Flotilla, Brest\nGrid: NULL\n"),
              std::string::npos)
        << noGrid.out;
    EXPECT_NE(Cli(world, {"show", demo::DemoCareers::Lost}).out.find("Grid: N/a\n"), std::string::npos);

    EXPECT_EQ(testing::ReadText(world.GetPaths().SettingsFile()), settingsBefore);
}

TEST(Cli, ShowRefusesUnknownCareers) {
    testing::TempWorld world;
    const CliRun unknown = Cli(world, {"show", demo::DemoCareers::NotListed});  // a folder, but no career
    EXPECT_EQ(unknown.code, 1);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.err, "No career named Leere Akte\n");
    EXPECT_EQ(Cli(world, {"show"}).code, 1);
    EXPECT_EQ(Cli(world, {"show", "a", "b"}).code, 1);

    // A career whose files are broken: the core's error, exit 1.
    const std::filesystem::path patrols =
        world.GetPaths().SaveFolder / "Careers" / "Hans Kessler" / "Patrols_0.cfg";
    ProfileFile(patrols).DeleteKey("PATROL 004", "StartYear");
    const CliRun broken = Cli(world, {"show", "Hans Kessler"});
    EXPECT_EQ(broken.code, 1);
    EXPECT_NE(broken.err.find("The key StartYear is missing"), std::string::npos) << broken.err;
}

TEST(Cli, CrewListWritesThePageAsTheCrewManagerListsTheCrew) {
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    const Language language = ChooseLanguage(paths);
    const SelectedCareer career = LoadCareer(paths, language, demo::DemoCareers::InHomeBase);
    const std::string roster = testing::ReadText(crew::CrewFile(career));
    std::filesystem::remove_all(paths.ProgFolder / "Personnel Files");

    const CliRun run = Cli(world, {"crew-list", "hans kessler"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::filesystem::path page = paths.DocsFolder / "Personnel Files" / "SH3Hans_Kessler" /
                                       reports::CrewListPageName(paths, language, career.SubName);
    // What the page lacks first, the page last.
    EXPECT_TRUE(run.out.ends_with("\n" + page.string() + "\n")) << run.out;
    EXPECT_NE(run.out.find("Personnel Files was not found"), std::string::npos) << run.out;
    std::vector<std::string> notes;
    const std::vector<reports::CrewListRow> rows = reports::ReadCrewListRows(career, notes);
    const std::string text = testing::ReadText(page);
    std::size_t at = text.find(career.CmdrName);
    for (const reports::CrewListRow& row : rows) {
        at = text.find("> " + row.name + "</font>", at);
        ASSERT_NE(at, std::string::npos) << row.name;
    }
    EXPECT_EQ(testing::ReadText(crew::CrewFile(career)), roster);

    EXPECT_EQ(Cli(world, {"crew-list"}).code, 1);
    const CliRun unknown = Cli(world, {"crew-list", demo::DemoCareers::NotListed});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_EQ(unknown.err, "No career named Leere Akte\n");
}

TEST(Cli, ReportWritesThePersonnelFileWithItsLogAndAcesPages) {
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    const Language language = ChooseLanguage(paths);
    const SelectedCareer career = LoadCareer(paths, language, demo::DemoCareers::InHomeBase);
    ASSERT_GT(career.PatrolCount, 0);

    const CliRun run = Cli(world, {"report", "hans kessler"});
    ASSERT_EQ(run.code, 0) << run.err;
    const std::filesystem::path folder = paths.DocsFolder / "Personnel Files" / "SH3Hans_Kessler";
    const std::filesystem::path page = folder / reports::PersonnelFileName(paths, language);
    EXPECT_TRUE(run.out.ends_with(page.string() + "\n")) << run.out;
    EXPECT_NE(testing::ReadText(page).find(UpperCase(career.CmdrName)), std::string::npos);
    for (int n = 0; n < career.PatrolCount; ++n) {
        EXPECT_TRUE(std::filesystem::exists(folder / ("Log_" + std::to_string(n) + ".html"))) << n;
    }
    EXPECT_NE(testing::ReadText(folder / "Aces.html").find(page.filename().string()), std::string::npos);
    EXPECT_FALSE(ReadCareerHistory(paths, career.Name).empty());

    const CliRun unknown = Cli(world, {"report", demo::DemoCareers::NotListed});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_EQ(unknown.err, "No career named Leere Akte\n");
}

TEST(Cli, LaunchRefusesWhatTheWindowWouldNotOffer) {
    testing::TempWorld world;
    const std::string settings = testing::ReadText(world.GetPaths().SettingsFile());
    // "In other base" is a toggle of a career in home base only; at sea it would shorten the next
    // patrol's days in base to one.
    const CliRun atSea = Cli(world, {"launch", demo::DemoCareers::AtSea, "--other-base", "--nolaunch"});
    EXPECT_EQ(atSea.code, 1);
    EXPECT_NE(atSea.err.find("--other-base"), std::string::npos) << atSea.err;
    // Options that the kind of launch does not use are refused, not ignored.
    const std::vector<std::vector<std::string>> refused = {
        {"launch", "--new-career", "--year", "1941", "--month", "3", "--flotilla-id", "661", "--type", "VIIB",
         "--other-base", "--nolaunch"},
        {"launch", "--single-mission", "--year", "1941", "--month", "3", "--flotilla-id", "661", "--type",
         "VIIB", "--commander", "Karl Probst", "--nolaunch"},
        {"launch", demo::DemoCareers::InHomeBase, "--year", "1941", "--nolaunch"},
        {"launch", "--new-career", "--single-mission", "--year", "1941", "--month", "3", "--nolaunch"},
        {"list", "--nolaunch"},
        // Beyond what the window's boxes take: refused, not cut.
        {"launch", "--new-career", "--year", "1941", "--month", "3", "--flotilla-id", "661", "--type", "VIIB",
         "--commander", "Karl-Heinrich Probst", "--nolaunch"},
        {"launch", "--new-career", "--year", "1941", "--month", "3", "--flotilla-id", "661", "--type", "VIIB",
         "--number", "U47", "--nolaunch"},
        {"launch", "--new-career", "--year", "1941", "--month", "3", "--flotilla-id", "661", "--type", "VIIB",
         "--grid", "AN1234567", "--nolaunch"},
    };
    for (const std::vector<std::string>& arguments : refused) {
        const CliRun run = Cli(world, arguments);
        EXPECT_EQ(run.code, 1) << arguments[1] << " " << arguments[arguments.size() - 2];
        EXPECT_FALSE(run.err.empty()) << arguments[1];
    }
    EXPECT_FALSE(std::filesystem::exists(world.GetPaths().BackupFolder / "data"));
    EXPECT_EQ(testing::ReadText(world.GetPaths().SettingsFile()), settings);
}

TEST(Cli, RollbackSaysWhatItDidAndFailsWhenACopyCannotGoBack) {
    testing::TempWorld world;
    const CliRun clean = Cli(world, {"rollback"});
    EXPECT_EQ(clean.code, 0) << clean.err;
    EXPECT_NE(clean.out.find("Nothing to roll back"), std::string::npos) << clean.out;

    ASSERT_EQ(Cli(world, {"launch", demo::DemoCareers::InHomeBase, "--nolaunch"}).code, 0);
    const CliRun restored = Cli(world, {"rollback"});
    EXPECT_EQ(restored.code, 0) << restored.err;
    EXPECT_EQ(restored.out.find("Nothing to roll back"), std::string::npos) << restored.out;

    // A pre-launch copy that cannot go back (a folder now stands where its file was) fails the
    // command, and the copy stays for another try.
    ASSERT_EQ(Cli(world, {"launch", demo::DemoCareers::InHomeBase, "--nolaunch"}).code, 0);
    const std::filesystem::path convoys = world.GetPaths().Game("data\\Cfg\\Convoys.cfg");
    std::filesystem::remove(convoys);
    testing::WriteText(convoys / "inside.txt", "in the way");
    const CliRun stuck = Cli(world, {"rollback"});
    EXPECT_EQ(stuck.code, 1);
    EXPECT_NE(stuck.err.find("could not be restored"), std::string::npos) << stuck.err;
    EXPECT_TRUE(std::filesystem::exists(world.GetPaths().BackupFolder / "data" / "Cfg" / "Convoys.cfg"));
}

TEST(Cli, TheTransferSummaryShowsEachLineBreakAsOne) {
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    ProfileFile(paths.SettingsFile()).WriteString(kSettingsSection, "RealisticCrewXfr", "1");
    const ProfileFile options(paths.Prog("Cfg\\SH3 options.cfg"));
    options.WriteString("REALISTICCREWXFR", "RANGE", "1");
    options.WriteString("REALISTICCREWXFR", "Seaman", "0");
    const SelectedCareer career = LoadCareer(paths, ChooseLanguage(paths), demo::DemoCareers::InHomeBase);
    testing::WriteText(crew::CrewFile(career), "[CREW_MEMBER_20]\r\nName=Hein Mueck\r\nNrComp=1\r\n");
    const CliRun run = Cli(world, {"launch", demo::DemoCareers::InHomeBase, "--nolaunch"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.err.find("Crewman transfer summary:\nTRANSFERS OUT\n\nMatrose Hein Mueck - "),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("\nTRANSFERS IN\n\n"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\r'), std::string::npos);
}

TEST(Cli, OffersPrintWhatTheNewCareerFormOffers) {
    testing::TempWorld world;
    const CliRun march41 = Cli(world, {"offers", "--year", "1941", "--month", "3"});
    ASSERT_EQ(march41.code, 0) << march41.err;
    // The flotillas that start careers in 1941 and have a base in March; each with its boat types
    // of that date and the boat numbers offered for them.
    EXPECT_NE(march41.out.find("flotilla 660  1st U-boat Flotilla\n  type IIA  numbers: 1, 2, 3, 4, 5, 6\n"),
              std::string::npos)
        << march41.out;
    EXPECT_NE(march41.out.find("flotilla 661  2nd U-boat Flotilla\n  type VIIB  numbers: 27, 28,"),
              std::string::npos);
    EXPECT_NE(march41.out.find("flotilla 663  7th U-boat Flotilla\n"), std::string::npos);
    EXPECT_EQ(march41.out.find("flotilla 664"), std::string::npos);  // 9th: from November 1941
    EXPECT_EQ(march41.out.find("type IXC"), std::string::npos);      // from May 1941
    EXPECT_NE(march41.out.find("crew sets: "), std::string::npos);
    EXPECT_NE(march41.out.find("Veteran crew"), std::string::npos);

    const CliRun single = Cli(world, {"offers", "--year", "1941", "--month", "3", "--single-mission"});
    ASSERT_EQ(single.code, 0) << single.err;
    EXPECT_NE(single.out.find("flotilla 669  33rd U-boat Flotilla\n"), std::string::npos) << single.out;
    EXPECT_NE(single.out.find("\ntype XXI\n"), std::string::npos) << single.out;

    const CliRun early = Cli(world, {"offers", "--year", "1939", "--month", "1"});
    EXPECT_EQ(early.code, 1);
    EXPECT_NE(early.err.find("No career can start in 1/1939."), std::string::npos) << early.err;
    EXPECT_EQ(Cli(world, {"offers", "--year", "1941"}).code, 1);
    // The last month a career can start in, and the first after it.
    EXPECT_EQ(Cli(world, {"offers", "--year", "1945", "--month", "5"}).code, 0);
    EXPECT_EQ(Cli(world, {"offers", "--year", "1945", "--month", "6"}).code, 1);
    EXPECT_EQ(Cli(world, {"offers", "--year", "1946", "--month", "1"}).code, 1);
}

TEST(Cli, NamesThatWindows1252CannotHoldAreRefused) {
    testing::TempWorld world;
    const std::filesystem::path mainCfg = world.GetPaths().Save("main.cfg");
    const std::string before = testing::ReadText(mainCfg);
    // "Ŝ" and "ł" have no place in the code page of the game's files; they would become "?".
    const CliRun commander =
        Cli(world, {"launch", "--new-career", "--year", "1941", "--month", "3", "--flotilla-id", "661",
                    "--type", "VIIB", "--commander", "Pawe\u0142 \u015Cmidt", "--nolaunch"});
    EXPECT_EQ(commander.code, 1);
    EXPECT_NE(commander.err.find("commander name"), std::string::npos) << commander.err;
    EXPECT_NE(commander.err.find("Windows-1252"), std::string::npos) << commander.err;
    EXPECT_EQ(testing::ReadText(mainCfg), before);
    EXPECT_FALSE(std::filesystem::exists(world.GetPaths().BackupFolder / "data"));

    const CliRun career = Cli(world, {"show", "Pawe\u0142"});
    EXPECT_EQ(career.code, 1);
    EXPECT_NE(career.err.find("Windows-1252"), std::string::npos) << career.err;
    // Letters that the code page holds pass unchanged.
    EXPECT_EQ(Cli(world, {"show", "J\u00fcrgen Sch\u00e4fer"}).code, 0);

#ifndef _WIN32
    // A career folder of such a name is not listed, but named on standard error.
    const std::filesystem::path odd =
        world.GetPaths().SaveFolder / "Careers" / std::filesystem::path(u8"\u0141ukasz Nowak");
    testing::WriteText(odd / "Patrols_0.cfg", "[INIT]\r\nPatrols=2\r\n");
    const CliRun list = Cli(world, {"list"});
    EXPECT_EQ(list.code, 0);
    EXPECT_EQ(list.out.find("ukasz"), std::string::npos) << list.out;
    EXPECT_NE(list.err.find("Not listed: " + odd.string()), std::string::npos) << list.err;
#endif
}

// A relative documents folder is taken from the current folder, so the paths printed are full
// ones; an empty folder option is refused, not taken for one not given.
TEST(Cli, FolderOptionsGiveFullPathsAndAreNeverEmpty) {
    testing::TempWorld world;
    const std::filesystem::path docs = (world.World().documents / "").parent_path();
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(docs.parent_path());
    const CliRun relative = Cli(world, {"--documents", docs.filename().string(), "paths"});
    std::filesystem::current_path(before);
    ASSERT_EQ(relative.code, 0) << relative.err;
    EXPECT_NE(relative.out.find("DocsFolder: " + docs.string()), std::string::npos) << relative.out;

    for (const char* option : {"--game", "--documents"}) {
        const CliRun empty = Cli(world, {option, "", "list"});
        EXPECT_EQ(empty.code, 1);
        EXPECT_EQ(empty.out, "");
        EXPECT_EQ(empty.err, std::string("seewolf-cli: ") + option + " needs a folder\n");
    }
}

// Every name and every file's bytes under a folder.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        files[entry.path().lexically_relative(folder).generic_string()] =
            entry.is_regular_file() ? testing::ReadText(entry.path()) : "(folder)";
    }
    return files;
}

// The words of a stand-in game that copies the game file `from`, as the launch left it, to `to` and
// ends with exit code 7.
std::vector<std::string> CopyingGame(const std::filesystem::path& from, const std::filesystem::path& to) {
#ifdef _WIN32
    return {"cmd.exe", "/c",
            "copy /y \"" + from.string() + "\" \"" + to.string() + "\" >nul && exit 7 || exit 3"};
#else
    return {"/bin/sh", "-c", "cp \"$0\" \"$1\" && exit 7 || exit 3", from.string(), to.string()};
#endif
}

// The names whose bytes (or presence) differ between two snapshots, so that a failure lists them.
std::string Differences(const std::map<std::string, std::string>& a,
                        const std::map<std::string, std::string>& b) {
    std::string names;
    for (const auto& [name, bytes] : a) {
        const auto other = b.find(name);
        names += other == b.end() || other->second != bytes ? name + " " : "";
    }
    for (const auto& entry : b) {
        names += a.count(entry.first) == 0 ? entry.first + " " : "";
    }
    return names;
}

std::vector<std::string> Joined(std::vector<std::string> first, const std::vector<std::string>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

TEST(Cli, WrapRunsTheGameBetweenTheLaunchAndTheRollBack) {
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    const ProfileFile ini(paths.SettingsFile());
    const std::map<std::string, std::string> before = Snapshot(paths.GameFolder);
    const std::filesystem::path convoys = paths.Game("data\\Cfg\\Convoys.cfg");
    const std::filesystem::path seen = world.Root() / "seen by the game.cfg";
    const std::vector<std::string> game = CopyingGame(convoys, seen);

    // The game sees the launch's files; its exit code comes back; AutoRollback restores the folder.
    ini.WriteString(kSettingsSection, "AutoRollback", "1");
    const CliRun rolled = Cli(world, Joined({"wrap", "--career", demo::DemoCareers::InHomeBase, "--"}, game));
    EXPECT_EQ(rolled.code, 7) << rolled.err;
    ASSERT_TRUE(std::filesystem::exists(seen)) << rolled.err;
    EXPECT_NE(testing::ReadText(seen), before.at("data/Cfg/Convoys.cfg"));
    EXPECT_EQ(Differences(Snapshot(paths.GameFolder), before), "");
    EXPECT_TRUE(std::filesystem::is_empty(paths.BackupFolder));

    // Without AutoRollback the changes stay, and the output says how to undo them. Without
    // --career the latest career is launched.
    ini.WriteString(kSettingsSection, "AutoRollback", "0");
    ini.WriteString(kLatestCareerSection, "CAREER", demo::DemoCareers::AtSea);
    std::filesystem::remove(seen);
    const CliRun kept = Cli(world, Joined({"wrap", "--"}, game));
    EXPECT_EQ(kept.code, 7) << kept.err;
    EXPECT_NE(kept.out.find("seewolf-cli rollback"), std::string::npos) << kept.out;
    EXPECT_EQ(testing::ReadText(convoys), testing::ReadText(seen));
    EXPECT_NE(Differences(Snapshot(paths.GameFolder), before), "");
    EXPECT_NE(testing::ReadText(paths.Save("main.cfg")).find(std::string("Name=") + demo::DemoCareers::AtSea),
              std::string::npos);

    // A game that cannot be started never ran: the launch is rolled back whatever the setting (the
    // changes the last run left go first, as with every launch).
    const CliRun missing =
        Cli(world, {"wrap", "--career", demo::DemoCareers::InHomeBase, "--", "no-such-game-program", "-x"});
    EXPECT_EQ(missing.code, 127);
    EXPECT_NE(missing.err.find("\"no-such-game-program\" could not be started"), std::string::npos)
        << missing.err;
    EXPECT_EQ(Differences(Snapshot(paths.GameFolder), before), "");
    EXPECT_TRUE(std::filesystem::is_empty(paths.BackupFolder));
}

TEST(Cli, WrapRefusesWhatItCannotRunAndChangesNothing) {
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    const ProfileFile ini(paths.SettingsFile());
    ini.WriteString(kLatestCareerSection, "CAREER", demo::DemoCareers::InHomeBase);
    const std::map<std::string, std::string> before = Snapshot(paths.GameFolder);
    // Were the command run, it could not start and the exit code would be 127.
    const std::vector<std::vector<std::string>> refused = {
        {"wrap"},
        {"wrap", "--"},
        {"wrap", "no-such-game-program"},
        {"wrap", demo::DemoCareers::InHomeBase, "--", "no-such-game-program"},
        {"wrap", "--career", "--", "no-such-game-program"},
        {"wrap", "--nolaunch", "--", "no-such-game-program"},
        {"wrap", "--career", demo::DemoCareers::AtSea, "--other-base", "--", "no-such-game-program"},
        {"wrap", "--career", demo::DemoCareers::NotListed, "--", "no-such-game-program"},
        {"list", "--", "no-such-game-program"},
    };
    for (const std::vector<std::string>& arguments : refused) {
        const CliRun run = Cli(world, arguments);
        EXPECT_EQ(run.code, 1) << arguments.back() << run.err;
        EXPECT_FALSE(run.err.empty()) << arguments.back();
    }
    // The latest career is one of the fixed entries, or none is saved.
    for (const char* latest : {"New career", ""}) {
        ini.WriteString(kLatestCareerSection, "CAREER", latest);
        const CliRun run = Cli(world, {"wrap", "--", "no-such-game-program"});
        EXPECT_EQ(run.code, 1) << latest;
        EXPECT_NE(run.err.find("--career NAME"), std::string::npos) << run.err;
    }
    EXPECT_EQ(Differences(Snapshot(paths.GameFolder), before), "");
    EXPECT_FALSE(std::filesystem::exists(paths.BackupFolder / "data"));
}

// What goes to a Windows console is cut only between characters: a cut one would show as two
// replacement marks.
TEST(Cli, ConsoleWritesEndWithWholeCharacters) {
    EXPECT_EQ(cli::WholeCharacters(""), 0u);
    EXPECT_EQ(cli::WholeCharacters("Name: J\xC3\xBC"), 9u);
    EXPECT_EQ(cli::WholeCharacters("J\xC3"), 1u);
    EXPECT_EQ(cli::WholeCharacters("1 \xE2\x82\xAC"), 5u);
    EXPECT_EQ(cli::WholeCharacters("1 \xE2\x82"), 2u);
    EXPECT_EQ(cli::WholeCharacters("\xF0\x9F\x9A"), 0u);
    EXPECT_EQ(cli::WholeCharacters("\xF0\x9F\x9A\xA2"), 4u);
    EXPECT_EQ(cli::WholeCharacters("\x80\x80\x80\x80\x80"), 5u);  // no UTF-8: passed on as it is
}

}  // namespace
}  // namespace seewolf
