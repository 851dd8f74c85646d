#include "career/actions.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>

#include "app/error.h"
#include "app/language.h"
#include "app/paths.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "app/settings.h"
#include "app/text.h"
#include "career/career.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using demo::DemoCareers;
using testing::EnvVar;
using testing::ReadText;
using testing::WriteText;

std::string ErrorOf(const std::function<void()>& run) {
    try {
        run();
    } catch (const Error& error) {
        return error.what();
    }
    return "(no error)";
}

class CareerActions : public ::testing::Test {
  protected:
    SelectedCareer Load(const char* utf8Name) const {
        return LoadCareer(paths, language, Cp1252FromUtf8(utf8Name));
    }
    // Sets keys of the career's current patrol.
    void SetPatrol(const SelectedCareer& career, const char* key, const std::string& value) const {
        ProfileFile(career.CareerFolder / "Patrols_0.cfg")
            .WriteString(SectionName("PATROL ", career.PatrolCount), key, value);
    }
    std::string Latest() const { return LatestCareer(paths); }

    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    const Language language = ChooseLanguage(paths);
};

TEST(PatrolGrid, OnlyLettersAndDigitsOfAGrid) {
    for (const char* grid : {"AN53", "BF13", "CA2", "AB12CD34"}) {
        EXPECT_TRUE(IsPatrolGrid(grid)) << grid;
    }
    for (const char* text : {"", "NULL", "Error!", "an53", "AN 53", "1234", "AB12CD345", "A\"1"}) {
        EXPECT_FALSE(IsPatrolGrid(text)) << text;
    }
}

TEST_F(CareerActions, ContinueTakesTheNextMonthAndOnlyRealNumbersAndGrids) {
    const SelectedCareer retired = Load(DemoCareers::Retired);
    ContinuedCareer values = ContinueCareerValues(paths, language, retired);
    EXPECT_EQ(values.year, 1942);
    EXPECT_EQ(values.month, 9);
    EXPECT_EQ(values.boatNumber, "103");
    EXPECT_EQ(values.patrolGrid, "");  // "NULL" is no grid: left to the game, and said
    ASSERT_EQ(values.notes.size(), 1u);
    EXPECT_NE(values.notes[0].find("\"NULL\""), std::string::npos);
    EXPECT_EQ(values.flotillaId, retired.FlotillaNb);
    EXPECT_EQ(values.flotillaName, retired.FlotillaName);
    EXPECT_EQ(values.boatTypeName, retired.SubTypeName);
    EXPECT_EQ(values.subType, std::to_string(retired.SubTypeNb));

    // December rolls over into January; a boat name that is not "U-" and digits gives no number.
    SetPatrol(retired, "StartYear", "1943");
    SetPatrol(retired, "StartMonth", "12");
    SetPatrol(retired, "PatrolArea", "BF13");
    for (const char* name : {"UA", "U-12a", "U-", "U-12345", "X-103"}) {
        SetPatrol(retired, "SubName", name);
        values = ContinueCareerValues(paths, language, retired);
        EXPECT_EQ(values.year, 1944);
        EXPECT_EQ(values.month, 1);
        EXPECT_EQ(values.patrolGrid, "BF13");
        EXPECT_EQ(values.boatNumber, "") << name;
        ASSERT_EQ(values.notes.size(), 1u) << name;
        EXPECT_NE(values.notes[0].find(std::string("\"") + name + "\""), std::string::npos);
    }

    // After the last month a career can start in, the last one, said; beyond the war, refused.
    SetPatrol(retired, "SubName", "U-9");
    SetPatrol(retired, "StartYear", "1945");
    SetPatrol(retired, "StartMonth", "5");
    values = ContinueCareerValues(paths, language, retired);
    EXPECT_EQ(values.month, 5);
    ASSERT_EQ(values.notes.size(), 1u);
    EXPECT_NE(values.notes[0].find("May 1945 instead of Jun 1945"), std::string::npos) << values.notes[0];
    SetPatrol(retired, "StartMonth", "12");
    EXPECT_NE(ErrorOf([&] { ContinueCareerValues(paths, language, retired); }).find("Jan 1946"),
              std::string::npos);
    SetPatrol(retired, "StartMonth", "");
    EXPECT_NE(ErrorOf([&] { ContinueCareerValues(paths, language, retired); }).find("StartMonth"),
              std::string::npos);
}

TEST_F(CareerActions, ReturnAndSurrenderChangeTheStatusAndTheLatestCareer) {
    const SelectedCareer retired = Load(DemoCareers::Retired);
    const fs::path careers = retired.CareerFolder / "Careers.cfg";
    ReturnFromRetirement(paths, retired);
    const std::string last = SectionName("CAREER ", retired.PatrolCount - 1);
    EXPECT_EQ(ProfileFile(careers).ReadString(last, "Finished", ""), "false");
    EXPECT_EQ(ProfileFile(careers).ReadString(last, "WarOver", ""), "false");
    EXPECT_EQ(Load(DemoCareers::Retired).CareerStatus, CareerStatus::InBase);
    EXPECT_EQ(Latest(), DemoCareers::Retired);
    // The action belongs to retired careers only.
    const std::string before = ReadText(careers);
    EXPECT_NE(ErrorOf([&] { ReturnFromRetirement(paths, Load(DemoCareers::Retired)); }), "(no error)");
    EXPECT_EQ(ReadText(careers), before);

    const SelectedCareer lost = Load(DemoCareers::Lost);
    Random random{3};
    EnsureCareerHistory(paths, lost.Name, random);
    const std::vector<std::string> history = ReadCareerHistory(paths, lost.Name);
    EXPECT_EQ(Surrender(paths, lost), std::nullopt);
    std::vector<std::string> expected = history;
    expected[kHistorySurrendered] = "1";
    EXPECT_EQ(ReadCareerHistory(paths, lost.Name), expected);
    EXPECT_EQ(Load(DemoCareers::Lost).CareerStatus, CareerStatus::Surrendered);
    EXPECT_EQ(Latest(), DemoCareers::Lost);
    EXPECT_NE(ErrorOf([&] { Surrender(paths, Load(DemoCareers::Lost)); }), "(no error)");

    // A short record is filled up rather than refused, and the user is told.
    WriteCareerHistory(paths, lost.Name, {"01JAN20", "Kiel"});
    const std::optional<std::string> note = Surrender(paths, lost);
    ASSERT_TRUE(note.has_value());
    EXPECT_NE(note->find("held 2 of its 12 items"), std::string::npos) << *note;
    EXPECT_EQ(ReadCareerHistory(paths, lost.Name),
              (std::vector<std::string>{"01JAN20", "Kiel", "", "", "", "", "", "", "", "", "", "1"}));
}

TEST_F(CareerActions, DeckGunIsReadAndRemoved) {
    const SelectedCareer career = Load(DemoCareers::InHomeBase);
    EXPECT_GE(DeckGun(career), 0);
    RemoveDeckGun(career);
    EXPECT_EQ(DeckGun(career), -1);
    EXPECT_EQ(ProfileFile(career.CareerFolder / "Careers_0.cfg")
                  .ReadString(SectionName("CAREER ", career.PatrolCount), "M01", ""),
              "-1");
}

TEST_F(CareerActions, PatrolLogEditorGetsTheCommanderAndTheWindowsFolder) {
    const EnvVar home("HOME", (world.Root() / "home").string());
    const EnvVar prefix("WINEPREFIX", nullptr);
    SelectedCareer career = Load(DemoCareers::InHomeBase);
    PatrolLogCall editor = PatrolLogEditorCall(paths, career);
#ifdef _WIN32
    // A Windows program gets the folder as it is, with its drive letter.
    std::string folder = platform::Utf8FromPath(career.CareerFolder);
#else
    // Outside any Wine prefix a folder is reached through drive Z:, the root folder.
    std::string folder = "Z:" + career.CareerFolder.string();
#endif
    std::replace(folder.begin(), folder.end(), '/', '\\');
    const std::string commander = Utf8FromCp1252(career.CmdrRank + " " + career.CmdrName);
    EXPECT_EQ(editor.call.program, paths.Prog("Kladde.exe"));
    EXPECT_EQ(editor.call.workingFolder, paths.ProgFolder);
    EXPECT_EQ(editor.call.arguments,
              (std::vector<std::string>{commander, folder, std::to_string(career.PatrolCount - 1)}));
    EXPECT_EQ(editor.parameterText,
              "\"" + commander + "\" \"" + folder + "\" " + std::to_string(career.PatrolCount - 1));
    EXPECT_TRUE(editor.notes.empty());
    EXPECT_EQ(folder.back(), '\\');

#ifndef _WIN32
    // Inside a prefix, its drive links name the folder; the deepest link wins.
    const fs::path wine = world.Root() / "home" / ".wine";
    fs::create_directories(wine / "dosdevices");
    fs::create_directories(wine / "drive_c");
    fs::create_directory_symlink("../drive_c", wine / "dosdevices" / "c:");
    fs::create_directory_symlink("/", wine / "dosdevices" / "z:");
    fs::create_directory_symlink(paths.DocsFolder, wine / "dosdevices" / "d:");
    editor = PatrolLogEditorCall(paths, career);
    std::string expected = "D:\\" +
                           platform::WithoutTrailingSeparator(career.CareerFolder)
                               .lexically_relative(platform::WithoutTrailingSeparator(paths.DocsFolder))
                               .string() +
                           "\\";
    std::replace(expected.begin(), expected.end(), '/', '\\');
    EXPECT_EQ(editor.call.arguments[1], expected);
#endif

    // A double quote in a name is left out, and said; in the folder it cannot be passed at all.
    career.CmdrName = "Hans \"Ace\" Kessler";
    editor = PatrolLogEditorCall(paths, career);
    EXPECT_EQ(editor.call.arguments[0], Utf8FromCp1252(career.CmdrRank) + " Hans Ace Kessler");
    EXPECT_EQ(editor.notes.size(), 1u);
    career.CareerFolder = world.Root() / "odd\"name" / "";
    EXPECT_NE(ErrorOf([&] { PatrolLogEditorCall(paths, career); }).find("double quote"), std::string::npos);
}

TEST_F(CareerActions, DeleteMovesOnlyACareerFolderToTheTrash) {
    const EnvVar data("XDG_DATA_HOME", (world.Root() / "data").string());
    const fs::path careers = paths.Save("Careers");
    for (const char* name : {"", ".", "..", "../Careers", "a/b", "x\\..\\..", "No such career"}) {
        EXPECT_NE(ErrorOf([&] { DeleteCareer(paths, name); }).find("Nothing was deleted"), std::string::npos)
            << name;
    }
    WriteText(careers / "file.cfg", "not a career");
    EXPECT_NE(ErrorOf([&] { DeleteCareer(paths, "file.cfg"); }), "(no error)");
    EXPECT_TRUE(fs::exists(careers / "file.cfg"));
    EXPECT_FALSE(fs::exists(world.Root() / "data" / "Trash" / "files"));

    const std::string name = Cp1252FromUtf8(DemoCareers::FirstPatrol);
    const fs::path folder = careers / platform::PathFromText(name);
    ASSERT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(DeleteCareer(paths, name));
    EXPECT_FALSE(fs::exists(folder));
#ifndef _WIN32
    // On Windows the shell's recycle bin takes it, out of the test's sight.
    EXPECT_TRUE(fs::exists(world.Root() / "data" / "Trash" / "files" / folder.filename() / "Patrols_0.cfg"));
#endif
    const std::vector<std::string> listed = ListCareers(paths);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), name), 0);
}

}  // namespace
}  // namespace seewolf
