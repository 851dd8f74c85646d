#include "demo/demo.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "app/locate.h"
#include "app/profile_file.h"
#include "picture/tga.h"
#include "platform/encoding.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "reports/template.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

fs::path FromUtf8(std::string_view text) {
    return platform::PathFromUtf8(text);
}

std::string Utf8(const fs::path& path) {
    return platform::Utf8FromPath(path);
}

std::string BeforeSemicolon(const std::string& text) {
    std::string cut = text.substr(0, text.find(';'));
    while (!cut.empty() && cut.back() == ' ') {
        cut.pop_back();
    }
    return cut;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Section(std::string_view prefix, int n) {
    std::string digits = std::to_string(n);
    while (digits.size() < 3) {
        digits.insert(digits.begin(), '0');
    }
    return std::string(prefix) + digits;
}

using Ymd = std::tuple<int, int, int>;

Ymd DateOf(const ProfileFile& file, const std::string& section, const std::string& prefix) {
    const Ymd date{file.ReadInteger(section, prefix + "Year", -1),
                   file.ReadInteger(section, prefix + "Month", -1),
                   file.ReadInteger(section, prefix + "Day", -1)};
    const std::chrono::year_month_day ymd{std::chrono::year{std::get<0>(date)},
                                          std::chrono::month{static_cast<unsigned>(std::get<1>(date))},
                                          std::chrono::day{static_cast<unsigned>(std::get<2>(date))}};
    EXPECT_TRUE(ymd.ok()) << file.Path() << " [" << section << "] " << prefix;
    EXPECT_GE(std::get<0>(date), 1939);
    EXPECT_LE(std::get<0>(date), 1945);
    return date;
}

// The items of a comma text as Seewolf stores its career history records.
std::vector<std::string> CommaItems(const std::string& text) {
    std::vector<std::string> items;
    std::size_t i = 0;
    while (i <= text.size()) {
        std::string item;
        if (i < text.size() && text[i] == '"') {
            ++i;
            while (i < text.size() && !(text[i] == '"' && (i + 1 >= text.size() || text[i + 1] != '"'))) {
                item += text[i];
                i += text[i] == '"' ? 2 : 1;
            }
            ++i;
        } else {
            while (i < text.size() && text[i] != ',') {
                item += text[i++];
            }
        }
        items.push_back(item);
        if (i >= text.size()) {
            break;
        }
        ++i;  // the comma
    }
    return items;
}

std::vector<fs::path> Saves(const fs::path& folder) {
    std::vector<fs::path> saves;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.is_regular_file() && entry.path().extension() == ".sav") {
            saves.push_back(entry.path());
        }
    }
    return saves;
}

// A file time as the local wall-clock time (year, month, day, hour, minute) the game notes.
std::tuple<int, int, int, int, int> LocalTimeOf(fs::file_time_type time) {
    const auto system = std::chrono::file_clock::to_sys(time);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(system));
    const std::tm tm = *std::localtime(&seconds);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min};
}

const std::vector<const char*> kAllCareers = {
    demo::DemoCareers::InHomeBase,  demo::DemoCareers::InOtherBase, demo::DemoCareers::AtSea,
    demo::DemoCareers::Lost,        demo::DemoCareers::Retired,     demo::DemoCareers::Surrendered,
    demo::DemoCareers::FirstPatrol, demo::DemoCareers::AtSeaNoGrid, demo::DemoCareers::InBaseNoGrid,
    demo::DemoCareers::EarlyWar,    demo::DemoCareers::NotListed};

// One world for the read-only checks, written once.
class DemoWorldTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_folder = new TempFolder();
        demo::DemoOptions options;
        options.root = s_folder->Path();
        options.programSource = SEEWOLF_CONTENT_DIR;
        options.patrolLogEditor = true;
        s_world = new demo::DemoWorld(demo::WriteDemoInstallation(options));
    }
    static void TearDownTestSuite() {
        delete s_world;
        delete s_folder;
    }

    static const demo::DemoWorld& World() { return *s_world; }
    static fs::path SaveFolder() { return World().documents / "SH3" / "data" / "Cfg"; }
    static fs::path CareerFolder(std::string_view name) { return SaveFolder() / "Careers" / FromUtf8(name); }
    static ProfileFile Menu(std::string_view language) {
        return ProfileFile(World().game / "data" / "Menu" / (std::string(language) + "_menu.txt"));
    }
    static ProfileFile GameCfg(std::string_view name) {
        return ProfileFile(World().game / "data" / "Cfg" / name);
    }
    static ProfileFile Settings() { return ProfileFile(World().program / "Seewolf.ini"); }
    static ProfileFile Patrols(std::string_view name) {
        return ProfileFile(CareerFolder(name) / "Patrols_0.cfg");
    }
    // The crew roster: Crew_Career_<completed patrols>0.cfg.
    static fs::path RosterPath(std::string_view name) {
        const int n = Patrols(name).ReadInteger("INIT", "Patrols", -1);
        return CareerFolder(name) / ("Crew_Career_" + std::to_string(n) + "0.cfg");
    }

  private:
    static TempFolder* s_folder;
    static demo::DemoWorld* s_world;
};

TempFolder* DemoWorldTest::s_folder = nullptr;
demo::DemoWorld* DemoWorldTest::s_world = nullptr;

TEST_F(DemoWorldTest, FoldersEndWithSeparatorAndSettingsPointAtThem) {
    for (const fs::path& folder : {World().game, World().documents, World().program}) {
        EXPECT_FALSE(folder.has_filename()) << folder;
        EXPECT_TRUE(folder.is_absolute()) << folder;
        EXPECT_TRUE(fs::is_directory(folder)) << folder;
    }
    EXPECT_EQ(Settings().ReadString("SETTINGS", "SH3Location", ""), Cp1252FromUtf8(Utf8(World().game)));
    EXPECT_EQ(Settings().ReadString("SETTINGS", "DocsLocation", ""), Cp1252FromUtf8(Utf8(World().documents)));
    EXPECT_TRUE(fs::is_regular_file(World().game / "sh3.exe"));
    EXPECT_EQ(ProfileFile(SaveFolder() / "main.cfg").ReadInteger("SETTINGS", "TextsLanguage", -1), 0);
}

TEST_F(DemoWorldTest, FileManagerNamesTheSaveFolder) {
    const std::string dll = ReadText(World().game / "FileManager.dll");
    ASSERT_GT(dll.size(), 38524u);
    EXPECT_EQ(dll.substr(38520, 4), std::string("SH3\0", 4));
    EXPECT_EQ(dll.substr(0, 2), "MZ");
    EXPECT_GT(std::count_if(dll.begin(), dll.end(), [](char c) { return c != '\0'; }), 40000);
    EXPECT_EQ(ReadSaveName(World().game), "SH3");
    EXPECT_TRUE(fs::is_directory(World().documents / "SH3" / "data" / "Cfg" / "Careers"));
}

TEST_F(DemoWorldTest, MenuTablesAreWindowsTextWithUniqueKeysInEveryLanguage) {
    for (const char* language : {"en", "de", "fr"}) {
        const std::string bytes = ReadText(Menu(language).Path());
        SCOPED_TRACE(language);
        // CR LF line ends only; Windows-1252, so no UTF-8 lead bytes of accented letters.
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n') {
                ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
            }
        }
        EXPECT_EQ(bytes.find("\xC3"), std::string::npos);
        EXPECT_NE(bytes.find('\xE4'), std::string::npos);  // the ä of Kapitänleutnant

        // A key given twice would hide its second text from every reader.
        std::set<std::string> keys;
        std::size_t start = 0;
        while (start < bytes.size()) {
            const std::size_t end = bytes.find("\r\n", start);
            const std::string line = bytes.substr(start, end - start);
            start = end == std::string::npos ? bytes.size() : end + 2;
            if (const std::size_t eq = line.find('='); eq != std::string::npos) {
                EXPECT_TRUE(keys.insert(line.substr(0, eq)).second) << "twice: " << line;
            }
        }
    }

    const ProfileFile en = Menu("en");
    const ProfileFile de = Menu("de");
    const ProfileFile fr = Menu("fr");
    // Week days, crew grades, commander ranks 10..19, year notes and the crew texts, in every table.
    std::vector<int> numbers;
    for (const auto& [first, last] : std::vector<std::pair<int, int>>{{1400, 1406},
                                                                      {160, 168},
                                                                      {170, 179},
                                                                      {260, 266},
                                                                      {330, 338},
                                                                      {360, 373},
                                                                      {636, 644},
                                                                      {1988, 1997}}) {
        for (int n = first; n <= last; ++n) {
            numbers.push_back(n);
        }
    }
    for (const int n : numbers) {
        const std::string key = std::to_string(n);
        EXPECT_NE(en.ReadString("STRINGS", key, ""), "") << n;
        EXPECT_NE(de.ReadString("STRINGS", key, ""), "") << n;
        EXPECT_NE(fr.ReadString("STRINGS", key, ""), "") << n;
    }
    // Translated, not copied.
    EXPECT_NE(en.ReadString("STRINGS", "1400", ""), de.ReadString("STRINGS", "1400", ""));
    EXPECT_NE(de.ReadString("STRINGS", "1400", ""), fr.ReadString("STRINGS", "1400", ""));
    EXPECT_NE(en.ReadString("STRINGS", "263", ""), fr.ReadString("STRINGS", "263", ""));
    // Rank names carry remarks after ";" that readers cut off.
    EXPECT_EQ(BeforeSemicolon(de.ReadString("STRINGS", "171", "")), "Kapit\xE4nleutnant");
    EXPECT_NE(de.ReadString("STRINGS", "171", "").find(';'), std::string::npos);
}

// The report texts of the program's own tables: every one there in each language, the sentence
// templates filled with exactly the values the reports give them, the plain texts free of "%".
TEST_F(DemoWorldTest, ReportTextsOfTheProgramTablesFitTheirValues) {
    using reports::TemplateValue;
    const std::vector<TemplateValue> name = {std::string("Wilhelm Dorn")};
    const std::vector<TemplateValue> ending = {std::string("Kapit\xE4nleutnant"), std::string("Karl Vogel"),
                                               std::string("U-59"), std::string("25JAN40")};
    const std::vector<TemplateValue> hull = {86.5};
    std::vector<int> numbers;
    for (const auto& [first, last] : std::vector<std::pair<int, int>>{
             {13, 66}, {68, 118}, {120, 130}, {180, 190}, {195, 220}, {240, 243}}) {
        for (int n = first; n <= last; ++n) {
            numbers.push_back(n);
        }
    }
    const ProfileFile english(World().program / "Seewolf_en.txt");
    for (const char* language : {"en", "de", "fr"}) {
        const ProfileFile table(World().program / ("Seewolf_" + std::string(language) + ".txt"));
        const std::string bytes = ReadText(table.Path());
        EXPECT_EQ(bytes.find("\xC3"), std::string::npos) << language;  // Windows-1252, not UTF-8
        std::set<std::string> sentences;
        for (const int n : numbers) {
            SCOPED_TRACE(std::string(language) + " program text " + std::to_string(n));
            const std::string text = table.ReadString("STRINGS", std::to_string(n), "");
            ASSERT_NE(text, "");
            const bool sentence = (n >= 13 && n <= 66) || (n >= 68 && n <= 118);
            const std::vector<TemplateValue>* values = sentence               ? &name
                                                       : n == 218 || n == 219 ? &ending
                                                       : n == 213             ? &hull
                                                                              : nullptr;
            if (values == nullptr) {
                EXPECT_EQ(text.find('%'), std::string::npos) << text;
                continue;
            }
            std::string filled;
            ASSERT_NO_THROW(filled =
                                reports::FillTemplate(text, *values, "program text " + std::to_string(n)))
                << text;
            // Each value shows: a template that left one out would drop the commander's name.
            for (const TemplateValue& value : *values) {
                const std::string shown =
                    std::holds_alternative<double>(value) ? "86.5%" : std::get<std::string>(value);
                EXPECT_NE(filled.find(shown), std::string::npos) << filled;
            }
            if (sentence) {
                EXPECT_TRUE(sentences.insert(text).second) << "twice: " << text;
                if (language != std::string("en")) {
                    EXPECT_NE(text, english.ReadString("STRINGS", std::to_string(n), "")) << "not translated";
                }
            }
        }
    }
}

// Every picture the report pages link, in the size the pages give it (a GIF's size is in its header).
TEST_F(DemoWorldTest, ReportPicturesHaveTheSizesThePagesGiveThem) {
    std::map<std::string, std::pair<int, int>> sizes;
    for (int r = 0; r <= 16; ++r) {
        sizes["rank" + std::to_string(r) + ".gif"] = {12, 32};
    }
    for (int m = 0; m <= 10; ++m) {
        sizes["medal" + std::to_string(m) + ".gif"] = {32, 32};
    }
    sizes["medal6.gif"] = {48, 14};
    sizes["medal7.gif"] = {26, 20};
    sizes["medal8.gif"] = {18, 18};
    for (int q = 0; q <= 8; ++q) {
        sizes["qual" + std::to_string(q) + ".gif"] = {22, 22};
    }
    const fs::path folder = World().program / "Personnel Files";
    for (const auto& [name, size] : sizes) {
        const std::string bytes = ReadText(folder / name);
        ASSERT_GE(bytes.size(), 10u) << name;
        const auto word = [&](std::size_t at) {
            return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
        };
        EXPECT_EQ(bytes.substr(0, 6), "GIF89a") << name;
        EXPECT_EQ(std::make_pair(word(6), word(8)), size) << name;
    }
    const std::string background = ReadText(folder / "background.jpg");
    EXPECT_EQ(background.substr(0, 2), "\xFF\xD8");
    EXPECT_LT(background.size(), 60u * 1024u);
}

TEST_F(DemoWorldTest, FlotillasPortsAndBoatTypesHaveTheirTexts) {
    const ProfileFile flotillas = GameCfg("Flotilla.cfg");
    const ProfileFile basic = GameCfg("Basic.cfg");
    const int count = flotillas.ReadInteger("FLOTILLA", "NbFlotilla", 0);
    ASSERT_GE(count, 5);
    bool someYearClosed = false;
    bool starts1945 = false;
    bool movesBase = false;
    int firstMonth1939 = 9;
    for (const char* language : {"en", "de", "fr"}) {
        const ProfileFile menu = Menu(language);
        for (int f = 0; f < count; ++f) {
            const std::string i = std::to_string(f);
            const int id = flotillas.ReadInteger("FLOTILLA", "Flotilla" + i, 0);
            SCOPED_TRACE(std::string(language) + " flotilla " + std::to_string(id));
            EXPECT_NE(menu.ReadString("STRINGS", std::to_string(id), ""), "");
            EXPECT_NE(menu.ReadString("STRINGS", std::to_string(id - 632), ""), "");
            EXPECT_NE(menu.ReadString("STRINGS", std::to_string(id + 198), ""), "");

            const int bases = flotillas.ReadInteger("FLOTILLA", "NbBases" + i, 0);
            ASSERT_GE(bases, 1);
            movesBase = movesBase || bases > 1;
            int previousEnd = 0;
            for (int b = 0; b < bases; ++b) {
                const std::string ib = i + "_" + std::to_string(b);
                const std::string base = BeforeSemicolon(flotillas.ReadString("FLOTILLA", "Base" + ib, ""));
                EXPECT_NE(menu.ReadString("STRINGS", base, ""), "") << base;
                const int from = flotillas.ReadInteger("FLOTILLA", "Date" + ib + "_0", 0) * 12 +
                                 flotillas.ReadInteger("FLOTILLA", "Month" + ib + "_0", 0);
                const int until = flotillas.ReadInteger("FLOTILLA", "Date" + ib + "_1", 0) * 12 +
                                  flotillas.ReadInteger("FLOTILLA", "Month" + ib + "_1", 0);
                EXPECT_LE(from, until);
                EXPECT_GT(from, previousEnd);
                previousEnd = until;
            }

            const int starts = flotillas.ReadInteger("FLOTILLA", "NbStartingDate" + i, 0);
            ASSERT_GE(starts, 1);
            for (int k = 0; k < starts; ++k) {
                const std::string ik = i + std::to_string(k);
                const int year = flotillas.ReadInteger("FLOTILLA", "Date" + ik, 0);
                const bool starting = Lower(flotillas.ReadString("FLOTILLA", "Starting" + ik, "")) == "yes";
                someYearClosed = someYearClosed || !starting;
                starts1945 = starts1945 || (starting && year == 1945);
                if (k == 0 && starting && year == 1939) {
                    firstMonth1939 =
                        std::min(firstMonth1939, flotillas.ReadInteger("FLOTILLA", "Month" + ik, 0));
                }
                // Every patrol grid a random draw can pick is there.
                for (const char* month : {"Jan", "Febr", "Sept", "Dec"}) {
                    for (const char* ab : {"00", "24"}) {
                        EXPECT_EQ(flotillas.ReadString("FLOTILLA", month + ik + ab, "").size(), 4u)
                            << month << ik << ab;
                    }
                }
            }

            const int types = flotillas.ReadInteger("FLOTILLA", "NbUboats" + i, 0);
            ASSERT_GE(types, 1);
            for (int j = 0; j < types; ++j) {
                const std::string type = BeforeSemicolon(
                    flotillas.ReadString("FLOTILLA", "Uboat" + i + "_" + std::to_string(j), ""));
                const std::string versions =
                    BeforeSemicolon(basic.ReadString("SUBMARINE" + type, "NbVersion", ""));
                EXPECT_GE(std::stoi(versions), 1) << type;
            }
        }
    }
    EXPECT_TRUE(someYearClosed);
    EXPECT_TRUE(starts1945);
    EXPECT_TRUE(movesBase);
    EXPECT_EQ(firstMonth1939, 9);

    bool slashName = false;
    for (int type = 0; basic.SectionExists("SUBMARINE" + std::to_string(type)); ++type) {
        const std::string section = "SUBMARINE" + std::to_string(type);
        const int versions = std::stoi(BeforeSemicolon(basic.ReadString(section, "NbVersion", "0")));
        for (int v = 0; v < versions; ++v) {
            const std::string name = basic.ReadString(section, "Name" + std::to_string(v), "");
            EXPECT_NE(name, "");
            slashName = slashName || name.find('/') != std::string::npos;
        }
    }
    EXPECT_TRUE(slashName);
}

TEST_F(DemoWorldTest, EveryCareerHasItsFilesAndOnlyTheEmptyOneIsUnlisted) {
    std::set<std::string> listed;
    for (const auto& entry : fs::directory_iterator(SaveFolder() / "Careers")) {
        const ProfileFile patrols(entry.path() / "Patrols_0.cfg");
        if (patrols.ReadInteger("INIT", "Patrols", -1) > 0 || !Saves(entry.path() / "0").empty()) {
            listed.insert(Utf8(entry.path().filename()));
        }
    }
    for (const char* name : kAllCareers) {
        SCOPED_TRACE(name);
        for (const char* file : {"Patrols_0.cfg", "Patrols.cfg", "Careers_0.cfg", "Careers.cfg"}) {
            EXPECT_TRUE(fs::is_regular_file(CareerFolder(name) / file)) << file;
        }
        EXPECT_EQ(listed.count(name), name == std::string(demo::DemoCareers::NotListed) ? 0u : 1u);
        const ProfileFile current(CareerFolder(name) / "Careers_0.cfg");
        const int n = ProfileFile(CareerFolder(name) / "Patrols_0.cfg").ReadInteger("INIT", "Patrols", -1);
        EXPECT_EQ(current.ReadString(Section("CAREER ", n), "PlayerName", ""), Cp1252FromUtf8(name));
        EXPECT_EQ(current.ReadInteger(Section("CAREER ", 0), "PlayerRank", -1), 10);
    }
    // The unlisted career has a save folder, but no saved game in it.
    EXPECT_TRUE(fs::is_directory(CareerFolder(demo::DemoCareers::NotListed) / "0"));
    EXPECT_TRUE(Saves(CareerFolder(demo::DemoCareers::NotListed) / "0").empty());
    EXPECT_EQ(ProfileFile(CareerFolder(demo::DemoCareers::FirstPatrol) / "Patrols_0.cfg")
                  .ReadInteger("INIT", "Patrols", -1),
              0);
}

TEST_F(DemoWorldTest, CareersAreInTheStatesTheirNamesSay) {
    struct Expected {
        const char* name;
        std::optional<bool> warOver;  // nullopt: not finished
        bool atSea;
        bool otherBase;
        std::string surrenderFlag;  // "" when Seewolf keeps no record
    };
    const std::vector<Expected> expected = {
        {demo::DemoCareers::InHomeBase, std::nullopt, false, false, "0"},
        {demo::DemoCareers::InOtherBase, std::nullopt, false, true, "0"},
        {demo::DemoCareers::AtSea, std::nullopt, true, false, "0"},
        {demo::DemoCareers::Lost, false, false, false, "0"},
        {demo::DemoCareers::Retired, true, false, false, "0"},
        {demo::DemoCareers::Surrendered, false, false, false, "1"},
        {demo::DemoCareers::FirstPatrol, std::nullopt, true, false, ""},
        {demo::DemoCareers::AtSeaNoGrid, std::nullopt, true, false, "0"},
        {demo::DemoCareers::InBaseNoGrid, std::nullopt, false, false, "0"},
        {demo::DemoCareers::EarlyWar, std::nullopt, false, false, "0"},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        const fs::path folder = CareerFolder(e.name);
        const int n = ProfileFile(folder / "Patrols_0.cfg").ReadInteger("INIT", "Patrols", -1);
        ASSERT_GE(n, 0);
        if (n > 0) {
            const ProfileFile history(folder / "Careers.cfg");
            const std::string last = Section("CAREER ", n - 1);
            EXPECT_EQ(Lower(history.ReadString(last, "Finished", "false")) == "true", e.warOver.has_value());
            if (e.warOver) {
                EXPECT_EQ(Lower(history.ReadString(last, "WarOver", "false")) == "true", *e.warOver);
            }
        }
        EXPECT_EQ(!Saves(folder / std::to_string(n)).empty(), e.atSea);
        const int port =
            ProfileFile(folder / "Careers_0.cfg").ReadInteger(Section("CAREER ", n), "CrtPort", -2);
        if (e.otherBase) {
            EXPECT_EQ(port, -1);
        } else {
            EXPECT_NE(Menu("en").ReadString("STRINGS", std::to_string(port), ""), "") << port;
        }

        const std::string record = Settings().ReadString("CAREER DETAILS", Cp1252FromUtf8(e.name), "");
        if (e.surrenderFlag.empty()) {
            EXPECT_EQ(record, "");
        } else {
            const std::vector<std::string> items = CommaItems(record);
            ASSERT_EQ(items.size(), 12u) << record;
            EXPECT_EQ(items[11], e.surrenderFlag);
            EXPECT_EQ(items[3].substr(0, 5), "01APR");
        }
    }
}

TEST_F(DemoWorldTest, PatrolDatesFollowEachOtherAndMatchTheGameData) {
    const ProfileFile flotillas = GameCfg("Flotilla.cfg");
    const ProfileFile basic = GameCfg("Basic.cfg");
    const int flotillaCount = flotillas.ReadInteger("FLOTILLA", "NbFlotilla", 0);
    for (const char* name : kAllCareers) {
        SCOPED_TRACE(name);
        const ProfileFile planned(CareerFolder(name) / "Patrols_0.cfg");
        const ProfileFile done(CareerFolder(name) / "Patrols.cfg");
        const int n = planned.ReadInteger("INIT", "Patrols", -1);
        Ymd previousEnd{1939, 1, 1};
        for (int p = 0; p <= n; ++p) {
            const std::string section = Section("PATROL ", p);
            const Ymd start = DateOf(planned, section, "Start");
            EXPECT_GE(start, previousEnd) << section;
            if (p < n) {
                EXPECT_EQ(DateOf(done, section, "Start"), start);
                previousEnd = DateOf(done, section, "End");
                EXPECT_GE(previousEnd, start) << section;
            }

            // The boat and the port fit the flotilla at that date.
            const int id = planned.ReadInteger(section, "Flotilla", -1);
            const std::string port = planned.ReadString(section, "StartLocation", "");
            const int month = std::get<0>(start) * 12 + std::get<1>(start);
            bool portFits = false;
            for (int f = 0; f < flotillaCount; ++f) {
                const std::string i = std::to_string(f);
                if (flotillas.ReadInteger("FLOTILLA", "Flotilla" + i, 0) != id) {
                    continue;
                }
                for (int b = 0; b < flotillas.ReadInteger("FLOTILLA", "NbBases" + i, 0); ++b) {
                    const std::string ib = i + "_" + std::to_string(b);
                    const int from = flotillas.ReadInteger("FLOTILLA", "Date" + ib + "_0", 0) * 12 +
                                     flotillas.ReadInteger("FLOTILLA", "Month" + ib + "_0", 0);
                    const int until = flotillas.ReadInteger("FLOTILLA", "Date" + ib + "_1", 0) * 12 +
                                      flotillas.ReadInteger("FLOTILLA", "Month" + ib + "_1", 0);
                    portFits = portFits ||
                               (BeforeSemicolon(flotillas.ReadString("FLOTILLA", "Base" + ib, "")) == port &&
                                from <= month && month <= until);
                }
            }
            EXPECT_TRUE(portFits) << section << " flotilla " << id << " port " << port;
            const std::string type = "SUBMARINE" + planned.ReadString(section, "SubType", "");
            const std::string version = planned.ReadString(section, "SubVersion", "");
            EXPECT_NE(basic.ReadString(type, "Name" + version, ""), "") << section;
            EXPECT_LE(basic.ReadInteger(type, "Year" + version, 9999) * 12 +
                          basic.ReadInteger(type, "Month" + version, 0),
                      month)
                << section;
        }
    }
}

TEST_F(DemoWorldTest, NewestSaveAtSeaIsDecidedByItsTime) {
    const fs::path folder = CareerFolder(demo::DemoCareers::AtSea);
    const ProfileFile planned(folder / "Patrols_0.cfg");
    const int n = planned.ReadInteger("INIT", "Patrols", -1);
    std::vector<fs::path> saves = Saves(folder / std::to_string(n));
    ASSERT_GE(saves.size(), 2u);
    std::sort(saves.begin(), saves.end());
    std::map<fs::file_time_type, fs::path> byTime;
    for (const fs::path& save : saves) {
        EXPECT_TRUE(byTime.emplace(fs::last_write_time(save), save).second) << "same time: " << save;
        EXPECT_TRUE(fs::is_regular_file(fs::path(save).replace_extension(".psc"))) << save;
    }
    const fs::path newest = byTime.rbegin()->second;
    // Neither the first nor the last name is the newest: a reader has to compare the times.
    EXPECT_NE(newest, saves.back());

    const std::string grid = ProfileFile(fs::path(newest).replace_extension(".psc"))
                                 .ReadString("PLAYER_SUBMARINE", "PatrolArea", "NULL");
    ASSERT_EQ(grid.size(), 4u) << grid;
    EXPECT_TRUE(std::isupper(static_cast<unsigned char>(grid[0])) &&
                std::isupper(static_cast<unsigned char>(grid[1])));
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(grid[2])) &&
                std::isdigit(static_cast<unsigned char>(grid[3])));
    for (const fs::path& save : saves) {
        if (save != newest) {
            EXPECT_NE(ProfileFile(fs::path(save).replace_extension(".psc"))
                          .ReadString("PLAYER_SUBMARINE", "PatrolArea", ""),
                      grid);
        }
    }

    // The times are part of the world, not of the moment it was written.
    TempFolder other;
    demo::DemoOptions options;
    options.root = other.Path();
    const demo::DemoWorld again = demo::WriteDemoInstallation(options);
    for (const auto& [time, save] : byTime) {
        const fs::path copy = again.documents / save.lexically_relative(World().documents);
        EXPECT_EQ(fs::last_write_time(copy), time) << copy;
    }

    // The game noted its last save of the career before the saves were made at sea.
    const std::string section = Section("PATROL ", n);
    const auto noted = std::make_tuple(
        planned.ReadInteger(section, "RealYear", -1), planned.ReadInteger(section, "RealMonth", -1),
        planned.ReadInteger(section, "RealDay", -1), planned.ReadInteger(section, "RealHour", -1),
        planned.ReadInteger(section, "RealMin", -1));
    EXPECT_LT(noted, LocalTimeOf(byTime.begin()->first));
}

TEST_F(DemoWorldTest, CareersWithoutGridsAndTheLatestCareer) {
    // At sea: the newest save names no patrol grid, an older one does.
    const fs::path atSea = CareerFolder(demo::DemoCareers::AtSeaNoGrid);
    const int n = ProfileFile(atSea / "Patrols_0.cfg").ReadInteger("INIT", "Patrols", -1);
    std::vector<fs::path> saves = Saves(atSea / std::to_string(n));
    ASSERT_GE(saves.size(), 2u);
    std::sort(saves.begin(), saves.end(), [](const fs::path& a, const fs::path& b) {
        return fs::last_write_time(a) < fs::last_write_time(b);
    });
    const auto grid = [](const fs::path& save) {
        return ProfileFile(fs::path(save).replace_extension(".psc"))
            .ReadString("PLAYER_SUBMARINE", "PatrolArea", "");
    };
    EXPECT_EQ(grid(saves.back()), "");
    EXPECT_EQ(grid(saves.front()).size(), 4u);

    // In base: the next patrol has no grid yet.
    const ProfileFile inBase(CareerFolder(demo::DemoCareers::InBaseNoGrid) / "Patrols_0.cfg");
    const std::string next = Section("PATROL ", inBase.ReadInteger("INIT", "Patrols", -1));
    EXPECT_EQ(inBase.ReadString(next, "PatrolArea", ""), "NULL");

    // Some career sails a boat whose type name holds a "/".
    bool slashBoat = false;
    for (const char* name : kAllCareers) {
        const ProfileFile planned(CareerFolder(name) / "Patrols_0.cfg");
        const std::string current = Section("PATROL ", planned.ReadInteger("INIT", "Patrols", -1));
        const std::string type = GameCfg("Basic.cfg")
                                     .ReadString("SUBMARINE" + planned.ReadString(current, "SubType", ""),
                                                 "Name" + planned.ReadString(current, "SubVersion", ""), "");
        slashBoat = slashBoat || type.find('/') != std::string::npos;
    }
    EXPECT_TRUE(slashBoat);

    // The demo opens on a career that exists.
    const std::string latest = Settings().ReadString("LATEST CAREER", "CAREER", "");
    EXPECT_EQ(latest, Cp1252FromUtf8(demo::DemoCareers::Latest));
    EXPECT_TRUE(fs::is_regular_file(CareerFolder(demo::DemoCareers::Latest) / "Patrols_0.cfg"));
}

// What the reports read: a log per completed patrol that agrees with its patrol record, ship
// classes that the game's names files and the program's ship names know, and the aces table.
TEST_F(DemoWorldTest, PatrolLogsShipNamesAndAcesAgreeWithTheCareers) {
    const std::string sunk = "Ship sunk!";
    const std::string aircraft = "Aircraft destroyed!";
    ASSERT_EQ(Menu("en").ReadString("STRINGS", "4180", "").substr(0, sunk.size() + 1), sunk + "|");
    ASSERT_EQ(Menu("en").ReadString("STRINGS", "4181", "").substr(0, aircraft.size() + 1), aircraft + "|");

    // Display name -> class identifier, data/Sea before data/Submarine; German files name the same classes.
    std::map<std::string, std::string> classes;
    for (const char* folder : {"Sea", "Submarine"}) {
        const ProfileFile english(World().game / "data" / folder / "EnglishNames.cfg");
        const ProfileFile german(World().game / "data" / folder / "GermanNames.cfg");
        EXPECT_EQ(english.ReadSection("Names"), german.ReadSection("Names")) << folder;
        for (const std::string& id : english.ReadSection("Names")) {
            if (const std::string name = english.ReadString("Names", id, ""); !name.empty()) {
                classes[name] = id;
            }
        }
    }
    const ProfileFile shipNames(World().program / "Cfg" / "Ship names.cfg");
    std::set<std::string> classesSunk;
    bool longLogEndsInPort = false;
    bool marked = false;
    for (const char* name : kAllCareers) {
        const ProfileFile done(CareerFolder(name) / "Patrols.cfg");
        const int patrols = Patrols(name).ReadInteger("INIT", "Patrols", -1);
        const ProfileFile history(CareerFolder(name) / "Careers.cfg");
        const std::string lastRecord = Section("CAREER ", patrols - 1);
        const bool lost = Lower(history.ReadString(lastRecord, "Finished", "")) == "true" &&
                          Lower(history.ReadString(lastRecord, "WarOver", "")) == "false";
        for (int n = 0; n < patrols; ++n) {
            SCOPED_TRACE(std::string(name) + " Log_" + std::to_string(n));
            const std::string section = Section("PATROL ", n);
            const ProfileFile log(CareerFolder(name) / ("Log_" + std::to_string(n) + ".cfg"));
            const std::vector<std::string> entries = log.ReadSections();
            ASSERT_GE(entries.size(), 3u);
            const auto [y0, m0, d0] = DateOf(done, section, "Start");
            const auto [y1, m1, d1] = DateOf(done, section, "End");
            const int start = y0 * 10000 + m0 * 100 + d0;
            const int end = y1 * 10000 + m1 * 100 + d1;
            int ships = 0;
            int planes = 0;
            long long tonnage = 0;
            std::pair<int, int> previous{0, -1};
            for (std::size_t k = 0; k < entries.size(); ++k) {
                ASSERT_EQ(entries[k], "Log Entry " + std::to_string(k));
                const std::string text = log.ReadString(entries[k], "EntryText", "");
                const std::pair<int, int> when{log.ReadInteger(entries[k], "Date", 0),
                                               log.ReadInteger(entries[k], "Time", -1)};
                EXPECT_TRUE(when.first >= start && when.first <= end && when > previous) << entries[k];
                EXPECT_TRUE(when.second >= 0 && when.second % 100 < 60 && when.second < 2400) << entries[k];
                previous = when;
                marked = marked ||
                         (log.ReadBool(entries[k], "Seewolf", false) && text.find('|') != std::string::npos);
                if (text.rfind(aircraft + "|", 0) == 0) {
                    ++planes;
                }
                if (text.rfind(sunk + "|", 0) != 0) {
                    continue;
                }
                // "Ship sunk!|<grid>|<class> <GRT> GRT[|...]"
                ++ships;
                const std::string what = text.substr(text.find('|', sunk.size() + 1) + 1);
                const std::string ship = what.substr(0, what.find('|'));
                const std::size_t blank = ship.rfind(' ', ship.size() - 5);
                ASSERT_NE(blank, std::string::npos) << text;
                tonnage += std::stoll(ship.substr(blank + 1));
                const std::string display = ship.substr(0, blank);
                ASSERT_EQ(classes.count(display), 1u) << text;
                classesSunk.insert(classes[display]);
            }
            EXPECT_EQ(ships, done.ReadInteger(section, "ShipsSunkNb", -1));
            EXPECT_EQ(planes, done.ReadInteger(section, "PlanesDownNb", -1));
            EXPECT_EQ(static_cast<double>(tonnage), done.ReadFloat(section, "TonnageSunk", -1));
            const std::string last = log.ReadString(entries.back(), "EntryText", "");
            EXPECT_EQ(last.rfind("Returned to ", 0) == 0, !(lost && n == patrols - 1)) << last;
            longLogEndsInPort =
                longLogEndsInPort || (entries.size() > 256 && last.rfind("Returned to ", 0) == 0);
        }
    }
    EXPECT_TRUE(longLogEndsInPort);
    EXPECT_TRUE(marked);

    // Classes sunk: with names of their own, through the class map, and one without names.
    int own = 0;
    int mapped = 0;
    int without = 0;
    for (const std::string& id : classesSunk) {
        own += shipNames.SectionExists(id) ? 1 : 0;
        const std::string target = shipNames.ReadString("CLASSMAP", id, "");
        mapped += !target.empty() && shipNames.SectionExists(target) ? 1 : 0;
        without += !shipNames.SectionExists(id) && target.empty() ? 1 : 0;
    }
    EXPECT_GE(own, 5);
    EXPECT_GE(mapped, 1);
    EXPECT_EQ(without, 1);

    // Ship names: switches the profile layer reads as on, the numbered names after every other key,
    // cargo numbers within each list.
    EXPECT_TRUE(shipNames.ReadBool("SETTINGS", "AddText", false));
    EXPECT_TRUE(shipNames.ReadBool("TEXT", "AddAsNewLine", false));
    std::vector<std::size_t> cargoKinds;
    for (const char* language : {"en", "de", "fr"}) {
        const std::string list = shipNames.ReadString("TEXT", std::string("CargoTyps_") + language, "");
        cargoKinds.push_back(static_cast<std::size_t>(std::count(list.begin(), list.end(), ',')) + 1);
        EXPECT_NE(shipNames.ReadString("TEXT", std::string("CrewTxt_") + language, ""), "");
    }
    EXPECT_EQ(std::set<std::size_t>(cargoKinds.begin(), cargoKinds.end()).size(), 1u);
    for (const std::string& section : shipNames.ReadSections()) {
        if (section == "SETTINGS" || section == "CLASSMAP" || section == "TEXT") {
            continue;
        }
        SCOPED_TRACE(section);
        const std::vector<std::string> keys = shipNames.ReadSection(section);
        const auto first = std::find_if(keys.begin(), keys.end(), [](const std::string& k) {
            return std::isdigit(static_cast<unsigned char>(k[0]));
        });
        ASSERT_GE(keys.end() - first, 8);
        for (auto key = first; key != keys.end(); ++key) {
            EXPECT_EQ(*key, (key - first + 1 < 10 ? "000" : "00") + std::to_string(key - first + 1));
        }
        const std::string crew = shipNames.ReadString(section, "CrewRange", "");
        ASSERT_NE(crew.find('|'), std::string::npos);
        EXPECT_LT(std::stoi(crew), std::stoi(crew.substr(crew.find('|') + 1)));
        std::string cargo = shipNames.ReadString(section, "CargoTyp", "") + ",";
        for (std::size_t at = 0; cargo.size() > 1 && at < cargo.size(); at = cargo.find(',', at) + 1) {
            const int kind = std::stoi(cargo.substr(at));
            EXPECT_TRUE(kind >= 1 && static_cast<std::size_t>(kind) <= cargoKinds.front()) << kind;
        }
    }

    // Aces: each with successes in date order within the war.
    const ProfileFile aces = GameCfg("UboatAces.cfg");
    const int count = aces.ReadInteger("INIT", "Nb", 0);
    ASSERT_GE(count, 10);
    for (int i = 0; i < count; ++i) {
        const std::string item = "ITEM" + std::to_string(i);
        EXPECT_NE(aces.ReadString(item, "Name", ""), "") << item;
        const int values = aces.ReadInteger(item, "NbVal", 0);
        ASSERT_GE(values, 1) << item;
        Ymd previousDate{1939, 9, 1};
        for (int j = 0; j < values; ++j) {
            const std::string n = std::to_string(j);
            const Ymd date{aces.ReadInteger(item, "Date" + n, 0), aces.ReadInteger(item, "Month" + n, 0),
                           aces.ReadInteger(item, "Day" + n, 0)};
            EXPECT_TRUE(date > previousDate && std::get<0>(date) <= 1945) << item << " " << j;
            previousDate = date;
            EXPECT_GT(aces.ReadInteger(item, "Tonnage" + n, 0), 0) << item << " " << j;
        }
    }
}

// --- what a launch works on ----------------------------------------------------------------------

// The files below a folder, relative to it.
std::vector<fs::path> FilesBelow(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path().lexically_relative(folder));
        }
    }
    return files;
}

std::vector<std::string> SubFolders(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.is_directory()) {
            names.push_back(Utf8(entry.path().filename()));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Whether each component of `relative` below `folder` is there with exactly this spelling; the
// folder listings decide, since Windows finds a file in any letter case.
bool SpelledAsOnDisk(fs::path folder, const fs::path& relative) {
    for (const fs::path& part : relative) {
        bool found = false;
        for (const auto& entry : fs::directory_iterator(folder)) {
            found = found || entry.path().filename() == part;
        }
        if (!found) {
            return false;
        }
        folder /= part;
    }
    return true;
}

bool IsOwnerWritable(const fs::path& path) {
    return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

// The folders that mirror the game folder, as a launch installs them.
std::vector<fs::path> FileSetFolders(const fs::path& program) {
    std::vector<fs::path> sets;
    for (const char* kind : {"Flotilla", "U-boat", "Crew", "Date"}) {
        for (const std::string& name : SubFolders(program / kind)) {
            sets.push_back(program / kind / FromUtf8(name));
        }
    }
    for (const std::string& r : SubFolders(program / "Random")) {
        for (const std::string& date : SubFolders(program / "Random" / r / "Date")) {
            sets.push_back(program / "Random" / r / "Date" / date);
        }
    }
    return sets;
}

std::string Slot(int slot) {
    return "CREW_MEMBER_" + std::to_string(slot);
}

bool Occupied(const ProfileFile& roster, int slot) {
    return roster.ReadInteger(Slot(slot), "NrComp", -1) >= 0;
}

// The crew manager's suggestions 1 to 8 that a crewman's awards raise on a career's date.
std::set<int> Suggestions(const ProfileFile& roster, int slot, const std::string& date) {
    const std::string s = Slot(slot);
    auto held = [&](int award) {
        return roster.ReadInteger(s, "MedalsInx" + std::to_string(award), -1) >= 0;
    };
    const int patrols = roster.ReadInteger(s, "Patrols", 0);
    const int grade = roster.ReadInteger(s, "Grad", 0);
    std::set<int> raised;
    const auto add = [&](int id, bool condition) {
        if (condition) {
            raised.insert(id);
        }
    };
    add(1, !held(7) && date >= "19391013" && patrols > 1);
    add(2, held(6) && date < "19440515");
    add(3, held(2) && date < "19410928");
    add(4, !held(6) && date >= "19440515" && patrols > 0);
    add(5, !held(0) && patrols > 0);
    add(6, held(0) && (grade == 7 || grade == 8) && roster.ReadFloat(s, "Experience", 0.0) >= 500.0);
    add(7, held(7) && date < "19391013");
    add(8, held(8) && !held(7));
    return raised;
}

TEST_F(DemoWorldTest, CrewRostersHoldWhatTheCrewManagerMustCopeWith) {
    for (const char* name : kAllCareers) {
        SCOPED_TRACE(name);
        const bool listed = name != std::string(demo::DemoCareers::NotListed);
        ASSERT_EQ(fs::is_regular_file(RosterPath(name)), listed);
        if (listed) {
            int crew = 0;
            for (int slot = 0; slot <= 120; ++slot) {
                crew += Occupied(ProfileFile(RosterPath(name)), slot) ? 1 : 0;
            }
            EXPECT_GT(crew, 0);
        }
    }
    const ProfileFile full(RosterPath(demo::DemoCareers::InHomeBase));
    EXPECT_EQ(full.ReadSections().size(), 122u);  // 121 slots and a section no one reads
    EXPECT_EQ(full.ReadString("CREW_LOG", "Entries", ""), "121");
    EXPECT_LT(ProfileFile(RosterPath(demo::DemoCareers::InOtherBase)).ReadSections().size(), 10u);

    // Officers in slots 1, 10 and 11 of a Type II boat with only slots 3 and 7 free; slot 3 empty
    // by NrComp -1 with an old third qualification, slot 7 by a missing NrComp.
    const ProfileFile early(RosterPath(demo::DemoCareers::EarlyWar));
    EXPECT_EQ(Patrols(demo::DemoCareers::EarlyWar).ReadInteger("PATROL 001", "SubType", -1), 0);
    for (const int slot : {0, 1, 2, 4, 5, 6, 8, 9, 10, 11}) {
        EXPECT_TRUE(Occupied(early, slot)) << slot;
        EXPECT_GE(early.ReadInteger(Slot(slot), "Grad", -1), 6) << slot;
    }
    EXPECT_EQ(early.ReadString(Slot(3), "NrComp", ""), "-1");
    EXPECT_TRUE(early.ValueExists(Slot(3), "Qualification2"));
    EXPECT_TRUE(early.SectionExists(Slot(7)));
    EXPECT_FALSE(early.ValueExists(Slot(7), "NrComp"));
    EXPECT_TRUE(early.ValueExists(Slot(7), "Name"));

    // Compartment 8 on boat types 0 and 3; NrQual 0 with a stale Qualification0; a long name;
    // unknown keys; each suggestion raised on a career the crew manager may edit.
    std::set<int> typesWithCompartment8;
    bool staleQualification = false;
    bool longName = false;
    bool unknownKey = false;
    std::set<int> suggestions;
    for (const char* name : kAllCareers) {
        if (name == std::string(demo::DemoCareers::NotListed)) {
            continue;
        }
        const ProfileFile roster(RosterPath(name));
        const ProfileFile patrols = Patrols(name);
        const std::string current = Section("PATROL ", patrols.ReadInteger("INIT", "Patrols", -1));
        char date[16];
        std::snprintf(date, sizeof date, "%04d%02d%02d", patrols.ReadInteger(current, "StartYear", 0),
                      patrols.ReadInteger(current, "StartMonth", 0),
                      patrols.ReadInteger(current, "StartDay", 0));
        const bool atSea =
            !Saves(CareerFolder(name) / std::to_string(patrols.ReadInteger("INIT", "Patrols", -1))).empty();
        for (int slot = 0; slot <= 120; ++slot) {
            if (!Occupied(roster, slot)) {
                continue;
            }
            const std::string s = Slot(slot);
            if (roster.ReadInteger(s, "NrComp", -1) == 8) {
                typesWithCompartment8.insert(patrols.ReadInteger(current, "SubType", -1));
            }
            staleQualification = staleQualification || (roster.ReadInteger(s, "NrQual", -1) == 0 &&
                                                        roster.ValueExists(s, "Qualification0"));
            longName = longName || roster.ReadString(s, "Name", "").size() > 20;
            unknownKey = unknownKey || roster.ValueExists(s, "Nickname");
            if (!atSea) {
                const std::set<int> raised = Suggestions(roster, slot, date);
                suggestions.insert(raised.begin(), raised.end());
            }
        }
    }
    EXPECT_TRUE(typesWithCompartment8.count(0) == 1 && typesWithCompartment8.count(3) == 1);
    EXPECT_TRUE(staleQualification);
    EXPECT_TRUE(longName);
    EXPECT_TRUE(unknownKey);
    EXPECT_EQ(suggestions, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8}));

    // The faces 11 to 34 but one are readable pictures; an officer shows the missing one.
    std::vector<int> missing;
    const std::vector<int> faces = {11, 12, 13, 14, 21, 22, 23, 24, 31, 32, 33, 34};
    for (std::size_t k = 0; k < faces.size(); ++k) {
        const fs::path file =
            World().game / "data" / "Menu" / "Data" / "ofaces" / ("Off0" + std::to_string(faces[k]) + ".tga");
        if (!fs::exists(file)) {
            missing.push_back(static_cast<int>(k));
            continue;
        }
        std::string error = "not read";
        const Bitmap face = LoadTGA(file, &error);
        EXPECT_EQ(error, "") << file;
        EXPECT_GT(face.width, 16) << file;
        EXPECT_GT(face.height, 16) << file;
    }
    ASSERT_EQ(missing.size(), 1u);
    bool shown = false;
    for (int slot = 0; slot < 12; ++slot) {
        const int index = full.ReadInteger(Slot(slot), "Index", -1);
        shown = shown || (Occupied(full, slot) && full.ReadInteger(Slot(slot), "Grad", 0) >= 6 &&
                          index >= 0 && index < 24 && index % 12 == missing.front());
    }
    EXPECT_TRUE(shown);
}

TEST_F(DemoWorldTest, FileSetsAreNamedAsTheLaunchLooksThemUp) {
    const fs::path program = World().program;
    const ProfileFile flotillas = GameCfg("Flotilla.cfg");
    std::set<std::string> ids;
    for (int f = 0; f < flotillas.ReadInteger("FLOTILLA", "NbFlotilla", 0); ++f) {
        ids.insert(flotillas.ReadString("FLOTILLA", "Flotilla" + std::to_string(f), ""));
    }
    const std::vector<std::string> flotillaSets = SubFolders(program / "Flotilla");
    EXPECT_GE(flotillaSets.size(), 2u);
    for (const std::string& id : flotillaSets) {
        EXPECT_EQ(ids.count(id), 1u) << id;
    }

    // Boat type sets: a type name of Basic.cfg without its "/".
    const ProfileFile basic = GameCfg("Basic.cfg");
    std::map<std::string, std::string> typeFolders;
    for (int type = 0; basic.SectionExists("SUBMARINE" + std::to_string(type)); ++type) {
        const std::string section = "SUBMARINE" + std::to_string(type);
        for (int v = 0; basic.ValueExists(section, "Name" + std::to_string(v)); ++v) {
            std::string name = basic.ReadString(section, "Name" + std::to_string(v), "");
            std::string folder = name;
            folder.erase(std::remove(folder.begin(), folder.end(), '/'), folder.end());
            typeFolders[folder] = name;
        }
    }
    bool slashType = false;
    for (const std::string& folder : SubFolders(program / "U-boat")) {
        ASSERT_EQ(typeFolders.count(folder), 1u) << folder;
        slashType = slashType || typeFolders[folder].find('/') != std::string::npos;
    }
    EXPECT_TRUE(slashType);

    EXPECT_GE(SubFolders(program / "Crew").size(), 2u);

    // Date sets: valid dates of the war, fixed ones and those of two random variants, which the
    // launch numbers from 0.
    std::vector<std::string> dates = SubFolders(program / "Date");
    EXPECT_GE(dates.size(), 3u);
    EXPECT_EQ(SubFolders(program / "Random"), (std::vector<std::string>{"0", "1"}));
    for (const char* r : {"0", "1"}) {
        const std::vector<std::string> random = SubFolders(program / "Random" / r / "Date");
        EXPECT_FALSE(random.empty()) << r;
        dates.insert(dates.end(), random.begin(), random.end());
    }
    for (const std::string& date : dates) {
        ASSERT_EQ(date.size(), 8u) << date;
        const std::chrono::year_month_day ymd{
            std::chrono::year{std::stoi(date.substr(0, 4))},
            std::chrono::month{static_cast<unsigned>(std::stoi(date.substr(4, 2)))},
            std::chrono::day{static_cast<unsigned>(std::stoi(date.substr(6, 2)))}};
        EXPECT_TRUE(ymd.ok()) << date;
        EXPECT_GE(date, "19390901");
        EXPECT_LE(date, "19441231");
    }
    std::sort(dates.begin(), dates.end());
    EXPECT_NE(dates.front().substr(0, 4), dates.back().substr(0, 4));
}

TEST_F(DemoWorldTest, FileSetsReplaceGameFilesInAnyLetterCaseAndAddNewOnes) {
    const fs::path game = World().game;
    int sameCase = 0;
    int otherCase = 0;
    int added = 0;
    std::set<fs::path> replaced;
    for (const fs::path& set : FileSetFolders(World().program)) {
        const std::vector<fs::path> files = FilesBelow(set);
        EXPECT_FALSE(files.empty()) << set;
        for (const fs::path& file : files) {
            EXPECT_EQ(Lower(Utf8(*file.begin())), "data") << set / file;
            const fs::path counterpart = platform::Resolve(game, Utf8(file));
            if (!fs::exists(counterpart)) {
                ++added;
            } else if (SpelledAsOnDisk(game, file)) {
                ++sameCase;
                replaced.insert(counterpart);
            } else {
                ++otherCase;
                replaced.insert(counterpart);
            }
        }
    }
    EXPECT_GT(sameCase, 0);
    EXPECT_GT(otherCase, 0);
    EXPECT_GT(added, 0);

    // Some of the replaced files are read-only, and so a launch has to get past that.
    int readOnly = 0;
    for (const fs::path& file : replaced) {
        readOnly += IsOwnerWritable(file) ? 0 : 1;
    }
    EXPECT_GT(readOnly, 0);
    EXPECT_LT(readOnly, static_cast<int>(replaced.size()));

    for (const char* movie : {"Logo.wmv", "Intro.wmv"}) {
        const fs::path path = game / "data" / "Movies" / "Intro" / movie;
        ASSERT_TRUE(fs::is_regular_file(path)) << movie;
        EXPECT_GT(fs::file_size(path), 0u);
    }
    EXPECT_EQ(GameCfg("Basic.cfg").ReadString("TIME", "NbDaysInBase", ""), "28");
}

// The starts of `name` in `bytes` followed by a zero byte, letter case ignored.
std::vector<std::size_t> PropertyStarts(const std::string& bytes, const std::string& name) {
    const std::string lower = Lower(bytes);
    std::vector<std::size_t> starts;
    for (std::size_t at = lower.find(name); at != std::string::npos; at = lower.find(name, at + 1)) {
        EXPECT_LT(at + name.size(), bytes.size()) << name;
        EXPECT_EQ(bytes[at + name.size()], '\0') << name << " at " << at;
        starts.push_back(at);
    }
    return starts;
}

// The little-endian float at `at`.
float FloatAt(const std::string& bytes, std::size_t at) {
    EXPECT_LE(at + 4, bytes.size());
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4 && at + i < bytes.size(); ++i) {
        bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return std::bit_cast<float>(bits);
}

std::string GameBytes(const fs::path& game, std::string_view relative) {
    const std::optional<std::string> bytes = platform::ReadFile(platform::Resolve(game, relative));
    EXPECT_TRUE(bytes.has_value()) << relative;
    return bytes.value_or("");
}

// Every launch option finds in the demo the files, names and values it changes, as the program's
// option files name them.
TEST_F(DemoWorldTest, LaunchOptionsFindWhatTheyChange) {
    const fs::path game = World().game;
    const fs::path cfg = World().program / "Cfg";

    // Binary values: deck gun reload times (1st and 11th), water clarity, waves, crush depths.
    const std::string guns = GameBytes(game, "data\\Library\\GUNS_SUB.sim");
    const std::vector<std::size_t> reloads = PropertyStarts(guns, "reload_time");
    ASSERT_EQ(reloads.size(), 11u);
    EXPECT_FLOAT_EQ(FloatAt(guns, reloads.back() + 12), 6.0F);
    const std::string scene = GameBytes(game, "data\\scene.dat");
    const std::vector<std::size_t> fogs = PropertyStarts(scene, "fog");
    ASSERT_EQ(fogs.size(), 2u);
    const float clarity = FloatAt(scene, fogs[1] + 4 + 4);
    EXPECT_TRUE(clarity >= 0.0F && clarity <= 20.0F) << clarity;
    ASSERT_EQ(PropertyStarts(scene, "maxwaveheight").size(), 1u);
    const ProfileFile options(cfg / "SH3 options.cfg");
    int boats = 0;
    for (const std::string& key : options.ReadSection("CRUSH DEPTH")) {
        const std::string entry = options.ReadString("CRUSH DEPTH", key, "");
        if (entry.find('|') == std::string::npos) {
            continue;  // Upper and Lower
        }
        const std::string folder = entry.substr(0, entry.find('|'));
        const std::string zone = GameBytes(game, "data\\Submarine\\" + folder + "\\" + folder + ".zon");
        const std::vector<std::size_t> depths = PropertyStarts(zone, "crashdepth");
        ASSERT_EQ(depths.size(), 1u) << folder;
        EXPECT_FLOAT_EQ(FloatAt(zone, depths[0] + 11),
                        std::round(std::stof(entry.substr(folder.size() + 1)) * 1.4F))
            << folder;
        ++boats;
    }
    EXPECT_EQ(boats, 14);

    // Ships of the displacement file, with their unit files and museum texts.
    const ProfileFile ships(cfg / "Ship displacements.cfg");
    int shipCount = 0;
    for (const std::string& ship : ships.ReadSections()) {
        if (ship == "SETTINGS" || ship == "DEFAULTS") {
            continue;
        }
        const fs::path folder = game / "data" / "Sea" / ship;
        EXPECT_EQ(ProfileFile(folder / (ship + ".cfg")).ReadString("Unit", "Displacement", ""),
                  ships.ReadString(ship, "Displacement", "?"))
            << ship;
        for (const char* suffix : {"_en.log", "_ge.log", "_fr.log"}) {
            EXPECT_NE(ProfileFile(folder / (ship + suffix)).ReadString("MUSEUM", "Text", ""), "")
                << ship << suffix;
        }
        ++shipCount;
    }
    EXPECT_GE(shipCount, 10);

    // Start at sea: German units named before their positions, and a unit of another navy.
    const std::string mission = GameBytes(game, "data\\Campaigns\\Campaign\\Campaign_LND.mis");
    EXPECT_NE(mission.find("\r\nName=Kiel U-boat pen\r\nOrigin=German\r\nClass=Harbour\r\nLong="),
              std::string::npos);
    EXPECT_NE(mission.find("\r\nOrigin=British\r\n"), std::string::npos);

    // New career: a roster per boat type (the name up to "/") with more than one boat, and the
    // ammunition of the continued career's boat.
    const ProfileFile basic = GameCfg("Basic.cfg");
    for (int type = 0; basic.SectionExists("SUBMARINE" + std::to_string(type)); ++type) {
        const std::string section = "SUBMARINE" + std::to_string(type);
        for (int v = 0; basic.ValueExists(section, "Name" + std::to_string(v)); ++v) {
            std::string name = basic.ReadString(section, "Name" + std::to_string(v), "");
            name = name.substr(0, name.find('/'));
            const ProfileFile roster(game / "data" / "Roster" / "German" / "Submarine" /
                                     ("SSType" + name + ".cfg"));
            EXPECT_TRUE(roster.ValueExists("Unit 1", "Name") && roster.SectionExists("Unit 2")) << name;
        }
    }
    EXPECT_FALSE(basic.SectionExists("SUBMARINE_AMMO11"));
    for (int i = 0; i <= 10 && basic.SectionExists("SUBMARINE_AMMO" + std::to_string(i)); ++i) {
        const std::string section = "SUBMARINE_AMMO" + std::to_string(i);
        const std::string type = "SUBMARINE" + basic.ReadString(section, "Type", "");
        EXPECT_TRUE(basic.ValueExists(type, "Name" + basic.ReadString(section, "Version", ""))) << section;
        const int years = basic.ReadInteger(section, "NbYears", 0);
        EXPECT_EQ(basic.ReadString(section, "Year" + std::to_string(years - 1), ""), "1945") << section;
        EXPECT_TRUE(basic.ValueExists(section, "Z01_" + std::to_string(years - 1) + "0")) << section;
    }
    EXPECT_TRUE(basic.SectionExists("SUBMARINE_AMMO10"));

    // Crews of each boat class, three files each, with a vacant bunk after the men.
    for (const char* prefix : {"II_", "VII_", "IX_", "XXI_"}) {
        for (const char* c : {"1", "2", "3"}) {
            const ProfileFile crew = GameCfg(std::string("crew_config_") + prefix + c + ".cfg");
            EXPECT_GE(crew.ReadInteger("CREW_MEMBER_0", "NrComp", -1), 0) << prefix << c;
            EXPECT_TRUE(crew.ValueExists("CREW_MEMBER_1", "Grad")) << prefix << c;
        }
    }

    // Gramophone records with and without a number prefix.
    int numbered = 0;
    int plain = 0;
    for (const fs::path& record : FilesBelow(game / "data" / "Sound" / "Gramophone")) {
        const std::string name = Utf8(record);
        const bool prefixed = name.size() > 4 && std::isdigit(static_cast<unsigned char>(name[0])) &&
                              std::isdigit(static_cast<unsigned char>(name[2])) && name[3] == ' ';
        (prefixed ? numbered : plain) += 1;
    }
    EXPECT_GE(numbered, 2);
    EXPECT_GE(plain, 1);

    // Rule files: each target names an existing file, and each setting one that the game has
    // (variant targets after their "v_" prefix).
    for (const char* rules : {"Static settings.cfg", "Randomised events.cfg"}) {
        const ProfileFile file(cfg / rules);
        for (const std::string& section : file.ReadSections()) {
            const fs::path target = platform::Resolve(game, section.substr(section.find(':') + 1));
            ASSERT_TRUE(fs::is_regular_file(target)) << rules << ": " << section;
            const bool variants = file.ValueExists(section, "ChooseFrom");
            for (std::string key : file.ReadSection(section)) {
                if (variants && key.find('_') != std::string::npos && key.find('|') != std::string::npos) {
                    key = key.substr(key.find('_') + 1);
                }
                if (key.find('|') != std::string::npos) {
                    EXPECT_TRUE(ProfileFile(target).ValueExists(key.substr(0, key.find('|')),
                                                                key.substr(key.find('|') + 1)))
                        << rules << ": " << section << ": " << key;
                }
            }
        }
    }

    // Menu texts: every menu variable and the strings a launch appends to are in every table.
    for (const char* language : {"en", "de", "fr"}) {
        const ProfileFile variables(cfg / (std::string("Menu variable_") + language + ".txt"));
        std::vector<std::string> ids = {"13", "201", "202", "589"};
        for (int i = 0; i < variables.ReadInteger("KEYS", "NbKeys", 0); ++i) {
            ids.push_back(variables.ReadString("KEYS", "Key" + std::to_string(i), ""));
        }
        EXPECT_GE(ids.size(), 11u) << language;
        for (const std::string& id : ids) {
            EXPECT_NE(Menu(language).ReadString("STRINGS", id, ""), "") << language << " " << id;
        }
    }
}

TEST_F(DemoWorldTest, StandInGameRunsInTheGameFolderAndEnds) {
    const fs::path script = World().standInGame;
    ASSERT_TRUE(fs::is_regular_file(script));
    const fs::path game = World().game;
    const fs::path output = World().root / "stand-in.txt";

    // As the companion runs it: SEEWOLF_WINE and the game's sh3.exe, in the game folder.
    {
        testing::EnvVar wine("SEEWOLF_WINE", script.string());
        testing::EnvVar seconds("SEEWOLF_STANDIN_SECONDS", "0");
        const auto start = std::chrono::steady_clock::now();
        const std::optional<int> code = platform::StartAndWait({game / "sh3.exe", {}, game});
        EXPECT_EQ(code, std::optional<int>(0));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    }

    // It says where it runs, and it waits as long as it is told.
    testing::EnvVar seconds("SEEWOLF_STANDIN_SECONDS", "1");
    const auto start = std::chrono::steady_clock::now();
#ifdef _WIN32
    // On Windows the game is the stand-in program itself (Wine plays no part), which records
    // where it ran.
    testing::EnvVar record("SEEWOLF_STANDIN_RECORD", platform::Utf8FromPath(output));
    EXPECT_EQ(platform::StartAndWait({game / "sh3.exe", {}, game}), std::optional<int>(0));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_NE(ReadText(output).find("\nfolder " +
                                    platform::Utf8FromPath(platform::WithoutTrailingSeparator(game)) + "\n"),
              std::string::npos)
        << ReadText(output);
    // The patrol-log editor's stand-in is a script for SEEWOLF_WINE, which only Linux has.
#else
    const std::optional<int> code = platform::StartAndWait(
        {"/bin/sh",
         {"-c", "\"$0\" \"$1\" > \"$2\"", script.string(), (game / "sh3.exe").string(), output.string()},
         game});
    EXPECT_EQ(code, std::optional<int>(0));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    const std::string said = ReadText(output);
    EXPECT_NE(said.find("running in " + platform::WithoutTrailingSeparator(game).string()), std::string::npos)
        << said;

    // Started for the patrol-log editor, it notes where and with what, one argument a line, at once.
    const fs::path kladde = World().program / "Kladde.exe";
    ASSERT_TRUE(fs::is_regular_file(kladde));
    const fs::path record = World().program / "Kladde arguments.txt";
    const auto kladdeStart = std::chrono::steady_clock::now();
    EXPECT_EQ(platform::StartAndWait(
                  {script,
                   {kladde.string(), "Kapit\xC3\xA4nleutnant Hans \"Kessler\"", "Z:\\a b\\", "3"},
                   World().program}),
              std::optional<int>(0));
    EXPECT_LT(std::chrono::steady_clock::now() - kladdeStart, std::chrono::seconds(1));
    EXPECT_EQ(ReadText(record), "folder=" + platform::WithoutTrailingSeparator(World().program).string() +
                                    "\n1=Kapit\xC3\xA4nleutnant Hans \"Kessler\"\n2=Z:\\a b\\\n3=3\n");
#endif
}

// --- writing over an earlier world -------------------------------------------------------------

class DemoRewriteTest : public ::testing::Test {
  protected:
    DemoRewriteTest() {
        m_source = m_folder.Path() / "source";
        m_root = m_folder.Path() / "world";
        WriteText(m_source / "seewolf", "program 1");
        WriteText(m_source / "Cfg" / "SH3 options.cfg", "[TEXTSETTINGS]\r\n");
        WriteText(m_source / "Seewolf.ini", "[SETTINGS]\r\nSH3Location=C:\\elsewhere\\\r\n");
        WriteText(m_source / "!BACKUP" / "Backup.log", "old");
        WriteText(m_source / "Seewolf.log", "old");
    }

    demo::DemoWorld Write(bool fresh) {
        demo::DemoOptions options;
        options.root = m_root;
        options.programSource = m_source;
        options.fresh = fresh;
        return demo::WriteDemoInstallation(options);
    }

    TempFolder m_folder;
    fs::path m_source;
    fs::path m_root;
};

TEST_F(DemoRewriteTest, ProgramFilesAreCopiedWithoutTheSourcesOwnState) {
    const demo::DemoWorld world = Write(true);
    EXPECT_EQ(ReadText(world.program / "seewolf"), "program 1");
    EXPECT_TRUE(fs::is_regular_file(world.program / "Cfg" / "SH3 options.cfg"));
    EXPECT_FALSE(fs::exists(world.program / "!BACKUP"));
    EXPECT_FALSE(fs::exists(world.program / "Seewolf.log"));
    EXPECT_FALSE(fs::exists(world.program / "Kladde.exe"));  // only when asked for
    EXPECT_EQ(ProfileFile(world.program / "Seewolf.ini").ReadString("SETTINGS", "SH3Location", ""),
              Cp1252FromUtf8(Utf8(world.game)));
    EXPECT_EQ(world.programFilesCopied, 2u);
}

TEST_F(DemoRewriteTest, SecondRunKeepsTheUsersFilesAndRefreshesTheProgram) {
    const demo::DemoWorld first = Write(true);
    const fs::path basic = first.game / "data" / "Cfg" / "Basic.cfg";
    const fs::path careers = first.documents / "SH3" / "data" / "Cfg" / "Careers" /
                             FromUtf8(demo::DemoCareers::InHomeBase) / "Careers.cfg";
    const std::string careersText = ReadText(careers);
    WriteText(basic, "[TIME]\r\nNbDaysInBase=5\r\n");
    WriteText(first.program / "Seewolf.ini", "[SETTINGS]\r\nShowTips=0\r\n");
    WriteText(first.program / "!BACKUP" / "data" / "Cfg" / "Basic.cfg", "backup");
    WriteText(first.program / "Seewolf.log", "launch log");
    fs::remove(careers);
    WriteText(m_source / "seewolf", "program 2");

    const demo::DemoWorld second = Write(false);
    EXPECT_EQ(ReadText(basic), "[TIME]\r\nNbDaysInBase=5\r\n");
    EXPECT_EQ(ReadText(second.program / "Seewolf.ini"), "[SETTINGS]\r\nShowTips=0\r\n");
    EXPECT_EQ(ReadText(second.program / "!BACKUP" / "data" / "Cfg" / "Basic.cfg"), "backup");
    EXPECT_EQ(ReadText(second.program / "Seewolf.log"), "launch log");
    EXPECT_EQ(ReadText(second.program / "seewolf"), "program 2");
    EXPECT_EQ(ReadText(careers), careersText);  // a missing file is written again
    EXPECT_EQ(second.filesWritten, 1u);
    EXPECT_EQ(second.filesKept, first.filesWritten - 1);
}

TEST_F(DemoRewriteTest, FreshRunRemovesOnlyItsOwnFolders) {
    const demo::DemoWorld first = Write(true);
    WriteText(first.game / "stray.txt", "left over");
    WriteText(first.documents / "SH3" / "data" / "Cfg" / "Careers" / "Gone" / "Patrols_0.cfg", "[INIT]\r\n");
    WriteText(m_root / "notes.txt", "mine");
    WriteText(first.game / "data" / "Cfg" / "Basic.cfg", "changed");

    const demo::DemoWorld second = Write(true);
    EXPECT_FALSE(fs::exists(second.game / "stray.txt"));
    EXPECT_FALSE(fs::exists(second.documents / "SH3" / "data" / "Cfg" / "Careers" / "Gone"));
    EXPECT_NE(ReadText(second.game / "data" / "Cfg" / "Basic.cfg"), "changed");
    EXPECT_EQ(ReadText(m_root / "notes.txt"), "mine");
    EXPECT_EQ(second.filesKept, 0u);
}

TEST_F(DemoRewriteTest, SecondRunWritesTheFileSetsAgainAndKeepsTheGamesReadOnlyFiles) {
    const demo::DemoWorld first = Write(true);
    ASSERT_GT(first.fileSetFilesWritten, 0u);
    std::vector<fs::path> readOnly;
    for (const fs::path& file : FilesBelow(first.game)) {
        if (!IsOwnerWritable(first.game / file)) {
            readOnly.push_back(first.game / file);
        }
    }
    ASSERT_FALSE(readOnly.empty());
    const fs::path setFile = FileSetFolders(first.program).front();
    const fs::path changed = setFile / FilesBelow(setFile).front();
    const std::string original = ReadText(changed);
    WriteText(changed, "changed");
    fs::remove(first.standInGame);

    const demo::DemoWorld second = Write(false);
    EXPECT_EQ(ReadText(changed), original);
    EXPECT_EQ(second.fileSetFilesWritten, first.fileSetFilesWritten);
    EXPECT_TRUE(fs::is_regular_file(second.standInGame));
#ifndef _WIN32
    // Windows has no execute permission to set; there the file's kind decides.
    EXPECT_NE(fs::status(second.standInGame).permissions() & fs::perms::owner_exec, fs::perms::none);
#endif
    for (const fs::path& file : readOnly) {
        EXPECT_FALSE(IsOwnerWritable(file)) << file;
    }
}

TEST_F(DemoRewriteTest, RefusesToCopyTheProgramIntoItself) {
    const demo::DemoWorld first = Write(true);
    demo::DemoOptions options;
    options.root = m_root;
    options.programSource = first.program;
    options.fresh = true;
    EXPECT_THROW(demo::WriteDemoInstallation(options), Error);
    // Nothing was removed before the refusal.
    EXPECT_EQ(ReadText(first.program / "seewolf"), "program 1");
    EXPECT_TRUE(fs::is_regular_file(first.game / "sh3.exe"));

    options.programSource = m_folder.Path() / "missing";
    EXPECT_THROW(demo::WriteDemoInstallation(options), Error);
}

}  // namespace
}  // namespace seewolf
