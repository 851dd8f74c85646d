#include "app/locate.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#endif

#include "app/paths.h"
#include "app/profile_file.h"
#include "app/settings.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using testing::EnvVar;
using testing::ReadText;
using testing::ScriptedPrompter;
using testing::TempFolder;
using testing::WriteText;

// A Wine prefix whose registry names the game folder; the folder exists in lower case on disk.
fs::path MakePrefix(const fs::path& root, const std::string& keyLine, const std::string& valueLine) {
    const fs::path prefix = root / "prefix";
    WriteText(prefix / "system.reg",
              "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n"
              "[Software\\\\Microsoft\\\\Other] 1700000000\n\"InstalledPath\"=\"C:\\\\wrong\\\\\"\n\n" +
                  keyLine + " 1700000001\n#time=1da0000000000\n\"Other\"=dword:00000001\n" + valueLine +
                  "\n");
#ifndef _WIN32
    fs::create_directories(prefix / "dosdevices");
    fs::create_symlink("../drive_c", prefix / "dosdevices" / "c:");
#endif
    WriteText(prefix / "drive_c" / "games" / "silent hunter iii" / "sh3.exe", "stand-in");
    return prefix;
}

#ifdef _WIN32
// This process's machine hive (HKEY_LOCAL_MACHINE) mapped onto a fresh key of the user's hive, so
// a test gives the game an InstalledPath without needing or changing the machine's own.
class MachineHiveOfOurOwn {
  public:
    MachineHiveOfOurOwn() {
        m_name = L"Software\\Seewolf Test Hive " + std::to_wstring(::GetCurrentProcessId()) + L" " +
                 std::to_wstring(::GetTickCount64());
        EXPECT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, m_name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &m_key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(::RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_key), ERROR_SUCCESS);
    }
    ~MachineHiveOfOurOwn() {
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        ::RegCloseKey(m_key);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, m_name.c_str());
    }
    MachineHiveOfOurOwn(const MachineHiveOfOurOwn&) = delete;
    MachineHiveOfOurOwn& operator=(const MachineHiveOfOurOwn&) = delete;

    // The game's key in the 32-bit view, where its installer writes.
    void SetInstalledPath(const fs::path& folder) const {
        HKEY game = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(m_key, L"Software\\Ubisoft\\Silent Hunter III", 0, nullptr, 0,
                                    KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &game, nullptr),
                  ERROR_SUCCESS);
        const std::wstring text = folder.native();
        EXPECT_EQ(
            ::RegSetValueExW(game, L"InstalledPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
        ::RegCloseKey(game);
    }

  private:
    std::wstring m_name;
    HKEY m_key = nullptr;
};
#endif

// The registry naming `game` as the game's folder "...\Games\Silent Hunter III\", which exists in
// lower case on disk: on Linux the system.reg of a Wine prefix in $WINEPREFIX, on Windows the
// machine hive.
class RegistryNamingTheGame {
  public:
    RegistryNamingTheGame() {
#ifdef _WIN32
        game = temp.Path() / "games" / "silent hunter iii" / "";
        WriteText(game / "sh3.exe", "stand-in");
        hive.SetInstalledPath(temp.Path() / "Games" / "Silent Hunter III" / "");
#else
        const fs::path prefix = MakePrefix(temp.Path(), "[Software\\\\Ubisoft\\\\Silent Hunter III]",
                                           "\"InstalledPath\"=\"C:\\\\Games\\\\Silent Hunter III\\\\\"");
        game = prefix / "drive_c" / "games" / "silent hunter iii" / "";
        wine.emplace("WINEPREFIX", prefix.string().c_str());
#endif
    }

    TempFolder temp;
    fs::path game;
#ifdef _WIN32
    MachineHiveOfOurOwn hive;
#else
    std::optional<EnvVar> wine;
#endif
};

#ifdef _WIN32
#define SKIP_ON_WINDOWS_WINE_PREFIX() \
    GTEST_SKIP() << "Linux only: the Windows build reads the system's registry, never a Wine prefix's files"
#else
#define SKIP_ON_WINDOWS_WINE_PREFIX() (void)0
#endif

TEST(WineRegistry, FindsInstalledPathCaseInsensitivelyWithEscapes) {
    SKIP_ON_WINDOWS_WINE_PREFIX();
    TempFolder temp;
    const fs::path prefix = MakePrefix(temp.Path(), "[SOFTWARE\\\\Ubisoft\\\\Silent Hunter III]",
                                       "\"installedpath\"=\"C:\\\\Games\\\\Silent Hunter III\\\\\"");
    EXPECT_EQ(WineRegistryInstalledPath(prefix), "C:\\Games\\Silent Hunter III\\");
    const fs::path game = NativePathInPrefix(prefix, WineRegistryInstalledPath(prefix));
    EXPECT_TRUE(platform::FileExists(game / "sh3.exe")) << game;
}

TEST(WineRegistry, ReadsTheWow64KeyAndUnicodeEscapes) {
    SKIP_ON_WINDOWS_WINE_PREFIX();
    TempFolder temp;
    const fs::path prefix =
        MakePrefix(temp.Path(), "[Software\\\\Wow6432Node\\\\Ubisoft\\\\Silent Hunter III]",
                   "\"InstalledPath\"=\"C:\\\\Sp\\x00e4le\\\\SH3\\\\\"");
    EXPECT_EQ(WineRegistryInstalledPath(prefix), "C:\\Sp\xC3\xA4le\\SH3\\");
    EXPECT_EQ(WineRegistryInstalledPath(temp.Path() / "nothing-here"), "");

    // A character beyond the first 65536 comes as a pair of UTF-16 units, joined into one.
    TempFolder other;
    const fs::path paired = MakePrefix(other.Path(), "[Software\\\\Ubisoft\\\\Silent Hunter III]",
                                       "\"InstalledPath\"=\"C:\\\\G\\xd83d\\xde00\\\\\"");
    EXPECT_EQ(WineRegistryInstalledPath(paired), "C:\\G\xF0\x9F\x98\x80\\");
}

TEST(WineRegistry, UnknownDriveGivesNothing) {
    SKIP_ON_WINDOWS_WINE_PREFIX();
    TempFolder temp;
    const fs::path prefix = MakePrefix(temp.Path(), "[Software\\\\Ubisoft\\\\Silent Hunter III]", "");
    EXPECT_TRUE(NativePathInPrefix(prefix, "Q:\\Games\\").empty());
    EXPECT_TRUE(NativePathInPrefix(prefix, "relative\\path").empty());
}

class LocateGame : public ::testing::Test {
  protected:
    testing::TempWorld world;
    Paths paths;
    ScriptedPrompter prompter;
    // Steam and Lutris are looked for in a home of the test's own, empty unless a test fills it.
    const fs::path home = world.Root() / "home";
    const EnvVar homeVar{"HOME", home.string()};
    const EnvVar noData{"XDG_DATA_HOME", nullptr};
    const EnvVar noConfig{"XDG_CONFIG_HOME", nullptr};

    void SetUp() override { paths.ProgFolder = world.GetPaths().ProgFolder; }
    ProfileFile Settings() const { return ProfileFile(paths.SettingsFile()); }
};

TEST_F(LocateGame, CommandLineFolderComesFirst) {
    const fs::path other = world.Root() / "other game";
    WriteText(other / "sh3.exe", "x");
    ASSERT_TRUE(LocateGameFolder(paths, other, prompter));
    EXPECT_EQ(paths.GameFolder, platform::WithTrailingSeparator(other));
    EXPECT_TRUE(prompter.browses.empty());
}

TEST_F(LocateGame, ValidSettingIsUsedWithoutTheRegistry) {
    const RegistryNamingTheGame registry;
    ASSERT_TRUE(LocateGameFolder(paths, std::nullopt, prompter));
    EXPECT_EQ(paths.GameFolder, world.World().game);
}

TEST_F(LocateGame, RegistryWhenNothingElse) {
    Settings().WriteString(kSettingsSection, "SH3Location", "");
    {
        const RegistryNamingTheGame registry;
        ASSERT_TRUE(LocateGameFolder(paths, std::nullopt, prompter));
        EXPECT_TRUE(fs::equivalent(paths.GameFolder / "sh3.exe", registry.game / "sh3.exe"))
            << paths.GameFolder;
        EXPECT_EQ(platform::TextFromPath(paths.GameFolder).back(),
                  static_cast<char>(fs::path::preferred_separator));
        EXPECT_TRUE(prompter.browses.empty());
        EXPECT_EQ(Settings().ReadString(kSettingsSection, "SH3Location", "?"), "");  // not written back
    }
#ifdef _WIN32
    // Windows reads only its own registry: a Wine prefix named in WINEPREFIX is not looked into.
    TempFolder temp;
    const fs::path prefix = MakePrefix(temp.Path(), "[Software\\\\Ubisoft\\\\Silent Hunter III]",
                                       "\"InstalledPath\"=\"C:\\\\Games\\\\Silent Hunter III\\\\\"");
    const EnvVar wine("WINEPREFIX", prefix.string());
    const MachineHiveOfOurOwn emptyHive;
    EXPECT_FALSE(LocateGameFolder(paths, std::nullopt, prompter));
    ASSERT_EQ(prompter.browses.size(), 1u);
    EXPECT_EQ(prompter.browses[0].initial, fs::path());
#endif
}

TEST_F(LocateGame, FolderWithoutGameOpensTheChooserAndSavesTheAnswer) {
    const fs::path wrong = world.Root() / "wrong";
    fs::create_directories(wrong);
    const fs::path stillWrong = world.Root() / "still wrong";
    fs::create_directories(stillWrong);
    prompter.folderAnswers = {stillWrong, world.World().game.parent_path()};
    ASSERT_TRUE(LocateGameFolder(paths, wrong, prompter));
    ASSERT_EQ(prompter.browses.size(), 2u);
    EXPECT_EQ(prompter.browses[0].initial, wrong);
    EXPECT_EQ(prompter.browses[1].initial, stillWrong);  // the last answer is preselected
    EXPECT_EQ(prompter.browses[0].title,
              "Cannot find \"sh3.exe\" in this folder! Please tell me where Silent Hunter III is installed");
    EXPECT_EQ(Settings().ReadString(kSettingsSection, "SH3Location", ""),
              platform::TextFromPath(world.World().game.parent_path()));
}

TEST_F(LocateGame, CancelledChooserClearsTheSettingAndFails) {
    EnvVar wine("WINEPREFIX", (world.Root() / "no prefix").string());
#ifdef _WIN32
    const MachineHiveOfOurOwn noGame;  // whatever the machine has installed
#endif
    Settings().WriteString(kSettingsSection, "SH3Location", platform::TextFromPath(world.Root() / "gone"));
    EXPECT_FALSE(LocateGameFolder(paths, std::nullopt, prompter));
    EXPECT_EQ(Settings().ReadString(kSettingsSection, "SH3Location", "?"), "");
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
    const std::string& text = prompter.messages[0].text;
    EXPECT_TRUE(text.starts_with("Seewolf requires Silent Hunter III to be installed")) << text;
    // It names the folder it tried and the ways to name the right one.
    for (const std::string& part :
         {"The folder " + platform::TextFromPath(world.Root() / "gone") +
              " (from SH3Location in Seewolf.ini)",
          std::string("/i:<folder>"),
          "SH3Location in the [SETTINGS] section of " + platform::TextFromPath(paths.SettingsFile()),
          std::string("seewolf-cli --game <folder>")}) {
        EXPECT_NE(text.find(part), std::string::npos) << part << " not in: " << text;
    }

    // Nothing to try at all, and a folder picked in the chooser.
    prompter.messages.clear();
    EXPECT_FALSE(LocateGameFolder(paths, std::nullopt, prompter));
    EXPECT_NE(prompter.messages.at(0).text.find("No folder was given"), std::string::npos);
    // Chosen with "/" (Windows takes both), it is named with the system's own separator.
    prompter.folderAnswers = {fs::path(world.Root().generic_string())};
    EXPECT_FALSE(LocateGameFolder(paths, std::nullopt, prompter));
    EXPECT_NE(prompter.messages.at(1).text.find(FolderText(world.Root()) + " (from the folder chooser)"),
              std::string::npos)
        << prompter.messages.at(1).text;
}

#ifndef _WIN32
// After the registry: Steam's and Lutris' installations. One is taken, with the documents of its
// Proton prefix; of several the user picks one (kept as SH3Location), and a terminal names them all.
TEST_F(LocateGame, SteamAndLutrisAfterTheRegistry) {
    const EnvVar wine("WINEPREFIX", (world.Root() / "no prefix").string());
    Settings().WriteString(kSettingsSection, "SH3Location", "");
    Settings().WriteString(kSettingsSection, "DocsLocation", "");
    const fs::path steamApps = home / ".local" / "share" / "Steam" / "steamapps";
    const fs::path steamGame = steamApps / "common" / "SH3";
    WriteText(steamApps / "appmanifest_7000.acf",
              "\"AppState\" { \"appid\" \"7000\" \"installdir\" \"SH3\" }");
    WriteText(steamGame / "sh3.exe", "x");
    const fs::path docs =
        steamApps / "compatdata" / "7000" / "pfx" / "drive_c" / "users" / "steamuser" / "Documents";
    fs::create_directories(docs / "SH3");
    WriteText(home / ".config" / "lutris" / "games" / "broken.yml", "game:\n  exe: /nowhere/sh3.exe\n");

    ASSERT_TRUE(LocateGameFolder(paths, std::nullopt, prompter));
    EXPECT_EQ(paths.GameFolder, platform::WithTrailingSeparator(steamGame));
    EXPECT_TRUE(prompter.browses.empty() && prompter.choiceQuestions.empty());
    ASSERT_EQ(prompter.statuses.size(), 1u);  // the Lutris file left out is said
    EXPECT_NE(prompter.statuses[0].find("broken.yml"), std::string::npos) << prompter.statuses[0];
    EXPECT_EQ(LocateDocsFolder(paths, "SH3"), platform::WithTrailingSeparator(docs));
    EXPECT_EQ(Settings().ReadString(kSettingsSection, "SH3Location", "?"), "");  // found again next time

    // A second installation through Lutris: the user is asked, and the answer is kept.
    const fs::path lutrisGame = world.Root() / "lutris" / "drive_c" / "SH3";
    WriteText(lutrisGame / "sh3.exe", "x");
    WriteText(home / ".config" / "lutris" / "games" / "sh3.yml",
              "game:\n  exe: " + platform::Utf8FromPath(lutrisGame / "sh3.exe") + "\n");
    prompter.choiceAnswers = {1, std::nullopt};
    ASSERT_TRUE(LocateGameFolder(paths, std::nullopt, prompter));
    EXPECT_EQ(paths.GameFolder, platform::WithTrailingSeparator(lutrisGame));
    ASSERT_EQ(prompter.choiceQuestions.size(), 1u);
    EXPECT_EQ(prompter.choiceQuestions[0].choices,
              (std::vector<std::string>{FolderText(steamGame) + " (Steam (app 7000))",
                                        FolderText(lutrisGame) + " (Lutris (sh3.yml))"}));
    EXPECT_NE(prompter.choiceQuestions[0].question.find("broken.yml"), std::string::npos);
    EXPECT_EQ(Settings().ReadString(kSettingsSection, "SH3Location", ""), platform::TextFromPath(lutrisGame));
    EXPECT_EQ(LocateDocsFolder(paths, "SH3"),
              platform::WithTrailingSeparator(platform::UserDocumentsFolder()));

    // Cancelled: the folder chooser comes next, as when nothing is found.
    Settings().WriteString(kSettingsSection, "SH3Location", "");
    EXPECT_FALSE(LocateGameFolder(paths, std::nullopt, prompter));
    EXPECT_EQ(prompter.browses.size(), 1u);
    EXPECT_NE(prompter.messages.at(0).text.find("none in Steam's libraries or Lutris' games"),
              std::string::npos);
}
#endif

TEST(SaveFolder, NameFromFileManagerCutToThreeCharacters) {
    testing::TempWorld world;
    EXPECT_EQ(ReadSaveName(world.World().game), "SH3");
    std::string dll = ReadText(world.World().game / "FileManager.dll");
    dll.replace(38520, 6, "ABCDEF");
    WriteText(world.World().game / "FileManager.dll", dll);
    EXPECT_EQ(ReadSaveName(world.World().game), "ABC");
    dll.replace(38520, 3, std::string("X\0Y", 3));
    WriteText(world.World().game / "FileManager.dll", dll);
    EXPECT_EQ(ReadSaveName(world.World().game), "X");
}

TEST(SaveFolder, DocumentsSettingThenMainCfgCheck) {
    testing::TempWorld world;
    Paths paths = world.GetPaths();
    ScriptedPrompter prompter;
    ASSERT_TRUE(LocateSaveFolder(paths, prompter));
    EXPECT_EQ(paths.SaveName, "SH3");
    EXPECT_EQ(paths.SaveFolder,
              platform::WithTrailingSeparator(world.World().documents / "SH3" / "data" / "Cfg"));

    fs::remove(paths.SaveFolder / "main.cfg");
    EXPECT_FALSE(LocateSaveFolder(paths, prompter));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text,
              "Cannot find " + platform::TextFromPath(paths.SaveFolder) +
                  "main.cfg! You must run Silent Hunter III at least once to create "
                  "this file.");

    // A documents folder that was named but does not exist is reported as such.
    const fs::path nowhere = world.Root() / "no documents";
    ProfileFile(paths.SettingsFile())
        .WriteString(kSettingsSection, "DocsLocation", platform::TextFromPath(nowhere));
    EXPECT_FALSE(LocateSaveFolder(paths, prompter));
    EXPECT_EQ(prompter.messages.at(1).text,
              "The documents folder " + FolderText(nowhere) + " set as DocsLocation in " +
                  platform::TextFromPath(paths.SettingsFile()) +
                  " does not exist. Correct DocsLocation, or remove it to let Seewolf "
                  "find the documents folder itself.");
    EXPECT_FALSE(LocateSaveFolder(paths, prompter, nowhere));
    EXPECT_EQ(prompter.messages.at(2).text,
              "The documents folder " + FolderText(nowhere) + " given on the command line does not exist.");
}

TEST(SaveFolder, DocumentsOfTheWineUserHoldingTheSaves) {
    TempFolder temp;
    const fs::path prefix = temp.Path() / "pfx";
    const fs::path game = prefix / "drive_c" / "Ubisoft" / "SH3";
    WriteText(game / "sh3.exe", "x");
    fs::create_directories(prefix / "drive_c" / "users" / "Public" / "Documents" / "SH3");
    fs::create_directories(prefix / "drive_c" / "users" / "alice" / "Documents");
    fs::create_directories(prefix / "drive_c" / "users" / "steamuser" / "My Documents" / "SH3");
    WriteText(temp.Path() / "prog" / "Seewolf.ini", "[SETTINGS]\r\n");
    Paths paths;
    paths.ProgFolder = platform::WithTrailingSeparator(temp.Path() / "prog");
    paths.GameFolder = platform::WithTrailingSeparator(game);
#ifdef _WIN32
    // Windows: the system's personal folder, wherever the game is.
    ASSERT_FALSE(platform::UserDocumentsFolder().empty());
    EXPECT_EQ(LocateDocsFolder(paths, "SH3"),
              platform::WithTrailingSeparator(platform::UserDocumentsFolder()));
#else
    EXPECT_EQ(LocateDocsFolder(paths, "SH3"),
              platform::WithTrailingSeparator(prefix / "drive_c" / "users" / "steamuser" / "My Documents"));
    // Without saves anywhere: the login's own user, then Proton's, then the others by name.
    fs::remove_all(prefix / "drive_c" / "users" / "steamuser" / "My Documents" / "SH3");
    fs::create_directories(prefix / "drive_c" / "users" / "zed" / "Documents");
    EnvVar user("USER", "zed");
    EXPECT_EQ(LocateDocsFolder(paths, "SH3"),
              platform::WithTrailingSeparator(prefix / "drive_c" / "users" / "zed" / "Documents"));
    EnvVar noUser("USER", "nobody-here");
    EXPECT_EQ(LocateDocsFolder(paths, "SH3"),
              platform::WithTrailingSeparator(prefix / "drive_c" / "users" / "steamuser" / "My Documents"));
    fs::remove_all(prefix / "drive_c" / "users" / "steamuser");
    EXPECT_EQ(LocateDocsFolder(paths, "SH3"),
              platform::WithTrailingSeparator(prefix / "drive_c" / "users" / "alice" / "Documents"));
    // Outside a prefix: the desktop's documents folder.
    paths.GameFolder = platform::WithTrailingSeparator(temp.Path() / "plain");
    EnvVar home("HOME", (temp.Path() / "home").string());
    EnvVar xdg("XDG_CONFIG_HOME", (temp.Path() / "home" / ".config").string());
    EXPECT_EQ(LocateDocsFolder(paths, "SH3"),
              platform::WithTrailingSeparator(temp.Path() / "home" / "Documents"));
#endif
}

}  // namespace
}  // namespace seewolf
