#include "app/language.h"

#include <gtest/gtest.h>

#include "app/profile_file.h"
#include "platform/files.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;

class LanguageTables : public ::testing::Test {
  protected:
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    void SetTextsLanguage(const std::string& value) {
        ProfileFile(paths.SaveFolder / "main.cfg").WriteString("SETTINGS", "TextsLanguage", value);
    }
};

TEST_F(LanguageTables, TextsLanguageChoosesTheTables) {
    SetTextsLanguage("2");
    Language fr = ChooseLanguage(paths);
    EXPECT_EQ(fr.LangCode, "fr");
    EXPECT_EQ(fr.MenuTextFile, "fr_menu.txt");
    EXPECT_EQ(fr.ProgTextFile, "Seewolf_fr.txt");
    EXPECT_TRUE(platform::FileExists(MenuTable(paths, fr).File()));
    SetTextsLanguage("1");
    EXPECT_EQ(ChooseLanguage(paths).LangCode, "de");
    SetTextsLanguage("5");
    EXPECT_EQ(ChooseLanguage(paths).LangCode, "en");
    ProfileFile(paths.SaveFolder / "main.cfg").DeleteKey("SETTINGS", "TextsLanguage");
    EXPECT_EQ(ChooseLanguage(paths).LangCode, "en");
}

TEST_F(LanguageTables, DateTextsComeFromBothTables) {
    SetTextsLanguage("1");
    Language de = ChooseLanguage(paths);
    LoadDateTexts(paths, de);
    const TextTable menu = MenuTable(paths, de);
    EXPECT_EQ(de.dates.dayNames[0], menu.Text(1400, "?"));
    EXPECT_NE(de.dates.dayNames[0], "Sunday");  // the German game table names the days
    const TextTable prog = ProgTable(paths, de);
    EXPECT_EQ(de.dates.monthNames[2], prog.Text(253, "?"));
    EXPECT_EQ(de.dates.shortDateFormat, prog.Text(250, "?"));
}

TEST_F(LanguageTables, WithoutTheProgramTableTheDefaultsApply) {
    Language en = ChooseLanguage(paths);
    fs::remove(paths.ProgFolder / en.ProgTextFile);
    ProfileFile(MenuTable(paths, en).File()).WriteString("STRINGS", "1400", "Sun-day");
    LoadDateTexts(paths, en);
    EXPECT_EQ(FormatShortDate(EncodeDate(1939, 1, 1), en.dates), "Sun-day, Jan 1, 1939");
}

TEST(RankNames, CutAtSemicolonAndTrimmed) {
    EXPECT_EQ(RankName("Kapitänleutnant ; KptLt"), "Kapitänleutnant");
    EXPECT_EQ(RankName("  Korvettenkapitän"), "Korvettenkapitän");
    EXPECT_EQ(RankName(";x"), "");
}

}  // namespace
}  // namespace seewolf
