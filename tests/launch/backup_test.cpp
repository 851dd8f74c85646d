#include "launch/backup.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include "app/error.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/text.h"
#include "launch/parallel_steps.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::RunTestChild;
using testing::ScriptedPrompter;
using testing::TempFolder;
using testing::WriteText;

constexpr std::string_view kRollingBack = "Rolling back previously copied files...";

// Symbolic links need privileges on Windows: the cases with links run on Linux only.
#ifdef _WIN32
constexpr bool kLinks = false;
#else
constexpr bool kLinks = true;
#endif

// A path as the logs and messages write it: native separators, Windows-1252.
std::string Native(fs::path path) {
    return platform::TextFromPath(path.make_preferred());
}

Paths PathsFor(const fs::path& game, const fs::path& prog) {
    Paths paths;
    paths.GameFolder = platform::WithTrailingSeparator(game);
    paths.ProgFolder = platform::WithTrailingSeparator(prog);
    paths.BackupFolder = platform::WithTrailingSeparator(prog / "!BACKUP");
    return paths;
}

void MakeReadOnly(const fs::path& path) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

// Every entry below `root` by relative path: folders, links with their targets, and files with
// their bytes, permissions and modification times.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> entries;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string rel = it->path().lexically_relative(root).generic_string();
        const fs::file_status status = fs::symlink_status(it->path());
        const std::string mode = std::to_string(static_cast<unsigned>(status.permissions()) & 07777);
        if (fs::is_symlink(status)) {
            entries[rel] = "link " + fs::read_symlink(it->path()).string();
        } else if (fs::is_directory(status)) {
            entries[rel] = "folder " + mode;
        } else {
            entries[rel] = "file " + mode + " " + std::to_string(platform::StampOf(it->path())->modifiedNs) +
                           " " + ReadText(it->path());
        }
    }
    return entries;
}

// The names a folder lists, as they are spelt.
std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Deletes a file, read-only or not.
void Delete(const fs::path& file) {
    platform::TrySetReadOnly(file, false);
    fs::remove(file);
}

// Makes a file one that cannot be deleted or renamed, until Release or the end of the object:
// held open by another program on Windows, immutable on Linux (where not even root may change
// it; Made() is false where chattr cannot do that).
class Stuck {
  public:
    explicit Stuck(const fs::path& file) : m_file(file) {
#ifdef _WIN32
        m_held.emplace(file);
        m_made = m_held->is_open();
#else
        m_made = std::system(("chattr +i '" + file.string() + "' 2>/dev/null").c_str()) == 0;
#endif
    }
    ~Stuck() {
        Release();
    }
    Stuck(const Stuck&) = delete;
    Stuck& operator=(const Stuck&) = delete;
    bool Made() const {
        return m_made;
    }
    bool Release() {
        if (!m_made) {
            return true;
        }
        m_made = false;
#ifdef _WIN32
        m_held.reset();
        return true;
#else
        return std::system(("chattr -i '" + m_file.string() + "'").c_str()) == 0;
#endif
    }

  private:
    fs::path m_file;
    bool m_made = false;
    std::optional<std::ifstream> m_held;
};

bool EmptyFolder(const fs::path& folder) {
    return fs::is_directory(folder) && fs::is_empty(folder);
}

// A small installation, a program folder with two file sets, and a folder outside both.
//
// game/  sh3.exe, data/Cfg/Basic.cfg, data/Cfg/Flotilla.cfg (read-only), data/Menu/en_menu.txt
//        (read-only), data/Sub/x.dat, data/Sub/link.dat -> x.dat (not on Windows), data/Sound/Track1.ogg,
//        data/Movies/Intro/{Logo,Intro}.wmv, data/Empty/ (empty)
// set 1  data/cfg/basic.cfg (other case), data/Cfg/Flotilla.cfg, data/New/Deep/new1.txt,
//        data/Empty/e.txt
// set 2  data/Cfg/Basic.cfg, data/New/Deep/new1.txt, data/Sub/x.dat (read-only),
//        data/Sub/y.dat (read-only, new), data/Sub/link.dat
struct MiniWorld {
    fs::path game;
    fs::path prog;
    fs::path outside;
    fs::path set1;
    fs::path set2;
    Paths paths;

    MiniWorld(const fs::path& gameParent, const fs::path& progParent)
        : game(gameParent / "game"), prog(progParent / "prog"), outside(progParent / "outside") {
        paths = PathsFor(game, prog);
        WriteText(game / "sh3.exe", "exe");
        WriteText(game / "data/Cfg/Basic.cfg", "[TIME]\r\nNbDaysInBase=28\r\n");
        WriteText(game / "data/Cfg/Flotilla.cfg", "flotilla");
        MakeReadOnly(game / "data/Cfg/Flotilla.cfg");
        WriteText(game / "data/Menu/en_menu.txt", "[Menu]\r\n1=Hello\r\n");
        MakeReadOnly(game / "data/Menu/en_menu.txt");
        WriteText(game / "data/Sub/x.dat", "x from the game");
        if (kLinks) {
            fs::create_symlink("x.dat", game / "data/Sub/link.dat");
        }
        WriteText(game / "data/Sound/Track1.ogg", "track one");
        WriteText(game / "data/Movies/Intro/Logo.wmv", "logo");
        WriteText(game / "data/Movies/Intro/Intro.wmv", "intro");
        fs::create_directories(game / "data/Empty");

        set1 = prog / "Flotilla" / "7";
        WriteText(set1 / "data/cfg/basic.cfg", "set 1 basic");
        WriteText(set1 / "data/Cfg/Flotilla.cfg", "set 1 flotilla");
        WriteText(set1 / "data/New/Deep/new1.txt", "set 1 new");
        WriteText(set1 / "data/Empty/e.txt", "set 1 e");
        set2 = prog / "U-boat" / "VIIC";
        WriteText(set2 / "data/Cfg/Basic.cfg", "[TIME]\r\nNbDaysInBase=5\r\n");
        WriteText(set2 / "data/New/Deep/new1.txt", "[A]\r\nb=1\r\n");
        WriteText(set2 / "data/Sub/x.dat", "x from set 2");
        MakeReadOnly(set2 / "data/Sub/x.dat");
        WriteText(set2 / "data/Sub/y.dat", "y from set 2");
        MakeReadOnly(set2 / "data/Sub/y.dat");
        WriteText(set2 / "data/Sub/link.dat", "link from set 2");
        fs::create_directories(paths.BackupFolder);
        WriteText(outside / "keep.txt", "outside");
    }
};

// What a launch does to the game folder, in its order: file sets, edits of backed-up files
// (one of them a file a set added, one read-only, one missing that the edit creates), a
// gramophone rename, the intro movies.
void LaunchLike(const Paths& paths, Prompter& prompter) {
    InstallFileSet(paths, paths.ProgFolder / "Flotilla" / "7", prompter);
    InstallFileSet(paths, paths.ProgFolder / "U-boat" / "VIIC" / "", prompter);
    BackUpGameFile(paths, "data\\Cfg\\Basic.cfg");
    ProfileFile(paths.Game("data\\Cfg\\Basic.cfg")).WriteString("TIME", "NbDaysInBase", "17");
    // The files of one step, backed up together before its first edit.
    const std::string step[] = {"data\\New\\Deep\\new1.txt", "data\\Menu\\en_menu.txt",
                                "data\\Missing.cfg"};  // created by the edit: listed as added
    BackUpGameFiles(paths, step);
    ProfileFile(paths.Game("data\\New\\Deep\\new1.txt")).WriteString("A", "b", "2");
    ProfileFile(paths.Game("data\\Menu\\en_menu.txt")).WriteString("Menu", "1", "Hallo");
    ProfileFile(paths.Game("data\\Missing.cfg")).WriteString("A", "b", "1");
    const fs::path track = paths.Game("data\\Sound\\Track1.ogg");
    const fs::path shuffled = paths.Game("data\\Sound\\Track9.ogg");
    RecordGramophoneRename(paths, shuffled, track);
    platform::RenamePath(track, shuffled);
    for (const char* movie : {"data\\Movies\\Intro\\Logo.wmv", "data\\Movies\\Intro\\Intro.wmv"}) {
        platform::RenamePath(paths.Game(movie), paths.Game(std::string(movie) + ".Seewolf"));
    }
}

class Backup : public ::testing::Test {
  protected:
    TempFolder temp;
    MiniWorld world{temp.Path(), temp.Path()};
    const Paths& paths = world.paths;
    ScriptedPrompter prompter;
    const std::map<std::string, std::string> before = Snapshot(world.game);

    fs::path Log() const { return world.prog / "Seewolf.log"; }

    // Rolls back and checks that the game folder is as before and the backup folder empty.
    void ExpectRolledBack() {
        const RollbackResult result = RollBackGameFiles(paths, prompter);
        EXPECT_EQ(result.notRestored, 0);
        EXPECT_EQ(result.notDeleted, 0);
        EXPECT_EQ(Snapshot(world.game), before);
        EXPECT_TRUE(EmptyFolder(paths.BackupFolder));
        EXPECT_FALSE(fs::exists(Log()));
        EXPECT_FALSE(fs::exists(world.prog / "Gramophone.log"));
        EXPECT_FALSE(fs::exists(GameFolderRecord(paths)));
        EXPECT_FALSE(BackupHoldsFiles(paths));
        ASSERT_GE(prompter.statuses.size(), 2u);
        EXPECT_EQ(prompter.statuses[prompter.statuses.size() - 2], kRollingBack);
        EXPECT_EQ(prompter.statuses.back(), ScriptedPrompter::kHidden);
        EXPECT_EQ(prompter.busyDepth, 0);
    }
};

TEST(WalkFolders, DepthFirstSortedWithoutCaseEachAfterItsParent) {
    TempFolder temp;
    const fs::path root = temp.Path() / "set";
    for (const char* folder : {"Zulu", "alpha", "Beta/child/deeper", "Beta/Apple", "beta2"}) {
        fs::create_directories(root / folder);
    }
    WriteText(root / "Beta" / "file.txt", "not a folder");
    if (kLinks) {
        fs::create_directory_symlink(root, root / "alpha" / "loop");  // leads back up: listed once only
    }
    const auto folders = WalkFolders(root);
    std::vector<std::string> names;
    for (const fs::path& folder : folders) {
        names.push_back(folder.generic_string().substr(root.generic_string().size()));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"/", "/alpha/", "/Beta/", "/Beta/Apple/", "/Beta/child/",
                                               "/Beta/child/deeper/", "/beta2/", "/Zulu/"}));
    EXPECT_TRUE(WalkFolders(temp.Path() / "missing").empty());
}

TEST(ParallelSteps, EachStepRunsOnceAndAFailureStopsTheRestAndComesBack) {
    std::vector<std::atomic<int>> runs(2000);
    std::set<std::thread::id> threads;
    std::mutex threadsMutex;
    std::size_t lastDone = 0;
    const std::thread::id caller = std::this_thread::get_id();
    RunSteps(
        runs.size(), 4,
        [&](std::size_t i) {
            runs[i].fetch_add(1);
            const std::lock_guard<std::mutex> lock(threadsMutex);
            threads.insert(std::this_thread::get_id());
        },
        [&](std::size_t done) {
            EXPECT_EQ(std::this_thread::get_id(), caller);  // where a window may be repainted
            EXPECT_GE(done, lastDone);
            EXPECT_LE(done, runs.size());
            lastDone = done;
        });
    EXPECT_TRUE(std::all_of(runs.begin(), runs.end(), [](const std::atomic<int>& n) { return n == 1; }));
    EXPECT_EQ(lastDone, runs.size());
    EXPECT_LE(threads.size(), std::size_t{4});

    std::atomic<int> started{0};
    EXPECT_THROW(RunSteps(
                     runs.size(), 16,
                     [&](std::size_t i) {
                         started.fetch_add(1);
                         if (i == 5) {
                             throw Error("step 5");
                         }
                         std::this_thread::sleep_for(std::chrono::microseconds(200));
                     },
                     [](std::size_t) {}),
                 Error);
    EXPECT_LT(started.load(), 100);  // the steps running end; no new one starts
}

TEST_F(Backup, TwoSetsHoldingBasicCfgKeepTheGamesOwnUnderItsSpelling) {
    const std::string own = ReadText(world.game / "data/Cfg/Basic.cfg");
    InstallFileSet(paths, world.set1, prompter);
    InstallFileSet(paths, world.set2, prompter);
    EXPECT_EQ(prompter.busyDepth, 0);
    // One file under the game's spelling, none beside it; the backup mirrors that spelling (where
    // the system tells case apart: Windows keeps the spelling a folder was made with, and finds
    // it under any).
    EXPECT_EQ(ReadText(world.game / "data/Cfg/Basic.cfg"), ReadText(world.set2 / "data/Cfg/Basic.cfg"));
    EXPECT_EQ(Names(world.game / "data/Cfg"), (std::set<std::string>{"Basic.cfg", "Flotilla.cfg"}));
    EXPECT_EQ(Names(world.game / "data").count("cfg"), 0u);
    EXPECT_EQ(ReadText(paths.BackupFolder / "data/Cfg/Basic.cfg"), own);
    EXPECT_EQ(Names(paths.BackupFolder / "data/Cfg"), (std::set<std::string>{"Basic.cfg", "Flotilla.cfg"}));
#ifndef _WIN32
    EXPECT_EQ(Names(paths.BackupFolder / "data").count("cfg"), 0u);
#endif
    EXPECT_TRUE(BackupHoldsFiles(paths));

    // A second BackUpGameFile, under another spelling, keeps the first copy.
    BackUpGameFile(paths, "DATA\\CFG\\BASIC.CFG");
    EXPECT_EQ(ReadText(paths.BackupFolder / "data/Cfg/Basic.cfg"), own);
    ExpectRolledBack();
}

TEST_F(Backup, FilesASetAddsAreLoggedAndDeletedEvenWhenEditedLater) {
    InstallFileSet(paths, world.set1, prompter);
    const auto line = [&](const char* file) { return Native(world.game / file) + "\r\n"; };
    // Files and the folders made for them, parents first, in the order of the folder walk.
    EXPECT_EQ(ReadText(Log()), line("data/Empty/e.txt") + line("data/New/") + line("data/New/Deep/") +
                                   line("data/New/Deep/new1.txt"));
    InstallFileSet(paths, world.set2, prompter);
    EXPECT_NE(ReadText(Log()).find(line("data/Sub/y.dat")), std::string::npos);
    EXPECT_EQ(ReadText(Log()).find("new1.txt"), ReadText(Log()).rfind("new1.txt")) << "listed once";

    BackUpGameFile(paths, "data\\New\\Deep\\new1.txt");
    ProfileFile(paths.Game("data\\New\\Deep\\new1.txt")).WriteString("A", "b", "2");
    BackUpGameFile(paths, "data\\Empty\\e.txt");
    WriteText(world.game / "data/Empty/e.txt", "edited");
    ExpectRolledBack();
    EXPECT_FALSE(fs::exists(world.game / "data/New"));
    EXPECT_TRUE(EmptyFolder(world.game / "data/Empty"));
}

TEST_F(Backup, BackUpGameFileKeepsTheFirstCopyAndSkipsMissingFiles) {
    BackUpGameFile(paths, "data\\Cfg\\Basic.cfg");
    WriteText(world.game / "data/Cfg/Basic.cfg", "first edit");
    BackUpGameFile(paths, "data\\Cfg\\Basic.cfg");
    WriteText(world.game / "data/Cfg/Basic.cfg", "second edit");
    EXPECT_EQ(ReadText(paths.BackupFolder / "data/Cfg/Basic.cfg"), "[TIME]\r\nNbDaysInBase=28\r\n");
    BackUpGameFile(paths, "data\\Missing.cfg");
    WriteText(world.prog / "Seewolf.ini", "[SETTINGS]\r\n");
    EXPECT_THROW(BackUpGameFile(paths, "..\\prog\\Seewolf.ini"), Error);  // not a game file
    EXPECT_FALSE(fs::exists(paths.BackupFolder / "data/Missing.cfg"));
    EXPECT_FALSE(fs::exists(world.prog / "prog"));
    // A step's files at once: the copy kept above stays; a read-only file named twice, in two
    // spellings, is copied once and made writable; a missing one named twice is listed once.
    const std::string step[] = {"data\\Cfg\\Basic.cfg", "data\\Menu\\en_menu.txt", "DATA\\MENU\\EN_MENU.TXT",
                                "data\\Other.cfg", "data\\Other.cfg"};
    BackUpGameFiles(paths, step);
    EXPECT_EQ(ReadText(paths.BackupFolder / "data/Cfg/Basic.cfg"), "[TIME]\r\nNbDaysInBase=28\r\n");
    EXPECT_TRUE(platform::IsReadOnly(paths.BackupFolder / "data/Menu/en_menu.txt"));
    EXPECT_FALSE(platform::IsReadOnly(world.game / "data/Menu/en_menu.txt"));
    const std::string log = ReadText(Log());
    EXPECT_EQ(log.find("Other.cfg"), log.rfind("Other.cfg"));
    EXPECT_NE(log.find("Other.cfg"), std::string::npos);
    ExpectRolledBack();
}

TEST_F(Backup, ReadOnlyFilesAreReplacedEditedAndGivenBackAsTheyWere) {
    InstallFileSet(paths, world.set1, prompter);  // replaces the read-only Flotilla.cfg
    InstallFileSet(paths, world.set2, prompter);  // read-only set files
    EXPECT_EQ(ReadText(world.game / "data/Cfg/Flotilla.cfg"), "set 1 flotilla");
    EXPECT_EQ(ReadText(world.game / "data/Sub/y.dat"), "y from set 2");
    EXPECT_TRUE(platform::IsReadOnly(world.game / "data/Sub/y.dat"));  // a set's file as it is
    BackUpGameFile(paths, "data\\Menu\\en_menu.txt");
    EXPECT_FALSE(platform::IsReadOnly(world.game / "data/Menu/en_menu.txt"));
    ProfileFile(paths.Game("data\\Menu\\en_menu.txt")).WriteString("Menu", "1", "Hallo");
    // A second set over a read-only copy of the first.
    fs::path again = temp.Path() / "again";
    WriteText(again / "data/Sub/x.dat", "x again");
    InstallFileSet(paths, again, prompter);
    EXPECT_EQ(ReadText(world.game / "data/Sub/x.dat"), "x again");
    ExpectRolledBack();  // bytes, permissions and times
    EXPECT_TRUE(platform::IsReadOnly(world.game / "data/Menu/en_menu.txt"));
}

TEST_F(Backup, EmptyRollBackOnlyUndoesTheIntroMovies) {
    fs::rename(world.game / "data/Movies/Intro/Logo.wmv", world.game / "data/Movies/Intro/Logo.wmv.Seewolf");
    // A renamed movie whose original name is taken again is left alone.
    WriteText(world.game / "data/Movies/Intro/Intro.wmv.Seewolf", "second intro");
    const auto expected = [&] {
        auto e = Snapshot(world.game);
        e["data/Movies/Intro/Logo.wmv"] = e["data/Movies/Intro/Logo.wmv.Seewolf"];
        e.erase("data/Movies/Intro/Logo.wmv.Seewolf");
        return e;
    }();
    const RollbackResult result = RollBackGameFiles(paths, prompter);
    EXPECT_EQ(result.notRestored, 0);
    EXPECT_EQ(Snapshot(world.game), expected);
    EXPECT_EQ(prompter.statuses,
              (std::vector<std::string>{std::string(kRollingBack), ScriptedPrompter::kHidden}));
    EXPECT_TRUE(EmptyFolder(paths.BackupFolder));
    EXPECT_FALSE(BackupHoldsFiles(paths));
}

TEST_F(Backup, GramophoneLogIsUndoneLineByLine) {
    const fs::path sound = world.game / "data/Sound";
    WriteText(sound / "Track2.ogg", "track two");
    const auto expected = Snapshot(world.game);
    RecordGramophoneRename(paths, sound / "Shuffled1.ogg", sound / "Track1.ogg");
    fs::rename(sound / "Track1.ogg", sound / "Shuffled1.ogg");
    // A chain: the second rename takes the name the first one freed. Undone last first.
    RecordGramophoneRename(paths, sound / "Track1.ogg", sound / "Track2.ogg");
    fs::rename(sound / "Track2.ogg", sound / "Track1.ogg");
    EXPECT_EQ(ReadText(world.prog / "Gramophone.log"),
              (sound / "Shuffled1.ogg").string() + "|" + (sound / "Track1.ogg").string() + "\r\n" +
                  (sound / "Track1.ogg").string() + "|" + (sound / "Track2.ogg").string() + "\r\n");
    EXPECT_TRUE(BackupHoldsFiles(paths));
    // A line without "|", and a last line cut before its line end, rename nothing.
    WriteText(sound / "Other.ogg", "other");
    std::string log = ReadText(world.prog / "Gramophone.log");
    log += (sound / "Other.ogg").string() + "\r\n" + (sound / "Other.ogg").string() + "|" +
           (sound / "Oth").string();
    WriteText(world.prog / "Gramophone.log", log);
    auto withOther = expected;
    withOther["data/Sound/Other.ogg"] = Snapshot(world.game)["data/Sound/Other.ogg"];
    RollBackGameFiles(paths, prompter);
    EXPECT_EQ(Snapshot(world.game), withOther);
    EXPECT_FALSE(fs::exists(world.prog / "Gramophone.log"));

    // A track that cannot get its name back keeps its line, and so does the one waiting for the
    // name it holds; it is said, and the next roll-back undoes both.
    RecordGramophoneRename(paths, sound / "Shuffled1.ogg", sound / "Track1.ogg");
    fs::rename(sound / "Track1.ogg", sound / "Shuffled1.ogg");
    RecordGramophoneRename(paths, sound / "Track1.ogg", sound / "Track2.ogg");
    fs::rename(sound / "Track2.ogg", sound / "Track1.ogg");
    log = ReadText(world.prog / "Gramophone.log");
    Stuck stuck(sound / "Track1.ogg");
    if (!stuck.Made()) {
        GTEST_SKIP() << "chattr cannot make files immutable here";
    }
    RollbackResult result = RollBackGameFiles(paths, prompter);
    EXPECT_EQ(result.notRenamed, 1);
    EXPECT_EQ(prompter.statuses.back(),
              "1 gramophone track could not get its name back (open in another "
              "program?); the next roll-back tries again.");
    EXPECT_EQ(ReadText(world.prog / "Gramophone.log"), log);
    EXPECT_TRUE(fs::exists(GameFolderRecord(paths)));
    ASSERT_TRUE(stuck.Release());
    EXPECT_TRUE(RollBackGameFiles(paths, prompter).Complete());
    EXPECT_EQ(Snapshot(world.game), withOther);
    EXPECT_FALSE(BackupHoldsFiles(paths));
}

TEST_F(Backup, ACopyThatCannotGoBackStaysWithItsFoldersAndIsCounted) {
    LaunchLike(paths, prompter);
    // Something the copy cannot replace now stands where Basic.cfg was (root may write anywhere,
    // but no one can rename a file over a folder that holds something).
    Delete(world.game / "data/Cfg/Basic.cfg");
    WriteText(world.game / "data/Cfg/Basic.cfg/inside.txt", "in the way");

    RollbackResult result = RollBackGameFiles(paths, prompter);
    EXPECT_EQ(result.notRestored, 1);
    EXPECT_EQ(prompter.statuses.back(),
              "1 file could not be restored; its pre-launch copy is kept in the backup folder.");
    EXPECT_EQ(ReadText(paths.BackupFolder / "data/Cfg/Basic.cfg"), "[TIME]\r\nNbDaysInBase=28\r\n");
    // Nothing else is left in the backup folder; everything else is back.
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(paths.BackupFolder)) {
        left.push_back(UpperCase(entry.path().lexically_relative(paths.BackupFolder).generic_string()));
    }
    EXPECT_EQ(left, (std::vector<std::string>{"DATA", "DATA/CFG", "DATA/CFG/BASIC.CFG"}));
    EXPECT_TRUE(BackupHoldsFiles(paths));
    auto expected = before;
    expected["data/Cfg/Basic.cfg"] = Snapshot(world.game)["data/Cfg/Basic.cfg"];
    expected["data/Cfg/Basic.cfg/inside.txt"] = Snapshot(world.game)["data/Cfg/Basic.cfg/inside.txt"];
    EXPECT_EQ(Snapshot(world.game), expected);

    // Once the way is clear, the next roll-back finishes.
    fs::remove_all(world.game / "data/Cfg/Basic.cfg");
    prompter.statuses.clear();
    ExpectRolledBack();
}

TEST_F(Backup, TheStatusCountsSeveralFilesThatStay) {
    LaunchLike(paths, prompter);
    for (const char* file : {"data/Cfg/Basic.cfg", "data/Sub/x.dat", "data/Menu/en_menu.txt"}) {
        Delete(world.game / file);
        WriteText(world.game / file / "inside.txt", "in the way");
    }
    Stuck stuck(world.game / "data/Cfg/Flotilla.cfg");  // on Windows: open in another program
    const int stay = stuck.Made() ? 4 : 3;
    EXPECT_EQ(RollBackGameFiles(paths, prompter).notRestored, stay);
    EXPECT_EQ(prompter.statuses.back(), std::to_string(stay) +
                                            " files could not be restored; their pre-launch "
                                            "copies are kept in the backup folder.");
}

TEST_F(Backup, AKeptCopyIsNeverTakenForAnAddedFileNorTheOtherWayRound) {
    // A pre-launch copy kept by a failed restore, and a launch after it: the next set finds no
    // game file but a copy, and must not list the place as added, or the roll-back would delete
    // the restored file.
    InstallFileSet(paths, world.set2, prompter);
    Delete(world.game / "data/Sub/x.dat");
    WriteText(world.game / "data/Sub/x.dat/inside.txt", "in the way");
    EXPECT_EQ(RollBackGameFiles(paths, prompter).notRestored, 1);
    fs::remove_all(world.game / "data/Sub/x.dat");
    InstallFileSet(paths, world.set2, prompter);
    EXPECT_EQ(ReadText(Log()).find("x.dat"), std::string::npos);
    ExpectRolledBack();

    // The copy of an added file, which cannot go back: it is dropped, and does not come back as
    // a pre-launch file once the way is clear.
    InstallFileSet(paths, world.set1, prompter);
    BackUpGameFile(paths, "data\\Empty\\e.txt");
    Delete(world.game / "data/Empty/e.txt");
    WriteText(world.game / "data/Empty/e.txt/inside.txt", "in the way");
    EXPECT_EQ(RollBackGameFiles(paths, prompter).notRestored, 0);
    fs::remove_all(world.game / "data/Empty/e.txt");
    ExpectRolledBack();
}

TEST_F(Backup, AnAddedFileThatCannotBeDeletedStaysListedForTheNextRollBack) {
    InstallFileSet(paths, world.set1, prompter);
    Stuck stuck(world.game / "data/New/Deep/new1.txt");
    if (!stuck.Made()) {
        GTEST_SKIP() << "chattr cannot make files immutable here";
    }
    const RollbackResult result = RollBackGameFiles(paths, prompter);
    EXPECT_EQ(result.notRestored, 0);
    EXPECT_EQ(result.notDeleted, 1);
    EXPECT_EQ(prompter.statuses.back(), "1 file added by the launch could not be deleted.");
    const auto line = [&](const char* file) { return Native(world.game / file) + "\r\n"; };
    EXPECT_EQ(ReadText(Log()), line("data/New/Deep/new1.txt") + line("data/New/") + line("data/New/Deep/"));
    EXPECT_TRUE(BackupHoldsFiles(paths));
    EXPECT_FALSE(fs::exists(world.game / "data/Empty/e.txt"));
    EXPECT_EQ(ReadText(world.game / "data/Cfg/Basic.cfg"), "[TIME]\r\nNbDaysInBase=28\r\n");

    ASSERT_TRUE(stuck.Release());
    prompter.statuses.clear();
    ExpectRolledBack();
}

TEST_F(Backup, NothingOutsideTheGameFolderIsTouched) {
    WriteText(world.outside / "ext.cfg", "outside cfg");
    if (kLinks) {
        // A link inside the game folder to a folder outside it, and one to a file outside it.
        fs::create_directory_symlink(world.outside, world.game / "data/Out");
        fs::create_symlink(world.outside / "ext.cfg", world.game / "data/Cfg/Ext.cfg");
    }
    const auto gameBefore = Snapshot(world.game);
    const auto outsideBefore = Snapshot(world.outside);

    if (kLinks) {
        const fs::path set = temp.Path() / "evil";
        WriteText(set / "data/Out/keep.txt", "replaced?");
        WriteText(set / "data/Out/new.txt", "added?");
        WriteText(set / "data/Cfg/Ext.cfg", "through the link?");
        InstallFileSet(paths, set, prompter);
        EXPECT_EQ(Snapshot(world.outside), outsideBefore);
        EXPECT_EQ(Snapshot(world.game), gameBefore);
        // An edit would go through the link: the backup refuses, so the edit never starts.
        for (const char* file : {"data\\Cfg\\Ext.cfg", "data\\Out\\keep.txt", "data\\Out\\new.cfg"}) {
            EXPECT_THROW(BackUpGameFile(paths, file), Error) << file;
        }
        EXPECT_FALSE(fs::exists(Log()));
    }

    // Full paths elsewhere, by "..", relative ones, the game folder itself, and (where the system
    // ignores case) an outside file in other letters.
    const std::string g = world.game.string();
    const std::string outside = Native(world.outside / "keep.txt");
    std::string lines = outside + "\r\n" + g + "/../outside/keep.txt\r\n" + g + "/data/Out/keep.txt\r\n" + g +
                        "/data/Out/\r\n" + g + "/data/Cfg/Ext.cfg\r\n" + "outside/keep.txt\r\n" + g +
                        "/\r\n" + UpperCase(outside) + "\r\n";
#ifdef _WIN32
    // Without the drive ("\x\keep.txt"), or with the drive and no root ("C:keep.txt"): relative
    // to some current folder, so not ours.
    lines += outside.substr(2) + "\r\n" + outside.substr(0, 2) + "keep.txt\r\n";
#endif
    WriteText(Log(), lines);
    WriteText(world.prog / "Gramophone.log", (world.outside / "keep.txt").string() + "|" + g +
                                                 "/data/taken.txt\r\n" + g + "/data/Cfg/Basic.cfg|" +
                                                 (world.outside / "moved.cfg").string() + "\r\n");
    RollBackGameFiles(paths, prompter);
    EXPECT_EQ(Snapshot(world.outside), outsideBefore);
    EXPECT_EQ(Snapshot(world.game), gameBefore);
}

TEST(BackupInsideTheGameFolder, NoFileSetReachesItUnderAnotherSpelling) {
    // The program folder inside the game folder, and a set folder that names the backup folder in
    // other letters (which Windows takes for the same folder): the pre-launch copy kept there
    // must not be replaced, or the roll-back would give the game the set's file.
    TempFolder temp;
    MiniWorld world(temp.Path(), temp.Path() / "game");
    ScriptedPrompter prompter;
    const std::string own = ReadText(world.game / "data/Cfg/Basic.cfg");
    BackUpGameFile(world.paths, "data\\Cfg\\Basic.cfg");
    ProfileFile(world.paths.Game("data\\Cfg\\Basic.cfg")).WriteString("TIME", "NbDaysInBase", "17");
    const fs::path set = temp.Path() / "into backup";
    WriteText(set / "PROG/!backup/data/Cfg/Basic.cfg", "the set's");
    InstallFileSet(world.paths, set, prompter);
    EXPECT_EQ(ReadText(world.paths.BackupFolder / "data/Cfg/Basic.cfg"), own);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages[0].text.find(Native(set / "PROG/!backup/data/Cfg/Basic.cfg")),
              std::string::npos)
        << prompter.messages[0].text;
    EXPECT_EQ(RollBackGameFiles(world.paths, prompter).notRestored, 0);
    EXPECT_EQ(ReadText(world.game / "data/Cfg/Basic.cfg"), own);
    EXPECT_TRUE(EmptyFolder(world.paths.BackupFolder));
}

TEST_F(Backup, SetFilesFolderClashesAndTheGamesOwnLinksAreHandled) {
    // A set file where the game has a folder, and a set folder where the game has a file; a set
    // that does not exist.
    const fs::path set = temp.Path() / "clash";
    WriteText(set / "data/Sub", "a file named like a folder");
    WriteText(set / "sh3.exe/inside.txt", "a folder named like a file");
    InstallFileSet(paths, set, prompter);
    InstallFileSet(paths, temp.Path() / "no such set", prompter);
    EXPECT_EQ(Snapshot(world.game), before);
    EXPECT_FALSE(fs::exists(Log()));
    // Both files are named in one warning.
    ASSERT_EQ(prompter.messages.size(), 1u);
    for (const char* file : {"data/Sub", "sh3.exe/inside.txt"}) {
        EXPECT_NE(prompter.messages[0].text.find(Native(set / file) + "\n"), std::string::npos)
            << prompter.messages[0].text;
    }
    // The game's link inside its own folder is moved aside as a link and comes back as one.
    InstallFileSet(paths, world.set2, prompter);
    EXPECT_EQ(ReadText(world.game / "data/Sub/link.dat"), "link from set 2");
    EXPECT_FALSE(fs::is_symlink(world.game / "data/Sub/link.dat"));
    EXPECT_EQ(fs::is_symlink(paths.BackupFolder / "data/Sub/link.dat"), kLinks);
#ifndef _WIN32
    // Two read-only set files that reach one new game file through folders in two spellings:
    // the later folder (in the walk's order) wins. (Windows cannot hold both spellings.)
    const fs::path spellings = temp.Path() / "spellings";
    WriteText(spellings / "data/Sub/new.txt", "later");
    WriteText(spellings / "DATA/SUB/new.txt", "earlier");
    platform::SetReadOnly(spellings / "data/Sub/new.txt", true);
    platform::SetReadOnly(spellings / "DATA/SUB/new.txt", true);
    InstallFileSet(paths, spellings, prompter);
    EXPECT_EQ(ReadText(world.game / "data/Sub/new.txt"), "later");
#endif
    ExpectRolledBack();
}

TEST_F(Backup, LeftoversOfACutWriteAreRemoved) {
    LaunchLike(paths, prompter);
    WriteText(world.game / "data/Cfg/.Basic.cfg.seewolf-4242-7.tmp", "half");
    WriteText(world.game / "data/New/Deep/.new1.txt.seewolf-4242-8.tmp", "half");
    platform::SetReadOnly(world.game / "data/New/Deep/.new1.txt.seewolf-4242-8.tmp", true);  // a copy's
    WriteText(paths.BackupFolder / "data/Cfg/.Basic.cfg.seewolf-4242-9.tmp", "half");
    WriteText(world.game / "data/Cfg/.Basic.cfg.tmp", "not ours");
    auto expected = before;
    expected["data/Cfg/.Basic.cfg.tmp"] = Snapshot(world.game)["data/Cfg/.Basic.cfg.tmp"];
    RollBackGameFiles(paths, prompter);
    EXPECT_EQ(Snapshot(world.game), expected);
    EXPECT_TRUE(EmptyFolder(paths.BackupFolder));
}

TEST_F(Backup, AFullLaunchRollsBackExactlyAndASecondRollBackIsHarmless) {
    LaunchLike(paths, prompter);
    EXPECT_NE(Snapshot(world.game), before);
    EXPECT_FALSE(RollBackGameFiles(paths, prompter).nothingToRollBack);
    EXPECT_EQ(Snapshot(world.game), before);
    ExpectRolledBack();
    EXPECT_TRUE(RollBackGameFiles(paths, prompter).nothingToRollBack);

    // A folder the player removed while the game ran is made again for the files that go back.
    LaunchLike(paths, prompter);
    platform::RemoveTree(world.game / "data/Sub");  // read-only files too
    EXPECT_EQ(RollBackGameFiles(paths, prompter).notRestored, 0);
    EXPECT_EQ(Snapshot(world.game), before);
}

TEST_F(Backup, ARollBackActsOnTheGameFolderTheLaunchChangedOrRefuses) {
    // A second installation beside the first, and Seewolf started with it.
    const fs::path other = temp.Path() / "other";
    fs::copy(world.game, other, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    Paths otherPaths = paths;
    otherPaths.GameFolder = platform::WithTrailingSeparator(other);
    const auto otherBefore = Snapshot(other);

    LaunchLike(paths, prompter);
    const auto launched = Snapshot(world.game);
    EXPECT_THROW(InstallFileSet(otherPaths, world.set1, prompter), Error);  // not before A is rolled back
    EXPECT_THROW(BackUpGameFile(otherPaths, "data\\Cfg\\Basic.cfg"), Error);

    // The recorded folder cannot be reached: nothing changes anywhere, and the message names it.
    fs::rename(world.game, temp.Path() / "away");
    try {
        RollBackGameFiles(otherPaths, prompter);
        ADD_FAILURE() << "rolled back without the recorded folder";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find(world.game.string()), std::string::npos) << e.what();
    }
    fs::rename(temp.Path() / "away", world.game);
    EXPECT_EQ(Snapshot(world.game), launched);
    EXPECT_EQ(Snapshot(other), otherBefore);
    EXPECT_TRUE(BackupHoldsFiles(paths));

    // Reachable again: the roll-back started for the other folder puts back the launched one.
    const RollbackResult result = RollBackGameFiles(otherPaths, prompter);
    EXPECT_EQ(result.gameFolder, paths.GameFolder);
    EXPECT_NE(prompter.statuses.back().find(world.game.string()), std::string::npos);
    EXPECT_EQ(Snapshot(world.game), before);
    EXPECT_EQ(Snapshot(other), otherBefore);
    EXPECT_FALSE(fs::exists(GameFolderRecord(paths)));

    // Backups without a record (left by an earlier version) belong to the folder Seewolf runs with.
    LaunchLike(paths, prompter);
    fs::remove(GameFolderRecord(paths));
    ExpectRolledBack();
}

TEST_F(Backup, AGameFileThatCannotBeBackedUpStopsTheSetNamingIt) {
    WriteText(paths.BackupFolder / "data", "in the way of the backup's folders");
    try {
        InstallFileSet(paths, world.set1, prompter);
        ADD_FAILURE() << "installed without a backup";
    } catch (const Error& e) {
        // (On Windows the folder keeps the set's spelling "cfg" in the message.)
        EXPECT_NE(UpperCase(e.what()).find(UpperCase("game file " + Native(world.game / "data/Cfg/"))),
                  std::string::npos)
            << e.what();
    }
    // Not replaced. (The other files of the set go in side by side, so some may be in already:
    // the roll-back takes them out.)
    EXPECT_EQ(Snapshot(world.game).at("data/Cfg/Basic.cfg"), before.at("data/Cfg/Basic.cfg"));
    fs::remove(paths.BackupFolder / "data");
    ExpectRolledBack();
}

TEST_F(Backup, LongLogsRollBackInLinearTime) {
    LaunchLike(paths, prompter);
    std::string lines;
    std::string renames;
    const std::string gone =
        Native(world.game / "data" / "Gone") + std::string(1, fs::path::preferred_separator);
    for (int i = 0; i < 200000; ++i) {
        const std::string name = gone + std::to_string(i) + ".txt";
        lines += name + "\r\n";
        renames += name + "|" + name + ".ogg\r\n";
    }
    platform::AppendToFile(Log(), lines, false);
    platform::AppendToFile(world.prog / "Gramophone.log", renames, false);
    // 400,000 lines naming missing files: linear work takes a few seconds, anything worse than
    // linear would run into the test's time limit.
    ExpectRolledBack();
}

TEST_F(Backup, AnUnreadableLogStopsTheRollBackAndKeepsEverything) {
    LaunchLike(paths, prompter);
    const auto launched = Snapshot(world.game);
    const auto backups = Snapshot(paths.BackupFolder);
    for (const char* name : {"Seewolf.log", "Gramophone.log"}) {
        fs::rename(world.prog / name, world.prog / "saved");
        fs::create_directory(world.prog / name);  // cannot be read as a file
        try {
            RollBackGameFiles(paths, prompter);
            ADD_FAILURE() << "rolled back without " << name;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
        }
        EXPECT_EQ(Snapshot(world.game), launched) << name;
        EXPECT_EQ(Snapshot(paths.BackupFolder), backups) << name;
        fs::remove(world.prog / name);
        fs::rename(world.prog / "saved", world.prog / name);
    }
    ExpectRolledBack();
}

// A writable folder on another file system than the temporary folder, so that nothing moves
// between them by a rename: the memory file system /dev/shm (under Wine, on drive Z:), when it
// is one of its own.
std::optional<fs::path> OtherFileSystem() {
    static const std::optional<fs::path> found = []() -> std::optional<fs::path> {
#ifdef _WIN32
        const fs::path shm = "Z:\\dev\\shm";
#else
        const fs::path shm = "/dev/shm";
#endif
        std::error_code ec;
        if (!fs::is_directory(shm, ec)) {
            return std::nullopt;
        }
        TempFolder here;
        const fs::path probe = here.Path() / "probe";
        const fs::path there = shm / ("seewolf-probe-" + std::to_string(::getpid()));
        WriteText(probe, "probe");
        if (platform::TryRenamePath(probe, there)) {
            fs::remove(there, ec);
            return std::nullopt;  // one file system
        }
        WriteText(there, "probe");
        const bool writable = ReadText(there) == "probe";
        fs::remove(there, ec);
        return writable ? std::optional<fs::path>(shm) : std::nullopt;
    }();
    return found;
}

TEST(BackupAcrossFileSystems, MovedAsideByCopyAndBack) {
    // The game folder on another file system (or drive) than the program folder.
    if (!OtherFileSystem()) {
        GTEST_SKIP() << "no second file system at /dev/shm";
    }
    TempFolder progParent;
    const fs::path gameParent = *OtherFileSystem() / progParent.Path().filename();
    struct Remove {
        fs::path path;
        ~Remove() { platform::RemoveTree(path); }  // read-only files too
    } remove{gameParent};
    MiniWorld world(gameParent, progParent.Path());
    const auto before = Snapshot(world.game);
    ScriptedPrompter prompter;
    LaunchLike(world.paths, prompter);
    EXPECT_EQ(ReadText(world.paths.BackupFolder / "data/Sub/x.dat"), "x from the game");
    EXPECT_EQ(ReadText(world.game / "data/Sub/x.dat"), "x from set 2");
    // A link cannot be copied to the other side as itself: it is left as it is, not replaced.
    EXPECT_EQ(fs::is_symlink(world.game / "data/Sub/link.dat"), kLinks);
    EXPECT_EQ(RollBackGameFiles(world.paths, prompter).notRestored, 0);
    EXPECT_EQ(Snapshot(world.game), before);
    EXPECT_TRUE(EmptyFolder(world.paths.BackupFolder));
}

// ---- Cut anywhere ----
//
// The crash tests run this test binary again as a child (a fresh process, so that the fault limit
// is read from its environment), which runs BackupChild.Run below with SEEWOLF_FAULT_AFTER=N: it
// performs a launch or a roll-back and is cut after its N-th changing file operation.

constexpr int kCutExit = platform::kFaultExitCode;

int RunChild(const std::string& mode, const fs::path& game, const fs::path& prog, int faultAfter) {
    return RunTestChild("BackupChild.Run", {{"SEEWOLF_BACKUP_CHILD", mode},
                                            {"SEEWOLF_BACKUP_GAME", platform::Utf8FromPath(game)},
                                            {"SEEWOLF_BACKUP_PROG", platform::Utf8FromPath(prog)},
                                            {"SEEWOLF_FAULT_AFTER", std::to_string(faultAfter)}});
}

TEST(BackupChild, Run) {
    const char* mode = std::getenv("SEEWOLF_BACKUP_CHILD");
    if (mode == nullptr) {
        GTEST_SKIP() << "run by the crash tests only";
    }
    const Paths paths = PathsFor(std::getenv("SEEWOLF_BACKUP_GAME"), std::getenv("SEEWOLF_BACKUP_PROG"));
    ScriptedPrompter prompter;
    if (std::string(mode) == "launch") {
        LaunchLike(paths, prompter);
    } else {
        RollBackGameFiles(paths, prompter);
    }
}

// A folder of its own below `base`, removed with everything in it afterwards.
class Scratch {
  public:
    explicit Scratch(const fs::path& base) {
        static int counter = 0;
        m_path =
            base / ("seewolf-backup-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(m_path);
    }
    ~Scratch() { platform::RemoveTree(m_path); }  // read-only files too
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const fs::path& Path() const { return m_path; }

  private:
    fs::path m_path;
};

class CutAnywhere : public ::testing::TestWithParam<bool> {
  protected:
    // A fresh world for one run: all on one file system, or the game on another one than the
    // program folder. The program folder, where the flushed writes go, is kept in memory when
    // possible, so that the many runs stay quick.
    struct Run {
        Scratch prog;
        Scratch game;
        std::unique_ptr<MiniWorld> world;
        std::map<std::string, std::string> before;
        explicit Run(bool acrossFileSystems)
            : prog(OtherFileSystem().value_or(fs::temp_directory_path())),
              game(acrossFileSystems ? fs::temp_directory_path() : prog.Path()) {
            world = std::make_unique<MiniWorld>(game.Path(), prog.Path());
            before = Snapshot(world->game);
        }
    };

    void SetUp() override {
        if (GetParam() && !OtherFileSystem()) {
            GTEST_SKIP() << "no second file system at /dev/shm";
        }
    }

    // After a roll-back (and another one), the game folder is as before and nothing is left.
    static void ExpectRestored(Run& run, const std::string& what) {
        for (int round = 0; round < 2; ++round) {
            ScriptedPrompter prompter;
            const RollbackResult result = RollBackGameFiles(run.world->paths, prompter);
            ASSERT_TRUE(result.Complete()) << what;
            ASSERT_EQ(Snapshot(run.world->game), run.before) << what << ", roll-back " << round;
            ASSERT_TRUE(EmptyFolder(run.world->paths.BackupFolder)) << what;
            ASSERT_FALSE(fs::exists(run.world->prog / "Seewolf.log")) << what;
            ASSERT_FALSE(fs::exists(run.world->prog / "Gramophone.log")) << what;
            ASSERT_FALSE(fs::exists(GameFolderRecord(run.world->paths))) << what;
        }
    }
};

TEST_P(CutAnywhere, ALaunchCutAtAnyOperationRollsBackExactly) {
    int cuts = 0;
    for (int n = 1;; ++n) {
        Run run(GetParam());
        const int exit = RunChild("launch", run.world->game, run.world->prog, n);
        ASSERT_TRUE(exit == kCutExit || exit == 0) << "launch cut after " << n << " ended with " << exit;
        ASSERT_NO_FATAL_FAILURE(ExpectRestored(run, "launch cut after " + std::to_string(n)));
        if (exit == 0) {
            break;
        }
        ++cuts;
    }
    EXPECT_GT(cuts, 20);  // the launch really was cut at many points
}

TEST_P(CutAnywhere, ARollBackCutAtAnyOperationCanBeRunAgain) {
    int cuts = 0;
    for (int n = 1;; ++n) {
        Run run(GetParam());
        ScriptedPrompter prompter;
        LaunchLike(run.world->paths, prompter);
        const int exit = RunChild("rollback", run.world->game, run.world->prog, n);
        ASSERT_TRUE(exit == kCutExit || exit == 0) << "roll-back cut after " << n << " ended with " << exit;
        ASSERT_NO_FATAL_FAILURE(ExpectRestored(run, "roll-back cut after " + std::to_string(n)));
        if (exit == 0) {
            break;
        }
        ++cuts;
    }
    EXPECT_GT(cuts, 15);
}

TEST_P(CutAnywhere, ARollBackOfACutLaunchCutAgainCanBeRunAgain) {
    // Every fifth launch cut, with its roll-back cut at every point.
    for (int n = 2;; n += 5) {
        bool launchDone = false;
        for (int m = 1;; ++m) {
            Run run(GetParam());
            const int launch = RunChild("launch", run.world->game, run.world->prog, n);
            ASSERT_TRUE(launch == kCutExit || launch == 0);
            launchDone = launch == 0;
            const int rollback = RunChild("rollback", run.world->game, run.world->prog, m);
            ASSERT_TRUE(rollback == kCutExit || rollback == 0);
            ASSERT_NO_FATAL_FAILURE(ExpectRestored(
                run, "launch cut after " + std::to_string(n) + ", roll-back after " + std::to_string(m)));
            if (rollback == 0) {
                break;
            }
        }
        if (launchDone) {
            break;
        }
    }
}

TEST_P(CutAnywhere, ATemporaryFileLeftByACutLaunchGoesWhereverItsRollBackIsCut) {
    // The launch was cut while writing over a backed-up file (or while another thread did), so a
    // temporary file lies beside it; a roll-back cut after it put that file back must not lose it.
    for (int m = 1;; ++m) {
        Run run(GetParam());
        BackUpGameFile(run.world->paths, "data/Cfg/Basic.cfg");
        WriteText(platform::TemporaryPathFor(run.world->game / "data/Cfg/Basic.cfg", 99, 1), "cut short");
        const int exit = RunChild("rollback", run.world->game, run.world->prog, m);
        ASSERT_TRUE(exit == kCutExit || exit == 0);
        ASSERT_NO_FATAL_FAILURE(ExpectRestored(run, "roll-back cut after " + std::to_string(m)));
        if (exit == 0) {
            break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Backup, CutAnywhere, ::testing::Values(false, true), [](const auto& param) {
    return param.param ? "GameOnOtherFileSystem" : "OneFileSystem";
});

}  // namespace
}  // namespace seewolf
