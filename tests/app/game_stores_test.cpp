#include "app/game_stores.h"

#include <gtest/gtest.h>

#include "app/locate.h"
#include "app/paths.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::WriteText;

// A path as Steam writes it into its files: UTF-8, backslashes doubled.
std::string VdfPath(const fs::path& path) {
    std::string text;
    for (char c : platform::Utf8FromPath(path)) {
        text += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    return text;
}

std::string Manifest(const std::string& appId, const std::string& installDir) {
    return "\"AppState\"\n{\n\t\"appid\"\t\t\"" + appId +
           "\"\n\t\"name\"\t\t\"Some Game\"\n\t\"installdir\"\t\t\"" + installDir +
           "\"\n\t\"UserConfig\"\n\t{\n\t\t\"language\"\t\t\"english\"\n\t}\n}\n";
}

std::vector<fs::path> Folders(const StoreSearch& search) {
    std::vector<fs::path> folders;
    for (const GameInstallation& installation : search.installations) {
        folders.push_back(installation.gameFolder);
    }
    return folders;
}

TEST(KeyValues, ReadsNestingEscapesCommentsAndSurvivesDamage) {
    const KeyValues sound = ReadKeyValues(
        "// Steam's list\n\"libraryfolders\"\n{\n  \"0\" { \"path\" \"C:\\\\Steam \\\"A\\\"\" // where\n"
        "    \"apps\" { \"7000\" \"123\" } }\n  Unquoted token\n  \"tab\" \"a\\tb\\nc\\q\"\n}\n");
    EXPECT_EQ(sound.error, "");
    const KeyValue* top = sound.root.Find("LibraryFolders");  // keys in any case
    ASSERT_NE(top, nullptr);
    ASSERT_TRUE(top->isBlock);
    ASSERT_EQ(top->children.size(), 3u);
    EXPECT_EQ(top->children[0].Find("path")->value, "C:\\Steam \"A\"");
    EXPECT_EQ(top->children[0].Find("apps")->Find("7000")->value, "123");
    EXPECT_EQ(top->Find("Unquoted")->value, "token");
    EXPECT_EQ(top->Find("tab")->value, "a\tb\nc\\q");

    std::string deep;
    for (int i = 0; i < 100000; ++i) {
        deep += "\"k\" {";
    }
    // Damaged texts end, keep what came before the damage and say what is wrong.
    const std::pair<std::string, std::string> damaged[] = {
        {"\"a\" \"1\" \"b\" { \"c\" \"2\"", "a block is not closed"},
        {"\"a\" \"1\" } \"b\" \"2\"", "a \"}\" closes no block"},
        {"\"a\" \"1\" \"b\" { \"c\" } \"d\" \"3\"", "a key has no value"},
        {"\"a\" \"1\" \"b\"", "a key has no value"},
        {"\"a\" \"1\" \"b\" \"open", "a quoted text is not closed"},
        {"\"a\" \"1\" { \"x\" \"y\" } \"b\" \"2\"", "a block has no key"},
        {"\"a\" \"1\" \"b\" {" + deep, "blocks are nested too deeply"},
    };
    for (const auto& [text, error] : damaged) {
        const KeyValues read = ReadKeyValues(text);
        EXPECT_EQ(read.error, error) << text.substr(0, 40);
        ASSERT_FALSE(read.root.children.empty()) << text.substr(0, 40);
        EXPECT_EQ(read.root.children[0].value, "1") << text.substr(0, 40);
    }
    EXPECT_EQ(ReadKeyValues("\"a\" \"1\" } \"b\" \"2\"").root.Find("b")->value, "2");
    EXPECT_EQ(ReadKeyValues("\"a\" \"1\" \"b\" { \"c\" } \"d\" \"3\"").root.Find("d")->value, "3");
}

// A home with Steam and Lutris installations, and a game folder elsewhere.
class GameStores : public ::testing::Test {
  protected:
    void SetUp() override {
        const fs::path nativeRoot = home / ".local" / "share" / "Steam";
        // A second library, named by the native root's list, holds the game; its Proton prefix
        // lies beside it.
        WriteText(library / "steamapps" / "appmanifest_7000.acf", Manifest("7000", "Silent Hunter III"));
        WriteText(library / "steamapps" / "common" / "Silent Hunter III" / "SH3.EXE", "x");
        fs::create_directories(library / "steamapps" / "compatdata" / "7000" / "pfx" / "drive_c" / "users" /
                               "steamuser" / "Documents" / "SH3");
        WriteText(nativeRoot / "steamapps" / "libraryfolders.vdf",
                  "\"libraryfolders\"\n{\n\t\"contentstatsid\"\t\t\"-1\"\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" +
                      VdfPath(nativeRoot) + "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" +
                      VdfPath(temp.Path() / "unplugged") + "\"\n\t}\n\t\"2\"\n\t{\n\t\t\"path\"\t\t\"" +
                      VdfPath(library) + "\"\n\t\t\"apps\" { \"7000\" \"1\" }\n\t}\n}\n");
        // In the native root: a game without the game, a game folder without a manifest, and a
        // manifest whose app id is not its file's.
        WriteText(nativeRoot / "steamapps" / "appmanifest_7001.acf", Manifest("7001", "Other Game"));
        WriteText(nativeRoot / "steamapps" / "common" / "Other Game" / "other.exe", "x");
        WriteText(nativeRoot / "steamapps" / "common" / "Decoy" / "sh3.exe", "x");
        WriteText(nativeRoot / "steamapps" / "appmanifest_7002.acf", Manifest("9999", "Copy"));
        WriteText(nativeRoot / "steamapps" / "common" / "Copy" / "sh3.exe", "x");
        WriteText(nativeRoot / "steamapps" / "appmanifest_7003.acf", Manifest("7003", ".."));
#ifndef _WIN32
        // The usual link; its root counts once.
        fs::create_directories(home / ".steam");
        fs::create_directory_symlink(nativeRoot, home / ".steam" / "steam");
        firstRoot = home / ".steam" / "steam";
#else
        firstRoot = nativeRoot;  // links need privileges on Windows
#endif
        // Flatpak: a root with a damaged list, and one with the old list form naming a library
        // whose game's prefix lies in that root.
        const fs::path flatpak = home / ".var" / "app" / "com.valvesoftware.Steam";
        WriteText(flatpak / ".local" / "share" / "Steam" / "steamapps" / "libraryfolders.vdf",
                  "\"libraryfolders\" { \"0\" { \"path\" ");
        WriteText(flatpak / "data" / "Steam" / "steamapps" / "libraryfolders.vdf",
                  "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1700000000\"\n\t\"1\"\t\t\"" +
                      VdfPath(oldLibrary) + "\"\n}\n");
        WriteText(oldLibrary / "SteamApps" / "appmanifest_7100.acf", Manifest("7100", "SH3"));
        WriteText(oldLibrary / "SteamApps" / "common" / "SH3" / "sh3.exe", "x");
        fs::create_directories(flatpak / "data" / "Steam" / "steamapps" / "compatdata" / "7100" / "pfx");
        oldGame = platform::Resolve(oldLibrary, "steamapps\\common\\SH3");
    }

    TempFolder temp;
    const fs::path home = temp.Path() / "home";
    const fs::path library = temp.Path() / "games" / "SteamLibrary";
    const fs::path oldLibrary = temp.Path() / "old library";
    fs::path firstRoot;
    // Found in "SteamApps" on Linux; Windows ignores case and keeps the spelling looked for.
    fs::path oldGame;
};

TEST_F(GameStores, SteamLibrariesAndTheGamesTheirManifestsName) {
    std::vector<std::string> problems;
    const fs::path flatpak = home / ".var" / "app" / "com.valvesoftware.Steam";
    const std::vector<SteamLibrary> libraries = SteamLibraries(home, {}, problems);
    const std::vector<std::pair<fs::path, fs::path>> expected = {
        {firstRoot, firstRoot},
        {library, firstRoot},
        {flatpak / ".local" / "share" / "Steam", flatpak / ".local" / "share" / "Steam"},
        {flatpak / "data" / "Steam", flatpak / "data" / "Steam"},
        {oldLibrary, flatpak / "data" / "Steam"}};
    ASSERT_EQ(libraries.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(libraries[i].folder, expected[i].first) << i;
        EXPECT_EQ(libraries[i].root, expected[i].second) << i;
    }
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find(
                  PathText(flatpak / ".local" / "share" / "Steam" / "steamapps" / "libraryfolders.vdf") +
                  " is damaged (a key has no value)"),
              std::string::npos)
        << problems[0];

    const StoreSearch steam = FindSteamInstallations(home, {});
    EXPECT_EQ(Folders(steam),
              (std::vector<fs::path>{library / "steamapps" / "common" / "Silent Hunter III", oldGame}));
    ASSERT_EQ(steam.installations.size(), 2u);
    EXPECT_EQ(steam.installations[0].prefix, library / "steamapps" / "compatdata" / "7000" / "pfx");
    EXPECT_EQ(steam.installations[0].source, "Steam (app 7000)");
    EXPECT_EQ(steam.installations[1].prefix,
              flatpak / "data" / "Steam" / "steamapps" / "compatdata" / "7100" / "pfx");
    EXPECT_EQ(steam.installations[1].source, "Steam (app 7100)");
    EXPECT_EQ(PrefixDocumentsFolder(steam.installations[0].prefix, "SH3"),
              steam.installations[0].prefix / "drive_c" / "users" / "steamuser" / "Documents");
    // The damaged list, the manifest with the wrong app id and the one leaving steamapps/common.
    ASSERT_EQ(steam.problems.size(), 3u);
    EXPECT_NE(steam.problems[1].find("appmanifest_7002.acf names the game in"), std::string::npos);
    EXPECT_NE(steam.problems[1].find("the app number \"9999\" instead of 7002"), std::string::npos);
    EXPECT_NE(steam.problems[2].find("appmanifest_7003.acf names the install folder \"..\""),
              std::string::npos);
}

TEST_F(GameStores, LutrisFilesThenOneListWithoutDuplicates) {
    const fs::path config = temp.Path() / "config";
    const fs::path prefix = temp.Path() / "wine 'SH3'";
    WriteText(prefix / "drive_c" / "Ubisoft" / "SH3" / "sh3.exe", "x");
    WriteText(
        config / "lutris" / "games" / "sh3.yml",
        "# written by Lutris\nname: Silent Hunter III\ngame:\n  args: ''\n  launch_configs:\n"
        "  - exe: /elsewhere/sh3.exe\n    name: other\n  exe: \"drive_c/Ubisoft/SH3/sh3.exe\"\n  prefix: '" +
            platform::Utf8FromPath(temp.Path()) + "/wine ''SH3'''\nsystem:\n  exe: /x/sh3.exe\n");
    // XDG_DATA_HOME is relative, so ~/.local/share is used.
    const fs::path data = home / ".local" / "share" / "lutris" / "games";
    const fs::path absolute = temp.Path() / "Plain Games" / "SH3";
    WriteText(absolute / "Sh3.exe", "x");
    WriteText(data / "a.yml", "game:\n    exe: " + platform::Utf8FromPath(absolute / "Sh3.exe") +
                                  " # the game\n    prefix: " + platform::Utf8FromPath(temp.Path() / "pfx") +
                                  "\nname: x\n");
    WriteText(data / "other.yml", "game:\n  exe: /games/other.exe\n");
    WriteText(data / "gone.yml",
              "game:\n  exe: " + platform::Utf8FromPath(temp.Path() / "gone" / "sh3.exe") + "\n");
    // The Steam game again, through Lutris.
    WriteText(home / ".var" / "app" / "net.lutris.Lutris" / "data" / "lutris" / "games" / "steam.yml",
              "game:\n  exe: " +
                  platform::Utf8FromPath(library / "steamapps" / "common" / "Silent Hunter III" / "SH3.EXE") +
                  "\n");

    const StoreEnvironment environment{{"XDG_CONFIG_HOME", platform::Utf8FromPath(config)},
                                       {"XDG_DATA_HOME", "relative/share"}};
    const StoreSearch lutris = FindLutrisInstallations(home, environment);
    const fs::path steamGame = library / "steamapps" / "common" / "Silent Hunter III";
    EXPECT_EQ(Folders(lutris),
              (std::vector<fs::path>{prefix / "drive_c" / "Ubisoft" / "SH3", absolute, steamGame}));
    ASSERT_EQ(lutris.installations.size(), 3u);
    EXPECT_EQ(lutris.installations[0].prefix, prefix);
    EXPECT_EQ(lutris.installations[0].source, "Lutris (sh3.yml)");
    EXPECT_EQ(lutris.installations[1].prefix, temp.Path() / "pfx");
    ASSERT_EQ(lutris.problems.size(), 1u);
    EXPECT_NE(lutris.problems[0].find("gone.yml names the game as"), std::string::npos) << lutris.problems[0];

    // Steam first; the game folder Lutris shares with Steam counts once, as Steam's.
    const StoreSearch all = FindGameInstallations(home, environment);
    EXPECT_EQ(Folders(all),
              (std::vector<fs::path>{steamGame, oldGame, prefix / "drive_c" / "Ubisoft" / "SH3", absolute}));
    EXPECT_EQ(all.installations.at(0).source, "Steam (app 7000)");
    EXPECT_EQ(all.problems.size(), 4u);
}

}  // namespace
}  // namespace seewolf
