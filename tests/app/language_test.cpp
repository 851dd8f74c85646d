#include "app/language.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>

#include "app/profile_file.h"
#include "app/text.h"
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

// The numbers the code reads from the program's text table: through a name bound to the table
// (`TextTable prog = ProgTable(...)`, `ProgTexts text(ProgTable(...))`, a table of a crew
// context's `progTexts`, and lambdas wrapping one of these) called with a number first, or
// straight from `ProgTable(...).Text(n, ...)`. Each file that opens the table must show the scan
// at least one such name or read, so a new way of reading is noticed instead of skipped.
std::set<int> ProgramTextNumbersInCode(std::vector<std::string>& unseen) {
    static const std::regex binding(
        R"(\b(?!return\b)\w+\s+(\w+)\s*(?:=|\(|\{)\s*(?:ProgTable\s*\(|[\w.>-]*progTexts\b))");
    static const std::regex direct(R"(ProgTable\s*\([^()]*\)\s*\.\s*Text\s*\(\s*(\d+))");
    std::set<int> numbers;
    for (const auto& entry : fs::recursive_directory_iterator(SEEWOLF_SOURCE_DIR)) {
        if (entry.path().extension() != ".cpp") {
            continue;
        }
        const std::string code = testing::ReadText(entry.path());
        if (code.find("ProgTable(") == std::string::npos && code.find("progTexts") == std::string::npos) {
            continue;
        }
        std::set<std::string> names;
        for (std::sregex_iterator m(code.begin(), code.end(), binding), end; m != end; ++m) {
            names.insert((*m)[1]);
        }
        for (std::size_t before = 0; before != names.size();) {
            before = names.size();
            for (const std::string& name : std::set<std::string>(names)) {
                const std::regex wrapper(R"(\b(\w+)\s*=\s*\[[^\]]*\b)" + name + R"(\b[^\]]*\])");
                for (std::sregex_iterator m(code.begin(), code.end(), wrapper), end; m != end; ++m) {
                    names.insert((*m)[1]);
                }
            }
        }
        bool seen = !names.empty();
        for (const std::string& name : names) {
            const std::regex read(R"(\b)" + name + R"(\s*(?:\.\s*(?:Text|Fill)\s*)?\(\s*(\d+))");
            for (std::sregex_iterator m(code.begin(), code.end(), read), end; m != end; ++m) {
                numbers.insert(std::stoi((*m)[1]));
            }
        }
        for (std::sregex_iterator m(code.begin(), code.end(), direct), end; m != end; ++m) {
            numbers.insert(std::stoi((*m)[1]));
            seen = true;
        }
        if (!seen) {
            unseen.push_back(entry.path().string());
        }
    }
    return numbers;
}

TEST(ProgramTexts, EveryNumberTheCodeReadsIsInAllThreeTables) {
    std::vector<std::string> unseen;
    std::set<int> numbers = ProgramTextNumbersInCode(unseen);
    EXPECT_TRUE(unseen.empty()) << "the scan cannot see how " << unseen.front() << " reads the program table";
    // Anchors of each way of reading: a bound table, a page's text object, a lambda over a
    // table, a read straight from ProgTable.
    for (const int anchor : {250, 240, 213, 121, 123, 180}) {
        EXPECT_EQ(numbers.count(anchor), 1u) << anchor;
    }
    // Numbers the code computes: the remarks of the crew manager (1 to 8), the two closing
    // sentences a new CareerHistory draws (13 to 66 and 68 to 118), the personnel file's four
    // dated career steps (187 to 190) and the month names (251 to 262).
    const auto add = [&numbers](int first, int last) {
        for (int n = first; n <= last; ++n) {
            numbers.insert(n);
        }
    };
    add(1, 8);
    add(13, 66);
    add(68, 118);
    add(187, 190);
    add(251, 262);

    std::vector<std::string> keys;
    for (const char* table : {"Seewolf_en.txt", "Seewolf_de.txt", "Seewolf_fr.txt"}) {
        const ProfileFile file(fs::path(SEEWOLF_CONTENT_DIR) / table);
        for (const int n : numbers) {
            const std::optional<std::string> text = file.FindString("STRINGS", std::to_string(n));
            EXPECT_TRUE(text && !TrimBlanks(*text).empty()) << table << " has no text " << n;
        }
        // The same entries in every language.
        std::vector<std::string> section = file.ReadSection("STRINGS");
        if (keys.empty()) {
            keys = section;
        }
        EXPECT_EQ(section, keys) << table;
    }
}

TEST(RankNames, CutAtSemicolonAndTrimmed) {
    EXPECT_EQ(RankName("Kapitänleutnant ; KptLt"), "Kapitänleutnant");
    EXPECT_EQ(RankName("  Korvettenkapitän"), "Korvettenkapitän");
    EXPECT_EQ(RankName(";x"), "");
}

}  // namespace
}  // namespace seewolf
