#include "platform/folders.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

#include "support/temp_world.h"

#ifndef _WIN32
namespace seewolf::platform {
namespace {

namespace fs = std::filesystem;
using seewolf::testing::TempFolder;

using ScopedEnvironment = testing::EnvVar;

void WriteUserDirs(const fs::path& folder, const std::string& text) {
    fs::create_directories(folder);
    std::ofstream(folder / "user-dirs.dirs") << text;
}

TEST(Folders, EnvironmentAndHome) {
    TempFolder home;
    ScopedEnvironment setHome("HOME", home.Path().c_str());
    EXPECT_EQ(EnvironmentValue("HOME"), home.Path().string());
    EXPECT_EQ(HomeFolder(), home.Path());
    {
        ScopedEnvironment empty("SEEWOLF_TEST_EMPTY", "");
        EXPECT_EQ(EnvironmentValue("SEEWOLF_TEST_EMPTY"), "");
    }
    EXPECT_FALSE(EnvironmentValue("SEEWOLF_TEST_EMPTY").has_value());

    // Without $HOME the account database still knows the home folder.
    ScopedEnvironment noHome("HOME", nullptr);
    const fs::path fromAccount = HomeFolder();
    EXPECT_TRUE(fromAccount.is_absolute()) << fromAccount;
}

TEST(Folders, DocumentsFromTheUserDirsFile) {
    TempFolder home;
    ScopedEnvironment setHome("HOME", home.Path().c_str());
    const fs::path config = home.Path() / "cfg";
    ScopedEnvironment setConfig("XDG_CONFIG_HOME", config.c_str());

    // No file: the usual folder in the home folder.
    EXPECT_EQ(UserDocumentsFolder(), home.Path() / "Documents");

    WriteUserDirs(config,
                  "# This file is written by xdg-user-dirs-update\n"
                  "# XDG_DOCUMENTS_DIR=\"$HOME/Commented\"\n"
                  "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                  "XDG_DOCUMENTS_DIRS=\"$HOME/Wrong\"\n"
                  "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
                  "XDG_MUSIC_DIR=\"$HOME/Musik\"\n");
    EXPECT_EQ(UserDocumentsFolder(), home.Path() / "Dokumente");

    WriteUserDirs(config, "  XDG_DOCUMENTS_DIR=\"/srv/shared docs/\\\"x\\\"\"\n");
    EXPECT_EQ(UserDocumentsFolder(), fs::path("/srv/shared docs/\"x\""));

    // The last assignment wins; "$HOMEWORK" is no $HOME, and a relative folder is no folder.
    WriteUserDirs(config,
                  "XDG_DOCUMENTS_DIR=\"$HOME/First\"\n"
                  "XDG_DOCUMENTS_DIR=\"$HOME/Second\"\n"
                  "XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"\n"
                  "XDG_DOCUMENTS_DIR=\"relative/x\"\n");
    EXPECT_EQ(UserDocumentsFolder(), home.Path() / "Second");

    WriteUserDirs(config, "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
    EXPECT_EQ(UserDocumentsFolder(), home.Path());

    // Without XDG_CONFIG_HOME the file lies in ~/.config.
    ScopedEnvironment noConfig("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(UserDocumentsFolder(), home.Path() / "Documents");
    WriteUserDirs(home.Path() / ".config", "XDG_DOCUMENTS_DIR=$HOME/Docs\n");
    EXPECT_EQ(UserDocumentsFolder(), home.Path() / "Docs");
}

}  // namespace
}  // namespace seewolf::platform
#endif
