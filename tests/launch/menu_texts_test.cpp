#include "launch/menu_texts.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>

#include "app/error.h"
#include "app/language.h"
#include "app/profile_file.h"
#include "support/scripted_prompter.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::WriteText;

constexpr const char* kTable =
    "; menu texts\r\n[STRINGS]\r\n13=Silent Hunter III\r\n201=Career\r\n202=Flotilla\r\n"
    "589=Hull integrity\r\n859=2nd Flotilla\r\n2100=Headquarters\r\n2101=Phase\r\n2102=Radar\r\n";

class MenuTexts : public ::testing::Test {
  protected:
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    testing::ScriptedPrompter prompter;
    Language english;

    static Language In(const std::string& code) {
        Language language;
        language.LangCode = code;
        language.MenuTextFile = code + "_menu.txt";
        return language;
    }

    fs::path Table() const { return paths.Game("data\\Menu\\en_menu.txt"); }
    fs::path Options() const { return paths.Prog("Cfg\\SH3 options.cfg"); }
    fs::path Variables() const { return paths.Prog("Cfg\\Menu variable_en.txt"); }
    std::string Text(const std::string& key) const {
        return ProfileFile(Table()).ReadString("STRINGS", key, "<missing>");
    }
    void Apply(bool hull, const char* date, const char* flotilla = "661") {
        ApplyMenuTexts(paths, english, hull, date, flotilla, prompter);
    }
};

TEST_F(MenuTexts, FixedStringsYearAndFlotillaOverTheBackedUpTable) {
    WriteText(Options(), "[TEXTSETTINGS]\r\nde_13=Deutsch\r\nen_13=\"Seewolf III\"\r\nen_589=Hull %\r\n");
    WriteText(Variables(), "[KEYS]\r\nNbKeys=0\r\nKey0=2100\r\n[19390101]\r\n2100=Kiel\r\n");
    WriteText(Table(), kTable);
    Apply(true, "19420315");
    EXPECT_EQ(
        ReadText(Table()),
        "; menu texts\r\n[STRINGS]\r\n13=Seewolf III\r\n201=Career (1942)\r\n202=Flotilla (2nd Flotilla)\r\n"
        "589=Hull %\r\n859=2nd Flotilla\r\n2100=Headquarters\r\n2101=Phase\r\n2102=Radar\r\n");
    EXPECT_EQ(ReadText(paths.BackupFolder / "data" / "Menu" / "en_menu.txt"), kTable);
    EXPECT_TRUE(prompter.messages.empty());

    // With the flag off 589 is emptied, even though the options give a text; without texts for
    // the language 13 keeps the game's. Strings the table lacks are added.
    WriteText(Options(), "[TEXTSETTINGS]\r\nen_589=Hull %\r\n");
    WriteText(Table(), "[STRINGS]\r\n13=Title\r\n589=Hull integrity\r\n");
    Apply(false, "19390901", "670");
    EXPECT_EQ(ReadText(Table()), "[STRINGS]\r\n13=Title\r\n589=\r\n201= (1939)\r\n202= ()\r\n");
}

TEST_F(MenuTexts, EachVariableTakesTheLatestSectionOnOrBeforeTheDate) {
    // Sections out of order in the file; 2101 is "^" (the game's text) from 1941 on; 2102 is
    // named by no section before 1941; 201 and 859 as variables feed the year and flotilla.
    WriteText(Variables(),
              "[19410101]\r\n2100=Lorient\r\n2101=^\r\n2102=Metox\r\n201=Laufbahn\r\n"
              "[KEYS]\r\nNbKeys=5\r\nKey0=2100\r\nkey1=2101\r\nKey2=2102\r\nKey3=201\r\nKey4=0859\r\n"
              "[19390901]\r\n2100=Wilhelmshaven\r\n2101=Phoney war\r\n859=Saltzwedel\r\n"
              "[20000101]\r\n2100=Future\r\n");
    // The texts of 2100, 2101, 2102, 201 and 202 at each date.
    const std::map<std::string, std::string> expected = {
        {"19390815", "|||(1939)|Flotilla ()"},
        {"19400615", "Wilhelmshaven|Phoney war||(1940)|Flotilla (Saltzwedel)"},
        {"19410101", "Lorient|Phase|Metox|Laufbahn (1941)|Flotilla (Saltzwedel)"},
    };
    for (const auto& [date, texts] : expected) {
        WriteText(Table(), kTable);
        Apply(true, date.c_str());
        EXPECT_EQ(
            Text("2100") + "|" + Text("2101") + "|" + Text("2102") + "|" + Text("201") + "|" + Text("202"),
            texts)
            << date;
    }
}

TEST_F(MenuTexts, AMissingTableIsNeverCreatedAndMissingOptionFilesSayWhatIsLeftOut) {
    fs::remove(paths.Game("data\\Menu\\de_menu.txt"));
    ApplyMenuTexts(paths, In("de"), true, "19420101", "661", prompter);
    EXPECT_FALSE(fs::exists(paths.Game("data\\Menu\\de_menu.txt")));
    EXPECT_TRUE(fs::is_empty(paths.BackupFolder));
    EXPECT_FALSE(fs::exists(paths.Prog("Seewolf.log")));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages[0].text.find("de_menu.txt"), std::string::npos);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Warning);

    // Without the option files the fixed strings still change; the warning names both files.
    prompter.messages.clear();
    fs::remove(Options());
    fs::remove(Variables());
    WriteText(Table(), kTable);
    Apply(false, "19420101");
    EXPECT_EQ(Text("589"), "");
    EXPECT_EQ(Text("201"), "Career (1942)");
    EXPECT_EQ(Text("2100"), "Headquarters");
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages[0].text.find("SH3 options.cfg"), std::string::npos);
    EXPECT_NE(prompter.messages[0].text.find("Menu variable_en.txt"), std::string::npos);
}

TEST_F(MenuTexts, BadVariableListsAndFlotillaIdsStopBeforeTheTableChanges) {
    const std::map<std::string, std::string> cases = {
        {"[KEYS]\r\nNbKeys=many\r\n", "NbKeys"},
        {"[KEYS]\r\nNbKeys=2000000000\r\nKey0=2100\r\nKey1=2101\r\n", "Key2"},
        {"[KEYS]\r\nNbKeys=2\r\nKey0=2100\r\nKey1=\r\n", "Key1"},
        {"[KEYS]\r\nNbKeys=1\r\nKey0=2100 ; headquarters\r\n", "Key0"},
        {"[KEYS]\r\nNbKeys=1\r\nKey0=-5\r\n", "Key0"},
    };
    WriteText(Table(), kTable);
    for (const auto& [text, key] : cases) {
        SCOPED_TRACE(text);
        WriteText(Variables(), text);
        try {
            Apply(true, "19420101");
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("Menu variable_en.txt"), std::string::npos) << message;
            EXPECT_NE(message.find("[KEYS]"), std::string::npos) << message;
            EXPECT_NE(message.find(key), std::string::npos) << message;
        }
    }
    WriteText(Variables(), "[KEYS]\r\nNbKeys=0\r\n");
    EXPECT_THROW(Apply(true, "19420101", ""), Error);
    EXPECT_EQ(ReadText(Table()), kTable);
    EXPECT_TRUE(fs::is_empty(paths.BackupFolder));
}

// The shipped option files on the demo's tables: readable in every language, with both text
// settings, and a text of its own for every menu variable by the end of the war.
TEST_F(MenuTexts, ShippedOptionFilesServeEveryLanguage) {
    for (const std::string code : {"en", "de", "fr"}) {
        ApplyMenuTexts(paths, In(code), true, "19450501", "661", prompter);
        const ProfileFile table(paths.Game("data\\Menu\\" + code + "_menu.txt"));
        const ProfileFile options(Options());
        EXPECT_EQ(table.ReadString("STRINGS", "13", ""),
                  options.ReadString("TEXTSETTINGS", code + "_13", "-"));
        EXPECT_EQ(table.ReadString("STRINGS", "589", ""),
                  options.ReadString("TEXTSETTINGS", code + "_589", "-"));
        const ProfileFile variables(paths.Prog("Cfg\\Menu variable_" + code + ".txt"));
        for (const std::string& name : variables.ReadSection("KEYS")) {
            if (name != "NbKeys") {
                EXPECT_NE(table.ReadString("STRINGS", variables.ReadString("KEYS", name, ""), ""), "")
                    << code << name;
            }
        }
    }
    EXPECT_TRUE(prompter.messages.empty());
}

}  // namespace
}  // namespace seewolf
