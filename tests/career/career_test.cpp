#include "career/career.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

#include "app/error.h"
#include "app/language.h"
#include "app/numbers.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "app/settings.h"
#include "app/text.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using demo::DemoCareers;
using testing::WriteText;

fs::path FromUtf8(std::string_view text) {
    return platform::PathFromUtf8(text);
}

// A history date "05SEP39" read back (English month names, years of the 1900s).
Date HistoryDate(const std::string& text) {
    static constexpr std::array<std::string_view, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    EXPECT_EQ(text.size(), 7u) << text;
    std::size_t month = 0;
    while (month < 12 && kMonths[month] != text.substr(2, 3)) {
        ++month;
    }
    EXPECT_LT(month, 12u) << text;
    return EncodeDate(1900 + std::stoi(text.substr(5, 2)), static_cast<int>(month) + 1,
                      std::stoi(text.substr(0, 2)));
}

// The first of the nearest month.
Date MonthStart(Date date) {
    YearMonthDay ymd = DecodeDate(date);
    if (ymd.day > 15) {
        ymd.year += ymd.month / 12;
        ymd.month = ymd.month % 12 + 1;
    }
    return EncodeDate(ymd.year, ymd.month, 1);
}

// What the user's clock showed at a file's modification time.
DateTime LocalModified(const fs::path& file) {
    const platform::LocalTime local = platform::ToLocalTime(platform::StampOf(file)->modifiedNs);
    return {EncodeDate(local.year, local.month, local.day),
            local.hour * 3600 + local.minute * 60 + local.second};
}

class CareerTest : public ::testing::Test {
  protected:
    CareerTest() : m_paths(m_world.GetPaths()), m_language(ChooseLanguage(m_paths)) {
        LoadDateTexts(m_paths, m_language);
    }

    fs::path Folder(std::string_view utf8Name) const {
        return m_paths.SaveFolder / "Careers" / FromUtf8(utf8Name);
    }
    ProfileFile File(std::string_view utf8Name, const char* file) const {
        return ProfileFile(Folder(utf8Name) / file);
    }
    SelectedCareer Load(std::string_view utf8Name) const {
        return LoadCareer(m_paths, m_language, Cp1252FromUtf8(utf8Name));
    }
    CareerStatus Status(std::string_view utf8Name) const { return Load(utf8Name).CareerStatus; }
    void WritePlaces(std::string_view text) const {
        WriteText(m_paths.ProgFolder / "Cfg" / "Names_places.lst", text);
    }
    // A save of the current patrol with its .psc, modified `hoursAgo` hours before now.
    fs::path AddSave(std::string_view utf8Name, int patrol, const std::string& base, const char* grid,
                     int hoursAgo) const {
        const fs::path folder = Folder(utf8Name) / std::to_string(patrol);
        WriteText(folder / (base + ".sav"), "save");
        WriteText(folder / (base + ".psc"), std::string("[PLAYER_SUBMARINE]\r\nPatrolArea=") + grid + "\r\n");
        fs::last_write_time(folder / (base + ".sav"),
                            fs::file_time_type::clock::now() - std::chrono::hours(hoursAgo));
        return folder / (base + ".sav");
    }

    testing::TempWorld m_world;
    Paths m_paths;
    Language m_language;
};

TEST(CareerSections, NumberHasAtLeastThreeDigits) {
    EXPECT_EQ(SectionName("PATROL ", 0), "PATROL 000");
    EXPECT_EQ(SectionName("CAREER ", 12), "CAREER 012");
    EXPECT_EQ(SectionName("PATROL ", 1234), "PATROL 1234");
    EXPECT_EQ(SectionName("PATROL ", -1), "PATROL -001");
}

TEST_F(CareerTest, ListHoldsCareersWithPatrolsOrFirstPatrolSavesInNameOrder) {
    const std::string juergen = Cp1252FromUtf8(DemoCareers::FirstPatrol);
    const std::vector<std::string> expected = {
        "Erich Lenz", "Friedrich Roth", "Hans Kessler", "Heinz Albrecht", juergen,
        "Karl Vogel", "Ludwig Brenner", "Otto Brandt",  "Paul Weber",     "Wilhelm Dorn"};
    EXPECT_EQ(ListCareers(m_paths), expected);

    // Patrols=0: listed only while 0/ holds a file named *.sav (any letter case); a folder does not count.
    const fs::path first = Folder(DemoCareers::FirstPatrol) / "0";
    fs::remove_all(first);
    fs::create_directories(first / "folder.sav");
    auto listed = [&](std::string_view utf8) {
        const std::vector<std::string> names = ListCareers(m_paths);
        return std::find(names.begin(), names.end(), Cp1252FromUtf8(utf8)) != names.end();
    };
    EXPECT_FALSE(listed(DemoCareers::FirstPatrol));
    WriteText(first / "Auslaufen.SAV", "save");
    EXPECT_TRUE(listed(DemoCareers::FirstPatrol));

    // Order ignores letter case and accents; a plain file among the folders is no career.
    for (const char* name : {"adam", "\xC4rger Zimmermann", "Zander", "\xE4rger"}) {
        WriteText(m_paths.SaveFolder / "Careers" / platform::PathFromText(name) / "Patrols_0.cfg",
                  "[INIT]\r\nPatrols=1\r\n");
    }
    WriteText(m_paths.SaveFolder / "Careers" / "stray.txt", "x");
    const std::vector<std::string> names = ListCareers(m_paths);
    EXPECT_EQ(names.front(), "adam");
    EXPECT_EQ(names[1], "\xE4rger");
    EXPECT_EQ(names[2], "\xC4rger Zimmermann");
    EXPECT_EQ(names.back(), "Zander");
    EXPECT_EQ(names.size(), expected.size() + 4);
    EXPECT_TRUE(ListCareerFolders(m_paths).unlisted.empty());
}

#ifndef _WIN32
// A career folder whose name Windows-1252 cannot hold (or that holds a backslash, a separator to
// the game) is reported, not shown under a name with "?" in it nor hidden.
TEST_F(CareerTest, FoldersWithNamesTheCodePageCannotHoldAreReported) {
    const fs::path careers = m_paths.SaveFolder / "Careers";
    const std::vector<fs::path> odd = {careers / FromUtf8("\xC5\x81ukasz Nowak"), careers / "Back\\slash",
                                       careers / std::string("Bad \xFF UTF-8")};
    for (const fs::path& folder : odd) {
        WriteText(folder / "Patrols_0.cfg", "[INIT]\r\nPatrols=2\r\n");
    }
    fs::create_directories(careers / FromUtf8("\xC5\x81ukasz Empty"));  // no career: not reported
    const CareerListing listing = ListCareerFolders(m_paths);
    EXPECT_EQ(listing.names, ListCareers(m_paths));
    EXPECT_EQ(listing.names.size(), 10u);
    EXPECT_EQ(std::set<fs::path>(listing.unlisted.begin(), listing.unlisted.end()),
              std::set<fs::path>(odd.begin(), odd.end()));
}
#endif

TEST_F(CareerTest, DemoCareersLoadInEveryStatus) {
    struct Expected {
        const char* name;
        CareerStatus status;
        int patrols;
        const char* grid;  // PatrolArea in base, SaveGrid at sea
    };
    for (const Expected& e :
         std::vector<Expected>{{DemoCareers::InHomeBase, CareerStatus::InBase, 4, "BE32"},
                               {DemoCareers::InOtherBase, CareerStatus::InBase, 3, "CB48"},
                               {DemoCareers::InBaseNoGrid, CareerStatus::InBase, 2, "NULL"},
                               {DemoCareers::AtSea, CareerStatus::AtSea, 2, "EE62"},
                               {DemoCareers::AtSeaNoGrid, CareerStatus::AtSea, 1, "NULL"},
                               {DemoCareers::FirstPatrol, CareerStatus::AtSea, 0, "BF13"},
                               {DemoCareers::Lost, CareerStatus::LostAtSea, 3, nullptr},
                               {DemoCareers::Retired, CareerStatus::Retired, 7, nullptr},
                               {DemoCareers::Surrendered, CareerStatus::Surrendered, 3, nullptr}}) {
        SCOPED_TRACE(e.name);
        const SelectedCareer c = Load(e.name);
        EXPECT_EQ(c.CareerStatus, e.status);
        EXPECT_EQ(c.PatrolCount, e.patrols);
        EXPECT_EQ(c.CmdrName, Cp1252FromUtf8(e.name));
        EXPECT_FALSE(c.InOtherBase);
        EXPECT_EQ(StartsInOtherBase(c), e.name == std::string(DemoCareers::InOtherBase));
        if (e.grid != nullptr) {
            EXPECT_EQ(e.status == CareerStatus::AtSea ? c.SaveGrid : c.PatrolArea, e.grid);
        }
        EXPECT_EQ(c.LastPatrolEnd == -1, e.patrols == 0);
    }

    const SelectedCareer home = Load(DemoCareers::InHomeBase);
    EXPECT_EQ(home.CmdrRank, "Kapit\xE4nleutnant");
    EXPECT_EQ(home.FlotillaNb, "661");
    EXPECT_EQ(home.FlotillaName, "2nd U-boat Flotilla");
    EXPECT_EQ(home.PortName, "Lorient");
    EXPECT_EQ(home.SubName, "U-146");
    EXPECT_EQ(home.SubTypeNb, 1);
    EXPECT_EQ(home.SubTypeName, "VIIB");
    EXPECT_EQ(home.StartDateText, "19410224");
    EXPECT_EQ(home.LastPatrolEnd, EncodeDate(1941, 1, 18));
    EXPECT_EQ(home.Saved, (DateTime{EncodeDate(2024, 5, 14), 21 * 3600 + 47 * 60}));
    EXPECT_EQ(home.CareerFolder, platform::WithTrailingSeparator(Folder(DemoCareers::InHomeBase)));

    // At sea the saved time is that of the newest save (not the first or last by name).
    const SelectedCareer atSea = Load(DemoCareers::AtSea);
    EXPECT_EQ(atSea.NewestSave.filename(), "Convoy contact.sav");
    EXPECT_EQ(atSea.Saved, LocalModified(atSea.NewestSave));
    EXPECT_EQ(Load(DemoCareers::AtSeaNoGrid).NewestSave.filename(), "Alarmtauchen.sav");
    EXPECT_EQ(Load(DemoCareers::AtSeaNoGrid).SubTypeName, "VIIC/41");
}

TEST_F(CareerTest, EndingAndSurrenderFlagDecideTheStatus) {
    const ProfileFile ended = File(DemoCareers::InHomeBase, "Careers.cfg");  // N = 4
    ended.WriteString("CAREER 003", "Finished", "TRUE");
    ended.WriteString("CAREER 003", "WarOver", "False");
    EXPECT_EQ(Status(DemoCareers::InHomeBase), CareerStatus::LostAtSea);
    ended.DeleteKey("CAREER 003", "WarOver");
    EXPECT_EQ(Status(DemoCareers::InHomeBase), CareerStatus::LostAtSea);
    ended.WriteString("CAREER 003", "WarOver", "yes");
    EXPECT_EQ(Status(DemoCareers::InHomeBase), CareerStatus::Retired);
    ended.WriteString("CAREER 003", "Finished", "yes");
    EXPECT_EQ(Status(DemoCareers::InHomeBase), CareerStatus::InBase);

    // The surrender flag counts only for a career lost at sea, and only in a full record.
    auto flag = [&](const char* utf8, std::vector<std::string> items) {
        WriteCareerHistory(m_paths, Cp1252FromUtf8(utf8), items);
    };
    const std::vector<std::string> surrendered = {"01JAN20", "Kiel",    "01",      "01APR38",
                                                  "01JAN39", "01JAN39", "01JAN39", "01JAN39",
                                                  "01JAN39", "13",      "68",      "1"};
    flag(DemoCareers::Retired, surrendered);
    EXPECT_EQ(Status(DemoCareers::Retired), CareerStatus::Retired);
    flag(DemoCareers::InOtherBase, surrendered);
    EXPECT_EQ(Status(DemoCareers::InOtherBase), CareerStatus::InBase);
    flag(DemoCareers::Lost, surrendered);
    EXPECT_EQ(Status(DemoCareers::Lost), CareerStatus::Surrendered);
    flag(DemoCareers::Lost, std::vector<std::string>(surrendered.begin() + 1, surrendered.end()));
    EXPECT_EQ(Status(DemoCareers::Lost), CareerStatus::LostAtSea);
    WriteCareerHistory(m_paths, Cp1252FromUtf8(DemoCareers::Surrendered), {});
    EXPECT_EQ(Status(DemoCareers::Surrendered), CareerStatus::LostAtSea);

    // Any items read back as written: quotes at both ends of the stored text are not taken for
    // the file's quotes, and one empty item stays one.
    const std::string name = Cp1252FromUtf8(DemoCareers::Surrendered);
    for (const std::vector<std::string>& items :
         {std::vector<std::string>{"Bad T\xF6lz", "1", "say \"hi\""}, std::vector<std::string>{"'a", "b'"},
          std::vector<std::string>{""}}) {
        WriteCareerHistory(m_paths, name, items);
        EXPECT_EQ(ReadCareerHistory(m_paths, name), items);
    }
}

TEST_F(CareerTest, NewestSaveIsTheLatestModifiedAtOrAfterTheGamesSavedTime) {
    // A career in base (N = 3) with saves in 3/ is at sea on patrol 4.
    const char* name = DemoCareers::InOtherBase;
    fs::create_directories(Folder(name) / "3" / "Dir.sav");
    EXPECT_EQ(Status(name), CareerStatus::InBase);  // a folder named *.sav is no save
    AddSave(name, 3, "older", "AM11", 5);
    const fs::path newest = AddSave(name, 3, "newer", "AM22", 1);
    AddSave(name, 3, "oldest", "AM33", 9);
    SelectedCareer c = Load(name);
    EXPECT_EQ(c.CareerStatus, CareerStatus::AtSea);
    EXPECT_EQ(MakeRecordSheet(c, DateTexts{}).status, "At sea during patrol 4");
    EXPECT_EQ(c.NewestSave, newest);
    EXPECT_EQ(c.SaveGrid, "AM22");
    EXPECT_EQ(c.Saved, LocalModified(newest));

    // The .psc is found whatever the letter case of its extension; without a grid key: NULL.
    fs::rename(Folder(name) / "3" / "newer.psc", Folder(name) / "3" / "newer.PSC");
    EXPECT_EQ(Load(name).SaveGrid, "AM22");
    WriteText(Folder(name) / "3" / "newer.PSC", "[PLAYER_SUBMARINE]\r\nSubName=U-406\r\n");
    EXPECT_EQ(Load(name).SaveGrid, "NULL");

    // Equal times: the one listed later wins.
    const fs::path folder = Folder(name) / "3";
    const auto time = fs::last_write_time(newest);
    std::vector<std::string> order;
    for (const platform::FolderEntry& e : platform::ListFolder(folder)) {
        if (e.name == "older.sav" || e.name == "newer.sav") {
            order.push_back(e.name);
            fs::last_write_time(folder / e.name, time);
        }
    }
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(Load(name).NewestSave.filename(), order.back());

    // No save reaches the time the game noted: still at sea, but no grid and the noted time.
    const ProfileFile patrols = File(name, "Patrols_0.cfg");
    patrols.WriteInteger("PATROL 003", "RealYear", 2099);
    c = Load(name);
    EXPECT_EQ(c.CareerStatus, CareerStatus::AtSea);
    EXPECT_TRUE(c.NewestSave.empty());
    EXPECT_EQ(c.SaveGrid, "NULL");
    EXPECT_EQ(c.Saved, (DateTime{EncodeDate(2099, 6, 2), 19 * 3600 + 5 * 60}));
}

TEST_F(CareerTest, BadDatesAndNumbersNameTheFileAndKeys) {
    auto failure = [&](const char* utf8) -> std::string {
        try {
            Load(utf8);
        } catch (const Error& e) {
            return e.what();
        }
        return "no error";
    };
    auto expectNames = [](const std::string& text, std::initializer_list<const char*> parts) {
        for (const char* part : parts) {
            EXPECT_NE(text.find(part), std::string::npos) << part << " not in: " << text;
        }
    };
    const char* name = DemoCareers::InHomeBase;
    const ProfileFile patrols = File(name, "Patrols_0.cfg");
    patrols.WriteInteger("PATROL 004", "StartDay", 30);
    patrols.WriteInteger("PATROL 004", "StartMonth", 2);
    expectNames(failure(name), {"Patrols_0.cfg", "[PATROL 004]", "StartYear/StartMonth/StartDay", "day 30"});
    patrols.WriteInteger("PATROL 004", "StartMonth", 3);
    patrols.WriteInteger("PATROL 004", "RealMin", 60);
    expectNames(failure(name), {"Patrols_0.cfg", "[PATROL 004]", "RealHour/RealMin", "minute 60"});
    patrols.WriteInteger("PATROL 004", "RealMin", 5);
    patrols.WriteString("PATROL 004", "StartDay", "7th");
    expectNames(failure(name), {"Patrols_0.cfg", "[PATROL 004] StartDay", "\"7th\" is not a whole number"});
    patrols.WriteInteger("PATROL 004", "StartDay", 7);

    // A missing key says so, naming file, section and key, instead of reading as a bad value.
    const auto expectMissing = [&](const ProfileFile& file, const char* section, const char* key) {
        const std::string value = file.ReadString(section, key, "");
        file.DeleteKey(section, key);
        EXPECT_EQ(failure(name), "The key " + std::string(key) + " is missing from section [" + section +
                                     "] of " + platform::TextFromPath(file.Path()) + ".");
        file.WriteString(section, key, value);
    };
    expectMissing(patrols, "PATROL 004", "RealMin");
    expectMissing(patrols, "PATROL 004", "SubType");
    expectMissing(patrols, "INIT", "Patrols");
    expectMissing(File(name, "Patrols.cfg"), "PATROL 003", "EndYear");
    expectMissing(File(name, "Careers_0.cfg"), "CAREER 004", "PlayerRank");
    fs::rename(Folder(name) / "Patrols.cfg", Folder(name) / "away.cfg");
    expectNames(failure(name),
                {"The file ", "Patrols.cfg is missing", "key EndYear in section [PATROL 003]"});
    fs::rename(Folder(name) / "away.cfg", Folder(name) / "Patrols.cfg");

    // A patrol count no career reaches, with every section it needs, is refused as damaged: the
    // reports would walk billions of patrols.
    patrols.WriteString("INIT", "Patrols", "2147483647");
    for (const auto& [file, section] :
         {std::pair{patrols, "PATROL 004"}, {File(name, "Careers_0.cfg"), "CAREER 004"}}) {
        for (const std::string& line : file.ReadSectionValues(section)) {
            const std::size_t eq = line.find('=');
            const std::string huge = std::string(section).substr(0, std::string(section).size() - 3);
            file.WriteString(huge + "2147483647", line.substr(0, eq), line.substr(eq + 1));
        }
    }
    for (const std::string& line : File(name, "Patrols.cfg").ReadSectionValues("PATROL 003")) {
        const std::size_t eq = line.find('=');
        File(name, "Patrols.cfg").WriteString("PATROL 2147483646", line.substr(0, eq), line.substr(eq + 1));
    }
    expectNames(failure(name), {"Patrols_0.cfg [INIT] Patrols", "holds 2147483647", "at most 999"});
    patrols.WriteString("INIT", "Patrols", "999");
    expectNames(failure(name), {"[PATROL 999]"});  // the largest count is read as any other
    patrols.WriteString("INIT", "Patrols", "4");
    EXPECT_EQ(failure(name), "no error");

    File(name, "Careers_0.cfg").WriteString("CAREER 004", "PlayerRank", "11 ; Kptlt");
    expectNames(failure(name), {"Careers_0.cfg", "[CAREER 004]", "PlayerRank"});
    File(name, "Careers_0.cfg").WriteString("CAREER 004", "PlayerRank", "11");
    EXPECT_EQ(failure(name), "no error");

    // Missing texts are no error: they show as "Error!".
    patrols.WriteString("PATROL 004", "Flotilla", "999");
    patrols.WriteString("PATROL 004", "SubVersion", "9");
    const SelectedCareer c = Load(name);
    EXPECT_EQ(c.FlotillaName, "Error!");
    EXPECT_EQ(c.SubTypeName, "Error!");
}

TEST_F(CareerTest, GeneratedHistoryFollowsTheCareerStart) {
    WritePlaces(
        "Kiel\r\nBad Doberan\rL\xFC"
        "beck\nRostock");
    const std::string name = Cp1252FromUtf8(DemoCareers::FirstPatrol);
    const ProfileFile patrols = File(DemoCareers::FirstPatrol, "Patrols_0.cfg");
    const ProfileFile settings(m_paths.SettingsFile());
    std::set<std::string> places;
    int decemberRollOvers = 0;
    for (int seed = 0; seed < 150; ++seed) {
        SCOPED_TRACE(seed);
        // Start dates through the whole year, so that every month start rounding (December too) occurs.
        const Date start = EncodeDate(1940, 1, 1) + seed * 7;
        const YearMonthDay s = DecodeDate(start);
        patrols.WriteInteger("PATROL 000", "StartYear", s.year);
        patrols.WriteInteger("PATROL 000", "StartMonth", s.month);
        patrols.WriteInteger("PATROL 000", "StartDay", s.day);
        settings.DeleteKey(kCareerDetailsSection, name);
        Random random(static_cast<std::uint64_t>(seed));
        const std::vector<std::string> items = EnsureCareerHistory(m_paths, name, random);
        ASSERT_EQ(items.size(), 12u);
        EXPECT_EQ(ReadCareerHistory(m_paths, name), items);
        places.insert(items[1]);

        const Date t4 = HistoryDate(items[3]);
        const Date t1 = HistoryDate(items[4]);
        const Date t5 = HistoryDate(items[5]);
        const Date t6 = HistoryDate(items[6]);
        const Date t3 = HistoryDate(items[7]);
        const Date t2 = HistoryDate(items[8]);
        EXPECT_EQ(items[3].substr(0, 5), "01APR");
        EXPECT_EQ(DecodeDate(t2).day, 1);
        EXPECT_EQ(DecodeDate(t3).day, 1);
        EXPECT_EQ(DecodeDate(t6).day, 1);
        // The same draws again, in their order, give every date exactly.
        Random replay(static_cast<std::uint64_t>(seed));
        EXPECT_EQ(t1, start - 182 - replay.Next(365));
        const Date raw2 = start - 547 - replay.Next(182);
        EXPECT_EQ(t2, MonthStart(raw2));
        decemberRollOvers += DecodeDate(raw2).month == 12 && DecodeDate(raw2).day > 15 ? 1 : 0;
        EXPECT_EQ(t3, MonthStart(t2 - 91 - replay.Next(91)));
        const YearMonthDay entry = DecodeDate(t3 - 1095 - replay.Next(365));
        EXPECT_EQ(t4, EncodeDate(entry.month > 6 ? entry.year + 1 : entry.year, 4, 1));
        EXPECT_EQ(t5, t4 + 242 + replay.Next(60));
        EXPECT_EQ(t6, MonthStart(t4 + 456 + replay.Next(273)));
        EXPECT_EQ(HistoryDate(items[0]), t4 - 6205 - replay.Next(2190));
        EXPECT_EQ(items[2], ZeroPad(replay.Next(78), 2));
        EXPECT_EQ(items[9], std::to_string(replay.Next(54) + 13));
        EXPECT_EQ(items[10], std::to_string(replay.Next(51) + 68));
        EXPECT_EQ(items[11], "0");
    }
    EXPECT_GT(decemberRollOvers, 0);
    EXPECT_EQ(places, (std::set<std::string>{"Kiel", "Bad Doberan",
                                             "L\xFC"
                                             "beck",
                                             "Rostock"}));

    // A birthplace with a blank is quoted in the record and read back whole. Stored once: a
    // later call returns the record unchanged, whatever it draws.
    WritePlaces("Bad Doberan\r\n");
    settings.DeleteKey(kCareerDetailsSection, name);
    Random random(7);
    EXPECT_EQ(EnsureCareerHistory(m_paths, name, random)[1], "Bad Doberan");
    const std::string stored = settings.ReadString(kCareerDetailsSection, name, "");
    EXPECT_NE(stored.find(",\"Bad Doberan\","), std::string::npos) << stored;
    EXPECT_EQ(ReadCareerHistory(m_paths, name).at(1), "Bad Doberan");
    WritePlaces("Kiel\r\n");
    Random other(999);
    EXPECT_EQ(JoinCommaText(EnsureCareerHistory(m_paths, name, other)), stored);
    EXPECT_EQ(settings.ReadString(kCareerDetailsSection, name, ""), stored);
}

TEST_F(CareerTest, HistoryFailuresStoreNothing) {
    const std::string name = Cp1252FromUtf8(DemoCareers::FirstPatrol);
    Random random(1);
    fs::remove(m_paths.ProgFolder / "Cfg" / "Names_places.lst");
    EXPECT_THROW(EnsureCareerHistory(m_paths, name, random), Error);
    EXPECT_TRUE(ReadCareerHistory(m_paths, name).empty());

    WritePlaces("Kiel\r\n");
    File(DemoCareers::FirstPatrol, "Patrols_0.cfg").DeleteKey("PATROL 000", "StartDay");
    try {
        EnsureCareerHistory(m_paths, name, random);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("The key StartDay is missing from section [PATROL 000]"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_TRUE(ReadCareerHistory(m_paths, name).empty());
}

TEST_F(CareerTest, RecordSheetTextsAndLinks) {
    const DateTexts dates;
    struct Expected {
        const char* name;
        const char* status;
        const char* date;
        const char* grid;
        bool statusLink, boatLinks, gridLink, launch;
    };
    for (const Expected& e : std::vector<Expected>{
             {DemoCareers::InHomeBase, "In home base before patrol 5", "Monday, Feb 24, 1941", "BE32", true,
              true, true, true},
             {DemoCareers::InBaseNoGrid, "In home base before patrol 3", "Monday, Jun 28, 1943", "NULL", true,
              true, false, true},
             {DemoCareers::Lost, "Lost at sea during patrol 3", "N/a", "N/a", true, false, false, false},
             {DemoCareers::Retired, "Retired after 7 patrols", "Thursday, Aug 20, 1942", "N/a", true, false,
              false, false},
             {DemoCareers::AtSea, "At sea during patrol 3", "After Monday, Sep 7, 1942", "EE62", false, false,
              false, true},
             {DemoCareers::AtSeaNoGrid, "At sea during patrol 2", "After Tuesday, Oct 5, 1943", "NULL", false,
              false, true, true},
             {DemoCareers::Surrendered, "Surrendered at sea during patrol 3", "N/a", "N/a", false, false,
              false, false}}) {
        SCOPED_TRACE(e.name);
        const RecordSheet sheet = MakeRecordSheet(Load(e.name), dates);
        EXPECT_EQ(sheet.status, e.status);
        EXPECT_EQ(sheet.date, e.date);
        EXPECT_EQ(sheet.grid, e.grid);
        EXPECT_EQ(sheet.statusLink, e.statusLink);
        EXPECT_EQ(sheet.boatLinks, e.boatLinks);
        EXPECT_EQ(sheet.gridLink, e.gridLink);
        EXPECT_EQ(sheet.launchVisible, e.launch);
    }

    SelectedCareer home = Load(DemoCareers::InHomeBase);
    RecordSheet sheet = MakeRecordSheet(home, dates);
    EXPECT_EQ(sheet.name, "Hans Kessler");
    EXPECT_EQ(sheet.rank, "Kapit\xE4nleutnant");
    EXPECT_EQ(sheet.lastPatrolEnd, "Saturday, Jan 18, 1941");
    EXPECT_EQ(sheet.boat, "U-146,");
    EXPECT_EQ(sheet.type, "Type VIIB");
    EXPECT_EQ(sheet.flotilla, "2nd U-boat Flotilla, Lorient");
    EXPECT_EQ(sheet.saved, "Tuesday, May 14, 2024 at 21:47");
    home.InOtherBase = true;
    EXPECT_EQ(MakeRecordSheet(home, dates).status, "In other base before patrol 5");
    EXPECT_EQ(InBaseStatusText(home), "In other base before patrol 5");

    const SelectedCareer first = Load(DemoCareers::FirstPatrol);
    EXPECT_EQ(MakeRecordSheet(first, dates).lastPatrolEnd, "N/a");
    DateTexts german;
    german.shortDateFormat = "d.M.yy";
    EXPECT_EQ(MakeRecordSheet(home, german).date, "24.2.41");
}

TEST_F(CareerTest, LatestCareerFromTheSettings) {
    EXPECT_EQ(LatestCareer(m_paths), Cp1252FromUtf8(DemoCareers::Latest));
    ProfileFile(m_paths.SettingsFile()).EraseSection(kLatestCareerSection);
    EXPECT_EQ(LatestCareer(m_paths), "");
}

}  // namespace
}  // namespace seewolf
